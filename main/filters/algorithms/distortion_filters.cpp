#include "filters/algorithms/distortion_filters.h"

#include "core/base/numeric.h"
#include "core/image/canvas.h"
#include "core/pixel/blend_modes.h"
#include "core/scale/scale_image.h"
#include "core/tiles/block_layer_image.h"
#include "filters/core/bilinear_samplers.h"
#include "filters/core/pixel_mechanics.h"
#include "filters/core/pixel_toolkit.h"
#include "filters/core/scale_image_filter.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

sRect fixBox(const sRect &r)
{
    return {r.x0 << 16, r.y0 << 16, r.x1 << 16, r.y1 << 16};
}

// The neutral colour of the layer's blend mode, made opaque: what the older rotate and scale
// read outside the effect rectangle.
sBGRA opaqueNeutral(const sFlt4Params &p)
{
    const uint32_t bg = getLayerModeBgColor(p.layerMode)
                            .value_or(getLayerModeBgColor(TLayerMode::LM_STD).value_or(0));
    return sBGRA{.all = bg | 0xFF000000u};
}

// Round(f x 65536) of a Single without the 32-bit wrap: extents of untrusted sizes.
int64_t floatToFix64(float f)
{
    return int64_t(std::nearbyint((long double)f * 65536.0L));
}

// ---------------------------------------------------------------------------------------------
// Mirroring within the effect rectangle

enum class eMirror
{
    Horizontal,
    Vertical,
    Both,
};

// Every source pixel is faded by the selection at its own place (alpha x m div 255) before it is
// put at the destination's weight, so a mirrored soft selection fades at both ends. The faded
// pixel is worked out where it is read, which gives what a faded copy of the layer would.
bool mirrorEffect(sFlt4Params &p, eMirror how)
{
    const sRect mr = p.maskRect;
    const TMTC &flow = *p.flowTC;
    const fptrPixelPut4core put = filterPut(p);
    return walkDstRect(p, [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
        const int32_t sx = how == eMirror::Vertical ? x : mr.x0 + mr.x1 - 1 - x;
        const int32_t sy = how == eMirror::Horizontal ? y : mr.y0 + mr.y1 - 1 - y;
        sBGRA c{.all = flow.getColor(sx, sy)};
        c.A = uint8_t(mul255(c.A, uint32_t(std::clamp(p.maskWeight(sx, sy), 0, 255))));
        put(&px, c.all, uint32_t(m));
    });
}

// ---------------------------------------------------------------------------------------------
// The area-average resampler of the current rotate and scale

// A footprint the resampler averages at all: one that is not empty and meets the layer (the
// others read only the undefined colour).
bool footprintReadsLayer(const sRect &r, int64_t w, int64_t h)
{
    return r.x1 > r.x0 && r.y1 > r.y0 && r.x1 > 0 && r.y1 > 0 && r.x0 < (w << 16) &&
           r.y0 < (h << 16);
}

// The resampler's source looked up once per pixel into a canvas over the cells the footprints
// reach; the averages then run the scaler's own walk over that canvas, so they are the
// resampler's to the bit without a lookup (selection weight and put) per pixel and footprint.
class CLookedUpSource : public CScaleImage
{
  public:
    // False when the canvas cannot be had.
    bool fill(const CScaleImageFilter &f, const sRect &cells)
    {
        srcSize = f.srcSize;
        m_org = {cells.x0, cells.y0};
        m_undef = f.undefColour();
        m_layer = {f.srcSize.x - 1, f.srcSize.y - 1};
        if (!m_tc.Resize(cells.x1 - cells.x0, cells.y1 - cells.y0) || !m_tc.isEnable())
            return false;
        // Rows on the work threads: the lookup only reads.
        parallelRanges(cells.y1 - cells.y0, 16, [&](int32_t r0, int32_t r1) {
            for (int32_t y = cells.y0 + r0; y < cells.y0 + r1; ++y) {
                sBGRA *row = m_tc.seek32(0, y - m_org.y);
                for (int32_t x = cells.x0; x < cells.x1; ++x)
                    row[x - m_org.x] = f.lookup(x, y);
            }
        });
        return true;
    }

