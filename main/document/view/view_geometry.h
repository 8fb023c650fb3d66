// The view of a document: its zoom fraction, scroll position, rotation and mirroring (fields of
// TPaper), the conversions between window, paper and layer coordinates, the block copies between
// canvases and layer images, and the layer thumbnails and navigator preview.
//
// A view is simple when it is neither rotated nor mirrored and its zoom is whole (isZoomSimple):
// paper pixels then map to window pixels by an integer factor.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/blend_modes.h"

#include <array>
#include <cstdint>

class TMTC;
class TPaper;
class TStroke;

// ---- zoom

// The zoom presets in ascending order; the zoom always stays between the first and the last.
extern const std::array<TFraction, 17> kZoomPresets;

// Stores the fraction, a value below 1/16 becoming 1/16 and one above 16 becoming 16/1; answers
// the resulting zoom. A term of zero or below changes nothing and answers the current zoom.
float SetZoomFraction(TPaper &paper, int32_t numerator, int32_t denominator);
bool CanZoomIn(const TPaper &paper);
bool CanZoomOut(const TPaper &paper);
// The next preset above (below) the fraction; 16/1 (1/16) when there is none.
TFraction zoomFractionUp(const TFraction &f);
TFraction zoomFractionDown(const TFraction &f);
void ZoomIn(TPaper &paper);
void ZoomOut(TPaper &paper);
void ZoomReset(TPaper &paper);

// A whole zoom under which the longer paper side stays below 32768 pixels.
bool isZoomSimple(const TPaper &paper);
// The angle is a multiple of 90 degrees.
bool isRotSimple(const TPaper &paper);
// Smooth zoom is on and the view is not (a whole zoom and unrotated).
bool nowSmoothZoom(const TPaper &paper);
// Smooth zoom is on and the view is not (a whole zoom and a multiple of 90 degrees).
bool NeedAntiAliasing(const TPaper &paper);
// Rotated (any angle) or mirrored: drawn through the rotation image about the rotation centre.
bool isViewTurned(const TPaper &paper);

// ---- scroll position and rotation

void SetDrawPoint(TPaper &paper, int32_t dx, int32_t dy);
void SetViewPoint(TPaper &paper, int32_t vx, int32_t vy);
void SetViewRotPoint(TPaper &paper, float x, float y);
// The angle normalised to (-360, 0] and stored with its radians, sine and cosine (exact at the
// quarter turns). A non-finite angle changes nothing.
void SetViewDegree(TPaper &paper, float deg);
// The angle in radians, not normalised.
void SetViewRot(TPaper &paper, float rot);
// Moves the rotation centre against an offset in window directions, to whole pixels (half to
// even).
void AddViewRotPoint(TPaper &paper, float x, float y);
sFPos rotPos(const TPaper &paper, const sFPos &pos);
void rotPos(const TPaper &paper, sFPos &dst, const sFPos &src);
// The paper point shown at the centre of a cw x ch client area.
void GetViewCenter(const TPaper &paper, int32_t cw, int32_t ch, int32_t &mx, int32_t &my);

// ---- coordinates

// A client position (clw x clh client area) to paper coordinates, in place.
void CursorCorrection(const TPaper &paper, int32_t clw, int32_t clh, float &mx, float &my);
// A paper position to client coordinates (the inverse, with the owner's client size).
sFPos convToViewPos(const TPaper &paper, const sFPos &pos);
sPos convToViewPos(const TPaper &paper, const sPos &pos);
// The layer's view position ((0, 0) for a bad index).
sPos getLayerOfs(const TPaper &paper, int32_t idx);
// Layer image to paper (pos - view position) and back.
sPos convLayerPosToVramPos(const TPaper &paper, int32_t idx, const sPos &pos);
sPos convVramPosToLayerPos(const TPaper &paper, int32_t idx, const sPos &pos);
void convVramPosToLayerPos(const TPaper &paper, int32_t idx, float &x, float &y);
// The blend mode of the layer the stroke draws on (LM_STD without one).
TLayerMode getStrokeLM(const TPaper &paper, const TStroke &stroke);

// ---- block copies between canvases and layers (layer image coordinates)

// A box of src into layer idx's image at dpos with opacity alpha; the box is clipped to src.
bool bltToLayer(TPaper &paper, int32_t idx, const TMTC &src, const sPos &dpos, const sBox &box,
                uint32_t alpha);
bool bltToLayer(TPaper &paper, int32_t idx, const TMTC &src, int32_t dx, int32_t dy,
                uint32_t alpha);
// A box of layer idx's image into dst at dpos; the box is clipped to the image.
bool bltFromLayer(const TPaper &paper, TMTC &dst, int32_t idx, const sPos &dpos, const sBox &box,
                  uint32_t alpha, bool fast);
bool bltFromLayer(const TPaper &paper, TMTC &dst, int32_t idx, int32_t dx, int32_t dy,
                  uint32_t alpha, bool fast);

// ---- previews

// The layer's paper area reduced into the rectangle (dx, dy, dw, dh) of its thumbnail.
void updatePreview(TPaper &paper, int32_t idx, int32_t dx, int32_t dy, int32_t dw, int32_t dh);
void updatePreview(TPaper &paper, int32_t idx);
void updatePreviewAll(TPaper &paper);
// Unless vramonly, the box's part of layer's thumbnail and (unless events play) its layer row;
// then the navigator over the box. Nothing for a document without a size.
void PreviewRefresh(TPaper &paper, bool vramonly, int32_t layer, const sBox &box);
void PreviewRefresh(TPaper &paper, bool vramonly, int32_t layer);
void PreviewRefresh(TPaper &paper, bool vramonly, int32_t layer, const sSize &size);
void PreviewRefresh(TPaper &paper, bool vramonly, int32_t layer, const sRect &r);
void PreviewRefresh(TPaper &paper, bool vramonly, int32_t layer, int32_t x, int32_t y, int32_t w,
                    int32_t h);
// The navigator image reduced from the source whose width is nearest its own (the display image
// or a zoom cache); with the canvas colour hidden the box of it is put over the checker board or
// white.
void makePreviewImage(TPaper &paper, const sBox &box);
