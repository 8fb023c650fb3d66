#include "platform/desktop/font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr int32_t kDefaultEmPixels = 12;
// Heights come from event files too: a character height beyond this is refused, since its glyph
// bitmaps alone would take gigabytes.
constexpr int64_t kMaxEmPixels = 8192;
const char *const kJapaneseFallback = "Noto Sans CJK JP";

// Windows MulDiv: the 64-bit product divided with rounding half away from zero; -1 for c = 0.
int32_t mulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0) {
        return -1;
    }
    const int64_t p = int64_t(a) * b;
    const int64_t q = (std::llabs(p) + std::llabs(c) / 2) / std::llabs(c);
    return int32_t((p < 0) != (c < 0) ? -q : q);
}

// The language fontconfig should prefer for a character set, or nullptr for none.
const char *languageOfCharset(uint8_t charset)
{
    switch (charset) {
    case ANSI_CHARSET:
        return "en";
    case SHIFTJIS_CHARSET:
        return "ja";
    case 129:
    case 130:
        return "ko";
    case 134:
        return "zh-cn";
    case 136:
        return "zh-tw";
    case 161:
        return "el";
    case 162:
        return "tr";
    case 163:
        return "vi";
    case 177:
        return "he";
    case 178:
        return "ar";
    case 186:
        return "lt";
    case 204:
        return "ru";
    case 222:
        return "th";
    case 238:
        return "cs";
    default:
        return nullptr;
    }
}

// East Asian wide and full-width characters: the ones a vertical face turns along the line.
bool isWideCodePoint(char32_t c)
{
    static const std::pair<char32_t, char32_t> ranges[] = {
        {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF}, {0x3400, 0x4DBF},
        {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},
        {0xFE10, 0xFE19},   {0xFE30, 0xFE4F},   {0xFF00, 0xFF60}, {0xFFE0, 0xFFE6},
        {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
    };
    return std::any_of(std::begin(ranges), std::end(ranges),
                       [c](const auto &r) { return c >= r.first && c <= r.second; });
}

// Wide characters that vertical text shows turned (the long-vowel mark, dashes, the wave dash):
// left unturned here, so the renderer's clockwise turn lays them along the column.
bool turnsInVerticalText(char32_t c)
{
    switch (c) {
    case 0x30FC: // ー
    case 0x301C: // 〜
    case 0xFF5E: // ～
    case 0xFF0D: // －
    case 0xFF1D: // ＝
    case 0x2015: // ―
        return true;
    default:
        return false;
    }
}

// The vertical presentation form of punctuation, or 0.
char32_t verticalForm(char32_t c)
{
    static const std::pair<char32_t, char32_t> forms[] = {
        {0x3001, 0xFE11}, {0x3002, 0xFE12}, {0xFF0C, 0xFE10}, {0x300C, 0xFE41}, {0x300D, 0xFE42},
        {0x300E, 0xFE43}, {0x300F, 0xFE44}, {0xFF08, 0xFE35}, {0xFF09, 0xFE36}, {0x3010, 0xFE3B},
        {0x3011, 0xFE3C}, {0x3014, 0xFE39}, {0x3015, 0xFE3A}, {0xFF5B, 0xFE37}, {0xFF5D, 0xFE38},
        {0x3008, 0xFE3F}, {0x3009, 0xFE40}, {0x300A, 0xFE3D}, {0x300B, 0xFE3E}, {0xFF1A, 0xFE13},
        {0xFF1B, 0xFE14}, {0xFF01, 0xFE15}, {0xFF1F, 0xFE16}, {0x2026, 0xFE19}, {0x2025, 0xFE30},
    };
    for (const auto &[from, to] : forms) {
        if (from == c) {
            return to;
        }
    }
    return 0;
}

int32_t roundPixels(double v)
{
    return int32_t(std::lrint(v));
}

const TT_OS2 *os2Table(FT_Face face)
{
    const auto *os2 = static_cast<const TT_OS2 *>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    return (os2 && os2->version != 0xFFFF) ? os2 : nullptr;
}

// The design units from the top of the cell to its bottom, as the platform measures a positive
// font height: the Windows ascent and descent when the face has them.
double cellUnits(FT_Face face)
{
    if (const TT_OS2 *os2 = os2Table(face); os2 && os2->usWinAscent + os2->usWinDescent > 0) {
        return double(os2->usWinAscent) + os2->usWinDescent;
    }
    return double(face->ascender) - face->descender;
}

// One face that may supply glyphs, opened on first use.
struct Candidate
{
    QByteArray file;
    int index = 0;
    FcCharSet *chars = nullptr; // owned; nullptr: coverage unknown, ask the face
    FT_Face face = nullptr;     // owned
    bool opened = false;
    bool embolden = false;
    bool oblique = false;
};

// A rendered glyph before it is put into the platform's format: coverage 0..255, one byte per
// pixel, top row first; positions in pixels, y up.
struct Rendered
{
    int width = 0, rows = 0, left = 0, top = 0, advance = 0;
    std::vector<uint8_t> coverage;
    bool blank() const { return width == 0 || rows == 0; }
};

} // namespace

