// The start-up environment of the process: locale, screens, clock and the folders the program
// works in. Read once at start by the application profile; every value has a sensible answer
// without a display.
#pragma once

#include <QLocale>
#include <QString>

#include <cstdint>

struct SStartupEnvironment
{
    uint32_t localeID = 0;   // the user's locale as a Windows locale identifier (0x0411 Japanese)
    uint32_t codePage = 0;   // the ANSI code page that goes with that locale (932 Japanese)
    bool platformNT = true;  // the program runs the paths of the NT family
    int32_t osVersion = 0;   // kernel major version * 100 + minor version
    double rtcFreq = 0;      // ticks per second of the monotonic clock
    double cpuClock = 0;     // processor clock in MHz, 0 when the system does not tell
    int32_t monitorNum = 1;  // number of screens, at least 1
    int32_t screenWidth = 0; // size of the primary screen in pixels
    int32_t screenHeight = 0;
    QString appPath;    // folder of the program file, without a trailing separator
    QString appName;    // the program file's name
    QString tmpPath;    // the user's temporary folder
    QString presetPath; // the preset folder (presetFolder())
};

// The product's name: message-box captions, the main window's caption and the file types of the
// open and save dialogs. The shell may set it at start-up, before any of these is shown.
extern QString gAppTitle;

// Screen size assumed when no screen can be asked (headless start, render mode).
inline constexpr int32_t kDefaultScreenWidth = 1920;
inline constexpr int32_t kDefaultScreenHeight = 1080;

SStartupEnvironment readStartupEnvironment();

// Gives the process a private runtime folder when XDG_RUNTIME_DIR is unset (a terminal without a
// login session, a container, a render job), so Qt neither complains nor shares one with others:
// $TMPDIR/kavrin-runtime-<uid>, made with mode 0700 and used only when it belongs to this user and
// no one else can enter it. Called before the Qt application object is made.
void ensureRuntimeFolder();

// The preset folder: $KAVRIN_DATA_DIR when set, else $XDG_DATA_HOME/Trevolt/Kavrin5e
// (~/.local/share when XDG_DATA_HOME is unset). Read anew on every call.
QString presetFolder();

// Windows locale identifier of a locale: Japanese 0x0411, Korean 0x0412, Chinese 0x0804
// (simplified) or 0x0404 (traditional), English and the C locale 0x0409; any other locale has no
// identifier of its own here and gives LOCALE_CUSTOM_DEFAULT, 0x0C00.
uint32_t localeIdOf(const QLocale &locale);
// ANSI code page of a locale: Japanese 932, Korean 949, Chinese 936 (simplified) or 950
// (traditional), any other 1252.
uint32_t ansiCodePageOf(const QLocale &locale);
