// Nib alpha maps: for every pixel a dab touches, how much of the pixel the nib covers and how
// strong the nib is there.
//
// CPenShape serves the version-4 renderer: cached maps of round, elliptic and image nibs,
// supersampled so that sub-pixel dab positions keep their anti-aliasing, and exact maps drawn for
// one dab position. CPenBitmapShape5 serves the version-5 renderer's image nibs (standard
// version-5 nibs need no map: their rasterisers work on the footprint directly).
//
// Units: every size, position and map value is 16.16 fixed point; positions are pixels of the
// target image. A map is a grid of cells, rate cells per pixel along each axis; cell (i, j)
// stands for the point ((i + 0.5) / rate, (j + 0.5) / rate) − center relative to the nib
// centre. Maps are held in SDynArray2D of int32_t, row after row.
#pragma once

#include "core/containers/dyn_array.h"
#include "core/base/geometry.h"

#include <cstdint>

class CGradeMapObj;
class CGradeMapObj5;
class CPenShapeObj;

// An ellipse of half axes a (along the angle) and b = a × Flat, turned by rad: the implicit form
// AA·x² + BB·x·y + CC·y² = DD, det = 4·AA·CC − BB², and the half width w and half height h of its
// axis-aligned box. Lengths in pixels.
struct SEllipseParam
{
    float a = 0, b = 0, rad = 0, sn = 0, cn = 0;
    float AA = 0, BB = 0, CC = 0, DD = 0, det = 0;
    float w = 0, h = 0;
    float IR = 0;    // 1 / a
    float Flat = 0;  // flat percent / 100
    float IFlat = 0; // 100 / flat percent
};

// The ellipse of a 16.16 radius, a flat percent (values below 1 count as 1) and an angle in
// whole degrees; fsin and fcos receive the 16.16 sine and cosine of the angle.
void makeEllipseParam(SEllipseParam &e, int32_t a, int32_t flt, int32_t deg, int32_t &fsin,
                      int32_t &fcos);

// The coverage (16.16, 0 .. 0x10000) of the one-pixel square centred at (dx, dy) by the disc of
// radius r around the origin, its edge taken as the straight line perpendicular to (dx, dy) at
// distance r; d is the distance of (dx, dy). All four values are 16.16.
int32_t discCellCoverage(int32_t dx, int32_t dy, int32_t d, int32_t r);

// The 16.16 radius on the steps the cached maps are built for: from 10 pixels on multiples of
// 1/2 pixel, from 3 pixels on of 1/4, below that of 1/8 but at least 1/16 pixel (rounded down).
int32_t quantiseNibRadius(int32_t r);
inline constexpr int32_t kMaxNibRadius = 512 << 16; // larger radii are refused

class CPenShape
{
  public:
    // Radius 0, flat 100, angle 0, rate 1, empty maps, then buildRound(10) (10 in 16.16 units,
    // which the radius steps raise to 1/16 pixel). map is the fall-off, not owned (may be null:
    // the maps then use full strength).
    explicit CPenShape(CGradeMapObj *map);
    CPenShape(const CPenShape &) = delete;
    CPenShape &operator=(const CPenShape &) = delete;

    // Store a switch; a change invalidates the maps. True when it changed.
    bool switchAreaMap(bool sw);
    bool switchRadiusMap(bool sw);
    bool switchGradeMap(bool sw);
    // Recomputes dataAry from the other two maps (after the fall-off changed); false when the
    // maps are not allocated.
    bool updateGradeMap();

    // Cached maps of a round nib of 16.16 radius r, an elliptic nib (radius a, flat percent flt,
    // angle deg in whole degrees) and an image nib. Radii above 512 pixels are refused (false)
    // and leave the maps as they were; a build that cannot allocate leaves enable false.
    bool buildRound(int32_t r);
    bool buildEllipse(int32_t a, int32_t flt, int32_t deg);
    // Without init the maps are kept when they already belong to obj at its zoom, flat and
    // angle. False unless obj is enabled and has an image.
    bool buildImage(CPenShapeObj *obj, bool init);

