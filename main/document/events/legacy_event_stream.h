// The oldest file generation's event stream (the `.wpe` file and the event part of a `.wpb`
// image): a sequence of 16-bit instruction codes, each followed by operands of a fixed or counted
// length, closed by 0xFFFF. Three small classes carry it: TMyFile (a file with byte, word and
// double-word access), TMyMemory (a growable byte buffer with a read position and a written
// length) and TEventPacket (the stream: validated when loaded, handed out one instruction at a
// time for replay, written back to a file). Everything is little-endian.
//
// The stream comes from outside: loading checks that every instruction's operands are there
// (counted ones included) before the stream is taken, and the memory never reads or writes outside
// what it holds, whatever the positions asked for.
#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QFile;
class QSaveFile;
class TStroke;

// A file with byte, word and double-word access. Reading opens the file as it is; writing goes to
// a temporary file beside the target that replaces it only on Close, so a write that fails half
// way leaves the old file as it was. Nothing throws.
class TMyFile
{
  public:
    TMyFile();
    ~TMyFile();
    TMyFile(const TMyFile &) = delete;
    TMyFile &operator=(const TMyFile &) = delete;

    // Opens for reading at the start; false when it cannot be opened.
    bool OpenRead(const QString &filename);
    // Starts a new version of the file (it replaces the old one on Close); false when the
    // temporary file cannot be created.
    bool OpenWrite(const QString &filename);
    // True when all size bytes moved. A short read or write also sets failed().
    bool Read(void *p, int64_t size);
    bool Write(const void *p, int64_t size);
    // The next 1, 2 or 4 bytes; 0 (and failed()) when fewer are there.
    uint8_t ReadBYTE();
    uint16_t ReadWORD();
    uint32_t ReadDWORD();
    bool WriteBYTE(uint8_t data);
    bool WriteWORD(uint16_t data);
    bool WriteDWORD(uint32_t data);
    // Moves by size bytes from the present position; false when that lies outside the file.
    bool Seek(int64_t size);
    // Closes the file. A file opened for writing replaces its target only when every write
    // succeeded; the answer says whether it did (true for a file opened for reading).
    bool Close();
    bool isOpen() const;
    // A read or write moved fewer bytes than asked since the file was opened.
    bool failed() const { return m_failed; }

  private:
    std::unique_ptr<QFile> m_read;
    std::unique_ptr<QSaveFile> m_write;
    bool m_failed = false;
};

// A growable byte buffer with a read position and a written length:
// 0 <= m_position <= m_writed <= m_allocated always. Reads never go past the written length and
// writes never past the allocation (they make room first); a request that would break that is
// refused (false, or 0 for a read) and moves nothing.
class TMyMemory
{
  public:
    // inc bytes allocated, growth step inc (at least 1).
    explicit TMyMemory(int32_t inc);

    // Room for size more bytes after the written length: when m_allocated < m_writed + size the
    // buffer grows by max(size, m_inc), keeping its contents. False for a negative size or a
    // total past 2 GiB, nothing changed.
    bool AllocateBuffer(int32_t size);

    // Store the value at m_writed + index (room made first); only with index 0 the written length
    // advances. A non-zero index patches bytes relative to the end (WriteWORD(x, -2) overwrites the
    // last two bytes). False when the bytes would lie before the buffer's start.
    bool WriteBYTE(uint8_t data, int32_t index = 0);
    bool WriteShort(int8_t data, int32_t index = 0);
    bool WriteWORD(uint16_t data, int32_t index = 0);
    bool WriteSmall(int16_t data, int32_t index = 0);
    bool WriteDWORD(uint32_t data, int32_t index = 0);
    bool WriteInteger(int32_t data, int32_t index = 0);
    // Appends size bytes.
    bool WriteFromBuffer(const void *buf, int32_t size);

    // The value at m_position + index; only with index 0 the position advances. 0, position kept,
    // when the bytes do not lie wholly inside the written data.
    uint8_t ReadBYTE(int32_t index = 0);
    int8_t ReadShort(int32_t index = 0);
    uint16_t ReadWORD(int32_t index = 0);
    int16_t ReadSmall(int32_t index = 0);
    uint32_t ReadDWORD(int32_t index = 0);
    int32_t ReadInteger(int32_t index = 0);
    // Copies size bytes and advances, only when at least size bytes remain.
    bool ReadToBuffer(void *buf, int32_t size);

