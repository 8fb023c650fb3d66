// The seed tools through the window: a click reaches the seed fill, the seed erase or the magic
// wand with the profile's anti-aliasing and the held keys' combination at the clicked layer
// pixel; outside the paper nothing happens; only a change marks the document. Their gestures, a
// pick followed by a fill in the picked colour, and view changes between the edits replay to the
// same document, and their undo and redo give back the exact bytes.
#include "docwin_fixture.h"

#include "core/mask/mask_manager.h"
#include "document/edit/edit_ops.h"
#include "document/edit/layer_list_ops.h"
#include "document/events/event_manager.h"
#include "document/paper/layer_data.h"
#include "document/selection/figure_fill_ops.h"
#include "document/selection/seed_fill_ops.h"
#include "document/selection/selection_ops.h"
#include "paint/stroke/stroke.h"
#include "platform/desktop/keys.h"
#include "support/window_live_replay.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace window_live_replay;
using enum TToolSubKind;

constexpr sSize kCanvas{60, 40};
constexpr sSize kClient{200, 160};
constexpr uint32_t kFillColour = 0x2040C0;

// Layer 0: white, a black wall at x = 20 and a black box outline from (32, 8) to (52, 30).
// Layer 1 (active): transparent but for an opaque orange block inside the box.
bool seedStart(TDrawWindow &w, uint32_t)
{
    if (!plainStart(w, kCanvas, 2, kClient))
        return false;
    TPaper &p = *w.paper;
    CBlockVMTC &base = *p.getLayerData(0)->imageTC;
    CBlockVMTC &top = *p.getLayerData(1)->imageTC;
    for (int32_t y = 0; y < kCanvas.y; ++y)
        for (int32_t x = 0; x < kCanvas.x; ++x) {
            const bool box = (x == 32 || x == 52 ? y >= 8 && y <= 30 : false) ||
                             ((y == 8 || y == 30) && x >= 32 && x <= 52);
            base.setPixel(x, y, x == 20 || box ? 0xFF000000 : 0xFFFFFFFF);
            const bool block = x >= 38 && x <= 46 && y >= 14 && y <= 24;
            top.setPixel(x, y, block ? 0xFFF08020 : 0x00FFFFFF);
        }
    base.setupTraceRect();
    top.setupTraceRect();
    if (!EventLayerActive(p, w.flow(), 1, true))
        return false;
    appMainStroke()->SetDrawColor(kFillColour);
    UpdateVRAM(p, true, true);
    return true;
}

// The same, with a third, active layer whose image starts 6 pixels left of and 4 above the
// paper: transparent with an opaque blue wall at image x = 30 (paper x = 24).
constexpr sPos kMovedBy{6, 4};
bool movedStart(TDrawWindow &w, uint32_t seed)
{
    if (!seedStart(w, seed))
        return false;
    TPaper &p = *w.paper;
    if (!eventLayerAdd(p, w.flow(), 2, kCanvas.x + 10, kCanvas.y + 8, TLayerMode::LM_STD, 255, true,
                       false))
        return false;
    CLayerData &ld = *p.getLayerData(2);
    ld.viewPos = kMovedBy;
    for (int32_t y = 0; y < ld.imageTC->height(); ++y)
        ld.imageTC->setPixel(30, y, 0xFF1030E0);
    ld.imageTC->setupTraceRect();
    if (!EventLayerActive(p, w.flow(), 2, true))
        return false;
    UpdateVRAM(p, true, true);
    return true;
}

// The client position showing a canvas point, at 1:1 with the view unturned.
sPos clientOf(const TDrawWindow &w, const sPos &canvas)
{
    sPos origin;
    w.convToCanvasPos(origin, sPos{0, 0});
    return {canvas.x - origin.x, canvas.y - origin.y};
}

QString clickAt(const TDrawWindow &w, const sPos &canvas, const char *mods = "")
{
    const sPos c = clientOf(w, canvas);
    return QString::asprintf("press L %d %d %s\nrelease L %d %d\n", c.x, c.y, mods, c.x, c.y);
}

