#include "paint/brush/grade_map.h"

#include "core/image/canvas.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kLevels = 254; // curve levels of the version-5 table

eGradeMap maskedType(eGradeMap t)
{
    return eGradeMap(uint8_t(t) & 127);
}

// (ln 0.3 / ln 0.5): the exponent that makes the gamma curve pass 0.3 at half the radius.
const long double kGammaExponent = std::log(0.3L) / std::log(0.5L);

// Trunc((add + v × (1 − add)) × 65536 × 255), each step rounded to Single.
int32_t fixAlpha4(float add, float v)
{
    const float keep = 1.0f - add;
    float a = v * keep;
    a = add + a;
    a = a * 65536.0f;
    a = a * 255.0f;
    return int32_t(std::trunc(a));
}

// The positions P[0..253] at which each alpha level of the version-5 table ends.
std::array<float, kLevels> curveLevels5(eGradeMap type)
{
    std::array<float, kLevels> p{};
    const long double pi = 3.14159265358979323846264338327950288L;
    // The square and round-top curves sum increments: each rounded to Single, summed in Single.
    auto accumulate = [&p](int span) {
        float x = 1.0f;
        p[0] = 1.0f;
        for (int k = 1; k < kLevels; ++k) {
            const float inc = float(100.0L / (1.0L + 99.0L * (span - k) / span));
            x = x + inc;
            p[k] = std::sqrt(x);
        }
    };
    switch (maskedType(type)) {
    case eGradeMap::GMAP_CIRCLE:
        for (int k = 0; k < kLevels; ++k)
            p[k] = std::sqrt(float(254 * 254 - (254 - k) * (254 - k)));
        break;
    case eGradeMap::GMAP_SQUARE:
        accumulate(506);
        break;
    case eGradeMap::GMAP_ROUNDTOP:
        accumulate(253);
        break;
    case eGradeMap::GMAP_LINEAR:
        for (int k = 0; k < kLevels; ++k)
            p[k] = float(k);
        break;
    case eGradeMap::GMAP_PINTOP:
        for (int k = 0; k < kLevels; ++k)
            p[k] = float(std::pow((long double)(k + 1), 2.5L));
        break;
    default: // GMAP_GAMMA and any other value
        for (int k = 0; k < kLevels; ++k)
            p[k] = float(2.0L * (1.0L - std::sin(pi * (253 - k) / 508.0L)));
        break;
    }
    return p;
}

} // namespace

float gradeCurve4(eGradeMap type, float x)
{
    switch (maskedType(type)) {
    case eGradeMap::GMAP_CIRCLE: {
        const float x2 = x * x;
        return std::sqrt(std::max(1.0f - x2, 0.0f));
    }
    case eGradeMap::GMAP_SQUARE: {
        const float x2 = x * x;
        return 1.0f - x2;
    }
    case eGradeMap::GMAP_ROUNDTOP: {
        const float x2 = x * x;
        const float x3 = x2 * x;
        const float a = 2.0f * x3;
        const float b = 3.0f * x2;
        return a - b + 1.0f;
    }
    case eGradeMap::GMAP_GAMMA: {
        const float base = 1.0f - x;
        return base <= 0 ? 0.0f : float(std::pow((long double)base, kGammaExponent));
    }
    case eGradeMap::GMAP_PINTOP: {
        const float y = 1.0f - x;
        const float y2 = y * y;
        return 1.0f - std::sqrt(std::max(1.0f - y2, 0.0f));
    }
    default:
        return 1.0f - x;
    }
}

// ---- version 4 ------------------------------------------------------------------------------

CGradeMapObj::CGradeMapObj(int32_t max)
{
    initGradeMapParam(mapParam);
    start(max);
}

bool CGradeMapObj::start(int32_t max)
{
    enable = false;
    if (max < 1 || !dynArrayAlloc(mapAry, 4, max) || !dynArrayAlloc(sqMapAry, 4, max))
        return false;
    mapMaxIdx = max - 1;
    enable = true;
    return buildMap();
}

