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

std::array<uint8_t, 256> gByteToPercent{};
std::array<uint8_t, 101> gPercentToByte{};

void buildPercentTables()
{
    gPercentToByte.fill(0);
    for (int i = 0; i < 256; ++i) {
        const int pc = i * 100 / 255;
        gByteToPercent[size_t(i)] = uint8_t(pc);
        // Rising bytes leave each percentage its largest byte.
        gPercentToByte[size_t(pc)] = uint8_t(i);
    }
}

void hermiteCoefficients(float &a, float &b, float &c, float &d, float p0, float t0, float p1,
                         float t1)
{
    a = 2 * p0 - 2 * p1 + t0 + t1;
    b = -3 * p0 + 3 * p1 - 2 * t0 - t1;
    c = t0;
    d = p0;
}

float evalCubic(float t, float a, float b, float c, float d)
{
    return ((a * t + b) * t + c) * t + d;
}
