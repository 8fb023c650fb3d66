#include "windows/presets/brush_frames.h"

#include "core/codec/image_codec.h"
#include "core/image/canvas.h"
#include "core/profile/app_profile.h"
#include "document/files/file_types.h"
#include "paint/brush/paint_modes.h"
#include "paint/brush/paint_param.h"
#include "paint/presets/method_icons.h"
#include "platform/desktop/messages.h"
#include "ui/controls/pressure_gamma.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/paint_box.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"
#include "ui/graphics/glyph_manager.h"
#include "windows/presets/editor_layout.h"
#include "windows/presets/editor_models.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {

using editor_layout::label;
using editor_layout::u8;

TNumEdit *field(QWidget *parent, TNumMngr *num, const char *format, int x, int y)
{
    return editor_layout::field(parent, num, format, x, y, 48);
}

TqZGlyphLabel *glyphLabel(QWidget *parent, TqZGlyphType g, int x, int y)
{
    auto *l = new TqZGlyphLabel(parent);
    l->setGlyphType(g);
    l->SetBounds(x, y, 16, 16);
    return l;
}

// The image boxes' sunken frame, filled with the grey of disabled text.
void paintSunkenBox(QPainter &p, const QWidget &box)
{
    const QRect r = box.rect();
    const QPalette &pal = box.palette();
    p.fillRect(r, pal.color(QPalette::Disabled, QPalette::WindowText));
    p.setPen(pal.color(QPalette::Dark));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(pal.color(QPalette::Light));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    p.setPen(pal.color(QPalette::Shadow));
    p.drawRect(r.adjusted(1, 1, -2, -2));
}

const char *const kPM4Items[kPM4TypeCount] = {
    "鉛筆 - 4互換",   "消しゴム - 4互換", "透明水彩 - 4互換", "エアーブラシ - 4互換", "ぼかし - 4互換",
    "指先 - 4互換",   "のばし - 4互換",   "焼き込み - 4互換", "覆い焼き - 4互換"};
const char *const kPM5Items[kPM5TypeCount] = {"鉛筆", "消しゴム", "透明水彩", "エアーブラシ"};

} // namespace

// ==== the brush settings

TFramePenMtdEditor::TFramePenMtdEditor(QWidget *parent) : QWidget(parent)
{
    resize(352, 384);
    buildGeneralGroup();
    buildBrushGroup();
    buildPressureGroup();
    PM4CmbType->setCurrentIndex(0);
    PM5CmbType->setCurrentIndex(0);
    // The version-5 drop-down sits in the version-4 one's place and is the one shown at first.
    PM5CmbType->setGeometry(PM4CmbType->geometry());
    PM4CmbType->hide();
    FActiveCmbType = PM5CmbType;
    for (QObject *s : std::initializer_list<QObject *>{PM4CmbType, PM5CmbType, NumDensity,
                                                       NumSpace, NumEffect[0], NumEffect[1],
                                                       NumEffect[2]})
        ValueChange(s);
}

TFramePenMtdEditor::~TFramePenMtdEditor()
{
    FDestroying = true;
}

TNumMngr *TFramePenMtdEditor::number(float lo, float hi, float value)
{
    return editor_layout::number(this, lo, hi, value, [this](QObject *s) { ValueChange(s); });
}

TGraphicTrackbar *TFramePenMtdEditor::track(QWidget *parent, int x, int y)
{
    auto *t = new TGraphicTrackbar(parent);
    t->SetBounds(x, y, 144, 12);
    t->OnChange = [this](QObject *s) { ValueChange(s); };
    return t;
}

