#include "core/block_test_support.h"

#include "core/tiles/block_layer_image.h"
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "platform/system/debug_output.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace blocktest;

namespace {

using Bytes = std::vector<uint8_t>;

struct FakeOwner : IMaskOwner
{
    sSize paper{20, 10};
    const IViewTransform *view = nullptr;
    sSize maskPaperSize() const override { return paper; }
    const IViewTransform *maskView() const override { return view; }
};

struct FakeMaskLayer : IMaskLayer
{
    std::unique_ptr<CBlockVMTC> image;
    sPos viewPos;
    sSize viewSize{20, 10};
    QString title = QStringLiteral("線画");
    CBlockVMTC *maskLayerImage() const override { return image.get(); }
    sPos maskLayerViewPos() const override { return viewPos; }
    sSize maskLayerViewSize() const override { return viewSize; }
    QString maskLayerTitle() const override { return title; }
};

// A w x h channel whose column x holds cols[x] (the last value repeated to the right).
std::unique_ptr<TChannel> shape(int32_t w, int32_t h, const Bytes &cols)
{
    auto ch = std::make_unique<TChannel>(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            *ch->seek8(x, y) = cols[std::min(size_t(x), cols.size() - 1)];
    return ch;
}

Bytes row(const CMaskData &md, int32_t y)
{
    Bytes v;
    for (int32_t x = 0; x < md.maskTC->width(); ++x)
        v.push_back(md.maskTC->getColor(x, y));
    return v;
}

Bytes allBytes(const CMaskData &md)
{
    Bytes v;
    for (int32_t y = 0; y < md.maskTC->height(); ++y)
        for (int32_t x = 0; x < md.maskTC->width(); ++x)
            v.push_back(md.maskTC->getColor(x, y));
    return v;
}

class MaskManager : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        previousID = resetMaskUniqueID(0);
        previousMax = setMaskPreviewMax(25);
    }
    void TearDown() override
    {
        resetMaskUniqueID(previousID);
        setMaskPreviewMax(previousMax);
    }

    // Puts a 4 x 4 mask of value v at document position pos into slot idx.
    void putMask(CMaskMngr &m, int32_t idx, sPos pos, uint8_t v, sSize sz = {4, 4})
    {
        std::unique_ptr<CMaskData> old;
        ASSERT_TRUE(m.replaceMask(idx, *shape(sz.x, sz.y, {v}), sz, {-pos.x, -pos.y}, old,
                                  eMaskAddType::matNew));
    }

    FakeOwner owner;
    int32_t previousID = 0;
    int32_t previousMax = 0;
};

} // namespace

TEST_F(MaskManager, StartsWithOneEmptyMaskTitledMask1)
{
    CMaskMngr m(&owner, 16);
    ASSERT_EQ(m.getMaskCount(), 1);
    EXPECT_EQ(m.getCurIndex(), 0);
    EXPECT_EQ(m.getActiveMask()->title, QStringLiteral(u"マスク1"));
    EXPECT_EQ(m.getActiveMask()->uniqueID, 0);
    EXPECT_FALSE(m.getActiveMask()->hasMask());
    EXPECT_EQ(m.getAntsIndex(), -1);

    EXPECT_EQ(m.insertMask(-1), 0); // before the current one, with the next default title
    EXPECT_EQ(m.getMask(0)->title, QStringLiteral(u"マスク2"));
    EXPECT_EQ(m.getMask(1)->index, 1);
    EXPECT_EQ(m.setCurIndex(2), 2); // appends an untitled mask
    EXPECT_TRUE(m.getMask(2)->title.isEmpty());
    EXPECT_EQ(m.setCurIndex(7), 2);
    EXPECT_EQ(m.getMask(2)->uniqueID, 2);
    EXPECT_EQ(m.resetTotalNum(10), 2);
    EXPECT_EQ(m.getMask(-1), nullptr);

    EXPECT_EQ(maskAddTypeCaption(eMaskAddType::matSub),
              QStringLiteral(u"選択範囲から取り除く(&R)"));
    EXPECT_TRUE(maskAddTypeCaption(eMaskAddType(4)).isEmpty());
}

