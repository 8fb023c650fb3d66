// The native layered image file (`.qzi`): a chunk file that keeps a whole document. A 56-byte
// header chunk `QPIM`, then in this order and each only when its flag bit is set: the thumbnail
// `QTNL` (bit 2), for each layer from the bottom its `QLYR` chunk followed by the `QBIM` block
// runs of its image (bit 0), the masks `QMSK` with their `QBMK` runs (bit 1), the event chunks
// `QEVP`/`QBEV` (bit 3).
//
// `QLYR`: chunk header (size 72 + title area), the 72-byte SOlyHeader, the UTF-16LE title padded
// with 2 or 4 zero bytes to a multiple of 4.
//
// `QBIM` run, a 40-byte head then the payload:
//    0 "QBIM"   4 size   8 block width 32   12 block height 32   16 kind (low byte read)
//   20 count   24 compressed length   28 raw length   32 8 zero bytes
// Kind 1: count (1..16) allocated blocks, 4096 bytes each (32 x 32 sBGRA, rows top-down),
// compressed as one block of the codec, then zero bytes to a file offset that is a multiple of 4;
// size = 32 + compressed + padding, raw = count x 4096. Kind 2: count blocks without memory, one
// u32 uniform colour each; size = 32 + 4 x count, raw = 4 x count, compressed 0. The runs of a
// layer follow its chunk in block order (row by row over the grid) and cover every block once.
//
// Reading trusts nothing: every size, count and index is checked against the file and against
// what the document can take before it is used. A bad header refuses the file with the paper
// untouched; a bad layer, mask or event chunk is warned of and skipped and the rest loads.
#pragma once

#include "core/base/geometry.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

class CBlockImage;
class CLayerData;
class IPaperProgress;
class QIODevice;
class TPaper;

// Bits of SImageFileHeader::flags and of saveNativeImage's flags.
inline constexpr uint32_t kQziLayers = 0x001;
inline constexpr uint32_t kQziMasks = 0x002;
inline constexpr uint32_t kQziThumbnail = 0x004;
inline constexpr uint32_t kQziEvents = 0x008;
inline constexpr uint32_t kQziMaskShown = 0x010;
inline constexpr uint32_t kQziMaskEnabled = 0x020;
inline constexpr uint32_t kQziCanvasHidden = 0x040;
inline constexpr uint32_t kQziBGPattern = 0x080;
inline constexpr uint32_t kQziLayerInfo = 0x100;
inline constexpr uint32_t kQziMaskInfo = 0x200;

// The newest file version; files of version 1 and below keep their titles as ANSI text.
inline constexpr uint32_t kQziVersion = 2;
inline constexpr int32_t kQziMaxSide = 10000;
// Layer images read from a file are at most this many pixels on a side.
inline constexpr int32_t kQziMaxLayerSide = 1 << 15;
inline constexpr int32_t kQziRunHeadSize = 40;
// Allocated blocks are written at most this many to a run.
inline constexpr int32_t kQziRunMaxBlocks = 16;

#pragma pack(push, 1)
struct SImageFileHeader
{
    uint32_t tag = 0;  // "QPIM"
    uint32_t size = 0; // 48
    int32_t width = 0;
    int32_t height = 0;
    uint32_t version = 0;
    uint16_t writerMajor = 0; // 5
    uint16_t writerMinor = 0; // 104
    uint32_t flags = 0;       // kQzi*
    uint32_t canvasColor = 0;
    int16_t activeLayer = 0;
    int16_t activeMask = 0;
    uint16_t dpi = 0;
    uint16_t reserved1 = 0;
    int16_t layerCount = 0;
    int16_t layerTotalNum = 0;
    int16_t maskCount = 0;
    int16_t maskTotalNum = 0;
    uint8_t reserved2[8] = {};
};
#pragma pack(pop)
static_assert(sizeof(SImageFileHeader) == 56);
static_assert(offsetof(SImageFileHeader, flags) == 24 && offsetof(SImageFileHeader, dpi) == 36);
static_assert(offsetof(SImageFileHeader, maskTotalNum) == 46);

// Writes the file (flags bits 0-3 choose the parts) through a temporary file that replaces path
// only when the header and every requested part were written: every layer, every mask, the
// thumbnail and the events. A part that fails is warned of and cut away; the answer is then
// false and the old file stays as it was. Never throws.
bool saveNativeImage(const QString &path, TPaper &paper, uint32_t flags);

// Rebuilds paper from the file; the paper belongs to a fresh document window whose recording
// the caller has stopped (the file's events, when it has any, are recorded on from). 4 no such
// file, 6 it cannot be opened, the header's codes (the paper untouched), 21 the new document cannot
// be made, 3 an exception; 0 also when damaged chunks were warned of and skipped (the document
// keeps what could be read). A load that lost part of the file sets *damage (when given) to the
// code of the first layer, mask or event chunk that failed, or to the code that ended the reading
// early; else 0 (chunks of unknown tags are only ignored). Such a document keeps no path: saving it
// asks for a name, so that the damaged file is never replaced by the part of it that could be read.
uint8_t loadNativeImage(const QString &path, TPaper &paper, uint8_t *damage = nullptr);
// The same from a stream that holds the file from its position to its end (path names the
// document).
uint8_t loadNativeImage(QIODevice &stream, const QString &path, TPaper &paper,
                        uint8_t *damage = nullptr);

