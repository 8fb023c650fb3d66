// The document's event manager. Every editing operation is recorded as an event (a short run of
// packets, see event_packets.h) appended to an in-memory byte stream; the same stream is replayed,
// rolled back and forward with undo, and saved to and loaded from files.
//
// The stream lives in segments of unitLen bytes (65536 in every document); segment k holds stream
// offsets k x unitLen to (k + 1) x unitLen - 1, so recorded bytes never move. Offsets are 32-bit
// wherever they are kept (the event ring, the object maps, the file heads): a stream holds at most
// kEventMaxSegments segments and limitLen stays below 2^32; asking for one more segment fails like
// running out of memory.
//
// The class is built in parts, each in its own source file: the stream (event_stream.cpp), the
// recorder and the player add their members beside it.
#pragma once

#include "core/base/memory_ops.h"
#include "core/containers/ring_buffer.h"
#include "document/events/event_packets.h"

#include <cstdint>
#include <span>
#include <vector>

class QIODevice;
class TPaper;

// The allocator of segment memory. Tests install one that fails to exercise the out-of-memory
// paths; nullptr restores the normal one. Returns the previous allocator.
using fptrEventSegAlloc = bool (*)(MemPtr &p, size_t size);
fptrEventSegAlloc setEventSegmentAllocator(fptrEventSegAlloc alloc);

// One segment of the stream.
class CMemSeg
{
  public:
    CMemSeg() = default;
    // With a buffer of sz bytes when the memory can be had (check isValid).
    explicit CMemSeg(uint32_t sz) { alloc(sz); }

    // Obtains sz bytes without throwing; false, the segment as it was, when that fails.
    bool alloc(uint32_t sz);
    void freeBuf();
    bool isValid() const { return buffer != nullptr; }

    // Copy at most length - ofs bytes; the count copied, 0 without a buffer or when ofs >= length.
    uint32_t writeData(const void *src, uint32_t ofs, uint32_t len);
    uint32_t readData(uint32_t ofs, void *dst, uint32_t len) const;

    uint8_t *data() { return static_cast<uint8_t *>(buffer.get()); }
    const uint8_t *data() const { return static_cast<const uint8_t *>(buffer.get()); }

    MemPtr buffer;
    uint32_t length = 0; // bytes of the buffer
};

// The most segments a stream holds: stream offsets stay 32-bit.
inline constexpr uint32_t kEventMaxSegments = 65535;
// The segment size and expected stream length every document passes.
inline constexpr uint32_t kEventUnitLen = 65536;
inline constexpr uint32_t kEventExpectedLen = 1048576;

class CEventMngr
{
  public:
    // The owning document, an expected stream length and the segment size (a size of 0 is taken
    // as 1). The segment list is made ready for ceil(mlen / usz) segments, at least 10; no segment
    // is allocated until recording or loading starts.
    CEventMngr(TPaper *owner, uint32_t mlen, uint32_t usz);
    ~CEventMngr();
    CEventMngr(const CEventMngr &) = delete;
    CEventMngr &operator=(const CEventMngr &) = delete;

    TPaper *owner() const { return m_owner; }

    // ---- Stream storage ----

    // Empties the stream and the event ring, then adds the first segment (false when that fails).
    bool restart();
    // After a load: curLength = topEventPos = len (never past the bytes written), eventCnt = cnt,
    // the play positions and the played-event count 0.
    void setupPlayPos(uint32_t len, uint32_t cnt);

