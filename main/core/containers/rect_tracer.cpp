#include "core/containers/rect_tracer.h"

void rectTracerClear(SRectTracer &t)
{
    t = SRectTracer{};
}

void rectTracerReset(SRectTracer &t)
{
    rectTracerClear(t);
}

void rectTracerInit(SRectTracer &t, const sSize &size)
{
    rectTracerClear(t);
    t.allSize = size;
}

namespace {

// The stored rectangle a new one joins when none touches it: the smallest gap, then the smaller
// area; a complete tie keeps the first found.
int32_t nearestRect(const SRectTracer &t, const sRect &r)
{
    int32_t best = 0;
    int64_t bestGap = rectGapSq(t.rects[0], r);
    int64_t bestArea = rectArea(t.rects[0]);
    for (int32_t i = 1; i < t.cnt; ++i) {
        const int64_t gap = rectGapSq(t.rects[i], r);
        const int64_t area = rectArea(t.rects[i]);
        if (gap < bestGap || (gap == bestGap && area < bestArea)) {
            best = i;
            bestGap = gap;
            bestArea = area;
        }
    }
    return best;
}

// One merge of the first touching pair (i, j > i): j joins i and the later ones move down.
bool mergeFirstTouchingPair(SRectTracer &t)
{
    for (int32_t i = 0; i < t.cnt - 1; ++i) {
        for (int32_t j = i + 1; j < t.cnt; ++j) {
            if (rectGapSq(t.rects[i], t.rects[j]) != 0)
                continue;
            rectUnion(t.rects[i], t.rects[j]);
            for (int32_t k = j; k < t.cnt - 1; ++k)
                t.rects[k] = t.rects[k + 1];
            --t.cnt;
            return true;
        }
    }
    return false;
}

} // namespace

bool rectTracerAdd(SRectTracer &t, const sRect &rect)
{
    sRect r = rect;
    if (!rectClipToSize(r, t.allSize))
        return false;
    int32_t target = -1;
    for (int32_t i = 0; i < t.cnt && target < 0; ++i) {
        if (rectGapSq(t.rects[i], r) == 0)
            target = i;
    }
    if (target < 0 && t.cnt < 4) {
        t.rects[t.cnt++] = r;
        return true;
    }
    if (target < 0)
        target = nearestRect(t, r);
    rectUnion(t.rects[target], r);
    while (mergeFirstTouchingPair(t)) {
    }
    return true;
}
