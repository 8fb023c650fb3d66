#include "filters/dialogs/blur_noise_dialogs.h"

#include "filters/dialogs/dialog_values.h"
#include "platform/system/clock.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include <cstring>

namespace {
SFilterDialogMemos &memos()
{
    return filterDialogMemos();
}

SNumFieldSpec angleSpec(const char *caption)
{
    SNumFieldSpec s = fieldSpec(caption, -999, 999, "°");
    s.wrapMin = -180;
    s.wrapMax = 180;
    return s;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Custom kernel

TFormCustom4::TFormCustom4(QWidget *owner) : TFilterBlockForm(owner)
{
    setWindowTitle(u8("カスタム"));
    EditM00 = new QWidget(this);
    EditM00->setGeometry(kControlsLeft, kControlsTop, 40, 20);
    EditM00->hide();
    QWidget *after = Preview;
    for (int i = 0; i < 25; ++i) {
        auto *m = new TNumMngr(this);
        m->beginLoading();
        m->setValueMin(-999);
        m->setValueMax(999);
        m->setValueDefault(float(kCustomDefaultKernel[size_t(i)]));
        m->setValue(0);
        m->endLoading();
        m->OnChange = [this](QObject *s) { ValueChange(s); };
        auto *e = new TNumEdit(EditM00->parentWidget());
        e->setGeometry(EditM00->x() + (i % 5) * 42, EditM00->y() + (i / 5) * 28, 40, 20);
        e->setMaxLength(5);
        e->setAlignment(taRightJustify);
        e->setAssociate(m);
        setTabOrder(after, e);
        after = e;
        NumM[size_t(i)] = m;
        EditM[size_t(i)] = e;
    }
    SNumFieldSpec s = fieldSpec("×(&S)", 1, 9999);
    s.maxLength = 6;
    s.track = false;
    FieldS = addNumField(this, kControlsLeft, kControlsTop + 5 * 28, s);
    s = fieldSpec("±(&O)", -9999, 9999);
    s.maxLength = 6;
    s.track = false;
    FieldO = addNumField(this, kControlsLeft, kControlsTop + 5 * 28 + 26, s);
    fitClientHeight(292);
}

TFormCustom4::~TFormCustom4()
{
    for (int i = 24; i >= 0; --i) {
        delete EditM[size_t(i)];
        delete NumM[size_t(i)];
    }
}

void TFormCustom4::SetPreParam(const void *rec)
{
    const auto *r = static_cast<const sFltObjComplex *>(rec);
    static_cast<sFltObjComplexHead &>(FPreParam) = *r;
    setPreData(*r);
}

void TFormCustom4::ReadCurParam()
{
    std::array<float, 25> entries{};
    for (size_t i = 0; i < 25; ++i)
        entries[i] = NumM[i]->Value();
    FCurData = customKernel(entries, FieldS.num->Value(), FieldO.num->Value());
}

void TFormCustom4::SetupControls()
{
    const SCustomMemo &m = memos().custom;
    for (size_t i = 0; i < 25; ++i)
        NumM[i]->setValue(float(m.kernel[i]));
    FieldS.num->setValue(float(m.scale));
    FieldO.num->setValue(float(m.offset));
    setPreviewChecked(m.preview);
}

uint8_t TFormCustom4::ControlChanged(QObject *)
{
    return 2;
}

bool TFormCustom4::IsChanged()
{
    return TFormFilterPreview::IsChanged() ||
           std::memcmp(&FCurData, &FPreData, sizeof(SFltCustom)) != 0;
}

void TFormCustom4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    SCustomMemo &m = memos().custom;
    m.kernel = FCurData.matrix;
    m.scale = FCurData.scale;
    m.offset = FCurData.offset;
    m.preview = PreviewChecked();
}

bool execCustomDialog(SFltCustom &kernel, CFlt4Core &core)
{
    return runFilterDialogWith<TFormCustom4>(
        core, [&kernel](TFormCustom4 &dialog) { kernel = dialog.curData(); });
}

bool makeCustomLastParam(SFltCustom &kernel)
{
    kernel = lastCustom(memos().custom);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Sharpen (custom)

TFormSharpenCustom4::TFormSharpenCustom4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("シャープ(カスタム)"));
    SNumFieldSpec s = fieldSpec("量(&A)", 0, 1);
    s.step = 0.01f;
    s.format = QStringLiteral("%.6g");
    FieldA = addNumField(this, kControlsLeft, kControlsTop, s);
    FieldA.num->setValue(0.3f);
    fitClientHeight(292);
}

void TFormSharpenCustom4::ReadCurParam()
{
    FCurParam = sharpenCustomRecord(FieldA.num->Value());
}

