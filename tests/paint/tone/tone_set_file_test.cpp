#include "paint/tone/tone_set_file.h"

#include "core/image/channel.h"
#include "format/chunk.h"
#include "format/image_records.h"
#include "paint/tone/tone_manager.h"
#include "paint/paint_test_support.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

float f32At(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<float>(b.constData() + at);
}

// The chunks after the 32-byte head.
std::vector<Chunk> chunksOf(const QByteArray &b)
{
    return chunksFrom(b, kToneSetHeadSize);
}

// Offsets of the n-th QPAT chunk and the image record after it.
qsizetype patAt(const QByteArray &b, int n)
{
    return chunksOf(b)[size_t(2 * n)].offset;
}

qsizetype imageAt(const QByteArray &b, int n)
{
    return chunksOf(b)[size_t(2 * n + 1)].offset;
}

SToneAttr sampleToneAttr()
{
    SToneAttr a;
    initToneAttr(a);
    a.pattern = tptDiamond;
    a.dpi = 350;
    a.line = 50;
    a.percent = 35.5f;
    a.degree = 30;
    a.band = 7;
    a.genName = false;
    a.name = QStringLiteral("トーン");
    return a;
}

// Three patterns: a 40 x 20 ramp "ab" at zoom 50, offset (3, -4), negative; the screentone
// "トーン"; the 64 x 64 disc grid "discs". The screentone is current.
void fillSample(CToneMngr &m)
{
    TChannel ch(40, 20);
    for (int32_t y = 0; y < 20; ++y) {
        for (int32_t x = 0; x < 40; ++x) {
            *ch.seek8(x, y) = uint8_t(7 * y + x);
        }
    }
    const sPos ofs{3, -4};
    const int32_t a = m.appendPattern(ch, 50, &ofs);
    m.getPattern(a)->setName("ab");
    dynamic_cast<CPat8 *>(m.getPattern(a))->Fnega = true;
    ASSERT_EQ(m.appendTone(sampleToneAttr(), true, nullptr), 1);
    m.getPattern(1)->zoom = 120;
    m.getPattern(1)->ofs = {-7, 2};
    const int32_t c = m.appendPattern(64, 64, 8, 2);
    m.getPattern(c)->setName("discs");
    m.setCurPat(1);
}

const TChannel &tileOf(const CToneMngr &m, int32_t idx)
{
    return *dynamic_cast<const CPat8 *>(m.getPattern(idx))->channel();
}

bool sameTile(const TChannel &a, const TChannel &b)
{
    return a.FPSZ() == b.FPSZ() &&
           std::equal(a.buffer(), a.buffer() + a.getImageDataBytes(), b.buffer());
}

// A manager with one pattern "keep", current, LastPath "/keep.qts", not modified.
void fillKeep(CToneMngr &m)
{
    m.appendPattern(16, 16, 8, 2);
    m.getPattern(0)->setName("keep");
    m.setCurPat(0);
    m.setLastPath("/keep.qts");
    m.setModified(false);
}

void expectKept(const CToneMngr &m)
{
    EXPECT_EQ(m.count(), 1);
    EXPECT_EQ(m.getPattern(0)->name(), "keep");
    EXPECT_EQ(m.getPatIdx(), 0);
    EXPECT_EQ(m.LastPath(), "/keep.qts");
    EXPECT_FALSE(m.Modified());
}

// A pattern of no kind the file knows.
class OtherPattern : public CPatObj
{
  public:
    OtherPattern() : CPatObj(4, 4, 0) {}
    void *seek(int32_t, int32_t) const override { return nullptr; }
    uint8_t getValue(int32_t, int32_t) const override { return 0; }
};

class ToneSetFile : public ::testing::Test
{
  protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // The sample set written to a file; its bytes.
    QByteArray sampleBytes()
    {
        CToneMngr m;
        fillSample(m);
        EXPECT_EQ(writeToneSetFile(path("sample.qts"), m), CS_OK);
        return readFileBytes(path("sample.qts"));
    }

    // Reads bytes as a file into m.
    uint8_t load(const QByteArray &bytes, CToneMngr &m, bool append = false)
    {
        writeFileBytes(path("in.qts"), bytes);
        return readToneSetFile(path("in.qts"), m, append);
    }

    QTemporaryDir m_dir;
    MessageRecorder m_messages;
};

} // namespace

