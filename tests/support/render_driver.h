// Renders an event file as the program's render mode does, with no main window: the render
// settings set, a headless document window opened on the file by its type, its replay driven by
// the window's timer driver to the end. Answers the exit status the process would leave with and
// the bytes the notification socket received. The caller keeps the document's application objects
// (CHeadlessPaperApp) alive around the call.
#pragma once

#include "document/paper/paper_host.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "windows/docwin/draw_window.h"
#include "windows/docwin/render_end.h"
#include "windows/docwin/replay_driving.h"
#include "windows/render_settings.h"
#include "windows/shell_host.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QUuid>

#include <memory>
#include <vector>

struct SRenderRequest
{
    QString outDir; // empty: the event file's folder
    bool bmp = false, jpeg = false, png = false, txt = false;
    int32_t jpegQuality = 75;
    bool viewer = false;
    int32_t viewerWait = 0;
    bool notify = true; // a listener on the notification socket
};

struct SRenderOutcome
{
    int32_t exitStatus = -1;
    int32_t resultCode = -1;
    QByteArray notified;
    // The waits asked of busyWaitSeconds, in seconds.
    std::vector<int32_t> waits;
    // Replay steps the driver ran.
    uint64_t steps = 0;
    bool opened = false;
};

inline SRenderOutcome renderEventFileHeadless(const QString &events, const SRenderRequest &req)
{
    SRenderOutcome out;
    resetRenderSettings();
    resetRenderEnd();
    gRenderMode = true;
    gViewerMode = req.viewer;
    gViewerWait = req.viewerWait;
    gRenderOutDir = req.outDir;
    gRenderBmp = req.bmp;
    gRenderJpeg = req.jpeg;
    gRenderPng = req.png;
    gRenderTxt = req.txt;
    gRenderJpegQuality = req.jpegQuality;
    installBusyWaiter([&out](int32_t s) { out.waits.push_back(s); });

    QLocalServer server;
    if (req.notify) {
        const QString name =
            QStringLiteral("kavrin-render-test-") + QUuid::createUuid().toString(QUuid::Id128);
        server.listen(name);
        gNotifySocket = name;
    } else {
        gNotifySocket = QStringLiteral("kavrin-render-test-nobody-") +
                        QUuid::createUuid().toString(QUuid::Id128);
    }

    CHeadlessMainForm &main = headlessMainForm();
    const int32_t closes = main.closeCount;
    {
        std::unique_ptr<TDrawWindow> w = TDrawWindow::Create();
        if (w) {
            setCurrentDrawWindow(w.get());
            const bool legacy = QFileInfo(events).suffix().compare(QStringLiteral("wpe"),
                                                                    Qt::CaseInsensitive) == 0;
            out.opened = legacy ? w->openWPE(events) : w->openQES(events);
            if (out.opened) {
                QEventLoop loop;
                CReplayDriver driver(*w);
                driver.onFinished = [&loop] { loop.quit(); };
                QTimer guard;
                guard.setSingleShot(true);
                QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
                guard.start(120000);
                driver.start();
                if (w->m_eventPlaying)
                    loop.exec();
                driver.stop();
                out.steps = driver.steps();
            }
            setCurrentDrawWindow(nullptr);
        }
    }
    if (main.closeCount == closes)
        gRenderResultCode = -1; // the render never ended
    out.resultCode = gRenderResultCode;
    out.exitStatus = renderExitStatus(gRenderResultCode);
    if (req.notify) {
        if (server.hasPendingConnections() || server.waitForNewConnection(200)) {
            QLocalSocket *s = server.nextPendingConnection();
            while (s && out.notified.size() < 4 && (s->bytesAvailable() > 0 || s->waitForReadyRead(200)))
                out.notified += s->readAll();
        }
    }
    installBusyWaiter({});
    resetRenderSettings();
    return out;
}
