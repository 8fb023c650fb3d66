#include "paint/gradient/gradient_set_file.h"

#include "format/chunk.h"
#include "paint/gradient/gradient_manager.h"

#include "paint/gradient_test_support.h"
#include "paint/colour_file_test_support.h"
#include "paint/paint_test_support.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cstring>

namespace {

QByteArray chunkOf(const CColorSlotGroup &g, const SGradAttr &a)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    EXPECT_EQ(writeGradChunk(buf, g, a), CS_OK);
    return bytes;
}

uint8_t readChunkFrom(const QByteArray &bytes, CColorSlotGroup &g, SGradAttr &a)
{
    QByteArray copy = bytes;
    QBuffer buf(&copy);
    buf.open(QIODevice::ReadOnly);
    return readGradChunk(buf, g, a);
}

void putU16(QByteArray &b, int offset, uint16_t v)
{
    qToLittleEndian<uint16_t>(v, b.data() + offset);
}

void putU32(QByteArray &b, int offset, uint32_t v)
{
    qToLittleEndian<uint32_t>(v, b.data() + offset);
}

void putI32(QByteArray &b, int offset, int32_t v)
{
    qToLittleEndian<int32_t>(v, b.data() + offset);
}

SGradAttr attrOf(bool own, uint8_t type, uint8_t map, uint8_t rep, int32_t count)
{
    SGradAttr a;
    a.enbAttr = own;
    a.gradType = type;
    a.gradMap = map;
    a.gradRep = rep;
    a.gradRepCnt = count;
    return a;
}

// Black following the foreground colour, then a half-transparent own white, named "abc".
CColorSlotGroup twoStops()
{
    CColorSlotGroup g = groupOf({{rgbaOf(0, 0, 0, kCrsKindForeground), 0x10000, 255},
                                 {rgbaOf(255, 255, 255, kCrsKindOwn), 0x10000, 128}});
    g.setName("abc");
    return g;
}

// Offsets of a two-stop chunk named "abc": stops begin at 44.
constexpr int kStop0 = 44;
constexpr int kStop1 = 44 + 24;

} // namespace

TEST(GradientChunk, ByteLayout)
{
    const CColorSlotGroup g = twoStops();
    const QByteArray bytes = chunkOf(g, attrOf(true, gtGrade, gmReturn, grEndless, 0x12345));
    ASSERT_EQ(bytes.size(), 8 + 84);
    const QByteArray head = bytesOf({
        'Q', 'G', 'R', 'D', 84,  0, 0,    0,          // tag, size 28 + 8 (name and padding) + 48
        1,   0,   2,   0,                             // flags (own attribute), version 2
        2,   0,   1,   0,   1,   0, 0x45, 0x23,       // type, map, repeat mode, count's low 16 bits
        0,   0,   0,   0,   0,   0, 0,    0,    0, 0, // zero
        2,   0,   24,  0,   6,   0,                   // stop count, stop size, name bytes
        'a', 0,   'b', 0,   'c', 0, 0,    0,          // the name in UTF-16, padded to 4
    });
    EXPECT_EQ(bytes.left(kStop0).toHex(' '), head.toHex(' '));
    const uint8_t *slotData = nullptr;
    int32_t n = 0;
    ASSERT_TRUE(g.getSlotImage(slotData, n));
    EXPECT_EQ(bytes.mid(kStop0), QByteArray(reinterpret_cast<const char *>(slotData), n));
    // The stop's bytes as the files hold them: enable, used, union, opacity, id, R G B kind,
    // width, left, rate.
    EXPECT_EQ(
        bytes.mid(kStop1, 24).toHex(' '),
        bytesOf({1, 1, 1, 128, 1, 0, 0, 0, 255, 255, 255, 255, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0})
            .toHex(' '));

    CColorSlotGroup unpacked = twoStops();
    sCRSlot off = *unpacked.getSlot(1);
    off.enable = 0;
    unpacked.setColor(1, off);
    unpacked.refresh();
    QByteArray none;
    QBuffer buf(&none);
    buf.open(QIODevice::WriteOnly);
    EXPECT_EQ(writeGradChunk(buf, unpacked, SGradAttr{}), CS_ITEM_NOT_WRITABLE);
    EXPECT_TRUE(none.isEmpty());
}

