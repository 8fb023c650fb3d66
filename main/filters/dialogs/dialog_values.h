// What the filter dialogs remember and how their values become parameter records, with no
// widget in sight: the remembered values of each dialog module (the values of its last OK, in the
// dialog's own units, and its Preview tick), their defaults, and the conversions that both the
// dialogs (reading their controls) and the repeat (reading the remembered values) use.
//
// The remembered values live for the whole run and are never written anywhere: every start
// begins with the defaults (resetFilterDialogMemos).
//
// Conversions: integer cells take the value rounded half away from zero (2.5 gives 3, -2.5 gives
// -3); the median and mosaic sizes add 0.5 and truncate; Single cells take the value unchanged.
#pragma once

#include "document/events/filter_records.h"

#include <array>
#include <cstdint>

// Rounds half away from zero (a value outside the 32-bit range saturates; NaN gives 0).
int32_t roundHalfAway(double v);
// Trunc(v + 0.5), saturating like roundHalfAway.
int32_t truncHalfUp(double v);

struct SBrightnessContrastMemo
{
    int32_t brightness = 0;
    int32_t contrast = 0;
    bool linear = false;
    bool preview = true;
};

struct SColorBalanceMemo
{
    float red = 1, green = 1, blue = 1;
    bool sync = false;
    bool preview = true;
};

struct SHueSaturationMemo
{
    int32_t hue = 0, saturation = 0, lightness = 0;
    bool monotone = false;
    bool linear = false;
    bool preview = true;
};

struct SPosterizeMemo
{
    int32_t levels = 4;
    bool preview = true;
};

struct SThresholdMemo
{
    int32_t threshold = 128;
    bool preview = true;
};

struct SGradientMapMemo
{
    bool reverse = false;
    bool preview = true;
};

// Five values per column: input minimum, midtone x 100, input maximum, output minimum, output
// maximum; columns RGB, red, green, blue.
using TLevelsColumns = std::array<std::array<int32_t, 5>, 4>;
inline constexpr std::array<int32_t, 5> kLevelsColumnDefaults{0, 100, 255, 0, 255};

struct SLevelsMemo
{
    TLevelsColumns columns{kLevelsColumnDefaults, kLevelsColumnDefaults, kLevelsColumnDefaults,
                           kLevelsColumnDefaults};
    bool linear = true;
    bool preview = true;
};

inline constexpr AMatrix kCustomDefaultKernel{0, 0, 0, 0, 0, 0, -2, -3, 0, 0, 0, -3, 4,
                                              3, 0, 0, 0, 3, 2, 0,  0,  0, 0, 0, 0};

struct SCustomMemo
{
    AMatrix kernel = kCustomDefaultKernel;
    int32_t scale = 4;
    int32_t offset = 0;
    bool preview = true;
};

struct SSharpenCustomMemo
{
    float amount = 0.3f;
    bool preview = true;
};

struct SGaussianBlurMemo
{
    float amount = 1.0f;
    bool preview = true;
};

struct SMotionBlurMemo
{
    int32_t angle = 0;
    int32_t distance = 1;
    bool preview = false;
};

struct SMedianMemo
{
    int32_t radius = 8;
    bool preview = true;
};

struct SMosaicMemo
{
    int32_t size = 16;
    bool preview = true;
};

struct SNoiseMemo
{
    int32_t amount = 1;
    bool grey = false;
    bool preview = true;
};

struct SDiffuseMemo
{
    int32_t range = 1;
    int32_t mode = 0; // 0 normal, 1 darken, 2 lighten
    bool radial = false;
    bool preview = true;
};

struct SEmbossMemo
{
    int32_t angle = 120; // as shown, degrees
    float height = 3.0f;
    int32_t amount = 100;
    bool preview = true;
};

struct SColorHalftoneMemo
{
    int32_t diameter = 8;
    std::array<int32_t, 3> angles{18, 72, 0};
    bool preview = true;
};

