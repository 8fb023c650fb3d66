#include "filters/dialogs/histogram.h"

#include "core/mask/mask_manager.h"
#include "core/pixel/pixel.h"
#include "filters/core/filter_core.h"
#include "filters/core/filter_host.h"
#include "filters/dialogs/dialog_values.h"
#include "ui/graphics/appearance.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------------------------
// Counting and drawing

void SHistogramTables::Calculate(const TMTC &flow, sPos layerPos, const CMaskData *mask, sRect r)
{
    *this = SHistogramTables{};
    if (!rectIntersect(r, rectFromSize(flow.FPSZ())))
        return;
    const fptrEffectMaskOnLayer weightOf =
        CMaskData::hasMask(mask) ? effectMaskOnLayer : effectMaskNone;
    // An opaque, fully selected pixel counts 1.0; the weights add up in Single.
    constexpr float unit = 1.0f / 65025.0f;
    for (int32_t y = r.y0; y < r.y1; ++y)
        for (int32_t x = r.x0; x < r.x1; ++x) {
            const sBGRA &p = *flow.seek32(x, y);
            const int32_t w = weightOf(mask, &layerPos, x, y) * p.A;
            if (w <= 0)
                continue;
            const float weight = float(w) * unit;
            HistogramTable[kHistRed][p.R] += weight;
            HistogramTable[kHistGreen][p.G] += weight;
            HistogramTable[kHistBlue][p.B] += weight;
            HistogramTable[kHistLuminance][(p.R * 19595 + p.G * 38469 + p.B * 7472) >> 16] +=
                weight;
            FSum += weight;
        }
    for (size_t t = 0; t < 4; ++t) {
        const auto &bins = HistogramTable[t];
        FMax[t] = *std::max_element(bins.begin(), bins.end());
        for (int32_t v = 0; v < 256; ++v) {
            if (bins[size_t(v)] == 0)
                continue;
            FMinColor[t] = std::min(FMinColor[t], v);
            FMaxColor[t] = std::max(FMaxColor[t], v);
            ++FLevels[t];
        }
    }
}

namespace {

constexpr int kViewW = 258;
constexpr int kViewH = 102;

void drawTable(TMTC &view, const SHistogramTables &t, int table, uint32_t colour,
               fptrPixelPut4core put)
{
    if (t.FLevels[size_t(table)] == 0)
        return;
    // Four times the mean of the non-empty bins, never above the tallest.
    const float c = std::min(t.FSum * 4 / float(t.FLevels[size_t(table)]), t.FMax[size_t(table)]);
    if (c == 0)
        return;
    for (int v = 0; v < 256; ++v) {
        const float bin = t.HistogramTable[size_t(table)][size_t(v)];
        const float hf = 100.0f - bin * (100.0f / c);
        const long h = std::clamp(std::lrint(hf), 0L, 100L);
        for (long y = h + 1; y <= 100 && h < 100; ++y)
            put(view.seek32(v + 1, int32_t(y)), colour, 255);
    }
}

} // namespace

