// The event stream's byte format: every editing operation is recorded as packets, each a two-byte
// header {group, code} followed at once by its body. A body is a fixed part whose size depends on
// the header, optionally followed by trailing bytes whose count is a field of the fixed part. The
// stream has no header and no fill; integers are little-endian two's complement, Singles IEEE-754
// binary32 little-endian, nothing is aligned (SEvToneID.d sits at offset 6), and reserved bytes are
// written 0 and ignored when read. The same bytes are the data of event files and of the native
// file's event chunks, so every record here is a stored format: packed, sized by static_assert.
//
// An event is zero or more status (group 0) and information (group 1) packets followed by one
// command packet; a stroke is a begin packet (groups 16, 20-24, 48, 49, 80, 81, code 0), point
// packets of group 17 and one final point packet of group 18. A recording opens with 0/0 and 2/8
// (2/0 in older ones), then the statuses, 1/17 and 2/254; a complete stream ends with 2/255.
//
// This header holds the records, the packet catalogue (packetLayout), the body length of a packet
// (packetBodyLength), the walk over a run of packets, and bounded helpers that copy a record from
// or into a span (a span shorter than the record answers false and copies nothing).
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"
#include "platform/font.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <span>
#include <type_traits>

// The records are copied to and from the stream as they lie in memory.
static_assert(std::endian::native == std::endian::little, "event records are stored little-endian");

#pragma pack(push, 1)

struct SEventHdr
{
    uint8_t group = 0;
    uint8_t code = 0;
    friend bool operator==(const SEventHdr &, const SEventHdr &) = default;
};

// The 8-bit-character logical font of older text events (status 32, read only).
struct LOGFONTA
{
    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char lfFaceName[32] = {}; // zero-terminated, in the ANSI code page
};

// ---- Status records (group 0); the recorder keeps the last value of each ----

// 0/0: the recorder's version; extFlags must be 0 (a player refuses anything else).
struct SEvAppStat
{
    uint16_t verMajor = 0;
    uint16_t verMinor = 0;
    uint16_t extFlags = 0;
    uint16_t resv0 = 0;
    int32_t resv1 = 0;
};

// 0/2: the canvas colour.
struct SEvPaperColor
{
    sBGR color{};
    uint8_t pad = 0;
};

// 0/3: the background colour; flags 1 = canvas colour hidden, 2 = background pattern shown.
struct SEvBgColor
{
    sBGR color{};
    uint8_t flags = 0;
};

// 0/4: the gradient's end points in 16.16 fixed point.
struct SEvGradPos
{
    sPos fxpos0;
    sPos fxpos1;
};

// 0/5, and the fixed part of 0/40 (slotlen = the byte count of the colour stops that follow).
struct SEvGradType
{
    uint8_t kind = 0;
    uint8_t map = 0;
    uint8_t rep = 0;
    uint8_t res0 = 0;
    uint16_t repCnt = 0;
    uint16_t slotlen = 0;
    uint32_t res2 = 0;
};

// 0/8: active layer and active mask.
struct SEvTrgtObj
{
    uint16_t layer = 0;
    uint16_t select = 0;
};

// 0/12: 1 mask enabled, 2 screentone in use, 4 alpha protection (recordings before 2.06),
// 8 gradient in use.
struct SEvFlags
{
    uint16_t flags = 0;
};

// 0/13: 1 size, 2 opacity, 4 edge follow the pressure (the level-1 pen).
struct SEvPenFlags
{
    uint16_t flags = 0;
};

// 0/16: drawing colour, draw mode, opacity.
struct SEvPenAttr
{
    sBGR color{};
    uint8_t mode = 0;
    float opaque = 0;
};

// 0/17
struct SEvPenSize
{
    float size = 0;
    float min = 0;
};

// 0/18
struct SEvPenEffect
{
    float effect = 0;
    float env = 0;
    float speed = 0;
    float gamma = 0;
    float space = 0;
    uint8_t gradmap = 0;
    uint8_t pad1 = 0;
};

