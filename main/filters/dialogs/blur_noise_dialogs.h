// The dialogs of the custom kernel, sharpen (custom), Gaussian blur, motion blur, median,
// mosaic, noise, diffuse, emboss and colour halftone filters; all show the result in their own
// preview frame. Noise and diffuse take a new seed from the millisecond clock when they open, at
// "再作成(&R)" and at every repeat.
#pragma once

#include "filters/dialogs/filter_dialog.h"

#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QPushButton;

// The 5 x 5 kernel: 25 entry fields made at run time, the divisor and the offset. Every change
// previews after the delay.
class TFormCustom4 : public TFilterBlockForm<TFormFilterPreview, SFltCustom, initFltCustom>
{
  public:
    explicit TFormCustom4(QWidget *owner = nullptr);
    ~TFormCustom4() override;

    // Copies the kernel the record's block holds.
    void SetPreParam(const void *rec) override;
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    bool IsChanged() override;

    std::array<TNumMngr *, 25> NumM{};
    std::array<TNumEdit *, 25> EditM{};
    SNumField FieldS, FieldO;
    QWidget *EditM00 = nullptr; // where the first entry goes

  protected:
    void ButtonOKClick() override;
};

class TFormSharpenCustom4 : public TFilterRecordForm<TFormFilterPreview, sFltObj2, kFltObj2Size>
{
  public:
    explicit TFormSharpenCustom4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    SNumField FieldA;

  protected:
    void ButtonOKClick() override;
};

class TFormGaussianBlur4 : public TFilterRecordForm<TFormFilterPreview, sFltObj2, kFltObj2Size>
{
  public:
    explicit TFormGaussianBlur4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    SNumField FieldA;

  protected:
    void ButtonOKClick() override;
};

class TFormMotionBlur4 : public TFilterRecordForm<TFormFilterPreview, sFltObj2, kFltObj2Size>
{
  public:
    explicit TFormMotionBlur4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    SNumField FieldA, FieldM;

  protected:
    void ButtonOKClick() override;
};

class TFormMedian4 : public TFilterRecordForm<TFormFilterPreview, sFltObj2, kFltObj2Size>
{
  public:
    explicit TFormMedian4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    SNumField FieldL;

  protected:
    void ButtonOKClick() override;
};

class TFormMosaic4 : public TFilterRecordForm<TFormFilterPreview, sFltObj2, kFltObj2Size>
{
  public:
    explicit TFormMosaic4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    SNumField FieldL;

  protected:
    void ButtonOKClick() override;
};

class TFormNoise4 : public TFilterRecordForm<TFormFilterPreview, sFltObj4, kFltObj4Size>
{
  public:
    explicit TFormNoise4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    SNumField FieldA;
    QCheckBox *ChkG = nullptr;
    QPushButton *ButtonR = nullptr;
    uint32_t FSeed = 0;

  protected:
    void ButtonOKClick() override;
};

class TFormDifuse4 : public TFilterRecordForm<TFormFilterPreview, sFltObj4, kFltObj4Size>
{
  public:
    explicit TFormDifuse4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    // The mode item chosen: 0 normal, 1 darken, 2 lighten.
    int ModeIndex() const;
    void setModeIndex(int i);
    SNumField FieldR;
    QGroupBox *RadM = nullptr;
    QButtonGroup *RadMItems = nullptr;
    QCheckBox *ChkS = nullptr;
    QPushButton *ButtonR = nullptr;
    uint32_t FSeed = 0;

  protected:
    void ButtonOKClick() override;
};

class TFormEmboss4 : public TFilterRecordForm<TFormFilterPreview, sFltObj4, kFltObj4Size>
{
  public:
    explicit TFormEmboss4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    SNumField FieldA, FieldH, FieldM;

  protected:
    void ButtonOKClick() override;
};

class TFormColorHalftone4 : public TFilterRecordForm<TFormFilterPreview, sFltObj4, kFltObj4Size>
{
  public:
    explicit TFormColorHalftone4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    SNumField FieldD, FieldR, FieldG, FieldB;

  protected:
    void ButtonOKClick() override;
};

// ---- the modules
bool execCustomDialog(SFltCustom &kernel, CFlt4Core &core);
bool makeCustomLastParam(SFltCustom &kernel);
bool execSharpenCustomDialog(sFltObj2 &rec, CFlt4Core &core);
bool makeSharpenCustomLastParam(sFltObj2 &rec);
bool execGaussianBlurDialog(sFltObj2 &rec, CFlt4Core &core);
bool makeGaussianBlurLastParam(sFltObj2 &rec);
bool execMotionBlurDialog(sFltObj2 &rec, CFlt4Core &core);
bool makeMotionBlurLastParam(sFltObj2 &rec);
bool execMedianDialog(sFltObj2 &rec, CFlt4Core &core);
bool makeMedianLastParam(sFltObj2 &rec, CFlt4Core &core);
bool execMosaicDialog(sFltObj2 &rec, CFlt4Core &core);
bool makeMosaicLastParam(sFltObj2 &rec, CFlt4Core &core);
bool execNoiseDialog(sFltObj4 &rec, CFlt4Core &core);
bool makeNoiseLastParam(sFltObj4 &rec);
bool execDiffuseDialog(sFltObj4 &rec, CFlt4Core &core);
bool makeDiffuseLastParam(sFltObj4 &rec, CFlt4Core &core);
bool execEmbossDialog(sFltObj4 &rec, CFlt4Core &core);
bool makeEmbossLastParam(sFltObj4 &rec);
bool execColorHalftoneDialog(sFltObj4 &rec, CFlt4Core &core);
bool makeColorHalftoneLastParam(sFltObj4 &rec);
