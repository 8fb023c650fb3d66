#include "platform/codec/psd_codec.h"

#include "platform/codec/codec_file.h"
#include "platform/codec/psd_internal.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cstring>

namespace codec {

namespace {

// The blend keys by layer-mode ordinal (multiply, add, subtract, standard, screen, ...).
constexpr std::array<const char *, 22> kBlendKeys = {
    "mul ", "lddg", "fsub", "norm", "scrn", "over", "hLit", "sLit", "diff", "smud", "dark",
    "lite", "idiv", "div ", "hue ", "sat ", "colr", "lum ", "lbrn", "lLit", "vLit", "pLit",
};
constexpr uint16_t kStandard = 3;

std::array<char, 4> keyOf(const char *s) { return {s[0], s[1], s[2], s[3]}; }

} // namespace

std::array<char, 4> psdBlendKeyOfMode(uint16_t mode)
{
    return keyOf(kBlendKeys[mode < kBlendKeys.size() ? mode : kStandard]);
}

uint16_t psdModeOfBlendKey(const std::array<char, 4> &key)
{
    const std::array<char, 4> reversed = {key[3], key[2], key[1], key[0]};
    for (uint16_t m = 0; m < kBlendKeys.size(); ++m)
        if (keyOf(kBlendKeys[m]) == key)
            return m;
    // Some writers store the key's bytes the other way round ("mron").
    for (uint16_t m = 0; m < kBlendKeys.size(); ++m)
        if (keyOf(kBlendKeys[m]) == reversed)
            return m;
    return kStandard;
}

QString SPsdLayerInfo::nameText() const
{
    size_t n = 0;
    while (n < name.size() && name[n] != 0)
        ++n;
    return QString(reinterpret_cast<const QChar *>(name.data()), qsizetype(n));
}

void SPsdLayerInfo::setName(const QString &text)
{
    name.fill(0);
    qsizetype n = std::min<qsizetype>(text.size(), qsizetype(name.size()));
    if (n == qsizetype(name.size()) && n < text.size() && text[n - 1].isHighSurrogate())
        --n;
    std::memcpy(name.data(), text.utf16(), size_t(n) * 2);
}

QByteArray psdAnsiCut(const QString &text, int maxBytes)
{
    QStringEncoder enc("Shift_JIS");
    QStringDecoder dec("Shift_JIS");
    if (!enc.isValid() || !dec.isValid())
        return text.toLatin1().left(maxBytes);
    QByteArray out;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QStringView piece = QStringView(text).mid(i, len);
        QByteArray ch = enc.encode(piece);
        // A character the code page lacks reads as '?' there (the Unicode name keeps it): the
        // encoder flags some and writes an undefined code for others.
        const QString back = dec.decode(ch);
        if (enc.hasError() || back.isEmpty() || back.contains(QChar::ReplacementCharacter)) {
            ch = "?";
            enc = QStringEncoder("Shift_JIS");
            dec = QStringDecoder("Shift_JIS");
        }
        if (out.size() + ch.size() > maxBytes)
            break;
        out += ch;
        i += len;
    }
    return out;
}

bool psdUnpackBits(std::span<const uint8_t> src, std::span<uint8_t> dst)
{
    size_t s = 0, o = 0;
    while (o < dst.size()) {
        if (s >= src.size())
            return false;
        const int8_t n = int8_t(src[s++]);
        if (n >= 0) {
            const size_t len = size_t(n) + 1;
            if (len > src.size() - s || len > dst.size() - o)
                return false;
            std::memcpy(dst.data() + o, src.data() + s, len);
            s += len;
            o += len;
        } else if (n != -128) {
            const size_t len = size_t(1 - n);
            if (s >= src.size() || len > dst.size() - o)
                return false;
            std::memset(dst.data() + o, src[s++], len);
            o += len;
        }
    }
    // Some writers end a row with no-op headers (-128); anything else left over is an error.
    while (s < src.size() && src[s] == 0x80)
        ++s;
    return s == src.size();
}

uint32_t psdPackBits(std::span<const uint8_t> row, QByteArray &out)
{
    const qsizetype start = out.size();
    const size_t n = row.size();
    size_t i = 0;
    while (i < n) {
        // A run of three or more equal bytes is worth a repeat.
        size_t run = 1;
        while (i + run < n && run < 128 && row[i + run] == row[i])
            ++run;
        if (run >= 3 || (run == 2 && i + run == n)) {
            out.append(char(int8_t(1 - int(run))));
            out.append(char(row[i]));
            i += run;
            continue;
        }
        // Literal bytes up to the next run of three.
        size_t lit = 0;
        while (i + lit < n && lit < 128) {
            if (i + lit + 2 < n && row[i + lit] == row[i + lit + 1] &&
                row[i + lit] == row[i + lit + 2])
                break;
            ++lit;
        }
        out.append(char(lit - 1));
        out.append(reinterpret_cast<const char *>(row.data() + i), qsizetype(lit));
        i += lit;
    }
    return uint32_t(out.size() - start);
}

CPsdFile::CPsdFile() : d(std::make_unique<Impl>()) {}
CPsdFile::~CPsdFile() = default;

bool psdTypeIsReadable(const SPsdDocInfo &doc)
{
    if (doc.imageType == kPsdImageBitmap)
        return doc.colorChannels == 1 && doc.bitsPerPixel == 1;
    const int32_t colours = doc.imageType == kPsdImageGrey     ? 1
                            : doc.imageType == kPsdImageColour ? 3
                                                               : 0;
    return colours > 0 && doc.colorChannels == colours && doc.bitsPerPixel == 8 * colours;
}

