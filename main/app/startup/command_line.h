// The program's command line: the render and viewer switches with their values, the files to open
// in the order given, and the switches nobody knows. Parsing has no side effects; the settings are
// applied, and the unknown switches reported, once the program knows which mode it runs in.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

struct SCommandLine
{
    bool renderMode = false; // -render or -viewer
    bool viewerMode = false; // -viewer
    // -1 while not given, 1 when asked for.
    int32_t renderBmp = -1;
    int32_t renderJpeg = -1;
    int32_t renderJpegQuality = 75;
    int32_t renderPng = -1;
    int32_t renderTxt = -1;
    QString renderOutDir;     // -o: empty, the event file's folder
    int32_t viewerWait = 0;   // -t: seconds
    QString notifySocket;     // -w: the local socket the result code goes to
    QStringList files;        // the arguments that are no switch, in order
    QStringList unknown;      // the switches refused, each as given
};

// A switch begins with "-" ("/" begins a path here); "--render" is "-render". True for a switch,
// body then being the argument without its one or two leading dashes.
bool isSwitchArg(const QString &arg, QString &body);

// Parses the arguments (without the program's name). Switches are compared without regard to
// case, first match in the order render, viewer, bmp, jpg, png, txt, o, t, w. "jpg" takes an
// optional ":" and a quality of 1..100 (alone it keeps 75); "t" an optional ":" and a number of
// seconds (alone 10); "o" and "w" an optional ":" and the rest, or when nothing follows, the next
// argument that is no switch. A lone "--" makes every later argument a file; empty arguments are
// skipped. Anything else, a value that is no number, a quality outside 1..100 and "w" without a
// name are unknown switches and change nothing.
SCommandLine parseCommandLine(const QStringList &args);

// "unknown command line switch!\r    arg = <arg>".
QString unknownSwitchMessage(const QString &arg);

// Writes the parsed settings into the process-wide render settings.
void applyRenderSettings(const SCommandLine &cmd);

// Reports each unknown switch: on standard error in render and viewer mode (nobody is there to
// close a box, and a box would hold the render up), else as a warning box.
void reportUnknownSwitches(const SCommandLine &cmd);
