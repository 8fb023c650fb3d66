// The inside of a PSD handle, shared by its reader and writer.
#pragma once

#include "platform/codec/psd_codec.h"

#include <map>

namespace codec {

// Where one channel's data lie in the file, checked at opening.
struct SPsdChannelRef
{
    int32_t id = 0;
    int64_t offset = 0; // of the compression word
    int64_t length = 0; // compression word included
    int32_t boxX = 0, boxY = 0, boxW = 0, boxH = 0;
};

struct SPsdLayerRef
{
    SPsdLayerInfo info;
    std::vector<SPsdChannelRef> channels;
};

struct CPsdFile::Impl
{
    // ---- reading
    QByteArray file;
    bool readable = false;
    SPsdDocInfo doc;
    int32_t depth = 0;
    int32_t colorMode = 0;
    std::map<uint16_t, std::pair<int64_t, int64_t>> resources; // id -> offset, size
    std::vector<SPsdLayerRef> layers;
    int64_t mergedOffset = 0; // of the merged image's compression word
    int64_t mergedEnd = 0;
    std::vector<int64_t> mergedRows; // RLE: offset of every row of every channel, then the end

    // ---- writing
    bool hasDocInfo = false;
    int32_t version = 6;

    [[nodiscard]] CodecStatus parse();
    uint32_t resource(uint16_t id, std::span<uint8_t> buffer) const;
};

// The text in the code page of the one-byte name fields (Shift_JIS), at most maxBytes bytes, cut
// at a whole character (never half of a double-byte one).
QByteArray psdAnsiCut(const QString &text, int maxBytes);

} // namespace codec
