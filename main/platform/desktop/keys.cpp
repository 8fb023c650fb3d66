#include "platform/desktop/keys.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>

#include <array>

namespace {

std::array<bool, 256> &keyTable()
{
    static std::array<bool, 256> down{};
    return down;
}

std::array<bool, 256> &toggleTable()
{
    static std::array<bool, 256> on{};
    return on;
}

struct KeyPair
{
    int qt;
    int32_t vk;
};

// Keys whose virtual key differs from the Qt key code. Letters and digits need no entry: their
// Qt codes are their ASCII codes, as are the virtual keys.
constexpr KeyPair kKeyTable[] = {
    {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Tab, VK_TAB},
    {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Backspace, VK_BACK},
    {Qt::Key_Return, VK_RETURN},
    {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Pause, VK_PAUSE},
    {Qt::Key_Print, VK_SNAPSHOT},
    {Qt::Key_Clear, VK_CLEAR},
    {Qt::Key_Home, VK_HOME},
    {Qt::Key_End, VK_END},
    {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},
    {Qt::Key_Down, VK_DOWN},
    {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL},
    {Qt::Key_Alt, VK_MENU},
    {Qt::Key_AltGr, VK_MENU},
    {Qt::Key_Meta, VK_LWIN},
    {Qt::Key_CapsLock, VK_CAPITAL},
    {Qt::Key_NumLock, VK_NUMLOCK},
    {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Menu, VK_APPS},
    {Qt::Key_Help, VK_HELP},
    {Qt::Key_Space, VK_SPACE},
    {Qt::Key_Kanji, VK_KANJI},
    {Qt::Key_Henkan, VK_CONVERT},
    {Qt::Key_Muhenkan, VK_NONCONVERT},
    {Qt::Key_Semicolon, VK_OEM_1},
    {Qt::Key_Colon, VK_OEM_1},
    {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Plus, VK_OEM_PLUS},
    {Qt::Key_Comma, VK_OEM_COMMA},
    {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS},
    {Qt::Key_Underscore, VK_OEM_MINUS},
    {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Greater, VK_OEM_PERIOD},
    {Qt::Key_Slash, VK_OEM_2},
    {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3},
    {Qt::Key_AsciiTilde, VK_OEM_3},
    {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4},
    {Qt::Key_Backslash, VK_OEM_5},
    {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6},
    {Qt::Key_BraceRight, VK_OEM_6},
    {Qt::Key_Apostrophe, VK_OEM_7},
    {Qt::Key_QuoteDbl, VK_OEM_7},
    {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},
};

// The keypad's own keys; digits are handled by range.
constexpr KeyPair kKeypadTable[] = {
    {Qt::Key_Asterisk, VK_MULTIPLY}, {Qt::Key_Plus, VK_ADD},        {Qt::Key_Minus, VK_SUBTRACT},
    {Qt::Key_Period, VK_DECIMAL},    {Qt::Key_Comma, VK_SEPARATOR}, {Qt::Key_Slash, VK_DIVIDE},
    {Qt::Key_Enter, VK_RETURN},
};

struct KeyName
{
    int32_t vk;
    const char *name;
};

// Named keys that are not letters, digits, function keys or keypad digits.
constexpr KeyName kKeyNames[] = {
    {VK_BACK, "Backspace"}, {VK_TAB, "Tab"},         {VK_RETURN, "Enter"},   {VK_SHIFT, "Shift"},
    {VK_CONTROL, "Ctrl"},   {VK_MENU, "Alt"},        {VK_ESCAPE, "Esc"},     {VK_SPACE, "Space"},
    {VK_PRIOR, "Page Up"},  {VK_NEXT, "Page Down"},  {VK_END, "End"},        {VK_HOME, "Home"},
    {VK_LEFT, "Left"},      {VK_UP, "Up"},           {VK_RIGHT, "Right"},    {VK_DOWN, "Down"},
    {VK_INSERT, "Insert"},  {VK_DELETE, "Delete"},   {VK_MULTIPLY, "Num *"}, {VK_ADD, "Num +"},
    {VK_SUBTRACT, "Num -"}, {VK_DECIMAL, "Num Del"}, {VK_DIVIDE, "Num /"},   {VK_OEM_1, ";"},
    {VK_OEM_PLUS, "="},     {VK_OEM_COMMA, ","},     {VK_OEM_MINUS, "-"},    {VK_OEM_PERIOD, "."},
    {VK_OEM_2, "/"},        {VK_OEM_3, "`"},         {VK_OEM_4, "["},        {VK_OEM_5, "\\"},
    {VK_OEM_6, "]"},        {VK_OEM_7, "'"},         {VK_OEM_102, "\\"},
};

int32_t vkOfMouseButton(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return VK_LBUTTON;
    case Qt::RightButton:
        return VK_RBUTTON;
    case Qt::MiddleButton:
        return VK_MBUTTON;
    default:
        return 0;
    }
}

