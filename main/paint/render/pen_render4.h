// The version-4 dab renderer (CPenRender): paints one dab of the version-4 brush engine, for
// documents at paint level 4 and replays of events recorded with it. It samples a nib map
// (CPenShape) at the dab's sub-pixel position and has seven render modes, each with a start
// operation at the stroke's begin and its own dab: normal (airbrush), watercolour, blur, eraser,
// spread, finger tip, and burn or dodge. The one-channel dab (pencil) is the plain dab in every
// mode.
//
// Every pixel goes through the stroke context (gCanvasPutAt, gChannelPutAt); the eraser, blur,
// spread, finger tip and burn/dodge dabs swap its colour put for the length of one dab and put it
// back on every path.
//
// Units: the dab's position, half sizes and opacity factor are 16.16 fixed point; radii passed in
// are pixels (for an image nib its zoom percent); colours are sBGRA values.
#pragma once

#include "core/base/geometry.h"
#include "paint/brush/grade_map.h"
#include "paint/brush/nib_maps.h"
#include "paint/brush/pen_records.h"
#include "paint/stroke/stroke_data.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class CBlockVMTC;
class CDibCore;
class CPenShapeObj;
class CPenTC;
class IPenRenderPaper;
class TChannel;
class TMTC;
class TStroke;

// The current dab.
struct SPenRenderParam
{
    sFXPos pos;       // 16.16 position
    sFXSize sizeR;    // 16.16 half extents, at least 0.1 pixel
    int32_t pres = 0; // 16.16 opacity factor
    sRect rect;       // the dab's pixel rectangle clipped to the target
    sPos ofs;         // top-left of the clipped rectangle inside the unclipped one
    sBGRA color{};
};

// The display name of a render mode: its colour name, or "鉛筆" for the one-channel dab of any
// mode; empty for a value outside the seven modes.
QString penRender4ModeName(ePenRenderMode mode, bool oneChannel);
// The effect captions and hints, eight rows of three: row 0 "effect1".."effect3"; rows 1..3 the
// captions of watercolour, blur and burn/dodge; row 4 empty; rows 5..7 their hints ("short|long").
// Empty outside the table.
QString penRender4EffectCaption(int row, int kind);

class CPenRender
{
  public:
    // A 2048-entry fall-off table, no nib, colours (white, black), a nib of radius 10,
    // anti-aliasing on, the nib maps with area, radius and fall-off on; render records zero; no
    // blur image and no texture. The stroke is not owned (may be null).
    explicit CPenRender(TStroke *strk);
    ~CPenRender();
    CPenRender(const CPenRender &) = delete;
    CPenRender &operator=(const CPenRender &) = delete;

    // Store and return the previous one (neither is owned).
    TStroke *getStroke() const { return Fstroke; }
    TStroke *setStroke(TStroke *strk);
    IPenRenderPaper *setPaper(IPenRenderPaper *paper);

    void getRenderAttr(SPenRenderAttr &attr) const { attr = renderAttr; }
    void getGradeParam(SGradeMapParam &prm) const { prm = mapObj->mapParam; }
    void getPenColor(SPenColor &col) const { col = penColor; }
    void getPenParam(SPenParam &prm) const { prm = penParam; }
    void getPenAttr(SPenAttr &atr) const { atr = penAttr; }
    void getPenShapeData(SPenShapeData &data) const;

    // Store; true when the value differed. A changed fall-off rebuilds the nib map's alphas.
    bool changePenParam(const SPenParam &prm);
    bool changePenAttr(const SPenAttr &prm);
    bool changePenColor(const SPenColor &prm);
    bool changeGradeParam(const SGradeMapParam &prm);
    // All three parts applied; true when any changed.
    bool setPenShapeData(const SPenShapeData &data);
    // An image nib is taken and its map built; any other nib (or null) leaves the renderer with
    // no image nib. With a nib, prm, atr and map take its geometry, anti-aliasing and fall-off.
    // obj is not owned and must outlive its use here.
    void setPenShapeObj(CPenShapeObj *obj, bool map, bool prm, bool atr);
    // ren 255 and shp 255 keep their field, sub below 0 keeps the sub mode, rentype is always
    // stored; true when any stored field changed.
    bool changeMode(uint8_t ren, uint8_t shp, int32_t sub, uint8_t rentype);
    bool changeRenderMode(const SPenRenderAttr &attr);
    // Bits 0, 1, 2 of f store param1, param2, param3; true when a stored parameter differed.
    bool changeRenderParam(const SPenRenderAttr &attr, int32_t f);
    bool changeRenderAttr(const SPenRenderAttr &attr, int32_t f);
    // The stroke's draw and background colours; false (nothing changes) without a stroke.
    bool updatePenColor();
    // The method paints the one-channel buffer.
    bool isEnbRender1() const;

