// The working 32-bit image: previews, stroke work images, filter sources and results,
// thumbnails, display buffers (through TTC) and the interchange form of every image read or
// written. Each pixel is one sBGRA.
//
// Conventions of every operation here:
// - A box or rectangle passed by non-const reference is clipped in place against the canvas (the
//   caller sees the clipped value); the answer is true when what is left is not empty, and
//   nothing is written otherwise.
// - Two-image operations clip copies of their boxes through clipBlt: the source box against the
//   source, the destination position against the destination, each side moving the other.
// - Rows are reached through the row table, so the same loops serve bottom-up descendants.
// - Names ending in NC do no clipping: the caller guarantees that the box lies inside both images.
// - Colours are sBGRA values as 32-bit numbers (A << 24 | R << 16 | G << 8 | B); opacities and
//   alphas are 0..255.
#pragma once

#include "core/image/dib_core.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>

class QIODevice;
class QPainter;
class TChannel;
struct sTCMixParam;

class TMTC;

// One row of a line blit: dst and src rows of w pixels, opacity alpha.
using fptrBltLine = void (*)(sBGRA *dst, const sBGRA *src, int32_t w, uint32_t alpha);
// Converts one canvas pixel into one channel byte.
using fptrConvertToChannel = void (*)(uint8_t *dst, const sBGRA *src);
// The canvas put procedure through which exDrawCircle writes: col put at (x, y) with opacity a.
using fptrCanvasPut = void (*)(TMTC &tc, int32_t x, int32_t y, uint32_t col, int32_t a);

// Installs the canvas put procedure and returns the previous one. The default (also installed by
// passing nullptr) is TMTC::setColor: a bounds-tested pixelPutAlpha.
fptrCanvasPut setCanvasPutProc(fptrCanvasPut proc);

// The colour (alpha 0) that the rotated and mirrored views write where a sample falls outside
// their source; the document window sets it from its background. 0x00808080 at start.
extern uint32_t gViewBackColor;

// The 32-bit canvas: width x height sBGRA pixels in one block, rows top-down (row y starts
// y * width * 4 bytes into the block). Pixel memory is not cleared on allocation.
class TMTC : public CDibCore
{
  public:
    TMTC() = default;
    TMTC(int32_t x, int32_t y);
    explicit TMTC(const sSize &sz);
    // A copy of src's size and pixels.
    explicit TMTC(const TMTC &src);
    // The image's pixels as 32-bit sBGRA with every alpha set to 255.
    explicit TMTC(const QImage &src);

    using CDibCore::Resize;
    // Same size with memory: true at once, pixels kept. Otherwise reallocates, keeping the old
    // block (and its bytes) when the byte size is unchanged. On failure the canvas is left
    // empty (0 x 0) and the answer is false.
    bool Resize(int32_t x, int32_t y) override;
    uint32_t getImageDataBytes() const override
    {
        return uint32_t(width()) * uint32_t(height()) * 4;
    }
    uint32_t getPixelBytes() const override { return 4; }
    int32_t getSkipLineSize() const override { return width(); }
    void *seek(int32_t x, int32_t y) const override { return seek32(x, y); }
    // The pixel at (x, y); no bounds test.
    sBGRA *seek32(int32_t x, int32_t y) const { return tcdSeek32(m_tcd, x, y); }
    // Copies src's pixels; the sizes must already match (nothing happens otherwise).
    void copyImage(const TMTC &src);

    // ---- pixel access
    uint32_t getColor(int32_t x, int32_t y) const { return seek32(x, y)->all; }
    // Inside: pixelPutAlpha(pixel, col, a); answers whether (x, y) was inside.
    bool setColor(int32_t x, int32_t y, uint32_t col, uint32_t a);
    // The pixel at (x, y) clamped into the canvas (0 for an empty canvas), and its luma.
    uint32_t PixelGet(int32_t x, int32_t y) const;
    uint8_t PixelGetY(int32_t x, int32_t y) const;
    // Add the clamped pixel's red, green and blue to the sums.
    void PixelGetAdd(int32_t x, int32_t y, uint32_t &R, uint32_t &G, uint32_t &B) const;
    void sumPixel(int32_t x, int32_t y, sdRGBA &col) const;
    // Adds the clamped pixel flattened onto blendcol by its alpha.
    void sumAlphaPixel(int32_t x, int32_t y, const sBGRA &blendcol, sdRGBA &sumcol) const;
    // Inside: pixelPutDiff(pixel, color, alpha).
    void qz11_PixelPut(int32_t x, int32_t y, uint32_t color, uint32_t alpha);

