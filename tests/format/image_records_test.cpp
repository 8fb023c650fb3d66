#include "format/image_records.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/codec/image_codec.h"
#include "format/chunk.h"
#include "format/format_test_support.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

std::vector<uint8_t> randomBytes(size_t n, uint32_t seed)
{
    std::mt19937 gen(seed);
    std::vector<uint8_t> v(n);
    for (auto &b : v) {
        b = uint8_t(gen());
    }
    return v;
}

uint32_t u32At(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<uint32_t>(b.constData() + at);
}

uint16_t u16At(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<uint16_t>(b.constData() + at);
}

void putU32(QByteArray &b, qsizetype at, uint32_t v)
{
    qToLittleEndian<uint32_t>(v, b.data() + at);
}

// A record of `pixels` (a w x h image of bpp bytes a pixel) written into a fresh buffer.
QByteArray recordBytes(SImageRecordDesc desc, const std::vector<uint8_t> &pixels)
{
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    EXPECT_EQ(writeImageRecord(buf, desc, pixels), CS_OK);
    return buf.data();
}

SImageRecordDesc channelDesc(int32_t w, int32_t h, uint16_t subType = IRS_TONE_CELL)
{
    SImageRecordDesc d;
    setWriterScramble(d);
    d.subType = subType;
    d.srcWidth = d.width = w;
    d.srcHeight = d.height = h;
    d.rawLen = uint32_t(w * h);
    return d;
}

// Reads a record from bytes; the code.
uint8_t readBack(const QByteArray &bytes, SImageRecordDesc &desc, std::vector<uint8_t> &data)
{
    QByteArray copy = bytes;
    QBuffer buf(&copy);
    buf.open(QIODevice::ReadOnly);
    int64_t length = 0;
    return readImageRecordData(buf, desc, data, length);
}

} // namespace

