// The colour of the owner-drawn interface and the per-channel blend procedures that every
// drawing call of the memory graphic takes, one for the colour channels and one for alpha.
#pragma once

#include "core/pixel/pixel.h"

#include <cstdint>

// TColor32 (core/pixel/pixel.h): bytes b, g, r, a in memory order; bgra = 0xAARRGGBB.
using PColor32 = TColor32 *;

// Channel value after putting FG onto BG with weight A (0..1).
using TBlendProc = uint8_t (*)(uint8_t BG, uint8_t FG, float A);
// A profile curve over 0..1.
using TMapProc = float (*)(float T);

// A Single point of the shape calls.
struct TPointSingle
{
    float x = 0, y = 0;
};

// Where a gradient's first colour starts; the way a triangle points.
enum TAppearanceDirection : uint8_t
{
    adTopBottom = 0,
    adBottomTop = 1,
    adLeftRight = 2,
    adRightLeft = 3,
};

enum TTabState : uint8_t
{
    tsNone = 0,
    tsActive = 1,
};

// Normal, highlighted and disabled picture of a glyph.
enum TGlyphState : uint8_t
{
    gsNone = 0,
    gsActive = 1,
    gsDisabled = 2,
};
constexpr int kGlyphStateCount = 3;

constexpr TColor32 makeColor32(uint8_t B, uint8_t G, uint8_t R, uint8_t A)
{
    TColor32 c{};
    c.b = B;
    c.g = G;
    c.r = R;
    c.a = A;
    return c;
}

inline constexpr TColor32 clBlack32 = makeColor32(0, 0, 0, 255);
inline constexpr TColor32 clBlue32 = makeColor32(255, 0, 0, 255);
inline constexpr TColor32 clRed32 = makeColor32(0, 0, 255, 255);
inline constexpr TColor32 clGreen32 = makeColor32(0, 255, 0, 255);
inline constexpr TColor32 clWhite32 = makeColor32(255, 255, 255, 255);
inline constexpr TColor32 clGray32 = makeColor32(128, 128, 128, 255);
inline constexpr TColor32 clNone32 = makeColor32(0, 0, 0, 0);
inline constexpr TColor32 clWhiteNone32 = makeColor32(255, 255, 255, 0);

inline bool operator==(TColor32 a, TColor32 b)
{
    return a.bgra == b.bgra;
}

// From a plain platform colour 0x00BBGGRR (no system colour indexes) and an alpha.
TColor32 colorToColor32(uint32_t C, uint8_t A);
// To 0x00BBGGRR; alpha dropped.
uint32_t color32ToColor(TColor32 C);
// a * b div 255, exact for bytes.
int32_t mulDiv255(uint32_t a, uint32_t b);

// The channel is left as it is.
uint8_t blendKeep(uint8_t BG, uint8_t FG, float A);
// The channel becomes FG whatever A.
uint8_t blendCopy(uint8_t BG, uint8_t FG, float A);
// BG + Trunc((FG - BG) * A), the difference signed, truncated toward zero.
uint8_t blendNormal(uint8_t BG, uint8_t FG, float A);
// blendNormal toward the product of both values.
uint8_t blendMultiply(uint8_t BG, uint8_t FG, float A);
// Each byte blendNormal(C0 byte, C1 byte, T).
TColor32 lerpColor32(TColor32 C0, TColor32 C1, float T);

// The weight of a byte, a * (1/255) with 1/255 as a Single; 255 gives exactly 1.
float byteWeight(uint32_t a);
