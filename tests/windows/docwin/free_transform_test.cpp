// The free transform in the document window: starting it lends the transform's sub-kind and
// ending it gives the former one back; the cursor shows the handle under the pointer as it points
// on the screen; Space, the arrow keys, Enter and Esc; the end question on closing and another
// window's activation; and transforms dragged live rebuild the same document when replayed, undo
// to the start's exact pixels and redo to the result's.
#include "input_fixture.h"

#include "core/mask/mask_manager.h"
#include "document/edit/edit_ops.h"
#include "document/events/event_manager.h"
#include "document/events/event_replay.h"
#include "document/paper/layer_data.h"
#include "document/transform/select_transform.h"
#include "document/view/view_geometry.h"
#include "platform/system/environment.h"
#include "support/captured_messages.h"
#include "support/window_live_replay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace {

using namespace input_test;
using enum TToolSubKind;

constexpr TShiftState kLeft = TShiftState::ssLeft;
constexpr double kRadian = std::numbers::pi / 180;

uint32_t patternAt(int32_t x, int32_t y)
{
    return 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 4) << 8 |
           uint32_t((x * 7 + y * 13) & 0xFF);
}

// Layer 1 painted over (20, 15)-(80, 60) with a pattern every pixel of which differs from its
// neighbours', so that any misplaced pixel shows.
void paintLayer(TPaper &p)
{
    CLayerData &ld = *p.getLayerData(1);
    for (int32_t y = 15; y < 60; ++y)
        for (int32_t x = 20; x < 80; ++x)
            ld.imageTC->setPixel(x, y, patternAt(x, y));
    ld.imageTC->setupTraceRect();
}

// A selection of (25, 18)-(75, 58) with a soft left column. Its frame leaves room inside for a
// press that reaches no handle: (37, 28).
constexpr sFPos kInside{37, 28};
void selectBox(TPaper &p)
{
    const sSize size = p.m_paperSize;
    auto md = std::make_unique<CMaskData>(0, size.x, size.y);
    for (int32_t y = 18; y < 58; ++y)
        for (int32_t x = 25; x < 75; ++x)
            md->maskTC->setPixel(x, y, x == 25 ? 128 : 255);
    p.maskMngr().deleteAll();
    p.maskMngr().insertAt(0, md);
    p.maskMngr().setCurIndex(0);
    p.bEnbMask = true;
}

// The client pixel that shows a canvas point.
sPos clientOf(const TDrawWindow &w, const sFPos &canvas)
{
    const sFPos c = convToViewPos(*w.paper, canvas);
    return {int32_t(std::lrint(c.x)), int32_t(std::lrint(c.y))};
}

// Every pixel of every layer and the active mask's values over the canvas.
std::vector<uint32_t> snapshot(const TPaper &p)
{
    std::vector<uint32_t> v;
    for (int32_t i = 0; i < p.getLayerCount(); ++i) {
        const CLayerData &ld = *p.getLayerData(i);
        v.push_back(uint32_t(ld.viewPos.x));
        v.push_back(uint32_t(ld.viewPos.y));
        for (int32_t y = 0; y < ld.imageTC->height(); ++y)
            for (int32_t x = 0; x < ld.imageTC->width(); ++x)
                v.push_back(ld.imageTC->getColor(x, y));
    }
    if (const CMaskData *md = p.getActiveMaskData())
        for (int32_t y = 0; y < p.m_paperSize.y; ++y)
            for (int32_t x = 0; x < p.m_paperSize.x; ++x)
                v.push_back(uint32_t(md->getMaskValue(x, y)));
    return v;
}

struct TransformTool : InputFixture
{
    TransformTool()
    {
        initialiseEventReplay();
        prof().undoMax = 100;
        // Two layers, the upper one painted and active.
        w.reset();
        w = makeWindow({200, 100}, 2, {400, 300});
        if (!w)
            return;
        TPaper &p = *w->paper;
        startPaintModeQZ5(p);
        tool().setWindow(w.get());
        w->FormActivate();
        EXPECT_TRUE(EventLayerActive(p, w->flow(), 1, true));
        paintLayer(p);
        selectBox(p);
        UpdateVRAM(p, true, true);
        useTool(tskSeedFill);
    }
    ~TransformTool() override { tool().setWindow(nullptr); }

