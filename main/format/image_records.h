// The image record `QTNL`, one chunk that carries a compressed 32-bit picture or 8-bit channel:
// the document thumbnail of the native image file and of event files, and the nib shapes, method
// icons, pattern tiles and tone cells of the preset set files. Also the writer of the document
// thumbnail and the readers that find the thumbnail of a file for the file dialogs' preview.
//
// A record, little-endian, offsets from its tag:
//    0  "QTNL"
//    4  u32   size of everything after these 8 bytes: 40 + stored length + zero padding to 4
//    8  the 40-byte descriptor (SImageRecordDesc)
//   48  the stored data (the compressed pixel bytes, scrambled for kind 2, then the extra bytes),
//       then zero bytes up to a multiple of 4
//
// The pixel bytes are those of the image in memory: sBGRA rows top-down for a TMTC, the channel's
// block (rows bottom-up) for a TChannel. They are compressed as one block of the codec (which
// records both lengths and unpacks only to exactly the expected bytes).
//
// Kind 2 (scrambled) records change the compressed bytes in blocks of 16384 bytes: within each
// block every whole group of `groupLen` bytes is reversed (when groupLen > 1), then the bytes at
// offsets 0, stride + 1, 2 (stride + 1), ... are XORed with NOT xorByte (when xorByte is not 0);
// `extraBytes` further bytes follow. Each record carries its own parameters; readers use them.
#pragma once

#include "core/base/geometry.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class QIODevice;
class TChannel;
class TMTC;

// Status codes of the image records beyond those of format/chunk.h (same numbering).
inline constexpr uint8_t CS_BAD_IMAGE_KIND = 14; // a record kind other than 1 and 2

// Kinds of record; readers test only the low byte.
enum eImageRecordKind : uint16_t
{
    IRK_PLAIN = 1,
    IRK_SCRAMBLED = 2,
};

// What a record holds.
enum eImageRecordSubType : uint16_t
{
    IRS_THUMBNAIL = 0,   // document thumbnail, 32-bit
    IRS_TONE_CELL = 2,   // screentone tile, 8-bit
    IRS_METHOD_ICON = 3, // brush method icon, 32-bit
    IRS_NIB_SHAPE = 4,   // nib shape or plain pattern tile, 8-bit
};

#pragma pack(push, 1)
// Bytes 8 to 47 of a record. A writer fills everything but storedLen; the reserved bytes are
// written as zero whatever they hold.
struct SImageRecordDesc
{
    uint16_t kind = IRK_PLAIN;
    uint16_t subType = IRS_THUMBNAIL;
    uint8_t groupLen = 0;    // scrambling: length of the reversed groups
    uint8_t xorByte = 0;     // scrambling: the byte whose complement is XORed in
    uint8_t strideLess1 = 0; // scrambling: stride between XORed bytes, less one
    uint8_t extraBytes = 0;  // scrambling: bytes appended after the scrambled data
    int32_t srcWidth = 0;    // source size (for a thumbnail: the document's)
    int32_t srcHeight = 0;
    int32_t width = 0; // stored image size
    int32_t height = 0;
    uint32_t storedLen = 0; // compressed bytes plus the extra bytes
    uint32_t rawLen = 0;    // uncompressed byte count
    uint8_t reserved[8] = {};
};
#pragma pack(pop)
static_assert(sizeof(SImageRecordDesc) == 40);
static_assert(std::is_trivially_copyable_v<SImageRecordDesc>);

inline constexpr int32_t kImageRecordHeadSize = 48;
// Stored images are at most this many pixels wide and high.
inline constexpr int32_t kImageRecordMaxSide = 10000;

// Sets kind 2 and the one set of scrambling parameters this program's writers use.
void setWriterScramble(SImageRecordDesc &desc);

// The scrambling of kind-2 data in memory, block by block, with the descriptor's parameters.
// unscrambleImageData undoes scrambleImageData (the XOR first, then the reversal). Neither
// touches the extra bytes: callers pass only the scrambled stretch.
void scrambleImageData(std::span<uint8_t> bytes, const SImageRecordDesc &desc);
void unscrambleImageData(std::span<uint8_t> bytes, const SImageRecordDesc &desc);

// Writes one record at the stream position from desc and the first desc.rawLen bytes of pixels,
// and completes desc.storedLen. Codes: 14 a kind other than 1 or 2 (nothing written), 20 fewer
// pixel bytes than rawLen or none at all (nothing written), 1 no memory, 8 a short write or a
// failed compression (the stream may then hold part of the record).
[[nodiscard]] uint8_t writeImageRecord(QIODevice &stream, SImageRecordDesc &desc,
                                       std::span<const uint8_t> pixels);
