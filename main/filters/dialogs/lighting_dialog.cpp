#include "filters/dialogs/lighting_dialog.h"

#include "core/tiles/block_layer_image.h"
#include "filters/dialogs/dialog_values.h"
#include "filters/dialogs/generator_dialogs.h"
#include "filters/dialogs/light_views.h"
#include "ui/colour/colour_cells.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <cmath>

namespace {
// Most of this dialog's fields have no trackbar.
SNumFieldSpec spec(const char *caption, float min, float max, const char *unit = "",
                   bool track = false)
{
    SNumFieldSpec s = fieldSpec(caption, min, max, unit);
    s.track = track;
    return s;
}

constexpr double kPi = 3.14159265358979323846;

float radians(double degrees)
{
    return float(degrees * kPi / 180.0);
}

TColor32 colourRGB(uint8_t r, uint8_t g, uint8_t b)
{
    TColor32 c{};
    c.r = r;
    c.g = g;
    c.b = b;
    c.a = 255;
    return c;
}

constexpr int kLeft = 8;
constexpr int kMid = 224;
constexpr int kTop = 224;
constexpr int kRight = 344; // the buttons' column right of the side view
} // namespace

SLightKindDefaults lightKindDefaults(int32_t kind)
{
    const TColor32 c = colourRGB(252, 249, 233);
    if (kind == flkWarm || kind == flkSpot)
        return {c, 50, 180, 200, 120, 30, 10};
    return {c, 50, 300, 100, 0, 0, 0};
}

TColor32 defaultAmbientColour()
{
    return colourRGB(255, 254, 199);
}

SLightingMemo::SLightingMemo() : ambient(defaultAmbientColour())
{
    initFltLight(light);
    const SLightKindDefaults d = lightKindDefaults(flkPoint);
    light.kind = flkPoint;
    light.power = int32_t(d.intensity);
    light.color.all = d.colour.bgra;
    light.range = int32_t(d.range);
    light.posx = light.posy = 0.5f;
    light.posz = int32_t(d.z);
}

SLightingMemo &lightingDialogMemo()
{
    static SLightingMemo memo;
    return memo;
}

void resetLightingDialogMemo()
{
    lightingDialogMemo() = SLightingMemo{};
}

// ---------------------------------------------------------------------------------------------
// TFormLighting4

TFormLighting4::TFormLighting4(QWidget *owner) : TFilterBlockForm(owner)
{
    setWindowTitle(u8("照明"));

    FPreview = new TLightPreview(this);
    FPreview->SetBounds(8, 8, 208, 208);
    FPreview->OnChange = [this](QObject *s) { ValueChange(s); };
    FLight = new TLightControl(this);
    FLight->SetBounds(224, 8, 88, 208);
    FLight->OnChange = [this](QObject *s) { ValueChange(s); };

    ButtonOK->move(kRight, 8);
    ButtonCancel->move(kRight, 36);
    CheckBoxPreview->move(kRight, 72);
    ButtonD = addButton(this, kRight, 100, u8("初期値(&D)"));

    auto *kindLabel = new QLabel(u8("種類(&K)"), this);
    kindLabel->setGeometry(kRight, 130, 96, 16);
    CmbK = new QComboBox(this);
    CmbK->setGeometry(kRight, 148, 96, 22);
    kindLabel->setBuddy(CmbK);
    for (const char *k : {"点光源", "ウォーム", "スポット"})
        CmbK->addItem(u8(k));
    connect(CmbK, &QComboBox::activated, this, [this] { ValueChange(CmbK); });

    const auto cell = [this](int top, const char *caption) {
        auto *l = new QLabel(u8(caption), this);
        l->setGeometry(kRight, top + 3, 48, 16);
        auto *c = new TPickerColorCell(this);
        c->SetBounds(kRight + 52, top, 40, 20);
        c->OnChange = [this](QObject *s) { ValueChange(s); };
        return c;
    };
    FCell1 = cell(176, "光源色");
    FCell2 = cell(200, "環境色");
    FieldI = addNumField(this, kLeft, kTop, spec("強さ(&I)", 1, 500, "%", true));
    FieldR = addNumField(this, kLeft, kTop + 44, spec("範囲(&R)", 1, 500, "", true));
    SNumFieldSpec l = spec("明度(&L)", -100, 100, "%", true);
    l.useCenter = true;
    FieldL = addNumField(this, kLeft, kTop + 88, l);

    FieldX = addNumField(this, kMid, kTop, spec("&X", -1, 1));
    FieldY = addNumField(this, kMid, kTop + 24, spec("&Y", -1, 1));
    FieldD = addNumField(this, kMid, kTop + 48, spec("&Z", 0, 300));
    SNumFieldSpec h = spec("角度(&H)", -999, 999, "°");
    h.wrapMin = -180;
    h.wrapMax = 180;
    FieldH = addNumField(this, kMid, kTop + 72, h);
    FieldP = addNumField(this, kMid, kTop + 96, spec("傾斜(&T)", 0, 90, "°"));
    FieldF = addNumField(this, kMid, kTop + 120, spec("拡散(&F)", 0, 180, "°"));
    for (const SNumField *f : {&FieldH, &FieldP, &FieldF})
        for (QWidget *w : f->widgets())
            FAngleWidgets.push_back(w);

    setClientSize(448, 380);
}