struct CFontRasterizer::Impl
{
    TFont font;
    bool vertical = false;
    QString family;
    FT_Library library = nullptr;
    std::vector<Candidate> candidates;
    FT_Face primary = nullptr;
    FT_F26Dot6 em26 = 0; // character height, 26.6 pixels

    ~Impl()
    {
        for (Candidate &c : candidates) {
            if (c.face) {
                FT_Done_Face(c.face);
            }
            if (c.chars) {
                FcCharSetDestroy(c.chars);
            }
        }
        if (library) {
            FT_Done_FreeType(library);
        }
    }

    FcPattern *makePattern(const QByteArray &familyName) const
    {
        FcPattern *pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY,
                           reinterpret_cast<const FcChar8 *>(familyName.constData()));
        FcPatternAddInteger(pattern, FC_WEIGHT, font.bold() ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
        FcPatternAddInteger(pattern, FC_SLANT, font.italic() ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
        if (const char *lang = languageOfCharset(font.Charset)) {
            FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8 *>(lang));
        }
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        return pattern;
    }

    void addCandidate(FcPattern *match)
    {
        FcChar8 *file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch) {
            return;
        }
        int index = 0;
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        const QByteArray path(reinterpret_cast<const char *>(file));
        for (const Candidate &c : candidates) {
            if (c.file == path && c.index == index) {
                return;
            }
        }
        Candidate c;
        c.file = path;
        c.index = index;
        FcCharSet *chars = nullptr;
        if (FcPatternGetCharSet(match, FC_CHARSET, 0, &chars) == FcResultMatch) {
            c.chars = FcCharSetCopy(chars);
        }
        candidates.push_back(std::move(c));
    }

    // The best match of the family first, then the Japanese fallback, then fontconfig's other
    // choices in its order.
    void resolve()
    {
        const QByteArray requested = family.toUtf8();
        FcPattern *pattern = makePattern(requested);
        FcResult result = FcResultNoMatch;
        FcFontSet *sorted = FcFontSort(nullptr, pattern, FcTrue, nullptr, &result);
        if (sorted && sorted->nfont > 0) {
            addCandidate(sorted->fonts[0]);
        }

        FcPattern *japanese = makePattern(kJapaneseFallback);
        if (FcPattern *match = FcFontMatch(nullptr, japanese, &result)) {
            FcChar8 *name = nullptr;
            if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch &&
                qstrcmp(reinterpret_cast<const char *>(name), kJapaneseFallback) == 0) {
                addCandidate(match);
            }
            FcPatternDestroy(match);
        }
        FcPatternDestroy(japanese);

        if (sorted) {
            for (int i = 1; i < sorted->nfont; ++i) {
                addCandidate(sorted->fonts[i]);
            }
            FcFontSetDestroy(sorted);
        }
        FcPatternDestroy(pattern);
    }

    FT_Face open(Candidate &c)
    {
        if (c.opened) {
            return c.face;
        }
        c.opened = true;
        if (FT_New_Face(library, c.file.constData(), c.index, &c.face) != 0) {
            c.face = nullptr;
            return nullptr;
        }
        const TT_OS2 *os2 = os2Table(c.face);
        const bool boldFace =
            (c.face->style_flags & FT_STYLE_FLAG_BOLD) || (os2 && os2->usWeightClass >= 600);
        c.embolden = font.bold() && !boldFace;
        c.oblique = font.italic() && !(c.face->style_flags & FT_STYLE_FLAG_ITALIC);
        if (em26 > 0 && !setSize(c.face)) {
            FT_Done_Face(c.face);
            c.face = nullptr;
        }
        return c.face;
    }

    bool setSize(FT_Face face) const
    {
        if (FT_IS_SCALABLE(face)) {
            return FT_Set_Char_Size(face, 0, em26, 72, 72) == 0;
        }
        // A bitmap face has fixed strikes: take the one nearest the character height.
        int best = -1;
        for (int i = 0; i < face->num_fixed_sizes; ++i) {
            if (best < 0 || std::llabs(face->available_sizes[i].y_ppem - em26) <
                                std::llabs(face->available_sizes[best].y_ppem - em26)) {
                best = i;
            }
        }
        return best >= 0 && FT_Select_Size(face, best) == 0;
    }

    // The character height from the font's Height, measured on the primary face.
    FT_F26Dot6 emFromHeight(FT_Face face) const
    {
        if (font.Height < 0) {
            return FT_F26Dot6(-int64_t(font.Height) * 64);
        }
        if (font.Height == 0 || !FT_IS_SCALABLE(face) || cellUnits(face) <= 0) {
            return FT_F26Dot6(std::abs(font.Height == 0 ? kDefaultEmPixels : font.Height) * 64);
        }
        return FT_F26Dot6(std::lrint(font.Height * 64.0 * face->units_per_EM / cellUnits(face)));
    }

    // The first candidate that opens and takes the font's size gives the metrics of the font.
    void openPrimary()
    {
        for (Candidate &c : candidates) {
            FT_Face face = open(c);
            if (!face) {
                continue;
            }
            em26 = emFromHeight(face);
            if (em26 > kMaxEmPixels * 64) {
                em26 = 0;
                return;
            }
            if (em26 > 0 && setSize(face)) {
                primary = face;
                family = QString::fromUtf8(face->family_name ? face->family_name : "");
                return;
            }
            FT_Done_Face(c.face);
            c.face = nullptr;
            em26 = 0;
        }
    }

    // The face and glyph index that render a code point, by the candidates' order.
    bool find(char32_t code, Candidate *&owner, FT_UInt &glyph)
    {
        for (Candidate &c : candidates) {
            if (c.chars && !FcCharSetHasChar(c.chars, code)) {
                continue;
            }
            FT_Face face = open(c);
            if (!face) {
                continue;
            }
            if (const FT_UInt index = FT_Get_Char_Index(face, code)) {
                owner = &c;
                glyph = index;
                return true;
            }
        }
        return false;
    }

    static bool copyCoverage(const FT_Bitmap &bitmap, Rendered &out)
    {
        out.width = int(bitmap.width);
        out.rows = int(bitmap.rows);
        out.coverage.assign(size_t(out.width) * size_t(out.rows), 0);
        const int stride = std::abs(bitmap.pitch);
        for (int r = 0; r < out.rows; ++r) {
            // A negative pitch stores the rows bottom first.
            const int memoryRow = bitmap.pitch >= 0 ? r : out.rows - 1 - r;
            const uint8_t *src = bitmap.buffer + size_t(memoryRow) * size_t(stride);
            uint8_t *dst = out.coverage.data() + size_t(r) * size_t(out.width);
            for (int x = 0; x < out.width; ++x) {
                if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
                    dst[x] = (src[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
                } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
                    const int grays = std::max(2, int(bitmap.num_grays));
                    dst[x] = uint8_t(src[x] * 255 / (grays - 1));
                } else {
                    return false;
                }
            }
        }
        return true;
    }

    bool renderGlyph(Candidate &owner, FT_UInt glyph, Rendered &out)
    {
        FT_Face face = owner.face;
        const FT_Int32 flags = FT_IS_SCALABLE(face) ? FT_LOAD_NO_BITMAP : FT_LOAD_DEFAULT;
        if (FT_Load_Glyph(face, glyph, flags) != 0) {
            return false;
        }
        FT_GlyphSlot slot = face->glyph;
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            if (owner.oblique) {
                FT_GlyphSlot_Oblique(slot);
            }
            if (owner.embolden) {
                FT_GlyphSlot_Embolden(slot);
            }
        }
        if (slot->format != FT_GLYPH_FORMAT_BITMAP &&
            FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
            return false;
        }
        out.left = slot->bitmap_left;
        out.top = slot->bitmap_top;
        out.advance = int((slot->advance.x + 32) >> 6);
        return copyCoverage(slot->bitmap, out);
    }

    // Pixels from the baseline up to the top of the em box of a face.
    double emTop(FT_Face face) const
    {
        const double em = em26 / 64.0;
        if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
            return face->size->metrics.ascender / 64.0;
        }
        const double scale = em / face->units_per_EM;
        if (const TT_OS2 *os2 = os2Table(face); os2 && os2->sTypoAscender > 0) {
            return os2->sTypoAscender * scale;
        }
        const double height = double(face->ascender) - face->descender;
        return height > 0 ? face->ascender * em / height : em;
    }

    // Turns a glyph 90 degrees counter-clockwise into the vertical face's line: the em box's top
    // comes first along the line, and the glyph is centred across it on the line's middle between
    // the font's ascent and descent.
    void turnForVerticalLine(FT_Face face, Rendered &g) const
    {
        TEXTMETRICW tm;
        textMetrics(tm);
        const int top = roundPixels(emTop(face));
        const int middle = (tm.tmAscent - tm.tmDescent) / 2;
        Rendered t;
        t.width = g.rows;
        t.rows = g.width;
        t.coverage.assign(g.coverage.size(), 0);
        for (int r = 0; r < g.rows; ++r) {
            for (int c = 0; c < g.width; ++c) {
                t.coverage[size_t(g.width - 1 - c) * size_t(t.width) + size_t(r)] =
                    g.coverage[size_t(r) * size_t(g.width) + size_t(c)];
            }
        }
        t.left = top - g.top;
        t.top = g.left + g.width - g.advance / 2 + middle;
        t.advance = g.advance;
        g = std::move(t);
    }

    bool render(char32_t code, Rendered &out)
    {
        Candidate *owner = nullptr;
        FT_UInt glyph = 0;
        if (vertical) {
            if (const char32_t form = verticalForm(code); form && find(form, owner, glyph)) {
                code = form;
            }
        }
        if (!owner && !find(code, owner, glyph)) {
            return false;
        }
        if (!renderGlyph(*owner, glyph, out)) {
            return false;
        }
        if (vertical && isWideCodePoint(code) && !turnsInVerticalText(code)) {
            turnForVerticalLine(owner->face, out);
        }
        return true;
    }

    // Metrics of an outline face from its tables, as the platform derives them.
    void outlineMetrics(FT_Face face, TEXTMETRICW &tm) const
    {
        const double scale = em26 / 64.0 / face->units_per_EM;
        const TT_OS2 *os2 = os2Table(face);
        const double cell = cellUnits(face);
        const bool windowsCell = os2 && os2->usWinAscent + os2->usWinDescent > 0;
        tm.tmAscent = roundPixels((windowsCell ? os2->usWinAscent : face->ascender) * scale);
        tm.tmHeight = roundPixels(cell * scale);
        // The line gap the font asks for, less what the Windows cell already adds over the
        // typographic one.
        const double hheaHeight = double(face->ascender) - face->descender;
        const double lineGap = double(face->height) - hheaHeight;
        tm.tmExternalLeading = std::max(0, roundPixels((lineGap - (cell - hheaHeight)) * scale));
        const double average =
            (os2 && os2->xAvgCharWidth > 0) ? os2->xAvgCharWidth : face->max_advance_width / 2.0;
        tm.tmAveCharWidth = roundPixels(average * scale);
        tm.tmMaxCharWidth = roundPixels(double(face->bbox.xMax - face->bbox.xMin) * scale);
        if (os2) {
            tm.tmFirstChar = char16_t(os2->usFirstCharIndex);
            tm.tmLastChar = char16_t(os2->usLastCharIndex);
        }
        tm.tmPitchAndFamily = 2 | 4; // vector, TrueType
    }

    static void bitmapMetrics(FT_Face face, TEXTMETRICW &tm)
    {
        const FT_Size_Metrics &m = face->size->metrics;
        tm.tmAscent = int32_t((m.ascender + 32) >> 6);
        tm.tmHeight = tm.tmAscent + int32_t((-m.descender + 32) >> 6);
        tm.tmAveCharWidth = int32_t((m.max_advance + 32) >> 7);
        tm.tmMaxCharWidth = int32_t((m.max_advance + 32) >> 6);
    }

    void textMetrics(TEXTMETRICW &tm) const
    {
        FT_Face face = primary;
        tm = TEXTMETRICW{};
        if (FT_IS_SCALABLE(face) && face->units_per_EM > 0) {
            outlineMetrics(face, tm);
        } else {
            bitmapMetrics(face, tm);
        }
        if (!FT_IS_FIXED_WIDTH(face)) {
            tm.tmPitchAndFamily |= 1; // the platform's bit means "variable pitch"
        }
        tm.tmDescent = tm.tmHeight - tm.tmAscent;
        tm.tmInternalLeading = tm.tmHeight - roundPixels(em26 / 64.0);
        tm.tmWeight = font.bold() ? 700 : 400;
        tm.tmItalic = font.italic();
        tm.tmUnderlined = (font.Style & fsUnderline) != 0;
        tm.tmStruckOut = (font.Style & fsStrikeOut) != 0;
        tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = font.PixelsPerInch;
        tm.tmDefaultChar = u'?';
        tm.tmBreakChar = u' ';
        tm.tmCharSet = font.Charset;
        if (font.Charset == DEFAULT_CHARSET) {
            // The platform reports the character set it chose: Japanese when the face has kana.
            tm.tmCharSet = FT_Get_Char_Index(face, 0x3042) ? SHIFTJIS_CHARSET : ANSI_CHARSET;
        }
    }
};

