#include "filters/dialogs/generator_dialogs.h"

#include "core/tiles/block_layer_image.h"
#include "filters/commands/filter_commands.h"
#include "filters/dialogs/dialog_values.h"
#include "filters/dialogs/effect_dialog_values.h"
#include "paint/brush/user_blend_modes.h"
#include "platform/system/clock.h"
#include "ui/colour/colour_cells.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {
SEffectDialogMemos &memos()
{
    return effectDialogMemos();
}

SNumFieldSpec contrastSpec()
{
    SNumFieldSpec s = fieldSpec("コントラスト(&N)", 1, 1000);
    s.useCenter = true;
    s.center = 100;
    return s;
}

void enableAll(const std::vector<QWidget *> &widgets, bool on)
{
    for (QWidget *w : widgets)
        w->setEnabled(on);
}

QLabel *addLabel(QWidget *parent, int left, int top, const char *caption)
{
    auto *l = new QLabel(u8(caption), parent);
    l->setGeometry(left, top + 3, 40, 16);
    return l;
}

TPickerColorCell *addCell(QWidget *parent, int left, int top)
{
    auto *c = new TPickerColorCell(parent);
    c->SetBounds(left, top, 40, 20);
    return c;
}

} // namespace

TColor32 cellColour(const TPickerColorCell &cell)
{
    return colorPickerValueToColor32(cell.SelectColor(), 255);
}

void setCellColour(TPickerColorCell &cell, TColor32 c)
{
    TColorPickerValue v;
    color32ToColorPickerValue(c, v);
    cell.setSelectColor(v);
}

// ---------------------------------------------------------------------------------------------
// Tiles

TFormTiles4::TFormTiles4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("タイル"));
    addLabel(this, kControlsLeft, kControlsTop, "形状");
    RadS = new QRadioButton(u8("正方形(&S)"), this);
    RadS->setGeometry(kControlsLeft + 48, kControlsTop, 80, 20);
    RadT = new QRadioButton(u8("三角形(&T)"), this);
    RadT->setGeometry(kControlsLeft + 132, kControlsTop, 80, 20);
    RadS->setChecked(true);
    for (QRadioButton *r : {RadS, RadT})
        connect(r, &QRadioButton::clicked, this, [this, r] { ValueChange(r); });
    FieldW = addNumField(this, kControlsLeft, kControlsTop + 24, fieldSpec("幅(&W)", 8, 512, "px"));
    Chk3 = addCheckBox(this, kControlsLeft, kControlsTop + 70, u8("色3(&C)"));
    SNumField *opacity[3] = {&FieldO1, &FieldO2, &FieldO3};
    const char *colourCaptions[3] = {"色1", "色2", "色3"};
    const char *opacityCaptions[3] = {"不透明度&1", "不透明度&2", "不透明度&3"};
    for (size_t i = 0; i < 3; ++i) {
        const int y = kControlsTop + 94 + int(i) * 70;
        addLabel(this, kControlsLeft, y, colourCaptions[i]);
        Color[i] = addCell(this, kControlsLeft + 104, y);
        Color[i]->OnChange = [this](QObject *s) { ValueChange(s); };
        *opacity[i] =
            addNumField(this, kControlsLeft, y + 24, fieldSpec(opacityCaptions[i], 0, 100, "%"));
        if (i == 2)
            LabelO3 = opacity[i]->caption;
    }
    fitClientHeight(292);
}

TFormTiles4::~TFormTiles4()
{
    for (TPickerColorCell *&c : Color) {
        delete c;
        c = nullptr;
    }
}

void TFormTiles4::UpdateColor3Controls()
{
    const bool on = Chk3->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(LabelO3), static_cast<QWidget *>(Color[2]),
                       static_cast<QWidget *>(FieldO3.edit), static_cast<QWidget *>(FieldO3.track)})
        w->setEnabled(on);
}

void TFormTiles4::ReadCurParam()
{
    FCurParam = tilesRecord(RadS->isChecked(), Chk3->isChecked(), FieldW.num->Value(),
                            {cellColour(*Color[0]), cellColour(*Color[1]), cellColour(*Color[2])},
                            {FieldO1.num->Value(), FieldO2.num->Value(), FieldO3.num->Value()});
}

void TFormTiles4::SetupControls()
{
    const STilesMemo &m = memos().tiles;
    (m.square ? RadS : RadT)->setChecked(true);
    FieldW.num->setValue(float(m.width));
    FieldO1.num->setValue(byteToPercent(m.opacities[0]));
    FieldO2.num->setValue(byteToPercent(m.opacities[1]));
    FieldO3.num->setValue(byteToPercent(m.opacities[2]));
    tracksFollow();
    setCellColour(*Color[0], toolForegroundColour());
    setCellColour(*Color[1], toolBackgroundColour());
    setCellColour(*Color[2], m.colours[2]);
    Chk3->setChecked(m.useColor3);
    UpdateColor3Controls();
    setPreviewChecked(m.preview);
}

uint8_t TFormTiles4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    if (pairedChange(Sender, a))
        return a;
    if (Sender == Chk3) {
        UpdateColor3Controls();
        return 1;
    }
    if (Sender == RadS || Sender == RadT || std::ranges::find(Color, Sender) != Color.end())
        return 1;
    return 0;
}

