// Fuzz target of the filter rows of the replay table. The input picks a filter code (byte 0), a
// selection and the layer's protection (byte 1, the selection's rectangle in bytes 2-5); the rest
// is the packet's body after the layer and mask words: the cells of groups 32-35, or for group 38
// the rest of the block head and the block. The row plays it onto a 32 x 24 headless document;
// whatever the bytes, nothing may crash or read outside its buffer. Three recorded sizes that set
// the work per input are kept below 256: the older tiles' size (a triangle tile rasterises two
// masks of its own size), the older motion blur's distance and radial blur's amount (samples per
// pixel); their values up to the refused 10000 and 32767 would spend most of the run on a few
// inputs, and the unit tests of those filters cover the large values and the refusals. Both
// motion blurs' distances are kept below 64 for the same reason.
#include "core/mask/mask_manager.h"
#include "core/tiles/block_channel.h"
#include "core/tiles/block_layer_image.h"
#include "core/tiles/work_threads.h"
#include "document/events/event_manager.h"
#include "document/events/event_replay.h"
#include "document/paper/document_init.h"
#include "document/paper/flow_image.h"
#include "document/paper/headless.h"
#include "document/paper/headless_owner.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "filters/commands/filter_replay_rows.h"
#include "filters/core/pixel_mechanics.h"
#include "platform/desktop/messages.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Every filter row: (group, code).
const uint8_t kRows[][2] = {
    {32, 87}, {32, 81}, {32, 82}, {32, 83}, {32, 84}, {32, 53}, {32, 56}, {32, 52}, {32, 12},
    {32, 13}, {32, 64}, {32, 65}, {32, 0},  {32, 1},  {34, 62}, {34, 24}, {34, 17}, {34, 61},
    {35, 60}, {33, 27}, {33, 14}, {33, 26}, {33, 4},  {33, 55}, {33, 98}, {33, 58}, {33, 97},
    {34, 57}, {34, 96}, {34, 25}, {34, 48}, {34, 50}, {34, 59}, {33, 49}, {33, 66}, {33, 67},
    {33, 86}, {33, 68}, {34, 73}, {34, 70}, {34, 71}, {35, 72}, {33, 69}, {33, 80}, {33, 85},
    {33, 63}, {38, 51}, {38, 74}, {38, 54}, {32, 8},  {32, 9},  {32, 20}, {35, 16}, {33, 18},
    {34, 19}, {33, 21}, {33, 22}, {33, 23}, {33, 2},  {34, 3},  {33, 10}, {33, 32}, {34, 33},
    {33, 34}, {35, 35}, {34, 36}, {35, 37}, {35, 38}, {38, 39}, {38, 40}, {38, 99}};

struct Document
{
    Document()
    {
        // One thread: the pictures are tiny, and spreading them costs more than it saves.
        setWorkThreads(1);
        initialiseDocument();
        initialiseFilters();
        initialiseEventReplay();
        installFilterReplayEntries();
        // A floor whose file texture is missing tells the user: nobody reads it here.
        kavrin::MessageHandlers quiet;
        quiet.warning = [](const QString &) {};
        kavrin::installMessageHandlers(quiet);
        // A window no larger than the document keeps each input's view update small.
        owner.client = {32, 24};
        paper = TPaper::Create(&owner);
        if (!paper)
            std::abort();
        owner.attach(*paper);
        if (!setupHeadlessPaper(*paper, {32, 24}, 0xFFFFFF, 1) ||
            !paper->eventMngr().createPlayObjects())
            std::abort();
    }
    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper;
};

Document &document()
{
    static Document d;
    return d;
}

// The same start for every input: a pattern with some transparency.
void paintStart(TPaper &paper)
{
    CBlockVMTC &img = *paper.getLayerData(0)->imageTC;
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            img.setPixel(x, y,
                         uint32_t(x * 8) | uint32_t(y * 10) << 8 | 0x40u << 16 |
                             ((x + y) % 5 ? 0xFFu : 0x60u) << 24);
    paper.setFlow(*paper.getActiveFlow(), 0, true);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 6)
        return 0;
    Document &d = document();
    TPaper &paper = *d.paper;
    paintStart(paper);
    const uint8_t *row = kRows[data[0] % (sizeof kRows / sizeof kRows[0])];
    const uint8_t flags = data[1];
    paper.getLayerData(0)->maskProtected = (flags & 1) != 0;
    CMaskMngr &mm = paper.maskMngr();
    if (flags & 2) {
        if (!mm.hasActiveMask())
            mm.setCurIndex(mm.getMaskCount());
        CMaskData *m = mm.getActiveMask();
        if (m && m->createMask(32, 24)) {
            sRect r{data[2] % 40 - 4, data[3] % 32 - 4, data[4] % 40 - 4, data[5] % 32 - 4};
            m->maskTC->fillArea(r, uint8_t(flags | 1));
        }
    } else if (CMaskData *m = mm.getActiveMask()) {
        m->maskTC.reset();
    }
    // The body: layer 0 and mask 0, then the input.
    const size_t rest = size - 6;
    std::unique_ptr<uint8_t[]> body(new uint8_t[4 + rest]);
    std::memset(body.get(), 0, 4);
    std::memcpy(body.get() + 4, data + 6, rest);
    if (row[0] == 34 && row[1] == 36 && rest >= 4)
        body[4 + 3] = 0; // the tile size's high byte
    if (((row[0] == 33 && row[1] == 2) || (row[0] == 34 && row[1] == 3)) && rest >= 4)
        std::memset(body.get() + 4 + 1, 0, 3); // the distance's or amount's upper bytes
    // Both motion blurs sample along their whole distance for every pixel: distances below 64
    // keep their passes and their edges at a quarter of the largest one's work.
    if (row[0] == 33 && (row[1] == 2 || row[1] == 4) && rest >= 1)
        body[4] &= 63;
    const SEvReplayRow &r = eventReplayRow({row[0], row[1]});
    if (r.registered())
        r.fn(paper.eventMngr(), paper, row[1], std::span<const uint8_t>(body.get(), 4 + rest));
    return 0;
}
