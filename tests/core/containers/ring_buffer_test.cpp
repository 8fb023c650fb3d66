#include "core/containers/ring_buffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The elements a ring can reach, oldest back element first, then the fore elements.
std::vector<uint32_t> reachable(const CRingBufDWORD &ring)
{
    std::vector<uint32_t> values;
    uint32_t v = 0;
    for (int32_t i = -(ring.backCnt - 1); i <= ring.foreCnt; ++i) {
        if (ring.getValue(i, v))
            values.push_back(v);
    }
    return values;
}

class RingOf3Back2Fore : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(ring.isValid());
        for (uint32_t v = 1; v <= 5; ++v)
            ASSERT_TRUE(ring.addValue(v));
    }
    CRingBufDWORD ring{3, 2};
};

} // namespace

TEST_F(RingOf3Back2Fore, KeepsTheNewestBackElements)
{
    EXPECT_EQ(ring.backCnt, 3);
    EXPECT_EQ(ring.foreCnt, 0);
    EXPECT_EQ(ring.getTopValue(), 5u);
    uint32_t v = 0;
    ASSERT_TRUE(ring.getValue(-2, v));
    EXPECT_EQ(v, 3u);
    EXPECT_FALSE(ring.getValue(-3, v));
    EXPECT_FALSE(ring.getValue(1, v));
    EXPECT_EQ(reachable(ring), (std::vector<uint32_t>{3, 4, 5}));
}

TEST_F(RingOf3Back2Fore, WalksBackAndForeAndDropsTheForePartOnAdd)
{
    ASSERT_TRUE(ring.last());
    ASSERT_TRUE(ring.last());
    EXPECT_EQ(ring.getTopValue(), 3u);
    EXPECT_EQ(ring.backCnt, 1);
    EXPECT_EQ(ring.foreCnt, 2);
    uint32_t v = 0;
    ASSERT_TRUE(ring.getValue(2, v));
    EXPECT_EQ(v, 5u);
    EXPECT_EQ(ring.getTopValue(), 3u); // reading moved nothing
    EXPECT_EQ(ring.foreCnt, 2);

    ASSERT_TRUE(ring.next());
    EXPECT_EQ(ring.getTopValue(), 4u);
    ASSERT_TRUE(ring.last());

    ASSERT_TRUE(ring.addValue(9));
    EXPECT_EQ(ring.foreCnt, 0);
    EXPECT_EQ(ring.getTopValue(), 9u);
    EXPECT_EQ(reachable(ring), (std::vector<uint32_t>{3, 9}));
    EXPECT_FALSE(ring.next());
}

TEST_F(RingOf3Back2Fore, WalkingBackPastTheOldestIsRefused)
{
    ASSERT_TRUE(ring.last());
    ASSERT_TRUE(ring.last());
    ASSERT_TRUE(ring.last());
    EXPECT_FALSE(ring.last());
    EXPECT_EQ(ring.backCnt, 0);
    EXPECT_EQ(ring.foreCnt, 3);
    ASSERT_TRUE(ring.next());
    EXPECT_EQ(ring.getTopValue(), 3u);
    EXPECT_EQ(ring.clearForeCnt(), 2);
    EXPECT_FALSE(ring.next());
}

TEST_F(RingOf3Back2Fore, ReallocKeepsTheNewestHistory)
{
    ASSERT_TRUE(ring.last()); // current 4, fore 5
    ASSERT_TRUE(ring.realloc(2, 1));
    EXPECT_EQ(ring.backMax, 2);
    EXPECT_EQ(ring.bufLen, 12u);
    EXPECT_EQ(ring.getTopValue(), 4u);
    EXPECT_EQ(reachable(ring), (std::vector<uint32_t>{3, 4, 5}));

    // The ring goes on working in the new buffer.
    ASSERT_TRUE(ring.next());
    ASSERT_TRUE(ring.addValue(6));
    ASSERT_TRUE(ring.addValue(7));
    EXPECT_EQ(reachable(ring), (std::vector<uint32_t>{6, 7}));

    ASSERT_TRUE(ring.realloc(6, 0));
    EXPECT_EQ(reachable(ring), (std::vector<uint32_t>{6, 7}));
    EXPECT_FALSE(ring.realloc(0, 2));
    EXPECT_EQ(ring.backMax, 6);
}

TEST(RingBuffer, ReallocOfFiveBackElementsToTwoKeepsTheNewest)
{
    CRingBufDWORD ring(8, 0);
    for (uint32_t v = 1; v <= 5; ++v)
        ring.addValue(v);
    ASSERT_TRUE(ring.realloc(2, 0));
    EXPECT_EQ(reachable(ring), (std::vector<uint32_t>{4, 5}));
    EXPECT_EQ(ring.getTopValue(), 5u);
}

TEST(RingBuffer, NoCurrentElementAfterDeletingTheLast)
{
    CRingBufDWORD ring(3, 2);
    ring.addValue(7);
    ASSERT_TRUE(ring.delValue());
    EXPECT_EQ(ring.backCnt, 0);
    uint32_t v = 123;
    EXPECT_FALSE(ring.getValue(0, v));
    EXPECT_EQ(v, 123u);
    // The typed read no longer dereferences an empty ring: it answers 0.
    EXPECT_EQ(ring.getTopValue(), 0u);
    EXPECT_FALSE(ring.delValue());
    ASSERT_TRUE(ring.setValue(8));
    EXPECT_EQ(ring.backCnt, 1);
    EXPECT_EQ(ring.getTopValue(), 8u);
}

TEST(RingBuffer, AnInvalidRingRefusesEverything)
{
    CRingBufDWORD ring;
    EXPECT_FALSE(ring.isValid());
    EXPECT_EQ(ring.getTopValue(), 0u);
    EXPECT_FALSE(ring.addValue(1));
    EXPECT_FALSE(ring.setValue(1));
    EXPECT_FALSE(ring.last());
    EXPECT_FALSE(ring.restart());
    EXPECT_FALSE(ring.alloc(0, 4));
    EXPECT_FALSE(ring.alloc(2, -1));

    // A ring made without memory becomes usable through realloc.
    ASSERT_TRUE(ring.realloc(2, 2));
    EXPECT_TRUE(ring.addValue(1));
    EXPECT_EQ(ring.getTopValue(), 1u);

    ring.freeBuf();
    EXPECT_EQ(ring.elmLen, 0u);
    EXPECT_FALSE(ring.realloc(3, 3));
}

TEST(RingBuffer, ElementsOfAnySize)
{
    struct Pair
    {
        int32_t a, b;
    };
    CRingBuf ring(sizeof(Pair), 2, 1);
    const Pair p{1, 2}, q{3, 4};
    ring.addValue(&p);
    ring.addValue(&q);
    Pair got{};
    ASSERT_TRUE(ring.getValue(-1, &got));
    EXPECT_EQ(got.b, 2);
    ASSERT_TRUE(ring.getTopValue(&got));
    EXPECT_EQ(got.a, 3);
}
