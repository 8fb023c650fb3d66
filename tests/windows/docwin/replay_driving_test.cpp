// Replay driving: the pacing by a fixed clock (across the clock's wrap), the ten progress
// thumbnails, stopping, a failing event, pausing, and filling a window from an image.
#include "core/image/canvas.h"
#include "document/events/event_manager.h"
#include "document/files/clipboard.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "support/fixed_clock.h"
#include "support/render_driver.h"
#include "ui/dialogs/event_report.h"

#include "doc_commands_fixture.h"

#include <QFile>
#include <QTemporaryDir>

#include <set>

namespace {

struct ReplayDriving : DocCmdFixture
{
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }

    // A fresh window replaying the file (not in render mode).
    std::unique_ptr<TDrawWindow> opened(const QString &file)
    {
        auto w = TDrawWindow::Create();
        EXPECT_TRUE(w && w->openQES(file));
        return w;
    }
};

TEST_F(ReplayDriving, AStepWaitsForItsPaceAcrossTheClocksWrap)
{
    writeEvents(path(QStringLiteral("e.qe5")), 6);
    for (uint32_t start : {1000u, 0xFFFFFFF0u}) {
        SCOPED_TRACE(start);
        ScopedFixedClock clock(start);
        prof().eventWait = 50;
        auto w = opened(path(QStringLiteral("e.qe5")));
        ASSERT_TRUE(w);
        CEventMngr &ev = w->paper->eventMngr();
        const uint32_t played = ev.playEventCnt;
        clock.set(start + 30);
        EXPECT_EQ(w->nextReplayDelay(start + 30), 20u);
        EXPECT_EQ(w->playEventQES(), eEvPlayStat::epsWait);
        EXPECT_EQ(ev.playEventCnt, played);
        clock.set(start + 50);
        EXPECT_EQ(w->nextReplayDelay(start + 50), 0u);
        EXPECT_EQ(w->playEventQES(), eEvPlayStat::epsContinue);
        EXPECT_EQ(ev.playEventCnt, played + 1);
        // The next step is due 50 ms after this one.
        EXPECT_EQ(w->playEventQES(), eEvPlayStat::epsWait);
        EXPECT_EQ(w->nextReplayDelay(start + 51), 49u);
    }
}

TEST_F(ReplayDriving, WithoutAWaitEveryStepPlaysAtOnce)
{
    writeEvents(path(QStringLiteral("e.qe5")), 6);
    ScopedFixedClock clock(5000);
    prof().eventWait = 0;
    auto w = opened(path(QStringLiteral("e.qe5")));
    ASSERT_TRUE(w);
    CEventMngr &ev = w->paper->eventMngr();
    const uint32_t played = ev.playEventCnt;
    EXPECT_EQ(w->playEventQES(), eEvPlayStat::epsContinue);
    EXPECT_EQ(w->playEventQES(), eEvPlayStat::epsContinue);
    EXPECT_EQ(ev.playEventCnt, played + 2);
    EXPECT_EQ(w->nextReplayDelay(5000), 0u);
}

// Plays to the end; answers each thumbnail index with the played count after which it was made.
std::vector<std::pair<int, uint32_t>> thumbnailsTaken(TDrawWindow &w)
{
    std::vector<std::pair<int, uint32_t>> taken;
    for (int guard = 0; guard < 1000 && w.m_eventPlaying; ++guard) {
        std::array<bool, 10> had{};
        for (size_t k = 0; k < 10; ++k)
            had[k] = w.FIndexImages[k] != nullptr;
        w.playEventQES();
        for (size_t k = 0; k < 10; ++k)
            if (!had[k] && w.FIndexImages[k])
                taken.emplace_back(int(k), w.paper->eventMngr().playEventCnt);
    }
    return taken;
}

TEST_F(ReplayDriving, ThumbnailsAreTakenAtEachTenthOfTheReplay)
{
    prof().eventWait = 0;
    writeEvents(path(QStringLiteral("hundred.qe5")), 100);
    auto w = opened(path(QStringLiteral("hundred.qe5")));
    ASSERT_TRUE(w);
    ASSERT_EQ(w->paper->eventMngr().eventCnt, 100u);
    const auto taken = thumbnailsTaken(*w);
    ASSERT_EQ(taken.size(), 10u);
    for (const auto &[k, played] : taken)
        EXPECT_EQ(played + 1, 10u * uint32_t(k + 1)) << k;
    EXPECT_EQ(w->FIndexImages[0]->width(), 96);
    EXPECT_EQ(w->FIndexImages[0]->height(), 64); // 24 x 16 keeps its aspect
    ASSERT_EQ(main().reports.size(), 1u);
    EXPECT_EQ(main().reports[0].images, 10);
    EXPECT_EQ(main().reports[0].reason, int(rrEnd));
}

