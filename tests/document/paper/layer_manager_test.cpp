#include "document/paper/layer_manager.h"

#include "document/paper/layer_blend_table.h"

#include "core/image/canvas.h"
#include "core/tiles/block_image.h"
#include "support/block_memory.h"
#include "support/captured_messages.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using enum TLayerMode;

// A list of layers on an 8 x 8 paper, with the given group levels (bottom first).
class LayerList : public testing::Test
{
  protected:
    LayerList() : list(24) { list.setPaperSize(8, 8); }

    void addLayers(const std::vector<int32_t> &levels)
    {
        for (int32_t lv : levels) {
            const int32_t idx = list.addLayer(8, 8, LM_STD, false, 255, true);
            ASSERT_GE(idx, 0);
            list.getLayer(idx)->setGroupLevel(lv);
        }
    }
    std::vector<int32_t> levels() const
    {
        std::vector<int32_t> v;
        for (int32_t i = 0; i < list.getLayerCount(); ++i)
            v.push_back(list.getLayer(i)->groupLevel);
        return v;
    }
    std::vector<int32_t> ids() const
    {
        std::vector<int32_t> v;
        for (int32_t i = 0; i < list.getLayerCount(); ++i)
            v.push_back(list.getLayer(i)->uniqueID);
        return v;
    }
    void setLinks(const std::vector<int32_t> &links)
    {
        for (size_t i = 0; i < links.size(); ++i)
            list.getLayer(int32_t(i))->linkIndex = links[i];
    }
    std::vector<int32_t> links() const
    {
        std::vector<int32_t> v;
        for (int32_t i = 0; i < list.getLayerCount(); ++i)
            v.push_back(list.getLayer(i)->linkIndex);
        return v;
    }

    CapturedMessages messages;
    CLayerMngr list;
};

TEST_F(LayerList, InsertionRenumbersAndTheFirstLayerBecomesCurrent)
{
    EXPECT_EQ(list.getCurIndex(), -1);
    EXPECT_EQ(list.addLayer(8, 8, LM_MUL, false, 128, false), 0);
    EXPECT_EQ(list.getCurIndex(), 0);
    const CLayerData &ld = *list.getLayer(0);
    EXPECT_EQ(ld.trans, 128);
    EXPECT_FALSE(ld.visible);
    EXPECT_EQ(ld.viewSize, (sSize{8, 8}));
    EXPECT_EQ(ld.mode, LM_MUL);
    EXPECT_EQ(list.insertLayer(0, 8, 8, LM_STD, false, 255, true), 0);
    EXPECT_EQ(list.insertLayer(99, 8, 8, LM_STD, false, 255, true), 2); // appended
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(list.getLayer(i)->index, i);
    EXPECT_EQ(list.getLayer(1)->mode, LM_MUL);
    EXPECT_TRUE(messages.warnings.isEmpty());
}

TEST_F(LayerList, TheLayerLimitIsTheCallersToAsk)
{
    CLayerMngr big(24);
    for (int32_t i = 0; i < CLayerMngr::kLimitNum; ++i)
        ASSERT_GE(big.addLayer(1, 1, LM_STD, false, 255, true), 0);
    EXPECT_FALSE(big.canAddLayer());
    EXPECT_EQ(big.addLayer(1, 1, LM_STD, false, 255, true), CLayerMngr::kLimitNum);
    EXPECT_EQ(big.getLayerCount(), CLayerMngr::kLimitNum + 1);
}

