// The JPEG options dialog on a default profile: the level chosen for a typed quality, the bent
// quality slider, the settings shown, and what OK (and only OK) keeps in the profile, driven
// through the real form.
#include "app/dialogs/jpeg_option_dialog.h"

#include "core/profile/app_profile.h"
#include "platform/system/registry.h"
#include "size_dialog_driver.h"
#include "ui/fields/trackbar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace sizedlg_test;

namespace {

// Every test runs on a profile loaded from an empty store: the program's defaults.
class JpegOptionDialog : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_saved = std::move(gAppProfile);
        gAppProfile = std::make_unique<CAppProfile>();
        CRegistry store(m_dir.filePath(QStringLiteral("Kavrin5.conf")));
        gAppProfile->loadSections(store);
    }
    void TearDown() override { gAppProfile = std::move(m_saved); }

    CAppProfile &profile() { return *gAppProfile; }

    // One run of the runner: drive, then OK (or Cancel).
    bool run(TJpegSaveOption &value, const std::function<void(TFormJpegOption &)> &drive,
             bool ok = true)
    {
        ScopedFormDriver<TFormJpegOption> driver([&](TFormJpegOption &f) {
            drive(f);
            (ok ? f.ButtonOK : f.ButtonCancel)->click();
        });
        const bool result = showJpegOptionDialog(value);
        EXPECT_EQ(driver.runs, 1);
        EXPECT_EQ(driver.title, QString::fromUtf8("JPEG 設定"));
        EXPECT_EQ(driver.clientSize, QSize(344, 160));
        return result;
    }

  private:
    QTemporaryDir m_dir;
    std::unique_ptr<CAppProfile> m_saved;
};

} // namespace

TEST_F(JpegOptionDialog, OpensOnTheProfilesLevel)
{
    TFormJpegOption f(profile());
    EXPECT_EQ(f.CmbC->currentText(), QString::fromUtf8("高"));
    EXPECT_EQ(f.EditQ->text(), QStringLiteral("90"));
    EXPECT_EQ(f.EditS->text(), QStringLiteral("0"));
    EXPECT_FALSE(f.ChkG->isChecked());
    const TJpegSaveOption &v = f.model().CurValue();
    EXPECT_EQ(v.QualityType, 1);
    EXPECT_EQ(v.Quality, 90);
    EXPECT_EQ(v.Smooth, 0);
}

TEST_F(JpegOptionDialog, ATypedQualitySelectsTheNearestLevel)
{
    struct Case
    {
        const char *typed;
        const char *level;
        int type;
        int quality;
    };
    const Case cases[] = {
        {"80", "標準", 4, 80},   {"95", "最高", 4, 95}, {"82.5", "高", 4, 83},
        {"82.4", "標準", 4, 82}, {"75", "標準", 2, 75}, {"100", "最高", 0, 100},
        {"5", "低", 4, 10}, // clamped to the range
    };
    TFormJpegOption f(profile());
    f.show();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed);
        typeInto(*f.EditQ, QString::fromLatin1(c.typed));
        EXPECT_EQ(f.CmbC->currentText(), QString::fromUtf8(c.level));
        EXPECT_EQ(f.model().CurValue().QualityType, c.type);
        EXPECT_EQ(f.model().CurValue().Quality, c.quality);
        EXPECT_NEAR(f.TrackQ->Position(), f.model().NumQ.Position(), 1e-6);
    }
}

TEST_F(JpegOptionDialog, ALevelSetsItsQualityAndTheBentSlider)
{
    TFormJpegOption f(profile());
    f.show();
    QTest::keyClick(f.CmbC, Qt::Key_End);
    EXPECT_EQ(f.CmbC->currentText(), QString::fromUtf8("低"));
    EXPECT_EQ(f.EditQ->text(), QStringLiteral("50"));
    EXPECT_NEAR(f.TrackQ->StoredPosition(), 20.0 / 85.0, 1e-6);
    EXPECT_EQ(f.model().CurValue().QualityType, 3);

    // A press at the slider's right end is the highest quality.
    QTest::mouseClick(f.TrackQ, Qt::LeftButton, {},
                      QPoint(f.TrackQ->width() - 1, f.TrackQ->height() / 2));
    EXPECT_EQ(f.EditQ->text(), QStringLiteral("100"));
    EXPECT_EQ(f.CmbC->currentText(), QString::fromUtf8("最高"));

    struct Case
    {
        float stored;
        int quality;
        const char *level;
    };
    for (const Case &c : {Case{0.5f, 75, "標準"}, Case{0, 10, "低"}, Case{1, 100, "最高"}}) {
        f.model().setTrackQ(TrackQOutFilter(c.stored));
        EXPECT_EQ(f.model().CurValue().Quality, c.quality) << c.stored;
        EXPECT_EQ(f.CmbC->currentText(), QString::fromUtf8(c.level));
        EXPECT_NEAR(f.TrackQ->StoredPosition(), c.stored, 1e-6);
    }
}

