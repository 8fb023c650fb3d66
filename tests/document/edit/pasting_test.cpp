#include "document/edit/pasting.h"

#include "core/image/canvas.h"
#include "document/edit/layer_undo.h"
#include "document/undo/undo_fixtures.h"
#include "document/undo/undo_manager.h"
#include "image_ops_fixtures.h"
#include "support/block_memory.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using undo_test::ScopedUndoMax;

std::unique_ptr<TMTC> pastedImage(int32_t w, int32_t h, uint32_t seed)
{
    auto tc = std::make_unique<TMTC>(w, h);
    std::mt19937 rng(seed);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            tc->seek32(x, y)->all = uint32_t(rng());
    return tc;
}

SOlyHeader copiedHeader(uint16_t flags)
{
    SOlyHeader h;
    h.flags = flags;
    h.mode = uint8_t(TLayerMode::LM_SCR);
    h.trans = 99;
    h.imgSize = {60, 35};
    h.viewPos = {7, 2};
    h.bgCol = 0x00ABCDEF;
    return h;
}

TEST(PasteOps, LayerSizeRule)
{
    struct SCase
    {
        const char *name;
        sSize image;
        bool header;
        uint16_t flags;
        sSize imgSize;
        sPos viewPos;
        bool ok;
        sSize expected;
    };
    const SCase cases[] = {
        {"larger", {50, 20}, false, 0, {}, {}, true, {50, 30}},
        {"smaller", {10, 10}, false, 0, {}, {}, true, {40, 30}},
        {"clipboard size", {10, 10}, true, kOlyClipboardSize, {60, 10}, {5, 3}, true, {60, 33}},
        {"view added", {10, 10}, true, 0, {}, {5, 3}, true, {45, 33}},
        {"negative view", {10, 10}, true, 0, {}, {-7, -9}, true, {40, 30}},
        {"past 32 bits", {10, 10}, true, 0, {}, {INT32_MAX, 0}, false, {}},
        {"past the largest paper", {10, 10}, true, kOlyClipboardSize, {10001, 5}, {}, false, {}},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        SOlyHeader h;
        h.flags = c.flags;
        h.imgSize = c.imgSize;
        h.viewPos = c.viewPos;
        sSize size{-1, -1};
        EXPECT_EQ(pasteLayerSize(c.image, kOpsPaper, c.header ? &h : nullptr, size), c.ok);
        if (c.ok) {
            EXPECT_EQ(size, c.expected);
        }
    }
}

TEST(PasteOps, AttributesOfACopiedLayerAreApplied)
{
    CLayerData ld(0, false);
    ASSERT_TRUE(ld.createLayer(60, 35, TLayerMode::LM_STD));
    ld.viewSize = kOpsPaper;
    SOlyHeader h = copiedHeader(kOlyVisible | kOlyProtected);
    h.mode = 40; // beyond the blend modes
    h.groupLevel = 3;
    h.viewPos = {50, 1}; // past the image: corrected
    const QString title = QStringLiteral("線画");
    applyLayerAttr(ld, h, &title);
    EXPECT_EQ(ld.mode, TLayerMode::LM_PINLIGHT);
    EXPECT_EQ(ld.trans, 99);
    EXPECT_TRUE(ld.visible);
    EXPECT_TRUE(ld.maskProtected);
    EXPECT_EQ(ld.title, title);
    EXPECT_EQ(ld.viewPos, (sPos{20, 1}));
    EXPECT_EQ(ld.groupLevel, 0);
    EXPECT_EQ(ld.imageTC->getColor2(-1, 0), 0x00ABCDEFu);
    applyLayerAttr(ld, copiedHeader(0), nullptr);
    EXPECT_FALSE(ld.visible);
    EXPECT_EQ(ld.title, title); // no title given: kept
}

