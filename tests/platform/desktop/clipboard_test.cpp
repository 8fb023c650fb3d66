#include "platform/desktop/clipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <gtest/gtest.h>

namespace {

const QString kLayerAttr = QStringLiteral("application/x-kavrin-qzLayerAttr");
const QString kClipBox = QStringLiteral("application/x-kavrin-qzClipBox");

class Clipboard : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        setClipboardRenderer({});
        clipboardEmpty(true);
    }
    void TearDown() override { setClipboardRenderer({}); }

    static QByteArray read(const QString &fmt)
    {
        QByteArray got;
        if (!clipboardReadData(fmt, [&](const QByteArray &data) {
                got = data;
                return true;
            }))
            return QByteArray("<absent>");
        return got;
    }
};

} // namespace

TEST_F(Clipboard, TheOwnerAddsFormatsOneByOne)
{
    ASSERT_TRUE(clipboardOwned());
    EXPECT_FALSE(clipboardHasFormat(kLayerAttr));
    ASSERT_TRUE(clipboardSetData(kLayerAttr, QByteArray("attr")));
    ASSERT_TRUE(clipboardSetData(kClipBox, QByteArray("box")));
    EXPECT_TRUE(clipboardHasFormat(kLayerAttr));
    EXPECT_EQ(read(kLayerAttr), QByteArray("attr"));
    EXPECT_EQ(read(kClipBox), QByteArray("box"));

    // Emptying without force keeps what the owner put there.
    EXPECT_FALSE(clipboardEmpty(false));
    EXPECT_TRUE(clipboardHasFormat(kClipBox));
    EXPECT_TRUE(clipboardEmpty(true));
    EXPECT_FALSE(clipboardHasFormat(kClipBox));
    EXPECT_EQ(read(kClipBox), QByteArray("<absent>"));
    EXPECT_FALSE(clipboardSetData(QString(), QByteArray("x")));
}

TEST_F(Clipboard, AnotherOwnersContentsAreEmptiedWithoutForce)
{
    auto *foreign = new QMimeData;
    foreign->setData(kClipBox, QByteArray("theirs"));
    QGuiApplication::clipboard()->setMimeData(foreign);
    EXPECT_FALSE(clipboardOwned());
    EXPECT_EQ(read(kClipBox), QByteArray("theirs"));
    EXPECT_TRUE(clipboardEmpty(false));
    EXPECT_TRUE(clipboardOwned());
    EXPECT_FALSE(clipboardHasFormat(kClipBox));
}

TEST_F(Clipboard, PromisesAreRenderedOnceOnRequest)
{
    int renders = 0;
    setClipboardRenderer([&](const QString &fmt) {
        ++renders;
        return fmt == kLayerAttr ? QByteArray("rendered") : QByteArray();
    });
    EXPECT_FALSE(clipboardPromise(QString()));
    ASSERT_TRUE(clipboardPromise(kLayerAttr));
    ASSERT_TRUE(clipboardPromise(kClipBox));
    EXPECT_TRUE(clipboardHasFormat(kLayerAttr));
    EXPECT_EQ(renders, 0);
    EXPECT_EQ(read(kLayerAttr), QByteArray("rendered"));
    EXPECT_EQ(read(kLayerAttr), QByteArray("rendered"));
    EXPECT_EQ(renders, 1);
    // A promise that renders nothing cannot be read.
    EXPECT_EQ(read(kClipBox), QByteArray("<absent>"));
    // The callback's answer is the result.
    EXPECT_FALSE(clipboardReadData(kLayerAttr, [](const QByteArray &) { return false; }));
}

TEST(StreamToGlobal, ReadsExactlyCountBytesOrNothing)
{
    QByteArray source("0123456789");
    QBuffer stream(&source);
    stream.open(QIODevice::ReadOnly);
    stream.seek(2);
    EXPECT_EQ(streamToGlobal(stream, 4), QByteArray("2345"));
    EXPECT_TRUE(streamToGlobal(stream, 5).isNull()); // only 4 bytes left
    EXPECT_TRUE(streamToGlobal(stream, -1).isNull());
    const QByteArray none = streamToGlobal(stream, 0);
    EXPECT_FALSE(none.isNull());
    EXPECT_TRUE(none.isEmpty());
}
