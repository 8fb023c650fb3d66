// What the developer tools share: their own arguments (Qt never sees them), one error line on
// stderr that names the file and says what went wrong, the status codes of the program's files in
// words, and pictures written whole or not at all.
#pragma once

#include "platform/codec/codec_status.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>

class TPaper;

namespace tool {

// Names the tool in its messages. A write past the file-size limit then fails with an error the
// tool reports, instead of the signal that would end it with a half-written file. Called before
// the Qt application is made: it also gives the process a runtime folder when it has none.
void startTool(const char *name);

// argv[1..] as text. The tools hand Qt only their own name, so that Qt's options (-title,
// -display, -style...) stay the tool's arguments.
QStringList toolArguments(int argc, char **argv);
// --help or -h among args.
bool asksForHelp(const QStringList &args);
// The usage text on stdout, for --help (exit 0 follows).
int printHelp(const char *usage);
// The usage text on stderr; answers code, the tool's exit code for bad arguments.
int usageError(const char *usage, int code);

// "<tool>: <file>: <what>" on stderr.
void fail(const QString &file, const QString &what);
// "<tool>: <what>" on stderr, for what concerns no file.
void fail(const QString &what);

// A status code of the program's own files (layered images, event files, PSD documents as the
// document reads and writes them) in words, with the number after it: "the file is cut short
// (err=9)".
QString fileStatusText(uint8_t code);
// A status code of the image codec in words, with the number after it.
QString codecStatusText(codec::CodecStatus code);

// The writer format that path's extension names ("png", "jpg", "bmp"...), or empty when Qt cannot
// write pictures of that kind.
QByteArray pictureFormatOf(const QString &path);
// Refuses (with the error line) an output path whose extension names no picture format.
bool checkPictureOutput(const QString &path);
// Writes picture to path in the format of its extension, through a temporary file beside it that
// replaces path only when the whole picture was written. A failure (reported with the error line)
// leaves no temporary file and an existing path as it was.
bool writePicture(const QImage &picture, const QString &path);

// Loads the layered file in into paper: 0, or 2 with the error line when it cannot be read or lost
// a part on the way (what was salvaged of it is no copy of the file, so nothing is made from it).
int loadLayeredFile(const QString &in, TPaper &paper);
// Saves paper as the layered file out with its layers, thumbnail and masks: 0, or 3 with the error
// line.
int saveLayeredFile(const QString &out, TPaper &paper);

} // namespace tool
