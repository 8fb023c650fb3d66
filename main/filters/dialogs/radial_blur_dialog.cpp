#include "filters/dialogs/radial_blur_dialog.h"

#include "filters/dialogs/effect_dialog_values.h"
#include "filters/dialogs/track_area.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"

#include <QLabel>

namespace {
SNumFieldSpec offsetSpec(const char *caption)
{
    SNumFieldSpec s;
    s.caption = u8(caption);
    s.min = -128;
    s.max = 128;
    s.unit = QStringLiteral("px");
    s.track = false;
    return s;
}

SRadialBlurMemo &memo()
{
    return effectDialogMemos().radialBlur;
}

} // namespace

TFormRadialBlur4::TFormRadialBlur4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("ぼかし(ズーム)"));
    SNumFieldSpec a;
    a.caption = u8("量(&A)");
    a.min = 1;
    a.max = 100;
    FieldA = addNumField(this, kControlsLeft, kControlsTop, a);
    FieldL = addNumField(this, kControlsLeft, kControlsTop + 44, offsetSpec("&X"));
    FieldT = addNumField(this, kControlsLeft, kControlsTop + 68, offsetSpec("&Y"));
    auto *caption = new QLabel(u8("中心"), this);
    caption->setGeometry(240, 104, 88, 16);
    TrackLT = new TTrackArea(this);
    TrackLT->SetBounds(240, 122, 88, 88);
    TrackLT->setFocusControl(FieldL.edit);
    TrackLT->OnChange = [this](QObject *s) { ValueChange(s); };
    fitClientHeight(292);
}

void TFormRadialBlur4::ReadCurParam()
{
    FCurParam =
        radialBlurRecord(FieldL.num->Value(), FieldT.num->Value(), FieldA.num->Value(), FProtect);
}

void TFormRadialBlur4::SetupControls()
{
    setField(FieldA, float(memo().amount));
    setPreviewChecked(memo().preview);
    // The size is noted at every opening, Cancel or not: the repeat scales to it.
    const sRect &r = FltMngr->maskRect();
    const int32_t w = r.x1 - r.x0, h = r.y1 - r.y0;
    memo().width = w;
    memo().height = h;
    FieldL.num->SetValues(nullptr, 0, -float(w) / 2, float(w) / 2);
    FieldT.num->SetValues(nullptr, 0, -float(h) / 2, float(h) / 2);
    TrackLT->SetPosition(FieldL.num->Position(), FieldT.num->Position());
    FProtect = filterLayerProtected(*FltMngr);
}

uint8_t TFormRadialBlur4::ControlChanged(QObject *Sender)
{
    if (Sender == TrackLT) {
        FieldL.num->setPosition(TrackLT->HorzPos());
        FieldT.num->setPosition(TrackLT->VertPos());
        return 2;
    }
    if (Sender == FieldL.num || Sender == FieldT.num) {
        TrackLT->SetPosition(FieldL.num->Position(), FieldT.num->Position());
        return 2;
    }
    uint8_t a = 0;
    pairedChange(Sender, a);
    return a;
}

void TFormRadialBlur4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    memo().offsetX = FCurParam.data0.s0;
    memo().offsetY = FCurParam.data0.s1;
    memo().amount = FCurParam.data1.b0;
    memo().preview = PreviewChecked();
}

bool execRadialBlurDialog(sFltObj2 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormRadialBlur4>(core, rec);
}

bool makeRadialBlurLastParam(sFltObj2 &rec, CFlt4Core &core)
{
    const sRect &r = core.maskRect();
    return lastRadialBlur(memo(), r.x1 - r.x0, r.y1 - r.y0, filterLayerProtected(core), rec);
}
