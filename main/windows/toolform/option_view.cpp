// The option view: each control onto the working brush, the seed tools' profile values, the
// gradient attributes, and which controls show for the current tool.
#include "windows/toolform/tool_form.h"
#include "ui/fields/edit_boxes.h"

#include "core/profile/app_profile.h"
#include "paint/brush/paint_param.h"
#include "paint/brush/shape_image_param.h"
#include "paint/gradient/gradient_manager.h"
#include "paint/presets/pen_preset_managers.h"
#include "paint/presets/pen_presets.h"
#include "paint/stroke/stroke.h"
#include "ui/colour/colour_cells.h"
#include "ui/controls/airmap_controls.h"
#include "ui/controls/item_picker.h"
#include "ui/controls/mode_drop_downs.h"
#include "ui/controls/nib_shape_editor.h"
#include "ui/controls/pressure_gamma.h"
#include "ui/fields/label_fields.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/popup_sliders.h"
#include "ui/graphics/glyph_manager.h"
#include "ui/lists/gradient_list_view.h"
#include "ui/lists/pen_method_list_view.h"
#include "ui/lists/pen_nib_list_view.h"
#include "ui/lists/tone_list_view.h"
#include "windows/docwin/draw_window.h"
#include "windows/dock/dock_view.h"
#include "windows/presets/preset_kinds.h"
#include "windows/presets/preset_popup.h"
#include "windows/toolform/option_view_model.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <cmath>

namespace {

using P = TPaintParamType;

bool differs(float a, float b)
{
    return a != b;
}

void place(QWidget *w, int l, int t, int width, int height)
{
    if (auto *g = dynamic_cast<TGraphicControl *>(w))
        g->SetBounds(l, t, width, height);
    else
        w->setGeometry(l, t, width, height);
}

void showIf(QWidget *w, bool on)
{
    if (w)
        w->setVisible(on);
}

} // namespace

// ---- the brush controls

void TToolForm::PaintParamChange(QObject *Sender)
{
    if (FIsPlay || FState.FPalStat.has(TPaletteState::psPaintParamChange))
        return;
    bool changed = false;
    {
        CPaletteGuard guard(FState.FPalStat, TPaletteState::psPaintParamChange);
        if (Sender == FDrpPenMtd)
        {
            if (FDrpPenMtd->GetItemCount() > 0 || isLegacyPaintLevel(FDrpPenMtd->PaintLevel()))
                loadControlsFromBrush();
        }
        else
            changed = writeParamFrom(Sender);
        FOldNibIndex = 0;
        if (changed && gAppProfile && gAppProfile->DrawToolAutoSave)
            FDrpPenMtd->SaveAlias();
    }
    UpdateOptionView(true);
}

