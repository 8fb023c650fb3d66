#include "platform/codec/bmp_codec.h"

#include "platform/codec/codec_file.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>

namespace codec {
namespace {

constexpr uint32_t kBiRle8 = 1, kBiRle4 = 2, kBiJpeg = 4, kBiPng = 5, kBiAlphaBitfields = 6;
constexpr int kFileHeaderBytes = 14;

// One colour channel packed in a 16- or 32-bit pixel, scaled to 0..255.
struct MaskChannel
{
    uint32_t mask = 0;
    int shift = 0;
    uint64_t max = 0;

    explicit MaskChannel(uint32_t m = 0) : mask(m)
    {
        if (m != 0) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    uint8_t get(uint32_t px, uint8_t absent) const
    {
        if (max == 0)
            return absent;
        return uint8_t(((uint64_t((px & mask) >> shift)) * 255 + max / 2) / max);
    }
};

struct BmpLayout
{
    int64_t width = 0, height = 0;
    bool topDown = false;
    int bitCount = 0;
    uint32_t compression = kBiRgb;
    std::array<MaskChannel, 4> masks; // R, G, B, A
    bool rawAlpha = false;            // 32-bit rows whose fourth byte is the alpha
    std::array<std::array<uint8_t, 3>, 256> palette{};
    int paletteCount = 0;
    int64_t offBits = 0;
    int32_t ppmX = 0, ppmY = 0;

