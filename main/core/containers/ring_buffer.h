// CRingBuf: a ring of fixed-size elements with a back part (the current element and those behind
// it: undo) and a fore part (the elements ahead of it: redo). The buffer holds backMax + foreMax
// slots used in ring order; stepping forward from the last slot goes to the first. Adding an
// element to a ring whose back part is full drops the oldest element out of reach. CRingBufDWORD
// is the same ring of 32-bit values: the event recorder's history of event positions.
//
// Every operation answers false and does nothing on an invalid ring (no buffer or backMax < 1).
#pragma once

#include "core/base/memory_ops.h"

#include <cstdint>

class CRingBuf
{
  public:
    // A ring without memory for elements of elm bytes.
    explicit CRingBuf(uint32_t elm);
    // The same, with alloc(elm, bk, fr).
    CRingBuf(uint32_t elm, int32_t bk, int32_t fr);
    virtual ~CRingBuf() = default;
    CRingBuf(const CRingBuf &) = delete;
    CRingBuf &operator=(const CRingBuf &) = delete;

    bool isValid() const { return bufPtr && topPtr && backMax > 0; }
    // Empties the ring: no current element, no fore part.
    bool restart();
    // Releases the buffer and zeroes every field, the element size included.
    void freeBuf();
    // A new empty ring of bk back and fr fore places for elements of elm bytes. False with
    // nothing changed when bk < 1, fr < 0 or elm < 1; false when the memory cannot be had.
    bool alloc(uint32_t elm, int32_t bk, int32_t fr);
    // New capacities keeping the newest history: min(backCnt, bk) back elements (the current one
    // still current) and min(foreCnt, fr) fore elements. True at once when nothing changes; false,
    // with the ring unchanged, when bk < 1, fr < 0, the element size is 0, fore elements would
    // be kept without a current one, or the memory cannot be had.
    bool realloc(int32_t bk, int32_t fr);
    // foreCnt = 0; answers the old foreCnt (0 on an invalid ring).
    int32_t clearForeCnt();
    // Copies an element over the current slot; backCnt becomes 1 when it was 0.
    bool setValue(const void *src);
    // Steps forward, copies the element there; backCnt + 1 capped at backMax, foreCnt = 0.
    bool addValue(const void *src);
    // Drops the current element and the fore part: steps back, backCnt - 1, foreCnt = 0.
    bool delValue();
    // Redo: steps forward into the fore part (foreCnt > 0).
    bool next();
    // Undo: steps back (backCnt > 0); the element stays as the first fore element.
    bool last();
    // Copies the current element; false without one.
    bool getTopValue(void *dst) const;
    // idx 0 is the current element, -n the element n steps back (1 <= n <= backCnt - 1), +n the
    // element n steps forward (1 <= n <= foreCnt). Position and counts stay as they are.
    bool getValue(int32_t idx, void *dst) const;

    uint32_t bufLen = 0; // bytes of the buffer: elmLen * (backMax + foreMax)
    MemArray<uint8_t> bufPtr;
    uint32_t elmLen = 0; // bytes per element
    int32_t backMax = 0;
    int32_t foreMax = 0;
    int32_t backCnt = 0; // elements behind and including the current one
    int32_t foreCnt = 0; // elements ahead of the current one
    // The current element's slot; with backCnt = 0 the slot before the oldest fore element.
    uint8_t *topPtr = nullptr;

  protected:
    int32_t slotCount() const { return backMax + foreMax; }
    // The slot steps places after (or, negative, before) p, in ring order.
    uint8_t *stepSlot(uint8_t *p, int32_t steps) const;
};

class CRingBufDWORD : public CRingBuf
{
  public:
    CRingBufDWORD() : CRingBuf(4) {}
    CRingBufDWORD(int32_t bk, int32_t fr) : CRingBuf(4, bk, fr) {}

    bool alloc(int32_t bk, int32_t fr) { return CRingBuf::alloc(4, bk, fr); }
    // The current element; 0 on an invalid or empty ring.
    uint32_t getTopValue() const;
    bool getValue(int32_t idx, uint32_t &val) const { return CRingBuf::getValue(idx, &val); }
    bool setValue(uint32_t val) { return CRingBuf::setValue(&val); }
    bool addValue(uint32_t val) { return CRingBuf::addValue(&val); }
};
