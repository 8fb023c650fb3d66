// Writing a PSD file: an 8-bit RGB document with its layers (transparency, red, green, blue, each
// PackBits-compressed), the merged image (3 colours and the alpha channels, PackBits), and the
// resources 1005 (resolution), 1024 (target layer), 1006 + 1045 (alpha channel names) and 1036
// (the thumbnail as JPEG). Everything is pulled through the callbacks and built in memory, then
// written through a temporary file.
#include "platform/codec/codec_file.h"
#include "platform/codec/jpeg_codec.h"
#include "platform/codec/psd_internal.h"

#include <QBuffer>

#include <algorithm>
#include <new>
#include <vector>

namespace codec {

namespace {

void be16(QByteArray &b, uint16_t v)
{
    b.append(char(v >> 8));
    b.append(char(v));
}
void be32(QByteArray &b, uint32_t v)
{
    be16(b, uint16_t(v >> 16));
    be16(b, uint16_t(v));
}
void pad(QByteArray &b, qsizetype from, int multiple)
{
    while ((b.size() - from) % multiple)
        b.append('\0');
}

void resource(QByteArray &out, uint16_t id, const QByteArray &data)
{
    out.append("8BIM", 4);
    be16(out, id);
    be16(out, 0); // empty name, padded to even
    be32(out, uint32_t(data.size()));
    out += data;
    pad(out, 0, 2);
}

void unicodeString(QByteArray &out, const QString &s, bool terminated)
{
    be32(out, uint32_t(s.size() + (terminated ? 1 : 0)));
    for (QChar c : s)
        be16(out, c.unicode());
    if (terminated)
        be16(out, 0);
}

// One additional information block, its data padded to an even length.
void extraBlock(QByteArray &out, const char *key, const QByteArray &data)
{
    out.append("8BIM", 4);
    out.append(key, 4);
    QByteArray d = data;
    pad(d, 0, 2);
    be32(out, uint32_t(d.size()));
    out += d;
}

// The rows of a w x h channel as PackBits: the byte counts of every row, and the packed rows in
// bands. Bands of rows are packed apart, through spread; the caller joins them in their order.
struct SPackedRows
{
    QByteArray counts;
    std::vector<QByteArray> bands;
};

SPackedRows packRows(const uint8_t *src, int64_t w, int64_t h, SPsdWriteCallbacks &cb)
{
    constexpr int64_t kBandRows = 64;
    const int32_t bands = int32_t((h + kBandRows - 1) / kBandRows);
    std::vector<QByteArray> bandCounts(static_cast<size_t>(bands));
    SPackedRows out;
    out.bands.resize(static_cast<size_t>(bands));
    cb.spread(bands, [&](int32_t begin, int32_t end) {
        for (int32_t b = begin; b < end; ++b) {
            const int64_t y1 = std::min(h, (b + 1) * kBandRows);
            for (int64_t y = b * kBandRows; y < y1; ++y)
                be16(bandCounts[size_t(b)],
                     uint16_t(psdPackBits(std::span<const uint8_t>(src + y * w, size_t(w)),
                                          out.bands[size_t(b)])));
        }
    });
    out.counts.reserve(qsizetype(h) * 2);
    for (const QByteArray &c : bandCounts)
        out.counts += c;
    return out;
}

// Appends every band, having made room for them all at once.
void appendBands(QByteArray &out, const std::vector<QByteArray> &bands)
{
    qsizetype total = out.size();
    for (const QByteArray &b : bands)
        total += b.size();
    out.reserve(total);
    for (const QByteArray &b : bands)
        out += b;
}

bool keyIsSet(const std::array<char, 4> &k) { return k[0] || k[1] || k[2] || k[3]; }

struct SWriter
{
    const SPsdDocInfo &doc;
    SPsdWriteCallbacks &cb;
    CodecStatus status = CodecStatus::Nothing;

    bool fail(CodecStatus s)
    {
        status = s;
        return false;
    }

    bool thumbnail(QByteArray &res)
    {
        BitmapInfoHeader info;
        std::vector<uint8_t> bits;
        if (!cb.thumbnail(info, bits))
            return true; // the file goes without one
        if (!succeeded(checkDib(info, bits)))
            return fail(CodecStatus::Param);
        QByteArray jpeg;
        QBuffer buf(&jpeg);
        buf.open(QIODevice::WriteOnly);
        JpegSaveOptions o;
        o.quality = 80;
        if (CodecStatus s = jpegWriteImage(buf, info, bits, o); !succeeded(s))
            return fail(s);
        const int32_t w = info.biWidth, h = std::abs(info.biHeight);
        const uint32_t rowBytes = uint32_t(dibRowBytes(w, 24));
        QByteArray data;
        be32(data, 1); // JPEG, RGB
        be32(data, uint32_t(w));
        be32(data, uint32_t(h));
        be32(data, rowBytes);
        be32(data, rowBytes * uint32_t(h));
        be32(data, uint32_t(jpeg.size()));
        be16(data, 24);
        be16(data, 1);
        data += jpeg;
        resource(res, 1036, data);
        return true;
    }

