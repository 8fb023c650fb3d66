// The current filter commands with fixed module records: what each applies (the record filled
// for a layer with or without protection) and the filter packet it records.
#pragma once

#include "core/scale/scale_canvas.h"
#include "document/events/event_packets.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/selection/effect_rect.h"
#include "filters/commands/filter_commands.h"

#include <QString>

#include <bit>
#include <functional>
#include <vector>

namespace filter_cases {

using Fill = std::function<void(SFilterParams &, bool protect)>;

inline int32_t f(float v)
{
    return std::bit_cast<int32_t>(v);
}

struct FilterCase
{
    const char *what;
    SEventHdr hdr;
    FilterCommand cmd; // nullptr: alpha via density
    Fill fill;
};

inline std::vector<FilterCase> currentFilterCases()
{
    auto none = Fill();
    return {
        {"grayscale", {32, 87}, doFilterGrayscale, none},
        {"invert", {32, 81}, doFilterInvert, none},
        {"flip horizontal", {32, 82}, doFilterFlipHorizontal, none},
        {"flip vertical", {32, 83}, doFilterFlipVertical, none},
        {"rotate 180", {32, 84}, doFilterRotate180, none},
        {"blur", {32, 64}, doFilterBlur, none},
        {"blur more", {32, 65}, doFilterBlurMore, none},
        {"sharpen", {32, 12}, doFilterSharpen, none},
        {"sharpen more", {32, 13}, doFilterSharpenMore, none},
        {"find edges", {32, 53}, doFilterFindEdges, none},
        {"solarize", {32, 56}, doFilterSolarize, none},
        {"brightness contrast",
         {34, 62},
         doFilterBrightnessContrast,
         [](SFilterParams &p, bool) {
             p.o4.data0.all = 30;
             p.o4.data1.all = 25;
             p.o4.data2.b0 = 1;
         }},
        {"colour balance",
         {34, 24},
         doFilterColorBalance,
         [](SFilterParams &p, bool) {
             p.o4.data0.all = f(1.5f);
             p.o4.data1.all = f(0.8f);
             p.o4.data2.all = f(1.2f);
         }},
        {"hue saturation",
         {34, 61},
         doFilterHueSaturation,
         [](SFilterParams &p, bool) {
             p.o4.data0.all = 40;
             p.o4.data1.all = 20;
             p.o4.data2.all = -10;
         }},
        {"levels",
         {35, 60},
         doFilterLevels,
         [](SFilterParams &p, bool) {
             p.o6.data0.all = 0x10101010;
             p.o6.data1.all = 0x32323232;
             p.o6.data2.all = int32_t(0xE0E0E0E0);
             p.o6.data4.all = -1;
         }},
        {"posterize",
         {33, 27},
         doFilterPosterize,
         [](SFilterParams &p, bool) { p.o2.data0.all = 3; }},
        {"binarize",
         {33, 49},
         doFilterBinarize,
         [](SFilterParams &p, bool) { p.o2.data0.b0 = 120; }},
        {"radial blur",
         {33, 66},
         doFilterRadialBlur,
         [](SFilterParams &p, bool) {
             p.o2.data0.s0 = 3;
             p.o2.data0.s1 = -2;
             p.o2.data1.b0 = 20;
             p.o2.data1.b2 = 1;
         }},
        {"motion blur",
         {33, 4},
         doFilterMotionBlur,
         [](SFilterParams &p, bool) {
             p.o2.data0.b0 = 9;
             p.o2.data0.b1 = 2;
             p.o2.data0.s1 = 180; // the whole angle, beyond a signed byte
         }},
        {"gaussian blur",
         {33, 67},
         doFilterGaussianBlur,
         [](SFilterParams &p, bool) { p.o2.data0.all = f(1.7f); }},
        {"median", {33, 86}, doFilterMedian, [](SFilterParams &p, bool) { p.o2.data0.b0 = 2; }},
        {"sharpen custom",
         {33, 14},
         doFilterSharpenCustom,
         [](SFilterParams &p, bool) { p.o2.data0.all = f(0.6f); }},
        {"mosaic", {33, 26}, doFilterMosaic, [](SFilterParams &p, bool) { p.o2.data0.all = 5; }},
        {"noise",
         {34, 25},
         doFilterNoise,
         [](SFilterParams &p, bool) {
             p.o4.data0.all = 70;
             p.o4.data2.all = 4242;
         }},
        {"diffuse",
         {34, 59},
         doFilterDiffuse,
         [](SFilterParams &p, bool prot) {
             p.o4.data0.all = 3;
             p.o4.data1.all = 1;
             p.o4.data2.all = 99;
             p.o4.data3.b2 = prot ? 1 : 0;
         }},
        {"emboss",
         {34, 50},
         doFilterEmboss,
         [](SFilterParams &p, bool) {
             p.o4.data0.all = 135;
             p.o4.data1.all = f(3.0f);
             p.o4.data2.all = 100;
         }},
        {"colour halftone",
         {34, 48},
         doFilterColorHalftone,
         [](SFilterParams &p, bool) {
             p.o4.data0.all = 6;
             p.o4.data1.all = 108;
             p.o4.data2.all = 162;
             p.o4.data3.all = 90;
         }},
        {"polar coordinates",
         {33, 98},
         doFilterPolarCoordinates,
         [](SFilterParams &p, bool prot) { p.o2.data0.b1 = prot ? 1 : 0; }},
        {"rotate",
         {33, 97},
         doFilterRotate,
         [](SFilterParams &p, bool prot) {
             p.o2.data0.all = f(30.0f);
             p.o2.data1.b0 = prot ? 1 : 0;
         }},
        {"scale",
         {34, 96},
         doFilterScale,
         [](SFilterParams &p, bool prot) {
             p.o4.data0.all = 48;
             p.o4.data1.all = -40;
             p.o4.data2.b0 = prot ? 1 : 0;
         }},
        {"wave",
         {33, 85},
         doFilterWave,
         [](SFilterParams &p, bool) {
             p.o2.data0.b0 = 3;
             p.o2.data0.b1 = 2;
             p.o2.data0.b2 = 6;
             p.o2.data0.b3 = 4;
             p.o2.data1.all = f(0.5f);
         }},
        {"twirl",
         {33, 68},
         doFilterTwirl,
         [](SFilterParams &p, bool) {
             p.o2.data0.s0 = -250;
             p.o2.data0.b2 = 1;
         }},
        {"tiles",
         {34, 73},
         doFilterTiles,
         [](SFilterParams &p, bool) {
             p.o4.data0.b0 = 1;
             p.o4.data0.b1 = 1;
             p.o4.data0.w1 = 9;
             p.o4.data1.all = int32_t(0xFF2040A0);
             p.o4.data2.all = int32_t(0x80A04020);
             p.o4.data3.all = int32_t(0xFF00FF00);
         }},
        {"plasma",
         {34, 71},
         doFilterPlasma,
         [](SFilterParams &p, bool) {
             p.o4.data0.all = 777;
             p.o4.data1.w1 = 256;
             p.o4.data2.b1 = 255;
         }},
        {"clouds rocks",
         {35, 72},
         doFilterCloudsRocks,
         [](SFilterParams &p, bool) {
             p.o6.data0.all = int32_t(0xFF000000);
             p.o6.data1.all = -1;
             p.o6.data2.all = 31;
             p.o6.data3.w0 = 16;
             p.o6.data3.w1 = 16;
             p.o6.data4.w0 = 256;
         }},
        {"clouds", {34, 70}, doFilterClouds, none},
        {"custom",
         {38, 51},
         doFilterCustom,
         [](SFilterParams &p, bool) {
             p.custom.matrix.fill(0);
             p.custom.matrix[7] = -1;
             p.custom.matrix[12] = 5;
             p.custom.matrix[17] = -1;
             p.custom.scale = 3;
             p.custom.offset = 4;
         }},
        {"lighting",
         {38, 74},
         doFilterLighting,
         [](SFilterParams &p, bool) {
             p.complex.data0.all = 0x00FFFFFF;
             p.complex.data1.all = 60;
             p.light.kind = flkPoint;
             p.light.power = 70;
             p.light.color.all = 0xFFFFE0C0;
             p.light.range = 50;
             p.light.posx = 0.4f;
             p.light.posy = 0.3f;
             p.light.posz = 30;
         }},
        {"gradient map",
         {38, 54},
         doFilterGradientMap,
         [](SFilterParams &p, bool) { p.gradMap.reverse = true; }},
        {"alpha via density", {33, 63}, nullptr, none},
    };
}

// The floor's dialog: slot 0 a texture from a file, slot 1 drawn from the layer's effect
// rectangle (as a replay rebuilds it); false when the layer has no effect rectangle.
inline bool fillFloorFromFileAndLayer(SFilterParams &p, TPaper &paper, TFlowImage &flow)
{
    SFltFloorParam &fl = p.floor.sfloor;
    fl.version = 3;
    fl.y = 10;
    fl.skyheight = 20;
    fl.eye2scr = 50;
    fl.alpha = 100;
    fl.farcol.all = 0xFF808080;
    fl.texEnbFlag = 3;
    fl.texTypeFlag = 1;
    fl.tex0w = fl.tex0h = fl.tex1w = fl.tex1h = 64;
    TMTC &ceiling = *p.floor.stex[0].tc;
    ceiling.Resize(8, 8);
    ceiling.PixelFill(0xFF2060A0u);
    p.floor.stex[0].dpi = 72;
    p.floor.stex[0].path = QStringLiteral("tex.png");
    const CLayerData &ld = *paper.getLayerData(flow.layerIdx());
    sRect rr;
    if (!getEffectRect(ld.imageTC.get(), ld.viewPos, paper.getActiveMaskData(), rr))
        return false;
    TMTC crop(rr.x1 - rr.x0, rr.y1 - rr.y0);
    crop.copyAreaNC(flow.image(), {0, 0}, sBox{rr.x0, rr.y0, rr.x1 - rr.x0, rr.y1 - rr.y0});
    TMTC &floor = *p.floor.stex[1].tc;
    floor.Resize(256, 256);
    if (!scaleCanvasInto(floor, crop, false, 0))
        return false;
    p.floor.stex[1].dpi = paper.m_paperDPI;
    return true;
}

} // namespace filter_cases