TFormLighting4::~TFormLighting4()
{
    delete FCell2;
    delete FCell1;
    delete FLight;
    delete FPreview;
}

void TFormLighting4::SetPreParam(const void *rec)
{
    const auto *r = static_cast<const sFltObjComplex *>(rec);
    FPreParam.data0.all = r->data0.all;
    FPreParam.data1.all = r->data1.all;
    FPreParam.data2.all = r->data2.all;
    FPreParam.data3.all = r->data3.all;
    setPreData(*r);
}

bool TFormLighting4::IsChanged()
{
    return TFormFilter::IsChanged() || FCurParam.data0.all != FPreParam.data0.all ||
           FCurParam.data1.all != FPreParam.data1.all || !equalFltLight(FCurData, FPreData);
}

bool TFormLighting4::Attach(CFlt4Core &core)
{
    return FPreview->Attach(core) && TFormFilter::Attach(core);
}

void TFormLighting4::ReadCurParam()
{
    FCurParam.data0.all = int32_t(cellColour(*FCell2).bgra);
    FCurParam.data1.all = roundHalfAway(FieldL.num->Value());
    FCurData = controlsLight();
    if (FCurData.kind != flkPoint) {
        FCurData.phi = radians(FieldP.num->Value());
        FCurData.theta = radians(-double(FieldH.num->Value()));
    }
}

SFltLight TFormLighting4::controlsLight() const
{
    SFltLight l;
    initFltLight(l);
    l.kind = std::max(CmbK->currentIndex(), 0);
    l.power = roundHalfAway(FieldI.num->Value());
    l.color.all = cellColour(*FCell1).bgra;
    l.range = roundHalfAway(FieldR.num->Value());
    // 0.5 + X / layer width: a light can stand outside the area.
    l.posx = FieldX.num->Position() * 2 - 0.5f;
    l.posy = FieldY.num->Position() * 2 - 0.5f;
    l.posz = roundHalfAway(FieldD.num->Value());
    if (l.kind != flkPoint)
        l.wide = roundHalfAway(FieldF.num->Value());
    return l;
}

void TFormLighting4::sideViewFollows()
{
    FLight->SetParams(FieldD.num->Position(), FieldI.num->Value() / 100, FieldR.num->Value() / 100,
                      FieldP.num->Value(), FieldF.num->Value());
}

void TFormLighting4::kindChange(int32_t kind, bool notify)
{
    FieldF.num->setValueMin(kind == flkPoint ? 0.0f : 3.0f);
    const SLightKindDefaults d = lightKindDefaults(kind);
    setCellColour(*FCell1, d.colour);
    FieldD.num->setValue(d.z);
    FieldI.num->setValue(d.intensity);
    FieldR.num->setValue(d.range);
    FieldH.num->setValue(d.heading);
    FieldP.num->setValue(d.tilt);
    FieldF.num->setValue(d.cone);
    ReadCurParam();
    FPreview->SetParams(FCurData, cellColour(*FCell2), FCurParam.data1.all, notify);
    FLight->setKind(kind);
    sideViewFollows();
    FieldI.track->setPosition(FieldI.num->Position());
    FieldR.track->setPosition(FieldR.num->Position());
    for (QWidget *w : FAngleWidgets)
        w->setEnabled(kind != flkPoint);
}

void TFormLighting4::SetupControls()
{
    // The layer's size: an X of +width puts the light one width right of the centre.
    const CBlockVMTC *b = FltMngr->backup();
    const float w = b ? float(b->width()) : 1, h = b ? float(b->height()) : 1;
    FieldX.num->SetValues(nullptr, 0, -w, w);
    FieldY.num->SetValues(nullptr, 0, -h, h);
    setCellColour(*FCell2, defaultAmbientColour());
    FieldL.num->setValue(0);
    CmbK->setCurrentIndex(flkPoint);
    kindChange(flkPoint, false);
    ReadCurParam();
    FPreview->SetParams(FCurData, cellColour(*FCell2), FCurParam.data1.all, true);
    FieldL.track->setPosition(FieldL.num->Position());
    setPreviewChecked(lightingDialogMemo().preview);
}

