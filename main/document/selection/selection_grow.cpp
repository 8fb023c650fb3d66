#include "document/selection/selection_grow.h"

#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "core/pixel/simd_level.h"
#include "document/edit/edit_ops.h"
#include "document/events/event_record_guard.h"
#include "document/paper/paper.h"
#include "document/selection/selection_ops.h"
#include "document/undo/undo_stock.h"
#include "platform/desktop/cursor.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if KAVRIN_HAS_AVX2_LOOPS
#include <immintrin.h>
#endif

int32_t octagonReach(int32_t n, int32_t d)
{
    return std::min(n, (n + 1) / 2 + n - std::abs(d));
}

namespace {

struct MaxOp
{
    static uint8_t pick(uint8_t a, uint8_t b) { return a > b ? a : b; }
    static bool better(uint8_t a, uint8_t b) { return a > b; }
    static constexpr uint8_t kFinal = 255;
};
struct MinOp
{
    static uint8_t pick(uint8_t a, uint8_t b) { return a < b ? a : b; }
    static bool better(uint8_t a, uint8_t b) { return a < b; }
    static constexpr uint8_t kFinal = 0;
};

template <class Op>
void extremeRows(std::span<const uint8_t> src, int32_t w, int32_t h, int32_t n,
                 std::span<uint8_t> dst)
{
    // col[k][c + n]: the extreme of rows r - k .. r + k in column c; n columns of 0 pad each
    // side, so the row pass never tests its bounds.
    const int32_t stride = w + 2 * n;
    std::vector<uint8_t> col(size_t(n + 1) * size_t(stride), 0);
    std::vector<int32_t> reach(size_t(2 * n + 1));
    for (int32_t d = -n; d <= n; ++d)
        reach[size_t(d + n)] = octagonReach(n, d);
    // Rows outside the image read as a row of zeros, so the column pass has no bounds to test.
    const std::vector<uint8_t> zeros(size_t(w), 0);
    auto rowAt = [&](int32_t r) -> const uint8_t * {
        return r < 0 || r >= h ? zeros.data() : src.data() + size_t(r) * size_t(w);
    };
    for (int32_t r = 0; r < h; ++r) {
        // Each window is the one a row shorter widened by a row on each side.
        std::copy_n(rowAt(r), size_t(w), col.data() + n);
        for (int32_t k = 1; k <= n; ++k) {
            const uint8_t *prev = col.data() + size_t(k - 1) * size_t(stride) + n;
            uint8_t *cur = col.data() + size_t(k) * size_t(stride) + n;
            const uint8_t *up = rowAt(r - k), *down = rowAt(r + k);
            for (int32_t c = 0; c < w; ++c)
                cur[c] = Op::pick(prev[c], Op::pick(up[c], down[c]));
        }
        auto valueAt = [&](int32_t c, int32_t d) {
            return col[size_t(reach[size_t(d + n)]) * size_t(stride) + size_t(c + d + n)];
        };
        // Moving one column right, every column left of the new centre loses reach and every
        // other keeps or gains it: while the best column stays at or right of the centre only
        // the offsets 0..n can beat it.
        uint8_t *out = dst.data() + size_t(r) * size_t(w);
        int32_t bestPos = -1;
        uint8_t best = 0;
        for (int32_t c = 0; c < w; ++c) {
            const bool full = bestPos < c;
            const int32_t from = full ? -n : 0;
            if (full)
                bestPos = c - n;
            best = valueAt(c, bestPos - c);
            for (int32_t d = from; d <= n && best != Op::kFinal; ++d) {
                const uint8_t v = valueAt(c, d);
                // Among equals the rightmost stays in the window longest.
                if (Op::better(v, best) || (v == best && c + d > bestPos)) {
                    best = v;
                    bestPos = c + d;
                }
            }
            out[c] = best;
        }
    }
}

// ---- The separable form.
//
// The octagon of radius n is the square of half side m = (n + 1) div 2 summed (Minkowski) with
// the diamond |d| + |e| <= b, b = n - m: both have |d|, |e| <= n, and their sum keeps exactly the
// offsets with |d| + |e| <= n + m, which is what the reach clips. Beside a square of half side 1
// or more the diamond of 2k may be replaced by the sum of a diagonal and an anti-diagonal segment
// of half length k (it holds only the offsets of even d + e, the square fills the rest), and an
// odd b adds a cross. The extreme over a sum is the extreme of extremes, so the result is a chain
// of one-dimensional running extremes, each a few whole-row operations per pixel.
//
// Every pass works on the image widened by n zero pixels on each side (and n more columns of
// margin): each pass's shape lies inside the octagon, so no value outside the widened image can
// differ from 0 at any stage, and the passes may read 0 there. The margins stay 0.

template <bool kMax> inline uint8_t pickByte(uint8_t a, uint8_t b)
{
    return kMax ? std::max(a, b) : std::min(a, b);
}

#if KAVRIN_HAS_AVX2_LOOPS
template <bool kMax>
KAVRIN_TARGET_AVX2 void pickRowAvx2(uint8_t *d, const uint8_t *a, const uint8_t *b, int32_t len)
{
    int32_t i = 0;
    for (; i + 32 <= len; i += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(a + i));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(b + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(d + i),
                            kMax ? _mm256_max_epu8(x, y) : _mm256_min_epu8(x, y));
    }
    for (; i < len; ++i)
        d[i] = pickByte<kMax>(a[i], b[i]);
}
#endif