TEST_F(LayerList, ALayerInsertedIntoAClippingGroupJoinsIt)
{
    addLayers({0, 0});
    list.getLayer(1)->underLyrClip = true;
    const int32_t below = list.insertLayer(1, 8, 8, LM_STD, false, 255, true);
    EXPECT_TRUE(list.getLayer(below)->underLyrClip);
    const int32_t top = list.addLayer(8, 8, LM_STD, false, 255, true);
    EXPECT_FALSE(list.getLayer(top)->underLyrClip);
    EXPECT_EQ(list.countClipMember(0), 2);
    EXPECT_EQ(list.countClipMember(top), 0);
    EXPECT_EQ(list.getClipParent(0), 0);
    EXPECT_EQ(list.getClipParent(2), 0);
    EXPECT_EQ(list.getClipParent(top), top);
    EXPECT_TRUE(list.isClippingGroup(2));
    EXPECT_FALSE(list.isClippingGroup(top));
    EXPECT_TRUE(list.isClippingOfUpperLayer(0));
    EXPECT_TRUE(list.releaseClipGroup(2));
    EXPECT_FALSE(list.isUnderLayerClip(1));
    EXPECT_FALSE(list.releaseClipGroup(0));
}

TEST_F(LayerList, CaptionsCountUp)
{
    addLayers({0, 0});
    EXPECT_EQ(list.getNextCaption(), QStringLiteral(u"レイヤ1"));
    ASSERT_TRUE(list.setDefaultCaption(0, 1));
    ASSERT_TRUE(list.setDefaultCaption(1, 1));
    EXPECT_EQ(list.getLayer(0)->title, QStringLiteral(u"レイヤ1"));
    EXPECT_EQ(list.getLayer(1)->title, QStringLiteral(u"レイヤ2"));
    EXPECT_FALSE(list.setDefaultCaption(2, 1));
    EXPECT_EQ(list.getTotalNum(), 2);
    ASSERT_TRUE(list.copyCaption(0, 1));
    EXPECT_EQ(list.getLayer(0)->title, QStringLiteral(u"レイヤ2"));
}

