#include "core/containers/dyn_array.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// Resizes the block owned by p to newBytes, keeping the leading bytes and zero-filling growth.
// On failure p keeps its block. oldBytes is the size of the block p holds (0 when none).
template <class P> bool resizeBlock(P &p, int64_t oldBytes, int64_t newBytes)
{
    if (newBytes <= 0 || uint64_t(newBytes) > uint64_t(PTRDIFF_MAX))
        return false;
    void *grown = std::realloc(p.get(), size_t(newBytes));
    if (!grown)
        return false;
    (void)p.release();
    p.reset(static_cast<typename P::pointer>(grown));
    if (newBytes > oldBytes)
        std::memset(static_cast<uint8_t *>(grown) + oldBytes, 0, size_t(newBytes - oldBytes));
    return true;
}

} // namespace

SDynArray &SDynArray::operator=(SDynArray &&other) noexcept
{
    if (this != &other) {
        num = std::exchange(other.num, 0);
        ptr = std::move(other.ptr);
        size = std::exchange(other.size, 0);
    }
    return *this;
}

void dynArrayInit(SDynArray &a)
{
    dynArrayFree(a);
}

bool dynArrayFill(SDynArray &a, uint8_t value)
{
    if (!a.ptr)
        return false;
    std::memset(a.ptr.get(), value, size_t(dynArrayBytes(a)));
    return true;
}

void dynArrayFree(SDynArray &a)
{
    a.ptr.reset();
    a.num = 0;
    a.size = 0;
}

MemPtr dynArrayDetach(SDynArray &a)
{
    MemPtr p = std::move(a.ptr);
    a.num = 0;
    a.size = 0;
    return p;
}

bool dynArrayAlloc(SDynArray &a, int32_t elemSize, int32_t count)
{
    if (elemSize != a.size)
        dynArrayFree(a);
    if (a.ptr && count == a.num)
        return true;
    const int64_t bytes = int64_t(count) * elemSize;
    if (count <= 0 || elemSize <= 0) {
        dynArrayFree(a);
        return false;
    }
    if (!resizeBlock(a.ptr, a.ptr ? dynArrayBytes(a) : 0, bytes)) {
        if (!a.ptr)
            dynArrayFree(a);
        return false;
    }
    a.num = count;
    a.size = elemSize;
    return true;
}

bool dynArrayResize(SDynArray &a, int32_t elemSize, int32_t count)
{
    if (!a.ptr)
        return dynArrayAlloc(a, elemSize, count);
    if (elemSize == a.size && count == a.num)
        return true;
    if (count <= 0 || elemSize <= 0)
        return false;
    const int64_t bytes = int64_t(count) * elemSize;
    MemPtr block;
    if (uint64_t(bytes) > uint64_t(PTRDIFF_MAX) || !tryGetMem(block, size_t(bytes)))
        return false;
    const int64_t kept = std::min(bytes, dynArrayBytes(a));
    std::memcpy(block.get(), a.ptr.get(), size_t(kept));
    std::memset(static_cast<uint8_t *>(block.get()) + kept, 0, size_t(bytes - kept));
    a.ptr = std::move(block);
    a.num = count;
    a.size = elemSize;
    return true;
}

bool dynArrayMove(SDynArray &a, SDynArray &src)
{
    if (a.ptr || &a == &src)
        return false;
    a = std::move(src);
    return true;
}

bool dynArrayCopy(SDynArray &a, SDynArray &src)
{
    if (!src.ptr)
        return dynArrayMove(a, src);
    if (&a == &src)
        return true;
    if (!dynArrayAlloc(a, src.size, src.num))
        return false;
    std::memcpy(a.ptr.get(), src.ptr.get(), size_t(dynArrayBytes(src)));
    return true;
}

SDynArray2D &SDynArray2D::operator=(SDynArray2D &&other) noexcept
{
    if (this != &other) {
        size = std::exchange(other.size, sSize{});
        num = std::exchange(other.num, 0);
        elmsz = std::exchange(other.elmsz, 0);
        ptr = std::move(other.ptr);
    }
    return *this;
}

void dynArray2DInit(SDynArray2D &a)
{
    dynArray2DFree(a);
}

bool dynArray2DFill(SDynArray2D &a, uint8_t value)
{
    if (!a.ptr)
        return false;
    std::memset(a.ptr.get(), value, size_t(dynArray2DBytes(a)));
    return true;
}

bool dynArray2DFillElement(SDynArray2D &a, const void *element)
{
    if (!a.ptr)
        return false;
    auto *p = static_cast<uint8_t *>(a.ptr.get());
    for (int32_t i = 0; i < a.num; ++i)
        std::memcpy(p + int64_t(i) * a.elmsz, element, size_t(a.elmsz));
    return true;
}

void dynArray2DFree(SDynArray2D &a)
{
    a.ptr.reset();
    a.size = {};
    a.num = 0;
    a.elmsz = 0;
}

bool dynArray2DAlloc(SDynArray2D &a, int32_t elmsz, int32_t w, int32_t h)
{
    if (elmsz != a.elmsz)
        dynArray2DFree(a);
    if (a.ptr && a.size == sSize{w, h})
        return true;
    const int64_t count = int64_t(w) * h;
    if (w <= 0 || h <= 0 || elmsz <= 0 || count > INT32_MAX) {
        dynArray2DFree(a);
        return false;
    }
    if (!resizeBlock(a.ptr, a.ptr ? dynArray2DBytes(a) : 0, count * elmsz)) {
        if (!a.ptr)
            dynArray2DFree(a);
        return false;
    }
    a.size = {w, h};
    a.num = int32_t(count);
    a.elmsz = elmsz;
    return true;
}

SDynPos &SDynPos::operator=(SDynPos &&other) noexcept
{
    if (this != &other) {
        num = std::exchange(other.num, 0);
        ptr = std::move(other.ptr);
    }
    return *this;
}

void dynPosInit(SDynPos &a)
{
    dynPosFree(a);
}

void dynPosFree(SDynPos &a)
{
    a.ptr.reset();
    a.num = 0;
}

bool dynPosAlloc(SDynPos &a, int32_t count)
{
    if (a.ptr && count == a.num)
        return true;
    if (count <= 0) {
        dynPosFree(a);
        return false;
    }
    const int64_t oldBytes = a.ptr ? int64_t(a.num) * int64_t(sizeof(sPos)) : 0;
    if (!resizeBlock(a.ptr, oldBytes, int64_t(count) * int64_t(sizeof(sPos))))
        return false;
    a.num = count;
    return true;
}

bool dynPosMove(SDynPos &a, SDynPos &src)
{
    if (a.ptr || &a == &src)
        return false;
    a = std::move(src);
    return true;
}
