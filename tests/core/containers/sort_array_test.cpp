#include "core/containers/sort_array.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

struct Item
{
    int32_t key;
    char id;
};

int byKey(const void *p, const void *q)
{
    const int32_t a = static_cast<const Item *>(p)->key, b = static_cast<const Item *>(q)->key;
    return a < b ? -1 : (a > b ? 1 : 0);
}

std::string sortedIds(std::vector<Item> items)
{
    sortArray(items.data(), int32_t(items.size()), int32_t(sizeof(Item)), byKey);
    std::string ids;
    for (const Item &i : items)
        ids += i.id;
    return ids;
}

} // namespace

// The order of equal keys is fixed by the exact sequence of exchanges; these orders were traced
// by hand through the partition and the selection sort.
TEST(SortArray, EqualKeysEndInTheAlgorithmsOrder)
{
    // Selection sort only: the first of equal maxima moves to the back.
    EXPECT_EQ(sortedIds({{1, 'a'}, {0, 'b'}, {1, 'c'}, {0, 'd'}}), "bdca");
    // One partition around the middle element, then selection sort of the rest.
    EXPECT_EQ(sortedIds({{2, 'a'},
                         {1, 'b'},
                         {2, 'c'},
                         {1, 'd'},
                         {0, 'e'},
                         {2, 'f'},
                         {1, 'g'},
                         {0, 'h'},
                         {2, 'i'}}),
              "ehdgbfaic");
    // A partition with exchanges, then both parts (the larger one from the stack).
    EXPECT_EQ(sortedIds({{1, 'a'},
                         {2, 'b'},
                         {0, 'c'},
                         {2, 'd'},
                         {1, 'e'},
                         {0, 'f'},
                         {2, 'g'},
                         {1, 'h'},
                         {0, 'i'}}),
              "icfehagbd");
}

TEST(SortArray, DegenerateInputs)
{
    std::vector<Item> equal(9, Item{4, 'x'});
    sortArray(equal.data(), 9, int32_t(sizeof(Item)), byKey);
    for (const Item &i : equal)
        EXPECT_EQ(i.key, 4);

    Item one{1, 'a'};
    int calls = 0;
    sortArray(&one, 1, int32_t(sizeof(Item)), [&](const void *, const void *) {
        ++calls;
        return 0;
    });
    sortArray(&one, 5, 0, [&](const void *, const void *) {
        ++calls;
        return 0;
    });
    EXPECT_EQ(calls, 0);
}

TEST(SortArray, SortsRandomArraysOfManySizes)
{
    const unsigned seed = std::random_device{}();
    std::mt19937 gen(seed);
    for (int32_t n : {2, 3, 8, 9, 10, 17, 100, 1000, 20000}) {
        for (int32_t range : {3, 1000000}) {
            std::vector<int32_t> v(n);
            std::uniform_int_distribution<int32_t> dist(0, range);
            for (int32_t &x : v)
                x = dist(gen);
            std::vector<int32_t> expected = v;
            std::sort(expected.begin(), expected.end());
            sortArray(v.data(), n, 4, [](const void *p, const void *q) {
                const int32_t a = *static_cast<const int32_t *>(p);
                const int32_t b = *static_cast<const int32_t *>(q);
                return a < b ? -1 : (a > b ? 1 : 0);
            });
            EXPECT_EQ(v, expected) << "seed " << seed << " n " << n << " range " << range;
        }
    }
}
