#include "paint/presets/pen_set_files.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "format/chunk.h"
#include "format/image_records.h"
#include "paint/paint_test_support.h"

#include <QBuffer>
#include <QDir>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <functional>

namespace {

uint8_t u8At(const QByteArray &b, qsizetype at)
{
    return uint8_t(b.at(at));
}

// The chunks after the 32-byte head.
std::vector<Chunk> chunksOf(const QByteArray &b)
{
    return chunksFrom(b, kPenSetHeadSize);
}

// A grey ramp tip of w x h.
std::unique_ptr<TChannel> rampTip(int32_t w, int32_t h)
{
    auto ch = std::make_unique<TChannel>(w, h);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            *ch->seek8(x, y) = uint8_t(11 * x + 5 * y);
        }
    }
    return ch;
}

std::unique_ptr<TMTC> patternIcon(int32_t w, int32_t h)
{
    auto tc = std::make_unique<TMTC>(w, h);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            tc->seek32(x, y)->all = 0xFF000000u | uint32_t(x * 3) << 16 | uint32_t(y * 7) << 8 |
                                    uint32_t((x ^ y) & 0xFF);
        }
    }
    return tc;
}

bool sameBytes(const CDibCore &a, const CDibCore &b)
{
    return a.FPSZ() == b.FPSZ() &&
           std::equal(a.buffer(), a.buffer() + a.getImageDataBytes(), b.buffer());
}

// "Pen": a standard nib with a value in every field.
std::unique_ptr<CPenShapeObj> standardNib()
{
    SPenShapeData d;
    d.map = {eGradeMap::GMAP_ROUNDTOP, 250, 40};
    d.param = {1234, 600, 1800, 333};
    d.attr.antiOff = 1;
    auto nib = std::make_unique<CPenShapeObj>(d);
    nib->setName("Pen");
    return nib;
}

// "画像": an image nib with a 30 x 20 tip at zoom 150 (range 20..500).
std::unique_ptr<CPenShapeObj> imageNib()
{
    auto nib = std::make_unique<CPenShapeObj>(SPenShapeData{});
    EXPECT_TRUE(nib->attachImage(rampTip(30, 20), true));
    EXPECT_TRUE(nib->changeZoom(150));
    nib->setName("画像");
    return nib;
}

// Two nibs, the image nib current.
void fillNibs(CPenShapeMngr &m)
{
    m.appendShape(standardNib());
    m.appendShape(imageNib());
    m.setCurIndex(1);
}

SPenMethodData blurData()
{
    SPenMethodData d;
    initPenRenderAttr(d.renderAttr);
    strokeParamInit(d.strokeParam);
    d.renderAttr.renderMode = ePenRenderMode::PRMODE_Blur;
    d.renderAttr.subRenderMode = 3;
    d.renderAttr.shapeMode = ePenShapeMode::PSMODE_RealTimeXY;
    d.renderAttr.renderType = 0x13; // bit 1 is not stored
    d.renderAttr.param1.all = 0x12345678;
    d.renderAttr.param2.all = -5;
    d.renderAttr.param3.all = 7;
    d.renderOpt = {true, false};
    SStrokeParam &s = d.strokeParam;
    s.enbPrsRadius = true;
    s.opaque = 800;
    s.prsGamma = 150;
    s.spacing = 120;
    s.everyFreqR = 3;
    s.highDensityR = 5;
    s.smooth = 4;
    s.interpolateType = eInterpolateType::iptLinear;
    s.startDist = 33; // not stored
    s.strokeVersion = 2;
    return d;
}

// "Blur" with a 40 x 24 icon and the image nib; "水彩" with a standard nib; "Erase" bare. Sub
// index 2, shortcut slots (2, 0, 1, 2, 0), current 1.
void fillMethods(CPenMethodMngr &m)
{
    auto blur = std::make_unique<CPenMethodObj>(blurData());
    blur->methodName = "Blur";
    blur->setIcon(patternIcon(40, 24).get());
    blur->attachShape(imageNib());
    m.appendMethod(std::move(blur));

    SPenMethodData wc;
    paintModeToRenderAttr(TPaintMode::pmWaterColor5, wc.renderAttr);
    wc.renderOpt = {false, true};
    wc.strokeParam.enbPrsOpaque = true;
    auto water = std::make_unique<CPenMethodObj>(wc);
    water->methodName = "水彩";
    water->attachShape(standardNib());
    m.appendMethod(std::move(water));

    SPenMethodData er;
    paintModeToRenderAttr(TPaintMode::pmEraser5, er.renderAttr);
    auto erase = std::make_unique<CPenMethodObj>(er);
    erase->methodName = "Erase";
    m.appendMethod(std::move(erase));

    m.setCurIndex(1);
    m.setSubIndex(2, false);
    m.setShortcutIdx(2, 0, 1, 2, 0);
}

