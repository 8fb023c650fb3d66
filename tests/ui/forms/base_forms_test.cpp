#include "ui/forms/base_forms.h"

#include "platform/system/clock.h"
#include "platform/desktop/messages.h"
#include "ui/ui_test_support.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTest>

#include <gtest/gtest.h>

using kavrin::mrCancel;
using kavrin::mrNone;
using kavrin::mrOk;

TEST(FormsDialog, LayoutOfTheBaseDialog)
{
    TDialogBaseForm dlg;
    EXPECT_EQ(dlg.size(), QSize(320, 80));
    EXPECT_EQ(dlg.ButtonOK->geometry(), QRect(216, 8, 88, 20));
    EXPECT_EQ(dlg.ButtonCancel->geometry(), QRect(216, 40, 88, 20));
    EXPECT_EQ(dlg.ButtonOK->text(), "OK");
    EXPECT_EQ(dlg.ButtonCancel->text(), QString::fromUtf8("キャンセル"));
    EXPECT_TRUE(dlg.ButtonOK->isDefault());
    EXPECT_EQ(dlg.DialogMode(), dmOKCancel);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_LE(std::abs(dlg.geometry().center().x() - screen.center().x()), 1);
    // The buttons stay anchored to the right edge.
    dlg.show();
    dlg.resize(400, 120);
    EXPECT_EQ(dlg.ButtonOK->x(), 296);
    EXPECT_EQ(dlg.ButtonCancel->x(), 296);
}

TEST(FormsDialog, KeysAndButtonsGiveTheNumericResults)
{
    struct Case
    {
        TDialogMode mode;
        int key; // 0: click Cancel
        int result;
    } cases[] = {
        {dmOKCancel, Qt::Key_Escape, mrCancel},
        {dmOKCancel, Qt::Key_Return, mrOk},
        {dmOKCancel, 0, mrCancel},
        {dmOK, Qt::Key_Escape, mrOk}, // OK is the cancel button too
        {dmOK, Qt::Key_Return, mrOk},
    };
    for (const Case &c : cases) {
        TDialogBaseForm dlg;
        dlg.setDialogMode(c.mode);
        dlg.open();
        ASSERT_TRUE(dlg.isVisible());
        EXPECT_EQ(dlg.ButtonCancel->isVisible(), c.mode == dmOKCancel);
        if (c.key)
            QTest::keyClick(&dlg, Qt::Key(c.key));
        else
            QTest::mouseClick(dlg.ButtonCancel, Qt::LeftButton);
        EXPECT_FALSE(dlg.isVisible()) << c.key;
        EXPECT_EQ(dlg.result(), c.result) << int(c.mode) << " " << c.key;
    }
}

TEST(FormsFitting, RectanglesAvoidTheExcludedArea)
{
    const sRect monitor{0, 0, 1920, 1080};
    // Under a button near the bottom edge: moved above the button.
    sRect r{100, 1050, 300, 1130};
    EXPECT_TRUE(fitRectAvoiding(r, monitor, {100, 1030, 160, 1050}));
    EXPECT_EQ(r, (sRect{100, 950, 300, 1030}));
    // Nothing fits below or above a full-height exclusion: to its right, else to its left.
    r = {100, 500, 300, 580};
    EXPECT_TRUE(fitRectAvoiding(r, monitor, {50, 0, 400, 1080}));
    EXPECT_EQ(r, (sRect{400, 500, 600, 580}));
    r = {1750, 500, 1950, 580};
    EXPECT_TRUE(fitRectAvoiding(r, monitor, {1700, 0, 1900, 1080}));
    EXPECT_EQ(r, (sRect{1500, 500, 1700, 580}));
    // Nowhere to go: false, left of the exclusion.
    r = {10, 10, 210, 90};
    EXPECT_FALSE(fitRectAvoiding(r, monitor, {-5, -5, 1925, 1085}));
    EXPECT_EQ(r, (sRect{-205, 10, -5, 90}));
    // No overlap: fitted only.
    r = {-20, 10, 180, 90};
    EXPECT_TRUE(fitRectAvoiding(r, monitor, {500, 500, 600, 600}));
    EXPECT_EQ(r, (sRect{0, 10, 200, 90}));
    sRect empty{5, 5, 5, 9};
    EXPECT_FALSE(fitRectToMonitor(empty, monitor));
    sPos o;
    EXPECT_TRUE(offsetIntoMonitor(o, {0, 0, 1920, 1080}, monitor));
    EXPECT_EQ(o, (sPos{0, 0}));
    EXPECT_FALSE(offsetIntoMonitor(o, {1900, 1070, 1950, 1090}, monitor));
    EXPECT_EQ(o, (sPos{-30, -10}));
}

namespace {

class TestPopup : public TPopupBaseForm
{
  public:
    int loads = 0;
    void LoadSettings() override { ++loads; }
};

} // namespace

