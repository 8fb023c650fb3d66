#include "paint/render/stroke_context.h"

#include <cmath>
#include <cstdlib>

fptrStrokePutCh gChannelPutAt = channelPutPlain;
fptrStrokePutTC gCanvasPutAt = pixelPutPlain;
fptrChannelValuePut gChannelValuePut = channelPutMax;
fptrPixelPut4core gStrokeColorPut = pixelPutAlpha;

TDrawWindow *gCurrentDrawWindow = nullptr;
CMaskData *gCurrentMask = nullptr;
sPos gMaskOffset{};
CToneMngr *gCurrentToneMngr = nullptr;
bool gStrokeProcsLocked = false;

AAirMapTable gAirMapTable{};
eAirMap gCurrentAirMap = eAirMap::ABMAP_LINEAR;
AAirMapTable gPowerCurveTable{};

namespace {

constexpr int32_t kFull = 0xFF0000; // 255.0 in 16.16
constexpr int kLast = kAirMapTableSize - 1;

// The platform's MulDiv: 64-bit product, divided rounding half away from zero.
int32_t mulDivRounded(int32_t a, int32_t b, int32_t c)
{
    const int64_t p = int64_t(a) * b;
    const int64_t q = (std::llabs(p) + std::llabs(c) / 2) / std::llabs(c);
    return int32_t((p < 0) != (c < 0) ? -q : q);
}

// trunc(f × 0xFF0000) of a Single curve value.
int32_t scaleCurve(float f)
{
    return int32_t(std::trunc(double(f) * kFull));
}

} // namespace

void buildAirMap(eAirMap map, AAirMapTable &table)
{
    for (int i = 0; i < kAirMapTableSize; ++i) {
        const float x = float(i) / float(kLast);
        switch (map) {
        case eAirMap::ABMAP_FLAT90:
            table[i] = i < 1844 ? kFull : kFull - mulDivRounded(kFull, i - 1844, 203);
            break;
        case eAirMap::ABMAP_CIRCLE:
            table[i] = scaleCurve(std::sqrt(1.0f - x * x));
            break;
        case eAirMap::ABMAP_ROUNDTOP:
            table[i] = scaleCurve(2.0f * x * x * x - 3.0f * x * x + 1.0f);
            break;
        case eAirMap::ABMAP_LINEAR:
            table[i] = mulDivRounded(kFull, kLast - i, kLast);
            break;
        case eAirMap::ABMAP_PINTOP: {
            const float y = 1.0f - x;
            table[i] = scaleCurve(1.0f - std::sqrt(1.0f - y * y));
            break;
        }
        default:
            return;
        }
    }
}

void initStrokePixelProcs()
{
    gChannelPutAt = channelPutPlain;
    gCanvasPutAt = pixelPutPlain;
    gChannelValuePut = channelPutMax;
    gStrokeColorPut = pixelPutAlpha;
    gCurrentDrawWindow = nullptr;
    gCurrentMask = nullptr;
    gMaskOffset = {};
    gCurrentToneMngr = nullptr;
    gStrokeProcsLocked = false;
    gCurrentAirMap = eAirMap::ABMAP_LINEAR;
    buildAirMap(gCurrentAirMap, gAirMapTable);
    gPowerCurveTable.fill(0);
}

void pixelPutPlain(sBGRA *pixel, int32_t, int32_t, uint32_t alpha, uint32_t colour) noexcept
{
    gStrokeColorPut(pixel, colour, alpha);
}

void channelPutPlain(uint8_t *pixel, int32_t, int32_t, uint32_t alpha, uint32_t value) noexcept
{
    gChannelValuePut(pixel, value, alpha);
}

void channelPutMax(uint8_t *pixel, uint32_t value, uint32_t opacity) noexcept
{
    const uint32_t v = mul255(value & 0xFF, opacity > 255 ? 255 : opacity);
    if (*pixel < v)
        *pixel = uint8_t(v);
}

void pixelEraseAlpha(sBGRA *dst, uint32_t, uint32_t opacity) noexcept
{
    if (opacity == 0)
        return;
    dst->A = uint8_t(dst->A - mul255(dst->A, opacity > 255 ? 255 : opacity));
}
