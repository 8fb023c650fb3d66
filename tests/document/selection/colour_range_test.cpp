// The colour-range selection: the fall-off, transparency, list order, the limiting selection,
// what the commit stores and records, and the pick-list rules of the dialog.
#include "core/image/channel.h"
#include "core/tiles/block_layer_image.h"
#include "document/selection/colour_range.h"
#include "selection_rig.h"

#include <gtest/gtest.h>

namespace {

// A w x 1 source of the given pixels rendered with the picks into a cleared channel.
std::vector<uint8_t> render(std::initializer_list<uint32_t> pixels, std::vector<SPicCol> picks,
                            const CMaskData *mask = nullptr, sPos ofs = {})
{
    CBlockVMTC src(int32_t(pixels.size()), 1);
    int32_t x = 0;
    for (uint32_t p : pixels)
        src.setPixel(x++, 0, p);
    TChannel ch(int32_t(pixels.size()), 1);
    ch.PixelFill(0);
    CColorMask cm;
    SColorMask param;
    param.cnt = int32_t(picks.size());
    cm.setParam(param, &src, &ch, mask, ofs);
    EXPECT_TRUE(cm.Rendering(picks));
    std::vector<uint8_t> out;
    for (int32_t i = 0; i < ch.width(); ++i)
        out.push_back(ch.getColor(i, 0));
    return out;
}

SPicCol add(uint32_t col, uint8_t range)
{
    return {col, 1, range, 0};
}
SPicCol remove(uint32_t col, uint8_t range)
{
    return {col, 0, range, 0};
}

} // namespace

TEST(ColourRange, FalloffAtToleranceFifty)
{
    const uint32_t T = 2 * 50 * 50;
    EXPECT_EQ(colorRangeFalloff(0, T), 255u);
    EXPECT_EQ(colorRangeFalloff(5000, T), 255u);
    EXPECT_EQ(colorRangeFalloff(6000, T), 153u);
    EXPECT_EQ(colorRangeFalloff(7500, T), 0u);
    EXPECT_EQ(colorRangeFalloff(9000, T), 0u);
    EXPECT_EQ(colorRangeFalloff(0, 0), 255u);
    EXPECT_EQ(colorRangeFalloff(1, 0), 0u);
}

TEST(ColourRange, TransparencyRaisesPartialValuesAndNearlyClearPixelsStayOut)
{
    // Blue 0 against pick blue 0 + distance: d = 6000 needs a channel difference; use v = 100
    // directly: find d with trunc(512 x (1.5 - d / T)) = 100 for T = 5000 (x = 0.1953125).
    const uint32_t T = 5000;
    uint32_t d = 0;
    while (colorRangeFalloff(d, T) != 100)
        ++d;
    // Red difference r with r^2 = d is not always whole; build the case from a red step instead.
    int32_t r = 0;
    while (uint32_t(r * r) < d)
        ++r;
    const uint32_t v = colorRangeFalloff(uint32_t(r * r), T);
    ASSERT_GT(v, 0u);
    ASSERT_LT(v, 255u);
    const uint32_t half = (128u << 24) | (uint32_t(r) << 16);
    const auto out = render({half, 0xFF000000u | (uint32_t(r) << 16), 0x01000000, 0x00000000},
                            {add(0xFF000000, 50)});
    EXPECT_EQ(out[0], v + v * 127 / 255);
    EXPECT_EQ(out[1], v);
    EXPECT_EQ(out[2], 0);
    EXPECT_EQ(out[3], 0);
    // The worked case: 80 red and 11 green off the pick, d = 6521, gives 100; at alpha 128, 149.
    ASSERT_EQ(colorRangeFalloff(80 * 80 + 11 * 11, 5000), 100u);
    EXPECT_EQ(render({0x80500B00u, 0xFF500B00u}, {add(0xFF000000, 50)}),
              (std::vector<uint8_t>{149, 100}));
}

TEST(ColourRange, RemovingEntriesActOnEarlierEntriesOnly)
{
    const uint32_t red = 0xFFFF0000, blue = 0xFF0000FF;
    EXPECT_EQ(render({red, blue}, {add(red, 10), remove(red, 10), add(blue, 10)}),
              (std::vector<uint8_t>{0, 255}));
    EXPECT_EQ(render({red, blue}, {remove(red, 10), add(red, 10)}),
              (std::vector<uint8_t>{255, 0}));
}

TEST(ColourRange, PixelsOutsideTheSelectionStayZero)
{
    CMaskData md(0, 4, 1);
    md.maskTC->setPixel(1, 0, 255);
    md.maskTC->setPixel(2, 0, 255);
    const uint32_t red = 0xFFFF0000;
    // The mask one pixel to the right of the source: source x maps to mask x + 1.
    EXPECT_EQ(render({red, red, red, red}, {add(red, 10)}, &md, {1, 0}),
              (std::vector<uint8_t>{255, 255, 0, 0}));
}

