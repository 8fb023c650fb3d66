#include "format/image_records.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/codec/image_codec.h"
#include "format/chunk.h"
#include "platform/codec/block_compress.h"

#include <QFile>
#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr uint32_t kTagQTNL = chunkTag("QTNL");
constexpr uint32_t kDescSize = sizeof(SImageRecordDesc);
constexpr size_t kScrambleBlock = 16384;
// A compressed block cannot unpack to more than about 1032 times its length (the deflate limit);
// a record claiming more is refused before its output is reserved.
constexpr uint64_t kMaxUnpackRatio = 1100;
constexpr uint64_t kMaxUnpackSlack = 4096;

bool isKnownKind(uint16_t kind)
{
    const uint8_t k = uint8_t(kind & 0xFF); // only the low byte is tested
    return k == IRK_PLAIN || k == IRK_SCRAMBLED;
}

bool isScrambled(const SImageRecordDesc &desc)
{
    return uint8_t(desc.kind & 0xFF) == IRK_SCRAMBLED;
}

bool isChannelSubType(uint16_t subType)
{
    return subType == IRS_TONE_CELL || subType == IRS_NIB_SHAPE;
}

void reverseGroups(std::span<uint8_t> block, size_t group)
{
    if (group <= 1) {
        return;
    }
    for (size_t at = 0; at + group <= block.size(); at += group) {
        std::reverse(block.begin() + at, block.begin() + at + group);
    }
}

void xorStride(std::span<uint8_t> block, uint8_t b, size_t step)
{
    if (b == 0) {
        return;
    }
    const uint8_t mask = uint8_t(~b);
    for (size_t at = 0; at < block.size(); at += step) {
        block[at] ^= mask;
    }
}

template <class F> void forEachScrambleBlock(std::span<uint8_t> bytes, F f)
{
    for (size_t at = 0; at < bytes.size(); at += kScrambleBlock) {
        f(bytes.subspan(at, std::min(kScrambleBlock, bytes.size() - at)));
    }
}

void putDesc(uint8_t *p, const SImageRecordDesc &d)
{
    qToLittleEndian<uint16_t>(d.kind, p + 0);
    qToLittleEndian<uint16_t>(d.subType, p + 2);
    p[4] = d.groupLen;
    p[5] = d.xorByte;
    p[6] = d.strideLess1;
    p[7] = d.extraBytes;
    qToLittleEndian<int32_t>(d.srcWidth, p + 8);
    qToLittleEndian<int32_t>(d.srcHeight, p + 12);
    qToLittleEndian<int32_t>(d.width, p + 16);
    qToLittleEndian<int32_t>(d.height, p + 20);
    qToLittleEndian<uint32_t>(d.storedLen, p + 24);
    qToLittleEndian<uint32_t>(d.rawLen, p + 28);
    std::memset(p + 32, 0, 8);
}

SImageRecordDesc getDesc(const uint8_t *p)
{
    SImageRecordDesc d;
    d.kind = qFromLittleEndian<uint16_t>(p + 0);
    d.subType = qFromLittleEndian<uint16_t>(p + 2);
    d.groupLen = p[4];
    d.xorByte = p[5];
    d.strideLess1 = p[6];
    d.extraBytes = p[7];
    d.srcWidth = qFromLittleEndian<int32_t>(p + 8);
    d.srcHeight = qFromLittleEndian<int32_t>(p + 12);
    d.width = qFromLittleEndian<int32_t>(p + 16);
    d.height = qFromLittleEndian<int32_t>(p + 20);
    d.storedLen = qFromLittleEndian<uint32_t>(p + 24);
    d.rawLen = qFromLittleEndian<uint32_t>(p + 28);
    std::memcpy(d.reserved, p + 32, 8);
    return d;
}