void TFormSharpenCustom4::SetupControls()
{
    // Opens at the form's amount; the remembered one serves the repeat only.
    FieldA.track->setPosition(FieldA.num->Position());
    LastTime = timeGetTime();
    setPreviewChecked(memos().sharpenCustom.preview);
}

uint8_t TFormSharpenCustom4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    return pairedChange(Sender, a) ? a : 0;
}

void TFormSharpenCustom4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    memos().sharpenCustom.amount = FCurParam.data0._float;
    memos().sharpenCustom.preview = PreviewChecked();
}

bool execSharpenCustomDialog(sFltObj2 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormSharpenCustom4>(core, rec);
}

bool makeSharpenCustomLastParam(sFltObj2 &rec)
{
    rec = lastSharpenCustom(memos().sharpenCustom);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Gaussian blur

TFormGaussianBlur4::TFormGaussianBlur4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("ぼかし(ガウス)"));
    SNumFieldSpec s = fieldSpec("量(&A)", 0.1f, 10);
    s.step = 0.1f;
    s.format = QStringLiteral("%.4g");
    FieldA = addNumField(this, kControlsLeft, kControlsTop, s);
    fitClientHeight(292);
}

void TFormGaussianBlur4::ReadCurParam()
{
    FCurParam = gaussianBlurRecord(FieldA.num->Value());
}

void TFormGaussianBlur4::SetupControls()
{
    setField(FieldA, memos().gaussianBlur.amount);
    setPreviewChecked(memos().gaussianBlur.preview);
}

uint8_t TFormGaussianBlur4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    return pairedChange(Sender, a) ? a : 0;
}

void TFormGaussianBlur4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    // The exact amount: a repeat blurs as the dialog's run did.
    memos().gaussianBlur.amount = FCurParam.data0._float;
    memos().gaussianBlur.preview = PreviewChecked();
}

bool execGaussianBlurDialog(sFltObj2 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormGaussianBlur4>(core, rec);
}

bool makeGaussianBlurLastParam(sFltObj2 &rec)
{
    rec = lastGaussianBlur(memos().gaussianBlur);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Motion blur

TFormMotionBlur4::TFormMotionBlur4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("ぼかし(移動)"));
    FieldA = addNumField(this, kControlsLeft, kControlsTop, angleSpec("角度(&A)"));
    FieldM = addNumField(this, kControlsLeft, kControlsTop + kControlsRow,
                         fieldSpec("量(&D)", 1, 100, "px"));
    fitClientHeight(292);
}

void TFormMotionBlur4::ReadCurParam()
{
    FCurParam = motionBlurRecord(FieldA.num->Value(), FieldM.num->Value());
}

void TFormMotionBlur4::SetupControls()
{
    setField(FieldA, float(memos().motionBlur.angle));
    setField(FieldM, float(memos().motionBlur.distance));
    setPreviewChecked(memos().motionBlur.preview);
}

uint8_t TFormMotionBlur4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    return pairedChange(Sender, a) ? a : 0;
}

void TFormMotionBlur4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    memos().motionBlur.angle = FCurParam.data0.s1;
    memos().motionBlur.distance = FCurParam.data0.b0;
    memos().motionBlur.preview = PreviewChecked();
}

bool execMotionBlurDialog(sFltObj2 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormMotionBlur4>(core, rec);
}

bool makeMotionBlurLastParam(sFltObj2 &rec)
{
    rec = lastMotionBlur(memos().motionBlur);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Median

TFormMedian4::TFormMedian4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("明るさの中間値"));
    SNumFieldSpec s = fieldSpec("半径(&R)", 1, 100, "px");
    s.maxLength = 4;
    FieldL = addNumField(this, kControlsLeft, kControlsTop, s);
    fitClientHeight(292);
}

void TFormMedian4::ReadCurParam()
{
    FCurParam = medianRecord(FieldL.num->Value(), FltMngr && filterLayerProtected(*FltMngr));
}

void TFormMedian4::SetupControls()
{
    setField(FieldL, float(memos().median.radius));
    setPreviewChecked(memos().median.preview);
}

uint8_t TFormMedian4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    return pairedChange(Sender, a) ? a : 0;
}

void TFormMedian4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    memos().median.radius = FCurParam.data0.b0;
    memos().median.preview = PreviewChecked();
}

bool execMedianDialog(sFltObj2 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormMedian4>(core, rec);
}

