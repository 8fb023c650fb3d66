// The parameter records of the filters: filled by a dialog, remembered as a filter's last values,
// handed to its pixel function, recorded into the event stream and rebuilt by the replay. The
// records that reach the stream are packed little-endian with fixed offsets (asserted below).
// Where a record held a reference to an object, ours holds a typed non-owning field instead; the
// byte sizes the pixel functions compare their size argument with stay the original's numbers
// and are named constants (kFlt...Size), never sizeof.
//
// Booleans of records read from outside bytes are bytes: any non-zero value is true.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"
#include "paint/gradient/gradient_stops.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

class CColorSlotGroup;
class TMTC;

// The size argument a pixel function expects with each record (the size contract).
inline constexpr int32_t kFltObj2Size = 8;
inline constexpr int32_t kFltObj4Size = 16;
inline constexpr int32_t kFltObj6Size = 24;
inline constexpr int32_t kFltObjComplexSize = 50;
inline constexpr int32_t kFltObjGradientMapSize = 14;
inline constexpr int32_t kFltFloorSize = 87;

#pragma pack(push, 1)

// Filters recorded with two, four or six 32-bit cells.
struct sFltObj2
{
    LDATA data0, data1;
};
struct sFltObj4
{
    LDATA data0, data1, data2, data3;
};
struct sFltObj6
{
    LDATA data0, data1, data2, data3, data4, data5;
};

// The fixed part of a filter with a variable block of items.
struct sFltObjComplexHead
{
    uint16_t allLen;  // count x eachLen, kept to 16 bits
    uint16_t count;   // items in the block
    uint16_t eachLen; // bytes of one item
    uint32_t resv0;
    uint32_t resv1;
    LDATA data0, data1, data2, data3, data4, data5, data6, data7;
};

// One light of the lighting filters.
struct SFltLight
{
    int32_t kind; // eFltLightKind; outside values are the pixel function's to refuse
    int32_t power;
    sBGRA color;
    int32_t range;
    float posx;
    float posy;
    int32_t posz;
    float theta;
    float phi;
    int32_t wide;
    uint32_t resv1, resv2, resv3, resv4;
};

// The 5 x 5 kernel of the custom filter, row by row.
using AMatrix = std::array<int32_t, 25>;

struct SFltCustom
{
    AMatrix matrix;
    int32_t scale;  // the divisor
    int32_t offset; // added after dividing
};

// The recorded parameters of the floor filter.
struct SFltFloorParam
{
    int32_t x;         // camera X, a texture offset
    float y;           // camera Y, the height
    int32_t z;         // camera Z, a texture offset
    float head;        // heading, radians
    float pitch;       // tilt, radians
    float bank;        // roll, radians
    int32_t eye2scr;   // projection distance
    int32_t skyheight; // distance between ceiling and floor
    int32_t alpha;     // fog opacity, percent
    sBGRA farcol;      // fog colour
    uint8_t useOrgPic; // Boolean: keep the layer's picture under the planes
    uint8_t clear;     // Boolean: the fog fades to transparency instead of to farcol
    uint8_t texEnbFlag;  // bit per texture slot: the slot is drawn
    uint8_t texTypeFlag; // bit per texture slot: its texture comes from an image file
    uint8_t drawfar;   // Boolean: draw the planes beyond the far distance
    uint8_t version;   // 0 the older floor, 1 and 2 the first current one, 3 and later the newest
    uint8_t maxfar;    // far (fog) distance, percent
    uint16_t tex0w, tex0h; // slot 0 (ceiling) texture size
    uint16_t tex1w, tex1h; // slot 1 (floor) texture size
    uint32_t resv3;
    uint32_t resv4;
};

#pragma pack(pop)

// A complex record: the fixed part, then the block of items, which the record does not own.
struct sFltObjComplex : sFltObjComplexHead
{
    std::span<const uint8_t> data;
};

// The gradient map as its pixel function receives it.
struct sFltObjGradientMap
{
    const CColorSlotGroup *crsg; // the gradient's stops; not owned
    SGradAttr attr;
    bool reverse; // run the gradient from its end to its start
    bool protect; // keep the layer's transparency
};

enum eFltLightKind : int32_t
{
    flkPoint = 0,
    flkWarm = 1,
    flkSpot = 2,
    flkMaxNum = 3, // the count
};

// One texture slot of the floor filter, in memory only.
struct SFltTexture
{
    int32_t dpi;
    TMTC *tc; // the texture image; the slot refers to it, its creator frees it
    QString path;
};

// The floor filter as its pixel function receives it. Only sfloor is recorded; a file texture
// travels as an image packet of its own.
struct SFltFloor
{
    SFltFloorParam sfloor;
    std::array<SFltTexture, 2> stex; // slot 0 the ceiling, slot 1 the floor
};

