// The chunk layer under every file of the program's own making (layered images, event files,
// image records, preset set files): the 8-byte chunk header, the one-byte status codes that all
// chunked readers and writers return, the header checks, the two string readers, and the writer
// side (header, zero padding to 4 bytes, UTF-16 text areas, and the safe write that cuts a failed
// chunk away).
//
// A chunk is a four-letter tag stored as a little-endian 32-bit word (the first letter is the
// lowest byte, and the first byte in the file), a 32-bit size of everything after the header up to
// the next chunk (payload and zero padding), then the payload. Writers pad each chunk with zero
// bytes to a multiple of 4; readers never rely on that and find the next chunk by its size.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <functional>
#include <span>

class QIODevice;

// Status codes of the chunked files: one unsigned byte, 0 for success. The numbers are stored in
// messages ("...(err=%d)") and compared by callers, so they never change.
enum eChunkStatus : uint8_t
{
    CS_OK = 0,
    CS_NO_MEMORY = 1,          // a working buffer cannot be reserved
    CS_BLOCK_OUT_OF_PLACE = 2, // a block chunk met outside its layer or mask, skipped
    CS_EXCEPTION = 3,          // an exception was caught while reading or writing
    CS_FILE_MISSING = 4,       // the file does not exist
    CS_CANNOT_CREATE = 5,      // the file cannot be created (set files)
    CS_CANNOT_OPEN = 6,        // the file cannot be opened or created
    CS_WRITE_FAILED = 8,       // fewer bytes were written than asked
    CS_READ_FAILED = 9,        // fewer bytes were read than asked
    CS_SEEK_FAILED = 10,       // a seek did not reach the position asked for
    CS_PAST_END = 11,          // a chunk runs past the end of the file, or a record past its chunk
    CS_BAD_VERSION = 12,       // unsupported version
    CS_TOO_LARGE = 13,         // image larger than 10000 pixels in width or height
    CS_BAD_TYPE = 15,          // wrong type or sub-type (set files)
    CS_BAD_TAG = 16,           // unexpected chunk tag, or one the reader does not handle
    CS_BAD_SIZE = 17,          // unexpected chunk size
    CS_THUMBNAIL_SKIPPED = 19, // thumbnail chunk skipped while loading a document
    CS_ITEM_NOT_WRITABLE = 20, // an item that cannot be written (set files)
    CS_LAYER_NOT_CREATED = 21, // the layer cannot be created
    CS_BAD_BLOCK_SIZE = 22,    // unsupported block size
    CS_EMPTY_BLOCK_RUN = 23,   // a block run of zero blocks
    CS_BAD_RUN_KIND = 24,      // block-run kind other than 1 and 2
    CS_RUN_LENGTHS = 25,       // block-run lengths that do not agree
    CS_NO_BLOCK = 26,          // a block of the run cannot be obtained
    CS_NOTHING_SAVED = 37,     // nothing to save, or nothing loaded
    CS_BAD_EVENT_BLOCK = 39,   // an event block that cannot be read as events
    CS_NO_EVENT_RECORDER = 40, // no usable event recorder
    CS_EVENTS_NOT_TAKEN = 41,  // the recorder did not take the stored event data
    CS_NOTHING_TO_WRITE = 42,  // nothing to write
    CS_SEGMENT_SHORT = 43,     // an event segment gave fewer bytes than asked
    CS_SEGMENT_LENGTH = 44,    // an event segment longer than (or a file segment length other than) the recorder's
    CS_SEGMENT_NOT_TAKEN = 45, // the recorder did not take a decompressed event segment
    CS_ITEM_NOT_ADDED = 48,    // a read item could not be added to its set
};

// The four letters of a tag as the little-endian word stored in the file.
constexpr uint32_t chunkTag(const char (&letters)[5])
{
    return uint32_t(uint8_t(letters[0])) | uint32_t(uint8_t(letters[1])) << 8 |
           uint32_t(uint8_t(letters[2])) << 16 | uint32_t(uint8_t(letters[3])) << 24;
}

// The tag word back as its four letters, for messages and dumps.
QString chunkTagName(uint32_t tag);

#pragma pack(push, 1)
struct SChunkHeader
{
    uint32_t tag = 0;
    uint32_t size = 0; // bytes after this header up to the next chunk, padding included
};
#pragma pack(pop)
static_assert(sizeof(SChunkHeader) == 8);

