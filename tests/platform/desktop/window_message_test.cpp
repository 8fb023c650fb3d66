#include "platform/desktop/window_message.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>

namespace {

// Records the window messages it receives and answers each with wParam + lParam.
class Receiver : public QObject
{
  public:
    std::vector<TMessage> seen;

  protected:
    bool event(QEvent *ev) override
    {
        if (ev->type() != TWindowMessageEvent::eventType())
            return QObject::event(ev);
        TMessage &m = static_cast<TWindowMessageEvent *>(ev)->message();
        m.result = m.wParam + m.lParam;
        seen.push_back(m);
        return true;
    }
};

} // namespace

TEST(WindowMessage, SentMessagesAnswerAtOncePostedOnesArriveOnceLater)
{
    Receiver r;
    TMessage m{0x400, 2, 3, 0};
    EXPECT_EQ(sendWindowMessage(&r, m), 5);
    EXPECT_EQ(m.result, 5);
    ASSERT_TRUE(postWindowMessage(&r, 0x1315, 10, -4));
    EXPECT_EQ(r.seen.size(), 1u); // not before the current event is done
    QCoreApplication::sendPostedEvents(&r);
    QCoreApplication::sendPostedEvents(&r);
    ASSERT_EQ(r.seen.size(), 2u);
    EXPECT_EQ(r.seen[1].msg, 0x1315u);
    EXPECT_EQ(r.seen[1].wParam, 10);
    EXPECT_EQ(r.seen[1].lParam, -4);
}

TEST(WindowMessage, ANullReceiverTakesNothing)
{
    TMessage m{1, 0, 0, 7};
    EXPECT_EQ(sendWindowMessage(nullptr, m), 7);
    EXPECT_FALSE(postWindowMessage(nullptr, 1, 0, 0));
}
