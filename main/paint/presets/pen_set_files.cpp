#include "paint/presets/pen_set_files.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "format/chunk.h"
#include "format/image_records.h"
#include "paint/set_file_io.h"
#include "platform/system/file_stream.h"
#include "platform/desktop/messages.h"

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

constexpr uint32_t kTagPSST = chunkTag("PSST");
constexpr uint32_t kTagPSHP = chunkTag("PSHP");
constexpr uint32_t kTagPMST = chunkTag("PMST");
constexpr uint32_t kTagPMTD = chunkTag("PMTD");

constexpr uint16_t kNibTypeStd = 0;
constexpr uint16_t kNibTypeImage = 1;

bool fitsU16(int32_t v)
{
    return v >= 0 && v <= 0xFFFF;
}

bool fitsU8(int32_t v)
{
    return v >= 0 && v <= 0xFF;
}

// Each image writer scrambles with a fixed set of parameters of its own.
void setNibImageScramble(SImageRecordDesc &desc)
{
    desc.kind = IRK_SCRAMBLED;
    desc.groupLen = 5;
    desc.xorByte = 0xA7;
    desc.strideLess1 = 3;
    desc.extraBytes = 2;
}

void setIconScramble(SImageRecordDesc &desc)
{
    desc.kind = IRK_SCRAMBLED;
    desc.groupLen = 3;
    desc.xorByte = 0x3C;
    desc.strideLess1 = 6;
    desc.extraBytes = 1;
}

// A chunk of head, record of recordSize bytes (filled by the caller at chunk offsets), the name in
// UTF-16 and zero padding; 20 when the name does not fit its 16-bit length.
uint8_t namedChunk(uint32_t tag, int32_t recordSize, const QString &name, QByteArray &bytes)
{
    const uint32_t nameBytes = uint32_t(name.size()) * 2;
    if (nameBytes > 0xFFFF) {
        return CS_ITEM_NOT_WRITABLE;
    }
    const uint32_t size = uint32_t(recordSize) + nameBytes + chunkPadding(nameBytes);
    bytes = QByteArray(qsizetype(kChunkHeaderSize + size), '\0');
    auto *p = reinterpret_cast<uint8_t *>(bytes.data());
    put<uint32_t>(p, 0, tag);
    put<uint32_t>(p, 4, size);
    put<uint16_t>(p, 10, uint16_t(nameBytes));
    for (qsizetype i = 0; i < name.size(); ++i) {
        put<uint16_t>(p, int(kChunkHeaderSize + recordSize + 2 * i), name.at(i).unicode());
    }
    return CS_OK;
}

// ---- nibs

uint8_t nibChunkBytes(const CPenShapeObj &nib, QByteArray &bytes)
{
    const bool image = nib.shapeType == ePenShapeType::pstImage;
    if (image ? !nib.hasImage() : nib.shapeType != ePenShapeType::pstStd) {
        return CS_ITEM_NOT_WRITABLE;
    }
    const int32_t zoom = image ? nib.zoomRate : 0;
    const int32_t zoomMin = image ? nib.zoomRng.min : 0;
    const int32_t zoomMax = image ? nib.zoomRng.max : 0;
    const int32_t words[] = {nib.gradMap.flatRate,
                             nib.gradMap.addRate,
                             nib.penParam.radius,
                             nib.penParam.radiusMin,
                             nib.penParam.flatRate,
                             nib.penParam.degree,
                             zoom,
                             zoomMin,
                             zoomMax};
    if (!std::all_of(std::begin(words), std::end(words), fitsU16)) {
        return CS_ITEM_NOT_WRITABLE; // refused rather than cut to 16 bits
    }
    if (const uint8_t code = namedChunk(kTagPSHP, kNibRecordSize, nib.name(), bytes)) {
        return code;
    }
    auto *p = reinterpret_cast<uint8_t *>(bytes.data());
    put<uint16_t>(p, 8, image ? kNibTypeImage : kNibTypeStd);
    put<uint16_t>(p, 12, kNibRecordVersion);
    put<uint16_t>(p, 24, uint8_t(nib.gradMap.mapType));
    put<uint16_t>(p, 28, uint16_t(nib.gradMap.flatRate));
    put<uint16_t>(p, 30, uint16_t(nib.gradMap.addRate));
    put<uint16_t>(p, 48, uint16_t(nib.penParam.radius));
    put<uint16_t>(p, 50, uint16_t(nib.penParam.radiusMin));
    put<uint16_t>(p, 52, uint16_t(nib.penParam.flatRate));
    put<uint16_t>(p, 54, uint16_t(nib.penParam.degree));
    put<uint32_t>(p, 72, uint32_t(nib.penAttr.antiOff));
    put<uint16_t>(p, 96, uint16_t(zoom));
    put<uint16_t>(p, 100, uint16_t(zoomMin));
    put<uint16_t>(p, 102, uint16_t(zoomMax));
    return CS_OK;
}

