#include "filters/algorithms/plasma.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

// The cells of one level: the channel size and its wrap masks, the cell size s and its half h.
struct SPlasmaLevel
{
    sSize size;
    sPos mask;
    int32_t s, h;
};

// randNext + the rounded mean of four values, clamped to a byte.
inline uint8_t displaced(SRand &rand, int32_t a, int32_t b, int32_t c, int32_t d)
{
    const int32_t v = randNext(rand) + ((a + b + c + d + 2) >> 2);
    return uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
}

int32_t truncToInt(long double v)
{
    if (!(v > -2147483648.0L))
        return std::numeric_limits<int32_t>::min();
    if (v >= 2147483647.0L)
        return std::numeric_limits<int32_t>::max();
    return int32_t(std::trunc(v));
}

int32_t powerOfTwoAtLeast(int32_t n)
{
    int32_t v = 1;
    while (v < n && v < (1 << 30))
        v <<= 1;
    return v;
}

template <size_t N> using Channels = std::array<TChannel *, N>;

// ---------------------------------------------------------------------------------------------
// The plain steps: every read wraps both coordinates.

template <size_t N> uint8_t at(const Channels<N> &ch, size_t k, const SPlasmaLevel &l, int32_t x,
                               int32_t y)
{
    return *ch[k]->seek8(x & l.mask.x, y & l.mask.y);
}

template <size_t N>
void centresPlain(const SPlasmaLevel &l, SRand &rand, const Channels<N> &ch)
{
    const int32_t s = l.s, h = l.h;
    for (int32_t y = 0; y < (l.size.y / s) * s; y += s)
        for (int32_t x = 0; x < (l.size.x / s) * s; x += s)
            for (size_t k = 0; k < N; ++k)
                *ch[k]->seek8(x + h, y + h) =
                    displaced(rand, at(ch, k, l, x, y), at(ch, k, l, x + s, y),
                              at(ch, k, l, x, y + s), at(ch, k, l, x + s, y + s));
}

template <size_t N> void edgesPlain(const SPlasmaLevel &l, SRand &rand, const Channels<N> &ch)
{
    const int32_t s = l.s, h = l.h;
    for (int32_t y = 0; y < (l.size.y / s) * s; y += s)
        for (int32_t x = 0; x < (l.size.x / s) * s; x += s) {
            for (size_t k = 0; k < N; ++k)
                *ch[k]->seek8(x + h, y) =
                    displaced(rand, at(ch, k, l, x, y), at(ch, k, l, x + s, y),
                              at(ch, k, l, x + h, y - h), at(ch, k, l, x + h, y + h));
            for (size_t k = 0; k < N; ++k)
                *ch[k]->seek8(x, y + h) =
                    displaced(rand, at(ch, k, l, x, y), at(ch, k, l, x - h, y + h),
                              at(ch, k, l, x + h, y + h), at(ch, k, l, x, y + s));
        }
}

// ---------------------------------------------------------------------------------------------
// The row-wise steps: the rows of a cell row are looked up once, only columns are wrapped.

template <size_t N> void centresRows(const SPlasmaLevel &l, SRand &rand, const Channels<N> &ch)
{
    const int32_t s = l.s, h = l.h, mx = l.mask.x;
    const int32_t rows = l.size.y / s, cols = l.size.x / s;
    for (int32_t j = 0; j < rows; ++j) {
        const int32_t y = j * s;
        std::array<const uint8_t *, N> top, bottom;
        std::array<uint8_t *, N> mid;
        for (size_t k = 0; k < N; ++k) {
            top[k] = ch[k]->seek8(0, y);
            bottom[k] = ch[k]->seek8(0, (y + s) & l.mask.y);
            mid[k] = ch[k]->seek8(0, y + h);
        }
        for (int32_t i = 0, x = 0; i < cols; ++i, x += s) {
            const int32_t xs = (x + s) & mx;
            for (size_t k = 0; k < N; ++k)
                mid[k][x + h] = displaced(rand, top[k][x], top[k][xs], bottom[k][x], bottom[k][xs]);
        }
    }
}

template <size_t N> void edgesRows(const SPlasmaLevel &l, SRand &rand, const Channels<N> &ch)
{
    const int32_t s = l.s, h = l.h, mx = l.mask.x, my = l.mask.y;
    const int32_t rows = l.size.y / s, cols = l.size.x / s;
    for (int32_t j = 0; j < rows; ++j) {
        const int32_t y = j * s;
        std::array<uint8_t *, N> row, mid;
        std::array<const uint8_t *, N> above, below;
        for (size_t k = 0; k < N; ++k) {
            row[k] = ch[k]->seek8(0, y);
            mid[k] = ch[k]->seek8(0, y + h);
            above[k] = ch[k]->seek8(0, (y - h) & my);
            below[k] = ch[k]->seek8(0, (y + s) & my);
        }
        for (int32_t i = 0, x = 0; i < cols; ++i, x += s) {
            const int32_t xs = (x + s) & mx, xh = x + h, xl = (x - h) & mx;
            for (size_t k = 0; k < N; ++k)
                row[k][xh] = displaced(rand, row[k][x], row[k][xs], above[k][xh], mid[k][xh]);
            for (size_t k = 0; k < N; ++k)
                mid[k][x] = displaced(rand, row[k][x], mid[k][xl], mid[k][xh], below[k][x]);
        }
    }
}

