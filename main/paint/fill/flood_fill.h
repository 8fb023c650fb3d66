// The queue-linear flood fillers: from a seed pixel of a 32-bit image they mark the 4-connected
// region of pixels whose alpha and premultiplied colour lie within a tolerance of the seed's, and
// write it as 255 into an 8-bit output channel (which the caller has cleared). An optional
// anti-aliasing pass then gives the pixels just outside the region partial coverage, ramped along
// the staircase of its edge. The document's magic wand and its fill use them with the profile's
// tolerance; with a selection, the fill may not leave it.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"

#include <cstdint>
#include <memory>
#include <vector>

class CBlockVCH;
class TChannel;
class TMTC;

// What a run of the anti-aliasing pass touches (bits of TFillStates).
enum TFillState : uint16_t
{
    stToLeft = 1 << 0,
    stToRight = 1 << 1,
    stToUp = 1 << 2,
    stToDown = 1 << 3,
    stConvexX = 1 << 4,
    stConvexY = 1 << 5,
    stDentX = 1 << 6,
    stDentY = 1 << 7,
    stSinglarX = 1 << 8,
    stSinglarY = 1 << 9,
};
using TFillStates = uint16_t;

// A horizontal run startX..endX (inclusive) of row y; for column runs startX..endX are rows and y
// is the column.
#pragma pack(push, 1)
struct SFloodFillRange
{
    int32_t startX = 0;
    int32_t endX = 0;
    int32_t y = 0;
    TFillStates state = 0;
};
#pragma pack(pop)
static_assert(sizeof(SFloodFillRange) == 14);

// A first-in first-out queue of ranges. It starts with room for initialSize ranges and grows
// when more are pending, so a region of any shape is filled completely.
class CFloodFillRangeQueue
{
  public:
    explicit CFloodFillRangeQueue(int32_t initialSize = 1000);

    // Adds r after the newest range. Before growing, the pending ranges are moved to the front.
    void Enqueue(const SFloodFillRange &r);
    // The oldest range, removed; a cleared range when the queue is empty.
    SFloodFillRange Dequeue();
    // The oldest range, left in the queue; a cleared range when empty.
    SFloodFillRange first() const;
    bool isEmpty() const { return FSize == 0; }

    std::vector<SFloodFillRange> FArrayFd;
    int32_t FLength = 0; // capacity
    int32_t FSize = 0;   // ranges queued
    int32_t FHead = 0;   // index of the oldest
};

// The state of one fill. A filler serves one fill: construct, set FIsAntiAlias, FloodFill, read
// the output channel.
class CAbstractFloodFiller
{
  public:
    virtual ~CAbstractFloodFiller();
    CAbstractFloodFiller(const CAbstractFloodFiller &) = delete;
    CAbstractFloodFiller &operator=(const CAbstractFloodFiller &) = delete;

    // Fills from pos (image coordinates). False, nothing written, when pos lies outside the area
    // the fill may reach; false too when the memory of the fill cannot be had.
    virtual bool FloodFill(const sPos &pos) = 0;
    uint16_t getVersion() const { return version; }

    uint16_t version = 0; // recorded with the event, so that a replay uses the same filler
    const TMTC *FImageTC = nullptr; // the image searched; not owned
    int32_t FImageWidth = 0;
    int32_t FImageHeight = 0;
    int32_t FImageStride = 0;             // row pitch in pixels
    const sBGRA *FImageBits = nullptr;    // pixel (0, 0)
    TChannel *FMaskCH = nullptr;          // the output; not owned
    std::unique_ptr<TChannel> FMaskJudge; // the selection the fill may not leave, or none
    bool FIsAntiAlias = false;
    sPos FLyrViewPos; // added to image coordinates when writing the output
    sPos FMskViewPos; // added to image coordinates when reading the judge channel
    std::unique_ptr<CFloodFillRangeQueue> FRanges;
    sRect FFillRange; // the area the fill may reach; right and bottom inclusive
    uint8_t FTolerance = 0;
    sBGRA FStartColor{}; // the seed's alpha and its premultiplied blue, green and red
    bool FIsTransparency = false;
    std::vector<uint8_t> FPixelsChecked; // 1 = part of the region; index x + y * stride
    TFillStates FState = 0;

  protected:
    CAbstractFloodFiller(const TMTC &tc, TChannel &ch, uint8_t tolerance);
};

// The plain filler: the whole image is reachable.
class CQLFloodFiller : public CAbstractFloodFiller
{
  public:
    // viewRect is not used by this filler.
    CQLFloodFiller(const TMTC &tc, TChannel &ch, sPos pos, const sRect &viewRect,
                   uint8_t tolerance);
    bool FloodFill(const sPos &pos) override;

  protected:
    // Start values, the visited set and the range queue.
    void prepare(const sPos &pos);
    // The tolerance test of the pixel, and the judge test when there is a judge.
    bool isFillable(int32_t x, int32_t y) const;
    bool isMarked(int32_t x, int32_t y) const
    {
        return FPixelsChecked[size_t(x) + size_t(y) * size_t(FImageStride)] != 0;
    }
    void markAndWrite(int32_t x, int32_t y);
    void fillLine(int32_t x, int32_t y);
    void antiAlias();
    // Marked, with (x, y) standing in for neighbours outside the fill range.
    bool isMarkedOrSelf(int32_t nx, int32_t ny, int32_t x, int32_t y) const;
    // The row pass (contacts above and below) or the column pass (contacts left and right).
    void scanPass(const sRect &scan, bool columns);
    void writeRun(const SFloodFillRange &run, bool columns);
    void writeOutput(int32_t x, int32_t y, int32_t value, bool onlyLarger);
};

// The filler inside a selection: only pixels whose selection value is not 0 are filled, and the
// fill stays within the selection's bounding rectangle.
class CQLFloodFillerWithMask : public CQLFloodFiller
{
  public:
    // lpos: where image pixels go in the output; mpos: added to image coordinates to read the
    // selection. The fill range is the selection's bounding rectangle moved by -mpos, within
    // viewRect (right and bottom exclusive) and the image. The judge channel is a copy of the
    // selection of the output channel's size.
    CQLFloodFillerWithMask(const TMTC &tc, TChannel &ch, sPos lpos, sPos mpos,
                           const sRect &viewRect, uint8_t tolerance, const CBlockVCH &mask);
};
