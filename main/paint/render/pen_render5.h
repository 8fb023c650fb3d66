// The version-5 dab renderer. The stroke manager places dabs along the smoothed stroke and calls
// the renderer once per dab with its position, opacity factor, radius and colour; the renderer
// works out the dab's footprint from the nib (radius, flatness, angle, or an image nib), prepares
// the dab's render parameters, lets the render mode adjust colour and opacity (normal,
// watercolour, eraser) and hands the pixels to the rasterisers (paint/render/dab_raster5.h), which put
// every pixel through the stroke context (paint/render/stroke_context.h).
//
// Two targets: the colour flow image (render4chPen, a TMTC) and the one-channel alpha buffer
// (render1chPen, a TChannel) chosen by the method's render type.
#pragma once

#include "core/base/geometry.h"
#include "paint/render/dab_raster5.h"
#include "paint/brush/grade_map.h"
#include "paint/brush/nib_maps.h"
#include "paint/brush/pen_records.h"
#include "paint/render/pen_render_host.h"
#include "paint/stroke/stroke_data.h"

#include <cstdint>
#include <memory>

class CDibCore;
class CPenShapeObj;
class TChannel;
class TMTC;

// The render parameters of the current dab.
struct SPenRenderParam5
{
    sFPos pos;   // dab position, image pixels
    sFSize size; // half extents of the footprint, at least 0.1 each
    float pres = 0;
    sRect rect; // the footprint's pixel rectangle clipped to the target
    sPos ofs;   // how far the clipped rectangle's top-left lies inside the unclipped one
    sBGRA color{};
};

// The footprint of a standard nib for a dab of radius r pixels: flat percent flatRate div 10,
// angle degree div 10 in whole degrees folded into −179..180. Trigonometry in extended
// precision, every named value stored as a Single.
SDabFootprint5 calcFootprint5(const SPenParam &prm, float r);
// The half extents a footprint covers: by rows (A + |s|·B, B), by columns (A, B + |s|·A).
sFSize footprintHalfExtents(const SDabFootprint5 &fp);

class CPenRender5
{
  public:
    // The stroke is not owned (may be null); no paper; a 1024-entry fall-off table; the
    // distance table filled; no image nib, render mode PRMODE_Std, every record zero.
    explicit CPenRender5(IPenRenderStroke *stroke);
    ~CPenRender5();
    CPenRender5(const CPenRender5 &) = delete;
    CPenRender5 &operator=(const CPenRender5 &) = delete;

    // Store and return the previous one (neither is owned).
    IPenRenderPaper *setPaper(IPenRenderPaper *paper);
    IPenRenderStroke *setStroke(IPenRenderStroke *stroke);

    // An image nib is taken (and its rotated map rebuilt); any other nib (or null) leaves the
    // renderer without an image nib. With a nib, prm, atr and map take its geometry,
    // anti-aliasing switch and fall-off. obj is not owned and must outlive its use here.
    void setPenShapeObj(CPenShapeObj *obj, bool map, bool prm, bool atr);
    // Store; true when the value differed.
    bool changePenParam(const SPenParam &prm);
    bool changePenAttr(const SPenAttr &prm);
    bool changeGradeParam(const SGradeMapParam &prm);
    // ren 255 and shp 255 keep their field, sub below 0 keeps the sub mode, rentype is always
    // stored; true when any stored field changed.
    bool changeMode(uint8_t ren, uint8_t shp, int32_t sub, uint8_t rentype);
    bool changeRenderMode(const SPenRenderAttr &attr);
    // Bits 0, 1, 2 of f store param1, param2, param3; true when a stored parameter differed.
    bool changeRenderParam(const SPenRenderAttr &attr, int32_t f);
    bool changeRenderAttr(const SPenRenderAttr &attr, int32_t f);
    // The stroke's draw and background colours; false without a stroke.
    bool updatePenColor();
    // The method paints the one-channel buffer (render1chPen) rather than colour.
    bool isEnbRender1() const;

