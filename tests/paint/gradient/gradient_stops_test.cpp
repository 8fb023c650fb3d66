#include "paint/gradient/gradient_stops.h"

#include "paint/gradient_test_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const sRGBA kBlack = rgbaOf(0, 0, 0, kCrsKindOwn);
const sRGBA kWhite = rgbaOf(255, 255, 255, kCrsKindOwn);
const sRGBA kRed = rgbaOf(255, 0, 0, kCrsKindOwn);
const sRGBA kGreen = rgbaOf(0, 255, 0, kCrsKindOwn);
const sRGBA kBlue = rgbaOf(0, 0, 255, kCrsKindOwn);

// Black, red and white at 0, 1/4 and 1.
CColorSlotGroup blackRedWhite()
{
    return groupOf({{kBlack, 0x4000}, {kRed, 0xC000}, {kWhite, 0}});
}

struct ColourCase
{
    int32_t n;
    int r, g, b, a;
};

} // namespace

TEST(GradientStops, LayoutGivesEachStopItsPositionAndSegment)
{
    CColorSlotGroup g = groupOf({{kBlack, 1}, {kRed, 3}, {kWhite, 99}});
    ASSERT_TRUE(g.isPacked());
    EXPECT_EQ(g.enbNum, 3);
    EXPECT_EQ(g.widthSum, 4) << "the last stop's width is not part of the sum";
    EXPECT_EQ(g.getLeft(0), 0);
    EXPECT_EQ(g.getLeft(1), 0x4000);
    EXPECT_EQ(g.getLeft(2), 0x10000);
    EXPECT_EQ(g.getSlot(0)->rate, 0x4000);
    EXPECT_EQ(g.getSlot(1)->rate, 0xC000);
    EXPECT_EQ(g.getSlot(2)->rate, 0);
}

TEST(GradientStops, OneStopCoversEverythingAndZeroWidthsDoNotLayOut)
{
    CColorSlotGroup one(4);
    one.setColor(0, kRed, 0, 255);
    EXPECT_TRUE(one.refresh());
    EXPECT_EQ(one.enbNum, 1);
    EXPECT_EQ(one.widthSum, 0x10000);
    EXPECT_EQ(one.getSlot(0)->rate, 0x10000);
    EXPECT_TRUE(sameColour(one.getColor(0x8000), rgbaOf(255, 0, 0, 255)));

    CColorSlotGroup flat = groupOf({{kBlack, 0}, {kWhite, 0}});
    EXPECT_FALSE(flat.refresh());
    EXPECT_EQ(flat.widthSum, 0);
    EXPECT_FALSE(flat.isPacked()) << "neither the evaluator nor the writer may take it";
    EXPECT_EQ(flat.makePacked(), nullptr);

    // A positive total of widths that runs backwards on the way has no layout either.
    CColorSlotGroup backwards = groupOf({{kBlack, 0x7FFF0000}, {kRed, -0x7FFE0000}, {kWhite, 0}});
    EXPECT_FALSE(backwards.refresh());
    EXPECT_FALSE(backwards.isPacked());
}

TEST(GradientStops, ColourBlendsEachByteWithFloorInSixteenSixteen)
{
    // Black opaque to white transparent: the opacity falls as the colour rises, so the floor of
    // a negative step shows (255 + floor(-0.004) = 254, where truncation would keep 255).
    const CColorSlotGroup g = groupOf({{kBlack, 0x10000, 255}, {kWhite, 0x10000, 0}});
    const ColourCase cases[] = {
        {-5, 0, 0, 0, 255},           {0, 0, 0, 0, 255},          {1, 0, 0, 0, 254},
        {0x8000, 127, 127, 127, 127}, {0xFFFF, 254, 254, 254, 0}, {0x10000, 255, 255, 255, 0},
        {0x30000, 255, 255, 255, 0},
    };
    for (const ColourCase &c : cases) {
        SCOPED_TRACE(c.n);
        const sRGBA got = g.getColor(c.n);
        EXPECT_EQ(got.R, c.r);
        EXPECT_EQ(got.G, c.g);
        EXPECT_EQ(got.B, c.b);
        EXPECT_EQ(got.A, c.a);
    }
}

TEST(GradientStops, ZeroWidthStopsGiveSolidBandsWithHardEdges)
{
    const CColorSlotGroup g = groupOf(
        {{kBlue, 21845}, {kBlue, 0}, {kGreen, 21845}, {kGreen, 0}, {kRed, 21846}, {kRed, 12345}});
    ASSERT_TRUE(g.isPacked());
    const struct
    {
        int32_t n;
        sRGBA want;
    } cases[] = {
        {1, kBlue}, {21845, kBlue}, {21846, kGreen}, {43690, kGreen}, {43691, kRed}, {0xFFFF, kRed},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.n);
        sRGBA want = c.want;
        want.A = 255;
        EXPECT_TRUE(sameColour(g.getColor(c.n), want));
    }
}

