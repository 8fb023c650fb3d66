#include "document/events/legacy_event_stream.h"

#include "paint/brush/legacy_pen_records.h"
#include "paint/stroke/stroke.h"
#include "platform/system/file_stream.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <limits>

// ---- TMyFile ----

TMyFile::TMyFile() = default;

TMyFile::~TMyFile()
{
    // An unfinished write is dropped: the old file stays.
    m_write.reset();
    m_read.reset();
}

bool TMyFile::OpenRead(const QString &filename)
{
    Close();
    m_failed = false;
    m_read = tryCreateFileStream(filename, QIODevice::ReadOnly);
    return m_read != nullptr;
}

bool TMyFile::OpenWrite(const QString &filename)
{
    Close();
    m_failed = false;
    m_write = tryCreateSaveStream(filename);
    return m_write != nullptr;
}

bool TMyFile::isOpen() const
{
    return m_read || m_write;
}

bool TMyFile::Read(void *p, int64_t size)
{
    const bool ok = m_read && size >= 0 && m_read->read(static_cast<char *>(p), size) == size;
    m_failed |= !ok;
    return ok;
}

bool TMyFile::Write(const void *p, int64_t size)
{
    const bool ok =
        m_write && size >= 0 && m_write->write(static_cast<const char *>(p), size) == size;
    m_failed |= !ok;
    return ok;
}

namespace {

template <typename T> T fromLE(const uint8_t *p)
{
    T v = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        v = T(v | T(T(p[i]) << (8 * i)));
    return v;
}

template <typename T> void toLE(uint8_t *p, T v)
{
    using U = std::make_unsigned_t<T>;
    const U u = U(v);
    for (size_t i = 0; i < sizeof(T); ++i)
        p[i] = uint8_t(u >> (8 * i));
}

template <typename T> T readFileValue(TMyFile &f)
{
    uint8_t b[sizeof(T)] = {};
    return f.Read(b, sizeof(T)) ? fromLE<T>(b) : T(0);
}

template <typename T> bool writeFileValue(TMyFile &f, T v)
{
    uint8_t b[sizeof(T)];
    toLE(b, v);
    return f.Write(b, sizeof(T));
}

} // namespace

uint8_t TMyFile::ReadBYTE()
{
    return readFileValue<uint8_t>(*this);
}

uint16_t TMyFile::ReadWORD()
{
    return readFileValue<uint16_t>(*this);
}

uint32_t TMyFile::ReadDWORD()
{
    return readFileValue<uint32_t>(*this);
}

bool TMyFile::WriteBYTE(uint8_t data)
{
    return writeFileValue(*this, data);
}

bool TMyFile::WriteWORD(uint16_t data)
{
    return writeFileValue(*this, data);
}

bool TMyFile::WriteDWORD(uint32_t data)
{
    return writeFileValue(*this, data);
}

bool TMyFile::Seek(int64_t size)
{
    QIODevice *d = m_read ? static_cast<QIODevice *>(m_read.get()) : m_write.get();
    if (!d)
        return false;
    const int64_t to = d->pos() + size;
    if (to < 0 || (m_read && to > d->size()))
        return false;
    return d->seek(to);
}

bool TMyFile::Close()
{
    bool ok = true;
    if (m_write)
        ok = !m_failed && commitSaveFile(*m_write);
    m_write.reset();
    m_read.reset();
    return ok;
}

// ---- TMyMemory ----

namespace {
constexpr int64_t kMaxMemory = std::numeric_limits<int32_t>::max();
}

TMyMemory::TMyMemory(int32_t inc) : m_inc(std::max(inc, 1))
{
    m_buffer.assign(size_t(m_inc), 0);
    m_allocated = m_inc;
}

bool TMyMemory::AllocateBuffer(int32_t size)
{
    if (size < 0)
        return false;
    if (int64_t(m_allocated) >= int64_t(m_writed) + size)
        return true;
    const int64_t grown = int64_t(m_allocated) + std::max(size, m_inc);
    if (grown > kMaxMemory)
        return false;
    m_buffer.resize(size_t(grown), 0);
    m_allocated = int32_t(grown);
    return true;
}

