#include "ui/fields/num_mngr.h"

#include "platform/desktop/messages.h"

#include <QLocale>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

TNumMngr::TNumMngr(QObject *owner) : QObject(owner) {}

TNumMngr::~TNumMngr()
{
    // Each detach calls Remove, so the list shrinks as we go.
    while (!FAssociates.empty()) {
        QPointer<QObject> last = FAssociates.back();
        if (auto *a = dynamic_cast<INumAssociate *>(last.data()))
            a->DetachAssociate();
        if (!FAssociates.empty() && FAssociates.back() == last)
            FAssociates.pop_back();
    }
}

float TNumMngr::wrapped(float v) const
{
    // The remainder is taken relative to 0, in extended precision, then corrected once.
    const float r = FWrapMax - FWrapMin;
    if (r == 0)
        return FWrapMin;
    long double w = (long double)v - (long double)r * std::trunc((long double)v / r);
    if (w < FWrapMin)
        w += r;
    else if (w > FWrapMax)
        w -= r;
    // A wrap range that excludes 0 can need more than the one correction: take the remainder
    // relative to WrapMin instead.
    if (w < FWrapMin || w > FWrapMax) {
        w = std::fmod((long double)v - FWrapMin, (long double)r);
        if (w < 0)
            w += r;
        w += FWrapMin;
    }
    return float(w);
}

float TNumMngr::clamped(float v) const
{
    if (v <= FValueMin)
        v = FValueMin;
    if (v >= FValueMax)
        v = FValueMax;
    return v;
}

float TNumMngr::SetNumber(QObject *Sender, float ANum)
{
    // Not a number (a filter's result, say) would pass every clamp; an infinity has no place
    // in a wrap range. Either leaves the value as it is.
    if (ANum == FValue || std::isnan(ANum) || (std::isinf(ANum) && FWrapAround && !FLoading))
        return FValue;
    if (FLoading)
        FValue = ANum;
    else if (FWrapAround)
        FValue = wrapped(ANum);
    else
        FValue = clamped(ANum);
    UpdateAssociates(Sender);
    Change();
    return FValue;
}

void TNumMngr::SetOverflow(QObject *Sender, bool Negative)
{
    // The field is first set to the other end so that the assignment always counts as a change.
    if (Negative) {
        FValue = FValueMax;
        SetNumber(Sender, FValueMin);
    } else {
        FValue = FValueMin;
        SetNumber(Sender, FValueMax);
    }
}

float TNumMngr::SetString(QObject *, const QString &AStr, int)
{
    float number = 0;
    TNumberOverflow overflow = noOverflow;
    if (parseNumberText(number, AStr, IsSigned(), &overflow))
        SetNumber(nullptr, number);
    else if (overflow != noOverflow)
        SetOverflow(nullptr, overflow == overflowLow);
    return FValue;
}

void TNumMngr::Reset(QObject *)
{
    SetNumber(nullptr, FValueDefault);
}

void TNumMngr::Increment(QObject *, bool IsShift)
{
    float step = Amount;
    if (UseCenter)
        step = FValue >= FValueCenter ? AmountHigh : AmountLow;
    if (IsShift)
        step *= 10;
    SetNumber(nullptr, FValue + step);
}

void TNumMngr::Decrement(QObject *, bool IsShift)
{
    // At the centre a step down is a low step (and a step up a high one).
    float step = Amount;
    if (UseCenter)
        step = FValue > FValueCenter ? AmountHigh : AmountLow;
    if (IsShift)
        step *= 10;
    SetNumber(nullptr, FValue - step);
}

bool TNumMngr::SetValues(QObject *, float AValue, float AMin, float AMax)
{
    if (AMin > AMax)
        return false;
    FValueMin = AMin;
    FValueMax = AMax;
    if (AValue <= AMin)
        AValue = AMin;
    if (AValue >= AMax)
        AValue = AMax;
    if (AValue != FValue)
        SetNumber(nullptr, AValue);
    else
        Change();
    return true;
}

bool TNumMngr::SetWraps(QObject *, bool AWrapAround, float AMin, float AMax)
{
    if (AMin > AMax)
        return false;
    setWrapMin(std::max(AMin, FValueMin));
    setWrapMax(std::min(AMax, FValueMax));
    setWrapAround(AWrapAround);
    return true;
}

int TNumMngr::Add(QObject *AAssociate)
{
    if (!AAssociate)
        return -1;
    Remove(AAssociate);
    FAssociates.emplace_back(AAssociate);
    return int(FAssociates.size()) - 1;
}

int TNumMngr::Remove(QObject *AAssociate)
{
    if (!AAssociate)
        return -1;
    const auto it = std::find(FAssociates.begin(), FAssociates.end(), AAssociate);
    if (it == FAssociates.end())
        return -1;
    const int index = int(it - FAssociates.begin());
    FAssociates.erase(it);
    return index;
}

bool TNumMngr::UpdateAssociates(QObject *AExcept)
{
    // Indexes rather than iterators: a refreshed control may read the model but never changes
    // the list; the copy of each pointer guards against one going away meanwhile.
    for (size_t i = 0; i < FAssociates.size(); ++i) {
        QObject *o = FAssociates[i];
        if (!o || o == AExcept)
            continue;
        if (auto *a = dynamic_cast<INumAssociate *>(o))
            a->UpdateValues();
    }
    return true;
}

float TNumMngr::Position() const
{
    const float lo = FWrapAround ? FWrapMin : FValueMin;
    const float hi = FWrapAround ? FWrapMax : FValueMax;
    // Zero-width ranges read 0 (or the middle at the centre) instead of dividing by zero.
    if (!UseCenter)
        return hi == lo ? 0.0f : (FValue - lo) / (hi - lo);
    if (FValue < FValueCenter)
        return FValueCenter == lo ? 0.0f : (FValue - lo) * 0.5f / (FValueCenter - lo);
    if (FValue > FValueCenter)
        return hi == FValueCenter ? 1.0f
                                  : (FValue - FValueCenter) * 0.5f / (hi - FValueCenter) + 0.5f;
    return 0.5f;
}