// Every control takes the working brush's value; the guard keeps their change events quiet.
void TToolForm::loadControlsFromBrush()
{
    const TPaintParam &p = FDrpPenMtd->AliasRef();
    if (p.UseShapeImage())
    {
        const SScaleRange r = nibScaleRangePercent(p.ShapeImageSize());
        NumNibShpScl->SetValues(nullptr, NumNibShpScl->Value(), float(r.min), float(r.max));
    }
    FAspRot->setSupportAspect(p.supports(P::ppAspect));
    FAspRot->setSupportDrop(!isLegacyPaintLevel(p.PaintLevel()));
    FDrpAirMap->setAirMapType(p.SupportAirMaps());
    NumToolDens->SetNumber(nullptr, p.Density() * 100.0f);
    EdtToolName->setCaption(p.ItemName());
    NumBrushSpace->SetNumber(nullptr, p.Space() * 100.0f);
    NumBrushEfct[0]->SetNumber(nullptr, p.Effect1());
    NumBrushEfct[1]->SetNumber(nullptr, p.Effect2());
    NumBrushEfct[2]->SetNumber(nullptr, p.Effect3());
    FPrsGam->setGamma(p.PrsGamma());
    NumBrushPresG->SetNumber(nullptr, p.PrsGamma());
    FAspRot->SetShapeImage(p.UseShapeImage(), p.ShapeImageSize(), p.ShapeImageScale() * 100.0f);
    FAspRot->SetParams(p.Radius(), p.MinRadius() * 100.0f, 100.0f - p.Aspect() * 100.0f,
                       p.Rotation(), p.Flat() * 100.0f, p.Add() * 100.0f, !p.Digitize());
    if (p.SupportAirMaps() != TPaintAirMapType::pamtNo)
        FDrpAirMap->setAirMap(p.AirMap());
    else if (p.supports(P::ppSmoothEdge))
        FDrpAirMap->setAirMap(p.SmoothEdge() ? TPaintAirMap::pamCircle : TPaintAirMap::pamFlat);
    FDrpAirMap->setFlat(p.Flat() * 100.0f);
    FDrpAirMap->setAdd(p.Add() * 100.0f);
    if (!p.UseShapeImage())
        NumNibRadius->SetNumber(nullptr, p.Radius());
    NumNibShpScl->SetNumber(nullptr, p.ShapeImageScale() * 100.0f);
    NumNibMinRad->SetNumber(nullptr, p.MinRadius() * 100.0f);
    FBtnPresDens->setDown(p.PrsDensity());
    FBtnPresSize->setDown(p.PrsRadius());
    FBtnToolAA->setDown(!p.Digitize());
    NumSmoothLevel->SetNumber(nullptr, float(p.SmoothLevel()));
    CheckBSplineEnable->setChecked(p.InterpolateType() == TInterpolateType::itBSpline);
    UpdateGhostSize();
}

