// The layer dialogs: the percent, rounding, colour, range and thumbnail arithmetic by tables, and
// the real forms driven through their runners (typing, lists, check boxes, OK, Cancel), with the
// previews compared to golden pictures.
#include "app/dialogs/layer_dialogs.h"

#include "core/tiles/block_channel.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/document_init.h"
#include "paint/brush/user_blend_modes.h"
#include "scripted_dialog.h"
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

#include <gtest/gtest.h>

using docdlg::clickCheck;
using docdlg::ScopedDialogDriver;
using docdlg::typeInto;

namespace {

class LayerDialogsForm : public ::testing::Test
{
  protected:
    void SetUp() override { initialiseDocument(); } // the blend-mode names
};

void clickOk(QDialog &d)
{
    QTest::mouseClick(dynamic_cast<TDialogBaseForm &>(d).ButtonOK, Qt::LeftButton);
}

int modeItem(TLayerMode mode)
{
    return int(layerModeToBlendMode(mode));
}

} // namespace

// ---- arithmetic

TEST(LayerDialogsModel, PercentFieldsRoundTripEveryByteAndRoundAsExtendedPrecision)
{
    struct Case
    {
        float percent;
        int32_t byte;
    };
    // Double arithmetic gives 127 and 229 for the first two: the byte is recorded, so it matters.
    for (const Case &c : {Case{50, 128}, Case{90, 230}, Case{100, 255}, Case{0, 0}, Case{10, 26},
                          Case{0.1f, 0}, Case{0.2f, 1}}) {
        SCOPED_TRACE(c.percent);
        EXPECT_EQ(percentToByte(c.percent), c.byte);
    }
    EXPECT_FLOAT_EQ(byteToPercent(255), 100);
    EXPECT_FLOAT_EQ(byteToPercent(0), 0);
    // An untouched field gives back the byte it was filled with.
    for (int32_t b = 0; b <= 255; ++b)
        ASSERT_EQ(percentToByte(byteToPercent(b)), b) << b;
}

TEST(LayerDialogsModel, PositionsRoundHalfAwayFromZero)
{
    struct Case
    {
        float v;
        int32_t want;
    };
    for (const Case &c : {Case{2.5f, 3}, Case{-2.5f, -3}, Case{2.49f, 2}, Case{-2.49f, -2},
                          Case{0.5f, 1}, Case{-0.5f, -1}, Case{0, 0}, Case{-10000, -10000}}) {
        SCOPED_TRACE(c.v);
        EXPECT_EQ(roundAwayFromZero(c.v), c.want);
    }
}

TEST(LayerDialogsModel, NewLayerColourIsTransparentUnlessAskedOpaque)
{
    struct Case
    {
        int item;
        bool transparent;
        uint32_t want;
    };
    for (const Case &c : {Case{nlcWhite, true, 0x00FFFFFF}, Case{nlcWhite, false, 0xFFFFFFFF},
                          Case{nlcBlack, true, 0x00000000}, Case{nlcBlack, false, 0xFF000000},
                          Case{nlcGray, true, 0x007F7F7F}, Case{nlcGray, false, 0xFF7F7F7F},
                          Case{-1, false, 0xFFFFFFFF}}) {
        SCOPED_TRACE(c.item);
        EXPECT_EQ(newLayerColor(c.item, c.transparent), c.want);
    }
}

TEST(LayerDialogsModel, NeutralColourItemFollowsTheModeTable)
{
    EXPECT_EQ(neutralColorItem(TLayerMode::LM_SCR), nlcBlack);
    EXPECT_EQ(neutralColorItem(TLayerMode::LM_MUL), nlcWhite);
    EXPECT_EQ(neutralColorItem(TLayerMode::LM_OVLY), nlcGray);
    EXPECT_EQ(neutralColorItem(TLayerMode::LM_STD), -1);
    EXPECT_EQ(neutralColorItem(TLayerMode::LM_MAX_NUM), -1);
}

TEST(LayerDialogsModel, PositionRangeIsTheSideOrWhatIsLeftOf10000WidenedToTheValue)
{
    struct Case
    {
        int32_t side, current;
        float min, max;
    };
    for (const Case &c :
         {Case{3000, 0, -3000, 3000}, Case{2000, 0, -2000, 2000}, Case{8000, 0, -2000, 2000},
          Case{8000, 2500, -2000, 2500}, Case{8000, -4000, -4000, 2000}, Case{10000, 0, 0, 0},
          Case{1, 5, -1, 5}}) {
        SCOPED_TRACE(testing::Message() << c.side << " at " << c.current);
        float lo = 1, hi = -1;
        layerPositionRange(c.side, c.current, lo, hi);
        EXPECT_EQ(lo, c.min);
        EXPECT_EQ(hi, c.max);
    }
}

