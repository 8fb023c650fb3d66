// Builders of new layers for the geometry commands: moving, fitting to the paper, turning by a
// quarter or by any angle, and scaling one layer. Each builds a new layer beside the source and
// leaves the source untouched; the caller swaps the new one in and keeps the old one for undo.
// Every new layer has the source's index, no own history, the source's attributes, the paper as
// view size (the moved layer: the source's), a preview resized and redrawn, and its uniform
// blocks released. Any failure (no memory, a size that does not fit 32 bits or that the layer
// image refuses) answers nullptr and nothing is changed.
//
// Coordinates: paper point (x, y) is image pixel (x + viewPos.x, y + viewPos.y); a layer's
// rectangle on the paper is (-viewPos, image size - viewPos).
#pragma once

#include "core/base/geometry.h"

#include <cstdint>
#include <memory>

class CLayerData;

// A new layer of the given size and the source's mode: with mode 0 only opacity, visibility and
// title are copied, otherwise every attribute; viewPos := viewPos, viewSize := the source's; the
// preview sized to previewSize; the whole source image copied to dpos. With mode > 0 the result
// is then fitted to the paper (replaceWithFittedLayer).
std::unique_ptr<CLayerData> makeMovedLayer(const CLayerData &layer, const sSize &size,
                                           const sSize &previewSize, int32_t mode,
                                           const sPos &dpos, const sPos &viewPos,
                                           const sSize &paperSize);

// R := the visible blocks of the layer on the paper, widened to the paper rectangle. When R spans
// as many blocks across and down as the layer image already has, the layer fits: nullptr with
// *ok true. Otherwise a new layer of R's size holding the layer's pixels of R, viewPos
// (-R.x0, -R.y0). nullptr with *ok false when it cannot be made.
std::unique_ptr<CLayerData> fitLayerToPaper(const sSize &paperSize, const CLayerData &layer,
                                            bool *ok = nullptr);
// Puts the fitted layer in place of layer when they differ; true when it was replaced. A layer
// that cannot be fitted stays as it is.
bool replaceWithFittedLayer(const sSize &paperSize, std::unique_ptr<CLayerData> &layer);

// The layer turned by a quarter, clockwise with right, about the paper's centre.
std::unique_ptr<CLayerData> makeRotated90Layer(const sSize &paperSize, const CLayerData &layer,
                                               bool right);

// The layer turned by degrees (clockwise on the screen) about the paper's centre, bilinear in
// 16.16 fixed point; pixels outside the source read its outside colour. The second form weights
// the colours by their alpha. Non-finite angles answer nullptr.
std::unique_ptr<CLayerData> makeRotatedLayer(const sSize &paperSize, const CLayerData &layer,
                                             float degrees);
std::unique_ptr<CLayerData> makeRotatedLayer2(const sSize &paperSize, const CLayerData &layer,
                                              float degrees);
// The pixel-at-a-time walk the two forms above replaced (they work block by block over the work
// threads); the same layer, kept as the reference of tests.
std::unique_ptr<CLayerData> makeRotatedLayerByPixel(const sSize &paperSize,
                                                    const CLayerData &layer, float degrees,
                                                    bool alphaWeighted);

// The whole layer image resampled (area average) to w x h, the image's top-left corner kept at
// the scaled place of the view position; the image covers the paper. The second form weights the
// colours by their alpha. w or h <= 0 answers nullptr.
std::unique_ptr<CLayerData> makeZoomedLayer(const sSize &paperSize, const CLayerData &layer,
                                            int32_t w, int32_t h);
std::unique_ptr<CLayerData> makeZoomedLayer2(const sSize &paperSize, const CLayerData &layer,
                                             int32_t w, int32_t h);
// The two forms above take an exact halving block by block over the work threads; this is the
// scaler's walk over the whole image that they replaced there, kept as the reference of tests.
std::unique_ptr<CLayerData> makeZoomedLayerByWalk(const sSize &paperSize, const CLayerData &layer,
                                                  int32_t w, int32_t h, bool alphaWeighted);
