// The state of the shortcut setup dialog, with no widget: the working copy of the shortcut table,
// the rows of the list (name, key text, entry), the selected row, the key being entered and the
// dialog's edit state, and every handler of the dialog as a method. The form only shows this
// state and forwards its events here.
//
// Nothing reaches the program's table before btnOkClick. Rows are 0-based.
#pragma once

#include "app/shortcuts/shortcut_manager.h"

#include <QFlags>
#include <QString>
#include <QStringList>

#include <vector>

enum TShortCutState : uint8_t
{
    stViewOk = 0x01,      // the row shows a key that stays when the key is released
    stEdit = 0x02,        // a key change of the row is pending
    stInsert = 0x04,      // a new binding row is pending (btnAddClick)
    stDelete = 0x08,      // a deletion is pending
    stDuplication = 0x10, // a conflicting key is pending; btnDup resolves it
    stOtherRow = 0x20,    // the row is a further binding of its command (no name)
};
using TShortCutStates = QFlags<TShortCutState>;
Q_DECLARE_OPERATORS_FOR_FLAGS(TShortCutStates)

// One row of the list. entry is the working copy's index; -1 for the row of a binding being
// added.
struct SShortCutRow
{
    QString name; // the command's name on its first binding, empty on further ones
    QString keyText;
    int entry = -1;
};

class CShortCutSetupModel
{
  public:
    // The tree's root names and the menu categories under "メニュー".
    static QString menuRootName() { return shortCutMainTypeName(TShortCutMainType::smMenu); }
    static QString toolRootName() { return shortCutMainTypeName(TShortCutMainType::smTool); }
    static QString etcRootName() { return shortCutMainTypeName(TShortCutMainType::smEtc); }
    static QStringList menuCategoryNames();

    // ---- handlers
    // The working copy := table in view-list form; the first category is shown.
    void FormCreate(const CShortCutMngr &table);
    void TreeViewClick(const QString &nodeText);
    // A row was clicked: another row is selected (the same row only updates the buttons).
    void valueListEditorClick(int row);
    void valueListEditorExit();
    // A key went down in the list: a virtual key with the modifiers held.
    void valueListEditorKeyDown(int key, bool shift, bool ctrl, bool alt);
    void valueListEditorKeyUp();
    void btnDecisionClick();
    void btnCancel1Click();
    void btnAddClick();
    void btnDeleteClick();
    void btnDupClick();
    // Confirms what is pending and puts the working copy, without the bindings marked for
    // deletion, into table.
    void btnOkClick(CShortCutMngr &table);
    // Asks "ショートカット設定を初期化しますか?"; on Yes the working copy takes the defaults.
    void btnInitClick();
    void btnImportClick();
    void btnExportClick();

    // ---- helpers
    bool getListRange(int &first, int &last) const;
    void fillList();
    void confirmEdit();
    void confirmDelete();
    void confirmWithoutDuplicate();
    void updateButtons();
    void clearModifiers();
    void showMessage(const QString &text) { FMessage = text; }

    // ---- state
    const std::vector<SShortCutRow> &rows() const { return FRows; }
    int row() const { return FRow; }
    const CShortCutMngr &workingCopy() const { return FShortCutMngrEdit; }
    // The working copy's entry of the selected row (-1 for none or a row being added).
    int rowEntry() const;

    CShortCutMngr FShortCutMngrEdit;
    int FOldRow = 0;
    QString FEditText;    // the key text being entered
    QString FOldEditText; // the row's key text before the change
    uint16_t FSetKey = 0; // the pending key and modifiers
    bool FShift = false, FCtrl = false, FAlt = false;
    bool FPressShift = false, FPressCtrl = false, FPressAlt = false; // of the last key press
    TShortCutMainType FMainType = TShortCutMainType::smMenu;
    TShortCutSubType FSubType = TShortCutSubType::sbFile;
    TShortCutErrorType FErrType = TShortCutErrorType::seNone;
    QString FMessage; // the red label
    int FListHeadIndex = 0;
    int FDupIdx = 0;
    int FInsertIdx = 0;    // where a binding being added goes in the working copy
    int FInsertKeyIdx = 0; // the entry whose command it binds
    int FDeleteIdx = 0;
    TShortCutStates FState = stViewOk;
    bool FEditing = false; // the list is in edit mode

    bool btnDecisionEnabled = false;
    bool btnCancel1Enabled = false;
    bool btnAddEnabled = false;
    bool btnDeleteEnabled = false;
    bool btnDupVisible = false;

  private:
    QString entryKeyText(int entry) const;
    // The entry a key of the selected row binds for: its own, or the one a new row adds to.
    int bindingSource() const;
    // Rebuilds the list and selects the row of entry (when shown) or the row at position row.
    void refill(int entry, int row);
    // Back to the first row of the shown range with nothing pending.
    void restart();

    std::vector<SShortCutRow> FRows;
    int FRow = 0;
};
