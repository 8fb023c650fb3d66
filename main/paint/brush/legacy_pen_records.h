// The brush vocabulary of the older engines that the newer brush settings convert to and from:
// the stroke draw modes, the older fall-off curves and one legacy pen slot. They are read and
// written byte for byte (pen slots in events and in the registry), so the numbering is fixed.
#pragma once

#include <cstdint>
#include <type_traits>

// How a stroke of the older engines paints (stored as one byte).
enum class TDrawMode : uint8_t
{
    DM_PEN = 0,
    DM_WC = 1,
    DM_BLUR = 2,
    DM_ERASE = 3,
    DM_BLUR2 = 4,
    DM_AIRBRUSH = 5,
    DM_RUBPEN = 6,
    DM_DARKEN = 7,
    DM_LIGHTEN = 8,
    DM_MAX_NUM = 9,
};

// The fall-off curves of the older engines (stored as one byte).
enum class eAirMap : uint8_t
{
    ABMAP_FLAT90 = 0,
    ABMAP_CIRCLE = 1,
    ABMAP_ROUNDTOP = 2,
    ABMAP_LINEAR = 3,
    ABMAP_PINTOP = 4,
    ABMAP_MAX_NUM = 5,
};

#pragma pack(push, 1)
// The settings of one legacy pen slot, 41 bytes packed. Sizes are in pixels, `min` is the width at
// zero pressure as a percentage of `width`, effects 0..100, `opaque` 0..1, `spacing` a fraction of
// the width; `airMap` holds an eAirMap value.
struct SPenParamQZ2
{
    float min = 0;
    float width = 0;
    float gamma = 0;
    float effect = 0;
    float env = 0;
    float speed = 0;
    bool ifSize = false;
    bool ifTrans = false;
    bool ifEdge = false;
    bool useTone = false;
    bool useGrad = false;
    float opaque = 0;
    float spacing = 0;
    int32_t airMap = 0;
};
#pragma pack(pop)

static_assert(sizeof(SPenParamQZ2) == 41);
static_assert(std::is_trivially_copyable_v<SPenParamQZ2>);
