// The layer list operations: their refusals, the records they push, their packets, and what
// running out of memory leaves.
#include "core/tiles/block_layer_image.h"
#include "document/edit/layer_undo.h"
#include "edit_op_table.h"
#include "edit_rig.h"
#include "support/block_memory.h"

#include <gtest/gtest.h>

namespace {

// The body of the last packet of the stream with this group and code; empty when none.
std::vector<uint8_t> lastPacketBody(EditSession &s, uint8_t group, uint8_t code)
{
    std::vector<uint8_t> body;
    const std::vector<uint8_t> bytes = s.stream();
    s.ev().walkPackets(0, s.ev().topEventPos, [&](const SEventPacketInfo &pk) {
        if (pk.hdr.group == group && pk.hdr.code == code)
            body.assign(bytes.begin() + pk.pos + 2, bytes.begin() + pk.pos + 2 + pk.bodyLen);
        return true;
    });
    return body;
}

struct Counts
{
    uint32_t events;
    int32_t undo, redo;
    friend bool operator==(const Counts &, const Counts &) = default;
};

Counts countsOf(EditSession &s)
{
    return {s.ev().eventCnt, s.undo().getUndoCnt(), s.undo().getRedoCnt()};
}

} // namespace

TEST(LayerListOps, AddingDuplicatingAndMovingAreRefusedAtTheLayerLimit)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    EditSession s{1, 2};
    ASSERT_TRUE(s.start());
    CLayerMngr &lm = s.paper().layerMngr();
    while (lm.getLayerCount() < CLayerMngr::kLimitNum)
        ASSERT_GE(lm.addLayer(8, 8, TLayerMode::LM_STD, false, 255, true), 0);
    const Counts before = countsOf(s);
    TPaper &p = s.paper();
    EXPECT_FALSE(eventLayerAdd(p, nullptr, TLayerMode::LM_STD, true));
    EXPECT_FALSE(eventLayerAddEx(p, nullptr, 1, 8, 8, TLayerMode::LM_SCR, 255, 0, QString(),
                                 true, true));
    EXPECT_FALSE(eventLayerCopy(p, nullptr, 0, true));
    EXPECT_FALSE(EventLayerInsert(p, nullptr, 0, 5, true));
    EXPECT_EQ(lm.getLayerCount(), CLayerMngr::kLimitNum);
    EXPECT_EQ(countsOf(s), before);
    EXPECT_TRUE(app.messages.warnings.isEmpty());
}

