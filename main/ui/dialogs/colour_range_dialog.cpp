#include "ui/dialogs/colour_range_dialog.h"

#include "core/image/display_canvas.h"
#include "core/pixel/blend_modes.h"
#include "core/tiles/block_layer_image.h"
#include "document/edit/edit_ops.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/selection/effect_rect.h"
#include "document/view/composition.h"
#include "paint/stroke/stroke.h"
#include "platform/desktop/messages.h"
#include "platform/system/clock.h"
#include "ui/dialogs/paint_box.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"
#include "ui/preview/preview_layer.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <new>

namespace {

constexpr int kPreviewEdge = 192;
constexpr uint32_t kToleranceDelay = 500;
constexpr int32_t kDefaultTolerance = 50;

QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

QString pickModeText(ePicMode mode)
{
    switch (mode) {
    case ePicMode::modePlus:
        return u8("追加");
    case ePicMode::modeMinus:
        return u8("削除");
    case ePicMode::modeNomal:
        break;
    }
    return u8("新規");
}

QImage viewOf(const TMTC &tc)
{
    return tc.imageView();
}

} // namespace

TFormColorMask::TFormColorMask(QWidget *owner) : TDialogBaseForm(owner)
{
    setWindowTitle(u8("色域選択"));
    setClientSize(520, 312);

    PreviewLayer1 = new TPreviewLayer(this);
    PreviewLayer1->SetBounds(8, 8, kPreviewEdge, 244);
    PreviewLayer1->PaintBox1->installEventFilter(this);
    PreviewLayer1->PaintBox1->setMouseTracking(true);
    connect(PreviewLayer1->ComboBox1, &QComboBox::currentIndexChanged, this,
            [this] { PreviewLayer1ComboBox1Change(); });

    PreviewS = new TPaintBox(this);
    PreviewS->setGeometry(208, 34, kPreviewEdge, kPreviewEdge);
    PreviewS->OnPaint = [this](QPainter &p) { FormPaintS(p); };
    PreviewS->installEventFilter(this);

    LabelS = new QLabel(u8("表示(&D)"), this);
    LabelS->setGeometry(208, 236, 60, 16);
    ComboBoxS = new QComboBox(this);
    ComboBoxS->addItems({u8("グレースケール"), u8("カラー(背景白)"), u8("カラー(背景黒)")});
    ComboBoxS->setCurrentIndex(0);
    ComboBoxS->setGeometry(270, 232, 130, 22);
    LabelS->setBuddy(ComboBoxS);
    connect(ComboBoxS, &QComboBox::currentIndexChanged, this, [this] { ComboBoxSChange(); });

    RadioGroupM = new QGroupBox(u8("モード"), this);
    RadioGroupM->setGeometry(408, 72, 104, 100);
    RadioGroupMButtons = new QButtonGroup(this);
    const char *items[] = {"新規(&N)", "追加(&A)", "削除(&S)", "移動(&H)"};
    for (int i = 0; i < 4; ++i) {
        auto *r = new QRadioButton(u8(items[i]), RadioGroupM);
        r->setGeometry(8, 18 + i * 19, 90, 18);
        RadioGroupMButtons->addButton(r, i);
    }
    RadioGroupMButtons->button(0)->setChecked(true);
    connect(RadioGroupMButtons, &QButtonGroup::idClicked, this,
            [this](int id) { RadioGroupMClick(id); });

    ButtonReset = new QPushButton(u8("初期値(&R)"), this);
    ButtonReset->setGeometry(416, 182, 88, 22);
    connect(ButtonReset, &QPushButton::clicked, this, [this] { ButtonResetClick(); });

    LabelR = new QLabel(u8("適用範囲(&G)"), this);
    LabelR->setGeometry(8, 262, 80, 16);
    NumR = new TNumMngr(this);
    NumR->beginLoading();
    NumR->setValueMin(1);
    NumR->setValueMax(255);
    NumR->setValueDefault(kDefaultTolerance);
    NumR->setValue(kDefaultTolerance);
    NumR->endLoading();
    NumR->Amount = 1;
    EditR = new TNumEdit(this);
    EditR->setFormatString(QStringLiteral("%1.0f"));
    EditR->setAlignment(taRightJustify);
    EditR->setGeometry(92, 260, 48, 20);
    EditR->setAssociate(NumR);
    LabelR->setBuddy(EditR);
    TrackR = new TGraphicTrackbar(this);
    TrackR->SetBounds(8, 286, kPreviewEdge, 14);
    TrackR->setPosition(NumR->Position());
    NumR->OnChange = [this](QObject *s) { ValueChange(s); };
    TrackR->OnChange = [this](QObject *s) { ValueChange(s); };

    GroupBoxC = new QGroupBox(this);
    GroupBoxC->setGeometry(208, 258, 192, 44);
    LabelC = new QLabel(u8("選択中の色"), GroupBoxC);
    LabelC->setGeometry(8, 16, 70, 16);
    PreviewC = new TPaintBox(GroupBoxC);
    PreviewC->setGeometry(80, 14, 20, 20);
    PreviewC->OnPaint = [this](QPainter &p) { FormPaintC(p); };
    LabelM = new QLabel(u8("モード"), GroupBoxC);
    LabelM->setGeometry(108, 16, 36, 16);
    LabelV = new QLabel(pickModeText(ePicMode::modeNomal), GroupBoxC);
    LabelV->setGeometry(148, 16, 40, 16);

    Timer1 = new QTimer(this);
    Timer1->setInterval(int(kToleranceDelay));
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    m_alphaCh.Resize(kPreviewEdge, kPreviewEdge);
    m_alphaCh.PixelFill(0);
    m_PreTC.Resize(kPreviewEdge, kPreviewEdge);
    m_PreTC.PixelFill(0);
    m_SrcTC.Resize(kPreviewEdge, kPreviewEdge);
    m_SrcTC.PixelFill(0);
    m_PicTC.Resize(20, 20);
    setCurColor(0xFF000000u);
    updateCursors();
}

