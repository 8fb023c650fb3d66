#include "app/dialogs/image_size_dialog_model.h"

#include <QScopeGuard>

#include <cmath>

using namespace sizedlg;

// ---- shared helpers

std::array<sRect, kImageSizePositionCount> sizePositionCells(int W, int H)
{
    // Integer division as the grid was laid out: the middle column and row take what the
    // two-thirds split leaves, the last ones run to two pixels short of the edge.
    const int a = (H - 4) * 2 / 3, c = (W - 4) * 2 / 3;
    const int b = a / 2 + 2, e = c / 2 + 2;
    const std::array<int, 4> xs = {2, e, c + 2, W - 2};
    const std::array<int, 4> ys = {2, b, a + 2, H - 2};
    std::array<sRect, kImageSizePositionCount> cells{};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            cells[size_t(row * 3 + col)] = {xs[size_t(col)], ys[size_t(row)], xs[size_t(col) + 1],
                                            ys[size_t(row) + 1]};
    return cells;
}

int sizePositionAt(const std::array<sRect, kImageSizePositionCount> &cells, int x, int y)
{
    for (int i = 0; i < kImageSizePositionCount; ++i) {
        const sRect &r = cells[size_t(i)];
        if (x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1)
            return i;
    }
    return -1;
}

namespace sizedlg {

int32_t truncHalfUp(float v)
{
    return int32_t(std::trunc((long double)v + 0.5L));
}

void setNumRange(TNumMngr &num, long double lo, long double hi)
{
    num.SetValues(nullptr, num.Value(), float(lo), float(hi));
}

QString currentSizeText(int32_t width, int32_t height)
{
    return QString::asprintf("%d %s %d pixel", width, "×", height);
}

QString pixelGroupCaption(float width, float height)
{
    return QString::asprintf("ピクセル ( %.0f × %.0f px )", double(width), double(height));
}

void initNum(TNumMngr &num, float value, float lo, float hi)
{
    num.loadRange(lo, hi, value);
    num.Amount = 1;
}

// ---- CSizeFields

CSizeFields::CSizeFields()
{
    initNum(NumPixelW, 8, float(kMinImageSide), float(kMaxImageSide));
    initNum(NumPixelH, 8, float(kMinImageSide), float(kMaxImageSide));
    initNum(NumWidth, 100, 6.25f, 1600);
    initNum(NumHeight, 100, 6.25f, 1600);
}

void CSizeFields::setWidthListUnit(TUnitType unit)
{
    m_widthList = unit;
    listUnitChanged(false);
}

void CSizeFields::setHeightListUnit(TUnitType unit)
{
    m_heightList = unit;
    listUnitChanged(true);
}

void CSizeFields::startFrom(int32_t width, int32_t height)
{
    FInitW = width;
    FInitH = height;
    FWidth = float(width);
    FHeight = float(height);
    FWidthUnit = FHeightUnit = utpixel;
}

int32_t CSizeFields::wholePixels(bool vertical, float dpi) const
{
    return vertical ? truncHalfUp(convertUnitValue(FHeightUnit, utpixel, FHeight, dpi))
                    : truncHalfUp(convertUnitValue(FWidthUnit, utpixel, FWidth, dpi));
}

} // namespace sizedlg

// ---- CImageSizeModel

// One side of the canvas: its fields, its stored size and the offsets of relative entry.
struct CImageSizeModel::SSide
{
    TNumMngr &pixel;
    TNumMngr &size;
    int32_t init;
    float &value;
    TUnitType &unit;
    TUnitType list;
    long double pixelOffset; // the current size in pixels with relative entry, else 0
    long double unitOffset;  // the same in the list's unit (100 in percent), else 0
};

CImageSizeModel::CImageSizeModel()
{
    NumPixelW.OnChange = [this](QObject *) { ParamChange(TSender::NumPixelW); };
    NumPixelH.OnChange = [this](QObject *) { ParamChange(TSender::NumPixelH); };
    NumWidth.OnChange = [this](QObject *) { ParamChange(TSender::NumWidth); };
    NumHeight.OnChange = [this](QObject *) { ParamChange(TSender::NumHeight); };
    m_pixelCaption = pixelGroupCaption(FWidth, FHeight);
}

void CImageSizeModel::setup(int32_t width, int32_t height, int32_t dpi)
{
    startFrom(width, height);
    FDPI = dpi;
    NumPixelW.setValue(float(width));
    NumPixelH.setValue(float(height));
    // A side equal to the field's start raises no change: run the handler for both anyway, so
    // the ranges and the size fields always follow the canvas.
    ParamChange(TSender::NumPixelW);
    ParamChange(TSender::NumPixelH);
}

