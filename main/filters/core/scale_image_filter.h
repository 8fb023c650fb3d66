// The area-average resampler of the rotate and scale filters: each destination pixel is the mean
// of a 16.16 source rectangle that may lie partly outside the layer or outside the selection.
// The source is the flow canvas seen through the selection; everything outside the layer, and
// everything outside the selection, reads as the neutral colour of the layer's blend mode
// (opaque when the layer protects its transparency, transparent otherwise).
#pragma once

#include "core/pixel/pixel.h"
#include "core/scale/scale_image.h"
#include "filters/core/filter_core.h"

#include <cstdint>
#include <vector>

enum class eEdgeType : uint8_t
{
    NoOutside,
    UndefOutside,
    RepeatOutside,
    WrapOutside,
};

class CScaleImageFilter : public CScaleImage
{
  public:
    // A copy of param (which should have passed checkFlt4Params); source and destination sizes are the
    // layer's plus one in each direction, so that a footprint may reach one pixel past the right
    // and bottom edges into the neutral colour.
    CScaleImageFilter(const sFlt4Params &param, eEdgeType edgeType, bool useOutMask);

    // The mean over a 16.16 rectangle, every source pixel read through the lookup; the neutral
    // colour for an empty rectangle. The position forms average (pos - 0x8000, pos + 0x8001).
    void GetColorAA(sBGRA &col, const sRect &rect);
    void GetColorAA(sBGRA &col, const sFXPos &pos);
    // The same with the alpha-weighted mean.
    void GetColorAA2(sBGRA &col, const sRect &rect);
    void GetColorAA2(sBGRA &col, const sFXPos &pos);

    // Stored only: every edge type reads the source through the same lookup.
    eEdgeType EdgeType() const { return FEdgeType; }
    void setEdgeType(eEdgeType e) { FEdgeType = e; }
    bool UseOutMask() const { return FUseOutMask; }
    void setUseOutMask(bool b) { FUseOutMask = b; }

    // The colour of undefined source pixels.
    sBGRA undefColour() const { return FUndefCol; }
    // The source lookup: the neutral colour with the flow pixel put over it at its selection
    // weight inside the layer; the neutral colour outside.
    sBGRA lookup(int32_t x, int32_t y) const;

    sFlt4Params Param;
    sBGRA SrcCol{.all = 0}; // the colour of the last lookup

  protected:
    // The walk reads a run to the right of the address it is given: the run is looked up pixel
    // by pixel into a buffer.
    const uint8_t *seekSrc(int32_t x, int32_t y) override;
    // The layer pixel's address (a spare pixel where there is none).
    uint8_t *seekDst(int32_t x, int32_t y) override;

  private:
    void average(sBGRA &col, const sRect &rect, bool alphaWeighted);

    bool m_valid; // Param passed checkFlt4Params: without that everything reads as neutral
    bool FUseOutMask = false;
    eEdgeType FEdgeType = eEdgeType::NoOutside;
    sBGRA FUndefCol{.all = 0};
    fptrPixelPut4core fnPut = nullptr;
    int32_t m_runMax = 1;
    std::vector<sBGRA> m_run;
    sBGRA m_spare{.all = 0};
};