TEST(ColourRange, StatusRecordIsTwentyBytesAndEightPerColour)
{
    SColorMask p;
    p.cnt = 2;
    p.isVRAM = 1;
    const SPicCol cols[] = {add(0xFF102030, 40), remove(0xFF405060, 7)};
    const std::vector<uint8_t> bytes = packColorRange(p, cols);
    ASSERT_EQ(bytes.size(), 36u);
    const uint8_t head[] = {2, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_TRUE(std::equal(std::begin(head), std::end(head), bytes.begin()));
    const uint8_t second[] = {0x60, 0x50, 0x40, 0xFF, 0, 7, 0, 0};
    EXPECT_TRUE(std::equal(std::begin(second), std::end(second), bytes.begin() + 28));
    SColorMask q;
    std::vector<SPicCol> back;
    ASSERT_TRUE(unpackColorRange(bytes, q, back));
    EXPECT_EQ(q.cnt, 2);
    EXPECT_EQ(back[1].range, 7);
    // A count that does not match the length, or one past 256, is refused.
    std::vector<uint8_t> shorter(bytes.begin(), bytes.end() - 1);
    EXPECT_FALSE(unpackColorRange(shorter, q, back));
    std::vector<uint8_t> many = bytes;
    many[0] = 1;
    many[1] = 1; // 257
    EXPECT_FALSE(unpackColorRange(many, q, back));
}

TEST(ColourRange, PickListRules)
{
    LiveReplayApp app;
    CColorPickList list;
    using U = CColorPickList::eUpdate;
    EXPECT_EQ(list.pick(0x00FF0000, ePicMode::modePlus, 50), U::none); // transparent
    EXPECT_EQ(list.pick(0xFFFF0000, ePicMode::modeNomal, 50), U::full);
    EXPECT_EQ(list.pick(0xFF00FF00, ePicMode::modePlus, 30), U::incremental);
    EXPECT_EQ(list.pick(0xFF00FF00, ePicMode::modeMinus, 20), U::incremental);
    // The same colour and kind again: the old entry leaves, the new one is last.
    EXPECT_EQ(list.pick(0xFFFF0000, ePicMode::modePlus, 90), U::full);
    ASSERT_EQ(list.entries().size(), 3u);
    EXPECT_EQ(list.entries()[2].col, 0xFFFF0000u);
    EXPECT_EQ(list.entries()[2].range, 90);
    EXPECT_EQ(list.entries()[1].sign, 0);
    ASSERT_TRUE(list.setLastTolerance(12));
    EXPECT_EQ(list.entries()[2].range, 12);
    EXPECT_EQ(list.pick(0xFF123456, ePicMode::modeNomal, 50), U::full);
    EXPECT_EQ(list.entries().size(), 1u);
    for (uint32_t i = 1; i < 256; ++i)
        list.pick(0xFF000000 | i, ePicMode::modePlus, 50);
    ASSERT_EQ(list.entries().size(), 256u);
    EXPECT_EQ(list.pick(0xFFABCDEF, ePicMode::modePlus, 50), U::none);
    EXPECT_EQ(app.messages.warnings.count(QStringLiteral("これ以上色を追加できません！")), 1);
    list.reset(0xFF808080, 50);
    ASSERT_EQ(list.entries().size(), 1u);
    EXPECT_EQ(list.entries()[0].sign, 1);
    EXPECT_EQ(colorRangeSettings().tolerance, 50);
}

TEST(ColourRange, PreviewFitsTheAreaIntoTheSquare)
{
    const sSize a = colorRangePreviewSize({300, 100});
    EXPECT_EQ(a.x, 192);
    EXPECT_EQ(a.y, 64);
    const sSize b = colorRangePreviewSize({70, 100});
    EXPECT_EQ(b.x, 134);
    EXPECT_EQ(b.y, 192);
}

TEST(ColourRange, CommitTakesTheSourceSizeAndOffset)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    EditSession s{60};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(eventLayerAdd(p, s.flow(), 4, 60, 50, TLayerMode::LM_STD, 255, true, true));
    p.getLayerData(4)->viewPos = {5, 3};
    TChannel ch(60, 50);
    ch.PixelFill(0);
    ch.fillBox(10, 10, 4, 4, 255);
    const SPicCol pick = add(0xFF000000, 20);
    SColorMask layerSrc;
    layerSrc.cnt = 1;
    ASSERT_TRUE(commitColorRange(p, ch, 4, -1, layerSrc, {&pick, 1}, true));
    const CMaskData *md = p.getActiveMaskData();
    EXPECT_EQ(md->maskTC->width(), 60);
    EXPECT_EQ(md->viewPos.x, 5);
    EXPECT_EQ(md->getMaskValue(10 - 5, 10 - 3), 255);
    SColorMask display = layerSrc;
    display.isVRAM = 1;
    ASSERT_TRUE(commitColorRange(p, ch, 4, -1, display, {&pick, 1}, true));
    md = p.getActiveMaskData();
    EXPECT_EQ(md->viewPos.x, 0);
    EXPECT_EQ(md->getMaskValue(10, 10), 255);
    EXPECT_TRUE(s.historiesInStep());
    // A count that does not match the colours is refused.
    SColorMask wrong = layerSrc;
    wrong.cnt = 2;
    EXPECT_FALSE(commitColorRange(p, ch, 4, -1, wrong, {&pick, 1}, true));
}
