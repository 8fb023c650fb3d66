// The gradient evaluator: the colour of a stop group at any canvas position, for a gradient that
// runs from a start point to an end point with a shape (linear, rotational, radial), a repetition
// and a mapping. The gradient tool, the older painting primitives, the gradient-map filter and the
// preset previews all draw through it.
//
// A position becomes a colour in four stages: its offset d from the start point gives t (0 at the
// start, 1 at the end for the linear and radial shapes, the fraction of a turn for the rotational
// one), the repetition folds t, the mapping reflects it, and the stop group's colour lookup takes
// t as a 16.16 position.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"
#include "paint/gradient/gradient_stops.h"

class TMTC;
class CGradation;

// The stages, chosen by setGradType.
using fptrGradCalc = float (*)(const CGradation &g, sFPos d);
using fptrGradRep = float (*)(const CGradation &g, float t);
using fptrGradMap = float (*)(float t);

// angle(v): atan2(v.y, v.x) / 2pi, plus 1 when negative, so in [0, 1); for v.x exactly 0 it is
// 0.25 when v.y >= 0, else 0.75.
float gradAngle(sFPos v);

class CGradation
{
  public:
    // Linear, from (0, 0) to (100, 0) pixels, gmNormal, grTimes, count 1, over crsg (not owned).
    explicit CGradation(const CColorSlotGroup *crsg);
    // The same between two 16.16 points.
    CGradation(sFXPos p0, sFXPos p1, const CColorSlotGroup *crsg);

    // setGradGroup, setPos (the present points, or the given ones), then setGradType(gt,
    // gmNormal, grTimes, 1), in that order: the unit size of a radial shape is taken under the
    // type in force before.
    bool init(int32_t gt, const CColorSlotGroup *crsg);
    bool init(int32_t gt, sFXPos p0, sFXPos p1, const CColorSlotGroup *crsg);
    void setGradGroup(const CColorSlotGroup *crsg) { crsGroup = crsg; }
    // False, changing nothing, unless gt is 0..2, gm 0..1, gr 0..1 and rep > 0. It does not
    // recompute the unit size: set the type before the points.
    bool setGradType(int32_t gt, int32_t gm, int32_t gr, int32_t rep);
    // Stores the 16.16 points and everything derived from them; the unit size follows the type
    // in force now (radial: the half-axes are the horizontal and vertical distances from start
    // to end; otherwise both the larger of them).
    void setPos(sFXPos p0, sFXPos p1);
    void getPosFX(sFXPos &p0, sFXPos &p1) const;

    // The colour at a pixel position (taken without a half-pixel offset) or a float position:
    // R, G, B and the stop opacity as 4th byte. A start point equal to the end point gives the
    // first stop's colour in the linear and radial shapes.
    sRGBA getColor(sPos pos) const;
    sRGBA getColor(sFPos pos) const;
    // The stage value t of a position before the lookup (for the tests and the filters).
    float evalPosition(sFPos pos) const;

    // Every pixel of the box (clipped to the canvas in place; false when nothing is left) gets
    // its colour in sBGRA order with the stop opacity as alpha, written directly.
    bool drawGradation(TMTC &tc, sBox *box) const;

    SGradAttr gradAttr;
    float rotUnit = 1; // 1 / repeat count
    fptrGradCalc fnCalc = nullptr;
    fptrGradRep fnRep = nullptr;
    fptrGradMap fnMap = nullptr;
    const CColorSlotGroup *crsGroup = nullptr;
    sFXPos fxpos0, fxpos1; // 16.16
    sFPos fpos0, fpos1;    // pixels
    sFSize unitSz;         // unit size of the radial shape
    sFXPos V;              // end minus start, 16.16
    sFPos FV;              // the same in pixels
    float R2 = 0;          // squared length of FV
    float angle = 0;       // angle of FV as a fraction of a turn
};

// The points of a preset preview on a w x h canvas (16.16): linear from the left edge so that
// the repeats (at most 10) fill the width; rotational and radial around the centre, the radial
// one reaching max(half width, half height) / repeats.
void gradPreviewPoints(int32_t w, int32_t h, const SGradAttr &attr, sFXPos &p0, sFXPos &p1);

// Draws a preset across the whole canvas for the lists and editors; the gradient's own attribute
// governs the drawing (the manager keeps it equal to the common attribute for gradients without
// one of their own), so `attr` is not consulted. False when the attribute is not valid or the
// canvas is empty.
bool drawGradObjPreview(TMTC &tc, const CGradObj &grad, const SGradAttr &attr);
