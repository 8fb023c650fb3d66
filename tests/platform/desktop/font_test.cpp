#include "platform/desktop/font.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

// A glyph as the two-call protocol gives it: the size first, then the bitmap.
struct Glyph
{
    uint32_t size = GDI_ERROR;
    GLYPHMETRICS gm;
    std::vector<uint8_t> bits;

    uint32_t pitch() const { return (gm.gmBlackBoxX + 3) & ~3u; }
    uint8_t at(uint32_t x, uint32_t y) const { return bits[y * pitch() + x]; }
    long coverage() const { return std::accumulate(bits.begin(), bits.end(), 0L); }
};

Glyph glyphOf(CFontRasterizer &font, char32_t c)
{
    Glyph g;
    g.size = font.getGlyphOutline(c, GGO_GRAY8_BITMAP, g.gm);
    if (g.size != GDI_ERROR && g.size > 0) {
        g.bits.assign(g.size, 0xEE);
        EXPECT_EQ(font.getGlyphOutline(c, GGO_GRAY8_BITMAP, g.gm, g.bits), g.size);
    }
    return g;
}

// The interface font of the program at 16 pixels of character height; its Japanese character set
// makes fontconfig resolve it to Noto Sans CJK JP, which the project installs.
TFont uiGothic16(const char *name = "MS UI Gothic")
{
    TFont f;
    f.Name = name;
    f.Charset = SHIFTJIS_CHARSET;
    f.Height = -16;
    return f;
}

// Checks the bitmap format of a drawn glyph: the size is whole padded rows, levels are 0..64,
// padding bytes are 0, something is covered, and A + B + C is the advance.
void expectWellFormed(CFontRasterizer &font, char32_t c, const Glyph &g)
{
    SCOPED_TRACE(uint32_t(c));
    ASSERT_GT(g.size, 0u);
    ASSERT_NE(g.size, GDI_ERROR);
    EXPECT_EQ(g.size, g.pitch() * g.gm.gmBlackBoxY);
    EXPECT_GT(g.coverage(), 0);
    for (uint32_t y = 0; y < g.gm.gmBlackBoxY; ++y) {
        for (uint32_t x = 0; x < g.pitch(); ++x) {
            if (x < g.gm.gmBlackBoxX) {
                EXPECT_LE(g.at(x, y), 64);
            } else {
                EXPECT_EQ(g.at(x, y), 0);
            }
        }
    }
    ABC abc;
    ASSERT_TRUE(font.getCharABCWidths(c, c, std::span(&abc, 1)));
    EXPECT_EQ(abc.abcA + int32_t(abc.abcB) + abc.abcC, g.gm.gmCellIncX);
    EXPECT_EQ(abc.abcA, g.gm.gmptGlyphOrigin.x);
    EXPECT_EQ(abc.abcB, g.gm.gmBlackBoxX);
}

} // namespace

TEST(FontDescription, PointSizeAndHeightConvertLikeThePlatform)
{
    struct Case
    {
        int32_t points, ppi, height;
    } const cases[] = {{9, 96, -12}, {10, 96, -13}, {8, 96, -11}, {12, 72, -12}, {11, 120, -18}};
    for (const Case &c : cases) {
        TFont f;
        f.PixelsPerInch = c.ppi;
        f.setSize(c.points);
        EXPECT_EQ(f.Height, c.height) << c.points << " pt at " << c.ppi;
        EXPECT_EQ(f.size(), c.points);
    }
}

TEST(FontDescription, LogFontRecordRoundTripsAndCutsLongNames)
{
    TFont f = uiGothic16("@MS UI Gothic");
    f.Style = fsBold | fsItalic;
    const LOGFONTW lf = getLogFont(f);
    EXPECT_EQ(lf.lfHeight, -16);
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ(lf.lfItalic, 1);
    EXPECT_EQ(lf.lfUnderline, 0);
    EXPECT_EQ(lf.lfCharSet, 128);
    EXPECT_EQ(QString::fromUtf16(lf.lfFaceName), "@MS UI Gothic");

    const TFont back = fontFromLogFont(lf);
    EXPECT_EQ(back.Name, f.Name);
    EXPECT_EQ(back.Height, f.Height);
    EXPECT_EQ(back.Style, f.Style);
    EXPECT_EQ(back.Charset, f.Charset);

    f.Name = QString(40, 'x');
    const LOGFONTW cut = getLogFont(f);
    EXPECT_EQ(QString::fromUtf16(cut.lfFaceName).size(), 31);
    EXPECT_EQ(cut.lfFaceName[31], 0);
}

