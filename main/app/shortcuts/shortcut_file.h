// keyConfig.qsl, the shortcut file: an XML document (version 1.0, UTF-8, indented) whose root
// "ShortCuts" holds one empty element per binding with the attributes Command, Key, Shift, Ctrl
// and Alt, in this order ("true"/"false" for the modifiers). Status codes: 0 done, 4 the file is
// missing, 8 writing failed, 9 reading failed.
#pragma once

#include "document/files/file_types.h"

#include <QString>

#include <functional>

class CShortCutMngr;

// Largest file the reader accepts.
inline constexpr qint64 kMaxShortCutFileSize = 1024 * 1024;

// Appends the bindings of the file at path to mngr (without group and category: setType gives
// them). A command that is no table row, a key outside 1..254 and the keys 16..18 are skipped;
// a missing or empty attribute, a value that is no number (or, for the modifiers, no boolean), a
// document that is not well-formed or a file over kMaxShortCutFileSize: status 9, false (what was
// read before stays in mngr).
bool readShortCutFile(const QString &path, CShortCutMngr &mngr, int &status);
// Writes every entry of mngr that has a key or a modifier and is not marked for deletion, in
// list order, replacing the file only once it is complete: status 8 and false on failure.
bool writeShortCutFile(const QString &path, const CShortCutMngr &mngr, int &status);

// The open or save dialog of the shortcut files: true with path when the user chose a file.
using ShortCutFileDialog = std::function<bool(QString &path, TOpenFilterType kind,
                                              const QString &defaultName, const QString &folder)>;
// Installs the dialog import and export run (empty: the program's file dialog); answers the
// previous one, so that a test can answer the dialog and put it back.
ShortCutFileDialog installShortCutFileDialog(ShortCutFileDialog dialog);
bool execShortCutFileDialog(QString &path, TOpenFilterType kind, const QString &defaultName,
                            const QString &folder);