TEST_F(ReplayDriving, AShortReplaySkipsEveryOtherThumbnailAndAnEmptyOneTakesNone)
{
    prof().eventWait = 0;
    writeEvents(path(QStringLiteral("five.qe5")), 5);
    auto w = opened(path(QStringLiteral("five.qe5")));
    ASSERT_TRUE(w);
    ASSERT_EQ(w->paper->eventMngr().eventCnt, 5u);
    const auto taken = thumbnailsTaken(*w);
    ASSERT_FALSE(taken.empty());
    for (const auto &[k, played] : taken)
        EXPECT_EQ(k % 2, 1) << k; // (played + 1) x 100 div 50 - 1
    EXPECT_TRUE(w->FIndexImages[9] != nullptr);

    // A replay that counts no events has no tenth to reach.
    auto e = opened(path(QStringLiteral("five.qe5")));
    ASSERT_TRUE(e);
    e->paper->eventMngr().eventCnt = 0;
    e->playEventQES();
    for (const auto &img : e->FIndexImages)
        EXPECT_EQ(img, nullptr);
}

TEST_F(ReplayDriving, StopAsksAndOnlyYesEndsTheReplay)
{
    prof().eventWait = 0;
    writeEvents(path(QStringLiteral("e.qe5")), 8);
    auto w = opened(path(QStringLiteral("e.qe5")));
    ASSERT_TRUE(w);
    w->m_eventStop = true;
    messages.answer = kavrin::mrNo;
    EXPECT_EQ(w->playEventQES(), eEvPlayStat::epsContinue);
    EXPECT_EQ(messages.questions,
              QStringList(QStringLiteral("イベント再生の途中ですが、再生を終了しますか?")));
    EXPECT_TRUE(w->m_eventPlaying);
    EXPECT_FALSE(w->m_eventStop);
    EXPECT_TRUE(main().reports.empty());

    w->m_eventStop = true;
    messages.answer = kavrin::mrYes;
    EXPECT_EQ(w->playEventQES(), eEvPlayStat::epsEnd);
    EXPECT_FALSE(w->m_eventPlaying);
    ASSERT_EQ(main().reports.size(), 1u);
    EXPECT_EQ(main().reports[0].reason, int(rrStop));
    EXPECT_TRUE(main().reports[0].cont);
    // The document records from here on.
    EXPECT_TRUE(w->paper->eventMngr().isRecording());
    EXPECT_FALSE(tool().playMode);
}

TEST_F(ReplayDriving, AFailingEventEndsTheReplayThereAndCutsTheStream)
{
    prof().eventWait = 0;
    const QString file = path(QStringLiteral("bad.qe5"));
    uint32_t good = 0;
    {
        auto w = createdWindow({24, 16});
        ASSERT_TRUE(w);
        CEventMngr &ev = w->paper->eventMngr();
        good = ev.eventCnt;
        // A fill of a layer the document does not have.
        ASSERT_TRUE(ev.pushEventFillCmd(9, 0xFF0000FF, {0, 0}, {0, 0}, 0));
        ASSERT_TRUE(EventEditPC(*w->paper, 0x102030, true));
        ASSERT_TRUE(exportEventFile(file, *w->paper, true, -1, -1, true));
    }
    auto w = opened(file);
    ASSERT_TRUE(w);
    eEvPlayStat r = eEvPlayStat::epsContinue;
    int steps = 0;
    while (w->m_eventPlaying && steps < 10) {
        r = w->playEventQES();
        ++steps;
    }
    EXPECT_EQ(r, eEvPlayStat::epsError);
    EXPECT_LE(steps, 2);
    ASSERT_EQ(main().reports.size(), 1u);
    EXPECT_EQ(main().reports[0].reason, int(rrError));
    CEventMngr &ev = w->paper->eventMngr();
    EXPECT_TRUE(ev.isRecording());
    EXPECT_GE(ev.eventCnt, good);
    EXPECT_NE(w->paper->m_canvascolor, 0x102030u);

    // A render of it fails with 10 and writes no picture.
    SRenderRequest req;
    req.outDir = path(QStringLiteral("out"));
    req.bmp = true;
    const SRenderOutcome out = renderEventFileHeadless(file, req);
    EXPECT_EQ(out.exitStatus, 10);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("out/bad.bmp"))));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("out/bad.bad"))));
}