// Everything undo and redo must give back: every layer's place, size and pixels, and every
// mask's place, size and values, and which mask is current.
std::vector<int64_t> documentBytes(const TPaper &p)
{
    std::vector<int64_t> v;
    for (int32_t i = 0; i < p.getLayerCount(); ++i) {
        const CLayerData &ld = *p.getLayerData(i);
        const CBlockVMTC &img = *ld.imageTC;
        v.insert(v.end(), {ld.viewPos.x, ld.viewPos.y, img.width(), img.height()});
        for (int32_t y = 0; y < img.height(); ++y)
            for (int32_t x = 0; x < img.width(); ++x)
                v.push_back(img.getColor(x, y));
    }
    v.push_back(p.getActiveMaskIndex());
    for (int32_t i = 0; i < getMaskCount(p); ++i) {
        const CMaskData *md = getMaskData(p, i);
        if (!md || !md->maskTC) {
            v.push_back(-1);
            continue;
        }
        const CBlockVCH &m = *md->maskTC;
        v.insert(v.end(), {md->viewPos.x, md->viewPos.y, m.width(), m.height()});
        for (int32_t y = 0; y < m.height(); ++y)
            for (int32_t x = 0; x < m.width(); ++x)
                v.push_back(m.getColor(x, y));
    }
    return v;
}

struct SeedToolBase : DocWinFixture
{
    SeedToolBase()
    {
        prof().undoMax = 100;
        prof().fillLimit = 20;
        prof().wandLimit = 20;
        prof().fillTarget = 0;
        prof().wandTarget = 0;
    }
    ~SeedToolBase() override
    {
        setCurrentDrawWindow(nullptr);
        headlessMainForm().active = nullptr;
        mainForm().toolForm().setWindow(nullptr);
        resetKeyState();
    }

    // A window of setup, current and recording.
    std::unique_ptr<TDrawWindow> recordingWindow(const WindowSetup &setup)
    {
        std::unique_ptr<TDrawWindow> w = window_live_replay::makeWindow(setup, 1);
        if (!w)
            return w;
        makeCurrent(*w);
        TPaper &p = *w->paper;
        EXPECT_TRUE(p.eventMngr().startRecording(appMainStroke(), appMainToneMngrFor(&p), 64, 64));
        EXPECT_TRUE(dispatchUndoCount(p));
        w->m_bModified = false;
        return w;
    }

    bool run(TDrawWindow &w, const QString &script)
    {
        std::vector<SInputStep> steps;
        QString error;
        EXPECT_TRUE(parseInputScript(script, steps, error)) << error.toStdString();
        return applyScript(w, steps);
    }

    // The script live == replay, and then, on a window of its own, undone step by step to the
    // start's exact bytes and redone to the result's.
    void expectLiveReplayAndUndoRedo(const WindowSetup &setup, const QString &script,
                                     uint32_t *events = nullptr)
    {
        expectWindowLiveEqualsReplay(setup, script, 1, events);
        std::unique_ptr<TDrawWindow> w = recordingWindow(setup);
        ASSERT_TRUE(w);
        const std::vector<int64_t> start = documentBytes(*w->paper);
        ASSERT_TRUE(run(*w, script));
        const std::vector<int64_t> result = documentBytes(*w->paper);
        ASSERT_NE(result, start) << "the script changed nothing";
        int undone = 0;
        while (undone < 50 && w->Undo())
            ++undone;
        ASSERT_GT(undone, 0);
        EXPECT_EQ(documentBytes(*w->paper) == start, true) << "undo did not give back the start";
        for (int i = 0; i < undone; ++i)
            ASSERT_TRUE(w->Redo());
        EXPECT_EQ(documentBytes(*w->paper) == result, true) << "redo did not give back the result";
    }

    LiveReplayApp app;
};

struct SeedToolFill : SeedToolBase
{
};

