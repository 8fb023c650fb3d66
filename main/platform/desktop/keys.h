// Key and button state. The program's key vocabulary is the Windows virtual-key numbering (the
// shortcut file stores it); Qt keys are mapped to it by one table (vkFromQtKey). The recorder, an
// event filter on the application object installed by initialiseKeyState, notes which keys and
// mouse buttons are down from the events that pass; Shift, Ctrl, Alt and the mouse buttons are
// also asked of Qt directly.
#pragma once

#include <QString>
#include <Qt>

#include <cstdint>

// Virtual-key numbers. Letters and digits are their upper-case ASCII codes ('A', '0').
constexpr int32_t VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04;
constexpr int32_t VK_BACK = 0x08, VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D;
constexpr int32_t VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13;
constexpr int32_t VK_CAPITAL = 0x14, VK_KANJI = 0x19, VK_ESCAPE = 0x1B, VK_CONVERT = 0x1C;
constexpr int32_t VK_NONCONVERT = 0x1D, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22;
constexpr int32_t VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27;
constexpr int32_t VK_DOWN = 0x28, VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E;
constexpr int32_t VK_HELP = 0x2F, VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D;
constexpr int32_t VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C;
constexpr int32_t VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_F1 = 0x70;
constexpr int32_t VK_F24 = 0x87, VK_NUMLOCK = 0x90, VK_SCROLL = 0x91;
constexpr int32_t VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3;
constexpr int32_t VK_LMENU = 0xA4, VK_RMENU = 0xA5;
constexpr int32_t VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD;
constexpr int32_t VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB;
constexpr int32_t VK_OEM_5 = 0xDC, VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE, VK_OEM_102 = 0xE2;

// Bits of getShiftFlags.
constexpr int32_t SHIFT_FLAG_SHIFT = 1, SHIFT_FLAG_ALT = 2, SHIFT_FLAG_CTRL = 4;
constexpr int32_t SHIFT_FLAG_LBUTTON = 8, SHIFT_FLAG_RBUTTON = 16, SHIFT_FLAG_MBUTTON = 32;

// The virtual key of a Qt key; 0 for a key without one. Keypad keys (KeypadModifier) give the
// VK_NUMPAD keys; shifted symbols give the key that carries them on a US layout ('!' gives '1').
int32_t vkFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// The name a key is shown by in shortcut texts ("A", "F5", "Num +", "Page Up", ";"). One fixed
// table of the names a US layout gives, so that the texts never change with the keyboard layout.
// False (and name unchanged) for a key without a name.
bool keyNameOfVk(int32_t vk, QString &name);

// Installs the recorder on the application object (once; later calls do nothing).
void initialiseKeyState();
// Forgets every key and button noted as down (on deactivation, and in tests).
void resetKeyState();
// Notes a key or button as down or up.
void setKeyDown(int32_t vk, bool down);
// The key or button is held now. VK_LSHIFT and the other sided modifiers answer for either side.
bool isKeyDown(int32_t vk);
// A toggle key (Caps Lock) is on: each press of it, noted by the recorder or setKeyDown, flips it.
bool isKeyToggled(int32_t vk);
void setKeyToggled(int32_t vk, bool on);
// Shift 1, Alt 2, Ctrl 4, left button 8, right button 16, middle button 32.
int32_t getShiftFlags();