uint8_t TFormLighting4::ControlChanged(QObject *Sender)
{
    if (Sender == FPreview) {
        FieldX.num->setPosition(FPreview->X() * 0.5f + 0.5f);
        FieldY.num->setPosition(FPreview->Y() * 0.5f + 0.5f);
        FieldH.num->setValue(FPreview->Heading());
        FieldP.num->setValue(FPreview->Pitch());
        FieldF.num->setValue(FPreview->Diffuse());
        FLight->SetParams(FLight->Distance(), FieldI.num->Value() / 100, FieldR.num->Value() / 100,
                          FieldP.num->Value(), FieldF.num->Value());
        return 2;
    }
    if (Sender == FLight) {
        FieldD.num->setPosition(FLight->Distance());
        FieldP.num->setValue(FLight->Pitch());
        FieldF.num->setValue(FLight->Diffuse());
        FieldI.track->setPosition(FieldI.num->Position());
        FieldR.track->setPosition(FieldR.num->Position());
        ReadCurParam();
        FPreview->SetParams(FCurData, cellColour(*FCell2), FCurParam.data1.all, false);
        return 2;
    }
    // A trackbar moved: its number follows, then the views as for the number.
    for (const SNumField *f : {&FieldI, &FieldR, &FieldL})
        if (Sender == f->track) {
            f->num->setPosition(f->track->Position());
            Sender = f->num;
        }
    if (Sender == FieldX.num || Sender == FieldY.num) {
        FPreview->setX((FieldX.num->Position() - 0.5f) * 2);
        FPreview->setY((FieldY.num->Position() - 0.5f) * 2);
        return 2;
    }
    if (Sender == FieldH.num) {
        FPreview->setHeading(FieldH.num->Value());
        return 2;
    }
    if (Sender == FieldL.num) {
        FPreview->setLightness(FieldL.num->Value());
        FieldL.track->setPosition(FieldL.num->Position());
        return 2;
    }
    if (Sender == FieldD.num) {
        FPreview->setZ(FieldD.num->Value());
        FLight->setDistance(FieldD.num->Position());
        return 2;
    }
    if (Sender == FieldI.num) {
        FPreview->setIntensity(FieldI.num->Value());
        FLight->setIntensity(FieldI.num->Value() / 100);
        FieldI.track->setPosition(FieldI.num->Position());
        return 2;
    }
    if (Sender == FieldR.num) {
        FPreview->setRange(FieldR.num->Value());
        FLight->setRange(FieldR.num->Value() / 100);
        FieldR.track->setPosition(FieldR.num->Position());
        return 2;
    }
    if (Sender == FieldP.num || Sender == FieldF.num) {
        FPreview->setPitch(FieldP.num->Value());
        FPreview->setDiffuse(FieldF.num->Value());
        FLight->setPitch(FieldP.num->Value());
        FLight->setDiffuse(FieldF.num->Value());
        return 2;
    }
    if (Sender == CmbK) {
        kindChange(std::max(CmbK->currentIndex(), 0), true);
        return 1;
    }
    if (Sender == ButtonD) {
        CmbK->setCurrentIndex(flkPoint);
        kindChange(flkPoint, true);
        return 1;
    }
    if (Sender == FCell1) {
        FPreview->setSourceColor(cellColour(*FCell1));
        return 1;
    }
    if (Sender == FCell2) {
        FPreview->setAmbientColor(cellColour(*FCell2));
        return 1;
    }
    return 0;
}

void TFormLighting4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    SLightingMemo &m = lightingDialogMemo();
    m.ambient = cellColour(*FCell2);
    m.lightness = roundHalfAway(FieldL.num->Value());
    SFltLight &l = m.light;
    l = controlsLight();
    if (l.kind != flkPoint) {
        // Remembered in whole degrees; the repeat turns them into radians.
        l.phi = float(roundHalfAway(FieldP.num->Value()));
        l.theta = float(roundHalfAway(-FieldH.num->Value()));
    }
    m.preview = PreviewChecked();
}

bool execLightingDialog(sFltObjComplex &rec, SFltLight &light, CFlt4Core &core)
{
    return runFilterDialogWith<TFormLighting4>(core, [&rec, &light](TFormLighting4 &dialog) {
        initFltObjComplex(rec, 1, sizeof(SFltLight));
        rec.data0.all = dialog.curParam().data0.all;
        rec.data1.all = dialog.curParam().data1.all;
        light = dialog.curData();
        rec.data = std::span(reinterpret_cast<const uint8_t *>(&light), sizeof(SFltLight));
    });
}

bool makeLightingLastParam(sFltObjComplex &rec, SFltLight &light)
{
    lightingRecordFromMemo(lightingDialogMemo(), rec, light);
    return true;
}

void lightingRecordFromMemo(const SLightingMemo &m, sFltObjComplex &rec, SFltLight &light)
{
    initFltObjComplex(rec, 1, sizeof(SFltLight));
    rec.data0.all = int32_t(m.ambient.bgra);
    rec.data1.all = m.lightness;
    rec.data = std::span(reinterpret_cast<const uint8_t *>(&light), sizeof(SFltLight));
    initFltLight(light);
    light.kind = m.light.kind;
    light.power = m.light.power;
    light.color = m.light.color;
    light.range = m.light.range;
    light.posx = m.light.posx;
    light.posy = m.light.posy;
    light.posz = m.light.posz;
    if (m.light.kind != flkPoint) {
        light.phi = radians(m.light.phi);
        light.theta = radians(m.light.theta);
        light.wide = m.light.wide;
    }
}
