// The drop-down preset picker: a resizable topmost popup hosting one preset list (brushes, nibs,
// swatches, gradients or screentones) with a close and a menu button in its top right corner, an
// item menu, and for gradients and tones an attribute strip with a live preview under the list.
// The list views open and free it through the hooks of preset_hooks.h. What is picked takes
// effect at once; the result (1 keep, 2 restore OldIndex) tells the owning list what to do.
//
// The window is frameless: it draws its own 4-pixel sizing border, and the client, inside it,
// holds everything else.
#pragma once

#include "ui/forms/base_forms.h"
#include "ui/graphics/colour32.h"
#include "ui/lists/list_hooks.h"
#include "windows/presets/preset_kinds.h"

#include <QWidget>

#include <vector>

class QAction;
class QMenu;
class TGradientPreview;
class TNumLabelEditPopup;
class TNumMngr;
class TPresetPreview;
class TqZGlyphButton;
class TqZGlyphLabel;
class TTonePreview;

// The sizing border's width on every side.
constexpr int kPopupFrame = 4;
constexpr int kPopupClientWidth = 223, kPopupClientHeight = 97;

class TPresetPopupForm : public TPopupBaseForm, public IListPopup
{
  public:
    explicit TPresetPopupForm(QWidget *owner = nullptr);
    ~TPresetPopupForm() override;

    // IListPopup
    TPopupBaseForm *Form() override { return this; }
    TqZListView *ListView() override { return FListView; }
    int OldIndex() const override { return FOldIndex; }
    void ReadGradAttr() override;
    void ReadToneAttr() override;

    void LoadSettings() override;
    void SaveSettings() override;

    TPresetKind Kind() const;
    bool UsePreview() const { return FSupportPreview && FPreviewHeight != pphNone; }
    TPopupPreviewHeight PreviewHeight() const { return FPreviewHeight; }
    void ChangePreviewHeight(TPopupPreviewHeight New);

    // The client area (inside the sizing border) and its parts, in client coordinates.
    QWidget *Client() const { return FClient; }
    QSize clientSize() const;
    void setClientExtent(int w, int h);
    QSize minimumClientSize() const;
    QRect CloseButtonRect() const;
    QRect MenuButtonRect() const;
    QRect ListRect() const;

    // The item menu; none (nullptr) disables the menu button.
    QMenu *PresetPopupMenu() const { return FMenu; }
    void setPresetPopupMenu(QMenu *menu) { FMenu = menu; }
    QAction *MenuEntry(TPresetMenuEntry e) const { return FMenuEntries[size_t(e)]; }
    // Fills the menu's captions and states from the list (what opening it does).
    void PresetPopupMenuPopup();

    TGlyphState CloseState() const { return FCloseState; }
    TGlyphState ArrowState() const { return FArrowState; }

    // The gradient strip (nullptr in the other popups).
    TNumMngr *NumGradRep() const { return FNumGradRep; }
    TqZGlyphLabel *LblGradRep() const { return FLblGradRep; }
    TNumLabelEditPopup *EdtGradRep() const { return FEdtGradRep; }
    TqZGlyphButton *BtnGradLine() const { return FBtnGradLine; }
    TqZGlyphButton *BtnGradRad() const { return FBtnGradRad; }
    TqZGlyphButton *BtnGradCir() const { return FBtnGradCir; }
    TqZGlyphButton *BtnGradRet() const { return FBtnGradRet; }
    TqZGlyphButton *BtnGradInf() const { return FBtnGradInf; }
    TqZGlyphButton *BtnGradRemind() const { return FBtnGradRemind; }
    TGradientPreview *GradPreview() const { return FGradPreview; }
    // The tone strip (nullptr in the other popups).
    TNumMngr *NumToneX() const { return FNumToneX; }
    TNumMngr *NumToneY() const { return FNumToneY; }
    TNumMngr *NumToneScl() const { return FNumToneScl; }
    TqZGlyphButton *BtnToneInvert() const { return FBtnToneInvert; }
    TTonePreview *TonePreview() const { return FTonePreview; }

