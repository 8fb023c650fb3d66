#include "paint/text/text_glyphs.h"

#include "core/image/channel.h"
#include "core/pixel/pixel.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

// The interface font at 16 pixels of character height. Its Japanese character set resolves it to
// Noto Sans CJK JP, which the project installs: cell height 23 (ascent 19, descent 4).
TFont gothic16(const char *name = "MS UI Gothic", uint8_t style = 0)
{
    TFont f;
    f.Name = name;
    f.Charset = SHIFTJIS_CHARSET;
    f.Height = -16;
    f.Style = style;
    return f;
}

constexpr int32_t kLineHeight = 23;

// A channel's bytes, top row first.
struct Bytes
{
    int32_t w = 0, h = 0;
    std::vector<uint8_t> v;

    uint8_t at(int32_t x, int32_t y) const { return v[size_t(y) * w + x]; }
    long sum() const { return std::accumulate(v.begin(), v.end(), 0L); }
    friend bool operator==(const Bytes &, const Bytes &) = default;
};

Bytes bytesOf(const TChannel &ch)
{
    Bytes b{ch.width(), ch.height(), {}};
    for (int32_t y = 0; y < ch.height(); ++y)
        for (int32_t x = 0; x < ch.width(); ++x)
            b.v.push_back(ch.getColor(x, y));
    return b;
}

struct Rendered
{
    int32_t count = 0;
    sBox box;
    Bytes bytes;
    LOGFONTW logFont;
};

struct Layout
{
    sPos start;
    sSize channel{96, 64};
    int32_t letterSpacing = 0;
    int32_t lineSpacing = 0;
};

Rendered render(const TFont &font, const QString &text, const Layout &at)
{
    TChannel ch(at.channel);
    ch.PixelFill(0x5A); // the render clears it
    STextRenderParam p;
    p.font = font;
    p.text = text;
    p.channel = &ch;
    p.startX = at.start.x;
    p.startY = at.start.y;
    p.letterSpacing = at.letterSpacing;
    p.lineSpacing = at.lineSpacing;
    Rendered r;
    r.count = renderTextToChannel(p);
    r.box = p.box;
    r.bytes = bytesOf(ch);
    r.logFont = p.logFont;
    return r;
}

// Each piece rendered alone at its own start, laid over the others as the render lays glyphs:
// what a text must give when its glyphs stand where the pieces say.
Bytes composed(const TFont &font, std::initializer_list<std::pair<QString, sPos>> pieces,
               sSize channel = {96, 64})
{
    Bytes all{channel.x, channel.y, std::vector<uint8_t>(size_t(channel.x) * channel.y, 0)};
    for (const auto &[text, start] : pieces) {
        const Rendered one = render(font, text, {start, channel});
        EXPECT_EQ(one.count, text.size()) << text.toStdString();
        for (size_t i = 0; i < all.v.size(); ++i)
            mixByteVar(all.v[i], 255, one.bytes.v[i]);
    }
    return all;
}

// The covered part of a channel: the bytes inside the bounding rectangle of the non-zero ones.
Bytes cropped(const Bytes &b)
{
    int32_t x0 = b.w, y0 = b.h, x1 = 0, y1 = 0;
    for (int32_t y = 0; y < b.h; ++y)
        for (int32_t x = 0; x < b.w; ++x)
            if (b.at(x, y)) {
                x0 = std::min(x0, x), x1 = std::max(x1, x + 1);
                y0 = std::min(y0, y), y1 = std::max(y1, y + 1);
            }
    Bytes c{std::max(0, x1 - x0), std::max(0, y1 - y0), {}};
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x)
            c.v.push_back(b.at(x, y));
    return c;
}

// A put that shows where each bitmap byte went: the byte becomes the level.
void putLevel(uint8_t &byte, uint32_t, uint32_t level)
{
    byte = uint8_t(level);
}

} // namespace

