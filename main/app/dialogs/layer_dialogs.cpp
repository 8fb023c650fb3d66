#include "app/dialogs/layer_dialogs.h"

#include "core/tiles/block_channel.h"
#include "core/tiles/block_layer_image.h"
#include "document/edit/edit_ops.h"
#include "document/paper/layer_blend_table.h"
#include "paint/brush/user_blend_modes.h"
#include "platform/desktop/messages.h"
#include "ui/dialogs/paint_box.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"
#include "ui/graphics/appearance.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <exception>
#include <initializer_list>
#include <memory>
#include <new>

namespace {

QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

// The colour list's plain names, in TNewLayerColorItem order.
const char *const kColorNames[kNewLayerColorCount] = {"白", "黒", "グレー"};

QLabel *label(QWidget *parent, const char *text, int x, int y, int w = 80)
{
    auto *l = new QLabel(u8(text), parent);
    l->setGeometry(x, y, w, 16);
    return l;
}

TNumMngr *percentModel(QObject *owner)
{
    auto *num = new TNumMngr(owner);
    num->loadRange(0, 100, 100);
    return num;
}

TNumEdit *numEdit(QWidget *parent, TNumMngr *num, const QRect &r, const char *format)
{
    auto *e = new TNumEdit(parent);
    e->setGeometry(r);
    e->setAlignment(taRightJustify);
    e->setFormatString(QString::fromLatin1(format));
    e->setAssociate(num);
    return e;
}

// A track bar in box's place that mirrors num (0..100) as its position (0..1) both ways.
TGraphicTrackbar *percentTrack(TPaintBox *box, TNumMngr *num)
{
    auto *track = new TGraphicTrackbar(box->parentWidget());
    const QRect r = box->geometry();
    track->SetBounds(r.x(), r.y(), r.width(), r.height());
    box->hide();
    track->setPosition(1.0f);
    auto syncing = std::make_shared<bool>(false);
    track->OnChange = [track, num, syncing](QObject *) {
        if (*syncing)
            return;
        *syncing = true;
        num->setValue(track->Position() * 100);
        *syncing = false;
    };
    num->OnChange = [track, num, syncing](QObject *) {
        if (*syncing)
            return;
        *syncing = true;
        track->setPosition(num->Value() / 100);
        *syncing = false;
    };
    return track;
}

TNumMngr *positionModel(QObject *owner)
{
    auto *num = new TNumMngr(owner);
    num->beginLoading();
    num->setValueMin(-10000);
    num->setValueMax(10000);
    num->endLoading();
    return num;
}

void setRange(TNumMngr &num, float lo, float hi, float value)
{
    num.loadRange(lo, hi, value);
    num.UpdateAssociates(nullptr);
}

} // namespace

void fillBlendModeList(QComboBox &list)
{
    list.clear();
    for (int i = 0; i < kBlendModeCount; ++i) {
        QString name;
        getBlendModeName(TBlendMode(i), name);
        list.addItem(name);
    }
}

void CModeOpacityRows::createModeOpacityRows(QWidget *parent, QObject *owner, int labelX,
                                             int fieldX, int y, int listWidth, int trackWidth)
{
    StaticDrawMode = label(parent, "描画モード(&M)", labelX, y + 4);
    CmbDrawMode = new QComboBox(parent);
    CmbDrawMode->setGeometry(fieldX, y, listWidth, 22);
    StaticDrawMode->setBuddy(CmbDrawMode);
    fillBlendModeList(*CmbDrawMode);
    CmbDrawMode->setCurrentIndex(0);

    const int row = y + 32, editX = fieldX + trackWidth + 4;
    StaticOpaque = label(parent, "不透明度(&O)", labelX, row);
    NumOpaque = percentModel(owner);
    BoxOpaque = new TPaintBox(parent);
    BoxOpaque->setGeometry(fieldX, row, trackWidth, 14);
    EdtOpaque = numEdit(parent, NumOpaque, QRect(editX, row - 4, 36, 20), "%1.0f");
    StaticOpaque->setBuddy(EdtOpaque);
    StaticOpaqueUnit = label(parent, "%", editX + 40, row, 16);
    TrackOpaque = percentTrack(BoxOpaque, NumOpaque);
}

// ---- new layer