// Reads and checks the header at the stream position: 9 short, 16 tag, 17 size, 12 a version
// above 2, 13 a width or height outside 1..10000.
[[nodiscard]] uint8_t readImageHeader(QIODevice &stream, SImageFileHeader &header);
// readImageHeader giving the document size: the head reader of the file dialogs' thumbnail
// preview (the shape of TNativeHeadReader in format/image_records.h).
[[nodiscard]] uint8_t readImageHeadSize(QIODevice &stream, sSize &docSize);

// The header of paper with the flags given (bits 8 and 9 and the selection bits are added from the
// document when bits 0 and 1 are set): 0 or 8.
[[nodiscard]] uint8_t writeImageHeader(QIODevice &stream, const TPaper &paper, uint32_t flags);
// The header's 56 bytes for paper; what writeImageHeader writes.
SImageFileHeader makeImageHeader(const TPaper &paper, uint32_t flags);

// One `QLYR` chunk head, record and title. With size given nothing is written and *size receives
// the chunk's whole length (80 + title area). 0 or 8.
[[nodiscard]] uint8_t writeLayerHeader(QIODevice &stream, const CLayerData &layer, int32_t *size);
// The layer chunk and its block runs; on any failure the stream is cut back to where the chunk
// began. 22 for an image whose blocks are not 32 pixels, 3 an exception.
[[nodiscard]] uint8_t writeLayerChunk(QIODevice &stream, const CLayerData &layer);
// Every layer from the bottom, warning of each that fails; answers how many were written.
int32_t writeLayerChunks(QIODevice &stream, TPaper &paper, IPaperProgress *progress);
// The image's runs: allocated neighbours grouped up to 16, unallocated ones without limit. The
// allocated runs are compressed over the work threads, a band at a time, and written in order.
[[nodiscard]] uint8_t writeLayerBlocks(QIODevice &stream, const CBlockImage &image);
// A kind-1 run of count allocated blocks from block number first: 1 no memory, 8 a short write
// or a compression that gave no bytes.
[[nodiscard]] uint8_t writeBlockRun(QIODevice &stream, const CBlockImage &image, int32_t first,
                                    int32_t count);
// A kind-2 run of count blocks from block number first.
[[nodiscard]] uint8_t writeBackgroundRun(QIODevice &stream, const CBlockImage &image,
                                         int32_t first, int32_t count);

// For count consecutive blocks from block number start.y x grid.x + start.x: the pixel memory of
// each (its block byte size; a block without memory gives its colour in every pixel), or the
// uniform colour of each (4 bytes). buffer is replaced; the answer is count, or 0 when the blocks
// do not lie inside the image or the buffer cannot be had.
int32_t gatherBlockPixels(std::vector<uint8_t> &buffer, const CBlockImage &image, const sSize &grid,
                          int32_t count, const sPos &start);
int32_t gatherBlockColors(std::vector<uint8_t> &buffer, const CBlockImage &image, int32_t count,
                          const sPos &start, const sSize &grid);

// What the chunk readers share while one file is read.
struct SQziReadContext
{
    int64_t fileSize = 0;
    uint32_t fileVersion = kQziVersion;
    IPaperProgress *progress = nullptr;
    // The first failure that lost part of the file (see loadNativeImage), 0 while there is none.
    uint8_t damage = 0;
};

// The chunks from the stream position to the end of the file (see loadNativeImage); the status of
// the last chunk handled, or 9, 10 or 11 when the reading had to stop. ctx.damage keeps the first
// failure that lost part of the file.
[[nodiscard]] uint8_t readImageChunks(QIODevice &stream, TPaper &paper, SQziReadContext &ctx);
// The rest of a `QLYR` chunk whose 8-byte head (size chunkSize) was just read, and its runs. The
// record is checked before the layer is made: 17 a size under 72 or a mode above 21, 12 a version
// above 1, 22 an image side outside 1..32768 or a grid unlike the image's, 21 a negative index or
// a full list (an index past the top puts the layer on top); 9 short, 1 no memory, 3 an exception, or the runs' codes (the layer then stays with
// what was read).
[[nodiscard]] uint8_t readLayerChunk(QIODevice &stream, TPaper &paper, uint32_t chunkSize,
                                     SQziReadContext &ctx);
// count x grid blocks of the image's runs, in block order. Pixel runs are read ahead a band at a
// time and unpacked over the work threads; they are placed in order up to the first that fails,
// so a damaged file leaves the image as reading run by run with readBlockRunChunk would.
[[nodiscard]] uint8_t readLayerBlocks(QIODevice &stream, CBlockImage &image, const sSize &grid,
                                      const SQziReadContext &ctx);
// One run placed from block number first with remaining blocks left: 9 short, 11 past the end of
// the file, 16 tag, 22 block size, 24 kind, 23 no blocks, 25 lengths that disagree or more blocks
// than remain, 1 no memory, 9 data that do not unpack to exactly the raw length, 26 a block that
// cannot be had. count receives the run's block count.
[[nodiscard]] uint8_t readBlockRunChunk(QIODevice &stream, CBlockImage &image, int32_t first,
                                        int32_t remaining, int32_t &count,
                                        const SQziReadContext &ctx);
