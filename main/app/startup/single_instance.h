// One running instance per user: the first ordinary start listens on the instance channel; a later
// start asks it what it is, hands it its files (as absolute paths, in argument order), brings it
// to the front and ends. Render and viewer mode neither listen nor ask.
#pragma once

#include "platform/system/instance.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

// The requests of the channel.
inline constexpr uint32_t kInstanceQuery = 1;
inline constexpr uint32_t kInstanceOpen = 2;
inline constexpr uint32_t kInstanceToFront = 3;

// Four characters read as one little-endian value: "QZ40" an ordinary instance, "QZVw" a viewer,
// "QZRe" a render.
inline constexpr uint32_t kAnswerNormal = 0x30345A51;
inline constexpr uint32_t kAnswerViewer = 0x77565A51;
inline constexpr uint32_t kAnswerRender = 0x65525A51;

// The results of the check.
inline constexpr int32_t kInstanceHandedOver = 1; // another instance has the files: end
inline constexpr int32_t kInstanceFirst = 0;       // this is the instance: go on
inline constexpr int32_t kInstanceNoServer = -1;   // the channel cannot be made: go on
inline constexpr int32_t kInstanceNoAnswer = -2;   // someone listens but is no instance: go on

// The server of this instance; null while there is none.
extern std::unique_ptr<instance::CInstanceServer> gInstanceServer;

// What the main window does with a handed-over file and with a request to come to the front.
// Until it is installed the query answers 0, so that a later start does not hand files to an
// instance that cannot open them yet.
void installInstanceHost(std::function<void(const QString &path)> openPath,
                         std::function<void()> toFront);
void removeInstanceHost();

// The query's answer: 0 for a wParam other than 0 or while no host is installed, else by mode.
uint32_t answerQuery(uint32_t wParam);
// Answers one request of the channel (the server's handler). Opens and the call to the front are
// queued in the order they came and run from the event loop, after the answer has gone.
uint32_t handleInstanceRequest(const instance::SInstanceFrame &frame);

// A path as the hand-over carries it (UTF-16LE) and back; the text ends at a null character.
QByteArray pathPayload(const QString &path);
QString pathOfPayload(const QByteArray &payload);

// The check, under a lock file beside the socket so that two starts at once never both become the
// first nor remove each other's socket: an answering ordinary instance gets the files (made
// absolute against this process's working folder) and the call to the front, 1; another answer
// or none, -2; nobody there, this process listens, 0 (-1 when it cannot).
int32_t checkSingleInstance(const QStringList &files,
                            const QString &name = instance::instanceServerName());

// Closes this instance's server (its socket file goes).
void releaseInstanceMutex();
