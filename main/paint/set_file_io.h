// What the set-file readers (nib and method sets, gradient sets, tone sets) share: little-endian
// fields of a record in memory, exact reads, and opening a set file for reading with the status
// codes of the chunked files.
#pragma once

#include "format/chunk.h"

#include <QFile>
#include <QString>
#include <QtEndian>

#include <cstdint>

namespace setfile {

// The field of type T at byte offset `offset` of a little-endian record.
template <class T> void put(uint8_t *p, int offset, T v)
{
    qToLittleEndian<T>(v, p + offset);
}

template <class T> T get(const uint8_t *p, int offset)
{
    return qFromLittleEndian<T>(p + offset);
}

// Reads n bytes into dst; false when fewer were there.
inline bool readExactly(QIODevice &stream, void *dst, int64_t n)
{
    return stream.read(static_cast<char *>(dst), n) == n;
}

// Opens path for reading and answers read(file): CS_FILE_MISSING when the file does not exist,
// CS_CANNOT_OPEN when it cannot be opened, CS_EXCEPTION when read throws.
template <class Read> uint8_t readSetFile(const QString &path, Read read)
{
    if (!QFile::exists(path)) {
        return CS_FILE_MISSING;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return CS_CANNOT_OPEN;
    }
    try {
        return read(file);
    } catch (...) {
        return CS_EXCEPTION;
    }
}

} // namespace setfile
