#include "core/tiles/block_image.h"

#include "core/image/dib_core.h"
#include "core/tiles/work_threads.h"
#include "platform/desktop/messages.h"

#include <QString>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

const char16_t *const kBlockCommitFailedMessage =
    u"メモリ不足により障害が発生しました！\r以降動作が不安定になるかもしれません...";

namespace {

bool defaultBlockAlloc(MemPtr &p, size_t size)
{
    return tryGetMem(p, size);
}

fptrBlockAlloc gBlockAlloc = defaultBlockAlloc;

} // namespace

fptrBlockAlloc setBlockAllocator(fptrBlockAlloc alloc)
{
    const fptrBlockAlloc previous = gBlockAlloc;
    gBlockAlloc = alloc ? alloc : defaultBlockAlloc;
    return previous;
}

bool splitBoxAtBlocks(const sBox &box, int32_t shift, const std::function<bool(const sBox &)> &f)
{
    const int32_t unit = 1 << shift, mask = unit - 1;
    const int32_t x1 = box.x + box.w, y1 = box.y + box.h;
    for (int32_t y = box.y; y < y1;) {
        const int32_t h = std::min(unit - (y & mask), y1 - y);
        for (int32_t x = box.x; x < x1;) {
            const int32_t w = std::min(unit - (x & mask), x1 - x);
            if (!f(sBox{x, y, w, h}))
                return false;
            x += w;
        }
        y += h;
    }
    return true;
}

bool isWholeBlockPiece(const SBlockPack &pack, const sBox &box)
{
    return box.x == pack.box.x && box.y == pack.box.y && box.w == pack.box.w && box.h == pack.box.h;
}

void boxAlignToBlocks(sBox &box, int32_t shift)
{
    const int32_t mask = (1 << shift) - 1;
    const int32_t x0 = box.x & ~mask, y0 = box.y & ~mask;
    box.w = ((box.x + box.w - x0 + mask) >> shift) << shift;
    box.h = ((box.y + box.h - y0 + mask) >> shift) << shift;
    box.x = x0;
    box.y = y0;
}

void posBlockOffset(sPos &p, int32_t shift)
{
    const int32_t mask = (1 << shift) - 1;
    p.x &= mask;
    p.y &= mask;
}

// ---------------------------------------------------------------------------------------------
// Life of the block table

CBlockImage::CBlockImage(int32_t w, int32_t h, uint32_t pixelBytes, int32_t blockShift)
{
    initUnit(blockShift);
    setupGeometry(w, h, pixelBytes);
}

CBlockImage::~CBlockImage()
{
    freeAll();
}

void CBlockImage::initUnit(int32_t blockShift)
{
    BLOCK_SHIFT = blockShift;
    BLOCK_UNIT = 1 << blockShift;
    BLOCK_UNIT_MASK = BLOCK_UNIT - 1;
    unitSize = {BLOCK_UNIT, BLOCK_UNIT};
}

void CBlockImage::setupGeometry(int32_t w, int32_t h, uint32_t bytes)
{
    enable = false;
    pixelBytes = bytes;
    unitBytes = uint32_t(unitSize.x) * uint32_t(unitSize.y) * bytes;
    imageSize = {std::max(w, 0), std::max(h, 0)};
    repSize = {(imageSize.x + unitSize.x - 1) / unitSize.x,
               (imageSize.y + unitSize.y - 1) / unitSize.y};
    blkArray.clear();
}

bool CBlockImage::buildBlocks()
{
    const int64_t count = int64_t(repSize.x) * repSize.y;
    if (count <= 0 || count > INT32_MAX)
        return false;
    try {
        blkArray.resize(size_t(count));
    } catch (const std::bad_alloc &) {
        blkArray.clear();
        return false;
    }
    for (int32_t by = 0; by < repSize.y; ++by) {
        for (int32_t bx = 0; bx < repSize.x; ++bx) {
            SBlockPack &pack = blkArray[size_t(bx + by * repSize.x)];
            pack.bpos = {bx, by};
            pack.size = unitSize;
            const int32_t x = bx * unitSize.x, y = by * unitSize.y;
            pack.box = {x, y, std::min(unitSize.x, imageSize.x - x),
                        std::min(unitSize.y, imageSize.y - y)};
            pack.vLength = unitBytes;
            if (!initBlock(pack))
                return false;
        }
    }
    return true;
}

bool CBlockImage::Resize(int32_t w, int32_t h)
{
    freeAll();
    setupGeometry(w, h, pixelBytes);
    enable = buildBlocks();
    return enable;
}

