// Fixtures shared by the file-record tests.
#pragma once

#include <QBuffer>

#include <algorithm>

// A memory stream that takes at most `capacity` bytes, as a full disk would. It is a QBuffer, so
// the safe chunk writer can cut it back.
class ShortBuffer : public QBuffer
{
  public:
    explicit ShortBuffer(qint64 capacity) : m_capacity(capacity) {}

  protected:
    qint64 writeData(const char *data, qint64 len) override
    {
        const qint64 n = std::min(len, m_capacity - pos());
        return n <= 0 ? -1 : QBuffer::writeData(data, n);
    }

  private:
    qint64 m_capacity;
};
