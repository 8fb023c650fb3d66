#include "windows/presets/brush_editor.h"

#include "core/profile/app_profile.h"
#include "paint/brush/paint_param.h"
#include "paint/brush/stroke_param.h"
#include "paint/presets/pen_preset_managers.h"
#include "ui/dialogs/paint_box.h"
#include "ui/fields/path_label.h"
#include "ui/fields/tab_strip.h"
#include "ui/lists/pen_method_list_view.h"
#include "ui/lists/pen_nib_list_view.h"
#include "ui/lists/preset_previews.h"
#include "windows/presets/brush_frames.h"
#include "windows/presets/editor_layout.h"
#include "windows/presets/nib_editor_frame.h"
#include "windows/presets/preset_files.h"
#include "windows/shell_host.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>

#include <utility>

namespace {

using editor_layout::u8;

// The frames' place under the tab strip; the nib kinds stretch the nib frame up over the strip.
const QRect kFrameRect(240, 32, 352, 384);
const QRect kTabRect(240, 8, 352, 19);

// The editors' lists select and take drops, and never open an editor of their own.
const TListViewCommandTypes kListCommands{lvcSelect, lvcDrag, lvcDrop};

constexpr int kKept = 1; // the close button and Esc

// The parts of a method that a setting may fail to give.
bool methodCanHold(const TPaintParam &p)
{
    SPenRenderAttr attr;
    SStrokeParam stroke;
    SGradeMapParam map;
    return p.Write(attr) && p.Write(stroke) && p.Write(map);
}

} // namespace

TFormBrushEditor::TFormBrushEditor(QWidget *owner) : TFormPresetEditor(owner)
{
    setWindowTitle(u8("ブラシエディタ"));
    IToolForm &tool = mainForm().toolForm();
    FPenMtdMngr = tool.penMethodSet();
    FPenNibMngr = tool.penNibSet();
    const TPaintParam *current = tool.currentPaintParam();
    FPaintParam = current ? std::make_unique<TPaintParam>(*current)
                          : std::make_unique<TPaintParam>(TPaintMode::pmPencil5);

    FPreview = new TPenNibPreview(this);
    const QRect pr = BoxPreview->geometry();
    FPreview->SetBounds(pr.x(), pr.y(), pr.width(), pr.height());
    BoxTab = new TPaintBox(this);
    BoxTab->setGeometry(kTabRect);
    BoxTab->hide();
    GrpPenMtd = new TFramePenMtdEditor(this);
    GrpPenNib = new TFramePenNibEditor(this);
    GrpStrokeOpt = new TFrameStrokeOpt(this);
    for (QWidget *f : std::initializer_list<QWidget *>{GrpPenMtd, GrpPenNib, GrpStrokeOpt})
        f->setGeometry(kFrameRect);
    GrpPenNib->hide();

    connect(MenuSetRevert, &QAction::triggered, this, [this] { MenuSetLoadClick(MenuSetRevert); });
    connect(MenuSetAppend, &QAction::triggered, this, [this] { MenuSetLoadClick(MenuSetAppend); });
    connect(MenuSetOpen, &QAction::triggered, this, [this] { MenuSetLoadClick(MenuSetOpen); });
    connect(MenuSetSave, &QAction::triggered, this, [this] { MenuSetSaveClick(); });

    SetEditorType(TBrushEditorType::beEditPenMtd);
}

TFormBrushEditor::~TFormBrushEditor()
{
    FDestroying = true;
    FValueUpdate = true;
    dropList();
}

// ---- layout by kind

void TFormBrushEditor::SetEditorType(TBrushEditorType Value)
{
    // No procedure opens the create kinds, and they would build no list to apply to: they are
    // edited like the edit kinds.
    if (Value == TBrushEditorType::beCreatePenMtd)
        Value = TBrushEditorType::beEditPenMtd;
    else if (Value == TBrushEditorType::beCreatePenNib)
        Value = TBrushEditorType::beEditPenNib;
    if (Value == FEditorType)
        return;
    dropList();
    FEditorType = Value;
    if (nibType()) {
        layoutNibType();
        makePenNibList();
    } else {
        layoutBrushType();
        makePenMtdList();
    }
    UpdatePathLabel();
}

void TFormBrushEditor::dropList()
{
    delete std::exchange(FTab, nullptr);
    if (FPenMtdList) {
        FPenMtdList->OnChange = nullptr;
        FPenMtdList->Detach();
        delete std::exchange(FPenMtdList, nullptr);
    }
    if (FPenNibList) {
        FPenNibList->OnChange = nullptr;
        FPenNibList->Detach();
        delete std::exchange(FPenNibList, nullptr);
    }
}

void TFormBrushEditor::layoutNibType()
{
    setWindowTitle(u8("ペン先エディタ"));
    GrpPenMtd->hide();
    GrpStrokeOpt->hide();
    GrpPenMtd->OnChange = nullptr;
    GrpStrokeOpt->OnChange = nullptr;
    GrpPenNib->OnChange = [this](QObject *) { FrameChange(); };
    GrpPenNib->setGeometry(kFrameRect.adjusted(0, kTabRect.top() - kFrameRect.top(), 0, 0));
    GrpPenNib->show();
}