    bool resources(QByteArray &res)
    {
        QByteArray r;
        be32(r, uint32_t(doc.dpiX) << 16);
        be16(r, 1);
        be16(r, 1);
        be32(r, uint32_t(doc.dpiY) << 16);
        be16(r, 1);
        be16(r, 1);
        resource(res, 1005, r);
        if (doc.activeLayer >= 0 && doc.activeLayer < doc.layerCount) {
            QByteArray t;
            be16(t, uint16_t(doc.activeLayer));
            resource(res, 1024, t);
        }
        if (doc.totalChannels > doc.colorChannels) {
            QByteArray names, wide;
            for (int32_t c = doc.colorChannels; c < doc.totalChannels; ++c) {
                SPsdAlphaInfo a;
                a.channelNumber = c;
                if (!cb.alphaChannelRecord(a))
                    return fail(CodecStatus::UserData);
                const QByteArray n = psdAnsiCut(a.name, 255);
                names.append(char(n.size()));
                names += n;
                unicodeString(wide, a.wideName.isEmpty() ? a.name : a.wideName, true);
            }
            resource(res, 1006, names);
            resource(res, 1045, wide);
        }
        return thumbnail(res);
    }

    bool layer(int32_t index, QByteArray &records, QByteArray &channelData)
    {
        if (cb.userBreak())
            return fail(CodecStatus::UserBreak);
        SPsdLayerInfo info;
        info.index = index;
        if (!cb.layerRecord(info))
            return fail(CodecStatus::UserData);
        const int64_t w = int64_t(info.right) - info.left, h = int64_t(info.bottom) - info.top;
        if (w < 0 || h < 0 || w > kPsdMaxLayerSide || h > kPsdMaxLayerSide || info.channels < 0 ||
            info.channels > 56)
            return fail(CodecStatus::Param);
        be32(records, uint32_t(info.top));
        be32(records, uint32_t(info.left));
        be32(records, uint32_t(info.bottom));
        be32(records, uint32_t(info.right));
        be16(records, uint16_t(info.channels));
        for (int32_t c = 0; c < info.channels; ++c) {
            SPsdChannelData data;
            data.layerIndex = index;
            data.channelNumber = c;
            if (!cb.channelId(index, c, data.channelId))
                return fail(CodecStatus::UserData);
            data.boxX = info.left;
            data.boxY = info.top;
            data.boxW = int32_t(w);
            data.boxH = int32_t(h);
            if (w * h > 0 && !cb.layerChannelData(data))
                return fail(CodecStatus::UserData);
            if (int64_t(data.dataBytes) < w * h || int64_t(data.buffer.size()) < w * h)
                return fail(CodecStatus::Param);
            const qsizetype start = channelData.size();
            if (w * h == 0) {
                be16(channelData, 0);
            } else {
                be16(channelData, 1);
                const SPackedRows packed = packRows(data.buffer.data(), w, h, cb);
                channelData += packed.counts;
                appendBands(channelData, packed.bands);
            }
            be16(records, uint16_t(int16_t(data.channelId)));
            be32(records, uint32_t(channelData.size() - start));
        }
        records.append("8BIM", 4);
        const std::array<char, 4> key = keyIsSet(info.key) ? info.key : psdBlendKeyOfMode(info.mode);
        records.append(key.data(), 4);
        records.append(char(info.opacity));
        records.append(char(info.clipping ? 1 : 0));
        records.append(char(info.flags));
        records.append('\0');
        QByteArray extra;
        be32(extra, 0); // no layer mask
        be32(extra, 40); // blending ranges: grey and four channels, each the full range
        for (int i = 0; i < 10; ++i)
            be32(extra, 0x0000FFFF);
        const QString title = info.wideName ? *info.wideName : info.nameText();
        const QByteArray name = psdAnsiCut(title, 255);
        const qsizetype nameAt = extra.size();
        extra.append(char(name.size()));
        extra += name;
        pad(extra, nameAt, 4);
        QByteArray luni;
        unicodeString(luni, title, false);
        extraBlock(extra, "luni", luni);
        if (info.layerId >= 0) {
            QByteArray id;
            be32(id, uint32_t(info.layerId));
            extraBlock(extra, "lyid", id);
        }
        be32(records, uint32_t(extra.size()));
        records += extra;
        return true;
    }