int64_t TMyMemory::writeSlot(int32_t index, int32_t size)
{
    const int64_t at = int64_t(m_writed) + index;
    if (at < 0)
        return -1;
    // Room for the bytes themselves, also when a positive index places them past the end.
    const int64_t need = std::max<int64_t>(size, int64_t(index) + size);
    if (need > kMaxMemory || !AllocateBuffer(int32_t(need)))
        return -1;
    return at;
}

template <typename T> bool TMyMemory::writeValue(T data, int32_t index)
{
    const int64_t at = writeSlot(index, int32_t(sizeof(T)));
    if (at < 0)
        return false;
    toLE(m_buffer.data() + at, data);
    if (index == 0)
        m_writed += int32_t(sizeof(T));
    return true;
}

bool TMyMemory::WriteBYTE(uint8_t data, int32_t index)
{
    return writeValue(data, index);
}

bool TMyMemory::WriteShort(int8_t data, int32_t index)
{
    return writeValue(data, index);
}

bool TMyMemory::WriteWORD(uint16_t data, int32_t index)
{
    return writeValue(data, index);
}

bool TMyMemory::WriteSmall(int16_t data, int32_t index)
{
    return writeValue(data, index);
}

bool TMyMemory::WriteDWORD(uint32_t data, int32_t index)
{
    return writeValue(data, index);
}

bool TMyMemory::WriteInteger(int32_t data, int32_t index)
{
    return writeValue(data, index);
}

bool TMyMemory::WriteFromBuffer(const void *buf, int32_t size)
{
    if (size < 0 || (size > 0 && !buf) || !AllocateBuffer(size))
        return false;
    if (size > 0)
        std::memcpy(m_buffer.data() + m_writed, buf, size_t(size));
    m_writed += size;
    return true;
}

int64_t TMyMemory::readSlot(int32_t index, int32_t size) const
{
    const int64_t at = int64_t(m_position) + index;
    if (at < 0 || at + size > m_writed)
        return -1;
    return at;
}

template <typename T> T TMyMemory::readValue(int32_t index)
{
    const int64_t at = readSlot(index, int32_t(sizeof(T)));
    if (at < 0)
        return T(0);
    if (index == 0)
        m_position += int32_t(sizeof(T));
    return fromLE<T>(m_buffer.data() + at);
}

uint8_t TMyMemory::ReadBYTE(int32_t index)
{
    return readValue<uint8_t>(index);
}

int8_t TMyMemory::ReadShort(int32_t index)
{
    return readValue<int8_t>(index);
}

uint16_t TMyMemory::ReadWORD(int32_t index)
{
    return readValue<uint16_t>(index);
}

int16_t TMyMemory::ReadSmall(int32_t index)
{
    return readValue<int16_t>(index);
}

uint32_t TMyMemory::ReadDWORD(int32_t index)
{
    return readValue<uint32_t>(index);
}

int32_t TMyMemory::ReadInteger(int32_t index)
{
    return readValue<int32_t>(index);
}

bool TMyMemory::ReadToBuffer(void *buf, int32_t size)
{
    if (size < 0 || size > ReadRemain() || (size > 0 && !buf))
        return false;
    if (size > 0)
        std::memcpy(buf, m_buffer.data() + m_position, size_t(size));
    m_position += size;
    return true;
}

bool TMyMemory::Seek(int32_t index)
{
    const int64_t to = int64_t(m_position) + index;
    if (to < 0 || to > m_writed)
        return false;
    if (index > 0 && !AllocateBuffer(index))
        return false;
    m_position = int32_t(to);
    return true;
}

bool TMyMemory::WritedSeek(int32_t index)
{
    return SetWrited(int32_t(std::clamp<int64_t>(int64_t(m_writed) + index, -1, kMaxMemory)));
}

bool TMyMemory::SetPosition(int32_t pos)
{
    if (pos < 0 || pos > m_writed)
        return false;
    m_position = pos;
    return true;
}

bool TMyMemory::SetWrited(int32_t pos)
{
    if (pos < 0 || pos > m_allocated)
        return false;
    m_writed = pos;
    m_position = std::min(m_position, m_writed);
    return true;
}

bool TMyMemory::SetStreamSize(int32_t size)
{
    if (size < 0)
        return false;
    std::vector<uint8_t> fresh(size_t(size), 0);
    m_buffer.swap(fresh);
    m_allocated = size;
    m_writed = size;
    m_position = 0;
    return true;
}

