// TDrawWindow: the end of a render. The outputs of a finished replay (the composed image in the
// requested formats, the count of every replayed operation, the replayed events again), the
// marker of a failure, and the notification and close that end the program.
#include "windows/docwin/render_end.h"

#include "core/image/canvas.h"
#include "core/image/dib_core.h"
#include "document/events/event_codes.h"
#include "document/events/event_file.h"
#include "document/events/event_manager.h"
#include "document/events/legacy_event_stream.h"
#include "document/paper/paper.h"
#include "document/view/composition.h"
#include "platform/codec/jpeg_codec.h"
#include "platform/codec/png_codec.h"
#include "windows/docwin/draw_window.h"
#include "windows/docwin/saving.h"
#include "windows/render_settings.h"
#include "windows/shell_host.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSaveFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>

int32_t gRenderResultCode = -1;
int32_t gRenderMarkerCount = 0;

namespace {

BusyWaiter gBusyWaiter;

// Waits in a local event loop that a single-shot timer ends.
void waitWithEvents(int32_t seconds)
{
    QEventLoop loop;
    // A timer counts in int milliseconds: a wait of more than about 24 days is cut there.
    QTimer::singleShot(std::min(seconds, 2000000) * 1000, &loop, &QEventLoop::quit);
    loop.exec();
}

void reportUnwritten(const QString &path)
{
    std::fprintf(stderr, "kavrin: %s: could not be written\n",
                 qPrintable(QDir::toNativeSeparators(path)));
}

bool makeOutputFolder()
{
    return gRenderOutDir.isEmpty() || QDir().mkpath(gRenderOutDir);
}

bool saveRenderJpeg(const QString &path, const TMTC &image, int32_t dpi)
{
    tagBITMAPINFOHEADER info{};
    std::unique_ptr<uint8_t[]> bits;
    if (!image.makeBMP32(dpi, sBox{0, 0, image.width(), image.height()}, info, bits))
        return false;
    const codec::JpegSaveOptions opt{0, 0, 0, gRenderJpegQuality, 0};
    return codec::succeeded(
        codec::jpegSaveImage(path, codecHeaderOf(info), dibBitsOf(info, bits.get()), opt));
}

bool saveRenderPng(const QString &path, const TPaper &paper)
{
    // A copy: the display image itself stays as composed.
    TMTC image(paper.vram());
    if (image.width() != paper.vram().width())
        return false;
    if (!paper.bVisCanvasCol)
        image.convert32to24(paper.m_canvascolor);
    tagBITMAPINFOHEADER info{};
    std::unique_ptr<uint8_t[]> bits;
    if (!image.makeBMP24(paper.m_paperDPI, info, bits))
        return false;
    return codec::succeeded(
        codec::pngSaveImage(path, codecHeaderOf(info), dibBitsOf(info, bits.get()), -1));
}

// "name<TAB>count<CR><LF>" for every code that occurred, in code order.
bool saveRenderCounts(const QString &path, const std::array<uint32_t, 153> &info)
{
    QByteArray text;
    for (int c = 0; c < kEventCodeCount && c < int(info.size()); ++c)
        if (info[size_t(c)] != 0)
            text += QByteArray(gEventCodeDotNames[c]) + '\t' +
                    QByteArray::number(info[size_t(c)]) + "\r\n";
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size() && f.commit();
}

bool samePath(const QString &a, const QString &b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

} // namespace

int32_t renderExitStatus(int32_t code)
{
    switch (code) {
    case 8:
        return 0;
    case 9:
    case 10:
    case 12:
        return code;
    default:
        return 10;
    }
}

QString renderOutputBase(const QString &evpath)
{
    const QString title = QFileInfo(evpath).completeBaseName();
    return gRenderOutDir.isEmpty() ? QFileInfo(evpath).dir().filePath(title)
                                   : QDir(gRenderOutDir).filePath(title);
}

void writeRenderMarker(const QString &evpath, const QString &ext)
{
    if (gRenderMarkerCount > 0)
        return;
    ++gRenderMarkerCount;
    makeOutputFolder();
    QFile f(renderOutputBase(evpath) + ext);
    if (f.open(QIODevice::WriteOnly))
        f.close();
}

BusyWaiter installBusyWaiter(BusyWaiter waiter)
{
    BusyWaiter old = std::move(gBusyWaiter);
    gBusyWaiter = std::move(waiter);
    return old;
}

void busyWaitSeconds(int32_t n)
{
    if (n <= 0)
        return;
    if (gBusyWaiter)
        gBusyWaiter(n);
    else
        waitWithEvents(n);
}

bool notifyRenderResult(const QString &name, int32_t code)
{
    if (name.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(1000))
        return false;
    const uint32_t v = uint32_t(code);
    const char bytes[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF),
                           char((v >> 24) & 0xFF)};
    const bool ok = socket.write(bytes, 4) == 4 && socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(1000);
    return ok;
}

