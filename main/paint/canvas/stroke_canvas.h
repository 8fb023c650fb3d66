// A document-free target for version-5 strokes: one layer image and its flow image (with the
// coverage channel of alpha painting), standing in for the document and its work image so that a
// stroke can be drawn from a list of samples by tests, tools and benchmarks.
//
// It follows the document's version-5 stroke sequence: at the begin the flow image holds the
// layer's pixels (it stays bound to the layer from stroke to stroke), the manager is reset and
// started and the stroke context gets plain puts (the colour put keeps the layer's transparency
// when the stroke protects it, else composes over); each sample is added and drawn, a sample of
// pressure 0 smooth + 1 times; at the end the touched box of the flow image is copied into the
// layer and the coverage is cleared. Coverage painted by an alpha-painting method is laid onto the
// flow image in the stroke's colour at the stroke's opacity after every step. Nothing here reads a
// clock: the same samples give the same pixels.
#pragma once

#include "paint/canvas/stroke_canvas_base.h"
#include "paint/stroke/stroke_data.h"

#include <cstdint>
#include <span>

class CStrokeMngr5;
class TStroke;

class CStrokeCanvas : public CStrokeCanvasBase
{
  public:
    // A w x h layer filled with fill (an sBGRA value), placed at layer view position viewPos:
    // layer pixel = paper position + viewPos.
    CStrokeCanvas(int32_t w, int32_t h, uint32_t fill, sPos viewPos = {});

    // Changing the layer through this reference is seen by the next stroke (its begin then loads
    // the flow image from the layer again).
    TMTC &layer()
    {
        m_flowStale = true;
        return m_layer;
    }
    const TMTC &layer() const { return m_layer; }
    void setEventPlaying(bool playing) { m_playing = playing; }

    // The level-5 stroke sequence of the document (samples in paper coordinates). strokeBegin
    // answers the manager's start; strokeEnd the whole stroke's box (paper coordinates).
    bool strokeBegin(CStrokeMngr5 &mngr, TStroke &stroke, const SStrokeData &sd);
    void strokeAdd(CStrokeMngr5 &mngr, TStroke &stroke, const SStrokeData &sd);
    sBox strokeEnd(CStrokeMngr5 &mngr, TStroke &stroke);
    // Begin at the first sample, add the others, add a lifted pen at the last position, end.
    // False (nothing drawn) for no samples or when the stroke does not start.
    bool drawStroke(CStrokeMngr5 &mngr, TStroke &stroke, std::span<const SStrokeData> samples);

    bool isPaintLevel5() const override { return true; }

  private:
    void drawStep(CStrokeMngr5 &mngr, TStroke &stroke);
    void layCoverage(const TStroke &stroke, const sBox &paperBox);

    bool m_flowStale = false;
};
