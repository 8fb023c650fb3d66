// Live == replay for the document window's commands: each command runs on a recording window,
// and what it recorded must rebuild the same document when played into a second window (that
// window the player's owner) and, through an exported file, into a third. The clear of a selection
// also goes through the key script, and its undo and redo restore and re-apply the exact bytes.
// Filling a window from an image is checked through the window's own replay: the exported file
// opened in a fresh window and stepped to its end.
#include "core/image/canvas.h"
#include "core/mask/mask_manager.h"
#include "document/edit/edit_ops.h"
#include "document/events/event_replay.h"
#include "document/paper/headless.h"
#include "document/files/clipboard.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/stroke/paper_stroke.h"
#include "paint/stroke/stroke.h"
#include "platform/desktop/clipboard.h"
#include "support/window_live_replay.h"
#include "windows/docwin/draw_window.h"

#include "docwin_fixture.h"

#include <QTemporaryDir>

#include <functional>
#include <random>
#include <string>

namespace {

constexpr sSize kCanvas{48, 32};
constexpr sSize kClient{160, 120};

struct LiveCommands : DocWinFixture
{
    LiveCommands()
    {
        initialiseEventReplay();
        prof().undoMax = 100;
        app.stroke.SetDrawColor(0xFF203040u);
        app.stroke.m_bgCol = 0xFFE0D0C0u;
    }
    ~LiveCommands() override { resetKeyState(); }
    LiveReplayApp app;
};

// Two layers of seeded pixels (some half transparent) and a selection of seeded coverage.
bool seededStart(TDrawWindow &w, uint32_t seed)
{
    if (!window_live_replay::plainStart(w, kCanvas, 2, kClient))
        return false;
    TPaper &p = *w.paper;
    std::mt19937 rng(seed);
    for (int32_t l = 0; l < 2; ++l) {
        CBlockVMTC &img = *p.getLayerData(l)->imageTC;
        for (int i = 0; i < 200; ++i)
            img.setPixel(int32_t(rng() % uint32_t(kCanvas.x)), int32_t(rng() % uint32_t(kCanvas.y)),
                         uint32_t(rng()) | (i % 2 ? 0xFF000000u : 0u));
    }
    auto md = std::make_unique<CMaskData>(0, kCanvas.x, kCanvas.y);
    for (int i = 0; i < 120; ++i)
        md->maskTC->setPixel(int32_t(rng() % 24), int32_t(rng() % 16), rng() % 256);
    p.maskMngr().deleteAll();
    p.maskMngr().insertAt(0, md);
    p.maskMngr().setCurIndex(0);
    p.bEnbMask = true;
    EventLayerActive(p, w.flow(), 1, true);
    UpdateVRAM(p, true, true);
    return true;
}

using WindowOperation = std::function<bool(TDrawWindow &w)>;

// The window-level harness with a command in place of a script.
void expectCommandLiveEqualsReplay(const WindowSetup &setup, const WindowOperation &op,
                                   uint32_t seed)
{
    using namespace window_live_replay;
    SCOPED_TRACE("seed " + std::to_string(seed));
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
        }
    } detach;
    CEventMngr &ev = live->paper->eventMngr();
    makeCurrent(*live);
    ASSERT_TRUE(ev.startRecording(appMainStroke(), appMainToneMngrFor(live->paper.get()), 64, 64));
    ASSERT_TRUE(dispatchUndoCount(*live->paper));
    ASSERT_TRUE(op(*live));
    ASSERT_GT(ev.eventCnt, 0u) << "the command recorded nothing";
    ASSERT_EQ(ev.walkPackets(0, ev.topEventPos, nullptr).end, TEventWalkEnd::Clean);
    const std::vector<uint8_t> bytes = recordedBytes(ev, ev.topEventPos);
    if (const CUndoMngrEx *undo = live->paper->undoMngrEx()) {
        EXPECT_EQ(undo->getUndoCnt(), ev.getUndoCnt()) << "undo steps and recorded events differ";
    }

    CEventMngr &evB = replayed->paper->eventMngr();
    ASSERT_TRUE(evB.restart());
    ASSERT_EQ(evB.writeDataEx(bytes.data(), uint32_t(bytes.size())), bytes.size());
    evB.setupPlayPos(uint32_t(bytes.size()), ev.eventCnt);
    ASSERT_TRUE(playInto(*replayed, false));
    EXPECT_EQ(recordedBytes(evB, evB.curLength), bytes) << "the replaying window recorded";
    EXPECT_EQ(documentDifference(*live, *replayed), "");

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("live.qe5"));
    ASSERT_TRUE(exportEventFile(path, *live->paper, true, -1, -1, true));
    ASSERT_EQ(loadEventFile(path, *loaded->paper), 0);
    ASSERT_TRUE(playInto(*loaded, true));
    EXPECT_EQ(documentDifference(*live, *loaded), "");
}