void TFramePenMtdEditor::buildGeneralGroup()
{
    GrpGeneral = new QGroupBox(u8("一般"), this);
    GrpGeneral->setGeometry(0, 0, 352, 150);
    EdtName = new QLineEdit(GrpGeneral);
    EdtName->setGeometry(84, 18, 252, 20);
    label(GrpGeneral, "名前(&N)", 16, 20, 64)->setBuddy(EdtName);
    connect(EdtName, &QLineEdit::textChanged, this, [this] { ValueChange(EdtName); });

    auto combo = [this](const char *const *items, int n) {
        auto *c = new QComboBox(GrpGeneral);
        c->setGeometry(84, 44, 180, 22);
        for (int i = 0; i < n; ++i)
            c->addItem(u8(items[i]));
        connect(c, &QComboBox::currentIndexChanged, this, [this, c] { ValueChange(c); });
        return c;
    };
    PM4CmbType = combo(kPM4Items, kPM4TypeCount);
    PM5CmbType = combo(kPM5Items, kPM5TypeCount);
    label(GrpGeneral, "種類(&T)", 16, 47, 64)->setBuddy(PM5CmbType);

    label(GrpGeneral, "アイコン", 16, 76, 64);
    BoxIcon = new TPaintBox(GrpGeneral);
    BoxIcon->setGeometry(84, 74, 88, 64);
    BoxIcon->OnPaint = [this](QPainter &p) { BoxIconPaint(p); };
    BtnIconLoad = new QPushButton(u8("読み込み(&I)..."), GrpGeneral);
    BtnIconLoad->setGeometry(184, 74, 152, 20);
    BtnIconRemove = new QPushButton(u8("取り込み解除(&R)"), GrpGeneral);
    BtnIconRemove->setGeometry(184, 100, 152, 20);
    BtnIconRemove->setEnabled(false);
    connect(BtnIconLoad, &QPushButton::clicked, this, [this] { BtnIconLoadClick(); });
    connect(BtnIconRemove, &QPushButton::clicked, this, [this] { BtnIconRemoveClick(); });
}

void TFramePenMtdEditor::buildBrushGroup()
{
    GrpBrush = new QGroupBox(u8("ブラシ"), this);
    GrpBrush->setGeometry(0, 156, 352, 152);
    NumDensity = number(1, 100, 100);
    NumSpace = number(1, 200, 10);
    for (auto &n : NumEffect)
        n = number(0, 100, 50);

    // One row each: glyph, caption, field, unit, track bar.
    auto row = [this](int y, const char *caption, TNumMngr *num, const char *unit, QLabel **stat,
                      TNumEdit **edit, TGraphicTrackbar **trk) {
        *edit = field(GrpBrush, num, "%1.0f", 120, y);
        *stat = label(GrpBrush, caption, 28, y + 2, 90);
        (*stat)->setBuddy(*edit);
        if (unit)
            label(GrpBrush, unit, 172, y + 2, 16);
        *trk = track(GrpBrush, 192, y + 4);
    };
    QLabel *unused = nullptr;
    FLblDensity = glyphLabel(GrpBrush, TqZGlyphType::qgDensity, 8, 20);
    row(18, "濃度(&O)", NumDensity, "%", &unused, &EdtDensity, &FTrkDensity);
    FLblSpace = glyphLabel(GrpBrush, TqZGlyphType::qgBrushSpace, 8, 46);
    row(44, "間隔(&S)", NumSpace, "%", &unused, &EdtSpace, &FTrkSpace);
    const char *effects[3] = {"効果1(&1)", "効果2(&2)", "効果3(&3)"};
    for (size_t i = 0; i < 3; ++i) {
        const int y = 70 + 26 * int(i);
        FLblEffect[i] = glyphLabel(GrpBrush, TqZGlyphType::qgDensity, 8, y + 2);
        row(y, effects[i], NumEffect[i], nullptr, &StaticEffect[i], &EdtEffect[i], &FTrkEffect[i]);
    }
}

