// The stroke behaviour of a brush method: a packed record of 39 bytes held inside the method
// preset, stored in method set files and in paint-parameter events.
#pragma once

#include <cstdint>
#include <type_traits>

// Stroke interpolation of the version-5 engine (stored as one byte).
enum class eInterpolateType : uint8_t
{
    iptLinear = 0,
    iptBSpline = 1,
};

#pragma pack(push, 1)
struct SStrokeParam
{
    bool enbPrsRadius = false; // pressure changes the dab radius
    bool enbPrsOpaque = false; // pressure changes the dab opacity
    int32_t opaque = 1000;     // stroke opacity in thousandths
    int32_t prsGamma = 100;    // pressure exponent in hundredths (100 = linear)
    int32_t spacing = 100;     // dab spacing as a fraction of the radius, in thousandths
    int32_t everyFreqR = 0;    // version 4: radius in pixels below which every step is drawn
    int32_t highDensityR = 0;  // version 4: radius in pixels below which steps are doubled
    int32_t smooth = 1;        // version 5: smoothing level N (window of 2N + 1 samples)
    eInterpolateType interpolateType = eInterpolateType::iptBSpline;
    int32_t startDist = 10;    // kept in files only
    int32_t endDist = 10;      // kept in files only
    int32_t strokeVersion = 0; // version of the stroke model
};
#pragma pack(pop)

static_assert(sizeof(SStrokeParam) == 39);
static_assert(std::is_trivially_copyable_v<SStrokeParam>);

// Sets every field to its default (the initialisers above).
void strokeParamInit(SStrokeParam &p);
