// Brush strokes through the document: the begin / add / end operations of each paint level (the
// document window calls those of its document's level; the event player calls the same with undo
// false), their draw procedures, showing each step at once, alpha painting through the flow
// image's coverage channel, the paint levels and their stroke managers, and the document's
// gradient evaluator that the gradient puts read.
//
// Positions are paper coordinates (Single), pressures 0..1; boxes handed in and out are paper
// boxes unless named layer boxes. The begin of a stroke that cannot load the flow image or start
// its manager returns false, records nothing, and its adds and end then do nothing until the next
// begin. With undo the stroke's packets are held by the recorder's withdraw guard from the begin to
// the end: the end stocks the layer box for undo, copies the flow image into the layer, records
// the end, and withdraws the whole stroke when the copy fails.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"
#include "document/paper/paper.h"
#include "paint/brush/paint_modes.h"

#include <cstdint>
#include <functional>

class CColorSlotGroup;
class IPaperOwner;
class TFlowImage;
class TPaper;
class TStroke;
struct SGradAttr;

// ---- strokes, levels 1 and 2
bool eventStrokeBegin(TPaper &paper, TFlowImage &flow, TStroke &stroke, float x, float y, float p,
                      bool undo);
// The same starting the stroke as the replay of older event data does (InitBeginStrokeOld).
bool EventStrokeBeginOld(TPaper &paper, TFlowImage &flow, TStroke &stroke, float x, float y,
                         float p, bool undo);
void EventStrokeAdd(TPaper &paper, TFlowImage &flow, TStroke &stroke, float mx, float my,
                    float Press, IPaperOwner *handle, bool undo);
// box: the whole stroke's paper box. False when no stroke runs or the pixels could not be copied.
bool EventStrokeEnd(TPaper &paper, TFlowImage &flow, TStroke &stroke, IPaperOwner *handle,
                    sBox &box, bool undo);

// ---- strokes, level 4 (the version-4 manager)
bool eventStrokeBegin4(TPaper &paper, TFlowImage &flow, TStroke &stroke, float x, float y, float p,
                       bool undo);
void eventStrokeAdd4(TPaper &paper, TFlowImage &flow, TStroke &stroke, float x, float y, float p,
                     IPaperOwner *handle, bool undo);
bool eventStrokeEnd4(TPaper &paper, TFlowImage &flow, TStroke &stroke, IPaperOwner *handle,
                     sBox &box, bool undo);

// ---- strokes, level 5 (the version-5 manager); a point of pressure 0 is drawn smooth + 1 times
bool eventStrokeBegin5(TPaper &paper, TFlowImage &flow, TStroke &stroke, float x, float y, float p,
                       bool undo);
void eventStrokeAdd5(TPaper &paper, TFlowImage &flow, TStroke &stroke, float x, float y, float p,
                     IPaperOwner *handle, bool undo);
bool eventStrokeEnd5(TPaper &paper, TFlowImage &flow, TStroke &stroke, IPaperOwner *handle,
                     sBox &box, bool undo);

// ---- the draw procedures (one per added point) and the installed one
void Draw(TPaper &paper, TFlowImage &flow, TStroke &stroke);
void Draw2(TPaper &paper, TFlowImage &flow, TStroke &stroke);
void Draw4(TPaper &paper, TFlowImage &flow, TStroke &stroke);
void Draw5(TPaper &paper, TFlowImage &flow, TStroke &stroke);
void drawInstalledProc(TPaper &paper, TFlowImage &flow, TStroke &stroke);

// Called with every dab Draw2 puts: the draw mode, the position (flow-image coordinates), the size
// and the alpha. For tests and tools; returns the previous observer.
using Draw2DabObserver =
    std::function<void(TDrawMode mode, float x, float y, float size, float alpha)>;
Draw2DabObserver setDraw2DabObserver(Draw2DabObserver observer);
// The minimum size factor of Draw2 for mode: the table's, or the pen minimum / 100 where the
// table gives none or the stroke carries a version.
float draw2MinimumFactor(TDrawMode mode, const TStroke &stroke);

// ---- showing a step and alpha painting
// effectAlphaPaint, then the box (clipped to the display image) recomposed with the flow image
// as the stroke's layer, the zoom caches refreshed over it and the box painted in wnd.
void showStrokePart(TPaper &paper, TFlowImage &flow, IPaperOwner *wnd, const sBox &box,
                    TStroke &stroke);
// Levels 1 and 2: DM_PEN or DM_BLUR2; levels 4 and 5: the active renderer paints coverage.
bool isUsingAlphaPaint(const TPaper &paper, const TStroke &stroke);
// With alpha painting the box (a paper box) of the flow image is rebuilt from the layer and the
// coverage by the level's procedure; answers whether alpha painting is used.
bool effectAlphaPaint(TPaper &paper, TFlowImage &flow, TStroke &stroke, const sBox &box);
// The layer box lbox of the flow image := the layer's, then the stroke colour (or the document
// gradient) through the coverage at the stroke's opacity.
void flowBltAlphaStd(TPaper &paper, TFlowImage &flow, TStroke &stroke, const sBox &lbox);
// Level 2's: by draw mode (DM_PEN std, DM_BLUR2 the second blur, others nothing); level 4's: std.
void flowBltAlphaQZ2(TPaper &paper, TFlowImage &flow, TStroke &stroke, const sBox &lbox);
void flowBltAlphaQZ4(TPaper &paper, TFlowImage &flow, TStroke &stroke, const sBox &lbox);
// The layer box, then the layer mode's background colour through the coverage at the stroke's
// opacity, erasing alpha unless the stroke protects transparency.
void flowBltAlphaEraseMask(TPaper &paper, TFlowImage &flow, TStroke &stroke, const sBox &lbox);
// The second blur over the layer box, weighted by the coverage.
void flowBltAlphaBlur2(TPaper &paper, TFlowImage &flow, TStroke &stroke, const sBox &lbox);

// ---- paint levels
void changeDrawProc(TPaper &paper, eDrawProc fn, ePaintLevel lv);
void setDrawProcLevel1(TPaper &paper);
void setDrawProcLevel2(TPaper &paper);
void setDrawProcLevel4(TPaper &paper);
void setDrawProcLevel5(TPaper &paper);
bool switchPaintLevel(TPaper &paper, ePaintLevel level);
bool startPaintModeQZ5(TPaper &paper);
void closePaintModeQZ5(TPaper &paper);
bool changePaintModeQZ1toQZ2(TPaper &paper);
void dispatchStrokeMngr(TPaper &paper, bool act);
void syncStroke(TPaper &paper);
void resetStrokeManagers(TPaper &paper);
void setActiveObject(TPaper &paper);

// ---- the document gradient
void setGradation(TPaper &paper, sPos p0, sPos p1);
void setGradation(TPaper &paper, sFPos p0, sFPos p1);
void setGradationFX(TPaper &paper, sFXPos p0, sFXPos p1);
void getGradationFX(const TPaper &paper, sFXPos &p0, sFXPos &p1);
void getGradType(const TPaper &paper, SGradAttr &attr);
bool setGradType(TPaper &paper, int32_t gt, int32_t gm, int32_t gr, int32_t rep);
bool dispatchGradType(TPaper &paper);
bool dispatchDefaultGradType(TPaper &paper);
const CColorSlotGroup *getCurGradColorGroup(const TPaper &paper);
// Binds the current colour group (getCurGradColorGroup) to the document gradient, keeping its
// type; without one the gradient keeps its group.
void bindCurGradColorGroup(TPaper &paper);
sRGBA calcGradColor(const TPaper &paper, sPos pos);
