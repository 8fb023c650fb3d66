// The nib shape editor: a square preview of the nib that its owner draws, with handles for the
// largest radius (or an image nib's scale), the minimum radius and the ellipse's flattening and
// rotation, two value labels that open in-place number editors, a toggle for what the preview
// shows and a drop arrow that asks the owner for a nib list.
#pragma once

#include "core/base/geometry.h"
#include "ui/base/graphic_control.h"
#include "ui/graphics/memory_graphic.h"

#include <QPointer>

#include <array>

class TNumMngr;
class TCaptureNumEdit;
class TPopupBaseForm;

enum TAspectRotationPart
{
    arNone,
    arPreview,
    arRadius,
    arShapeScale,
    arMinRadius,
    arAspectRotation,
    arGradient,
    arDrop,
    arAspectLabel,
    arRotationLabel
};

using TPopupFormShowEvent = std::function<void(QObject *sender, int X, int Y)>;

// One drag step of the radius or of an image nib's scale by dx pixels: slower for small values.
float aspectRotationRadiusStep(float r, int dx);
float aspectRotationScaleStep(float s, int dx);
// Whether P hits the handle at H: a square of 4 pixels on every side of its rounded centre.
bool aspectRotationHandleHit(TPointSingle H, QPoint P);
// The dial: the pointer at (px, py) from the centre of a dial of radius R gives the aspect
// (0..99) and the rotation in degrees (0 straight down, clockwise on screen positive, 180
// straight up before the rotation is wrapped); stepped: steps of 5 and 15.
void aspectRotationDial(double px, double py, double R, bool stepped, double &aspect,
                        double &rotation);

class TAspectRotation : public TGraphicControl
{
  public:
    explicit TAspectRotation(QWidget *parent = nullptr);
    ~TAspectRotation() override;

    void SetBounds(int left, int top, int width, int height) override;
    bool hitTest(QPoint pos) const override;
    void MouseEnter() override;
    void MouseLeave() override;

    void SetParams(float ARadius, float AMinRadius, float AAspect, float ARotation, float AFlat,
                   float AAdd, bool AAntiAlias);
    void SetAspectRotation(float AAspect, float ARotation);
    void SetShapeImage(bool AUseShapeImage, sSize AShapeSize, float AShapeScale);

    TMemoryGraphic &Preview() { return FWork; }
    const TMemoryGraphic &image() const { return FImage; }
    float Radius() const { return FRadius; }
    void setRadius(float v);
    float MinRadius() const { return FMinRadius; }
    void setMinRadius(float v);
    float Aspect() const;
    void setAspect(float v);
    float Rotation() const;
    void setRotation(float v);
    float Flat() const { return FFlat; }
    void setFlat(float v);
    float Add() const { return FAdd; }
    void setAdd(float v);
    bool AntiAlias() const { return FAntiAlias; }
    void setAntiAlias(bool v);
    float MaxRadius() const { return FMaxRadius; }
    void setMaxRadius(float v);
    float ShapeScale() const { return FShapeScale; }
    void setShapeScale(float v);
    sSize ShapeSize() const { return FShapeSize; }
    bool Gradient() const { return FGradient; }
    void setGradient(bool v);
    bool SupportDrop() const { return FSupportDrop; }
    void setSupportDrop(bool v);
    bool SupportAspect() const { return FSupportAspect; }
    void setSupportAspect(bool v);
    bool ReadOnly() const { return FReadOnly; }
    void setReadOnly(bool v);
    float DisplayScale() const { return FDisplayScale; }
    void setDisplayScale(float v);
    TColor32 BodyHeavy() const { return FBodyHeavy; }
    void setBodyHeavy(TColor32 v);
    TColor32 BodyLight() const { return FBodyLight; }
    void setBodyLight(TColor32 v);
    TColor32 BorderColor() const { return FBorderColor; }
    void setBorderColor(TColor32 v);
    QString AspectUnit() const { return FAspectUnit; }
    void setAspectUnit(const QString &v);
    QString RotationUnit() const { return FRotationUnit; }
    void setRotationUnit(const QString &v);
    TNumMngr *AspectModel() const { return FAspect; }
    TNumMngr *RotationModel() const { return FRotation; }
    TCaptureNumEdit *Editor() const { return FEdit; }
    TAspectRotationPart DragPart() const { return FDragPart; }
    // Handles: the radius handle, the minimum-radius handle, the flattening/rotation handle.
    TPointSingle handle(int which) const;
    QRect AspectLabelRect() const { return FAspectRect; }
    QRect RotationLabelRect() const { return FRotationRect; }
    QRect DropArrowRect() const { return FDropArrowRect; }

    TAspectRotationPart GetAreaType(QPoint Pos) const;
    void DrawShape();
    void DrawImages();

    // Set by the owner while its popup for this control is showing.
    TPopupBaseForm *FPopupForm = nullptr;
    TNotifyEvent OnChange;
    TNotifyEvent OnDrawPreview;
    TPopupFormShowEvent OnShowPopupForm;

  protected:
    void DoChange();
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

  private:
    void UpdatePoints();
    void NumChange();
    void hoverUpdate(QPoint p);
    void openEditor(TAspectRotationPart part);
    void EditExit();
    TPointSingle centre() const;
    float dialRadius() const;

    TMemoryGraphic FImage;
    TMemoryGraphic FWork;
    QRect FPreviewRect;
    std::array<TPointSingle, 33> FPoints{};
    std::array<TPointSingle, 25> FMinPoints{};
    QRect FDropArrowRect, FGradientRect;
    TGlyphState FDropArrowState = gsNone, FGradientState = gsNone;
    bool FHover = false;
    TAspectRotationPart FDragPart = arNone;
    TAspectRotationPart FHintArea = arNone;
    QPoint FLastPos;
    TColor32 FBodyHeavy, FBodyLight, FBorderColor, FBorderEdge;
    bool FUseShapeImage = false;
    sSize FShapeSize{};
    float FShapeScale = 100;
    float FRadius = 1;
    float FMinRadius = 50;
    float FFlat = 0, FAdd = 0;
    TNumMngr *FAspect = nullptr;
    TNumMngr *FRotation = nullptr;
    bool FAntiAlias = true;
    float FMaxRadius = 500; // the setter's ceiling until the owner sets it
    bool FSupportDrop = false;
    bool FSupportAspect = true;
    bool FGradient = false;
    float FDisplayScale = 1;
    QString FAspectUnit = QStringLiteral("%");
    QString FRotationUnit = QStringLiteral("d");
    QRect FAspectRect, FRotationRect;
    int FAspectUnitWidth = 0, FRotationUnitWidth = 0;
    float FOldValue = 0;
    QPointer<TCaptureNumEdit> FEdit;
    TNumMngr *FEditModel = nullptr;
    bool FReadOnly = false;
};