class FormsPopup : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        previousMessage = setApplicationOnMessage([this](TMsg &, bool &) { ++outerMessages; });
        previousShortCut = setApplicationOnShortCut([this](TMsg &, bool &) { ++outerShortCuts; });
        previousDeactivate =
            setApplicationOnDeactivate([this](QObject *) { ++outerDeactivations; });
        other.setGeometry(500, 400, 200, 100);
        button = new QPushButton("go", &other);
        button->setGeometry(10, 10, 80, 30);
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
        other.show();
        popup.OnPopupOpen = [this](QObject *) { ++opens; };
        popup.OnPopupClose = [this](QObject *) { ++closes; };
    }
    void TearDown() override
    {
        if (popup.Down())
            popup.ClosePopup();
        setApplicationOnMessage(previousMessage);
        setApplicationOnShortCut(previousShortCut);
        setApplicationOnDeactivate(previousDeactivate);
        installMillisecondClock({});
    }
    void open()
    {
        popup.ShowPopUp(100, 100, nullptr);
        ASSERT_TRUE(popup.Down());
    }
    void releaseButton()
    {
        QMouseEvent ev(QEvent::MouseButtonRelease, QPointF(5, 5), other.mapToGlobal(QPointF(5, 5)),
                       Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&other, &ev);
    }
    // Whether the handlers in the slots are the test's own again.
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
    QWidget other;
    QPushButton *button = nullptr;
    TestPopup popup;
    int clicks = 0, opens = 0, closes = 0;
};

TEST_F(FormsPopup, KeysCloseWithTheirResults)
{
    struct Case
    {
        Qt::Key key;
        int result;
    } cases[] = {{Qt::Key_Escape, mrCancel},
                 {Qt::Key_Return, mrOk},
                 {Qt::Key_Tab, mrOk},
                 {Qt::Key_Space, mrOk}};
    for (const Case &c : cases) {
        open();
        EXPECT_EQ(popup.PopupResult(), mrNone);
        EXPECT_TRUE(popup.isVisible());
        QTest::keyClick(&popup, c.key);
        EXPECT_FALSE(popup.Down()) << c.key;
        EXPECT_FALSE(popup.isVisible());
        EXPECT_EQ(popup.PopupResult(), c.result) << c.key;
    }
    EXPECT_EQ(opens, 4);
    EXPECT_EQ(closes, 4);
    EXPECT_EQ(popup.loads, 4);
    EXPECT_TRUE(handlersRestored());
}

TEST_F(FormsPopup, ClicksInsideStayOutsideCloseAndStillArrive)
{
    open();
    popup.ShowPopUp(300, 300, nullptr); // already open: ignored
    EXPECT_EQ(opens, 1);
    QTest::mouseClick(&popup, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_TRUE(popup.Down());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(popup.Down());
    EXPECT_EQ(popup.PopupResult(), mrOk);
    EXPECT_EQ(clicks, 1); // the click reached the button
    EXPECT_TRUE(handlersRestored());
}

TEST_F(FormsPopup, ModalDialogKeepsThePopupOpenAndShortcutsAlive)
{
    int fired = 0;
    QDialog modal;
    auto *shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), &modal);
    shortcut->setContext(Qt::ApplicationShortcut);
    QObject::connect(shortcut, &QShortcut::activated, [&] { ++fired; });
    open();
    modal.setModal(true);
    modal.show();
    modal.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&modal)); // shortcuts need an active window
    ASSERT_TRUE(modalFormShowing());
    QTest::keyClick(&modal, Qt::Key_Tab, Qt::NoModifier);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(popup.Down());
    QTest::keyClick(&modal, Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(fired, 1);
    modal.hide();
    popup.ClosePopup();
    EXPECT_TRUE(handlersRestored());
}

TEST_F(FormsPopup, ShortcutsAreSwallowedWhileOpen)
{
    int fired = 0;
    auto *shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_J), &other);
    shortcut->setContext(Qt::ApplicationShortcut);
    QObject::connect(shortcut, &QShortcut::activated, [&] { ++fired; });
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other)); // shortcuts need an active window
    QTest::keyClick(&other, Qt::Key_J, Qt::ControlModifier);
    ASSERT_EQ(fired, 1); // the shortcut works with no popup open
    open();
    QTest::keyClick(&other, Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(fired, 1);
    popup.ClosePopup();
    QTest::keyClick(&other, Qt::Key_J, Qt::ControlModifier);
    EXPECT_EQ(fired, 2);
}

TEST_F(FormsPopup, DeactivationClosesAndCallsThePreviousHandler)
{
    open();
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QApplication::sendEvent(qApp, &deactivate);
    EXPECT_FALSE(popup.Down());
    EXPECT_EQ(popup.PopupResult(), mrOk);
    EXPECT_EQ(outerDeactivations, 1);
    EXPECT_TRUE(handlersRestored());
}

TEST_F(FormsPopup, DragCloseNeedsALongEnoughHold)
{
    uint32_t now = 5000;
    installMillisecondClock([&] { return now; });
    popup.setDragClose(true);
    open();
    now += 500;
    releaseButton();
    EXPECT_TRUE(popup.Down()); // too soon: stays, and drag-close is off
    EXPECT_FALSE(popup.dragClose());
    QTest::keyClick(&popup, Qt::Key_Escape);
    open(); // the next opening is not armed either
    now += 2000;
    releaseButton();
    EXPECT_TRUE(popup.Down());
    popup.ClosePopup();

    popup.setDragClose(true);
    open();
    now += 1000;
    releaseButton();
    EXPECT_FALSE(popup.Down());
    EXPECT_EQ(popup.PopupResult(), mrOk);
    EXPECT_TRUE(popup.dragClose()); // still armed for the next opening
    EXPECT_TRUE(handlersRestored());
}

TEST_F(FormsPopup, OpensOnTheScreenOffTheExcludedRectangle)
{
    const sRect monitor = monitorRectNear({0, 0});
    const sRect exclude{monitor.x1 - 300, monitor.y1 - 30, monitor.x1 - 250, monitor.y1};
    popup.ShowPopUp(monitor.x1 - 300, monitor.y1 - 10, &exclude);
    EXPECT_EQ(popup.pos(), QPoint(monitor.x1 - 300, monitor.y1 - 30 - popup.height()));
}
