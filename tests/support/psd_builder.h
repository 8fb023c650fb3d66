// PSD files built byte by byte from the public format, for the codec's and the bridge's tests and
// for the fuzz corpora: every section, record and channel as the test wants it, right or wrong.
#pragma once

#include <QByteArray>
#include <QString>

#include <zlib.h>

#include <cstdint>
#include <vector>

namespace psdtest {

inline void be16(QByteArray &b, uint16_t v)
{
    b.append(char(v >> 8));
    b.append(char(v));
}
inline void be32(QByteArray &b, uint32_t v)
{
    be16(b, uint16_t(v >> 16));
    be16(b, uint16_t(v));
}
inline void setBe32(QByteArray &b, qsizetype at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(v >> (24 - 8 * i));
}
inline void setBe16(QByteArray &b, qsizetype at, uint16_t v)
{
    b[at] = char(v >> 8);
    b[at + 1] = char(v);
}
inline uint32_t getBe32(const QByteArray &b, qsizetype at)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v = v << 8 | uint8_t(b[at + i]);
    return v;
}
inline uint16_t getBe16(const QByteArray &b, qsizetype at)
{
    return uint16_t(uint8_t(b[at]) << 8 | uint8_t(b[at + 1]));
}

// A channel stored raw: the compression word 0 and the bytes.
inline QByteArray rawChannel(const QByteArray &bytes)
{
    QByteArray b;
    be16(b, 0);
    return b + bytes;
}

// Literal-only PackBits of rows of w bytes (each row in runs of up to 128 literals).
inline QByteArray literalRows(const QByteArray &bytes, int w, int h, QByteArray &counts)
{
    QByteArray data;
    for (int y = 0; y < h; ++y) {
        QByteArray row;
        for (int x = 0; x < w; x += 128) {
            const int n = std::min(128, w - x);
            row.append(char(n - 1));
            row += bytes.mid(qsizetype(y) * w + x, n);
        }
        be16(counts, uint16_t(row.size()));
        data += row;
    }
    return data;
}

// A channel stored as PackBits rows.
inline QByteArray rleChannel(const QByteArray &bytes, int w, int h)
{
    QByteArray counts;
    const QByteArray data = literalRows(bytes, w, h, counts);
    QByteArray b;
    be16(b, 1);
    return b + counts + data;
}

// A channel stored as ZIP (3: with the rows turned into differences first).
inline QByteArray zipChannel(const QByteArray &bytes, int w, int h, bool prediction)
{
    QByteArray src = bytes;
    if (prediction)
        for (int y = 0; y < h; ++y)
            for (int x = w - 1; x > 0; --x)
                src[y * w + x] = char(uint8_t(src[y * w + x]) - uint8_t(src[y * w + x - 1]));
    uLongf len = compressBound(uLong(src.size()));
    QByteArray z(qsizetype(len), '\0');
    compress(reinterpret_cast<Bytef *>(z.data()), &len,
             reinterpret_cast<const Bytef *>(src.constData()), uLong(src.size()));
    z.truncate(qsizetype(len));
    QByteArray b;
    be16(b, prediction ? 3 : 2);
    return b + z;
}

struct Channel
{
    int16_t id = 0;
    QByteArray stored; // compression word and data
};

struct Layer
{
    Layer(int32_t t = 0, int32_t l = 0, int32_t b = 0, int32_t r = 0, std::vector<Channel> ch = {})
        : top(t), left(l), bottom(b), right(r), channels(std::move(ch))
    {
    }
    int32_t top = 0, left = 0, bottom = 0, right = 0;
    std::vector<Channel> channels;
    QByteArray key = "norm";
    uint8_t opacity = 255;
    uint8_t clipping = 0;
    uint8_t flags = 0;
    QByteArray name;        // the pascal name's bytes
    QByteArray maskData;    // the layer mask section's data
    QByteArray extras;      // additional information blocks
};

