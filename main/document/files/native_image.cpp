#include "document/files/native_image.h"
#include "core/base/memory_ops.h"

#include "core/codec/image_codec.h"
#include "core/mask/mask_manager.h"
#include "core/tiles/work_threads.h"
#include "document/edit/edit_ops.h"
#include "document/edit/layer_list_ops.h"
#include "document/events/event_file.h"
#include "document/events/event_manager.h"
#include "document/files/new_document.h"
#include "format/chunk.h"
#include "format/image_records.h"
#include "format/mask_records.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_header.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/view/composition.h"
#include "platform/codec/block_compress.h"
#include "platform/desktop/messages.h"
#include "platform/system/file_stream.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

// The event chunks of a native file, read from their chunk header on (document/events).
uint8_t readNativeEvents(QIODevice &stream, TPaper &paper, IPaperProgress *progress);

namespace {

constexpr uint32_t kTagQPIM = chunkTag("QPIM");
constexpr uint32_t kTagQLYR = chunkTag("QLYR");
constexpr uint32_t kTagQBIM = chunkTag("QBIM");
constexpr uint32_t kTagQMSK = chunkTag("QMSK");
constexpr uint32_t kTagQBMK = chunkTag("QBMK");
constexpr uint32_t kTagQEVP = chunkTag("QEVP");
constexpr uint32_t kTagQEVS = chunkTag("QEVS");
constexpr uint32_t kTagQBEV = chunkTag("QBEV");
constexpr uint32_t kTagQTNL = chunkTag("QTNL");

constexpr int32_t kBlockSide = 32;
constexpr uint32_t kBlockBytes = kBlockSide * kBlockSide * 4;
constexpr int32_t kLayerRecordSize = int32_t(sizeof(SOlyHeader));
constexpr uint32_t kRunHeadRest = kQziRunHeadSize - kChunkHeaderSize;
constexpr uint32_t kMaxLayerMode = 21;
// Runs compressed or unpacked at once: enough to keep every thread busy, few enough to bound the
// memory held (16 MiB of pixels).
constexpr size_t kRunsPerBand = 256;

bool readExactly(QIODevice &stream, void *p, int64_t n)
{
    return n >= 0 && stream.read(static_cast<char *>(p), n) == n;
}

QString fileNameOnly(const QString &path)
{
    return QFileInfo(path).fileName();
}

// ---- saving ----

QByteArray runHead(uint32_t size, uint32_t kind, int32_t count, uint32_t packed, uint32_t raw)
{
    static_assert(kQziRunHeadSize == kMaskRunHeadSize);
    return blockRunHead(kTagQBIM, size, kBlockSide, kind, count, packed, raw);
}

SThumbnailSource thumbnailSourceOf(TPaper &paper)
{
    SThumbnailSource src;
    src.paperSize = paper.m_paperSize;
    src.displayImage = [&paper]() -> const TMTC * { return &paper.vram(); };
    src.isVramDirty = [&paper] { return paper.isVramDirty(); };
    src.updateVRAM = [&paper] { UpdateVRAM(paper, false, false); };
    src.drawOptionalImage = [&paper] { paper.drawOptionalImage(); };
    return src;
}

// A part of the save: its answer, an exception counting as a failure of that part.
template <typename F> bool savePart(F &&part)
{
    try {
        return part();
    } catch (...) {
        return false;
    }
}

bool writeParts(QIODevice &stream, TPaper &paper, uint32_t flags, IPaperProgress *progress)
{
    if (writeImageHeader(stream, paper, flags) != CS_OK)
        return false;
    bool ok = true;
    if (flags & kQziThumbnail) {
        setFileProgressMessage(progress, QStringLiteral("サムネイル"), true);
        ok &= savePart([&] {
            return writeDocumentThumbnail(stream, thumbnailSourceOf(paper), true) == CS_OK;
        });
        stepProgress(progress);
    }
    if (flags & kQziLayers) {
        ok &= savePart(
            [&] { return writeLayerChunks(stream, paper, progress) == paper.getLayerCount(); });
    }
    if ((flags & kQziMasks) && paper.maskMngr().hasMask()) {
        SMaskProgress mp;
        if (progress) {
            mp.setMsg2 = [progress](const QString &t) {
                progress->setMessage(QStringLiteral("%1を保存しています...").arg(t));
            };
            mp.incStep = [progress](int32_t n) { progress->step(n); };
        }
        const CMaskMngr &masks = paper.maskMngr();
        ok &= savePart([&] {
            return writeAllMasks(stream, masks, paper.m_paperSize, &mp) == masks.getMaskCount();
        });
    }
    if (flags & kQziEvents) {
        if (progress)
            progress->reset(int(paper.eventMngr().getDataSegCount()));
        setFileProgressMessage(progress, QStringLiteral("イベントデータ"), true);
        ok &= savePart([&] { return writeNativeEvents(stream, paper, progress) == CS_OK; });
    }
    return ok;
}

} // namespace

