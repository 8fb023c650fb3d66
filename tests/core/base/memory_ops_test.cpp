#include "core/base/memory_ops.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

TEST(MemoryOps, FillLongWritesWordsThenTheLowByte)
{
    std::array<uint8_t, 9> buf;
    buf.fill(0xEE);
    fillLong(buf.data(), 0x44332211u, 7);
    EXPECT_EQ(buf, (std::array<uint8_t, 9>{0x11, 0x22, 0x33, 0x44, 0x11, 0x11, 0x11, 0xEE, 0xEE}));

    // The fast forms give the same bytes for every length and alignment of the tail.
    for (int32_t count = 0; count <= 40; ++count) {
        std::vector<uint8_t> slow(44, 0xEE), fast(44, 0xEE), asLong(44, 0xEE), bytes(44, 0xEE);
        fillLong(slow.data(), 0xA1B2C3D4u, count);
        fillLongFast(fast.data(), 0xA1B2C3D4u, count);
        EXPECT_EQ(slow, fast) << count;
        fillByteAsLong(asLong.data(), 0x5A, count);
        fillBytes(bytes.data(), 0x5A, count);
        EXPECT_EQ(asLong, bytes) << count;
    }
}

TEST(MemoryOps, CompareBytesIsUnsignedAndStopsAtTheFirstDifference)
{
    EXPECT_EQ(compareBytes("abc", "abd", 3), -1);
    EXPECT_EQ(compareBytes("abc", "abd", 2), 0);
    EXPECT_EQ(compareBytes("abd", "abc", 3), 1);
    EXPECT_EQ(compareBytes("x", "y", 0), 0);
    const uint8_t hi[] = {0x80}, lo[] = {0x01};
    EXPECT_EQ(compareBytes(hi, lo, 1), 1);
}

TEST(MemoryOps, CopiesAndReversal)
{
    // A copy down over an overlapping range: the case the word copy allows.
    uint8_t buf[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    copyLong(buf, buf + 3, 7);
    const uint8_t moved[10] = {3, 4, 5, 6, 7, 8, 9, 7, 8, 9};
    EXPECT_EQ(std::memcmp(buf, moved, 10), 0);

    uint8_t r[5] = {1, 2, 3, 4, 5};
    reverseBytes(r, 5);
    const uint8_t reversed[5] = {5, 4, 3, 2, 1};
    EXPECT_EQ(std::memcmp(r, reversed, 5), 0);
}

TEST(MemoryOps, AllocationReportsFailureInsteadOfThrowing)
{
    void *p = reinterpret_cast<void *>(1);
    EXPECT_TRUE(tryGetMem(p, 0));
    EXPECT_EQ(p, nullptr);
    EXPECT_FALSE(tryGetMem(p, SIZE_MAX));
    EXPECT_EQ(p, nullptr);
    MemPtr owned;
    ASSERT_TRUE(tryGetMem(owned, 64));
    EXPECT_NE(owned.get(), nullptr);

    MemArray<char16_t> copy = wideStrDup(u"layer");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::u16string(copy.get()), u"layer");
    EXPECT_EQ(wideStrDup(nullptr)[0], 0);
}
