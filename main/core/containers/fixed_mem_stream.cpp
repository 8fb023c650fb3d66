#include "core/containers/fixed_mem_stream.h"

#include <algorithm>
#include <cstring>

CFixedMemStream::CFixedMemStream(void *memory, qint64 length)
    : m_memory(static_cast<uint8_t *>(memory)), m_length(memory ? std::max<qint64>(length, 0) : 0)
{
    open(QIODevice::ReadWrite | QIODevice::Unbuffered);
}

CFixedMemStream::CFixedMemStream(const void *memory, qint64 length)
    : m_memory(static_cast<uint8_t *>(const_cast<void *>(memory))),
      m_length(memory ? std::max<qint64>(length, 0) : 0)
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

void *CFixedMemStream::Detach()
{
    void *memory = m_memory;
    m_memory = nullptr;
    m_length = 0;
    seek(0);
    return memory;
}

qint64 CFixedMemStream::readData(char *data, qint64 maxSize)
{
    const qint64 from = pos();
    const qint64 n = std::min(maxSize, m_length - from);
    if (n <= 0)
        return 0;
    std::memcpy(data, m_memory + from, size_t(n));
    return n;
}

qint64 CFixedMemStream::writeData(const char *data, qint64 maxSize)
{
    const qint64 from = pos();
    const qint64 n = std::min(maxSize, m_length - from);
    if (n <= 0)
        return maxSize == 0 ? 0 : -1;
    std::memcpy(m_memory + from, data, size_t(n));
    return n;
}
