#include "filters/core/bilinear_samplers.h"

#include "core/image/canvas.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kTransparentWhite = 0x00FFFFFF;
constexpr uint32_t kHalf24 = 1u << 23;

// ---------------------------------------------------------------------------------------------
// The samplers

// The index and its neighbour on one axis of size n (n > 0).
template <eBilinearNeighbour NB> inline void axisPair(int32_t i, int32_t n, int32_t &a, int32_t &b)
{
    if constexpr (NB == eBilinearNeighbour::Clamp) {
        a = std::clamp(i, 0, n - 1);
        b = std::min(a + 1, n - 1);
    } else if constexpr (NB == eBilinearNeighbour::Wrap) {
        a = i;
        if (uint32_t(a) >= uint32_t(n)) {
            a %= n;
            if (a < 0)
                a += n;
        }
        b = a + 1;
        if (b >= n)
            b -= n;
    } else {
        a = i;
        if (uint32_t(a) >= uint32_t(n))
            a = int32_t(uint32_t(a) & uint32_t(n - 1));
        b = int32_t(uint32_t(a + 1) & uint32_t(n - 1));
    }
}

// The integer sums of the alpha-weighted average.
struct IntSums
{
    uint32_t alpha = 0, weight = 0, b = 0, g = 0, r = 0;

    void add(sBGRA c, uint32_t w)
    {
        if (c.A == 0)
            return;
        const uint32_t a = w * c.A;
        alpha += a;
        uint32_t s = (a >> 8) + (a >> 16) + (a >> 24);
        s += s >> 23;
        weight += s;
        b += s * c.B;
        g += s * c.G;
        r += s * c.R;
    }

    template <bool Sat> uint32_t pack() const
    {
        if (weight == 0)
            return kTransparentWhite;
        const auto channel = [this](uint32_t sum) {
            const uint32_t q = (sum + kHalf24) / weight;
            return Sat ? std::min(q, 255u) : (q & 0xFFu);
        };
        const uint32_t a = std::min((alpha + kHalf24) >> 24, 255u);
        return a << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
    }
};

// The sums of the float variant.
struct FloatSums
{
    uint32_t alpha = 0, weight = 0;
    long double b = 0, g = 0, r = 0;

    void add(sBGRA c, uint32_t w)
    {
        if (c.A == 0)
            return;
        const uint32_t a = w * c.A;
        alpha += a;
        uint32_t s = (a >> 8) + (a >> 16) + (a >> 24);
        s += s >> 23;
        weight += s;
        const long double q = (long double)c.A / 255.0L;
        b += std::trunc(c.B * q * s);
        g += std::trunc(c.G * q * s);
        r += std::trunc(c.R * q * s);
    }

    uint32_t pack() const
    {
        if (weight == 0)
            return kTransparentWhite;
        const auto channel = [this](long double sum) {
            const long double q = std::trunc(sum / alpha * 255.0L);
            return q >= 255 ? 255u : (q <= 0 ? 0u : uint32_t(q));
        };
        const uint32_t a = std::min((alpha + kHalf24) >> 24, 255u);
        return a << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
    }
};

// Adds the four samples around (x, y), each weight shifted right by shift.
template <eBilinearNeighbour NB, class Sums>
inline void addFour(Sums &sums, const TMTC &tc, int32_t x, int32_t y, int shift)
{
    int32_t x0, x1, y0, y1;
    axisPair<NB>(bilinearIndex(x), tc.width(), x0, x1);
    axisPair<NB>(bilinearIndex(y), tc.height(), y0, y1);
    const uint32_t wx = bilinearWeight(x), wy = bilinearWeight(y);
    const sBGRA *row0 = tc.seek32(0, y0), *row1 = tc.seek32(0, y1);
    sums.add(row0[x0], ((4096 - wy) * (4096 - wx)) >> shift);
    sums.add(row0[x1], ((4096 - wy) * wx) >> shift);
    sums.add(row1[x0], (wy * (4096 - wx)) >> shift);
    sums.add(row1[x1], (wy * wx) >> shift);
}

inline bool emptyCanvas(const TMTC &tc)
{
    return tc.width() <= 0 || tc.height() <= 0 || !tc.buffer();
}

template <eBilinearNeighbour NB, bool Sat> uint32_t sampleInt(const TMTC &tc, int32_t x, int32_t y)
{
    if (emptyCanvas(tc))
        return kTransparentWhite;
    IntSums sums;
    addFour<NB>(sums, tc, x, y, 0);
    return sums.pack<Sat>();
}

template <bool Sat>
uint32_t samplePair(const TMTC &tc, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    if (emptyCanvas(tc))
        return kTransparentWhite;
    IntSums sums;
    addFour<eBilinearNeighbour::Clamp>(sums, tc, x0, y0, 1);
    addFour<eBilinearNeighbour::Clamp>(sums, tc, x1, y1, 1);
    return sums.pack<Sat>();
}

} // namespace

uint32_t sampleBilinearClamp(const TMTC &tc, int32_t x, int32_t y)
{
    return sampleInt<eBilinearNeighbour::Clamp, false>(tc, x, y);
}

uint32_t sampleBilinearClampSat(const TMTC &tc, int32_t x, int32_t y)
{
    return sampleInt<eBilinearNeighbour::Clamp, true>(tc, x, y);
}

uint32_t sampleBilinearWrap(const TMTC &tc, int32_t x, int32_t y)
{
    return sampleInt<eBilinearNeighbour::Wrap, false>(tc, x, y);
}

