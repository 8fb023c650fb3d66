#include "ui/colour/colour_cells.h"

#include "ui/graphics/appearance.h"
#include "ui/ui_test_support.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

TColorPickerValue byteValue(uint8_t r, uint8_t g, uint8_t b)
{
    TColorPickerValue v;
    color32ToColorPickerValue(makeColor32(b, g, r, 255), v);
    return v;
}

// A shown window, and a dialog runner that counts its calls and answers with a fixed colour.
class CellTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        window.resize(200, 200);
        window.show();
        previous = installColorDialogRunner([this](TColorPickerValue &v) {
            ++dialogs;
            opened = v;
            v = answer;
            return confirm;
        });
    }
    void TearDown() override { installColorDialogRunner(previous); }

    QWidget window;
    TColorDialogRunner previous;
    int dialogs = 0;
    bool confirm = true;
    TColorPickerValue opened;
    TColorPickerValue answer = byteValue(0, 0, 255);
};

} // namespace

using ColourPickerCell = CellTest;

TEST_F(ColourPickerCell, InitialAndSelectColourRows)
{
    TPickerColorCell cell(&window);
    cell.SetBounds(0, 0, 40, 40);
    cell.setDrawInitialColor(true);
    cell.setInitialColor(byteValue(255, 0, 0));
    cell.setSelectColor(byteValue(0, 255, 0));
    const TMemoryGraphic &g = cell.Image();
    for (int y = 2; y < 38; ++y)
        EXPECT_EQ(px(g.GetPixel(20, y)), px(y < 20 ? clRed32 : clGreen32)) << y;
    EXPECT_EQ(px(g.GetPixel(1, 20)), px(clWindowFrame32()));
    EXPECT_EQ(px(g.GetPixel(0, 20)), px(clBtnShadow32()));
    EXPECT_EQ(px(g.GetPixel(39, 20)), px(clBtnHighlight32()));
    EXPECT_EQ(cell.GetPartFromPoint({20, 19}), pccInitialColor);
    EXPECT_EQ(cell.GetPartFromPoint({20, 20}), pccSelectColor);
    EXPECT_EQ(cell.GetPartFromPoint({39, 20}), pccNonClient);
    EXPECT_EQ(cell.GetPartFromPoint({20, 39}), pccNonClient);
    // The right and bottom client edges reach over the inner frame, as the part test is written.
    EXPECT_EQ(cell.GetPartFromPoint({38, 38}), pccSelectColor);
    EXPECT_EQ(cell.GetPartFromPoint({20, 1}), pccNonClient);
}