// Writes the one setting the sender edits when the brush takes it and it differs; true when
// the brush changed.
bool TToolForm::writeParamFrom(QObject *Sender)
{
    // Without a painting tool the brush is not shown: the opacity is then the tool's own.
    TPaintMode mode;
    if (!toolDetailToPaintMode(FState.FToolMode, mode))
        return false;
    TPenMethodListView &d = *FDrpPenMtd;
    const TPaintParam &p = d.AliasRef();
    auto setF = [&](P t, float now, float v) {
        if (!p.supports(t) || !differs(now, v))
            return false;
        d.SetAliasParam(t, v);
        return true;
    };
    auto setB = [&](P t, bool now, bool v) {
        if (!p.supports(t) || now == v)
            return false;
        d.SetAliasParam(t, v);
        return true;
    };
    if (Sender == NumToolDens)
    {
        const bool wrote = setF(P::ppDensity, p.Density(), NumToolDens->Value() / 100.0f);
        // The opacity a tool switch shows is no edit of the brush.
        return wrote && !FState.FPalStat.has(TPaletteState::psToolModeUpdate);
    }
    if (Sender == FAspRot)
    {
        bool c = false;
        if (p.UseShapeImage())
            c |= setF(P::ppShapeImage, p.ShapeImageScale(), FAspRot->ShapeScale() / 100.0f);
        else
            c |= setF(P::ppRadius, p.Radius(), FAspRot->Radius());
        c |= setF(P::ppMinRadius, p.MinRadius(), FAspRot->MinRadius() / 100.0f);
        c |= setF(P::ppAspect, p.Aspect(), (100.0f - FAspRot->Aspect()) / 100.0f);
        c |= setF(P::ppRotation, p.Rotation(), FAspRot->Rotation());
        NumNibRadius->SetNumber(nullptr, FAspRot->Radius());
        NumNibShpScl->SetNumber(nullptr, FAspRot->ShapeScale());
        NumNibMinRad->SetNumber(nullptr, FAspRot->MinRadius());
        UpdateGhostSize();
        return c;
    }
    if (Sender == FDrpAirMap)
    {
        const TPaintAirMap map = FDrpAirMap->AirMap();
        switch (p.SupportAirMaps())
        {
        case TPaintAirMapType::pamt2: {
            const bool c = p.AirMap() != map;
            d.SetAliasParam(P::ppAirMap, map);
            return c;
        }
        case TPaintAirMapType::pamt4: {
            const float flat = FDrpAirMap->Flat() / 100.0f, add = FDrpAirMap->Add() / 100.0f;
            const bool c = p.AirMap() != map || p.Flat() != flat || p.Add() != add;
            d.SetAliasParam(P::ppAirMap, map);
            d.SetAliasParam(P::ppFlat, flat);
            d.SetAliasParam(P::ppAdd, add);
            if (FAspRot->Flat() != FDrpAirMap->Flat() || FAspRot->Add() != FDrpAirMap->Add())
                FAspRot->SetParams(FAspRot->Radius(), FAspRot->MinRadius(), FAspRot->Aspect(),
                                   FAspRot->Rotation(), FDrpAirMap->Flat(), FDrpAirMap->Add(),
                                   FAspRot->AntiAlias());
            else if (c)
                FAspRot->DrawShape();
            return c;
        }
        default:
            return setB(P::ppSmoothEdge, p.SmoothEdge(), map != TPaintAirMap::pamFlat);
        }
    }
    if (Sender == NumBrushSpace)
        return setF(P::ppSpace, p.Space(), NumBrushSpace->Value() / 100.0f);
    if (Sender == NumBrushEfct[0])
        return setF(P::ppEffect1, p.Effect1(), NumBrushEfct[0]->Value());
    if (Sender == NumBrushEfct[1])
        return setF(P::ppEffect2, p.Effect2(), NumBrushEfct[1]->Value());
    if (Sender == NumBrushEfct[2])
        return setF(P::ppEffect3, p.Effect3(), NumBrushEfct[2]->Value());
    if (Sender == FPrsGam)
    {
        NumBrushPresG->SetNumber(nullptr, FPrsGam->Gamma());
        return setF(P::ppPrsGamma, p.PrsGamma(), FPrsGam->Gamma());
    }
    if (Sender == NumNibRadius)
    {
        FAspRot->setRadius(NumNibRadius->Value());
        const bool c = !p.UseShapeImage() && setF(P::ppRadius, p.Radius(), NumNibRadius->Value());
        UpdateGhostSize();
        return c;
    }
    if (Sender == NumNibShpScl)
    {
        FAspRot->setShapeScale(NumNibShpScl->Value());
        const bool c = p.UseShapeImage() &&
                       setF(P::ppShapeImage, p.ShapeImageScale(), NumNibShpScl->Value() / 100.0f);
        UpdateGhostSize();
        return c;
    }
    if (Sender == NumNibMinRad)
    {
        FAspRot->setMinRadius(NumNibMinRad->Value());
        return setF(P::ppMinRadius, p.MinRadius(), NumNibMinRad->Value() / 100.0f);
    }
    if (Sender == FBtnPresDens)
        return setB(P::ppPrsDensity, p.PrsDensity(), FBtnPresDens->Down());
    if (Sender == FBtnPresSize)
        return setB(P::ppPrsRadius, p.PrsRadius(), FBtnPresSize->Down());
    if (Sender == FBtnToolAA)
    {
        FAspRot->setAntiAlias(FBtnToolAA->Down());
        return setB(P::ppDigitize, p.Digitize(), !FBtnToolAA->Down());
    }
    if (Sender == NumSmoothLevel)
        return setF(P::ppSmoothLevel, float(p.SmoothLevel()), NumSmoothLevel->Value());
    if (Sender == CheckBSplineEnable)
    {
        const TInterpolateType t =
            CheckBSplineEnable->isChecked() ? TInterpolateType::itBSpline : TInterpolateType::itLinear;
        if (!p.supports(P::ppInterpolateType) || p.InterpolateType() == t)
            return false;
        d.SetAliasParam(P::ppInterpolateType, t);
        return true;
    }
    return false;
}

