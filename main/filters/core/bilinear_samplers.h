// The bilinear samplers of the distortions, the blurs and the floor: a colour of a 32-bit canvas
// at a 16.16 position, from four samples with 12-bit weights, averaged by alpha.
//
// A position p gives the index i = p >> 16 and the weight w = ((p >> 4) & 0xFFF) + ((p >> 15) & 1),
// 0..4096 (the fraction's top twelve bits, plus one from one half on). With wx and wy, samples
// (i, j), (i', j), (i, j'), (i', j') weigh (4096 - wy)(4096 - wx), (4096 - wy) wx,
// wy (4096 - wx), wy wx (sum 2^24); i' and j' are the variant's neighbours. A sample with alpha
// a > 0 adds A = weight x a to the alpha sum, s = (A >> 8) + (A >> 16) + (A >> 24), s += s >> 23
// (about A / 255) to the weight sum and s x channel to each channel sum (unsigned 32 bits).
// Result: 0x00FFFFFF when the weight sum is 0; else each channel (sum + 2^23) / weight sum and
// alpha (alpha sum + 2^23) >> 24. Wrapping packing keeps the low eight bits of a channel
// quotient, saturating packing clamps it to 255. The float variant sums trunc(C (a / 255) s) per
// channel instead and gives min(255, trunc(sum / alpha sum x 255)).
//
// An index outside the canvas (the callers keep their positions inside) is folded into it the
// variant's way before use, so no sampler reads outside the canvas.
#pragma once

#include "core/pixel/pixel.h"

#include <cstdint>

class TMTC;

// The index and the 12-bit weight of a 16.16 coordinate.
inline int32_t bilinearIndex(int32_t p)
{
    return p >> 16; // arithmetic: the floor
}
inline uint32_t bilinearWeight(int32_t p)
{
    return uint32_t(((p >> 4) & 0xFFF) + ((p >> 15) & 1));
}

// The right (lower) neighbour: min(i + 1, size - 1).
uint32_t sampleBilinearClamp(const TMTC &tc, int32_t x, int32_t y);
uint32_t sampleBilinearClampSat(const TMTC &tc, int32_t x, int32_t y);
// i + 1, minus size at the edge.
uint32_t sampleBilinearWrap(const TMTC &tc, int32_t x, int32_t y);
uint32_t sampleBilinearWrapSat(const TMTC &tc, int32_t x, int32_t y);
// (i + 1) & (size - 1): power-of-two textures.
uint32_t sampleBilinearMaskSat(const TMTC &tc, int32_t x, int32_t y);
uint32_t sampleBilinearMaskFloat(const TMTC &tc, int32_t x, int32_t y);
// Two positions (already clamped into the canvas by the caller) summed with every weight halved.
uint32_t samplePairClamp(const TMTC &tc, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
uint32_t samplePairClampSat(const TMTC &tc, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// The plain reference of all of them, written step by step from the rule above; the tests hold
// the samplers to it.
enum class eBilinearNeighbour : uint8_t
{
    Clamp,
    Wrap,
    Mask,
};
enum class eBilinearPacking : uint8_t
{
    Wrapping,
    Saturating,
    Float,
};
uint32_t sampleBilinearReference(const TMTC &tc, int32_t x, int32_t y, eBilinearNeighbour nb,
                                 eBilinearPacking pk);
uint32_t samplePairReference(const TMTC &tc, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                             eBilinearPacking pk);
