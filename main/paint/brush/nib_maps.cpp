#include "paint/brush/nib_maps.h"

#include "core/image/channel.h"
#include "core/base/numeric.h"
#include "core/scale/scale_image.h"
#include "paint/brush/grade_map.h"
#include "paint/presets/pen_presets.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int32_t kOne = 0x10000;   // 1.0 in 16.16
constexpr int32_t kHalf = 0x8000;   // 0.5
constexpr int32_t kFull = 0xFF0000; // 255.0
constexpr long double kPi = 3.14159265358979323846264338327950288L;

// The map geometry both map classes share: requested and used half sizes, the nib centre inside
// the map, the nib's rectangle and the map size in pixels.
struct MapFrame
{
    sSize szRreq, szR;
    sPos center;
    sRect penRect;
    sSize isize;
};

int32_t roundUp8(int32_t v)
{
    return int32_t((int64_t(v) + 7) & ~int64_t(7));
}

// Sizes a map for half sizes (hx, hy). With rot (image nibs) the half sizes are first zoomed by
// radius16 (zoom << 16) / 100 and replaced by the half extents of the rectangle turned by
// (fsin, fcos), rounded up to multiples of 8 units. The centre starts at (0.5, 0.5) and moves by
// whole pixels until the nib's rectangle has no negative edge.
void setupFrame(MapFrame &f, int32_t hx, int32_t hy, bool rot, int32_t radius16, int32_t fsin,
                int32_t fcos)
{
    f.szRreq = {hx, hy};
    if (rot) {
        hx = fixMul(hx, radius16) / 100;
        hy = fixMul(hy, radius16) / 100;
        const int64_t xc = fixMul(hx, fcos), xs = fixMul(hx, fsin);
        const int64_t yc = fixMul(hy, fcos), ys = fixMul(hy, fsin);
        const int64_t ex = std::max(std::llabs(xc - ys), std::llabs(xc + ys));
        const int64_t ey = std::max(std::llabs(xs + yc), std::llabs(yc - xs));
        hx = roundUp8(int32_t(ex));
        hy = roundUp8(int32_t(ey));
    }
    f.szR = {hx, hy};
    f.center = {kHalf, kHalf};
    f.penRect = {kHalf - hx, kHalf - hy, kHalf + hx, kHalf + hy};
    f.isize = {fixCeil(f.penRect.x1) - fixFloor(f.penRect.x0),
               fixCeil(f.penRect.y1) - fixFloor(f.penRect.y0)};
    if (f.penRect.x0 < 0) {
        const int32_t shift = -fixFloor(f.penRect.x0) << 16;
        f.center.x += shift, f.penRect.x0 += shift, f.penRect.x1 += shift;
    }
    if (f.penRect.y0 < 0) {
        const int32_t shift = -fixFloor(f.penRect.y0) << 16;
        f.center.y += shift, f.penRect.y0 += shift, f.penRect.y1 += shift;
    }
}

// Cells per pixel of a version-4 map: small maps are supersampled up to five cells per pixel.
int32_t shapeRate(const sSize &isize)
{
    const int32_t m = std::max(isize.x, isize.y);
    if (m <= 2)
        return 2;
    if (m == 3)
        return 3;
    if (m <= 7)
        return std::min(30 / m, 5);
    if (m <= 49)
        return std::min(50 / m, 2);
    return 1;
}

// The 16.16 offset from the nib centre of the centre of cell index i along one axis.
int32_t cellOffset(int32_t i, int32_t rate, int32_t center)
{
    return int32_t(((int64_t(i) << 16) + kHalf) / rate) - center;
}

// The cell of a map at Trunc((d + center) × rate), or −1 outside [0, cells).
int32_t cellIndex(int32_t d, int32_t center, int32_t rate, int32_t cells)
{
    const int64_t pos = (int64_t(d) + center) * rate;
    const int64_t idx = pos / kOne; // truncation toward zero
    return idx >= 0 && idx < cells ? int32_t(idx) : -1;
}