// Every module's remembered values, process-wide.
struct SFilterDialogMemos
{
    SBrightnessContrastMemo brightnessContrast;
    SColorBalanceMemo colorBalance;
    SHueSaturationMemo hueSaturation;
    SPosterizeMemo posterize;
    SThresholdMemo threshold;
    SGradientMapMemo gradientMap;
    SLevelsMemo levels;
    SCustomMemo custom;
    SSharpenCustomMemo sharpenCustom;
    SGaussianBlurMemo gaussianBlur;
    SMotionBlurMemo motionBlur;
    SMedianMemo median;
    SMosaicMemo mosaic;
    SNoiseMemo noise;
    SDiffuseMemo diffuse;
    SEmbossMemo emboss;
    SColorHalftoneMemo colorHalftone;
};

SFilterDialogMemos &filterDialogMemos();
// Every module back to its defaults (at start; tests between cases).
void resetFilterDialogMemos();

// ---- records from values (dialog units); each clears the record first
sFltObj4 brightnessContrastRecord(float brightness, float contrast, bool linear);
sFltObj4 colorBalanceRecord(float red, float green, float blue);
sFltObj4 hueSaturationRecord(float hue, float saturation, float lightness, bool monotone,
                             bool linear);
sFltObj2 posterizeRecord(float levels);
sFltObj2 thresholdRecord(float threshold);
// Column c (0 RGB, 1..3 red, green, blue) of a levels record from the five dialog values
// (midtone as a factor 0.01..1.99); only that column and the linear byte are written.
void writeLevelsColumn(sFltObj6 &rec, int c, float inMin, float inMid, float inMax, float outMin,
                       float outMax, bool linear);
sFltObj6 levelsRecord(const TLevelsColumns &columns, bool linear);
int32_t levelsCell(const sFltObj6 &rec, int c, int k);
SFltCustom customKernel(const std::array<float, 25> &entries, float scale, float offset);
sFltObj2 sharpenCustomRecord(float amount);
sFltObj2 gaussianBlurRecord(float amount);
sFltObj2 motionBlurRecord(float angle, float distance);
sFltObj2 medianRecord(float radius, bool protect);
sFltObj2 mosaicRecord(float size, bool protect);
sFltObj4 noiseRecord(float amount, bool grey, uint32_t seed);
sFltObj4 diffuseRecord(float range, int32_t mode, bool radial, uint32_t seed, bool protect);
sFltObj4 embossRecord(float angle, float height, float amount);
sFltObj4 colorHalftoneRecord(float diameter, float red, float green, float blue);

// ---- the repeat: records from the remembered values
sFltObj4 lastBrightnessContrast(const SBrightnessContrastMemo &m);
sFltObj4 lastColorBalance(const SColorBalanceMemo &m);
sFltObj4 lastHueSaturation(const SHueSaturationMemo &m);
sFltObj2 lastPosterize(const SPosterizeMemo &m);
sFltObj2 lastThreshold(const SThresholdMemo &m);
sFltObj6 lastLevels(const SLevelsMemo &m);
SFltCustom lastCustom(const SCustomMemo &m);
sFltObj2 lastSharpenCustom(const SSharpenCustomMemo &m);
sFltObj2 lastGaussianBlur(const SGaussianBlurMemo &m);
sFltObj2 lastMotionBlur(const SMotionBlurMemo &m);
sFltObj2 lastMedian(const SMedianMemo &m, bool protect);
sFltObj2 lastMosaic(const SMosaicMemo &m, bool protect);
sFltObj4 lastNoise(const SNoiseMemo &m, uint32_t seed);
sFltObj4 lastDiffuse(const SDiffuseMemo &m, uint32_t seed, bool protect);
sFltObj4 lastEmboss(const SEmbossMemo &m);
sFltObj4 lastColorHalftone(const SColorHalftoneMemo &m);

// ---- automatic adjustments from a histogram's lowest and highest non-empty levels
// The levels input range of one colour channel: lo..hi of its table (lo 255, hi 0 when empty).
struct SLevelsAutoRange
{
    int32_t inMin, inMax;
};
SLevelsAutoRange levelsAutoRange(int32_t lo, int32_t hi);
// The threshold: the midpoint of the luminance range, rounded up.
int32_t thresholdAutoValue(int32_t lo, int32_t hi);
