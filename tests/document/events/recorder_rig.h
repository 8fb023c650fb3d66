// A recording document for the recorder tests: the main window's stroke and renderers, the tool
// window's nib, colour group, tone set and gradient set installed as application hooks before the
// document is made (so that it binds them when it starts recording), a fixed UTC clock, captured
// messages, and a 64 x 64 document of two layers at the newest paint level.
#pragma once

#include "core/image/channel.h"
#include "core/profile/app_profile.h"
#include "document/events/event_manager.h"
#include "paint/gradient/gradient_manager.h"
#include "paint/presets/pen_presets.h"
#include "paint/render/pen_render4.h"
#include "paint/render/pen_render5.h"
#include "paint/stroke/stroke.h"
#include "paint/stroke/stroke_placement.h"
#include "paint/stroke/stroke_placement4.h"
#include "paint/tone/tone_manager.h"
#include "support/captured_messages.h"
#include "support/fixed_clock.h"
#include "support/paper_fakes.h"

#include <memory>
#include <vector>

inline SSystemTime recorderTestTime()
{
    SSystemTime t;
    t.wYear = 2024;
    t.wMonth = 5;
    t.wDayOfWeek = 3;
    t.wDay = 15;
    t.wHour = 12;
    t.wMinute = 34;
    t.wSecond = 56;
    t.wMilliseconds = 789;
    return t;
}

// The undo count of the profile for the lifetime of the guard (a profile is made when none).
class ScopedUndoMax
{
  public:
    explicit ScopedUndoMax(int32_t n)
    {
        if (!gAppProfile) {
            initialiseAppProfile();
            m_made = true;
        }
        m_previous = gAppProfile->undoMax;
        gAppProfile->undoMax = n;
    }
    ~ScopedUndoMax()
    {
        if (m_made)
            finaliseAppProfile();
        else
            gAppProfile->undoMax = m_previous;
    }

  private:
    bool m_made = false;
    int32_t m_previous = 0;
};

struct RecorderRig
{
    explicit RecorderRig(int32_t undoMax = 0) : undo(undoMax)
    {
        SPaperAppHooks h;
        h.mainStroke = [this] { return &stroke; };
        h.mainPenRender = [this] { return &render; };
        h.mainPenRender5 = [this] { return &render5; };
        h.selectedPenShape = [this] { return &nib; };
        h.selectedColorSlotGroup = [this] { return &colors; };
        h.mainToneMngrFor = [this](const TPaper *) { return &tones; };
        h.mainGradMngr = [this] { return &grads; };
        previous = installPaperAppHooks(h);
        grads.appendGrad(sRGBA{{0, 0, 0, kCrsKindOwn}}, sRGBA{{255, 255, 255, kCrsKindOwn}});
        grads.setCurGrad(0);
        tones.appendPattern(16, 16, 8, 2.0f);
        tones.setCurPat(0);
        tones.getCurPat()->Fid = 55;
        doc = std::make_unique<HeadlessDocument>();
        setupHeadlessPaper(*doc->paper, {64, 64}, 0xFFFFFF, 2);
        TPaper &p = *doc->paper;
        p.setStrokeMngr4(std::make_unique<CStrokeMngr>(&stroke, &render));
        p.setStrokeMngr5(std::make_unique<CStrokeMngr5>(&stroke, &render5));
        p.actPaintLevel = ePaintLevel::PAINT_LEVEL_qZ5;
    }
    ~RecorderRig()
    {
        doc.reset();
        installPaperAppHooks(previous);
    }

    TPaper &paper() { return *doc->paper; }
    CEventMngr &ev() { return doc->paper->eventMngr(); }

    // The headers of the packets in [from, curLength).
    std::vector<SEventHdr> headers(uint32_t from = 0)
    {
        std::vector<SEventHdr> out;
        ev().walkPackets(from, ev().curLength, [&](const SEventPacketInfo &pk) {
            out.push_back(pk.hdr);
            return true;
        });
        return out;
    }
    std::vector<uint8_t> bytes(uint32_t from = 0)
    {
        std::vector<uint8_t> out(ev().curLength - from);
        ev().readDataEx(from, out.data(), uint32_t(out.size()));
        return out;
    }
    // The body of the first packet with this header at or after from; empty when none.
    std::vector<uint8_t> body(SEventHdr hdr, uint32_t from = 0)
    {
        std::vector<uint8_t> out;
        ev().walkPackets(from, ev().curLength, [&](const SEventPacketInfo &pk) {
            if (!(pk.hdr == hdr))
                return true;
            out.resize(pk.bodyLen);
            ev().readDataEx(pk.pos + 2, out.data(), pk.bodyLen);
            return false;
        });
        return out;
    }
    int count(SEventHdr hdr, uint32_t from = 0)
    {
        int n = 0;
        for (const SEventHdr &h : headers(from))
            n += h == hdr ? 1 : 0;
        return n;
    }
    // A nib with a 5 x 3 image, as the tool window's selected nib.
    void useImageNib()
    {
        TChannel img(5, 3);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 5; ++x)
                *img.seek8(x, y) = uint8_t(40 * x + y);
        nib.setImage(img, true);
        nib.enable = true;
        nib.setID(77); // fixed ids: two rigs record the same bytes
    }
    // The canvas creation and begin events of a new recording.
    void recordOpening()
    {
        ev().pushEventCreatePaperEx(64, 64, 64, 64, 72, true, false);
        ev().pushEventBegin();
    }
    // A stroke of n points.
    bool recordStroke(int n, float x0 = 3)
    {
        bool ok = ev().pushEventStrokeBegin(x0, 4, 0.5f);
        for (int i = 1; i < n; ++i)
            ok = ev().pushEventStrokeAdd(x0 + float(i), 4 + float(i) / 2, 0.5f + float(i) / 64) &&
                 ok;
        return ev().pushEventStrokeEnd() && ok;
    }

    ScopedUndoMax undo;
    ScopedFixedUtcClock utc{recorderTestTime()};
    CapturedMessages messages;
    TStroke stroke{5};
    CPenRender render{&stroke};
    CPenRender5 render5{&stroke};
    CPenShapeObj nib;
    CColorSlotGroup colors;
    CToneMngr tones;
    CGradMngr grads;
    SPaperAppHooks previous;
    std::unique_ptr<HeadlessDocument> doc;
};
