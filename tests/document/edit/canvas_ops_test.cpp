#include "document/edit/canvas_ops.h"

#include "document/edit/image_commands.h"
#include "document/edit/layer_undo.h"
#include "document/undo/undo_fixtures.h"
#include "document/undo/undo_manager.h"
#include "image_ops_fixtures.h"
#include "support/block_memory.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using undo_test::ScopedUndoMax;
using Op = std::function<bool(TPaper &, uint32_t)>;

// The document's text without the undo counts.
std::string stateOf(const TPaper &paper)
{
    const QString d = dumpPaperState(paper);
    return d.left(d.indexOf(QStringLiteral("undo undo="))).toStdString();
}

TEST(CanvasOps, AnchorOffsetsFollowTheNineAnchors)
{
    struct SCase
    {
        sSize to, from;
        int32_t place;
        sPos expected;
    };
    const SCase cases[] = {
        {{200, 150}, {100, 100}, int32_t(pgType::pgtC), {50, 25}},
        {{50, 50}, {100, 100}, int32_t(pgType::pgtBR), {-50, -50}},
        {{100, 100}, {101, 101}, int32_t(pgType::pgtC), {0, 0}}, // -1 / 2 truncates to 0
        {{120, 90}, {100, 80}, int32_t(pgType::pgtTL), {0, 0}},
        {{120, 90}, {100, 80}, int32_t(pgType::pgtL), {0, 5}},
        {{120, 90}, {100, 80}, int32_t(pgType::pgtBL), {0, 10}},
        {{120, 90}, {100, 80}, int32_t(pgType::pgtT), {10, 0}},
        {{120, 90}, {100, 80}, int32_t(pgType::pgtB), {10, 10}},
        {{120, 90}, {100, 80}, int32_t(pgType::pgtTR), {20, 0}},
        {{120, 90}, {100, 80}, int32_t(pgType::pgtR), {20, 5}},
        {{120, 90}, {100, 80}, 9, {0, 0}},
        {{120, 90}, {100, 80}, -1, {0, 0}},
    };
    for (const SCase &c : cases) {
        sPos p{99, 99};
        anchorOffset(c.to, c.from, p, c.place);
        EXPECT_EQ(p, c.expected) << c.place;
    }
}

TEST(CanvasOpsLiveReplay, ResizesCropsResolutionsAndTrimsReplayToTheLiveDocument)
{
    ScopedUndoMax undoMax(20);
    LiveReplayApp app;
    std::vector<std::pair<std::string, Op>> ops;
    for (int32_t place = 0; place < 9; ++place)
        ops.push_back({"resize " + std::to_string(place), [=](TPaper &p, uint32_t s) {
                           return eventEditResize(p, nullptr, 25 + int32_t(s) * 11, 47, place,
                                                  uint8_t(s & 1), true);
                       }});
    ops.push_back({"crop", [](TPaper &p, uint32_t s) {
                       return eventEditCrop(p, nullptr, 1, {int32_t(s), 3, 21, 17}, true, 1);
                   }});
    ops.push_back({"crop beyond", [](TPaper &p, uint32_t) {
                       return eventEditCrop(p, nullptr, 0, {-10, 20, 80, 30}, true, 0);
                   }});
    ops.push_back({"resolution old", [](TPaper &p, uint32_t s) {
                       return eventEditResolutionOld(p, nullptr, 20 + int32_t(s), 15, 1, true);
                   }});
    ops.push_back({"resolution hq", [](TPaper &p, uint32_t s) {
                       return eventEditResolutionHQ(p, nullptr, 57, 31 + int32_t(s), 1, true);
                   }});
    ops.push_back({"resolution hq2", [](TPaper &p, uint32_t) {
                       return eventEditResolutionHQ2(p, nullptr, 23, 60, 0, true);
                   }});
    ops.push_back({"trim", [](TPaper &p, uint32_t) {
                       return eventLayerCutOutside(p, nullptr, 1, true);
                   }});
    for (const auto &[name, op] : ops) {
        SCOPED_TRACE(name);
        for (uint32_t seed = 1; seed <= 2; ++seed) {
            expectLiveEqualsReplay(opsStartPlain, op, seed);
            expectLiveEqualsReplay(opsStartSelected, op, seed);
        }
    }
}