// 0/32 (read only) and 0/34.
struct SEvFontAttrA
{
    LOGFONTA lfont;
    uint16_t spacing = 0;
    uint16_t leading = 0;
    uint16_t resv0 = 0;
    uint16_t resv1 = 0;
};

struct SEvFontAttr
{
    LOGFONTW lfont;
    uint16_t spacing = 0;
    uint16_t leading = 0;
    uint16_t resv0 = 0;
    uint16_t resv1 = 0;
};

// 0/37: selects a recorded tone object; flags 1 negative, 2 screentone tile; d is the tile's cell
// size (0 for plain patterns).
struct SEvToneID
{
    uint32_t serial = 0;
    uint8_t objType = 0;
    uint8_t flags = 0;
    float d = 0;
    uint16_t zoom = 0;
    sPos ofs;
};

// 0/48 and 0/64: the fall-off curve.
struct SEvPen4Map
{
    uint16_t mapType = 0;
    uint16_t flatRate = 0;
    uint16_t addRate = 0;
    uint16_t resv = 0;
};

// 0/50 and 0/65
struct SEvPen4Color
{
    uint32_t fgCol = 0;
    uint32_t bgCol = 0;
};

// 0/52 and 0/66: the nib.
struct SEvPen4Param
{
    uint16_t radius = 0;
    uint16_t radiusMin = 0;
    uint16_t flatRate = 0;
    uint16_t degree = 0;
    uint8_t shapeType = 0;
    uint8_t resv0 = 0;
    uint16_t resv1 = 0;
};

// 0/53 and 0/67
struct SEvPen4Attr
{
    int32_t antiOff = 0;
    uint16_t resv0 = 0;
    uint16_t resv1 = 0;
    uint16_t resv2 = 0;
    uint16_t resv3 = 0;
};

// 0/45 and 0/75: selects a recorded image nib.
struct SEvPen4ShapeID
{
    uint32_t serial = 0;
    uint16_t flags = 0;
    uint16_t zoom = 0;
    uint16_t resv0 = 0;
    uint16_t resv1 = 0;
    uint32_t resv2 = 0;
    sSize imgSize;
};

// 0/56 and 0/68
struct SEvPen4RenderMode
{
    uint8_t flags = 0;
    uint8_t renderMode = 0;
    uint8_t subRenderMode = 0;
    uint8_t shapeMode = 0;
    uint16_t resv1 = 0;
    uint16_t resv2 = 0;
};

// 0/57 and 0/69
struct SEvPen4RenderParam
{
    uint32_t param1 = 0;
    uint32_t param2 = 0;
    uint32_t param3 = 0;
    uint32_t resv0 = 0;
};

// 0/58 and 0/70: 1 gradient in use, 2 screentone in use.
struct SEvPen4RenderOpt
{
    uint16_t flags = 0;
    uint16_t resv = 0;
};

// 0/60: flags 1 radius by pressure, 2 opacity by pressure.
struct SEvPen4StrokeParam
{
    uint16_t flags = 0;
    uint16_t opaque = 0;
    uint16_t resv0 = 0;
    uint16_t prsGamma = 0;
    uint16_t spacing = 0;
    uint16_t everyFreqR = 0;
    uint16_t highDensityR = 0;
    uint16_t resv1 = 0;
};

// 0/71
struct SEvPen5StrokeParam
{
    uint16_t flags = 0;
    uint16_t opaque = 0;
    uint16_t version = 0;
    uint16_t prsGamma = 0;
    uint16_t spacing = 0;
    uint16_t everyFreqR = 0;
    uint16_t highDensityR = 0;
    uint8_t smooth = 0;
    uint8_t interpolateType = 0;
    uint32_t resv2 = 0;
    uint32_t resv3 = 0;
    uint32_t resv4 = 0;
    uint32_t resv5 = 0;
};

// The version-5 pen's records share the version-4 layouts.
using SEvPen5Map = SEvPen4Map;
using SEvPen5Color = SEvPen4Color;
using SEvPen5Param = SEvPen4Param;
using SEvPen5Attr = SEvPen4Attr;
using SEvPen5ShapeID = SEvPen4ShapeID;
using SEvPen5RenderMode = SEvPen4RenderMode;
using SEvPen5RenderParam = SEvPen4RenderParam;
using SEvPen5RenderOpt = SEvPen4RenderOpt;

