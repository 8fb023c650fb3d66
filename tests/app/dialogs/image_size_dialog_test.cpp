// The canvas size dialog: its model on a 640 x 480 canvas at 72 dpi (units, percent, relative
// entry, the side limits), the anchor grid's cells and clicks, and the real form driven by
// typing and clicking through its runner.
#include "app/dialogs/image_size_dialog.h"

#include "size_dialog_driver.h"
#include "ui/graphics/appearance.h"
#include "windows/shell_host.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace sizedlg_test;

namespace {

class ImageSizeDialogModel : public ::testing::Test
{
  protected:
    void SetUp() override { m.setup(640, 480, 72); }
    CImageSizeModel m;
};

struct SShown
{
    float pixelW, pixelH, width, height;
};

void expectShown(const CImageSizeModel &m, SShown s)
{
    EXPECT_FLOAT_EQ(m.NumPixelW.Value(), s.pixelW);
    EXPECT_FLOAT_EQ(m.NumPixelH.Value(), s.pixelH);
    EXPECT_NEAR(m.NumWidth.Value(), s.width, 5e-4);
    EXPECT_NEAR(m.NumHeight.Value(), s.height, 5e-4);
}

} // namespace

TEST_F(ImageSizeDialogModel, OpensOnTheCanvasAtOneHundredPercent)
{
    expectShown(m, {640, 480, 100, 100});
    EXPECT_FLOAT_EQ(m.NumWidth.ValueMin(), 1.25f);
    EXPECT_FLOAT_EQ(m.NumWidth.ValueMax(), 1562.5f);
    EXPECT_NEAR(m.NumHeight.ValueMin(), 1.6667, 1e-4);
    EXPECT_NEAR(m.NumHeight.ValueMax(), 2083.33, 1e-2);
    EXPECT_EQ(m.pixelCaption(), QString::fromUtf8("ピクセル ( 640 × 480 px )"));
    EXPECT_EQ(m.newWidth(), 640);
    EXPECT_EQ(m.newHeight(), 480);
}

TEST_F(ImageSizeDialogModel, PercentTypedBecomesPixels)
{
    m.NumWidth.setValue(50);
    expectShown(m, {320, 480, 50, 100});
    EXPECT_EQ(m.widthUnit(), utpixel); // percent is never a stored unit
    EXPECT_EQ(m.pixelCaption(), QString::fromUtf8("ピクセル ( 320 × 480 px )"));
    EXPECT_EQ(m.newWidth(), 320);
    EXPECT_EQ(m.newHeight(), 480);
}

TEST_F(ImageSizeDialogModel, AUnitListShowsTheStoredSizeInIt)
{
    m.setWidthListUnit(utcm);
    EXPECT_EQ(formatNumber(QStringLiteral("%1.5g"), m.NumWidth.Value()), QStringLiteral("22.578"));
    float lo = 0, hi = 0;
    pixelRangeInUnit(lo, hi, utcm, 72);
    EXPECT_FLOAT_EQ(m.NumWidth.ValueMin(), lo);
    EXPECT_FLOAT_EQ(m.NumWidth.ValueMax(), hi);
    m.setWidthListUnit(utpercent);
    EXPECT_FLOAT_EQ(m.NumWidth.Value(), 100);

    // A length typed is stored in its unit, and the pixels follow at the resolution.
    m.setHeightListUnit(utinch);
    m.NumHeight.setValue(2);
    EXPECT_EQ(m.heightUnit(), utinch);
    EXPECT_FLOAT_EQ(m.NumPixelH.Value(), 144);
    EXPECT_EQ(m.newHeight(), 144);
}

