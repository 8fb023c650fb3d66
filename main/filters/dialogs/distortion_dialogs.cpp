#include "filters/dialogs/distortion_dialogs.h"

#include "filters/dialogs/dialog_values.h"
#include "filters/dialogs/effect_dialog_values.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {
SEffectDialogMemos &memos()
{
    return effectDialogMemos();
}

// -999..999 kept inside -180..180, the trackbar's middle at 0.
SNumFieldSpec wrappedAngleSpec(const char *caption, const char *unit)
{
    SNumFieldSpec s = fieldSpec(caption, -999, 999, unit);
    s.format = QStringLiteral("%.6g");
    s.wrapMin = -180;
    s.wrapMax = 180;
    s.useCenter = true;
    return s;
}

constexpr double kRadiansToDegrees = 57.295779513082320877;
} // namespace

// ---------------------------------------------------------------------------------------------
// Rotate

TFormRotate4::TFormRotate4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("回転"));
    FieldA = addNumField(this, 12, 8, wrappedAngleSpec("角度(&A)", "°"));
    ButtonR = addButton(this, 240, 100, u8("リセット(&R)"));
    fitClientHeight(130);
}

void TFormRotate4::ReadCurParam()
{
    FCurParam = rotateRecord(FieldA.num->Value(), Attached() && filterLayerProtected(*FltMngr));
}

void TFormRotate4::SetupControls()
{
    setField(FieldA, 0);
    setPreviewChecked(memos().rotate.preview);
}

uint8_t TFormRotate4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    if (pairedChange(Sender, a))
        return a;
    if (Sender == ButtonR) {
        setField(FieldA, FieldA.num->ValueDefault());
        return 1;
    }
    return 0;
}

void TFormRotate4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    SRotateMemo &m = memos().rotate;
    m.angle = FCurParam.data0._float;
    m.flag = FCurParam.data1.b2 != 0;
    m.byte = FCurParam.data1.b3;
    m.preview = PreviewChecked();
}

bool execRotateDialog(sFltObj2 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormRotate4>(core, rec);
}

bool makeRotateLastParam(sFltObj2 &rec, CFlt4Core &core)
{
    rec = lastRotate(memos().rotate, filterLayerProtected(core));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Scale

TFormScale4::TFormScale4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("拡大・縮小"));
    SNumFieldSpec px = fieldSpec("幅(&W)", 0, 10000, "px");
    px.track = false;
    SNumFieldSpec pc = fieldSpec("", 0, 1600, "%");
    pc.format = QStringLiteral("%.6g");
    pc.useCenter = true;
    pc.center = 100;
    FieldW = addNumField(this, 12, 8, px);
    FieldWS = addNumField(this, 12, 32, pc);
    px.caption = u8("高さ(&H)");
    FieldH = addNumField(this, 12, 80, px);
    FieldHS = addNumField(this, 12, 104, pc);
    // The percent boxes open at 100 whatever the range later set.
    FieldWS.num->setValue(100);
    FieldHS.num->setValue(100);
    ChkC = addCheckBox(this, 12, 152, u8("縦横比の固定(&C)"));
    ChkH = addCheckBox(this, 12, 176, u8("左右反転(&F)"));
    ChkV = addCheckBox(this, 12, 200, u8("上下反転(&L)"));
    // Ticking the aspect changes nothing until a size changes.
    ChkC->disconnect(this);
    ButtonR = addButton(this, 240, 100, u8("リセット(&R)"));
    fitClientHeight(130);
}

void TFormScale4::ReadCurParam()
{
    FCurParam = scaleRecord(FieldW.num->Value(), FieldH.num->Value(), ChkH->isChecked(),
                            ChkV->isChecked(), Attached() && filterLayerProtected(*FltMngr));
}

void TFormScale4::SetupControls()
{
    const sRect &r = FltMngr->maskRect();
    FW = float(r.x1 - r.x0);
    FH = float(r.y1 - r.y0);
    const auto setup = [](const SNumField &px, const SNumField &pc, float size) {
        const float mx = std::min(size * 1600 / 100, 10000.0f);
        px.num->SetValues(nullptr, size, 0, mx);
        px.num->setValueDefault(size);
        pc.num->setValueMax(std::clamp(mx * 100 / size, 100.0f, 1600.0f));
        pc.num->setValueDefault(100);
    };
    setup(FieldW, FieldWS, FW);
    setup(FieldH, FieldHS, FH);
    tracksFollow();
    ChkC->setChecked(memos().scale.aspect);
    setPreviewChecked(memos().scale.preview);
}

