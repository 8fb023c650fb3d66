#include "platform/desktop/cursor.h"
#include "platform/system/debug_output.h"
#include "platform/system/file_stream.h"
#include "platform/system/paths.h"
#include "platform/desktop/screen_fit.h"

#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Cursor, WaitCursorIsRestoredOnEveryWayOut)
{
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        WaitCursor outer;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            const SavedCursor before = setStdCursor(Qt::CrossCursor);
            EXPECT_EQ(before, Qt::WaitCursor);
            EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
            restoreCursor(before);
        }
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        try {
            WaitCursor inner;
            throw 1;
        } catch (int) {
        }
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(DebugOutput, LinesGoToTheInstalledSink)
{
    QStringList lines;
    const DebugSink previous = setDebugSink([&](const QString &text) { lines << text; });
    debugOut(QStringLiteral("makeZoomMask: Exception!"));
    setDebugSink(previous);
    debugOut(QStringLiteral("not captured"));
    EXPECT_EQ(lines, QStringList{QStringLiteral("makeZoomMask: Exception!")});
}

TEST(ScreenFit, WindowsEndFlushWithTheScreenEdge)
{
    const QRect screen(-100, 0, 1000, 800);
    struct Case
    {
        QRect window;
        bool moved;
        QPoint topLeft;
    } cases[] = {
        {QRect(10, 10, 200, 100), false, QPoint(10, 10)},
        {QRect(850, 10, 200, 100), true, QPoint(700, 10)}, // flush right: 900 - 200
        {QRect(-300, 750, 200, 100), true, QPoint(-100, 700)},
        {QRect(500, 10, 1000, 100), true, QPoint(-100, 10)}, // exactly as wide as the screen
        {QRect(500, 10, 1001, 100), false, QPoint(500, 10)}, // wider: not moved
        {QRect(500, 10, 100, 900), false, QPoint(500, 10)},
    };
    for (const Case &c : cases) {
        QPoint topLeft;
        EXPECT_EQ(fitTopLeftToScreen(c.window, screen, topLeft), c.moved) << c.window.x();
        EXPECT_EQ(topLeft, c.topLeft) << c.window.x();
    }
    QPoint topLeft;
    EXPECT_FALSE(fitTopLeftToScreen(QRect(5, 5, 10, 10), QRect(), topLeft));
    EXPECT_FALSE(virtualScreenRect().isEmpty());
}

TEST(Paths, TitlesAndJoins)
{
    EXPECT_EQ(fileTitle("/home/u/pictures/cat.qzi"), "cat");
    EXPECT_EQ(fileTitle("/home/u/a.tar.gz"), "a.tar");
    EXPECT_EQ(fileTitle("/home/u.d/readme"), "readme");
    EXPECT_EQ(fileTitle("plain"), "plain");
    EXPECT_EQ(pathJoin("/data/Kavrin5e", "preset"), "/data/Kavrin5e/preset");
    EXPECT_EQ(pathJoin("/data/Kavrin5e/", "preset"), "/data/Kavrin5e/preset");
    EXPECT_EQ(pathJoin("", "preset"), "preset");
}

TEST(FileStream, FailuresGiveNullInsteadOfThrowing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("a.bin");
    EXPECT_EQ(tryCreateFileStream(path, QIODevice::ReadOnly), nullptr);
    EXPECT_EQ(tryCreateFileStream(dir.filePath("no/such/dir/a.bin"), QIODevice::WriteOnly),
              nullptr);
    EXPECT_EQ(tryCreateFileStream(QString(), QIODevice::ReadOnly), nullptr);

    auto out = tryCreateFileStream(path, QIODevice::WriteOnly);
    ASSERT_NE(out, nullptr);
    out->write("old");
    out->close();

    // A save that is not committed leaves the old file as it was.
    {
        auto save = tryCreateSaveStream(path);
        ASSERT_NE(save, nullptr);
        save->write("new and longer");
    }
    auto in = tryCreateFileStream(path, QIODevice::ReadOnly);
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(in->readAll(), QByteArray("old"));

    auto save = tryCreateSaveStream(path);
    ASSERT_NE(save, nullptr);
    save->write("new");
    ASSERT_TRUE(save->commit());
    in = tryCreateFileStream(path, QIODevice::ReadOnly);
    EXPECT_EQ(in->readAll(), QByteArray("new"));
    EXPECT_EQ(tryCreateSaveStream(dir.filePath("no/such/dir/b.bin")), nullptr);
}
