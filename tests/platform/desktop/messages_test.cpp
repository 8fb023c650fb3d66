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
