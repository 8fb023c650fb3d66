#include "format/mask_records.h"

#include "core/tiles/block_channel.h"
#include "core/mask/mask_manager.h"
#include "format/chunk.h"
#include "format/format_test_support.h"
#include "platform/desktop/messages.h"

#include <QBuffer>
#include <QStringList>
#include <QtEndian>
#include <gtest/gtest.h>

#include <functional>

namespace {

uint32_t u32At(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<uint32_t>(b.constData() + at);
}

uint16_t u16At(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<uint16_t>(b.constData() + at);
}

template <class T> void putAt(QByteArray &b, qsizetype at, T v)
{
    qToLittleEndian<T>(v, b.data() + at);
}

struct RunInfo
{
    qsizetype offset;
    uint32_t kind;
    int32_t count;
};

// The runs after a QMSK chunk at offset 0.
std::vector<RunInfo> runsOf(const QByteArray &b)
{
    std::vector<RunInfo> out;
    for (qsizetype at = 8 + u32At(b, 4); at + 40 <= b.size(); at += 8 + u32At(b, at + 4)) {
        EXPECT_EQ(b.mid(at, 4), QByteArray("QBMK"));
        out.push_back({at, u32At(b, at + 16), int32_t(u32At(b, at + 20))});
    }
    return out;
}

QByteArray written(const CMaskData &mask, sSize paper = {100, 100})
{
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    EXPECT_EQ(writeMaskRecord(buf, paper, mask), CS_OK);
    return buf.data();
}

// A 150 x 100 mask (3 x 2 blocks): block 0 a ramp, block 1 all 200 without memory, block 5 (at
// the image's corner) drawn in part, the others 0.
std::unique_ptr<CMaskData> sampleMask()
{
    auto mask = std::make_unique<CMaskData>(3, 150, 100);
    CBlockVCH &img = *mask->maskTC;
    for (int32_t y = 0; y < 64; ++y) {
        for (int32_t x = 0; x < 64; ++x) {
            img.setPixel(x, y, uint32_t(x + 3 * y));
        }
    }
    sBox whole{64, 0, 64, 64};
    img.fillArea(whole, 200);
    img.setPixel(140, 90, 77);
    mask->viewPos = {-5, 7};
    mask->title = QStringLiteral("選択");
    return mask;
}

// Reads a record (its head first) into the manager.
uint8_t readBack(const QByteArray &bytes, CMaskMngr *mngr, uint16_t version = 2,
                 const SMaskProgress *progress = nullptr)
{
    QByteArray copy = bytes;
    QBuffer buf(&copy);
    buf.open(QIODevice::ReadOnly);
    SChunkHeader head;
    if (readChunkHeader(buf, head) != CS_OK) {
        return CS_READ_FAILED;
    }
    SMaskReadTarget target;
    target.maskMngr = mngr;
    target.paperSize = {100, 100};
    target.fileVersion = version;
    const uint8_t code = readMaskRecord(buf, target, head.size, progress);
    if (code == CS_OK) {
        EXPECT_EQ(buf.pos(), buf.size()); // every run consumed
    }
    return code;
}

} // namespace

TEST(MaskRecord, HeadLayout)
{
    const auto mask = sampleMask();
    mask->title = "ab";
    const QByteArray b = written(*mask, {120, 90});
    EXPECT_EQ(b.left(4), QByteArray("QMSK"));
    EXPECT_EQ(u32At(b, 4), 72u + 8); // "ab" takes 4 bytes of text and 4 zero bytes
    EXPECT_EQ(u32At(b, 8), 3u);
    EXPECT_EQ(u16At(b, 12), 1);
    EXPECT_EQ(u32At(b, 16), 64u);
    EXPECT_EQ(u32At(b, 20), 64u);
    EXPECT_EQ(u32At(b, 24), 3u);
    EXPECT_EQ(u32At(b, 28), 2u);
    EXPECT_EQ(u32At(b, 32), 150u);
    EXPECT_EQ(u32At(b, 36), 100u);
    EXPECT_EQ(int32_t(u32At(b, 40)), -5);
    EXPECT_EQ(u32At(b, 44), 7u);
    EXPECT_EQ(u32At(b, 48), 120u);
    EXPECT_EQ(u32At(b, 52), 90u);
    EXPECT_EQ(u32At(b, 56), 0u);
    EXPECT_EQ(u16At(b, 60), 5); // title bytes + 1
    EXPECT_EQ(u16At(b, 62), 0);
    EXPECT_EQ(b.mid(64, 16), QByteArray(16, '\0'));
    EXPECT_EQ(b.mid(80, 8), QByteArray("a\0b\0\0\0\0\0", 8));

    // Without an image: no flag, no image fields, no runs.
    CMaskData empty(0);
    const QByteArray e = written(empty);
    EXPECT_EQ(e.size(), 80 + 4);
    EXPECT_EQ(u16At(e, 12), 0);
    EXPECT_EQ(e.mid(16, 24), QByteArray(24, '\0'));
    EXPECT_EQ(u16At(e, 60), 1);
}