void CBlockImage::freeAll()
{
    freeBlocks();
    imageSize = {0, 0};
    repSize = {0, 0};
    enable = false;
}

void CBlockImage::freeBlocks()
{
    for (SBlockPack &pack : blkArray) {
        decommitBlock(pack);
        pack.obj.reset();
    }
    blkArray.clear();
    blkArray.shrink_to_fit();
}

// ---------------------------------------------------------------------------------------------
// Commit and release

bool CBlockImage::commitBlock(SBlockPack &pack)
{
    if (pack.commit)
        return true;
    pack.commit = gBlockAlloc(pack.vAddr, pack.vLength) && pack.vAddr;
    if (!pack.commit) {
        pack.vAddr.reset();
        showWarning(QString::fromUtf16(kBlockCommitFailedMessage));
    }
    return pack.commit;
}

bool CBlockImage::decommitBlock(SBlockPack &pack)
{
    // Releasing memory cannot fail here (the platform allocator does not report it), so the
    // warning about a damaged heap has no path to be shown.
    if (pack.commit) {
        pack.commit = false;
        pack.vAddr.reset();
    }
    return true;
}

SBlockPack *CBlockImage::seekBlockBP(int32_t x, int32_t y, bool need)
{
    if (!ptInSize(x, y, repSize.x, repSize.y) || blkArray.empty())
        return nullptr;
    SBlockPack &pack = blkArray[size_t(x + y * repSize.x)];
    if (need)
        commitBlock(pack);
    return &pack;
}

const SBlockPack *CBlockImage::seekBlockBP(int32_t x, int32_t y) const
{
    if (!ptInSize(x, y, repSize.x, repSize.y) || blkArray.empty())
        return nullptr;
    return &blkArray[size_t(x + y * repSize.x)];
}

uint32_t CBlockImage::getImageDataBytes() const
{
    uint32_t n = 0;
    for (const SBlockPack &pack : blkArray)
        n += pack.commit ? 1 : 0;
    return n * unitBytes;
}

sRect CBlockImage::getValidateBlock() const
{
    sRect r{repSize.x, repSize.y, 0, 0};
    for (const SBlockPack &pack : blkArray) {
        if (!pack.commit)
            continue;
        r.x0 = std::min(r.x0, pack.bpos.x);
        r.y0 = std::min(r.y0, pack.bpos.y);
        r.x1 = std::max(r.x1, pack.bpos.x + 1);
        r.y1 = std::max(r.y1, pack.bpos.y + 1);
    }
    return r;
}

bool CBlockImage::clipping(sRect &r) const
{
    return rectClipToSize(r, imageSize);
}

bool CBlockImage::clipping(sBox &box) const
{
    return boxClipToSize(box, imageSize);
}

// ---------------------------------------------------------------------------------------------
// Walkers

bool CBlockImage::filterArea(sBox &box, const fptrBlkFlt &fnFlt)
{
    if (!isEnable() || !clipping(box))
        return false;
    return splitBoxAtBlocks(box, BLOCK_SHIFT, fnFlt);
}

bool CBlockImage::effectAreaTo(const CDibCore &dst, sPos dstPos, sBox srcBox,
                               const fptrBlkEfctTo &fnEffectTo) const
{
    if (!isEnable() || !clipBlt(dst.FPSZ(), imageSize, dstPos, srcBox))
        return false;
    const int32_t dx = dstPos.x - srcBox.x, dy = dstPos.y - srcBox.y;
    return splitBoxAtBlocks(srcBox, BLOCK_SHIFT, [&](const sBox &piece) {
        return fnEffectTo(sPos{piece.x + dx, piece.y + dy}, piece);
    });
}

bool CBlockImage::effectAreaToParallel(const CDibCore &dst, sPos dstPos, sBox srcBox,
                                       const fptrBlkEfctTo &fnEffectTo) const
{
    if (!isEnable() || !clipBlt(dst.FPSZ(), imageSize, dstPos, srcBox))
        return false;
    const int32_t dx = dstPos.x - srcBox.x, dy = dstPos.y - srcBox.y;
    const int32_t unit = 1 << BLOCK_SHIFT, y1 = srcBox.y + srcBox.h;
    // Band b covers the source rows of block row firstBand + b that lie in the box.
    const int32_t firstBand = srcBox.y >> BLOCK_SHIFT;
    const int32_t bands = ((y1 - 1) >> BLOCK_SHIFT) - firstBand + 1;
    std::atomic<bool> ok = true;
    parallelRanges(bands, 1, [&](int32_t begin, int32_t end) {
        for (int32_t b = begin; b < end; ++b) {
            const int32_t top = std::max(srcBox.y, (firstBand + b) * unit);
            const int32_t bottom = std::min(y1, (firstBand + b + 1) * unit);
            const sBox band{srcBox.x, top, srcBox.w, bottom - top};
            if (!splitBoxAtBlocks(band, BLOCK_SHIFT, [&](const sBox &piece) {
                    return fnEffectTo(sPos{piece.x + dx, piece.y + dy}, piece);
                }))
                ok = false;
        }
    });
    return ok;
}