// An image record of all of img's pixels, scrambled with setScramble's parameters.
uint8_t writeScrambledImage(QIODevice &stream, const CDibCore &img,
                            void (*setScramble)(SImageRecordDesc &), uint16_t subType)
{
    SImageRecordDesc desc;
    setScramble(desc);
    desc.subType = subType;
    desc.srcWidth = desc.width = img.width();
    desc.srcHeight = desc.height = img.height();
    desc.rawLen = img.getImageDataBytes();
    return writeImageRecord(stream, desc, std::span<const uint8_t>(img.buffer(), desc.rawLen));
}

uint8_t writeNibTip(QIODevice &stream, const TChannel &tip)
{
    return writeScrambledImage(stream, tip, setNibImageScramble, IRS_NIB_SHAPE);
}

uint8_t writeNibUnsafe(QIODevice &stream, const CPenShapeObj &nib)
{
    QByteArray bytes;
    if (const uint8_t code = nibChunkBytes(nib, bytes)) {
        return code;
    }
    if (const uint8_t code = writeBytes(stream, bytes)) {
        return code;
    }
    return nib.shapeType == ePenShapeType::pstImage ? writeNibTip(stream, *nib.shapeCH)
                                                    : uint8_t(CS_OK);
}

// The fields of a PSHP record (offsets from the chunk's tag, as in the header).
struct SNibFields
{
    uint16_t type = 0, nameLen = 0, version = 0;
    uint16_t curve = 0, mapFlat = 0, mapAdd = 0;
    uint16_t radius = 0, radiusMin = 0, flatRate = 0, degree = 0;
    uint32_t antiOff = 0;
    uint16_t zoom = 0;
};

// p: the chunk from its tag, so that offsets read as in the layout.
SNibFields nibFields(const uint8_t *p)
{
    SNibFields f;
    f.type = get<uint16_t>(p, 8);
    f.nameLen = get<uint16_t>(p, 10);
    f.version = get<uint16_t>(p, 12);
    f.curve = get<uint16_t>(p, 24);
    f.mapFlat = get<uint16_t>(p, 28);
    f.mapAdd = get<uint16_t>(p, 30);
    f.radius = get<uint16_t>(p, 48);
    f.radiusMin = get<uint16_t>(p, 50);
    f.flatRate = get<uint16_t>(p, 52);
    f.degree = get<uint16_t>(p, 54);
    f.antiOff = get<uint32_t>(p, 72);
    f.zoom = get<uint16_t>(p, 96);
    return f;
}

