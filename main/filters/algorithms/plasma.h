// The midpoint-displacement noise of the clouds and plasma filters: a channel of power-of-two
// size, grown from four seeded points by halving cells, each new point the rounded mean of four
// neighbours plus a draw of the seeded generator. Every level restarts the generator from the
// seed with a smaller amplitude, and every coordinate wraps, so the noise tiles seamlessly and the
// same seed gives the same channel.
#pragma once

#include "core/base/geometry.h"
#include "core/base/numeric.h"
#include "core/image/channel.h"

#include <cstdint>

class TPlasma
{
  public:
    TPlasma() = default;
    virtual ~TPlasma() = default;
    TPlasma(const TPlasma &) = delete;
    TPlasma &operator=(const TPlasma &) = delete;

    // The noise for an area of AWidth x AHeight (at least 1 x 1): a channel of the smallest
    // powers of two not below them. Contrast is RandValue (the amplitude of the first level).
    // An area of one pixel gives the first seed alone. False when the channel cannot be had.
    bool Generate(int32_t AWidth, int32_t AHeight, uint32_t Seed, float RandValue);
    const TChannel &channel1() const { return FChannel1; }

    // The steps written plainly, every coordinate wrapped as it is used: the oracle the tests
    // hold the row-wise steps to.
    bool plainSteps = false;

  protected:
    virtual void StepCentres();
    virtual void StepEdges();
    virtual bool Setup(int32_t AWidth, int32_t AHeight, float RandValue, uint32_t Seed);

    // Resized to FSize and filled with 128; false when it cannot be had.
    bool sizeChannel(TChannel &ch);
    // The amplitude of the current level: the generator restarts from the seed within it.
    void restartRand(long double amplitude);

    TChannel FChannel1;
    SRand FRand;
    int32_t FSkip = 0;
    int32_t FHalf = 0;
    sPos FMask;
    sSize FSize;
    int32_t FRandValue = 0;
    uint32_t FSeed = 0;
};

// Three channels; every point draws its three values in channel order 1, 2, 3.
class TPlasma3 : public TPlasma
{
  public:
    const TChannel &channel2() const { return FChannel2; }
    const TChannel &channel3() const { return FChannel3; }

  protected:
    void StepCentres() override;
    void StepEdges() override;
    bool Setup(int32_t AWidth, int32_t AHeight, float RandValue, uint32_t Seed) override;

    TChannel FChannel2;
    TChannel FChannel3;
};
