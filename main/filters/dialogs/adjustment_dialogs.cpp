#include "filters/dialogs/adjustment_dialogs.h"

#include "document/paper/paper_host.h"
#include "filters/dialogs/dialog_values.h"
#include "paint/gradient/gradient_manager.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"
#include "ui/lists/gradient_list_view.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace {
SFilterDialogMemos &memos()
{
    return filterDialogMemos();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Brightness/contrast

TFormBrightnessContrast4::TFormBrightnessContrast4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("明るさ・コントラスト"));
    FieldB = addNumField(this, 12, 8, fieldSpec("明るさ(&B)", -100, 100));
    FieldC = addNumField(this, 12, 52, fieldSpec("コントラスト(&C)", -100, 100));
    ChkL = addCheckBox(this, 12, 96, u8("リニア(&L)"));
    ButtonD = addButton(this, 240, 100, u8("初期値(&R)"));
    fitClientHeight(130);
}

void TFormBrightnessContrast4::ReadCurParam()
{
    FCurParam =
        brightnessContrastRecord(FieldB.num->Value(), FieldC.num->Value(), ChkL->isChecked());
}

void TFormBrightnessContrast4::SetupControls()
{
    // Brightness and contrast always open at 0.
    setField(FieldB, 0);
    setField(FieldC, 0);
    ChkL->setChecked(memos().brightnessContrast.linear);
    setPreviewChecked(memos().brightnessContrast.preview);
}

uint8_t TFormBrightnessContrast4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    if (pairedChange(Sender, a))
        return a;
    if (Sender == ChkL)
        return 1;
    if (Sender == ButtonD) {
        setField(FieldB, 0);
        setField(FieldC, 0);
        ChkL->setChecked(false);
        return 1;
    }
    return 0;
}

void TFormBrightnessContrast4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    SBrightnessContrastMemo &m = memos().brightnessContrast;
    m.brightness = FCurParam.data0.all;
    m.contrast = FCurParam.data1.all;
    m.linear = ChkL->isChecked();
    m.preview = PreviewChecked();
}

bool execBrightnessContrastDialog(sFltObj4 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormBrightnessContrast4>(core, rec);
}

bool makeBrightnessContrastLastParam(sFltObj4 &rec)
{
    rec = lastBrightnessContrast(memos().brightnessContrast);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Colour balance

TFormGamma4::TFormGamma4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("カラーバランス"));
    SNumFieldSpec s = fieldSpec("&R", 0.5f, 2);
    s.step = 0.01f;
    s.format = QStringLiteral("%.6g");
    s.maxLength = 6;
    s.useCenter = true;
    s.center = 1;
    FieldR = addNumField(this, 12, 8, s);
    s.caption = QStringLiteral("&G");
    FieldG = addNumField(this, 12, 52, s);
    s.caption = QStringLiteral("&B");
    FieldB = addNumField(this, 12, 96, s);
    // Not wired: switching the synchronisation does not touch the preview.
    ChkS = new QCheckBox(u8("トラックバーの同期(&S)"), this);
    ChkS->setGeometry(12, 140, 200, 20);
    ButtonD = addButton(this, 240, 100, u8("初期値(&E)"));
    fitClientHeight(168);
}

void TFormGamma4::ReadCurParam()
{
    FCurParam = colorBalanceRecord(FieldR.num->Value(), FieldG.num->Value(), FieldB.num->Value());
}

void TFormGamma4::SetupControls()
{
    setField(FieldR, 1);
    setField(FieldG, 1);
    setField(FieldB, 1);
    ChkS->setChecked(memos().colorBalance.sync);
    setPreviewChecked(memos().colorBalance.preview);
}

void TFormGamma4::SyncNumbers(QObject *Sender)
{
    for (const SNumField *f : {&FieldR, &FieldG, &FieldB})
        if (f->num == Sender) {
            const float v = f->num->Value();
            for (const SNumField *o : {&FieldR, &FieldG, &FieldB})
                if (o != f)
                    o->num->setValue(v);
        }
    tracksFollow();
}

