#include "document/files/native_image.h"

#include "core/mask/mask_manager.h"
#include "core/tiles/block_channel.h"
#include "document/events/event_manager.h"
#include "format/chunk.h"
#include "format/image_records.h"
#include "document/paper/headless.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "support/captured_messages.h"
#include "support/paper_fakes.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace {

uint32_t u32At(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<uint32_t>(b.constData() + at);
}

template <class T> void putAt(QByteArray &b, qsizetype at, T v)
{
    qToLittleEndian<T>(v, b.data() + at);
}

// Little-endian bytes built field by field.
struct Bytes
{
    QByteArray b;
    Bytes &tag(const char *t)
    {
        b.append(t, 4);
        return *this;
    }
    template <class T> Bytes &v(T x)
    {
        char tmp[sizeof(T)];
        qToLittleEndian<T>(x, tmp);
        b.append(tmp, sizeof(T));
        return *this;
    }
    Bytes &zeros(int n)
    {
        b.append(QByteArray(n, '\0'));
        return *this;
    }
};

struct Chunk
{
    qsizetype at;
    QByteArray tag;
    uint32_t size;
};

// Every chunk of a file, header included.
std::vector<Chunk> chunksOf(const QByteArray &b)
{
    std::vector<Chunk> out;
    for (qsizetype at = 0; at + 8 <= b.size(); at += 8 + qsizetype(u32At(b, at + 4)))
        out.push_back({at, b.mid(at, 4), u32At(b, at + 4)});
    return out;
}

QByteArray tagsOf(const QByteArray &b)
{
    QByteArray t;
    for (const Chunk &c : chunksOf(b))
        t += c.tag + ' ';
    return t.trimmed();
}

const Chunk &nth(const std::vector<Chunk> &cs, const char *tag, int n)
{
    for (const Chunk &c : cs)
        if (c.tag == tag && n-- == 0)
            return c;
    static const Chunk none{-1, {}, 0};
    ADD_FAILURE() << "no chunk " << tag;
    return none;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &b)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(b);
}

// A mask of the paper's size with a drawn square.
void addMask(TPaper &paper, int32_t idx, uint8_t value)
{
    auto md = std::make_unique<CMaskData>(idx, paper.m_paperSize.x, paper.m_paperSize.y);
    for (int32_t y = 5; y < 40; ++y)
        for (int32_t x = 3; x < 50; ++x)
            md->maskTC->setPixel(x, y, value);
    md->title = QStringLiteral("選択%1").arg(idx);
    ASSERT_GE(paper.maskMngr().insertMask(idx, md), 0);
}

// A document with painted layers, one extended and one carrying every attribute.
struct SampleDoc
{
    SampleDoc(sSize size = {300, 200}, int32_t layers = 3)
    {
        EXPECT_TRUE(setupHeadlessPaper(paper(), size, 0x00336699, layers));
        paper().m_paperDPI = 350;
        for (int32_t i = 0; i < layers; ++i) {
            CBlockVMTC &img = *paper().getLayerData(i)->imageTC;
            for (int32_t k = 0; k < 200; ++k)
                img.setPixel((k * 37 + i * 11) % size.x, (k * 13) % size.y,
                             0xFF000000u | uint32_t(k * 977 + i));
        }
    }
    TPaper &paper() { return *doc.paper; }
    HeadlessDocument doc;
};

// Records the progress window's calls.
struct ProgressLog
{
    struct Fake : IPaperProgress
    {
        explicit Fake(ProgressLog &l) : log(l) {}
        void setCaption(const QString &c) override { log.lines << "caption " + c; }
        void setMessage(const QString &m) override { log.lines << "msg " + m; }
        void reset(int steps) override { log.lines << QStringLiteral("reset %1").arg(steps); }
        void step(int n) override { log.steps += n; }
        ProgressLog &log;
    };
    ProgressLog()
    {
        SPaperAppHooks hooks;
        hooks.openProgress = [this](int steps, const QString &caption, const QString &) {
            opened << steps;
            lines << "caption " + caption;
            return std::unique_ptr<IPaperProgress>(new Fake(*this));
        };
        previous = installPaperAppHooks(hooks);
    }
    ~ProgressLog() { installPaperAppHooks(previous); }
    SPaperAppHooks previous;
    QList<int> opened;
    QStringList lines;
    int steps = 0;
};

