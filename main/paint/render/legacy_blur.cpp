#include "paint/render/legacy_blur.h"

#include "core/tiles/block_layer_image.h"
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/base/numeric.h"
#include "paint/render/legacy_dabs.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace {

// The canvas put procedure installed now (setCanvasPutProc answers it only on a change, so it is
// put straight back).
fptrCanvasPut currentCanvasPut()
{
    const fptrCanvasPut put = setCanvasPutProc(nullptr);
    setCanvasPutProc(put);
    return put;
}

int32_t truncInt(long double v)
{
    constexpr long double kFar = 1 << 30;
    if (!(v > -kFar))
        return -(1 << 30);
    return int32_t(std::trunc(std::min(v, kFar)));
}

// The disc and coverage of one blur dab.
struct BlurDisc
{
    sRect rect;
    int32_t cx = 0, cy = 0, r = 0; // 16.16
    uint32_t opacity = 0;          // trunc(opacity × 255)
    int32_t a = 1;                 // half size of the box

    // The 16.16 distance of pixel (x, y)'s centre from the dab centre.
    int32_t distance(int32_t x, int32_t y) const
    {
        return fixHypot((x << 16) + 0x8000 - cx, (y << 16) + 0x8000 - cy);
    }
    uint32_t coverage(int32_t d) const
    {
        const int64_t fall = 255 - int64_t(d) * 255 / r;
        return mul255(uint32_t(std::clamp<int64_t>(fall, 0, 255)), opacity);
    }
};

bool setupBlurDisc(const TMTC &canvas, int32_t blurSize, float cx, float cy, float r, float opacity,
                   BlurDisc &disc)
{
    sPos ofs;
    if (!canvas.isEnable() || !dabClipRect(canvas, disc.rect, ofs, cx, cy, r))
        return false;
    disc.a = std::max(blurSize, 1);
    disc.cx = floatToFix(cx);
    disc.cy = floatToFix(cy);
    disc.r = floatToFix(r);
    const long double op = std::trunc((long double)opacity * 255);
    disc.opacity = op <= 0 ? 0u : (op >= 255 ? 255u : uint32_t(op));
    return true;
}

// Channel sums of a box of layer pixels; 64 bits, so that no box size overflows them.
struct Sums
{
    uint64_t r = 0, g = 0, b = 0, a = 0;
};

// Channel sums of a set of layer pixels: each colour channel weighted by its pixel's alpha
// (through gMulTable), or plain.
template <bool Weighted> void addPixel(Sums &s, uint32_t c)
{
    const sBGRA p{.all = c};
    if (Weighted) {
        if (p.A == 0)
            return;
        s.r += gMulTable[(p.R << 8) | p.A];
        s.g += gMulTable[(p.G << 8) | p.A];
        s.b += gMulTable[(p.B << 8) | p.A];
        s.a += p.A;
    } else {
        s.r += p.R, s.g += p.G, s.b += p.B;
    }
}

void addSums(Sums &s, const Sums &t)
{
    s.r += t.r, s.g += t.g, s.b += t.b, s.a += t.a;
}

void subSums(Sums &s, const Sums &t)
{
    s.r -= t.r, s.g -= t.g, s.b -= t.b, s.a -= t.a;
}

// The colour of a box of n pixels from its sums, or false when nothing is to be put.
template <bool Weighted> bool boxColour(const Sums &s, uint64_t n, uint32_t lastAlpha, sBGRA &c)
{
    if (Weighted) {
        if (s.a == 0)
            return false;
        c.R = uint8_t(std::min<uint64_t>(s.r * 255 / s.a, 255));
        c.G = uint8_t(std::min<uint64_t>(s.g * 255 / s.a, 255));
        c.B = uint8_t(std::min<uint64_t>(s.b * 255 / s.a, 255));
        c.A = uint8_t(s.a / n);
        return true;
    }
    c.R = uint8_t(s.r / n);
    c.G = uint8_t(s.g / n);
    c.B = uint8_t(s.b / n);
    c.A = uint8_t(lastAlpha);
    return true;
}

// The sums of column x over the rows y - a .. y + a.
template <bool Weighted> Sums columnSums(const CBlockVMTC &layer, int32_t x, int32_t y, int32_t a)
{
    Sums s{};
    for (int32_t j = y - a; j <= y + a; ++j)
        addPixel<Weighted>(s, layer.PixelGet(x, j));
    return s;
}

