// The document's clipboard: pictures exchanged with other programs as a bitmap ("image/bmp",
// with "image/png" rendered from it when asked), and what only this program understands in
// private formats: the attributes of a copied layer and the canvas box a copied picture came from
// (the bytes are described in document/files/clipboard_data.h).
//
// Built on the platform clipboard (platform/desktop/clipboard.h): the formats are added to what
// the program already put there; a format counts as present only when its data can be had, so a
// format announced without data reads as absent. Every function answers false or null on failure
// and shows nothing; without a GUI application everything fails.
#pragma once

#include "core/base/geometry.h"
#include "document/files/clipboard_data.h"

#include <QString>

#include <cstdint>
#include <memory>

class CLayerData;
class TMTC;

// A picture can be had: the bitmap, or a picture of another program in a format Qt reads.
bool clipboardHasImage();
// Width, height (positive) and bits per pixel of the bitmap's header; for a picture of another
// program without a bitmap its size and 32 bits when it has alpha, else 24. False when there is
// no picture or its header is unusable (sides outside 1..10000).
bool getClipboardDibInfo(int32_t &width, int32_t &height, int32_t &bitCount);
// A new 32-bit image of the clipboard's picture, or null. The bitmap is read as
// clipboardBitmapToImage reads it, a 32-bit one keeping its alpha only when layer attributes can
// be read too; without a usable bitmap, the first other picture format Qt reads, made opaque.
std::unique_ptr<TMTC> getClipboardImage();

// Put box of image (clipped to it) on the clipboard as a 24-bit or 32-bit bitmap, and promise the
// same picture as PNG. False, with nothing put, when nothing of the box is left or the memory
// cannot be had. They do not empty the clipboard: the caller does that first when it wants to.
bool copyImageToClipboard24(const TMTC &image, sBox box);
bool copyImageToClipboard32(const TMTC &image, sBox box);

// The layer's record under "qzLayerAttr".
bool putLayerAttrToClipboard(const CLayerData &layer);
// Reads it back (parseLayerAttrData); false when absent or malformed.
bool getLayerAttrFromClipboard(SOlyHeader &header, QString &title);

// The 16 bytes of box under "qzClipBox", and back; false when absent or shorter than 16 bytes.
bool putClipBoxToClipboard(const sBox &box);
bool getClipBoxFromClipboard(sBox &box);

// Announce "qzLayerAttr" or "qzClipBox" without data: whatever data of that format the program
// put there before is gone, and the format reads as absent. True when the clipboard could be had.
bool clipboardPromiseLayerAttr();
bool clipboardPromiseClipBox();