TEST(PasteOpsLiveReplay, PastesReplayToTheLiveDocument)
{
    ScopedUndoMax undoMax(20);
    LiveReplayApp app;
    using Op = std::function<bool(TPaper &, uint32_t)>;
    const QString name = QStringLiteral("コピー");
    const std::vector<std::pair<const char *, Op>> ops = {
        {"new larger", [](TPaper &p, uint32_t s) {
             return eventPasteNewLayer(p, nullptr, *pastedImage(55, 12, s), nullptr, nullptr, true);
         }},
        {"new smaller", [](TPaper &p, uint32_t s) {
             return eventPasteNewLayer(p, nullptr, *pastedImage(9, 7, s), nullptr, nullptr, true);
         }},
        {"new with header", [&](TPaper &p, uint32_t s) {
             const SOlyHeader h = copiedHeader(kOlyVisible | kOlyClipboardSize);
             return eventPasteNewLayer(p, nullptr, *pastedImage(60, 35, s), &h, &name, true);
         }},
        {"new with old header", [&](TPaper &p, uint32_t s) {
             const SOlyHeader h = copiedHeader(kOlyProtected);
             return eventPasteNewLayer(p, nullptr, *pastedImage(20, 40, s), &h, &name, true);
         }},
        {"into layer", [](TPaper &p, uint32_t s) {
             return eventLayerPaste(p, nullptr, 0, *pastedImage(80, 10, s), nullptr, nullptr, true);
         }},
        {"into layer with header", [&](TPaper &p, uint32_t s) {
             const SOlyHeader h = copiedHeader(kOlyVisible);
             return eventLayerPaste(p, nullptr, 1, *pastedImage(33, 44, s), &h, &name, true);
         }},
        {"new, older form", [](TPaper &p, uint32_t s) {
             return eventPasteNewLayerA(p, nullptr, *pastedImage(14, 31, s), nullptr, nullptr,
                                        true);
         }},
        {"into layer, older form", [](TPaper &p, uint32_t s) {
             return eventLayerPasteA(p, nullptr, 2, *pastedImage(5, 5, s), nullptr, nullptr, true);
         }},
    };
    for (const auto &[label, op] : ops) {
        SCOPED_TRACE(label);
        for (uint32_t seed = 1; seed <= 2; ++seed)
            expectLiveEqualsReplay(opsStartPlain, op, seed);
    }
}

TEST(PasteOps, NewLayersAreSizedPlacedAndGroupedByTheRules)
{
    LiveReplayApp app;
    HeadlessDocument doc;
    TPaper &paper = *doc.paper;
    ASSERT_TRUE(opsStartPlain(paper, 1));
    paper.getLayerData(1)->groupLevel = 2; // the active layer is a group member
    auto big = pastedImage(55, 12, 4);
    ASSERT_TRUE(eventPasteNewLayer(paper, nullptr, *big, nullptr, nullptr, false));
    ASSERT_EQ(paper.getLayerCount(), 4);
    EXPECT_EQ(paper.ActiveLayer(), 2);
    const CLayerData &a = *paper.getLayerData(2);
    EXPECT_EQ(a.imageTC->FPSZ(), (sSize{55, 30}));
    EXPECT_EQ(a.viewPos, (sPos{0, 0}));
    EXPECT_EQ(a.groupLevel, 0);
    EXPECT_EQ(a.imageTC->getColor(54, 11), big->getColor(54, 11));
    EXPECT_EQ(a.imageTC->getColor(54, 12) >> 24, 0u); // below the image: transparent

    auto small = pastedImage(6, 5, 5);
    ASSERT_TRUE(eventLayerPaste(paper, nullptr, 2, *pastedImage(80, 40, 6), nullptr, nullptr,
                                false));
    EXPECT_EQ(paper.getLayerData(2)->imageTC->FPSZ(), (sSize{55, 30})); // only the part that fits
    ASSERT_TRUE(eventPasteNewLayer(paper, nullptr, *small, nullptr, nullptr, false));
    EXPECT_EQ(paper.getLayerData(3)->imageTC->FPSZ(), kOpsPaper);

    // A copied layer comes back with its attributes.
    const SOlyHeader h = copiedHeader(kOlyProtected | kOlyClipboardSize);
    const QString title = QStringLiteral("影");
    ASSERT_TRUE(eventPasteNewLayer(paper, nullptr, *pastedImage(60, 35, 7), &h, &title, false));
    const CLayerData &c = *paper.getLayerData(paper.ActiveLayer());
    EXPECT_EQ(c.mode, TLayerMode::LM_SCR);
    EXPECT_EQ(c.trans, 99);
    EXPECT_FALSE(c.visible);
    EXPECT_TRUE(c.maskProtected);
    EXPECT_EQ(c.title, title);
    EXPECT_EQ(c.viewPos, (sPos{7, 2}));
    EXPECT_EQ(c.imageTC->FPSZ(), (sSize{60, 35}));

    EXPECT_FALSE(eventLayerPaste(paper, nullptr, 9, *small, nullptr, nullptr, false));
    EXPECT_FALSE(eventLayerPaste(paper, nullptr, -1, *small, nullptr, nullptr, false));
}

