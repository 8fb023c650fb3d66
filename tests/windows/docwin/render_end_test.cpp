// The end of a render, through the whole road: an event file opened in a headless window,
// replayed by the timer driver to its end, the outputs written, the result code sent to the
// notification socket and turned into the exit status.
#include "document/events/event_codes.h"
#include "document/events/legacy_event_stream.h"
#include "document/files/new_document.h"
#include "document/paper/paper.h"
#include "document/selection/figure_fill_ops.h"
#include "support/render_driver.h"

#include "doc_commands_fixture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace {

struct RenderEnd : DocCmdFixture
{
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }

    // A copy of a fixture in the temporary folder (the render may write beside it).
    QString fixture(const char *rel, const QString &as)
    {
        const QString dst = path(as);
        QFile::copy(QStringLiteral(KAVRIN_TEST_DATA "/") + QString::fromLatin1(rel), dst);
        return dst;
    }

    static QByteArray bytesOf(const QString &p)
    {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

const QByteArray kNotifyDone("\x08\x00\x00\x00", 4);
const QByteArray kNotifyFailed("\x0A\x00\x00\x00", 4);

TEST_F(RenderEnd, AVersion5RenderWritesItsOutputsIntoANewFolderAndReportsDone)
{
    const QString events = fixture("events/strokes.qe5", QStringLiteral("strokes.qe5"));
    SRenderRequest req;
    req.outDir = path(QStringLiteral("out/deeper"));
    req.bmp = true;
    req.txt = true;
    const SRenderOutcome r = renderEventFileHeadless(events, req);
    ASSERT_TRUE(r.opened);
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.notified, kNotifyDone);
    const QDir out(req.outDir);
    EXPECT_TRUE(QImage(out.filePath(QStringLiteral("strokes.bmp"))).width() > 0);
    EXPECT_TRUE(QFile::exists(out.filePath(QStringLiteral("strokes.qe5"))));
    EXPECT_FALSE(QFile::exists(out.filePath(QStringLiteral("strokes.png"))));

    // The counts: one line per code that occurred, in code order.
    const QList<QByteArray> lines =
        bytesOf(out.filePath(QStringLiteral("strokes.txt"))).split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines.last().isEmpty());
    int previous = -1;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        ASSERT_TRUE(line.endsWith('\r')) << line.toStdString();
        const QList<QByteArray> parts = line.chopped(1).split('\t');
        ASSERT_EQ(parts.size(), 2);
        int code = -1;
        for (int c = 0; c < kEventCodeCount; ++c)
            if (code < 0 && parts[0] == gEventCodeDotNames[c])
                code = c;
        EXPECT_GT(code, previous) << line.toStdString();
        previous = code;
        EXPECT_GT(parts[1].toInt(), 0);
    }
    EXPECT_NE(bytesOf(out.filePath(QStringLiteral("strokes.txt"))).indexOf("layer.draw.stroke\t"), -1);
}

TEST_F(RenderEnd, AMissingFileLeavesOneBadMarkerAndReportsFailure)
{
    SRenderRequest req;
    req.outDir = path(QStringLiteral("out"));
    const SRenderOutcome r = renderEventFileHeadless(path(QStringLiteral("gone.qe5")), req);
    EXPECT_FALSE(r.opened);
    EXPECT_EQ(r.exitStatus, 10);
    EXPECT_EQ(r.notified, kNotifyFailed);
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("out/gone.bad"))));
    // A second failure in the same run leaves no second marker.
    gRenderOutDir = req.outDir;
    TDrawWindow::renderQuit(path(QStringLiteral("other.qe5")), 10);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("out/other.bad"))));
    EXPECT_EQ(gRenderMarkerCount, 1);
}

TEST_F(RenderEnd, AnOutputThatCannotBeWrittenGivesNineAndTheOthersAreWritten)
{
    const QString events = fixture("events/strokes.qe5", QStringLiteral("strokes.qe5"));
    SRenderRequest req;
    req.outDir = path(QStringLiteral("out"));
    req.bmp = true;
    req.txt = true;
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("out/strokes.bmp"))));
    const SRenderOutcome r = renderEventFileHeadless(events, req);
    EXPECT_EQ(r.exitStatus, 9);
    EXPECT_EQ(r.notified, QByteArray("\x09\x00\x00\x00", 4));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("out/strokes.txt"))));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("out/strokes.qe5"))));
}

