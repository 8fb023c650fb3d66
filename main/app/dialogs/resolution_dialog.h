// The resolution and scaling dialog: "画像解像度" asks for a new pixel size and resolution of the
// image, which the caller resamples to; in its second mode, "拡大縮小", the new size of the
// active layer, without the resolution row. Sizes in pixels, or in percent, inches, centimetres
// or millimetres; "縦横比を固定(&C)" keeps the proportions. All arithmetic is the model's
// (resolution_dialog_model.h); the form binds its fields to it.
#pragma once

#include "app/dialogs/resolution_dialog_model.h"
#include "ui/forms/base_forms.h"

#include <cstdint>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class TNumEdit;
struct SResolutionValue;

// The modes of the dialog.
enum TResolutionDialogMode : int32_t
{
    rdmResolution = 0,
    rdmScaling = 1,
};

class TFormResolution : public TDialogBaseForm
{
  public:
    explicit TFormResolution(QWidget *owner = nullptr);

    // The current size and resolution.
    void setup(int32_t width, int32_t height, int32_t dpi);
    // Layer scaling: its caption, no resolution row, a client 28 pixels lower.
    void setScalingMode();
    CResolutionModel &model() { return FModel; }

    static constexpr int kClientWidth = 384;
    static constexpr int kClientHeight = 276;
    static constexpr int kResolutionRowHeight = 28;

    QLabel *StaticSize = nullptr;
    QLabel *LblSize = nullptr;
    QGroupBox *GrpPixel = nullptr;
    TNumEdit *EdtPixelW = nullptr;
    TNumEdit *EdtPixelH = nullptr;
    QGroupBox *GrpImage = nullptr;
    TNumEdit *EdtWidth = nullptr;
    QComboBox *CmbWidth = nullptr;
    TNumEdit *EdtHeight = nullptr;
    QComboBox *CmbHeight = nullptr;
    QCheckBox *ChkConstraint = nullptr;
    QLabel *StaticResolution = nullptr;
    TNumEdit *EdtResolution = nullptr;
    QLabel *StaticResolutionUnit = nullptr;

  private:
    // Goes before the form's children; its numbers let go of the fields bound to them.
    CResolutionModel FModel;
};

// Asks for a new size (and, in mode 0, resolution) of a value.Width x value.Height image at
// value.DPI. True when the new width, height or resolution differs from the record's; then all
// three are written. The resolution comes back as given unless the user changed its field.
// Cancel, nothing changed, a size that cannot be shown or a dialog that cannot be made: false,
// the record untouched.
bool showResolutionDialog(SResolutionValue &value, int32_t mode);
