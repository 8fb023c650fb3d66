// Event files: the compressed and stored forms, their checks, exporting and loading.
#include "document/events/event_file.h"

#include "core/image/canvas.h"
#include "format/chunk.h"
#include "format/image_records.h"
#include "recorder_rig.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/resource.h>

namespace {

// Fills a recorder with n bytes of pseudo-random stream data as cnt events.
std::vector<uint8_t> fillStream(CEventMngr &ev, uint32_t n, uint32_t cnt)
{
    std::vector<uint8_t> data(n);
    std::mt19937 rng(7);
    for (auto &b : data)
        b = uint8_t(rng() % 7); // compressible, but not trivially
    EXPECT_TRUE(ev.restart());
    EXPECT_EQ(ev.writeDataEx(data.data(), n), n);
    ev.topEventPos = ev.curLength;
    ev.eventCnt = cnt;
    return data;
}

std::vector<uint8_t> streamBytes(const CEventMngr &ev)
{
    std::vector<uint8_t> out(ev.curLength);
    ev.readDataEx(0, out.data(), ev.curLength);
    return out;
}

template <class T> T recordAt(const QByteArray &bytes, qsizetype ofs)
{
    T v;
    std::memcpy(&v, bytes.constData() + ofs, sizeof v);
    return v;
}

QByteArray writeCompressed(RecorderRig &rig, int32_t version = 50)
{
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    EXPECT_EQ(writeCompressedEvents(buf, rig.paper(), version, nullptr, 0), CS_OK);
    return buf.data();
}

uint8_t loadBytes(TPaper &paper, const QByteArray &bytes)
{
    QBuffer buf;
    buf.setData(bytes);
    buf.open(QIODevice::ReadOnly);
    return readEventData(buf, paper, nullptr);
}

} // namespace

TEST(EventFile, A150000ByteStreamIsThreeSegmentsAndLoadsBack)
{
    RecorderRig rig;
    const std::vector<uint8_t> data = fillStream(rig.ev(), 150000, 9);
    const QByteArray file = writeCompressed(rig);

    const SEvPackHead h = recordAt<SEvPackHead>(file, 0);
    EXPECT_EQ(h.head.tag, chunkTag("QEVP"));
    EXPECT_EQ(h.head.size, 48u);
    EXPECT_EQ(h.head.dataLen, 150000u);
    EXPECT_EQ(h.head.eventCnt, 9u);
    EXPECT_EQ(h.segCount, 3u);
    EXPECT_EQ(h.segLen, 65536u);
    qsizetype pos = sizeof(SEvPackHead);
    const uint32_t lens[] = {65536, 65536, 18928}, offsets[] = {0, 65536, 131072};
    for (int i = 0; i < 3; ++i) {
        const SEvSegHead s = recordAt<SEvSegHead>(file, pos);
        EXPECT_EQ(s.tag, chunkTag("QBEV"));
        EXPECT_EQ(s.offset, offsets[i]);
        EXPECT_EQ(s.rawLen, lens[i]);
        EXPECT_EQ(s.size, 20 + ((s.packedLen + 3) & ~3u));
        pos += 8 + s.size;
    }
    EXPECT_EQ(pos, file.size());

    HeadlessDocument other;
    ASSERT_EQ(loadBytes(*other.paper, file), CS_OK);
    EXPECT_EQ(streamBytes(other.paper->eventMngr()), data);
    EXPECT_EQ(other.paper->eventMngr().eventCnt, 9u);
    EXPECT_EQ(other.paper->eventMngr().fileVersion, 50);
}

TEST(EventFile, TheStoredFormRoundTrips)
{
    RecorderRig rig;
    const std::vector<uint8_t> data = fillStream(rig.ev(), 1001, 3);
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    ASSERT_EQ(writeStoredEvents(buf, rig.paper()), CS_OK);
    const SEvFileHead h = recordAt<SEvFileHead>(buf.data(), 0);
    EXPECT_EQ(h.tag, chunkTag("QEVS"));
    EXPECT_EQ(h.size, 32u + 1004u);
    EXPECT_EQ(buf.data().size(), 40 + 1004);

    HeadlessDocument other;
    ASSERT_EQ(loadBytes(*other.paper, buf.data()), CS_OK);
    EXPECT_EQ(streamBytes(other.paper->eventMngr()), data);
    EXPECT_EQ(other.paper->eventMngr().eventCnt, 3u);
}

TEST(EventFile, NothingToWriteIs42)
{
    RecorderRig rig;
    ASSERT_TRUE(rig.ev().restart());
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    EXPECT_EQ(writeCompressedEvents(buf, rig.paper(), 50, nullptr, 0), CS_NOTHING_TO_WRITE);
}

