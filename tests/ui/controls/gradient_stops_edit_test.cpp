#include "ui/controls/gradient_stops_edit.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TColorPickerValue rgb(float r, float g, float b)
{
    TColorPickerValue v{};
    v.rgb = {r, g, b};
    return v;
}

float pos(const TGradientStops &s, int i)
{
    return s.GetStop(i)->FPosition;
}

// Stops at 0, 0.25, 0.5 + 0.5 (joined), 0.75, 1.
struct PairFixture
{
    TGradientStops s;
    int notified = 0, quiet = 0;
    PairFixture()
    {
        s.OnChanged = [this](bool notify) { ++(notify ? notified : quiet); };
        s.AddStop(false, 0.25f);
        s.AddStop(false, 0.5f);
        s.AddStop(false, 0.6f);
        s.AddStop(false, 0.75f);
        s.UnionLeft(3); // 0.6 joins 0.5
        notified = quiet = 0;
    }
};

} // namespace

TEST(ControlsGradientStops, NewEditor)
{
    TGradientStops s;
    EXPECT_EQ(s.Count(), 2);
    EXPECT_EQ(s.SelectIndex(), 0);
    EXPECT_TRUE(s.CanSplit(0, 1));
    EXPECT_FALSE(s.CanSplit(1, 1)); // the last stop has no next
    EXPECT_FLOAT_EQ(s.GetStop(0)->FColor.rgb.r, 0);
    EXPECT_FLOAT_EQ(s.GetStop(1)->FColor.rgb.r, 1);
    EXPECT_FALSE(s.CanMove(0));
    EXPECT_FALSE(s.SetPosition(0.5f, 0));
    EXPECT_FALSE(s.SetPosition(0.5f, 1));
    EXPECT_FLOAT_EQ(pos(s, 1), 1);
    EXPECT_FALSE(s.DeleteStop(0));
    EXPECT_FALSE(s.DeleteStop(1));
    EXPECT_EQ(s.Count(), 2);
}

TEST(ControlsGradientStops, AddStopInterpolatesAndIgnoresCapacity)
{
    TGradientStops s;
    s.setCapacity(2);
    EXPECT_EQ(s.AddStop(true, 0.25f), 1);
    EXPECT_EQ(s.Count(), 3);
    EXPECT_EQ(s.SelectIndex(), 1);
    EXPECT_FLOAT_EQ(s.GetStop(1)->FColor.rgb.g, 0.25f);
    EXPECT_EQ(s.GetStop(1)->FType, gepCustom);
    EXPECT_EQ(s.AddStop(false, 1.5f), -1);
    EXPECT_EQ(s.AddStop(false, -0.1f), -1);
    EXPECT_FALSE(s.CanSplit(0, 1)); // only Split honours Capacity
    // Two foreground stops give a foreground stop; equal positions give the middle.
    s.SetType(gepForeground, 0);
    s.SetType(gepForeground, 1);
    s.SetPosition(0, 1);
    EXPECT_FLOAT_EQ(pos(s, 1), 0);
    const int i = s.AddStop(false, 0);
    EXPECT_EQ(i, 1);
    EXPECT_EQ(s.GetStop(1)->FType, gepForeground);
}

