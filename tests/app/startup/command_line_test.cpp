// The command line: switches with their values, files in order, unknown switches and how they
// are reported in each mode.
#include "app/startup/command_line.h"
#include "support/captured_messages.h"
#include "windows/render_settings.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

QStringList argsOf(std::initializer_list<const char *> list)
{
    QStringList args;
    for (const char *a : list)
        args << QString::fromUtf8(a);
    return args;
}

struct SwitchCase
{
    std::initializer_list<const char *> args;
    std::function<void(const SCommandLine &)> check;
};

const SwitchCase kSwitchCases[] = {
    {{"-t"}, [](const SCommandLine &c) { EXPECT_EQ(c.viewerWait, 10); }},
    {{"-t0"}, [](const SCommandLine &c) { EXPECT_EQ(c.viewerWait, 0); }},
    {{"-t:5"}, [](const SCommandLine &c) { EXPECT_EQ(c.viewerWait, 5); }},
    {{"-jpg80"},
     [](const SCommandLine &c) {
         EXPECT_EQ(c.renderJpeg, 1);
         EXPECT_EQ(c.renderJpegQuality, 80);
     }},
    {{"-JPG:80"},
     [](const SCommandLine &c) {
         EXPECT_EQ(c.renderJpeg, 1);
         EXPECT_EQ(c.renderJpegQuality, 80);
     }},
    {{"-jpg"},
     [](const SCommandLine &c) {
         EXPECT_EQ(c.renderJpeg, 1);
         EXPECT_EQ(c.renderJpegQuality, 75);
     }},
    {{},
     [](const SCommandLine &c) {
         EXPECT_EQ(c.renderJpeg, -1);
         EXPECT_EQ(c.renderJpegQuality, 75);
         EXPECT_EQ(c.renderBmp, -1);
         EXPECT_FALSE(c.renderMode);
     }},
    {{"-viewer", "-render"},
     [](const SCommandLine &c) {
         EXPECT_TRUE(c.renderMode);
         EXPECT_FALSE(c.viewerMode);
     }},
    {{"-render", "-viewer"},
     [](const SCommandLine &c) {
         EXPECT_TRUE(c.renderMode);
         EXPECT_TRUE(c.viewerMode);
     }},
    {{"--render"}, [](const SCommandLine &c) { EXPECT_TRUE(c.renderMode); }},
    // "txt" is tested before "t".
    {{"-txt"},
     [](const SCommandLine &c) {
         EXPECT_EQ(c.renderTxt, 1);
         EXPECT_EQ(c.viewerWait, 0);
     }},
    {{"-bmp", "-png"},
     [](const SCommandLine &c) {
         EXPECT_EQ(c.renderBmp, 1);
         EXPECT_EQ(c.renderPng, 1);
     }},
    {{"-o:/r"}, [](const SCommandLine &c) { EXPECT_EQ(c.renderOutDir, "/r"); }},
    {{"-o/r"}, [](const SCommandLine &c) { EXPECT_EQ(c.renderOutDir, "/r"); }},
    {{"-o", "/r", "a.qe5"},
     [](const SCommandLine &c) {
         EXPECT_EQ(c.renderOutDir, "/r");
         EXPECT_EQ(c.files, QStringList{"a.qe5"});
     }},
    // A bare -o followed by a switch takes nothing.
    {{"-o", "-png"},
     [](const SCommandLine &c) {
         EXPECT_TRUE(c.renderOutDir.isEmpty());
         EXPECT_EQ(c.renderPng, 1);
         EXPECT_TRUE(c.unknown.isEmpty());
     }},
    {{"-w:n"}, [](const SCommandLine &c) { EXPECT_EQ(c.notifySocket, "n"); }},
    {{"-w", "n"},
     [](const SCommandLine &c) {
         EXPECT_EQ(c.notifySocket, "n");
         EXPECT_TRUE(c.files.isEmpty());
     }},
    {{"/x/a.qe5"},
     [](const SCommandLine &c) {
         EXPECT_EQ(c.files, QStringList{"/x/a.qe5"});
         EXPECT_TRUE(c.unknown.isEmpty());
     }},
    {{"--", "-x.qe5", "--render"},
     [](const SCommandLine &c) {
         EXPECT_EQ(c.files, (QStringList{"-x.qe5", "--render"}));
         EXPECT_FALSE(c.renderMode);
     }},
    {{"b.qe5", "", "-png", "a.qe5", "c.png"},
     [](const SCommandLine &c) { EXPECT_EQ(c.files, (QStringList{"b.qe5", "a.qe5", "c.png"})); }},
};

TEST(CommandLine, SwitchesAndFiles)
{
    for (const SwitchCase &c : kSwitchCases) {
        const QStringList args = argsOf(c.args);
        SCOPED_TRACE(args.join(' ').toStdString());
        c.check(parseCommandLine(args));
    }
}

// Unusable values are unknown switches and change nothing.
TEST(CommandLine, UnknownSwitchesAndUnusableValuesChangeNothing)
{
    const SCommandLine defaults;
    for (const char *arg : {"-jpg0", "-jpgx", "-jpg:101", "-tx", "-t:1.5", "-w", "-x", "-"}) {
        SCOPED_TRACE(arg);
        const SCommandLine c = parseCommandLine(argsOf({arg}));
        EXPECT_EQ(c.unknown, QStringList{QString::fromUtf8(arg)});
        EXPECT_EQ(c.renderJpeg, defaults.renderJpeg);
        EXPECT_EQ(c.renderJpegQuality, defaults.renderJpegQuality);
        EXPECT_EQ(c.viewerWait, defaults.viewerWait);
        EXPECT_TRUE(c.notifySocket.isEmpty());
        EXPECT_TRUE(c.files.isEmpty());
    }
}

TEST(CommandLine, AnUnknownSwitchWarnsInAnOrdinaryStartAndOnlyWritesALineInRenderMode)
{
    CapturedMessages boxes;
    reportUnknownSwitches(parseCommandLine(argsOf({"-x"})));
    EXPECT_EQ(boxes.warnings, QStringList{"unknown command line switch!\r    arg = -x"});

    boxes.clear();
    testing::internal::CaptureStderr();
    reportUnknownSwitches(parseCommandLine(argsOf({"-x", "-render"})));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(boxes.warnings.isEmpty());
    EXPECT_NE(err.find("unknown command line switch! arg = -x"), std::string::npos) << err;
}

TEST(CommandLine, TheSettingsReachTheRenderSettings)
{
    applyRenderSettings(parseCommandLine(
        argsOf({"-viewer", "-jpg:90", "-png", "-o", "/out", "-t3", "-w:sock"})));
    EXPECT_TRUE(gRenderMode);
    EXPECT_TRUE(gViewerMode);
    EXPECT_TRUE(gRenderJpeg);
    EXPECT_EQ(gRenderJpegQuality, 90);
    EXPECT_TRUE(gRenderPng);
    EXPECT_FALSE(gRenderBmp);
    EXPECT_EQ(gRenderOutDir, "/out");
    EXPECT_EQ(gViewerWait, 3);
    EXPECT_EQ(gNotifySocket, "sock");
    resetRenderSettings();
}

} // namespace
