#include "core/pixel/pixel.h"

#include "core/base/numeric.h"

namespace {

constexpr std::array<uint8_t, 65536> makeMulTable()
{
    std::array<uint8_t, 65536> t{};
    for (uint32_t i = 0; i < 256; ++i)
        for (uint32_t j = 0; j < 256; ++j)
            t[i * 256 + j] = uint8_t(i * j / 255);
    return t;
}

constexpr std::array<uint8_t, 65536> makeInvMulTable()
{
    std::array<uint8_t, 65536> t{};
    for (uint32_t i = 0; i < 256; ++i)
        for (uint32_t j = 0; j < 256; ++j)
            t[i * 256 + j] = uint8_t(255 - i * (255 - j) / 255);
    return t;
}

// The stored put of the random-threshold put; constant-initialised, replaced by setRandomPut.
struct RandomPutState
{
    fptrPixelPut4core put = nullptr;
    SRand rand;
    uint32_t density = 0;
};
constinit RandomPutState gRandomPut;

} // namespace

constinit const std::array<uint8_t, 65536> gMulTable = makeMulTable();
constinit const std::array<uint8_t, 65536> gInvMulTable = makeInvMulTable();

uint32_t colorDistSq(uint32_t p, uint32_t q) noexcept
{
    uint32_t sum = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int32_t d = int32_t((p >> shift) & 0xFF) - int32_t((q >> shift) & 0xFF);
        sum += uint32_t(d * d);
    }
    return sum;
}

void rgbToBGR(const uint8_t *src, uint8_t *dst) noexcept
{
    const uint8_t b0 = src[0], b1 = src[1], b2 = src[2];
    dst[0] = b2;
    dst[1] = b1;
    dst[2] = b0;
}

void bgrToRGB(const uint8_t *src, uint8_t *dst) noexcept
{
    rgbToBGR(src, dst);
}

void row24To32(sBGRA *dst, const uint8_t *src, int n) noexcept
{
    for (int i = 0; i < n; ++i, src += 3) {
        dst[i].B = src[0];
        dst[i].G = src[1];
        dst[i].R = src[2];
    }
}

void row32To24(uint8_t *dst, const sBGRA *src, int n) noexcept
{
    for (int i = 0; i < n; ++i, dst += 3) {
        dst[0] = src[i].B;
        dst[1] = src[i].G;
        dst[2] = src[i].R;
    }
}

void setRandomPut(fptrPixelPut4core put, const SRand &rand, uint32_t density) noexcept
{
    gRandomPut.put = put;
    gRandomPut.rand = rand;
    gRandomPut.density = density & 0xFF;
}

SRand randomPutState() noexcept
{
    return gRandomPut.rand;
}

void pixelPutRandom(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    const uint32_t threshold = mul255(gRandomPut.density, col >> 24);
    // The draw is made whether or not it writes, so that the sequence depends only on the number
    // of pixels visited: a replay visits the same pixels and reproduces the same pattern.
    const int64_t draw = randNext(gRandomPut.rand);
    if (draw < int64_t(threshold) && gRandomPut.put != nullptr)
        gRandomPut.put(dst, col, a);
}