// Column sums that slide along a row: the 2a + 1 columns around the current pixel are kept, and
// a step to the right drops the oldest and adds column x + a.
template <bool Weighted> class SlidingBox
{
  public:
    SlidingBox(const CBlockVMTC &layer, int32_t a) : m_layer(layer), m_a(a), m_cols(2 * a + 1) {}

    void start(int32_t x, int32_t y)
    {
        m_total = {};
        for (int32_t k = 0; k < int32_t(m_cols.size()); ++k) {
            m_cols[k] = columnSums<Weighted>(m_layer, x - m_a + k, y, m_a);
            addSums(m_total, m_cols[k]);
        }
        m_oldest = 0;
    }
    void next(int32_t x, int32_t y)
    {
        subSums(m_total, m_cols[m_oldest]);
        m_cols[m_oldest] = columnSums<Weighted>(m_layer, x + m_a, y, m_a);
        addSums(m_total, m_cols[m_oldest]);
        m_oldest = (m_oldest + 1) % m_cols.size();
    }
    // The colour-only sums give their colour alpha 0.
    bool colour(sBGRA &c) const
    {
        const uint64_t n = uint64_t(m_cols.size()) * m_cols.size();
        return boxColour<Weighted>(m_total, n, 0, c);
    }

  private:
    const CBlockVMTC &m_layer;
    int32_t m_a;
    std::vector<Sums> m_cols;
    Sums m_total{};
    size_t m_oldest = 0;
};

// The whole box read afresh for every pixel.
template <bool Weighted> class DirectBox
{
  public:
    DirectBox(const CBlockVMTC &layer, int32_t a) : m_layer(layer), m_a(a) {}

    void start(int32_t x, int32_t y) { next(x, y); }
    void next(int32_t x, int32_t y)
    {
        m_total = {};
        for (int32_t j = y - m_a; j <= y + m_a; ++j)
            for (int32_t i = x - m_a; i <= x + m_a; ++i)
                addPixel<Weighted>(m_total, m_layer.PixelGet(i, j));
        m_lastAlpha = sBGRA{.all = m_layer.PixelGet(x + m_a, y + m_a)}.A;
    }
    bool colour(sBGRA &c) const
    {
        const uint64_t side = uint64_t(2 * int64_t(m_a) + 1);
        return boxColour<Weighted>(m_total, side * side, m_lastAlpha, c);
    }

  private:
    const CBlockVMTC &m_layer;
    int32_t m_a;
    Sums m_total{};
    uint32_t m_lastAlpha = 0;
};

// Walks the disc row by row: the first pixel of a row inside the disc starts the box, each
// following one slides it; the first pixel outside after that ends the row.
template <class Box> void walkBlurDisc(TMTC &canvas, const BlurDisc &disc, Box &box)
{
    const fptrCanvasPut put = currentCanvasPut();
    for (int32_t y = disc.rect.y0; y < disc.rect.y1; ++y) {
        bool entered = false;
        for (int32_t x = disc.rect.x0; x < disc.rect.x1; ++x) {
            const int32_t d = disc.distance(x, y);
            if (!(d < disc.r)) {
                if (entered)
                    break;
                continue;
            }
            if (entered)
                box.next(x, y);
            else
                box.start(x, y);
            entered = true;
            sBGRA c{};
            if (box.colour(c))
                put(canvas, x, y, c.all, int32_t(disc.coverage(d)));
        }
    }
}

template <bool Weighted>
bool drawBlurDabDirectOf(TMTC &canvas, const CBlockVMTC &layer, int32_t blurSize, float cx,
                         float cy, float r, float opacity)
{
    BlurDisc disc;
    if (!setupBlurDisc(canvas, blurSize, cx, cy, r, opacity, disc))
        return false;
    DirectBox<Weighted> box(layer, disc.a);
    walkBlurDisc(canvas, disc, box);
    return true;
}

template <bool Weighted>
bool drawBlurDabOf(TMTC &canvas, const CBlockVMTC &layer, int32_t blurSize, float cx, float cy,
                   float r, float opacity)
{
    BlurDisc disc;
    if (!setupBlurDisc(canvas, blurSize, cx, cy, r, opacity, disc))
        return false;
    try {
        SlidingBox<Weighted> box(layer, disc.a);
        walkBlurDisc(canvas, disc, box);
    } catch (const std::bad_alloc &) {
        return drawBlurDabDirectOf<Weighted>(canvas, layer, blurSize, cx, cy, r, opacity);
    }
    return true;
}

// The plain mean of R, G, B over the (2a + 1)² box around (x, y); an empty box (a negative size)
// sums nothing.
uint32_t meanColour(const CBlockVMTC &layer, int32_t x, int32_t y, int32_t a)
{
    Sums s{};
    for (int32_t j = y - a; j <= y + a; ++j)
        for (int32_t i = x - a; i <= x + a; ++i)
            addPixel<false>(s, layer.PixelGet(i, j));
    const int64_t side = 2 * int64_t(a) + 1;
    const uint64_t n = uint64_t(side * side);
    sBGRA c{};
    c.R = uint8_t(s.r / n);
    c.G = uint8_t(s.g / n);
    c.B = uint8_t(s.b / n);
    return c.all;
}

