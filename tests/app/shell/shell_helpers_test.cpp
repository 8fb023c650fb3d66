// Opening files and pages through the desktop, the help pages, the version text and the anchor
// numbering of version-1.1 replays.
#include "app/shell/product.h"
#include "app/shell/shell_helpers.h"
#include "document/events/legacy_replay.h"
#include "support/captured_messages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records what the desktop is asked to open and answers as told.
struct ShellHelpers : ::testing::Test
{
    ShellHelpers()
    {
        previous = installUrlOpener([this](const QUrl &url) {
            opened.push_back(url);
            return answer;
        });
    }
    ~ShellHelpers() override { installUrlOpener(previous); }

    void touch(const QString &rel)
    {
        QDir(dir.path()).mkpath(QFileInfo(dir.filePath(rel)).path());
        QFile f(dir.filePath(rel));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }

    QTemporaryDir dir;
    CapturedMessages boxes;
    std::vector<QUrl> opened;
    bool answer = true;
    UrlOpener previous;
};

const QString kHelpWarning = QStringLiteral("ヘルプファイルの表示に失敗しました!\r   file = %1");

TEST_F(ShellHelpers, AMissingFileFailsBeforeTheDesktopIsAsked)
{
    EXPECT_FALSE(shellOpenFile(dir.filePath("none.txt")));
    EXPECT_FALSE(shellOpenFile(QUrl::fromLocalFile(dir.filePath("none.txt")).toString()));
    EXPECT_FALSE(shellOpenFile(QString()));
    EXPECT_TRUE(opened.empty());

    touch("here.txt");
    EXPECT_TRUE(shellOpenFile(dir.filePath("here.txt")));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(dir.filePath("here.txt")));
    // The desktop's refusal is the answer.
    answer = false;
    EXPECT_FALSE(shellOpenFile(dir.filePath("here.txt")));
}

TEST_F(ShellHelpers, LocalHelpOpensItsPageOrWarnsWithThePath)
{
    EXPECT_FALSE(openLocalHelp(dir.path()));
    EXPECT_EQ(boxes.warnings, QStringList{kHelpWarning.arg(dir.filePath("help/index.html"))});
    EXPECT_TRUE(opened.empty());

    boxes.clear();
    touch("help/index.html");
    EXPECT_TRUE(openLocalHelp(dir.path()));
    EXPECT_TRUE(boxes.warnings.isEmpty());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(dir.filePath("help/index.html")));
}

TEST_F(ShellHelpers, WebHelpFallsBackToTheBrowserThenWarns)
{
    EXPECT_TRUE(openWebHelp(dir.path(), QStringLiteral("https://help.example/kavrin/")));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(QStringLiteral("https://help.example/kavrin/")));
    EXPECT_TRUE(boxes.warnings.isEmpty());

    // No online address (the build named none): the warning, and the browser is not asked.
    opened.clear();
    EXPECT_FALSE(openWebHelp(dir.path(), QString()));
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(boxes.warnings, QStringList{kHelpWarning.arg(dir.filePath("index.html"))});

    // A page beside the program comes first.
    boxes.clear();
    touch("index.html");
    EXPECT_TRUE(openWebHelp(dir.path(), QStringLiteral("https://help.example/kavrin/")));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(dir.filePath("index.html")));
}

TEST(ShellHelpersVersion, TheVersionTextHasATwoDigitRelease)
{
    EXPECT_EQ(makeVersionText(), "5.1.04");
    EXPECT_EQ(makeVersionText(6, 0, 12), "6.0.12");
}

TEST(ShellHelpersAnchors, VersionOneAnchorsTurnFromRowsToColumns)
{
    const struct
    {
        uint8_t legacy;
        int32_t anchor;
    } cases[] = {{0, 0}, {1, 3}, {5, 7}, {8, 8}, {3, 1}, {9, -1}};
    for (const auto &c : cases)
        EXPECT_EQ(legacyAnchorToPgType(c.legacy), c.anchor) << int(c.legacy);
}

} // namespace