TEST_F(ToneSetFile, ByteLayout)
{
    const QByteArray b = sampleBytes();
    // Head.
    EXPECT_EQ(b.left(4), QByteArray("PTST"));
    EXPECT_EQ(u32At(b, 4), 24u);
    EXPECT_EQ(u16At(b, 8), 0);
    EXPECT_EQ(u16At(b, 10), 1); // version
    EXPECT_EQ(u16At(b, 12), 3); // patterns
    EXPECT_EQ(u16At(b, 14), 1); // current
    EXPECT_EQ(b.mid(16, 16), QByteArray(16, '\0'));

    const std::vector<Chunk> chunks = chunksOf(b);
    ASSERT_EQ(chunks.size(), 6u);
    EXPECT_EQ(chunks.back().offset + 8 + chunks.back().size, b.size());
    const char *tags[] = {"QPAT", "QTNL", "QPAT", "QTNL", "QPAT", "QTNL"};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(chunks[i].tag, QByteArray(tags[i]));
        EXPECT_EQ(chunks[i].size % 4, 0u);
    }

    // The plain pattern: record, name "ab" (4 bytes, no padding), then its tile record.
    const qsizetype p = chunks[0].offset;
    EXPECT_EQ(chunks[0].size, 72u + 4);
    EXPECT_EQ(u16At(b, p + 8), 8);       // bits per pixel
    EXPECT_EQ(u16At(b, p + 10), 0);      // kind
    EXPECT_EQ(u16At(b, p + 12), 4);      // name bytes
    EXPECT_EQ(u16At(b, p + 14), 2);      // record version
    EXPECT_EQ(u32At(b, p + 16), 0x102u); // plain, negative
    EXPECT_EQ(u32At(b, p + 20), 50u);    // zoom
    EXPECT_EQ(int32_t(u32At(b, p + 24)), 3);
    EXPECT_EQ(int32_t(u32At(b, p + 28)), -4);
    EXPECT_EQ(u32At(b, p + 32), 40u);
    EXPECT_EQ(u32At(b, p + 36), 20u);
    EXPECT_EQ(b.mid(p + 40, 32), QByteArray(32, '\0')); // no screentone values
    EXPECT_EQ(b.mid(p + 80, 4), QByteArray("a\0b\0", 4));
    const qsizetype img = chunks[1].offset;
    EXPECT_EQ(u16At(b, img + 8), IRK_SCRAMBLED);
    EXPECT_EQ(u16At(b, img + 10), IRS_NIB_SHAPE);
    EXPECT_EQ(u32At(b, img + 16), 40u); // source and stored size: the tile's
    EXPECT_EQ(u32At(b, img + 20), 20u);
    EXPECT_EQ(u32At(b, img + 24), 40u);
    EXPECT_EQ(u32At(b, img + 28), 20u);
    EXPECT_EQ(u32At(b, img + 36), 800u);

    // The screentone: name of 6 bytes padded to 8, the attribute at 40..63, its stored tile.
    const qsizetype t = chunks[2].offset;
    EXPECT_EQ(chunks[2].size, 72u + 8);
    EXPECT_EQ(u16At(b, t + 10), 1);
    EXPECT_EQ(u16At(b, t + 12), 6);
    EXPECT_EQ(u32At(b, t + 16), 0u); // not negative, no generated name
    EXPECT_EQ(u32At(b, t + 20), 120u);
    EXPECT_EQ(u32At(b, t + 8 + 40), uint32_t(tptDiamond));
    EXPECT_EQ(f32At(b, t + 8 + 44), 350.0f);
    EXPECT_EQ(f32At(b, t + 8 + 48), 50.0f);
    EXPECT_EQ(f32At(b, t + 8 + 52), 35.5f);
    EXPECT_EQ(f32At(b, t + 8 + 56), 30.0f);
    EXPECT_EQ(u32At(b, t + 8 + 60), 7u);
    EXPECT_EQ(b.mid(t + 8 + 64, 8), QByteArray(8, '\0'));
    EXPECT_EQ(QString::fromUtf16(reinterpret_cast<const char16_t *>(b.constData() + t + 80), 3),
              QStringLiteral("トーン"));
    EXPECT_EQ(b.mid(t + 86, 2), QByteArray(2, '\0'));
    EXPECT_EQ(u16At(b, chunks[3].offset + 10), IRS_TONE_CELL);
    EXPECT_EQ(u32At(b, chunks[3].offset + 24), 64u);
}