void resetRenderEnd()
{
    gRenderResultCode = -1;
    gRenderMarkerCount = 0;
    installBusyWaiter({});
}

void TDrawWindow::renderQuit(const QString &evpath, int32_t code)
{
    if (code == 10)
        writeRenderMarker(evpath, QStringLiteral(".bad"));
    else if (code == 12)
        writeRenderMarker(evpath, QStringLiteral(".him"));
    if (gViewerMode)
        busyWaitSeconds(gViewerWait);
    gRenderResultCode = code;
    if (code >= 0 && !gNotifySocket.isEmpty())
        notifyRenderResult(gNotifySocket, code);
    mainForm().closeMainWindow();
}

bool TDrawWindow::renderEventEnd(bool qes)
{
    if (!gRenderMode)
        return false;
    const QString base = renderOutputBase(eventPath);
    UpdateVRAM(*paper, false, false);
    // A render runs unattended: every output that fails is named on the error stream, the exit
    // status only says that one did.
    bool outputsOk = makeOutputFolder();
    if (!outputsOk)
        reportUnwritten(gRenderOutDir);
    const auto written = [&outputsOk](const QString &path, bool ok) {
        if (!ok) {
            reportUnwritten(path);
            outputsOk = false;
        }
    };
    const TTC &vram = paper->vram();
    if (outputsOk) {
        if (gRenderBmp) {
            const QString path = base + QStringLiteral(".bmp");
            written(path, vram.saveBitmap(path, paper->m_paperDPI));
        }
        if (gRenderJpeg) {
            const QString path = base + QStringLiteral(".jpg");
            written(path, saveRenderJpeg(path, vram, paper->m_paperDPI));
        }
        if (gRenderPng) {
            const QString path = base + QStringLiteral(".png");
            written(path, saveRenderPng(path, *paper));
        }
        if (gRenderTxt) {
            const QString path = base + QStringLiteral(".txt");
            written(path, saveRenderCounts(path, m_info));
        }
    }
    bool eventsOk = true;
    if (!gViewerMode) {
        CEventMngr &ev = paper->eventMngr();
        QString target;
        if (qes) {
            QString ext;
            ev.getPlayFileVersion(ext);
            target = base + ext;
        } else {
            target = base + QStringLiteral(".wpe");
        }
        // The recording the render was started on is never replaced: written back onto itself
        // it counts as written.
        if (!samePath(target, eventPath)) {
            if (qes) {
                eventsOk = exportEventFile(target, *paper, true, ev.fileExtFlags,
                                           int32_t(ev.fileVersion), true);
            } else if (eventPacket) {
                eventPacket->PushEventFin();
                eventsOk = eventPacket->SaveToFile(target);
            } else {
                eventsOk = false;
            }
            if (!eventsOk)
                reportUnwritten(target);
        }
    }
    const bool ok = outputsOk && eventsOk;
    renderQuit(eventPath, ok ? 8 : 9);
    return ok;
}