    TSelectTransform &transformer() { return *w->paper->FFreeTransformer; }
    void record()
    {
        TPaper &p = *w->paper;
        ASSERT_TRUE(p.eventMngr().startRecording(appMainStroke(), appMainToneMngrFor(&p), 64, 64));
        ASSERT_TRUE(dispatchUndoCount(p));
    }
    uint32_t events() const { return w->paper->eventMngr().eventCnt; }
    // The frame turned by deg on the screen (counter-clockwise) about (50, 35), 40 x 25 from the
    // centre to the edges.
    void turnFrame(double deg)
    {
        const double c = std::cos(deg * kRadian), s = std::sin(deg * kRadian);
        const auto at = [&](double u, double v) {
            // Canvas y grows downwards: a turn upward on the screen is negative on the canvas.
            return sFPos{float(50 + u * c + v * s), float(35 - u * s + v * c)};
        };
        transformer().setTransformPoints(at(-40, -25), at(40, -25), at(40, 25), at(-40, 25));
    }
    // Moves the pointer over a canvas point; the cursor it leaves.
    int32_t hover(const sFPos &canvas)
    {
        const sPos c = clientOf(*w, canvas);
        w->FormMouseMove(TShiftState(), c.x, c.y);
        return main().cursors.empty() ? -100 : main().cursors.back();
    }
    // Moves the pointer on the screen to a place at deg (upward positive) and dist client pixels
    // from the centre marker.
    int32_t hoverAround(double deg, double dist)
    {
        const sFPos c = convToViewPos(*w->paper, transformer().getMarkerPoints(kMarkerCentre));
        const int32_t x = int32_t(std::lrint(c.x + dist * std::cos(deg * kRadian)));
        const int32_t y = int32_t(std::lrint(c.y - dist * std::sin(deg * kRadian)));
        w->FormMouseMove(TShiftState(), x, y);
        return main().cursors.back();
    }
    void key(int32_t vk)
    {
        setKeyDown(vk, true);
        w->keyDownMessage(uint32_t(vk), 0);
        setKeyDown(vk, false);
    }
    void drag(const sPos &from, const sPos &to)
    {
        w->FormMouseDown(TMouseButton::mbLeft, kLeft, from.x, from.y);
        for (int i = 1; i <= 4; ++i)
            w->FormMouseMove(kLeft, from.x + (to.x - from.x) * i / 4,
                             from.y + (to.y - from.y) * i / 4);
        w->FormMouseUp(TMouseButton::mbLeft, TShiftState(), to.x, to.y);
    }
};

TEST_F(TransformTool, StartLendsItsSubKindAndTheEndGivesTheFormerBack)
{
    struct SCase
    {
        const char *name;
        bool layer;
        bool apply;
        TToolSubKind lent;
    };
    const SCase cases[] = {
        {"selection applied", false, true, tskTransformSelection},
        {"selection cancelled", false, false, tskTransformSelection},
        {"layer applied", true, true, tskTransformSelectionWithLayer},
        {"layer cancelled", true, false, tskTransformSelectionWithLayer},
    };
    record();
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint32_t> before = snapshot(*w->paper);
        const uint32_t count = events();
        ASSERT_TRUE(c.layer ? w->transformLayer() : w->transformSelect());
        EXPECT_TRUE(w->isFreeTransform());
        EXPECT_EQ(tool().subKind, c.lent);
        EXPECT_EQ(w->eventProcs, &eventProcTable(5));
        // A second start while one runs changes nothing.
        EXPECT_FALSE(w->transformSelect());
        EXPECT_EQ(tool().subKind, c.lent);
        // The bottom-right corner dragged 10 canvas pixels right and down.
        drag(clientOf(*w, {75, 58}), clientOf(*w, {85, 68}));
        EXPECT_EQ(w->transformEnd(c.apply), c.apply);
        EXPECT_FALSE(w->isFreeTransform());
        EXPECT_EQ(tool().subKind, tskSeedFill);
        EXPECT_EQ(w->eventProcs, &eventProcTable(4));
        EXPECT_EQ(events() - count, c.apply ? 1u : 0u);
        EXPECT_EQ(snapshot(*w->paper) == before, !c.apply);
        if (c.apply) {
            ASSERT_TRUE(w->Undo());
        }
        EXPECT_EQ(snapshot(*w->paper), before);
    }
    // Nothing to end.
    EXPECT_FALSE(w->transformEnd(true));
}

