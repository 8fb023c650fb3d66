// The layered image of the oldest file generation (`.wpb`) with its embedded event stream, and
// the recognition of such files by their first four bytes.
//
// Layout (little-endian, packed), a 31-byte header:
//    0  "WPB2" (four single bytes)
//    4  u32  no-image flag: 0 when layer data follow
//    8  i32  width      12 i32 height      16 u32 canvas colour (stored unchanged)
//   20  u8   highest layer index (layer count - 1)
//   21  u8   active layer index
//   22  u8   non-zero: events may not be appended
//   23  u32  byte size of the event data at the end of the file
//   27  4 bytes not read
// then, without the no-image flag, for each layer from index 0 up: blend mode u8, opacity u8,
// visible u8 (non-zero), 4 bytes not read, u32 n, n bytes of run-length pixels; then the event
// data, a version-1.1 event stream.
//
// Pixels: runs, each a count byte c: c >= 125 is followed by 255 - c literal pixels, c < 125 by
// one pixel repeated c times (0 gives none); a pixel is red, green, blue. They fill the image row
// by row from the bottom row up, every alpha 0; decoding ends once width x height pixels are
// written (tested after each run, the last run cut there).
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <span>

class TEventPacket;
class TFlowImage;
class TPaper;

inline constexpr int32_t kLegacyImageHeadSize = 31;
inline constexpr int32_t kLegacyLayerHeadSize = 11;

// What the first four bytes of a file say: 0 unknown, 1 "WPB " (the older layout), 2 "WPB2".
int32_t legacyImageSignature(std::span<const uint8_t> head);

// Imports a "WPB2" file into paper (a new document of the file's size with its layers) and its
// event data into event. The whole file is checked before anything changes: a wrong magic, a side
// outside 1..10000, a blend mode above 21, a layer's data or runs running past the file or ending
// before the image is full, or event data past the end show "未知の形式です！" and answer false
// with the document untouched. A file with the no-image flag gives an empty paper-sized document
// and false, its events still loaded. Broken event data keep the image, show their message, empty
// event and block appending.
bool LoadFromFile2(TPaper &paper, TFlowImage *flow, const QString &filename, TEventPacket &event);
// The same from the file's bytes in memory.
bool importLegacyImage(TPaper &paper, TFlowImage *flow, const QString &filename,
                       const QByteArray &file, TEventPacket &event);

// The older layout is not read: shows "not implemented!" and answers false.
bool LoadFromFile(TPaper &paper, TFlowImage *flow, const QString &filename);

// Decodes run-length pixels into w x h top-down sBGRA memory (rows from the bottom up, alpha 0),
// reading only inside src and writing at most w x h pixels. Answers the number of pixels written;
// used is set to the bytes consumed. Decoding stops once the image is full or the data end (a run
// whose pixels are not all there ends it).
int64_t decodeLegacyRuns(std::span<const uint8_t> src, uint8_t *dst, int32_t w, int32_t h,
                         int64_t &used);
