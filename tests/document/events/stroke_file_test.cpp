// A recorded event file of strokes at every paint level (an image nib, a screentone) replays from
// its blank start to the picture it was recorded with. Set KAVRIN_REGENERATE_EVENTS=1 to record
// the file and its picture again.
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "document/events/event_file.h"
#include "document/paper/layer_data.h"
#include "document/stroke/paper_stroke.h"
#include "document/view/composition.h"
#include "support/event_goldens.h"
#include "support/live_replay.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

using namespace event_goldens;

const QString kFile = QStringLiteral(KAVRIN_TEST_DATA "/events/strokes.qe5");
const QString kPicture = QStringLiteral(KAVRIN_TEST_DATA "/events/strokes.png");

void stroke(TPaper &paper, ePaintLevel level, float y)
{
    ASSERT_TRUE(switchPaintLevel(paper, level));
    TFlowImage &flow = *paper.getActiveFlow();
    TStroke &st = *paper.getActiveStroke();
    const int n = 25;
    for (int i = 0; i < n; ++i) {
        const float x = 6 + 2.2f * float(i), yy = y + float(i % 5), p = 0.3f + 0.02f * float(i);
        if (i == 0) {
            const bool ok = level == ePaintLevel::PAINT_LEVEL_qZ5
                                ? eventStrokeBegin5(paper, flow, st, x, yy, p, true)
                            : level == ePaintLevel::PAINT_LEVEL_qZ4
                                ? eventStrokeBegin4(paper, flow, st, x, yy, p, true)
                                : eventStrokeBegin(paper, flow, st, x, yy, p, true);
            ASSERT_TRUE(ok);
        } else if (level == ePaintLevel::PAINT_LEVEL_qZ5) {
            eventStrokeAdd5(paper, flow, st, x, yy, p, paper.owner(), true);
        } else if (level == ePaintLevel::PAINT_LEVEL_qZ4) {
            eventStrokeAdd4(paper, flow, st, x, yy, p, paper.owner(), true);
        } else {
            EventStrokeAdd(paper, flow, st, x, yy, p, paper.owner(), true);
        }
    }
    sBox box;
    if (level == ePaintLevel::PAINT_LEVEL_qZ5)
        ASSERT_TRUE(eventStrokeEnd5(paper, flow, st, paper.owner(), box, true));
    else if (level == ePaintLevel::PAINT_LEVEL_qZ4)
        ASSERT_TRUE(eventStrokeEnd4(paper, flow, st, paper.owner(), box, true));
    else
        ASSERT_TRUE(EventStrokeEnd(paper, flow, st, paper.owner(), box, true));
}

// Records the file: creation, begin, then strokes at levels 5, 4 and 2.
void recordFile(LiveReplayApp &app, QImage &live)
{
    HeadlessDocument doc;
    ASSERT_TRUE(blankStart(*doc.paper, 64, 64, false));
    setCurrentDrawWindow(&doc.owner);
    CEventMngr &ev = doc.paper->eventMngr();
    ASSERT_TRUE(ev.startRecording(&app.stroke, &app.tones, 64, 64));
    ASSERT_TRUE(ev.pushEventCreatePaperEx(64, 64, 64, 64, 72, true, false));
    ASSERT_TRUE(ev.pushEventBegin());

    SPenParam prm;
    initPenParam(prm, 7);
    app.render4.changePenParam(prm);
    app.render5.changePenParam(prm);
    // The tool window's image nib, selected into the renderers as the tool window does.
    TChannel nibImage(9, 9);
    for (int32_t y = 0; y < 9; ++y)
        for (int32_t x = 0; x < 9; ++x)
            *nibImage.seek8(x, y) = uint8_t((x + y) % 3 ? 255 : 40);
    app.nib.setImage(nibImage, true);
    app.nib.enable = true;
    app.nib.setID(21);
    app.render5.setPenShapeObj(&app.nib, false, false, false);
    app.render4.setPenShapeObj(&app.nib, false, false, false);
    app.stroke.SetDrawColor(0xFF2050C0);
    app.stroke.SetPenWidth(7);
    app.stroke.m_opaque = 0.8f;
    stroke(*doc.paper, ePaintLevel::PAINT_LEVEL_qZ5, 12);
    app.tones.appendPattern(8, 8, 4, 2.0f);
    app.tones.setCurPat(0);
    app.stroke.m_bUseTone = true;
    app.stroke.SetDrawColor(0xFFC03020);
    stroke(*doc.paper, ePaintLevel::PAINT_LEVEL_qZ4, 30);
    app.stroke.m_bUseTone = false;
    app.stroke.SetDrawColor(0xFF10A040);
    stroke(*doc.paper, ePaintLevel::PAINT_LEVEL_qZ2, 48);
    ASSERT_TRUE(exportEventFile(kFile, *doc.paper, true, -1, -1, true));
    UpdateVRAM(*doc.paper, false, true);
    live = pictureOf(doc.paper->vram());
    setCurrentDrawWindow(nullptr);
}

} // namespace

TEST(StrokeLiveReplay, TheStrokeFileReplaysToItsPicture)
{
    LiveReplayApp app;
    if (qEnvironmentVariableIsSet("KAVRIN_REGENERATE_EVENTS") || !QFile::exists(kFile)) {
        QImage live;
        recordFile(app, live);
        ASSERT_TRUE(live.save(kPicture, "PNG"));
    }
    HeadlessDocument doc;
    ASSERT_NO_FATAL_FAILURE(playFromBlankStart(doc, kFile));
    const QImage got = pictureOf(doc.paper->vram());
    expectPicture(got, kPicture);
    // Something was drawn.
    EXPECT_NE(got.pixel(20, 14), 0xFFFFFFFFu);
}
