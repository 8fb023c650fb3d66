#include "document/edit/canvas_geometry.h"

#include "document/edit/scale_layer_image.h"
#include "document/paper/paper_host.h"
#include "support/block_memory.h"
#include "support/captured_messages.h"
#include "geometry_fixtures.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A 50 x 40 paper with a layer covering it, one reaching 30 pixels past its right edge (hidden,
// grouped, named) and the upper one current.
class LayerGeometryLists : public testing::Test
{
  protected:
    void SetUp() override
    {
        list.setPaperSize(50, 40);
        ASSERT_EQ(list.addLayer(50, 40, TLayerMode::LM_STD, false, 255, true), 0);
        ASSERT_EQ(list.addLayer(80, 40, TLayerMode::LM_SCR, false, 70, false), 1);
        fillRandom(*list.getLayer(0)->imageTC, 1);
        fillRandom(*list.getLayer(1)->imageTC, 2);
        list.getLayer(1)->title = QStringLiteral("はみ出し");
        list.getLayer(1)->groupLevel = 1;
        list.setCurIndex(1);
        list.setTotalNum(7);
        for (int i = 0; i < 2; ++i)
            before.push_back(pixelsOf(*list.getLayer(i)->imageTC));
    }
    void expectUntouched()
    {
        ASSERT_EQ(list.getLayerCount(), 2);
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(pixelsOf(*list.getLayer(i)->imageTC), before[size_t(i)]);
    }
    // The colour of old paper point p in layer i of the old list.
    uint32_t oldAt(int i, sPos p) const
    {
        const CLayerData &ld = *list.getLayer(i);
        return ld.imageTC->getColor(p.x + ld.viewPos.x, p.y + ld.viewPos.y);
    }

    CapturedMessages messages;
    CLayerMngr list{24};
    std::vector<std::vector<uint32_t>> before;
};

struct SListCase
{
    const char *name;
    std::function<std::unique_ptr<CLayerMngr>(const CLayerMngr &)> build;
    sSize paper;
    sSize size[2];
    sPos viewPos[2];
    sPos shift; // old paper point p is new paper point p + shift
};

TEST_F(LayerGeometryLists, CanvasSizeGrowsEachLayerOverBothPapersAndCropCuts)
{
    const SListCase cases[] = {
        // Enlarged with the old paper at (10, 10): the images cover the new canvas and the old
        // content, at view position (0, 0).
        {"enlarge", [](const CLayerMngr &m) { return makeResizeLayerEx(m, {10, 10}, {70, 60}, true); },
         {70, 60}, {{70, 60}, {90, 60}}, {{0, 0}, {0, 0}}, {10, 10}},
        // Smaller: nothing is cut, the paper only moves inside the images.
        {"shrink", [](const CLayerMngr &m) { return makeResizeLayerEx(m, {-10, -10}, {20, 20}, true); },
         {20, 20}, {{50, 40}, {80, 40}}, {{10, 10}, {10, 10}}, {-10, -10}},
        // Crop: every layer becomes the box.
        {"crop", [](const CLayerMngr &m) { return makeResizeLayer(m, {10, 10}, {20, 20}, true); },
         {20, 20}, {{20, 20}, {20, 20}}, {{0, 0}, {0, 0}}, {-10, -10}},
    };
    for (const SListCase &c : cases) {
        SCOPED_TRACE(c.name);
        auto out = c.build(list);
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(out->getLayerCount(), 2);
        EXPECT_EQ(out->getPaperSize(), c.paper);
        EXPECT_EQ(out->getCurIndex(), 1);
        for (int i = 0; i < 2; ++i) {
            const CLayerData &ld = *out->getLayer(i);
            EXPECT_EQ(ld.imageTC->FPSZ(), c.size[i]);
            EXPECT_EQ(ld.viewPos, c.viewPos[i]);
            EXPECT_EQ(ld.viewSize, c.paper);
            EXPECT_EQ(ld.index, i);
            // Old paper points 12..19 land at their shifted place.
            for (const sPos p : {sPos{12, 12}, sPos{19, 15}}) {
                const sPos q{p.x + c.shift.x + ld.viewPos.x, p.y + c.shift.y + ld.viewPos.y};
                EXPECT_EQ(ld.imageTC->getColor(q.x, q.y), oldAt(i, p));
            }
        }
        EXPECT_EQ(out->getLayer(1)->title, QStringLiteral("はみ出し"));
        EXPECT_EQ(out->getLayer(1)->mode, TLayerMode::LM_SCR);
        expectUntouched();
    }
}