    // The dab radius the stroke manager works with: the zoom percent of an image nib (as at the
    // stroke start), else the nib radius in pixels; the radius at zero pressure.
    float getRadius() const;
    float getMinRadius() const;
    float getRenderSizeWidth() const { return FRenderParam.size.x; }
    float getRenderSizeHeight() const { return FRenderParam.size.y; }
    // The dab spacing in pixels for a dab of radius r and a spacing factor.
    float calcPenSpace(float r, float space) const;
    // The whole pixels a dab may reach from its centre: the rotated image's half sizes, or the
    // last dab's half extents, rounded up.
    void getRenderingSize(sSize &sz) const;

    // At a stroke start (for documents at the version-5 paint level, or without a document):
    // notes the image nib's zoom and, for watercolour, picks up the colour under (x, y).
    void startRender(TMTC &dst, float x, float y, float p);
    // Puts the image nib's zoom back to what it was at the stroke start.
    void endRender();
    // One dab. locus: position and opacity factor; r the radius in pixels (an image nib's zoom
    // percent); col the colour. False when the dab paints nothing for certain (an image nib dab
    // off the target or of factor 0, a render mode this engine does not paint).
    bool render4chPen(TMTC &tc, const SStrokeData &locus, float r, uint32_t col);
    bool render1chPen(TChannel &ch, const SStrokeData &locus, float r, uint32_t col);

    // The render parameters of a dab with half extents (hx, hy) on target: false for p <= 0
    // (nothing stored) or when the footprint misses the target.
    bool setRenderParam(const CDibCore &target, const SStrokeData &locus, uint32_t col, float hy,
                        float hx);

    const SPenRenderParam5 &renderParam() const { return FRenderParam; }
    const SPenRenderAttr &renderAttr() const { return FRenderAttr; }
    const SPenParam &penParam() const { return FPenParam; }
    const SPenAttr &penAttr() const { return FPenAttr; }
    const SPenColor &penColor() const { return FPenColor; }
    const CGradeMapObj5 &gradeMap() const { return *FMapObj; }
    const CPenBitmapShape5 &bitmapShape() const { return *FBitmapShape; }
    bool usesBitmap() const { return FUseBitmap && FShapeObj; }
    // The chord rasterisers' fast path (on from the start). Off, every standard dab goes through
    // the reference loops, which paint the same pixels more slowly: for comparing the two.
    void setFastChords(bool on) { FFastChords = on; }

  private:
    bool prepareImageDab(const CDibCore &target, const SStrokeData &locus, float r, uint32_t col);
    SDabRaster5 standardDab(const SStrokeData &locus, const SDabFootprint5 &fp) const;
    SImageDab5 imageDab(const SStrokeData &locus) const;
    void renderNormal4ch(TMTC &tc, const SStrokeData &locus, float r, const SDabFootprint5 &fp);
    void renderWaterColor4ch(TMTC &tc, const SStrokeData &locus, float r, const SDabFootprint5 &fp);
    void renderErase4ch(TMTC &tc, const SStrokeData &locus, float r, const SDabFootprint5 &fp);
    void startWaterColor(const TMTC &dst, float x, float y);
    // ((255 − a) × mix + a × pixel) div 255 per channel, a the pixel's alpha scaled by the
    // selection; (x, y) clamped into dst.
    sBGRA pickWaterColor(const TMTC &dst, int32_t x, int32_t y, sBGRA mix) const;
    uint16_t effect(int kind) const { return penRenderAttrGetEffect(FRenderAttr, kind); }

    IPenRenderStroke *FStroke = nullptr;
    IPenRenderPaper *FPaper = nullptr;
    SPenParam FPenParam{};
    SPenAttr FPenAttr{};
    SPenColor FPenColor{};
    std::unique_ptr<CGradeMapObj5> FMapObj;
    CPenShapeObj *FShapeObj = nullptr;
    std::unique_ptr<CPenBitmapShape5> FBitmapShape;
    bool FUseBitmap = false;
    int32_t FBitmapZoom = 0;
    SPenRenderAttr FRenderAttr{};
    SPenRenderParam5 FRenderParam{};
    std::unique_ptr<ADistanceTable> FDistanceTable;
    // The fall-off by distance indexes for the chord rasterisers; follows FMapObj by itself.
    std::unique_ptr<CDabAlphaCache5> FAlphaCache;
    bool FFastChords = true;
};