TEST_F(MaskManager, CombiningWithAnEmptyMask)
{
    CMaskMngr m(&owner, 16);
    const auto ch = shape(4, 3, {10, 20, 30, 40});
    const auto made = m.createMask(0, *ch, {4, 3}, {-5, -2}, eMaskAddType::matNew);
    const auto added = m.createMask(0, *ch, {4, 3}, {-5, -2}, eMaskAddType::matAdd);
    ASSERT_TRUE(made && added);
    EXPECT_EQ(allBytes(*added), allBytes(*made));
    EXPECT_EQ(added->viewPos, made->viewPos);
    EXPECT_EQ(made->viewPos, (sPos{-5, -2}));
    EXPECT_EQ(row(*made, 2), (Bytes{10, 20, 30, 40}));
    EXPECT_EQ(m.createMask(0, *ch, {4, 3}, {-5, -2}, eMaskAddType::matSub), nullptr);
    EXPECT_EQ(m.createMask(0, *ch, {4, 3}, {-5, -2}, eMaskAddType::matAnd), nullptr);
    EXPECT_EQ(m.createMask(0, *ch, {4, 3}, {0, 0}, eMaskAddType(9)), nullptr);

    std::unique_ptr<CMaskData> old;
    const CMaskData *before = m.getMask(0);
    EXPECT_FALSE(m.replaceMask(0, *ch, {4, 3}, {0, 0}, old, eMaskAddType::matSub));
    EXPECT_EQ(m.getMask(0), before);
    EXPECT_EQ(old, nullptr);
}