void expectSameNib(const CPenShapeObj &a, const CPenShapeObj &b)
{
    EXPECT_TRUE(b.enable);
    EXPECT_EQ(a.shapeType, b.shapeType);
    EXPECT_EQ(a.name(), b.name());
    EXPECT_TRUE(gradeMapParamEqual(a.gradMap, b.gradMap));
    EXPECT_TRUE(penParamEqual(a.penParam, b.penParam));
    EXPECT_TRUE(penAttrEqual(a.penAttr, b.penAttr));
    EXPECT_EQ(a.zoomRate, b.zoomRate);
    EXPECT_EQ(a.zoomRng.min, b.zoomRng.min);
    EXPECT_EQ(a.zoomRng.max, b.zoomRng.max);
    ASSERT_EQ(a.hasImage(), b.hasImage());
    if (a.hasImage()) {
        EXPECT_TRUE(sameBytes(*a.shapeCH, *b.shapeCH));
    }
}

// Fails writes beyond `capacity` bytes, as a full disk would.
class LimitedBuffer : public QBuffer
{
  public:
    explicit LimitedBuffer(qint64 capacity) : m_capacity(capacity) {}

  protected:
    qint64 writeData(const char *data, qint64 len) override
    {
        const qint64 room = std::max<qint64>(0, m_capacity - pos());
        return QBuffer::writeData(data, std::min(len, room));
    }

  private:
    qint64 m_capacity;
};

class PenSetFiles : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        m_previous = installPenPresetFileProcs({});
        initialisePenSetFiles();
    }
    void TearDown() override { installPenPresetFileProcs(m_previous); }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QByteArray nibBytes()
    {
        CPenShapeMngr m;
        fillNibs(m);
        EXPECT_EQ(writeNibSet(path("nibs.psh"), m), CS_OK);
        return readFileBytes(path("nibs.psh"));
    }

    QByteArray methodBytes()
    {
        CPenMethodMngr m;
        fillMethods(m);
        EXPECT_EQ(writeMethodSet(path("methods.pmt"), m), CS_OK);
        return readFileBytes(path("methods.pmt"));
    }

    uint8_t loadNibs(const QByteArray &bytes, CPenShapeMngr &m, bool append = false)
    {
        writeFileBytes(path("in.psh"), bytes);
        return readNibSet(path("in.psh"), m, append);
    }

    uint8_t loadMethods(const QByteArray &bytes, CPenMethodMngr &m, bool append = false)
    {
        writeFileBytes(path("in.pmt"), bytes);
        return readMethodSet(path("in.pmt"), m, append);
    }

    QTemporaryDir m_dir;
    MessageRecorder m_messages;

  private:
    SPenPresetFileProcs m_previous;
};

// A manager holding one nib "keep", LastPath "/keep.psh", not modified.
void fillKeep(CPenShapeMngr &m)
{
    auto nib = std::make_unique<CPenShapeObj>(SPenShapeData{});
    nib->setName("keep");
    m.appendShape(std::move(nib));
    m.setCurIndex(0);
    m.setLastPath("/keep.psh");
    m.setModified(false);
}

void expectKept(const CPenShapeMngr &m)
{
    ASSERT_EQ(m.count(), 1);
    EXPECT_EQ(m.getObj(0)->name(), "keep");
    EXPECT_EQ(m.LastPath(), "/keep.psh");
    EXPECT_FALSE(m.Modified());
}

} // namespace

