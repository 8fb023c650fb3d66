#include "format/chunk.h"

#include <QBuffer>
#include <QFileDevice>
#include <QIODevice>
#include <QMetaObject>
#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Counts come from files: bytes are read in pieces of this size, so on a sequential stream a count
// far beyond what it holds fails with 9 after at most one piece instead of reserving the whole
// count first.
constexpr int64_t kReadPiece = 1 << 20;

uint8_t readExactly(QIODevice &stream, int64_t count, QByteArray &bytes)
{
    if (count < 0) {
        return CS_READ_FAILED;
    }
    // Where the stream knows its size, a count beyond what is left fails before any buffer is had.
    if (!stream.isSequential() && count > stream.size() - stream.pos()) {
        return CS_READ_FAILED;
    }
    try {
        bytes.clear();
        while (int64_t(bytes.size()) < count) {
            const int64_t want = std::min<int64_t>(count - int64_t(bytes.size()), kReadPiece);
            const qsizetype have = bytes.size();
            bytes.resize(have + want);
            const qint64 got = stream.read(bytes.data() + have, want);
            if (got != want) {
                return CS_READ_FAILED;
            }
        }
    } catch (const std::bad_alloc &) {
        return CS_NO_MEMORY;
    }
    return CS_OK;
}

uint32_t headerWord(std::span<const uint8_t> header, int offset)
{
    return qFromLittleEndian<uint32_t>(header.data() + offset);
}

} // namespace

QString chunkTagName(uint32_t tag)
{
    QString name;
    for (int i = 0; i < 4; ++i) {
        const uint8_t c = uint8_t(tag >> (8 * i));
        name += (c >= 0x20 && c < 0x7F) ? QChar(c) : QChar('?');
    }
    return name;
}

uint8_t checkChunkId(const SChunkHeader &header, uint32_t tag)
{
    return header.tag == tag ? CS_OK : CS_BAD_TAG;
}

uint8_t checkChunkId(std::span<const uint8_t> header, uint32_t tag)
{
    if (header.size() < sizeof(SChunkHeader)) {
        return CS_READ_FAILED;
    }
    return headerWord(header, 0) == tag ? CS_OK : CS_BAD_TAG;
}

uint8_t checkChunkIdSize(const SChunkHeader &header, uint32_t tag, uint32_t size)
{
    if (header.tag != tag) {
        return CS_BAD_TAG;
    }
    return header.size == size ? CS_OK : CS_BAD_SIZE;
}

uint8_t checkChunkIdSize(std::span<const uint8_t> header, uint32_t tag, uint32_t size)
{
    if (header.size() < sizeof(SChunkHeader)) {
        return CS_READ_FAILED;
    }
    return checkChunkIdSize(SChunkHeader{headerWord(header, 0), headerWord(header, 4)}, tag, size);
}

uint8_t readChunkHeader(QIODevice &stream, SChunkHeader &header)
{
    uint8_t bytes[sizeof(SChunkHeader)];
    if (stream.read(reinterpret_cast<char *>(bytes), sizeof bytes) != qint64(sizeof bytes)) {
        return CS_READ_FAILED;
    }
    header.tag = headerWord(bytes, 0);
    header.size = headerWord(bytes, 4);
    return CS_OK;
}

uint8_t skipChunk(QIODevice &stream, int64_t chunkStart, const SChunkHeader &header)
{
    const int64_t target = chunkStart + kChunkHeaderSize + int64_t(header.size);
    if (stream.isSequential()) {
        const int64_t ahead = target - stream.pos();
        if (ahead < 0) {
            return CS_SEEK_FAILED;
        }
        return stream.skip(ahead) == ahead ? CS_OK : CS_PAST_END;
    }
    if (target > stream.size()) {
        return CS_PAST_END;
    }
    if (!stream.seek(target) || stream.pos() != target) {
        return CS_SEEK_FAILED;
    }
    return CS_OK;
}

uint8_t readAnsiString(QIODevice &stream, int64_t count, QString &text)
{
    QByteArray bytes;
    if (const uint8_t code = readExactly(stream, count, bytes)) {
        return code;
    }
    const qsizetype end = bytes.indexOf('\0');
    const QByteArrayView used(bytes.constData(), end < 0 ? bytes.size() : end);
    QStringDecoder decoder("Shift_JIS");
    text = decoder.isValid() ? QString(decoder(used)) : QString::fromLatin1(used);
    return CS_OK;
}

