// The JPEG options dialog ("JPEG 設定"), asked before a document is saved as JPEG: quality by
// level or typed, smoothing, greyscale and progressive. All its state is the model's
// (jpeg_option_dialog_model.h); the form shows it and hands the user's changes to it.
#pragma once

#include "app/dialogs/jpeg_option_dialog_model.h"
#include "ui/forms/base_forms.h"

class QCheckBox;
class QComboBox;
class QLabel;
class TGraphicTrackbar;
class TNumEdit;

class TFormJpegOption : public TDialogBaseForm
{
  public:
    // Opens on the profile's settings; OK writes them back into it.
    explicit TFormJpegOption(CAppProfile &profile, QWidget *owner = nullptr);

    CJpegOptionModel &model() { return FModel; }

    static constexpr int kClientWidth = 344;
    static constexpr int kClientHeight = 160;

    QLabel *LabelQ = nullptr;
    QComboBox *CmbC = nullptr;
    TNumEdit *EditQ = nullptr;
    TGraphicTrackbar *TrackQ = nullptr;
    QLabel *LabelS = nullptr;
    TNumEdit *EditS = nullptr;
    TGraphicTrackbar *TrackS = nullptr;
    QCheckBox *ChkG = nullptr;
    QCheckBox *ChkP = nullptr;

  protected:
    void ButtonOKClick() override;

  private:
    // Shows the list, sliders and switches from the model; what that raises is not the user's.
    void showModel();

    // Goes before the form's children; its numbers let go of the fields bound to them.
    CJpegOptionModel FModel;
    bool m_showing = false;
};

// Asks for the JPEG settings, starting from the profile's. On OK the settings shown (greyscale
// included) go into value and the profile keeps them (greyscale excepted): true. Cancel, no
// profile or a dialog that cannot be made: false, value and profile untouched.
bool showJpegOptionDialog(TJpegSaveOption &value);
