// The ellipse through three points: a and b the ends of one of its diameters (its centre is their
// midpoint), c a point on its curve. The figure fills take its crossings with the pixel rows; the
// document window draws its outline as a polygon.
#pragma once

#include "core/base/geometry.h"

#include <cstdint>
#include <vector>

// Kept in memory only (never stored), so it is laid out naturally: its points are passed by
// reference, which a packed record would not allow.
struct SRotEllipse
{
    bool enable = false; // the three points give an ellipse
    float det = 0;
    sFPos a0, b0, c0; // the three points
    sFPos a1, b1, c1; // the same relative to the centre
    sFPos o1;         // the centre
    float A2 = 0, B2 = 0;
    // The ellipse in rows: at d = y - o1.y its x are o1.x + (-d M -/+ sqrt(P - d^2 Q)) / L.
    float L = 0, M = 0, N = 0, P = 0, Q = 0;
    float k1 = 0;  // half the vertical extent
    sFRange rngFY; // the vertical extent
    sRange rngY;   // the rows floor(rngFY.min) .. ceil(rngFY.max)
};

// enable := false, det := 0.
void rotEllipseClear(SRotEllipse &re);
// Computes the ellipse through a (= a0), b and c; answers re.enable, which is false when a and b
// coincide, when c lies on the line through them, or when the points give no finite ellipse.
bool rotEllipseInit(SRotEllipse &re, const sFPos &a, const sFPos &b, const sFPos &c);
// The crossings of the ellipse with the horizontal line y (a row of rngY), left first: 2, 1 (the
// top or bottom) or 0 of them.
int32_t rotEllipseCrossings(const SRotEllipse &re, int32_t y, float &xLeft, float &xRight);

// With poly set, the outline of the ellipse taken as axis-aligned with half-axes |b1.x| and c1.y,
// as a polygon of 4 (m - 1) points whose chords stray at most about a quarter pixel from the curve;
// without, the crossings of every row of rngY in order, as points (x, row), at most two per row.
// n receives the number of points. False, points emptied, when the three points give no ellipse or
// the memory cannot be had (a crossings list of more than 2^22 rows counts as such).
bool makeEllipsePolygon(std::vector<sFPos> &points, const sFPos &a, const sFPos &b, const sFPos &c,
                        int32_t &n, bool poly);
// The same from an ellipse already computed.
bool makeEllipsePolygon(std::vector<sFPos> &points, const SRotEllipse &re, int32_t &n, bool poly);
