#include "paint/fill/ellipse_geometry.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

// Expressions are evaluated in extended precision and rounded to Single where a field stores them.
using Ext = long double;

void rotEllipseClear(SRotEllipse &re)
{
    re.enable = false;
    re.det = 0;
}

namespace {

Ext sq(Ext v)
{
    return v * v;
}

// The ellipse coefficients from the two relative points; u is the longer of a1 and c1, v the
// other, and the stored squares follow them.
bool solveCoefficients(SRotEllipse &re)
{
    const Ext A2 = sq(re.a1.x) + sq(re.a1.y);
    const Ext B2 = sq(re.c1.x) + sq(re.c1.y);
    const Ext I = Ext(re.a1.x) * re.c1.x + Ext(re.a1.y) * re.c1.y;
    const Ext det2 = sq(re.det);
    // When the point on the curve lies farther from the centre than the diameter's end, the roles
    // of the two points exchange.
    const bool cLonger = B2 >= A2;
    const Ext U2 = cLonger ? B2 : A2;
    const sFPos u = cLonger ? re.c1 : re.a1;
    const Ext denom = U2 - sq(I) / U2;
    if (U2 == 0 || denom == 0)
        return false;
    const Ext J = std::fabs(U2 * (det2 / U2) / denom);
    re.A2 = float(cLonger ? J : A2);
    re.B2 = float(cLonger ? B2 : J);
    re.L = float(sq(u.y) + sq(u.x) * J / U2);
    re.M = float(Ext(u.y) * u.x * (J / U2 - 1));
    re.N = float(sq(u.x) + sq(u.y) * J / U2);
    return true;
}

} // namespace

bool rotEllipseInit(SRotEllipse &re, const sFPos &a, const sFPos &b, const sFPos &c)
{
    rotEllipseClear(re);
    re.a0 = a;
    re.b0 = b;
    re.c0 = c;
    re.o1 = {float((Ext(a.x) + b.x) / 2), float((Ext(a.y) + b.y) / 2)};
    re.a1 = {float(Ext(a.x) - re.o1.x), float(Ext(a.y) - re.o1.y)};
    re.b1 = {float(Ext(b.x) - re.o1.x), float(Ext(b.y) - re.o1.y)};
    re.c1 = {float(Ext(c.x) - re.o1.x), float(Ext(c.y) - re.o1.y)};
    re.det = float(Ext(re.a1.x) * re.c1.y - Ext(re.a1.y) * re.c1.x);
    if (re.a1 == re.b1 || re.det == 0 || !solveCoefficients(re))
        return false;

    re.P = float(Ext(re.L) * re.A2 * re.B2);
    re.Q = float(Ext(re.L) * re.N - sq(re.M));
    const Ext k2 = re.Q != 0 ? Ext(re.P) / re.Q : -1;
    if (!(k2 >= 0) || !std::isfinite(k2) || !(re.L > 0))
        return false;
    re.k1 = float(std::sqrt(k2));
    re.rngFY = {float(Ext(re.o1.y) - re.k1), float(Ext(re.o1.y) + re.k1)};
    const Ext top = std::floor(Ext(re.rngFY.min)), bottom = std::ceil(Ext(re.rngFY.max));
    // Rows must be integers: an ellipse beyond the 32-bit range gives none.
    if (top < INT32_MIN || bottom > INT32_MAX)
        return false;
    re.rngY = {int32_t(top), int32_t(bottom)};
    re.enable = true;
    return true;
}

int32_t rotEllipseCrossings(const SRotEllipse &re, int32_t y, float &xLeft, float &xRight)
{
    if (!re.enable)
        return 0;
    const Ext d = Ext(y) - re.o1.y;
    const Ext r = std::fabs(d) == re.k1 ? 0 : re.P - sq(d) * re.Q;
    if (r < 0)
        return 0;
    const Ext s = std::sqrt(r);
    if (s > 0) {
        xLeft = float(re.o1.x + (-d * re.M - s) / re.L);
        xRight = float(re.o1.x + (-d * re.M + s) / re.L);
        return 2;
    }
    xLeft = xRight = float(re.o1.x - d * re.M / re.L);
    return 1;
}

