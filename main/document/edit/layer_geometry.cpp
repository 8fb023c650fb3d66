#include "document/edit/layer_geometry.h"

#include "core/base/numeric.h"
#include "core/scale/scale_image.h"
#include "core/tiles/block_layer_image.h"
#include "core/tiles/work_threads.h"
#include "document/edit/geometry_layers.h"
#include "document/edit/scale_layer_image.h"
#include "document/paper/layer_data.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

namespace {

constexpr int64_t kOne = 0x10000;  // 1.0 in 16.16
constexpr int64_t kHalf = 0x8000;  // 0.5 in 16.16

// ---- rotation by an angle

// A rotation multiplies (value >> 8) by (factor >> 8); both are signed 16.16, so the shifts are
// arithmetic.
int64_t fixRotMul(int64_t value, int64_t factor)
{
    return (value >> 8) * (factor >> 8);
}

struct SFixTurn
{
    int64_t sn = 0, cs = 0;
    // Clockwise on the screen (y grows downwards).
    void forward(int64_t x, int64_t y, int64_t &rx, int64_t &ry) const
    {
        rx = fixRotMul(x, cs) - fixRotMul(y, sn);
        ry = fixRotMul(x, sn) + fixRotMul(y, cs);
    }
    void inverse(int64_t x, int64_t y, int64_t &rx, int64_t &ry) const
    {
        rx = fixRotMul(x, cs) + fixRotMul(y, sn);
        ry = fixRotMul(y, cs) - fixRotMul(x, sn);
    }
};

SFixTurn fixTurn(float degrees)
{
    const double rad = double(degrees) * (M_PI / 180.0);
    return {floatToFix(float(std::sin(rad))), floatToFix(float(std::cos(rad)))};
}

// One axis of the new image: its length and the paper's place in it. half is the paper's half
// length in 16.16, lo and hi the range of the turned corners about the paper's centre.
void turnedAxis(int64_t paper, int64_t half, int64_t lo, int64_t hi, int64_t &len, int64_t &view)
{
    if (half - std::llabs(lo) > 0) {
        len = std::max(paper, (hi + half) / kOne);
        view = 0;
    } else {
        len = std::max(paper, (hi - lo) / kOne);
        view = (-lo - half) / kOne;
    }
    len = std::max(len, paper + view);
}

// The four source pixels around s (16.16): the left or top index is floor(s) for s >= 0 and
// the truncation toward zero below 0, and the fraction keeps the sign of s.
struct SBilinear
{
    int64_t ix, iy;
    int64_t w[4]; // top-left, top-right, bottom-left, bottom-right, 16.16
};

SBilinear bilinearAt(int64_t sx, int64_t sy)
{
    SBilinear b;
    b.ix = sx / kOne;
    b.iy = sy / kOne;
    const int64_t fx = sx - b.ix * kOne, fy = sy - b.iy * kOne;
    const int64_t wx[2] = {kOne - fx, fx}, wy[2] = {kOne - fy, fy};
    for (int k = 0; k < 4; ++k)
        b.w[k] = (wx[k & 1] * wy[k >> 1]) >> 16;
    return b;
}

uint32_t clampSumByte(int64_t sum)
{
    return uint32_t(std::clamp<int64_t>(sum, 0, 0xFF0000) >> 16);
}

// The four bytes of each pixel mixed directly.
uint32_t mixPlain(const uint32_t px[4], const int64_t w[4])
{
    uint32_t out = 0;
    for (int ch = 0; ch < 4; ++ch) {
        int64_t sum = 0;
        for (int k = 0; k < 4; ++k)
            sum += int64_t((px[k] >> (8 * ch)) & 0xFF) * w[k];
        out |= clampSumByte(sum) << (8 * ch);
    }
    return out;
}

// Colours premultiplied by their alpha (truncated), then divided by the mixed alpha.
uint32_t mixAlphaWeighted(const uint32_t px[4], const int64_t w[4])
{
    int64_t sums[3] = {}, aSum = 0;
    for (int k = 0; k < 4; ++k) {
        const int64_t a = px[k] >> 24;
        for (int ch = 0; ch < 3; ++ch)
            sums[ch] += int64_t(((px[k] >> (8 * ch)) & 0xFF) * a / 255) * w[k];
        aSum += a * w[k];
    }
    aSum = std::clamp<int64_t>(aSum, 0, 0xFF0000);
    uint32_t out = uint32_t(aSum >> 16) << 24;
    if (aSum == 0)
        return out;
    for (int ch = 0; ch < 3; ++ch) {
        const long double c = (long double)sums[ch] / (long double)aSum * 255.0L;
        out |= uint32_t(std::clamp<long double>(std::trunc(c), 0, 255)) << (8 * ch);
    }
    return out;
}

// dst's pixels set to colour(x, y) as setting each pixel that differs would set them: a block
// whose every pixel keeps its uniform colour keeps no memory. Block rows are worked out over the
// work threads a band at a time; blocks are given memory afterwards, in order, on this thread.
template <class Colour> bool putPixelsByBlock(CBlockVMTC &dst, const Colour &colour)
{
    constexpr int32_t kUnit = CBlockVMTC::kUnit;
    constexpr int32_t kBandRows = 32; // block rows held at once: 4 MiB per 1024 pixels of width
    const sSize grid = dst.getRepSize();
    const auto writeRows = [&](const SBlockPack &pack, int32_t bx, int32_t by, const uint32_t *px) {
        const int32_t w = std::min(kUnit, dst.width() - bx * kUnit);
        const int32_t h = std::min(kUnit, dst.height() - by * kUnit);
        auto *to = static_cast<uint32_t *>(pack.vAddr.get());
        for (int32_t y = 0; y < h; ++y)
            std::copy_n(px + y * kUnit, w, to + y * kUnit);
    };
    for (int32_t top = 0; top < grid.y; top += kBandRows) {
        const int32_t rows = std::min(kBandRows, grid.y - top);
        // The pixels of the blocks that must be given memory first.
        std::vector<std::vector<uint32_t>> pending(size_t(rows) * size_t(grid.x));
        parallelRanges(rows, 1, [&](int32_t begin, int32_t end) {
            std::vector<uint32_t> px(size_t(kUnit) * kUnit);
            for (int32_t r = begin; r < end; ++r)
                for (int32_t bx = 0; bx < grid.x; ++bx) {
                    const int32_t by = top + r;
                    const SBlockPack &pack = dst.blockAt(by * grid.x + bx);
                    const int32_t w = std::min(kUnit, dst.width() - bx * kUnit);
                    const int32_t h = std::min(kUnit, dst.height() - by * kUnit);
                    bool differs = false;
                    for (int32_t y = 0; y < h; ++y)
                        for (int32_t x = 0; x < w; ++x) {
                            const uint32_t c = colour(bx * kUnit + x, by * kUnit + y);
                            px[size_t(y * kUnit + x)] = c;
                            differs |= c != pack.bgCol.all;
                        }
                    if (pack.commit)
                        writeRows(pack, bx, by, px.data());
                    else if (differs)
                        pending[size_t(r) * size_t(grid.x) + size_t(bx)] = px;
                }
        });
        for (int32_t r = 0; r < rows; ++r)
            for (int32_t bx = 0; bx < grid.x; ++bx) {
                const std::vector<uint32_t> &px = pending[size_t(r) * size_t(grid.x) + size_t(bx)];
                SBlockPack &pack = dst.blockAt((top + r) * grid.x + bx);
                if (px.empty())
                    continue;
                if (!dst.commitBlock(pack))
                    return false;
                writeRows(pack, bx, top + r, px.data());
            }
    }
    return true;
}

std::unique_ptr<CLayerData> rotatedLayer(const sSize &S, const CLayerData &layer, float degrees,
                                         bool alphaWeighted, bool byBlock)
{
    if (!std::isfinite(degrees) || !layer.imageTC || S.x <= 0 || S.y <= 0)
        return nullptr;
    const SFixTurn turn = fixTurn(degrees);
    const int64_t hw = int64_t(S.x) * 32768, hh = int64_t(S.y) * 32768;
    const sRect rect = layer.getLayerRect();
    int64_t rx[2] = {INT64_MAX, INT64_MIN}, ry[2] = {INT64_MAX, INT64_MIN};
    for (int k = 0; k < 4; ++k) {
        const int64_t cx = int64_t(k & 1 ? rect.x1 : rect.x0) * kOne - hw;
        const int64_t cy = int64_t(k & 2 ? rect.y1 : rect.y0) * kOne - hh;
        int64_t tx, ty;
        turn.forward(cx, cy, tx, ty);
        rx[0] = std::min(rx[0], tx), rx[1] = std::max(rx[1], tx);
        ry[0] = std::min(ry[0], ty), ry[1] = std::max(ry[1], ty);
    }
    int64_t width, height, vx, vy;
    turnedAxis(S.x, hw, rx[0], rx[1], width, vx);
    turnedAxis(S.y, hh, ry[0], ry[1], height, vy);
    auto ld = newGeometryLayer(layer, width, height);
    if (!ld)
        return nullptr;
    ld->viewPos = {int32_t(vx), int32_t(vy)};
    const int64_t dcx = vx * kOne + hw, dcy = vy * kOne + hh;
    const int64_t scx = int64_t(layer.viewPos.x) * kOne + hw;
    const int64_t scy = int64_t(layer.viewPos.y) * kOne + hh;
    const CBlockVMTC &src = *layer.imageTC;
    CBlockVMTC &dst = *ld->imageTC;
    const auto colour = [&](int32_t x, int32_t y) {
        int64_t ux, uy;
        turn.inverse(x * kOne - dcx + kHalf, y * kOne - dcy + kHalf, ux, uy);
        const SBilinear b = bilinearAt(scx + ux - kHalf, scy + uy - kHalf);
        const int32_t ix = int32_t(b.ix), iy = int32_t(b.iy);
        const uint32_t px[4] = {src.getColor2(ix, iy), src.getColor2(ix + 1, iy),
                                src.getColor2(ix, iy + 1), src.getColor2(ix + 1, iy + 1)};
        return alphaWeighted ? mixAlphaWeighted(px, b.w) : mixPlain(px, b.w);
    };
    if (byBlock)
        return putPixelsByBlock(dst, colour) && finishGeometryLayer(*ld, layer, S) ? std::move(ld)
                                                                                     : nullptr;
    for (int32_t y = 0; y < dst.height(); ++y) {
        for (int32_t x = 0; x < dst.width(); ++x) {
            const uint32_t col = colour(x, y);
            // Pixels that already hold the colour stay unwritten, so uniform blocks keep no
            // memory.
            if (dst.getColor(x, y) != col && !dst.setPixel(x, y, col))
                return nullptr;
        }
    }
    return finishGeometryLayer(*ld, layer, S) ? std::move(ld) : nullptr;
}

#if defined(__SSE2__)
// The exact halving of the whole of src into dst's top-left w x h, whose blocks are committed:
// each destination block reads the rows of the 2 x 2 source blocks it covers straight from
// their memory (a uniform block from a row of its colour), bands of block rows on the work
// threads. No two bands share a destination block.
void halveLayerImage(const CBlockVMTC &src, CBlockVMTC &dst, int32_t w, int32_t h, bool alpha)
{
    constexpr int32_t U = CBlockVMTC::kUnit;
    const sSize sg = src.getRepSize(), dg = dst.getRepSize();
    const int32_t bw = (w + U - 1) / U, bh = (h + U - 1) / U;
    parallelRanges(bh, 1, [&](int32_t begin, int32_t end) {
        // A uniform source block's rows: its colour U times (one per source row of a pair).
        std::vector<uint32_t> flat0(U), flat1(U);
        const auto rowOf = [&](std::vector<uint32_t> &flat, int32_t sbx, int32_t sy) {
            const SBlockPack &p = src.blockAt((sy / U) * sg.x + sbx);
            if (p.commit)
                return static_cast<const uint32_t *>(p.vAddr.get()) + (sy % U) * U;
            std::fill(flat.begin(), flat.end(), p.bgCol.all);
            return static_cast<const uint32_t *>(flat.data());
        };
        for (int32_t by = begin; by < end; ++by)
            for (int32_t bx = 0; bx < bw; ++bx) {
                auto *out = static_cast<uint32_t *>(dst.blockAt(by * dg.x + bx).vAddr.get());
                const int32_t cw = std::min(U, w - bx * U), ch = std::min(U, h - by * U);
                // Each half of the destination block's row comes from one source block's rows,
                // read where they lie.
                for (int32_t k = 0; k < 2 && k * U / 2 < cw; ++k) {
                    const int32_t sbx = 2 * bx + k, count = std::min(U / 2, cw - k * U / 2);
                    for (int32_t y = 0; y < ch; ++y) {
                        const int32_t sy = 2 * (by * U + y);
                        halveRow(out + y * U + k * U / 2, rowOf(flat0, sbx, sy),
                                 rowOf(flat1, sbx, sy + 1), count, alpha);
                    }
                }
            }
    });
}
#endif

std::unique_ptr<CLayerData> zoomedLayer(const sSize &S, const CLayerData &layer, int32_t w,
                                        int32_t h, bool alphaWeighted,
                                        [[maybe_unused]] bool byWalk)
{
    if (w <= 0 || h <= 0 || !layer.imageTC || layer.imageTC->width() <= 0 ||
        layer.imageTC->height() <= 0)
        return nullptr;
    const int64_t e = int64_t(w) * layer.viewPos.x / layer.imageTC->width();
    const int64_t f = int64_t(h) * layer.viewPos.y / layer.imageTC->height();
    auto ld = newGeometryLayer(layer, e + std::max<int64_t>(w - e, S.x),
                               f + std::max<int64_t>(h - f, S.y));
    if (!ld)
        return nullptr;
    CScaleLayerImage scaler(layer.imageTC.get(), ld->imageTC.get());
    const sBox from = boxFromSize(layer.imageTC->FPSZ()), to{0, 0, w, h};
    // Every pixel of the box is written: its blocks are had first, so that running out of memory
    // stops before the walk rather than during it.
    if (!commitLayerArea(*ld->imageTC, to))
        return nullptr;
#if defined(__SSE2__)
    if (!byWalk && int64_t(w) * 2 == from.w && int64_t(h) * 2 == from.h) {
        halveLayerImage(*layer.imageTC, *ld->imageTC, w, h, alphaWeighted);
    } else
#endif
    {
        const bool done = alphaWeighted ? scaler.scale2(from, to) : scaler.scale(from, to);
        if (!done || !scaler.allStored())
            return nullptr;
    }
    ld->viewPos = {int32_t(e), int32_t(f)};
    return finishGeometryLayer(*ld, layer, S) ? std::move(ld) : nullptr;
}

// Memory that runs out while a builder works answers nullptr like any other failure.
template <class F> std::unique_ptr<CLayerData> guarded(F build)
{
    try {
        return build();
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

} // namespace

std::unique_ptr<CLayerData> makeMovedLayer(const CLayerData &layer, const sSize &size,
                                           const sSize &previewSize, int32_t mode,
                                           const sPos &dpos, const sPos &viewPos,
                                           const sSize &paperSize)
{
    auto ld = newGeometryLayer(layer, size.x, size.y);
    if (!ld)
        return nullptr;
    try {
        if (mode == 0) {
            ld->trans = layer.trans;
            ld->visible = layer.visible;
            ld->title = layer.title;
        } else {
            ld->copyAttr(layer);
        }
        ld->viewPos = viewPos;
        ld->viewSize = layer.viewSize;
        if (!ld->resizePreview(previewSize.x, previewSize.y) ||
            !copyLayerImage(*ld->imageTC, *layer.imageTC, dpos, layer.imageBox()))
            return nullptr;
        ld->imageTC->shrinkMemory();
        ld->updatePreview();
        if (mode > 0)
            replaceWithFittedLayer(paperSize, ld);
        return ld;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

std::unique_ptr<CLayerData> fitLayerToPaper(const sSize &paperSize, const CLayerData &layer,
                                            bool *ok)
{
    bool dummy;
    bool &good = ok ? *ok : dummy;
    good = false;
    if (!layer.imageTC)
        return nullptr;
    const CBlockVMTC &img = *layer.imageTC;
    sRect r = rectFromSize(paperSize);
    sRect vis;
    if (img.findVisibleRect(vis)) {
        rectOffset(vis, -layer.viewPos.x, -layer.viewPos.y);
        rectUnion(r, vis);
    }
    const int64_t rw = int64_t(r.x1) - r.x0, rh = int64_t(r.y1) - r.y0;
    const int32_t unit = img.blockUnit();
    if ((rw + unit - 1) / unit == img.getRepSize().x && (rh + unit - 1) / unit == img.getRepSize().y) {
        good = true;
        return nullptr;
    }
    auto ld = newGeometryLayer(layer, rw, rh);
    if (!ld)
        return nullptr;
    const sBox from{r.x0 + layer.viewPos.x, r.y0 + layer.viewPos.y, int32_t(rw), int32_t(rh)};
    if (!copyLayerImage(*ld->imageTC, img, {0, 0}, from))
        return nullptr;
    ld->viewPos = {-r.x0, -r.y0};
    if (!finishGeometryLayer(*ld, layer, paperSize))
        return nullptr;
    good = true;
    return ld;
}

bool replaceWithFittedLayer(const sSize &paperSize, std::unique_ptr<CLayerData> &layer)
{
    if (!layer)
        return false;
    auto fitted = fitLayerToPaper(paperSize, *layer);
    if (!fitted)
        return false;
    layer = std::move(fitted);
    return true;
}

std::unique_ptr<CLayerData> makeRotated90Layer(const sSize &S, const CLayerData &layer,
                                               bool right)
{
    if (!layer.imageTC)
        return nullptr;
    const int64_t iw = layer.imageTC->width(), ih = layer.imageTC->height();
    const sRect rect = layer.getLayerRect();
    int64_t b = right ? int64_t(rect.y1) - S.y : layer.viewPos.y;
    int64_t a = right ? int64_t(layer.viewPos.x) : int64_t(rect.x1) - S.x;
    b += S.y / 2 - S.x / 2;
    a += S.x / 2 - S.y / 2;
    int64_t ofsX = 0, ofsY = 0;
    if (b < 0)
        ofsX = -b, b = 0;
    if (a < 0)
        ofsY = -a, a = 0;
    const int64_t l = std::max({ih, int64_t(S.x), ih + ofsX});
    const int64_t o = std::max({iw, int64_t(S.y), iw + ofsY});
    const int64_t r = std::max<int64_t>(S.x + b - l, 0);
    const int64_t height = S.y + a - o > 0 ? S.y + a : o;
    auto ld = newGeometryLayer(layer, l + r, height);
    if (!ld || ofsX > INT32_MAX || ofsY > INT32_MAX ||
        !layer.imageTC->rot90({int32_t(ofsX), int32_t(ofsY)}, *ld->imageTC, right))
        return nullptr;
    ld->viewPos = {int32_t(b), int32_t(a)};
    return finishGeometryLayer(*ld, layer, S) ? std::move(ld) : nullptr;
}

std::unique_ptr<CLayerData> makeRotatedLayer(const sSize &paperSize, const CLayerData &layer,
                                             float degrees)
{
    return guarded([&] { return rotatedLayer(paperSize, layer, degrees, false, true); });
}

std::unique_ptr<CLayerData> makeRotatedLayerByPixel(const sSize &paperSize,
                                                    const CLayerData &layer, float degrees,
                                                    bool alphaWeighted)
{
    return guarded([&] { return rotatedLayer(paperSize, layer, degrees, alphaWeighted, false); });
}

std::unique_ptr<CLayerData> makeRotatedLayer2(const sSize &paperSize, const CLayerData &layer,
                                              float degrees)
{
    return guarded([&] { return rotatedLayer(paperSize, layer, degrees, true, true); });
}

std::unique_ptr<CLayerData> makeZoomedLayer(const sSize &paperSize, const CLayerData &layer,
                                            int32_t w, int32_t h)
{
    return guarded([&] { return zoomedLayer(paperSize, layer, w, h, false, false); });
}

std::unique_ptr<CLayerData> makeZoomedLayer2(const sSize &paperSize, const CLayerData &layer,
                                             int32_t w, int32_t h)
{
    return guarded([&] { return zoomedLayer(paperSize, layer, w, h, true, false); });
}

std::unique_ptr<CLayerData> makeZoomedLayerByWalk(const sSize &paperSize, const CLayerData &layer,
                                                  int32_t w, int32_t h, bool alphaWeighted)
{
    return guarded([&] { return zoomedLayer(paperSize, layer, w, h, alphaWeighted, true); });
}
