// The first generation of filters, kept so that recordings made with it replay to the same
// pixels. They work on the layer's tiled image in place (the table filters, hue/saturation,
// greyscale) or from a source image, the untouched backup of the layer (sharpen, noise, mosaic,
// motion and radial blur), weight each pixel by the selection and skip fully transparent pixels
// where their rule says so. Their arithmetic (Single per step, truncation, the order in which the
// tables are built) is what a replay reproduces.
//
// Every procedure answers false, the layer unchanged, when the layer has no effect rectangle
// (an empty selection, or one that misses the layer) or its values are refused; rect, when
// given, is intersected with the effect rectangle and receives the result.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"
#include "filters/core/filter_host.h"

#include <array>
#include <cstdint>

class CBlockVMTC;
class CMaskData;

// The channel tables the tone filters fill (all three alike) before applyOrgTables.
extern std::array<uint8_t, 256> gOrgTableR;
extern std::array<uint8_t, 256> gOrgTableG;
extern std::array<uint8_t, 256> gOrgTableB;

// Nine Single weights and nine pixels, row by row (first digit the row, second the column).
class TPixelMatrix
{
  public:
    void setWeights(const std::array<float, 9> &w);
    void setPixels(const std::array<sBGRA, 9> &p);
    // Per byte (B, G, R, alpha) Trunc((f10 above + f11 centre + f12 below) / s), s the sum of
    // the three weights or 1 when it is 0, clamped to 0..255: the centre row of weights with
    // the centre column of pixels, as recordings replay it.
    sBGRA calcPixel() const;

    float m_f00 = 0, m_f01 = 0, m_f02 = 0, m_f10 = 0, m_f11 = 0, m_f12 = 0, m_f20 = 0, m_f21 = 0,
          m_f22 = 0;
    sBGRA m_p00{}, m_p01{}, m_p02{}, m_p10{}, m_p11{}, m_p12{}, m_p20{}, m_p21{}, m_p22{};
};

// base^exponent in Single precision.
float powerSingle(float base, float exponent);
// g = 1 - |x| 0.007 (a Single); x < 0 gives g, x >= 0 gives 1 / g.
float gammaFactor(float x);

// The tables, built and then applied (each fills all three tables alike). The builders answer
// false for values they refuse.
bool buildOrgPosterizeTable(int32_t levels);
bool buildOrgLevelsTable(int32_t inBlack, int32_t inMid, int32_t inWhite, int32_t outBlack,
                         int32_t outWhite);
bool buildOrgBrightnessContrastTable(int32_t contrast, int32_t brightness);

// Every pixel of the effect rectangle with alpha > 0 and weight m > 0 takes the tables' colour,
// put with pixelPutAlpha at m.
bool applyOrgTables(const SFilterLayerView &layer, const CMaskData *mask, sRect *rect = nullptr);
// levels 2..254.
bool orgFltPosterize(const SFilterLayerView &layer, const CMaskData *mask, int32_t levels,
                     sRect *rect = nullptr);
bool orgFltLevels(const SFilterLayerView &layer, const CMaskData *mask, int32_t inBlack,
                  int32_t inMid, int32_t inWhite, int32_t outBlack, int32_t outWhite,
                  sRect *rect = nullptr);
bool orgFltBrightnessContrast(const SFilterLayerView &layer, const CMaskData *mask,
                              int32_t contrast, int32_t brightness, sRect *rect = nullptr);
// Lightness -127..127 (beyond, the curve would not fit its 256 entries).
bool orgFltHueSaturation(const SFilterLayerView &layer, const CMaskData *mask, int32_t hue,
                         int32_t saturation, int32_t lightness, sRect *rect = nullptr);
bool orgFltGrayscale(const SFilterLayerView &layer, const CMaskData *mask);
bool orgFltKernel3(const CBlockVMTC &source, const SFilterLayerView &layer, const CMaskData *mask,
                   const std::array<float, 9> &weights);
bool orgFltSharpen(const CBlockVMTC &source, const SFilterLayerView &layer, const CMaskData *mask);
bool orgFltSharpenMore(const CBlockVMTC &source, const SFilterLayerView &layer,
                       const CMaskData *mask);
bool orgFltNoise(const CBlockVMTC &source, const SFilterLayerView &layer, const CMaskData *mask,
                 int32_t amount, bool monochrome, uint32_t seed, sRect *rect = nullptr);
// size >= 2.
bool orgFltMosaic(const CBlockVMTC &source, const SFilterLayerView &layer, const CMaskData *mask,
                  int32_t size, bool protect, sRect *rect = nullptr);
// distance up to 32767 pixels, angle in radians.
bool orgFltMotionBlur(const CBlockVMTC &source, const SFilterLayerView &layer,
                      const CMaskData *mask, float distance, float angle, bool protect);
// amount up to 32767.
bool orgFltRadialBlur(const CBlockVMTC &source, const SFilterLayerView &layer,
                      const CMaskData *mask, float amount, int32_t centreX, int32_t centreY,
                      bool protect);
// The serial walks that the two above run in bands of rows (when the source is not the layer
// itself): their oracles.
bool orgFltMotionBlurReference(const CBlockVMTC &source, const SFilterLayerView &layer,
                               const CMaskData *mask, float distance, float angle, bool protect);
bool orgFltRadialBlurReference(const CBlockVMTC &source, const SFilterLayerView &layer,
                               const CMaskData *mask, float amount, int32_t centreX,
                               int32_t centreY, bool protect);
