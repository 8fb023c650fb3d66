// The lighting dialog's two drawn controls. TLightPreview shows a thumbnail of the area to light,
// lit exactly as the filter lights it, with the light's glyph on top: the light's place, its
// heading and tilt and its cone are dragged there. TLightControl is a side view, a cut through
// the light along its axis, in which the height, tilt and cone are dragged.
#pragma once

#include "core/image/canvas.h"
#include "core/pixel/pixel.h"
#include "document/events/filter_records.h"
#include "ui/base/app_hooks.h"
#include "ui/base/graphic_control.h"
#include "ui/graphics/memory_graphic.h"

class CFlt4Core;

enum TLightPreviewPart : uint8_t
{
    lppNull,
    lppPos,
    lppAngle,
    lppDiffuse,
};

enum TLightControlPart : uint8_t
{
    lcpNull,
    lcpDistance,
    lcpPitch,
    lcpDiffuse,
};

// The light of a preview or side view: what the filter would get.
SFltLight makePreviewLight(int32_t kind, TColor32 colour, float intensity, float range, float posx,
                           float posy, float z, float heading, float pitch, float diffuse);

class TLightPreview : public TGraphicControl
{
  public:
    static constexpr int kThumbMax = 160;
    static constexpr int kGlyphSize = 69;

    explicit TLightPreview(QWidget *parent = nullptr);

    void SetBounds(int left, int top, int width, int height) override;
    // The thumbnail of the core's effect rectangle of the flow image; false when it is empty.
    bool Attach(const CFlt4Core &core);
    // Takes the light (theta and phi in radians), the ambient colour and the lightness; with
    // update, announces the change.
    void SetParams(const SFltLight &light, TColor32 ambient, int32_t lightness, bool update);

    // The part under a control point.
    TLightPreviewPart HitTest(int x, int y) const;

    int32_t Kind() const { return FKind; }
    void setKind(int32_t kind);
    float X() const { return FRelativePos.x; }
    float Y() const { return FRelativePos.y; }
    void setX(float v);
    void setY(float v);
    float Heading() const { return FHeading; }
    void setHeading(float v);
    float Pitch() const { return FPitch; }
    void setPitch(float v);
    float Diffuse() const { return FDiffuse; }
    void setDiffuse(float v);
    void setZ(float v);
    void setSourceColor(TColor32 c);
    void setIntensity(float v);
    void setRange(float v);
    void setAmbientColor(TColor32 c);
    void setLightness(float v);

    QPoint LightPos() const { return FPos; }
    QPoint TargetPos() const { return FTargetPos; }
    QSize TargetSize() const { return FTargetSize; }
    TPointSingle AnglePos() const { return FAnglePos; }
    // The reduced picture, its lit version over the checkerboard, and the whole drawing.
    const TMTC &Source() const { return FSrcTC; }
    const TMemoryGraphic &Work() const { return FWork; }
    const TMemoryGraphic &Image() const { return FImage; }

    TNotifyEvent OnChange;

  protected:
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

  private:
    QPoint centre() const { return {width() / 2, height() / 2}; }
    void placeLight();
    void updateHandles();
    void drawLit();
    void drawGlyph();
    void DrawImages();
    void changed(bool notify);

    int32_t FKind = 0;
    TMemoryGraphic FImage, FPosImage, FWork;
    TMTC FSrcTC;
    QPoint FPos, FTargetPos;
    TPointSingle FRelativePos{};
    QSize FTargetSize{1, 1};
    float FHeading = 0, FPitch = 0, FDiffuse = 3;
    TPointSingle FAnglePos{}, FDiffusePos0{}, FDiffusePos1{};
    float FZ = 50, FIntensity = 100, FRange = 100, FLightness = 0;
    TColor32 FSourceColor{.bgra = 0xFFFFFFFFu}, FAmbientColor{.bgra = 0xFFFFFFFFu};
    TLightPreviewPart FDragPart = lppNull;
};

class TLightControl : public TGraphicControl
{
  public:
    explicit TLightControl(QWidget *parent = nullptr);

    void SetBounds(int left, int top, int width, int height) override;
    // Stores the values (tilt and cone 0 for the point light); nothing happens when none
    // changed, otherwise the change is announced and the pictures renewed.
    void SetParams(float distance, float intensity, float range, float pitch, float diffuse);
    TLightControlPart HitTest(int x, int y) const;

    float Distance() const { return FDistance; }
    void setDistance(float v) { SetParams(v, FIntensity, FRange, FPitch, FDiffuse); }
    float Intensity() const { return FIntensity; }
    void setIntensity(float v) { SetParams(FDistance, v, FRange, FPitch, FDiffuse); }
    float Range() const { return FRange; }
    void setRange(float v) { SetParams(FDistance, FIntensity, v, FPitch, FDiffuse); }
    float Pitch() const { return FPitch; }
    void setPitch(float v) { SetParams(FDistance, FIntensity, FRange, v, FDiffuse); }
    float Diffuse() const { return FDiffuse; }
    void setDiffuse(float v) { SetParams(FDistance, FIntensity, FRange, FPitch, v); }
    int32_t Kind() const { return FKind; }
    void setKind(int32_t kind);

    QPoint DistancePos() const { return FDistancePos; }
    int InnerTop() const { return FInnerTop; }
    int InnerHeight() const { return FInnerHeight; }
    const TMemoryGraphic &Work() const { return FWork; }
    const TMemoryGraphic &Image() const { return FImage; }

    TNotifyEvent OnChange;

  protected:
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

  private:
    void updateHandles();
    void drawLit();
    void drawImage();

    TMemoryGraphic FImage, FWork;
    float FDistance = 0.5f, FIntensity = 1.0f, FRange = 1.0f, FPitch = 0, FDiffuse = 45;
    QPoint FDistancePos;
    TPointSingle FPitchPos{}, FDiffusePos0{}, FDiffusePos1{};
    int FInnerTop = 38, FInnerHeight = 0;
    TLightControlPart FDragPart = lcpNull;
    int32_t FKind = 0;
};