bool makeMedianLastParam(sFltObj2 &rec, CFlt4Core &core)
{
    rec = lastMedian(memos().median, filterLayerProtected(core));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Mosaic

TFormMosaic4::TFormMosaic4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("モザイク"));
    SNumFieldSpec s = fieldSpec("サイズ(&C)", 2, 255, "px");
    s.maxLength = 4;
    FieldL = addNumField(this, kControlsLeft, kControlsTop, s);
    fitClientHeight(292);
}

void TFormMosaic4::ReadCurParam()
{
    FCurParam = mosaicRecord(FieldL.num->Value(), FltMngr && filterLayerProtected(*FltMngr));
}

void TFormMosaic4::SetupControls()
{
    setField(FieldL, float(memos().mosaic.size));
    setPreviewChecked(memos().mosaic.preview);
}

uint8_t TFormMosaic4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    return pairedChange(Sender, a) ? a : 0;
}

void TFormMosaic4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    memos().mosaic.size = FCurParam.data0.all;
    memos().mosaic.preview = PreviewChecked();
}

bool execMosaicDialog(sFltObj2 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormMosaic4>(core, rec);
}

bool makeMosaicLastParam(sFltObj2 &rec, CFlt4Core &core)
{
    rec = lastMosaic(memos().mosaic, filterLayerProtected(core));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Noise

TFormNoise4::TFormNoise4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("ノイズ"));
    FieldA = addNumField(this, kControlsLeft, kControlsTop, fieldSpec("量(&A)", 0, 512));
    ChkG = addCheckBox(this, kControlsLeft, kControlsTop + kControlsRow, u8("グレースケール(&M)"));
    ButtonR = addButton(this, 240, 100, u8("再作成(&R)"));
    fitClientHeight(292);
}

void TFormNoise4::ReadCurParam()
{
    FCurParam = noiseRecord(FieldA.num->Value(), ChkG->isChecked(), FSeed);
}

void TFormNoise4::SetupControls()
{
    FSeed = timeGetTime();
    setField(FieldA, float(memos().noise.amount));
    ChkG->setChecked(memos().noise.grey);
    setPreviewChecked(memos().noise.preview);
}

uint8_t TFormNoise4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    if (pairedChange(Sender, a))
        return a;
    if (Sender == ChkG)
        return 1;
    if (Sender == ButtonR) {
        FSeed = timeGetTime();
        return 1;
    }
    return 0;
}

void TFormNoise4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    memos().noise.amount = FCurParam.data0.all;
    memos().noise.grey = FCurParam.data1.all != 0;
    memos().noise.preview = PreviewChecked();
}

bool execNoiseDialog(sFltObj4 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormNoise4>(core, rec);
}

bool makeNoiseLastParam(sFltObj4 &rec)
{
    rec = lastNoise(memos().noise, timeGetTime());
    return true;
}

// ---------------------------------------------------------------------------------------------
// Diffuse

TFormDifuse4::TFormDifuse4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("拡散"));
    FieldR = addNumField(this, kControlsLeft, kControlsTop, fieldSpec("範囲(&A)", 1, 255));
    RadM = new QGroupBox(u8("モード"), this);
    RadM->setGeometry(kControlsLeft, kControlsTop + kControlsRow, 208, 84);
    RadMItems = new QButtonGroup(this);
    const char *items[] = {"通常(&N)", "比較(暗)(&D)", "比較(明)(&L)"};
    for (int i = 0; i < 3; ++i) {
        auto *b = new QRadioButton(u8(items[i]), RadM);
        b->setGeometry(8, 18 + i * 20, 180, 20);
        RadMItems->addButton(b, i);
    }
    connect(RadMItems, &QButtonGroup::idClicked, this, [this] { ValueChange(RadM); });
    ChkS = addCheckBox(this, kControlsLeft, kControlsTop + kControlsRow + 90, u8("放射線状(&S)"));
    ButtonR = addButton(this, 240, 100, u8("再作成(&R)"));
    fitClientHeight(292);
}

int TFormDifuse4::ModeIndex() const
{
    return std::max(RadMItems->checkedId(), 0);
}

void TFormDifuse4::setModeIndex(int i)
{
    if (QAbstractButton *b = RadMItems->button(std::clamp(i, 0, 2)))
        b->setChecked(true);
}

void TFormDifuse4::ReadCurParam()
{
    FCurParam = diffuseRecord(FieldR.num->Value(), ModeIndex(), ChkS->isChecked(), FSeed,
                              FltMngr && filterLayerProtected(*FltMngr));
}

void TFormDifuse4::SetupControls()
{
    FSeed = timeGetTime();
    setField(FieldR, float(memos().diffuse.range));
    setModeIndex(memos().diffuse.mode);
    ChkS->setChecked(memos().diffuse.radial);
    setPreviewChecked(memos().diffuse.preview);
}

