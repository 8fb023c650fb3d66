#include "filters/algorithms/floor_filter.h"

#include "core/base/numeric.h"
#include "core/image/canvas.h"
#include "core/pixel/blend_modes.h"
#include "filters/core/bilinear_samplers.h"
#include "filters/core/pixel_mechanics.h"
#include "paint/render/stroke_base_puts.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <vector>

namespace {

constexpr uint32_t kClearWhite = 0x00FFFFFF;

// ---------------------------------------------------------------------------------------------
// Samplers: "with fog" puts the fog colour over the sample with pixelPutOver at the fog amount.

uint32_t withFog(uint32_t c, uint32_t fog, uint32_t fogCol)
{
    sBGRA r{.all = c};
    pixelPutOver(&r, fogCol, fog);
    return r.all;
}

uint32_t sampleSatFog(const TMTC &tex, int32_t u, int32_t v, uint32_t fog, uint32_t fogCol)
{
    return withFog(sampleBilinearMaskSat(tex, u, v), fog, fogCol);
}

uint32_t sampleFloatFog(const TMTC &tex, int32_t u, int32_t v, uint32_t fog, uint32_t fogCol)
{
    return withFog(sampleBilinearMaskFloat(tex, u, v), fog, fogCol);
}

uint32_t sampleSatPlain(const TMTC &tex, int32_t u, int32_t v, uint32_t, uint32_t)
{
    return sampleBilinearMaskSat(tex, u, v);
}

// The fog colour at alpha fog.
uint32_t transparentFog(const TMTC &, int32_t, int32_t, uint32_t fog, uint32_t fogCol)
{
    return withFog(kClearWhite, fog, fogCol);
}

uint32_t transparentPlain(const TMTC &, int32_t, int32_t, uint32_t, uint32_t)
{
    return kClearWhite;
}

// ---------------------------------------------------------------------------------------------
// Puts

void putReplaceOver(sBGRA *px, uint32_t col, uint32_t a)
{
    px->all = kClearWhite;
    pixelPutOver(px, col, a);
}

// Transparent white with the colour put over it by its own alpha.
sBGRA overClear(uint32_t col)
{
    sBGRA v{.all = kClearWhite};
    pixelPutOver(&v, col, col >> 24);
    return v;
}

void putClearPrt(sBGRA *px, uint32_t col, uint32_t a)
{
    pixelPutSrcAlpha(px, overClear(col).all, a);
}

void putClearOrgPic(sBGRA *px, uint32_t col, uint32_t a)
{
    sBGRA v{.all = kClearWhite};
    pixelPutWithAlpha(&v, col, a);
    pixelPutOver(px, v.all, v.A);
}

void putClearReplace(sBGRA *px, uint32_t col, uint32_t a)
{
    px->all = kClearWhite;
    pixelPutWithAlpha(px, overClear(col).all, a);
}

// [clear][prt, useOrgPic, otherwise]
constexpr fptrPixelPut4core kFloorPuts[2][3] = {
    {pixelPutSrcAlpha, pixelPutOver, putReplaceOver},
    {putClearPrt, putClearOrgPic, putClearReplace},
};

// ---------------------------------------------------------------------------------------------
// Set-up

struct SFloorSlot
{
    bool enabled = false;
    const TMTC *tex = nullptr;
    int32_t W = 0, H = 0;  // the image's size
    double sx = 0, sz = 0; // texture pixels per plane unit
    int32_t plane = 0;     // 16.16 height of the plane
};

struct SFloorSetup
{
    std::array<SFloorSlot, 2> slot;
    int32_t far = 1;
    double kFog = 0;
    int32_t base = 0;
    double sH = 0, cH = 1, sP = 0, cP = 1;
    int32_t offU = 0, offV = 0;
    uint32_t fogCol = 0;
    bool clear = false, drawfar = false;
    SFloorSamplers samplers{};
    fptrPixelPut4core put = nullptr;
    // The rays of the bottom row of the effect rectangle and their steps per row up.
    int32_t rx = 0, ry = 0, rz = 0;
    int32_t stepRx = 0, stepRy = 0, stepRz = 0;
};

// An Integer from an extended value the way the program stores Trunc into an Integer: the low
// 32 bits of the 64-bit result.
int32_t truncLow32(long double v)
{
    if (!std::isfinite(v) || std::fabs(v) >= 9.2e18L)
        return 0;
    return int32_t(uint32_t(uint64_t(int64_t(v))));
}

bool setupSlot(SFloorSlot &s, const SFltFloor &rec, int32_t idx)
{
    s.enabled = (rec.sfloor.texEnbFlag & (1u << idx)) != 0;
    if (!s.enabled)
        return true;
    const TMTC *tc = rec.stex[size_t(idx)].tc;
    const uint16_t tw = idx == 0 ? rec.sfloor.tex0w : rec.sfloor.tex1w;
    const uint16_t th = idx == 0 ? rec.sfloor.tex0h : rec.sfloor.tex1h;
    // The scales divide by the repetition size, and 16.16 positions must hold the image's sides.
    if (!tc || !tc->isEnable() || tc->width() < 1 || tc->height() < 1 || tc->width() > 32767 ||
        tc->height() > 32767 || tw == 0 || th == 0)
        return false;
    s.tex = tc;
    s.W = tc->width();
    s.H = tc->height();
    s.sx = double(s.W) / tw;
    s.sz = double(s.H) / th;
    return true;
}

bool setupFloor(SFloorSetup &f, const sFlt4Params &p, const SFltFloor &rec, bool newest)
{
    const SFltFloorParam &fp = rec.sfloor;
    if (!allFinite(fp.y, fp.head, fp.pitch))
        return false;
    for (int32_t i = 0; i < 2; ++i)
        if (!setupSlot(f.slot[size_t(i)], rec, i))
            return false;
    if (!f.slot[0].enabled && !f.slot[1].enabled)
        return false;
    f.slot[1].sz = -f.slot[1].sz;

    const sRect &r = p.maskRect;
    const int32_t w = r.x1 - r.x0, h = r.y1 - r.y0;
    const double cx = (double(r.x0) + r.x1) / 2, cy = (double(r.y0) + r.y1) / 2;
    const double s = double(std::max(w, h)) / 100;
    f.far = floorFarDistance(fp.maxfar, (w + h) / 4);
    f.kFog = 65536.0 / f.far;
    f.base = int32_t(uint32_t(truncLow32(fp.alpha * 2.55L)) + 255u);
    f.sH = std::sin(-double(fp.head));
    f.cH = std::cos(-double(fp.head));
    f.sP = std::sin(-double(fp.pitch));
    f.cP = std::cos(-double(fp.pitch));
    const double e = fp.eye2scr * s, a = f.sP * e, c = e * f.cP;
    f.slot[0].plane = floatToFix(float((long double)fp.y * s));
    f.slot[1].plane = floatToFix(float(((long double)fp.y - fp.skyheight) * s));
    f.offU = floatToFix(float(fp.x * 2.56L - 0.5L));
    f.offV = floatToFix(float(fp.z * 2.56L - 0.5L));
    f.fogCol = fp.farcol.all;
    f.clear = fp.clear != 0;
    f.drawfar = fp.drawfar != 0;
    f.samplers = floorSamplers(f.clear, newest, f.drawfar);
    f.put = floorPut(f.clear, p.layerPrt, fp.useOrgPic != 0);

    // The ray through the centre of the effect rectangle's bottom-left pixel. Taking it from the
    // effect rectangle, not from the part being written, makes a preview of a part step through
    // the same 16.16 values as the whole.
    const double px = r.x0 - cx + 0.5, py = cy - r.y1 + 0.5;
    f.rx = floatToFix(float((long double)f.cH * px - ((long double)py * f.sP + c) * f.sH));
    f.rz = floatToFix(float((long double)f.sH * px + ((long double)py * f.sP + c) * f.cH));
    f.ry = floatToFix(float((long double)f.cP * py - a));
    f.stepRx = floatToFix(float((long double)f.sH * f.sP));
    f.stepRz = floatToFix(float((long double)f.cH * f.sP));
    f.stepRy = floatToFix(float(f.cP));
    return true;
}

// ---------------------------------------------------------------------------------------------
// One row

enum class eRowKind
{
    Skip,    // a missed plane without clear: the row is left alone
    Clear,   // a missed plane in clear mode: every pixel gets the fog colour at opacity 0
    Hit,     // the row meets a plane
    Horizon, // ry = 0
};

struct SFloorRow
{
    eRowKind kind = eRowKind::Skip;
    const SFloorSlot *slot = nullptr;
    bool isNear = false;
    uint32_t fogRatio = 0;
    int32_t U = 0, V = 0, stepU = 0, stepV = 0, maskU = 0, maskV = 0;
};

SFloorRow classifyRow(const SFloorSetup &f, int32_t rx, int32_t ry, int32_t rz)
{
    SFloorRow row;
    if (ry == 0) {
        row.kind = eRowKind::Horizon;
        return row;
    }
    const SFloorSlot &s = f.slot[ry > 0 ? 0 : 1];
    const double t = double(s.plane) / ry;
    if (!s.enabled || t == 0) {
        row.kind = f.clear ? eRowKind::Clear : eRowKind::Skip;
        return row;
    }
    row.kind = eRowKind::Hit;
    row.slot = &s;
    const double X = t * rx / 65536, Z = t * rz / 65536;
    const double dist = std::sqrt(X * X + Z * Z);
    row.isNear = f.far > dist;
    // Only near rows use the ratio, and there it is at most 65536.
    if (row.isNear)
        row.fogRatio = uint32_t(dist * f.kFog);
    row.stepU = floatToFix(float(fmodPositive(s.W, (long double)t * f.cH * s.sx)));
    row.stepV = floatToFix(float(fmodPositive(s.H, (long double)t * f.sH * s.sz)));
    row.maskU = int32_t((uint32_t(s.W) << 16) - 1);
    row.maskV = int32_t((uint32_t(s.H) << 16) - 1);
    row.U = int32_t(uint32_t(floatToFix(float(fmodPositive(s.W, (long double)X * s.sx)))) +
                    uint32_t(f.offU)) &
            row.maskU;
    row.V = int32_t(uint32_t(floatToFix(float(fmodPositive(s.H, (long double)Z * s.sz)))) +
                    uint32_t(f.offV)) &
            row.maskV;
    return row;
}

void stepRow(SFloorRow &row)
{
    row.U = int32_t(uint32_t(row.U) + uint32_t(row.stepU)) & row.maskU;
    row.V = int32_t(uint32_t(row.V) + uint32_t(row.stepV)) & row.maskV;
}

// The horizon's colour: the byte-wise mean of the enabled slots' far samples.
uint32_t horizonColour(const SFloorSetup &f, uint32_t fog)
{
    uint32_t c[2] = {0, 0};
    for (size_t i = 0; i < 2; ++i) {
        const SFloorSlot &s = f.slot[i];
        if (s.enabled)
            c[i] = f.samplers.farSampler(*s.tex, int32_t(uint32_t(s.W) << 8),
                                         int32_t(uint32_t(s.H) << 8), fog, f.fogCol);
    }
    uint32_t out = 0;
    for (int sh = 0; sh < 32; sh += 8)
        out |= ((((c[0] >> sh) & 0xFF) + ((c[1] >> sh) & 0xFF)) >> 1) << sh;
    return out;
}

// The colour and opacity of one pixel of weight m > 0 in the row (at the row's current U, V).
void floorPixel(const SFloorSetup &f, const SFloorRow &row, sBGRA &px, uint32_t m)
{
    switch (row.kind) {
    case eRowKind::Hit: {
        uint32_t fog, opacity;
        fptrFloorSampler sampler;
        if (row.isNear) {
            fog = std::min<uint32_t>(255, (row.fogRatio * m) >> 16); // a 32-bit product
            opacity = clampByte(int64_t(f.base) - fog);
            sampler = f.samplers.nearSampler;
        } else {
            fog = m;
            opacity = f.drawfar ? clampByte(int64_t(f.base) - m) : 0;
            sampler = f.samplers.farSampler;
        }
        f.put(&px, sampler(*row.slot->tex, row.U, row.V, fog, f.fogCol), opacity);
        break;
    }
    case eRowKind::Horizon:
        f.put(&px, horizonColour(f, m), f.drawfar ? clampByte(int64_t(f.base) - m) : 0);
        break;
    case eRowKind::Clear:
        f.put(&px, f.fogCol, 0);
        break;
    case eRowKind::Skip:
        break;
    }
}

// One destination row: the texture position starts at the effect rectangle's left edge and steps
// once per column, so that every column gets the same position whatever part is written.
template <bool Plain>
bool floorRowWrite(sFlt4Params &p, const SFloorSetup &f, SFloorRow &row, int32_t y)
{
    const sRect &mr = p.maskRect, &dr = p.dstRect;
    if (row.kind == eRowKind::Hit)
        for (int32_t x = mr.x0; x < dr.x0; ++x)
            stepRow(row);
    if constexpr (Plain) {
        for (int32_t x = dr.x0; x < dr.x1; ++x) {
            const int32_t m = p.maskWeight(x, y);
            if (m > 0) {
                sBGRA *px = p.layerTC->seekPixelNC(x, y);
                if (!px)
                    return false;
                floorPixel(f, row, *px, uint32_t(m));
            }
            stepRow(row);
        }
        return true;
    } else {
        // Runs inside one layer block: the block is looked up once per run.
        constexpr int32_t kUnit = CBlockVMTC::kUnit;
        std::array<int32_t, kUnit> weight;
        for (int32_t x0 = dr.x0; x0 < dr.x1;) {
            const int32_t n = std::min(dr.x1, (x0 & ~(kUnit - 1)) + kUnit) - x0;
            bool any = false;
            for (int32_t i = 0; i < n; ++i) {
                weight[size_t(i)] = p.maskWeight(x0 + i, y);
                any = any || weight[size_t(i)] > 0;
            }
            sBGRA *run = any ? p.layerTC->seekPixelNC(x0, y) : nullptr;
            if (any && !run)
                return false;
            for (int32_t i = 0; i < n; ++i) {
                if (weight[size_t(i)] > 0)
                    floorPixel(f, row, run[i], uint32_t(weight[size_t(i)]));
                stepRow(row);
            }
            x0 += n;
        }
        return true;
    }
}

// The rows in bands on the work threads. Each row's ray is the serial walk's: its 16.16 steps
// wrap modulo 2^32, so k steps are one product. The layer's blocks are first committed on this
// thread in the order of the serial walk (rows from the bottom up), which the trace records.
bool floorRenderBands(sFlt4Params &p, const SFloorSetup &f)
{
    constexpr int32_t kUnit = CBlockVMTC::kUnit;
    const sRect &mr = p.maskRect, &dr = p.dstRect;
    const int32_t top = dr.y0, bottom = std::min(dr.y1, mr.y1);
    if (bottom <= top || dr.x1 <= dr.x0)
        return true;
    std::vector<SFloorRow> rows(size_t(bottom - top));
    for (int32_t y = bottom - 1; y >= top; --y) {
        const uint32_t k = uint32_t(mr.y1 - 1 - y);
        SFloorRow &row = rows[size_t(y - top)];
        row = classifyRow(f, int32_t(uint32_t(f.rx) - k * uint32_t(f.stepRx)),
                          int32_t(uint32_t(f.ry) + k * uint32_t(f.stepRy)),
                          int32_t(uint32_t(f.rz) + k * uint32_t(f.stepRz)));
        if (row.kind == eRowKind::Skip)
            continue;
        for (int32_t x0 = dr.x0; x0 < dr.x1;) {
            const int32_t n = std::min(dr.x1, (x0 & ~(kUnit - 1)) + kUnit) - x0;
            const SBlockPack *pack = p.layerTC->seekBlock(x0, y);
            if (!pack || !pack->commit)
                for (int32_t i = 0; i < n; ++i)
                    if (p.maskWeight(x0 + i, y) > 0) {
                        if (!p.layerTC->seekPixelNC(x0, y))
                            return false;
                        break;
                    }
            x0 += n;
        }
    }
    std::atomic<bool> ok{true};
    parallelRanges(bottom - top, 4, [&](int32_t r0, int32_t r1) {
        sFlt4Params band = p;
        for (int32_t y = top + r0; y < top + r1; ++y) {
            SFloorRow row = rows[size_t(y - top)];
            if (row.kind != eRowKind::Skip && !floorRowWrite<false>(band, f, row, y))
                ok = false;
        }
    });
    return ok;
}

template <bool Plain> bool floorRender(sFlt4Params &p, const SFltFloor &rec, bool newest)
{
    SFloorSetup f;
    if (!setupFloor(f, p, rec, newest))
        return false;
    if constexpr (!Plain)
        return floorRenderBands(p, f);
    const sRect &mr = p.maskRect, &dr = p.dstRect;
    int32_t rx = f.rx, ry = f.ry, rz = f.rz;
    // Rows from the effect rectangle's bottom up; those below the destination are only stepped.
    for (int32_t y = mr.y1 - 1; y >= dr.y0; --y) {
        if (y < dr.y1) {
            SFloorRow row = classifyRow(f, rx, ry, rz);
            if (row.kind != eRowKind::Skip && !floorRowWrite<Plain>(p, f, row, y))
                return false;
        }
        rx = int32_t(uint32_t(rx) - uint32_t(f.stepRx));
        rz = int32_t(uint32_t(rz) + uint32_t(f.stepRz));
        ry = int32_t(uint32_t(ry) + uint32_t(f.stepRy));
    }
    return true;
}

bool floorEntry(sFlt4Params &p, const void *argp, int32_t args, bool newest)
{
    if (!checkFilterFrame(p, args, kFltFloorSize) || !argp)
        return false;
    return floorRender<false>(p, *static_cast<const SFltFloor *>(argp), newest);
}

} // namespace