// d[i] := the extreme of a[i] and b[i]. d may be a, and b may lie ahead of a in the same row:
// every chunk is read before it is written and the walk goes forward.
template <bool kMax> void pickRow(uint8_t *d, const uint8_t *a, const uint8_t *b, int32_t len)
{
#if KAVRIN_HAS_AVX2_LOOPS
    if (simdUseAvx2()) {
        pickRowAvx2<kMax>(d, a, b, len);
        return;
    }
#endif
    int32_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= len; i += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(d + i),
                         kMax ? _mm_max_epu8(x, y) : _mm_min_epu8(x, y));
    }
#endif
    for (; i < len; ++i)
        d[i] = pickByte<kMax>(a[i], b[i]);
}

// The widened image: rows of stride bytes, the pixels of a row at [margin, margin + width).
struct SPadded
{
    int32_t width, height, margin, stride;
    std::vector<uint8_t> bytes;

    SPadded(int32_t w, int32_t h, int32_t m)
        : width(w), height(h), margin(m), stride(w + 2 * m),
          bytes(size_t(h) * size_t(w + 2 * m), 0)
    {
    }
    uint8_t *row(int32_t y) { return bytes.data() + size_t(y) * size_t(stride); }
    const uint8_t *row(int32_t y) const { return bytes.data() + size_t(y) * size_t(stride); }
};

// out := the extreme over each row's window of 2r + 1 pixels centred on each pixel, by doubling:
// level p holds the extreme of p pixels from each position; two overlapping windows of the
// largest p <= 2r + 1 cover the window.
template <bool kMax> void rowWindows(const SPadded &in, SPadded &out, int32_t r)
{
    const int32_t S = in.stride, win = 2 * r + 1;
    std::vector<uint8_t> level(static_cast<size_t>(S));
    for (int32_t y = 0; y < in.height; ++y) {
        std::copy_n(in.row(y), size_t(S), level.data());
        int32_t len = S, p = 1;
        for (; p * 2 <= win; p *= 2) {
            pickRow<kMax>(level.data(), level.data(), level.data() + p, len - p);
            len -= p;
        }
        const int32_t m = in.margin;
        pickRow<kMax>(out.row(y) + m, level.data() + m - r, level.data() + m + r + 1 - p,
                      in.width);
    }
}

