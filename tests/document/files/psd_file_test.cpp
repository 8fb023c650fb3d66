#include "document/files/psd_file.h"

#include "core/mask/mask_manager.h"
#include "document/events/event_manager.h"
#include "core/tiles/block_channel.h"
#include "format/chunk.h"
#include "document/paper/headless.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "platform/codec/psd_codec.h"
#include "support/captured_messages.h"
#include "support/paper_fakes.h"
#include "support/psd_builder.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace psdtest;

namespace {

void writeFile(const QString &path, const QByteArray &b)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(b);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray plane(int w, int h, int seed)
{
    QByteArray b(qsizetype(w) * h, '\0');
    for (int i = 0; i < b.size(); ++i)
        b[i] = char((i * 13 + seed * 29) & 0xFF);
    return b;
}

// A fresh document window's paper, loaded from bytes written to a file.
struct Loaded
{
    uint8_t load(const QByteArray &bytes)
    {
        writeFile(path(), bytes);
        doc = std::make_unique<HeadlessDocument>();
        doc->paper->eventMngr().stopRecording();
        msgs.clear();
        return loadPsdFile(path(), paper());
    }
    QString path() const { return dir.filePath("in.psd"); }
    TPaper &paper() { return *doc->paper; }
    CLayerData &layer(int i) { return *paper().getLayerData(i); }

    QTemporaryDir dir;
    std::unique_ptr<HeadlessDocument> doc;
    CapturedMessages msgs;
};

// A file of w x h with the given layers; the merged image raw planes of 0x80.
File fileOf(uint32_t w, uint32_t h, std::vector<Layer> layers)
{
    File f;
    f.width = w;
    f.height = h;
    f.layers = std::move(layers);
    return f;
}

Layer rgbaLayer(int32_t left, int32_t top, int32_t right, int32_t bottom, int seed)
{
    const int w = right - left, h = bottom - top;
    Layer l{top, left, bottom, right, {}};
    for (int16_t id = -1; id < 3; ++id)
        l.channels.push_back({id, rleChannel(plane(w, h, seed + id), w, h)});
    return l;
}

} // namespace