SImageFileHeader makeImageHeader(const TPaper &paper, uint32_t flags)
{
    SImageFileHeader h;
    h.tag = kTagQPIM;
    h.size = 48;
    h.width = paper.m_paperSize.x;
    h.height = paper.m_paperSize.y;
    h.version = kQziVersion;
    h.writerMajor = 5;
    h.writerMinor = 104;
    h.flags = flags & 0x0F;
    h.canvasColor = paper.m_canvascolor;
    if (!paper.bVisCanvasCol)
        h.flags |= kQziCanvasHidden;
    if (paper.bVisBGPat)
        h.flags |= kQziBGPattern;
    if (flags & kQziLayers) {
        h.activeLayer = int16_t(paper.ActiveLayer());
        h.layerCount = int16_t(paper.MaxLayer() + 1);
        h.layerTotalNum = int16_t(paper.layerMngr().getTotalNum());
        h.flags |= kQziLayerInfo;
    }
    if (flags & kQziMasks) {
        const CMaskMngr &m = paper.maskMngr();
        h.activeMask = int16_t(m.getCurIndex());
        h.maskCount = int16_t(m.getMaskCount());
        if (paper.bEnbMask)
            h.flags |= kQziMaskEnabled;
        if (paper.bVisMask)
            h.flags |= kQziMaskShown;
        h.maskTotalNum = int16_t(m.getTotalNum());
        h.flags |= kQziMaskInfo;
    }
    h.dpi = uint16_t(paper.m_paperDPI);
    return h;
}

uint8_t writeImageHeader(QIODevice &stream, const TPaper &paper, uint32_t flags)
{
    const SImageFileHeader h = makeImageHeader(paper, flags);
    QByteArray bytes(int(sizeof h), '\0');
    auto *p = reinterpret_cast<uint8_t *>(bytes.data());
    putAt(p, 0, h.tag);
    putAt(p, 4, h.size);
    putAt(p, 8, h.width);
    putAt(p, 12, h.height);
    putAt(p, 16, h.version);
    putAt(p, 20, h.writerMajor);
    putAt(p, 22, h.writerMinor);
    putAt(p, 24, h.flags);
    putAt(p, 28, h.canvasColor);
    putAt(p, 32, h.activeLayer);
    putAt(p, 34, h.activeMask);
    putAt(p, 36, h.dpi);
    putAt(p, 40, h.layerCount);
    putAt(p, 42, h.layerTotalNum);
    putAt(p, 44, h.maskCount);
    putAt(p, 46, h.maskTotalNum);
    return writeBytes(stream, bytes);
}

uint8_t writeLayerHeader(QIODevice &stream, const CLayerData &layer, int32_t *size)
{
    const uint32_t area = wideTextAreaSize(uint32_t(layer.title.size()));
    if (size) {
        *size = int32_t(kChunkHeaderSize + kLayerRecordSize + area);
        return CS_OK;
    }
    const SOlyHeader h = makeOlyHeader(layer);
    QByteArray bytes(kLayerRecordSize, '\0');
    auto *p = reinterpret_cast<uint8_t *>(bytes.data());
    putAt(p, 0, h.index);
    putAt(p, 4, h.flags);
    putAt(p, 6, h.mode);
    putAt(p, 7, h.trans);
    putAt(p, 8, h.blkSize.x);
    putAt(p, 12, h.blkSize.y);
    putAt(p, 16, h.repSize.x);
    putAt(p, 20, h.repSize.y);
    putAt(p, 24, h.imgSize.x);
    putAt(p, 28, h.imgSize.y);
    putAt(p, 32, h.viewPos.x);
    putAt(p, 36, h.viewPos.y);
    putAt(p, 40, h.viewSize.x);
    putAt(p, 44, h.viewSize.y);
    putAt(p, 48, h.bgCol);
    putAt(p, 52, h.nameLength);
    putAt(p, 54, h.version);
    putAt(p, 56, h.dither);
    putAt(p, 57, h.groupLevel);
    putAt(p, 58, h.underLyrClip);
    putAt(p, 60, h.dizSeed);
    putAt(p, 64, h.linkID);
    if (uint8_t r = writeChunkHeader(stream, kTagQLYR, uint32_t(kLayerRecordSize) + area))
        return r;
    if (uint8_t r = writeBytes(stream, bytes))
        return r;
    return writeWideTextArea(stream, layer.title);
}

int32_t gatherBlockPixels(std::vector<uint8_t> &buffer, const CBlockImage &image, const sSize &grid,
                          int32_t count, const sPos &start)
{
    const int64_t first = int64_t(start.y) * grid.x + start.x;
    const uint32_t unit = image.getUnitBytes();
    if (count <= 0 || first < 0 || first + count > image.blockCount() || unit % 4 != 0)
        return 0;
    try {
        buffer.assign(size_t(count) * unit, 0);
    } catch (const std::bad_alloc &) {
        return 0;
    }
    for (int32_t i = 0; i < count; ++i) {
        const SBlockPack &pack = image.blockAt(int32_t(first + i));
        uint8_t *dst = buffer.data() + size_t(i) * unit;
        if (pack.commit) {
            std::memcpy(dst, pack.vAddr.get(), unit);
        } else {
            for (uint32_t k = 0; k < unit; k += 4)
                putAt<uint32_t>(dst, k, pack.bgCol.all);
        }
    }
    return count;
}

int32_t gatherBlockColors(std::vector<uint8_t> &buffer, const CBlockImage &image, int32_t count,
                          const sPos &start, const sSize &grid)
{
    const int64_t first = int64_t(start.y) * grid.x + start.x;
    if (count <= 0 || first < 0 || first + count > image.blockCount())
        return 0;
    try {
        buffer.assign(size_t(count) * 4, 0);
    } catch (const std::bad_alloc &) {
        return 0;
    }
    for (int32_t i = 0; i < count; ++i)
        putAt<uint32_t>(buffer.data(), size_t(i) * 4, image.blockAt(int32_t(first + i)).bgCol.all);
    return count;
}

