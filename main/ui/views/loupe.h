// The tool window's magnifier: the canvas around a point, turned like the document view and
// magnified, inside a sunken frame, with an optional cross that fades toward the centre.
#pragma once

#include "core/image/display_canvas.h"
#include "ui/base/graphic_control.h"

#include <cstdint>

class TMTC;

enum TLoupeBackground : uint8_t
{
    lbNone,        // transparent parts over white
    lbCanvas,      // the canvas's own colour values
    lbTransparent, // transparent parts over a checker board
};

class TLoupeControl : public TGraphicControl
{
  public:
    explicit TLoupeControl(QWidget *parent = nullptr);
    ~TLoupeControl() override;

    void SetBounds(int left, int top, int width, int height) override;

    // Source pixels per screen pixel.
    float Magnification() const { return FMagnification; }
    void SetMagnification(float Value);
    bool Grid() const { return FGrid; }
    void SetGrid(bool Value);
    TLoupeBackground Background() const { return FBackground; }
    void SetBackground(TLoupeBackground Value) { FBackground = Value; }
    void SetBGStatus(bool visCanvasColor, bool visCheckerboard);

    // The canvas around (X, Y), turned by ARot radians, at Magnification.
    void DrawImages(const TMTC &ATC, int32_t X, int32_t Y, float ARot);
    // The empty loupe.
    void ClearImage();
    void DrawCrosshair();

    const TTC &Image() const { return FImage; }

  protected:
    void Paint(QPainter &painter) override;

  private:
    TTC FImage;
    float FMagnification = 1.0f;
    bool FGrid = true;
    TLoupeBackground FBackground = lbNone;
};
