// What the preset list views need of the windows above them: the drop-down preset popups and the
// preset editors. The windows install the entries at start-up; a view whose entry is empty answers
// False where it would have opened a popup or an editor.
#pragma once

#include <functional>

class QWidget;
class TPopupBaseForm;
class TqZListView;
class TSwatchListView;
class TGradientListView;
class TToneListView;
class TPenMethodListView;
class TPenNibListView;
class TSwatchMngr;
class CGradMngr;
class CToneMngr;
class CPenMethodMngr;
class CPenShapeMngr;
class CPenShapeObj;

// A drop-down preset popup as its owning list view sees it.
class IListPopup
{
  public:
    virtual ~IListPopup() = default;
    // The popup window (its PopupResult tells how it ended).
    virtual TPopupBaseForm *Form() = 0;
    // The list inside the popup, over the same collection as the owner.
    virtual TqZListView *ListView() = 0;
    // The selected index when the popup was made.
    virtual int OldIndex() const = 0;
    // Refill the popup's attribute strip from its list (gradient and tone popups).
    virtual void ReadGradAttr() {}
    virtual void ReadToneAttr() {}
};

struct TListViewHooks
{
    // Popup factories: nullptr when no popup can be made. The release functions may be called
    // from the popup's own close notification, so they free it later (deleteLater).
    std::function<IListPopup *(TSwatchListView &view, TSwatchMngr *manager)> createSwatchPopup;
    std::function<void(IListPopup *popup)> freeSwatchPopup;
    std::function<IListPopup *(TGradientListView &view, CGradMngr *manager)> createGradientPopup;
    std::function<void(IListPopup *popup)> freeGradientPopup;
    std::function<IListPopup *(TToneListView &view, CToneMngr *manager)> createTonePopup;
    std::function<void(IListPopup *popup)> freeTonePopup;
    std::function<IListPopup *(TPenMethodListView &view, CPenMethodMngr *manager)> createPenMethodPopup;
    std::function<void(IListPopup *popup)> freePenMethodPopup;
    std::function<IListPopup *(TPenNibListView &view, CPenShapeMngr *manager, CPenShapeObj *alias,
                               int index)>
        createPenNibPopup;
    std::function<void(IListPopup *popup)> freePenNibPopup;

    // Preset editors over the view's collection: the "duplicate and edit" ones make a new item
    // from the selected one, the "show" ones edit the selected item. True when the user kept it.
    std::function<bool(TGradientListView &view)> duplicateAndEditGradient;
    std::function<bool(TGradientListView &view)> showGradientEditor;
    std::function<bool(TToneListView &view)> duplicateAndEditTone;
    std::function<bool(TToneListView &view)> showToneEditor;
    std::function<bool(TPenMethodListView &view)> duplicateAndEditPenMethod;
    std::function<bool(TPenMethodListView &view)> showPenMethodEditor;
    std::function<bool(TPenNibListView &view)> duplicateAndEditPenNib;
    std::function<bool(TPenNibListView &view)> showPenNibEditor;
};

// The one table of the program.
TListViewHooks &listViewHooks();