// One additional information block.
inline QByteArray extraBlock(const char *key, const QByteArray &data)
{
    QByteArray b("8BIM");
    b.append(key, 4);
    be32(b, uint32_t(data.size()));
    return b + data;
}
inline QByteArray sectionBlock(uint32_t type)
{
    QByteArray d;
    be32(d, type);
    return extraBlock("lsct", d);
}
inline QByteArray idBlock(uint32_t id)
{
    QByteArray d;
    be32(d, id);
    return extraBlock("lyid", d);
}
inline QByteArray luniBlock(const QString &s)
{
    QByteArray d;
    be32(d, uint32_t(s.size()));
    for (QChar c : s)
        be16(d, c.unicode());
    return extraBlock("luni", d);
}

inline QByteArray resourceBlock(uint16_t id, const QByteArray &data)
{
    QByteArray b("8BIM");
    be16(b, id);
    be16(b, 0);
    be32(b, uint32_t(data.size()));
    b += data;
    if (b.size() & 1)
        b.append('\0');
    return b;
}

struct File
{
    uint16_t version = 1;
    uint16_t channels = 3;
    uint32_t width = 4, height = 2;
    uint16_t depth = 8, mode = 3;
    QByteArray resources;
    std::vector<Layer> layers;
    bool negativeCount = false;
    bool layerSection = true;
    QByteArray merged; // compression word and data; empty: raw planes of 0x80

    // The bytes of one layer record.
    static QByteArray record(const Layer &l)
    {
        QByteArray r;
        be32(r, uint32_t(l.top));
        be32(r, uint32_t(l.left));
        be32(r, uint32_t(l.bottom));
        be32(r, uint32_t(l.right));
        be16(r, uint16_t(l.channels.size()));
        for (const Channel &c : l.channels) {
            be16(r, uint16_t(c.id));
            be32(r, uint32_t(c.stored.size()));
        }
        r += "8BIM";
        r += l.key.left(4);
        r.append(char(l.opacity));
        r.append(char(l.clipping));
        r.append(char(l.flags));
        r.append('\0');
        QByteArray extra;
        be32(extra, uint32_t(l.maskData.size()));
        extra += l.maskData;
        be32(extra, 0);
        const qsizetype nameAt = extra.size();
        extra.append(char(l.name.size()));
        extra += l.name;
        while ((extra.size() - nameAt) % 4)
            extra.append('\0');
        extra += l.extras;
        be32(r, uint32_t(extra.size()));
        return r + extra;
    }

    QByteArray bytes() const
    {
        QByteArray b("8BPS");
        be16(b, version);
        b.append(6, '\0');
        be16(b, channels);
        be32(b, height);
        be32(b, width);
        be16(b, depth);
        be16(b, mode);
        be32(b, 0);
        be32(b, uint32_t(resources.size()));
        b += resources;
        if (!layerSection || layers.empty()) {
            be32(b, 0);
        } else {
            QByteArray info;
            be16(info, uint16_t(int16_t(negativeCount ? -int(layers.size()) : int(layers.size()))));
            for (const Layer &l : layers)
                info += record(l);
            for (const Layer &l : layers)
                for (const Channel &c : l.channels)
                    info += c.stored;
            if (info.size() & 1)
                info.append('\0');
            QByteArray section;
            be32(section, uint32_t(info.size()));
            section += info;
            be32(section, 0);
            be32(b, uint32_t(section.size()));
            b += section;
        }
        if (merged.isEmpty()) {
            be16(b, 0);
            const qsizetype rowBytes = (qsizetype(width) * depth + 7) / 8;
            b += QByteArray(rowBytes * height * channels, char(0x80));
        } else {
            b += merged;
        }
        return b;
    }
};

// The offset of the layer and mask section's length word of a file built above.
inline qsizetype layerSectionAt(const QByteArray &b)
{
    const qsizetype res = 26 + 4 + getBe32(b, 26);
    return res + 4 + getBe32(b, res);
}

} // namespace psdtest
