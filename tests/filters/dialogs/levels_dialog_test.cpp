// The levels dialog: automatic adjustment, the input range repairs, the channel switch and the
// repeat; the threshold dialog's automatic value shares the histogram.
#include "filters/dialogs/adjustment_dialogs.h"
#include "filters/dialogs/dialog_test_support.h"
#include "filters/dialogs/dialog_values.h"
#include "filters/dialogs/levels_dialog.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace dialogtest;

namespace {

struct OpenLevels
{
    explicit OpenLevels(uint32_t fill = 0)
    {
        if (fill) {
            fillLayer(rig.layer(), fill);
            rig.refresh();
        }
        EXPECT_TRUE(dlg.Attach(*rig.core));
        dlg.show();
    }
    void choose(int channel)
    {
        dlg.CmbC->setCurrentIndex(channel);
        dlg.CmbCChange();
    }
    std::array<float, 5> boxes() const
    {
        return {dlg.NumIMin->Value(), dlg.NumIMid->Value(), dlg.NumIMax->Value(),
                dlg.NumOMin->Value(), dlg.NumOMax->Value()};
    }
    DialogRig rig;
    TFormLevels4 dlg;
};

} // namespace

TEST(LevelsDialog, AutomaticAdjustmentSpreadsEachColourChannel)
{
    // Red 100, green 20, blue 250 everywhere.
    OpenLevels o(0xFF6414FAu);
    o.dlg.ButtonA->click();
    const sFltObj6 &r = o.dlg.curParam();
    EXPECT_EQ(levelsCell(r, 1, 0), 99);
    EXPECT_EQ(levelsCell(r, 1, 2), 101);
    EXPECT_EQ(levelsCell(r, 2, 0), 19);
    EXPECT_EQ(levelsCell(r, 2, 2), 21);
    EXPECT_EQ(levelsCell(r, 3, 0), 249);
    EXPECT_EQ(levelsCell(r, 3, 2), 251);
    EXPECT_EQ(levelsCell(r, 0, 0), 0) << "the RGB column keeps its defaults";
    EXPECT_EQ(levelsCell(r, 0, 2), 255);

    // With a single channel shown, the boxes show its adjusted column and keep it.
    o.choose(1);
    o.dlg.ButtonA->click();
    EXPECT_EQ(o.boxes()[0], 99.0f);
    EXPECT_EQ(o.boxes()[2], 101.0f);
    EXPECT_EQ(levelsCell(o.dlg.curParam(), 1, 0), 99);
    EXPECT_EQ(levelsCell(o.dlg.curParam(), 1, 2), 101);
}

TEST(LevelsDialog, AnEmptyHistogramGivesEveryColourColumnTheUpperHalf)
{
    OpenLevels o(0x00808080u);
    o.dlg.ButtonA->click();
    for (int c = 1; c <= 3; ++c) {
        EXPECT_EQ(levelsCell(o.dlg.curParam(), c, 0), 127) << c;
        EXPECT_EQ(levelsCell(o.dlg.curParam(), c, 2), 255) << c;
    }
}

TEST(LevelsDialog, TheInputRangeStaysIncreasing)
{
    OpenLevels o;
    // Typing a minimum above the maximum waits for the edit to be left.
    o.dlg.NumIMax->setValue(150);
    o.dlg.NumIMin->SetString(o.dlg.EditIMin, QStringLiteral("200"));
    EXPECT_EQ(o.dlg.NumIMin->Value(), 200.0f);
    EXPECT_EQ(o.dlg.NumIMax->Value(), 150.0f);
    o.dlg.EditIExit(o.dlg.EditIMin);
    EXPECT_EQ(o.dlg.NumIMax->Value(), 201.0f);
    EXPECT_EQ(levelsCell(o.dlg.curParam(), 0, 2), 201);
    // Leaving the maximum lowers the minimum instead.
    o.dlg.NumIMax->setValue(100);
    o.dlg.EditIExit(o.dlg.EditIMax);
    EXPECT_EQ(o.dlg.NumIMin->Value(), 99.0f);

    // Dragging the min handle onto the max handle leaves it one level below.
    o.dlg.ButtonD->click();
    o.dlg.TrackI->SetPosition(ltpMin, 1.0f);
    EXPECT_EQ(o.dlg.NumIMin->Value(), 254.0f);
    EXPECT_FLOAT_EQ(o.dlg.TrackI->PositionMin(), 254.0f / 255.0f);
    EXPECT_EQ(o.dlg.TrackI->PositionMid(), 0.5f);
}

