// Small windowless controls that show one preset at the size their owner gives them: a nib, a
// swatch colour, a gradient and a screentone or pattern tile. Each keeps its own copy of what it
// shows, so a preview may outlive the preset it was given.
#pragma once

#include "core/image/canvas.h"
#include "paint/brush/shape_image_param.h"
#include "paint/gradient/gradient_stops.h"
#include "ui/base/graphic_control.h"
#include "ui/graphics/memory_graphic.h"

#include <QRect>
#include <QSize>

#include <memory>

class CPat8;
class CToneMaker;

class TPresetPreview : public TGraphicControl
{
  public:
    explicit TPresetPreview(QWidget *parent = nullptr);
    ~TPresetPreview() override;

    void SetBounds(int left, int top, int width, int height) override;

    const TMemoryGraphic &Image() const { return FImage; }
    QRect PreviewRect() const { return FPreviewRect; }
    // How many times the preview has been composed (owners and tests watch redraws).
    int DrawCount() const { return FDrawCount; }

  protected:
    // Draws the preset into FWork; the base clears it to its background.
    virtual void DrawPreview();
    // Composes FImage from the frames and FWork.
    virtual void DrawImages();
    // DrawPreview and DrawImages, each when its graphic has pixels.
    void Redraw();
    void Paint(QPainter &painter) override;

    TMemoryGraphic FImage;
    TMemoryGraphic FWork;
    QRect FPreviewRect;
    bool FUseCheckBoard = false;
    TColor32 FCheckColor1;
    TColor32 FCheckColor2;
    QSize FCheckSize{4, 4};
    int FDrawCount = 0;
};

class TPenNibPreview : public TPresetPreview
{
  public:
    explicit TPenNibPreview(QWidget *parent = nullptr);
    // The nib parameters are copied, the nib image too.
    void SetShapeImageParam(const TShapeImageParam &AShapeImageParam);

  protected:
    void DrawPreview() override;

  private:
    TShapeImageParam FShapeImageParam;
};

class TSwatchPreview : public TPresetPreview
{
  public:
    explicit TSwatchPreview(QWidget *parent = nullptr);
    // Stored opaque.
    void SetColor(TColor32 AColor);
    TColor32 Color() const { return FColor; }

  protected:
    void DrawPreview() override;

  private:
    TColor32 FColor;
};

class TGradientPreview : public TPresetPreview
{
  public:
    explicit TGradientPreview(QWidget *parent = nullptr);
    ~TGradientPreview() override;
    // Shows a copy of the gradient (none for nullptr) with the attribute.
    void SetGradient(const CGradObj *AGradient, const SGradAttr &Attr);

  protected:
    void DrawPreview() override;

  private:
    TMTC FMTC;
    std::unique_ptr<CGradObj> FGradObj;
    SGradAttr FGradAttr;
};

class TTonePreview : public TPresetPreview
{
  public:
    explicit TTonePreview(QWidget *parent = nullptr);
    ~TTonePreview() override;
    // Shows a copy of the tile (none for nullptr).
    void SetTone(const CPat8 *ATone);

  protected:
    void DrawPreview() override;

  private:
    // The grey of every pixel of FMTC; false when the tile gives none (FMTC stays white).
    bool DrawScreenTone();
    bool DrawPattern();

    TMTC FMTC;
    std::unique_ptr<CToneMaker> FToneMaker;
    std::unique_ptr<CPat8> FToneObj;
};
