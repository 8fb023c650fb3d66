#include "filters/algorithms/median_filter.h"

#include "core/image/canvas.h"
#include "core/tiles/block_layer_image.h"
#include "core/tiles/work_threads.h"
#include "filters/core/pixel_mechanics.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <memory>

namespace {

// Channel slots of the histograms: B, G, R over pixels with alpha > 0, and alpha over all.
constexpr int kB = 0, kG = 1, kR = 2, kA = 3;

// The plain both-ends search: for i = 0, 1, ... the lower sum takes count[i] and answers i when it
// reaches thr, otherwise the upper sum takes count[255 - i] and answers 255 - i when it does.
template <class Count> uint8_t bothEndsSearch(Count count, int64_t thr)
{
    int64_t lower = 0, upper = 0;
    for (int32_t i = 0; i < 256; ++i) {
        lower += count(i);
        if (lower >= thr)
            return uint8_t(i);
        upper += count(255 - i);
        if (upper >= thr)
            return uint8_t(255 - i);
    }
    return 0;
}

// Four 256-bin histograms with 16-bin coarse sums, counts signed so that a remove is an add of -k.
struct MedianHistograms
{
    std::array<std::array<int32_t, 256>, 4> fine{};
    std::array<std::array<int32_t, 16>, 4> coarse{};
    int32_t colourCount = 0;

    void bin(int ch, uint8_t v, int32_t k)
    {
        fine[size_t(ch)][v] += k;
        coarse[size_t(ch)][v >> 4] += k;
    }
    void add(sBGRA c, int32_t k)
    {
        bin(kA, c.A, k);
        if (c.A == 0)
            return;
        bin(kB, c.B, k);
        bin(kG, c.G, k);
        bin(kR, c.R, k);
        colourCount += k;
    }

    // The first bin from below whose running sum reaches thr, and the same from above (as the
    // number of steps from 255); the both-ends rule takes the one reached first.
    uint8_t median(int ch, int32_t thr) const
    {
        const auto &f = fine[size_t(ch)];
        const auto &c = coarse[size_t(ch)];
        int32_t low = 255, acc = 0;
        for (int32_t b = 0; b < 16; ++b) {
            if (acc + c[size_t(b)] < thr) {
                acc += c[size_t(b)];
                continue;
            }
            for (int32_t i = b * 16;; ++i) {
                acc += f[size_t(i)];
                if (acc >= thr) {
                    low = i;
                    break;
                }
            }
            break;
        }
        int32_t high = 255;
        acc = 0;
        for (int32_t b = 15; b >= 0; --b) {
            if (acc + c[size_t(b)] < thr) {
                acc += c[size_t(b)];
                continue;
            }
            for (int32_t i = b * 16 + 15;; --i) {
                acc += f[size_t(i)];
                if (acc >= thr) {
                    high = 255 - i;
                    break;
                }
            }
            break;
        }
        return uint8_t(low <= high ? low : 255 - high);
    }
};

// One line of the window, n = 2r + 1 positions from lo, clamped into 0..size - 1: the positions
// inside once each, the first and last index standing for every position beyond their edge.
template <class Add> void addClampedLine(int32_t lo, int32_t hi, int32_t size, int32_t k, Add add)
{
    const int32_t nBefore = lo < 0 ? std::min(hi, -1) - lo + 1 : 0;
    const int32_t nAfter = hi > size - 1 ? hi - std::max(lo, size) + 1 : 0;
    if (nBefore > 0)
        add(0, k * nBefore);
    if (nAfter > 0)
        add(size - 1, k * nAfter);
    for (int32_t i = std::max(lo, 0); i <= std::min(hi, size - 1); ++i)
        add(i, k);
}

class MedianWindow
{
  public:
    MedianWindow(const TMTC &flow, int32_t w, int32_t h, int32_t r)
        : m_flow(flow), m_w(w), m_h(h), m_r(r)
    {
    }

    MedianHistograms hist;

    // Adds (k = 1) or removes (k = -1) the window row at unclamped index yy for centre column x.
    void row(int32_t yy, int32_t x, int32_t k)
    {
        const sBGRA *line = m_flow.seek32(0, std::clamp(yy, 0, m_h - 1));
        addClampedLine(x - m_r, x + m_r, m_w, k, [&](int32_t i, int32_t n) { hist.add(line[i], n); });
    }
    void column(int32_t xx, int32_t y, int32_t k)
    {
        const int32_t cx = std::clamp(xx, 0, m_w - 1);
        addClampedLine(y - m_r, y + m_r, m_h, k,
                       [&](int32_t j, int32_t n) { hist.add(*m_flow.seek32(cx, j), n); });
    }
    // The whole window around (x, y), rows with their multiplicities.
    void build(int32_t x, int32_t y)
    {
        hist = {};
        addClampedLine(y - m_r, y + m_r, m_h, 1, [&](int32_t j, int32_t n) {
            const sBGRA *line = m_flow.seek32(0, j);
            addClampedLine(x - m_r, x + m_r, m_w, n,
                           [&](int32_t i, int32_t nn) { hist.add(line[i], nn); });
        });
    }
    // The window moves from row y by dy (+1 or -1) at column x.
    void stepRow(int32_t x, int32_t y, int32_t dy)
    {
        const int32_t out = dy > 0 ? y - m_r : y + m_r, in = dy > 0 ? y + m_r + 1 : y - m_r - 1;
        if (std::clamp(out, 0, m_h - 1) == std::clamp(in, 0, m_h - 1))
            return;
        row(out, x, -1);
        row(in, x, 1);
    }
    // The window moves from column x one to the right at row y.
    void stepColumn(int32_t x, int32_t y)
    {
        const int32_t out = x - m_r, in = x + m_r + 1;
        if (std::clamp(out, 0, m_w - 1) == std::clamp(in, 0, m_w - 1))
            return;
        column(out, y, -1);
        column(in, y, 1);
    }

