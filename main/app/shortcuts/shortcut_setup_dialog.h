// The shortcut setup dialog ("ショートカットキー設定"): the tree of command groups, the list of
// commands with their keys, and the buttons. All its state and behaviour are the model's
// (shortcut_setup_model.h); the form shows the model and forwards its events to it.
#pragma once

#include "app/shortcuts/shortcut_setup_model.h"
#include "ui/forms/base_forms.h"

#include <QTableWidget>

class QFrame;
class QLabel;
class QPushButton;
class QTreeWidget;

// The command list: every key pressed in it goes to the dialog (no cell editor, no typed text);
// Tab and Shift+Tab without Ctrl or Alt leave it.
class CShortCutKeyList : public QTableWidget
{
  public:
    explicit CShortCutKeyList(QWidget *parent);

    std::function<void(QKeyEvent *)> onKeyDown;
    std::function<void(QKeyEvent *)> onKeyUp;
    std::function<void()> onExit;

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
};

class TShortCutSetupForm : public TDialogBaseForm
{
  public:
    // Edits a working copy of table; OK puts it back into table.
    explicit TShortCutSetupForm(CShortCutMngr &table, QWidget *owner = nullptr);
    ~TShortCutSetupForm() override;

    CShortCutSetupModel &model() { return FModel; }
    // The list's row as the model numbers them (0-based).
    void selectRow(int row);

    QTreeWidget *TreeView = nullptr;
    CShortCutKeyList *valueListEditor = nullptr;
    QPushButton *btnDecision = nullptr;
    QPushButton *btnCancel1 = nullptr;
    QPushButton *btnAdd = nullptr;
    QPushButton *btnDelete = nullptr;
    QPushButton *btnDup = nullptr;
    QPushButton *btnInit = nullptr;
    QPushButton *btnImport = nullptr;
    QPushButton *btnExport = nullptr;
    QFrame *Panel1 = nullptr;
    QLabel *lblMessage = nullptr;

    static constexpr int kClientWidth = 650;
    static constexpr int kClientHeight = 353;

  protected:
    void ButtonOKClick() override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    void createTree();
    void createList();
    void createButtons();
    QPushButton *addButton(const QString &caption, void (CShortCutSetupModel::*handler)(),
                           bool keepListFocus);
    void layoutControls();
    void limitMinimumSize();
    void listKeyDown(QKeyEvent *event);
    void listKeyUp(QKeyEvent *event);
    // Shows the model's rows, selection, buttons and message.
    void showModel();

    CShortCutMngr &FTable;
    CShortCutSetupModel FModel;
    bool FShowing = false; // showModel is writing the controls
};

// Runs the dialog on table through doShowModal; on OK table holds the edited bindings. Answers
// the modal result.
int showShortCutSetupDialog(CShortCutMngr &table);
