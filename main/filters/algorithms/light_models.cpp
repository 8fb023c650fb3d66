#include "filters/algorithms/light_models.h"

#include "core/base/numeric.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

// Trunc of an amount; the amounts are bounded by a byte times an Integer percentage, but an
// absurd power must not make the conversion undefined.
int32_t truncAmount(long double v)
{
    if (!(v > -2147483648.0L))
        return v != v ? 0 : INT32_MIN;
    return v >= 2147483647.0L ? INT32_MAX : int32_t(v);
}

void zero(int32_t &R, int32_t &G, int32_t &B)
{
    R = G = B = 0;
}

// An Integer product as the program computes it: wrapping in 32 bits.
int32_t mulWrap(int32_t a, int32_t b)
{
    return int32_t(uint32_t(a) * uint32_t(b));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The point light

TLight4::TLight4(const SFltLight &ALight, int32_t X, int32_t Y)
{
    SetParam(ALight, X, Y);
}

float TLight4::Attenuate(float n) const
{
    const long double c = std::cos((long double)n * kPi / 2);
    return float(c * c);
}

void TLight4::SetParam(const SFltLight &ALight, int32_t X, int32_t Y)
{
    const int32_t M = std::max(X, Y);
    // An Integer product, then a floating division.
    FR = float((long double)mulWrap(ALight.color.R, ALight.power) / 100);
    FG = float((long double)mulWrap(ALight.color.G, ALight.power) / 100);
    FB = float((long double)mulWrap(ALight.color.B, ALight.power) / 100);
    FRange = float(100.0L / mulWrap(ALight.range, M));
    FX = float((long double)X * ALight.posx);
    FY = float((long double)Y * ALight.posy);
    FZ = float((long double)mulWrap(ALight.posz, M) / 100);
}

bool TLight4::CalcPixel(int32_t &R, int32_t &G, int32_t &B, int32_t X, int32_t Y) const
{
    const long double dx = (long double)FX - X, dy = (long double)FY - Y;
    const float d = float(std::sqrt(dx * dx + dy * dy + (long double)FZ * FZ));
    const float n = float((long double)d * FRange);
    if (n >= 1) {
        zero(R, G, B);
        return false;
    }
    if (n > 0) {
        const long double f = Attenuate(n);
        R = truncAmount(FR * f);
        G = truncAmount(FG * f);
        B = truncAmount(FB * f);
    } else {
        R = truncAmount(FR);
        G = truncAmount(FG);
        B = truncAmount(FB);
    }
    return true;
}

bool TLight4::CalcPixelPreview(int32_t &R, int32_t &G, int32_t &B, int32_t X, int32_t Y) const
{
    return TLight4::CalcPixel(R, G, B, X, Y);
}

// ---------------------------------------------------------------------------------------------
// The directed lights

void TDirLight4::SetParam(const SFltLight &ALight, int32_t X, int32_t Y)
{
    TLight4::SetParam(ALight, X, Y);
    const long double theta = ALight.theta, phi = ALight.phi;
    FU = float(std::cos(theta) * std::sin(phi));
    FV = float(std::sin(theta) * std::sin(phi));
    FW = float(-std::cos(phi));
    FWide = float(1.0L / (1.0L - std::cos((long double)ALight.wide / 2 * kPi / 180)));
}

bool TDirLight4::CalcPixel(int32_t &R, int32_t &G, int32_t &B, int32_t X, int32_t Y) const
{
    const float dx = float((long double)FX - X), dy = float((long double)FY - Y);
    if (dx == 0 && dy == 0 && FZ == 0) {
        zero(R, G, B);
        return false;
    }
    const float d =
        float(std::sqrt((long double)dx * dx + (long double)dy * dy + (long double)FZ * FZ));
    const float n = float((long double)d * FRange);
    const float dot =
        float(((long double)dx * FU + (long double)dy * FV + (long double)FW * FZ) / d);
    const float c = float(((long double)dot + 1) * FWide);
    if (n >= 1 || c >= 1) {
        zero(R, G, B);
        return false;
    }
    const long double f = Filter(n, c);
    R = truncAmount(FR * f);
    G = truncAmount(FG * f);
    B = truncAmount(FB * f);
    return true;
}

TWarmLight::TWarmLight(const SFltLight &ALight, int32_t X, int32_t Y)
{
    SetParam(ALight, X, Y);
}

float TWarmLight::Filter(float Distance, float DotProduct) const
{
    const long double rim = 1.0L - (long double)DotProduct * DotProduct;
    // The cone value lies in [0, 1) here, so the base is never negative.
    return float(std::cos((long double)Distance * kPi / 2) * std::pow(std::max(rim, 0.0L), 1.2L));
}

TSpotLight::TSpotLight(const SFltLight &ALight, int32_t X, int32_t Y)
{
    SetParam(ALight, X, Y);
}

float TSpotLight::Filter(float Distance, float DotProduct) const
{
    const long double p = DotProduct;
    long double a;
    if (p < 0.9L)
        a = 1.0L - p * (2.0L / 9.0L); // 0.8 at 0.9
    else if (p < 0.95L)
        a = 11.6L - p * 12; // 0.8 down to 0.2
    else
        a = 4.0L - p * 4; // 0.2 down to 0 at 1
    return float(std::cos((long double)Distance * kPi / 2) * a);
}

// ---------------------------------------------------------------------------------------------
// Choosing the model

bool isValidLight(const SFltLight &light)
{
    if (light.kind < flkPoint || light.kind >= flkMaxNum || light.range <= 0)
        return false;
    if (!std::isfinite(light.posx) || !std::isfinite(light.posy) || !std::isfinite(light.theta) ||
        !std::isfinite(light.phi))
        return false;
    if (light.kind == flkPoint)
        return true;
    if (light.wide <= 0)
        return false;
    const long double den = 1.0L - std::cos((long double)light.wide / 2 * kPi / 180);
    return den != 0 && std::isfinite(float(1.0L / den));
}

std::unique_ptr<TLight4> createLightModel(const SFltLight &light, int32_t X, int32_t Y)
{
    if (!isValidLight(light) || X < 1 || Y < 1)
        return nullptr;
    // The reach: an Integer product that must stay positive.
    if (mulWrap(light.range, std::max(X, Y)) <= 0)
        return nullptr;
    switch (light.kind) {
    case flkPoint:
        return std::make_unique<TLight4>(light, X, Y);
    case flkWarm:
        return std::make_unique<TWarmLight>(light, X, Y);
    case flkSpot:
        return std::make_unique<TSpotLight>(light, X, Y);
    default:
        return nullptr;
    }
}