// out(y, x) := the extreme of in(y + t, x + t * sx) for t in -k..k (sx 0: a column, 1: the
// diagonal, -1: the anti-diagonal), by running extremes over blocks of 2k + 1 rows: in each block
// the extreme from the block's start to each row (g) and from each row to its end (h); a window
// spans at most two blocks and is the extreme of one h and one g. The blocks start at row -k.
template <bool kMax> void lineWindows(const SPadded &in, SPadded &out, int32_t k, int32_t sx)
{
    const int32_t S = in.stride, H = in.height, L = 2 * k + 1;
    const std::vector<uint8_t> zeros(size_t(S), 0);
    auto inRow = [&](int32_t y) { return y < 0 || y >= H ? zeros.data() : in.row(y); };
    std::vector<uint8_t> hb(size_t(L) * size_t(S)), gb(size_t(L) * size_t(S));
    auto hRow = [&](int32_t i) { return hb.data() + size_t(i) * size_t(S); };
    auto gRow = [&](int32_t i) { return gb.data() + size_t(i) * size_t(S); };
    // next(x + sx) beside cur(x); a reach past the row's ends reads 0 (positions further along
    // the line lie further outside).
    auto follow = [&](uint8_t *dst, const uint8_t *cur, const uint8_t *next, int32_t s) {
        if (s == 0) {
            pickRow<kMax>(dst, cur, next, S);
        } else if (s > 0) {
            pickRow<kMax>(dst, cur, next + 1, S - 1);
            dst[S - 1] = pickByte<kMax>(cur[S - 1], 0);
        } else {
            pickRow<kMax>(dst + 1, cur + 1, next, S - 1);
            dst[0] = pickByte<kMax>(cur[0], 0);
        }
    };
    const int32_t m = in.margin, shift = k * sx;
    for (int32_t start = -k; start < H - k; start += L) {
        // h of this block, from its last row up.
        std::copy_n(inRow(start + L - 1), size_t(S), hRow(L - 1));
        for (int32_t i = L - 2; i >= 0; --i)
            follow(hRow(i), inRow(start + i), hRow(i + 1), sx);
        // g of the next block, as far as the windows of this block's rows reach.
        const int32_t next = start + L;
        std::copy_n(inRow(next), size_t(S), gRow(0));
        for (int32_t i = 1; i < L - 1; ++i)
            follow(gRow(i), inRow(next + i), gRow(i - 1), -sx);
        // Row y = start + i + k: its window begins at h row i and ends at g row i - 1.
        for (int32_t i = 0; i < L; ++i) {
            const int32_t y = start + i + k;
            if (y >= H)
                break;
            uint8_t *o = out.row(y) + m;
            if (i == 0)
                std::copy_n(hRow(0) + m - shift, size_t(in.width), o);
            else
                pickRow<kMax>(o, hRow(i) + m - shift, gRow(i - 1) + m + shift, in.width);
        }
    }
}

// out(y, x) := the extreme of in at (x, y) and its four neighbours.
template <bool kMax> void crossWindows(const SPadded &in, SPadded &out)
{
    const int32_t S = in.stride, m = in.margin;
    const std::vector<uint8_t> zeros(size_t(S), 0);
    for (int32_t y = 0; y < in.height; ++y) {
        const uint8_t *c = in.row(y);
        const uint8_t *up = y > 0 ? in.row(y - 1) : zeros.data();
        const uint8_t *down = y + 1 < in.height ? in.row(y + 1) : zeros.data();
        uint8_t *o = out.row(y) + m;
        pickRow<kMax>(o, c + m - 1, c + m, in.width);
        pickRow<kMax>(o, o, c + m + 1, in.width);
        pickRow<kMax>(o, o, up + m, in.width);
        pickRow<kMax>(o, o, down + m, in.width);
    }
}

template <bool kMax>
void extremeSeparable(std::span<const uint8_t> src, int32_t w, int32_t h, int32_t n,
                      std::span<uint8_t> dst)
{
    const int32_t m = (n + 1) / 2, b = n - m;
    SPadded a(w + 2 * n, h + 2 * n, n), c(w + 2 * n, h + 2 * n, n);
    for (int32_t y = 0; y < h; ++y)
        std::copy_n(src.data() + size_t(y) * size_t(w), size_t(w), a.row(y + n) + 2 * n);
    rowWindows<kMax>(a, c, m);
    lineWindows<kMax>(c, a, m, 0);
    if (b >= 2) {
        lineWindows<kMax>(a, c, b / 2, 1);
        lineWindows<kMax>(c, a, b / 2, -1);
    }
    if (b % 2 != 0) {
        crossWindows<kMax>(a, c);
        std::swap(a, c);
    }
    for (int32_t y = 0; y < h; ++y)
        std::copy_n(a.row(y + n) + 2 * n, size_t(w), dst.data() + size_t(y) * size_t(w));
}

bool validExtremeArgs(std::span<const uint8_t> src, int32_t w, int32_t h, int32_t n,
                      std::span<uint8_t> dst)
{
    return w > 0 && h > 0 && n >= 1 && src.size() >= size_t(w) * size_t(h) &&
           dst.size() >= size_t(w) * size_t(h);
}

} // namespace

void octagonExtreme(std::span<const uint8_t> src, int32_t w, int32_t h, int32_t n, bool grow,
                    std::span<uint8_t> dst)
{
    if (!validExtremeArgs(src, w, h, n, dst))
        return;
    if (grow)
        extremeSeparable<true>(src, w, h, n, dst);
    else
        extremeSeparable<false>(src, w, h, n, dst);
}