TFormColorMask::~TFormColorMask() = default;

// ---- binding

bool TFormColorMask::SetParams(IPaperOwner *dw, TFlowImage *flow, int32_t idx)
{
    m_dw = dw;
    m_flow = flow;
    m_paper = flow ? flow->paper() : nullptr;
    m_index = idx;
    if (!m_paper || !m_paper->getLayerData(idx))
        return false;
    const SColorRangeSettings remembered = colorRangeSettings();
    {
        const QSignalBlocker quiet(PreviewLayer1->ComboBox1);
        PreviewLayer1->setFDisp(remembered.source);
    }
    if (!PreviewLayer1->Attach(dw, flow, idx))
        return false;
    // The area stays the one of the source chosen now, whatever source is picked later.
    m_copybox = colorRangeSourceArea(*m_paper, idx, CurTarget() == 1);
    m_pre = colorRangePreviewSize({m_copybox.w, m_copybox.h});
    if (!m_alphaCh.Resize(m_pre.x, m_pre.y) || !m_PreTC.Resize(m_pre.x, m_pre.y) ||
        !m_SrcTC.Resize(m_pre.x, m_pre.y) || !buildReducedSource())
        return false;
    m_box = {(kPreviewEdge - m_pre.x) / 2, (kPreviewEdge - m_pre.y) / 2, m_pre.x, m_pre.y};
    m_cm.setParam(m_picks.param(CurTarget() == 1), m_SrcVMTC.get(), &m_alphaCh, nullptr, {0, 0});
    const TStroke *stroke = m_paper->getActiveStroke();
    const uint32_t drawColor = stroke ? stroke->strokeDrawColor() : 0xFF000000u;
    m_picks.reset(drawColor, CurRange());
    setCurColor(drawColor);
    {
        const QSignalBlocker quiet(ComboBoxS);
        ComboBoxS->setCurrentIndex(std::clamp(remembered.display, 0, 2));
    }
    setCurRange(remembered.tolerance);
    m_picks.setLastTolerance(CurRange());
    renderPreview(true);
    rebuildPreviewPicture();
    Timer1->stop();
    LastTime = timeGetTime();
    return true;
}

bool TFormColorMask::Recovery(CLayerData &ld, const CBlockVMTC &bkup)
{
    return ld.imageTC && ld.imageTC->copyArea(bkup);
}

void TFormColorMask::GetParameter(SColorMask &param, std::span<const SPicCol> &pcol) const
{
    param = m_picks.param(CurTarget() == 1);
    pcol = m_picks.entries();
}