void CImageSizeModel::listUnitChanged(bool vertical)
{
    ParamChange(vertical ? TSender::CmbHeight : TSender::CmbWidth);
}

void CImageSizeModel::setRelation(bool on)
{
    m_relation = on;
    ParamChange(TSender::ChkRelation);
}

int32_t CImageSizeModel::newWidth() const
{
    return wholePixels(false, float(FDPI));
}

int32_t CImageSizeModel::newHeight() const
{
    return wholePixels(true, float(FDPI));
}

CImageSizeModel::SSide CImageSizeModel::side(bool vertical)
{
    SSide s{vertical ? NumPixelH : NumPixelW,
            vertical ? NumHeight : NumWidth,
            vertical ? FInitH : FInitW,
            vertical ? FHeight : FWidth,
            vertical ? FHeightUnit : FWidthUnit,
            vertical ? m_heightList : m_widthList,
            0,
            0};
    if (m_relation) {
        s.pixelOffset = s.init;
        s.unitOffset =
            s.list == utpercent
                ? 100.0L
                : (long double)convertUnitValue(utpixel, s.list, float(s.init), float(FDPI));
    }
    return s;
}

void CImageSizeModel::setRanges(const SSide &s)
{
    setNumRange(s.pixel, kMinImageSide - s.pixelOffset, kMaxImageSide - s.pixelOffset);
    long double lo, hi;
    if (s.list == utpercent) {
        lo = (long double)kMinImageSide / s.init * 100;
        hi = (long double)kMaxImageSide / s.init * 100;
    } else {
        float fmin = 0, fmax = 0;
        pixelRangeInUnit(fmin, fmax, s.list, float(FDPI));
        lo = fmin;
        hi = fmax;
    }
    setNumRange(s.size, lo - s.unitOffset, hi - s.unitOffset);
}

float CImageSizeModel::shown(const SSide &s) const
{
    const float dpi = float(FDPI);
    if (s.list == utpercent)
        return float((long double)convertUnitValue(s.unit, utpixel, s.value, dpi) * 100 / s.init -
                     s.unitOffset);
    return float((long double)convertUnitValue(s.unit, s.list, s.value, dpi) - s.unitOffset);
}

void CImageSizeModel::ParamChange(TSender Sender)
{
    if (FParamChanging)
        return;
    {
        FParamChanging = true;
        const auto clear = qScopeGuard([this] { FParamChanging = false; });
        const float dpi = float(FDPI);
        const SSide w = side(false), h = side(true);
        setRanges(w);
        setRanges(h);

        // The side's pixel field from its stored size.
        const auto showPixels = [dpi](const SSide &s) {
            s.pixel.setValue(float((long double)convertUnitValue(s.unit, utpixel, s.value, dpi) -
                                   s.pixelOffset));
        };
        const auto pixelsTyped = [&](const SSide &s) {
            s.value = float((long double)s.pixel.Value() + s.pixelOffset);
            s.unit = utpixel;
            s.size.setValue(shown(s));
        };
        const auto sizeTyped = [&](const SSide &s) {
            const long double typed = (long double)s.size.Value() + s.unitOffset;
            if (s.list == utpercent) {
                s.value = float(typed * s.init / 100);
                s.unit = utpixel;
            } else {
                s.value = float(typed);
                s.unit = s.list;
            }
            showPixels(s);
        };

        switch (Sender) {
        case TSender::CmbWidth:
            w.size.setValue(shown(w));
            break;
        case TSender::CmbHeight:
            h.size.setValue(shown(h));
            break;
        case TSender::NumPixelW:
            pixelsTyped(w);
            break;
        case TSender::NumPixelH:
            pixelsTyped(h);
            break;
        case TSender::NumWidth:
            sizeTyped(w);
            break;
        case TSender::NumHeight:
            sizeTyped(h);
            break;
        case TSender::ChkRelation:
            // The same size, shown as absolute values or as differences.
            for (const SSide *s : {&w, &h}) {
                showPixels(*s);
                s->size.setValue(shown(*s));
            }
            break;
        }
        m_pixelCaption = pixelGroupCaption(convertUnitValue(FWidthUnit, utpixel, FWidth, dpi),
                                           convertUnitValue(FHeightUnit, utpixel, FHeight, dpi));
    }
    if (OnParamChange)
        OnParamChange();
}
