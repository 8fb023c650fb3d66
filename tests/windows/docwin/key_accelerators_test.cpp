// Keyboard accelerators: the document window's own keys come before the tool's, repeats never
// count, and the shortcut commands that act on the window reach the main window.
#include "input_fixture.h"

#include "document/paper/layer_data.h"

#include <gtest/gtest.h>

namespace {

using namespace input_test;
using Log = std::vector<std::string>;

constexpr uint32_t kRepeat = 1u << 30;

struct KeyAccelerators : InputFixture
{
    CBlockVMTC &layer() { return *w->paper->getLayerData(0)->imageTC; }
    void bind(uint32_t vkey, int32_t command, bool ctrl = false, bool shift = false)
    {
        main().commandKeys.push_back({vkey, shift, false, ctrl, command});
    }
};

TEST_F(KeyAccelerators, HeldDeleteClearsTheLayerOnceAndRepeatsReachTheTool)
{
    logGroup<0>();
    layer().setPixel(5, 5, 0xFF102030);
    w->keyDownMessage(VK_DELETE, 0);
    EXPECT_EQ(layer().getColor(5, 5) >> 24, 0u);
    EXPECT_TRUE(handlerLog().empty());
    // The repeats go to the tool and clear nothing again.
    layer().setPixel(5, 5, 0xFF102030);
    w->keyDownMessage(VK_DELETE, kRepeat | 1);
    w->keyDownMessage(VK_DELETE, kRepeat | 1);
    EXPECT_EQ(layer().getColor(5, 5), 0xFF102030u);
    EXPECT_EQ(handlerLog(), (Log{"0 Key 46", "0 Key 46"}));
}

TEST_F(KeyAccelerators, ArrowsReachTheToolOnceWithOrWithoutTheFocus)
{
    logGroup<5>();
    useTool(TToolSubKind::tskLayerKeyMove);
    for (bool focus : {false, true}) {
        SCOPED_TRACE(focus);
        handlerLog().clear();
        w->m_hasFocus = focus;
        // Without the focus the window hands the arrow on itself; with it the key goes the
        // usual way. Either way the tool sees it once.
        EXPECT_EQ(w->checkKeyboardAccelarator(VK_LEFT, 0), !focus);
        handlerLog().clear();
        w->keyDownMessage(VK_LEFT, 0);
        EXPECT_EQ(handlerLog(), (Log{"5 Key 37"}));
    }
    // Enter and Esc go to the key-move tools while the window lacks the focus.
    w->m_hasFocus = false;
    EXPECT_TRUE(w->checkKeyboardAccelarator(VK_RETURN, 0));
    useTool(TToolSubKind::tskDrawLocus);
    EXPECT_FALSE(w->checkKeyboardAccelarator(VK_ESCAPE, 0));
}

TEST_F(KeyAccelerators, WindowShortcutsReachTheMainWindow)
{
    struct SCase
    {
        int32_t command;
        const char *call;
    };
    const SCase cases[] = {{1280, "repeatFilter"}, {1312, "mdiPrevious"}, {1313, "mdiNext"}};
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.command);
        main().commandKeys.clear();
        main().shellCalls.clear();
        bind(VK_F1 + 5, c.command, true);
        hold({VK_CONTROL});
        EXPECT_TRUE(w->checkKeyboardAccelarator(VK_F1 + 5, 0));
        EXPECT_EQ(main().shellCalls, std::vector<std::string>{c.call});
        // Without Ctrl the key has no command.
        hold({});
        EXPECT_FALSE(w->checkKeyboardAccelarator(VK_F1 + 5, 0));
    }
}

TEST_F(KeyAccelerators, ZoomShortcutsDoNothingOnAMinimisedWindow)
{
    bind('Z', 1328);
    bind('X', 1329);
    const float start = w->paper->GetZoomScale();
    w->placement.state = eWindowState::wsMinimized;
    EXPECT_FALSE(w->checkKeyboardAccelarator('Z', 0));
    EXPECT_EQ(w->paper->GetZoomScale(), start);
    w->placement.state = eWindowState::wsNormal;
    EXPECT_TRUE(w->checkKeyboardAccelarator('Z', 0));
    const float zoomed = w->paper->GetZoomScale();
    EXPECT_GT(zoomed, start);
    EXPECT_TRUE(w->checkKeyboardAccelarator('X', 0));
    EXPECT_LT(w->paper->GetZoomScale(), zoomed);
}

TEST_F(KeyAccelerators, DuringAReplayDeleteIsNotAccepted)
{
    // (The selection, fill, layer and pause keys have their own cases with their commands.)
    w->m_eventPlaying = true;
    layer().setPixel(1, 1, 0xFF000000);
    EXPECT_FALSE(w->checkKeyboardAccelarator(VK_DELETE, 0));
    EXPECT_EQ(layer().getColor(1, 1), 0xFF000000u);
}

TEST_F(KeyAccelerators, AltF4ClosesTheApplication)
{
    w->sysKeyDownMessage(VK_F1 + 3, kRepeat);
    EXPECT_TRUE(main().shellCalls.empty());
    w->sysKeyDownMessage(VK_F1 + 3, 0);
    EXPECT_EQ(main().shellCalls, std::vector<std::string>{"postClose"});
    EXPECT_FALSE(w->checkSysKeyAccelarator(VK_F1 + 4, 0));
}

} // namespace