void drawHistogramView(TMTC &view, const SHistogramTables &t, eHistogramType type, bool counted)
{
    view.Resize(kViewW, kViewH);
    view.PixelFill(clBtnFace32().bgra | 0xFF000000u);
    view.frameBox({0, 0, kViewW, kViewH}, clBtnShadow32().bgra | 0xFF000000u,
                  clBtnHighlight32().bgra | 0xFF000000u, 255, pixelPutAlpha);
    sBox plot{1, 1, kViewW - 2, kViewH - 2};
    view.fillBox(plot, 0xFFFFFFFFu);
    if (!counted)
        return;
    const auto channel = [&](int table, uint32_t colour) {
        drawTable(view, t, table, colour, pixelPutMul);
    };
    switch (type) {
    case HISTOGRAM_RGB:
        channel(kHistRed, 0xFFCC5555u);
        channel(kHistGreen, 0xFF55CC55u);
        channel(kHistBlue, 0xFF5555CCu);
        break;
    case HISTOGRAM_R:
        channel(kHistRed, 0xFFCC5555u);
        break;
    case HISTOGRAM_G:
        channel(kHistGreen, 0xFF55CC55u);
        break;
    case HISTOGRAM_B:
        channel(kHistBlue, 0xFF5555CCu);
        break;
    case HISTOGRAM_Y:
        drawTable(view, t, kHistLuminance, 0xFF000000u, pixelPutAlpha);
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// CHistogram

CHistogram::CHistogram(QWidget *parent) : TGraphicControl(parent)
{
    drawHistogramView(FViewTC, FTables, FType, false);
    SetBounds(0, 0, kViewW, kViewH);
}

CHistogram::CHistogram(QWidget *parent, const QWidget *paintBox) : CHistogram(parent)
{
    const QRect g = paintBox->geometry();
    SetBounds(g.x(), g.y(), g.width(), g.height());
}

bool CHistogram::SetParams(const CFlt4Core &core)
{
    if (!core.host())
        return false;
    return SetParams(core.host()->flowCanvas(), core.layerView().viewPos, core.maskData(),
                     core.maskRect());
}

bool CHistogram::SetParams(const TMTC *src, sPos ofs, const CMaskData *mask, sRect r)
{
    FlowTC = src;
    LayerPos = ofs;
    MaskData = mask;
    MaskRect = r;
    FTables = SHistogramTables{};
    const bool ok = CheckParams();
    if (ok)
        FTables.Calculate(*FlowTC, LayerPos, MaskData, MaskRect);
    UpdateView();
    return ok;
}

bool CHistogram::CheckParams() const
{
    return FlowTC && MaskData && MaskRect.x1 > MaskRect.x0 && MaskRect.y1 > MaskRect.y0;
}

void CHistogram::SetHistogramType(eHistogramType t)
{
    FType = t;
    UpdateView();
}

void CHistogram::UpdateView()
{
    drawHistogramView(FViewTC, FTables, FType, CheckParams());
    update();
}

void CHistogram::Paint(QPainter &painter)
{
    painter.drawImage(0, 0, FViewTC.imageView());
}

// ---------------------------------------------------------------------------------------------
// TLevelsTrackbar

TLevelsTrackbar::TLevelsTrackbar(QWidget *parent) : TGraphicControl(parent)
{
    SetBounds(0, 0, 264, 12);
}

void TLevelsTrackbar::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    FInnerRect = {3, 0, 3 + std::max(width - 6, 0), FType == ltInput ? 3 : 8};
    FImage.SetSize(std::max(width, 4), std::max(height, 4));
    UpdateImage();
}

void TLevelsTrackbar::SetEnabled(bool value)
{
    TGraphicControl::SetEnabled(value);
    UpdateImage();
}

void TLevelsTrackbar::setTrackbarType(TLevelsTrackbarType t)
{
    if (t == FType)
        return;
    FType = t;
    SetBounds(x(), y(), width(), height());
}

void TLevelsTrackbar::setChannel(TLevelsChannel c)
{
    if (c == FChannel)
        return;
    FChannel = c;
    UpdateImage();
}

void TLevelsTrackbar::SetPosition(TLevelsTrackbarPart part, float value)
{
    if (part == ltpNone)
        return;
    // Written so that NaN fails the test and becomes 0.
    if (!(value > 0))
        value = 0;
    else if (value > 1)
        value = 1;
    if (value == FPositions[part])
        return;
    FPositions[part] = value;
    UpdateImage();
    Change(part);
}

void TLevelsTrackbar::Change(TLevelsTrackbarPart part)
{
    FChangePart = part;
    if (OnChange)
        OnChange(this);
}

int TLevelsTrackbar::placeOf(float p) const
{
    return roundHalfAway(double(FInnerRect.x1 - FInnerRect.x0) * p);
}

TLevelsTrackbarPart TLevelsTrackbar::PartAt(int x) const
{
    const int xr = x - FInnerRect.x0;
    const int dmin = std::abs(xr - placeOf(FPositions[ltpMin]));
    const int dmax = std::abs(xr - placeOf(FPositions[ltpMax]));
    const TLevelsTrackbarPart won = dmin < dmax ? ltpMin : ltpMax;
    if (FType == ltOutput)
        return won;
    const float mid =
        FPositions[ltpMin] + (FPositions[ltpMax] - FPositions[ltpMin]) * FPositions[ltpMid];
    const int dmid = std::abs(xr - placeOf(mid));
    if ((won == ltpMin && dmid <= dmin) || (won == ltpMax && dmid <= dmax))
        return ltpMid;
    return won;
}

float TLevelsTrackbar::PositionAt(TLevelsTrackbarPart part, int x) const
{
    const int iw = std::max(FInnerRect.x1 - FInnerRect.x0, 1);
    const float t = float(x - FInnerRect.x0) / float(iw);
    if (FType == ltOutput)
        return t;
    const float mn = FPositions[ltpMin], mx = FPositions[ltpMax];
    switch (part) {
    case ltpMin:
        return t >= mx ? mx : t;
    case ltpMax:
        return t > mn ? t : mn;
    case ltpMid:
        return mx == mn ? 0.0f : (t - mn) / (mx - mn);
    case ltpNone:
        break;
    }
    return 0;
}

void TLevelsTrackbar::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int, bool)
{
    if (button != Qt::LeftButton || !isVisible() || !isEnabled())
        return;
    FDown = PartAt(x);
    if (QWidget *focus = FDown == ltpNone ? nullptr : FFocusControls[FDown])
        focus->setFocus();
    SetPosition(FDown, PositionAt(FDown, x));
}

