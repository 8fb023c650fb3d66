// The document commands' tests: a window over a recording white document with the application's
// painting objects, captured message boxes, selections made from a few dots, and the recorded
// command codes read back.
#pragma once

#include "core/mask/mask_manager.h"
#include "document/edit/edit_ops.h"
#include "document/events/event_codes.h"
#include "document/events/event_file.h"
#include "document/files/new_document.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "document/events/event_manager.h"
#include "document/events/event_replay.h"
#include "document/paper/headless_app.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper_host.h"
#include "paint/render/stroke_context.h"
#include "support/captured_messages.h"
#include "windows/docwin/render_end.h"

#include "docwin_fixture.h"

#include <vector>

struct SMaskPoint
{
    int32_t x, y;
    uint8_t v;
};

struct DocCmdFixture : DocWinFixture
{
    DocCmdFixture()
    {
        initialiseEventReplay();
        resetRenderEnd();
    }
    ~DocCmdFixture() override
    {
        setCurrentDrawWindow(nullptr);
        resetRenderEnd();
    }

    // A window whose document records from now on.
    std::unique_ptr<TDrawWindow> recordingWindow(sSize canvas = {64, 48}, int32_t layers = 1)
    {
        auto w = makeWindow(canvas, layers);
        if (!w)
            return w;
        setCurrentDrawWindow(w.get());
        EXPECT_TRUE(w->paper->eventMngr().startRecording(
            appMainStroke(), appMainToneMngrFor(w->paper.get()), 64, 64));
        return w;
    }

    // A window whose recording starts with the document's creation, as the program makes one:
    // what an event file holds. transparent hides the canvas colour and makes the layer clear.
    std::unique_ptr<TDrawWindow> createdWindow(sSize canvas, bool transparent = false)
    {
        auto w = TDrawWindow::Create();
        if (!w)
            return w;
        setCurrentDrawWindow(w.get());
        EXPECT_TRUE(w->paper->eventMngr().startRecording(
            appMainStroke(), appMainToneMngrFor(w->paper.get()), 64, 64));
        EXPECT_TRUE(EventEditCreate(*w->paper, QStringLiteral("test"), w->flow(), canvas.x,
                                    canvas.y, 72, transparent, transparent));
        EXPECT_TRUE(startPaintModeQZ5(*w->paper));
        w->FormResize({400, 300});
        return w;
    }

    // An event file of n events: a created document, recorded canvas colour changes, and the end
    // event the export adds.
    std::unique_ptr<TDrawWindow> writeEvents(const QString &path, int32_t n)
    {
        auto w = createdWindow({24, 16});
        if (!w)
            return w;
        CEventMngr &ev = w->paper->eventMngr();
        for (uint32_t i = 1; int32_t(ev.eventCnt) < n - 1; ++i)
            if (!EventEditPC(*w->paper, 0x010101u * (i % 200 + 1), true))
                break;
        EXPECT_EQ(int32_t(ev.eventCnt), n - 1);
        EXPECT_TRUE(exportEventFile(path, *w->paper, true, -1, -1, true));
        return w;
    }

    // A canvas-sized selection holding the dots, made active and enabled.
    static void select(TPaper &paper, const std::vector<SMaskPoint> &dots)
    {
        auto md = std::make_unique<CMaskData>(0, paper.m_paperSize.x, paper.m_paperSize.y);
        for (const SMaskPoint &d : dots)
            md->maskTC->setPixel(d.x, d.y, d.v);
        CMaskMngr &mm = paper.maskMngr();
        mm.insertAt(mm.getMaskCount(), md);
        mm.setCurIndex(mm.getMaxIndex());
        paper.bEnbMask = true;
    }

    // The command codes recorded since from (statuses and information left out).
    static std::vector<TEventCode> codesSince(const TPaper &paper, uint32_t from)
    {
        std::vector<TEventCode> codes;
        const CEventMngr &ev = paper.eventMngr();
        ev.walkPackets(from, ev.topEventPos, [&](const SEventPacketInfo &pk) {
            const TEventCode c = packetToEventCode(pk.hdr);
            if (c != TEventCode::ecNop)
                codes.push_back(c);
            return true;
        });
        return codes;
    }

    // The (group, code) of every command packet recorded since from.
    static std::vector<std::pair<int, int>> packetsSince(const TPaper &paper, uint32_t from)
    {
        std::vector<std::pair<int, int>> out;
        const CEventMngr &ev = paper.eventMngr();
        ev.walkPackets(from, ev.topEventPos, [&](const SEventPacketInfo &pk) {
            if (pk.hdr.group >= 2)
                out.emplace_back(pk.hdr.group, pk.hdr.code);
            return true;
        });
        return out;
    }

    static uint32_t pixel(const TPaper &paper, int32_t layer, int32_t x, int32_t y)
    {
        return paper.getLayerData(layer)->imageTC->getColor(x, y);
    }

    CHeadlessPaperApp app;
    CapturedMessages messages;
};
