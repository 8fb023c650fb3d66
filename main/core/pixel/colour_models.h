// Conversions between RGB and the HSL, HSV and CMYK colour models, all in 16.16 fixed point:
// hue in degrees (0 .. 0x1680000), lightness, saturation, value and the CMYK inks 0 .. 0xFF0000
// (0 .. 255.0). The steps are exact integer ones; results are truncated unless stated.
#pragma once

#include "core/pixel/pixel.h"

#include <cstdint>

// HSL of the B, G, R bytes of an sBGRA pixel.
void pixelToHSL(sBGRA p, sFixHSL &hsl) noexcept;
// Sets bytes B, G, R of *p from hsl; its alpha byte is left untouched.
void hslToPixel(const sFixHSL &hsl, sBGRA *p) noexcept;

// HSL of a 32-bit colour that holds R in byte 0, G in byte 1 and B in byte 2 (red first).
void rgbToHSL(uint32_t c, sFixHSL &hsl) noexcept;
// Three bytes R, G, B (red first) into dst[0..2].
void hslToRGB(const sFixHSL &hsl, uint8_t *dst) noexcept;
void hsvToRGB(const sFixHSV &hsv, uint8_t *dst) noexcept;
// Rounded and saturated: each byte is (value + 0.5) truncated, at most 255.
void cmykToRGB(const sFixCMYK &cmyk, uint8_t *dst) noexcept;