TEST(ImageRecordScramble, ReversesGroupsThenXorsEveryStrideByte)
{
    SImageRecordDesc d;
    d.groupLen = 3;
    d.xorByte = 0x0F;  // XOR with 0xF0
    d.strideLess1 = 1; // every second byte
    std::vector<uint8_t> bytes = {0, 1, 2, 3, 4, 5, 6, 7};
    scrambleImageData(bytes, d);
    // Groups (0 1 2)(3 4 5) reversed, the tail 6 7 unchanged; then bytes 0, 2, 4, 6 XOR 0xF0.
    const std::vector<uint8_t> expected = {0xF2, 1, 0xF0, 5, 0xF4, 3, 0xF6, 7};
    EXPECT_EQ(bytes, expected);
    unscrambleImageData(bytes, d);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(ImageRecordScramble, WorksBlockByBlockOf16384Bytes)
{
    SImageRecordDesc d;
    d.groupLen = 5;
    d.xorByte = 1;
    d.strideLess1 = 6;
    const std::vector<uint8_t> plain = randomBytes(40000, 7);
    std::vector<uint8_t> bytes = plain;
    scrambleImageData(bytes, d);
    // The second block starts its groups and its XOR stride afresh at byte 16384.
    std::vector<uint8_t> second(plain.begin() + 16384, plain.begin() + 32768);
    scrambleImageData(second, d);
    EXPECT_TRUE(std::equal(second.begin(), second.end(), bytes.begin() + 16384));
    unscrambleImageData(bytes, d);
    EXPECT_EQ(bytes, plain);
}

TEST(ImageRecord, HeadLayoutAndPadding)
{
    SImageRecordDesc d = channelDesc(5, 3, IRS_NIB_SHAPE);
    d.srcWidth = 50;
    const std::vector<uint8_t> pixels = randomBytes(15, 1);
    const QByteArray b = recordBytes(d, pixels);
    ASSERT_GE(b.size(), kImageRecordHeadSize);
    EXPECT_EQ(b.left(4), QByteArray("QTNL"));
    EXPECT_EQ(b.size() % 4, 0);
    EXPECT_EQ(u32At(b, 4), uint32_t(b.size() - 8));
    EXPECT_EQ(u16At(b, 8), IRK_SCRAMBLED);
    EXPECT_EQ(u16At(b, 10), IRS_NIB_SHAPE);
    EXPECT_EQ(uint8_t(b[12]), 7); // the writer's group length
    EXPECT_EQ(uint8_t(b[15]), 3); // and its extra bytes
    EXPECT_EQ(u32At(b, 16), 50u); // source width
    EXPECT_EQ(u32At(b, 20), 3u);  // source height
    EXPECT_EQ(u32At(b, 24), 5u);  // stored width
    EXPECT_EQ(u32At(b, 28), 3u);  // stored height
    const uint32_t stored = u32At(b, 32);
    EXPECT_EQ(u32At(b, 36), 15u); // uncompressed count
    EXPECT_EQ(b.mid(40, 8), QByteArray(8, '\0'));
    EXPECT_EQ(u32At(b, 4), 40 + stored + chunkPadding(stored));
    EXPECT_EQ(b.mid(48 + stored), QByteArray(qsizetype(chunkPadding(stored)), '\0'));
}

TEST(ImageRecord, PlainKindStoresTheCompressedBlockUnchanged)
{
    SImageRecordDesc d = channelDesc(16, 16);
    d.kind = IRK_PLAIN;
    const std::vector<uint8_t> pixels = randomBytes(256, 2);
    const QByteArray b = recordBytes(d, pixels);
    EXPECT_EQ(b.mid(12, 4), QByteArray(4, '\0')); // kind 1 keeps no scrambling parameters
    std::vector<uint8_t> block;
    const int32_t n = compressToMemory(pixels.data(), 256, block);
    ASSERT_GT(n, 0);
    EXPECT_EQ(u32At(b, 32), uint32_t(n));
    EXPECT_EQ(b.mid(48, n), QByteArray(reinterpret_cast<const char *>(block.data()), n));
}

TEST(ImageRecord, RoundTripsEveryKindOfImage)
{
    struct Case
    {
        const char *what;
        uint16_t kind;
        uint16_t subType;
        int32_t w, h, bpp;
        uint8_t extra;
    };
    const Case cases[] = {
        {"32-bit icon, plain", IRK_PLAIN, IRS_METHOD_ICON, 32, 32, 4, 0},
        {"32-bit icon, scrambled", IRK_SCRAMBLED, IRS_METHOD_ICON, 32, 32, 4, 3},
        {"tone cell", IRK_SCRAMBLED, IRS_TONE_CELL, 17, 9, 1, 3},
        {"pattern tile, no extra bytes", IRK_SCRAMBLED, IRS_NIB_SHAPE, 64, 64, 1, 0},
        // Incompressible pixels: the stored data spans several scrambling blocks.
        {"large thumbnail", IRK_SCRAMBLED, IRS_THUMBNAIL, 256, 128, 4, 255},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SImageRecordDesc d;
        if (c.kind == IRK_SCRAMBLED) {
            setWriterScramble(d);
            d.extraBytes = c.extra;
        }
        d.subType = c.subType;
        d.srcWidth = 1000;
        d.srcHeight = 500;
        d.width = c.w;
        d.height = c.h;
        d.rawLen = uint32_t(c.w * c.h * c.bpp);
        const std::vector<uint8_t> pixels = randomBytes(d.rawLen, c.w);
        QByteArray bytes = recordBytes(d, pixels);
        bytes.append("NEXT"); // the reader must stop right behind the record

        QBuffer buf(&bytes);
        buf.open(QIODevice::ReadOnly);
        SImageRecordDesc got;
        std::vector<uint8_t> data;
        int64_t length = 0;
        ASSERT_EQ(readImageRecordData(buf, got, data, length), CS_OK);
        EXPECT_EQ(data, pixels);
        EXPECT_EQ(length, bytes.size() - 4);
        EXPECT_EQ(buf.pos(), length);
        EXPECT_EQ(got.storedLen, u32At(bytes, 32));
        EXPECT_EQ(got.extraBytes, c.extra);
        EXPECT_EQ(got.srcWidth, 1000);
        EXPECT_EQ(got.width, c.w);
    }
}

TEST(ImageRecord, ExtraBytesAreLeftOutOfTheUnscrambledData)
{
    // A record whose last 3 stored bytes are anything at all still reads: only storedLen - 3
    // bytes are unscrambled and unpacked.
    SImageRecordDesc d = channelDesc(8, 8);
    const std::vector<uint8_t> pixels = randomBytes(64, 3);
    QByteArray b = recordBytes(d, pixels);
    const uint32_t stored = u32At(b, 32);
    for (int i = 1; i <= 3; ++i) {
        b[48 + stored - i] = char(0xEE);
    }
    SImageRecordDesc got;
    std::vector<uint8_t> data;
    ASSERT_EQ(readBack(b, got, data), CS_OK);
    EXPECT_EQ(data, pixels);
}

TEST(ImageRecord, CanvasAndChannelReaders)
{
    TMTC tc(3, 2);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            tc.seek32(x, y)->all = 0x01020304u * uint32_t(1 + x + 3 * y);
        }
    }
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    ASSERT_EQ(writeThumbnailRecord(buf, {300, 200}, tc, true), CS_OK);

    TChannel ch(4, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            *ch.seek8(x, y) = uint8_t(10 * y + x);
        }
    }
    SImageRecordDesc cd = channelDesc(4, 3);
    ASSERT_EQ(writeImageRecord(buf, cd, std::span(ch.buffer(), 12)), CS_OK);

    buf.seek(0);
    std::unique_ptr<TMTC> img;
    int64_t firstLength = 0;
    ASSERT_EQ(readImageRecord(buf, img, &firstLength), CS_OK);
    ASSERT_EQ(img->FPSZ(), (sSize{3, 2}));
    EXPECT_EQ(img->getColor(2, 1), 0x01020304u * 6);
    EXPECT_EQ(buf.pos(), firstLength);

    SImageRecordDesc got;
    std::unique_ptr<TChannel> rd;
    int64_t length = 0;
    ASSERT_EQ(readChannelRecord(buf, got, rd, length), CS_OK);
    ASSERT_EQ(rd->FPSZ(), (sSize{4, 3}));
    EXPECT_EQ(rd->getColor(3, 2), 23);
    EXPECT_EQ(rd->getColor(0, 0), 0);
    EXPECT_EQ(buf.pos(), buf.size());

    // Each reader refuses the other's sub-types.
    buf.seek(0);
    EXPECT_EQ(readChannelRecord(buf, got, rd, length), CS_BAD_TYPE);
    EXPECT_EQ(length, firstLength);
    buf.seek(firstLength);
    EXPECT_EQ(readImageRecord(buf, img), CS_BAD_TYPE);
}

