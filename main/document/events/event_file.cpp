#include "document/events/event_file.h"

#include "core/codec/image_codec.h"
#include "document/edit/redo.h"
#include "document/events/event_manager.h"
#include "format/chunk.h"
#include "format/image_records.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/view/composition.h"
#include "platform/codec/block_compress.h"
#include "platform/desktop/cursor.h"
#include "platform/desktop/messages.h"
#include "platform/system/file_stream.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <exception>
#include <new>
#include <vector>

namespace {

constexpr uint32_t kTagQEVP = chunkTag("QEVP");
constexpr uint32_t kTagQEVS = chunkTag("QEVS");
constexpr uint32_t kTagQBEV = chunkTag("QBEV");
constexpr uint32_t kTagQTNL = chunkTag("QTNL");
constexpr uint32_t kSegHeadRest = sizeof(SEvSegHead) - 8; // 20

uint32_t round4(uint32_t n)
{
    return n + chunkPadding(n);
}

template <class T> uint8_t writeRecord(QIODevice &stream, const T &rec)
{
    return stream.write(reinterpret_cast<const char *>(&rec), sizeof(T)) == qint64(sizeof(T))
               ? CS_OK
               : CS_WRITE_FAILED;
}

template <class T> bool readRecord(QIODevice &stream, T &rec)
{
    return stream.read(reinterpret_cast<char *>(&rec), sizeof(T)) == qint64(sizeof(T));
}

SEvFileHead fileHead(uint32_t tag, const TPaper &paper, const CEventMngr &mngr)
{
    SEvFileHead h;
    h.tag = tag;
    h.width = paper.m_paperSize.x;
    h.height = paper.m_paperSize.y;
    h.eventCnt = mngr.eventCnt;
    h.dataLen = mngr.topEventPos;
    return h;
}

void progressStep(IPaperProgress *progress)
{
    if (progress)
        progress->step(1);
}

bool isReadableFile(const QString &path)
{
    return QFileInfo(path).isFile();
}

SThumbnailSource thumbnailSource(TPaper &paper)
{
    SThumbnailSource src;
    src.paperSize = paper.m_paperSize;
    src.displayImage = [&paper]() -> const TMTC * { return &paper.vram(); };
    src.isVramDirty = [&paper] { return paper.isVramDirty(); };
    src.updateVRAM = [&paper] { UpdateVRAM(paper, false, false); };
    src.drawOptionalImage = [&paper] { paper.drawOptionalImage(); };
    return src;
}

// QEVS: the raw data straight into the recorder.
uint8_t readStoredEvents(QIODevice &stream, CEventMngr &mngr, const SEvFileHead &h)
{
    if (h.version > kEventFileVersion)
        return CS_BAD_VERSION;
    if (h.extFlags != 0)
        return CS_BAD_TYPE;
    if (int64_t(h.size) - int64_t(h.dataLen) - 32 < 0)
        return CS_BAD_SIZE;
    if (!mngr.isInitOK())
        return CS_NO_EVENT_RECORDER;
    if (mngr.loadData(stream, h.dataLen, h.eventCnt) != h.dataLen) {
        mngr.restart();
        return CS_EVENTS_NOT_TAKEN;
    }
    mngr.fileVersion = uint8_t(h.version);
    mngr.fileExtFlags = h.extFlags;
    const int64_t rest = int64_t(h.size) - 32 - h.dataLen;
    stream.seek(std::min(stream.pos() + rest, stream.size()));
    return CS_OK;
}

} // namespace

QString eventFileExtension(int32_t version)
{
    if (version >= 48)
        return QStringLiteral(".qe5");
    if (version >= 32)
        return QStringLiteral(".qe4");
    if (version >= 16)
        return QStringLiteral(".qe3");
    return QStringLiteral(".qes");
}

int32_t CEventMngr::getPlayFileVersion(QString &ext) const
{
    ext = eventFileExtension(fileVersion);
    return fileVersion;
}

// ---- Writing ----

