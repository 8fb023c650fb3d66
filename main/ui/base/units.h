// Units of measure of the dialogs that show lengths (printing, image size, resolution, new
// document): the unit list with its short names, one conversion between any two length units at
// a resolution, and the size and resolution limits of a new image.
#pragma once

#include <array>
#include <cstdint>

// Stored values: the dialogs keep the unit of a field by its number.
enum TUnitType : uint8_t
{
    utpixel = 0,
    utinch = 1,
    utcm = 2,
    utmm = 3,
    utpercent = 4,
};
inline constexpr int kUnitTypeCount = 5;

// "px", "in", "cm", "mm", "%", indexed by TUnitType.
inline constexpr std::array<const char *, kUnitTypeCount> kUnitShortNames = {"px", "in", "cm",
                                                                             "mm", "%"};

// The limits of an image side in pixels.
inline constexpr int32_t kMinImageSide = 8;
inline constexpr int32_t kMaxImageSide = 10000;
// The resolutions a new image may take, in dots per inch.
inline constexpr float kMinResolution = 72;
inline constexpr float kMaxResolution = 600;

// Whether convertUnitValue converts between the two units at dpi: percent is relative to a size
// only the caller knows, and a conversion to or from pixels needs a positive resolution.
bool canConvertUnit(TUnitType from, TUnitType to, float dpi);

// A length in from converted to to at dpi (pixels per inch, used only with pixels), computed in
// extended precision with the factors applied in order (multiplications before the division)
// and rounded once to Single. What canConvertUnit refuses answers value unchanged.
float convertUnitValue(TUnitType from, TUnitType to, float value, float dpi);

// The limits of an image side (8 and 10000 pixels) in unit at dpi.
void pixelRangeInUnit(float &min, float &max, TUnitType unit, float dpi);

// The resolutions that keep a side of size inches within the side limits: min the larger of
// 8 / size and 72, max the smaller of 10000 / size and 600. A size of 0 or less gives 72..600.
void resolutionRange(float &min, float &max, float size);
