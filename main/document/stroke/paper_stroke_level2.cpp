// The level-2 draw procedure: each segment between the stroke's two newest samples is walked along
// its major axis, and every few steps the draw mode's dab procedure draws at the position, with a
// size and opacity taken from the pressure.
//
// Expressions are evaluated in extended precision and rounded to Single when stored, as the
// recorded strokes were computed: the same samples must give the same dabs.
#include "document/stroke/paper_stroke.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/pixel/blend_modes.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/view/view_geometry.h"
#include "paint/render/legacy_blur.h"
#include "paint/render/legacy_dabs.h"
#include "paint/render/stroke_base_puts.h"
#include "paint/render/stroke_context.h"
#include "paint/stroke/stroke.h"
#include "paint/stroke/stroke_placement.h"

#include <algorithm>
#include <cmath>

namespace {

using ext = long double;

// A segment longer than this lies far outside any image; it is not walked, so that a wild sample
// cannot stall the stroke.
constexpr ext kMaxSegment = 1e7L;

Draw2DabObserver gDabObserver;

struct SDabCall
{
    TPaper &paper;
    TFlowImage &flow;
    TStroke &stroke;
    const CBlockVMTC &layer;
    float size, alpha, x, y;
};

using fptrDab2 = void (*)(const SDabCall &c);

int32_t truncInt(ext v)
{
    return int32_t(std::clamp<ext>(std::trunc(v), -2147483647.0L, 2147483647.0L));
}

// The stroke's opacity times the dab's alpha, Single.
float dabOpacity(const SDabCall &c)
{
    return float(ext(c.stroke.getOpaque()) * ext(c.alpha));
}

uint32_t layerBackground(const SDabCall &c)
{
    return getLayerModeBgColor(getStrokeLM(c.paper, c.stroke)).value_or(0x00FFFFFF);
}

// Coverage into the channel: thin pens as row and column spans (after four dabs only across the
// walk), larger ones as a disc that only raises coverage.
void penDab(const SDabCall &c)
{
    TChannel &ch = c.flow.alpha();
    if (c.size < 3) {
        const bool settled = c.stroke.m_penPutCount > 4;
        if (!settled || !c.paper.m_bDirW)
            drawAntiDiscRows(ch, 255, false, c.x, c.y, c.size, c.alpha);
        if (!settled || c.paper.m_bDirW)
            drawAntiDiscColumns(ch, 255, false, c.x, c.y, c.size, c.alpha);
        return;
    }
    ch.exDrawCircle8(c.x, c.y, c.size, 255, c.alpha, true, true);
}

// The flow pixel at (x, y) held inside the image.
sBGRA clampedFlowPixel(const TMTC &img, int32_t x, int32_t y)
{
    x = std::clamp(x, 0, img.width() - 1);
    y = std::clamp(y, 0, img.height() - 1);
    return *img.seek32(x, y);
}

void waterColourDab(const SDabCall &c)
{
    TStroke &s = c.stroke;
    TMTC &img = c.flow.image();
    if (!img.isEnable())
        return;
    const ext reach = ext(s.m_penSpeed) * ext(s.m_penWidth) * 2;
    const ext w = reach == 0 ? 1 : std::min<ext>(ext(s.m_penProgress) / reach, 1);
    SWaterColorWork &wc = s.m_wcWork;
    wc.blendCol[1] = wc.blendCol[0];
    pixelPutDiff(&wc.blendCol[1], s.m_drawColor, uint32_t(std::clamp(truncInt(w * 255), 0, 255)));

    // The four samples around the dab, as written: y - size + 1 and x - size + 1 on the near side.
    const ext sz = c.size;
    const int32_t xs[4] = {truncInt(c.x), truncInt(c.x), truncInt(c.x + sz + 1),
                           truncInt(c.x - sz + 1)};
    const int32_t ys[4] = {truncInt(c.y + sz + 1), truncInt(c.y - sz + 1), truncInt(c.y),
                           truncInt(c.y)};
    uint32_t sum[3] = {0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        const sBGRA p = clampedFlowPixel(img, xs[i], ys[i]);
        sum[0] += p.R;
        sum[1] += p.G;
        sum[2] += p.B;
    }
    const float step = float(ext(s.m_penEnv) / 10);
    float *chan[3] = {&wc.penCol.r, &wc.penCol.g, &wc.penCol.b};
    for (int i = 0; i < 3; ++i) {
        const float target = float(sum[i] / 4);
        const float d = float(ext(target) - *chan[i]);
        *chan[i] = std::fabs(d) <= step ? target : float(ext(*chan[i]) + (d > 0 ? step : -step));
    }
    sBGRA pen{};
    pen.R = uint8_t(std::clamp(truncInt(wc.penCol.r), 0, 255));
    pen.G = uint8_t(std::clamp(truncInt(wc.penCol.g), 0, 255));
    pen.B = uint8_t(std::clamp(truncInt(wc.penCol.b), 0, 255));
    pixelPutDiff(&wc.blendCol[1], pen.all,
                 uint32_t(std::clamp(truncInt(ext(s.m_penEnv) * 2.55L), 0, 255)));
    const ext a = s.m_penIfTrans ? ext(c.alpha) * 0.35L : 0.35L;
    img.exDrawCircle(c.x, c.y, c.size, wc.blendCol[1].all, float(ext(s.getOpaque()) * a), true,
                     s.m_penIfEdge);
}

void blurDab(const SDabCall &c)
{
    const int32_t blur = truncInt(ext(c.size) * ext(c.stroke.m_penEffect) / 100);
    if (c.stroke.m_bProtectMask) {
        drawBlurDabColorOnly(c.flow.image(), c.layer, blur, c.x, c.y, c.size, dabOpacity(c));
        return;
    }
    StrokeColorPutSwap swap(pixelPutWithAlpha);
    drawBlurDab(c.flow.image(), c.layer, blur, c.x, c.y, c.size, dabOpacity(c));
}

void eraseDab(const SDabCall &c)
{
    StrokeColorPutSwap swap(c.stroke.m_bProtectMask ? gStrokeColorPut : pixelEraseAlpha);
    c.flow.image().exDrawCircle(c.x, c.y, c.size, layerBackground(c), dabOpacity(c), true,
                                c.stroke.m_penIfEdge);
}

void airbrushDab(const SDabCall &c)
{
    drawRadialDab(c.flow.image(), c.stroke.m_drawColor, c.x, c.y, c.size, dabOpacity(c));
}

void fingerTipDab(const SDabCall &c)
{
    if (!c.stroke.nextDoubleRubPen(c.flow.image(), c.x, c.y))
        return;
    const CPenTC *tc = c.stroke.getLastPenTC();
    if (!tc)
        return;
    StrokeColorPutSwap swap(c.stroke.m_bProtectMask ? gStrokeColorPut : pixelPutWithAlpha);
    drawRadialDabTextured(c.flow.image(), layerBackground(c), *tc, c.x, c.y, c.size,
                          dabOpacity(c));
}

void lightnessDab(const SDabCall &c)
{
    StrokeColorPutSwap swap(pixelPutLightnessCurve);
    drawRadialDab(c.flow.image(), c.stroke.m_drawColor, c.x, c.y, c.size, dabOpacity(c));
}

struct SDab2Row
{
    fptrDab2 dab;
    float minFactor;
    float spacingThreshold;
    float halvingThreshold;
};

// One row per TDrawMode.
constexpr SDab2Row kDab2Table[] = {
    {penDab, -1, 8, 2},            // DM_PEN
    {waterColourDab, 0.333f, 0, 0}, // DM_WC
    {blurDab, 1, 0, 0},            // DM_BLUR
    {eraseDab, 1, 4, 3},           // DM_ERASE
    {nullptr, 1, 0, 0},            // DM_BLUR2: the coverage drives the blur
    {airbrushDab, -1, 0, 0},       // DM_AIRBRUSH
    {fingerTipDab, -1, 0, 0},      // DM_RUBPEN
    {lightnessDab, -1, 0, 0},      // DM_DARKEN
    {lightnessDab, -1, 0, 0},      // DM_LIGHTEN
};

bool finite(const SStrokeData &sd)
{
    return std::isfinite(sd.x) && std::isfinite(sd.y) && std::isfinite(sd.p);
}

} // namespace