TEST_F(ImageSizeDialogModel, RelativeEntryShowsDifferences)
{
    m.setRelation(true);
    expectShown(m, {0, 0, 0, 0});
    EXPECT_FLOAT_EQ(m.NumPixelW.ValueMin(), -632);
    EXPECT_FLOAT_EQ(m.NumPixelW.ValueMax(), 9360);
    EXPECT_FLOAT_EQ(m.NumWidth.ValueMin(), 1.25f - 100);

    m.NumPixelW.setValue(100);
    EXPECT_EQ(m.newWidth(), 740);
    EXPECT_NEAR(m.NumWidth.Value(), 15.625, 1e-4);
    m.setHeightListUnit(utinch); // a difference in inches: 0 for an unchanged side
    EXPECT_FLOAT_EQ(m.NumHeight.Value(), 0);
    m.NumHeight.setValue(1);
    EXPECT_EQ(m.newHeight(), 480 + 72);

    // The same size shown as absolute values again, and back as differences.
    m.setRelation(false);
    EXPECT_FLOAT_EQ(m.NumPixelW.Value(), 740);
    EXPECT_FLOAT_EQ(m.NumPixelH.Value(), 552);
    EXPECT_EQ(m.pixelCaption(), QString::fromUtf8("ピクセル ( 740 × 552 px )"));
    m.NumWidth.setValue(50);
    m.setRelation(true);
    expectShown(m, {-320, 72, -50, 1});
}

// Whatever the unit, resolution or entry, the extremes of a field are 8 and 10000 pixels.
TEST(ImageSizeDialogLimits, NoUnitLetsASideLeaveTheLimits)
{
    for (TUnitType unit : sizedlg::kSizeListUnits)
        for (int dpi : {72, 96, 350})
            for (bool relative : {false, true}) {
                SCOPED_TRACE(testing::Message() << "unit " << int(unit) << " dpi " << dpi
                                                << (relative ? " relative" : ""));
                CImageSizeModel m;
                m.setup(640, 480, dpi);
                m.setWidthListUnit(unit);
                m.setHeightListUnit(unit);
                m.setRelation(relative);
                m.NumWidth.setValue(-1e9f);
                m.NumHeight.setValue(1e9f);
                EXPECT_EQ(m.newWidth(), 8);
                EXPECT_EQ(m.newHeight(), 10000);
                m.NumPixelW.setValue(1e9f);
                m.NumPixelH.setValue(-1e9f);
                EXPECT_EQ(m.newWidth(), 10000);
                EXPECT_EQ(m.newHeight(), 8);
            }
}

TEST(ImageSizeDialogGrid, CellsOfTheEightyFourPixelBox)
{
    const auto cells = sizePositionCells(84, 84);
    const int edges[] = {2, 28, 55, 82};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) {
            const sRect want{edges[col], edges[row], edges[col + 1], edges[row + 1]};
            EXPECT_EQ(cells[size_t(row * 3 + col)], want) << row << "," << col;
        }
    struct Case
    {
        int x, y, cell;
    };
    const Case hits[] = {{2, 2, 0},   {27, 27, 0}, {28, 2, 1},   {54, 54, 4},  {55, 81, 8},
                         {81, 81, 8}, {1, 40, -1}, {82, 40, -1}, {40, 83, -1}, {40, 0, -1}};
    for (const Case &c : hits)
        EXPECT_EQ(sizePositionAt(cells, c.x, c.y), c.cell) << c.x << "," << c.y;
}