    void average(sBGRA &col, const sRect &r, bool alphaWeighted)
    {
        if (!footprintReadsLayer(r, m_layer.x, m_layer.y)) {
            col = m_undef;
            return;
        }
        auto *dst = reinterpret_cast<uint8_t *>(&col);
        if (alphaWeighted)
            calcSrcRectNC2(dst, r);
        else
            calcSrcRectNC(dst, r);
    }

  protected:
    const uint8_t *seekSrc(int32_t x, int32_t y) override
    {
        return reinterpret_cast<const uint8_t *>(m_tc.seek32(x - m_org.x, y - m_org.y));
    }
    uint8_t *seekDst(int32_t, int32_t) override { return reinterpret_cast<uint8_t *>(&m_spare); }
    bool hasBaseSlots() const override { return true; }

  private:
    TMTC m_tc;
    sPos m_org;
    sSize m_layer;
    sBGRA m_undef{.all = 0};
    sBGRA m_spare{.all = 0};
};

// The source cells the scaler's walk reads for footprint r (which reads the layer): columns from
// the clamped left edge to the pixel before the clamped right edge, rows alike.
sRect footprintCells(const sRect &r, const sSize &src)
{
    const int32_t xEnd = src.x << 16, yEnd = src.y << 16;
    return {std::min(r.x0, xEnd - 1) >> 16, std::min(r.y0, yEnd - 1) >> 16,
            ((std::min(r.x1, xEnd) - 1) >> 16) + 1, ((std::min(r.y1, yEnd) - 1) >> 16) + 1};
}

// The fast walk runs bands of rows on the work threads when shared says that the per-pixel work
// only reads what the bands share; the plain walk is the one serial frame.
template <class MakeBand> bool walkFor(eWalk walk, bool shared, sFlt4Params &p, MakeBand makeBand)
{
    if (walk == eWalk::Fast && shared)
        return walkDstRectBands(p, makeBand);
    return walkDstRect(p, makeBand());
}

class CFilterResampler
{
  public:
    CFilterResampler(const sFlt4Params &p, bool alphaWeighted)
        : m_filter(p, p.layerPrt ? eEdgeType::UndefOutside : eEdgeType::NoOutside, false),
          m_alpha(alphaWeighted)
    {
    }

    // Fills the looked-up canvas over every cell that footprint(x, y, r) reaches for the pixels
    // of dstRect. Footprints reaching far beyond the layer (untrusted sizes) or a canvas that
    // cannot be had leave the plain lookup in place.
    template <class Footprint> void lookUpOnce(const sFlt4Params &p, Footprint footprint)
    {
        const int64_t w = p.layerTC->width(), h = p.layerTC->height();
        std::optional<sRect> reach;
        for (int32_t y = p.dstRect.y0; y < p.dstRect.y1; ++y)
            for (int32_t x = p.dstRect.x0; x < p.dstRect.x1; ++x) {
                sRect r;
                if (!footprint(x, y, r) || !footprintReadsLayer(r, w, h))
                    continue;
                const sRect c = footprintCells(r, m_filter.srcSize);
                if (!reach)
                    reach = c;
                else
                    reach = sRect{std::min(reach->x0, c.x0), std::min(reach->y0, c.y0),
                                  std::max(reach->x1, c.x1), std::max(reach->y1, c.y1)};
            }
        if (!reach)
            return;
        const int64_t area = int64_t(reach->x1 - reach->x0) * (reach->y1 - reach->y0);
        if (area > 2 * (w + 2) * (h + 2))
            return;
        m_cached = m_cache.fill(m_filter, *reach);
    }

    void colour(sBGRA &col, const sRect &r)
    {
        if (m_cached)
            m_cache.average(col, r, m_alpha);
        else if (m_alpha)
            m_filter.GetColorAA2(col, r);
        else
            m_filter.GetColorAA(col, r);
    }

    sBGRA undefColour() const { return m_filter.undefColour(); }
    // Whether colour only reads (the looked-up canvas is in use), so that bands may share it.
    bool readsOnly() const { return m_cached; }

