// The keys the main window routes to the tool window once its own shortcuts and the document
// window's accelerators have passed on them.
#include "windows/toolform/tool_form.h"

#include <QPushButton>
#include "ui/lists/pen_nib_list_view.h"
#include "ui/fields/popup_sliders.h"
#include "ui/graphics/glyph_manager.h"
#include "ui/fields/edit_boxes.h"

#include "core/profile/app_profile.h"
#include "document/edit/layer_group_ops.h"
#include "document/paper/paper.h"
#include "ui/controls/item_picker.h"
#include "ui/fields/num_mngr.h"
#include "ui/lists/gradient_list_view.h"
#include "ui/lists/layer_list_views.h"
#include "ui/lists/pen_method_list_view.h"
#include "windows/docwin/draw_window.h"

#include <algorithm>

namespace {

constexpr uint32_t kVkTab = 9;

bool isLetter(uint32_t vk)
{
    return vk >= 'A' && vk <= 'Z';
}

bool isDigit(uint32_t vk)
{
    return vk >= '0' && vk <= '9';
}

// Steps a drop-down list by one item; false when it is not shown.
bool stepList(TqZListView *list, QWidget *view, int step)
{
    if (!list || list->isHidden() || !list->isVisibleTo(view))
        return false;
    list->SelectItem(list->GetSelectIndex() + step, true);
    return true;
}

} // namespace

bool TToolForm::ProcessKey(uint32_t vk, Qt::KeyboardModifiers shift)
{
    const bool ctrl = shift.testFlag(Qt::ControlModifier);
    const bool alt = shift.testFlag(Qt::AltModifier);
    const bool sh = shift.testFlag(Qt::ShiftModifier);
    if ((isLetter(vk) && ctrl) || (alt && (isLetter(vk) || isDigit(vk))) || freeTransformRunning())
        return false;
    if (vk == kVkTab)
    {
        if (ctrl)
            return false;
        FPalMngr.setMinimized(!FPalMngr.Minimized());
        return true;
    }
    if (FIsPlay)
    {
        static constexpr int32_t kWaits[] = {0, 1, 4, 8, 16, 32};
        if (vk < '0' || vk > '5')
            return false;
        if (gAppProfile)
            gAppProfile->eventWait = kWaits[vk - '0'];
        return true;
    }

    const IMainForm &main = mainForm();
    const bool findNextProfile = gAppProfile && gAppProfile->ToolFindNext;
    int32_t command = 0;
    if (!main.getCommandFromKey(vk, sh, command, alt, ctrl) &&
        !(sh && !findNextProfile && main.getCommandFromKey(vk, false, command, alt, ctrl)))
        return false;
    const bool findNext = findNextProfile || sh;

    const SToolKeyCommand c = toolKeyCommand(command);
    switch (c.action)
    {
    case TToolKeyAction::None:
        return false;
    case TToolKeyAction::SelectTool: {
        // A button whose menu is open picks from the menu, not by stepping.
        TqZGlyphButton *b = FToolButtons[size_t(c.kind)];
        selectToolByKey(vk, c.kind, findNext && !b->Popup());
        return true;
    }
    case TToolKeyAction::ExchangeColors:
        ExChangeColors();
        return true;
    case TToolKeyAction::ToolDensity:
        NumToolDens->SetNumber(nullptr, float(c.value));
        return true;
    case TToolKeyAction::BrushStep:
        return stepList(FDrpPenMtd, FOptionView, c.value) ||
               stepList(FDrpGrad, FOptionView, c.value);
    case TToolKeyAction::NibSizeNext:
        return SetPenNibSizeNext(sh);
    case TToolKeyAction::NibSizePrev:
        return SetPenNibSizePrev(sh);
    case TToolKeyAction::LayerUp:
        if (FWindow && FWindow->paper)
        {
            const int sel = FLstLyr->GetSelectIndex();
            FLstLyr->MoveItem(sel + getLayerGroupCount(*FWindow->paper, sel) + 1, sel, true);
        }
        return true;
    case TToolKeyAction::LayerDown:
        if (FWindow && FWindow->paper)
        {
            const int sel = FLstLyr->GetSelectIndex();
            FLstLyr->MoveItem(std::max(sel - 1, 0), sel, true);
        }
        return true;
    case TToolKeyAction::SelectLayerAbove:
        if (FWindow)
            FLstLyr->SelectNextVisible();
        return true;
    case TToolKeyAction::SelectLayerBelow:
        if (FWindow)
            FLstLyr->SelectPreviousVisible();
        return true;
    }
    return false;
}
