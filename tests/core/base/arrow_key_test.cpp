#include "core/base/arrow_key.h"

#include <gtest/gtest.h>

TEST(ArrowKey, OnePixelPerArrowKey)
{
    struct Case
    {
        int32_t key;
        sPos delta;
    } cases[] = {{VK_LEFT, {-1, 0}}, {VK_UP, {0, -1}}, {VK_RIGHT, {1, 0}}, {VK_DOWN, {0, 1}}};
    for (const Case &c : cases) {
        sPos p{9, 9};
        EXPECT_TRUE(arrowKeyDelta(c.key, &p));
        EXPECT_EQ(p, c.delta);
        EXPECT_TRUE(arrowKeyDelta(c.key, nullptr));
    }
    sPos p{9, 9};
    EXPECT_FALSE(arrowKeyDelta(VK_HOME, &p));
    EXPECT_EQ(p, (sPos{9, 9}));
}
