// The layer dialogs of the document window's layer commands: a new layer's name, mode, opacity and
// colour ("新規レイヤ"), the angle of a layer rotation ("回転"), and a layer's or a selection
// mask's properties ("レイヤのプロパティ", "マスクのプロパティ") with a thumbnail of where the
// canvas lies. The arithmetic is in layer_dialogs_model.h; the forms bind the fields to it. Each
// runner builds its form, shows it through doShowModal, writes the caller's record only on OK and
// frees the form on every path.
#pragma once

#include "app/dialogs/layer_dialogs_model.h"
#include "ui/forms/base_forms.h"
#include "ui/graphics/memory_graphic.h"
#include "windows/presets/value_dialogs.h"
#include "windows/shell_host.h"

class CBlockVCH;
class CBlockVMTC;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class TGraphicTrackbar;
class TNumEdit;
class TNumMngr;
class TPaintBox;
struct SLayerParam;

// The 22 blend-mode names, in blend-mode order, into list (emptied first).
void fillBlendModeList(QComboBox &list);

// The blend-mode list and the opacity row (a track bar and a 0..100 edit kept in step) that the
// new layer and the layer property forms share.
class CModeOpacityRows
{
  public:
    QLabel *StaticDrawMode = nullptr;
    QComboBox *CmbDrawMode = nullptr;
    QLabel *StaticOpaque = nullptr;
    TPaintBox *BoxOpaque = nullptr;
    TGraphicTrackbar *TrackOpaque = nullptr;
    TNumMngr *NumOpaque = nullptr;
    TNumEdit *EdtOpaque = nullptr;
    QLabel *StaticOpaqueUnit = nullptr;

  protected:
    // The list at y, the opacity row at y + 32: captions at labelX, fields from fieldX, the list
    // listWidth wide, the track bar trackWidth wide and then the edit and its "%". The opacity
    // model belongs to owner.
    void createModeOpacityRows(QWidget *parent, QObject *owner, int labelX, int fieldX, int y,
                               int listWidth, int trackWidth);
};

class TFormNewLayer : public TDialogBaseForm, public CModeOpacityRows
{
  public:
    explicit TFormNewLayer(QWidget *owner = nullptr);

    QLabel *StaticLayerName = nullptr;
    QLineEdit *EdtLayerName = nullptr;
    QLabel *StaticColor = nullptr;
    QComboBox *CmbColor = nullptr;
    QCheckBox *ChkTransparent = nullptr;

    // The record the form's fields give: name, mode, opacity and colour.
    TNewLayerValue value() const;

  private:
    // A mode with a neutral colour marks that colour's item and selects it; others select white.
    void CmbDrawModeChange();
    void restoreColorNames();

    const SLayerParam *FLayerParam = nullptr; // the mode row the colour list shows
};

// The one-value dialog as an angle: -999..999 typed, wrapping into -180..180, on a dial.
class TFormRotation : public TFormValue
{
  public:
    explicit TFormRotation(QWidget *owner = nullptr);
};

// The layer property form; setUpMask turns it into the mask property form.
class TFormLayerOption : public TDialogBaseForm, public CModeOpacityRows
{
  public:
    explicit TFormLayerOption(QWidget *owner = nullptr);

    // Fills the fields from value for a layer image and a canvas, and draws the preview; false,
    // when the preview cannot be drawn (the form is then not to be shown).
    bool setUpLayer(const TLayerOptionValue &value, const CBlockVMTC &image, sSize canvas);
    // The same for a mask, whose image may be absent: its position fields are then disabled, and
    // the mode, opacity and dither controls are hidden in any case.
    bool setUpMask(const TMaskOptionValue &value, const CBlockVCH *image, sSize canvas);
    // What OK hands back: positions rounded half away from zero, percents as bytes.
    void getLayerValue(TLayerOptionValue &value) const;
    void getMaskValue(TMaskOptionValue &value) const;
    const TMemoryGraphic &previewImage() const { return FImage; }

    QGroupBox *GrpPosition = nullptr;
    TPaintBox *BoxPreview = nullptr;
    QLabel *StaticX = nullptr, *StaticXUnit = nullptr;
    TNumMngr *NumX = nullptr;
    TNumEdit *EdtX = nullptr;
    QLabel *StaticY = nullptr, *StaticYUnit = nullptr;
    TNumMngr *NumY = nullptr;
    TNumEdit *EdtY = nullptr;
    QLabel *StaticWidth = nullptr, *LblWidth = nullptr, *StaticWidthUnit = nullptr;
    QLabel *StaticHeight = nullptr, *LblHeight = nullptr, *StaticHeightUnit = nullptr;
    QCheckBox *ChkCrop = nullptr;
    QGroupBox *BoxGeneral = nullptr;
    QLabel *StaticName = nullptr;
    QLineEdit *EdtName = nullptr;
    QCheckBox *ChkDither = nullptr;
    QGroupBox *GrpDither = nullptr;
    QLabel *StaticDither = nullptr;
    TPaintBox *BoxDither = nullptr;
    TGraphicTrackbar *TrackDither = nullptr;
    TNumMngr *NumDither = nullptr;
    TNumEdit *EdtDither = nullptr;
    QLabel *StaticDitherUnit = nullptr;

    static constexpr int kClientWidth = 384;
    static constexpr int kClientHeight = 346;
    static constexpr int kMaskClientHeight = 230;

  private:
    void createPositionBox();
    void createGeneralBox();
    // Ranges, values and size labels of an image's position; the crop box by the canvas.
    void setUpPosition(sPos pos, sSize image, sSize canvas);
    void ChkDitherClick();

    TMemoryGraphic FImage;
};

// The runners the main window forwards to.
bool showNewLayerDialog(TNewLayerValue &value);
// Opens at 0 whatever angle is given; on OK angle becomes the typed degrees.
bool showRotationDialog(float &angle);
bool showLayerOptionDialog(TLayerOptionValue &value, const CBlockVMTC &image, sSize canvasSize);
bool showMaskOptionDialog(TMaskOptionValue &value, const CBlockVCH *image, sSize canvasSize);
