#include "format/mask_records.h"

#include "core/codec/image_codec.h"
#include "core/mask/mask_manager.h"
#include "core/tiles/block_channel.h"
#include "format/chunk.h"
#include "platform/codec/block_compress.h"
#include "platform/desktop/messages.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

constexpr uint32_t kTagQMSK = chunkTag("QMSK");
constexpr uint32_t kTagQBMK = chunkTag("QBMK");
constexpr int32_t kBlockSide = CBlockVCH::kUnit;
constexpr uint32_t kBlockBytes = CBlockVCH::kUnitBytes;
constexpr uint32_t kRunKindDrawn = 1;
constexpr uint32_t kRunKindUndrawn = 2;
// The chunk size counts the head after its first 8 bytes.
constexpr uint32_t kMaskHeadRest = kMaskHeadSize - kChunkHeaderSize;
constexpr uint32_t kRunHeadRest = kMaskRunHeadSize - kChunkHeaderSize;

template <class T> void put(uint8_t *p, int offset, T v)
{
    qToLittleEndian<T>(v, p + offset);
}

template <class T> T get(const uint8_t *p, int offset)
{
    return qFromLittleEndian<T>(p + offset);
}

bool readExactly(QIODevice &stream, void *dst, int64_t n)
{
    return stream.read(static_cast<char *>(dst), n) == n;
}

bool isDrawn(const SBlockPack &pack)
{
    return pack.commit;
}

// ---- writing

QByteArray maskHead(const sSize &paperSize, const CMaskData &mask)
{
    QByteArray bytes(kMaskHeadSize, '\0');
    auto *p = reinterpret_cast<uint8_t *>(bytes.data());
    put<uint32_t>(p, 0, kTagQMSK);
    put<uint32_t>(p, 4, kMaskHeadRest + wideTextAreaSize(uint32_t(mask.title.size())));
    put<int32_t>(p, 8, mask.index);
    if (mask.hasMask()) {
        const CBlockVCH &img = *mask.maskTC;
        put<uint16_t>(p, 12, 1);
        put<int32_t>(p, 16, img.getUnitSize().x);
        put<int32_t>(p, 20, img.getUnitSize().y);
        put<int32_t>(p, 24, img.getRepSize().x);
        put<int32_t>(p, 28, img.getRepSize().y);
        put<int32_t>(p, 32, img.width());
        put<int32_t>(p, 36, img.height());
    }
    put<int32_t>(p, 40, mask.viewPos.x);
    put<int32_t>(p, 44, mask.viewPos.y);
    put<int32_t>(p, 48, paperSize.x);
    put<int32_t>(p, 52, paperSize.y);
    put<uint32_t>(p, 56, 0); // blocks never drawn read 0: a new mask image selects nothing
    put<uint16_t>(p, 60, uint16_t(mask.title.size() * 2 + 1));
    put<uint16_t>(p, 62, 0);
    return bytes;
}

QByteArray runHead(uint32_t size, uint32_t kind, int32_t count, uint32_t packed, uint32_t raw)
{
    return blockRunHead(kTagQBMK, size, kBlockSide, kind, count, packed, raw);
}

// count drawn blocks from block index first: their bytes gathered and compressed as one block.
uint8_t writeDrawnRun(QIODevice &stream, const CBlockVCH &img, int32_t first, int32_t count)
{
    std::vector<uint8_t> gathered(size_t(count) * kBlockBytes);
    for (int32_t i = 0; i < count; ++i) {
        std::memcpy(gathered.data() + size_t(i) * kBlockBytes, img.blockAt(first + i).vAddr.get(),
                    kBlockBytes);
    }
    std::vector<uint8_t> packed;
    const int32_t n = compressToMemory(gathered.data(), uint32_t(gathered.size()), packed);
    if (n <= 0) {
        return CS_WRITE_FAILED;
    }
    const uint32_t padding = chunkPadding(uint32_t(n));
    QByteArray run = runHead(kRunHeadRest + uint32_t(n) + padding, kRunKindDrawn, count,
                             uint32_t(n), uint32_t(gathered.size()));
    run.append(reinterpret_cast<const char *>(packed.data()), n);
    run.append(QByteArray(padding, '\0'));
    return writeBytes(stream, run);
}

