// The free transform's area average sums its taps in double where that gives the extended sum's
// float, and in extended precision where it may not: against the sampler that sums every tap in
// extended precision, on footprints of every size, at edges a hair from a pixel border (coverages
// down to one unit of the last place, where the two sums lie far apart), and over pixels that are
// already partly covered.
#include "core/image/canvas.h"
#include "core/scale/view_render.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

TEST(FastEqualsReference, TheAreaAverageGivesTheExtendedSumsPixel)
{
    std::mt19937 rng(41);
    TMTC src(67, 53);
    for (int32_t y = 0; y < src.height(); ++y)
        for (int32_t x = 0; x < src.width(); ++x) {
            const uint32_t kind = rng() % 6;
            src.seek32(x, y)->all = kind == 0   ? 0u
                                    : kind == 1 ? 0xFFFFFFFFu
                                    : kind == 2 ? (uint32_t(rng()) & 0x00FFFFFFu) | 0x01000000u
                                                : uint32_t(rng());
        }
    // A coordinate a little inside [0, side): whole, a hair either side of a border, or free.
    const auto coordinate = [&](int32_t side) {
        const float base = float(rng() % uint32_t(side));
        switch (rng() % 4) {
        case 0:
            return base;
        case 1:
            return std::nextafter(base, 0.0f);
        case 2:
            return std::nextafter(base + 1, 0.0f);
        default:
            return base + float(rng() % 1000) / 1000.0f;
        }
    };
    const float steps[] = {0.3f, 1.0f, 1.0f, 2.0f, 3.0f, 7.5f, 20.0f};
    for (int k = 0; k < 40000; ++k) {
        const float step = steps[rng() % std::size(steps)];
        // Some rectangles start left of or above the source, some end past it.
        sFRect r{coordinate(src.width()) - (rng() % 9 == 0 ? 5.0f : 0.0f),
                 coordinate(src.height()) - (rng() % 9 == 0 ? 5.0f : 0.0f), 0, 0};
        r.x1 = rng() % 3 == 0 ? std::nextafter(std::ceil(r.x0 + step), 0.0f) : r.x0 + step;
        r.y1 = rng() % 3 == 0 ? std::nextafter(std::ceil(r.y0 + step), 0.0f) : r.y0 + step;
        sFRect want = r;
        sBGRA got, ref;
        got.all = ref.all = rng() % 2 ? 0u : uint32_t(rng());
        averageAreaF(&got, src, r);
        averageAreaFByTap(&ref, src, want);
        ASSERT_EQ(got.all, ref.all) << "rectangle " << k << ": " << want.x0 << ", " << want.y0
                                    << " to " << want.x1 << ", " << want.y1;
        ASSERT_EQ(r.x0, want.x0);
        ASSERT_EQ(r.y1, want.y1);
    }
}