    // The radius the stroke manager works with: an image nib's zoom percent at the stroke start,
    // else the nib radius in pixels; the radius at zero pressure for a dab radius r.
    float getPenRadius() const;
    float getPenMinRadius(float r) const;
    // The dab spacing in pixels for a dab of radius r and a spacing factor spc.
    float calcPenSpacing(float r, float spc) const;
    // The whole pixels a dab of radius r may reach from its centre.
    void calcEffectivePenSize(float r, sSize &sz) const;

    // The stroke's begin at (x, y) of dst: notes an image nib's zoom, then the render mode's
    // start (watercolour pick-up, blur buffer, finger-tip texture, lightness curve).
    void startRender(TMTC &dst, float x, float y, float p);
    // Puts an image nib's zoom back to what it was at the begin.
    void endRender();
    // One colour dab (render) or one-channel dab (render1): locus holds the position and opacity
    // factor, r the radius, col the colour. False when nothing was painted for certain (opacity
    // factor 0, a dab off the target, a nib map that cannot be built).
    bool render(TMTC &tc, const SStrokeData &locus, float r, uint32_t col);
    bool render1(TChannel &ch, const SStrokeData &locus, float r, uint32_t col);
    // A one-channel dab with exact maps (the real-time shape mode, for this call only); a radius
    // in [0.5, 3) is drawn twice, by rows and then by columns. True when either painted.
    bool renderPen1(TChannel &ch, const SStrokeData &locus, float r, uint32_t col);
    // The blur's window half width Round(effect 1 × r / 100) and the layer image it reads (not
    // owned; null paints nothing).
    void setBlurParam(const CBlockVMTC *img, float r);

    // The current dab for half extents (hx, hy) on target: false for p <= 0 (nothing stored) or
    // when the rectangle misses the target.
    bool setRenderParam(const CDibCore &target, const SStrokeData &locus, uint32_t col, float hy,
                        float hx);

    const SPenRenderParam &getRenderParam() const { return renderParam; }
    const SPenRenderAttr &getRenderAttrRef() const { return renderAttr; }
    const SPenColor &getPenColorRef() const { return penColor; }
    const CPenShape &getShapeMap() const { return *shapeMap; }
    int32_t getBlurLen() const { return blurLen; }
    bool usesImageNib() const { return bShapeImg && shapeObj; }

    // Exact maps by rows (true) or columns; the stroke manager sets it per dab.
    bool bShapeDirX = false;

  private:
    bool prepareDab(const CDibCore &target, const SStrokeData &locus, float r, uint32_t col);
    bool prepareShape(float r);
    bool makeShape();
    // The nib's alpha for pixel (i, j) (16.16, 0 .. 255 × 65536), after the anti-alias rule.
    int32_t nibValue(int32_t i, int32_t j) const;
    // The dab's byte alpha for pixel (i, j): the nib value times the opacity factor.
    uint32_t dabAlpha(int32_t i, int32_t j) const;
    void plainDab(TMTC &tc);
    void plainDab(TChannel &ch);
    void waterColorDab(TMTC &tc);
    void blurDab(TMTC &tc);
    void eraseDab(TMTC &tc);
    void spreadDab(TMTC &tc, const SStrokeData &locus, float r);
    void fingerTipDab(TMTC &tc, const SStrokeData &locus, float r);
    void gammaDab(TMTC &tc);
    void textureDab(TMTC &tc, const CPenTC &tex);
    void startWaterColor(const TMTC &dst, float x, float y);
    bool growBlurSums(size_t n);
    uint16_t effect(int kind) const { return penRenderAttrGetEffect(renderAttr, kind); }
    bool protectsTransparency() const;

    TStroke *Fstroke = nullptr;
    IPenRenderPaper *Fpaper = nullptr;
    std::unique_ptr<CGradeMapObj> mapObj;
    CPenShapeObj *shapeObj = nullptr;
    SPenParam penParam{};
    SPenAttr penAttr{};
    SPenColor penColor{};
    std::unique_ptr<CPenShape> shapeMap;
    bool bShapeImg = false;
    int32_t shapeImgR = 0;
    SPenRenderAttr renderAttr{};
    SPenRenderParam renderParam{};
    // Column sums of the blur: blue, green, red and alpha of one column of the window.
    struct SBlurColumn
    {
        uint64_t b = 0, g = 0, r = 0, a = 0;
    };
    std::vector<SBlurColumn> sumAry;
    const CBlockVMTC *refImage = nullptr;
    int32_t blurLen = 0;
};
