#include "app/shortcuts/shortcut_setup_model.h"

#include "platform/desktop/keys.h"
#include "platform/desktop/messages.h"

#include <algorithm>

using enum TShortCutMainType;
using enum TShortCutSubType;
using enum TShortCutErrorType;

QStringList CShortCutSetupModel::menuCategoryNames()
{
    QStringList names;
    for (int t = int(sbFile); t <= int(sbHelp); ++t)
        names << shortCutSubTypeName(TShortCutSubType(t));
    return names;
}

int CShortCutSetupModel::rowEntry() const
{
    return FRow >= 0 && FRow < int(FRows.size()) ? FRows[size_t(FRow)].entry : -1;
}

QString CShortCutSetupModel::entryKeyText(int entry) const
{
    const CShortCutObj *o = FShortCutMngrEdit.getObj(entry);
    return o && !o->FDeleteFlag ? FShortCutMngrEdit.getKeyString(entry) : QString();
}

int CShortCutSetupModel::bindingSource() const
{
    const int entry = rowEntry();
    return entry >= 0 ? entry : (FState & stInsert ? FInsertKeyIdx : -1);
}

// ---- handlers

void CShortCutSetupModel::FormCreate(const CShortCutMngr &table)
{
    FShortCutMngrEdit.shortCutPath = table.shortCutPath;
    table.makeViewList(FShortCutMngrEdit);
    FMainType = smMenu;
    FSubType = sbFile;
    restart();
    // Until a row is clicked nothing can be confirmed, added or deleted.
    btnDecisionEnabled = btnCancel1Enabled = btnAddEnabled = btnDeleteEnabled = false;
}

void CShortCutSetupModel::TreeViewClick(const QString &nodeText)
{
    FSubType = sbFile; // a node that is no category
    if (nodeText == toolRootName()) {
        FMainType = smTool;
    } else if (nodeText == etcRootName()) {
        FMainType = smEtc;
    } else {
        FMainType = smMenu;
        const QStringList categories = menuCategoryNames();
        if (const qsizetype i = categories.indexOf(nodeText); i >= 0)
            FSubType = TShortCutSubType(int(sbFile) + int(i));
    }
    restart();
}

void CShortCutSetupModel::restart()
{
    FState = stViewOk;
    FErrType = seNone;
    showMessage(QString());
    clearModifiers();
    FEditText.clear();
    FRow = FOldRow = 0;
    fillList();
    if (FMainType == smTool)
        if (const CShortCutObj *o = FShortCutMngrEdit.getObj(rowEntry()))
            FSubType = o->FSubType;
    updateButtons();
}

void CShortCutSetupModel::valueListEditorClick(int row)
{
    if (row < 0 || row >= int(FRows.size()))
        return;
    if (row == FRow) {
        updateButtons();
        return;
    }
    showMessage(QString());
    // A row left with a changed key shows its binding again.
    if (FRow < int(FRows.size()) && FRows[size_t(FRow)].keyText != FOldEditText)
        FRows[size_t(FRow)].keyText = entryKeyText(FRows[size_t(FRow)].entry);
    FRow = FOldRow = row;
    FOldEditText = FRows[size_t(row)].keyText;
    if (FMainType == smTool)
        if (const CShortCutObj *o = FShortCutMngrEdit.getObj(rowEntry()))
            FSubType = o->FSubType;
    if (FState & (stOtherRow | stInsert)) {
        // A pending new row is dropped; the clicked binding stays selected.
        FState &= ~TShortCutStates(stOtherRow | stInsert);
        refill(rowEntry(), row);
    }
    // A key entered on the row left behind is no longer pending.
    FState &= ~TShortCutStates(stEdit | stDelete | stDuplication);
    FState |= stViewOk;
    FErrType = seNone;
    FEditing = false;
    clearModifiers();
    updateButtons();
}

void CShortCutSetupModel::valueListEditorExit()
{
    if (!(FState & stEdit) || FRow >= int(FRows.size()))
        return;
    FRows[size_t(FRow)].keyText = FOldEditText;
    updateButtons();
}

