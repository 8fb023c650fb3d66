// The tone set file `.qts` and the 72-byte pattern record it shares with the recorded events.
//
// File, little-endian: a 32-byte head ("PTST", 24, u16 0, u16 version 1, u16 number of patterns,
// u16 current index, 16 zero bytes), then per pattern in list order a `QPAT` chunk followed by an
// image record (`QTNL`, format/image_records.h) holding the pattern's stored 8-bit tile:
// kind 2 with the writer's scrambling, sub-type 4 for a plain pattern or 2 for a screentone.
//
// `QPAT` chunk: "QPAT", u32 size = 72 + name bytes + padding (the image record is not included),
// the pattern record, the name in UTF-16 without terminator, zero bytes to a multiple of 4.
//
// Pattern record (SPatRecord): u16 bits per pixel 8, u16 kind (0 plain, 1 screentone), u16 name
// bytes, u16 version 2, u32 flags (bit 1 negative; plain patterns also 0x100; screentones bit 0
// genName), i32 zoom, i32 offset x, i32 offset y, i32 width, i32 height, 8 zero bytes, then for a
// screentone i32 pattern, f32 dpi, f32 line, f32 percent, f32 degree, i32 band (zero for a plain
// pattern), 8 zero bytes.
#pragma once

#include "paint/tone/tone_maker.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QIODevice;
class CPat8;
class CPat8Tone;
class CPatObj;

inline constexpr int32_t kToneSetHeadSize = 32;
inline constexpr int32_t kPatRecordSize = 72;
inline constexpr uint16_t kToneSetVersion = 1;
inline constexpr uint16_t kPatRecordVersion = 2;

// The tone set file's own meanings of 10 and 11.
inline constexpr uint8_t kToneChunkPastEnd = 10;  // a chunk longer than the rest of the file
inline constexpr uint8_t kToneChunkTooShort = 11; // a chunk too short for its record or name

// Pattern record flags.
inline constexpr uint32_t kPatRecGenName = 0x1;
inline constexpr uint32_t kPatRecNegative = 0x2;
inline constexpr uint32_t kPatRecPlain = 0x100;

#pragma pack(push, 1)
struct SPatRecord
{
    uint16_t bpp = 0;
    uint16_t kind = 0; // 0 plain pattern, 1 screentone
    uint16_t nameLen = 0;
    uint16_t version = 0;
    uint32_t flags = 0;
    int32_t zoom = 0;
    int32_t ofsX = 0;
    int32_t ofsY = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint8_t zero1[8] = {};
    int32_t pattern = 0;
    float dpi = 0;
    float line = 0;
    float percent = 0;
    float degree = 0;
    int32_t band = 0;
    uint8_t zero2[8] = {};
};
#pragma pack(pop)
static_assert(sizeof(SPatRecord) == kPatRecordSize);
static_assert(std::is_trivially_copyable_v<SPatRecord>);

// Zeroes the record and fills it for a plain pattern: 8 bits, kind 0, version 2, flags 0x100 plus
// 2 when negative, zoom, offset and size. The name length is the writer's.
void fillPatRecord(SPatRecord &rec, const CPat8 &pat);
// Zeroes the record and fills it for a screentone: 8 bits, kind 1, version 2, flags 2 when
// negative plus bit 0 genName, zoom, offset, size and the attribute's six values.
void fillPatToneRecord(SPatRecord &rec, const CPat8Tone &tone);
// genName and the six values of the attribute from the record; the name is not touched.
void readPatToneAttr(const SPatRecord &rec, SToneAttr &attr);
// The record as its 72 little-endian bytes, and back.
QByteArray patRecordBytes(const SPatRecord &rec);
SPatRecord patRecordFromBytes(const uint8_t *bytes);

// The zoom a pattern read from a file or an event may take: the stored zoom clamped into
// [min(zoom range min, 100), clamp(zoom range max, 100, 200)], and at least 1. 100 always fits.
int32_t clampPatternZoom(const CPatObj &pat, int32_t zoom);

// What a set file stores of a pattern list: the patterns in list order and the current index
// (written as 0 when negative).
struct SToneSetItems
{
    std::vector<const CPatObj *> patterns;
    int32_t current = 0;
};

// Writes the set into the stream: 37 for an empty list, 20 for a pattern of another kind, one
// without an image, a name over 65535 bytes or more than 65535 patterns, 8 on a short write, 1
// when out of memory.
[[nodiscard]] uint8_t writeToneSet(QIODevice &stream, const SToneSetItems &set);
// Writes the set file through a temporary file renamed over the target when complete, so a failed
// save leaves the old file as it was: 37 for an empty list (nothing written), 5 when the file
// cannot be created, 8 when it cannot be completed, else writeToneSet's code.
[[nodiscard]] uint8_t writeToneSetFile(const QString &path, const SToneSetItems &set);

// What a set file holds: the head's fields and the patterns read.
struct SToneSetContents
{
    uint16_t version = 0;
    uint16_t announced = 0; // patterns the head announces
    uint16_t current = 0;
    std::vector<std::unique_ptr<CPatObj>> patterns;
};

// Reads a set from the stream position. The screentones share maker (a list's shared maker,
// which is not run: a screentone keeps the file's tile). Codes: 9 a short head or chunk head or a
// stream that ends inside an image record's head, 16/17 a wrong head tag or size, 15 a head word
// at 8 that is not 0, 12 a version above 1, 37 an announced count of 0 or no pattern read, 10 a
// chunk longer than the rest of the stream. A pattern that cannot be read is skipped (past its
// chunk, and past its image record when that could be measured): a record that is not 8 bits or
// not kind 0 or 1 (15), a record version of 3 or more (12), a chunk too short for its record or
// name (11), an image record that cannot be read, an empty tile, a screentone attribute no tone
// can be built from (15). Zooms are clamped by clampPatternZoom; shapes above 9 become 9.
[[nodiscard]] uint8_t readToneSet(QIODevice &stream, const std::shared_ptr<CToneMaker> &maker,
                                  SToneSetContents &out);

// Opens the set file and reads it whole: 4 when it is missing, 6 when it cannot be opened, 3 when
// reading throws, else readToneSet's code.
[[nodiscard]] uint8_t readToneSetFile(const QString &path,
                                      const std::shared_ptr<CToneMaker> &maker,
                                      SToneSetContents &out);
