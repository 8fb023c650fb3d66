// Kavrin: the program's entry point. The application shell is not assembled yet, so the program
// starts its Qt application object and ends.
#include <QGuiApplication>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Trevolt");
    QCoreApplication::setApplicationName("Kavrin");
    return 0;
}
