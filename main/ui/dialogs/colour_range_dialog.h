// The colour-range dialog: the user picks colours in a view of the source (the active layer or
// the composed display image) or in the selection preview beside it; each pick carries its own
// tolerance and adds to or removes from the selection. The preview shows the selection rendered
// from a reduced copy of the source. The pick list, the previews' arithmetic and the remembered
// settings live in document/selection/colour_range.h; this is the widget over them, and the
// command that runs it and commits the result as the current mask.
#pragma once

#include "core/base/geometry.h"
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "document/selection/colour_range.h"
#include "ui/forms/base_forms.h"

#include <QCursor>

#include <cstdint>
#include <memory>
#include <span>

class CBlockVMTC;
class CLayerData;
class IPaperOwner;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;
class TGraphicTrackbar;
class TNumEdit;
class TNumMngr;
class TPaintBox;
class TPaper;
class TPreviewLayer;

// The pick-mode radio items: the three pick modes, then panning the source view.
constexpr int kColorMaskMoveItem = 3;

class TFormColorMask : public TDialogBaseForm
{
  public:
    explicit TFormColorMask(QWidget *owner = nullptr);
    ~TFormColorMask() override;

    // Binds the dialog to layer idx of the window's document: the source view, the source area,
    // the reduced source and an initial pick of the drawing colour; false when the view cannot
    // show the layer (no effect rectangle) or memory runs out.
    bool SetParams(IPaperOwner *dw, TFlowImage *flow, int32_t idx);
    void FilterBegin() { m_enabled = true; }
    // Puts the backup's pixels back into the layer image.
    static bool Recovery(CLayerData &ld, const CBlockVMTC &bkup);
    // The record and the picks (valid while the dialog lives).
    void GetParameter(SColorMask &param, std::span<const SPicCol> &pcol) const;

    // ---- properties
    int32_t CurRange() const;
    void setCurRange(int32_t v);
    uint32_t CurColor() const { return FCurColor; }
    void setCurColor(uint32_t col);
    int32_t CurTarget() const;
    ePicMode CurPicMode() const { return m_PicMode; }
    void setCurPicMode(ePicMode mode);
    bool isMoveMode() const { return m_moveMode; }
    int32_t CurDisplay() const;

    // ---- what the user does (the widgets call these; tests too)
    // A click in the selection preview at (x, y) of its box.
    void PreviewSMouseDown(int x, int y);
    // A click in the source view's picture at (x, y) of its box.
    void PreviewLayer1PaintBox1MouseDown(Qt::MouseButton button, int x, int y);
    void PreviewLayer1PaintBox1MouseMove(Qt::MouseButtons buttons, int x, int y);
    void PreviewLayer1PaintBox1MouseUp();
    void RadioGroupMClick(int item);
    // Shift and Ctrl while "新規" is chosen: add, remove, or (both) pan.
    void modifiersChanged(Qt::KeyboardModifiers mods);
    void ValueChange(QObject *Sender);
    void Timer1Timer();
    void ComboBoxSChange();
    void PreviewLayer1ComboBox1Change();
    void ButtonResetClick();

    // ---- what the dialog holds
    const CColorPickList &picks() const { return m_picks; }
    const TChannel &previewChannel() const { return m_alphaCh; }
    const TMTC &previewPicture() const { return m_PreTC; }
    const TMTC &swatch() const { return m_PicTC; }
    sBox previewBox() const { return m_box; }
    sBox sourceArea() const { return m_copybox; }
    // The cursor over either picture: a pick cursor per mode, the hand while panning.
    Qt::CursorShape pickCursor() const;

    TPreviewLayer *PreviewLayer1 = nullptr;
    TPaintBox *PreviewS = nullptr;
    QLabel *LabelS = nullptr;
    QComboBox *ComboBoxS = nullptr;
    QGroupBox *RadioGroupM = nullptr;
    QButtonGroup *RadioGroupMButtons = nullptr;
    QPushButton *ButtonReset = nullptr;
    QGroupBox *GroupBoxC = nullptr;
    QLabel *LabelC = nullptr;
    TPaintBox *PreviewC = nullptr;
    QLabel *LabelM = nullptr;
    QLabel *LabelV = nullptr;
    QLabel *LabelR = nullptr;
    TGraphicTrackbar *TrackR = nullptr;
    TNumEdit *EditR = nullptr;
    TNumMngr *NumR = nullptr;
    QTimer *Timer1 = nullptr;

  protected:
    void ButtonOKClick() override;
    void keyPressEvent(QKeyEvent *ev) override;
    void keyReleaseEvent(QKeyEvent *ev) override;
    // The mouse of the two pictures comes here first.
    bool eventFilter(QObject *watched, QEvent *ev) override;

  private:
    // The reduced source from the chosen source over m_copybox; false when memory runs out.
    bool buildReducedSource();
    // A picked colour through the list's rules, then the swatch and the preview.
    void pickColor(uint32_t col);
    // Clears the preview channel and renders every pick (full) or renders the last pick only.
    void renderPreview(bool full);
    void UpdatePreview();
    void rebuildPreviewPicture();
    void FormPaintS(QPainter &p);
    void FormPaintC(QPainter &p);
    void updateCursors();

    bool m_enabled = false;
    IPaperOwner *m_dw = nullptr;
    TFlowImage *m_flow = nullptr;
    TPaper *m_paper = nullptr;
    int32_t m_index = -1;
    uint32_t FCurColor = 0;
    uint32_t LastTime = 0;
    bool m_moveMode = false;
    std::unique_ptr<CBlockVMTC> m_SrcVMTC;
    TChannel m_alphaCh;
    TMTC m_PreTC, m_SrcTC, m_PicTC;
    sSize m_pre;
    sBox m_copybox;
    sBox m_box;
    CColorMask m_cm;
    CColorPickList m_picks;
    ePicMode m_PicMode = ePicMode::modeNomal;
    bool m_update = false, m_updateAll = false, UpdateValue = false;
};

// The colour-range command on layer idx of the document: the window's edit gate first; without
// an effect rectangle the warning "有効な選択範囲がありません" and no dialog; on OK the picks are
// rendered at full size and committed as the current mask (one event, one undo record). True
// when the dialog closed with OK and the selection was made (or nothing was selected).
bool selectColorRangeCmd(TPaper &paper, TFlowImage *flow, int32_t idx);
