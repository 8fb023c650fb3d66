// The stream part of CEventMngr: segments, writes and reads at stream offsets, saving to and
// loading from devices, and the packet lengths read from the stream.
#include "document/events/event_manager.h"

// The replay objects are destroyed if construction fails part way.
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "paint/presets/pen_presets.h"
#include "paint/render/pen_render4.h"
#include "paint/render/pen_render5.h"
#include "paint/stroke/stroke.h"
#include "paint/tone/tone_manager.h"

#include <QIODevice>

#include <algorithm>
#include <new>

namespace {

bool defaultSegmentAlloc(MemPtr &p, size_t size)
{
    return tryGetMem(p, size);
}

fptrEventSegAlloc gSegmentAlloc = defaultSegmentAlloc;

} // namespace

fptrEventSegAlloc setEventSegmentAllocator(fptrEventSegAlloc alloc)
{
    const fptrEventSegAlloc previous = gSegmentAlloc;
    gSegmentAlloc = alloc ? alloc : defaultSegmentAlloc;
    return previous;
}

// ---- CMemSeg ----

bool CMemSeg::alloc(uint32_t sz)
{
    MemPtr p;
    if (sz == 0 || !gSegmentAlloc(p, sz) || !p)
        return false;
    buffer = std::move(p);
    length = sz;
    return true;
}

void CMemSeg::freeBuf()
{
    buffer.reset();
    length = 0;
}

uint32_t CMemSeg::writeData(const void *src, uint32_t ofs, uint32_t len)
{
    if (!buffer || ofs >= length)
        return 0;
    const uint32_t n = std::min(len, length - ofs);
    std::memcpy(data() + ofs, src, n);
    return n;
}

uint32_t CMemSeg::readData(uint32_t ofs, void *dst, uint32_t len) const
{
    if (!buffer || ofs >= length)
        return 0;
    const uint32_t n = std::min(len, length - ofs);
    std::memcpy(dst, data() + ofs, n);
    return n;
}

// ---- CEventMngr: construction ----

CEventMngr::CEventMngr(TPaper *owner, uint32_t mlen, uint32_t usz)
    : unitLen(std::max<uint32_t>(usz, 1)), m_owner(owner)
{
    const uint64_t wanted = (uint64_t(mlen) + unitLen - 1) / unitLen;
    segments.reserve(size_t(std::clamp<uint64_t>(wanted, 10, kEventMaxSegments)));
}

void CEventMngr::freeSegments()
{
    segments.clear();
    limitLen = 0;
}

bool CEventMngr::addSegment()
{
    // Offsets are kept in 32 bits: the segment count and the stream end stay bounded.
    if (segments.size() >= kEventMaxSegments || uint64_t(limitLen) + unitLen > UINT32_MAX)
        return false;
    CMemSeg seg;
    if (!seg.alloc(unitLen))
        return false;
    try {
        segments.push_back(std::move(seg));
    } catch (const std::bad_alloc &) {
        return false;
    }
    limitLen += unitLen;
    return true;
}

bool CEventMngr::restart()
{
    freeSegments();
    curLength = 0;
    topEventPos = 0;
    eventCnt = 0;
    playTopPos = 0;
    playEventTop = 0;
    playEventCnt = 0;
    evTopTable.restart();
    return addSegment();
}

void CEventMngr::setupPlayPos(uint32_t len, uint32_t cnt)
{
    // Never past the bytes written: the end of the stream must lie on real data.
    curLength = std::min(len, curLength);
    topEventPos = curLength;
    eventCnt = cnt;
    playTopPos = 0;
    playEventTop = 0;
    playEventCnt = 0;
}

// ---- Writes and reads ----

void CEventMngr::copyOut(uint32_t ofs, uint8_t *dst, uint32_t len) const
{
    while (len > 0) {
        const uint32_t n = segments[ofs / unitLen].readData(ofs % unitLen, dst, len);
        ofs += n;
        dst += n;
        len -= n;
    }
}

void CEventMngr::copyIn(uint32_t ofs, const uint8_t *src, uint32_t len)
{
    while (len > 0) {
        const uint32_t n = segments[ofs / unitLen].writeData(src, ofs % unitLen, len);
        ofs += n;
        src += n;
        len -= n;
    }
}

uint32_t CEventMngr::writeAt(uint32_t ofs, const void *src, uint32_t len)
{
    // A write past curLength would leave a gap of bytes never written inside the stream.
    if (len == 0 || len > unitLen || ofs > curLength)
        return 0;
    const uint64_t end = uint64_t(ofs) + len;
    // The stream never fills its last segment: one is added as soon as an append would reach it.
    if (end > curLength && uint64_t(curLength) + len >= limitLen && !addSegment())
        return 0;
    if (end > limitLen)
        return 0;
    copyIn(ofs, static_cast<const uint8_t *>(src), len);
    return len;
}