TEST_F(TransformTool, ANothingToTransformStartsNothing)
{
    CapturedMessages messages;
    // The bottom layer holds nothing, and there is no selection.
    w->paper->maskMngr().deleteAll();
    ASSERT_TRUE(EventLayerActive(*w->paper, w->flow(), 0, true));
    EXPECT_FALSE(w->transformSelect());
    EXPECT_FALSE(w->transformLayer());
    EXPECT_FALSE(w->isFreeTransform());
    EXPECT_EQ(tool().subKind, tskSeedFill);
    EXPECT_EQ(messages.warnings,
              QStringList{QStringLiteral("レイヤー内に何も含まれていないため変形できません。")});
}

TEST_F(TransformTool, TheCursorOfEachHandleUnrotated)
{
    ASSERT_TRUE(w->transformSelect());
    struct SCase
    {
        const char *name;
        double frame;              // the frame's turn on the screen, degrees
        std::function<int32_t(TransformTool &)> probe;
        int32_t cursor;
    };
    // The right edge's middle handle of the turned frame: its direction to the left one is the
    // frame's turn (and half a turn more).
    const auto rightHandle = [](TransformTool &f) {
        return f.hover(f.transformer().getMarkerPoints(5));
    };
    const SCase cases[] = {
        {"handle at 0", 0, rightHandle, 40},
        {"handle at 30", 30, rightHandle, 41},
        {"handle at 90", 90, rightHandle, 42},
        {"handle at 135", 135, rightHandle, 43},
        {"handle at 200", 200, rightHandle, 40},
        {"the bottom-right corner looks up left", 0,
         [](TransformTool &f) { return f.hover(f.transformer().getMarkerPoints(2)); }, 43},
        {"Ctrl over a handle", 30,
         [](TransformTool &f) {
             f.hold({VK_CONTROL});
             return f.hover(f.transformer().getMarkerPoints(5));
         },
         53},
        {"Ctrl+Shift over a handle resizes", 0,
         [](TransformTool &f) {
             f.hold({VK_CONTROL, VK_SHIFT});
             return f.hover(f.transformer().getMarkerPoints(5));
         },
         40},
        {"the centre marker", 30, [](TransformTool &f) { return f.hover({50, 35}); }, 52},
        {"inside", 0, [](TransformTool &f) { return f.hover({60, 40}); }, 39},
        {"outside at 0", 0, [](TransformTool &f) { return f.hoverAround(0, 80); }, 44},
        {"outside at 50", 0, [](TransformTool &f) { return f.hoverAround(50, 80); }, 45},
        {"outside at 300", 0, [](TransformTool &f) { return f.hoverAround(300, 80); }, 51},
        {"outside a turned frame follows the pointer", 90,
         [](TransformTool &f) { return f.hoverAround(180, 80); }, 48},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        hold({});
        turnFrame(c.frame);
        EXPECT_EQ(c.probe(*this), c.cursor);
    }
}