bool TFormColorMask::buildReducedSource()
{
    const CLayerData *ld = m_paper ? m_paper->getLayerData(m_index) : nullptr;
    if (!ld || !ld->imageTC)
        return false;
    try {
        const int32_t w = std::max(m_copybox.w, 1), h = std::max(m_copybox.h, 1);
        CBlockVMTC area(w, h);
        auto reduced = std::make_unique<CBlockVMTC>(m_pre.x, m_pre.y);
        if (!area.isEnable() || !reduced->isEnable())
            return false;
        if (CurTarget() == 1) {
            UpdateVRAM(*m_paper, false, true);
            const TTC &vram = m_paper->vram();
            for (int32_t y = 0; y < m_copybox.h; ++y)
                for (int32_t x = 0; x < m_copybox.w; ++x) {
                    const int32_t sx = m_copybox.x + x, sy = m_copybox.y + y;
                    if (sx >= 0 && sy >= 0 && sx < vram.width() && sy < vram.height() &&
                        !area.setPixel(x, y, vram.getColor(sx, sy) | 0xFF000000u))
                        return false;
                }
            if (m_paper->isVramDirty())
                m_paper->drawOptionalImage();
        } else {
            area.copyArea(*ld->imageTC, {0, 0}, m_copybox);
        }
        if (!area.FilterSmallenHQ(*reduced))
            return false;
        m_SrcVMTC = std::move(reduced);
    } catch (const std::bad_alloc &) {
        return false;
    }
    m_SrcTC.PixelFill(0);
    for (int32_t y = 0; y < m_SrcTC.height(); ++y)
        for (int32_t x = 0; x < m_SrcTC.width(); ++x)
            pixelPutOver(m_SrcTC.seek32(x, y), m_SrcVMTC->getColor(x, y), 255);
    m_cm.setParam(m_picks.param(CurTarget() == 1), m_SrcVMTC.get(), &m_alphaCh, nullptr, {0, 0});
    return true;
}

// ---- properties

int32_t TFormColorMask::CurRange() const
{
    return NumR ? int32_t(NumR->Value()) : kDefaultTolerance;
}

void TFormColorMask::setCurRange(int32_t v)
{
    NumR->setValue(float(v));
    TrackR->setPosition(NumR->Position());
}

void TFormColorMask::setCurColor(uint32_t col)
{
    FCurColor = col;
    // A black one-pixel frame around the colour, shown opaque.
    m_PicTC.PixelFill(0xFF000000u);
    for (int32_t y = 1; y < m_PicTC.height() - 1; ++y)
        for (int32_t x = 1; x < m_PicTC.width() - 1; ++x)
            m_PicTC.seek32(x, y)->all = col | 0xFF000000u;
    if (PreviewC)
        PreviewC->update();
}

int32_t TFormColorMask::CurTarget() const
{
    return PreviewLayer1->FDisp();
}

int32_t TFormColorMask::CurDisplay() const
{
    return ComboBoxS->currentIndex();
}

void TFormColorMask::setCurPicMode(ePicMode mode)
{
    m_PicMode = mode;
    if (!m_moveMode)
        LabelV->setText(pickModeText(mode));
}

Qt::CursorShape TFormColorMask::pickCursor() const
{
    if (m_moveMode)
        return Qt::OpenHandCursor;
    switch (m_PicMode) {
    case ePicMode::modePlus:
        return Qt::DragCopyCursor;
    case ePicMode::modeMinus:
        return Qt::ForbiddenCursor;
    case ePicMode::modeNomal:
        break;
    }
    return Qt::CrossCursor;
}

void TFormColorMask::updateCursors()
{
    PreviewLayer1->PaintBox1->setCursor(pickCursor());
    PreviewS->setCursor(pickCursor());
}

// ---- picking

void TFormColorMask::pickColor(uint32_t col)
{
    const CColorPickList::eUpdate upd = m_picks.pick(col, m_PicMode, CurRange());
    if (upd == CColorPickList::eUpdate::none)
        return;
    setCurColor(col);
    m_update = true;
    m_updateAll = m_updateAll || upd == CColorPickList::eUpdate::full;
    UpdatePreview();
}

void TFormColorMask::PreviewSMouseDown(int x, int y)
{
    if (!m_SrcVMTC || x < m_box.x || y < m_box.y || x >= m_box.x + m_box.w ||
        y >= m_box.y + m_box.h)
        return;
    pickColor(m_SrcVMTC->getColor(x - m_box.x, y - m_box.y));
}

