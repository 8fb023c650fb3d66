// TStroke::DrawLine: the segment walk of the paint levels 1 and 2.
#include "core/tiles/block_layer_image.h"
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "paint/render/legacy_blur.h"
#include "paint/stroke/stroke.h"

#include <algorithm>
#include <cmath>

// Expressions are evaluated in extended precision and rounded to Single when stored, as the
// recorded strokes were computed: the same samples must give the same dabs.
using ext = long double;

namespace {

// A segment longer than this lies far outside any image (10000 pixels at most); it is not
// walked, so that a wild sample cannot stall the stroke.
constexpr ext kMaxExtent = 1.0e7L;

int32_t truncInt(ext v)
{
    constexpr ext kFar = 1 << 30;
    return int32_t(std::trunc(std::clamp(v, -kFar, kFar)));
}

uint32_t opacityOf(ext v)
{
    const ext t = std::trunc(v);
    return t <= 0 ? 0u : (t >= 255 ? 255u : uint32_t(t));
}

// Every e-th step gets a dab.
int32_t dabEvery(const TStroke &s, float p1, float p2)
{
    const ext w = s.m_penWidth;
    switch (s.m_drawMode) {
    case TDrawMode::DM_PEN:
        return std::min(truncInt(s.GetPenWidth(p1) / 8.0L), truncInt(s.GetPenWidth(p2) / 8.0L)) + 1;
    case TDrawMode::DM_ERASE:
        return std::min(truncInt(s.GetPenWidth(p1) / 4.0L), truncInt(s.GetPenWidth(p2) / 4.0L)) + 1;
    case TDrawMode::DM_WC:
        return truncInt(w / 12) + 1;
    case TDrawMode::DM_BLUR:
    case TDrawMode::DM_BLUR2:
        return truncInt(w / 4) + 1;
    default:
        return 1;
    }
}

// Thin pens and erasers walk in half steps, so that their dabs leave no gaps.
bool doubleDensity(const TStroke &s, float p1, float p2)
{
    switch (s.m_drawMode) {
    case TDrawMode::DM_PEN:
        return s.GetPenWidth(p1) < 2 || s.GetPenWidth(p2) < 2;
    case TDrawMode::DM_ERASE:
        return s.m_penWidth < 3;
    default:
        return false;
    }
}

// The pen disc into the coverage channel, with a span across the walk for thin pens.
void penDab(TStroke &s, TChannel &alpha, float x, float y, float p, bool xMajor)
{
    const float r = s.GetPenWidth(p);
    const float a = s.m_penIfTrans ? p : 1.0f;
    if (r > 1)
        alpha.qz11_DrawCircle(x + 0.5f, y + 0.5f, r, 255, a, true, false);
    if (r < 8) {
        if (xMajor)
            alpha.qz61DrawAntiYLine(y - r, y + r, truncInt(ext(x) + 0.5L), 255, a, true);
        else
            alpha.qz61DrawAntiXLine(x - r, x + r, truncInt(ext(y) + 0.5L), 255, a, true);
    }
}

// The watercolour disc: the current mixing colour comes from the base one towards the draw
// colour over the stroke's run, then towards the colour picked up around the dab.
void waterColourDab(TStroke &s, TMTC &image, float x, float y, float p)
{
    const ext w = s.m_penWidth;
    const float M = s.m_penIfSize ? float(ext(p) * w * 2 / 3 + w / 3) : s.m_penWidth;
    const ext reach = w * s.m_penSpeed * 2;
    const ext n = reach == 0 ? 1 : std::clamp<ext>(s.m_penProgress / reach, 0, 1);
    SWaterColorWork &wc = s.m_wcWork;
    wc.blendCol[1] = wc.blendCol[0];
    pixelPutDiff(&wc.blendCol[1], s.m_drawColor, opacityOf(n * 255));

    const ext off = ext(M) + 1;
    const int32_t xs[4] = {truncInt(x), truncInt(x), truncInt(x + off), truncInt(x - off)};
    const int32_t ys[4] = {truncInt(y + off), truncInt(y - off), truncInt(y), truncInt(y)};
    uint32_t sum[3] = {0, 0, 0}; // R, G, B
    for (int i = 0; i < 4; ++i)
        image.PixelGetAdd(xs[i], ys[i], sum[0], sum[1], sum[2]);
    const float step = float(ext(s.m_penEnv) / 10);
    float *chan[3] = {&wc.penCol.r, &wc.penCol.g, &wc.penCol.b};
    for (int c = 0; c < 3; ++c) {
        const float target = float(sum[c] / 4);
        const float d = float(ext(target) - *chan[c]);
        if (std::fabs(d) <= step)
            *chan[c] = target;
        else
            *chan[c] = float(ext(*chan[c]) + (d > 0 ? step : -step));
    }
    sBGRA pen{};
    pen.R = uint8_t(std::clamp(truncInt(wc.penCol.r), 0, 255));
    pen.G = uint8_t(std::clamp(truncInt(wc.penCol.g), 0, 255));
    pen.B = uint8_t(std::clamp(truncInt(wc.penCol.b), 0, 255));
    pixelPutDiff(&wc.blendCol[1], pen.all, opacityOf(ext(s.m_penEnv) * 255 / 100));

    const float a = s.m_penIfTrans ? float(0.35L * p) : 0.35f;
    image.qz11_DrawCircle(x + 0.5f, y + 0.5f, M, wc.blendCol[1].all, a, true, s.m_penIfEdge);
}

} // namespace