TEST_F(TransformTool, CursorsFollowTheScreenInATurnedOrMirroredView)
{
    struct SCase
    {
        const char *name;
        float view;   // the view's rotation
        bool mirror;
        double frame; // the frame's turn on the canvas as an unturned view shows it
        int probe;    // a handle, or -1: outside at probeDeg on the screen
        double probeDeg;
        int32_t cursor;
    };
    const SCase cases[] = {
        {"90 view: the right edge's handle is upright", 90, false, 0, 5, 0, 42},
        {"90 view: a corner", 90, false, 0, 2, 0, 41},
        {"90 view: outside to the right", 90, false, 0, -1, 0, 44},
        {"90 view: outside above", 90, false, 0, -1, 90, 46},
        {"30 view: outside below left", 30, false, 0, -1, 225, 49},
        {"mirrored: 30 shows as 150", 0, true, 30, 5, 0, 43},
        {"mirrored: 135 shows as 45", 0, true, 135, 5, 0, 41},
        {"mirrored: upright stays", 0, true, 90, 5, 0, 42},
        {"mirrored: outside to the right", 0, true, 0, -1, 0, 44},
        {"mirrored and turned: outside above", 45, true, 0, -1, 90, 46},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        if (w->paper->bVisReverse != c.mirror)
            w->dispatchReverse(true);
        w->dispatchRotate(c.view, true);
        ASSERT_TRUE(w->transformSelect());
        turnFrame(c.frame);
        const int32_t cursor = c.probe >= 0 ? hover(transformer().getMarkerPoints(c.probe))
                                            : hoverAround(c.probeDeg, 90);
        EXPECT_EQ(cursor, c.cursor);
        EXPECT_FALSE(w->transformEnd(false));
    }
}

TEST_F(TransformTool, SpaceLeavesTheCursorAndThePressBorrowsTheViewMove)
{
    ASSERT_TRUE(w->transformSelect());
    EXPECT_EQ(hover(kInside), kCursorTransformRect);
    const size_t cursorCalls = main().cursors.size();
    hold({VK_SPACE});
    const sPos handle = clientOf(*w, transformer().getMarkerPoints(5));
    w->FormMouseMove(TShiftState(), handle.x, handle.y);
    EXPECT_EQ(main().cursors.size(), cursorCalls);
    EXPECT_EQ(transformer().FMarkerTypeNow, kMarkerInside);
    w->FormMouseDown(TMouseButton::mbLeft, kLeft, handle.x, handle.y);
    EXPECT_EQ(tool().subKind, tskGrabberPosition);
    EXPECT_TRUE(w->isToolHooked());
    w->FormMouseUp(TMouseButton::mbLeft, TShiftState(), handle.x, handle.y);
    EXPECT_EQ(tool().subKind, tskTransformSelection);
    EXPECT_TRUE(w->isFreeTransform());
    // Without Space the handle is found again.
    hold({});
    EXPECT_EQ(hover(transformer().getMarkerPoints(5)), kCursorTransformScale0);
}

TEST_F(TransformTool, EndingWhileAViewMoveIsBorrowedGivesBackTheFormerTool)
{
    ASSERT_TRUE(w->transformSelect());
    hold({VK_SPACE});
    const sPos p = clientOf(*w, kInside);
    w->FormMouseDown(TMouseButton::mbLeft, kLeft, p.x, p.y);
    ASSERT_TRUE(w->isToolHooked());
    key(VK_ESCAPE);
    EXPECT_FALSE(w->isFreeTransform());
    EXPECT_FALSE(w->isToolHooked());
    EXPECT_EQ(tool().subKind, tskSeedFill);
    // The release finds nothing left to give back.
    w->FormMouseUp(TMouseButton::mbLeft, TShiftState(), p.x, p.y);
    EXPECT_EQ(tool().subKind, tskSeedFill);
    EXPECT_EQ(w->eventProcs, &eventProcTable(4));
}