TEST(PsdImport, LayersWithTheirPlacesAttributesAndPixels)
{
    Loaded d;
    // A layer partly left of and above the canvas, a dissolve layer, a hidden one whose pixels do
    // not matter, a clipped and protected one without a transparency channel.
    Layer left = rgbaLayer(-3, -2, 5, 4, 1);
    left.name = "left";
    left.extras = idBlock(3) + luniBlock(QStringLiteral("左はみ出し"));
    Layer diss = rgbaLayer(0, 0, 10, 6, 2);
    diss.key = "diss";
    diss.opacity = 128;
    Layer irrelevant = rgbaLayer(1, 1, 2, 2, 3);
    irrelevant.flags = codec::kPsdFlagBit4Valid | codec::kPsdFlagIrrelevant;
    Layer noAlpha{2, 1, 4, 12, {}};
    for (int16_t id = 0; id < 3; ++id)
        noAlpha.channels.push_back({id, rawChannel(plane(11, 2, 9 + id))});
    noAlpha.clipping = 1;
    noAlpha.flags = codec::kPsdFlagProtected | codec::kPsdFlagHidden;
    noAlpha.key = "mron";
    File f = fileOf(10, 6, {left, diss, irrelevant, noAlpha});
    f.resources = resourceBlock(1024, QByteArray("\x00\x01", 2)) +
                  resourceBlock(1005, QByteArray::fromHex("00c80000000100010064000000010001"));
    ASSERT_EQ(d.load(f.bytes()), CS_OK);
    EXPECT_TRUE(d.msgs.warnings.isEmpty()) << d.msgs.warnings.join('|').toStdString();
    TPaper &p = d.paper();
    EXPECT_EQ(p.m_paperSize, (sSize{10, 6}));
    EXPECT_EQ(p.m_paperDPI, 200);
    ASSERT_EQ(p.getLayerCount(), 4);
    EXPECT_EQ(p.ActiveLayer(), 1);
    EXPECT_EQ(p.layerMngr().getTotalNum(), 2); // the largest id less one

    // The layer image spans the layer and the canvas; the canvas sits at a positive position.
    const CLayerData &l0 = d.layer(0);
    EXPECT_EQ(l0.title, QStringLiteral("左はみ出し"));
    EXPECT_EQ(l0.imageTC->width(), 13);
    EXPECT_EQ(l0.imageTC->height(), 8);
    EXPECT_EQ(l0.viewPos, (sPos{3, 2}));
    EXPECT_EQ(l0.viewSize, (sSize{10, 6}));
    EXPECT_EQ(l0.mode, TLayerMode::LM_STD);
    EXPECT_TRUE(l0.visible);
    const QByteArray a = plane(8, 6, 0), r = plane(8, 6, 1), g = plane(8, 6, 2), b = plane(8, 6, 3);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const int i = y * 8 + x;
            const uint32_t want = uint32_t(uint8_t(a[i])) << 24 | uint32_t(uint8_t(r[i])) << 16 |
                                  uint32_t(uint8_t(g[i])) << 8 | uint8_t(b[i]);
            ASSERT_EQ(l0.imageTC->getColor(x, y), want) << x << "," << y;
        }
    EXPECT_EQ(l0.imageTC->getColor(9, 7) >> 24, 0u); // outside the layer: transparent

    // "diss" 128: a standard layer dithered at 128, opaque.
    const CLayerData &l1 = d.layer(1);
    EXPECT_TRUE(l1.ditherEnable);
    EXPECT_EQ(l1.dither, 128);
    EXPECT_EQ(l1.trans, 255);
    EXPECT_EQ(l1.mode, TLayerMode::LM_STD);
    EXPECT_EQ(l1.title, QStringLiteral("(*レイヤ 1)"));
    EXPECT_FALSE(d.layer(2).visible);

    // Without a transparency channel the layer's rectangle is opaque; the rest stays clear.
    const CLayerData &l3 = d.layer(3);
    EXPECT_EQ(l3.imageTC->width(), 12);
    EXPECT_EQ(l3.imageTC->getColor(1, 2) >> 24, 255u);
    EXPECT_EQ(l3.imageTC->getColor(11, 3) >> 24, 255u);
    EXPECT_EQ(l3.imageTC->getColor(0, 2) >> 24, 0u);
    EXPECT_EQ(l3.imageTC->getColor(1, 4) >> 24, 0u);
    EXPECT_TRUE(l3.maskProtected);
    EXPECT_FALSE(l3.visible);
    EXPECT_TRUE(l3.getUnderLyrClip());
    EXPECT_EQ(l3.title, QStringLiteral("(*レイヤ 3)"));
    // An empty mask follows, current, the selection shown and enabled.
    ASSERT_EQ(p.maskMngr().getMaskCount(), 1);
    EXPECT_EQ(p.maskMngr().getCurIndex(), 0);
    EXPECT_TRUE(p.bVisMask);
    EXPECT_TRUE(p.bEnbMask);
}

