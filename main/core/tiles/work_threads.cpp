#include "core/tiles/work_threads.h"

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace {

// The arena is made at its first use and again after every change of the count.
struct WorkArena
{
    std::mutex lock;
    int requested = 0;
    std::unique_ptr<tbb::task_arena> arena;
};

WorkArena &workArena()
{
    static WorkArena w;
    return w;
}

tbb::task_arena &currentArena()
{
    WorkArena &w = workArena();
    const std::lock_guard guard(w.lock);
    if (!w.arena) {
        const int n = w.requested > 0 ? w.requested : tbb::task_arena::automatic;
        w.arena = std::make_unique<tbb::task_arena>(n);
        w.arena->initialize();
    }
    return *w.arena;
}

} // namespace

void setWorkThreads(int count)
{
    WorkArena &w = workArena();
    const std::lock_guard guard(w.lock);
    w.requested = count > 0 ? count : 0;
    w.arena.reset();
}

int workThreads()
{
    return std::max(currentArena().max_concurrency(), 1);
}

void parallelRanges(int32_t count, int32_t grain, const std::function<void(int32_t, int32_t)> &body)
{
    if (count <= 0)
        return;
    grain = std::max(grain, 1);
    tbb::task_arena &arena = currentArena();
    if (count <= grain || arena.max_concurrency() <= 1) {
        body(0, count);
        return;
    }
    arena.execute([&] {
        tbb::parallel_for(tbb::blocked_range<int32_t>(0, count, size_t(grain)),
                          [&](const tbb::blocked_range<int32_t> &r) { body(r.begin(), r.end()); });
    });
}
