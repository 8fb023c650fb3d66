// The dialogs of rotate, scale, polar coordinates, wave and twirl. Rotate and scale show their
// effect in the document window only and always open at no change; the other three have their
// own preview frame and open at the values of their last OK.
#pragma once

#include "filters/dialogs/filter_dialog.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QPushButton;

class TFormRotate4 : public TFilterRecordForm<TFormFilter, sFltObj2, kFltObj2Size>
{
  public:
    explicit TFormRotate4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    SNumField FieldA;
    QPushButton *ButtonR = nullptr;

  protected:
    void ButtonOKClick() override;
};

// Width and height in pixels and in percent of the effect rectangle, optionally linked by the
// aspect ratio; flips travel as negative sizes.
class TFormScale4 : public TFilterRecordForm<TFormFilter, sFltObj4, kFltObj4Size>
{
  public:
    explicit TFormScale4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    // A new width (height) in pixels: the percent follows unless it is being typed, and with
    // the aspect fixed the other side follows.
    void WidthChanged(float x);
    void HeightChanged(float y);

    SNumField FieldW, FieldWS, FieldH, FieldHS;
    QCheckBox *ChkC = nullptr, *ChkH = nullptr, *ChkV = nullptr;
    QPushButton *ButtonR = nullptr;

  protected:
    void ButtonOKClick() override;

  private:
    float FW = 1, FH = 1; // the effect rectangle's size
};

class TFormPolarCoordinates4 : public TFilterRecordForm<TFormFilterPreview, sFltObj2, kFltObj2Size>
{
  public:
    explicit TFormPolarCoordinates4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    int ModeIndex() const;
    void setModeIndex(int i);
    QGroupBox *RadM = nullptr;
    QButtonGroup *RadMItems = nullptr;

  protected:
    void ButtonOKClick() override;
};

class TFormWave4 : public TFilterRecordForm<TFormFilterPreview, sFltObj2, kFltObj2Size>
{
  public:
    explicit TFormWave4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    SNumField FieldH, FieldV, FieldO, FieldE, FieldA;

  protected:
    void ButtonOKClick() override;
};

class TFormTwirl4 : public TFilterRecordForm<TFormFilterPreview, sFltObj2, kFltObj2Size>
{
  public:
    explicit TFormTwirl4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    SNumField FieldA;

  protected:
    void ButtonOKClick() override;
};

bool execRotateDialog(sFltObj2 &rec, CFlt4Core &core);
bool makeRotateLastParam(sFltObj2 &rec, CFlt4Core &core);
bool execScaleDialog(sFltObj4 &rec, CFlt4Core &core);
bool makeScaleLastParam(sFltObj4 &rec, CFlt4Core &core);
bool execPolarCoordinatesDialog(sFltObj2 &rec, CFlt4Core &core);
bool makePolarCoordinatesLastParam(sFltObj2 &rec, CFlt4Core &core);
bool execWaveDialog(sFltObj2 &rec, CFlt4Core &core);
bool makeWaveLastParam(sFltObj2 &rec);
bool execTwirlDialog(sFltObj2 &rec, CFlt4Core &core);
bool makeTwirlLastParam(sFltObj2 &rec);
