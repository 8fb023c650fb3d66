#include "paint/palette/palette_files.h"

#include "paint/colour_file_test_support.h"
#include "paint/paint_test_support.h"

#include <QBuffer>
#include <gtest/gtest.h>

#include <string>

namespace {

// "r,g,b,4th" per colour, blank separated.
std::string colourText(const std::vector<TColor32> &colors)
{
    std::string s;
    for (const TColor32 &c : colors) {
        s += (s.empty() ? "" : " ") + std::to_string(c.r) + "," + std::to_string(c.g) + "," +
             std::to_string(c.b) + "," + std::to_string(c.a);
    }
    return s;
}

template <class Reader> int32_t readFrom(const QByteArray &bytes, SPaletteData &out, Reader read)
{
    QByteArray copy = bytes;
    QBuffer buf(&copy);
    buf.open(QIODevice::ReadOnly);
    return read(buf, out);
}

template <class Writer> QByteArray written(Writer write)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    EXPECT_TRUE(write(buf));
    return bytes;
}

const SPaletteLayout kLayout{{16, 12}, {8, 4}};

} // namespace

TEST(PaletteFiles, TypeByExtensionInAnyCase)
{
    const struct
    {
        const char *path;
        ePaletteType type;
    } cases[] = {
        {"a/default.qpl", ptBinary}, {"Colors.PCS", ptPcs},  {"Colors.TXT", ptText},
        {"x.Aco", ptAdobe},          {"colors.bmp", ptNone}, {"qpl", ptNone},
        {"dir.qpl/file", ptNone},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(paletteTypeOfPath(c.path), c.type) << c.path;
    }
}

TEST(PaletteFiles, BinaryLayoutAndRoundTrip)
{
    const std::vector<TColor32> colors = {bgra(1, 2, 3, 4), bgra(250, 128, 0, 0)};
    const QByteArray bytes =
        written([&](QIODevice &d) { return writeBinaryPalette(d, colors, kLayout); });
    EXPECT_EQ(bytes.toHex(' '), bytesOf({'Q', 'P', 'A', 'L', 20, 0, 0, 0, 16, 12, 8, 4,   2,   0,
                                         0,   0,   0,   0,   0,  0, 3, 2, 1,  4,  0, 128, 250, 0})
                                    .toHex(' '));
    SPaletteData back;
    EXPECT_EQ(readFrom(bytes, back, readBinaryPalette), 2);
    EXPECT_EQ(colourText(back.colors), colourText(colors));
    EXPECT_EQ(back.announced, 2);
    EXPECT_TRUE(back.hasLayout);
    EXPECT_EQ(back.layout.itemSize, kLayout.itemSize);
    EXPECT_EQ(back.layout.repeatSize, kLayout.repeatSize);
}

TEST(PaletteFiles, BinaryReaderBelievesTheCountOnlyAsFarAsTheBytesGo)
{
    QByteArray bytes = bytesOf({'Q',  'P', 'A', 'L', 0, 0, 0, 0, 0, 200, 0, 99, 0xFF, 0xFF, 0xFF,
                                0xFF, 0,   0,   0,   0, 9, 8, 7, 0, 6,   5, 4,  0,    1});
    SPaletteData out;
    EXPECT_EQ(readFrom(bytes, out, readBinaryPalette), 2);
    EXPECT_EQ(out.announced, 0xFFFFFFFFll);
    EXPECT_EQ(colourText(out.colors), "7,8,9,0 4,5,6,0");
    EXPECT_EQ(out.layout.itemSize, (sSize{8, 64})) << "cells clamped to 8..64";
    EXPECT_EQ(out.layout.repeatSize, (sSize{1, 64})) << "counts clamped to 1..64";

    EXPECT_EQ(readFrom(bytes.left(19), out, readBinaryPalette), -1);
    bytes[3] = 'X';
    EXPECT_EQ(readFrom(bytes, out, readBinaryPalette), -1);
}

TEST(PaletteFiles, TextReaderTakesKeywordsAndComponentsInAnyCase)
{
    const QByteArray text = "rows 3\rCOLS 100\r\nHeight 12\n"
                            "r:10,g:20,b:30\r"
                            "R:1, G:2\r"
                            "junk R:x B:5\r"
                            "TEXTHEIGHT 0 SPACING 1\r"
                            "R: 300, G:000, B:007\r\n";
    SPaletteData out;
    EXPECT_EQ(readTextPalette(text, out), 4);
    EXPECT_EQ(colourText(out.colors), "10,20,30,0 1,2,0,0 0,0,5,0 255,0,7,0");
    EXPECT_EQ(out.announced, -1);
    ASSERT_TRUE(out.hasLayout);
    EXPECT_EQ(out.layout.itemSize, (sSize{8, 12})) << "no WIDTH: the smallest cell";
    EXPECT_EQ(out.layout.repeatSize, (sSize{64, 3})) << "COLS 100 is held at 64";

    EXPECT_EQ(readTextPalette("ROWS 2\rWIDTH 9\r", out), 0);
    EXPECT_FALSE(out.hasLayout);
    EXPECT_EQ(readTextPalette(QByteArray(), out), 0);
}

