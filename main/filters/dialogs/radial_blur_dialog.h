// The zoom blur's dialog: the amount and the centre, typed as pixel offsets from the middle of
// the effect rectangle or dragged in the centre picker, whose square spans that rectangle. The
// centre always opens in the middle; the remembered one is scaled to the effect rectangle of a
// repeat.
#pragma once

#include "filters/dialogs/filter_dialog.h"

class TTrackArea;

class TFormRadialBlur4 : public TFilterRecordForm<TFormFilterPreview, sFltObj2, kFltObj2Size>
{
  public:
    explicit TFormRadialBlur4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;

    SNumField FieldA, FieldL, FieldT;
    TTrackArea *TrackLT = nullptr;

  protected:
    void ButtonOKClick() override;

  private:
    bool FProtect = false;
};

bool execRadialBlurDialog(sFltObj2 &rec, CFlt4Core &core);
// False when the effect rectangle noted last had no area.
bool makeRadialBlurLastParam(sFltObj2 &rec, CFlt4Core &core);