TEST(FontText, CodePointsJoinSurrogatePairs)
{
    struct Case
    {
        QString text;
        std::vector<char32_t> points;
    } const cases[] = {
        {QString::fromUtf8("a\U0002000Bb"), {'a', 0x2000B, 'b'}},
        {QString::fromUtf8("日本"), {0x65E5, 0x672C}},
        {QString(QChar(0xD842)), {0xD842}},            // lone high surrogate at the end
        {QString(QChar(0xDC0B)) + "x", {0xDC0B, 'x'}}, // lone low surrogate
        {QString(QChar(0xD842)) + QChar(0xD842), {0xD842, 0xD842}}, // two highs are no pair
    };
    for (const Case &c : cases) {
        std::vector<char32_t> got;
        for (qsizetype i = 0; i < c.text.size();) {
            got.push_back(nextCodePoint(c.text, i));
        }
        EXPECT_EQ(got, c.points) << c.text.toStdString();
    }
}

TEST(FontRasterizer, LatinTextHasItsAdvancesAndMetrics)
{
    CFontRasterizer font(uiGothic16());
    ASSERT_TRUE(font.isValid());
    ASSERT_EQ(font.familyName(), "Noto Sans CJK JP");
    EXPECT_EQ(font.emPixels(), 16.0);

    TEXTMETRICW tm;
    ASSERT_TRUE(font.getTextMetrics(tm));
    EXPECT_EQ(tm.tmHeight, 23);
    EXPECT_EQ(tm.tmAscent, 19);
    EXPECT_EQ(tm.tmDescent, 4);
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 16); // the character height asked for
    EXPECT_EQ(tm.tmExternalLeading, 0);
    EXPECT_EQ(tm.tmCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(tm.tmWeight, 400);

    OUTLINETEXTMETRICW otm;
    ASSERT_TRUE(font.getOutlineTextMetrics(otm));
    EXPECT_EQ(otm.otmEMSquare, 1000u);
    EXPECT_EQ(otm.otmAscent, 14);  // 880 units
    EXPECT_EQ(otm.otmDescent, -2); // -120 units

    struct Case
    {
        char32_t c;
        int advance;
    } const cases[] = {{'K', 10}, {'a', 9}, {'v', 8}, {'r', 6}, {'i', 4}, {'n', 10}, {'g', 9}};
    for (const Case &c : cases) {
        const Glyph g = glyphOf(font, c.c);
        expectWellFormed(font, c.c, g);
        EXPECT_EQ(g.gm.gmCellIncX, c.advance) << char(c.c);
        EXPECT_EQ(g.gm.gmCellIncY, 0);
    }
    // Rows run top first: the bar of a 'T' is its top row.
    const Glyph t = glyphOf(font, 'T');
    long topRow = 0, bottomRow = 0;
    for (uint32_t x = 0; x < t.gm.gmBlackBoxX; ++x) {
        topRow += t.at(x, 0);
        bottomRow += t.at(x, t.gm.gmBlackBoxY - 1);
    }
    EXPECT_GT(topRow, 2 * bottomRow);
    // 'g' reaches below the baseline: its box starts above the baseline and ends below it.
    const Glyph g = glyphOf(font, 'g');
    EXPECT_GT(int32_t(g.gm.gmBlackBoxY), g.gm.gmptGlyphOrigin.y);

    const Glyph space = glyphOf(font, ' ');
    EXPECT_EQ(space.size, 0u); // blank: no bitmap, only the advance
    EXPECT_EQ(space.gm.gmCellIncX, 4);
    EXPECT_EQ(space.gm.gmBlackBoxX, 1u);
}

