// The tool switch: every way of choosing a tool detail ends in changeToolDetail.
#include "windows/toolform/tool_form.h"

#include <QPushButton>
#include "ui/lists/pen_nib_list_view.h"
#include "ui/graphics/glyph_manager.h"
#include "ui/fields/edit_boxes.h"

#include "core/profile/app_profile.h"
#include "paint/brush/paint_param.h"
#include "ui/controls/item_picker.h"
#include "ui/controls/mode_drop_downs.h"
#include "ui/controls/nib_shape_editor.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/popup_sliders.h"
#include "ui/lists/pen_method_list_view.h"
#include "windows/docwin/draw_window.h"

namespace {

TKeyOfDetail keysOfMainForm()
{
    return [](TToolDetail d) { return mainForm().getKeyByToolDetail(d); };
}

// The brushes whose nib is held to a radius of 200 (smudging and tone brushes work on what is
// under them, so a huge nib only slows them down).
bool hasSmallRadiusLimit(TPaintMode mode)
{
    using P = TPaintMode;
    switch (mode)
    {
    case P::pmBlur1: case P::pmBlur2: case P::pmFingerTip1: case P::pmBurn1: case P::pmDodge1:
    case P::pmBlur4: case P::pmFingerTip4: case P::pmSpread4: case P::pmBurn4: case P::pmDodge4:
        return true;
    default:
        return false;
    }
}

ePaintLevel paintLevelOfMode(TPaintMode mode)
{
    switch (paintModeToLevel(mode))
    {
    case TPaintLevel::pl5: return ePaintLevel::PAINT_LEVEL_qZ5;
    case TPaintLevel::pl4: return ePaintLevel::PAINT_LEVEL_qZ4;
    default: return ePaintLevel::PAINT_LEVEL_qZ2;
    }
}

} // namespace

void TToolForm::changeToolDetail(TToolDetail detail)
{
    if (!FState.switchNeeded(detail))
        return;
    const TToolKind oldKind = toolDetailToToolKind(FState.FToolMode);
    FState.leave(NumToolDens->Value(), keysOfMainForm());
    {
        CPaletteGuard guard(FState.FPalStat, TPaletteState::psToolModeUpdate);
        const bool hasOpacity = toolDetailHasOpacity(detail);
        const TToolKind kind = toolDetailToToolKind(detail);
        const bool kindChanged = kind != oldKind;
        EdtToolDens->SetEnabled(hasOpacity);

        FState.FToolMode = detail;
        TPaintMode mode;
        const bool painting = toolDetailToPaintMode(detail, mode);
        // With AutoFreeHand the drawing method returns to freehand before the sub-kind is
        // picked, so the handler table installed is freehand's too.
        if (painting && gAppProfile && gAppProfile->AutoFreeHand)
            FDrpSubMode->setSubPaintMode(TSubPaintMode::spmDrawLocus);
        const TToolSubKind sub = painting
                                     ? subPaintModeToToolSubKind(FDrpSubMode->SubPaintMode())
                                     : toolDetailToToolSubKind(detail);
        ChangeToolSubMode(sub, true);

        FState.enter(detail, keysOfMainForm());
        TqZGlyphButton *button = FToolButtons[size_t(kind)];
        button->setGlyphType(toolDetailToGlyphType(detail));
        button->setDown(true);

        if (painting)
        {
            const bool small = hasSmallRadiusLimit(mode);
            const float limit = small ? 200.0f : 500.0f;
            FAspRot->setMaxRadius(limit);
            NumNibRadius->setValueMax(limit);
            NumNibRadius->setWrapMax(limit);
            NumNibRadius->setValueCenter(small ? 20.0f : 50.0f);
            // Another engine reads its brush afresh; the same one keeps the brush being
            // worked on, whose settings the controls show again. Within one button the
            // opacity shown stays and the new brush takes it.
            const float shown = NumToolDens->Value();
            if (FDrpPenMtd->PaintMode() != mode)
                FDrpPenMtd->SetPaintMode(mode);
            else
            {
                CPaletteGuard quiet(FState.FPalStat, TPaletteState::psPaintParamChange);
                loadControlsFromBrush();
            }
            if (!kindChanged)
                NumToolDens->SetNumber(nullptr, shown);
            mainForm().switchPaintLevel(paintLevelOfMode(mode));
            if (gAppProfile && gAppProfile->AutoFreeHand)
                FState.FToolSubMode = TToolSubKind::tskDrawLocus;
        }
        else if (!hasOpacity)
            NumToolDens->SetNumber(nullptr, 100);
        else if (kindChanged)
            NumToolDens->SetNumber(nullptr, FState.FToolDensities[size_t(kind)]);
    }
    UpdateOptionView(true);
}

void TToolForm::selectToolKind(TToolKind kind, bool cycle)
{
    changeToolDetail(FState.detailForKind(kind, cycle));
}

void TToolForm::selectToolByKey(uint32_t key, TToolKind kind, bool cycle)
{
    changeToolDetail(FState.detailForKey(key, kind, cycle));
}

void TToolForm::setLastTools()
{
    FState.setLastTools(keysOfMainForm());
}

void TToolForm::setNextDetails()
{
    FState.setNextDetails(
        [](TToolKind k, TToolDetail d) { return mainForm().getNextTool(k, d); });
}

void TToolForm::FDrpSubModeChange(QObject *)
{
    if (FState.FPalStat.has(TPaletteState::psToolModeUpdate))
        return;
    CPaletteGuard guard(FState.FPalStat, TPaletteState::psToolModeUpdate);
    FState.FToolSubMode = subPaintModeToToolSubKind(FDrpSubMode->SubPaintMode());
    if (FWindow)
        FWindow->UpdateControls();
}

void TToolForm::FDrpPenMtdChangePaintMode(QObject *)
{
    changeToolDetail(paintModeToToolDetail(FDrpPenMtd->PaintMode()));
}

void TToolForm::setStylusSwitch(TStylusSwitch value)
{
    if (value == FState.FStylus)
        return;
    CPaletteGuard guard(FState.FPalStat, TPaletteState::psStylusSwitchUpdate);
    FState.FStylus = value;
    changeToolDetail(FState.FLastTools[size_t(FState.FLastTool[size_t(value)])]);
}

void TToolForm::SetPlayMode(bool sw)
{
    if (sw == FIsPlay)
        return;
    FIsPlay = sw;
    FState.FLastPlayTool[size_t(!sw)] = FState.FLastTool[size_t(TStylusSwitch::ssNib)];
    if (sw && FState.FLastPlayTool[1] != TToolKind::tkGrabber &&
        FState.FLastPlayTool[1] != TToolKind::tkZoom)
        FState.FLastPlayTool[1] = TToolKind::tkGrabber;
    for (int k = 0; k < int(TToolKind::tkGrabber); ++k)
        FToolButtons[size_t(k)]->SetEnabled(!sw);
    selectToolKind(FState.FLastPlayTool[size_t(sw)], false);
    if (!sw)
        UpdateOptionView(true);
}