TEST_F(PenSetFiles, NibSetByteLayout)
{
    const QByteArray b = nibBytes();
    EXPECT_EQ(b.left(4), QByteArray("PSST"));
    EXPECT_EQ(u32At(b, 4), 24u);
    EXPECT_EQ(u16At(b, 8), 1); // version
    EXPECT_EQ(u16At(b, 10), 0);
    EXPECT_EQ(u16At(b, 12), 2); // nibs
    EXPECT_EQ(u16At(b, 14), 1); // current
    EXPECT_EQ(b.mid(16, 16), QByteArray(16, '\0'));

    const std::vector<Chunk> c = chunksOf(b);
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0].tag, "PSHP");
    EXPECT_EQ(c[1].tag, "PSHP");
    EXPECT_EQ(c[2].tag, "QTNL");
    EXPECT_EQ(c[2].end(), b.size());

    // "Pen": 6 bytes of UTF-16, so 120 + 8.
    const qsizetype p = c[0].offset;
    EXPECT_EQ(c[0].size, 128u);
    const std::pair<int, int> words[] = {{8, 0},   {10, 6},    {12, 2},   {24, 2},   {28, 250},
                                         {30, 40}, {48, 1234}, {50, 333}, {52, 600}, {54, 1800},
                                         {96, 0},  {100, 0},   {102, 0}};
    for (const auto &[at, value] : words) {
        EXPECT_EQ(u16At(b, p + at), value) << "offset " << at;
    }
    EXPECT_EQ(u32At(b, p + 72), 1u);
    EXPECT_EQ(b.mid(p + 128, 8), QByteArray("P\0e\0n\0\0\0", 8));
    // Every unnamed byte is zero.
    for (const auto &[from, to] :
         {std::pair{14, 24}, {26, 28}, {32, 48}, {56, 72}, {76, 96}, {98, 100}, {104, 128}}) {
        EXPECT_EQ(b.mid(p + from, to - from), QByteArray(to - from, '\0')) << "at " << from;
    }

    // The image nib: type 1, its zooms, then its tip as an 8-bit scrambled record.
    const qsizetype q = c[1].offset;
    EXPECT_EQ(c[1].size, 124u);
    EXPECT_EQ(u16At(b, q + 8), 1);
    EXPECT_EQ(u16At(b, q + 48), 15000); // radius = zoom x 100
    EXPECT_EQ(u16At(b, q + 96), 150);
    EXPECT_EQ(u16At(b, q + 100), 20);
    EXPECT_EQ(u16At(b, q + 102), 500);
    const qsizetype r = c[2].offset;
    EXPECT_EQ(u16At(b, r + 8), IRK_SCRAMBLED);
    EXPECT_EQ(u16At(b, r + 10), IRS_NIB_SHAPE);
    EXPECT_EQ(u32At(b, r + 16), 30u); // source and stored size
    EXPECT_EQ(u32At(b, r + 20), 20u);
    EXPECT_EQ(u32At(b, r + 24), 30u);
    EXPECT_EQ(u32At(b, r + 28), 20u);
    EXPECT_EQ(u32At(b, r + 36), 600u); // uncompressed bytes
}

TEST_F(PenSetFiles, NibSetRoundTripReplacingAndAppending)
{
    CPenShapeMngr src;
    fillNibs(src);
    ASSERT_EQ(writeNibSet(path("nibs.psh"), src), CS_OK);
    EXPECT_EQ(src.LastPath(), path("nibs.psh"));
    EXPECT_FALSE(src.Modified());

    CPenShapeMngr m;
    fillKeep(m);
    ASSERT_EQ(readNibSet(path("nibs.psh"), m, false), CS_OK);
    ASSERT_EQ(m.count(), 2);
    expectSameNib(*src.getObj(0), *m.getObj(0));
    expectSameNib(*src.getObj(1), *m.getObj(1));
    EXPECT_EQ(m.curIndex(), 1);
    EXPECT_EQ(m.LastPath(), path("nibs.psh"));
    EXPECT_FALSE(m.Modified());

    CPenShapeMngr more;
    fillKeep(more);
    ASSERT_EQ(readNibSet(path("nibs.psh"), more, true), CS_OK);
    ASSERT_EQ(more.count(), 3);
    EXPECT_EQ(more.getObj(2)->name(), "画像");
    EXPECT_EQ(more.curIndex(), 0);
    EXPECT_EQ(more.LastPath(), "/keep.psh");
    EXPECT_TRUE(more.Modified());
    EXPECT_TRUE(m_messages.warnings.isEmpty());
}