void TFormGamma4::SyncTrackbars(QObject *Sender)
{
    for (const SNumField *f : {&FieldR, &FieldG, &FieldB})
        if (f->track == Sender) {
            const float p = f->track->StoredPosition();
            for (const SNumField *o : {&FieldR, &FieldG, &FieldB})
                if (o != f)
                    o->track->setPosition(p);
        }
    for (const SNumField *f : {&FieldR, &FieldG, &FieldB})
        f->num->setPosition(f->track->Position());
}

uint8_t TFormGamma4::ControlChanged(QObject *Sender)
{
    const bool sync = ChkS->isChecked();
    for (const SNumField *f : {&FieldR, &FieldG, &FieldB}) {
        if (Sender == f->num) {
            if (sync)
                SyncNumbers(Sender);
            else
                f->track->setPosition(f->num->Position());
            return 2;
        }
        if (Sender == f->track) {
            if (sync)
                SyncTrackbars(Sender);
            else
                f->num->setPosition(f->track->Position());
            return 2;
        }
    }
    if (Sender == ButtonD) {
        setField(FieldR, 1);
        setField(FieldG, 1);
        setField(FieldB, 1);
        ChkS->setChecked(false);
        return 1;
    }
    return 0;
}

void TFormGamma4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    SColorBalanceMemo &m = memos().colorBalance;
    m.red = FCurParam.data0._float;
    m.green = FCurParam.data1._float;
    m.blue = FCurParam.data2._float;
    m.sync = ChkS->isChecked();
    m.preview = PreviewChecked();
}

bool execColorBalanceDialog(sFltObj4 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormGamma4>(core, rec);
}

bool makeColorBalanceLastParam(sFltObj4 &rec)
{
    rec = lastColorBalance(memos().colorBalance);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Hue/saturation

TFormHueSaturation4::TFormHueSaturation4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("色相・彩度"));
    SNumFieldSpec h = fieldSpec("色相(&H)", -999, 999);
    h.maxLength = 5;
    h.wrapMin = -180;
    h.wrapMax = 180;
    FieldH = addNumField(this, 12, 8, h);
    SNumFieldSpec s = fieldSpec("彩度(&S)", -100, 100);
    s.maxLength = 4;
    FieldS = addNumField(this, 12, 52, s);
    s.caption = u8("明度(&L)");
    FieldL = addNumField(this, 12, 96, s);
    ChkM = addCheckBox(this, 12, 140, u8("モノトーン(&C)"));
    ChkL = addCheckBox(this, 12, 162, u8("リニア(&I)"));
    ButtonD = addButton(this, 240, 100, u8("初期値(&R)"));
    fitClientHeight(190);
}

void TFormHueSaturation4::ReadCurParam()
{
    FCurParam = hueSaturationRecord(FieldH.num->Value(), FieldS.num->Value(), FieldL.num->Value(),
                                    ChkM->isChecked(), ChkL->isChecked());
}

void TFormHueSaturation4::SetupControls()
{
    setField(FieldH, 0);
    setField(FieldS, 0);
    setField(FieldL, 0);
    ChkM->setChecked(false);
    ChkL->setChecked(memos().hueSaturation.linear);
    setPreviewChecked(memos().hueSaturation.preview);
}

void TFormHueSaturation4::applyMonotoneRange()
{
    FieldS.num->setValueMin(ChkM->isChecked() ? 0 : -100);
    FieldS.num->setPosition(FieldS.track->Position());
}

uint8_t TFormHueSaturation4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    if (pairedChange(Sender, a))
        return a;
    if (Sender == ChkM) {
        applyMonotoneRange();
        return 1;
    }
    if (Sender == ChkL)
        return 1;
    if (Sender == ButtonD) {
        ChkM->setChecked(false);
        FieldS.num->setValueMin(-100);
        ChkL->setChecked(false);
        setField(FieldH, 0);
        setField(FieldS, 0);
        setField(FieldL, 0);
        return 1;
    }
    return 0;
}

