#include "platform/codec/block_compress.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

using namespace codec;

namespace {

std::vector<uint8_t> randomBlock(size_t n, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto &b : v)
        b = uint8_t(rng());
    return v;
}

// Compresses through a work buffer of workLen bytes, collecting what the writer receives.
std::vector<uint8_t> packThroughWriter(const std::vector<uint8_t> &src, uint32_t workLen,
                                       CodecStatus expected = CodecStatus::Nothing)
{
    std::vector<uint8_t> out, work(workLen);
    CodecCompressIO io;
    io.write = [&](const uint8_t *b, size_t elem, size_t count) {
        out.insert(out.end(), b, b + elem * count);
        return count;
    };
    uint8_t *buf = work.data();
    uint32_t bufLen = workLen;
    EXPECT_EQ(codecCompress(src.data(), uint32_t(src.size()), buf, bufLen, io), expected);
    EXPECT_EQ(io.count, expected == CodecStatus::Nothing ? out.size() : 0u);
    return out;
}

// Compresses into a malloc'ed block of startLen bytes, grown through realloc.
std::vector<uint8_t> packIntoMemory(const std::vector<uint8_t> &src, uint32_t startLen)
{
    uint8_t *buf = static_cast<uint8_t *>(std::malloc(startLen));
    uint32_t bufLen = startLen;
    CodecCompressIO io;
    io.realloc = [](uint8_t *block, size_t n) {
        return static_cast<uint8_t *>(std::realloc(block, n));
    };
    EXPECT_EQ(codecCompress(src.data(), uint32_t(src.size()), buf, bufLen, io),
              CodecStatus::Nothing);
    EXPECT_LE(io.count, bufLen) << "the result fits the block handed back";
    std::vector<uint8_t> out(buf, buf + io.count);
    std::free(buf);
    return out;
}

CodecStatus unpack(const std::vector<uint8_t> &packed, std::vector<uint8_t> &dst)
{
    return codecDecompress(packed, dst);
}

} // namespace

TEST(BlockCompress, RandomUniformAndEmptyBlocksRoundTripThroughBothOutputs)
{
    const std::vector<uint8_t> blocks[] = {randomBlock(5000, 1), std::vector<uint8_t>(65536, 0x7F),
                                           std::vector<uint8_t>(1, 9), std::vector<uint8_t>()};
    for (const auto &src : blocks) {
        SCOPED_TRACE(src.size());
        // A 7-byte work buffer makes the writer see many pieces; a 16-byte block has to grow.
        for (const auto &packed : {packThroughWriter(src, 7), packThroughWriter(src, 16384),
                                   packIntoMemory(src, 16), packIntoMemory(src, 1 << 20)}) {
            std::vector<uint8_t> back(src.size(), 0xCC);
            ASSERT_EQ(unpack(packed, back), CodecStatus::Nothing);
            EXPECT_EQ(back, src);
        }
    }
    EXPECT_LT(packIntoMemory(std::vector<uint8_t>(65536, 0x7F), 16).size(), 200u);
}

TEST(BlockCompress, BlockRecordsBothLengths)
{
    const auto packed = packIntoMemory(randomBlock(300, 2), 16);
    ASSERT_GE(packed.size(), kBlockHeaderBytes);
    EXPECT_EQ(std::memcmp(packed.data(), "KZB1", 4), 0);
    uint32_t raw, stream;
    std::memcpy(&raw, packed.data() + 4, 4);
    std::memcpy(&stream, packed.data() + 8, 4);
    EXPECT_EQ(raw, 300u);
    EXPECT_EQ(stream + kBlockHeaderBytes, packed.size());
}

TEST(BlockCompress, TruncatedBlocksAreRefused)
{
    const auto src = randomBlock(1000, 3);
    const auto packed = packIntoMemory(src, 64);
    std::vector<uint8_t> dst(src.size());
    for (size_t n = 0; n < packed.size(); ++n) {
        const std::vector<uint8_t> cut(packed.begin(), packed.begin() + n);
        ASSERT_EQ(unpack(cut, dst), CodecStatus::Extract) << "cut to " << n << " bytes";
    }
}