  private:
    CScaleImageFilter m_filter;
    CLookedUpSource m_cache;
    bool m_cached = false;
    bool m_alpha;
};

// ---------------------------------------------------------------------------------------------
// Rotate

bool rotateFilter(sFlt4Params &p, const void *argp, int32_t args, bool current, eWalk walk)
{
    if (!argp || !checkFilterFrame(p, args, kFltObj2Size))
        return false;
    const auto &rec = *static_cast<const sFltObj2 *>(argp);
    const float angle = rec.data0._float;
    if (!allFinite(angle))
        return false;
    const long double a = (long double)angle - std::trunc((long double)angle / 360) * 360;
    if (a == 0) {
        if (!copyDstRect(p, nullptr, 0))
            return false;
        p.unchanged = true;
        return true;
    }
    if (std::fabs(a) == 180)
        return mirrorEffect(p, eMirror::Both);
    if (!protectionMatches(p, rec.data1.b0))
        return false;

    const sRect mr = p.maskRect;
    const long double theta = a * kPi / 180;
    const int32_t c = floatToFix(float(std::cos(-theta))), s = floatToFix(float(std::sin(-theta)));
    const int32_t cx = floatToFix(float((long double)(mr.x1 - mr.x0) / 2 + mr.x0));
    const int32_t cy = floatToFix(float((long double)(mr.y1 - mr.y0) / 2 + mr.y0));
    const auto source = [&](int32_t x, int32_t y) {
        const int32_t dx = (x << 16) - cx + 0x8000, dy = (y << 16) - cy + 0x8000;
        return sFXPos{fixMul(dx, c) + cx - fixMul(dy, s), fixMul(dx, s) + fixMul(dy, c) + cy};
    };
    const fptrPixelPut4core put = filterPut(p);

    if (rec.data1.b1 == 0) { // the method of older records
        CScaleImageTMTC scaler(p.flowTC, nullptr);
        const sBGRA outside = opaqueNeutral(p);
        const fptrFractionHandler fn = p.layerPrt ? mixColour : scaleAlpha;
        const sRect box = fixBox(mr);
        return walkFor(walk, true, p, [&] {
            return [&, scaler](int32_t x, int32_t y, sBGRA &px, int32_t m) mutable {
                sBGRA col;
                sampleRectMix(col, outside, scaler, fn, box, source(x, y));
                put(&px, col.all, uint32_t(m));
            };
        });
    }

    CFilterResampler rs(p, current);
    // The position form of the resampler's average.
    const auto footprint = [&](int32_t x, int32_t y, sRect &r) {
        const sFXPos s = source(x, y);
        r = {s.x - 0x8000, s.y - 0x8000, s.x + 0x8001, s.y + 0x8001};
        return true;
    };
    if (walk == eWalk::Fast)
        rs.lookUpOnce(p, footprint);
    return walkFor(walk, rs.readsOnly(), p, [&] {
        return [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
            sRect r;
            footprint(x, y, r);
            sBGRA col;
            rs.colour(col, r);
            put(&px, col.all, uint32_t(m));
        };
    });
}

// ---------------------------------------------------------------------------------------------
// Scale

// The source span of destination offset p (16.16) with factor f about centre c: a one-pixel
// square when enlarging, else the pixel's own footprint; its ends in order.
void scaleSpan(int32_t p, int32_t f, int32_t c, int32_t &a0, int32_t &a1)
{
    if (f > -0x10000 && f < 0x10000) {
        a0 = fixMul(p + 0x8000, f) + c - 0x8000;
        a1 = a0 + 0x10000;
    } else {
        a0 = fixMul(p, f) + c;
        a1 = fixMul(p + 0x10000, f) + c;
    }
    if (a0 > a1)
        std::swap(a0, a1);
}