TEST(FontRasterizer, JapaneseTextAdvancesByTheEm)
{
    CFontRasterizer font(uiGothic16());
    ASSERT_TRUE(font.isValid());
    const QString text = QString::fromUtf8("日本語のテキスト\U0002000B");
    int pen = 0, glyphs = 0;
    for (qsizetype i = 0; i < text.size();) {
        const char32_t c = nextCodePoint(text, i);
        const Glyph g = glyphOf(font, c);
        expectWellFormed(font, c, g);
        EXPECT_EQ(g.gm.gmCellIncX, 16);
        EXPECT_LE(g.gm.gmBlackBoxX, 16u);
        EXPECT_LE(g.gm.gmBlackBoxY, 16u);
        pen += g.gm.gmCellIncX;
        ++glyphs;
    }
    EXPECT_EQ(glyphs, 9); // the surrogate pair is one glyph
    EXPECT_EQ(pen, 144);

    std::vector<ABC> widths(3);
    ASSERT_TRUE(font.getCharABCWidths(0x3041, 0x3043, widths)); // ぁあぃ
    for (const ABC &w : widths) {
        EXPECT_EQ(w.abcA + int32_t(w.abcB) + w.abcC, 16);
    }
}

TEST(FontRasterizer, MissingFamilyFallsBack)
{
    for (uint8_t charset : {DEFAULT_CHARSET, ANSI_CHARSET, SHIFTJIS_CHARSET}) {
        SCOPED_TRACE(int(charset));
        TFont f;
        f.Name = "NoSuchFamilyForKavrin";
        f.Charset = charset;
        f.Height = -16;
        CFontRasterizer font(f);
        ASSERT_TRUE(font.isValid());
        EXPECT_FALSE(font.familyName().isEmpty());
        EXPECT_NE(font.familyName(), f.Name);
        expectWellFormed(font, 'A', glyphOf(font, 'A'));
        // Japanese comes from the fallback whatever the family resolved to.
        const Glyph sun = glyphOf(font, 0x65E5);
        expectWellFormed(font, 0x65E5, sun);
        EXPECT_EQ(sun.gm.gmCellIncX, 16);
    }
}

TEST(FontRasterizer, PositiveHeightIsTheCellHeight)
{
    for (int32_t height : {12, 20, 33}) {
        TFont f = uiGothic16();
        f.Height = height;
        CFontRasterizer font(f);
        TEXTMETRICW tm;
        ASSERT_TRUE(font.getTextMetrics(tm));
        EXPECT_EQ(tm.tmHeight, height);
        EXPECT_LT(font.emPixels(), height);
        EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, int32_t(std::lrint(font.emPixels())));
    }
}

TEST(FontRasterizer, VerticalFaceTurnsWideCharactersOnly)
{
    CFontRasterizer across(uiGothic16());
    CFontRasterizer down(uiGothic16("@MS UI Gothic"));
    ASSERT_TRUE(down.isVertical());
    ASSERT_EQ(down.familyName(), "Noto Sans CJK JP");

    // A kanji comes turned 90 degrees counter-clockwise: column c of row r lands on row w-1-c,
    // column r; the advance along the line stays the em.
    const Glyph h = glyphOf(across, 0x672C); // 本: turning it the wrong way turns it upside down
    const Glyph v = glyphOf(down, 0x672C);
    ASSERT_EQ(v.gm.gmBlackBoxX, h.gm.gmBlackBoxY);
    ASSERT_EQ(v.gm.gmBlackBoxY, h.gm.gmBlackBoxX);
    EXPECT_EQ(v.gm.gmCellIncX, 16);
    for (uint32_t r = 0; r < h.gm.gmBlackBoxY; ++r) {
        for (uint32_t c = 0; c < h.gm.gmBlackBoxX; ++c) {
            ASSERT_EQ(v.at(r, h.gm.gmBlackBoxX - 1 - c), h.at(c, r)) << r << "," << c;
        }
    }
    // Centred across the line between ascent and descent (19 and 4: middle 7).
    const int32_t top = v.gm.gmptGlyphOrigin.y, bottom = top - int32_t(v.gm.gmBlackBoxY);
    EXPECT_LE(std::abs((top + bottom) - 2 * 7), 2);

    // Latin letters and the long-vowel mark stay as they are (the renderer's turn lays them down).
    for (char32_t c : {char32_t('A'), char32_t(0x30FC)}) {
        const Glyph a = glyphOf(across, c), b = glyphOf(down, c);
        EXPECT_EQ(b.bits, a.bits) << uint32_t(c);
        EXPECT_EQ(b.gm.gmCellIncX, a.gm.gmCellIncX);
    }

    // The full stop takes its vertical form: after the turn it sits in the upper right of the
    // cell, wholly right of the line's middle and near the start of the cell.
    const Glyph stop = glyphOf(down, 0x3002);
    expectWellFormed(down, 0x3002, stop);
    EXPECT_GE(stop.gm.gmptGlyphOrigin.y - int32_t(stop.gm.gmBlackBoxY), 7);
    EXPECT_LT(stop.gm.gmptGlyphOrigin.x + int32_t(stop.gm.gmBlackBoxX), 8);
}