// The texture slots of the floor: one meaning for the recorder, the player and every floor
// filter. Slot 0 is the ceiling: bit 0 of both flag bytes, status image 128, the low half of
// data0 (its dpi); slot 1 is the floor: bit 1, status image 129, the high half. (The older
// plane renderer reads slot 0 as its floor and slot 1 as its sky.)
inline constexpr int32_t kFloorSlotCeiling = 0;
inline constexpr int32_t kFloorSlotFloor = 1;
inline constexpr uint8_t kFloorSlotImageCode[2] = {128, 129};
inline uint16_t floorSlotDpi(LDATA data0, int32_t slot)
{
    return slot == kFloorSlotCeiling ? data0.w0 : data0.w1;
}
inline void setFloorSlotDpi(LDATA &data0, int32_t slot, uint16_t dpi)
{
    (slot == kFloorSlotCeiling ? data0.w0 : data0.w1) = dpi;
}

static_assert(sizeof(sFltObj2) == kFltObj2Size && sizeof(sFltObj4) == kFltObj4Size &&
              sizeof(sFltObj6) == kFltObj6Size);
static_assert(sizeof(sFltObjComplexHead) == 46);
static_assert(offsetof(sFltObjComplexHead, count) == 2 && offsetof(sFltObjComplexHead, eachLen) == 4 &&
              offsetof(sFltObjComplexHead, resv0) == 6 && offsetof(sFltObjComplexHead, resv1) == 10 &&
              offsetof(sFltObjComplexHead, data0) == 14 && offsetof(sFltObjComplexHead, data7) == 42);
static_assert(sizeof(SFltLight) == 56 && offsetof(SFltLight, color) == 8 &&
              offsetof(SFltLight, posx) == 16 && offsetof(SFltLight, posz) == 24 &&
              offsetof(SFltLight, theta) == 28 && offsetof(SFltLight, wide) == 36 &&
              offsetof(SFltLight, resv1) == 40 && offsetof(SFltLight, resv4) == 52);
static_assert(sizeof(SFltCustom) == 108 && offsetof(SFltCustom, scale) == 100 &&
              offsetof(SFltCustom, offset) == 104);
static_assert(sizeof(SFltFloorParam) == 63);
static_assert(offsetof(SFltFloorParam, eye2scr) == 24 && offsetof(SFltFloorParam, farcol) == 36 &&
              offsetof(SFltFloorParam, useOrgPic) == 40 && offsetof(SFltFloorParam, clear) == 41 &&
              offsetof(SFltFloorParam, texEnbFlag) == 42 &&
              offsetof(SFltFloorParam, texTypeFlag) == 43 && offsetof(SFltFloorParam, drawfar) == 44 &&
              offsetof(SFltFloorParam, version) == 45 && offsetof(SFltFloorParam, maxfar) == 46 &&
              offsetof(SFltFloorParam, tex0w) == 47 && offsetof(SFltFloorParam, tex0h) == 49 &&
              offsetof(SFltFloorParam, tex1w) == 51 && offsetof(SFltFloorParam, tex1h) == 53 &&
              offsetof(SFltFloorParam, resv3) == 55 && offsetof(SFltFloorParam, resv4) == 59);
static_assert(std::is_trivially_copyable_v<sFltObj6> && std::is_trivially_copyable_v<SFltLight> &&
              std::is_trivially_copyable_v<SFltCustom> &&
              std::is_trivially_copyable_v<SFltFloorParam>);

// ---------------------------------------------------------------------------------------------
// Initialisers

void initFltObj2(sFltObj2 &rec);
void initFltObj4(sFltObj4 &rec);
void initFltObj6(sFltObj6 &rec);
// count and eachLen stored, allLen = count x eachLen (low 16 bits), the eight cells and data
// cleared; resv0 and resv1 untouched.
void initFltObjComplex(sFltObjComplex &rec, uint16_t count, uint16_t eachLen);
// No stops, initGradAttr, forwards, protect set.
void initFltObjGradientMap(sFltObjGradientMap &rec);
// The 25 weights 0, scale 1, offset 0.
void initFltCustom(SFltCustom &rec);
void initFltLight(SFltLight &rec);
void initFltTexture(SFltTexture &tex);
// All 63 bytes 0, then maxfar 30 and drawfar true (version stays 0).
void initFltFloorParam(SFltFloorParam &rec);
void initFltFloor(SFltFloor &rec);

// ---------------------------------------------------------------------------------------------
// Tests

bool equalFltObj2(const sFltObj2 &a, const sFltObj2 &b);
bool equalFltObj4(const sFltObj4 &a, const sFltObj4 &b);
bool equalFltObj6(const sFltObj6 &a, const sFltObj6 &b);
// Every field but the reserved words; the Singles compared as numbers.
bool equalFltLight(const SFltLight &a, const SFltLight &b);
// The slot is drawn and its texture comes from an image file.
bool isFloorSlotFile(const SFltFloorParam &rec, int32_t slot);
// Slot 0, the ceiling.
bool isCeilingTexFile(const SFltFloorParam &rec);
bool isCeilingTexFile(const SFltFloor &rec);
// Slot 1, the floor.
bool isFloorTexFile(const SFltFloorParam &rec);
bool isFloorTexFile(const SFltFloor &rec);
