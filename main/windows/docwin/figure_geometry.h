// The widget-free maths of the document window's figures, fills, selection shapes and grid:
// squares, the 15-degree line snap, rectangle corners, the ellipse and curve outlines, the grid's
// colours, its thinning and the choice of the line a position snaps to. Nothing here knows the
// window; where a client/canvas conversion is needed the caller passes it in.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <vector>

// ---- figures

// The figures of the drawing tools, numbered as the tool window's drop-down lists them.
enum class eDRAWMODE : uint8_t
{
    DRAWMODE_BOX = 0,
    DRAWMODE_POLYGON = 1,
    DRAWMODE_ELLIPSE = 2,
    DRAWMODE_LINE = 3,
    DRAWMODE_POLYLINE = 4,
    DRAWMODE_CURVE = 5,
};

// Lengthens the shorter extent of p0→p1 to the longer one, keeping the drag's direction on each
// axis; a zero extent counts as positive, so a drag along a row still gives a square.
template <typename P>
void makeSquare(const P &p0, P &p1)
{
    const auto dx = p1.x - p0.x, dy = p1.y - p0.y;
    const auto ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
    if (ax >= ay)
        p1.y = p0.y + (dy < 0 ? -ax : ax);
    else
        p1.x = p0.x + (dx < 0 ? -ay : ay);
}

// The end point p1 turned about p0 onto the nearest multiple of 15 degrees (7.5 degrees rounding
// up), keeping the distance. Canvas coordinates; p1 itself when the points coincide.
sFPos snapLineAngle(const sFPos &p0, const sFPos &p1);
// A client point from a converted float position: each coordinate rounded down after adding 0.01,
// so that a value a rounding step below a whole pixel still lands on it (also left of or above
// the client area, where truncation would move it one pixel in).
sPos truncNudged(const sFPos &p);

// Client <-> canvas conversions of the window a figure is placed in; integer canvas points are
// rounded half to even by the caller's conversion.
struct SFigureView
{
    // Each client coordinate is aligned down to a multiple of this (floor of the zoom, at least 1).
    int32_t zoomStep = 1;
    std::function<sPos(const sPos &)> toCanvas;
    std::function<sPos(const sPos &)> toClient;
};

// The four corners of a dragged rectangle in canvas pixels, s the press and e the pointer: s,
// (e.x, s.y), e, (s.x, e.y). With aspect the shorter side takes the longer one's length; with
// centre s is the middle, the first corner being 2s minus the third.
std::array<sPos, 4> boxCorners(sPos s, sPos e, bool centre, bool aspect);
// The rectangle's client points for a drag from p0 to p1 (both aligned to the zoom's pixel grid,
// converted, cornered and converted back).
std::array<sPos, 4> boxClientPoints(const SFigureView &view, sPos p0, sPos p1, bool centre,
                                    bool aspect);

// The ellipse polygon, in canvas pixels, for a drag from s to e: square with aspect, s the centre
// with centre; its bounding rectangle covers the far pixel. Empty when there is no ellipse.
std::vector<sFPos> ellipseFigurePolygon(sFPos s, sFPos e, bool centre, bool aspect);
// The guide of an ellipse shows only once the drag is 16 client pixels long.
inline constexpr int32_t kEllipseGuideMinDrag = 16;
bool ellipseGuideShown(const sPos &p0, const sPos &p1);

// The quadratic curve from c1 (t = 0) to c0 (t = 1) bent towards b, flattened by halving the
// parameter interval: a middle point is kept when the interval is wider than 1/256 and the point
// lies at least a quarter pixel from the chord's middle. At most 257 points, in order, both ends
// exact.
std::vector<sFPos> flattenCurve(const sFPos &c0, const sFPos &c1, const sFPos &b);
inline constexpr int32_t kCurveMaxPoints = 257;

// The two corners a figure fill receives for a drag from p0 to p1 (canvas pixels): squared
// with square, p0 the centre with centre (p0 := 2 p0 - p1), then the larger x and the larger y
// each lowered by one so that the far pixel is the last one filled. An axis whose two
// coordinates are equal is not lowered. Nothing for two equal points.
std::optional<std::array<sPos, 2>> fillRectCorners(sPos p0, sPos p1, bool square, bool centre);

// ---- grid

// The grid colour (the profile's value: alpha in the high byte, then blue, green, red) blended over white per channel: trunc(c * a + (1 - a) * 255), a = alpha / 255. The highlight
// colour blends the inverted channel, 255 - c.
sBGRA gridLineColor(uint32_t gridColor, bool highlight);

// How many grid cells lie between two drawn lines: the smallest n >= 1 with
// trunc(n * cell * zoom) >= 4, so lines never come closer than 4 screen pixels. Every redrawn box
// draws the multiples of n * cell, whatever its origin.
int32_t gridThinning(int32_t cell, float zoom);
// The drawn line positions within [from, to] (canvas pixels, inclusive), ascending.
std::vector<int32_t> gridLinesIn(int32_t from, int32_t to, int32_t cell, int32_t thinning);

// A grid line a coordinate may snap to, and how far it is.
struct SGridCandidate
{
    int32_t line = 0;
    int32_t dist = 0;
};
// The nearest drawn line within half a cell of v; on a tie the larger one. thinning 0 or 1: every
// line is drawn.
std::optional<SGridCandidate> nearGridLine(int32_t v, int32_t cell, int32_t thinning);

// Where a canvas position snaps: an axis without a value keeps its coordinate.
struct SGridSnap
{
    std::optional<int32_t> x, y;
};
// The snap of a canvas position: for tools, onto the intersection when both axes are within a
// quarter cell; otherwise onto the single nearer line (the column on a tie).
SGridSnap chooseGridSnap(const sPos &pos, const sSize &cell, const sSize &thinning, bool tool);
// The position the snap gives: for tools with both axes, the intersection; otherwise each axis's
// snap value where it has one.
sPos applyGridSnap(const SGridSnap &snap, const sPos &pos);

// The index of the grid column nearest v: (v + cell / 2) div cell.
int32_t nearestGridIndex(int32_t v, int32_t cell);