CodecStatus psdGetLayerImage(const CPsdFile &file, int32_t index, CodecImage &out)
{
    out = CodecImage{};
    SPsdDocInfo doc;
    SPsdLayerInfo info;
    if (CodecStatus s = file.getDocInfo(doc); !succeeded(s))
        return s;
    if (CodecStatus s = file.getLayerInfo(index, info); !succeeded(s))
        return s;
    if (!psdTypeIsReadable(doc))
        return CodecStatus::ColorMode;
    const int32_t w = info.right - info.left, h = info.bottom - info.top;
    if (w <= 0 || h <= 0)
        return CodecStatus::NoData;
    CodecImage img;
    if (CodecStatus s = makeDib(img, w, h, 32, 0, 0, kPsdMaxLayerSide); !succeeded(s))
        return s;
    for (int32_t y = 0; y < h; ++y) {
        uint8_t *p = dibRowFromTop(img, y);
        for (int32_t x = 0; x < w; ++x)
            p[x * 4 + 3] = 255;
    }
    // A grey or bitmap document's one colour channel is every colour.
    const bool oneColour = doc.colorChannels == 1;
    SPsdChannelData data;
    for (int32_t c = 0; c < info.channels; ++c) {
        data.layerIndex = index;
        data.channelNumber = c;
        if (CodecStatus s = file.getLayerChannel(data); !succeeded(s))
            return s;
        const int32_t id = data.channelId;
        // User masks have a box of their own and no byte of the picture.
        if (id < kPsdTransparency || id >= doc.colorChannels || data.boxW != w || data.boxH != h)
            continue;
        for (int32_t y = 0; y < h; ++y) {
            uint8_t *p = dibRowFromTop(img, y);
            const uint8_t *src = data.buffer.data() + size_t(y) * size_t(w);
            for (int32_t x = 0; x < w; ++x, p += 4) {
                if (id == kPsdTransparency)
                    p[3] = src[x];
                else if (oneColour)
                    p[0] = p[1] = p[2] = src[x];
                else
                    p[2 - id] = src[x];
            }
        }
    }
    out = std::move(img);
    return CodecStatus::Nothing;
}

CodecStatus psdReadImage(const QByteArray &bytes, CodecImage &out)
{
    out = CodecImage{};
    std::unique_ptr<CPsdFile> f;
    if (CodecStatus s = CPsdFile::openBytes(bytes, f); !succeeded(s))
        return s;
    SPsdDocInfo doc;
    if (CodecStatus s = f->getDocInfo(doc); !succeeded(s))
        return s;
    if (!psdTypeIsReadable(doc))
        return CodecStatus::ColorMode;
    const bool bitmap = doc.imageType == kPsdImageBitmap;
    const int32_t ppm = pelsPerMeterFromDpi(doc.dpiX);
    CodecImage img;
    if (CodecStatus s = makeDib(img, doc.width, doc.height, 32, ppm, pelsPerMeterFromDpi(doc.dpiY));
        !succeeded(s))
        return s;
    for (int32_t y = 0; y < doc.height; ++y) {
        uint8_t *p = dibRowFromTop(img, y);
        for (int32_t x = 0; x < doc.width; ++x)
            p[x * 4 + 3] = 255;
    }
    SPsdChannelData ch;
    const int32_t colours = doc.imageType == kPsdImageColour ? 3 : 1;
    for (int32_t c = 0; c < colours + (doc.mergedAlpha ? 1 : 0); ++c) {
        ch.channelNumber = c;
        if (c >= doc.totalChannels)
            break;
        if (CodecStatus s = f->getDocChannel(ch); !succeeded(s))
            return s;
        for (int32_t y = 0; y < doc.height; ++y) {
            uint8_t *p = dibRowFromTop(img, y);
            for (int32_t x = 0; x < doc.width; ++x, p += 4) {
                if (bitmap) {
                    const uint8_t bits = ch.buffer[size_t(y) * size_t((doc.width + 7) / 8) + size_t(x / 8)];
                    const uint8_t v = (bits >> (7 - x % 8)) & 1 ? 0 : 255; // 1 is black
                    p[0] = p[1] = p[2] = v;
                    continue;
                }
                const uint8_t v = ch.buffer[size_t(y) * size_t(doc.width) + size_t(x)];
                if (c == colours)
                    p[3] = v;
                else if (colours == 1)
                    p[0] = p[1] = p[2] = v;
                else
                    p[2 - c] = v;
            }
        }
    }
    out = std::move(img);
    return CodecStatus::Nothing;
}

CodecStatus psdGetImage(const QString &path, CodecImage &out, int32_t &docWidth, int32_t &docHeight)
{
    out = CodecImage{};
    docWidth = docHeight = 0;
    QFile file;
    if (CodecStatus s = openForReading(path, file); !succeeded(s))
        return s;
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size())
        return CodecStatus::FileRead;
    const CodecStatus s = psdReadImage(bytes, out);
    if (succeeded(s)) {
        docWidth = out.info.biWidth;
        docHeight = std::abs(out.info.biHeight);
    }
    return s;
}

CodecStatus psdGetImage(const QString &path, CodecImage &out)
{
    int32_t w = 0, h = 0;
    return psdGetImage(path, out, w, h);
}

} // namespace codec
