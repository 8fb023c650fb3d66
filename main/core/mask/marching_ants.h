// The outline of the active selection shown as "marching ants": dashed black and white pixels
// along every border between selected and unselected pixels, whose dash pattern shifts one pixel
// on each animation tick. CAntPoints extracts the border of a mask channel once, as four lists of
// pixel positions, and redraws it straight onto a window's surface through the window's view
// (zoom, rotation, mirroring). CPointList is the growable store of those positions.
#pragma once

#include "core/base/geometry.h"
#include "core/base/memory_ops.h"
#include "core/mask/view_surface.h"

#include <cstdint>
#include <vector>

class TChannel;

// Positions kept in blocks of 1024 (8192 bytes, zero-filled when allocated), so that large
// outlines grow without copying. The list owns its blocks.
class CPointList
{
  public:
    static constexpr int32_t kBlockCount = 1024;

    // Room for cap blocks reserved; no block yet.
    explicit CPointList(int32_t cap);
    CPointList(const CPointList &) = delete;
    CPointList &operator=(const CPointList &) = delete;

    // Frees all blocks and allocates a fresh first one; false when memory is short.
    bool start();
    // Stores a position, allocating a new block when the newest is full; false when that fails.
    bool addPos(const sPos &pos);
    // Positions in the newest block (0 without blocks).
    int32_t getTopCount() const;
    // All positions.
    int32_t getCount() const;
    int32_t getTableTotal() const { return int32_t(m_blocks.size()); }
    // Block idx (nullptr for a bad index) and its count (1024 for all but the newest; 0 for a
    // bad index).
    const sPos *getTable(int32_t idx) const;
    int32_t getTableCount(int32_t idx) const;
    // Adds pos to every stored position; false when the list is empty.
    bool offsetList(const sPos &pos);
    // Frees every block; returns how many there were.
    int32_t deleteAll();

  private:
    bool addBlock();

    std::vector<MemArray<sPos>> m_blocks;
    int32_t remain = 0;     // free slots in the newest block
    sPos *posTop = nullptr; // the next free slot of the newest block
};

class CAntPoints
{
  public:
    // view: the window's view (not owned; nullptr draws as the identity view). pat: the dash
    // pattern, a byte whose set bits are black (the mask manager uses 0xCC).
    CAntPoints(const IViewTransform *view, uint8_t pat);
    CAntPoints(const CAntPoints &) = delete;
    CAntPoints &operator=(const CAntPoints &) = delete;

    void setView(const IViewTransform *view) { ownerDW = view; }

    // Extracts the border of an 8-bit channel (any non-zero byte counts as selected). Unless add
    // is set the lists are restarted first; with add the new positions are appended. viewOfs is
    // reset to (0, 0). True only when every one of the four scans stored a position and no
    // allocation failed; an all-zero channel gives false.
    bool findEdge(const TChannel &ch, bool add);
    // start on the four lists.
    bool rewindLists();
    // rewindLists and viewOfs (0, 0).
    void clear();
    // All four lists hold a position.
    bool hasPoint() const;
    // Rotates curMask right by one bit: 0xCC, 0x66, 0x33, 0x99, 0xCC, ...
    void nextPattern();
    // Draws the outline onto dc inside box (window pixels); false without points.
    bool showAnts(IPixelSink &dc, const sBox &box);

    void setViewOfs(const sPos &ofs) { viewOfs = ofs; }
    const sPos &getViewOfs() const { return viewOfs; }
    uint8_t getPattern() const { return curMask; }
    uint8_t getStartPattern() const { return patMask; }
    // In each row, the first pixel of every horizontal run of non-zero bytes.
    const CPointList &xon() const { return xonList; }
    // In each row, the first zero pixel after every run (the width for a run reaching the end).
    const CPointList &xoff() const { return xoffList; }
    // The same by columns.
    const CPointList &yon() const { return yonList; }
    const CPointList &yoff() const { return yoffList; }

    // The colour of the dash at window pixel (x, y) for the phase mask: black (0) when
    // mask and (128 >> ((x + y) and 7)) is set, else white (0xFFFFFF).
    static uint32_t dashColor(int32_t x, int32_t y, uint8_t mask);

  private:
    enum class Axis
    {
        X,
        Y
    };
    // Draws one list: on is false for the off lists.
    void drawList(const CPointList &list, Axis axis, bool on);

    const IViewTransform *ownerDW;
    uint8_t patMask;
    uint8_t curMask;
    sPos viewOfs;
    CPointList xonList{16};
    CPointList xoffList{16};
    CPointList yonList{16};
    CPointList yoffList{16};
    sBox clipBox;
    IPixelSink *dstDC = nullptr;
    int32_t scale = 0x10000; // 16.16 zoom, sine and cosine of the current showAnts
    int32_t curSin = 0;
    int32_t curCos = 0x10000;
    bool reversed = false;
};
