// The pixels of every layer: a 32-bit sBGRA image of any size stored in 32 x 32-pixel blocks on
// the tiled base. A block takes memory only when it holds differing pixels; otherwise it is one
// stored colour, and a new layer is a grid of uniform blocks of 0x00FFFFFF (white, fully
// transparent) costing no pixel memory. Every block has a TVMTC, a canvas whose pixels are the
// block's memory, so that the canvas routines work on blocks unchanged. The image also keeps up to
// four trace rectangles covering every block that is committed or has a visible colour; the
// compositing and the document use them to skip empty areas.
//
// Conventions:
// - Colours are sBGRA values as 32-bit numbers; opacities and alphas are 0..255.
// - The walker-based operations rebuild the trace after their work; the pixel and line writers
//   only add the blocks they commit.
// - Queries (getColor, getLine, findRect, the previews, saveBmpAlpha, ...) read uniform blocks as
//   their colour and never commit them.
// - An operation that needs a block it cannot commit stops there and answers false (the user has
//   been warned once); nothing is written through a block without memory.
#pragma once

#include "core/pixel/blend_modes.h"
#include "core/tiles/block_view.h"
#include "core/image/canvas.h"
#include "core/pixel/layer_mix.h"
#include "core/containers/rect_tracer.h"

#include <QString>

#include <array>
#include <cstdint>

class TChannel;
struct sByteImage;
class ILayerBlendAttr;

// The canvas view of one layer block: 32 x 32 pixels whose memory is the block's (no pixels while
// the block is uncommitted), rows through the image's shared row table. It owns nothing.
class TVMTC : public TBlockView<TMTC>
{
  public:
    using TBlockView<TMTC>::TBlockView;
};

// Blocks of 32 x 32 pixels (kShift 5, kUnit 32).
class CBlockVMTC : public CBlockViewImage<TVMTC, 5, 4>
{
  public:
    static constexpr uint32_t kInitColor = 0x00FFFFFF;

    // A w x h image of uniform 0x00FFFFFF blocks; isEnable tells whether the table could be built.
    CBlockVMTC(int32_t w, int32_t h);
    // An image of src's size holding a copy of its blocks.
    explicit CBlockVMTC(const CBlockVMTC &src);
    ~CBlockVMTC() override;

    // ---- blocks
    // Commits, fills all 1024 pixels with bgCol and adds the block to the trace.
    bool commitBlock(SBlockPack &pack) override;
    // decommitBlock, seekBlock and view come from the base.
    // The address of pixel (x, y) in its block's memory; with need the block is committed first.
    // nullptr outside the grid or when the block holds no memory.
    sBGRA *seekPixelAddr(int32_t x, int32_t y, bool need);
    // Every committed block whose 1024 pixels (those past the image edge included) all equal its
    // first becomes uncommitted with that colour; then the trace is rebuilt. Returns the number
    // of blocks released.
    int32_t shrinkMemory();

    // ---- trace rectangles
    void resetTrace();
    // Adds the block's box when it is committed or its bgCol alpha is not 0.
    void traceBlock(const SBlockPack &pack);
    // Rebuilds the trace from every block; returns the rectangle count.
    int32_t setupTraceRect();
    const SRectTracer &getTrace() const { return rectTrace; }
    // Intersects box with trace rectangle idx; when not empty box becomes the intersection and
    // dpos moves by as much as box's corner did. False (both unchanged) when empty.
    bool intersectTraceRect(int32_t idx, sPos &dpos, sBox &box) const;

    // The base walkers and copies followed by setupTraceRect.
    bool filterAreaTraced(sBox &box, const fptrBlkFlt &fnFlt);
    bool effectAreaFromTraced(const CDibCore &src, sPos dstPos, sBox srcBox,
                              const fptrBlkEfctFrom &fn);
    bool effectAreaTraced(const CBlockImage &src, sPos dstPos, sBox srcBox, const fptrBlkEfct &fn);
    bool simpleCopy(const CBlockImage &src);
    bool simpleCopy(const CBlockImage &src, sPos dpos, sBox box);

