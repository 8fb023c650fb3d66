// The stored layer record (format/layer_header.h) of a layer, as the native file, the
// image packets and the clipboard write it.
#pragma once

#include "format/layer_header.h"

class CLayerData;

// Every field from the layer: bit 0 visible, bit 1 transparency protected, bit 4 always, bit 5
// dithering; the image's block size, block grid, size and blank colour (0 without an image); the
// view position and size; nameLength the title's UTF-16 byte count plus 1; version 0 for the
// modes multiply, add, subtract and standard, else 1; the dither density and generator value,
// group level, clipping flag and link index. Reserved bytes 0.
SOlyHeader makeOlyHeader(const CLayerData &ld);
