#include "ui/base/units.h"

#include <algorithm>

namespace {

bool isLength(TUnitType u)
{
    return u <= utmm;
}

// The length units per inch: inch 1, cm 2.54, mm 25.4.
long double perInch(TUnitType u)
{
    switch (u) {
    case utcm:
        return 2.54L;
    case utmm:
        return 25.4L;
    default:
        return 1.0L;
    }
}

} // namespace

bool canConvertUnit(TUnitType from, TUnitType to, float dpi)
{
    if (!isLength(from) || !isLength(to))
        return false;
    if ((from == utpixel) != (to == utpixel))
        return dpi > 0;
    return true;
}

float convertUnitValue(TUnitType from, TUnitType to, float value, float dpi)
{
    if (from == to || !canConvertUnit(from, to, dpi))
        return value;
    const long double v = value;
    const long double d = dpi;
    if (from == utpixel) {
        // px -> in: v / dpi; -> cm: v * 2.54 / dpi; -> mm: v * 25.4 / dpi.
        return float(v * perInch(to) / d);
    }
    if (to == utpixel) {
        // in -> px: v * dpi; cm -> px: v * dpi / 2.54; mm -> px: v * dpi / 25.4.
        return float(v * d / perInch(from));
    }
    // Between lengths: the written factor of each cell (cm -> mm is v * 10, mm -> cm v / 10).
    if (from == utinch)
        return float(v * perInch(to));
    if (to == utinch)
        return float(v / perInch(from));
    return from == utcm ? float(v * 10.0L) : float(v / 10.0L);
}

void pixelRangeInUnit(float &min, float &max, TUnitType unit, float dpi)
{
    min = convertUnitValue(utpixel, unit, float(kMinImageSide), dpi);
    max = convertUnitValue(utpixel, unit, float(kMaxImageSide), dpi);
}

void resolutionRange(float &min, float &max, float size)
{
    if (!(size > 0)) {
        min = kMinResolution;
        max = kMaxResolution;
        return;
    }
    const long double s = size;
    min = float(std::max<long double>(kMinImageSide / s, kMinResolution));
    max = float(std::min<long double>(kMaxImageSide / s, kMaxResolution));
}