// The body of every stroke-begin packet: the layer and mask painted on.
struct SEvStrokeTarget
{
    uint16_t layer = 0;
    uint16_t select = 0;
};

// Group 38: a filter with a parameter block of allLen = eachLen x count bytes after it.
struct SEvFilterComplex
{
    uint16_t layer = 0;
    uint16_t select = 0;
    uint16_t allLen = 0;
    uint16_t count = 0;
    uint16_t eachLen = 0;
    uint32_t resv0 = 0;
    uint32_t resv1 = 0;
    LDATA data0{}, data1{}, data2{}, data3{}, data4{}, data5{}, data6{}, data7{};
};

// ---- Headers of the variable status packets ----

// 0/36: a screentone or pattern definition, then `padded` bytes of compressed 8-bit channel
// (a screentone tile records no pixels: padded = 0).
struct SEvToneObjHeader
{
    uint32_t serial = 0;
    uint8_t res0[8] = {};
    uint8_t pattern[72] = {}; // the pattern record of the tone-set file
    char name[64] = {};       // 8-bit characters, length in the pattern record
    uint32_t bytes = 0;       // uncompressed channel size
    uint32_t packed = 0;
    uint32_t padded = 0;
};

// 0/44 and 0/74: an image nib, then `padded` bytes of compressed 8-bit nib image.
struct SEvPenShapeHeader
{
    uint32_t serial = 0;
    uint16_t zoomRate = 0;
    uint16_t res0 = 0;
    uint16_t zoomMin = 0;
    uint16_t zoomMax = 0;
    uint8_t res1[8] = {};
    int32_t width = 0;
    int32_t height = 0;
    uint32_t bytes = 0;
    uint32_t packed = 0;
    uint32_t padded = 0;
};

// Group 12 and status 128/129: total counts everything after the descriptor (rounded up to even):
// the 72-byte layer header when hasHeader is 1, nameLen bytes of name, dataBytes of top-down BGRA.
// A reader moves past the packet by total, not by the sum of the parts.
struct SEvImageDesc
{
    uint16_t idx = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t bpp = 32;
    uint8_t hasHeader = 0;
    uint32_t total = 0;
    uint16_t nameLen = 0;
    uint32_t dataBytes = 0;
};

// ---- Fixed bodies of the command packets ----

// Two 16-bit operands: 2/24-26 (idx, dt), 4/1-5, 8, 9, 24, 25, 32-37, 64, 65, 10/0-6, 11, 20, 21,
// and the group-32 filters (idx, midx).
struct SEvIdxPair
{
    uint16_t idx0 = 0;
    uint16_t idx1 = 0;
};

// Two 16-bit and two 32-bit operands: 2/10, 4/10, 38-41, 48-51, 54, 55, 5/8, 11-13, 16,
// 10/7-10, 13, 14, 22, 24-26.
struct SEvIdxData
{
    uint16_t idx = 0;
    uint16_t d0 = 0;
    uint32_t d1 = 0;
    uint32_t d2 = 0;
};

// A name that follows (4/19, 26, 10/12, 15): len bytes, UTF-16 with terminator in the newer codes.
struct SEvNameHead
{
    uint16_t idx = 0;
    uint16_t len = 0;
};

// 2/0: canvas creation of older recordings.
struct SEvCanvasCreate
{
    int32_t pw = 0, ph = 0;
    int32_t lw = 0, lh = 0;
};

// 2/8: canvas creation; each flag byte is 0x00 when the flag is set, 0xFF when it is clear
// (canvasFlagByte, canvasFlagSet).
struct SEvCanvasCreate2
{
    int32_t pw = 0, ph = 0;
    int32_t lw = 0, lh = 0;
    int32_t dpi = 0;
    uint8_t ctp = 0xFF;
    uint8_t ltp = 0xFF;
    uint8_t res[6] = {};
};

