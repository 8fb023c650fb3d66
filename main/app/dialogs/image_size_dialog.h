// The canvas size dialog ("画像サイズ"): the new width and height of the canvas, in pixels or in
// percent, inches, centimetres or millimetres, optionally as a change of the current size, and
// the anchor grid that places the current image in the new canvas. The dialog only collects the
// values; the caller resizes the document (the content is not scaled). All arithmetic is the
// model's (image_size_dialog_model.h); the form binds its fields to it.
#pragma once

#include "app/dialogs/image_size_dialog_model.h"
#include "ui/base/graphic_control.h"
#include "ui/forms/base_forms.h"

#include <QImage>

#include <array>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class TNumEdit;
struct SImageSizeValue;

// The 3 x 3 anchor grid: a sunken frame, the chosen cell in the highlight colours, the others
// raised panels. A left click on a cell chooses it; a click in the margin around the cells
// changes nothing. Nothing is reported: the dialog reads Position() on OK.
class TSizePositionControl : public TGraphicControl
{
  public:
    explicit TSizePositionControl(QWidget *parent = nullptr);

    void SetBounds(int left, int top, int width, int height) override;

    TImageSizePosition Position() const { return FPosition; }
    void setPosition(TImageSizePosition position);
    const std::array<sRect, kImageSizePositionCount> &PositionRect() const { return FPositionRect; }
    // What the control shows.
    const QImage &picture() const { return FImage; }

  protected:
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;

  private:
    void Redraw();

    TImageSizePosition FPosition = ispCenterMiddle;
    std::array<sRect, kImageSizePositionCount> FPositionRect{};
    QImage FImage;
};

class TFormImageSize : public TDialogBaseForm
{
  public:
    explicit TFormImageSize(QWidget *owner = nullptr);

    // The current canvas: width x height pixels at dpi.
    void setup(int32_t width, int32_t height, int32_t dpi);
    CImageSizeModel &model() { return FModel; }

    static constexpr int kClientWidth = 384;
    static constexpr int kClientHeight = 336;

    QLabel *StaticSize = nullptr;
    QLabel *LblSize = nullptr;
    QGroupBox *GrpPixel = nullptr;
    QLabel *StaticPixelW = nullptr;
    TNumEdit *EdtPixelW = nullptr;
    QLabel *StaticPixelH = nullptr;
    TNumEdit *EdtPixelH = nullptr;
    QGroupBox *GrpImage = nullptr;
    QLabel *StaticWidth = nullptr;
    TNumEdit *EdtWidth = nullptr;
    QComboBox *CmbWidth = nullptr;
    QLabel *StaticHeight = nullptr;
    TNumEdit *EdtHeight = nullptr;
    QComboBox *CmbHeight = nullptr;
    QCheckBox *ChkRelation = nullptr;
    QWidget *BoxPosition = nullptr;
    TSizePositionControl *FPosition = nullptr;

  private:
    // Goes before the form's children; its numbers let go of the fields bound to them.
    CImageSizeModel FModel;
};

// Asks for a new canvas size for a width x height canvas at dpi. True only on OK with a width or
// height other than the record's; then the record gets the new size and the chosen anchor.
// Otherwise (Cancel, the same size, a size that cannot be shown or a dialog that cannot be made)
// false, and the record is left as it was, anchor included.
bool showImageSizeDialog(SImageSizeValue &value, int32_t dpi);
