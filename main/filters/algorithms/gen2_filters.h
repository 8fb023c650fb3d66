// The second filter generation, kept so that event files recorded with it replay to the same
// picture. Each entry reads the layer's backup and writes the layer's own image directly (not
// through a pixel function): it takes the mask offset (mask viewPos - layer viewPos), the effect
// rectangle (false, nothing changed, when there is none) and then runs its worker. The mask value
// of a layer pixel is effectMask at the pixel plus the offset when the mask has content, 255
// otherwise; a pixel of value 0 is skipped everywhere.
//
// Untrusted values the workers would divide by, or that would make their buffers unbounded, make
// an entry answer false before any pixel is written; so does a non-finite Single.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"
#include "document/events/filter_records.h"
#include "filters/core/filter_host.h"
#include "filters/core/pixel_toolkit.h"

#include <array>
#include <cstdint>
#include <span>

class CBlockVMTC;
class CMaskData;
class TChannel;

// The tiles' values: colour count 1..3, shape 0 squares or 1 triangles, tile size 1..10000
// (triangles from 2), the three colours.
struct SOrgTiles
{
    int32_t count = 1;
    int32_t shape = 0;
    int32_t size = 0;
    std::array<sBGRA, 3> colors{};
};

// The clouds' values.
struct SOrgClouds
{
    sBGRA fore{};
    sBGRA back{};
    uint32_t seed = 0;
    int32_t amplitude = 0;
    int32_t tileW = 0, tileH = 0; // at least 1; cut to the layer's size
};

// The generator of the clouds, re-seeded on every run.
extern SRand gFlt2Rand;

inline constexpr int32_t kOrgTileMaxSize = 10000;

// radius <= 0 copies the backup. The intermediate of the vertical pass starts as transparent
// white, so pixels near the rectangle's left edge mix in transparent taps (the recorded look).
bool orgFltGaussianBlur(const CBlockVMTC &backup, const SFilterLayerView &layer,
                        const CMaskData *mask, float radius);
// The plain form: both passes through block images, pixel by pixel; the oracle of the above.
bool orgFltGaussianBlurReference(const CBlockVMTC &backup, const SFilterLayerView &layer,
                                 const CMaskData *mask, float radius);
// Centre as fractions of the layer's size, angle in turns (0 copies the backup); with
// insideCircle only the inscribed square of the reach turns.
bool orgFltTwist(const CBlockVMTC &backup, const SFilterLayerView &layer, const CMaskData *mask,
                 float xFraction, float yFraction, float angle, bool insideCircle);
// distance <= 0 copies the backup; the alpha of the layer stays.
bool orgFltEmboss(const CBlockVMTC &backup, const SFilterLayerView &layer, const CMaskData *mask,
                  float distance, float angle);
// Both amplitude x frequency products 0 copy the backup.
bool orgFltWave(const CBlockVMTC &backup, const SFilterLayerView &layer, const CMaskData *mask,
                float hAmplitude, float vAmplitude, float hFrequency, float vFrequency,
                float phase);
// Size 0 copies the backup.
bool orgFltTiles(const CBlockVMTC &backup, const SFilterLayerView &layer, const CMaskData *mask,
                 const SOrgTiles &tiles);
// Clouds (threshold -1) and rocks. work is the flow image's alpha channel, at least the tile's
// size: the texture is built there and stays there. Amplitude <= 0 copies the backup.
bool orgFltCloudsRocks(const CBlockVMTC &backup, const SFilterLayerView &layer,
                       const CMaskData *mask, const SOrgClouds &clouds, TChannel &work);
bool orgFltCloudsRocks2(const CBlockVMTC &backup, const SFilterLayerView &layer,
                        const CMaskData *mask, int32_t threshold, const SOrgClouds &clouds,
                        TChannel &work);
// count lights of the list (false when the list is missing, count is negative or beyond it, or a
// light's Single is not finite), lit over the whole layer with TLighting.
bool orgFltLighting(const CBlockVMTC &backup, const SFilterLayerView &layer, const CMaskData *mask,
                    int32_t bright, sBGRA color, int32_t count, std::span<const SFltLight> lights);
// amount <= 0: true at once, the layer left alone. Every pixel of the layer is sharpened.
bool orgFltSharpenCustom(const CBlockVMTC &backup, const SFilterLayerView &layer,
                         const CMaskData *mask, float amount);
// Slot 0 is the floor, slot 1 the sky; either missing copies the backup.
bool orgFltFloor(const CBlockVMTC &backup, const SFilterLayerView &layer, const CMaskData *mask,
                 const SFltFloor &floor);

// ---------------------------------------------------------------------------------------------
// Parts of the clouds and the sharpen

// Six octaves of upsampled noise from gFlt2Rand added into acc, then acc blurred into work
// (sigma 1.5, wrapping): a seamless tw x th texture in work's corner.
void makeCloudTexture(TChannel &work, TChannel &acc, TChannel &grid, int32_t tw, int32_t th,
                      double A);
// The grid stretched over the first w x h pixels of dst with cosine interpolation, wrapping.
void upsampleCos(const TChannel &grid, TChannel &dst, int32_t w, int32_t h);
// acc := clamp(Trunc(acc - 128 + n (oct - 128) / 255 + 128)), n = Trunc(a x 255), over acc.
void addOctave(const TChannel &oct, TChannel &acc, double a);
// Trunc(sum w v v / sum w v) per pass, vertical then horizontal, over src's size into dst.
void gaussBlurChannel(const TChannel &src, TChannel &dst, bool wrap, double sigma);
// The custom sharpen's kernel: centre 15.9 (1 - amount)^3 + 4.1, four sides -1, normalised.
void makeSharpenCustomKernel(float amount, Kernel3 &k);
