// The setup dialog by scripts of clicks and keys, each run twice: on the model directly, and by
// QTest on the real dialog (where every step must also leave the widgets showing the model).
#include "app/shortcuts/shortcut_setup_dialog.h"

#include "platform/desktop/keys.h"
#include "shortcut_test_support.h"
#include "support/captured_messages.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using enum TShortCutErrorType;

namespace {

using Model = CShortCutSetupModel;

enum class Btn
{
    Decision,
    Cancel1,
    Add,
    Delete,
    Dup,
    Init,
    Import,
    Export,
};

struct Step
{
    enum Kind
    {
        Tree,
        Row,
        Press, // down and up
        Down,
        Up,
        Button,
        Answer, // the answer of the next question
        Check,
    };
    Kind kind = Check;
    QString text;
    int offset = 0;
    int qtKey = 0;
    Qt::KeyboardModifiers mods;
    Btn button = Btn::Decision;
    int answer = kavrin::mrYes;
    std::function<void(const Model &)> check;
};

Step step(Step::Kind kind)
{
    Step s;
    s.kind = kind;
    return s;
}
Step tree(const QString &node)
{
    Step s = step(Step::Tree);
    s.text = node;
    return s;
}
// The row named name, or the offset-th row below it.
Step row(const QString &name, int offset = 0)
{
    Step s = step(Step::Row);
    s.text = name;
    s.offset = offset;
    return s;
}
Step key(Step::Kind kind, int qtKey, Qt::KeyboardModifiers mods)
{
    Step s = step(kind);
    s.qtKey = qtKey;
    s.mods = mods;
    return s;
}
Step press(int qtKey, Qt::KeyboardModifiers mods = {})
{
    return key(Step::Press, qtKey, mods);
}
Step down(int qtKey, Qt::KeyboardModifiers mods = {})
{
    return key(Step::Down, qtKey, mods);
}
Step up(int qtKey, Qt::KeyboardModifiers mods = {})
{
    return key(Step::Up, qtKey, mods);
}
Step click(Btn b)
{
    Step s = step(Step::Button);
    s.button = b;
    return s;
}
Step answer(int result)
{
    Step s = step(Step::Answer);
    s.answer = result;
    return s;
}
Step check(std::function<void(const Model &)> f)
{
    Step s = step(Step::Check);
    s.check = std::move(f);
    return s;
}

int rowOf(const Model &m, const QString &name, int offset = 0)
{
    for (size_t r = 0; r < m.rows().size(); ++r)
        if (m.rows()[r].name == name)
            return int(r) + offset;
    ADD_FAILURE() << "no row " << name.toStdString();
    return 0;
}
QString keyText(const Model &m, const QString &name, int offset = 0)
{
    const int r = rowOf(m, name, offset);
    return r < int(m.rows().size()) ? m.rows()[size_t(r)].keyText : QString("(none)");
}
// The key texts of every binding of command, in order.
QStringList keysOf(const CShortCutMngr &table, int command)
{
    QStringList keys;
    for (int i = 0; i < table.count(); ++i)
        if (table.getCommand(i) == command)
            keys << table.getKeyString(i);
    return keys;
}

struct Script
{
    const char *name;
    std::vector<Step> steps;
    bool ok; // closed with OK, else with Cancel
    std::function<void(const CShortCutMngr &)> result;
};

const QString kDupOpen = "Ctrl+N は既に使用されています。\r\n\r\n重複先：\r\n"
                         "[メニュー] - [ファイル] - [新規作成]";

std::vector<Script> scripts(const QString &exportPath)
{
    using M = Model;
    const auto C = Qt::ControlModifier, S = Qt::ShiftModifier, A = Qt::AltModifier;
    return {
        {"Ctrl+Q on 新規作成 is confirmed by Enter",
         {row("新規作成"), press(Qt::Key_Q, C), check([](const M &m) {
              EXPECT_EQ(keyText(m, "新規作成"), "Ctrl+Q");
              EXPECT_TRUE(m.btnDecisionEnabled);
              EXPECT_TRUE(m.btnCancel1Enabled);
              EXPECT_TRUE(m.FMessage.startsWith("Ctrl+Q は既に使用されています。")); // 終了's
          }),
          press(Qt::Key_Return), check([](const M &m) {
              EXPECT_EQ(keyText(m, "新規作成"), "Ctrl+Q");
              EXPECT_EQ(keyText(m, "終了"), "");
              EXPECT_FALSE(m.btnDecisionEnabled);
          })},
         true,
         [](const CShortCutMngr &t) {
             EXPECT_EQ(keysOf(t, 16), QStringList{"Ctrl+Q"});
             EXPECT_EQ(keysOf(t, 32), QStringList{});
         }},
        {"Ctrl+N on 開く moves it there through the duplicate button",
         {row("開く"), press(Qt::Key_N, C), check([](const M &m) {
              EXPECT_EQ(m.FErrType, seDuplication);
              EXPECT_EQ(m.FMessage, kDupOpen);
              EXPECT_TRUE(m.btnDupVisible);
              EXPECT_EQ(keyText(m, "開く"), "Ctrl+N");
          }),
          click(Btn::Dup), check([](const M &m) {
              EXPECT_EQ(keyText(m, "開く"), "Ctrl+N");
              EXPECT_EQ(keyText(m, "新規作成"), "");
              EXPECT_FALSE(m.btnDupVisible);
              EXPECT_EQ(m.FMessage, "");
          })},
         true,
         [](const CShortCutMngr &t) {
             EXPECT_EQ(keysOf(t, 16), QStringList{});
             EXPECT_EQ(keysOf(t, 18), QStringList{"Ctrl+N"});
         }},
        {"Shift alone empties the cell on release, and Enter then deletes",
         {row("開く"), down(Qt::Key_Shift, S),
          check([](const M &m) { EXPECT_EQ(keyText(m, "開く"), "Shift+"); }), up(Qt::Key_Shift),
          check([](const M &m) {
              EXPECT_EQ(keyText(m, "開く"), "");
              EXPECT_TRUE(m.btnDecisionEnabled);
          }),
          press(Qt::Key_Return), check([](const M &m) {
              EXPECT_EQ(keyText(m, "開く"), "");
              EXPECT_FALSE(m.btnDecisionEnabled);
              EXPECT_FALSE(m.btnDeleteEnabled);
          })},
         true,
         [](const CShortCutMngr &t) { EXPECT_EQ(keysOf(t, 18), QStringList{}); }},
        {"the Enter binding cannot be changed",
         {tree("表示"), row("イベント再生の一時停止"), press(Qt::Key_F4), check([](const M &m) {
              EXPECT_EQ(m.FErrType, seFixed);
              EXPECT_EQ(m.FMessage, "このショートカットキーは変更できません。");
              EXPECT_EQ(keyText(m, "イベント再生の一時停止"), "Enter");
              EXPECT_FALSE(m.btnDeleteEnabled);
          }),
          press(Qt::Key_Return), check([](const M &m) {
              EXPECT_EQ(m.FMessage, "このショートカットキーは変更できません。");
          })},
         true,
         [](const CShortCutMngr &t) { EXPECT_EQ(keysOf(t, 225), QStringList{"Enter"}); }},
        {"refused keys name the key; keys without a name are refused silently",
         {row("新規作成"), press(Qt::Key_Backtab, C | S), check([](const M &m) {
              EXPECT_EQ(m.FErrType, seNotUseKey);
              EXPECT_EQ(m.FMessage, "押されたキーはショートカットとして使用できません。");
              EXPECT_EQ(keyText(m, "新規作成"), "");
          }),
          press(Qt::Key_Q), check([](const M &m) {
              EXPECT_EQ(m.FErrType, seNotMenuCombination);
              EXPECT_TRUE(m.FMessage.startsWith("Q は無効です。"));
          }),
          press(Qt::Key_Pause, C), check([](const M &m) {
              EXPECT_EQ(m.FErrType, seNotUseKey);
              EXPECT_EQ(m.FMessage, "");
          })},
         true,
         [](const CShortCutMngr &t) { EXPECT_EQ(keysOf(t, 16), QStringList{"Ctrl+N"}); }},
        {"tools take one key each and share it within their category",
         {tree("ツール"), row("消しゴム"), check([](const M &m) { EXPECT_FALSE(m.btnAddEnabled); }),
          press(Qt::Key_A), check([](const M &m) {
              EXPECT_EQ(m.FErrType, seDuplication);
              EXPECT_TRUE(m.FMessage.endsWith("[ツール] - [鉛筆]"));
          }),
          row("鉛筆-3互換"), press(Qt::Key_B), press(Qt::Key_Return), check([](const M &m) {
              EXPECT_EQ(m.FErrType, seNone);
              EXPECT_FALSE(m.btnAddEnabled);
              EXPECT_TRUE(m.btnDeleteEnabled);
          })},
         true,
         [](const CShortCutMngr &t) {
             EXPECT_EQ(keysOf(t, 514), QStringList{"B"});
             EXPECT_EQ(keysOf(t, 528), QStringList{"S"});
         }},
        {"add binds a second key under a menu row",
         {row("開く"), click(Btn::Add), check([](const M &m) {
              EXPECT_EQ(m.row(), rowOf(m, "開く", 1));
              EXPECT_EQ(m.rows()[size_t(m.row())].name, "");
              EXPECT_EQ(m.rows()[size_t(m.row())].keyText, "");
              EXPECT_TRUE(m.FState & stInsert);
          }),
          press(Qt::Key_Y, C | A), press(Qt::Key_Return), check([](const M &m) {
              EXPECT_EQ(keyText(m, "開く"), "Ctrl+O");
              EXPECT_EQ(keyText(m, "開く", 1), "Ctrl+Alt+Y");
              EXPECT_EQ(m.rows()[size_t(rowOf(m, "開く", 1))].name, "");
              EXPECT_FALSE(m.FState & stInsert);
          })},
         true,
         [](const CShortCutMngr &t) {
             EXPECT_EQ(keysOf(t, 18), (QStringList{"Ctrl+O", "Ctrl+Alt+Y"}));
         }},
        {"delete on a named row moves the next binding up",
         {tree("表示"), row("拡大表示"), click(Btn::Delete), check([](const M &m) {
              EXPECT_EQ(keyText(m, "拡大表示"), "Ctrl+=");
              EXPECT_EQ(keyText(m, "拡大表示", 1), "F5");
              EXPECT_EQ(m.rows()[size_t(rowOf(m, "拡大表示", 2))].name, "縮小表示");
          }),
          row("拡大表示", 1), click(Btn::Delete), check([](const M &m) {
              EXPECT_EQ(keyText(m, "拡大表示"), "Ctrl+=");
              EXPECT_EQ(m.rows()[size_t(rowOf(m, "拡大表示", 1))].name, "縮小表示");
          })},
         true,
         [](const CShortCutMngr &t) { EXPECT_EQ(keysOf(t, 208), QStringList{"Ctrl+="}); }},
        {"initialise restores the defaults only on Yes",
         {row("開く"), press(Qt::Key_M, C), press(Qt::Key_Return), answer(kavrin::mrNo),
          click(Btn::Init), check([](const M &m) { EXPECT_EQ(keyText(m, "開く"), "Ctrl+M"); }),
          answer(kavrin::mrYes), click(Btn::Init),
          check([](const M &m) { EXPECT_EQ(keyText(m, "開く"), "Ctrl+O"); })},
         true,
         [](const CShortCutMngr &t) { EXPECT_EQ(keysOf(t, 18), QStringList{"Ctrl+O"}); }},
        {"import replaces the working copy",
         {click(Btn::Import), check([](const M &m) {
              EXPECT_EQ(keyText(m, "新規作成"), "Ctrl+B");
              EXPECT_EQ(keyText(m, "開く"), "");
          })},
         true,
         [](const CShortCutMngr &t) {
             EXPECT_EQ(t.count(), kLastCommandRow); // one row per command, one of them bound
             EXPECT_EQ(keysOf(t, 16), QStringList{"Ctrl+B"});
         }},
        {"export leaves out the bindings marked for deletion",
         {row("開く"), click(Btn::Delete), click(Btn::Export)},
         false,
         [exportPath](const CShortCutMngr &) {
             const QByteArray bytes = fileBytes(exportPath);
             EXPECT_TRUE(bytes.contains("Command=\"16\""));
             EXPECT_FALSE(bytes.contains("Command=\"18\""));
         }},
        {"Esc puts the row back, and Enter on an untouched row changes nothing",
         {row("開く"), press(Qt::Key_M, C), press(Qt::Key_Escape),
          check([](const M &m) { EXPECT_EQ(keyText(m, "開く"), "Ctrl+O"); }), press(Qt::Key_Return),
          row("新規作成"), press(Qt::Key_K, C | A), row("開く"), press(Qt::Key_Return)},
         true,
         [](const CShortCutMngr &t) {
             EXPECT_EQ(keysOf(t, 18), QStringList{"Ctrl+O"});
             EXPECT_EQ(keysOf(t, 16), QStringList{"Ctrl+N"});
         }},
        {"a row binds its own command where names repeat between menus",
         {tree("レイヤ"), row("左右反転"), press(Qt::Key_H, C | A), press(Qt::Key_Return)},
         true,
         [](const CShortCutMngr &t) {
             EXPECT_EQ(keysOf(t, 96), QStringList{"Ctrl+Alt+H"});
             EXPECT_EQ(keysOf(t, 68), QStringList{"Ctrl+R"});
         }},
        {"Cancel leaves the program's table as it was",
         {row("開く"), press(Qt::Key_M, C), press(Qt::Key_Return), row("新規作成"),
          click(Btn::Delete)},
         false,
         [](const CShortCutMngr &t) {
             CShortCutMngr defaults;
             defaults.initShortCutAll();
             ASSERT_EQ(t.count(), defaults.count());
             for (int i = 0; i < t.count(); ++i)
                 EXPECT_EQ(t.getKeyString(i), defaults.getKeyString(i)) << i;
         }},
    };
}

// Runs the steps on the model, or on the dialog through do(step).
class ShortCutSetup : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        importPath = dir.filePath("import.qsl");
        exportPath = dir.filePath("export.qsl");
        CShortCutMngr imported;
        imported.appendObj({TShortCutMainType::smOther, TShortCutSubType::sbOther, 16, 'B', false,
                            true, false, false});
        int status = 0;
        ASSERT_TRUE(writeShortCutFile(importPath, imported, status));
    }
    void freshTable(CShortCutMngr &table)
    {
        table.shortCutPath = dir.filePath("keyConfig.qsl");
        table.initShortCutAll();
    }
    // The file dialog answers import with importPath and export with exportPath.
    void answerFileDialog(ScopedShortCutFileDialog &d)
    {
        d.answer = importPath;
        installShortCutFileDialog(
            [this](QString &out, TOpenFilterType kind, const QString &, const QString &) {
                out = kind == ofShortCutR ? importPath : exportPath;
                return true;
            });
    }

    QTemporaryDir dir;
    QString importPath, exportPath;
    CapturedMessages messages;
};

