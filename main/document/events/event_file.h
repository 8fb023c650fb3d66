// Event files: the recorded event stream of a document stored as chunks, either compressed in
// one QEVP head and a QBEV chunk per stream segment, or stored raw in one QEVS chunk, optionally
// after the document's thumbnail (QTNL). The native image file carries the same event chunks.
// Every reader checks each size it meets against what it can hold before it uses it; a load that
// fails leaves the recorder empty, never a cut stream that claims the full event count.
#pragma once

#include "core/base/geometry.h"

#include <QString>

#include <cstdint>
#include <memory>

class CEventMngr;
class IPaperProgress;
class QIODevice;
class TMTC;
class TPaper;

#pragma pack(push, 1)
// The first 40 bytes of QEVP and QEVS.
struct SEvFileHead
{
    uint32_t tag = 0;
    uint32_t size = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t version = 0;
    uint16_t extFlags = 0;
    uint16_t five = 5;
    uint16_t hundredFour = 104;
    uint32_t eventCnt = 0;
    uint32_t dataLen = 0;
    uint8_t resv[8] = {};
};
// QEVP: the common head, then the segment count and length.
struct SEvPackHead
{
    SEvFileHead head;
    uint32_t segCount = 0;
    uint32_t segLen = 0;
    uint8_t resv[8] = {};
};
// The head of one QBEV chunk.
struct SEvSegHead
{
    uint32_t tag = 0;
    uint32_t size = 0; // 20 + packed length rounded up to 4
    uint32_t offset = 0;
    uint32_t rawLen = 0;
    uint32_t packedLen = 0;
    uint8_t resv[8] = {};
};
#pragma pack(pop)
static_assert(sizeof(SEvFileHead) == 40 && sizeof(SEvPackHead) == 56 && sizeof(SEvSegHead) == 28);

// The newest file version, written when the caller names none in 0..50.
inline constexpr int32_t kEventFileVersion = 50;

// Writers (status codes of eChunkStatus).
uint8_t writeCompressedEvents(QIODevice &stream, TPaper &paper, int32_t version,
                              IPaperProgress *progress, int32_t extFlags);
uint8_t writeEventSegments(QIODevice &stream, CEventMngr &mngr, IPaperProgress *progress);
uint8_t writeStoredEvents(QIODevice &stream, TPaper &paper);
// The native file's event chunks (compressed, version 50, flags 0); a failure cuts the stream
// back to where they began; an exception gives 3.
uint8_t writeNativeEvents(QIODevice &stream, TPaper &paper, IPaperProgress *progress);

// Readers.
// The first 40 bytes of the next chunk, a thumbnail skipped; QEVP or QEVS, else 16.
uint8_t readEventChunkHead(QIODevice &stream, SEvFileHead &head);
// Loads the event chunk at the stream position into the document's recorder.
uint8_t readEventData(QIODevice &stream, TPaper &paper, IPaperProgress *progress);
uint8_t readCompressedEvents(QIODevice &stream, TPaper &paper, IPaperProgress *progress);
// Reads QBEV chunks until total bytes were taken; on an error the stream goes back to the start
// of the failing chunk.
uint8_t readEventSegments(QIODevice &stream, CEventMngr &mngr, uint32_t total,
                          IPaperProgress *progress, uint32_t &read);
// One QBEV chunk, which must continue the data at offset read and hold min(unitLen, total -
// read) bytes; length receives them.
uint8_t readEventSegment(QIODevice &stream, CEventMngr &mngr, uint32_t read, uint32_t total,
                         uint32_t &length);
// readEventData inside the native file; on failure the stream goes back; an exception gives 3.
uint8_t readNativeEvents(QIODevice &stream, TPaper &paper, IPaperProgress *progress);

// Exports the recorded events of a recording document (version outside 0..50: 50; extFlags -1:
// 0; the thumbnail scrambled for a version above 15). Written through a temporary file: a
// failed export keeps an old file.
bool exportEventFile(const QString &path, TPaper &paper, bool thumbnail, int32_t extFlags,
                     int32_t version, bool compressed);
// Opens an event file and loads it into the document's recorder.
uint8_t loadEventFile(const QString &path, TPaper &paper);
// The thumbnail (null when the file has none) and the document size of an event file.
uint8_t readEventFileThumbnail(const QString &path, std::unique_ptr<TMTC> &image, sSize &size);
// The extension a replayed file of version v is saved under.
QString eventFileExtension(int32_t version);
