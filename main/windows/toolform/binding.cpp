// The tool window's binding to the active document window and its public operations: the
// sub-kind switch, the brush push into the stroke machinery, the nib size steps and the
// accessors the document and the filters read.
#include "windows/toolform/tool_form.h"

#include <QPushButton>
#include "ui/lists/pen_nib_list_view.h"
#include "ui/controls/item_picker.h"
#include "ui/fields/popup_sliders.h"
#include "ui/graphics/glyph_manager.h"
#include "ui/fields/edit_boxes.h"

#include "core/profile/app_profile.h"
#include "document/edit/layer_group_ops.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/transform/select_transform.h"
#include "paint/brush/paint_param.h"
#include "paint/gradient/gradient_manager.h"
#include "paint/presets/pen_preset_managers.h"
#include "paint/presets/pen_presets.h"
#include "paint/render/pen_render4.h"
#include "paint/render/pen_render5.h"
#include "paint/stroke/stroke.h"
#include "paint/stroke/stroke_placement.h"
#include "paint/stroke/stroke_placement4.h"
#include "paint/tone/tone_manager.h"
#include "ui/colour/colour_cells.h"
#include "ui/controls/nib_shape_editor.h"
#include "ui/fields/num_mngr.h"
#include "ui/lists/document_list_window.h"
#include "ui/lists/gradient_list_view.h"
#include "ui/lists/layer_list_views.h"
#include "ui/lists/pen_method_list_view.h"
#include "ui/lists/tone_list_view.h"
#include "windows/docwin/draw_window.h"
#include "windows/presets/preset_kinds.h"
#include "windows/toolform/slider_curves.h"

#include <cmath>

namespace {

// The layer and mask lists see the bound document window through this.
class CDrawWindowLists : public IDocumentListWindow
{
  public:
    explicit CDrawWindowLists(TDrawWindow &w) : FWindow(w) {}
    TPaper *paper() const override { return FWindow.paper.get(); }
    TFlowImage *flowImage() const override { return FWindow.flowImage.get(); }
    bool canAcceptEditCmd(bool netOK, bool playOK, bool needPause) override
    {
        return FWindow.canAcceptEditCmd(netOK, playOK, needPause);
    }
    void refreshAfterEvent(bool a, bool b, bool c) override { FWindow.refreshAfterEvent(a, b, c); }
    bool isKeyOnly() const override { return FWindow.isInKeyOnly(); }
    void updateEventProcs(bool force) override { FWindow.updateEventProcs(force); }
    bool doLayerVisAll(bool vis) override { return FWindow.doLayerVisAll(vis); }
    void doLayerInfoWin() override { FWindow.doLayerInfoWin(); }
    void DoMaskInfoWin() override { FWindow.DoMaskInfoWin(); }

  private:
    TDrawWindow &FWindow;
};

} // namespace

void TToolForm::SetWindow(TDrawWindow *AWnd)
{
    FWindow = AWnd;
    FLstLyr->Detach();
    FLstMask->Detach();
    FListWindow.reset();
    if (!AWnd)
    {
        SetPlayMode(false);
        UpdateNavigatorView();
        UpdateLayerView();
        UpdateMaskView();
        return;
    }
    // A document still loading binds at its next activation.
    if (!AWnd->paper || !AWnd->paper->m_ready)
        return;
    DispatchPaintParam();
    SetPlayMode(AWnd->m_eventPlaying);
    FListWindow = std::make_unique<CDrawWindowLists>(*AWnd);
    FLstLyr->Attach(FListWindow.get());
    FLstMask->Attach(FListWindow.get());
    UpdateNavigatorView();
    UpdateLayerView();
    UpdateMaskView();
}