void TFormHueSaturation4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    SHueSaturationMemo &m = memos().hueSaturation;
    m.hue = FCurParam.data0.all;
    m.saturation = FCurParam.data1.all;
    m.lightness = FCurParam.data2.all;
    m.monotone = FCurParam.data3.b0 != 0;
    m.linear = FCurParam.data3.b1 != 0;
    m.preview = PreviewChecked();
}

bool execHueSaturationDialog(sFltObj4 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormHueSaturation4>(core, rec);
}

bool makeHueSaturationLastParam(sFltObj4 &rec)
{
    rec = lastHueSaturation(memos().hueSaturation);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Posterize

TFormPosterize4::TFormPosterize4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("ポスタリゼーション"));
    SNumFieldSpec s = fieldSpec("段階(&L)", 2, 254);
    s.maxLength = 4;
    FieldL = addNumField(this, kControlsLeft, kControlsTop, s);
    fitClientHeight(292);
}

void TFormPosterize4::ReadCurParam()
{
    FCurParam = posterizeRecord(FieldL.num->Value());
}

void TFormPosterize4::SetupControls()
{
    setField(FieldL, float(memos().posterize.levels));
    setPreviewChecked(memos().posterize.preview);
}

uint8_t TFormPosterize4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    return pairedChange(Sender, a) ? a : 0;
}

void TFormPosterize4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    memos().posterize.levels = FCurParam.data0.all;
    memos().posterize.preview = PreviewChecked();
}

bool execPosterizeDialog(sFltObj2 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormPosterize4>(core, rec);
}

bool makePosterizeLastParam(sFltObj2 &rec)
{
    rec = lastPosterize(memos().posterize);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Threshold

TFormThreshold4::TFormThreshold4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("モノクロ 2 階調"));
    setClientSize(392, 100);
    HistogramY = new CHistogram(this);
    HistogramY->SetBounds(12, 8, 258, 102);
    FieldT = addNumField(this, 12, 118, fieldSpec("しきい値(&T)", 1, 255));
    FieldT.track->SetBounds(12, 142, 258, 14);
    ButtonD = addButton(this, 288, 100, u8("初期値(&D)"));
    ButtonA = addButton(this, 288, 128, u8("自動調整(&A)"));
    CheckBoxPreview->move(288, 72);
    fitClientHeight(170);
}

void TFormThreshold4::ReadCurParam()
{
    FCurParam = thresholdRecord(FieldT.num->Value());
}

void TFormThreshold4::SetupControls()
{
    setField(FieldT, float(memos().threshold.threshold));
    if (FltMngr)
        HistogramY->SetParams(*FltMngr);
    setPreviewChecked(memos().threshold.preview);
}

uint8_t TFormThreshold4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    if (pairedChange(Sender, a))
        return a;
    if (Sender == ButtonA) {
        const SHistogramTables &t = HistogramY->tables();
        setField(FieldT, float(thresholdAutoValue(t.FMinColor[kHistLuminance],
                                                  t.FMaxColor[kHistLuminance])));
        return 1;
    }
    if (Sender == ButtonD) {
        setField(FieldT, float(SThresholdMemo{}.threshold));
        return 1;
    }
    return 0;
}

void TFormThreshold4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    memos().threshold.threshold = FCurParam.data0.b0;
    memos().threshold.preview = PreviewChecked();
}

bool execThresholdDialog(sFltObj2 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormThreshold4>(core, rec);
}

