// Builders of whole new layer lists for the commands that change the paper: canvas size, crop and
// resolution. Each returns a new list beside the old one (which stays untouched, for undo) or
// nullptr when any layer cannot be made; an exception is also written to the debugger output.
// Every new layer has its source's index and no own history; with copyAttr it takes every
// attribute of its source, otherwise its visibility, opacity, mode and title.
#pragma once

#include "core/base/geometry.h"

#include <cstdint>
#include <memory>

class CLayerMngr;

// Canvas size: the old paper's origin lands at offset in a new paper of size S. Each layer grows
// to cover the new paper as well as its old image (content outside the paper stays). The running
// layer number and the current index are carried over.
std::unique_ptr<CLayerMngr> makeResizeLayerEx(const CLayerMngr &mngr, const sPos &offset,
                                              const sSize &S, bool copyAttr);

// Crop to the box at origin of size S: every layer becomes exactly S, content outside the box is
// cut. The current index is carried over, the running layer number is not.
std::unique_ptr<CLayerMngr> makeResizeLayer(const CLayerMngr &mngr, const sPos &origin,
                                            const sSize &S, bool copyAttr);

// Resolution: every layer resampled by S / its view size (Singles per step), with method 1 the
// high-quality reduction (CBlockVMTC::FilterSmallenHQ), with method 2 the area average (the second
// form weighting colours by alpha); any other method answers nullptr. Progress goes to the
// installed progress window. The running layer number and current index are carried over.
std::unique_ptr<CLayerMngr> makeZoomLayer(const CLayerMngr &mngr, const sSize &S, int32_t method,
                                          bool copyAttr);
std::unique_ptr<CLayerMngr> makeZoomLayer2(const CLayerMngr &mngr, const sSize &S, int32_t method,
                                           bool copyAttr);

// The new image size and view position of one layer resampled for a paper of size S: ratios
// S / viewSize as Singles, floor(x * ratio + 0.5) per step in Single; the position then lowered
// so that it plus S stays inside the image. False when the view size is empty or a side falls
// outside 1..INT32_MAX.
bool zoomedLayerGeometry(const sSize &imageSize, const sPos &viewPos, const sSize &viewSize,
                         const sSize &S, sSize &newSize, sPos &newViewPos);