TEST_F(MaskManager, TheFourCombinationsOfDisjointAndOverlappingShapes)
{
    struct Case
    {
        const char *name;
        sPos shapeAt; // document position of the new 4 x 4 shape
        eMaskAddType mat;
        Bytes row0; // row 0 of the result
        sPos viewPos;
    };
    // The old mask: 4 x 4 of 100 at document (0, 0). The new shape's first column is 50, the
    // others 200.
    const Case cases[] = {
        {"new, disjoint", {10, 0}, eMaskAddType::matNew, {50, 200, 200, 200}, {-10, 0}},
        {"add, disjoint",
         {10, 0},
         eMaskAddType::matAdd,
         {100, 100, 100, 100, 0, 0, 0, 0, 0, 0, 50, 200, 200, 200},
         {0, 0}},
        {"sub, disjoint", {10, 0}, eMaskAddType::matSub, {100, 100, 100, 100}, {0, 0}},
        {"and, disjoint", {10, 0}, eMaskAddType::matAnd, Bytes(14, 0), {0, 0}},
        // Overlap at document columns 2 and 3 (new 50 and 200 over old 100).
        {"add, overlap", {2, 0}, eMaskAddType::matAdd, {100, 100, 100, 200, 200, 200}, {0, 0}},
        {"sub, overlap", {2, 0}, eMaskAddType::matSub, {100, 100, 100, 55}, {0, 0}},
        {"and, overlap", {2, 0}, eMaskAddType::matAnd, {0, 0, 19, 78, 0, 0}, {0, 0}},
        // A shape reaching left of and above the old mask grows the union that way.
        {"add, up left", {-2, -1}, eMaskAddType::matAdd, {50, 200, 200, 200, 0, 0}, {2, 1}},
        {"and, up left", {-2, -1}, eMaskAddType::matAnd, Bytes(6, 0), {2, 1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CMaskMngr m(&owner, 16);
        putMask(m, 0, {0, 0}, 100);
        const Bytes oldBytes = allBytes(*m.getMask(0));
        const auto md =
            m.createMask(0, *shape(4, 4, {50, 200}), {4, 4}, {-c.shapeAt.x, -c.shapeAt.y}, c.mat);
        ASSERT_TRUE(md);
        EXPECT_EQ(row(*md, 0), c.row0);
        EXPECT_EQ(md->viewPos, c.viewPos);
        EXPECT_EQ(allBytes(*m.getMask(0)), oldBytes); // the old mask is only read
        EXPECT_EQ(md->previewTC->width(), 25);        // a thumbnail for the paper
    }
}

TEST_F(MaskManager, ReplaceHandsOutTheOldMaskAndKeepsTheTitle)
{
    CMaskMngr m(&owner, 16);
    putMask(m, 0, {0, 0}, 100);
    CMaskData *first = m.getMask(0);
    std::unique_ptr<CMaskData> old;
    ASSERT_TRUE(m.replaceMask(0, *shape(4, 4, {7}), {4, 4}, {-1, -1}, old, eMaskAddType::matNew));
    EXPECT_EQ(old.get(), first);
    EXPECT_EQ(row(*old, 0), (Bytes{100, 100, 100, 100})); // intact in the caller's hands
    EXPECT_EQ(m.getMask(0)->title, QStringLiteral(u"マスク1"));
    EXPECT_NE(m.getMask(0)->uniqueID, old->uniqueID);

    // matAdd past the paper's right edge: the result is trimmed with shrinkSize, which keeps
    // the content and the paper's size.
    ASSERT_TRUE(m.replaceMask(0, *shape(6, 4, {9}), {6, 4}, {-18, 0}, old, eMaskAddType::matAdd));
    const CMaskData *md = m.getMask(0);
    sRect r;
    ASSERT_TRUE(md->getMaskRect(r));
    EXPECT_EQ(r, (sRect{1, 0, 24, 10}));
    EXPECT_EQ(m.getMask(0)->getMaskValue(1, 1), 7);
    EXPECT_EQ(m.getMask(0)->getMaskValue(23, 3), 9);
}

TEST_F(MaskManager, ListOperationsHandOwnershipExplicitly)
{
    CMaskMngr m(&owner, 16);
    putMask(m, 0, {0, 0}, 100);
    ASSERT_EQ(m.insertMask(1), 1);
    ASSERT_EQ(m.insertMask(2), 2);
    m.setCurIndex(2);

    // deleteMask keeps the slot and the title.
    std::unique_ptr<CMaskData> out;
    CMaskData *first = m.getMask(0);
    ASSERT_TRUE(m.deleteMask(0, out));
    EXPECT_EQ(out.get(), first);
    EXPECT_FALSE(m.getMask(0)->hasMask());
    EXPECT_EQ(m.getMask(0)->title, QStringLiteral(u"マスク1"));

    // replaceMask(idx, md) exchanges.
    CMaskData *emptySlot = m.getMask(0);
    ASSERT_TRUE(m.replaceMask(0, out));
    EXPECT_EQ(out.get(), emptySlot);
    EXPECT_EQ(m.getMask(0), first);
    out.reset();
    EXPECT_FALSE(m.replaceMask(5, out)); // a nullptr or a bad index changes nothing

    // removeMask fixes the current index.
    ASSERT_TRUE(m.removeMask(2, out));
    EXPECT_EQ(out->title, QStringLiteral(u"マスク3"));
    EXPECT_EQ(m.getCurIndex(), 1);
    EXPECT_FALSE(m.removeMask(2, out));

    // insertAt takes the mask only when it succeeds.
    auto spare = std::make_unique<CMaskData>(-1);
    EXPECT_EQ(m.insertAt(5, spare), -1);
    ASSERT_NE(spare, nullptr);
    EXPECT_EQ(m.insertMask(2, spare), 2);
    EXPECT_EQ(spare, nullptr);
    EXPECT_EQ(m.getMask(2)->index, 2);
    // replaceAt appends for a bad index and hands nothing back.
    EXPECT_EQ(m.replaceAt(9, std::make_unique<CMaskData>(0)), nullptr);
    EXPECT_EQ(m.getMaskCount(), 4);

    EXPECT_EQ(m.duplicateMask(0), 0);
    EXPECT_EQ(m.getMaskCount(), 5);
    EXPECT_EQ(allBytes(*m.getMask(0)), allBytes(*m.getMask(1)));
    EXPECT_NE(m.getMask(0)->uniqueID, m.getMask(1)->uniqueID);
    EXPECT_EQ(m.moveMask(4, 0), 4);
    EXPECT_TRUE(m.getMask(4)->hasMask());
    EXPECT_EQ(m.getMask(4)->index, 4);
    EXPECT_EQ(m.moveMask(1, 1), -1);
    EXPECT_EQ(m.findLastIndexMaskImage(), 4);
    EXPECT_EQ(m.deleteAll(), 5);
    EXPECT_EQ(m.getCurIndex(), -1);
    EXPECT_EQ(m.insertMask(-1), -1);
}

TEST_F(MaskManager, CopyAndBind)
{
    CMaskMngr m(&owner, 16);
    putMask(m, 0, {0, 0}, 100);
    ASSERT_EQ(m.insertMask(1), 1); // empty, "マスク2"
    std::unique_ptr<CMaskData> out;

    // Onto an empty destination: matSub and matAnd refuse, matNew copies and keeps the title.
    EXPECT_FALSE(m.bindMask(1, 0, out, eMaskAddType::matSub));
    EXPECT_FALSE(m.bindMask(1, 0, out, eMaskAddType::matAnd));
    ASSERT_TRUE(m.bindMask(1, 0, out, eMaskAddType::matNew));
    EXPECT_EQ(m.getMask(1)->title, QStringLiteral(u"マスク2"));
    EXPECT_EQ(allBytes(*m.getMask(1)), allBytes(*m.getMask(0)));
    EXPECT_FALSE(out->hasMask());

    // Onto a mask: combined at the source's place.
    ASSERT_EQ(m.insertMask(2), 2);
    putMask(m, 2, {2, 0}, 200);
    ASSERT_TRUE(m.bindMask(1, 2, out, eMaskAddType::matAdd));
    EXPECT_EQ(row(*m.getMask(1), 0), (Bytes{100, 100, 200, 200, 200, 200}));
    EXPECT_EQ(m.getMask(1)->title, QStringLiteral(u"マスク2"));
    EXPECT_EQ(row(*out, 0), (Bytes{100, 100, 100, 100}));
    EXPECT_FALSE(m.bindMask(0, 3, out, eMaskAddType::matNew)); // no source image

    ASSERT_TRUE(m.copyMask(0, 2, out));
    EXPECT_EQ(m.getMask(0)->title, QStringLiteral(u"マスク1"));
    EXPECT_EQ(m.getMask(0)->viewPos, (sPos{-2, 0}));
}

TEST_F(MaskManager, InvertExtendCutAndShrink)
{
    CMaskMngr m(&owner, 16); // paper 20 x 10
    // Inside the paper: inverted in place.
    putMask(m, 0, {0, 0}, 100, {20, 10});
    std::unique_ptr<CMaskData> out;
    CMaskData *inside = m.getMask(0);
    ASSERT_TRUE(m.invertMaskEx(0, out));
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(m.getMask(0), inside);
    EXPECT_EQ(inside->getMaskValue(5, 5), 155);

    // 10 pixels left of the paper: extended over the paper, inverted, the old one handed out.
    putMask(m, 0, {-10, 2}, 255, {14, 3});
    ASSERT_TRUE(m.hasExtendSize(0) == false);
    ASSERT_TRUE(m.invertMaskEx(0, out));
    ASSERT_NE(out, nullptr);
    const CMaskData *inv = m.getMask(0);
    sRect r;
    ASSERT_TRUE(inv->getMaskRect(r));
    EXPECT_EQ(r, (sRect{-10, 0, 20, 10}));
    EXPECT_EQ(inv->getMaskValue(-10, 2), 0);   // was selected
    EXPECT_EQ(inv->getMaskValue(-10, 0), 255); // the extension, outside the old mask
    EXPECT_EQ(inv->getMaskValue(19, 9), 255);  // the paper outside the old mask
    EXPECT_EQ(inv->getMaskValue(3, 3), 0);
    EXPECT_EQ(inv->getMaskValue(4, 3), 255);
    EXPECT_EQ(inv->title, QStringLiteral(u"マスク1"));
    EXPECT_TRUE(m.hasExtendSize(0));
    sRect ar{0, 0, 1, 1};
    EXPECT_EQ(m.findMaxRect(ar), 1);
    EXPECT_EQ(ar, (sRect{-10, 0, 20, 10}));

    // cutOutside drops everything past the paper.
    ASSERT_TRUE(m.cutOutside(0, out));
    ASSERT_TRUE(m.getMask(0)->getMaskRect(r));
    EXPECT_EQ(r, (sRect{0, 0, 20, 10}));
    EXPECT_EQ(m.getMask(0)->getMaskValue(3, 3), 0);
    EXPECT_EQ(m.getMask(0)->getMaskValue(0, 0), 255);
    EXPECT_FALSE(m.cutOutside(0)); // inside now

    // shrinkSize: content inside the paper, image reaching past it: starts at the content.
    putMask(m, 0, {-5, -5}, 0, {40, 30});
    const sRect content{3, 2, 6, 4};
    {
        CMaskData *md = m.getMask(0);
        sBox b{3 + 5, 2 + 5, 3, 2};
        ASSERT_TRUE(md->maskTC->fillArea(b, 77));
    }
    ASSERT_TRUE(m.shrinkSize(0, out));
    ASSERT_TRUE(m.getMask(0)->getMaskRect(r));
    EXPECT_EQ(r, (sRect{content.x0, content.y0, content.x0 + 20, content.y0 + 10}));
    EXPECT_EQ(m.getMask(0)->getMaskValue(3, 2), 77);
    EXPECT_EQ(m.getMask(0)->getMaskValue(5, 3), 77);
    EXPECT_EQ(m.getMask(0)->getMaskValue(6, 3), 0);
    // An empty mask reaching past the paper is cut to it.
    putMask(m, 0, {-5, 0}, 0, {30, 10});
    ASSERT_TRUE(m.shrinkSize(0));
    ASSERT_TRUE(m.getMask(0)->getMaskRect(r));
    EXPECT_EQ(r, (sRect{0, 0, 20, 10}));

    // Without an image: nothing to invert, no rectangle.
    ASSERT_EQ(m.insertMask(1), 1);
    EXPECT_FALSE(m.invertMask(1));
    EXPECT_FALSE(m.getMaskRect(m.getMask(1), r));
    EXPECT_FALSE(m.getMask(1)->getMaskRect(r));
    EXPECT_FALSE(m.getMask(1)->getMaskEnbRect(r));
}

TEST_F(MaskManager, ResolutionChange)
{
    CMaskMngr m(&owner, 16); // paper 20 x 10
    putMask(m, 0, {-2, -2}, 0, {24, 14});
    {
        sBox left{0, 0, 12, 14};
        ASSERT_TRUE(m.getMask(0)->maskTC->fillArea(left, 255));
    }
    ASSERT_EQ(m.insertMask(1), 1);
    for (const bool hq : {false, true}) {
        SCOPED_TRACE(hq ? "HQ" : "Old");
        const auto md = hq ? m.makeResizeMaskHQ(0, {10, 5}) : m.makeResizeMaskOld(0, {10, 5});
        ASSERT_TRUE(md);
        EXPECT_EQ(md->maskTC->FPSZ(), (sSize{12, 7}));
        EXPECT_EQ(md->viewPos, (sPos{1, 1}));
        EXPECT_EQ(row(*md, 3), (Bytes{255, 255, 255, 255, 255, 255, 0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(md->title, QStringLiteral(u"マスク1"));
        const auto empty = m.makeResizeMaskHQ(1, {10, 5});
        ASSERT_TRUE(empty);
        EXPECT_FALSE(empty->hasMask());
        EXPECT_EQ(empty->title, QStringLiteral(u"マスク2"));
    }
    EXPECT_EQ(m.makeResizeMaskOld(7, {10, 5}), nullptr);

    // A new manager: copies in order, the same current index, its own title count.
    m.setCurIndex(1);
    const auto smaller = m.makeResizeMngrHQ({40, 20});
    ASSERT_TRUE(smaller);
    EXPECT_EQ(smaller->getMaskCount(), 2);
    EXPECT_EQ(smaller->getCurIndex(), 1);
    EXPECT_EQ(smaller->getTotalNum(), 1);
    EXPECT_EQ(smaller->getMask(0)->maskTC->FPSZ(), (sSize{48, 28}));
    EXPECT_EQ(m.getMask(0)->maskTC->FPSZ(), (sSize{24, 14})); // untouched

    // A failure part way leaves every mask as it was, the ones before it too.
    const CMaskData *a = m.getMask(0), *b = m.getMask(1);
    {
        ASSERT_EQ(m.insertMask(2), 2);
        putMask(m, 2, {0, 0}, 9, {20, 10});
        const CMaskData *c = m.getMask(2);
        OutOfMemory oom(1); // enough for the first mask, not for the last
        EXPECT_FALSE(m.changeResolutionHQ({40, 20}));
        EXPECT_EQ(oom.warnings, 1);
        EXPECT_EQ(m.getMask(0), a);
        EXPECT_EQ(m.getMask(1), b);
        EXPECT_EQ(m.getMask(2), c);
    }
    ASSERT_TRUE(m.changeResolutionOld({10, 5}));
    EXPECT_EQ(m.getMask(0)->maskTC->FPSZ(), (sSize{12, 7}));
    EXPECT_EQ(m.getMask(2)->getMaskValue(9, 4), 9);
}

TEST_F(MaskManager, AntsOfTheMasks)
{
    CMaskMngr m(&owner, 16);
    // An empty mask: no outline, and that is success.
    EXPECT_TRUE(m.createAnts(owner.paper, -1));
    EXPECT_FALSE(m.hasAnts());
    EXPECT_FALSE(m.createAnts(owner.paper, 3));

    putMask(m, 0, {18, 8}, 255, {4, 4}); // reaches past the paper's corner
    ASSERT_TRUE(m.createAnts(owner.paper, 0));
    EXPECT_TRUE(m.hasAnts());
    EXPECT_EQ(m.getAntsIndex(), 0);
    // Cut at the paper: the runs end at the paper's width.
    EXPECT_EQ(m.getAnts().xoff().getTable(0)[0], (sPos{20, 8}));
    EXPECT_TRUE(m.deleteAnts());
    EXPECT_FALSE(m.deleteAnts());
    EXPECT_EQ(m.getAntsIndex(), 0); // kept

    // The whole image, offset to its document place.
    ASSERT_TRUE(m.createAntsEx(0));
    EXPECT_EQ(m.getAnts().xoff().getTable(0)[0], (sPos{4, 0}));
    sPos ofs;
    m.getAntsOfs(ofs);
    EXPECT_EQ(ofs, (sPos{18, 8}));

    // A mask wholly outside the paper has no outline there.
    putMask(m, 0, {30, 0}, 255);
    EXPECT_FALSE(m.createAnts(owner.paper, 0));
    EXPECT_FALSE(m.hasAnts());

    // The dash moves only when there is an outline; drawing needs a surface.
    putMask(m, 0, {1, 1}, 255);
    ASSERT_TRUE(m.createAnts(owner.paper, 0));
    m.walkAnts();
    EXPECT_EQ(m.getAnts().getPattern(), 0x66);
    EXPECT_FALSE(m.showAnts(nullptr, owner.paper));
    struct Count : IPixelSink
    {
        int n = 0;
        void SetPixel(int32_t, int32_t, uint32_t) override { ++n; }
    } surface;
    ASSERT_TRUE(m.showAnts(&surface, owner.paper));
    EXPECT_EQ(surface.n, 4 * 4); // four lists of four positions, one pixel each
}

TEST_F(MaskManager, MaskDataValuesAndThumbnails)
{
    CMaskData md(3, 4, 2);
    md.viewPos = {1, 0}; // mask pixel (mx, my) at document (mx - 1, my)
    ASSERT_TRUE(md.maskTC->setPixel(1, 0, 128));
    EXPECT_EQ(md.getMaskValue(0, 0), 128);
    EXPECT_EQ(md.getMaskValue(-1, 0), 0);
    EXPECT_EQ(md.getMaskValue(-2, 0), -1);
    EXPECT_EQ(md.effectMask(1, 0, 255), 128u);
    EXPECT_EQ(md.effectMask(1, 0, 100), 50u);
    EXPECT_EQ(md.effectMask(9, 0, 255), 0u);
    EXPECT_EQ(md.calcMemSize(), 4096u);
    EXPECT_EQ(CMaskData(0).calcMemSize(), 0u);
    EXPECT_FALSE(CMaskData::hasMask(nullptr));

    // effectTo scales the canvas alpha where the mask lies; true without an image.
    TMTC tc(5, 1);
    tc.PixelFill(0xFF102030);
    ASSERT_TRUE(md.effectTo(tc));
    EXPECT_EQ(tc.getColor(0, 0), 0x80102030u);
    EXPECT_EQ(tc.getColor(1, 0), 0x00102030u);
    EXPECT_EQ(tc.getColor(3, 0), 0xFF102030u); // past the mask
    EXPECT_TRUE(CMaskData(0).effectTo(tc));

    // Thumbnails keep the aspect of the paper inside the edge.
    ASSERT_TRUE(md.makePreview(40, 10, 20, 20));
    EXPECT_EQ(md.previewTC->FPSZ(), (sSize{20, 5}));
    ASSERT_TRUE(md.makePreview(10, 40, 20, 20));
    EXPECT_EQ(md.previewTC->FPSZ(), (sSize{5, 20}));
    ASSERT_TRUE(md.makePreview(1000, 1));
    EXPECT_EQ(md.previewTC->FPSZ(), (sSize{25, 1}));
    setMaskPreviewMax(40);
    ASSERT_TRUE(md.makePreview(3, 1));
    EXPECT_EQ(md.previewTC->FPSZ(), (sSize{40, 13}));
    EXPECT_EQ(md.previewTC->getColor(0, 0), 0xFF808080u); // document (0, 0) holds 128
    EXPECT_FALSE(md.makePreview(0, 5));

    // A deep copy: new number, same pixels and thumbnail.
    const CMaskData copy(md);
    EXPECT_NE(copy.uniqueID, md.uniqueID);
    EXPECT_EQ(copy.index, 3);
    EXPECT_EQ(allBytes(copy), allBytes(md));
    EXPECT_EQ(copy.previewTC->getColor(0, 0), 0xFF808080u);
    EXPECT_EQ(copy.viewPos, md.viewPos);
}

TEST_F(MaskManager, MasksFromAndIntoLayers)
{
    FakeMaskLayer layer;
    layer.image = std::make_unique<CBlockVMTC>(3, 2);
    layer.viewPos = {1, 0};
    ASSERT_TRUE(layer.image->setPixel(0, 0, argb(255, 255, 255, 255)));
    ASSERT_TRUE(layer.image->setPixel(1, 0, argb(128, 0, 0, 0)));

    CMaskData value(0), alpha(0);
    ASSERT_TRUE(value.createMaskFromValue(layer, false));
    EXPECT_EQ(value.title, QStringLiteral(u"明度(線画)"));
    EXPECT_EQ(value.viewPos, (sPos{1, 0}));
    EXPECT_EQ(row(value, 0), (Bytes{255, 0, 0}));
    ASSERT_TRUE(alpha.createMaskFromLayerMask(layer));
    EXPECT_EQ(alpha.title, QStringLiteral(u"マスク(線画)"));
    EXPECT_EQ(row(alpha, 0), (Bytes{255, 128, 0}));

    // Into a layer placed differently: same document positions.
    FakeMaskLayer target;
    target.image = std::make_unique<CBlockVMTC>(4, 2);
    ASSERT_TRUE(target.image->fillImageAll(0x00FFFFFF));
    ASSERT_TRUE(target.image->setAlphaAll(255));
    target.viewPos = {2, 0}; // layer pixel = document + 2
    ASSERT_TRUE(alpha.copyTo(target));
    // Mask pixel 0 lies at document -1, layer pixel 1.
    EXPECT_EQ(target.image->getColor(0, 0) >> 24, 0u);
    EXPECT_EQ(target.image->getColor(1, 0) >> 24, 255u);
    EXPECT_EQ(target.image->getColor(2, 0) >> 24, 128u);
    EXPECT_EQ(target.image->getColor(3, 0) >> 24, 0u);
    EXPECT_TRUE(CMaskData(0).copyTo(target)); // no selection: all alpha 0
    EXPECT_EQ(target.image->getColor(1, 0) >> 24, 0u);
    FakeMaskLayer none;
    EXPECT_FALSE(alpha.createMaskFromValue(none, false));
    EXPECT_EQ(alpha.title, QStringLiteral(u"マスク(線画)"));
}
