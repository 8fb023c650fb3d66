#include "paint/tone/tone_set_file.h"

#include "core/image/channel.h"
#include "format/chunk.h"
#include "format/image_records.h"
#include "paint/set_file_io.h"
#include "paint/tone/pattern_tiles.h"
#include "platform/system/file_stream.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

using setfile::get;
using setfile::put;
using setfile::readExactly;

constexpr uint32_t kTagPTST = chunkTag("PTST");
constexpr uint32_t kTagQPAT = chunkTag("QPAT");

void fillPatCommon(SPatRecord &rec, const CPat8 &pat)
{
    rec = SPatRecord{};
    rec.bpp = 8;
    rec.version = kPatRecordVersion;
    rec.flags = pat.Fnega ? kPatRecNegative : 0;
    rec.zoom = pat.zoom;
    rec.ofsX = pat.ofs.x;
    rec.ofsY = pat.ofs.y;
    rec.width = pat.size.x;
    rec.height = pat.size.y;
}

QByteArray toneSetHead(const SToneSetItems &set)
{
    QByteArray bytes(kToneSetHeadSize, '\0');
    auto *p = reinterpret_cast<uint8_t *>(bytes.data());
    put<uint32_t>(p, 0, kTagPTST);
    put<uint32_t>(p, 4, kToneSetHeadSize - kChunkHeaderSize);
    put<uint16_t>(p, 10, kToneSetVersion);
    put<uint16_t>(p, 12, uint16_t(set.patterns.size()));
    put<uint16_t>(p, 14, uint16_t(std::max(set.current, 0)));
    return bytes;
}

// The QPAT chunk of one pattern: header, record, UTF-16 name, padding.
QByteArray patChunk(SPatRecord rec, const QString &name)
{
    const uint32_t nameBytes = uint32_t(name.size()) * 2;
    rec.nameLen = uint16_t(nameBytes);
    const uint32_t padding = chunkPadding(nameBytes);
    QByteArray bytes(qsizetype(kChunkHeaderSize + kPatRecordSize + nameBytes + padding), '\0');
    auto *p = reinterpret_cast<uint8_t *>(bytes.data());
    put<uint32_t>(p, 0, kTagQPAT);
    put<uint32_t>(p, 4, kPatRecordSize + nameBytes + padding);
    const QByteArray record = patRecordBytes(rec);
    std::memcpy(p + kChunkHeaderSize, record.constData(), kPatRecordSize);
    for (qsizetype i = 0; i < name.size(); ++i) {
        put<uint16_t>(p, int(kChunkHeaderSize + kPatRecordSize + 2 * i), name.at(i).unicode());
    }
    return bytes;
}

uint8_t writePattern(QIODevice &stream, const CPatObj &pat)
{
    const auto *plain = dynamic_cast<const CPat8 *>(&pat);
    if (!plain || !plain->channel()->isEnable() || pat.name().size() * 2 > 0xFFFF) {
        return CS_ITEM_NOT_WRITABLE;
    }
    SPatRecord rec;
    const auto *tone = dynamic_cast<const CPat8Tone *>(&pat);
    if (tone) {
        fillPatToneRecord(rec, *tone);
    } else {
        fillPatRecord(rec, *plain);
    }
    if (const uint8_t code = writeBytes(stream, patChunk(rec, pat.name())); code != CS_OK) {
        return code;
    }
    const TChannel &tile = *plain->channel();
    SImageRecordDesc desc;
    setWriterScramble(desc);
    desc.subType = tone ? IRS_TONE_CELL : IRS_NIB_SHAPE;
    desc.srcWidth = desc.width = tile.width();
    desc.srcHeight = desc.height = tile.height();
    desc.rawLen = tile.getImageDataBytes();
    return writeImageRecord(stream, desc, std::span(tile.buffer(), desc.rawLen));
}

uint8_t readPatName(QIODevice &stream, const SPatRecord &rec, QString &name)
{
    if (rec.nameLen == 0) {
        name.clear();
        return CS_OK;
    }
    return rec.version >= 2 ? readWideString(stream, rec.nameLen, name)
                            : readAnsiString(stream, rec.nameLen, name);
}

// A pattern made from a record and its tile.
uint8_t makePattern(const std::shared_ptr<CToneMaker> &maker, const SPatRecord &rec,
                    const QString &name, const TChannel &tile, std::unique_ptr<CPatObj> &out)
{
    const sPos ofs{rec.ofsX, rec.ofsY};
    std::unique_ptr<CPat8> pat;
    if (rec.kind == 0) {
        pat = makePatternOfTile(tile, rec.zoom, &ofs);
    } else if (rec.kind == 1) {
        SToneAttr attr;
        initToneAttr(attr);
        readPatToneAttr(rec, attr);
        attr.name = name;
        if (!isToneAttrUsable(attr)) {
            return CS_BAD_TYPE;
        }
        pat = makeScreenTone(attr, maker, false, &tile);
        if (pat) {
            pat->ofs = ofs;
        }
    } else {
        return CS_BAD_TYPE;
    }
    if (!pat) {
        return CS_ITEM_NOT_ADDED;
    }
    pat->zoom = clampPatternZoom(*pat, rec.zoom);
    pat->setName(name);
    pat->Fnega = (rec.flags & kPatRecNegative) != 0;
    out = std::move(pat);
    return CS_OK;
}