void TStroke::DrawLine(float x1, float y1, float p1, float x2, float y2, float p2, TMTC &imageflow,
                       TChannel &alphaflow, const CBlockVMTC &layerImage, TLayerMode layerMode)
{
    MinimumRectUpdate();
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
        return;
    const uint32_t eraseColour =
        getLayerModeBgColor(layerMode).value_or(getLayerModeBgColor(TLayerMode::LM_STD).value());
    // A pressure outside 0..1 can make a pen width negative: at least every step then.
    const int32_t every = std::max(dabEvery(*this, p1, p2), 1);

    // A DDA along the major axis: one pixel per step there, the other axis in proportion.
    const ext dx = ext(x2) - x1, dy = ext(y2) - y1;
    const ext ax = std::fabs(dx), ay = std::fabs(dy);
    const bool xMajor = ax > ay;
    const ext extent = xMajor ? ax : ay;
    if (extent > kMaxExtent)
        return;
    float sx, sy;
    if (xMajor) {
        sx = x2 < x1 ? -1.0f : 1.0f;
        sy = float(dy / ax);
    } else {
        sy = y2 < y1 ? -1.0f : 1.0f;
        sx = ay == 0 ? 0.0f : float(dx / ay);
    }
    const int32_t whole = truncInt(extent) + 1;
    float sp = extent == 0 ? 0.0f : float((ext(p2) - p1) / extent);
    const float progress = float(std::sqrt(dx * dx + dy * dy) / whole * 4);
    int32_t steps = whole;
    if (doubleDensity(*this, p1, p2)) {
        steps *= 2;
        sx /= 2, sy /= 2, sp /= 2;
    }

    float x = x1, y = y1, p = p1;
    for (int32_t i = 0; i < steps; ++i) {
        if (m_penCount % every == 0) {
            p = std::clamp(p, 0.0f, 1.0f);
            const float cx = x + 0.5f, cy = y + 0.5f;
            switch (m_drawMode) {
            case TDrawMode::DM_PEN:
                penDab(*this, alphaflow, x, y, p, xMajor);
                break;
            case TDrawMode::DM_WC:
                waterColourDab(*this, imageflow, x, y, p);
                break;
            case TDrawMode::DM_BLUR:
                drawBlurDabOld(imageflow, layerImage, truncInt(ext(m_penWidth) * m_penEffect / 100),
                               cx, cy, m_penWidth);
                break;
            case TDrawMode::DM_ERASE:
                imageflow.qz11_DrawCircle(cx, cy, m_penWidth, eraseColour, m_penIfTrans ? p : 1.0f,
                                          true, m_penIfEdge);
                break;
            case TDrawMode::DM_BLUR2:
                alphaflow.qz11_DrawCircle(cx, cy, m_penWidth, truncInt(ext(p) * 32), 1.0f, true,
                                          true);
                break;
            default:
                break; // drawn by the document with the older painting primitives
            }
        }
        IncPenCount();
        p = float(ext(p) + sp);
        AddPenProgress(float(ext(progress) * p));
        x = float(ext(x) + sx);
        y = float(ext(y) + sy);
    }
}
