#include "core/image_codec.h"

#include "platform/codec/block_compress.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<uint8_t> randomBytes(size_t n)
{
    std::mt19937 rng(42);
    std::vector<uint8_t> v(n);
    for (auto &b : v)
        b = uint8_t(rng() >> 24);
    return v;
}

} // namespace

TEST(ImageCodec, CompressToStreamAppendsAtTheStreamPosition)
{
    const auto src = randomBytes(40000); // several passes through the work space
    QByteArray data("head");
    QBuffer stream(&data);
    ASSERT_TRUE(stream.open(QIODevice::ReadWrite));
    ASSERT_TRUE(stream.seek(4));
    std::vector<uint8_t> work; // the binding provides the work space
    const int32_t n = compressToStream(src.data(), uint32_t(src.size()), work, stream);
    ASSERT_GT(n, 0);
    EXPECT_EQ(work.size(), kCompressWorkBytes);
    EXPECT_EQ(data.size(), 4 + n);
    EXPECT_TRUE(data.startsWith("head"));
    std::vector<uint8_t> back(src.size());
    const auto *packed = reinterpret_cast<const uint8_t *>(data.constData()) + 4;
    ASSERT_EQ(codec::codecDecompress({packed, size_t(n)}, back), codec::CodecStatus::Nothing);
    EXPECT_EQ(back, src);
}

TEST(ImageCodec, CompressToStreamReportsAStreamThatTakesNothing)
{
    const auto src = randomBytes(1000);
    QByteArray data;
    QBuffer stream(&data);
    ASSERT_TRUE(stream.open(QIODevice::ReadOnly));
    std::vector<uint8_t> work(kCompressWorkBytes);
    EXPECT_EQ(compressToStream(src.data(), 1000, work, stream), 0);
}

TEST(ImageCodec, CompressToMemoryResultAlwaysFitsItsBlock)
{
    for (size_t start : {size_t(0), size_t(16), size_t(65536)}) {
        SCOPED_TRACE(start);
        const auto src = randomBytes(70000); // random data grows a little when packed
        std::vector<uint8_t> dst(start);
        const int32_t n = compressToMemory(src.data(), uint32_t(src.size()), dst);
        ASSERT_GT(n, 0);
        ASSERT_LE(size_t(n), dst.size());
        std::vector<uint8_t> back(src.size());
        ASSERT_EQ(codec::codecDecompress(std::span(dst).first(size_t(n)), back),
                  codec::CodecStatus::Nothing);
        EXPECT_EQ(back, src);
    }
}

TEST(ImageCodec, StreamWriterCountsWholeElements)
{
    QByteArray data;
    QBuffer stream(&data);
    ASSERT_TRUE(stream.open(QIODevice::WriteOnly));
    const char bytes[12] = {};
    EXPECT_EQ(dllStreamWrite(bytes, 4, 3, stream), 3);
    EXPECT_EQ(data.size(), 12);
    EXPECT_EQ(dllStreamWrite(bytes, 0, 3, stream), 0);
}

TEST(ImageCodec, ResultCodesKeepTheirNumbers)
{
    EXPECT_EQ(MOPIXDLLERR_NO_SUPPORT, 2);
    EXPECT_EQ(MOPIXDLLERR_COLORMODE, 12);
    EXPECT_EQ(MOPIXDLLERR_FILE_OPEN, 16);
    EXPECT_EQ(MOPIXDLLERR_USERBREAK, 20);
    EXPECT_EQ(toMopixDllErr(codec::CodecStatus::FileWrite), MOPIXDLLERR_FILE_WRITE);
}