TEST(CanvasOps, CanvasSizeKeepsContentAndMovesTheMasks)
{
    ScopedUndoMax undoMax(20);
    LiveReplayApp app;
    HeadlessDocument doc;
    TPaper &paper = *doc.paper;
    ASSERT_TRUE(opsStartSelected(paper, 4));
    const uint32_t corner = paper.getLayerData(0)->imageTC->getColor(0, 0);
    ASSERT_TRUE(eventEditResize(paper, nullptr, 60, 50, int32_t(pgType::pgtC), 1, true));
    EXPECT_EQ(paper.m_paperSize, (sSize{60, 50}));
    const CLayerData &ld = *paper.getLayerData(0);
    EXPECT_EQ(ld.imageTC->getColor(ld.viewPos.x + 10, ld.viewPos.y + 10), corner);
    EXPECT_EQ(paper.maskMngr().getActiveMask()->viewPos, (sPos{-10, -10}));
    // Smaller: the layers keep what falls outside.
    ASSERT_TRUE(eventEditResize(paper, nullptr, 20, 20, int32_t(pgType::pgtTL), 1, true));
    EXPECT_EQ(paper.getLayerData(1)->imageTC->FPSZ(), (sSize{80, 50}));
    EXPECT_EQ(paper.m_paperSize, (sSize{20, 20}));
}

TEST(CanvasOps, CropCutsToTheBoxAndMovesTheMasks)
{
    LiveReplayApp app;
    HeadlessDocument doc;
    TPaper &paper = *doc.paper;
    ASSERT_TRUE(opsStartSelected(paper, 4));
    const uint32_t inside = paper.getLayerData(1)->imageTC->getColor(12, 9);
    ASSERT_TRUE(eventEditCrop(paper, nullptr, 1, {10, 5, 20, 15}, false, 1));
    EXPECT_EQ(paper.m_paperSize, (sSize{20, 15}));
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(paper.getLayerData(i)->imageTC->FPSZ(), (sSize{20, 15}));
    EXPECT_EQ(paper.getLayerData(1)->imageTC->getColor(2, 4), inside);
    EXPECT_EQ(paper.maskMngr().getActiveMask()->viewPos, (sPos{10, 5}));
    // Sizes and indices from outside.
    for (const sBox &bad : {sBox{0, 0, 0, 5}, sBox{0, 0, 5, 10001}})
        EXPECT_FALSE(eventEditCrop(paper, nullptr, 0, bad, false, 1));
    EXPECT_FALSE(eventEditCrop(paper, nullptr, 7, {0, 0, 5, 5}, false, 1));
}

TEST(CanvasOps, TrimInsideThePaperIsRefusedAndRecordsNothing)
{
    ScopedUndoMax undoMax(20);
    LiveReplayApp app;
    HeadlessDocument doc;
    TPaper &paper = *doc.paper;
    ASSERT_TRUE(opsStartPlain(paper, 4));
    const uint32_t stream = paper.eventMngr().topEventPos;
    EXPECT_FALSE(eventLayerCutOutside(paper, nullptr, 0, true));
    EXPECT_FALSE(eventLayerCutOutside(paper, nullptr, 9, true));
    EXPECT_EQ(paper.eventMngr().topEventPos, stream);
    ASSERT_TRUE(eventLayerCutOutside(paper, nullptr, 1, true));
    EXPECT_EQ(paper.getLayerData(1)->imageTC->FPSZ(), kOpsPaper);
    EXPECT_EQ(paper.getLayerData(1)->title, QStringLiteral("はみ出し"));
}