TEST(ControlsGradientStops, MovingStopsAtNeighboursAndPairsMoveTogether)
{
    PairFixture f;
    TGradientStops &s = f.s;
    ASSERT_EQ(s.Count(), 6);
    EXPECT_EQ(s.GetUnion(2), geuRight);
    EXPECT_EQ(s.GetUnion(3), geuLeft);
    EXPECT_FLOAT_EQ(pos(s, 3), 0.5f);
    s.SetPosition(0.1f, 1);
    EXPECT_FLOAT_EQ(pos(s, 1), 0.1f);
    s.SetPosition(0.9f, 1); // stops at the pair
    EXPECT_FLOAT_EQ(pos(s, 1), 0.5f);
    s.SetPosition(0.25f, 1);
    s.SetPosition(0.6f, 3); // the pair moves as one
    EXPECT_FLOAT_EQ(pos(s, 2), 0.6f);
    EXPECT_FLOAT_EQ(pos(s, 3), 0.6f);
    s.SetPosition(0.9f, 2);
    EXPECT_FLOAT_EQ(pos(s, 2), 0.75f);
    EXPECT_FLOAT_EQ(pos(s, 3), 0.75f);
    s.SetPosition(0.5f, 2);
    float lo = 0, hi = 0;
    ASSERT_TRUE(s.GetRange(lo, hi, 3));
    EXPECT_FLOAT_EQ(lo, 0.25f);
    EXPECT_FLOAT_EQ(hi, 0.75f);
    s.MoveCenter(4);
    EXPECT_FLOAT_EQ(pos(s, 4), 0.75f);
    // Selecting the right stop of a pair selects the left.
    s.setSelectIndex(3);
    EXPECT_EQ(s.SelectIndex(), 2);
    EXPECT_FALSE(s.CanUnionRight(1));
    EXPECT_FALSE(s.CanUnionRight(4)); // its left neighbour is joined
    EXPECT_GT(f.notified, 0);
}

TEST(ControlsGradientStops, DeletingAPairDeletesBoth)
{
    PairFixture f;
    EXPECT_TRUE(f.s.DeleteStop(3));
    EXPECT_EQ(f.s.Count(), 4);
    EXPECT_EQ(f.s.SelectIndex(), 1);
    EXPECT_FLOAT_EQ(pos(f.s, 2), 0.75f);
    EXPECT_TRUE(f.s.DeleteStop(2));
    EXPECT_EQ(f.s.Count(), 3);
}

TEST(ControlsGradientStops, SplitAndColours)
{
    PairFixture f;
    TGradientStops &s = f.s;
    ASSERT_TRUE(s.Split(2, 3)); // from the pair to the stop after it
    EXPECT_EQ(s.Count(), 8);
    EXPECT_NEAR(pos(s, 4), 0.5f + 0.25f / 3, 1e-6);
    EXPECT_NEAR(pos(s, 5), 0.5f + 0.5f / 3, 1e-6);
    EXPECT_FALSE(s.Split(7, 2));
    s.setCapacity(9);
    EXPECT_TRUE(s.CanSplit(0, 1));
    EXPECT_FALSE(s.CanSplit(0, 2));

    s.SetColor(rgb(1, 0, 0), 1);
    s.SetOpaque(0.5f, 1);
    EXPECT_TRUE(s.CopyColor(6, 1));
    EXPECT_FLOAT_EQ(s.GetStop(6)->FColor.rgb.r, 1);
    EXPECT_FLOAT_EQ(s.GetStop(6)->FOpaque, 0.5f);
    EXPECT_TRUE(s.ExchangeColor(0, 1));
    EXPECT_FLOAT_EQ(s.GetStop(0)->FColor.rgb.r, 1);
    EXPECT_FALSE(s.CopyColor(99, 1));
    s.SetType(gepBackground, 1);
    EXPECT_FALSE(s.SetColor(rgb(0, 1, 0), 1)); // only custom stops take a colour
}

TEST(ControlsGradientStops, FlipKeepsPairsAndSelection)
{
    PairFixture f;
    TGradientStops &s = f.s;
    s.SetColor(rgb(0, 0, 1), 1);
    s.setSelectIndex(2);
    ASSERT_TRUE(s.FlipPosition());
    EXPECT_FLOAT_EQ(pos(s, 0), 0);
    EXPECT_FLOAT_EQ(pos(s, 5), 1);
    EXPECT_FLOAT_EQ(pos(s, 1), 0.25f);
    EXPECT_FLOAT_EQ(pos(s, 2), 0.5f);
    EXPECT_FLOAT_EQ(pos(s, 4), 0.75f);
    EXPECT_FLOAT_EQ(s.GetStop(4)->FColor.rgb.b, 1);
    EXPECT_EQ(s.GetUnion(2), geuRight);
    EXPECT_EQ(s.GetUnion(3), geuLeft);
    EXPECT_EQ(s.SelectIndex(), 2);
    EXPECT_FLOAT_EQ(s.GetStop(0)->FColor.rgb.r, 1); // the old last stop
    EXPECT_FALSE(s.GetStop(5)->FUnionRight);
}