// The cell of a map (size cells, rate cells a pixel, row by row) under (dx, dy) from the nib
// centre at center, 0 outside the map.
int32_t centerCell(const SDynArray2D &map, const sSize &size, const sPos &center, int32_t rate,
                   int32_t dx, int32_t dy)
{
    const int32_t i = cellIndex(dx, center.x, rate, size.x);
    const int32_t j = cellIndex(dy, center.y, rate, size.y);
    if (i < 0 || j < 0)
        return 0;
    return map.items<int32_t>()[j * size.x + i];
}

// The rotated coordinates of a cell offset (x, y): u = x·cos − y·sin and the raw vertical
// component x·sin + y·cos (all 16.16).
void rotateCell(int32_t x, int32_t y, int32_t fsin, int32_t fcos, int32_t &u, int32_t &rv)
{
    u = fixMul(x, fcos) - fixMul(y, fsin);
    rv = fixMul(x, fsin) + fixMul(y, fcos);
}

// Area of {cx·x + cy·y ≤ u} inside the rectangle [0, w] × [0, h], for direction cosines cx, cy
// greater than 0.
double cutArea(double u, double cx, double cy, double w, double h)
{
    const double p = cx * w, q = cy * h;
    if (u <= 0)
        return 0;
    if (u >= p + q)
        return w * h;
    if (u > (p + q) / 2)
        return w * h - cutArea(p + q - u, cx, cy, w, h);
    if (u <= std::min(p, q))
        return u * u / (2 * cx * cy); // a triangle at the near corner
    if (p <= q)
        return w * (u - p / 2) / cy; // a trapezoid across the two vertical sides
    return h * (u - q / 2) / cx;
}

// The nib image averaged over a 16.16 rectangle of half sizes (hw, hh) around the image point
// (px, py): 1.0 minus the mean grey as 16.16, or 0 when the rectangle misses the image.
int32_t imageCellValue(CScaleImageCH_fixp &scaler, int64_t px, int64_t py, int32_t hw, int32_t hh)
{
    constexpr int64_t lim = INT32_MAX / 2;
    if (std::llabs(px) > lim || std::llabs(py) > lim)
        return 0;
    sRect r{int32_t(px) - hw, int32_t(py) - hh, int32_t(px) + hw, int32_t(py) + hh};
    int32_t mean = 0;
    if (!scaler.calcSrcRect(&mean, r))
        return 0;
    return kOne - mean;
}

// The nib image sampled for a rotated cell: (u, rv) the cell's rotated offset, the point on the
// image (u × 100 / zoom, rv × (100 / flat)² × 100 / zoom) + image centre + corner, the averaging
// rectangle 50 / zoom wide and 50 / zoom × 100 / flat high (half sizes).
struct ImageSampler
{
    CScaleImageCH_fixp scaler;
    int32_t zoom, flat;
    sPos centre; // the image centre plus (center − szR)
    int32_t hw, hh;

    ImageSampler(const TChannel &img, int32_t zoomRate, int32_t flatRate, const sPos &corner)
        : scaler(&img), zoom(std::max(zoomRate, 1)),
          flat(std::max(flatRate, 1)), centre{(img.width() << 15) + corner.x,
                                              (img.height() << 15) + corner.y},
          hw(int32_t((int64_t(50) << 16) / zoom)),
          hh(int32_t((int64_t(5000) << 16) / (int64_t(zoom) * flat)))
    {
    }
    int32_t value(int32_t u, int32_t rv)
    {
        const int64_t px = int64_t(u) * 100 / zoom + centre.x;
        const int64_t py = int64_t(rv) * 1000000 / (int64_t(flat) * flat * zoom) + centre.y;
        return imageCellValue(scaler, px, py, hw, hh);
    }
};

} // namespace

// ---- shared geometry ------------------------------------------------------------------------

