// The program's binding of the image codec library: its result codes, and compression of memory
// blocks into a stream or into a growable block (for the native image file, the chunk records and
// the event recorder). Image loading into canvases joins this once the canvas exists.
//
// Compressed blocks are unpacked by their readers directly through codec::codecDecompress, which is
// told both lengths and succeeds only when it gives back exactly the expected bytes.
#pragma once

#include "platform/codec/codec_status.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class QIODevice;

// The result of every codec call, one byte. The numbering is fixed; nouse10, nouse11 and nouse19
// are never produced and keep the later codes in place.
enum MopixDllErr : uint8_t
{
    MOPIXDLLERR_NOTHING = 0, // success
    MOPIXDLLERR_FAILED,
    MOPIXDLLERR_NO_SUPPORT,
    MOPIXDLLERR_NO_MEMORY,
    MOPIXDLLERR_SETUP,
    MOPIXDLLERR_HANDLE,
    MOPIXDLLERR_PARAM,
    MOPIXDLLERR_RANGE,
    MOPIXDLLERR_EXCEPTION,
    MOPIXDLLERR_EXCEPTION_SOMETHING,
    MOPIXDLLERR_nouse10,
    MOPIXDLLERR_nouse11,
    MOPIXDLLERR_COLORMODE,
    MOPIXDLLERR_COMPRESS,
    MOPIXDLLERR_NO_DATA,
    MOPIXDLLERR_EXTRACT,
    MOPIXDLLERR_FILE_OPEN,
    MOPIXDLLERR_FILE_READ,
    MOPIXDLLERR_FILE_WRITE,
    MOPIXDLLERR_nouse19,
    MOPIXDLLERR_USERBREAK,
    MOPIXDLLERR_USERDATA,
};
static_assert(sizeof(MopixDllErr) == 1);
static_assert(MOPIXDLLERR_USERDATA == 21 && uint8_t(codec::CodecStatus::UserData) == 21);
static_assert(MOPIXDLLERR_EXTRACT == uint8_t(codec::CodecStatus::Extract) &&
              MOPIXDLLERR_FILE_READ == uint8_t(codec::CodecStatus::FileRead) &&
              MOPIXDLLERR_COLORMODE == uint8_t(codec::CodecStatus::ColorMode));

inline MopixDllErr toMopixDllErr(codec::CodecStatus s) { return MopixDllErr(uint8_t(s)); }

// The work space every writer passes to compressToStream.
inline constexpr uint32_t kCompressWorkBytes = 16384;

// Compresses srcLen bytes at src and appends the compressed block at the stream's current
// position, passing it through workBuf (given kCompressWorkBytes when empty). Answers the number of
// compressed bytes written, or 0 on failure (the stream may then hold part of the block).
int32_t compressToStream(const void *src, uint32_t srcLen, std::vector<uint8_t> &workBuf,
                         QIODevice &stream);

// Compresses srcLen bytes at src into dst, which is grown when it is too small (the event recorder
// starts it at 65536 bytes). Answers the compressed size, which always fits dst.size(), or 0 on
// failure.
int32_t compressToMemory(const void *src, uint32_t srcLen, std::vector<uint8_t> &dst);

// The stream writer of compressToStream: writes elemSize x count bytes and answers the number of
// whole elements written.
int32_t dllStreamWrite(const void *buffer, size_t elemSize, size_t count, QIODevice &stream);

// The growth step of compressToMemory: block resized to newSize bytes (contents kept); its new
// address, or nullptr when the memory cannot be had.
uint8_t *dllRealloc(std::vector<uint8_t> &block, size_t newSize);
