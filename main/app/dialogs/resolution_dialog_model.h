// The resolution and scaling dialog without widgets: the pixel size, the size in a unit per side
// and the resolution, kept consistent by one change handler, with the proportion lock coupling
// the two sides. A side is stored once, as a Single in its own unit; the fields show it.
#pragma once

#include "app/dialogs/image_size_dialog_model.h"

#include <cstdint>
#include <functional>

class CResolutionModel final : public sizedlg::CSizeFields
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

    // Pixels per inch, 72..600.
    TNumMngr NumResolution;

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

    // The one change handler; changes it raises itself are swallowed by its guard.
    void ParamChange(TSender Sender);

  private:
    struct SSide;
    SSide side(bool vertical);
    void setRanges(const SSide &s, const SSide &other, int32_t dpi);
    void follow(const SSide &from, const SSide &to, int32_t dpi);

    void listUnitChanged(bool vertical) override;

    bool FParamChanging = false;
    bool m_constraint = true;
    bool m_settingUp = false;
    bool m_resolutionChanged = false;
};