template <size_t N>
void seedPoints(const sSize &size, SRand &rand, const Channels<N> &ch)
{
    const sPos points[4] = {{0, 0}, {size.x >> 1, 0}, {0, size.y >> 1}, {size.x >> 1, size.y >> 1}};
    for (const sPos &pt : points)
        for (size_t k = 0; k < N; ++k) {
            // Contrasts above 128 x 256 draw seeds beyond a byte: they are clamped.
            const int32_t v = randNext(rand) + 128;
            ch[k]->setColor(pt.x, pt.y, v < 0 ? 0 : (v > 255 ? 255 : v), 255);
        }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TPlasma

bool TPlasma::sizeChannel(TChannel &ch)
{
    if (!ch.Resize(FSize.x, FSize.y) || ch.width() != FSize.x || ch.height() != FSize.y)
        return false;
    ch.PixelFill(128);
    return true;
}

void TPlasma::restartRand(long double amplitude)
{
    FRandValue = truncToInt(amplitude + 0.5L);
    randInit(FRand, FSeed, -FRandValue, FRandValue);
}

bool TPlasma::Setup(int32_t AWidth, int32_t AHeight, float RandValue, uint32_t Seed)
{
    FSize = {powerOfTwoAtLeast(AWidth), powerOfTwoAtLeast(AHeight)};
    FMask = {FSize.x - 1, FSize.y - 1};
    FSkip = std::max(FSize.x, FSize.y);
    FHalf = FSkip >> 1;
    FSeed = Seed;
    if (!sizeChannel(FChannel1))
        return false;
    restartRand(RandValue);
    seedPoints<1>(FSize, FRand, {&FChannel1});
    return true;
}

void TPlasma::StepCentres()
{
    const SPlasmaLevel l{FSize, FMask, FSkip, FHalf};
    if (plainSteps)
        centresPlain<1>(l, FRand, {&FChannel1});
    else
        centresRows<1>(l, FRand, {&FChannel1});
}

void TPlasma::StepEdges()
{
    const SPlasmaLevel l{FSize, FMask, FSkip, FHalf};
    if (plainSteps)
        edgesPlain<1>(l, FRand, {&FChannel1});
    else
        edgesRows<1>(l, FRand, {&FChannel1});
}

bool TPlasma::Generate(int32_t AWidth, int32_t AHeight, uint32_t Seed, float RandValue)
{
    if (AWidth < 1 || AHeight < 1 || !std::isfinite(RandValue))
        return false;
    if (!Setup(AWidth, AHeight, RandValue, Seed))
        return false;
    const long double root2 = std::sqrt(2.0L);
    for (;;) {
        FSkip /= 2;
        FHalf >>= 1;
        if (FSkip == 0)
            break; // one pixel: the seed alone, no step with an empty cell
        restartRand((long double)RandValue * FSkip / root2);
        StepCentres();
        restartRand(FRandValue / root2);
        StepEdges();
        if (FSkip <= 2)
            break;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// TPlasma3

bool TPlasma3::Setup(int32_t AWidth, int32_t AHeight, float RandValue, uint32_t Seed)
{
    FSize = {powerOfTwoAtLeast(AWidth), powerOfTwoAtLeast(AHeight)};
    FMask = {FSize.x - 1, FSize.y - 1};
    FSkip = std::max(FSize.x, FSize.y);
    FHalf = FSkip >> 1;
    FSeed = Seed;
    if (!sizeChannel(FChannel1) || !sizeChannel(FChannel2) || !sizeChannel(FChannel3))
        return false;
    restartRand(RandValue);
    seedPoints<3>(FSize, FRand, {&FChannel1, &FChannel2, &FChannel3});
    return true;
}

void TPlasma3::StepCentres()
{
    const SPlasmaLevel l{FSize, FMask, FSkip, FHalf};
    const Channels<3> ch{&FChannel1, &FChannel2, &FChannel3};
    if (plainSteps)
        centresPlain<3>(l, FRand, ch);
    else
        centresRows<3>(l, FRand, ch);
}

void TPlasma3::StepEdges()
{
    const SPlasmaLevel l{FSize, FMask, FSkip, FHalf};
    const Channels<3> ch{&FChannel1, &FChannel2, &FChannel3};
    if (plainSteps)
        edgesPlain<3>(l, FRand, ch);
    else
        edgesRows<3>(l, FRand, ch);
}
