#include "filters/algorithms/sharpen_filters.h"

#include "core/base/numeric.h"
#include "core/image/canvas.h"
#include "core/scale/scale_image.h"
#include "core/tiles/block_layer_image.h"
#include "filters/core/pixel_mechanics.h"
#include "filters/core/pixel_toolkit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

template <class R> R readRecord(const void *argp)
{
    R r;
    std::memcpy(&r, argp, sizeof r);
    return r;
}

constexpr sBox k3x3{-1, -1, 3, 3};

// The largest side a 16.16 position can address.
constexpr int32_t kMaxFixSide = 32767;

} // namespace

bool fltSharpen(sFlt4Params &p, const void *, int32_t args)
{
    static constexpr int32_t k[9] = {0, -1, 0, -1, 8, -1, 0, -1, 0};
    return checkFilterFrame(p, args, 0) && convolveKernel(p, k, k3x3, 0);
}

bool fltSharpenMore(sFlt4Params &p, const void *, int32_t args)
{
    static constexpr int32_t k[9] = {-1, -1, -1, -1, 12, -1, -1, -1, -1};
    return checkFilterFrame(p, args, 0) && convolveKernel(p, k, k3x3, 0);
}

bool customSharpenStrength(float amount, int32_t &k)
{
    if (!std::isfinite(amount))
        return false;
    const long double base = amount * std::pow(240.0L, 1.5L) + 0.5L;
    // A negative base has no real power (the original stopped with an error).
    if (base < 0)
        return false;
    const long double v = std::trunc(std::pow(base, 2.0L / 3.0L));
    if (v > 0x1FFFFFFF)
        return false;
    k = int32_t(v);
    return true;
}

bool fltSharpenCustom(sFlt4Params &p, const void *argp, int32_t args)
{
    if (!checkFilterFrame(p, args, kFltObj2Size) || !argp)
        return false;
    int32_t k = 0;
    if (!customSharpenStrength(readRecord<sFltObj2>(argp).data0._float, k))
        return false;
    // k = 0 leaves the centre alone in the kernel: every pixel stays as it is.
    if (k == 0) {
        p.unchanged = true;
        return true;
    }
    const int32_t w[9] = {0, -k, 0, -k, 999, -k, 0, -k, 0};
    return convolveKernel(p, w, k3x3, 0);
}

bool fltFindEdges(sFlt4Params &p, const void *, int32_t args)
{
    if (!checkFilterFrame(p, args, 0))
        return false;
    const int32_t w = p.layerTC->width(), h = p.layerTC->height();
    const TMTC &flow = *p.flowTC;
    return walkDstRect(p, [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
        const sBGRA *r0 = flow.seek32(0, std::max(y - 1, 0));
        const sBGRA *r1 = flow.seek32(0, y);
        const sBGRA *r2 = flow.seek32(0, std::min(y + 1, h - 1));
        const int32_t xl = std::max(x - 1, 0), xr = std::min(x + 1, w - 1);
        const sBGRA c = r1[x];
        // Upper-left, upper, upper-right, left, right, lower-left, lower, lower-right.
        const sBGRA n[8] = {r0[xl], r0[x], r0[xr], r1[xl], r1[xr], r2[xl], r2[x], r2[xr]};
        static constexpr int32_t wt[8] = {2, 3, 2, 3, 3, 2, 3, 2};
        int32_t sb = 0, sg = 0, sr = 0;
        for (int i = 0; i < 8; ++i) {
            sb += wt[i] * std::abs(c.B - n[i].B);
            sg += wt[i] * std::abs(c.G - n[i].G);
            sr += wt[i] * std::abs(c.R - n[i].R);
        }
        sBGRA out = c;
        out.B = clampByte(255 - sb / 5);
        out.G = clampByte(255 - sg / 5);
        out.R = clampByte(255 - sr / 5);
        pixelPutAlpha(&px, out.all, uint32_t(m));
    });
}

bool fltEmboss(sFlt4Params &p, const void *argp, int32_t args)
{
    if (!checkFilterFrame(p, args, kFltObj4Size) || !argp)
        return false;
    const auto r = readRecord<sFltObj4>(argp);
    const int32_t angle = r.data0.all, amount = r.data2.all;
    const float height = r.data1._float;
    // A height of 65536 or more would wrap its 16.16 offsets.
    if (!std::isfinite(height) || std::fabs(height) >= 65536.0f)
        return false;
    const int32_t w = p.layerTC->width(), h = p.layerTC->height();
    if (w > kMaxFixSide || h > kMaxFixSide)
        return false;
    const long double a = amount / 100.0L;
    sFXPos off[2];
    for (int i = 0; i < 2; ++i) {
        const long double theta =
            ((int64_t(angle) + 180 * i) % 360) * std::numbers::pi_v<long double> / 180;
        off[i] = {floatToFix(float(std::cos(theta) * height / 2)) + 0x8000,
                  floatToFix(float(std::sin(theta) * height / 2)) + 0x8000};
    }
    CScaleImageTMTC scaler(p.flowTC, nullptr);
    scaler.srcSize = {w, h};
    const sRect box{0, 0, w << 16, h << 16};
    // Positions farther out than half a pixel beyond the box all sample the same edge strip:
    // holding them a pixel beyond keeps the sums inside 32 bits.
    const auto place = [&](int32_t v, int32_t o, int32_t hi) {
        return int32_t(std::clamp<int64_t>((int64_t(v) << 16) + o, -0x10000, int64_t(hi) + 0x10000));
    };
    return walkDstRect(p, [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
        sBGRA s[2];
        for (int i = 0; i < 2; ++i)
            sampleSquare(s[i], scaler, mixColour, box,
                         sFXPos{place(x, off[i].x, box.x1), place(y, off[i].y, box.y1)});
        const auto ch = [&](uint8_t c0, uint8_t c1) {
            const long double v = std::trunc((int32_t(c0) - int32_t(c1)) * a + 127.5L);
            return clampByte(v);
        };
        sBGRA out = px;
        out.B = ch(s[0].B, s[1].B);
        out.G = ch(s[0].G, s[1].G);
        out.R = ch(s[0].R, s[1].R);
        pixelPutAlpha(&px, out.all, uint32_t(m));
    });
}