TEST_F(ToneSetFile, RoundTrip)
{
    CToneMngr saved;
    fillSample(saved);
    ASSERT_EQ(writeToneSetFile(path("set.qts"), saved), CS_OK);
    EXPECT_EQ(saved.LastPath(), path("set.qts"));
    EXPECT_FALSE(saved.Modified());

    CToneMngr m;
    ASSERT_EQ(readToneSetFile(path("set.qts"), m, false), CS_OK);
    ASSERT_EQ(m.count(), 3);
    EXPECT_EQ(m.getPatIdx(), 1);
    EXPECT_EQ(m.LastPath(), path("set.qts"));
    EXPECT_FALSE(m.Modified());
    for (int32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const CPatObj *a = saved.getPattern(i), *b = m.getPattern(i);
        EXPECT_EQ(b->name(), a->name());
        EXPECT_EQ(b->objType, a->objType);
        EXPECT_EQ(b->zoom, a->zoom);
        EXPECT_EQ(b->ofs, a->ofs);
        EXPECT_EQ(b->size, a->size);
        EXPECT_TRUE(b->enable);
        EXPECT_EQ(dynamic_cast<const CPat8 *>(b)->Fnega, dynamic_cast<const CPat8 *>(a)->Fnega);
        EXPECT_TRUE(sameTile(tileOf(m, i), tileOf(saved, i)));
    }
    const CPat8Tone *tone = m.getToneObj(1);
    ASSERT_TRUE(tone);
    EXPECT_EQ(tone->toneAttr, sampleToneAttr());
    EXPECT_EQ(tone->maker(), m.getToneMaker().get());
    // Strokes read the working copy, rebuilt from the attribute at the tone's zoom.
    const auto *copy = dynamic_cast<const CPat8Tone *>(m.getModPat());
    ASSERT_TRUE(copy);
    EXPECT_FLOAT_EQ(copy->toneAttr.dpi, 350 * 1.2f);
    EXPECT_TRUE(m_messages.warnings.isEmpty());
}

TEST_F(ToneSetFile, AppendKeepsTheCurrentPatternAndPath)
{
    CToneMngr saved;
    fillSample(saved);
    ASSERT_EQ(writeToneSetFile(path("set.qts"), saved), CS_OK);
    CToneMngr m;
    fillKeep(m);
    ASSERT_EQ(readToneSetFile(path("set.qts"), m, true), CS_OK);
    EXPECT_EQ(m.count(), 4);
    EXPECT_EQ(m.getPatIdx(), 0);
    EXPECT_EQ(m.getPattern(0)->name(), "keep");
    EXPECT_EQ(m.getPattern(3)->name(), "discs");
    EXPECT_EQ(m.LastPath(), "/keep.qts");
    EXPECT_TRUE(m.Modified());
}

TEST_F(ToneSetFile, RefusedFilesLeaveTheSetAsItWas)
{
    const QByteArray good = sampleBytes();
    struct Case
    {
        const char *what;
        std::function<void(QByteArray &)> damage;
        uint8_t code;
    };
    const Case cases[] = {
        {"short head", [](QByteArray &b) { b.truncate(20); }, CS_READ_FAILED},
        {"wrong tag", [](QByteArray &b) { b[0] = 'X'; }, CS_BAD_TAG},
        {"wrong head size", [](QByteArray &b) { putAt<uint32_t>(b, 4, 25); }, CS_BAD_SIZE},
        {"head word at 8", [](QByteArray &b) { putAt<uint16_t>(b, 8, 1); }, CS_BAD_TYPE},
        {"version 2", [](QByteArray &b) { putAt<uint16_t>(b, 10, 2); }, CS_BAD_VERSION},
        {"no patterns announced", [](QByteArray &b) { putAt<uint16_t>(b, 12, 0); },
         CS_NOTHING_SAVED},
        {"a chunk longer than the file",
         [](QByteArray &b) { putAt<uint32_t>(b, imageAt(b, 1) + 4, 1u << 20); }, 10},
        {"a cut chunk head", [](QByteArray &b) { b.truncate(imageAt(b, 2) + 5); }, CS_READ_FAILED},
        {"no pattern readable",
         [](QByteArray &b) {
             for (int i = 0; i < 3; ++i) {
                 putAt<uint16_t>(b, patAt(b, i) + 10, 2); // record kind 2
             }
         },
         CS_NOTHING_SAVED},
        {"only the head", [](QByteArray &b) { b.truncate(kToneSetHeadSize); }, CS_NOTHING_SAVED},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray b = good;
        c.damage(b);
        CToneMngr m;
        fillKeep(m);
        EXPECT_EQ(load(b, m), c.code);
        expectKept(m);
    }
    CToneMngr m;
    fillKeep(m);
    EXPECT_EQ(readToneSetFile(path("missing.qts"), m, false), CS_FILE_MISSING);
    expectKept(m);
    EXPECT_TRUE(m_messages.warnings.isEmpty());
}

