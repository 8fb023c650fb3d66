// The live == replay harness at the level of the document window: a script of pointer, tablet,
// key and view input (windows/docwin/input_script.h) is applied to a recording window as its
// widget would apply it, and what it recorded must rebuild the same document when replayed into
// a second window through the player (that window its owner) and, through an exported event
// file, into a third. Every tool adds its gestures as cases.
//
// setup(window, seed) builds the start of each window (document, view, brush): it is called for
// all three windows, each made on a fresh start of the process's input state. The comparison is
// the document harness's firstDifference (every layer's pixels and attributes, the masks, the
// canvas) plus the paint level; the live window's undo and redo counts must match its
// recording's, and the replays must record nothing.
#pragma once

#include "document/edit/edit_ops.h"
#include "document/events/event_file.h"
#include "document/events/event_manager.h"
#include "document/paper/headless.h"
#include "document/paper/paper.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "document/undo/undo_manager.h"
#include "document/view/composition.h"
#include "paint/brush/paint_modes.h"
#include "platform/desktop/keys.h"
#include "support/live_replay.h"
#include "windows/docwin/draw_window.h"
#include "windows/docwin/input_script.h"
#include "windows/shell_host.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using WindowSetup = std::function<bool(TDrawWindow &window, uint32_t seed)>;