// The stored data of a record: the compressed block, scrambled for kind 2 and followed by the
// extra bytes. The extra bytes are the start of the scrambling work block after its last use, so
// they are always the same for the same pixels.
uint8_t packStoredData(const SImageRecordDesc &desc, std::span<const uint8_t> pixels,
                       std::vector<uint8_t> &stored)
{
    const int32_t packed = compressToMemory(pixels.data(), desc.rawLen, stored);
    if (packed <= 0) {
        return CS_WRITE_FAILED;
    }
    stored.resize(size_t(packed));
    if (!isScrambled(desc)) {
        return CS_OK;
    }
    std::vector<uint8_t> work(kScrambleBlock, 0);
    forEachScrambleBlock(stored, [&](std::span<uint8_t> block) {
        std::memcpy(work.data(), block.data(), block.size());
        const std::span<uint8_t> piece(work.data(), block.size());
        reverseGroups(piece, desc.groupLen);
        xorStride(piece, desc.xorByte, size_t(desc.strideLess1) + 1);
        std::memcpy(block.data(), work.data(), block.size());
    });
    stored.insert(stored.end(), work.begin(), work.begin() + desc.extraBytes);
    return CS_OK;
}

bool readExactly(QIODevice &stream, void *dst, int64_t n)
{
    return stream.read(static_cast<char *>(dst), n) == n;
}

// The checks of a descriptor that need no data: what readImageRecordData refuses with 17.
bool descSizesAgree(const SImageRecordDesc &d, uint32_t chunkSize)
{
    if (uint64_t(chunkSize) < uint64_t(kDescSize) + d.storedLen) {
        return false;
    }
    if (isScrambled(d) && d.extraBytes > d.storedLen) {
        return false;
    }
    if (d.width < 1 || d.height < 1 || d.width > kImageRecordMaxSide ||
        d.height > kImageRecordMaxSide) {
        return false;
    }
    return d.rawLen > 0 && uint64_t(d.rawLen) <= uint64_t(d.width) * uint64_t(d.height) * 4;
}

uint8_t unpackStoredData(const SImageRecordDesc &desc, std::vector<uint8_t> &stored,
                         std::vector<uint8_t> &data)
{
    const size_t packed = stored.size() - (isScrambled(desc) ? desc.extraBytes : 0);
    const std::span<uint8_t> block(stored.data(), packed);
    if (isScrambled(desc)) {
        unscrambleImageData(block, desc);
    }
    if (!codec::codecBlockMayUnpackTo(block, desc.rawLen)) {
        return CS_READ_FAILED; // refused before the output is reserved
    }
    data.resize(desc.rawLen);
    if (codec::codecDecompress(block, data) != codec::CodecStatus::Nothing) {
        data.clear();
        return CS_READ_FAILED;
    }
    return CS_OK;
}

// readImageRecordData with a test of the sub-type made before any data is read.
uint8_t readRecord(QIODevice &stream, SImageRecordDesc &desc, std::vector<uint8_t> &data,
                   int64_t &chunkLength, bool (*acceptSubType)(uint16_t))
{
    data.clear();
    chunkLength = 0;
    const int64_t start = stream.pos();
    uint8_t head[kImageRecordHeadSize];
    if (!readExactly(stream, head, sizeof head)) {
        return CS_READ_FAILED;
    }
    if (qFromLittleEndian<uint32_t>(head) != kTagQTNL) {
        return CS_BAD_TAG;
    }
    const uint32_t size = qFromLittleEndian<uint32_t>(head + 4);
    chunkLength = int64_t(size) + kChunkHeaderSize;
    const SImageRecordDesc d = getDesc(head + kChunkHeaderSize);
    if (!isKnownKind(d.kind)) {
        return CS_BAD_IMAGE_KIND;
    }
    if (!descSizesAgree(d, size)) {
        return CS_BAD_SIZE;
    }
    if (!stream.isSequential() && start + chunkLength > stream.size()) {
        return CS_PAST_END;
    }
    if (acceptSubType && !acceptSubType(d.subType)) {
        return CS_BAD_TYPE;
    }
    const uint64_t packed = d.storedLen - (isScrambled(d) ? d.extraBytes : 0);
    if (d.rawLen > packed * kMaxUnpackRatio + kMaxUnpackSlack) {
        return CS_READ_FAILED; // no block of that length unpacks to so many bytes
    }
    try {
        std::vector<uint8_t> stored(d.storedLen);
        if (!readExactly(stream, stored.data(), d.storedLen)) {
            return CS_READ_FAILED;
        }
        if (!stream.seek(start + chunkLength)) {
            return CS_READ_FAILED;
        }
        if (const uint8_t code = unpackStoredData(d, stored, data); code != CS_OK) {
            return code;
        }
    } catch (const std::bad_alloc &) {
        data.clear();
        return CS_NO_MEMORY;
    }
    desc = d;
    return CS_OK;
}