TEST(MaskRecord, RunsGroupBlocksInRasterOrder)
{
    // 7 x 3 undrawn blocks: one kind-2 run of 21 values.
    CMaskData undrawn(0, 7 * 64, 3 * 64);
    QByteArray b = written(undrawn);
    std::vector<RunInfo> runs = runsOf(b);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].kind, 2u);
    EXPECT_EQ(runs[0].count, 21);
    EXPECT_EQ(u32At(b, runs[0].offset + 4), 32u + 84);
    EXPECT_EQ(u32At(b, runs[0].offset + 24), 0u);
    EXPECT_EQ(u32At(b, runs[0].offset + 28), 84u);

    // 40 drawn blocks in a row: runs of 16, 16 and 8.
    CMaskData drawn(0, 40 * 64, 64);
    for (int32_t i = 0; i < 40; ++i) {
        drawn.maskTC->setPixel(64 * i, 0, 1);
    }
    b = written(drawn);
    runs = runsOf(b);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].count, 16);
    EXPECT_EQ(runs[1].count, 16);
    EXPECT_EQ(runs[2].count, 8);
    for (const RunInfo &r : runs) {
        EXPECT_EQ(r.kind, 1u);
        EXPECT_EQ(u32At(b, r.offset + 28), uint32_t(r.count) * 4096);
        EXPECT_EQ(u32At(b, r.offset + 4) % 4, 0u);
    }

    // The sample: drawn block 0, undrawn 1-4 (one run across the row end), drawn 5.
    runs = runsOf(written(*sampleMask()));
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].kind, 1u);
    EXPECT_EQ(runs[0].count, 1);
    EXPECT_EQ(runs[1].kind, 2u);
    EXPECT_EQ(runs[1].count, 4);
    EXPECT_EQ(runs[2].count, 1);
}

TEST(MaskRecord, RoundTrip)
{
    const auto mask = sampleMask();
    CMaskMngr mngr(nullptr, 8);
    QStringList lines;
    int32_t steps = 0;
    SMaskProgress progress;
    progress.setMsg2 = [&](const QString &t) { lines << t; };
    progress.incStep = [&](int32_t d) { steps += d; };
    ASSERT_EQ(readBack(written(*mask), &mngr, 2, &progress), CS_OK);
    ASSERT_EQ(mngr.getMaskCount(), 2);
    const CMaskData &got = *mngr.getMask(1);
    EXPECT_EQ(got.index, 3); // the recorded index
    EXPECT_EQ(mngr.getMask(0)->index, 0);
    EXPECT_EQ(got.title, QStringLiteral("選択"));
    EXPECT_EQ(got.viewPos, (sPos{-5, 7}));
    ASSERT_TRUE(got.hasMask());
    EXPECT_EQ(got.maskTC->FPSZ(), (sSize{150, 100}));
    for (int32_t y = 0; y < 100; ++y) {
        for (int32_t x = 0; x < 150; ++x) {
            ASSERT_EQ(got.maskTC->getColor(x, y), mask->maskTC->getColor(x, y)) << x << ", " << y;
        }
    }
    EXPECT_FALSE(got.maskTC->blockAt(1).commit); // uniform blocks hold no memory
    EXPECT_TRUE(got.maskTC->blockAt(5).commit);
    EXPECT_EQ(lines, QStringList("選択をロードしています..."));
    EXPECT_EQ(steps, 1);

    CMaskData empty(4);
    empty.title = "none";
    ASSERT_EQ(readBack(written(empty), &mngr), CS_OK);
    EXPECT_FALSE(mngr.getMask(2)->hasMask());
    EXPECT_EQ(mngr.getMask(2)->title, "none");
}

TEST(MaskRecord, VersionOneTitlesAreAnsi)
{
    CMaskData mask(0);
    mask.title = "abcd";
    QByteArray b = written(mask);
    b.replace(80, 8, QByteArray("\x83\x7D\x83\x58\0\0\0\0", 8)); // "マス" in Shift_JIS
    CMaskMngr mngr(nullptr, 4);
    ASSERT_EQ(readBack(b, &mngr, 1), CS_OK);
    EXPECT_EQ(mngr.getMask(1)->title, QStringLiteral("マス"));
}