TEST(LayerDialogsModel, ThumbnailGeometryKeepsTheLongerSideAndCentresTheShorter)
{
    struct Case
    {
        int32_t w, h;
        SLayerPreviewGeometry want;
    };
    for (const Case &c :
         {Case{3000, 2000, {108, 72, 0, 18, 0}}, Case{2000, 3000, {72, 108, 18, 0, 0}},
          Case{500, 500, {108, 108, 0, 0, 0}},
          Case{10000, 10, {108, 1, 0, 53, 0}}, // never thinner than a pixel
          Case{217, 1, {108, 1, 0, 53, 0}}}) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        SLayerPreviewGeometry g;
        ASSERT_TRUE(layerPreviewGeometry(c.w, c.h, 108, g));
        EXPECT_EQ(g.tw, c.want.tw);
        EXPECT_EQ(g.th, c.want.th);
        EXPECT_EQ(g.ox, c.want.ox);
        EXPECT_EQ(g.oy, c.want.oy);
    }
    SLayerPreviewGeometry g;
    EXPECT_FALSE(layerPreviewGeometry(0, 10, 108, g));
    EXPECT_FALSE(layerPreviewGeometry(10, -1, 108, g));
}

// ---- new layer

TEST_F(LayerDialogsForm, NewLayerGivesTypedNameModeOpacityAndColour)
{
    ScopedDialogDriver<TFormNewLayer> driver([](TFormNewLayer &f) {
        EXPECT_EQ(f.EdtLayerName->text(), QStringLiteral("レイヤ 2"));
        EXPECT_EQ(f.CmbDrawMode->count(), kBlendModeCount);
        EXPECT_FLOAT_EQ(f.NumOpaque->Value(), 100);
        EXPECT_FLOAT_EQ(f.TrackOpaque->Position(), 1);
        typeInto(*f.EdtLayerName, QStringLiteral("影"));
        typeInto(*f.EdtOpaque, QStringLiteral("50"));
        EXPECT_FLOAT_EQ(f.TrackOpaque->Position(), 0.5f);
        f.CmbDrawMode->setCurrentIndex(modeItem(TLayerMode::LM_MUL));
        clickCheck(f.ChkTransparent);
        clickOk(f);
    });
    TNewLayerValue v;
    v.Name = QStringLiteral("レイヤ 2");
    ASSERT_TRUE(showNewLayerDialog(v));
    EXPECT_EQ(driver.title, QStringLiteral("新規レイヤ"));
    EXPECT_EQ(v.Name, QStringLiteral("影"));
    EXPECT_EQ(v.LayerMode, TLayerMode::LM_MUL);
    EXPECT_EQ(v.Opaque, 128);
    EXPECT_EQ(v.Color, 0xFFFFFFFFu); // the multiply mode's neutral white, made opaque
}

TEST_F(LayerDialogsForm, NewLayerDefaultsToTransparentWhiteAndCancelKeepsTheRecord)
{
    {
        ScopedDialogDriver<TFormNewLayer> driver(clickOk);
        TNewLayerValue v;
        ASSERT_TRUE(showNewLayerDialog(v));
        EXPECT_EQ(v.Color, 0x00FFFFFFu);
        EXPECT_EQ(v.Opaque, 255);
        EXPECT_EQ(v.LayerMode, TLayerMode::LM_STD);
    }
    ScopedDialogDriver<TFormNewLayer> driver([](TFormNewLayer &f) {
        typeInto(*f.EdtLayerName, QStringLiteral("x"));
        QTest::mouseClick(f.ButtonCancel, Qt::LeftButton);
    });
    TNewLayerValue v;
    v.Name = QStringLiteral("keep");
    v.Opaque = 7;
    EXPECT_FALSE(showNewLayerDialog(v));
    EXPECT_EQ(v.Name, QStringLiteral("keep"));
    EXPECT_EQ(v.Opaque, 7);
}

