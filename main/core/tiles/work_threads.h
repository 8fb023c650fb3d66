// The threads that compositing and scaling spread their work over: oneTBB's parallel_for in an
// arena of the chosen size. The pieces handed out never share a destination pixel, so the result
// does not depend on the number of threads; the work that draws from a shared random sequence
// (dithered layers) stays on the calling thread.
#pragma once

#include <cstdint>
#include <functional>

// The number of threads to use; 0 (the default) means every core the process may run on. Meant
// for tests, benchmarks and start-up, between operations.
void setWorkThreads(int count);
// The number of threads in use (at least 1).
int workThreads();

// Runs body(begin, end) over consecutive ranges covering [0, count), each at least grain long
// where count allows, on up to workThreads() threads; on the calling thread alone when one thread
// is set or the count is one grain or less. body must be safe to run on several ranges at once.
void parallelRanges(int32_t count, int32_t grain,
                    const std::function<void(int32_t, int32_t)> &body);
