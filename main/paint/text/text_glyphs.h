// Text glyphs: the text tool's layout of a text into an 8-bit channel, which the document then uses
// as the alpha of a fill. Glyphs come as anti-aliased grey bitmaps from the platform's font
// outlines (platform/desktop/font.h); a font whose name begins with "@" writes vertically (columns run
// downwards, new lines move left). Bold without a bold face is emulated by widening each glyph by
// one pixel. Also the table of character-set names the text tool window shows.
#pragma once

#include "core/base/geometry.h"
#include "platform/desktop/font.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class TChannel;
class TDrawWindow; // the document window a text is for; only carried here, never used

// The platform's grey levels 0..64 as bytes 0..255: entry i = (i * 255) >> 6.
extern const std::array<uint8_t, 65> gGlyphLevelTable;

// The name of every font character-set code (256 entries): "その他" for the codes without a name of
// their own, "欧文" for 0, "日本語" for 128, and so on.
extern const std::array<const char16_t *, 256> gCharsetNames;
QString charsetName(uint8_t charset);

// Copies character set, colour, pixels per inch, name, size (in points, so a height that is no
// whole number of points comes back rounded to one) and style.
void copyFontAttributes(TFont &dst, const TFont &src);

// The put that writes a glyph level into a channel byte: put(byte, value, level).
using fptrGlyphPut = void (*)(uint8_t &byte, uint32_t value, uint32_t level);

// Puts a bitmap of size.x x size.y bytes (rows top first, no padding beyond size.x) into the
// channel with its top-left corner at pos, clipped to the channel: each byte under the bitmap gets
// put(byte, value, level). box := the clipped box. False, nothing written, when nothing is inside.
bool drawGlyphAlpha(TChannel &channel, sPos pos, sSize size, fptrGlyphPut put, uint32_t value,
                    sBox &box, const uint8_t *bitmap);
// The same with the bitmap turned by 90 degrees clockwise: it covers size.y x size.x pixels, and
// destination (x, y) of that area takes bitmap column y, row size.y - 1 - x.
bool drawGlyphAlphaVert(TChannel &channel, sPos pos, sSize size, fptrGlyphPut put, uint32_t value,
                        sBox &box, const uint8_t *bitmap);

// Widens a bitmap by one column: each pixel becomes the maximum of itself and its left neighbour.
// size.x grows by 1. False, bitmap unchanged, when the memory cannot be had.
bool makeFontBold(sSize &size, std::vector<uint8_t> &bitmap);

// The glyph source of one text render: a copy of the font, opened on the platform's rasteriser
// (the font selected into a device context), and the metrics of the last glyph asked for.
class CFontGlyph
{
  public:
    // Keeps the window, copies the font (copyFontAttributes); vertical when the name starts
    // with "@".
    CFontGlyph(TDrawWindow *dw, const TFont &f);
    ~CFontGlyph();
    CFontGlyph(const CFontGlyph &) = delete;
    CFontGlyph &operator=(const CFontGlyph &) = delete;

    bool isBold() const { return font.bold(); }
    // The font's text metrics, and whether it is an outline font (the render needs both).
    bool getOutlineTextMetrics(OUTLINETEXTMETRICW &otm) const;
    bool getTextMetrics(TEXTMETRICW &tm) const;

    // The A, B, C widths of the characters c0..c1 into sp (c1 - c0 + 1 entries).
    bool getCharWidth(char32_t c0, char32_t c1, std::span<ABC> sp);
    // A + B + C of one character; 0 on failure.
    int32_t getCharWidth(char32_t c0);

    // code := c and the glyph's metrics. A blank character gives true with sz 0 and no bitmap;
    // otherwise the bitmap (sz bytes, rows the black-box width rounded up to 4, top row first)
    // with its levels mapped to 0..255. False when the platform has no glyph for c.
    bool getGlyph(char32_t c, uint32_t &sz, std::vector<uint8_t> &ptr);
    // size := (row bytes of the last glyph, len div row bytes); true.
    bool getSize(uint32_t len, sSize &size) const;
    // Advances the pen by the last glyph: x += sp + cell increment x when that is above 0, y +=
    // ld + cell increment y when that is above 0.
    void moveNext(int32_t &x, int32_t &y, int32_t sp, int32_t ld) const;
    // From the pen on the baseline to the top-left corner of the last glyph's bitmap.
    void addOffset(int32_t &x, int32_t &y) const;
    // The same for vertical writing, where the bitmap is turned clockwise.
    void addOffsetVert(int32_t &x, int32_t &y) const;

    TDrawWindow *trgtDW = nullptr;
    TFont font;
    int32_t code = 0;
    bool bVert = false;
    GLYPHMETRICS metrics;

  private:
    std::unique_ptr<CFontRasterizer> m_dc;
};

// What the text tool hands to renderTextToChannel, and what it gets back.
struct STextRenderParam
{
    TDrawWindow *window = nullptr;
    TFont font;
    // Rendered up to its end or up to the first NUL character. A CR starts a new line (an LF right
    // after it is skipped); a surrogate pair is one character.
    QString text;
    TChannel *channel = nullptr;    // the destination, cleared to 0 by the render
    int32_t startX = 0, startY = 0; // the first pen position: x, and y of the baseline
    int32_t letterSpacing = 0;      // pixels added to every advance
    int32_t lineSpacing = 0;        // pixels added to every line height
    LOGFONTW logFont;               // filled in: the font's logical record
    sBox box;                       // filled in: the union of the drawn glyphs' boxes
};

// Lays the text into the channel (cleared first) with the font, glyph levels moved towards 255.
// Returns the number of glyphs that landed inside the channel; -1, channel untouched, when there is
// no channel or the font gives no outline metrics.
int32_t renderTextToChannel(STextRenderParam &param);
