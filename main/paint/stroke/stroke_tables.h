// Rebuilding the shared fall-off and lightness tables of the stroke context for a stroke.
#pragma once

#include "paint/brush/legacy_pen_records.h"
#include "paint/render/stroke_context.h"

#include <array>
#include <cstdint>

class TStroke;

// With a stroke, map becomes its air map. When force is set or map differs from gCurrentAirMap,
// map becomes current and gAirMapTable is rebuilt for it (buildAirMap). A value outside eAirMap
// is refused: nothing changes and the answer is false; otherwise true.
bool setStrokeAirMap(TStroke *stroke, eAirMap map, bool force);
// Entry i := floatToFix((i / 2047) ^ exponent), i = 0..2047: the lightness curve of the darken
// (exponent above 1) and lighten (below 1) brushes.
void makePowerCurveTable(AAirMapTable &table, float exponent);

// Byte to percent (i × 100 div 255, 256 entries) and percent to byte (for each percentage the
// largest byte with that percentage; entry 100 is 255). Built by buildPercentTables at start-up.
extern std::array<uint8_t, 256> gByteToPercent;
extern std::array<uint8_t, 101> gPercentToByte;
void buildPercentTables();

// The cubic Hermite segment from p0 (tangent t0) to p1 (tangent t1) as a t³ + b t² + c t + d:
// a := 2 p0 - 2 p1 + t0 + t1, b := -3 p0 + 3 p1 - 2 t0 - t1, c := t0, d := p0.
void hermiteCoefficients(float &a, float &b, float &c, float &d, float p0, float t0, float p1,
                         float t1);
// ((a t + b) t + c) t + d.
float evalCubic(float t, float a, float b, float c, float d);
