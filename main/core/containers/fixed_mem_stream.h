// CFixedMemStream: a random-access stream over memory that the caller owns, of fixed capacity.
// The stream reads and overwrites that memory in place and never grows, moves or frees it: its
// size is always the length it was given, and a write stops at the end of the memory (a write
// that fits nothing fails). Used to read and build records in place in caller-owned buffers
// (canvas pixel transfers, file chunk records).
#pragma once

#include <QIODevice>

#include <cstdint>

class CFixedMemStream : public QIODevice
{
  public:
    // Attaches length bytes at memory, opened for reading and writing at position 0.
    CFixedMemStream(void *memory, qint64 length);
    // Attaches read-only memory, opened for reading only.
    CFixedMemStream(const void *memory, qint64 length);

    // Hands the memory back and leaves the stream empty (size 0); the memory is not freed.
    void *Detach();
    void *memory() const { return m_memory; }

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_length; }

  protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

  private:
    uint8_t *m_memory = nullptr;
    qint64 m_length = 0;
};