bool makeThresholdLastParam(sFltObj2 &rec)
{
    rec = lastThreshold(memos().threshold);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Gradient map

namespace {
const CColorSlotGroup *currentGradientStops()
{
    const CGradMngr *mngr = appMainGradMngr();
    const CGradObj *grad = mngr ? mngr->getActiveGrad() : nullptr;
    return grad ? grad->crsg.get() : nullptr;
}
} // namespace

namespace {
struct SListTypeItem
{
    const char *caption;
    TListViewType type;
};
constexpr SListTypeItem kListTypeItems[] = {
    {"テキストを表示(&1)", lvText},    {"リスト小を表示(&2)", lvListS},
    {"リストを表示(&3)", lvListM},     {"リスト大を表示(&4)", lvListL},
    {"アイコン小を表示(&5)", lvIconS}, {"アイコンを表示(&6)", lvIconM},
    {"アイコン大を表示(&7)", lvIconL},
};
} // namespace

TFormGradientMap4::TFormGradientMap4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("グラデーションマップ"));
    initFltObjGradientMap(FCurParam);
    initFltObjGradientMap(FPreParam);
    auto *label = new QLabel(u8("グラデーション"), this);
    label->setGeometry(kControlsLeft, kControlsTop, 120, 16);
    // The list takes the place of its placeholder below the preview.
    auto *placeholder = new QWidget(this);
    placeholder->setGeometry(kControlsLeft, kControlsTop + 18, 312, 96);
    placeholder->hide();
    FDrpGrad = new TGradientListView(placeholder->parentWidget());
    const QRect g = placeholder->geometry();
    FDrpGrad->SetBounds(g.x(), g.y(), g.width(), g.height());
    FDrpGrad->SetSupportCommand({lvcSelect});
    FDrpGrad->Attach(appMainGradMngr());
    OldIndex = FDrpGrad->SelectIndex();
    FDrpGrad->OnChangeManager = [this](QObject *s) { ValueChange(s); };
    FDrpGrad->OnChange = [this](QObject *s) { ValueChange(s); };
    PopMenu = new QMenu(this);
    for (const SListTypeItem &item : kListTypeItems) {
        QAction *a = PopMenu->addAction(u8(item.caption));
        a->setCheckable(true);
        a->setData(int(item.type));
        connect(a, &QAction::triggered, this, [this, a] { MenuIconLClick(a); });
    }
    connect(PopMenu, &QMenu::aboutToShow, this, [this] { PopMenuPopup(); });
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pt) { PopMenu->popup(mapToGlobal(pt)); });
    ChkR = addCheckBox(this, kControlsLeft, kControlsTop + 120, u8("反転(&R)"));
    fitClientHeight(292);
}

TFormGradientMap4::~TFormGradientMap4()
{
    // The painting tools keep the gradient that was current before the dialog.
    CGradMngr *mngr = FDrpGrad->Detach();
    if (mngr && OldIndex >= 0 && OldIndex != mngr->getGradIdx())
        mngr->setCurGrad(OldIndex);
}

void TFormGradientMap4::MenuIconLClick(QAction *Sender)
{
    if (Sender)
        FDrpGrad->SetListType(TListViewType(Sender->data().toInt()));
}

void TFormGradientMap4::PopMenuPopup()
{
    for (QAction *a : PopMenu->actions())
        a->setChecked(a->data().toInt() == int(FDrpGrad->ListType()));
}

void TFormGradientMap4::ReadCurParam()
{
    FCurParam.crsg = currentGradientStops();
    FCurParam.protect = FltMngr && filterLayerProtected(*FltMngr);
    FCurParam.reverse = ChkR->isChecked();
}

void TFormGradientMap4::SetupControls()
{
    ChkR->setChecked(memos().gradientMap.reverse);
    setPreviewChecked(memos().gradientMap.preview);
}

uint8_t TFormGradientMap4::ControlChanged(QObject *)
{
    return 1;
}

bool TFormGradientMap4::IsChanged()
{
    return TFormFilterPreview::IsChanged() || FCurParam.crsg != FPreParam.crsg ||
           FCurParam.reverse != FPreParam.reverse;
}

void TFormGradientMap4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    memos().gradientMap.reverse = FCurParam.reverse;
    memos().gradientMap.preview = PreviewChecked();
}

bool execGradientMapDialog(sFltObjGradientMap &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormGradientMap4>(core, rec);
}

bool makeGradientMapLastParam(sFltObjGradientMap &rec, CFlt4Core &core)
{
    const CGradMngr *mngr = appMainGradMngr();
    const CGradObj *grad = mngr ? mngr->getActiveGrad() : nullptr;
    if (!grad)
        return false;
    initFltObjGradientMap(rec);
    rec.crsg = grad->crsg.get();
    rec.protect = filterLayerProtected(core);
    rec.reverse = memos().gradientMap.reverse;
    return true;
}