// Corrupt files: each is refused with its code and leaves the recorder empty.
TEST(EventFile, CorruptFilesAreRefusedAndLeaveTheRecorderEmpty)
{
    RecorderRig rig;
    fillStream(rig.ev(), 150000, 9);
    const QByteArray good = writeCompressed(rig);
    const qsizetype seg1 = sizeof(SEvPackHead);
    const SEvSegHead s0 = recordAt<SEvSegHead>(good, seg1);
    const qsizetype seg2 = seg1 + 8 + s0.size;

    struct Case
    {
        const char *what;
        std::function<void(QByteArray &)> spoil;
        uint8_t code;
    };
    auto put32 = [](QByteArray &b, qsizetype ofs, uint32_t v) {
        std::memcpy(b.data() + ofs, &v, 4);
    };
    auto put16 = [](QByteArray &b, qsizetype ofs, uint16_t v) {
        std::memcpy(b.data() + ofs, &v, 2);
    };
    const Case cases[] = {
        {"head size", [&](QByteArray &b) { put32(b, 4, 40); }, CS_BAD_SIZE},
        {"version 51", [&](QByteArray &b) { put16(b, 16, 51); }, CS_BAD_VERSION},
        {"foreign segment length", [&](QByteArray &b) { put32(b, 44, 32768); }, CS_SEGMENT_LENGTH},
        {"segment count", [&](QByteArray &b) { put32(b, 40, 4); }, CS_SEGMENT_LENGTH},
        {"no segments", [&](QByteArray &b) { put32(b, 40, 0); }, CS_NOTHING_TO_WRITE},
        {"wrong tag", [&](QByteArray &b) { b[0] = 'X'; }, CS_BAD_TAG},
        {"segment tag", [&](QByteArray &b) { b[seg2] = 'X'; }, CS_BAD_TAG},
        {"segment size below 20", [&](QByteArray &b) { put32(b, seg2 + 4, 19); }, CS_BAD_SIZE},
        {"packed longer than the chunk",
         [&](QByteArray &b) { put32(b, seg2 + 16, recordAt<uint32_t>(b, seg2 + 4)); }, CS_BAD_SIZE},
        {"segment offset", [&](QByteArray &b) { put32(b, seg2 + 8, 1); }, CS_BAD_SIZE},
        {"segment length", [&](QByteArray &b) { put32(b, seg2 + 12, 65535); }, CS_BAD_SIZE},
        {"huge chunk", [&](QByteArray &b) { put32(b, seg2 + 4, 0xFFFFFFF0u); }, CS_READ_FAILED},
        {"damaged data", [&](QByteArray &b) { b[seg2 + 40] = char(b[seg2 + 40] ^ 0x55); },
         CS_READ_FAILED},
        {"cut file", [&](QByteArray &b) { b.truncate(b.size() - 10); }, CS_READ_FAILED},
        {"cut head", [&](QByteArray &b) { b.truncate(30); }, CS_READ_FAILED},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray bytes = good;
        c.spoil(bytes);
        HeadlessDocument other;
        EXPECT_EQ(loadBytes(*other.paper, bytes), c.code);
        EXPECT_EQ(other.paper->eventMngr().curLength, 0u);
        EXPECT_EQ(other.paper->eventMngr().eventCnt, 0u);
    }

    // The stored form.
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    ASSERT_EQ(writeStoredEvents(buf, rig.paper()), CS_OK);
    const QByteArray stored = buf.data();
    const Case storedCases[] = {
        {"stored version", [&](QByteArray &b) { put16(b, 16, 60); }, CS_BAD_VERSION},
        {"stored ext flags", [&](QByteArray &b) { put16(b, 18, 1); }, CS_BAD_TYPE},
        {"stored size", [&](QByteArray &b) { put32(b, 4, 100); }, CS_BAD_SIZE},
        {"stored cut", [&](QByteArray &b) { b.truncate(1000); }, CS_EVENTS_NOT_TAKEN},
    };
    for (const Case &c : storedCases) {
        SCOPED_TRACE(c.what);
        QByteArray bytes = stored;
        c.spoil(bytes);
        HeadlessDocument other;
        EXPECT_EQ(loadBytes(*other.paper, bytes), c.code);
        EXPECT_EQ(other.paper->eventMngr().curLength, 0u);
        EXPECT_EQ(other.paper->eventMngr().eventCnt, 0u);
    }
}

