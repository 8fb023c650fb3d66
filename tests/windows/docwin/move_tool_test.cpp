// The move tool (group 5): layer and selection drags, key moves, the gradient and trimming. A
// drag shows its result live and records nothing until the release, which records one event;
// every gesture's recording replays to the same document, and undo and redo go back and forth.
#include "docwin_fixture.h"
#include "three_layers.h"

#include "document/edit/canvas_ops.h"
#include "document/edit/edit_ops.h"
#include "document/edit/layer_move.h"
#include "document/events/event_manager.h"
#include "document/paper/layer_data.h"
#include "document/selection/figure_fill_ops.h"
#include "document/selection/selection_ops.h"
#include "document/stroke/paper_stroke.h"
#include "document/undo/undo_manager.h"
#include "platform/desktop/keys.h"
#include "support/block_memory.h"
#include "support/window_live_replay.h"
#include "windows/docwin/draw_window_widget.h"
#include "windows/docwin/input_script.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr sSize kCanvas{240, 180};
constexpr sSize kClient{320, 240};

// What a case's document holds besides the three painted layers (layer 1 active).
enum StartFlags : uint8_t
{
    sfPlain = 0,
    sfSelection = 1, // a rectangle (60, 40)-(150, 120) selected
    sfLinks = 2,     // layers 0 and 2 linked to layer 1
};

WindowSetup startWith(uint8_t flags)
{
    return [flags](TDrawWindow &w, uint32_t) {
        if (!window_live_replay::plainStart(w, kCanvas, 3, kClient))
            return false;
        paintThreeLayers(*w.paper);
        if (!setActiveLayer(*w.paper, w.flowImage.get(), 1))
            return false;
        if ((flags & sfLinks) != 0 &&
            !(w.paper->layerMngr().linkLayer(1, 0) && w.paper->layerMngr().linkLayer(1, 2)))
            return false;
        if ((flags & sfSelection) != 0 &&
            !eventSelectRect(*w.paper, w.flowImage.get(), 1, {60, 40}, {150, 120},
                             eMaskAddType::matNew, false))
            return false;
        UpdateVRAM(*w.paper, true, true);
        return true;
    };
}

// One window made by a setup, current and recording, driven by scripts.
struct Session
{
    explicit Session(const WindowSetup &setup)
    {
        w = window_live_replay::makeWindow(setup, 1);
        if (!w)
            return;
        window_live_replay::makeCurrent(*w);
        EXPECT_TRUE(w->paper->eventMngr().startRecording(
            appMainStroke(), appMainToneMngrFor(w->paper.get()), 64, 64));
        EXPECT_TRUE(dispatchUndoCount(*w->paper));
    }
    ~Session()
    {
        setCurrentDrawWindow(nullptr);
        headlessMainForm().active = nullptr;
        mainForm().toolForm().setWindow(nullptr);
        resetKeyState();
    }
    bool run(const QString &script)
    {
        std::vector<SInputStep> steps;
        QString error;
        if (!parseInputScript(script, steps, error)) {
            ADD_FAILURE() << error.toStdString();
            return false;
        }
        return window_live_replay::applyScript(*w, steps);
    }
    uint32_t events() const { return w->paper->eventMngr().eventCnt; }
    CLayerData &layer(int32_t i) const { return *w->paper->getLayerData(i); }
    std::unique_ptr<TDrawWindow> w;
};

struct MoveTool : DocWinFixture
{
    MoveTool()
    {
        prof().undoMax = 100;
        resetKeyState();
        resetEventProcTables();
    }
    ~MoveTool() override
    {
        resetKeyState();
        resetEventProcTables();
    }
    CHeadlessToolForm &tool() { return headlessMainForm().tool; }

    // The document a setup gives after op, for comparing a gesture with the operation it
    // should have recorded.
    static std::string differenceFrom(const Session &s, const WindowSetup &setup,
                                      const std::function<bool(TDrawWindow &)> &op)
    {
        // Making a window starts the input state afresh: the session's tool comes back after.
        const TToolSubKind kind = headlessMainForm().tool.subKind;
        std::unique_ptr<TDrawWindow> ref = window_live_replay::makeWindow(setup, 1);
        headlessMainForm().tool.subKind = kind;
        if (!ref)
            return "no reference window";
        window_live_replay::makeCurrent(*ref);
        if (!op(*ref))
            return "the reference operation failed";
        window_live_replay::makeCurrent(*s.w);
        return window_live_replay::documentDifference(*s.w, *ref);
    }