uint8_t TFormDifuse4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    if (pairedChange(Sender, a))
        return a;
    if (Sender == RadM || Sender == ChkS)
        return 1;
    if (Sender == ButtonR) {
        FSeed = timeGetTime();
        return 1;
    }
    return 0;
}

void TFormDifuse4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    memos().diffuse.range = FCurParam.data0.all;
    memos().diffuse.mode = FCurParam.data1.all;
    memos().diffuse.radial = FCurParam.data3.b0 != 0;
    memos().diffuse.preview = PreviewChecked();
}

bool execDiffuseDialog(sFltObj4 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormDifuse4>(core, rec);
}

bool makeDiffuseLastParam(sFltObj4 &rec, CFlt4Core &core)
{
    rec = lastDiffuse(memos().diffuse, timeGetTime(), filterLayerProtected(core));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Emboss

TFormEmboss4::TFormEmboss4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("エンボス"));
    FieldA = addNumField(this, kControlsLeft, kControlsTop, angleSpec("角度(&A)"));
    SNumFieldSpec h = fieldSpec("高さ(&H)", 0.1f, 100, "px");
    h.format = QStringLiteral("%0.6g");
    FieldH = addNumField(this, kControlsLeft, kControlsTop + kControlsRow, h);
    SNumFieldSpec m = fieldSpec("量(&M)", 1, 500, "%");
    m.useCenter = true;
    m.center = 100;
    FieldM = addNumField(this, kControlsLeft, kControlsTop + 2 * kControlsRow, m);
    fitClientHeight(292);
}

void TFormEmboss4::ReadCurParam()
{
    FCurParam = embossRecord(FieldA.num->Value(), FieldH.num->Value(), FieldM.num->Value());
}

void TFormEmboss4::SetupControls()
{
    setField(FieldA, float(memos().emboss.angle));
    setField(FieldH, memos().emboss.height);
    setField(FieldM, float(memos().emboss.amount));
    setPreviewChecked(memos().emboss.preview);
}

uint8_t TFormEmboss4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    return pairedChange(Sender, a) ? a : 0;
}

void TFormEmboss4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    memos().emboss.angle = -FCurParam.data0.all;
    memos().emboss.height = FCurParam.data1._float;
    memos().emboss.amount = FCurParam.data2.all;
    memos().emboss.preview = PreviewChecked();
}

bool execEmbossDialog(sFltObj4 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormEmboss4>(core, rec);
}

bool makeEmbossLastParam(sFltObj4 &rec)
{
    rec = lastEmboss(memos().emboss);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Colour halftone

TFormColorHalftone4::TFormColorHalftone4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("カラーハーフトーン"));
    FieldD = addNumField(this, kControlsLeft, kControlsTop, fieldSpec("直径(&D)", 3, 255, "px"));
    auto *group = new QGroupBox(u8("角度"), this);
    group->setGeometry(kControlsLeft - 4, kControlsTop + kControlsRow, 232, 3 * kControlsRow + 20);
    FieldR = addNumField(group, 4, 18, angleSpec("&R"));
    FieldG = addNumField(group, 4, 18 + kControlsRow, angleSpec("&G"));
    FieldB = addNumField(group, 4, 18 + 2 * kControlsRow, angleSpec("&B"));
    fitClientHeight(292);
}

void TFormColorHalftone4::ReadCurParam()
{
    FCurParam = colorHalftoneRecord(FieldD.num->Value(), FieldR.num->Value(), FieldG.num->Value(),
                                    FieldB.num->Value());
}

void TFormColorHalftone4::SetupControls()
{
    const SColorHalftoneMemo &m = memos().colorHalftone;
    setField(FieldD, float(m.diameter));
    setField(FieldR, float(m.angles[0]));
    setField(FieldG, float(m.angles[1]));
    setField(FieldB, float(m.angles[2]));
    // Always opens without the document preview.
    setPreviewChecked(false);
}

uint8_t TFormColorHalftone4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    return pairedChange(Sender, a) ? a : 0;
}

void TFormColorHalftone4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    SColorHalftoneMemo &m = memos().colorHalftone;
    m.diameter = FCurParam.data0.all;
    m.angles = {FCurParam.data1.all, FCurParam.data2.all, FCurParam.data3.all};
    m.preview = PreviewChecked();
}

bool execColorHalftoneDialog(sFltObj4 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormColorHalftone4>(core, rec);
}

bool makeColorHalftoneLastParam(sFltObj4 &rec)
{
    rec = lastColorHalftone(memos().colorHalftone);
    return true;
}
