// The dialogs of the colour and tone adjustments: brightness/contrast, colour balance,
// hue/saturation, posterize, threshold and gradient map. Each is a module: the dialog, its
// execDialog (the record on OK) and its makeLastParam (the record from the remembered values).
// Brightness/contrast, colour balance and hue/saturation open at neutral values; the repeat
// still uses the values of the last OK.
#pragma once

#include "filters/dialogs/filter_dialog.h"
#include "filters/dialogs/histogram.h"

class QAction;
class QCheckBox;
class QMenu;
class QPushButton;
class TGradientListView;

class TFormBrightnessContrast4 : public TFilterRecordForm<TFormFilter, sFltObj4, kFltObj4Size>
{
  public:
    explicit TFormBrightnessContrast4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;

    SNumField FieldB, FieldC;
    QCheckBox *ChkL = nullptr;
    QPushButton *ButtonD = nullptr;

  protected:
    void ButtonOKClick() override;
};

class TFormGamma4 : public TFilterRecordForm<TFormFilter, sFltObj4, kFltObj4Size>
{
  public:
    explicit TFormGamma4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    // The other two models take the value of the one changed; every trackbar follows.
    void SyncNumbers(QObject *Sender);
    // The other two trackbars take the position of the one moved; every model follows.
    void SyncTrackbars(QObject *Sender);

    SNumField FieldR, FieldG, FieldB;
    QCheckBox *ChkS = nullptr;
    QPushButton *ButtonD = nullptr;

  protected:
    void ButtonOKClick() override;
};

class TFormHueSaturation4 : public TFilterRecordForm<TFormFilter, sFltObj4, kFltObj4Size>
{
  public:
    explicit TFormHueSaturation4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;

    SNumField FieldH, FieldS, FieldL;
    QCheckBox *ChkM = nullptr;
    QCheckBox *ChkL = nullptr;
    QPushButton *ButtonD = nullptr;

  protected:
    void ButtonOKClick() override;

  private:
    // Saturation runs 0..100 with monotone, -100..100 without; the slider stays put.
    void applyMonotoneRange();
};

class TFormPosterize4 : public TFilterRecordForm<TFormFilterPreview, sFltObj2, kFltObj2Size>
{
  public:
    explicit TFormPosterize4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;

    SNumField FieldL;

  protected:
    void ButtonOKClick() override;
};

class TFormThreshold4 : public TFilterRecordForm<TFormFilter, sFltObj2, kFltObj2Size>
{
  public:
    explicit TFormThreshold4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;

    SNumField FieldT;
    QPushButton *ButtonD = nullptr;
    QPushButton *ButtonA = nullptr;
    CHistogram *HistogramY = nullptr;

  protected:
    void ButtonOKClick() override;
};

// The gradient map maps with the gradient manager's current gradient; the manager's current
// gradient is given back when the dialog goes.
class TFormGradientMap4
    : public TFilterRecordForm<TFormFilterPreview, sFltObjGradientMap, kFltObjGradientMapSize>
{
  public:
    explicit TFormGradientMap4(QWidget *owner = nullptr);
    ~TFormGradientMap4() override;
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    bool IsChanged() override;

    // The seven display types of the list's pop-up menu.
    void MenuIconLClick(QAction *Sender);
    // Ticks the item of the list's current type.
    void PopMenuPopup();

    TGradientListView *FDrpGrad = nullptr;
    QMenu *PopMenu = nullptr;
    QCheckBox *ChkR = nullptr;
    int32_t OldIndex = -1;

  protected:
    void ButtonOKClick() override;
};

// ---- the modules
bool execBrightnessContrastDialog(sFltObj4 &rec, CFlt4Core &core);
bool makeBrightnessContrastLastParam(sFltObj4 &rec);
bool execColorBalanceDialog(sFltObj4 &rec, CFlt4Core &core);
bool makeColorBalanceLastParam(sFltObj4 &rec);
bool execHueSaturationDialog(sFltObj4 &rec, CFlt4Core &core);
bool makeHueSaturationLastParam(sFltObj4 &rec);
bool execPosterizeDialog(sFltObj2 &rec, CFlt4Core &core);
bool makePosterizeLastParam(sFltObj2 &rec);
bool execThresholdDialog(sFltObj2 &rec, CFlt4Core &core);
bool makeThresholdLastParam(sFltObj2 &rec);
bool execGradientMapDialog(sFltObjGradientMap &rec, CFlt4Core &core);
// False without a gradient manager or current gradient.
bool makeGradientMapLastParam(sFltObjGradientMap &rec, CFlt4Core &core);