namespace window_live_replay {

// The start most cases share: a white document of canvas with layers layers at level 5 in a
// window of client pixels, at 1:1 with the canvas centred.
inline bool plainStart(TDrawWindow &w, sSize canvas, int32_t layers, sSize client)
{
    if (!setupHeadlessPaper(*w.paper, canvas, 0xFFFFFF, layers) || !startPaintModeQZ5(*w.paper))
        return false;
    UpdateVRAM(*w.paper, true, true);
    w.formSizeCorrect(true);
    w.FormResize(client);
    w.changeZoom(1, 1, false);
    return true;
}

// The input state a window starts from, as in a process just started: no key or button held,
// the pencil chosen, the pointer nowhere.
inline void freshInputState()
{
    resetKeyState();
    CHeadlessMainForm &main = headlessMainForm();
    main.active = nullptr;
    main.csrPos() = {};
    main.m_lastStroke() = 0;
    main.tool.subKind = TToolSubKind::tskDrawLocus;
    main.tool.tempSubKind.reset();
}

inline std::unique_ptr<TDrawWindow> makeWindow(const WindowSetup &setup, uint32_t seed)
{
    freshInputState();
    std::unique_ptr<TDrawWindow> w = TDrawWindow::Create();
    EXPECT_TRUE(w);
    if (w && !setup(*w, seed)) {
        ADD_FAILURE() << "the setup failed";
        w.reset();
    }
    return w;
}

// Makes w the active window, as the main window makes a window it opens or plays into.
inline void makeCurrent(TDrawWindow &w)
{
    headlessMainForm().active = &w;
    mainForm().toolForm().setWindow(&w);
    w.FormActivate();
    setCurrentDrawWindow(&w);
}

// Plays what w's recorder holds through the player, w its owner; false (with a failure) at the
// first step that answers neither continue nor end.
inline bool playInto(TDrawWindow &w, bool untilEnd)
{
    CEventMngr &ev = w.paper->eventMngr();
    w.m_eventPlaying = true;
    makeCurrent(w);
    const bool begun = ev.beginPlaying(false) == eEvStartStat::ersOK;
    EXPECT_TRUE(begun) << ev.playError.toStdString();
    bool ok = begun;
    for (int guard = 0; ok && guard < 10000000; ++guard) {
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
    w.m_eventPlaying = false;
    return ok;
}

inline std::vector<uint8_t> recordedBytes(const CEventMngr &ev, uint32_t length)
{
    std::vector<uint8_t> bytes(length);
    ev.readDataEx(0, bytes.data(), length);
    return bytes;
}

// The replayed document against the live one; empty when they agree.
inline std::string documentDifference(const TDrawWindow &live, const TDrawWindow &replayed)
{
    const std::string d = live_replay::firstDifference(*live.paper, *replayed.paper);
    if (!d.empty())
        return d;
    if (live.paper->actPaintLevel != replayed.paper->actPaintLevel)
        return "paint level " + std::to_string(int(live.paper->actPaintLevel)) + " live, " +
               std::to_string(int(replayed.paper->actPaintLevel)) + " replayed";
    return {};
}

// Applies the steps to w; false (with a failure naming the line) at the first refused one.
inline bool applyScript(TDrawWindow &w, const std::vector<SInputStep> &steps)
{
    for (const SInputStep &s : steps)
        if (!applyInputStep(w, s)) {
            ADD_FAILURE() << "the window refused the step of line " << s.line;
            return false;
        }
    return true;
}

} // namespace window_live_replay

// Runs script live on a recording window and checks its replays, for one seed. A LiveReplayApp
// (the painting objects) must live around the call.
// events, when given, receives how many events the live window recorded. With undoRedo the
// live window then undoes everything (it must equal a fresh start) and redoes it all (it must
// equal the replay).
inline void expectWindowLiveEqualsReplay(const WindowSetup &setup, const QString &script,
                                         uint32_t seed = 1, uint32_t *events = nullptr,
                                         bool undoRedo = false)
{
    using namespace window_live_replay;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::vector<SInputStep> steps;
    QString error;
    ASSERT_TRUE(parseInputScript(script, steps, error)) << error.toStdString();

    std::unique_ptr<TDrawWindow> replayed = makeWindow(setup, seed);
    std::unique_ptr<TDrawWindow> loaded = makeWindow(setup, seed);
    std::unique_ptr<TDrawWindow> live = makeWindow(setup, seed);
    ASSERT_TRUE(live && replayed && loaded);
    struct Detach
    {
        ~Detach()
        {
            setCurrentDrawWindow(nullptr);
            headlessMainForm().active = nullptr;
            mainForm().toolForm().setWindow(nullptr);
            resetKeyState();
        }
    } detach;

    // Live, recording only what the script does.
    CEventMngr &ev = live->paper->eventMngr();
    makeCurrent(*live);
    ASSERT_TRUE(ev.startRecording(appMainStroke(), appMainToneMngrFor(live->paper.get()), 64, 64));
    // The undo depth of the preferences, as every document window takes it.
    ASSERT_TRUE(dispatchUndoCount(*live->paper));
    ASSERT_TRUE(applyScript(*live, steps));
    ASSERT_FALSE(live->isStrokingNow()) << "the script left a stroke running";
    ASSERT_EQ(ev.walkPackets(0, ev.topEventPos, nullptr).end, TEventWalkEnd::Clean);
    const std::vector<uint8_t> bytes = recordedBytes(ev, ev.topEventPos);
    if (events)
        *events = ev.eventCnt;
    const CUndoMngrEx *undo = live->paper->undoMngrEx();
    ASSERT_TRUE(undo);
    EXPECT_EQ(undo->getUndoCnt(), ev.getUndoCnt()) << "undo steps and recorded events differ";
    EXPECT_EQ(undo->getRedoCnt(), ev.getRedoCnt()) << "redo steps and undone events differ";

    // From memory into the second window.
    CEventMngr &evB = replayed->paper->eventMngr();
    ASSERT_TRUE(evB.restart());
    ASSERT_EQ(evB.writeDataEx(bytes.data(), uint32_t(bytes.size())), bytes.size());
    evB.setupPlayPos(uint32_t(bytes.size()), ev.eventCnt);
    ASSERT_TRUE(playInto(*replayed, false));
    EXPECT_EQ(recordedBytes(evB, evB.curLength), bytes) << "the replaying window recorded";
    EXPECT_EQ(evB.playEventCnt, ev.eventCnt);
    EXPECT_EQ(documentDifference(*live, *replayed), "");

    // Through an exported file into the third.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("live.qe5"));
    ASSERT_TRUE(exportEventFile(path, *live->paper, true, -1, -1, true));
    ASSERT_EQ(loadEventFile(path, *loaded->paper), 0);
    ASSERT_TRUE(playInto(*loaded, true));
    EXPECT_EQ(loaded->paper->eventMngr().curStatus, eEvStat::esEnd);
    EXPECT_EQ(documentDifference(*live, *loaded), "");

    if (undoRedo) {
        std::unique_ptr<TDrawWindow> fresh = makeWindow(setup, seed);
        ASSERT_TRUE(fresh);
        // Made current once, as every window the comparison looks at was.
        makeCurrent(*fresh);
        makeCurrent(*live);
        int undone = 0;
        while (live->canUndo() && live->Undo())
            ++undone;
        EXPECT_GT(undone, 0) << "nothing to undo";
        EXPECT_EQ(documentDifference(*fresh, *live), "") << "undo did not give the start back";
        int redone = 0;
        while (live->canRedo() && live->Redo())
            ++redone;
        EXPECT_EQ(redone, undone);
        EXPECT_EQ(documentDifference(*live, *replayed), "") << "redo did not give the result";
    }
}