bool TToolForm::ChangeToolSubMode(TToolSubKind kind, bool forceEnd)
{
    const TToolSubKind old = FState.FToolSubMode;
    if (!FState.FPalStat.has(TPaletteState::psChangeToolMode))
    {
        CPaletteGuard guard(FState.FPalStat, TPaletteState::psChangeToolMode);
        if (FWindow)
            FWindow->updateEventProcs(forceEnd);
        FState.FToolSubMode = kind;
        if (FWindow)
        {
            FWindow->UpdateControls();
            FWindow->updateEventProcs(false);
        }
    }
    // A transform starting or ending lends or returns the tool: the option view shows its
    // fields, or the tool's own again.
    auto isTransform = [](TToolSubKind k) {
        return k == TToolSubKind::tskTransformSelection || k == TToolSubKind::tskTransformLayer ||
               k == TToolSubKind::tskTransformSelectionWithLayer;
    };
    if (kind != old && (isTransform(kind) || isTransform(old)) &&
        !FState.FPalStat.has(TPaletteState::psToolModeUpdate))
        UpdateOptionView(true);
    return kind != old;
}

bool TToolForm::GetPlayMode() const
{
    return FWindow && FWindow->m_eventPlaying;
}

bool TToolForm::HasWindow(const QWidget *w) const
{
    return FPalMngr.HasWindow(w);
}

void TToolForm::InitFirstTime()
{
    FAspRot->setRotationUnit(QStringLiteral("°"));
    if (TStroke *s = mainForm().Stroke())
    {
        (void)s;
    }
    FDrpPenMtd->SelectItem(0, true);
    FChkGrad->SelectItem(0, true);
    FChkTone->SelectItem(0, true);
    setLastTools();
    setNextDetails();
    SetPlayMode(false);
    UpdateNavigatorView();
    UpdateLayerView();
}

TPaintParam *TToolForm::AliasParam() const
{
    return FDrpPenMtd ? &FDrpPenMtd->AliasRef() : nullptr;
}

bool TToolForm::IsPaintLevelQZ4() const
{
    TPaintMode mode;
    if (!toolDetailToPaintMode(FState.FToolMode, mode))
        return false;
    return !isLegacyPaintLevel(paintModeToLevel(mode));
}

bool TToolForm::usesShapeImage() const
{
    const TPaintParam *p = AliasParam();
    return p && p->UseShapeImage();
}

float TToolForm::SelectNibRadius() const
{
    const TPaintParam *p = AliasParam();
    if (!p)
        return 0;
    return p->UseShapeImage() ? p->ShapeImageScale() * 100.0f : p->Radius();
}

float TToolForm::SelectNibRealRadius() const
{
    const TPaintParam *p = AliasParam();
    return p ? p->RealRadius() : 0.0f;
}

float TToolForm::SelectNibRealRadiusMin() const
{
    const TPaintParam *p = AliasParam();
    return p ? p->RealRadiusMin() : 0.1f;
}

float TToolForm::SelectNibRealRadiusMax() const
{
    const TPaintParam *p = AliasParam();
    return p ? p->RealRadiusMax() : 500.0f;
}

const CColorSlotGroup *TToolForm::SelectColorSlotGroupRef() const
{
    return FChkGrad ? FChkGrad->AliasCSGRef() : nullptr;
}

TColorPickerValue TToolForm::ForegroundColor() const
{
    return FToolCell ? FToolCell->ForegroundColor() : TColorPickerValue{};
}

TColorPickerValue TToolForm::BackgroundColor() const
{
    return FToolCell ? FToolCell->BackgroundColor() : TColorPickerValue{};
}

TColorPickerValue TToolForm::SelectColor() const
{
    return FToolCell ? FToolCell->SelectColor() : TColorPickerValue{};
}

void TToolForm::setSelectColor(const TColorPickerValue &value)
{
    FToolCell->setSelectColor(value);
}

void TToolForm::setForegroundColor(const TColorPickerValue &value)
{
    FToolCell->setForegroundColor(value);
}

void TToolForm::setBackgroundColor(const TColorPickerValue &value)
{
    FToolCell->setBackgroundColor(value);
}

