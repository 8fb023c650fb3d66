// Untyped growable arrays held in plain records: SDynArray (count x element size), SDynArray2D
// (columns x rows) and SDynPos (integer points). Each record owns its memory (released when the
// record goes away); only the functions below allocate or free it. Nothing here throws: a failed
// allocation comes back as false. Memory that an array grows into is zero-filled.
#pragma once

#include "core/base/geometry.h"
#include "core/base/memory_ops.h"

#include <cstdint>
#include <utility>

// num elements of size bytes at ptr; an empty record has num 0, size 0 and no memory.
struct SDynArray
{
    int32_t num = 0;
    MemPtr ptr;
    int32_t size = 0;

    SDynArray() = default;
    SDynArray(SDynArray &&other) noexcept { *this = std::move(other); }
    // Takes other's memory and shape; other is left empty.
    SDynArray &operator=(SDynArray &&other) noexcept;

    // The memory as an array of T (nullptr when there is none).
    template <class T> T *items() const { return static_cast<T *>(ptr.get()); }
};

// Empties the record. Records start empty here, so this releases any memory it holds.
void dynArrayInit(SDynArray &a);
inline bool dynArrayIsValid(const SDynArray &a)
{
    return a.ptr != nullptr;
}
inline int64_t dynArrayBytes(const SDynArray &a)
{
    return int64_t(a.num) * a.size;
}
// Sets every byte to value; false when there is no memory.
bool dynArrayFill(SDynArray &a, uint8_t value);
// Releases the memory and zeroes num and size.
void dynArrayFree(SDynArray &a);
// Hands the memory to the caller and empties the record without freeing.
MemPtr dynArrayDetach(SDynArray &a);
// A different element size releases the old memory first (contents lost). With memory and an
// unchanged count nothing happens (true). Otherwise the memory becomes count * elemSize bytes,
// keeping the leading bytes when only the count changed. True when memory exists afterwards:
// a zero byte count leaves an empty record and false; a failed allocation keeps the old memory
// and shape and answers false.
bool dynArrayAlloc(SDynArray &a, int32_t elemSize, int32_t count);
// An empty record is allocated as by dynArrayAlloc; an unchanged shape answers true; otherwise a
// new block of the new shape receives the leading min(old, new) bytes and replaces the old one.
// False, with the record unchanged, when the new block cannot be had (or would be empty).
bool dynArrayResize(SDynArray &a, int32_t elemSize, int32_t count);
// When a has no memory it takes src's num, memory and size and src is emptied; true when it did.
bool dynArrayMove(SDynArray &a, SDynArray &src);
// A src without memory is moved (dynArrayMove); otherwise a is allocated to src's element size
// and count and receives src's bytes. True when a holds the copy.
bool dynArrayCopy(SDynArray &a, SDynArray &src);

// columns x rows elements of elmsz bytes, row after row (num = columns * rows).
struct SDynArray2D
{
    sSize size;
    int32_t num = 0;
    int32_t elmsz = 0;
    MemPtr ptr;

    SDynArray2D() = default;
    SDynArray2D(SDynArray2D &&other) noexcept { *this = std::move(other); }
    SDynArray2D &operator=(SDynArray2D &&other) noexcept;

    template <class T> T *items() const { return static_cast<T *>(ptr.get()); }
};

void dynArray2DInit(SDynArray2D &a);
inline bool dynArray2DIsValid(const SDynArray2D &a)
{
    return a.ptr != nullptr;
}
inline int64_t dynArray2DBytes(const SDynArray2D &a)
{
    return int64_t(a.num) * a.elmsz;
}
bool dynArray2DFill(SDynArray2D &a, uint8_t value);
// Copies one element of elmsz bytes into every element; false without memory.
bool dynArray2DFillElement(SDynArray2D &a, const void *element);
// Releases the memory and zeroes size, num and elmsz.
void dynArray2DFree(SDynArray2D &a);
// A different element size releases the old memory first; with memory and an unchanged (w, h)
// nothing happens; else the memory becomes elmsz * w * h bytes. True when memory exists after.
bool dynArray2DAlloc(SDynArray2D &a, int32_t elmsz, int32_t w, int32_t h);

// num integer points.
struct SDynPos
{
    int32_t num = 0;
    MemArray<sPos> ptr;

    SDynPos() = default;
    SDynPos(SDynPos &&other) noexcept { *this = std::move(other); }
    SDynPos &operator=(SDynPos &&other) noexcept;
};

void dynPosInit(SDynPos &a);
inline bool dynPosIsValid(const SDynPos &a)
{
    return a.ptr != nullptr;
}
void dynPosFree(SDynPos &a);
// With memory and an unchanged count nothing happens; else the memory becomes count points,
// keeping the leading ones. True when memory exists afterwards; a failed allocation keeps the
// old points and answers false.
bool dynPosAlloc(SDynPos &a, int32_t count);
// Takes src's points when a has none; true when it did.
bool dynPosMove(SDynPos &a, SDynPos &src);