void TFramePenMtdEditor::buildPressureGroup()
{
    GrpPressure = new QGroupBox(u8("筆圧"), this);
    GrpPressure->setGeometry(0, 312, 352, 68);
    NumGamma = number(0.05f, 6, 1);
    NumGamma->beginLoading();
    NumGamma->setValueDefault(0);
    NumGamma->setValueCenter(1);
    NumGamma->endLoading();
    NumGamma->Amount = 0.1f;
    NumGamma->AmountLow = 0.01f;
    NumGamma->AmountHigh = 0.05f;
    NumGamma->UseCenter = true;
    FPrsGamma = new TPressureGamma(GrpPressure);
    FPrsGamma->SetBounds(16, 16, 40, 40);
    FPrsGamma->OnChange = [this](QObject *s) { ValueChange(s); };
    EdtPrsGamma = field(GrpPressure, NumGamma, "%1.2f", 120, 26);
    label(GrpPressure, "ガンマ(&G)", 64, 28, 54)->setBuddy(EdtPrsGamma);
    FLblPrsDensity = glyphLabel(GrpPressure, TqZGlyphType::qgPrsDensity, 180, 18);
    FLblPrsRadius = glyphLabel(GrpPressure, TqZGlyphType::qgPrsRadius, 180, 42);
    ChkPrsDensity = new QCheckBox(u8("濃度変化有効(&P)"), GrpPressure);
    ChkPrsDensity->setGeometry(200, 17, 144, 18);
    ChkPrsRadius = new QCheckBox(u8("サイズ変化有効(&Z)"), GrpPressure);
    ChkPrsRadius->setGeometry(200, 41, 144, 18);
    connect(ChkPrsDensity, &QCheckBox::clicked, this, [this] { ValueChange(ChkPrsDensity); });
    connect(ChkPrsRadius, &QCheckBox::clicked, this, [this] { ValueChange(ChkPrsRadius); });
}

// ---- values

void TFramePenMtdEditor::ValueChange(QObject *Sender)
{
    if (FValueUpdate || FDestroying)
        return;
    FValueUpdate = true;
    bool known = true;
    if (Sender == PM4CmbType || Sender == PM5CmbType) {
        UpdateModeControls();
        BoxIcon->update();
    } else if (Sender == NumDensity) {
        FTrkDensity->setPosition(NumDensity->Position());
    } else if (Sender == NumSpace) {
        FTrkSpace->setPosition(NumSpace->Position());
    } else if (Sender == FTrkDensity) {
        NumDensity->setPosition(FTrkDensity->Position());
    } else if (Sender == FTrkSpace) {
        NumSpace->setPosition(FTrkSpace->Position());
    } else if (Sender == NumGamma) {
        FPrsGamma->setGamma(NumGamma->Value());
    } else if (Sender == FPrsGamma) {
        NumGamma->setValue(FPrsGamma->Gamma());
    } else if (Sender == EdtName || Sender == ChkPrsDensity || Sender == ChkPrsRadius) {
    } else {
        known = false;
        for (size_t i = 0; i < 3; ++i)
            if (Sender == NumEffect[i]) {
                FTrkEffect[i]->setPosition(NumEffect[i]->Position());
                known = true;
            } else if (Sender == FTrkEffect[i]) {
                NumEffect[i]->setPosition(FTrkEffect[i]->Position());
                known = true;
            }
    }
    FValueUpdate = false;
    if (known && OnChange)
        OnChange(this);
}

TPaintMode TFramePenMtdEditor::CurrentPaintMode() const
{
    const TBrushTypeList list =
        FActiveCmbType == PM4CmbType ? TBrushTypeList::PM4 : TBrushTypeList::PM5;
    TPaintMode mode = list == TBrushTypeList::PM4 ? TPaintMode::pmPencil4 : TPaintMode::pmPencil5;
    ::CurrentPaintMode(list, FActiveCmbType->currentIndex(), mode);
    return mode;
}

void TFramePenMtdEditor::UpdateModeControls()
{
    const TPaintMode mode = CurrentPaintMode();
    const TqZGlyphType glyph = paintModeToGlyphType(mode);
    if (!FUserIcon)
        setIconTC(getPaintModeIcon(mode));
    const std::array<bool, 3> on = supportedEffects(mode);
    for (size_t i = 0; i < 3; ++i) {
        FLblEffect[i]->setGlyphType(glyph);
        StaticEffect[i]->setText(getEffectLabel(mode, int(i)) + QStringLiteral("(&%1)").arg(int(i) + 1));
        FLblEffect[i]->SetEnabled(on[i]);
        StaticEffect[i]->setEnabled(on[i]);
        EdtEffect[i]->setEnabled(on[i]);
        FTrkEffect[i]->SetEnabled(on[i]);
    }
    BtnIconRemove->setEnabled(FUserIcon);
}

