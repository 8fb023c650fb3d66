#include "ui/fields/edit_boxes.h"

#include "ui/base/popup_menu.h"

#include "platform/desktop/messages.h"
#include "ui/fields/label_fields.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

void wheel(QWidget *w, int delta, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    const QPointF p(5, 5);
    QWheelEvent ev(p, w->mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &ev);
}

} // namespace

class FieldsNumEdit : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        model.SetValues(nullptr, 50, 0, 100);
        model.setValueDefault(30);
        edit = new TNumEdit(&window);
        edit->setAssociate(&model);
        label = new TNumLabel(&window);
        label->setAssociate(&model);
        window.show();
    }

    TNumMngr model;
    QWidget window;
    TNumEdit *edit = nullptr;
    TNumLabel *label = nullptr;
};

TEST_F(FieldsNumEdit, WheelAndArrowsStep)
{
    EXPECT_EQ(edit->text(), "50");
    wheel(edit, 120);
    EXPECT_EQ(model.Value(), 51);
    wheel(edit, 120, Qt::ShiftModifier);
    EXPECT_EQ(model.Value(), 61);
    wheel(edit, 60);
    EXPECT_EQ(model.Value(), 61); // half a notch: no step yet
    wheel(edit, 60);
    EXPECT_EQ(model.Value(), 62);
    wheel(edit, -240);
    EXPECT_EQ(model.Value(), 60);
    model.setValue(95);
    QTest::keyClick(edit, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(model.Value(), 100);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(model.Value(), 99);
    EXPECT_EQ(edit->text(), "99");
    EXPECT_EQ(label->Caption(), "99");
}

TEST_F(FieldsNumEdit, TypingFollowsLiveAndLeavingRewrites)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "150");
    EXPECT_EQ(edit->text(), "150");
    EXPECT_EQ(model.Value(), 100);
    EXPECT_EQ(label->Caption(), "100");
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &out);
    EXPECT_EQ(edit->text(), "100");
}

TEST_F(FieldsNumEdit, KeystrokeFilter)
{
    edit->setText("1");
    edit->end(false);
    QTest::keyClicks(edit, "a.5.x");
    EXPECT_EQ(edit->text(), "1.5"); // the letters and the second separator refused
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "1.");
    QTest::keyClicks(edit, "-");
    EXPECT_EQ(edit->text(), "1."); // unsigned model: no minus
    model.setValueMin(-10);        // refreshes the text from the value typed so far
    EXPECT_EQ(edit->text(), "1");
    QTest::keyClicks(edit, "-");
    EXPECT_EQ(edit->text(), "1-"); // a minus anywhere; only a leading one counts
    EXPECT_EQ(model.Value(), 1);
}

TEST_F(FieldsNumEdit, ClipboardCommits)
{
    QApplication::clipboard()->setText("42");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(model.Value(), 42);
    EXPECT_EQ(edit->text(), "42");
    EXPECT_EQ(label->Caption(), "42");
    edit->setSelection(0, 1);
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(model.Value(), 30); // any cut: the default
    EXPECT_EQ(edit->text(), "30");
}

TEST_F(FieldsNumEdit, ContextMenuPasteCommits)
{
    QApplication::clipboard()->setText("17");
    const TPopupMenuRunner previous = installPopupMenuRunner([](QMenu &menu, QPoint) -> QAction * {
        for (QAction *a : menu.actions())
            if (a->objectName() == u"edit-paste") {
                a->trigger();
                return a;
            }
        return nullptr;
    });
    edit->selectAll();
    QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(5, 5), edit->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(edit, &ev);
    installPopupMenuRunner(previous);
    EXPECT_EQ(model.Value(), 17);
    EXPECT_EQ(label->Caption(), "17");
}

TEST_F(FieldsNumEdit, TypedNumbersBeyondSingle)
{
    model.setValueMin(-10);
    edit->setMaxLength(0);
    const QString digits(39, u'9');
    edit->selectAll();
    QTest::keyClicks(edit, digits);
    EXPECT_EQ(model.Value(), 100);
    edit->selectAll();
    QTest::keyClicks(edit, u'-' + digits);
    EXPECT_EQ(model.Value(), -10); // the minimum, not the maximum
    EXPECT_EQ(label->Caption(), "-10");
}

TEST_F(FieldsNumEdit, UnboundShowsZeroAndIgnoresInput)
{
    int changes = 0;
    edit->OnChange = [&](QObject *) { ++changes; };
    edit->setAssociate(nullptr);
    EXPECT_EQ(edit->text(), "0");
    EXPECT_EQ(model.AssociateCount(), 1);
    wheel(edit, 120);
    QTest::keyClick(edit, Qt::Key_Up);
    edit->selectAll();
    QTest::keyClicks(edit, "7");
    EXPECT_EQ(edit->text(), "7");
    EXPECT_EQ(changes, 1); // OnChange still fires
    EXPECT_EQ(model.Value(), 50);
    EXPECT_EQ(label->Caption(), "50");
}

// ---- in-place editing