TEST_F(ColourPickerCell, ClicksOpenTheDialog)
{
    TPickerColorCell cell(&window);
    cell.SetBounds(0, 0, 40, 40);
    cell.show();
    int changes = 0, downs = 0;
    cell.OnChange = [&](QObject *) { ++changes; };
    cell.OnMouseDown = [&](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        ++downs;
    };
    cell.setSelectColor(byteValue(10, 20, 30));
    changes = 0;
    // The border opens nothing.
    for (QPoint p : {QPoint(1, 20), QPoint(20, 0), QPoint(39, 39), QPoint(39, 5)})
        QTest::mouseClick(&cell, Qt::LeftButton, {}, p);
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(downs, 4);

    QTest::mouseClick(&cell, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(float(opened.rgb.g), float(20 / 255.0));
    EXPECT_EQ(float(cell.SelectColor().rgb.b), 1);
    EXPECT_EQ(changes, 1);
    // Cancelled: the colour stays.
    confirm = false;
    answer = byteValue(9, 9, 9);
    QTest::mouseClick(&cell, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(float(cell.SelectColor().rgb.b), 1);
    // Without CallPickerDialog nothing opens.
    cell.setCallPickerDialog(false);
    QTest::mouseClick(&cell, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(dialogs, 2);
}

TEST_F(ColourPickerCell, DisabledVeil)
{
    TPickerColorCell cell(&window);
    cell.SetBounds(0, 0, 20, 20);
    cell.setSelectColor(byteValue(0, 0, 0));
    cell.SetEnabled(false);
    const TColor32 veiled = cell.Image().GetPixel(10, 10);
    EXPECT_NE(px(veiled), px(clBlack32));
    EXPECT_EQ(veiled.a, clBtnFaceTwoThirds32().a);
    cell.SetEnabled(true);
    EXPECT_EQ(px(cell.Image().GetPixel(10, 10)), px(clBlack32));
}

using ColourTwinCell = CellTest;

TEST_F(ColourTwinCell, PartsAndArrow)
{
    TTwinColorCell cell(&window);
    cell.SetBounds(0, 0, 36, 36);
    EXPECT_EQ(cell.GetPartFromPoint({30, 5}), tccExchangeColor);
    EXPECT_EQ(cell.GetPartFromPoint({24, 0}), tccExchangeColor);
    EXPECT_EQ(cell.GetPartFromPoint({23, 23}), tccForegroundColor);
    EXPECT_EQ(cell.GetPartFromPoint({24, 24}), tccBackgroundColor);
    EXPECT_EQ(cell.GetPartFromPoint({5, 30}), tccNonClient);
    EXPECT_EQ(float(cell.BackgroundColor().rgb.r), 1);

    auto cornerIsPlain = [](const TMemoryGraphic &g, int from) {
        for (int y = 0; y < g.Width() - from; ++y)
            for (int x = from; x < g.Width(); ++x)
                if (g.GetPixel(x, y).bgra != clBtnFace32().bgra)
                    return false;
        return true;
    };
    EXPECT_FALSE(cornerIsPlain(cell.Image(), 24));
    TTwinColorCell small(&window);
    small.SetBounds(0, 0, 30, 30);
    EXPECT_TRUE(cornerIsPlain(small.Image(), 20));
    small.setForegroundColor(byteValue(255, 0, 0));
    small.show();
    QTest::mouseClick(&small, Qt::LeftButton, {}, QPoint(25, 5));
    EXPECT_EQ(float(small.ForegroundColor().rgb.r), 1);
    EXPECT_EQ(float(small.ForegroundColor().rgb.g), 1);
    EXPECT_EQ(float(small.BackgroundColor().rgb.g), 0);
}

TEST_F(ColourTwinCell, ActivationAndColours)
{
    TTwinColorCell cell(&window);
    cell.SetBounds(0, 0, 36, 36);
    cell.show();
    int changes = 0, partChanges = 0;
    cell.OnChange = [&](QObject *) { ++changes; };
    cell.OnActivePartChange = [&](QObject *) { ++partChanges; };

    QTest::mouseClick(&cell, Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(cell.ActivePart(), tccBackgroundColor);
    EXPECT_EQ(partChanges, 1);
    cell.setSelectColor(byteValue(0, 0, 255));
    EXPECT_EQ(float(cell.BackgroundColor().rgb.b), 1);
    EXPECT_EQ(float(cell.ForegroundColor().rgb.b), 0);

    // The same colour again still announces.
    changes = 0;
    cell.SetSelectColors(0, 0, 1, cpRGB);
    cell.SetSelectColors(0, 0, 1, cpRGB);
    EXPECT_EQ(changes, 2);

    cell.setActivate(false);
    EXPECT_EQ(cell.ActivePart(), tccNonClient);
    QTest::mouseClick(&cell, Qt::LeftButton, {}, QPoint(30, 30));
    QTest::mouseClick(&cell, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(cell.ActivePart(), tccNonClient);
    EXPECT_EQ(partChanges, 1);
    cell.setSelectColor(byteValue(0, 255, 0));
    EXPECT_EQ(float(cell.ForegroundColor().rgb.g), 1);
    QTest::mouseClick(&cell, Qt::LeftButton, {}, QPoint(30, 5));
    EXPECT_EQ(float(cell.BackgroundColor().rgb.g), 1);
    EXPECT_EQ(float(cell.ForegroundColor().rgb.b), 1);
    cell.setActivate(true);
    EXPECT_EQ(cell.ActivePart(), tccForegroundColor);
}

TEST_F(ColourTwinCell, DoubleClickOnTheActivePartOpensTheDialog)
{
    TTwinColorCell cell(&window);
    cell.SetBounds(0, 0, 36, 36);
    cell.show();
    QTest::mouseClick(&cell, Qt::LeftButton, {}, QPoint(30, 30));
    QTest::mouseDClick(&cell, Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(cell.ActivePart(), tccBackgroundColor);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(float(opened.rgb.r), 1);
    EXPECT_EQ(float(cell.BackgroundColor().rgb.r), 0);
    EXPECT_EQ(float(cell.BackgroundColor().rgb.b), 1);
    QTest::mouseDClick(&cell, Qt::LeftButton, {}, QPoint(30, 5));
    EXPECT_EQ(dialogs, 1);
}

TEST_F(ColourTwinCell, Pictures)
{
    TPickerColorCell picker(&window);
    picker.SetBounds(0, 0, 40, 40);
    picker.setDrawInitialColor(true);
    picker.setInitialColor(byteValue(200, 60, 40));
    picker.setSelectColor(byteValue(40, 90, 200));
    TTwinColorCell twin(&window);
    twin.SetBounds(0, 0, 36, 36);
    twin.setForegroundColor(byteValue(200, 60, 40));
    TTwinColorCell twinBack(&window);
    twinBack.SetBounds(0, 0, 36, 36);
    twinBack.setActivePart(tccBackgroundColor);
    EXPECT_GOLDEN(sideBySide({pictureOf(picker.Image()), pictureOf(twin.Image()),
                              pictureOf(twinBack.Image())}),
                  "colour-cells");
}