void TFormTiles4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    STilesMemo &m = memos().tiles;
    m.square = FCurParam.data0.b0 != 0;
    m.useColor3 = FCurParam.data0.b1 != 0;
    m.width = FCurParam.data0.w1;
    const LDATA *cells[3] = {&FCurParam.data1, &FCurParam.data2, &FCurParam.data3};
    for (size_t i = 0; i < 3; ++i) {
        TColor32 c{};
        c.b = cells[i]->b0;
        c.g = cells[i]->b1;
        c.r = cells[i]->b2;
        c.a = 255;
        m.colours[i] = c;
        m.opacities[i] = cells[i]->b3;
    }
    m.preview = PreviewChecked();
}

bool execTilesDialog(sFltObj4 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormTiles4>(core, rec);
}

bool makeTilesLastParam(sFltObj4 &rec)
{
    rec = lastTiles(memos().tiles);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Clouds and rocks

TFormClouds4::TFormClouds4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("雲模様・岩模様"));
    addLabel(this, 12, 8, "種類");
    RadC = new QRadioButton(u8("雲模様(&C)"), this);
    RadC->setGeometry(60, 8, 80, 20);
    RadR = new QRadioButton(u8("岩模様(&O)"), this);
    RadR->setGeometry(144, 8, 80, 20);
    RadC->setChecked(true);
    for (QRadioButton *r : {RadC, RadR})
        connect(r, &QRadioButton::clicked, this, [this, r] { ValueChange(r); });
    FieldC = addNumField(this, 12, 32, contrastSpec());
    FieldS = addNumField(this, 12, 76, fieldSpec("柔らかさ(&S)", 1, 100));
    FSoftness = FieldS.widgets();
    CheckA = addCheckBox(this, 12, 120, u8("ラップアラウンド(&W)"));
    FieldW = addNumField(this, 12, 144, fieldSpec("幅(&I)", 20, 256, "px"));
    FieldH = addNumField(this, 12, 188, fieldSpec("高さ(&H)", 20, 256, "px"));
    FSizes = FieldW.widgets();
    for (QWidget *w : FieldH.widgets())
        FSizes.push_back(w);
    addLabel(this, 12, 236, "色1");
    FCell1 = addCell(this, 52, 236);
    addLabel(this, 108, 236, "色2");
    FCell2 = addCell(this, 148, 236);
    for (TPickerColorCell *c : {FCell1, FCell2})
        c->OnChange = [this](QObject *s) { ValueChange(s); };
    ButtonD = addButton(this, 240, 100, u8("初期値(&D)"));
    ButtonR = addButton(this, 240, 128, u8("再作成(&R)"));
    fitClientHeight(264);
}

TFormClouds4::~TFormClouds4()
{
    delete FCell2;
    delete FCell1;
}

bool TFormClouds4::Rocks() const
{
    return RadR->isChecked();
}

void TFormClouds4::setSoftnessEnabled(bool on)
{
    enableAll(FSoftness, on);
}

void TFormClouds4::UpdateSizeControls()
{
    enableAll(FSizes, CheckA->isChecked());
}

void TFormClouds4::ReadCurParam()
{
    SCloudsValues v;
    v.colour2 = cellColour(*FCell2);
    v.colour1 = cellColour(*FCell1);
    v.seed = FSeed;
    v.wrap = CheckA->isChecked();
    v.width = FieldW.num->Value();
    v.height = FieldH.num->Value();
    v.layerWidth = FLayerW;
    v.layerHeight = FLayerH;
    v.contrast = FieldC.num->Value();
    v.rocks = Rocks();
    v.softness = FieldS.num->Value();
    FCurParam = cloudsRecord(v);
}

void TFormClouds4::SetupControls()
{
    const SCloudsMemo &m = memos().clouds;
    FSeed = timeGetTime();
    (m.rocks ? RadR : RadC)->setChecked(true);
    FRocks = m.rocks;
    setSoftnessEnabled(m.rocks);
    FieldC.num->setValue(float(m.contrast[m.rocks ? 1 : 0]));
    FieldS.num->setValue(float(m.softness));
    if (const CBlockVMTC *b = FltMngr->backup()) {
        FLayerW = b->width();
        FLayerH = b->height();
    }
    FieldW.num->SetValues(nullptr, float(m.width), 20, float(FLayerW));
    FieldH.num->SetValues(nullptr, float(m.height), 20, float(FLayerH));
    tracksFollow();
    CheckA->setChecked(m.wrap);
    UpdateSizeControls();
    setCellColour(*FCell2, toolBackgroundColour());
    setCellColour(*FCell1, toolForegroundColour());
    setPreviewChecked(m.preview);
}

