#include "platform/codec/psd_codec.h"

#include "support/psd_builder.h"

#include <QFile>
#include <QImage>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace codec;
using namespace psdtest;

namespace {

QByteArray hex(const char *h) { return QByteArray::fromHex(h); }

std::vector<uint8_t> unpack(const QByteArray &packed, size_t n, bool &ok)
{
    std::vector<uint8_t> out(n);
    ok = psdUnpackBits(std::span<const uint8_t>(reinterpret_cast<const uint8_t *>(packed.constData()),
                                                size_t(packed.size())),
                       out);
    return out;
}

// A plane whose bytes differ from their neighbours, seeded.
QByteArray plane(int w, int h, int seed)
{
    QByteArray b(qsizetype(w) * h, '\0');
    for (int i = 0; i < b.size(); ++i)
        b[i] = char((i * 7 + seed * 31 + (i / 5) * 3) & 0xFF);
    return b;
}

// A document the writer pulls through the callbacks, and what the reader must give back.
struct TestLayer
{
    SPsdLayerInfo info;
    std::vector<QByteArray> planes; // transparency, red, green, blue
};

struct TestDoc : SPsdWriteCallbacks
{
    SPsdDocInfo doc;
    std::vector<TestLayer> layers;
    std::vector<QByteArray> merged;    // one plane per document channel
    std::vector<QString> alphaNames;
    bool giveThumbnail = true;
    int failAt = -1; // the layer whose record callback answers false

    TestDoc(int32_t w, int32_t h)
    {
        doc.bitsPerPixel = 24;
        doc.width = w;
        doc.height = h;
        doc.dpiX = doc.dpiY = 350;
        doc.imageType = kPsdImageColour;
        doc.colorChannels = 3;
        doc.totalChannels = 3;
        doc.activeLayer = -1;
    }

    void addLayer(SPsdLayerInfo info, int seed)
    {
        info.channels = 4;
        TestLayer l{info, {}};
        const int w = info.right - info.left, h = info.bottom - info.top;
        for (int c = 0; c < 4; ++c)
            l.planes.push_back(plane(w, h, seed * 4 + c));
        layers.push_back(l);
        doc.layerCount = int32_t(layers.size());
    }
    void finish()
    {
        doc.totalChannels = 3 + int32_t(alphaNames.size());
        doc.alphaPresent = doc.alphaPresent2 = alphaNames.empty() ? 0 : 255;
        merged.clear();
        for (int c = 0; c < doc.totalChannels; ++c)
            merged.push_back(plane(doc.width, doc.height, 100 + c));
    }

    bool layerRecord(SPsdLayerInfo &info) override
    {
        if (info.index == failAt || info.index >= int32_t(layers.size()))
            return false;
        info = layers[size_t(info.index)].info;
        return true;
    }
    bool channelId(int32_t, int32_t channelNumber, int32_t &id) override
    {
        if (channelNumber > 3)
            return false;
        id = channelNumber - 1;
        return true;
    }
    bool alphaChannelRecord(SPsdAlphaInfo &info) override
    {
        const int k = info.channelNumber - 3;
        if (k < 0 || k >= int(alphaNames.size()))
            return false;
        info.name = info.wideName = alphaNames[size_t(k)];
        return true;
    }
    static bool fill(SPsdChannelData &data, const QByteArray &p)
    {
        data.buffer.assign(p.begin(), p.end());
        data.dataBytes = uint32_t(p.size());
        return true;
    }
    bool layerChannelData(SPsdChannelData &data) override
    {
        return fill(data, layers[size_t(data.layerIndex)].planes[size_t(data.channelId + 1)]);
    }
    bool documentChannelData(SPsdChannelData &data) override
    {
        return fill(data, merged[size_t(data.channelNumber)]);
    }
    bool thumbnail(BitmapInfoHeader &info, std::vector<uint8_t> &bits) override
    {
        if (!giveThumbnail)
            return false;
        CodecImage img;
        if (makeDib(img, 16, 12, 32, 0, 0) != CodecStatus::Nothing)
            return false;
        info = img.info;
        bits = img.bits;
        return true;
    }
    bool userBreak() override { return false; }

    QByteArray write()
    {
        std::unique_ptr<CPsdFile> f;
        EXPECT_EQ(CPsdFile::open(nullptr, f), CodecStatus::Nothing);
        EXPECT_EQ(f->setDocInfo(doc), CodecStatus::Nothing);
        EXPECT_EQ(f->setVersion(6), CodecStatus::Nothing);
        QByteArray out;
        EXPECT_EQ(f->writeBytes(out, *this), CodecStatus::Nothing);
        return out;
    }
};

SPsdLayerInfo layerInfo(int32_t left, int32_t top, int32_t right, int32_t bottom, uint16_t mode,
                        const QString &name)
{
    SPsdLayerInfo i;
    i.left = left;
    i.top = top;
    i.right = right;
    i.bottom = bottom;
    i.mode = mode;
    i.setName(name);
    return i;
}

std::unique_ptr<CPsdFile> openOk(const QByteArray &b)
{
    std::unique_ptr<CPsdFile> f;
    const CodecStatus s = CPsdFile::openBytes(b, f);
    EXPECT_EQ(s, CodecStatus::Nothing);
    return f;
}

QByteArray channelBytes(const CPsdFile &f, int32_t layer, int32_t number, SPsdChannelData &data)
{
    data.layerIndex = layer;
    data.channelNumber = number;
    EXPECT_EQ(f.getLayerChannel(data), CodecStatus::Nothing) << layer << "/" << number;
    return QByteArray(reinterpret_cast<const char *>(data.buffer.data()), qsizetype(data.dataBytes));
}

} // namespace