uint8_t writeBlockRun(QIODevice &stream, const CBlockImage &image, int32_t first, int32_t count)
{
    const sSize grid = image.getRepSize();
    std::vector<uint8_t> pixels;
    if (grid.x <= 0 ||
        gatherBlockPixels(pixels, image, grid, count, {first % grid.x, first / grid.x}) == 0)
        return CS_NO_MEMORY;
    const int64_t headAt = stream.pos();
    const uint32_t raw = uint32_t(pixels.size());
    if (uint8_t r = writeBytes(stream, runHead(kRunHeadRest, 1, count, 0, raw)))
        return r;
    std::vector<uint8_t> work;
    const int32_t packed = compressToStream(pixels.data(), raw, work, stream);
    // No compressed bytes is a failed write: the reader refuses such a run.
    if (packed <= 0)
        return CS_WRITE_FAILED;
    if (uint8_t r = writeZeros(stream, chunkPadding(uint64_t(stream.pos()))))
        return r;
    const int64_t end = stream.pos();
    const uint32_t size = uint32_t(end - headAt - kChunkHeaderSize);
    if (!stream.seek(headAt) || writeBytes(stream, runHead(size, 1, count, uint32_t(packed), raw)))
        return CS_WRITE_FAILED;
    return stream.seek(end) ? CS_OK : CS_WRITE_FAILED;
}

uint8_t writeBackgroundRun(QIODevice &stream, const CBlockImage &image, int32_t first,
                           int32_t count)
{
    const sSize grid = image.getRepSize();
    std::vector<uint8_t> colors;
    if (grid.x <= 0 ||
        gatherBlockColors(colors, image, count, {first % grid.x, first / grid.x}, grid) == 0)
        return CS_NO_MEMORY;
    const uint32_t raw = uint32_t(colors.size());
    QByteArray run = runHead(kRunHeadRest + raw, 2, count, 0, raw);
    run.append(reinterpret_cast<const char *>(colors.data()), qsizetype(raw));
    return writeBytes(stream, run);
}

namespace {

// A run of blocks as the writer groups them: allocated neighbours up to 16, unallocated ones
// without limit.
struct SBlockRun
{
    int32_t first = 0;
    int32_t count = 0;
    bool allocated = false;
};

std::vector<SBlockRun> blockRunsOf(const CBlockImage &image)
{
    std::vector<SBlockRun> runs;
    const int32_t total = image.blockCount();
    int32_t start = 0;
    for (int32_t i = 0; i <= total; ++i) {
        const bool atEnd = i == total;
        const bool groupAllocated = start < total && image.blockAt(start).commit;
        // The pending group ends at a change of state, at the end, or at 16 allocated blocks.
        const bool close = atEnd || image.blockAt(i).commit != groupAllocated ||
                           (groupAllocated && i - start == kQziRunMaxBlocks);
        if (!close || i == start)
            continue;
        runs.push_back({start, i - start, groupAllocated});
        start = i;
    }
    return runs;
}

// An allocated run compressed ahead of its writing: its zlib block, or the code of its failure.
struct SPackedRun
{
    std::vector<uint8_t> bytes;
    uint32_t raw = 0;
    uint8_t status = CS_OK;
};

void packBlockRun(const CBlockImage &image, const SBlockRun &run, SPackedRun &out)
{
    const sSize grid = image.getRepSize();
    std::vector<uint8_t> pixels;
    if (grid.x <= 0 || gatherBlockPixels(pixels, image, grid, run.count,
                                         {run.first % grid.x, run.first / grid.x}) == 0) {
        out.status = CS_NO_MEMORY;
        return;
    }
    out.raw = uint32_t(pixels.size());
    const int32_t packed = compressToMemory(pixels.data(), out.raw, out.bytes);
    // No compressed bytes is a failed write: the reader refuses such a run.
    if (packed <= 0)
        out.status = CS_WRITE_FAILED;
    else
        out.bytes.resize(size_t(packed));
}

// What writeBlockRun writes, from a run compressed beforehand: the head knows every length at
// once, so nothing is written twice.
uint8_t writePackedRun(QIODevice &stream, const SPackedRun &run, int32_t count)
{
    if (run.status != CS_OK)
        return run.status;
    const uint32_t packed = uint32_t(run.bytes.size());
    const uint32_t padding = chunkPadding(uint64_t(stream.pos()) + kQziRunHeadSize + packed);
    const uint32_t size = kRunHeadRest + packed + padding;
    if (uint8_t r = writeBytes(stream, runHead(size, 1, count, packed, run.raw)))
        return r;
    const QByteArrayView bytes(run.bytes.data(), qsizetype(packed));
    if (uint8_t r = writeBytes(stream, bytes))
        return r;
    return writeZeros(stream, padding);
}

} // namespace

uint8_t writeLayerBlocks(QIODevice &stream, const CBlockImage &image)
{
    const std::vector<SBlockRun> runs = blockRunsOf(image);
    std::vector<SPackedRun> packed;
    for (size_t band = 0; band < runs.size(); band += kRunsPerBand) {
        const size_t n = std::min(kRunsPerBand, runs.size() - band);
        packed.assign(n, SPackedRun{});
        // Each run is its own zlib stream: they are compressed in any order, written in theirs.
        parallelRanges(int32_t(n), 1, [&](int32_t begin, int32_t end) {
            for (int32_t i = begin; i < end; ++i)
                if (runs[band + size_t(i)].allocated)
                    packBlockRun(image, runs[band + size_t(i)], packed[size_t(i)]);
        });
        for (size_t i = 0; i < n; ++i) {
            const SBlockRun &run = runs[band + i];
            const uint8_t r = run.allocated
                                  ? writePackedRun(stream, packed[i], run.count)
                                  : writeBackgroundRun(stream, image, run.first, run.count);
            if (r != CS_OK)
                return r;
        }
    }
    return CS_OK;
}