TEST(LevelsDialog, ChoosingAChannelShowsItsColumnWithoutAPreview)
{
    OpenLevels o;
    o.choose(2);
    o.dlg.NumOMax->setValue(200);
    o.dlg.NumIMid->setValue(1.5f);
    EXPECT_EQ(levelsCell(o.dlg.curParam(), 2, 4), 200);
    EXPECT_EQ(levelsCell(o.dlg.curParam(), 2, 1), 150);
    o.rig.clock.advance(700);
    o.dlg.TimerUpdateTimer();
    const int runs = filterRuns();
    o.choose(0);
    EXPECT_EQ(o.boxes(), (std::array<float, 5>{0, 1, 255, 0, 255}));
    EXPECT_EQ(o.dlg.TrackO->Channel(), lcRGB);
    o.choose(2);
    EXPECT_EQ(o.boxes(), (std::array<float, 5>{0, 1.5f, 255, 0, 200}));
    EXPECT_EQ(o.dlg.TrackO->Channel(), lcGreen);
    EXPECT_EQ(o.dlg.HistogramI->HistogramType(), HISTOGRAM_G);
    EXPECT_FALSE(o.dlg.TimerUpdate->isActive());
    EXPECT_EQ(filterRuns(), runs);
}

TEST(LevelsDialog, TheRepeatAppliesEveryColumnWhileTheDialogOpensNeutral)
{
    DialogRig rig;
    bool neutral = false;
    ScopedDialogDriver driver([&](QDialog &d) {
        auto &dlg = as<TFormLevels4>(d);
        neutral = dlg.NumIMin->Value() == 0 && dlg.NumOMax->Value() == 255;
        dlg.NumOMin->setValue(10);
        dlg.CmbC->setCurrentIndex(3);
        dlg.CmbCChange();
        dlg.NumIMin->setValue(30);
        dlg.ChkL->click();
        clickOk(d);
    });
    sFltObj6 rec{};
    ASSERT_TRUE(execLevelsDialog(rec, *rig.core));
    EXPECT_TRUE(neutral);
    sFltObj6 last{};
    ASSERT_TRUE(makeLevelsLastParam(last));
    EXPECT_EQ(std::memcmp(&last, &rec, sizeof rec), 0);
    EXPECT_EQ(levelsCell(last, 0, 3), 10);
    EXPECT_EQ(levelsCell(last, 3, 0), 30);
    EXPECT_EQ(reinterpret_cast<const uint8_t *>(&last)[20], 0) << "linear was switched off";
    // The next opening is neutral again, with the linear tick remembered.
    ScopedDialogDriver again([&](QDialog &d) {
        auto &dlg = as<TFormLevels4>(d);
        neutral = dlg.NumOMin->Value() == 0 && !dlg.ChkL->isChecked();
        clickCancel(d);
    });
    EXPECT_FALSE(execLevelsDialog(rec, *rig.core));
    EXPECT_TRUE(neutral);
}

TEST(LevelsDialog, ThresholdAutomaticValueIsTheLuminanceMidpointRoundedUp)
{
    struct Case
    {
        uint32_t a, b; // two greys filling the layer's halves
        int expected;
    };
    const Case cases[] = {
        {0xFF0A0A0Au, 0xFFC8C8C8u, 105}, // luminance 10..200
        {0x000A0A0Au, 0x00C8C8C8u, 128}, // nothing counted
    };
    for (const Case &c : cases) {
        DialogRig rig;
        CBlockVMTC &img = rig.layer();
        for (int32_t y = 0; y < img.height(); ++y)
            for (int32_t x = 0; x < img.width(); ++x)
                img.setPixel(x, y, x < img.width() / 2 ? c.a : c.b);
        rig.refresh();
        TFormThreshold4 dlg;
        ASSERT_TRUE(dlg.Attach(*rig.core));
        dlg.ButtonA->click();
        EXPECT_EQ(dlg.FieldT.num->Value(), float(c.expected));
        EXPECT_EQ(dlg.curParam().data0.b0, c.expected);
        EXPECT_EQ(dlg.curParam().data0.b1, 1);
    }
}
