// Palette files, chosen by extension (letters in any case): the program's binary palette ".qpl",
// the text colour sets ".pcs" (lines ended by CR) and ".txt" (CR LF), and the Adobe Color Swatch
// ".aco" in its version 1. Every format is read and written.
//
// .qpl, little-endian: "QPAL", u32 4 * count + 12, u8 cell width, cell height, cells per row,
// cells per column, u32 count, u32 0, then count 32-bit TColor32 values (blue, green, red, 4th).
//
// Text colour set: "ROWS n" (cells per column), "COLS n" (cells per row), "WIDTH n", "HEIGHT n"
// (the cell), "TEXTHEIGHT 0", "SPACING 1", then one "R:rrr, G:ggg, B:bbb" line per colour.
//
// .aco version 1, big-endian 16-bit words: version 1, count, then per colour the colour space and
// four component words.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <span>
#include <vector>

class QIODevice;

// Palette types by extension; numbered as the program stores them.
enum ePaletteType : int32_t
{
    ptNone = 0,
    ptBinary = 1, // .qpl
    ptPcs = 2,    // .pcs
    ptText = 3,   // .txt
    ptAdobe = 4,  // .aco
};

ePaletteType paletteTypeOfPath(const QString &path);

// The 4th byte an .aco colour gets from its colour space (0 for RGB and every other format).
inline constexpr uint8_t kAcoSpaceHSB = 1;
inline constexpr uint8_t kAcoSpaceGrey = 2;
inline constexpr uint8_t kAcoSpaceCMYK = 3;

// Cell size and counts as a palette stores them; after a read they are clamped, the cell to
// 8..64 pixels and the counts to 1..64.
struct SPaletteLayout
{
    sSize itemSize;   // cell width and height
    sSize repeatSize; // cells per row (x) and per column (y)
};

// What a reader found.
struct SPaletteData
{
    std::vector<TColor32> colors;
    int64_t announced = -1; // colours the file announces (binary and .aco), -1 otherwise
    bool hasLayout = false; // the format stores a layout and it was read
    SPaletteLayout layout;
};

// Each reader answers the number of colours read, 0 for none (or a format it cannot handle), -1
// when the file cannot be read.

// The binary palette: -1 for a short header or a wrong tag. The count is bounded by the bytes
// really there; announced keeps the header's count.
int32_t readBinaryPalette(QIODevice &stream, SPaletteData &out);
// A text colour set, from all its bytes.
int32_t readTextPalette(QByteArrayView bytes, SPaletteData &out);
// An .aco file: a version other than 1 warns "Invalid ACO version!" and reads nothing. RGB, HSB,
// CMYK and grey colours are read (converted to RGB, their space in the 4th byte); other spaces
// are dropped.
int32_t readAdobePalette(QIODevice &stream, SPaletteData &out);

// The writers answer whether every byte was written. The .aco writer stores every colour as RGB
// and refuses more than 65535 colours.
bool writeBinaryPalette(QIODevice &stream, std::span<const TColor32> colors,
                        const SPaletteLayout &layout);
bool writeTextPalette(QIODevice &stream, std::span<const TColor32> colors,
                      const SPaletteLayout &layout, bool crlf);
bool writeAdobePalette(QIODevice &stream, std::span<const TColor32> colors);