void TToolForm::ExChangeColors()
{
    const TColorPickerValue fore = FToolCell->ForegroundColor();
    FToolCell->setForegroundColor(FToolCell->BackgroundColor());
    FToolCell->setBackgroundColor(fore);
}

void TToolForm::SetPenRadius(float value)
{
    (usesShapeImage() ? NumNibShpScl : NumNibRadius)->SetNumber(nullptr, value);
}

void TToolForm::UpdateGhostSize()
{
    const int32_t side = int32_t(std::ceil(SelectNibRealRadius() * FAspRot->DisplayScale()));
    FGhost = {side, side};
}

void TToolForm::DispatchPaintParam()
{
    if (FWindow && !FWindow->m_eventPlaying)
        ApplyPaintParam();
    if (gAppProfile)
        gAppProfile->saveToolOpaque(toolDetailToToolMode(FState.FToolMode),
                                    std::min(NumToolDens->Value() / 100.0f + 0.00001f, 1.0f));
}

void TToolForm::ApplyPaintParam()
{
    if (!FWindow || FWindow->m_eventPlaying)
        return;
    TPaintParam &p = FDrpPenMtd->AliasRef();
    p.Write(*FStroke);
    FStroke->switchGradation(FChkGrad->Checked(), false);
    FStroke->switchScreenTone(FChkTone->Checked(), false);
    SStrokeParam strokeParam{};
    SPenParam penParam{};
    SPenAttr penAttr{};
    SGradeMapParam gradeMap{};
    SPenRenderAttr renderAttr{};
    p.Write(strokeParam);
    p.Write(penParam);
    p.Write(penAttr);
    p.Write(gradeMap);
    p.Write(renderAttr);
    p.Write(FPenNibObj.get());
    if (TPaper *paper = FWindow->paper.get())
    {
        if (paper->actPaintLevel == ePaintLevel::PAINT_LEVEL_qZ4 && paper->strokeMngr4())
            paper->strokeMngr4()->setParam(strokeParam);
        else if (paper->actPaintLevel == ePaintLevel::PAINT_LEVEL_qZ5 && paper->strokeMngr5())
            paper->strokeMngr5()->setParam(strokeParam);
    }
    if (CPenRender5 *r = appMainPenRender5())
    {
        r->changePenAttr(penAttr);
        r->changePenParam(penParam);
        r->changeRenderAttr(renderAttr, 7);
        r->changeGradeParam(gradeMap);
        r->setPenShapeObj(FPenNibObj.get(), false, false, false);
    }
    if (CPenRender *r = appMainPenRender())
    {
        r->changePenAttr(penAttr);
        r->changePenParam(penParam);
        r->changeRenderAttr(renderAttr, 7);
        r->changeGradeParam(gradeMap);
        r->setPenShapeObj(FPenNibObj.get(), false, false, false);
    }
}

// Nib size steps: the minimum radius by one increment with Shift, else the slider position of
// the radius (or nib-image scale) field by 0.05 along its bent travel.
bool TToolForm::SetPenNibSizeNext(bool Shift)
{
    if (Shift)
    {
        NumNibMinRad->Increment(nullptr, false);
        return true;
    }
    const bool shape = usesShapeImage();
    TNumMngr *m = shape ? NumNibShpScl : NumNibRadius;
    float p = m->Position();
    shape ? EdtNibShpSclInFilter(nullptr, p) : EdtNibRadiusInFilter(nullptr, p);
    p += 0.05f;
    shape ? EdtNibShpSclOutFilter(nullptr, p) : EdtNibRadiusOutFilter(nullptr, p);
    m->setPosition(p);
    return true;
}

bool TToolForm::SetPenNibSizePrev(bool Shift)
{
    if (Shift)
    {
        NumNibMinRad->Decrement(nullptr, false);
        return true;
    }
    const bool shape = usesShapeImage();
    TNumMngr *m = shape ? NumNibShpScl : NumNibRadius;
    float p = m->Position();
    shape ? EdtNibShpSclInFilter(nullptr, p) : EdtNibRadiusInFilter(nullptr, p);
    p -= 0.05f;
    shape ? EdtNibShpSclOutFilter(nullptr, p) : EdtNibRadiusOutFilter(nullptr, p);
    m->setPosition(p);
    return true;
}