TEST(JpegOptionDialogFilters, TheTwoSliderFiltersAreInverse)
{
    float last = -1;
    for (int i = 0; i <= 200; ++i) {
        const float p = float(i) / 200;
        const float s = TrackQInFilter(p);
        EXPECT_GT(s, last) << p; // one slider place for each quality
        EXPECT_NEAR(TrackQOutFilter(s), p, 1e-6) << p;
        last = s;
    }
    EXPECT_FLOAT_EQ(TrackQInFilter(0), 0);
    EXPECT_FLOAT_EQ(TrackQInFilter(1), 1);
    EXPECT_NEAR(TrackQOutFilter(0.5f), 13.0 / 18.0, 1e-7);
}

TEST_F(JpegOptionDialog, OKKeepsAFreeQualityForTheNextRun)
{
    TJpegSaveOption v;
    ASSERT_TRUE(run(v, [](TFormJpegOption &f) { typeInto(*f.EditQ, QStringLiteral("80")); }));
    EXPECT_EQ(v.QualityType, 4);
    EXPECT_EQ(v.Quality, 80);
    EXPECT_EQ(profile().jpegQType, 4);
    EXPECT_EQ(profile().jpegQuality, 80);

    TJpegSaveOption next;
    ASSERT_TRUE(run(next, [](TFormJpegOption &f) {
        EXPECT_EQ(f.EditQ->text(), QStringLiteral("80"));
        EXPECT_EQ(f.CmbC->currentText(), QString::fromUtf8("標準"));
    }));
    EXPECT_EQ(next.QualityType, 4);
    EXPECT_EQ(next.Quality, 80);
}

TEST_F(JpegOptionDialog, SmoothingAndSwitchesAsStored)
{
    struct Case
    {
        const char *smooth;
        bool grey, progressive;
        bool useSmooth;
        int value;
    };
    const Case cases[] = {
        {"0", false, true, false, 0},
        {"1", true, false, true, 1},
        {"40", true, true, true, 40},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.smooth);
        TJpegSaveOption v;
        ASSERT_TRUE(run(v, [&](TFormJpegOption &f) {
            EXPECT_FALSE(f.ChkG->isChecked()); // greyscale never carries over
            typeInto(*f.EditS, QString::fromLatin1(c.smooth));
            EXPECT_FLOAT_EQ(f.TrackS->Position(), f.model().NumS.Position());
            if (f.ChkG->isChecked() != c.grey)
                f.ChkG->click();
            if (f.ChkP->isChecked() != c.progressive)
                f.ChkP->click();
        }));
        EXPECT_EQ(v.Smooth, c.value);
        EXPECT_EQ(v.Grayscale, c.grey);
        EXPECT_EQ(v.Progressive, c.progressive);
        EXPECT_EQ(profile().jpegValSmooth, c.value);
        EXPECT_EQ(profile().jpegUseSmooth, c.useSmooth);
        EXPECT_EQ(profile().jpegUseProgressive, c.progressive);
    }
}

TEST_F(JpegOptionDialog, CancelWritesNothing)
{
    const CAppProfile before = profile();
    TJpegSaveOption v{3, 33, 7, true, true};
    EXPECT_FALSE(run(
        v,
        [](TFormJpegOption &f) {
            typeInto(*f.EditQ, QStringLiteral("60"));
            typeInto(*f.EditS, QStringLiteral("20"));
            f.ChkP->click();
        },
        false));
    EXPECT_EQ(v.QualityType, 3);
    EXPECT_EQ(v.Quality, 33);
    EXPECT_EQ(v.Smooth, 7);
    EXPECT_EQ(profile().jpegQType, before.jpegQType);
    EXPECT_EQ(profile().jpegQuality, before.jpegQuality);
    EXPECT_EQ(profile().jpegValSmooth, before.jpegValSmooth);
    EXPECT_EQ(profile().jpegUseProgressive, before.jpegUseProgressive);
}

TEST(JpegOptionDialogProfile, NoProfileOpensNoDialog)
{
    std::unique_ptr<CAppProfile> saved = std::move(gAppProfile);
    ScopedFormDriver<TFormJpegOption> driver([](TFormJpegOption &f) { f.ButtonOK->click(); });
    TJpegSaveOption v;
    EXPECT_FALSE(showJpegOptionDialog(v));
    EXPECT_EQ(driver.runs, 0);
    gAppProfile = std::move(saved);
}