    // The position moves by index (a positive index makes room for index bytes first); false,
    // nothing moved, when it would leave 0..m_writed.
    bool Seek(int32_t index);
    // The written length moves by index, within 0..m_allocated; the position follows it down.
    bool WritedSeek(int32_t index);
    bool SetPosition(int32_t pos);
    bool SetWrited(int32_t pos);
    void First() { m_position = 0; }
    void Last() { m_position = m_writed; }
    // A new zero-filled buffer of size bytes: position 0, written length size.
    bool SetStreamSize(int32_t size);
    // Position and written length 0; the memory stays.
    void Clear();

    // The whole file: position 0, written length and allocation its size. False (nothing changed)
    // when it cannot be opened or read, or holds 2 GiB or more.
    bool LoadFromFile(const QString &filename);
    // The written bytes into a new version of the file; false (the old file kept) on failure.
    bool SaveToFile(const QString &filename) const;

    // position / written length x 100; 100 when nothing is allocated or written.
    float Progress() const;

    const uint8_t *BeginBuffer() const { return m_buffer.data(); }
    const uint8_t *PositionBuffer() const { return m_buffer.data() + m_position; }
    const uint8_t *WritedBuffer() const { return m_buffer.data() + m_writed; }
    int32_t ReadRemain() const { return m_writed - m_position; }
    int32_t position() const { return m_position; }
    int32_t writed() const { return m_writed; }
    int32_t allocated() const { return m_allocated; }

  private:
    // Makes room for the bytes [m_writed + index, m_writed + index + size); their offset, or -1.
    int64_t writeSlot(int32_t index, int32_t size);
    // The offset of [m_position + index, + size) when it lies in the written data, else -1.
    int64_t readSlot(int32_t index, int32_t size) const;
    template <typename T> bool writeValue(T data, int32_t index);
    template <typename T> T readValue(int32_t index);

    std::vector<uint8_t> m_buffer;
    int32_t m_position = 0;
    int32_t m_allocated = 0;
    int32_t m_writed = 0;
    int32_t m_inc = 1;
};

// What loading a stream found: the largest canvas its instructions name and the number of
// instructions other than strokes, layer selection, visibility, opacity, blend mode, visibility
// toggles and undo discards.
struct TEventChecker
{
    int32_t m_maxX = 0;
    int32_t m_maxY = 0;
    int32_t m_criticalEvent = 0;
};