TEST_F(LayerGeometryLists, EnlargedCanvasKeepsTheOverhangAndClearsTheNewMargin)
{
    auto out = makeResizeLayerEx(list, {10, 10}, {70, 60}, true);
    ASSERT_NE(out, nullptr);
    const CLayerData &ld = *out->getLayer(1);
    // The overhang (old paper x 50..79) is still there, at new x 60..89.
    EXPECT_EQ(ld.imageTC->getColor(89, 10), list.getLayer(1)->imageTC->getColor(79, 0));
    // The margin is the mode's clear colour.
    EXPECT_EQ(ld.imageTC->getColor(0, 0), ld.imageTC->getColor(69, 59));
    EXPECT_EQ(ld.imageTC->getColor(0, 0) >> 24, 0u);
}

TEST_F(LayerGeometryLists, AttributesRunningNumberAndPreviewsOfTheNewLists)
{
    struct SCase
    {
        const char *name;
        std::unique_ptr<CLayerMngr> out;
        bool copyAttr;
        int32_t totalNum;
    };
    SCase cases[] = {
        {"resize", makeResizeLayerEx(list, {0, 0}, {60, 60}, true), true, 7},
        {"resize, title only", makeResizeLayerEx(list, {0, 0}, {60, 60}, false), false, 7},
        {"crop", makeResizeLayer(list, {0, 0}, {30, 30}, true), true, 0},
        {"crop, title only", makeResizeLayer(list, {0, 0}, {30, 30}, false), false, 0},
        {"zoom", makeZoomLayer(list, {25, 20}, 1, true), true, 7},
        {"zoom, title only", makeZoomLayer2(list, {25, 20}, 2, false), false, 7},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(c.out, nullptr);
        EXPECT_EQ(c.out->getTotalNum(), c.totalNum);
        const CLayerData &ld = *c.out->getLayer(1);
        EXPECT_EQ(ld.title, QStringLiteral("はみ出し"));
        EXPECT_FALSE(ld.visible);
        EXPECT_EQ(ld.trans, 70);
        EXPECT_EQ(ld.groupLevel, c.copyAttr ? 1 : 0);
        EXPECT_FALSE(ld.hasUndo());
        ASSERT_NE(ld.previewTC, nullptr);
        EXPECT_LE(ld.previewTC->width(), c.out->getPreviewSize().x);
        EXPECT_LE(ld.previewTC->height(), c.out->getPreviewSize().y);
    }
}

TEST_F(LayerGeometryLists, ResolutionUsesTheChosenScalerAndRefusesOtherMethods)
{
    EXPECT_EQ(makeZoomLayer(list, {25, 20}, 3, true), nullptr);
    EXPECT_EQ(makeZoomLayer(list, {25, 20}, 0, true), nullptr);
    const CBlockVMTC &src = *list.getLayer(1)->imageTC; // 80 x 40 for a 50 x 40 paper
    CBlockVMTC hq(40, 20), avg(40, 20), avg2(40, 20);
    ASSERT_TRUE(src.FilterSmallenHQ(hq));
    CScaleLayerImage s1(&src, &avg), s2(&src, &avg2);
    ASSERT_TRUE(s1.scale(boxFromSize(src.FPSZ()), boxFromSize(avg.FPSZ())));
    ASSERT_TRUE(s2.scale2(boxFromSize(src.FPSZ()), boxFromSize(avg2.FPSZ())));
    const std::pair<std::unique_ptr<CLayerMngr>, const CBlockVMTC *> cases[] = {
        {makeZoomLayer(list, {25, 20}, 1, true), &hq},
        {makeZoomLayer(list, {25, 20}, 2, true), &avg},
        {makeZoomLayer2(list, {25, 20}, 2, true), &avg2},
    };
    for (const auto &[out, expected] : cases) {
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(out->getPaperSize(), (sSize{25, 20}));
        EXPECT_EQ(pixelsOf(*out->getLayer(1)->imageTC), pixelsOf(*expected));
        EXPECT_EQ(out->getLayer(1)->viewSize, (sSize{25, 20}));
    }
    EXPECT_NE(pixelsOf(avg), pixelsOf(avg2));
    expectUntouched();
}