void TMyMemory::Clear()
{
    m_position = 0;
    m_writed = 0;
}

bool TMyMemory::LoadFromFile(const QString &filename)
{
    std::unique_ptr<QFile> f = tryCreateFileStream(filename, QIODevice::ReadOnly);
    if (!f || f->size() >= kMaxMemory)
        return false;
    const int64_t size = f->size();
    std::vector<uint8_t> data(size_t(size), 0);
    if (size > 0 && f->read(reinterpret_cast<char *>(data.data()), size) != size)
        return false;
    m_buffer.swap(data);
    m_allocated = int32_t(size);
    m_writed = int32_t(size);
    m_position = 0;
    return true;
}

bool TMyMemory::SaveToFile(const QString &filename) const
{
    std::unique_ptr<QSaveFile> f = tryCreateSaveStream(filename);
    if (!f)
        return false;
    if (f->write(reinterpret_cast<const char *>(m_buffer.data()), m_writed) != m_writed)
        return false;
    return commitSaveFile(*f);
}

float TMyMemory::Progress() const
{
    if (m_allocated == 0 || m_writed == 0)
        return 100.0f;
    return float(m_position) / float(m_writed) * 100.0f;
}

// ---- the instruction table ----

namespace legacy_event {

int32_t fixedOperandBytes(uint16_t code)
{
    switch (code) {
    case kLayerMerge:
    case kEditRotRight:
    case kEditRotLeft:
    case kEditUndoDispose:
    case kEditUpsideDown:
    case kEditMirror:
    case kEdit180:
    case kEditNegaposi:
    case kEnd:
        return 0;
    case kLayerAdd:
    case kLayerDelete:
    case kLayerCopy:
    case kLayerCombLower:
    case kLayerUndo:
    case kLayerActive:
    case kLayerVisibleFlip:
    case kLayerUpsideDown:
    case kLayerMirror:
    case kLayer180:
    case kLayerNegaposi:
    case kLayerClear:
    case kEditUndoDisposeIndex:
        return 1;
    case kLayerInsert:
    case kLayerVisible:
    case kLayerTrans:
    case kLayerMode:
        return 2;
    case kEditPC:
        return 3;
    case kLayerFill:
    case kEditCreate:
    case kEditReso:
    case kEditCreate2:
        return 4;
    case kLayerMove:
    case kEditResize:
        return 5;
    case kLayerRectCut:
        return 9;
    case kLayerRectFill:
        return 12;
    case kLayerLine:
        return 27;
    default:
        return -1;
    }
}

bool isKnownCode(uint16_t code)
{
    return code <= kStrokeLast || code == kLayerPolyCut || code == kLayerPolyFill ||
           fixedOperandBytes(code) >= 0;
}

bool isCriticalCode(uint16_t code)
{
    if (code <= kStrokeLast)
        return false;
    switch (code) {
    case kLayerActive:
    case kLayerVisible:
    case kLayerTrans:
    case kLayerMode:
    case kLayerVisibleFlip:
    case kEditUndoDispose:
    case kEditUndoDisposeIndex:
        return false;
    default:
        return true;
    }
}

} // namespace legacy_event