void TFormColorMask::PreviewLayer1PaintBox1MouseDown(Qt::MouseButton button, int x, int y)
{
    if (m_moveMode) {
        PreviewLayer1->PaintBox1MouseDown(button, x, y);
        return;
    }
    if (button != Qt::LeftButton || !PreviewLayer1->Attached())
        return;
    const TPreviewFrame &f = *PreviewLayer1;
    const int32_t dx = x - f.DstLeft(), dy = y - f.DstTop();
    if (dx < 0 || dy < 0 || f.DstWidth() <= 0 || f.DstHeight() <= 0)
        return;
    const int32_t sx = dx * f.SrcAdjWidth() / f.DstWidth();
    const int32_t sy = dy * f.SrcAdjHeight() / f.DstHeight();
    if (sx >= f.SrcTC().width() || sy >= f.SrcTC().height())
        return;
    pickColor(f.SrcTC().getColor(sx, sy));
}

void TFormColorMask::PreviewLayer1PaintBox1MouseMove(Qt::MouseButtons buttons, int x, int y)
{
    if (m_moveMode)
        PreviewLayer1->PaintBox1MouseMove(buttons, x, y);
}

void TFormColorMask::PreviewLayer1PaintBox1MouseUp()
{
    if (m_moveMode || PreviewLayer1->Drag)
        PreviewLayer1->PaintBox1MouseUp();
}

void TFormColorMask::RadioGroupMClick(int item)
{
    if (item < 0 || item > kColorMaskMoveItem)
        return;
    if (QAbstractButton *b = RadioGroupMButtons->button(item))
        b->setChecked(true);
    m_moveMode = item == kColorMaskMoveItem;
    if (!m_moveMode)
        setCurPicMode(ePicMode(item));
    updateCursors();
}

void TFormColorMask::modifiersChanged(Qt::KeyboardModifiers mods)
{
    if (RadioGroupMButtons->checkedId() != 0)
        return;
    const bool shift = mods & Qt::ShiftModifier, ctrl = mods & Qt::ControlModifier;
    m_moveMode = shift && ctrl;
    if (!m_moveMode)
        setCurPicMode(shift  ? ePicMode::modePlus
                      : ctrl ? ePicMode::modeMinus
                             : ePicMode::modeNomal);
    updateCursors();
}

namespace {
// The modifiers after a key event: a modifier key's own press or release is not always in them.
Qt::KeyboardModifiers modifiersAfter(const QKeyEvent *ev, bool down)
{
    Qt::KeyboardModifiers mods = ev->modifiers();
    const Qt::KeyboardModifier own = ev->key() == Qt::Key_Shift     ? Qt::ShiftModifier
                                     : ev->key() == Qt::Key_Control ? Qt::ControlModifier
                                                                    : Qt::NoModifier;
    if (own != Qt::NoModifier)
        mods.setFlag(own, down);
    return mods;
}
} // namespace

void TFormColorMask::keyPressEvent(QKeyEvent *ev)
{
    modifiersChanged(modifiersAfter(ev, true));
    TDialogBaseForm::keyPressEvent(ev);
}

void TFormColorMask::keyReleaseEvent(QKeyEvent *ev)
{
    modifiersChanged(modifiersAfter(ev, false));
    TDialogBaseForm::keyReleaseEvent(ev);
}

bool TFormColorMask::eventFilter(QObject *watched, QEvent *ev)
{
    const bool onSource = watched == PreviewLayer1->PaintBox1;
    if (!onSource && watched != PreviewS)
        return TDialogBaseForm::eventFilter(watched, ev);
    auto *me = static_cast<QMouseEvent *>(ev);
    switch (ev->type()) {
    case QEvent::MouseButtonPress: {
        const QPoint pt = me->position().toPoint();
        if (onSource)
            PreviewLayer1PaintBox1MouseDown(me->button(), pt.x(), pt.y());
        else if (me->button() == Qt::LeftButton)
            PreviewSMouseDown(pt.x(), pt.y());
        return true;
    }
    case QEvent::MouseMove:
        if (onSource) {
            const QPoint pt = me->position().toPoint();
            PreviewLayer1PaintBox1MouseMove(me->buttons(), pt.x(), pt.y());
        }
        return true;
    case QEvent::MouseButtonRelease:
        if (onSource)
            PreviewLayer1PaintBox1MouseUp();
        return true;
    default:
        return TDialogBaseForm::eventFilter(watched, ev);
    }
}

