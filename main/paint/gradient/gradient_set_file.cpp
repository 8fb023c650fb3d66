#include "paint/gradient/gradient_set_file.h"

#include "format/chunk.h"
#include "paint/set_file_io.h"
#include "platform/system/file_stream.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

using setfile::readExactly;

constexpr uint32_t kTagQGRD = chunkTag("QGRD");
constexpr uint32_t kTagGRST = chunkTag("GRST");
// Bytes of the chunk head after the 8-byte chunk header.
constexpr uint32_t kGradChunkFixedSize = kGradChunkHeadSize - kChunkHeaderSize;

uint16_t u16At(const uint8_t *p, int offset)
{
    return qFromLittleEndian<uint16_t>(p + offset);
}

uint32_t u32At(const uint8_t *p, int offset)
{
    return qFromLittleEndian<uint32_t>(p + offset);
}

void putU16(uint8_t *p, int offset, uint16_t v)
{
    qToLittleEndian<uint16_t>(v, p + offset);
}

void putU32(uint8_t *p, int offset, uint32_t v)
{
    qToLittleEndian<uint32_t>(v, p + offset);
}

// A gradient from a file is used only when it lays out: a packed group whose widths are not
// negative (the last stop's width is never used) and sum above zero.
bool isUsableGroup(CColorSlotGroup &g)
{
    return g.refresh() && g.isPacked();
}

uint8_t readGradChunkName(QIODevice &stream, uint16_t version, uint16_t bytes, QString &name)
{
    if (bytes == 0) {
        name.clear();
        return CS_OK;
    }
    return version >= 2 ? readWideString(stream, bytes, name) : readAnsiString(stream, bytes, name);
}

uint8_t readGradStops(QIODevice &stream, int64_t bytes, CColorSlotGroup &group)
{
    int32_t idx = 0;
    for (; bytes >= int64_t(sizeof(sCRSlot)); bytes -= sizeof(sCRSlot)) {
        sCRSlot s;
        if (!readExactly(stream, &s, sizeof s)) {
            return CS_READ_FAILED;
        }
        if (!group.setColor(idx++, s)) {
            return CS_ITEM_NOT_ADDED;
        }
    }
    return idx < 2 ? CS_ITEM_NOT_WRITABLE : CS_OK;
}

// One chunk at the stream position into a new gradient; the chunk was checked to lie inside the
// stream. Exceptions count as 3.
uint8_t readOneGradient(QIODevice &stream, std::unique_ptr<CGradObj> &grad)
{
    try {
        grad = std::make_unique<CGradObj>();
        return readGradChunk(stream, *grad->crsg, grad->attr);
    } catch (...) {
        return CS_EXCEPTION;
    }
}

QByteArray gradSetHeader(const SGradSetItems &set)
{
    QByteArray bytes(kGradSetHeadSize, '\0');
    auto *p = reinterpret_cast<uint8_t *>(bytes.data());
    putU32(p, 0, kTagGRST);
    putU32(p, 4, kGradSetHeadSize - kChunkHeaderSize);
    putU16(p, 8, kGradFileVersion);
    putU16(p, 10, uint16_t(set.grads.size()));
    putU32(p, 12, set.fixedCurrent ? 1u : 0u);
    putU16(p, 16, uint16_t(set.current));
    putU16(p, 18, set.hasFixed ? uint16_t(0) : uint16_t(0xFFFF));
    return bytes;
}

} // namespace

uint8_t writeGradChunk(QIODevice &stream, const CColorSlotGroup &crsg, const SGradAttr &attr)
{
    if (!crsg.isPacked()) {
        return CS_ITEM_NOT_WRITABLE;
    }
    const qsizetype nameBytes = crsg.name.size() * 2;
    if (nameBytes > 0xFFFF) {
        return CS_ITEM_NOT_WRITABLE;
    }
    const int32_t stops = crsg.slotMaxIdx + 1;
    const uint32_t padding = chunkPadding(uint64_t(nameBytes));
    const uint32_t size =
        kGradChunkFixedSize + uint32_t(nameBytes) + padding + uint32_t(stops) * sizeof(sCRSlot);

    QByteArray bytes(qsizetype(kChunkHeaderSize + size), '\0');
    auto *p = reinterpret_cast<uint8_t *>(bytes.data());
    putU32(p, 0, kTagQGRD);
    putU32(p, 4, size);
    putU16(p, 8, attr.enbAttr ? 1 : 0);
    putU16(p, 10, kGradFileVersion);
    putU16(p, 12, attr.gradType);
    putU16(p, 14, attr.gradMap);
    putU16(p, 16, attr.gradRep);
    putU16(p, 18, uint16_t(attr.gradRepCnt));
    putU16(p, 30, uint16_t(stops));
    putU16(p, 32, sizeof(sCRSlot));
    putU16(p, 34, uint16_t(nameBytes));
    for (qsizetype i = 0; i < crsg.name.size(); ++i) {
        putU16(p, int(kGradChunkHeadSize + 2 * i), crsg.name.at(i).unicode());
    }
    const uint8_t *slotBytesPtr = nullptr;
    int32_t slotBytes = 0;
    if (!crsg.getSlotImage(slotBytesPtr, slotBytes)) {
        return CS_ITEM_NOT_WRITABLE;
    }
    std::memcpy(p + kGradChunkHeadSize + nameBytes + padding, slotBytesPtr, size_t(slotBytes));
    return writeBytes(stream, bytes);
}