TEST(CodecPsdPackBits, GoldenRowsAndBoundedDecoding)
{
    struct Case
    {
        const char *name;
        QByteArray row;
        QByteArray packed;
    };
    const Case cases[] = {
        {"literals", hex("010203"), hex("02010203")},
        {"run", hex("05050505"), hex("fd05")},
        {"pair at the end", hex("0909"), hex("ff09")},
        {"literal, run, literal", hex("010202020203"), hex("0001fd020003")},
        {"run of 130", QByteArray(130, '\x07'), hex("8107ff07")},
        {"one byte", hex("42"), hex("0042")},
    };
    for (const Case &c : cases) {
        QByteArray out;
        const uint32_t n = psdPackBits(
            std::span<const uint8_t>(reinterpret_cast<const uint8_t *>(c.row.constData()),
                                     size_t(c.row.size())),
            out);
        EXPECT_EQ(out.toHex(), c.packed.toHex()) << c.name;
        EXPECT_EQ(n, uint32_t(out.size()));
        bool ok = false;
        const std::vector<uint8_t> back = unpack(c.packed, size_t(c.row.size()), ok);
        EXPECT_TRUE(ok) << c.name;
        EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(back.data()), qsizetype(back.size())),
                  c.row)
            << c.name;
    }
    // Bounded both ways: the data must give exactly the row, no more and no less.
    struct Bad
    {
        const char *name;
        QByteArray packed;
        size_t rowLength;
        bool ok;
    };
    const Bad bad[] = {
        {"data end early", hex("0301"), 4, false},
        {"run past the row", hex("fb05"), 4, false},
        {"literal past the row", hex("04010203040506"), 4, false},
        {"bytes left over", hex("01010200"), 2, false},
        {"a run without its byte", hex("fd"), 4, false},
        {"-128 is skipped", hex("80fd05"), 4, true},
        {"a trailing -128 too", hex("fd0580"), 4, true},
        {"but no other trailing header", hex("fd0581"), 4, false},
        {"empty row", hex(""), 0, true},
    };
    for (const Bad &b : bad) {
        bool ok = true;
        unpack(b.packed, b.rowLength, ok);
        EXPECT_EQ(ok, b.ok) << b.name;
    }
    // Random rows survive packing.
    std::mt19937 rng(7);
    for (int t = 0; t < 200; ++t) {
        QByteArray row(int(rng() % 600), '\0');
        for (auto &ch : row)
            ch = char(rng() % 4 == 0 ? rng() : 3);
        QByteArray out;
        psdPackBits(std::span<const uint8_t>(reinterpret_cast<const uint8_t *>(row.constData()),
                                             size_t(row.size())),
                    out);
        bool ok = false;
        const std::vector<uint8_t> back = unpack(out, size_t(row.size()), ok);
        ASSERT_TRUE(ok) << "seed 7 row " << t;
        ASSERT_EQ(QByteArray(reinterpret_cast<const char *>(back.data()), qsizetype(back.size())),
                  row);
    }
}

