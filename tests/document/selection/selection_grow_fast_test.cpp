// The separable grow and shrink against the row-window walk they replaced, on masks large enough
// for every pass to run over several blocks of rows and for selections to touch every edge.
#include "core/pixel/simd_level.h"
#include "document/selection/selection_grow.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// Soft discs, hard runs of 255 and 0, and noise: blobs give long equal runs, noise gives the
// shortest windows their work, and the edges are selected too.
std::vector<uint8_t> mixedMask(int32_t w, int32_t h, std::mt19937 &rng)
{
    std::vector<uint8_t> b(size_t(w) * size_t(h), 0);
    auto at = [&](int32_t x, int32_t y) -> uint8_t & { return b[size_t(y) * size_t(w) + size_t(x)]; };
    for (int k = 0; k < 6; ++k) {
        const int32_t cx = int32_t(rng() % uint32_t(w)), cy = int32_t(rng() % uint32_t(h));
        const int32_t r = 3 + int32_t(rng() % 40);
        for (int32_t y = std::max(0, cy - r); y < std::min(h, cy + r); ++y)
            for (int32_t x = std::max(0, cx - r); x < std::min(w, cx + r); ++x) {
                const int32_t d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                if (d2 < r * r)
                    at(x, y) = uint8_t(std::max<int32_t>(at(x, y), 255 - 255 * d2 / (r * r)));
            }
    }
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t k = rng() % 40;
            if (k == 0)
                at(x, y) = uint8_t(rng());
            else if (k == 1)
                at(x, y) = 255;
        }
    // A selected border on two sides: shrinking must still see the zeros beyond it.
    for (int32_t x = 0; x < w; ++x)
        at(x, 0) = 255;
    for (int32_t y = 0; y < h; ++y)
        at(w - 1, y) = 200;
    return b;
}

} // namespace

TEST(FastEqualsReference, GrowAndShrinkGiveTheRowWindowsMask)
{
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const TSimdLevel was = simdLevel();
    for (const TSimdLevel level : supportedSimdLevels()) {
        ASSERT_TRUE(setSimdLevel(level));
        for (int32_t n = 1; n <= kSelectionGrowMax; ++n) {
            // Sizes from below one row block and one vector to several of each.
            const int32_t w = 1 + int32_t(rng() % 190), h = 1 + int32_t(rng() % 160);
            const std::vector<uint8_t> src = mixedMask(w, h, rng);
            for (const bool grow : {true, false}) {
                SCOPED_TRACE(testing::Message() << "level " << int(level) << " n " << n << " "
                                                << w << "x" << h << " grow " << grow);
                std::vector<uint8_t> got(src.size()), want(src.size());
                octagonExtreme(src, w, h, n, grow, got);
                octagonExtremeByRowWindow(src, w, h, n, grow, want);
                ASSERT_EQ(got, want);
            }
        }
    }
    setSimdLevel(was);
}