uint8_t writeLayerChunk(QIODevice &stream, const CLayerData &layer)
{
    return writeChunkSafely(stream, [&layer](QIODevice &s) -> uint8_t {
        if (!layer.imageTC)
            return CS_BAD_BLOCK_SIZE;
        if (uint8_t r = writeLayerHeader(s, layer, nullptr))
            return r;
        if (layer.imageTC->blockUnit() != kBlockSide)
            return CS_BAD_BLOCK_SIZE;
        return writeLayerBlocks(s, *layer.imageTC);
    });
}

int32_t writeLayerChunks(QIODevice &stream, TPaper &paper, IPaperProgress *progress)
{
    int32_t written = 0;
    for (int32_t i = 0; i <= paper.MaxLayer(); ++i) {
        const CLayerData *ld = paper.getLayerData(i);
        const QString title = ld ? ld->title : QString();
        setFileProgressMessage(progress, title, true);
        const uint8_t r = ld ? writeLayerChunk(stream, *ld) : uint8_t(CS_LAYER_NOT_CREATED);
        if (r != CS_OK) {
            showWarning(QStringLiteral("%1 (\"%2\") の保存に失敗しました! (err=%3)")
                            .arg(QStringLiteral("レイヤ"), title)
                            .arg(r));
        } else {
            ++written;
        }
        stepProgress(progress);
    }
    return written;
}

bool saveNativeImage(const QString &path, TPaper &paper, uint32_t flags)
{
    try {
        int steps = 0;
        if (flags & kQziThumbnail)
            ++steps;
        if (flags & kQziLayers)
            steps += paper.getLayerCount();
        if ((flags & kQziMasks) && paper.maskMngr().hasMask())
            steps += paper.maskMngr().getMaskCount();
        std::unique_ptr<IPaperProgress> progress = appOpenProgress(
            steps, QStringLiteral("%1保存中 (%2)").arg(QStringLiteral("画像"), fileNameOnly(path)),
            QString());
        std::unique_ptr<QSaveFile> file = tryCreateSaveStream(path);
        if (!file)
            return false;
        // A file with a failed part is dropped whole: the old file stays as it was.
        return writeParts(*file, paper, flags, progress.get()) && commitSaveFile(*file);
    } catch (...) {
        return false;
    }
}

// ---- loading ----

uint8_t readImageHeader(QIODevice &stream, SImageFileHeader &header)
{
    uint8_t b[sizeof(SImageFileHeader)];
    if (!readExactly(stream, b, sizeof b))
        return CS_READ_FAILED;
    SImageFileHeader h;
    h.tag = getAt<uint32_t>(b, 0);
    h.size = getAt<uint32_t>(b, 4);
    if (h.tag != kTagQPIM)
        return CS_BAD_TAG;
    if (h.size != 48)
        return CS_BAD_SIZE;
    h.width = getAt<int32_t>(b, 8);
    h.height = getAt<int32_t>(b, 12);
    h.version = getAt<uint32_t>(b, 16);
    h.writerMajor = getAt<uint16_t>(b, 20);
    h.writerMinor = getAt<uint16_t>(b, 22);
    h.flags = getAt<uint32_t>(b, 24);
    h.canvasColor = getAt<uint32_t>(b, 28);
    h.activeLayer = getAt<int16_t>(b, 32);
    h.activeMask = getAt<int16_t>(b, 34);
    h.dpi = getAt<uint16_t>(b, 36);
    h.layerCount = getAt<int16_t>(b, 40);
    h.layerTotalNum = getAt<int16_t>(b, 42);
    h.maskCount = getAt<int16_t>(b, 44);
    h.maskTotalNum = getAt<int16_t>(b, 46);
    if (h.version > kQziVersion)
        return CS_BAD_VERSION;
    if (h.width < 1 || h.width > kQziMaxSide || h.height < 1 || h.height > kQziMaxSide)
        return CS_TOO_LARGE;
    header = h;
    return CS_OK;
}

uint8_t readImageHeadSize(QIODevice &stream, sSize &docSize)
{
    SImageFileHeader h;
    const uint8_t r = readImageHeader(stream, h);
    if (r == CS_OK)
        docSize = {h.width, h.height};
    return r;
}

