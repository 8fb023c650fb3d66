// The 8-bit single-channel image (selection and flood-fill masks, alpha planes, coverage maps of
// brush tips and figures) with the drawing primitives masks need; the plain byte image that saves
// and restores channel areas; and the signed product table and difference puts of the oldest
// brush engine.
#pragma once

#include "core/image/dib_core.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <span>

class TChannel;

// Modifies one non-zero mask byte; edge tells whether it touches the image border or a zero
// neighbour (left, right, above, below).
using fptrModifyPixel1 = void (*)(uint8_t *dst, bool edge);

// The channel put procedure through which exDrawCircle8 writes: value put into (x, y) with an
// opacity 0..255. Positions outside the channel are the procedure's to skip.
using fptrChannelPut = void (*)(TChannel &ch, int32_t x, int32_t y, int32_t value, int32_t opacity);

// Installs the channel put procedure and returns the previous one. The default (also installed
// by passing nullptr) is TChannel::setColor: a bounds-tested mix of value over the pixel.
fptrChannelPut setChannelPutProc(fptrChannelPut put);

// One byte per pixel, rows stored bottom-up: row y starts width * (height - 1 - y) bytes into the
// block, so row height - 1 starts the block and getSkipLineSize is -width.
class TChannel : public CDibCore
{
  public:
    TChannel() = default;
    // Allocated through Resize; contents undefined.
    TChannel(int32_t x, int32_t y);
    explicit TChannel(const sSize &sz);
    // A copy of src's size and bytes.
    explicit TChannel(const TChannel &src);

    using CDibCore::Resize;
    // Reallocates for x * y bytes (contents undefined). On failure the channel is left empty
    // (0 x 0) and the answer is false.
    bool Resize(int32_t x, int32_t y) override;
    uint32_t getImageDataBytes() const override { return uint32_t(width()) * uint32_t(height()); }
    uint32_t getPixelBytes() const override { return 1; }
    int32_t getSkipLineSize() const override { return -width(); }
    void *seek(int32_t x, int32_t y) const override { return seek8(x, y); }
    // The byte at (x, y); no bounds test.
    uint8_t *seek8(int32_t x, int32_t y) const { return tcdSeek8(m_tcd, x, y); }

    // Pixel access
    // Inside: pixel := mix255(col, pixel, a); false outside.
    bool setColor(int32_t x, int32_t y, int32_t col, int32_t a);
    // Inside: channelPutDiff(pixel, color, alpha); nothing outside.
    void qz11_PixelPut(int32_t x, int32_t y, int32_t color, int32_t alpha);
    // The byte, no bounds test.
    uint8_t getColor(int32_t x, int32_t y) const { return *seek8(x, y); }
    // The byte at (x, y) clamped into the channel; 0 for an empty channel.
    uint8_t PixelGet(int32_t x, int32_t y) const;
    void PixelFill(uint8_t color);

    // Copies
    bool Blt(TChannel &target, int32_t dx, int32_t dy) const;
    // Copies box (clipped by clipBlt) to dpos in target.
    bool BltPart(TChannel &target, sPos dpos, sBox box) const;
    // fnPut(own pixel, src byte) over the clipped box of src placed at dpos.
    bool bltEx(const TChannel &src, sPos dpos, sBox box, fptrMixPixel1 fnPut);

    // Fills and effects (boxes are clipped in place)
    bool fillBox(sBox &box, uint8_t alpha);
    bool fillBox(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t alpha);
    bool fillEx(sBox &box, uint8_t a, fptrMixPixel1 fnPut);
    bool effectXor(sBox &box, uint8_t mask);
    void effectXorAll(uint8_t mask);
    // Bounding rectangle (right and bottom exclusive) of the non-zero bytes; false when none.
    bool findRect(sRect &r) const;
    // fnModify for every non-zero pixel of the clipped box, with its edge flag.
    void modifyEdge(sBox box, fptrModifyPixel1 fnModify);

    // Growth by one pixel
    // Non-zero bytes become vIn, then the shape grows one pixel in the eight directions as vEdge.
    void makeInflate(uint8_t vIn, uint8_t vEdge);
    void makeInflateNA(uint8_t vIn);
    // makeInflate(vIn, 42), then rim pixels rise by 42 per direction touching the shape.
    void makeInflateAA(uint8_t vIn);