TEST(GradientChunk, RoundTrip)
{
    const CColorSlotGroup g = groupOf({{rgbaOf(1, 2, 3, kCrsKindBackground), 5, 10},
                                       {rgbaOf(4, 5, 6, kCrsKindOwn), 0, 20},
                                       {rgbaOf(7, 8, 9, kCrsKindForeground), 7, 30}});
    const SGradAttr a = attrOf(true, gtRot, gmReturn, grEndless, 5);
    QByteArray bytes = chunkOf(g, a);
    bytes.append("next");
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    CColorSlotGroup back(4);
    SGradAttr backAttr;
    ASSERT_EQ(readGradChunk(buf, back, backAttr), CS_OK);
    EXPECT_EQ(buf.pos(), bytes.size() - 4) << "the stream stands behind the chunk";
    EXPECT_EQ(backAttr, a);
    EXPECT_EQ(back.name, g.name);
    EXPECT_TRUE(back.compare(g));
}

TEST(GradientChunk, DamagedChunksAreRefusedWithTheirCodesAndChangeNothing)
{
    const QByteArray good = chunkOf(twoStops(), attrOf(false, gtLinear, gmNormal, grTimes, 1));
    struct Case
    {
        const char *what;
        QByteArray bytes;
        uint8_t code;
    };
    std::vector<Case> cases;
    auto patched = [&](const char *what, uint8_t code, auto patch) {
        QByteArray b = good;
        patch(b);
        cases.push_back({what, b, code});
    };
    cases.push_back({"short head", good.left(30), CS_READ_FAILED});
    cases.push_back({"short stops", good.left(good.size() - 10), kGradChunkPastEnd});
    patched("wrong tag", CS_BAD_TAG, [](QByteArray &b) { b[3] = 'X'; });
    patched("version 3", CS_BAD_VERSION, [](QByteArray &b) { putU16(b, 10, 3); });
    patched("size below the head", CS_BAD_SIZE, [](QByteArray &b) { putU32(b, 4, 20); });
    patched("name beyond the chunk", CS_BAD_SIZE, [](QByteArray &b) { putU16(b, 34, 200); });
    patched("size past the end", kGradChunkPastEnd, [](QByteArray &b) { putU32(b, 4, 1000); });
    patched("one stop", CS_ITEM_NOT_WRITABLE, [](QByteArray &b) {
        b.chop(24);
        putU32(b, 4, 84 - 24);
    });
    patched("disabled stop", CS_ITEM_NOT_WRITABLE, [](QByteArray &b) { b[kStop1] = 0; });
    patched("unused stop", CS_ITEM_NOT_WRITABLE, [](QByteArray &b) { b[kStop0 + 1] = 0; });
    patched("zero width", CS_ITEM_NOT_WRITABLE, [](QByteArray &b) { putI32(b, kStop0 + 12, 0); });
    patched("negative width", CS_ITEM_NOT_WRITABLE, [](QByteArray &b) {
        // Three stops of widths -5 and 10: a positive sum that runs backwards.
        b.append(b.mid(kStop1, 24));
        putU32(b, 4, 84 + 24);
        putI32(b, kStop0 + 12, -5);
        putI32(b, kStop1 + 12, 10);
    });

    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        CColorSlotGroup target = groupOf({{rgbaOf(9, 9, 9, 255), 1}, {rgbaOf(8, 8, 8, 255), 1}});
        target.setName("kept");
        const CColorSlotGroup before = target;
        SGradAttr attr = attrOf(true, gtRot, gmReturn, grEndless, 9);
        EXPECT_EQ(readChunkFrom(c.bytes, target, attr), c.code);
        EXPECT_TRUE(target.compare(before));
        EXPECT_EQ(target.name, "kept");
        EXPECT_EQ(attr, attrOf(true, gtRot, gmReturn, grEndless, 9));
    }
}

TEST(GradientChunk, OutOfRangeAttributesAreClamped)
{
    QByteArray b = chunkOf(twoStops(), SGradAttr{});
    putU16(b, 12, 7); // type
    putU16(b, 14, 9); // map
    putU16(b, 16, 5); // repeat mode
    putU16(b, 18, 0); // repeat count
    CColorSlotGroup g(4);
    SGradAttr a;
    ASSERT_EQ(readChunkFrom(b, g, a), CS_OK);
    EXPECT_EQ(a.gradType, gtGrade);
    EXPECT_EQ(a.gradMap, gmReturn);
    EXPECT_EQ(a.gradRep, grEndless);
    EXPECT_EQ(a.gradRepCnt, 1);
}

