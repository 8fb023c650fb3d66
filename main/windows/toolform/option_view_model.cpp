#include "windows/toolform/option_view_model.h"

namespace {

using D = TToolDetail;
using P = TPaintParamType;

bool isOneOf(D d, std::initializer_list<D> set)
{
    for (D x : set)
        if (x == d)
            return true;
    return false;
}

} // namespace

SToolClasses classifyTool(TToolDetail detail)
{
    SToolClasses c;
    TPaintMode mode;
    c.painting = toolDetailToPaintMode(detail, mode);
    c.gradient = detail == D::tdGradient;
    c.seed = isOneOf(detail, {D::tdSeedEraser, D::tdSeedFill, D::tdMagicWand});
    c.moveCapable = isOneOf(detail, {D::tdSelectRectangle, D::tdSelectEllipse, D::tdSelectPolygon,
                                     D::tdSelectLasso, D::tdLayerMove,
                                     D::tdLayerMoveWithSelection});
    c.rectEllipse = isOneOf(detail, {D::tdFillRectangle, D::tdFillEllipse, D::tdSelectRectangle,
                                     D::tdSelectEllipse});
    return c;
}

SOptionViewState optionViewState(const SOptionViewInput &in)
{
    const SToolClasses c = classifyTool(in.detail);
    const bool ft = in.freeTransform;
    const bool legacy = isLegacyPaintLevel(in.brushLevel);
    auto has = [&](P t) { return in.support.contains(t); };
    SOptionViewState s;
    s.opacityPlace = c.painting || c.gradient ? TOpacityPlace::TopRight
                     : c.seed                 ? TOpacityPlace::BelowTolerance
                                              : TOpacityPlace::TopLeft;
    s.opacity = !ft && (c.gradient || (c.painting && has(P::ppDensity)) ||
                        isOneOf(in.detail, {D::tdSeedFill, D::tdFillRectangle, D::tdFillEllipse,
                                            D::tdFillPolygon, D::tdFillLasso, D::tdFillText}));
    s.name = !ft && (c.gradient || c.painting);
    s.nameEditable = s.name && !(c.gradient ? in.specialGradient : legacy);
    s.itemButtons = !ft && (c.gradient || (c.painting && !legacy));
    s.newEnabled = s.itemButtons && in.canAppend;
    s.deleteEnabled = s.itemButtons && in.canDelete;
    s.antiAlias = !ft && (c.seed || (c.painting && has(P::ppDigitize)));
    s.transformRows = ft;
    s.othersDisabled = ft;

    const bool paint = !ft && c.painting;
    s.brushDropDown = s.subModeDropDown = paint;
    s.airMap = paint;
    s.airMapEnabled = paint && (in.brushHasAirMaps || has(P::ppSmoothEdge));
    s.presDensity = paint;
    s.save = paint;
    s.saveEnabled = paint && !in.drawToolAutoSave;
    s.aspectRotation = paint && has(P::ppRadius);
    s.pressureCurve = paint && has(P::ppPrsGamma);
    s.space = paint && has(P::ppSpace);
    s.effect[0] = paint && has(P::ppEffect1);
    s.effect[1] = paint && has(P::ppEffect2);
    s.effect[2] = paint && has(P::ppEffect3);
    s.presSize = paint && has(P::ppPrsRadius);
    s.minRadius = paint && has(P::ppMinRadius);
    s.radiusLabel = paint && (has(P::ppRadius) || has(P::ppShapeImage));
    s.radiusField = paint && has(P::ppRadius) && !in.shapeImage;
    s.shapeScaleField = paint && has(P::ppShapeImage) && in.shapeImage;
    s.radiusUnit = in.shapeImage ? QStringLiteral("%") : QStringLiteral("px");

    s.gradientControls = !ft && c.gradient;
    s.tolerance = !ft && c.seed;
    s.moveOK = !ft && c.moveCapable;
    s.squareCenter = !ft && c.rectEllipse;

    TPaintMode mode;
    const bool hasMode = toolDetailToPaintMode(in.detail, mode);
    s.qz5Options = hasMode && paintModeToLevel(mode) == TPaintLevel::pl5;
    s.popOption = c.gradient || (hasMode && !isLegacyPaintLevel(paintModeToLevel(mode)));
    if (ft)
        s.caption = QStringLiteral("自由変形");
    else
        toolDetailCaption(in.detail, s.caption);
    return s;
}