TEST(NativeImageFile, HeaderGoldenBytes)
{
    SampleDoc d;
    d.paper().maskMngr().deleteAll();
    addMask(d.paper(), 0, 9);
    addMask(d.paper(), 1, 200);
    d.paper().maskMngr().setCurIndex(1);
    d.paper().maskMngr().resetTotalNum(4);
    d.paper().layerMngr().setTotalNum(7);
    d.paper().bVisCanvasCol = false;
    d.paper().bEnbMask = true;
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    ASSERT_EQ(writeImageHeader(buf, d.paper(), kQziLayers | kQziMasks | kQziThumbnail), CS_OK);
    Bytes want;
    want.tag("QPIM").v<uint32_t>(48).v<int32_t>(300).v<int32_t>(200).v<uint32_t>(2);
    want.v<uint16_t>(5).v<uint16_t>(104);
    want.v<uint32_t>(0x1 | 0x2 | 0x4 | 0x20 | 0x40 | 0x100 | 0x200);
    want.v<uint32_t>(0x00336699);
    want.v<int16_t>(int16_t(d.paper().ActiveLayer())).v<int16_t>(1).v<uint16_t>(350).zeros(2);
    want.v<int16_t>(3).v<int16_t>(7).v<int16_t>(2).v<int16_t>(4).zeros(8);
    EXPECT_EQ(buf.data().toHex().toStdString(), want.b.toHex().toStdString());

    // Without bits 0 and 1 the counts stay 0.
    QBuffer plain;
    plain.open(QIODevice::ReadWrite);
    ASSERT_EQ(writeImageHeader(plain, d.paper(), kQziThumbnail), CS_OK);
    EXPECT_EQ(u32At(plain.data(), 24), 0x4u | 0x40u);
    EXPECT_EQ(plain.data().mid(32, 24), QByteArray(24, '\0').replace(4, 2, "\x5e\x01"));
}

TEST(NativeImageFile, LayerChunkGoldenBytes)
{
    SampleDoc d({100, 70}, 1);
    CLayerData &ld = *d.paper().getLayerData(0);
    ld.visible = true;
    ld.maskProtected = true;
    ld.ditherEnable = true;
    ld.dither = 77;
    ld.setDitherState(0x1234);
    ld.setGroupLevel(2);
    ld.ChangeUnderLyrClip(true);
    ld.setLinkIndex(3);
    ld.trans = 128;
    ld.viewPos = {0, 0};
    struct Case
    {
        QString title;
        uint16_t nameLength;
        QByteArray area;
    };
    const Case cases[] = {
        {QStringLiteral("ab"), 5, QByteArray("a\0b\0\0\0\0\0", 8)},
        {QStringLiteral("abc"), 7, QByteArray("a\0b\0c\0\0\0", 8)},
    };
    for (const Case &c : cases) {
        ld.title = c.title;
        QBuffer buf;
        buf.open(QIODevice::ReadWrite);
        ASSERT_EQ(writeLayerHeader(buf, ld, nullptr), CS_OK);
        Bytes want;
        want.tag("QLYR").v<uint32_t>(72 + 8);
        want.v<int32_t>(0).v<uint16_t>(0x1 | 0x2 | 0x10 | 0x20).v<uint8_t>(uint8_t(ld.mode));
        want.v<uint8_t>(128);
        want.v<int32_t>(32).v<int32_t>(32).v<int32_t>(4).v<int32_t>(3);
        want.v<int32_t>(100).v<int32_t>(70).v<int32_t>(0).v<int32_t>(0);
        want.v<int32_t>(100).v<int32_t>(70).v<uint32_t>(0x00FFFFFF);
        want.v<uint16_t>(c.nameLength).v<uint16_t>(0);
        want.v<uint8_t>(77).v<uint8_t>(2).v<uint8_t>(1).v<uint8_t>(0);
        want.v<uint32_t>(ld.dizRand.val).v<uint16_t>(3).zeros(6);
        want.b += c.area;
        EXPECT_EQ(buf.data().toHex().toStdString(), want.b.toHex().toStdString()) << c.title.toStdString();
        int32_t size = 0;
        QBuffer none;
        none.open(QIODevice::ReadWrite);
        ASSERT_EQ(writeLayerHeader(none, ld, &size), CS_OK);
        EXPECT_EQ(size, 88);
        EXPECT_EQ(none.size(), 0);
    }
}