    // ---- pixels
    // No bounds test beyond the grid and no commit: 0 outside the grid, bgCol for an uncommitted
    // block, else the pixel.
    uint32_t getColor(int32_t x, int32_t y) const;
    // getColor with (x, y) clamped into the image.
    uint32_t PixelGet(int32_t x, int32_t y) const;
    // initColor outside the image.
    uint32_t getColor2(int32_t x, int32_t y) const;
    // The colour read outside the image and given to the blocks of a later Resize (0x00FFFFFF
    // until set; pasted layer attributes carry their own).
    uint32_t getInitColor() const { return initColor; }
    void setInitColor(uint32_t col) { initColor = col; }
    uint8_t PixelGetY(int32_t x, int32_t y) const;
    // Commits the block of (x, y) and stores col; false outside the image or without memory.
    bool setPixel(int32_t x, int32_t y, uint32_t col);
    // Commits the block of (x, y) and returns the pixel's address; nullptr outside the image or
    // without memory.
    sBGRA *seekPixelNC(int32_t x, int32_t y);
    // The same with (x, y) clamped into the image first.
    sBGRA *seekPixel(int32_t x, int32_t y);

    // ---- fills, masks and bitwise effects (whole uncommitted blocks change only their bgCol)
    // pixel := (data and mask) or (pixel and not mask) over the clipped box.
    bool maskImage(sBox box, uint32_t mask, uint32_t data);
    // Colour bytes from color, alpha kept.
    bool fillImage(const sBox &box, uint32_t color);
    bool fillImageAll(uint32_t color);
    bool setAlpha(const sBox &box, uint8_t val);
    bool setAlphaAll(uint8_t val);
    // fillImage with the neutral colour of mode lm.
    bool clearImage(const sBox &box, TLayerMode lm);
    bool clearImage(TLayerMode lm);
    bool effectXor(sBox box, uint32_t mask);
    bool FilterXor(uint32_t mask);
    // Every pixel becomes val: committed blocks are filled (and stay committed until the next
    // shrinkMemory), uncommitted ones take val as bgCol.
    bool PixelFill(uint32_t val);

    // ---- lines of one channel (ch 0..3: B, G, R, A)
    // Writes len bytes into channel ch of row y from x (cut to the image), committing the blocks
    // it touches. Answers the bytes written, 0 when ch or y is out of range, -1 when a block
    // could not be committed (the write stops there).
    int32_t copyLine(int32_t x, int32_t y, int32_t ch, const uint8_t *src, int32_t len);
    // 1-bit data: each byte covers 8 pixels from x rounded down to a multiple of 8, most
    // significant bit first; a set bit makes B, G, R 0, a clear one 255, alpha untouched. blen
    // is cut at ceil(width / 8) - x div 8. Answers the bytes consumed (0 when y is out of range,
    // -1 when a block could not be committed).
    int32_t copyLine1(int32_t x, int32_t y, const uint8_t *src, int32_t blen);
    // The reverse of copyLine; reads without committing.
    int32_t getLine(int32_t x, int32_t y, int32_t ch, uint8_t *dst, int32_t len) const;

    // ---- transfers to and from canvases
    // The clipped box into dst: committed pieces through TMTC::bltEx with alpha (255 copies, 0
    // skips, between blends), uncommitted ones write their bgCol, all four bytes, whatever alpha
    // is; with fast, uncommitted blocks whose bgCol alpha is 0 are skipped.
    bool bltTo(TMTC &dst, sPos dpos, sBox box, uint32_t alpha, bool fast) const;
    bool bltTo(TMTC &dst, int32_t dx, int32_t dy, uint32_t alpha, bool fast) const;
    // The canvas box into the image: every touched block committed, then src.bltEx with alpha.
    bool bltFrom(const TMTC &src, sPos dpos, sBox box, uint32_t alpha);
    bool bltFrom(const TMTC &src, int32_t dx, int32_t dy, uint32_t alpha);
    // fnPut(pixel, col, channel value) for each pixel: the channel as an opacity map.
    bool bltFromCH(const TChannel &src, sPos dpos, sBox box, uint32_t col, fptrPixelPut4core fnPut);
    // Pixel-exact copy of src's box to dpos, block by block.
    bool copyArea(const CBlockVMTC &src, sPos dpos, sBox box);
    bool copyArea(const CBlockVMTC &src);

