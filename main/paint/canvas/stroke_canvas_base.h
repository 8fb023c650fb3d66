// What the document-free stroke targets share (CStrokeCanvas for version 5, CStrokeCanvasOlder for
// the older engines): a w x h layer, its flow image and the coverage channel of alpha painting,
// placed at a layer view position; the paper and flow answers of a one-layer document; and the
// plain puts and the end of a managed stroke.
#pragma once

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "paint/stroke/stroke_data.h"
#include "paint/stroke/stroke_host.h"

#include <cstdint>

class TStroke;

class CStrokeCanvasBase : public IStrokePaper, public IStrokeFlow
{
  public:
    const TMTC &layer() const { return m_layer; }
    void setLayerMode(TLayerMode lm) { m_layerMode = lm; }
    void setPenShapeObj(CPenShapeObj *obj) { m_shape = obj; }

    // IStrokeFlow
    TMTC &flowImage() override { return m_flow; }
    TChannel *flowAlpha() override { return &m_alpha; }
    sPos flowViewPos() const override { return m_viewPos; }

    // IStrokePaper (all but the paint level)
    TLayerMode strokeLayerMode() const override { return m_layerMode; }
    uint32_t selectionAlpha(int32_t, int32_t, uint32_t a) const override { return a; }
    int32_t ActiveLayer() const override { return 0; }
    int32_t MaxLayer() const override { return 0; }
    CPenShapeObj *GetActivePenShapeObj() const override { return m_shape; }
    sPos layerViewPos(int32_t) const override { return m_viewPos; }
    bool isEventPlaying() const override { return m_playing; }

  protected:
    // The layer filled with fill (an sBGRA value), the flow image a copy of it, no coverage.
    CStrokeCanvasBase(int32_t w, int32_t h, uint32_t fill, sPos viewPos);

    // Paper box to layer coordinates, clipped to the layer; false when nothing is left.
    bool layerBox(sBox &box) const;
    // The stroke context gets plain puts (no selection, screentone or gradient); the colour put
    // keeps the layer's transparency when the stroke protects it, else composes over.
    static void preparePuts(const TStroke &stroke);
    // The start of a manager's stroke: the manager reset onto this canvas with the stroke and
    // started at sd, then the plain puts. False (puts untouched) when it does not start.
    template <class Mngr>
    bool startManagedStroke(Mngr &mngr, TStroke &stroke, const SStrokeData &sd)
    {
        mngr.reset(ActiveLayer(), this, this, &stroke);
        if (!mngr.start(sd)) {
            return false;
        }
        preparePuts(stroke);
        return true;
    }
    // A manager's step after a sample was added: the manager bound again and its dabs drawn; when
    // its renderer paints coverage, lay(box) gets the step's box (paper coordinates).
    template <class Mngr, class Lay> void drawManagedStep(Mngr &mngr, TStroke &stroke, Lay lay)
    {
        mngr.setTarget(this, this);
        mngr.setObject(&stroke, true);
        mngr.stroker();
        if (mngr.getRender() && mngr.getRender()->isEnbRender1()) {
            sBox box;
            mngr.getUpdateBox(box);
            lay(box);
        }
    }
    // The end of a manager's stroke: the whole stroke's box of the flow image copied into the
    // layer, its coverage cleared, the manager's stroke ended. Answers the box (paper coordinates).
    template <class Mngr> sBox endManagedStroke(Mngr &mngr)
    {
        sBox box;
        mngr.getUpdateAllBox(box);
        sBox lbox = box;
        if (layerBox(lbox)) {
            m_layer.copyArea(m_flow, lbox.pos(), lbox);
            mngr.clearFlowAlpha(&lbox, false);
        }
        mngr.endStroke();
        return box;
    }

    TMTC m_layer;
    TMTC m_flow;
    TChannel m_alpha;
    sPos m_viewPos;
    TLayerMode m_layerMode = TLayerMode::LM_STD;
    CPenShapeObj *m_shape = nullptr;
    bool m_playing = false;
};