    // Undo of every recorded step gives the start's document exactly, redo the result's.
    static void expectUndoRedoRoundTrip(const WindowSetup &setup, const QString &script)
    {
        std::unique_ptr<TDrawWindow> fresh, result;
        {
            Session start(setup);
            ASSERT_TRUE(start.w);
            fresh = std::move(start.w);
        }
        {
            Session after(setup);
            ASSERT_TRUE(after.w && after.run(script));
            result = std::move(after.w);
        }
        Session s(setup);
        ASSERT_TRUE(s.w && s.run(script));
        const int32_t steps = s.w->paper->undoMngrEx()->getUndoCnt();
        ASSERT_GT(steps, 0);
        for (int32_t i = 0; i < steps; ++i)
            ASSERT_TRUE(s.w->Undo());
        EXPECT_EQ(window_live_replay::documentDifference(*s.w, *fresh), "") << "after undo";
        for (int32_t i = 0; i < steps; ++i)
            ASSERT_TRUE(s.w->Redo());
        EXPECT_EQ(window_live_replay::documentDifference(*s.w, *result), "") << "after redo";
    }

    LiveReplayApp app;
};

QString lines(std::initializer_list<const char *> l)
{
    QString s;
    for (const char *x : l)
        s += QString::fromUtf8(x) + u'\n';
    return s;
}

// ---------------------------------------------------------------------------------------------
// Live == replay, with undo and redo

struct ReplayCase
{
    const char *name;
    uint8_t start;
    int32_t middleButtonFunc;
    const char *script;
    uint32_t events;
};

const ReplayCase kReplayCases[] = {
    {"layer drag", sfPlain, 0,
     "tool LayerDragMove\npress L 100 100\nmove 120 110\nmove 150 130\nrelease L 150 130\n", 1},
    {"layer drag with Shift at 2:1", sfPlain, 0,
     "zoom 2:1\ntool LayerDragMove\npress L 100 100\nmove 130 110 shift\n"
     "move 160 120 shift\nrelease L 160 120 shift\n",
     1},
    {"linked layers", sfLinks, 0,
     "tool LayerDragMove\npress L 100 100\nmove 70 140\nrelease L 70 140\n", 1},
    {"layer past the left and top edges", sfPlain, 0,
     "tool LayerDragMove\npress L 250 180\nmove 100 100\nmove -30 40\nrelease L -30 40\n", 1},
    {"layer drag at a turned, mirrored view, then a pan", sfLinks, 0,
     "zoom 2:1\nrotate 30\nmirror\ntool LayerDragMove\npress L 150 120\nmove 180 100\n"
     "release L 180 100\nscroll 20 10\npress L 100 100\nmove 90 140\nrelease L 90 140\n",
     2},
    {"selection at 2:1", sfSelection, 0,
     "zoom 2:1\ntool SelectDragMove\npress L 150 120\nmove 171 133\nmove 191 141\n"
     "release L 191 141\n",
     1},
    {"selection at a 90 degree view", sfSelection, 0,
     "rotate 90\ntool SelectDragMove\npress L 150 120\nmove 190 150\nrelease L 190 150\n", 1},
    {"layer with selection and links, Shift", sfSelection | sfLinks, 0,
     "tool LayerDragMoveWithSelection\npress L 120 100\nmove 150 110 shift\n"
     "move 180 125 shift\nrelease L 180 125 shift\n",
     1},
    {"middle button layer move", sfPlain, 3,
     "press M 100 100\nmove 140 120\nrelease M 140 120\n", 1},
    {"key moves", sfPlain, 0,
     "tool LayerDragMove\nkey down Right\nkey up Right\nkey down Shift\nkey down Down\n"
     "key up Down\nkey up Shift\nkey down Enter\nkey up Enter\n",
     1},
    {"key moves of layer and selection", sfSelection | sfLinks, 0,
     "tool LayerDragMoveWithSelection\nkey down Left\nkey up Left\nkey down Up\nkey up Up\n"
     "key down Up\nkey up Up\nkey down Space\nkey up Space\n",
     1},
    {"gradient with Shift", sfPlain, 0,
     "tool Gradient\npress L 80 60\nmove 150 90 shift\nmove 200 100 shift\n"
     "release L 200 100 shift\n",
     1},
    {"gradient set only, then a gradient fill", sfPlain, 0,
     "tool Gradient\npress L 80 60\nmove 200 100\nrelease L 200 100 alt\n"
     "press L 100 180\nmove 250 70\nrelease L 250 70\n",
     1},
    {"middle button gradient", sfPlain, 4,
     "press M 90 80\nmove 160 120\nrelease M 230 170\n", 1},
    {"selection tool's press inside the selection", sfSelection, 0,
     "tool SelectRectangle\npress L 150 120\nmove 170 130\nmove 180 140\nrelease L 180 140\n",
     1},
    {"selection tool's arrow keys", sfSelection, 0,
     "tool SelectRectangle\nkey down Down\nkey up Down\nkey down Right\nkey up Right\n"
     "key down Enter\nkey up Enter\n",
     1},
    {"trim inside", sfPlain, 0, "tool Trim\npress L 80 60\nmove 200 150\nrelease L 200 150\n",
     1},
    {"trim beyond the canvas", sfPlain, 0,
     "tool Trim\npress L 100 80\nmove 310 235\nrelease L 310 235 alt\n", 1},
};