// A tool click on one window against the operation called directly on another: equal documents;
// and the same operation with the other anti-aliasing or combination gives another one, so
// the comparison tells them apart.
TEST_F(SeedToolFill, AClickReachesItsOperationWithTheProfileAndTheKeys)
{
    struct SCase
    {
        const char *name;
        TToolSubKind kind;
        bool anti;
        int32_t target;
        bool oldScheme;
        const char *mods;
        eMaskAddType mat;
        eMaskAddType otherMat; // the wand's combination the keys did not ask for
    };
    using enum eMaskAddType;
    const SCase cases[] = {
        {"fill", tskSeedFill, false, 0, false, "", matNew, matNew},
        {"fill, anti-aliased, composite", tskSeedFill, true, 1, false, "", matNew, matNew},
        {"erase", tskSeedErase, false, 1, false, "", matNew, matNew},
        {"erase, anti-aliased", tskSeedErase, true, 0, false, "", matNew, matNew},
        {"wand, new", tskMagicWand, true, 0, false, "", matNew, matAdd},
        {"wand, Shift adds", tskMagicWand, false, 1, false, "shift", matAdd, matNew},
        {"wand, Alt subtracts", tskMagicWand, true, 1, false, "alt", matSub, matNew},
        {"wand, both intersect", tskMagicWand, false, 1, false, "shift alt", matAnd, matNew},
        {"older: Ctrl subtracts", tskMagicWand, false, 1, true, "ctrl", matSub, matNew},
        {"older: Shift and Ctrl", tskMagicWand, true, 1, true, "shift ctrl", matAnd, matAdd},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        // Fills and the wand inside the box above the orange block; erasing, the white of
        // the paper's layer left of the wall (so that its edge shows the anti-aliasing).
        const bool erase = c.kind == tskSeedErase;
        const sPos at = erase ? sPos{5, 5} : sPos{44, 12};
        prof().UseOldShortCut = c.oldScheme;
        const bool wand = c.kind == tskMagicWand;
        // The other tool's switch is set the other way: each tool reads its own.
        prof().fillAntiAlias = wand ? !c.anti : c.anti;
        prof().wandAntiAlias = wand ? c.anti : !c.anti;
        prof().fillTarget = prof().wandTarget = c.target;
        // The wand's combinations need a selection to combine with: the top right, across the
        // box's top.
        const auto start = [&](TDrawWindow &w, uint32_t seed) {
            return seedStart(w, seed) &&
                   (!wand ||
                    eventSelectRect(*w.paper, w.flow(), 1, {30, 0}, {59, 20}, matNew, false)) &&
                   (!erase || EventLayerActive(*w.paper, w.flow(), 0, true));
        };
        const auto direct = [&](TDrawWindow &w, bool anti, eMaskAddType mat) {
            makeCurrent(w);
            TPaper &p = *w.paper;
            const int32_t idx = p.ActiveLayer();
            if (wand)
                return eventMagicWand(p, w.flow(), idx, at, mat, anti, true);
            return eventSeedFill(p, w.flow(), idx, at, anti, erase, true);
        };
        std::unique_ptr<TDrawWindow> byTool = window_live_replay::makeWindow(start, 1);
        std::unique_ptr<TDrawWindow> expected = window_live_replay::makeWindow(start, 1);
        std::unique_ptr<TDrawWindow> otherAnti = window_live_replay::makeWindow(start, 1);
        std::unique_ptr<TDrawWindow> otherMat = window_live_replay::makeWindow(start, 1);
        ASSERT_TRUE(byTool && expected && otherAnti && otherMat);
        const std::vector<int64_t> before = documentBytes(*byTool->paper);
        ASSERT_TRUE(direct(*expected, c.anti, c.mat));
        ASSERT_TRUE(direct(*otherAnti, !c.anti, c.mat));
        if (wand) {
            ASSERT_TRUE(direct(*otherMat, c.anti, c.otherMat));
        }
        makeCurrent(*byTool);
        ASSERT_TRUE(run(*byTool, QStringLiteral("tool %1\n").arg(int(c.kind)) +
                                     clickAt(*byTool, at, c.mods)));
        EXPECT_NE(documentBytes(*byTool->paper), before);
        EXPECT_EQ(documentDifference(*byTool, *expected), "");
        EXPECT_NE(documentDifference(*byTool, *otherAnti), "");
        if (wand) {
            EXPECT_NE(documentDifference(*byTool, *otherMat), "");
        }
        EXPECT_TRUE(byTool->m_bModified);
    }
}