    // ---- fills
    void PixelFill(uint32_t color);
    void fillAll(uint32_t color) { PixelFill(color); }
    // B, G, R of every pixel from color, alpha kept.
    void fillImageAll(uint32_t color);
    bool fillBox(sBox &box, uint32_t col);
    bool fillBox(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t col);
    bool fillBoxC(const sBox &box, uint32_t col);
    void fillBoxNC(const sBox &box, uint32_t col);
    // pixelPutAlpha (or fnPut) with opacity a over the box.
    bool fillBox(sBox &box, uint32_t col, uint32_t a);
    bool fillBox(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t col, uint32_t a);
    bool fillBox(sBox &box, uint32_t col, uint32_t a, fptrPixelPut4core fnPut);
    void fillBoxNC(const sBox &box, uint32_t col, uint32_t a, fptrPixelPut4core fnPut);
    // pixel := (data and mask) or (pixel and not mask).
    bool maskImage(sBox &box, uint32_t mask, uint32_t data);
    bool setAlphaPart(sBox &box, uint8_t val);
    void setAlphaAll(uint8_t val);
    void AlphaClear();
    // Pixels not fully opaque become col with the pixel put over it at the pixel's alpha.
    bool mixInvFill(sRect &r, uint32_t col);
    // Pixels not fully opaque are flattened onto bgCol; alpha becomes 255.
    void convert32to24(uint32_t bgCol);

    // ---- bitwise effects
    bool effectOr(sBox &box, uint32_t mask);
    bool effectAnd(sBox &box, uint32_t mask);
    bool effectXor(sBox &box, uint32_t mask);
    void effectXorAll(uint32_t mask) { FilterXor(mask); }
    void FilterAnd(uint32_t mask);
    void FilterOr(uint32_t mask);
    void FilterXor(uint32_t mask);
    // Inverts the colour, keeps alpha.
    void FilterNot() { FilterXor(0x00FFFFFF); }

    // ---- copies (self is the destination)
    bool copyArea(const TMTC &src, sPos dpos, sBox sbox);
    bool copyArea(int32_t dx, int32_t dy, const TMTC &src);
    // The image as 32-bit pixels, its fourth byte included.
    bool copyArea(const QImage &src, sPos dpos, sBox sbox);
    // Grey v gives (v, v, v, 255), 0 gives the all-zero pixel.
    bool copyArea(const TChannel &ch, sPos dpos, sBox sbox);
    // fnPut(pixel, col, v) for each channel value v: the channel as an opacity map.
    bool copyArea(const TChannel &ch, sPos dpos, sBox sbox, uint32_t col, fptrPixelPut4core fnPut);
    void copyAreaNC(const TMTC &src, const sBox &box);
    void copyAreaNC(const TMTC &src, const sPos &dpos, const sBox &box);

    // ---- blits (self is the source)
    bool bltPartEx2(TMTC &target, sPos dpos, sBox box, uint32_t alpha,
                    fptrPixelPut4core fnPut) const;
    bool bltPartEx2(TMTC &target, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t x,
                    int32_t y, uint32_t alpha, fptrPixelPut4core fnPut) const;
    // fnPut(target pixel, source pixel, alpha) over the box; nothing when alpha is 0.
    void bltPartEx2NC(TMTC &target, const sPos &dpos, const sBox &box, uint32_t alpha,
                      fptrPixelPut4core fnPut) const;
    // 255 copies (alpha too), 0 does nothing, otherwise pixelPutAlpha (destination alpha kept).
    bool bltEx(TMTC &dst, sPos dp, sBox sbx, uint32_t a) const;
    bool bltEx(TMTC &dst, int32_t x, int32_t y, uint32_t a) const;
    bool BltMulPart(TMTC &target, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t x,
                    int32_t y, uint32_t alpha) const;
    bool BltAddPart(TMTC &target, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t x,
                    int32_t y, uint32_t alpha) const;
    bool BltSubPart(TMTC &target, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t x,
                    int32_t y, uint32_t alpha) const;
    bool BltMul(TMTC &target, int32_t x, int32_t y, uint32_t alpha) const;
    bool BltAdd(TMTC &target, int32_t x, int32_t y, uint32_t alpha) const;
    bool BltSub(TMTC &target, int32_t x, int32_t y, uint32_t alpha) const;
    // fnLine(target row, source row, width, alpha) per row; nothing when alpha is 0.
    bool bltPartEx(TMTC &target, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t x, int32_t y,
                   uint32_t alpha, fptrBltLine fnLine) const;
    // Self is the destination: the whole of src at (x, y); source pixels whose colour equals
    // key's (low 24 bits) are skipped, the others put with pixelPutAlpha and alpha.
    bool bltWithKey(const TMTC &src, int32_t x, int32_t y, uint32_t key, uint32_t alpha);
    bool bltWithKey(const TMTC &src, const sPos &pos, uint32_t key, uint32_t alpha);
    // The version-1 blits: 255 copies, 0 does nothing, otherwise pixelPutDiff.
    bool qz11_Blt(TMTC &dst, int32_t x, int32_t y, uint32_t alpha) const;
    bool qz11_BltPart(TMTC &dst, const sPos &dpos, const sBox &box, uint32_t alpha) const;
    bool qz11_BltPart(TMTC &dst, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t x, int32_t y,
                      uint32_t alpha) const;
    bool qz11_BltFill(sBox &box, uint32_t color, uint32_t alpha);
    bool qz11_BltFill(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t color, uint32_t alpha);