// 2/1
struct SEvCanvasColor
{
    uint32_t color = 0;
};

// 2/2: canvas size with anchor.
struct SEvCanvasSize
{
    uint8_t place = 0; // pgType
    uint8_t ver = 0;
    int32_t w = 0, h = 0;
};

// 2/3, 9, 12: resolution change.
struct SEvCanvasResolution
{
    uint16_t ver = 0;
    int32_t w = 0, h = 0;
};

// 2/6
struct SEvCanvasCrop
{
    uint16_t idx = 0;
    sBox box;
};

// 2/11
struct SEvCanvasCropEx
{
    uint16_t idx = 0;
    uint16_t ver = 0;
    sBox box;
};

// 4/0: a new layer; flags 1 visible, 2 alpha protected.
struct SEvLayerCreate
{
    uint16_t idx = 0;
    int32_t w = 0, h = 0;
    uint8_t lm = 0; // TLayerMode
    uint8_t trn = 0;
    uint16_t flags = 0;
};

// 4/11 (8-bit name, read only) and 4/14 (UTF-16 name with terminator, nameLen even).
struct SEvLayerCreateEx
{
    uint16_t idx = 0;
    int32_t w = 0, h = 0;
    uint8_t res0[8] = {};
    uint8_t lm = 0;
    uint8_t trn = 0;
    uint16_t flags = 0;
    uint32_t col = 0;
    uint8_t res1[14] = {};
    uint16_t nameLen = 0;
};

// 4/6 and 4/66: move by an offset.
struct SEvLayerMove
{
    uint16_t idx = 0;
    uint16_t res = 0;
    sPos ofs;
};

// 4/7: move, versioned, with mode f.
struct SEvLayerMoveEx
{
    uint16_t idx = 0;
    uint8_t f = 0;
    uint8_t ver = 0;
    sPos ofs;
};

// 4/12 and 4/67: move with the selection.
struct SEvLayerMoveSel
{
    uint16_t idx = 0;
    uint16_t midx = 0;
    sPos ofs;
    uint8_t res[8] = {};
};

// 4/13
struct SEvLayerMoveSelEx
{
    uint16_t idx = 0;
    uint16_t midx = 0;
    sPos ofs;
    uint16_t t = 0;
    uint8_t res[6] = {};
};

// 4/16-18, 20, 52, 53: the attributes after the change; flags 1 visible, 2 alpha protected,
// 4 clipped to the layer below, 0x10 dither enabled.
struct SEvLayerAttr
{
    uint16_t idx = 0;
    uint8_t mode = 0;
    uint8_t trans = 0;
    uint16_t flags = 0;
};

// 4/21: dither settings.
struct SEvLayerDither
{
    SEvLayerAttr attr;
    uint8_t dither = 0;
    uint8_t res0 = 0;
    uint32_t randState = 0;
    uint8_t res1[6] = {};
};

// 4/56, 57 and 10/32: free transform to four corners.
struct SEvFreeTransform
{
    sFPos topLeft, topRight, bottomRight, bottomLeft;
    uint8_t simple = 0;
    uint8_t res = 0;
};

// 5/0, 1: group levels of cnt layers before and after, as two tables of cnt bytes (total = 2 x
// cnt).
struct SEvLinkLevel
{
    uint16_t idx = 0;
    uint16_t cnt = 0;
    uint16_t res0 = 0;
    uint8_t elemSize = 1;
    uint8_t tables = 2;
    uint32_t res1 = 0;
    uint32_t total = 0;
    uint8_t res2[8] = {};
};

// 5/9, 10
struct SEvGroupMove
{
    uint16_t idx = 0;
    uint16_t midx = 0;
    sPos ofs;
    uint32_t d0 = 0;
    uint32_t d1 = 0;
};

// 6/0-3, 5, 6: fills and figures between two points.
struct SEvFillFigure
{
    uint16_t idx = 0;
    uint32_t colour = 0;
    sFPos p0, p1;
};

// 6/4: cnt sFPos follow.
struct SEvPolygonHead
{
    uint16_t idx = 0;
    uint16_t cnt = 0;
};

