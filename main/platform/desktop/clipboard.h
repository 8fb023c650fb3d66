// Clipboard helpers. A format is a MIME type name; the program's private formats are
// "application/x-kavrin-<name>". Data is a byte array (the memory block of the format).
//
// Like the system clipboard the program was written for, the clipboard here is owned by whoever
// emptied it last, and the owner adds formats one by one: clipboardEmpty takes ownership, then
// clipboardSetData and clipboardPromise add to what the program already put there. A promised
// format has no data yet; it is rendered by the installed renderer when someone asks for it.
// Every helper answers false without a GUI application.
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <functional>

// Data of the format is on the clipboard.
bool clipboardHasFormat(const QString &fmt);
// Empties the clipboard and takes ownership when forced or when the program does not own it;
// true only when it emptied.
bool clipboardEmpty(bool force);
// The program put the clipboard's current contents there.
bool clipboardOwned();
// The formats announced on the clipboard, with data or promised, in the owner's order.
QStringList clipboardFormats();
// Announces fmt for delayed rendering; false for an empty format name.
bool clipboardPromise(const QString &fmt);
// Puts data under fmt (beside the formats the program already put there); true when the clipboard
// holds that very data afterwards.
bool clipboardSetData(const QString &fmt, const QByteArray &data);
// Hands the data of fmt to callback and answers its result; false when the format is absent or
// its data cannot be had (a promise that renders nothing).
bool clipboardReadData(const QString &fmt, const std::function<bool(const QByteArray &)> &callback);

// Renders the data of a promised format on request; an empty result means "not available".
using ClipboardRenderer = std::function<QByteArray(const QString &fmt)>;
// Installs the renderer of promised formats (an empty one renders nothing).
void setClipboardRenderer(ClipboardRenderer renderer);

// count bytes read from stream into a new zero-filled block for the clipboard. A null array (with
// nothing kept) when count is negative, the memory cannot be had, or the read falls short.
QByteArray streamToGlobal(QIODevice &stream, qint64 count);
