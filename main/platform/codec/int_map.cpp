#include "platform/codec/int_map.h"

#include <iterator>
#include <new>

namespace codec {

CodecStatus CodecIntMap::create(std::unique_ptr<CodecIntMap> &handle, int32_t blockSize)
{
    handle.reset();
    if (blockSize <= 0)
        return CodecStatus::Param;
    try {
        handle = std::make_unique<CodecIntMap>();
    } catch (const std::bad_alloc &) {
        return CodecStatus::NoMemory;
    }
    return CodecStatus::Nothing;
}

bool CodecIntMap::lookup(uint32_t key, uint32_t &val) const
{
    const auto it = m_map.find(key);
    if (it == m_map.end())
        return false;
    val = it->second;
    return true;
}

CodecStatus CodecIntMap::setAt(uint32_t key, uint32_t val)
{
    try {
        m_map[key] = val;
    } catch (const std::bad_alloc &) {
        return CodecStatus::NoMemory;
    }
    return CodecStatus::Nothing;
}

CodecStatus CodecIntMap::removeKey(uint32_t key)
{
    return m_map.erase(key) != 0 ? CodecStatus::Nothing : CodecStatus::NoData;
}

CodecStatus CodecIntMap::removeAll()
{
    m_map.clear();
    return CodecStatus::Nothing;
}

CodecStatus CodecIntMap::getCount(int32_t &count) const
{
    count = int32_t(m_map.size());
    return CodecStatus::Nothing;
}

uint32_t CodecIntMap::getStartPosition() const { return m_map.empty() ? 0 : 1; }

CodecStatus CodecIntMap::getNextAssoc(uint32_t &pos, uint32_t &key, uint32_t &val) const
{
    if (pos == 0 || pos > m_map.size())
        return CodecStatus::Param;
    const auto it = std::next(m_map.begin(), pos - 1);
    key = it->first;
    val = it->second;
    pos = pos < m_map.size() ? pos + 1 : 0;
    return CodecStatus::Nothing;
}

} // namespace codec