// One QPAT chunk whose header (at start) was read and lies inside the stream, and the image record
// that follows it. imageLength receives the image record's length once it is known.
uint8_t readPatChunk(QIODevice &stream, int64_t start, const SChunkHeader &head,
                     const std::shared_ptr<CToneMaker> &maker, std::unique_ptr<CPatObj> &out,
                     int64_t &imageLength)
{
    if (head.size < uint32_t(kPatRecordSize)) {
        return kToneChunkTooShort;
    }
    uint8_t bytes[kPatRecordSize];
    if (!readExactly(stream, bytes, sizeof bytes)) {
        return CS_READ_FAILED;
    }
    const SPatRecord rec = patRecordFromBytes(bytes);
    if (head.size < uint32_t(kPatRecordSize) + rec.nameLen) {
        return kToneChunkTooShort;
    }
    QString name;
    if (const uint8_t code = readPatName(stream, rec, name); code != CS_OK) {
        return code;
    }
    if (!stream.seek(start + kChunkHeaderSize + head.size)) {
        return CS_READ_FAILED;
    }
    if (rec.bpp != 8) {
        return CS_BAD_TYPE;
    }
    if (rec.version >= 3) {
        return CS_BAD_VERSION;
    }
    SImageRecordDesc desc;
    std::unique_ptr<TChannel> tile;
    if (const uint8_t code = readChannelRecord(stream, desc, tile, imageLength); code != CS_OK) {
        return code;
    }
    return makePattern(maker, rec, name, *tile, out);
}

uint8_t readToneSetHead(QIODevice &stream, SToneSetContents &out)
{
    uint8_t head[kToneSetHeadSize];
    if (!readExactly(stream, head, sizeof head)) {
        return CS_READ_FAILED;
    }
    if (const uint8_t code = checkChunkIdSize(std::span<const uint8_t>(head, sizeof head), kTagPTST,
                                              kToneSetHeadSize - kChunkHeaderSize);
        code != CS_OK) {
        return code;
    }
    if (get<uint16_t>(head, 8) != 0) {
        return CS_BAD_TYPE;
    }
    out.version = get<uint16_t>(head, 10);
    if (out.version > kToneSetVersion) {
        return CS_BAD_VERSION;
    }
    out.announced = get<uint16_t>(head, 12);
    out.current = get<uint16_t>(head, 14);
    return out.announced == 0 ? CS_NOTHING_SAVED : CS_OK;
}

} // namespace

void fillPatRecord(SPatRecord &rec, const CPat8 &pat)
{
    fillPatCommon(rec, pat);
    rec.kind = 0;
    rec.flags |= kPatRecPlain;
}

void fillPatToneRecord(SPatRecord &rec, const CPat8Tone &tone)
{
    fillPatCommon(rec, tone);
    rec.kind = 1;
    const SToneAttr &a = tone.toneAttr;
    if (a.genName) {
        rec.flags |= kPatRecGenName;
    }
    rec.pattern = a.pattern;
    rec.dpi = a.dpi;
    rec.line = a.line;
    rec.percent = a.percent;
    rec.degree = a.degree;
    rec.band = a.band;
}

void readPatToneAttr(const SPatRecord &rec, SToneAttr &attr)
{
    attr.genName = (rec.flags & kPatRecGenName) != 0;
    attr.pattern = tonePatTypeOf(rec.pattern);
    attr.dpi = rec.dpi;
    attr.line = rec.line;
    attr.percent = rec.percent;
    attr.degree = rec.degree;
    attr.band = rec.band;
}

QByteArray patRecordBytes(const SPatRecord &rec)
{
    QByteArray bytes(kPatRecordSize, '\0');
    auto *p = reinterpret_cast<uint8_t *>(bytes.data());
    put<uint16_t>(p, 0, rec.bpp);
    put<uint16_t>(p, 2, rec.kind);
    put<uint16_t>(p, 4, rec.nameLen);
    put<uint16_t>(p, 6, rec.version);
    put<uint32_t>(p, 8, rec.flags);
    put<int32_t>(p, 12, rec.zoom);
    put<int32_t>(p, 16, rec.ofsX);
    put<int32_t>(p, 20, rec.ofsY);
    put<int32_t>(p, 24, rec.width);
    put<int32_t>(p, 28, rec.height);
    put<int32_t>(p, 40, rec.pattern);
    put<float>(p, 44, rec.dpi);
    put<float>(p, 48, rec.line);
    put<float>(p, 52, rec.percent);
    put<float>(p, 56, rec.degree);
    put<int32_t>(p, 60, rec.band);
    return bytes;
}

