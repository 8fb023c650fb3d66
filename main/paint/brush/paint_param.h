// One brush described in floating-point user units, whatever engine generation it belongs to:
// what the brush editors edit and what the event recorder stores for the version-5 engine. It
// converts to and from every older representation: the legacy pen slot, a method preset with its
// own nib, a nib preset and the renderer records.
//
// Units: Radius in pixels; Density, Space, MinRadius, Aspect, Flat, Add as fractions (1 = 100 %);
// Rotation in degrees; effects 0..100; PrsGamma the exponent of the pressure curve.
#pragma once

#include "core/base/geometry.h"
#include "paint/brush/paint_modes.h"
#include "paint/brush/pen_records.h"
#include "paint/brush/shape_image_param.h"

#include <QString>

#include <memory>
#include <vector>

class TChannel;
class TMTC;
class CPenShapeObj;
class CPenMethodObj;
class TStroke;

// The per-mode defaults of a brush (one row per TPaintMode).
struct TPaintParamR
{
    QString ItemName;
    bool UserIcon = false;
    const TMTC *IconImage = nullptr;
    float Density = 1.0f;
    float Space = 0.1f;
    float Effect1 = 0, Effect2 = 0, Effect3 = 0;
    float PrsGamma = 1.0f;
    bool PrsDensity = false, PrsRadius = false, UseGradient = false, UseTone = false;
    TInterpolateType InterpolateType = TInterpolateType::itLinear;
    int32_t SmoothLevel = 0;
    float Radius = 1.0f;
    float MinRadius = 0;
    float WholeDrawRadius = 0;
    float HiDensityRadius = 0;
    float Aspect = 1.0f;
    float Rotation = 0;
    TPaintAirMap AirMap = TPaintAirMap::pamLinear;
    float Flat = 0, Add = 0;
    bool UseShapeImage = false;
    const uint8_t *ShapeImage = nullptr;
    sSize ShapeImageSize;
    float ShapeImageScale = 1.0f;
    bool SmoothEdge = false;
    bool Digitize = false;
};

// The defaults of a mode (the row of an invalid mode is that of pmPencil1).
TPaintParamR getPaintParamDefaults(TPaintMode mode);

class TPaintParam
{
  public:
    // The mode's defaults; no nib preset (FShapeId -1).
    explicit TPaintParam(TPaintMode mode);
    // A copy, nib preset id included.
    TPaintParam(const TPaintParam &src);
    // From a legacy pen slot of the given mode; result as Read.
    TPaintParam(const SPenParamQZ2 &param, TPaintMode mode, bool &result);
    // From the brush settings of a stroke of the older engines; result as Read. The nib preset
    // id stays 0.
    TPaintParam(const TStroke &stroke, bool &result);
    // From a method preset. False when its mode cannot be found; the object then holds no
    // defaults (every value zero).
    TPaintParam(const CPenMethodObj *method, bool &result);
    ~TPaintParam();
    TPaintParam &operator=(const TPaintParam &) = delete;

    // Mode, level, supported settings and every value back to the mode's defaults; the icon and
    // the nib image are dropped and the name becomes the mode's default name. FShapeId is kept.
    void SetDefaultParam(TPaintMode mode);

    // Take the settings from another representation; True on success.
    bool Read(const TPaintParam &src);
    bool Read(const CPenMethodObj *method);
    // A replayed brush: the curve of gradeMap (the parameters of the renderer's grade object),
    // the nib, the render attributes and the stroke parameters. False when gradeMap or shape is
    // nil or the render attributes name no mode.
    bool Read(const SGradeMapParam *gradeMap, const CPenShapeObj *shape, const SPenRenderAttr &attr,
              const SStrokeParam &param);
    // The nib's settings only; nothing else changes. False for nil.
    bool Read(const CPenShapeObj *shape);
    // A legacy pen slot of the current mode.
    bool Read(const SPenParamQZ2 &param);
    // A stroke's brush: the mode from its draw mode (an unknown draw mode keeps the current
    // mode), that mode's defaults, then opacity, effects, gamma, the three pressure switches,
    // width, minimum (a percentage there) and spacing. Air map, tone and gradation are not read.
    bool Read(const TStroke &stroke);

    // Put the settings into another representation.
    bool Write(SStrokeParam &param) const;
    // False (record cleared) for the older modes.
    bool Write(SPenRenderAttr &attr) const;
    // Nib, render attributes and stroke parameters all checked before the method changes.
    bool Write(CPenMethodObj *method) const;
    bool Write(SPenParam &param) const;
    // False when the curve is pamFlat or pamNo (the record still gets the fallback curve).
    bool Write(SGradeMapParam &map) const;
    bool Write(SPenAttr &attr) const;
    // False for nil, or when the curve cannot be written (pamFlat, pamNo) or the image channel
    // cannot be made; the nib is left untouched then.
    bool Write(CPenShapeObj *shape) const;
    bool Write(SPenParamQZ2 &param) const;
    // The stroke's draw mode from the mode, then each setting through the stroke's setters; the
    // air map (a valid one) where the mode has one, else the soft-edge switch once more; the
    // gradation and screentone switches where the stroke's draw mode supports them. True.
    bool Write(TStroke &stroke) const;

    // The nib as the previews see it; the image pointer is borrowed from this object.
    TShapeImageParam GetShapeImageParam() const;
    // Drops the held icon; with a canvas keeps a copy of it.
    void SetIconImage(const TMTC *image);
    // Drops the image; with a channel the image becomes its inverted byte copy.
    void SetShapeImage(const TChannel *image);
    // The same from raw bytes (size.x × size.y, rows top first), copied as they are.
    void SetShapeImage(const uint8_t *image, const sSize &size);