    bool hasAlpha() const { return rawAlpha || masks[3].mask != 0; }
};

bool isKnownHeaderSize(uint32_t size)
{
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

CodecStatus checkDepthAndCompression(const BmpLayout &l)
{
    static constexpr int depths[] = {1, 4, 8, 16, 24, 32};
    if (std::find(std::begin(depths), std::end(depths), l.bitCount) == std::end(depths))
        return CodecStatus::ColorMode;
    switch (l.compression) {
    case kBiRgb:
        return CodecStatus::Nothing;
    case kBiBitfields:
    case kBiAlphaBitfields:
        return l.bitCount == 16 || l.bitCount == 32 ? CodecStatus::Nothing : CodecStatus::Failed;
    case kBiRle8:
    case kBiRle4:
    case kBiJpeg:
    case kBiPng:
        return CodecStatus::NoSupport;
    default:
        return CodecStatus::Failed;
    }
}

// Masks of an uncompressed 16- or 32-bit file, and those a bit-field file gives.
CodecStatus setMasks(BmpLayout &l, const std::array<uint32_t, 4> &given)
{
    if (l.compression == kBiRgb) {
        if (l.bitCount == 16)
            l.masks = {MaskChannel(0x7C00), MaskChannel(0x03E0), MaskChannel(0x001F),
                       MaskChannel()};
        l.rawAlpha = l.bitCount == 32;
        return CodecStatus::Nothing;
    }
    for (int i = 0; i < 4; ++i) {
        if (l.bitCount == 16 && (given[i] & 0xFFFF0000u) != 0)
            return CodecStatus::Failed;
        l.masks[i] = MaskChannel(given[i]);
    }
    return CodecStatus::Nothing;
}

CodecStatus readPalette(QIODevice &dev, BmpLayout &l, uint32_t clrUsed, int entryBytes)
{
    if (l.bitCount > 8)
        return CodecStatus::Nothing;
    const uint32_t count = clrUsed != 0 ? clrUsed : 1u << l.bitCount;
    if (count > 256)
        return CodecStatus::Failed;
    uint8_t entry[4];
    for (uint32_t i = 0; i < count; ++i) {
        if (!readExactly(dev, entry, entryBytes))
            return CodecStatus::FileRead;
        l.palette[i] = {entry[0], entry[1], entry[2]};
    }
    l.paletteCount = int(count);
    return CodecStatus::Nothing;
}

CodecStatus readHeaders(QIODevice &dev, BmpLayout &l, int32_t maxSide)
{
    uint8_t fh[kFileHeaderBytes];
    if (!readExactly(dev, fh, 2) || fh[0] != 'B' || fh[1] != 'M')
        return CodecStatus::Failed;
    if (!readExactly(dev, fh + 2, kFileHeaderBytes - 2))
        return CodecStatus::FileRead;
    l.offBits = getLE32(fh + 10);

    uint8_t ih[124] = {};
    if (!readExactly(dev, ih, 4))
        return CodecStatus::FileRead;
    const uint32_t biSize = getLE32(ih);
    if (!isKnownHeaderSize(biSize))
        return CodecStatus::NoSupport;
    if (!readExactly(dev, ih + 4, biSize - 4))
        return CodecStatus::FileRead;

    uint32_t clrUsed = 0;
    std::array<uint32_t, 4> masks{};
    if (biSize == 12) { // the oldest header: unsigned 16-bit sides, 3-byte palette entries
        l.width = getLE16(ih + 4);
        l.height = getLE16(ih + 6);
        l.bitCount = getLE16(ih + 10);
    } else {
        l.width = int32_t(getLE32(ih + 4));
        l.height = int32_t(getLE32(ih + 8));
        l.bitCount = getLE16(ih + 14);
        l.compression = getLE32(ih + 16);
        l.ppmX = int32_t(getLE32(ih + 24));
        l.ppmY = int32_t(getLE32(ih + 28));
        clrUsed = getLE32(ih + 32);
        for (int i = 0; i < 4 && 40 + 4 * i + 4 <= int(biSize); ++i)
            masks[i] = getLE32(ih + 40 + 4 * i);
    }
    if (l.height < 0) {
        l.topDown = true;
        l.height = -l.height;
    }
    if (l.width < 1 || l.height < 1 || l.width > maxSide || l.height > maxSide)
        return CodecStatus::Range;
    if (CodecStatus s = checkDepthAndCompression(l); s != CodecStatus::Nothing)
        return s;

    int64_t headerEnd = kFileHeaderBytes + biSize;
    if (biSize == 40 && l.compression != kBiRgb) { // masks follow the short header
        const int n = l.compression == kBiAlphaBitfields ? 4 : 3;
        uint8_t mb[16];
        if (!readExactly(dev, mb, 4 * n))
            return CodecStatus::FileRead;
        for (int i = 0; i < n; ++i)
            masks[i] = getLE32(mb + 4 * i);
        headerEnd += 4 * n;
    }
    if (CodecStatus s = setMasks(l, masks); s != CodecStatus::Nothing)
        return s;
    const int entryBytes = biSize == 12 ? 3 : 4;
    if (CodecStatus s = readPalette(dev, l, clrUsed, entryBytes); s != CodecStatus::Nothing)
        return s;
    headerEnd += int64_t(l.paletteCount) * entryBytes;
    if (l.offBits == 0)
        l.offBits = headerEnd;
    if (l.offBits < headerEnd)
        return CodecStatus::Failed;
    const uint64_t dataBytes = dibRowBytes(l.width, l.bitCount) * uint64_t(l.height);
    if (uint64_t(l.offBits) + dataBytes > uint64_t(dev.size()))
        return CodecStatus::FileRead;
    return CodecStatus::Nothing;
}

void putPixel(uint8_t *d, int dstBpp, uint8_t b, uint8_t g, uint8_t r, uint8_t a)
{
    d[0] = b;
    d[1] = g;
    d[2] = r;
    if (dstBpp == 4)
        d[3] = a;
}

void decodeIndexedRow(const BmpLayout &l, const uint8_t *s, uint8_t *d, int dstBpp)
{
    static constexpr std::array<uint8_t, 3> black{};
    const int bits = l.bitCount;
    const int perByte = 8 / bits;
    const unsigned valueMask = (1u << bits) - 1;
    for (int64_t x = 0; x < l.width; ++x, d += dstBpp) {
        const int shift = 8 - bits * (1 + int(x % perByte));
        const unsigned index = (s[x / perByte] >> shift) & valueMask;
        const auto &c = int(index) < l.paletteCount ? l.palette[index] : black;
        putPixel(d, dstBpp, c[0], c[1], c[2], 255);
    }
}

void decodeMaskedRow(const BmpLayout &l, const uint8_t *s, uint8_t *d, int dstBpp)
{
    const int srcBpp = l.bitCount / 8;
    for (int64_t x = 0; x < l.width; ++x, s += srcBpp, d += dstBpp) {
        const uint32_t px = srcBpp == 2 ? getLE16(s) : getLE32(s);
        putPixel(d, dstBpp, l.masks[2].get(px, 0), l.masks[1].get(px, 0), l.masks[0].get(px, 0),
                 l.masks[3].get(px, 255));
    }
}

void decodeRow(const BmpLayout &l, const uint8_t *s, uint8_t *d, int dstBpp)
{
    if (l.bitCount <= 8)
        decodeIndexedRow(l, s, d, dstBpp);
    else if (l.bitCount == 24)
        std::memcpy(d, s, size_t(l.width) * 3);
    else if (l.rawAlpha)
        std::memcpy(d, s, size_t(l.width) * 4);
    else
        decodeMaskedRow(l, s, d, dstBpp);
}

// Writers that do not use the fourth byte leave it 0 everywhere: such a picture is opaque.
void makeOpaqueWhenAlphaUnused(CodecImage &img)
{
    const size_t n = img.bits.size();
    const size_t rowBytes = size_t(dibRowBytes(img.info.biWidth, 32));
    for (size_t i = 3; i < n; i += 4)
        if (img.bits[i] != 0)
            return;
    for (size_t row = 0; row < n; row += rowBytes)
        for (size_t i = row + 3; i < row + rowBytes; i += 4)
            img.bits[i] = 255;
}

CodecStatus readRows(QIODevice &dev, const BmpLayout &l, CodecImage &out)
{
    if (!dev.seek(l.offBits))
        return CodecStatus::FileRead;
    const int dstBpp = out.info.biBitCount / 8;
    std::vector<uint8_t> row(dibRowBytes(l.width, l.bitCount));
    for (int64_t i = 0; i < l.height; ++i) {
        if (!readExactly(dev, row.data(), int64_t(row.size())))
            return CodecStatus::FileRead;
        // The DIB is bottom-up: a top-down file's first row is the DIB's last.
        const int32_t fromTop = int32_t(l.topDown ? i : l.height - 1 - i);
        decodeRow(l, row.data(), dibRowFromTop(out, fromTop), dstBpp);
    }
    if (l.rawAlpha)
        makeOpaqueWhenAlphaUnused(out);
    return CodecStatus::Nothing;
}

} // namespace

CodecStatus bmpReadImage(QIODevice &dev, CodecImage &out, int32_t maxSide)
{
    if (dev.isSequential())
        return CodecStatus::Param;
    try {
        BmpLayout l;
        CodecStatus s = readHeaders(dev, l, maxSide);
        if (s == CodecStatus::Nothing)
            s = makeDib(out, l.width, l.height, l.hasAlpha() ? 32 : 24, l.ppmX, l.ppmY, maxSide);
        if (s == CodecStatus::Nothing)
            s = readRows(dev, l, out);
        if (s != CodecStatus::Nothing)
            out = CodecImage{};
        return s;
    } catch (const std::bad_alloc &) {
        out = CodecImage{};
        return CodecStatus::NoMemory;
    }
}

CodecStatus bmpGetImage(const QString &path, CodecImage &out)
{
    QFile file;
    if (CodecStatus s = openForReading(path, file); s != CodecStatus::Nothing)
        return s;
    return bmpReadImage(file, out);
}

CodecStatus bmpWriteImage(QIODevice &dev, const BitmapInfoHeader &info,
                          std::span<const uint8_t> bits)
{
    if (checkDib(info, bits) != CodecStatus::Nothing)
        return CodecStatus::Param;
    const uint64_t dataBytes =
        dibRowBytes(info.biWidth, info.biBitCount) * uint64_t(std::abs(int64_t(info.biHeight)));
    if (dataBytes > UINT32_MAX - 54)
        return CodecStatus::Range;
    uint8_t head[54] = {'B', 'M'};
    putLE32(head + 2, uint32_t(54 + dataBytes));
    putLE32(head + 10, 54);
    putLE32(head + 14, 40);
    putLE32(head + 18, uint32_t(info.biWidth));
    putLE32(head + 22, uint32_t(info.biHeight));
    putLE16(head + 26, 1);
    putLE16(head + 28, info.biBitCount);
    putLE32(head + 30, kBiRgb);
    putLE32(head + 34, uint32_t(dataBytes));
    putLE32(head + 38, uint32_t(info.biXPelsPerMeter));
    putLE32(head + 42, uint32_t(info.biYPelsPerMeter));
    if (!writeExactly(dev, head, sizeof head) ||
        !writeExactly(dev, bits.data(), int64_t(dataBytes)))
        return CodecStatus::FileWrite;
    return CodecStatus::Nothing;
}

CodecStatus bmpSaveImage(const QString &path, const BitmapInfoHeader &info,
                         std::span<const uint8_t> bits)
{
    if (checkDib(info, bits) != CodecStatus::Nothing)
        return CodecStatus::Param;
    return saveFileThrough(path,
                           [&](QIODevice &dev) { return bmpWriteImage(dev, info, bits); });
}

} // namespace codec