// Notes key and button changes of every event the application delivers. Events that propagate
// to parents pass more than once; noting a state twice does no harm.
class KeyStateRecorder : public QObject
{
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (!key->isAutoRepeat())
                setKeyDown(vkFromQtKey(key->key(), key->modifiers()),
                           event->type() == QEvent::KeyPress);
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            setKeyDown(vkOfMouseButton(static_cast<QMouseEvent *>(event)->button()),
                       event->type() == QEvent::MouseButtonPress);
            break;
        case QEvent::ApplicationStateChange:
            // Releases made while another program has the focus never arrive here.
            if (QGuiApplication::applicationState() != Qt::ApplicationActive)
                resetKeyState();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }
};

QGuiApplication *guiApp()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance());
}

// The modifier or button that Qt itself reports for a virtual key; none for other keys.
bool qtReportsDown(int32_t vk)
{
    if (!guiApp())
        return false;
    switch (vk) {
    case VK_SHIFT:
        return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
    case VK_CONTROL:
        return QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    case VK_MENU:
        return QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier;
    case VK_LBUTTON:
        return QGuiApplication::mouseButtons() & Qt::LeftButton;
    case VK_RBUTTON:
        return QGuiApplication::mouseButtons() & Qt::RightButton;
    case VK_MBUTTON:
        return QGuiApplication::mouseButtons() & Qt::MiddleButton;
    default:
        return false;
    }
}

} // namespace

int32_t vkFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & Qt::KeypadModifier) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
            return VK_NUMPAD0 + (qtKey - Qt::Key_0);
        for (const KeyPair &k : kKeypadTable) {
            if (k.qt == qtKey)
                return k.vk;
        }
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return VK_F1 + (qtKey - Qt::Key_F1);
    for (const KeyPair &k : kKeyTable) {
        if (k.qt == qtKey)
            return k.vk;
    }
    return 0;
}

bool keyNameOfVk(int32_t vk, QString &name)
{
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
        name = QChar(char16_t(vk));
        return true;
    }
    if (vk >= VK_F1 && vk <= VK_F24) {
        name = QStringLiteral("F%1").arg(vk - VK_F1 + 1);
        return true;
    }
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) {
        name = QStringLiteral("Num %1").arg(vk - VK_NUMPAD0);
        return true;
    }
    for (const KeyName &k : kKeyNames) {
        if (k.vk == vk) {
            name = QString::fromLatin1(k.name);
            return true;
        }
    }
    return false;
}

void initialiseKeyState()
{
    // A QPointer, so that a later application object gets a recorder of its own.
    static QPointer<KeyStateRecorder> recorder;
    QCoreApplication *app = QCoreApplication::instance();
    if (recorder || !app)
        return;
    recorder = new KeyStateRecorder(app);
    app->installEventFilter(recorder);
}

void resetKeyState()
{
    keyTable().fill(false);
}

void setKeyDown(int32_t vk, bool down)
{
    if (vk <= 0 || vk >= 256)
        return;
    bool &state = keyTable()[size_t(vk)];
    // Caps Lock flips with each press, not with its repeats or its release.
    if (vk == VK_CAPITAL && down && !state)
        toggleTable()[size_t(vk)] = !toggleTable()[size_t(vk)];
    state = down;
}

bool isKeyToggled(int32_t vk)
{
    return vk > 0 && vk < 256 && toggleTable()[size_t(vk)];
}

void setKeyToggled(int32_t vk, bool on)
{
    if (vk > 0 && vk < 256)
        toggleTable()[size_t(vk)] = on;
}

bool isKeyDown(int32_t vk)
{
    switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
        vk = VK_SHIFT;
        break;
    case VK_LCONTROL:
    case VK_RCONTROL:
        vk = VK_CONTROL;
        break;
    case VK_LMENU:
    case VK_RMENU:
        vk = VK_MENU;
        break;
    default:
        break;
    }
    if (vk <= 0 || vk >= 256)
        return false;
    return keyTable()[size_t(vk)] || qtReportsDown(vk);
}

int32_t getShiftFlags()
{
    int32_t flags = 0;
    if (isKeyDown(VK_SHIFT))
        flags |= SHIFT_FLAG_SHIFT;
    if (isKeyDown(VK_MENU))
        flags |= SHIFT_FLAG_ALT;
    if (isKeyDown(VK_CONTROL))
        flags |= SHIFT_FLAG_CTRL;
    if (isKeyDown(VK_LBUTTON))
        flags |= SHIFT_FLAG_LBUTTON;
    if (isKeyDown(VK_RBUTTON))
        flags |= SHIFT_FLAG_RBUTTON;
    if (isKeyDown(VK_MBUTTON))
        flags |= SHIFT_FLAG_MBUTTON;
    return flags;
}