void TLevelsTrackbar::MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int)
{
    if (FDown == ltpNone || !isEnabled())
        return;
    SetPosition(FDown, PositionAt(FDown, x));
}

void TLevelsTrackbar::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    if (button == Qt::LeftButton)
        FDown = ltpNone;
}

void TLevelsTrackbar::UpdateImage()
{
    if (!FImage.Prepared())
        return;
    FImage.Clear();
    const sRect outer{FInnerRect.x0 - 1, FInnerRect.y0, FInnerRect.x1 + 1, FInnerRect.y1 + 2};
    FImage.DrawRectangle(outer, 1, clBtnShadow32(), clBtnHighlight32(), blendCopy, blendCopy);
    sRect inner{outer.x0 + 1, outer.y0 + 1, outer.x1 - 1, outer.y1 - 1};
    int handleY = 3;
    if (FType == ltInput) {
        FImage.FillRectangle(inner, clBtnFace32(), blendCopy, blendCopy);
    } else {
        FImage.DrawRectangle(inner, 1, clBtnFace32(), blendCopy, blendCopy);
        inner = {inner.x0 + 1, inner.y0 + 1, inner.x1 - 1, inner.y1 - 1};
        TColor32 to{};
        to.a = 255;
        if (FChannel == lcRGB || FChannel == lcRed)
            to.r = 255;
        if (FChannel == lcRGB || FChannel == lcGreen)
            to.g = 255;
        if (FChannel == lcRGB || FChannel == lcBlue)
            to.b = 255;
        TColor32 black{};
        black.a = 255;
        FImage.FillRectangle(inner, black, to, adLeftRight, blendCopy, blendCopy);
        handleY = 2;
    }
    const auto handle = [&](int glyph, float place) {
        const TMemoryGraphic *g =
            gAppearanceManager ? gAppearanceManager->GetPosImage(glyph) : nullptr;
        if (!g || !g->Prepared())
            return;
        const int hx = roundHalfAway(double(FImage.Width() - g->Width()) * place);
        FImage.BlendImage(hx, handleY, g->Width(), g->Height(), *g, 0, 0, blendNormal, blendNormal);
    };
    const float mn = FPositions[ltpMin], mx = FPositions[ltpMax];
    handle(4, mn);
    if (FType == ltInput)
        handle(5, mn + (mx - mn) * FPositions[ltpMid]);
    handle(6, mx);
    if (!isEnabled())
        FImage.FillRectangle({0, 0, FImage.Width(), FImage.Height()}, clBtnFaceHalf32(),
                             blendNormal, blendNormal);
    update();
}

void TLevelsTrackbar::Paint(QPainter &painter)
{
    if (FImage.Prepared())
        FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
}
