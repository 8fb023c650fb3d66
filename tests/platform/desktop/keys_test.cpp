#include "platform/desktop/keys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

class KeyState : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        initialiseKeyState();
        resetKeyState();
    }
    void TearDown() override { resetKeyState(); }

    // Delivers a key event the way the application delivers one to a window.
    void sendKey(QEvent::Type type, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                 bool autoRepeat = false)
    {
        QKeyEvent event(type, key, mods, QString(), autoRepeat);
        QCoreApplication::sendEvent(&receiver, &event);
    }
    void sendButton(QEvent::Type type, Qt::MouseButton button)
    {
        QMouseEvent event(type, QPointF(1, 1), QPointF(1, 1), button, button, Qt::NoModifier);
        QCoreApplication::sendEvent(&receiver, &event);
    }
    QObject receiver;
};

} // namespace

TEST(KeyTable, QtKeysMapToVirtualKeys)
{
    struct Case
    {
        int qt;
        Qt::KeyboardModifiers mods;
        int32_t vk;
    } cases[] = {
        {Qt::Key_A, Qt::NoModifier, 'A'},
        {Qt::Key_Z, Qt::ShiftModifier, 'Z'},
        {Qt::Key_7, Qt::NoModifier, '7'},
        {Qt::Key_7, Qt::KeypadModifier, VK_NUMPAD0 + 7},
        {Qt::Key_Plus, Qt::KeypadModifier, VK_ADD},
        {Qt::Key_Plus, Qt::ShiftModifier, VK_OEM_PLUS},
        {Qt::Key_Exclam, Qt::ShiftModifier, '1'},
        {Qt::Key_F1, Qt::NoModifier, VK_F1},
        {Qt::Key_F12, Qt::NoModifier, VK_F1 + 11},
        {Qt::Key_Left, Qt::NoModifier, VK_LEFT},
        {Qt::Key_Down, Qt::NoModifier, VK_DOWN},
        {Qt::Key_Space, Qt::NoModifier, VK_SPACE},
        {Qt::Key_Escape, Qt::NoModifier, VK_ESCAPE},
        {Qt::Key_Delete, Qt::NoModifier, VK_DELETE},
        {Qt::Key_PageUp, Qt::NoModifier, VK_PRIOR},
        {Qt::Key_Control, Qt::ControlModifier, VK_CONTROL},
        {Qt::Key_Alt, Qt::AltModifier, VK_MENU},
        {Qt::Key_BracketLeft, Qt::NoModifier, VK_OEM_4},
        {Qt::Key_unknown, Qt::NoModifier, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(vkFromQtKey(c.qt, c.mods), c.vk) << std::hex << c.qt;
}

TEST(KeyTable, KeysHaveTheirUsLayoutNames)
{
    struct Case
    {
        int32_t vk;
        const char *name;
    } cases[] = {
        {'A', "A"},
        {'7', "7"},
        {VK_F1, "F1"},
        {VK_F24, "F24"},
        {VK_NUMPAD0, "Num 0"},
        {VK_NUMPAD0 + 9, "Num 9"},
        {VK_ADD, "Num +"},
        {VK_DECIMAL, "Num Del"},
        {VK_RETURN, "Enter"},
        {VK_ESCAPE, "Esc"},
        {VK_PRIOR, "Page Up"},
        {VK_DOWN, "Down"},
        {VK_CONTROL, "Ctrl"},
        {VK_OEM_PLUS, "="},
        {VK_OEM_3, "`"},
        {VK_OEM_5, "\\"},
        {VK_OEM_7, "'"},
        {VK_OEM_102, "\\"},
    };
    for (const Case &c : cases) {
        QString name;
        EXPECT_TRUE(keyNameOfVk(c.vk, name)) << c.vk;
        EXPECT_EQ(name, QString::fromLatin1(c.name)) << c.vk;
    }
    // Keys without a name leave the text as it was.
    for (int32_t vk : {0, VK_PAUSE, VK_LWIN, VK_SEPARATOR, VK_NUMLOCK, 0xE5, 300}) {
        QString name = QStringLiteral("x");
        EXPECT_FALSE(keyNameOfVk(vk, name)) << vk;
        EXPECT_EQ(name, QStringLiteral("x"));
    }
}

TEST_F(KeyState, KeysAreDownBetweenPressAndRelease)
{
    EXPECT_FALSE(isKeyDown(VK_SPACE));
    sendKey(QEvent::KeyPress, Qt::Key_Space);
    EXPECT_TRUE(isKeyDown(VK_SPACE));
    // An auto-repeated release is not the key going up.
    sendKey(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, true);
    EXPECT_TRUE(isKeyDown(VK_SPACE));
    sendKey(QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_FALSE(isKeyDown(VK_SPACE));

    // A shifted symbol goes up as the key that carries it.
    sendKey(QEvent::KeyPress, Qt::Key_Exclam, Qt::ShiftModifier);
    EXPECT_TRUE(isKeyDown('1'));
    sendKey(QEvent::KeyRelease, Qt::Key_1);
    EXPECT_FALSE(isKeyDown('1'));
}

TEST_F(KeyState, ShiftFlagsCombineModifiersAndButtons)
{
    EXPECT_EQ(getShiftFlags(), 0);
    sendKey(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    sendKey(QEvent::KeyPress, Qt::Key_Control, Qt::ShiftModifier | Qt::ControlModifier);
    sendButton(QEvent::MouseButtonPress, Qt::RightButton);
    EXPECT_EQ(getShiftFlags(), SHIFT_FLAG_SHIFT | SHIFT_FLAG_CTRL | SHIFT_FLAG_RBUTTON);
    EXPECT_TRUE(isKeyDown(VK_LSHIFT));
    EXPECT_TRUE(isKeyDown(VK_RCONTROL));

    sendKey(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    sendButton(QEvent::MouseButtonPress, Qt::LeftButton);
    sendButton(QEvent::MouseButtonPress, Qt::MiddleButton);
    sendButton(QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_EQ(getShiftFlags(), 1 | 2 | 4 | 8 | 32);

    resetKeyState();
    EXPECT_EQ(getShiftFlags(), 0);
}

TEST_F(KeyState, OutOfRangeKeysAreNeverDown)
{
    setKeyDown(300, true);
    setKeyDown(-1, true);
    EXPECT_FALSE(isKeyDown(300));
    EXPECT_FALSE(isKeyDown(-1));
    EXPECT_FALSE(isKeyDown(0));
}