uint8_t writeEventSegments(QIODevice &stream, CEventMngr &mngr, IPaperProgress *progress)
{
    try {
        const uint32_t total = mngr.topEventPos;
        const uint32_t count = mngr.getDataSegCount();
        if (count == 0 || total == 0)
            return CS_NOTHING_TO_WRITE;
        std::vector<uint8_t> raw, packed;
        try {
            raw.resize(mngr.unitLen);
            packed.resize(65536);
        } catch (const std::bad_alloc &) {
            return CS_NO_MEMORY;
        }
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t ofs = i * mngr.unitLen;
            const uint32_t share = std::min(mngr.unitLen, total - ofs);
            if (i >= mngr.segmentCount() || share > mngr.segment(i).length)
                return CS_SEGMENT_LENGTH;
            if (mngr.segment(i).readData(0, raw.data(), share) != share)
                return CS_SEGMENT_SHORT;
            const int32_t n = compressToMemory(raw.data(), share, packed);
            if (n <= 0)
                return CS_NO_MEMORY;
            SEvSegHead h;
            h.tag = kTagQBEV;
            h.size = kSegHeadRest + round4(uint32_t(n));
            h.offset = ofs;
            h.rawLen = share;
            h.packedLen = uint32_t(n);
            if (uint8_t r = writeRecord(stream, h))
                return r;
            if (uint8_t r = writeBytes(stream, QByteArrayView(packed.data(), n)))
                return r;
            if (uint8_t r = writeZeros(stream, chunkPadding(uint32_t(n))))
                return r;
            progressStep(progress);
        }
        return CS_OK;
    } catch (...) {
        return CS_EXCEPTION;
    }
}

uint8_t writeCompressedEvents(QIODevice &stream, TPaper &paper, int32_t version,
                              IPaperProgress *progress, int32_t extFlags)
{
    CEventMngr &mngr = paper.eventMngr();
    if (mngr.topEventPos == 0)
        return CS_NOTHING_TO_WRITE;
    SEvPackHead h;
    h.head = fileHead(kTagQEVP, paper, mngr);
    h.head.size = 48;
    h.head.version =
        uint16_t(version >= 0 && version <= kEventFileVersion ? version : kEventFileVersion);
    h.head.extFlags = uint16_t(extFlags == -1 ? 0 : extFlags);
    h.segLen = mngr.unitLen;
    h.segCount = mngr.getDataSegCount();
    if (uint8_t r = writeRecord(stream, h))
        return r;
    return writeEventSegments(stream, mngr, progress);
}

uint8_t writeStoredEvents(QIODevice &stream, TPaper &paper)
{
    const CEventMngr &mngr = paper.eventMngr();
    SEvFileHead h = fileHead(kTagQEVS, paper, mngr);
    h.size = 32 + round4(mngr.topEventPos);
    h.version = kEventFileVersion;
    if (uint8_t r = writeRecord(stream, h))
        return r;
    if (mngr.saveDataAll(stream) != int64_t(mngr.topEventPos))
        return CS_WRITE_FAILED;
    return writeZeros(stream, chunkPadding(mngr.topEventPos));
}

uint8_t writeNativeEvents(QIODevice &stream, TPaper &paper, IPaperProgress *progress)
{
    const int64_t start = stream.pos();
    uint8_t r;
    try {
        r = writeCompressedEvents(stream, paper, kEventFileVersion, progress, 0);
    } catch (...) {
        r = CS_EXCEPTION;
    }
    if (r != CS_OK && stream.seek(start))
        truncateStream(stream, start);
    return r;
}

// ---- Reading ----

uint8_t readEventChunkHead(QIODevice &stream, SEvFileHead &head)
{
    int64_t start = stream.pos();
    if (!readRecord(stream, head))
        return CS_READ_FAILED;
    if (head.tag == kTagQTNL) {
        const int64_t next = start + 8 + int64_t(head.size);
        if (next > stream.size())
            return CS_PAST_END;
        if (!stream.seek(next))
            return CS_SEEK_FAILED;
        if (!readRecord(stream, head))
            return CS_READ_FAILED;
    }
    if (head.tag != kTagQEVP && head.tag != kTagQEVS)
        return CS_BAD_TAG;
    return CS_OK;
}