void octagonExtremeByRowWindow(std::span<const uint8_t> src, int32_t w, int32_t h, int32_t n,
                               bool grow, std::span<uint8_t> dst)
{
    if (!validExtremeArgs(src, w, h, n, dst))
        return;
    if (grow)
        extremeRows<MaxOp>(src, w, h, n, dst);
    else
        extremeRows<MinOp>(src, w, h, n, dst);
}

bool makeGrownMask(const CMaskData &md, int32_t n, bool grow, SGrownMask &out)
{
    sRect R;
    if (n < 1 || n > kSelectionGrowMax || !md.maskTC || !md.maskTC->findRect(R))
        return false;
    const CBlockVCH &img = *md.maskTC;
    const int32_t g = grow ? n : 0;
    sBox B{R.x0 - g, R.y0 - g, R.x1 - R.x0 + 2 * g, R.y1 - R.y0 + 2 * g};
    try {
        // The work area: the mask's bytes of B, 0 where the image has none.
        std::vector<uint8_t> work(size_t(B.w) * size_t(B.h), 0);
        for (int32_t j = 0; j < B.h; ++j) {
            const int32_t y = B.y + j;
            if (y < 0 || y >= img.height())
                continue;
            const int32_t x0 = std::max(B.x, 0), x1 = std::min(B.x + B.w, img.width());
            if (x1 > x0)
                img.getLine(x0, y, work.data() + size_t(j) * size_t(B.w) + size_t(x0 - B.x),
                            x1 - x0);
        }
        std::vector<uint8_t> res(work.size());
        octagonExtreme(work, B.w, B.h, n, grow, res);

        auto ch = std::make_unique<TChannel>();
        const int32_t cw = std::max(img.width(), B.w), chh = std::max(img.height(), B.h);
        if (!ch->Resize(cw, chh))
            return false;
        ch->PixelFill(0);
        // Every selected pixel keeps its document position: where B leaves the channel it is
        // moved back inside and the view position follows it.
        sPos vp = md.viewPos;
        auto place = [](int32_t &pos, int32_t len, int32_t size, int32_t &view) {
            if (pos < 0) {
                view -= pos;
                pos = 0;
            }
            if (pos + len > size) {
                const int32_t over = pos + len - size;
                pos -= over;
                view -= over;
            }
        };
        place(B.x, B.w, cw, vp.x);
        place(B.y, B.h, chh, vp.y);
        for (int32_t j = 0; j < B.h; ++j)
            std::copy_n(res.data() + size_t(j) * size_t(B.w), size_t(B.w), ch->seek8(B.x, B.y + j));
        out.channel = std::move(ch);
        out.viewPos = vp;
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

namespace {

bool resizeSelection(TPaper &paper, int32_t index, int32_t maskIndex, int32_t n, int32_t variant,
                     bool undo, bool grow)
{
    CMaskMngr &mm = paper.maskMngr();
    if (maskIndex < 0)
        maskIndex = paper.getActiveMaskIndex();
    const CMaskData *md = mm.getMask(maskIndex);
    // A replayed radius outside the dialog's range would ask for huge buffers.
    if (!isIndexValid(paper, index) || !CMaskData::hasMask(md) || n < 1 ||
        n > kSelectionGrowMax || variant < 0 || variant > 0xFFFF)
        return false;
    WaitCursor hourglass;
    SGrownMask gm;
    if (!makeGrownMask(*md, n, grow, gm))
        return false;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventSelectCmdData2(
                index, maskIndex, uint32_t(n) | (uint32_t(variant) << 16), 0, grow ? 25 : 26);
        }))
        return false;
    std::unique_ptr<CMaskData> old;
    const sSize sz{gm.channel->width(), gm.channel->height()};
    if (!mm.replaceMask(maskIndex, *gm.channel, sz, gm.viewPos, old, eMaskAddType::matNew))
        return false;
    guard.commit();
    if (undo)
        pushMaskReplace(paper, index, maskIndex, std::move(old));
    mm.createAnts(paper.m_paperSize, -1);
    updateSelectWindow(paper, maskIndex);
    updateAnts(paper, true, true);
    return true;
}

} // namespace

bool growSelection(TPaper &paper, int32_t index, int32_t maskIndex, int32_t n, int32_t variant,
                   bool undo)
{
    return resizeSelection(paper, index, maskIndex, n, variant, undo, true);
}

bool shrinkSelection(TPaper &paper, int32_t index, int32_t maskIndex, int32_t n, int32_t variant,
                     bool undo)
{
    return resizeSelection(paper, index, maskIndex, n, variant, undo, false);
}