void TToolForm::ToolAntiAliasChange(QObject *Sender)
{
    using D = TToolDetail;
    const D t = FState.FToolMode;
    if (t == D::tdSeedEraser || t == D::tdSeedFill || t == D::tdMagicWand)
        SeedParamChange(Sender);
    else
        PaintParamChange(Sender);
}

// ---- seed tools

void TToolForm::SeedParamChange(QObject *)
{
    if (FState.FPalStat.has(TPaletteState::psSeedRangeUpdate) || !gAppProfile)
        return;
    CPaletteGuard guard(FState.FPalStat, TPaletteState::psSeedRangeUpdate);
    using D = TToolDetail;
    CAppProfile &prof = *gAppProfile;
    const int32_t limit = int32_t(std::lround(NumSeedRange->Value()));
    const int32_t target = ChkSeedUseAll->isChecked() ? 1 : 0;
    const bool aa = FBtnToolAA->Down();
    if (FState.FToolMode == D::tdSeedEraser || FState.FToolMode == D::tdSeedFill)
    {
        prof.fillLimit = limit;
        prof.fillTarget = target;
        prof.fillAntiAlias = aa;
    }
    else if (FState.FToolMode == D::tdMagicWand)
    {
        prof.wandLimit = limit;
        prof.wandTarget = target;
        prof.wandAntiAlias = aa;
    }
}

void TToolForm::ReedSeedParam()
{
    if (!gAppProfile)
        return;
    CPaletteGuard guard(FState.FPalStat, TPaletteState::psSeedRangeUpdate);
    const CAppProfile &prof = *gAppProfile;
    const bool wand = FState.FToolMode == TToolDetail::tdMagicWand;
    NumSeedRange->SetNumber(nullptr, float(wand ? prof.wandLimit : prof.fillLimit));
    ChkSeedUseAll->setChecked((wand ? prof.wandTarget : prof.fillTarget) != 0);
    FBtnToolAA->setDown(wand ? prof.wandAntiAlias : prof.fillAntiAlias);
}

// ---- gradients and tones

void TToolForm::GradientChange(QObject *Sender)
{
    if (FState.FPalStat.has(TPaletteState::psGradientUpdate))
        return;
    {
        CPaletteGuard guard(FState.FPalStat, TPaletteState::psGradientUpdate);
        if (FChkGrad->GetItemCount() > 0)
        {
            if (Sender == FDrpGrad)
                FChkGrad->SelectItem(FDrpGrad->GetSelectIndex(), false);
            else
                FDrpGrad->SelectItem(FChkGrad->GetSelectIndex(), false);
            ReadGradAttr();
        }
    }
    UpdateOptionView(true);
}

void TToolForm::GradAttrChange(QObject *)
{
    if (FState.FPalStat.has(TPaletteState::psGradAttrUpdate))
        return;
    CPaletteGuard guard(FState.FPalStat, TPaletteState::psGradAttrUpdate);
    SGradButtons b;
    b.line = FBtnGradLine->Down();
    b.radial = FBtnGradRad->Down();
    b.circle = FBtnGradCir->Down();
    b.ret = FBtnGradRet->Down();
    b.infinite = FBtnGradInf->Down();
    b.remind = FBtnGradRemind->Down();
    b.repCount = int32_t(NumGradRep->Value());
    FChkGrad->SetAliasAttr(gradAttrFromButtons(b));
}

void TToolForm::ReadGradAttr()
{
    CPaletteGuard guard(FState.FPalStat, TPaletteState::psGradAttrUpdate);
    const bool special = FGradMngr->isUsingSpecialGrad();
    const SGradButtons b = gradButtonsFromAttr(FChkGrad->AliasAttr(), special);
    FBtnGradLine->setDown(b.line);
    FBtnGradRad->setDown(b.radial);
    FBtnGradCir->setDown(b.circle);
    FBtnGradRet->setDown(b.ret);
    FBtnGradInf->setDown(b.infinite);
    FBtnGradRemind->SetEnabled(b.remindEnabled);
    FBtnGradRemind->setDown(b.remind);
    NumGradRep->SetNumber(nullptr, float(b.repCount));
}

