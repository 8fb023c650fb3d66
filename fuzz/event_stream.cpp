// Fuzz target of the event stream. The first byte picks the segment size (small ones put packets
// across segment borders), the rest is appended with writeDataEx and walked, in the stream and in
// memory; both walks must agree, and every packet's record, count field and trailing bytes are read
// back and compared with the input. The stream is then saved and loaded again unchanged.
#include "document/events/event_manager.h"

#include <QBuffer>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

template <class T> T record(const CEventMngr &m, uint32_t body)
{
    T r{};
    check(m.readRecordAt(body, r));
    return r;
}

// The trailing byte count of a variable packet as its typed record names it.
int64_t countField(const CEventMngr &m, SEventHdr hdr, uint32_t body)
{
    switch (hdr.group) {
    case 0:
        switch (hdr.code) {
        case 33:
            return record<uint16_t>(m, body);
        case 36:
            return record<SEvToneObjHeader>(m, body).padded;
        case 40:
            return record<SEvGradType>(m, body).slotlen;
        case 44:
        case 74:
            return record<SEvPenShapeHeader>(m, body).padded;
        case 128:
        case 129:
            return record<SEvImageDesc>(m, body).total;
        default:
            return record<uint32_t>(m, body); // 136
        }
    case 1:
        return record<uint32_t>(m, body);
    case 4:
        if (hdr.code == 11 || hdr.code == 14)
            return record<SEvLayerCreateEx>(m, body).nameLen;
        return record<SEvNameHead>(m, body).len;
    case 5:
        return record<SEvLinkLevel>(m, body).total;
    case 6:
        return int64_t(record<SEvPolygonHead>(m, body).cnt) * sizeof(sFPos);
    case 10:
        if (hdr.code == 18)
            return int64_t(record<SEvMaskPolygonHead>(m, body).cnt) * sizeof(sFPos);
        return record<SEvNameHead>(m, body).len;
    case 12:
        return record<SEvImageDesc>(m, body).total;
    case 13:
        if (hdr.code == 2 || hdr.code == 3 || hdr.code == 5)
            return record<SEvAlphaEx>(m, body).padded;
        return record<SEvAlpha>(m, body).padded;
    case 38:
        return record<SEvFilterComplex>(m, body).allLen;
    default:
        return -1;
    }
}

// Reads the typed records of a few fixed packets, as a player would.
void readFixedRecord(const CEventMngr &m, SEventHdr hdr, uint32_t body)
{
    if (hdr.group == 0 && hdr.code == 0)
        (void)record<SEvAppStat>(m, body);
    else if (hdr.group == 0 && hdr.code == 37)
        (void)record<SEvToneID>(m, body);
    else if (hdr.group == 0 && hdr.code == 71)
        (void)record<SEvPen5StrokeParam>(m, body);
    else if (hdr.group == 2 && hdr.code == 8)
        (void)canvasFlagSet(record<SEvCanvasCreate2>(m, body).ltp);
    else if (hdr.group == 80 || hdr.group == 48)
        (void)record<SEvStrokeTarget>(m, body);
    else if ((hdr.group == 17 || hdr.group == 18) && hdr.code > 0)
        (void)record<SEvStrokePoint>(m, body + 12u * (hdr.code - 1u));
}

// One pair of streams per segment size for every input: a new stream makes its segment list
// ready for the whole expected length, a megabyte of list for the smallest sizes, which cost far
// more than the input itself. restart (and loadData) empty a stream for the next input.
struct SStreams
{
    explicit SStreams(uint32_t unit)
        : m(nullptr, kEventExpectedLen, unit), back(nullptr, kEventExpectedLen, unit)
    {
    }
    CEventMngr m, back;
};

SStreams &streamsFor(size_t pick, uint32_t unit)
{
    static std::unique_ptr<SStreams> streams[5];
    if (!streams[pick])
        streams[pick] = std::make_unique<SStreams>(unit);
    return *streams[pick];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size > (1u << 20))
        return 0;
    static const uint32_t units[] = {7, 16, 64, 4096, kEventUnitLen};
    const uint32_t unit = units[data[0] % 5];
    const std::span<const uint8_t> bytes(data + 1, size - 1);

    SStreams &streams = streamsFor(data[0] % 5, unit);
    CEventMngr &m = streams.m;
    check(m.restart());
    check(m.writeDataEx(bytes.data(), uint32_t(bytes.size())) == bytes.size());
    check(m.curLength == bytes.size() && m.curLength < m.limitLen);

    std::vector<SEventPacketInfo> inMemory;
    const SEventWalkResult a = walkEventBytes(bytes, [&](const SEventPacketInfo &p) {
        inMemory.push_back(p);
        return true;
    });
    size_t k = 0;
    std::vector<uint8_t> body;
    const SEventWalkResult b = m.walkPackets(0, m.curLength, [&](const SEventPacketInfo &p) {
        check(k < inMemory.size() && inMemory[k].pos == p.pos && inMemory[k].hdr == p.hdr &&
              inMemory[k].bodyLen == p.bodyLen);
        ++k;
        SEventHdr hdr;
        check(m.readRecordAt(p.pos, hdr) && hdr == p.hdr);
        const SPacketLayout row = packetLayout(hdr);
        check(row.isValid() && p.bodyLen >= uint32_t(row.fixed));
        if (row.isVariable())
            check(countField(m, hdr, p.pos + 2) == int64_t(p.bodyLen) - row.fixed);
        else
            readFixedRecord(m, hdr, p.pos + 2);
        body.resize(p.bodyLen);
        check(m.readDataEx(p.pos + 2, body.data(), p.bodyLen) == p.bodyLen);
        check(p.bodyLen == 0 || std::memcmp(body.data(), bytes.data() + p.pos + 2, p.bodyLen) == 0);
        return true;
    });
    check(a.end == b.end && a.offset == b.offset && a.packets == b.packets && k == a.packets);
    check(a.end != TEventWalkEnd::Stopped);

    m.topEventPos = m.curLength;
    QByteArray saved;
    QBuffer out(&saved);
    check(out.open(QIODevice::WriteOnly));
    check(m.saveDataAll(out) == int64_t(bytes.size()));
    check(bytes.empty() || std::memcmp(saved.constData(), bytes.data(), bytes.size()) == 0);
    out.close();

    QBuffer in(&saved);
    check(in.open(QIODevice::ReadOnly));
    CEventMngr &back = streams.back;
    check(back.loadData(in, uint32_t(bytes.size()) + 10, 3) == bytes.size());
    check(back.curLength == bytes.size() && back.eventCnt == 3);
    m.shrinkBuffer();
    return 0;
}