TEST(LayerGeometryListsPlace, ResampledSizeAndViewPositionRoundAndStayInsideTheImage)
{
    struct SCase
    {
        sSize image;
        sPos viewPos;
        sSize view, paper;
        bool ok;
        sSize size;
        sPos pos;
    };
    const SCase cases[] = {
        {{40, 20}, {6, 0}, {20, 20}, {10, 10}, true, {20, 10}, {3, 0}},
        {{30, 30}, {5, 5}, {20, 20}, {10, 10}, true, {15, 15}, {3, 3}},     // 2.5 + 0.5 -> 3
        {{10, 10}, {5, 5}, {10, 10}, {10, 10}, true, {10, 10}, {0, 0}},     // lowered to fit
        {{3, 3}, {0, 0}, {3, 3}, {2, 2}, true, {2, 2}, {0, 0}},             // 2.0000002 -> 2
        {{10, 10}, {0, 0}, {0, 10}, {5, 5}, false, {}, {}},                 // empty view
        {{2000000000, 10}, {0, 0}, {1, 10}, {10, 10}, false, {}, {}},       // past 32 bits
    };
    for (const SCase &c : cases) {
        sSize size{-1, -1};
        sPos pos{-1, -1};
        EXPECT_EQ(zoomedLayerGeometry(c.image, c.viewPos, c.view, c.paper, size, pos), c.ok);
        if (c.ok) {
            EXPECT_EQ(size, c.size);
            EXPECT_EQ(pos, c.pos);
        }
    }
}

TEST_F(LayerGeometryLists, UntrustedSizesAndOffsetsAreRefused)
{
    EXPECT_EQ(makeResizeLayerEx(list, {0, 0}, {0, 10}, true), nullptr);
    EXPECT_EQ(makeResizeLayerEx(list, {0, 0}, {10, -3}, true), nullptr);
    // The new canvas so far from the layers that the grown images would pass 32 bits.
    EXPECT_EQ(makeResizeLayerEx(list, {-2147483000, 0}, {5000, 10}, true), nullptr);
    EXPECT_EQ(makeResizeLayer(list, {0, 0}, {0, 10}, true), nullptr);
    EXPECT_EQ(makeZoomLayer(list, {-4, 10}, 1, true), nullptr);
    // A crop box beside every layer is a valid crop: the layers come out empty.
    auto out = makeResizeLayer(list, {5000, 5000}, {8, 8}, true);
    ASSERT_NE(out, nullptr);
    sRect visible;
    EXPECT_FALSE(out->getLayer(0)->imageTC->findVisibleRect(visible));
    expectUntouched();
}

TEST_F(LayerGeometryLists, OutOfMemoryLeavesTheOldListAndEndsInTheSameResult)
{
    using Build = std::function<std::unique_ptr<CLayerMngr>()>;
    const std::vector<std::pair<const char *, Build>> builders = {
        {"resize", [&] { return makeResizeLayerEx(list, {7, 3}, {90, 70}, true); }},
        {"crop", [&] { return makeResizeLayer(list, {3, 4}, {40, 30}, true); }},
        {"zoom 1", [&] { return makeZoomLayer(list, {75, 60}, 1, true); }},
        {"zoom 2", [&] { return makeZoomLayer2(list, {30, 20}, 2, true); }},
    };
    for (const auto &[name, build] : builders) {
        SCOPED_TRACE(name);
        const auto expected = build();
        ASSERT_NE(expected, nullptr);
        std::unique_ptr<CLayerMngr> got;
        int n = 0;
        for (; !got && n < 400; ++n) {
            ScopedBlockMemoryLimit limit(n);
            got = build();
            expectUntouched();
        }
        ASSERT_NE(got, nullptr);
        EXPECT_GT(n, 1);
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(pixelsOf(*got->getLayer(i)->imageTC),
                      pixelsOf(*expected->getLayer(i)->imageTC));
    }
}

class RecordingProgress : public IPaperProgress
{
  public:
    explicit RecordingProgress(QStringList &log) : m_log(log) {}
    void setCaption(const QString &caption) override { m_log << caption; }
    void setMessage(const QString &msg) override { m_log << msg; }
    void reset(int steps) override { m_log << QString::number(steps); }
    void step(int count) override { m_log << QStringLiteral("+%1").arg(count); }

  private:
    QStringList &m_log;
};

TEST_F(LayerGeometryLists, ResolutionReportsEachLayerToTheProgressWindow)
{
    QStringList log;
    SPaperAppHooks hooks;
    hooks.openProgress = [&](int steps, const QString &caption, const QString &) {
        log << QString::number(steps) << caption;
        return std::make_unique<RecordingProgress>(log);
    };
    const SPaperAppHooks previous = installPaperAppHooks(hooks);
    list.getLayer(0)->title = QStringLiteral("下地");
    EXPECT_NE(makeZoomLayer(list, {25, 20}, 2, true), nullptr);
    installPaperAppHooks(previous);
    EXPECT_EQ(log, QStringList({"2", QStringLiteral("解像度を変更しています"),
                                QStringLiteral("下地を処理中..."), "+1",
                                QStringLiteral("はみ出しを処理中..."), "+1"}));
}

} // namespace