class FieldsInPlace : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        previousMessage = setApplicationOnMessage([this](TMsg &, bool &) { ++outerMessages; });
        previousShortCut = setApplicationOnShortCut([this](TMsg &, bool &) { ++outerShortCuts; });
        previousDeactivate =
            setApplicationOnDeactivate([this](QObject *) { ++outerDeactivations; });
        window.setGeometry(100, 100, 300, 200);
        button = new QPushButton("go", &window);
        button->setGeometry(200, 10, 80, 30);
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
        auto *save = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), &window);
        save->setContext(Qt::ApplicationShortcut);
        QObject::connect(save, &QShortcut::activated, [this] { ++saves; });
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        editor = gCaptureEdit;
        ASSERT_NE(editor, nullptr);
        editor->OnExit = [this](QObject *) { ++exits; };
    }
    void TearDown() override
    {
        if (editor->Editing())
            editor->DoExit();
        editor->OnExit = {};
        editor->hide();
        editor->setParent(nullptr);
        setApplicationOnMessage(previousMessage);
        setApplicationOnShortCut(previousShortCut);
        setApplicationOnDeactivate(previousDeactivate);
    }
    void start()
    {
        editor->setParent(&window);
        editor->setGeometry(10, 10, 80, 20);
        editor->show();
        editor->setFocus();
        editor->DoEnter();
        ASSERT_TRUE(editor->Editing());
    }
    bool handlersRestored()
    {
        const int m = outerMessages, s = outerShortCuts, d = outerDeactivations;
        TMsg msg;
        bool handled = false;
        applicationOnMessage()(msg, handled);
        applicationOnShortCut()(msg, handled);
        applicationOnDeactivate()(nullptr);
        return outerMessages == m + 1 && outerShortCuts == s + 1 && outerDeactivations == d + 1;
    }

    TMessageEvent previousMessage;
    TShortCutEvent previousShortCut;
    TNotifyEvent previousDeactivate;
    int outerMessages = 0, outerShortCuts = 0, outerDeactivations = 0;
    QWidget window;
    QPushButton *button = nullptr;
    TCaptureEdit *editor = nullptr;
    int clicks = 0, saves = 0, exits = 0;
};

TEST_F(FieldsInPlace, KeysEndTheEditWithTheirResults)
{
    struct Case
    {
        Qt::Key key;
        int result;
    } cases[] = {{Qt::Key_Escape, kavrin::mrCancel},
                 {Qt::Key_Return, kavrin::mrOk},
                 {Qt::Key_Tab, kavrin::mrOk},
                 {Qt::Key_Space, kavrin::mrOk}};
    for (const Case &c : cases) {
        start();
        QTest::keyClick(editor, c.key);
        EXPECT_FALSE(editor->Editing()) << c.key;
        EXPECT_EQ(editor->EditResult(), c.result) << c.key;
        EXPECT_TRUE(handlersRestored()) << c.key;
    }
    EXPECT_EQ(exits, 4);
}

TEST_F(FieldsInPlace, ShortcutsAndOutsideClicksAreSwallowed)
{
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(saves, 1); // the shortcut works outside an edit
    start();
    QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saves, 1);
    EXPECT_TRUE(editor->Editing());
    QTest::mouseClick(editor, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5)); // inside: edits on
    EXPECT_TRUE(editor->Editing());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(editor->Editing());
    EXPECT_EQ(editor->EditResult(), kavrin::mrOk);
    EXPECT_EQ(clicks, 0); // the click ended the edit and went no further
    EXPECT_TRUE(handlersRestored());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(FieldsInPlace, HoverShowsTheTextCursor)
{
    start();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), editor->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(editor, &enter);
    EXPECT_EQ(editor->cursor().shape(), Qt::IBeamCursor);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(editor, &leave);
    EXPECT_EQ(editor->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(FieldsInPlace, SecondEnterKeepsTheSavedHandlers)
{
    start();
    editor->DoEnter();
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(editor->Editing());
    EXPECT_EQ(exits, 1);
    EXPECT_TRUE(handlersRestored());
}

TEST_F(FieldsInPlace, DeactivationEndsWithOk)
{
    start();
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QApplication::sendEvent(qApp, &deactivate);
    EXPECT_FALSE(editor->Editing());
    EXPECT_EQ(editor->EditResult(), kavrin::mrOk);
    EXPECT_EQ(outerDeactivations, 1); // the restored handler hears of it too
    EXPECT_TRUE(handlersRestored());
}

TEST_F(FieldsInPlace, NumberEditorClearsItsResultAndPassesAfterIt)
{
    TCaptureNumEdit *num = gCaptureNumEdit;
    ASSERT_NE(num, nullptr);
    num->setParent(&window);
    num->setGeometry(10, 40, 80, 20);
    num->show();
    num->DoEnter();
    QTest::keyClick(num, Qt::Key_Escape);
    EXPECT_EQ(num->EditResult(), kavrin::mrCancel);
    num->DoEnter();
    EXPECT_EQ(num->EditResult(), 0);
    num->DoExit();
    num->hide();
    num->setParent(nullptr);
    EXPECT_TRUE(handlersRestored());
}
