#include "paint/fill/flood_fill.h"

#include "core/tiles/block_channel.h"
#include "core/image/canvas.h"
#include "core/image/channel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

// ---------------------------------------------------------------------------------------------
// CFloodFillRangeQueue

CFloodFillRangeQueue::CFloodFillRangeQueue(int32_t initialSize)
    : FArrayFd(size_t(std::max(initialSize, 1))), FLength(std::max(initialSize, 1))
{
}

void CFloodFillRangeQueue::Enqueue(const SFloodFillRange &r)
{
    if (FHead + FSize >= FLength) {
        // Move the pending ranges to the front; when they fill the array, make it larger.
        std::move(FArrayFd.begin() + FHead, FArrayFd.begin() + FHead + FSize, FArrayFd.begin());
        std::fill(FArrayFd.begin() + FSize, FArrayFd.end(), SFloodFillRange{});
        FHead = 0;
        if (FSize >= FLength) {
            FLength *= 2;
            FArrayFd.resize(size_t(FLength));
        }
    }
    FArrayFd[size_t(FHead + FSize)] = r;
    ++FSize;
}

SFloodFillRange CFloodFillRangeQueue::Dequeue()
{
    if (FSize == 0)
        return {};
    const SFloodFillRange r = FArrayFd[size_t(FHead)];
    FArrayFd[size_t(FHead)] = {};
    ++FHead;
    --FSize;
    return r;
}

SFloodFillRange CFloodFillRangeQueue::first() const
{
    return FSize == 0 ? SFloodFillRange{} : FArrayFd[size_t(FHead)];
}

// ---------------------------------------------------------------------------------------------
// CAbstractFloodFiller

CAbstractFloodFiller::CAbstractFloodFiller(const TMTC &tc, TChannel &ch, uint8_t tolerance)
    : FImageTC(&tc), FImageWidth(tc.width()), FImageHeight(tc.height()), FImageStride(tc.width()),
      FImageBits(tc.isEnable() ? tc.seek32(0, 0) : nullptr), FMaskCH(&ch), FTolerance(tolerance)
{
}

CAbstractFloodFiller::~CAbstractFloodFiller() = default;

// ---------------------------------------------------------------------------------------------
// CQLFloodFiller: the region

CQLFloodFiller::CQLFloodFiller(const TMTC &tc, TChannel &ch, sPos pos, const sRect &,
                               uint8_t tolerance)
    : CAbstractFloodFiller(tc, ch, tolerance)
{
    FLyrViewPos = pos;
    FFillRange = {0, 0, FImageWidth - 1, FImageHeight - 1};
}

void CQLFloodFiller::prepare(const sPos &pos)
{
    FPixelsChecked.assign(size_t(FImageWidth) * size_t(FImageHeight), 0);
    const sBGRA seed = FImageBits[pos.x + size_t(pos.y) * FImageStride];
    // The start colour is premultiplied in extended precision, which for every byte pair gives
    // the same value as the candidates' integer (A * c) div 255.
    const long double a = seed.A / 255.0L;
    FStartColor.A = seed.A;
    FStartColor.B = uint8_t(seed.B * a);
    FStartColor.G = uint8_t(seed.G * a);
    FStartColor.R = uint8_t(seed.R * a);
    FIsTransparency = seed.A == 0;
    FRanges = std::make_unique<CFloodFillRangeQueue>((FImageWidth + FImageHeight) * 5);
}

bool CQLFloodFiller::isFillable(int32_t x, int32_t y) const
{
    const sBGRA p = FImageBits[x + size_t(y) * FImageStride];
    const int32_t tol = FTolerance;
    auto near = [tol](int32_t v, int32_t start) { return std::abs(v - start) <= tol; };
    if (!near(p.A, FStartColor.A) || !near(p.A * p.B / 255, FStartColor.B) ||
        !near(p.A * p.G / 255, FStartColor.G) || !near(p.A * p.R / 255, FStartColor.R))
        return false;
    if (!FMaskJudge)
        return true;
    const int32_t jx = x + FMskViewPos.x, jy = y + FMskViewPos.y;
    return ptInSize(jx, jy, FMaskJudge->width(), FMaskJudge->height()) &&
           FMaskJudge->getColor(jx, jy) != 0;
}

void CQLFloodFiller::markAndWrite(int32_t x, int32_t y)
{
    FPixelsChecked[size_t(x) + size_t(y) * size_t(FImageStride)] = 1;
    writeOutput(x, y, 255, false);
}