void CShortCutSetupModel::valueListEditorKeyDown(int key, bool shift, bool ctrl, bool alt)
{
    if (FRow < 0 || FRow >= int(FRows.size()))
        return;
    FEditing = true;
    showMessage(QString());
    btnDupVisible = false;
    FEditText.clear();
    FState &= ~TShortCutStates(stViewOk);
    FPressShift = shift;
    FPressCtrl = ctrl;
    FPressAlt = alt;

    // The binding the key would make. Its command is the row's binding's own: names repeat
    // between menus (左右反転 is an image, a layer and a filter command).
    CShortCutObj test;
    if (const CShortCutObj *src = FShortCutMngrEdit.getObj(bindingSource())) {
        test.FMainType = src->FMainType;
        test.FSubType = src->FSubType;
        test.FCommand = src->FCommand;
    } else {
        test.FMainType = FMainType;
        test.FSubType = FSubType;
    }
    test.FKey = uint16_t(key);
    test.FShift = shift;
    test.FCtrl = ctrl;
    test.FAlt = alt;
    int dupIdx = 0;
    FErrType = FShortCutMngrEdit.checkError(test, rowEntry(), dupIdx, !(FState & stInsert));
    const QString text = CShortCutMngr::getShortCutText(key, shift, ctrl, alt);
    // The row's own key pressed again is no conflict.
    if (FErrType == seSameGroup && text == FOldEditText)
        FErrType = seNone;

    SShortCutRow &r = FRows[size_t(FRow)];
    if (FErrType != seNone) {
        if (FErrType == seFixed)
            FEditing = false;
        else
            r.keyText = text;
        showMessage(FShortCutMngrEdit.getErrorString(key, shift, ctrl, alt, FErrType, dupIdx));
    } else {
        if (key == VK_RETURN) {
            FEditText = r.keyText;
        } else {
            r.keyText = text;
            FSetKey = uint16_t(key);
            FShift = shift;
            FCtrl = ctrl;
            FAlt = alt;
            FEditText = text;
        }
        FState |= stViewOk;
        switch (key) {
        case VK_RETURN:
            // Enter confirms a change; on a row that shows what it holds there is none.
            if (r.keyText == FOldEditText && !(FState & stDuplication)) {
                FEditing = false;
                break;
            }
            FState |= stEdit;
            if (r.keyText.isEmpty()) {
                FDeleteIdx = r.entry;
                FState |= stDelete;
                FState &= ~TShortCutStates(stInsert);
            }
            if (FState & stDuplication)
                confirmWithoutDuplicate();
            else
                confirmEdit();
            break;
        case VK_SHIFT:
        case VK_CONTROL:
        case VK_MENU:
            FState &= ~TShortCutStates(stViewOk); // released alone, the cell empties
            break;
        case VK_ESCAPE:
            r.keyText = FOldEditText;
            FState &= ~TShortCutStates(stEdit);
            FEditing = false;
            break;
        default:
            FState |= stEdit;
            break;
        }
    }
    if (FErrType == seDuplication) {
        btnDupVisible = true;
        FDupIdx = dupIdx;
        FSetKey = uint16_t(key);
        FShift = shift;
        FCtrl = ctrl;
        FAlt = alt;
        FEditText = text;
        FState |= stViewOk | stDuplication;
    }
    if (FErrType == seNone)
        FState &= ~TShortCutStates(stDuplication);
    FState.setFlag(stOtherRow, FRow < int(FRows.size()) && FRows[size_t(FRow)].name.isEmpty());
}

void CShortCutSetupModel::valueListEditorKeyUp()
{
    if (FRow < 0 || FRow >= int(FRows.size()))
        return;
    if (!(FState & stViewOk) && FErrType != seFixed)
        FRows[size_t(FRow)].keyText.clear();
    updateButtons();
}

void CShortCutSetupModel::btnDecisionClick()
{
    if (FRow < 0 || FRow >= int(FRows.size()))
        return;
    SShortCutRow &r = FRows[size_t(FRow)];
    if (!(FState & stEdit) && r.keyText.isEmpty() && r.keyText != FOldEditText) {
        // The cell was emptied (a modifier or a refused key released): confirming removes the
        // binding, as Enter does.
        FDeleteIdx = r.entry;
        FState |= stEdit | stDelete;
        FState &= ~TShortCutStates(stInsert);
    } else {
        r.keyText = FEditText;
    }
    confirmEdit();
}