// The unpacked bytes into an image's block: at most its byte count, the rest zero.
void fillImageBytes(const CDibCore &image, const std::vector<uint8_t> &data)
{
    const size_t bytes = image.getImageDataBytes();
    const size_t n = std::min(bytes, data.size());
    std::memcpy(image.buffer(), data.data(), n);
    std::memset(image.buffer() + n, 0, bytes - n);
}

} // namespace

void setWriterScramble(SImageRecordDesc &desc)
{
    desc.kind = IRK_SCRAMBLED;
    desc.groupLen = 7;
    desc.xorByte = 0x5A;
    desc.strideLess1 = 2;
    desc.extraBytes = 3;
}

void scrambleImageData(std::span<uint8_t> bytes, const SImageRecordDesc &desc)
{
    forEachScrambleBlock(bytes, [&](std::span<uint8_t> block) {
        reverseGroups(block, desc.groupLen);
        xorStride(block, desc.xorByte, size_t(desc.strideLess1) + 1);
    });
}

void unscrambleImageData(std::span<uint8_t> bytes, const SImageRecordDesc &desc)
{
    forEachScrambleBlock(bytes, [&](std::span<uint8_t> block) {
        xorStride(block, desc.xorByte, size_t(desc.strideLess1) + 1);
        reverseGroups(block, desc.groupLen);
    });
}

uint8_t writeImageRecord(QIODevice &stream, SImageRecordDesc &desc, std::span<const uint8_t> pixels)
{
    if (!isKnownKind(desc.kind)) {
        return CS_BAD_IMAGE_KIND;
    }
    if (desc.rawLen == 0 || pixels.size() < desc.rawLen) {
        return CS_ITEM_NOT_WRITABLE;
    }
    if (!isScrambled(desc)) {
        desc.groupLen = desc.xorByte = desc.strideLess1 = desc.extraBytes = 0;
    }
    try {
        std::vector<uint8_t> stored;
        if (const uint8_t code = packStoredData(desc, pixels, stored); code != CS_OK) {
            return code;
        }
        if (stored.size() > UINT32_MAX - kDescSize - 3) {
            return CS_WRITE_FAILED;
        }
        desc.storedLen = uint32_t(stored.size());
        const uint32_t padding = chunkPadding(desc.storedLen);
        QByteArray record(qsizetype(kImageRecordHeadSize) + qsizetype(stored.size()) + padding,
                          '\0');
        auto *p = reinterpret_cast<uint8_t *>(record.data());
        qToLittleEndian<uint32_t>(kTagQTNL, p);
        qToLittleEndian<uint32_t>(kDescSize + desc.storedLen + padding, p + 4);
        putDesc(p + kChunkHeaderSize, desc);
        std::memcpy(p + kImageRecordHeadSize, stored.data(), stored.size());
        return writeBytes(stream, record);
    } catch (const std::bad_alloc &) {
        return CS_NO_MEMORY;
    }
}

uint8_t writeColorImageRecord(QIODevice &stream, SImageRecordDesc &desc,
                              std::span<const uint8_t> pixels)
{
    return writeChunkSafely(stream,
                            [&](QIODevice &s) { return writeImageRecord(s, desc, pixels); });
}

uint8_t writeThumbnailRecord(QIODevice &stream, const sSize &sourceSize, const TMTC &image,
                             bool scrambled)
{
    if (!image.isEnable()) {
        return CS_ITEM_NOT_WRITABLE;
    }
    SImageRecordDesc desc;
    if (scrambled) {
        setWriterScramble(desc);
    }
    desc.subType = IRS_THUMBNAIL;
    desc.srcWidth = sourceSize.x;
    desc.srcHeight = sourceSize.y;
    desc.width = image.width();
    desc.height = image.height();
    desc.rawLen = image.getImageDataBytes();
    return writeColorImageRecord(stream, desc, std::span(image.buffer(), desc.rawLen));
}

sSize thumbnailSize(const sSize &paperSize)
{
    sBox box;
    boxFitAspect(box, {kThumbnailMaxSide, kThumbnailMaxSide}, paperSize);
    return {std::max(box.w, 1), std::max(box.h, 1)};
}

