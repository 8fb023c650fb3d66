#include "app/shortcuts/shortcut_setup_dialog.h"

#include "platform/desktop/keys.h"

#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>

namespace {

constexpr int kMargin = 8;
constexpr int kTreeWidth = 120;
constexpr int kListWidth = 338;
constexpr int kButtonWidth = 162;
constexpr int kButtonHeight = 24;
constexpr int kPanelHeight = 81;
constexpr int kNameColumnWidth = 184;
constexpr int kKeyColumnWidth = 134;

} // namespace

// ---- CShortCutKeyList

CShortCutKeyList::CShortCutKeyList(QWidget *parent) : QTableWidget(parent)
{
    setColumnCount(2);
    setHorizontalHeaderLabels({QStringLiteral("コマンド名"), QStringLiteral("現在の割り当て")});
    setColumnWidth(0, kNameColumnWidth);
    setColumnWidth(1, kKeyColumnWidth);
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(18);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void CShortCutKeyList::keyPressEvent(QKeyEvent *event)
{
    if (onKeyDown)
        onKeyDown(event);
    event->accept(); // Esc and Enter stay in the list: they are keys to bind
}

void CShortCutKeyList::keyReleaseEvent(QKeyEvent *event)
{
    if (!event->isAutoRepeat() && onKeyUp)
        onKeyUp(event);
    event->accept();
}

void CShortCutKeyList::focusOutEvent(QFocusEvent *event)
{
    // Another window coming to the front is no leaving of the list.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason &&
        onExit)
        onExit();
    QTableWidget::focusOutEvent(event);
}

// ---- TShortCutSetupForm

TShortCutSetupForm::TShortCutSetupForm(CShortCutMngr &table, QWidget *owner)
    : TDialogBaseForm(owner), FTable(table)
{
    setWindowTitle(QStringLiteral("ショートカットキー設定"));
    setClientSize(kClientWidth, kClientHeight);
    createTree();
    createList();
    createButtons();
    FModel.FormCreate(table);
    showModel();
    layoutControls();
    limitMinimumSize();
    if (const QScreen *screen = this->screen())
        move(screen->geometry().center() - rect().center());
}

TShortCutSetupForm::~TShortCutSetupForm()
{
    // The controls outlive the model while the base class deletes them: nothing they do on
    // the way out (a focus change, a current item cleared) may reach it.
    valueListEditor->onKeyDown = nullptr;
    valueListEditor->onKeyUp = nullptr;
    valueListEditor->onExit = nullptr;
    valueListEditor->disconnect(this);
    TreeView->disconnect(this);
}

void TShortCutSetupForm::createTree()
{
    TreeView = new QTreeWidget(this);
    TreeView->setHeaderHidden(true);
    TreeView->setRootIsDecorated(false);
    TreeView->setItemsExpandable(false);
    TreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto *menu = new QTreeWidgetItem(TreeView, {CShortCutSetupModel::menuRootName()});
    for (const QString &name : CShortCutSetupModel::menuCategoryNames())
        new QTreeWidgetItem(menu, {name});
    new QTreeWidgetItem(TreeView, {CShortCutSetupModel::toolRootName()});
    new QTreeWidgetItem(TreeView, {CShortCutSetupModel::etcRootName()});
    TreeView->expandAll();
    TreeView->setCurrentItem(menu->child(0));
    connect(TreeView, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (FShowing || !item)
            return;
        FModel.TreeViewClick(item->text(0));
        showModel();
    });
}

void TShortCutSetupForm::createList()
{
    valueListEditor = new CShortCutKeyList(this);
    valueListEditor->onKeyDown = [this](QKeyEvent *e) { listKeyDown(e); };
    valueListEditor->onKeyUp = [this](QKeyEvent *e) { listKeyUp(e); };
    valueListEditor->onExit = [this] {
        FModel.valueListEditorExit();
        showModel();
    };
    connect(valueListEditor, &QTableWidget::currentCellChanged, this, [this](int row) {
        if (FShowing || row < 0)
            return;
        FModel.valueListEditorClick(row);
        showModel();
    });
    connect(valueListEditor, &QTableWidget::cellClicked, this, [this](int row) {
        FModel.valueListEditorClick(row);
        showModel();
    });

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblMessage = new QLabel(Panel1);
    lblMessage->setWordWrap(true);
    lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette pal = lblMessage->palette();
    pal.setColor(QPalette::WindowText, Qt::red);
    lblMessage->setPalette(pal);
}

QPushButton *TShortCutSetupForm::addButton(const QString &caption,
                                           void (CShortCutSetupModel::*handler)(),
                                           bool keepListFocus)
{
    auto *b = new QPushButton(caption, this);
    b->setAutoDefault(false);
    // The edit buttons act on the list's row: clicking them leaves the focus (and the key being
    // entered) in the list.
    if (keepListFocus)
        b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QPushButton::clicked, this, [this, handler] {
        (FModel.*handler)();
        showModel();
        if (valueListEditor->isVisible())
            valueListEditor->setFocus();
    });
    return b;
}