void CShortCutSetupModel::btnCancel1Click()
{
    if (FRow < 0 || FRow >= int(FRows.size()))
        return;
    FRows[size_t(FRow)].keyText = FOldEditText;
    FState &= ~TShortCutStates(stEdit);
    updateButtons();
}

void CShortCutSetupModel::btnAddClick()
{
    const int entry = rowEntry();
    if (entry < 0)
        return;
    FInsertKeyIdx = entry;
    FInsertIdx = entry + 1;
    FRows.insert(FRows.begin() + FRow + 1, SShortCutRow{});
    FRow = FOldRow = FRow + 1;
    FOldEditText.clear();
    FState |= stInsert;
    FState.setFlag(stOtherRow);
    showMessage(QString());
    FErrType = seNone;
    clearModifiers();
    updateButtons();
}

void CShortCutSetupModel::btnDeleteClick()
{
    if (FRow < 0 || FRow >= int(FRows.size()))
        return;
    FState |= stDelete;
    FDeleteIdx = rowEntry();
    confirmDelete();
}

void CShortCutSetupModel::confirmDelete()
{
    clearModifiers();
    confirmEdit();
    FState &= ~TShortCutStates(stInsert | stDelete | stEdit);
}

void CShortCutSetupModel::btnDupClick()
{
    showMessage(QString());
    confirmWithoutDuplicate();
}

void CShortCutSetupModel::confirmWithoutDuplicate()
{
    if (FRow < 0 || FRow >= int(FRows.size()))
        return;
    FRows[size_t(FRow)].keyText = FEditText;
    if (const CShortCutObj *dup = FShortCutMngrEdit.getObj(FDupIdx)) {
        const CShortCutObj keys = *dup;
        for (int i = 0; i < FShortCutMngrEdit.count(); ++i)
            if (FShortCutMngrEdit.checkSameObj(i, keys))
                FShortCutMngrEdit.setDeleteFlag(i, true);
    }
    FErrType = seNone;
    if (FState & stInsert) {
        FDeleteIdx = FDupIdx >= FInsertIdx ? FDupIdx + 1 : FDupIdx;
    } else {
        FState |= stEdit;
        FDeleteIdx = FDupIdx;
    }
    confirmEdit();
    FState &= ~TShortCutStates(stDuplication);
    updateButtons();
}

void CShortCutSetupModel::confirmEdit()
{
    if (FRow < 0 || FRow >= int(FRows.size()))
        return;
    const SShortCutRow r = FRows[size_t(FRow)];
    if (r.name.isEmpty() && r.keyText.isEmpty() && !(FState & stDelete)) {
        // A new row left without a key adds nothing.
        if (FState & stInsert) {
            FState &= ~TShortCutStates(stInsert | stEdit);
            refill(FInsertKeyIdx, FRow - 1);
            updateButtons();
        }
        return;
    }
    int keepEntry = r.entry, keepRow = FRow;
    if ((FState & stInsert) && FSetKey != 0 && FErrType == seNone) {
        const CShortCutObj *src = FShortCutMngrEdit.getObj(FInsertKeyIdx);
        if (src &&
            FShortCutMngrEdit.setData(FInsertIdx, src->FMainType, src->FSubType, src->FCommand,
                                      FSetKey, FShift, FCtrl, FAlt, false) >= 0)
            keepEntry = FInsertIdx;
        clearModifiers();
        FState &= ~TShortCutStates(stInsert);
    } else if (FState & stDelete) {
        FShortCutMngrEdit.setDeleteFlag(FDeleteIdx, true);
        FState &= ~TShortCutStates(stDelete | stDuplication);
        keepEntry = -1; // the row's place stays selected; the next binding moves up into it
    } else if ((FState & stEdit) && FErrType == seNone && FSetKey != 0) {
        FShortCutMngrEdit.setKey(r.entry, FSetKey, FShift, FCtrl, FAlt);
    }
    FState &= ~TShortCutStates(stEdit);
    // The list shows what the working copy now holds, and nothing it does not.
    refill(keepEntry, keepRow);
    updateButtons();
}

void CShortCutSetupModel::btnOkClick(CShortCutMngr &table)
{
    confirmEdit();
    table.copyAll(FShortCutMngrEdit, true);
}

