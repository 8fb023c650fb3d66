#include "filters/dialogs/filter_dialog.h"

#include "core/tiles/block_layer_image.h"
#include "filters/commands/paper_filter_host.h"
#include "platform/desktop/cursor.h"
#include "platform/desktop/messages.h"
#include "platform/system/clock.h"
#include "ui/base/caption_fit.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// The modal runner and the core's window

namespace {
FilterModalRunner &modalRunner()
{
    static FilterModalRunner runner;
    return runner;
}

IFilterView *viewOf(const CFlt4Core &core)
{
    const auto *host = dynamic_cast<const PaperFilterHost *>(core.host());
    return host ? host->view() : nullptr;
}

constexpr uint32_t kUpdateDelay = 700;
} // namespace

FilterModalRunner installFilterModalRunner(FilterModalRunner runner)
{
    std::swap(modalRunner(), runner);
    return runner;
}

int runFilterModal(QDialog &dialog)
{
    if (modalRunner())
        return modalRunner()(dialog);
    return dialog.exec();
}

QWidget *filterDialogOwner(const CFlt4Core &core)
{
    const IFilterView *view = viewOf(core);
    return view ? view->dialogOwner() : nullptr;
}

bool filterSmoothZoom(const CFlt4Core &core)
{
    const IFilterView *view = viewOf(core);
    return view && view->isSmoothZoom();
}

bool filterLayerProtected(const CFlt4Core &core)
{
    return core.layerView().maskProtected;
}

// ---------------------------------------------------------------------------------------------
// TPreviewFilter

TPreviewFilter::TPreviewFilter(QWidget *parent) : TPreviewFrame(parent) {}

TPreviewFilter::~TPreviewFilter()
{
    FltMngr = nullptr;
    ArgPtr = nullptr;
    ArgSize = 0;
}

bool TPreviewFilter::Attach(CFlt4Core &core, const void *argp, int32_t argSize)
{
    FltMngr = &core;
    if (!core.CheckParams() || !core.host())
        return false;
    SPreviewSource src;
    src.canvas = core.host()->flowCanvas();
    src.layerSize = core.layerView().image->FPSZ();
    src.effectRect = core.maskRect();
    src.smoothZoom = filterSmoothZoom(core);
    if (!AttachSource(src))
        return false;
    ArgPtr = argp;
    ArgSize = argSize;
    return true;
}

bool TPreviewFilter::LoadSource()
{
    if (!FltMngr)
        return false;
    // Panning and zooming show the unfiltered pixels.
    if (Drag || Scale)
        return TPreviewFrame::LoadSource();
    CBlockVMTC *layer = FltMngr->layerView().image;
    const CBlockVMTC *backup = FltMngr->backup();
    if (!layer || !backup)
        return false;
    sRect r{SrcLeft(), SrcTop(), SrcLeft() + SrcAdjWidth(), SrcTop() + SrcAdjHeight()};
    if (!rectIntersect(r, rectFromSize(layer->FPSZ())))
        return false;
    const sBox box = rectToBox(r);
    WaitCursor wait;
    // The layer under the box may hold the document window's preview: keep it aside, filter the
    // backup's pixels there, and put it back, so the window's preview stays what DirtyRect says.
    CBlockVMTC saved(box.w, box.h);
    if (!saved.isEnable() || !saved.copyArea(*layer, {0, 0}, box))
        return false;
    const sBox whole{0, 0, box.w, box.h};
    layer->copyArea(*backup, box.pos(), box);
    const bool ok = FltMngr->Filter(ArgPtr, ArgSize, &r);
    if (ok) {
        FSrcTC.PixelFill(0);
        layer->bltTo(FSrcTC, {r.x0 - SrcLeft(), r.y0 - SrcTop()}, box, 255, false);
    }
    layer->copyArea(saved, box.pos(), whole);
    return ok;
}

// ---------------------------------------------------------------------------------------------
// TFormFilter