TEST_F(MoveTool, LiveReplayUndoRedoOfEachGesture)
{
    for (const ReplayCase &c : kReplayCases) {
        SCOPED_TRACE(c.name);
        prof().mouseMBtnFunc = c.middleButtonFunc;
        const WindowSetup setup = startWith(c.start);
        const QString script = QString::fromUtf8(c.script);
        uint32_t events = 0;
        expectWindowLiveEqualsReplay(setup, script, 1, &events);
        EXPECT_EQ(events, c.events);
        expectUndoRedoRoundTrip(setup, script);
        // The undo and redo themselves replay too.
        expectWindowLiveEqualsReplay(setup, script + QStringLiteral("undo\nredo\n"));
    }
}

// ---------------------------------------------------------------------------------------------
// Layer drags

TEST_F(MoveTool, ShiftDragAtTwoToOneMovesAlongTheLongerAxisInCanvasPixels)
{
    const WindowSetup setup = startWith(sfPlain);
    Session s(setup);
    ASSERT_TRUE(s.w);
    const sPos start = s.layer(1).viewPos;
    ASSERT_TRUE(s.run(lines({"zoom 2:1", "tool LayerDragMove", "press L 100 100",
                             "move 160 120 shift"})));
    // Live: the layer's view position only, nothing recorded yet.
    EXPECT_EQ(s.layer(1).viewPos, (sPos{start.x - 30, start.y}));
    EXPECT_EQ(s.events(), 0u);
    ASSERT_TRUE(s.run(lines({"release L 160 120 shift"})));
    EXPECT_EQ(s.events(), 1u);
    EXPECT_TRUE(s.w->isModified());
    EXPECT_EQ(differenceFrom(s, setup,
                             [](TDrawWindow &r) {
                                 return eventLayerMove(*r.paper, r.flowImage.get(), 1, 30, 0,
                                                       false);
                             }),
              "");
}

