// Input dispatch: which tool a held key or the middle button borrows, how presses, moves,
// releases, keys and forced ends reach the current table's handlers, and what a replay refuses.
#include "input_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace input_test;
using Log = std::vector<std::string>;

constexpr TShiftState kLeft = TShiftState::ssLeft;
constexpr TShiftState kMiddle = TShiftState::ssMiddle;

struct InputDispatch : InputFixture
{
};

struct SHookCase
{
    const char *name;
    bool oldScheme;
    TToolSubKind tool;
    std::initializer_list<int32_t> keys;
    int group; // -1: no temporary tool
    int index;
};

TEST_F(InputDispatch, HeldKeysBorrowTheToolOfTheirScheme)
{
    using enum TToolSubKind;
    const SHookCase cases[] = {
        {"Ctrl+Space zooms in", false, tskDrawRectangle, {VK_CONTROL, VK_SPACE}, 1, 0},
        {"Ctrl+Alt+Space zooms out", false, tskDrawRectangle, {VK_CONTROL, VK_MENU, VK_SPACE}, 1, 1},
        {"Ctrl+Alt sizes the pen", false, tskDrawRectangle, {VK_CONTROL, VK_MENU}, 3, 2},
        {"Space moves the view", false, tskDrawRectangle, {VK_SPACE}, 3, 0},
        {"Alt+Space rotates the view", false, tskDrawRectangle, {VK_MENU, VK_SPACE}, 3, 1},
        {"Alt picks a colour", false, tskDrawRectangle, {VK_MENU}, 2, 0},
        {"a selection shape keeps Alt", false, tskSelectRectangle, {VK_MENU}, -1, 0},
        {"a selection shape keeps Ctrl+Alt", false, tskSelectRectangle, {VK_CONTROL, VK_MENU}, -1, 0},
        {"nothing held", false, tskDrawLocus, {}, -1, 0},
        {"the zoom's switch key turns it", false, tskZoomIn, {VK_MENU}, 1, 1},
        {"older: Shift picks a colour", true, tskDrawRectangle, {VK_SHIFT}, 2, 0},
        {"older: not with a grabber", true, tskGrabberPosition, {VK_SHIFT}, -1, 0},
        {"older: Alt rotates the view", true, tskDrawRectangle, {VK_MENU}, 3, 1},
        {"older: Alt+Shift does nothing", true, tskDrawRectangle, {VK_MENU, VK_SHIFT}, -1, 0},
    };
    for (const SHookCase &c : cases) {
        SCOPED_TRACE(c.name);
        prof().UseOldShortCut = c.oldScheme;
        tool().subKind = c.tool;
        hold(c.keys);
        int group = -1, index = -1;
        const bool found = w->getHookTool(group, index, false);
        EXPECT_EQ(found, c.group >= 0);
        if (found && c.group >= 0) {
            EXPECT_EQ(group, c.group);
            EXPECT_EQ(index, c.index);
        }
    }
}

TEST_F(InputDispatch, ABorrowedToolLastsFromItsPressToItsRelease)
{
    useTool(TToolSubKind::tskDrawRectangle);
    logGroup<3>();
    logGroup<6>();
    hold({VK_CONTROL, VK_MENU});
    w->FormMouseDown(TMouseButton::mbLeft, kLeft, 10, 20);
    EXPECT_EQ(tool().subKind, TToolSubKind::tskChangePenSize);
    EXPECT_TRUE(w->isToolHooked());
    // The main window's timer rests from the press to the release.
    EXPECT_FALSE(main().mainTimerEnabled);
    w->FormMouseMove(kLeft, 12, 20);
    hold({});
    w->FormMouseUp(TMouseButton::mbLeft, {}, 14, 20);
    EXPECT_EQ(tool().subKind, TToolSubKind::tskDrawRectangle);
    EXPECT_FALSE(w->isToolHooked());
    EXPECT_EQ(w->eventProcs, &eventProcTable(6));
    // The borrowed tool's release runs once: its forced end on the way back finds no press.
    EXPECT_EQ(handlerLog(), (Log{"3 LDown 10,20", "3 LHold 12,20", "3 LUp 14,20", "3 ForceEnd 14,20"}));
    EXPECT_EQ(w->drawState.bits, 0);
    EXPECT_TRUE(main().mainTimerEnabled);

    // A right press borrows the view tools too.
    handlerLog().clear();
    hold({VK_SPACE});
    w->FormMouseDown(TMouseButton::mbRight, TShiftState::ssRight, 3, 4);
    EXPECT_EQ(tool().subKind, TToolSubKind::tskGrabberPosition);
    w->FormMouseUp(TMouseButton::mbRight, {}, 5, 4);
    EXPECT_EQ(tool().subKind, TToolSubKind::tskDrawRectangle);
    EXPECT_EQ(handlerLog(), (Log{"3 RDown 3,4", "3 RUp 5,4", "3 ForceEnd 5,4"}));
}