TFormFilter::TFormFilter(QWidget *owner) : TDialogBaseForm(owner)
{
    setClientSize(344, 100);
    CheckBoxPreview = new QCheckBox(QString::fromUtf8("プレビュー(&P)"), this);
    CheckBoxPreview->setGeometry(240, 72, 88, 20);
    connect(CheckBoxPreview, &QCheckBox::clicked, this, [this] { CheckBoxPreviewClick(); });
    TimerUpdate = new QTimer(this);
    TimerUpdate->setInterval(int(kUpdateDelay));
    connect(TimerUpdate, &QTimer::timeout, this, [this] { TimerUpdateTimer(); });
    LastTime = timeGetTime();
}

TFormFilter::~TFormFilter()
{
    // The core belongs to the command.
    FltMngr = nullptr;
}

bool TFormFilter::IsChanged()
{
    return PreviewChecked() != PrePreview;
}

bool TFormFilter::Attach(CFlt4Core &core)
{
    const bool ok = core.CheckParams();
    if (ok) {
        FltMngr = &core;
        UpdateNow = true;
        SetupControls();
        ReadCurParam();
    }
    UpdateNow = false;
    return ok;
}

bool TFormFilter::UpdatePreview()
{
    return Attached() && FltMngr->Updates(CurParam(), GetParamSize());
}

void TFormFilter::RevertPreview()
{
    if (Attached())
        FltMngr->Revert(true);
}

bool TFormFilter::PreviewChecked() const
{
    return CheckBoxPreview->isChecked();
}

void TFormFilter::setPreviewChecked(bool on)
{
    const bool changed = on != PreviewChecked();
    CheckBoxPreview->setChecked(on);
    if (changed || UpdateNow)
        CheckBoxPreviewClick();
}

bool TFormFilter::CanUpdateAll(bool Force)
{
    if (!Force && !IsChanged())
        return false;
    SetPreParam(CurParam());
    return PreviewChecked() && UpdatePreview();
}

void TFormFilter::CheckBoxPreviewClick()
{
    PrePreview = PreviewChecked();
    if (UpdateNow)
        return;
    if (PrePreview)
        UpdatePreview();
    else
        RevertPreview();
}

void TFormFilter::ValueChange(QObject *Sender)
{
    if (UpdateNow)
        return;
    UpdateNow = true;
    const uint8_t a = ControlChanged(Sender);
    ReadCurParam();
    LastTime = timeGetTime();
    if (a == 2)
        TimerUpdate->start();
    else
        TimerUpdate->stop();
    UpdateNow = false;
    if (a == 1)
        CanUpdateAll(false);
}

void TFormFilter::TimerUpdateTimer()
{
    if (timeGetTime() - LastTime < kUpdateDelay)
        return;
    TimerUpdate->stop();
    CanUpdateAll(false);
}

void TFormFilter::showEvent(QShowEvent *ev)
{
    // The rectangles were measured for the original interface font: every caption grows to its
    // text in the font in use before the dialog is seen.
    fitCaptions(this);
    TDialogBaseForm::showEvent(ev);
    CanUpdateAll(true);
}

void TFormFilter::ButtonOKClick()
{
    TDialogBaseForm::ButtonOKClick();
}

// ---- building the controls

SNumFieldSpec fieldSpec(const char *caption, float min, float max, const char *unit)
{
    SNumFieldSpec s;
    s.caption = u8(caption);
    s.min = min;
    s.max = max;
    s.unit = u8(unit);
    return s;
}

std::vector<QWidget *> SNumField::widgets() const
{
    std::vector<QWidget *> out;
    for (QWidget *w : {static_cast<QWidget *>(caption), static_cast<QWidget *>(unit),
                       static_cast<QWidget *>(edit), static_cast<QWidget *>(track)})
        if (w)
            out.push_back(w);
    return out;
}

