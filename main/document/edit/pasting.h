// Putting an image from outside (the clipboard, or an image packet during replay) into the
// document, and the layer attributes a copied layer carries with it.
#pragma once

#include "core/base/geometry.h"
#include "document/format/layer_header.h"

#include <QString>

class CLayerData;

// Gives a pasted layer the attributes of a copied one: mode (values past the last blend mode
// become the last), opacity, view position, the image's outside colour, visibility (flags bit 0),
// transparency protection (bit 1) and, when given, the title; then the view position is corrected
// into the image. Image size, view size, group level, clipping, link and dither fields are not
// applied.
void applyLayerAttr(CLayerData &layer, const SOlyHeader &hdr, const QString *title);

// The image size of a layer pasted as a new one: each side the larger of the image's and the
// paper's; with a header whose flags have kOlyClipboardSize, at least imgSize, itself raised to
// viewPos + paper; with another header viewPos is added. Negative view positions count as 0.
// False when a side does not fit 32 bits.
bool pasteLayerSize(const sSize &image, const sSize &paper, const SOlyHeader *hdr, sSize &size);
