#include "ui/graphics/colour32.h"

#include <cmath>

TColor32 colorToColor32(uint32_t C, uint8_t A)
{
    return makeColor32(uint8_t(C >> 16), uint8_t(C >> 8), uint8_t(C), A);
}

uint32_t color32ToColor(TColor32 C)
{
    return uint32_t(C.r) | uint32_t(C.g) << 8 | uint32_t(C.b) << 16;
}

int32_t mulDiv255(uint32_t a, uint32_t b)
{
    return int32_t(mul255(a, b));
}

uint8_t blendKeep(uint8_t BG, uint8_t, float)
{
    return BG;
}

uint8_t blendCopy(uint8_t, uint8_t FG, float)
{
    return FG;
}

uint8_t blendNormal(uint8_t BG, uint8_t FG, float A)
{
    // The product in double is exact for a 9-bit difference and a Single weight.
    double d = double(int32_t(FG) - int32_t(BG)) * double(A);
    if (!(std::fabs(d) < 65536.0)) // a weight far outside 0..1, or not a number
        d = 0;
    return uint8_t((int32_t(BG) + int32_t(std::trunc(d))) & 255);
}

uint8_t blendMultiply(uint8_t BG, uint8_t FG, float A)
{
    return blendNormal(BG, uint8_t(mulDiv255(BG, FG)), A);
}

TColor32 lerpColor32(TColor32 C0, TColor32 C1, float T)
{
    return makeColor32(blendNormal(C0.b, C1.b, T), blendNormal(C0.g, C1.g, T),
                       blendNormal(C0.r, C1.r, T), blendNormal(C0.a, C1.a, T));
}

float byteWeight(uint32_t a)
{
    constexpr float kInv255 = 1.0f / 255.0f;
    return float(double(a) * double(kInv255));
}
