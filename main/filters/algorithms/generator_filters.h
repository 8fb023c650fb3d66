// The filters that draw new content into the layer: clouds and plasma (midpoint-displacement
// noise), clouds and rocks (six octaves of seeded noise blurred into a tileable texture) and tiles
// (triangles or squares in two or three colours). The noise is made for the whole effect rectangle
// (or the whole tile, from the layer's origin) before the destination is written, so that a
// preview of a part equals the whole.
//
// Records (byte offsets):
//   clouds    sFltObj4: data0 colour 1, data1 colour 2, data2 seed, 12-13 contrast (256 = 1),
//             14 blend mode (TBlendMode, bit 7 ignored), 15 opacity
//   plasma    sFltObj4: data0 seed, 4 monochrome, 6-7 contrast, 8 blend mode, 9 opacity
//   rocks     sFltObj6: data0 colour 2, data1 colour 1, data2 seed, 12-13 tile width,
//             14-15 tile height, 16-17 contrast, 18-19 softness (0: clouds)
//   tiles     sFltObj4: 0 shape (0 triangles, 1 squares), 1 colour count - 2, 2-3 tile size,
//             data1..data3 the colours (alpha used as opacity)
#pragma once

#include "core/pixel/pixel.h"
#include "filters/core/filter_core.h"
#include "paint/brush/user_blend_modes.h"

#include <array>
#include <cstdint>
#include <span>

// The puts of the clouds and plasma by TBlendMode: each mode's layer put, except the standard
// mode, which is pixelPutAlpha on a layer that keeps its transparency and otherwise source-over
// at mul255(opacity, colour alpha), and linear burn, which is pixelPutSub (its negative the
// negative subtraction).
using BlendPutTable = std::array<fptrPixelPut4core, kBlendModeCount>;
const BlendPutTable &generatorBlendPuts(bool layerPrt);

bool fltClouds(sFlt4Params &p, const void *argp, int32_t args);
bool fltPlasma(sFlt4Params &p, const void *argp, int32_t args);
bool fltCloudsRocks(sFlt4Params &p, const void *argp, int32_t args);
bool fltTiles(sFlt4Params &p, const void *argp, int32_t args);

// The serial walks that the generators' puts run in bands on the work threads: their oracles.
// The noise itself is made as before (its random sequence is the result).
bool fltCloudsReference(sFlt4Params &p, const void *argp, int32_t args);
bool fltPlasmaReference(sFlt4Params &p, const void *argp, int32_t args);
bool fltCloudsRocksReference(sFlt4Params &p, const void *argp, int32_t args);
bool fltTilesReference(sFlt4Params &p, const void *argp, int32_t args);

// One octave of clouds and rocks: each accumulator byte (tw x th, row by row) becomes
// clamp(trunc(f (b - 128) + byte + 0.5)), b the octave grid (sw x sh, row by row, indices
// wrapping at its size) upsampled with cosine-eased bilinear weights at 16.16 steps
// trunc((sw << 16) / tw) across and trunc((sh << 16) / th) down. The reference does every pixel
// from scratch; the fast form blends each grid row across once per accumulator row.
void addCloudOctave(std::span<uint8_t> acc, int32_t tw, int32_t th, std::span<const uint8_t> grid,
                    int32_t sw, int32_t sh, long double f);
void addCloudOctaveReference(std::span<uint8_t> acc, int32_t tw, int32_t th,
                             std::span<const uint8_t> grid, int32_t sw, int32_t sh, long double f);