// 6/7-9: flood fill, flood erase, magic wand (mat = eMaskAddType).
struct SEvFloodFill
{
    uint16_t idx = 0;
    sPos seed;
    uint8_t target = 0;
    uint8_t limit = 0;
    uint8_t anti = 0;
    uint8_t mat = 0;
    uint16_t res = 0;
};

// 10/16, 17, 19: selection figures.
struct SEvMaskFigure
{
    uint16_t idx = 0;
    uint16_t midx = 0;
    uint8_t mat = 0;
    uint8_t res = 0;
    sFPos p0, p1;
};

// 10/18: cnt sFPos follow.
struct SEvMaskPolygonHead
{
    uint16_t idx = 0;
    uint16_t midx = 0;
    uint8_t mat = 0;
    uint8_t res = 0;
    uint16_t cnt = 0;
};

// 13/0, 1, 4, 16, 17, 32: coverage of a fill or selection, then `padded` bytes of compressed
// coverage (box = bounding box of the non-zero coverage, bytes = w x h, packed rounded up to even).
struct SEvAlpha
{
    uint16_t idx = 0;
    uint16_t midx = 0;
    int32_t w = 0, h = 0; // the layer's size
    sPos seed;
    uint8_t kind = 0;
    uint8_t mt = 0;
    uint8_t op0 = 0;
    uint8_t op2 = 0; // anti-aliasing
    uint16_t op1 = 0;
    sBox box;
    uint32_t padded = 0;
    uint32_t bytes = 0;
    uint32_t packed = 0;
};

// 13/2, 3, 5: the same with the area's offset and size.
struct SEvAlphaEx
{
    uint16_t idx = 0;
    uint16_t midx = 0;
    int32_t w = 0, h = 0;
    sPos ofs;
    sPos seed;
    uint8_t res0[8] = {};
    uint8_t kind = 0;
    uint8_t mt = 0;
    uint8_t op0 = 0;
    uint8_t op2 = 0;
    uint16_t op1 = 0;
    uint16_t res1 = 0;
    sBox box;
    uint32_t padded = 0;
    uint32_t bytes = 0;
    uint32_t packed = 0;
};

// One sample of groups 17 and 18 (code = the number of samples, 1-16).
struct SEvStrokePoint
{
    float x = 0, y = 0, p = 0;
};

// Filter packets of groups 33, 34, 35 (group 32 is SEvIdxPair): target and 2, 4 or 6 cells.
struct SEvFilter2
{
    uint16_t idx = 0;
    uint16_t midx = 0;
    LDATA d[2]{};
};

struct SEvFilter4
{
    uint16_t idx = 0;
    uint16_t midx = 0;
    LDATA d[4]{};
};

struct SEvFilter6
{
    uint16_t idx = 0;
    uint16_t midx = 0;
    LDATA d[6]{};
};

#pragma pack(pop)