void TShortCutSetupForm::createButtons()
{
    btnDecision =
        addButton(QStringLiteral("編集の確定"), &CShortCutSetupModel::btnDecisionClick, true);
    btnCancel1 =
        addButton(QStringLiteral("編集の取り消し"), &CShortCutSetupModel::btnCancel1Click, true);
    btnAdd = addButton(QStringLiteral("ショートカットキーの追加"),
                       &CShortCutSetupModel::btnAddClick, true);
    btnDelete = addButton(QStringLiteral("ショートカットーキーの削除"),
                          &CShortCutSetupModel::btnDeleteClick, true);
    btnDup =
        addButton(QStringLiteral("重複先を削除して確定"), &CShortCutSetupModel::btnDupClick, true);
    btnInit =
        addButton(QStringLiteral("初期設定に戻す"), &CShortCutSetupModel::btnInitClick, false);
    btnImport =
        addButton(QStringLiteral("インポート"), &CShortCutSetupModel::btnImportClick, false);
    btnExport =
        addButton(QStringLiteral("エクスポート"), &CShortCutSetupModel::btnExportClick, false);
    ButtonOK->setAutoDefault(false);
    ButtonOK->setDefault(false); // Enter is a key to bind, not the OK button
    ButtonCancel->setAutoDefault(false);
}

void TShortCutSetupForm::layoutControls()
{
    const int w = width(), h = height();
    const int right = w - kMargin - kButtonWidth;
    const int listWidth = right - kMargin - (kMargin + kTreeWidth + 6);
    const int listLeft = kMargin + kTreeWidth + 6;
    TreeView->setGeometry(kMargin, kMargin, kTreeWidth, h - 2 * kMargin);
    valueListEditor->setGeometry(listLeft, kMargin, listWidth, h - 3 * kMargin - kPanelHeight + 2);
    Panel1->setGeometry(listLeft, h - kMargin - kPanelHeight, listWidth, kPanelHeight);
    lblMessage->setGeometry(6, 4, listWidth - 12, kPanelHeight - 8);
    const struct
    {
        QPushButton *button;
        int y;
    } column[] = {
        {btnDecision, 8}, {btnCancel1, 36}, {btnAdd, 72},     {btnDelete, 100},
        {btnDup, 136},    {btnInit, 184},   {btnImport, 220}, {btnExport, 248},
    };
    for (const auto &c : column)
        c.button->setGeometry(right, c.y, kButtonWidth, kButtonHeight);
    const int half = (kButtonWidth - 6) / 2;
    ButtonOK->setGeometry(right, h - kMargin - kButtonHeight, half, kButtonHeight);
    ButtonCancel->setGeometry(right + kButtonWidth - half, h - kMargin - kButtonHeight, half,
                              kButtonHeight);
}

void TShortCutSetupForm::resizeEvent(QResizeEvent *event)
{
    TDialogBaseForm::resizeEvent(event);
    if (valueListEditor)
        layoutControls();
}

void TShortCutSetupForm::limitMinimumSize()
{
    setMinimumSize(size());
}

void TShortCutSetupForm::selectRow(int row)
{
    valueListEditor->setCurrentCell(row, 0);
}

namespace {

// Up and Down alone move between rows; they could never be bound (arrow keys are refused).
bool isRowMove(const QKeyEvent *event)
{
    const bool plain =
        !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    return plain && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down);
}

} // namespace

void TShortCutSetupForm::listKeyDown(QKeyEvent *event)
{
    if (isRowMove(event)) {
        const int row = FModel.row() + (event->key() == Qt::Key_Up ? -1 : 1);
        if (row >= 0 && row < int(FModel.rows().size()))
            FModel.valueListEditorClick(row);
    } else {
        const Qt::KeyboardModifiers mods = event->modifiers();
        const int vk = vkFromQtKey(event->key(), mods);
        // The modifier key itself counts as held while it goes down.
        FModel.valueListEditorKeyDown(vk, mods.testFlag(Qt::ShiftModifier) || vk == VK_SHIFT,
                                      mods.testFlag(Qt::ControlModifier) || vk == VK_CONTROL,
                                      mods.testFlag(Qt::AltModifier) || vk == VK_MENU);
    }
    showModel();
}

void TShortCutSetupForm::listKeyUp(QKeyEvent *event)
{
    if (!isRowMove(event))
        FModel.valueListEditorKeyUp();
    showModel();
}

void TShortCutSetupForm::ButtonOKClick()
{
    TDialogBaseForm::ButtonOKClick();
    FModel.btnOkClick(FTable);
}

void TShortCutSetupForm::showModel()
{
    FShowing = true;
    const std::vector<SShortCutRow> &rows = FModel.rows();
    valueListEditor->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const QString texts[2] = {rows[size_t(r)].name, rows[size_t(r)].keyText};
        for (int c = 0; c < 2; ++c) {
            QTableWidgetItem *item = valueListEditor->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                valueListEditor->setItem(r, c, item);
            }
            item->setText(texts[c]);
        }
    }
    if (!rows.empty())
        valueListEditor->setCurrentCell(FModel.row(), 0);
    btnDecision->setEnabled(FModel.btnDecisionEnabled);
    btnCancel1->setEnabled(FModel.btnCancel1Enabled);
    btnAdd->setEnabled(FModel.btnAddEnabled);
    btnDelete->setEnabled(FModel.btnDeleteEnabled);
    btnDup->setVisible(FModel.btnDupVisible);
    QString message = FModel.FMessage;
    lblMessage->setText(message.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    FShowing = false;
}

int showShortCutSetupDialog(CShortCutMngr &table)
{
    TShortCutSetupForm form(table);
    return doShowModal(form);
}
