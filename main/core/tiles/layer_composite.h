// Layer compositing: what the CBlockVMTC operations that blend one image into another (declared
// with the class in core/tiles/block_layer_image.h, built in layer_composite.cpp) read of a layer.
//
// All of them work block by block, skip uniform transparent source blocks where they say so, and
// change only a block's uniform colour when a whole uncommitted block meets a uniform source.
#pragma once

#include "core/pixel/blend_modes.h"
#include "core/base/geometry.h"
#include "core/pixel/pixel.h"

#include <cstdint>

class TMTC;

// The older per-mode blit: the part (sx, sy, w, h) of source into target at (x, y) with opacity
// alpha, blended by the mode's put.
using fptrOldBltPart = bool (*)(TMTC &target, const TMTC &source, int32_t sx, int32_t sy, int32_t w,
                                int32_t h, int32_t x, int32_t y, uint32_t alpha);

// The older pair of a layer mode: its blit and the put that goes with it.
struct SOldBltProcs
{
    fptrOldBltPart blt = nullptr;
    fptrPixelPut4core put = nullptr;
};

// What compositing reads of a layer. The document's layer record implements it; tests use a
// fake.
class ILayerBlendAttr
{
  public:
    virtual ~ILayerBlendAttr() = default;
    // Opacity 0..255.
    virtual uint8_t layerTrans() const = 0;
    virtual TLayerMode layerMode() const = 0;
    virtual bool layerDitherEnable() const = 0;
    // Density of the dither 0..255.
    virtual uint8_t layerDither() const = 0;
    // The layer's dither generator; arming the dither copies it, so the pattern is the same at
    // every redraw.
    virtual const SRand &layerDizRand() const = 0;
    // The older blit pair of the layer's mode.
    virtual SOldBltProcs layerOldBltProcs() const = 0;
};

// The put of the layer's mode that scales the opacity by the source alpha (fnPutA), or, when the
// layer dithers, pixelPutRandom with the random put armed on that put, the layer's generator and
// density. nullptr for a mode outside the table.
fptrPixelPut4core armLayerPut(const ILayerBlendAttr &obj) noexcept;
