#include "app/startup/render_job.h"

#include "app/shell/message_boxes.h"
#include "document/files/file_types.h"
#include "document/paper/headless_app.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "platform/system/environment.h"
#include "windows/docwin/draw_window.h"
#include "windows/docwin/draw_window_widget.h"
#include "windows/docwin/render_end.h"
#include "windows/docwin/replay_driving.h"
#include "windows/render_settings.h"
#include "windows/shell_host.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include <cstdio>
#include <exception>

namespace {

const char kUsage[] = "usage: kavrin -render|-viewer EVENTFILE [-bmp] [-jpg[:Q]] [-png] [-txt]\n"
                      "              [-o DIR] [-t[:SECONDS]] [-w SOCKET]\n";

void errorLine(const QString &text)
{
    std::fprintf(stderr, "kavrin: %s\n", text.toLocal8Bit().constData());
}

// The main window of a job: the headless one, whose close ends the job's event loop. The first
// close's result code is the job's, whatever a later end of the same replay reports.
class CRenderMainForm : public CHeadlessMainForm
{
  public:
    void closeMainWindow() override
    {
        CHeadlessMainForm::closeMainWindow();
        if (!closed) {
            closed = true;
            resultCode = gRenderResultCode;
        }
        if (loop)
            loop->quit();
    }
    QEventLoop *loop = nullptr;
    bool closed = false;
    int32_t resultCode = -1;
};

bool isReplayType(frmtType t)
{
    return t == frmtQES || t == frmtQE3 || t == frmtQE4 || t == frmtQE5;
}

// One step of the window's replay; an exception ends the replay as a failed step.
eEvPlayStat guardedStep(TDrawWindow &w, QString &failure)
{
    try {
        return w.eventType == eEventType::evtWPE ? w.playEventWPE() : w.playEventQES();
    } catch (const std::exception &e) {
        failure = QString::fromLocal8Bit(e.what());
    } catch (...) {
        failure = QStringLiteral("an unknown exception");
    }
    w.m_eventPlaying = false;
    return eEvPlayStat::epsError;
}

// Opens path in w and drives its replay until the job's main window closes or the replay stops.
void playInWindow(TDrawWindow &w, const QString &path, bool qes, CRenderMainForm &form)
{
    setCurrentDrawWindow(&w);
    form.active = &w;
    const bool opened = qes ? w.openQES(path) : w.openWPE(path);
    QString failure;
    if (opened && !form.closed && w.m_eventPlaying) {
        QEventLoop loop;
        form.loop = &loop;
        CReplayDriver driver(w, [&w, &failure] { return guardedStep(w, failure); });
        driver.onFinished = [&loop] { loop.quit(); };
        driver.start();
        loop.exec();
        driver.stop();
        form.loop = nullptr;
    }
    if (!failure.isEmpty())
        errorLine(QStringLiteral("%1: the replay raised an exception: %2").arg(path, failure));
    // A replay that stopped without an end of its own failed.
    if (!form.closed)
        TDrawWindow::renderQuit(w.eventPath.isEmpty() ? path : w.eventPath, 10);
    form.active = nullptr;
    setCurrentDrawWindow(nullptr);
}

void renderFile(const QString &path, CRenderMainForm &form)
{
    const frmtType type = fileTypeOfPath(path);
    const bool qes = isReplayType(type);
    if (!QFileInfo(path).isFile() || (!qes && type != frmtWPE)) {
        errorLine(QFileInfo(path).isFile()
                      ? QStringLiteral("%1: not an event file").arg(path)
                      : QStringLiteral("%1: the file does not exist").arg(path));
        TDrawWindow::renderQuit(path, 10);
        return;
    }
    std::unique_ptr<TDrawWindow> window = TDrawWindow::Create();
    if (!window) {
        errorLine(QStringLiteral("%1: no document window can be made").arg(path));
        TDrawWindow::renderQuit(path, 10);
        return;
    }
    if (!gViewerMode) {
        playInWindow(*window, path, qes, form);
        return;
    }
    QMdiArea area;
    area.setWindowTitle(gAppTitle);
    CDrawWindowWidget *widget = CDrawWindowWidget::openIn(area, std::move(window));
    area.showMaximized();
    if (QMdiSubWindow *sub = widget->subWindow())
        sub->showMaximized();
    playInWindow(widget->window(), path, qes, form);
}

} // namespace

int32_t runRenderJob(const SCommandLine &cmd)
{
    if (cmd.files.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 10;
    }
    const QString path = cmd.files.first();
    for (qsizetype i = 1; i < cmd.files.size(); ++i)
        errorLine(QStringLiteral("one event file per run; %1 is not rendered").arg(cmd.files[i]));

    CHeadlessPaperApp app;
    CRenderMainForm form;
    IMainForm *previous = installMainForm(&form);
    installRenderMessageBoxes(path);
    try {
        renderFile(path, form);
    } catch (const std::exception &e) {
        errorLine(QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(e.what())));
    } catch (...) {
        errorLine(QStringLiteral("%1: an unknown exception").arg(path));
    }
    form.active = nullptr;
    setCurrentDrawWindow(nullptr);
    if (!form.closed)
        TDrawWindow::renderQuit(path, 10);
    installMainForm(previous);
    return renderExitStatus(form.resultCode);
}