uint8_t readWideString(QIODevice &stream, int64_t count, QString &text)
{
    QByteArray bytes;
    if (const uint8_t code = readExactly(stream, count, bytes)) {
        return code;
    }
    if (bytes.size() % 2) {
        bytes.append('\0'); // the missing high byte of an odd count reads as zero
    }
    QString result;
    const qsizetype units = bytes.size() / 2;
    for (qsizetype i = 0; i < units; ++i) {
        const char16_t unit = qFromLittleEndian<quint16>(bytes.constData() + 2 * i);
        if (unit == 0) {
            break;
        }
        result += QChar(unit);
    }
    text = result;
    return CS_OK;
}

uint8_t writeBytes(QIODevice &stream, QByteArrayView bytes)
{
    if (bytes.isEmpty()) {
        return CS_OK;
    }
    return stream.write(bytes.data(), bytes.size()) == bytes.size() ? CS_OK : CS_WRITE_FAILED;
}

uint8_t writeZeros(QIODevice &stream, uint32_t count)
{
    static const char zeros[16] = {};
    while (count > 0) {
        const uint32_t n = std::min<uint32_t>(count, sizeof zeros);
        if (const uint8_t code = writeBytes(stream, QByteArrayView(zeros, n))) {
            return code;
        }
        count -= n;
    }
    return CS_OK;
}

uint8_t writeChunkHeader(QIODevice &stream, uint32_t tag, uint32_t size)
{
    uint8_t bytes[sizeof(SChunkHeader)];
    qToLittleEndian<uint32_t>(tag, bytes);
    qToLittleEndian<uint32_t>(size, bytes + 4);
    return writeBytes(stream, QByteArrayView(bytes, sizeof bytes));
}

uint8_t writeChunk(QIODevice &stream, uint32_t tag, QByteArrayView payload)
{
    const uint64_t size = uint64_t(payload.size()) + chunkPadding(uint64_t(payload.size()));
    if (size > UINT32_MAX) {
        return CS_WRITE_FAILED; // the size word cannot describe it
    }
    if (const uint8_t code = writeChunkHeader(stream, tag, uint32_t(size))) {
        return code;
    }
    if (const uint8_t code = writeBytes(stream, payload)) {
        return code;
    }
    return writeZeros(stream, chunkPadding(uint64_t(payload.size())));
}

uint8_t writeWideTextArea(QIODevice &stream, const QString &text)
{
    QByteArray bytes(qsizetype(wideTextAreaSize(uint32_t(text.size()))), '\0');
    for (qsizetype i = 0; i < text.size(); ++i) {
        qToLittleEndian<quint16>(text[i].unicode(), bytes.data() + 2 * i);
    }
    return writeBytes(stream, bytes);
}

bool truncateStream(QIODevice &stream, int64_t size)
{
    if (auto *file = qobject_cast<QFileDevice *>(&stream)) {
        return file->flush() && file->resize(size);
    }
    if (auto *buffer = qobject_cast<QBuffer *>(&stream)) {
        if (size > buffer->buffer().size()) {
            return false;
        }
        buffer->buffer().truncate(qsizetype(size));
        return true;
    }
    const QMetaObject *meta = stream.metaObject();
    if (meta->indexOfMethod(QMetaObject::normalizedSignature("truncate(qint64)")) < 0) {
        return false;
    }
    bool done = false;
    QMetaObject::invokeMethod(&stream, "truncate", Qt::DirectConnection, Q_RETURN_ARG(bool, done),
                              Q_ARG(qint64, size));
    return done;
}

uint8_t writeChunkSafely(QIODevice &stream, const std::function<uint8_t(QIODevice &)> &writer)
{
    const int64_t start = stream.pos();
    uint8_t code = CS_OK;
    try {
        code = writer(stream);
    } catch (...) {
        code = CS_EXCEPTION;
    }
    if (code != CS_OK && !stream.isSequential()) {
        // Cut the partial chunk away; the writer's code stays the answer either way.
        if (stream.seek(start)) {
            truncateStream(stream, start);
        }
    }
    return code;
}