void TToolForm::ToneChange(QObject *)
{
    if (FState.FPalStat.has(TPaletteState::psToneUpdate))
        return;
    CPaletteGuard guard(FState.FPalStat, TPaletteState::psToneUpdate);
    if (FChkTone->GetItemCount() > 0)
        DispatchPaintParam();
}

void TToolForm::ToolNameChange(QObject *)
{
    if (FState.FPalStat.has(TPaletteState::psToolNameUpdate))
        return;
    CPaletteGuard guard(FState.FPalStat, TPaletteState::psToolNameUpdate);
    const QString name = EdtToolName->Caption();
    if (FDrpPenMtd->isVisibleTo(FOptionView))
    {
        const TPaintParam &p = FDrpPenMtd->AliasRef();
        if (p.supports(P::ppItemName) && p.ItemName() != name)
        {
            FDrpPenMtd->SetAliasParam(P::ppItemName, name);
            if (gAppProfile && gAppProfile->DrawToolAutoSave)
                FDrpPenMtd->SaveAlias();
        }
    }
    else if (FDrpGrad->isVisibleTo(FOptionView))
    {
        const int idx = FDrpGrad->GetSelectIndex();
        if (FDrpGrad->IsValidIndex(idx) && FDrpGrad->GetItemName(idx) != name)
            FDrpGrad->SetItemName(idx, name);
    }
}

// ---- lists and the nib pop-up

void TToolForm::FLstPenMtdChange(QObject *)
{
    const int idx = FLstPenMtd->GetSelectIndex();
    CPenMethodObj *method = FLstPenMtd->GetPenMtdObjRef(idx);
    TPaintMode mode;
    if (!method || !getPenMethodPaintMode(mode, *method))
        return;
    FDrpPenMtd->SetPaintMode(mode);
    FDrpPenMtd->SelectItem(FDrpPenMtd->GetSelectIndex(), true);
    FDrpPenMtd->UpdateDisplayPosition(true);
}

void TToolForm::FLstPenNibChange(QObject *)
{
    const int idx = FLstPenNib->GetSelectIndex();
    if (const CPenShapeObj *nib = FLstPenNib->GetSelectItemRef())
        FDrpPenMtd->SetAliasShape(nib);
    FOldNibIndex = idx;
    if (gAppProfile && gAppProfile->DrawToolAutoSave)
        FDrpPenMtd->SaveAlias();
}

void TToolForm::FAspRotShowPopup(QObject *, int X, int Y)
{
    if (FPopPenNib)
        return;
    TPresetPopupForm *popup =
        createPenNibPopup(this, FPenNibMngr.get(), FPenNibObj.get(), FOldNibIndex);
    if (!popup)
        return;
    FPopPenNib = popup;
    FNibPopupOpenIndex = FOldNibIndex;
    if (auto *list = dynamic_cast<TPenNibListView *>(popup->ListView()))
        list->OnChange = [this, list](QObject *) {
            if (const CPenShapeObj *nib = list->GetSelectItemRef())
                FDrpPenMtd->SetAliasShape(nib);
        };
    popup->OnPopupClose = [this](QObject *s) { FPopPenNibPopupClose(s); };
    const QPoint at = FAspRot->mapToGlobal(QPoint(X, Y));
    popup->ShowPopUp(at.x(), at.y(), nullptr);
}

void TToolForm::FPopPenNibPopupClose(QObject *)
{
    TPresetPopupForm *popup = FPopPenNib.data();
    if (!popup)
        return;
    FOldNibIndex = popup->PopupResult() == 1 && popup->ListView()
                       ? popup->ListView()->GetSelectIndex()
                       : FNibPopupOpenIndex;
    if (!(popup->PopupResult() == 1))
        if (FPenNibMngr && FLstPenNib->IsValidIndex(FOldNibIndex))
            if (const CPenShapeObj *nib = FPenNibMngr->getObj(FOldNibIndex))
                FDrpPenMtd->SetAliasShape(nib);
    popup->OnPopupClose = nullptr;
    FPopPenNib = nullptr;
    // The pop-up is still inside its own close: it goes once that has returned.
    popup->deleteLater();
    DispatchPaintParam();
}