bool CGradeMapObj::buildMap()
{
    if (!enable)
        return false;
    int32_t *map = mapAry.items<int32_t>();
    int32_t *sq = sqMapAry.items<int32_t>();
    const float flat = float(mapParam.flatRate) / 1000.0f;
    const float add = float(mapParam.addRate) / 1000.0f;
    // A one-entry table holds the centre value only (no division by a zero span).
    const float span = float(std::max(mapMaxIdx, 1));
    for (int32_t i = 0; i <= mapMaxIdx; ++i) {
        float t = float(i) / span;
        t = t - flat;
        float v = 1.0f, vs = 1.0f;
        if (t > 0) {
            const float rest = 1.0f - flat;
            t = t / rest;
            v = gradeCurve4(mapParam.mapType, t);
            vs = gradeCurve4(mapParam.mapType, std::sqrt(t));
        }
        map[i] = fixAlpha4(add, v);
        sq[i] = fixAlpha4(add, vs);
    }
    return true;
}

bool CGradeMapObj::setParam(const SGradeMapParam &prm)
{
    if (gradeMapParamEqual(prm, mapParam))
        return false;
    mapParam = prm;
    buildMap();
    return true;
}

const int32_t *CGradeMapObj::getMapTable() const
{
    return enable ? mapAry.items<int32_t>() : nullptr;
}

const int32_t *CGradeMapObj::getSqMapTable() const
{
    return enable ? sqMapAry.items<int32_t>() : nullptr;
}

bool CGradeMapObj::makeImage(TMTC &tc, uint32_t col) const
{
    sBox box;
    tc.getBox(box);
    return makeImage(tc, box, col);
}

bool CGradeMapObj::makeImage(TMTC &tc, sBox box, uint32_t col) const
{
    if (!enable || !tc.clipping(box) || box.w <= 2)
        return false;
    const int32_t *map = mapAry.items<int32_t>();
    const int32_t w = box.w, h = box.h, e = w / 2 - 1;
    const int32_t bottom = box.y + h - 1;
    for (int32_t n = e; n >= 0; --n) {
        // A three-column box has e = 0: its one column shows the centre value.
        const int32_t idx = e > 0 ? n * mapMaxIdx / e : 0;
        // 64-bit: the 16.16 alpha times a tall box does not fit 32 bits.
        const int32_t rows = int32_t((int64_t(map[idx]) * h / 255) >> 16);
        if (rows <= 0)
            continue;
        const int32_t left = box.x + (e - n);
        tc.drawLine(left, bottom, 255, left, bottom - rows + 1, 255, col, pixelPutAlpha);
        if (w % 2 == 0) {
            const int32_t right = box.x + w - 1 - (e - n);
            tc.drawLine(right, bottom, 255, right, bottom - rows + 1, 255, col, pixelPutAlpha);
        }
    }
    return true;
}

// ---- version 5 ------------------------------------------------------------------------------

CGradeMapObj5::CGradeMapObj5(int32_t max)
{
    initGradeMapParam(FMapParam);
    if (max >= 1 && dynArrayAlloc(FMapTable, 4, max))
        FMaxIndex = max - 1;
    buildMap();
}

bool CGradeMapObj5::setParam(const SGradeMapParam &prm)
{
    if (gradeMapParamEqual(prm, FMapParam))
        return false;
    FMapParam = prm;
    buildMap();
    return true;
}

void CGradeMapObj5::buildMap()
{
    if (FMaxIndex < 0)
        return;
    int32_t *t = FMapTable.items<int32_t>();
    const int32_t m = FMaxIndex;
    const int32_t c = std::clamp(m * FMapParam.flatRate / 1000, 0, m);
    const int32_t addLevel = std::clamp(FMapParam.addRate * 254 / 1000, 0, 254);
    std::fill(t, t + c + 1, 255);
    const std::array<float, kLevels> p = curveLevels5(FMapParam.mapType);
    const float reach = float(m - c), core = float(c);
    int32_t s = c + 1;
    for (int k = 0; k < kLevels; ++k) {
        float pos = p[k] / p[kLevels - 1];
        pos = pos * reach;
        pos = pos + core;
        const int32_t end = std::min(int32_t(std::trunc(pos)), m);
        const int32_t alpha = addLevel + (255 - k) * (254 - addLevel) / 254;
        // A level that ends before s still moves s back, so the next level overwrites the last
        // entry of the one before it.
        if (end >= s)
            std::fill(t + s, t + end + 1, alpha);
        s = end;
    }
}
