// The layer blocks of a native file are compressed and unpacked over every thread; the one-run-at-a-
// time writer and reader stay the reference, and the two must agree byte for byte and block for
// block, on one thread and on all, on sound and on damaged files.
#include "document/files/native_image.h"

#include "core/tiles/block_layer_image.h"
#include "core/tiles/work_threads.h"
#include "format/chunk.h"
#include "format/image_records.h"

#include <QBuffer>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

// A layer of w x h pixels whose blocks are, at random, unallocated with a random colour (none
// when dense), allocated and flat, or allocated with noise (which compresses to long streams).
std::unique_ptr<CBlockVMTC> randomLayer(std::mt19937 &rng, int32_t w, int32_t h,
                                        bool dense = false)
{
    auto img = std::make_unique<CBlockVMTC>(w, h);
    std::uniform_int_distribution<uint32_t> any;
    for (int32_t i = 0; i < img->blockCount(); ++i) {
        SBlockPack &pack = img->blockAt(i);
        const uint32_t kind = dense ? 1 + any(rng) % 2 : any(rng) % 3;
        // The file keeps the colour of unallocated blocks only.
        if (kind == 0) {
            pack.bgCol.all = any(rng);
            continue;
        }
        if (!img->commitBlock(pack))
            continue;
        auto *px = static_cast<uint32_t *>(pack.vAddr.get());
        const uint32_t flat = any(rng);
        for (uint32_t k = 0; k < img->getUnitBytes() / 4; ++k)
            px[k] = kind == 1 ? flat : (any(rng) & 0xFF0F0F0Fu);
    }
    return img;
}

// The writer the parallel one replaced: one run compressed and written after another.
uint8_t referenceWriteBlocks(QIODevice &stream, const CBlockImage &image)
{
    const int32_t total = image.blockCount();
    int32_t start = 0;
    for (int32_t i = 0; i <= total; ++i) {
        const bool atEnd = i == total;
        const bool groupAllocated = start < total && image.blockAt(start).commit;
        const bool close = atEnd || image.blockAt(i).commit != groupAllocated ||
                           (groupAllocated && i - start == kQziRunMaxBlocks);
        if (!close || i == start)
            continue;
        const uint8_t r = groupAllocated ? writeBlockRun(stream, image, start, i - start)
                                         : writeBackgroundRun(stream, image, start, i - start);
        if (r != CS_OK)
            return r;
        start = i;
    }
    return CS_OK;
}

// The reader the parallel one replaced: one run read, unpacked and placed after another.
uint8_t referenceReadBlocks(QIODevice &stream, CBlockImage &image, const sSize &grid,
                            const SQziReadContext &ctx)
{
    int32_t remaining = grid.x * grid.y;
    int32_t current = 0;
    while (remaining > 0) {
        int32_t count = 0;
        if (uint8_t r = readBlockRunChunk(stream, image, current, remaining, count, ctx))
            return r;
        current += count;
        remaining -= count;
    }
    return CS_OK;
}

// The blocks' allocation, colours and pixels are the same.
void expectSameBlocks(const CBlockImage &a, const CBlockImage &b)
{
    ASSERT_EQ(a.blockCount(), b.blockCount());
    for (int32_t i = 0; i < a.blockCount(); ++i) {
        const SBlockPack &p = a.blockAt(i), &q = b.blockAt(i);
        ASSERT_EQ(bool(p.commit), bool(q.commit)) << "block " << i;
        ASSERT_EQ(p.bgCol.all, q.bgCol.all) << "block " << i;
        if (p.commit) {
            ASSERT_EQ(std::memcmp(p.vAddr.get(), q.vAddr.get(), a.getUnitBytes()), 0)
                << "block " << i;
        }
    }
}

QByteArray writeWith(uint8_t (*write)(QIODevice &, const CBlockImage &), const CBlockImage &img,
                     int lead, uint8_t &status)
{
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    buf.write(QByteArray(lead, 'x')); // the runs' padding depends on where they start
    status = write(buf, img);
    return buf.data();
}

uint8_t parallelWrite(QIODevice &s, const CBlockImage &img)
{
    return writeLayerBlocks(s, img);
}

struct ThreadCount
{
    explicit ThreadCount(int n) { setWorkThreads(n); }
    ~ThreadCount() { setWorkThreads(0); }
};

