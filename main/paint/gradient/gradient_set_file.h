// The gradient chunk `QGRD` (one gradient: attribute, name and stops; also embedded in recorded
// events and in the gradient-map filter's parameters) and the gradient set file `.qgs` (a `GRST`
// header and one `QGRD` chunk per gradient, the fixed two-colour gradient left out).
//
// Set file header, 32 bytes, little-endian: "GRST", 24, u16 version 2, u16 number of chunks,
// u32 flags (bit 0: the current gradient is the fixed one), u16 current index (one lower when a
// fixed gradient is present and not current), u16 index of the fixed gradient (0xFFFF none),
// 12 zero bytes.
//
// Gradient chunk: "QGRD", u32 size (28 + name bytes rounded up to 4 + 24 per stop), u16 flags
// (bit 0 enbAttr), u16 version 2, u16 type, map, repeat mode, repeat count (low 16 bits), 10 zero
// bytes, u16 stop count, u16 stop size 24, u16 name bytes, the UTF-16 name padded with zeros to
// 4, then the stops as sCRSlot records byte for byte.
//
// Readers return the set files' status codes (format/chunk.h); a gradient is accepted
// only when its stops form a packed group that lays out (positive widths).
#pragma once

#include "paint/gradient/gradient_stops.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QIODevice;

inline constexpr int32_t kGradChunkHeadSize = 36;
inline constexpr int32_t kGradSetHeadSize = 32;
inline constexpr uint16_t kGradFileVersion = 2;

// The set files report a chunk that runs past the end of the file as 10.
inline constexpr uint8_t kGradChunkPastEnd = 10;

// Writes one chunk: 0; 20 when the group is not packed or its name does not fit the 16-bit
// length; 8 on a short write.
[[nodiscard]] uint8_t writeGradChunk(QIODevice &stream, const CColorSlotGroup &crsg,
                                     const SGradAttr &attr);

// Reads one chunk at the stream position into a group and an attribute; both are changed only
// on success, and the stream then stands just behind the chunk. Codes: 9 short read, 16 wrong
// tag, 12 version above 2, 10 a size that runs past the end of the stream, 17 a size too small
// for the header and name, 1 or 9 from the name,
// 48 a stop that cannot be stored, 20 fewer than two stops or stops that do not form a packed
// group with positive widths (the last stop's width aside). The type, map and repeat mode are
// clamped into their enumerations; a repeat count of 0 becomes 1. Versions 0 and 1 store the
// name as ANSI (Shift_JIS) text.
[[nodiscard]] uint8_t readGradChunk(QIODevice &stream, CColorSlotGroup &crsg, SGradAttr &attr);

// What a set file holds: the header's fields and the gradients read.
struct SGradSetContents
{
    uint16_t version = 0;
    uint16_t announced = 0; // chunks the header announces
    uint32_t flags = 0;
    uint16_t current = 0;
    uint16_t fixedIdx = 0xFFFF;
    std::vector<std::unique_ptr<CGradObj>> grads; // the gradients read, refreshed
};

// Reads a whole set from the stream's position. 0 with at least one gradient read; 9 for a short
// header or chunk header, 16/17 for a wrong header tag or size, 12 for a version above 2, 37 for
// an announced count of 0 or when no gradient could be read, 10 for a chunk that runs past the
// end. Chunks of other tags and gradients that fail are skipped.
[[nodiscard]] uint8_t readGradSet(QIODevice &stream, SGradSetContents &out);

// Opens the set file and reads it whole: 4 when it is missing, 6 when it cannot be opened, 3 when
// reading throws, else readGradSet's code.
[[nodiscard]] uint8_t readGradSetFile(const QString &path, SGradSetContents &out);

// What a set file stores of a gradient list: the gradients to write in list order (never the
// fixed gradient), the current index among them (0 when the fixed gradient is current), and
// whether the list holds the fixed gradient and whether it is the current one.
struct SGradSetItems
{
    std::vector<const CGradObj *> grads;
    int32_t current = 0;
    bool hasFixed = false;
    bool fixedCurrent = false;
};

// Writes the set into the stream: 37 when it holds no gradient, 20 when a count or index does
// not fit its 16 bits, else the first chunk's error or 0.
[[nodiscard]] uint8_t writeGradSet(QIODevice &stream, const SGradSetItems &set);

// Writes the set file through a temporary file renamed over the target when complete, so a
// failed save leaves the old file as it was. 37 when the set holds no gradient (nothing written),
// 5 when the file cannot be created, 8 when it cannot be completed, else writeGradSet's code.
[[nodiscard]] uint8_t writeGradSetFile(const QString &path, const SGradSetItems &set);
