// A recording document for the edit operations: four painted layers (layer 1 heads a group of
// layer 2) at the newest paint level, its recorder running with the event ring the undo limit
// asks for; the stream recorded so far can be replayed onto the same start at any moment and the
// two documents compared.
#pragma once

#include "document/edit/edit_ops.h"
#include "document/events/event_manager.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/stroke/paper_stroke.h"
#include "document/undo/undo_manager.h"
#include "document/view/composition.h"
#include "support/fixed_clock.h"
#include "support/live_replay.h"

#include <QRegularExpression>
#include <QStringList>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

// The start every document of a session is built from.
inline bool editStart(TPaper &paper, uint32_t seed, int32_t layers = 4)
{
    if (!setupHeadlessPaper(paper, {48, 40}, 0xFFFFFF, layers) || !startPaintModeQZ5(paper))
        return false;
    if (layers > 2)
        paper.getLayerData(2)->setGroupLevel(1);
    std::mt19937 rng(seed);
    for (int i = 0; i < 60; ++i) {
        CBlockVMTC &img = *paper.getLayerData(int32_t(rng() % uint32_t(layers)))->imageTC;
        img.setPixel(int32_t(rng() % 48), int32_t(rng() % 40), rng());
    }
    // The work image holds the painted layer, as a window's would.
    if (TFlowImage *flow = paper.getActiveFlow())
        paper.setFlow(*flow, paper.ActiveLayer(), true);
    UpdateVRAM(paper, false, true);
    return true;
}

// A packet as the recorder lays it out: group, code, the body and what follows it.
inline std::vector<uint8_t> packet(uint8_t g, uint8_t c, const void *body, size_t len,
                                   const std::vector<uint8_t> &tail = {})
{
    std::vector<uint8_t> b(2 + len + tail.size());
    b[0] = g;
    b[1] = c;
    std::memcpy(b.data() + 2, body, len);
    std::copy(tail.begin(), tail.end(), b.begin() + std::ptrdiff_t(2 + len));
    return b;
}

template <class T>
std::vector<uint8_t> packet(uint8_t g, uint8_t c, const T &body,
                            const std::vector<uint8_t> &tail = {})
{
    return packet(g, c, &body, sizeof body, tail);
}

// One step of a stream played onto a fresh start: its result and the document's text before and
// after.
struct PlayedPacket
{
    eEvPlayStat result;
    QString before, after;
    QString error;
};

// Plays the first packet of bytes onto editStart's document of layers layers (none for 0),
// which prepare may change first without recording.
inline PlayedPacket playOnePacket(const std::vector<uint8_t> &bytes, int32_t layers = 4,
                                  const std::function<void(TPaper &)> &prepare = {})
{
    HeadlessDocument d;
    if (layers > 0) {
        EXPECT_TRUE(editStart(*d.paper, 1, layers));
    }
    if (prepare)
        prepare(*d.paper);
    PlayedPacket out;
    out.before = dumpPaperState(*d.paper);
    CEventMngr &ev = d.paper->eventMngr();
    EXPECT_TRUE(ev.restart());
    EXPECT_EQ(ev.writeDataEx(bytes.data(), uint32_t(bytes.size())), bytes.size());
    ev.setupPlayPos(uint32_t(bytes.size()), 1);
    d.owner.eventPlaying = true;
    setCurrentDrawWindow(&d.owner);
    EXPECT_EQ(ev.beginPlaying(false), eEvStartStat::ersOK);
    out.result = ev.playEventSingle();
    out.error = ev.playError;
    out.after = dumpPaperState(*d.paper);
    setCurrentDrawWindow(nullptr);
    return out;
}

// The document's layers, attributes, pixels and masks without what undo leaves to the record
// (the active layer, the running name number, the undo counts).
inline QString contentOf(const TPaper &paper)
{
    QString d = dumpPaperState(paper);
    d = d.left(d.lastIndexOf(QStringLiteral("undo undo=")));
    d.replace(QRegularExpression(QStringLiteral("active=-?\\d+ names=\\d+")), QString());
    return d;
}

// The unique ids of the layers, bottom first.
inline std::vector<int32_t> layerIds(const TPaper &paper)
{
    std::vector<int32_t> ids;
    for (int32_t i = 0; i < paper.getLayerCount(); ++i)
        ids.push_back(paper.getLayerData(i)->uniqueID);
    return ids;
}

// The preference undoMax while the guard lives (the default profile keeps no undo).
class ScopedUndoMax
{
  public:
    explicit ScopedUndoMax(int32_t n) : m_previous(gAppProfile->undoMax)
    {
        gAppProfile->undoMax = n;
    }
    ~ScopedUndoMax() { gAppProfile->undoMax = m_previous; }
    ScopedUndoMax(const ScopedUndoMax &) = delete;
    ScopedUndoMax &operator=(const ScopedUndoMax &) = delete;

  private:
    int32_t m_previous;
};

struct EditSession
{
    explicit EditSession(uint32_t s, int32_t layers = 4) : seed(s), layerCount(layers) {}
    EditSession(const EditSession &) = delete;
    EditSession &operator=(const EditSession &) = delete;

    bool start()
    {
        if (!live.paper || !editStart(*live.paper, seed, layerCount))
            return false;
        const int32_t undoMax = gAppProfile->undoMax;
        undo().changeLimit(undoMax, undoMax);
        const int32_t depth = eventUndoDepth(undoMax);
        setCurrentDrawWindow(&live.owner);
        return ev().startRecording(appMainStroke(), appMainToneMngrFor(live.paper.get()), depth,
                                   depth);
    }

    TPaper &paper() { return *live.paper; }
    CEventMngr &ev() { return live.paper->eventMngr(); }
    CUndoMngrEx &undo() { return *live.paper->undoMngrEx(); }
    TFlowImage *flow() { return &live.flow(); }

    std::vector<uint8_t> stream()
    {
        std::vector<uint8_t> bytes(ev().topEventPos);
        ev().readDataEx(0, bytes.data(), ev().topEventPos);
        return bytes;
    }

    // Both histories hold the same number of steps.
    ::testing::AssertionResult historiesInStep()
    {
        if (ev().getUndoCnt() == undo().getUndoCnt() && ev().getRedoCnt() == undo().getRedoCnt())
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "events " << ev().getUndoCnt() << "/" << ev().getRedoCnt() << ", records "
               << undo().getUndoCnt() << "/" << undo().getRedoCnt();
    }

    // The first difference between this document and the stream so far replayed onto the same
    // start; the active layer is compared only with compareActive (a step that recorded nothing
    // may have moved it).
    std::string replayDifference(bool compareActive)
    {
        HeadlessDocument replayed;
        if (!replayed.paper || !editStart(*replayed.paper, seed, layerCount))
            return "no start";
        const std::vector<uint8_t> bytes = stream();
        CEventMngr &evB = replayed.paper->eventMngr();
        if (!evB.restart() || evB.writeDataEx(bytes.data(), uint32_t(bytes.size())) != bytes.size())
            return "no load";
        evB.setupPlayPos(uint32_t(bytes.size()), ev().eventCnt);
        if (!live_replay::playAll(replayed, false))
            return "replay failed: " + evB.playError.toStdString();
        setCurrentDrawWindow(&live.owner);
        if (!compareActive)
            replayed.paper->layerMngr().setCurIndex(paper().ActiveLayer());
        return live_replay::firstDifference(paper(), *replayed.paper);
    }

    // New layers seed their dither from the clock: it stands still while the session lives.
    ScopedFixedClock clock{1000};
    uint32_t seed;
    int32_t layerCount;
    HeadlessDocument live;
};
