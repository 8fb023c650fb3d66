// layerBlt blends rows of blocks over the work threads after giving blocks their memory in the
// walk's order; the one-piece-at-a-time walk it replaced is the reference, on one thread and on
// all, for aligned and unaligned pieces, every kind of block, and memory that runs out midway.
#include "core/block_test_support.h"

#include "core/tiles/work_threads.h"

#include <gtest/gtest.h>

#include <random>

using namespace blocktest;

namespace {

struct ThreadCount
{
    explicit ThreadCount(int n) { setWorkThreads(n); }
    ~ThreadCount() { setWorkThreads(0); }
};

// Blocks at random: untouched, uniform of a random colour (transparent ones included), flat or
// noisy pixels.
void randomBlocks(CBlockVMTC &img, std::mt19937 &rng)
{
    for (int32_t i = 0; i < img.blockCount(); ++i) {
        SBlockPack &pack = img.blockAt(i);
        const uint32_t kind = rng() % 5;
        if (kind == 0)
            continue;
        pack.bgCol.all = kind == 1 ? (rng() & 0x00FFFFFFu) : uint32_t(rng());
        if (kind <= 2 || !img.commitBlock(pack))
            continue;
        auto *px = static_cast<uint32_t *>(pack.vAddr.get());
        const uint32_t flat = uint32_t(rng());
        for (int k = 0; k < 32 * 32; ++k)
            px[k] = kind == 3 ? flat : uint32_t(rng());
    }
}

void expectSameImage(const CBlockVMTC &a, const CBlockVMTC &b)
{
    ASSERT_EQ(committedBlocks(a), committedBlocks(b));
    for (int32_t i = 0; i < a.blockCount(); ++i) {
        ASSERT_EQ(bool(a.blockAt(i).commit), bool(b.blockAt(i).commit)) << "block " << i;
        if (!a.blockAt(i).commit) {
            ASSERT_EQ(a.blockAt(i).bgCol.all, b.blockAt(i).bgCol.all) << "block " << i;
        }
    }
    EXPECT_EQ(pixels(a), pixels(b));
}

TEST(FastEqualsReference, LayerBltBlendsAsTheSequentialWalk)
{
    struct Case
    {
        const char *name;
        sPos at;
        sBox box; // w or h 0: the whole source
        TLayerMode mode;
        uint8_t trans;
        int commits; // blocks that can still be had (-1: no limit)
    };
    const Case cases[] = {
        {"aligned, normal, opaque", {0, 0}, {0, 0, 0, 0}, TLayerMode::LM_STD, 255, -1},
        {"aligned, half opacity", {32, 64}, {0, 0, 0, 0}, TLayerMode::LM_STD, 128, -1},
        {"unaligned, multiply", {-13, 21}, {0, 0, 0, 0}, TLayerMode::LM_MUL, 200, -1},
        {"unaligned box, screen", {45, 7}, {17, 9, 150, 130}, TLayerMode::LM_SCR, 255, -1},
        {"off the top left", {-70, -40}, {0, 0, 0, 0}, TLayerMode::LM_ADD, 90, -1},
        {"memory runs out", {5, 3}, {0, 0, 0, 0}, TLayerMode::LM_STD, 255, 12},
    };
    std::mt19937 rng(3);
    for (int threads : {1, 0}) {
        ThreadCount tc(threads);
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << ", threads " << threads);
            CBlockVMTC src(200, 170), ref(230, 190);
            randomBlocks(src, rng);
            randomBlocks(ref, rng);
            CBlockVMTC got(ref);
            FakeLayer layer;
            layer.mode = c.mode;
            layer.trans = c.trans;
            const sBox box = c.box.w > 0 ? c.box : sBox{0, 0, src.width(), src.height()};
            bool refOk = false, ok = false;
            {
                const OutOfMemory oom(c.commits);
                refOk = ref.layerBltSequential(src, layer, c.at, box);
            }
            {
                const OutOfMemory oom(c.commits);
                ok = got.layerBlt(src, layer, c.at, box);
            }
            EXPECT_EQ(ok, refOk);
            EXPECT_EQ(ok, c.commits < 0);
            expectSameImage(got, ref);
            const sRect r = ref.getValidateBlock(), g = got.getValidateBlock();
            EXPECT_TRUE(g.x0 == r.x0 && g.y0 == r.y0 && g.x1 == r.x1 && g.y1 == r.y1);
        }
    }
}

} // namespace