int32_t TFont::size() const
{
    return -mulDiv(Height, 72, PixelsPerInch);
}

void TFont::setSize(int32_t points)
{
    Height = -mulDiv(points, PixelsPerInch, 72);
}

LOGFONTW getLogFont(const TFont &font)
{
    LOGFONTW lf;
    lf.lfHeight = font.Height;
    lf.lfWeight = font.bold() ? 700 : 400;
    lf.lfItalic = font.italic();
    lf.lfUnderline = (font.Style & fsUnderline) != 0;
    lf.lfStrikeOut = (font.Style & fsStrikeOut) != 0;
    lf.lfCharSet = font.Charset;
    const qsizetype n = std::min<qsizetype>(font.Name.size(), 31);
    for (qsizetype i = 0; i < n; ++i) {
        lf.lfFaceName[i] = font.Name[i].unicode();
    }
    return lf;
}

TFont fontFromLogFont(const LOGFONTW &lf, int32_t pixelsPerInch)
{
    TFont font;
    const char16_t *end = std::find(std::begin(lf.lfFaceName), std::end(lf.lfFaceName), u'\0');
    font.Name = QString::fromUtf16(lf.lfFaceName, end - lf.lfFaceName);
    font.Charset = lf.lfCharSet;
    font.Height = lf.lfHeight;
    font.PixelsPerInch = pixelsPerInch;
    font.Style = uint8_t((lf.lfWeight >= 600 ? fsBold : 0) | (lf.lfItalic ? fsItalic : 0) |
                         (lf.lfUnderline ? fsUnderline : 0) | (lf.lfStrikeOut ? fsStrikeOut : 0));
    return font;
}

