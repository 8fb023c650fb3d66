#include "format/chunk.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values) {
        b.append(char(v));
    }
    return b;
}

// A memory stream of fixed capacity: writes beyond it come up short, as on a full disk. It offers
// the invokable truncate that the safe chunk write uses on devices it does not know.
class FixedCapacityDevice : public QIODevice
{
    Q_OBJECT
  public:
    explicit FixedCapacityDevice(qint64 capacity) : m_capacity(capacity) {}
    QByteArray m_data;
    Q_INVOKABLE bool truncate(qint64 size)
    {
        m_data.truncate(size);
        return true;
    }
    qint64 size() const override { return m_data.size(); }

  protected:
    qint64 readData(char *data, qint64 max) override
    {
        const qint64 n = std::min<qint64>(max, m_data.size() - pos());
        memcpy(data, m_data.constData() + pos(), size_t(n));
        return n;
    }
    qint64 writeData(const char *data, qint64 len) override
    {
        const qint64 n = std::min(len, m_capacity - pos());
        if (n <= 0) {
            return -1;
        }
        if (pos() + n > m_data.size()) {
            m_data.resize(pos() + n);
        }
        memcpy(m_data.data() + pos(), data, size_t(n));
        return n;
    }

  private:
    qint64 m_capacity;
};

} // namespace

TEST(ChunkHeader, TagIsLittleEndianWordWithFirstLetterLowest)
{
    EXPECT_EQ(chunkTag("QPIM"), 0x4D495051u);
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    ASSERT_EQ(writeChunkHeader(buf, chunkTag("QLYR"), 0x01020304), CS_OK);
    EXPECT_EQ(buf.data(), bytesOf({'Q', 'L', 'Y', 'R', 4, 3, 2, 1}));
    EXPECT_EQ(chunkTagName(chunkTag("QLYR")), "QLYR");

    buf.seek(0);
    SChunkHeader head;
    ASSERT_EQ(readChunkHeader(buf, head), CS_OK);
    EXPECT_EQ(head.tag, chunkTag("QLYR"));
    EXPECT_EQ(head.size, 0x01020304u);
    EXPECT_EQ(readChunkHeader(buf, head), CS_READ_FAILED); // nothing left
}

TEST(ChunkHeader, ChecksGiveTagBeforeSize)
{
    struct Case
    {
        char tag[5];
        uint32_t size;
        uint8_t id, idSize;
    } const cases[] = {
        {"QPIM", 48, CS_OK, CS_OK},
        {"QPIM", 40, CS_OK, CS_BAD_SIZE},
        {"QPIX", 48, CS_BAD_TAG, CS_BAD_TAG},
        {"QPIX", 40, CS_BAD_TAG, CS_BAD_TAG}, // both differ: the tag wins
        {"MIPQ", 48, CS_BAD_TAG, CS_BAD_TAG}, // letters reversed are another word
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.tag) + " " + std::to_string(c.size));
        const SChunkHeader head{chunkTag(c.tag), c.size};
        EXPECT_EQ(checkChunkId(head, chunkTag("QPIM")), c.id);
        EXPECT_EQ(checkChunkIdSize(head, chunkTag("QPIM"), 48), c.idSize);

        // The same header as bytes in memory, with more of a record after it.
        QByteArray mem(reinterpret_cast<const char *>(&head), sizeof head);
        mem.append(40, '\x7F');
        const auto span =
            std::span(reinterpret_cast<const uint8_t *>(mem.constData()), size_t(mem.size()));
        EXPECT_EQ(checkChunkId(span, chunkTag("QPIM")), c.id);
        EXPECT_EQ(checkChunkIdSize(span, chunkTag("QPIM"), 48), c.idSize);
    }
    const uint8_t shortHead[7] = {'Q', 'P', 'I', 'M', 48, 0, 0};
    EXPECT_EQ(checkChunkId(shortHead, chunkTag("QPIM")), CS_READ_FAILED);
    EXPECT_EQ(checkChunkIdSize(shortHead, chunkTag("QPIM"), 48), CS_READ_FAILED);
}

