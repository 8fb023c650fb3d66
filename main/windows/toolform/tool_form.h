// The floating tool window: the sixteen tool buttons, the tool colour cell, the gradient and tone
// check lists and the opacity field on the window itself; the option view with the current
// tool's settings; the preset sets; the binding to the active document window; the tool switch;
// the keys the main window routes here; and the free transform's fields.
//
// Members live in files by family: construction.cpp, switching.cpp, buttons_menus.cpp,
// option_view.cpp, binding.cpp, keys.cpp, transform_fields.cpp. The remembered tool state and
// the tables are widget-free (tool_state.h, tool_tables.h, option_view_model.h,
// slider_curves.h).
#pragma once

#include "paint/brush/paint_modes.h"
#include "ui/base/app_hooks.h"
#include "windows/dock/dock_float.h"
#include "windows/shell_host.h"
#include "windows/toolform/tool_state.h"

#include <QPointer>

#include <array>
#include <memory>

class QCheckBox;
class QMenu;
class QAction;
class QPushButton;
class CPenShapeObj;
class CColorSlotGroup;
struct SPaperAppHooks;
class TAirMapDropDown;
class TAspectRotation;
class TCustomDockView;
class TGradientListView;
class TLabelEdit;
class TLayerListView;
class TMaskListView;
class TNumLabelEditPopup;
class TNumMngr;
class TPenMethodListView;
class TPenNibListView;
class TPresetPopupForm;
class TPressureGamma;
class TSubPaintDropDown;
class TToneListView;
class TTwinColorCell;
class TqZGlyphButton;
class TqZGlyphLabel;
class IDocumentListWindow;

class TToolForm : public TDockFloatForm, public IToolForm
{
  public:
    TToolForm(QWidget &owner, TDockFloatManager &palettes);
    ~TToolForm() override;

    // ---- tool switch (switching.cpp)
    void changeToolDetail(TToolDetail detail);
    void selectToolKind(TToolKind kind, bool cycle);
    void selectToolByKey(uint32_t key, TToolKind kind, bool cycle);
    TToolDetail nextDetailOf(TToolDetail detail) const { return FState.nextDetailOf(detail); }
    void setLastTools();
    void setNextDetails();
    void FDrpSubModeChange(QObject *Sender);
    void FDrpPenMtdChangePaintMode(QObject *Sender);
    TStylusSwitch StylusSwitch() const { return FState.FStylus; }
    void setStylusSwitch(TStylusSwitch value);

    // ---- buttons, menus and labels (buttons_menus.cpp)
    void BtnClick(QObject *Sender);
    void BtnDblClick(QObject *Sender);
    void MenuClick(QAction *item);
    void MenuPopup(QMenu *menu);
    void SetToolSubMode(TToolSubKind kind) { FState.FToolSubMode = kind; }
    TNumMngr *GetNumMngr(QObject *label) const;
    void LblBeginDrag(QObject *Sender, float &APosition);
    void LblDrag(QObject *Sender, float APosition);
    void LblEndDrag(QObject *Sender, float APosition);
    void LblDblClick(QObject *Sender);
    void MenuPenNibClick(QAction *item);

    // ---- option view (option_view.cpp)
    void PaintParamChange(QObject *Sender);
    void ToolAntiAliasChange(QObject *Sender);
    void SeedParamChange(QObject *Sender);
    void ReedSeedParam();
    void GradientChange(QObject *Sender);
    void GradAttrChange(QObject *Sender);
    void ReadGradAttr();
    void ToneChange(QObject *Sender);
    void ToolNameChange(QObject *Sender);
    void FLstPenMtdChange(QObject *Sender);
    void FLstPenNibChange(QObject *Sender);
    void FAspRotShowPopup(QObject *Sender, int X, int Y);
    void FPopPenNibPopupClose(QObject *Sender);
    void OptionSave(QObject *Sender);
    void UpdateQZ5OptionView();