const char *legacyInstructionName(uint16_t code)
{
    using namespace legacy_event;
    static const char *const kStrokes[] = {"stroke (pen)", "stroke (watercolour)", "stroke (blur)",
                                           "stroke (eraser)", "stroke (blur 2)"};
    if (code <= kStrokeLast)
        return kStrokes[code];
    struct SRow
    {
        uint16_t code;
        const char *name;
    };
    static const SRow kRows[] = {
        {kLayerAdd, "add a layer"},
        {kLayerDelete, "delete a layer"},
        {kLayerMerge, "merge the layers"},
        {kLayerCopy, "copy a layer"},
        {kLayerInsert, "move a layer in the stack"},
        {kLayerCombLower, "merge a layer into the one below"},
        {kLayerUndo, "undo on a layer"},
        {kLayerActive, "make a layer active"},
        {kLayerVisible, "show or hide a layer"},
        {kLayerTrans, "set a layer's opacity"},
        {kLayerMode, "set a layer's blend mode"},
        {kLayerVisibleFlip, "toggle a layer's visibility"},
        {kLayerUpsideDown, "flip a layer top to bottom"},
        {kLayerMirror, "mirror a layer"},
        {kLayer180, "turn a layer by 180 degrees"},
        {kLayerNegaposi, "invert a layer's colours"},
        {kLayerClear, "clear a layer"},
        {kLayerFill, "fill a layer with a colour"},
        {kLayerMove, "move a layer's picture"},
        {kLayerRectCut, "clear a rectangle"},
        {kLayerRectFill, "fill a rectangle"},
        {kLayerPolyCut, "clear a polygon"},
        {kLayerPolyFill, "fill a polygon"},
        {kLayerLine, "draw a straight line"},
        {kEditCreate, "create the canvas"},
        {kEditPC, "set the paper colour"},
        {kEditResize, "change the canvas size"},
        {kEditReso, "change the resolution"},
        {kEditRotRight, "turn the canvas one way by 90 degrees"},
        {kEditRotLeft, "turn the canvas the other way"},
        {kEditUndoDispose, "discard the undo history"},
        {kEditUndoDisposeIndex, "discard one layer's undo"},
        {kEditCreate2, "create the canvas (second form)"},
        {kEditUpsideDown, "flip the whole image top to bottom"},
        {kEditMirror, "mirror the whole image"},
        {kEdit180, "turn the whole image by 180 degrees"},
        {kEditNegaposi, "invert the whole image's colours"},
        {kEnd, "end of the stream"},
    };
    for (const SRow &r : kRows)
        if (r.code == code)
            return r.name;
    return "";
}

int32_t legacyInstructionLength(const uint8_t *p, int64_t remain)
{
    using namespace legacy_event;
    if (remain < 2)
        return -1;
    const uint16_t code = fromLE<uint16_t>(p);
    const uint8_t *ops = p + 2;
    const int64_t left = remain - 2;
    int64_t len = -1;
    if (code <= kStrokeLast) {
        // The parameter block, the first point, then the point count.
        if (left > 24)
            len = 25 + 6 * int64_t(fromLE<uint16_t>(ops + 23));
    } else if (code == kLayerPolyCut || code == kLayerPolyFill) {
        const int64_t at = code == kLayerPolyCut ? 1 : 4;
        if (left >= at + 2) {
            const int16_t count = fromLE<int16_t>(ops + at);
            if (count >= 0)
                len = at + 2 + 4 * int64_t(count);
        }
    } else {
        len = fixedOperandBytes(code);
    }
    if (len < 0 || len > left)
        return -1;
    return int32_t(2 + len);
}

// ---- TEventPacket ----

void SLegacyStrokeParam::applyTo(TStroke &stroke) const
{
    stroke.SetDrawLayer(layer);
    stroke.SetDrawColor(color);
    stroke.SetPenIfSize(ifSize);
    stroke.SetPenIfTrans(ifTrans);
    stroke.SetPenIfEdge(ifEdge);
    stroke.SetPenMin(penMin);
    stroke.SetPenWidth(width);
    stroke.SetPenGamma(gamma);
    stroke.SetPenEffect(effect);
    stroke.SetPenEnv(env);
    stroke.SetPenSpeed(speed);
}

TEventPacket::TEventPacket() : m_event(256000) {}

void TEventPacket::EventClear()
{
    m_event.Clear();
    m_eventNum = 0;
    m_ifStroking = false;
    m_strokeCount = 0;
}

void TEventPacket::EventReset()
{
    m_event.First();
    m_ifStroking = false;
    m_strokeCount = 0;
}

bool TEventPacket::LoadFromFile(const QString &filename, TEventChecker &check)
{
    TMyMemory mem(65536);
    return mem.LoadFromFile(filename) && LoadFromMemory(mem, check);
}