// count undrawn blocks from block index first: one uniform value each.
uint8_t writeUndrawnRun(QIODevice &stream, const CBlockVCH &img, int32_t first, int32_t count)
{
    const uint32_t raw = uint32_t(count) * 4;
    QByteArray run = runHead(kRunHeadRest + raw, kRunKindUndrawn, count, 0, raw);
    const qsizetype at = run.size();
    run.resize(at + qsizetype(raw));
    auto *p = reinterpret_cast<uint8_t *>(run.data() + at);
    for (int32_t i = 0; i < count; ++i) {
        put<uint32_t>(p, 4 * i, img.blockAt(first + i).bgCol.all);
    }
    return writeBytes(stream, run);
}

// The blocks in raster order, neighbours of one state grouped; drawn runs close at 16 blocks.
uint8_t writeRuns(QIODevice &stream, const CBlockVCH &img)
{
    const int32_t total = img.blockCount();
    for (int32_t first = 0; first < total;) {
        const bool drawn = isDrawn(img.blockAt(first));
        int32_t count = 1;
        while (first + count < total && isDrawn(img.blockAt(first + count)) == drawn &&
               (!drawn || count < kMaskRunMaxDrawn)) {
            ++count;
        }
        const uint8_t code = drawn ? writeDrawnRun(stream, img, first, count)
                                   : writeUndrawnRun(stream, img, first, count);
        if (code != CS_OK) {
            return code;
        }
        first += count;
    }
    return CS_OK;
}

uint8_t writeMaskChunks(QIODevice &stream, const sSize &paperSize, const CMaskData &mask)
{
    if (mask.title.size() > 32767) {
        return CS_ITEM_NOT_WRITABLE; // the head's title field is 16 bits
    }
    if (const uint8_t code = writeBytes(stream, maskHead(paperSize, mask)); code != CS_OK) {
        return code;
    }
    if (const uint8_t code = writeWideTextArea(stream, mask.title); code != CS_OK) {
        return code;
    }
    if (!mask.hasMask()) {
        return CS_OK;
    }
    if (mask.maskTC->blockUnit() != kBlockSide) {
        return CS_MASK_BLOCK_SIZE;
    }
    try {
        return writeRuns(stream, *mask.maskTC);
    } catch (const std::bad_alloc &) {
        return CS_NO_MEMORY;
    }
}

// ---- reading

struct SMaskHead
{
    int32_t index = 0;
    bool hasImage = false;
    sSize block, blocks, image;
    sPos viewPos;
    uint16_t titleField = 0;
    uint16_t version = 0;
};

SMaskHead parseMaskHead(const uint8_t *p)
{
    SMaskHead h;
    h.index = get<int32_t>(p, 0);
    h.hasImage = (get<uint16_t>(p, 4) & 1) != 0;
    h.block = {get<int32_t>(p, 8), get<int32_t>(p, 12)};
    h.blocks = {get<int32_t>(p, 16), get<int32_t>(p, 20)};
    h.image = {get<int32_t>(p, 24), get<int32_t>(p, 28)};
    h.viewPos = {get<int32_t>(p, 32), get<int32_t>(p, 36)};
    h.titleField = get<uint16_t>(p, 52);
    h.version = get<uint16_t>(p, 54);
    return h;
}

// The image a head describes can be made: its size within bounds and its block grid the one a
// 64-pixel tiling of that size has.
bool isPossibleImage(const SMaskHead &h)
{
    if (h.image.x < 1 || h.image.y < 1 || h.image.x > kMaskMaxSide || h.image.y > kMaskMaxSide) {
        return false;
    }
    return h.blocks.x == (h.image.x + kBlockSide - 1) / kBlockSide &&
           h.blocks.y == (h.image.y + kBlockSide - 1) / kBlockSide;
}

struct SRunHead
{
    uint32_t size = 0;
    sSize block;
    uint32_t kind = 0;
    int32_t count = 0;
    uint32_t packed = 0;
    uint32_t raw = 0;
};

uint8_t readRunHead(QIODevice &stream, SRunHead &run)
{
    const int64_t start = stream.pos();
    uint8_t p[kMaskRunHeadSize];
    if (!readExactly(stream, p, sizeof p)) {
        return CS_READ_FAILED;
    }
    if (get<uint32_t>(p, 0) != kTagQBMK) {
        return CS_BAD_TAG;
    }
    run.size = get<uint32_t>(p, 4);
    run.block = {get<int32_t>(p, 8), get<int32_t>(p, 12)};
    run.kind = get<uint32_t>(p, 16);
    run.count = get<int32_t>(p, 20);
    run.packed = get<uint32_t>(p, 24);
    run.raw = get<uint32_t>(p, 28);
    if (run.size < kRunHeadRest) {
        return CS_MASK_RUN_PLACE;
    }
    if (!stream.isSequential() && start + kChunkHeaderSize + int64_t(run.size) > stream.size()) {
        return CS_PAST_END;
    }
    return CS_OK;
}

