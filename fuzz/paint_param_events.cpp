// Fuzz target of the paint-parameter replay. The input is a run of records, each a status code
// byte, a little-endian u16 length and that many body bytes (cut at the end of the input); each
// body is played into one event manager's replay objects, so that definitions and the selections
// that refer to them meet. Codes outside the paint parameters are mapped onto them. Whatever the
// bytes, nothing may crash, read outside its buffer or leave a selection pointing at nothing.
//
// Building a screentone costs milliseconds whatever its geometry, and the tone set target fuzzes
// the building already: here a screentone definition keeps every byte but its resolution, ruling
// and angle, which are pinned to a small cell, and only the first one of an input is played, so
// that the replay's own checks get the time.
#include "core/image/channel.h"
#include "document/events/event_manager.h"
#include "paint/presets/pen_presets.h"
#include "paint/tone/tone_manager.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

namespace {

const uint8_t kCodes[] = {36, 37, 40, 44, 45, 74, 75, 48, 50, 52, 53, 56,
                          57, 58, 60, 64, 65, 66, 67, 68, 69, 70, 71};

CEventMngr &manager()
{
    static std::unique_ptr<CEventMngr> m = [] {
        auto ev = std::make_unique<CEventMngr>(nullptr, kEventExpectedLen, kEventUnitLen);
        if (!ev->createPlayObjects())
            std::abort();
        return ev;
    }();
    return *m;
}

// Forgets what the last input defined, keeping the objects (making them is slow).
void resetReplay(CEventMngr &ev)
{
    ev.mapToneObj.removeAll();
    ev.mapPenShapeObj.removeAll();
    ev.playPenShapeList.clear();
    ev.playPenShapeImg.reset();
    ev.playToneMngr->reset();
    ev.evEnbStat.clear();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CEventMngr &ev = manager();
    resetReplay(ev);
    size_t at = 0;
    bool toneBuilt = false;
    while (at + 3 <= size) {
        const uint8_t code = kCodes[data[at] % sizeof kCodes];
        const size_t len = std::min<size_t>(size - at - 3, data[at + 1] | (data[at + 2] << 8));
        // A body of its own, so that any read past it is caught.
        std::unique_ptr<uint8_t[]> body(new uint8_t[len ? len : 1]);
        std::memcpy(body.get(), data + at + 3, len);
        if (code == 36 && len >= 160 && body[14] == 1) {
            if (std::exchange(toneBuilt, true)) {
                at += 3 + len;
                continue;
            }
            const float dpi = 100, line = 25, degree = 0;
            std::memcpy(body.get() + 56, &dpi, 4);
            std::memcpy(body.get() + 60, &line, 4);
            std::memcpy(body.get() + 68, &degree, 4);
        }
        ev.playPaintParamStatus(code, std::span<const uint8_t>(body.get(), len));
        at += 3 + len;
        // Every mapped nib refers to an image of the list.
        if (CPenShapeObj *nib = ev.getPlayPenShapeObj(); !nib)
            std::abort();
    }
    ev.getPlayGradGroup();
    return 0;
}