TEST(CodecPsdWriter, HeaderAndLayerRecordBytes)
{
    TestDoc d(5, 3);
    SPsdLayerInfo i = layerInfo(-2, 1, 4, 3, 0, QStringLiteral("ab"));
    i.opacity = 200;
    i.clipping = 1;
    i.flags = kPsdFlagBit4Valid | kPsdFlagHidden | kPsdFlagProtected;
    i.layerId = 9;
    d.addLayer(i, 1);
    d.doc.activeLayer = 0;
    d.finish();
    const QByteArray b = d.write();
    // File header: signature, version 1, six zero bytes, channels, height, width, depth, RGB.
    EXPECT_EQ(b.left(26).toHex(), hex("3842505300010000000000000003000000030000000500080003").toHex());
    EXPECT_EQ(getBe32(b, 26), 0u); // no colour mode data
    // The resources: 1005 first, 350 dpi in 16.16 with inches.
    EXPECT_EQ(b.mid(34, 4), QByteArray("8BIM"));
    EXPECT_EQ(getBe16(b, 38), 1005);
    EXPECT_EQ(getBe32(b, 42), 16u);
    EXPECT_EQ(getBe32(b, 46), 350u << 16);
    EXPECT_EQ(getBe16(b, 50), 1);
    EXPECT_EQ(getBe32(b, 54), 350u << 16);

    // The layer record, field by field.
    const qsizetype lm = layerSectionAt(b);
    qsizetype at = lm + 4 + 4; // section length, layer info length
    EXPECT_EQ(int16_t(getBe16(b, at)), 1);
    at += 2;
    EXPECT_EQ(int32_t(getBe32(b, at)), 1);      // top
    EXPECT_EQ(int32_t(getBe32(b, at + 4)), -2); // left
    EXPECT_EQ(int32_t(getBe32(b, at + 8)), 3);  // bottom
    EXPECT_EQ(int32_t(getBe32(b, at + 12)), 4); // right
    EXPECT_EQ(getBe16(b, at + 16), 4);
    at += 18;
    const int16_t ids[] = {-1, 0, 1, 2};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(int16_t(getBe16(b, at)), ids[c]);
        EXPECT_GT(getBe32(b, at + 2), 2u); // compression word and packed rows
        at += 6;
    }
    EXPECT_EQ(b.mid(at, 8), QByteArray("8BIMmul "));
    EXPECT_EQ(uint8_t(b[at + 8]), 200);
    EXPECT_EQ(uint8_t(b[at + 9]), 1);
    EXPECT_EQ(uint8_t(b[at + 10]), 0x0B);
    EXPECT_EQ(uint8_t(b[at + 11]), 0);
    const uint32_t extra = getBe32(b, at + 12);
    at += 16;
    const qsizetype extraEnd = at + extra;
    EXPECT_EQ(getBe32(b, at), 0u);  // no layer mask
    EXPECT_EQ(getBe32(b, at + 4), 40u); // blending ranges, each the full range
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(getBe32(b, at + 8 + 4 * k), 0x0000FFFFu);
    at += 48;
    EXPECT_EQ(b.mid(at, 4), hex("02616200")); // pascal name padded to 4
    at += 4;
    EXPECT_EQ(b.mid(at, 8), QByteArray("8BIMluni"));
    EXPECT_EQ(getBe32(b, at + 8), 8u);
    EXPECT_EQ(b.mid(at + 12, 8).toHex(), hex("0000000200610062").toHex());
    at += 20;
    EXPECT_EQ(b.mid(at, 8), QByteArray("8BIMlyid"));
    EXPECT_EQ(getBe32(b, at + 12), 9u);
    EXPECT_EQ(at + 16, extraEnd);
    // The first channel: RLE with one count per row of the layer (2 rows).
    EXPECT_EQ(getBe16(b, extraEnd), 1);
}