TEST_F(LayerList, IndicesOutsideTheListChangeNothing)
{
    addLayers({0, 1});
    const std::vector<int32_t> before = ids();
    EXPECT_EQ(list.getLayer(-1), nullptr);
    EXPECT_EQ(list.getLayer(2), nullptr);
    EXPECT_FALSE(list.deleteAt(2));
    EXPECT_FALSE(list.deleteAt(-1));
    auto ld = std::make_unique<CLayerData>(0, false);
    EXPECT_EQ(list.replaceLayerData(2, ld), nullptr);
    EXPECT_NE(ld, nullptr); // still the caller's
    EXPECT_EQ(list.popAt(5), nullptr);
    EXPECT_FALSE(list.changeGroupLevel({9, 9, 9}, 1, 2));
    EXPECT_FALSE(list.changeGroupLevel({9}, 0, 2)); // the table is too short
    EXPECT_EQ(list.moveLayer(0, 0), -1);
    EXPECT_EQ(list.moveLayer(1, 4), -1);
    EXPECT_EQ(ids(), before);
    EXPECT_EQ(levels(), (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(list.setCurIndex(7), 0);
}

TEST_F(LayerList, ReplacingAndRemovingHandOwnershipBack)
{
    addLayers({0, 0, 0});
    const std::vector<int32_t> before = ids();
    auto ld = std::make_unique<CLayerData>(0, false);
    const int32_t newId = ld->uniqueID;
    std::unique_ptr<CLayerData> old = list.replaceLayerData(1, ld);
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->uniqueID, before[1]);
    EXPECT_EQ(list.getLayer(1)->uniqueID, newId);
    EXPECT_EQ(list.getLayer(1)->index, 1);
    list.setCurIndex(2);
    std::unique_ptr<CLayerData> removed = list.removeAt(2);
    ASSERT_NE(removed, nullptr);
    EXPECT_EQ(list.getCurIndex(), 1);
    EXPECT_EQ(list.findLayer(before[2]), -1);
    EXPECT_EQ(list.findLayer(before[0]), 0);
    EXPECT_EQ(list.index2id(0), before[0]);
    EXPECT_EQ(list.index2id(9), -1);
    EXPECT_EQ(list.moveLayer(9, 0), 1); // clamped to the top
    EXPECT_EQ(list.getLayer(1)->uniqueID, before[0]);
    EXPECT_EQ(list.deleteAll(), 2);
    EXPECT_EQ(list.getCurIndex(), -1);
}

TEST_F(LayerList, SwappingWithAnotherListAndCopying)
{
    addLayers({0, 0});
    CLayerMngr other(4);
    other.setPaperSize(8, 8);
    ASSERT_GE(other.addLayer(8, 8, LM_SCR, false, 255, true), 0);
    const int32_t mine = list.index2id(1), theirs = other.index2id(0);
    ASSERT_TRUE(list.swapLayer(1, other, 0, true));
    EXPECT_EQ(list.index2id(1), theirs);
    EXPECT_EQ(list.getLayer(1)->index, 1);
    EXPECT_EQ(other.index2id(0), mine);
    EXPECT_EQ(other.getLayer(0)->index, 0);
    EXPECT_FALSE(list.swapLayer(2, other, 0, true));

    list.getLayer(0)->imageTC->setPixel(1, 1, 0xFF405060);
    list.getLayer(0)->title = QStringLiteral("src");
    ASSERT_TRUE(list.copyLayer(1, 0));
    EXPECT_EQ(list.getLayer(1)->imageTC->getColor(1, 1), 0xFF405060u);
    EXPECT_EQ(list.getLayer(1)->title, QStringLiteral("src"));
    EXPECT_EQ(list.index2id(1), theirs); // the identity stays
    EXPECT_FALSE(list.copyLayer(1, 5));
}

TEST_F(LayerList, VisibilityBackupAndSwitches)
{
    addLayers({0, 0, 0});
    list.getLayer(1)->visible = false;
    std::vector<uint8_t> bk;
    ASSERT_TRUE(list.makeVisBackup(bk));
    EXPECT_EQ(bk, (std::vector<uint8_t>{1, 0, 1}));
    EXPECT_EQ(list.getVisibleCount(), 2);
    ASSERT_TRUE(list.visOnly(1));
    EXPECT_EQ(list.getFirstVisIndex(), 1);
    EXPECT_EQ(list.changeVis(2, 5, true), 1);
    EXPECT_EQ(list.changeVis(3, 1, true), 0);
    ASSERT_TRUE(list.visFlip());
    EXPECT_EQ(list.getFirstVisIndex(), 0);
    ASSERT_TRUE(list.visAll(false));
    EXPECT_EQ(list.getFirstVisIndex(), -1);
    CLayerMngr empty(4);
    EXPECT_FALSE(empty.makeVisBackup(bk));
    EXPECT_FALSE(empty.visAll(true));
}

TEST_F(LayerList, GroupsInAndOut)
{
    addLayers({0, 0, 1, 0});
    // Layer 1 heads layer 2.
    EXPECT_EQ(list.countGroupMember(1, true), 1);
    EXPECT_EQ(list.countGroupMember(0, false), 0);
    EXPECT_TRUE(list.canGroupIn(1, true));
    EXPECT_FALSE(list.canGroupIn(0, true));
    EXPECT_TRUE(list.canGroupIn(3, true));  // the layer below is deeper
    EXPECT_FALSE(list.canGroupIn(2, true)); // the layer below is shallower
    ASSERT_TRUE(list.doGroup(1, true, true));
    EXPECT_EQ(levels(), (std::vector<int32_t>{0, 1, 2, 0}));
    EXPECT_FALSE(list.canGroupOut(0, true));
    EXPECT_FALSE(list.canGroupOut(3, true));
    ASSERT_TRUE(list.doGroup(2, false, true));
    EXPECT_EQ(levels(), (std::vector<int32_t>{0, 1, 1, 0}));
    EXPECT_EQ(list.getMaxGroupLevel(), 1);
    EXPECT_EQ(list.modifyGroup(2, 9, 3, true), 2);
    EXPECT_EQ(levels(), (std::vector<int32_t>{0, 1, 4, 3}));
}

TEST_F(LayerList, GroupParentsAndTheirVisibility)
{
    addLayers({0, 1, 2, 3, 2, 0});
    int32_t lvlmax = -1;
    EXPECT_EQ(list.findGroupParent(4, &lvlmax, true), 1);
    EXPECT_EQ(lvlmax, 3);
    EXPECT_EQ(list.findGroupParent(3, &lvlmax, false), 2);
    EXPECT_EQ(lvlmax, 3);
    EXPECT_EQ(list.findGroupParent(5, nullptr, false), -1);
    EXPECT_EQ(list.findGroupParent(0, nullptr, false), -1);

    EXPECT_TRUE(list.isTopParentVis(3, true));
    EXPECT_FALSE(list.isTopParentVis(0, true));
    EXPECT_FALSE(list.isTopParentVis(5, true)); // no head
    list.getLayer(1)->visible = false;
    EXPECT_FALSE(list.isTopParentVis(3, true));
    EXPECT_EQ(list.findGroupVisibleParent(3, true), 2);
    list.getLayer(2)->visible = false;
    EXPECT_EQ(list.findGroupVisibleParent(3, true), 0);
}

TEST_F(LayerList, AGroupArrayBuiltForOtherLayersCountsAsNotBuilt)
{
    addLayers({0, 1});
    EXPECT_EQ(list.countGroupMember(0, false), -1); // never built
    ASSERT_TRUE(list.initGroupAry(true));
    EXPECT_EQ(list.countGroupMember(0, false), 1);
    list.addLayer(8, 8, LM_STD, false, 255, true);
    // The array has two entries for three layers: reading it for layer 2 would pass its end.
    EXPECT_EQ(list.countGroupMember(2, false), -1);
    EXPECT_EQ(list.findGroupParent(2, nullptr, false), -1);
    EXPECT_FALSE(list.canMoveLayers(0, 2, 1, false));
    EXPECT_EQ(list.countGroupMember(2, true), 0);
}

TEST_F(LayerList, CanMoveLayersChecksTheWholeGroup)
{
    addLayers({0, 0, 1, 1, 0});
    EXPECT_TRUE(list.canMoveLayers(0, 1, 3, true));
    EXPECT_TRUE(list.canMoveLayers(5, 1, 3, true));
    EXPECT_FALSE(list.canMoveLayers(0, 1, 2, true)); // not the whole group
    EXPECT_FALSE(list.canMoveLayers(2, 1, 3, true)); // into itself
    EXPECT_FALSE(list.canMoveLayers(4, 1, 3, true)); // right above itself: no move
    EXPECT_FALSE(list.canMoveLayers(6, 1, 3, true));
    EXPECT_FALSE(list.canMoveLayers(0, 5, 1, true));
    EXPECT_TRUE(list.canBindBelow(2));
    EXPECT_FALSE(list.canBindBelow(1)); // has members
    EXPECT_FALSE(list.canBindBelow(0));
    list.getLayer(3)->setGroupLevel(3);
    EXPECT_FALSE(list.canBindBelow(3)); // two levels deeper than the layer below
}

TEST_F(LayerList, MovingAGroupAboveAHeadPutsItInside)
{
    // H1 (with one member), X, H2 with two members.
    addLayers({0, 1, 0, 0, 1, 1});
    const std::vector<int32_t> before = ids();
    EXPECT_EQ(list.moveLayers(1, 3, 3), 1);
    EXPECT_EQ(ids(), (std::vector<int32_t>{before[0], before[3], before[4], before[5], before[1],
                                           before[2]}));
    EXPECT_EQ(levels(), (std::vector<int32_t>{0, 1, 2, 2, 1, 0}));
    for (int32_t i = 0; i < 6; ++i)
        EXPECT_EQ(list.getLayer(i)->index, i);

    // And back up to the top, out of every group.
    EXPECT_EQ(list.moveLayers(6, 1, 3), 3);
    EXPECT_EQ(ids(), (std::vector<int32_t>{before[0], before[1], before[2], before[3], before[4],
                                           before[5]}));
    EXPECT_EQ(levels(), (std::vector<int32_t>{0, 1, 0, 0, 1, 1}));
    EXPECT_EQ(list.moveLayers(2, 3, 2), -1); // not the whole group
}

TEST_F(LayerList, LinkingTakesTheSmallestFreeNumber)
{
    addLayers({0, 0, 0, 0, 0});
    setLinks({1, 0, 3, 0, 0});
    ASSERT_TRUE(list.linkLayer(1, 3));
    EXPECT_EQ(links(), (std::vector<int32_t>{1, 2, 3, 2, 0}));
    ASSERT_TRUE(list.linkLayer(3, 4)); // 3 already shares 2
    EXPECT_EQ(links(), (std::vector<int32_t>{1, 2, 3, 2, 2}));
    EXPECT_EQ(list.countLinkLayers(1), 2);
    EXPECT_TRUE(list.isLinked(1, 4));
    EXPECT_FALSE(list.isLinked(1, 1));
    EXPECT_FALSE(list.isLinked(0, 2));
    EXPECT_FALSE(list.isLinked(0)); // alone with its number
    EXPECT_FALSE(list.linkLayer(1, 9));
}

TEST_F(LayerList, UnlinkingClearsAPartnerLeftAlone)
{
    addLayers({0, 0, 0, 0, 0});
    setLinks({4, 4, 0, 7, 7});
    setLinks({4, 4, 7, 7, 7});
    ASSERT_TRUE(list.unlinkLayer(0, 1));
    EXPECT_EQ(links(), (std::vector<int32_t>{0, 0, 7, 7, 7}));
    ASSERT_TRUE(list.unlinkLayer(2, 3));
    EXPECT_EQ(links(), (std::vector<int32_t>{0, 0, 7, 0, 7}));
    EXPECT_FALSE(list.unlinkLayer(0, 1));
}

TEST_F(LayerList, LinkBackupsRecordTheNumbersAboutToChange)
{
    addLayers({0, 0, 0, 0, 0});
    // Secondary 3 leaves a group of two (with 4); primary 1 is not linked yet.
    setLinks({0, 0, 0, 5, 5});
    std::vector<uint8_t> bk;
    int32_t n = 0;
    ASSERT_TRUE(list.makeLinkBackup(1, 3, bk, n));
    EXPECT_EQ(n, 3);
    EXPECT_EQ(bk, (std::vector<uint8_t>{3, 0, 5, 0, 4, 0, 5, 0, 1, 0, 0, 0}));
    // Primary already linked, secondary alone: one pair.
    setLinks({2, 2, 0, 0, 0});
    ASSERT_TRUE(list.makeLinkBackup(0, 3, bk, n));
    EXPECT_EQ(n, 1);
    EXPECT_EQ(bk, (std::vector<uint8_t>{3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // Unlinking the only partner records both.
    ASSERT_TRUE(list.makeUnlinkBackup(0, 1, bk, n));
    EXPECT_EQ(n, 2);
    EXPECT_EQ(bk, (std::vector<uint8_t>{1, 0, 2, 0, 0, 0, 2, 0}));
    EXPECT_FALSE(list.makeLinkBackup(0, 7, bk, n));
    EXPECT_FALSE(list.makeUnlinkBackup(-1, 0, bk, n));
}

TEST_F(LayerList, BindClipGroupClipsTheVisibleMembersOntoACopyOfTheBase)
{
    addLayers({0, 0, 0, 0});
    CLayerData &base = *list.getLayer(0);
    base.imageTC->setPixel(0, 0, 0xFF000000);
    base.imageTC->setPixel(1, 0, 0x80000000);
    for (int32_t i = 1; i <= 3; ++i)
        list.getLayer(i)->underLyrClip = true;
    // Member 1 covers everything in blue, shifted: its pixel x + 1 lies at paper x.
    CLayerData &m1 = *list.getLayer(1);
    m1.imageTC->PixelFill(0xFF0000FF);
    m1.imageTC->setPixel(1, 0, 0xFF00FF00);
    m1.viewPos = {1, 0};
    // Member 2 is hidden; member 3 adds red at half opacity on paper pixel 1.
    list.getLayer(2)->visible = false;
    list.getLayer(2)->imageTC->PixelFill(0xFFFFFFFF);
    CLayerData &m3 = *list.getLayer(3);
    m3.imageTC->setPixel(1, 0, 0xFFFF0000);
    m3.trans = 128;

    const std::vector<int32_t> before = ids();
    std::unique_ptr<CLayerData> bound = list.bindClipGroup(2);
    ASSERT_NE(bound, nullptr);
    EXPECT_EQ(ids(), before); // the list is untouched
    EXPECT_EQ(bound->imageTC->getColor(0, 0), 0xFF00FF00u);
    sBGRA expected{.all = 0x800000FF};
    pixelPutSrcAlpha(&expected, 0xFFFF0000, 128);
    EXPECT_EQ(bound->imageTC->getColor(1, 0), expected.all);
    EXPECT_EQ(bound->imageTC->getColor(2, 0), 0x00FFFFFFu); // no alpha in the base
    EXPECT_EQ(base.imageTC->getColor(0, 0), 0xFF000000u);
}

TEST_F(LayerList, BindLayerMergesIntoTheUnionOfBothRectangles)
{
    addLayers({0, 0});
    CLayerData &dst = *list.getLayer(0);
    CLayerData &src = *list.getLayer(1);
    dst.title = QStringLiteral("下");
    dst.trans = 200;
    dst.mode = LM_MUL;
    dst.visible = false;
    dst.linkIndex = 3;
    dst.imageTC->setPixel(0, 0, 0xFF102030);
    src.viewPos = {-4, 2}; // the source's paper rectangle is (4, -2) - (12, 6)
    src.imageTC->setPixel(0, 2, 0xFF808080);
    const int32_t dstId = dst.uniqueID;

    std::unique_ptr<CLayerData> old;
    ASSERT_TRUE(list.bindLayer(0, 1, 0, true, &old));
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->uniqueID, dstId);
    const CLayerData &nl = *list.getLayer(0);
    EXPECT_EQ(nl.imageTC->FPSZ(), (sSize{12, 10}));
    EXPECT_EQ(nl.viewPos, (sPos{0, 2}));
    EXPECT_EQ(nl.uniqueID, dstId);
    EXPECT_EQ(nl.index, 0);
    EXPECT_EQ(nl.title, QStringLiteral("下"));
    EXPECT_EQ(nl.trans, 255); // the merge applied it
    EXPECT_EQ(nl.mode, LM_MUL);
    EXPECT_TRUE(nl.visible); // without 0x20000 only title and opacity are taken
    EXPECT_EQ(nl.linkIndex, 0);
    // Only the source's area is merged: the rest of dst keeps its pixels.
    EXPECT_EQ(nl.imageTC->getColor(0, 2), 0xFF102030u);
    sBGRA s{.all = 0x00FFFFFF};
    s.A = uint8_t(mul255(0, 200));
    pixelMergeStd(&s, 0xFF808080, 255);
    EXPECT_EQ(nl.imageTC->getColor(4, 2), s.all); // src pixel (0, 2) is paper (4, 0)
    EXPECT_EQ(list.getLayerCount(), 2);           // src is the caller's to remove
}

TEST_F(LayerList, BindLayerWithAllAttributesAndAGroupMember)
{
    addLayers({0, 1});
    CLayerData &dst = *list.getLayer(0);
    CLayerData &src = *list.getLayer(1);
    dst.trans = 128;
    dst.visible = false;
    dst.linkIndex = 3;
    src.trans = 200;
    src.imageTC->setPixel(0, 0, 0xFF0000FF);
    ASSERT_TRUE(list.bindLayer(0, 1, 0x20001, false));
    const CLayerData &nl = *list.getLayer(0);
    EXPECT_FALSE(nl.visible);
    EXPECT_EQ(nl.linkIndex, 3);
    EXPECT_EQ(src.trans, 200); // restored after the merge
    // The member is seen through its head's opacity: 200 * 128 / 255.
    sTCMixParam mix;
    ASSERT_TRUE(makeLayerMixParam(LM_STD, LM_STD, false, mix));
    sBGRA d{.all = 0x00FFFFFF};
    mixPixelEx(&d, 0xFF0000FF, mul255(200, 128), mix);
    EXPECT_EQ(nl.imageTC->getColor(0, 0), d.all);
}

TEST_F(LayerList, BindLayerFailuresLeaveEverythingAsItWas)
{
    addLayers({0, 0});
    const CLayerData *dst = list.getLayer(0);
    list.getLayer(1)->imageTC->setPixel(0, 0, 0xFF0000FF);
    EXPECT_FALSE(list.bindLayer(0, 1, 4, false));
    EXPECT_FALSE(list.bindLayer(0, 1, 0x20007, false));
    EXPECT_FALSE(list.bindLayer(0, 0, 0, false));
    EXPECT_EQ(list.getLayer(0), dst);
    EXPECT_TRUE(messages.warnings.isEmpty());
    {
        // The copy can be made (its blocks are uniform) but the merge cannot commit a block.
        ScopedBlockMemoryLimit oom(0);
        EXPECT_FALSE(list.bindLayer(0, 1, 0, false));
    }
    EXPECT_FALSE(messages.warnings.contains(
        QStringLiteral(u"レイヤのサイズ変更失敗により、レイヤ結合ができませんでした！")));
    EXPECT_EQ(list.getLayer(0), dst);
    EXPECT_EQ(dst->imageTC->getColor(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(list.getLayer(1)->imageTC->getColor(0, 0), 0xFF0000FFu);
    EXPECT_EQ(list.getLayerCount(), 2);
}

TEST_F(LayerList, EveryWarningReachesTheWarningBox)
{
    addLayers({0, 0});
    EXPECT_EQ(list.insertLayer(-1, 8, 8, LM_STD, false, 255, true), -1);
    auto ld = std::make_unique<CLayerData>(0, false);
    EXPECT_EQ(list.insertLayer(-2, ld), -1);
    EXPECT_NE(ld, nullptr);
    EXPECT_EQ(list.insertLayer(0, 0, 8, LM_STD, false, 255, true), -1);
    list.getLayer(0)->imageTC->setPixel(0, 0, 0xFF000000);
    {
        // The copy of the base cannot commit its block.
        ScopedBlockMemoryLimit oom(0);
        EXPECT_EQ(list.bindClipGroup(0), nullptr);
    }
    // A union too large for any image.
    list.getLayer(1)->viewPos = {-2000000000, -2000000000};
    EXPECT_FALSE(list.bindLayer(0, 1, 0, false));
    EXPECT_EQ(list.getLayerCount(), 2);
    const QString blockText = QString::fromUtf16(kBlockCommitFailedMessage);
    messages.warnings.removeAll(blockText);
    EXPECT_EQ(messages.warnings,
              QStringList({QStringLiteral(u"不正なレイヤインデックスです!"),
                           QStringLiteral(u"不正なレイヤインデックスです!"),
                           QStringLiteral(u"レイヤの初期化に失敗しました!"),
                           QStringLiteral(u"レイヤの初期化に失敗しました!"),
                           QStringLiteral(
                               u"レイヤのサイズ変更失敗により、レイヤ結合ができませんでした！")}));
}

} // namespace
