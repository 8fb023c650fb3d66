// The document's event manager. Every editing operation is recorded as an event (a short run of
// packets, see event_packets.h) appended to an in-memory byte stream; the same stream is replayed,
// rolled back and forward with undo, and saved to and loaded from files.
//
// The stream lives in segments of unitLen bytes (65536 in every document); segment k holds stream
// offsets k x unitLen to (k + 1) x unitLen - 1, so recorded bytes never move. Offsets are 32-bit
// wherever they are kept (the event ring, the object maps, the file heads): a stream holds at most
// kEventMaxSegments segments and limitLen stays below 2^32; asking for one more segment fails like
// running out of memory.
//
// The class is built in parts, each in its own source file: the stream (event_stream.cpp), the
// recorder and the player add their members beside it.
#pragma once

#include "core/base/memory_ops.h"
#include "core/codec/codec_map.h"
#include "core/containers/ring_buffer.h"
#include "document/events/event_packets.h"
#include "document/events/event_recorder_types.h"
#include "document/paper/paper_host.h"
#include "paint/gradient/gradient_stops.h"

#include "platform/desktop/font.h"
#include "platform/system/clock.h"

#include <QString>

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class QIODevice;
class TPaper;
class CDibCore;
class CPenRender;
class CPenRender5;
class CPenShapeObj;
class CToneMngr;
class TChannel;
class TMTC;
class TStroke;
struct SOlyHeader;

// The allocator of segment memory. Tests install one that fails to exercise the out-of-memory
// paths; nullptr restores the normal one. Returns the previous allocator.
using fptrEventSegAlloc = bool (*)(MemPtr &p, size_t size);
fptrEventSegAlloc setEventSegmentAllocator(fptrEventSegAlloc alloc);

// One segment of the stream.
class CMemSeg
{
  public:
    CMemSeg() = default;
    // With a buffer of sz bytes when the memory can be had (check isValid).
    explicit CMemSeg(uint32_t sz) { alloc(sz); }

    // Obtains sz bytes without throwing; false, the segment as it was, when that fails.
    bool alloc(uint32_t sz);
    void freeBuf();
    bool isValid() const { return buffer != nullptr; }

    // Copy at most length - ofs bytes; the count copied, 0 without a buffer or when ofs >= length.
    uint32_t writeData(const void *src, uint32_t ofs, uint32_t len);
    uint32_t readData(uint32_t ofs, void *dst, uint32_t len) const;

    uint8_t *data() { return static_cast<uint8_t *>(buffer.get()); }
    const uint8_t *data() const { return static_cast<const uint8_t *>(buffer.get()); }

    MemPtr buffer;
    uint32_t length = 0; // bytes of the buffer
};

// The most segments a stream holds: stream offsets stay 32-bit.
inline constexpr uint32_t kEventMaxSegments = 65535;
// The segment size and expected stream length every document passes.
inline constexpr uint32_t kEventUnitLen = 65536;
inline constexpr uint32_t kEventExpectedLen = 1048576;

class CEventMngr : public IPaperPlayback
{
  public:
    // The owning document, an expected stream length and the segment size (a size of 0 is taken
    // as 1). The segment list is made ready for ceil(mlen / usz) segments, at least 10; no segment
    // is allocated until recording or loading starts.
    CEventMngr(TPaper *owner, uint32_t mlen, uint32_t usz);
    ~CEventMngr() override;
    CEventMngr(const CEventMngr &) = delete;
    CEventMngr &operator=(const CEventMngr &) = delete;

    TPaper *owner() const { return m_owner; }

    // ---- Stream storage ----

    // Empties the stream and the event ring, then adds the first segment (false when that fails).
    bool restart();
    // After a load: curLength = topEventPos = len (never past the bytes written), eventCnt = cnt,
    // the play positions and the played-event count 0.
    void setupPlayPos(uint32_t len, uint32_t cnt);

