// Rebuilding the shared fall-off and lightness tables of the stroke context for a stroke.
#pragma once

#include "paint/brush/legacy_pen_records.h"
#include "paint/render/stroke_context.h"

class TStroke;

// With a stroke, map becomes its air map. When force is set or map differs from gCurrentAirMap,
// map becomes current and gAirMapTable is rebuilt for it (buildAirMap). A value outside eAirMap
// is refused: nothing changes and the answer is false; otherwise true.
bool setStrokeAirMap(TStroke *stroke, eAirMap map, bool force);
// Entry i := floatToFix((i / 2047) ^ exponent), i = 0..2047: the lightness curve of the darken
// (exponent above 1) and lighten (below 1) brushes.
void makePowerCurveTable(AAirMapTable &table, float exponent);
