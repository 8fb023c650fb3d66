// Fuzz target of the event player: arbitrary stream bytes are played into a small headless
// document with every registered row, step by step, until the stream ends, a step fails or a
// step bound is reached. Nothing may crash, read outside its packet or hang.
#include "document/events/event_manager.h"
#include "document/paper/document_init.h"
#include "document/paper/headless.h"
#include "document/paper/headless_owner.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "paint/presets/pen_presets.h"
#include "paint/render/pen_render4.h"
#include "paint/render/pen_render5.h"
#include "paint/stroke/stroke.h"
#include "paint/tone/tone_manager.h"

#include "core/base/memory_ops.h"
#include "core/tiles/block_image.h"

#include <cstdlib>
#include <memory>

namespace {

// Each input may commit this many image blocks; later commits fail as when memory runs out. Every
// operation must survive that, and a stream that grows the paper or a layer stays cheap.
constexpr int kCommitsPerInput = 16384;

int &commitsLeft()
{
    static int n = kCommitsPerInput;
    return n;
}

bool budgetAlloc(MemPtr &p, size_t size)
{
    if (commitsLeft() <= 0)
        return false;
    --commitsLeft();
    return tryGetMem(p, size);
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
        h.mainToneMngrFor = [this](const TPaper *p) -> CToneMngr * {
            if (p && p->isEventPlaying())
                return p->eventMngr().playToneMngr.get();
            return &tones;
        };
        installPaperAppHooks(h);
        initialiseDocument();
        setBlockAllocator(&budgetAlloc);
    }
    TStroke stroke{5};
    CPenRender render4{&stroke};
    CPenRender5 render5{&stroke};
    CPenShapeObj nib;
    CToneMngr tones;
};

} // namespace

// One document while inputs leave its layer list and paper as they were: making one per input
// would cost more than playing. An input that changed them (new, deleted, turned, resized or
// cropped layers) gets a fresh document for the next one.
struct Doc
{
    Doc()
    {
        paper = TPaper::Create(&owner);
        if (!paper)
            std::abort();
        owner.attach(*paper);
        if (!setupHeadlessPaper(*paper, kPaper, 0xFFFFFF, 2) || !startPaintModeQZ5(*paper))
            std::abort();
    }
    ~Doc()
    {
        owner.detach();
        paper.reset();
    }
    bool asMade() const
    {
        if (paper->getLayerCount() != 2 || paper->m_paperSize != kPaper)
            return false;
        for (int32_t i = 0; i < 2; ++i)
            if (paper->getLayerData(i)->imageTC->FPSZ() != kPaper)
                return false;
        return true;
    }
    static constexpr sSize kPaper{24, 16};
    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper;
    bool begun = false;
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static App app;
    static std::unique_ptr<Doc> held;
    if (size > 65536)
        return 0;
    commitsLeft() = kCommitsPerInput;
    if (!held || !held->asMade())
        held = std::make_unique<Doc>();
    Doc &doc = *held;
    CEventMngr &ev = doc.paper->eventMngr();
    if (ev.restart() && ev.writeDataEx(data, uint32_t(size)) == size) {
        ev.setupPlayPos(uint32_t(size), 1);
        doc.owner.eventPlaying = true;
        setCurrentDrawWindow(&doc.owner);
        // The replay objects are made once (making them is most of the cost of an input); later
        // inputs start over on them as a replay continued after a load would.
        bool ready = true;
        if (!doc.begun) {
            ready = doc.begun = ev.beginPlaying(false) == eEvStartStat::ersOK;
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
    return 0;
}