void TToolForm::OptionSave(QObject *)
{
    FDrpPenMtd->SaveAlias();
    if (isLegacyPaintLevel(FDrpPenMtd->PaintLevel()))
    {
        if (TStroke *s = mainForm().Stroke())
            FDrpPenMtd->AliasRef().Write(*s);
    }
    else
        DispatchPaintParam();
}

// ---- what the view shows

void TToolForm::UpdateOptionView(bool redraw)
{
    if (FIsPlay || FState.FPalStat.has(TPaletteState::psOptionUpdate))
        return;
    if (!redraw)
    {
        DispatchPaintParam();
        return;
    }
    {
        CPaletteGuard guard(FState.FPalStat, TPaletteState::psOptionUpdate);
        SOptionViewInput in;
        in.detail = FState.FToolMode;
        in.freeTransform = freeTransformRunning();
        const TPaintParam &p = FDrpPenMtd->AliasRef();
        in.support = p.SupportParams();
        in.brushLevel = p.PaintLevel();
        in.shapeImage = p.UseShapeImage();
        in.brushHasAirMaps = p.SupportAirMaps() != TPaintAirMapType::pamtNo;
        in.drawToolAutoSave = gAppProfile && gAppProfile->DrawToolAutoSave;
        in.specialGradient = FGradMngr->isUsingSpecialGrad();
        const SToolClasses c = classifyTool(in.detail);
        if (c.gradient)
        {
            const int sel = FDrpGrad->GetSelectIndex();
            in.canAppend = FDrpGrad->CanAppendItem(FDrpGrad, sel);
            in.canDelete = FDrpGrad->CanDeleteItem(sel);
        }
        else
        {
            const int sel = FDrpPenMtd->GetSelectIndex();
            in.canAppend = FDrpPenMtd->CanAppendItem(FDrpPenMtd, sel);
            in.canDelete = FDrpPenMtd->CanDeleteItem(sel);
        }
        const SOptionViewState s = optionViewState(in);
        if (c.seed)
            ReedSeedParam();
        if (c.rectEllipse && gAppProfile)
        {
            const bool fill = in.detail == TToolDetail::tdFillRectangle ||
                              in.detail == TToolDetail::tdFillEllipse;
            CheckCenter->setChecked(fill ? gAppProfile->fillCenter : gAppProfile->selectCenter);
            CheckAspectRock->setChecked(fill ? gAppProfile->fillAspectRock
                                             : gAppProfile->selectAspectRock);
        }
        {
            CPaletteGuard nameGuard(FState.FPalStat, TPaletteState::psToolNameUpdate);
            if (c.gradient)
            {
                const int sel = FDrpGrad->GetSelectIndex();
                EdtToolName->setCaption(FDrpGrad->IsValidIndex(sel) ? FDrpGrad->GetItemName(sel)
                                                                    : QString());
            }
            else if (c.painting)
                EdtToolName->setCaption(p.ItemName());
        }
        placeOptionControls(s);
        applyOptionVisibility(s);
        FOptionView->SetPopupMenu(s.popOption ? PopOption : nullptr);
        FOptionView->setCaption(s.caption);
        UpdateQZ5OptionView();
    }
    DispatchPaintParam();
}

void TToolForm::UpdateQZ5OptionView()
{
    TPaintMode mode;
    const bool on = toolDetailToPaintMode(FState.FToolMode, mode) &&
                    paintModeToLevel(mode) == TPaintLevel::pl5 && !freeTransformRunning();
    for (QObject *o : FQZ5OptionView->children())
        if (auto *w = qobject_cast<QWidget *>(o))
            w->setVisible(on);
}