// Instruction codes of the stream.
namespace legacy_event {
inline constexpr uint16_t kStrokeFirst = 0; // 0..4: a stroke in draw mode 0..4
inline constexpr uint16_t kStrokeLast = 4;
inline constexpr uint16_t kLayerAdd = 256;
inline constexpr uint16_t kLayerDelete = 257;
inline constexpr uint16_t kLayerMerge = 258;
inline constexpr uint16_t kLayerCopy = 259;
inline constexpr uint16_t kLayerInsert = 260;
inline constexpr uint16_t kLayerCombLower = 261;
inline constexpr uint16_t kLayerUndo = 272;
inline constexpr uint16_t kLayerActive = 273;
inline constexpr uint16_t kLayerVisible = 274;
inline constexpr uint16_t kLayerTrans = 275;
inline constexpr uint16_t kLayerMode = 276;
inline constexpr uint16_t kLayerVisibleFlip = 277;
inline constexpr uint16_t kLayerUpsideDown = 288;
inline constexpr uint16_t kLayerMirror = 289;
inline constexpr uint16_t kLayer180 = 290;
inline constexpr uint16_t kLayerNegaposi = 291;
inline constexpr uint16_t kLayerClear = 292;
inline constexpr uint16_t kLayerFill = 293;
inline constexpr uint16_t kLayerMove = 294;
inline constexpr uint16_t kLayerRectCut = 295;
inline constexpr uint16_t kLayerRectFill = 296;
inline constexpr uint16_t kLayerPolyCut = 297;
inline constexpr uint16_t kLayerPolyFill = 304;
inline constexpr uint16_t kLayerLine = 305;
inline constexpr uint16_t kEditCreate = 512;
inline constexpr uint16_t kEditPC = 513;
inline constexpr uint16_t kEditResize = 514;
inline constexpr uint16_t kEditReso = 515;
inline constexpr uint16_t kEditRotRight = 516;
inline constexpr uint16_t kEditRotLeft = 517;
inline constexpr uint16_t kEditUndoDispose = 518;
inline constexpr uint16_t kEditUndoDisposeIndex = 519;
inline constexpr uint16_t kEditCreate2 = 520;
inline constexpr uint16_t kEditUpsideDown = 528;
inline constexpr uint16_t kEditMirror = 529;
inline constexpr uint16_t kEdit180 = 530;
inline constexpr uint16_t kEditNegaposi = 531;
inline constexpr uint16_t kEnd = 0xFFFF;

// Bytes of a stroke's parameter block.
inline constexpr int32_t kParamBytes = 17;

// Operand bytes of code for the fixed-length codes; -1 for the counted ones (strokes, 297, 304)
// and for codes outside the table.
int32_t fixedOperandBytes(uint16_t code);
bool isKnownCode(uint16_t code);
// Whether code counts as critical (see TEventChecker).
bool isCriticalCode(uint16_t code);
} // namespace legacy_event

// What the instruction does, in a few words ("add a layer"); empty for a code outside the table.
const char *legacyInstructionName(uint16_t code);

// A stroke's parameter block as stored.
struct SLegacyStrokeParam
{
    uint8_t layer = 0;
    uint32_t color = 0; // c1 << 16 | c2 << 8 | c3
    bool ifSize = false;
    bool ifTrans = false;
    bool ifEdge = false;
    float penMin = 0, width = 0, gamma = 0, effect = 0, env = 0, speed = 0; // stored / 256

    // Into a stroke: its layer, colour, pressure switches and the six values.
    void applyTo(TStroke &stroke) const;
};

class TEventPacket
{
  public:
    TEventPacket();

    // Empties the stream; event count 0; not stroking.
    void EventClear();
    // Position 0; not stroking.
    void EventReset();
    int32_t EventSize() const { return 0; }

    // The whole file validated and taken (LoadFromMemory). False, the stream unchanged, when the
    // file cannot be read or fails validation.
    bool LoadFromFile(const QString &filename, TEventChecker &check);
    // Validates the stream from memory's position; on success the memory's whole written contents
    // become the stream (position 0) and the answer is true. A failure leaves the stream, its
    // event count and check's caller untouched except for check itself.
    bool LoadFromMemory(const TMyMemory &memory, TEventChecker &check);
    // The written length moves back over the closing end code so that instructions can be
    // appended; false when the stream does not end with it.
    bool AddModeProcedure();
    // Appends the end code and counts it.
    void PushEventFin();
    // Writes the stream instruction by instruction into a new version of the file; false (the old
    // file kept) for a code outside the table or a stream that runs out before the end code.
    bool SaveToFile(const QString &filename) const;
    float Progress() const { return m_event.Progress(); }