TEST(GradientChunk, OlderVersionsStoreTheNameAsAnsiText)
{
    QByteArray b = chunkOf(twoStops(), SGradAttr{});
    const QByteArray stops = b.mid(kStop0);
    // "テスト" in Shift_JIS: six bytes, no padding needed beyond two.
    QByteArray v1 = b.left(36);
    putU16(v1, 10, 1);
    putU16(v1, 34, 6);
    v1 += bytesOf({0x83, 0x65, 0x83, 0x58, 0x83, 0x67, 0, 0});
    v1 += stops;
    CColorSlotGroup g(4);
    SGradAttr a;
    ASSERT_EQ(readChunkFrom(v1, g, a), CS_OK);
    EXPECT_EQ(g.name, QStringLiteral("テスト"));
    EXPECT_EQ(g.slotMaxIdx, 1);
}

// ---------------------------------------------------------------------------------------------
// Set files

namespace {

class GradientSetTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_profile->colorFG.all = 0xFF010203; // R 1, G 2, B 3
        m_profile->colorBG.all = 0xFF0A0B0C; // R 10, G 11, B 12
    }
    QString path(const char *name) const { return m_dir.filePath(name); }

    // The four built-in gradients and one with its own rotational attribute; the third current.
    void fill(CGradMngr &m)
    {
        m.makeDefault();
        auto own = std::make_unique<CGradObj>(rgbaOf(0, 0, 0, kCrsKindForeground),
                                              rgbaOf(0, 0, 0, kCrsKindBackground), "own");
        own->copyGradAttr(attrOf(true, gtRot, gmReturn, grTimes, 3));
        m.appendGrad(std::move(own));
        m.setColors(profileForeStopColor(), profileBackStopColor());
        m.setCurGrad(2);
    }

    QByteArray headerOf(const CGradMngr &m)
    {
        QByteArray bytes;
        QBuffer buf(&bytes);
        buf.open(QIODevice::WriteOnly);
        EXPECT_EQ(writeGradSet(buf, gradSetItems(m)), CS_OK);
        return bytes.left(kGradSetHeadSize);
    }

    ProfileScope m_profile;
    MessageRecorder m_messages;
    QTemporaryDir m_dir;
};

// What the tests compare of a manager.
struct MngrState
{
    int32_t count, current;
    QStringList names;
    QString lastPath;
    bool modified;
    friend bool operator==(const MngrState &, const MngrState &) = default;
};

MngrState stateOf(const CGradMngr &m)
{
    MngrState s{m.count(), m.getGradIdx(), {}, m.LastPath(), m.Modified()};
    for (int32_t i = 0; i < m.count(); ++i) {
        s.names << m.getGrad(i)->crsg->name;
    }
    return s;
}

} // namespace

TEST_F(GradientSetTest, HeaderLayoutLeavesTheFixedGradientOut)
{
    CGradMngr m(true);
    m.makeDefault(); // the fixed gradient at 0, then four
    ASSERT_EQ(m.count(), 5);
    m.setCurGrad(0);
    EXPECT_EQ(headerOf(m).toHex(' '),
              bytesOf({'G', 'R', 'S', 'T', 24, 0, 0, 0, 2, 0, 4, 0, 1, 0, 0, 0,
                       0,   0,   0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})
                  .toHex(' '));
    m.setCurGrad(3);
    EXPECT_EQ(headerOf(m).mid(12, 8).toHex(' '), bytesOf({0, 0, 0, 0, 2, 0, 0, 0}).toHex(' '))
        << "not the fixed one: the others are written one lower";

    CGradMngr plain;
    plain.makeDefault();
    plain.setCurGrad(3);
    EXPECT_EQ(headerOf(plain).mid(10, 10).toHex(' '),
              bytesOf({4, 0, 0, 0, 0, 0, 3, 0, 0xFF, 0xFF}).toHex(' '));

    CGradMngr onlyFixed(true);
    EXPECT_EQ(writeGradSetFile(path("fixed.qgs"), onlyFixed), CS_NOTHING_SAVED);
    EXPECT_FALSE(QFile::exists(path("fixed.qgs")));
}

