#include "windows/presets/nib_editor_frame.h"

#include "core/codec/image_codec.h"
#include "core/image/canvas.h"
#include "core/image/display_canvas.h"
#include "core/profile/app_profile.h"
#include "document/files/file_types.h"
#include "document/paper/paper.h"
#include "paint/brush/paint_modes.h"
#include "paint/brush/paint_param.h"
#include "platform/desktop/messages.h"
#include "ui/controls/airmap_controls.h"
#include "ui/controls/item_picker.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/paint_box.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"
#include "ui/graphics/appearance.h"
#include "ui/graphics/brush_previews.h"
#include "ui/graphics/glyph_manager.h"
#include "windows/presets/editor_layout.h"
#include "windows/presets/preset_kinds.h"
#include "windows/shell_host.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <cmath>

namespace {

using editor_layout::label;
using editor_layout::u8;

// The curves of the six buttons, left to right: pin top, gamma, rounded top, linear, square,
// circle (the places of the resource's boxes 1 .. 6).
constexpr std::array<TPaintAirMap, 6> kButtonCurves = {
    TPaintAirMap::pamLinear, TPaintAirMap::pamGamma,    TPaintAirMap::pamCircle,
    TPaintAirMap::pamSquare, TPaintAirMap::pamRoundTop, TPaintAirMap::pamPinTop};
constexpr std::array<int, 6> kButtonBoxes = {4, 2, 6, 5, 3, 1};

} // namespace

TFramePenNibEditor::TFramePenNibEditor(QWidget *parent) : QWidget(parent)
{
    resize(352, 384);
    buildShapeGroup();
    buildAirMapGroup();
    buildBitmapGroup();
    BtnShapeCreate->setEnabled(mainForm().activePaper() != nullptr);
    for (QObject *s : std::initializer_list<QObject *>{NumRadius, NumScale, NumMinRad, NumAspect,
                                                       NumDegree, FCurveButtons[0]})
        ValueChange(s);
}

TFramePenNibEditor::~TFramePenNibEditor()
{
    FDestroying = true;
}

TNumMngr *TFramePenNibEditor::number(float lo, float hi, float value)
{
    return editor_layout::number(this, lo, hi, value, [this](QObject *s) { ValueChange(s); });
}

TNumEdit *TFramePenNibEditor::field(QWidget *parent, TNumMngr *num, const char *format, int x, int y)
{
    auto *e = new TNumEdit(parent);
    e->setGeometry(x, y, 48, 20);
    e->setAlignment(taRightJustify);
    e->setFormatString(QString::fromLatin1(format));
    e->setAssociate(num);
    return e;
}

void TFramePenNibEditor::buildShapeGroup()
{
    GrpShape = new QGroupBox(u8("形状"), this);
    GrpShape->setGeometry(0, 0, 352, 108);
    NumRadius = number(0.1f, 200, 1);
    NumRadius->AmountLow = 0.1f;
    NumScale = number(4, 500, 100);
    NumMinRad = number(1, 100, 50);
    NumAspect = number(0, 99, 0);
    NumDegree = number(-360, 360, 0);
    NumDegree->SetWraps(nullptr, true, -180, 180);
    NumFlat = number(0, 100, 0);
    NumAdd = number(0, 100, 0);

    StaticRadius = label(GrpShape, "半径(&R)", 28, 22, 70);
    EdtRadius = field(GrpShape, NumRadius, "%1.1f", 100, 18);
    EdtScale = field(GrpShape, NumScale, "%1.0f", 100, 18);
    EdtScale->hide();
    StaticRadius->setBuddy(EdtRadius);
    LblRadiusUnit = label(GrpShape, "px", 152, 22, 20);
    label(GrpShape, "最小半径(&M)", 192, 22, 80)->setBuddy(EdtMinRad = field(GrpShape, NumMinRad, "%1.0f", 276, 18));
    label(GrpShape, "%", 328, 22, 16);
    label(GrpShape, "扁平率(&O)", 28, 64, 70)->setBuddy(EdtAspect = field(GrpShape, NumAspect, "%1.0f", 100, 60));
    label(GrpShape, "%", 152, 64, 16);
    label(GrpShape, "角度(&N)", 192, 64, 80)->setBuddy(EdtDegree = field(GrpShape, NumDegree, "%1.0f", 276, 60));
    label(GrpShape, u8("°").toUtf8().constData(), 328, 64, 16);

    auto glyphLabel = [this](TqZGlyphType g, int x, int y) {
        auto *l = new TqZGlyphLabel(GrpShape);
        l->setGlyphType(g);
        l->SetBounds(x, y, 16, 16);
        return l;
    };
    auto track = [this](int x, int y, int w, int h) {
        auto *t = new TGraphicTrackbar(GrpShape);
        t->SetBounds(x, y, w, h);
        t->OnChange = [this](QObject *s) { ValueChange(s); };
        return t;
    };
    FLblRadius = glyphLabel(TqZGlyphType::qgNibRadius, 8, 20);
    FTrkRadius = track(28, 40, 144, 12);
    FLblMinRad = glyphLabel(TqZGlyphType::qgNibMinRadius, 172, 20);
    FTrkMinRad = track(192, 40, 152, 12);
    FTrkAspect = track(28, 84, 144, 12);
    FLblDegree = glyphLabel(TqZGlyphType::qgDegree, 172, 62);
    FTrkDegree = track(192, 82, 16, 16);
    FTrkDegree->setOrientation(gtClockWise);
    // The radius track bends toward small radii while the nib is drawn; an image's is linear.
    FTrkRadius->OnInFilter = [this](QObject *, float &p) {
        if (!FShapeCH)
            p = nibRadiusInFilter(p);
    };
    FTrkRadius->OnOutFilter = [this](QObject *, float &p) {
        if (!FShapeCH)
            p = nibRadiusOutFilter(p);
    };
}