TEST(CodecPsdRoundTrip, OurWriterToOurReader)
{
    TestDoc d(12, 8);
    // Every blend mode, then a dissolve layer and the attributes.
    for (uint16_t m = 0; m < 22; ++m)
        d.addLayer(layerInfo(m % 3, m % 2, 10, 7, m, QStringLiteral("L%1").arg(m)), m);
    SPsdLayerInfo diss = layerInfo(0, 0, 12, 8, 3, QStringLiteral("diss"));
    diss.key = {'d', 'i', 's', 's'};
    diss.opacity = 128;
    d.addLayer(diss, 30);
    const QString japanese = QStringLiteral("下書き レイヤー");
    SPsdLayerInfo attrs = layerInfo(-5, -3, 15, 11, 4, japanese); // past every edge
    attrs.opacity = 77;
    attrs.flags = kPsdFlagBit4Valid | kPsdFlagHidden | kPsdFlagProtected;
    attrs.clipping = 1;
    attrs.layerId = 41;
    d.addLayer(attrs, 31);
    const QString long300 = QString(300, QChar(u'字'));
    SPsdLayerInfo longName = layerInfo(2, 2, 3, 3, 3, long300);
    longName.wideName = long300;
    d.addLayer(longName, 32);
    d.addLayer(layerInfo(0, 0, 0, 0, 3, QStringLiteral("empty")), 33);
    d.alphaNames = {QStringLiteral("選択範囲"), QString(), QStringLiteral("third")};
    d.doc.activeLayer = 23;
    d.finish();
    const QByteArray b = d.write();

    std::unique_ptr<CPsdFile> f = openOk(b);
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->isReadable());
    SPsdDocInfo doc;
    ASSERT_EQ(f->getDocInfo(doc), CodecStatus::Nothing);
    EXPECT_EQ(doc.width, 12);
    EXPECT_EQ(doc.height, 8);
    EXPECT_EQ(doc.bitsPerPixel, 24);
    EXPECT_EQ(doc.imageType, kPsdImageColour);
    EXPECT_EQ(doc.colorChannels, 3);
    EXPECT_EQ(doc.totalChannels, 6);
    EXPECT_EQ(doc.layerCount, 26);
    EXPECT_EQ(doc.activeLayer, 23);
    EXPECT_EQ(doc.layerRunningNumber, 41);
    EXPECT_EQ(doc.dpiX, 350);
    EXPECT_EQ(doc.dpiY, 350);
    EXPECT_EQ(doc.mergedAlpha, 0);
    EXPECT_EQ(doc.alphaPresent, 255);

    for (int32_t k = 0; k < doc.layerCount; ++k) {
        const TestLayer &want = d.layers[size_t(k)];
        SPsdLayerInfo got;
        ASSERT_EQ(f->getLayerInfo(k, got), CodecStatus::Nothing);
        EXPECT_EQ(got.index, k);
        EXPECT_EQ(got.left, want.info.left) << k;
        EXPECT_EQ(got.top, want.info.top) << k;
        EXPECT_EQ(got.right, want.info.right) << k;
        EXPECT_EQ(got.bottom, want.info.bottom) << k;
        EXPECT_EQ(got.mode, want.info.mode) << k;
        EXPECT_EQ(got.opacity, want.info.opacity) << k;
        EXPECT_EQ(got.clipping, want.info.clipping) << k;
        EXPECT_EQ(got.flags, want.info.flags) << k;
        EXPECT_EQ(got.layerId, want.info.layerId) << k;
        EXPECT_EQ(got.channels, 4);
        const QString title = want.info.wideName ? *want.info.wideName : want.info.nameText();
        ASSERT_TRUE(got.wideName.has_value());
        EXPECT_EQ(*got.wideName, title) << k;
        SPsdChannelData data;
        for (int32_t c = 0; c < 4; ++c) {
            const QByteArray bytes = channelBytes(*f, k, c, data);
            EXPECT_EQ(data.channelId, c - 1);
            EXPECT_EQ(data.boxX, want.info.left);
            EXPECT_EQ(data.boxW, want.info.right - want.info.left);
            EXPECT_EQ(bytes, want.planes[size_t(c)]) << k << "/" << c;
        }
        CPsdFile::freeBuffer(data);
        EXPECT_TRUE(data.buffer.empty());
    }
    // The blend keys of the file, and the dissolve key passed on.
    SPsdLayerInfo got;
    ASSERT_EQ(f->getLayerInfo(0, got), CodecStatus::Nothing);
    EXPECT_EQ(QByteArray(got.key.data(), 4), QByteArray("mul "));
    ASSERT_EQ(f->getLayerInfo(22, got), CodecStatus::Nothing);
    EXPECT_EQ(QByteArray(got.key.data(), 4), QByteArray("diss"));
    EXPECT_EQ(got.mode, 3);
    EXPECT_EQ(got.opacity, 128);
    // The record's name is the first 256 units of the wide name.
    ASSERT_EQ(f->getLayerInfo(24, got), CodecStatus::Nothing);
    EXPECT_EQ(got.nameText(), long300.left(256));
    EXPECT_EQ(f->getLayerInfo(26, got), CodecStatus::Range);

    // Merged channels and the alpha channel names (1006 Shift_JIS pascal strings, 1045 Unicode).
    SPsdChannelData m;
    for (int32_t c = 0; c < doc.totalChannels; ++c) {
        m.channelNumber = c;
        ASSERT_EQ(f->getDocChannel(m), CodecStatus::Nothing);
        EXPECT_EQ(m.boxW, 12);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(m.buffer.data()), qsizetype(m.dataBytes)),
                  d.merged[size_t(c)])
            << c;
    }
    const uint32_t n1006 = f->getResource(1006, {});
    std::vector<uint8_t> names(n1006);
    ASSERT_EQ(f->getResource(1006, names), n1006);
    const QByteArray sjis("\x91\x49\x91\xf0\x94\xcd\x88\xcd", 8); // "選択範囲"
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(names.data()), qsizetype(names.size())),
              char(sjis.size()) + sjis + QByteArray(1, '\0') + "\x05third");
    EXPECT_GT(f->getResource(1045, {}), 0u);
    EXPECT_GT(f->getResource(1036, {}), 28u);
    EXPECT_EQ(f->getResource(1234, {}), 0u);
}