TEST(ControlsGradientStops, TwoStopGroup)
{
    TGradientStops s;
    CColorSlotGroup g;
    ASSERT_TRUE(s.GetColorSlotGroup(g));
    ASSERT_NE(g.getSlot(1), nullptr);
    EXPECT_EQ(g.getSlot(0)->width, 65536);
    EXPECT_EQ(g.getSlot(1)->width, -65536);
    EXPECT_EQ(g.getSlot(0)->left, 0);
    EXPECT_EQ(g.getSlot(1)->left, 65536);
    EXPECT_EQ(g.getSlot(0)->rate, 0x10000);
    EXPECT_EQ(g.getSlot(0)->col.A, 255);
    EXPECT_EQ(g.getSlot(1)->col.R, 255);
    EXPECT_EQ(g.getSlot(0)->union_, 1);
}

TEST(ControlsGradientStops, SlotsRoundTripByteForByte)
{
    PairFixture f;
    TGradientStops &s = f.s;
    s.SetType(gepForeground, 1);
    s.SetType(gepBackground, 4);
    s.SetOpaque(0.3f, 4);
    s.SetColor(rgb(0.2f, 0.4f, 0.6f), 2);
    CColorSlotGroup a;
    ASSERT_TRUE(s.GetColorSlotGroup(a));
    EXPECT_EQ(a.getSlot(1)->col.A, 0);
    EXPECT_EQ(a.getSlot(4)->col.A, 1);
    EXPECT_EQ(a.getSlot(2)->union_, 0);
    TGradientStops t;
    t.SetColorSlotGroup(a);
    EXPECT_EQ(t.Count(), 6);
    EXPECT_EQ(t.GetUnion(2), geuRight);
    CColorSlotGroup b;
    ASSERT_TRUE(t.GetColorSlotGroup(b));
    ASSERT_EQ(a.slotMaxIdx, b.slotMaxIdx);
    for (int i = 0; i <= a.slotMaxIdx; ++i)
        EXPECT_EQ(std::memcmp(a.getSlot(i), b.getSlot(i), sizeof(sCRSlot)), 0) << i;
}

TEST(ControlsGradientStops, UnusedOrDisabledSlotsAreSkipped)
{
    CColorSlotGroup g;
    sCRSlot first{}, inner{}, off{}, last{};
    TGradientEditPos(0).GetColorSlot(first, 0, 0.5f);
    TGradientEditPos(0.5f, gepCustom, rgb(1, 0, 0), 1).GetColorSlot(inner, 1, 0.7f);
    TGradientEditPos(0.7f).GetColorSlot(off, 2, 1);
    off.enable = 0;
    TGradientEditPos(1, gepCustom, rgb(0, 0, 1), 1).GetColorSlot(last, 3, 0);
    g.setColor(0, first);
    g.setColor(1, inner);
    g.setColor(2, off);
    g.setColor(3, last);
    g.refresh();
    TGradientStops s;
    s.SetColorSlotGroup(g);
    EXPECT_EQ(s.Count(), 3);
    EXPECT_FLOAT_EQ(s.GetStop(1)->FColor.rgb.r, 1);
    EXPECT_FLOAT_EQ(s.GetStop(2)->FColor.rgb.b, 1);

    // A disabled slot leaves the stop as it was.
    TGradientEditPos p(0.3f, gepCustom, rgb(0, 1, 0), 1);
    off.used = 0;
    off.enable = 1;
    p.SetColorSlot(off);
    EXPECT_FLOAT_EQ(p.FPosition, 0.3f);
    EXPECT_FLOAT_EQ(p.FColor.rgb.g, 1);
}