void runOnModel(Model &m, const Step &s, CapturedMessages &messages)
{
    switch (s.kind) {
    case Step::Tree:
        m.TreeViewClick(s.text);
        break;
    case Step::Row:
        m.valueListEditorClick(rowOf(m, s.text, s.offset));
        break;
    case Step::Press:
    case Step::Down: {
        const int vk = vkFromQtKey(s.qtKey, s.mods);
        m.valueListEditorKeyDown(vk, s.mods.testFlag(Qt::ShiftModifier) || vk == VK_SHIFT,
                                 s.mods.testFlag(Qt::ControlModifier) || vk == VK_CONTROL,
                                 s.mods.testFlag(Qt::AltModifier) || vk == VK_MENU);
        if (s.kind == Step::Press)
            m.valueListEditorKeyUp();
        break;
    }
    case Step::Up:
        m.valueListEditorKeyUp();
        break;
    case Step::Button: {
        using H = void (Model::*)();
        const H handlers[] = {&Model::btnDecisionClick, &Model::btnCancel1Click,
                              &Model::btnAddClick,      &Model::btnDeleteClick,
                              &Model::btnDupClick,      &Model::btnInitClick,
                              &Model::btnImportClick,   &Model::btnExportClick};
        (m.*handlers[int(s.button)])();
        break;
    }
    case Step::Answer:
        messages.answer = s.answer;
        break;
    case Step::Check:
        s.check(m);
        break;
    }
}