TEST(CodecPsdWriter, RefusesBadRecordsAndReportsCallbacks)
{
    std::unique_ptr<CPsdFile> f;
    ASSERT_EQ(CPsdFile::open(nullptr, f), CodecStatus::Nothing);
    EXPECT_FALSE(f->isReadable());
    TestDoc d(4, 4);
    d.addLayer(layerInfo(0, 0, 4, 4, 3, QStringLiteral("a")), 1);
    d.addLayer(layerInfo(0, 0, 4, 4, 3, QStringLiteral("b")), 2);
    d.finish();
    QByteArray out;
    EXPECT_EQ(f->writeBytes(out, d), CodecStatus::Setup);
    for (int v : {2, 8, -1})
        EXPECT_EQ(f->setVersion(v), CodecStatus::Param) << v;
    for (int v : {3, 7})
        EXPECT_EQ(f->setVersion(v), CodecStatus::Nothing) << v;
    SPsdDocInfo bad = d.doc;
    bad.totalChannels = 25;
    EXPECT_EQ(f->setDocInfo(bad), CodecStatus::Param);
    bad = d.doc;
    bad.width = 10001;
    EXPECT_EQ(f->setDocInfo(bad), CodecStatus::Param);
    ASSERT_EQ(f->setDocInfo(d.doc), CodecStatus::Nothing);
    d.failAt = 1;
    EXPECT_EQ(f->writeBytes(out, d), CodecStatus::UserData);
    EXPECT_TRUE(out.isEmpty());
    // A failed write leaves the old file as it was.
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.psd");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    EXPECT_EQ(f->write(path, d), CodecStatus::UserData);
    QFile check(path);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("old"));
    check.close();
    d.failAt = -1;
    EXPECT_EQ(f->write(path, d), CodecStatus::Nothing);
    CodecImage img;
    int32_t w = 0, h = 0;
    ASSERT_EQ(psdGetImage(path, img, w, h), CodecStatus::Nothing);
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 4);
    // The merged picture: red, green, blue planes into B, G, R bytes, opaque.
    const uint8_t *top = img.bits.data() + size_t(3) * 16; // bottom-up: the top row is the last
    EXPECT_EQ(top[2], uint8_t(d.merged[0][0]));
    EXPECT_EQ(top[1], uint8_t(d.merged[1][0]));
    EXPECT_EQ(top[0], uint8_t(d.merged[2][0]));
    EXPECT_EQ(top[3], 255);
    EXPECT_EQ(psdGetImage(dir.filePath("none.psd"), img), CodecStatus::FileOpen);
}

TEST(CodecPsdReader, StoredFormsModesAndFolders)
{
    const QByteArray p = plane(5, 3, 4);
    File f;
    f.width = 8;
    f.height = 4;
    Layer raw{0, 0, 3, 5, {{-1, rawChannel(p)}, {0, rleChannel(p, 5, 3)},
                          {1, zipChannel(p, 5, 3, false)}, {2, zipChannel(p, 5, 3, true)}}};
    raw.key = "mron"; // reversed "norm"
    raw.name = QStringLiteral("日本語").toUtf8();
    Layer sjis{0, 0, 1, 1, {{0, rawChannel("\x01")}}};
    sjis.key = "lrbn"; // reversed "nbrl": not a key, read as standard with its key kept
    sjis.name = QByteArray("\x83\x8c\x83\x43\x83\x84", 6); // "レイヤ" in Shift_JIS
    sjis.extras = idBlock(7);
    // A hidden folder (records run bottom-up: end marker, member, folder record), a member of it,
    // then an open visible folder with one member.
    Layer end1{0, 0, 0, 0, {}};
    end1.extras = sectionBlock(3);
    Layer member{0, 0, 1, 1, {{0, rawChannel("\x02")}}};
    member.name = "in hidden";
    member.extras = idBlock(12);
    Layer folder1{0, 0, 0, 0, {}};
    folder1.flags = kPsdFlagHidden;
    folder1.extras = sectionBlock(2);
    Layer end2{0, 0, 0, 0, {}};
    end2.extras = sectionBlock(3);
    Layer member2{0, 0, 1, 1, {{0, rawChannel("\x03")}}};
    member2.key = "scrn";
    Layer folder2{0, 0, 0, 0, {}};
    folder2.extras = sectionBlock(1);
    f.layers = {raw, sjis, end1, member, folder1, end2, member2, folder2};
    f.negativeCount = true;
    f.channels = 4;
    f.resources = resourceBlock(1024, QByteArray("\x00\x06", 2));
    std::unique_ptr<CPsdFile> h = openOk(f.bytes());
    ASSERT_TRUE(h);
    SPsdDocInfo doc;
    ASSERT_EQ(h->getDocInfo(doc), CodecStatus::Nothing);
    EXPECT_EQ(doc.layerCount, 4);
    EXPECT_EQ(doc.mergedAlpha, 1);
    EXPECT_EQ(doc.activeLayer, 3); // record 6 is the fourth layer handed out
    EXPECT_EQ(doc.layerRunningNumber, 12);
    EXPECT_EQ(doc.dpiX, 72);
    SPsdLayerInfo info;
    ASSERT_EQ(h->getLayerInfo(0, info), CodecStatus::Nothing);
    EXPECT_EQ(info.mode, 3);
    EXPECT_EQ(QByteArray(info.key.data(), 4), QByteArray("norm"));
    EXPECT_EQ(info.nameText(), QStringLiteral("日本語"));
    EXPECT_FALSE(info.wideName.has_value());
    EXPECT_EQ(info.layerId, -1);
    SPsdChannelData data;
    for (int32_t c = 0; c < 4; ++c)
        EXPECT_EQ(channelBytes(*h, 0, c, data), p) << c;
    ASSERT_EQ(h->getLayerInfo(1, info), CodecStatus::Nothing);
    EXPECT_EQ(info.nameText(), QStringLiteral("レイヤ"));
    EXPECT_EQ(QByteArray(info.key.data(), 4), QByteArray("lrbn"));
    EXPECT_EQ(info.mode, 3);
    EXPECT_EQ(info.layerId, 7);
    ASSERT_EQ(h->getLayerInfo(2, info), CodecStatus::Nothing);
    EXPECT_EQ(info.nameText(), QStringLiteral("in hidden"));
    EXPECT_TRUE(info.flags & kPsdFlagHidden);
    ASSERT_EQ(h->getLayerInfo(3, info), CodecStatus::Nothing);
    EXPECT_FALSE(info.flags & kPsdFlagHidden);
    EXPECT_EQ(info.mode, 4);

    // Grey, 1-bit and 16-bit documents.
    File grey;
    grey.mode = 1;
    grey.channels = 1;
    ASSERT_TRUE(h = openOk(grey.bytes()));
    ASSERT_EQ(h->getDocInfo(doc), CodecStatus::Nothing);
    EXPECT_EQ(doc.imageType, kPsdImageGrey);
    EXPECT_EQ(doc.bitsPerPixel, 8);
    EXPECT_EQ(doc.layerCount, 0);
    File bits;
    bits.mode = 0;
    bits.depth = 1;
    bits.channels = 1;
    bits.width = 10;
    bits.merged = rleChannel(hex("80400001"), 2, 2);
    ASSERT_TRUE(h = openOk(bits.bytes()));
    ASSERT_EQ(h->getDocInfo(doc), CodecStatus::Nothing);
    EXPECT_EQ(doc.imageType, kPsdImageBitmap);
    EXPECT_EQ(doc.bitsPerPixel, 1);
    SPsdChannelData m;
    ASSERT_EQ(h->getDocChannel(m), CodecStatus::Nothing);
    EXPECT_EQ(m.dataBytes, 4u);
    EXPECT_EQ(m.boxW, 10);
    CodecImage img;
    ASSERT_EQ(psdReadImage(bits.bytes(), img), CodecStatus::Nothing);
    const uint8_t *row0 = img.bits.data() + img.bits.size() / 2; // bottom-up: row 0 is the second
    EXPECT_EQ(row0[0], 0);     // bit set: black
    EXPECT_EQ(row0[4], 255);   // clear: white
    File deep = grey;
    deep.mode = 3;
    deep.channels = 3;
    deep.depth = 16;
    Layer l16{0, 0, 1, 1, {{0, rawChannel(hex("0102"))}}};
    deep.layers = {l16};
    ASSERT_TRUE(h = openOk(deep.bytes()));
    ASSERT_EQ(h->getDocInfo(doc), CodecStatus::Nothing);
    EXPECT_EQ(doc.bitsPerPixel, 48);
    EXPECT_EQ(doc.imageType, kPsdImageColour);
    data.layerIndex = 0;
    data.channelNumber = 0;
    EXPECT_EQ(h->getLayerChannel(data), CodecStatus::ColorMode) << "16-bit channels are refused";
}