void CQLFloodFiller::writeOutput(int32_t x, int32_t y, int32_t value, bool onlyLarger)
{
    const int32_t ox = x + FLyrViewPos.x, oy = y + FLyrViewPos.y;
    if (!ptInSize(ox, oy, FMaskCH->width(), FMaskCH->height()))
        return;
    uint8_t &b = *FMaskCH->seek8(ox, oy);
    const uint8_t v = uint8_t(std::clamp(value, 0, 255));
    if (!onlyLarger || v > b)
        b = v;
}

void CQLFloodFiller::fillLine(int32_t x, int32_t y)
{
    markAndWrite(x, y);
    int32_t left = x, right = x;
    while (left - 1 >= FFillRange.x0 && !isMarked(left - 1, y) && isFillable(left - 1, y))
        markAndWrite(--left, y);
    while (right + 1 <= FFillRange.x1 && !isMarked(right + 1, y) && isFillable(right + 1, y))
        markAndWrite(++right, y);
    FRanges->Enqueue({left, right, y, 0});
}

bool CQLFloodFiller::FloodFill(const sPos &pos)
{
    if (!FImageBits || !FMaskCH->isEnable() || pos.x < FFillRange.x0 || pos.x > FFillRange.x1 ||
        pos.y < FFillRange.y0 || pos.y > FFillRange.y1)
        return false;
    try {
        prepare(pos);
        fillLine(pos.x, pos.y);
        while (!FRanges->isEmpty()) {
            const SFloodFillRange r = FRanges->Dequeue();
            for (int32_t x = r.startX; x <= r.endX; ++x) {
                if (r.y > FFillRange.y0 && !isMarked(x, r.y - 1) && isFillable(x, r.y - 1))
                    fillLine(x, r.y - 1);
                if (r.y < FFillRange.y1 && !isMarked(x, r.y + 1) && isFillable(x, r.y + 1))
                    fillLine(x, r.y + 1);
            }
        }
    } catch (const std::bad_alloc &) {
        // Without memory for the visited set or the queue the region is left unfinished.
        return false;
    }
    if (FIsAntiAlias)
        antiAlias();
    return true;
}

// ---------------------------------------------------------------------------------------------
// CQLFloodFillerWithMask

CQLFloodFillerWithMask::CQLFloodFillerWithMask(const TMTC &tc, TChannel &ch, sPos lpos, sPos mpos,
                                               const sRect &viewRect, uint8_t tolerance,
                                               const CBlockVCH &mask)
    : CQLFloodFiller(tc, ch, lpos, viewRect, tolerance)
{
    FMskViewPos = mpos;
    // Right and bottom of the fill range are inclusive: the rectangles lose their last column
    // and row. Nothing selected leaves an empty range, which no seed lies in.
    sRect r;
    if (!mask.findRect(r)) {
        FFillRange = {0, 0, -1, -1};
    } else {
        rectOffset(r, -mpos.x, -mpos.y);
        FFillRange = {std::max({r.x0, viewRect.x0, 0}), std::max({r.y0, viewRect.y0, 0}),
                      std::min({r.x1, viewRect.x1, FImageWidth}) - 1,
                      std::min({r.y1, viewRect.y1, FImageHeight}) - 1};
    }
    FMaskJudge = std::make_unique<TChannel>(ch.width(), ch.height());
    FMaskJudge->PixelFill(0);
    mask.copyTo(*FMaskJudge, 0, 0, true);
}

// ---------------------------------------------------------------------------------------------
// CQLFloodFiller: the anti-aliasing pass
//
// Every pixel just outside the region that touches it from one side along a row (above or below)
// or along a column (left or right) starts a run; the run follows the staircase of the edge while
// the region goes on diagonally ahead. Its coverage ramps from one end to the other according to
// how the run ended, so a shallow edge fades out over its whole step.

bool CQLFloodFiller::isMarkedOrSelf(int32_t nx, int32_t ny, int32_t x, int32_t y) const
{
    if (nx < FFillRange.x0 || nx > FFillRange.x1 || ny < FFillRange.y0 || ny > FFillRange.y1)
        return isMarked(x, y);
    return isMarked(nx, ny);
}

namespace {

// A scan line of the pass: `along` runs over the line, `across` selects it; a row pass reads
// (along, across), a column pass (across, along).
struct PassAxis
{
    bool columns;
    int32_t x(int32_t along, int32_t across) const { return columns ? across : along; }
    int32_t y(int32_t along, int32_t across) const { return columns ? along : across; }
};

TFillStates runState(bool columns, int32_t n, bool endedByDiagonal, bool beforeStartMarked)
{
    if (n == 1)
        return columns ? stSinglarY : stSinglarX;
    if (endedByDiagonal) {
        if (beforeStartMarked)
            return columns ? stToDown : stToRight;
        return columns ? stConvexY : stConvexX;
    }
    if (beforeStartMarked)
        return columns ? stDentY : stDentX;
    return columns ? stToUp : stToLeft;
}

} // namespace