TEST_F(MoveTool, LinkedLayersMoveTogetherLiveAndEscPutsAllBack)
{
    const WindowSetup setup = startWith(sfLinks);
    Session s(setup);
    ASSERT_TRUE(s.w);
    const sPos before[3] = {s.layer(0).viewPos, s.layer(1).viewPos, s.layer(2).viewPos};
    ASSERT_TRUE(s.run(lines({"tool LayerDragMove", "press L 100 100", "move 125 90"})));
    ASSERT_EQ(s.w->layerLinkPosList.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(s.layer(i).viewPos, (sPos{before[i].x - 25, before[i].y + 10})) << i;

    ASSERT_TRUE(s.run(lines({"key down Esc", "key up Esc", "move 160 140", "release L 160 140"})));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(s.layer(i).viewPos, before[i]) << i;
    EXPECT_EQ(s.events(), 0u);
    EXPECT_FALSE(s.w->isModified());
    EXPECT_EQ(differenceFrom(s, setup, [](TDrawWindow &) { return true; }), "");

    // Dragged again to the end: one move of the whole link group.
    ASSERT_TRUE(s.run(lines({"press L 100 100", "move 125 90", "release L 125 90"})));
    EXPECT_EQ(s.events(), 1u);
    EXPECT_EQ(differenceFrom(s, setup,
                             [](TDrawWindow &r) {
                                 return eventLayerMove(*r.paper, r.flowImage.get(), 1, 25, -10,
                                                       false);
                             }),
              "");
}

TEST_F(MoveTool, LastLiveFrameOfADragPastTheLeftEdgeIsTheViewAfterRelease)
{
    Session s(startWith(sfPlain));
    ASSERT_TRUE(s.w);
    ASSERT_TRUE(s.run(lines({"tool LayerDragMove", "press L 200 120", "move 120 120",
                             "move 10 125"})));
    s.w->FormPaint();
    const QImage live = s.w->m_surface.imageView().copy();
    ASSERT_TRUE(s.run(lines({"release L 10 125"})));
    s.w->FormPaint();
    EXPECT_EQ(s.events(), 1u);
    // The layer grew to keep the paper covered.
    EXPECT_GT(s.layer(1).imageTC->width(), kCanvas.x);
    EXPECT_EQ(s.w->m_surface.imageView(), live);
}

TEST_F(MoveTool, OutOfMemoryForTheGrownCopyWarnsAndRecordsNothing)
{
    Session s(startWith(sfLinks));
    ASSERT_TRUE(s.w);
    const sPos before[3] = {s.layer(0).viewPos, s.layer(1).viewPos, s.layer(2).viewPos};
    ASSERT_TRUE(s.run(lines({"tool LayerDragMove", "press L 200 120", "move 20 100"})));
    app.messages.clear();
    {
        ScopedBlockMemoryLimit limit(0);
        ASSERT_TRUE(s.run(lines({"release L 20 100"})));
    }
    // The document's own memory warning comes first.
    ASSERT_FALSE(app.messages.warnings.isEmpty());
    EXPECT_EQ(app.messages.warnings.back(), QStringLiteral("レイヤ移動に失敗しました！"));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(s.layer(i).viewPos, before[i]) << i;
    EXPECT_EQ(s.events(), 0u);
    EXPECT_EQ(s.w->paper->undoMngrEx()->getUndoCnt(), 0);
    EXPECT_FALSE(s.w->isModified());
    EXPECT_FALSE(s.w->drawState.has(BDrawStateBit::stDirty));
}

// ---------------------------------------------------------------------------------------------
// Selection drags

TEST_F(MoveTool, SelectionDragMovesTheMaskByTheCanvasDistance)
{
    struct View
    {
        const char *name;
        const char *steps;
    };
    for (const View &v : {View{"2:1", "zoom 2:1"}, View{"90 degrees", "rotate 90"},
                          View{"2:1 at 90 degrees", "zoom 2:1\nrotate 90"}}) {
        SCOPED_TRACE(v.name);
        Session s(startWith(sfSelection));
        ASSERT_TRUE(s.w);
        ASSERT_TRUE(s.run(QString::fromUtf8(v.steps) + u'\n'));
        const sPos from{150, 120}, to{194, 131};
        sPos a, b;
        s.w->convToCanvasPos(a, from);
        s.w->convToCanvasPos(b, to);
        const sPos mask0 = s.w->paper->getActiveMaskData()->viewPos;
        ASSERT_TRUE(s.run(lines({"tool SelectDragMove", "press L 150 120", "move 194 131",
                                 "release L 194 131"})));
        EXPECT_EQ(s.events(), 1u);
        const sPos mask1 = s.w->paper->getActiveMaskData()->viewPos;
        // The mask moves by the pointer's canvas movement (within the grid's rounding).
        EXPECT_NEAR(mask0.x - mask1.x, b.x - a.x, 1);
        EXPECT_NEAR(mask0.y - mask1.y, b.y - a.y, 1);
        EXPECT_FALSE(mask0 == mask1);
        // The layers stay.
        EXPECT_EQ(s.layer(1).viewPos, (sPos{0, 0}));
    }
}

TEST_F(MoveTool, SelectionToolPressInsideTheSelectionMovesTheMaskOnce)
{
    const WindowSetup setup = startWith(sfSelection);
    Session s(setup);
    ASSERT_TRUE(s.w);
    ASSERT_TRUE(s.run(lines({"tool SelectRectangle", "press L 150 120", "move 180 140"})));
    EXPECT_EQ(tool().subKind, TToolSubKind::tskSelectDragMove);
    ASSERT_TRUE(s.run(lines({"release L 180 140"})));
    EXPECT_EQ(s.events(), 1u);
    EXPECT_EQ(tool().subKind, TToolSubKind::tskSelectRectangle);
    EXPECT_EQ(differenceFrom(s, setup,
                             [](TDrawWindow &r) {
                                 return eventMoveActiveMask(*r.paper, {30, 20}, false);
                             }),
              "");
}

// ---------------------------------------------------------------------------------------------
// Key moves

TEST_F(MoveTool, ArrowShiftArrowEnterRecordOneMoveOfEleven)
{
    const WindowSetup setup = startWith(sfPlain);
    Session s(setup);
    ASSERT_TRUE(s.w);
    ASSERT_TRUE(s.run(lines({"tool LayerDragMove", "key down Right", "key up Right"})));
    EXPECT_TRUE(s.w->isInKeyOnly());
    EXPECT_EQ(tool().subKind, TToolSubKind::tskLayerKeyMove);
    EXPECT_TRUE(tool().moveOKEnabled);
    EXPECT_EQ(main().statusText[int(eStatusItem::stiHint)],
              QStringLiteral("カーソルキー移動モードに入りました"));
    ASSERT_TRUE(s.run(lines({"key down Shift", "key down Right", "key up Right", "key up Shift"})));
    EXPECT_EQ(s.layer(1).viewPos, (sPos{-11, 0}));
    EXPECT_EQ(s.events(), 0u);
    ASSERT_TRUE(s.run(lines({"key down Enter", "key up Enter"})));
    EXPECT_EQ(s.events(), 1u);
    EXPECT_FALSE(s.w->isInKeyOnly());
    EXPECT_EQ(tool().subKind, TToolSubKind::tskLayerDragMove);
    EXPECT_FALSE(tool().moveOKEnabled);
    EXPECT_EQ(main().statusText[int(eStatusItem::stiHint)],
              QStringLiteral("カーソルキー移動モードを終了しました"));
    EXPECT_EQ(differenceFrom(s, setup,
                             [](TDrawWindow &r) {
                                 return eventLayerMove(*r.paper, r.flowImage.get(), 1, 11, 0,
                                                       false);
                             }),
              "");
}

// Every way out of a key move ends it once: the mode cleared before the borrowed sub-kind goes
// back, at most one move recorded.
TEST_F(MoveTool, EachEndingOfAKeyMoveEndsItOnce)
{
    struct Ending
    {
        const char *name;
        const char *script;
        uint32_t events;
        TToolSubKind after;
    };
    const Ending endings[] = {
        {"Enter", "key down Enter\nkey up Enter", 1, TToolSubKind::tskLayerDragMove},
        {"Space", "key down Space\nkey up Space", 1, TToolSubKind::tskLayerDragMove},
        {"right press", "press R 100 100\nrelease R 100 100", 0, TToolSubKind::tskLayerDragMove},
        {"left press", "press L 100 100\nrelease L 100 100", 0, TToolSubKind::tskLayerDragMove},
        {"Esc", "key down Esc\nkey up Esc", 0, TToolSubKind::tskLayerDragMove},
        {"tool switch", "tool Gradient", 1, TToolSubKind::tskGradient},
        {"deactivation", "deactivate", 1, TToolSubKind::tskLayerDragMove},
    };
    for (const Ending &e : endings) {
        SCOPED_TRACE(e.name);
        Session s(startWith(sfPlain));
        ASSERT_TRUE(s.w);
        ASSERT_TRUE(s.run(lines({"tool LayerDragMove", "key down Left", "key up Left",
                                 "key down Down", "key up Down"})));
        ASSERT_TRUE(s.w->isInKeyOnly());
        ASSERT_TRUE(s.run(QString::fromUtf8(e.script) + u'\n'));
        EXPECT_EQ(s.events(), e.events);
        EXPECT_FALSE(s.w->isInKeyOnly());
        EXPECT_FALSE(s.w->isToolHooked());
        EXPECT_EQ(tool().subKind, e.after);
        EXPECT_FALSE(tool().moveOKEnabled);
        EXPECT_EQ(differenceFrom(s, startWith(sfPlain),
                                 [&](TDrawWindow &r) {
                                     return e.events == 0 || eventLayerMove(*r.paper,
                                                                            r.flowImage.get(), 1,
                                                                            -1, 1, false);
                                 }),
                  "");
        EXPECT_EQ(s.w->isModified(), e.events != 0);
        // Nothing more happens afterwards: another forced end finds no key move.
        s.w->stopCurrentEvent();
        EXPECT_EQ(s.events(), e.events);
    }
}

// The right button picks a colour with a drag move; in a key move it ends the move instead.
TEST_F(MoveTool, RightPressPicksOutsideAKeyMoveOnly)
{
    prof().useRBtnPicker = true;
    Session s(startWith(sfPlain));
    ASSERT_TRUE(s.w);
    const auto picks = [&] {
        return std::count_if(tool().calls.begin(), tool().calls.end(), [](const std::string &c) {
            return c.rfind("setForegroundColor", 0) == 0;
        });
    };
    ASSERT_TRUE(s.run(lines({"tool LayerDragMove"})));
    tool().calls.clear();
    ASSERT_TRUE(s.run(lines({"press R 100 100", "release R 100 100"})));
    EXPECT_EQ(picks(), 1);
    ASSERT_TRUE(s.run(lines({"key down Left", "key up Left"})));
    tool().calls.clear();
    ASSERT_TRUE(s.run(lines({"press R 100 100", "release R 100 100"})));
    EXPECT_EQ(picks(), 0);
    EXPECT_FALSE(s.w->isInKeyOnly());
    EXPECT_EQ(s.events(), 0u);
}

TEST_F(MoveTool, ArrowThenEscRecordsNothing)
{
    const WindowSetup setup = startWith(sfSelection);
    Session s(setup);
    ASSERT_TRUE(s.w);
    ASSERT_TRUE(s.run(lines({"tool LayerDragMoveWithSelection", "key down Up", "key up Up"})));
    EXPECT_EQ(s.layer(1).viewPos, (sPos{0, 1}));
    ASSERT_TRUE(s.run(lines({"key down Esc", "key up Esc"})));
    EXPECT_EQ(s.events(), 0u);
    EXPECT_EQ(differenceFrom(s, setup, [](TDrawWindow &) { return true; }), "");
}

// ---------------------------------------------------------------------------------------------
// Gradient

double gradientAngle(const TPaper &paper)
{
    sFXPos p0, p1;
    getGradationFX(paper, p0, p1);
    return std::atan2(double(p1.y) - double(p0.y), double(p1.x) - double(p0.x)) * 180 / M_PI;
}

TEST_F(MoveTool, GradientShiftSnapsAltSetsTheLineOnlyAndAStillClickKeepsTheMark)
{
    const WindowSetup setup = startWith(sfPlain);
    {
        SCOPED_TRACE("Shift");
        Session s(setup);
        ASSERT_TRUE(s.w);
        ASSERT_TRUE(s.run(lines({"tool Gradient", "press L 80 60", "move 200 97 shift",
                                 "release L 200 97 shift"})));
        EXPECT_EQ(s.events(), 1u);
        const double a = gradientAngle(*s.w->paper);
        EXPECT_NEAR(a, 15.0 * std::round(a / 15.0), 0.5) << a;
        EXPECT_NEAR(std::fabs(a), 15.0, 0.5) << a;
    }
    {
        SCOPED_TRACE("Alt");
        Session s(setup);
        ASSERT_TRUE(s.w);
        ASSERT_TRUE(s.run(lines({"tool Gradient", "press L 80 60", "move 200 100",
                                 "release L 200 100 alt"})));
        // The line is set, nothing is recorded and the layers are untouched.
        EXPECT_EQ(s.events(), 0u);
        EXPECT_FALSE(s.w->isModified());
        EXPECT_EQ(differenceFrom(s, setup, [](TDrawWindow &) { return true; }), "");
        EXPECT_NEAR(gradientAngle(*s.w->paper),
                    std::atan2(40.0, 120.0) * 180 / M_PI, 0.5);
    }
    {
        SCOPED_TRACE("still click");
        Session s(setup);
        ASSERT_TRUE(s.w);
        ASSERT_TRUE(s.run(lines({"tool Gradient", "press L 80 60", "release L 80 60"})));
        EXPECT_EQ(s.events(), 0u);
        EXPECT_FALSE(s.w->isModified());
        s.w->setModifiedFlag(true);
        ASSERT_TRUE(s.run(lines({"press L 80 60", "release L 80 60"})));
        EXPECT_TRUE(s.w->isModified());
    }
}

// ---------------------------------------------------------------------------------------------
// Trim

TEST_F(MoveTool, TrimCropsTheBoxItsBandShows)
{
    // 1:1, the canvas at client (39, 29): the press is canvas (81, 31).
    struct TrimCase
    {
        const char *name;
        const char *release;
        std::initializer_list<const char *> held;
        sSize size;
    };
    const TrimCase cases[] = {
        {"inside", "release L 200 150", {}, {80, 90}},
        {"across the right edge, clipped", "release L 310 130", {}, {159, 70}},
        {"across the right edge with Alt", "release L 310 130 alt", {}, {190, 70}},
        {"aspect key: a square", "release L 200 130", {"key down Shift"}, {80, 80}},
        {"centre key: the press in the middle", "release L 200 130", {"key down Ctrl"},
         {160, 101}},
    };
    for (const TrimCase &c : cases) {
        SCOPED_TRACE(c.name);
        Session s(startWith(sfPlain));
        ASSERT_TRUE(s.w);
        ASSERT_TRUE(s.run(lines({"tool Trim"})));
        for (const char *k : c.held)
            ASSERT_TRUE(s.run(QString::fromUtf8(k) + u'\n'));
        ASSERT_TRUE(s.run(lines({"press L 120 60", "move 160 100"})));
        ASSERT_TRUE(s.run(QString::fromUtf8(c.release) + u'\n'));
        resetKeyState();
        EXPECT_EQ(s.events(), 1u);
        EXPECT_EQ(s.w->paper->m_paperSize, c.size);
    }
}

TEST_F(MoveTool, TrimEntirelyOutsideTheCanvasRecordsNothing)
{
    Session s(startWith(sfPlain));
    ASSERT_TRUE(s.w);
    ASSERT_TRUE(s.run(lines({"tool Trim", "press L 285 10", "move 300 20", "release L 310 25"})));
    EXPECT_EQ(s.events(), 0u);
    EXPECT_EQ(s.w->paper->m_paperSize, kCanvas);
    EXPECT_FALSE(s.w->isModified());
}

// ---------------------------------------------------------------------------------------------
// Rubber bands

TEST_F(MoveTool, TrimBandAlternatesBlackAndWhiteOnlyInsideTheCanvas)
{
    Session s(startWith(sfPlain));
    ASSERT_TRUE(s.w);
    // From canvas (81, 31) past the right edge (client 279).
    ASSERT_TRUE(s.run(lines({"tool Trim", "press L 120 60", "move 200 100", "move 310 130"})));
    s.w->FormPaint();
    const QImage surface = s.w->m_surface.imageView();
    const int32_t top = s.w->posList[0].y;
    ASSERT_EQ(s.w->posNum, 4);
    int black = 0, white = 0, switches = 0;
    QRgb last = 0;
    for (int x = 125; x < 275; ++x) {
        const QRgb c = surface.pixel(x, top) & 0xFFFFFF;
        black += c == 0;
        white += c == 0xFFFFFF;
        switches += x > 125 && c != last;
        last = c;
    }
    EXPECT_EQ(black + white, 150);
    EXPECT_GT(switches, 140);
    // Beyond the canvas the margin shows, untouched by the band.
    for (int x = 285; x < 305; ++x)
        EXPECT_EQ(surface.pixel(x, top), surface.pixel(x, top + 30)) << x;
    ASSERT_TRUE(s.run(lines({"release L 310 130"})));
    EXPECT_FALSE(s.w->hasPosList());
}

TEST_F(MoveTool, GradientBandFollowsThePointer)
{
    Session s(startWith(sfPlain));
    ASSERT_TRUE(s.w);
    ASSERT_TRUE(s.run(lines({"tool Gradient", "press L 100 100", "move 200 100"})));
    s.w->FormPaint();
    const QImage surface = s.w->m_surface.imageView();
    int black = 0, white = 0;
    for (int x = 101; x < 199; ++x) {
        const QRgb c = surface.pixel(x, 100) & 0xFFFFFF;
        black += c == 0;
        white += c == 0xFFFFFF;
    }
    EXPECT_EQ(black, 49);
    EXPECT_EQ(white, 49);
    // Esc ends the drag: no band, nothing recorded.
    ASSERT_TRUE(s.run(lines({"key down Esc", "key up Esc", "release L 200 100"})));
    EXPECT_FALSE(s.w->hasPosList());
    EXPECT_EQ(s.events(), 0u);
}

// ---------------------------------------------------------------------------------------------
// The widget

TEST_F(MoveTool, WidgetShowsTheLayerMovingBeforeTheReleaseAndShiftConstrains)
{
    QMdiArea area;
    area.resize(700, 500);
    area.show();
    std::unique_ptr<TDrawWindow> made = window_live_replay::makeWindow(startWith(sfPlain), 1);
    ASSERT_TRUE(made);
    CDrawWindowWidget *widget = CDrawWindowWidget::openIn(area, std::move(made));
    area.setActiveSubWindow(widget->subWindow());
    QCoreApplication::processEvents();
    TDrawWindow &w = widget->window();
    window_live_replay::makeCurrent(w);
    ASSERT_TRUE(w.paper->eventMngr().startRecording(
        appMainStroke(), appMainToneMngrFor(w.paper.get()), 64, 64));
    ASSERT_TRUE(dispatchUndoCount(*w.paper));
    tool().ChangeToolSubMode(TToolSubKind::tskLayerDragMove, true);
    const auto shown = [&] {
        QCoreApplication::processEvents();
        return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    const auto moveTo = [&](QPoint p, Qt::KeyboardModifiers mods) {
        QMouseEvent e(QEvent::MouseMove, p, widget->mapToGlobal(p), Qt::NoButton,
                      Qt::LeftButton, mods);
        QCoreApplication::sendEvent(widget, &e);
    };
    const CLayerData &ld = *w.paper->getLayerData(1);
    const sPos start = ld.viewPos;

    const QImage before = shown();
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, QPoint(150, 120));
    moveTo(QPoint(170, 124), Qt::NoModifier);
    moveTo(QPoint(190, 128), Qt::NoModifier);
    const QImage during = shown();
    EXPECT_EQ(ld.viewPos, (sPos{start.x - 40, start.y - 8}));
    EXPECT_NE(during, before);
    EXPECT_EQ(w.paper->eventMngr().eventCnt, 0u);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, QPoint(190, 128));
    EXPECT_EQ(w.paper->eventMngr().eventCnt, 1u);
    // The release shows what the last live frame showed.
    EXPECT_EQ(shown(), during);

    // Shift held through the drag keeps it on the longer axis.
    ASSERT_TRUE(w.Undo());
    const sPos back = w.paper->getLayerData(1)->viewPos;
    const uint32_t recorded = w.paper->eventMngr().eventCnt;
    QTest::mousePress(widget, Qt::LeftButton, Qt::ShiftModifier, QPoint(150, 120));
    moveTo(QPoint(160, 150), Qt::ShiftModifier);
    EXPECT_EQ(w.paper->getLayerData(1)->viewPos, (sPos{back.x, back.y - 30}));
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::ShiftModifier, QPoint(160, 150));
    EXPECT_EQ(w.paper->eventMngr().eventCnt, recorded + 1);
    EXPECT_EQ(w.paper->getLayerData(1)->viewPos.x, back.x);
    setCurrentDrawWindow(nullptr);
    headlessMainForm().active = nullptr;
    tool().setWindow(nullptr);
}

} // namespace
