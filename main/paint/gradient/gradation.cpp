#include "paint/gradient/gradation.h"

#include "core/image/canvas.h"
#include "core/base/numeric.h"

#include <algorithm>
#include <cmath>

namespace {

// The stage functions compute in extended precision and store Singles, as the stages hand a
// Single t from one to the next.

constexpr long double kTwoPi = 6.283185307179586L;

// Frac: the part after the point, with the sign of x.
float frac(long double x)
{
    return float(x - std::trunc(x));
}

float calcLinear(const CGradation &g, sFPos d)
{
    // A start point on the end point has no direction: every position is the start.
    if (g.R2 == 0) {
        return 0;
    }
    return float(((long double)g.FV.x * d.x + (long double)g.FV.y * d.y) / g.R2);
}

float calcRot(const CGradation &g, sFPos d)
{
    float a = float((long double)gradAngle(d) - g.angle);
    while (a < 0) {
        a = float(a + 1.0L);
    }
    while (a > 1) {
        a = float(a - 1.0L);
    }
    return a;
}

float calcGrade(const CGradation &g, sFPos d)
{
    if (g.unitSz.x == 0 || g.unitSz.y == 0) {
        return 0;
    }
    const long double x = d.x / (long double)g.unitSz.x;
    const long double y = d.y / (long double)g.unitSz.y;
    return float(std::sqrt(x * x + y * y));
}

float repTimes(const CGradation &g, float t)
{
    return t > 0 && t < g.gradAttr.gradRepCnt ? frac(t) : t;
}

float repEndless(const CGradation &, float t)
{
    return t >= 0 ? frac(t) : float(1.0L - frac(-(long double)t));
}

// The rotational shape divides the turn into gradRepCnt repeats whatever the repeat mode.
float repRot(const CGradation &g, float t)
{
    return frac(t / (long double)g.rotUnit);
}

float mapNormal(float t)
{
    return t;
}

float mapReturn(float t)
{
    if (t <= 0) {
        return 0;
    }
    if (t <= 0.5f) {
        return float(2.0L * t);
    }
    if (t < 1) {
        return float(2.0L * (1.0L - t));
    }
    return 0;
}

constexpr fptrGradCalc kCalcTable[gtMaxNum] = {calcLinear, calcRot, calcGrade};
constexpr fptrGradRep kRepTable[grMaxNum] = {repTimes, repEndless};
constexpr fptrGradMap kMapTable[gmMaxNum] = {mapNormal, mapReturn};

// The stop lookup only tells t <= 0, 0 < t < 1 and t >= 1 apart, so t far from the end points is
// pulled in before it becomes 16.16: beyond 32767 the conversion would wrap to a negative
// position and paint the first colour where the last one holds.
int32_t positionOf(float t)
{
    if (std::isnan(t)) {
        return 0;
    }
    return floatToFix(std::clamp(t, -2.0f, 2.0f));
}

} // namespace

float gradAngle(sFPos v)
{
    if (v.x == 0) {
        return v.y >= 0 ? 0.25f : 0.75f;
    }
    long double a = std::atan2((long double)v.y, (long double)v.x) / kTwoPi;
    if (a < 0) {
        a += 1;
    }
    return float(a);
}

CGradation::CGradation(const CColorSlotGroup *crsg)
    : CGradation(sFXPos{0, 0}, sFXPos{100 << 16, 0}, crsg)
{
}

CGradation::CGradation(sFXPos p0, sFXPos p1, const CColorSlotGroup *crsg)
{
    crsGroup = crsg;
    setGradType(gtLinear, gmNormal, grTimes, 1);
    setPos(p0, p1);
}

bool CGradation::init(int32_t gt, const CColorSlotGroup *crsg)
{
    return init(gt, fxpos0, fxpos1, crsg);
}

bool CGradation::init(int32_t gt, sFXPos p0, sFXPos p1, const CColorSlotGroup *crsg)
{
    setGradGroup(crsg);
    setPos(p0, p1);
    return setGradType(gt, gmNormal, grTimes, 1);
}

bool CGradation::setGradType(int32_t gt, int32_t gm, int32_t gr, int32_t rep)
{
    if (gt < 0 || gt >= gtMaxNum || gm < 0 || gm >= gmMaxNum || gr < 0 || gr >= grMaxNum ||
        rep <= 0) {
        return false;
    }
    gradAttr.gradType = uint8_t(gt);
    gradAttr.gradMap = uint8_t(gm);
    gradAttr.gradRep = uint8_t(gr);
    gradAttr.gradRepCnt = rep;
    rotUnit = float(1.0L / rep);
    fnCalc = kCalcTable[gt];
    fnMap = kMapTable[gm];
    fnRep = gt == gtRot ? repRot : kRepTable[gr];
    return true;
}

