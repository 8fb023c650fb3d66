// sortArray: the in-place sort of the raster core. It is an iterative quicksort whose exact order
// of exchanges is part of its contract: it is not stable, and callers that sort equal keys get
// the same order every time, the order recorded documents were made with.
#pragma once

#include <array>
#include <cstdint>

// compare(p, q) < 0, 0 or > 0 as the element at p sorts before, with or after the one at q.
using TSortCompare = int (*)(const void *p, const void *q);

namespace sort_array_detail {

inline void swapElements(uint8_t *a, uint8_t *b, int32_t elemSize)
{
    if (a == b)
        return;
    for (int32_t i = 0; i < elemSize; ++i) {
        const uint8_t t = a[i];
        a[i] = b[i];
        b[i] = t;
    }
}

} // namespace sort_array_detail

// Sorts count elements of elemSize bytes at base in place; nothing happens for count <= 1 or
// elemSize <= 0. Ranges of more than 8 elements are partitioned around their middle element
// (moved to the front as the pivot); the larger part waits on a stack of 30 ranges while the
// smaller goes on; ranges of 8 or fewer are finished by selection sort from the end (a new maximum
// needs compare > 0, so the first of equal elements is the one moved back).
template <class Compare>
void sortArray(void *base, int32_t count, int32_t elemSize, Compare compare)
{
    using sort_array_detail::swapElements;
    if (count <= 1 || elemSize <= 0)
        return;
    auto *data = static_cast<uint8_t *>(base);
    auto at = [&](int32_t i) { return data + int64_t(i) * elemSize; };
    struct Range
    {
        int32_t lo, hi;
    };
    // The larger part is pushed, so each pushed range is at least twice its successor and 30
    // entries hold any 32-bit count.
    std::array<Range, 30> stack;
    int32_t sp = 0;
    int32_t lo = 0, hi = count - 1;
    for (;;) {
        while (hi - lo + 1 > 8) {
            swapElements(at(lo), at(lo + (hi - lo + 1) / 2), elemSize);
            const uint8_t *pivot = at(lo);
            int32_t low = lo + 1, high = hi;
            for (;;) {
                while (low <= hi && compare(at(low), pivot) <= 0)
                    ++low;
                while (high > lo && compare(at(high), pivot) >= 0)
                    --high;
                if (low > high)
                    break;
                swapElements(at(low), at(high), elemSize);
            }
            swapElements(at(lo), at(high), elemSize);
            Range left{lo, high - 1}, right{high + 1, hi};
            const int32_t leftCount = left.hi - left.lo + 1, rightCount = right.hi - right.lo + 1;
            const Range &larger = leftCount > rightCount ? left : right;
            const Range &smaller = leftCount > rightCount ? right : left;
            const int32_t smallerCount = leftCount > rightCount ? rightCount : leftCount;
            if (smallerCount <= 1) {
                lo = larger.lo;
                hi = larger.hi;
                continue;
            }
            if (sp < int32_t(stack.size()))
                stack[sp++] = larger;
            lo = smaller.lo;
            hi = smaller.hi;
        }
        for (int32_t last = hi; last > lo; --last) {
            int32_t maxIdx = lo;
            for (int32_t k = lo + 1; k <= last; ++k) {
                if (compare(at(k), at(maxIdx)) > 0)
                    maxIdx = k;
            }
            swapElements(at(maxIdx), at(last), elemSize);
        }
        if (sp == 0)
            return;
        --sp;
        lo = stack[sp].lo;
        hi = stack[sp].hi;
    }
}