TEST_F(InputDispatch, TheMiddleButtonBorrowsTheToolOfItsSetting)
{
    struct SCase
    {
        int32_t func;
        TToolSubKind borrowed;
    };
    using enum TToolSubKind;
    // Settings outside the list borrow nothing: the current tool stays.
    const SCase cases[] = {{0, tskGrabberPosition}, {2, tskChangePenSize}, {7, tskSeedFill},
                           {10, tskMagicWand},     {11, tskDrawLocus},     {-1, tskDrawLocus},
                           {128, tskDrawLocus}};
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.func);
        prof().mouseMBtnFunc = c.func;
        w->FormMouseDown(TMouseButton::mbMiddle, kMiddle, 5, 5);
        EXPECT_EQ(tool().subKind, c.borrowed);
        w->FormMouseUp(TMouseButton::mbMiddle, {}, 5, 5);
        EXPECT_EQ(tool().subKind, tskDrawLocus);
        EXPECT_EQ(w->drawState.bits, 0);
    }
}

TEST_F(InputDispatch, AMiddleDragDrivesTheBorrowedToolOnceAndOnlyIt)
{
    logGroup<0>();
    logGroup<4>();
    prof().mouseMBtnFunc = 7; // seed fill
    w->FormMouseDown(TMouseButton::mbMiddle, kMiddle, 30, 40);
    w->FormMouseMove(kMiddle, 31, 40);
    w->FormMouseUp(TMouseButton::mbMiddle, {}, 32, 40);
    EXPECT_EQ(handlerLog(),
              (Log{"4 LDown 30,40", "4 LHold 31,40", "4 LUp 32,40", "4 ForceEnd 32,40"}));

    // Without a borrowed tool a middle drag reaches nothing but its press.
    handlerLog().clear();
    prof().mouseMBtnFunc = 11;
    w->FormMouseDown(TMouseButton::mbMiddle, kMiddle, 30, 40);
    w->FormMouseMove(kMiddle, 31, 40);
    w->FormMouseUp(TMouseButton::mbMiddle, {}, 32, 40);
    EXPECT_EQ(handlerLog(), (Log{"0 LDown 30,40", "0 LUp 32,40"}));
}

TEST_F(InputDispatch, ASecondButtonWhileOneIsHeldIsIgnored)
{
    logGroup<0>();
    w->FormMouseDown(TMouseButton::mbLeft, kLeft, 1, 1);
    w->FormMouseDown(TMouseButton::mbRight, kLeft, 2, 2);
    w->FormMouseUp(TMouseButton::mbRight, kLeft, 2, 2);
    w->FormMouseUp(TMouseButton::mbLeft, {}, 3, 3);
    w->FormMouseDown(TMouseButton::mbRight, TShiftState::ssRight, 4, 4);
    w->FormMouseDown(TMouseButton::mbLeft, TShiftState::ssRight, 5, 5);
    // A double click is no second press: it reaches its own handler.
    w->FormMouseDown(TMouseButton::mbLeft, TShiftState(TShiftState::ssDouble), 6, 6);
    w->FormMouseUp(TMouseButton::mbRight, {}, 7, 7);
    EXPECT_EQ(handlerLog(), (Log{"0 LDown 1,1", "0 LUp 3,3", "0 RDown 4,4", "0 LDblClk 6,6",
                                 "0 RUp 7,7"}));
}