void TFramePenNibEditor::buildAirMapGroup()
{
    GrpAirMap = new QGroupBox(u8("濃度分布"), this);
    GrpAirMap->setGeometry(0, 112, 352, 120);
    FAirMapControl = new TAirMapControl(GrpAirMap);
    FAirMapControl->SetBounds(16, 16, 92, 92);
    FAirMapControl->OnChange = [this](QObject *s) { ValueChange(s); };
    for (size_t i = 0; i < kButtonCurves.size(); ++i) {
        auto *b = new TItemButton(GrpAirMap);
        b->setGroupIndex(1);
        b->SetBounds(124 + 36 * (kButtonBoxes[i] - 1), 16, 32, 32);
        const TPaintAirMap curve = kButtonCurves[i];
        b->OnOwnerDraw = [this, curve, b](QObject *, TMemoryGraphic &g) {
            DrawAirMapButton(curve, *b, g);
        };
        b->OnDown = [this](QObject *s) { ValueChange(s); };
        FCurveButtons[i] = b;
    }
    label(GrpAirMap, "平坦(&F)", 144, 64, 60)->setBuddy(EdtFlat = field(GrpAirMap, NumFlat, "%1.0f", 208, 60));
    label(GrpAirMap, "%", 260, 64, 16);
    label(GrpAirMap, "底上げ(&B)", 144, 90, 60)->setBuddy(EdtAdd = field(GrpAirMap, NumAdd, "%1.0f", 208, 86));
    label(GrpAirMap, "%", 260, 90, 16);
    FLblFlat = new TqZGlyphLabel(GrpAirMap);
    FLblFlat->setGlyphType(TqZGlyphType::qgFlat);
    FLblFlat->SetBounds(124, 62, 16, 16);
    FLblAdd = new TqZGlyphLabel(GrpAirMap);
    FLblAdd->setGlyphType(TqZGlyphType::qgAdd);
    FLblAdd->SetBounds(124, 88, 16, 16);
}

void TFramePenNibEditor::buildBitmapGroup()
{
    GrpBitmap = new QGroupBox(u8("ビットマップ"), this);
    GrpBitmap->setGeometry(0, 236, 352, 120);
    BoxShape = new TPaintBox(GrpBitmap);
    BoxShape->setGeometry(16, 16, 154, 92);
    BoxShape->OnPaint = [this](QPainter &p) { BoxShapePaint(p); };
    auto button = [this](const char *text, int y) {
        auto *b = new QPushButton(u8(text), GrpBitmap);
        b->setGeometry(184, y, 152, 20);
        return b;
    };
    BtnShapeLoad = button("読み込み(&I)...", 16);
    BtnShapeCreate = button("画像から作成(&S)", 44);
    BtnShapeRemove = button("取り込み解除(&E)", 72);
    BtnShapeRemove->setEnabled(false);
    connect(BtnShapeLoad, &QPushButton::clicked, this, [this] { BtnShapeLoadClick(); });
    connect(BtnShapeCreate, &QPushButton::clicked, this, [this] { BtnShapeCreateClick(); });
    connect(BtnShapeRemove, &QPushButton::clicked, this, [this] { BtnShapeRemoveClick(); });
    ChkAntiAlias = new QCheckBox(u8("アンチエイリアス有効(&T)"), this);
    ChkAntiAlias->setGeometry(32, 362, 200, 18);
    connect(ChkAntiAlias, &QCheckBox::clicked, this, [this] { ValueChange(ChkAntiAlias); });
}

// ---- values

