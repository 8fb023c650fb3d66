// The image of every selection mask: an 8-bit coverage image (0 outside the selection, 255 fully
// inside, between: partly selected) of any size, stored as a grid of 64 x 64-pixel tiles of bytes
// on the tiled base. A tile holds memory only once something non-uniform is written into it;
// until then it reads everywhere as one uniform byte, so a new image is all 0 (nothing selected)
// and costs no pixel memory. Every tile has a TVChannel, the 8-bit channel view of its bytes.
//
// Conventions:
// - Tile rows run top-down; pixel (x, y) is byte (y & 63) * 64 + (x & 63) of tile
//   (x >> 6, y >> 6). Edge tiles hold 64 x 64 bytes too; bytes past the image edge are never
//   written once the tile is committed.
// - Queries (getColor, PixelGet, pixelGet2, getLine, findRect, the previews) never commit.
// - An operation that needs a tile it cannot commit stops there and answers false (the user has
//   been warned once by the tiled base); nothing is written through a tile without memory.
// - Every operation that builds a mask ends with shrinkMemory (the callers' duty where said).
#pragma once

#include "core/tiles/block_view.h"
#include "core/image/channel.h"

#include <QString>

#include <array>
#include <cstdint>

class TMTC;
class CBlockVMTC;

// The channel view of one mask tile: 64 x 64 bytes whose memory is the tile's (no pixels while
// the tile is uncommitted), rows top-down through the image's shared row table. It owns nothing.
class TVChannel : public TBlockView<TChannel>
{
  public:
    using TBlockView<TChannel>::TBlockView;
};

// Tiles of 64 x 64 bytes (kShift 6, kUnit 64).
class CBlockVCH : public CBlockViewImage<TVChannel, 6, 1>
{
  public:
    static constexpr int32_t kUnitMask = kUnit - 1;
    static constexpr uint32_t kUnitBytes = kUnit * kUnit;

    // A w x h image of uniform 0 tiles. The tile table is built only when w * h > 0;
    // isEnable tells whether it could be.
    CBlockVCH(int32_t w, int32_t h);
    // An image of src's size holding a tile-by-tile copy of it.
    explicit CBlockVCH(const CBlockVCH &src);
    CBlockVCH &operator=(const CBlockVCH &) = delete;
    ~CBlockVCH() override;

    // ---- tiles
    // Commits, then sets all 4096 bytes to the tile's uniform value.
    bool commitBlock(SBlockPack &pack) override;
    // decommitBlock, seekBlock and view come from the base.
    // The address of the byte of (x, y) in its tile; with need the tile is committed first.
    // nullptr outside the grid or when the tile holds no memory.
    uint8_t *seekPixelAddr(int32_t x, int32_t y, bool need);
    // The uniform value of an uncommitted tile (the first byte of its bgCol).
    static uint8_t uniformOf(const SBlockPack &pack) { return pack.bgCol.B; }
    // Every committed tile whose 4096 bytes (those past the image edge included) are all equal
    // becomes uncommitted with that byte as its uniform value. Returns the tiles released.
    int32_t shrinkMemory();

    // ---- pixels
    // The byte at (x, y): a committed tile's byte, else its uniform value; 0 outside the grid.
    uint8_t getColor(int32_t x, int32_t y) const;
    // getColor with (x, y) clamped into the image (edge replication); 0 for an empty image.
    uint8_t PixelGet(int32_t x, int32_t y) const;
    // 0 outside the image, else getColor.
    uint8_t pixelGet2(int32_t x, int32_t y) const;
    // Commits the tile of (x, y) and stores the low byte of col; false outside the image or
    // without memory.
    bool setPixel(int32_t x, int32_t y, uint32_t col);
    // Commits the tile of (x, y) and returns the byte's address; nullptr outside the image or
    // without memory.
    uint8_t *seekPixelNC(int32_t x, int32_t y);
    // The same with (x, y) clamped into the image first.
    uint8_t *seekPixel(int32_t x, int32_t y);
    // Writes len bytes into row y from column x, cut to the image on both sides, committing the
    // tiles it touches. Answers the bytes written: 0 when y is outside the image or nothing is
    // left, -1 when a tile could not be committed (the write stops there).
    int32_t copyLine(int32_t x, int32_t y, const uint8_t *src, int32_t len);
    // Reads len bytes of row y from column x, cut to the image on both sides; never commits.
    // Answers the bytes read (0 when y is outside the image).
    int32_t getLine(int32_t x, int32_t y, uint8_t *dst, int32_t len) const;

    // ---- copies and combinations (clipped with clipBlt; false when nothing is left)
    // The box of an 8-bit channel into this image at dpos; every touched tile is committed first.
    bool copy(const TChannel &src, sPos dpos, sBox box);
    bool copy(const TChannel &src, int32_t dx, int32_t dy);
    // The box of this image into a channel at dpos: committed tiles copied, uncommitted ones
    // fill their piece with their uniform value, except that with fast, tiles of uniform 0 are
    // skipped (the destination is taken to be cleared already).
    bool copyTo(TChannel &dst, sPos dpos, sBox box, bool fast) const;
    bool copyTo(TChannel &dst, int32_t dx, int32_t dy, bool fast) const;
    // The box of another mask combined into this one at dpos through fnPut(this byte, src byte).
    // A piece from an uncommitted source tile over an uncommitted destination tile that it
    // covers wholly mixes only the destination's uniform value and commits nothing.
    bool copyArea(const CBlockVCH &src, sPos dpos, sBox box, fptrMixPixel1 fnPut);
    // With the plain copy mix.
    bool copyArea(const CBlockVCH &src, sPos dpos, sBox box);
    bool copyArea(const CBlockVCH &src, int32_t dx, int32_t dy);