bool TEventPacket::LoadFromMemory(const TMyMemory &memory, TEventChecker &check)
{
    using namespace legacy_event;
    check = TEventChecker{};
    const uint8_t *p = memory.PositionBuffer();
    int64_t remain = memory.ReadRemain();
    int32_t events = 0;
    bool first = true;
    for (;;) {
        ++check.m_criticalEvent;
        const int32_t len = legacyInstructionLength(p, remain);
        if (len < 0)
            return false;
        const uint16_t code = fromLE<uint16_t>(p);
        if (code == kEditCreate || code == kEditReso || code == kEditCreate2 ||
            code == kEditResize) {
            check.m_maxX = std::max<int32_t>(check.m_maxX, fromLE<uint16_t>(p + 2));
            check.m_maxY = std::max<int32_t>(check.m_maxY, fromLE<uint16_t>(p + 4));
        }
        if (!isCriticalCode(code))
            --check.m_criticalEvent;
        if (first && code != kEditCreate && code != kEditCreate2)
            return false;
        first = false;
        ++events;
        if (code == kEnd)
            break;
        p += len;
        remain -= len;
    }
    if (&memory != &m_event) {
        m_event.Clear();
        if (!m_event.WriteFromBuffer(memory.BeginBuffer(), memory.writed()))
            return false;
    }
    m_event.First();
    m_eventNum = events;
    m_ifStroking = false;
    m_strokeCount = 0;
    return true;
}

bool TEventPacket::AddModeProcedure()
{
    const int32_t w = m_event.writed();
    if (w < 2 || m_event.BeginBuffer()[w - 1] != 0xFF || m_event.BeginBuffer()[w - 2] != 0xFF)
        return false;
    return m_event.WritedSeek(-2);
}

void TEventPacket::PushEventFin()
{
    if (m_event.WriteWORD(legacy_event::kEnd))
        ++m_eventNum;
}

bool TEventPacket::SaveToFile(const QString &filename) const
{
    TMyFile f;
    if (!f.OpenWrite(filename))
        return false;
    const uint8_t *p = m_event.BeginBuffer();
    int64_t remain = m_event.writed();
    for (;;) {
        const int32_t len = legacyInstructionLength(p, remain);
        if (len < 0 || !f.Write(p, len))
            return false; // the unfinished file is dropped by f
        if (fromLE<uint16_t>(p) == legacy_event::kEnd)
            break;
        p += len;
        remain -= len;
    }
    return f.Close();
}

uint32_t TEventPacket::popColor()
{
    const uint32_t c1 = m_event.ReadBYTE();
    const uint32_t c2 = m_event.ReadBYTE();
    const uint32_t c3 = m_event.ReadBYTE();
    return c1 << 16 | c2 << 8 | c3;
}

SLegacyStrokeParam TEventPacket::popParam()
{
    SLegacyStrokeParam s;
    s.layer = m_event.ReadBYTE();
    s.color = popColor();
    const uint8_t flags = m_event.ReadBYTE();
    s.ifSize = flags & 1;
    s.ifTrans = flags & 2;
    s.ifEdge = flags & 4;
    float *values[] = {&s.penMin, &s.width, &s.gamma, &s.effect, &s.env, &s.speed};
    for (float *v : values)
        *v = float(m_event.ReadWORD()) / 256.0f;
    return s;
}

void TEventPacket::PopEventStrokeBegin(SLegacyStrokeParam &param, int32_t &x, int32_t &y,
                                       float &p)
{
    param = popParam();
    x = m_event.ReadSmall();
    y = m_event.ReadSmall();
    p = float(m_event.ReadSmall()) / 1024.0f;
    m_strokeCount = m_event.ReadWORD();
    m_ifStroking = m_strokeCount > 0;
}

void TEventPacket::PopEventStrokeBegin(TStroke &stroke, int32_t &x, int32_t &y, float &p)
{
    SLegacyStrokeParam param;
    PopEventStrokeBegin(param, x, y, p);
    param.applyTo(stroke);
}

bool TEventPacket::PopEventStroke(int32_t &x, int32_t &y, float &p)
{
    if (m_strokeCount <= 0) {
        m_ifStroking = false;
        return true;
    }
    x = m_event.ReadSmall();
    y = m_event.ReadSmall();
    p = float(m_event.ReadSmall()) / 1024.0f;
    if (--m_strokeCount > 0)
        return false;
    m_ifStroking = false;
    return true;
}

void TEventPacket::PopEventLayerLine(SLegacyStrokeParam &param, int32_t &dm, int32_t &x1,
                                     int32_t &y1, int32_t &x2, int32_t &y2)
{
    param = popParam();
    const int32_t mode = m_event.ReadSmall();
    if (mode >= 0 && mode <= 4)
        dm = mode;
    x1 = m_event.ReadSmall();
    y1 = m_event.ReadSmall();
    x2 = m_event.ReadSmall();
    y2 = m_event.ReadSmall();
}