TEST_F(InputDispatch, AReplayRefusesDocumentToolsButNotTheView)
{
    logGroup<0>();
    logGroup<1>();
    w->m_eventPlaying = true;
    w->FormMouseDown(TMouseButton::mbLeft, kLeft, 8, 8);
    EXPECT_EQ(w->refusedBeeps, 1);
    EXPECT_EQ(w->drawState.bits, 0);
    EXPECT_TRUE(handlerLog().empty());

    // A borrowed document tool is refused too, and nothing stays borrowed.
    prof().mouseMBtnFunc = 7;
    w->FormMouseDown(TMouseButton::mbMiddle, kMiddle, 8, 8);
    EXPECT_EQ(w->refusedBeeps, 2);
    EXPECT_EQ(tool().subKind, TToolSubKind::tskDrawLocus);
    EXPECT_EQ(w->drawState.bits, 0);

    useTool(TToolSubKind::tskZoomIn);
    w->FormMouseDown(TMouseButton::mbLeft, kLeft, 9, 9);
    w->FormMouseUp(TMouseButton::mbLeft, {}, 9, 9);
    EXPECT_EQ(handlerLog(), (Log{"0 ForceEnd 8,8", "1 LDown 9,9", "1 LUp 9,9"}));
    EXPECT_EQ(w->refusedBeeps, 2);
}

TEST_F(InputDispatch, ForcedEndsAndStopsEndThePressWithoutExecuting)
{
    logGroup<0>();
    logGroup<6>();
    // stopCurrentEvent ends a press with no release handler.
    w->FormMouseDown(TMouseButton::mbLeft, kLeft, 10, 10);
    w->stopCurrentEvent();
    EXPECT_EQ(w->drawState.bits, 0);
    EXPECT_EQ(handlerLog(), (Log{"0 LDown 10,10"}));

    // A table switch's forced end gets the cursor and releases the running press there.
    handlerLog().clear();
    w->FormMouseDown(TMouseButton::mbLeft, kLeft, 10, 10);
    w->FormMouseMove(kLeft, 37, 41);
    useTool(TToolSubKind::tskDrawLine);
    EXPECT_EQ(handlerLog(), (Log{"0 LDown 10,10", "0 LHold 37,41", "0 ForceEnd 37,41", "0 LUp 37,41"}));
    EXPECT_EQ(w->eventProcs, &eventProcTable(6));
    EXPECT_EQ(w->drawState.bits, 0);
}

TEST_F(InputDispatch, AKeyDuringAForcedEndReachesNoHandler)
{
    logGroup<0>();
    // A forced end whose release presses a key, as a dialog closing under it could.
    eventProcTable(0).forceEnd = [](TDrawWindow &win, const sPos *) {
        win.keyDownMessage('A', 0);
    };
    w->keyDownMessage('B', 0);
    useTool(TToolSubKind::tskDrawLine);
    EXPECT_EQ(handlerLog(), (Log{"0 Key 66"}));
    EXPECT_FALSE(w->drawState.has(BDrawStateBit::stForceEnd));
}

TEST_F(InputDispatch, EveryRowIsFullAndUnknownToolsGetTheNullTable)
{
    const auto full = [](const SEventProcs &p) {
        return p.onLDown && p.onLHold && p.onLUp && p.onLDblClk && p.onRDown && p.onRHold &&
               p.onRUp && p.onRDblClk && p.onMouseMove && p.onKeyDown && p.showProc &&
               p.exeProc && p.forceEnd;
    };
    for (int g = 0; g < kEventProcGroups; ++g)
        EXPECT_TRUE(full(eventProcTable(g))) << g;
    EXPECT_TRUE(full(nullEventProcs()));
    tool().subKind = TToolSubKind::tskNone;
    w->updateEventProcs(false);
    EXPECT_EQ(w->eventProcs, &nullEventProcs());
    w->FormMouseDown(TMouseButton::mbLeft, kLeft, 1, 1);
    w->FormMouseUp(TMouseButton::mbLeft, {}, 1, 1);
    EXPECT_EQ(w->drawState.bits, 0);
}

} // namespace
