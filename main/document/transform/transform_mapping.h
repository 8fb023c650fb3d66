// The pixel mapping of the free transform: the inverse bilinear mapping of a four-cornered frame
// (P0 top-left, P1 top-right, P2 bottom-right, P3 bottom-left, document or layer pixels), and the
// loops that map the lifted selection bytes and the lifted layer pixels into the frame.
//
// A point of the frame is P0 + u A + v B + u v C with A = P1 - P0, B = P3 - P0,
// C = P2 - P1 - P3 + P0 and u, v in [0, 1]. The solver rounds A, B, C, P2 - P1, P2 - P3 and the
// pixel's offset from P0 to whole pixels (half to even) and takes the roots in double; one solver
// serves the mask, the image and the frame's inside test, so all three agree on every pixel.
//
// Every loop works over the rounded bounding rectangle of the corners, computed in 64 bits and
// clamped into the destination before the loop, so corners anywhere (a replayed packet may carry
// any finite value) never address outside a buffer.
#pragma once

#include "core/base/geometry.h"

#include <cstdint>

class CBlockVMTC;
class TChannel;
class TMTC;
union sBGRA;

// The rounded bounding rectangle of four corners (each extreme rounded half to even); x1 and y1
// are the rounded maxima themselves, not one past them.
struct SQuadBounds
{
    int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
SQuadBounds quadBounds(const sFPos *corners);

class CInverseBilinear
{
  public:
    // corners: P0, P1, P2, P3. All must be finite.
    explicit CInverseBilinear(const sFPos *corners);
    // (u, v) of the pixel (X, Y) when a root pair lies in [0, 1] (the first pair when both do);
    // false when the pixel lies outside the frame or the frame gives no solution there.
    bool solve(int64_t X, int64_t Y, double &u, double &v) const;
    // The columns of row Y that may hold a solution, widened by two pixels: outside them solve
    // answers false. False when the row crosses none.
    bool rowSpan(int64_t Y, int64_t &xs, int64_t &xe) const;

  private:
    int64_t Ax, Ay, Bx, By, Cx, Cy;
    int64_t D1x, D1y; // P2 - P1
    int64_t D3x, D3y; // P2 - P3
    float P0x, P0y;
    double hullX[4], hullY[4];
};

// Composites the source pixel over the destination pixel by the nearest-pixel rule: a
// transparent destination takes the source whole; otherwise each colour becomes
// d (255 - a) div 255 + a s div 255 and alpha a + d.alpha (255 - a) div 255, a the source alpha.
void transformOverPixel(sBGRA &d, const sBGRA &s);

// The lifted w x h selection content mapped into dst (the mask's whole image, document and mask
// coordinates agreeing) over the frame: a byte-for-byte copy with its top-left at the rounded
// top-left of the frame for a simple move, else the nearest content byte
// (Trunc(w u + 0.5), Trunc(h v + 0.5)) at every pixel inside the frame. Nothing for a range of
// one column or one row.
void mapMaskContent(TChannel &dst, const TChannel &content, const sFPos *corners, bool simple);

// The lifted pixels src ((w + 2) x (h + 2), a transparent ring around the content) mapped into
// the layer image dst over the frame. Without aa every pixel inside the frame takes the nearest
// source pixel composited by transformOverPixel; with aa the area average of the source over the
// destination pixel's footprint composited over it (averageAreaF). The footprint's side is
// Trunc(w / frame width + 0.5) source pixels, at least one. False only when a destination tile
// cannot be committed (or src is unusable); a frame off the image maps nothing and succeeds.
bool mapImageContent(CBlockVMTC &dst, const TMTC &src, const sFPos *corners, bool aa);
// The same pixel after pixel on the calling thread: the walk mapImageContent spreads over the
// work threads (after committing the blocks it writes in this walk's order), kept as the
// reference of tests.
bool mapImageContentByPixel(CBlockVMTC &dst, const TMTC &src, const sFPos *corners, bool aa);

// A simple move of src: the frame's rounded bounding rectangle (clamped into dst for the loop
// only) takes src's pixel at (x - minX + 1, y - minY + 1) composited by transformOverPixel,
// within src. Content moved past an edge is cut there.
bool simpleMoveContent(CBlockVMTC &dst, const TMTC &src, const sFPos *corners);

// The rounded bounding rectangle as a box (x1 and y1 exclusive), clamped into int32 range.
sBox quadBox(const sFPos *corners);