void TEventPacket::PopEventLayerLine(TStroke &stroke, int32_t &x1, int32_t &y1, int32_t &x2,
                                     int32_t &y2)
{
    SLegacyStrokeParam param;
    int32_t dm = -1;
    PopEventLayerLine(param, dm, x1, y1, x2, y2);
    param.applyTo(stroke);
    if (dm >= 0)
        stroke.SetDrawMode(TDrawMode(dm));
}

void TEventPacket::PopEventLayerAdd(int32_t &lm)
{
    const int32_t v = m_event.ReadBYTE();
    if (v <= 3)
        lm = v;
}

void TEventPacket::PopEventLayerInsert(int32_t &src, int32_t &dst)
{
    src = m_event.ReadBYTE();
    dst = m_event.ReadBYTE();
}

void TEventPacket::PopEventLayerVisible(int32_t &layer, bool &visible)
{
    layer = m_event.ReadBYTE();
    visible = m_event.ReadBYTE() == 1;
}

void TEventPacket::PopEventLayerTrans(int32_t &layer, int32_t &trans)
{
    layer = m_event.ReadBYTE();
    trans = m_event.ReadBYTE();
}

void TEventPacket::PopEventLayerMode(int32_t &layer, int32_t &mode)
{
    layer = m_event.ReadBYTE();
    mode = m_event.ReadBYTE();
}

void TEventPacket::PopEventLayerFill(int32_t &layer, uint32_t &color)
{
    layer = m_event.ReadBYTE();
    color = popColor();
}

void TEventPacket::PopEventLayerMove(int32_t &layer, int32_t &x, int32_t &y)
{
    layer = m_event.ReadBYTE();
    x = m_event.ReadSmall();
    y = m_event.ReadSmall();
}

void TEventPacket::PopEventLayerRectCut(int32_t &layer, int32_t &x, int32_t &y, int32_t &w,
                                       int32_t &h)
{
    layer = m_event.ReadBYTE();
    x = m_event.ReadSmall();
    y = m_event.ReadSmall();
    w = m_event.ReadSmall();
    h = m_event.ReadSmall();
}

void TEventPacket::PopEventLayerRectFill(int32_t &layer, int32_t &x, int32_t &y, int32_t &w,
                                        int32_t &h, uint32_t &color)
{
    PopEventLayerRectCut(layer, x, y, w, h);
    color = popColor();
}

void TEventPacket::popPoints(int32_t count, std::vector<int32_t> &points)
{
    points.clear();
    for (int32_t i = 0; i < count; ++i) {
        points.push_back(m_event.ReadSmall());
        points.push_back(m_event.ReadSmall());
    }
}

void TEventPacket::PopEventLayerPolyCut(int32_t &layer, int32_t &count,
                                        std::vector<int32_t> &points)
{
    layer = m_event.ReadBYTE();
    count = m_event.ReadSmall();
    popPoints(count, points);
}

void TEventPacket::PopEventLayerPolyFill(int32_t &layer, uint32_t &color, int32_t &count,
                                         std::vector<int32_t> &points)
{
    layer = m_event.ReadBYTE();
    color = popColor();
    count = m_event.ReadSmall();
    popPoints(count, points);
}

void TEventPacket::PopEventEditCreate(int32_t &w, int32_t &h)
{
    w = m_event.ReadWORD();
    h = m_event.ReadWORD();
}

void TEventPacket::PopEventEditPC(uint32_t &color)
{
    color = popColor();
}

void TEventPacket::PopEventEditResize(int32_t &w, int32_t &h, int32_t &anchor)
{
    w = m_event.ReadWORD();
    h = m_event.ReadWORD();
    anchor = m_event.ReadBYTE();
}

void TEventPacket::PopEventEditReso(int32_t &w, int32_t &h)
{
    PopEventEditCreate(w, h);
}

void TEventPacket::PopEventEditCreate2(int32_t &w, int32_t &h)
{
    w = m_event.ReadSmall();
    h = m_event.ReadSmall();
}