TEST_F(TransformTool, AnArrowMovesTheFrameOneCanvasPixelAtTwoToOne)
{
    w->changeZoom(2, 1, false);
    record();
    ASSERT_TRUE(w->transformSelect());
    const sFPos start = transformer().getMarkerPoints(0);
    const auto moved = [&] {
        const sFPos p = transformer().getMarkerPoints(0);
        return sFPos{p.x - start.x, p.y - start.y};
    };
    key(VK_RIGHT);
    EXPECT_EQ(moved(), (sFPos{1, 0}));
    key(VK_DOWN);
    EXPECT_EQ(moved(), (sFPos{1, 1}));
    // Other keys leave the frame.
    key('A');
    key(VK_HOME);
    EXPECT_EQ(moved(), (sFPos{1, 1}));
    // The focus does not matter: the key reaches the tool once either way.
    w->m_hasFocus = true;
    key(VK_LEFT);
    EXPECT_EQ(moved(), (sFPos{0, 1}));
    key(VK_RETURN);
    ASSERT_FALSE(w->isFreeTransform());
    EXPECT_EQ(events(), 1u);
    // The selection lies one pixel lower, value for value.
    const CMaskData &md = *w->paper->getActiveMaskData();
    sRect r;
    ASSERT_TRUE(md.getMaskEnbRect(r));
    EXPECT_EQ(r, (sRect{25, 19, 75, 59}));
    EXPECT_EQ(md.getMaskValue(25, 19), 128);
    EXPECT_EQ(md.getMaskValue(26, 58), 255);
    EXPECT_EQ(md.getMaskValue(26, 18), 0);
}

TEST_F(TransformTool, EnterAppliesAndEscCancelsBeforeAnyTool)
{
    struct SCase
    {
        const char *name;
        int32_t vk;
        bool midDrag;
        bool focus;
        uint32_t events;
    };
    const SCase cases[] = {
        {"Enter", VK_RETURN, false, false, 1},
        {"Esc", VK_ESCAPE, false, false, 0},
        {"Esc with the focus", VK_ESCAPE, false, true, 0},
        {"Esc in the middle of a drag", VK_ESCAPE, true, false, 0},
        {"Enter in the middle of a drag applies what it shows", VK_RETURN, true, false, 1},
    };
    record();
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint32_t> before = snapshot(*w->paper);
        const uint32_t count = events();
        w->m_hasFocus = c.focus;
        ASSERT_TRUE(w->transformLayer());
        const sPos from = clientOf(*w, kInside), to = clientOf(*w, {49, 34});
        if (c.midDrag) {
            w->FormMouseDown(TMouseButton::mbLeft, kLeft, from.x, from.y);
            w->FormMouseMove(kLeft, to.x, to.y);
        } else {
            drag(from, to);
        }
        key(c.vk);
        EXPECT_FALSE(w->isFreeTransform());
        EXPECT_FALSE(w->drawState.has(BDrawStateBit::stLBtn));
        EXPECT_EQ(tool().subKind, tskSeedFill);
        EXPECT_EQ(events() - count, c.events);
        if (c.events == 0) {
            EXPECT_EQ(snapshot(*w->paper), before);
        } else {
            // The pattern moved by (12, 6) with the selection.
            const CLayerData &ld = *w->paper->getLayerData(1);
            const sPos o = ld.viewPos;
            EXPECT_EQ(ld.imageTC->getColor(40 + 12 + o.x, 30 + 6 + o.y), patternAt(40, 30));
        }
        // A release after the end does nothing more.
        w->FormMouseUp(TMouseButton::mbLeft, TShiftState(), to.x, to.y);
        EXPECT_EQ(events() - count, c.events);
        if (c.events > 0) {
            ASSERT_TRUE(w->Undo());
            EXPECT_EQ(snapshot(*w->paper), before);
        }
    }
}

