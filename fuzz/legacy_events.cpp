// Fuzz target of the oldest event stream: the bytes are validated as a stream and, when taken,
// handed out instruction by instruction through the decoders (at most 100,000 steps) and written
// back. Nothing may read outside the stream, and a stream that validated is walked to its end.
#include "document/events/legacy_event_stream.h"

#include <cstdlib>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

// One instruction through its decoder; false at the end code.
bool popOne(TEventPacket &ev)
{
    using namespace legacy_event;
    int32_t a = 0, b = 0, c = 0, d = 0, e = 0;
    uint32_t col = 0;
    float p = 0;
    bool flag = false;
    std::vector<int32_t> pts;
    SLegacyStrokeParam prm;
    if (ev.isStroking()) {
        ev.PopEventStroke(a, b, p);
        return true;
    }
    const uint16_t code = ev.PopInstruction();
    switch (code) {
    case kEnd:
        return false;
    case kLayerPolyCut:
        ev.PopEventLayerPolyCut(a, b, pts);
        check(b >= 0 && pts.size() == size_t(b) * 2);
        return true;
    case kLayerPolyFill:
        ev.PopEventLayerPolyFill(a, col, b, pts);
        check(b >= 0 && pts.size() == size_t(b) * 2);
        return true;
    case kLayerLine:
        ev.PopEventLayerLine(prm, e, a, b, c, d);
        return true;
    case kLayerVisible:
        ev.PopEventLayerVisible(a, flag);
        return true;
    default:
        break;
    }
    if (code <= kStrokeLast) {
        ev.PopEventStrokeBegin(prm, a, b, p);
        return true;
    }
    const int32_t n = fixedOperandBytes(code);
    check(n >= 0);
    ev.memory().Seek(n);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TMyMemory mem(64);
    mem.WriteFromBuffer(data, int32_t(size));
    TEventPacket ev;
    TEventChecker check_;
    if (!ev.LoadFromMemory(mem, check_))
        return 0;
    int steps = 0;
    while (steps < 100000 && popOne(ev))
        ++steps;
    check(steps < 100000 || ev.memory().ReadRemain() >= 0);
    check(ev.memory().position() <= ev.memory().writed());
    return 0;
}