namespace {

SOlyHeader parseLayerRecord(const uint8_t *p)
{
    SOlyHeader h;
    h.index = getAt<int32_t>(p, 0);
    h.flags = getAt<uint16_t>(p, 4);
    h.mode = p[6];
    h.trans = p[7];
    h.blkSize = {getAt<int32_t>(p, 8), getAt<int32_t>(p, 12)};
    h.repSize = {getAt<int32_t>(p, 16), getAt<int32_t>(p, 20)};
    h.imgSize = {getAt<int32_t>(p, 24), getAt<int32_t>(p, 28)};
    h.viewPos = {getAt<int32_t>(p, 32), getAt<int32_t>(p, 36)};
    h.viewSize = {getAt<int32_t>(p, 40), getAt<int32_t>(p, 44)};
    h.bgCol = getAt<uint32_t>(p, 48);
    h.nameLength = getAt<uint16_t>(p, 52);
    h.version = getAt<uint16_t>(p, 54);
    h.dither = p[56];
    h.groupLevel = p[57];
    h.underLyrClip = p[58];
    h.dizSeed = getAt<uint32_t>(p, 60);
    h.linkID = getAt<uint16_t>(p, 64);
    return h;
}

int32_t blocksFor(int32_t side)
{
    return (side + kBlockSide - 1) / kBlockSide;
}

uint8_t checkLayerRecord(const SOlyHeader &h, const TPaper &paper)
{
    if (h.mode > kMaxLayerMode)
        return CS_BAD_SIZE;
    if (h.version > 1)
        return CS_BAD_VERSION;
    const auto sideOk = [](int32_t v) { return v >= 1 && v <= kQziMaxLayerSide; };
    if (!sideOk(h.imgSize.x) || !sideOk(h.imgSize.y) || h.repSize.x != blocksFor(h.imgSize.x) ||
        h.repSize.y != blocksFor(h.imgSize.y))
        return CS_BAD_BLOCK_SIZE;
    const CLayerMngr &lm = paper.layerMngr();
    if (h.index < 0 || !lm.canAddLayer())
        return CS_LAYER_NOT_CREATED;
    return CS_OK;
}

void applyLayerRecord(CLayerData &ld, const SOlyHeader &h, const sSize &paperSize)
{
    // A layer always covers the paper it belongs to: a stored view size other than the paper's
    // (which the preview would reduce pixel by pixel) is taken as the paper's.
    ld.viewSize = paperSize;
    ld.viewPos = h.viewPos;
    ld.checkViewPos(true);
    ld.maskProtected = h.flags & kOlyProtected;
    if (h.flags & kOlyExtended) {
        ld.ditherEnable = h.flags & kOlyDither;
        ld.dither = h.dither;
        ld.setDitherState(h.dizSeed);
    }
    ld.setGroupLevel(h.groupLevel);
    ld.ChangeUnderLyrClip(h.underLyrClip != 0);
    ld.setLinkIndex(h.linkID);
}

uint8_t readLayerTitle(QIODevice &stream, int64_t count, uint32_t version, QString &title)
{
    if (count <= 0) {
        title.clear();
        return CS_OK;
    }
    return version > 1 ? readWideString(stream, count, title)
                       : readAnsiString(stream, count, title);
}

struct SRunHead
{
    uint32_t size = 0;
    int32_t blockW = 0, blockH = 0;
    uint32_t kind = 0;
    int32_t count = 0;
    uint32_t packed = 0, raw = 0;
};

uint8_t readRunHead(QIODevice &stream, SRunHead &run, int64_t &start, const SQziReadContext &ctx)
{
    start = stream.pos();
    uint8_t b[kQziRunHeadSize];
    if (!readExactly(stream, b, sizeof b))
        return CS_READ_FAILED;
    if (getAt<uint32_t>(b, 0) != kTagQBIM)
        return CS_BAD_TAG;
    run.size = getAt<uint32_t>(b, 4);
    run.blockW = getAt<int32_t>(b, 8);
    run.blockH = getAt<int32_t>(b, 12);
    run.kind = b[16];
    run.count = getAt<int32_t>(b, 20);
    run.packed = getAt<uint32_t>(b, 24);
    run.raw = getAt<uint32_t>(b, 28);
    if (start + kChunkHeaderSize + int64_t(run.size) > ctx.fileSize || run.size < kRunHeadRest)
        return CS_PAST_END;
    if (run.blockW != kBlockSide || run.blockH != kBlockSide)
        return CS_BAD_BLOCK_SIZE;
    if (run.kind != 1 && run.kind != 2)
        return CS_BAD_RUN_KIND;
    if (run.count <= 0)
        return CS_EMPTY_BLOCK_RUN;
    return CS_OK;
}

// A pixel run's checks and its compressed bytes; the stream is left at the run's end.
uint8_t readPixelRun(QIODevice &stream, const SRunHead &run, int64_t runEnd,
                     std::vector<uint8_t> &packed)
{
    if (run.count > kQziRunMaxBlocks || uint64_t(run.count) * kBlockBytes != run.raw ||
        run.packed < 1 || run.packed > run.size - kRunHeadRest)
        return CS_RUN_LENGTHS;
    packed.resize(run.packed);
    if (!readExactly(stream, packed.data(), run.packed))
        return CS_READ_FAILED;
    return stream.seek(runEnd) ? uint8_t(CS_OK) : uint8_t(CS_SEEK_FAILED);
}

uint8_t unpackPixelRun(const std::vector<uint8_t> &packed, int32_t count,
                       std::vector<uint8_t> &blocks)
{
    blocks.assign(size_t(count) * kBlockBytes, 0);
    return codec::codecDecompress(packed, blocks) == codec::CodecStatus::Nothing
               ? uint8_t(CS_OK)
               : uint8_t(CS_READ_FAILED);
}

uint8_t placeBlocks(CBlockImage &image, int32_t first, int32_t count, const uint8_t *blocks)
{
    for (int32_t i = 0; i < count; ++i) {
        SBlockPack &pack = image.blockAt(first + i);
        if (!image.commitBlock(pack))
            return CS_NO_BLOCK;
        std::memcpy(pack.vAddr.get(), blocks + size_t(i) * kBlockBytes, kBlockBytes);
    }
    return CS_OK;
}

uint8_t placePixelRun(QIODevice &stream, const SRunHead &run, CBlockImage &image, int32_t first,
                      int64_t runEnd)
{
    std::vector<uint8_t> packed, blocks;
    if (uint8_t r = readPixelRun(stream, run, runEnd, packed))
        return r;
    if (uint8_t r = unpackPixelRun(packed, run.count, blocks))
        return r;
    return placeBlocks(image, first, run.count, blocks.data());
}

// Pixel runs read ahead of their unpacking, which then goes over every thread at once. They are
// placed in file order and stop at the first that fails, as if each had been placed on reading.
struct SPendingRun
{
    int32_t first = 0;
    int32_t count = 0;
    std::vector<uint8_t> packed;
};

uint8_t placePendingRuns(CBlockImage &image, std::vector<SPendingRun> &band)
{
    std::vector<std::vector<uint8_t>> blocks(band.size());
    std::vector<uint8_t> status(band.size(), CS_OK);
    parallelRanges(int32_t(band.size()), 1, [&](int32_t begin, int32_t end) {
        for (int32_t i = begin; i < end; ++i) {
            const SPendingRun &run = band[size_t(i)];
            status[size_t(i)] = unpackPixelRun(run.packed, run.count, blocks[size_t(i)]);
        }
    });
    uint8_t r = CS_OK;
    for (size_t i = 0; i < band.size() && r == CS_OK; ++i) {
        r = status[i];
        if (r == CS_OK)
            r = placeBlocks(image, band[i].first, band[i].count, blocks[i].data());
    }
    band.clear();
    return r;
}

uint8_t placeColorRun(QIODevice &stream, const SRunHead &run, CBlockImage &image, int32_t first,
                      int64_t runEnd)
{
    const uint64_t bytes = uint64_t(run.count) * 4;
    if (bytes > run.size - kRunHeadRest)
        return CS_RUN_LENGTHS;
    std::vector<uint8_t> colors(bytes);
    if (!readExactly(stream, colors.data(), int64_t(bytes)))
        return CS_READ_FAILED;
    if (!stream.seek(runEnd))
        return CS_SEEK_FAILED;
    for (int32_t i = 0; i < run.count; ++i) {
        SBlockPack &pack = image.blockAt(first + i);
        const uint32_t col = getAt<uint32_t>(colors.data(), size_t(i) * 4);
        pack.bgCol.all = col;
        if (pack.commit) {
            for (uint32_t k = 0; k < kBlockBytes; k += 4)
                putAt<uint32_t>(static_cast<uint8_t *>(pack.vAddr.get()), k, col);
        }
    }
    return CS_OK;
}

} // namespace