    // Exact maps for one dab centred at the 16.16 image position (x, y), one cell per pixel,
    // drawn by rows (dirX) or columns. r and flt/deg as above.
    bool makeCircleMap(int32_t x, int32_t y, int32_t r, bool dirX);
    bool makeEllipseMap(int32_t x, int32_t y, int32_t r, int32_t flt, int32_t deg, bool dirX);

    // The alpha (16.16, 0 .. 255 × 65536) for a pixel whose centre lies (dx, dy) from the nib
    // centre: the cell at Trunc((dx + center) × rate) of dataAry, 0 outside the map.
    int32_t getValueCenter(int32_t dx, int32_t dy) const;

    bool enable = false;
    bool enbRadiusMap = true, enbAreaMap = false, enbGradeMap = true;
    int32_t radius = 0; // 16.16; for an image nib zoom rate << 16
    int32_t flatrate = 100;
    int32_t degree = 0; // whole degrees, negated for image nibs
    float radian = 0;
    int32_t fsin = 0, fcos = 0x10000;
    sSize szR;     // half sizes of the map area
    sSize szRreq;  // half sizes asked for
    sPos center;   // nib centre inside the map
    sRect penRect; // the nib inside the map
    CGradeMapObj *mapObj = nullptr;
    CPenShapeObj *shapeObj = nullptr;
    SDynArray2D shapeAry; // distance from the centre / radius (1.0 on the rim)
    SDynArray2D areaAry;  // coverage 0 .. 1.0 of a one-pixel square centred on the cell
    SDynArray2D dataAry;  // alpha 0 .. 255 × 65536
    int32_t rate = 1;
    sSize isize; // map size in pixels
    sSize zsize; // map size in cells
    SEllipseParam elps;

  private:
    bool m_exact = false; // the maps are exact maps of one dab, not a cached nib
    bool setupSize(int32_t hx, int32_t hy, bool rot, bool oneCellPerPixel = false);
    bool fillImageMaps(CPenShapeObj &obj);
    void drawExactCircle(float cx, float cy, float rho, bool dirX);
    void drawExactEllipse(float cx, float cy, bool dirX);
};

class CPenBitmapShape5
{
  public:
    // Radius 0, flat 100, angle 0, rate 1, empty map. map is the fall-off, not owned.
    explicit CPenBitmapShape5(CGradeMapObj5 *map);
    CPenBitmapShape5(const CPenBitmapShape5 &) = delete;
    CPenBitmapShape5 &operator=(const CPenBitmapShape5 &) = delete;

    // Takes obj's zoom, flat and angle, sizes the rotated map and fills it (makeShape). Without
    // init the map is kept when it already belongs to obj at the same zoom, flat and angle.
    // False unless obj is enabled and has an image.
    bool buildImage(CPenShapeObj *obj, bool init);
    // Cells per pixel from FRotateSize.
    int32_t calcRate() const;
    bool setupSize(int32_t hx, int32_t hy, bool rot);
    // Refills the map from the nib at its current zoom (which a dab may just have changed),
    // sizing it again when the zoom, flat or angle changed.
    bool makeShape();
    // The 16.16 value for a pixel whose centre lies (dx, dy) from the dab position, 0 outside.
    int32_t getCenterValue(int32_t dx, int32_t dy) const;

    bool FEnable = false;
    int32_t FRadius = 0; // zoom << 16
    int32_t FFlatRate = 100;
    int32_t FDegree = 0; // negated angle
    float FRadian = 0;
    int32_t FSin = 0, FCos = 0x10000;
    sSize FBitmapRect; // the image's half sizes
    sSize FRotateRect; // half sizes of the rotated, zoomed image
    sPos FCenter;
    sRect FPenRect;
    CGradeMapObj5 *FMapObj = nullptr;
    CPenShapeObj *FShapeObj = nullptr;
    SDynArray2D FPenShapeArray; // 16.16 coverage × fall-off
    int32_t FRate = 1;
    sSize FRotateSize; // pixels
    sSize FShapeSize;  // cells

  private:
    bool takeNibGeometry(CPenShapeObj &obj);
    bool fillShape();
};
