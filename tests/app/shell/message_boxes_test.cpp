// The program's message boxes, driven as a user would (QTest on the real boxes), and the render
// mode's warning, which opens no box and ends a playing replay.
#include "app/shell/message_boxes.h"
#include "core/profile/app_profile.h"
#include "document/paper/document_init.h"
#include "document/paper/headless_app.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "platform/desktop/messages.h"
#include "windows/docwin/draw_window.h"
#include "windows/docwin/render_end.h"
#include "windows/render_settings.h"
#include "windows/shell_host.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Acts on the next message box from inside its modal loop. With KAVRIN_SHOTS_DIR set, the box is
// also written there as <shot>.png for a person to look at.
void onNextBox(std::function<void(QMessageBox &)> act, const char *shot = nullptr)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, shot, tries] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box && ++*tries < 500)
            return;
        timer->stop();
        timer->deleteLater();
        if (!box)
            return;
        const QString dir = qEnvironmentVariable("KAVRIN_SHOTS_DIR");
        if (shot && !dir.isEmpty())
            box->grab().save(dir + QLatin1Char('/') + QLatin1String(shot) + ".png");
        act(*box);
    });
    timer->start();
}

struct MessageBoxes : ::testing::Test
{
    MessageBoxes() { previous = kavrin::installMessageHandlers({}); installShellMessageBoxes(); }
    ~MessageBoxes() override { kavrin::installMessageHandlers(previous); }
    kavrin::MessageHandlers previous;
};

TEST_F(MessageBoxes, TheWarningTakesTheDefaultCaptionOrTheGivenOne)
{
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    auto read = [&](QMessageBox &box) {
        caption = box.windowTitle();
        text = box.text();
        icon = box.icon();
        QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton);
    };
    onNextBox(read, "warning-box");
    showWarning(QStringLiteral("ファイルを開けません\rfile = a.qe5"));
    EXPECT_EQ(caption, QStringLiteral("警告 (Kavrin)"));
    EXPECT_EQ(text, QStringLiteral("ファイルを開けません\nfile = a.qe5"));
    EXPECT_EQ(icon, QMessageBox::Warning);

    onNextBox(read);
    showWarningEx(QStringLiteral("x"), nullptr, QStringLiteral("Brushes"));
    EXPECT_EQ(caption, QStringLiteral("Brushes"));
}

TEST_F(MessageBoxes, TheWarningBelongsToTheGivenWindowElseTheMainWindow)
{
    QWidget main, other;
    setMessageBoxMainWindow(&main);
    EXPECT_EQ(makeWarningBox("x", &other, QString())->parentWidget(), &other);
    if (!QApplication::activeWindow()) {
        EXPECT_EQ(makeWarningBox("x", nullptr, QString())->parentWidget(), &main);
    }
    setMessageBoxMainWindow(nullptr);
}

TEST_F(MessageBoxes, YesNoCancelAnswersByTheButtonEscAndTheCloseBoxCancel)
{
    const struct
    {
        const char *name;
        std::function<void(QMessageBox &)> act;
        int expected;
    } cases[] = {
        {"yes", [](QMessageBox &b) { QTest::mouseClick(b.button(QMessageBox::Yes), Qt::LeftButton); },
         kavrin::mrYes},
        {"no", [](QMessageBox &b) { QTest::mouseClick(b.button(QMessageBox::No), Qt::LeftButton); },
         kavrin::mrNo},
        {"cancel",
         [](QMessageBox &b) { QTest::mouseClick(b.button(QMessageBox::Cancel), Qt::LeftButton); },
         kavrin::mrCancel},
        {"escape", [](QMessageBox &b) { QTest::keyClick(&b, Qt::Key_Escape); }, kavrin::mrCancel},
        {"close box", [](QMessageBox &b) { b.close(); }, kavrin::mrCancel},
        {"enter", [](QMessageBox &b) { QTest::keyClick(&b, Qt::Key_Return); }, kavrin::mrYes},
    };
    for (const auto &c : cases) {
        onNextBox(c.act, c.expected == kavrin::mrYes && c.name[0] == 'y' ? "yes-no-cancel-box"
                                                                        : nullptr);
        EXPECT_EQ(showYesNoCancel(QStringLiteral("保存しますか?")), c.expected) << c.name;
    }
}

