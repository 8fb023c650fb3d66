#include "filters/algorithms/gen1_filters.h"

#include "core/base/numeric.h"
#include "core/mask/mask_manager.h"
#include "core/pixel/colour_models.h"
#include "core/tiles/block_layer_image.h"
#include "document/selection/effect_rect.h"
#include "filters/core/pixel_mechanics.h"
#include "filters/core/pixel_toolkit.h"
#include "paint/render/stroke_base_puts.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <limits>

std::array<uint8_t, 256> gOrgTableR{};
std::array<uint8_t, 256> gOrgTableG{};
std::array<uint8_t, 256> gOrgTableB{};

namespace {

// An Integer assignment of a wider value keeps its low 32 bits.
int32_t low32(int64_t v)
{
    return int32_t(uint32_t(uint64_t(v)));
}

void setAllTables(const std::array<uint8_t, 256> &t)
{
    gOrgTableR = gOrgTableG = gOrgTableB = t;
}

// The effect rectangle (cut to rect when given) and the selection weights of one call.
struct OrgFrame
{
    CBlockVMTC *image = nullptr;
    const CMaskData *mask = nullptr;
    bool hasMask = false;
    sPos d; // mask position of layer pixel (0, 0)
    sRect r;

    // The mask weight of layer pixel (x, y): 255 without selection content.
    int32_t weight(int32_t x, int32_t y) const
    {
        return hasMask ? int32_t(mask->effectMask(x + d.x, y + d.y, 255)) : 255;
    }
};

bool orgFrame(OrgFrame &f, const SFilterLayerView &layer, const CMaskData *mask, sRect *rect)
{
    if (!layer.image || !getEffectRect(layer.image, layer.viewPos, mask, f.r))
        return false;
    if (rect) {
        if (!rectIntersect(f.r, *rect))
            return false;
        *rect = f.r;
    }
    f.image = layer.image;
    f.mask = mask;
    f.hasMask = CMaskData::hasMask(mask);
    if (f.hasMask)
        f.d = {mask->viewPos.x - layer.viewPos.x, mask->viewPos.y - layer.viewPos.y};
    return true;
}

// f(x, y, pixel, m) for each pixel of the frame's rectangle with weight m > 0, rows outer.
template <class F> bool walkOrg(const OrgFrame &fr, F f)
{
    for (int32_t y = fr.r.y0; y < fr.r.y1; ++y)
        for (int32_t x = fr.r.x0; x < fr.r.x1; ++x) {
            const int32_t m = fr.weight(x, y);
            if (m <= 0)
                continue;
            sBGRA *px = fr.image->seekPixelNC(x, y);
            if (!px)
                return false;
            f(x, y, *px, m);
        }
    return true;
}

// walkOrg in bands of rows on the work threads, once the layer blocks that walkOrg would commit
// are committed here, in its order (committing adds to the layer's trace). makeBand() gives
// each band its f, which must only read what other bands may read at the same time.
template <class MakeBand> bool walkOrgBands(const OrgFrame &fr, MakeBand makeBand)
{
    constexpr int32_t kUnit = CBlockVMTC::kUnit;
    const sRect r = fr.r;
    if (r.y1 <= r.y0 || r.x1 <= r.x0)
        return true;
    for (int32_t y = r.y0; y < r.y1; ++y)
        for (int32_t x0 = r.x0; x0 < r.x1;) {
            const int32_t n = std::min(r.x1, (x0 & ~(kUnit - 1)) + kUnit) - x0;
            const SBlockPack *pack = fr.image->seekBlock(x0, y);
            if (!pack || !pack->commit)
                for (int32_t i = 0; i < n; ++i)
                    if (fr.weight(x0 + i, y) > 0) {
                        if (!fr.image->seekPixelNC(x0 + i, y))
                            return false;
                        break;
                    }
            x0 += n;
        }
    std::atomic<bool> ok{true};
    parallelRanges(r.y1 - r.y0, 4, [&](int32_t r0, int32_t r1) {
        OrgFrame band = fr;
        band.r.y0 = r.y0 + r0, band.r.y1 = r.y0 + r1;
        if (!walkOrg(band, makeBand()))
            ok = false;
    });
    return ok;
}

// The fast walk in bands when the source is not the layer being written, else the serial one.
template <class MakeBand>
bool walkOrgAs(eWalk walk, const CBlockVMTC &source, const OrgFrame &fr, MakeBand makeBand)
{
    if (walk == eWalk::Fast && &source != fr.image)
        return walkOrgBands(fr, makeBand);
    return walkOrg(fr, makeBand());
}

bool sameSize(const CBlockVMTC &source, const SFilterLayerView &layer)
{
    return source.FPSZ() == layer.image->FPSZ();
}

// x^y on a Single base in extended precision.
long double powExt(float base, float exponent)
{
    return std::pow((long double)base, (long double)exponent);
}

// The samples of the older motion and radial blurs: count source pixels from 16.16 offset
// (ox, oy) in steps of (sx, sy), each offset divided by 65536 toward zero; the alpha-weighted
// mean colour and the mean alpha, put at m. Nothing when every sample is transparent.
void sampleLine(const CBlockVMTC &source, sBGRA &px, int32_t x, int32_t y, int64_t ox,
                int64_t oy, int64_t sx, int64_t sy, int64_t count, int32_t m,
                fptrPixelPut4core put)
{
    uint64_t sa = 0, sb = 0, sg = 0, sr = 0;
    for (int64_t k = 0; k < count; ++k, ox += sx, oy += sy) {
        const int64_t px64 = x + ox / 65536, py64 = y + oy / 65536;
        const int32_t cx = int32_t(std::clamp<int64_t>(px64, -1, source.width()));
        const int32_t cy = int32_t(std::clamp<int64_t>(py64, -1, source.height()));
        const sBGRA c{.all = source.PixelGet(cx, cy)};
        sa += c.A;
        sb += uint64_t(c.B) * c.A;
        sg += uint64_t(c.G) * c.A;
        sr += uint64_t(c.R) * c.A;
    }
    if (sa == 0 || count <= 0)
        return;
    sBGRA out;
    out.B = uint8_t(std::min<uint64_t>(sb / sa, 255));
    out.G = uint8_t(std::min<uint64_t>(sg / sa, 255));
    out.R = uint8_t(std::min<uint64_t>(sr / sa, 255));
    out.A = uint8_t(std::min<uint64_t>(sa / uint64_t(count), 255));
    put(&px, out.all, uint32_t(m));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The pixel matrix and the small helpers

void TPixelMatrix::setWeights(const std::array<float, 9> &w)
{
    m_f00 = w[0], m_f01 = w[1], m_f02 = w[2];
    m_f10 = w[3], m_f11 = w[4], m_f12 = w[5];
    m_f20 = w[6], m_f21 = w[7], m_f22 = w[8];
}

void TPixelMatrix::setPixels(const std::array<sBGRA, 9> &p)
{
    m_p00 = p[0], m_p01 = p[1], m_p02 = p[2];
    m_p10 = p[3], m_p11 = p[4], m_p12 = p[5];
    m_p20 = p[6], m_p21 = p[7], m_p22 = p[8];
}

sBGRA TPixelMatrix::calcPixel() const
{
    float s = float((long double)m_f10 + m_f11 + m_f12);
    if (s == 0)
        s = 1;
    const auto byte = [&](uint8_t above, uint8_t centre, uint8_t below) {
        const long double v =
            ((long double)m_f10 * above + (long double)m_f11 * centre + (long double)m_f12 * below) /
            s;
        return clampByte(std::trunc(v));
    };
    sBGRA out;
    out.B = byte(m_p01.B, m_p11.B, m_p21.B);
    out.G = byte(m_p01.G, m_p11.G, m_p21.G);
    out.R = byte(m_p01.R, m_p11.R, m_p21.R);
    out.A = byte(m_p01.A, m_p11.A, m_p21.A);
    return out;
}

float powerSingle(float base, float exponent)
{
    return float(powExt(base, exponent) / powExt(1.0f, exponent));
}

float gammaFactor(float x)
{
    const float g = float(1.0L - std::fabs((long double)x) * 0.007L);
    return x < 0 ? g : float(1.0L / g);
}

// ---------------------------------------------------------------------------------------------
// The tables

bool buildOrgPosterizeTable(int32_t levels)
{
    if (levels < 2 || levels > 254)
        return false;
    const float step = float(255.0L / levels);
    const float outStep = float(255.0L / (levels - 1));
    float t = 0, v = 0;
    std::array<uint8_t, 256> table{};
    for (int32_t i = 0; i < 256; ++i) {
        // The entry is taken before the step: a new level starts one input after its threshold.
        table[size_t(i)] = clampByte(std::trunc((long double)v));
        if ((long double)i >= (long double)t + step) {
            t = float((long double)t + step);
            v = float((long double)v + outStep);
        }
    }
    setAllTables(table);
    return true;
}

bool buildOrgLevelsTable(int32_t inBlack, int32_t inMid, int32_t inWhite, int32_t outBlack,
                         int32_t outWhite)
{
    std::array<uint8_t, 256> table{};
    // A zero divisor with a non-zero dividend is refused; 0 / 0 (input exactly on a point that
    // coincides with its neighbour) takes the quotient 0.
    const auto quotient = [](long double num, long double den, long double &q) {
        if (den == 0) {
            q = 0;
            return num == 0;
        }
        q = num / den;
        return true;
    };
    for (int32_t i = 0; i < 256; ++i) {
        float v = float(i);
        v = std::max(v, float(inBlack));
        v = std::min(v, float(inWhite));
        long double q;
        float t;
        if ((long double)inMid > v) {
            if (!quotient((long double)v - inBlack, (long double)inMid - inBlack, q))
                return false;
            t = float(q * 0.5L);
        } else {
            if (!quotient((long double)v - inMid, (long double)inWhite - inMid, q))
                return false;
            t = float(q * 0.5L + 0.5L);
        }
        const long double e =
            (long double)trunc64(((long double)outWhite - outBlack) * t) + outBlack;
        table[size_t(i)] = clampByte(e);
    }
    setAllTables(table);
    return true;
}

bool buildOrgBrightnessContrastTable(int32_t contrast, int32_t brightness)
{
    std::array<float, 256> d{};
    const float gb = gammaFactor(float(-(long double)brightness));
    for (int32_t i = 0; i < 256; ++i) {
        const float t = float(i / 255.0L);
        d[size_t(i)] = float(powExt(t, gb) - t);
    }
    const float g1 = gammaFactor(float(contrast));
    const float g2 = gammaFactor(float(-(long double)contrast));
    for (int32_t i = 0; i < 128; ++i) {
        const float t = float(i / 127.0L);
        d[size_t(i)] = float(d[size_t(i)] + powExt(t, g1) - t);
        d[size_t(i) + 128] = float(d[size_t(i) + 128] + powExt(t, g2) - t);
    }
    std::array<uint8_t, 256> table{};
    for (int32_t i = 0; i < 256; ++i) {
        // A factor at or beyond its pole makes the curve infinite: such a record is refused.
        if (!std::isfinite(d[size_t(i)]))
            return false;
        float v = float(i / 255.0L + d[size_t(i)]);
        v = std::clamp(v, 0.0f, 1.0f);
        table[size_t(i)] = clampByte(std::trunc((long double)v * 255));
    }
    setAllTables(table);
    return true;
}

// ---------------------------------------------------------------------------------------------
// The table filters

bool applyOrgTables(const SFilterLayerView &layer, const CMaskData *mask, sRect *rect)
{
    OrgFrame fr;
    if (!orgFrame(fr, layer, mask, rect))
        return false;
    return walkOrg(fr, [](int32_t, int32_t, sBGRA &px, int32_t m) {
        if (px.A == 0)
            return;
        sBGRA c;
        c.B = gOrgTableB[px.B];
        c.G = gOrgTableG[px.G];
        c.R = gOrgTableR[px.R];
        c.A = px.A;
        pixelPutAlpha(&px, c.all, uint32_t(m));
    });
}

bool orgFltPosterize(const SFilterLayerView &layer, const CMaskData *mask, int32_t levels,
                     sRect *rect)
{
    sRect r;
    if (!layer.image || !getEffectRect(layer.image, layer.viewPos, mask, r))
        return false;
    return buildOrgPosterizeTable(levels) && applyOrgTables(layer, mask, rect);
}

bool orgFltLevels(const SFilterLayerView &layer, const CMaskData *mask, int32_t inBlack,
                  int32_t inMid, int32_t inWhite, int32_t outBlack, int32_t outWhite, sRect *rect)
{
    sRect r;
    if (!layer.image || !getEffectRect(layer.image, layer.viewPos, mask, r))
        return false;
    return buildOrgLevelsTable(inBlack, inMid, inWhite, outBlack, outWhite) &&
           applyOrgTables(layer, mask, rect);
}

bool orgFltBrightnessContrast(const SFilterLayerView &layer, const CMaskData *mask,
                              int32_t contrast, int32_t brightness, sRect *rect)
{
    sRect r;
    if (!layer.image || !getEffectRect(layer.image, layer.viewPos, mask, r))
        return false;
    return buildOrgBrightnessContrastTable(contrast, brightness) &&
           applyOrgTables(layer, mask, rect);
}

// ---------------------------------------------------------------------------------------------
// Hue and saturation

namespace {

// S[i] in 16.16: the saturation scaled by c = Trunc(s 2.55).
bool orgSaturationTable(int32_t s, std::array<int32_t, 256> &t)
{
    const int64_t c = low32(trunc64((long double)s * 2.55L));
    if (c >= 0) {
        const int64_t k = 256 - c;
        if (k == 0)
            return false;
        const int64_t last = std::min<int64_t>(k, 255);
        int64_t i = 0;
        for (; i <= last; ++i)
            t[size_t(i)] = low32(trunc64((long double)i * 255 / k * 65536));
        for (i = std::max<int64_t>(i, 0); i < 256; ++i)
            t[size_t(i)] = 255 * 65536;
    } else {
        const int64_t k = c + 256;
        for (int64_t i = 0; i < 256; ++i)
            t[size_t(i)] = low32(trunc64((long double)i * k / 255 * 65536));
    }
    return true;
}

// L[i] in 16.16: two power curves meeting at 128; exactly 256 entries for l in -127..127.
bool orgLightnessTable(int32_t l, std::array<int32_t, 256> &t)
{
    if (l < -127 || l > 127)
        return false;
    const float p = gammaFactor(float(std::abs(l)));
    const float q = gammaFactor(float(-std::abs(l)));
    size_t idx = 0;
    const int32_t lower = 128 - l, upper = l + 127;
    for (int32_t i = 0; i <= lower; ++i)
        t[idx++] = low32(trunc64(std::pow((long double)i / lower, (long double)p) * 128 * 65536));
    for (int32_t i = 1; i <= upper; ++i)
        t[idx++] = low32(
            trunc64((std::pow((long double)i / upper, (long double)q) * 127 + 128) * 65536));
    return idx == 256;
}

size_t tableIndex(int32_t v16)
{
    return size_t(std::clamp(v16 >> 16, 0, 255));
}

} // namespace

bool orgFltHueSaturation(const SFilterLayerView &layer, const CMaskData *mask, int32_t hue,
                         int32_t saturation, int32_t lightness, sRect *rect)
{
    std::array<int32_t, 256> sat{}, light{};
    if (!orgSaturationTable(saturation, sat) || !orgLightnessTable(lightness, light))
        return false;
    OrgFrame fr;
    if (!orgFrame(fr, layer, mask, rect))
        return false;
    // Whole turns change nothing (the conversion back folds them), so the shift is taken modulo
    // 360 degrees, which keeps the 16.16 sum inside the Integer range.
    const int32_t shift = posMod(hue, 360) << 16;
    return walkOrg(fr, [&](int32_t, int32_t, sBGRA &px, int32_t m) {
        if (px.A == 0)
            return;
        sFixHSL hsl;
        rgbToHSL(colorSwapRB(px.all), hsl);
        hsl.h += shift;
        hsl.l = light[tableIndex(hsl.l)];
        hsl.s = sat[tableIndex(hsl.s)];
        uint8_t rgb[3];
        hslToRGB(hsl, rgb);
        sBGRA c = px;
        c.R = rgb[0], c.G = rgb[1], c.B = rgb[2];
        pixelPutAlpha(&px, c.all, uint32_t(m));
    });
}

// ---------------------------------------------------------------------------------------------
// Greyscale and the 3 x 3 kernel

bool orgFltGrayscale(const SFilterLayerView &layer, const CMaskData *mask)
{
    OrgFrame fr;
    if (!orgFrame(fr, layer, mask, nullptr))
        return false;
    // The whole image would be walked; outside the effect rectangle every weight is 0.
    return walkOrg(fr, [](int32_t, int32_t, sBGRA &px, int32_t m) {
        if (px.A == 0)
            return;
        const uint32_t y = pixelLuma(px);
        pixelPutAlpha(&px, y * 0x01010101u, uint32_t(m));
    });
}

bool orgFltKernel3(const CBlockVMTC &source, const SFilterLayerView &layer, const CMaskData *mask,
                   const std::array<float, 9> &weights)
{
    OrgFrame fr;
    if (!orgFrame(fr, layer, mask, nullptr) || !sameSize(source, layer))
        return false;
    TPixelMatrix mx;
    mx.setWeights(weights);
    return walkOrg(fr, [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
        std::array<sBGRA, 9> block;
        for (int32_t j = 0; j < 3; ++j)
            for (int32_t i = 0; i < 3; ++i)
                block[size_t(j * 3 + i)].all = source.PixelGet(x + i - 1, y + j - 1);
        mx.setPixels(block);
        pixelPutAlpha(&px, mx.calcPixel().all, uint32_t(m));
    });
}

bool orgFltSharpen(const CBlockVMTC &source, const SFilterLayerView &layer, const CMaskData *mask)
{
    return orgFltKernel3(source, layer, mask, {-1, -1, -1, -1, 9, -1, -1, -1, -1});
}

bool orgFltSharpenMore(const CBlockVMTC &source, const SFilterLayerView &layer,
                       const CMaskData *mask)
{
    return orgFltKernel3(source, layer, mask, {-1, -1, -1, -1, 3, -1, -1, -1, -1});
}

// ---------------------------------------------------------------------------------------------
// Noise and mosaic

bool orgFltNoise(const CBlockVMTC &source, const SFilterLayerView &layer, const CMaskData *mask,
                 int32_t amount, bool monochrome, uint32_t seed, sRect *rect)
{
    OrgFrame fr;
    if (!orgFrame(fr, layer, mask, rect) || !sameSize(source, layer))
        return false;
    gRandSeed = seed;
    const int64_t h = amount / 2;
    const uint32_t n = uint32_t(amount);
    for (int32_t y = fr.r.y0; y < fr.r.y1; ++y)
        for (int32_t x = fr.r.x0; x < fr.r.x1; ++x) {
            const sBGRA src{.all = source.PixelGet(x, y)};
            if (src.A == 0)
                continue;
            const int32_t m = fr.weight(x, y);
            if (m <= 0)
                continue;
            // Skipped pixels draw nothing: the sequence depends on the selection.
            const int64_t r = int64_t(randomBelow(n)) - h;
            int64_t g = r, b = r;
            if (!monochrome) {
                g = int64_t(randomBelow(n)) - h;
                b = int64_t(randomBelow(n)) - h;
            }
            sBGRA *px = fr.image->seekPixelNC(x, y);
            if (!px)
                return false;
            sBGRA c = src;
            c.R = clampByte((long double)(src.R + r));
            c.G = clampByte((long double)(src.G + g));
            c.B = clampByte((long double)(src.B + b));
            pixelPutAlpha(px, c.all, uint32_t(m));
        }
    return true;
}

namespace {

// The put applied k times to one pixel. Each put moves every byte monotonically towards the
// colour, so after at most a few hundred changes the pixel stops changing.
void putRepeated(sBGRA &px, uint32_t col, uint32_t m, uint64_t k, fptrPixelPut4core put)
{
    for (uint64_t i = 0; i < k; ++i) {
        const uint32_t before = px.all;
        put(&px, col, m);
        if (px.all == before)
            return;
    }
}

} // namespace

bool orgFltMosaic(const CBlockVMTC &source, const SFilterLayerView &layer, const CMaskData *mask,
                  int32_t size, bool protect, sRect *rect)
{
    if (size <= 1)
        return false;
    OrgFrame fr;
    if (!orgFrame(fr, layer, mask, rect) || !sameSize(source, layer))
        return false;
    const int64_t n = size, w = layer.image->width(), h = layer.image->height();
    const fptrPixelPut4core put = protect ? pixelPutAlpha : pixelPutWithAlpha;
    using u128 = unsigned __int128;
    const u128 area = u128(uint64_t(n)) * uint64_t(n);
    // A cell reads n x n clamped positions: the cell's part inside the image, its last column
    // and row standing for every position beyond the edge. Sums and writes go over the part
    // inside, each pixel counted (and put) as often as clamped positions fall on it.
    for (int64_t cy = fr.r.y0 / n; cy <= (fr.r.y1 - 1) / n; ++cy)
        for (int64_t cx = fr.r.x0 / n; cx <= (fr.r.x1 - 1) / n; ++cx) {
            const int64_t x0 = cx * n, y0 = cy * n;
            const int64_t x1 = std::min(x0 + n, w), y1 = std::min(y0 + n, h);
            const uint64_t extraX = uint64_t(x0 + n - x1), extraY = uint64_t(y0 + n - y1);
            const auto mult = [&](int64_t x, int64_t y) {
                return (x == x1 - 1 ? 1 + extraX : 1) * (y == y1 - 1 ? 1 + extraY : 1);
            };
            u128 sa = 0, sb = 0, sg = 0, sr = 0;
            for (int64_t y = y0; y < y1; ++y)
                for (int64_t x = x0; x < x1; ++x) {
                    const sBGRA c{.all = source.getColor(int32_t(x), int32_t(y))};
                    const u128 k = mult(x, y);
                    sa += k * c.A;
                    sb += k * c.A * c.B;
                    sg += k * c.A * c.G;
                    sr += k * c.A * c.R;
                }
            if (sa == 0)
                continue;
            sBGRA col;
            col.B = uint8_t(sb / sa), col.G = uint8_t(sg / sa), col.R = uint8_t(sr / sa);
            col.A = uint8_t(std::min<u128>(sa / area, 255));
            for (int64_t y = y0; y < y1; ++y)
                for (int64_t x = x0; x < x1; ++x) {
                    const int32_t m = fr.weight(int32_t(x), int32_t(y));
                    if (m <= 0)
                        continue;
                    sBGRA *px = fr.image->seekPixelNC(int32_t(x), int32_t(y));
                    if (!px)
                        return false;
                    putRepeated(*px, col.all, uint32_t(m), mult(x, y), put);
                }
        }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Motion and radial blur

namespace {

// Sample counts grow with the distance: larger values are refused.
constexpr float kMaxOrgReach = 32767.0f;
// Centres beyond this many pixels are refused, which keeps the 16.16 offsets inside 64 bits.
constexpr int32_t kMaxOrgCentre = 1 << 20;

} // namespace

namespace {

bool orgMotionBlur(const CBlockVMTC &source, const SFilterLayerView &layer, const CMaskData *mask,
                   float distance, float angle, bool protect, eWalk walk)
{
    if (!std::isfinite(distance) || !std::isfinite(angle) || distance > kMaxOrgReach)
        return false;
    OrgFrame fr;
    if (!orgFrame(fr, layer, mask, nullptr) || !sameSize(source, layer))
        return false;
    const float f = float(std::cos((long double)angle) * distance);
    const float g = float(std::sin((long double)angle) * distance);
    const int64_t ox = trunc64((long double)f * 65536), oy = trunc64((long double)g * 65536);
    // Distance 0 takes its one sample at offset 0 instead of stepping by 0 / 0.
    int64_t sx = 0, sy = 0;
    if (distance != 0) {
        sx = trunc64(-2.0L * f / (3.0L * distance) * 65536);
        sy = trunc64(-2.0L * g / (3.0L * distance) * 65536);
    }
    const int64_t count = trunc64((long double)distance * 3) + 1;
    const fptrPixelPut4core put = protect ? pixelPutAlpha : pixelPutWithAlpha;
    return walkOrgAs(walk, source, fr, [&] {
        return [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
            sampleLine(source, px, x, y, ox, oy, sx, sy, count, m, put);
        };
    });
}

bool orgRadialBlur(const CBlockVMTC &source, const SFilterLayerView &layer, const CMaskData *mask,
                   float amount, int32_t centreX, int32_t centreY, bool protect, eWalk walk)
{
    if (!std::isfinite(amount) || amount > kMaxOrgReach || std::abs(int64_t(centreX)) > kMaxOrgCentre ||
        std::abs(int64_t(centreY)) > kMaxOrgCentre)
        return false;
    OrgFrame fr;
    if (!orgFrame(fr, layer, mask, nullptr) || !sameSize(source, layer))
        return false;
    const int32_t hw = layer.image->width() / 2, hh = layer.image->height() / 2;
    const float r = float(std::sqrt((long double)hw * hw + (long double)hh * hh));
    // A 1 x 1 layer (r = 0) or amount 0 would step by a quotient over 0: nothing changes.
    if (r == 0 || amount == 0)
        return true;
    const float k = float((long double)amount / r);
    const int64_t count = trunc64((long double)amount * 2) + 1;
    const fptrPixelPut4core put = protect ? pixelPutAlpha : pixelPutWithAlpha;
    // Each band keeps the vertical offsets of its current row.
    return walkOrgAs(walk, source, fr, [&] {
        return [&, rowY = std::numeric_limits<int32_t>::min(), oy = int64_t(0),
                sy = int64_t(0)](int32_t x, int32_t y, sBGRA &px, int32_t m) mutable {
            if (y != rowY) {
                rowY = y;
                const float o = float((long double)k * (int64_t(y) - centreY) / 2);
                oy = trunc64(-(long double)o * 65536);
                sy = trunc64((long double)o / amount * 65536);
            }
            const float v = float((long double)(int64_t(x) - centreX) * k / 2);
            const int64_t ox = trunc64(-(long double)v * 65536);
            const int64_t sx = trunc64((long double)v / amount * 65536);
            sampleLine(source, px, x, y, ox, oy, sx, sy, count, m, put);
        };
    });
}

} // namespace

bool orgFltMotionBlur(const CBlockVMTC &source, const SFilterLayerView &layer,
                      const CMaskData *mask, float distance, float angle, bool protect)
{
    return orgMotionBlur(source, layer, mask, distance, angle, protect, eWalk::Fast);
}

bool orgFltMotionBlurReference(const CBlockVMTC &source, const SFilterLayerView &layer,
                               const CMaskData *mask, float distance, float angle, bool protect)
{
    return orgMotionBlur(source, layer, mask, distance, angle, protect, eWalk::Plain);
}

bool orgFltRadialBlur(const CBlockVMTC &source, const SFilterLayerView &layer,
                      const CMaskData *mask, float amount, int32_t centreX, int32_t centreY,
                      bool protect)
{
    return orgRadialBlur(source, layer, mask, amount, centreX, centreY, protect, eWalk::Fast);
}

bool orgFltRadialBlurReference(const CBlockVMTC &source, const SFilterLayerView &layer,
                               const CMaskData *mask, float amount, int32_t centreX,
                               int32_t centreY, bool protect)
{
    return orgRadialBlur(source, layer, mask, amount, centreX, centreY, protect, eWalk::Plain);
}