uint8_t TFormClouds4::ControlChanged(QObject *Sender)
{
    SCloudsMemo &m = memos().clouds;
    if (Sender == RadC || Sender == RadR) {
        // Written at once: the contrast of the kind left stays even after Cancel.
        m.contrast[FRocks ? 1 : 0] = roundHalfAway(FieldC.num->Value());
        FRocks = Rocks();
        setSoftnessEnabled(FRocks);
        setField(FieldC, float(m.contrast[FRocks ? 1 : 0]));
        return 1;
    }
    uint8_t a = 0;
    if (pairedChange(Sender, a))
        return a;
    if (Sender == CheckA) {
        UpdateSizeControls();
        return 1;
    }
    if (Sender == ButtonR) {
        FSeed = timeGetTime();
        return 1;
    }
    if (Sender == ButtonD) {
        setCellColour(*FCell2, toolBackgroundColour());
        setCellColour(*FCell1, toolForegroundColour());
        const SCloudsMemo defaults;
        FieldC.num->setValue(float(defaults.contrast[FRocks ? 1 : 0]));
        FieldS.num->setValue(float(defaults.softness));
        FieldW.num->setValue(float(defaults.width));
        FieldH.num->setValue(float(defaults.height));
        tracksFollow();
        CheckA->setChecked(true);
        UpdateSizeControls();
        return 1;
    }
    if (Sender == FCell1 || Sender == FCell2)
        return 1;
    return 0;
}

void TFormClouds4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    SCloudsMemo &m = memos().clouds;
    m.colour2 = cellColour(*FCell2);
    m.colour1 = cellColour(*FCell1);
    m.rocks = Rocks();
    m.width = roundHalfAway(FieldW.num->Value());
    m.height = roundHalfAway(FieldH.num->Value());
    m.contrast[m.rocks ? 1 : 0] = roundHalfAway(FieldC.num->Value());
    m.wrap = CheckA->isChecked();
    m.preview = PreviewChecked();
    if (m.rocks)
        m.softness = roundHalfAway(FieldS.num->Value());
}

bool execCloudsDialog(sFltObj6 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormClouds4>(core, rec);
}

bool makeCloudsLastParam(sFltObj6 &rec, CFlt4Core &core)
{
    const CBlockVMTC *b = core.backup();
    rec = lastClouds(memos().clouds, timeGetTime(), b ? b->width() : 0, b ? b->height() : 0);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Plasma

TFormPlasma4::TFormPlasma4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("プラズマ"));
    addLabel(this, 12, 8, "種類");
    RadC = new QRadioButton(u8("カラー(&C)"), this);
    RadC->setGeometry(60, 8, 80, 20);
    RadG = new QRadioButton(u8("モノクロ(&G)"), this);
    RadG->setGeometry(144, 8, 88, 20);
    RadC->setChecked(true);
    for (QRadioButton *r : {RadC, RadG})
        connect(r, &QRadioButton::clicked, this, [this, r] { ValueChange(r); });
    FieldC = addNumField(this, 12, 32, contrastSpec());
    auto *label = new QLabel(u8("演算モード(&M)"), this);
    label->setGeometry(12, 79, 100, 16);
    CmbM = new QComboBox(this);
    CmbM->setGeometry(116, 76, 120, 22);
    label->setBuddy(CmbM);
    for (int i = 0; i < kBlendModeCount; ++i) {
        QString name;
        getBlendModeName(TBlendMode(i), name);
        CmbM->addItem(name);
    }
    connect(CmbM, &QComboBox::activated, this, [this] { ValueChange(CmbM); });
    FieldO = addNumField(this, 12, 104, fieldSpec("不透明度(&O)", 1, 100, "%"));
    BtnR = addButton(this, 240, 100, u8("再作成(&R)"));
    fitClientHeight(152);
}

void TFormPlasma4::ReadCurParam()
{
    FCurParam = plasmaRecord(FSeed, RadG->isChecked(), FieldC.num->Value(),
                             std::max(CmbM->currentIndex(), 0), FieldO.num->Value());
}

void TFormPlasma4::SetupControls()
{
    const SPlasmaMemo &m = memos().plasma;
    FSeed = timeGetTime();
    (m.mono ? RadG : RadC)->setChecked(true);
    FieldC.num->setValue(float(m.contrast));
    CmbM->setCurrentIndex(std::clamp(m.blend, 0, CmbM->count() - 1));
    FieldO.num->setValue(float(m.opacity));
    tracksFollow();
    setPreviewChecked(m.preview);
}

uint8_t TFormPlasma4::ControlChanged(QObject *Sender)
{
    if (Sender == RadC || Sender == RadG)
        return 1;
    uint8_t a = 0;
    if (pairedChange(Sender, a))
        return a;
    if (Sender == CmbM)
        return 2;
    if (Sender == BtnR) {
        FSeed = timeGetTime();
        return 1;
    }
    return 0;
}

void TFormPlasma4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    SPlasmaMemo &m = memos().plasma;
    m.mono = RadG->isChecked();
    m.contrast = roundHalfAway(FieldC.num->Value());
    m.blend = std::max(CmbM->currentIndex(), 0);
    m.opacity = roundHalfAway(FieldO.num->Value());
    m.preview = PreviewChecked();
}

bool execPlasmaDialog(sFltObj4 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormPlasma4>(core, rec);
}

bool makePlasmaLastParam(sFltObj4 &rec)
{
    rec = lastPlasma(memos().plasma, timeGetTime());
    return true;
}
