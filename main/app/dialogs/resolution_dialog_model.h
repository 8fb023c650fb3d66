// The resolution and scaling dialog without widgets: the pixel size, the size in a unit per side
// and the resolution, kept consistent by one change handler, with the proportion lock coupling
// the two sides. A side is stored once, as a Single in its own unit; the fields show it.
#pragma once

#include "ui/base/units.h"
#include "ui/fields/num_mngr.h"

#include <cstdint>
#include <functional>

class CResolutionModel
{
  public:
    // Who raised a change.
    enum class TSender : uint8_t
    {
        NumPixelW,
        NumPixelH,
        NumWidth,
        NumHeight,
        NumResolution,
        CmbWidth,
        CmbHeight,
        ChkConstraint,
    };

    CResolutionModel();
    CResolutionModel(const CResolutionModel &) = delete;
    CResolutionModel &operator=(const CResolutionModel &) = delete;

    // Starts from width x height pixels at dpi (clamped into 72..600 by its field).
    void setup(int32_t width, int32_t height, int32_t dpi);

    TNumMngr NumPixelW;
    TNumMngr NumPixelH;
    TNumMngr NumWidth;
    TNumMngr NumHeight;
    // Pixels per inch, 72..600.
    TNumMngr NumResolution;

    TUnitType widthListUnit() const { return m_widthList; }
    TUnitType heightListUnit() const { return m_heightList; }
    void setWidthListUnit(TUnitType unit);
    void setHeightListUnit(TUnitType unit);
    // The proportion lock (on at the start). Switching it re-fills the ranges at once.
    bool constraint() const { return m_constraint; }
    void setConstraint(bool on);

    // The new size in whole pixels at the field's resolution, as OK takes it.
    int32_t newWidth() const;
    int32_t newHeight() const;
    // The resolution OK answers: the field's, rounded, once the user has changed it; until then
    // the one given (a value the field had to clamp is no change the user made).
    int32_t newResolution(int32_t given) const;
    bool resolutionChanged() const { return m_resolutionChanged; }

    int32_t initWidth() const { return FInitW; }
    int32_t initHeight() const { return FInitH; }
    float width() const { return FWidth; }
    TUnitType widthUnit() const { return FWidthUnit; }
    float height() const { return FHeight; }
    TUnitType heightUnit() const { return FHeightUnit; }

    // The one change handler; changes it raises itself are swallowed by its guard.
    void ParamChange(TSender Sender);

  private:
    struct SSide;
    SSide side(bool vertical);
    void setRanges(const SSide &s, const SSide &other, int32_t dpi);
    void follow(const SSide &from, const SSide &to, int32_t dpi);

    bool FParamChanging = false;
    int32_t FInitW = 8, FInitH = 8;
    float FWidth = 8, FHeight = 8;
    TUnitType FWidthUnit = utpixel, FHeightUnit = utpixel;
    TUnitType m_widthList = utpercent, m_heightList = utpercent;
    bool m_constraint = true;
    bool m_settingUp = false;
    bool m_resolutionChanged = false;
};