struct ExportRig : RecorderRig
{
    ExportRig()
    {
        EXPECT_TRUE(ev().startRecording(&stroke, &tones, 8, 8));
        recordOpening();
        ev().pushEventLayerTrans(0, 100);
    }
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

TEST(EventFile, ExportVersionsThumbnailsAndTheStreamAfterwards)
{
    ExportRig rig;
    const std::vector<uint8_t> before = rig.bytes();
    const uint32_t events = rig.ev().eventCnt;

    struct Case
    {
        int32_t version;
        uint16_t written;
        uint8_t thumbKind;
        const char *ext;
    } const cases[] = {{-1, 50, 1, ".qe5"},
                       {20, 20, 2, ".qe3"},
                       {60, 50, 2, ".qe5"},
                       {15, 15, 1, ".qes"},
                       {40, 40, 2, ".qe4"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.version);
        const QString file = rig.path("a.qe5");
        ASSERT_TRUE(exportEventFile(file, rig.paper(), true, -1, c.version, true));
        EXPECT_EQ(rig.bytes(), before);
        EXPECT_EQ(rig.ev().eventCnt, events);
        EXPECT_EQ(rig.ev().curStatus, eEvStat::esRecording);

        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_EQ(recordAt<uint32_t>(bytes, 0), chunkTag("QTNL"));
        EXPECT_EQ(uint8_t(bytes[8]), c.thumbKind);

        std::unique_ptr<TMTC> thumb;
        sSize size;
        ASSERT_EQ(readEventFileThumbnail(file, thumb, size), CS_OK);
        ASSERT_TRUE(thumb);
        EXPECT_EQ(size, (sSize{64, 64}));

        HeadlessDocument other;
        ASSERT_EQ(loadEventFile(file, *other.paper), CS_OK);
        QString ext;
        EXPECT_EQ(other.paper->eventMngr().getPlayFileVersion(ext), c.written);
        EXPECT_EQ(ext, QString::fromLatin1(c.ext));
        // The stream plus the end event.
        const std::vector<uint8_t> loaded = streamBytes(other.paper->eventMngr());
        ASSERT_EQ(loaded.size(), before.size() + 2);
        EXPECT_TRUE(std::equal(before.begin(), before.end(), loaded.begin()));
        EXPECT_EQ(loaded[before.size()], 2);
        EXPECT_EQ(loaded[before.size() + 1], 255);
        EXPECT_EQ(other.paper->eventMngr().eventCnt, events + 1);
    }
}

TEST(EventFile, WithOrWithoutThumbnailAndInEitherFormTheEventsAreTheSame)
{
    ExportRig rig;
    std::vector<std::vector<uint8_t>> loaded;
    int i = 0;
    for (bool thumb : {true, false})
        for (bool compressed : {true, false}) {
            const QString file = rig.path(qPrintable(QStringLiteral("f%1.qe5").arg(i++)));
            ASSERT_TRUE(exportEventFile(file, rig.paper(), thumb, -1, -1, compressed));
            HeadlessDocument other;
            ASSERT_EQ(loadEventFile(file, *other.paper), CS_OK);
            loaded.push_back(streamBytes(other.paper->eventMngr()));
            std::unique_ptr<TMTC> image;
            sSize size;
            ASSERT_EQ(readEventFileThumbnail(file, image, size), CS_OK);
            EXPECT_EQ(image != nullptr, thumb);
        }
    for (const auto &l : loaded)
        EXPECT_EQ(l, loaded[0]);
}

TEST(EventFile, OnlyARecordingDocumentExportsAndMissingFilesAreReported)
{
    RecorderRig rig;
    rig.ev().stopRecording();
    QTemporaryDir dir;
    EXPECT_FALSE(exportEventFile(dir.filePath("x.qe5"), rig.paper(), false, -1, -1, true));
    EXPECT_FALSE(QFile::exists(dir.filePath("x.qe5")));
    EXPECT_EQ(loadEventFile(dir.filePath("none.qe5"), rig.paper()), CS_FILE_MISSING);
    std::unique_ptr<TMTC> image;
    sSize size;
    EXPECT_EQ(readEventFileThumbnail(dir.filePath("none.qe5"), image, size), CS_FILE_MISSING);
}

TEST(EventFile, AFailedExportKeepsTheOldFile)
{
    ExportRig rig;
    // A large stream, so that the file-size limit cuts the write.
    for (int i = 0; i < 3000; ++i)
        rig.ev().pushEventLayerTrans(0, uint8_t(i));
    const QString file = rig.path("keep.qe5");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old contents");
    }
    const std::vector<uint8_t> before = rig.bytes();
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 2048;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = exportEventFile(file, rig.paper(), true, -1, -1, false);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(ok);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("old contents"));
    EXPECT_EQ(rig.bytes(), before);
    EXPECT_TRUE(rig.messages.warnings.isEmpty());
}

TEST(EventFile, NativeChunksAreCutAwayWhenTheyFail)
{
    RecorderRig rig;
    ASSERT_TRUE(rig.ev().restart()); // nothing recorded: 42
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    const QByteArray head(40, 'H');
    buf.write(head);
    EXPECT_EQ(writeNativeEvents(buf, rig.paper(), nullptr), CS_NOTHING_TO_WRITE);
    EXPECT_EQ(buf.data(), head);
    buf.seek(0);
    EXPECT_EQ(readNativeEvents(buf, rig.paper(), nullptr), CS_BAD_TAG);
    EXPECT_EQ(buf.pos(), 0);
}