struct Shape
{
    int32_t w, h;
};
// One block, a part block, a few runs, and enough runs for more than one band of work.
constexpr Shape kShapes[] = {{1, 1}, {70, 33}, {300, 200}, {2100, 1100}};

TEST(FastEqualsReference, NativeLayerBlocksAreWrittenToTheSameBytes)
{
    std::mt19937 rng(7);
    for (int threads : {1, 0}) {
        ThreadCount tc(threads);
        for (const Shape &s : kShapes) {
            SCOPED_TRACE(testing::Message() << s.w << "x" << s.h << " threads " << threads);
            const auto img = randomLayer(rng, s.w, s.h);
            const int lead = int(rng() % 4);
            uint8_t refStatus = 0, status = 0;
            const QByteArray ref = writeWith(referenceWriteBlocks, *img, lead, refStatus);
            const QByteArray got = writeWith(parallelWrite, *img, lead, status);
            EXPECT_EQ(status, refStatus);
            EXPECT_EQ(status, CS_OK);
            EXPECT_TRUE(got == ref) << "sizes " << got.size() << " and " << ref.size();
        }
    }
}

// A change to a written file: the offset of the byte changed from the start of the n-th run
// chunk, or the file cut at that point.
struct Damage
{
    const char *name;
    int run;         // which run chunk (-1: none)
    int at;          // offset in that chunk
    bool cut;        // cut the file there instead of changing the byte
};

std::vector<qsizetype> runStarts(const QByteArray &b)
{
    std::vector<qsizetype> starts;
    for (qsizetype at = 0; at + 8 <= b.size();
         at += 8 + qsizetype(qFromLittleEndian<uint32_t>(b.constData() + at + 4)))
        starts.push_back(at);
    return starts;
}

TEST(FastEqualsReference, NativeLayerBlocksAreReadToTheSameImage)
{
    const Damage damages[] = {
        {"sound", -1, 0, false},
        {"first pixel stream broken", 0, 40, false},
        {"a middle stream broken", 5, 60, false},
        {"a late stream broken", 300, 36, false},
        {"a bad tag after good runs", 7, 0, false},
        {"a bad kind", 9, 16, false},
        {"cut inside a run", 12, 50, true},
        {"cut after many runs", 400, 0, true},
    };
    std::vector<std::pair<Shape, bool>> cases;
    for (const Shape &s : kShapes)
        for (bool dense : {false, true})
            cases.emplace_back(s, dense);
    std::mt19937 rng(11);
    for (int threads : {1, 0}) {
        ThreadCount tc(threads);
        for (const auto &[s, dense] : cases) {
            // Dense layers are long runs of pixel runs, read ahead many at a time.
            const auto img = randomLayer(rng, s.w, s.h, dense);
            uint8_t status = 0;
            const QByteArray sound = writeWith(referenceWriteBlocks, *img, 0, status);
            ASSERT_EQ(status, CS_OK);
            const std::vector<qsizetype> starts = runStarts(sound);
            for (const Damage &d : damages) {
                SCOPED_TRACE(testing::Message() << d.name << ", " << s.w << "x" << s.h
                                                << (dense ? " dense" : "") << " threads "
                                                << threads);
                QByteArray file = sound;
                if (d.run >= int(starts.size()))
                    continue;
                if (d.run >= 0) {
                    const qsizetype at = std::min(starts[size_t(d.run)] + d.at, file.size() - 1);
                    if (d.cut)
                        file.truncate(at);
                    else
                        file[at] = char(file[at] ^ 0x5A);
                }
                QBuffer refIn(&file), in(&file);
                refIn.open(QIODevice::ReadOnly);
                in.open(QIODevice::ReadOnly);
                SQziReadContext ctx;
                ctx.fileSize = file.size();
                CBlockVMTC ref(s.w, s.h), got(s.w, s.h);
                const uint8_t refStatus =
                    referenceReadBlocks(refIn, ref, ref.getRepSize(), ctx);
                EXPECT_EQ(readLayerBlocks(in, got, got.getRepSize(), ctx), refStatus);
                if (d.run < 0) {
                    EXPECT_EQ(refStatus, CS_OK);
                    expectSameBlocks(got, *img);
                }
                expectSameBlocks(got, ref);
            }
        }
    }
}

} // namespace
