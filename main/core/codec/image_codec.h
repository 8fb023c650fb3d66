// The program's binding of the image codec library: image files read into 32-bit canvases, the
// codec's result codes, and compression of memory blocks into a stream or into a growable block
// (for the native image file, the chunk records and the event recorder).
//
// Compressed blocks are unpacked by their readers directly through codec::codecDecompress, which is
// told both lengths and succeeds only when it gives back exactly the expected bytes.
#pragma once

#include "core/base/geometry.h"
#include "platform/codec/codec_status.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class QIODevice;
class TMTC;
struct tagBITMAPINFOHEADER;

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

// Reads the image file at path into a new canvas, choosing the reader by the path's extension
// compared without regard to case: ".bmp"; ".jpg", ".jpeg", ".jpe", ".jif", ".jfif", ".jfi";
// ".png"; ".psd" (the merged picture). Any other extension is refused before the file is opened.
// When dpi is given it receives the file's resolution in dots per inch (0 when it has none). Null
// on any failure, with the code in err when given (MOPIXDLLERR_NO_SUPPORT for an extension).
std::unique_ptr<TMTC> loadImageFile(const QString &path, int32_t *dpi,
                                    MopixDllErr *err = nullptr);

// The merged picture of a ".psd" file (any other extension gives null at once) and the document's
// size in docSize. The file-dialog preview calls it first and falls back to loadImageFile.
std::unique_ptr<TMTC> loadPsdImage(const QString &path, sSize &docSize,
                                   MopixDllErr *err = nullptr);

// A new canvas of the DIB's width and height holding its pixels, rows top-down (24-bit pixels
// become opaque). Null when the DIB is not a 24- or 32-bit one whose rows lie inside bits, its
// sides are not 1..10000, or the canvas cannot be made.
std::unique_ptr<TMTC> dibToCanvas(const tagBITMAPINFOHEADER &info, std::span<const uint8_t> bits);

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