TEST(ImageRecord, ShortDataFillsTheRestOfTheImageWithZero)
{
    // An uncompressed count below the image's bytes leaves the rest zero, never undefined.
    SImageRecordDesc d = channelDesc(4, 4);
    d.rawLen = 10;
    const std::vector<uint8_t> pixels(10, 0x77);
    QByteArray b = recordBytes(d, pixels);
    QBuffer buf(&b);
    buf.open(QIODevice::ReadOnly);
    std::unique_ptr<TChannel> ch;
    int64_t length = 0;
    ASSERT_EQ(readChannelRecord(buf, d, ch, length), CS_OK);
    EXPECT_EQ(ch->buffer()[9], 0x77);
    EXPECT_EQ(ch->buffer()[10], 0);
    EXPECT_EQ(ch->buffer()[15], 0);
}

TEST(ImageRecord, WriterRefusals)
{
    const std::vector<uint8_t> pixels(64, 1);
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    SImageRecordDesc d = channelDesc(8, 8);
    d.kind = 3;
    EXPECT_EQ(writeImageRecord(buf, d, pixels), CS_BAD_IMAGE_KIND);
    d = channelDesc(8, 8);
    d.rawLen = 65; // more than the pixels given
    EXPECT_EQ(writeImageRecord(buf, d, pixels), CS_ITEM_NOT_WRITABLE);
    EXPECT_EQ(buf.size(), 0);

    // Only the low byte of the kind counts: 0x0102 is a scrambled record.
    d = channelDesc(8, 8);
    d.kind = 0x0102;
    EXPECT_EQ(writeImageRecord(buf, d, pixels), CS_OK);
}

