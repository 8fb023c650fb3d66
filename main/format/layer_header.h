// The 72-byte layer record shared by the native file's layer chunk, the image packets of the event
// stream and the clipboard's layer attributes. Little-endian, packed, every field at its stored
// offset.
#pragma once

#include "core/base/geometry.h"

#include <cstddef>
#include <cstdint>

// Bits of SOlyHeader::flags.
inline constexpr uint16_t kOlyVisible = 0x01;
inline constexpr uint16_t kOlyProtected = 0x02; // transparency protected
inline constexpr uint16_t kOlyExtended = 0x10;  // always set by writers: dither fields are valid
inline constexpr uint16_t kOlyDither = 0x20;    // dithering enabled
inline constexpr uint16_t kOlyClipboardSize = 0x40; // set in the clipboard's copy of the record

#pragma pack(push, 1)
struct SOlyHeader
{
    int32_t index = 0;  // place in the stack, 0 = bottom
    uint16_t flags = 0; // kOly*
    uint8_t mode = 0;   // TLayerMode
    uint8_t trans = 0;  // opacity 0-255
    sSize blkSize;      // block width and height of the layer image
    sSize repSize;      // blocks across and down
    sSize imgSize;      // size of the layer image
    sPos viewPos;       // the canvas's top-left corner inside the layer image
    sSize viewSize;     // the canvas size the layer was made for
    uint32_t bgCol = 0; // colour of the blocks that hold no memory
    uint16_t nameLength = 0;
    uint16_t version = 0; // 0 for the modes multiply, add, subtract, standard; else 1
    uint8_t dither = 0;
    uint8_t groupLevel = 0;
    uint8_t underLyrClip = 0;
    uint8_t resv1 = 0;
    uint32_t dizSeed = 0; // the dither generator's current value
    uint16_t linkID = 0;
    uint16_t resv2 = 0;
    uint32_t resv3 = 0;
};
#pragma pack(pop)

static_assert(sizeof(SOlyHeader) == 72);
static_assert(offsetof(SOlyHeader, blkSize) == 8 && offsetof(SOlyHeader, viewPos) == 32);
static_assert(offsetof(SOlyHeader, bgCol) == 48 && offsetof(SOlyHeader, nameLength) == 52);
static_assert(offsetof(SOlyHeader, dither) == 56 && offsetof(SOlyHeader, dizSeed) == 60);
static_assert(offsetof(SOlyHeader, linkID) == 64 && offsetof(SOlyHeader, resv3) == 68);