void CShortCutSetupModel::btnInitClick()
{
    if (showConfirm(QStringLiteral("ショートカット設定を初期化しますか?"),
                    kavrin::cbYes | kavrin::cbNo) != kavrin::mrYes)
        return;
    CShortCutMngr defaults;
    defaults.initShortCutAll();
    defaults.makeViewList(FShortCutMngrEdit);
    restart();
}

void CShortCutSetupModel::btnImportClick()
{
    CShortCutMngr imported;
    imported.shortCutPath = FShortCutMngrEdit.shortCutPath;
    if (imported.doImport(imported)) {
        imported.makeViewList(FShortCutMngrEdit);
        restart();
    }
    FOldRow = 0;
}

void CShortCutSetupModel::btnExportClick()
{
    FShortCutMngrEdit.doExport();
}

// ---- helpers

bool CShortCutSetupModel::getListRange(int &first, int &last) const
{
    first = last = -1;
    for (int i = 0; i < FShortCutMngrEdit.count(); ++i) {
        const CShortCutObj &o = *FShortCutMngrEdit.getObj(i);
        const bool inRange = FMainType == smMenu ? o.FMainType == smMenu && o.FSubType == FSubType
                                                 : o.FMainType == FMainType;
        if (!inRange)
            continue;
        if (first < 0)
            first = i;
        last = i;
    }
    return first >= 0;
}

void CShortCutSetupModel::fillList()
{
    FRows.clear();
    int first = 0, last = -1;
    getListRange(first, last);
    FListHeadIndex = std::max(first, 0);
    // Each command's entries stand together: its first unmarked binding shows the name, the
    // further ones none; a command whose bindings are all marked shows its name with no key.
    for (int i = first; i >= 0 && i <= last;) {
        const CShortCutObj &head = *FShortCutMngrEdit.getObj(i);
        const QString name = FShortCutMngrEdit.getCommandString(head.FMainType, head.FSubType, i);
        int j = i;
        bool shown = false;
        for (; j <= last && FShortCutMngrEdit.getCommand(j) == head.FCommand; ++j) {
            if (FShortCutMngrEdit.getObj(j)->FDeleteFlag)
                continue;
            FRows.push_back({shown ? QString() : name, FShortCutMngrEdit.getKeyString(j), j});
            shown = true;
        }
        if (!shown)
            FRows.push_back({name, QString(), i});
        i = j;
    }
    FOldEditText = FRows.empty() ? QString() : FRows.front().keyText;
    FEditing = false;
}

void CShortCutSetupModel::refill(int entry, int row)
{
    fillList();
    const auto it = std::find_if(FRows.begin(), FRows.end(),
                                 [entry](const SShortCutRow &r) { return r.entry == entry; });
    if (entry >= 0 && it != FRows.end())
        FRow = int(it - FRows.begin());
    else
        FRow = std::clamp(row, 0, std::max(int(FRows.size()) - 1, 0));
    FOldRow = FRow;
    FOldEditText = FRows.empty() ? QString() : FRows[size_t(FRow)].keyText;
    FState.setFlag(stOtherRow, !FRows.empty() && FRows[size_t(FRow)].name.isEmpty());
}

void CShortCutSetupModel::updateButtons()
{
    if (FRow < 0 || FRow >= int(FRows.size())) {
        btnDecisionEnabled = btnCancel1Enabled = btnAddEnabled = btnDeleteEnabled = false;
        btnDupVisible = false;
        return;
    }
    const QString &text = FRows[size_t(FRow)].keyText;
    btnDecisionEnabled = btnCancel1Enabled = text != FOldEditText;
    // Adding and deleting act on what the row holds: not while a key entered there waits.
    const bool hasKey = !text.isEmpty() && !(FState & stEdit) && text == FOldEditText;
    // One key per tool: tools of a category share it and cycle.
    btnAddEnabled = hasKey && FMainType != smTool;
    // The binding of Enter cannot be changed, nor deleted.
    btnDeleteEnabled = hasKey && FShortCutMngrEdit.getKey(rowEntry()) != VK_RETURN;
    btnDupVisible = FErrType == seDuplication;
}

void CShortCutSetupModel::clearModifiers()
{
    FSetKey = 0;
    FShift = FCtrl = FAlt = false;
    FPressShift = FPressCtrl = FPressAlt = false;
}