TEST(TextGlyphTables, LevelsAndCharsetNames)
{
    EXPECT_EQ(gGlyphLevelTable[0], 0);
    EXPECT_EQ(gGlyphLevelTable[1], 3);
    EXPECT_EQ(gGlyphLevelTable[32], 127);
    EXPECT_EQ(gGlyphLevelTable[63], 251);
    EXPECT_EQ(gGlyphLevelTable[64], 255);

    struct Case
    {
        uint8_t code;
        const char *name;
    } const cases[] = {{0, "欧文"},       {1, "その他"},   {2, "シンボル"}, {128, "日本語"},
                       {130, "ハングル"}, {222, "タイ語"}, {239, "その他"}, {255, "OEM_CHARSET"}};
    for (const Case &c : cases) {
        EXPECT_EQ(charsetName(c.code), QString::fromUtf8(c.name)) << int(c.code);
    }
}

TEST(TextGlyphTables, FontCopyCarriesTheSizeInPoints)
{
    struct Case
    {
        int32_t height, copied;
    } const cases[] = {{-16, -16}, {-11, -11}, {-18, -19}, {20, 20}};
    for (const Case &c : cases) {
        TFont src = gothic16("@MS Gothic", fsBold | fsItalic);
        src.Height = c.height;
        src.Color = 0x123456;
        TFont dst;
        copyFontAttributes(dst, src);
        EXPECT_EQ(dst.Height, c.copied) << c.height;
        EXPECT_EQ(dst.Name, src.Name);
        EXPECT_EQ(dst.Style, src.Style);
        EXPECT_EQ(dst.Charset, src.Charset);
        EXPECT_EQ(dst.Color, src.Color);
    }
}

