// Block memory that runs out: while the guard lives, tiled images can commit only `commits` more
// blocks; every later commit fails as if memory had run out. The normal allocator is put back
// afterwards.
#pragma once

#include "core/base/memory_ops.h"
#include "core/tiles/block_image.h"

class ScopedBlockMemoryLimit
{
  public:
    explicit ScopedBlockMemoryLimit(int commits)
    {
        left() = commits;
        m_previous = setBlockAllocator(&ScopedBlockMemoryLimit::alloc);
    }
    ~ScopedBlockMemoryLimit() { setBlockAllocator(m_previous); }
    ScopedBlockMemoryLimit(const ScopedBlockMemoryLimit &) = delete;
    ScopedBlockMemoryLimit &operator=(const ScopedBlockMemoryLimit &) = delete;

  private:
    static int &left()
    {
        static int n = 0;
        return n;
    }
    static bool alloc(MemPtr &p, size_t size)
    {
        if (left() <= 0)
            return false;
        --left();
        return tryGetMem(p, size);
    }

    fptrBlockAlloc m_previous;
};