void TToolForm::placeOptionControls(const SOptionViewState &s)
{
    const int W = FOptionView->width();
    // The opacity field with its glyph label before it and "%" after it.
    auto placeOpacity = [&](int left, int top) {
        place(FLblOptDens, left, top, 16, 16);
        place(EdtOptDens, left + 18, top, 37, 16);
        place(FLblDensUnit, left + 57, top, 14, 16);
    };
    switch (s.opacityPlace)
    {
    case TOpacityPlace::TopRight:
        placeOpacity(W - 73, 2);
        place(FBtnToolAA, W - 20, 22, 18, 16);
        break;
    case TOpacityPlace::BelowTolerance:
        placeOpacity(4, 44);
        place(FBtnToolAA, 92, 24, 18, 16);
        break;
    case TOpacityPlace::TopLeft:
        placeOpacity(4, s.moveOK ? 26 : 4);
        break;
    }
    // Painting tools: brush, name and item buttons along the top, the nib editor below with
    // its fields beside it.
    place(FDrpPenMtd, 2, 2, W - 78, 20);
    place(FDrpGrad, 2, 2, W - 78, 20);
    place(EdtToolName, 2, 22, W - 96, 16);
    place(FBtnToolSave, W - 92, 22, 18, 16);
    place(FBtnToolNew, W - 72, 22, 18, 16);
    place(FBtnToolDel, W - 52, 22, 18, 16);
    place(FAspRot, 2, 42, 64, 64);
    place(FDrpSubMode, 70, 42, 34, 20);
    place(FDrpAirMap, 106, 42, 34, 20);
    place(FPrsGam, 144, 42, 40, 40);
    place(FBtnPresDens, W - 20, 64, 18, 16);
    place(FBtnPresSize, W - 20, 84, 18, 16);
    place(FLblNibRadius, 70, 66, 16, 16);
    place(EdtNibRadius, 88, 66, 42, 16);
    place(EdtNibShpScl, 88, 66, 42, 16);
    place(FLblRadiusUnit, 132, 66, 14, 16);
    place(FLblNibMinRad, 70, 86, 16, 16);
    place(EdtNibMinRad, 88, 86, 42, 16);
    place(FLblBrushSpace, 2, 110, 16, 16);
    place(EdtBrushSpace, 20, 110, 30, 16);
    for (size_t i = 0; i < 3; ++i)
    {
        place(FLblBrushEfct[i], 54 + int(i) * 50, 110, 16, 16);
        place(EdtBrushEfct[i], 72 + int(i) * 50, 110, 30, 16);
    }
    // Gradient: kind buttons and repeat count under the drop-down.
    int x = 2;
    for (TqZGlyphButton *b :
         {FBtnGradLine, FBtnGradRad, FBtnGradCir, FBtnGradRet, FBtnGradInf, FBtnGradRemind})
    {
        place(b, x, 42, 20, 18);
        x += 22;
    }
    place(FLblGradRep, 2, 64, 16, 16);
    place(EdtGradRep, 20, 64, 40, 16);
    // Seed tools.
    place(FLblSeedRange, 4, 4, 84, 16);
    place(EdtSeedRange, 90, 4, 50, 16);
    place(ChkSeedUseAll, 4, 24, 84, 16);
    // Move tools and figure shapes.
    place(BtnMoveOK, 2, 2, W - 4, 20);
    const int checksTop = s.moveOK ? 26 : 24;
    place(CheckAspectRock, 4, checksTop + 20, 100, 16);
    place(CheckCenter, 104, checksTop + 20, 100, 16);
    static_cast<QLabel *>(FLblRadiusUnit)->setText(s.radiusUnit);
}