TEST_F(PenSetFiles, MethodSetByteLayout)
{
    const QByteArray b = methodBytes();
    EXPECT_EQ(b.left(4), QByteArray("PMST"));
    EXPECT_EQ(u32At(b, 4), 24u);
    EXPECT_EQ(u16At(b, 8), 1);
    EXPECT_EQ(u16At(b, 12), 3);
    EXPECT_EQ(u16At(b, 14), 1);
    EXPECT_EQ(u32At(b, 16), 3u); // sub index and shortcut slots
    EXPECT_EQ(u16At(b, 20), 2);
    EXPECT_EQ(b.mid(22, 5), QByteArray("\x02\x00\x01\x02\x00", 5)); // sc0 .. sc4
    EXPECT_EQ(b.mid(27, 5), QByteArray(5, '\0'));

    const std::vector<Chunk> c = chunksOf(b);
    const char *tags[] = {"PMTD", "QTNL", "PSHP", "QTNL", "PMTD", "PSHP", "PMTD"};
    ASSERT_EQ(c.size(), std::size(tags));
    for (size_t i = 0; i < c.size(); ++i) {
        EXPECT_EQ(c[i].tag, QByteArray(tags[i])) << i;
        EXPECT_EQ(c[i].size % 4, 0u) << i;
    }
    EXPECT_EQ(c.back().end(), b.size());

    // "Blur": 8 bytes of name, its flags, render attributes and stroke parameters.
    const qsizetype p = c[0].offset;
    EXPECT_EQ(c[0].size, 72u + 8);
    EXPECT_EQ(u16At(b, p + 10), 8);
    EXPECT_EQ(u16At(b, p + 12), 3);
    EXPECT_EQ(u32At(b, p + 16), 0x1u | 0x2 | 0x10 | 0x100 | 0x10000 | 0x100000);
    EXPECT_EQ(u8At(b, p + 24), uint8_t(ePenRenderMode::PRMODE_Blur));
    EXPECT_EQ(u8At(b, p + 25), 3);
    EXPECT_EQ(u8At(b, p + 26), 1);
    EXPECT_EQ(u32At(b, p + 28), 0x12345678u);
    EXPECT_EQ(int32_t(u32At(b, p + 32)), -5);
    EXPECT_EQ(u32At(b, p + 36), 7u);
    const std::pair<int, int> words[] = {{48, 800}, {50, 150}, {52, 120}, {54, 3}, {56, 5}};
    for (const auto &[at, value] : words) {
        EXPECT_EQ(u16At(b, p + at), value) << "offset " << at;
    }
    EXPECT_EQ(u8At(b, p + 58), 4);
    EXPECT_EQ(u8At(b, p + 59), 0);
    EXPECT_EQ(b.mid(p + 60, 20), QByteArray(20, '\0'));
    EXPECT_EQ(b.mid(p + 80, 8), QByteArray("B\0l\0u\0r\0", 8));

    // The icon: 32-bit, its full size.
    const qsizetype icon = c[1].offset;
    EXPECT_EQ(u16At(b, icon + 8), IRK_SCRAMBLED);
    EXPECT_EQ(u16At(b, icon + 10), IRS_METHOD_ICON);
    EXPECT_EQ(u32At(b, icon + 24), 40u);
    EXPECT_EQ(u32At(b, icon + 28), 24u);
    EXPECT_EQ(u32At(b, icon + 36), 40u * 24 * 4);

    // "水彩": tone option, pressure opacity, its own nib, no icon.
    EXPECT_EQ(u32At(b, c[4].offset + 16) & 0x20303, 0x20201u);
    // "Erase": neither nib nor icon.
    EXPECT_EQ(u32At(b, c[6].offset + 16) & 0x3, 0u);
}

