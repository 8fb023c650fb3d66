#include "core/codec/codec_map.h"

#include <gtest/gtest.h>

TEST(CMapDD, LookupFailsUntilTheKeyIsSet)
{
    CMapDD map(10);
    ASSERT_TRUE(map.isValid());
    uint32_t val = 0;
    EXPECT_FALSE(map.lookup(1234, val));
    EXPECT_TRUE(map.setAt(1234, 99));
    EXPECT_TRUE(map.lookup(1234, val));
    EXPECT_EQ(val, 99u);
    EXPECT_EQ(map.getCount(), 1);
    EXPECT_EQ(map.lastErr, MOPIXDLLERR_NOTHING);
}

TEST(CMapDD, FailuresGoToLastErr)
{
    CMapDD map(10);
    EXPECT_FALSE(map.removeKey(7));
    EXPECT_EQ(map.lastErr, MOPIXDLLERR_NO_DATA);
    EXPECT_TRUE(map.setAt(7, 1));
    uint32_t val = 0;
    map.lookup(8, val); // lookup leaves lastErr alone
    EXPECT_EQ(map.lastErr, MOPIXDLLERR_NOTHING);
    EXPECT_TRUE(map.removeAll());
    EXPECT_EQ(map.getCount(), 0);

    CMapDD broken(0);
    EXPECT_FALSE(broken.isValid());
    EXPECT_EQ(broken.lastErr, MOPIXDLLERR_PARAM);
    EXPECT_FALSE(broken.setAt(1, 1));
    EXPECT_EQ(broken.lastErr, MOPIXDLLERR_HANDLE);
    EXPECT_FALSE(broken.lookup(1, val));
    EXPECT_EQ(broken.getCount(), 0);
}

TEST(CMapDD, WalkGivesEveryEntry)
{
    CMapDD map(10);
    for (uint32_t k = 0; k < 5; ++k)
        ASSERT_TRUE(map.setAt(k, k * 10));
    uint32_t sum = 0, n = 0;
    for (uint32_t pos = map.getStartPosition(); pos != 0; ++n) {
        uint32_t key = 0, val = 0;
        ASSERT_TRUE(map.getNextAssoc(pos, key, val));
        EXPECT_EQ(val, key * 10);
        sum += key;
    }
    EXPECT_EQ(n, 5u);
    EXPECT_EQ(sum, 10u);
}
