// The scan-line seed fillers of the document's older magic wand and seed fill: from a seed pixel
// they fill, span by span, the pixels whose squared colour distance to the seed's colour is within
// a limit, writing into an 8-bit output channel a coverage that falls with the distance. Pending
// seeds wait in a stack of fixed capacity (the document passes SEED_FILL_MAX_SEEDS), so that the
// memory of a fill is bounded: a region needing more seeds stops the fill half done with the
// stack's overflow flag set, and the document warns with seedFillTooComplexMessage() and applies
// nothing.
#pragma once

#include "core/containers/dyn_stack.h"
#include "core/base/geometry.h"
#include "core/pixel/pixel.h"

#include <QString>

#include <cstdint>

class TChannel;
class TMTC;
class CBlockVCH;

// The seed capacity the document gives its seed fills.
constexpr int32_t SEED_FILL_MAX_SEEDS = 8192;

// "領域が複雑すぎます！": the warning for a fill that ran out of seeds.
QString seedFillTooComplexMessage();

// The fill machinery over a stack of {x, y} seeds; the pixel tests belong to the subclasses.
class CSeedFillCore : public CDynStack
{
  public:
    // A stack of max seeds; the fill stays inside rect (right and bottom exclusive).
    CSeedFillCore(int32_t max, const sRect &rect);

    // Fills from pos. val > 0 replaces limitVal (0 or less keeps the previous limit). False, the
    // output untouched, when pos lies outside clipRect or the stack has no memory. When the
    // stack overflows the fill stops: true, with `overflow` set and the finishing step not run.
    // Otherwise the result of finishFill.
    bool start(const sPos &pos, int32_t val);

    sRect clipRect;
    int32_t limitVal = 10;
    bool useAntiAlias = false;

  protected:
    // The pixel is already filled, or may not be.
    virtual bool isFilled(int32_t x, int32_t y) const = 0;
    // Writes the n pixels from (x, y) rightwards.
    virtual void fillSpan(int32_t x, int32_t y, int32_t n) = 0;
    virtual uint32_t colorDistance(int32_t x, int32_t y) const = 0;
    virtual bool finishFill() = 0;
    // limitVal >= colorDistance, compared unsigned.
    virtual bool withinLimit(int32_t x, int32_t y) const;
    // Pushes one seed for the first pixel of every run of fillable pixels of row y within the
    // span's columns.
    virtual void pushRowSeeds(int32_t y, const sRange &span);
    // The span of fillable pixels through the seed; its length (0 when the seed is not fillable).
    virtual int32_t extendSpan(const sPos &seed, sRange &span);
    // Takes the colour the distances are measured from; true.
    virtual bool takeKeyColor(const sPos &pos);

  private:
    bool fillable(int32_t x, int32_t y) const { return !isFilled(x, y) && withinLimit(x, y); }
};

// Fills by the colour distance of opaque colours.
class CSeedFillTC : public CSeedFillCore
{
  public:
    // clipRect := rect, kept inside both the image and the output channel.
    CSeedFillTC(int32_t max, const TMTC &tc, TChannel &ch, const sRect &rect);

    const TMTC *imageTC = nullptr; // the image searched; not owned
    TChannel *maskTC = nullptr;    // the output; not owned
    sBGRA keyColor{};

  protected:
    // The output byte at (x, y) is not 0.
    bool isFilled(int32_t x, int32_t y) const override;
    // Each byte := (limitVal - d) * 255 div limitVal, at least 1, d the pixel's distance.
    void fillSpan(int32_t x, int32_t y, int32_t n) override;
    // colorDistSq of the key and the pixel.
    uint32_t colorDistance(int32_t x, int32_t y) const override;
    // Grows the filled area by one pixel (anti-aliased with useAntiAlias); false when nothing
    // was filled.
    bool finishFill() override;
    bool takeKeyColor(const sPos &pos) override;

    sBGRA pixelAt(int32_t x, int32_t y) const;
};

// Fills by colour and alpha: colours are compared composited over a background that contrasts
// with the key (black behind a light key, white behind a dark one); with a transparent key the
// distance is the alpha alone.
class CSeedFillTCWithAlpha : public CSeedFillTC
{
  public:
    CSeedFillTCWithAlpha(int32_t max, const TMTC &tc, TChannel &ch, const sRect &rect);

    sBGRA bgColor{.all = 0x00FFFFFF};
    bool bAlpha = false; // the key is transparent

  protected:
    // Transparent key: 2 * A * A. Otherwise a transparent pixel is 0x30000 (beyond every limit
    // built from a tolerance up to 255), an opaque one its plain distance, others composited
    // over bgColor.
    uint32_t colorDistance(int32_t x, int32_t y) const override;
    bool takeKeyColor(const sPos &pos) override;
};

// The alpha-aware fill inside a selection: pixels where the selection is 0 count as filled, so
// the fill never enters them.
class CSeedFillTCWithMask : public CSeedFillTCWithAlpha
{
  public:
    // ofs: added to image coordinates to read sel.
    CSeedFillTCWithMask(int32_t max, const TMTC &tc, TChannel &ch, const sRect &rect, sPos ofs,
                        const CBlockVCH &sel);

    sPos selectOfs;
    const CBlockVCH *selectTC = nullptr; // not owned

  protected:
    // The output byte is not 0, or the selection is 0 there (also outside the selection image).
    bool isFilled(int32_t x, int32_t y) const override;
};
