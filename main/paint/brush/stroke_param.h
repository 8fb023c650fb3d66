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

// ---- accessors (units as stored: opaque thousandths, prsGamma hundredths, spacing thousandths)

// opaque / 1000; opaque as stored.
float strokeParamGetOpaque(const SStrokeParam &p);
int32_t strokeParamGetOpaqueInt(const SStrokeParam &p);
// opaque := trunc(x × 1000) (the product rounded to Single); true when the value changed.
bool strokeParamSetOpaque(SStrokeParam &p, float x);
// prsGamma / 100.
float strokeParamGetPrsGamma(const SStrokeParam &p);
// prsGamma := n, or trunc(x × 100); true when the value changed.
bool strokeParamSetPrsGammaInt(SStrokeParam &p, int32_t n);
bool strokeParamSetPrsGamma(SStrokeParam &p, float x);
// spacing / 1000.
float strokeParamGetSpacing(const SStrokeParam &p);
// n in hundredths: spacing := n × 10 (saturating); true when the value changed.
bool strokeParamSetSpacingInt(SStrokeParam &p, int32_t n);
// strokeParamSetSpacingInt(trunc(x × 100 + 0.5)): the spacing keeps a resolution of hundredths.
bool strokeParamSetSpacing(SStrokeParam &p, float x);