TEST_F(SeedToolFill, OutsideThePaperNothingIsRecordedAndOnlyAChangeMarks)
{
    // The selection made below follows the walls of the composite.
    prof().wandTarget = 1;
    for (bool moved : {false, true}) {
        SCOPED_TRACE(moved ? "a moved layer" : "the paper's layer");
        std::unique_ptr<TDrawWindow> w = recordingWindow(moved ? movedStart : seedStart);
        ASSERT_TRUE(w);
        const CEventMngr &ev = w->paper->eventMngr();
        const std::vector<int64_t> before = documentBytes(*w->paper);
        // Left of and above the paper (the moved layer's image reaches there), and right of it.
        for (TToolSubKind kind : {tskSeedFill, tskSeedErase, tskMagicWand})
            for (sPos canvas : {sPos{-2, 5}, sPos{10, -1}, sPos{kCanvas.x, 5}}) {
                ASSERT_TRUE(
                    run(*w, QStringLiteral("tool %1\n").arg(int(kind)) + clickAt(*w, canvas)));
            }
        EXPECT_EQ(ev.eventCnt, 0u);
        EXPECT_EQ(documentBytes(*w->paper), before);
        EXPECT_FALSE(w->m_bModified);
        // A mark made before stays.
        w->m_bModified = true;
        ASSERT_TRUE(run(*w, QStringLiteral("tool SeedFill\n") + clickAt(*w, {-2, 5})));
        EXPECT_TRUE(w->m_bModified);

        // A click the operation refuses (its point outside the selection) does not mark.
        w->m_bModified = false;
        ASSERT_TRUE(eventMagicWand(*w->paper, w->flow(), w->paper->ActiveLayer(),
                                   {5 + (moved ? kMovedBy.x : 0), 5 + (moved ? kMovedBy.y : 0)},
                                   eMaskAddType::matNew, false, false));
        const uint32_t events = ev.eventCnt;
        ASSERT_TRUE(run(*w, QStringLiteral("tool SeedFill\n") + clickAt(*w, {28, 5})));
        EXPECT_EQ(ev.eventCnt, events);
        EXPECT_FALSE(w->m_bModified);
        // A success records one event and marks.
        ASSERT_TRUE(run(*w, clickAt(*w, {5, 30})));
        EXPECT_EQ(ev.eventCnt, events + 1);
        EXPECT_TRUE(w->m_bModified);
    }
}

TEST_F(SeedToolFill, OnAMovedLayerTheClickedPixelIsFilled)
{
    std::unique_ptr<TDrawWindow> w = recordingWindow(movedStart);
    ASSERT_TRUE(w);
    const CBlockVMTC *img = w->paper->getLayerData(2)->imageTC.get();
    // Canvas (26, 10), right of the layer's wall, is layer pixel (32, 14); layer pixel (26, 10)
    // lies left of the wall.
    ASSERT_EQ(img->getColor(32, 14) >> 24, 0u);
    ASSERT_TRUE(run(*w, QStringLiteral("tool SeedFill\n") + clickAt(*w, {26, 10})));
    img = w->paper->getLayerData(2)->imageTC.get();
    EXPECT_EQ(img->getColor(32, 14), 0xFF000000u | kFillColour);
    EXPECT_EQ(img->getColor(20, 14) >> 24, 0u);
    // Off the paper the layer keeps its pixels.
    EXPECT_EQ(img->getColor(68, 14) >> 24, 0u);
    EXPECT_EQ(img->getColor(40, 2) >> 24, 0u);
}

struct SeedToolLiveReplay : SeedToolBase
{
};

TEST_F(SeedToolLiveReplay, FillAndEraseForEveryTargetWithAndWithoutAntiAliasing)
{
    for (bool moved : {false, true})
        for (bool anti : {false, true})
            for (int32_t target : {0, 1}) {
                SCOPED_TRACE(std::string(moved ? "moved" : "plain") + (anti ? ", anti" : "") +
                             ", target " + std::to_string(target));
                prof().fillAntiAlias = anti;
                prof().fillTarget = target;
                const WindowSetup setup = moved ? WindowSetup(movedStart) : WindowSetup(seedStart);
                std::unique_ptr<TDrawWindow> probe = window_live_replay::makeWindow(setup, 1);
                ASSERT_TRUE(probe);
                const QString script = QStringLiteral("tool SeedFill\n") +
                                       clickAt(*probe, {10, 10}) + clickAt(*probe, {44, 12}) +
                                       QStringLiteral("tool SeedErase\n") +
                                       clickAt(*probe, {26, 34}) + QStringLiteral("undo\nredo\n");
                probe.reset();
                expectLiveReplayAndUndoRedo(setup, script);
            }
}

