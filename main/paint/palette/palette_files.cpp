#include "paint/palette/palette_files.h"

#include "core/pixel/colour_models.h"
#include "core/base/numeric.h"
#include "platform/desktop/messages.h"

#include <QFileInfo>
#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kBinaryTag[4] = {'Q', 'P', 'A', 'L'};
constexpr int32_t kBinaryHeadSize = 20;
constexpr int32_t kAcoEntrySize = 10;

TColor32 rgb(int32_t r, int32_t g, int32_t b, uint8_t fourth)
{
    TColor32 c;
    c.r = uint8_t(r);
    c.g = uint8_t(g);
    c.b = uint8_t(b);
    c.a = fourth;
    return c;
}

SPaletteLayout clampedLayout(int64_t w, int64_t h, int64_t perRow, int64_t perColumn)
{
    auto clamp = [](int64_t v, int32_t lo, int32_t hi) {
        return int32_t(std::clamp<int64_t>(v, lo, hi));
    };
    SPaletteLayout l;
    l.itemSize = {clamp(w, 8, 64), clamp(h, 8, 64)};
    l.repeatSize = {clamp(perRow, 1, 64), clamp(perColumn, 1, 64)};
    return l;
}

// ---------------------------------------------------------------------------------------------
// Text colour sets

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// A scanner over one line of single-byte text.
struct LineScanner
{
    const char *p;
    const char *end;

    void skipBlanks()
    {
        while (p < end && isBlank(*p)) {
            ++p;
        }
    }
    // The keyword in any letter case at p; moves past it when it is there.
    bool take(const char *keyword)
    {
        const size_t n = std::strlen(keyword);
        if (size_t(end - p) < n) {
            return false;
        }
        for (size_t i = 0; i < n; ++i) {
            if (upper(p[i]) != keyword[i]) {
                return false;
            }
        }
        p += n;
        return true;
    }
    // Decimal digits after optional blanks, saturating; false (p unchanged) without a digit.
    bool number(int64_t &value)
    {
        const char *q = p;
        while (q < end && isBlank(*q)) {
            ++q;
        }
        if (q == end || *q < '0' || *q > '9') {
            return false;
        }
        int64_t v = 0;
        for (; q < end && *q >= '0' && *q <= '9'; ++q) {
            v = std::min<int64_t>(v * 10 + (*q - '0'), INT32_MAX);
        }
        value = v;
        p = q;
        return true;
    }
    void skipToken()
    {
        while (p < end && !isBlank(*p)) {
            ++p;
        }
    }
};

struct TextPaletteState
{
    int64_t rows = -1, cols = -1, width = -1, height = -1;
    std::vector<TColor32> colors;
};

// One line: keywords set the layout, "R:", "G:", "B:" the components of one colour, which is
// complete at the line's end when at least one component was given.
void scanTextLine(LineScanner s, TextPaletteState &st)
{
    struct Keyword
    {
        const char *text;
        int64_t *target;
        bool component;
    };
    int64_t ignored = 0;
    int64_t comp[3] = {0, 0, 0};
    bool anyComponent = false;
    const Keyword keywords[] = {
        {"R:", &comp[0], true},        {"G:", &comp[1], true},
        {"B:", &comp[2], true},        {"ROWS", &st.rows, false},
        {"COLS", &st.cols, false},     {"WIDTH", &st.width, false},
        {"HEIGHT", &st.height, false}, {"TEXTHEIGHT", &ignored, false},
        {"SPACING", &ignored, false},
    };
    for (;;) {
        s.skipBlanks();
        if (s.p >= s.end) {
            break;
        }
        if (*s.p == ',') {
            ++s.p;
            continue;
        }
        const char *tokenStart = s.p;
        bool done = false;
        for (const Keyword &k : keywords) {
            s.p = tokenStart;
            int64_t v = 0;
            if (s.take(k.text) && s.number(v)) {
                *k.target = v;
                anyComponent |= k.component;
                done = true;
                break;
            }
        }
        if (!done) {
            s.p = tokenStart;
            s.skipToken();
        }
    }
    if (anyComponent) {
        st.colors.push_back(rgb(int32_t(std::min<int64_t>(comp[0], 255)),
                                int32_t(std::min<int64_t>(comp[1], 255)),
                                int32_t(std::min<int64_t>(comp[2], 255)), 0));
    }
}