TEST_F(TransformTool, TheEndQuestionAsksWithItsOwnButtons)
{
    ASSERT_TRUE(w->transformSelect());
    // No box installed: the focused Cancel.
    EXPECT_EQ(w->showTransformEndDialog(), kavrin::mrCancel);
    CapturedMessages messages;
    for (int answer : {kavrin::mrYes, kavrin::mrNo, kavrin::mrCancel}) {
        messages.answer = answer;
        EXPECT_EQ(w->showTransformEndDialog(), answer);
    }
    ASSERT_EQ(messages.questionsEx.size(), 3u);
    const CapturedMessages::SQuestionEx &q = messages.questionsEx[0];
    EXPECT_EQ(q.text, QStringLiteral("変形を適用しますか？"));
    EXPECT_EQ(q.caption, QStringLiteral("警告 (%1)").arg(gAppTitle));
    EXPECT_EQ(q.yesText, QStringLiteral("適用する"));
    EXPECT_EQ(q.noText, QStringLiteral("適用しない"));
    EXPECT_EQ(q.focused, kavrin::mrCancel);
    // A box closed another way is a Cancel.
    messages.answer = kavrin::mrNone;
    EXPECT_EQ(w->showTransformEndDialog(), kavrin::mrCancel);
}

TEST_F(TransformTool, ClosingAsksAboutThePendingTransformFirst)
{
    struct SCase
    {
        const char *name;
        bool modified;
        int answer;
        bool closes;
        bool pending;
        uint32_t events;
        int questions;
    };
    // Yes and No go on to the save question, which takes the same answer (its Yes keeps the
    // window until saving is connected).
    const SCase cases[] = {
        {"Yes applies", true, kavrin::mrYes, false, false, 1, 2},
        {"No discards", true, kavrin::mrNo, true, false, 0, 2},
        {"Cancel keeps the window and the transform", true, kavrin::mrCancel, false, true, 0, 1},
        {"an unchanged document discards without asking", false, kavrin::mrYes, true, false, 0,
         0},
    };
    record();
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        CapturedMessages messages;
        messages.answer = c.answer;
        const uint32_t count = events();
        ASSERT_TRUE(w->transformSelect());
        drag(clientOf(*w, {75, 58}), clientOf(*w, {81, 62}));
        w->setModifiedFlag(c.modified);
        EXPECT_EQ(w->FormCloseQuery(), c.closes);
        EXPECT_EQ(w->isFreeTransform(), c.pending);
        EXPECT_EQ(events() - count, c.events);
        ASSERT_EQ(messages.questions.size(), size_t(c.questions));
        if (c.questions > 0) {
            EXPECT_EQ(messages.questions[0], QStringLiteral("変形を適用しますか？"));
        }
        EXPECT_EQ(tool().subKind, c.pending ? tskTransformSelection : tskSeedFill);
        w->transformEnd(false);
    }
}

TEST_F(TransformTool, ActivatingAnotherWindowEndsTheTransformUnapplied)
{
    record();
    std::unique_ptr<TDrawWindow> other = makeWindow();
    ASSERT_TRUE(other);
    // A window just made has bound the tool window to itself already; one made earlier finds it
    // still bound to the transforming window.
    for (bool made : {true, false}) {
        SCOPED_TRACE(made ? "a new window" : "an older window");
        tool().setWindow(w.get());
        main().active = w.get();
        w->FormActivate();
        const std::vector<uint32_t> before = snapshot(*w->paper);
        ASSERT_TRUE(w->transformLayer());
        drag(clientOf(*w, kInside), clientOf(*w, {47, 38}));
        if (made)
            tool().setWindow(other.get());
        main().active = other.get();
        other->FormActivate();
        EXPECT_FALSE(w->isFreeTransform());
        EXPECT_EQ(events(), 0u);
        EXPECT_EQ(snapshot(*w->paper), before);
        EXPECT_EQ(tool().subKind, tskSeedFill);
        EXPECT_EQ(tool().Window(), other.get());
    }
    tool().setWindow(nullptr);
}

TEST_F(TransformTool, AWindowClosedWhileTransformingGivesTheToolBack)
{
    ASSERT_TRUE(w->transformLayer());
    w.reset();
    EXPECT_EQ(tool().subKind, tskSeedFill);
}

