// Raw memory helpers: allocation that reports failure instead of throwing, fills, copies, compares.
// Memory from tryGetMem is released with freeMem (or owned by a MemPtr / MemArray, which do so).
// Counts are in bytes unless said otherwise; a count of 0 or less does nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

// Releases memory from tryGetMem; the deleter of MemPtr and MemArray.
struct MemFree
{
    void operator()(void *p) const noexcept { std::free(p); }
};
// Owning handles to memory from tryGetMem.
using MemPtr = std::unique_ptr<void, MemFree>;
template <class T> using MemArray = std::unique_ptr<T[], MemFree>;

// Allocates size bytes (contents undefined). False and nullptr when the memory cannot be had;
// a size of 0 gives nullptr and true (nothing to allocate).
bool tryGetMem(void *&p, size_t size);
// The same, for an owning handle (any memory it held is released first).
bool tryGetMem(MemPtr &p, size_t size);
inline void freeMem(void *p)
{
    std::free(p);
}
// Typed forms: the block as T (sizes still in bytes).
template <class T> bool tryGetMem(T *&p, size_t size)
{
    void *raw = nullptr;
    const bool ok = tryGetMem(raw, size);
    p = static_cast<T *>(raw);
    return ok;
}
template <class T> bool tryGetMem(MemArray<T> &p, size_t size)
{
    p.reset();
    void *raw = nullptr;
    const bool ok = tryGetMem(raw, size);
    p.reset(static_cast<T *>(raw));
    return ok;
}

// A zero-terminated copy of a zero-terminated wide string; nullptr when out of memory.
MemArray<char16_t> wideStrDup(const char16_t *s);

// Sets count bytes to value, one at a time.
void fillBytes(void *buf, uint8_t value, int32_t count);
// Whole 32-bit words of value (in memory order, little-endian), then the remaining 0 to 3 bytes
// with the value's low byte.
void fillLong(void *buf, uint32_t value, int32_t count);
// The same result as fillLong.
void fillLongFast(void *buf, uint32_t value, int32_t count);
// fillLongFast with the byte repeated into all four bytes of the word.
void fillByteAsLong(void *buf, uint8_t value, int32_t count);
// Copies count bytes; the ranges may overlap.
void blockCopyBytes(void *dst, const void *src, int32_t count);
// Word copies, then the remaining 0 to 3 bytes. A forward copy: the ranges may overlap only when
// dst lies below src (a copy that overlaps the other way is done as if through a buffer).
void copyLong(void *dst, const void *src, int32_t count);
void copyLongFast(void *dst, const void *src, int32_t count);
// 0 when equal or count <= 0; at the first differing byte -1 when a's (unsigned) byte is lower,
// else 1.
int32_t compareBytes(const void *a, const void *b, int32_t count);
// Reverses count bytes in place.
void reverseBytes(void *buf, int32_t count);

// A value of a packed little-endian record at byte offset at, read or written whole (the program
// runs little-endian only; memcpy keeps unaligned offsets defined).
template <typename T> T getAt(const uint8_t *p, size_t at)
{
    T v;
    std::memcpy(&v, p + at, sizeof(T));
    return v;
}
template <typename T> void putAt(uint8_t *p, size_t at, T v)
{
    std::memcpy(p + at, &v, sizeof(T));
}