    // ---- replay: one instruction and its operands at a time
    uint16_t PopInstruction() { return m_event.ReadWORD(); }
    // Reads the parameter block into param (and the stroke when given), the first point and the
    // point count; stroking while points are to come.
    void PopEventStrokeBegin(SLegacyStrokeParam &param, int32_t &x, int32_t &y, float &p);
    void PopEventStrokeBegin(TStroke &stroke, int32_t &x, int32_t &y, float &p);
    // One point; true (and stroking ends) when it was the last. With no point left it reads
    // nothing and answers true.
    bool PopEventStroke(int32_t &x, int32_t &y, float &p);
    // The parameter block, the draw mode (0..4, else dm is left as it was) and the end points.
    void PopEventLayerLine(SLegacyStrokeParam &param, int32_t &dm, int32_t &x1, int32_t &y1,
                           int32_t &x2, int32_t &y2);
    void PopEventLayerLine(TStroke &stroke, int32_t &x1, int32_t &y1, int32_t &x2, int32_t &y2);
    // Values outside 0..3 leave lm as it was.
    void PopEventLayerAdd(int32_t &lm);
    void PopEventLayerDelete(int32_t &layer) { layer = m_event.ReadBYTE(); }
    void PopEventLayerCopy(int32_t &layer) { layer = m_event.ReadBYTE(); }
    void PopEventLayerInsert(int32_t &src, int32_t &dst);
    void PopEventLayerCombLower(int32_t &layer) { layer = m_event.ReadBYTE(); }
    void PopEventLayerUndo(int32_t &layer) { layer = m_event.ReadBYTE(); }
    void PopEventLayerActive(int32_t &layer) { layer = m_event.ReadBYTE(); }
    // visible is true only for the byte 1.
    void PopEventLayerVisible(int32_t &layer, bool &visible);
    void PopEventLayerTrans(int32_t &layer, int32_t &trans);
    void PopEventLayerMode(int32_t &layer, int32_t &mode);
    void PopEventLayerVisibleFlip(int32_t &layer) { layer = m_event.ReadBYTE(); }
    void PopEventLayerUpsideDown(int32_t &layer) { layer = m_event.ReadBYTE(); }
    void PopEventLayerMirror(int32_t &layer) { layer = m_event.ReadBYTE(); }
    void PopEventLayer180(int32_t &layer) { layer = m_event.ReadBYTE(); }
    void PopEventLayerNegaposi(int32_t &layer) { layer = m_event.ReadBYTE(); }
    void PopEventLayerClear(int32_t &layer) { layer = m_event.ReadBYTE(); }
    void PopEventLayerFill(int32_t &layer, uint32_t &color);
    void PopEventLayerMove(int32_t &layer, int32_t &x, int32_t &y);
    void PopEventLayerRectCut(int32_t &layer, int32_t &x, int32_t &y, int32_t &w, int32_t &h);
    void PopEventLayerClearPart(int32_t &layer, int32_t &x, int32_t &y, int32_t &w, int32_t &h)
    {
        PopEventLayerRectCut(layer, x, y, w, h);
    }
    void PopEventLayerRectFill(int32_t &layer, int32_t &x, int32_t &y, int32_t &w, int32_t &h,
                               uint32_t &color);
    // The polygon's points; count is the stored (signed) count and points gets count points
    // (none for a count below 1).
    void PopEventLayerPolyCut(int32_t &layer, int32_t &count, std::vector<int32_t> &points);
    void PopEventLayerPolyFill(int32_t &layer, uint32_t &color, int32_t &count,
                               std::vector<int32_t> &points);
    void PopEventEditCreate(int32_t &w, int32_t &h);
    void PopEventEditPC(uint32_t &color);
    void PopEventEditResize(int32_t &w, int32_t &h, int32_t &anchor);
    void PopEventEditReso(int32_t &w, int32_t &h);
    void PopEventEditUndoDisposeIndex(int32_t &layer) { layer = m_event.ReadBYTE(); }
    void PopEventEditCreate2(int32_t &w, int32_t &h);

    // Drops the points still to come of the present stroke (the replay refused or ended it).
    void endStroke()
    {
        m_ifStroking = false;
        m_strokeCount = 0;
    }
    bool isStroking() const { return m_ifStroking; }
    int32_t strokeCount() const { return m_strokeCount; }
    int32_t eventNum() const { return m_eventNum; }
    TMyMemory &memory() { return m_event; }
    const TMyMemory &memory() const { return m_event; }

  private:
    SLegacyStrokeParam popParam();
    uint32_t popColor();
    void popPoints(int32_t count, std::vector<int32_t> &points);

    TMyMemory m_event;
    bool m_ifStroking = false;
    int32_t m_strokeCount = 0;
    int32_t m_eventNum = 0;
};

// The instruction at the memory's position: its whole length (code and operands) when all of it is
// there, else -1 (also for a code outside the table or a negative polygon count).
int32_t legacyInstructionLength(const uint8_t *p, int64_t remain);