void makeEllipseParam(SEllipseParam &e, int32_t a, int32_t flt, int32_t deg, int32_t &fsin,
                      int32_t &fcos)
{
    flt = std::max(flt, 1); // a flat of 0 would have no minor axis to divide by
    const long double rad = deg * kPi / 180.0L;
    e.rad = float(rad);
    e.sn = float(std::sin(rad));
    e.cn = float(std::cos(rad));
    fsin = floatToFix(e.sn);
    fcos = floatToFix(e.cn);
    e.a = float(a / 65536.0L);
    e.IR = 1.0f / e.a;
    e.Flat = float(flt) / 100.0f;
    e.b = e.a * e.Flat;
    e.IFlat = 100.0f / float(flt);
    const float a2 = e.a * e.a, b2 = e.b * e.b;
    const float s2 = e.sn * e.sn, c2 = e.cn * e.cn;
    e.AA = s2 * a2 + c2 * b2;
    e.BB = 2.0f * e.cn * e.sn * (a2 - b2);
    e.CC = c2 * a2 + s2 * b2;
    e.DD = a2 * b2;
    e.det = 4.0f * e.AA * e.CC - e.BB * e.BB;
    e.w = e.det > 0 ? std::sqrt(4.0f * e.CC * e.DD / e.det) : e.a;
    e.h = e.det > 0 ? std::sqrt(4.0f * e.AA * e.DD / e.det) : e.a;
}

int32_t discCellCoverage(int32_t dx, int32_t dy, int32_t d, int32_t r)
{
    int32_t hw = kHalf, hh = kHalf;
    // Far cells are scaled down (the fraction covered does not change) to keep the numbers small.
    while (std::abs(dx) > (8 << 16) || std::abs(dy) > (8 << 16)) {
        dx /= 2, dy /= 2, d /= 2, r /= 2, hw /= 2, hh /= 2;
    }
    const int32_t ax = std::abs(dx), ay = std::abs(dy);
    const int32_t lo = std::min(ax, ay), hi = std::max(ax, ay);
    if (lo < kOne / 16 || int64_t(hi) > int64_t(200) * lo) {
        // Nearly on an axis: the edge is taken as a straight cut across the larger axis.
        const int32_t h = ax >= ay ? hw : hh;
        const int64_t c = int64_t(r) + h - hi;
        if (c <= 0)
            return 0;
        return c >= 2 * int64_t(h) ? kOne : int32_t(c * kOne / (2 * int64_t(h)));
    }
    const double len = std::hypot(double(ax), double(ay));
    const double cx = ax / len, cy = ay / len;
    const double w = 2.0 * hw, h = 2.0 * hh;
    const double e = (cx * w + cy * h) / 2;
    const double nearest = d - e;
    if (nearest >= r)
        return 0;
    if (d + e <= r)
        return kOne;
    const double area = cutArea(r - nearest, cx, cy, w, h);
    return std::clamp(int32_t(std::lrint(area / (w * h) * kOne)), 0, kOne);
}

int32_t quantiseNibRadius(int32_t r)
{
    if (r >= (10 << 16))
        return r & ~(kHalf - 1);
    if (r >= (3 << 16))
        return r & ~(kOne / 4 - 1);
    return std::max(r & ~(kOne / 8 - 1), kOne / 16);
}

// ---- CPenShape ------------------------------------------------------------------------------

CPenShape::CPenShape(CGradeMapObj *map) : mapObj(map)
{
    buildRound(10);
}

namespace {

// Stores sw in flag; a change clears enable (the maps must be built again). True when it changed.
bool storeSwitch(bool &flag, bool sw, bool &enable)
{
    if (flag == sw)
        return false;
    flag = sw;
    enable = false;
    return true;
}

} // namespace

bool CPenShape::switchAreaMap(bool sw)
{
    return storeSwitch(enbAreaMap, sw, enable);
}

bool CPenShape::switchRadiusMap(bool sw)
{
    return storeSwitch(enbRadiusMap, sw, enable);
}