void TToolForm::applyOptionVisibility(const SOptionViewState &s)
{
    const TPaintParam &p = FDrpPenMtd->AliasRef();
    for (QWidget *w : {static_cast<QWidget *>(FLblOptDens), static_cast<QWidget *>(EdtOptDens),
                       FLblDensUnit})
        showIf(w, s.opacity);
    showIf(EdtToolName, s.name);
    EdtToolName->SetEnabled(s.nameEditable);
    showIf(FBtnToolNew, s.itemButtons);
    showIf(FBtnToolDel, s.itemButtons);
    FBtnToolNew->SetEnabled(s.newEnabled);
    FBtnToolDel->SetEnabled(s.deleteEnabled);
    showIf(FBtnToolAA, s.antiAlias);
    for (QWidget *w : FTransformRows)
        showIf(w, s.transformRows);
    showIf(BtnTransformApply, s.transformRows);
    showIf(BtnTransformCancel, s.transformRows);
    BtnTransformApply->setEnabled(s.transformRows);
    BtnTransformCancel->setEnabled(s.transformRows);

    const bool enabled = !s.othersDisabled;
    for (TqZGlyphButton *b : FToolButtons)
        b->SetEnabled(enabled);
    FToolCell->SetEnabled(enabled);
    FChkGrad->SetEnabled(enabled);
    FChkTone->SetEnabled(enabled);
    for (int v : {vwLayer, vwMask, vwEvent, vwSwatch, vwPenMtd, vwColor})
        if (FViews[size_t(v)])
            FViews[size_t(v)]->setEnabled(enabled);

    showIf(FDrpPenMtd, s.brushDropDown);
    showIf(FDrpSubMode, s.subModeDropDown);
    showIf(FDrpAirMap, s.airMap);
    FDrpAirMap->SetEnabled(s.airMapEnabled);
    showIf(FBtnPresDens, s.presDensity);
    showIf(FBtnToolSave, s.save);
    FBtnToolSave->SetEnabled(s.saveEnabled);
    showIf(FAspRot, s.aspectRotation);
    showIf(FPrsGam, s.pressureCurve);
    showIf(FLblBrushSpace, s.space);
    showIf(EdtBrushSpace, s.space);
    for (size_t i = 0; i < 3; ++i)
    {
        showIf(FLblBrushEfct[i], s.effect[i]);
        showIf(EdtBrushEfct[i], s.effect[i]);
        if (s.effect[i])
        {
            TPaintMode mode;
            if (toolDetailToPaintMode(FState.FToolMode, mode))
                FLblBrushEfct[i]->setGlyphType(toolDetailToGlyphType(FState.FToolMode));
            const QString hint = p.GetEffectHint(int(i));
            FLblBrushEfct[i]->setHint(hint);
            EdtBrushEfct[i]->setHint(hint);
        }
    }
    showIf(FBtnPresSize, s.presSize);
    showIf(FLblNibMinRad, s.minRadius);
    showIf(EdtNibMinRad, s.minRadius);
    showIf(FLblNibRadius, s.radiusLabel);
    showIf(EdtNibRadius, s.radiusField);
    showIf(EdtNibShpScl, s.shapeScaleField);
    showIf(FLblRadiusUnit, s.radiusField || s.shapeScaleField);

    for (QWidget *w : {static_cast<QWidget *>(FDrpGrad), static_cast<QWidget *>(FBtnGradLine),
                       static_cast<QWidget *>(FBtnGradRad), static_cast<QWidget *>(FBtnGradCir),
                       static_cast<QWidget *>(FBtnGradRet), static_cast<QWidget *>(FBtnGradInf),
                       static_cast<QWidget *>(FBtnGradRemind), static_cast<QWidget *>(FLblGradRep),
                       static_cast<QWidget *>(EdtGradRep)})
        showIf(w, s.gradientControls);
    showIf(FLblSeedRange, s.tolerance);
    showIf(EdtSeedRange, s.tolerance);
    showIf(ChkSeedUseAll, s.tolerance);
    showIf(BtnMoveOK, s.moveOK);
    showIf(CheckAspectRock, s.squareCenter);
    showIf(CheckCenter, s.squareCenter);
    showIf(FBtnUseGrad, false);
    showIf(FBtnUseTone, false);
}