QPushButton *buttonOf(TShortCutSetupForm &f, Btn b)
{
    QPushButton *buttons[] = {f.btnDecision, f.btnCancel1, f.btnAdd,    f.btnDelete,
                              f.btnDup,      f.btnInit,    f.btnImport, f.btnExport};
    return buttons[int(b)];
}

void clickRow(TShortCutSetupForm &f, int r)
{
    QTableWidgetItem *item = f.valueListEditor->item(r, 0);
    ASSERT_NE(item, nullptr);
    f.valueListEditor->scrollToItem(item);
    QTest::mouseClick(f.valueListEditor->viewport(), Qt::LeftButton, {},
                      f.valueListEditor->visualItemRect(item).center());
}

void runOnDialog(TShortCutSetupForm &f, const Step &s, CapturedMessages &messages)
{
    switch (s.kind) {
    case Step::Tree: {
        const QList<QTreeWidgetItem *> items =
            f.TreeView->findItems(s.text, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(items.size(), 1);
        QTest::mouseClick(f.TreeView->viewport(), Qt::LeftButton, {},
                          f.TreeView->visualItemRect(items[0]).center());
        break;
    }
    case Step::Row:
        clickRow(f, rowOf(f.model(), s.text, s.offset));
        break;
    case Step::Press:
        QTest::keyClick(f.valueListEditor, Qt::Key(s.qtKey), s.mods);
        break;
    case Step::Down:
        QTest::keyPress(f.valueListEditor, Qt::Key(s.qtKey), s.mods);
        break;
    case Step::Up:
        QTest::keyRelease(f.valueListEditor, Qt::Key(s.qtKey), s.mods);
        break;
    case Step::Button:
        ASSERT_TRUE(buttonOf(f, s.button)->isEnabled());
        QTest::mouseClick(buttonOf(f, s.button), Qt::LeftButton);
        break;
    case Step::Answer:
        messages.answer = s.answer;
        break;
    case Step::Check:
        s.check(f.model());
        break;
    }
}

// The widgets show the model: rows, selection, buttons and message.
void expectFormShowsModel(TShortCutSetupForm &f, const char *script, size_t step)
{
    const Model &m = f.model();
    const QTableWidget &list = *f.valueListEditor;
    ASSERT_EQ(list.rowCount(), int(m.rows().size())) << script << " step " << step;
    for (int r = 0; r < list.rowCount(); ++r) {
        EXPECT_EQ(list.item(r, 0)->text(), m.rows()[size_t(r)].name) << script << " row " << r;
        EXPECT_EQ(list.item(r, 1)->text(), m.rows()[size_t(r)].keyText) << script << " row " << r;
    }
    EXPECT_EQ(list.currentRow(), m.row()) << script << " step " << step;
    EXPECT_EQ(f.btnDecision->isEnabled(), m.btnDecisionEnabled) << script << " step " << step;
    EXPECT_EQ(f.btnAdd->isEnabled(), m.btnAddEnabled) << script << " step " << step;
    EXPECT_EQ(f.btnDelete->isEnabled(), m.btnDeleteEnabled) << script << " step " << step;
    EXPECT_EQ(f.btnDup->isVisibleTo(&f), m.btnDupVisible) << script << " step " << step;
    EXPECT_EQ(f.lblMessage->text(), QString(m.FMessage).replace("\r\n", "\n"))
        << script << " step " << step;
}

} // namespace