TEST_F(LayerDialogsForm, ModeWithNeutralColourMarksAndSelectsThatColour)
{
    TFormNewLayer f;
    const QString neutral = QStringLiteral("中性色");
    struct Case
    {
        TLayerMode mode;
        int item; // -1: plain names, white selected
    };
    for (const Case &c : {Case{TLayerMode::LM_SCR, nlcBlack}, Case{TLayerMode::LM_MUL, nlcWhite},
                          Case{TLayerMode::LM_OVLY, nlcGray}, Case{TLayerMode::LM_STD, -1}}) {
        SCOPED_TRACE(int(c.mode));
        f.CmbColor->setCurrentIndex(nlcGray); // the handler must move it
        f.CmbDrawMode->setCurrentIndex(modeItem(c.mode));
        const QStringList plain{QStringLiteral("白"), QStringLiteral("黒"),
                                QStringLiteral("グレー")};
        for (int i = 0; i < 3; ++i) {
            const QString want =
                i == c.item ? plain[i] + QStringLiteral("( ") + neutral + QStringLiteral(" )")
                            : plain[i];
            EXPECT_EQ(f.CmbColor->itemText(i), want) << i;
        }
        EXPECT_EQ(f.CmbColor->currentIndex(), c.item < 0 ? int(nlcWhite) : c.item);
    }
    EXPECT_EQ(f.CmbColor->itemText(nlcBlack), QStringLiteral("黒"));
}

// ---- rotation

TEST_F(LayerDialogsForm, RotationOpensAtZeroAndWrapsTheTypedAngle)
{
    struct Case
    {
        QString typed;
        float want;
    };
    for (const Case &c : {Case{QStringLiteral("270"), -90}, Case{QStringLiteral("-45"), -45},
                          Case{QStringLiteral("999"), -81}, Case{QStringLiteral("180"), 180}}) {
        SCOPED_TRACE(c.typed.toStdString());
        float opened = -1;
        ScopedDialogDriver<TFormRotation> driver([&](TFormRotation &f) {
            opened = f.NumValue->Value();
            typeInto(*f.EdtValue, c.typed);
            clickOk(f);
        });
        float angle = 45;
        ASSERT_TRUE(showRotationDialog(angle));
        EXPECT_EQ(opened, 0); // the angle passed in is not shown
        EXPECT_FLOAT_EQ(angle, c.want);
        EXPECT_EQ(driver.title, QStringLiteral("回転"));
    }
}

TEST_F(LayerDialogsForm, RotationIsADialAndCancelLeavesTheAngle)
{
    ScopedDialogDriver<TFormRotation> driver([](TFormRotation &f) {
        EXPECT_EQ(f.TrackValue->Orientation(), gtCounterClockWise);
        EXPECT_EQ(f.TrackValue->size(), QSize(44, 44));
        EXPECT_EQ(f.StaticValue->text(), QStringLiteral("角度(&A)"));
        EXPECT_FLOAT_EQ(f.TrackValue->Position(), 0.5f); // 0 degrees: the middle of -180..180
        typeInto(*f.EdtValue, QStringLiteral("30"));
        f.reject();
    });
    float angle = 12;
    EXPECT_FALSE(showRotationDialog(angle));
    EXPECT_EQ(angle, 12);
    EXPECT_EQ(driver.runs, 1);
}

// ---- layer properties

namespace {

TLayerOptionValue layerValue(int32_t x, int32_t y)
{
    TLayerOptionValue v;
    v.X = x;
    v.Y = y;
    v.Name = QStringLiteral("背景");
    v.LayerMode = TLayerMode::LM_OVLY;
    v.Opaque = 128;
    v.Dither = false;
    v.DitherDensity = 255;
    return v;
}

} // namespace