  private:
    const TMTC &m_flow;
    int32_t m_w, m_h, m_r;
};

uint32_t medianColour(const MedianHistograms &h, int32_t alphaThr)
{
    const int32_t c = h.colourCount;
    const int32_t thr = c / 2 + c % 2;
    sBGRA out;
    out.B = h.median(kB, thr);
    out.G = h.median(kG, thr);
    out.R = h.median(kR, thr);
    out.A = h.median(kA, alphaThr);
    return out.all;
}

} // namespace

namespace {

// The serpentine over the columns x0 .. x1 - 1 of dstRect: down the first, one step right, up
// the next, and so on. False when a layer block cannot be had.
bool medianStrip(sFlt4Params &p, int32_t x0, int32_t x1, int32_t r, fptrPixelPut4core put)
{
    const int32_t n = 2 * r + 1, alphaThr = n * n / 2 + 1;
    const int32_t w = p.layerTC->width(), h = p.layerTC->height();
    const sRect &d = p.dstRect;
    auto win = std::make_unique<MedianWindow>(*p.flowTC, w, h, r);
    win->build(x0, d.y0);
    int32_t y = d.y0;
    for (int32_t x = x0; x < x1; ++x) {
        const bool down = (x - x0) % 2 == 0;
        if (x > x0)
            win->stepColumn(x - 1, y);
        for (int32_t i = 0; i < d.y1 - d.y0; ++i) {
            if (i > 0) {
                win->stepRow(x, y, down ? 1 : -1);
                y += down ? 1 : -1;
            }
            const int32_t m = p.maskWeight(x, y);
            if (m <= 0)
                continue;
            sBGRA *px = p.layerTC->seekPixelNC(x, y);
            if (!px)
                return false;
            put(px, medianColour(win->hist, alphaThr), uint32_t(m));
        }
    }
    return true;
}

// Commits the layer blocks the serpentine over the whole of dstRect reaches with a weight above 0,
// in its order, on the calling thread (committing adds to the layer's trace). False when one
// cannot be had.
bool commitSerpentineBlocks(sFlt4Params &p)
{
    const sRect &d = p.dstRect;
    const CBlockVMTC &layer = *p.layerTC;
    for (int32_t x = d.x0; x < d.x1; ++x) {
        const bool down = (x - d.x0) % 2 == 0;
        for (int32_t i = 0; i < d.y1 - d.y0; ++i) {
            const int32_t y = down ? d.y0 + i : d.y1 - 1 - i;
            const SBlockPack *pack = layer.seekBlock(x, y);
            if (pack && pack->commit)
                continue;
            if (p.maskWeight(x, y) > 0 && !p.layerTC->seekPixelNC(x, y))
                return false;
        }
    }
    return true;
}

} // namespace

// Each pixel's medians depend only on its window, so strips of whole block columns run the
// serpentine apart on the work threads (no two strips share a layer block) once the blocks are
// committed.
bool fltMedian(sFlt4Params &p, const void *argp, int32_t args)
{
    if (!checkFilterFrame(p, args, kFltObj2Size) || !argp)
        return false;
    sFltObj2 rec;
    std::memcpy(&rec, argp, sizeof rec);
    const int32_t r = rec.data0.b0;
    const fptrPixelPut4core put = rec.data0.b1 != 0 || p.layerPrt ? pixelPutAlpha : pixelPutWithAlpha;
    const sRect d = p.dstRect;
    if (!commitSerpentineBlocks(p))
        return false;
    constexpr int32_t kUnit = CBlockVMTC::kUnit;
    const int32_t first = d.x0 / kUnit, last = (d.x1 - 1) / kUnit;
    std::atomic<bool> ok{true};
    parallelRanges(last - first + 1, 1, [&](int32_t b0, int32_t b1) {
        const int32_t x0 = std::max(d.x0, (first + b0) * kUnit);
        const int32_t x1 = std::min(d.x1, (first + b1) * kUnit);
        if (!medianStrip(p, x0, x1, r, put))
            ok = false;
    });
    return ok;
}

bool medianFilterReference(sFlt4Params &p, int32_t radius, bool keepAlpha)
{
    if (!checkFlt4Params(p) || radius < 0)
        return false;
    const fptrPixelPut4core put = keepAlpha || p.layerPrt ? pixelPutAlpha : pixelPutWithAlpha;
    const int32_t n = 2 * radius + 1;
    const int32_t w = p.layerTC->width(), h = p.layerTC->height();
    return walkDstRectPlain(p, [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
        std::array<std::array<int64_t, 256>, 4> count{};
        int64_t c = 0;
        for (int32_t j = y - radius; j <= y + radius; ++j)
            for (int32_t i = x - radius; i <= x + radius; ++i) {
                const sBGRA s{.all = p.flowTC->getColor(std::clamp(i, 0, w - 1), std::clamp(j, 0, h - 1))};
                ++count[kA][s.A];
                if (s.A > 0) {
                    ++count[kB][s.B], ++count[kG][s.G], ++count[kR][s.R];
                    ++c;
                }
            }
        const auto med = [&](int ch, int64_t thr) {
            return bothEndsSearch([&](int32_t v) { return count[size_t(ch)][size_t(v)]; }, thr);
        };
        const int64_t thr = c / 2 + c % 2;
        sBGRA out;
        out.B = med(kB, thr), out.G = med(kG, thr), out.R = med(kR, thr);
        out.A = med(kA, int64_t(n) * n / 2 + 1);
        put(&px, out.all, uint32_t(m));
    });
}
