#include "app/dialogs/resolution_dialog_model.h"

#include "app/dialogs/image_size_dialog_model.h"

#include <QScopeGuard>

#include <algorithm>

using namespace sizedlg;

// One side: its fields, its stored size and its list's unit.
struct CResolutionModel::SSide
{
    TNumMngr &pixel;
    TNumMngr &size;
    int32_t init;
    float &value;
    TUnitType &unit;
    TUnitType list;
};

namespace {

long double toPixels(float v, TUnitType unit, int32_t dpi)
{
    return convertUnitValue(unit, utpixel, v, float(dpi));
}

} // namespace

CResolutionModel::CResolutionModel()
{
    initNum(NumResolution, 72, kMinResolution, kMaxResolution);
    NumPixelW.OnChange = [this](QObject *) { ParamChange(TSender::NumPixelW); };
    NumPixelH.OnChange = [this](QObject *) { ParamChange(TSender::NumPixelH); };
    NumWidth.OnChange = [this](QObject *) { ParamChange(TSender::NumWidth); };
    NumHeight.OnChange = [this](QObject *) { ParamChange(TSender::NumHeight); };
    NumResolution.OnChange = [this](QObject *) {
        // The handler never writes the resolution: after set-up every change is the user's.
        if (!m_settingUp)
            m_resolutionChanged = true;
        ParamChange(TSender::NumResolution);
    };
}

void CResolutionModel::setup(int32_t width, int32_t height, int32_t dpi)
{
    m_settingUp = true;
    startFrom(width, height);
    NumResolution.setValue(float(dpi));
    NumPixelW.setValue(float(width));
    NumPixelH.setValue(float(height));
    // Values equal to the fields' start raise no change: fill the ranges anyway.
    ParamChange(TSender::ChkConstraint);
    m_settingUp = false;
}

void CResolutionModel::listUnitChanged(bool vertical)
{
    ParamChange(vertical ? TSender::CmbHeight : TSender::CmbWidth);
}

void CResolutionModel::setConstraint(bool on)
{
    m_constraint = on;
    ParamChange(TSender::ChkConstraint);
}

int32_t CResolutionModel::newWidth() const
{
    return wholePixels(false, NumResolution.Value());
}

int32_t CResolutionModel::newHeight() const
{
    return wholePixels(true, NumResolution.Value());
}

int32_t CResolutionModel::newResolution(int32_t given) const
{
    return m_resolutionChanged ? truncHalfUp(NumResolution.Value()) : given;
}

CResolutionModel::SSide CResolutionModel::side(bool vertical)
{
    return {vertical ? NumPixelH : NumPixelW,    vertical ? NumHeight : NumWidth,
            vertical ? FInitH : FInitW,          vertical ? FHeight : FWidth,
            vertical ? FHeightUnit : FWidthUnit, vertical ? m_heightList : m_widthList};
}

void CResolutionModel::setRanges(const SSide &s, const SSide &other, int32_t dpi)
{
    // The side's limits in its list's unit.
    long double lo, hi;
    if (s.list == utpercent) {
        lo = (long double)kMinImageSide * 100 / s.init;
        hi = (long double)kMaxImageSide * 100 / s.init;
    } else {
        float fmin = 0, fmax = 0;
        pixelRangeInUnit(fmin, fmax, s.list, float(dpi));
        lo = fmin;
        hi = fmax;
    }
    if (!m_constraint) {
        setNumRange(s.pixel, kMinImageSide, kMaxImageSide);
        setNumRange(s.size, lo, hi);
        return;
    }
    // Locked, the other side must stay within its limits too.
    setNumRange(s.size, std::max(lo, lo * s.init / other.init),
                std::min(hi, hi * s.init / other.init));
    const long double pmin = (long double)kMinImageSide * s.init / other.init;
    const long double pmax = (long double)kMaxImageSide * s.init / other.init;
    setNumRange(s.pixel, pmin > kMinImageSide ? pmin : kMinImageSide,
                pmax < kMaxImageSide ? pmax : kMaxImageSide);
}

void CResolutionModel::follow(const SSide &from, const SSide &to, int32_t dpi)
{
    to.value = float((long double)to.init * from.value / from.init);
    to.unit = from.unit;
    to.pixel.setValue(float(toPixels(to.value, to.unit, dpi)));
    if (to.list == utpercent)
        to.size.setValue(float((long double)to.pixel.Value() * 100 / to.init));
    else
        to.size.setValue(convertUnitValue(to.unit, to.list, to.value, float(dpi)));
}

void CResolutionModel::ParamChange(TSender Sender)
{
    if (FParamChanging)
        return;
    FParamChanging = true;
    const auto clear = qScopeGuard([this] { FParamChanging = false; });
    const int32_t dpi = truncHalfUp(NumResolution.Value());
    const SSide w = side(false), h = side(true);
    const float pixelW = w.pixel.Value(), pixelH = h.pixel.Value();
    setRanges(w, h, dpi);
    setRanges(h, w, dpi);

    // The side's size field from its stored size.
    const auto showSize = [dpi](const SSide &s) {
        if (s.list == utpercent)
            s.size.setValue(float(toPixels(s.value, s.unit, dpi) * 100 / s.init));
        else
            s.size.setValue(convertUnitValue(s.unit, s.list, s.value, float(dpi)));
    };
    const auto pixelsTyped = [&](const SSide &s) {
        s.value = s.pixel.Value();
        s.unit = utpixel;
        showSize(s);
    };
    const auto sizeTyped = [dpi](const SSide &s) {
        if (s.list == utpercent) {
            s.value = float((long double)s.size.Value() * s.init / 100);
            s.unit = utpixel;
        } else {
            s.value = s.size.Value();
            s.unit = s.list;
        }
        s.pixel.setValue(float(toPixels(s.value, s.unit, dpi)));
    };
    // A size in a length keeps its length at the new resolution; one in percent its pixels.
    const auto reread = [dpi](const SSide &s) {
        if (s.list == utpercent)
            return;
        s.value = s.size.Value();
        s.unit = s.list;
        s.pixel.setValue(float(toPixels(s.value, s.unit, dpi)));
    };

    switch (Sender) {
    case TSender::CmbWidth:
        showSize(w);
        break;
    case TSender::CmbHeight:
        showSize(h);
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
    case TSender::NumResolution:
        reread(w);
        reread(h);
        break;
    case TSender::ChkConstraint:
        // Switching the lock on narrows the pixel ranges: a side they clamp takes the size
        // shown, so that OK answers what the fields show.
        if (w.pixel.Value() != pixelW)
            pixelsTyped(w);
        if (h.pixel.Value() != pixelH)
            pixelsTyped(h);
        return;
    }

    if (!m_constraint)
        return;
    const bool byResolution = Sender == TSender::NumResolution;
    if (Sender == TSender::NumPixelW || Sender == TSender::NumWidth ||
        (byResolution && h.list == utpercent))
        follow(w, h, dpi);
    else if (Sender == TSender::NumPixelH || Sender == TSender::NumHeight ||
             (byResolution && w.list == utpercent))
        follow(h, w, dpi);
}
