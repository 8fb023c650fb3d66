// The end of a free transform and the document's driving: typed values and the tool window's
// feedback, the recorded packets, the cancel when nothing was mapped, undo and redo of the three
// records, the choice between layer and selection, the warning, replayed packets that must change
// nothing, live == replay, and the commit compositing over what was not lifted.
#include "transform_rig.h"

#include "../edit/edit_rig.h"
#include "document/edit/layer_undo.h"
#include "document/events/event_manager.h"
#include "platform/desktop/messages.h"
#include "support/block_memory.h"

#include <numbers>
#include <optional>

namespace {

using namespace transform_rig;

constexpr float kPi = std::numbers::pi_v<float>;

// ---------------------------------------------------------------------------------------------
// Typed values

struct TypedDoc
{
    TypedDoc()
    {
        EXPECT_TRUE(doc.paper && startPaper(paper(), {400, 300}));
        paintPattern(paper(), 0, {50, 50, 250, 150}); // 200 x 100
        EXPECT_TRUE(doLayerTransform(paper()));
    }
    TPaper &paper() { return *doc.paper; }
    TSelectTransform &t() { return *doc.paper->FFreeTransformer; }
    HeadlessDocument doc;
};

TEST(FreeTransformTyped, TheToolWindowShowsTheScaleAndKeepsItAtTheFirstSize)
{
    TypedDoc f;
    EXPECT_EQ(f.doc.owner.transScale, (sFPos{100, 100}));
    EXPECT_EQ(f.doc.owner.transPopupCount, 1);
    dragMarker(f.paper(), 5, {100, 0});
    EXPECT_EQ(f.doc.owner.transScale, (sFPos{150.0f, 100.0f}));
    EXPECT_EQ(f.t().FScaleW, 150.0f);
    // Back at exactly the first size: the percentages shown last stay.
    dragMarker(f.paper(), 5, {-100, 0});
    EXPECT_TRUE(near(f.t().FViewPoints[1], {250, 50}));
    EXPECT_EQ(f.doc.owner.transScale, (sFPos{150.0f, 100.0f}));
    // A turn shows its degrees.
    drag(f.paper(), {350, 100}, {{-100, 100}});
    EXPECT_NEAR(f.doc.owner.transAngle, 45.0f, 1e-3f);
    EXPECT_NEAR(f.t().FLastOptAngle, kPi / 4, 1e-5f);
}

TEST(FreeTransformTyped, ATypedWidthScalesFromTheScaleReached)
{
    TypedDoc f;
    dragMarker(f.paper(), 5, {100, 0}); // 300 wide: 150 %
    f.t().changeTransformParam(kTransHandle, 200, 100, 0);
    // 300 x 200 / 150 about the centre (200, 100).
    EXPECT_TRUE(near(f.t().FViewPoints[0], {0, 50}));
    EXPECT_TRUE(near(f.t().FViewPoints[2], {400, 150}));
    EXPECT_EQ(f.t().FScaleW, 200.0f);
    EXPECT_FALSE(f.t().FIsSimpleMove);
    // The release sequence ran: pixels mapped, the frame re-based.
    EXPECT_TRUE(f.t().FModify);
    EXPECT_TRUE(near(f.t().FDatumPos, {200, 100}));
}

TEST(FreeTransformTyped, ATypedAngleTurnsByTheDifference)
{
    TypedDoc f;
    f.t().changeTransformParam(kTransRotate, 0, 0, kPi / 2);
    EXPECT_NEAR(f.t().FFrameAngle, kPi / 2, 1e-6f);
    EXPECT_TRUE(near(f.t().FViewPoints[0], {200, 0}, 0.01f));
    f.t().changeTransformParam(kTransRotate, 0, 0, kPi);
    EXPECT_NEAR(std::fabs(f.t().FFrameAngle), kPi, 1e-5f);
    EXPECT_TRUE(near(f.t().FViewPoints[0], {250, 150}, 0.01f));
}

TEST(FreeTransformTyped, ATypedDatumLandsOnAWindowPixel)
{
    struct
    {
        int32_t num, den;
        sFPos want;
    } const cases[] = {{2, 1, {99.75f, 79.75f}}, {1, 3, {100, 82}}, {1, 1, {100, 80}}};
    for (const auto &c : cases) {
        TypedDoc f;
        SetZoomFraction(f.paper(), c.num, c.den);
        f.t().changeTransformParam(kTransDatum, 100, 80, 0);
        EXPECT_TRUE(near(f.t().FViewPoints[8], c.want)) << c.num << "/" << c.den;
        EXPECT_EQ(f.t().FMarkerTypeOnAnchor, kMarkerNone);
        EXPECT_TRUE(f.t().FIsMovedAnchor);
    }
}

TEST(FreeTransformTyped, ATypedShearRebuildsTheFrameOnly)
{
    TypedDoc f;
    dragMarker(f.paper(), 2, {10, 10}, false, true);
    const TTransPoints before = f.t().FViewPoints;
    f.t().changeTransformParam(kTransShear, 0.5f, 0.25f, 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(near(f.t().FViewPoints[size_t(i)], before[size_t(i)])) << i;
    EXPECT_EQ(f.t().FDistortionH, 0.0f);
    EXPECT_EQ(f.t().FDistortionV, 0.0f);
}

// ---------------------------------------------------------------------------------------------
// Recording and the end

struct RecordingDoc
{
    explicit RecordingDoc(bool selection, bool content = true)
    {
        EXPECT_TRUE(doc.paper && startPaper(paper(), {128, 96}));
        if (content)
            paintPattern(paper(), 0, {8, 8, 108, 80});
        if (selection)
            selectRect(paper(), {20, 16, 90, 70});
        setCurrentDrawWindow(&doc.owner);
        EXPECT_TRUE(ev().startRecording(appMainStroke(), appMainToneMngrFor(doc.paper.get()), 64, 64));
    }
    TPaper &paper() { return *doc.paper; }
    CEventMngr &ev() { return doc.paper->eventMngr(); }

    // The free-transform packets recorded.
    std::vector<std::pair<SEventHdr, SEvFreeTransform>> packets()
    {
        std::vector<std::pair<SEventHdr, SEvFreeTransform>> out;
        ev().walkPackets(0, ev().topEventPos, [&](const SEventPacketInfo &p) {
            const bool ft = (p.hdr.group == 4 && (p.hdr.code == 56 || p.hdr.code == 57)) ||
                            (p.hdr.group == 10 && p.hdr.code == 32);
            if (ft && p.bodyLen == sizeof(SEvFreeTransform)) {
                SEvFreeTransform r;
                ev().readDataEx(p.pos + 2, &r, sizeof r);
                out.push_back({p.hdr, r});
            }
            return true;
        });
        return out;
    }

    LiveReplayApp app;
    HeadlessDocument doc;
};

TEST(FreeTransformCommit, EachKindRecordsItsCodeWithTheCornersAndTheSimpleFlag)
{
    struct
    {
        bool selection, layer, scale;
        SEventHdr hdr;
    } const cases[] = {
        {true, false, false, {10, 32}},
        {false, true, true, {4, 56}},
        {true, true, false, {4, 57}},
        {true, true, true, {4, 57}},
    };
    for (const auto &c : cases) {
        RecordingDoc r(c.selection);
        ASSERT_TRUE(c.layer ? doLayerTransform(r.paper()) : doSelectTransform(r.paper()));
        doTransformKeyMove(r.paper(), {4, -2});
        if (c.scale)
            r.paper().FFreeTransformer->changeTransformParam(kTransHandle, 50, 150, 0);
        const TTransPoints v = r.paper().FFreeTransformer->FViewPoints;
        ASSERT_TRUE(doTransformEnd(r.paper(), true));
        const auto p = r.packets();
        ASSERT_EQ(p.size(), 1u);
        EXPECT_EQ(p[0].first, c.hdr);
        const sFPos tl = p[0].second.topLeft, tr = p[0].second.topRight;
        const sFPos br = p[0].second.bottomRight, bl = p[0].second.bottomLeft;
        EXPECT_EQ(tl, v[0]);
        EXPECT_EQ(tr, v[1]);
        EXPECT_EQ(br, v[2]);
        EXPECT_EQ(bl, v[3]);
        EXPECT_EQ(p[0].second.simple, c.scale ? 0 : 1);
        EXPECT_EQ(r.paper().FFreeTransformer, nullptr);
        EXPECT_GT(r.doc.owner.optionViewCount, 0);
    }
}

TEST(FreeTransformCommit, ApplyingAfterOnlyTheCentreMarkerMovedCancels)
{
    RecordingDoc r(true);
    const QString before = dumpPaperState(r.paper());
    const uint32_t stream = r.ev().topEventPos;
    ASSERT_TRUE(doLayerTransform(r.paper()));
    drag(r.paper(), {55, 43}, {{20, 5}});
    EXPECT_FALSE(r.paper().FFreeTransformer->FModify);
    EXPECT_FALSE(doTransformEnd(r.paper(), true));
    EXPECT_EQ(r.paper().FFreeTransformer, nullptr);
    EXPECT_EQ(r.ev().topEventPos, stream);
    EXPECT_EQ(dumpPaperState(r.paper()), before);
    // Cancelling after a real change puts everything back too.
    ASSERT_TRUE(doLayerTransform(r.paper()));
    dragMarker(r.paper(), 2, {15, 9}, false, true);
    EXPECT_NE(dumpPaperState(r.paper()), before);
    EXPECT_FALSE(doTransformEnd(r.paper(), false));
    EXPECT_EQ(dumpPaperState(r.paper()), before);
    EXPECT_EQ(r.ev().topEventPos, stream);
}

TEST(FreeTransformCommit, TheCommitFollowsTheFrameAfterTheCentreMarkerWasPressedLast)
{
    // The last press on the centre marker must not keep the final mapping from running: the
    // recorded packet replays to the same pixels.
    RecordingDoc r(true);
    ASSERT_TRUE(doLayerTransform(r.paper()));
    r.paper().FFreeTransformer->changeTransformParam(kTransRotate, 0, 0, 0.4f);
    drag(r.paper(), {55, 43}, {{3, 3}});
    EXPECT_EQ(r.paper().FFreeTransformer->FMarkerTypeNow, kMarkerCentre);
    ASSERT_TRUE(doTransformEnd(r.paper(), true));
    const auto p = r.packets();
    ASSERT_EQ(p.size(), 1u);
    RecordingDoc b(true);
    const SEvFreeTransform rec = p[0].second;
    const sFPos tl = rec.topLeft, tr = rec.topRight, br = rec.bottomRight, bl = rec.bottomLeft;
    ASSERT_TRUE(eventFreeTransform(b.paper(), tl, tr, br, bl, false, 57));
    EXPECT_EQ(live_replay::firstDifference(r.paper(), b.paper()), "");
}

TEST(FreeTransformOutOfMemory, ACommitThatCannotCopyLeavesTheDocumentAsBefore)
{
    for (bool layer : {false, true}) {
        SCOPED_TRACE(layer ? "layer and selection" : "selection");
        RecordingDoc r(true);
        const QString before = dumpPaperState(r.paper());
        const uint32_t stream = r.ev().topEventPos;
        ASSERT_TRUE(layer ? doLayerTransform(r.paper()) : doSelectTransform(r.paper()));
        r.paper().FFreeTransformer->changeTransformParam(kTransRotate, 0, 0, 0.3f);
        bool applied;
        {
            const ScopedBlockMemoryLimit none(0);
            applied = doTransformEnd(r.paper(), true);
        }
        EXPECT_FALSE(applied);
        EXPECT_EQ(r.paper().FFreeTransformer, nullptr);
        EXPECT_EQ(r.ev().topEventPos, stream);
        EXPECT_EQ(dumpPaperState(r.paper()), before);
        EXPECT_FALSE(r.app.messages.warnings.isEmpty());
    }
}

TEST(FreeTransformCommit, TheCommitCompositesOverWhatWasNotLifted)
{
    HeadlessDocument doc;
    ASSERT_TRUE(startPaper(*doc.paper, {96, 96}));
    TPaper &paper = *doc.paper;
    paintPattern(paper, 0, {0, 0, 96, 96});
    // A triangle: the upper right half of (20, 20) - (70, 70).
    CMaskData &md = *paper.getActiveMaskData();
    ASSERT_TRUE(md.createMask(96, 96));
    for (int32_t y = 20; y < 70; ++y)
        for (int32_t x = y; x < 70; ++x)
            md.maskTC->setPixel(x, y, 255);
    paper.bEnbMask = paper.bVisMask = true;
    const std::vector<uint8_t> mask0 = bytesOf(*md.maskTC);
    const std::vector<uint32_t> before = pixelsOf(*paper.getLayerData(0)->imageTC);
    ASSERT_TRUE(doLayerTransform(paper));
    paper.FFreeTransformer->changeTransformParam(kTransRotate, 0, 0, kPi / 2);
    ASSERT_TRUE(doTransformEnd(paper, true));
    const CBlockVMTC &img = *paper.getLayerData(0)->imageTC;
    const CBlockVCH &mask1 = *paper.getActiveMaskData()->maskTC;
    int kept = 0;
    for (int32_t y = 0; y < 96; ++y)
        for (int32_t x = 0; x < 96; ++x) {
            bool covered = false;
            for (int32_t j = std::max(0, y - 2); j <= std::min(95, y + 2); ++j)
                for (int32_t i = std::max(0, x - 2); i <= std::min(95, x + 2); ++i)
                    covered |= mask1.getColor(i, j) != 0;
            if (mask0[size_t(y * 96 + x)] != 0 || covered)
                continue;
            ASSERT_EQ(img.getColor(x, y), before[size_t(y * 96 + x)]) << x << ", " << y;
            ++kept;
        }
    // The unselected half of the lifted square among them.
    EXPECT_GT(kept, 96 * 96 - 2 * 50 * 50);
    EXPECT_EQ(img.getColor(25, 60), before[size_t(60 * 96 + 25)]);
}

// ---------------------------------------------------------------------------------------------
// Starting

TEST(FreeTransformDriving, CanLayerTransformAsksForContentTouchingTheSelection)
{
    struct
    {
        const char *name;
        sRect content; // empty: none
        sRect selection; // empty: none
        bool want;
    } const cases[] = {
        {"content, no selection", {10, 10, 20, 20}, {}, true},
        {"no content", {}, {}, false},
        {"no content, a selection", {}, {0, 0, 30, 30}, false},
        {"overlapping", {10, 10, 20, 20}, {15, 15, 50, 50}, true},
        {"touching", {64, 0, 70, 10}, {40, 0, 64, 10}, true},
        {"apart", {64, 64, 70, 70}, {0, 0, 20, 20}, false},
    };
    for (const auto &c : cases) {
        HeadlessDocument doc;
        ASSERT_TRUE(startPaper(*doc.paper, {128, 128}));
        if (c.content.x1 > 0)
            paintPattern(*doc.paper, 0, c.content);
        if (c.selection.x1 > 0)
            selectRect(*doc.paper, c.selection);
        EXPECT_EQ(canLayerTransform(*doc.paper), c.want) << c.name;
    }
}

TEST(FreeTransformDriving, ContentApartFromTheSelectionStaysAndTheSelectionMoves)
{
    HeadlessDocument doc;
    ASSERT_TRUE(startPaper(*doc.paper, {128, 128}));
    paintPattern(*doc.paper, 0, {64, 64, 70, 70});
    selectRect(*doc.paper, {0, 0, 20, 20});
    const std::vector<uint32_t> before = pixelsOf(*doc.paper->getLayerData(0)->imageTC);
    ASSERT_TRUE(doLayerTransform(*doc.paper));
    EXPECT_TRUE(doc.paper->FFreeTransformer->FIsTransformSelect);
    EXPECT_FALSE(doc.paper->FFreeTransformer->FIsTransformImage);
    doTransformKeyMove(*doc.paper, {3, 3});
    ASSERT_TRUE(doTransformEnd(*doc.paper, true));
    EXPECT_EQ(pixelsOf(*doc.paper->getLayerData(0)->imageTC), before);
    EXPECT_EQ(doc.paper->getActiveMaskData()->getMaskValue(21, 21), 255);
}

TEST(FreeTransformDriving, AnEmptyLayerFallsBackToTheSelectionElseWarns)
{
    {
        HeadlessDocument doc;
        ASSERT_TRUE(startPaper(*doc.paper, {64, 64}));
        selectRect(*doc.paper, {5, 5, 30, 30});
        CapturedMessages messages;
        ASSERT_TRUE(doLayerTransform(*doc.paper));
        EXPECT_TRUE(doc.paper->FFreeTransformer->FIsTransformSelect);
        EXPECT_FALSE(doc.paper->FFreeTransformer->FIsTransformImage);
        EXPECT_TRUE(messages.warnings.isEmpty());
    }
    HeadlessDocument doc;
    ASSERT_TRUE(startPaper(*doc.paper, {64, 64}));
    QStringList texts, captions;
    kavrin::MessageHandlers h;
    h.warningEx = [&](const QString &t, void *, const QString &c) { texts << t, captions << c; };
    const kavrin::MessageHandlers previous = kavrin::installMessageHandlers(h);
    const QString before = dumpPaperState(*doc.paper);
    EXPECT_FALSE(doLayerTransform(*doc.paper));
    kavrin::installMessageHandlers(previous);
    EXPECT_EQ(doc.paper->FFreeTransformer, nullptr);
    EXPECT_EQ(texts, QStringList{QStringLiteral("レイヤー内に何も含まれていないため変形できません。")});
    EXPECT_EQ(captions, QStringList{QStringLiteral("警告 (Kavrin)")});
    EXPECT_EQ(dumpPaperState(*doc.paper), before);
    EXPECT_FALSE(doSelectTransform(*doc.paper));
    EXPECT_EQ(doc.paper->FFreeTransformer, nullptr);
}

TEST(FreeTransformDriving, ReplayedPacketsThatCannotApplyChangeNothing)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct
    {
        const char *name;
        sFPos c[4];
        uint8_t code;
    } const cases[] = {
        {"code 99", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, 99},
        {"code 31", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, 31},
        {"nan", {{nan, 0}, {10, 0}, {10, 10}, {0, 10}}, 56},
        {"huge", {{0, 0}, {1e30f, 0}, {1e30f, 10}, {0, 10}}, 57},
        {"past 2^24", {{0, 0}, {16777218.0f, 0}, {10, 10}, {0, 10}}, 32},
        {"infinite", {{0, 0}, {10, 0}, {10, -std::numeric_limits<float>::infinity()}, {0, 10}}, 32},
    };
    for (const auto &c : cases) {
        HeadlessDocument doc;
        ASSERT_TRUE(startPaper(*doc.paper, {64, 48}));
        paintPattern(*doc.paper, 0, {4, 4, 40, 30});
        selectRect(*doc.paper, {10, 10, 30, 20});
        const QString before = dumpPaperState(*doc.paper);
        EXPECT_FALSE(eventFreeTransform(*doc.paper, c.c[0], c.c[1], c.c[2], c.c[3], false, c.code))
            << c.name;
        EXPECT_EQ(doc.paper->FFreeTransformer, nullptr) << c.name;
        EXPECT_EQ(dumpPaperState(*doc.paper), before) << c.name;
    }
}

TEST(FreeTransformDriving, WildButFiniteFramesStayInsideTheBuffers)
{
    // Bow-ties, frames far off the paper and frames with a corner at +-2^24: the mapping clamps
    // before it loops, and what lands is inside the paper.
    const sFPos frames[][4] = {
        {{0, 0}, {60, 0}, {0, 40}, {60, 40}},
        {{-1000, -1000}, {-900, -1000}, {-900, -900}, {-1000, -900}},
        {{0, 0}, {16777216, 0}, {16777216, 16777216}, {0, 16777216}},
        {{-16777216, -16777216}, {16777216, -16777216}, {16777216, 16777216}, {-16777216, 16777216}},
        {{30, 30}, {30, 30}, {30, 30}, {30, 30}},
        {{10, 10}, {50, 10}, {10.2f, 10.1f}, {50, 40}},
    };
    for (uint8_t code : {32, 56, 57})
        for (const auto &f : frames) {
            HeadlessDocument doc;
            ASSERT_TRUE(startPaper(*doc.paper, {64, 48}));
            paintPattern(*doc.paper, 0, {4, 4, 40, 30});
            selectRect(*doc.paper, {10, 10, 30, 20});
            eventFreeTransform(*doc.paper, f[0], f[1], f[2], f[3], false, code);
            EXPECT_EQ(doc.paper->FFreeTransformer, nullptr);
            EXPECT_EQ(doc.paper->getLayerData(0)->imageTC->width(), 64);
        }
}

// ---------------------------------------------------------------------------------------------
// Undo and redo

bool undoOrRedo(EditSession &s, bool redo)
{
    int32_t idx = s.paper().ActiveLayer();
    sRect rect;
    return redo ? eventLayerRedo(s.paper(), s.flow(), idx, rect)
                : eventLayerUndo(s.paper(), s.flow(), idx, rect);
}

TEST(FreeTransformUndoRedo, EachRecordTakesTheDocumentBackAndForth)
{
    LiveReplayApp app;
    const ScopedUndoMax limit(20);
    for (uint8_t code : {32, 56, 57}) {
        SCOPED_TRACE(int(code));
        EditSession s(3);
        ASSERT_TRUE(s.start());
        TPaper &paper = s.paper();
        paintPattern(paper, paper.ActiveLayer(), {4, 4, 40, 34});
        if (code != 56)
            selectRect(paper, {8, 6, 30, 28}, 255, {48, 40}, {0, 0});
        CMaskData *former = paper.getActiveMaskData();
        const std::vector<uint8_t> formerBytes =
            former->maskTC ? bytesOf(*former->maskTC) : std::vector<uint8_t>{};
        const QString start = contentOf(paper);
        ASSERT_TRUE(code == 32 ? doSelectTransform(paper) : doLayerTransform(paper));
        doTransformKeyMove(paper, {3, 2});
        paper.FFreeTransformer->changeTransformParam(kTransRotate, 0, 0, 0.3f);
        ASSERT_TRUE(doTransformEnd(paper, true));
        const QString after = contentOf(paper);
        ASSERT_NE(after, start);
        EXPECT_TRUE(s.historiesInStep());
        ASSERT_TRUE(undoOrRedo(s, false));
        EXPECT_EQ(contentOf(paper), start);
        if (code != 56) {
            // The former mask object itself is back, with its image and place.
            EXPECT_EQ(paper.getActiveMaskData(), former);
            EXPECT_EQ(bytesOf(*former->maskTC), formerBytes);
            EXPECT_EQ(former->viewPos, (sPos{0, 0}));
        }
        ASSERT_TRUE(undoOrRedo(s, true));
        EXPECT_EQ(contentOf(paper), after);
        ASSERT_TRUE(undoOrRedo(s, false));
        EXPECT_EQ(contentOf(paper), start);
        EXPECT_TRUE(s.historiesInStep());
    }
}

// ---------------------------------------------------------------------------------------------
// Live == replay

// A 128 x 96 paper with two layers; the active bottom one holds a pattern over (8, 8) - (108, 80).
LiveSetup transformStart(bool selection, bool offPaperLayer = false)
{
    return [=](TPaper &paper, uint32_t seed) {
        if (!startPaper(paper, {128, 96}, 2))
            return false;
        CLayerData &ld = *paper.getLayerData(0);
        if (offPaperLayer) {
            ld.replaceImage(std::make_unique<CBlockVMTC>(160, 120));
            ld.viewPos = {12, 9};
        }
        paintPattern(paper, 0, {8 + ld.viewPos.x, 8 + ld.viewPos.y, 108 + ld.viewPos.x, 80 + ld.viewPos.y}, seed);
        if (selection) {
            CMaskData &md = *paper.getActiveMaskData();
            if (!md.createMask(128, 96))
                return false;
            // A soft-edged disc.
            for (int32_t y = 0; y < 96; ++y)
                for (int32_t x = 0; x < 128; ++x) {
                    const float d = std::hypot(float(x - 55), float(y - 43));
                    if (d < 30)
                        md.maskTC->setPixel(x, y, d < 26 ? 255 : uint32_t(255 * (30 - d) / 4));
                }
            paper.bEnbMask = paper.bVisMask = true;
        }
        return true;
    };
}

TEST(FreeTransformLiveReplay, SelectionOnly)
{
    LiveReplayApp app;
    expectLiveEqualsReplay(transformStart(true), [](TPaper &paper, uint32_t) {
        if (!doSelectTransform(paper))
            return false;
        doTransformKeyMove(paper, {3, 2});
        drag(paper, {120, 45}, {{-10, 15}, {-5, 5}});            // turn
        dragMarker(paper, 2, {6, 4}, false, true);                 // distort one corner
        return doTransformEnd(paper, true);
    });
}

TEST(FreeTransformLiveReplay, LayerOnly)
{
    LiveReplayApp app;
    for (bool offPaper : {false, true})
        expectLiveEqualsReplay(transformStart(false, offPaper), [](TPaper &paper, uint32_t) {
            if (!doLayerTransform(paper))
                return false;
            drag(paper, {30, 30}, {{7, -3}});                                  // move
            paper.FFreeTransformer->changeTransformParam(kTransHandle, 80, 120, 0); // typed scale
            dragMarker(paper, 1, {10, -6}, false, false, true);                 // scale about the anchor
            return doTransformEnd(paper, true);
        });
}

TEST(FreeTransformLiveReplay, LayerAndSelection)
{
    LiveReplayApp app;
    for (uint32_t seed = 1; seed <= uint32_t(liveReplayIterations(2)); ++seed) {
        expectLiveEqualsReplay(transformStart(true), [](TPaper &paper, uint32_t) {
            if (!doLayerTransform(paper))
                return false;
            drag(paper, {125, 43}, {{-20, 30}});                          // turn
            dragMarker(paper, 5, {12, 0}, false, false, true);            // both sides
            paper.FFreeTransformer->changeTransformParam(kTransRotate, 0, 0, -0.2f);
            dragMarker(paper, 0, {-4, 5}, true, true);                    // slide along an edge
            drag(paper, windowOf(paper, paper.FFreeTransformer->FViewPoints[8]), {{5, 5}});
            return doTransformEnd(paper, true);
        }, seed);
        expectLiveEqualsReplay(transformStart(true), [](TPaper &paper, uint32_t) {
            if (!doLayerTransform(paper))
                return false;
            doTransformKeyMove(paper, {-4, 6});
            drag(paper, {40, 35}, {{2, 2}});
            return doTransformEnd(paper, true) && paper.FFreeTransformer == nullptr;
        }, seed);
    }
}

} // namespace
