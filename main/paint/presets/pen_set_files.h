// The nib set file `.psh` and the method set file `.pmt`: how CPenShapeMngr and CPenMethodMngr
// keep their presets on disk. Both are chunk sequences (format/chunk.h), all integers
// little-endian, every unnamed byte 0; offsets below are from the chunk's tag.
//
// Nib set: a 32-byte `PSST` head, then per nib a `PSHP` chunk, an image nib's chunk followed
// directly by its tip image as an image record `QTNL` (kind 2, sub-type 4, 8-bit).
//   PSST   0 tag, 4 size 24, 8 u16 version 1, 10 u16 0, 12 u16 number of nibs,
//          14 u16 current index, 16..31 zero.
//   PSHP   0 tag, 4 size 120 + name bytes + padding to 4, 8 u16 type (0 standard, 1 image),
//          10 u16 name bytes, 12 u16 record version 2, 24 u16 curve, 28 u16 curve flatness,
//          30 u16 curve addition, 48 u16 radius, 50 u16 minimum radius, 52 u16 flatness,
//          54 u16 angle, 72 u32 anti-aliasing off, 96 u16 zoom %, 100 u16 minimum zoom,
//          102 u16 maximum zoom (the zooms 0 for a standard nib), 128 the name (UTF-16 from
//          record version 2, Shift_JIS bytes in version 1), zero bytes to a multiple of 4.
//
// Method set: a 32-byte `PMST` head, then per method a `PMTD` chunk, followed directly by the
// method's full-size icon as a `QTNL` record (kind 2, sub-type 3, 32-bit) when flag 0x2 is set,
// and then by a `PSHP` chunk of the method's own nib (with its `QTNL`) when flag 0x1 is set.
//   PMST   0 tag, 4 size 24, 8 u16 version 1, 10 u16 0, 12 u16 number of methods,
//          14 u16 current index, 16 u32 flags (0x1 sub index valid, 0x2 shortcut slots in use),
//          20 u16 sub index, 22..26 u8 shortcut slots 0..4, 27..31 zero.
//   PMTD   0 tag, 4 size 72 + name bytes + padding, 10 u16 name bytes, 12 u16 record version 3,
//          16 u32 flags (below), 24 u8 render mode, 25 u8 sub render mode, 26 u8 shape mode,
//          28/32/36 render parameters 1..3 (32 bits), 48 u16 opacity, 50 u16 pressure gamma,
//          52 u16 spacing, 54 u16 every-step radius, 56 u16 high-density radius, 58 u8 smoothing,
//          59 u8 interpolation, 80 the name (UTF-16 from record version 3, Shift_JIS before),
//          zero bytes to a multiple of 4.
//
// The 16-bit fields hold the in-memory Integers, read back zero-extended. The render type keeps
// only its bits 0 and 4 (flags 0x10 and 0x100000); startDist, endDist and strokeVersion are not
// stored, and a reader starts every method from the defaults.
#pragma once

#include "paint/presets/pen_preset_managers.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QIODevice;

inline constexpr int32_t kPenSetHeadSize = 32;
inline constexpr uint16_t kPenSetVersion = 1;
inline constexpr int32_t kNibRecordSize = 120;   // PSHP bytes after the chunk head, before the name
inline constexpr int32_t kMethodRecordSize = 72; // PMTD likewise
inline constexpr uint16_t kNibRecordVersion = 2;
inline constexpr uint16_t kMethodRecordVersion = 3;

// The set files' own meanings of 10 and 11.
inline constexpr uint8_t kPenSetChunkPastEnd = 10;  // a chunk reaches past the end of the file
inline constexpr uint8_t kPenSetRecordTooLong = 11; // a record or name longer than its chunk

// PMST flags.
inline constexpr uint32_t kMethodSetSubIndex = 0x1;
inline constexpr uint32_t kMethodSetShortcuts = 0x2;

// PMTD flags.
inline constexpr uint32_t kMethodHasNib = 0x1;
inline constexpr uint32_t kMethodHasIcon = 0x2;
inline constexpr uint32_t kMethodRenderTypeBit0 = 0x10;
inline constexpr uint32_t kMethodEnbGrad = 0x100;
inline constexpr uint32_t kMethodEnbTone = 0x200;
inline constexpr uint32_t kMethodEnbPrsRadius = 0x10000;
inline constexpr uint32_t kMethodEnbPrsOpaque = 0x20000;
inline constexpr uint32_t kMethodRenderTypeBit4 = 0x100000;

// Installs the set-file readers and writers below into the preset managers, keeping whatever
// file dialogs are installed. Start-up calls it before the managers load their default sets.
void initialisePenSetFiles();

