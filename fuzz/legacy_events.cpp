// Fuzz target of the oldest event stream: the bytes are validated as a stream and, when taken,
// replayed step by step into a headless document until the replay ends (at most 100,000 steps).
// Nothing may crash, read outside the stream or hang, and every step keeps the stream's read
// position inside its data.
#include "document/events/event_manager.h"
#include "document/events/legacy_event_stream.h"
#include "document/events/legacy_replay.h"
#include "document/paper/document_init.h"
#include "document/paper/headless.h"
#include "document/paper/headless_owner.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "platform/desktop/messages.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "paint/presets/pen_presets.h"
#include "paint/render/pen_render4.h"
#include "paint/render/pen_render5.h"
#include "paint/stroke/stroke.h"

#include <QtEndian>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

struct App
{
    App()
    {
        SPaperAppHooks h;
        h.mainStroke = [this] { return &stroke; };
        h.mainPenRender = [this] { return &render4; };
        h.mainPenRender5 = [this] { return &render5; };
        h.selectedPenShape = [this] { return &nib; };
        installPaperAppHooks(h);
        initialiseDocument();
        // Refusal messages are expected by the thousand: not shown.
        kavrin::installMessageHandlers(kavrin::MessageHandlers{
            .warning = [](const QString &) {}, .warningEx = [](const QString &, void *, const QString &) {}});
    }
    TStroke stroke{5};
    CPenRender render4{&stroke};
    CPenRender5 render5{&stroke};
    CPenShapeObj nib;
};

// One document for every input, made a small start again before each.
struct Doc
{
    Doc()
    {
        paper = TPaper::Create(&owner);
        check(paper != nullptr);
        owner.attach(*paper);
    }
    void reset()
    {
        // Nothing recorded: a recording would grow without end over the inputs.
        paper->eventMngr().stopRecording();
        paper->layerMngr().deleteAll();
        paper->layerMngr().setTotalNum(0);
        check(setupHeadlessPaper(*paper, {32, 24}, 0xFFFFFF, 2));
        setDrawProcLevel1(*paper);
        paper->m_paperMode = TPaperMode::PM_NORMAL;
    }
    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper;
};

// Canvases of the largest sizes and the widest pens cost their memory and pixel loops, not new
// paths.
bool smallSizes(const TMyMemory &m)
{
    const uint8_t *p = m.BeginBuffer();
    for (int64_t at = 0; at + 2 <= m.writed();) {
        const int32_t len = legacyInstructionLength(p + at, m.writed() - at);
        if (len < 0)
            return true;
        const uint16_t code = qFromLittleEndian<uint16_t>(p + at);
        if ((code == 512 || code == 514 || code == 515) &&
            (qFromLittleEndian<uint16_t>(p + at + 2) > 64 ||
             qFromLittleEndian<uint16_t>(p + at + 4) > 64))
            return false;
        // The pen width word of a stroke's or a line's parameter block, in 1/256 pixel.
        if ((code <= 4 || code == 305) && qFromLittleEndian<uint16_t>(p + at + 2 + 7) > 8 * 256)
            return false;
        // Stroke points far off the canvas draw long lines of dabs outside it.
        if (code <= 4 || code == 305) {
            const uint8_t *ops = p + at + 2 + 17; // after the parameter block
            std::vector<int64_t> at16;
            if (code == 305) {
                at16 = {2, 4, 6, 8};
            } else {
                at16 = {0, 2};
                const int64_t n = qFromLittleEndian<uint16_t>(ops + 6);
                for (int64_t k = 0; k < n; ++k) {
                    at16.push_back(8 + 6 * k);
                    at16.push_back(10 + 6 * k);
                }
            }
            for (int64_t o : at16) {
                const int16_t v = qFromLittleEndian<int16_t>(ops + o);
                if (v < -128 || v > 128)
                    return false;
            }
        }
        at += len;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static App app;
    static Doc doc;
    TMyMemory mem(64);
    mem.WriteFromBuffer(data, int32_t(size));
    // One stream for every input: a new one zeroes its whole first increment each time.
    static TEventPacket ev;
    ev.EventClear();
    TEventChecker checker;
    if (!ev.LoadFromMemory(mem, checker) || !smallSizes(ev.memory()))
        return 0;
    doc.reset();
    setCurrentDrawWindow(&doc.owner);
    bool refresh = false;
    uint16_t inst = 0;
    for (int step = 0; step < 100000; ++step) {
        const bool goOn =
            EventAnalyze(*doc.paper, nullptr, ev, app.stroke, &doc.owner, refresh, inst);
        check(ev.memory().position() <= ev.memory().writed());
        if (!goOn || (ev.memory().ReadRemain() == 0 && !ev.isStroking()))
            break;
    }
    setCurrentDrawWindow(nullptr);
    return 0;
}