TEST(CanvasOps, UntrustedSizesAreRefused)
{
    LiveReplayApp app;
    HeadlessDocument doc;
    TPaper &paper = *doc.paper;
    ASSERT_TRUE(opsStartPlain(paper, 4));
    const std::string before = stateOf(paper);
    for (const sSize &s : {sSize{0, 10}, sSize{10, -1}, sSize{10001, 10}, sSize{INT32_MIN, 5}}) {
        EXPECT_FALSE(eventEditResize(paper, nullptr, s.x, s.y, 4, 1, false));
        EXPECT_FALSE(eventEditResolutionHQ(paper, nullptr, s.x, s.y, 1, false));
        EXPECT_FALSE(resizeCanvasInPlace(paper, nullptr, s, 0));
        EXPECT_FALSE(changeResolutionOldInPlace(paper, nullptr, s));
    }
    EXPECT_EQ(stateOf(paper), before);
}

// Without undo (limit 0) the change is made in place with no question, and every undo goes.
TEST(CanvasOps, UndoLimitZeroWorksInPlaceWithoutAsking)
{
    std::string withList;
    {
        ScopedUndoMax undoMax(20);
        LiveReplayApp app;
        HeadlessDocument doc;
        ASSERT_TRUE(opsStartSelected(*doc.paper, 8));
        ASSERT_TRUE(eventEditResize(*doc.paper, nullptr, 50, 44, 5, 1, true));
        withList = stateOf(*doc.paper);
    }
    ScopedUndoMax undoMax(0);
    LiveReplayApp app;
    HeadlessDocument doc;
    ASSERT_TRUE(opsStartSelected(*doc.paper, 8));
    ASSERT_TRUE(eventEditResize(*doc.paper, nullptr, 50, 44, 5, 1, true));
    EXPECT_TRUE(app.messages.questions.isEmpty());
    EXPECT_EQ(stateOf(*doc.paper), withList);
    EXPECT_FALSE(doc.paper->undoMngrEx() && doc.paper->undoMngrEx()->canUndo());
}

// No memory for a new list: the question comes before anything is recorded. Cancel leaves all
// as it was; OK goes on in place, and when that fails too the document is still unchanged.
TEST(CanvasOpsOutOfMemory, TheQuestionComesFirstAndFailuresChangeNothing)
{
    ScopedUndoMax undoMax(20);
    using Step = std::function<bool(TPaper &)>;
    const std::vector<std::pair<const char *, Step>> steps = {
        {"resize", [](TPaper &p) { return eventEditResize(p, nullptr, 70, 44, 4, 1, true); }},
        {"resolution", [](TPaper &p) { return eventEditResolutionHQ(p, nullptr, 80, 60, 1, true); }},
    };
    for (const auto &[name, step] : steps) {
        for (const int answer : {int(kavrin::mrCancel), int(kavrin::mrOk)}) {
            SCOPED_TRACE(testing::Message() << name << " " << answer);
            LiveReplayApp app;
            app.messages.answer = answer;
            HeadlessDocument doc;
            TPaper &paper = *doc.paper;
            ASSERT_TRUE(opsStartSelected(paper, 6));
            const std::string before = stateOf(paper);
            const uint32_t stream = paper.eventMngr().topEventPos;
            {
                ScopedBlockMemoryLimit limit(1);
                EXPECT_FALSE(step(paper));
            }
            ASSERT_EQ(app.messages.questions.size(), 1);
            EXPECT_TRUE(app.messages.questions[0].startsWith(
                QStringLiteral("メモリ不足のためアンドゥは実行できませんがよろしいですか?")));
            EXPECT_EQ(stateOf(paper), before);
            EXPECT_EQ(paper.eventMngr().topEventPos, stream);
        }
    }
}

