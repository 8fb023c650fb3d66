// The common dialog behind the preset editors (brushes and nibs, screentones, gradients): a
// preset list on the left with its set file's path and a menu button above it, a preview under
// it, the editor's own controls on the right, and the apply and close buttons. Apply writes the
// edited item back into the live set and never closes; close (and Esc) ends with 1, the window's
// close box with 2. Each editor supplies its list, its path and its item writing.
#pragma once

#include "ui/forms/base_forms.h"
#include "windows/presets/preset_files.h"

#include <QString>

#include <array>

class QAction;
class QMenu;
class TDropDownMenu;
class TPaintBox;
class TPathLabel;
class TqZListView;

class TFormPresetEditor : public TDialogBaseForm
{
  public:
    explicit TFormPresetEditor(QWidget *owner = nullptr);
    ~TFormPresetEditor() override;

    // LoadListSettings, the modal run, SaveListSettings; the modal result.
    virtual int ShowModal();
    virtual void LoadListSettings() {}
    virtual void SaveListSettings() {}
    virtual TqZListView *ListView() const { return nullptr; }
    virtual void UpdatePathLabel() {}
    virtual QString Path() const { return {}; }

    // Apply: commit a pending edit, mark the set modified on the label, disable apply. Editors
    // call it first and then write their item.
    void ButtonOKClick() override;

    // Fills the menu's states from the list (what opening it does).
    void PopupPopup();
    void MenuItemDuplicateClick();
    void MenuItemDeleteClick();

    TPaintBox *BoxListView = nullptr;
    TPaintBox *BoxPreview = nullptr;
    TPathLabel *LblPath = nullptr;
    TDropDownMenu *Menu = nullptr;
    QMenu *Popup = nullptr;
    QAction *MenuItemDuplicate = nullptr;
    QAction *MenuItemDelete = nullptr;
    std::array<QAction *, 7> MenuDisp{}; // text, icons S M L, lists S M L
    QAction *MenuSetRevert = nullptr;
    QAction *MenuSetAppend = nullptr;
    QAction *MenuSetSave = nullptr;
    QAction *MenuSetOpen = nullptr;

  protected:
    // Which load the set menu's entry asks for (MenuSetOpen replaces).
    TSetMenuLoad setMenuLoadOf(const QAction *entry) const
    {
        return entry == MenuSetRevert   ? TSetMenuLoad::Revert
               : entry == MenuSetAppend ? TSetMenuLoad::Append
                                        : TSetMenuLoad::Replace;
    }
    void keyPressEvent(QKeyEvent *ev) override;
    void closeEvent(QCloseEvent *ev) override;
    void wheelEvent(QWheelEvent *ev) override;
    void resizeEvent(QResizeEvent *ev) override;

  private:
    void buildMenu();
    void MenuDispClick(int entry);

    bool m_destroying = false;
};
