// The text tool: a click opens the text window, whose OK records the font, the text and the
// coverage and commits it onto the layer (or as the selection), undoably; a commit that runs out
// of memory leaves no event and no change. And live == replay for texts of every kind.
#include "doc_commands_fixture.h"

#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "document/events/event_packets.h"
#include "document/view/view_geometry.h"
#include "platform/desktop/keys.h"
#include "support/block_memory.h"
#include "support/surface_pixels.h"
#include "support/window_live_replay.h"
#include "windows/text/font_window.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using surface_pixels::layerPixels;

using Answer = std::function<void(TFontWindow &)>;

// The current selection's bytes over the canvas (a mask without an image reads as 0).
std::vector<uint8_t> maskPixels(const TPaper &paper)
{
    std::vector<uint8_t> px;
    const CMaskData *md = paper.maskMngr().getMask(paper.maskMngr().getCurIndex());
    for (int32_t y = 0; y < paper.m_paperSize.y; ++y)
        for (int32_t x = 0; x < paper.m_paperSize.x; ++x) {
            const sPos m{x - (md ? md->viewPos.x : 0), y - (md ? md->viewPos.y : 0)};
            const bool inside = md && md->maskTC && m.x >= 0 && m.y >= 0 &&
                                m.x < md->maskTC->width() && m.y < md->maskTC->height();
            px.push_back(inside ? md->maskTC->getColor(m.x, m.y) : 0);
        }
    return px;
}

Answer typeAndOK(const char *text)
{
    return [text](TFontWindow &fw) {
        fw.memoText->setPlainText(QString::fromUtf8(text));
        fw.ButtonOK->click();
    };
}

struct TextToolTest : DocCmdFixture
{
    TextToolTest()
    {
        CAppProfile &p = prof();
        p.undoMax = 20;
        p.fontFace = QStringLiteral("DejaVu Sans");
        p.fontPoint = 20;
        p.fontCharset = -1;
        p.fontSpacing = p.fontLeading = 0;
        p.fontItalic = p.fontBold = false;
        p.fontPreview = true;
        p.fontText.clear();
        app.stroke.SetDrawColor(0xFF2040C0u);
        w = recordingWindow({160, 100}, 2);
        EXPECT_TRUE(dispatchUndoCount(*w->paper));
        main().active = w.get();
        tool().setWindow(w.get());
        w->changeZoom(1, 1, false);
    }
    ~TextToolTest() override
    {
        main().modalScript = nullptr;
        tool().setWindow(nullptr);
    }

    // A click with the tool at a canvas point whose text window answer handles.
    void click(TToolSubKind kind, sPos canvas, const Answer &answer)
    {
        tool().ChangeToolSubMode(kind, true);
        main().modalScript = [&](QDialog &d) {
            auto *fw = dynamic_cast<TFontWindow *>(&d);
            ASSERT_TRUE(fw);
            EXPECT_EQ(fw->targetMask(), kind == TToolSubKind::tskSelectText);
            answer(*fw);
        };
        const sPos c = convToViewPos(*w->paper, canvas);
        setKeyDown(VK_LBUTTON, true);
        w->FormMouseDown(TMouseButton::mbLeft, TShiftState(TShiftState::ssLeft), c.x, c.y);
        setKeyDown(VK_LBUTTON, false);
        w->FormMouseUp(TMouseButton::mbLeft, TShiftState(), c.x, c.y);
    }

    // Every packet recorded: (group, code).
    std::vector<std::pair<int, int>> allPackets() const
    {
        std::vector<std::pair<int, int>> out;
        const CEventMngr &ev = w->paper->eventMngr();
        ev.walkPackets(0, ev.topEventPos, [&](const SEventPacketInfo &pk) {
            out.emplace_back(pk.hdr.group, pk.hdr.code);
            return true;
        });
        return out;
    }

    // The coverage box of the recorded text packet.
    sBox recordedBox(int code) const
    {
        sBox box{};
        const CEventMngr &ev = w->paper->eventMngr();
        ev.walkPackets(0, ev.topEventPos, [&](const SEventPacketInfo &pk) {
            if (pk.hdr.group != 13 || pk.hdr.code != code)
                return true;
            std::vector<uint8_t> body(pk.bodyLen);
            ev.readDataEx(pk.pos + 2, body.data(), pk.bodyLen);
            SEvAlpha a;
            if (readEventRecord(std::span<const uint8_t>(body), a))
                box = a.box;
            return false;
        });
        return box;
    }

    std::unique_ptr<TDrawWindow> w;
};

size_t indexOf(const std::vector<std::pair<int, int>> &v, std::pair<int, int> p)
{
    return size_t(std::find(v.begin(), v.end(), p) - v.begin());
}