std::unique_ptr<CPenShapeObj> makeNib(const SNibFields &f, const QString &name,
                                      std::unique_ptr<TChannel> tip)
{
    auto nib = std::make_unique<CPenShapeObj>();
    SGradeMapParam map;
    map.mapType = eGradeMap(uint8_t(f.curve));
    map.flatRate = f.mapFlat;
    map.addRate = f.mapAdd;
    const SPenParam param{f.radius, f.flatRate, f.degree, f.radiusMin};
    const SPenAttr attr{int32_t(f.antiOff)};
    nib->setData(&map, &param, &attr);
    if (tip) {
        if (!nib->attachImage(std::move(tip), false)) {
            return nullptr;
        }
        if (f.zoom != nib->zoomRate) {
            nib->changeZoom(f.zoom); // a zoom outside the tip's range keeps the fitted one
        }
    }
    nib->setName(name);
    return nib;
}

// Reads `nameLen` bytes of name, wide or in the code page, then moves to the chunk's end.
uint8_t readChunkName(QIODevice &stream, uint16_t nameLen, bool wide, int64_t chunkEnd,
                      QString &name)
{
    if (nameLen > 0) {
        const uint8_t code =
            wide ? readWideString(stream, nameLen, name) : readAnsiString(stream, nameLen, name);
        if (code != CS_OK) {
            return code;
        }
    }
    return stream.seek(chunkEnd) ? CS_OK : CS_READ_FAILED;
}

// The record of a chunk whose head was read: checks the size against the record and the stream,
// reads the record to chunk + 8 (the head bytes there are left as they are). The caller checks
// the name length.
uint8_t readChunkRecord(QIODevice &stream, uint32_t chunkSize, int32_t recordSize, uint8_t *chunk)
{
    if (chunkSize < uint32_t(recordSize)) {
        return kPenSetRecordTooLong;
    }
    if (!stream.isSequential() && stream.pos() + int64_t(chunkSize) > stream.size()) {
        return kPenSetChunkPastEnd;
    }
    return readExactly(stream, chunk + kChunkHeaderSize, recordSize) ? CS_OK : CS_READ_FAILED;
}

// ---- methods

uint32_t methodFlags(const CPenMethodObj &method)
{
    const SPenMethodData &d = method.methodData;
    uint32_t flags = 0;
    flags |= method.hasShape() ? kMethodHasNib : 0;
    flags |= method.hasIcon() ? kMethodHasIcon : 0;
    flags |= (d.renderAttr.renderType & kRenderTypeOneChannel) ? kMethodRenderTypeBit0 : 0;
    flags |= (d.renderAttr.renderType & kRenderTypeVersion5) ? kMethodRenderTypeBit4 : 0;
    flags |= d.renderOpt.enbGrad ? kMethodEnbGrad : 0;
    flags |= d.renderOpt.enbTone ? kMethodEnbTone : 0;
    flags |= d.strokeParam.enbPrsRadius ? kMethodEnbPrsRadius : 0;
    flags |= d.strokeParam.enbPrsOpaque ? kMethodEnbPrsOpaque : 0;
    return flags;
}

uint8_t methodChunkBytes(const CPenMethodObj &method, QByteArray &bytes)
{
    const SPenRenderAttr &ra = method.methodData.renderAttr;
    const SStrokeParam &sp = method.methodData.strokeParam;
    const int32_t words[] = {sp.opaque, sp.prsGamma, sp.spacing, sp.everyFreqR, sp.highDensityR};
    if (!std::all_of(std::begin(words), std::end(words), fitsU16) || !fitsU8(sp.smooth)) {
        return CS_ITEM_NOT_WRITABLE; // refused rather than cut to their fields
    }
    if (const uint8_t code = namedChunk(kTagPMTD, kMethodRecordSize, method.methodName, bytes)) {
        return code;
    }
    auto *p = reinterpret_cast<uint8_t *>(bytes.data());
    put<uint16_t>(p, 12, kMethodRecordVersion);
    put<uint32_t>(p, 16, methodFlags(method));
    p[24] = uint8_t(ra.renderMode);
    p[25] = ra.subRenderMode;
    p[26] = uint8_t(ra.shapeMode);
    put<int32_t>(p, 28, ra.param1.all);
    put<int32_t>(p, 32, ra.param2.all);
    put<int32_t>(p, 36, ra.param3.all);
    put<uint16_t>(p, 48, uint16_t(sp.opaque));
    put<uint16_t>(p, 50, uint16_t(sp.prsGamma));
    put<uint16_t>(p, 52, uint16_t(sp.spacing));
    put<uint16_t>(p, 54, uint16_t(sp.everyFreqR));
    put<uint16_t>(p, 56, uint16_t(sp.highDensityR));
    p[58] = uint8_t(sp.smooth);
    p[59] = uint8_t(sp.interpolateType);
    return CS_OK;
}