uint32_t CEventMngr::readAt(uint32_t ofs, void *dst, uint32_t len) const
{
    if (len == 0 || uint64_t(ofs) + len > curLength)
        return 0;
    copyOut(ofs, static_cast<uint8_t *>(dst), len);
    return len;
}

uint32_t CEventMngr::writeDataEx(uint32_t dst, const void *src, uint32_t len)
{
    const auto *s = static_cast<const uint8_t *>(src);
    uint32_t done = 0;
    while (done < len) {
        const uint32_t piece = std::min(len - done, unitLen);
        if (uint64_t(dst) + done + piece > UINT32_MAX ||
            writeAt(dst + done, s + done, piece) != piece)
            break;
        done += piece;
        curLength = std::max(curLength, dst + done);
    }
    return done;
}

uint32_t CEventMngr::writeDataEx(const void *src, uint32_t len)
{
    return writeDataEx(curLength, src, len);
}

uint32_t CEventMngr::readDataEx(uint32_t ofs, void *dst, uint32_t len) const
{
    auto *d = static_cast<uint8_t *>(dst);
    uint32_t done = 0;
    while (done < len) {
        const uint32_t piece = std::min(len - done, unitLen);
        if (uint64_t(ofs) + done > UINT32_MAX || readAt(ofs + done, d + done, piece) != piece)
            break;
        done += piece;
    }
    return done;
}

// ---- Devices ----

int64_t CEventMngr::saveData(QIODevice &fio, uint32_t ofs, uint32_t len) const
{
    if (ofs >= curLength)
        return 0;
    const uint32_t end = uint32_t(std::min<uint64_t>(uint64_t(ofs) + len, curLength));
    int64_t written = 0;
    for (uint32_t p = ofs; p < end;) {
        const CMemSeg &seg = segments[p / unitLen];
        const uint32_t at = p % unitLen;
        const uint32_t piece = std::min(end - p, unitLen - at);
        const qint64 n = fio.write(reinterpret_cast<const char *>(seg.data() + at), piece);
        if (n > 0)
            written += n;
        if (n != qint64(piece))
            break;
        p += piece;
    }
    return written;
}

int64_t CEventMngr::saveDataAll(QIODevice &fio) const
{
    return saveData(fio, 0, topEventPos);
}

uint32_t CEventMngr::loadData(QIODevice &fio, uint32_t len, uint32_t cnt)
{
    uint32_t loaded = 0;
    if (restart()) {
        std::vector<char> piece;
        try {
            piece.resize(std::min(len, unitLen));
        } catch (const std::bad_alloc &) {
            piece.clear();
        }
        while (loaded < len && !piece.empty()) {
            const uint32_t want = std::min(len - loaded, unitLen);
            const qint64 got = fio.read(piece.data(), want);
            if (got <= 0)
                break;
            const uint32_t put = writeDataEx(piece.data(), uint32_t(got));
            loaded += put;
            if (put != uint32_t(got))
                break;
        }
    }
    setupPlayPos(loaded, cnt);
    return loaded;
}

bool CEventMngr::shrinkBuffer()
{
    const size_t keep = size_t(curLength / unitLen) + 1;
    if (segments.size() <= keep)
        return false;
    segments.erase(segments.begin() + std::ptrdiff_t(keep), segments.end());
    limitLen = uint32_t(keep) * unitLen;
    return true;
}

uint32_t CEventMngr::getDataSegCount() const
{
    return uint32_t((uint64_t(topEventPos) + unitLen - 1) / unitLen);
}

// ---- Packets ----

int64_t CEventMngr::packetBodyLength(SEventHdr hdr, uint32_t ofs) const
{
    const SPacketLayout row = packetLayout(hdr);
    if (!row.isVariable())
        return ::packetBodyLength(hdr, {});
    uint8_t fixedPart[256];
    static_assert(sizeof(SEvToneObjHeader) <= sizeof(fixedPart));
    if (readAt(ofs, fixedPart, uint32_t(row.fixed)) != uint32_t(row.fixed))
        return -1;
    return ::packetBodyLength(hdr, std::span<const uint8_t>(fixedPart, size_t(row.fixed)));
}

SEventWalkResult CEventMngr::walkPackets(uint32_t from, uint32_t to,
                                         const fptrEventPacketVisit &visit) const
{
    auto readHdr = [this](uint32_t pos, SEventHdr &hdr) { return readRecordAt(pos, hdr); };
    auto bodyLength = [this](SEventHdr hdr, uint32_t ofs) { return packetBodyLength(hdr, ofs); };
    return walkEventPackets(from, std::min(to, curLength), readHdr, bodyLength, visit);
}