SPatRecord patRecordFromBytes(const uint8_t *p)
{
    SPatRecord rec;
    rec.bpp = get<uint16_t>(p, 0);
    rec.kind = get<uint16_t>(p, 2);
    rec.nameLen = get<uint16_t>(p, 4);
    rec.version = get<uint16_t>(p, 6);
    rec.flags = get<uint32_t>(p, 8);
    rec.zoom = get<int32_t>(p, 12);
    rec.ofsX = get<int32_t>(p, 16);
    rec.ofsY = get<int32_t>(p, 20);
    rec.width = get<int32_t>(p, 24);
    rec.height = get<int32_t>(p, 28);
    rec.pattern = get<int32_t>(p, 40);
    rec.dpi = get<float>(p, 44);
    rec.line = get<float>(p, 48);
    rec.percent = get<float>(p, 52);
    rec.degree = get<float>(p, 56);
    rec.band = get<int32_t>(p, 60);
    return rec;
}

int32_t clampPatternZoom(const CPatObj &pat, int32_t zoom)
{
    const sRange range = pat.getZoomRange();
    const int32_t lo = std::max(1, std::min(range.min, 100));
    const int32_t hi = std::clamp(range.max, 100, 200);
    return std::clamp(zoom, lo, hi);
}

uint8_t writeToneSet(QIODevice &stream, const SToneSetItems &set)
{
    if (set.patterns.empty()) {
        return CS_NOTHING_SAVED;
    }
    if (set.patterns.size() > 0xFFFF) {
        return CS_ITEM_NOT_WRITABLE;
    }
    try {
        if (const uint8_t code = writeBytes(stream, toneSetHead(set)); code != CS_OK) {
            return code;
        }
        for (const CPatObj *pat : set.patterns) {
            if (const uint8_t code = writePattern(stream, *pat); code != CS_OK) {
                return code;
            }
        }
    } catch (const std::bad_alloc &) {
        return CS_NO_MEMORY;
    }
    return CS_OK;
}

uint8_t writeToneSetFile(const QString &path, const SToneSetItems &set)
{
    if (set.patterns.empty()) {
        return CS_NOTHING_SAVED;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return CS_CANNOT_CREATE;
    }
    uint8_t code = CS_OK;
    try {
        code = writeToneSet(file, set);
    } catch (...) {
        code = CS_EXCEPTION;
    }
    if (code != CS_OK) {
        file.cancelWriting();
        return code;
    }
    return commitSaveFile(file) ? CS_OK : CS_WRITE_FAILED;
}

uint8_t readToneSet(QIODevice &stream, const std::shared_ptr<CToneMaker> &maker,
                    SToneSetContents &out)
{
    if (const uint8_t code = readToneSetHead(stream, out); code != CS_OK) {
        return code;
    }
    const int64_t end = stream.size();
    int32_t expected = out.announced;
    while (expected > 0 && stream.pos() < end) {
        const int64_t start = stream.pos();
        SChunkHeader head;
        if (readChunkHeader(stream, head) != CS_OK) {
            return CS_READ_FAILED;
        }
        if (int64_t(head.size) > end - start - kChunkHeaderSize) {
            return kToneChunkPastEnd;
        }
        int64_t next = start + kChunkHeaderSize + head.size;
        if (head.tag == kTagQPAT) {
            std::unique_ptr<CPatObj> pat;
            int64_t imageLength = 0;
            uint8_t code = CS_OK;
            try {
                code = readPatChunk(stream, start, head, maker, pat, imageLength);
            } catch (...) {
                code = CS_EXCEPTION;
            }
            if (code == CS_OK) {
                out.patterns.push_back(std::move(pat));
                --expected;
                continue; // the stream stands behind the image record
            }
            if (code == CS_READ_FAILED && imageLength == 0) {
                return CS_READ_FAILED; // the stream ends inside the image record's head
            }
            // Past the image record too when it was measured and lies inside the stream; else
            // the next round meets it as a chunk of its own.
            if (imageLength > 0 && next + imageLength <= end) {
                next += imageLength;
            }
        }
        if (!stream.seek(next)) {
            return CS_READ_FAILED;
        }
    }
    return out.patterns.empty() ? CS_NOTHING_SAVED : CS_OK;
}

uint8_t readToneSetFile(const QString &path, const std::shared_ptr<CToneMaker> &maker,
                        SToneSetContents &out)
{
    return setfile::readSetFile(path, [&](QFile &file) { return readToneSet(file, maker, out); });
}