void TFormBrushEditor::layoutBrushType()
{
    setWindowTitle(u8("ブラシエディタ"));
    FTab = new TGraphicTabControl(this);
    FTab->SetBounds(kTabRect.x(), kTabRect.y(), kTabRect.width(), kTabRect.height());
    for (const char *caption : {"ブラシ設定", "ペン先設定", "ストロークオプション"})
        FTab->AddTab(u8(caption));
    FTab->OnChange = [this](QObject *) { TabChange(); };
    FTab->show();
    GrpPenNib->setGeometry(kFrameRect);
    for (TNotifyEvent *e : {&GrpPenMtd->OnChange, &GrpPenNib->OnChange, &GrpStrokeOpt->OnChange})
        *e = [this](QObject *) { FrameChange(); };
    TabChange();
}

void TFormBrushEditor::makePenMtdList()
{
    FPenMtdList = new TPenMethodListView(this);
    const QRect r = BoxListView->geometry();
    FPenMtdList->SetBounds(r.x(), r.y(), r.width(), r.height());
    FPenMtdList->SetListType(lvListS);
    FPenMtdList->SetSupportCommand(kListCommands);
    FPenMtdList->SetShowAll(true);
    FPenMtdList->Attach(FPenMtdMngr, nullptr, nullptr);
    FPenMtdList->OnChange = [this](QObject *) { PenMtdListChange(); };
    FPenMtdList->show();
    FPenMtdList->SelectItem(FPenMtdList->SelectIndex(), true);
}

void TFormBrushEditor::makePenNibList()
{
    FPenNibList = new TPenNibListView(this);
    const QRect r = BoxListView->geometry();
    FPenNibList->SetBounds(r.x(), r.y(), r.width(), r.height());
    FPenNibList->SetUseAlias(false);
    FPenNibList->SetListType(lvListM);
    FPenNibList->SetSupportCommand(kListCommands);
    FPenNibList->Attach(FPenNibMngr);
    // The alias is the current brush's nib; hidden here, it is what the list falls back on.
    if (const CPenMethodObj *m = FPenMtdMngr ? FPenMtdMngr->getCurObj() : nullptr;
        m && m->shapeObj)
        FPenNibList->SetAlias(*m->shapeObj, false);
    FPenNibList->OnChange = [this](QObject *) { PenNibListChange(); };
    FPenNibList->show();
    FPenNibList->SelectItem(FPenNibList->SelectIndex(), true);
}

void TFormBrushEditor::TabChange()
{
    if (!FTab)
        return;
    const int t = FTab->ActiveIndex();
    GrpPenMtd->setVisible(t == 0);
    GrpPenNib->setVisible(t == 1);
    GrpStrokeOpt->setVisible(t == 2);
}

// ---- the preset editor's slots

TqZListView *TFormBrushEditor::ListView() const
{
    if (nibType())
        return FPenNibList;
    return FPenMtdList;
}

namespace {

int32_t *listTypeEntry(bool nib)
{
    if (!gAppProfile)
        return nullptr;
    return nib ? &gAppProfile->EdtPenNibListType : &gAppProfile->EdtBrushListType;
}

} // namespace

void TFormBrushEditor::LoadListSettings()
{
    TqZListView *l = ListView();
    const int32_t *stored = listTypeEntry(nibType());
    if (l && stored && *stored >= 0 && *stored < kListViewTypeCount &&
        l->SupportType().contains(TListViewType(*stored)))
        l->SetListType(TListViewType(*stored));
}

void TFormBrushEditor::SaveListSettings()
{
    TqZListView *l = ListView();
    if (int32_t *stored = listTypeEntry(nibType()); l && stored)
        *stored = l->ListType();
}

QString TFormBrushEditor::Path() const
{
    if (nibType())
        return FPenNibMngr ? FPenNibMngr->LastPath() : QString();
    return FPenMtdMngr ? FPenMtdMngr->LastPath() : QString();
}

void TFormBrushEditor::UpdatePathLabel()
{
    LblPath->setPath(Path());
    if (nibType())
        LblPath->setModified(FPenNibMngr && FPenNibMngr->Modified());
    else
        LblPath->setModified(FPenMtdMngr && FPenMtdMngr->Modified());
}

// ---- the list and the frames

bool TFormBrushEditor::brushFrameHolds() const
{
    return !isLegacyPaintLevel(FPaintParam->PaintLevel());
}

void TFormBrushEditor::updatePreview()
{
    FPreview->SetShapeImageParam(FPaintParam->GetShapeImageParam());
}

