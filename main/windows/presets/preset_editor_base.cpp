#include "windows/presets/preset_editor_base.h"

#include "platform/desktop/messages.h"
#include "ui/dialogs/paint_box.h"
#include "ui/fields/drop_down_menu.h"
#include "ui/fields/path_label.h"
#include "ui/lists/list_view.h"
#include "windows/presets/preset_kinds.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QWheelEvent>

namespace {

QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

// The editor's results: close and Esc 1, the close box 2.
constexpr int kClosed = 1, kClosedByBox = 2;

} // namespace

TFormPresetEditor::TFormPresetEditor(QWidget *owner) : TDialogBaseForm(owner)
{
    setClientSize(608, 448);
    BoxListView = new TPaintBox(this);
    BoxListView->setGeometry(16, 30, 210, 291);
    BoxListView->hide();
    BoxPreview = new TPaintBox(this);
    BoxPreview->setGeometry(16, 328, 210, 84);
    BoxPreview->hide();
    LblPath = new TPathLabel(this);
    LblPath->SetBounds(16, 8, 196, 16);
    Menu = new TDropDownMenu(this);
    Menu->SetBounds(215, 11, 11, 11);
    buildMenu();
    Menu->PopupMenu = Popup;

    // Apply writes and stays open; close ends with 1.
    ButtonOK->disconnect(this);
    ButtonOK->setText(u8("適用(&A)"));
    ButtonOK->setDefault(false);
    ButtonOK->setAutoDefault(false);
    ButtonOK->setEnabled(false);
    ButtonOK->setGeometry(408, 420, 88, 20);
    connect(ButtonOK, &QPushButton::clicked, this, [this] {
        if (!m_destroying)
            ButtonOKClick();
    });
    ButtonCancel->disconnect(this);
    ButtonCancel->setText(u8("閉じる(&C)"));
    ButtonCancel->setGeometry(504, 420, 88, 20);
    connect(ButtonCancel, &QPushButton::clicked, this, [this] { done(kClosed); });
}

TFormPresetEditor::~TFormPresetEditor()
{
    m_destroying = true;
}

void TFormPresetEditor::buildMenu()
{
    Popup = new QMenu(this);
    MenuItemDuplicate = Popup->addAction(u8("アイテムを複製(&D)"));
    MenuItemDelete = Popup->addAction(u8("アイテムを削除(&R)"));
    Popup->addSeparator();
    const char *disp[] = {"テキストを表示(&1)",   "アイコン(小)を表示(&2)", "アイコンを表示(&3)",
                          "アイコン(大)を表示(&4)", "リスト(小)を表示(&5)",   "リストを表示(&6)",
                          "リスト(大)を表示(&7)"};
    for (int i = 0; i < 7; ++i) {
        MenuDisp[size_t(i)] = Popup->addAction(u8(disp[i]));
        MenuDisp[size_t(i)]->setCheckable(true);
        connect(MenuDisp[size_t(i)], &QAction::triggered, this, [this, i] { MenuDispClick(i); });
    }
    Popup->addSeparator();
    MenuSetRevert = Popup->addAction(u8("セットを復帰(&V)..."));
    MenuSetAppend = Popup->addAction(u8("セットを追加(&A)..."));
    MenuSetSave = Popup->addAction(u8("セットを保存(&S)..."));
    MenuSetOpen = Popup->addAction(u8("セットの置き換え(&O)..."));
    connect(MenuItemDuplicate, &QAction::triggered, this, [this] { MenuItemDuplicateClick(); });
    connect(MenuItemDelete, &QAction::triggered, this, [this] { MenuItemDeleteClick(); });
    connect(Popup, &QMenu::aboutToShow, this, [this] { PopupPopup(); });
}

int TFormPresetEditor::ShowModal()
{
    LoadListSettings();
    const int result = doShowModal(*this);
    SaveListSettings();
    return result;
}

void TFormPresetEditor::ButtonOKClick()
{
    TDialogBaseForm::ButtonOKClick();
    LblPath->setModified(true);
    ButtonOK->setEnabled(false);
}

void TFormPresetEditor::PopupPopup()
{
    TqZListView *l = ListView();
    if (!l || m_destroying)
        return;
    const int N = l->ItemCount(), S = l->SelectIndex();
    MenuItemDuplicate->setEnabled(l->CanDuplicateItem(N, l, S));
    MenuItemDelete->setEnabled(l->CanDeleteItem(S));
    for (size_t i = 0; i < MenuDisp.size(); ++i) {
        MenuDisp[i]->setVisible(l->SupportType().contains(kDispEntryTypes[i]));
        MenuDisp[i]->setChecked(l->ListType() == kDispEntryTypes[i]);
    }
    const QString path = Path();
    MenuSetRevert->setEnabled(l->Modified() && !path.isEmpty() && QFileInfo(path).isFile());
}

void TFormPresetEditor::MenuItemDuplicateClick()
{
    TqZListView *l = ListView();
    if (!l || m_destroying)
        return;
    const int N = l->ItemCount(), S = l->SelectIndex();
    if (l->CanDuplicateItem(N, l, S))
        l->DuplicateItem(N, S, true);
}

void TFormPresetEditor::MenuItemDeleteClick()
{
    TqZListView *l = ListView();
    if (!l || m_destroying)
        return;
    const int S = l->SelectIndex();
    if (l->CanDeleteItem(S))
        l->DeleteItem(S, true); // the editor asks nothing
}

void TFormPresetEditor::MenuDispClick(int entry)
{
    TqZListView *l = ListView();
    const TListViewType t = kDispEntryTypes[size_t(entry)];
    if (l && !m_destroying && l->SupportType().contains(t))
        l->SetListType(t);
}

void TFormPresetEditor::keyPressEvent(QKeyEvent *ev)
{
    if (ev->key() == Qt::Key_Escape && ev->modifiers() == Qt::NoModifier) {
        done(kClosed);
        return;
    }
    TDialogBaseForm::keyPressEvent(ev);
}

void TFormPresetEditor::closeEvent(QCloseEvent *ev)
{
    // The close box: a result of its own, which the open procedures report as not kept.
    if (isVisible())
        done(kClosedByBox);
    ev->accept();
}

void TFormPresetEditor::wheelEvent(QWheelEvent *ev)
{
    TqZListView *l = ListView();
    if (!l || !l->Scroll(ev->modifiers(), ev->angleDelta().y(),
                         l->mapFrom(this, ev->position().toPoint())))
        ev->ignore();
}

void TFormPresetEditor::resizeEvent(QResizeEvent *ev)
{
    TDialogBaseForm::resizeEvent(ev);
    // Both buttons keep their distance from the bottom right corner.
    ButtonOK->move(width() - 200, height() - 28);
    ButtonCancel->move(width() - 104, height() - 28);
}
