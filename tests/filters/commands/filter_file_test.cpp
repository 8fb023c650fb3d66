// A recorded event file of filter commands of every family (generators, adjustments, blurs,
// sharpening, distortions, textures, the complex filters and the floor with a file texture),
// recorded on a blank start, replays from that start to the picture it was recorded with. Set
// KAVRIN_REGENERATE_EVENTS=1 to record the file and its picture again; the replay tool is checked
// against the same picture by a test of its own.
#include "document/events/event_file.h"
#include "document/events/event_replay.h"
#include "document/stroke/paper_stroke.h"
#include "document/view/composition.h"
#include "filters/commands/filter_cases.h"
#include "filters/commands/filter_command_rig.h"
#include "filters/commands/filter_replay_rows.h"
#include "support/fixed_clock.h"
#include "support/event_goldens.h"
#include "support/live_replay.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace filter_cases;
using namespace event_goldens;

const QString kFile = QStringLiteral(KAVRIN_TEST_DATA "/events/filters.qe5");
const QString kPicture = QStringLiteral(KAVRIN_TEST_DATA "/events/filters.png");

// The commands of the file in their order: the plasma gives the white layer something to work
// on, then a few of every family.
const char *const kRecorded[] = {
    "plasma",         "brightness contrast",
    "hue saturation", "levels",
    "posterize",      "gaussian blur",
    "motion blur",    "radial blur",
    "sharpen custom", "median",
    "wave",           "twirl",
    "rotate",         "tiles",
    "mosaic",         "noise",
    "emboss",         "lighting",
    "custom",         "gradient map",
    "floor",          "invert",
    "flip vertical",  "alpha via density",
};

const FilterCase *findCase(const std::vector<FilterCase> &cases, const std::string &what)
{
    for (const FilterCase &c : cases)
        if (what == c.what)
            return &c;
    return nullptr;
}

// Records the file: creation, begin, then the commands on the one layer.
void recordFile(LiveReplayApp &app, QImage &live)
{
    HeadlessDocument doc;
    TPaper &paper = *doc.paper;
    ASSERT_TRUE(blankStart(paper, 64, 64, false));
    setCurrentDrawWindow(&doc.owner);
    CEventMngr &ev = paper.eventMngr();
    ASSERT_TRUE(ev.startRecording(&app.stroke, &app.tones, 64, 64));
    ASSERT_TRUE(ev.pushEventCreatePaperEx(64, 64, 64, 64, 72, true, false));
    ASSERT_TRUE(ev.pushEventBegin());
    TFlowImage &flow = doc.flow();
    ASSERT_TRUE(paper.setFlow(flow, 0, true));

    const std::vector<FilterCase> cases = currentFilterCases();
    FakeFilterView view;
    for (const char *what : kRecorded) {
        SCOPED_TRACE(what);
        const bool floor = std::string(what) == "floor";
        const FilterCase *c = floor ? nullptr : findCase(cases, what);
        ASSERT_TRUE(floor || c);
        FakeModule mod;
        if (floor)
            mod.fill = [&](SFilterParams &p) {
                ASSERT_TRUE(fillFloorFromFileAndLayer(p, paper, flow));
            };
        else if (c->fill)
            mod.fill = [c](SFilterParams &p) { c->fill(p, false); };
        const uint8_t code = floor ? 99 : c->hdr.code;
        registerFilterModule(code, mod.module());
        const uint32_t from = ev.curLength;
        const bool ok = floor    ? doFilterFloor(&view, flow, 0, true)
                        : c->cmd ? c->cmd(&view, flow, 0, true)
                                 : doFilterAlphaViaDensity(&view, flow, 0);
        clearFilterModules();
        ASSERT_TRUE(ok);
        const SEventHdr hdr = floor ? SEventHdr{38, 99} : c->hdr;
        ASSERT_EQ(recordedFilterHeaders(paper, from), (std::vector<SEventHdr>{hdr}));
    }
    ASSERT_TRUE(exportEventFile(kFile, paper, true, -1, -1, true));
    UpdateVRAM(paper, false, true);
    live = pictureOf(paper.vram());
    setCurrentDrawWindow(nullptr);
}

} // namespace

TEST(FilterReplay, TheFilterFileReplaysFromABlankStartToItsPicture)
{
    LiveReplayApp app;
    initialiseFilters();
    initialiseEventReplay();
    installFilterReplayEntries();
    clearLastFilter();
    clearFilterModules();
    if (qEnvironmentVariableIsSet("KAVRIN_REGENERATE_EVENTS") || !QFile::exists(kFile)) {
        ScopedFixedClock clock(5555);
        app.grads.appendGrad(sRGBA{{30, 0, 90, kCrsKindOwn}}, sRGBA{{255, 220, 40, kCrsKindOwn}});
        app.grads.setCurGrad(0);
        app.stroke.SetDrawColor(0x00405060);
        QImage live;
        recordFile(app, live);
        clearLastFilter();
        ASSERT_TRUE(live.save(kPicture, "PNG"));
    }
    HeadlessDocument doc;
    ASSERT_NO_FATAL_FAILURE(playFromBlankStart(doc, kFile));
    const QImage got = pictureOf(doc.paper->vram());
    setCurrentDrawWindow(nullptr);
    expectPicture(got, kPicture);
}