void TFormBrushEditor::PenMtdListChange()
{
    if (FValueUpdate || FDestroying || !FPenMtdList)
        return;
    FValueUpdate = true;
    FPaintParam->Read(FPenMtdList->AliasRef());
    // A brush of the older engines has no mode in the brush frame: the frame is locked so that
    // the last brush's mode and name shown there are never written over this one.
    GrpPenMtd->setEnabled(brushFrameHolds());
    GrpPenMtd->SetPaintParam(FPaintParam.get());
    const bool typeFree = FPenMtdList->CanDeleteItem(FPenMtdList->SelectIndex());
    GrpPenMtd->PM4CmbType->setEnabled(typeFree);
    GrpPenMtd->PM5CmbType->setEnabled(typeFree);
    GrpPenNib->SetPaintParam(FPaintParam.get());
    updatePreview();
    GrpStrokeOpt->SetPaintParam(FPaintParam.get());
    GrpStrokeOpt->SetControlEnabled(FPaintParam->PaintLevel() == TPaintLevel::pl5);
    ButtonOK->setEnabled(false);
    FValueUpdate = false;
}

void TFormBrushEditor::PenNibListChange()
{
    if (FValueUpdate || FDestroying || !FPenNibList)
        return;
    FValueUpdate = true;
    FPaintParam->Read(FPenNibList->GetItemRef(FPenNibList->SelectIndex()));
    GrpPenNib->SetPaintParam(FPaintParam.get());
    updatePreview();
    ButtonOK->setEnabled(false);
    FValueUpdate = false;
}

void TFormBrushEditor::FrameChange()
{
    if (FValueUpdate || FDestroying)
        return;
    TPaintParam *p = FPaintParam.get();
    if (nibType()) {
        GrpPenNib->GetPaintParam(p);
    } else {
        // The brush frame resets the working copy to its mode's defaults first.
        if (brushFrameHolds())
            GrpPenMtd->GetPaintParam(p);
        GrpPenNib->GetPaintParam(p);
        if (p->PaintLevel() == TPaintLevel::pl5)
            GrpStrokeOpt->GetPaintParam(p);
    }
    updatePreview();
    ButtonOK->setEnabled(true);
}

// ---- apply

void TFormBrushEditor::ButtonOKClick()
{
    TFormPresetEditor::ButtonOKClick();
    bool written = false;
    if (nibType()) {
        CPenShapeObj *nib = FPenNibList ? FPenNibList->GetItemRef(FPenNibList->SelectIndex())
                                        : nullptr;
        written = nib && FPaintParam->Write(nib);
        if (written)
            FPenNibMngr->setModified(true);
        if (FPenNibList)
            FPenNibList->UpdateDisplayPosition(true);
        LblPath->setModified(FPenNibMngr && FPenNibMngr->Modified());
    } else if (FPenMtdList) {
        // A setting a method cannot hold (a curve with no stored form) is refused before the
        // list writes it, so that a failed write neither changes the brush nor marks the set.
        // The older engines' slots take any setting.
        const bool legacy = isLegacyPaintLevel(FPenMtdList->PaintLevel());
        const CPenMethodObj *method = FPenMtdList->GetPenMtdObjRef(FPenMtdList->SelectIndex());
        written = legacy || (method && method->shapeObj && methodCanHold(*FPaintParam));
        if (written) {
            FValueUpdate = true; // the list reports the save as a change: nothing to reload
            FPenMtdList->AliasRef().Read(*FPaintParam);
            FPenMtdList->SaveAlias();
            FValueUpdate = false;
        }
        FPenMtdList->UpdateDisplayPosition(true);
        LblPath->setModified(FPenMtdMngr && FPenMtdMngr->Modified());
    }
    // What could not be written stays to be applied.
    ButtonOK->setEnabled(!written);
}

// ---- the set menu

void TFormBrushEditor::MenuSetLoadClick(QAction *Sender)
{
    const TSetMenuLoad how = setMenuLoadOf(Sender);
    if (nibType())
        loadPresetSetFromMenu(TPresetKind::PenNib, FPenNibMngr, ListView(), how);
    else
        loadPresetSetFromMenu(TPresetKind::PenMethod, FPenMtdMngr, ListView(), how);
    UpdatePathLabel();
}

void TFormBrushEditor::MenuSetSaveClick()
{
    if (nibType())
        savePresetSet(TPresetKind::PenNib, FPenNibMngr);
    else
        savePresetSet(TPresetKind::PenMethod, FPenMtdMngr);
    UpdatePathLabel();
}

// ---- the open procedures

namespace {

bool runBrushEditor(TBrushEditorType type)
{
    IToolForm &tool = mainForm().toolForm();
    if (isNibEditorType(type) ? !tool.penNibSet() : !tool.penMethodSet())
        return false;
    TFormBrushEditor dlg;
    dlg.SetEditorType(type);
    return dlg.ShowModal() == kKept;
}

} // namespace

bool showPenMethodEditor()
{
    return runBrushEditor(TBrushEditorType::beEditPenMtd);
}

bool showPenNibEditor()
{
    return runBrushEditor(TBrushEditorType::beEditPenNib);
}

bool duplicateAndEditPenMethod(TPenMethodListView &AView)
{
    if (!mainForm().toolForm().penMethodSet())
        return false;
    AView.DuplicateItem(AView.ItemCount(), AView.SelectIndex(), true);
    return showPenMethodEditor();
}

bool duplicateAndEditPenNib(TPenNibListView &AView)
{
    if (!mainForm().toolForm().penNibSet())
        return false;
    AView.DuplicateItem(AView.ItemCount(), AView.SelectIndex(), true);
    return showPenNibEditor();
}