// ---------------------------------------------------------------------------------------------
// Adobe colour swatches

uint16_t be16(const uint8_t *p)
{
    return qFromBigEndian<uint16_t>(p);
}

// A 16-bit component scaled to 0..255 as 16.16.
int32_t fixScale(uint16_t v, int32_t range)
{
    return fixDiv(int32_t(v) * 255, range);
}

// One entry: false when its colour space is not one the program reads.
bool acoColor(const uint8_t *e, TColor32 &c)
{
    const uint16_t space = be16(e);
    const uint16_t w = be16(e + 2), x = be16(e + 4), y = be16(e + 6), z = be16(e + 8);
    uint8_t dst[3];
    switch (space) {
    case 0: // RGB
        c = rgb(w * 255 / 65535, x * 255 / 65535, y * 255 / 65535, 0);
        return true;
    case 1: { // HSB: hue w / 65536 of a turn, saturation and brightness w / 65535
        const sFixHSV hsv{fixDiv(int32_t(w) * 360, 65536), fixScale(x, 65535), fixScale(y, 65535)};
        hsvToRGB(hsv, dst);
        c = rgb(dst[0], dst[1], dst[2], kAcoSpaceHSB);
        return true;
    }
    case 2: { // CMYK, stored as 65535 minus the ink
        const int32_t full = 255 << 16;
        const sFixCMYK cmyk{full - fixScale(w, 65535), full - fixScale(x, 65535),
                            full - fixScale(y, 65535), full - fixScale(z, 65535)};
        cmykToRGB(cmyk, dst);
        c = rgb(dst[0], dst[1], dst[2], kAcoSpaceCMYK);
        return true;
    }
    case 8: { // grey 0..10000; larger values are held at white
        const int32_t grey = std::min(int32_t(w) * 255 / 10000, 255);
        c = rgb(grey, grey, grey, kAcoSpaceGrey);
        return true;
    }
    default:
        return false;
    }
}

bool writeAll(QIODevice &stream, const QByteArray &bytes)
{
    return stream.write(bytes) == bytes.size();
}

} // namespace

ePaletteType paletteTypeOfPath(const QString &path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("qpl")) {
        return ptBinary;
    }
    if (ext == QLatin1String("pcs")) {
        return ptPcs;
    }
    if (ext == QLatin1String("txt")) {
        return ptText;
    }
    if (ext == QLatin1String("aco")) {
        return ptAdobe;
    }
    return ptNone;
}

int32_t readBinaryPalette(QIODevice &stream, SPaletteData &out)
{
    uint8_t head[kBinaryHeadSize];
    if (stream.read(reinterpret_cast<char *>(head), sizeof head) != qint64(sizeof head) ||
        std::memcmp(head, kBinaryTag, 4) != 0) {
        return -1;
    }
    const uint32_t count = qFromLittleEndian<uint32_t>(head + 12);
    // The count is only believed as far as the file holds colours.
    const int64_t there = stream.isSequential()
                              ? int64_t(count)
                              : std::max<int64_t>(stream.size() - stream.pos(), 0) / 4;
    const int64_t wanted = std::min<int64_t>({int64_t(count), there, INT32_MAX / 4});
    const QByteArray bytes = stream.read(wanted * 4);
    const int32_t n = int32_t(bytes.size() / 4);
    out.colors.resize(size_t(n));
    for (int32_t i = 0; i < n; ++i) {
        out.colors[size_t(i)].bgra = qFromLittleEndian<uint32_t>(
            reinterpret_cast<const uint8_t *>(bytes.constData()) + 4 * i);
    }
    out.announced = count;
    out.hasLayout = true;
    out.layout = clampedLayout(head[8], head[9], head[10], head[11]);
    return n;
}

int32_t readTextPalette(QByteArrayView bytes, SPaletteData &out)
{
    TextPaletteState st;
    const char *p = bytes.data();
    const char *end = p + bytes.size();
    while (p < end) {
        const char *lineEnd = p;
        while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n') {
            ++lineEnd;
        }
        scanTextLine(LineScanner{p, lineEnd}, st);
        p = lineEnd + (lineEnd < end ? 1 : 0);
    }
    out.colors = std::move(st.colors);
    out.announced = -1;
    out.hasLayout = !out.colors.empty();
    if (out.hasLayout) {
        out.layout = clampedLayout(st.width, st.height, st.cols, st.rows);
    }
    return int32_t(std::min<size_t>(out.colors.size(), INT32_MAX));
}