uint8_t writeIcon(QIODevice &stream, const TMTC &icon)
{
    return writeScrambledImage(stream, icon, setIconScramble, IRS_METHOD_ICON);
}

uint8_t writeMethodUnsafe(QIODevice &stream, const CPenMethodObj &method)
{
    QByteArray bytes;
    if (const uint8_t code = methodChunkBytes(method, bytes)) {
        return code;
    }
    if (const uint8_t code = writeBytes(stream, bytes)) {
        return code;
    }
    if (method.hasIcon()) {
        if (const uint8_t code = writeIcon(stream, *method.orgIconTC)) {
            return code;
        }
    }
    return method.hasShape() ? writeNibUnsafe(stream, *method.shapeObj) : uint8_t(CS_OK);
}

// p: the chunk from its tag.
SPenMethodData methodData(const uint8_t *p)
{
    const uint32_t flags = get<uint32_t>(p, 16);
    SPenMethodData d;
    initPenRenderAttr(d.renderAttr);
    d.renderOpt = SPenRenderOpt{};
    strokeParamInit(d.strokeParam);
    SPenRenderAttr &ra = d.renderAttr;
    ra.renderMode = ePenRenderMode(p[24]);
    ra.subRenderMode = p[25];
    ra.shapeMode = ePenShapeMode(p[26]);
    ra.renderType = uint8_t(((flags & kMethodRenderTypeBit0) ? kRenderTypeOneChannel : 0) |
                            ((flags & kMethodRenderTypeBit4) ? kRenderTypeVersion5 : 0));
    ra.param1.all = get<int32_t>(p, 28);
    ra.param2.all = get<int32_t>(p, 32);
    ra.param3.all = get<int32_t>(p, 36);
    d.renderOpt.enbGrad = (flags & kMethodEnbGrad) != 0;
    d.renderOpt.enbTone = (flags & kMethodEnbTone) != 0;
    SStrokeParam &sp = d.strokeParam;
    sp.enbPrsRadius = (flags & kMethodEnbPrsRadius) != 0;
    sp.enbPrsOpaque = (flags & kMethodEnbPrsOpaque) != 0;
    sp.opaque = get<uint16_t>(p, 48);
    sp.prsGamma = get<uint16_t>(p, 50);
    sp.spacing = get<uint16_t>(p, 52);
    sp.everyFreqR = get<uint16_t>(p, 54);
    sp.highDensityR = get<uint16_t>(p, 56);
    sp.smooth = p[58];
    sp.interpolateType = eInterpolateType(p[59]);
    return d;
}

// The icon record at the stream position. One that cannot be read is left out: the stream moves
// past it by its size when that is known and lies inside the stream, else back to where it began.
// extra grows by what was passed.
void readMethodIcon(QIODevice &stream, std::unique_ptr<TMTC> &icon, int64_t &extra)
{
    const int64_t start = stream.pos();
    int64_t length = 0;
    if (readImageRecord(stream, icon, &length) == CS_OK) {
        extra += length;
        return;
    }
    icon.reset();
    if (length > 0 && start + length <= stream.size() && stream.seek(start + length)) {
        extra += length;
        return;
    }
    stream.seek(start);
}