TEST_F(PenSetFiles, MethodSetRoundTrip)
{
    CPenMethodMngr src;
    fillMethods(src);
    ASSERT_EQ(writeMethodSet(path("m.pmt"), src), CS_OK);
    CPenMethodMngr m;
    ASSERT_EQ(readMethodSet(path("m.pmt"), m, false), CS_OK);
    ASSERT_EQ(m.count(), 3);
    EXPECT_EQ(m.curIndex(), 1);
    EXPECT_EQ(m.subIndex(), 2);
    int32_t sc[5];
    EXPECT_TRUE(m.getShortcutIdx(sc[0], sc[1], sc[2], sc[3], sc[4]));
    EXPECT_EQ(std::vector<int32_t>(sc, sc + 5), (std::vector<int32_t>{2, 0, 1, 2, 0}));
    EXPECT_EQ(m.LastPath(), path("m.pmt"));
    EXPECT_FALSE(m.Modified());

    const CPenMethodObj &blur = *m.getObj(0);
    EXPECT_TRUE(blur.enable);
    EXPECT_EQ(blur.methodName, "Blur");
    SPenMethodData want = blurData();
    want.renderAttr.renderType = 0x11; // bit 1 is lost
    want.strokeParam.startDist = 10;   // not stored: the defaults
    want.strokeParam.strokeVersion = 0;
    EXPECT_EQ(std::memcmp(&blur.methodData, &want, sizeof want), 0);
    ASSERT_TRUE(blur.hasIcon());
    EXPECT_TRUE(sameBytes(*blur.orgIconTC, *src.getObj(0)->orgIconTC));
    ASSERT_TRUE(blur.hasShape());
    expectSameNib(*src.getObj(0)->shapeObj, *blur.shapeObj);

    for (int i = 1; i < 3; ++i) {
        const CPenMethodObj &a = *src.getObj(i);
        const CPenMethodObj &r = *m.getObj(i);
        EXPECT_EQ(r.methodName, a.methodName);
        EXPECT_EQ(std::memcmp(&r.methodData, &a.methodData, sizeof a.methodData), 0) << i;
        EXPECT_FALSE(r.hasIcon());
        ASSERT_EQ(r.hasShape(), a.hasShape());
        if (a.hasShape()) {
            expectSameNib(*a.shapeObj, *r.shapeObj);
        }
    }
}

TEST_F(PenSetFiles, BrokenNibSetsGiveTheirCodesAndLeaveTheListAlone)
{
    const QByteArray good = nibBytes();
    const std::vector<Chunk> c = chunksOf(good);
    struct Case
    {
        const char *name;
        std::function<void(QByteArray &)> mutate;
        uint8_t code;
    };
    const Case cases[] = {
        {"short head", [](QByteArray &b) { b.truncate(20); }, CS_READ_FAILED},
        {"wrong tag", [](QByteArray &b) { b[0] = 'X'; }, CS_BAD_TAG},
        {"head size 25", [](QByteArray &b) { putAt<uint32_t>(b, 4, 25); }, CS_BAD_SIZE},
        {"version 2", [](QByteArray &b) { putAt<uint16_t>(b, 8, 2); }, CS_BAD_VERSION},
        {"count 0", [](QByteArray &b) { putAt<uint16_t>(b, 12, 0); }, CS_NOTHING_SAVED},
        {"chunk past the end", [&](QByteArray &b) { putAt<uint32_t>(b, c[1].offset + 4, 100000); },
         kPenSetChunkPastEnd},
        {"cut inside a chunk head", [&](QByteArray &b) { b.truncate(c[1].offset + 5); },
         CS_READ_FAILED},
        {"head only", [](QByteArray &b) { b.truncate(32); }, CS_NOTHING_SAVED},
        {"no nib readable",
         [&](QByteArray &b) {
             putAt<uint16_t>(b, c[0].offset + 12, 3);
             putAt<uint16_t>(b, c[1].offset + 8, 7);
         },
         CS_NOTHING_SAVED},
    };
    for (const Case &k : cases) {
        QByteArray bytes = good;
        k.mutate(bytes);
        CPenShapeMngr m;
        fillKeep(m);
        EXPECT_EQ(loadNibs(bytes, m), k.code) << k.name;
        expectKept(m);
    }
    CPenShapeMngr m;
    fillKeep(m);
    EXPECT_EQ(readNibSet(path("missing.psh"), m, false), CS_FILE_MISSING);
    expectKept(m);
}

TEST_F(PenSetFiles, BrokenMethodSetsGiveTheirCodes)
{
    const QByteArray good = methodBytes();
    const std::vector<Chunk> c = chunksOf(good);
    struct Case
    {
        const char *name;
        std::function<void(QByteArray &)> mutate;
        uint8_t code;
    };
    const Case cases[] = {
        {"nib set head", [](QByteArray &b) { b.replace(0, 4, "PSST"); }, CS_BAD_TAG},
        {"head size 0", [](QByteArray &b) { putAt<uint32_t>(b, 4, 0); }, CS_BAD_SIZE},
        {"version 9", [](QByteArray &b) { putAt<uint16_t>(b, 8, 9); }, CS_BAD_VERSION},
        {"count 0", [](QByteArray &b) { putAt<uint16_t>(b, 12, 0); }, CS_NOTHING_SAVED},
        {"method past the end", [&](QByteArray &b) { putAt<uint32_t>(b, c[6].offset + 4, 1000); },
         kPenSetChunkPastEnd},
    };
    for (const Case &k : cases) {
        QByteArray bytes = good;
        k.mutate(bytes);
        CPenMethodMngr m;
        m.appendMethod(std::make_unique<CPenMethodObj>(blurData()));
        m.setModified(false);
        EXPECT_EQ(loadMethods(bytes, m), k.code) << k.name;
        EXPECT_EQ(m.count(), 1) << k.name;
        EXPECT_FALSE(m.Modified()) << k.name;
    }
}