TEST_F(RenderEnd, WithoutAnOutputFolderTheRecordingIsNotReplaced)
{
    const QString events = fixture("events/strokes.qe5", QStringLiteral("strokes.qe5"));
    const QByteArray before = bytesOf(events);
    SRenderRequest req;
    req.png = true;
    const SRenderOutcome r = renderEventFileHeadless(events, req);
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(bytesOf(events), before);
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("strokes.png"))));
}

TEST_F(RenderEnd, AViewerWaitsItsSecondsAndWritesNoEvents)
{
    const QString events = fixture("events/strokes.qe5", QStringLiteral("strokes.qe5"));
    SRenderRequest req;
    req.outDir = path(QStringLiteral("out"));
    req.viewer = true;
    req.viewerWait = 3;
    req.notify = false; // nobody listens: the end is silent
    const SRenderOutcome r = renderEventFileHeadless(events, req);
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.waits, std::vector<int32_t>{3});
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("out/strokes.qe5"))));
}

TEST_F(RenderEnd, APngOfAHiddenCanvasColourIsFlattenedOnThatColour)
{
    const QString events = path(QStringLiteral("hidden.qe5"));
    {
        auto w = createdWindow({16, 8}, true);
        ASSERT_TRUE(w);
        ASSERT_TRUE(EventEditPC(*w->paper, 0x336699, true));
        app.stroke.m_opaque = 1;
        ASSERT_TRUE(eventFillRect(*w->paper, w->flow(), 0, {0, 0}, {4, 4}, true, true));
        ASSERT_TRUE(exportEventFile(events, *w->paper, true, -1, -1, true));
    }
    SRenderRequest req;
    req.outDir = path(QStringLiteral("out"));
    req.png = true;
    const SRenderOutcome r = renderEventFileHeadless(events, req);
    EXPECT_EQ(r.exitStatus, 0);
    const QImage img(path(QStringLiteral("out/hidden.png")));
    ASSERT_EQ(img.size(), QSize(16, 8));
    EXPECT_EQ(img.pixel(10, 6) & 0xFFFFFF, 0x336699u);
    EXPECT_EQ(img.pixel(1, 1) & 0xFFFFFF, app.stroke.m_drawColor & 0xFFFFFF);
}

TEST_F(RenderEnd, AVersion11StreamRendersAndItsStreamEndsOnce)
{
    const QString events = fixture("legacy/sample.wpe", QStringLiteral("sample.wpe"));
    SRenderRequest req;
    req.outDir = path(QStringLiteral("out"));
    req.bmp = true;
    const SRenderOutcome r = renderEventFileHeadless(events, req);
    ASSERT_TRUE(r.opened);
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_TRUE(QImage(path(QStringLiteral("out/sample.bmp"))).width() > 0);
    TEventPacket back;
    TEventChecker check;
    ASSERT_TRUE(back.LoadFromFile(path(QStringLiteral("out/sample.wpe")), check));
    const TMyMemory &m = back.memory();
    int ends = 0;
    for (int32_t at = 0; at < m.writed();) {
        const uint8_t *p = m.BeginBuffer() + at;
        const int32_t len = legacyInstructionLength(p, m.writed() - at);
        ASSERT_GT(len, 0) << at;
        if (uint16_t(p[0] | p[1] << 8) == legacy_event::kEnd)
            ++ends;
        at += len;
    }
    EXPECT_EQ(ends, 1);
}

TEST(RenderEndExitStatus, CodesBecomeTheProcessStatus)
{
    const std::pair<int32_t, int32_t> cases[] = {{8, 0}, {9, 9}, {10, 10}, {12, 12}, {-1, 10},
                                                 {0, 10}};
    for (const auto &[code, status] : cases)
        EXPECT_EQ(renderExitStatus(code), status) << code;
}

} // namespace
