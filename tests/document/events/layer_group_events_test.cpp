#include "document/events/layer_group_events.h"
#include "document/events/recorder_rig.h"

#include <gtest/gtest.h>

namespace {

using H = SEventHdr;

TEST(LayerGroupEvents, TheThreePushesWriteTheirBodies)
{
    RecorderRig rig;
    rig.recordOpening();
    const uint8_t before[3] = {0, 1, 1};
    const uint8_t after[3] = {1, 2, 2};
    uint32_t from = rig.ev().curLength;
    ASSERT_TRUE(rig.ev().pushEventGroupIn(1, true, 3, before, after));
    const std::vector<uint8_t> in = rig.body({5, 0}, from);
    const std::vector<uint8_t> expectIn = {1, 0, 3, 0, 0, 0, 1, 2, 0, 0, 0, 0, 6, 0, 0,
                                           0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 2, 2};
    EXPECT_EQ(in, expectIn);
    EXPECT_EQ(rig.headers(from).back(), (H{5, 0})); // after the basic set
    EXPECT_EQ(rig.headers(from).front(), (H{0, 8}));

    from = rig.ev().curLength;
    ASSERT_TRUE(rig.ev().pushEventGroupIn(1, false, 0, nullptr, nullptr));
    EXPECT_EQ(rig.body({5, 1}, from).size(), 24u);

    from = rig.ev().curLength;
    ASSERT_TRUE(rig.ev().pushEventGroupData2(16, 2, 7, 0x00030001, 9));
    EXPECT_EQ(rig.body({5, 16}, from), (std::vector<uint8_t>{2, 0, 7, 0, 1, 0, 3, 0, 9, 0, 0, 0}));

    from = rig.ev().curLength;
    ASSERT_TRUE(rig.ev().pushEventGroupMovePos(10, 1, 2, {-1, 5}, 4, 0));
    EXPECT_EQ(rig.body({5, 10}, from),
              (std::vector<uint8_t>{1, 0, 2, 0, 0xFF, 0xFF, 0xFF, 0xFF, 5, 0,
                                    0, 0, 4, 0, 0,    0,    0,    0,    0, 0}));

    const std::vector<uint8_t> was = rig.bytes();
    EXPECT_FALSE(rig.ev().pushEventGroupData2(9, 0, 0, 0, 0));
    EXPECT_FALSE(rig.ev().pushEventGroupMovePos(8, 0, 0, {}, 0, 0));
    EXPECT_FALSE(rig.ev().pushEventGroupIn(0, true, -1, nullptr, nullptr));
    EXPECT_EQ(rig.bytes(), was);
}

TEST(LayerGroupEvents, TheDecoderChecksTheTables)
{
    const std::vector<uint8_t> good = {4, 0, 2, 0, 0, 0, 1, 2, 0, 0, 0, 0, 4, 0,
                                       0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 4, 5, 6};
    SGroupLevelTables t;
    ASSERT_TRUE(decodeGroupLevelPacket(good, t));
    EXPECT_EQ(t.idx, 4);
    EXPECT_EQ(t.before, (std::vector<uint8_t>{3, 4}));
    EXPECT_EQ(t.after, (std::vector<uint8_t>{5, 6}));

    struct Case
    {
        const char *what;
        size_t at;
        uint8_t value;
        size_t cut;
    };
    const Case cases[] = {
        {"element size 2", 6, 2, 0},       {"one table", 7, 1, 0},
        {"odd total", 12, 5, 0},           {"total not twice the count", 12, 6, 0},
        {"count without tables", 2, 3, 0}, {"tables cut", 0, 4, 1},
        {"header cut", 0, 4, 10},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> b = good;
        b[c.at] = c.value;
        b.resize(b.size() - c.cut);
        SGroupLevelTables out;
        EXPECT_FALSE(decodeGroupLevelPacket(b, out));
    }
}

} // namespace
