#include "filters/commands/older_filter_commands.h"

#include "filters/commands/filter_command_rig.h"

#include <gtest/gtest.h>

#include <bit>

namespace {

using H = SEventHdr;

int32_t f(float v)
{
    return std::bit_cast<int32_t>(v);
}

std::vector<int32_t> values(const std::vector<LDATA> &cells)
{
    std::vector<int32_t> out;
    for (const LDATA &d : cells)
        out.push_back(d.all);
    return out;
}

using Entry = std::function<bool(FilterCommandRig &, FilterBackup &, bool record)>;

TEST(OlderFilterCommands, EveryEntryRecordsItsCellsAndPushesUndoWhenAsked)
{
    static const int32_t tiles[6] = {2, 1, 12, int32_t(0xFF102030), int32_t(0xFF405060), 0};
    static SOrgCloudsRecord clouds = [] {
        SOrgCloudsRecord c;
        c.clouds.fore = std::bit_cast<sBGRA>(0xFF000000u);
        c.clouds.back = std::bit_cast<sBGRA>(0xFFFFFFFFu);
        c.clouds.seed = 77;
        c.clouds.amplitude = 128;
        c.clouds.tileW = 32;
        c.clouds.tileH = 16;
        c.threshold = 90;
        return c;
    }();
    struct Case
    {
        H hdr;
        Entry run;
        std::vector<int32_t> cells;
    };
    const Case cases[] = {
        {{32, 8},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterSharpen(nullptr, r.flow(), 0, b, rec);
         },
         {}},
        {{32, 9},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterSharpenMore(nullptr, r.flow(), 0, b, rec);
         },
         {}},
        {{32, 20},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterGrayscale(nullptr, r.flow(), 0, b, rec);
         },
         {}},
        {{35, 16},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterLevels(nullptr, r.flow(), 0, b, rec, 20, 100, 230, 10, 245);
         },
         {20, 100, 230, 10, 245, 0}},
        {{33, 18},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterBrightnessContrast(nullptr, r.flow(), 0, b, rec, 30, -20);
         },
         {30, -20}},
        {{34, 19},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterHueSaturation(nullptr, r.flow(), 0, b, rec, 40, 20, 10);
         },
         {40, 20, 10, 0}},
        {{33, 21},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterPosterize(nullptr, r.flow(), 0, b, rec, 3);
         },
         {3, 0}},
        {{33, 22},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterNoise(nullptr, r.flow(), 0, b, rec, 1, 50);
         },
         {1, 50}},
        {{33, 23},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterMosaic(nullptr, r.flow(), 0, b, rec, 4, 0);
         },
         {4, 0}},
        {{33, 2},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterMotionBlur(nullptr, r.flow(), 0, b, rec, 5, 0.5f, 0);
         },
         {5, f(0.5f)}},
        // Cell 3 carries the layer's protection as it is at replay.
        {{34, 3},
         [](auto &r, auto &b, bool rec) {
             r.layer().maskProtected = true;
             return orgEventFilterRadialBlur(nullptr, r.flow(), 0, b, rec, 10, 20, 30, 1);
         },
         {10, 20, 30, 1}},
        {{33, 10},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterSharpenCustom(nullptr, r.flow(), 0, b, 0.5f, rec);
         },
         {f(0.5f), 0}},
        {{33, 32},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterGaussianBlur(nullptr, r.flow(), 0, b, 2.0f, rec);
         },
         {f(2.0f), 0}},
        {{34, 33},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterTwist(nullptr, r.flow(), 0, b, 0.3f, 1, 0.25f, 0.5f, rec);
         },
         {f(0.3f), 1, f(0.25f), f(0.5f)}},
        {{33, 34},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterEmboss(nullptr, r.flow(), 0, b, 0.7f, 3.0f, rec);
         },
         {f(0.7f), f(3.0f)}},
        {{35, 35},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterWave(nullptr, r.flow(), 0, b, 5, 0, 2, 3, 0.5f, rec);
         },
         {f(5), f(0), f(2), f(3), f(0.5f), 0}},
        {{34, 36},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterTiles(nullptr, r.flow(), 0, b, tiles, rec);
         },
         {2 | 1 << 8 | 12 << 16, tiles[3], tiles[4], 0}},
        {{35, 37},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterCloudsRocks(nullptr, r.flow(), 0, b, &clouds, rec);
         },
         {int32_t(0xFF000000), -1, 77, 32 | 16 << 16, 128, 0}},
        {{35, 38},
         [](auto &r, auto &b, bool rec) {
             return orgEventFilterCloudsRocks2(nullptr, r.flow(), 0, b, &clouds, 90, rec);
         },
         {int32_t(0xFF000000), -1, 77, 32 | 16 << 16, 128 | 90 << 16, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.hdr.code));
        // Without record: applied, nothing recorded or pushed.
        {
            FilterCommandRig r;
            FilterBackup none;
            const uint32_t from = r.mark();
            ASSERT_TRUE(c.run(r, none, false));
            EXPECT_TRUE(r.filterHeaders(from).empty());
            EXPECT_EQ(r.undoCount(), 0);
            EXPECT_FALSE(none);
        }
        FilterCommandRig r;
        FilterBackup none;
        const auto before = r.pixels();
        const uint32_t from = r.mark();
        ASSERT_TRUE(c.run(r, none, true));
        EXPECT_EQ(r.filterHeaders(from), (std::vector<H>{c.hdr}));
        EXPECT_EQ(values(r.cells(c.hdr, from)), c.cells);
        EXPECT_EQ(r.undoCount(), 1);
        // The undo entry holds the layer as it was.
        ASSERT_TRUE(r.undo());
        EXPECT_EQ(r.pixels(), before);
    }
}