TEST(PsdImport, MergedPictureGreyBitmapAndRefusedDepths)
{
    Loaded d;
    // No layers: one layer "(背景)" from the merged image.
    File none = fileOf(5, 3, {});
    const QByteArray red = plane(5, 3, 1), green = plane(5, 3, 2), blue = plane(5, 3, 3);
    none.merged = rawChannel(red + green + blue);
    ASSERT_EQ(d.load(none.bytes()), CS_OK);
    ASSERT_EQ(d.paper().getLayerCount(), 1);
    EXPECT_EQ(d.layer(0).title, QStringLiteral("(背景)"));
    EXPECT_EQ(d.layer(0).imageTC->getColor(4, 2),
              0xFF000000u | uint32_t(uint8_t(red[14])) << 16 | uint32_t(uint8_t(green[14])) << 8 |
                  uint8_t(blue[14]));

    // Grey: the one channel into blue, green and red.
    File grey = fileOf(4, 2, {});
    grey.mode = 1;
    grey.channels = 1;
    grey.merged = rawChannel(QByteArray::fromHex("0010203040506070"));
    ASSERT_EQ(d.load(grey.bytes()), CS_OK);
    EXPECT_EQ(d.layer(0).imageTC->getColor(3, 1), 0xFF707070u);

    // 1-bit: a set bit is black, a clear one white.
    File bits = fileOf(10, 2, {});
    bits.mode = 0;
    bits.depth = 1;
    bits.channels = 1;
    bits.merged = rawChannel(QByteArray::fromHex("a0400001"));
    ASSERT_EQ(d.load(bits.bytes()), CS_OK);
    const CBlockVMTC &img = *d.layer(0).imageTC;
    EXPECT_EQ(img.getColor(0, 0), 0xFF000000u);
    EXPECT_EQ(img.getColor(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(img.getColor(2, 0), 0xFF000000u);
    EXPECT_EQ(img.getColor(9, 0), 0xFF000000u);
    EXPECT_EQ(img.getColor(8, 0), 0xFFFFFFFFu);
    EXPECT_EQ(img.getColor(9, 1), 0xFFFFFFFFu) << "bits past the width are not pixels";

    // 16 bits per channel and CMYK are refused with 15, the document untouched.
    File deep = fileOf(4, 2, {});
    deep.depth = 16;
    File cmyk = fileOf(4, 2, {});
    cmyk.mode = 4;
    cmyk.channels = 4;
    for (const File &f : {deep, cmyk}) {
        writeFile(d.path(), f.bytes());
        HeadlessDocument doc;
        ASSERT_TRUE(setupHeadlessPaper(*doc.paper, {7, 7}, 0xFFFFFF, 2));
        const QString before = dumpPaperState(*doc.paper);
        EXPECT_EQ(loadPsdFile(d.path(), *doc.paper), CS_PSD_BAD_TYPE);
        EXPECT_EQ(dumpPaperState(*doc.paper), before);
    }
    HeadlessDocument doc;
    EXPECT_EQ(loadPsdFile(d.dir.filePath("none.psd"), *doc.paper), CS_FILE_MISSING);
}

TEST(PsdImport, StructuralFaultsFailTheOpenAndLeaveTheDocument)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("bad.psd");
    const QByteArray good = fileOf(6, 4, {rgbaLayer(0, 0, 6, 4, 1)}).bytes();
    const qsizetype lm = layerSectionAt(good);
    struct Case
    {
        const char *name;
        std::function<void(QByteArray &)> damage;
    };
    const Case cases[] = {
        {"cut in the layer records", [lm](QByteArray &b) { b.truncate(lm + 30); }},
        {"cut in the merged image", [](QByteArray &b) { b.chop(5); }},
        {"layer count past its section", [lm](QByteArray &b) { setBe16(b, lm + 8, 9); }},
        {"layer info past its section",
         [lm](QByteArray &b) { setBe32(b, lm + 4, getBe32(b, lm) + 2); }},
        {"RLE rows that do not add up",
         [lm](QByteArray &b) {
             const qsizetype at = b.indexOf(QByteArray::fromHex("00010007"), lm);
             setBe16(b, at + 2, 8);
         }},
        {"width 0", [](QByteArray &b) { setBe32(b, 18, 0); }},
        {"height 10001", [](QByteArray &b) { setBe32(b, 14, 10001); }},
        {"not a PSD", [](QByteArray &b) { b.replace(0, 4, "8BPX"); }},
    };
    for (const Case &c : cases) {
        QByteArray b = good;
        c.damage(b);
        writeFile(path, b);
        HeadlessDocument doc;
        ASSERT_TRUE(setupHeadlessPaper(*doc.paper, {9, 9}, 0xFFFFFF, 2));
        const QString before = dumpPaperState(*doc.paper);
        EXPECT_EQ(loadPsdFile(path, *doc.paper), CS_PSD_NO_HANDLE) << c.name;
        EXPECT_EQ(dumpPaperState(*doc.paper), before) << c.name;
    }
}

TEST(PsdImport, ChannelsThatDoNotDecodeAreSkipped)
{
    Loaded d;
    // Layer 0: its red channel does not decode (a literal past the row): the others still come.
    Layer partly = rgbaLayer(0, 0, 4, 2, 1);
    partly.channels[1].stored[6] = char(0x7F);
    // Layer 1: nothing decodes: 57, warned, the layer stays empty and the others load.
    Layer broken = rgbaLayer(0, 0, 4, 2, 2);
    for (Channel &c : broken.channels)
        c.stored[6] = char(0x7F);
    Layer fine = rgbaLayer(0, 0, 4, 2, 3);
    ASSERT_EQ(d.load(fileOf(4, 2, {partly, broken, fine}).bytes()), CS_OK);
    ASSERT_EQ(d.paper().getLayerCount(), 3);
    const QByteArray alpha = plane(4, 2, 0), green = plane(4, 2, 2);
    EXPECT_EQ(d.layer(0).imageTC->getColor(1, 1) >> 24, uint32_t(uint8_t(alpha[5])));
    EXPECT_EQ((d.layer(0).imageTC->getColor(1, 1) >> 8) & 0xFF, uint32_t(uint8_t(green[5])));
    EXPECT_TRUE(d.msgs.warnings.isEmpty()) << "the last layer read well";

    ASSERT_EQ(d.load(fileOf(4, 2, {fine, broken}).bytes()), CS_OK);
    EXPECT_EQ(d.msgs.warnings,
              QStringList{QStringLiteral("レイヤ読み込み中にエラーが検出されました! (err=57)")});
    EXPECT_EQ(d.paper().getLayerCount(), 2);
    ASSERT_EQ(d.load(fileOf(4, 2, {broken}).bytes()), CS_PSD_NO_LAYER);
}

TEST(PsdImport, AlphaChannelsBecomeNamedMasks)
{
    Loaded d;
    File f = fileOf(4, 2, {rgbaLayer(0, 0, 4, 2, 1)});
    f.channels = 6;
    f.negativeCount = true; // the first extra channel is the merged transparency
    QByteArray names;
    for (const QByteArray &n : {QByteArray("Transparency"), QByteArray(), QByteArray("\x91\x49\x91\xf0", 4)}) {
        names.append(char(n.size()));
        names += n;
    }
    f.resources = resourceBlock(1006, names);
    const QByteArray m1 = plane(4, 2, 5), m2 = plane(4, 2, 6);
    f.merged = rawChannel(QByteArray(8 * 3, char(0x80)) + QByteArray(8, char(0xFF)) + m1 + m2);
    ASSERT_EQ(d.load(f.bytes()), CS_OK);
    CMaskMngr &masks = d.paper().maskMngr();
    ASSERT_EQ(masks.getMaskCount(), 3); // two read, one empty appended and made current
    EXPECT_EQ(masks.getMask(0)->title, QStringLiteral("(マスク 1)"));
    EXPECT_EQ(masks.getMask(1)->title, QStringLiteral("選択")); // Shift_JIS
    EXPECT_EQ(masks.getMask(1)->getMaskValue(3, 1), uint8_t(m2[7]));
    EXPECT_EQ(masks.getMask(0)->getMaskValue(0, 0), uint8_t(m1[0]));
    EXPECT_FALSE(masks.getMask(2)->hasMask());
    EXPECT_EQ(masks.getCurIndex(), 2);
}

TEST(PsdExport, RoundTripThroughOurReader)
{
    HeadlessDocument src;
    TPaper &p = *src.paper;
    ASSERT_TRUE(setupHeadlessPaper(p, {40, 30}, 0xFFFFFF, 3));
    p.m_paperDPI = 144;
    for (int32_t i = 0; i < 3; ++i) {
        CBlockVMTC &img = *p.getLayerData(i)->imageTC;
        for (int32_t k = 0; k < 300; ++k)
            img.setPixel((k * 7 + i) % 40, (k * 3) % 30, 0xFF000000u | uint32_t(k * 9973 + i));
    }
    CLayerData &l1 = *p.getLayerData(1);
    l1.ditherEnable = true;
    l1.dither = 128;
    l1.trans = 200;
    l1.mode = TLayerMode::LM_SCR;
    l1.maskProtected = true;
    l1.ChangeUnderLyrClip(true);
    l1.title = QString(300, QChar(u'長'));
    CLayerData &l2 = *p.getLayerData(2);
    l2.visible = false;
    l2.mode = TLayerMode::LM_PINLIGHT;
    l2.title = QStringLiteral("上のレイヤ");
    // Masks: only the third holds an image.
    CMaskMngr &masks = p.maskMngr();
    masks.deleteAll();
    for (int32_t k = 0; k < 3; ++k) {
        auto md = k == 2 ? std::make_unique<CMaskData>(k, 40, 30) : std::make_unique<CMaskData>(k);
        if (k == 2)
            for (int32_t y = 3; y < 9; ++y)
                md->maskTC->setPixel(y + 2, y, 200);
        md->title = QStringLiteral("選択%1").arg(k);
        ASSERT_GE(masks.insertMask(k, md), 0);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("out.psd");
    ASSERT_EQ(savePsdFile(path, p, 6, false), CS_OK);
    EXPECT_EQ(savePsdFile(path, p, 6, false), CS_PSD_FILE_EXISTS);
    EXPECT_EQ(savePsdFile(path, p, 9, true), CS_PSD_PARAM);

    // The file as the codec sees it: "diss" 128, 255 characters of the title, three alpha
    // channels of which two are empty.
    std::unique_ptr<codec::CPsdFile> f;
    ASSERT_EQ(codec::CPsdFile::open(&path, f), codec::CodecStatus::Nothing);
    codec::SPsdDocInfo doc;
    ASSERT_EQ(f->getDocInfo(doc), codec::CodecStatus::Nothing);
    EXPECT_EQ(doc.totalChannels, 6);
    EXPECT_EQ(doc.layerCount, 3);
    EXPECT_EQ(doc.dpiX, 144);
    codec::SPsdLayerInfo info;
    ASSERT_EQ(f->getLayerInfo(1, info), codec::CodecStatus::Nothing);
    EXPECT_EQ(QByteArray(info.key.data(), 4), QByteArray("diss"));
    EXPECT_EQ(info.opacity, 128);
    EXPECT_EQ(info.wideName.value_or(QString()).size(), 255);
    EXPECT_EQ(info.flags, codec::kPsdFlagBit4Valid | codec::kPsdFlagProtected);
    EXPECT_EQ(info.layerId, l1.uniqueID + 1);
    codec::SPsdChannelData ch;
    ch.channelNumber = 3;
    ASSERT_EQ(f->getDocChannel(ch), codec::CodecStatus::Nothing);
    EXPECT_EQ(std::count(ch.buffer.begin(), ch.buffer.begin() + ch.dataBytes, 0), 40 * 30);
    ch.channelNumber = 5;
    ASSERT_EQ(f->getDocChannel(ch), codec::CodecStatus::Nothing);
    EXPECT_EQ(ch.buffer[size_t(5 * 40 + 7)], 200);
    EXPECT_GT(f->getResource(1036, {}), 28u);

    // And back into a document.
    Loaded d;
    ASSERT_EQ(d.load(readFile(path)), CS_OK);
    TPaper &q = d.paper();
    ASSERT_EQ(q.getLayerCount(), 3);
    EXPECT_EQ(q.m_paperDPI, 144);
    const CLayerData &b1 = *q.getLayerData(1);
    EXPECT_TRUE(b1.ditherEnable);
    EXPECT_EQ(b1.dither, 128);
    EXPECT_EQ(b1.trans, 255);
    EXPECT_EQ(b1.mode, TLayerMode::LM_STD);
    EXPECT_TRUE(b1.maskProtected);
    EXPECT_TRUE(b1.getUnderLyrClip());
    EXPECT_EQ(b1.title, QString(255, QChar(u'長')));
    EXPECT_EQ(q.getLayerData(2)->mode, TLayerMode::LM_PINLIGHT);
    EXPECT_FALSE(q.getLayerData(2)->visible);
    EXPECT_EQ(q.getLayerData(2)->title, QStringLiteral("上のレイヤ"));
    for (int32_t i = 0; i < 3; ++i)
        for (int32_t y = 0; y < 30; ++y)
            for (int32_t x = 0; x < 40; ++x)
                ASSERT_EQ(q.getLayerData(i)->imageTC->getColor(x, y),
                          p.getLayerData(i)->imageTC->getColor(x, y))
                    << i << " " << x << "," << y;
    ASSERT_EQ(q.maskMngr().getMaskCount(), 4);
    EXPECT_EQ(q.maskMngr().getMask(2)->title, QStringLiteral("選択2"));
    EXPECT_EQ(q.maskMngr().getMask(2)->getMaskValue(7, 5), 200);
    sRect none;
    EXPECT_FALSE(q.maskMngr().getMask(0)->getMaskEnbRect(none)) << "an empty mask stays empty";
}

TEST(PsdExport, MasksPastTheChannelCapRefuseTheSave)
{
    HeadlessDocument src;
    TPaper &p = *src.paper;
    ASSERT_TRUE(setupHeadlessPaper(p, {8, 8}, 0xFFFFFF, 1));
    CMaskMngr &masks = p.maskMngr();
    masks.deleteAll();
    for (int32_t k = 0; k < 23; ++k) {
        auto md = k == 21 ? std::make_unique<CMaskData>(k, 8, 8) : std::make_unique<CMaskData>(k);
        ASSERT_GE(masks.insertMask(k, md), 0);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.psd");
    writeFile(path, "old");
    EXPECT_EQ(savePsdFile(path, p, 6, true), CS_PSD_PARAM);
    EXPECT_EQ(readFile(path), QByteArray("old"));
    // Masks past the cap without an image are simply not written.
    masks.deleteAt(21);
    EXPECT_EQ(savePsdFile(path, p, 6, true), CS_OK);
}

TEST(PsdBridge, ErrorMappingAndChannelBytes)
{
    const std::pair<codec::CodecStatus, uint8_t> table[] = {
        {codec::CodecStatus::Nothing, 0},     {codec::CodecStatus::Failed, 64},
        {codec::CodecStatus::NoSupport, 38},  {codec::CodecStatus::NoMemory, 1},
        {codec::CodecStatus::Setup, 61},      {codec::CodecStatus::Handle, 52},
        {codec::CodecStatus::Param, 62},      {codec::CodecStatus::ColorMode, 62},
        {codec::CodecStatus::Compress, 62},   {codec::CodecStatus::Range, 63},
        {codec::CodecStatus::Exception, 3},   {codec::CodecStatus::ExceptionSomething, 3},
        {codec::CodecStatus::FileOpen, 6},    {codec::CodecStatus::FileRead, 9},
        {codec::CodecStatus::FileWrite, 8},   {codec::CodecStatus::UserBreak, 65},
        {codec::CodecStatus::UserData, 66},   {codec::CodecStatus::NoData, 2},
        {codec::CodecStatus::Extract, 2},     {codec::CodecStatus::NoUse10, 2},
    };
    for (const auto &[err, status] : table)
        EXPECT_EQ(psdErrorToStatus(uint8_t(err)), status) << int(err);
    EXPECT_EQ(psdErrorToStatus(0x80 | uint8_t(codec::CodecStatus::Range)), 63) << "low 7 bits";
    const std::pair<int32_t, int32_t> bytes[] = {{0, 2}, {1, 1}, {2, 0}, {-1, 3}, {-2, -1}, {3, -1}};
    for (const auto &[id, byte] : bytes)
        EXPECT_EQ(psdChannelToByte(id), byte) << id;
}
