// Kavrin: the program's entry point. The application shell is not assembled yet, so the program
// starts its Qt application object and ends.
#include "platform/system/environment.h"
#include "ui/base/qt_translations.h"

#include <QGuiApplication>

int main(int argc, char **argv)
{
    // Without a display (a terminal, a render job) the program still starts: it draws off screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ensureRuntimeFolder();
    QGuiApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Trevolt");
    QCoreApplication::setApplicationName("Kavrin");
    installQtTranslations();
    return 0;
}