    // Captions of the effects of the brush's own mode; the hint is "%s|%sの変更" filled with the
    // long name twice (short hint, long hint).
    QString GetEffectName(int kind) const;
    QString GetEffectHint(int kind) const;

    // Properties. Every setter stores only when the value differs; none clamps.
    TPaintMode Mode() const { return FMode; }
    TPaintLevel PaintLevel() const { return FPaintLevel; }
    TPaintParamTypes SupportParams() const { return FSupportParams; }
    TPaintAirMapType SupportAirMaps() const { return FSupportAirMaps; }
    bool supports(TPaintParamType t) const { return FSupportParams.contains(t); }

    const QString &ItemName() const { return FItemName; }
    void setItemName(const QString &v) { FItemName = v; }
    bool UserIcon() const { return FUserIcon; }
    // The user icon when one is held, else the built-in icon of the mode (may be nil).
    const TMTC *IconImage() const;
    float Density() const { return FDensity; }
    void setDensity(float v) { FDensity = v; }
    float Space() const { return FSpace; }
    void setSpace(float v) { FSpace = v; }
    float Effect1() const { return FEffect1; }
    void setEffect1(float v) { FEffect1 = v; }
    float Effect2() const { return FEffect2; }
    void setEffect2(float v) { FEffect2 = v; }
    float Effect3() const { return FEffect3; }
    void setEffect3(float v) { FEffect3 = v; }
    float PrsGamma() const { return FPrsGamma; }
    void setPrsGamma(float v) { FPrsGamma = v; }
    bool PrsDensity() const { return FPrsDensity; }
    void setPrsDensity(bool v) { FPrsDensity = v; }
    bool PrsRadius() const { return FPrsRadius; }
    void setPrsRadius(bool v) { FPrsRadius = v; }
    bool UseGradient() const { return FUseGradient; }
    void setUseGradient(bool v) { FUseGradient = v; }
    bool UseTone() const { return FUseTone; }
    void setUseTone(bool v) { FUseTone = v; }
    TInterpolateType InterpolateType() const { return FInterpolateType; }
    void setInterpolateType(TInterpolateType v) { FInterpolateType = v; }
    int32_t SmoothLevel() const { return FSmoothLevel; }
    void setSmoothLevel(int32_t v) { FSmoothLevel = v; }
    // 0 while the nib is an image.
    float Radius() const { return FUseShapeImage ? 0.0f : FRadius; }
    void setRadius(float v) { FRadius = v; }
    float MinRadius() const { return FMinRadius; }
    void setMinRadius(float v) { FMinRadius = v; }
    float WholeDrawRadius() const { return FWholeDrawRadius; }
    void setWholeDrawRadius(float v) { FWholeDrawRadius = v; }
    float HiDensityRadius() const { return FHiDensityRadius; }
    void setHiDensityRadius(float v) { FHiDensityRadius = v; }
    float Aspect() const { return FAspect; }
    void setAspect(float v) { FAspect = v; }
    float Rotation() const { return FRotation; }
    void setRotation(float v) { FRotation = v; }
    TPaintAirMap AirMap() const { return FAirMap; }
    void setAirMap(TPaintAirMap v) { FAirMap = v; }
    float Flat() const { return FFlat; }
    void setFlat(float v) { FFlat = v; }
    float Add() const { return FAdd; }
    void setAdd(float v) { FAdd = v; }
    bool UseShapeImage() const { return FUseShapeImage; }
    const uint8_t *ShapeImage() const { return FShapeImage.empty() ? nullptr : FShapeImage.data(); }
    sSize ShapeImageSize() const { return FShapeImageSize; }
    float ShapeImageScale() const { return FShapeImageScale; }
    void setShapeImageScale(float v) { FShapeImageScale = v; }
    bool SmoothEdge() const { return FSmoothEdge; }
    void setSmoothEdge(bool v) { FSmoothEdge = v; }
    bool Digitize() const { return FDigitize; }
    void setDigitize(bool v) { FDigitize = v; }
    int32_t ShapeId() const { return FShapeId; }

    // Sizes: RealRadius is Radius, or for an image nib the scale × longer side × 0.5; the limits
    // are 0.1 .. 500 pixels (an image nib: its scale range × longer side × 0.5); the scale limits
    // 0.01 .. 5 (an image nib: its scale range).
    float RealRadius() const;
    float RealRadiusMin() const;
    float RealRadiusMax() const;
    float ScaleMin() const;
    float ScaleMax() const;

  private:
    void clearAll();
    void copyIcon(const TPaintParam &src);

    TPaintMode FMode{};
    TPaintLevel FPaintLevel{};
    TPaintParamTypes FSupportParams;
    TPaintAirMapType FSupportAirMaps{};
    QString FItemName;
    bool FUserIcon = false;
    std::unique_ptr<TMTC> FIconImage;
    float FDensity = 0;
    float FSpace = 0;
    float FEffect1 = 0, FEffect2 = 0, FEffect3 = 0;
    float FPrsGamma = 0;
    bool FPrsDensity = false;
    bool FPrsRadius = false;
    bool FUseGradient = false;
    bool FUseTone = false;
    TInterpolateType FInterpolateType{};
    int32_t FSmoothLevel = 0;
    float FRadius = 0;
    float FMinRadius = 0;
    float FWholeDrawRadius = 0;
    float FHiDensityRadius = 0;
    float FAspect = 0;
    float FRotation = 0;
    TPaintAirMap FAirMap{};
    float FFlat = 0;
    float FAdd = 0;
    bool FUseShapeImage = false;
    std::vector<uint8_t> FShapeImage;
    sSize FShapeImageSize;
    float FShapeImageScale = 0;
    bool FSmoothEdge = false;
    bool FDigitize = false;
    int32_t FShapeId = 0;
};