bool TFramePenMtdEditor::SetPaintParam(const TPaintParam *AParam)
{
    if (!AParam)
        return false;
    const TPaintParam &p = *AParam;
    TBrushTypeList list{};
    int item = 0;
    // The older engines' brushes have no place in either drop-down: the frame stays as it is.
    if (isLegacyPaintLevel(p.PaintLevel()) || !paintModeTypeItem(p.Mode(), list, item))
        return true;
    QComboBox *shown = list == TBrushTypeList::PM5 ? PM5CmbType : PM4CmbType;
    QComboBox *hidden = shown == PM5CmbType ? PM4CmbType : PM5CmbType;
    hidden->hide();
    shown->show();
    FActiveCmbType = shown;
    shown->setCurrentIndex(item);
    EdtName->setText(p.ItemName());
    NumDensity->setValue(p.Density() * 100);
    NumSpace->setValue(p.Space() * 100);
    NumEffect[0]->setValue(p.Effect1());
    NumEffect[1]->setValue(p.Effect2());
    NumEffect[2]->setValue(p.Effect3());
    NumGamma->setValue(p.PrsGamma());
    ChkPrsDensity->setChecked(p.PrsDensity());
    ChkPrsRadius->setChecked(p.PrsRadius());
    setIconTC(p.IconImage());
    FUserIcon = p.UserIcon();
    UpdateModeControls();
    BoxIcon->update();
    return true;
}

bool TFramePenMtdEditor::GetPaintParam(TPaintParam *AParam) const
{
    if (!AParam)
        return false;
    TPaintParam &p = *AParam;
    const TPaintMode mode = CurrentPaintMode();
    p.SetDefaultParam(mode);
    p.setItemName(EdtName->text());
    p.setDensity(NumDensity->Value() / 100);
    p.setSpace(NumSpace->Value() / 100);
    const std::array<bool, 3> on = supportedEffects(mode);
    if (on[0])
        p.setEffect1(NumEffect[0]->Value());
    if (on[1])
        p.setEffect2(NumEffect[1]->Value());
    if (on[2])
        p.setEffect3(NumEffect[2]->Value());
    p.setPrsGamma(NumGamma->Value());
    p.setPrsDensity(ChkPrsDensity->isChecked());
    p.setPrsRadius(ChkPrsRadius->isChecked());
    p.SetIconImage(FUserIcon ? FIconTC.get() : nullptr);
    return true;
}

// ---- the icon