bool CPenShape::switchGradeMap(bool sw)
{
    return storeSwitch(enbGradeMap, sw, enable);
}

bool CPenShape::setupSize(int32_t hx, int32_t hy, bool rot, bool oneCellPerPixel)
{
    MapFrame f;
    setupFrame(f, hx, hy, rot, radius, fsin, fcos);
    szRreq = f.szRreq, szR = f.szR, center = f.center, penRect = f.penRect, isize = f.isize;
    rate = oneCellPerPixel ? 1 : shapeRate(isize);
    zsize = {rate * isize.x, rate * isize.y};
    for (SDynArray2D *a : {&shapeAry, &areaAry, &dataAry}) {
        if (!dynArray2DAlloc(*a, 4, zsize.x, zsize.y) || !dynArray2DFill(*a, 0))
            return false;
    }
    return true;
}

bool CPenShape::updateGradeMap()
{
    if (!dynArray2DIsValid(shapeAry) || !dynArray2DIsValid(areaAry) || !dynArray2DIsValid(dataAry))
        return false;
    const int32_t *shape = shapeAry.items<int32_t>();
    const int32_t *area = areaAry.items<int32_t>();
    int32_t *data = dataAry.items<int32_t>();
    const int32_t *t = mapObj ? mapObj->getMapTable() : nullptr;
    const int32_t m = mapObj ? mapObj->mapMaxIdx : 0;
    for (int32_t k = 0; k < dataAry.num; ++k) {
        if (!enbRadiusMap) {
            data[k] = area[k] * 255;
            continue;
        }
        int32_t g = kFull;
        if (enbGradeMap && t)
            g = shape[k] > 0xFFFF ? t[m] : t[int32_t((int64_t(m) * shape[k]) >> 16)];
        data[k] = fixMul(g, area[k]);
    }
    return true;
}

bool CPenShape::buildRound(int32_t r)
{
    if (r > kMaxNibRadius)
        return false;
    r = quantiseNibRadius(r);
    if (enable && !m_exact && radius == r && flatrate == 100 && !shapeObj)
        return true;
    enable = false;
    m_exact = false;
    shapeObj = nullptr;
    radius = r, flatrate = 100, degree = 0, radian = 0, fsin = 0, fcos = kOne;
    if (!setupSize(r, r, false))
        return false;
    int32_t *shape = shapeAry.items<int32_t>();
    int32_t *area = areaAry.items<int32_t>();
    for (int32_t j = 0; j < zsize.y; ++j) {
        const int32_t dy = cellOffset(j, rate, center.y);
        for (int32_t i = 0; i < zsize.x; ++i) {
            const int32_t dx = cellOffset(i, rate, center.x);
            const int32_t d = fixHypot(dx, dy);
            const int32_t k = j * zsize.x + i;
            shape[k] = fixDiv(d, r);
            area[k] = enbAreaMap ? discCellCoverage(dx, dy, d, r) : kOne;
        }
    }
    enable = updateGradeMap();
    return enable;
}

bool CPenShape::buildEllipse(int32_t a, int32_t flt, int32_t deg)
{
    if (a > kMaxNibRadius)
        return false;
    a = quantiseNibRadius(a);
    if (enable && !m_exact && radius == a && flatrate == flt && degree == deg && !shapeObj)
        return true;
    enable = false;
    m_exact = false;
    shapeObj = nullptr;
    radius = a, flatrate = flt, degree = deg;
    makeEllipseParam(elps, a, flt, deg, fsin, fcos);
    radian = elps.rad;
    if (!setupSize(floatToFix(elps.w + 2.0f), floatToFix(elps.h + 2.0f), false))
        return false;
    const int32_t ifl = fixDiv(100, std::max(flt, 1));
    int32_t *shape = shapeAry.items<int32_t>();
    int32_t *area = areaAry.items<int32_t>();
    for (int32_t j = 0; j < zsize.y; ++j) {
        const int32_t y = cellOffset(j, rate, center.y);
        for (int32_t i = 0; i < zsize.x; ++i) {
            int32_t u, rv;
            rotateCell(cellOffset(i, rate, center.x), y, fsin, fcos, u, rv);
            const int32_t v = fixMul(rv, ifl);
            const int32_t d = fixHypot(u, v);
            const int32_t k = j * zsize.x + i;
            shape[k] = fixDiv(d, a);
            area[k] = enbAreaMap ? discCellCoverage(u, v, d, a) : kOne;
        }
    }
    enable = updateGradeMap();
    return enable;
}