uint8_t readEventSegment(QIODevice &stream, CEventMngr &mngr, uint32_t read, uint32_t total,
                         uint32_t &length)
{
    try {
        length = 0;
        SEvSegHead h;
        if (!readRecord(stream, h))
            return CS_READ_FAILED;
        if (h.tag != kTagQBEV)
            return CS_BAD_TAG;
        // The chunk must hold its packed bytes, continue the data where the last one ended
        // and carry exactly one segment's share.
        if (h.size < kSegHeadRest || h.packedLen > h.size - kSegHeadRest || h.offset != read ||
            h.rawLen != std::min(mngr.unitLen, total - read))
            return CS_BAD_SIZE;
        const uint32_t stored = h.size - kSegHeadRest;
        if (int64_t(stored) > stream.size() - stream.pos())
            return CS_READ_FAILED;
        std::vector<uint8_t> in, out;
        try {
            in.resize(stored);
            out.resize(h.rawLen);
        } catch (const std::bad_alloc &) {
            return CS_NO_MEMORY;
        }
        if (stream.read(reinterpret_cast<char *>(in.data()), stored) != qint64(stored))
            return CS_READ_FAILED;
        if (codec::codecDecompress(std::span(in.data(), h.packedLen), out) !=
            codec::CodecStatus::Nothing)
            return CS_READ_FAILED;
        if (mngr.writeDataEx(out.data(), h.rawLen) != h.rawLen)
            return CS_SEGMENT_NOT_TAKEN;
        length = h.rawLen;
        return CS_OK;
    } catch (...) {
        return CS_EXCEPTION;
    }
}

uint8_t readEventSegments(QIODevice &stream, CEventMngr &mngr, uint32_t total,
                          IPaperProgress *progress, uint32_t &read)
{
    read = 0;
    while (read < total) {
        const int64_t start = stream.pos();
        uint32_t len = 0;
        if (uint8_t r = readEventSegment(stream, mngr, read, total, len)) {
            stream.seek(start);
            return r;
        }
        read += len;
        progressStep(progress);
    }
    return CS_OK;
}

uint8_t readCompressedEvents(QIODevice &stream, TPaper &paper, IPaperProgress *progress)
{
    CEventMngr &mngr = paper.eventMngr();
    SEvPackHead h;
    if (!readRecord(stream, h))
        return CS_READ_FAILED;
    if (h.head.tag != kTagQEVP)
        return CS_BAD_TAG;
    if (h.head.size != 48)
        return CS_BAD_SIZE;
    if (h.head.version > kEventFileVersion)
        return CS_BAD_VERSION;
    if (!mngr.isInitOK())
        return CS_NO_EVENT_RECORDER;
    if (h.segCount == 0 || h.head.dataLen == 0)
        return CS_NOTHING_TO_WRITE;
    if (h.segLen != mngr.unitLen ||
        h.segCount != (uint64_t(h.head.dataLen) + h.segLen - 1) / h.segLen)
        return CS_SEGMENT_LENGTH;
    if (!mngr.restart())
        return CS_NO_EVENT_RECORDER;
    if (progress)
        progress->reset(int(h.segCount));
    uint32_t read = 0;
    const uint8_t r = readEventSegments(stream, mngr, h.head.dataLen, progress, read);
    if (r != CS_OK) {
        // Never replay a cut stream as if it held every event.
        mngr.restart();
        return r;
    }
    mngr.fileVersion = uint8_t(h.head.version & 0xFF);
    mngr.fileExtFlags = h.head.extFlags;
    mngr.setupPlayPos(read, h.head.eventCnt);
    return CS_OK;
}

namespace {

uint8_t readEventChunk(QIODevice &stream, TPaper &paper, IPaperProgress *progress)
{
    SEvFileHead head;
    if (uint8_t r = readEventChunkHead(stream, head))
        return r;
    if (head.tag == kTagQEVP) {
        if (!stream.seek(stream.pos() - int64_t(sizeof(SEvFileHead))))
            return CS_READ_FAILED;
        return readCompressedEvents(stream, paper, progress);
    }
    return readStoredEvents(stream, paper.eventMngr(), head);
}

} // namespace

