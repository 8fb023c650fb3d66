// Interim 16.16 helpers until the shared numeric helpers land; removed then.
#pragma once

#include "core/geometry.h"

#include <cmath>
#include <cstdint>

namespace interim {
inline int32_t fixMul(int32_t a, int32_t b)
{
    return int32_t((int64_t(a) * b) >> 16);
}
inline int32_t fixDiv(int32_t a, int32_t b)
{
    if (b == 0)
        return 0;
    return int32_t(std::lrint((long double)a / b * 65536.0L));
}
inline int32_t fixSqrt(int32_t a)
{
    return int32_t(std::lrint(std::sqrt((long double)a / 65536.0L) * 65536.0L));
}
inline int32_t randNext(SRand &r)
{
    r.cnt += 1;
    r.val = r.val * 134775813u + 1u;
    const uint64_t span = uint32_t(r.range.max - r.range.min);
    return r.range.min + int32_t((span * r.val) >> 32);
}
} // namespace interim
using interim::fixDiv;
using interim::fixMul;
using interim::fixSqrt;
using interim::randNext;