bool CPenShape::buildImage(CPenShapeObj *obj, bool init)
{
    if (!obj || !obj->enable || !obj->hasImage())
        return false;
    const int32_t zoom = obj->zoomRate;
    const int32_t flat = penParamGetFlatPercent(obj->penParam);
    const int32_t angle = penParamGetDegreeInt(obj->penParam);
    if (!init && enable && !m_exact && shapeObj == obj && radius == (zoom << 16) &&
        flatrate == flat && degree == -angle)
        return true;
    enable = false;
    m_exact = false;
    shapeObj = obj;
    radius = zoom << 16, flatrate = flat, degree = -angle;
    radian = float(degree * kPi / 180.0L);
    fsin = floatToFix(float(std::sin((long double)radian)));
    fcos = floatToFix(float(std::cos((long double)radian)));
    const TChannel &img = *obj->shapeCH;
    if (!setupSize(img.width() << 15, img.height() << 15, true))
        return false;
    enable = fillImageMaps(*obj) && updateGradeMap();
    return enable;
}

bool CPenShape::fillImageMaps(CPenShapeObj &obj)
{
    const TChannel &img = *obj.shapeCH;
    const int32_t zoom = std::max(obj.zoomRate, 1), flat = std::max(flatrate, 1);
    ImageSampler sample(img, zoom, flat, {center.x - szR.x, center.y - szR.y});
    // The half diagonal of the zoomed image, in 16.16.
    const long double hwImg = zoom * (long double)img.width() / 200.0L;
    const long double hhImg = zoom * (long double)img.height() / 200.0L;
    const int32_t diag = roundToInt32(std::sqrt(hwImg * hwImg + hhImg * hhImg) * 65536.0L);
    const int32_t ifl = fixDiv(100, flat);
    int32_t *shape = shapeAry.items<int32_t>();
    int32_t *area = areaAry.items<int32_t>();
    for (int32_t j = 0; j < zsize.y; ++j) {
        const int32_t y = cellOffset(j, rate, center.y);
        for (int32_t i = 0; i < zsize.x; ++i) {
            int32_t u, rv;
            rotateCell(cellOffset(i, rate, center.x), y, fsin, fcos, u, rv);
            const int32_t k = j * zsize.x + i;
            shape[k] = fixDiv(fixHypot(u, fixMul(rv, ifl)), diag);
            area[k] = sample.value(u, rv);
        }
    }
    return true;
}

bool CPenShape::makeCircleMap(int32_t x, int32_t y, int32_t r, bool dirX)
{
    if (r > kMaxNibRadius || r < 0)
        return false;
    enable = false;
    m_exact = true;
    shapeObj = nullptr;
    radius = r, flatrate = 100, degree = 0, radian = 0, fsin = 0, fcos = kOne;
    if (!setupSize(r + (2 << 16), r + (2 << 16), false, true))
        return false;
    if (!dynArray2DFillElement(shapeAry, &kOne))
        return false;
    // The dab centre inside the map, pixels aligned with the image's: the centre pixel's cell
    // plus the position's fraction.
    center.x += (x & 0xFFFF) - kHalf;
    center.y += (y & 0xFFFF) - kHalf;
    drawExactCircle(center.x / 65536.0f, center.y / 65536.0f, r / 65536.0f, dirX);
    enable = updateGradeMap();
    return enable;
}