// The method's own nib: a PSHP head, its chunk and tip image. extra grows by the head once it is
// a PSHP head, and by the chunk and image record as far as they were measured.
uint8_t readMethodNib(QIODevice &stream, int64_t &extra, std::unique_ptr<CPenShapeObj> &nib)
{
    SChunkHeader head;
    if (const uint8_t code = readChunkHeader(stream, head)) {
        return code;
    }
    if (const uint8_t code = checkChunkId(head, kTagPSHP)) {
        return code; // not counted: the next round meets that chunk as what it is
    }
    extra += kChunkHeaderSize + int64_t(head.size);
    int64_t tipLength = 0;
    const uint8_t code = readNibChunk(stream, head.size, tipLength, nib);
    extra += tipLength;
    return code;
}

uint8_t readMethodChunk(QIODevice &stream, uint32_t chunkSize, int64_t &extraLength,
                        std::unique_ptr<CPenMethodObj> &method)
{
    extraLength = 0;
    const int64_t chunkEnd = stream.pos() + int64_t(chunkSize);
    uint8_t p[kChunkHeaderSize + kMethodRecordSize] = {};
    if (const uint8_t code = readChunkRecord(stream, chunkSize, kMethodRecordSize, p)) {
        return code;
    }
    const uint16_t nameLen = get<uint16_t>(p, 10);
    const uint16_t version = get<uint16_t>(p, 12);
    const uint32_t flags = get<uint32_t>(p, 16);
    if (nameLen > chunkSize - uint32_t(kMethodRecordSize)) {
        return kPenSetRecordTooLong;
    }
    QString name;
    if (const uint8_t code = readChunkName(stream, nameLen, version >= 3, chunkEnd, name)) {
        return code;
    }
    if (version >= 4) {
        return CS_BAD_VERSION;
    }
    std::unique_ptr<TMTC> icon;
    if (flags & kMethodHasIcon) {
        readMethodIcon(stream, icon, extraLength);
    }
    std::unique_ptr<CPenShapeObj> nib;
    if (flags & kMethodHasNib) {
        if (const uint8_t code = readMethodNib(stream, extraLength, nib)) {
            return code;
        }
    }
    auto obj = std::make_unique<CPenMethodObj>(methodData(p));
    obj->methodName = name;
    obj->setIcon(icon.get());
    if (nib) {
        obj->attachShape(std::move(nib));
    }
    method = std::move(obj);
    return CS_OK;
}

// ---- sets

QByteArray setHead(uint32_t tag, int32_t count, int32_t current)
{
    QByteArray bytes(kPenSetHeadSize, '\0');
    auto *p = reinterpret_cast<uint8_t *>(bytes.data());
    put<uint32_t>(p, 0, tag);
    put<uint32_t>(p, 4, kPenSetHeadSize - kChunkHeaderSize);
    put<uint16_t>(p, 8, kPenSetVersion);
    put<uint16_t>(p, 12, uint16_t(count));
    put<uint16_t>(p, 14, uint16_t(std::clamp(current, 0, count - 1)));
    return bytes;
}

uint8_t methodSetHead(const CPenMethodMngr &mngr, QByteArray &bytes)
{
    bytes = setHead(kTagPMST, mngr.count(), mngr.curIndex());
    auto *p = reinterpret_cast<uint8_t *>(bytes.data());
    uint32_t flags = 0;
    if (mngr.isSubIndexValid()) {
        flags |= kMethodSetSubIndex;
        put<uint16_t>(p, 20, uint16_t(mngr.subIndex()));
    }
    if (mngr.bEnbShortcut()) {
        const auto &table = mngr.shortcutTbl();
        if (!std::all_of(table.begin(), table.end(), fitsU8)) {
            return CS_ITEM_NOT_WRITABLE; // a slot cut to its low byte would name another method
        }
        flags |= kMethodSetShortcuts;
        for (size_t i = 0; i < table.size(); ++i) {
            p[22 + i] = uint8_t(table[i]);
        }
    }
    put<uint32_t>(p, 16, flags);
    return CS_OK;
}

