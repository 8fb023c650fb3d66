// The exact halving rows against the scaler's slot walk (a descendant of the canvas scaler takes
// the walk through its slots, extended precision and all) on pixels whose alpha-weighted means
// land on and near whole numbers: low alphas, few distinct values.
#include "core/image/canvas.h"
#include "core/scale/scale_image.h"

#include <gtest/gtest.h>

#include <random>

#if defined(__SSE2__)

namespace {

// Not the canvas scaler itself, so every pixel goes through the slots.
class SlotWalk : public CScaleImageTMTC
{
  public:
    using CScaleImageTMTC::CScaleImageTMTC;
};

} // namespace

TEST(FastEqualsReference, HalvingRowsGiveTheSlotWalksPixels)
{
    std::mt19937 rng(41);
    constexpr int32_t W = 256, H = 256;
    // Alphas from small sets and colours from a few levels make many exact and near ties.
    const uint8_t alphaSets[][4] = {
        {0, 1, 2, 3}, {33, 67, 0, 100}, {0, 255, 128, 1}, {10, 20, 30, 40}};
    for (const auto &alphas : alphaSets)
        for (const bool weighted : {false, true}) {
            TMTC src(2 * W, 2 * H), want(W, H), got(W, H);
            for (int32_t y = 0; y < 2 * H; ++y)
                for (int32_t x = 0; x < 2 * W; ++x) {
                    sBGRA &p = *src.seek32(x, y);
                    p.B = uint8_t(rng() % 4), p.G = uint8_t(rng() % 256), p.R = uint8_t(rng() % 8);
                    p.A = alphas[rng() % 4];
                }
            SlotWalk walk(&src, &want);
            ASSERT_TRUE(weighted ? walk.scale2({0, 0, 2 * W, 2 * H}, {0, 0, W, H})
                                 : walk.scale({0, 0, 2 * W, 2 * H}, {0, 0, W, H}));
            for (int32_t y = 0; y < H; ++y)
                halveRow(&got.seek32(0, y)->all, &src.seek32(0, 2 * y)->all,
                         &src.seek32(0, 2 * y + 1)->all, W, weighted);
            for (int32_t y = 0; y < H; ++y)
                for (int32_t x = 0; x < W; ++x)
                    ASSERT_EQ(got.seek32(x, y)->all, want.seek32(x, y)->all)
                        << x << ", " << y << (weighted ? " weighted" : "") << " alphas "
                        << int(alphas[0]) << "," << int(alphas[1]);
        }
}

#endif
