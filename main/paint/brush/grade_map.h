// Nib fall-off tables: the curve of SGradeMapParam (curve type, flat core, added floor) turned
// into lookup tables that the dab renderers read per pixel. The distance is always a fraction of
// the nib radius: 0 at the centre, 1 on the rim.
//
// CGradeMapObj (version 4): two tables of 16.16 alpha 0 .. 0xFF0000, one indexed by the distance
// (d × (n − 1)), one by the squared distance (d² × (n − 1)) for renderers that have only d².
// CGradeMapObj5 (version 5): one table of byte alpha indexed by the distance, built from 254
// curve levels.
//
// Both build in Single per step (as the tables always were), so every entry is reproducible.
// Tables are rebuilt only when the parameters change (setParam).
#pragma once

#include "core/containers/dyn_array.h"
#include "core/base/geometry.h"
#include "paint/render/fast_round.h"
#include "paint/brush/pen_records.h"

#include <cstdint>

class TMTC;

class CGradeMapObj
{
  public:
    // Empty tables, default parameters (GMAP_LINEAR, 0, 0), then start(max).
    explicit CGradeMapObj(int32_t max);
    CGradeMapObj(const CGradeMapObj &) = delete;
    CGradeMapObj &operator=(const CGradeMapObj &) = delete;

    // (Re)allocates both tables for max entries; on success mapMaxIdx := max − 1, enable and
    // buildMap. False (and not enabled) when either allocation fails or max < 1.
    bool start(int32_t max);
    // Fills both tables when enabled; answers enable.
    bool buildMap();
    // Stores prm and rebuilds when it differs from mapParam; true when it differed.
    bool setParam(const SGradeMapParam &prm);
    // The table memory (mapMaxIdx + 1 entries), or nullptr when not enabled.
    const int32_t *getMapTable() const;
    const int32_t *getSqMapTable() const;
    // Draws the fall-off profile into the canvas (the whole canvas, or the box clipped to it):
    // one vertical line per column from the bottom row up, high in the middle, low at the sides,
    // put with pixelPutAlpha at opacity 255. An odd width draws only the left half. False when
    // not enabled, when the box misses the canvas, or when the clipped width is 2 or less.
    bool makeImage(TMTC &tc, uint32_t col) const;
    bool makeImage(TMTC &tc, sBox box, uint32_t col) const;

    bool enable = false;
    SDynArray mapAry;   // alpha by distance, 16.16
    SDynArray sqMapAry; // alpha by squared distance, 16.16
    SGradeMapParam mapParam;
    int32_t mapMaxIdx = 0;
};

class CGradeMapObj5
{
  public:
    // Default parameters, the table allocated for max entries (FMaxIndex := max − 1), buildMap.
    // When the table cannot be had FMaxIndex is −1 and getAlpha answers 0.
    explicit CGradeMapObj5(int32_t max);
    CGradeMapObj5(const CGradeMapObj5 &) = delete;
    CGradeMapObj5 &operator=(const CGradeMapObj5 &) = delete;

    // Stores prm and rebuilds when it differs; true when it differed.
    bool setParam(const SGradeMapParam &prm);
    void buildMap();
    // The entry at round(FMaxIndex × ratio), ties to even. Callers pass ratio in 0..1; an index
    // beyond the table (a ratio a rounding step above 1) reads the rim entry.
    int32_t getAlpha(float ratio) const noexcept
    {
        if (FMaxIndex < 0)
            return 0;
        const double at = double(FMaxIndex) * double(ratio); // exact: 10 × 24 bits
        const int32_t idx = !(at >= 0) ? 0 : (at > FMaxIndex ? FMaxIndex : roundEven(at));
        return FMapTable.items<int32_t>()[idx];
    }
    void getAlpha(int32_t &alpha, float ratio) const noexcept { alpha = getAlpha(ratio); }
    // The flat and add rates in percent.
    int32_t getFlatRate() const { return FMapParam.flatRate / 10; }
    int32_t getAddRate() const { return FMapParam.addRate / 10; }
    const SGradeMapParam &param() const { return FMapParam; }
    int32_t maxIndex() const { return FMaxIndex; }
    // The table (FMaxIndex + 1 entries of 0..255), or nullptr.
    const int32_t *table() const { return FMapTable.items<int32_t>(); }

  private:
    SDynArray FMapTable;
    SGradeMapParam FMapParam;
    int32_t FMaxIndex = -1;
};

// The version-4 curve f(x) of a curve type (masked with 127; unknown types are linear), x in
// 0..1, in Single per step.
float gradeCurve4(eGradeMap type, float x);
