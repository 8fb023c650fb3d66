#include "core/containers/dyn_array.h"
#include "core/containers/dyn_stack.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

void fillSequence(SDynArray &a)
{
    auto *p = a.items<uint8_t>();
    std::iota(p, p + dynArrayBytes(a), uint8_t(1));
}

bool startsWithSequence(const SDynArray &a, int64_t n)
{
    const auto *p = a.items<uint8_t>();
    for (int64_t i = 0; i < n; ++i) {
        if (p[i] != uint8_t(i + 1))
            return false;
    }
    return true;
}

} // namespace

TEST(DynArray, AllocKeepsBytesOnlyWhileTheElementSizeStays)
{
    SDynArray a;
    ASSERT_TRUE(dynArrayAlloc(a, 4, 10));
    EXPECT_EQ(dynArrayBytes(a), 40);
    fillSequence(a);
    const void *first = a.ptr.get();

    EXPECT_TRUE(dynArrayAlloc(a, 4, 10)); // nothing changes
    EXPECT_EQ(a.ptr.get(), first);

    ASSERT_TRUE(dynArrayAlloc(a, 4, 20)); // grows, keeping the first 40 bytes
    EXPECT_EQ(dynArrayBytes(a), 80);
    EXPECT_TRUE(startsWithSequence(a, 40));
    EXPECT_EQ(a.items<uint8_t>()[40], 0); // grown memory is zeroed

    ASSERT_TRUE(dynArrayAlloc(a, 2, 20)); // another element size: contents discarded
    EXPECT_EQ(dynArrayBytes(a), 40);
    EXPECT_EQ(a.size, 2);

    EXPECT_FALSE(dynArrayAlloc(a, 4, 0));
    EXPECT_FALSE(dynArrayIsValid(a));
    EXPECT_EQ(dynArrayBytes(a), 0);
}

TEST(DynArray, ResizeKeepsTheLeadingBytesOfANewShape)
{
    SDynArray a;
    ASSERT_TRUE(dynArrayAlloc(a, 4, 10));
    fillSequence(a);
    ASSERT_TRUE(dynArrayResize(a, 8, 5)); // same byte count, other shape
    EXPECT_EQ(a.size, 8);
    EXPECT_EQ(a.num, 5);
    EXPECT_TRUE(startsWithSequence(a, 40));

    ASSERT_TRUE(dynArrayResize(a, 8, 2));
    EXPECT_EQ(dynArrayBytes(a), 16);
    EXPECT_TRUE(startsWithSequence(a, 16));

    // An impossible shape is refused and the record keeps what it had.
    EXPECT_FALSE(dynArrayResize(a, INT32_MAX, INT32_MAX));
    EXPECT_FALSE(dynArrayResize(a, 8, 0));
    EXPECT_EQ(dynArrayBytes(a), 16);
    EXPECT_TRUE(startsWithSequence(a, 16));
}

TEST(DynArray, MoveCopyAndDetachHandOverOwnership)
{
    SDynArray src, dst;
    ASSERT_TRUE(dynArrayAlloc(src, 1, 8));
    fillSequence(src);

    SDynArray copy;
    ASSERT_TRUE(dynArrayCopy(copy, src));
    EXPECT_TRUE(startsWithSequence(copy, 8));
    EXPECT_NE(copy.ptr.get(), src.ptr.get());

    const void *memory = src.ptr.get();
    EXPECT_FALSE(dynArrayMove(copy, src)); // copy already has memory
    ASSERT_TRUE(dynArrayMove(dst, src));
    EXPECT_EQ(dst.ptr.get(), memory);
    EXPECT_EQ(dst.num, 8);
    EXPECT_FALSE(dynArrayIsValid(src));
    EXPECT_EQ(src.num, 0);
    EXPECT_EQ(src.size, 0);

    MemPtr detached = dynArrayDetach(dst);
    EXPECT_EQ(detached.get(), memory);
    EXPECT_FALSE(dynArrayIsValid(dst));
    EXPECT_EQ(dynArrayBytes(dst), 0);

    EXPECT_FALSE(dynArrayFill(dst, 7));
    ASSERT_TRUE(dynArrayFill(copy, 7));
    EXPECT_EQ(copy.items<uint8_t>()[7], 7);
}

TEST(DynArray, TwoDimensionalArraysAndPointLists)
{
    SDynArray2D grid;
    ASSERT_TRUE(dynArray2DAlloc(grid, 4, 3, 2));
    EXPECT_EQ(grid.num, 6);
    EXPECT_EQ(dynArray2DBytes(grid), 24);
    const uint32_t element = 0xA1B2C3D4u;
    ASSERT_TRUE(dynArray2DFillElement(grid, &element));
    EXPECT_EQ(grid.items<uint32_t>()[5], element);
    const void *memory = grid.ptr.get();
    EXPECT_TRUE(dynArray2DAlloc(grid, 4, 3, 2));
    EXPECT_EQ(grid.ptr.get(), memory);
    EXPECT_FALSE(dynArray2DAlloc(grid, 4, 0, 2));
    EXPECT_FALSE(dynArray2DIsValid(grid));
    EXPECT_FALSE(dynArray2DFillElement(grid, &element));

    SDynPos pts, other;
    ASSERT_TRUE(dynPosAlloc(pts, 4));
    pts.ptr[3] = {7, 8};
    ASSERT_TRUE(dynPosAlloc(pts, 14));
    EXPECT_EQ(pts.ptr[3], (sPos{7, 8}));
    EXPECT_EQ(pts.ptr[13], (sPos{0, 0}));
    ASSERT_TRUE(dynPosMove(other, pts));
    EXPECT_EQ(other.num, 14);
    EXPECT_FALSE(dynPosIsValid(pts));
    EXPECT_FALSE(dynPosMove(other, pts));
}

TEST(DynStack, RefusesPushesBeyondCapacityAndServesAsAQueue)
{
    CDynStack stack(int32_t(sizeof(sPos)), 2);
    ASSERT_TRUE(stack.isOk());
    const sPos a{1, 2}, b{3, 4}, c{5, 6};
    EXPECT_TRUE(stack.push(&a));
    EXPECT_TRUE(stack.push(&b));
    EXPECT_TRUE(stack.isFull());
    EXPECT_FALSE(stack.push(&c));
    EXPECT_TRUE(stack.overflow);
    EXPECT_EQ(stack.count, 2);

    sPos got;
    ASSERT_TRUE(stack.unshift(&got));
    EXPECT_EQ(got, a);
    EXPECT_EQ(stack.count, 1);
    ASSERT_TRUE(stack.pop(&got));
    EXPECT_EQ(got, b);
    EXPECT_TRUE(stack.isEmpty());
    EXPECT_FALSE(stack.pop(&got));
    EXPECT_FALSE(stack.unshift(&got));

    EXPECT_TRUE(stack.resetStack());
    EXPECT_FALSE(stack.overflow);
    EXPECT_TRUE(stack.push(&c));
    EXPECT_TRUE(stack.push(&a));
    ASSERT_TRUE(stack.pop(&got));
    EXPECT_EQ(got, a);
}

TEST(DynStack, WithoutMemoryEveryPushIsRefused)
{
    CDynStack stack(8, 0);
    EXPECT_FALSE(stack.isOk());
    EXPECT_FALSE(stack.resetStack());
    const sPos a{1, 2};
    EXPECT_FALSE(stack.push(&a));
    EXPECT_TRUE(stack.overflow);
}
