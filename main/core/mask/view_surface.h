// What core drawing code needs of a document window's view without knowing the window: how paper
// positions map to window pixels (zoom, rotation, mirroring), and a surface that takes single
// pixels. The document window implements both over its view and its client-sized screen surface
// and hands them down; tests use fakes.
#pragma once

#include "core/base/geometry.h"

#include <cstdint>

// The view of a document in a window.
class IViewTransform
{
  public:
    virtual ~IViewTransform() = default;
    // The display zoom; 1.0 at 100 %.
    virtual float GetZoomScale() const = 0;
    // Sine and cosine of the view rotation (0 and 1 for an unrotated view).
    virtual float viewSin() const = 0;
    virtual float viewCos() const = 0;
    // The view is mirrored left to right.
    virtual bool viewReversed() const = 0;
    // A paper position in window (client) pixels.
    virtual sPos convToViewPos(const sPos &paperPos) const = 0;
};

// The unrotated, unmirrored view at 100 % with the paper origin at the window origin.
class CIdentityView final : public IViewTransform
{
  public:
    float GetZoomScale() const override { return 1.0f; }
    float viewSin() const override { return 0.0f; }
    float viewCos() const override { return 1.0f; }
    bool viewReversed() const override { return false; }
    sPos convToViewPos(const sPos &paperPos) const override { return paperPos; }
};

// A window's screen surface taking single pixels. Colours are 0x00RRGGBB. Positions outside the
// surface are the surface's to ignore.
class IPixelSink
{
  public:
    virtual ~IPixelSink() = default;
    virtual void SetPixel(int32_t x, int32_t y, uint32_t color) = 0;
};