inline int64_t sq(int64_t u, int64_t v)
{
    return u * u + v * v;
}

} // namespace

bool drawBlurDab(TMTC &canvas, const CBlockVMTC &layer, int32_t blurSize, float cx, float cy,
                 float r, float opacity)
{
    return drawBlurDabOf<true>(canvas, layer, blurSize, cx, cy, r, opacity);
}

bool drawBlurDabColorOnly(TMTC &canvas, const CBlockVMTC &layer, int32_t blurSize, float cx,
                          float cy, float r, float opacity)
{
    return drawBlurDabOf<false>(canvas, layer, blurSize, cx, cy, r, opacity);
}

bool drawBlurDabDirect(TMTC &canvas, const CBlockVMTC &layer, int32_t blurSize, float cx, float cy,
                       float r, float opacity)
{
    return drawBlurDabDirectOf<true>(canvas, layer, blurSize, cx, cy, r, opacity);
}

bool drawBlurDabDirectColorOnly(TMTC &canvas, const CBlockVMTC &layer, int32_t blurSize, float cx,
                                float cy, float r, float opacity)
{
    return drawBlurDabDirectOf<false>(canvas, layer, blurSize, cx, cy, r, opacity);
}

bool drawBlurDabOld(TMTC &canvas, const CBlockVMTC &layer, int32_t blurSize, float cx, float cy,
                    float r)
{
    if (!canvas.isEnable())
        return false;
    const int32_t a = blurSize == 0 ? 1 : blurSize;
    const int32_t x0 = std::max(truncInt((long double)cx - r), 0);
    const int32_t y0 = std::max(truncInt((long double)cy - r), 0);
    const int32_t x1 = std::min(truncInt((long double)cx + r + 1), canvas.width() - 1);
    const int32_t y1 = std::min(truncInt((long double)cy + r + 1), canvas.height() - 1);
    if (x0 > x1 || y0 > y1)
        return false;
    // Quarter pixels: the dab centre and radius truncated to the grid.
    const int64_t qcx = truncInt(4.0L * cx), qcy = truncInt(4.0L * cy);
    const int64_t q = truncInt(4.0L * r);
    const int64_t r2 = q * q;
    for (int32_t y = y0; y <= y1; ++y) {
        for (int32_t x = x0; x <= x1; ++x) {
            const int64_t u = 4 * int64_t(x) - qcx, v = 4 * int64_t(y) - qcy;
            if (!(sq(u, v) < r2 && sq(u + 4, v) < r2 && sq(u, v + 4) < r2 && sq(u + 4, v + 4) < r2))
                continue;
            const int64_t op = std::max<int64_t>(0, 255 - sq(u, v) * 255 / r2);
            canvas.qz11_PixelPut(x, y, meanColour(layer, x, y, a), uint32_t(op));
        }
    }
    return true;
}

bool applyBlur2Box(TMTC &canvas, const CBlockVMTC &layer, const TChannel &flowAlpha, sBox box,
                   const TChannel *mask)
{
    if (!canvas.isEnable() || !flowAlpha.isEnable() || !canvas.clipping(box) ||
        !boxClipToSize(box, flowAlpha.FPSZ()))
        return false;
    const bool masked = mask && mask->isEnable();
    for (int32_t y = box.y; y < box.y + box.h; ++y) {
        for (int32_t x = box.x; x < box.x + box.w; ++x) {
            uint32_t a = flowAlpha.getColor(x, y);
            if (masked) {
                const uint32_t b = mask->PixelGet(x, y);
                if (b != 255)
                    a = (a * b) >> 8;
            }
            if (a < 2) {
                canvas.seek32(x, y)->all = layer.PixelGet(x, y);
                continue;
            }
            // The centre counts 32 - min(a, 31) times, each neighbour once.
            const uint32_t w = 32 - std::min(a, 31u);
            Sums s{};
            for (int32_t j = -1; j <= 1; ++j)
                for (int32_t i = -1; i <= 1; ++i) {
                    const sBGRA p{.all = layer.PixelGet(x + i, y + j)};
                    const uint32_t k = (i == 0 && j == 0) ? w : 1;
                    s.r += p.R * k, s.g += p.G * k, s.b += p.B * k;
                }
            const uint32_t n = w + 8;
            sBGRA c{};
            c.R = uint8_t(s.r / n);
            c.G = uint8_t(s.g / n);
            c.B = uint8_t(s.b / n);
            canvas.qz11_PixelPut(x, y, c.all, 255);
        }
    }
    return true;
}