TEST(ImageRecord, FailedSafeWriteLeavesNothingBehind)
{
    ShortBuffer buf(60);
    buf.open(QIODevice::ReadWrite);
    ASSERT_EQ(buf.write("HEAD", 4), 4);
    TMTC tc(16, 16);
    tc.PixelFill(0xFF336699);
    EXPECT_EQ(writeThumbnailRecord(buf, {16, 16}, tc, false), CS_WRITE_FAILED);
    EXPECT_EQ(buf.data(), QByteArray("HEAD"));
    EXPECT_EQ(buf.pos(), 4);
}

TEST(ImageRecord, CorruptRecordsGiveTheirCodes)
{
    SImageRecordDesc d = channelDesc(8, 8);
    const QByteArray good = recordBytes(d, randomBytes(64, 4));
    const uint32_t stored = u32At(good, 32);
    struct Case
    {
        const char *what;
        std::function<void(QByteArray &)> damage;
        uint8_t code;
    };
    const Case cases[] = {
        {"short head", [](QByteArray &b) { b.truncate(47); }, CS_READ_FAILED},
        {"wrong tag", [](QByteArray &b) { b[3] = 'X'; }, CS_BAD_TAG},
        {"kind 3", [](QByteArray &b) { b[8] = 3; }, CS_BAD_IMAGE_KIND},
        {"size below the stored length", [&](QByteArray &b) { putU32(b, 4, 40 + stored - 1); },
         CS_BAD_SIZE},
        {"extra bytes beyond the stored data", [](QByteArray &b) { putU32(b, 32, 2); },
         CS_BAD_SIZE},
        {"width 0", [](QByteArray &b) { putU32(b, 24, 0); }, CS_BAD_SIZE},
        {"height 10001", [](QByteArray &b) { putU32(b, 28, 10001); }, CS_BAD_SIZE},
        {"count above 4 bytes a pixel", [](QByteArray &b) { putU32(b, 36, 8 * 8 * 4 + 1); },
         CS_BAD_SIZE},
        {"count 0", [](QByteArray &b) { putU32(b, 36, 0); }, CS_BAD_SIZE},
        {"cut inside the data", [](QByteArray &b) { b.truncate(60); }, CS_PAST_END},
        {"size past the end", [](QByteArray &b) { putU32(b, 4, u32At(b, 4) + 4); }, CS_PAST_END},
        {"a damaged pixel byte", [](QByteArray &b) { b[48 + 40] = char(b[48 + 40] ^ 0x40); },
         CS_READ_FAILED},
        {"count unlike the block's", [](QByteArray &b) { putU32(b, 36, 63); }, CS_READ_FAILED},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray b = good;
        c.damage(b);
        SImageRecordDesc got;
        got.width = -5;
        std::vector<uint8_t> data;
        EXPECT_EQ(readBack(b, got, data), c.code);
        EXPECT_TRUE(data.empty());
        EXPECT_EQ(got.width, -5); // the descriptor is given only with the data
    }
}

TEST(ImageRecord, ImpossibleUncompressedCountIsRefusedBeforeReserving)
{
    // A 10000 x 10000 32-bit record whose few stored bytes could never unpack to 400 MB.
    SImageRecordDesc d = channelDesc(8, 8);
    QByteArray b = recordBytes(d, randomBytes(64, 5));
    putU32(b, 24, 10000);
    putU32(b, 28, 10000);
    putU32(b, 36, 400000000);
    SImageRecordDesc got;
    std::vector<uint8_t> data;
    EXPECT_EQ(readBack(b, got, data), CS_READ_FAILED);
}

TEST(ImageThumbnail, SizeKeepsTheAspectInside256)
{
    EXPECT_EQ(thumbnailSize({1000, 500}), (sSize{256, 128}));
    EXPECT_EQ(thumbnailSize({10, 10000}), (sSize{1, 256}));
    EXPECT_EQ(thumbnailSize({100, 100}), (sSize{256, 256}));
}

