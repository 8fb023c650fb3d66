#include "paint/stroke/stroke_tables.h"

#include "core/base/numeric.h"
#include "paint/stroke/stroke.h"

#include <cmath>

bool setStrokeAirMap(TStroke *stroke, eAirMap map, bool force)
{
    if (map >= eAirMap::ABMAP_MAX_NUM) {
        return false;
    }
    if (stroke) {
        stroke->m_abMap = map;
    }
    if (force || map != gCurrentAirMap) {
        gCurrentAirMap = map;
        buildAirMap(map, gAirMapTable);
    }
    return true;
}

void makePowerCurveTable(AAirMapTable &table, float exponent)
{
    for (int i = 0; i < kAirMapTableSize; ++i) {
        const long double x = (long double)(i) / (kAirMapTableSize - 1);
        table[size_t(i)] = floatToFix(float(std::pow(x, (long double)(exponent))));
    }
}