TFormNewLayer::TFormNewLayer(QWidget *owner) : TDialogBaseForm(owner)
{
    setWindowTitle(u8("新規レイヤ"));
    setClientSize(368, 150);
    StaticLayerName = label(this, "名前(&N)", 12, 14);
    EdtLayerName = new QLineEdit(this);
    EdtLayerName->setGeometry(100, 10, 148, 20);
    StaticLayerName->setBuddy(EdtLayerName);

    createModeOpacityRows(this, this, 12, 100, 38, 148, 100);

    StaticColor = label(this, "初期色(&C)", 12, 98);
    CmbColor = new QComboBox(this);
    CmbColor->setGeometry(100, 94, 148, 22);
    StaticColor->setBuddy(CmbColor);
    for (const char *name : kColorNames)
        CmbColor->addItem(u8(name));
    CmbColor->setCurrentIndex(0);
    ChkTransparent = new QCheckBox(u8("透明(&T)"), this);
    ChkTransparent->setGeometry(100, 122, 148, 18);
    ChkTransparent->setChecked(true);

    FLayerParam = getLayerParam(TLayerMode::LM_STD);
    connect(CmbDrawMode, &QComboBox::currentIndexChanged, this, [this] { CmbDrawModeChange(); });
    setTabOrder(EdtLayerName, CmbDrawMode);
    setTabOrder(CmbDrawMode, EdtOpaque);
    setTabOrder(EdtOpaque, CmbColor);
    setTabOrder(CmbColor, ChkTransparent);
    setTabOrder(ChkTransparent, ButtonOK);
}

void TFormNewLayer::restoreColorNames()
{
    for (int i = 0; i < kNewLayerColorCount; ++i)
        CmbColor->setItemText(i, u8(kColorNames[i]));
}

void TFormNewLayer::CmbDrawModeChange()
{
    const TLayerMode mode = blendModeToLayerMode(TBlendMode(CmbDrawMode->currentIndex()));
    const SLayerParam *row = getLayerParam(mode);
    if (row == FLayerParam)
        return;
    FLayerParam = row;
    restoreColorNames();
    const int item = neutralColorItem(mode);
    if (item < 0) {
        CmbColor->setCurrentIndex(nlcWhite);
        return;
    }
    CmbColor->setItemText(item, u8("%1( %2 )").arg(u8(kColorNames[item]), u8("中性色")));
    CmbColor->setCurrentIndex(item);
}

TNewLayerValue TFormNewLayer::value() const
{
    TNewLayerValue v;
    v.Name = EdtLayerName->text();
    v.LayerMode = blendModeToLayerMode(TBlendMode(CmbDrawMode->currentIndex()));
    v.Opaque = percentToByte(NumOpaque->Value());
    v.Color = newLayerColor(CmbColor->currentIndex(), ChkTransparent->isChecked());
    return v;
}

// ---- rotation

TFormRotation::TFormRotation(QWidget *owner)
    : TFormValue(owner, [](TFormValue &f) {
          f.setWindowTitle(u8("回転"));
          f.StaticValue->setText(u8("角度(&A)"));
          f.StaticValue->setGeometry(16, 26, 52, 16);
          f.EdtValue->setGeometry(72, 22, 48, 20);
          f.EdtValue->setFormatString(QStringLiteral("%1.4g"));
          f.StaticValueUnit->setText(u8("°"));
          f.StaticValueUnit->setGeometry(124, 26, 12, 16);
          f.BoxValue->setGeometry(140, 12, 44, 44);
          TNumMngr &num = *f.NumValue;
          num.beginLoading();
          num.setValueMin(-999);
          num.setValueMax(999);
          num.setValueDefault(0);
          num.setValueCenter(0);
          num.setValue(0);
          num.endLoading();
          num.SetWraps(nullptr, true, -180, 180);
      })
{
    TrackValue->setOrientation(gtCounterClockWise);
    TrackValue->setPosition(NumValue->Position());
}

// ---- layer and mask properties

TFormLayerOption::TFormLayerOption(QWidget *owner)
    : TDialogBaseForm(owner), FImage(kLayerPreviewBox, kLayerPreviewBox, clBtnFace32())
{
    setWindowTitle(u8("レイヤのプロパティ"));
    setClientSize(kClientWidth, kClientHeight);
    createPositionBox();
    createGeneralBox();
    setTabOrder(EdtX, EdtY);
    setTabOrder(EdtY, ChkCrop);
    setTabOrder(ChkCrop, EdtName);
    setTabOrder(EdtName, CmbDrawMode);
    setTabOrder(CmbDrawMode, EdtOpaque);
    setTabOrder(EdtOpaque, ChkDither);
    setTabOrder(ChkDither, EdtDither);
    setTabOrder(EdtDither, ButtonOK);
}