TEST_F(LayerDialogsForm, LayerPropertiesShowTheRecordAndGiveBackTheEdits)
{
    CBlockVMTC image(3000, 2000);
    ScopedDialogDriver<TFormLayerOption> driver([](TFormLayerOption &f) {
        EXPECT_EQ(f.NumX->ValueMin(), -3000);
        EXPECT_EQ(f.NumX->ValueMax(), 3000);
        EXPECT_EQ(f.NumY->ValueMin(), -2000);
        EXPECT_EQ(f.NumY->ValueMax(), 2000);
        EXPECT_EQ(f.LblWidth->text(), QStringLiteral("3000"));
        EXPECT_EQ(f.LblHeight->text(), QStringLiteral("2000"));
        EXPECT_TRUE(f.ChkCrop->isEnabled()); // the canvas is narrower than the layer
        EXPECT_EQ(f.EdtName->text(), QStringLiteral("背景"));
        EXPECT_EQ(f.CmbDrawMode->currentIndex(), modeItem(TLayerMode::LM_OVLY));
        EXPECT_NEAR(f.NumOpaque->Value(), 50.196f, 0.001f);
        EXPECT_EQ(f.EdtOpaque->text(), QStringLiteral("50"));
        EXPECT_FALSE(f.EdtDither->isEnabled());
        clickCheck(f.ChkDither);
        EXPECT_TRUE(f.EdtDither->isEnabled());
        EXPECT_TRUE(f.TrackDither->isEnabled());
        typeInto(*f.EdtX, QStringLiteral("-2.5"));
        typeInto(*f.EdtY, QStringLiteral("2.5"));
        typeInto(*f.EdtDither, QStringLiteral("90"));
        typeInto(*f.EdtName, QStringLiteral("線画"));
        f.CmbDrawMode->setCurrentIndex(modeItem(TLayerMode::LM_SCR));
        clickCheck(f.ChkCrop);
        clickOk(f);
    });
    TLayerOptionValue v = layerValue(10, 20);
    ASSERT_TRUE(showLayerOptionDialog(v, image, sSize{1000, 800}));
    EXPECT_EQ(driver.title, QStringLiteral("レイヤのプロパティ"));
    EXPECT_EQ(driver.clientSize,
              QSize(TFormLayerOption::kClientWidth, TFormLayerOption::kClientHeight));
    EXPECT_EQ(v.X, -3);
    EXPECT_EQ(v.Y, 3);
    EXPECT_TRUE(v.Crop);
    EXPECT_EQ(v.Name, QStringLiteral("線画"));
    EXPECT_EQ(v.LayerMode, TLayerMode::LM_SCR);
    EXPECT_EQ(v.Opaque, 128); // untouched
    EXPECT_TRUE(v.Dither);
    EXPECT_EQ(v.DitherDensity, 230);
}

TEST_F(LayerDialogsForm, LayerPositionRangeWidensToTheCurrentValueAndClampsTyping)
{
    CBlockVMTC image(8000, 100);
    ScopedDialogDriver<TFormLayerOption> driver([](TFormLayerOption &f) {
        EXPECT_EQ(f.NumX->ValueMin(), -2000);
        EXPECT_EQ(f.NumX->ValueMax(), 2500);
        EXPECT_FALSE(f.ChkCrop->isEnabled()); // nothing lies outside a larger canvas
        typeInto(*f.EdtY, QStringLiteral("-5000"));
        clickOk(f);
    });
    TLayerOptionValue v = layerValue(2500, 0);
    EXPECT_TRUE(showLayerOptionDialog(v, image, sSize{9000, 200}));
    EXPECT_EQ(v.X, 2500);
    EXPECT_EQ(v.Y, -100);
}

TEST_F(LayerDialogsForm, CancelLeavesTheLayerRecord)
{
    CBlockVMTC image(64, 64);
    ScopedDialogDriver<TFormLayerOption> driver([](TFormLayerOption &f) {
        typeInto(*f.EdtX, QStringLiteral("30"));
        QTest::mouseClick(f.ButtonCancel, Qt::LeftButton);
    });
    TLayerOptionValue v = layerValue(1, 2);
    EXPECT_FALSE(showLayerOptionDialog(v, image, sSize{64, 64}));
    EXPECT_EQ(v.X, 1);
    EXPECT_EQ(v.Name, QStringLiteral("背景"));
}

TEST_F(LayerDialogsForm, AnEmptyImageShowsNoForm)
{
    ScopedDialogDriver<TFormLayerOption> driver(clickOk);
    CBlockVMTC empty(0, 0);
    TLayerOptionValue v = layerValue(3, 4);
    EXPECT_FALSE(showLayerOptionDialog(v, empty, sSize{100, 100}));
    CBlockVCH emptyMask(0, 0);
    TMaskOptionValue m;
    m.X = 5;
    EXPECT_FALSE(showMaskOptionDialog(m, &emptyMask, sSize{100, 100}));
    // Without a mask image the preview needs a canvas with two sides.
    EXPECT_FALSE(showMaskOptionDialog(m, nullptr, sSize{0, 100}));
    EXPECT_EQ(driver.runs, 0);
    EXPECT_EQ(v.X, 3);
    EXPECT_EQ(m.X, 5);
}