bool scaleFilter(sFlt4Params &p, const void *argp, int32_t args, bool current, eWalk walk)
{
    if (!argp || !checkFilterFrame(p, args, kFltObj4Size))
        return false;
    const auto &rec = *static_cast<const sFltObj4 *>(argp);
    if (!protectionMatches(p, rec.data2.b0))
        return false;
    const bool older = rec.data2.b1 == 0;
    const int32_t c = rec.data0.all, e = rec.data1.all;
    const sRect mr = p.maskRect;
    const int32_t w = mr.x1 - mr.x0, h = mr.y1 - mr.y0;
    // The special cases compare with the layer's size in the older method.
    const int32_t refW = older ? p.layerTC->width() : w;
    const int32_t refH = older ? p.layerTC->height() : h;
    if (c == 0 || e == 0) {
        if (!p.layerPrt)
            return clearDstRect(p, nullptr, 0);
        // A protected layer keeps its transparency: nothing of the image is left, so every pixel
        // takes the colour shown outside the scaled image, as beyond its edges below.
        const sBGRA outside = older ? opaqueNeutral(p) : CFilterResampler(p, current).undefColour();
        const fptrPixelPut4core put = filterPut(p);
        return walkDstRect(p, [&](int32_t, int32_t, sBGRA &px, int32_t m) {
            put(&px, (px.all & 0xFF000000u) | (outside.all & 0x00FFFFFFu), uint32_t(m));
        });
    }
    if (c == refW && e == refH) {
        if (!copyDstRect(p, nullptr, 0))
            return false;
        p.unchanged = true;
        return true;
    }
    if (int64_t(c) == -int64_t(refW) && e == refH)
        return mirrorEffect(p, eMirror::Horizontal);
    if (c == refW && int64_t(e) == -int64_t(refH))
        return mirrorEffect(p, eMirror::Vertical);
    if (int64_t(c) == -int64_t(refW) && int64_t(e) == -int64_t(refH))
        return mirrorEffect(p, eMirror::Both);

    // Factors: the older method divides the effect rectangle's right and bottom edges.
    const long double fw = older ? mr.x1 : w, fh = older ? mr.y1 : h;
    const int32_t fx = floatToFix(float(fw / c)), fy = floatToFix(float(fh / e));
    const int32_t cx = floatToFix(float((long double)w / 2 + mr.x0));
    const int32_t cy = floatToFix(float((long double)h / 2 + mr.y0));
    const int64_t hx = floatToFix64(float(std::fabs((long double)c / 2))) + 0x8000;
    const int64_t hy = floatToFix64(float(std::fabs((long double)e / 2))) + 0x8000;
    // The footprint of (x, y), or false outside the scaled image.
    const auto footprint = [&](int32_t x, int32_t y, sRect &r) {
        const int32_t px = (x << 16) - cx, qy = (y << 16) - cy;
        if (px < -hx || px >= hx || qy < -hy || qy >= hy)
            return false;
        scaleSpan(px, fx, cx, r.x0, r.x1);
        scaleSpan(qy, fy, cy, r.y0, r.y1);
        return true;
    };
    const fptrPixelPut4core put = filterPut(p);

    if (older) {
        CScaleImageTMTC scaler(p.flowTC, nullptr);
        const sBGRA outside = opaqueNeutral(p);
        const fptrFractionHandler fn = p.layerPrt ? mixColour : scaleAlpha;
        const sRect box = fixBox(mr);
        return walkFor(walk, true, p, [&] {
            return [&, scaler](int32_t x, int32_t y, sBGRA &px, int32_t m) mutable {
                sRect r;
                sBGRA col = px;
                if (footprint(x, y, r))
                    sampleRectMix(col, outside, scaler, fn, box, r);
                else if (p.layerPrt)
                    col.all = (col.all & 0xFF000000u) | (outside.all & 0x00FFFFFFu);
                else
                    col.A = 0;
                put(&px, col.all, uint32_t(m));
            };
        });
    }

    CFilterResampler rs(p, current);
    if (walk == eWalk::Fast)
        rs.lookUpOnce(p, footprint);
    const sBGRA undef = rs.undefColour();
    return walkFor(walk, rs.readsOnly(), p, [&] {
        return [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
            sRect r;
            sBGRA col = px;
            if (footprint(x, y, r))
                rs.colour(col, r);
            else if (p.layerPrt)
                col.all = (col.all & 0xFF000000u) | (undef.all & 0x00FFFFFFu);
            else
                col.A = 0;
            put(&px, col.all, uint32_t(m));
        };
    });
}

