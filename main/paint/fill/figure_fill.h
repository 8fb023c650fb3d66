// The figure fills: a rectangle, an ellipse or a polygon painted with anti-aliased edges into the
// active layer's image, or (alpha mode) into an 8-bit channel such as a selection mask. A figure
// is cut into horizontal spans, one or more per pixel row, each with a vertical coverage for its
// row and fractional coverage at its ends, ramped over several pixels where an edge is shallow.
// Every pixel goes through the stroke context's per-pixel procedures (gCanvasPutAt, gChannelPutAt),
// which the document prepares for the stroke and the active layer before the fill, so that the
// stroke's screentone, gradient, selection and transparency protection apply as for brush strokes.
//
// A filler serves one figure: construct, init... (false: nothing to paint), fill.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"
#include "paint/fill/ellipse_geometry.h"

#include <cstdint>
#include <span>
#include <vector>

class CDibCore;
class CPatObj;
class TStroke;

class CFillMngr
{
  public:
    // Fills stay inside (0, 0) - layerSize, the active layer's image. The stroke gives the
    // opacity (Opaque), the colour (m_drawColor) and the screentone switch; it is not owned.
    CFillMngr(const sSize &layerSize, const TStroke &strk);
    CFillMngr(const sSize &, const TStroke &&) = delete;
    virtual ~CFillMngr() = default;
    CFillMngr(const CFillMngr &) = delete;
    CFillMngr &operator=(const CFillMngr &) = delete;

    // The pixels the last preparation touches (clipped).
    void getUpdateBox(sBox &box) const { box = fillBox; }
    // Stores the screentone pattern and selects the colour span.
    void setPattern(CPatObj *pt);
    // Back to colour mode for the stroke: with a stroke that uses tone, the current pattern of
    // the stroke context's tone manager. (The document prepares the stroke's procedures for the
    // layer again afterwards.)
    void dispatchMode();
    // Alpha mode: fills write cc into an 8-bit channel, weighted by the coverage.
    void setAlphaMode(uint32_t cc);

    // Rectangle of the two points, the larger x and y plus one (so that a point covers its
    // pixel). False, nothing prepared, when it lies outside the layer.
    bool initBoxFill(const sFPos &p0, const sFPos &p1);
    // Paints the prepared rectangle into tc (a 32-bit image, or an 8-bit channel in alpha mode);
    // the number of rows visited, 0 when nothing is prepared or tc is not of the mode's kind.
    int32_t boxFill(CDibCore &tc);

    const TStroke *stroke;
    CPatObj *pat = nullptr; // the screentone of a stroke that uses tone; not owned
    bool initOk = false;
    uint32_t color = 0; // the value written in alpha mode
    sBox clipBox;
    sRect clipRect;
    sFRect clipFRect;
    sBox fillBox; // the pixels the fill touches, clipped
    sFRect fillFRect;
    void (CFillMngr::*fillScanLine)() = &CFillMngr::colorScanLine;
    CDibCore *imageTC = nullptr; // the target of the fill in progress; not owned
    // The current span: its left and right x, its row, the row's vertical coverage (0..1), and
    // the change of its left and right edge per row (which sets the width of the edge ramps).
    float scanFX0 = 0, scanFX1 = 0;
    int32_t scanIY = 0;
    float scanFA = 0;
    float scanDY0 = 0.01f, scanDY1 = 0.01f;

  protected:
    // Binds the target for one fill; false when it is not of the kind the mode writes.
    bool beginFill(CDibCore &tc);
    // Clips fillFRect to the layer and sets fillBox; false when nothing is left.
    bool clipFill();
    // The vertical coverage of row y of a figure spanning top..bottom.
    static float rowCoverage(int32_t y, int32_t firstRow, int32_t lastRow, float top, float bottom);
    // Coverage of pixel floor(scanFX0) + j of the span: 1, or the edge ramps near its ends.
    float spanCoverage(int32_t j, int32_t last) const;
    void colorScanLine();
    void alphaScanLine();

  private:
    // The pixels of the span inside the clip and the factors of its end pixels; false when the
    // span writes nothing.
    struct SpanPixels
    {
        int32_t a, b, from, to; // to exclusive
        float f, g;
    };
    bool spanPixels(SpanPixels &sp) const;
};

class CEllipseFiller : public CFillMngr
{
  public:
    // ver: the version recorded with the figure; 0 computes the edge slopes of an ellipse partly
    // outside the layer from its clipped box, others from the whole ellipse.
    CEllipseFiller(const sSize &layerSize, const TStroke &strk, int32_t ver);
    CEllipseFiller(const sSize &, const TStroke &&, int32_t) = delete;

    // The ellipse inscribed in the rectangle of the two points (larger x and y plus one).
    bool initEllipseFill(const sFPos &p0, const sFPos &p1);
    int32_t ellipseFill(CDibCore &tc);

    int32_t version = 0;
    sBox fillBoxNC; // the box the edge slopes are computed from
    sFPos pos0, pos1, pos2;
    sFRange rngX;
    SRotEllipse re;
    int32_t dots = 0;
    std::vector<sFPos> fposArray; // the crossings, row by row

  private:
    void setEdgeSlopes(int32_t row);
};

class CPolygonFiller : public CFillMngr
{
  public:
    CPolygonFiller(const sSize &layerSize, const TStroke &strk);
    CPolygonFiller(const sSize &, const TStroke &&) = delete;

    // The polygon of the first n points of plist (closed implicitly); false for fewer than 3
    // points or one wholly outside the layer.
    bool initPolygonFill(std::span<const sFPos> plist, int32_t n);
    // Even-odd scan conversion at the pixel-row centres.
    int32_t polygonFill(CDibCore &tc);

    struct SEdge
    {
        float x = 0;       // at the current row centre
        float dxdy = 0;    // change of x per row
        int32_t first = 0; // index of the edge's first vertex
    };

    sRange xRng;
    int32_t nump = 0;
    int32_t nact = 0;
    std::vector<int32_t> idxYArray; // vertex indexes sorted by y
    std::vector<sFPos> fPosArray;
    std::vector<SEdge> edgeArray; // the active edges

  private:
    void handleVertex(int32_t v, int32_t row);
};
