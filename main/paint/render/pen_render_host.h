// What the version-5 dab renderer needs of the stroke it paints for and of the document it
// paints on. The stroke object implements IPenRenderStroke; the document installs an
// IPenRenderPaper (the document library sits above this one). Tests and tools use small fakes.
#pragma once

#include "core/pixel/blend_modes.h"
#include "core/pixel/pixel.h"

#include <cstdint>

// The watercolour mixing state a stroke keeps between dabs.
struct SWaterColorWork
{
    sBGRA firstCol{};    // the colour picked up at the stroke start
    sBGRA blendCol[2]{}; // the base mixing colour, then the current mixing colour
    sfRGBA penCol{};     // the running picked-up colour (channels 0..255 as Singles)
};

class IPenRenderStroke
{
  public:
    virtual ~IPenRenderStroke() = default;
    // The draw and background colours (sBGRA values).
    virtual uint32_t strokeDrawColor() const = 0;
    virtual uint32_t strokeBgColor() const = 0;
    // The stroke opacity 0.01..1.
    virtual float strokeOpaque() const = 0;
    // Pressure changes the opacity.
    virtual bool strokePenIfTrans() const = 0;
    // How far the stroke has run, in pixels.
    virtual float strokePenProgress() const = 0;
    // The stroke keeps the layer's transparency (paints only where there is alpha).
    virtual bool strokeProtectsTransparency() const = 0;
    virtual SWaterColorWork &strokeWaterColor() = 0;
};

class IPenRenderPaper
{
  public:
    virtual ~IPenRenderPaper() = default;
    // The document's active paint level is the version-5 one.
    virtual bool isPaintLevel5() const = 0;
    // The blend mode of the layer under the stroke.
    virtual TLayerMode strokeLayerMode() const = 0;
    // a (0..255) scaled by the document's selection mask at the pixel (x, y) of the active layer
    // (the mask is read at (x, y) plus its view position minus the layer's); a itself when the
    // document has no selection.
    virtual uint32_t selectionAlpha(int32_t x, int32_t y, uint32_t a) const = 0;
};