TEST_F(ShortCutSetup, ScriptsOnTheModel)
{
    for (const Script &script : scripts(exportPath)) {
        SCOPED_TRACE(script.name);
        ScopedShortCutFileDialog files(importPath);
        answerFileDialog(files);
        CShortCutMngr table;
        freshTable(table);
        Model m;
        m.FormCreate(table);
        for (const Step &s : script.steps)
            runOnModel(m, s, messages);
        if (script.ok)
            m.btnOkClick(table);
        script.result(table);
        // A new dialog shows what OK put into the table.
        if (script.ok) {
            Model again;
            again.FormCreate(table);
            EXPECT_EQ(keyText(again, "新規作成"), keysOf(table, 16).value(0));
        }
    }
    // Initialise asked each time and went on only on Yes.
    EXPECT_EQ(messages.questions, QStringList(2, "ショートカット設定を初期化しますか?"));
    EXPECT_EQ(messages.warnings, QStringList());
}

TEST_F(ShortCutSetup, ScriptsOnTheDialog)
{
    for (const Script &script : scripts(exportPath)) {
        SCOPED_TRACE(script.name);
        ScopedShortCutFileDialog files(importPath);
        answerFileDialog(files);
        CShortCutMngr table;
        freshTable(table);
        int runs = 0;
        const ModalRunner previous = installModalRunner([&](QDialog &d) {
            ++runs;
            auto &form = dynamic_cast<TShortCutSetupForm &>(d);
            form.show();
            expectFormShowsModel(form, script.name, 0);
            for (size_t i = 0; i < script.steps.size(); ++i) {
                runOnDialog(form, script.steps[i], messages);
                expectFormShowsModel(form, script.name, i + 1);
            }
            QTest::mouseClick(script.ok ? form.ButtonOK : form.ButtonCancel, Qt::LeftButton);
            return form.result();
        });
        const int result = showShortCutSetupDialog(table);
        installModalRunner(previous);
        EXPECT_EQ(runs, 1);
        EXPECT_EQ(result, script.ok ? kavrin::mrOk : kavrin::mrCancel);
        script.result(table);
    }
    EXPECT_EQ(messages.questions, QStringList(2, "ショートカット設定を初期化しますか?"));
    EXPECT_EQ(messages.warnings, QStringList());
}