    // Writes len bytes at ofs (ofs <= curLength, len <= unitLen); curLength is not moved. When the
    // write ends beyond curLength and curLength + len reaches limitLen, one segment is added first.
    // Answers len, or 0 (nothing written) when refused or no segment could be added.
    uint32_t writeAt(uint32_t ofs, const void *src, uint32_t len);
    // Reads len bytes at ofs; 0 (nothing read) unless ofs + len <= curLength.
    uint32_t readAt(uint32_t ofs, void *dst, uint32_t len) const;
    // Writes in pieces of at most unitLen, moving curLength to the end of what was written when it
    // lies beyond; stops at the first short piece. Answers the bytes written.
    uint32_t writeDataEx(uint32_t dst, const void *src, uint32_t len);
    // The same at curLength (an append).
    uint32_t writeDataEx(const void *src, uint32_t len);
    // Reads a long run in pieces of at most unitLen; stops at the first short piece.
    uint32_t readDataEx(uint32_t ofs, void *dst, uint32_t len) const;

    // A record at ofs of the stream; false (dst unchanged) unless it lies inside curLength.
    template <class T> bool readRecordAt(uint32_t ofs, T &dst) const
    {
        static_assert(std::is_trivially_copyable_v<T>);
        T v;
        if (readAt(ofs, &v, sizeof(T)) != sizeof(T))
            return false;
        dst = v;
        return true;
    }
    // Appends a record; false when not all of it was written (curLength then marks what was).
    template <class T> bool appendRecord(const T &src)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        return writeDataEx(&src, sizeof(T)) == sizeof(T);
    }

    // Writes [ofs, ofs + len) of the stream (cut at curLength) to fio in pieces that never cross a
    // segment; stops at a short write. Answers the bytes written.
    int64_t saveData(QIODevice &fio, uint32_t ofs, uint32_t len) const;
    // Every complete event: offsets 0 to topEventPos - 1.
    int64_t saveDataAll(QIODevice &fio) const;
    // Empties the manager (restart), reads len bytes from fio in pieces of at most unitLen,
    // appends them and sets up replay (setupPlayPos with what was loaded and cnt). Answers the
    // bytes loaded, less than len when the device or memory ran out.
    uint32_t loadData(QIODevice &fio, uint32_t len, uint32_t cnt);
    // Frees the segments after the one holding curLength; true when it freed any.
    bool shrinkBuffer();
    // ceil(topEventPos / unitLen).
    uint32_t getDataSegCount() const;

    // The body length of the packet whose header is hdr and whose body starts at ofs: the fixed
    // part of a variable packet must lie inside curLength, else -1 (as for an invalid header).
    int64_t packetBodyLength(SEventHdr hdr, uint32_t ofs) const;
    // Walks the packets of [from, to) of the stream (see walkEventPackets).
    SEventWalkResult walkPackets(uint32_t from, uint32_t to,
                                 const fptrEventPacketVisit &visit) const;

    uint32_t segmentCount() const { return uint32_t(segments.size()); }
    const CMemSeg &segment(uint32_t i) const { return segments[i]; }
    size_t segmentCapacity() const { return segments.capacity(); }

    // ---- Stream fields ----
    uint32_t unitLen = kEventUnitLen; // segment size
    uint32_t limitLen = 0;            // sum of the segment sizes
    uint32_t curLength = 0;           // bytes written so far; < limitLen once a segment exists
    uint32_t topEventPos = 0; // start of the event being built = end of the last complete one
    uint32_t eventCnt = 0;    // complete events
    CRingBufDWORD evTopTable; // start offsets of earlier events, for event undo and redo

    // ---- Play position ----
    uint32_t playTopPos = 0;   // offset of the next packet to play
    uint32_t playEventTop = 0; // start of the event being played
    uint32_t playEventCnt = 0; // events played

  private:
    // Adds one segment of unitLen bytes; false when out of memory or at the segment bound.
    bool addSegment();
    void freeSegments();
    // Copies between the stream and memory over as many segments as [ofs, ofs + len) touches;
    // the range has been checked against the segments.
    void copyOut(uint32_t ofs, uint8_t *dst, uint32_t len) const;
    void copyIn(uint32_t ofs, const uint8_t *src, uint32_t len);

    TPaper *m_owner = nullptr;
    std::vector<CMemSeg> segments;
};
