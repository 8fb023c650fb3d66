#include "core/base/memory_ops.h"

#include <algorithm>
#include <cstring>
#include <string>

bool tryGetMem(void *&p, size_t size)
{
    p = nullptr;
    if (size == 0)
        return true;
    p = std::malloc(size);
    return p != nullptr;
}

bool tryGetMem(MemPtr &p, size_t size)
{
    p.reset();
    void *raw = nullptr;
    const bool ok = tryGetMem(raw, size);
    p.reset(raw);
    return ok;
}

MemArray<char16_t> wideStrDup(const char16_t *s)
{
    const size_t len = s ? std::char_traits<char16_t>::length(s) : 0;
    void *p = nullptr;
    if (!tryGetMem(p, len * sizeof(char16_t) + 2))
        return nullptr;
    MemArray<char16_t> copy(static_cast<char16_t *>(p));
    if (len)
        std::memcpy(copy.get(), s, len * sizeof(char16_t));
    copy[len] = 0;
    return copy;
}

void fillBytes(void *buf, uint8_t value, int32_t count)
{
    auto *p = static_cast<uint8_t *>(buf);
    for (int32_t i = 0; i < count; ++i)
        p[i] = value;
}

void fillLong(void *buf, uint32_t value, int32_t count)
{
    if (count <= 0)
        return;
    auto *p = static_cast<uint8_t *>(buf);
    const int32_t words = count / 4;
    for (int32_t i = 0; i < words; ++i)
        std::memcpy(p + 4 * i, &value, 4);
    for (int32_t i = words * 4; i < count; ++i)
        p[i] = uint8_t(value);
}

void fillLongFast(void *buf, uint32_t value, int32_t count)
{
    if (count <= 0)
        return;
    auto *p = static_cast<uint8_t *>(buf);
    const int32_t words = count / 4;
    if (words > 0) {
        // Doubling copies: each memcpy repeats the words already written.
        std::memcpy(p, &value, 4);
        int32_t done = 1;
        while (done < words) {
            const int32_t n = std::min(done, words - done);
            std::memcpy(p + 4 * done, p, size_t(n) * 4);
            done += n;
        }
    }
    std::memset(p + words * 4, uint8_t(value), size_t(count - words * 4));
}

void fillByteAsLong(void *buf, uint8_t value, int32_t count)
{
    fillLongFast(buf, value * 0x01010101u, count);
}

void blockCopyBytes(void *dst, const void *src, int32_t count)
{
    if (count > 0)
        std::memmove(dst, src, size_t(count));
}

void copyLong(void *dst, const void *src, int32_t count)
{
    // memmove equals the forward word copy wherever that copy is allowed (no overlap, or dst
    // below src) and stays well defined where it is not.
    blockCopyBytes(dst, src, count);
}

void copyLongFast(void *dst, const void *src, int32_t count)
{
    blockCopyBytes(dst, src, count);
}

int32_t compareBytes(const void *a, const void *b, int32_t count)
{
    const auto *pa = static_cast<const uint8_t *>(a);
    const auto *pb = static_cast<const uint8_t *>(b);
    for (int32_t i = 0; i < count; ++i) {
        if (pa[i] != pb[i])
            return pa[i] < pb[i] ? -1 : 1;
    }
    return 0;
}

void reverseBytes(void *buf, int32_t count)
{
    if (count > 1) {
        auto *p = static_cast<uint8_t *>(buf);
        std::reverse(p, p + count);
    }
}