TEST_F(ShortCutSetup, TheDialogsLayoutAndKeyboard)
{
    CShortCutMngr table;
    freshTable(table);
    TShortCutSetupForm form(table);
    form.show();
    EXPECT_EQ(form.size(),
              QSize(TShortCutSetupForm::kClientWidth, TShortCutSetupForm::kClientHeight));
    EXPECT_EQ(form.minimumSize(), form.size());
    EXPECT_EQ(form.windowTitle(), "ショートカットキー設定");
    EXPECT_FALSE(form.btnDup->isVisibleTo(&form));
    EXPECT_EQ(form.valueListEditor->horizontalHeaderItem(0)->text(), "コマンド名");
    EXPECT_EQ(form.valueListEditor->horizontalHeaderItem(1)->text(), "現在の割り当て");
    EXPECT_EQ(form.valueListEditor->columnWidth(0), 184);
    EXPECT_EQ(form.TreeView->topLevelItemCount(), 3);
    EXPECT_EQ(form.TreeView->topLevelItem(0)->childCount(), 9);
    EXPECT_EQ(form.TreeView->topLevelItem(0)->child(8)->text(0), "ヘルプ");

    // Up and Down move between the rows as a click does, and are no keys to bind.
    form.valueListEditor->setFocus();
    QTest::keyClick(form.valueListEditor, Qt::Key_Up);
    EXPECT_EQ(form.model().row(), 0);
    EXPECT_EQ(form.model().rows()[0].keyText, "Ctrl+N");
    EXPECT_EQ(form.lblMessage->text(), "");
    EXPECT_FALSE(form.btnDecision->isEnabled());
    QTest::keyClick(form.valueListEditor, Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(form.model().rows()[0].keyText, "Ctrl+M");
    QTest::keyClick(form.valueListEditor, Qt::Key_Down);
    EXPECT_EQ(form.model().row(), 1);
    EXPECT_EQ(form.valueListEditor->currentRow(), 1);
    EXPECT_EQ(form.valueListEditor->item(0, 1)->text(), "Ctrl+N"); // left unconfirmed
    EXPECT_EQ(form.lblMessage->text(), "");
    EXPECT_EQ(form.model().rows()[1].keyText, "Shift+Ctrl+V");
    QTest::keyClick(form.valueListEditor, Qt::Key_Up);
    EXPECT_EQ(form.model().row(), 0);
    // Esc is a key of the list, not the dialog's cancel.
    QTest::keyClick(form.valueListEditor, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    // The list grows with the dialog.
    const int listWidth = form.valueListEditor->width();
    form.resize(800, 500);
    EXPECT_EQ(form.valueListEditor->width(), listWidth + 150);
    EXPECT_EQ(form.ButtonOK->geometry().bottom(), 500 - 8 - 1);
}