TEST_F(PenSetFiles, UnreadableNibsAreSkippedAndCounted)
{
    const QByteArray good = nibBytes();
    const std::vector<Chunk> c = chunksOf(good);
    // The head announces 5; after the set come a stray chunk and a third nib.
    QByteArray b = good;
    putAt<uint16_t>(b, 12, 5);
    const QByteArray pen = good.mid(c[0].offset, c[0].end() - c[0].offset);
    b.insert(c[1].offset, QByteArray("ABCD\x04\0\0\0wxyz", 12)); // between the two nibs
    b.append(pen);
    CPenShapeMngr m;
    ASSERT_EQ(loadNibs(b, m), CS_OK);
    ASSERT_EQ(m.count(), 3);
    EXPECT_EQ(m.getObj(1)->name(), "画像");
    EXPECT_TRUE(m.getObj(1)->hasImage());
    EXPECT_EQ(m.getObj(2)->name(), "Pen");
    EXPECT_EQ(m_messages.warnings, QStringList{"2個のペン先集が読み込めませんでした！"});

    // Each fault of the first nib skips it; the image nib after it still loads.
    const qsizetype at = c[0].offset;
    const std::pair<const char *, std::function<void(QByteArray &)>> faults[] = {
        {"record version 3", [&](QByteArray &b) { putAt<uint16_t>(b, at + 12, 3); }},
        {"unknown type", [&](QByteArray &b) { putAt<uint16_t>(b, at + 8, 2); }},
        {"name longer than its chunk", [&](QByteArray &b) { putAt<uint16_t>(b, at + 10, 10); }},
        {"chunk shorter than its record",
         [&](QByteArray &b) {
             // Size 116; the 12 bytes after it become a stray chunk, so the file stays a chain.
             putAt<uint32_t>(b, at + 4, 116);
             b.replace(at + 124, 4, QByteArray("PAD\0", 4));
             putAt<uint32_t>(b, at + 128, 4);
         }},
    };
    for (const auto &[what, mutate] : faults) {
        QByteArray bytes = good;
        mutate(bytes);
        m_messages.warnings.clear();
        CPenShapeMngr n;
        ASSERT_EQ(loadNibs(bytes, n), CS_OK) << what;
        ASSERT_EQ(n.count(), 1) << what;
        EXPECT_EQ(n.getObj(0)->name(), "画像") << what;
        EXPECT_EQ(n.curIndex(), 0) << what; // the stored 1, clamped
        EXPECT_EQ(m_messages.warnings, QStringList{"1個のペン先集が読み込めませんでした！"});
    }

    // An image nib whose tip cannot be unpacked is passed with its record.
    QByteArray broken = good;
    putAt<uint16_t>(broken, 12, 3);
    const qsizetype data = c[2].offset + 48;
    for (qsizetype i = data; i < data + 16; ++i) {
        broken[i] = char(~broken[i]);
    }
    broken.append(pen);
    CPenShapeMngr n;
    ASSERT_EQ(loadNibs(broken, n), CS_OK);
    ASSERT_EQ(n.count(), 2);
    EXPECT_EQ(n.getObj(1)->name(), "Pen");

    // A file cut inside the last tip: the nibs before it load, the rest counts as missing.
    m_messages.warnings.clear();
    CPenShapeMngr cut;
    ASSERT_EQ(loadNibs(good.left(c[2].offset + 60), cut), CS_OK);
    ASSERT_EQ(cut.count(), 1);
    EXPECT_EQ(m_messages.warnings, QStringList{"1個のペン先集が読み込めませんでした！"});
}

