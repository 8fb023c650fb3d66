#include "filters/dialogs/effect_dialog_values.h"

#include "filters/dialogs/dialog_values.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
int16_t smallInt(double v)
{
    const int32_t i = roundHalfAway(v);
    return int16_t(std::clamp<int32_t>(i, std::numeric_limits<int16_t>::min(),
                                       std::numeric_limits<int16_t>::max()));
}

uint16_t word(double v)
{
    return uint16_t(std::clamp<int32_t>(roundHalfAway(v), 0, 0xFFFF));
}

uint8_t byteOf(double v)
{
    return uint8_t(std::clamp<int32_t>(roundHalfAway(v), 0, 255));
}

void putColour(LDATA &cell, TColor32 c)
{
    cell.b0 = c.b;
    cell.b1 = c.g;
    cell.b2 = c.r;
}

constexpr double kDegreesToRadians = 3.14159265358979323846 / 180.0;
} // namespace

SEffectDialogMemos &effectDialogMemos()
{
    static SEffectDialogMemos memos;
    return memos;
}

void resetEffectDialogMemos()
{
    effectDialogMemos() = SEffectDialogMemos{};
}

uint8_t percentToByte(float percent)
{
    return byteOf(double(percent) * 255.0 / 100.0);
}

float byteToPercent(uint8_t b)
{
    return float(b) * 100.0f / 255.0f;
}

sFltObj2 radialBlurRecord(float offsetX, float offsetY, float amount, bool protect)
{
    sFltObj2 r{};
    r.data0.s0 = smallInt(offsetX);
    r.data0.s1 = smallInt(offsetY);
    r.data1.b0 = byteOf(amount);
    r.data1.b1 = protect ? 1 : 0;
    r.data1.b2 = 1;
    return r;
}

sFltObj2 rotateRecord(float angle, bool protect)
{
    sFltObj2 r{};
    r.data0._float = -angle;
    r.data1.b0 = protect ? 1 : 0;
    r.data1.b1 = 1;
    return r;
}

sFltObj4 scaleRecord(float width, float height, bool flipH, bool flipV, bool protect)
{
    sFltObj4 r{};
    const int32_t w = roundHalfAway(width), h = roundHalfAway(height);
    r.data0.all = flipH ? -w : w;
    r.data1.all = flipV ? -h : h;
    r.data2.b0 = protect ? 1 : 0;
    r.data2.b1 = 1;
    return r;
}

sFltObj2 polarRecord(int32_t mode, bool protect)
{
    sFltObj2 r{};
    r.data0.b0 = uint8_t(mode);
    r.data0.b1 = protect ? 1 : 0;
    return r;
}

sFltObj2 waveRecord(float hCount, float vCount, float hStrength, float vStrength, float phase)
{
    sFltObj2 r{};
    r.data0.b0 = byteOf(hCount);
    r.data0.b1 = byteOf(vCount);
    r.data0.b2 = byteOf(hStrength);
    r.data0.b3 = byteOf(vStrength);
    r.data1._float = float(double(phase) * kDegreesToRadians);
    return r;
}

sFltObj2 twirlRecord(float angle)
{
    sFltObj2 r{};
    r.data0.s0 = smallInt(angle);
    r.data0.b2 = 1;
    return r;
}

sFltObj4 tilesRecord(bool square, bool useColor3, float width, const std::array<TColor32, 3> &c,
                     const std::array<float, 3> &opacity)
{
    sFltObj4 r{};
    r.data0.b0 = square ? 1 : 0;
    r.data0.b1 = useColor3 ? 1 : 0;
    r.data0.w1 = word(width);
    LDATA *cells[3] = {&r.data1, &r.data2, &r.data3};
    for (size_t i = 0; i < 3; ++i) {
        putColour(*cells[i], c[i]);
        cells[i]->b3 = percentToByte(opacity[i]);
    }
    return r;
}

