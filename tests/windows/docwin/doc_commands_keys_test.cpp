// The document window's keys connected to the document commands: Delete with a selection clears
// it in the canvas colour, Insert fills it with the drawing colour, Shift+Insert and command 1330
// with the background colour, 1364 adds a standard layer, Enter and Esc pause and resume a
// replay; none of the selection keys act during a free transform.
#include "core/image/canvas.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/transform/select_transform.h"
#include "platform/desktop/keys.h"
#include "paint/stroke/stroke.h"

#include "doc_commands_fixture.h"

#include <QTemporaryDir>

namespace {

struct DocCommandsKeys : DocCmdFixture
{
    DocCommandsKeys() { resetKeyState(); }
    ~DocCommandsKeys() override { resetKeyState(); }

    void bind(uint32_t vkey, int32_t command)
    {
        main().commandKeys.push_back({vkey, false, false, false, command});
    }
};

TEST_F(DocCommandsKeys, SelectionKeysClearOrFillTheSelectionWithTheirColour)
{
    struct SCase
    {
        const char *name;
        uint32_t vkey;
        bool shift;
        // The colour the selected pixel takes (alpha aside), and the kind of fill recorded.
        uint32_t colour;
        int kind;
    };
    const uint32_t canvas = 0x00C0FFEE, draw = 0xFF102030, back = 0xFFA0B0C0;
    const SCase cases[] = {
        {"Delete", VK_DELETE, false, canvas, 5},
        {"Backspace", VK_BACK, false, canvas, 5},
        {"Insert", VK_INSERT, false, draw, 0},
        {"Shift+Insert", VK_INSERT, true, back, 0},
        {"1330", 'F', false, back, 0},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        auto w = recordingWindow({32, 24});
        ASSERT_TRUE(w);
        TPaper &p = *w->paper;
        p.m_canvascolor = canvas;
        app.stroke.m_drawColor = draw;
        app.stroke.m_bgCol = back;
        bind('F', 1330);
        CBlockVMTC &img = *p.getLayerData(0)->imageTC;
        img.setPixel(3, 3, 0xFF000000);
        img.setPixel(9, 9, 0xFF000000);
        select(p, {{3, 3, 255}});
        setKeyDown(VK_SHIFT, c.shift);
        const uint32_t from = p.eventMngr().topEventPos;
        w->keyDownMessage(c.vkey, 0);
        setKeyDown(VK_SHIFT, false);
        EXPECT_EQ(packetsSince(p, from), (std::vector<std::pair<int, int>>{{6, c.kind}}));
        EXPECT_EQ(img.getColor(3, 3) & 0xFFFFFF, c.colour & 0xFFFFFF);
        EXPECT_EQ(img.getColor(9, 9), 0xFF000000u) << "outside the selection";
        if (c.kind == 5) {
            EXPECT_EQ(img.getColor(3, 3) >> 24, 0u);
        }
    }
}

TEST_F(DocCommandsKeys, SelectionKeysDoNothingDuringAFreeTransform)
{
    auto w = recordingWindow({32, 24});
    ASSERT_TRUE(w);
    TPaper &p = *w->paper;
    bind('F', 1330);
    select(p, {{3, 3, 255}});
    p.FFreeTransformer = std::make_unique<TSelectTransform>(p);
    p.FFreeTransformer->FIsFreeTransform = true;
    const uint32_t events = p.eventMngr().eventCnt;
    for (uint32_t vkey : {uint32_t(VK_DELETE), uint32_t(VK_INSERT), uint32_t('F')})
        EXPECT_FALSE(w->checkKeyboardAccelarator(vkey, 0)) << vkey;
    EXPECT_EQ(p.eventMngr().eventCnt, events);
    p.FFreeTransformer->FIsFreeTransform = false;
    p.FFreeTransformer.reset();
}

TEST_F(DocCommandsKeys, TheNewLayerCommandAddsAStandardLayerWithoutADialog)
{
    auto w = recordingWindow({32, 24});
    ASSERT_TRUE(w);
    bind('N', 1364);
    EXPECT_TRUE(w->checkKeyboardAccelarator('N', 0));
    ASSERT_EQ(w->paper->getLayerCount(), 2);
    EXPECT_EQ(w->paper->getLayerData(1)->layerMode(), TLayerMode::LM_STD);
    EXPECT_TRUE(main().dialogCalls.empty());
}

TEST_F(DocCommandsKeys, EnterAndEscPauseAndResumeAReplayButNotWithCtrl)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("e.qe5"));
    writeEvents(file, 6);
    auto w = TDrawWindow::Create();
    ASSERT_TRUE(w && w->openQES(file));
    EXPECT_TRUE(w->checkKeyboardAccelarator(VK_ESCAPE, 0));
    EXPECT_TRUE(w->isEventPlayPaused());
    EXPECT_TRUE(w->checkKeyboardAccelarator(VK_RETURN, 0));
    EXPECT_FALSE(w->isEventPlayPaused());
    setKeyDown(VK_CONTROL, true);
    EXPECT_FALSE(w->checkKeyboardAccelarator(VK_ESCAPE, 0));
    setKeyDown(VK_CONTROL, false);
    EXPECT_FALSE(w->isEventPlayPaused());
}

} // namespace
