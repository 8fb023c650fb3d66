// The tiled image under layers and masks: a grid of equal square blocks, each holding pixel memory
// only once something non-uniform is written into it ("committed"); until then, and again after it
// has been found uniform and released ("decommitted"), a block reads everywhere as one stored
// colour. This base owns the grid, the commit and release of block memory, the splitting of an
// area into pieces that never cross a block border, and block-by-block copies; the descendants
// (the layer image, the mask image) choose the pixel size, what a fresh block holds and how a
// pixel is addressed.
//
// Out of memory: a block that cannot be committed warns the user once (showWarning) and the
// operation asking for it stops and answers false; nothing is ever written through a block
// without memory.
#pragma once

#include "core/base/geometry.h"
#include "core/base/memory_ops.h"
#include "core/pixel/pixel.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CDibCore;

// One block of the grid.
struct SBlockPack
{
    sPos bpos;                      // block column and row
    sSize size;                     // the unit size (also for blocks cut by the image edge)
    sBox box;                       // the block's area in image pixels, cut at the right and bottom
    bool commit = false;            // pixel memory held
    sBGRA bgCol{.all = 0x00FFFFFF}; // what every pixel reads while uncommitted
    MemPtr vAddr;                   // the block's pixel memory while committed (unitBytes bytes)
    uint32_t vLength = 0;           // = unitBytes
    std::unique_ptr<CDibCore> obj;  // the descendant's view of the block, owned by the block
};
using psBlockPack = SBlockPack *;

// The allocator of block memory. Tests install one that fails to exercise the out-of-memory
// paths; nullptr restores the normal one. Returns the previous allocator.
using fptrBlockAlloc = bool (*)(MemPtr &p, size_t size);
fptrBlockAlloc setBlockAllocator(fptrBlockAlloc alloc);

// Callbacks of the walkers; a false answer stops the walk, which then answers false.
// A piece of this image (filterArea).
using fptrBlkFlt = std::function<bool(const sBox &piece)>;
// A piece's destination position and its source box (effectAreaTo, effectAreaFrom, effectArea).
using fptrBlkEfctTo = std::function<bool(const sPos &dpos, const sBox &sbox)>;
using fptrBlkEfctFrom = fptrBlkEfctTo;
using fptrBlkEfct = fptrBlkEfctTo;

// The text of the warning shown when a block cannot be committed.
extern const char16_t *const kBlockCommitFailedMessage;

class CBlockImage
{
  public:
    CBlockImage(const CBlockImage &) = delete;
    CBlockImage &operator=(const CBlockImage &) = delete;
    // Frees every block, its view and the table.
    virtual ~CBlockImage();

    // The table is built and usable.
    virtual bool isEnable() const { return enable; }

    // Discards all pixels and rebuilds the grid for w x h; enable follows the build.
    bool Resize(int32_t w, int32_t h);
    // Frees every block and the table; the image becomes 0 x 0 and not enabled.
    void freeAll();

    // ---- geometry
    int32_t width() const { return imageSize.x; }
    int32_t height() const { return imageSize.y; }
    // The image size.
    const sSize &FPSZ() const { return imageSize; }
    const sSize &getRepSize() const { return repSize; }
    const sSize &getUnitSize() const { return unitSize; }
    uint32_t getPixelBytes() const { return pixelBytes; }
    uint32_t getUnitBytes() const { return unitBytes; }
    int32_t blockUnit() const { return BLOCK_UNIT; }
    int32_t blockShift() const { return BLOCK_SHIFT; }
    int32_t blockCount() const { return int32_t(blkArray.size()); }
    // The record at table index i (row by row); no range test.
    SBlockPack &blockAt(int32_t i) { return blkArray[size_t(i)]; }
    const SBlockPack &blockAt(int32_t i) const { return blkArray[size_t(i)]; }

    // ---- commit and release
    // Gives the block its memory (contents are the descendant's to set). A committed block answers
    // true at once. On failure the user is warned and the block stays uncommitted.
    virtual bool commitBlock(SBlockPack &pack);
    // Releases a committed block's memory; bgCol is left for the caller to set. Always true.
    virtual bool decommitBlock(SBlockPack &pack);
    // The record of block column x, row y; nullptr outside the grid (negative indices included).
    // With need the block is committed first; a failed commit returns the record uncommitted.
    SBlockPack *seekBlockBP(int32_t x, int32_t y, bool need);
    const SBlockPack *seekBlockBP(int32_t x, int32_t y) const;
    // unitBytes times the number of committed blocks.
    uint32_t getImageDataBytes() const;
    // The bounding rectangle, in block units, of the committed blocks; with none committed the
    // empty rectangle (repSize.x, repSize.y, 0, 0).
    sRect getValidateBlock() const;
    // Intersects in place with (0, 0, width, height); true when something remains.
    bool clipping(sRect &r) const;
    bool clipping(sBox &box) const;

