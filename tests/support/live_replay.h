// The live == replay harness: an operation applied live to a recording document must leave the
// same document as its recorded events replayed onto the same start, directly from memory and
// through an exported event file. Every recording operation adds itself as a case.
//
// setup(paper, seed) builds the start on a headless document (it is called for every document);
// operation(paper, seed) runs on the first with undo on. The comparison covers every layer's
// pixels and attributes, their order, the masks, the canvas colour and flags, the paper size,
// the active layer and mask and mask enabling, and names the first difference with the seed. The
// display image is left out: dithered layers compose with a random state that every recomposition
// moves on, and the live and replayed documents need not recompose equally often.
#pragma once

#include "core/image/canvas.h"
#include "core/profile/app_profile.h"
#include "document/events/event_file.h"
#include "document/events/event_manager.h"
#include "document/paper/headless_app.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "paint/gradient/gradient_manager.h"
#include "paint/presets/pen_presets.h"
#include "paint/render/pen_render4.h"
#include "paint/render/pen_render5.h"
#include "paint/render/stroke_context.h"
#include "paint/stroke/stroke.h"
#include "paint/tone/tone_manager.h"
#include "support/captured_messages.h"
#include "support/event_goldens.h"
#include "support/paper_fakes.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

using LiveSetup = std::function<bool(TPaper &paper, uint32_t seed)>;
using LiveOperation = std::function<bool(TPaper &paper, uint32_t seed)>;

// The windows' painting objects, and the message boxes captured, while the object lives; an
// operation sets its brush on them.
struct LiveReplayApp : CHeadlessPaperApp
{
    CapturedMessages messages;
};

// How many seeds each case runs (KAVRIN_LIVE_REPLAY_ITERATIONS raises it).
inline int liveReplayIterations(int base)
{
    if (const char *s = std::getenv("KAVRIN_LIVE_REPLAY_ITERATIONS"))
        return std::max(base, std::atoi(s));
    return base;
}

namespace live_replay {

// The first difference between two documents; empty when they agree.
inline std::string firstDifference(const TPaper &a, const TPaper &b)
{
    const QString sa = event_goldens::stateText(a), sb = event_goldens::stateText(b);
    if (sa != sb)
        return "state:\n" + sa.toStdString() + "---- replayed:\n" + sb.toStdString();
    for (int32_t i = 0; i < a.getLayerCount(); ++i) {
        const CBlockVMTC &ia = *a.getLayerData(i)->imageTC;
        const CBlockVMTC &ib = *b.getLayerData(i)->imageTC;
        if (ia.width() != ib.width() || ia.height() != ib.height())
            return "layer " + std::to_string(i) + " size";
        for (int32_t y = 0; y < ia.height(); ++y)
            for (int32_t x = 0; x < ia.width(); ++x)
                if (ia.getColor(x, y) != ib.getColor(x, y))
                    return "layer " + std::to_string(i) + " pixel (" + std::to_string(x) + ", " +
                           std::to_string(y) + "): " + std::to_string(ia.getColor(x, y)) +
                           " live, " + std::to_string(ib.getColor(x, y)) + " replayed";
    }
    if (a.getActiveMaskIndex() != b.getActiveMaskIndex())
        return "active mask";
    return {};
}

// Plays everything loaded into paper's recorder; false (with a failure) at the first step
// that answers neither continue nor end.
inline bool playAll(HeadlessDocument &doc, bool untilEnd)
{
    CEventMngr &ev = doc.paper->eventMngr();
    doc.owner.eventPlaying = true;
    setCurrentDrawWindow(&doc.owner);
    const bool begun = ev.beginPlaying(false) == eEvStartStat::ersOK;
    EXPECT_TRUE(begun);
    bool ok = begun;
    for (int guard = 0; ok && guard < 1000000; ++guard) {
        if (!untilEnd && ev.playTopPos >= ev.topEventPos && !ev.evEnbStat.has(enbPlayStroke))
            break;
        const eEvPlayStat r = ev.playEventSingle();
        if (r == eEvPlayStat::epsEnd)
            break;
        if (r != eEvPlayStat::epsContinue) {
            ADD_FAILURE() << "replay step failed: " << ev.playError.toStdString();
            ok = false;
        }
    }
    doc.owner.eventPlaying = false;
    return ok;
}

} // namespace live_replay

// Runs the case for one seed; the LiveReplayApp must live around the call.
inline void expectLiveEqualsReplay(const LiveSetup &setup, const LiveOperation &operation,
                                   uint32_t seed = 1)
{
    using namespace live_replay;
    SCOPED_TRACE("seed " + std::to_string(seed));
    HeadlessDocument live, replayed, loaded;
    ASSERT_TRUE(live.paper && replayed.paper && loaded.paper);
    for (HeadlessDocument *d : {&live, &replayed, &loaded})
        ASSERT_TRUE(setup(*d->paper, seed));

    // Record only the operation.
    CEventMngr &ev = live.paper->eventMngr();
    ASSERT_TRUE(ev.startRecording(appMainStroke(), appMainToneMngrFor(live.paper.get()), 64, 64));
    setCurrentDrawWindow(&live.owner);
    ASSERT_TRUE(operation(*live.paper, seed));
    ASSERT_EQ(ev.walkPackets(0, ev.topEventPos, nullptr).end, TEventWalkEnd::Clean);
    std::vector<uint8_t> bytes(ev.topEventPos);
    ev.readDataEx(0, bytes.data(), ev.topEventPos);

    // From memory.
    CEventMngr &evB = replayed.paper->eventMngr();
    ASSERT_TRUE(evB.restart());
    ASSERT_EQ(evB.writeDataEx(bytes.data(), uint32_t(bytes.size())), bytes.size());
    evB.setupPlayPos(uint32_t(bytes.size()), ev.eventCnt);
    ASSERT_TRUE(playAll(replayed, false));
    std::vector<uint8_t> after(evB.curLength);
    evB.readDataEx(0, after.data(), evB.curLength);
    EXPECT_EQ(after, bytes) << "the replaying document recorded";
    EXPECT_EQ(firstDifference(*live.paper, *replayed.paper), "");

    // Through an exported file.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("live.qe5"));
    ASSERT_TRUE(exportEventFile(path, *live.paper, true, -1, -1, true));
    ASSERT_EQ(loadEventFile(path, *loaded.paper), 0);
    ASSERT_TRUE(playAll(loaded, true));
    EXPECT_EQ(loaded.paper->eventMngr().curStatus, eEvStat::esEnd);
    EXPECT_EQ(firstDifference(*live.paper, *loaded.paper), "");
}