void TFormScale4::WidthChanged(float x)
{
    if (ChkC->isChecked())
        x = std::min(x, FW * FieldHS.num->ValueMax() / 100);
    if (FieldW.num->Value() != x)
        FieldW.num->setValue(x);
    if (!FieldWS.edit->hasFocus())
        FieldWS.num->setValue(x * 100 / FW);
    FieldWS.track->setPosition(FieldWS.num->Position());
    if (ChkC->isChecked()) {
        FieldHS.num->setValue(FieldWS.num->Value());
        FieldHS.track->setPosition(FieldHS.num->Position());
        FieldH.num->setValue(FieldHS.num->Value() * FH / 100);
    }
}

void TFormScale4::HeightChanged(float y)
{
    if (ChkC->isChecked())
        y = std::min(y, FH * FieldWS.num->ValueMax() / 100);
    if (FieldH.num->Value() != y)
        FieldH.num->setValue(y);
    if (!FieldHS.edit->hasFocus())
        FieldHS.num->setValue(y * 100 / FH);
    FieldHS.track->setPosition(FieldHS.num->Position());
    if (ChkC->isChecked()) {
        FieldWS.num->setValue(FieldHS.num->Value());
        FieldWS.track->setPosition(FieldWS.num->Position());
        FieldW.num->setValue(FieldWS.num->Value() * FW / 100);
    }
}

uint8_t TFormScale4::ControlChanged(QObject *Sender)
{
    if (Sender == FieldW.num)
        WidthChanged(FieldW.num->Value());
    else if (Sender == FieldH.num)
        HeightChanged(FieldH.num->Value());
    else if (Sender == FieldWS.num)
        WidthChanged(FieldWS.num->Value() * FW / 100);
    else if (Sender == FieldHS.num)
        HeightChanged(FieldHS.num->Value() * FH / 100);
    else if (Sender == FieldWS.track) {
        FieldWS.num->setPosition(FieldWS.track->Position());
        WidthChanged(FieldWS.num->Value() * FW / 100);
    } else if (Sender == FieldHS.track) {
        FieldHS.num->setPosition(FieldHS.track->Position());
        HeightChanged(FieldHS.num->Value() * FH / 100);
    } else if (Sender == ChkH || Sender == ChkV)
        return 1;
    else if (Sender == ButtonR) {
        ChkC->setChecked(true);
        ChkH->setChecked(false);
        ChkV->setChecked(false);
        WidthChanged(FW);
        HeightChanged(FH);
        return 1;
    } else
        return 0;
    return 2;
}

void TFormScale4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    SScaleMemo &m = memos().scale;
    m.widthPercent = ChkH->isChecked() ? -FieldWS.num->Value() : FieldWS.num->Value();
    m.heightPercent = ChkV->isChecked() ? -FieldHS.num->Value() : FieldHS.num->Value();
    m.aspect = true;
    m.preview = PreviewChecked();
}

bool execScaleDialog(sFltObj4 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormScale4>(core, rec);
}

bool makeScaleLastParam(sFltObj4 &rec, CFlt4Core &core)
{
    const sRect &r = core.maskRect();
    rec = lastScale(memos().scale, r.x1 - r.x0, r.y1 - r.y0, filterLayerProtected(core));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Polar coordinates

TFormPolarCoordinates4::TFormPolarCoordinates4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("極座標"));
    RadM = new QGroupBox(u8("モード"), this);
    RadM->setGeometry(kControlsLeft, kControlsTop, 208, 64);
    RadMItems = new QButtonGroup(this);
    const char *items[] = {"直交座標を極座標に(&R)", "極座標を直交座標に(&O)"};
    for (int i = 0; i < 2; ++i) {
        auto *b = new QRadioButton(u8(items[i]), RadM);
        b->setGeometry(8, 18 + i * 20, 196, 20);
        RadMItems->addButton(b, i);
    }
    RadMItems->button(0)->setChecked(true);
    connect(RadMItems, &QButtonGroup::idClicked, this, [this] { ValueChange(RadM); });
    fitClientHeight(kControlsTop + 72);
}

