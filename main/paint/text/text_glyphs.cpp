#include "paint/text/text_glyphs.h"

#include "core/image/channel.h"
#include "core/pixel/pixel.h"
#include "paint/render/stroke_context.h"
#include "platform/system/debug_output.h"

#include <algorithm>
#include <new>

const std::array<uint8_t, 65> gGlyphLevelTable = [] {
    std::array<uint8_t, 65> t{};
    for (uint32_t i = 0; i < t.size(); ++i)
        t[i] = uint8_t((i * 255) >> 6);
    return t;
}();

const std::array<const char16_t *, 256> gCharsetNames = [] {
    std::array<const char16_t *, 256> t{};
    t.fill(u"その他");
    t[0] = u"欧文";
    t[2] = u"シンボル";
    t[77] = u"MAC_CHARSET";
    t[128] = u"日本語";
    t[129] = u"ハングル";
    t[130] = u"ハングル";
    t[134] = u"簡体字中国語";
    t[136] = u"繁体字中国語";
    t[161] = u"ギリシャ語";
    t[162] = u"トルコ語";
    t[163] = u"ベトナム語";
    t[177] = u"ヘブライ語";
    t[178] = u"アラビア語";
    t[186] = u"バルト言語";
    t[204] = u"キリル言語";
    t[222] = u"タイ語";
    t[238] = u"中央ヨーロッパ言語";
    t[255] = u"OEM_CHARSET";
    return t;
}();

QString charsetName(uint8_t charset)
{
    return QString::fromUtf16(gCharsetNames[charset]);
}

void copyFontAttributes(TFont &dst, const TFont &src)
{
    dst.Charset = src.Charset;
    dst.Color = src.Color;
    dst.PixelsPerInch = src.PixelsPerInch;
    dst.Name = src.Name;
    // The size travels in points, at the resolution just copied.
    dst.setSize(src.size());
    dst.Style = src.Style;
}

// ---------------------------------------------------------------------------------------------
// Putting bitmaps into a channel

namespace {

// The area a bitmap covers at pos, clipped to the channel.
bool clipGlyphBox(const TChannel &channel, sPos pos, int32_t w, int32_t h, sBox &box)
{
    box = {pos.x, pos.y, w, h};
    return channel.isEnable() && w > 0 && h > 0 && channel.clipping(box);
}

} // namespace

bool drawGlyphAlpha(TChannel &channel, sPos pos, sSize size, fptrGlyphPut put, uint32_t value,
                    sBox &box, const uint8_t *bitmap)
{
    if (!clipGlyphBox(channel, pos, size.x, size.y, box))
        return false;
    for (int32_t y = box.y; y < box.y + box.h; ++y) {
        const uint8_t *src = bitmap + size_t(y - pos.y) * size_t(size.x) + (box.x - pos.x);
        uint8_t *dst = channel.seek8(box.x, y);
        for (int32_t i = 0; i < box.w; ++i)
            put(dst[i], value, src[i]);
    }
    return true;
}

bool drawGlyphAlphaVert(TChannel &channel, sPos pos, sSize size, fptrGlyphPut put, uint32_t value,
                        sBox &box, const uint8_t *bitmap)
{
    // Turned clockwise: the bitmap's bottom row becomes the left column.
    if (!clipGlyphBox(channel, pos, size.y, size.x, box))
        return false;
    for (int32_t y = box.y; y < box.y + box.h; ++y) {
        const int32_t column = y - pos.y;
        uint8_t *dst = channel.seek8(box.x, y);
        for (int32_t i = 0; i < box.w; ++i) {
            const int32_t row = size.y - 1 - (box.x + i - pos.x);
            put(dst[i], value, bitmap[size_t(row) * size_t(size.x) + column]);
        }
    }
    return true;
}

bool makeFontBold(sSize &size, std::vector<uint8_t> &bitmap)
{
    const int32_t w = size.x, h = size.y;
    if (w < 0 || h < 0 || bitmap.size() < size_t(w) * size_t(h))
        return false;
    std::vector<uint8_t> wide;
    try {
        wide.assign(size_t(w + 1) * size_t(h), 0);
    } catch (const std::bad_alloc &) {
        debugOut("makeFontBold: out of memory!");
        return false;
    }
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t *src = bitmap.data() + size_t(y) * size_t(w);
        uint8_t *dst = wide.data() + size_t(y) * size_t(w + 1);
        std::copy(src, src + w, dst);
        // The raising put of value 255 at the source level: each byte takes the larger of
        // itself and the one on its left.
        for (int32_t x = 0; x < w; ++x)
            channelPutMax(&dst[x + 1], 255, src[x]);
    }
    bitmap = std::move(wide);
    size.x = w + 1;
    return true;
}

// ---------------------------------------------------------------------------------------------
// CFontGlyph

CFontGlyph::CFontGlyph(TDrawWindow *dw, const TFont &f) : trgtDW(dw)
{
    copyFontAttributes(font, f);
    bVert = font.Name.startsWith(QChar('@'));
    m_dc = std::make_unique<CFontRasterizer>(font);
}

CFontGlyph::~CFontGlyph() = default;

bool CFontGlyph::getOutlineTextMetrics(OUTLINETEXTMETRICW &otm) const
{
    return m_dc->getOutlineTextMetrics(otm);
}

bool CFontGlyph::getTextMetrics(TEXTMETRICW &tm) const
{
    return m_dc->getTextMetrics(tm);
}