TEST_F(SeedToolLiveReplay, TheWandsFourCombinationsInBothSchemes)
{
    for (bool oldScheme : {false, true})
        for (bool anti : {false, true}) {
            SCOPED_TRACE(std::string(oldScheme ? "older scheme" : "current scheme") +
                         (anti ? ", anti" : ""));
            prof().UseOldShortCut = oldScheme;
            prof().wandAntiAlias = anti;
            prof().wandTarget = oldScheme ? 1 : 0;
            std::unique_ptr<TDrawWindow> probe = window_live_replay::makeWindow(seedStart, 1);
            ASSERT_TRUE(probe);
            const char *sub = oldScheme ? "ctrl" : "alt";
            const std::string both = std::string("shift ") + sub;
            const QString script = QStringLiteral("tool MagicWand\n") + clickAt(*probe, {5, 5}) +
                                   clickAt(*probe, {44, 12}, "shift") +
                                   clickAt(*probe, {5, 5}, sub) +
                                   clickAt(*probe, {40, 20}, both.c_str()) +
                                   clickAt(*probe, {26, 5}, "shift") + QStringLiteral("undo\n");
            probe.reset();
            expectLiveReplayAndUndoRedo(seedStart, script);
        }
}

TEST_F(SeedToolLiveReplay, APickThenAFillInThePickedColour)
{
    std::unique_ptr<TDrawWindow> probe = window_live_replay::makeWindow(seedStart, 1);
    ASSERT_TRUE(probe);
    // The orange block's colour, then a fill left of the wall.
    const QString script = QStringLiteral("tool SpuitForeground\n") + clickAt(*probe, {40, 20}) +
                           QStringLiteral("tool SeedFill\n") + clickAt(*probe, {5, 5});
    probe.reset();
    expectLiveReplayAndUndoRedo(seedStart, script);
    std::unique_ptr<TDrawWindow> w = recordingWindow(seedStart);
    ASSERT_TRUE(w);
    ASSERT_TRUE(run(*w, script));
    EXPECT_EQ(w->paper->getLayerData(1)->imageTC->getColor(5, 5), 0xFFF08020u);
}

TEST_F(SeedToolLiveReplay, TheMiddleButtonBorrowsTheSeedFillAndTheWand)
{
    std::unique_ptr<TDrawWindow> probe = window_live_replay::makeWindow(seedStart, 1);
    ASSERT_TRUE(probe);
    const sPos a = clientOf(*probe, {5, 5}), b = clientOf(*probe, {44, 12});
    probe.reset();
    for (int32_t func : {7, 10}) {
        SCOPED_TRACE(func);
        prof().mouseMBtnFunc = func;
        const QString script =
            QString::asprintf("press M %d %d\nrelease M %d %d\npress M %d %d\nrelease M %d %d\n",
                              a.x, a.y, a.x, a.y, b.x, b.y, b.x, b.y);
        uint32_t events = 0;
        expectLiveReplayAndUndoRedo(seedStart, script, &events);
        EXPECT_EQ(events, 2u);
        EXPECT_EQ(mainForm().toolForm().FToolSubMode(), tskDrawLocus);
    }
}

TEST_F(SeedToolLiveReplay, ZoomPanRotationAndMirroringBetweenTheEdits)
{
    prof().fillAntiAlias = true;
    std::unique_ptr<TDrawWindow> probe = window_live_replay::makeWindow(seedStart, 1);
    ASSERT_TRUE(probe);
    QString script = QStringLiteral("tool SeedFill\n") + clickAt(*probe, {10, 10});
    probe.reset();
    // Each edit is clicked near the client centre, which stays over the canvas.
    script += QStringLiteral(
        "tool ZoomIn\npress L 100 80\nrelease L 100 80\n"
        "tool GrabberPosition\npress L 100 80\nmove 110 84\nmove 118 86\nrelease L 118 86\n"
        "tool SeedErase\npress L 96 70\nrelease L 96 70\n"
        "rotate 30\n"
        "tool MagicWand\npress L 104 82\nrelease L 104 82\n"
        "tool GrabberRotation\npress L 150 80\nmove 140 110\nrelease L 140 110\n"
        "mirror\n"
        "tool SeedFill\npress L 92 84\nrelease L 92 84\n"
        "tool ZoomOut\npress R 100 80\nrelease R 100 80\n"
        "tool MagicWand\npress L 100 76 shift\nrelease L 100 76\n"
        "undo\nredo\n");
    uint32_t events = 0;
    expectLiveReplayAndUndoRedo(seedStart, script, &events);
    EXPECT_GE(events, 4u);
}

} // namespace