TEST(ImageSizeDialogGrid, ALeftClickOnACellChoosesIt)
{
    QWidget parent;
    parent.resize(100, 100);
    TSizePositionControl grid(&parent);
    grid.SetBounds(8, 8, 84, 84);
    parent.show();
    EXPECT_EQ(grid.Position(), ispCenterMiddle);

    struct Case
    {
        const char *name;
        Qt::MouseButton button;
        QPoint at;
        TImageSizePosition after;
    };
    const Case cases[] = {
        {"top-left", Qt::LeftButton, {10, 10}, ispLeftTop},
        {"margin", Qt::LeftButton, {83, 83}, ispLeftTop},
        {"right button", Qt::RightButton, {70, 70}, ispLeftTop},
        {"bottom-right", Qt::LeftButton, {70, 70}, ispRightBottom},
        {"top edge of the middle row", Qt::LeftButton, {40, 28}, ispCenterMiddle},
    };
    for (const Case &c : cases) {
        QTest::mouseClick(&grid, c.button, {}, c.at);
        EXPECT_EQ(grid.Position(), c.after) << c.name;
    }

    // The chosen cell is filled with the highlight-text colour, the others with the face.
    const auto colourAt = [&](int cell) {
        const sRect r = grid.PositionRect()[size_t(cell)];
        return grid.picture().pixel((r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2) & 0xFFFFFF;
    };
    const auto rgb = [](TColor32 c) { return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b; };
    EXPECT_EQ(colourAt(ispCenterMiddle), rgb(clHighlightText32()));
    EXPECT_EQ(colourAt(ispLeftTop), rgb(clBtnFace32()));
    EXPECT_EQ(grid.picture().pixel(grid.PositionRect()[4].x0, 40) & 0xFFFFFF, rgb(clHighlight32()));
}

TEST(ImageSizeDialog, TheFormShowsTheModel)
{
    TFormImageSize f;
    f.setup(640, 480, 72);
    f.show();
    EXPECT_EQ(f.size(), QSize(384, 336));
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("画像サイズ"));
    EXPECT_EQ(f.LblSize->text(), QString::fromUtf8("640 × 480 pixel"));
    EXPECT_EQ(f.FPosition->geometry().size(), QSize(84, 84));
    EXPECT_EQ(f.CmbWidth->currentText(), QStringLiteral("%"));
    EXPECT_EQ(f.EdtWidth->text(), QStringLiteral("100"));

    typeInto(*f.EdtWidth, QStringLiteral("50"));
    EXPECT_EQ(f.EdtPixelW->text(), QStringLiteral("320"));
    EXPECT_EQ(f.GrpPixel->title(), QString::fromUtf8("ピクセル ( 320 × 480 px )"));
    QTest::keyClick(f.CmbWidth, Qt::Key_Down); // inch
    EXPECT_EQ(f.EdtWidth->text(), QStringLiteral("4.4444"));
    QTest::keyClick(f.CmbWidth, Qt::Key_Down); // cm
    EXPECT_EQ(f.CmbWidth->currentText(), QStringLiteral("cm"));
    EXPECT_EQ(f.EdtWidth->text(), QStringLiteral("11.289"));
    f.ChkRelation->click();
    EXPECT_EQ(f.EdtPixelW->text(), QStringLiteral("-320"));
    EXPECT_EQ(f.EdtHeight->text(), QStringLiteral("0"));
}

TEST(ImageSizeDialog, TheRunnerWritesANewSizeAndItsAnchorOnlyOnOK)
{
    struct Case
    {
        const char *name;
        std::function<void(TFormImageSize &)> drive;
        bool ok; // OK, else Cancel
        bool result;
        SImageSizeValue after;
    };
    const auto typeWidth = [](const char *text) {
        return [text](TFormImageSize &f) { typeInto(*f.EdtWidth, QString::fromLatin1(text)); };
    };
    const auto clickTopLeft = [](TFormImageSize &f) {
        QTest::mouseClick(f.FPosition, Qt::LeftButton, {}, QPoint(10, 10));
    };
    const Case cases[] = {
        {"half width, top-left",
         [&](TFormImageSize &f) {
             typeWidth("50")(f);
             clickTopLeft(f);
         },
         true,
         true,
         {320, 480, ispLeftTop}},
        {"half width, no click", typeWidth("50"), true, true, {320, 480, ispCenterMiddle}},
        {"relative pixels",
         [](TFormImageSize &f) {
             f.ChkRelation->click();
             typeInto(*f.EdtPixelW, QStringLiteral("100"));
         },
         true,
         true,
         {740, 480, ispCenterMiddle}},
        {"same size, cell clicked", clickTopLeft, true, false, {640, 480, ispRightBottom}},
        {"cancel", typeWidth("50"), false, false, {640, 480, ispRightBottom}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScopedFormDriver<TFormImageSize> driver([&](TFormImageSize &f) {
            c.drive(f);
            (c.ok ? f.ButtonOK : f.ButtonCancel)->click();
        });
        SImageSizeValue v{640, 480, ispRightBottom};
        EXPECT_EQ(showImageSizeDialog(v, 72), c.result);
        EXPECT_EQ(driver.runs, 1);
        EXPECT_EQ(v.Width, c.after.Width);
        EXPECT_EQ(v.Height, c.after.Height);
        EXPECT_EQ(v.Anchor, c.after.Anchor);
    }
}

TEST(ImageSizeDialog, AnEmptySideOpensNoDialog)
{
    ScopedFormDriver<TFormImageSize> driver([](TFormImageSize &f) { f.ButtonOK->click(); });
    SImageSizeValue v{0, 480, ispLeftTop};
    EXPECT_FALSE(showImageSizeDialog(v, 72));
    EXPECT_EQ(driver.runs, 0);
    EXPECT_EQ(v.Width, 0);
}
