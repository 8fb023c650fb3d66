// The brush editor: the preset editor over the tool window's brush set or nib set, editing one
// item at a time on a working copy of the brush settings. For brushes it shows the brush list
// and three tabs (brush settings, nib, stroke options); for nibs the nib list and the nib frame
// alone. Apply writes the working copy into the selected item and marks the set modified;
// choosing another item drops unapplied edits without asking.
#pragma once

#include "windows/presets/editor_models.h"
#include "windows/presets/preset_editor_base.h"

#include <memory>

class QAction;
class TFramePenMtdEditor;
class TFramePenNibEditor;
class TFrameStrokeOpt;
class TGraphicTabControl;
class TPaintParam;
class TPenMethodListView;
class TPenNibListView;
class TPenNibPreview;
class CPenMethodMngr;
class CPenShapeMngr;

class TFormBrushEditor : public TFormPresetEditor
{
  public:
    explicit TFormBrushEditor(QWidget *owner = nullptr);
    ~TFormBrushEditor() override;

    TBrushEditorType EditorType() const { return FEditorType; }
    // Lays the dialog out for a kind and loads the selected item (nothing when unchanged).
    void SetEditorType(TBrushEditorType Value);

    void LoadListSettings() override;
    void SaveListSettings() override;
    TqZListView *ListView() const override;
    void UpdatePathLabel() override;
    QString Path() const override;
    void ButtonOKClick() override;

    // Revert (sender MenuSetRevert), append (MenuSetAppend) or replace (MenuSetOpen) the set.
    void MenuSetLoadClick(QAction *Sender);
    void MenuSetSaveClick();

    void PenMtdListChange();
    void PenNibListChange();
    void FrameChange();
    void TabChange();

    const TPaintParam &PaintParam() const { return *FPaintParam; }
    TPenMethodListView *PenMtdList() const { return FPenMtdList; }
    TPenNibListView *PenNibList() const { return FPenNibList; }
    TGraphicTabControl *Tab() const { return FTab; }
    TPenNibPreview *Preview() const { return FPreview; }

    TPaintBox *BoxTab = nullptr;
    TFramePenMtdEditor *GrpPenMtd = nullptr;
    TFramePenNibEditor *GrpPenNib = nullptr;
    TFrameStrokeOpt *GrpStrokeOpt = nullptr;

  private:
    bool nibType() const { return isNibEditorType(FEditorType); }
    void dropList();
    void layoutNibType();
    void layoutBrushType();
    void makePenMtdList();
    void makePenNibList();
    void updatePreview();
    // The brush frame holds brushes of the version-4 and version-5 engines only.
    bool brushFrameHolds() const;

    CPenMethodMngr *FPenMtdMngr = nullptr;
    CPenShapeMngr *FPenNibMngr = nullptr;
    TPenMethodListView *FPenMtdList = nullptr;
    TPenNibListView *FPenNibList = nullptr;
    std::unique_ptr<TPaintParam> FPaintParam;
    TPenNibPreview *FPreview = nullptr;
    TGraphicTabControl *FTab = nullptr;
    TBrushEditorType FEditorType = TBrushEditorType(0xFF);
    bool FValueUpdate = false;
    bool FDestroying = false;
};

// Edit the tool window's brush set (nib set) at its selected item; True when the dialog was
// closed with its close button or Esc. False without a dialog when the set is missing.
bool showPenMethodEditor();
bool showPenNibEditor();
// A copy of the view's selected item at the end of its list, then the editor on it; the
// editor's answer. False, and no copy, when the tool window's set is missing.
bool duplicateAndEditPenMethod(TPenMethodListView &AView);
bool duplicateAndEditPenNib(TPenNibListView &AView);