bool CFontGlyph::getCharWidth(char32_t c0, char32_t c1, std::span<ABC> sp)
{
    return m_dc->getCharABCWidths(c0, c1, sp);
}

int32_t CFontGlyph::getCharWidth(char32_t c0)
{
    ABC abc;
    if (!getCharWidth(c0, c0, std::span(&abc, 1)))
        return 0;
    return abc.abcA + int32_t(abc.abcB) + abc.abcC;
}

bool CFontGlyph::getGlyph(char32_t c, uint32_t &sz, std::vector<uint8_t> &ptr)
{
    code = int32_t(c);
    ptr.clear();
    sz = m_dc->getGlyphOutline(c, GGO_GRAY8_BITMAP, metrics);
    if (sz == GDI_ERROR)
        return false;
    if (sz == 0)
        return true;
    try {
        ptr.resize(sz);
    } catch (const std::bad_alloc &) {
        return false;
    }
    if (m_dc->getGlyphOutline(c, GGO_GRAY8_BITMAP, metrics, ptr) != sz) {
        ptr.clear();
        return false;
    }
    for (uint8_t &b : ptr)
        b = gGlyphLevelTable[std::min<uint8_t>(b, 64)];
    return true;
}

bool CFontGlyph::getSize(uint32_t len, sSize &size) const
{
    const int32_t pitch = int32_t((metrics.gmBlackBoxX + 3) & ~3u);
    size = {pitch, pitch > 0 ? int32_t(len / uint32_t(pitch)) : 0};
    return true;
}

void CFontGlyph::moveNext(int32_t &x, int32_t &y, int32_t sp, int32_t ld) const
{
    if (metrics.gmCellIncX > 0)
        x += sp + metrics.gmCellIncX;
    if (metrics.gmCellIncY > 0)
        y += ld + metrics.gmCellIncY;
}

void CFontGlyph::addOffset(int32_t &x, int32_t &y) const
{
    x += metrics.gmptGlyphOrigin.x;
    y -= metrics.gmptGlyphOrigin.y;
}

void CFontGlyph::addOffsetVert(int32_t &x, int32_t &y) const
{
    x += metrics.gmptGlyphOrigin.y - int32_t(metrics.gmBlackBoxY);
    y += metrics.gmptGlyphOrigin.x;
}

// ---------------------------------------------------------------------------------------------
// Rendering a text

namespace {

void addToBox(sBox &total, const sBox &box, bool first)
{
    if (first) {
        total = box;
        return;
    }
    sRect r = boxToRect(total);
    rectUnion(r, boxToRect(box));
    total = rectToBox(r);
}

// Draws one glyph at the pen and advances the pen; answers whether it landed in the channel.
struct TextPen
{
    CFontGlyph &glyph;
    STextRenderParam &param;
    int32_t x, y;

    bool drawAndAdvance(std::vector<uint8_t> &bits, uint32_t sz, sBox &box)
    {
        bool drawn = false;
        int32_t extra = 0;
        if (sz > 0) {
            sSize size;
            glyph.getSize(sz, size);
            if (glyph.isBold() && makeFontBold(size, bits))
                extra = 1;
            int32_t gx = x, gy = y;
            if (glyph.bVert) {
                glyph.addOffsetVert(gx, gy);
                drawn = drawGlyphAlphaVert(*param.channel, {gx, gy}, size, mixByteVar, 255, box,
                                           bits.data());
            } else {
                glyph.addOffset(gx, gy);
                drawn = drawGlyphAlpha(*param.channel, {gx, gy}, size, mixByteVar, 255, box,
                                       bits.data());
            }
        }
        // Vertical lines run downwards: the advance along the line goes to y.
        if (glyph.bVert)
            glyph.moveNext(y, x, param.letterSpacing + extra, param.lineSpacing);
        else
            glyph.moveNext(x, y, param.letterSpacing + extra, param.lineSpacing);
        return drawn;
    }
};

} // namespace

int32_t renderTextToChannel(STextRenderParam &param)
{
    if (!param.channel)
        return -1;
    CFontGlyph glyph(param.window, param.font);
    OUTLINETEXTMETRICW otm;
    TEXTMETRICW tm;
    if (!glyph.getOutlineTextMetrics(otm) || !glyph.getTextMetrics(tm))
        return -1;
    param.logFont = getLogFont(glyph.font);

    const int32_t lineHeight = tm.tmHeight + tm.tmExternalLeading + param.lineSpacing;
    sPos lineStart{param.startX, param.startY};
    TextPen pen{glyph, param, lineStart.x, lineStart.y};
    param.channel->PixelFill(0);
    param.box = {};

    int32_t count = 0;
    std::vector<uint8_t> bits;
    const QString &text = param.text;
    for (qsizetype i = 0; i < text.size();) {
        const char32_t c = nextCodePoint(text, i);
        if (c == 0)
            break;
        if (c == '\r') {
            if (glyph.bVert)
                lineStart.x -= lineHeight;
            else
                lineStart.y += lineHeight;
            pen.x = lineStart.x;
            pen.y = lineStart.y;
            if (i < text.size() && text[i] == QChar('\n'))
                ++i;
            continue;
        }
        uint32_t sz = 0;
        if (!glyph.getGlyph(c, sz, bits))
            continue;
        sBox box;
        if (pen.drawAndAdvance(bits, sz, box)) {
            addToBox(param.box, box, count == 0);
            ++count;
        }
    }
    return count;
}