// ---- one nib

// Writes the nib's PSHP chunk at the stream position and, for an image nib, its tip image record.
// Codes: 20 a nib that cannot be written (an image nib without an image, a name over 65535
// bytes, a stored value outside the 16 bits of its field), 8 a short write, 1 no memory, 3 an
// exception, and the image record's codes. On failure the stream is cut back to where it began.
[[nodiscard]] uint8_t writeNibChunk(QIODevice &stream, const CPenShapeObj &nib);

// Reads a nib from a PSHP chunk whose 8-byte head was just read (the stream stands behind it),
// and the image record that follows an image nib. On success the stream stands behind the chunk,
// or behind the image record, and nib is a new, enabled nib. extraLength receives the bytes read
// beyond the chunk: the image record's length once its head is known (also on failure).
// Codes: 11 a chunk under 120 bytes or a name longer than the chunk, 10 a chunk that reaches
// past the end of the stream, 9 a short read, 12 a record version of 3 or more, 15 a type other
// than 0 and 1, the image record's codes, 15 a tip image the nib refuses.
[[nodiscard]] uint8_t readNibChunk(QIODevice &stream, uint32_t chunkSize, int64_t &extraLength,
                                   std::unique_ptr<CPenShapeObj> &nib);

// ---- sets on streams

// Writes the nib set (head and every nib in list order) at the stream position. Codes: 37 an
// empty list, 20 more than 65535 nibs or a nib writeNibChunk refuses, 8 a short write, 1, 3.
[[nodiscard]] uint8_t writeNibSetStream(QIODevice &stream, const CPenShapeMngr &mngr);
// The method set likewise: 20 also for a shortcut slot or a method value that does not fit its
// field (slots are refused, never cut to a byte).
[[nodiscard]] uint8_t writeMethodSetStream(QIODevice &stream, const CPenMethodMngr &mngr);

// What a set file holds, read without touching a manager.
struct SNibSetContents
{
    uint16_t announced = 0; // nibs the head announces
    uint16_t current = 0;
    std::vector<std::unique_ptr<CPenShapeObj>> nibs;
};

struct SMethodSetContents
{
    uint16_t announced = 0;
    uint16_t current = 0;
    uint32_t flags = 0; // kMethodSetSubIndex, kMethodSetShortcuts
    uint16_t subIndex = 0;
    std::array<uint8_t, 5> shortcuts{};
    std::vector<std::unique_ptr<CPenMethodObj>> methods;
};

// Reads a set at the stream position. Codes: 9 a short head or chunk head, 16 a wrong head tag,
// 17 a head size other than 24, 12 a version above 1, 37 an announced count of 0 or nothing read,
// 10 a chunk longer than the rest of the stream, 1 no memory, 3 an exception. Chunks of other
// tags are skipped. An item that cannot be read is skipped with the records that follow it, as
// far as they lie inside the stream, and reading goes on; out holds the items read.
// A method whose icon cannot be read keeps its place without an icon, the icon record skipped by
// its size (or, when that is unknown, the stream back where the record began).
[[nodiscard]] uint8_t readNibSetStream(QIODevice &stream, SNibSetContents &out);
[[nodiscard]] uint8_t readMethodSetStream(QIODevice &stream, SMethodSetContents &out);

// ---- set files

// Writes the manager's set to path through a temporary file renamed over it when complete, so a
// failed save leaves the old file as it was. Codes: 37 an empty list (no file), 5 the file cannot
// be created, 8 it cannot be completed, and the stream writer's codes. On success the manager's
// LastPath becomes path and Modified false; on failure both stay.
[[nodiscard]] uint8_t writeNibSet(const QString &path, CPenShapeMngr &mngr);
[[nodiscard]] uint8_t writeMethodSet(const QString &path, CPenMethodMngr &mngr);

// Reads a set file into the manager, replacing its list or appending to it. 4 a missing file,
// 6 one that cannot be opened, else the stream reader's codes, 48 an item the list refuses; a
// file that cannot be read leaves the manager as it was. Replacing makes the stored current
// index (clamped into the list) current, sets LastPath and, for methods, the sub index when
// flagged and valid and the shortcut slots when flagged (clamped into the list). Modified becomes
// append. When fewer items load than the head announced, the warning
// "%d個の%sが読み込めませんでした！" tells how many are missing.
[[nodiscard]] uint8_t readNibSet(const QString &path, CPenShapeMngr &mngr, bool append);
[[nodiscard]] uint8_t readMethodSet(const QString &path, CPenMethodMngr &mngr, bool append);