void TFramePenNibEditor::ValueChange(QObject *Sender)
{
    if (FValueUpdate || FDestroying)
        return;
    FValueUpdate = true;
    bool known = true;
    const bool drawn = !EdtRadius->isHidden();
    if (Sender == NumRadius) {
        if (drawn)
            FTrkRadius->setPosition(NumRadius->Position());
    } else if (Sender == NumScale) {
        if (!drawn)
            FTrkRadius->setPosition(NumScale->Position());
    } else if (Sender == NumMinRad) {
        FTrkMinRad->setPosition(NumMinRad->Position());
    } else if (Sender == NumAspect) {
        FTrkAspect->setPosition(NumAspect->Position());
    } else if (Sender == NumDegree) {
        FTrkDegree->setPosition(NumDegree->Position());
    } else if (Sender == NumFlat) {
        FAirMapControl->setFlat(NumFlat->Position());
    } else if (Sender == NumAdd) {
        FAirMapControl->setAdd(NumAdd->Position());
    } else if (Sender == FTrkRadius) {
        (drawn ? NumRadius : NumScale)->setPosition(FTrkRadius->Position());
    } else if (Sender == FTrkMinRad) {
        NumMinRad->setPosition(FTrkMinRad->Position());
    } else if (Sender == FTrkAspect) {
        NumAspect->setPosition(FTrkAspect->Position());
    } else if (Sender == FTrkDegree) {
        NumDegree->setPosition(FTrkDegree->Position());
    } else if (Sender == FAirMapControl) {
        for (size_t i = 0; i < kButtonCurves.size(); ++i)
            FCurveButtons[i]->setDown(kButtonCurves[i] == FAirMapControl->AirMap());
        NumFlat->setPosition(FAirMapControl->Flat());
        NumAdd->setPosition(FAirMapControl->Add());
    } else if (Sender == ChkAntiAlias) {
    } else {
        known = false;
        for (size_t i = 0; i < FCurveButtons.size(); ++i)
            if (Sender == FCurveButtons[i]) {
                known = true;
                FCurveButtons[i]->setDown(true);
                FAirMapControl->setAirMap(kButtonCurves[i]);
            }
    }
    FValueUpdate = false;
    if (known && OnChange)
        OnChange(this);
}

void TFramePenNibEditor::setDrawnNib(bool drawn)
{
    EdtRadius->setVisible(drawn);
    EdtScale->setVisible(!drawn);
    EdtRadius->setHidden(!drawn);
    EdtScale->setHidden(drawn);
    LblRadiusUnit->setText(drawn ? QStringLiteral("px") : QStringLiteral("%"));
}

bool TFramePenNibEditor::SetPaintParam(const TPaintParam *AParam)
{
    if (!AParam)
        return false;
    const TPaintParam &p = *AParam;
    setDrawnNib(!p.UseShapeImage());
    SetShapeData(p.UseShapeImage() ? p.ShapeImage() : nullptr, p.ShapeImageSize());
    NumRadius->setValue(p.UseShapeImage() ? NumRadius->Value() : p.Radius());
    const SScaleRange r = nibScaleRangePercent(p.ScaleMin(), p.ScaleMax());
    NumScale->SetValues(nullptr, p.ShapeImageScale() * 100, float(r.min), float(r.max));
    NumMinRad->setValue(p.MinRadius() * 100);
    NumAspect->setValue(numAspectFromAspect(p.Aspect()));
    NumDegree->setValue(p.Rotation());
    NumFlat->setValue(p.Flat() * 100);
    NumAdd->setValue(p.Add() * 100);
    FAirMapControl->setAirMap(p.AirMap());
    ValueChange(FAirMapControl);
    ChkAntiAlias->setChecked(!p.Digitize());
    BoxShape->update();
    BtnShapeRemove->setEnabled(FShapeCH != nullptr);
    return true;
}

bool TFramePenNibEditor::GetPaintParam(TPaintParam *AParam) const
{
    if (!AParam)
        return false;
    TPaintParam &p = *AParam;
    if (FShapeCH) {
        p.setRadius(1);
        p.setShapeImageScale(NumScale->Value() / 100);
        p.SetShapeImage(FShapeCH.get()); // stored inverted again
    } else {
        p.setRadius(NumRadius->Value());
        p.setShapeImageScale(1);
        p.SetShapeImage(static_cast<const TChannel *>(nullptr));
    }
    p.setMinRadius(NumMinRad->Value() / 100);
    p.setAspect(aspectFromNumAspect(NumAspect->Value()));
    p.setRotation(NumDegree->Value());
    p.setAirMap(FAirMapControl->AirMap());
    p.setFlat(NumFlat->Value() / 100);
    p.setAdd(NumAdd->Value() / 100);
    p.setDigitize(!ChkAntiAlias->isChecked());
    return true;
}

// ---- the nib picture

void TFramePenNibEditor::replaceImage(std::unique_ptr<TChannel> ch)
{
    FShapeCH = std::move(ch);
    setDrawnNib(FShapeCH == nullptr);
    if (!FShapeCH)
        NumRadius->setValue(1);
    rebuildWork();
}