// A drawn run: count blocks of 4096 bytes unpacked into the blocks from index next.
uint8_t placeDrawnRun(QIODevice &stream, const SRunHead &run, CBlockVCH &img, int32_t next)
{
    if (uint64_t(run.count) * kBlockBytes != run.raw || run.packed < 1 ||
        run.packed > run.size - kRunHeadRest) {
        return CS_MASK_RUN_PLACE;
    }
    std::vector<uint8_t> packed(run.packed);
    if (!readExactly(stream, packed.data(), run.packed)) {
        return CS_READ_FAILED;
    }
    if (!codec::codecBlockMayUnpackTo(packed, run.raw)) {
        return CS_READ_FAILED; // refused before the blocks are reserved
    }
    std::vector<uint8_t> blocks(run.raw);
    if (codec::codecDecompress(packed, blocks) != codec::CodecStatus::Nothing) {
        return CS_READ_FAILED;
    }
    for (int32_t i = 0; i < run.count; ++i) {
        SBlockPack &pack = img.blockAt(next + i);
        if (!img.commitBlock(pack)) {
            return CS_MASK_NO_BLOCK;
        }
        std::memcpy(pack.vAddr.get(), blocks.data() + size_t(i) * kBlockBytes, kBlockBytes);
    }
    return CS_OK;
}

// An undrawn run: one value a block, whose low byte is the mask value of the whole block.
uint8_t placeUndrawnRun(QIODevice &stream, const SRunHead &run, CBlockVCH &img, int32_t next)
{
    const uint64_t bytes = uint64_t(run.count) * 4;
    if (bytes > run.size - kRunHeadRest) {
        return CS_MASK_RUN_PLACE;
    }
    std::vector<uint8_t> values(bytes);
    if (!readExactly(stream, values.data(), int64_t(bytes))) {
        return CS_READ_FAILED;
    }
    for (int32_t i = 0; i < run.count; ++i) {
        SBlockPack &pack = img.blockAt(next + i);
        const uint8_t v = uint8_t(get<uint32_t>(values.data(), 4 * i));
        pack.bgCol.all = v;
        if (pack.commit) {
            std::memset(pack.vAddr.get(), v, kBlockBytes);
        }
    }
    return CS_OK;
}

// One run at the stream position into the blocks from index next; next moves past them.
uint8_t readRun(QIODevice &stream, CBlockVCH &img, int32_t &next)
{
    const int64_t start = stream.pos();
    SRunHead run;
    if (const uint8_t code = readRunHead(stream, run); code != CS_OK) {
        return code;
    }
    if (run.block.x != kBlockSide || run.block.y != kBlockSide) {
        return CS_MASK_BLOCK_SIZE;
    }
    if (run.kind != kRunKindDrawn && run.kind != kRunKindUndrawn) {
        return CS_MASK_RUN_KIND;
    }
    if (run.count <= 0) {
        return CS_MASK_EMPTY_RUN;
    }
    if (run.count > img.blockCount() - next) {
        return CS_MASK_RUN_PLACE; // past the last block
    }
    const uint8_t code = run.kind == kRunKindDrawn ? placeDrawnRun(stream, run, img, next)
                                                   : placeUndrawnRun(stream, run, img, next);
    if (code != CS_OK) {
        return code;
    }
    next += run.count;
    return stream.seek(start + kChunkHeaderSize + run.size) ? CS_OK : CS_READ_FAILED;
}

uint8_t readRuns(QIODevice &stream, CBlockVCH &img)
{
    for (int32_t next = 0; next < img.blockCount();) {
        if (const uint8_t code = readRun(stream, img, next); code != CS_OK) {
            return code;
        }
    }
    img.shrinkMemory();
    return CS_OK;
}

uint8_t readMaskTitle(QIODevice &stream, uint32_t areaBytes, uint16_t fileVersion, QString &title)
{
    return fileVersion >= 2 ? readWideString(stream, areaBytes, title)
                            : readAnsiString(stream, areaBytes, title);
}

