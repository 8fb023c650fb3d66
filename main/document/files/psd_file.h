// PSD import and export: the bridge between the document and the PSD codec of platform/codec.
// Opening asks the codec for the document record, each layer record and each channel and builds
// layers (and masks from the alpha channels); saving hands the codec a document record and an
// export context whose callbacks give it every layer, channel, alpha channel and the thumbnail.
//
// Status codes (one byte, those of the chunked files joined by the PSD ones of eChunkStatus):
// import: 4 missing file, 53 the file cannot be opened as a PSD, 52 nothing readable, 55 no document
// record, 15 an image type or depth other than 8-bit grey or RGB or 1-bit, 21 a layer not created,
// 56 no channel of the merged image, 57 no channel of a layer or no layer at all, 29 a mask not
// created, 35 a mask not inserted, 58 no mask from alpha channels, 3 an exception. Errors in layers
// or alpha channels are warned of and the document keeps what was read.
// export: 5 the file exists (without overwrite), 53 no codec handle, 62 more masks holding an
// image than the 21 a file takes (nothing written), and the codec's results by psdErrorToStatus.
#pragma once

#include "platform/codec/codec_status.h"
#include "platform/codec/dib.h"

#include <QString>

#include <cstdint>

class IPaperProgress;
class TMTC;
class TPaper;

namespace codec {
class CPsdFile;
struct SPsdDocInfo;
struct SPsdLayerInfo;
} // namespace codec

// PSD status codes joined to eChunkStatus.
inline constexpr uint8_t CS_PSD_FILE_EXISTS = 5;
inline constexpr uint8_t CS_PSD_BAD_TYPE = 15;
inline constexpr uint8_t CS_PSD_MASK_NOT_MADE = 29;
inline constexpr uint8_t CS_PSD_MASK_NOT_ADDED = 35;
inline constexpr uint8_t CS_PSD_NO_SUPPORT = 38;
inline constexpr uint8_t CS_PSD_NOT_READABLE = 52;
inline constexpr uint8_t CS_PSD_NO_HANDLE = 53;
inline constexpr uint8_t CS_PSD_NO_DOC_RECORD = 55;
inline constexpr uint8_t CS_PSD_NO_MERGED_CHANNEL = 56;
inline constexpr uint8_t CS_PSD_NO_LAYER = 57;
inline constexpr uint8_t CS_PSD_NO_MASK = 58;
inline constexpr uint8_t CS_PSD_SETUP = 61;
inline constexpr uint8_t CS_PSD_PARAM = 62;
inline constexpr uint8_t CS_PSD_RANGE = 63;
inline constexpr uint8_t CS_PSD_FAILED = 64;
inline constexpr uint8_t CS_PSD_USER_BREAK = 65;
inline constexpr uint8_t CS_PSD_USER_DATA = 66;

// The masks a file can take: 24 channels less the three colours.
inline constexpr int32_t kPsdMaxMaskChannels = 21;

// Rebuilds paper (of a fresh document window) from the file; 0 when at least one layer was made.
uint8_t loadPsdFile(const QString &path, TPaper &paper);
// The same from a handle already open on a file.
uint8_t loadPsdFile(codec::CPsdFile &file, const QString &path, TPaper &paper);
// Writes the document as a PSD file for the program version `version` (3..7, the profile's
// psdSaveVer); the old file stays as it was on every failure.
uint8_t savePsdFile(const QString &path, TPaper &paper, int32_t version, bool overwrite);

// One layer from its record, created at the record's index (see the codes above).
uint8_t importPsdLayer(TPaper &paper, const codec::CPsdFile &file, const codec::SPsdDocInfo &doc,
                       const codec::SPsdLayerInfo &info, IPaperProgress *progress);
// Layer 0 from the merged image.
uint8_t importPsdBackground(TPaper &paper, const codec::CPsdFile &file,
                            const codec::SPsdDocInfo &doc);
// The document's alpha channels as masks, named from resources 1045 or 1006.
uint8_t importPsdAlphaChannels(TPaper &paper, const codec::CPsdFile &file,
                               const codec::SPsdDocInfo &doc, IPaperProgress *progress);
// The document's picture (composeOutsidePicture) reduced to the largest size of its aspect inside
// 128 x 128, its width rounded up to a multiple of 4, on white: a 32-bit bottom-up DIB. Empty when
// it cannot be made.
codec::CodecImage makePsdThumbnail(const TMTC &picture);
// The byte of an sBGRA pixel that a channel id fills: 0 red -> 2, 1 green -> 1, 2 blue -> 0,
// -1 transparency -> 3; -1 for any other id.
int32_t psdChannelToByte(int32_t id);
// 0 for a document whose pixels are read (8-bit grey or RGB, 1-bit), else 15: the import and
// anything else that reads a file's pixels refuse alike.
uint8_t psdCheckImageType(const codec::SPsdDocInfo &doc);
// A codec result (its low 7 bits) as a status code.
uint8_t psdErrorToStatus(uint8_t err);
