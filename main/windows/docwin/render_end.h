// The end of a render: the result code, the markers of failures, the wait of a viewer, the
// notification of whoever started the render, and the exit status the process leaves with.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>

// The result code of the render (8 done, 9 an output failed, 10 the replay failed, 12 the file
// holds image data); -1 while none was given.
extern int32_t gRenderResultCode;
// The marker files written in this run (at most one).
extern int32_t gRenderMarkerCount;

// The exit status for a result code: 0 for 8, 9, 10 and 12 as themselves, 10 for anything else
// (no code given).
int32_t renderExitStatus(int32_t code);
// The empty file output folder + title of evpath + ext, once per run; the folder is made first.
void writeRenderMarker(const QString &evpath, const QString &ext);
// Waits n seconds (nothing for n <= 0) while the program keeps handling its events, so that a
// viewer goes on painting. Through the installed waiter; tests install one that records.
void busyWaitSeconds(int32_t n);
using BusyWaiter = std::function<void(int32_t seconds)>;
// Installs the waiter (empty: the real one) and answers the previous.
BusyWaiter installBusyWaiter(BusyWaiter waiter);
// Sends code as 4 bytes little-endian to the local socket name, waiting at most a second;
// false when nobody listens or the write did not finish.
bool notifyRenderResult(const QString &name, int32_t code);
// The output folder joined with the title (name without folder and extension) of evpath.
QString renderOutputBase(const QString &evpath);
// The render's process-wide state back to its start (no code, no marker).
void resetRenderEnd();