uint8_t writeDocumentThumbnail(QIODevice &stream, const SThumbnailSource &paper, bool scrambled)
{
    try {
        const bool dirty = paper.isVramDirty && paper.isVramDirty();
        if (dirty && paper.updateVRAM) {
            paper.updateVRAM();
        }
        const TMTC *vram = paper.displayImage ? paper.displayImage() : nullptr;
        uint8_t code = CS_NO_MEMORY;
        if (vram && vram->isEnable()) {
            TMTC thumb;
            if (thumb.Resize(thumbnailSize(paper.paperSize))) {
                vram->FilterSmallenHQ(thumb);
                thumb.setAlphaAll(255);
                code = writeThumbnailRecord(stream, paper.paperSize, thumb, scrambled);
            }
        }
        if (dirty && paper.drawOptionalImage) {
            paper.drawOptionalImage();
        }
        return code;
    } catch (...) {
        return CS_EXCEPTION;
    }
}

uint8_t readImageRecordData(QIODevice &stream, SImageRecordDesc &desc, std::vector<uint8_t> &data,
                            int64_t &chunkLength)
{
    return readRecord(stream, desc, data, chunkLength, nullptr);
}

uint8_t readImageRecord(QIODevice &stream, std::unique_ptr<TMTC> &image, int64_t *chunkLength)
{
    SImageRecordDesc desc;
    std::vector<uint8_t> data;
    int64_t length = 0;
    const uint8_t code = readRecord(stream, desc, data, length,
                                    [](uint16_t subType) { return !isChannelSubType(subType); });
    if (chunkLength) {
        *chunkLength = length;
    }
    if (code != CS_OK) {
        return code;
    }
    auto canvas = std::make_unique<TMTC>();
    if (!canvas->Resize(desc.width, desc.height)) {
        return CS_NO_MEMORY;
    }
    fillImageBytes(*canvas, data);
    image = std::move(canvas);
    return CS_OK;
}

uint8_t readChannelRecord(QIODevice &stream, SImageRecordDesc &desc,
                          std::unique_ptr<TChannel> &channel, int64_t &chunkLength)
{
    std::vector<uint8_t> data;
    if (const uint8_t code = readRecord(stream, desc, data, chunkLength, isChannelSubType);
        code != CS_OK) {
        return code;
    }
    auto ch = std::make_unique<TChannel>();
    if (!ch->Resize(desc.width, desc.height)) {
        return CS_NO_MEMORY;
    }
    fillImageBytes(*ch, data);
    channel = std::move(ch);
    return CS_OK;
}

uint8_t findThumbnail(QIODevice &stream, std::unique_ptr<TMTC> &image)
{
    image.reset();
    const int64_t end = stream.size();
    while (stream.pos() < end) {
        const int64_t start = stream.pos();
        SChunkHeader head;
        if (readChunkHeader(stream, head) != CS_OK) {
            return CS_READ_FAILED;
        }
        if (head.tag == kTagQTNL) {
            uint8_t desc[kDescSize];
            if (!readExactly(stream, desc, sizeof desc)) {
                return CS_READ_FAILED;
            }
            if (qFromLittleEndian<uint16_t>(desc + 2) == IRS_THUMBNAIL) {
                if (!stream.seek(start)) {
                    return CS_SEEK_FAILED;
                }
                return readImageRecord(stream, image);
            }
        }
        if (const uint8_t code = skipChunk(stream, start, head); code != CS_OK) {
            return code;
        }
    }
    return CS_OK;
}

uint8_t readFileThumbnail(const QString &path, std::unique_ptr<TMTC> &image, sSize *size,
                          const TNativeHeadReader &readHead)
{
    if (!QFile::exists(path)) {
        return CS_FILE_MISSING;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return CS_CANNOT_OPEN;
    }
    try {
        sSize docSize;
        if (!readHead) {
            return CS_BAD_TAG;
        }
        if (const uint8_t code = readHead(file, docSize); code != CS_OK) {
            return code;
        }
        if (size) {
            *size = docSize;
        }
        return findThumbnail(file, image);
    } catch (...) {
        return CS_EXCEPTION;
    }
}
