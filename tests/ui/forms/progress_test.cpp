#include "ui/forms/progress.h"

#include "core/image/display_canvas.h"
#include "platform/system/clock.h"
#include "ui/ui_test_support.h"

#include <QLabel>
#include <QProgressBar>

#include <gtest/gtest.h>

TEST(FormsProgress, DialogPercentages)
{
    TProgressDlg dlg;
    EXPECT_EQ(dlg.size(), QSize(272, 88));
    EXPECT_EQ(dlg.Label3->text(), "100%");
    EXPECT_EQ(dlg.reset(0, 0), 0); // steps become 1
    EXPECT_EQ(dlg.setStep(1), 100);
    EXPECT_EQ(dlg.Label3->text(), "100%");
    dlg.reset(200, 0);
    EXPECT_EQ(dlg.setStep(250), 100); // not 125
    EXPECT_EQ(dlg.getPercent(), 100);
    dlg.reset(3, 0);
    EXPECT_EQ(dlg.incStep(1), 33);
    EXPECT_EQ(dlg.incStep(1), 66);
    EXPECT_EQ(dlg.Label3->text(), "66%");
    EXPECT_EQ(dlg.ProgressBar1->value(), 66);
    EXPECT_EQ(dlg.curValue(), 2);
}

TEST(FormsProgress, AbsentDialogIsHarmless)
{
    TProgressDlg *none = nullptr;
    setMsg1(none, "a");
    setMsg2(none, "b");
    EXPECT_EQ(reset(none, 5, 2), 0);
    EXPECT_EQ(setStep(none, 3), 0);
    EXPECT_EQ(incStep(none, 1), 0);
}

TEST(FormsProgress, ShowProgressDialogCaptionsAndShows)
{
    const auto previous = setVersionCaptionProvider([] { return QStringLiteral("Kavrin 5.0.00"); });
    QWidget owner;
    owner.setGeometry(100, 100, 600, 400);
    std::unique_ptr<TProgressDlg> dlg = showProgressDlg(&owner, 4, "reading", "layer 1");
    ASSERT_TRUE(dlg);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->windowTitle(), "Kavrin 5.0.00");
    EXPECT_EQ(dlg->Label1->text(), "reading");
    EXPECT_EQ(dlg->Label2->text(), "layer 1");
    EXPECT_EQ(dlg->getPercent(), 0);
    setMsg2(dlg.get(), "layer 2");
    EXPECT_EQ(incStep(dlg.get(), 1), 25);
    EXPECT_EQ(dlg->Label2->text(), "layer 2");
    dlg->setCaption("Saving");
    EXPECT_EQ(dlg->windowTitle(), "Saving");
    setVersionCaptionProvider(previous);
}

TEST(FormsProgress, SplittingMilliseconds)
{
    const TSplitTime t = splitMilliseconds(3723004);
    EXPECT_EQ(t.hours, 1u);
    EXPECT_EQ(t.minutes, 2u);
    EXPECT_EQ(t.seconds, 3u);
    EXPECT_EQ(t.milliseconds, 4u);
    const TSplitTime z = splitMilliseconds(0);
    EXPECT_EQ(z.hours + z.minutes + z.seconds + z.milliseconds, 0u);
}

class FormsProgressBar : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        installMillisecondClock([this] { return now; });
        bar.SetBounds(0, 0, 100, 16);
    }
    void TearDown() override { installMillisecondClock({}); }

    uint32_t now = 200000;
    TGraphicProgressBar bar;
};

TEST_F(FormsProgressBar, Texts)
{
    EXPECT_EQ(bar.Text(), "0.00%");
    bar.SetPositions(452, 1000, now);
    EXPECT_EQ(bar.Text(), "45.20%");
    bar.SetPositions(150, 100, now);
    EXPECT_EQ(bar.Text(), "100.00%"); // clamped
    bar.setTextType(gpbPosition);
    bar.SetPositions(7, 42, now);
    EXPECT_EQ(bar.Text(), "7 / 42");
    bar.setTextType(gpbRestTime);
    bar.SetPositions(0, 42, now - 5000);
    EXPECT_EQ(bar.Text(), QString::fromUtf8("残り: 0:00:00.000"));
    bar.setTextType(gpbPastTime);
    bar.setStartTime(now - 3723004);
    EXPECT_EQ(bar.Text(), QString::fromUtf8("経過: 1:02:03.004"));
}

TEST_F(FormsProgressBar, RemainingTimeOfALongRunDoesNotOverflow)
{
    bar.setTextType(gpbRestTime);
    bar.SetPositions(7000, 50000, now - 100000);
    EXPECT_EQ(bar.remainingTime(), 614285u);
    EXPECT_EQ(bar.Text(), QString::fromUtf8("残り: 0:10:14.285"));
}

TEST_F(FormsProgressBar, GoldenBars)
{
    QList<QImage> shots;
    QList<QRect> masks;
    int x = 0;
    for (int pos : {0, 100, 150}) {
        bar.SetPositions(pos, 100, now);
        shots << pictureOf(bar.picture());
        // The text sits right-aligned in the inner area; its pixels depend on the fonts.
        sRect text{0, 0, 1, 1};
        TMemoryGraphic measure(1, 1);
        measure.DrawText(bar.Text(), text, bar.font(), clBlack32, DT_CALCRECT | DT_SINGLELINE);
        const int w = std::min(text.x1 + 2, 96);
        masks << QRect(x + 98 - w, 2, w, 12);
        x += 101;
    }
    EXPECT_GOLDEN(sideBySide(shots), "progress-bars", masks);
}

TEST_F(FormsProgressBar, PictureFollowsTheBounds)
{
    bar.SetBounds(5, 5, 2, 2);
    EXPECT_EQ(bar.picture().Width(), 4);
    EXPECT_EQ(bar.picture().Height(), 4);
    bar.show();
    bar.resize(60, 10); // a resize by Qt goes through SetBounds
    EXPECT_EQ(bar.picture().Width(), 60);
    EXPECT_EQ(bar.picture().Height(), 10);
}