// Runs a reader or writer, turning exceptions into codes.
template <class F> uint8_t guarded(F &&f)
{
    try {
        return f();
    } catch (const std::bad_alloc &) {
        return CS_NO_MEMORY;
    } catch (...) {
        return CS_EXCEPTION;
    }
}

// The 32-byte head of a set: its count and current index into announced and current, and the
// whole head into head for the method set's own fields.
uint8_t readSetHead(QIODevice &stream, uint32_t tag, uint8_t (&head)[kPenSetHeadSize],
                    uint16_t &announced, uint16_t &current)
{
    if (!readExactly(stream, head, kPenSetHeadSize)) {
        return CS_READ_FAILED;
    }
    const std::span<const uint8_t> bytes(head, kPenSetHeadSize);
    if (const uint8_t code = checkChunkIdSize(bytes, tag, kPenSetHeadSize - kChunkHeaderSize)) {
        return code;
    }
    if (get<uint16_t>(head, 8) > kPenSetVersion) {
        return CS_BAD_VERSION;
    }
    announced = get<uint16_t>(head, 12);
    current = get<uint16_t>(head, 14);
    return announced == 0 ? CS_NOTHING_SAVED : CS_OK;
}

// The chunk loop of both sets: items of itemTag are read by readItem until `announced` were taken
// or the stream ends; other chunks, and items that cannot be read (with the records they
// consumed), are passed by their sizes.
template <class Item, class ReadItem>
uint8_t readSetChunks(QIODevice &stream, uint32_t itemTag, int32_t announced,
                      std::vector<std::unique_ptr<Item>> &items, ReadItem readItem)
{
    const int64_t end = stream.size();
    while (int32_t(items.size()) < announced && stream.pos() < end) {
        const int64_t start = stream.pos();
        SChunkHeader head;
        if (readChunkHeader(stream, head) != CS_OK) {
            return CS_READ_FAILED;
        }
        if (int64_t(head.size) > end - start - kChunkHeaderSize) {
            return kPenSetChunkPastEnd;
        }
        int64_t next = start + kChunkHeaderSize + int64_t(head.size);
        if (head.tag == itemTag) {
            std::unique_ptr<Item> item;
            int64_t extra = 0;
            if (readItem(stream, head.size, extra, item) == CS_OK) {
                items.push_back(std::move(item));
            }
            // Records that claim more than the stream holds end the set.
            next = std::min(end, next + extra);
        }
        if (!stream.seek(next)) {
            return CS_READ_FAILED;
        }
    }
    return items.empty() ? CS_NOTHING_SAVED : CS_OK;
}

void warnMissing(int32_t missing, const QString &setName)
{
    if (missing > 0) {
        showWarning(QStringLiteral("%1個の%2が読み込めませんでした！").arg(missing).arg(setName));
    }
}

// Opens path for reading: 0, 4 when it does not exist, 6 when it cannot be opened.
uint8_t openSetFile(const QString &path, std::unique_ptr<QFile> &file)
{
    if (path.isEmpty() || !QFile::exists(path)) {
        return CS_FILE_MISSING;
    }
    file = tryCreateFileStream(path, QIODevice::ReadOnly);
    return file ? CS_OK : CS_CANNOT_OPEN;
}

// Saves through a temporary file: writeSet writes the set into it.
template <class Mngr, class WriteSet>
uint8_t saveSetFile(const QString &path, Mngr &mngr, WriteSet writeSet)
{
    if (mngr.count() == 0) {
        return CS_NOTHING_SAVED;
    }
    const std::unique_ptr<QSaveFile> file = tryCreateSaveStream(path);
    if (!file) {
        return CS_CANNOT_CREATE;
    }
    if (const uint8_t code = writeSet(*file, mngr)) {
        file->cancelWriting();
        return code;
    }
    if (!commitSaveFile(*file)) {
        return CS_WRITE_FAILED;
    }
    mngr.setLastPath(path);
    mngr.setModified(false);
    return CS_OK;
}

} // namespace