namespace {

// A run's head, checked against the image and the blocks that remain; runEnd receives where the
// run ends in the file.
uint8_t readRunStart(QIODevice &stream, const CBlockImage &image, int32_t first, int32_t remaining,
                     SRunHead &run, int64_t &runEnd, const SQziReadContext &ctx)
{
    int64_t start = 0;
    if (uint8_t r = readRunHead(stream, run, start, ctx))
        return r;
    if (image.blockUnit() != kBlockSide || image.getUnitBytes() != kBlockBytes)
        return CS_BAD_BLOCK_SIZE;
    if (run.count > remaining || first < 0 || int64_t(first) + run.count > image.blockCount())
        return CS_RUN_LENGTHS;
    runEnd = start + kChunkHeaderSize + int64_t(run.size);
    return CS_OK;
}

// The next run into the band (pixels) or onto the image (colours, after the band); the band is
// unpacked when full.
uint8_t readRunInto(QIODevice &stream, CBlockImage &image, const SRunHead &run, int64_t runEnd,
                    int32_t first, std::vector<SPendingRun> &band)
{
    if (run.kind != 1) {
        if (uint8_t r = placePendingRuns(image, band))
            return r;
        return placeColorRun(stream, run, image, first, runEnd);
    }
    band.push_back({first, run.count, {}});
    if (uint8_t r = readPixelRun(stream, run, runEnd, band.back().packed)) {
        band.pop_back();
        return r;
    }
    return band.size() < kRunsPerBand ? uint8_t(CS_OK) : placePendingRuns(image, band);
}

} // namespace

uint8_t readBlockRunChunk(QIODevice &stream, CBlockImage &image, int32_t first, int32_t remaining,
                          int32_t &count, const SQziReadContext &ctx)
{
    count = 0;
    SRunHead run;
    int64_t runEnd = 0;
    if (uint8_t r = readRunStart(stream, image, first, remaining, run, runEnd, ctx))
        return r;
    const uint8_t r = run.kind == 1 ? placePixelRun(stream, run, image, first, runEnd)
                                    : placeColorRun(stream, run, image, first, runEnd);
    if (r == CS_OK)
        count = run.count;
    return r;
}

uint8_t readLayerBlocks(QIODevice &stream, CBlockImage &image, const sSize &grid,
                        const SQziReadContext &ctx)
{
    int32_t remaining = grid.x * grid.y;
    int32_t current = 0;
    std::vector<SPendingRun> band;
    uint8_t r = CS_OK;
    try {
        while (remaining > 0 && r == CS_OK) {
            SRunHead run;
            int64_t runEnd = 0;
            r = readRunStart(stream, image, current, remaining, run, runEnd, ctx);
            if (r == CS_OK)
                r = readRunInto(stream, image, run, runEnd, current, band);
            current += run.count;
            remaining -= run.count;
        }
    } catch (...) {
        // The runs read before the failure are kept, as they would have been one by one.
        try {
            placePendingRuns(image, band);
        } catch (...) {
        }
        throw;
    }
    // A run that fails to unpack came before any failure met while reading on.
    const uint8_t placed = placePendingRuns(image, band);
    return placed != CS_OK ? placed : r;
}