TEST_F(TextToolTest, OKPaintsTheTextOnTheLayerInsideItsBoxAndUndoes)
{
    const int32_t act = w->paper->ActiveLayer(), idle = 1 - act;
    const std::vector<uint32_t> before = layerPixels(*w->paper, act);
    const std::vector<uint32_t> other = layerPixels(*w->paper, idle);
    click(TToolSubKind::tskFillText, {30, 60}, typeAndOK("Ab\nc"));
    EXPECT_EQ(main().hookedModalCount, 1);
    ASSERT_EQ(w->paper->eventMngr().eventCnt, 1u);
    const auto packets = allPackets();
    const size_t font = indexOf(packets, {0, 34}), text = indexOf(packets, {0, 33}),
                 cover = indexOf(packets, {13, 16});
    ASSERT_LT(cover, packets.size());
    EXPECT_LT(font, cover);
    EXPECT_LT(text, cover);
    EXPECT_EQ(indexOf(packets, {13, 17}), packets.size());
    EXPECT_TRUE(w->isModified());

    const sBox box = recordedBox(16);
    ASSERT_GT(box.w, 0);
    const std::vector<uint32_t> after = layerPixels(*w->paper, act);
    int changed = 0;
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 160; ++x)
            if (after[size_t(y * 160 + x)] != before[size_t(y * 160 + x)]) {
                ++changed;
                EXPECT_TRUE(boxContainsPoint(box, {x, y})) << x << "," << y;
            }
    EXPECT_GT(changed, 30);
    // Two lines: the text reaches below the first baseline.
    EXPECT_GT(box.y + box.h, 60);
    EXPECT_EQ(layerPixels(*w->paper, idle), other);

    ASSERT_TRUE(w->Undo());
    EXPECT_EQ(layerPixels(*w->paper, act), before);
    ASSERT_TRUE(w->Redo());
    EXPECT_EQ(layerPixels(*w->paper, act), after);
}

TEST_F(TextToolTest, TheSelectionTextMakesASelectionAndLeavesTheLayer)
{
    select(*w->paper, {});
    const std::vector<uint32_t> layer = layerPixels(*w->paper, w->paper->ActiveLayer());
    const std::vector<uint8_t> empty = maskPixels(*w->paper);
    click(TToolSubKind::tskSelectText, {30, 60}, typeAndOK("Ab"));
    const auto packets = allPackets();
    EXPECT_LT(indexOf(packets, {13, 17}), packets.size());
    EXPECT_EQ(indexOf(packets, {13, 16}), packets.size());
    EXPECT_EQ(layerPixels(*w->paper, w->paper->ActiveLayer()), layer);
    const std::vector<uint8_t> selected = maskPixels(*w->paper);
    const sBox box = recordedBox(17);
    int inside = 0;
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 160; ++x)
            if (selected[size_t(y * 160 + x)] != 0) {
                ++inside;
                EXPECT_TRUE(boxContainsPoint(box, {x, y})) << x << "," << y;
            }
    EXPECT_GT(inside, 30);

    ASSERT_TRUE(w->Undo());
    EXPECT_EQ(maskPixels(*w->paper), empty);
    ASSERT_TRUE(w->Redo());
    EXPECT_EQ(maskPixels(*w->paper), selected);
}

TEST_F(TextToolTest, ASelectionThatRunsOutOfMemoryLeavesNoEventAndNoChange)
{
    select(*w->paper, {{5, 5, 255}});
    const std::vector<uint32_t> layer = layerPixels(*w->paper, w->paper->ActiveLayer());
    const std::vector<uint8_t> mask = maskPixels(*w->paper);
    const uint32_t length = w->paper->eventMngr().curLength;
    click(TToolSubKind::tskSelectText, {30, 60}, [](TFontWindow &fw) {
        fw.memoText->setPlainText(QStringLiteral("Ab"));
        const ScopedBlockMemoryLimit none(0);
        fw.ButtonOK->click();
    });
    EXPECT_EQ(w->paper->eventMngr().eventCnt, 0u);
    EXPECT_EQ(w->paper->eventMngr().curLength, length);
    EXPECT_EQ(maskPixels(*w->paper), mask);
    EXPECT_EQ(layerPixels(*w->paper, w->paper->ActiveLayer()), layer);
    EXPECT_FALSE(w->isModified());
    EXPECT_FALSE(w->canUndo());
}

TEST_F(TextToolTest, CancelAndOtherToolsLeaveTheDocument)
{
    const std::vector<uint32_t> layer = layerPixels(*w->paper, w->paper->ActiveLayer());
    click(TToolSubKind::tskFillText, {30, 60}, [](TFontWindow &fw) {
        fw.memoText->setPlainText(QStringLiteral("Ab"));
        fw.ButtonCancel->click();
    });
    EXPECT_EQ(main().hookedModalCount, 1);
    // The press of another group's tool through the text handler opens nothing.
    tool().ChangeToolSubMode(TToolSubKind::tskDrawLocus, true);
    const sPos c = convToViewPos(*w->paper, sPos{30, 60});
    TDrawWindow::textToolDown(*w, TShiftState(TShiftState::ssLeft), &c);
    EXPECT_EQ(main().hookedModalCount, 1);
    EXPECT_EQ(w->paper->eventMngr().eventCnt, 0u);
    EXPECT_EQ(layerPixels(*w->paper, w->paper->ActiveLayer()), layer);
    EXPECT_FALSE(w->isModified());
}