// A changed byte either gives an error or, where it lies in bits the stream ignores (the padding
// after a stored block's header), the very same bytes: never other bytes reported as success.
TEST(BlockCompress, CorruptedBytesNeverGiveOtherData)
{
    const std::vector<uint8_t> sources[] = {randomBlock(300, 4), std::vector<uint8_t>(4096, 0)};
    for (const auto &src : sources) {
        const auto packed = packIntoMemory(src, 64);
        int refused = 0;
        for (size_t i = 0; i < packed.size(); ++i)
            for (uint8_t flip : {0x01, 0x20, 0x80}) {
                auto bad = packed;
                bad[i] ^= flip;
                std::vector<uint8_t> dst(src.size());
                const CodecStatus s = unpack(bad, dst);
                if (s == CodecStatus::Nothing)
                    ASSERT_EQ(dst, src) << "byte " << i << " flip " << int(flip);
                else
                    ++refused;
            }
        EXPECT_GT(refused, int(packed.size() * 3) - 8);
    }
}

TEST(BlockCompress, DestinationMustHoldExactlyTheBlock)
{
    const auto src = randomBlock(1000, 5);
    const auto packed = packIntoMemory(src, 64);
    std::vector<uint8_t> shorter(999), longer(1001);
    EXPECT_EQ(unpack(packed, shorter), CodecStatus::Extract);
    EXPECT_EQ(unpack(packed, longer), CodecStatus::Extract);
    // Bytes after the block (a caller reading to the end of a chunk) are not read.
    auto padded = packed;
    padded.resize(packed.size() + 10, 0xAB);
    std::vector<uint8_t> back(1000);
    EXPECT_EQ(unpack(padded, back), CodecStatus::Nothing);
    EXPECT_EQ(back, src);
}

TEST(BlockCompress, OutputFailuresAndBadArgumentsAreReported)
{
    const auto src = randomBlock(2000, 6);
    std::vector<uint8_t> work(64);
    uint8_t *buf = work.data();
    uint32_t bufLen = 64;

    CodecCompressIO shortWriter;
    shortWriter.write = [](const uint8_t *, size_t, size_t count) { return count - 1; };
    EXPECT_EQ(codecCompress(src.data(), 2000, buf, bufLen, shortWriter), CodecStatus::FileWrite);
    EXPECT_EQ(shortWriter.count, 0u);

    CodecCompressIO noMemory;
    noMemory.realloc = [](uint8_t *, size_t) -> uint8_t * { return nullptr; };
    EXPECT_EQ(codecCompress(src.data(), 2000, buf, bufLen, noMemory), CodecStatus::NoMemory);
    EXPECT_EQ(buf, work.data()) << "the caller's block stays its own";
    EXPECT_EQ(bufLen, 64u);

    CodecCompressIO none;
    EXPECT_EQ(codecCompress(src.data(), 2000, buf, bufLen, none), CodecStatus::Param);
    CodecCompressIO writer = shortWriter;
    uint8_t *noBuf = nullptr;
    uint32_t noLen = 0;
    EXPECT_EQ(codecCompress(src.data(), 2000, noBuf, noLen, writer), CodecStatus::Param);
    EXPECT_EQ(codecCompress(nullptr, 5, buf, bufLen, writer), CodecStatus::Param);
}

TEST(BlockCompress, TheHeaderAloneTellsWhetherABlockMayFillADestination)
{
    // Zeros pack at close to deflate's limit of 1032 to 1: the bound must still admit them.
    const std::vector<uint8_t> zeros(8 << 20, 0);
    const auto packed = packIntoMemory(zeros, 64);
    EXPECT_TRUE(codecBlockMayUnpackTo(packed, zeros.size()));
    EXPECT_FALSE(codecBlockMayUnpackTo(packed, zeros.size() - 1));
    std::vector<uint8_t> back(zeros.size(), 1);
    EXPECT_EQ(unpack(packed, back), CodecStatus::Nothing);
    EXPECT_EQ(back, zeros);

    // A header claiming more than its stream could ever give is refused before any inflating.
    auto claims = packed;
    claims[4] = claims[5] = claims[6] = 0;
    claims[7] = 0xF0; // the uncompressed length, little-endian
    EXPECT_FALSE(codecBlockMayUnpackTo(claims, 0xF0000000u));
    EXPECT_FALSE(codecBlockMayUnpackTo({packed.data(), kBlockHeaderBytes - 1}, zeros.size()));
    auto wrongTag = packed;
    wrongTag[0] = 'X';
    EXPECT_FALSE(codecBlockMayUnpackTo(wrongTag, zeros.size()));
}
