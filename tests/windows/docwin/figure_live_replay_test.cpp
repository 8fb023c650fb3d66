// Live == replay for the figure, fill and selection tools: each gesture, made through the
// window's input, rebuilds the same document when its recording is replayed, and its undo and
// redo give back the start and the result.
#include "docwin_fixture.h"

#include "paint/brush/pen_records.h"
#include "platform/desktop/keys.h"
#include "support/window_live_replay.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

constexpr sSize kCanvas{240, 180};
constexpr sSize kClient{320, 240};

struct FigureLiveReplay : DocWinFixture
{
    FigureLiveReplay()
    {
        prof().undoMax = 100;
        prof().useAutoScroll = true;
        prof().DrawToolMode = true;
        brush(1);
    }
    ~FigureLiveReplay() override
    {
        resetKeyState();
        prof().fillCenter = prof().fillAspectRock = false;
        prof().selectCenter = prof().selectAspectRock = false;
        prof().UseOldShortCut = false;
        prof().mouseMBtnFunc = 0;
    }
    // A brush that differs from seed to seed: width, colour and the pen of the newer engines.
    void brush(uint32_t seed)
    {
        std::mt19937 rng(seed);
        TStroke &st = app.stroke;
        st.SetDrawMode(TDrawMode::DM_PEN);
        st.SetDrawColor(0xFF000000u | (rng() & 0xFFFFFFu));
        st.SetPenWidth(float(2 + rng() % 12));
        st.SetPenIfSize(rng() % 2 == 0);
        st.SetPenIfTrans(rng() % 2 == 0);
        SPenParam prm;
        initPenParam(prm, float(1 + rng() % 8));
        app.render4.changePenParam(prm);
        app.render5.changePenParam(prm);
    }
    LiveReplayApp app;
};

bool start(TDrawWindow &w, uint32_t)
{
    return window_live_replay::plainStart(w, kCanvas, 2, kClient);
}

QString lines(std::initializer_list<const char *> ls)
{
    QString s;
    for (const char *l : ls)
        s += QString::fromUtf8(l) + u'\n';
    return s;
}

// The gestures of each figure (client pixels; the canvas lies at (40, 30) at 1:1).
struct SGesture
{
    const char *tool;
    const char *steps;
};
const SGesture kFigures[] = {
    {"DrawRectangle", "press L 80 80\nmove 120 100\nmove 150 130\nrelease L 150 130\n"},
    {"DrawEllipse", "press L 80 80\nmove 120 100\nmove 170 140\nrelease L 170 140\n"},
    {"DrawLine", "press L 80 80\nmove 120 90\nmove 200 103\nrelease L 200 103\n"},
    {"DrawPolygon", "press L 80 80\nrelease L 80 80\npress L 150 80\nrelease L 150 80\n"
                    "press L 150 140\nrelease L 150 140\nmove 100 150\n"
                    "press L 100 150 double\n"},
    {"DrawMultiLine", "press L 80 80\nrelease L 80 80\npress L 150 90\nrelease L 150 90\n"
                      "press L 120 150\nrelease L 120 150\nmove 200 160\nkey down Space\n"
                      "key up Space\n"},
    {"DrawCurve", "press L 80 80\nmove 120 80\nmove 180 90\nrelease L 180 90\nmove 130 150\n"
                  "press L 130 150\nrelease L 130 150\n"},
};

// The start at a paint level (set up, not recorded: undo and redo cover the figure only).
WindowSetup startAt(ePaintLevel level)
{
    return [level](TDrawWindow &w, uint32_t seed) {
        return start(w, seed) && w.switchPaintLevel(level);
    };
}

