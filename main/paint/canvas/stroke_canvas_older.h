// A document-free target for strokes of the older engines: one layer and its flow image (with the
// coverage channel of alpha painting), standing in for the document so that tests, tools and
// benchmarks can draw a list of samples with the version-4 manager or the level-1 draw procedure.
//
// It follows the document's sequences for those levels. At the begin the flow image takes the
// layer's pixels and the stroke context gets plain puts (the colour put keeps the layer's
// transparency when the stroke protects it, else composes over). Level 4: the manager is reset and
// started; each sample is added and drawn (stroker). Level 1: the stroke starts on the flow image;
// each sample goes into the stroke's history and the segment between its two newest smoothed
// samples is drawn (TStroke::DrawLine), pressures through the stroke's gamma. After every step,
// coverage painted into the channel is laid onto the flow image over the step's box (the stroke's
// colour at its opacity; the second blur from the layer). At the end the stroke's box of the flow
// image is copied into the layer and the coverage is cleared. Nothing here reads a clock: the same
// samples give the same pixels.
#pragma once

#include "core/tiles/block_layer_image.h"
#include "paint/canvas/stroke_canvas_base.h"
#include "paint/stroke/stroke_data.h"
#include "paint/stroke/stroke_placement4.h"

#include <cstdint>
#include <span>

class CStrokeMngr;
class TStroke;

class CStrokeCanvasOlder : public CStrokeCanvasBase, public IStrokePaper4
{
  public:
    // A w x h layer filled with fill (an sBGRA value), placed at layer view position viewPos:
    // layer pixel = paper position + viewPos.
    CStrokeCanvasOlder(int32_t w, int32_t h, uint32_t fill, sPos viewPos = {});

    TMTC &layer() { return m_layer; }
    const TMTC &layer() const { return m_layer; }
    // Replays of an event file of that version (for the watercolour rule of old files).
    void setEventPlaying(bool playing, int32_t fileVersion = 0)
    {
        m_playing = playing;
        m_fileVersion = fileVersion;
    }

    // The level-4 sequence (samples in paper coordinates). strokeBegin4 answers the manager's
    // start; strokeEnd4 the whole stroke's box (paper coordinates).
    bool strokeBegin4(CStrokeMngr &mngr, TStroke &stroke, const SStrokeData &sd);
    void strokeAdd4(CStrokeMngr &mngr, TStroke &stroke, const SStrokeData &sd);
    sBox strokeEnd4(CStrokeMngr &mngr, TStroke &stroke);
    // Begin at the first sample, add the others, end. False (nothing drawn) for no samples or
    // when the stroke does not start.
    bool drawStroke4(CStrokeMngr &mngr, TStroke &stroke, std::span<const SStrokeData> samples);

    // The level-1 sequence.
    void strokeBegin1(TStroke &stroke, const SStrokeData &sd);
    void strokeAdd1(TStroke &stroke, const SStrokeData &sd);
    sBox strokeEnd1(TStroke &stroke);
    bool drawStroke1(TStroke &stroke, std::span<const SStrokeData> samples);

    bool isPaintLevel5() const override { return false; }

    // IStrokePaper4
    const CBlockVMTC *layerImage(int32_t) const override { return &m_layerImage; }
    int32_t playEventFileVersion() const override { return m_fileVersion; }

  private:
    // The flow image takes the layer and the tiled copy the blurs read is refreshed.
    void beginFlow();
    void endFlow(const sBox &paperBox, bool clearCoverage);
    // The coverage of a paper box laid onto the flow image: the stroke's colour at its opacity,
    // or (blur2) the layer blurred by it.
    void layCoverage(const TStroke &stroke, const sBox &paperBox, bool blur2);
    bool usesCoverage1(const TStroke &stroke) const;

    CBlockVMTC m_layerImage;
    int32_t m_fileVersion = 0;
};