TEST_F(LayerDialogsForm, LayerPreviewUnderALargerCanvasMatchesItsGolden)
{
    // A 60 x 40 layer: opaque red on the left, half-transparent blue in the middle, nothing on
    // the right; the canvas reaches past it on every side.
    CBlockVMTC image(60, 40);
    image.fillImage(sBox{0, 0, 20, 40}, 0xFF0000); // colour only: alpha is set on its own
    image.setAlpha(sBox{0, 0, 20, 40}, 255);
    image.fillImage(sBox{20, 10, 20, 20}, 0x0000FF);
    image.setAlpha(sBox{20, 10, 20, 20}, 128);
    TFormLayerOption f;
    ASSERT_TRUE(f.setUpLayer(layerValue(-10, -5), image, sSize{100, 60}));
    const QImage preview = f.previewImage().image();
    EXPECT_EQ(preview.size(), QSize(kLayerPreviewBox, kLayerPreviewBox));
    EXPECT_EQ(
        docdlg::compareWithDialogGolden(preview, QStringLiteral("layer-preview-larger-canvas")),
        "");
}

// ---- mask properties

TEST_F(LayerDialogsForm, MaskWithoutImageDisablesPositionAndShowsAGreyBox)
{
    ScopedDialogDriver<TFormLayerOption> driver([](TFormLayerOption &f) {
        for (QWidget *w : {static_cast<QWidget *>(f.EdtX), static_cast<QWidget *>(f.EdtY),
                           static_cast<QWidget *>(f.LblWidth), static_cast<QWidget *>(f.ChkCrop)})
            EXPECT_FALSE(w->isEnabled());
        for (QWidget *w :
             {static_cast<QWidget *>(f.CmbDrawMode), static_cast<QWidget *>(f.EdtOpaque),
              static_cast<QWidget *>(f.TrackOpaque), static_cast<QWidget *>(f.ChkDither),
              static_cast<QWidget *>(f.GrpDither)})
            EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(f.BoxGeneral->height(), 60);
        typeInto(*f.EdtName, QStringLiteral("選択"));
        EXPECT_EQ(docdlg::compareWithDialogGolden(f.previewImage().image(),
                                                  QStringLiteral("mask-preview-no-image")),
                  "");
        clickOk(f);
    });
    TMaskOptionValue m;
    m.X = 7;
    m.Y = -3;
    m.Name = QStringLiteral("マスク 1");
    ASSERT_TRUE(showMaskOptionDialog(m, nullptr, sSize{300, 200}));
    EXPECT_EQ(driver.title, QStringLiteral("マスクのプロパティ"));
    EXPECT_EQ(driver.clientSize,
              QSize(TFormLayerOption::kClientWidth, TFormLayerOption::kMaskClientHeight));
    EXPECT_EQ(m.Name, QStringLiteral("選択"));
    EXPECT_EQ(m.X, 7); // the position it came with, untouched
    EXPECT_EQ(m.Y, -3);
    EXPECT_FALSE(m.Crop);
}

TEST_F(LayerDialogsForm, MaskWithImageEditsPositionAndKeepsTheCanvasFrameInsideTheThumbnail)
{
    CBlockVCH mask(40, 40);
    sBox half{0, 0, 20, 40};
    mask.fillArea(half, 255);
    TFormLayerOption f;
    TMaskOptionValue m;
    m.X = -10;
    m.Y = 10;
    ASSERT_TRUE(f.setUpMask(m, &mask, sSize{80, 20}));
    EXPECT_TRUE(f.EdtX->isEnabled());
    EXPECT_TRUE(f.ChkCrop->isEnabled()); // lower than the mask
    EXPECT_EQ(f.NumX->ValueMin(), -40);
    // 40 x 40 into 108: the canvas (-10, 10)-(70, 30) scales to (-27, 27)-(189, 81) and is held
    // to the thumbnail's 0..108, so its frame runs along the thumbnail's left and right edges.
    const TMemoryGraphic &g = f.previewImage();
    const TColor32 hl = clHighlight32();
    EXPECT_EQ(g.GetPixel(2, 40).bgra, hl.bgra);
    EXPECT_EQ(g.GetPixel(109, 40).bgra, hl.bgra);
    EXPECT_EQ(g.GetPixel(50, 29).bgra, hl.bgra);
    EXPECT_EQ(g.GetPixel(50, 82).bgra, hl.bgra);
    EXPECT_EQ(g.GetPixel(20, 60).bgra, 0xFFFFFFFFu); // the mask's full half, opaque white
    EXPECT_EQ(g.GetPixel(90, 60).bgra, 0xFF000000u); // its empty half
    typeInto(*f.EdtX, QStringLiteral("-2.5"));
    f.getMaskValue(m);
    EXPECT_EQ(m.X, -3);
    EXPECT_EQ(m.Y, 10);
}