struct DocCommandsLiveReplay : LiveCommands
{
};

TEST_F(DocCommandsLiveReplay, EveryRecordedCommand)
{
    CHeadlessMainForm &m = main();
    struct SCase
    {
        const char *name;
        WindowOperation op;
    };
    const SCase cases[] = {
        {"canvas colour", [](TDrawWindow &w) { w.changePaperColor(0x336699); return true; }},
        {"canvas size",
         [&](TDrawWindow &w) {
             m.sizeAnswer = SImageSizeValue{60, 40, 8};
             return w.resizePaper();
         }},
        {"resolution",
         [&](TDrawWindow &w) {
             m.resoAnswer = SResolutionValue{36, 24, 144};
             return w.changeReso();
         }},
        {"new layer", [](TDrawWindow &w) { return w.createLayer(TLayerMode::LM_STD); }},
        {"new layer with dialog",
         [&](TDrawWindow &w) {
             m.newLayerAnswer = TNewLayerValue{QStringLiteral("塗り"), TLayerMode::LM_MUL, 180,
                                               0x80FF0000};
             return w.createLayerDlg();
         }},
        {"delete layer", [](TDrawWindow &w) { return w.deleteCurLayer(); }},
        {"invert alpha", [](TDrawWindow &w) { return w.notLayerMask(); }},
        {"fill alpha", [](TDrawWindow &w) { return w.fillLayerMask(0x80); }},
        {"flip canvas", [](TDrawWindow &w) { return w.doPaperCmd(ePaperCmd::cmdFlipTB, true); }},
        {"mirror canvas", [](TDrawWindow &w) { return w.doPaperCmd(ePaperCmd::cmdFlipLR, true); }},
        {"rotate canvas", [](TDrawWindow &w) { return w.doPaperCmd(ePaperCmd::cmdRot90, true); }},
        {"turn canvas", [](TDrawWindow &w) { return w.doPaperCmd(ePaperCmd::cmdRot270, true); }},
        {"half-turn canvas",
         [](TDrawWindow &w) { return w.doPaperCmd(ePaperCmd::cmdRot180, true); }},
        {"invert canvas", [](TDrawWindow &w) { return w.doPaperCmd(ePaperCmd::cmdNeg, true); }},
        {"flip layer", [](TDrawWindow &w) { return w.doLayerCmd(ePaperCmd::cmdFlipTB); }},
        {"mirror layer", [](TDrawWindow &w) { return w.doLayerCmd(ePaperCmd::cmdFlipLR); }},
        {"half-turn layer", [](TDrawWindow &w) { return w.doLayerCmd(ePaperCmd::cmdRot180); }},
        {"invert layer", [](TDrawWindow &w) { return w.doLayerCmd(ePaperCmd::cmdNeg); }},
        {"flip layer ex", [](TDrawWindow &w) { return w.doLayerCmd(ePaperCmd::cmdFlipTBEx); }},
        {"mirror layer ex", [](TDrawWindow &w) { return w.doLayerCmd(ePaperCmd::cmdFlipLREx); }},
        {"half-turn layer ex",
         [](TDrawWindow &w) { return w.doLayerCmd(ePaperCmd::cmdRot180Ex); }},
        {"duplicate layer", [](TDrawWindow &w) { return w.duplicateLayer(); }},
        {"merge down", [](TDrawWindow &w) { return w.bindLayerLower(0); }},
        {"merge down ex", [](TDrawWindow &w) { return w.bindLayerLower(1); }},
        {"hide the others", [](TDrawWindow &w) { return w.doLayerVisAll(false); }},
        {"rotate layer",
         [&](TDrawWindow &w) {
             m.rotationAnswer = 30.0f;
             return w.doLayerRotate();
         }},
        {"scale layer",
         [&](TDrawWindow &w) {
             m.resoAnswer = SResolutionValue{30, 20, 72};
             return w.doLayerZoom();
         }},
        {"layer properties",
         [&](TDrawWindow &w) {
             TLayerOptionValue v;
             v.X = 3;
             v.Y = -2;
             v.Name = QStringLiteral("線画");
             v.LayerMode = TLayerMode::LM_MUL;
             v.Opaque = 90;
             v.Dither = true;
             v.DitherDensity = 40;
             m.layerOptionAnswer = v;
             return w.doLayerInfoWin();
         }},
        {"clipping", [](TDrawWindow &w) { return w.doLayerClipping(); }},
        {"mask properties",
         [&](TDrawWindow &w) {
             m.maskOptionAnswer = TMaskOptionValue{2, 1, false, QStringLiteral("選択")};
             return w.DoMaskInfoWin();
         }},
        {"selection fill",
         [](TDrawWindow &w) { return w.doSelectFill(1, 0xFF10C020u, true, true); }},
        {"selection clear",
         [](TDrawWindow &w) { return w.doSelectDelete(1, 0xFFFFFFFFu, true, true); }},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        for (uint32_t seed : {1u, 7u}) {
            m = CHeadlessMainForm{};
            expectCommandLiveEqualsReplay(seededStart, c.op, seed);
        }
    }
}