TEST_F(ReplayDriving, PauseHoldsTheStepsAndShowsItsState)
{
    prof().eventWait = 0;
    writeEvents(path(QStringLiteral("e.qe5")), 6);
    auto w = opened(path(QStringLiteral("e.qe5")));
    ASSERT_TRUE(w);
    ASSERT_TRUE(w->supportEventPlayPause());
    CEventMngr &ev = w->paper->eventMngr();
    w->pauseEventPlay(true);
    EXPECT_TRUE(w->isEventPlayPaused());
    EXPECT_EQ(tool().optionCaption, QStringLiteral("イベント - 一時停止"));
    EXPECT_EQ(tool().playGlyph, ePlayGlyph::qgPlay);
    const uint32_t played = ev.playEventCnt;
    EXPECT_EQ(w->playEventQES(), eEvPlayStat::epsWait);
    EXPECT_EQ(ev.playEventCnt, played);
    w->pauseEventPlay(false);
    EXPECT_EQ(tool().optionCaption, QStringLiteral("イベント - 再生"));
    EXPECT_EQ(tool().playGlyph, ePlayGlyph::qgPause);
    EXPECT_EQ(w->playEventQES(), eEvPlayStat::epsContinue);
    EXPECT_EQ(ev.playEventCnt, played + 1);
}

TEST_F(ReplayDriving, AFailedOpenLeavesAWindowThatIgnoresTheMouse)
{
    auto w = TDrawWindow::Create();
    ASSERT_TRUE(w);
    EXPECT_FALSE(w->openQES(path(QStringLiteral("missing.qe5"))));
    EXPECT_FALSE(w->m_eventPlaying);
    EXPECT_TRUE(w->m_mouseIgnored);
    EXPECT_EQ(messages.warnings.size(), 1);
}

TEST_F(ReplayDriving, AttachingAnImageLimitsItsSidesAndUsesADefaultLayer)
{
    TMTC big(10001, 3);
    big.PixelFill(0xFF00FF00);
    auto w = TDrawWindow::Create();
    ASSERT_TRUE(w);
    w->attachFile(QString(), big, 96, false, false);
    TPaper &p = *w->paper;
    EXPECT_EQ(p.m_paperSize, (sSize{10000, 3}));
    EXPECT_EQ(p.m_paperDPI, 96);
    const CLayerData *ld = p.getLayerData(0);
    ASSERT_NE(ld, nullptr);
    EXPECT_EQ(ld->layerMode(), TLayerMode::LM_STD);
    EXPECT_EQ(ld->layerTrans(), 255);
    EXPECT_EQ(ld->viewPos, (sPos{0, 0}));
    EXPECT_EQ(ld->imageTC->getColor(9999, 2), 0xFF00FF00u);
    EXPECT_TRUE(p.m_filename.startsWith(QStringLiteral("名称未設定")));
}

TEST_F(ReplayDriving, ALayerFromAnotherDocumentKeepsItsCanvasSizeAndPlace)
{
    auto other = makeWindow({80, 60});
    ASSERT_TRUE(other);
    CLayerData &src = *other->paper->getLayerData(0);
    src.viewPos = {5, 7};
    ASSERT_TRUE(putLayerAttrToClipboard(src));
    TMTC image(90, 70);
    image.PixelFill(0xFF112233);
    auto w = TDrawWindow::Create();
    ASSERT_TRUE(w);
    w->attachFile(path(QStringLiteral("pasted.png")), image, 72, true, false);
    TPaper &p = *w->paper;
    EXPECT_EQ(p.m_paperSize, (sSize{80, 60}));
    EXPECT_EQ(p.getLayerData(0)->viewPos, (sPos{5, 7}));
    EXPECT_EQ(p.getLayerData(0)->imageTC->width(), 90);
    EXPECT_EQ(w->filePath, path(QStringLiteral("pasted.png")));
}

} // namespace
