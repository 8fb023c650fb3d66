#include "app/startup/program.h"

#include "app/shell/message_boxes.h"
#include "app/shell/product.h"
#include "app/startup/render_job.h"
#include "app/startup/single_instance.h"
#include "core/profile/app_profile.h"
#include "document/events/event_replay.h"
#include "document/paper/document_init.h"
#include "filters/commands/filter_replay_rows.h"
#include "filters/core/pixel_mechanics.h"
#include "filters/dialogs/dialog_modules.h"
#include "filters/dialogs/effect_dialog_modules.h"
#include "paint/presets/pen_set_files.h"
#include "platform/desktop/keys.h"
#include "platform/system/environment.h"
#include "platform/system/registry.h"
#include "ui/base/qt_translations.h"
#include "ui/base/user_interface.h"
#include "ui/dialogs/file_dialogs.h"
#include "windows/docwin/draw_window.h"
#include "windows/presets/preset_hooks.h"
#include "windows/render_settings.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <exception>

namespace {

QStringList argumentsOf(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

void errorLine(const char *text)
{
    std::fprintf(stderr, "kavrin: %s\n", text);
}

int32_t runRenderMode(const SCommandLine &cmd)
{
    try {
        initialiseLibraries();
        startRenderApplication();
        return runRenderJob(cmd);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "kavrin: %s\n", e.what());
    } catch (...) {
        errorLine("an unknown exception ended the job");
    }
    // Whatever failed outside the replay still leaves the failure marker and the notification.
    if (!cmd.files.isEmpty())
        TDrawWindow::renderQuit(cmd.files.first(), 10);
    return 10;
}

int runMainWindow(QApplication &app, const SCommandLine &cmd, const MainFormFactory &create)
{
    if (!create) {
        errorLine("this build has no main window; use -render or -viewer with an event file");
        return 1;
    }
    initialiseLibraries();
    startApplication();
    std::unique_ptr<QWidget> main = create(cmd);
    if (!main) {
        errorLine("the main window could not be made");
        return 1;
    }
    setMessageBoxMainWindow(main.get());
    main->show();
    const int status = app.exec();
    finishApplication();
    setMessageBoxMainWindow(nullptr);
    return status;
}

} // namespace

void chooseDisplayPlatform(const SCommandLine &cmd)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    const bool noDisplay =
        qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if ((cmd.renderMode && !cmd.viewerMode) || noDisplay)
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void initialiseLibraries()
{
    initialiseAppProfile();
    initialiseKeyState();
    initialiseUserInterface();
    installFileDialogs();
    initialisePenSetFiles();
    initialiseDocument();
    initialiseEventReplay();
    initialiseFilters();
    initialiseFilterDialogs();
    initialiseEffectDialogs();
    installFilterReplayEntries();
    initialiseWindows();
    installPresetHooks();
}

bool startApplication()
{
    return loadProfile();
}

bool startRenderApplication()
{
    if (!gAppProfile)
        return false;
    QTemporaryDir dir;
    const QString copy = dir.isValid() ? dir.filePath(QStringLiteral("Kavrin5.conf")) : QString();
    if (!copy.isEmpty() && QFile::exists(registryFilePath()))
        QFile::copy(registryFilePath(), copy);
    gAppProfile->loadEnvironment(readStartupEnvironment());
    if (!copy.isEmpty()) {
        CRegistry store(copy);
        gAppProfile->loadSections(store);
    }
    return true;
}

bool finishApplication()
{
    return saveProfile();
}

int runProgram(int argc, char **argv, const MainFormFactory &createMainForm)
{
    // Parsed before anything acts on it: whether a box may be shown depends on the mode.
    const SCommandLine cmd = parseCommandLine(argumentsOf(argc, argv));
    chooseDisplayPlatform(cmd);
    ensureRuntimeFolder();
    // Qt sees only the program's name: every argument is the program's own.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Trevolt"));
    QCoreApplication::setApplicationName(QStringLiteral("Kavrin"));
    installQtTranslations();
    initialiseProductNames();
    applyRenderSettings(cmd);
    if (cmd.renderMode)
        installRenderMessageBoxes(cmd.files.value(0));
    else
        installShellMessageBoxes();
    reportUnknownSwitches(cmd);
    if (cmd.renderMode)
        return runRenderMode(cmd);

    if (checkSingleInstance(cmd.files) == kInstanceHandedOver)
        return 0;
    int status = 1;
    try {
        status = runMainWindow(app, cmd, createMainForm);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "kavrin: %s\n", e.what());
    }
    releaseInstanceMutex();
    return status;
}
