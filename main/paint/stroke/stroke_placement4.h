// The version-4 stroke manager: input samples pass a three-sample correction queue (CCorrect),
// then each new segment is walked pixel by pixel along its major axis and a dab is put every few
// steps, its radius and opacity taken from the pen pressure, into the version-4 renderer
// (CPenRender).
//
// It has the public operations, update rectangles and calling order of the version-5 manager
// (paint/stroke/stroke_placement.h): reset(layer, flow, paper, stroke), start(first sample); for each
// further sample add(sample), then (setTarget, setObject(stroke, true) and) stroker, then
// getUpdateBox; at the end getUpdateAllBox, the flow image is blended into the layer,
// clearFlowAlpha(box, false), endStroke.
#pragma once

#include "core/base/geometry.h"
#include "paint/stroke/stroke_data.h"
#include "paint/brush/stroke_param.h"

#include <array>
#include <cstdint>
#include <functional>

class CBlockVMTC;
class CPenRender;
class IStrokeFlow;
class IStrokePaper;
class TStroke;

// The input correction of version 4 (one byte).
enum class eCorrectType : uint8_t
{
    corRaw = 0, // the segment ends at the newest sample
    corAvr = 1, // the segment lags one sample and each corner is rounded by a mean
};

// What the version-4 manager asks of the document besides IStrokePaper. The document's paper
// implements both; the manager finds this one on the paper it is given (a paper without it
// gives the blur no layer image and counts as replaying nothing old).
class IStrokePaper4
{
  public:
    virtual ~IStrokePaper4() = default;
    // The tiled image of layer idx, which the blur reads; null when there is none.
    virtual const CBlockVMTC *layerImage(int32_t idx) const = 0;
    // The version of the event file the owner window replays (read while it replays).
    virtual int32_t playEventFileVersion() const = 0;
};

// Event files up to this version keep the stroke's own pressure-to-opacity switch for the
// watercolour dabs of a replay.
inline constexpr int32_t kOldWaterColorEventVersion = 33;

// Three samples, entry 0 the newest. The segment to draw runs from getP0 to getP1: entries 1 to 0
// with corRaw, entries 2 to 1 with corAvr, where entry 1 is the mean of its neighbours.
class CCorrect
{
  public:
    CCorrect() = default; // no queue yet, corAvr

    // True when the type changed.
    bool setType(eCorrectType t);
    eCorrectType getType() const { return genType; }
    // A zeroed queue, no samples counted. True.
    bool start();
    // The type is known and the queue exists.
    bool isEnable() const;
    // The first sample after start fills the whole queue (pressure 0); each later one shifts the
    // queue, is stored at entry 0 and, with corAvr, makes entry 1 the mean of entries 0 and 2.
    // Ignored while the queue is not usable.
    void add(const SStrokeData &sd);
    // Entry 0; the end and the start of the segment to draw. False when the queue is not usable.
    bool getLast(SStrokeData &sd) const;
    bool getP1(SStrokeData &sd) const;
    bool getP0(SStrokeData &sd) const;
    int32_t getCount() const { return count; }

  private:
    eCorrectType genType = eCorrectType::corAvr;
    bool started = false;
    std::array<SStrokeData, 3> dataAry{};
    int32_t count = 0;
};

class CStrokeMngr
{
  public:
    // No paper or flow; the stroke and renderer are not owned (either may be null); layer
    // index -1; default stroke parameters; correction corAvr.
    CStrokeMngr(TStroke *strk, CPenRender *pr);

    // Sets the stroke and hands it to the renderer.
    void setObject(TStroke *strk, bool inDraw);
    void setRender(CPenRender *pr);
    // Sets flow image and paper, and the renderer's paper.
    void setTarget(IStrokeFlow *flw, IStrokePaper *pa);
    void setParam(const SStrokeParam &param) { strokeParam = param; }
    void getParam(SStrokeParam &param) const { param = strokeParam; }

    // setTarget, reset(idx), setObject(strk, true); the result of reset(idx).
    bool reset(int32_t idx, IStrokeFlow *flw, IStrokePaper *pa, TStroke *strk);
    // Counters 0, no direction yet, both update rectangles empty; the layer := the paper's
    // active layer for idx < 0, idx when it is a layer of the paper, else unchanged. True.
    bool reset(int32_t idx);

    // Begins a stroke at sd (paper coordinates): the correction queue filled with sd, pen
    // progress 0, the stroke synchronised, the replayed nib taken while events replay, and the
    // renderer's stroke start on the flow image. False when the queue cannot be had.
    bool start(const SStrokeData &sd);
    // Adds a sample to the correction queue.
    void add(const SStrokeData &sd) { correcter.add(sd); }
    // Walks the newest segment and renders its dabs; the number of dabs drawn.
    int32_t stroker();

    // The area touched by the last stroker call / by the whole stroke (paper coordinates), as
    // boxes with even origin and far edge.
    void getUpdateBox(sBox &box) const;
    void getUpdateAllBox(sBox &box) const;
    // Zeroes the box (or, without one, all) of the flow's coverage channel when the renderer
    // paints coverage or force is set.
    void clearFlowAlpha(const sBox *box, bool force);
    void endStroke();
    // The stroke's opacity into the parameters, the stroke's colours into the renderer.
    void syncStroke();
    // The newest sample as added; false before any start.
    bool getLast(SStrokeData &sd) const { return correcter.getLast(sd); }

    eCorrectType getCorrection() const { return correcter.getType(); }
    bool setCorrection(eCorrectType t) { return correcter.setType(t); }

    // Called with every dab handed to the renderer: its sample (layer coordinates, opacity
    // factor) and radius. For tests and tools.
    using DabObserver = std::function<void(const SStrokeData &locus, float radius)>;
    void setDabObserver(DabObserver observer) { m_dabObserver = std::move(observer); }

    TStroke *getStroke() const { return Fstroke; }
    CPenRender *getRender() const { return penRender; }
    int32_t getLayerIndex() const { return layerIdx; }
    int32_t getPenCount() const { return penCount; }
    int32_t getPenPutCount() const { return penPutCount; }
    const sFPos &getLastPos() const { return lastPos; }
    const sRect &getUpdateRect() const { return updtRect; }
    const sRect &getUpdateRectAll() const { return updtRectAll; }

  private:
    // The rectangle of a dab or segment start: sets both rectangles before the stroke's first
    // dab, restarts updtRect at the first one of a stroker call, grows them otherwise.
    void addUpdateRect(const sRect &r);
    void drawDab(float x, float y, float radius, float factor);
    bool replaysOldWaterColor() const;

    IStrokePaper *Fpaper = nullptr;
    const IStrokePaper4 *Fpaper4 = nullptr;
    IStrokeFlow *Fflow = nullptr;
    TStroke *Fstroke = nullptr;
    CPenRender *penRender = nullptr;
    SStrokeParam strokeParam;
    CCorrect correcter;
    sRect updtRect, updtRectAll;
    int32_t layerIdx = -1;
    sFPos lastPos;
    int32_t penCount = 0;
    int32_t penPutCount = 0;
    bool bDirW = false;
    int32_t bDirWold = -1;
    bool isFirst = false;
    DabObserver m_dabObserver;
};