TEST_F(TransformTool, SquarePointsLengthensTheShorterSide)
{
    struct SCase
    {
        sPos p1, square;
    };
    const SCase cases[] = {
        {{16, 13}, {16, 16}},
        {{4, 13}, {4, 16}},
        {{13, -20}, {40, -20}},
        {{-2, 7}, {-2, -2}},
        {{10, 10}, {10, 10}},
    };
    for (const SCase &c : cases) {
        sPos p0{10, 10}, p1 = c.p1;
        TDrawWindow::squarePoints(p0, p1);
        EXPECT_EQ(p0, (sPos{10, 10}));
        EXPECT_EQ(p1, c.square);
    }
}

// ---------------------------------------------------------------------------------------------
// Live == replay

constexpr sSize kCanvas{100, 75};
constexpr sSize kClient{320, 240};

struct TransformToolLiveReplay : DocWinFixture
{
    TransformToolLiveReplay()
    {
        initialiseEventReplay();
        prof().undoMax = 100;
    }
    ~TransformToolLiveReplay() override { resetKeyState(); }
    LiveReplayApp app;
};

struct SView
{
    int num = 1, den = 1;
    float rotate = 0;
    bool mirror = false;
};

// Two layers, the pattern on the upper one, optionally the selection, in a view.
WindowSetup transformStart(bool selection, SView view)
{
    return [=](TDrawWindow &w, uint32_t) {
        if (!window_live_replay::plainStart(w, kCanvas, 2, kClient))
            return false;
        TPaper &p = *w.paper;
        paintLayer(p);
        if (selection)
            selectBox(p);
        EventLayerActive(p, w.flow(), 1, true);
        UpdateVRAM(p, true, true);
        w.changeZoom(view.num, view.den, false);
        if (view.rotate != 0)
            w.dispatchRotate(view.rotate, true);
        if (view.mirror)
            w.dispatchReverse(true);
        return true;
    };
}

QString line(const char *format, auto... values)
{
    return QString::asprintf(format, values...) + u'\n';
}

// A drag in client pixels through n steps.
QString dragScript(const sPos &a, const sPos &b, int n = 5, const char *mods = "")
{
    QString s = line("press L %d %d %s", a.x, a.y, mods);
    for (int i = 1; i <= n; ++i)
        s += line("move %d %d %s", a.x + (b.x - a.x) * i / n, a.y + (b.y - a.y) * i / n, mods);
    return s + line("release L %d %d %s", b.x, b.y, mods);
}

// A drag around the client point c from a, turning by deg in n steps.
QString arcScript(const sPos &c, const sPos &a, double deg, int n = 6)
{
    QString s = line("press L %d %d", a.x, a.y);
    sPos p = a;
    for (int i = 1; i <= n; ++i) {
        const double t = deg * kRadian * i / n, dx = a.x - c.x, dy = a.y - c.y;
        p = {int32_t(std::lrint(c.x + dx * std::cos(t) - dy * std::sin(t))),
             int32_t(std::lrint(c.y + dx * std::sin(t) + dy * std::cos(t)))};
        s += line("move %d %d", p.x, p.y);
    }
    return s + line("release L %d %d", p.x, p.y);
}

// The gestures of a case, written for the window the setup makes (its view decides where the
// frame's handles lie on the screen).
using GestureScript = std::function<QString(const TDrawWindow &probe)>;

const auto kHandle = [](const TDrawWindow &w) {
    // The bottom-right corner outwards, then the top edge's middle up with Shift.
    return dragScript(clientOf(w, {75, 58}), clientOf(w, {83, 69})) +
           dragScript(clientOf(w, {50, 18}), clientOf(w, {50, 10}), 3, "shift");
};
const auto kRotation = [](const TDrawWindow &w) {
    return arcScript(clientOf(w, {50, 35}), clientOf(w, {85, 60}), 35);
};
const auto kMoveAndArrows = [](const TDrawWindow &w) {
    return dragScript(clientOf(w, kInside), clientOf(w, {44, 25})) +
           QStringLiteral("key down 0x27\nkey up 0x27\nkey down 0x28\nkey up 0x28\n"
                          "key down 0x28\nkey up 0x28\n");
};
const auto kEverything = [](const TDrawWindow &w) {
    return kHandle(w) + kRotation(w) + kMoveAndArrows(w);
};

