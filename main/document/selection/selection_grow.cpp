#include "document/selection/selection_grow.h"

#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "document/edit/edit_ops.h"
#include "document/events/event_record_guard.h"
#include "document/paper/paper.h"
#include "document/selection/selection_ops.h"
#include "document/undo/undo_stock.h"
#include "platform/desktop/cursor.h"

#include <algorithm>
#include <cstdlib>
#include <new>

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

} // namespace

void octagonExtreme(std::span<const uint8_t> src, int32_t w, int32_t h, int32_t n, bool grow,
                    std::span<uint8_t> dst)
{
    if (w <= 0 || h <= 0 || n < 1 || src.size() < size_t(w) * size_t(h) ||
        dst.size() < size_t(w) * size_t(h))
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
