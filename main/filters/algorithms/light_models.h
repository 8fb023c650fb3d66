// The light models of the lighting filter: given one SFltLight and the size of the area to light,
// the red, green and blue amounts a light adds to any pixel of that area. The pixel function,
// the dialog's thumbnail and its side view all call the same virtual CalcPixel, so that what is
// previewed is what is applied.
//
// Fields are Singles and every quantity the model stores or compares is rounded to a Single as it
// is computed; the amounts handed out are truncated.
#pragma once

#include "document/events/filter_records.h"

#include <cstdint>
#include <memory>

// The point light: round, falling off with the 3-D distance from the light.
class TLight4
{
  public:
    TLight4() = default;
    TLight4(const SFltLight &ALight, int32_t X, int32_t Y);
    virtual ~TLight4() = default;

    // cos(n pi / 2)^2 as a Single: 1 at the light, 0 at its reach.
    virtual float Attenuate(float n) const;
    // The per-light constants for an area of X x Y pixels.
    virtual void SetParam(const SFltLight &ALight, int32_t X, int32_t Y);
    // The amounts for pixel (X, Y) of the area; false (and zeros) where the light does not reach.
    virtual bool CalcPixel(int32_t &R, int32_t &G, int32_t &B, int32_t X, int32_t Y) const;
    // The point light of TLight4::CalcPixel, whatever the class.
    bool CalcPixelPreview(int32_t &R, int32_t &G, int32_t &B, int32_t X, int32_t Y) const;

    float FR = 0, FG = 0, FB = 0; // colour amounts
    float FX = 0, FY = 0, FZ = 0; // light position in pixels
    float FRange = 0;             // 1 / reach in pixels
};

// A light with an axis and a cone.
class TDirLight4 : public TLight4
{
  public:
    TDirLight4() = default;
    void SetParam(const SFltLight &ALight, int32_t X, int32_t Y) override;
    bool CalcPixel(int32_t &R, int32_t &G, int32_t &B, int32_t X, int32_t Y) const override;
    // The fall-off by normalised distance and by cone value (0 on the axis, 1 at the rim).
    virtual float Filter(float Distance, float DotProduct) const = 0;

    float FU = 0, FV = 0, FW = -1; // unit axis, pointing down
    float FWide = 0;               // 1 / (1 - cos(half cone angle))
};

// Smooth from the axis to the rim.
class TWarmLight : public TDirLight4
{
  public:
    TWarmLight() = default;
    TWarmLight(const SFltLight &ALight, int32_t X, int32_t Y);
    float Filter(float Distance, float DotProduct) const override;
};

// Nearly even inside the cone, with a sharp rim.
class TSpotLight : public TDirLight4
{
  public:
    TSpotLight() = default;
    TSpotLight(const SFltLight &ALight, int32_t X, int32_t Y);
    float Filter(float Distance, float DotProduct) const override;
};

// Whether a light record can be modelled: kind 0..2, range above 0, a finite Single everywhere and,
// for the warm and spot kinds, a cone above 0 degrees whose factor is finite. (A range of 0 or a
// cone of 0 would divide by zero.)
bool isValidLight(const SFltLight &light);
// The model of the light's kind for an area of X x Y pixels (X, Y at least 1); nullptr when
// isValidLight fails or the area is empty.
std::unique_ptr<TLight4> createLightModel(const SFltLight &light, int32_t X, int32_t Y);