// ---- tolerance, display and source

void TFormColorMask::ValueChange(QObject *Sender)
{
    if (UpdateValue)
        return;
    UpdateValue = true;
    if (Sender == TrackR)
        NumR->setPosition(TrackR->Position());
    else
        TrackR->setPosition(NumR->Position());
    UpdateValue = false;
    if (m_picks.setLastTolerance(CurRange())) {
        LastTime = timeGetTime();
        Timer1->start();
    }
}

void TFormColorMask::Timer1Timer()
{
    if (timeGetTime() - LastTime < kToleranceDelay)
        return;
    Timer1->stop();
    m_update = m_updateAll = true;
    UpdatePreview();
}

void TFormColorMask::ComboBoxSChange()
{
    rebuildPreviewPicture();
    PreviewS->update();
}

void TFormColorMask::PreviewLayer1ComboBox1Change()
{
    if (!m_paper)
        return;
    if (!buildReducedSource()) {
        showWarning(u8("メモリ不足のため実行できませんでした！"));
        return;
    }
    m_update = m_updateAll = true;
    UpdatePreview();
}

void TFormColorMask::ButtonResetClick()
{
    RadioGroupMClick(0);
    setCurRange(kDefaultTolerance);
    const TStroke *stroke = m_paper ? m_paper->getActiveStroke() : nullptr;
    const uint32_t drawColor = stroke ? stroke->strokeDrawColor() : 0xFF000000u;
    m_picks.reset(drawColor, CurRange());
    setCurColor(drawColor);
    m_update = m_updateAll = true;
    UpdatePreview();
}

// ---- the preview

void TFormColorMask::renderPreview(bool full)
{
    const std::span<const SPicCol> all = m_picks.entries();
    if (full)
        m_alphaCh.PixelFill(0);
    if (!m_SrcVMTC || all.empty())
        return;
    m_cm.Rendering(full ? all : all.last(1));
}

void TFormColorMask::UpdatePreview()
{
    if (!m_update)
        return;
    if (m_updateAll) {
        renderPreview(true);
    } else {
        if (m_PicMode == ePicMode::modeNomal)
            m_alphaCh.PixelFill(0);
        renderPreview(false);
    }
    m_update = m_updateAll = false;
    rebuildPreviewPicture();
    PreviewS->update();
}

void TFormColorMask::rebuildPreviewPicture()
{
    makeColorRangePreview(m_SrcTC, m_alphaCh, CurDisplay(), m_PreTC);
}

void TFormColorMask::FormPaintS(QPainter &p)
{
    p.drawImage(m_box.x, m_box.y, viewOf(m_PreTC));
}

void TFormColorMask::FormPaintC(QPainter &p)
{
    p.drawImage(0, 0, viewOf(m_PicTC));
}

void TFormColorMask::ButtonOKClick()
{
    TDialogBaseForm::ButtonOKClick();
    colorRangeSettings() = {CurRange(), CurDisplay(), CurTarget()};
}

// ---- the command

bool selectColorRangeCmd(TPaper &paper, TFlowImage *flow, int32_t idx)
{
    IPaperOwner *dw = paper.owner();
    if (dw && !dw->canAcceptEditCmd(true, false, true))
        return false;
    const CLayerData *ld = paper.getLayerData(idx);
    sRect eff;
    if (!ld || !ld->imageTC ||
        !getEffectRect(ld->imageTC.get(), ld->viewPos, paper.getActiveMaskData(), eff)) {
        showWarning(u8("有効な選択範囲がありません"));
        return false;
    }
    try {
        TFormColorMask dialog;
        if (!dialog.SetParams(dw, flow, idx))
            return false;
        dialog.FilterBegin();
        if (doShowModal(dialog) != kavrin::mrOk)
            return false;
        SColorMask param;
        std::span<const SPicCol> pcol;
        dialog.GetParameter(param, pcol);
        return applyColorRange(paper, flow, idx, -1, param, pcol, true);
    } catch (const std::bad_alloc &) {
        err_memHandler();
    } catch (const std::exception &e) {
        err_stdHandler(&e);
    }
    return false;
}
