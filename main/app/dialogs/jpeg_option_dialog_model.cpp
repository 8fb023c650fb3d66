#include "app/dialogs/jpeg_option_dialog_model.h"

#include "app/dialogs/image_size_dialog_model.h"
#include "core/profile/app_profile.h"

#include <QScopeGuard>

using namespace sizedlg;

float TrackQInFilter(float p)
{
    const long double x = p;
    return float(5 * x / (13 - 8 * x));
}

float TrackQOutFilter(float s)
{
    const long double x = s;
    return float(13 * x / (8 * x + 5));
}

CJpegOptionModel::CJpegOptionModel(CAppProfile &profile) : m_profile(profile)
{
    NumQ.beginLoading();
    NumQ.setValueMin(10);
    NumQ.setValueMax(100);
    NumQ.setValueDefault(75);
    NumQ.setValue(75);
    NumQ.endLoading();
    NumS.beginLoading();
    NumS.setValueMin(0);
    NumS.setValueMax(100);
    NumS.setValueDefault(0);
    NumS.setValue(0);
    NumS.endLoading();
    NumQ.OnChange = [this](QObject *) { ValueChange(TSender::NumQ); };
    NumS.OnChange = [this](QObject *) { ValueChange(TSender::NumS); };

    FUpdateNow = true;
    const auto clear = qScopeGuard([this] { FUpdateNow = false; });
    if (m_profile.jpegQType >= 0 && m_profile.jpegQType < kJpegLevelCount) {
        m_level = m_profile.jpegQType;
        NumQ.setValue(float(levelQuality(m_level)));
    } else {
        NumQ.setValue(float(m_profile.jpegQuality));
        m_level = levelOfQuality(NumQ.Value());
    }
    NumS.setValue(float(m_profile.jpegValSmooth));
    m_progressive = m_profile.jpegUseProgressive;
    m_grayscale = false; // never kept from an earlier run
    m_trackQ = NumQ.Position();
    m_trackS = NumS.Position();
    refreshCurValue();
}

int32_t CJpegOptionModel::levelQuality(int level) const
{
    switch (level) {
    case 0:
        return m_profile.jpegQVHigh;
    case 2:
        return m_profile.jpegQStd;
    case 3:
        return m_profile.jpegQLow;
    default:
        return m_profile.jpegQHigh;
    }
}

int CJpegOptionModel::levelOfQuality(float q) const
{
    // Midpoints between neighbouring levels, compared as 2q against the sum of the two.
    const long double q2 = 2.0L * q;
    if (q2 >= (long double)m_profile.jpegQVHigh + m_profile.jpegQHigh)
        return 0;
    if (q2 >= (long double)m_profile.jpegQHigh + m_profile.jpegQStd)
        return 1;
    if (q2 >= (long double)m_profile.jpegQStd + m_profile.jpegQLow)
        return 2;
    return 3;
}

void CJpegOptionModel::selectLevel(int level)
{
    m_level = level;
    ValueChange(TSender::CmbC);
}

void CJpegOptionModel::setTrackQ(float p)
{
    m_trackQ = p;
    ValueChange(TSender::TrackQ);
}

void CJpegOptionModel::setTrackS(float p)
{
    m_trackS = p;
    ValueChange(TSender::TrackS);
}

void CJpegOptionModel::setGrayscale(bool on)
{
    m_grayscale = on;
    ValueChange(TSender::ChkG);
}

void CJpegOptionModel::setProgressive(bool on)
{
    m_progressive = on;
    ValueChange(TSender::ChkP);
}

bool CJpegOptionModel::freeQuality() const
{
    return NumQ.Value() != float(levelQuality(m_level));
}

void CJpegOptionModel::refreshCurValue()
{
    FCurValue.QualityType = freeQuality() ? kJpegFreeQuality : m_level;
    FCurValue.Quality = truncHalfUp(NumQ.Value());
    FCurValue.Smooth = truncHalfUp(NumS.Value());
    FCurValue.Grayscale = m_grayscale;
    FCurValue.Progressive = m_progressive;
}

void CJpegOptionModel::writeProfile() const
{
    m_profile.jpegQType = freeQuality() ? kJpegFreeQuality : m_level;
    m_profile.jpegQuality = truncHalfUp(NumQ.Value());
    m_profile.jpegValSmooth = truncHalfUp(NumS.Value());
    m_profile.jpegUseSmooth = m_profile.jpegValSmooth > 0;
    m_profile.jpegUseProgressive = m_progressive;
}

void CJpegOptionModel::ValueChange(TSender Sender)
{
    if (FUpdateNow)
        return;
    {
        FUpdateNow = true;
        const auto clear = qScopeGuard([this] { FUpdateNow = false; });
        switch (Sender) {
        case TSender::CmbC:
            NumQ.setValue(float(levelQuality(m_level)));
            m_trackQ = NumQ.Position();
            break;
        case TSender::NumQ:
            m_level = levelOfQuality(NumQ.Value());
            m_trackQ = NumQ.Position();
            break;
        case TSender::TrackQ:
            NumQ.setPosition(m_trackQ);
            m_level = levelOfQuality(NumQ.Value());
            break;
        case TSender::NumS:
            m_trackS = NumS.Position();
            break;
        case TSender::TrackS:
            NumS.setPosition(m_trackS);
            break;
        case TSender::ChkG:
        case TSender::ChkP:
            break;
        case TSender::Other:
            return;
        }
        refreshCurValue();
    }
    if (OnValueChange)
        OnValueChange();
}