    // ---- whole-image transforms
    // Through a canvas of the image size: the box flipped or turned over, then shrinkMemory.
    bool flipLR(sBox box);
    bool flipTB(sBox box);
    bool rot180(sBox box);
    // A quarter turn into dst, which must be at least h x w: clockwise dst(x, y) :=
    // self(y, h - 1 - x), anticlockwise dst(x, y) := self(w - 1 - y, x).
    bool rot90(TMTC &dst, bool right) const;
    // The same into another layer image at ofs; the turned area must lie inside dst.
    bool rot90(const sPos &ofs, CBlockVMTC &dst, bool right) const;

    // ---- bounds
    // Union of the full 32 x 32 squares of the blocks that are committed or have a visible bgCol.
    bool findBlockRect(sRect &r) const;
    // Bounding rectangle of the pixels whose alpha is not 0.
    bool findRect(sRect &r) const;
    // Any of the block's 1024 pixels has alpha other than 0.
    static bool blockHasAlpha(const SBlockPack &pack);
    // Union of the 32 x 32 squares of the visible blocks.
    bool findVisibleRect(sRect &r) const;

    // ---- previews and reductions
    // Nearest-pixel: destination pixel (x, y) of the clipped rectangle takes
    // PixelGet(sx + docw * x div dst width, sy + doch * y div dst height).
    void makePreview(TMTC &dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
                     int32_t sy, int32_t docw, int32_t doch) const;
    // Averaged reduction over (nx + 1) x (ny + 1) pixels per destination pixel.
    void FilterSmallenPart(TMTC &dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
                           int32_t sy, int32_t simgW, int32_t simgH) const;
    // The same pixel by pixel through PixelGet: the walk FilterSmallenPart replaced (it reads each
    // source row once into a line and spreads the rows over the work threads), kept as the
    // reference of tests.
    void FilterSmallenPartByPixel(TMTC &dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh,
                                  int32_t sx, int32_t sy, int32_t simgW, int32_t simgH) const;
    // out[i] := PixelGet(x0 + i, y) for i in 0..n - 1, a block's row at a time.
    void clampedRow(int64_t x0, int32_t y, int32_t n, uint32_t *out) const;
    // 4 x 4 samples per destination pixel, stored with setPixel; then dst.shrinkMemory.
    bool FilterSmallenHQ(CBlockVMTC &dst) const;
    // The image flattened (bltTo at 255) and saved as a 24-bit BMP.
    bool saveBmp(const QString &path) const;
    // The alpha bytes saved as an 8-bit grey BMP.
    bool saveBmpAlpha(const QString &path) const;