static_assert(sizeof(SEventHdr) == 2 && sizeof(LOGFONTA) == 60 && sizeof(LOGFONTW) == 92);
static_assert(sizeof(SEvAppStat) == 12 && sizeof(SEvPaperColor) == 4 && sizeof(SEvBgColor) == 4);
static_assert(sizeof(SEvGradPos) == 16 && sizeof(SEvGradType) == 12 && sizeof(SEvTrgtObj) == 4);
static_assert(sizeof(SEvFlags) == 2 && sizeof(SEvPenFlags) == 2 && sizeof(SEvPenAttr) == 8);
static_assert(sizeof(SEvPenSize) == 8 && sizeof(SEvPenEffect) == 22);
static_assert(sizeof(SEvFontAttrA) == 68 && sizeof(SEvFontAttr) == 100 && sizeof(SEvToneID) == 20);
static_assert(offsetof(SEvToneID, d) == 6);
static_assert(sizeof(SEvPen4Map) == 8 && sizeof(SEvPen4Color) == 8 && sizeof(SEvPen4Param) == 12);
static_assert(sizeof(SEvPen4Attr) == 12 && sizeof(SEvPen4ShapeID) == 24);
static_assert(sizeof(SEvPen4RenderMode) == 8 && sizeof(SEvPen4RenderParam) == 16);
static_assert(sizeof(SEvPen4RenderOpt) == 4 && sizeof(SEvPen4StrokeParam) == 16);
static_assert(sizeof(SEvPen5StrokeParam) == 32 && sizeof(SEvStrokeTarget) == 4);
static_assert(sizeof(SEvFilterComplex) == 50 && offsetof(SEvFilterComplex, allLen) == 4);
static_assert(sizeof(SEvToneObjHeader) == 160 && offsetof(SEvToneObjHeader, padded) == 156);
static_assert(sizeof(SEvPenShapeHeader) == 40 && offsetof(SEvPenShapeHeader, padded) == 36);
static_assert(sizeof(SEvImageDesc) == 22 && offsetof(SEvImageDesc, total) == 12);
static_assert(sizeof(SEvIdxPair) == 4 && sizeof(SEvIdxData) == 12 && sizeof(SEvNameHead) == 4);
static_assert(sizeof(SEvCanvasCreate) == 16 && sizeof(SEvCanvasCreate2) == 28);
static_assert(sizeof(SEvCanvasColor) == 4 && sizeof(SEvCanvasSize) == 10);
static_assert(sizeof(SEvCanvasResolution) == 10 && sizeof(SEvCanvasCrop) == 18);
static_assert(sizeof(SEvCanvasCropEx) == 20 && sizeof(SEvLayerCreate) == 14);
static_assert(sizeof(SEvLayerCreateEx) == 42 && offsetof(SEvLayerCreateEx, nameLen) == 40);
static_assert(sizeof(SEvLayerMove) == 12 && sizeof(SEvLayerMoveEx) == 12);
static_assert(sizeof(SEvLayerMoveSel) == 20 && sizeof(SEvLayerMoveSelEx) == 20);
static_assert(sizeof(SEvLayerAttr) == 6 && sizeof(SEvLayerDither) == 18);
static_assert(sizeof(SEvFreeTransform) == 34 && sizeof(SEvLinkLevel) == 24);
static_assert(offsetof(SEvLinkLevel, total) == 12 && sizeof(SEvGroupMove) == 20);
static_assert(sizeof(SEvFillFigure) == 22 && sizeof(SEvPolygonHead) == 4);
static_assert(sizeof(SEvFloodFill) == 16 && sizeof(SEvMaskFigure) == 22);
static_assert(sizeof(SEvMaskPolygonHead) == 8 && offsetof(SEvMaskPolygonHead, cnt) == 6);
static_assert(sizeof(SEvAlpha) == 54 && offsetof(SEvAlpha, padded) == 42);
static_assert(sizeof(SEvAlphaEx) == 72 && offsetof(SEvAlphaEx, padded) == 60);
static_assert(sizeof(SEvStrokePoint) == 12 && sizeof(SEvFilter2) == 12);
static_assert(sizeof(SEvFilter4) == 20 && sizeof(SEvFilter6) == 28);

// The 2/8 flag bytes: 0x00 when set, 0xFF when clear; a reader takes only 0x00 as set.
constexpr uint8_t canvasFlagByte(bool set)
{
    return set ? 0x00 : 0xFF;
}
constexpr bool canvasFlagSet(uint8_t b)
{
    return b == 0x00;
}

// ---- The packet catalogue ----

// Where a variable packet keeps the count of its trailing bytes.
enum class TPacketCount : uint8_t
{
    None, // fixed packet
    U16,  // uint16 at countOfs of the fixed part
    U32,  // uint32 at countOfs of the fixed part
    Code, // the header's code (groups 17, 18)
};

// One row of the catalogue: body = fixed + count x mult.
struct SPacketLayout
{
    int32_t fixed = -1; // -1: the header is invalid (not in the catalogue)
    TPacketCount count = TPacketCount::None;
    uint8_t countOfs = 0;
    uint8_t mult = 1;
    bool isValid() const { return fixed >= 0; }
    bool isVariable() const { return count == TPacketCount::U16 || count == TPacketCount::U32; }
};

