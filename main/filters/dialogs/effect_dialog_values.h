// What the radial blur, distortion and generator dialogs remember, and how their values become
// parameter records, with no widget in sight. The dialogs (reading their controls) and the
// repeat (reading the remembered values) share these conversions.
//
// The remembered values live for the whole run and are never written anywhere: every start
// begins with the defaults (resetEffectDialogMemos).
#pragma once

#include "core/pixel/pixel.h"
#include "document/events/filter_records.h"

#include <array>
#include <cstdint>

struct SRadialBlurMemo
{
    // The centre's offsets from the middle of the effect rectangle they were chosen on.
    int32_t offsetX = 0, offsetY = 0;
    int32_t width = 256, height = 256;
    int32_t amount = 1;
    bool preview = false;
};

struct SRotateMemo
{
    float angle = 0; // as recorded: the negated angle in degrees
    bool flag = false;
    uint8_t byte = 0;
    bool preview = true;
};

struct SScaleMemo
{
    // Percentages of the effect rectangle, negative for a flip.
    float widthPercent = 100.0f, heightPercent = 100.0f;
    bool aspect = true;
    bool preview = true;
};

struct SPolarMemo
{
    int32_t mode = 0;
    bool preview = true;
};

struct SWaveMemo
{
    uint8_t hCount = 1, vCount = 1, hStrength = 10, vStrength = 10;
    float phase = 0; // radians
    bool preview = true;
};

struct STwirlMemo
{
    int32_t angle = 50;
    bool preview = true;
};

struct STilesMemo
{
    bool square = true;
    bool useColor3 = false;
    int32_t width = 32;
    std::array<TColor32, 3> colours{};
    std::array<uint8_t, 3> opacities{255, 255, 255};
    bool preview = true;
};

struct SCloudsMemo
{
    TColor32 colour2{}; // black
    TColor32 colour1{.bgra = 0xFFFFFFu};
    bool rocks = false;
    int32_t width = 256, height = 256;
    std::array<int32_t, 2> contrast{100, 100}; // clouds, rocks
    int32_t softness = 50;
    bool wrap = true;
    bool preview = true;
};

struct SPlasmaMemo
{
    bool mono = false;
    int32_t contrast = 100;
    int32_t blend = 0;
    int32_t opacity = 100;
    bool preview = true;
};

struct SEffectDialogMemos
{
    SRadialBlurMemo radialBlur;
    SRotateMemo rotate;
    SScaleMemo scale;
    SPolarMemo polar;
    SWaveMemo wave;
    STwirlMemo twirl;
    STilesMemo tiles;
    SCloudsMemo clouds;
    SPlasmaMemo plasma;
};

SEffectDialogMemos &effectDialogMemos();
void resetEffectDialogMemos();

// A percentage as a byte: value x 255 / 100 rounded half away from zero, and back.
uint8_t percentToByte(float percent);
float byteToPercent(uint8_t b);

// ---- records from values (dialog units); each clears the record first
sFltObj2 radialBlurRecord(float offsetX, float offsetY, float amount, bool protect);
sFltObj2 rotateRecord(float angle, bool protect);
sFltObj4 scaleRecord(float width, float height, bool flipH, bool flipV, bool protect);
sFltObj2 polarRecord(int32_t mode, bool protect);
// Phase in degrees; the record holds radians.
sFltObj2 waveRecord(float hCount, float vCount, float hStrength, float vStrength, float phase);
sFltObj2 twirlRecord(float angle);
// Opacities in percent.
sFltObj4 tilesRecord(bool square, bool useColor3, float width, const std::array<TColor32, 3> &c,
                     const std::array<float, 3> &opacity);
struct SCloudsValues
{
    TColor32 colour2{}, colour1{};
    uint32_t seed = 0;
    bool wrap = true;
    float width = 256, height = 256;
    int32_t layerWidth = 0, layerHeight = 0;
    float contrast = 100;
    bool rocks = false;
    float softness = 50;
};
sFltObj6 cloudsRecord(const SCloudsValues &v);
sFltObj4 plasmaRecord(uint32_t seed, bool mono, float contrast, int32_t blend, float opacity);

// ---- the repeat
// False, the record untouched, when the remembered size is empty; otherwise the offsets scaled
// to the w x h effect rectangle, which becomes the remembered size.
bool lastRadialBlur(SRadialBlurMemo &m, int32_t w, int32_t h, bool protect, sFltObj2 &rec);
sFltObj2 lastRotate(const SRotateMemo &m, bool protect);
sFltObj4 lastScale(const SScaleMemo &m, int32_t w, int32_t h, bool protect);
sFltObj2 lastPolar(const SPolarMemo &m, bool protect);
sFltObj2 lastWave(const SWaveMemo &m);
sFltObj2 lastTwirl(const STwirlMemo &m);
sFltObj4 lastTiles(const STilesMemo &m);
sFltObj6 lastClouds(const SCloudsMemo &m, uint32_t seed, int32_t layerWidth, int32_t layerHeight);
sFltObj4 lastPlasma(const SPlasmaMemo &m, uint32_t seed);
