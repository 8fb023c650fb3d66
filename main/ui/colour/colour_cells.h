// Colour cells: TPickerColorCell, the colour button of dialogs (its colour, optionally above the
// colour it started with; a click opens the colour picker dialog), and TTwinColorCell, the
// foreground and background pair with its exchange arrow. Both hold their colour, the select
// colour, in a TColorManager.
#pragma once

#include "ui/base/graphic_control.h"
#include "ui/colour/colour_model.h"
#include "ui/graphics/memory_graphic.h"

#include <functional>

// (Sender, Button, Shift, X, Y): a press on the control, after its own handling.
using TMouseEvent = std::function<void(QObject *Sender, Qt::MouseButton Button,
                                       Qt::KeyboardModifiers Shift, int X, int Y)>;

// What a cell runs to let the user choose a colour; executeColorPickerDialog unless another
// runner is installed (tests). Returns the previous runner.
using TColorDialogRunner = std::function<bool(TColorPickerValue &Value)>;
TColorDialogRunner installColorDialogRunner(TColorDialogRunner runner);
bool runColorDialog(TColorPickerValue &Value);

class TCustomColorCell : public TGraphicControl
{
  public:
    explicit TCustomColorCell(QWidget *parent = nullptr);
    ~TCustomColorCell() override;

    void SetBounds(int left, int top, int width, int height) override;
    // Redraws the picture; true when the cell has a parent (the base draws nothing).
    virtual bool RebuildImage();
    virtual TColorPickerValue SelectColor() const;
    // A different value is stored, announced and shown.
    virtual void setSelectColor(const TColorPickerValue &Value);

    TNotifyEvent OnChange;
    TMouseEvent OnMouseDown;

  protected:
    void Change();
    void PaintNow();
    void DoMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

    TColorManager *FSelectColor; // a child of the cell
};

enum TPickerColorCellPart : uint8_t
{
    pccNonClient,
    pccSelectColor,
    pccInitialColor,
};

class TPickerColorCell : public TCustomColorCell
{
  public:
    explicit TPickerColorCell(QWidget *parent = nullptr);

    void SetEnabled(bool value) override;
    bool RebuildImage() override;
    virtual TColorPickerValue InitialColor() const;
    virtual void setInitialColor(const TColorPickerValue &Value);
    bool CallPickerDialog() const { return FCallPickerDialog; }
    void setCallPickerDialog(bool on) { FCallPickerDialog = on; }
    bool DrawInitialColor() const { return FDrawInitialColor; }
    void setDrawInitialColor(bool on);
    TPickerColorCellPart GetPartFromPoint(QPoint Pos) const;
    const TMemoryGraphic &Image() const { return FImage; }

  protected:
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;

  private:
    bool FCallPickerDialog = true;
    bool FDrawInitialColor = false;
    TColorManager *FInitialColor;
    TMemoryGraphic FImage;
};

enum TTwinColorCellPart : uint8_t
{
    tccNonClient,
    tccForegroundColor,
    tccBackgroundColor,
    tccExchangeColor,
};

class TTwinColorCell : public TCustomColorCell
{
  public:
    explicit TTwinColorCell(QWidget *parent = nullptr);

    bool RebuildImage() override;
    // The active part's colour (the foreground unless the background is active).
    TColorPickerValue SelectColor() const override;
    void setSelectColor(const TColorPickerValue &Value) override;
    TColorPickerValue ForegroundColor() const { return TCustomColorCell::SelectColor(); }
    void setForegroundColor(const TColorPickerValue &Value)
    {
        TCustomColorCell::setSelectColor(Value);
    }
    TColorPickerValue BackgroundColor() const { return FBackgroundColor->Colors(); }
    void setBackgroundColor(const TColorPickerValue &Value);
    bool Activate() const { return FActivate; }
    void setActivate(bool Value);
    TTwinColorCellPart ActivePart() const { return FActivePart; }
    void setActivePart(TTwinColorCellPart Value);

    // The active part's colour := (A1, A2, A3) of ASpace's family; always announced.
    void SetSelectColors(float A1, float A2, float A3, TColorPickerSpace ASpace);
    void ExchangeColors();
    TTwinColorCellPart GetPartFromPoint(QPoint Pos) const;
    const TMemoryGraphic &Image() const { return FImage; }

    TNotifyEvent OnActivePartChange;

  protected:
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;

  private:
    TColorManager *activeManager() const;
    void drawSquare(const sRect &r, bool active, TColor32 colour);

    TColorManager *FBackgroundColor;
    TMemoryGraphic FImage;
    bool FActivate = true;
    TTwinColorCellPart FActivePart = tccForegroundColor;
};