    // ---- fills and effects (fully covered uncommitted tiles change only their uniform value)
    // Every byte of the box (clipped in place) := color.
    bool fillArea(sBox &box, uint8_t color);
    // The same on the rectangle's box; the clipped rectangle is handed back.
    bool fillArea(sRect &r, uint8_t color);
    // Every byte of the box XOR mask.
    bool effectXor(sBox box, uint8_t mask);
    // The whole image XOR mask; 255 inverts a selection.
    bool FilterXor(uint8_t mask);
    // Fills, each only when it is not empty and in this order, the rows above r.y0 and the rows
    // from r.y1 down over the full width, then the columns left of r.x0 and the columns from r.x1
    // right over the full height. True when any band was filled.
    bool fillOutside(const sRect &r, uint8_t val);
    bool fillOutside(const sBox &box, uint8_t val);

    // ---- bounds
    // The rectangle, in whole tiles and not clipped to the image, of every tile that is committed
    // or has a non-zero uniform value; false when there is none.
    bool findBlockRect(sRect &r) const;
    // The bounding rectangle of the non-zero bytes inside the image (right and bottom
    // exclusive); false when there is none.
    bool findRect(sRect &r) const;
    // getValidateBlock in pixels, the right and bottom edges limited to the image size.
    sRect getValidateRect() const;
    // blockPos := dstPos div 64 on each axis.
    static void getBlockPos(const sPos &dstPos, sPos &blockPos);

    // ---- growth and shrinking by one pixel (this image is the destination, created empty and of
    // src's size by the caller; only the working rectangle is written). Neighbours outside the
    // image repeat the edge. False when src has no tile worth reading or memory is short.
    // The 3 x 3 maximum over src's findBlockRect widened by 1 and clipped to this image.
    bool makeInflateFast(const CBlockVCH &src);
    // The same over the rectangle not widened (the shape cannot grow past src's outer tiles).
    bool makeInflateFast_Old(const CBlockVCH &src);
    // The worker of both: three rotating row buffers of horizontal 3-maxima.
    bool makeInflateFastCore(const CBlockVCH &src, const sRect &r);
    // The 3 x 3 minimum over src's findBlockRect clipped to this image.
    bool makeDeflateFast(const CBlockVCH &src);
    // The same results as makeInflateFast and makeDeflateFast, straight from the nine neighbours.
    bool makeInflate(const CBlockVCH &src);
    bool makeDeflate(const CBlockVCH &src);

    // ---- building from a layer image (over the layer's size clipped to this image; the caller
    // ends with shrinkMemory)
    // value = L * alpha / 255 with L the pixel's luma, or 255 - L with inv.
    bool makeFromValue(const CBlockVMTC &tc, bool inv);
    // value = the pixel's alpha.
    bool makeFromMask(const CBlockVMTC &tc);

    // ---- previews and reductions
    // A reduced grey picture of the mask area (sx, sy, simgW, simgH) spanning the whole canvas;
    // only canvas pixels inside (dx, dy, dw, dh) are written, as average * 0x010101 (alpha 0).
    void FilterSmallenPart(TMTC &dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
                           int32_t sy, int32_t simgW, int32_t simgH) const;
    // Bilinear picture of the mask area srcBox in the canvas box dstBox, grey and opaque.
    void makePreviewImg(TMTC &dst, const sBox &dstBox, const sBox &srcBox) const;
    // Resamples the whole image into dst with 4 x 4 samples per pixel; then dst.shrinkMemory.
    bool FilterSmallenHQ(CBlockVCH &dst) const;
    // The image as an 8-bit grey BMP; false when it could not be written.
    bool saveBmp(const QString &path) const;

  private:
    bool initBlock(SBlockPack &pack) override;
    // The byte at tile position (x, y) of a committed tile.
    static uint8_t *tileByte(const SBlockPack &pack, int32_t x, int32_t y)
    {
        return static_cast<uint8_t *>(pack.vAddr.get()) + y * kUnit + x;
    }
    // One piece of a fill or effect: op on the uniform value of a wholly covered uncommitted
    // tile, else op on every byte of the piece.
    template <class Op> bool pieceOp(const sBox &piece, Op op);
    // src's findBlockRect, widened by grow, clipped to this image.
    bool workRect(const CBlockVCH &src, int32_t grow, sRect &r) const;
    // The 3 x 3 maximum (or minimum) over r: fast with row buffers, or straight.
    bool rank3x3Fast(const CBlockVCH &src, const sRect &r, bool takeMax);
    bool rank3x3Direct(const CBlockVCH &src, const sRect &r, bool takeMax);
    // Stores v at (x, y) unless it is there already; false without memory.
    bool storeByte(int32_t x, int32_t y, uint8_t v);

    uint32_t initAlpha = 0;
};