    // Appends the layer section to out: the pieces go in once, without being copied into one
    // another first.
    bool layers(QByteArray &out)
    {
        if (doc.layerCount <= 0) {
            be32(out, 0);
            return true;
        }
        QByteArray records, channelData;
        be16(records, uint16_t(int16_t(doc.mergedAlpha ? -doc.layerCount : doc.layerCount)));
        for (int32_t i = 0; i < doc.layerCount; ++i)
            if (!layer(i, records, channelData))
                return false;
        const qsizetype info = records.size() + channelData.size();
        const qsizetype padded = info + info % 2;
        be32(out, uint32_t(padded + 8)); // the section: the info's length, it, no global mask
        be32(out, uint32_t(padded));
        out.reserve(out.size() + padded + 4);
        out += records;
        out += channelData;
        pad(out, out.size() - info, 2);
        be32(out, 0); // no global layer mask
        return true;
    }

    // Appends the merged image to out: the counts of every channel, then the rows of every channel.
    bool merged(QByteArray &out)
    {
        const int64_t w = doc.width, h = doc.height, plane = w * h;
        std::vector<SPackedRows> channels;
        for (int32_t c = 0; c < doc.totalChannels; ++c) {
            SPsdChannelData data;
            data.channelNumber = c;
            data.channelId = c < doc.colorChannels ? c : -1;
            data.boxW = doc.width;
            data.boxH = doc.height;
            if (!cb.documentChannelData(data))
                return fail(CodecStatus::UserData);
            if (int64_t(data.dataBytes) < plane || int64_t(data.buffer.size()) < plane)
                return fail(CodecStatus::Param);
            channels.push_back(packRows(data.buffer.data(), w, h, cb));
        }
        be16(out, 1);
        for (const SPackedRows &p : channels)
            out += p.counts;
        for (const SPackedRows &p : channels)
            appendBands(out, p.bands);
        return true;
    }
};

} // namespace

CodecStatus CPsdFile::setDocInfo(const SPsdDocInfo &info)
{
    if (info.width < 1 || info.height < 1 || info.width > kCodecMaxSide ||
        info.height > kCodecMaxSide || info.colorChannels != 3 || info.bitsPerPixel != 24 ||
        info.totalChannels < 3 || info.totalChannels > kPsdMaxWriteChannels ||
        info.layerCount < 0 || info.layerCount > 32767 || info.dpiX < 0 || info.dpiY < 0 ||
        info.dpiX > 65535 || info.dpiY > 65535)
        return CodecStatus::Param;
    d->doc = info;
    d->hasDocInfo = true;
    return CodecStatus::Nothing;
}

CodecStatus CPsdFile::setVersion(int32_t version)
{
    if (version < 3 || version > 7)
        return CodecStatus::Param;
    d->version = version;
    return CodecStatus::Nothing;
}

CodecStatus CPsdFile::writeBytes(QByteArray &out, SPsdWriteCallbacks &callbacks)
{
    out.clear();
    if (!d->hasDocInfo)
        return CodecStatus::Setup;
    try {
        const SPsdDocInfo &doc = d->doc;
        SWriter w{doc, callbacks};
        QByteArray res;
        if (!w.resources(res))
            return w.status;
        out.append("8BPS", 4);
        be16(out, 1);
        out.append(6, '\0');
        be16(out, uint16_t(doc.totalChannels));
        be32(out, uint32_t(doc.height));
        be32(out, uint32_t(doc.width));
        be16(out, 8);
        be16(out, 3); // RGB
        be32(out, 0); // no colour mode data
        be32(out, uint32_t(res.size()));
        out += res;
        // The sections go straight into the file's bytes; a failure leaves none of them.
        if (!w.layers(out) || !w.merged(out)) {
            out.clear();
            return w.status;
        }
        return CodecStatus::Nothing;
    } catch (const std::bad_alloc &) {
        out.clear();
        return CodecStatus::NoMemory;
    }
}

CodecStatus CPsdFile::write(const QString &path, SPsdWriteCallbacks &callbacks)
{
    QByteArray bytes;
    if (CodecStatus s = writeBytes(bytes, callbacks); !succeeded(s))
        return s;
    return saveFileThrough(path, [&](QIODevice &dev) {
        return writeExactly(dev, bytes.constData(), bytes.size()) ? CodecStatus::Nothing
                                                                   : CodecStatus::FileWrite;
    });
}

} // namespace codec