TEST(OlderFilterCommands, LightingRecordsItsLightsAsOneBlock)
{
    FilterCommandRig r;
    FilterBackup none;
    SFltLight lights[2];
    for (SFltLight &l : lights) {
        initFltLight(l);
        l.kind = flkPoint;
        l.power = 60;
        l.color = std::bit_cast<sBGRA>(0xFFFFFFFFu);
        l.range = 40;
        l.posx = 0.3f;
        l.posy = 0.6f;
        l.posz = 20;
    }
    const uint32_t from = r.mark();
    ASSERT_TRUE(
        orgEventFilterLighting(nullptr, r.flow(), 0, none, lights, 2, 0x00808080, 50, true));
    const std::vector<uint8_t> body = r.rig.body({38, 39}, from);
    ASSERT_EQ(body.size(), sizeof(SEvFilterComplex) + 2 * sizeof(SFltLight));
    SEvFilterComplex fc;
    std::memcpy(&fc, body.data(), sizeof fc);
    EXPECT_EQ(fc.count, 2);
    EXPECT_EQ(fc.eachLen, 56);
    EXPECT_EQ(int32_t(fc.data0.all), 0x00808080);
    EXPECT_EQ(int32_t(fc.data1.all), 50);
    EXPECT_EQ(std::memcmp(body.data() + sizeof fc, lights, sizeof lights), 0);
    EXPECT_FALSE(orgEventFilterLighting(nullptr, r.flow(), 0, none, lights, -1, 0, 50, true));
}

TEST(OlderFilterCommands, PosterizeWithOneLevelChangesAndRecordsNothing)
{
    FilterCommandRig r;
    FilterBackup none;
    const auto before = r.pixels();
    const uint32_t from = r.mark();
    EXPECT_FALSE(orgEventFilterPosterize(nullptr, r.flow(), 0, none, true, 1));
    EXPECT_EQ(r.pixels(), before);
    EXPECT_TRUE(r.filterHeaders(from).empty());
    EXPECT_EQ(r.undoCount(), 0);
}

TEST(OlderFilterCommands, FirstGenerationNoiseIsTheSameEveryTime)
{
    FilterCommandRig r;
    FilterBackup none;
    const auto start = r.pixels();
    ASSERT_TRUE(orgEventFilterNoise(nullptr, r.flow(), 0, none, false, 0, 70));
    const auto first = r.pixels();
    EXPECT_NE(first, start);
    r.setPixels(start);
    ASSERT_TRUE(orgEventFilterNoise(nullptr, r.flow(), 0, none, false, 0, 70));
    EXPECT_EQ(r.pixels(), first);
}

TEST(OlderFilterCommands, AGivenBackupIsUsedAndTakenByUndo)
{
    FilterCommandRig r;
    const auto start = r.pixels();
    FilterBackup backup;
    ASSERT_TRUE(backupLayerImage(backup, *r.layer().imageTC));
    ASSERT_TRUE(orgEventFilterSharpen(nullptr, r.flow(), 0, backup, true));
    EXPECT_FALSE(backup);
    ASSERT_TRUE(r.undo());
    EXPECT_EQ(r.pixels(), start);
}

TEST(OlderFilterCommands, TheOlderFloorIsRecordedAgainAsVersionZeroAndReplaysTheSame)
{
    FilterCommandRig r;
    TMTC floorTex(16, 16), skyTex(16, 16);
    floorTex.PixelFill(0xFF8040C0);
    skyTex.PixelFill(0xFF20A040);
    SFltFloor floor;
    initFltFloor(floor);
    floor.sfloor.y = 40.0f;
    floor.sfloor.eye2scr = 64;
    floor.sfloor.skyheight = 80;
    floor.sfloor.texEnbFlag = 3;
    floor.stex[0].tc = &floorTex;
    floor.stex[1].tc = &skyTex;
    const auto start = r.pixels();
    FilterBackup none;
    const uint32_t from = r.mark();
    ASSERT_TRUE(orgEventFilterFloor(nullptr, r.flow(), 0, none, &floor, true));
    const auto live = r.pixels();
    EXPECT_NE(live, start);
    const auto hdrs = r.filterHeaders(from);
    ASSERT_FALSE(hdrs.empty());
    EXPECT_EQ(hdrs.back(), (H{38, 99}));
    const std::vector<uint8_t> body = r.rig.body({38, 99}, from);
    ASSERT_GE(body.size(), sizeof(SFltFloorParam));
    SFltFloorParam recorded;
    std::memcpy(&recorded, body.data() + body.size() - sizeof recorded, sizeof recorded);
    EXPECT_EQ(recorded.version, 0);
    // What was recorded replays through the older floor again.
    r.setPixels(start);
    SFltFloor again = floor;
    again.sfloor = recorded;
    ASSERT_TRUE(orgEventFilterFloor(nullptr, r.flow(), 0, none, &again, false));
    EXPECT_EQ(r.pixels(), live);
}

} // namespace
