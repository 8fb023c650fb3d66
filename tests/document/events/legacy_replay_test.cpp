#include "document/events/legacy_replay.h"

#include "document/events/legacy_event_stream.h"
#include "document/paper/layer_manager.h"
#include "document/selection/select_mng.h"
#include "../stroke/stroke_rig.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace legacy_event;

// Records written straight into the packet's memory (no validation: the replay checks them).
struct Rec
{
    TMyMemory &m;
    Rec &w(uint16_t v)
    {
        m.WriteWORD(v);
        return *this;
    }
    Rec &b(uint8_t v)
    {
        m.WriteBYTE(v);
        return *this;
    }
    Rec &s(int16_t v)
    {
        m.WriteSmall(v);
        return *this;
    }
    // A stroke's parameter block on layer with a mid-size pen.
    Rec &param(uint8_t layer)
    {
        b(layer).b(0x20).b(0x40).b(0x80).b(0);
        for (uint16_t v : {256, 8 * 256, 256, 0, 0, 0})
            w(v);
        return *this;
    }
};

struct Replay : stroke_test::StrokeDoc
{
    Replay() : StrokeDoc({64, 48}, 2) {}
    Rec rec() { return Rec{event.memory()}; }
    bool step()
    {
        return EventAnalyze(paper(), &flow(), event, stroke, &doc.owner, refresh, inst);
    }
    TEventPacket event;
    bool refresh = false;
    uint16_t inst = 0;
};

TEST(LegacyReplay, IncompleteRecordsWait)
{
    Replay r;
    ASSERT_TRUE(r.ready);
    r.rec().b(0x01); // the first byte of 257
    EXPECT_TRUE(r.step());
    EXPECT_FALSE(r.refresh);
    EXPECT_EQ(r.event.memory().position(), 0);

    // A stroke of 10 points is 87 bytes; with 86 nothing happens.
    Replay s;
    Rec rec = s.rec();
    rec.w(0).param(0).s(5).s(5).s(1024).w(10);
    for (int i = 0; i < 10; ++i)
        rec.s(int16_t(6 + i)).s(5).s(1024);
    ASSERT_EQ(s.event.memory().writed(), 87);
    s.event.memory().WritedSeek(-1);
    EXPECT_TRUE(s.step());
    EXPECT_EQ(s.event.memory().position(), 0);
    EXPECT_FALSE(s.event.isStroking());
    s.event.memory().WritedSeek(1);
    EXPECT_TRUE(s.step());
    EXPECT_TRUE(s.event.isStroking());
    EXPECT_EQ(s.inst, 0);
}

TEST(LegacyReplay, StrokeReplaysPointByPointAndPaints)
{
    Replay r;
    ASSERT_TRUE(r.ready);
    setDrawProcLevel1(r.paper()); // the procedure of the documents these streams make
    const std::vector<uint32_t> before = stroke_test::layerPixels(r.paper(), 1);
    r.rec().w(0).param(1).s(10).s(10).s(1024).w(2).s(30).s(20).s(1024).s(50).s(30).s(1024);
    r.rec().w(kEnd);
    EXPECT_TRUE(r.step());
    EXPECT_FALSE(r.refresh);
    EXPECT_TRUE(r.step());
    EXPECT_TRUE(r.event.isStroking());
    EXPECT_TRUE(r.step());
    EXPECT_FALSE(r.event.isStroking());
    EXPECT_NE(stroke_test::layerPixels(r.paper(), 1), before);
    EXPECT_FALSE(r.step()); // the end code
    EXPECT_EQ(r.inst, kEnd);
}

TEST(LegacyReplay, StrokeWithoutPointsEndsAtOnce)
{
    Replay r;
    ASSERT_TRUE(r.ready);
    r.rec().w(0).param(0).s(10).s(10).s(1024).w(0).w(kLayerActive).b(1);
    EXPECT_TRUE(r.step());
    EXPECT_FALSE(r.event.isStroking());
    EXPECT_FALSE(r.paper().m_strokeLive);
    EXPECT_TRUE(r.step());
    EXPECT_EQ(r.inst, kLayerActive);
    EXPECT_EQ(r.paper().ActiveLayer(), 1);
}

