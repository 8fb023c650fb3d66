#include "input_fixture.h"

#include "support/block_memory.h"
#include "support/captured_messages.h"

#include "document/paper/headless.h"
#include "document/paper/layer_data.h"
#include "document/events/event_manager.h"
#include "document/selection/figure_fill_ops.h"
#include "document/selection/selection_ops.h"
#include "document/view/view_geometry.h"
#include "windows/docwin/figure_geometry.h"

#include <functional>

namespace {

using input_test::InputFixture;

TEST(FillSelectShapesCorners, DragReachesTheFillAsItsPixels)
{
    struct Case
    {
        sPos p0, p1;
        bool square, centre;
        std::optional<std::array<sPos, 2>> expected;
    };
    const Case cases[] = {
        {{10, 10}, {20, 20}, false, false, {{{{10, 10}, {19, 19}}}}},
        {{10, 10}, {20, 20}, false, true, {{{{0, 0}, {19, 19}}}}},
        {{20, 20}, {10, 10}, false, false, {{{{19, 19}, {10, 10}}}}},
        {{10, 10}, {20, 14}, true, false, {{{{10, 10}, {19, 19}}}}},
        {{10, 10}, {20, 10}, false, false, {{{{10, 10}, {19, 10}}}}}, // a flat axis stays
        {{10, 10}, {10, 10}, false, false, std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(fillRectCorners(c.p0, c.p1, c.square, c.centre), c.expected)
            << c.p0.x << "," << c.p0.y << " " << c.p1.x << "," << c.p1.y;
}

struct FillSelectShapes : InputFixture
{
    FillSelectShapes()
    {
        if (w)
            w->changeZoom(1, 1, false);
    }
    sPos client(int32_t x, int32_t y) const { return convToViewPos(*w->paper, sPos{x, y}); }
    // A drag between canvas points through the mouse entry.
    void drag(TDrawWindow &win, sPos from, sPos to)
    {
        const sPos a = convToViewPos(*win.paper, from), b = convToViewPos(*win.paper, to);
        win.FormMouseDown(TMouseButton::mbLeft, TShiftState::ssLeft, a.x, a.y);
        win.FormMouseMove(TShiftState::ssLeft, (a.x + b.x) / 2, (a.y + b.y) / 2);
        win.FormMouseMove(TShiftState::ssLeft, b.x, b.y);
        win.FormMouseUp(TMouseButton::mbLeft, TShiftState::ssLeft, b.x, b.y);
    }
    void click(TDrawWindow &win, sPos at) { drag(win, at, at); }
    // A second window like the fixture's, for the operation called directly.
    std::unique_ptr<TDrawWindow> twin()
    {
        auto t = makeWindow({200, 100}, 1, {400, 300});
        startPaintModeQZ5(*t->paper);
        t->changeZoom(1, 1, false);
        // As an executor runs: the window's objects in step with the tool window.
        t->FormActivate();
        t->syncObjects();
        return t;
    }
    // The fixture's window takes the tool window back from a twin.
    void activate()
    {
        tool().setWindow(w.get());
        w->FormActivate();
    }
    static sFPos f(int32_t x, int32_t y) { return {float(x), float(y)}; }
    static void selectRect(TDrawWindow &t, sPos a, sPos b, eMaskAddType mat)
    {
        ASSERT_TRUE(eventSelectRect(*t.paper, t.flow(), t.paper->ActiveLayer(), f(a.x, a.y),
                                    f(b.x, b.y), mat, true));
    }
    void startRecording()
    {
        ASSERT_TRUE(w->paper->eventMngr().startRecording(
            appMainStroke(), appMainToneMngrFor(w->paper.get()), 64, 64));
    }
    uint32_t events() const { return w->paper->eventMngr().eventCnt; }
};

// What a drag reaches the document with, against the operation called with the expected pixels.
TEST_F(FillSelectShapes, DragsReachTheOperationAsTheirPixels)
{
    using Op = std::function<void(TDrawWindow &)>;
    struct Case
    {
        const char *name;
        TToolSubKind tool;
        std::vector<int32_t> keys;
        bool fillCenter;
        sPos layerView;
        Op expected;
    };
    const int32_t layer = 0;
    const Case cases[] = {
        {"rect", TToolSubKind::tskFillRectangle, {}, false, {},
         [&](TDrawWindow &t) {
             eventFillRect(*t.paper, t.flow(), layer, f(10, 10), f(19, 19), true, true);
         }},
        {"ellipse", TToolSubKind::tskFillEllipse, {}, false, {},
         [&](TDrawWindow &t) {
             eventFillEllipse(*t.paper, t.flow(), layer, 1, f(10, 10), f(19, 19), true);
         }},
        {"rect from the centre", TToolSubKind::tskFillRectangle, {}, true, {},
         [&](TDrawWindow &t) {
             eventFillRect(*t.paper, t.flow(), layer, f(0, 0), f(19, 19), true, true);
         }},
        {"layer shown at (30, 20)", TToolSubKind::tskFillRectangle, {}, false, {30, 20},
         [&](TDrawWindow &t) {
             eventFillRect(*t.paper, t.flow(), layer, f(40, 30), f(49, 39), true, true);
         }},
        {"selection with the centre key", TToolSubKind::tskSelectRectangle, {VK_CONTROL}, false,
         {}, [&](TDrawWindow &t) { selectRect(t, {0, 0}, {19, 19}, eMaskAddType::matNew); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto t = twin();
        w = twin();
        activate();
        for (TDrawWindow *win : {w.get(), t.get()})
            win->paper->getLayerData(layer)->viewPos = c.layerView;
        prof().fillCenter = c.fillCenter;
        useTool(c.tool);
        hold(std::initializer_list<int32_t>{});
        for (int32_t k : c.keys)
            setKeyDown(k, true);
        drag(*w, {10, 10}, {20, 20});
        resetKeyState();
        c.expected(*t);
        EXPECT_EQ(dumpPaperState(*w->paper).toStdString(), dumpPaperState(*t->paper).toStdString());
        EXPECT_TRUE(w->isModified());
    }
    prof().fillCenter = false;
}

TEST_F(FillSelectShapes, ShiftDragAddsARectangleThatIsNoSquare)
{
    auto t = twin();
    activate();
    for (TDrawWindow *win : {w.get(), t.get()})
        selectRect(*win, {50, 50}, {59, 59}, eMaskAddType::matNew);
    useTool(TToolSubKind::tskSelectRectangle);
    hold({VK_SHIFT});
    drag(*w, {10, 10}, {40, 20});
    resetKeyState();
    selectRect(*t, {10, 10}, {39, 19}, eMaskAddType::matAdd);
    EXPECT_EQ(dumpPaperState(*w->paper).toStdString(), dumpPaperState(*t->paper).toStdString());
}

TEST_F(FillSelectShapes, CursorsFollowTheKeysAndTheSelection)
{
    useTool(TToolSubKind::tskSelectRectangle);
    struct Case
    {
        bool oldScheme, other, selection;
        std::vector<int32_t> keys;
        sPos at;
        int32_t cursor;
    };
    const sPos inside{15, 15}, outside{60, 60};
    const Case cases[] = {
        {false, false, false, {}, inside, 5},
        {false, false, true, {VK_SHIFT, VK_MENU}, outside, 8},
        {false, false, true, {VK_MENU}, outside, 7},
        {false, false, true, {VK_SHIFT}, inside, 6},
        {false, false, true, {}, inside, 9},
        {false, false, true, {}, outside, 5},
        {false, true, true, {VK_SHIFT, VK_MENU}, outside, 37},
        {false, true, true, {}, inside, 9},
        {false, true, false, {}, inside, 34},
        {true, false, true, {VK_SHIFT, VK_CONTROL}, outside, 8},
        {true, false, true, {VK_CONTROL}, outside, 7},
        {true, false, true, {VK_SHIFT}, outside, 6},
        {true, true, true, {VK_CONTROL}, inside, 36},
        {true, true, true, {VK_SHIFT}, inside, 35},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.oldScheme << c.other << c.selection << " at "
                                        << c.at.x << " keys " << c.keys.size());
        if (c.selection && !hasActiveMaskImage(*w->paper))
            selectRect(*w, {10, 10}, {29, 29}, eMaskAddType::matNew);
        if (!c.selection && hasActiveMaskImage(*w->paper))
            eventSelectDelete(*w->paper, w->flow(), 0, false);
        prof().UseOldShortCut = c.oldScheme;
        prof().OtherToolCursor = c.other ? 1 : 0;
        resetKeyState();
        for (int32_t k : c.keys)
            setKeyDown(k, true);
        const sPos p = client(c.at.x, c.at.y);
        w->FormMouseMove({}, p.x, p.y);
        EXPECT_EQ(w->cursorNumber(), c.cursor);
    }
    prof().UseOldShortCut = false;
    prof().OtherToolCursor = 0;
}

TEST_F(FillSelectShapes, AClickOutsideTheSelectionClearsItOnceAndMarks)
{
    useTool(TToolSubKind::tskSelectRectangle);
    startRecording();
    // With nothing selected the click records nothing and leaves the mark.
    w->setModifiedFlag(false);
    click(*w, {60, 60});
    EXPECT_EQ(events(), 0u);
    EXPECT_FALSE(w->isModified());

    selectRect(*w, {10, 10}, {29, 29}, eMaskAddType::matNew);
    const uint32_t selected = events();
    w->setModifiedFlag(false);
    click(*w, {60, 60});
    EXPECT_EQ(events(), selected + 1);
    EXPECT_FALSE(hasActiveMaskImage(*w->paper));
    EXPECT_TRUE(w->isModified());
}

TEST_F(FillSelectShapes, ShapesWithoutAnAreaRecordNothing)
{
    startRecording();
    w->setModifiedFlag(false);
    const QString before = dumpPaperState(*w->paper);
    // A lasso of two points.
    useTool(TToolSubKind::tskSelectLasso);
    drag(*w, {10, 10}, {10, 10});
    const sPos a = client(10, 10), b = client(40, 10);
    w->FormMouseDown(TMouseButton::mbLeft, TShiftState::ssLeft, a.x, a.y);
    w->FormMouseUp(TMouseButton::mbLeft, TShiftState::ssLeft, b.x, b.y);
    useTool(TToolSubKind::tskFillLasso);
    w->FormMouseDown(TMouseButton::mbLeft, TShiftState::ssLeft, a.x, a.y);
    w->FormMouseUp(TMouseButton::mbLeft, TShiftState::ssLeft, b.x, b.y);
    // A click of the rectangle selection with Shift held (no clearing either).
    useTool(TToolSubKind::tskSelectRectangle);
    hold({VK_SHIFT});
    click(*w, {50, 50});
    resetKeyState();
    EXPECT_EQ(events(), 0u);
    EXPECT_FALSE(w->isModified());
    EXPECT_EQ(dumpPaperState(*w->paper), before);
}

TEST_F(FillSelectShapes, LayerCoordinatesFollowTheLayersViewPosition)
{
    sPos p;
    w->convToCanvasPosEx(p, client(10, 10));
    EXPECT_EQ(p, (sPos{10, 10}));
    // A drag over canvas (10, 10)-(20, 20) on a layer shown at (30, 20) fills the layer's
    // (40, 30)-(49, 39).
    w->paper->getLayerData(w->paper->ActiveLayer())->viewPos = {30, 20};
    sPos s, e;
    w->convToCanvasPosEx(s, client(10, 10));
    w->convToCanvasPosEx(e, client(20, 20));
    const std::array<sPos, 2> expected{sPos{40, 30}, sPos{49, 39}};
    EXPECT_EQ(fillRectCorners(s, e, false, false), expected);
}

TEST_F(FillSelectShapes, FillsRecordAndMarkOnlyWhenSomethingWasFilled)
{
    w->setModifiedFlag(false);
    const QString before = dumpPaperState(*w->paper);
    EXPECT_FALSE(w->fillRectExecute(client(10, 10), client(10, 10)));
    EXPECT_FALSE(w->fillEllipseExecute(client(10, 10), client(10, 10)));
    EXPECT_EQ(dumpPaperState(*w->paper), before);
    EXPECT_TRUE(w->fillRectExecute(client(10, 10), client(20, 20)));
    const QString afterRect = dumpPaperState(*w->paper);
    EXPECT_NE(afterRect, before);
    EXPECT_TRUE(w->fillEllipseExecute(client(30, 10), client(50, 30)));
    EXPECT_NE(dumpPaperState(*w->paper), afterRect);
}

TEST_F(FillSelectShapes, OutOfMemoryShapesLeaveTheDocumentAsItWasWithAWarning)
{
    startRecording();
    const QString before = dumpPaperState(*w->paper);
    const uint32_t length = w->paper->eventMngr().topEventPos;
    for (const TToolSubKind kind : {TToolSubKind::tskSelectRectangle, TToolSubKind::tskSelectEllipse,
                                    TToolSubKind::tskSelectLasso, TToolSubKind::tskFillRectangle,
                                    TToolSubKind::tskFillLasso}) {
        SCOPED_TRACE(int(kind));
        useTool(kind);
        CapturedMessages messages;
        {
            ScopedBlockMemoryLimit limit(0);
            drag(*w, {10, 10}, {60, 50});
        }
        EXPECT_FALSE(messages.warnings.isEmpty());
        EXPECT_EQ(dumpPaperState(*w->paper), before);
        // Nothing recorded: the fills have the layer's memory before they write their packet.
        EXPECT_EQ(events(), 0u);
        EXPECT_EQ(w->paper->eventMngr().topEventPos, length);
        for (BDrawStateBit b : {BDrawStateBit::stLBtn, BDrawStateBit::stMultiSelect,
                                BDrawStateBit::stShowGlyph, BDrawStateBit::stDirty})
            EXPECT_FALSE(w->drawState.has(b)) << int(b);
    }
}

TEST_F(FillSelectShapes, APressInsideTheSelectionBorrowsTheSelectionDrag)
{
    useTool(TToolSubKind::tskSelectRectangle);
    struct Case
    {
        bool selection;
        std::vector<int32_t> keys;
        sPos at;
        bool noSelectDrag;
        bool borrows;
    };
    const sPos inside{15, 15}, outside{60, 60};
    const Case cases[] = {
        {true, {}, inside, false, true},       {true, {}, outside, false, false},
        {true, {VK_SHIFT}, inside, false, false}, {true, {VK_MENU}, inside, false, false},
        {true, {}, inside, true, false},       {false, {}, inside, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.selection << " keys " << c.keys.size() << " at "
                                        << c.at.x << " " << c.noSelectDrag);
        if (c.selection && !hasActiveMaskImage(*w->paper))
            selectRect(*w, {10, 10}, {29, 29}, eMaskAddType::matNew);
        if (!c.selection && hasActiveMaskImage(*w->paper))
            eventSelectDelete(*w->paper, w->flow(), 0, false);
        resetKeyState();
        for (int32_t k : c.keys)
            setKeyDown(k, true);
        w->cursorPos = client(c.at.x, c.at.y);
        int group = -1, index = -1;
        EXPECT_EQ(w->getHookTool(group, index, c.noSelectDrag), c.borrows);
        if (c.borrows) {
            EXPECT_EQ(toolSubKindAt(group, index), TToolSubKind::tskSelectDragMove);
        }
    }
    // The press borrows it for as long as the button is held; the selection stays.
    resetKeyState();
    selectRect(*w, {10, 10}, {29, 29}, eMaskAddType::matNew);
    const QString before = dumpPaperState(*w->paper);
    const sPos p = client(inside.x, inside.y);
    w->FormMouseDown(TMouseButton::mbLeft, TShiftState::ssLeft, p.x, p.y);
    EXPECT_EQ(tool().FToolSubMode(), TToolSubKind::tskSelectDragMove);
    w->FormMouseUp(TMouseButton::mbLeft, TShiftState::ssLeft, p.x, p.y);
    EXPECT_EQ(tool().FToolSubMode(), TToolSubKind::tskSelectRectangle);
    EXPECT_EQ(dumpPaperState(*w->paper), before);
}

} // namespace
