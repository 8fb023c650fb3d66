#include "filters/dialogs/dialog_values.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int32_t saturate(double v)
{
    if (std::isnan(v))
        return 0;
    constexpr double lo = std::numeric_limits<int32_t>::min();
    constexpr double hi = std::numeric_limits<int32_t>::max();
    return int32_t(std::clamp(v, lo, hi));
}

uint8_t byteOf(int32_t v)
{
    return uint8_t(std::clamp(v, 0, 255));
}

sFltObj2 cleared2()
{
    sFltObj2 r;
    initFltObj2(r);
    return r;
}

sFltObj4 cleared4()
{
    sFltObj4 r;
    initFltObj4(r);
    return r;
}

} // namespace

int32_t roundHalfAway(double v)
{
    return saturate(std::round(v));
}

int32_t truncHalfUp(double v)
{
    return saturate(std::trunc(v + 0.5));
}

SFilterDialogMemos &filterDialogMemos()
{
    static SFilterDialogMemos memos;
    return memos;
}

void resetFilterDialogMemos()
{
    filterDialogMemos() = SFilterDialogMemos{};
}

// ---- records from values

sFltObj4 brightnessContrastRecord(float brightness, float contrast, bool linear)
{
    sFltObj4 r = cleared4();
    r.data0.all = roundHalfAway(brightness);
    r.data1.all = roundHalfAway(contrast);
    r.data2.b0 = linear ? 1 : 0;
    return r;
}

sFltObj4 colorBalanceRecord(float red, float green, float blue)
{
    sFltObj4 r = cleared4();
    r.data0._float = red;
    r.data1._float = green;
    r.data2._float = blue;
    return r;
}

sFltObj4 hueSaturationRecord(float hue, float saturation, float lightness, bool monotone,
                             bool linear)
{
    sFltObj4 r = cleared4();
    r.data0.all = roundHalfAway(hue);
    r.data1.all = roundHalfAway(saturation);
    r.data2.all = roundHalfAway(lightness);
    r.data3.b0 = monotone ? 1 : 0;
    r.data3.b1 = linear ? 1 : 0;
    return r;
}

sFltObj2 posterizeRecord(float levels)
{
    sFltObj2 r = cleared2();
    r.data0.all = roundHalfAway(levels);
    return r;
}

sFltObj2 thresholdRecord(float threshold)
{
    sFltObj2 r = cleared2();
    r.data0.b0 = byteOf(roundHalfAway(threshold));
    // The pixel function's luminance mode.
    r.data0.b1 = 1;
    return r;
}

namespace {
uint8_t *levelsBytes(sFltObj6 &rec)
{
    return reinterpret_cast<uint8_t *>(&rec);
}
} // namespace

void writeLevelsColumn(sFltObj6 &rec, int c, float inMin, float inMid, float inMax, float outMin,
                       float outMax, bool linear)
{
    uint8_t *b = levelsBytes(rec);
    b[0 + c] = byteOf(roundHalfAway(inMin));
    b[4 + c] = byteOf(roundHalfAway(double(inMid) * 100));
    b[8 + c] = byteOf(roundHalfAway(inMax));
    b[12 + c] = byteOf(roundHalfAway(outMin));
    b[16 + c] = byteOf(roundHalfAway(outMax));
    b[20] = linear ? 1 : 0;
}

sFltObj6 levelsRecord(const TLevelsColumns &columns, bool linear)
{
    sFltObj6 r;
    initFltObj6(r);
    uint8_t *b = levelsBytes(r);
    for (int c = 0; c < 4; ++c)
        for (int k = 0; k < 5; ++k)
            b[4 * k + c] = byteOf(columns[size_t(c)][size_t(k)]);
    b[20] = linear ? 1 : 0;
    return r;
}

int32_t levelsCell(const sFltObj6 &rec, int c, int k)
{
    return reinterpret_cast<const uint8_t *>(&rec)[4 * k + c];
}

SFltCustom customKernel(const std::array<float, 25> &entries, float scale, float offset)
{
    SFltCustom k;
    initFltCustom(k);
    for (size_t i = 0; i < 25; ++i)
        k.matrix[i] = roundHalfAway(entries[i]);
    k.scale = roundHalfAway(scale);
    k.offset = roundHalfAway(offset);
    return k;
}

sFltObj2 sharpenCustomRecord(float amount)
{
    sFltObj2 r = cleared2();
    r.data0._float = amount;
    return r;
}

sFltObj2 gaussianBlurRecord(float amount)
{
    sFltObj2 r = cleared2();
    r.data0._float = amount;
    return r;
}

sFltObj2 motionBlurRecord(float angle, float distance)
{
    sFltObj2 r = cleared2();
    r.data0.b0 = byteOf(roundHalfAway(distance));
    r.data0.b1 = 2;
    r.data0.s1 = int16_t(std::clamp(roundHalfAway(angle), -32768, 32767));
    return r;
}

