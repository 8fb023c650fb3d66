// The second generation's lighting renderer: up to 16 lights of three kinds over the whole layer,
// in Doubles. Recorded lighting events of that generation replay through it, so its one odd rule
// stays: the first light in the list that does not reach a pixel ends the pass over the lights
// there, hiding every later light.
#pragma once

#include "core/base/geometry.h"
#include "document/events/filter_records.h"
#include "filters/algorithms/vector_maths.h"

#include <cstdint>
#include <memory>
#include <vector>

class CBlockVMTC;
class CMaskData;

class TLight
{
  public:
    // From a light record over an area of w x h: the colour compressed into 128..255.5 and
    // scaled by power, wide read as a percentage (m_wide the cosine of the half cone), the reach
    // and height relative to the larger side.
    void setParam(const SFltLight &param, int32_t w, int32_t h);

    eFltLightKind m_kind = flkPoint;
    TVector3 m_pos; // the light, in pixels
    TVector3 m_dir; // the unit axis (zero for a light at height 0)
    double m_r = 0, m_g = 0, m_b = 0;
    double m_range = 0, m_wide = 0;
    double m_x = 0, m_y = 0, m_z = 0;

  private:
    void setDirection(const SFltLight &param);
};

class TLighting
{
  public:
    static constexpr int32_t kMaxLights = 16;

    void ClearLight();
    // A 17th light is ignored.
    void AddLight(const SFltLight &param, int32_t w, int32_t h);
    // The ambient terms: bright x channel / 100 - 255, in floating point.
    void SetAmb(sBGRA color, int32_t bright);
    // Every pixel of src lit into dest (which must be at least src's size), weighted by the mask
    // at (x + ofspos.x, y + ofspos.y) when it has content, put with pixelPutAlpha. prt and rect
    // are not read. False without src or dest.
    bool Rendering(const CBlockVMTC *src, CBlockVMTC *dest, const CMaskData *mask, sPos ofspos,
                   bool prt, const sRect &rect) const;
    // The lit colour of one source pixel at (x, y) (alpha 255).
    uint32_t lightPixel(uint32_t src, int32_t x, int32_t y) const;

    int32_t m_lightnum = 0;
    std::vector<std::unique_ptr<TLight>> m_LightList;
    double m_ambR = 0, m_ambG = 0, m_ambB = 0;
};