uint8_t readLayerChunk(QIODevice &stream, TPaper &paper, uint32_t chunkSize, SQziReadContext &ctx)
{
    try {
        if (chunkSize < uint32_t(kLayerRecordSize))
            return CS_BAD_SIZE;
        uint8_t b[kLayerRecordSize];
        if (!readExactly(stream, b, sizeof b))
            return CS_READ_FAILED;
        const SOlyHeader h = parseLayerRecord(b);
        if (uint8_t r = checkLayerRecord(h, paper))
            return r;
        // A layer skipped before this one leaves its place empty: the record goes on top.
        const int32_t at = std::min(h.index, paper.getLayerCount());
        const int32_t idx = CreateLayer(paper, at, h.imgSize.x, h.imgSize.y, TLayerMode(h.mode),
                                        h.trans, h.flags & kOlyVisible);
        CLayerData *ld = paper.getLayerData(idx);
        if (idx < 0 || !ld || !ld->imageTC)
            return CS_LAYER_NOT_CREATED;
        applyLayerRecord(*ld, h, paper.m_paperSize);
        QString title;
        if (uint8_t r = readLayerTitle(stream, int64_t(chunkSize) - kLayerRecordSize,
                                       ctx.fileVersion, title))
            return r;
        ld->title = title;
        setFileProgressMessage(ctx.progress, title, false);
        const uint8_t r = readLayerBlocks(stream, *ld->imageTC, h.repSize, ctx);
        if (r == CS_OK)
            ld->imageTC->shrinkMemory();
        else
            ld->imageTC->setupTraceRect();
        ResizePreview(paper, idx);
        ld->updatePreview();
        stepProgress(ctx.progress);
        return r;
    } catch (...) {
        return CS_EXCEPTION;
    }
}

namespace {

struct SChunkWalk
{
    int32_t unknownCount = 0;
    uint32_t unknownTag = 0;
    bool badEventBlock = false;
};

uint8_t readEventChunk(QIODevice &stream, TPaper &paper, int64_t start, SQziReadContext &ctx,
                       SChunkWalk &walk)
{
    setFileProgressMessage(ctx.progress, QStringLiteral("イベントデータ"), false);
    CEventMngr &ev = paper.eventMngr();
    if (!stream.seek(start))
        return CS_SEEK_FAILED;
    const uint8_t r = readNativeEvents(stream, paper, ctx.progress);
    if (r != CS_OK) {
        if (r == CS_BAD_EVENT_BLOCK) {
            walk.badEventBlock = true;
            showWarning(QStringLiteral("不正なイベントブロックは読み込めません!"));
        } else {
            showWarning(QStringLiteral(
                "イベントデータ部の読み込みに失敗しました!\rイベントは破棄されました。"));
        }
        ev.stopRecording();
        return r;
    }
    if (!ev.startRecordingContinue(true)) {
        showWarning(QStringLiteral(
            "イベント追記モードに移行できませんでした!\r以降のイベントは記録されません..."));
        ev.stopRecording();
    }
    return CS_OK;
}

// Keeps the first failure that lost part of the file.
void noteDamage(SQziReadContext &ctx, uint8_t status)
{
    if (ctx.damage == CS_OK)
        ctx.damage = status;
}

uint8_t dispatchChunk(QIODevice &stream, TPaper &paper, const SChunkHeader &head, int64_t start,
                      SQziReadContext &ctx, SChunkWalk &walk)
{
    const uint32_t tag = head.tag;
    if (tag == kTagQLYR) {
        const uint8_t r = readLayerChunk(stream, paper, head.size, ctx);
        if (r != CS_OK) {
            noteDamage(ctx, r);
            showWarning(QStringLiteral("%1の読み込みに失敗しました! (err=%2)")
                            .arg(QStringLiteral("レイヤ"))
                            .arg(r));
        }
        return r;
    }
    if (tag == kTagQMSK) {
        SMaskProgress mp;
        if (ctx.progress) {
            IPaperProgress *p = ctx.progress;
            mp.setMsg2 = [p](const QString &t) {
                p->setMessage(QStringLiteral("%1をロードしています...").arg(t));
            };
            mp.incStep = [p](int32_t n) { p->step(n); };
        }
        const SMaskReadTarget target{&paper.maskMngr(), paper.m_paperSize,
                                     uint16_t(ctx.fileVersion)};
        uint8_t r;
        try {
            r = readMaskRecord(stream, target, head.size, &mp);
        } catch (...) {
            r = CS_EXCEPTION;
        }
        if (r != CS_OK) {
            noteDamage(ctx, r);
            showWarning(QStringLiteral("%1の読み込みに失敗しました! (err=%2)")
                            .arg(QStringLiteral("マスク"))
                            .arg(r));
        }
        return r;
    }
    if (tag == kTagQEVP || tag == kTagQEVS) {
        const uint8_t r = readEventChunk(stream, paper, start, ctx, walk);
        if (r != CS_OK)
            noteDamage(ctx, r);
        return r;
    }
    if (tag == kTagQTNL)
        return CS_THUMBNAIL_SKIPPED;
    if (tag == kTagQBIM || tag == kTagQBMK)
        return CS_BLOCK_OUT_OF_PLACE;
    if (tag == kTagQBEV)
        return walk.badEventBlock ? CS_BAD_EVENT_BLOCK : CS_BLOCK_OUT_OF_PLACE;
    ++walk.unknownCount;
    walk.unknownTag = tag;
    return CS_BAD_TAG;
}

} // namespace

