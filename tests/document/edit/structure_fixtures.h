// A small document with every relation between layers, for the group, merge and move operations:
//
//   5  its image 20 px wider than the paper on each side
//   4  hidden, linked (link 1)
//   3  group level 1, clipped to layer 2, as wide as layer 5
//   2  group level 1, multiply
//   1  group head, opacity 128
//   0  opaque bottom layer, linked (link 1)
//
// with random pixels and, on request, a rectangular selection in the active mask. A session on it
// records with the undo limit set, like the edit sessions of edit_rig.h.
#pragma once

#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "document/edit/edit_ops.h"
#include "document/edit/layer_undo.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/stroke/paper_stroke.h"
#include "document/undo/undo_manager.h"
#include "document/view/composition.h"
#include "edit_rig.h"
#include "support/block_memory.h"
#include "support/live_replay.h"

#include <functional>
#include <random>
#include <string>
#include <vector>

inline constexpr sSize kStructPaper{48, 40};

inline bool structureStart(TPaper &paper, uint32_t seed, bool selection = true)
{
    if (!setupHeadlessPaper(paper, kStructPaper, 0xFFFFFF, 6) || !startPaintModeQZ5(paper))
        return false;
    CLayerMngr &lm = paper.layerMngr();
    std::mt19937 rng(seed);
    for (int32_t i : {3, 5}) {
        CLayerData &wide = *lm.getLayer(i);
        wide.imageTC = std::make_unique<CBlockVMTC>(kStructPaper.x + 40, kStructPaper.y);
        wide.viewPos = {20, 0};
    }
    for (int32_t i = 0; i < 6; ++i) {
        CBlockVMTC &img = *lm.getLayer(i)->imageTC;
        if (i == 0)
            img.fillImageAll(0xFF808080u);
        for (int k = 0; k < 80; ++k) {
            const uint32_t c = rng();
            img.setPixel(int32_t(rng() % uint32_t(img.width())),
                         int32_t(rng() % uint32_t(img.height())), i == 0 ? c | 0xFF000000u : c);
        }
    }
    lm.getLayer(1)->trans = 128;
    lm.getLayer(2)->setGroupLevel(1);
    lm.getLayer(2)->mode = TLayerMode::LM_MUL;
    lm.getLayer(3)->setGroupLevel(1);
    lm.getLayer(3)->ChangeUnderLyrClip(true);
    lm.getLayer(4)->visible = false;
    lm.getLayer(4)->setLinkIndex(1);
    lm.getLayer(0)->setLinkIndex(1);
    lm.initGroupAry(true);
    for (int32_t i = 0; i < 6; ++i)
        lm.getLayer(i)->updatePreview();
    if (selection) {
        CMaskData &md = *paper.maskMngr().getActiveMask();
        if (!md.createMask(kStructPaper.x, kStructPaper.y))
            return false;
        for (int32_t y = 8; y < 25; ++y)
            for (int32_t x = 10; x < 30; ++x)
                md.maskTC->setPixel(x, y, 255);
    }
    UpdateVRAM(paper, false, true);
    return true;
}

// Pixel (x, y) of the paper in layer idx.
inline CBlockVMTC &imageOf(TPaper &p, int32_t idx)
{
    return *p.getLayerData(idx)->imageTC;
}
inline void setPaperPixel(TPaper &p, int32_t idx, int32_t x, int32_t y, uint32_t c)
{
    const CLayerData &ld = *p.getLayerData(idx);
    ld.imageTC->setPixel(x + ld.viewPos.x, y + ld.viewPos.y, c);
}
inline uint32_t paperPixel(const TPaper &p, int32_t idx, int32_t x, int32_t y)
{
    const CLayerData &ld = *p.getLayerData(idx);
    return ld.imageTC->getColor(x + ld.viewPos.x, y + ld.viewPos.y);
}

// A recording session on the document above.
struct StructSession
{
    explicit StructSession(uint32_t s, bool sel = true) : seed(s), selection(sel) {}

    bool start()
    {
        if (!live.paper || !structureStart(*live.paper, seed, selection))
            return false;
        const int32_t undoMax = gAppProfile->undoMax;
        undo().changeLimit(undoMax, undoMax);
        const int32_t depth = eventUndoDepth(undoMax);
        setCurrentDrawWindow(&live.owner);
        return ev().startRecording(appMainStroke(), appMainToneMngrFor(live.paper.get()), depth,
                                   depth);
    }

    TPaper &paper() { return *live.paper; }
    CEventMngr &ev() { return live.paper->eventMngr(); }
    CUndoMngrEx &undo() { return *live.paper->undoMngrEx(); }
    TFlowImage *flow() { return &live.flow(); }

    std::vector<uint8_t> stream()
    {
        std::vector<uint8_t> bytes(ev().topEventPos);
        ev().readDataEx(0, bytes.data(), ev().topEventPos);
        return bytes;
    }

    bool stepUndo()
    {
        int32_t idx = 0;
        sRect rect;
        return eventLayerUndo(paper(), flow(), idx, rect);
    }
    bool stepRedo()
    {
        int32_t idx = 0;
        sRect rect;
        return eventLayerRedo(paper(), flow(), idx, rect);
    }