void initialisePenSetFiles()
{
    SPenPresetFileProcs procs = installPenPresetFileProcs({});
    procs.readNibSet = [](const QString &path, CPenShapeMngr &mngr, bool append) {
        return int(readNibSet(path, mngr, append));
    };
    procs.writeNibSet = [](const QString &path, CPenShapeMngr &mngr) {
        return int(writeNibSet(path, mngr));
    };
    procs.readMethodSet = [](const QString &path, CPenMethodMngr &mngr, bool append) {
        return int(readMethodSet(path, mngr, append));
    };
    procs.writeMethodSet = [](const QString &path, CPenMethodMngr &mngr) {
        return int(writeMethodSet(path, mngr));
    };
    installPenPresetFileProcs(std::move(procs));
}

uint8_t writeNibChunk(QIODevice &stream, const CPenShapeObj &nib)
{
    return writeChunkSafely(
        stream, [&](QIODevice &s) { return guarded([&] { return writeNibUnsafe(s, nib); }); });
}

uint8_t readNibChunk(QIODevice &stream, uint32_t chunkSize, int64_t &extraLength,
                     std::unique_ptr<CPenShapeObj> &nib)
{
    extraLength = 0;
    const int64_t chunkEnd = stream.pos() + int64_t(chunkSize);
    uint8_t chunk[kChunkHeaderSize + kNibRecordSize] = {};
    if (const uint8_t code = readChunkRecord(stream, chunkSize, kNibRecordSize, chunk)) {
        return code;
    }
    const SNibFields f = nibFields(chunk);
    if (f.nameLen > chunkSize - uint32_t(kNibRecordSize)) {
        return kPenSetRecordTooLong;
    }
    QString name;
    if (const uint8_t code = readChunkName(stream, f.nameLen, f.version >= 2, chunkEnd, name)) {
        return code;
    }
    if (f.version >= 3) {
        return CS_BAD_VERSION;
    }
    std::unique_ptr<TChannel> tip;
    if (f.type == kNibTypeImage) {
        SImageRecordDesc desc;
        if (const uint8_t code = readChannelRecord(stream, desc, tip, extraLength)) {
            return code;
        }
    } else if (f.type != kNibTypeStd) {
        return CS_BAD_TYPE;
    }
    auto made = makeNib(f, name, std::move(tip));
    if (!made) {
        return CS_BAD_TYPE;
    }
    nib = std::move(made);
    return CS_OK;
}

uint8_t writeNibSetStream(QIODevice &stream, const CPenShapeMngr &mngr)
{
    if (mngr.count() == 0) {
        return CS_NOTHING_SAVED;
    }
    if (mngr.count() > 0xFFFF) {
        return CS_ITEM_NOT_WRITABLE;
    }
    return guarded([&] {
        if (const uint8_t code =
                writeBytes(stream, setHead(kTagPSST, mngr.count(), mngr.curIndex()))) {
            return code;
        }
        for (int32_t i = 0; i < mngr.count(); ++i) {
            if (const uint8_t code = writeNibChunk(stream, *mngr.getObj(i))) {
                return code;
            }
        }
        return uint8_t(CS_OK);
    });
}

uint8_t writeMethodSetStream(QIODevice &stream, const CPenMethodMngr &mngr)
{
    if (mngr.count() == 0) {
        return CS_NOTHING_SAVED;
    }
    if (mngr.count() > 0xFFFF) {
        return CS_ITEM_NOT_WRITABLE;
    }
    return guarded([&] {
        QByteArray head;
        if (const uint8_t code = methodSetHead(mngr, head)) {
            return code;
        }
        if (const uint8_t code = writeBytes(stream, head)) {
            return code;
        }
        for (int32_t i = 0; i < mngr.count(); ++i) {
            const CPenMethodObj &method = *mngr.getObj(i);
            const uint8_t code = writeChunkSafely(
                stream, [&](QIODevice &s) { return writeMethodUnsafe(s, method); });
            if (code != CS_OK) {
                return code;
            }
        }
        return uint8_t(CS_OK);
    });
}

