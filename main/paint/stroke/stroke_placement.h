// The version-5 stroke manager: turns the samples of one stroke into dabs. Each sample is
// smoothed (CSmoother), the newest span through the smoothed samples is interpolated
// (CInterpolater), and dabs are walked along it at the spacing of the nib, carrying the distance
// left over from one segment to the next, then handed to the version-5 renderer, which paints them
// into the document's flow image.
//
// Calling order (the document's): reset(layer, flow, paper, stroke), start(first sample); for each
// further sample add(sample), then (setTarget, setObject(stroke, true) and) stroker, then
// getUpdateBox; at the end getUpdateAllBox, the flow image is blended into the layer,
// clearFlowAlpha(box, false), endStroke. A sample of pressure 0 ends the stroke: it is added
// smooth + 1 times, each followed by stroker, so that the smoothing window runs out to the last
// position.
#pragma once

#include "core/base/geometry.h"
#include "paint/stroke/stroke_data.h"
#include "paint/brush/stroke_param.h"
#include "paint/stroke/stroke_smoothing.h"

#include <cstdint>
#include <functional>

class CPenRender5;
class IStrokeFlow;
class IStrokePaper;
class TStroke;

// The rectangle (x - w - 2, y - h - 2, x + w + 2, y + h + 2) of a dab at (x, y) reaching w, h.
sRect dabUpdateRect(const sPos &pos, const sSize &size);
// A rectangle as a box with even origin and even far edge: x := x0 with bit 0 cleared, far edge
// := (x1 + 1) with bit 0 cleared, width := far edge - x; the same on y.
sBox evenUpdateBox(const sRect &r);

// What the version-4 and version-5 managers share.
// p ^ g with p kept in 0..1 (in extended precision); a result that is no pressure (a negative g at
// p = 0) is held there.
float pressurePow(float p, float g);
// A manager's update rectangles taking r: both := r before the stroke's first dab (noDabYet),
// updt := r at the first dab of a stroker call (firstOfCall), both grown by r otherwise.
void addStrokeUpdateRect(sRect &updt, sRect &updtAll, const sRect &r, bool noDabYet,
                         bool firstOfCall);
// A manager's layer after a reset: the paper's active layer for idx < 0 (current without a
// paper), idx when it is a layer of the paper or there is no paper, else current.
int32_t resetLayerIndex(const IStrokePaper *pa, int32_t idx, int32_t current);

class CStrokeMngr5
{
  public:
    // No paper or flow; the stroke and renderer are not owned (either may be null); layer
    // index -1; default stroke parameters; B-spline interpolation, smoothing level 0.
    CStrokeMngr5(TStroke *strk, CPenRender5 *pr);

    // Sets the stroke and hands it to the renderer.
    void setObject(TStroke *strk, bool inDraw);
    void setRender(CPenRender5 *pr);
    // Sets flow image and paper, and the renderer's paper.
    void setTarget(IStrokeFlow *flw, IStrokePaper *pa);
    void setParam(const SStrokeParam &param) { strokeParam = param; }
    void getParam(SStrokeParam &param) const { param = strokeParam; }

    // setTarget, reset(idx), setObject(strk, true); the result of reset(idx).
    bool reset(int32_t idx, IStrokeFlow *flw, IStrokePaper *pa, TStroke *strk);
    // Counters 0, no direction yet, both update rectangles empty, no residue, the interpolator
    // emptied; the layer := the paper's active layer for idx < 0, idx when it is a layer of the
    // paper, else unchanged. True.
    bool reset(int32_t idx);

    // Sample positions beyond 65536 pixels from the origin are held at that distance; a sample
    // with a value that is not a finite number is ignored (start answers false).
    // Begins a stroke at sd (paper coordinates): smoothing level and interpolation from the
    // parameters, both queues filled with sd, pen progress 0, the stroke synchronised, and the
    // renderer's stroke start on the flow image. False, and nothing is drawn until the next
    // start, when the smoothing window cannot be had.
    bool start(const SStrokeData &sd);
    // Smooths sd in; the smoothed sample goes to the interpolator. Ignored before a start.
    void add(const SStrokeData &sd);
    // Places and renders the dabs of the newest span, once per sample taken by add.
    void stroker();

    // The area touched by the last stroker call / by the whole stroke (paper coordinates).
    void getUpdateBox(sBox &box) const { box = evenUpdateBox(updtRect); }
    void getUpdateAllBox(sBox &box) const { box = evenUpdateBox(updtRectAll); }
    // Zeroes the box (or, without one, all) of the flow's coverage channel when the renderer
    // paints coverage or force is set.
    void clearFlowAlpha(const sBox *box, bool force);
    void endStroke();
    // The stroke's opacity into the parameters, the stroke's colours into the renderer.
    void syncStroke();
    // The newest sample as added; false before any start.
    bool getLast(SStrokeData &sd) const;

    // Taken at the next start. A negative or unchanged level is refused (false).
    int32_t getSmoothLevel() const { return strokeParam.smooth; }
    bool setSmoothLevel(int32_t l);
    eInterpolateType getInterpolateType() const { return strokeParam.interpolateType; }
    bool setInterpolateType(eInterpolateType t);

    // Called with every dab before it is rendered: its position (layer coordinates) and opacity
    // factor, and its radius. Tools and tests list the dabs through it.
    using DabObserver = std::function<void(const SStrokeData &locus, float radius)>;
    void setDabObserver(DabObserver observer) { m_dabObserver = std::move(observer); }

    TStroke *getStroke() const { return Fstroke; }
    CPenRender5 *getRender() const { return FPenRender; }
    // State of the stroke in progress.
    int32_t getLayerIndex() const { return layerIdx; }
    int32_t getPenCount() const { return penCount; }
    int32_t getPenPutCount() const { return penPutCount; }
    float getResidueDist() const { return FResidueDist; }
    const sRect &getUpdateRect() const { return updtRect; }
    const sRect &getUpdateRectAll() const { return updtRectAll; }

  private:
    struct SWalkPoint
    {
        float x, y, p;
    };
    void drawSegment(const SStrokeData &a, const SStrokeData &b);
    // The rectangle of a dab or segment start: sets both rectangles before the stroke's first dab,
    // restarts updtRect at the first dab of a stroker call, grows them otherwise.
    void addUpdateRect(const sRect &r);
    float dabRadius(float p, float r, float rmin) const;
    float dabSpacing(float radius) const;
    void drawDab(const SWalkPoint &at, float radius);

    IStrokePaper *Fpaper = nullptr;
    IStrokeFlow *Fflow = nullptr;
    TStroke *Fstroke = nullptr;
    CPenRender5 *FPenRender = nullptr;
    SStrokeParam strokeParam;
    sRect updtRect, updtRectAll;
    int32_t layerIdx = -1;
    sFPos lastPos;
    int32_t penCount = 0;
    int32_t penPutCount = 0;
    bool bDirW = false;
    int32_t bDirWold = -1;
    CSmoother FSmoother{0};
    CInterpolater FInterpolater{eInterpolateType::iptBSpline};
    float FResidueDist = 0;
    bool isFirst = false;
    DabObserver m_dabObserver;
    bool m_spanPending = false; // add took a sample that stroker has not drawn yet
};