    // ---- binding and public operations (binding.cpp)
    bool GetPlayMode() const;
    bool HasWindow(const QWidget *w) const;
    TToolDetail ToolMode() const { return FState.FToolMode; }
    TToolSubKind ToolSubMode() const { return FState.FToolSubMode; }
    void InitFirstTime();
    TPaintParam *AliasParam() const;
    bool IsPaintLevelQZ4() const;
    CPenShapeObj *SelectPenNibObjRef() const { return FPenNibObj.get(); }
    float SelectNibRealRadius() const;
    const CColorSlotGroup *SelectColorSlotGroupRef() const;
    CGradMngr *GradMngr() const { return FGradMngr.get(); }
    CToneMngr *ToneMngr() const { return FToneMngr.get(); }
    TStroke *Stroke() const { return FStroke.get(); }
    TColorPickerValue SelectColor() const;
    void setSelectColor(const TColorPickerValue &value);
    void ExChangeColors();
    void UpdateGhostSize();
    void DispatchPaintParam();
    void ApplyPaintParam();
    bool SetPenNibSizeNext(bool Shift);
    bool SetPenNibSizePrev(bool Shift);
    void EdtNibRadiusInFilter(QObject *Sender, float &APosition);
    void EdtNibRadiusOutFilter(QObject *Sender, float &APosition);
    void EdtNibShpSclInFilter(QObject *Sender, float &APosition);
    void EdtNibShpSclOutFilter(QObject *Sender, float &APosition);

    // ---- keys (keys.cpp): vk a virtual-key number; true when consumed
    bool ProcessKey(uint32_t vk, Qt::KeyboardModifiers shift);

    // ---- free transform fields (transform_fields.cpp)
    void TransformParamChange(QObject *Sender);
    void OptScaleInFilter(QObject *Sender, float &APosition);
    void OptScaleOutFilter(QObject *Sender, float &APosition);
    void OptTransEditEnd(QObject *Sender);
    void BtnTransformApplyClick();
    void BtnTransformCancelClick();
    void BtnMoveClick();
    void CheckCenterClick();
    void CheckAspectRockClick();

    // ---- IToolForm
    void SetPlayMode(bool sw) override;
    void SetPlayStroke(const TStroke &) override {}
    void SetPlayColor(uint32_t, uint32_t) override {}
    void SetPlayProgress(uint32_t, uint32_t, uint32_t) override {}
    void appendEventList(TEventCode) override {}
    void setOptionViewCaption(const QString &text) override;
    void setPlayGlyph(ePlayGlyph) override {}
    TDrawWindow *Window() const override { return FWindow; }
    void setWindow(TDrawWindow *w) override { SetWindow(w); }
    TToolSubKind FToolSubMode() const override { return FState.FToolSubMode; }
    TToolKind FToolMode() const override { return toolDetailToToolKind(FState.FToolMode); }
    TToolDetail FToolDetail() const override { return FState.FToolMode; }
    std::optional<TToolSubKind> temporarySubKind() const override { return std::nullopt; }
    std::optional<int32_t> brushEngine() const override;
    int32_t ToolCursors(TToolSubKind kind) const override;
    int32_t BrushCursors(int32_t engine) const override;
    TGrabberControl *FGrbCtrl() const override { return nullptr; }
    sSize FGhostSize() const override { return FGhost; }
    int32_t width() const override { return QWidget::width(); }
    void SetDisplaySize(const sSize &) override {}
    void SetClientSize(const sSize &) override {}
    void SetDisplayCenter(int32_t, int32_t) override {}
    void SetDisplayScale(float) override {}
    void SetDisplayRotation(float, bool) override {}
    void UpdateLayerView() override {}
    void UpdateMaskView() override {}
    void UpdateNavigatorView() override {}
    void FPreviewMakeImage() override {}
    void clearInformationView() override {}
    CPenMethodMngr *penMethodSet() const override { return FPenMtdMngr.get(); }
    CPenShapeMngr *penNibSet() const override { return FPenNibMngr.get(); }
    TSwatchMngr *swatchSet() const override { return FSwatchMngr.get(); }
    CGradMngr *gradientSet() const override { return FGradMngr.get(); }
    CToneMngr *toneSet() const override { return FToneMngr.get(); }
    TPaintParam *currentPaintParam() const override { return AliasParam(); }
    TColorPickerValue ForegroundColor() const override;
    TColorPickerValue BackgroundColor() const override;
    QString gradientHint(int role) const override;
    void presetSetLoaded(TPresetKind kind, bool append) override;
    bool ChangeToolSubMode(TToolSubKind kind, bool forceEnd) override;
    void UpdateInfomationView(TDrawWindow *, float, float, TInfomationUpdateOption) override {}
    void UpdateLoupeView(TPaper *, int32_t, int32_t, bool) override {}
    bool loupeVisible() const override { return false; }
    void setForegroundColor(const TColorPickerValue &value) override;
    void setBackgroundColor(const TColorPickerValue &value) override;
    float SelectNibRadius() const override;
    float SelectNibRealRadiusMin() const override;
    float SelectNibRealRadiusMax() const override;
    void SetPenRadius(float value) override;
    void UpdateOptionView(bool redraw) override;
    void enableMoveOK(bool enabled) override;
    void setTransPopup(const sSize &size) override;
    void setTransScale(float w, float h) override;
    void setTransAngle(float angle) override;
    void setTransDat(float dx, float dy) override;
    void setTransDist(float h, float v) override;