TEST_F(ToneSetFile, TruncatedFilesAreRefusedOrReportTheirShortfall)
{
    // Cut anywhere, a file either is refused with the set unchanged or, cut between two whole
    // patterns, loads those before the cut and warns of the rest.
    const QByteArray good = sampleBytes();
    std::vector<qsizetype> boundaries;
    for (int i = 1; i < 3; ++i) {
        boundaries.push_back(patAt(good, i));
    }
    for (qsizetype cut = 0; cut < good.size(); ++cut) {
        CToneMngr m;
        fillKeep(m);
        const uint8_t code = load(good.left(cut), m);
        const auto boundary = std::find(boundaries.begin(), boundaries.end(), cut);
        if (boundary == boundaries.end()) {
            ASSERT_NE(code, CS_OK) << "cut at " << cut;
            expectKept(m);
        } else {
            ASSERT_EQ(code, CS_OK) << "cut at " << cut;
            const int loaded = int(boundary - boundaries.begin()) + 1;
            EXPECT_EQ(m.count(), loaded);
            EXPECT_EQ(m_messages.warnings.last(),
                      QStringLiteral("%1個のトーン集が読み込めませんでした！").arg(3 - loaded));
        }
    }
}

TEST_F(ToneSetFile, UnreadablePatternsAreSkipped)
{
    const QByteArray good = sampleBytes();
    struct Case
    {
        const char *what;
        std::function<void(QByteArray &)> damage;
        QStringList names; // what loads
    };
    const Case cases[] = {
        {"record kind 2",
         [](QByteArray &b) { putAt<uint16_t>(b, patAt(b, 0) + 10, 2); },
         {"トーン", "discs"}},
        {"16 bits per pixel",
         [](QByteArray &b) { putAt<uint16_t>(b, patAt(b, 1) + 8, 16); },
         {"ab", "discs"}},
        {"record version 3",
         [](QByteArray &b) { putAt<uint16_t>(b, patAt(b, 2) + 14, 3); },
         {"ab", "トーン"}},
        {"screentone of dpi 0",
         [](QByteArray &b) { putAt<float>(b, patAt(b, 1) + 52, 0); },
         {"ab", "discs"}},
        {"screentone of line NaN",
         [](QByteArray &b) { putAt<float>(b, patAt(b, 1) + 56, std::nanf("")); },
         {"ab", "discs"}},
        {"image record of another tag",
         [](QByteArray &b) { b[imageAt(b, 0) + 3] = 'X'; },
         {"トーン", "discs"}},
        {"empty tile",
         [](QByteArray &b) { putAt<uint32_t>(b, imageAt(b, 2) + 24, 0); },
         {"ab", "トーン"}},
        {"image record of a 32-bit sub-type",
         [](QByteArray &b) { putAt<uint16_t>(b, imageAt(b, 0) + 10, IRS_THUMBNAIL); },
         {"トーン", "discs"}},
        {"damaged tile data",
         [](QByteArray &b) {
             const qsizetype at = imageAt(b, 1) + kImageRecordHeadSize + 30;
             b[at] = char(b[at] ^ 0x55);
         },
         {"ab", "discs"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray b = good;
        c.damage(b);
        CToneMngr m;
        m_messages.warnings.clear();
        ASSERT_EQ(load(b, m), CS_OK);
        QStringList names;
        for (int32_t i = 0; i < m.count(); ++i) {
            names << m.getPattern(i)->name();
        }
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(m_messages.warnings, QStringList("1個のトーン集が読み込めませんでした！"));
    }
}

TEST_F(ToneSetFile, OtherChunksAreSteppedOver)
{
    QByteArray b = sampleBytes();
    b.insert(patAt(b, 1), QByteArray("XTRA\x04\0\0\0abcd", 12));
    CToneMngr m;
    ASSERT_EQ(load(b, m), CS_OK);
    EXPECT_EQ(m.count(), 3);
    EXPECT_TRUE(m_messages.warnings.isEmpty());
}

TEST_F(ToneSetFile, StoredValuesAreClampedIntoRange)
{
    struct Case
    {
        int pattern;
        qsizetype field;
        int32_t stored;
        int32_t zoom;
    };
    const Case cases[] = {
        {0, 20, 0, 50}, // a 40 x 20 tile: 1000 div 20
        {2, 20, 0, 15}, // a 64 x 64 tile: 1000 div 64
        {2, 20, 5000, 200}, {2, 20, -7, 15},
        {1, 20, 1000, 200}, // pitch 7: 200 is well below the 1821 that reach 127.5 pixels
        {1, 20, 40, 50},    // at least 3.5 pixels: 50
    };
    const QByteArray good = sampleBytes();
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "pattern " << c.pattern << " zoom " << c.stored);
        QByteArray b = good;
        putAt<int32_t>(b, patAt(b, c.pattern) + c.field, c.stored);
        CToneMngr m;
        ASSERT_EQ(load(b, m), CS_OK);
        EXPECT_EQ(m.getPattern(c.pattern)->zoom, c.zoom);
        m.setCurPat(c.pattern);
        ASSERT_TRUE(m.getModPat());
        EXPECT_GT(m.getModPat()->size.x, 0);
    }
    // A shape number above 9 is read as 9.
    QByteArray b = good;
    putAt<int32_t>(b, patAt(b, 1) + 8 + 40, 77);
    CToneMngr m;
    ASSERT_EQ(load(b, m), CS_OK);
    EXPECT_EQ(m.getToneObj(1)->toneAttr.pattern, tptRhomboid);
}

