#include "core/base/geometry.h"

#include "core/base/numeric.h"

#include <algorithm>
#include <cmath>

namespace {

// Floor or ceiling of a floating value as an Integer, saturated so that no value is undefined.
int32_t toInt32Saturated(long double v)
{
    if (std::isnan(v))
        return 0;
    if (v <= -2147483648.0L)
        return INT32_MIN;
    if (v >= 2147483647.0L)
        return INT32_MAX;
    return int32_t(v);
}

} // namespace

void boxNormalize(sBox &box)
{
    if (box.w < 0) {
        box.x += box.w;
        box.w = -box.w;
    }
    if (box.h < 0) {
        box.y += box.h;
        box.h = -box.h;
    }
}

void boxFromPoints(sBox &box, const sPos &p1, const sPos &p2)
{
    box = {p1.x, p1.y, p2.x - p1.x, p2.y - p1.y};
    boxNormalize(box);
}

sBox boxFromPosSize(const sPos &pos, const sSize &size)
{
    return {pos.x, pos.y, size.x, size.y};
}

sRect rectFromSize(const sSize &size)
{
    return {0, 0, size.x, size.y};
}

QRect tRectFromSize(const sSize &size)
{
    return QRect(0, 0, size.x, size.y);
}

sBox boxFromSize(const sSize &size)
{
    return {0, 0, size.x, size.y};
}

sRect boxToRect(const sBox &box)
{
    return {box.x, box.y, box.x + box.w, box.y + box.h};
}

QRect boxToTRect(const sBox &box)
{
    return QRect(box.x, box.y, box.w, box.h);
}

sBox rectToBox(const sRect &rect)
{
    return {rect.x0, rect.y0, rect.x1 - rect.x0, rect.y1 - rect.y0};
}