    void SetWindow(TDrawWindow *AWnd);

    // ---- state
    CToolState FState;
    TDrawWindow *FWindow = nullptr;
    sSize FGhost{1, 1};
    bool FIsPlay = true;
    TDockFloatManager &FPalMngr;

    // ---- preset sets and the palette's brush objects
    std::unique_ptr<TStroke> FStroke;
    std::unique_ptr<TPaintParam> FPlayParam;
    std::unique_ptr<CPenMethodMngr> FPenMtdMngr;
    std::unique_ptr<CPenShapeMngr> FPenNibMngr;
    std::unique_ptr<CPenShapeObj> FPenNibObj;
    std::unique_ptr<TSwatchMngr> FSwatchMngr;
    std::unique_ptr<CGradMngr> FGradMngr;
    std::unique_ptr<CToneMngr> FToneMngr;
    // The legacy pen slots (their built-in settings until saved ones are read).
    struct SFormarPens
    {
        TPenParamQZ2Array pens;
    };
    std::unique_ptr<SFormarPens> FFormarPens;

    // ---- the window's own controls
    std::array<TqZGlyphButton *, kToolKindCount> FToolButtons{};
    std::array<QMenu *, kToolKindCount> FToolMenus{};
    TTwinColorCell *FToolCell = nullptr;
    TGradientListView *FChkGrad = nullptr;
    TToneListView *FChkTone = nullptr;
    TNumLabelEditPopup *EdtToolDens = nullptr;

    // ---- the views (dock views until the palette views replace them)
    enum TViewIndex
    {
        vwOption,
        vwNavigator,
        vwInfomation,
        vwColor,
        vwSwatch,
        vwPenMtd,
        vwLayer,
        vwMask,
        vwEvent,
        vwLoupe,
        vwQZ5Option,
        kViewCount
    };
    std::array<QPointer<TCustomDockView>, kViewCount> FViews{};
    TCustomDockView *FOptionView = nullptr;
    TCustomDockView *FQZ5OptionView = nullptr;

    // ---- option view controls
    TPenMethodListView *FDrpPenMtd = nullptr;
    TAspectRotation *FAspRot = nullptr;
    TSubPaintDropDown *FDrpSubMode = nullptr;
    TAirMapDropDown *FDrpAirMap = nullptr;
    TPressureGamma *FPrsGam = nullptr;
    TqZGlyphLabel *FLblOptDens = nullptr, *FLblBrushSpace = nullptr, *FLblNibRadius = nullptr,
                  *FLblNibMinRad = nullptr, *FLblGradRep = nullptr;
    std::array<TqZGlyphLabel *, 3> FLblBrushEfct{};
    TqZGlyphButton *FBtnPresDens = nullptr, *FBtnPresSize = nullptr, *FBtnToolAA = nullptr,
                   *FBtnUseGrad = nullptr, *FBtnUseTone = nullptr;
    TqZGlyphButton *FBtnGradInf = nullptr, *FBtnGradLine = nullptr, *FBtnGradRad = nullptr,
                   *FBtnGradCir = nullptr, *FBtnGradRet = nullptr, *FBtnGradRemind = nullptr;
    TqZGlyphButton *FBtnToolSave = nullptr, *FBtnToolNew = nullptr, *FBtnToolDel = nullptr;
    TqZGlyphButton *FBtnScaleFix = nullptr;
    TGradientListView *FDrpGrad = nullptr;
    TNumLabelEditPopup *EdtOptDens = nullptr, *EdtBrushSpace = nullptr, *EdtNibRadius = nullptr,
                       *EdtNibShpScl = nullptr, *EdtNibMinRad = nullptr, *EdtSmoothLevel = nullptr,
                       *EdtSeedRange = nullptr, *EdtGradRep = nullptr;
    std::array<TNumLabelEditPopup *, 3> EdtBrushEfct{};
    TLabelEdit *EdtToolName = nullptr;
    QCheckBox *ChkSeedUseAll = nullptr, *CheckBSplineEnable = nullptr, *CheckAspectRock = nullptr,
              *CheckCenter = nullptr;
    QWidget *FLblRadiusUnit = nullptr; // a QLabel: "px" or "%"
    QWidget *FLblDensUnit = nullptr;
    QWidget *FLblSeedRange = nullptr; // a QLabel: the tolerance's caption
    QMenu *PopOption = nullptr;
    QMenu *PopPenNib = nullptr;

