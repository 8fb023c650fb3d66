#include "core/pixel/blend_modes.h"

#include "core/pixel/each_simd_level.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using enum TLayerMode;

namespace {

std::vector<fptrPixelPut4core> everyPut()
{
    std::vector<fptrPixelPut4core> puts = {pixelPutAlpha, pixelPutCopy, pixelPutMul,
                                           pixelPutAdd,   pixelPutSub,  pixelPutOver};
    for (int m = 0; m < int(LM_MAX_NUM); ++m) {
        const SBlendModeRow *row = getBlendModeRow(TLayerMode(m));
        puts.insert(puts.end(), {row->fnPut, row->fnPutA, row->fnPutOnTP});
    }
    return puts;
}

} // namespace

// The row loops at each vector level the processor has.
class BlendRowsAtLevel : public EachSimdLevel
{
};
INSTANTIATE_EACH_SIMD_LEVEL(BlendRowsAtLevel);

// The row loops are the fast path of the compositing loops; the per-pixel puts are their oracle.
TEST_P(BlendRowsAtLevel, EveryRowLoopEqualsItsPutPixelByPixel)
{
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    std::mt19937 rng(seed);
    constexpr int n = 4000;
    std::vector<sBGRA> src(n), start(n);
    for (int i = 0; i < n; ++i) {
        src[i].all = uint32_t(rng());
        start[i].all = uint32_t(rng());
    }
    // The ends of every byte range: transparent, opaque, black and white pixels.
    src[0].all = 0, src[1].all = 0xFFFFFFFF, src[2].all = 0xFF000000, src[3].all = 0x00FFFFFF;
    start[4].all = 0, start[5].all = 0xFFFFFFFF, start[6].all = 0xFF000000;

    const auto puts = everyPut();
    int index = 0;
    for (fptrPixelPut4core put : puts) {
        const fptrPutRow row = rowPutFor(put);
        EXPECT_NE(row, putRowPlain) << "put " << index << " has no loop of its own";
        for (uint32_t a : {0u, 1u, 128u, 254u, 255u, uint32_t(rng() & 0xFF)}) {
            std::vector<sBGRA> fast = start, plain = start;
            row(fast.data(), src.data(), n, a, put);
            putRowPlain(plain.data(), src.data(), n, a, put);
            for (int i = 0; i < n; ++i)
                ASSERT_EQ(fast[i].all, plain[i].all)
                    << "put " << index << " opacity " << a << " pixel " << i << std::hex << " dst "
                    << start[i].all << " src " << src[i].all;
        }
        ++index;
    }
    // An unknown put gets the plain loop.
    EXPECT_EQ(rowPutFor([](sBGRA *, uint32_t, uint32_t) {}), putRowPlain);
}

namespace {

// One channel pair per pixel index i of a 65536-pixel row: s = i >> 8, d = i & 0xFF in blue, the
// pair exchanged in green and both bytes flipped in red, so that each channel meets every
// (source, destination) pair and a mixed-up channel shows.
sBGRA everyPairSrc(uint32_t i, uint32_t alpha)
{
    const uint32_t s = i >> 8, d = i & 0xFF;
    return sBGRA{.all = s | d << 8 | (s ^ 0x5A) << 16 | alpha << 24};
}
sBGRA everyPairDst(uint32_t i, uint32_t a)
{
    const uint32_t s = i >> 8, d = i & 0xFF;
    return sBGRA{.all = d | s << 8 | (d ^ 0xA5) << 16 | ((i * 13 + a * 7) & 0xFF) << 24};
}

// The normal mode's two layer puts: at the row's opacity, and at it scaled by the source alpha.
std::vector<fptrPixelPut4core> normalPuts()
{
    const SBlendModeRow *row = getBlendModeRow(LM_STD);
    return {row->fnPut, row->fnPutA};
}

} // namespace

// The normal mode's loops against their puts for all 2^24 (source byte, destination byte,
// opacity), with the destination's alpha varied, at a start that is not a multiple of four
// pixels. The source-alpha put meets every opacity once as the source alpha under a row opacity
// of 255, and once as the row opacity over varied source alphas.
TEST_P(BlendRowsAtLevel, NormalRowsEqualTheirPutsForEveryByteTriple)
{
    struct Pass
    {
        fptrPixelPut4core put;
        bool opacityInSource; // the tried opacity is the source alpha, the row's opacity 255
    };
    const auto puts = normalPuts();
    constexpr int n = 65536, off = 3;
    std::vector<sBGRA> src(n + off), fast(n + off), plain(n + off);
    for (const Pass pass : {Pass{puts[0], false}, Pass{puts[1], true}, Pass{puts[1], false}}) {
        const fptrPutRow row = rowPutFor(pass.put);
        for (uint32_t a = 0; a < 256; ++a) {
            const uint32_t opacity = pass.opacityInSource ? 255 : a;
            for (uint32_t i = 0; i < uint32_t(n); ++i) {
                src[i + off] = everyPairSrc(i, pass.opacityInSource ? a : (i * 37 + a) & 0xFF);
                fast[i + off] = plain[i + off] = everyPairDst(i, a);
            }
            row(fast.data() + off, src.data() + off, n, opacity, pass.put);
            for (int i = 0; i < n; ++i)
                pass.put(&plain[i + off], src[i + off].all, opacity);
            for (int i = 0; i < n; ++i)
                ASSERT_EQ(fast[i + off].all, plain[i + off].all)
                    << "source alpha put " << (pass.put == puts[1]) << " opacity " << opacity
                    << " pixel " << i << std::hex << " src " << src[i + off].all;
        }
    }
}

// Short rows (every length 0..19, at every start modulo four, the source also the destination
// row itself) equal the put, and the pixels around the row are left alone.
TEST_P(BlendRowsAtLevel, NormalRowsOfShortLengthTouchNothingOutside)
{
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    std::mt19937 rng(seed);
    constexpr int guard = 8, room = 19 + 2 * guard + 4;
    for (fptrPixelPut4core put : normalPuts()) {
        const fptrPutRow row = rowPutFor(put);
        for (int trial = 0; trial < 200; ++trial)
            for (int n = 0; n <= 19; ++n)
                for (int off = guard; off < guard + 4; ++off)
                    for (bool inPlace : {false, true}) {
                        const uint32_t a = trial < 4 ? uint32_t(trial) * 85 : rng() & 0xFF;
                        std::vector<sBGRA> src(room), start(room);
                        for (int i = 0; i < room; ++i)
                            src[i].all = uint32_t(rng()), start[i].all = uint32_t(rng());
                        std::vector<sBGRA> fast = start, plain = start;
                        const sBGRA *from = inPlace ? fast.data() + off : src.data() + off;
                        row(fast.data() + off, from, n, a, put);
                        for (int i = off; i < off + n; ++i)
                            put(&plain[i], inPlace ? plain[i].all : src[i].all, a);
                        for (int i = 0; i < room; ++i)
                            ASSERT_EQ(fast[i].all, plain[i].all)
                                << "source alpha put " << (put == normalPuts()[1]) << " length "
                                << n << " start " << off << " opacity " << a << " in place "
                                << inPlace << " pixel " << i;
                    }
    }
}