TEST_F(FigureLiveReplay, SixFiguresAtEachLevelWithKeysUnderTurnedViewsUndoRedo)
{
    const char *views[] = {"", "zoom 2:1\nrotate 30\nmirror\n"};
    const char *keys[] = {"", "key down Shift\n", "key down Ctrl\n"};
    uint32_t seed = 0;
    for (ePaintLevel level : {ePaintLevel::PAINT_LEVEL_qZ5, ePaintLevel::PAINT_LEVEL_qZ4,
                              ePaintLevel::PAINT_LEVEL_qZ2})
        for (const char *view : views)
            for (const SGesture &g : kFigures) {
                ++seed;
                SCOPED_TRACE(std::string("level ") + std::to_string(int(level)) + " " + view +
                             g.tool);
                brush(seed);
                const char *held = keys[seed % 3];
                QString script = QString::fromUtf8(view) +
                                 QStringLiteral("tool %1\n").arg(QLatin1String(g.tool)) +
                                 QString::fromUtf8(held) + QString::fromUtf8(g.steps);
                uint32_t events = 0;
                expectWindowLiveEqualsReplay(startAt(level), script, seed, &events, true);
                EXPECT_GE(events, 1u);
                resetKeyState();
            }
}

const SGesture kShapes[] = {
    {"Rectangle", "press L 80 80\nmove 120 100\nmove 150 130\nrelease L 150 130\n"},
    {"Ellipse", "press L 80 80\nmove 120 100\nmove 170 140\nrelease L 170 140\n"},
    {"Polygon", "press L 80 80\nrelease L 80 80\npress L 150 80\nrelease L 150 80\n"
                "press L 150 140\nrelease L 150 140\nmove 100 150\npress L 100 150 double\n"},
    {"Lasso", "press L 80 80\nmove 120 70\nmove 160 100\nmove 140 150\nmove 90 130\n"
              "release L 90 130\n"},
};

TEST_F(FigureLiveReplay, FillsWithTheirOptionsUndoRedo)
{
    uint32_t seed = 0;
    for (int options = 0; options < 3; ++options) {
        prof().fillCenter = options == 1;
        prof().fillAspectRock = options == 2;
        for (const SGesture &g : kShapes) {
            SCOPED_TRACE(std::string(g.tool) + " options " + std::to_string(options));
            const QString script = QStringLiteral("tool Fill%1\n").arg(QLatin1String(g.tool)) +
                                   QString::fromUtf8(g.steps);
            uint32_t events = 0;
            expectWindowLiveEqualsReplay(start, script, ++seed, &events, true);
            EXPECT_EQ(events, 1u);
        }
    }
}

TEST_F(FigureLiveReplay, SelectionsCombinedByTheKeysInBothSchemesUndoRedo)
{
    // The first selection, then the second one combined with it by the keys held.
    const QString first =
        QStringLiteral("tool SelectRectangle\npress L 100 90\nmove 140 120\nrelease L 160 140\n");
    uint32_t seed = 0;
    for (bool old : {false, true}) {
        prof().UseOldShortCut = old;
        const char *switchKey = old ? "Ctrl" : "Alt";
        for (int combo = 0; combo < 4; ++combo)
            for (const SGesture &g : kShapes) {
                SCOPED_TRACE(std::string(g.tool) + (old ? " old" : " new") + " keys " +
                             std::to_string(combo));
                QString keys;
                if (combo & 1)
                    keys += QStringLiteral("key down Shift\n");
                if (combo & 2)
                    keys += QStringLiteral("key down %1\n").arg(QLatin1String(switchKey));
                const bool polygon = std::string(g.tool) == "Polygon";
                // A double click with Ctrl held is a press: that polygon ends by Space (with
                // Alt held Space is a system key, so the others end by a double click).
                const QString steps =
                    polygon && old && (combo & 2) ? lines({"press L 80 80", "release L 80 80", "press L 150 80",
                                     "release L 150 80", "press L 150 140", "release L 150 140",
                                     "move 100 150", "key down Space", "key up Space"})
                            : QString::fromUtf8(g.steps);
                const QString script = first + keys +
                                       QStringLiteral("tool Select%1\n").arg(QLatin1String(g.tool)) +
                                       steps;
                uint32_t events = 0;
                expectWindowLiveEqualsReplay(start, script, ++seed, &events, true);
                // A polygon's first click outside the selection, without a combining key,
                // clears it first.
                EXPECT_EQ(events, polygon && combo == 0 ? 3u : 2u);
                resetKeyState();
            }
    }
}