TEST(LayerListOps, UntrustedOperandsAreRefusedBeforeAnythingIsRecorded)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    EditSession s{2};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const QString start = dumpPaperState(p);
    const Counts before = countsOf(s);
    struct Case
    {
        const char *what;
        std::function<bool()> call;
    };
    const Case cases[] = {
        {"add filled, mode 22",
         [&] {
             return eventLayerAddEx(p, nullptr, 1, 48, 40, TLayerMode(22), 255, 0, QString(), true,
                                    true);
         }},
        {"add, negative index",
         [&] { return eventLayerAdd(p, nullptr, -1, 48, 40, TLayerMode::LM_STD, 255, true, true); }},
        {"delete past the end", [&] { return EventLayerDelete(p, nullptr, 4, true); }},
        {"duplicate below 0", [&] { return eventLayerCopy(p, nullptr, -1, true); }},
        {"move from an invalid layer", [&] { return EventLayerInsert(p, nullptr, 9, 0, true); }},
        {"move onto itself", [&] { return EventLayerInsert(p, nullptr, 1, 1, true); }},
        {"move past the end onto itself", [&] { return EventLayerInsert(p, nullptr, 3, 40, true); }},
        {"alpha fill of a missing layer", [&] { return eventLayerMaskFill(p, nullptr, 7, 1, true); }},
        {"alpha invert of a missing layer", [&] { return eventLayerMaskNega(p, nullptr, -2, true); }},
        {"rename a missing layer", [&] { return eventLayerName(p, nullptr, 4, "x", true); }},
        {"clear a missing layer", [&] { return EventLayerClear(p, nullptr, 4, true); }},
        {"protect a missing layer", [&] { return eventLayerMaskProtected(p, 4, 1, true); }},
        {"blend mode 22", [&] { return EventLayerMode(p, 0, TLayerMode(22), true); }},
        {"group visibility of no layers",
         [&] { return eventLayerGroupVisible(p, 0, 0, false, true); }},
        {"show only a missing layer", [&] { return eventLayerVisOnly(p, 4, true); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(c.call());
        EXPECT_EQ(countsOf(s), before);
        EXPECT_EQ(dumpPaperState(p), start);
    }
    EXPECT_TRUE(app.messages.warnings.isEmpty());
}

TEST(LayerListOps, DeletingTheOnlyLayerIsRefused)
{
    LiveReplayApp app;
    EditSession s{3, 1};
    ASSERT_TRUE(s.start());
    EXPECT_FALSE(EventLayerDelete(s.paper(), nullptr, 0, true));
    EXPECT_EQ(s.paper().getLayerCount(), 1);
    EXPECT_EQ(s.ev().eventCnt, 0u);
}

TEST(LayerListOps, ALayerAddedBelowADeeperLayerJoinsItsGroup)
{
    LiveReplayApp app;
    EditSession s{4};
    ASSERT_TRUE(s.start());
    // Layer 1 heads a group of layer 2; a layer put between them joins the group, one put on top
    // of the group does not.
    TPaper &p = s.paper();
    ASSERT_TRUE(eventLayerAdd(p, nullptr, 2, 48, 40, TLayerMode::LM_STD, 255, true, true));
    EXPECT_EQ(p.getLayerData(2)->groupLevel, 1);
    EXPECT_EQ(p.layerMngr().countGroupMember(1, true), 2);
    ASSERT_TRUE(eventLayerAdd(p, nullptr, 4, 48, 40, TLayerMode::LM_STD, 255, true, true));
    EXPECT_EQ(p.getLayerData(4)->groupLevel, 1); // the level of the layer below it
    ASSERT_TRUE(eventLayerAdd(p, nullptr, 1, 48, 40, TLayerMode::LM_STD, 255, true, true));
    EXPECT_EQ(p.getLayerData(1)->groupLevel, 0);
}

TEST(LayerListOps, AddedLayersAreTransparentFilledOrOpaqueByProcedureAndColour)
{
    LiveReplayApp app;
    EditSession s{5};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(eventLayerAdd(p, nullptr, TLayerMode::LM_STD, true));
    EXPECT_EQ(p.ActiveLayer(), 1);
    EXPECT_EQ(p.getLayerData(1)->imageTC->getColor(5, 5) >> 24, 0u);
    EXPECT_EQ(p.getLayerData(1)->title, QStringLiteral("レイヤ5"));
    ASSERT_TRUE(eventLayerAddEx(p, nullptr, 0, 50, 40, TLayerMode::LM_STD, 128, 0x80123456u,
                                QStringLiteral("下地"), true, true));
    const CLayerData &ld = *p.getLayerData(0);
    EXPECT_EQ(ld.title, QStringLiteral("下地"));
    EXPECT_EQ(ld.imageTC->getColor(49, 39), 0x80123456u);
    EXPECT_EQ(ld.trans, 128);
    EXPECT_EQ(p.ActiveLayer(), 0);
}

TEST(LayerListOps, ProtectionToggledTwiceReturnsAndRecordsTwoEvents)
{
    LiveReplayApp app;
    EditSession s{6};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const bool first = p.getLayerData(0)->maskProtected;
    ASSERT_TRUE(eventLayerMaskProtected(p, -1, -1, true));
    EXPECT_NE(p.getLayerData(0)->maskProtected, first);
    EXPECT_EQ(appMainStroke()->m_bProtectMask, !first);
    ASSERT_TRUE(eventLayerMaskProtected(p, -1, -1, true));
    EXPECT_EQ(p.getLayerData(0)->maskProtected, first);
    EXPECT_EQ(s.ev().eventCnt, 2u);
    // Protecting a layer that is not the active one sets the stroke's protection too.
    ASSERT_TRUE(eventLayerMaskProtected(p, 3, 1, true));
    EXPECT_TRUE(appMainStroke()->m_bProtectMask);
}

TEST(LayerListOps, AlphaFillCarriesItsValueInTheSecondIndexField)
{
    LiveReplayApp app;
    EditSession s{7};
    ASSERT_TRUE(s.start());
    ASSERT_TRUE(eventLayerMaskFill(s.paper(), nullptr, 1, 128, true));
    SEvIdxPair p;
    ASSERT_TRUE(readEventRecord(lastPacketBody(s, 4, 24), p));
    EXPECT_EQ(p.idx0, 1);
    EXPECT_EQ(p.idx1, 128);
    const CBlockVMTC &img = *s.paper().getLayerData(1)->imageTC;
    for (int32_t y = 0; y < 40; y += 7)
        for (int32_t x = 0; x < 48; x += 5)
            ASSERT_EQ(img.getColor(x, y) >> 24, 128u);
}

TEST(LayerListOpsUndoRedo, DeleteThenUndoBringsBackTheSameLayer)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    EditSession s{8};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const int32_t id = p.getLayerData(3)->uniqueID;
    const QString before = contentOf(p);
    ASSERT_TRUE(EventLayerDelete(p, s.flow(), 3, true));
    EXPECT_EQ(p.getLayerCount(), 3);
    int32_t idx = 0;
    sRect rect;
    ASSERT_TRUE(eventLayerUndo(p, s.flow(), idx, rect));
    EXPECT_EQ(p.getLayerData(3)->uniqueID, id);
    EXPECT_EQ(contentOf(p), before);
    ASSERT_TRUE(eventLayerRedo(p, s.flow(), idx, rect));
    EXPECT_EQ(p.layerMngr().findLayer(id), -1);
    EXPECT_TRUE(s.historiesInStep());
}