char32_t nextCodePoint(QStringView text, qsizetype &index)
{
    const char16_t unit = text[index].unicode();
    ++index;
    if (QChar::isHighSurrogate(unit) && index < text.size() &&
        QChar::isLowSurrogate(text[index].unicode())) {
        return QChar::surrogateToUcs4(unit, text[index++].unicode());
    }
    return unit;
}

CFontRasterizer::CFontRasterizer(const TFont &font) : d(std::make_unique<Impl>())
{
    d->font = font;
    d->vertical = font.Name.startsWith(u'@');
    d->family = d->vertical ? font.Name.mid(1) : font.Name;
    if (FT_Init_FreeType(&d->library) != 0) {
        d->library = nullptr;
        return;
    }
    d->resolve();
    d->openPrimary();
}

CFontRasterizer::~CFontRasterizer() = default;

bool CFontRasterizer::isValid() const
{
    return d->primary != nullptr;
}

QString CFontRasterizer::familyName() const
{
    return isValid() ? d->family : QString();
}

bool CFontRasterizer::isVertical() const
{
    return d->vertical;
}

double CFontRasterizer::emPixels() const
{
    return d->em26 / 64.0;
}

uint32_t CFontRasterizer::getGlyphOutline(char32_t code, uint32_t format, GLYPHMETRICS &metrics,
                                          std::span<uint8_t> buffer)
{
    Rendered g;
    if (!isValid() || format != GGO_GRAY8_BITMAP || !d->render(code, g)) {
        return GDI_ERROR;
    }
    GLYPHMETRICS m;
    m.gmCellIncX = int16_t(g.advance);
    if (g.blank()) {
        m.gmBlackBoxX = m.gmBlackBoxY = 1;
        metrics = m;
        return 0;
    }
    m.gmBlackBoxX = uint32_t(g.width);
    m.gmBlackBoxY = uint32_t(g.rows);
    m.gmptGlyphOrigin.x = g.left;
    m.gmptGlyphOrigin.y = g.top;
    const size_t pitch = (size_t(g.width) + 3) & ~size_t(3);
    const size_t needed = pitch * size_t(g.rows);
    if (buffer.empty()) {
        metrics = m;
        return uint32_t(needed);
    }
    if (buffer.size() < needed) {
        return GDI_ERROR;
    }
    std::fill(buffer.begin(), buffer.begin() + ptrdiff_t(needed), uint8_t(0));
    for (int r = 0; r < g.rows; ++r) {
        for (int c = 0; c < g.width; ++c) {
            // Coverage 0..255 to the platform's 65 grey levels, rounded.
            const int v = g.coverage[size_t(r) * size_t(g.width) + size_t(c)];
            buffer[size_t(r) * pitch + size_t(c)] = uint8_t((v * 64 + 127) / 255);
        }
    }
    metrics = m;
    return uint32_t(needed);
}