// The string readers always consume exactly `count` bytes, whatever the text holds.
TEST(ChunkStrings, WideStringStopsAtZeroAndConsumesCount)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        int count;
        QString text;
    } const cases[] = {
        {"odd count pairs last byte with zero", bytesOf({'A', 0, 'B', 0, 'C'}), 5, "ABC"},
        {"zero character ends the text", bytesOf({'A', 0, 0, 0, 'B', 0, 0, 0}), 8, "A"},
        {"padding after the terminator", bytesOf({0x2C, 0x65, 0x2C, 0x67, 0, 0, 0, 0}), 8,
         QString::fromUtf8("\u652C\u672C")},
        {"surrogate pair kept whole", bytesOf({0x3D, 0xD8, 0x00, 0xDE, 0, 0}), 6,
         QString::fromUtf8("\U0001F600")},
        {"no terminator uses all", bytesOf({'x', 0, 'y', 0}), 4, "xy"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray data = c.bytes + "TAIL";
        QBuffer buf(&data);
        buf.open(QIODevice::ReadOnly);
        QString text = "old";
        ASSERT_EQ(readWideString(buf, c.count, text), CS_OK);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(buf.pos(), c.count);
    }
}

TEST(ChunkStrings, AnsiStringIsShiftJisUpToFirstZero)
{
    struct Case
    {
        const char *name;
        QByteArray bytes;
        QString text;
    } const cases[] = {
        {"Japanese", QByteArray("\x93\xfa\x96\x7b\x8c\xea"), QString::fromUtf8("日本語")},
        {"half-width katakana", QByteArray("\xb6\xc5"), QString::fromUtf8("ｶﾅ")},
        {"zero inside", bytesOf({'L', 'a', 'y', 0, 'e', 'r'}), "Lay"},
        {"trailing zeros", bytesOf({'A', 'B', 0, 0}), "AB"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray data = c.bytes + "TAIL";
        QBuffer buf(&data);
        buf.open(QIODevice::ReadOnly);
        QString text = "old";
        ASSERT_EQ(readAnsiString(buf, c.bytes.size(), text), CS_OK);
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(buf.pos(), c.bytes.size());
    }
}

TEST(ChunkStrings, ShortOrImpossibleCountsFailAndKeepText)
{
    using Reader = uint8_t (*)(QIODevice &, int64_t, QString &);
    for (Reader read : {Reader(readAnsiString), Reader(readWideString)}) {
        for (int64_t count : {int64_t(5), int64_t(-1), int64_t(1) << 40}) {
            SCOPED_TRACE(count);
            QByteArray data = bytesOf({'A', 0, 'B', 0});
            QBuffer buf(&data);
            buf.open(QIODevice::ReadOnly);
            QString text = "old";
            EXPECT_EQ(read(buf, count, text), CS_READ_FAILED);
            EXPECT_EQ(text, "old");
        }
        QByteArray data = "abc";
        QBuffer buf(&data);
        buf.open(QIODevice::ReadOnly);
        QString text = "old";
        EXPECT_EQ(read(buf, 0, text), CS_OK);
        EXPECT_TRUE(text.isEmpty());
        EXPECT_EQ(buf.pos(), 0);
    }
}

TEST(ChunkWriting, ChunksArePaddedToFourAndSizeCountsPadding)
{
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    for (int n = 0; n <= 5; ++n) {
        const qint64 start = buf.pos();
        ASSERT_EQ(start % 4, 0);
        ASSERT_EQ(writeChunk(buf, chunkTag("TEST"), QByteArray(n, char(0xA0 + n))), CS_OK);
        const QByteArray written = buf.data().mid(start);
        const uint32_t expectSize = uint32_t((n + 3) / 4 * 4);
        EXPECT_EQ(qint64(written.size()), 8 + expectSize) << n;
        EXPECT_EQ(written.mid(8 + n), QByteArray(expectSize - n, '\0')) << n;
    }
    // Walk the sequence back by the size words.
    buf.seek(0);
    for (int n = 0; n <= 5; ++n) {
        const qint64 start = buf.pos();
        SChunkHeader head;
        ASSERT_EQ(readChunkHeader(buf, head), CS_OK);
        EXPECT_EQ(checkChunkIdSize(head, chunkTag("TEST"), uint32_t((n + 3) / 4 * 4)), CS_OK);
        ASSERT_EQ(skipChunk(buf, start, head), CS_OK);
    }
    EXPECT_TRUE(buf.atEnd());
}

TEST(ChunkWriting, WideTextAreaHoldsTerminatorAndPadding)
{
    struct Case
    {
        QString text;
        uint32_t area;
    } const cases[] = {{"", 4}, {"a", 4}, {"ab", 8}, {"abc", 8}, {"abcd", 12}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(wideTextAreaSize(uint32_t(c.text.size())), c.area);
        QBuffer buf;
        buf.open(QIODevice::ReadWrite);
        ASSERT_EQ(writeWideTextArea(buf, c.text), CS_OK);
        ASSERT_EQ(buf.size(), qint64(c.area));
        EXPECT_EQ(buf.data().mid(2 * c.text.size()), QByteArray(c.area - 2 * c.text.size(), 0));
        buf.seek(0);
        QString back;
        ASSERT_EQ(readWideString(buf, c.area, back), CS_OK);
        EXPECT_EQ(back, c.text);
    }
}

TEST(ChunkReading, SkipRefusesChunkPastTheEnd)
{
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    ASSERT_EQ(writeChunk(buf, chunkTag("XXXX"), "abcd"), CS_OK);
    ASSERT_EQ(writeChunkHeader(buf, chunkTag("YYYY"), 100), CS_OK); // claims more than is there
    ASSERT_EQ(writeBytes(buf, "12345678"), CS_OK);
    buf.seek(12);
    SChunkHeader head;
    ASSERT_EQ(readChunkHeader(buf, head), CS_OK);
    EXPECT_EQ(skipChunk(buf, 12, head), CS_PAST_END);
    head.size = 8; // exactly to the end is fine
    EXPECT_EQ(skipChunk(buf, 12, head), CS_OK);
    EXPECT_TRUE(buf.atEnd());
}

// A failed chunk write leaves the stream exactly as it was before the chunk, on every kind of
// stream the writers use; a writer's exception becomes code 3.
class SafeChunkWrite : public ::testing::Test
{
  protected:
    static uint8_t goodChunk(QIODevice &s) { return writeChunk(s, chunkTag("GOOD"), "payload"); }
    static uint8_t failsHalfway(QIODevice &s)
    {
        if (const uint8_t code = writeChunkHeader(s, chunkTag("HALF"), 64)) {
            return code;
        }
        (void)writeBytes(s, "partial");
        return CS_WRITE_FAILED;
    }
    static uint8_t throwsHalfway(QIODevice &s)
    {
        (void)writeChunkHeader(s, chunkTag("THRW"), 64);
        throw std::runtime_error("writer broke");
    }

    // Writes good, failing, throwing, good; answers the codes.
    static std::vector<int> writeSequence(QIODevice &s)
    {
        return {writeChunkSafely(s, goodChunk), writeChunkSafely(s, failsHalfway),
                writeChunkSafely(s, throwsHalfway), writeChunkSafely(s, goodChunk)};
    }
    static QByteArray expected()
    {
        QBuffer b;
        b.open(QIODevice::WriteOnly);
        (void)goodChunk(b);
        (void)goodChunk(b);
        return b.data();
    }
    const std::vector<int> codes{CS_OK, CS_WRITE_FAILED, CS_EXCEPTION, CS_OK};
};

TEST_F(SafeChunkWrite, CutsFailedChunkFromBuffer)
{
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    EXPECT_EQ(writeSequence(buf), codes);
    EXPECT_EQ(buf.data(), expected());
}

TEST_F(SafeChunkWrite, CutsFailedChunkFromFileAndSaveFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath("plain.bin"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    EXPECT_EQ(writeSequence(file), codes);
    file.close();

    QSaveFile save(dir.filePath("saved.bin"));
    ASSERT_TRUE(save.open(QIODevice::WriteOnly));
    EXPECT_EQ(writeSequence(save), codes);
    ASSERT_TRUE(save.commit());

    for (const char *name : {"plain.bin", "saved.bin"}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), expected()) << name;
    }
}

TEST_F(SafeChunkWrite, FullDeviceReportsWriteFailureAndKeepsEarlierChunks)
{
    FixedCapacityDevice dev(20); // room for the first 16-byte chunk and a little more
    ASSERT_TRUE(dev.open(QIODevice::ReadWrite));
    EXPECT_EQ(writeChunkSafely(dev, goodChunk), CS_OK);
    EXPECT_EQ(writeChunkSafely(dev, goodChunk), CS_WRITE_FAILED);
    EXPECT_EQ(dev.m_data.size(), 16);
    EXPECT_EQ(dev.pos(), 16);
}

#include "chunk_test.moc"