bool CPenShape::makeEllipseMap(int32_t x, int32_t y, int32_t r, int32_t flt, int32_t deg, bool dirX)
{
    if (r > kMaxNibRadius || r < 0)
        return false;
    enable = false;
    m_exact = true;
    shapeObj = nullptr;
    radius = r, flatrate = flt, degree = deg;
    makeEllipseParam(elps, r, flt, deg, fsin, fcos);
    radian = elps.rad;
    if (!setupSize(floatToFix(elps.w + 2.0f), floatToFix(elps.h + 2.0f), false, true))
        return false;
    if (!dynArray2DFillElement(shapeAry, &kOne))
        return false;
    center.x += (x & 0xFFFF) - kHalf;
    center.y += (y & 0xFFFF) - kHalf;
    drawExactEllipse(center.x / 65536.0f, center.y / 65536.0f, dirX);
    enable = updateGradeMap();
    return enable;
}

int32_t CPenShape::getValueCenter(int32_t dx, int32_t dy) const
{
    return enable ? centerCell(dataAry, zsize, center, rate, dx, dy) : 0;
}

// ---- CPenBitmapShape5 -----------------------------------------------------------------------

CPenBitmapShape5::CPenBitmapShape5(CGradeMapObj5 *map) : FMapObj(map) {}

int32_t CPenBitmapShape5::calcRate() const
{
    const int32_t m = std::max(FRotateSize.x, FRotateSize.y);
    if (m <= 2)
        return 2;
    if (m == 3)
        return 3;
    if (m <= 7)
        return std::min(30 / m, 5);
    if (m <= 29)
        return std::min(30 / m, 2);
    return 1;
}

bool CPenBitmapShape5::setupSize(int32_t hx, int32_t hy, bool rot)
{
    MapFrame f;
    setupFrame(f, hx, hy, rot, FRadius, FSin, FCos);
    FBitmapRect = f.szRreq, FRotateRect = f.szR, FCenter = f.center, FPenRect = f.penRect;
    FRotateSize = f.isize;
    FRate = calcRate();
    FShapeSize = {FRate * FRotateSize.x, FRate * FRotateSize.y};
    return dynArray2DAlloc(FPenShapeArray, 4, FShapeSize.x, FShapeSize.y) &&
           dynArray2DFill(FPenShapeArray, 0);
}

bool CPenBitmapShape5::takeNibGeometry(CPenShapeObj &obj)
{
    FShapeObj = &obj;
    FRadius = obj.zoomRate << 16;
    FFlatRate = penParamGetFlatPercent(obj.penParam);
    FDegree = -penParamGetDegreeInt(obj.penParam);
    FRadian = float(FDegree * kPi / 180.0L);
    FSin = floatToFix(float(std::sin((long double)FRadian)));
    FCos = floatToFix(float(std::cos((long double)FRadian)));
    const TChannel &img = *obj.shapeCH;
    return setupSize(img.width() << 15, img.height() << 15, true);
}

bool CPenBitmapShape5::buildImage(CPenShapeObj *obj, bool init)
{
    if (!obj || !obj->enable || !obj->hasImage())
        return false;
    if (!init && FEnable && FShapeObj == obj && FRadius == (obj->zoomRate << 16) &&
        FFlatRate == penParamGetFlatPercent(obj->penParam) &&
        FDegree == -penParamGetDegreeInt(obj->penParam))
        return true;
    FEnable = takeNibGeometry(*obj) && fillShape();
    return FEnable;
}

bool CPenBitmapShape5::makeShape()
{
    CPenShapeObj *obj = FShapeObj;
    if (!obj || !obj->enable || !obj->hasImage()) {
        FEnable = false;
        return false;
    }
    const bool sameGeometry =
        FRadius == (obj->zoomRate << 16) && FFlatRate == penParamGetFlatPercent(obj->penParam) &&
        FDegree == -penParamGetDegreeInt(obj->penParam) && dynArray2DIsValid(FPenShapeArray);
    FEnable = (sameGeometry || takeNibGeometry(*obj)) && fillShape();
    return FEnable;
}