TEST_F(DocCommandsLiveReplay, DeleteWithASelectionThroughTheKeys)
{
    for (uint32_t seed : {2u, 9u})
        expectWindowLiveEqualsReplay(seededStart, QStringLiteral("key down 46\nkey up 46\n"),
                                     seed);
}

struct DocCommandsUndoRedo : LiveCommands
{
};

TEST_F(DocCommandsUndoRedo, ClearingASelectionUndoesToTheExactBytesAndRedoesIt)
{
    auto w = window_live_replay::makeWindow(seededStart, 3);
    ASSERT_TRUE(w);
    window_live_replay::makeCurrent(*w);
    TPaper &p = *w->paper;
    ASSERT_TRUE(p.eventMngr().startRecording(appMainStroke(), appMainToneMngrFor(&p), 64, 64));
    ASSERT_TRUE(dispatchUndoCount(p));
    // Every pixel of the layer cleared (the undo counts of a dump differ by design).
    const auto snapshot = [&] {
        std::vector<uint32_t> v;
        const CBlockVMTC &img = *p.getLayerData(1)->imageTC;
        for (int32_t y = 0; y < img.height(); ++y)
            for (int32_t x = 0; x < img.width(); ++x)
                v.push_back(img.getColor(x, y));
        return v;
    };
    const std::vector<uint32_t> before = snapshot();
    ASSERT_TRUE(w->doSelectDelete(1, 0xFFFFFFFFu, true, true));
    const std::vector<uint32_t> cleared = snapshot();
    ASSERT_NE(cleared, before);
    ASSERT_TRUE(w->Undo());
    EXPECT_EQ(snapshot(), before);
    ASSERT_TRUE(w->Redo());
    EXPECT_EQ(snapshot(), cleared);
    setCurrentDrawWindow(nullptr);
    headlessMainForm().active = nullptr;
    mainForm().toolForm().setWindow(nullptr);
}

struct ClipboardCommandsLiveReplay : LiveCommands
{
    ClipboardCommandsLiveReplay() { clipboardEmpty(true); }
    ~ClipboardCommandsLiveReplay() override { clipboardEmpty(true); }
};

TEST_F(ClipboardCommandsLiveReplay, PastingAPicture)
{
    TMTC image(20, 12);
    std::mt19937 rng(4);
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 20; ++x)
            image.seek32(x, y)->all = uint32_t(rng()) | 0xFF000000u;
    ASSERT_TRUE(copyImageToClipboard24(image, sBox{0, 0, 20, 12}));
    for (uint32_t seed : {1u, 5u})
        expectCommandLiveEqualsReplay(seededStart, [](TDrawWindow &w) { return w.pasteStd(); },
                                      seed);
}

struct ReplayDrivingLiveReplay : LiveCommands
{
};

// A window filled from an image records its creation: the exported recording, opened in a fresh
// window and stepped to its end by the window's replay, rebuilds the same document.
TEST_F(ReplayDrivingLiveReplay, AttachingAnImageReplaysThroughTheWindow)
{
    prof().eventWait = 0;
    for (uint32_t seed : {1u, 6u}) {
        SCOPED_TRACE(seed);
        TMTC image(30 + int32_t(seed), 20);
        std::mt19937 rng(seed);
        for (int32_t y = 0; y < image.height(); ++y)
            for (int32_t x = 0; x < image.width(); ++x)
                image.seek32(x, y)->all = uint32_t(rng());
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("attached.qe5"));
        auto live = TDrawWindow::Create();
        ASSERT_TRUE(live);
        setCurrentDrawWindow(live.get());
        live->attachFile(QString(), image, 72, false, false);
        ASSERT_GT(live->paper->eventMngr().eventCnt, 0u);
        // As the window's activation does: the document paints at the newest level, where a
        // replay ends too.
        ASSERT_TRUE(startPaintModeQZ5(*live->paper));
        ASSERT_TRUE(live->doLayerCmd(ePaperCmd::cmdNeg));
        ASSERT_TRUE(exportEventFile(file, *live->paper, true, -1, -1, true));

        auto replayed = TDrawWindow::Create();
        ASSERT_TRUE(replayed && replayed->openQES(file));
        for (int guard = 0; guard < 1000 && replayed->m_eventPlaying; ++guard)
            ASSERT_NE(replayed->playEventQES(), eEvPlayStat::epsError);
        EXPECT_FALSE(replayed->m_eventPlaying);
        EXPECT_EQ(window_live_replay::documentDifference(*live, *replayed), "");
        setCurrentDrawWindow(nullptr);
    }
}

} // namespace
