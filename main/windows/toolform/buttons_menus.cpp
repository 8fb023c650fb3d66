// The tool buttons, their menus, the dragged value labels and the nib list's menu.
#include "windows/toolform/tool_form.h"

#include <QPushButton>
#include "ui/fields/popup_sliders.h"
#include "ui/fields/edit_boxes.h"

#include "core/profile/app_profile.h"
#include "platform/desktop/keys.h"
#include "platform/desktop/messages.h"
#include "ui/controls/item_picker.h"
#include "ui/fields/num_mngr.h"
#include "ui/graphics/glyph_manager.h"
#include "ui/lists/pen_nib_list_view.h"
#include "windows/docwin/draw_window.h"
#include "windows/presets/preset_kinds.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

namespace {

TToolKind buttonToolKind(const std::array<TqZGlyphButton *, kToolKindCount> &buttons,
                         const QObject *sender, bool &found)
{
    for (size_t k = 0; k < buttons.size(); ++k)
        if (buttons[k] == sender)
        {
            found = true;
            return TToolKind(k);
        }
    found = false;
    return TToolKind::tkPencil;
}

} // namespace

void TToolForm::BtnClick(QObject *Sender)
{
    // A switch in progress presses its button itself.
    if (FState.FPalStat.has(TPaletteState::psToolModeUpdate))
        return;
    bool found = false;
    const TToolKind kind = buttonToolKind(FToolButtons, Sender, found);
    if (!found)
        return;
    if (freeTransformRunning())
    {
        switch (FWindow->showTransformEndDialog())
        {
        case kavrin::mrYes: FWindow->transformEnd(true); break;
        case kavrin::mrNo: FWindow->transformEnd(false); break;
        default: break;
        }
        UpdateOptionView(true);
        // The tool stays: the pressed button gives way to the current one again.
        CPaletteGuard guard(FState.FPalStat, TPaletteState::psToolModeUpdate);
        FToolButtons[size_t(FState.currentKind())]->setDown(true);
        return;
    }
    const bool alt = QApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier);
    selectToolKind(kind, alt && !FToolButtons[size_t(kind)]->Popup());
}

void TToolForm::BtnDblClick(QObject *Sender)
{
    if (!FWindow)
        return;
    if (Sender == FToolButtons[size_t(TToolKind::tkGrabber)])
    {
        if (gAppProfile && gAppProfile->RotGrabDblClk)
            FWindow->RotToNormal();
        FWindow->ZoomAuto(false, true);
    }
    else if (Sender == FToolButtons[size_t(TToolKind::tkZoom)])
    {
        if (gAppProfile && gAppProfile->RotZoomDblClk)
            FWindow->RotToNormal();
        FWindow->changeZoom(1, 1, false);
    }
}

void TToolForm::MenuClick(QAction *item)
{
    changeToolDetail(TToolDetail(item->data().toInt()));
}

void TToolForm::MenuPopup(QMenu *menu)
{
    for (QAction *a : menu->actions())
        if (!a->isSeparator())
            a->setChecked(TToolDetail(a->data().toInt()) == FState.FToolMode);
}

TNumMngr *TToolForm::GetNumMngr(QObject *label) const
{
    if (label == FLblOptDens)
        return NumToolDens;
    if (label == FLblBrushSpace)
        return NumBrushSpace;
    for (size_t i = 0; i < 3; ++i)
        if (label == FLblBrushEfct[i])
            return NumBrushEfct[i];
    if (label == FLblNibRadius)
        return usesShapeImage() ? NumNibShpScl : NumNibRadius;
    if (label == FLblNibMinRad)
        return NumNibMinRad;
    if (label == FLblGradRep)
        return NumGradRep;
    return nullptr;
}

void TToolForm::LblBeginDrag(QObject *Sender, float &APosition)
{
    FDragLabel = nullptr;
    TNumMngr *m = GetNumMngr(Sender);
    if (!m || !gAppProfile || !gAppProfile->EnbLblDrag)
        return;
    FDragLabel = Sender;
    APosition = m->Position();
    if (Sender == FLblNibRadius && m == NumNibRadius)
        EdtNibRadiusInFilter(Sender, APosition);
}

void TToolForm::LblDrag(QObject *Sender, float APosition)
{
    if (Sender != FDragLabel)
        return;
    TNumMngr *m = GetNumMngr(Sender);
    if (!m)
        return;
    if (Sender == FLblNibRadius && m == NumNibRadius)
        EdtNibRadiusOutFilter(Sender, APosition);
    m->setPosition(APosition);
}

void TToolForm::LblEndDrag(QObject *Sender, float)
{
    if (Sender == FDragLabel)
        FDragLabel = nullptr;
}

void TToolForm::LblDblClick(QObject *Sender)
{
    TNumMngr *m = GetNumMngr(Sender);
    if (m && gAppProfile && gAppProfile->EnbLblDblClk)
        m->SetNumber(nullptr, m->ValueDefault());
}

void TToolForm::MenuPenNibClick(QAction *item)
{
    TPenNibListView &list = *FLstPenNib;
    const int selected = list.GetSelectIndex();
    const int count = list.GetItemCount();
    switch (item->data().toInt())
    {
    case 0: list.CreateItem(true); break;
    case 1: list.DuplicateItem(count, selected, true); break;
    case 2:
        if (showConfirm(presetDeleteQuestion(TPresetKind::PenNib),
                        kavrin::cbYes | kavrin::cbNo) == kavrin::mrYes)
            list.DeleteItem(selected, true);
        break;
    case 3: list.EditItemValue(selected); break;
    case 4: list.SetListType(lvIconM); break;
    case 5: list.SetListType(lvIconL); break;
    case 6: list.SetListType(lvListM); break;
    case 7: list.SetListType(lvListL); break;
    default: break; // the set files: their loading and saving belong to the preset files
    }
    list.SelectItem(list.GetSelectIndex(), true);
}