TEST(ImageThumbnail, DocumentThumbnailRecomposesAroundTheOverlay)
{
    TMTC vram(1000, 500);
    vram.PixelFill(0x00204060); // alpha 0: the thumbnail gets 255
    QStringList calls;
    SThumbnailSource src;
    src.paperSize = {1000, 500};
    src.displayImage = [&] { return &vram; };
    src.isVramDirty = [&] { return true; };
    src.updateVRAM = [&] { calls << "update"; };
    src.drawOptionalImage = [&] { calls << "overlay"; };

    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    ASSERT_EQ(writeDocumentThumbnail(buf, src, true), CS_OK);
    EXPECT_EQ(calls, QStringList({"update", "overlay"}));

    buf.seek(0);
    std::unique_ptr<TMTC> img;
    ASSERT_EQ(findThumbnail(buf, img), CS_OK);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->FPSZ(), (sSize{256, 128}));
    EXPECT_EQ(img->getColor(100, 100), 0xFF204060u);

    src.displayImage = [] { return nullptr; };
    EXPECT_EQ(writeDocumentThumbnail(buf, src, true), CS_NO_MEMORY);
}

TEST(ImageThumbnail, FindSkipsOtherChunksAndRecords)
{
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    ASSERT_EQ(writeChunk(buf, chunkTag("QLYR"), QByteArray(12, 'x')), CS_OK);
    SImageRecordDesc icon = channelDesc(2, 2, IRS_METHOD_ICON);
    icon.rawLen = 16;
    ASSERT_EQ(writeImageRecord(buf, icon, std::vector<uint8_t>(16, 9)), CS_OK);
    TMTC tc(2, 1);
    tc.PixelFill(0xFF010203);
    ASSERT_EQ(writeThumbnailRecord(buf, {20, 10}, tc, false), CS_OK);

    buf.seek(0);
    std::unique_ptr<TMTC> img;
    ASSERT_EQ(findThumbnail(buf, img), CS_OK);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->getColor(1, 0), 0xFF010203u);

    // No thumbnail: 0 and no image. A chunk running past the end: 11.
    QByteArray none = buf.data().left(20);
    QBuffer b2(&none);
    b2.open(QIODevice::ReadOnly);
    EXPECT_EQ(findThumbnail(b2, img), CS_OK);
    EXPECT_FALSE(img);
    QByteArray cut = buf.data().left(20 + kImageRecordHeadSize + 2); // inside the icon
    QBuffer b3(&cut);
    b3.open(QIODevice::ReadOnly);
    EXPECT_EQ(findThumbnail(b3, img), CS_PAST_END);
}

TEST(ImageThumbnail, FileThumbnailThroughTheHeadReader)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.qzi");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(writeChunk(f, chunkTag("QPIM"), QByteArray(8, '\0')), CS_OK);
        TMTC tc(4, 4);
        tc.PixelFill(0xFFABCDEF);
        ASSERT_EQ(writeThumbnailRecord(f, {40, 40}, tc, true), CS_OK);
    }
    auto head = [](QIODevice &s, sSize &size) -> uint8_t {
        SChunkHeader h;
        if (readChunkHeader(s, h) != CS_OK) {
            return CS_READ_FAILED;
        }
        if (h.tag != chunkTag("QPIM")) {
            return CS_BAD_TAG;
        }
        size = {40, 40};
        return s.seek(s.pos() + h.size) ? CS_OK : CS_READ_FAILED;
    };
    std::unique_ptr<TMTC> img;
    sSize size;
    ASSERT_EQ(readFileThumbnail(path, img, &size, head), CS_OK);
    EXPECT_EQ(size, (sSize{40, 40}));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->getColor(3, 3), 0xFFABCDEFu);

    EXPECT_EQ(readFileThumbnail(dir.filePath("none.qzi"), img, &size, head), CS_FILE_MISSING);
    auto refuse = [](QIODevice &, sSize &) -> uint8_t { return CS_BAD_VERSION; };
    EXPECT_EQ(readFileThumbnail(path, img, &size, refuse), CS_BAD_VERSION);
}