uint8_t readMask(QIODevice &stream, const SMaskReadTarget &paper, uint32_t chunkSize,
                 const SMaskProgress *progress)
{
    const int64_t bodyStart = stream.pos();
    if (chunkSize < kMaskHeadRest) {
        return CS_BAD_SIZE;
    }
    uint8_t p[kMaskHeadRest];
    if (!readExactly(stream, p, sizeof p)) {
        return CS_READ_FAILED;
    }
    const SMaskHead h = parseMaskHead(p);
    if (h.version != 0) {
        return CS_BAD_VERSION;
    }
    if (!stream.isSequential() && bodyStart + int64_t(chunkSize) > stream.size()) {
        return CS_PAST_END;
    }
    QString title;
    if (const uint8_t code =
            readMaskTitle(stream, chunkSize - kMaskHeadRest, paper.fileVersion, title);
        code != CS_OK) {
        return code;
    }
    std::unique_ptr<CMaskData> mask;
    if (h.hasImage) {
        if (h.block.x != kBlockSide || h.block.y != kBlockSide) {
            return CS_MASK_BLOCK_SIZE;
        }
        if (!isPossibleImage(h)) {
            return CS_MASK_NOT_MADE;
        }
        mask = std::make_unique<CMaskData>(h.index, h.image.x, h.image.y);
        if (!mask->hasMask()) {
            return CS_MASK_NOT_MADE;
        }
    } else {
        mask = std::make_unique<CMaskData>(h.index);
    }
    mask->viewPos = h.viewPos;
    mask->title = title;
    if (progress && progress->setMsg2) {
        progress->setMsg2(QStringLiteral("%1をロードしています...").arg(title));
    }
    if (h.hasImage) {
        if (const uint8_t code = readRuns(stream, *mask->maskTC); code != CS_OK) {
            return code; // the mask goes with its partial image
        }
    }
    if (!paper.maskMngr) {
        return CS_NO_MASK_MANAGER;
    }
    mask->makePreview(paper.paperSize.x, paper.paperSize.y);
    paper.maskMngr->renumberIndex();
    if (paper.maskMngr->insertAt(paper.maskMngr->getMaskCount(), mask) < 0) {
        return CS_MASK_NOT_ADDED;
    }
    if (progress && progress->incStep) {
        progress->incStep(1);
    }
    return CS_OK;
}

} // namespace

uint8_t writeMaskRecord(QIODevice &stream, const sSize &paperSize, const CMaskData &mask)
{
    return writeChunkSafely(stream,
                            [&](QIODevice &s) { return writeMaskChunks(s, paperSize, mask); });
}

int32_t writeAllMasks(QIODevice &stream, const CMaskMngr &mngr, const sSize &paperSize,
                      const SMaskProgress *progress)
{
    int32_t written = 0;
    for (int32_t i = 0; i < mngr.getMaskCount(); ++i) {
        const CMaskData &mask = *mngr.getMask(i);
        if (progress && progress->setMsg2) {
            progress->setMsg2(QStringLiteral("%1を保存しています...").arg(mask.title));
        }
        const uint8_t code = writeMaskRecord(stream, paperSize, mask);
        if (code == CS_OK) {
            ++written;
        } else {
            showWarning(QStringLiteral("%1 (\"%2\") の保存に失敗しました! (err=%3)")
                            .arg(QStringLiteral("マスク"), mask.title)
                            .arg(code));
        }
        if (progress && progress->incStep) {
            progress->incStep(1);
        }
    }
    return written;
}

uint8_t readMaskRecord(QIODevice &stream, const SMaskReadTarget &paper, uint32_t chunkSize,
                       const SMaskProgress *progress)
{
    try {
        return readMask(stream, paper, chunkSize, progress);
    } catch (const std::bad_alloc &) {
        return CS_NO_MEMORY;
    } catch (...) {
        return CS_EXCEPTION;
    }
}

QByteArray blockRunHead(uint32_t tag, uint32_t size, int32_t blockSide, uint32_t kind,
                        int32_t count, uint32_t packed, uint32_t raw)
{
    QByteArray bytes(kMaskRunHeadSize, '\0');
    auto *p = reinterpret_cast<uint8_t *>(bytes.data());
    put<uint32_t>(p, 0, tag);
    put<uint32_t>(p, 4, size);
    put<int32_t>(p, 8, blockSide);
    put<int32_t>(p, 12, blockSide);
    put<uint32_t>(p, 16, kind);
    put<int32_t>(p, 20, count);
    put<uint32_t>(p, 24, packed);
    put<uint32_t>(p, 28, raw);
    return bytes;
}