TEST_F(PenSetFiles, MethodWithAnUnreadableIconKeepsItsNib)
{
    const QByteArray good = methodBytes();
    const std::vector<Chunk> c = chunksOf(good);
    for (const auto &[what, at, value] : {std::tuple{"kind", 8, 9}, {"sub-type", 10, 4}}) {
        QByteArray b = good;
        putAt<uint16_t>(b, c[1].offset + at, uint16_t(value));
        CPenMethodMngr m;
        ASSERT_EQ(loadMethods(b, m), CS_OK) << what;
        ASSERT_EQ(m.count(), 3) << what;
        const CPenMethodObj &blur = *m.getObj(0);
        EXPECT_EQ(blur.methodName, "Blur");
        EXPECT_FALSE(blur.hasIcon());
        ASSERT_TRUE(blur.hasShape()) << what;
        EXPECT_TRUE(blur.shapeObj->hasImage());
        EXPECT_TRUE(m_messages.warnings.isEmpty());
    }
    // A method announcing a nib that is not there is skipped, the next chunk read as itself.
    QByteArray b = good;
    putAt<uint32_t>(b, c[4].offset + 16, u32At(b, c[4].offset + 16) & ~1u);
    putAt<uint32_t>(b, c[6].offset + 16, u32At(b, c[6].offset + 16) | 1u);
    b.append(good.mid(c[4].offset, c[5].end() - c[4].offset)); // a method with its nib
    putAt<uint16_t>(b, 12, 4);
    CPenMethodMngr m;
    ASSERT_EQ(loadMethods(b, m), CS_OK);
    ASSERT_EQ(m.count(), 3);
    EXPECT_EQ(m.getObj(2)->methodName, "水彩");
    EXPECT_EQ(m_messages.warnings, QStringList{"1個のブラシ集が読み込めませんでした！"});
}

TEST_F(PenSetFiles, OldRecordsReadShiftJisNames)
{
    // "ペン" in Shift_JIS: 4 bytes, then a zero byte inside the name's area.
    const QByteArray sjis = QStringEncoder("Shift_JIS").encode(QStringLiteral("ペン"));
    ASSERT_EQ(sjis.size(), 4);
    QByteArray nibs = nibBytes();
    const std::vector<Chunk> c = chunksOf(nibs);
    putAt<uint16_t>(nibs, c[0].offset + 12, 1); // record version 1
    putAt<uint16_t>(nibs, c[0].offset + 10, 5);
    nibs.replace(c[0].offset + 128, 5, sjis + '\0');
    CPenShapeMngr m;
    ASSERT_EQ(loadNibs(nibs, m), CS_OK);
    EXPECT_EQ(m.getObj(0)->name(), "ペン");

    QByteArray methods = methodBytes();
    const std::vector<Chunk> d = chunksOf(methods);
    putAt<uint16_t>(methods, d[6].offset + 12, 2); // record version 2: code-page name
    putAt<uint16_t>(methods, d[6].offset + 10, 4);
    methods.replace(d[6].offset + 80, 4, sjis);
    CPenMethodMngr n;
    ASSERT_EQ(loadMethods(methods, n), CS_OK);
    EXPECT_EQ(n.getObj(2)->methodName, "ペン");

    putAt<uint16_t>(methods, d[6].offset + 12, 4); // record version 4: skipped
    CPenMethodMngr v4;
    ASSERT_EQ(loadMethods(methods, v4), CS_OK);
    EXPECT_EQ(v4.count(), 2);
}

TEST_F(PenSetFiles, ValuesThatDoNotFitTheirFieldsAreRefused)
{
    ASSERT_TRUE(writeFileBytes(path("old.pmt"), "old"));
    {
        CPenMethodMngr m;
        fillMethods(m);
        m.setShortcutIdx(2, 0, 256, 2, 0);
        EXPECT_EQ(writeMethodSet(path("old.pmt"), m), CS_ITEM_NOT_WRITABLE);
        EXPECT_TRUE(m.Modified());
        EXPECT_TRUE(m.LastPath().isEmpty());
    }
    {
        CPenMethodMngr m;
        fillMethods(m);
        m.getObj(2)->methodData.strokeParam.smooth = 300;
        EXPECT_EQ(writeMethodSet(path("old.pmt"), m), CS_ITEM_NOT_WRITABLE);
    }
    EXPECT_EQ(readFileBytes(path("old.pmt")), QByteArray("old"));

    const std::function<void(CPenShapeObj &)> nibFaults[] = {
        [](CPenShapeObj &n) { n.penParam.radius = 65536; },
        [](CPenShapeObj &n) { n.penParam.degree = -1; },
        [](CPenShapeObj &n) { n.gradMap.addRate = 70000; },
        [](CPenShapeObj &n) { n.setName(QString(32768, 'x')); },
    };
    for (const auto &fault : nibFaults) {
        CPenShapeMngr m;
        fillNibs(m);
        fault(*m.getObj(0));
        EXPECT_EQ(writeNibSet(path("new.psh"), m), CS_ITEM_NOT_WRITABLE);
        EXPECT_FALSE(QFile::exists(path("new.psh")));
    }
    CPenShapeMngr empty;
    EXPECT_EQ(writeNibSet(path("new.psh"), empty), CS_NOTHING_SAVED);
    EXPECT_FALSE(QFile::exists(path("new.psh")));
}