void CQLFloodFiller::antiAlias()
{
    sRect found;
    if (!FMaskCH->findRect(found))
        return;
    rectOffset(found, -FLyrViewPos.x, -FLyrViewPos.y);
    // Widened by one pixel on each side (right and bottom become inclusive), within the range.
    const sRect scan{std::max(found.x0 - 1, FFillRange.x0), std::max(found.y0 - 1, FFillRange.y0),
                     std::min(found.x1, FFillRange.x1), std::min(found.y1, FFillRange.y1)};
    if (scan.x0 > scan.x1 || scan.y0 > scan.y1)
        return;
    scanPass(scan, false);
    scanPass(scan, true);
}

void CQLFloodFiller::scanPass(const sRect &scan, bool columns)
{
    const PassAxis ax{columns};
    const int32_t a0 = columns ? scan.y0 : scan.x0, a1 = columns ? scan.y1 : scan.x1;
    const int32_t c0 = columns ? scan.x0 : scan.y0, c1 = columns ? scan.x1 : scan.y1;
    // Whether the pixel (along + da, across + dc) is marked, the pixel (along, across) standing
    // in for one outside the fill range.
    auto marked = [&](int32_t along, int32_t across, int32_t da, int32_t dc) {
        return isMarkedOrSelf(ax.x(along + da, across + dc), ax.y(along + da, across + dc),
                              ax.x(along, across), ax.y(along, across));
    };
    for (int32_t across = c0; across <= c1; ++across) {
        for (int32_t along = a0; along <= a1; ++along) {
            if (marked(along, across, 0, 0))
                continue;
            const bool before = marked(along, across, 0, -1), after = marked(along, across, 0, 1);
            if (before == after)
                continue;
            // The run follows the contact side while the region goes on diagonally ahead.
            const int32_t side = before ? -1 : 1;
            const int32_t start = along;
            bool endedByDiagonal = false;
            for (;;) {
                if (!marked(along, across, 1, side)) {
                    endedByDiagonal = true;
                    break;
                }
                if (marked(along, across, 1, 0) || along >= a1)
                    break;
                ++along;
            }
            const int32_t n = along - start + 1;
            // A lone pixel touched from above or below was written by the row pass.
            if (columns && n == 1 && (marked(start, across, -1, 0) || marked(start, across, 1, 0)))
                continue;
            const bool beforeStart = marked(start, across, -1, 0);
            writeRun({start, along, across, runState(columns, n, endedByDiagonal, beforeStart)},
                     columns);
        }
    }
}

void CQLFloodFiller::writeRun(const SFloodFillRange &run, bool columns)
{
    const PassAxis ax{columns};
    const int32_t n = run.endX - run.startX + 1;
    auto put = [&](int32_t i, double v, bool onlyLarger) {
        const int32_t along = run.startX + i;
        writeOutput(ax.x(along, run.y), ax.y(along, run.y), int32_t(std::floor(v)), onlyLarger);
    };
    const TFillStates s = run.state;
    if (s & (stSinglarX | stSinglarY)) {
        const int32_t x = ax.x(run.startX, run.y), y = ax.y(run.startX, run.y);
        const int32_t count = isMarkedOrSelf(x - 1, y, x, y) + isMarkedOrSelf(x + 1, y, x, y) +
                              isMarkedOrSelf(x, y - 1, x, y) + isMarkedOrSelf(x, y + 1, x, y);
        writeOutput(x, y, std::min(count * 64, 255), false);
        return;
    }
    if (s & (stToLeft | stToUp | stToRight | stToDown)) {
        const double g = n >= 2 ? 255.0 / n : 255.0;
        const bool rising = s & (stToLeft | stToUp);
        for (int32_t i = 0; i < n; ++i)
            put(i, rising ? g / 2 + i * g : 255 - g / 2 - i * g, false);
        return;
    }
    // Convex runs rise to the middle and fall after it; dents fall to the middle and rise after
    // it, keeping what is already larger.
    const int32_t h = n / 2;
    const double c = h >= 2 ? 255.0 / h : 255.0;
    const bool dent = s & (stDentX | stDentY);
    for (int32_t i = 0; i <= h; ++i)
        put(i, dent ? 255 - c / 2 - i * c : c / 2 + i * c, dent);
    for (int32_t i = h; i < n; ++i)
        put(i, dent ? c / 2 + (i - h) * c : 255 - c / 2 - (i - h) * c, dent);
}
