// The dialogs of the filters that draw new content: tiles (with its own preview frame), clouds
// and rocks, and plasma (both shown in the document window only). Their colours come from colour
// cells; the tool window's colours fill the first two at opening. Clouds and plasma draw from a
// seed taken from the millisecond clock at opening, at "再作成(&R)" and at every repeat.
#pragma once

#include "core/pixel/pixel.h"
#include "filters/dialogs/filter_dialog.h"

#include <array>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class TPickerColorCell;

// A cell's colour with alpha 255, and a colour put into a cell.
TColor32 cellColour(const TPickerColorCell &cell);
void setCellColour(TPickerColorCell &cell, TColor32 c);

class TFormTiles4 : public TFilterRecordForm<TFormFilterPreview, sFltObj4, kFltObj4Size>
{
  public:
    explicit TFormTiles4(QWidget *owner = nullptr);
    ~TFormTiles4() override;
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    // The third colour's label, cell, edit and trackbar follow Chk3.
    void UpdateColor3Controls();

    QRadioButton *RadS = nullptr, *RadT = nullptr;
    QCheckBox *Chk3 = nullptr;
    SNumField FieldW, FieldO1, FieldO2, FieldO3;
    std::array<TPickerColorCell *, 3> Color{};
    QLabel *LabelO3 = nullptr;

  protected:
    void ButtonOKClick() override;
};

class TFormClouds4 : public TFilterRecordForm<TFormFilter, sFltObj6, kFltObj6Size>
{
  public:
    explicit TFormClouds4(QWidget *owner = nullptr);
    ~TFormClouds4() override;
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    // The pattern size's labels, edits and trackbars follow CheckA.
    void UpdateSizeControls();
    bool Rocks() const;

    QRadioButton *RadC = nullptr, *RadR = nullptr;
    SNumField FieldC, FieldS, FieldW, FieldH;
    QCheckBox *CheckA = nullptr;
    QPushButton *ButtonD = nullptr, *ButtonR = nullptr;
    TPickerColorCell *FCell1 = nullptr, *FCell2 = nullptr;
    uint32_t FSeed = 0;

  protected:
    void ButtonOKClick() override;

  private:
    void setSoftnessEnabled(bool on);
    std::vector<QWidget *> FSoftness, FSizes;
    int32_t FLayerW = 0, FLayerH = 0;
    bool FRocks = false; // the kind selected before the latest click
};

class TFormPlasma4 : public TFilterRecordForm<TFormFilter, sFltObj4, kFltObj4Size>
{
  public:
    explicit TFormPlasma4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;

    QRadioButton *RadC = nullptr, *RadG = nullptr;
    SNumField FieldC, FieldO;
    QComboBox *CmbM = nullptr;
    QPushButton *BtnR = nullptr;
    uint32_t FSeed = 0;

  protected:
    void ButtonOKClick() override;
};

bool execTilesDialog(sFltObj4 &rec, CFlt4Core &core);
bool makeTilesLastParam(sFltObj4 &rec);
bool execCloudsDialog(sFltObj6 &rec, CFlt4Core &core);
bool makeCloudsLastParam(sFltObj6 &rec, CFlt4Core &core);
bool execPlasmaDialog(sFltObj4 &rec, CFlt4Core &core);
bool makePlasmaLastParam(sFltObj4 &rec);
