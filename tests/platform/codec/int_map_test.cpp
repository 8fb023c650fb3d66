#include "platform/codec/int_map.h"

#include <gtest/gtest.h>

#include <map>

using namespace codec;

TEST(CodecIntMap, LookupSetRemoveAndCount)
{
    std::unique_ptr<CodecIntMap> map;
    ASSERT_EQ(CodecIntMap::create(map, 10), CodecStatus::Nothing);
    uint32_t val = 77;
    EXPECT_FALSE(map->lookup(5, val));
    EXPECT_EQ(val, 77u);
    ASSERT_EQ(map->setAt(5, 500), CodecStatus::Nothing);
    ASSERT_EQ(map->setAt(0xFFFFFFFF, 1), CodecStatus::Nothing);
    ASSERT_EQ(map->setAt(5, 501), CodecStatus::Nothing); // replaces
    EXPECT_TRUE(map->lookup(5, val));
    EXPECT_EQ(val, 501u);
    int32_t count = -1;
    ASSERT_EQ(map->getCount(count), CodecStatus::Nothing);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(map->removeKey(5), CodecStatus::Nothing);
    EXPECT_EQ(map->removeKey(5), CodecStatus::NoData);
    EXPECT_FALSE(map->lookup(5, val));
    EXPECT_EQ(map->removeAll(), CodecStatus::Nothing);
    ASSERT_EQ(map->getCount(count), CodecStatus::Nothing);
    EXPECT_EQ(count, 0);
}

TEST(CodecIntMap, IterationVisitsEveryEntryOnce)
{
    std::unique_ptr<CodecIntMap> map;
    ASSERT_EQ(CodecIntMap::create(map, 10), CodecStatus::Nothing);
    EXPECT_EQ(map->getStartPosition(), 0u);
    std::map<uint32_t, uint32_t> expected;
    for (uint32_t k = 1; k <= 20; ++k) {
        expected[k * 37] = k;
        ASSERT_EQ(map->setAt(k * 37, k), CodecStatus::Nothing);
    }
    std::map<uint32_t, uint32_t> seen;
    for (uint32_t pos = map->getStartPosition(); pos != 0;) {
        uint32_t key = 0, val = 0;
        ASSERT_EQ(map->getNextAssoc(pos, key, val), CodecStatus::Nothing);
        EXPECT_TRUE(seen.emplace(key, val).second);
    }
    EXPECT_EQ(seen, expected);
    uint32_t pos = 21, key, val;
    EXPECT_EQ(map->getNextAssoc(pos, key, val), CodecStatus::Param);
}

TEST(CodecIntMap, CreateNeedsAPositiveBlockSize)
{
    std::unique_ptr<CodecIntMap> map;
    EXPECT_EQ(CodecIntMap::create(map, 0), CodecStatus::Param);
    EXPECT_EQ(map, nullptr);
}
