#include "document/view/zoom_cache.h"

#include "core/image/canvas.h"
#include "core/scale/view_render.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/view/view_geometry.h"
#include "document/view/view_present.h"

#include <algorithm>
#include <numeric>

const std::array<TFraction, 8> kZoomCacheScales = {{
    {2, 3},
    {1, 2},
    {1, 3},
    {1, 4},
    {1, 6},
    {1, 8},
    {1, 12},
    {1, 16},
}};

namespace {

int32_t scaledSide(int32_t v, const TFraction &s)
{
    return int32_t(int64_t(v) * s.Numerator / s.Denominator);
}

// floor(a / b) for b > 0.
int32_t floorDiv(int32_t a, int32_t b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The written box of a level: position trunc(v s), size trunc(n s + 0.9).
sRect writtenRect(const sBox &b, const TFraction &s)
{
    const double f = double(s.Numerator) / s.Denominator;
    const int32_t x = int32_t(b.x * f), y = int32_t(b.y * f);
    return {x, y, x + int32_t(b.w * f + 0.9), y + int32_t(b.h * f + 0.9)};
}

// The destination pixels of a halving that read a source pixel of r.
sRect halveDependants(const sRect &r)
{
    return {floorDiv(r.x0, 2), floorDiv(r.y0, 2), floorDiv(r.x1 - 1, 2) + 1,
            floorDiv(r.y1 - 1, 2) + 1};
}

// The destination pixels of a two-thirds reduction (pixel X reads 3X div 2 and the next) that
// read a source pixel of r.
sRect twoThirdsDependants(const sRect &r)
{
    const auto lo = [](int32_t a) { return -floorDiv(-2 * (a - 1), 3); }; // ceil(2(a - 1) / 3)
    const auto hi = [](int32_t b) { return floorDiv(2 * b - 1, 3) + 1; };
    return {std::max(0, lo(r.x0)), std::max(0, lo(r.y0)), hi(r.x1), hi(r.y1)};
}

// The union of the written box and the pixels that depend on the changed source: the written
// boxes alone miss a pixel at some odd edges, which then kept a stale average.
sBox refreshBox(const sRect &written, const sRect &dependants, const TMTC &cache)
{
    sRect r = written;
    if (dependants.x0 < dependants.x1 && dependants.y0 < dependants.y1)
        rectUnion(r, dependants);
    sBox b = rectToBox(r);
    if (!boxClipToSize(b, cache.FPSZ()))
        return {};
    return b;
}

} // namespace

void resizeZoomCache(TPaper &paper, int32_t w, int32_t h)
{
    for (int32_t i = 0; i < TPaper::kZoomCacheCount; ++i) {
        const TFraction &s = kZoomCacheScales[size_t(i)];
        const int32_t cw = scaledSide(w, s), ch = scaledSide(h, s);
        TMTC &cache = paper.zoomCache(i);
        if (cw <= 0 || ch <= 0)
            cache.freeMembers();
        else
            cache.Resize(cw, ch);
    }
}

void clearZoomCache(TPaper &paper)
{
    for (int32_t i = 0; i < TPaper::kZoomCacheCount; ++i)
        if (paper.zoomCache(i).isEnable())
            paper.zoomCache(i).PixelFill(0xFFFFFFFF);
}

void updateZoomCache(TPaper &paper)
{
    updateZoomCache(paper, boxFromSize(paper.vram().FPSZ()));
}

void updateZoomCache(TPaper &paper, const sBox &srcBox)
{
    updateZoomCache(paper, srcBox, paper.vram());
}

void updateZoomCache(TPaper &paper, const sBox &srcBox, const TMTC &src)
{
    sBox box = srcBox;
    if (!src.isEnable() || !boxClipToSize(box, src.FPSZ()))
        return;
    const bool weighted = !paper.bVisCanvasCol;
    const uint32_t back = viewBackColor(paper);
    const sRect changed = boxToRect(box);
    // The refreshed box of each level: the next levels depend on it.
    std::array<sRect, TPaper::kZoomCacheCount> done{};
    for (int32_t i = 0; i < TPaper::kZoomCacheCount; ++i) {
        TMTC &cache = paper.zoomCache(i);
        const TFraction &s = kZoomCacheScales[size_t(i)];
        sRect written = writtenRect(box, s);
        sRect dependants;
        if (i == 0) {
            dependants = twoThirdsDependants(changed);
        } else if (i == 1) {
            // floor(x / 2), ceil(w / 2) as written.
            written = rectFromPosSize({box.x / 2, box.y / 2}, {(box.w + 1) / 2, (box.h + 1) / 2});
            dependants = halveDependants(changed);
        } else {
            dependants = halveDependants(done[size_t(i - 2)]);
        }
        const sBox b = cache.isEnable() ? refreshBox(written, dependants, cache) : sBox{};
        done[size_t(i)] = boxToRect(b);
        if (b.w <= 0 || b.h <= 0)
            continue;
        if (i == 0)
            cacheTwoThirds(cache, src, b, weighted, back);
        else if (i == 1)
            cacheHalve(cache, src, b, weighted, back);
        else
            cacheHalve(cache, paper.zoomCache(i - 2), b, weighted, back);
    }
}

int32_t getUseZoomCacheIndex(const TPaper &paper)
{
    TFraction f = paper.FDisplayFraction;
    if (f.Numerator <= 0 || f.Denominator <= 0)
        return -1;
    const int32_t g = std::gcd(f.Numerator, f.Denominator);
    f = {f.Numerator / g, f.Denominator / g};
    for (int32_t i = 0; i < TPaper::kZoomCacheCount; ++i) {
        const TFraction &s = kZoomCacheScales[size_t(i)];
        if (s.Numerator == f.Numerator && s.Denominator == f.Denominator)
            return paper.zoomCache(i).isEnable() ? i : -1;
    }
    return -1;
}

bool chkZoomCache(const TPaper &paper)
{
    return getUseZoomCacheIndex(paper) >= 0;
}

bool NeedZoomCache(const TPaper &paper)
{
    return getUseZoomCacheIndex(paper) >= 0;
}

bool useZoomCache(TPaper &paper, TMTC &dst, const TMTC &, float, float rot, const sBox &box,
                  const sPos &srcO)
{
    const int32_t idx = getUseZoomCacheIndex(paper);
    if (idx < 0)
        return false;
    const float deg = paper.m_degree;
    if (deg != 0 && deg != -90 && deg != -180 && deg != -270)
        return false;
    const TFraction &s = kZoomCacheScales[size_t(idx)];
    const sPos o{int32_t(int64_t(srcO.x) * s.Numerator / s.Denominator),
                 int32_t(int64_t(srcO.y) * s.Numerator / s.Denominator)};
    const TMTC &cache = paper.zoomCache(idx);
    if (paper.bVisCanvasCol) {
        if (paper.bVisReverse)
            cache.BltReversePart(dst, o, box, rot, 1.0f);
        else
            cache.BltRotationPart(dst, o, box, rot, 1.0f);
        return true;
    }
    // The mixing renderers read the zoom of the document: 1/1 while they draw the cache.
    const TFraction saved = paper.FDisplayFraction;
    paper.FDisplayFraction = {1, 1};
    struct Restore
    {
        TPaper &p;
        TFraction f;
        ~Restore() { p.FDisplayFraction = f; }
    } restore{paper, saved};
    if (paper.bVisReverse)
        bltReverseMix(paper, dst, cache, box, o);
    else
        bltRotationMix(paper, dst, cache, box, o);
    return true;
}
