// Fuzz target of the event player: arbitrary stream bytes are played into a small headless
// document with every registered row, step by step, until the stream ends, a step fails or a
// step bound is reached. Nothing may crash, read outside its packet or hang.
#include "document/events/event_manager.h"
#include "document/paper/document_init.h"
#include "document/paper/flow_image.h"
#include "document/paper/headless.h"
#include "document/paper/headless_owner.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "paint/presets/pen_presets.h"
#include "paint/render/pen_render4.h"
#include "paint/render/pen_render5.h"
#include "paint/stroke/stroke.h"
#include "paint/tone/tone_manager.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct App
{
    App()
    {
        SPaperAppHooks h;
        h.mainStroke = [this] { return &stroke; };
        h.mainPenRender = [this] { return &render4; };
        h.mainPenRender5 = [this] { return &render5; };
        h.selectedPenShape = [this] { return &nib; };
        h.mainToneMngrFor = [this](const TPaper *p) -> CToneMngr * {
            if (p && p->isEventPlaying())
                return p->eventMngr().playToneMngr.get();
            return &tones;
        };
        installPaperAppHooks(h);
        initialiseDocument();
    }
    TStroke stroke{5};
    CPenRender render4{&stroke};
    CPenRender5 render5{&stroke};
    CPenShapeObj nib;
    CToneMngr tones;
};

} // namespace

// Two documents serve every input (making one per input would cost more than playing): a start of
// two layers, and an empty one for streams that make their own canvas. After an input that changed
// the layer list or the paper, the document is made a valid start again.
struct Doc
{
    explicit Doc(bool blank) : m_blank(blank)
    {
        paper = TPaper::Create(&owner);
        if (!paper)
            std::abort();
        owner.attach(*paper);
        if (!startPaintModeQZ5(*paper) || !reset())
            std::abort();
    }
    bool reset()
    {
        paper->layerMngr().deleteAll();
        paper->layerMngr().setTotalNum(0);
        if (m_blank) {
            paper->m_ready = false;
            return true;
        }
        if (!setupHeadlessPaper(*paper, {24, 16}, 0xFFFFFF, 2))
            return false;
        // A layer larger than the paper grew the work image: give that memory back.
        owner.flow()->changeSize(true);
        return true;
    }
    // The input left the document as a start should be.
    bool intact()
    {
        if (m_blank)
            return paper->getLayerCount() == 0;
        return paper->getLayerCount() == 2 && paper->m_paperSize == sSize{24, 16} &&
               paper->getLayerData(0)->imageTC->FPSZ() == sSize{24, 16} &&
               paper->getLayerData(1)->imageTC->FPSZ() == sSize{24, 16} &&
               owner.flow()->image().FPSZ() == sSize{24, 16};
    }
    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper;
    bool m_blank;
};

// Walks the stream loaded into ev: whether it creates a canvas, and the sides of the canvases and
// layers it creates kept below 32 in bytes (the copy of the input played). Every layer operation
// recomposes the canvas over all layers: a side up to the 10000 the rows accept would spend most
// of the run composing a few inputs; the unit tests cover the large sides and the refusals.
bool walkCreations(const CEventMngr &ev, std::vector<uint8_t> &bytes)
{
    bool creates = false;
    auto smallSide = [&](uint32_t ofs) {
        if (ofs + 4 > bytes.size())
            return;
        bytes[ofs] &= 0x1F;
        std::memset(bytes.data() + ofs + 1, 0, 3);
    };
    ev.walkPackets(0, ev.topEventPos, [&](const SEventPacketInfo &pk) {
        const uint32_t body = pk.pos + 2;
        if (pk.hdr.group == 2 && (pk.hdr.code == 0 || pk.hdr.code == 8)) {
            creates = true;
            for (uint32_t k = 0; k < 4; ++k)
                smallSide(body + 4 * k);
        } else if (pk.hdr.group == 4 &&
                   (pk.hdr.code == 0 || pk.hdr.code == 11 || pk.hdr.code == 14)) {
            smallSide(body + 2);
            smallSide(body + 6);
        }
        return true;
    });
    return creates;
}

namespace {
bool startBegun = false;
bool blankBegun = false;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static App app;
    static Doc start(false);
    static Doc blank(true);
    if (size > 65536)
        return 0;
    // The stream is loaded into the start's recorder to be walked, then into the chosen one.
    Doc *chosen = &start;
    std::vector<uint8_t> bytes(data, data + size);
    {
        CEventMngr &probe = start.paper->eventMngr();
        if (probe.restart() && probe.writeDataEx(data, uint32_t(size)) == size) {
            probe.setupPlayPos(uint32_t(size), 1);
            if (walkCreations(probe, bytes))
                chosen = &blank;
        }
    }
    Doc &doc = *chosen;
    CEventMngr &ev = doc.paper->eventMngr();
    if (ev.restart() && ev.writeDataEx(bytes.data(), uint32_t(size)) == size) {
        ev.setupPlayPos(uint32_t(size), 1);
        doc.owner.eventPlaying = true;
        setCurrentDrawWindow(&doc.owner);
        // The replay objects are made once (making them is most of the cost of an input); later
        // inputs start over on them as a replay continued after a load would.
        bool &begun = chosen == &start ? startBegun : blankBegun;
        bool ready = true;
        if (!begun) {
            ready = begun = ev.beginPlaying(false) == eEvStartStat::ersOK;
        } else {
            ev.mapToneObj.removeAll();
            ev.mapPenShapeObj.removeAll();
            ev.playPenShapeList.clear();
            ev.evEnbStat.clear();
            ev.evEnbStat.add(enbPlaying);
            ev.curStatus = eEvStat::esPlaying;
        }
        if (ready) {
            for (int step = 0; step < 256; ++step) {
                if (ev.playTopPos >= ev.topEventPos && !ev.evEnbStat.has(enbPlayStroke))
                    break;
                const eEvPlayStat r = ev.playEventSingle();
                if (r == eEvPlayStat::epsError || r == eEvPlayStat::epsEnd)
                    break;
            }
        }
        ev.playStrokeToEnd();
        setCurrentDrawWindow(nullptr);
        doc.owner.eventPlaying = false;
    }
    if (!doc.intact() && !doc.reset())
        std::abort();
    return 0;
}