bool CFontRasterizer::getCharABCWidths(char32_t first, char32_t last, std::span<ABC> widths)
{
    if (!isValid() || last < first || widths.size() < size_t(last - first) + 1) {
        return false;
    }
    for (char32_t c = first; c <= last; ++c) {
        ABC abc;
        Rendered g;
        if (d->render(c, g)) {
            if (g.blank()) {
                abc.abcC = g.advance;
            } else {
                abc.abcA = g.left;
                abc.abcB = uint32_t(g.width);
                abc.abcC = g.advance - g.left - g.width;
            }
        }
        widths[c - first] = abc;
    }
    return true;
}

bool CFontRasterizer::getTextMetrics(TEXTMETRICW &metrics) const
{
    if (!isValid()) {
        return false;
    }
    d->textMetrics(metrics);
    return true;
}

bool CFontRasterizer::getOutlineTextMetrics(OUTLINETEXTMETRICW &metrics) const
{
    if (!isValid() || !FT_IS_SCALABLE(d->primary) || d->primary->units_per_EM == 0) {
        return false;
    }
    FT_Face face = d->primary;
    OUTLINETEXTMETRICW otm;
    d->textMetrics(otm.otmTextMetrics);
    const double scale = d->em26 / 64.0 / face->units_per_EM;
    otm.otmEMSquare = face->units_per_EM;
    if (const TT_OS2 *os2 = os2Table(face)) {
        otm.otmAscent = roundPixels(os2->sTypoAscender * scale);
        otm.otmDescent = roundPixels(os2->sTypoDescender * scale);
        otm.otmLineGap = uint32_t(std::max(0, roundPixels(os2->sTypoLineGap * scale)));
    } else {
        otm.otmAscent = roundPixels(face->ascender * scale);
        otm.otmDescent = roundPixels(face->descender * scale);
        otm.otmLineGap = uint32_t(
            std::max(0, roundPixels((face->height - face->ascender + face->descender) * scale)));
    }
    metrics = otm;
    return true;
}