bool CBlockImage::effectAreaFrom(const CDibCore &src, sPos dstPos, sBox srcBox,
                                 const fptrBlkEfctFrom &fnEffectFrom)
{
    if (!isEnable() || !clipBlt(imageSize, src.FPSZ(), dstPos, srcBox))
        return false;
    const int32_t dx = srcBox.x - dstPos.x, dy = srcBox.y - dstPos.y;
    const sBox dstBox{dstPos.x, dstPos.y, srcBox.w, srcBox.h};
    return splitBoxAtBlocks(dstBox, BLOCK_SHIFT, [&](const sBox &piece) {
        return fnEffectFrom(piece.pos(), sBox{piece.x + dx, piece.y + dy, piece.w, piece.h});
    });
}

bool CBlockImage::effectArea(const CBlockImage &src, sPos dstPos, sBox srcBox,
                             const fptrBlkEfct &fnEffect)
{
    if (!isEnable() || !src.isEnable() || src.BLOCK_SHIFT != BLOCK_SHIFT ||
        !clipBlt(imageSize, src.imageSize, dstPos, srcBox))
        return false;
    const int32_t dx = dstPos.x - srcBox.x, dy = dstPos.y - srcBox.y;
    return splitBoxAtBlocks(srcBox, BLOCK_SHIFT, [&](const sBox &srcPiece) {
        // The same piece at its destination, cut again at this image's borders.
        const sBox dstPiece{srcPiece.x + dx, srcPiece.y + dy, srcPiece.w, srcPiece.h};
        return splitBoxAtBlocks(dstPiece, BLOCK_SHIFT, [&](const sBox &piece) {
            return fnEffect(piece.pos(), sBox{piece.x - dx, piece.y - dy, piece.w, piece.h});
        });
    });
}

// ---------------------------------------------------------------------------------------------
// Block copies

bool CBlockImage::copyBlock(SBlockPack &dst, const SBlockPack &src)
{
    if (src.commit) {
        if (dst.vLength != src.vLength || !commitBlock(dst))
            return false;
        std::memcpy(dst.vAddr.get(), src.vAddr.get(), src.vLength);
    } else {
        decommitBlock(dst);
    }
    dst.bgCol = src.bgCol;
    return true;
}

bool CBlockImage::simpleCopy(const CBlockImage &src)
{
    if (!isEnable() || !src.isEnable() || src.unitBytes != unitBytes ||
        src.BLOCK_SHIFT != BLOCK_SHIFT)
        return false;
    const int32_t cols = std::min(repSize.x, src.repSize.x);
    const int32_t rows = std::min(repSize.y, src.repSize.y);
    for (int32_t j = 0; j < rows; ++j)
        for (int32_t i = 0; i < cols; ++i)
            if (!copyBlock(*seekBlockBP(i, j, false), *src.seekBlockBP(i, j)))
                return false;
    return true;
}

bool CBlockImage::simpleCopy(const CBlockImage &src, sPos dpos, sBox box)
{
    if (!isEnable() || !src.isEnable() || src.unitBytes != unitBytes ||
        src.BLOCK_SHIFT != BLOCK_SHIFT || !clipBlt(imageSize, src.imageSize, dpos, box))
        return false;
    boxAlignToBlocks(box, BLOCK_SHIFT);
    const int32_t cols = box.w >> BLOCK_SHIFT, rows = box.h >> BLOCK_SHIFT;
    const int32_t sbx = box.x >> BLOCK_SHIFT, sby = box.y >> BLOCK_SHIFT;
    const int32_t dbx = dpos.x >> BLOCK_SHIFT, dby = dpos.y >> BLOCK_SHIFT;
    for (int32_t j = 0; j < rows; ++j) {
        for (int32_t i = 0; i < cols; ++i) {
            SBlockPack *d = seekBlockBP(dbx + i, dby + j, false);
            const SBlockPack *s = src.seekBlockBP(sbx + i, sby + j);
            if (d && s && !copyBlock(*d, *s))
                return false;
        }
    }
    return true;
}
