#include "core/blend_modes.h"

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

// The row loops are the fast path of the compositing loops; the per-pixel puts are their oracle.
TEST(BlendRows, EveryRowLoopEqualsItsPutPixelByPixel)
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