sFltObj2 medianRecord(float radius, bool protect)
{
    sFltObj2 r = cleared2();
    r.data0.b0 = byteOf(truncHalfUp(radius));
    r.data0.b1 = protect ? 1 : 0;
    return r;
}

sFltObj2 mosaicRecord(float size, bool protect)
{
    sFltObj2 r = cleared2();
    r.data0.all = truncHalfUp(size);
    r.data1.all = protect ? 1 : 0;
    return r;
}

sFltObj4 noiseRecord(float amount, bool grey, uint32_t seed)
{
    sFltObj4 r = cleared4();
    r.data0.all = roundHalfAway(amount);
    r.data1.all = grey ? 1 : 0;
    r.data2.all = int32_t(seed);
    return r;
}

sFltObj4 diffuseRecord(float range, int32_t mode, bool radial, uint32_t seed, bool protect)
{
    sFltObj4 r = cleared4();
    r.data0.all = roundHalfAway(range);
    r.data1.all = mode;
    r.data2.all = int32_t(seed);
    r.data3.b0 = radial ? 1 : 0;
    r.data3.b2 = protect ? 1 : 0;
    return r;
}

sFltObj4 embossRecord(float angle, float height, float amount)
{
    sFltObj4 r = cleared4();
    // The relief is lit from the other side of the angle shown.
    r.data0.all = roundHalfAway(-double(angle));
    r.data1._float = height;
    r.data2.all = roundHalfAway(amount);
    return r;
}

sFltObj4 colorHalftoneRecord(float diameter, float red, float green, float blue)
{
    sFltObj4 r = cleared4();
    r.data0.all = roundHalfAway(diameter);
    r.data1.all = roundHalfAway(red);
    r.data2.all = roundHalfAway(green);
    r.data3.all = roundHalfAway(blue);
    return r;
}

// ---- the repeat

sFltObj4 lastBrightnessContrast(const SBrightnessContrastMemo &m)
{
    return brightnessContrastRecord(float(m.brightness), float(m.contrast), m.linear);
}

sFltObj4 lastColorBalance(const SColorBalanceMemo &m)
{
    return colorBalanceRecord(m.red, m.green, m.blue);
}

sFltObj4 lastHueSaturation(const SHueSaturationMemo &m)
{
    return hueSaturationRecord(float(m.hue), float(m.saturation), float(m.lightness), m.monotone,
                               m.linear);
}

sFltObj2 lastPosterize(const SPosterizeMemo &m)
{
    return posterizeRecord(float(m.levels));
}

sFltObj2 lastThreshold(const SThresholdMemo &m)
{
    return thresholdRecord(float(m.threshold));
}

sFltObj6 lastLevels(const SLevelsMemo &m)
{
    return levelsRecord(m.columns, m.linear);
}

SFltCustom lastCustom(const SCustomMemo &m)
{
    SFltCustom k;
    initFltCustom(k);
    k.matrix = m.kernel;
    k.scale = m.scale;
    k.offset = m.offset;
    return k;
}

sFltObj2 lastSharpenCustom(const SSharpenCustomMemo &m)
{
    return sharpenCustomRecord(m.amount);
}

sFltObj2 lastGaussianBlur(const SGaussianBlurMemo &m)
{
    return gaussianBlurRecord(m.amount);
}

sFltObj2 lastMotionBlur(const SMotionBlurMemo &m)
{
    return motionBlurRecord(float(m.angle), float(m.distance));
}

sFltObj2 lastMedian(const SMedianMemo &m, bool protect)
{
    return medianRecord(float(m.radius), protect);
}

sFltObj2 lastMosaic(const SMosaicMemo &m, bool protect)
{
    return mosaicRecord(float(m.size), protect);
}

sFltObj4 lastNoise(const SNoiseMemo &m, uint32_t seed)
{
    return noiseRecord(float(m.amount), m.grey, seed);
}

sFltObj4 lastDiffuse(const SDiffuseMemo &m, uint32_t seed, bool protect)
{
    return diffuseRecord(float(m.range), m.mode, m.radial, seed, protect);
}

sFltObj4 lastEmboss(const SEmbossMemo &m)
{
    return embossRecord(float(m.angle), m.height, float(m.amount));
}

sFltObj4 lastColorHalftone(const SColorHalftoneMemo &m)
{
    return colorHalftoneRecord(float(m.diameter), float(m.angles[0]), float(m.angles[1]),
                               float(m.angles[2]));
}

// ---- automatic adjustments

SLevelsAutoRange levelsAutoRange(int32_t lo, int32_t hi)
{
    // div truncates toward zero, as C++ division does.
    return {std::max(0, std::min(lo, (lo + hi - 1) / 2)), std::min(255, std::max(lo + 1, hi))};
}

int32_t thresholdAutoValue(int32_t lo, int32_t hi)
{
    return (lo + hi - 1) / 2 + 1;
}