sFltObj6 cloudsRecord(const SCloudsValues &v)
{
    sFltObj6 r{};
    r.data0.all = int32_t(v.colour2.bgra);
    r.data1.all = int32_t(v.colour1.bgra);
    r.data2.all = int32_t(v.seed);
    if (v.wrap) {
        r.data3.w0 = word(v.width);
        r.data3.w1 = word(v.height);
    } else {
        r.data3.w0 = uint16_t(std::clamp(v.layerWidth, 0, 0xFFFF));
        r.data3.w1 = uint16_t(std::clamp(v.layerHeight, 0, 0xFFFF));
    }
    r.data4.w0 = word(v.contrast);
    r.data4.w1 = v.rocks ? word(v.softness) : 0;
    return r;
}

sFltObj4 plasmaRecord(uint32_t seed, bool mono, float contrast, int32_t blend, float opacity)
{
    sFltObj4 r{};
    r.data0.all = int32_t(seed);
    r.data1.b0 = mono ? 1 : 0;
    r.data1.s1 = smallInt(double(contrast) * 256.0 / 100.0);
    r.data2.b0 = uint8_t(std::clamp(blend, 0, 255));
    r.data2.b1 = percentToByte(opacity);
    return r;
}

bool lastRadialBlur(SRadialBlurMemo &m, int32_t w, int32_t h, bool protect, sFltObj2 &rec)
{
    if (m.width <= 0 || m.height <= 0)
        return false;
    const double x = double(w) * m.offsetX / m.width;
    const double y = double(h) * m.offsetY / m.height;
    rec = radialBlurRecord(float(x), float(y), float(m.amount), protect);
    // The doubles round exactly (a float could move a half-pixel across .5).
    rec.data0.s0 = smallInt(x);
    rec.data0.s1 = smallInt(y);
    m.width = w;
    m.height = h;
    return true;
}

sFltObj2 lastRotate(const SRotateMemo &m, bool protect)
{
    sFltObj2 r{};
    r.data0._float = m.angle;
    r.data1.b0 = protect ? 1 : 0;
    r.data1.b1 = 1;
    r.data1.b2 = m.flag ? 1 : 0;
    r.data1.b3 = m.byte;
    return r;
}

sFltObj4 lastScale(const SScaleMemo &m, int32_t w, int32_t h, bool protect)
{
    sFltObj4 r{};
    r.data0.all = roundHalfAway(double(w) * m.widthPercent / 100.0);
    r.data1.all = roundHalfAway(double(h) * m.heightPercent / 100.0);
    r.data2.b0 = protect ? 1 : 0;
    r.data2.b1 = 1;
    return r;
}

sFltObj2 lastPolar(const SPolarMemo &m, bool protect)
{
    return polarRecord(m.mode, protect);
}

sFltObj2 lastWave(const SWaveMemo &m)
{
    sFltObj2 r{};
    r.data0.b0 = m.hCount;
    r.data0.b1 = m.vCount;
    r.data0.b2 = m.hStrength;
    r.data0.b3 = m.vStrength;
    r.data1._float = m.phase;
    return r;
}

sFltObj2 lastTwirl(const STwirlMemo &m)
{
    return twirlRecord(float(m.angle));
}

sFltObj4 lastTiles(const STilesMemo &m)
{
    sFltObj4 r{};
    r.data0.b0 = m.square ? 1 : 0;
    r.data0.b1 = m.useColor3 ? 1 : 0;
    r.data0.w1 = word(m.width);
    LDATA *cells[3] = {&r.data1, &r.data2, &r.data3};
    for (size_t i = 0; i < 3; ++i) {
        putColour(*cells[i], m.colours[i]);
        cells[i]->b3 = m.opacities[i];
    }
    return r;
}

sFltObj6 lastClouds(const SCloudsMemo &m, uint32_t seed, int32_t layerWidth, int32_t layerHeight)
{
    SCloudsValues v;
    v.colour2 = m.colour2;
    v.colour1 = m.colour1;
    v.seed = seed;
    v.wrap = m.wrap;
    v.width = float(m.width);
    v.height = float(m.height);
    v.layerWidth = layerWidth;
    v.layerHeight = layerHeight;
    v.rocks = m.rocks;
    v.contrast = float(m.contrast[m.rocks ? 1 : 0]);
    v.softness = float(m.softness);
    return cloudsRecord(v);
}

sFltObj4 lastPlasma(const SPlasmaMemo &m, uint32_t seed)
{
    return plasmaRecord(seed, m.mono, float(m.contrast), m.blend, float(m.opacity));
}