void TFramePenMtdEditor::setIconTC(const TMTC *Value)
{
    if (Value == FIconTC.get())
        return;
    if (!Value) {
        FIconTC.reset(); // the display copy keeps its pixels
        return;
    }
    FIconTC = std::make_unique<TMTC>(*Value);
    const QSize inner = BoxIcon->size() - QSize(4, 4);
    const QImage view = FIconTC->imageView();
    FWorkTC = view.isNull() || inner.isEmpty()
                  ? QImage()
                  : view.scaled(inner, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

void TFramePenMtdEditor::iconChanged()
{
    UpdateModeControls();
    BoxIcon->update();
    if (OnChange)
        OnChange(this);
}

bool TFramePenMtdEditor::LoadIconFile(const QString &path)
{
    const std::unique_ptr<TMTC> tc = loadImageFile(path, nullptr);
    if (!tc) {
        showWarning(u8("画像ファイルを開くことができませんでした！\r    path = %1").arg(path));
        return false;
    }
    setIconTC(tc.get());
    FUserIcon = true;
    iconChanged();
    return true;
}

void TFramePenMtdEditor::BtnIconLoadClick()
{
    QString path;
    if (execFileDialog(path, ofGeneralImagesR, gAppProfile ? gAppProfile->loadPath : QString()))
        LoadIconFile(path);
}

void TFramePenMtdEditor::BtnIconRemoveClick()
{
    setIconTC(getPaintModeIcon(CurrentPaintMode()));
    FUserIcon = false;
    iconChanged();
}

void TFramePenMtdEditor::BoxIconPaint(QPainter &p)
{
    paintSunkenBox(p, *BoxIcon);
    if (FIconTC && !FWorkTC.isNull())
        p.drawImage(2, 2, FWorkTC);
}

// ==== the stroke options

TFrameStrokeOpt::TFrameStrokeOpt(QWidget *parent) : QWidget(parent)
{
    resize(352, 384);
    GroupInterpolate = new QGroupBox(u8("補正"), this);
    GroupInterpolate->setGeometry(0, 0, 352, 68);
    NumSmoothLevel = new TNumMngr(this);
    NumSmoothLevel->beginLoading();
    NumSmoothLevel->setValueMin(0);
    NumSmoothLevel->setValueMax(24);
    NumSmoothLevel->setValueDefault(2);
    NumSmoothLevel->setValue(2);
    NumSmoothLevel->endLoading();
    NumSmoothLevel->OnChange = [this](QObject *s) { ValueChange(s); };
    EdtSmoothLevel = field(GroupInterpolate, NumSmoothLevel, "%1.0f", 120, 16);
    StaticSmoothLevel = label(GroupInterpolate, "手ぶれ補正(&S)", 16, 18, 100);
    StaticSmoothLevel->setBuddy(EdtSmoothLevel);
    FTrkSmoothLevel = new TGraphicTrackbar(GroupInterpolate);
    FTrkSmoothLevel->SetBounds(16, 40, 152, 12);
    FTrkSmoothLevel->OnChange = [this](QObject *s) { ValueChange(s); };
    FTrkSmoothLevel->setPosition(NumSmoothLevel->Position());
    CheckInterpolate = new QCheckBox(u8("曲線補間(&I)"), GroupInterpolate);
    CheckInterpolate->setGeometry(192, 28, 144, 18);
    connect(CheckInterpolate, &QCheckBox::clicked, this, [this] {
        if (OnChange)
            OnChange(this);
    });
}

TFrameStrokeOpt::~TFrameStrokeOpt()
{
    FDestroying = true;
}

void TFrameStrokeOpt::ValueChange(QObject *Sender)
{
    if (FValueUpdate || FDestroying)
        return;
    FValueUpdate = true;
    if (Sender == NumSmoothLevel)
        FTrkSmoothLevel->setPosition(NumSmoothLevel->Position());
    else if (Sender == FTrkSmoothLevel)
        NumSmoothLevel->setPosition(FTrkSmoothLevel->Position());
    FValueUpdate = false;
    if (OnChange)
        OnChange(this);
}

bool TFrameStrokeOpt::SetPaintParam(const TPaintParam *AParam)
{
    if (!AParam)
        return false;
    NumSmoothLevel->setValue(float(AParam->SmoothLevel()));
    FTrkSmoothLevel->setPosition(NumSmoothLevel->Position());
    CheckInterpolate->setChecked(AParam->InterpolateType() == TInterpolateType::itBSpline);
    return true;
}

bool TFrameStrokeOpt::GetPaintParam(TPaintParam *AParam) const
{
    if (!AParam)
        return false;
    AParam->setSmoothLevel(smoothLevelFromNumber(NumSmoothLevel->Value()));
    AParam->setInterpolateType(CheckInterpolate->isChecked() ? TInterpolateType::itBSpline
                                                             : TInterpolateType::itLinear);
    return true;
}

void TFrameStrokeOpt::SetControlEnabled(bool enable)
{
    if (!enable) {
        NumSmoothLevel->setValue(0);
        CheckInterpolate->setChecked(false);
    }
    CheckInterpolate->setEnabled(enable);
    FTrkSmoothLevel->SetEnabled(enable);
    StaticSmoothLevel->setEnabled(enable);
}