    // ---- layer mixing (self is the destination)
    // The destination's alpha is first faded by dA / 255, then fnPut(dst, src, sA). False when
    // sA is 0 or nothing is left after clipping.
    bool mixWith(const TMTC &srcTC, sPos dpos, sBox box, uint32_t dA, uint32_t sA,
                 fptrPixelPut4core fnPut);
    bool mixFill(sBox &box, uint32_t col, uint32_t dA, uint32_t sA, fptrPixelPut4core fnPut);
    // The same fade, then mixPixelEx with the blend mode's parameters.
    bool mixWithEx(const TMTC &srcTC, sPos dpos, sBox box, uint32_t dA, uint32_t sA,
                   const sTCMixParam &mix);
    bool mixFillEx(sBox &box, uint32_t col, uint32_t dA, uint32_t sA, const sTCMixParam &mix);

    // ---- BMP files and device-independent bitmaps
    // Reads a 24- or 32-bit BMP from the device's position. File rows land in canvas rows 0, 1,
    // 2, ... in file order, so an ordinary bottom-up file is held upside down (callers turn it
    // with flipTB). dpi, when given, receives the header's resolution. False for a short,
    // malformed or unsupported file; the canvas is resized only once the header and the size of
    // the data have been checked.
    bool loadBitmap(QIODevice &fio, int32_t *dpi);
    bool loadBitmap(const QString &path, int32_t *dpi);
    bool loadBitmap(const void *ptr, size_t len, int32_t *dpi);
    // Writes a 24-bit (alpha dropped) or 32-bit BMP, bottom-up, through a temporary file; true
    // only when every byte was written (a failed save keeps the old file).
    bool saveBitmap(const QString &path, int32_t dpi) const;
    bool saveBitmap32(const QString &path, int32_t dpi) const;
    // The whole canvas as a bottom-up 24-bit DIB, rows padded to 4 bytes.
    bool makeBMP24(int32_t dpi, tagBITMAPINFOHEADER &info, std::unique_ptr<uint8_t[]> &ptr) const;
    // The clipped box as a bottom-up 32-bit DIB.
    bool makeBMP32(int32_t dpi, sBox box, tagBITMAPINFOHEADER &info,
                   std::unique_ptr<uint8_t[]> &ptr) const;
    // Draws the canvas 1:1 at (x, y) upright, alpha ignored; answers the rows drawn (0 on
    // failure).
    int32_t bltDIB(QPainter &dc, int32_t x, int32_t y) const;
    // The canvas as an upright image (format ARGB32, pixel (0, 0) at the top left): a view of
    // the canvas memory when its rows run top-down (valid until the next Resize), else a copy.
    QImage imageView() const;

    // ---- grey channels
    void makeGrayChannel(TChannel &ch) const;
    bool toGrayChannel(TChannel &ch, sPos point, sBox box) const;
    // proc(channel byte, canvas pixel) over box of this canvas placed at point in the channel.
    bool convertToChannel(TChannel &ch, sPos point, fptrConvertToChannel proc, sBox box) const;

    // Bounding rectangle of the pixels whose alpha is not 0 (right and bottom exclusive); false,
    // r untouched, when there is none.
    bool findRect(sRect &r) const;

