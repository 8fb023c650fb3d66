// What an import may make of a small file: a document made anew on a reused one (a window that
// opens file after file, the fuzz target) keeps no image of the old document's size. A wide strip
// and then a tall one of a few hundred bytes each must not leave a work image as wide as the
// first and as tall as the second.
#include "document/files/legacy_image.h"

#include "document/events/legacy_event_stream.h"
#include "document/paper/flow_image.h"
#include "document/paper/headless_document.h"
#include "document/paper/paper.h"
#include "support/captured_messages.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray fixture(const char *name)
{
    QFile f(QStringLiteral(KAVRIN_TEST_DATA "/") + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(NewUserFaultsSlowInputs, ImportsIntoAReusedDocumentKeepTheWorkImageAtThePaperSize)
{
    HeadlessDocument doc;
    CapturedMessages msgs;
    TEventPacket event;
    struct Case
    {
        const char *file;
        sSize paper;
    };
    const Case cases[] = {
        {"legacy_image_wide_strip.wpb", {2000, 8}},
        {"legacy_image_tall_strip.wpb", {8, 2000}},
        {"legacy_image_wide_strip.wpb", {2000, 8}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const QByteArray file = fixture(c.file);
        ASSERT_FALSE(file.isEmpty());
        event.EventClear();
        ASSERT_TRUE(importLegacyImage(*doc.paper, nullptr, QStringLiteral("a.wpb"), file, event));
        EXPECT_EQ(doc.paper->m_paperSize, c.paper);
        EXPECT_EQ(doc.paper->getLayerCount(), 2);
        // The work image holds the paper, not every paper the document ever had.
        EXPECT_EQ(doc.flow().image().FPSZ(), c.paper);
    }
}