    // ---- free transform fields
    TNumLabelEditPopup *EdtOptDatXRange = nullptr, *EdtOptDatYRange = nullptr,
                       *EdtOptScaleWRange = nullptr, *EdtOptScaleHRange = nullptr,
                       *EdtOptRotRange = nullptr;
    QPushButton *BtnTransformApply = nullptr, *BtnTransformCancel = nullptr, *BtnMoveOK = nullptr;
    std::vector<QWidget *> FTransformRows; // their captions and units

    // ---- other views' lists
    TPenMethodListView *FLstPenMtd = nullptr;
    TPenNibListView *FLstPenNib = nullptr;
    TLayerListView *FLstLyr = nullptr;
    TMaskListView *FLstMask = nullptr;
    std::unique_ptr<IDocumentListWindow> FListWindow;

    // ---- value models
    TNumMngr *NumToolDens = nullptr, *NumBrushSpace = nullptr, *NumBrushPresG = nullptr,
             *NumNibRadius = nullptr, *NumNibShpScl = nullptr, *NumNibMinRad = nullptr,
             *NumSmoothLevel = nullptr, *NumSeedRange = nullptr, *NumGradRep = nullptr,
             *NumDispScale = nullptr, *NumDispRot = nullptr, *NumLyrDens = nullptr;
    std::array<TNumMngr *, 3> NumBrushEfct{};
    TNumMngr *NumOptDatXRange = nullptr, *NumOptDatYRange = nullptr, *NumOptScaleWRange = nullptr,
             *NumOptScaleHRange = nullptr, *NumOptRotRange = nullptr, *NumOptShrHRange = nullptr,
             *NumOptShrVRange = nullptr;

    // ---- the nib pop-up
    QPointer<TPresetPopupForm> FPopPenNib;
    int FOldNibIndex = -1;
    int FNibPopupOpenIndex = -1;

    // A label's drag changes its value only while it runs (LblBeginDrag .. LblEndDrag).
    QObject *FDragLabel = nullptr;

  private:
    // construction.cpp
    void createToolButtons();
    void createManagers();
    void createViews();
    void createOptionControls();
    void createTransformFields();
    void createOtherLists();
    TNumMngr *makeNum(float min, float max, float def, float amount = 1);
    TNumLabelEditPopup *makeField(QWidget *parent, TNumMngr *model, const QString &hint,
                                  const QString &format = QStringLiteral("%1.0f"));
    TqZGlyphLabel *makeLabel(QWidget *parent, TqZGlyphType glyph, const QString &hint);
    TqZGlyphButton *makeToggle(QWidget *parent, TqZGlyphType glyph, int group, bool allowAllUp,
                               const QString &hint);
    // option_view.cpp
    void loadControlsFromBrush();
    bool writeParamFrom(QObject *Sender);
    void placeOptionControls(const struct SOptionViewState &s);
    void applyOptionVisibility(const struct SOptionViewState &s);
    bool usesShapeImage() const;
    // transform_fields.cpp
    void scaleChange(bool width);
    // binding.cpp
    bool freeTransformRunning() const;
    class TSelectTransform *transformer() const;
};

// Fills the document's application hooks from the tool window: the main stroke, the selected nib,
// the gradient's colour slots, the gradient set and the tone set.
void toolFormPaperHooks(TToolForm &form, SPaperAppHooks &hooks);