Draw2DabObserver setDraw2DabObserver(Draw2DabObserver observer)
{
    std::swap(gDabObserver, observer);
    return observer;
}

float draw2MinimumFactor(TDrawMode mode, const TStroke &stroke)
{
    const size_t m = size_t(mode);
    if (m >= std::size(kDab2Table))
        return 0;
    const float f = kDab2Table[m].minFactor;
    return f <= 0 || stroke.m_versionID > 0 ? float(ext(stroke.m_penMin) / 100) : f;
}

void Draw2(TPaper &paper, TFlowImage &flow, TStroke &stroke)
{
    stroke.MinimumRectUpdate();
    const size_t mode = size_t(stroke.m_drawMode);
    if (mode >= std::size(kDab2Table))
        return;
    const SDab2Row &row = kDab2Table[mode];
    const CLayerData *ld = paper.getLayerData(flow.layerIdx());
    if (!ld || !ld->imageTC || !flow.image().isEnable())
        return;

    SStrokeData P1, P2;
    stroke.getSD(P1, 1);
    stroke.getSD(P2, 2);
    if (!finite(P1) || !finite(P2))
        return;
    const sPos v = ld->viewPos;
    P1.x += float(v.x), P1.y += float(v.y);
    P2.x += float(v.x), P2.y += float(v.y);
    P1.p = pressurePow(P1.p, stroke.m_penGamma);
    P2.p = pressurePow(P2.p, stroke.m_penGamma);

    ext dx = ext(P1.x) - P2.x, dy = ext(P1.y) - P2.y, dp = ext(P1.p) - P2.p;
    const ext n = std::max(std::fabs(dx), std::fabs(dy));
    if (n == 0 || !(n <= kMaxSegment))
        return;
    paper.m_bDirW = std::fabs(dx) >= std::fabs(dy);
    const float progressStep = float(std::sqrt(dx * dx + dy * dy) / n * 4);
    if (n >= 1)
        dx /= n, dy /= n, dp /= n;
    float incX = float(dx), incY = float(dy), incP = float(dp);
    float x = float(ext(P2.x) + 0.5L), y = float(ext(P2.y) + 0.5L), r = P2.p;
    int64_t count = int64_t(std::ceil(n));

    const ext width = stroke.m_penWidth;
    float minimum = stroke.m_penWidth, range = 0;
    if (stroke.m_penIfSize) {
        minimum = float(width * ext(draw2MinimumFactor(stroke.m_drawMode, stroke)));
        range = float(width - ext(minimum));
    }
    const float size2 = float(ext(minimum) + ext(range) * ext(P2.p));
    const float size1 = float(ext(minimum) + ext(range) * ext(P1.p));
    int32_t spacing = std::max(1, truncInt(std::ceil(ext(stroke.getPenSpacing()) * width)));
    if (size1 < row.spacingThreshold || size2 < row.spacingThreshold)
        spacing = 1;
    if (size1 < row.halvingThreshold || size2 < row.halvingThreshold) {
        incX = float(ext(incX) / 2), incY = float(ext(incY) / 2), incP = float(ext(incP) / 2);
        count *= 2;
    }

    for (int64_t i = 0; i < count; ++i) {
        const float alpha = stroke.m_penIfTrans ? r : 1.0f;
        const float size = float(ext(range) * ext(r) + ext(minimum));
        if (stroke.m_penCount % spacing == 0) {
            if (gDabObserver)
                gDabObserver(stroke.m_drawMode, x, y, size, alpha);
            if (row.dab)
                row.dab(SDabCall{paper, flow, stroke, *ld->imageTC, size, alpha, x, y});
            ++stroke.m_penPutCount;
        }
        x = float(ext(x) + incX);
        y = float(ext(y) + incY);
        r = float(ext(r) + incP);
        paper.m_bDirWold = paper.m_bDirW ? 1 : 0;
        paper.m_lastPos = sFPos{x, y};
        r = std::clamp(r, 0.0f, 1.0f);
        stroke.IncPenCount();
        stroke.AddPenProgress(float(ext(progressStep) * ext(r)));
    }
}