bool TFramePenNibEditor::SetShapeData(const uint8_t *Data, const sSize &Size)
{
    if (!Data || Size.x <= 0 || Size.y <= 0) {
        replaceImage(nullptr);
        return true;
    }
    auto ch = std::make_unique<TChannel>(Size.x, Size.y);
    for (int32_t y = 0; y < Size.y; ++y)
        for (int32_t x = 0; x < Size.x; ++x)
            *ch->seek8(x, y) = uint8_t(255 - Data[size_t(y) * size_t(Size.x) + size_t(x)]);
    const SScaleRange r = nibScaleRangePercent(Size);
    NumScale->SetValues(nullptr, NumScale->Value(), float(r.min), float(r.max));
    replaceImage(std::move(ch));
    return true;
}

bool TFramePenNibEditor::SetShapeTC(const TMTC *TC)
{
    if (!TC) {
        replaceImage(nullptr);
        return true;
    }
    if (TC->width() <= 0 || TC->height() <= 0)
        return false;
    auto ch = std::make_unique<TChannel>(TC->width(), TC->height());
    if (ch->width() != TC->width() || ch->height() != TC->height() ||
        !TC->toGrayChannel(*ch, {0, 0}, {0, 0, TC->width(), TC->height()}))
        return false;
    // The rounded range: a scale the whole-percent zoom of the stored nib can hold.
    const SScaleRange r = nibScaleRangePercent(sSize{ch->width(), ch->height()});
    NumScale->SetValues(nullptr, 100, float(r.min), float(r.max));
    replaceImage(std::move(ch));
    return true;
}

bool TFramePenNibEditor::LoadShapeFile(const QString &path)
{
    const std::unique_ptr<TMTC> tc = loadImageFile(path, nullptr);
    if (!tc) {
        showWarning(u8("画像ファイルを開くことができませんでした！\r    path = %1").arg(path));
        return false;
    }
    if (!SetShapeTC(tc.get()))
        return false;
    BoxShape->update();
    BtnShapeRemove->setEnabled(true);
    if (OnChange)
        OnChange(this);
    return true;
}

void TFramePenNibEditor::BtnShapeLoadClick()
{
    QString path;
    if (execFileDialog(path, ofGeneralImagesR, gAppProfile ? gAppProfile->loadPath : QString()))
        LoadShapeFile(path);
}

void TFramePenNibEditor::BtnShapeCreateClick()
{
    TPaper *paper = mainForm().activePaper();
    if (!paper || !SetShapeTC(&paper->vram()))
        return;
    BoxShape->update();
    BtnShapeRemove->setEnabled(true);
    if (OnChange)
        OnChange(this);
}

void TFramePenNibEditor::BtnShapeRemoveClick()
{
    SetShapeTC(nullptr);
    BoxShape->update();
    BtnShapeRemove->setEnabled(false);
    if (OnChange)
        OnChange(this);
}

void TFramePenNibEditor::rebuildWork()
{
    const QSize inner = BoxShape->size() - QSize(4, 4);
    if (!FShapeCH || inner.width() < 1 || inner.height() < 1) {
        FWorkTC = QImage();
        BoxShape->update();
        return;
    }
    QImage grey(FShapeCH->width(), FShapeCH->height(), QImage::Format_Grayscale8);
    for (int32_t y = 0; y < FShapeCH->height(); ++y)
        for (int32_t x = 0; x < FShapeCH->width(); ++x)
            grey.scanLine(y)[x] = *FShapeCH->seek8(x, y);
    FWorkTC = grey.scaled(inner, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    BoxShape->update();
}

void TFramePenNibEditor::BoxShapePaint(QPainter &p)
{
    const QRect r = BoxShape->rect();
    p.fillRect(r, palette().color(QPalette::Disabled, QPalette::WindowText));
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    p.setPen(palette().color(QPalette::Shadow));
    p.drawRect(r.adjusted(1, 1, -2, -2));
    if (!FWorkTC.isNull())
        p.drawImage(2, 2, FWorkTC);
}

void TFramePenNibEditor::resizeEvent(QResizeEvent *ev)
{
    QWidget::resizeEvent(ev);
    if (BoxShape && BoxShape->width() >= 5 && BoxShape->height() >= 5)
        rebuildWork();
}

void TFramePenNibEditor::DrawAirMapButton(TPaintAirMap curve, TItemButton &button,
                                          TMemoryGraphic &image)
{
    image.Clear();
    const TColor32 colour = !button.isEnabled() ? clGrayText32()
                            : button.underMouse() ? clHighlight32()
                                                  : clWindowText32();
    drawAirMapProfile(image, {2, 2, image.Width() - 2, image.Height() - 2}, curve, 0, 0, colour);
}