TEST(GradientStops, SetColorsReplacesOnlyForegroundAndBackgroundStops)
{
    CColorSlotGroup g = groupOf({{rgbaOf(1, 2, 3, kCrsKindForeground), 0x8000},
                                 {rgbaOf(4, 5, 6, kCrsKindBackground), 0x8000},
                                 {rgbaOf(9, 9, 9, kCrsKindOwn), 0}});
    ASSERT_TRUE(g.setColors(rgbaOf(10, 20, 30, 77), rgbaOf(40, 50, 60, 88)));
    EXPECT_EQ(g.getSlot(0)->col.all, rgbaOf(10, 20, 30, kCrsKindForeground).all);
    EXPECT_EQ(g.getSlot(1)->col.all, rgbaOf(40, 50, 60, kCrsKindBackground).all);
    EXPECT_EQ(g.getSlot(2)->col.all, rgbaOf(9, 9, 9, kCrsKindOwn).all);

    CColorSlotGroup single(4);
    single.setColor(0, rgbaOf(1, 1, 1, 0), 1, 255);
    EXPECT_FALSE(single.setColors(kRed, kBlue));
}

TEST(GradientStops, EveryStopReachesTheFilesWithDefinedBytes)
{
    CColorSlotGroup g(4);
    ASSERT_TRUE(g.setColor(3, kRed, 7, 200));
    const uint8_t *bytes = nullptr;
    int32_t n = 0;
    ASSERT_TRUE(g.getSlotImage(bytes, n));
    ASSERT_EQ(n, 4 * 24);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const uint8_t *s = bytes + 24 * i;
        int32_t id;
        std::memcpy(&id, s + 4, 4);
        EXPECT_EQ(s[2], 1) << "union";
        EXPECT_EQ(id, i);
    }
    EXPECT_EQ(bytes[3 * 24 + 3], 200);
    EXPECT_EQ(bytes[2 * 24 + 3], 255) << "an empty slot is opaque";
    EXPECT_EQ(bytes[2 * 24 + 11], kCrsKindOwn);
}

TEST(GradientStops, CapacityEndsAt2729Slots)
{
    CColorSlotGroup g(16);
    const sCRSlot s = emptyCrSlot(0);
    EXPECT_FALSE(g.setColor(-1, s));
    EXPECT_TRUE(g.setColor(2728, s));
    EXPECT_EQ(g.capacity(), 2729);
    EXPECT_FALSE(g.setColor(2729, s));
    EXPECT_EQ(g.slotMaxIdx, 2728);

    CColorSlotGroup full = groupOf({{kBlack, 1}, {kWhite, 1}});
    for (int32_t i = 2; i < kCrsMaxSlots; ++i) {
        full.setColor(i, kWhite, 1, 255);
    }
    full.refresh();
    EXPECT_FALSE(full.InsertSlot(1, 5, kRed, false));
    EXPECT_EQ(full.slotMaxIdx, kCrsMaxSlots - 1);
}

TEST(GradientStops, InsertThenDeleteRestoresTheGroupAndEndsAreRefused)
{
    const CColorSlotGroup original = blackToWhite();
    CColorSlotGroup g = original;
    EXPECT_FALSE(g.InsertSlot(-1, 0x4000, kRed, false));
    EXPECT_FALSE(g.InsertSlot(2, 0x4000, kRed, false));

    ASSERT_TRUE(g.InsertSlot(1, 0x4000, kRed, false));
    EXPECT_TRUE(g.isPacked());
    EXPECT_EQ(g.slotMaxIdx, 2);
    EXPECT_EQ(g.getLeft(1), 0x4000);
    EXPECT_TRUE(sameColour(g.getColor(0x4000), rgbaOf(255, 0, 0, 255)));
    EXPECT_TRUE(sameColour(g.getColor(0x2000), rgbaOf(127, 0, 0, 255)));

    EXPECT_FALSE(g.DeleteSlot(0));
    EXPECT_FALSE(g.DeleteSlot(2));
    ASSERT_TRUE(g.DeleteSlot(1));
    EXPECT_EQ(g.slotMaxIdx, 1);
    EXPECT_TRUE(g.isPacked());
    EXPECT_TRUE(g.compare(original));
}

TEST(GradientStops, MovingAStopMovesBothSegmentsAroundIt)
{
    CColorSlotGroup g = blackRedWhite();
    ASSERT_TRUE(g.changeLeft(1, 0x8000));
    EXPECT_EQ(g.getLeft(1), 0x8000);
    // The widths keep their sum, yet the segments must follow the stop.
    EXPECT_TRUE(sameColour(g.getColor(0x8000), rgbaOf(255, 0, 0, 255)));
    EXPECT_TRUE(sameColour(g.getColor(0x4000), rgbaOf(127, 0, 0, 255)));

    ASSERT_TRUE(g.changeLeft(1, 0x20000));
    EXPECT_EQ(g.getLeft(1), 0x10000) << "a stop stays between its neighbours";
    EXPECT_FALSE(g.changeLeft(0, 0x100)) << "the first stop has no stop before it";
}