TEST_F(GradientSetTest, RoundTripKeepsEveryGradientAndTheCurrentOne)
{
    CGradMngr a;
    fill(a);
    ASSERT_TRUE(a.save(path("a.qgs")));
    EXPECT_EQ(a.LastPath(), path("a.qgs"));
    EXPECT_FALSE(a.Modified());

    CGradMngr b;
    ASSERT_TRUE(b.load(path("a.qgs"), false));
    ASSERT_EQ(b.count(), a.count());
    for (int32_t i = 0; i < a.count(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(b.getGrad(i)->crsg->compare(*a.getGrad(i)->crsg));
        EXPECT_EQ(b.getGrad(i)->crsg->name, a.getGrad(i)->crsg->name);
        EXPECT_EQ(b.getGrad(i)->attr, a.getGrad(i)->attr);
    }
    EXPECT_EQ(b.getGradIdx(), 2) << "the stored current index is used";
    EXPECT_TRUE(b.getModGrad()->crsg->compare(*b.getGrad(2)->crsg));
    EXPECT_EQ(b.LastPath(), path("a.qgs"));
    EXPECT_FALSE(b.Modified());
    EXPECT_TRUE(m_messages.warnings.isEmpty()) << m_messages.warnings.join('\n').toStdString();

    ASSERT_TRUE(b.save(path("b.qgs")));
    EXPECT_EQ(readFileBytes(path("b.qgs")), readFileBytes(path("a.qgs")));
}

TEST_F(GradientSetTest, LoadingGivesForegroundAndBackgroundStopsTheProfileColours)
{
    CGradMngr a;
    fill(a);
    ASSERT_TRUE(a.save(path("a.qgs")));
    m_profile->colorFG.all = 0xFF203040;
    m_profile->colorBG.all = 0xFF506070;
    CGradMngr b;
    ASSERT_TRUE(b.load(path("a.qgs"), false));
    const CColorSlotGroup &own = *b.getGrad(4)->crsg;
    EXPECT_EQ(own.getSlot(0)->col.all, rgbaOf(0x20, 0x30, 0x40, kCrsKindForeground).all);
    EXPECT_EQ(own.getSlot(1)->col.all, rgbaOf(0x50, 0x60, 0x70, kCrsKindBackground).all);
    EXPECT_EQ(b.getGrad(0)->crsg->getSlot(0)->col.all, a.getGrad(0)->crsg->getSlot(0)->col.all)
        << "stops of their own colour stay";
}

TEST_F(GradientSetTest, AppendingKeepsTheCurrentGradientAndPath)
{
    CGradMngr a;
    fill(a);
    ASSERT_TRUE(a.save(path("a.qgs")));

    CGradMngr b;
    b.makeDefault();
    b.setCurGrad(1);
    b.setLastPath("/somewhere/else.qgs");
    b.setModified(false);
    ASSERT_TRUE(b.load(path("a.qgs"), true));
    EXPECT_EQ(b.count(), 4 + 5);
    EXPECT_EQ(b.getGradIdx(), 1);
    EXPECT_EQ(b.LastPath(), "/somewhere/else.qgs");
    EXPECT_TRUE(b.Modified());
}

TEST_F(GradientSetTest, VersionOneSetsStartWithAForegroundToBackgroundGradient)
{
    QByteArray file = bytesOf({'G', 'R', 'S',  'T',  24, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0,
                               0,   0,   0xFF, 0xFF, 0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    QByteArray chunk = chunkOf(twoStops(), SGradAttr{});
    putU16(chunk, 10, 1);
    putU16(chunk, 34, 0);
    chunk.remove(36, 8); // no name
    putU32(chunk, 4, 28 + 48);
    file += chunk;
    ASSERT_TRUE(writeFileBytes(path("v1.qgs"), file));

    CGradMngr m;
    ASSERT_TRUE(m.load(path("v1.qgs"), false));
    ASSERT_EQ(m.count(), 2);
    const CColorSlotGroup &first = *m.getGrad(0)->crsg;
    EXPECT_EQ(first.getSlot(0)->col.all, rgbaOf(1, 2, 3, kCrsKindForeground).all);
    EXPECT_EQ(first.getSlot(1)->col.all, rgbaOf(10, 11, 12, kCrsKindBackground).all);
    EXPECT_EQ(m.getGrad(1)->crsg->name, "");
    EXPECT_EQ(m.getGradIdx(), 1) << "the stored index counts from the prepended gradient";
}

TEST_F(GradientSetTest, DamagedFilesAreRefusedWithTheirCodesAndTheSetStays)
{
    CGradMngr source;
    fill(source);
    ASSERT_TRUE(source.save(path("good.qgs")));
    const QByteArray good = readFileBytes(path("good.qgs"));
    const int firstChunkSize = 8 + int(qFromLittleEndian<uint32_t>(good.constData() + 36));

    struct Case
    {
        const char *what;
        QByteArray bytes;
        uint8_t code;
    };
    std::vector<Case> cases;
    auto patched = [&](const char *what, uint8_t code, auto patch) {
        QByteArray b = good;
        patch(b);
        cases.push_back({what, b, code});
    };
    cases.push_back({"short header", good.left(20), CS_READ_FAILED});
    cases.push_back({"cut inside a chunk", good.left(good.size() - 30), kGradChunkPastEnd});
    cases.push_back(
        {"cut inside a chunk header", good.left(32 + firstChunkSize + 5), CS_READ_FAILED});
    patched("wrong tag", CS_BAD_TAG, [](QByteArray &b) { b[0] = 'X'; });
    patched("wrong header size", CS_BAD_SIZE, [](QByteArray &b) { putU32(b, 4, 25); });
    patched("version 3", CS_BAD_VERSION, [](QByteArray &b) { putU16(b, 8, 3); });
    patched("no gradients announced", CS_NOTHING_SAVED, [](QByteArray &b) { putU16(b, 10, 0); });
    patched("no readable gradient", CS_NOTHING_SAVED, [](QByteArray &b) {
        for (int at = 32; at < b.size();
             at += 8 + int(qFromLittleEndian<uint32_t>(b.constData() + at + 4))) {
            b[at + 3] = 'X';
        }
    });

    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(writeFileBytes(path("bad.qgs"), c.bytes));
        CGradMngr m;
        m.makeDefault();
        m.setCurGrad(2);
        m.setLastPath("/before.qgs");
        m.setModified(false);
        const MngrState before = stateOf(m);
        EXPECT_EQ(readGradSetFile(path("bad.qgs"), m, false), c.code);
        EXPECT_EQ(readGradSetFile(path("bad.qgs"), m, true), c.code);
        EXPECT_TRUE(stateOf(m) == before);
    }

    CGradMngr m;
    EXPECT_EQ(readGradSetFile(path("missing.qgs"), m, false), CS_FILE_MISSING);
    m_messages.warnings.clear();
    EXPECT_FALSE(m.load(path("missing.qgs"), false));
    EXPECT_EQ(m_messages.warnings,
              QStringList{QStringLiteral("グラデーション集の読み込みに失敗しました! (err=4)")});
}

TEST_F(GradientSetTest, ABadGradientIsSkippedAndReported)
{
    CGradMngr source;
    source.makeDefault();
    ASSERT_TRUE(source.save(path("good.qgs")));
    QByteArray b = readFileBytes(path("good.qgs"));
    // Disable the first stop of the second gradient.
    const int second = 32 + 8 + int(qFromLittleEndian<uint32_t>(b.constData() + 36));
    const int nameArea = (qFromLittleEndian<uint16_t>(b.constData() + second + 34) + 3) & ~3;
    b[second + 36 + nameArea] = 0;
    ASSERT_TRUE(writeFileBytes(path("one-bad.qgs"), b));

    CGradMngr m;
    ASSERT_TRUE(m.load(path("one-bad.qgs"), false));
    EXPECT_EQ(m.count(), 3);
    EXPECT_EQ(m.getGrad(1)->crsg->name, "untitled3");
    EXPECT_EQ(m_messages.warnings,
              QStringList{QStringLiteral("1個のグラデーション集が読み込めませんでした！")});
}

TEST_F(GradientSetTest, AFailedSaveKeepsTheOldFileAndTheModifiedFlag)
{
    CGradMngr m;
    fill(m);
    ASSERT_TRUE(m.save(path("set.qgs")));
    const QByteArray old = readFileBytes(path("set.qgs"));

    // A gradient that cannot be written in the middle of the set: the whole save fails.
    sCRSlot off = *m.getGrad(3)->crsg->getSlot(1);
    off.enable = 0;
    m.getGrad(3)->crsg->setColor(1, off);
    m.getGrad(3)->crsg->refresh();
    m.setModified(true);
    m_messages.warnings.clear();
    EXPECT_EQ(writeGradSetFile(path("set.qgs"), m), CS_ITEM_NOT_WRITABLE);
    EXPECT_FALSE(m.save(path("set.qgs")));
    EXPECT_EQ(m_messages.warnings,
              QStringList{QStringLiteral("グラデーション集の保存に失敗しました! (err=20)")});
    EXPECT_EQ(readFileBytes(path("set.qgs")), old);
    EXPECT_TRUE(m.Modified());

    // A full disk.
    CGradMngr other;
    other.makeDefault();
    {
        FullDiskScope full(64);
        EXPECT_EQ(writeGradSetFile(path("set.qgs"), other), CS_WRITE_FAILED);
    }
    EXPECT_EQ(readFileBytes(path("set.qgs")), old);
    EXPECT_EQ(other.LastPath(), "");

    EXPECT_EQ(writeGradSetFile(path("no/such/folder/set.qgs"), other), CS_CANNOT_CREATE);
}