uint8_t readEventData(QIODevice &stream, TPaper &paper, IPaperProgress *progress)
{
    const uint8_t r = readEventChunk(stream, paper, progress);
    // A failed load leaves no stream behind that could be replayed or continued.
    if (r != CS_OK && paper.eventMngr().isInitOK())
        paper.eventMngr().restart();
    return r;
}

uint8_t readNativeEvents(QIODevice &stream, TPaper &paper, IPaperProgress *progress)
{
    const int64_t start = stream.pos();
    uint8_t r;
    try {
        r = readEventData(stream, paper, progress);
    } catch (...) {
        r = CS_EXCEPTION;
    }
    if (r != CS_OK)
        stream.seek(start);
    return r;
}

// ---- Files ----

bool exportEventFile(const QString &path, TPaper &paper, bool thumbnail, int32_t extFlags,
                     int32_t version, bool compressed)
{
    CEventMngr &mngr = paper.eventMngr();
    if (mngr.curStatus != eEvStat::esRecording)
        return false;
    disposeRedo(paper);
    if (!mngr.pushEventFin())
        return false;
    bool ok = false;
    {
        WaitCursor wait;
        const QString name = QFileInfo(path).fileName();
        std::unique_ptr<IPaperProgress> progress = appOpenProgress(
            int(mngr.getDataSegCount()) + 1,
            QStringLiteral("%1保存中 (%2)").arg(QStringLiteral("イベント"), name), QString());
        try {
            std::unique_ptr<QSaveFile> file = tryCreateSaveStream(path);
            if (file) {
                if (thumbnail) {
                    if (progress)
                        progress->setMessage(QStringLiteral("%1を保存しています...")
                                                 .arg(QStringLiteral("サムネイル")));
                    // A failed thumbnail cuts itself away; the events are what counts.
                    (void)writeDocumentThumbnail(*file, thumbnailSource(paper), version > 15);
                    progressStep(progress.get());
                }
                if (progress)
                    progress->setMessage(QStringLiteral("%1を保存しています...")
                                             .arg(QStringLiteral("イベントデータ")));
                const uint8_t r = compressed ? writeCompressedEvents(*file, paper, version,
                                                                     progress.get(), extFlags)
                                             : writeStoredEvents(*file, paper);
                ok = r == CS_OK && commitSaveFile(*file);
            }
        } catch (...) {
            ok = false;
        }
    }
    if (!mngr.removeEventFin())
        showWarning(QStringLiteral("Alert: failed to remove EventFin!"));
    return ok;
}

uint8_t loadEventFile(const QString &path, TPaper &paper)
{
    try {
        if (!isReadableFile(path))
            return CS_FILE_MISSING;
        if (!paper.eventMngr().isInitOK())
            return CS_NO_EVENT_RECORDER;
        const QString name = QFileInfo(path).fileName();
        std::unique_ptr<IPaperProgress> progress = appOpenProgress(
            1, QStringLiteral("%1ロード中 (%2)").arg(QStringLiteral("イベント"), name),
            QStringLiteral("%1をロードしています...").arg(QStringLiteral("イベントデータ")));
        std::unique_ptr<QFile> file = tryCreateFileStream(path, QIODevice::ReadOnly);
        if (!file)
            return CS_CANNOT_OPEN;
        return readEventData(*file, paper, progress.get());
    } catch (...) {
        return CS_EXCEPTION;
    }
}

uint8_t readEventFileThumbnail(const QString &path, std::unique_ptr<TMTC> &image, sSize &size)
{
    try {
        image.reset();
        if (!isReadableFile(path))
            return CS_FILE_MISSING;
        std::unique_ptr<QFile> file = tryCreateFileStream(path, QIODevice::ReadOnly);
        if (!file)
            return CS_CANNOT_OPEN;
        SEvFileHead head;
        if (uint8_t r = readEventChunkHead(*file, head))
            return r;
        size = sSize{head.width, head.height};
        if (!file->seek(0))
            return CS_SEEK_FAILED;
        return findThumbnail(*file, image);
    } catch (...) {
        return CS_EXCEPTION;
    }
}