void CGradation::setPos(sFXPos p0, sFXPos p1)
{
    fxpos0 = p0;
    fxpos1 = p1;
    fpos0 = {float(fixToFloat(p0.x)), float(fixToFloat(p0.y))};
    fpos1 = {float(fixToFloat(p1.x)), float(fixToFloat(p1.y))};
    // The difference is taken wide: two far-apart 16.16 points need not differ by an Integer.
    const int64_t vx = int64_t(p1.x) - p0.x;
    const int64_t vy = int64_t(p1.y) - p0.y;
    V = {int32_t(uint32_t(vx)), int32_t(uint32_t(vy))};
    FV = {float(vx / 65536.0L), float(vy / 65536.0L)};
    R2 = float((long double)FV.x * FV.x + (long double)FV.y * FV.y);
    angle = gradAngle(FV);
    if (gradAttr.gradType == gtGrade) {
        unitSz.x = FV.x != 0 ? FV.x : FV.y;
        unitSz.y = FV.y != 0 ? FV.y : FV.x;
    } else {
        unitSz.x = unitSz.y = std::max(std::fabs(FV.x), std::fabs(FV.y));
    }
}

void CGradation::getPosFX(sFXPos &p0, sFXPos &p1) const
{
    p0 = fxpos0;
    p1 = fxpos1;
}

float CGradation::evalPosition(sFPos pos) const
{
    const sFPos d{float((long double)pos.x - fpos0.x), float((long double)pos.y - fpos0.y)};
    float t = fnCalc(*this, d);
    t = fnRep(*this, t);
    return fnMap(t);
}

sRGBA CGradation::getColor(sFPos pos) const
{
    if (!crsGroup) {
        return sRGBA{};
    }
    return crsGroup->getColor(positionOf(evalPosition(pos)));
}

sRGBA CGradation::getColor(sPos pos) const
{
    return getColor(sFPos{float(pos.x), float(pos.y)});
}

void gradPreviewPoints(int32_t w, int32_t h, const SGradAttr &attr, sFXPos &p0, sFXPos &p1)
{
    const int32_t count = std::max(attr.gradRepCnt, 1);
    const int32_t repeats = attr.gradRep == grEndless ? 10
                            : attr.gradType == gtRot  ? count
                                                      : std::min(count, 10);
    const sFXPos c{int32_t(int64_t(w - 1) * 32768), int32_t(int64_t(h - 1) * 32768)};
    switch (attr.gradType) {
    case gtRot:
        p0 = c;
        p1 = {2 * c.x, c.y};
        break;
    case gtGrade:
        p0 = c;
        // max(c.x, c.y) / repeats, both in 16.16.
        p1 = {c.x + fixDiv(std::max(c.x, c.y), repeats << 16), c.y};
        break;
    default:
        p0 = {0, 0};
        // (w - 1) / repeats pixels: the repeats fill the width.
        p1 = {fixDiv(w - 1, repeats), 0};
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// Drawing into canvases

namespace {

// A stop colour as a canvas pixel: R and B trade places, the opacity becomes the alpha.
sBGRA canvasPixel(sRGBA c)
{
    sBGRA p;
    p.B = c.B;
    p.G = c.G;
    p.R = c.R;
    p.A = c.A;
    return p;
}

} // namespace

bool CColorSlotGroup::drawPreview(TMTC &tc, sBox box) const
{
    if (!tc.isEnable() || !tc.clipping(box)) {
        return false;
    }
    // Column c of w shows the position c / (w - 1); a single column shows the start.
    for (int32_t c = 0; c < box.w; ++c) {
        const int32_t n = box.w > 1 ? fixDiv(c, box.w - 1) : 0;
        const sBGRA p = canvasPixel(getColor(n));
        for (int32_t y = box.y; y < box.y + box.h; ++y) {
            *tc.seek32(box.x + c, y) = p;
        }
    }
    return true;
}

bool CGradation::drawGradation(TMTC &tc, sBox *box) const
{
    if (!tc.isEnable() || !box || !tc.clipping(*box)) {
        return false;
    }
    for (int32_t y = box->y; y < box->y + box->h; ++y) {
        sBGRA *row = tc.seek32(box->x, y);
        for (int32_t x = 0; x < box->w; ++x) {
            row[x] = canvasPixel(getColor(sPos{box->x + x, y}));
        }
    }
    return true;
}

bool drawGradObjPreview(TMTC &tc, const CGradObj &grad, const SGradAttr &)
{
    const SGradAttr &a = grad.attr;
    if (!tc.isEnable()) {
        return false;
    }
    sFXPos p0, p1;
    gradPreviewPoints(tc.width(), tc.height(), a, p0, p1);
    CGradation g(p0, p1, grad.crsg.get());
    if (!g.setGradType(a.gradType, a.gradMap, a.gradRep, a.gradRepCnt)) {
        return false;
    }
    sBox whole{0, 0, tc.width(), tc.height()};
    return g.drawGradation(tc, &whole);
}
