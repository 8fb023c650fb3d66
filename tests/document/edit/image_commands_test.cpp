#include "document/edit/image_commands.h"

#include "document/edit/layer_undo.h"
#include "document/undo/undo_manager.h"
#include "image_ops_fixtures.h"
#include "support/block_memory.h"
#include "document/undo/undo_fixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <vector>

namespace {

using enum udCmdName;
using undo_test::ScopedUndoMax;
using Op = std::function<bool(TPaper &, uint32_t)>;

// The (group, code) of every command packet recorded since from (status packets left out).
std::vector<std::pair<int, int>> commandsSince(const TPaper &paper, uint32_t from)
{
    std::vector<std::pair<int, int>> out;
    const CEventMngr &ev = paper.eventMngr();
    ev.walkPackets(from, ev.topEventPos, [&](const SEventPacketInfo &p) {
        if (p.hdr.group != 0)
            out.emplace_back(p.hdr.group, p.hdr.code);
        return true;
    });
    return out;
}

TEST(ImageCommandsLiveReplay, EveryCommandReplaysToTheLiveDocument)
{
    ScopedUndoMax undoMax(20);
    LiveReplayApp app;
    const udCmdName kinds[] = {udcnCmdFlipLR, udcnCmdFlipTB, udcnCmdNot, udcnCmdRot180};
    const udCmdName several[] = {udcnCmdVisFlipLR, udcnCmdVisFlipTB, udcnCmdVisNot,
                                 udcnCmdVisRot180};
    std::vector<std::pair<std::string, Op>> ops;
    for (int k = 0; k < 4; ++k) {
        const std::string n = std::to_string(k);
        ops.push_back({"whole " + n, [=](TPaper &p, uint32_t s) {
                           return eventLayerCmd(p, nullptr, int32_t(s % 3), kinds[k], true);
                       }});
        ops.push_back({"visible " + n, [=](TPaper &p, uint32_t) {
                           return eventVisLayerCmd(p, nullptr, several[k], true);
                       }});
        ops.push_back({"all " + n, [=](TPaper &p, uint32_t) {
                           return eventAllLayerCmd(p, nullptr, several[k], true);
                       }});
    }
    ops.push_back({"turn right", [](TPaper &p, uint32_t s) {
                       return eventLayerRotate90(p, nullptr, int32_t(s % 3), true, true);
                   }});
    ops.push_back({"turn left", [](TPaper &p, uint32_t s) {
                       return eventLayerRotate90(p, nullptr, int32_t(s % 3), false, true);
                   }});
    ops.push_back({"rotate", [](TPaper &p, uint32_t s) {
                       return eventLayerRotate(p, nullptr, 1, float(s) * 37.5f - 20.0f, true);
                   }});
    ops.push_back({"rotate 2", [](TPaper &p, uint32_t s) {
                       return eventLayerRotate2(p, nullptr, 0, float(s) * -23.25f, true);
                   }});
    ops.push_back({"zoom", [](TPaper &p, uint32_t s) {
                       return eventLayerZoom(p, nullptr, 1, 20 + int32_t(s) * 13, 50, true);
                   }});
    ops.push_back({"zoom 2", [](TPaper &p, uint32_t s) {
                       return eventLayerZoom2(p, nullptr, 2, 33, 11 + int32_t(s) * 7, true);
                   }});
    ops.push_back({"image right", [](TPaper &p, uint32_t) {
                       return EventEditRotate(p, nullptr, true, true);
                   }});
    ops.push_back({"image left", [](TPaper &p, uint32_t) {
                       return EventEditRotate(p, nullptr, false, true);
                   }});
    for (const auto &[name, op] : ops) {
        SCOPED_TRACE(name);
        for (uint32_t seed = 1; seed <= 2; ++seed)
            expectLiveEqualsReplay(opsStartPlain, op, seed);
    }
    // Inside the selection, with and without transparency protection.
    for (int k = 0; k < 4; ++k) {
        for (const bool noprt : {true, false}) {
            SCOPED_TRACE(testing::Message() << "selected " << k << " " << noprt);
            expectLiveEqualsReplay(opsStartSelected, [&](TPaper &p, uint32_t s) {
                return eventLayerCmdEx(p, nullptr, int32_t(s % 2), -1, kinds[k], noprt, true);
            });
        }
    }
}

TEST(ImageCommands, MirroringMovesTheOverhangAcrossThePaper)
{
    LiveReplayApp app;
    HeadlessDocument doc;
    ASSERT_TRUE(opsStartPlain(*doc.paper, 3));
    CLayerData &mid = *doc.paper->getLayerData(1); // 70 wide on a 40 wide paper
    mid.imageTC->setPixel(0, 4, 0xFF123456);
    ASSERT_TRUE(eventLayerCmd(*doc.paper, nullptr, 1, udcnCmdFlipLR, false));
    EXPECT_EQ(mid.viewPos, (sPos{30, 0}));
    // Paper point (0, 4) mirrors to (39, 4): image x 39 + 30.
    EXPECT_EQ(mid.imageTC->getColor(69, 4), 0xFF123456u);
}

TEST(ImageCommands, InvertingKeepsEveryAlphaAndProtectedSelectionsKeepAlpha)
{
    LiveReplayApp app;
    for (const bool selected : {false, true}) {
        SCOPED_TRACE(selected);
        HeadlessDocument doc;
        ASSERT_TRUE(opsStart(*doc.paper, 5, selected));
        CLayerData &ld = *doc.paper->getLayerData(0);
        ld.maskProtected = true;
        const auto before = layerPixels(ld);
        for (udCmdName cn : {udcnCmdNot, udcnCmdFlipLR, udcnCmdRot180}) {
            ASSERT_TRUE(cn == udcnCmdNot ? eventLayerNega(*doc.paper, nullptr, 0, true)
                        : cn == udcnCmdFlipLR ? eventLayerFlipLR(*doc.paper, nullptr, 0, true)
                                              : eventLayerRot180(*doc.paper, nullptr, 0, true));
            if (selected || cn == udcnCmdNot) {
                const auto after = layerPixels(ld);
                ASSERT_EQ(after.size(), before.size());
                for (size_t i = 0; i < after.size(); ++i)
                    ASSERT_EQ(after[i] >> 24, before[i] >> 24) << i;
            }
        }
    }
}

TEST(ImageCommands, RecordedCodesFollowTheSelection)
{
    LiveReplayApp app;
    struct SCase
    {
        const char *name;
        bool mask, maskEmpty;
        int code;
    };
    const SCase cases[] = {
        {"no selection", false, false, 32},
        {"empty selection", true, true, 32},
        {"selection", true, false, 48},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        HeadlessDocument doc;
        ASSERT_TRUE(opsStart(*doc.paper, 2, c.mask));
        if (c.maskEmpty) {
            ASSERT_TRUE(doc.paper->maskMngr().getActiveMask()->createMask(10, 10));
        }
        const uint32_t from = doc.paper->eventMngr().topEventPos;
        ASSERT_TRUE(eventLayerFlipLR(*doc.paper, nullptr, 1, true));
        EXPECT_EQ(commandsSince(*doc.paper, from), (std::vector<std::pair<int, int>>{{4, c.code}}));
        // Only the whole-layer form moves the view position of the wide layer.
        EXPECT_EQ(doc.paper->getLayerData(1)->viewPos.x, c.code == 32 ? 30 : 0);
    }
}

TEST(ImageCommands, VisibleLayersCommandsSkipHiddenLayersAndAllLayersDoNot)
{
    LiveReplayApp app;
    for (const bool all : {false, true}) {
        HeadlessDocument doc;
        ASSERT_TRUE(opsStartPlain(*doc.paper, 7));
        const auto hidden = layerPixels(*doc.paper->getLayerData(2));
        const auto shown = layerPixels(*doc.paper->getLayerData(0));
        ASSERT_TRUE(EventEditNegaPosi(*doc.paper, nullptr, all));
        EXPECT_EQ(layerPixels(*doc.paper->getLayerData(2)) == hidden, !all);
        EXPECT_NE(layerPixels(*doc.paper->getLayerData(0)), shown);
        // Only the four several-layer kinds, with or without undo.
        EXPECT_FALSE(eventVisLayerCmd(*doc.paper, nullptr, udcnCmdFlipLR, false));
        EXPECT_FALSE(eventAllLayerCmd(*doc.paper, nullptr, udcnImageBox, true));
    }
}

TEST(ImageCommands, UntrustedOperandsAreRefusedAndChangeNothing)
{
    LiveReplayApp app;
    HeadlessDocument doc;
    TPaper &paper = *doc.paper;
    ASSERT_TRUE(opsStartSelected(paper, 3));
    const QString before = dumpPaperState(paper);
    EXPECT_FALSE(eventLayerZoom(paper, nullptr, 0, 0, 10, false));
    EXPECT_FALSE(eventLayerZoom2(paper, nullptr, 0, 10, 10001, false));
    EXPECT_FALSE(eventLayerRotate(paper, nullptr, 0, std::numeric_limits<float>::quiet_NaN(), false));
    EXPECT_FALSE(eventLayerRotate2(paper, nullptr, 1, std::numeric_limits<float>::infinity(), false));
    EXPECT_FALSE(eventLayerRotate90(paper, nullptr, 3, true, false));
    EXPECT_FALSE(eventLayerCmd(paper, nullptr, -1, udcnCmdNot, false));
    EXPECT_FALSE(eventLayerCmd(paper, nullptr, 0, udcnImageBox, false));
    EXPECT_EQ(dumpPaperState(paper), before);
}

TEST(ImageCommands, TurningTheImageTurnsThePaperAndEveryLayer)
{
    LiveReplayApp app;
    HeadlessDocument doc;
    TPaper &paper = *doc.paper;
    ASSERT_TRUE(setupHeadlessPaper(paper, {300, 200}, 0xFFFFFF, 1));
    CLayerData &ld = *paper.getLayerData(0);
    ld.imageTC = std::make_unique<CBlockVMTC>(400, 200);
    ld.viewPos = {50, 0};
    ld.imageTC->setPixel(0, 0, 0xFF00FF00);
    ASSERT_TRUE(EventEditRotate(paper, nullptr, true, false));
    EXPECT_EQ(paper.m_paperSize, (sSize{200, 300}));
    EXPECT_EQ(ld.imageTC->FPSZ(), (sSize{200, 400}));
    EXPECT_EQ(ld.viewPos, (sPos{0, 50}));
    EXPECT_EQ(ld.viewSize, (sSize{200, 300}));
    EXPECT_EQ(ld.imageTC->getColor(199, 0), 0xFF00FF00u); // the top-left corner went top-right
}

TEST(ImageCommandsUndoRedo, CommandsComeBackExactlyAndHiddenLayersStayUntouched)
{
    ScopedUndoMax undoMax(20);
    LiveReplayApp app;
    using Step = std::function<bool(TPaper &)>;
    const std::vector<std::pair<const char *, Step>> steps = {
        {"whole", [](TPaper &p) { return eventLayerCmd(p, nullptr, 1, udcnCmdRot180, true); }},
        {"selected", [](TPaper &p) { return eventLayerFlipTB(p, nullptr, 1, true); }},
        {"visible", [](TPaper &p) { return EventEditMirror(p, nullptr, false); }},
        {"rotate", [](TPaper &p) { return eventLayerRotate(p, nullptr, 1, 33.0f, true); }},
        {"zoom", [](TPaper &p) { return eventLayerZoom2(p, nullptr, 1, 17, 45, true); }},
        {"turn", [](TPaper &p) { return eventLayerRotate90(p, nullptr, 1, false, true); }},
    };
    // Each acts on the active layer, which undo and redo make active again.
    for (const auto &[name, step] : steps) {
        SCOPED_TRACE(name);
        HeadlessDocument doc;
        TPaper &paper = *doc.paper;
        ASSERT_TRUE(opsStartSelected(paper, 11));
        std::vector<const CLayerData *> objects;
        std::vector<std::vector<uint32_t>> pixels;
        for (int32_t i = 0; i < 3; ++i) {
            objects.push_back(paper.getLayerData(i));
            pixels.push_back(layerPixels(*paper.getLayerData(i)));
        }
        const QString start = dumpPaperState(paper);
        ASSERT_TRUE(step(paper));
        const QString changed = dumpPaperState(paper);
        ASSERT_NE(changed, start);
        int32_t idx = 0;
        sRect r;
        ASSERT_TRUE(eventLayerUndo(paper, nullptr, idx, r));
        for (int32_t i = 0; i < 3; ++i) {
            EXPECT_EQ(paper.getLayerData(i), objects[size_t(i)]);
            EXPECT_EQ(layerPixels(*paper.getLayerData(i)), pixels[size_t(i)]) << i;
        }
        ASSERT_TRUE(eventLayerRedo(paper, nullptr, idx, r));
        const QString redone = dumpPaperState(paper);
        EXPECT_EQ(redone.left(redone.indexOf("undo undo=")).toStdString(),
                  changed.left(changed.indexOf("undo undo=")).toStdString());
    }
}

TEST(ImageCommandsOutOfMemory, FailuresLeaveDocumentAndStreamAsTheyWere)
{
    ScopedUndoMax undoMax(20);
    LiveReplayApp app;
    using Step = std::function<bool(TPaper &)>;
    const std::vector<std::pair<const char *, Step>> steps = {
        {"rotate", [](TPaper &p) { return eventLayerRotate(p, nullptr, 1, 21.0f, true); }},
        {"zoom", [](TPaper &p) { return eventLayerZoom(p, nullptr, 1, 75, 44, true); }},
        {"turn", [](TPaper &p) { return eventLayerRotate90(p, nullptr, 1, true, true); }},
        {"image turn", [](TPaper &p) { return EventEditRotate(p, nullptr, false, true); }},
    };
    for (const auto &[name, step] : steps) {
        SCOPED_TRACE(name);
        bool done = false;
        int n = 0;
        for (; !done && n < 300; ++n) {
            HeadlessDocument doc;
            TPaper &paper = *doc.paper;
            ASSERT_TRUE(opsStartPlain(paper, 13));
            const QString before = dumpPaperState(paper);
            const uint32_t stream = paper.eventMngr().topEventPos;
            {
                ScopedBlockMemoryLimit limit(n);
                done = step(paper);
            }
            if (!done) {
                EXPECT_EQ(dumpPaperState(paper), before);
                EXPECT_EQ(paper.eventMngr().topEventPos, stream);
            }
        }
        EXPECT_TRUE(done);
        EXPECT_GT(n, 1);
    }
}

// A command inside the selection on a layer whose blocks are not yet had: the write-back needs
// memory, and a failure leaves the layer, the stream and both histories as they were.
TEST(ImageCommandsOutOfMemory, ACommandInTheSelectionFailsWhole)
{
    ScopedUndoMax undoMax(20);
    for (const bool noprt : {true, false}) {
        SCOPED_TRACE(noprt);
        bool done = false;
        int n = 0;
        for (; !done && n < 50; ++n) {
            LiveReplayApp app;
            HeadlessDocument doc;
            TPaper &paper = *doc.paper;
            ASSERT_TRUE(opsStartSelected(paper, 13));
            CBlockVMTC &img = *paper.getLayerData(0)->imageTC;
            ASSERT_TRUE(img.PixelFill(0xFF203040u));
            img.shrinkMemory();
            const QString before = dumpPaperState(paper);
            const uint32_t stream = paper.eventMngr().topEventPos;
            {
                ScopedBlockMemoryLimit limit(n);
                done = eventLayerCmdEx(paper, nullptr, 0, -1, udcnCmdFlipLR, noprt, true);
            }
            if (!done) {
                EXPECT_EQ(dumpPaperState(paper).toStdString(), before.toStdString());
                EXPECT_EQ(paper.eventMngr().topEventPos, stream);
            }
        }
        EXPECT_TRUE(done);
        EXPECT_GT(n, 1);
    }
}

} // namespace