    ::testing::AssertionResult historiesInStep()
    {
        if (ev().getUndoCnt() == undo().getUndoCnt() && ev().getRedoCnt() == undo().getRedoCnt())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "events " << ev().getUndoCnt() << "/" << ev().getRedoCnt() << ", records "
               << undo().getUndoCnt() << "/" << undo().getRedoCnt();
    }

    // The stream so far replayed onto the same start, compared with this document.
    std::string replayDifference()
    {
        HeadlessDocument replayed;
        if (!replayed.paper || !structureStart(*replayed.paper, seed, selection))
            return "no start";
        const std::vector<uint8_t> bytes = stream();
        CEventMngr &evB = replayed.paper->eventMngr();
        if (!evB.restart() || evB.writeDataEx(bytes.data(), uint32_t(bytes.size())) != bytes.size())
            return "no load";
        evB.setupPlayPos(uint32_t(bytes.size()), ev().eventCnt);
        if (!live_replay::playAll(replayed, false))
            return "replay failed: " + evB.playError.toStdString();
        setCurrentDrawWindow(&live.owner);
        replayed.paper->layerMngr().setCurIndex(paper().ActiveLayer());
        return live_replay::firstDifference(paper(), *replayed.paper);
    }

    uint32_t seed;
    bool selection;
    HeadlessDocument live;
};

// The body of the last packet of the stream with this group and code; empty when none.
inline std::vector<uint8_t> lastPacketOf(StructSession &s, uint8_t group, uint8_t code)
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

struct SessionCounts
{
    uint32_t events;
    int32_t undo, redo;
    friend bool operator==(const SessionCounts &, const SessionCounts &) = default;
};

inline SessionCounts countsOf(StructSession &s)
{
    return {s.ev().eventCnt, s.undo().getUndoCnt(), s.undo().getRedoCnt()};
}

// One operation with fixed operands, for the tables of round trips and live == replay cases.
struct StructOp
{
    const char *name;
    std::function<bool(TPaper &paper, TFlowImage *flow)> run;
};

// Undo brings back the content and the same layer objects, redo the state after; both histories
// stay in step.
inline void expectUndoRedoRoundTrip(const StructOp &op, uint32_t seed = 3)
{
    SCOPED_TRACE(op.name);
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    StructSession s{seed};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const QString before = contentOf(p);
    const std::vector<int32_t> idsBefore = layerIds(p);
    ASSERT_TRUE(op.run(p, s.flow()));
    ASSERT_EQ(s.undo().getUndoCnt(), 1);
    ASSERT_TRUE(s.historiesInStep());
    const QString after = contentOf(p);
    const std::vector<int32_t> idsAfter = layerIds(p);
    ASSERT_TRUE(s.stepUndo());
    EXPECT_EQ(contentOf(p), before);
    EXPECT_EQ(layerIds(p), idsBefore);
    EXPECT_TRUE(s.historiesInStep());
    ASSERT_TRUE(s.stepRedo());
    EXPECT_EQ(contentOf(p), after);
    EXPECT_EQ(layerIds(p), idsAfter);
    EXPECT_TRUE(s.historiesInStep());
    ASSERT_TRUE(s.stepUndo());
    EXPECT_EQ(contentOf(p), before);
    EXPECT_EQ(s.replayDifference(), "");
}

// The operation applied live equals its recorded events replayed, for a few seeds.
inline void expectOpLiveEqualsReplay(const StructOp &op)
{
    SCOPED_TRACE(op.name);
    LiveReplayApp app;
    for (uint32_t seed = 1; seed <= uint32_t(liveReplayIterations(2)); ++seed)
        expectLiveEqualsReplay([](TPaper &p, uint32_t sd) { return structureStart(p, sd); },
                               [&](TPaper &p, uint32_t) { return op.run(p, nullptr); }, seed);
}

// Running out of block memory after 0, 1, 2 ... commits until the operation succeeds: every
// failure leaves the document, the stream and both history counts as they were.
inline void expectOutOfMemoryLeavesAll(const StructOp &op)
{
    SCOPED_TRACE(op.name);
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    StructSession s{5};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const QString snapshot = dumpPaperState(p);
    const std::vector<uint8_t> stream = s.stream();
    const SessionCounts before = countsOf(s);
    bool done = false;
    int failures = 0;
    for (int commits = 0; commits < 400 && !done; ++commits) {
        SCOPED_TRACE("commits " + std::to_string(commits));
        {
            const ScopedBlockMemoryLimit limit(commits);
            done = op.run(p, s.flow());
        }
        if (done)
            break;
        ++failures;
        EXPECT_EQ(dumpPaperState(p), snapshot);
        EXPECT_EQ(s.stream(), stream);
        EXPECT_EQ(countsOf(s), before);
    }
    ASSERT_TRUE(done);
    EXPECT_GT(failures, 0) << "the operation never needed memory";
    EXPECT_EQ(s.replayDifference(), "");
    EXPECT_TRUE(s.historiesInStep());
}