TEST(FontRasterizer, BoldAndItalicChangeTheGlyphs)
{
    CFontRasterizer regular(uiGothic16());
    TFont bold = uiGothic16();
    bold.Style = fsBold;
    TFont italic = uiGothic16();
    italic.Style = fsItalic; // no italic face: the glyphs are slanted
    CFontRasterizer boldFont(bold), italicFont(italic);
    for (char32_t c : {char32_t('H'), char32_t(0x65E5)}) {
        const Glyph r = glyphOf(regular, c), b = glyphOf(boldFont, c), i = glyphOf(italicFont, c);
        EXPECT_GT(b.coverage(), r.coverage() * 11 / 10) << uint32_t(c);
        EXPECT_GT(i.gm.gmBlackBoxX, r.gm.gmBlackBoxX) << uint32_t(c);
    }
    TEXTMETRICW tm;
    ASSERT_TRUE(boldFont.getTextMetrics(tm));
    EXPECT_EQ(tm.tmWeight, 700);
}

TEST(FontRasterizer, RefusesAbsurdHeights)
{
    // Heights reach the font from event files; a glyph of this size would need gigabytes.
    for (int32_t height : {-100000, INT32_MIN, 2000000000}) {
        TFont f = uiGothic16();
        f.Height = height;
        CFontRasterizer font(f);
        EXPECT_FALSE(font.isValid()) << height;
        GLYPHMETRICS gm;
        EXPECT_EQ(font.getGlyphOutline('A', GGO_GRAY8_BITMAP, gm), GDI_ERROR);
        TEXTMETRICW tm;
        EXPECT_FALSE(font.getTextMetrics(tm));
    }
}

TEST(FontRasterizer, RefusesWhatItCannotGive)
{
    CFontRasterizer font(uiGothic16());
    GLYPHMETRICS gm;
    EXPECT_EQ(font.getGlyphOutline('A', 1, gm), GDI_ERROR); // a format it does not make
    EXPECT_EQ(font.getGlyphOutline(0xF0000, GGO_GRAY8_BITMAP, gm), GDI_ERROR); // no face has it
    const uint32_t size = font.getGlyphOutline('A', GGO_GRAY8_BITMAP, gm);
    ASSERT_GT(size, 1u);
    std::vector<uint8_t> tooSmall(size - 1);
    EXPECT_EQ(font.getGlyphOutline('A', GGO_GRAY8_BITMAP, gm, tooSmall), GDI_ERROR);

    std::vector<ABC> widths(2);
    EXPECT_FALSE(font.getCharABCWidths('A', 'C', widths)); // three characters, room for two
    EXPECT_FALSE(font.getCharABCWidths('C', 'A', widths));
    ASSERT_TRUE(font.getCharABCWidths(0xF0000, 0xF0001, widths));
    EXPECT_EQ(widths[0].abcB, 0u);
    EXPECT_EQ(widths[0].abcA + widths[0].abcC, 0);
}