TEST(PasteOpsUndoRedo, UndoRemovesThePastedLayerAndReactivatesTheOldOne)
{
    ScopedUndoMax undoMax(20);
    LiveReplayApp app;
    HeadlessDocument doc;
    TPaper &paper = *doc.paper;
    ASSERT_TRUE(opsStartPlain(paper, 2));
    const CLayerData *bottom = paper.getLayerData(0);
    const auto bottomPixels = layerPixels(*bottom);
    const int32_t names = paper.layerMngr().getTotalNum();
    ASSERT_TRUE(eventPasteNewLayer(paper, nullptr, *pastedImage(20, 20, 1), nullptr, nullptr, true));
    ASSERT_TRUE(eventLayerPaste(paper, nullptr, 0, *pastedImage(30, 30, 2), nullptr, nullptr, true));
    const auto pasted = layerPixels(*paper.getLayerData(0));
    int32_t idx = 0;
    sRect r;
    ASSERT_TRUE(eventLayerUndo(paper, nullptr, idx, r));
    EXPECT_EQ(layerPixels(*paper.getLayerData(0)), bottomPixels);
    ASSERT_TRUE(eventLayerUndo(paper, nullptr, idx, r));
    EXPECT_EQ(paper.getLayerCount(), 3);
    EXPECT_EQ(paper.ActiveLayer(), 1);
    EXPECT_EQ(paper.getLayerData(0), bottom);
    // The default name the pasted layer took is given back: the next new layer is named as a
    // replay of the stream without the paste names it.
    EXPECT_EQ(paper.layerMngr().getTotalNum(), names);
    ASSERT_TRUE(eventLayerRedo(paper, nullptr, idx, r));
    ASSERT_TRUE(eventLayerRedo(paper, nullptr, idx, r));
    EXPECT_EQ(paper.getLayerCount(), 4);
    EXPECT_EQ(paper.layerMngr().getTotalNum(), names + 1);
    EXPECT_EQ(layerPixels(*paper.getLayerData(0)), pasted);
}

TEST(PasteOpsOutOfMemory, FailedPastesLeaveDocumentAndStreamAsTheyWere)
{
    ScopedUndoMax undoMax(20);
    using Step = std::function<bool(TPaper &)>;
    const std::vector<std::pair<const char *, Step>> steps = {
        {"new layer", [](TPaper &p) {
             return eventPasteNewLayer(p, nullptr, *pastedImage(70, 40, 3), nullptr, nullptr, true);
         }},
        {"into layer", [](TPaper &p) {
             return eventLayerPaste(p, nullptr, 2, *pastedImage(70, 40, 3), nullptr, nullptr, true);
         }},
    };
    for (const auto &[name, step] : steps) {
        SCOPED_TRACE(name);
        bool done = false;
        int n = 0;
        for (; !done && n < 300; ++n) {
            LiveReplayApp app;
            HeadlessDocument doc;
            TPaper &paper = *doc.paper;
            ASSERT_TRUE(opsStartPlain(paper, 9));
            // The target holds no block memory yet, so the paste has to commit some.
            CBlockVMTC &target = *paper.getLayerData(2)->imageTC;
            ASSERT_TRUE(target.PixelFill(0x00FFFFFF));
            target.shrinkMemory();
            const QString before = dumpPaperState(paper);
            const uint32_t stream = paper.eventMngr().topEventPos;
            {
                ScopedBlockMemoryLimit limit(n);
                done = step(paper);
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

namespace {

// Image packets 2 and 5 start a document from an image: layer idx takes the image's size first
// when it differs (a new layer at the bottom in place of the old bottom one).
TEST(PasteOpsLiveReplay, ImagePacketsThatStartADocumentFitTheFirstLayer)
{
    ScopedUndoMax undoMax(20);
    LiveReplayApp app;
    for (const uint8_t code : {uint8_t(2), uint8_t(5)}) {
        SCOPED_TRACE(int(code));
        HeadlessDocument rec, play;
        ASSERT_TRUE(opsStartPlain(*rec.paper, 1));
        ASSERT_TRUE(opsStartPlain(*play.paper, 1));
        CEventMngr &ev = rec.paper->eventMngr();
        ASSERT_TRUE(ev.startRecording(appMainStroke(), appMainToneMngrFor(rec.paper.get()), 64, 64));
        const auto img = pastedImage(30, 20, 8);
        ASSERT_TRUE(ev.pushEventImage(0, *img, nullptr, nullptr, code));
        std::vector<uint8_t> bytes(ev.topEventPos);
        ev.readDataEx(0, bytes.data(), ev.topEventPos);
        CEventMngr &evB = play.paper->eventMngr();
        ASSERT_TRUE(evB.restart());
        ASSERT_EQ(evB.writeDataEx(bytes.data(), uint32_t(bytes.size())), bytes.size());
        evB.setupPlayPos(uint32_t(bytes.size()), ev.eventCnt);
        ASSERT_TRUE(live_replay::playAll(play, false));
        ASSERT_EQ(play.paper->getLayerCount(), 3);
        const CLayerData &ld = *play.paper->getLayerData(0);
        EXPECT_EQ(ld.imageTC->FPSZ(), (sSize{30, 20}));
        EXPECT_EQ(ld.imageTC->getColor(29, 19), img->getColor(29, 19));
        EXPECT_EQ(play.paper->getLayerData(1)->title, QStringLiteral("はみ出し"));
    }
}

} // namespace