SNumField TFormFilter::addNumField(QWidget *parent, int left, int top, const SNumFieldSpec &spec)
{
    SNumField f;
    f.caption = new QLabel(spec.caption, parent);
    f.caption->setGeometry(left, top + 3, 100, 16);
    f.num = new TNumMngr(this);
    f.num->beginLoading();
    f.num->setValueMin(spec.min);
    f.num->setValueMax(spec.max);
    f.num->setValueDefault(spec.useCenter ? spec.center : std::clamp(0.0f, spec.min, spec.max));
    f.num->setValue(f.num->ValueDefault());
    if (spec.useCenter) {
        f.num->UseCenter = true;
        f.num->setValueCenter(spec.center);
    }
    f.num->endLoading();
    f.num->Amount = spec.step;
    if (spec.wrapMin < spec.wrapMax)
        f.num->SetWraps(this, true, spec.wrapMin, spec.wrapMax);
    f.edit = new TNumEdit(parent);
    f.edit->setFormatString(spec.format);
    if (spec.maxLength > 0)
        f.edit->setMaxLength(spec.maxLength);
    f.edit->setAlignment(taRightJustify);
    f.edit->setGeometry(left + 104, top, 64, 20);
    f.edit->setAssociate(f.num);
    // The caption's mnemonic moves the focus to the box.
    f.caption->setBuddy(f.edit);
    if (!spec.unit.isEmpty()) {
        f.unit = new QLabel(spec.unit, parent);
        f.unit->setGeometry(left + 172, top + 3, 24, 16);
    }
    int bottom = top + 24;
    if (spec.track) {
        f.track = new TGraphicTrackbar(parent);
        f.track->SetBounds(left, top + 24, 208, 14);
        f.track->setCenterLine(spec.useCenter);
        f.track->setPosition(f.num->Position());
        f.track->OnChange = [this](QObject *s) { ValueChange(s); };
        bottom = top + 42;
    }
    f.num->OnChange = [this](QObject *s) { ValueChange(s); };
    FFields.push_back(f);
    FBottom = std::max(FBottom, parent->mapTo(this, QPoint(0, bottom)).y());
    return f;
}

QCheckBox *TFormFilter::addCheckBox(QWidget *parent, int left, int top, const QString &caption)
{
    auto *chk = new QCheckBox(caption, parent);
    placeClickable(chk, left, top, 200);
    return chk;
}

QPushButton *TFormFilter::addButton(QWidget *parent, int left, int top, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    placeClickable(button, left, top, 88);
    return button;
}

void TFormFilter::placeClickable(QAbstractButton *button, int left, int top, int width)
{
    button->setGeometry(left, top, width, 20);
    connect(button, &QAbstractButton::clicked, this, [this, button] { ValueChange(button); });
    FBottom = std::max(FBottom, button->parentWidget()->mapTo(this, QPoint(0, top + 22)).y());
}

bool TFormFilter::pairedChange(QObject *Sender, uint8_t &answer)
{
    for (const SNumField &f : FFields) {
        if (Sender == f.num) {
            if (f.track)
                f.track->setPosition(f.num->Position());
            answer = 2;
            return true;
        }
        if (f.track && Sender == f.track) {
            f.num->setPosition(f.track->Position());
            answer = 2;
            return true;
        }
    }
    return false;
}

void TFormFilter::setField(const SNumField &f, float value)
{
    f.num->setValue(value);
    if (f.track)
        f.track->setPosition(f.num->Position());
}

void TFormFilter::tracksFollow()
{
    for (const SNumField &f : FFields)
        if (f.track)
            f.track->setPosition(f.num->Position());
}

void TFormFilter::fitClientHeight(int minHeight)
{
    setClientSize(width(), std::max(minHeight, FBottom + 8));
}

// ---------------------------------------------------------------------------------------------
// TFormFilterPreview

TFormFilterPreview::TFormFilterPreview(QWidget *owner) : TFormFilter(owner)
{
    setClientSize(344, 292);
    Preview = new TPreviewFilter(this);
    Preview->SetBounds(16, 8, 208, 230);
    setTabOrder(Preview, ButtonOK);
    setTabOrder(ButtonOK, ButtonCancel);
    setTabOrder(ButtonCancel, CheckBoxPreview);
}

bool TFormFilterPreview::Attach(CFlt4Core &core)
{
    if (!TFormFilter::Attach(core))
        return false;
    const bool ok = Preview->Attach(core, CurParam(), GetParamSize());
    if (ok)
        Preview->DrawViewTC();
    return ok;
}

bool TFormFilterPreview::CanUpdateAll(bool Force)
{
    if (!Force && !IsChanged())
        return false;
    SetPreParam(CurParam());
    Preview->DrawViewTC();
    return PreviewChecked() && UpdatePreview();
}
