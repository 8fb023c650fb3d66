// Font outlines and metrics: what the text tool gets from the platform's glyph services. A font is
// described as the class library describes it (`TFont`: family name, character set, height, style)
// and keeps the family names the program uses ("MS UI Gothic", "Tahoma", "@MS Gothic", ...);
// fontconfig resolves them to installed faces, FreeType renders them, and Noto Sans CJK JP stands
// behind every font for the Japanese characters its face lacks.
//
// `CFontRasterizer` stands where the program selects a font into a device context: it answers the
// grey-level glyph bitmaps (as GetGlyphOutlineW with GGO_GRAY8_BITMAP), the A, B, C widths of
// characters, and the text metrics, all in pixels. Characters are code points: a surrogate pair of
// the UTF-16 text is one character (`nextCodePoint`).
//
// Vertical writing: a family name beginning with "@" names the vertical face of the family. As on
// the original platform, its wide (East Asian) characters come rotated by 90 degrees
// counter-clockwise, laid along the line, so that a renderer that turns each glyph clockwise and
// runs the line downwards shows them upright; narrow characters (Latin) come unrotated and so end
// up lying on their side. Vertical punctuation (the ideographic comma and full stop, brackets) is
// taken from the vertical presentation forms where the face has them.
#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>
#include <span>

// Style bits of `TFont::Style`.
enum TFontStyleBits : uint8_t
{
    fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8,
};

// Character-set codes of fonts, as the profile and event files store them.
constexpr uint8_t ANSI_CHARSET = 0;
constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t SHIFTJIS_CHARSET = 128;

// A font description. `Height` is in pixels: negative gives the character (em) height, positive
// the cell height (ascent + descent), 0 a default of 12 pixels of character height. The point size
// is derived from it through `PixelsPerInch`.
struct TFont
{
    QString Name = "Tahoma";
    uint8_t Charset = DEFAULT_CHARSET;
    int32_t Height = -11;
    int32_t PixelsPerInch = 96;
    uint8_t Style = 0;  // TFontStyleBits
    uint32_t Color = 0; // 0x00BBGGRR

    // Points: -MulDiv(Height, 72, PixelsPerInch).
    int32_t size() const;
    // Height := -MulDiv(points, PixelsPerInch, 72).
    void setSize(int32_t points);
    bool bold() const { return Style & fsBold; }
    bool italic() const { return Style & fsItalic; }
};

// The logical-font record, byte for byte as text events store it (92 bytes, little-endian).
#pragma pack(push, 1)
struct LOGFONTW
{
    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0; // 400 normal, 700 bold
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char16_t lfFaceName[32] = {}; // zero-terminated
};
#pragma pack(pop)
static_assert(sizeof(LOGFONTW) == 92);

// The font's logical record (as GetObjectW gives it): the face name cut to 31 UTF-16 units.
LOGFONTW getLogFont(const TFont &font);
// A font description from a logical record, at the given resolution.
TFont fontFromLogFont(const LOGFONTW &lf, int32_t pixelsPerInch = 96);

// Metrics of one glyph, in pixels. The origin is the top-left corner of the black box relative to
// the pen on the baseline, y pointing up; the cell increments advance the pen.
struct GLYPHMETRICS
{
    uint32_t gmBlackBoxX = 0;
    uint32_t gmBlackBoxY = 0;
    struct
    {
        int32_t x = 0, y = 0;
    } gmptGlyphOrigin;
    int16_t gmCellIncX = 0;
    int16_t gmCellIncY = 0;
};

// Widths of one character: A the space before the black box, B the black box, C the space after
// (negative for overhangs); A + B + C is the advance.
struct ABC
{
    int32_t abcA = 0;
    uint32_t abcB = 0;
    int32_t abcC = 0;
};

// Text metrics of a font in pixels.
struct TEXTMETRICW
{
    int32_t tmHeight = 0; // tmAscent + tmDescent
    int32_t tmAscent = 0;
    int32_t tmDescent = 0;
    int32_t tmInternalLeading = 0; // tmHeight minus the character (em) height
    int32_t tmExternalLeading = 0; // extra space the font asks for between lines
    int32_t tmAveCharWidth = 0;
    int32_t tmMaxCharWidth = 0;
    int32_t tmWeight = 0;
    int32_t tmOverhang = 0;
    int32_t tmDigitizedAspectX = 0;
    int32_t tmDigitizedAspectY = 0;
    char16_t tmFirstChar = 0;
    char16_t tmLastChar = 0;
    char16_t tmDefaultChar = 0;
    char16_t tmBreakChar = 0;
    uint8_t tmItalic = 0;
    uint8_t tmUnderlined = 0;
    uint8_t tmStruckOut = 0;
    uint8_t tmPitchAndFamily = 0; // TMPF_ bits: 1 variable pitch, 2 vector, 4 TrueType
    uint8_t tmCharSet = 0;
};

// The outline metrics the program reads; only outline (scalable) fonts have them.
struct OUTLINETEXTMETRICW
{
    TEXTMETRICW otmTextMetrics;
    uint32_t otmEMSquare = 0; // design units per em
    int32_t otmAscent = 0;    // typographic ascent, pixels
    int32_t otmDescent = 0;   // typographic descent, pixels (negative below the baseline)
    uint32_t otmLineGap = 0;  // typographic line gap, pixels
};

constexpr uint32_t GGO_GRAY8_BITMAP = 6; // bitmap of levels 0..64, rows padded to 4 bytes
constexpr uint32_t GDI_ERROR = 0xFFFFFFFFu;

// The code point at `index` of a UTF-16 text, moving `index` past it: a surrogate pair is one code
// point; a lone surrogate comes back as itself (no font renders it).
char32_t nextCodePoint(QStringView text, qsizetype &index);

class CFontRasterizer
{
  public:
    // Resolves the font's family (without a leading "@") with its weight, slant and the language
    // of its character set, and opens the face at the font's pixel size. Faces whose weight or
    // slant does not match get emboldened or slanted glyphs.
    explicit CFontRasterizer(const TFont &font);
    ~CFontRasterizer();
    CFontRasterizer(const CFontRasterizer &) = delete;
    CFontRasterizer &operator=(const CFontRasterizer &) = delete;

    // False when no face could be opened at all; every query then fails.
    bool isValid() const;
    // The family that fontconfig resolved the name to.
    QString familyName() const;
    // The font name begins with "@".
    bool isVertical() const;
    // The character (em) height in pixels that glyphs are rendered at.
    double emPixels() const;

    // The grey-level bitmap of a character, as GetGlyphOutlineW with the identity matrix: with an
    // empty buffer the number of bytes the bitmap needs; with a buffer at least that large the
    // bitmap, top row first, each row gmBlackBoxX bytes rounded up to a multiple of 4, levels
    // 0..64. A blank character (space) gives 0 and a 1 x 1 black box with its cell increment.
    // GDI_ERROR when no installed face has the character, for another format, or for a short
    // buffer. `metrics` is filled in on every success.
    uint32_t getGlyphOutline(char32_t code, uint32_t format, GLYPHMETRICS &metrics,
                             std::span<uint8_t> buffer = {});

    // The A, B, C widths of the characters first..last into `widths` (last - first + 1 entries).
    // A character no face has gets zero widths. False when the range or the buffer is wrong.
    bool getCharABCWidths(char32_t first, char32_t last, std::span<ABC> widths);

    bool getTextMetrics(TEXTMETRICW &metrics) const;
    // False for a bitmap-only face, as the original platform refuses bitmap fonts.
    bool getOutlineTextMetrics(OUTLINETEXTMETRICW &metrics) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