TEST_F(MessageBoxes, AConfirmationOffersTheGivenButtons)
{
    QStringList offered;
    onNextBox([&](QMessageBox &b) {
        for (QAbstractButton *button : b.buttons())
            offered << QString::number(int(b.standardButton(button)));
        QTest::mouseClick(b.button(QMessageBox::Ok), Qt::LeftButton);
    });
    EXPECT_EQ(showConfirm(QStringLiteral("?"), kavrin::cbOk | kavrin::cbCancel), kavrin::mrOk);
    EXPECT_EQ(offered.size(), 2);

    onNextBox([](QMessageBox &b) { QTest::keyClick(&b, Qt::Key_Escape); });
    EXPECT_EQ(showConfirm(QStringLiteral("?"), kavrin::cbYes | kavrin::cbNo), kavrin::mrNo);
}

TEST_F(MessageBoxes, TheQuestionWithItsOwnButtonsFocusesTheGivenOne)
{
    QStringList labels;
    QString caption;
    onNextBox([&](QMessageBox &b) {
        labels << b.button(QMessageBox::Yes)->text() << b.button(QMessageBox::No)->text();
        caption = b.windowTitle();
        // Enter presses the focused button.
        QTest::keyClick(&b, Qt::Key_Return);
    }, "question-ex-box");
    EXPECT_EQ(showQuestionEx(QStringLiteral("変形を確定しますか?"), QString(),
                             QStringLiteral("確定"), QStringLiteral("破棄"), kavrin::mrCancel),
              kavrin::mrCancel);
    EXPECT_EQ(labels, (QStringList{"確定", "破棄"}));
    EXPECT_EQ(caption, QStringLiteral("警告 (Kavrin)"));

    onNextBox([](QMessageBox &b) { QTest::keyClick(&b, Qt::Key_Return); });
    EXPECT_EQ(showQuestionEx(QStringLiteral("?"), QStringLiteral("変形"), QStringLiteral("確定"),
                             QStringLiteral("破棄"), kavrin::mrNo),
              kavrin::mrNo);
    onNextBox([](QMessageBox &b) { QTest::mouseClick(b.button(QMessageBox::Yes), Qt::LeftButton); });
    EXPECT_EQ(showQuestionEx(QStringLiteral("?"), QString(), QStringLiteral("確定"),
                             QStringLiteral("破棄"), kavrin::mrCancel),
              kavrin::mrYes);
}

// Render mode: no box ever; a warning while the active window plays a replay ends the render.
struct RenderModeWarning : ::testing::Test
{
    RenderModeWarning()
    {
        initialiseAppProfile();
        initialiseDocument();
        initialiseWindows();
        resetRenderSettings();
        resetRenderEnd();
        headlessMainForm() = CHeadlessMainForm{};
        gRenderMode = true;
        previous = kavrin::installMessageHandlers({});
        installRenderMessageBoxes(dir.filePath("job.qe5"));
    }
    ~RenderModeWarning() override
    {
        kavrin::installMessageHandlers(previous);
        setCurrentDrawWindow(nullptr);
        resetRenderSettings();
        resetRenderEnd();
        headlessMainForm() = CHeadlessMainForm{};
    }

    std::string warnAndCapture(const QString &text)
    {
        testing::internal::CaptureStderr();
        showWarning(text);
        return testing::internal::GetCapturedStderr();
    }

    QTemporaryDir dir;
    CHeadlessPaperApp app;
    kavrin::MessageHandlers previous;
};

TEST_F(RenderModeWarning, APlayingWindowEndsWithTenAndItsMarker)
{
    auto w = TDrawWindow::Create();
    ASSERT_TRUE(w);
    w->m_eventPlaying = true;
    w->eventPath = dir.filePath("session.qe5");
    const std::string err = warnAndCapture(QStringLiteral("メモリ不足です"));
    EXPECT_NE(err.find("メモリ不足です"), std::string::npos) << err;
    EXPECT_EQ(gRenderResultCode, 10);
    EXPECT_EQ(renderExitStatus(gRenderResultCode), 10);
    EXPECT_TRUE(QFile::exists(dir.filePath("session.bad")));
    EXPECT_EQ(headlessMainForm().closeCount, 1);
}

TEST_F(RenderModeWarning, AfterTheReplayOrBeforeAnyWindowOnlyTheLineIsWritten)
{
    EXPECT_NE(warnAndCapture(QStringLiteral("before")).find("before"), std::string::npos);
    {
        auto w = TDrawWindow::Create();
        ASSERT_TRUE(w);
        w->eventPath = dir.filePath("session.qe5");
        EXPECT_NE(warnAndCapture(QStringLiteral("after")).find("after"), std::string::npos);
    }
    EXPECT_EQ(gRenderResultCode, -1);
    EXPECT_EQ(headlessMainForm().closeCount, 0);
    EXPECT_FALSE(QFile::exists(dir.filePath("session.bad")));
    EXPECT_FALSE(QFile::exists(dir.filePath("job.bad")));
}

} // namespace
