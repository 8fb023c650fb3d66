// Brush presets of the version-4 and version-5 engines: a nib (CPenShapeObj: fall-off curve,
// size, flatness, angle, minimum size, anti-aliasing, or a grey image used as the tip) and a
// method (CPenMethodObj: render mode and parameters, options, stroke parameters, an optional nib
// of its own and an icon). Ids name nibs and methods in the event stream; each new object takes
// the next value of a process-wide counter of its class.
#pragma once

#include "core/base/geometry.h"
#include "paint/brush/pen_records.h"

#include <QString>

#include <cstdint>
#include <memory>

class TChannel;
class TMTC;

enum class ePenShapeType : uint8_t
{
    pstStd = 0,   // described by parameters
    pstImage = 1, // the tip is a grey image
};

class CPenShapeObj
{
  public:
    // Not enabled, a new id, pstStd, default curve, radius 10, anti-aliasing on, no image.
    CPenShapeObj();
    CPenShapeObj(const SGradeMapParam *map, const SPenParam *prm, const SPenAttr *atr);
    explicit CPenShapeObj(const SPenShapeData &data);
    ~CPenShapeObj();
    CPenShapeObj(const CPenShapeObj &) = delete;
    CPenShapeObj &operator=(const CPenShapeObj &) = delete;

    // Enables the nib as pstStd and stores the parts given (nil parts are left). True.
    bool setData(const SGradeMapParam *map, const SPenParam *prm, const SPenAttr *atr);
    bool setData(const SPenShapeData &data);
    // Stores whichever part is not nil; enable and type unchanged.
    void setDataOnly(const SGradeMapParam *map, const SPenParam *prm, const SPenAttr *atr);
    // False when not enabled.
    bool getData(SPenShapeData &data) const;
    // False when obj is not enabled or of an unknown type; an image source's image is copied.
    bool copy(const CPenShapeObj &obj);

    // New id from the counter, or the given id; both return the old one.
    int32_t setNewID();
    int32_t setID(int32_t id);
    int32_t id() const { return Fid; }

    const QString &name() const { return Fname; }
    void setName(const QString &name) { Fname = name; }

    // pstImage with a non-empty image.
    bool hasImage() const;
    bool hasZoom() const { return hasImage(); }
    // True when the curve type changed.
    bool setGradeMapType(eGradeMap t);
    // Radius in pixels; True when the stored value changed.
    bool setRadiusSingle(float v);
    float getRadiusSingle() const;
    int32_t getRadiusIntX100() const;
    float getRadiusMinSingle() const;
    // The radius in pixels; for an image nib zoomRate / 100 × longer image side / 2.
    float RealRadius() const;
    bool isAntiOff() const;
    // True when the switch changed.
    bool setAntiOff(bool sw);

    // Drops the image and makes the nib pstStd with the default SPenParam.
    void clearImage();
    // Attaches a copy of the channel; True when the copy was made and attached.
    bool setImage(const TChannel &src, bool ini);
    // Attaches a channel holding the grey value of every pixel of the canvas.
    bool setImage(const TMTC &tc);
    // Takes the channel as the tip image (owned from now on): pstImage, zoom range
    // max(1, 400 div shorter side) .. min(500, 51200 div longer side), zoom 100 clamped into it,
    // the radius := zoom (with ini the whole SPenParam is initialised), then a new id. An empty
    // or missing channel is refused (False) and freed.
    bool attachImage(std::unique_ptr<TChannel> ch, bool ini);
    // For an image nib, when v differs and lies in the zoom range: zoomRate := v, radius := v ×
    // 100. True when changed.
    bool changeZoom(int32_t v);
    float getImageScale() const { return float(zoomRate) / 100.0f; }

    bool enable = false;
    ePenShapeType shapeType = ePenShapeType::pstStd;
    int32_t Fid = 0;
    SGradeMapParam gradMap;
    SPenParam penParam;
    SPenAttr penAttr;
    QString Fname;
    sRange zoomRng{100, 100}; // percent
    int32_t zoomRate = 100;   // percent
    std::unique_ptr<TChannel> shapeCH;
    int32_t imageRadius = 0; // longer side of the tip image in pixels

  private:
    void reset();
    void releaseImage();
};

class CPenMethodObj
{
  public:
    // Not enabled, a new id, cleared render attributes, options off, default stroke parameters,
    // no nib, no icons.
    CPenMethodObj();
    CPenMethodObj(const SPenRenderAttr *ratr, const SPenRenderOpt *ropt, const SStrokeParam *sprm);
    explicit CPenMethodObj(const SPenMethodData &data);
    explicit CPenMethodObj(const CPenMethodObj &src);
    ~CPenMethodObj();
    CPenMethodObj &operator=(const CPenMethodObj &) = delete;

    // Without render attributes: not enabled, False. Otherwise enabled, the attributes stored,
    // and the options and stroke parameters when given; True.
    bool setData(const SPenRenderAttr *ratr, const SPenRenderOpt *ropt, const SStrokeParam *sprm);
    bool setData(const SPenMethodData &data);
    // False when not enabled.
    bool getData(SPenMethodData &data) const;
    // False when obj is not enabled; else its name, icon, data and nib.
    bool copy(const CPenMethodObj &obj);

    int32_t setNewID();
    int32_t setID(int32_t id);
    int32_t id() const { return Fid; }

    // A nib that is enabled.
    bool hasShape() const;
    bool getShape(SPenShapeData &shp) const;
    // Frees the present nib and owns obj from now on. True.
    bool attachShape(std::unique_ptr<CPenShapeObj> obj);
    // Make a nib when there is none, then copy into it.
    bool setShape(const CPenShapeObj &obj);
    bool setShape(const SPenShapeData &shp);

    // Both icons are non-empty images.
    bool hasIcon() const;
    // Frees both icons; nil or empty leaves none (True). Otherwise the full-size icon is a copy of
    // tc, scaled to fit 128 × 128 keeping its aspect when larger, and the small icon the full one
    // scaled to fit 32 × 32. Result: the small icon exists.
    bool setIcon(const TMTC *tc);

    bool enable = false;
    int32_t Fid = 0;
    QString methodName;
    SPenMethodData methodData;
    std::unique_ptr<CPenShapeObj> shapeObj;
    std::unique_ptr<TMTC> orgIconTC; // at most 128 × 128
    std::unique_ptr<TMTC> curIconTC; // 32 × 32

  private:
    void reset();
};

// The paint mode of a method, from its render attributes; False when they name no mode.
bool getPenMethodPaintMode(TPaintMode &mode, const CPenMethodObj &method);
// The method kind of a method; 255 when its mode cannot be found.
TPenMethodType getPenMethodType(const CPenMethodObj &method);