int TFormPolarCoordinates4::ModeIndex() const
{
    return std::max(RadMItems->checkedId(), 0);
}

void TFormPolarCoordinates4::setModeIndex(int i)
{
    if (QAbstractButton *b = RadMItems->button(i))
        b->setChecked(true);
}

void TFormPolarCoordinates4::ReadCurParam()
{
    FCurParam = polarRecord(ModeIndex(), Attached() && filterLayerProtected(*FltMngr));
}

void TFormPolarCoordinates4::SetupControls()
{
    setModeIndex(memos().polar.mode);
    setPreviewChecked(memos().polar.preview);
}

uint8_t TFormPolarCoordinates4::ControlChanged(QObject *)
{
    return 1;
}

void TFormPolarCoordinates4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    memos().polar.mode = FCurParam.data0.b0;
    memos().polar.preview = PreviewChecked();
}

bool execPolarCoordinatesDialog(sFltObj2 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormPolarCoordinates4>(core, rec);
}

bool makePolarCoordinatesLastParam(sFltObj2 &rec, CFlt4Core &core)
{
    rec = lastPolar(memos().polar, filterLayerProtected(core));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Wave

TFormWave4::TFormWave4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("波"));
    FieldH = addNumField(this, kControlsLeft, kControlsTop, fieldSpec("横波の数(&U)", 1, 50));
    FieldV = addNumField(this, kControlsLeft, kControlsTop + kControlsRow,
                         fieldSpec("縦波の数(&N)", 1, 50));
    FieldO = addNumField(this, kControlsLeft, kControlsTop + 2 * kControlsRow,
                         fieldSpec("横波の強さ(&T)", 0, 100));
    FieldE = addNumField(this, kControlsLeft, kControlsTop + 3 * kControlsRow,
                         fieldSpec("縦波の強さ(&S)", 0, 100));
    FieldA = addNumField(this, kControlsLeft, kControlsTop + 4 * kControlsRow,
                         wrappedAngleSpec("位相(&H)", "°"));
    fitClientHeight(292);
}

void TFormWave4::ReadCurParam()
{
    FCurParam = waveRecord(FieldH.num->Value(), FieldV.num->Value(), FieldO.num->Value(),
                           FieldE.num->Value(), FieldA.num->Value());
}

void TFormWave4::SetupControls()
{
    const SWaveMemo &m = memos().wave;
    FieldH.num->setValue(m.hCount);
    FieldV.num->setValue(m.vCount);
    FieldO.num->setValue(m.hStrength);
    FieldE.num->setValue(m.vStrength);
    FieldA.num->setValue(float(double(m.phase) * kRadiansToDegrees));
    tracksFollow();
    setPreviewChecked(m.preview);
}

uint8_t TFormWave4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    pairedChange(Sender, a);
    return a;
}

void TFormWave4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    SWaveMemo &m = memos().wave;
    m.hCount = FCurParam.data0.b0;
    m.vCount = FCurParam.data0.b1;
    m.hStrength = FCurParam.data0.b2;
    m.vStrength = FCurParam.data0.b3;
    m.phase = FCurParam.data1._float;
    m.preview = PreviewChecked();
}

bool execWaveDialog(sFltObj2 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormWave4>(core, rec);
}

bool makeWaveLastParam(sFltObj2 &rec)
{
    rec = lastWave(memos().wave);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Twirl

TFormTwirl4::TFormTwirl4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("渦巻き"));
    SNumFieldSpec s = fieldSpec("回転角(&A)", -999, 999, "°");
    s.useCenter = true;
    FieldA = addNumField(this, kControlsLeft, kControlsTop, s);
    fitClientHeight(292);
}

void TFormTwirl4::ReadCurParam()
{
    FCurParam = twirlRecord(FieldA.num->Value());
}

void TFormTwirl4::SetupControls()
{
    setField(FieldA, float(memos().twirl.angle));
    setPreviewChecked(memos().twirl.preview);
}

uint8_t TFormTwirl4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    pairedChange(Sender, a);
    return a;
}

void TFormTwirl4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    memos().twirl.angle = roundHalfAway(FieldA.num->Value());
    memos().twirl.preview = PreviewChecked();
}

bool execTwirlDialog(sFltObj2 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormTwirl4>(core, rec);
}

bool makeTwirlLastParam(sFltObj2 &rec)
{
    rec = lastTwirl(memos().twirl);
    return true;
}