    // ---- compositing (core/tiles/layer_composite.cpp; see core/tiles/layer_composite.h)
    // Composites src (the layer obj) into this image by obj's mode and opacity; rows of blocks are
    // blended over the work threads.
    bool layerBlt(const CBlockVMTC &src, const ILayerBlendAttr &obj, sPos dpos, sBox box);
    bool layerBlt(const CBlockVMTC &src, const ILayerBlendAttr &obj, int32_t dx, int32_t dy);
    // The walk layerBlt replaced, one piece committed and blended after another; the same pixels
    // on one thread (tests hold the two together).
    bool layerBltSequential(const CBlockVMTC &src, const ILayerBlendAttr &obj, sPos dpos,
                            sBox box);
    // Fades this image's alpha by dA, then puts src with fnPut and opacity sA.
    bool mixWith(const CBlockVMTC &src, sPos dpos, sBox box, uint32_t dA, uint32_t sA,
                 fptrPixelPut4core fnPut);
    bool mixWithEx(const CBlockVMTC &src, sPos dpos, sBox box, uint32_t dA, uint32_t sA,
                   const sTCMixParam &mix);
    // The older per-mode blit of this image (the layer obj) into dst; written pixels and changed
    // bgCols get alpha 255.
    bool oldBltTo(CBlockVMTC &dst, const ILayerBlendAttr &obj, sPos dpos, sBox box) const;
    // This layer into a canvas by obj's mode, opacity and dither, inside the trace rectangles.
    // part has no effect. False when obj's opacity is 0.
    bool layerBltTo(TMTC &dst, const ILayerBlendAttr &obj, sPos dpos, sBox box, bool part) const;
    bool clipLayerBltTo(TMTC &dst, const ILayerBlendAttr &obj, sPos dpos, sBox box,
                        bool part) const;
    // The older per-mode blit into a canvas; no trace rectangles, no alpha change.
    bool layerOldBltTo(TMTC &dst, const ILayerBlendAttr &ld, sPos dpos, sBox box) const;
    // dst.mixWith / mixFill piece by piece over the whole box.
    bool mixTo(TMTC &dst, sPos dpos, sBox box, uint32_t dA, uint32_t sA,
               fptrPixelPut4core fnPut) const;
    // dst.mixWithEx / mixFillEx inside the trace rectangles only; true when there is none.
    bool mixToEx(TMTC &dst, sPos dpos, sBox box, uint32_t dA, uint32_t sA,
                 const sTCMixParam &mix) const;
    // The clipping group: src drawn into this image only where this image has content.
    bool clipBltBlkTCToLyr(const CBlockVMTC &src, const ILayerBlendAttr &obj, sPos dpos, sBox box,
                           bool part);
    bool clipBltBlkTCFrom(const CBlockVMTC &src, sPos dpos, sBox box, uint32_t alpha,
                          fptrPixelPut4core fnPut);
    bool ClipBltTcToLyr(const TMTC &src, const ILayerBlendAttr &obj, sPos dpos, sBox box,
                        bool part);
    bool clipBltTcFrom(const TMTC &src, sPos dpos, sBox box, uint32_t alpha,
                       fptrPixelPut4core fnPut);
    // Block-wise clip compositing of a whole layer into this image. dstBox and srcBox hold each
    // image's view offset and size; destination pixel (x, y) meets source pixel (x + dx, y + dy)
    // with dx = srcBox.x - dstBox.x, dy = srcBox.y - dstBox.y. fnPutA is the blend row's put.
    bool clipBltTo(const CBlockVMTC &src, const sBox &dstBox, const sBox &srcBox, uint32_t alpha,
                   fptrPixelPut4core fnPutA);
    // The source block's pixels from (srcBox.x, srcBox.y) up to, excluding, column srcBox.w and
    // row srcBox.h (read as right and bottom) into the destination block from dstPos, put only
    // where the destination pixel's alpha is not 0 (a uniform visible source on every pixel).
    bool clippingBlockBlt(SBlockPack *dstBlock, const SBlockPack *srcBlock, sPos dstPos,
                          sBox srcBox, uint32_t alpha, fptrPixelPut4core fnPut);
    // One source block into one destination block with the clip rule; false when either block is
    // uncommitted and transparent.
    bool clipBltBlkToBlkCheckAndBlt(SBlockPack &dstBlk, const SBlockPack &srcBlk, sPos dstPos,
                                    sBox srcBox, uint32_t alpha, fptrPixelPut4core fnPut);

  private:
    bool initBlock(SBlockPack &pack) override;
    // The pixel at block position (x, y) of a committed block.
    static sBGRA *blockPixel(const SBlockPack &pack, int32_t x, int32_t y)
    {
        return static_cast<sBGRA *>(pack.vAddr.get()) + y * kUnit + x;
    }
    // One piece of maskImage / effectXor: op on bgCol for a whole uncommitted block, else op on
    // every pixel of the piece.
    template <class Op> bool pieceOp(const sBox &piece, Op op);
    // The flips: through a canvas of the image size transformed by f.
    template <class F> bool transformThroughCanvas(F f);
    // The clip compositing shared by the two clipBlt*From forms: get(sx, sy) reads the source.
    template <class Get>
    bool clipBltFromSource(sPos dpos, sBox box, uint32_t alpha, fptrPixelPut4core fnPut, Get get);

    uint32_t initColor = kInitColor;
    SRectTracer rectTrace;
};

// The alpha of the layer's pixels under box (clipped to the layer in place) into img, sized to it.
bool byteImageFromAlpha(sByteImage &img, const CBlockVMTC &layer, sBox &box);
// img's bytes become the alpha of the layer's pixels at box's position (img's size, clipped to
// the layer), colour kept; then shrinkMemory. img must hold data.
bool byteImageToAlpha(const sByteImage &img, CBlockVMTC &layer, const sBox &box);
// Exchanges every pixel's alpha with img's byte (img must have the layer's size); then
// shrinkMemory.
bool byteImageSwapAlpha(sByteImage &img, CBlockVMTC &layer);