// ---------------------------------------------------------------------------------------------
// Polar coordinates

bool polarFilter(sFlt4Params &p, const void *argp, int32_t args, bool alphaWeighted, eWalk walk)
{
    if (!argp || !checkFilterFrame(p, args, kFltObj2Size))
        return false;
    const auto &rec = *static_cast<const sFltObj2 *>(argp);
    // A layer whose protection differs from the recorded one is refused quietly: a warning
    // without a text would tell the user nothing.
    if (!protectionMatches(p, rec.data0.b1))
        return false;
    const uint8_t direction = rec.data0.b0;
    if (direction > 1)
        return false;

    const sRect mr = p.maskRect;
    const int32_t w = mr.x1 - mr.x0, h = mr.y1 - mr.y0;
    const float hw = float((long double)w / 2), hh = float((long double)h / 2);
    const sRect box = fixBox(mr);
    const fptrPixelPut4core put = filterPut(p);
    using Sampler = void (*)(sBGRA &, CScaleImageTMTC &, fptrFractionHandler, const sRect &,
                             const sFXPos &);
    const Sampler sample = alphaWeighted ? Sampler(sampleSquare2) : Sampler(sampleSquare);

    const auto source = [&](int32_t x, int32_t y) {
        if (direction == 0) {
            const float u = float((x - ((long double)mr.x0 + hw - 0.5L)) / hw);
            const float v = float((y - ((long double)mr.y0 + hh - 0.5L)) / hh);
            const long double phi = std::atan2((long double)u, (long double)v);
            return sFXPos{floatToFix(float(phi * hw / kPi)) + floatToFix(float(mr.x0 + hw)),
                          floatToFix(float(std::sqrt((long double)u * u + (long double)v * v) * h)) +
                              (mr.y0 << 16)};
        }
        const float d = float(y - mr.y0 + 0.5L);
        const float phi = float((x - (mr.x0 - 0.5L + hw)) * kPi / hw);
        return sFXPos{floatToFix(float(std::sin((long double)phi) * d * hw / h)) +
                          floatToFix(float(hw + mr.x0)),
                      floatToFix(float(std::cos((long double)phi) * d * hh / h)) +
                          floatToFix(float(mr.y0 + hh))};
    };
    // Each band samples through a scaler of its own.
    return walkDstRectAs(walk, p, [&] {
        return [&, scaler = CScaleImageTMTC(p.flowTC, nullptr)](int32_t x, int32_t y, sBGRA &px,
                                                                int32_t m) mutable {
            sBGRA col;
            sample(col, scaler, mixColour, box, source(x, y));
            put(&px, col.all, uint32_t(m));
        };
    });
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Wave

namespace {

bool waveFilter(sFlt4Params &p, const void *argp, int32_t args, int32_t version, eWalk walk)
{
    if (!argp || !checkFilterFrame(p, args, kFltObj2Size))
        return false;
    const auto &rec = *static_cast<const sFltObj2 *>(argp);
    const int32_t hCount = rec.data0.b0, vCount = rec.data0.b1;
    const int32_t hAmp = rec.data0.b2, vAmp = rec.data0.b3;
    const float phase = rec.data1._float;
    if (!allFinite(phase))
        return false;
    if (!((hCount != 0 && hAmp != 0) || (vCount != 0 && vAmp != 0))) {
        p.unchanged = true;
        return true;
    }

    const sRect mr = p.maskRect;
    const int32_t w = mr.x1 - mr.x0, h = mr.y1 - mr.y0;
    const int64_t W = p.layerTC->width(), H = p.layerTC->height();
    // Version 0 wraps the column's vertical offset at the width and the row's horizontal one at
    // the height.
    const long double wrapA = W, wrapB = version == 0 ? W : H, wrapC = version == 0 ? H : W,
                      wrapD = H;
    const long double twoPi = 2 * kPi;
    // A one-pixel-wide (high) rectangle has no phase step along that axis.
    const long double colStep = w > 1 ? twoPi / (w - 1) : 0;
    const long double rowStep = h > 1 ? twoPi / (h - 1) : 0;

    std::vector<int32_t> colDX(static_cast<size_t>(w)), colDY(static_cast<size_t>(w));
    std::vector<int32_t> rowDX(static_cast<size_t>(h)), rowDY(static_cast<size_t>(h));
    for (int32_t c = 0; c < w; ++c) {
        const long double o = fmodPositive(twoPi, phase + c * colStep * hCount);
        colDX[size_t(c)] = floatToFix(float(fmodPositive(wrapA, std::sin(o) * hAmp)));
        colDY[size_t(c)] = floatToFix(float(fmodPositive(wrapB, std::cos(o) * hAmp)));
    }
    for (int32_t r = 0; r < h; ++r) {
        const long double o = fmodPositive(twoPi, r * rowStep * vCount + phase);
        rowDX[size_t(r)] = floatToFix(float(fmodPositive(wrapC, std::cos(o) * vAmp)));
        rowDY[size_t(r)] = floatToFix(float(fmodPositive(wrapD, std::sin(o) * vAmp)));
    }

    const auto sampler = version == 2 ? sampleBilinearWrapSat : sampleBilinearWrap;
    const fptrPixelPut4core put = filterPut(p);
    const int64_t modX = W << 16, modY = H << 16;
    const auto wrap = [](int64_t v, int64_t mod) {
        v %= mod;
        return v < 0 ? v + mod : v;
    };
    return walkDstRectAs(walk, p, [&] {
        return [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
            const size_t c = size_t(x - mr.x0), r = size_t(y - mr.y0);
            const int64_t sx = wrap((int64_t(x) << 16) + rowDX[r] + colDX[c], modX);
            const int64_t sy = wrap((int64_t(y) << 16) + rowDY[r] + colDY[c], modY);
            put(&px, sampler(*p.flowTC, int32_t(sx), int32_t(sy)), uint32_t(m));
        };
    });
}

bool twirlFilter(sFlt4Params &p, const void *argp, int32_t args, eWalk walk);

} // namespace

bool fltWaveCore(sFlt4Params &p, const void *argp, int32_t args, int32_t version)
{
    return waveFilter(p, argp, args, version, eWalk::Fast);
}

bool fltWaveReference(sFlt4Params &p, const void *argp, int32_t args, int32_t version)
{
    return waveFilter(p, argp, args, version, eWalk::Plain);
}

bool fltWave(sFlt4Params &p, const void *argp, int32_t args)
{
    return fltWaveCore(p, argp, args, 0);
}

bool fltWave2(sFlt4Params &p, const void *argp, int32_t args)
{
    return fltWaveCore(p, argp, args, 1);
}

bool fltWave3(sFlt4Params &p, const void *argp, int32_t args)
{
    return fltWaveCore(p, argp, args, 2);
}

// ---------------------------------------------------------------------------------------------
// Twirl

bool fltTwirl(sFlt4Params &p, const void *argp, int32_t args)
{
    return twirlFilter(p, argp, args, eWalk::Fast);
}

bool fltTwirlReference(sFlt4Params &p, const void *argp, int32_t args)
{
    return twirlFilter(p, argp, args, eWalk::Plain);
}

namespace {

bool twirlFilter(sFlt4Params &p, const void *argp, int32_t args, eWalk walk)
{
    if (!argp || !checkFilterFrame(p, args, kFltObj2Size))
        return false;
    const auto &rec = *static_cast<const sFltObj2 *>(argp);
    const float a = float(-(long double)rec.data0.s0 * kPi / 180);
    if (a == 0) {
        p.unchanged = true;
        return true;
    }
    const sRect mr = p.maskRect;
    const int32_t cx = floatToFix(float((long double)(mr.x0 + mr.x1) / 2)) - 0x8000;
    const int32_t cy = floatToFix(float((long double)(mr.y0 + mr.y1) / 2)) - 0x8000;
    const int32_t rx = floatToFix(float((long double)(mr.x1 - mr.x0) / 2));
    const int32_t ry = floatToFix(float((long double)(mr.y1 - mr.y0) / 2));
    const int32_t u = floatToFix(float((long double)rx / ry));
    const int32_t v = floatToFix(float((long double)ry / rx));
    const int32_t maxX = (p.layerTC->width() - 1) << 16, maxY = (p.layerTC->height() - 1) << 16;
    const auto sampler = rec.data0.b2 == 0 ? sampleBilinearClamp : sampleBilinearClampSat;
    const fptrPixelPut4core put = filterPut(p);
    return walkDstRectAs(walk, p, [&] {
        return [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
            const int32_t dx = (x << 16) - cx, dy = (y << 16) - cy;
            if (dy <= -ry || dy >= ry || dx <= -rx || dx >= rx)
                return;
            const long double ex = (long double)dx / rx, ey = (long double)dy / ry;
            const long double d = std::sqrt(ex * ex + ey * ey);
            if (!(d > 0 && d < 1))
                return; // outside the ellipse, or its centre
            const double t = double(a * (1 - d) * (1 - d));
            const double s = std::sin(t), c = std::cos(t);
            const int32_t sx = clampInt(
                roundSingle(float(dx * (long double)c - s * (long double)fixMul(dy, u))) + cx, 0,
                maxX);
            const int32_t sy = clampInt(
                roundSingle(float(s * (long double)fixMul(dx, v) + c * (long double)dy)) + cy, 0,
                maxY);
            put(&px, sampler(*p.flowTC, sx, sy), uint32_t(m));
        };
    });
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Polar coordinates, rotate, scale

bool fltPolarCoordinates(sFlt4Params &p, const void *argp, int32_t args)
{
    return polarFilter(p, argp, args, false, eWalk::Fast);
}

bool fltPolarCoordinates2(sFlt4Params &p, const void *argp, int32_t args)
{
    return polarFilter(p, argp, args, true, eWalk::Fast);
}

bool fltPolarCoordinatesReference(sFlt4Params &p, const void *argp, int32_t args)
{
    return polarFilter(p, argp, args, false, eWalk::Plain);
}

bool fltPolarCoordinates2Reference(sFlt4Params &p, const void *argp, int32_t args)
{
    return polarFilter(p, argp, args, true, eWalk::Plain);
}

bool fltRotate(sFlt4Params &p, const void *argp, int32_t args)
{
    return rotateFilter(p, argp, args, false, eWalk::Fast);
}

bool fltRotate2(sFlt4Params &p, const void *argp, int32_t args)
{
    return rotateFilter(p, argp, args, true, eWalk::Fast);
}

bool fltScale(sFlt4Params &p, const void *argp, int32_t args)
{
    return scaleFilter(p, argp, args, false, eWalk::Fast);
}

bool fltScale2(sFlt4Params &p, const void *argp, int32_t args)
{
    return scaleFilter(p, argp, args, true, eWalk::Fast);
}

bool fltRotateReference(sFlt4Params &p, const void *argp, int32_t args)
{
    return rotateFilter(p, argp, args, false, eWalk::Plain);
}

bool fltRotate2Reference(sFlt4Params &p, const void *argp, int32_t args)
{
    return rotateFilter(p, argp, args, true, eWalk::Plain);
}

bool fltScaleReference(sFlt4Params &p, const void *argp, int32_t args)
{
    return scaleFilter(p, argp, args, false, eWalk::Plain);
}

bool fltScale2Reference(sFlt4Params &p, const void *argp, int32_t args)
{
    return scaleFilter(p, argp, args, true, eWalk::Plain);
}

// ---------------------------------------------------------------------------------------------
// Flips

bool fltFlipHorizontal(sFlt4Params &p, const void *, int32_t args)
{
    return checkFilterFrame(p, args, 0) && mirrorEffect(p, eMirror::Horizontal);
}

bool fltFlipVertical(sFlt4Params &p, const void *, int32_t args)
{
    return checkFilterFrame(p, args, 0) && mirrorEffect(p, eMirror::Vertical);
}

bool fltRotate180(sFlt4Params &p, const void *, int32_t args)
{
    return checkFilterFrame(p, args, 0) && mirrorEffect(p, eMirror::Both);
}
