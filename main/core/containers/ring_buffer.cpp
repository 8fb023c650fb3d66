#include "core/containers/ring_buffer.h"

#include <algorithm>
#include <cstring>
#include <utility>

CRingBuf::CRingBuf(uint32_t elm) : elmLen(elm) {}

CRingBuf::CRingBuf(uint32_t elm, int32_t bk, int32_t fr) : elmLen(elm)
{
    alloc(elm, bk, fr);
}

uint8_t *CRingBuf::stepSlot(uint8_t *p, int32_t steps) const
{
    const int64_t slots = slotCount();
    const int64_t index = (p - bufPtr.get()) / elmLen;
    const int64_t moved = ((index + steps) % slots + slots) % slots;
    return bufPtr.get() + moved * elmLen;
}

bool CRingBuf::restart()
{
    if (!isValid())
        return false;
    topPtr = bufPtr.get();
    backCnt = 0;
    foreCnt = 0;
    return true;
}

void CRingBuf::freeBuf()
{
    bufPtr.reset();
    bufLen = 0;
    elmLen = 0;
    backMax = foreMax = backCnt = foreCnt = 0;
    topPtr = nullptr;
}

namespace {

// elm * (bk + fr) as a Cardinal byte count; false when it does not fit one.
bool ringBytes(uint32_t elm, int32_t bk, int32_t fr, uint32_t &bytes)
{
    const uint64_t total = uint64_t(elm) * (uint64_t(bk) + uint64_t(fr));
    if (total == 0 || total > UINT32_MAX)
        return false;
    bytes = uint32_t(total);
    return true;
}

} // namespace

bool CRingBuf::alloc(uint32_t elm, int32_t bk, int32_t fr)
{
    uint32_t bytes = 0;
    if (bk < 1 || fr < 0 || elm < 1 || !ringBytes(elm, bk, fr, bytes))
        return false;
    freeBuf();
    elmLen = elm;
    if (!tryGetMem(bufPtr, bytes))
        return false;
    bufLen = bytes;
    backMax = bk;
    foreMax = fr;
    topPtr = bufPtr.get();
    return restart();
}

bool CRingBuf::realloc(int32_t bk, int32_t fr)
{
    if (bk == backMax && fr == foreMax)
        return true;
    uint32_t bytes = 0;
    if (bk <= 0 || fr < 0 || elmLen == 0 || !ringBytes(elmLen, bk, fr, bytes))
        return false;
    const bool valid = isValid();
    const int32_t keepBack = valid ? std::min(backCnt, bk) : 0;
    const int32_t keepFore = valid ? std::min(foreCnt, fr) : 0;
    if (keepFore > 0 && keepBack <= 0)
        return false;
    MemArray<uint8_t> fresh;
    if (!tryGetMem(fresh, bytes))
        return false;
    // Oldest kept back element first, the current one last, then the fore elements.
    if (keepBack > 0) {
        uint8_t *src = stepSlot(topPtr, -(keepBack - 1));
        for (int32_t i = 0; i < keepBack + keepFore; ++i) {
            std::memcpy(fresh.get() + int64_t(i) * elmLen, src, elmLen);
            src = stepSlot(src, 1);
        }
    }
    bufPtr = std::move(fresh);
    bufLen = bytes;
    backMax = bk;
    foreMax = fr;
    backCnt = keepBack;
    foreCnt = keepFore;
    topPtr = bufPtr.get() + int64_t(std::max(keepBack - 1, 0)) * elmLen;
    return true;
}

int32_t CRingBuf::clearForeCnt()
{
    if (!isValid())
        return 0;
    return std::exchange(foreCnt, 0);
}

bool CRingBuf::setValue(const void *src)
{
    if (!isValid())
        return false;
    std::memcpy(topPtr, src, elmLen);
    if (backCnt == 0)
        backCnt = 1;
    return true;
}

bool CRingBuf::addValue(const void *src)
{
    if (!isValid())
        return false;
    topPtr = stepSlot(topPtr, 1);
    std::memcpy(topPtr, src, elmLen);
    backCnt = std::min(backCnt + 1, backMax);
    foreCnt = 0;
    return true;
}

bool CRingBuf::delValue()
{
    if (!isValid() || backCnt <= 0)
        return false;
    topPtr = stepSlot(topPtr, -1);
    --backCnt;
    foreCnt = 0;
    return true;
}

bool CRingBuf::next()
{
    if (!isValid() || foreCnt <= 0)
        return false;
    topPtr = stepSlot(topPtr, 1);
    ++backCnt;
    --foreCnt;
    return true;
}

bool CRingBuf::last()
{
    if (!isValid() || backCnt <= 0)
        return false;
    topPtr = stepSlot(topPtr, -1);
    --backCnt;
    ++foreCnt;
    return true;
}

bool CRingBuf::getTopValue(void *dst) const
{
    if (!isValid() || backCnt <= 0)
        return false;
    std::memcpy(dst, topPtr, elmLen);
    return true;
}

bool CRingBuf::getValue(int32_t idx, void *dst) const
{
    if (idx == 0)
        return getTopValue(dst);
    if (!isValid() || backCnt <= 0)
        return false;
    if (idx < 0 ? -int64_t(idx) > backCnt - 1 : idx > foreCnt)
        return false;
    std::memcpy(dst, stepSlot(topPtr, idx), elmLen);
    return true;
}

uint32_t CRingBufDWORD::getTopValue() const
{
    uint32_t val = 0;
    if (!CRingBuf::getTopValue(&val))
        return 0;
    return val;
}
