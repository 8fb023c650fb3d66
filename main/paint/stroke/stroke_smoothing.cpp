#include "paint/stroke/stroke_smoothing.h"

#include <algorithm>
#include <cmath>
#include <new>

// Expressions are evaluated in extended precision and rounded to Single when stored, as the
// recorded strokes were computed; the same samples must give the same dabs.
using ext = long double;

bool CSmoother::start(const SStrokeData &sd)
{
    strokeDataArray.clear();
    if (sampleCount < 0 || sampleCount > kMaxSampleCount) {
        return false;
    }
    try {
        strokeDataArray.assign(size_t(sampleCount) * 2 + 1, sd);
    } catch (const std::bad_alloc &) {
        strokeDataArray.clear();
        return false;
    }
    dataCount = 0;
    isFirstCalc = true;
    prevXSum = prevYSum = 0;
    return true;
}

bool CSmoother::add(const SStrokeData &sd)
{
    if (!isUsable()) {
        return false;
    }
    std::copy_backward(strokeDataArray.begin(), strokeDataArray.end() - 1, strokeDataArray.end());
    strokeDataArray[0] = sd;
    dataCount = dataCount < INT32_MAX ? dataCount + 1 : dataCount;
    const int32_t n = level();
    if (n == 0) {
        return true;
    }
    SStrokeData *w = strokeDataArray.data();
    if (isFirstCalc) {
        isFirstCalc = false;
        prevXSum = prevYSum = 0;
        for (int32_t i = 0; i <= 2 * n; ++i) {
            if (i != n) {
                prevXSum = float(ext(prevXSum) + w[i].x);
                prevYSum = float(ext(prevYSum) + w[i].y);
            }
        }
    } else {
        prevXSum = float(ext(prevXSum) + w[0].x);
        prevYSum = float(ext(prevYSum) + w[0].y);
    }
    w[n].x = float(ext(prevXSum) / (2 * n));
    w[n].y = float(ext(prevYSum) / (2 * n));
    // After the next shift the sums cover the N newest raw samples and the N older smoothed ones.
    prevXSum = float(ext(prevXSum) - w[2 * n].x - w[n - 1].x + w[n].x);
    prevYSum = float(ext(prevYSum) - w[2 * n].y - w[n - 1].y + w[n].y);
    return true;
}

SStrokeData CSmoother::getSmoothData() const
{
    return isUsable() ? strokeDataArray[size_t(level())] : SStrokeData{};
}

SStrokeData CSmoother::getLastData() const
{
    return isUsable() ? strokeDataArray[0] : SStrokeData{};
}

float CSmoother::getLastDistance() const
{
    if (!isUsable()) {
        return 0;
    }
    const int32_t n = level();
    const SStrokeData *w = strokeDataArray.data();
    ext x = w[n].x, y = w[n].y, len = 0;
    auto walkTo = [&](ext nx, ext ny) {
        len += std::sqrt((nx - x) * (nx - x) + (ny - y) * (ny - y));
        x = nx;
        y = ny;
    };
    for (int32_t i = n + 1; i < 2 * n; ++i) {
        walkTo((ext(w[i].x) + w[i + 1].x) / 2, (ext(w[i].y) + w[i + 1].y) / 2);
    }
    walkTo(w[2 * n].x, w[2 * n].y);
    return float(len);
}

CInterpolater::CInterpolater(eInterpolateType type) : iptType(type)
{
    interpolateDataArray.reserve(1024);
}

void CInterpolater::start(const SStrokeData &sd)
{
    std::fill(std::begin(strokeDataArray), std::end(strokeDataArray), sd);
    dataCount = 1;
}

void CInterpolater::add(const SStrokeData &sd)
{
    if (dataCount <= 0) {
        return;
    }
    std::copy_backward(strokeDataArray, strokeDataArray + 3, strokeDataArray + 4);
    strokeDataArray[0] = sd;
    dataCount = dataCount < INT32_MAX ? dataCount + 1 : dataCount;
}

SStrokeData CInterpolater::evalBSpline(float t) const
{
    const SStrokeData &p0 = strokeDataArray[0], &p1 = strokeDataArray[1];
    const SStrokeData &p2 = strokeDataArray[2], &p3 = strokeDataArray[3];
    const ext T = t, u = 1 - T;
    const ext b3 = u * u * u;
    const ext b2 = 3 * T * T * T - 6 * T * T + 4;
    const ext b1 = -3 * T * T * T + 3 * T * T + 3 * T + 1;
    const ext b0 = T * T * T;
    SStrokeData r;
    r.x = float((p3.x * b3 + p2.x * b2 + p1.x * b1 + p0.x * b0) / 6);
    r.y = float((p3.y * b3 + p2.y * b2 + p1.y * b1 + p0.y * b0) / 6);
    r.p = float(T * p0.p + u * p1.p);
    return r;
}

// Adds the points strictly inside (t0, t1), in order of t.
void CInterpolater::subdivide(float t0, const SStrokeData &a, float t1, const SStrokeData &b)
{
    if (t1 - t0 < 1.0f / 16) {
        return;
    }
    const float tm = (t0 + t1) / 2;
    const SStrokeData m = evalBSpline(tm);
    const ext dx = ext(m.x) - (ext(a.x) + b.x) / 2;
    const ext dy = ext(m.y) - (ext(a.y) + b.y) / 2;
    if (dx * dx + dy * dy < ext(0.25)) {
        return;
    }
    subdivide(t0, a, tm, m);
    interpolateDataArray.push_back(m);
    subdivide(tm, m, t1, b);
}

std::span<const SStrokeData> CInterpolater::getInterpolatePoints()
{
    interpolateDataArray.clear();
    switch (iptType) {
    case eInterpolateType::iptLinear:
        if (dataCount < 1) {
            break;
        }
        interpolateDataArray.push_back(strokeDataArray[1]);
        interpolateDataArray.push_back(strokeDataArray[0]);
        break;
    case eInterpolateType::iptBSpline: {
        if (dataCount < 4) {
            break;
        }
        const SStrokeData a = evalBSpline(0), b = evalBSpline(1);
        interpolateDataArray.push_back(a);
        subdivide(0, a, 1, b);
        interpolateDataArray.push_back(b);
        break;
    }
    }
    return interpolateDataArray;
}
