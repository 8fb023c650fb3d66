// The display composition of a document: every visible layer, bottom to top, blended into the
// display image (TPaper::vram) with the opacities of its group heads multiplied in and its
// clipping group composed first in the clipping work image; over the canvas colour, or over
// transparency while the canvas colour is hidden. Only boxes are recomposed: every edit passes
// the box it changed, and a running stroke recomposes each step's box with the flow image standing
// in for its layer.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/blend_modes.h"
#include "core/tiles/layer_composite.h"

#include <array>
#include <cstdint>

class CLayerData;
class TFlowImage;
class TMTC;
class TPaper;

// ---- layer blends

// A layer as one blend sees it: its mode and dither with an opacity of the composition's own (the
// effective opacity of its group) and a dither generator that is a copy of the layer's, or seeded
// from the millisecond clock. The layer itself is never changed.
class CLayerBlendView final : public ILayerBlendAttr
{
  public:
    CLayerBlendView(const ILayerBlendAttr &layer, uint8_t trans, bool clockSeeded);

    uint8_t layerTrans() const override { return m_trans; }
    TLayerMode layerMode() const override { return m_layer.layerMode(); }
    bool layerDitherEnable() const override { return m_layer.layerDitherEnable(); }
    uint8_t layerDither() const override { return m_layer.layerDither(); }
    const SRand &layerDizRand() const override { return m_rand; }
    SOldBltProcs layerOldBltProcs() const override { return m_layer.layerOldBltProcs(); }

  private:
    const ILayerBlendAttr &m_layer;
    uint8_t m_trans;
    SRand m_rand;
};

// The box of a 32-bit source put into target at dpos by ld's fnPutA at ld's opacity; a dithering
// ld puts through the random-threshold put, its generator seeded from the clock with flag, else
// a copy of ld's. The box is clipped to both images.
bool bltLayerImage(TMTC &target, const TMTC &src, const sPos &dpos, bool flag,
                   const ILayerBlendAttr &ld, const sBox &box);
// The box of a 32-bit source blended at dpos into a canvas that keeps transparency: the special
// pair (LM_STD, ld's mode) of merge version ver through TMTC::mixWith, else TMTC::mixWithEx with
// the mode's mix parameters (mtfNopSrcTP added when bit 0 of ver's high word is set).
bool mixLayerImage(TMTC &dst, const TMTC &src, const ILayerBlendAttr &ld, uint32_t ver,
                   const sBox &box, const sPos &dpos);
// The level-1 blend of a source box into dst by mode value: multiply, add, subtract or normal;
// other modes draw nothing (false).
bool oldBlendPart(TMTC &dst, const TMTC &src, const sPos &dpos, uint32_t alpha, TLayerMode mode,
                  const sBox &box);

// ---- groups and clipping

// One record of the group table: the layer last entered at a group level.
struct SLyrGrpAttr
{
    int32_t index = 0;
    int32_t group = 0;
    uint8_t trans = 0;
};
// The group table of one composition, indexed by group level, all zero at its start.
using tblLyrGrpAttr = std::array<SLyrGrpAttr, 255>;

// Enters layer idx in the table at its level and answers its effective opacity: 0 for an
// invisible layer, else its opacity times (mul255) the opacity of the layer last entered at each
// shallower level. 0 for a bad index.
uint8_t updtGrpLyrTbl(const TPaper &paper, int32_t idx, tblLyrGrpAttr &ltbl);

int32_t getClippingLayerCount(const TPaper &paper, int32_t idx);
bool isClippingLayer(const TPaper &paper, int32_t idx);
bool isClippingGroup(const TPaper &paper, int32_t idx);
// Resizes the clipping work image.
bool resizeClippingImage(TPaper &paper, int32_t w, int32_t h);

// Composes the clipping group based at layer idx over box (paper coordinates) in the clipping
// work image: the base copied, each visible member put by its mode, opacity and clock-seeded
// dither (the puts keep the base's alpha). False, nothing drawn, when there is no member, when the
// base is hidden or of opacity 0, or when no member is visible with an opacity.
bool updateClippingImage(TPaper &paper, int32_t idx, const sBox &box);
// The same during a stroke: the layer act is read from the flow image (a member put by
// bltLayerImage), and the work image is not reset first.
bool updateClippingImage_inFlow(TPaper &paper, TFlowImage &flow, int32_t idx, int32_t act,
                                const sBox &box);

// ---- the display image

// The canvas colour put over the box of tc (colour bytes replaced, alpha kept) while it is shown,
// else the box set to 0x00FFFFFF.
void fillCanvasColor(TPaper &paper, TMTC &tc, const sBox &box);
// The compositions of the display image over box (clipped to it), with the canvas colour shown
// and hidden; with grid the overlay hook runs over the box.
void composeVramOpaque(TPaper &paper, const sBox &box, bool grid);
void composeVramTransparent(TPaper &paper, const sBox &box, bool grid);
// The same for one stroke step: layer act is read from the flow image.
void composeStrokeOpaque(TPaper &paper, TFlowImage &flow, const sBox &box, int32_t act);
void composeStrokeTransparent(TPaper &paper, TFlowImage &flow, const sBox &box, int32_t act);

// Recomposes the box by the canvas-colour state, then with updateCache refreshes the zoom caches
// over it.
void UpdateVRAMPart(TPaper &paper, const sBox &box, bool grid, bool updateCache);
void UpdateVRAMPart(TPaper &paper, int32_t x, int32_t y, int32_t w, int32_t h, bool grid,
                    bool updateCache);
// The whole display image, then the owner's view is invalidated without erasing.
void UpdateVRAM(TPaper &paper, bool grid, bool updateCache);

// ---- recompose, repaint and refresh after an edit

// With the canvas colour hidden the mixed view image (when it has pixels) is filled with the
// view background first; then the whole display image as below.
void dispatchView(TPaper &paper, int32_t idx);
// Recomposes r (with the zoom caches), repaints it in the owner window, refreshes layer idx's
// thumbnail and the navigator over it, and, when idx is not the active layer, its layer row.
void dispatchView(TPaper &paper, int32_t idx, const sRect &r);
// The same for only what layer idx's image traces: each trace rectangle moved onto the paper,
// clipped to the display image and, with r, to r; the thumbnails only with prv.
void dispatchViewFast(TPaper &paper, int32_t idx, const sRect *r, bool prv);