namespace {

// The quarter arc from (rx, 0) at fraction 0 to (0, ry) at fraction 1.
sFPos quarterPoint(Ext f, float rx, float ry)
{
    if (f == 1)
        return {0, ry};
    const Ext angle = f * std::numbers::pi_v<Ext> / 2;
    return {float(std::cos(angle) * rx), float(std::sin(angle) * ry)};
}

// Inserts the arc's midpoint between the points at f0 and f1 while it lies at least a quarter
// pixel from their chord, halving down to 2^-10 of the quarter.
void refineArc(std::vector<sFPos> &out, Ext f0, sFPos p0, Ext f1, sFPos p1, float rx, float ry)
{
    if (f1 - f0 < 1.0L / 1024)
        return;
    const Ext fm = (f0 + f1) / 2;
    const sFPos pm = quarterPoint(fm, rx, ry);
    const Ext dx = pm.x - (Ext(p0.x) + p1.x) / 2, dy = pm.y - (Ext(p0.y) + p1.y) / 2;
    if (std::sqrt(dx * dx + dy * dy) < 0.25L)
        return;
    refineArc(out, f0, p0, fm, pm, rx, ry);
    out.push_back(pm);
    refineArc(out, fm, pm, f1, p1, rx, ry);
}

void outlinePolygon(std::vector<sFPos> &points, const SRotEllipse &re)
{
    const float rx = std::fabs(re.b1.x), ry = re.c1.y;
    // From the end of the horizontal half-axis (b1 when the ellipse is upright) to the end of the
    // vertical one (c1).
    const sFPos first = quarterPoint(0, rx, ry), last = quarterPoint(1, rx, ry);
    std::vector<sFPos> quarter{first};
    refineArc(quarter, 0, first, 1, last, rx, ry);
    quarter.push_back(last);
    const size_t m = quarter.size();
    points.clear();
    points.reserve(4 * (m - 1));
    for (const float s : {1.0f, -1.0f}) {
        for (size_t i = 0; i + 1 < m; ++i)
            points.push_back({re.o1.x + s * quarter[i].x, re.o1.y + s * quarter[i].y});
        for (size_t i = m - 1; i >= 1; --i)
            points.push_back({re.o1.x - s * quarter[i].x, re.o1.y + s * quarter[i].y});
    }
}

// More rows than any figure on a document of the largest size could need.
constexpr int64_t kMaxCrossingRows = int64_t(1) << 22;

bool rowCrossings(std::vector<sFPos> &points, const SRotEllipse &re)
{
    points.clear();
    if (int64_t(re.rngY.max) - re.rngY.min > kMaxCrossingRows)
        return false;
    for (int64_t y = re.rngY.min; y <= re.rngY.max; ++y) {
        float x0 = 0, x1 = 0;
        const int32_t k = rotEllipseCrossings(re, int32_t(y), x0, x1);
        if (k >= 1)
            points.push_back({x0, float(y)});
        if (k == 2)
            points.push_back({x1, float(y)});
    }
    return true;
}

} // namespace

bool makeEllipsePolygon(std::vector<sFPos> &points, const SRotEllipse &re, int32_t &n, bool poly)
{
    n = 0;
    points.clear();
    if (!re.enable)
        return false;
    try {
        if (poly) {
            outlinePolygon(points, re);
        } else if (!rowCrossings(points, re)) {
            points.clear();
            return false;
        }
    } catch (const std::bad_alloc &) {
        points.clear();
        return false;
    }
    n = int32_t(points.size());
    return true;
}

bool makeEllipsePolygon(std::vector<sFPos> &points, const sFPos &a, const sFPos &b, const sFPos &c,
                        int32_t &n, bool poly)
{
    SRotEllipse re;
    if (!rotEllipseInit(re, a, b, c)) {
        n = 0;
        points.clear();
        return false;
    }
    return makeEllipsePolygon(points, re, n, poly);
}
