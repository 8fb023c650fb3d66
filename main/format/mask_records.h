// The mask record `QMSK` and its block runs `QBMK`: one selection mask of the native image file.
//
// `QMSK`, little-endian, offsets from its tag (an 80-byte head, then the title):
//    0  "QMSK"
//    4  u32  72 + the title area
//    8  i32  mask index
//   12  u16  flags: bit 0 the mask holds an image (its runs follow)
//   14  u16  0
//   16  i32  block width 64, block height 64, blocks across, blocks down, image width, image
//            height (16 to 39 only for a mask with an image, else 0)
//   40  i32  position x and y (viewPos)
//   48  i32  document width and height
//   56  u32  value of blocks never drawn
//   60  u16  title bytes + 1
//   62  u16  version 0
//   64  16 zero bytes
//   80  the UTF-16 title, then zero bytes to the next multiple of 4 above title bytes + 1
//
// `QBMK` run (a 40-byte head, then the data): "QBMK", u32 32 + data + padding, i32 64, i32 64,
// u32 kind (1 drawn blocks, compressed as one block of the codec; 2 undrawn blocks, one u32
// uniform value each), u32 count, u32 compressed length (0 for kind 2), u32 uncompressed length
// (count x 4096 or count x 4), 8 zero bytes, the data, zero bytes to a multiple of 4. Runs follow
// the `QMSK` chunk directly and cover every block in raster order (index = row x across + column),
// each continuing where the one before ended.
#pragma once

#include "core/base/geometry.h"

#include <QString>

#include <cstdint>
#include <functional>

class QIODevice;
class CMaskData;
class CMaskMngr;

// Status codes of the mask records beyond those of format/chunk.h (same numbering).
inline constexpr uint8_t CS_NO_MASK_MANAGER = 28; // the document has no mask manager
inline constexpr uint8_t CS_MASK_NOT_MADE = 29;   // the mask cannot be made
inline constexpr uint8_t CS_MASK_BLOCK_SIZE = 30; // a block size other than 64 x 64
inline constexpr uint8_t CS_MASK_EMPTY_RUN = 31;  // a run of no blocks
inline constexpr uint8_t CS_MASK_RUN_KIND = 32;   // a run kind other than 1 and 2
inline constexpr uint8_t CS_MASK_RUN_PLACE = 33;  // a run whose lengths or place do not fit
inline constexpr uint8_t CS_MASK_NO_BLOCK = 34;   // a block of the run cannot be had
inline constexpr uint8_t CS_MASK_NOT_ADDED = 35;  // the mask cannot be added

inline constexpr int32_t kMaskHeadSize = 80;
inline constexpr int32_t kMaskRunHeadSize = 40;
// The 40-byte head of a run of blocks, shared by the mask runs and the layered file's image runs:
// tag, size, the block's sides, kind, block count, packed and raw lengths, 8 bytes of zero.
QByteArray blockRunHead(uint32_t tag, uint32_t size, int32_t blockSide, uint32_t kind,
                        int32_t count, uint32_t packed, uint32_t raw);
// Drawn blocks are written at most this many to a run.
inline constexpr int32_t kMaskRunMaxDrawn = 16;
// Masks read from files are at most this many pixels on a side (they may reach past the paper).
inline constexpr int32_t kMaskMaxSide = 1 << 15;

// The progress window of a save or load; either entry may be empty.
struct SMaskProgress
{
    std::function<void(const QString &text)> setMsg2; // the second message line
    std::function<void(int32_t steps)> incStep;
};

// Writes one mask: its `QMSK` chunk and, for a mask with an image, its runs. On failure the
// stream is cut back to where the record began. Codes: 8 a short write, 1 no memory, 30 an image
// whose blocks are not 64 pixels, 20 a title of more than 32767 characters, 3 an exception.
[[nodiscard]] uint8_t writeMaskRecord(QIODevice &stream, const sSize &paperSize,
                                      const CMaskData &mask);

// Writes every mask of the manager in order, showing "%sを保存しています..." with each title in the
// progress window and advancing it one step per mask; a mask that fails is cut away and warned
// of ("マスク ("title") の保存に失敗しました! (err=code)"), and the next one follows. Answers
// how many were written.
int32_t writeAllMasks(QIODevice &stream, const CMaskMngr &mngr, const sSize &paperSize,
                      const SMaskProgress *progress);

// Where a mask read from a file goes.
struct SMaskReadTarget
{
    CMaskMngr *maskMngr = nullptr; // the document's masks
    sSize paperSize;               // for the mask's thumbnail
    uint16_t fileVersion = 2;      // the native file's version: 1 keeps titles as ANSI text
};

// Reads the rest of a `QMSK` chunk whose 8-byte head (with size chunkSize) was just read, and the
// runs that follow it, and appends the new mask at the end of the manager (the masks already
// there renumbered first; the new one keeps its recorded index), with its thumbnail drawn. Nothing
// is appended on failure. Codes: 9 a short read or data that do not unpack, 11 a chunk that runs
// past the end, 12 a version other than 0, 17 a chunk too small for its head, 29 a mask that cannot
// be made (also a size outside 1..32768 or a block count unlike the size's), 30 a block size other
// than 64, 16 a run of another tag, 31 an empty run, 32 another run kind, 33 lengths that do not
// fit or a run past the last block, 34 a block that cannot be had, 28 no manager, 35 a mask that
// cannot be added, 1 no memory, 3 an exception.
[[nodiscard]] uint8_t readMaskRecord(QIODevice &stream, const SMaskReadTarget &paper,
                                     uint32_t chunkSize, const SMaskProgress *progress);
