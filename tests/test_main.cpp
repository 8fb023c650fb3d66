// Shared entry point of every test program. A Qt application object on the offscreen platform
// exists for the whole run, so that fonts, QPainter text and the clipboard work without a display;
// the test programs of the libraries that use widgets get a QApplication.
#include "platform/system/environment.h"

#include <gtest/gtest.h>

#ifdef KAVRIN_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ensureRuntimeFolder();
    ::testing::InitGoogleTest(&argc, argv);
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