    // Writes len bytes at ofs (ofs <= curLength, len <= unitLen); curLength is not moved. When the
    // write ends beyond curLength and curLength + len reaches limitLen, one segment is added first.
    // Answers len, or 0 (nothing written) when refused or no segment could be added.
    uint32_t writeAt(uint32_t ofs, const void *src, uint32_t len);
    // Reads len bytes at ofs; 0 (nothing read) unless ofs + len <= curLength.
    uint32_t readAt(uint32_t ofs, void *dst, uint32_t len) const;
    // Writes in pieces of at most unitLen, moving curLength to the end of what was written when it
    // lies beyond; stops at the first short piece. Answers the bytes written.
    uint32_t writeDataEx(uint32_t dst, const void *src, uint32_t len);
    // The same at curLength (an append).
    uint32_t writeDataEx(const void *src, uint32_t len);
    // Reads a long run in pieces of at most unitLen; stops at the first short piece.
    uint32_t readDataEx(uint32_t ofs, void *dst, uint32_t len) const;

    // A record at ofs of the stream; false (dst unchanged) unless it lies inside curLength.
    template <class T> bool readRecordAt(uint32_t ofs, T &dst) const
    {
        static_assert(std::is_trivially_copyable_v<T>);
        T v;
        if (readAt(ofs, &v, sizeof(T)) != sizeof(T))
            return false;
        dst = v;
        return true;
    }
    // Appends a record; false when not all of it was written (curLength then marks what was).
    template <class T> bool appendRecord(const T &src)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        return writeDataEx(&src, sizeof(T)) == sizeof(T);
    }

    // Writes [ofs, ofs + len) of the stream (cut at curLength) to fio in pieces that never cross a
    // segment; stops at a short write. Answers the bytes written.
    int64_t saveData(QIODevice &fio, uint32_t ofs, uint32_t len) const;
    // Every complete event: offsets 0 to topEventPos - 1.
    int64_t saveDataAll(QIODevice &fio) const;
    // Empties the manager (restart), reads len bytes from fio in pieces of at most unitLen,
    // appends them and sets up replay (setupPlayPos with what was loaded and cnt). Answers the
    // bytes loaded, less than len when the device or memory ran out.
    uint32_t loadData(QIODevice &fio, uint32_t len, uint32_t cnt);
    // Frees the segments after the one holding curLength; true when it freed any.
    bool shrinkBuffer();
    // ceil(topEventPos / unitLen).
    uint32_t getDataSegCount() const;

    // The body length of the packet whose header is hdr and whose body starts at ofs: the fixed
    // part of a variable packet must lie inside curLength, else -1 (as for an invalid header).
    int64_t packetBodyLength(SEventHdr hdr, uint32_t ofs) const;
    // Walks the packets of [from, to) of the stream (see walkEventPackets).
    SEventWalkResult walkPackets(uint32_t from, uint32_t to,
                                 const fptrEventPacketVisit &visit) const;

    uint32_t segmentCount() const { return uint32_t(segments.size()); }
    const CMemSeg &segment(uint32_t i) const { return segments[i]; }
    size_t segmentCapacity() const { return segments.capacity(); }

    // ---- Stream fields ----
    uint32_t unitLen = kEventUnitLen; // segment size
    uint32_t limitLen = 0;            // sum of the segment sizes
    uint32_t curLength = 0;           // bytes written so far; < limitLen once a segment exists
    uint32_t topEventPos = 0; // start of the event being built = end of the last complete one
    uint32_t eventCnt = 0;    // complete events
    CRingBufDWORD evTopTable; // start offsets of earlier events, for event undo and redo

    // ---- Play position ----
    uint32_t playTopPos = 0;   // offset of the next packet to play
    uint32_t playEventTop = 0; // start of the event being played
    uint32_t playEventCnt = 0; // events played

    // ==== Recorder (event_recorder.cpp, event_recorder_push.cpp) ====
    //
    // The document calls one push per operation it performs with undo; each writes the status
    // packets whose value changed since they were last written, then its command packet, and
    // ends the event. A failed write drops the partial packet, tells the user once and stops
    // recording (curStatus esNothing; the complete events stay). Pushes that refuse their code
    // answer false and keep recording.

    // Initialised: a non-zero segment size (the ring object always exists).
    bool isInitOK() const { return unitLen != 0; }
    // Empties everything, allocates the ring with bk back and fr fore places, binds the owners
    // and adds the first segment.
    bool start(TStroke *strk, CToneMngr *tone, int32_t bk, int32_t fr);
    // start, then records; writes the application status. False when any of it fails.
    bool startRecording(TStroke *strk, CToneMngr *tone, int32_t bk, int32_t fr);
    // Empties everything as start does, without restarting; esNothing.
    void stopRecording();
    bool isActive() const;
    bool canRecord() const { return curStatus == eEvStat::esRecording; }
    bool isRecording() const { return isActive() && canRecord(); }
    bool isStroking() const { return evEnbStat.has(enbStroking); }
    // The current set, with enbTrgtObj then removed from it (whatever dis holds).
    SEvEnbSet disableEnbStat(bool dis);
    // Re-reads the document's active stroke manager (after a paint-level switch).
    void updateStrokeMngr();
    // Resizes the ring keeping the newest places.
    bool changeBufSize(int32_t bk, int32_t fr);

    // One packet: header, body, extra bytes. Not recording: true, nothing written.
    bool writePacket(SEventHdr hdr, const void *body, uint32_t bodyLen, const void *extra = nullptr,
                     uint32_t extraLen = 0);
    // Marks the end of the event being built.
    bool endEvent();
    // 0 unchanged (nothing written), 1 written, 2 failure. The value and its element are kept
    // only after the packet was written.
    int writeStatusIfChanged(uint8_t code, const void *record, uint32_t size, bEvEnbF e);
    // Each true when not recording.
    bool writeControlStatus();
    bool writeBasicStatus();
    bool writePen1Status();
    // The drawing colour, draw mode and opacity (16), also written before the newer pens.
    bool writePenAttrStatus();
    bool writePen4Status();
    bool writePen5Status();
    bool writeAllStatus();
    bool writeFontAttr(const LOGFONTW &lf, int32_t spac, int32_t lead);
    bool writeFontText(const QString &text);
    bool writeInfoSysTime();
    bool writeInfoAll();
    // The screentone (36/37) and the gradient stops (40) of the basic set and the gradient fill.
    int writeToneStatus();
    int writeGradGroupStatus();

    // Recording operations (true on success; not recording: false except where noted).
    bool pushEventBegin(); // true when not recording
    bool pushEventCreatePaper(int32_t pw, int32_t ph, int32_t lw, int32_t lh);
    bool pushEventCreatePaperEx(int32_t pw, int32_t ph, int32_t lw, int32_t lh, int32_t dpi,
                                bool ctp, bool ltp);
    bool pushEventPaperColor(uint32_t col);
    bool pushEventResize(int32_t w, int32_t h, uint8_t place, uint8_t ver);
    bool pushEventResolutionOld(int32_t w, int32_t h, uint16_t ver);
    bool pushEventResolutionHQ(int32_t w, int32_t h, uint16_t ver);
    bool pushEventResolutionHQ2(int32_t w, int32_t h, uint16_t ver);
    bool pushEventGlobalCmd(uint8_t code);
    bool pushEventGlobalData2(uint8_t code, int32_t idx, uint16_t d0, uint32_t d1, uint32_t d2);
    bool pushEventGlobalVis(int32_t idx, uint16_t dt, uint8_t code);
    bool pushEventCrop(int32_t idx, const sBox &bx);
    bool pushEventCropEx(int32_t idx, const sBox &bx, uint16_t ver);
    bool pushEventFin();
    bool removeEventFin();
    bool pushEventLayerCreate(int32_t idx, int32_t w, int32_t h, uint8_t lm, uint8_t trn, bool vis,
                              bool prt);
    bool pushEventLayerCreateEx(int32_t idx, int32_t w, int32_t h, uint8_t lm, uint8_t trn,
                                uint32_t col, const QString &str, bool vis, bool prt);
    bool pushEventLayerMode(int32_t idx, uint8_t lm);
    bool pushEventLayerTrans(int32_t idx, uint8_t trans);
    bool pushEventLayerVisible(int32_t idx, bool vis);
    bool pushEventLayerMaskProtected(int32_t idx, bool sw);
    bool pushEventLayerClipping(int32_t idx, bool clip);
    bool pushEventLayerDither(int32_t idx, bool enb, uint8_t diz, uint32_t val);
    bool pushEventLayerCmd(int32_t idx0, int32_t idx1, uint8_t code);
    bool pushEventLayerCmdEx(int32_t idx0, int32_t idx1, uint32_t param0, uint32_t param1,
                             uint8_t code);
    bool pushEventLayerMove(int32_t idx, int32_t dx, int32_t dy);
    bool pushEventLayerMoveEx(int32_t idx, uint8_t f, int32_t dx, int32_t dy, uint8_t ver);
    bool pushEventLayerSelectMove(int32_t idx, int32_t midx, const sPos &ofs);
    bool pushEventLayerSelectMoveEx(int32_t idx, int32_t midx, uint16_t t, const sPos &ofs);
    bool pushEventLayerName(int32_t idx, const QString &name);
    bool pushEventLayerClippingGroupData(uint8_t code, int32_t idx, uint16_t d0, uint32_t d1,
                                         uint32_t d2);
    bool pushEventLayerLink(uint8_t code, int32_t idx, int32_t dst); // true when not recording
    bool pushEventLayerLinkMove(int32_t idx, const sPos &ofs);
    bool pushEventLayerLinkSelectMove(int32_t idx, int32_t midx, const sPos &ofs);
    bool pushEventLayerFreeTransform(sFPos toplft, sFPos toprht, sFPos btmrht, sFPos btmlft,
                                     bool simple, uint8_t code);
    bool pushEventObjName(uint8_t grp, uint8_t code, int32_t idx, const QString &name);
    // A 32-bit image (rows written top-down whatever its orientation).
    bool pushEventImage(int32_t idx, const CDibCore &tc, const SOlyHeader *lyr, const QString *nam,
                        uint8_t code);
    bool pushEventImagePacket(int32_t idx, const CDibCore &tc, const SOlyHeader *lyr,
                              const QString *nam, uint8_t grp, uint8_t code);
    bool pushEventAlpha(int32_t idx, int32_t midx, const TChannel &ch, const sPos &seedpos,
                        uint8_t mt, uint8_t op0, uint16_t op1, uint8_t op2, uint8_t code);
    bool pushEventAlphaEx(int32_t idx, int32_t midx, const TChannel &ch, const sPos &seedpos,
                          const sPos &ofspos, const sSize &sz, uint8_t mt, uint8_t op0,
                          uint16_t op1, uint8_t op2, uint8_t code);
    bool pushEventAlphaFont(int32_t idx, int32_t midx, const TChannel &ch, const sPos &seedpos,
                            uint8_t mt, const QString &text, const LOGFONTW &lf, int32_t spac,
                            int32_t lead, uint8_t code);
    // cm: the colour mask record followed by its picked colours, as status 136 carries them.
    bool pushEventAlphaColorRange(int32_t idx, int32_t midx, std::span<const uint8_t> cm,
                                  const TChannel &ch, uint8_t mt);
    bool pushEventFillCmd(int32_t idx, const sPos &seedpos, uint8_t op0, uint8_t op1, uint8_t op2,
                          uint8_t op3, uint8_t code, int32_t ver);
    bool pushEventFillCmd(int32_t idx, uint32_t col, sFPos p0, sFPos p1, uint8_t code);
    bool pushEventFillPoly(int32_t idx, int32_t cnt, const sFPos *list);
    bool pushEventSelectDrawCmd(int32_t idx, int32_t midx, sFPos p0, sFPos p1, uint8_t mat,
                                uint8_t code);
    bool pushEventSelectPoly(int32_t idx, int32_t midx, int32_t cnt, const sFPos *list,
                             uint8_t mat);
    bool pushEventSelectCmd(int32_t idx, int32_t midx, uint8_t code);
    bool pushEventSelectCmdData2(int32_t idx, int32_t midx, uint32_t d0, uint32_t d1, uint8_t code);
    bool pushEventSelectName(int32_t idx, const QString &name);
    bool pushEventSelectFreeTransform(sFPos toplft, sFPos toprht, sFPos btmrht, sFPos btmlft,
                                      bool simple, uint8_t code);
    bool pushEventFilter0(int32_t idx, int32_t midx, uint8_t code);
    bool pushEventFilter2(int32_t idx, int32_t midx, LDATA d0, LDATA d1, uint8_t code);
    bool pushEventFilter4(int32_t idx, int32_t midx, const LDATA *d, uint8_t code);
    bool pushEventFilter6(int32_t idx, int32_t midx, const LDATA *d, uint8_t code);
    // fc: the record head (its allLen counts data's bytes) and the parameter block.
    bool pushEventFilterComplex(uint8_t code, const SEvFilterComplex &fc,
                                std::span<const uint8_t> data);
    // The floor filter: floor and ceiling textures from image files (each may be null) with
    // their paths, then 38/99 with the 63-byte parameter record.
    bool pushEventFilterFloor(int32_t idx, int32_t midx, std::span<const uint8_t> param63,
                              const TMTC *floorTex, const QString &floorPath, uint16_t floorDpi,
                              const TMTC *ceilTex, const QString &ceilPath, uint16_t ceilDpi);
    bool pushEventStrokeBegin(float x, float y, float p);
    bool pushEventStrokeAdd(float x, float y, float p);
    bool pushEventStrokeEnd();
    // Group 5 (layer_group_events.cpp).
    bool pushEventGroupIn(int32_t idx, bool in, int32_t cnt, const uint8_t *tbl0,
                          const uint8_t *tbl1);
    bool pushEventGroupData2(uint8_t code, int32_t idx, uint16_t d0, uint32_t d1, uint32_t d2);
    bool pushEventGroupMovePos(uint8_t code, int32_t idx, int32_t midx, const sPos &ofs,
                               uint32_t d0, uint32_t d1);

    // Stroke points.
    bool pushStrokePoint(float x, float y, float p);
    bool flushStrokePoints();

    // Event undo and redo on evTopTable.
    int32_t getUndoCnt() const { return evTopTable.backCnt; }
    int32_t getRedoCnt() const { return evTopTable.foreCnt < 2 ? 0 : evTopTable.foreCnt - 1; }
    bool undoEvent();
    bool redoEvent();
    // Nothing recorded so far can be undone or redone any more (the stream stays); clearRedo
    // forgets the redo side only.
    bool clearUndo();
    bool clearRedo();
    // Forgets the statuses written in [from, to) (and the tone and nib ids they defined); false
    // on an unknown status code or a corrupt run.
    bool forgetStatusOfPackets(uint32_t from, uint32_t to);
    // Drops the last complete event as removeEventFin drops the end event; false without one.
    bool withdrawLastEvent();
    // Continues recording after a replay or a loaded stream.
    bool startRecordingContinue(bool load);

    // The recorded value of an element (false when none is kept).
    template <class T> bool getStatusValue(bEvEnbF e, T &dst) const
    {
        static_assert(std::is_trivially_copyable_v<T>);
        const std::vector<uint8_t> &v = statusValues[size_t(e)];
        if (!evEnbStat.has(e) || v.size() != sizeof(T))
            return false;
        std::memcpy(&dst, v.data(), sizeof(T));
        return true;
    }
    void storeStatusValue(bEvEnbF e, const void *src, uint32_t size);

    // ==== Paint parameters (paint_param_events.cpp) ====

    // verMajor x 100 + verMinor of the last application status; 200 when none.
    int32_t getRecordedVersion() const;
    // Replay of the status packets 36, 37, 40, 44-75; body holds the fixed part and the trailing
    // bytes. Everything is checked before anything changes.
    bool playPaintParamStatus(uint8_t code, std::span<const uint8_t> body);
    bool playPenMap(int ver, std::span<const uint8_t> body);
    bool playPenColor(int ver, std::span<const uint8_t> body);
    bool playPenParam(int ver, std::span<const uint8_t> body);
    bool playPenAttr(int ver, std::span<const uint8_t> body);
    bool playRenderMode(int ver, std::span<const uint8_t> body);
    bool playRenderParam(int ver, std::span<const uint8_t> body);
    bool playRenderOpt(int ver, std::span<const uint8_t> body);
    bool playStrokeParam4(std::span<const uint8_t> body);
    bool playStrokeParam5(std::span<const uint8_t> body);
    bool playPenShapeImage(int ver, std::span<const uint8_t> body);
    bool playPenShapeID(int ver, std::span<const uint8_t> body);
    bool playToneObj(std::span<const uint8_t> body);
    bool playToneID(std::span<const uint8_t> body);
    bool playGradGroup(std::span<const uint8_t> body);
    CPenShapeObj *getPlayPenShapeObj() const;
    const CColorSlotGroup *getPlayGradGroup();
    // The replayed brush for the tool window (through the installed hook); nothing below qZ4.
    void GetPaintParam();

    // ==== Event files (event_file.cpp) ====
    // The loaded file's version and the extension a replayed file is saved under.
    int32_t getPlayFileVersion(QString &ext) const;

    // ==== Player (event_player.cpp) ====
    //
    // A loaded stream is replayed one event per step: the status and information packets of an
    // event, then its command packet, each dispatched through the replay table
    // (event_replay.h) after its body was checked to lie inside the loaded data.

    // Loads an event file and begins replay (its first command must create the canvas).
    eEvStartStat startPlaying(const QString &path);
    // Begins replay of the data already loaded: the replay objects, the maps cleared, esPlaying.
    // With needCreation the first step is played and must create the canvas; without it nothing
    // is played (the document already holds the start).
    eEvStartStat beginPlaying(bool needCreation);
    // Begins replay of a stream that opens with a canvas creation without that creation: the
    // statuses before it are played, then setup(pw, ph, transparent) makes the document in its
    // place. ersErrOther when the first command is not 2/0 or 2/8 or setup fails.
    eEvStartStat
    beginPlayingBlank(const std::function<bool(int32_t pw, int32_t ph, bool transparent)> &setup);
    static QString getPlayStartMessage(eEvStartStat stat);
    eEvPlayStat playEventSingle();
    eEvPlayStat playStrokeToEnd();
    bool markPlayEvent();
    bool isPlaying() const { return curStatus == eEvStat::esPlaying; }
    bool isPlayPaused() const { return isPlaying() && evEnbStat.has(enbPlayPause); }
    void setPlayPause(bool sw);
    bool isPlayWait() const { return evEnbStat.has(enbPlayWait); }
    void setPlayWait(bool sw);
    bool isStrokeChanged() const;
    bool setStrokeChanged(bool sw);
    float getPlayProgress() const;
    // Plays one packet at playTopPos; false when it cannot be read or its row fails or is
    // missing (playError then says why).
    bool playPacket(SEventHdr &hdr);

    // Strokes (event_replay_strokes.cpp). A begin packet of group grp opens a stroke on layer;
    // points are buffered and played by the stroke's version; the end returns the document's
    // changed box and refreshes the layer's preview in it.
    bool playStrokeBegin(uint8_t grp, int32_t layer);
    bool playStrokePoints(uint8_t grp, uint8_t code, std::span<const uint8_t> body);
    bool playStrokePoint(const SEvStrokePoint &pt);
    bool playStrokeEnd();
    eEvPlayStat playStrokeStep();

    std::array<SEvStrokePoint, 16> playPoints{};
    int32_t playPointCnt = 0;  // points in the buffer
    int32_t playPointNext = 0; // the next buffered point to play
    int32_t playStrokeVer = 5; // the version of the open stroke

    SEventHdr playEventHdr; // the header of the last packet of the last step
    QString playError;      // why the last packet failed

    // ==== Replay objects (event_replay_objects.cpp) ====
    bool createPlayObjects();
    void freePlayObjects();
    bool hasPlayObjects() const { return playStroke != nullptr; }
    // IPaperPlayback
    CPenShapeObj *playedPenShape() const override { return getPlayPenShapeObj(); }
    CPenRender *playedPenRender() const override { return playPenRender.get(); }
    CPenRender5 *playedPenRender5() const override { return playPenRender5.get(); }
    TStroke *playedStroke() const override { return playStroke.get(); }
    const CColorSlotGroup *playedColorSlotGroup() const override;

    // ---- Recorder state ----
    TStroke *ownerStroke = nullptr;
    CToneMngr *ownerToneMngr = nullptr;
    int ownerStrokeMngr = 0; // the document's active stroke manager (eActiveStrokeMngr)
    eEvStat curStatus = eEvStat::esNothing;
    bool fileLoaded = false;
    uint8_t fileVersion = 50;
    uint16_t fileExtFlags = 0;
    SEvEnbSet evEnbStat;
    std::array<std::vector<uint8_t>, kEvValueCount> statusValues; // last value of each element
    QString fontText;
    SSystemTime infoSysTime;
    CMapDD mapToneObj{10};
    CMapDD mapPenShapeObj{10};
    CColorSlotGroup curGradGroup{16};
    SEvStrokeTarget strokeTarget;
    std::array<SEvStrokePoint, 16> strokeList{};
    int32_t strokeCnt = 0;
    int32_t strokeTotalCnt = 0;
    int32_t strokePacketCnt = 0;

    // ---- Replay objects ----
    std::unique_ptr<TStroke> playStroke;
    std::unique_ptr<CPenShapeObj> playPenShapeObj;
    std::unique_ptr<CPenShapeObj> playPenShapeImg;
    std::vector<std::unique_ptr<TChannel>> playPenShapeList;
    std::unique_ptr<CPenRender> playPenRender;
    std::unique_ptr<CPenRender5> playPenRender5;
    std::unique_ptr<CToneMngr> playToneMngr;
    std::unique_ptr<TMTC> playTC0;
    std::unique_ptr<TMTC> playTC1;
    std::vector<uint8_t> playColorRange;
    uint16_t playUpdt = 0; // eEvPlayUpdt bits

  private:
    // Adds one segment of unitLen bytes; false when out of memory or at the segment bound.
    bool addSegment();
    void freeSegments();
    // Copies between the stream and memory over as many segments as [ofs, ofs + len) touches;
    // the range has been checked against the segments.
    void copyOut(uint32_t ofs, uint8_t *dst, uint32_t len) const;
    void copyIn(uint32_t ofs, const uint8_t *src, uint32_t len);

    TPaper *m_owner = nullptr;
    std::vector<CMemSeg> segments;

    // Recorder helpers.
    bool recordingFailed();
    bool writePacketWith(SEventHdr hdr, const std::function<bool()> &body);
    bool appendBytes(const void *src, uint32_t len);
    bool pushCommand(uint8_t grp, uint8_t code, const void *body, uint32_t len, int set,
                     bool dropTarget, const void *extra = nullptr, uint32_t extraLen = 0);
    bool writeStatusSet(int set);
    bool writeCoverage(uint8_t code, const TChannel &ch, void *head, uint32_t headLen,
                       uint32_t boxOfs);
    bool writePenShape(int ver);
    bool pushLayerAttrFlag(int32_t idx, uint16_t bit, bool on, uint8_t code, bool dropTarget);
    // The records of a version-4 or version-5 pen set and its stroke record, in their order.
    bool writePenSetStatuses(int ver, const struct SPenSetValues &v, const void *stroke,
                             uint32_t strokeSize);
    bool dropLastEvent(uint32_t start);
    void remapIdsDefinedIn(uint32_t from, uint32_t to);
    // Every packet of [from, to) can be walked and every status code is known.
    bool isWalkable(uint32_t from, uint32_t to) const;
    friend class CEventRecordGuard;
};