// ---- live == replay

struct TextToolLiveReplay : DocWinFixture
{
    TextToolLiveReplay()
    {
        CAppProfile &p = prof();
        p.undoMax = 100;
        p.fontCharset = -1;
        p.fontPreview = true;
        p.fontUseFont = false;
        app.stroke.SetDrawMode(TDrawMode::DM_PEN);
        app.stroke.SetDrawColor(0xFF3060A0u);
    }
    ~TextToolLiveReplay() override { resetKeyState(); }
    LiveReplayApp app;
};

// Two layers and a current selection that is not enabled, so that texts go onto the layer
// unlimited and a selection text has a selection to replace.
bool textStart(TDrawWindow &w, uint32_t)
{
    if (!window_live_replay::plainStart(w, {240, 160}, 2, {320, 240}))
        return false;
    auto md = std::make_unique<CMaskData>(0, 240, 160);
    CMaskMngr &mm = w.paper->maskMngr();
    mm.insertAt(mm.getMaskCount(), md);
    mm.setCurIndex(mm.getMaxIndex());
    w.paper->bEnbMask = false;
    return true;
}

TEST_F(TextToolLiveReplay, TextsReplayAsTheyWereMade)
{
    struct Case
    {
        const char *name;
        const char *script;
    };
    // Client pixels; the canvas lies at (40, 40) at 1:1.
    const Case cases[] = {
        {"horizontal", R"(text 80 100 "Hello" "DejaVu Sans" 22)"},
        {"vertical", R"(text 200 60 "縦書き、テスト" "Noto Sans CJK JP" 24 vertical)"},
        {"bold italic", R"(text 70 120 "Bold it" "DejaVu Sans" 26 bold italic)"},
        {"negative spacing and leading, multi-line",
         R"(text 60 80 "ab\ncd\nef" "DejaVu Sans" 20 spacing -3 leading -6)"},
        {"two texts",
         "text 60 90 \"one\" \"DejaVu Sans\" 18\ntext 150 150 \"two\" \"Noto Sans CJK JP\" 30"},
        {"into the selection", R"(text 80 120 "Mask" "DejaVu Sans" 36 bold mask)"},
        {"vertical into the selection",
         R"(text 220 50 "選択" "Noto Sans CJK JP" 40 vertical spacing 4 mask)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        uint32_t events = 0;
        expectWindowLiveEqualsReplay(textStart, QString::fromUtf8(c.script), 1, &events, true);
        EXPECT_GE(events, 1u);
    }
}

TEST(TextToolScript, TheTextStepParsesQuotedWordsAndRefusesBadOnes)
{
    std::vector<SInputStep> steps;
    QString error;
    ASSERT_TRUE(parseInputScript(
        QString::fromUtf8(R"(text 10 -20 "a \"b\" # c\nd\\" "Noto Sans CJK JP" 30 bold italic vertical spacing -5 leading 7 mask # note)"),
        steps, error))
        << error.toStdString();
    ASSERT_EQ(steps.size(), 1u);
    const SInputTextStep &t = steps[0].textStep;
    EXPECT_EQ(steps[0].kind, eInputStepKind::Text);
    EXPECT_EQ(steps[0].x, 10);
    EXPECT_EQ(steps[0].y, -20);
    EXPECT_EQ(t.text, QStringLiteral("a \"b\" # c\nd\\"));
    EXPECT_EQ(t.face, QStringLiteral("Noto Sans CJK JP"));
    EXPECT_EQ(t.size, 30);
    EXPECT_TRUE(t.bold && t.italic && t.vertical && t.mask);
    EXPECT_EQ(t.spacing, -5);
    EXPECT_EQ(t.leading, 7);

    const char *bad[] = {
        R"(text 10 20 "open)",
        R"(text 10 20 "x" "DejaVu Sans")",
        R"(text 10 20 "x" "DejaVu Sans" 0)",
        R"(text 10 20 "x" "DejaVu Sans" 12 spacing)",
        R"(text 10 20 "x" "DejaVu Sans" 12 underline)",
        R"(text 10 20 "\q" "DejaVu Sans" 12)",
    };
    for (const char *b : bad) {
        EXPECT_FALSE(parseInputScript(QString::fromUtf8(b), steps, error)) << b;
        EXPECT_TRUE(error.startsWith(QStringLiteral("line 1: "))) << error.toStdString();
    }
}

} // namespace