// writeImageRecord that cuts the stream back to where the record began when it fails; an
// exception gives 3. For the 32-bit icons of the set files, and every other caller that must not
// leave half a record behind.
[[nodiscard]] uint8_t writeColorImageRecord(QIODevice &stream, SImageRecordDesc &desc,
                                            std::span<const uint8_t> pixels);
// A thumbnail record (sub-type 0; kind 2 with the writer's scrambling when scrambled, else 1)
// of image, with sourceSize as the source size; cut away on failure like writeColorImageRecord.
// 20 for an empty image.
[[nodiscard]] uint8_t writeThumbnailRecord(QIODevice &stream, const sSize &sourceSize,
                                           const TMTC &image, bool scrambled);

// What the thumbnail writer needs of a document: its size, its composed display image, and the
// overlay (the grid) that may be drawn over that image.
struct SThumbnailSource
{
    sSize paperSize;
    std::function<const TMTC *()> displayImage;
    std::function<bool()> isVramDirty;       // an overlay is drawn over the display image
    std::function<void()> updateVRAM;        // recomposes the display image without overlays
    std::function<void()> drawOptionalImage; // draws the overlays again
};

// The side of the square a document thumbnail fits in.
inline constexpr int32_t kThumbnailMaxSide = 256;

// The size of a document's thumbnail: the largest with the document's aspect inside 256 x 256
// (each side at least 1).
sSize thumbnailSize(const sSize &paperSize);

// Writes the document's thumbnail record: the display image (recomposed first when an overlay is
// drawn over it, and the overlay drawn again afterwards) reduced by area averaging to
// thumbnailSize, every alpha 255, the document size as source size. Codes: 1 when the image cannot
// be made (or the document has none), 3 on an exception, else those of writeThumbnailRecord.
[[nodiscard]] uint8_t writeDocumentThumbnail(QIODevice &stream, const SThumbnailSource &paper,
                                             bool scrambled);

// Reads one record at the stream position: its descriptor, the unpacked pixel bytes (exactly
// desc.rawLen of them) and the record's whole length (size + 8, set as soon as the tag is read,
// also when a later step fails). On success the stream stands just behind the record.
// Codes: 9 a short read (also of the 48-byte head) or data that do not unpack to exactly rawLen
// bytes, 16 a tag other than "QTNL", 14 a kind other than 1 or 2, 17 a size too small for the
// stored length, extra bytes beyond the stored length, a width or height outside 1..10000, or an
// uncompressed count of 0 or above 4 bytes a pixel, 11 a record that runs past the end of the
// stream, 1 no memory. On failure data is left empty.
[[nodiscard]] uint8_t readImageRecordData(QIODevice &stream, SImageRecordDesc &desc,
                                          std::vector<uint8_t> &data, int64_t &chunkLength);
// A record read into a new 32-bit canvas of the stored size: the first rawLen bytes of its pixels
// (at most the canvas's byte count; what the record does not cover is zero). The 8-bit sub-types
// 2 and 4 give 15. Codes otherwise as readImageRecordData; image is set only on success.
[[nodiscard]] uint8_t readImageRecord(QIODevice &stream, std::unique_ptr<TMTC> &image,
                                      int64_t *chunkLength = nullptr);
// A record of sub-type 2 or 4 (else 15) read into a new channel of the stored size, filled as
// readImageRecord fills its canvas. desc and chunkLength as readImageRecordData.
[[nodiscard]] uint8_t readChannelRecord(QIODevice &stream, SImageRecordDesc &desc,
                                        std::unique_ptr<TChannel> &channel, int64_t &chunkLength);

// Walks the chunks from the stream position to the stream's end and reads the first record of
// sub-type 0. 0 with image null when there is none. Codes: 9 a short chunk head or descriptor,
// 11 a chunk that runs past the end, 10 a seek that lands elsewhere, and those of the record.
[[nodiscard]] uint8_t findThumbnail(QIODevice &stream, std::unique_ptr<TMTC> &image);

// Reads the head of a native image file at the stream position: 0 and the document size, or the
// head reader's status code. The document library supplies it.
using TNativeHeadReader = std::function<uint8_t(QIODevice &stream, sSize &docSize)>;

// The thumbnail of a native image file for the file dialogs' preview: 4 no such file, 6 it cannot
// be opened, the head reader's code, 3 an exception, else findThumbnail's. size receives the
// document size from the head when given.
[[nodiscard]] uint8_t readFileThumbnail(const QString &path, std::unique_ptr<TMTC> &image,
                                        sSize *size, const TNativeHeadReader &readHead);