void TNumMngr::setPosition(float p)
{
    const float lo = FWrapAround ? FWrapMin : FValueMin;
    const float hi = FWrapAround ? FWrapMax : FValueMax;
    float v;
    if (!UseCenter)
        v = lo + p * (hi - lo);
    else if (p < 0.5f)
        v = lo + p * (FValueCenter - lo) * 2;
    else if (p == 0.5f)
        v = FValueCenter;
    else
        v = FValueCenter + (hi - FValueCenter) * (p - 0.5f) * 2;
    setValue(v);
}

void TNumMngr::setValueMin(float v)
{
    if (v == FValueMin)
        return;
    FValueMin = v;
    if (!FLoading) {
        if (FWrapMin < v)
            FWrapMin = v;
        if (FValueMax < v)
            FValueMax = v;
        if (FValue < v)
            setValue(v);
    }
    UpdateAssociates(nullptr);
}

void TNumMngr::setValueMax(float v)
{
    if (v == FValueMax)
        return;
    FValueMax = v;
    if (!FLoading) {
        if (FWrapMax > v)
            FWrapMax = v;
        if (FValueMin > v)
            FValueMin = v;
        if (FValue > v)
            setValue(v);
    }
    UpdateAssociates(nullptr);
}

void TNumMngr::setValueDefault(float v)
{
    if (v == FValueDefault)
        return;
    if (!FLoading) {
        if (v <= FValueMin)
            v = FValueMin;
        if (v >= FValueMax)
            v = FValueMax;
    }
    FValueDefault = v;
    UpdateAssociates(nullptr);
}

void TNumMngr::setValueCenter(float v)
{
    if (v == FValueCenter)
        return;
    FValueCenter = FLoading ? v : std::clamp(v, FValueMin, std::max(FValueMin, FValueMax));
}

void TNumMngr::setWrapAround(bool on)
{
    if (on == FWrapAround)
        return;
    FWrapAround = on;
    UpdateAssociates(nullptr);
}

void TNumMngr::setWrapMin(float v)
{
    if (v == FWrapMin)
        return;
    FWrapMin = v;
    if (!FLoading) {
        if (FValueMin > v)
            FValueMin = v;
        if (FWrapMax < v)
            FWrapMax = v;
    }
    UpdateAssociates(nullptr);
}

void TNumMngr::setWrapMax(float v)
{
    if (v == FWrapMax)
        return;
    FWrapMax = v;
    if (!FLoading) {
        if (FWrapMin > v)
            FWrapMin = v;
        if (FValueMax < v)
            FValueMax = v;
    }
    UpdateAssociates(nullptr);
}

void TNumMngr::Change()
{
    if (OnChange)
        OnChange(this);
}

// ---- number text

QChar decimalSeparator()
{
    const QString s = QLocale().decimalPoint();
    return s.isEmpty() ? QChar(u'.') : s.front();
}

bool isNumberChar(QChar Ch, bool AllowMinus, bool AllowSeparator)
{
    if (Ch >= u'0' && Ch <= u'9')
        return true;
    if (AllowMinus && Ch == u'-')
        return true;
    return AllowSeparator && Ch == decimalSeparator();
}

bool parseNumberText(float &Value, const QString &Text, bool AllowMinus, TNumberOverflow *Overflow)
{
    if (Overflow)
        *Overflow = noOverflow;
    const QChar sep = decimalSeparator();
    QString s;
    bool minus = AllowMinus, separator = true;
    for (const QChar c : Text) {
        if (isNumberChar(c, minus, separator))
            s += c;
        // Only a leading minus can be taken; only the first separator of the text counts.
        if (!s.isEmpty())
            minus = false;
        if (c == sep)
            separator = false;
    }
    if (s.isEmpty() || s == u"-" || s == QString(sep))
        return false;
    const bool hasDigit = std::any_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); });
    if (!hasDigit) {
        showWarning(QStringLiteral("ConvertError: '%1' is not a valid number").arg(s));
        return false;
    }
    QString c = s;
    c.replace(sep, u'.');
    bool ok = false;
    const double d = QLocale::c().toDouble(c, &ok);
    // The text is well formed here, so a refused conversion is an overflow.
    if (!ok || std::fabs(d) > FLT_MAX) {
        if (Overflow)
            *Overflow = s.startsWith(u'-') ? overflowLow : overflowHigh;
        return false;
    }
    Value = float(d);
    return true;
}

namespace {

// A pattern reaches printf only when its one conversion takes a double: anything else would
// read arguments that are not there.
bool safeFloatPattern(const QByteArray &p)
{
    int conversions = 0;
    for (qsizetype i = 0; i < p.size(); ++i) {
        if (p[i] != '%')
            continue;
        ++i;
        while (i < p.size() && std::strchr("-+ #0123456789.", p[i]))
            ++i;
        if (i >= p.size())
            return false;
        if (p[i] == '%')
            continue;
        if (!std::strchr("fFeEgG", p[i]))
            return false;
        ++conversions;
    }
    return conversions <= 1;
}

} // namespace

QString formatNumber(const QString &Pattern, float Value)
{
    const QByteArray p = Pattern.toLatin1();
    QString s = QString::asprintf(safeFloatPattern(p) ? p.constData() : "%g", double(Value));
    const QChar sep = decimalSeparator();
    if (sep != u'.')
        s.replace(u'.', sep);
    return s;
}