TEST(NativeImageFile, BlockRunsGroupBlocksByAllocation)
{
    struct Case
    {
        const char *name;
        sSize size;
        std::function<void(CBlockVMTC &)> paint;
        std::vector<std::pair<uint32_t, int32_t>> runs; // kind, count
    };
    const Case cases[] = {
        {"empty layer", {100, 70}, [](CBlockVMTC &) {}, {{2, 12}}},
        {"40 allocated blocks",
         {40 * 32, 32},
         [](CBlockVMTC &img) {
             for (int32_t b = 0; b < 40; ++b)
                 img.setPixel(b * 32 + 1, 1, 0xFF000000u | uint32_t(b));
         },
         {{1, 16}, {1, 16}, {1, 8}}},
        {"mixed",
         {5 * 32, 64},
         [](CBlockVMTC &img) {
             img.setPixel(40, 3, 0xFF123456);
             img.setPixel(70, 3, 0xFF123456);
             img.setPixel(5, 40, 0xFF123456);
         },
         {{2, 1}, {1, 2}, {2, 2}, {1, 1}, {2, 4}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CBlockVMTC img(c.size.x, c.size.y);
        c.paint(img);
        QBuffer buf;
        buf.open(QIODevice::ReadWrite);
        ASSERT_EQ(writeLayerBlocks(buf, img), CS_OK);
        const QByteArray b = buf.data();
        std::vector<std::pair<uint32_t, int32_t>> runs;
        for (const Chunk &ch : chunksOf(b)) {
            EXPECT_EQ(ch.tag, QByteArray("QBIM"));
            EXPECT_EQ(ch.at % 4, 0);
            const uint32_t kind = u32At(b, ch.at + 16);
            const int32_t count = int32_t(u32At(b, ch.at + 20));
            runs.emplace_back(kind, count);
            EXPECT_EQ(u32At(b, ch.at + 28), kind == 1 ? count * 4096u : count * 4u);
            if (kind == 2) {
                EXPECT_EQ(ch.size, 32u + 4u * uint32_t(count));
                EXPECT_EQ(u32At(b, ch.at + 24), 0u);
            } else {
                EXPECT_EQ(ch.size, 32u + u32At(b, ch.at + 24) + chunkPadding(u32At(b, ch.at + 24)));
            }
        }
        EXPECT_EQ(runs, c.runs);
    }
}

TEST(NativeImageFile, EveryAttributeMaskThumbnailAndEventSurviveTheRoundTrip)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("doc.qzi");
    SampleDoc d;
    d.paper().maskMngr().deleteAll();
    CLayerData &ld = *d.paper().getLayerData(1);
    ld.title = QStringLiteral("下書きレイヤ");
    ld.setGroupLevel(2);
    ld.ChangeUnderLyrClip(true);
    ld.setLinkIndex(5);
    ld.ditherEnable = true;
    ld.dither = 99;
    ld.setDitherState(4321);
    ld.maskProtected = true;
    ld.trans = 77;
    ld.mode = TLayerMode(9);
    d.paper().getLayerData(2)->visible = false;
    addMask(d.paper(), 0, 140);
    addMask(d.paper(), 1, 255);
    d.paper().maskMngr().setCurIndex(1);
    d.paper().bVisBGPat = true;
    CEventMngr &ev = d.paper().eventMngr();
    ASSERT_TRUE(ev.startRecording(appMainStroke(), appMainToneMngrFor(&d.paper()), 4, 4));
    ASSERT_TRUE(ev.pushEventBegin());
    const uint32_t recorded = ev.topEventPos;
    ASSERT_GT(recorded, 0u);

    {
        ProgressLog log;
        ASSERT_TRUE(saveNativeImage(path, d.paper(), 0xF));
        ASSERT_EQ(log.opened, QList<int>{1 + 3 + d.paper().maskMngr().getMaskCount()});
        EXPECT_TRUE(log.lines.contains(QStringLiteral("caption 画像保存中 (doc.qzi)")));
        EXPECT_TRUE(log.lines.contains(QStringLiteral("msg 下書きレイヤを保存しています...")));
    }
    const QByteArray bytes = readFile(path);
    EXPECT_EQ(tagsOf(bytes).left(20), QByteArray("QPIM QTNL QLYR QBIM "));
    EXPECT_TRUE(tagsOf(bytes).contains("QMSK"));
    EXPECT_TRUE(tagsOf(bytes).contains("QEVP"));

    HeadlessDocument back;
    back.paper->eventMngr().stopRecording(); // as the window does before it loads
    CapturedMessages msgs;
    ASSERT_EQ(loadNativeImage(path, *back.paper), CS_OK);
    EXPECT_TRUE(msgs.warnings.isEmpty()) << msgs.warnings.join('|').toStdString();
    TPaper &p = *back.paper;
    ASSERT_EQ(p.getLayerCount(), 3);
    const CLayerData &lb = *p.getLayerData(1);
    EXPECT_EQ(lb.title, ld.title);
    EXPECT_EQ(lb.groupLevel, 2);
    EXPECT_TRUE(lb.underLyrClip);
    EXPECT_EQ(lb.linkIndex, 5);
    EXPECT_TRUE(lb.ditherEnable);
    EXPECT_EQ(lb.dither, 99);
    EXPECT_EQ(lb.dizRand.val, ld.dizRand.val);
    EXPECT_TRUE(lb.maskProtected);
    EXPECT_EQ(lb.trans, 77);
    EXPECT_EQ(int(lb.mode), 9);
    EXPECT_FALSE(p.getLayerData(2)->visible);
    for (int32_t i = 0; i < 3; ++i) {
        const CBlockVMTC &a = *d.paper().getLayerData(i)->imageTC;
        const CBlockVMTC &b = *p.getLayerData(i)->imageTC;
        for (int32_t y = 0; y < 200; ++y)
            for (int32_t x = 0; x < 300; ++x)
                ASSERT_EQ(a.getColor(x, y), b.getColor(x, y)) << i << " " << x << "," << y;
    }
    EXPECT_EQ(p.m_paperSize, (sSize{300, 200}));
    EXPECT_EQ(p.m_paperDPI, 350);
    EXPECT_EQ(p.m_canvascolor, 0x00336699u);
    EXPECT_TRUE(p.bVisBGPat);
    ASSERT_EQ(p.maskMngr().getMaskCount(), 2);
    EXPECT_EQ(p.maskMngr().getCurIndex(), 1);
    EXPECT_EQ(p.maskMngr().getMask(0)->title, QStringLiteral("選択0"));
    EXPECT_EQ(p.maskMngr().getMask(1)->getMaskValue(10, 10), 255);
    EXPECT_EQ(p.maskMngr().getMask(0)->getMaskValue(10, 10), 140);
    // The recorded events come back, the new recording continuing after them.
    EXPECT_TRUE(p.eventMngr().isRecording());
    ASSERT_GE(p.eventMngr().topEventPos, recorded);
    std::vector<uint8_t> a(recorded), b(recorded);
    ev.readDataEx(0, a.data(), recorded);
    p.eventMngr().readDataEx(0, b.data(), recorded);
    EXPECT_EQ(a, b);

    std::unique_ptr<TMTC> thumb;
    sSize docSize;
    ASSERT_EQ(readFileThumbnail(path, thumb, &docSize, readImageHeadSize), CS_OK);
    ASSERT_TRUE(thumb);
    EXPECT_EQ(docSize, (sSize{300, 200}));
    EXPECT_EQ(thumb->FPSZ(), thumbnailSize({300, 200}));
}

TEST(NativeImageFile, OnlyTheRequestedPartsAreWritten)
{
    QTemporaryDir dir;
    SampleDoc d({64, 64}, 2);
    addMask(d.paper(), 0, 3);
    CEventMngr &ev = d.paper().eventMngr();
    ASSERT_TRUE(ev.startRecording(appMainStroke(), appMainToneMngrFor(&d.paper()), 4, 4));
    ASSERT_TRUE(ev.pushEventBegin());
    ASSERT_TRUE(saveNativeImage(dir.filePath("a.qzi"), d.paper(), kQziLayers | kQziThumbnail));
    const QByteArray tags = tagsOf(readFile(dir.filePath("a.qzi")));
    EXPECT_TRUE(tags.startsWith("QPIM QTNL QLYR QBIM"));
    EXPECT_FALSE(tags.contains("QMSK"));
    EXPECT_FALSE(tags.contains("QEV"));
}

// A file of sample layers saved without thumbnail or events, to be damaged by the cases.
struct CorruptFixture
{
    CorruptFixture()
    {
        SampleDoc d({100, 70}, 3);
        for (int32_t i = 0; i < 3; ++i)
            d.paper().getLayerData(i)->title = QStringLiteral("L%1").arg(i);
        EXPECT_TRUE(saveNativeImage(dir.filePath("good.qzi"), d.paper(), kQziLayers));
        good = readFile(dir.filePath("good.qzi"));
    }
    // Loads the bytes into a document that already holds a 10 x 10 layer.
    uint8_t load(const QByteArray &b)
    {
        writeFile(dir.filePath("bad.qzi"), b);
        doc = std::make_unique<HeadlessDocument>();
        // A document that held something already: a refused file must leave it.
        EXPECT_TRUE(setupHeadlessPaper(*doc->paper, {10, 10}, 0xFFFFFF, 1));
        doc->paper->eventMngr().stopRecording();
        msgs.clear();
        return loadNativeImage(dir.filePath("bad.qzi"), *doc->paper);
    }
    QTemporaryDir dir;
    QByteArray good;
    std::unique_ptr<HeadlessDocument> doc;
    CapturedMessages msgs;
};

TEST(NativeImageFile, BadHeadersRefuseTheFileAndLeaveThePaper)
{
    CorruptFixture f;
    struct Case
    {
        const char *name;
        std::function<void(QByteArray &)> damage;
        uint8_t code;
    };
    const Case cases[] = {
        {"short", [](QByteArray &b) { b.truncate(40); }, CS_READ_FAILED},
        {"tag", [](QByteArray &b) { b[0] = 'X'; }, CS_BAD_TAG},
        {"tag and size", [](QByteArray &b) { b[0] = 'X', putAt<uint32_t>(b, 4, 9); }, CS_BAD_TAG},
        {"size", [](QByteArray &b) { putAt<uint32_t>(b, 4, 52); }, CS_BAD_SIZE},
        {"version 3", [](QByteArray &b) { putAt<uint32_t>(b, 16, 3); }, CS_BAD_VERSION},
        {"width 10001", [](QByteArray &b) { putAt<int32_t>(b, 8, 10001); }, CS_TOO_LARGE},
        {"height 0", [](QByteArray &b) { putAt<int32_t>(b, 12, 0); }, CS_TOO_LARGE},
        {"width negative", [](QByteArray &b) { putAt<int32_t>(b, 8, -5); }, CS_TOO_LARGE},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray b = f.good;
        c.damage(b);
        EXPECT_EQ(f.load(b), c.code);
        EXPECT_EQ(f.doc->paper->m_paperSize, (sSize{10, 10}));
        EXPECT_EQ(f.doc->paper->getLayerCount(), 1);
    }
    HeadlessDocument d;
    EXPECT_EQ(loadNativeImage(f.dir.filePath("none.qzi"), *d.paper), CS_FILE_MISSING);
}

TEST(NativeImageFile, DamagedChunksAreSkippedAndTheRestLoads)
{
    CorruptFixture f;
    const std::vector<Chunk> cs = chunksOf(f.good);
    const qsizetype ly1 = nth(cs, "QLYR", 1).at + 8;
    const qsizetype run0 = nth(cs, "QBIM", 0).at;
    ASSERT_EQ(f.good[run0 + 16], 1);
    struct Case
    {
        const char *name;
        std::function<void(QByteArray &)> damage;
        QStringList layers; // titles loaded
        QString warning;    // part of the first warning
    };
    const QString layerErr = QStringLiteral("レイヤの読み込みに失敗しました! (err=%1)");
    const Case cases[] = {
        {"layer version 2", [&](QByteArray &b) { putAt<uint16_t>(b, ly1 + 54, 2); },
         {"L0", "L2"}, layerErr.arg(12)},
        {"layer mode 22", [&](QByteArray &b) { b[ly1 + 6] = char(22); }, {"L0", "L2"},
         layerErr.arg(17)},
        {"grid unlike the image", [&](QByteArray &b) { putAt<int32_t>(b, ly1 + 16, 5); },
         {"L0", "L2"}, layerErr.arg(22)},
        {"image side 0", [&](QByteArray &b) { putAt<int32_t>(b, ly1 + 24, 0); }, {"L0", "L2"},
         layerErr.arg(22)},
        {"negative index", [&](QByteArray &b) { putAt<int32_t>(b, ly1, -1); },
         {"L0", "L2"}, layerErr.arg(21)},
        // The chunks after it cannot be found again: what was read stays.
        {"record size 60",
         [&](QByteArray &b) { putAt<uint32_t>(b, ly1 - 4, 60); },
         {"L0"}, layerErr.arg(17)},
        {"run kind 3", [&](QByteArray &b) { b[run0 + 16] = 3; }, {"L0", "L1", "L2"},
         layerErr.arg(24)},
        {"run count past the grid", [&](QByteArray &b) { putAt<int32_t>(b, run0 + 20, 13); },
         {"L0", "L1", "L2"}, layerErr.arg(25)},
        {"run count 0", [&](QByteArray &b) { putAt<int32_t>(b, run0 + 20, 0); },
         {"L0", "L1", "L2"}, layerErr.arg(23)},
        // The first run holds the packed pixels of allocated blocks of layer 0.
        {"packed length 0", [&](QByteArray &b) { putAt<uint32_t>(b, run0 + 24, 0); },
         {"L0", "L1", "L2"}, layerErr.arg(25)},
        {"packed length past the chunk",
         [&](QByteArray &b) { putAt<uint32_t>(b, run0 + 24, u32At(b, run0 + 4)); },
         {"L0", "L1", "L2"}, layerErr.arg(25)},
        {"unpacked length unlike the count",
         [&](QByteArray &b) { putAt<uint32_t>(b, run0 + 28, u32At(b, run0 + 28) - 4096); }, {"L0", "L1", "L2"},
         layerErr.arg(25)},
        {"packed bytes that do not unpack",
         [&](QByteArray &b) { b.replace(run0 + 40, 16, QByteArray(16, '\xff')); },
         {"L0", "L1", "L2"}, layerErr.arg(9)},
        {"run block size 64", [&](QByteArray &b) { putAt<int32_t>(b, run0 + 8, 64); },
         {"L0", "L1", "L2"}, layerErr.arg(22)},
        {"unknown tag in the middle",
         [&](QByteArray &b) { b.insert(nth(cs, "QLYR", 1).at, QByteArray("ZZZZ\x04\0\0\0abcd", 12)); },
         {"L0", "L1", "L2"},
         QStringLiteral("1個の未知のデータブロックを無視しました!  (id = ZZZZ)")},
        {"chunk past the end", [&](QByteArray &b) { putAt<uint32_t>(b, nth(cs, "QLYR", 2).at + 4, 1u << 30); },
         {"L0", "L1"}, QStringLiteral("読み込み中にエラーが検出されました! (err=11)")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray b = f.good;
        c.damage(b);
        ASSERT_EQ(f.load(b), CS_OK);
        QStringList titles;
        for (int32_t i = 0; i < f.doc->paper->getLayerCount(); ++i)
            titles << f.doc->paper->getLayerData(i)->title;
        EXPECT_EQ(titles, c.layers);
        ASSERT_FALSE(f.msgs.warnings.isEmpty());
        EXPECT_EQ(f.msgs.warnings.first(), c.warning);
        EXPECT_EQ(f.doc->paper->m_paperSize, (sSize{100, 70}));
    }
}

TEST(NativeImageFile, MissingLayersAndMasksAreSupplied)
{
    CorruptFixture f;
    QByteArray b = f.good.left(56);
    putAt<uint32_t>(b, 24, 0);
    ASSERT_EQ(f.load(b), CS_OK);
    TPaper &p = *f.doc->paper;
    ASSERT_EQ(p.getLayerCount(), 1);
    EXPECT_EQ(p.getLayerData(0)->mode, TLayerMode::LM_STD);
    EXPECT_TRUE(p.getLayerData(0)->visible);
    EXPECT_EQ(p.getLayerData(0)->imageTC->FPSZ(), (sSize{100, 70}));
    ASSERT_EQ(p.maskMngr().getMaskCount(), 1);
    EXPECT_EQ(p.maskMngr().getCurIndex(), 0);
    EXPECT_EQ(p.maskMngr().getTotalNum(), 0);
}

TEST(NativeImageFile, VersionOneTitlesAreAnsiText)
{
    CorruptFixture f;
    QByteArray b = f.good;
    putAt<uint32_t>(b, 16, 1);
    // The first title area as Shift_JIS bytes: "あ" then zeros.
    const qsizetype area = nth(chunksOf(b), "QLYR", 0).at + 8 + 72;
    b.replace(area, 8, QByteArray("\x82\xa0\0\0\0\0\0\0", 8));
    ASSERT_EQ(f.load(b), CS_OK);
    EXPECT_EQ(f.doc->paper->getLayerData(0)->title, QStringLiteral("あ"));
}

TEST(NativeImageFile, FailedSaveAnswersFalseAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("doc.qzi");
    writeFile(path, QByteArray("old contents"));
    SampleDoc d({600, 400}, 2);
    for (int32_t y = 0; y < 400; y += 3)
        for (int32_t x = 0; x < 600; x += 2)
            d.paper().getLayerData(0)->imageTC->setPixel(x, y, uint32_t(x * 7919 + y * 104729));
    // Writing stops at 4 KiB: the write fails instead of the process being signalled.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    CapturedMessages msgs;
    const bool saved = saveNativeImage(path, d.paper(), kQziLayers | kQziThumbnail);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(readFile(path), QByteArray("old contents"));
}

// A load that lost part of the file says so beside the warnings, and the salvaged document keeps
// no path, so that saving it cannot replace the damaged file with less.
TEST(NewUserFaultsNativeImage, ADamagedLoadIsReportedAndLeavesTheDocumentPathless)
{
    CorruptFixture f;
    const std::vector<Chunk> cs = chunksOf(f.good);
    struct Case
    {
        const char *name;
        std::function<void(QByteArray &)> damage;
        uint8_t code; // what the load reports lost, 0 nothing
    };
    const Case cases[] = {
        {"intact", [](QByteArray &) {}, CS_OK},
        {"unknown tag in the middle",
         [&](QByteArray &b) {
             b.insert(nth(cs, "QLYR", 1).at, QByteArray("ZZZZ\x04\0\0\0abcd", 12));
         },
         CS_OK},
        {"cut inside a run's head", [&](QByteArray &b) { b.truncate(nth(cs, "QBIM", 1).at + 20); },
         CS_READ_FAILED},
        {"cut inside a layer record",
         [&](QByteArray &b) { b.truncate(nth(cs, "QLYR", 2).at + 30); }, CS_PAST_END},
        {"cut inside a chunk head", [&](QByteArray &b) { b.truncate(nth(cs, "QLYR", 2).at + 4); },
         CS_READ_FAILED},
        {"layer version 2",
         [&](QByteArray &b) { putAt<uint16_t>(b, nth(cs, "QLYR", 1).at + 8 + 54, 2); },
         CS_BAD_VERSION},
        {"run kind 3", [&](QByteArray &b) { b[nth(cs, "QBIM", 0).at + 16] = 3; }, CS_BAD_RUN_KIND},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray b = f.good;
        c.damage(b);
        writeFile(f.dir.filePath("d.qzi"), b);
        HeadlessDocument d;
        d.paper->eventMngr().stopRecording();
        CapturedMessages msgs;
        uint8_t damage = 0xFF;
        // What loads is as before: the header was good, so the answer is 0.
        ASSERT_EQ(loadNativeImage(f.dir.filePath("d.qzi"), *d.paper, &damage), CS_OK);
        EXPECT_EQ(damage, c.code);
        EXPECT_GE(d.paper->getLayerCount(), 1);
        if (c.code == CS_OK) {
            EXPECT_EQ(d.paper->m_filename, f.dir.filePath("d.qzi"));
        } else {
            EXPECT_TRUE(d.paper->m_filename.isEmpty());
            EXPECT_FALSE(msgs.warnings.isEmpty());
        }
    }
}

} // namespace