uint8_t readNibSetStream(QIODevice &stream, SNibSetContents &out)
{
    return guarded([&] {
        uint8_t head[kPenSetHeadSize];
        if (const uint8_t code = readSetHead(stream, kTagPSST, head, out.announced, out.current)) {
            return code;
        }
        return readSetChunks(stream, kTagPSHP, out.announced, out.nibs, readNibChunk);
    });
}

uint8_t readMethodSetStream(QIODevice &stream, SMethodSetContents &out)
{
    return guarded([&] {
        uint8_t head[kPenSetHeadSize];
        if (const uint8_t code = readSetHead(stream, kTagPMST, head, out.announced, out.current)) {
            return code;
        }
        out.flags = get<uint32_t>(head, 16);
        out.subIndex = get<uint16_t>(head, 20);
        std::memcpy(out.shortcuts.data(), head + 22, out.shortcuts.size());
        return readSetChunks(stream, kTagPMTD, out.announced, out.methods, readMethodChunk);
    });
}

uint8_t writeNibSet(const QString &path, CPenShapeMngr &mngr)
{
    return saveSetFile(path, mngr, writeNibSetStream);
}

uint8_t writeMethodSet(const QString &path, CPenMethodMngr &mngr)
{
    return saveSetFile(path, mngr, writeMethodSetStream);
}

uint8_t readNibSet(const QString &path, CPenShapeMngr &mngr, bool append)
{
    std::unique_ptr<QFile> file;
    if (const uint8_t code = openSetFile(path, file)) {
        return code;
    }
    SNibSetContents set;
    if (const uint8_t code = readNibSetStream(*file, set)) {
        return code;
    }
    if (!append) {
        mngr.reset();
    }
    int32_t added = 0;
    for (auto &nib : set.nibs) {
        added += mngr.appendShape(std::move(nib)) >= 0 ? 1 : 0;
    }
    if (!append) {
        mngr.setCurIndex(std::clamp<int32_t>(set.current, 0, std::max(mngr.count() - 1, 0)));
        mngr.setLastPath(path);
    }
    mngr.setModified(append);
    warnMissing(int32_t(set.announced) - int32_t(set.nibs.size()), CPenShapeMngr::setName());
    return added == int32_t(set.nibs.size()) ? CS_OK : CS_ITEM_NOT_ADDED;
}

uint8_t readMethodSet(const QString &path, CPenMethodMngr &mngr, bool append)
{
    std::unique_ptr<QFile> file;
    if (const uint8_t code = openSetFile(path, file)) {
        return code;
    }
    SMethodSetContents set;
    if (const uint8_t code = readMethodSetStream(*file, set)) {
        return code;
    }
    if (!append) {
        mngr.reset();
    }
    int32_t added = 0;
    for (auto &method : set.methods) {
        added += mngr.appendMethod(std::move(method)) >= 0 ? 1 : 0;
    }
    if (!append) {
        const int32_t last = std::max(mngr.count() - 1, 0);
        mngr.setCurIndex(std::clamp<int32_t>(set.current, 0, last));
        if (set.flags & kMethodSetSubIndex) {
            mngr.setSubIndex(set.subIndex, false);
        }
        if (set.flags & kMethodSetShortcuts) {
            const auto &sc = set.shortcuts;
            // Slots name list indices: one beyond the list would name no method.
            mngr.setShortcutIdx(std::min<int32_t>(sc[0], last), std::min<int32_t>(sc[1], last),
                                std::min<int32_t>(sc[2], last), std::min<int32_t>(sc[3], last),
                                std::min<int32_t>(sc[4], last));
        }
        mngr.setLastPath(path);
    }
    mngr.setModified(append);
    warnMissing(int32_t(set.announced) - int32_t(set.methods.size()), CPenMethodMngr::setName());
    return added == int32_t(set.methods.size()) ? CS_OK : CS_ITEM_NOT_ADDED;
}