TEST(CodecPsdReader, StructuralFaultsFailTheOpen)
{
    const QByteArray p = plane(3, 2, 1);
    File good;
    Layer l{0, 0, 2, 3, {{0, rleChannel(p, 3, 2)}, {-1, rawChannel(p)}}};
    l.name = "x";
    good.layers = {l};
    const QByteArray base = good.bytes();
    ASSERT_TRUE(openOk(base));
    const qsizetype lm = layerSectionAt(base);
    const qsizetype rec = lm + 4 + 4 + 2;
    const qsizetype chan0 = rec + 18; // id of channel 0, its length at +2
    struct Case
    {
        const char *name;
        std::function<void(QByteArray &)> damage;
        CodecStatus want;
    };
    const Case cases[] = {
        {"not a PSD", [](QByteArray &b) { b[0] = 'X'; }, CodecStatus::Failed},
        {"version 2", [](QByteArray &b) { setBe16(b, 4, 2); }, CodecStatus::NoSupport},
        {"version 3", [](QByteArray &b) { setBe16(b, 4, 3); }, CodecStatus::Failed},
        {"cut in the header", [](QByteArray &b) { b.truncate(20); }, CodecStatus::FileRead},
        {"width 0", [](QByteArray &b) { setBe32(b, 18, 0); }, CodecStatus::Range},
        {"height 10001", [](QByteArray &b) { setBe32(b, 14, 10001); }, CodecStatus::Range},
        {"no channels", [](QByteArray &b) { setBe16(b, 12, 0); }, CodecStatus::Failed},
        {"depth 7", [](QByteArray &b) { setBe16(b, 22, 7); }, CodecStatus::Failed},
        {"resources past the file", [](QByteArray &b) { setBe32(b, 30, 0x7FFFFFF0); },
         CodecStatus::FileRead},
        {"layer section past the file",
         [lm](QByteArray &b) { setBe32(b, lm, uint32_t(b.size())); }, CodecStatus::FileRead},
        {"layer info past its section",
         [lm](QByteArray &b) { setBe32(b, lm + 4, getBe32(b, lm) - 2); }, CodecStatus::FileRead},
        {"layer count past the section", [rec](QByteArray &b) { setBe16(b, rec - 2, 40); },
         CodecStatus::Failed},
        {"channel length past the section",
         [chan0](QByteArray &b) { setBe32(b, chan0 + 2, 5000); }, CodecStatus::FileRead},
        {"a side past the format's limit",
         [rec](QByteArray &b) { setBe32(b, rec + 12, 40000); }, CodecStatus::Failed},
        {"right left of left", [rec](QByteArray &b) { setBe32(b, rec + 4, 9); },
         CodecStatus::Failed},
        {"RLE counts that do not add up",
         [lm](QByteArray &b) {
             const qsizetype at = b.indexOf(QByteArray::fromHex("000100040004"), lm);
             setBe16(b, at + 2, 5);
         },
         CodecStatus::FileRead},
        {"RLE row count below what a row needs",
         [lm](QByteArray &b) {
             const qsizetype at = b.indexOf(QByteArray::fromHex("000100040004"), lm);
             setBe16(b, at + 2, 1);
             setBe16(b, at + 4, 7);
         },
         CodecStatus::FileRead},
        {"unknown compression",
         [lm](QByteArray &b) {
             const qsizetype at = b.indexOf(QByteArray::fromHex("000100040004"), lm);
             setBe16(b, at, 9);
         },
         CodecStatus::Failed},
        {"no blend signature", [chan0](QByteArray &b) { b[chan0 + 12] = 'X'; },
         CodecStatus::Failed},
        {"merged image cut short", [](QByteArray &b) { b.chop(3); }, CodecStatus::FileRead},
    };
    for (const Case &c : cases) {
        QByteArray b = base;
        c.damage(b);
        std::unique_ptr<CPsdFile> f;
        EXPECT_EQ(CPsdFile::openBytes(b, f), c.want) << c.name;
        EXPECT_FALSE(f) << c.name;
    }

    // Channel data within their lengths that do not decode answer Extract when asked for; the
    // other channels still read.
    File bad = good;
    QByteArray broken = rleChannel(p, 3, 2);
    broken[6] = char(0x7F); // the first row's literal count runs past the row
    bad.layers[0].channels[0].stored = broken;
    std::unique_ptr<CPsdFile> f = openOk(bad.bytes());
    ASSERT_TRUE(f);
    SPsdChannelData data;
    data.channelNumber = 0;
    EXPECT_EQ(f->getLayerChannel(data), CodecStatus::Extract);
    EXPECT_EQ(data.dataBytes, 0u);
    EXPECT_EQ(channelBytes(*f, 0, 1, data), p);
    data.channelNumber = 2;
    EXPECT_EQ(f->getLayerChannel(data), CodecStatus::Range);
    bad.layers[0].channels[1].stored = zipChannel(p.left(3), 3, 1, false); // one row short
    ASSERT_TRUE(f = openOk(bad.bytes()));
    data.channelNumber = 1;
    EXPECT_EQ(f->getLayerChannel(data), CodecStatus::Extract);
}