sBox tRectToBox(const QRect &rect)
{
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

sSize rectSize(const sRect &rect)
{
    return {rect.x1 - rect.x0, rect.y1 - rect.y0};
}

sFRect boxToFRect(const sBox &box)
{
    return {float(box.x), float(box.y), float(box.x + box.w), float(box.y + box.h)};
}

sRect fRectToRect(const sFRect &rect)
{
    return {toInt32Saturated(std::floor((long double)rect.x0)),
            toInt32Saturated(std::floor((long double)rect.y0)),
            toInt32Saturated(std::ceil((long double)rect.x1)),
            toInt32Saturated(std::ceil((long double)rect.y1))};
}

sBox fRectToBox(const sFRect &rect)
{
    return rectToBox(fRectToRect(rect));
}

void fRectFromPoints(sFRect &rect, const sFPos &p0, const sFPos &p1)
{
    rect.x0 = std::min(p0.x, p1.x);
    rect.x1 = std::max(p0.x, p1.x) + 1.0f;
    rect.y0 = std::min(p0.y, p1.y);
    rect.y1 = std::max(p0.y, p1.y) + 1.0f;
}

sRect rectFromPosSize(const sPos &pos, const sSize &size)
{
    return {pos.x, pos.y, pos.x + size.x, pos.y + size.y};
}

void rectClear(sRect &rect)
{
    rect = {};
}

namespace {

// One intersection routine for both rectangle kinds: each edge is either pulled in or found to
// lie outside the other rectangle, in the order x0, x1, y0, y1.
template <class R> bool intersectInPlace(R &a, const R &b)
{
    if (a.x0 < b.x0)
        a.x0 = b.x0;
    else if (a.x0 > b.x1)
        return false;
    if (a.x1 > b.x1)
        a.x1 = b.x1;
    else if (a.x1 < b.x0)
        return false;
    if (a.y0 < b.y0)
        a.y0 = b.y0;
    else if (a.y0 > b.y1)
        return false;
    if (a.y1 > b.y1)
        a.y1 = b.y1;
    else if (a.y1 < b.y0)
        return false;
    return a.x0 < a.x1 && a.y0 < a.y1;
}

} // namespace

bool rectIntersect(sRect &a, const sRect &b)
{
    return intersectInPlace(a, b);
}

bool fRectIntersect(sFRect &a, const sFRect &b)
{
    return intersectInPlace(a, b);
}

bool rectClipToSize(sRect &rect, const sSize &size)
{
    return rectIntersect(rect, rectFromSize(size));
}

bool boxClipToRect(sBox &box, const sRect &rect)
{
    sRect r = boxToRect(box);
    const bool result = rectIntersect(r, rect);
    box = rectToBox(r);
    return result;
}

bool boxClipToSize(sBox &box, const sSize &size)
{
    return boxClipToRect(box, rectFromSize(size));
}

bool boxIntersect(sBox &box, const sBox &other)
{
    return boxClipToRect(box, boxToRect(other));
}

void boxDeflate(sBox &box, int32_t n)
{
    box.x += n;
    box.y += n;
    box.w -= 2 * n;
    box.h -= 2 * n;
}

void rectDeflate(sRect &rect, int32_t n)
{
    rect.x0 += n;
    rect.y0 += n;
    rect.x1 -= n;
    rect.y1 -= n;
}

void rectInflate(sRect &rect, int32_t n)
{
    rectDeflate(rect, -n);
}

void rectOffset(sRect &rect, int32_t dx, int32_t dy)
{
    rect.x0 += dx;
    rect.x1 += dx;
    rect.y0 += dy;
    rect.y1 += dy;
}

void boxOffset(sBox &box, int32_t dx, int32_t dy)
{
    box.x += dx;
    box.y += dy;
}

void rectAddPoint(sRect &rect, int32_t x, int32_t y)
{
    if (x < rect.x0)
        rect.x0 = x;
    else if (x >= rect.x1)
        rect.x1 = x + 1;
    if (y < rect.y0)
        rect.y0 = y;
    else if (y >= rect.y1)
        rect.y1 = y + 1;
}

void rectAddRect(sRect &rect, const sRect &other)
{
    rectAddPoint(rect, other.x0, other.y0);
    rectAddPoint(rect, other.x1 - 1, other.y0);
    rectAddPoint(rect, other.x0, other.y1 - 1);
    rectAddPoint(rect, other.x1 - 1, other.y1 - 1);
}

void rectUnion(sRect &a, const sRect &b)
{
    a.x0 = std::min(a.x0, b.x0);
    a.y0 = std::min(a.y0, b.y0);
    a.x1 = std::max(a.x1, b.x1);
    a.y1 = std::max(a.y1, b.y1);
}

void rectUnionMinMax(sRect &a, const sRect &b)
{
    rectUnion(a, b);
}

void boxUnion(sBox &a, const sBox &b)
{
    sRect r = boxToRect(a);
    rectAddRect(r, boxToRect(b));
    a = rectToBox(r);
}

bool rectContainsPoint(const sRect &rect, const sPos &p)
{
    return rect.x0 <= p.x && p.x < rect.x1 && rect.y0 <= p.y && p.y < rect.y1;
}

bool boxContainsPoint(const sBox &box, const sPos &p)
{
    return box.x <= p.x && p.x < box.x + box.w && box.y <= p.y && p.y < box.y + box.h;
}

bool sizeContains(const sSize &a, const sSize &b)
{
    return a.x >= b.x && a.y >= b.y;
}

bool boxInsideSize(const sBox &box, const sSize &size)
{
    return box.x >= 0 && box.y >= 0 && box.x + box.w <= size.x && box.y + box.h <= size.y;
}

void posClampToBox(sPos &p, const sBox &box)
{
    p.x = box.w <= 0 ? box.x : clampInt(p.x, box.x, box.x + box.w - 1);
    p.y = box.h <= 0 ? box.y : clampInt(p.y, box.y, box.y + box.h - 1);
}

bool boxMoveInside(sBox &box, const sBox &container)
{
    if (box.w > container.w || box.h > container.h)
        return false;
    sPos p = box.pos();
    posClampToBox(p, {container.x, container.y, container.w - box.w, container.h - box.h});
    box.x = p.x;
    box.y = p.y;
    return true;
}

void posClampToSize(sPos &p, const sSize &size)
{
    p.x = clampInt(p.x, 0, size.x - 1);
    p.y = clampInt(p.y, 0, size.y - 1);
}

void posClampToSizeIncl(sPos &p, const sSize &size)
{
    p.x = clampInt(p.x, 0, size.x);
    p.y = clampInt(p.y, 0, size.y);
}

int32_t rectSubtract(const sRect &outer, const sRect &inner, std::array<sRect, 4> &out)
{
    const sRect &b = outer;
    if (b.x0 >= b.x1 || b.y0 >= b.y1)
        return 0;
    // Clipping the hole to the outer rectangle keeps every piece inside the outer one.
    sRect a = inner;
    if (!rectIntersect(a, b)) {
        out[0] = b;
        return 1;
    }
    int32_t n = 0;
    if (b.y0 < a.y0)
        out[n++] = {b.x0, b.y0, b.x1, a.y0};
    if (b.x0 < a.x0)
        out[n++] = {b.x0, a.y0, a.x0, a.y1};
    if (a.x1 < b.x1)
        out[n++] = {a.x1, a.y0, b.x1, a.y1};
    if (a.y1 < b.y1)
        out[n++] = {b.x0, a.y1, b.x1, b.y1};
    return n;
}

int64_t rectGapSq(const sRect &a, const sRect &b)
{
    int64_t dx = 0, dy = 0;
    if (b.x1 < a.x0)
        dx = int64_t(a.x0) - b.x1;
    else if (a.x1 < b.x0)
        dx = int64_t(b.x0) - a.x1;
    if (b.y1 < a.y0)
        dy = int64_t(a.y0) - b.y1;
    else if (a.y1 < b.y0)
        dy = int64_t(b.y0) - a.y1;
    return dx * dx + dy * dy;
}

int64_t rectArea(const sRect &rect)
{
    return (int64_t(rect.x1) - rect.x0) * (int64_t(rect.y1) - rect.y0);
}

bool boxFitAspect(sBox &box, const sSize &outer, const sSize &inner)
{
    // Without a ratio to compare there is no aspect to keep: the whole outer box.
    if (inner.y == 0 || outer.y == 0) {
        box = {0, 0, outer.x, outer.y};
        return true;
    }
    // The ratios are Single variables: the quotient is rounded to Single before comparing.
    const float ratioIn = float((long double)inner.x / inner.y);
    const float ratioOut = float((long double)outer.x / outer.y);
    // A zero-wide inner size is "wider" only than a negative outer ratio, and that branch would
    // divide by its width.
    if (inner.x == 0 && ratioIn > ratioOut) {
        box = {0, 0, outer.x, outer.y};
        return true;
    }
    if (ratioIn == ratioOut) {
        box = {0, 0, outer.x, outer.y};
    } else if (ratioIn > ratioOut) {
        const int32_t h = std::max<int32_t>(1, int32_t(int64_t(inner.y) * outer.x / inner.x));
        box = {0, (outer.y - h) / 2, outer.x, h};
    } else {
        const int32_t w = std::max<int32_t>(1, int32_t(int64_t(inner.x) * outer.y / inner.y));
        box = {(outer.x - w) / 2, 0, w, outer.y};
    }
    return true;
}

bool boxCenterOrFit(sBox &box, const sSize &outer, const sSize &inner)
{
    if (sizeContains(outer, inner)) {
        box = {(outer.x - inner.x) / 2, (outer.y - inner.y) / 2, inner.x, inner.y};
        return true;
    }
    return boxFitAspect(box, outer, inner);
}

sFPos posToFPos(const sPos &p)
{
    return {float(p.x), float(p.y)};
}

sPos fPosToPos(const sFPos &p)
{
    // 0.01 pulls values a hair below an integer (from Single rounding) up to it.
    return {toInt32Saturated(std::floor((long double)p.x + 0.01L)),
            toInt32Saturated(std::floor((long double)p.y + 0.01L))};
}

sFPos fxPosToFPos(const sFXPos &p)
{
    return {float(p.x / 65536.0), float(p.y / 65536.0)};
}

float vecLength(float x, float y)
{
    const long double lx = x, ly = y;
    return float(std::sqrt(lx * lx + ly * ly));
}

float sizeAspect(int32_t x, int32_t y)
{
    if (y == 0)
        return 32767.0f;
    return float((long double)x / y);
}