TEST_F(PenSetFiles, FailedSaveKeepsTheOldFile)
{
    const QByteArray old = nibBytes();
    CPenShapeMngr big;
    fillNibs(big);
    auto nib = std::make_unique<CPenShapeObj>(SPenShapeData{});
    auto noise = std::make_unique<TChannel>(512, 512);
    uint32_t v = 12345;
    for (int32_t y = 0; y < 512; ++y) {
        for (int32_t x = 0; x < 512; ++x) {
            v = v * 134775813u + 1;
            *noise->seek8(x, y) = uint8_t(v >> 24);
        }
    }
    ASSERT_TRUE(nib->attachImage(std::move(noise), true));
    big.appendShape(std::move(nib));
    big.setModified(true);
    {
        FullDiskScope full(64 * 1024);
        EXPECT_EQ(writeNibSet(path("nibs.psh"), big), CS_WRITE_FAILED);
    }
    EXPECT_EQ(readFileBytes(path("nibs.psh")), old);
    EXPECT_TRUE(big.Modified());
    EXPECT_TRUE(big.LastPath().isEmpty());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"nibs.psh"});

    EXPECT_EQ(writeNibSet(path("no/such/folder/x.psh"), big), CS_CANNOT_CREATE);
}

TEST_F(PenSetFiles, FailedItemIsCutFromTheStream)
{
    CPenShapeMngr m;
    fillNibs(m);
    QBuffer whole;
    whole.open(QIODevice::ReadWrite);
    ASSERT_EQ(writeNibChunk(whole, *m.getObj(0)), CS_OK);
    const qint64 first = whole.size();
    // Room for the image nib's chunk but not for its tip record.
    LimitedBuffer buf(first + 8 + 124 + 20);
    buf.open(QIODevice::ReadWrite);
    ASSERT_EQ(writeNibChunk(buf, *m.getObj(0)), CS_OK);
    EXPECT_EQ(writeNibChunk(buf, *m.getObj(1)), CS_WRITE_FAILED);
    EXPECT_EQ(buf.size(), first);
    EXPECT_EQ(buf.data(), whole.data());

    CPenMethodMngr methods;
    fillMethods(methods);
    LimitedBuffer small(kPenSetHeadSize + 200);
    small.open(QIODevice::ReadWrite);
    EXPECT_EQ(writeMethodSetStream(small, methods), CS_WRITE_FAILED);
    EXPECT_EQ(small.size(), kPenSetHeadSize); // the head; the first method cut away
}

TEST_F(PenSetFiles, ManagersLoadAndSaveThroughTheInstalledFiles)
{
    CPenShapeMngr nibs;
    fillNibs(nibs);
    ASSERT_TRUE(nibs.save(path("a.psh")));
    CPenShapeMngr nibsBack;
    ASSERT_TRUE(nibsBack.load(path("a.psh"), false));
    EXPECT_EQ(nibsBack.count(), 2);

    CPenMethodMngr methods;
    fillMethods(methods);
    ASSERT_TRUE(methods.save(path("a.pmt")));
    CPenMethodMngr back;
    // Three methods load; the load completes the set with the other engine modes.
    ASSERT_TRUE(back.load(path("a.pmt"), false));
    EXPECT_EQ(back.getObj(0)->methodName, "Blur");
    EXPECT_TRUE(back.check());

    EXPECT_FALSE(nibsBack.load(path("none.psh"), false));
    EXPECT_EQ(m_messages.warnings.last(), "ペン先集の読み込みに失敗しました! (err=4)");
}