// The catalogue row of a header; an invalid layout (fixed -1) for any header it does not list.
SPacketLayout packetLayout(SEventHdr hdr);

// The body length of a packet whose fixed part starts at fixedPart.data() (fixedPart runs to the
// end of the written data): the fixed size for a fixed packet, fixed + count x mult for a variable
// one. -1 when the header is invalid or the fixed part of a variable packet is not all there.
// 64-bit: a count of 2^32 - 1 cannot overflow.
int64_t packetBodyLength(SEventHdr hdr, std::span<const uint8_t> fixedPart);

// ---- Walking a run of packets ----

enum class TEventWalkEnd : uint8_t
{
    Clean,   // the last packet ended exactly at the end of the run
    Corrupt, // a header was invalid or cut, or a body ran past the end
    Stopped, // the visitor asked to stop
};

struct SEventPacketInfo
{
    uint32_t pos = 0; // offset of the header
    SEventHdr hdr;
    uint32_t bodyLen = 0; // the body starts at pos + 2
};

struct SEventWalkResult
{
    TEventWalkEnd end = TEventWalkEnd::Clean;
    uint32_t offset = 0;  // Clean: the end; otherwise the header of the packet that stopped it
    uint32_t packets = 0; // packets visited completely
};

// Answers false to stop the walk.
using fptrEventPacketVisit = std::function<bool(const SEventPacketInfo &)>;

// Walks the packets of [from, to): readHdr(pos, hdr) reads a header, bodyLength(hdr, ofs) gives the
// length of the body at ofs (or -1). A header that cannot be read, a length below 0, or a body that
// ends past `to` stops the walk as corrupt at that header.
template <class ReadHdr, class BodyLength>
SEventWalkResult walkEventPackets(uint32_t from, uint32_t to, ReadHdr &&readHdr,
                                  BodyLength &&bodyLength, const fptrEventPacketVisit &visit)
{
    SEventWalkResult r;
    uint64_t p = from;
    while (p < to) {
        r.offset = uint32_t(p);
        SEventHdr hdr;
        if (p + 2 > to || !readHdr(uint32_t(p), hdr)) {
            r.end = TEventWalkEnd::Corrupt;
            return r;
        }
        const int64_t b = bodyLength(hdr, uint32_t(p + 2));
        if (b < 0 || p + 2 + uint64_t(b) > to) {
            r.end = TEventWalkEnd::Corrupt;
            return r;
        }
        if (visit && !visit(SEventPacketInfo{uint32_t(p), hdr, uint32_t(b)})) {
            r.end = TEventWalkEnd::Stopped;
            return r;
        }
        ++r.packets;
        p += 2 + uint64_t(b);
    }
    r.end = p == to ? TEventWalkEnd::Clean : TEventWalkEnd::Corrupt;
    r.offset = uint32_t(p);
    return r;
}

// The same over bytes in memory (an event file's data, a test's buffer); at most 4 GB - 1 bytes.
SEventWalkResult walkEventBytes(std::span<const uint8_t> data, const fptrEventPacketVisit &visit);

// ---- Bounded record access ----

// Copies a record from the start of src; false, dst unchanged, when src is shorter.
template <class T> bool readEventRecord(std::span<const uint8_t> src, T &dst)
{
    static_assert(std::is_trivially_copyable_v<T>);
    if (src.size() < sizeof(T))
        return false;
    std::memcpy(&dst, src.data(), sizeof(T));
    return true;
}

// Copies a record to the start of dst; false, dst unchanged, when dst is shorter.
template <class T> bool writeEventRecord(std::span<uint8_t> dst, const T &src)
{
    static_assert(std::is_trivially_copyable_v<T>);
    if (dst.size() < sizeof(T))
        return false;
    std::memcpy(dst.data(), &src, sizeof(T));
    return true;
}

// A little-endian field at ofs of src; false when it does not lie inside src.
bool readEventU16(std::span<const uint8_t> src, size_t ofs, uint16_t &v);
bool readEventU32(std::span<const uint8_t> src, size_t ofs, uint32_t &v);