TEST(GlyphBitmaps, DrawnClippedToTheChannel)
{
    // A 3 x 2 bitmap: row 0 = 1 2 3, row 1 = 4 5 6.
    const uint8_t bits[] = {1, 2, 3, 4, 5, 6};
    struct Case
    {
        sPos pos;
        bool inside;
        sBox box;
        std::vector<uint8_t> rows; // the 4 x 3 channel, top row first
    } const cases[] = {
        {{1, 1}, true, {1, 1, 3, 2}, {0, 0, 0, 0, 0, 1, 2, 3, 0, 4, 5, 6}},
        {{-1, -1}, true, {0, 0, 2, 1}, {5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {{3, 2}, true, {3, 2, 1, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
        {{4, 0}, false, {}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {{-3, 0}, false, {}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.pos.x << "," << c.pos.y);
        TChannel ch(4, 3);
        ch.PixelFill(0);
        sBox box;
        EXPECT_EQ(drawGlyphAlpha(ch, c.pos, {3, 2}, putLevel, 255, box, bits), c.inside);
        if (c.inside) {
            EXPECT_EQ(box, c.box);
        }
        EXPECT_EQ(bytesOf(ch).v, c.rows);
    }
}

TEST(GlyphBitmaps, VerticalTurnsClockwise)
{
    // Row 0 = 1 2 3, row 1 = 4 5 6 turned clockwise: the bottom row becomes the left column.
    const uint8_t bits[] = {1, 2, 3, 4, 5, 6};
    TChannel ch(3, 4);
    ch.PixelFill(0);
    sBox box;
    ASSERT_TRUE(drawGlyphAlphaVert(ch, {1, 0}, {3, 2}, putLevel, 255, box, bits));
    EXPECT_EQ(box, (sBox{1, 0, 2, 3}));
    EXPECT_EQ(bytesOf(ch).v, (std::vector<uint8_t>{0, 4, 1, 0, 5, 2, 0, 6, 3, 0, 0, 0}));

    // Clipped on the left: only the top row's column (1 2 3) is left.
    ch.PixelFill(0);
    ASSERT_TRUE(drawGlyphAlphaVert(ch, {-1, 1}, {3, 2}, putLevel, 255, box, bits));
    EXPECT_EQ(box, (sBox{0, 1, 1, 3}));
    EXPECT_EQ(bytesOf(ch).v, (std::vector<uint8_t>{0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0}));
}

TEST(GlyphBitmaps, BoldTakesTheLargerOfEachPixelAndItsLeftNeighbour)
{
    sSize size{3, 1};
    std::vector<uint8_t> bits{0, 100, 0};
    ASSERT_TRUE(makeFontBold(size, bits));
    EXPECT_EQ(size, (sSize{4, 1}));
    EXPECT_EQ(bits, (std::vector<uint8_t>{0, 100, 100, 0}));

    size = {4, 2};
    bits = {10, 0, 200, 90, 0, 50, 40, 0};
    ASSERT_TRUE(makeFontBold(size, bits));
    EXPECT_EQ(size, (sSize{5, 2}));
    EXPECT_EQ(bits, (std::vector<uint8_t>{10, 10, 200, 200, 90, 0, 50, 50, 40, 0}));
}

TEST(TextRender, LatinStringAdvancesByItsCellIncrements)
{
    // The glyphs of "Kavrin" advance by 10, 9, 8, 6 and 4 pixels.
    const TFont font = gothic16();
    const Rendered r = render(font, "Kavrin", {{2, 20}});
    ASSERT_EQ(r.count, 6);
    EXPECT_EQ(r.bytes, composed(font, {{"K", {2, 20}},
                                       {"a", {12, 20}},
                                       {"v", {21, 20}},
                                       {"r", {29, 20}},
                                       {"i", {35, 20}},
                                       {"n", {39, 20}}}));
    // The box runs from K's left edge to n's padded right edge, from the cap height above the
    // baseline at 20 down to it.
    EXPECT_EQ(r.box, (sBox{3, 7, 45, 13}));
    EXPECT_GT(r.bytes.sum(), 255 * 60);

    EXPECT_EQ(QString::fromUtf16(r.logFont.lfFaceName), "MS UI Gothic");
    EXPECT_EQ(r.logFont.lfHeight, -16);
    EXPECT_EQ(r.logFont.lfCharSet, SHIFTJIS_CHARSET);
}

TEST(TextRender, JapaneseStringAdvancesByTheEm)
{
    // Eight characters and one beyond the 16-bit range, a surrogate pair that is one glyph.
    const TFont font = gothic16();
    const QString text = QString::fromUtf8("日本語のテキスト\U0002000B");
    const Rendered r = render(font, text, {{0, 19}, {160, 32}});
    ASSERT_EQ(r.count, 9);
    Bytes expected{160, 32, std::vector<uint8_t>(160 * 32, 0)};
    int32_t x = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype from = i;
        nextCodePoint(text, i);
        const Rendered one = render(font, text.mid(from, i - from), {{x, 19}, {160, 32}});
        ASSERT_EQ(one.count, 1);
        for (size_t k = 0; k < expected.v.size(); ++k)
            mixByteVar(expected.v[k], 255, one.bytes.v[k]);
        x += 16;
    }
    EXPECT_EQ(x, 144);
    EXPECT_EQ(r.bytes, expected);
    // Every glyph lies within its 16-pixel cell, between ascent and descent.
    EXPECT_GE(r.box.x, 0);
    EXPECT_LE(r.box.x + r.box.w, 144 + 4);
    EXPECT_GE(r.box.y, 19 - 16);
    EXPECT_LE(r.box.y + r.box.h, 19 + 4);
}

TEST(TextRender, NewLineReturnsToTheStartOneLineLower)
{
    const TFont font = gothic16();
    struct Case
    {
        const char *text;
        int32_t lineSpacing;
    } const cases[] = {{"AB\r\nC", 0}, {"AB\rC", 0}, {"AB\r\nC", 5}, {"AB\r\nC", -3}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.lineSpacing);
        Layout at{{4, 18}};
        at.lineSpacing = c.lineSpacing;
        const Rendered r = render(font, c.text, at);
        EXPECT_EQ(r.count, 3);
        EXPECT_EQ(r.bytes,
                  composed(font, {{"AB", {4, 18}}, {"C", {4, 18 + kLineHeight + c.lineSpacing}}}));
    }
}

TEST(TextRender, SpaceAdvancesWithoutCounting)
{
    const TFont font = gothic16();
    CFontGlyph glyph(nullptr, font);
    const int32_t a = glyph.getCharWidth('A'), space = glyph.getCharWidth(' ');
    EXPECT_EQ(space, 4);

    const Rendered r = render(font, "A B", {{1, 20}});
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(r.bytes, composed(font, {{"A", {1, 20}}, {"B", {1 + a + space, 20}}}));
    EXPECT_EQ(render(font, "   ", {{1, 20}}).count, 0);
}

TEST(TextRender, BoldWithLetterSpacingAdvancesByTheCellPlusThree)
{
    const TFont bold = gothic16("MS UI Gothic", fsBold);
    CFontGlyph glyph(nullptr, bold);
    uint32_t sz = 0;
    std::vector<uint8_t> bits;
    ASSERT_TRUE(glyph.getGlyph('i', sz, bits));
    const int32_t cell = glyph.metrics.gmCellIncX;
    ASSERT_GT(cell, 0);

    Layout at{{1, 20}};
    at.letterSpacing = 2;
    const Rendered r = render(bold, "iii", at);
    EXPECT_EQ(r.count, 3);
    EXPECT_EQ(r.bytes, composed(bold, {{"i", {1, 20}},
                                       {"i", {1 + cell + 3, 20}},
                                       {"i", {1 + 2 * (cell + 3), 20}}}));
    // Each bold glyph is one column wider than its regular bitmap.
    sSize size;
    glyph.getSize(sz, size);
    const Rendered one = render(bold, "i", {{1, 20}});
    EXPECT_EQ(one.box.w, size.x + 1);
}

TEST(TextRender, VerticalFontRunsDownAndNewLinesMoveLeft)
{
    const TFont down = gothic16("@MS UI Gothic");
    const Rendered r = render(down, "日本\r\n語", {{60, 2}});
    EXPECT_EQ(r.count, 3);
    EXPECT_EQ(r.bytes,
              composed(down, {{"日", {60, 2}}, {"本", {60, 18}}, {"語", {60 - kLineHeight, 2}}}));

    // Wide characters stand upright: the same pixels as across, only placed differently.
    for (const char *c : {"本", "語"}) {
        const Bytes across = cropped(render(gothic16(), c, {{20, 30}}).bytes);
        const Bytes upright = cropped(render(down, c, {{50, 10}}).bytes);
        EXPECT_EQ(upright, across) << c;
        EXPECT_GT(upright.w, 10);
    }
}

TEST(TextRender, ClippedGlyphsCountOnlyWhenSomethingLands)
{
    const TFont font = gothic16();
    struct Case
    {
        sPos start;
        int32_t count;
        sBox box;
    } const cases[] = {
        {{2, 20}, 1, {2, 8, 16, 12}},  // wholly inside (the padded bitmap is 16 wide)
        {{-6, 20}, 1, {0, 8, 10, 12}}, // partly left of the channel
        {{2, 8}, 1, {2, 0, 16, 8}},    // partly above it
        {{-30, 20}, 0, {}},            // wholly left
        {{2, 80}, 0, {}},              // below the channel
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.start.x << "," << c.start.y);
        const Rendered r = render(font, "W", {c.start, {40, 24}});
        EXPECT_EQ(r.count, c.count);
        EXPECT_EQ(r.box, c.box);
        EXPECT_EQ(r.bytes.sum() > 0, c.count > 0);
    }
}

TEST(TextRender, FailsWithoutMetricsAndLeavesTheChannel)
{
    TFont broken = gothic16();
    broken.Height = -100000; // no face opens at this size
    TChannel ch(8, 8);
    ch.PixelFill(7);
    STextRenderParam p;
    p.font = broken;
    p.text = "A";
    p.channel = &ch;
    EXPECT_EQ(renderTextToChannel(p), -1);
    EXPECT_EQ(bytesOf(ch).sum(), 7 * 64);

    p.font = gothic16();
    p.channel = nullptr;
    EXPECT_EQ(renderTextToChannel(p), -1);

    // The text ends at its first NUL.
    TChannel wide(40, 24);
    p.channel = &wide;
    p.text = QString("AB") + QChar(0) + "C";
    p.startY = 20;
    EXPECT_EQ(renderTextToChannel(p), 2);
}