TEST(CanvasOpsOutOfMemory, CropFailsWithItsMessageAndOthersSucceedOnceMemoryAllows)
{
    ScopedUndoMax undoMax(20);
    using Step = std::function<bool(TPaper &)>;
    const std::vector<std::pair<const char *, Step>> steps = {
        {"crop", [](TPaper &p) { return eventEditCrop(p, nullptr, 0, {3, 3, 30, 20}, true, 1); }},
        {"resize", [](TPaper &p) { return eventEditResize(p, nullptr, 55, 41, 8, 1, true); }},
        {"resolution", [](TPaper &p) { return eventEditResolutionOld(p, nullptr, 20, 15, 1, true); }},
        {"trim", [](TPaper &p) { return eventLayerCutOutside(p, nullptr, 1, true); }},
    };
    for (const auto &[name, step] : steps) {
        SCOPED_TRACE(name);
        bool done = false;
        int n = 0;
        for (; !done && n < 300; ++n) {
            LiveReplayApp app;
            app.messages.answer = kavrin::mrCancel;
            HeadlessDocument doc;
            TPaper &paper = *doc.paper;
            ASSERT_TRUE(opsStartPlain(paper, 9));
            const std::string before = stateOf(paper);
            const uint32_t stream = paper.eventMngr().topEventPos;
            {
                ScopedBlockMemoryLimit limit(n);
                done = step(paper);
            }
            if (!done) {
                EXPECT_EQ(stateOf(paper), before);
                EXPECT_EQ(paper.eventMngr().topEventPos, stream);
                if (std::string(name) == "crop") {
                    EXPECT_TRUE(app.messages.warnings.contains(
                        QStringLiteral("メモリ不足により切り抜きの実行に失敗しました！")));
                }
            }
        }
        EXPECT_TRUE(done);
        EXPECT_GT(n, 1);
    }
}

} // namespace

namespace {

TEST(CanvasOpsUndoRedo, WholeCanvasChangesComeBackExactlyWithTheSameObjects)
{
    ScopedUndoMax undoMax(20);
    LiveReplayApp app;
    using Step = std::function<bool(TPaper &)>;
    const std::vector<std::pair<const char *, Step>> steps = {
        {"turn", [](TPaper &p) { return EventEditRotate(p, nullptr, true, true); }},
        {"resize", [](TPaper &p) { return eventEditResize(p, nullptr, 60, 50, 4, 1, true); }},
        {"resolution", [](TPaper &p) { return eventEditResolutionHQ(p, nullptr, 20, 15, 1, true); }},
        {"resolution old", [](TPaper &p) { return eventEditResolutionOld(p, nullptr, 50, 45, 1, true); }},
        {"crop", [](TPaper &p) { return eventEditCrop(p, nullptr, 1, {6, 4, 25, 20}, true, 1); }},
    };
    for (const auto &[name, step] : steps) {
        for (const bool selected : {false, true}) {
            SCOPED_TRACE(testing::Message() << name << " " << selected);
            HeadlessDocument doc;
            TPaper &paper = *doc.paper;
            ASSERT_TRUE(opsStart(paper, 12, selected));
            std::vector<const CLayerData *> objects;
            std::vector<std::vector<uint32_t>> pixels;
            for (int32_t i = 0; i < 3; ++i) {
                objects.push_back(paper.getLayerData(i));
                pixels.push_back(layerPixels(*paper.getLayerData(i)));
            }
            const CMaskMngr *masks = &paper.maskMngr();
            const std::string start = stateOf(paper);
            ASSERT_TRUE(step(paper));
            const std::string changed = stateOf(paper);
            ASSERT_NE(changed, start);
            ASSERT_TRUE(paper.undoMngrEx()->canUndo());
            int32_t idx = 0;
            sRect r;
            ASSERT_TRUE(eventLayerUndo(paper, nullptr, idx, r));
            EXPECT_EQ(stateOf(paper), start);
            for (int32_t i = 0; i < 3; ++i) {
                EXPECT_EQ(paper.getLayerData(i), objects[size_t(i)]);
                EXPECT_EQ(layerPixels(*paper.getLayerData(i)), pixels[size_t(i)]);
            }
            if (!selected) {
                EXPECT_EQ(&paper.maskMngr(), masks); // no selection: the mask list stays
            }
            ASSERT_TRUE(eventLayerRedo(paper, nullptr, idx, r));
            EXPECT_EQ(stateOf(paper), changed);
            ASSERT_TRUE(eventLayerUndo(paper, nullptr, idx, r));
            EXPECT_EQ(stateOf(paper), start);
        }
    }
}

} // namespace