TEST_F(FigureLiveReplay, SelectionOptionsAndTheClearingClickUndoRedo)
{
    uint32_t seed = 0;
    for (int options = 1; options < 3; ++options) {
        prof().selectCenter = options == 1;
        prof().selectAspectRock = options == 2;
        for (const SGesture &g : kShapes) {
            SCOPED_TRACE(std::string(g.tool) + " options " + std::to_string(options));
            const QString script = QStringLiteral("tool Select%1\n").arg(QLatin1String(g.tool)) +
                                   QString::fromUtf8(g.steps);
            expectWindowLiveEqualsReplay(start, script, ++seed, nullptr, true);
        }
    }
    prof().selectCenter = prof().selectAspectRock = false;
    // A click outside the selection clears it: one event more.
    uint32_t events = 0;
    expectWindowLiveEqualsReplay(
        start,
        QStringLiteral("tool SelectRectangle\npress L 100 90\nmove 140 120\nrelease L 160 140\n"
                       "press L 60 60\nrelease L 60 60\n"),
        1, &events, true);
    EXPECT_EQ(events, 2u);
}

TEST_F(FigureLiveReplay, SnappedFigureFillAndStrokeUndoRedo)
{
    // The grid is the view's, set up in every window; snapping is the live window's input.
    prof().gridSize = {16, 16};
    const auto gridStart = [](TDrawWindow &w, uint32_t seed) {
        if (!start(w, seed))
            return false;
        w.paper->SetGrid(true, 16, 16, false);
        return true;
    };
    const QString grid = QStringLiteral("snap on\n");
    const QString scripts[] = {
        grid + QStringLiteral("tool DrawRectangle\n") + QString::fromUtf8(kFigures[0].steps),
        grid + QStringLiteral("tool FillRectangle\n") + QString::fromUtf8(kShapes[0].steps),
        grid + QStringLiteral("tool DrawLocus\npress L 83 75\nmove 90 100\nmove 97 130\n"
                              "release L 101 150\n"),
    };
    uint32_t seed = 0;
    for (const QString &s : scripts) {
        uint32_t events = 0;
        expectWindowLiveEqualsReplay(gridStart, s, ++seed, &events, true);
        EXPECT_EQ(events, 1u);
    }
}

TEST_F(FigureLiveReplay, PolygonAcrossAScrollUndoRedo)
{
    // A canvas larger than the window, scrolled by its bars and by auto-scroll ticks mid-figure.
    const auto big = [](TDrawWindow &w, uint32_t) {
        return window_live_replay::plainStart(w, {600, 500}, 1, kClient);
    };
    for (const char *tool : {"DrawPolygon", "FillPolygon", "SelectPolygon"}) {
        SCOPED_TRACE(tool);
        const QString script =
            QStringLiteral("tool %1\n").arg(QLatin1String(tool)) +
            lines({"press L 60 60", "release L 60 60", "press L 200 70", "release L 200 70",
                   "hscroll track 60", "vscroll track 40", "move 330 120", "tick", "tick",
                   "press L 150 200", "release L 150 200", "move 100 180",
                   "press L 100 180 double"});
        uint32_t events = 0;
        expectWindowLiveEqualsReplay(big, script, 1, &events, true);
        EXPECT_EQ(events, 1u);
    }
}

TEST_F(FigureLiveReplay, MiddleButtonFillAndLassoRecordOneEventEach)
{
    struct Case
    {
        int32_t func;
        const char *steps;
    };
    const Case cases[] = {
        {5, "press M 80 80\nmove 120 100 \nrelease M 150 130\n"},
        {9, "press M 80 80\nmove 120 70\nmove 160 100\nmove 140 150\nrelease M 90 130\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.func);
        prof().mouseMBtnFunc = c.func;
        uint32_t events = 0;
        expectWindowLiveEqualsReplay(start, QString::fromUtf8(c.steps), 1, &events, true);
        EXPECT_EQ(events, 1u);
    }
}

} // namespace
