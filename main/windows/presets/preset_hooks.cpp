#include "windows/presets/preset_hooks.h"

#include "ui/lists/list_hooks.h"
#include "ui/lists/pen_nib_list_view.h"
#include "windows/presets/brush_editor.h"
#include "windows/presets/gradient_editor.h"
#include "windows/presets/preset_popup.h"
#include "windows/presets/tone_editor.h"

void installPresetHooks()
{
    TListViewHooks &h = listViewHooks();
    h.createPenMethodPopup = [](TPenMethodListView &v, CPenMethodMngr *m) -> IListPopup * {
        return createPenMethodPopup(v, m);
    };
    h.createPenNibPopup = [](TPenNibListView &v, CPenShapeMngr *m, CPenShapeObj *alias,
                             int index) -> IListPopup * {
        return createPenNibPopup(&v, m, alias, index);
    };
    h.createSwatchPopup = [](TSwatchListView &v, TSwatchMngr *m) -> IListPopup * {
        return createSwatchPopup(v, m);
    };
    h.createGradientPopup = [](TGradientListView &v, CGradMngr *m) -> IListPopup * {
        return createGradientPopup(v, m);
    };
    h.createTonePopup = [](TToneListView &v, CToneMngr *m) -> IListPopup * {
        return createTonePopup(v, m);
    };
    h.freePenMethodPopup = freePresetPopup;
    h.freePenNibPopup = freePresetPopup;
    h.freeSwatchPopup = freePresetPopup;
    h.freeGradientPopup = freePresetPopup;
    h.freeTonePopup = freePresetPopup;

    // The editors edit the tool window's sets, whichever view opened them.
    h.duplicateAndEditPenMethod = [](TPenMethodListView &v) { return duplicateAndEditPenMethod(v); };
    h.showPenMethodEditor = [](TPenMethodListView &) { return showPenMethodEditor(); };
    h.duplicateAndEditPenNib = [](TPenNibListView &v) { return duplicateAndEditPenNib(v); };
    h.showPenNibEditor = [](TPenNibListView &) { return showPenNibEditor(); };
    h.duplicateAndEditTone = [](TToneListView &v) { return duplicateAndEditTone(v); };
    h.showToneEditor = [](TToneListView &) { return showToneEditor(); };
    h.duplicateAndEditGradient = [](TGradientListView &v) { return duplicateAndEditGradient(v); };
    h.showGradientEditor = [](TGradientListView &) { return showGradientEditor(); };
}