bool CPenBitmapShape5::fillShape()
{
    const TChannel &img = *FShapeObj->shapeCH;
    const int32_t zoom = std::max(FShapeObj->zoomRate, 1), flat = std::max(FFlatRate, 1);
    ImageSampler sample(img, zoom, flat, {FCenter.x - FRotateRect.x, FCenter.y - FRotateRect.y});
    const float w = float(FShapeSize.x), h = float(FShapeSize.y);
    const float halfDiag = std::sqrt(w * w + h * h) / 2.0f;
    int32_t *cells = FPenShapeArray.items<int32_t>();
    for (int32_t i = 0; i < FShapeSize.y; ++i) {
        const int32_t y = cellOffset(i, FRate, FCenter.y);
        const float ry = float(i) - h / 2.0f + 0.5f;
        for (int32_t j = 0; j < FShapeSize.x; ++j) {
            int32_t u, rv;
            rotateCell(cellOffset(j, FRate, FCenter.x), y, FSin, FCos, u, rv);
            const int32_t value = sample.value(u, rv);
            const float rx = float(j) - w / 2.0f + 0.5f;
            const float rho = std::sqrt(rx * rx + ry * ry) / halfDiag;
            const int32_t falloff = FMapObj ? FMapObj->getAlpha(rho) : 255;
            cells[i * FShapeSize.x + j] = value * falloff / 255;
        }
    }
    return true;
}

int32_t CPenBitmapShape5::getCenterValue(int32_t dx, int32_t dy) const
{
    return FEnable ? centerCell(FPenShapeArray, FShapeSize, FCenter, FRate, dx, dy) : 0;
}

// ---- exact maps of one dab ------------------------------------------------------------------

namespace {

// Writes chords of one dab into the coverage and distance maps (one cell per pixel). Lines run
// along rows (dirX) or columns; "along" is the chord's axis, "across" the other one.
class ChordPainter
{
  public:
    ChordPainter(SDynArray2D &area, SDynArray2D &shape, const sSize &size, bool dirX)
        : m_area(area.items<int32_t>()), m_shape(shape.items<int32_t>()), m_size(size), m_dirX(dirX)
    {
    }

    // The covered length of every cell the chord [l, r) touches on line `line`, times weight.
    void cover(int32_t line, float l, float r, float weight)
    {
        const int32_t first = int32_t(std::floor(l)), last = int32_t(std::ceil(r)) - 1;
        for (int32_t k = first; k <= last; ++k) {
            float len = 1.0f;
            if (first == last)
                len = r - l;
            else if (k == first)
                len = float(first + 1) - l;
            else if (k == last)
                len = r - float(last);
            add(line, k, int32_t(std::lrint(double(len) * weight * kOne)));
        }
    }

    // Each cell of the chord gets dist(sample along, across offset) at its sample point: the
    // middle of the covered part for the end cells, the cell centre for the others.
    template <class Dist> void distance(int32_t line, float l, float r, float across, Dist dist)
    {
        const int32_t first = int32_t(std::floor(l)), last = int32_t(std::ceil(r)) - 1;
        for (int32_t k = first; k <= last; ++k) {
            float at = float(k) + 0.5f;
            if (k == first || k == last)
                at = (std::max(l, float(k)) + std::min(r, float(k + 1))) / 2.0f;
            const float d = std::min(dist(at, across), 1.0f);
            set(line, k, int32_t(std::lrint(double(d) * kOne)));
        }
    }

  private:
    int32_t *cell(int32_t *map, int32_t line, int32_t k)
    {
        const int32_t x = m_dirX ? k : line, y = m_dirX ? line : k;
        return ptInSize(x, y, m_size.x, m_size.y) ? map + y * m_size.x + x : nullptr;
    }
    void add(int32_t line, int32_t k, int32_t v)
    {
        if (int32_t *c = cell(m_area, line, k))
            *c = std::min(*c + v, kOne);
    }
    void set(int32_t line, int32_t k, int32_t v)
    {
        if (int32_t *c = cell(m_shape, line, k))
            *c = v;
    }

