// The levels dialog: per channel column (RGB, red, green, blue) an input range with a midtone
// and an output range, over a histogram of the layer before filtering. It always opens at the
// neutral values of every column (only the linear tick and the Preview tick are remembered); the
// repeat applies all four columns of the last OK.
#pragma once

#include "filters/dialogs/filter_dialog.h"
#include "filters/dialogs/histogram.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;

class TFormLevels4 : public TFilterRecordForm<TFormFilter, sFltObj6, kFltObj6Size>
{
  public:
    explicit TFormLevels4(QWidget *owner = nullptr);
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;

    // A channel was chosen: its column into the boxes and handles; no preview.
    void CmbCChange();
    // Leaving the minimum or maximum box repairs a range that is not increasing.
    void EditIExit(QObject *Sender);
    void ResetToDefaults();
    // The channel shown (0 RGB .. 3 blue).
    int Channel() const;

    QGroupBox *GroupBoxC = nullptr;
    QComboBox *CmbC = nullptr;
    TNumMngr *NumIMin = nullptr, *NumIMid = nullptr, *NumIMax = nullptr;
    TNumMngr *NumOMin = nullptr, *NumOMax = nullptr;
    TNumEdit *EditIMin = nullptr, *EditIMid = nullptr, *EditIMax = nullptr;
    TNumEdit *EditOMin = nullptr, *EditOMax = nullptr;
    TLevelsTrackbar *TrackI = nullptr;
    TLevelsTrackbar *TrackO = nullptr;
    CHistogram *HistogramI = nullptr;
    QCheckBox *ChkL = nullptr;
    QPushButton *ButtonD = nullptr;
    QPushButton *ButtonA = nullptr;

  protected:
    void ButtonOKClick() override;

  private:
    TNumMngr *makeModel(float min, float max, float step);
    TNumEdit *makeEdit(TNumMngr *model, int left, int top, const QString &format);
    // The five boxes from column c of FCurParam.
    void loadColumn(int c);
    void inputHandlesFollow();
    void outputHandlesFollow();
};

bool execLevelsDialog(sFltObj6 &rec, CFlt4Core &core);
bool makeLevelsLastParam(sFltObj6 &rec);