TEST_F(ToneSetFile, VersionOneRecordsHoldAnsiNames)
{
    CToneMngr saved;
    saved.appendPattern(8, 8, 4, 1);
    saved.getPattern(0)->setName("abcd");
    ASSERT_EQ(writeToneSetFile(path("v1.qts"), saved), CS_OK);
    QByteArray b = readFileBytes(path("v1.qts"));
    const qsizetype p = patAt(b, 0);
    putAt<uint16_t>(b, p + 14, 1);
    b.replace(p + 80, 8, QByteArray("\x83\x67\x81\x5B\0\0\0\0", 8)); // "トー" in Shift_JIS
    CToneMngr m;
    ASSERT_EQ(load(b, m), CS_OK);
    EXPECT_EQ(m.getPattern(0)->name(), QStringLiteral("トー"));
}

TEST_F(ToneSetFile, FailedSavesKeepTheOldFile)
{
    CToneMngr first;
    fillSample(first);
    ASSERT_EQ(writeToneSetFile(path("set.qts"), first), CS_OK);
    const QByteArray old = readFileBytes(path("set.qts"));

    CToneMngr other;
    other.makeDefault();
    other.setModified(true);
    {
        FullDiskScope full(100);
        EXPECT_EQ(writeToneSetFile(path("set.qts"), other), CS_WRITE_FAILED);
    }
    EXPECT_EQ(readFileBytes(path("set.qts")), old);
    EXPECT_TRUE(other.LastPath().isEmpty());
    EXPECT_TRUE(other.Modified());

    EXPECT_EQ(writeToneSetFile(path("no/such/folder/set.qts"), other), CS_CANNOT_CREATE);

    other.appendPattern(std::make_unique<OtherPattern>());
    EXPECT_EQ(writeToneSetFile(path("set.qts"), other), CS_ITEM_NOT_WRITABLE);
    EXPECT_EQ(readFileBytes(path("set.qts")), old);

    CToneMngr empty;
    EXPECT_EQ(writeToneSetFile(path("empty.qts"), empty), CS_NOTHING_SAVED);
    EXPECT_FALSE(QFile::exists(path("empty.qts")));
}

TEST(PatternRecord, FillAndReadBack)
{
    auto maker = std::make_shared<CToneMaker>();
    CPat8Tone tone;
    SToneAttr attr = sampleToneAttr();
    attr.genName = true;
    ASSERT_TRUE(tone.build(&attr, maker, true, nullptr));
    tone.Fnega = true;
    SPatRecord rec;
    fillPatToneRecord(rec, tone);
    EXPECT_EQ(rec.flags, kPatRecNegative | kPatRecGenName);
    EXPECT_EQ(rec.kind, 1);
    const SPatRecord back =
        patRecordFromBytes(reinterpret_cast<const uint8_t *>(patRecordBytes(rec).constData()));
    SToneAttr got;
    initToneAttr(got);
    got.genName = false;
    got.name = "kept";
    readPatToneAttr(back, got);
    EXPECT_TRUE(got.genName);
    EXPECT_EQ(got.name, "kept");
    EXPECT_EQ(got.pattern, attr.pattern);
    EXPECT_EQ(got.dpi, attr.dpi);
    EXPECT_EQ(got.band, attr.band);

    CPat8 plain(4, 4, 0);
    fillPatRecord(rec, plain);
    EXPECT_EQ(rec.flags, kPatRecPlain);
    EXPECT_EQ(rec.dpi, 0);
    EXPECT_EQ(rec.version, kPatRecordVersion);
}