    int32_t *m_area;
    int32_t *m_shape;
    sSize m_size;
    bool m_dirX;
};

// The weight of line k among the lines [lo, hi) covered by the extent [c − e, c + e]: the part
// of the line inside the extent.
float lineWeight(int32_t k, int32_t first, int32_t last, float c, float e)
{
    if (first == last)
        return 2 * e;
    if (k == first)
        return float(first + 1) - (c - e);
    if (k == last)
        return (c + e) - float(last);
    return 1.0f;
}

} // namespace

void CPenShape::drawExactCircle(float cx, float cy, float rho, bool dirX)
{
    ChordPainter paint(areaAry, shapeAry, zsize, dirX);
    // Along the chords: x for rows, y for columns.
    const float ca = dirX ? cx : cy, cc = dirX ? cy : cx;
    auto dist = [&](float along, float across) {
        const float da = along - ca;
        return rho > 0 ? std::sqrt(da * da + across * across) / rho : 0.0f;
    };
    if (rho < 0.5f) {
        const int32_t line = int32_t(std::floor(cc));
        paint.cover(line, ca - rho, ca + rho, 0.5f);
        paint.distance(line, ca - rho, ca + rho, float(line) + 0.5f - cc, dist);
        return;
    }
    const int32_t first = int32_t(std::floor(cc - rho)), last = int32_t(std::ceil(cc + rho)) - 1;
    for (int32_t k = first; k <= last; ++k) {
        const float across = float(k) + 0.5f - cc;
        const float q = rho * rho - across * across;
        if (q < 0)
            continue; // the line's middle misses the circle
        const float half = std::sqrt(q);
        paint.cover(k, ca - half, ca + half, lineWeight(k, first, last, cc, rho));
        paint.distance(k, ca - half, ca + half, across, dist);
    }
}

void CPenShape::drawExactEllipse(float cx, float cy, bool dirX)
{
    const SEllipseParam &e = elps;
    ChordPainter paint(areaAry, shapeAry, zsize, dirX);
    const float ca = dirX ? cx : cy, cc = dirX ? cy : cx;
    // The half extent across the chords and along them.
    const float across = dirX ? e.h : e.w, along = dirX ? e.w : e.h;
    // Rows solve the implicit form for x (AA), columns for y (CC).
    const float lead = dirX ? e.AA : e.CC;
    auto dist = [&](float at, float off) {
        const float x = dirX ? at - ca : off, y = dirX ? off : at - ca;
        const float u = x * e.cn - y * e.sn, v = (x * e.sn + y * e.cn) * e.IFlat;
        return std::sqrt(u * u + v * v) * e.IR;
    };
    if (across < 0.5f) {
        const int32_t line = int32_t(std::floor(cc));
        paint.cover(line, ca - along, ca + along, 0.5f);
        paint.distance(line, ca - along, ca + along, float(line) + 0.5f - cc, dist);
        return;
    }
    const int32_t first = int32_t(std::floor(cc - across));
    const int32_t last = int32_t(std::ceil(cc + across)) - 1;
    for (int32_t k = first; k <= last; ++k) {
        const float off = float(k) + 0.5f - cc;
        if (std::fabs(off) > across)
            continue;
        const float q = -off * off * e.det + 4.0f * lead * e.DD;
        if (q < 0 || lead <= 0)
            continue;
        const float root = std::sqrt(q);
        const float l = (-e.BB * off - root) / (2.0f * lead);
        const float r = (-e.BB * off + root) / (2.0f * lead);
        paint.cover(k, ca + l, ca + r, lineWeight(k, first, last, cc, across));
        paint.distance(k, ca + l, ca + r, off, dist);
    }
}