TEST(PaletteFiles, TextWriterLinesForBothLineEnds)
{
    const std::vector<TColor32> colors = {bgra(1, 20, 255), bgra(0, 0, 0)};
    const QByteArray pcs =
        written([&](QIODevice &d) { return writeTextPalette(d, colors, kLayout, false); });
    EXPECT_EQ(pcs, QByteArray("ROWS 4\rCOLS 8\rWIDTH 16\rHEIGHT 12\rTEXTHEIGHT 0\rSPACING 1\r"
                              "R:001, G:020, B:255\rR:000, G:000, B:000\r"));
    const QByteArray txt =
        written([&](QIODevice &d) { return writeTextPalette(d, colors, kLayout, true); });
    EXPECT_TRUE(txt.startsWith("ROWS 4\r\nCOLS 8\r\n"));
    EXPECT_TRUE(txt.endsWith("R:000, G:000, B:000\r\n"));

    SPaletteData back;
    EXPECT_EQ(readTextPalette(txt, back), 2);
    EXPECT_EQ(colourText(back.colors), colourText(colors));
    EXPECT_EQ(back.layout.itemSize, kLayout.itemSize);
    EXPECT_EQ(back.layout.repeatSize, kLayout.repeatSize);
}

TEST(PaletteFiles, AdobeReaderConvertsEachColourSpace)
{
    const QByteArray bytes = bytesOf({
        0,    1,    0,    7, // version 1, seven colours
        0,    0,    0xFF, 0xFF, 0x80,
        0x00, 0,    0,    0,    0, // RGB 65535, 32768, 0
        0,    1,    0,    0,    0xFF,
        0xFF, 0xFF, 0xFF, 0,    0, // HSB: hue 0, full: red
        0,    1,    0x55, 0x55, 0xFF,
        0xFF, 0x80, 0x00, 0,    0, // HSB: a third of a turn, half bright (127.5, truncated)
        0,    2,    0xFF, 0xFF, 0xFF,
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, // CMYK without ink: white
        0,    8,    0x13, 0x88, 0,
        0,    0,    0,    0,    0, // grey 5000 of 10000
        0,    8,    0xFF, 0xFF, 0,
        0,    0,    0,    0,    0, // grey beyond 10000: held at 255
        0,    7,    1,    2,    3,
        4,    5,    6,    7,    8, // another space: dropped
    });
    SPaletteData out;
    EXPECT_EQ(readFrom(bytes, out, readAdobePalette), 6);
    EXPECT_EQ(out.announced, 7);
    EXPECT_FALSE(out.hasLayout);
    EXPECT_EQ(colourText(out.colors), "255,127,0,0 255,0,0,1 0,127,0,1 255,255,255,3 "
                                      "127,127,127,2 255,255,255,2");

    // A short list ends where the bytes end.
    EXPECT_EQ(readFrom(bytes.left(4 + 25), out, readAdobePalette), 2);
    EXPECT_EQ(readFrom(bytes.left(3), out, readAdobePalette), 0);
}

TEST(PaletteFiles, AdobeVersionTwoIsNotRead)
{
    MessageRecorder messages;
    SPaletteData out;
    EXPECT_EQ(readFrom(bytesOf({0, 2, 0, 1, 0, 0, 1, 1, 2, 2, 3, 3, 0, 0}), out, readAdobePalette),
              0);
    EXPECT_EQ(messages.warnings, QStringList{"Invalid ACO version!"});
}

TEST(PaletteFiles, AdobeWriterStoresRgb)
{
    const std::vector<TColor32> colors = {bgra(255, 128, 0, 3)};
    EXPECT_EQ(written([&](QIODevice &d) { return writeAdobePalette(d, colors); }).toHex(' '),
              bytesOf({0, 1, 0, 1, 0, 0, 0xFF, 0xFF, 0x80, 0x80, 0, 0, 0, 0}).toHex(' '));

    const std::vector<TColor32> tooMany(65536);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    EXPECT_FALSE(writeAdobePalette(buf, tooMany));
    EXPECT_TRUE(bytes.isEmpty());
}