uint8_t readGradChunk(QIODevice &stream, CColorSlotGroup &crsg, SGradAttr &attr)
{
    const qint64 start = stream.pos();
    uint8_t head[kGradChunkHeadSize];
    if (!readExactly(stream, head, sizeof head)) {
        return CS_READ_FAILED;
    }
    if (u32At(head, 0) != kTagQGRD) {
        return CS_BAD_TAG;
    }
    const uint16_t version = u16At(head, 10);
    if (version > kGradFileVersion) {
        return CS_BAD_VERSION;
    }
    const uint32_t size = u32At(head, 4);
    if (!stream.isSequential() && start + kChunkHeaderSize + int64_t(size) > stream.size()) {
        return kGradChunkPastEnd;
    }
    const uint16_t nameBytes = u16At(head, 34);
    const uint32_t padding = chunkPadding(nameBytes);
    if (size < kGradChunkFixedSize + nameBytes + padding) {
        return CS_BAD_SIZE;
    }

    SGradAttr a;
    a.enbAttr = (u16At(head, 8) & 1) != 0;
    a.gradType = uint8_t(std::min<uint16_t>(u16At(head, 12), gtMaxNum - 1));
    a.gradMap = uint8_t(std::min<uint16_t>(u16At(head, 14), gmMaxNum - 1));
    a.gradRep = uint8_t(std::min<uint16_t>(u16At(head, 16), grMaxNum - 1));
    // A count of 0 repeats nothing and no evaluator accepts it.
    a.gradRepCnt = std::max<int32_t>(u16At(head, 18), 1);

    CColorSlotGroup group(crsg.growNum);
    QString name;
    if (const uint8_t code = readGradChunkName(stream, version, nameBytes, name); code != CS_OK) {
        return code;
    }
    group.setName(name);
    if (padding > 0 && !stream.seek(stream.pos() + padding)) {
        return CS_READ_FAILED;
    }
    const int64_t stopBytes = int64_t(size) - kGradChunkFixedSize - nameBytes - padding;
    if (const uint8_t code = readGradStops(stream, stopBytes, group); code != CS_OK) {
        return code;
    }
    if (!isUsableGroup(group)) {
        return CS_ITEM_NOT_WRITABLE;
    }
    // Bytes after the last whole stop belong to the chunk too.
    if (!stream.seek(start + kChunkHeaderSize + size)) {
        return CS_READ_FAILED;
    }
    crsg = std::move(group);
    attr = a;
    return CS_OK;
}

uint8_t readGradSet(QIODevice &stream, SGradSetContents &out)
{
    uint8_t head[kGradSetHeadSize];
    if (!readExactly(stream, head, sizeof head)) {
        return CS_READ_FAILED;
    }
    if (const uint8_t code = checkChunkIdSize(std::span<const uint8_t>(head, sizeof head), kTagGRST,
                                              kGradSetHeadSize - kChunkHeaderSize);
        code != CS_OK) {
        return code;
    }
    out.version = u16At(head, 8);
    if (out.version > kGradFileVersion) {
        return CS_BAD_VERSION;
    }
    out.announced = u16At(head, 10);
    out.flags = u32At(head, 12);
    out.current = u16At(head, 16);
    out.fixedIdx = u16At(head, 18);
    if (out.announced == 0) {
        return CS_NOTHING_SAVED;
    }

    int32_t expected = out.announced;
    while (expected > 0) {
        const qint64 chunkStart = stream.pos();
        const qint64 remaining = stream.size() - chunkStart;
        if (remaining <= 0) {
            break;
        }
        SChunkHeader chunk;
        if (readChunkHeader(stream, chunk) != CS_OK) {
            return CS_READ_FAILED;
        }
        if (chunk.size > remaining - kChunkHeaderSize) {
            return kGradChunkPastEnd;
        }
        if (chunk.tag == kTagQGRD && stream.seek(chunkStart)) {
            std::unique_ptr<CGradObj> grad;
            if (readOneGradient(stream, grad) == CS_OK) {
                grad->refresh();
                out.grads.push_back(std::move(grad));
                --expected;
            }
        }
        // Another tag, or a gradient that failed: go on after the chunk.
        if (!stream.seek(chunkStart + kChunkHeaderSize + chunk.size)) {
            return CS_READ_FAILED;
        }
    }
    return out.grads.empty() ? CS_NOTHING_SAVED : CS_OK;
}

uint8_t readGradSetFile(const QString &path, SGradSetContents &out)
{
    return setfile::readSetFile(path, [&](QFile &file) { return readGradSet(file, out); });
}

uint8_t writeGradSet(QIODevice &stream, const SGradSetItems &set)
{
    if (set.grads.empty()) {
        return CS_NOTHING_SAVED;
    }
    if (set.grads.size() > 0xFFFF || set.current < 0 || set.current > 0xFFFF) {
        return CS_ITEM_NOT_WRITABLE;
    }
    if (const uint8_t code = writeBytes(stream, gradSetHeader(set)); code != CS_OK) {
        return code;
    }
    for (const CGradObj *grad : set.grads) {
        if (const uint8_t code = writeGradChunk(stream, *grad->crsg, grad->attr); code != CS_OK) {
            return code;
        }
    }
    return CS_OK;
}

uint8_t writeGradSetFile(const QString &path, const SGradSetItems &set)
{
    if (set.grads.empty()) {
        return CS_NOTHING_SAVED;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return CS_CANNOT_CREATE;
    }
    uint8_t code = CS_OK;
    try {
        code = writeGradSet(file, set);
    } catch (const std::bad_alloc &) {
        code = CS_EXCEPTION;
    }
    if (code != CS_OK) {
        file.cancelWriting();
        return code;
    }
    return commitSaveFile(file) ? CS_OK : CS_WRITE_FAILED;
}