    // Writes the channel as an 8-bit grey BMP through a temporary file; false when the file
    // could not be written completely (the old file is then kept).
    bool save(const QString &path, int32_t dpi) const;

    // Drawing
    // Discs of radius r on a grid (ofsX, ofsY) + k * (pitX, pitY) up to (w, h).
    void drawPattern(int32_t ofsX, int32_t ofsY, int32_t w, int32_t h, int32_t pitX, int32_t pitY,
                     float r);
    // A disc through the channel put procedure, coverage counted in fifths of a pixel.
    void exDrawCircle8(float mx, float my, float r, int32_t color, float alpha, bool antialias,
                       bool ifAboveOnly);
    // The disc of the oldest brush engine, written through qz11_PixelPut.
    void qz11_DrawCircle(float mx, float my, float r, int32_t color, float alpha, bool ifAboveOnly,
                         bool doSmooth);
    // Anti-aliased horizontal span from x1 to x2 on row y (coverage in 1/64 pixel).
    void qz61DrawAntiXLine(float x1, float x2, int32_t y, int32_t color, float alpha,
                           bool ifAboveOnly);
    // The vertical twin on column x.
    void qz61DrawAntiYLine(float y1, float y2, int32_t x, int32_t color, float alpha,
                           bool ifAboveOnly);
    // Anti-aliased fill with 255 of a closed polygon whose last point repeats the first.
    void DrawPolyRect(std::span<const sPos> p);
    // The polygon of p's points, closed here (the caller need not repeat the first point).
    void DrawPolygon(std::span<const sPos> p);
    // A line of width n filled as the polygon of its four corners; the fill value is 255.
    void DrawNLine(float x1, float y1, float x2, float y2, float n, int32_t color);
};

// A plain 8-bit image: w * h bytes, rows top-down with stride w and no padding. Saves and
// restores channel areas. Owns its data.
struct sByteImage
{
    int32_t w = 0;
    int32_t h = 0;
    std::unique_ptr<uint8_t[]> data;
};

void byteImageInit(sByteImage &img);
void byteImageFree(sByteImage &img);
// Keeps the data when w and h are unchanged and data exists; else reallocates (contents
// undefined). False when out of memory or a size is negative.
bool byteImageAlloc(sByteImage &img, int32_t w, int32_t h);
bool byteImageHasData(const sByteImage &img);
uint32_t byteImageBytes(const sByteImage &img);
// Frees what the record holds, then owns data for an image of size sz.
void byteImageAttach(sByteImage &img, std::unique_ptr<uint8_t[]> data, const sSize &sz);
// Hands the data to the caller and leaves the record empty.
std::unique_ptr<uint8_t[]> byteImageDetach(sByteImage &img);
// Address of (x, y); no bounds test.
inline uint8_t *byteImagePixel(const sByteImage &img, int32_t x, int32_t y)
{
    return img.data.get() + size_t(y) * size_t(img.w) + size_t(x);
}
// Copies the channel's bytes under box (clipped) into the record, sized to the clipped box.
bool byteImageFromChannel(sByteImage &img, const TChannel &ch, sBox box);
// Writes the record back at box's origin, clipped to the channel.
bool byteImageToChannel(const sByteImage &img, TChannel &ch, const sBox &box);

// Row i (an opacity), column k (a signed difference as its two's-complement byte):
// i * 2 * d div 255, truncated towards zero. Constant-initialised.
using SignedProductTable = std::array<std::array<int8_t, 256>, 256>;
extern const SignedProductTable gSignedProductTable;

// The difference put of the oldest engine: opacity 0 nothing, 255 sets color, otherwise pixel
// moves by gSignedProductTable[opacity][(color div 2 - pixel div 2) and 255], modulo 256.
void channelPutDiff(uint8_t &pixel, int32_t color, int32_t opacity);
// The same on B, G and R of a pixel; alpha kept.
void pixelPutDiff(sBGRA *dst, uint32_t col, uint32_t a);
// Makes a non-edge pixel 255: the inside of a soft mask opaque, its anti-aliased border kept.
void fillInteriorPixel(uint8_t *pixel, bool isEdge);