uint8_t readImageChunks(QIODevice &stream, TPaper &paper, SQziReadContext &ctx)
{
    SChunkWalk walk;
    uint8_t status = CS_OK;
    while (stream.pos() < ctx.fileSize) {
        const int64_t start = stream.pos();
        SChunkHeader head;
        if (readChunkHeader(stream, head) != CS_OK) {
            status = CS_READ_FAILED;
            noteDamage(ctx, status);
            break;
        }
        // A chunk that cannot be all there is refused before any of it is read.
        if (start + kChunkHeaderSize + int64_t(head.size) > ctx.fileSize) {
            status = CS_PAST_END;
            noteDamage(ctx, status);
            break;
        }
        status = dispatchChunk(stream, paper, head, start, ctx, walk);
        if (status == CS_OK)
            continue;
        const uint8_t s = skipChunk(stream, start, head);
        if (s != CS_OK) {
            status = s;
            noteDamage(ctx, status);
            break;
        }
    }
    if (walk.unknownCount > 0)
        showWarning(QStringLiteral("%1個の未知のデータブロックを無視しました!  (id = %2)")
                        .arg(walk.unknownCount)
                        .arg(chunkTagName(walk.unknownTag)));
    return status;
}

namespace {

// Masks after the chunks: an empty one when none was read, else the header's current one with its
// outline and the selection state.
void finishMasks(TPaper &paper, const SImageFileHeader &h)
{
    CMaskMngr &masks = paper.maskMngr();
    if (!masks.hasMask()) {
        masks.insertMask(0);
        masks.setCurIndex(0);
        masks.resetTotalNum(0); // after the insert, which may count itself

        return;
    }
    masks.setCurIndex(masks.chkIndex(h.activeMask) ? h.activeMask : 0);
    masks.createAnts(paper.m_paperSize, -1);
    if (h.flags & kQziMaskShown)
        paper.bVisMask = true;
    if (h.flags & kQziMaskEnabled)
        paper.bEnbMask = true;
}

uint8_t loadBody(QIODevice &stream, TPaper &paper, const SImageFileHeader &h, const QString &path,
                 SQziReadContext &ctx)
{
    TFlowImage *flow = paper.owner() ? paper.owner()->flow() : nullptr;
    if (!EventEditCreate(paper, path, flow, h.width, h.height, h.dpi,
                         (h.flags & kQziCanvasHidden) != 0, true))
        return CS_LAYER_NOT_CREATED;
    paper.bVisBGPat = (h.flags & kQziBGPattern) != 0;
    // Anew: the layer just made goes, and so would any a reused document still held.
    while (paper.getLayerCount() > 0)
        DeleteLayer(paper, paper.getLayerCount() - 1);
    changePaperColor(paper, h.canvasColor);
    paper.maskMngr().deleteAll();

    const uint8_t r = readImageChunks(stream, paper, ctx);
    if (r != CS_OK)
        showWarning(QStringLiteral("読み込み中にエラーが検出されました! (err=%1)").arg(r));
    if (h.flags & kQziLayerInfo)
        paper.layerMngr().setTotalNum(h.layerTotalNum);
    if (h.flags & kQziMaskInfo)
        paper.maskMngr().resetTotalNum(h.maskTotalNum);
    if (paper.getLayerCount() == 0) {
        const int32_t idx = CreateLayer(paper, 0, TLayerMode::LM_STD, 255, true);
        if (CLayerData *ld = paper.getLayerData(idx)) {
            paper.layerMngr().setDefaultCaption(idx, 1);
            ld->imageTC->clearImage(ld->mode);
            ld->updatePreview();
        }
    }
    finishMasks(paper, h);
    // What was salvaged of a damaged file is not that file: it gets no path, so that a save asks
    // for a name instead of replacing the file with less.
    if (ctx.damage != CS_OK)
        paper.m_filename.clear();
    const int32_t active = paper.layerMngr().chkIndex(h.activeLayer) ? h.activeLayer : 0;
    EventLayerActive(paper, flow, active, true);
    // The display shows the loaded layers (a thumbnail saved next is made from it).
    UpdateVRAM(paper, false, false);
    eventBeginRecording(paper);
    return CS_OK;
}

} // namespace

uint8_t loadNativeImage(QIODevice &stream, const QString &path, TPaper &paper, uint8_t *damage)
{
    if (damage)
        *damage = CS_OK;
    try {
        SImageFileHeader h;
        if (uint8_t r = readImageHeader(stream, h))
            return r;
        int steps = 0;
        if (h.flags & kQziLayers)
            steps += std::max<int>(h.layerCount, 0);
        if (h.flags & kQziMasks)
            steps += std::max<int>(h.maskCount, 0);
        std::unique_ptr<IPaperProgress> progress = appOpenProgress(
            steps,
            QStringLiteral("%1ロード中 (%2)").arg(QStringLiteral("画像"), fileNameOnly(path)),
            QString());
        SQziReadContext ctx;
        ctx.fileSize = stream.size();
        ctx.fileVersion = h.version;
        ctx.progress = progress.get();
        const uint8_t r = loadBody(stream, paper, h, path, ctx);
        if (damage)
            *damage = ctx.damage;
        return r;
    } catch (...) {
        return CS_EXCEPTION;
    }
}

uint8_t loadNativeImage(const QString &path, TPaper &paper, uint8_t *damage)
{
    if (damage)
        *damage = CS_OK;
    try {
        if (!QFileInfo::exists(path))
            return CS_FILE_MISSING;
        std::unique_ptr<QFile> file = tryCreateFileStream(path, QIODevice::ReadOnly);
        if (!file)
            return CS_CANNOT_OPEN;
        return loadNativeImage(*file, path, paper, damage);
    } catch (...) {
        return CS_EXCEPTION;
    }
}