struct SLiveCase
{
    const char *name;
    bool selection;
    const char *start; // "select" or "layer"
    SView view;
    GestureScript gestures;
};

TEST_F(TransformToolLiveReplay, DraggedTransformsReplayTheSameWithUndoAndRedo)
{
    const SLiveCase cases[] = {
        {"selection: handles", true, "select", {}, kHandle},
        {"selection: rotation", true, "select", {}, kRotation},
        {"selection: move and arrows at 2:1", true, "select", {2, 1}, kMoveAndArrows},
        {"selection: everything in a turned view", true, "select", {1, 1, 30}, kEverything},
        {"layer with selection: handles", true, "layer", {}, kHandle},
        {"layer with selection: rotation at 2:1", true, "layer", {2, 1}, kRotation},
        {"layer with selection: everything turned and mirrored", true, "layer", {2, 1, -60, true},
         kEverything},
        {"layer alone: move and arrows", false, "layer", {}, kMoveAndArrows},
        {"layer alone: everything in a turned view", false, "layer", {1, 1, 90}, kEverything},
    };
    for (const SLiveCase &c : cases) {
        SCOPED_TRACE(c.name);
        const WindowSetup setup = transformStart(c.selection, c.view);
        std::unique_ptr<TDrawWindow> probe = window_live_replay::makeWindow(setup, 1);
        ASSERT_TRUE(probe);
        const QString gestures = c.gestures(*probe);
        probe.reset();
        const QString head = line("tool SeedFill") + line("transform %s", c.start);
        uint32_t events = 0;
        // Applied with Enter, then undone and redone.
        expectWindowLiveEqualsReplay(
            setup, head + gestures + QStringLiteral("key down 0x0D\nkey up 0x0D\nundo\nredo\n"),
            1, &events);
        EXPECT_EQ(events, 1u);
        // Cancelled with Esc: nothing recorded.
        expectWindowLiveEqualsReplay(
            setup, head + gestures + QStringLiteral("key down 0x1B\nkey up 0x1B\n"), 1,
            &events);
        EXPECT_EQ(events, 0u);
    }
}

TEST_F(TransformToolLiveReplay, UndoRedoRestoresTheStartAndTheResultExactly)
{
    const SLiveCase cases[] = {
        {"selection", true, "select", {1, 1, 30}, kEverything},
        {"layer with selection", true, "layer", {2, 1}, kEverything},
        {"layer alone", false, "layer", {1, 1, 90}, kEverything},
    };
    for (const SLiveCase &c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<TDrawWindow> w =
            window_live_replay::makeWindow(transformStart(c.selection, c.view), 1);
        ASSERT_TRUE(w);
        window_live_replay::makeCurrent(*w);
        TPaper &p = *w->paper;
        ASSERT_TRUE(p.eventMngr().startRecording(appMainStroke(), appMainToneMngrFor(&p), 64, 64));
        ASSERT_TRUE(dispatchUndoCount(p));
        const std::vector<uint32_t> start = snapshot(p);
        std::vector<SInputStep> steps;
        QString error;
        ASSERT_TRUE(parseInputScript(line("transform %s", c.start) + c.gestures(*w) +
                                         QStringLiteral("key down 0x0D\nkey up 0x0D\n"),
                                     steps, error))
            << error.toStdString();
        ASSERT_TRUE(window_live_replay::applyScript(*w, steps));
        const std::vector<uint32_t> result = snapshot(p);
        ASSERT_NE(result, start);
        ASSERT_TRUE(w->Undo());
        EXPECT_EQ(snapshot(p), start);
        ASSERT_TRUE(w->Redo());
        EXPECT_EQ(snapshot(p), result);
        setCurrentDrawWindow(nullptr);
        headlessMainForm().active = nullptr;
        mainForm().toolForm().setWindow(nullptr);
    }
}

} // namespace
