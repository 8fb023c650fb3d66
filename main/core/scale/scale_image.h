// The area-average scaler: every destination pixel is the mean of the source area its footprint
// covers. Footprints are 16.16 fixed point, stepped per pixel; sums are Singles, partial edge
// pixels weighted by the part inside the footprint. The footprint walk is written once; the pixel
// kind is given by virtual slots (sum a pixel, sum it weighted, store the mean, the same three
// alpha-weighted, and the two seeks), so that one walk serves canvases, channels and byte buffers.
#pragma once

#include "core/base/geometry.h"

#include <cstdint>

class TMTC;
class TChannel;

class CScaleImage
{
public:
    // All boxes and sizes zero, rate 1.0 on both axes.
    CScaleImage();
    virtual ~CScaleImage() = default;

    // Copies both boxes into srcBox and dstBox, prepares and, when that succeeds, scales all of
    // dstBox with the plain average (alpha treated as a fourth colour). False when either box is
    // empty after clipping or anything fails.
    bool scale(const sBox &src, const sBox &dst);
    // The same with the alpha-weighted average (colour of transparent pixels ignored).
    bool scale2(const sBox &src, const sBox &dst);
    // Clips srcBox to the source (false when empty) and dstBox to the destination (false when
    // empty), and sets rate := (fixDiv(srcBox.w, dstBox.w), fixDiv(srcBox.h, dstBox.h)). The boxes
    // are cut independently: a cut source box is stretched over the whole cut destination box.
    bool prepare();
    void scaleAll();
    void scaleAll2();

    // r, a 16.16 source rectangle, is clipped in place to the source; when something is left its
    // mean is stored into the pixel at dst and the result is true. Otherwise the pixel is
    // untouched. The NC forms take a rectangle already inside the source.
    bool calcSrcRect(uint8_t *dst, sRect &r);
    void calcSrcRectNC(uint8_t *dst, const sRect &r);
    bool calcSrcRect2(uint8_t *dst, sRect &r);
    void calcSrcRectNC2(uint8_t *dst, const sRect &r);

    sSize srcSize;
    sSize dstSize;
    sBox srcBox;
    sBox dstBox;
    sFXPos rate; // 16.16 source pixels per destination pixel on each axis

protected:
    // Sums are Singles in the order R, G, B, A (one-channel scalers use the first only). The base
    // slots read and write 32-bit B, G, R, A pixels.
    virtual void sumPixel(float *sums, const uint8_t *src);
    virtual void sumPixelWeighted(float *sums, const uint8_t *src, float w);
    // Each of R, G, B, A := trunc((sum + 0.01) / area), clamped to 0..255.
    virtual void storeAverage(uint8_t *dst, const float *sums, float area);
    // R x A, G x A, B x A and A.
    virtual void sumPixelAlpha(float *sums, const uint8_t *src);
    virtual void sumPixelAlphaWeighted(float *sums, const uint8_t *src, float w);
    // With SA the alpha sum: R, G, B := trunc(sum / SA + 0.01), A := trunc(SA / area + 0.01),
    // clamped; (255, 255, 255, 0) when SA is 0.
    virtual void storeAlphaAverage(uint8_t *dst, const float *sums, float area);
    virtual const uint8_t *seekSrc(int32_t x, int32_t y) = 0;
    virtual uint8_t *seekDst(int32_t x, int32_t y) = 0;