TEST(MaskRecord, CorruptRecordsGiveTheirCodes)
{
    const QByteArray good = written(*sampleMask());
    const std::vector<RunInfo> runs = runsOf(good);
    const qsizetype r0 = runs[0].offset, r1 = runs[1].offset;
    struct Case
    {
        const char *what;
        std::function<void(QByteArray &)> damage;
        uint8_t code;
    };
    const Case cases[] = {
        {"short head", [](QByteArray &b) { b.truncate(60); }, CS_READ_FAILED},
        {"version 1", [](QByteArray &b) { putAt<uint16_t>(b, 62, 1); }, CS_BAD_VERSION},
        {"chunk smaller than its head", [](QByteArray &b) { putAt<uint32_t>(b, 4, 40); },
         CS_BAD_SIZE},
        {"title past the end", [](QByteArray &b) { putAt<uint32_t>(b, 4, 1u << 20); }, CS_PAST_END},
        {"mask block size 32", [](QByteArray &b) { putAt<int32_t>(b, 16, 32); },
         CS_MASK_BLOCK_SIZE},
        {"blocks unlike the size", [](QByteArray &b) { putAt<int32_t>(b, 24, 4); },
         CS_MASK_NOT_MADE},
        {"width 0", [](QByteArray &b) { putAt<int32_t>(b, 32, 0); }, CS_MASK_NOT_MADE},
        {"run of another tag", [&](QByteArray &b) { b[r0 + 3] = 'X'; }, CS_BAD_TAG},
        {"run block size 32", [&](QByteArray &b) { putAt<int32_t>(b, r1 + 8, 32); },
         CS_MASK_BLOCK_SIZE},
        {"run kind 3", [&](QByteArray &b) { putAt<uint32_t>(b, r1 + 16, 3); }, CS_MASK_RUN_KIND},
        {"empty run", [&](QByteArray &b) { putAt<int32_t>(b, r1 + 20, 0); }, CS_MASK_EMPTY_RUN},
        {"run past the last block", [&](QByteArray &b) { putAt<int32_t>(b, r1 + 20, 6); },
         CS_MASK_RUN_PLACE},
        {"uncompressed length unlike the count",
         [&](QByteArray &b) { putAt<uint32_t>(b, r0 + 28, 4095); }, CS_MASK_RUN_PLACE},
        {"compressed length 0", [&](QByteArray &b) { putAt<uint32_t>(b, r0 + 24, 0); },
         CS_MASK_RUN_PLACE},
        {"compressed length beyond the run",
         [&](QByteArray &b) { putAt<uint32_t>(b, r0 + 24, u32At(b, r0 + 4)); }, CS_MASK_RUN_PLACE},
        {"values beyond the run", [&](QByteArray &b) { putAt<uint32_t>(b, r1 + 4, 32 + 12); },
         CS_MASK_RUN_PLACE},
        {"run past the end", [&](QByteArray &b) { putAt<uint32_t>(b, r1 + 4, 1u << 20); },
         CS_PAST_END},
        {"damaged block data", [&](QByteArray &b) { b[r0 + 60] = char(b[r0 + 60] ^ 0x21); },
         CS_READ_FAILED},
        {"cut before the last run", [&](QByteArray &b) { b.truncate(runs[2].offset); },
         CS_READ_FAILED},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray b = good;
        c.damage(b);
        CMaskMngr mngr(nullptr, 4);
        EXPECT_EQ(readBack(b, &mngr), c.code);
        EXPECT_EQ(mngr.getMaskCount(), 1); // nothing appended
    }
    EXPECT_EQ(readBack(good, nullptr), CS_NO_MASK_MANAGER);
}

TEST(MaskRecord, FailedWritesAreCutAway)
{
    ShortBuffer buf(300);
    buf.open(QIODevice::ReadWrite);
    ASSERT_EQ(buf.write("HEAD", 4), 4);
    EXPECT_EQ(writeMaskRecord(buf, {100, 100}, *sampleMask()), CS_WRITE_FAILED);
    EXPECT_EQ(buf.data(), QByteArray("HEAD"));

    // A failing mask is warned of and the others are written.
    QStringList warnings;
    kavrin::MessageHandlers h;
    h.warning = [&](const QString &t) { warnings << t; };
    const kavrin::MessageHandlers old = kavrin::installMessageHandlers(h);
    CMaskMngr mngr(nullptr, 4);
    mngr.getMask(0)->title = QString(40000, QChar('x'));
    auto second = sampleMask();
    mngr.insertAt(1, second);
    QStringList lines;
    int32_t steps = 0;
    SMaskProgress progress;
    progress.setMsg2 = [&](const QString &t) { lines << (t.size() > 40000 ? "long title" : t); };
    progress.incStep = [&](int32_t d) { steps += d; };
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    EXPECT_EQ(writeAllMasks(out, mngr, {100, 100}, &progress), 1);
    kavrin::installMessageHandlers(old);
    EXPECT_EQ(out.data().left(4), QByteArray("QMSK"));
    EXPECT_EQ(u32At(out.data(), 8), 3u); // only the second mask is there
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith("マスク (\"xxx"));
    EXPECT_TRUE(warnings[0].endsWith("\") の保存に失敗しました! (err=20)"));
    EXPECT_EQ(lines, QStringList({"long title", "選択を保存しています..."}));
    EXPECT_EQ(steps, 2);
}
