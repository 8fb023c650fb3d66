// Fixtures shared by the tiled-image tests: an allocator that runs out of memory on demand with a
// warning counter, a fake layer record, and small pixel helpers.
#pragma once

#include "core/tiles/block_layer_image.h"
#include "core/tiles/layer_composite.h"
#include "platform/desktop/messages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include <ostream>

// Readable failure messages for the geometry records (internal to each test file).
[[maybe_unused]] static std::ostream &operator<<(std::ostream &os, const sBox &b)
{
    return os << "(" << b.x << "," << b.y << "," << b.w << "," << b.h << ")";
}
[[maybe_unused]] static std::ostream &operator<<(std::ostream &os, const sRect &r)
{
    return os << "(" << r.x0 << "," << r.y0 << "," << r.x1 << "," << r.y1 << ")";
}
[[maybe_unused]] static std::ostream &operator<<(std::ostream &os, const sPos &p)
{
    return os << "(" << p.x << "," << p.y << ")";
}
[[maybe_unused]] static std::ostream &operator<<(std::ostream &os, const sSize &s)
{
    return os << s.x << "x" << s.y;
}

namespace blocktest {

inline uint32_t argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return a << 24 | r << 16 | g << 8 | b;
}

// Number of block commits still allowed (-1: unlimited).
inline int gCommitsLeft = -1;

inline bool limitedAlloc(MemPtr &p, size_t size)
{
    if (gCommitsLeft == 0) {
        p.reset();
        return false;
    }
    if (gCommitsLeft > 0)
        --gCommitsLeft;
    return tryGetMem(p, size);
}

// While alive: block memory runs out after `commits` more commits, and warnings are counted.
class OutOfMemory
{
  public:
    explicit OutOfMemory(int commits)
    {
        gCommitsLeft = commits;
        previousAlloc = setBlockAllocator(limitedAlloc);
        kavrin::MessageHandlers h;
        h.warning = [this](const QString &text) {
            ++warnings;
            lastText = text;
        };
        previousHandlers = kavrin::installMessageHandlers(h);
    }
    ~OutOfMemory()
    {
        gCommitsLeft = -1;
        setBlockAllocator(previousAlloc);
        kavrin::installMessageHandlers(previousHandlers);
    }
    int warnings = 0;
    QString lastText;

  private:
    fptrBlockAlloc previousAlloc;
    kavrin::MessageHandlers previousHandlers;
};

// The blit of the older normal pair: the part put with pixelPutSrcAlpha.
inline bool oldBltNormal(TMTC &target, const TMTC &source, int32_t sx, int32_t sy, int32_t w,
                         int32_t h, int32_t x, int32_t y, uint32_t alpha)
{
    return source.bltPartEx2(target, sx, sy, w, h, x, y, alpha, pixelPutSrcAlpha);
}

inline bool oldBltMul(TMTC &target, const TMTC &source, int32_t sx, int32_t sy, int32_t w,
                      int32_t h, int32_t x, int32_t y, uint32_t alpha)
{
    return source.BltMulPart(target, sx, sy, w, h, x, y, alpha);
}

// A layer record with public settings.
struct FakeLayer : ILayerBlendAttr
{
    uint8_t trans = 255;
    TLayerMode mode = TLayerMode::LM_STD;
    bool ditherEnable = false;
    uint8_t dither = 0;
    SRand dizRand{};
    SOldBltProcs old{oldBltNormal, pixelPutSrcAlpha};

    uint8_t layerTrans() const override { return trans; }
    TLayerMode layerMode() const override { return mode; }
    bool layerDitherEnable() const override { return ditherEnable; }
    uint8_t layerDither() const override { return dither; }
    const SRand &layerDizRand() const override { return dizRand; }
    SOldBltProcs layerOldBltProcs() const override { return old; }
};

inline int committedBlocks(const CBlockImage &img)
{
    int n = 0;
    for (int i = 0; i < img.blockCount(); ++i)
        n += img.blockAt(i).commit ? 1 : 0;
    return n;
}

// All pixels of the image, row by row, read without committing.
inline std::vector<uint32_t> pixels(const CBlockVMTC &img)
{
    std::vector<uint32_t> v;
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            v.push_back(img.getColor(x, y));
    return v;
}

inline std::vector<uint32_t> pixels(const TMTC &tc)
{
    std::vector<uint32_t> v;
    for (int32_t y = 0; y < tc.height(); ++y)
        for (int32_t x = 0; x < tc.width(); ++x)
            v.push_back(tc.getColor(x, y));
    return v;
}

// Random pixels (any alpha) over the box, through setPixel.
inline void scribble(CBlockVMTC &img, const sBox &box, std::mt19937 &rng)
{
    for (int32_t y = box.y; y < box.y + box.h; ++y)
        for (int32_t x = box.x; x < box.x + box.w; ++x)
            ASSERT_TRUE(img.setPixel(x, y, uint32_t(rng())));
}

inline void fillCanvas(TMTC &tc, std::mt19937 &rng)
{
    for (int32_t y = 0; y < tc.height(); ++y)
        for (int32_t x = 0; x < tc.width(); ++x)
            tc.seek32(x, y)->all = uint32_t(rng());
}

} // namespace blocktest