    // ---- walking an area block by block
    // Pieces never cross a block border: bands top to bottom, pieces left to right in a band.
    // Clips box to the image in place (false when empty), then fnFlt(piece) for each piece.
    bool filterArea(sBox &box, const fptrBlkFlt &fnFlt);
    // This image is the source: clipped as a two-image copy onto dst, the source box is cut at
    // this image's block borders; fn(piece's destination position, piece's source box).
    bool effectAreaTo(const CDibCore &dst, sPos dstPos, sBox srcBox,
                      const fptrBlkEfctTo &fnEffectTo) const;
    // effectAreaTo with the bands of blocks spread over the work threads (core/tiles/
    // work_threads.h): fnEffectTo runs on several pieces at once, never on two with a common
    // destination pixel. Every piece is visited even after one answered false; the answer is
    // false when any did.
    bool effectAreaToParallel(const CDibCore &dst, sPos dstPos, sBox srcBox,
                              const fptrBlkEfctTo &fnEffectTo) const;
    // This image is the destination: the pieces are cut at this image's borders by their
    // destination position.
    bool effectAreaFrom(const CDibCore &src, sPos dstPos, sBox srcBox,
                        const fptrBlkEfctFrom &fnEffectFrom);
    // Both images tiled with the same block size: each piece lies in one source block and in one
    // destination block.
    bool effectArea(const CBlockImage &src, sPos dstPos, sBox srcBox, const fptrBlkEfct &fnEffect);

    // ---- block copies
    // src committed: dst is committed and receives src's bytes; else dst is decommitted. Then
    // dst.bgCol := src.bgCol. False, dst untouched, when dst cannot be committed.
    bool copyBlock(SBlockPack &dst, const SBlockPack &src);
    // Every block of the grid the two images share, same block indices. False unless both are
    // enabled with the same block layout, or when a block cannot be committed.
    bool simpleCopy(const CBlockImage &src);
    // Whole blocks: the clipped box widened to whole blocks, block (i, j) of it copied from source
    // block (box.x >> shift) + i, ... to destination block (dpos.x >> shift) + i, ... Callers pass
    // block-aligned positions.
    bool simpleCopy(const CBlockImage &src, sPos dpos, sBox box);

  protected:
    // Sets the geometry for w x h pixels of pixelBytes bytes in blocks of 2^blockShift pixels.
    // The descendant's constructor then calls buildBlocks and sets enable from it.
    CBlockImage(int32_t w, int32_t h, uint32_t pixelBytes, int32_t blockShift);

    // Fills a fresh record (once per block while the table is built); false stops the build.
    virtual bool initBlock(SBlockPack &pack) = 0;
    // Builds the table for the current geometry; false when it cannot be had (or is empty).
    bool buildBlocks();

    bool enable = false;
    uint32_t unitBytes = 0;
    uint32_t pixelBytes = 0;
    sSize unitSize;
    int32_t BLOCK_UNIT = 32;
    int32_t BLOCK_UNIT_MASK = 31;
    int32_t BLOCK_SHIFT = 5;
    sSize imageSize;
    sSize repSize;
    std::vector<SBlockPack> blkArray;

  private:
    void initUnit(int32_t blockShift);
    void setupGeometry(int32_t w, int32_t h, uint32_t pixelBytes);
    void freeBlocks();
};

// The piece covers its whole block: it starts at the block's corner and has the size of the
// block's box (cut at the image edge).
bool isWholeBlockPiece(const SBlockPack &pack, const sBox &box);
// Widens box in place to whole blocks of 2^shift pixels: x and y rounded down to multiples of the
// block size, width and height rounded up so that the old area stays covered.
void boxAlignToBlocks(sBox &box, int32_t shift = 5);
// p reduced to its offset inside a block of 2^shift pixels.
void posBlockOffset(sPos &p, int32_t shift = 5);
// Cuts box at multiples of 2^shift on both axes and calls f(piece) for each, bands top to bottom
// and pieces left to right; stops with false at the first false answer.
bool splitBoxAtBlocks(const sBox &box, int32_t shift, const std::function<bool(const sBox &)> &f);
