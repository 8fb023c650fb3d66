// What the stroke object and the version-5 stroke manager need of the document they paint on and
// of its flow image. The document library (above this one) implements both; tests, tools and
// benchmarks use CStrokeCanvas (paint/canvas/stroke_canvas.h), which stands in for a one-layer document.
#pragma once

#include "core/base/geometry.h"
#include "paint/render/pen_render_host.h"

#include <cstdint>

class CPenShapeObj;
class TChannel;
class TMTC;

class IStrokePaper : public IPenRenderPaper
{
  public:
    // The index of the active layer; the highest layer index (count - 1).
    virtual int32_t ActiveLayer() const = 0;
    virtual int32_t MaxLayer() const = 0;
    // The nib in use: while the owner window replays events the one the player selected.
    virtual CPenShapeObj *GetActivePenShapeObj() const = 0;
    // The view position of layer idx: layer pixel = paper position + view position.
    virtual sPos layerViewPos(int32_t idx) const = 0;
    // The owner window replays recorded events.
    virtual bool isEventPlaying() const = 0;

    // A paper position to layer idx's coordinates, and back for an integer position.
    void convVramPosToLayerPos(int32_t idx, float &x, float &y) const
    {
        const sPos v = layerViewPos(idx);
        x = x + float(v.x);
        y = y + float(v.y);
    }
    void convLayerPosToVramPos(int32_t idx, sPos &pos) const
    {
        const sPos v = layerViewPos(idx);
        pos.x -= v.x;
        pos.y -= v.y;
    }
};

// The document window's work image, bound to the layer being painted.
class IStrokeFlow
{
  public:
    virtual ~IStrokeFlow() = default;
    // The 32-bit flow image the colour dabs go into (layer coordinates).
    virtual TMTC &flowImage() = 0;
    // The coverage channel of alpha painting, or nullptr.
    virtual TChannel *flowAlpha() = 0;
    // The image's offset on the paper.
    virtual sPos flowViewPos() const = 0;
};
