#include "core/containers/dyn_stack.h"

#include <cstring>

CDynStack::CDynStack(int32_t sz, int32_t len)
{
    dynArrayAlloc(dataAry, sz, len);
    dataTop = dataAry.items<uint8_t>();
}

bool CDynStack::resetStack()
{
    count = 0;
    overflow = false;
    dataTop = dataAry.items<uint8_t>();
    return isOk();
}

bool CDynStack::push(const void *item)
{
    if (!isOk() || count >= dataAry.num) {
        overflow = true;
        return false;
    }
    std::memcpy(dataTop, item, size_t(dataAry.size));
    dataTop += dataAry.size;
    ++count;
    return true;
}

bool CDynStack::pop(void *item)
{
    if (count <= 0)
        return false;
    dataTop -= dataAry.size;
    std::memcpy(item, dataTop, size_t(dataAry.size));
    --count;
    return true;
}

bool CDynStack::unshift(void *item)
{
    if (count <= 0)
        return false;
    uint8_t *bottom = dataAry.items<uint8_t>();
    std::memcpy(item, bottom, size_t(dataAry.size));
    std::memmove(bottom, bottom + dataAry.size, size_t(count - 1) * size_t(dataAry.size));
    dataTop -= dataAry.size;
    --count;
    return true;
}
