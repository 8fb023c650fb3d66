#include "filters/dialogs/filter_defaults.h"

#include "filters/dialogs/dialog_values.h"
#include "filters/dialogs/effect_dialog_values.h"
#include "filters/dialogs/floor_dialog.h"
#include "filters/dialogs/lighting_dialog.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <type_traits>

namespace {

using TCells = std::vector<SFilterCell>;

// The bytes as little-endian cells, named in order (cells past the names are "unused"); a last
// partial cell is padded with 0.
TCells bytesAsCells(const uint8_t *p, size_t size, std::initializer_list<const char *> names)
{
    TCells cells;
    auto name = names.begin();
    for (size_t at = 0; at < size; at += 4) {
        uint32_t v = 0;
        for (size_t k = 0; k < 4 && at + k < size; ++k)
            v |= uint32_t(p[at + k]) << (8 * k);
        cells.push_back({name != names.end() ? *name++ : "unused", v});
    }
    return cells;
}

template <class T> TCells cellsOf(const T &rec, std::initializer_list<const char *> names)
{
    static_assert(std::is_trivially_copyable_v<T>);
    return bytesAsCells(reinterpret_cast<const uint8_t *>(&rec), sizeof(T), names);
}

void append(TCells &to, TCells more)
{
    to.insert(to.end(), more.begin(), more.end());
}

// data0..data7 of a complex record's fixed part.
TCells complexHead(const sFltObjComplexHead &h, std::initializer_list<const char *> names)
{
    const size_t at = offsetof(sFltObjComplexHead, data0);
    return bytesAsCells(reinterpret_cast<const uint8_t *>(&h) + at, sizeof(h) - at, names);
}

TCells customCells()
{
    sFltObjComplex rec;
    initFltObjComplex(rec, 1, sizeof(SFltCustom));
    TCells cells = complexHead(rec, {});
    const SFltCustom k = lastCustom(SCustomMemo{});
    static const char *const kRows[] = {"row 1", "row 2", "row 3", "row 4", "row 5"};
    for (size_t i = 0; i < k.matrix.size(); ++i)
        cells.push_back({std::string("kernel ") + kRows[i / 5] + " column " +
                             std::to_string(i % 5 + 1),
                         uint32_t(k.matrix[i])});
    cells.push_back({"scale (divisor)", uint32_t(k.scale)});
    cells.push_back({"offset", uint32_t(k.offset)});
    return cells;
}

TCells lightingCells()
{
    sFltObjComplex rec;
    SFltLight light;
    lightingRecordFromMemo(SLightingMemo{}, rec, light);
    TCells cells = complexHead(rec, {"ambient colour (B, G, R)", "ambient lightness (%)"});
    append(cells, cellsOf(light, {"kind (0 point, 1 warm, 2 spot)", "intensity", "colour (B, G, R)",
                                  "range", "x (Single, 0..1)", "y (Single, 0..1)", "height",
                                  "heading (Single, radians)", "tilt (Single, radians)",
                                  "cone (degrees)"}));
    return cells;
}

TCells floorCells(const SFilterDefaultsFor &at)
{
    SFltFloorParam f;
    initFltFloorParam(f);
    writeFloorParam(f, SFloorValues{});
    // Both textures come from the effect rectangle.
    const auto side = [](int32_t v) { return uint16_t(std::clamp(v, 1, 0xFFFF)); };
    f.tex0w = f.tex1w = side(at.width);
    f.tex0h = f.tex1h = side(at.height);
    return cellsOf(f, {"x", "y (Single)", "z", "heading (Single, radians)",
                       "tilt (Single, radians)", "roll (Single, radians)", "projection distance",
                       "ceiling height", "fog opacity (%)", "fog colour (B, G, R, A)",
                       "b0 keep picture, b1 transparent fog, b2 textures on, b3 from files",
                       "b0 draw far, b1 version, b2 fog distance (%), b3 ceiling width low",
                       "b0 ceiling width high, b1-2 ceiling height, b3 floor width low",
                       "b0 floor width high, b1-2 floor height, b3 unused"});
}

TCells gradientMapCells(const SFilterDefaultsFor &at)
{
    const SGradientMapMemo m;
    return {{"flags (bit 0 reverse, bit 8 protect)",
             (m.reverse ? 1u : 0u) | (at.protect ? 0x100u : 0u)},
            {"stop 1 (0xAARRGGBB)", 0xFF000000u},
            {"stop 2 (0xAARRGGBB)", 0xFFFFFFFFu}};
}

// The clouds have no dialog: the tool window's colours (black on white at start), the time as
// the seed, contrast 1, standard blend, full opacity.
TCells cloudsCells(const SFilterDefaultsFor &at)
{
    sFltObj4 r;
    initFltObj4(r);
    r.data0.all = int32_t(0xFF000000u);
    r.data1.all = int32_t(0xFFFFFFFFu);
    r.data2.all = int32_t(at.seed);
    r.data3.w0 = 256;
    r.data3.b3 = 255;
    return cellsOf(r, {"colour 1", "colour 2", "seed",
                       "w0 contrast (256 = 1), b2 blend mode, b3 opacity"});
}

// Luminance to transparency has no dialog: the drawing colour (black at start), keep light.
TCells alphaViaDensityCells()
{
    sFltObj2 r;
    initFltObj2(r);
    r.data1.b0 = 1;
    return cellsOf(r, {"colour (B, G, R)", "b0 keep light"});
}

using TCellMaker = std::function<TCells(const SFilterDefaultsFor &)>;

struct SDefaultsRow
{
    const char *function;
    TCellMaker make;
};

const std::vector<SDefaultsRow> &defaultsTable()
{
    using A = const SFilterDefaultsFor &;
    static const auto wave = [](A) {
        return cellsOf(lastWave(SWaveMemo{}),
                       {"b0-1 counts (across, down), b2-3 amplitudes", "phase (Single, radians)"});
    };
    static const auto polar = [](A a) {
        return cellsOf(lastPolar(SPolarMemo{}, a.protect), {"b0 direction, b1 protection"});
    };
    static const auto rotate = [](A a) {
        return cellsOf(lastRotate(SRotateMemo{}, a.protect),
                       {"angle (Single, degrees)", "b0 protection, b1 method"});
    };
    static const auto scale = [](A a) {
        return cellsOf(lastScale(SScaleMemo{}, a.width, a.height, a.protect),
                       {"width (negative mirrors)", "height (negative mirrors)",
                        "b0 protection, b1 method"});
    };
    static const std::vector<SDefaultsRow> rows = {
        {"fltGaussianBlur",
         [](A) { return cellsOf(lastGaussianBlur(SGaussianBlurMemo{}), {"radius (Single)"}); }},
        {"fltMotionBlur",
         [](A) {
             return cellsOf(lastMotionBlur(SMotionBlurMemo{}),
                            {"b0 distance, b1 method, b2-3 angle", "angle (Single, method 0)"});
         }},
        {"fltRadialBlur",
         [](A a) {
             const SRadialBlurMemo m;
             return cellsOf(radialBlurRecord(float(m.offsetX), float(m.offsetY), float(m.amount),
                                             a.protect),
                            {"centre offset: w0 x, w1 y", "b0 amount, b1 protection, b2 sampler"});
         }},
        {"fltMedian",
         [](A a) {
             return cellsOf(lastMedian(SMedianMemo{}, a.protect), {"b0 radius, b1 keep alpha"});
         }},
        {"fltSharpenCustom",
         [](A) { return cellsOf(lastSharpenCustom(SSharpenCustomMemo{}), {"amount (Single)"}); }},
        {"fltEmboss",
         [](A) {
             return cellsOf(lastEmboss(SEmbossMemo{}),
                            {"angle (degrees)", "height (Single)", "amount (%)"});
         }},
        {"fltLevels",
         [](A) {
             return cellsOf(lastLevels(SLevelsMemo{}),
                            {"input black: b0 all, b1 red, b2 green, b3 blue",
                             "midtone x 100: b0 all, b1 red, b2 green, b3 blue",
                             "input white: b0 all, b1 red, b2 green, b3 blue",
                             "output black: b0 all, b1 red, b2 green, b3 blue",
                             "output white: b0 all, b1 red, b2 green, b3 blue",
                             "b0 linear midtone"});
         }},
        {"fltHueSaturation",
         [](A) {
             return cellsOf(lastHueSaturation(SHueSaturationMemo{}),
                            {"hue (degrees)", "saturation", "lightness",
                             "b0 colourise, b1 lightness by table"});
         }},
        {"fltBrightnessContrast",
         [](A) {
             return cellsOf(lastBrightnessContrast(SBrightnessContrastMemo{}),
                            {"brightness", "contrast", "b0 linear"});
         }},
        {"fltColorBalance",
         [](A) {
             return cellsOf(lastColorBalance(SColorBalanceMemo{}),
                            {"red gamma (Single)", "green gamma (Single)", "blue gamma (Single)"});
         }},
        {"fltPosterize",
         [](A) { return cellsOf(lastPosterize(SPosterizeMemo{}), {"levels"}); }},
        {"fltBinarize",
         [](A) {
             return cellsOf(lastThreshold(SThresholdMemo{}), {"b0 threshold, b1 luminance table"});
         }},
        {"fltGradientMap", gradientMapCells},
        {"fltAlphaViaDensity", [](A) { return alphaViaDensityCells(); }},
        {"fltWave", wave},
        {"fltWave2", wave},
        {"fltWave3", wave},
        {"fltTwirl",
         [](A) { return cellsOf(lastTwirl(STwirlMemo{}), {"w0 angle (degrees), b2 sampler"}); }},
        {"fltPolarCoordinates", polar},
        {"fltPolarCoordinates2", polar},
        {"fltRotate", rotate},
        {"fltRotate2", rotate},
        {"fltScale", scale},
        {"fltScale2", scale},
        {"fltClouds", cloudsCells},
        {"fltPlasma",
         [](A a) {
             return cellsOf(lastPlasma(SPlasmaMemo{}, a.seed),
                            {"seed", "b0 monochrome, w1 contrast (256 = 100 %)",
                             "b0 blend mode, b1 opacity"});
         }},
        {"fltCloudsRocks",
         [](A a) {
             return cellsOf(lastClouds(SCloudsMemo{}, a.seed, a.width, a.height),
                            {"colour 2", "colour 1", "seed", "w0 width, w1 height",
                             "w0 contrast, w1 softness (0: clouds)"});
         }},
        {"fltTiles",
         [](A) {
             return cellsOf(lastTiles(STilesMemo{}),
                            {"b0 squares, b1 colour 3 used, w1 width",
                             "colour 1 (B, G, R, opacity)", "colour 2 (B, G, R, opacity)",
                             "colour 3 (B, G, R, opacity)"});
         }},
        {"fltNoise",
         [](A a) {
             return cellsOf(lastNoise(SNoiseMemo{}, a.seed), {"amount", "monochrome", "seed"});
         }},
        {"fltDiffuse",
         [](A a) {
             return cellsOf(lastDiffuse(SDiffuseMemo{}, a.seed, a.protect),
                            {"radius", "mode (0 normal, 1 darken, 2 lighten)", "seed",
                             "b0 directional, b2 protection"});
         }},
        {"fltMosaic",
         [](A a) {
             return cellsOf(lastMosaic(SMosaicMemo{}, a.protect), {"cell size", "keep alpha"});
         }},
        {"fltColorHalftone",
         [](A) {
             return cellsOf(lastColorHalftone(SColorHalftoneMemo{}),
                            {"largest dot radius", "red angle", "green angle", "blue angle"});
         }},
        {"fltCustom", [](A) { return customCells(); }},
        {"fltLighting", [](A) { return lightingCells(); }},
        {"fltFloor", floorCells},
        {"fltFloor2", floorCells},
    };
    return rows;
}

} // namespace

std::vector<SFilterCell> filterDefaultCells(std::string_view function, const SFilterDefaultsFor &at)
{
    for (const SDefaultsRow &row : defaultsTable())
        if (function == row.function)
            return row.make(at);
    return {};
}

std::vector<uint32_t> filterDefaultValues(std::string_view function, const SFilterDefaultsFor &at)
{
    std::vector<uint32_t> values;
    for (const SFilterCell &c : filterDefaultCells(function, at))
        values.push_back(c.value);
    return values;
}