int32_t readAdobePalette(QIODevice &stream, SPaletteData &out)
{
    uint8_t head[4];
    out.colors.clear();
    out.hasLayout = false;
    if (stream.read(reinterpret_cast<char *>(head), 4) != 4) {
        return 0;
    }
    if (be16(head) != 1) {
        showWarning(QStringLiteral("Invalid ACO version!"));
        return 0;
    }
    const uint16_t count = be16(head + 2);
    out.announced = count;
    for (int32_t i = 0; i < count; ++i) {
        uint8_t e[kAcoEntrySize];
        if (stream.read(reinterpret_cast<char *>(e), sizeof e) != qint64(sizeof e)) {
            break;
        }
        TColor32 c;
        if (acoColor(e, c)) {
            out.colors.push_back(c);
        }
    }
    return int32_t(out.colors.size());
}

bool writeBinaryPalette(QIODevice &stream, std::span<const TColor32> colors,
                        const SPaletteLayout &layout)
{
    if (colors.size() > (UINT32_MAX - 12) / 4) {
        return false;
    }
    const uint32_t count = uint32_t(colors.size());
    QByteArray bytes(qsizetype(kBinaryHeadSize + 4 * int64_t(count)), '\0');
    auto *p = reinterpret_cast<uint8_t *>(bytes.data());
    std::memcpy(p, kBinaryTag, 4);
    qToLittleEndian<uint32_t>(4 * count + 12, p + 4);
    // The layout bytes hold what the palette view set, held to a byte.
    p[8] = uint8_t(clampInt(layout.itemSize.x, 0, 255));
    p[9] = uint8_t(clampInt(layout.itemSize.y, 0, 255));
    p[10] = uint8_t(clampInt(layout.repeatSize.x, 0, 255));
    p[11] = uint8_t(clampInt(layout.repeatSize.y, 0, 255));
    qToLittleEndian<uint32_t>(count, p + 12);
    for (uint32_t i = 0; i < count; ++i) {
        qToLittleEndian<uint32_t>(colors[i].bgra, p + kBinaryHeadSize + 4 * i);
    }
    return writeAll(stream, bytes);
}

bool writeTextPalette(QIODevice &stream, std::span<const TColor32> colors,
                      const SPaletteLayout &layout, bool crlf)
{
    const char *eol = crlf ? "\r\n" : "\r";
    QByteArray text;
    char line[96];
    auto add = [&](const char *format, int32_t v) {
        std::snprintf(line, sizeof line, format, v, eol);
        text += line;
    };
    add("ROWS %d%s", layout.repeatSize.y);
    add("COLS %d%s", layout.repeatSize.x);
    add("WIDTH %d%s", layout.itemSize.x);
    add("HEIGHT %d%s", layout.itemSize.y);
    add("TEXTHEIGHT %d%s", 0);
    add("SPACING %d%s", 1);
    for (const TColor32 &c : colors) {
        std::snprintf(line, sizeof line, "R:%3.3d, G:%3.3d, B:%3.3d%s", c.r, c.g, c.b, eol);
        text += line;
    }
    return writeAll(stream, text);
}

bool writeAdobePalette(QIODevice &stream, std::span<const TColor32> colors)
{
    if (colors.size() > 0xFFFF) {
        return false;
    }
    QByteArray bytes(qsizetype(4 + kAcoEntrySize * colors.size()), '\0');
    auto *p = reinterpret_cast<uint8_t *>(bytes.data());
    qToBigEndian<uint16_t>(1, p);
    qToBigEndian<uint16_t>(uint16_t(colors.size()), p + 2);
    uint8_t *e = p + 4;
    for (const TColor32 &c : colors) {
        // Space 0 (RGB), each byte scaled to 0..65535, and a zero 4th word.
        qToBigEndian<uint16_t>(uint16_t(c.r * 65535 / 255), e + 2);
        qToBigEndian<uint16_t>(uint16_t(c.g * 65535 / 255), e + 4);
        qToBigEndian<uint16_t>(uint16_t(c.b * 65535 / 255), e + 6);
        e += kAcoEntrySize;
    }
    return writeAll(stream, bytes);
}