namespace {

// What each layer shows on the paper: its pixels over the paper at its view position.
std::vector<std::vector<uint32_t>> paperViews(const TPaper &paper)
{
    std::vector<std::vector<uint32_t>> out;
    for (int32_t i = 0; i < paper.getLayerCount(); ++i) {
        const CLayerData &ld = *paper.getLayerData(i);
        std::vector<uint32_t> v;
        for (int32_t y = 0; y < paper.m_paperSize.y; ++y)
            for (int32_t x = 0; x < paper.m_paperSize.x; ++x)
                v.push_back(ld.imageTC->getColor2(x + ld.viewPos.x, y + ld.viewPos.y));
        out.push_back(std::move(v));
    }
    return out;
}

// In place, running out part-way: the canvas size takes back the views of the layers it already
// converted (the document shows what it showed); the resolution stops with the message, each
// layer wholly converted or untouched and every view size still the paper's.
TEST(CanvasOpsOutOfMemory, InPlaceChangesStopCleanlyPartWay)
{
    LiveReplayApp app;
    for (int n = 0; n < 40; ++n) {
        SCOPED_TRACE(n);
        HeadlessDocument doc;
        TPaper &paper = *doc.paper;
        ASSERT_TRUE(opsStartPlain(paper, 21));
        const auto views = paperViews(paper);
        bool resized;
        {
            ScopedBlockMemoryLimit limit(n);
            resized = resizeCanvasInPlace(paper, nullptr, {70, 50}, int32_t(pgType::pgtBR));
        }
        if (!resized) {
            EXPECT_EQ(paper.m_paperSize, kOpsPaper);
            EXPECT_EQ(paperViews(paper), views);
            for (int32_t i = 0; i < 3; ++i)
                EXPECT_EQ(paper.getLayerData(i)->viewSize, kOpsPaper);
        }

        HeadlessDocument doc2;
        TPaper &paper2 = *doc2.paper;
        ASSERT_TRUE(opsStartPlain(paper2, 21));
        app.messages.clear();
        bool resampled;
        {
            ScopedBlockMemoryLimit limit(n);
            resampled = changeResolutionHQInPlace(paper2, nullptr, {80, 60});
        }
        if (!resampled) {
            EXPECT_EQ(paper2.m_paperSize, kOpsPaper);
            EXPECT_TRUE(app.messages.warnings.contains(
                QStringLiteral("メモリ不足により解像度の変更の実行に失敗しました！")));
            for (int32_t i = 0; i < 3; ++i)
                EXPECT_EQ(paper2.getLayerData(i)->viewSize, kOpsPaper);
        }
    }
}

} // namespace

namespace {

// The oldest forms make every layer exactly the new size at view position (0, 0).
TEST(CanvasOps, OldestFormsMakeEveryLayerThePaper)
{
    LiveReplayApp app;
    HeadlessDocument doc;
    TPaper &paper = *doc.paper;
    ASSERT_TRUE(opsStartPlain(paper, 30));
    const uint32_t corner = paper.getLayerData(0)->imageTC->getColor(0, 0);
    ASSERT_TRUE(orgEventEditResize(paper, nullptr, 50, 40, int32_t(pgType::pgtBR)));
    EXPECT_EQ(paper.m_paperSize, (sSize{50, 40}));
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(paper.getLayerData(i)->imageTC->FPSZ(), (sSize{50, 40}));
        EXPECT_EQ(paper.getLayerData(i)->viewPos, (sPos{0, 0}));
    }
    // The old paper lands at the bottom right: (10, 10).
    EXPECT_EQ(paper.getLayerData(0)->imageTC->getColor(10, 10), corner);
    ASSERT_TRUE(orgEventEditResolution(paper, nullptr, 25, 20));
    EXPECT_EQ(paper.m_paperSize, (sSize{25, 20}));
    EXPECT_EQ(paper.getLayerData(1)->imageTC->FPSZ(), (sSize{25, 20}));
    EXPECT_FALSE(orgEventEditResize(paper, nullptr, 0, 20, 0));
    EXPECT_FALSE(orgEventEditResolution(paper, nullptr, 25, 10001));
}

} // namespace