TEST(LegacyReplay, RecordsAndTheirEffects)
{
    struct Case
    {
        const char *name;
        std::function<void(Rec &)> write;
        std::function<void(TPaper &)> check;
    };
    const Case cases[] = {
        {"256 adds a layer", [](Rec &r) { r.w(kLayerAdd).b(3); },
         [](TPaper &p) { EXPECT_EQ(p.getLayerCount(), 3); }},
        {"257 deletes", [](Rec &r) { r.w(kLayerDelete).b(0); },
         [](TPaper &p) { EXPECT_EQ(p.getLayerCount(), 1); }},
        {"274 hides", [](Rec &r) { r.w(kLayerVisible).b(1).b(0); },
         [](TPaper &p) { EXPECT_FALSE(p.getLayerData(1)->visible); }},
        {"275 opacity", [](Rec &r) { r.w(kLayerTrans).b(1).b(40); },
         [](TPaper &p) { EXPECT_EQ(p.getLayerData(1)->trans, 40); }},
        {"276 mode", [](Rec &r) { r.w(kLayerMode).b(1).b(21); },
         [](TPaper &p) { EXPECT_EQ(int(p.getLayerData(1)->mode), 21); }},
        {"277 hides the visible one, shows the rest",
         [](Rec &r) { r.w(kLayerVisible).b(0).b(0).w(kLayerVisibleFlip).b(1); },
         [](TPaper &p) {
             EXPECT_FALSE(p.getLayerData(1)->visible);
             EXPECT_TRUE(p.getLayerData(0)->visible);
         }},
        {"293 fills", [](Rec &r) { r.w(kLayerFill).b(0).b(0x11).b(0x22).b(0x33); },
         [](TPaper &p) {
             EXPECT_EQ(p.getLayerData(0)->imageTC->getColor(5, 5) & 0xFFFFFF, 0x112233u);
         }},
        {"296 fills a box, alpha kept",
         [](Rec &r) { r.w(kLayerRectFill).b(1).s(2).s(3).s(4).s(5).b(1).b(2).b(3); },
         [](TPaper &p) {
             const CBlockVMTC &img = *p.getLayerData(1)->imageTC;
             EXPECT_EQ(img.getColor(2, 3), 0x00010203u);
             EXPECT_EQ(img.getColor(6, 3), 0x00FFFFFFu);
         }},
        {"295 clears a box opaque",
         [](Rec &r) { r.w(kLayerRectCut).b(1).s(0).s(0).s(2).s(2); },
         [](TPaper &p) { EXPECT_EQ(p.getLayerData(1)->imageTC->getColor(1, 1), 0xFFFFFFFFu); }},
        {"297 on layer 24 changes no pixel",
         [](Rec &r) {
             for (int i = 0; i < 23; ++i)
                 r.w(kLayerAdd).b(3);
             r.w(kLayerPolyCut).b(24).s(3).s(1).s(1).s(9).s(1).s(5).s(8);
         },
         [](TPaper &p) {
             ASSERT_EQ(p.getLayerCount(), 25);
             EXPECT_EQ(p.getLayerData(24)->imageTC->getImageDataBytes(), 0u);
         }},
        {"513 paper colour", [](Rec &r) { r.w(kEditPC).b(1).b(2).b(3); },
         [](TPaper &p) { EXPECT_EQ(p.m_canvascolor & 0xFFFFFF, 0x010203u); }},
        {"516 turns the canvas", [](Rec &r) { r.w(kEditRotRight); },
         [](TPaper &p) { EXPECT_EQ(p.m_paperSize, (sSize{48, 64})); }},
        // The stored anchor numbers the grid row by row: 1 is the top centre, 3 the middle left.
        {"514 anchor 1 keeps the picture at the top centre",
         [](Rec &r) { r.w(kLayerFill).b(0).b(0x11).b(0x22).b(0x33).w(kEditResize).w(84).w(48).b(1); },
         [](TPaper &p) {
             ASSERT_EQ(p.m_paperSize, (sSize{84, 48}));
             const CBlockVMTC &img = *p.getLayerData(0)->imageTC;
             EXPECT_NE(img.getColor(5, 5) & 0xFFFFFF, 0x112233u);
             EXPECT_EQ(img.getColor(40, 5) & 0xFFFFFF, 0x112233u);
             EXPECT_NE(img.getColor(78, 5) & 0xFFFFFF, 0x112233u);
         }},
        {"514 anchor 3 keeps the picture at the middle left",
         [](Rec &r) { r.w(kLayerFill).b(0).b(0x11).b(0x22).b(0x33).w(kEditResize).w(84).w(68).b(3); },
         [](TPaper &p) {
             ASSERT_EQ(p.m_paperSize, (sSize{84, 68}));
             const CBlockVMTC &img = *p.getLayerData(0)->imageTC;
             EXPECT_NE(img.getColor(5, 5) & 0xFFFFFF, 0x112233u);
             EXPECT_EQ(img.getColor(5, 30) & 0xFFFFFF, 0x112233u);
             EXPECT_NE(img.getColor(70, 30) & 0xFFFFFF, 0x112233u);
         }},
        {"258 of different modes does nothing",
         [](Rec &r) { r.w(kLayerMode).b(1).b(5).w(kLayerMerge); },
         [](TPaper &p) { EXPECT_EQ(p.getLayerCount(), 2); }},
        {"258 merges the visible layers", [](Rec &r) { r.w(kLayerMerge); },
         [](TPaper &p) { EXPECT_EQ(p.getLayerCount(), 1); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Replay r;
        ASSERT_TRUE(r.ready);
        Rec rec = r.rec();
        c.write(rec);
        while (r.event.memory().ReadRemain() > 0)
            ASSERT_TRUE(r.step());
        c.check(r.paper());
    }
}

// A document made by the stream (which gives it a selection store), layer 0 filled grey, and a
// polygon record on it: a 12 x 8 box at (4, 6) for a fill, a triangle for a cut.
struct PolyDoc : Replay
{
    static constexpr uint32_t kGrey = 0x808080;
    PolyDoc()
    {
        rec().w(kEditCreate).w(32).w(24).w(kLayerFill).b(0).b(0x80).b(0x80).b(0x80);
        if (!ready)
            return;
        setDrawProcLevel1(paper()); // the procedure of the documents these streams make
        ready = step() && paper().m_select && step();
        if (ready)
            before = stroke_test::layerPixels(paper(), 0);
    }
    void polyFill(uint8_t layer, uint32_t rgb)
    {
        rec().w(kLayerPolyFill).b(layer).b(uint8_t(rgb >> 16)).b(uint8_t(rgb >> 8)).b(uint8_t(rgb)).s(4);
        rec().s(4).s(6).s(16).s(6).s(16).s(14).s(4).s(14);
    }
    uint32_t at(int32_t x, int32_t y) { return paper().getLayerData(0)->imageTC->getColor(x, y); }
    // The pixels that differ from those before the polygon, as (x, y) pairs.
    std::vector<sPos> changed()
    {
        std::vector<sPos> out;
        const std::vector<uint32_t> now = stroke_test::layerPixels(paper(), 0);
        const int32_t w = paper().getLayerData(0)->imageTC->width();
        for (size_t i = 0; i < now.size(); ++i)
            if (now[i] != before[i])
                out.push_back({int32_t(i) % w, int32_t(i) / w});
        return out;
    }
    std::vector<uint32_t> before;
};

TEST(LegacyReplay, PolygonFillPaintsInsideOnlyAndUndoes)
{
    PolyDoc d;
    ASSERT_TRUE(d.ready);
    const uint32_t alpha = d.at(10, 10) & 0xFF000000u;
    d.polyFill(0, 0x123456);
    EXPECT_TRUE(d.step());
    EXPECT_FALSE(d.refresh);
    // Inside the colour with the pixel's own alpha; every change within the points' box.
    for (sPos p : {sPos{5, 7}, sPos{10, 10}, sPos{15, 13}})
        EXPECT_EQ(d.at(p.x, p.y), alpha | 0x123456u) << p.x << "," << p.y;
    for (sPos p : {sPos{3, 10}, sPos{17, 10}, sPos{10, 5}, sPos{10, 15}})
        EXPECT_EQ(d.at(p.x, p.y), alpha | PolyDoc::kGrey) << p.x << "," << p.y;
    const std::vector<sPos> ch = d.changed();
    EXPECT_GE(ch.size(), 10u * 6u);
    for (sPos p : ch) {
        EXPECT_TRUE(p.x >= 2 && p.x < 18 && p.y >= 4 && p.y < 16) << p.x << "," << p.y;
    }
    // The store is empty again.
    const TSelectMng &sel = *d.paper().m_select;
    EXPECT_TRUE(sel.SelectDisabled(0));
    EXPECT_EQ(sel.slotImage(0)->getColor(10, 10), 0u);
    EXPECT_EQ(sel.slotPreview(0)->getColor(0, 0), 0xFFFFFFFFu);
    // Undo on the layer brings back every pixel.
    d.rec().w(kLayerUndo).b(0);
    EXPECT_TRUE(d.step());
    EXPECT_EQ(stroke_test::layerPixels(d.paper(), 0), d.before);
}

TEST(LegacyReplay, PolygonCutPaintsTheNeutralColour)
{
    PolyDoc d;
    ASSERT_TRUE(d.ready);
    const uint32_t alpha = d.at(10, 10) & 0xFF000000u;
    d.rec().w(kLayerPolyCut).b(0).s(3).s(2).s(2).s(30).s(2).s(2).s(22);
    EXPECT_TRUE(d.step());
    EXPECT_EQ(d.at(4, 4), alpha | 0xFFFFFFu);  // inside, near the right angle
    EXPECT_EQ(d.at(28, 20), alpha | PolyDoc::kGrey); // beyond the long side
    EXPECT_TRUE(d.paper().m_select->SelectDisabled(0));
}

TEST(LegacyReplay, PolygonsThatCannotPaintChangeNoPixel)
{
    struct Case
    {
        const char *name;
        bool withStore;
        std::function<void(Rec &)> write;
    };
    const Case cases[] = {
        {"two points", true,
         [](Rec &r) { r.w(kLayerPolyFill).b(0).b(1).b(2).b(3).s(2).s(1).s(1).s(20).s(20); }},
        {"no points", true, [](Rec &r) { r.w(kLayerPolyCut).b(0).s(0); }},
        {"far off the layer", true,
         [](Rec &r) { r.w(kLayerPolyCut).b(0).s(3).s(-900).s(-900).s(-800).s(-900).s(-800).s(-800); }},
        {"no selection store", false,
         [](Rec &r) { r.w(kLayerPolyFill).b(0).b(1).b(2).b(3).s(3).s(1).s(1).s(20).s(1).s(1).s(20); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        PolyDoc d;
        ASSERT_TRUE(d.ready);
        if (!c.withStore)
            d.paper().m_select.reset();
        Rec rec = d.rec();
        c.write(rec);
        EXPECT_TRUE(d.step());
        EXPECT_EQ(d.event.memory().ReadRemain(), 0);
        EXPECT_TRUE(d.changed().empty());
        if (c.withStore) {
            EXPECT_TRUE(d.paper().m_select->SelectDisabled(0));
        }
    }
}

TEST(LegacyReplay, BadOperandsAnswerFalseChangeNothingAndAreReadPast)
{
    struct Case
    {
        const char *name;
        std::function<void(Rec &)> write;
    };
    const Case cases[] = {
        {"delete layer 9", [](Rec &r) { r.w(kLayerDelete).b(9); }},
        {"add mode 4", [](Rec &r) { r.w(kLayerAdd).b(4); }},
        {"mode 22", [](Rec &r) { r.w(kLayerMode).b(0).b(22); }},
        {"create width 0", [](Rec &r) { r.w(kEditCreate).w(0).w(10); }},
        {"resize anchor 9", [](Rec &r) { r.w(kEditResize).w(10).w(10).b(9); }},
        {"resolution height 10001", [](Rec &r) { r.w(kEditReso).w(10).w(10001); }},
        {"insert to 2", [](Rec &r) { r.w(kLayerInsert).b(0).b(2); }},
        {"stroke on layer 5",
         [](Rec &r) { r.w(1).param(5).s(1).s(1).s(1024).w(1).s(2).s(2).s(1024); }},
        {"line on layer 2", [](Rec &r) { r.w(kLayerLine).param(2).s(1).s(0).s(0).s(9).s(9); }},
        {"fill layer 3", [](Rec &r) { r.w(kLayerFill).b(3).b(0).b(0).b(0); }},
        {"polygon fill on layer 2",
         [](Rec &r) { r.w(kLayerPolyFill).b(2).b(1).b(2).b(3).s(3).s(1).s(1).s(9).s(1).s(1).s(9); }},
        {"polygon cut of -1 points", [](Rec &r) { r.w(kLayerPolyCut).b(0).s(-1); }},
        {"polygon fill of -300 points", [](Rec &r) { r.w(kLayerPolyFill).b(0).b(1).b(2).b(3).s(-300); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Replay r;
        ASSERT_TRUE(r.ready);
        const QString before = dumpPaperState(r.paper());
        Rec rec = r.rec();
        c.write(rec);
        const int32_t end = r.event.memory().writed();
        rec.w(kLayerActive).b(1);
        EXPECT_FALSE(r.step());
        EXPECT_EQ(r.event.memory().position(), end);
        EXPECT_FALSE(r.event.isStroking());
        EXPECT_EQ(dumpPaperState(r.paper()), before);
        EXPECT_TRUE(r.step()); // the next record plays
        EXPECT_EQ(r.paper().ActiveLayer(), 1);
    }
}

TEST(LegacyReplay, NetworkModeSkipsStructuralRecords)
{
    Replay r;
    ASSERT_TRUE(r.ready);
    r.paper().m_paperMode = TPaperMode::PM_NETWORK;
    r.rec().w(kLayerAdd).b(3).w(kEditRotRight).w(kLayerTrans).b(0).b(9);
    EXPECT_TRUE(r.step());
    EXPECT_EQ(r.event.memory().position(), 3);
    EXPECT_TRUE(r.step());
    EXPECT_EQ(r.paper().getLayerCount(), 2);
    EXPECT_EQ(r.paper().m_paperSize, (sSize{64, 48}));
    EXPECT_TRUE(r.step());
    EXPECT_EQ(r.paper().getLayerData(0)->trans, 9); // attributes still play
}

TEST(LegacyReplay, UnsizedCodesAnd520EndTheReplay)
{
    for (uint16_t code : {uint16_t(278), uint16_t(kEditCreate2), uint16_t(kEnd)}) {
        Replay r;
        ASSERT_TRUE(r.ready);
        r.rec().w(code).w(10).w(10);
        EXPECT_FALSE(r.step()) << code;
        EXPECT_EQ(r.inst, code);
    }
}

} // namespace
