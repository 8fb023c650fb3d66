#include "platform/desktop/messages.h"

#include <gtest/gtest.h>

#include <QStringList>

TEST(Messages, InstalledHandlersReceiveEveryBoxAndCanBeRestored)
{
    QStringList seen;
    kavrin::MessageHandlers fake;
    fake.warning = [&](const QString &t) { seen << "W:" + t; };
    fake.confirm = [&](const QString &t, int) {
        seen << "C:" + t;
        return int(kavrin::mrNo);
    };
    kavrin::MessageHandlers previous = kavrin::installMessageHandlers(fake);
    showWarning("a");
    showWarningEx("b", nullptr, QString()); // no warningEx installed: falls back to the warning
    EXPECT_EQ(showConfirm("c", kavrin::cbYes | kavrin::cbNo), kavrin::mrNo);
    kavrin::installMessageHandlers(previous);
    showWarning("not seen");
    EXPECT_EQ(seen, QStringList({"W:a", "W:b", "C:c"}));
}

TEST(Messages, QuestionsWithoutHandlerTakeTheDefaultAnswer)
{
    EXPECT_EQ(showConfirm("q", kavrin::cbYes | kavrin::cbNo), kavrin::mrYes);
    EXPECT_EQ(showConfirm("q", kavrin::cbOk | kavrin::cbCancel), kavrin::mrOk);
    EXPECT_EQ(showConfirm("q", kavrin::cbCancel), kavrin::mrCancel);
    EXPECT_EQ(showYesNoCancel("q"), kavrin::mrCancel);
}

TEST(Messages, TheQuestionWithOwnButtonsAnswersYesNoOrCancelOnly)
{
    // No box: the focused button.
    EXPECT_EQ(showQuestionEx("q", "c", "y", "n", kavrin::mrCancel), kavrin::mrCancel);
    EXPECT_EQ(showQuestionEx("q", "c", "y", "n", kavrin::mrNo), kavrin::mrNo);
    // A focus that is no button of the box is a Cancel.
    EXPECT_EQ(showQuestionEx("q", "c", "y", "n", kavrin::mrOk), kavrin::mrCancel);
    QStringList seen;
    int answer = kavrin::mrYes;
    kavrin::MessageHandlers fake;
    fake.questionEx = [&](const QString &t, const QString &c, const QString &y, const QString &n,
                          int focused) {
        seen << QStringList{t, c, y, n, QString::number(focused)}.join(u'|');
        return answer;
    };
    const kavrin::MessageHandlers previous = kavrin::installMessageHandlers(fake);
    EXPECT_EQ(showQuestionEx("q", "c", "y", "n", kavrin::mrCancel), kavrin::mrYes);
    answer = kavrin::mrNo;
    EXPECT_EQ(showQuestionEx("q", "c", "y", "n", kavrin::mrCancel), kavrin::mrNo);
    // A box closed by its frame answers nothing: Cancel.
    answer = kavrin::mrNone;
    EXPECT_EQ(showQuestionEx("q", "c", "y", "n", kavrin::mrYes), kavrin::mrCancel);
    kavrin::installMessageHandlers(previous);
    EXPECT_EQ(seen, QStringList({"q|c|y|n|2", "q|c|y|n|2", "q|c|y|n|6"}));
}