// ---------------------------------------------------------------------------------------------

SFloorSamplers floorSamplers(bool clear, bool newest, bool drawfar)
{
    if (clear)
        return {sampleSatPlain, drawfar ? sampleSatPlain : transparentPlain};
    const fptrFloorSampler nearSampler = newest ? sampleFloatFog : sampleSatFog;
    return {nearSampler, drawfar ? nearSampler : transparentFog};
}

fptrPixelPut4core floorPut(bool clear, bool prt, bool useOrgPic)
{
    return kFloorPuts[clear ? 1 : 0][prt ? 0 : (useOrgPic ? 1 : 2)];
}

int32_t floorFarDistance(int32_t maxfar, int32_t nearDist)
{
    const long double k = std::pow((long double)maxfar / 100, 1.5L);
    const int32_t far = truncLow32(k * nearDist * 199 + nearDist);
    return std::max(far, 1);
}

bool fltFloor(sFlt4Params &p, const void *argp, int32_t args)
{
    return floorEntry(p, argp, args, false);
}

bool fltFloor2(sFlt4Params &p, const void *argp, int32_t args)
{
    return floorEntry(p, argp, args, true);
}

bool fltFloorReference(sFlt4Params &p, const SFltFloor &rec, bool newest)
{
    return checkFlt4Params(p) && floorRender<true>(p, rec, newest);
}