    // Averages the 16.16 footprint (x0, y0)-(x1, y1) into dst.
    void averageRect(uint8_t *dst, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
    void averageRect2(uint8_t *dst, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

    // Bytes from one source pixel to the next in a row; set by each pixel kind.
    int32_t srcPixelBytes = 4;

    // True when every pixel slot is the base's: the walk then does their arithmetic inline
    // instead of calling them per pixel (same results, without the calls).
    virtual bool hasBaseSlots() const { return false; }

private:
    void average(uint8_t *dst, int32_t x0, int32_t y0, int32_t x1, int32_t y1, bool alpha);
    template <class Ops>
    void walk(const Ops &ops, uint8_t *dst, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
    template <class Ops>
    void walkRow(const Ops &ops, int32_t col0, int32_t row, int32_t nx, int32_t fx1, int32_t fx0,
                 float *sums);
    bool scaleWith(const sBox &src, const sBox &dst, bool alpha);
    // scaleAll (or, with alpha, scaleAll2) for a scaler with every base slot: the same bytes,
    // with footprints worked out once per scale and the channels summed four at once.
    void scaleAllFast(bool alpha);
};

// Halving rows of 32-bit B, G, R, A pixels: dst[i] := the mean of source pixels 2i and 2i + 1 of
// row0 and row1, plain or (alpha) alpha-weighted; the bytes scale and scale2 store for a
// footprint of exactly two whole source pixels on each axis. Built with SSE2 only.
#if defined(__SSE2__)
void halveRow(uint32_t *dst, const uint32_t *row0, const uint32_t *row1, int32_t count,
              bool alpha);
#endif

// The base of the scalers whose source has no alpha: the alpha-weighted slots are the plain ones.
class CScaleImageNoAlpha : public CScaleImage
{
protected:
    void sumPixelAlpha(float *sums, const uint8_t *src) override { sumPixel(sums, src); }
    void sumPixelAlphaWeighted(float *sums, const uint8_t *src, float w) override
    {
        sumPixelWeighted(sums, src, w);
    }
    void storeAlphaAverage(uint8_t *dst, const float *sums, float area) override
    {
        storeAverage(dst, sums, area);
    }
};

// The base of the one-channel scalers: one Single sum; the mean stored as the byte
// trunc(sum / area), clamped. A channel has no alpha.
class CScaleImage8 : public CScaleImageNoAlpha
{
public:
    CScaleImage8() { srcPixelBytes = 1; }

protected:
    void sumPixel(float *sums, const uint8_t *src) override;
    void sumPixelWeighted(float *sums, const uint8_t *src, float w) override;
    void storeAverage(uint8_t *dst, const float *sums, float area) override;
};

// Byte buffers without row padding: rows of srcSize.x and dstSize.x bytes.
class CScaleImageBYTE : public CScaleImage8
{
public:
    // dst may be null when only calcSrcRect into pixels of the caller's is used.
    CScaleImageBYTE(const uint8_t *src, uint8_t *dst, const sSize &srcSz, const sSize &dstSz);

    const uint8_t *srcImg;
    uint8_t *dstImg;

protected:
    const uint8_t *seekSrc(int32_t x, int32_t y) override;
    uint8_t *seekDst(int32_t x, int32_t y) override;
};

// 32-bit canvas to 32-bit canvas.
class CScaleImageTMTC : public CScaleImage
{
public:
    // dst may be null when only calcSrcRect into pixels of the caller's is used.
    CScaleImageTMTC(const TMTC *src, TMTC *dst);
    void reset(const TMTC *src, TMTC *dst);

    const TMTC *srcImg;
    TMTC *dstImg;

protected:
    const uint8_t *seekSrc(int32_t x, int32_t y) override;
    uint8_t *seekDst(int32_t x, int32_t y) override;
    bool hasBaseSlots() const override;
};

// A grey channel scaled into a canvas: the mean grey into B, G and R, alpha 255. A channel has no
// alpha.
class CScaleImageCH2TMTC : public CScaleImageNoAlpha
{
public:
    CScaleImageCH2TMTC(const TChannel *src, TMTC *dst);
    void reset(const TChannel *src, TMTC *dst);

    const TChannel *srcImg;
    TMTC *dstImg;

protected:
    void sumPixel(float *sums, const uint8_t *src) override;
    void sumPixelWeighted(float *sums, const uint8_t *src, float w) override;
    void storeAverage(uint8_t *dst, const float *sums, float area) override;
    const uint8_t *seekSrc(int32_t x, int32_t y) override;
    uint8_t *seekDst(int32_t x, int32_t y) override;
};

// Channel to channel.
class CScaleImageCH : public CScaleImage8
{
public:
    CScaleImageCH(const TChannel *src, TChannel *dst);

    const TChannel *srcImg;
    TChannel *dstImg;

protected:
    const uint8_t *seekSrc(int32_t x, int32_t y) override;
    uint8_t *seekDst(int32_t x, int32_t y) override;
};

// The mean of a channel area as a 16.16 coverage: calcSrcRect stores
// clamp(round(sum / (area x 255) x 65536), 0, 65536) into the int32_t its destination points at.
// It has no destination image (scale answers false).
class CScaleImageCH_fixp : public CScaleImageCH
{
public:
    explicit CScaleImageCH_fixp(const TChannel *src) : CScaleImageCH(src, nullptr) {}

    bool calcSrcRect(int32_t *dst, sRect &r)
    {
        return CScaleImage::calcSrcRect(reinterpret_cast<uint8_t *>(dst), r);
    }

protected:
    void storeAverage(uint8_t *dst, const float *sums, float area) override;
};
