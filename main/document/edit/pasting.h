// Putting an image from outside (the clipboard, or an image packet during replay) into the
// document, and the layer attributes a copied layer carries with it.
#pragma once

#include "core/base/geometry.h"
#include "format/layer_header.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

class CLayerData;
class TFlowImage;
class TMTC;
class TPaper;

// Gives a pasted layer the attributes of a copied one: mode (values past the last blend mode
// become the last), opacity, view position, the image's outside colour, visibility (flags bit 0),
// transparency protection (bit 1) and, when given, the title; then the view position is corrected
// into the image. Image size, view size, group level, clipping, link and dither fields are not
// applied.
void applyLayerAttr(CLayerData &layer, const SOlyHeader &hdr, const QString *title);

// The image size of a layer pasted as a new one: each side the larger of the image's and the
// paper's; with a header whose flags have kOlyClipboardSize, at least imgSize, itself raised to
// viewPos + paper; with another header viewPos is added. Negative view positions count as 0.
// False when a side passes the largest paper side (kMaxPaperSide), as a header from outside may ask.
bool pasteLayerSize(const sSize &image, const sSize &paper, const SOlyHeader *hdr, sSize &size);

// ---- the operations (pattern of edit_ops.h). tc is the image; hdr and nam the copied layer's
// attributes and title, or nullptr.
// The clipboard's picture (getClipboardImage) as a new layer, with the copied layer's attributes
// and title when the clipboard holds them; false when there is no picture. Recorded as the image
// form below records.
bool eventPasteNewLayer(TPaper &paper, TFlowImage *flow, bool undo);
// A new layer above the active one (group level 0, clipped when the layer above its place is),
// sized by pasteLayerSize, holding tc at (0, 0), made active. The record keeps the index that was
// active, so that undo makes that layer active again.
bool eventPasteNewLayer(TPaper &paper, TFlowImage *flow, const TMTC &tc, const SOlyHeader *hdr,
                        const QString *nam, bool undo);
// The form of older streams: the layer goes on top and the name is Shift_JIS text.
bool eventPasteNewLayerA(TPaper &paper, TFlowImage *flow, const TMTC &tc, const SOlyHeader *hdr,
                         const QByteArray *nam, bool undo);
// tc into layer idx at (0, 0) over the part both images share, at full opacity; then the header.
bool eventLayerPaste(TPaper &paper, TFlowImage *flow, int32_t idx, const TMTC &tc,
                     const SOlyHeader *hdr, const QString *name, bool undo);
bool eventLayerPasteA(TPaper &paper, TFlowImage *flow, int32_t idx, const TMTC &tc,
                      const SOlyHeader *hdr, const QByteArray *name, bool undo);