constexpr int32_t kChunkHeaderSize = 8;

// Zero bytes that bring `n` bytes up to a multiple of 4.
constexpr uint32_t chunkPadding(uint64_t n)
{
    return uint32_t((4 - n % 4) % 4);
}

// Bytes of a UTF-16 text area of `chars` code units: the text, its terminating zero character,
// then zero bytes to a multiple of 4 (so 2 or 4 zero bytes in all).
constexpr uint32_t wideTextAreaSize(uint32_t chars)
{
    return (2 * chars + 4) & ~3u;
}

// 0 when the tag word equals `tag`, else 16.
[[nodiscard]] uint8_t checkChunkId(const SChunkHeader &header, uint32_t tag);
// The same on a header in memory, whose first 32-bit word is the tag. Fewer than 8 bytes: 9.
[[nodiscard]] uint8_t checkChunkId(std::span<const uint8_t> header, uint32_t tag);

// The tag first, then the size word: 16 when the tag differs (whatever the size), 17 when the tag
// matches and the size differs from `size`, else 0.
[[nodiscard]] uint8_t checkChunkIdSize(const SChunkHeader &header, uint32_t tag, uint32_t size);
[[nodiscard]] uint8_t checkChunkIdSize(std::span<const uint8_t> header, uint32_t tag,
                                       uint32_t size);

// Reads the 8-byte header at the stream position: 0, or 9 when fewer than 8 bytes are there.
[[nodiscard]] uint8_t readChunkHeader(QIODevice &stream, SChunkHeader &header);

// Moves past the chunk that starts at `chunkStart` (its header already read): to chunkStart + 8 +
// size. 11 when that lies past the end of the stream, 10 when the seek does not land there.
[[nodiscard]] uint8_t skipChunk(QIODevice &stream, int64_t chunkStart, const SChunkHeader &header);

// Reads exactly `count` bytes of text in the ANSI code page (Shift_JIS) and converts them up to the
// first zero byte. 0, 1 when no buffer can be had, 9 when fewer than `count` bytes are there (also
// for a negative count). A count of 0 reads nothing and clears the text. The stream ends just
// behind the `count` bytes whatever the text holds; on a failure its position is undefined and
// `text` is unchanged.
[[nodiscard]] uint8_t readAnsiString(QIODevice &stream, int64_t count, QString &text);

// Reads exactly `count` bytes of UTF-16LE text and converts them up to the first zero character,
// at most (count + 1) / 2 characters; an odd last byte pairs with a zero high byte. Codes, stream
// position and `text` on failure as for readAnsiString.
[[nodiscard]] uint8_t readWideString(QIODevice &stream, int64_t count, QString &text);

// Writes the bytes: 0, or 8 when fewer were written.
[[nodiscard]] uint8_t writeBytes(QIODevice &stream, QByteArrayView bytes);
// Writes `count` zero bytes: 0 or 8.
[[nodiscard]] uint8_t writeZeros(QIODevice &stream, uint32_t count);
// Writes an 8-byte chunk header: 0 or 8.
[[nodiscard]] uint8_t writeChunkHeader(QIODevice &stream, uint32_t tag, uint32_t size);
// Writes a whole chunk: the header with size = payload + padding, the payload, zero padding.
[[nodiscard]] uint8_t writeChunk(QIODevice &stream, uint32_t tag, QByteArrayView payload);
// Writes a UTF-16LE text area of wideTextAreaSize(text.size()) bytes: 0 or 8.
[[nodiscard]] uint8_t writeWideTextArea(QIODevice &stream, const QString &text);

// Sets the stream's size to `size` (it must not be larger than the size now). Works on files
// (QFile, QSaveFile), QBuffer, and any device that offers an invokable `bool truncate(qint64)`.
bool truncateStream(QIODevice &stream, int64_t size);

// Writing a chunk safely: remembers the stream position, runs `writer` (an exception gives 3),
// and when its code is not 0 seeks back to that position and cuts the stream there, so a failed
// chunk leaves nothing behind and the file stays a valid chunk sequence. Returns the writer's code.
[[nodiscard]] uint8_t writeChunkSafely(QIODevice &stream,
                                       const std::function<uint8_t(QIODevice &)> &writer);
