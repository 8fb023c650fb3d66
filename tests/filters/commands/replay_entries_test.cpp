#include "filters/commands/replay_entries.h"

#include "filters/commands/filter_command_rig.h"
#include "filters/commands/older_filter_commands.h"

#include <gtest/gtest.h>

#include <bit>

namespace {

using H = SEventHdr;

std::vector<uint8_t> bytesOf(const std::vector<LDATA> &cells)
{
    std::vector<uint8_t> out(cells.size() * 4);
    std::memcpy(out.data(), cells.data(), out.size());
    return out;
}

TEST(FilterReplay, MotionBlurRebuildsItsRecordWithTheWholeSignedAngle)
{
    struct Case
    {
        uint8_t b0, b1;
        int16_t angle;
        int32_t d1;
        std::vector<uint8_t> cells;
    };
    const Case cases[] = {
        {10, 2, -90, 0, {0x0A, 0x02, 0xA6, 0xFF, 0, 0, 0, 0}},
        {10, 2, 180, 0, {0x0A, 0x02, 0xB4, 0x00, 0, 0, 0, 0}},
        // Method 0: the angle comes from data1 (a Single), bytes 2-3 stay 0.
        {10, 0, 77, std::bit_cast<int32_t>(45.0f), {0x0A, 0, 0, 0, 0x00, 0x00, 0x34, 0x42}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.angle);
        FilterCommandRig r;
        FilterBackup none;
        const uint32_t from = r.mark();
        ASSERT_TRUE(eventFilterMotionBlur(nullptr, r.flow(), 0, none, true, c.b0, c.b1, c.angle,
                                          c.d1, false));
        EXPECT_EQ(bytesOf(r.cells({33, 4}, from)), c.cells);
    }
}

TEST(FilterReplay, EntriesWithAVariantChooseTheFunctionAndTheCode)
{
    sFltObj2 wave;
    initFltObj2(wave);
    wave.data0.b0 = 3;
    wave.data0.b1 = 2;
    wave.data0.b2 = 6;
    wave.data0.b3 = 4;
    wave.data1.all = std::bit_cast<int32_t>(0.5f);
    struct Case
    {
        std::function<bool(FilterCommandRig &, FilterBackup &)> run;
        H hdr;
    };
    const Case cases[] = {
        {[&](FilterCommandRig &r, FilterBackup &b) {
             return eventFilterWave(nullptr, r.flow(), 0, b, true, &wave, 0);
         },
         {33, 69}},
        {[&](FilterCommandRig &r, FilterBackup &b) {
             return eventFilterWave(nullptr, r.flow(), 0, b, true, &wave, 1);
         },
         {33, 80}},
        {[&](FilterCommandRig &r, FilterBackup &b) {
             return eventFilterWave(nullptr, r.flow(), 0, b, true, &wave, 5);
         },
         {33, 85}},
        {[](FilterCommandRig &r, FilterBackup &b) {
             return eventFilterBlur(nullptr, r.flow(), 0, b, true, false, false);
         },
         {32, 0}},
        {[](FilterCommandRig &r, FilterBackup &b) {
             return eventFilterBlur(nullptr, r.flow(), 0, b, true, true, false);
         },
         {32, 64}},
        {[](FilterCommandRig &r, FilterBackup &b) {
             return eventFilterBlurMore(nullptr, r.flow(), 0, b, true, false, false);
         },
         {32, 1}},
        {[](FilterCommandRig &r, FilterBackup &b) {
             return orgEventFilterBlur(nullptr, r.flow(), 0, b, true, false);
         },
         {32, 0}},
        // Code 17 replays through the current colour balance and is recorded as 24.
        {[](FilterCommandRig &r, FilterBackup &b) {
             return orgEventFilterColorBalance(
                 nullptr, r.flow(), 0, b, true, std::bit_cast<int32_t>(1.5f),
                 std::bit_cast<int32_t>(0.8f), std::bit_cast<int32_t>(1.2f));
         },
         {34, 24}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.hdr.code));
        FilterCommandRig r;
        FilterBackup none;
        const uint32_t from = r.mark();
        ASSERT_TRUE(c.run(r, none));
        EXPECT_EQ(r.filterHeaders(from), (std::vector<H>{c.hdr}));
        EXPECT_EQ(r.undoCount(), 1);
    }
}

TEST(FilterReplay, TheFirstAndCurrentBlursDiffer)
{
    FilterCommandRig r;
    FilterBackup none;
    const auto start = r.pixels();
    ASSERT_TRUE(eventFilterBlur(nullptr, r.flow(), 0, none, false, false, false));
    const auto first = r.pixels();
    r.setPixels(start);
    ASSERT_TRUE(eventFilterBlur(nullptr, r.flow(), 0, none, false, true, false));
    EXPECT_NE(r.pixels(), first);
}

TEST(FilterReplay, AlphaViaDensityUsesTheActiveStrokeColourAtReplay)
{
    FilterCommandRig r;
    FilterBackup none;
    const auto start = r.pixels();
    r.rig.stroke.SetDrawColor(0x00336699);
    const uint32_t from = r.mark();
    ASSERT_TRUE(eventFilterAlphaViaDensity(nullptr, r.flow(), 0, none, true));
    const auto cells = r.cells({33, 63}, from);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0].all, 0x00336699);
    EXPECT_EQ(cells[1].all, 0); // flag false
    const auto replayed = r.pixels();
    r.setPixels(start);
    ASSERT_TRUE(eventFilterAlphaViaDensity2(nullptr, r.flow(), 0, none, 0x00336699, false, false));
    EXPECT_EQ(r.pixels(), replayed);
}

TEST(FilterReplay, WithoutUndoNothingIsRecordedOrPushed)
{
    FilterCommandRig r;
    FilterBackup none;
    const uint32_t from = r.mark();
    ASSERT_TRUE(eventFilterInvert(nullptr, r.flow(), 0, none, false));
    ASSERT_TRUE(eventFilterPosterize(nullptr, r.flow(), 0, none, false, 3));
    EXPECT_TRUE(r.filterHeaders(from).empty());
    EXPECT_EQ(r.undoCount(), 0);
    // A record the pixel function refuses changes nothing.
    const auto before = r.pixels();
    sFltObj2 bad;
    initFltObj2(bad);
    bad.data0.all = std::bit_cast<int32_t>(std::numeric_limits<float>::quiet_NaN());
    EXPECT_FALSE(eventFilterGaussianBlur(nullptr, r.flow(), 0, none, true, &bad));
    EXPECT_FALSE(eventFilterMedian(nullptr, r.flow(), 0, none, true, nullptr));
    EXPECT_EQ(r.pixels(), before);
    EXPECT_TRUE(r.filterHeaders(from).empty());
}

} // namespace