// ---- 1-bit and 16-bit documents, and names in the old one-byte field

namespace {

const QString kPsdFixtures = QStringLiteral(KAVRIN_TEST_DATA "/psd");

// Pixel (x, y) from the top of a 32-bit DIB as 0xAARRGGBB.
uint32_t dibPixel(const CodecImage &img, int x, int y)
{
    const uint8_t *p = dibRowFromTop(img.info, img.bits, y) + x * 4;
    return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

// The pascal name of the first layer record of a file.
QByteArray firstPascalName(const QByteArray &b)
{
    qsizetype at = layerSectionAt(b) + 4 + 4 + 2; // section length, layer info length, count
    const uint16_t channels = getBe16(b, at + 16);
    at += 18 + 6 * channels + 12 + 4; // rectangle, channels, blending, extra length
    at += 4 + getBe32(b, at);         // layer mask
    at += 4 + getBe32(b, at);         // blending ranges
    return b.mid(at + 1, uint8_t(b[at]));
}

QString fromShiftJis(const QByteArray &bytes, bool &ok)
{
    QStringDecoder dec("Shift_JIS");
    const QString s = dec.decode(bytes);
    ok = !dec.hasError();
    return s;
}

} // namespace

// A 1-bit document reads as black and white alike as layer and as merged picture, and as the
// picture its writer made of it.
TEST(NewUserFaultsPsdDepth, OneBitLayerAndMergedPictureAgreeWithThePeer)
{
    const QString path = kPsdFixtures + "/im-1bit.psd";
    std::unique_ptr<CPsdFile> f;
    ASSERT_EQ(CPsdFile::open(&path, f), CodecStatus::Nothing);
    SPsdDocInfo doc;
    ASSERT_EQ(f->getDocInfo(doc), CodecStatus::Nothing);
    EXPECT_TRUE(psdTypeIsReadable(doc));
    CodecImage layer, merged;
    ASSERT_EQ(psdGetLayerImage(*f, 0, layer), CodecStatus::Nothing);
    ASSERT_EQ(psdGetImage(path, merged), CodecStatus::Nothing);
    const QImage want =
        QImage(kPsdFixtures + "/im-1bit.png").convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(want.size(), QSize(64, 48));
    ASSERT_EQ(layer.info.biWidth, 64);
    ASSERT_EQ(std::abs(layer.info.biHeight), 48);
    int bad = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const uint32_t w = want.pixel(x, y);
            if ((dibPixel(layer, x, y) != w || dibPixel(merged, x, y) != w) && bad++ < 3)
                ADD_FAILURE() << x << "," << y << std::hex << " want " << w << " layer "
                              << dibPixel(layer, x, y) << " merged " << dibPixel(merged, x, y);
        }
}

