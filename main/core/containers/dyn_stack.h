// CDynStack: a stack of fixed capacity holding items of one size. It never grows: a push into a
// full stack is refused and remembered in `overflow`. The flood fills use it as a queue of seed
// positions (push at the top, unshift from the bottom) and report a region too complex to fill
// when `overflow` is set afterwards.
#pragma once

#include "core/containers/dyn_array.h"

#include <cstdint>

class CDynStack
{
  public:
    // A stack of len items of sz bytes. Without memory (allocation failed) isOk() is false and
    // every push is refused.
    CDynStack(int32_t sz, int32_t len);
    virtual ~CDynStack() = default;
    CDynStack(const CDynStack &) = delete;
    CDynStack &operator=(const CDynStack &) = delete;

    bool isOk() const { return dynArrayIsValid(dataAry); }
    bool isEmpty() const { return count < 1; }
    bool isFull() const { return count >= dataAry.num; }
    // Empties the stack and clears overflow; answers isOk().
    bool resetStack();
    // Copies the item (size bytes) on top; false and overflow set when the stack is full.
    bool push(const void *item);
    // Copies the top item to item and removes it; false when empty.
    bool pop(void *item);
    // Copies the bottom (oldest) item to item and moves the others down one slot; false when
    // empty.
    bool unshift(void *item);

    SDynArray dataAry;          // capacity num items of size bytes
    bool overflow = false;      // a push was refused since the last reset
    uint8_t *dataTop = nullptr; // the next free slot inside dataAry (nullptr without memory)
    int32_t count = 0;          // items held
};