TEST(LayerListOpsUndoRedo, AddUndoneMakesTheLayerActiveBeforeCurrentAgain)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    EditSession s{9};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(EventLayerActive(p, s.flow(), 2));
    ASSERT_TRUE(eventLayerAdd(p, s.flow(), 0, 48, 40, TLayerMode::LM_STD, 255, true, true));
    const int32_t added = p.getLayerData(0)->uniqueID;
    EXPECT_EQ(p.ActiveLayer(), 0);
    int32_t idx = 0;
    sRect rect;
    ASSERT_TRUE(eventLayerUndo(p, s.flow(), idx, rect));
    EXPECT_EQ(p.ActiveLayer(), 2);
    ASSERT_TRUE(eventLayerRedo(p, s.flow(), idx, rect));
    EXPECT_EQ(p.getLayerData(0)->uniqueID, added);
}

TEST(LayerListOpsOutOfMemory, DuplicateFailingAtEveryCommitLeavesEverythingAsItWas)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    EditSession s{10};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    // A step to undo first: a failed duplicate must not cost the undone event its bytes.
    ASSERT_TRUE(EventLayerTrans(p, 1, 77, true));
    int32_t idx = 0;
    sRect rect;
    ASSERT_TRUE(eventLayerUndo(p, s.flow(), idx, rect));
    const QString snapshot = dumpPaperState(p);
    const std::vector<uint8_t> stream = s.stream();
    const Counts before = countsOf(s);
    bool done = false;
    for (int commits = 0; commits < 200 && !done; ++commits) {
        SCOPED_TRACE("commits " + std::to_string(commits));
        app.messages.clear();
        {
            const ScopedBlockMemoryLimit limit(commits);
            done = eventLayerCopy(p, s.flow(), 2, true);
        }
        if (done)
            break;
        EXPECT_EQ(dumpPaperState(p), snapshot);
        EXPECT_EQ(s.stream(), stream);
        EXPECT_EQ(countsOf(s), before);
        // One warning of the operation (the tiled image warns of its own failed commit too).
        EXPECT_EQ(app.messages.warnings.count(QString::fromUtf16(kEditMemoryMessage)), 1);
    }
    ASSERT_TRUE(done);
    EXPECT_EQ(p.getLayerCount(), 5);
    EXPECT_EQ(s.replayDifference(true), "");
    // The undone opacity change is gone with the new event; before it, it could be redone.
    EXPECT_EQ(s.undo().getRedoCnt(), 0);
    EXPECT_TRUE(s.historiesInStep());
}

TEST(LayerListOpsOutOfMemory, ARedoSurvivesADuplicateThatRanOutOfMemory)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    EditSession s{11};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(eventLayerAdd(p, s.flow(), TLayerMode::LM_STD, true));
    ASSERT_TRUE(EventLayerTrans(p, 1, 77, true));
    int32_t idx = 0;
    sRect rect;
    ASSERT_TRUE(eventLayerUndo(p, s.flow(), idx, rect));
    {
        const ScopedBlockMemoryLimit limit(0);
        ASSERT_FALSE(eventLayerCopy(p, s.flow(), 2, true));
    }
    ASSERT_TRUE(eventLayerRedo(p, s.flow(), idx, rect));
    EXPECT_EQ(p.getLayerData(1)->trans, 77);
    EXPECT_EQ(s.replayDifference(false), "");
}

TEST(LayerListOpsOutOfMemory, ClearWithAFailingStockStillClearsRecordsAndEmptiesBothHistories)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    EditSession s{12};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(eventLayerName(p, s.flow(), 1, QStringLiteral("前"), true));
    ASSERT_EQ(s.undo().getUndoCnt(), 1);
    {
        const ScopedBlockMemoryLimit limit(0);
        ASSERT_TRUE(EventLayerClear(p, s.flow(), 1, true));
    }
    EXPECT_EQ(s.ev().eventCnt, 2u);
    EXPECT_EQ(s.undo().getUndoCnt(), 0);
    EXPECT_EQ(s.ev().getUndoCnt(), 0);
    const CBlockVMTC &img = *p.getLayerData(1)->imageTC;
    EXPECT_EQ(img.getColor(3, 3) >> 24, 0u);
    EXPECT_EQ(s.replayDifference(true), "");
}