void TFormLayerOption::createPositionBox()
{
    GrpPosition = new QGroupBox(u8("位置とサイズ"), this);
    GrpPosition->setGeometry(8, 4, 272, 154);
    QWidget *g = GrpPosition;
    BoxPreview = new TPaintBox(g);
    BoxPreview->setGeometry(10, 20, kLayerPreviewBox, kLayerPreviewBox);
    BoxPreview->OnPaint = [this](QPainter &p) {
        if (BoxPreview->isVisible())
            FImage.Draw(p, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
    };
    StaticX = label(g, "X(&X)", 132, 24, 40);
    NumX = positionModel(this);
    EdtX = numEdit(g, NumX, QRect(176, 20, 60, 20), "%1.0f");
    StaticX->setBuddy(EdtX);
    StaticXUnit = label(g, "px", 240, 24, 24);
    StaticY = label(g, "Y(&Y)", 132, 50, 40);
    NumY = positionModel(this);
    EdtY = numEdit(g, NumY, QRect(176, 46, 60, 20), "%1.0f");
    StaticY->setBuddy(EdtY);
    StaticYUnit = label(g, "px", 240, 50, 24);
    StaticWidth = label(g, "幅", 132, 80, 40);
    LblWidth = label(g, "", 176, 80, 60); // empty until an image gives its size
    LblWidth->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    StaticWidthUnit = label(g, "px", 240, 80, 24);
    StaticHeight = label(g, "高さ", 132, 102, 40);
    LblHeight = label(g, "", 176, 102, 60);
    LblHeight->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    StaticHeightUnit = label(g, "px", 240, 102, 24);
    ChkCrop = new QCheckBox(u8("表示範囲外を削除(&R)"), g);
    ChkCrop->setGeometry(10, 134, 250, 18);
}

void TFormLayerOption::createGeneralBox()
{
    BoxGeneral = new QGroupBox(u8("全般"), this);
    BoxGeneral->setGeometry(8, 162, 272, 176);
    QWidget *g = BoxGeneral;
    StaticName = label(g, "名前(&N)", 10, 26);
    EdtName = new QLineEdit(g);
    EdtName->setGeometry(96, 22, 164, 20);
    StaticName->setBuddy(EdtName);
    createModeOpacityRows(g, this, 10, 96, 50, 164, 110);

    ChkDither = new QCheckBox(u8("ディザ合成(&D)"), g);
    ChkDither->setGeometry(10, 106, 200, 18);
    GrpDither = new QGroupBox(g);
    GrpDither->setGeometry(10, 126, 252, 40);
    QWidget *d = GrpDither;
    StaticDither = label(d, "密度(&E)", 8, 14, 76);
    NumDither = percentModel(this);
    BoxDither = new TPaintBox(d);
    BoxDither->setGeometry(86, 14, 110, 14);
    EdtDither = numEdit(d, NumDither, QRect(200, 10, 36, 20), "%1.0f");
    StaticDither->setBuddy(EdtDither);
    StaticDitherUnit = label(d, "%", 238, 14, 12);
    TrackDither = percentTrack(BoxDither, NumDither);
    connect(ChkDither, &QCheckBox::toggled, this, [this] { ChkDitherClick(); });
    ChkDitherClick();
}

void TFormLayerOption::ChkDitherClick()
{
    const bool on = ChkDither->isChecked();
    StaticDither->setEnabled(on);
    TrackDither->SetEnabled(on);
    EdtDither->setEnabled(on);
    StaticDitherUnit->setEnabled(on);
}

void TFormLayerOption::setUpPosition(sPos pos, sSize image, sSize canvas)
{
    float lo = 0, hi = 0;
    layerPositionRange(image.x, pos.x, lo, hi);
    setRange(*NumX, lo, hi, float(pos.x));
    layerPositionRange(image.y, pos.y, lo, hi);
    setRange(*NumY, lo, hi, float(pos.y));
    LblWidth->setText(QString::number(image.x));
    LblHeight->setText(QString::number(image.y));
    ChkCrop->setEnabled(canvas.x < image.x || canvas.y < image.y);
}

bool TFormLayerOption::setUpLayer(const TLayerOptionValue &value, const CBlockVMTC &image,
                                  sSize canvas)
{
    setUpPosition(sPos{value.X, value.Y}, sSize{image.width(), image.height()}, canvas);
    EdtName->setText(value.Name);
    CmbDrawMode->setCurrentIndex(int(layerModeToBlendMode(value.LayerMode)));
    NumOpaque->setValue(byteToPercent(value.Opaque));
    NumDither->setValue(byteToPercent(value.DitherDensity));
    ChkDither->setChecked(value.Dither);
    ChkDitherClick();
    return drawLayerPreview(FImage, image, sPos{value.X, value.Y}, canvas);
}

bool TFormLayerOption::setUpMask(const TMaskOptionValue &value, const CBlockVCH *image,
                                 sSize canvas)
{
    setWindowTitle(u8("%1のプロパティ").arg(u8("マスク")));
    if (image) {
        setUpPosition(sPos{value.X, value.Y}, sSize{image->width(), image->height()}, canvas);
    } else {
        for (QWidget *w : std::initializer_list<QWidget *>{
                 StaticX, EdtX, StaticXUnit, StaticY, EdtY, StaticYUnit, StaticWidth, LblWidth,
                 StaticWidthUnit, StaticHeight, LblHeight, StaticHeightUnit, ChkCrop})
            w->setEnabled(false);
        // The fields keep the record's position, so OK hands back what came in.
        setRange(*NumX, std::min(-10000.0f, float(value.X)), std::max(10000.0f, float(value.X)),
                 float(value.X));
        setRange(*NumY, std::min(-10000.0f, float(value.Y)), std::max(10000.0f, float(value.Y)),
                 float(value.Y));
    }
    EdtName->setText(value.Name);
    for (QWidget *w :
         std::initializer_list<QWidget *>{StaticDrawMode, CmbDrawMode, StaticOpaque, TrackOpaque,
                                          EdtOpaque, StaticOpaqueUnit, ChkDither, GrpDither})
        w->hide();
    BoxGeneral->resize(BoxGeneral->width(), 60);
    setClientSize(kClientWidth, kMaskClientHeight);
    return drawMaskPreview(FImage, image, sPos{value.X, value.Y}, canvas);
}

void TFormLayerOption::getLayerValue(TLayerOptionValue &value) const
{
    value.X = roundAwayFromZero(NumX->Value());
    value.Y = roundAwayFromZero(NumY->Value());
    value.Crop = ChkCrop->isChecked();
    value.Name = EdtName->text();
    value.LayerMode = blendModeToLayerMode(TBlendMode(CmbDrawMode->currentIndex()));
    value.Opaque = percentToByte(NumOpaque->Value());
    value.DitherDensity = percentToByte(NumDither->Value());
    value.Dither = ChkDither->isChecked();
}

void TFormLayerOption::getMaskValue(TMaskOptionValue &value) const
{
    value.X = roundAwayFromZero(NumX->Value());
    value.Y = roundAwayFromZero(NumY->Value());
    value.Crop = ChkCrop->isChecked();
    value.Name = EdtName->text();
}

// ---- runners

namespace {

// Runs make (which builds the form and answers whether it may be shown) and, on OK, take. A form
// that cannot be built answers false like a cancelled one; the form goes with the scope.
template <class Form, class Make, class Take> bool runDialog(Make make, Take take)
{
    try {
        std::unique_ptr<Form> form = std::make_unique<Form>();
        if (!make(*form) || doShowModal(*form) != kavrin::mrOk)
            return false;
        take(*form);
        return true;
    } catch (const std::bad_alloc &) {
        err_memHandler();
    } catch (const std::exception &e) {
        err_stdHandler(&e);
    }
    return false;
}

} // namespace

bool showNewLayerDialog(TNewLayerValue &value)
{
    return runDialog<TFormNewLayer>(
        [&](TFormNewLayer &f) {
            f.EdtLayerName->setText(value.Name);
            return true;
        },
        [&](TFormNewLayer &f) { value = f.value(); });
}

bool showRotationDialog(float &angle)
{
    return runDialog<TFormRotation>([](TFormRotation &) { return true; },
                                    [&](TFormRotation &f) { angle = f.NumValue->Value(); });
}

bool showLayerOptionDialog(TLayerOptionValue &value, const CBlockVMTC &image, sSize canvasSize)
{
    return runDialog<TFormLayerOption>(
        [&](TFormLayerOption &f) { return f.setUpLayer(value, image, canvasSize); },
        [&](TFormLayerOption &f) { f.getLayerValue(value); });
}

bool showMaskOptionDialog(TMaskOptionValue &value, const CBlockVCH *image, sSize canvasSize)
{
    return runDialog<TFormLayerOption>(
        [&](TFormLayerOption &f) { return f.setUpMask(value, image, canvasSize); },
        [&](TFormLayerOption &f) { f.getMaskValue(value); });
}