TEST(GradientStops, EditingWidthsOfAnotherUnitKeepsTheProportions)
{
    // Widths 1, 1, 1: each segment a third. Deleting the second stop gives its third to the
    // first segment, which then spans two thirds.
    CColorSlotGroup g = groupOf({{kBlack, 1}, {kRed, 1}, {kGreen, 1}, {kWhite, 1}});
    ASSERT_TRUE(g.DeleteSlot(1));
    EXPECT_NEAR(g.getLeft(1), 2 * 65536 / 3, 1);
    EXPECT_TRUE(sameColour(g.getColor(g.getLeft(1)), rgbaOf(0, 255, 0, 255)));
}

TEST(GradientStops, PositionLookups)
{
    const CColorSlotGroup g = blackRedWhite(); // stops at 0, 0x4000, 0x10000
    const struct
    {
        int32_t fx, prev, next, near;
    } cases[] = {
        {0, 0, 0, 0},      {0x1FFF, 0, 1, 0}, {0x2000, 0, 1, 1},  {0x4000, 0, 1, 1},
        {0x4001, 1, 2, 1}, {0xA000, 1, 2, 2}, {0x10001, 0, 2, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fx);
        EXPECT_EQ(g.getPrevIdx_Pos(c.fx), c.prev);
        EXPECT_EQ(g.getNextIdx_Pos(c.fx), c.next);
        EXPECT_EQ(g.getNearIdx_Pos(c.fx), c.near);
    }
    int32_t from = 0, to = 0;
    EXPECT_TRUE(g.getIdxRange(0x1000, 0x10000, from, to));
    EXPECT_EQ(from, 1);
    EXPECT_EQ(to, 2);
    EXPECT_FALSE(g.getIdxRange(0x5000, 0x6000, from, to));
    EXPECT_EQ(from, -1);
    EXPECT_EQ(to, -1);
    EXPECT_EQ(g.findNext(2), -1);
    EXPECT_EQ(g.findPrev(0), -1);
    EXPECT_EQ(g.findNext(7), -1);
}

TEST(GradientStops, PackingCopyingAndComparing)
{
    CColorSlotGroup holes(4);
    holes.setName("holes");
    holes.setColor(0, kBlack, 0x10000, 255);
    sCRSlot disabled = emptyCrSlot(1);
    disabled.used = 1;
    holes.setColor(1, disabled);
    holes.setColor(2, kWhite, 0x10000, 255);
    ASSERT_TRUE(holes.refresh());
    EXPECT_TRUE(holes.isRefreshed());
    EXPECT_FALSE(holes.isPacked());

    CColorSlotGroup dst = groupOf({{kRed, 1}, {kGreen, 1}, {kBlue, 1}});
    EXPECT_FALSE(holes.CopyAll(dst)) << "only packed groups are copied";

    const auto packed = holes.makePacked();
    ASSERT_NE(packed, nullptr);
    EXPECT_TRUE(packed->isPacked());
    EXPECT_EQ(packed->slotMaxIdx, 1);
    EXPECT_EQ(packed->name, "holes");
    EXPECT_FALSE(packed->compare(holes));

    ASSERT_TRUE(packed->CopyAll(dst));
    EXPECT_EQ(dst.slotMaxIdx, 1);
    EXPECT_EQ(dst.name, "holes");
    EXPECT_TRUE(dst.compare(*packed));
}

TEST(GradientStops, GradientObjects)
{
    CGradObj two(kBlack, rgbaOf(255, 255, 255, kCrsKindBackground), "pair");
    EXPECT_TRUE(two.crsg->isPacked());
    EXPECT_EQ(two.crsg->name, "pair");
    EXPECT_EQ(two.crsg->getSlot(1)->col.A, kCrsKindBackground);
    EXPECT_EQ(two.crsg->getSlot(0)->width, 0x10000);

    CGradObj copy(two);
    EXPECT_GT(copy.Fid, two.Fid) << "a copy is a new gradient";
    EXPECT_TRUE(copy.crsg->compare(*two.crsg));

    const int32_t old = copy.Fid;
    EXPECT_EQ(copy.setNewID(), old);
    EXPECT_EQ(copy.Fid, old + 1);

    SGradAttr a;
    a.gradRepCnt = 0;
    copy.copyGradAttr(a);
    EXPECT_EQ(copy.attr.gradRepCnt, 1);
    EXPECT_FALSE(copy.switchEnbGradAttr(true));
    EXPECT_TRUE(copy.attr.enbAttr);
    copy.setDefaultName(3);
    EXPECT_EQ(copy.crsg->name, "untitled3");
}
