// The value model of every numeric field: one Single setting with its range, default, steps, an
// optional centre (two step sizes and a bent slider mapping) and an optional wrap-around range.
// Controls bound to a model (its associates) are refreshed whenever the value changes, except
// the one that made the change; OnChange fires once per change.
//
// A model is a QObject owned by its form. Associates are kept as guarded pointers; those that
// implement INumAssociate are refreshed and detached by the model, any other object stays
// listed and is never called. Forms are built in code: beginLoading()/endLoading() bracket the
// setting of properties that must be stored unclamped (the order of setting then does not
// matter).
#pragma once

#include "ui/base/app_hooks.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

// What a bound control does for its model.
class INumAssociate
{
  public:
    virtual ~INumAssociate() = default;
    // Shows the model's value again.
    virtual void UpdateValues() = 0;
    // The model goes away: the control forgets it (and shows its unbound look).
    virtual void DetachAssociate() = 0;
};

class TNumMngr : public QObject
{
  public:
    explicit TNumMngr(QObject *owner = nullptr);
    ~TNumMngr() override;

    // The one path by which the value changes; answers the value held afterwards. Sender is
    // not refreshed.
    float SetNumber(QObject *Sender, float ANum);
    // Typed text; the value is unchanged when the text holds no number. Radix is not used.
    float SetString(QObject *Sender, const QString &AStr, int Radix = 10);
    void Reset(QObject *Sender);
    void Increment(QObject *Sender, bool IsShift);
    void Decrement(QObject *Sender, bool IsShift);
    // Range and value in one call; false, changing nothing, when AMin > AMax.
    bool SetValues(QObject *Sender, float AValue, float AMin, float AMax);
    // The wrap range (kept inside the value range) and the wrap flag; false when AMin > AMax.
    bool SetWraps(QObject *Sender, bool AWrapAround, float AMin, float AMax);
    // A number beyond the Single range was given: the value becomes ValueMax (ValueMin for a
    // negative one), always with refresh and notification; Sender is not refreshed.
    void SetOverflow(QObject *Sender, bool Negative);

    // Registers a control (moved to the end when already listed); its index, -1 for null.
    int Add(QObject *AAssociate);
    // Unregisters; the index it had, or -1.
    int Remove(QObject *AAssociate);
    // Refreshes every associate except AExcept (null: all).
    bool UpdateAssociates(QObject *AExcept);
    int AssociateCount() const { return int(FAssociates.size()); }
    QObject *Associate(int index) const { return FAssociates[size_t(index)]; }

    // The value mapped onto 0..1 of a slider (bent at the centre when UseCenter).
    float Position() const;
    void setPosition(float p);

    float Value() const { return FValue; }
    void setValue(float v) { SetNumber(nullptr, v); }
    float ValueMin() const { return FValueMin; }
    void setValueMin(float v);
    float ValueMax() const { return FValueMax; }
    void setValueMax(float v);
    float ValueDefault() const { return FValueDefault; }
    void setValueDefault(float v);
    float ValueCenter() const { return FValueCenter; }
    void setValueCenter(float v);
    bool WrapAround() const { return FWrapAround; }
    void setWrapAround(bool on);
    float WrapMin() const { return FWrapMin; }
    void setWrapMin(float v);
    float WrapMax() const { return FWrapMax; }
    void setWrapMax(float v);
    bool IsSigned() const { return FValueMin < 0; }

    float Amount = 1;
    bool UseCenter = false;
    float AmountLow = 1;
    float AmountHigh = 1;
    TNotifyEvent OnChange;

    // Properties set between these two are stored as given.
    void beginLoading() { FLoading = true; }
    void endLoading() { FLoading = false; }
    bool loading() const { return FLoading; }
    // A range with a value that is also the default, stored as given.
    void loadRange(float AMin, float AMax, float AValue)
    {
        beginLoading();
        setValueMin(AMin);
        setValueMax(AMax);
        setValueDefault(AValue);
        setValue(AValue);
        endLoading();
    }

  protected:
    // Every notification of the model passes here.
    virtual void Change();

  private:
    float wrapped(float v) const;
    float clamped(float v) const;

    std::vector<QPointer<QObject>> FAssociates;
    float FValueMin = 0;
    float FValueMax = 255;
    float FValueDefault = 0;
    float FValue = 0;
    float FValueCenter = 0;
    bool FWrapAround = false;
    float FWrapMin = 0;
    float FWrapMax = 255;
    bool FLoading = false;
};

// Moves a control from the model it is bound to (if any) to model (none when null): the one
// binding step every bound field takes when its model changes or it goes away.
template <class Slot> void rebindNumAssociate(Slot &bound, TNumMngr *model, QObject *control)
{
    if (bound)
        bound->Remove(control);
    bound = model;
    if (model)
        model->Add(control);
}

// How a number text overflowed the Single range.
enum TNumberOverflow : int
{
    noOverflow = 0,
    overflowHigh = 1,
    overflowLow = -1,
};

// Filters Text to digits, one leading minus (when AllowMinus) and the first decimal separator
// of the locale, and converts what is left. False, Value untouched, when nothing is left, when
// only "-" or the separator is left, when the conversion refuses the text (a warning is shown)
// or when the number lies beyond the Single range (then *Overflow, when given, says which way).
bool parseNumberText(float &Value, const QString &Text, bool AllowMinus,
                     TNumberOverflow *Overflow = nullptr);
// A digit, "-" when AllowMinus, the locale's decimal separator when AllowSeparator.
bool isNumberChar(QChar Ch, bool AllowMinus, bool AllowSeparator);
// The locale's decimal separator.
QChar decimalSeparator();
// A value through a printf pattern ("%1.0f"), with the locale's separator.
QString formatNumber(const QString &Pattern, float Value);