    // Building, for the factories.
    void hostList(TqZListView *list, bool withStrip);
    void setOldIndex(int i) { FOldIndex = i; }
    void useDispAll(bool dispAll);
    void setSupportPreview(bool on) { FSupportPreview = on; }
    void addClientHeight(int dy, bool raiseMinimum);
    void CreateGradientStrip();
    void CreateToneStrip();

  protected:
    void resizeEvent(QResizeEvent *ev) override;
    void showEvent(QShowEvent *ev) override;
    void hideEvent(QHideEvent *ev) override;
    void paintEvent(QPaintEvent *ev) override;
    void mousePressEvent(QMouseEvent *ev) override;

  private:
    friend class TPresetPopupClient;
    struct SAnchor
    {
        QWidget *w;
        bool left, top, right, bottom;
        QRect at;        // the rectangle when anchored
        QSize client;    // the client size then
    };
    void anchor(QWidget *w, bool left, bool top, bool right, bool bottom);
    void applyAnchors();
    SAnchor *anchorOf(QWidget *w);

    void ClientPaint(QPainter &p);
    void ClientMouseMove(QPoint pt);
    void ClientMouseDown(Qt::MouseButton b, QPoint pt);
    void ClientMouseUp(Qt::MouseButton b, QPoint pt);
    bool ClientWheel(Qt::KeyboardModifiers shift, int delta, QPoint pt);

    void buildMenu();
    void MenuItemChange(TPresetMenuEntry e);
    void MenuDispChange(TPresetMenuEntry e);
    void MenuSetChange(TPresetMenuEntry e);
    void ToggleShowAll();
    void ApplyGradAttr();
    void ApplyToneAttr();
    bool destroying() const { return FDestroying; }

    QWidget *FClient = nullptr;
    TqZListView *FListView = nullptr;
    TGlyphState FCloseState = gsNone;
    bool FCloseDown = false;
    TGlyphState FArrowState = gsNone;
    int FOldIndex = -1;
    bool FUseDispAll = false, FDispAll = false;
    bool FSupportPreview = false;
    TPopupPreviewHeight FPreviewHeight = pphDefault;
    bool FReading = false;
    bool FDestroying = false;
    QSize FMinClient{kPopupClientWidth, kPopupClientHeight};
    QSize FBuiltClient{kPopupClientWidth, kPopupClientHeight};

    QMenu *FMenu = nullptr;
    QMenu *FOwnMenu = nullptr;
    std::vector<QAction *> FMenuEntries;

    TGradientPreview *FGradPreview = nullptr;
    TNumMngr *FNumGradRep = nullptr;
    TqZGlyphLabel *FLblGradRep = nullptr;
    TNumLabelEditPopup *FEdtGradRep = nullptr;
    TqZGlyphButton *FBtnGradLine = nullptr, *FBtnGradRad = nullptr, *FBtnGradCir = nullptr;
    TqZGlyphButton *FBtnGradRet = nullptr, *FBtnGradInf = nullptr, *FBtnGradRemind = nullptr;
    TTonePreview *FTonePreview = nullptr;
    TNumMngr *FNumToneX = nullptr, *FNumToneY = nullptr, *FNumToneScl = nullptr;
    TqZGlyphLabel *FLblToneScl = nullptr, *FLblToneX = nullptr, *FLblToneY = nullptr;
    TNumLabelEditPopup *FEdtToneScl = nullptr, *FEdtToneX = nullptr, *FEdtToneY = nullptr;
    TqZGlyphButton *FBtnToneInvert = nullptr;
    std::vector<SAnchor> FAnchors;
};

// The factories the list views call (through the hooks) and the releasers, which store the
// list's type in the profile and free the popup later (they run inside its close).
TPresetPopupForm *newPresetPopupForm(QWidget *owner);
TPresetPopupForm *createPenMethodPopup(TPenMethodListView &view, CPenMethodMngr *manager);
TPresetPopupForm *createPenNibPopup(QWidget *owner, CPenShapeMngr *manager, CPenShapeObj *item,
                                    int index);
TPresetPopupForm *createSwatchPopup(TSwatchListView &view, TSwatchMngr *manager);
TPresetPopupForm *createGradientPopup(TGradientListView &view, CGradMngr *manager);
TPresetPopupForm *createTonePopup(TToneListView &view, CToneMngr *manager);
void freePresetPopup(IListPopup *popup);