void TToolForm::EdtNibRadiusInFilter(QObject *, float &APosition)
{
    APosition = radiusInFilter(APosition);
}

void TToolForm::EdtNibRadiusOutFilter(QObject *, float &APosition)
{
    APosition = radiusOutFilter(APosition);
}

void TToolForm::EdtNibShpSclInFilter(QObject *, float &APosition)
{
    APosition = shapeScaleInFilter(APosition, NumNibShpScl->ValueMin(), NumNibShpScl->ValueMax());
}

void TToolForm::EdtNibShpSclOutFilter(QObject *, float &APosition)
{
    APosition = shapeScaleOutFilter(APosition, NumNibShpScl->ValueMin(), NumNibShpScl->ValueMax());
}

std::optional<int32_t> TToolForm::brushEngine() const
{
    TPaintMode mode;
    if (!toolDetailToPaintMode(FState.FToolMode, mode))
        return std::nullopt;
    return int32_t(mode);
}

int32_t TToolForm::ToolCursors(TToolSubKind kind) const
{
    return standardToolCursor(kind);
}

int32_t TToolForm::BrushCursors(int32_t engine) const
{
    return standardBrushCursor(TPaintMode(engine));
}

QString TToolForm::gradientHint(int role) const
{
    switch (role)
    {
    case ghrLblGradRep: return FLblGradRep->hint();
    case ghrEdtGradRep: return EdtGradRep->hint();
    case ghrBtnGradInf: return FBtnGradInf->hint();
    case ghrBtnGradLine: return FBtnGradLine->hint();
    case ghrBtnGradRad: return FBtnGradRad->hint();
    case ghrBtnGradCir: return FBtnGradCir->hint();
    case ghrBtnGradRet: return FBtnGradRet->hint();
    case ghrBtnGradRemind: return FBtnGradRemind->hint();
    default: return {};
    }
}

void TToolForm::presetSetLoaded(TPresetKind kind, bool)
{
    switch (kind)
    {
    case TPresetKind::PenMethod:
        FDrpPenMtd->SelectItem(FDrpPenMtd->GetSelectIndex(), true);
        FLstPenMtd->SelectItem(FLstPenMtd->GetSelectIndex(), true);
        break;
    case TPresetKind::PenNib: FLstPenNib->SelectItem(FLstPenNib->GetSelectIndex(), true); break;
    case TPresetKind::Gradient: FChkGrad->SelectItem(FChkGrad->GetSelectIndex(), true); break;
    case TPresetKind::Tone: FChkTone->SelectItem(FChkTone->GetSelectIndex(), true); break;
    default: break;
    }
}

void TToolForm::enableMoveOK(bool enabled)
{
    BtnMoveOK->setEnabled(enabled);
}

void TToolForm::setOptionViewCaption(const QString &text)
{
    FOptionView->setCaption(text);
}

bool TToolForm::freeTransformRunning() const
{
    return transformer() != nullptr;
}

TSelectTransform *TToolForm::transformer() const
{
    return FWindow && FWindow->paper ? FWindow->paper->FFreeTransformer.get() : nullptr;
}

void toolFormPaperHooks(TToolForm &form, SPaperAppHooks &hooks)
{
    hooks.mainStroke = [&form] { return form.Stroke(); };
    hooks.selectedPenShape = [&form] { return form.SelectPenNibObjRef(); };
    hooks.selectedColorSlotGroup = [&form] { return form.SelectColorSlotGroupRef(); };
    hooks.mainGradMngr = [&form] { return form.GradMngr(); };
    hooks.mainToneMngrFor = [&form](const TPaper *) { return form.ToneMngr(); };
}
