// The built-in glyph strip: one 24 x 24 picture per TqZGlyphType value, stacked from the top in
// enumeration order, as a 24-bit bottom-up BMP file in memory. Only two bytes of a pixel count:
// green is the ink (255 - G over 255, 0 none, 1 full) and red the pixel's alpha. The pictures are
// our own simple line icons, drawn by code at start-up.
#pragma once

#include "core/profile/glyph_types.h"

#include <QByteArray>
#include <QImage>

constexpr int kGlyphSize = 24;

// The strip as BMP file bytes (made once, then kept).
const QByteArray &builtinGlyphStrip();
// The picture of one glyph: black ink (and grey fills) on transparent, 24 x 24, ARGB32.
QImage drawGlyphPicture(TqZGlyphType glyph);
// Encodes ARGB pictures (24 x 24 each, in order) as a strip file.
QByteArray encodeGlyphStrip(const QList<QImage> &pictures);