    // ---- lines and frames
    // Opacity from a0 to a1 along the line, each pixel through fnPut; pixels outside skipped.
    void drawLine(int32_t x0, int32_t y0, int32_t a0, int32_t x1, int32_t y1, int32_t a1,
                  uint32_t col, fptrPixelPut4core fnPut);
    // A one-pixel frame on the box's border: top and left in colTL, right and bottom in colBR.
    void frameBox(const sBox &box, uint32_t colTL, uint32_t colBR, uint32_t a,
                  fptrPixelPut4core fnPut);
    void frameBox(const sBox &box, uint32_t col, uint32_t a, fptrPixelPut4core fnPut);
    void drawBox(const sBox &box, uint32_t col, uint32_t a);
    void drawBox(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t col, uint32_t a);
    void drawBox(const sBox &box, uint32_t colTL, uint32_t colBR, uint32_t a);
    void drawEdge(uint32_t colTL, uint32_t colBR, uint32_t a);
    // Fills the box (clipped to the canvas) with bg and frames the clipped box in edge.
    void drawTextBox(const sBox &box, uint32_t bg, uint32_t edge, uint32_t a);
    // A one-pixel line stepped along its major axis with a 16.16 minor coordinate.
    void DrawLine(float x1, float y1, float x2, float y2, uint32_t color, bool antialias);
    // The same with an opacity (0..1) going from a1 to a2.
    void DrawALine(float x1, float y1, float a1, float x2, float y2, float a2, uint32_t color,
                   bool antialias);

    // ---- discs on a quarter-pixel grid
    // Through the canvas put procedure.
    void exDrawCircle(float mx, float my, float r, uint32_t color, float alpha, bool antialias,
                      bool doSmooth);
    // Through qz11_PixelPut.
    void qz11_DrawCircle(float mx, float my, float r, uint32_t color, float alpha, bool antialias,
                         bool doSmooth);

    // ---- checkerboards
    // Cells of sz from the box's own top-left corner: c1 where column + row is odd.
    bool fillCheckBoard(sBox &box, const sSize &sz, uint32_t c0, uint32_t c1);
    // Cells aligned to the canvas origin.
    bool fillCheckBoardEx(sBox &box, const sSize &sz, uint32_t c0, uint32_t c1);
    // Like mixInvFill, with the colour underneath from a checkerboard of phase cp.
    bool mixInvCheckBoard(sRect &r, const sPos &cp, const sSize &sz, uint32_t c0, uint32_t c1);

    // ---- flips and turns (in place over the clipped box, or the whole canvas)
    bool flipTB(sBox &box);
    bool flipLR(sBox &box);
    bool rot180(sBox &box);
    bool flipTB();
    bool flipLR();
    bool rot180();
    bool FilterUpsideDown() { return flipTB(); }
    bool FilterMirror() { return flipLR(); }
    // dst(x, y) := self(w - 1 - x, h - 1 - y). Only as much as dst holds is written.
    bool FilterRotate180(TMTC &dst) const;
    // dest(x, y) := self(y, h - 1 - x): a quarter turn clockwise into an h x w dest.
    bool FilterRotateRight(TMTC &dest) const;
    // dest(x, y) := self(w - 1 - y, x): anticlockwise.
    bool FilterRotateLeft(TMTC &dest) const;

    // ---- rotated and mirrored views (self is the source; nearest neighbour)
    // The box of dest (clipped) shows this canvas turned by rot radians and scaled by zoom
    // (source pixels per destination pixel) about cp, which appears at the centre of dest.
    bool BltRotationPart(TMTC &dest, const sPos &cp, sBox box, float rot, float zoom) const;
    // The left-right mirrored view.
    bool BltReversePart(TMTC &dest, const sPos &cp, sBox box, float rot, float zoom) const;
    bool BltRotation(TMTC &dest, const sPos &cp, float rot, float zoom) const;
    bool BltReverse(TMTC &dest, const sPos &cp, float rot, float zoom) const;

    // ---- reductions and stretching
    // 4 x 4 samples per destination pixel, averaged (alpha included).
    void FilterSmallenHQ(TMTC &dest) const;
    // The (nx + 1) x (ny + 1) source pixels under each destination pixel, averaged.
    void FilterSmallen(TMTC &dest) const;
    bool FilterSmallenPart(TMTC &dest, int32_t dx, int32_t dy, int32_t dw, int32_t dh) const;
    // Self is the destination: nearest-neighbour copy of sbx of srcTC onto dbx.
    bool stretchImage(const TMTC &srcTC, const sBox &dbx, const sBox &sbx);

  protected:
    // Calls f(row pointer) for every row of a box already clipped.
    template <class F> void forBoxRows(const sBox &box, F f) const
    {
        for (int32_t j = 0; j < box.h; ++j)
            f(seek32(box.x, box.y + j));
    }
};
