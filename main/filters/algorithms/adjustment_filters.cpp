#include "filters/algorithms/adjustment_filters.h"

#include "core/base/numeric.h"
#include "core/pixel/colour_models.h"
#include "filters/algorithms/gen1_filters.h"
#include "filters/core/pixel_mechanics.h"
#include "filters/core/pixel_toolkit.h"
#include "paint/gradient/gradation.h"
#include "paint/render/stroke_base_puts.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

template <class R> R readRecord(const void *argp)
{
    R r;
    std::memcpy(&r, argp, sizeof r);
    return r;
}

uint8_t cellByte(LDATA c, int k)
{
    return uint8_t(uint32_t(c.all) >> (8 * k));
}

ChannelTable identityTable()
{
    ChannelTable t;
    for (uint32_t i = 0; i < 256; ++i)
        t[i].all = i * 0x01010101u;
    return t;
}

// B, G and R of every entry from f(i); alpha identity.
template <class F> ChannelTable greyTable(F f)
{
    ChannelTable t = identityTable();
    for (int32_t i = 0; i < 256; ++i) {
        const uint8_t v = f(i);
        t[size_t(i)].B = t[size_t(i)].G = t[size_t(i)].R = v;
    }
    return t;
}

// A point operation without a record through a table of B, G, R entries f(i).
template <class F> bool applyGreyTable(sFlt4Params &p, int32_t args, F f)
{
    if (!checkFilterFrame(p, args, 0))
        return false;
    return applyChannelTables(p, greyTable(f), true);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Levels

int32_t to16(int32_t v)
{
    return int32_t(std::min<int64_t>(65536, trunc64(v * 257.003921568627451L + 0.5L)));
}

int32_t to8(int32_t v)
{
    return int32_t(std::min<int64_t>(255, trunc64(v * 255.0L / 65536.0L + 0.5L)));
}

int32_t pct16(int32_t v)
{
    return int32_t(trunc64(v * 655.36L + 0.5L));
}

namespace {

struct LevelsChannel
{
    int32_t black, mid, white, outBlack, outWhite; // 16.16 (mid from the percentage)
};

LevelsChannel levelsChannel(const sFltObj6 &r, int k)
{
    return {to16(cellByte(r.data0, k)), pct16(cellByte(r.data1, k)), to16(cellByte(r.data2, k)),
            to16(cellByte(r.data3, k)), to16(cellByte(r.data4, k))};
}

int32_t levelsValue(int32_t v, const LevelsChannel &c, bool linear)
{
    int64_t f;
    // Equal input black and white leave no range to divide by: the channel becomes a threshold
    // at black (0 at or below it, 1 above).
    if (c.white == c.black)
        f = v <= c.black ? 0 : 0x10000;
    else
        f = fixDiv(v - c.black, c.white - c.black);
    int64_t g;
    if (linear) {
        const int32_t m = (c.mid + 1) / 2;
        if (m < f)
            g = int64_t(fixDiv(fixMul(int32_t(f - m), 0x8000), 0x10000 - m)) + 0x8000;
        else
            g = fixDiv(fixMul(int32_t(f), 0x8000), m);
    } else {
        f = std::clamp<int64_t>(f, 0, 0x10000);
        if (c.mid <= 0x10000) {
            g = trunc64((long double)powerSingle(float(f / 65536.0L), float(c.mid / 65536.0L)) *
                        65536);
        } else {
            const float pw = powerSingle(float((0x10000 - f) / 65536.0L),
                                         float((0x20000 - (long double)c.mid) / 65536.0L));
            g = 0x10000 - trunc64((long double)pw * 65536);
        }
    }
    g = std::clamp<int64_t>(g, 0, 0x10000);
    const int64_t out = int64_t(fixMul(int32_t(g), c.outWhite - c.outBlack)) + c.outBlack;
    return int32_t(std::clamp<int64_t>(out, 0, 0x10000));
}

} // namespace

bool fltLevels(sFlt4Params &p, const void *argp, int32_t args)
{
    if (!checkFilterFrame(p, args, kFltObj6Size) || !argp)
        return false;
    const auto r = readRecord<sFltObj6>(argp);
    const bool linear = cellByte(r.data5, 0) != 0;
    const LevelsChannel master = levelsChannel(r, 0);
    const LevelsChannel red = levelsChannel(r, 1), green = levelsChannel(r, 2),
                        blue = levelsChannel(r, 3);
    ChannelTable t = identityTable();
    for (int32_t i = 0; i < 256; ++i) {
        const auto value = [&](const LevelsChannel &c) {
            return uint8_t(to8(levelsValue(levelsValue(to16(i), c, linear), master, linear)));
        };
        t[size_t(i)].R = value(red);
        t[size_t(i)].G = value(green);
        t[size_t(i)].B = value(blue);
    }
    return applyChannelTables(p, t, true);
}

// ---------------------------------------------------------------------------------------------
// Hue and saturation

namespace {

struct HueSatTables
{
    std::array<int32_t, 360> hue;
    std::array<int32_t, 256> sat;
    std::array<uint8_t, 256> lightBytes; // method 1
    std::array<int32_t, 256> lightCurve; // method 2
};

bool buildSaturation(HueSatTables &t, int32_t s, bool colourise)
{
    if (colourise) {
        const int64_t v = std::clamp<int64_t>((int64_t(s) * 255 + 50) / 100, 0, 255);
        t.sat.fill(int32_t(v << 16));
        return true;
    }
    for (int32_t j = 0; j < 256; ++j)
        t.sat[size_t(j)] = j << 16;
    if (s == 0)
        return true;
    const uint32_t a = s < 0 ? 0u - uint32_t(s) : uint32_t(s); // |s| as an Integer
    const long double den = 255.0L - int32_t(a * 253u) / 100.0L;
    if (s > 0 && den == 0)
        return false;
    for (int32_t j = 0; j < 256; ++j) {
        const int32_t v = j << 16;
        long double e;
        if (s < 0)
            e = v - int32_t(uint32_t(v) * a) / 100.0L; // the product is a 32-bit Integer
        else
            e = v / den * 255 + 0.5L;
        t.sat[size_t(j)] = int32_t(std::clamp<int64_t>(trunc64(e), 0, 0xFF0000));
    }
    return true;
}

void buildLightBytes(HueSatTables &t, int32_t l)
{
    const int64_t a = (std::abs(int64_t(l)) * 255 + 50) / 100;
    for (int64_t j = 0; j < 256; ++j) {
        int64_t v = j;
        if (l != 0)
            v = j - (a * j + 127) / 255 + (l > 0 ? a : 0);
        t.lightBytes[size_t(j)] = clampByte(v);
    }
}

// The curve has 129 - l entries below and l + 127 above: beyond -127..127 it would overrun its
// 256 entries (and 128 - l = 0 would divide by zero), so such a lightness is refused.
bool buildLightCurve(HueSatTables &t, int32_t l)
{
    if (l < -127 || l > 127)
        return false;
    const float b = float(1.0L - std::abs(l) * 0.007L);
    const float c = float(1.0L / b);
    size_t idx = 0;
    const int32_t lower = 128 - l, upper = l + 127;
    for (int32_t k = 0; k <= lower; ++k)
        t.lightCurve[idx++] =
            int32_t(trunc64((long double)powerSingle(float((long double)k / lower), c) * 128 * 65536));
    for (int32_t k = 1; k <= upper; ++k)
        t.lightCurve[idx++] = int32_t(trunc64(
            ((long double)powerSingle(float((long double)k / upper), b) * 127 + 128) * 65536));
    return idx == 256;
}

size_t byteIndex(int32_t v16)
{
    return size_t(std::clamp(v16 >> 16, 0, 255));
}

} // namespace

namespace {

// The colours last met and what they became, for a conversion that depends on B, G and R alone:
// neighbouring pixels often share their colour. One per band.
class CColourMemo
{
  public:
    CColourMemo() : m_slots(size_t(1) << kBits, Slot{0xFFFFFFFFu, 0}) {}

    // convert(colour) for the colour's B, G and R; its alpha is kept.
    template <class Convert> uint32_t map(uint32_t colour, const Convert &convert)
    {
        const uint32_t key = colour & 0x00FFFFFFu;
        Slot &s = m_slots[(key * 2654435761u) >> (32 - kBits)];
        if (s.key != key)
            s = {key, convert(sBGRA{.all = key}) & 0x00FFFFFFu};
        return (colour & 0xFF000000u) | s.value;
    }

  private:
    static constexpr int kBits = 14;
    struct Slot
    {
        uint32_t key, value;
    };
    std::vector<Slot> m_slots;
};

// Each pixel through convert (which keeps alpha) at its weight: the fast form remembers the
// colours of its band.
template <class Convert> bool putConverted(eWalk walk, sFlt4Params &p, const Convert &convert)
{
    if (walk == eWalk::Plain)
        return walkDstRect(p, [&](int32_t, int32_t, sBGRA &px, int32_t m) {
            pixelPutAlpha(&px, convert(px), uint32_t(m));
        });
    return walkDstRectBands(p, [&] {
        return [&, memo = std::make_shared<CColourMemo>()](int32_t, int32_t, sBGRA &px, int32_t m) {
            pixelPutAlpha(&px, memo->map(px.all, convert), uint32_t(m));
        };
    });
}

bool hueSaturationFilter(sFlt4Params &p, const void *argp, int32_t args, eWalk walk)
{
    if (!checkFilterFrame(p, args, kFltObj4Size) || !argp)
        return false;
    const auto r = readRecord<sFltObj4>(argp);
    // Any shift is brought into 0..359 (a negative one too).
    const int32_t h = posMod(r.data0.all, 360);
    const int32_t s = r.data1.all, l = r.data2.all;
    const bool colourise = cellByte(r.data3, 0) != 0;
    const bool method1 = cellByte(r.data3, 1) != 0;
    if (h == 0 && s == 0 && l == 0 && !colourise) {
        const bool ok = copyDstRect(p, nullptr, 0);
        p.unchanged = ok;
        return ok;
    }
    auto t = std::make_unique<HueSatTables>();
    for (int32_t j = 0; j < 360; ++j)
        t->hue[size_t(j)] = (colourise ? h : (h + j) % 360) << 16;
    if (!buildSaturation(*t, s, colourise))
        return false;
    if (method1) {
        buildLightBytes(*t, l);
        const bool viaHSL = h != 0 || s != 0 || colourise;
        return putConverted(walk, p, [&](sBGRA c) {
            if (viaHSL) {
                sFixHSL hsl;
                pixelToHSL(c, hsl);
                hsl.h = t->hue[size_t(std::clamp(hsl.h >> 16, 0, 359))];
                hsl.s = t->sat[byteIndex(hsl.s)];
                hslToPixel(hsl, &c);
            }
            c.B = t->lightBytes[c.B], c.G = t->lightBytes[c.G], c.R = t->lightBytes[c.R];
            return c.all;
        });
    }
    if (!buildLightCurve(*t, l))
        return false;
    return putConverted(walk, p, [&](sBGRA c) {
        sFixHSL hsl;
        pixelToHSL(c, hsl);
        hsl.h = t->hue[size_t(std::clamp(hsl.h >> 16, 0, 359))];
        hsl.s = t->sat[byteIndex(hsl.s)];
        hsl.l = t->lightCurve[byteIndex(hsl.l)];
        hslToPixel(hsl, &c);
        return c.all;
    });
}

} // namespace

bool fltHueSaturation(sFlt4Params &p, const void *argp, int32_t args)
{
    return hueSaturationFilter(p, argp, args, eWalk::Fast);
}

bool fltHueSaturationReference(sFlt4Params &p, const void *argp, int32_t args)
{
    return hueSaturationFilter(p, argp, args, eWalk::Plain);
}

// ---------------------------------------------------------------------------------------------
// Brightness, contrast and colour balance

bool fltBrightnessContrast(sFlt4Params &p, const void *argp, int32_t args)
{
    if (!checkFilterFrame(p, args, kFltObj4Size) || !argp)
        return false;
    const auto r = readRecord<sFltObj4>(argp);
    const int64_t B = r.data0.all, K = r.data1.all;
    std::array<uint8_t, 256> e{};
    if (cellByte(r.data2, 0) != 0) {
        // The brightness enters inside and outside the slope (contrast 0 gives i + 2B): kept,
        // recordings replay it.
        int64_t num = 0x10000, den = 0x10000;
        if (K < 0)
            num = std::min<int64_t>((K * 65536 + 50) / 100 + 0x10000, 0x10000);
        else
            den = 0x10000 - std::min<int64_t>((K * 65436 + 50) / 100, 0xFFFF);
        for (int64_t i = 0; i < 256; ++i)
            e[size_t(i)] = clampByte((B - 127 + i) * num / den + B + 127);
    } else {
        const float g0 = gammaFactor(float(-B)), g1 = gammaFactor(float(K)),
                    g2 = gammaFactor(float(-K));
        std::array<float, 256> k{};
        for (int32_t i = 0; i < 256; ++i) {
            const float t = float(i / 255.0L);
            k[size_t(i)] = float((long double)powerSingle(t, g0) - t);
        }
        for (int32_t i = 0; i < 128; ++i) {
            const float t = float(i / 127.0L);
            k[size_t(i)] = float(k[size_t(i)] + (long double)powerSingle(t, g1) - t);
            k[size_t(i) + 128] = float(k[size_t(i) + 128] + (long double)powerSingle(t, g2) - t);
        }
        for (int32_t i = 0; i < 256; ++i) {
            // A factor at or beyond its pole makes the curve infinite: refused.
            if (!std::isfinite(k[size_t(i)]))
                return false;
            e[size_t(i)] = clampByte(trunc64(i + (long double)k[size_t(i)] * 255));
        }
    }
    return applyChannelTables(p, greyTable([&](int32_t i) { return e[size_t(i)]; }), true);
}

bool fltColorBalance(sFlt4Params &p, const void *argp, int32_t args)
{
    if (!checkFilterFrame(p, args, kFltObj4Size) || !argp)
        return false;
    const auto r = readRecord<sFltObj4>(argp);
    const float gr = r.data0._float, gg = r.data1._float, gb = r.data2._float;
    if (!allFinite(gr, gg, gb))
        return false;
    ChannelTable t = identityTable();
    for (int32_t i = 0; i < 256; ++i) {
        const float x = float(i / 255.0L);
        const float vr = powerSingle(x, gr), vg = powerSingle(x, gg), vb = powerSingle(x, gb);
        // 0 to a negative power is infinite: such a gamma is refused.
        if (!allFinite(vr, vg, vb))
            return false;
        t[size_t(i)].R = clampByte(trunc64((long double)vr * 255));
        t[size_t(i)].G = clampByte(trunc64((long double)vg * 255));
        t[size_t(i)].B = clampByte(trunc64((long double)vb * 255));
    }
    return applyChannelTables(p, t, true);
}

// ---------------------------------------------------------------------------------------------
// Posterize, binarize, invert, greyscale, solarize

bool fltPosterize(sFlt4Params &p, const void *argp, int32_t args)
{
    if (!checkFilterFrame(p, args, kFltObj2Size) || !argp)
        return false;
    const int32_t n = std::clamp(readRecord<sFltObj2>(argp).data0.all, 2, 255);
    return applyChannelTables(
        p, greyTable([n](int32_t i) { return clampByte((n * i / 255) * 255 / (n - 1)); }), true);
}

bool fltBinarize(sFlt4Params &p, const void *argp, int32_t args)
{
    if (!checkFilterFrame(p, args, kFltObj2Size) || !argp)
        return false;
    const auto r = readRecord<sFltObj2>(argp);
    const int32_t t = std::clamp(int32_t(cellByte(r.data0, 0)) - 1, 0, 254);
    LumaTable table;
    for (uint32_t i = 0; i < 256; ++i) {
        const uint32_t v = clampByte((int32_t(i) - t) * 255);
        table[i] = i << 24 | v * 0x010101u;
    }
    // Both variants give the same pixels: the table's alpha column is the identity.
    if (cellByte(r.data0, 1) == 0)
        return applyLumaTable(p, table, true);
    return applyLumaColourTable(p, table, true);
}

bool fltInvert(sFlt4Params &p, const void *, int32_t args)
{
    return applyGreyTable(p, args, [](int32_t i) { return uint8_t(255 - i); });
}

bool fltGrayscale(sFlt4Params &p, const void *, int32_t args)
{
    if (!checkFilterFrame(p, args, 0))
        return false;
    LumaTable table;
    for (uint32_t i = 0; i < 256; ++i)
        table[i] = i * 0x01010101u;
    return applyLumaTable(p, table, true);
}

bool fltSolarize(sFlt4Params &p, const void *, int32_t args)
{
    return applyGreyTable(p, args, [](int32_t i) { return uint8_t(std::min(i, 255 - i)); });
}

// ---------------------------------------------------------------------------------------------
// Gradient map and luminance to alpha

bool fltGradientMap(sFlt4Params &p, const void *argp, int32_t args)
{
    if (!checkFilterFrame(p, args, kFltObjGradientMapSize) || !argp)
        return false;
    const auto &r = *static_cast<const sFltObjGradientMap *>(argp);
    if (!r.crsg)
        return false;
    const CGradation grad(sFXPos{0, 0}, sFXPos{510 << 16, 0}, r.crsg);
    LumaTable table;
    for (int32_t i = 0; i < 256; ++i) {
        const sRGBA c = grad.getColor(sPos{2 * i + 1, 0});
        sBGRA e;
        e.B = c.B, e.G = c.G, e.R = c.R, e.A = c.A;
        table[size_t(r.reverse ? 255 - i : i)] = e.all;
    }
    // A layer that protects its transparency keeps it whatever the record says.
    return applyLumaColourTable(p, table, r.protect || p.layerPrt);
}

namespace {

bool alphaViaDensityFilter(sFlt4Params &p, const void *argp, int32_t args, eWalk walk)
{
    if (!checkFilterFrame(p, args, kFltObj2Size) || !argp)
        return false;
    if (p.layerPrt) {
        p.unchanged = true;
        return true;
    }
    const auto r = readRecord<sFltObj2>(argp);
    const sBGRA colour{.all = uint32_t(r.data0.all)};
    const bool keepLight = cellByte(r.data1, 0) != 0;
    return walkDstRectAs(walk, p, [&] {
        return [&](int32_t, int32_t, sBGRA &px, int32_t m) {
            const uint32_t L = pixelLuma(px);
            sBGRA c = colour;
            if (keepLight && L == 255) {
                c = px;
            } else if (keepLight) {
                c.B = uint8_t(mix255(colour.B, px.B, uint32_t(m)));
                c.G = uint8_t(mix255(colour.G, px.G, uint32_t(m)));
                c.R = uint8_t(mix255(colour.R, px.R, uint32_t(m)));
            }
            c.A = uint8_t(mul255(255 - L, px.A));
            pixelPutWithAlpha(&px, c.all, uint32_t(m));
        };
    });
}

} // namespace

bool fltAlphaViaDensity(sFlt4Params &p, const void *argp, int32_t args)
{
    return alphaViaDensityFilter(p, argp, args, eWalk::Fast);
}

bool fltAlphaViaDensityReference(sFlt4Params &p, const void *argp, int32_t args)
{
    return alphaViaDensityFilter(p, argp, args, eWalk::Plain);
}