uint32_t sampleBilinearWrapSat(const TMTC &tc, int32_t x, int32_t y)
{
    return sampleInt<eBilinearNeighbour::Wrap, true>(tc, x, y);
}

uint32_t sampleBilinearMaskSat(const TMTC &tc, int32_t x, int32_t y)
{
    return sampleInt<eBilinearNeighbour::Mask, true>(tc, x, y);
}

uint32_t sampleBilinearMaskFloat(const TMTC &tc, int32_t x, int32_t y)
{
    if (emptyCanvas(tc))
        return kTransparentWhite;
    FloatSums sums;
    addFour<eBilinearNeighbour::Mask>(sums, tc, x, y, 0);
    return sums.pack();
}

uint32_t samplePairClamp(const TMTC &tc, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    return samplePair<false>(tc, x0, y0, x1, y1);
}

uint32_t samplePairClampSat(const TMTC &tc, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    return samplePair<true>(tc, x0, y0, x1, y1);
}

// ---------------------------------------------------------------------------------------------
// The reference, step by step.

namespace {

// Index i and its neighbour on an axis of size n, as each variant states them.
void referenceAxis(int32_t p, int32_t n, eBilinearNeighbour nb, int32_t &i, int32_t &j)
{
    i = p >> 16;
    switch (nb) {
    case eBilinearNeighbour::Clamp:
        if (i < 0)
            i = 0;
        if (i > n - 1)
            i = n - 1;
        j = i + 1 < n - 1 ? i + 1 : n - 1;
        break;
    case eBilinearNeighbour::Wrap:
        if (i < 0 || i >= n)
            i = ((i % n) + n) % n;
        j = i + 1;
        if (j >= n)
            j = j - n;
        break;
    case eBilinearNeighbour::Mask:
        if (i < 0 || i >= n)
            i = int32_t(uint32_t(i) & uint32_t(n - 1));
        j = int32_t(uint32_t(i + 1) & uint32_t(n - 1));
        break;
    }
}

struct ReferenceSums
{
    uint32_t sa = 0, ss = 0, sc[3] = {0, 0, 0};
    long double fc[3] = {0, 0, 0};
};

void referenceAdd(ReferenceSums &s, const TMTC &tc, int32_t x, int32_t y, eBilinearNeighbour nb,
                  uint32_t halve)
{
    int32_t ix[2], iy[2];
    referenceAxis(x, tc.width(), nb, ix[0], ix[1]);
    referenceAxis(y, tc.height(), nb, iy[0], iy[1]);
    const uint32_t wx = uint32_t(((x >> 4) & 0xFFF) + ((x >> 15) & 1));
    const uint32_t wy = uint32_t(((y >> 4) & 0xFFF) + ((y >> 15) & 1));
    const uint32_t weights[4] = {(4096 - wy) * (4096 - wx), (4096 - wy) * wx, wy * (4096 - wx),
                                 wy * wx};
    const int32_t px[4] = {ix[0], ix[1], ix[0], ix[1]};
    const int32_t py[4] = {iy[0], iy[0], iy[1], iy[1]};
    for (int k = 0; k < 4; ++k) {
        const sBGRA c{.all = tc.getColor(px[k], py[k])};
        if (c.A == 0)
            continue;
        const uint32_t a = (weights[k] >> halve) * c.A;
        s.sa += a;
        uint32_t w = (a >> 8) + (a >> 16) + (a >> 24);
        w += w >> 23;
        s.ss += w;
        const uint8_t ch[3] = {c.B, c.G, c.R};
        for (int n = 0; n < 3; ++n) {
            s.sc[n] += w * ch[n];
            s.fc[n] += std::trunc(ch[n] * ((long double)c.A / 255.0L) * w);
        }
    }
}

uint32_t referencePack(const ReferenceSums &s, eBilinearPacking pk)
{
    if (s.ss == 0)
        return 0x00FFFFFF;
    uint32_t out[3];
    for (int n = 0; n < 3; ++n) {
        if (pk == eBilinearPacking::Float) {
            const long double q = std::trunc(s.fc[n] / s.sa * 255.0L);
            out[n] = q > 255 ? 255 : (q < 0 ? 0 : uint32_t(q));
        } else {
            const uint32_t q = (s.sc[n] + (1u << 23)) / s.ss;
            out[n] = pk == eBilinearPacking::Saturating ? (q > 255 ? 255 : q) : q % 256;
        }
    }
    uint32_t alpha = (s.sa + (1u << 23)) >> 24;
    if (alpha > 255)
        alpha = 255;
    return alpha << 24 | out[2] << 16 | out[1] << 8 | out[0];
}

} // namespace

uint32_t sampleBilinearReference(const TMTC &tc, int32_t x, int32_t y, eBilinearNeighbour nb,
                                 eBilinearPacking pk)
{
    if (tc.width() <= 0 || tc.height() <= 0)
        return 0x00FFFFFF;
    ReferenceSums s;
    referenceAdd(s, tc, x, y, nb, 0);
    return referencePack(s, pk);
}

uint32_t samplePairReference(const TMTC &tc, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                             eBilinearPacking pk)
{
    if (tc.width() <= 0 || tc.height() <= 0)
        return 0x00FFFFFF;
    ReferenceSums s;
    referenceAdd(s, tc, x0, y0, eBilinearNeighbour::Clamp, 1);
    referenceAdd(s, tc, x1, y1, eBilinearNeighbour::Clamp, 1);
    return referencePack(s, pk);
}