// A depth the reader does not turn into pixels is refused with one code by every way of reading.
TEST(NewUserFaultsPsdDepth, SixteenBitIsRefusedAlikeByEveryReader)
{
    const QString path = kPsdFixtures + "/im-16bit.psd";
    std::unique_ptr<CPsdFile> f;
    ASSERT_EQ(CPsdFile::open(&path, f), CodecStatus::Nothing);
    SPsdDocInfo doc;
    ASSERT_EQ(f->getDocInfo(doc), CodecStatus::Nothing);
    EXPECT_EQ(doc.bitsPerPixel, 48);
    EXPECT_FALSE(psdTypeIsReadable(doc));
    CodecImage layer, merged;
    EXPECT_EQ(psdGetLayerImage(*f, 0, layer), CodecStatus::ColorMode);
    EXPECT_TRUE(layer.bits.empty());
    EXPECT_EQ(psdGetImage(path, merged), CodecStatus::ColorMode);
    SPsdChannelData data;
    EXPECT_EQ(f->getLayerChannel(data), CodecStatus::ColorMode);
    EXPECT_EQ(f->getDocChannel(data), CodecStatus::ColorMode);
}

// The old one-byte name field holds Shift_JIS, cut to 255 bytes at a whole character; the Unicode
// name stays whole, and a reader without it gets the cut name back.
TEST(NewUserFaultsPsdNames, OldNameFieldIsShiftJisCutAtACharacter)
{
    const QString a200 = QString(200, QChar(0x3042)); // "あ": two bytes each
    const QString a1 = QStringLiteral("a") + QString(199, QChar(0x3042));
    struct Case
    {
        QString name, field;
    } cases[] = {
        {QStringLiteral("レイヤ1"), QStringLiteral("レイヤ1")},
        {QStringLiteral("Layer 2"), QStringLiteral("Layer 2")},
        {QStringLiteral("é😀x"), QStringLiteral("??x")}, // not in the code page
        {a200, a200.left(127)}, // 254 bytes: a 128th character would be cut in half
        {a1, a1.left(128)},     // exactly 255 bytes
    };
    for (const Case &c : cases) {
        const std::string what = c.name.left(8).toStdString();
        TestDoc d(4, 3);
        SPsdLayerInfo info = layerInfo(0, 0, 4, 3, 3, c.name);
        info.wideName = c.name;
        d.addLayer(info, 1);
        d.alphaNames = {c.name};
        d.finish();
        QByteArray b = d.write();
        const QByteArray field = firstPascalName(b);
        EXPECT_LE(field.size(), 255) << what;
        bool ok = false;
        EXPECT_EQ(fromShiftJis(field, ok).toStdString(), c.field.toStdString());
        EXPECT_TRUE(ok) << what;
        // The alpha channel's name (resource 1006) alike.
        std::unique_ptr<CPsdFile> f = openOk(b);
        ASSERT_TRUE(f);
        std::vector<uint8_t> names(f->getResource(1006, {}));
        ASSERT_FALSE(names.empty()) << what;
        f->getResource(1006, names);
        EXPECT_EQ(fromShiftJis(QByteArray(reinterpret_cast<const char *>(names.data()) + 1,
                                          names[0]),
                               ok)
                      .toStdString(),
                  c.field.toStdString());
        SPsdLayerInfo got;
        ASSERT_EQ(f->getLayerInfo(0, got), CodecStatus::Nothing);
        EXPECT_EQ(got.wideName.value_or(QString()).toStdString(), c.name.toStdString());
        // Without its Unicode block the reader falls back on the old field.
        const qsizetype luni = b.indexOf("8BIMluni");
        ASSERT_GT(luni, 0);
        b[luni + 7] = 'X';
        ASSERT_TRUE(f = openOk(b));
        ASSERT_EQ(f->getLayerInfo(0, got), CodecStatus::Nothing);
        EXPECT_FALSE(got.wideName.has_value()) << what;
        EXPECT_EQ(got.nameText().toStdString(), c.field.toStdString());
    }
}
