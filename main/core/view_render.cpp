#include "core/view_render.h"

#include "core/numeric.h"
#include "core/scale_image.h"

#include <cmath>
#include <cstring>

namespace {

// The mapping works in 32-bit 16.16 values that wrap, as fixMul does.
inline int32_t wrapAdd(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }
inline int32_t wrapSub(int32_t a, int32_t b) { return int32_t(uint32_t(a) - uint32_t(b)); }

// The 16.16 offset of pixel i's centre from the middle of n pixels: (i shl 16) + $8000 - n x $8000.
inline int32_t centreOffset(int32_t i, int32_t n)
{
    return wrapSub(wrapAdd(int32_t(uint32_t(i) << 16), 0x8000), int32_t(uint32_t(n) * 0x8000u));
}

// round(65536 / scale); 0 when the scale cannot be mapped (not positive, or a side past 2^30).
int32_t sideOf(float scale)
{
    if (!(scale > 0))
        return 0;
    const long double side = 65536.0L / scale;
    return side > (1 << 30) ? 0 : roundToInt32(side);
}

} // namespace

void renderRotatedBytes(uint8_t *dst, const uint8_t *src, const sSize &dstSize, uint8_t outside,
                        float scaleY, float scaleX, float angle, const sPos &centre,
                        const sSize &srcSize)
{
    if (dstSize.x <= 0 || dstSize.y <= 0)
        return;
    const int32_t hx = sideOf(scaleX), hy = sideOf(scaleY);
    if (hx == 0 || hy == 0) {
        std::memset(dst, outside, size_t(dstSize.x) * size_t(dstSize.y));
        return;
    }
    const int32_t s = roundToInt32(std::sin((long double)angle) * 65536.0L);
    const int32_t c = roundToInt32(std::cos((long double)angle) * 65536.0L);
    const int32_t cx = wrapSub(int32_t(uint32_t(centre.x) << 16), hx / 2);
    const int32_t cy = wrapSub(int32_t(uint32_t(centre.y) << 16), hy / 2);
    CScaleImageBYTE scaler(src, nullptr, srcSize, {});
    for (int32_t y = 0; y < dstSize.y; ++y) {
        const int32_t py = centreOffset(y, dstSize.y);
        uint8_t *d = dst + size_t(y) * size_t(dstSize.x);
        for (int32_t x = 0; x < dstSize.x; ++x, ++d) {
            const int32_t px = centreOffset(x, dstSize.x);
            const int32_t x0 = wrapAdd(fixMul(wrapSub(fixMul(px, c), fixMul(py, s)), hx), cx);
            const int32_t y0 = wrapAdd(fixMul(wrapAdd(fixMul(px, s), fixMul(py, c)), hy), cy);
            sRect r = {x0, y0, wrapAdd(x0, hx), wrapAdd(y0, hy)};
            if (!scaler.calcSrcRect(d, r))
                *d = outside;
        }
    }
}
