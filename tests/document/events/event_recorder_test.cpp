#include "core/image/display_canvas.h"
#include "document/events/event_manager.h"
#include "document/events/event_record_guard.h"
#include "document/events/recorder_rig.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_header.h"
#include "platform/codec/block_compress.h"
#include "support/packed_value.h"

#include <gtest/gtest.h>

#include <QBuffer>

#include <QFile>
#include <functional>
#include <new>

namespace {

using H = SEventHdr;

const char *goldenPath()
{
    return KAVRIN_TEST_DATA "/events/recorder_golden.bin";
}

// ---- A whole recording, byte for byte ----

TEST(EventRecorder, AFixedRecordingEqualsItsGolden)
{
    RecorderRig rig;
    rig.paper().m_canvascolor = 0xF0E0D0;
    rig.stroke.m_bgCol = 0x00FFFFFF;
    rig.recordOpening();
    ASSERT_TRUE(rig.recordStroke(17));

    const std::vector<H> expected = {
        {0, 0},  {2, 8}, // control, creation
        {0, 2},  {0, 3},   {0, 4},  {0, 5},  {0, 8},  {0, 12}, {1, 17}, {2, 254}, // basic, begin
        {0, 8},  {0, 16}, // stroke: basic, pen
        {0, 64}, {0, 65},  {0, 66}, {0, 67}, {0, 68}, {0, 69}, {0, 70}, {0, 71}, // version-5 set
        {80, 0}, {17, 16}, {18, 1}};
    EXPECT_EQ(rig.headers(), expected);
    EXPECT_EQ(rig.ev().eventCnt, 3u);
    EXPECT_EQ(rig.ev().topEventPos, rig.ev().curLength);

    const std::vector<uint8_t> got = rig.bytes();
    if (qEnvironmentVariableIsSet("KAVRIN_UPDATE_GOLDEN")) {
        QFile out(goldenPath());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(reinterpret_cast<const char *>(got.data()), qint64(got.size()));
    }
    QFile f(goldenPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray golden = f.readAll();
    ASSERT_EQ(size_t(golden.size()), got.size());
    EXPECT_EQ(std::memcmp(golden.constData(), got.data(), got.size()), 0);

    // The pieces a replay depends on.
    SEvAppStat app;
    ASSERT_TRUE(readEventRecord(rig.body({0, 0}), app));
    EXPECT_EQ(valueOf(app.verMajor), 5);
    EXPECT_EQ(valueOf(app.verMinor), 104);
    EXPECT_EQ(rig.ev().getRecordedVersion(), 604);
    SEvPaperColor pc;
    ASSERT_TRUE(readEventRecord(rig.body({0, 2}), pc));
    EXPECT_EQ(pc.color.B, 0xD0);
    EXPECT_EQ(pc.color.G, 0xE0);
    EXPECT_EQ(pc.color.R, 0xF0);
    const std::vector<uint8_t> info = rig.body({1, 17});
    ASSERT_EQ(info.size(), 20u);
    SSystemTime t;
    std::memcpy(&t, info.data() + 4, sizeof t);
    EXPECT_EQ(t, recorderTestTime());
}

TEST(EventRecorder, ANewDocumentRecordsFromItsCreation)
{
    ScopedUndoMax undo(10);
    HeadlessDocument doc;
    CEventMngr &ev = doc.paper->eventMngr();
    EXPECT_TRUE(ev.isRecording());
    EXPECT_EQ(ev.evTopTable.backMax, 44);
    EXPECT_EQ(ev.evTopTable.foreMax, 44);
    EXPECT_EQ(ev.curLength, 14u); // the application status, not yet part of an event
    EXPECT_EQ(ev.eventCnt, 0u);
}

// ---- Strokes ----

TEST(EventRecorder, StrokePointsArePackedSixteenToAPacket)
{
    struct Case
    {
        int points;
        std::vector<H> tail;
    };
    const Case cases[] = {
        {1, {{80, 0}, {18, 1}}},
        {16, {{80, 0}, {18, 16}}},
        {17, {{80, 0}, {17, 16}, {18, 1}}},
        {33, {{80, 0}, {17, 16}, {17, 16}, {18, 1}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.points);
        RecorderRig rig;
        rig.recordOpening();
        const uint32_t before = rig.ev().curLength;
        ASSERT_TRUE(rig.recordStroke(c.points));
        std::vector<H> strokePackets;
        for (const H &h : rig.headers(before))
            if (h.group != 0)
                strokePackets.push_back(h);
        EXPECT_EQ(strokePackets, c.tail);
        EXPECT_FALSE(rig.ev().isStroking());
        // The points come back in order.
        const std::vector<uint8_t> last = rig.body({18, uint8_t(c.tail.back().code)}, before);
        SEvStrokePoint p;
        std::memcpy(&p, last.data() + last.size() - sizeof p, sizeof p);
        EXPECT_EQ(valueOf(p.x), 3.0f + float(c.points - 1));
    }
}

TEST(EventRecorder, StrokeBeginByPaintLevelAndShape)
{
    struct Case
    {
        ePaintLevel level;
        bool shape;
        uint8_t group;
    };
    using enum ePaintLevel;
    const Case cases[] = {
        {PAINT_LEVEL_qZ2, false, 23}, {PAINT_LEVEL_qZ2, true, 24},  {PAINT_LEVEL_qZ4, false, 48},
        {PAINT_LEVEL_qZ4, true, 49},  {PAINT_LEVEL_qZ5, false, 80}, {PAINT_LEVEL_qZ5, true, 81},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.group));
        RecorderRig rig;
        rig.recordOpening();
        rig.paper().actPaintLevel = c.level;
        rig.stroke.m_bDrawShape = c.shape;
        rig.stroke.m_drawLayer = 1;
        const uint32_t before = rig.ev().curLength;
        ASSERT_TRUE(rig.recordStroke(2));
        const std::vector<uint8_t> target = rig.body({c.group, 0}, before);
        ASSERT_EQ(target.size(), 4u);
        EXPECT_EQ(target[0], 1); // the stroke's drawing layer
        // The pen set of the level, after the basic set.
        const std::vector<H> hs = rig.headers(before);
        auto has = [&](H h) { return std::find(hs.begin(), hs.end(), h) != hs.end(); };
        EXPECT_EQ(has({0, 13}), c.level == PAINT_LEVEL_qZ2);
        EXPECT_EQ(has({0, 48}), c.level == PAINT_LEVEL_qZ4);
        EXPECT_EQ(has({0, 64}), c.level == PAINT_LEVEL_qZ5);
    }
}

TEST(EventRecorder, TheOldestPaintLevelIsNotRecorded)
{
    RecorderRig rig;
    rig.recordOpening();
    rig.paper().actPaintLevel = ePaintLevel::PAINT_LEVEL_qZ1;
    const std::vector<uint8_t> before = rig.bytes();
    EXPECT_FALSE(rig.ev().pushEventStrokeBegin(1, 1, 1));
    EXPECT_FALSE(rig.ev().pushEventStrokeAdd(2, 2, 1));
    EXPECT_FALSE(rig.ev().pushEventStrokeEnd());
    EXPECT_EQ(rig.bytes(), before);
    EXPECT_TRUE(rig.ev().isRecording());
}

// ---- Statuses ----

TEST(EventRecorder, AnUnchangedStatusIsWrittenOnceButTheTargetEveryTime)
{
    RecorderRig rig;
    rig.recordOpening();
    const uint32_t from = rig.ev().curLength;
    rig.paper().m_canvascolor = 0x102030;
    ASSERT_TRUE(rig.ev().pushEventPaperColor(0x102030));
    ASSERT_TRUE(rig.ev().pushEventPaperColor(0x102030));
    ASSERT_TRUE(rig.ev().pushEventLayerCmd(1, 0, 2));
    EXPECT_EQ(rig.count({0, 2}, from), 1);
    EXPECT_EQ(rig.count({0, 8}, from), 3);
    EXPECT_EQ(rig.count({2, 1}, from), 2);
    // Every set is the target followed by its command: nothing else changed.
    const std::vector<H> expected = {{0, 2}, {0, 8}, {2, 1}, {0, 8}, {2, 1}, {0, 8}, {4, 2}};
    EXPECT_EQ(rig.headers(from), expected);
}

TEST(EventRecorder, StatusSetsKeepTheirOrder)
{
    RecorderRig rig;
    rig.ev().stopRecording();
    ASSERT_TRUE(rig.ev().startRecording(&rig.stroke, &rig.tones, 8, 8));
    rig.stroke.m_bUseTone = true;
    rig.stroke.m_bUseGradation = true;
    rig.useImageNib();
    // The all set at each level: basic (with tone and stops), level 1, version 4, version 5.
    ASSERT_TRUE(rig.ev().pushEventFilter0(0, 0, 0));
    const std::vector<H> expected = {{0, 0},  {0, 2},  {0, 3},  {0, 4},  {0, 5},  {0, 8},  {0, 12},
                                     {0, 36}, {0, 40}, {0, 13}, {0, 16}, {0, 17}, {0, 18}, {0, 48},
                                     {0, 50}, {0, 52}, {0, 53}, {0, 44}, {0, 56}, {0, 57}, {0, 58},
                                     {0, 60}, {0, 64}, {0, 65}, {0, 66}, {0, 67}, {0, 75}, {0, 68},
                                     {0, 69}, {0, 70}, {0, 71}, {32, 0}};
    EXPECT_EQ(rig.headers(), expected);
}

// ---- Failures ----

bool failingSegmentAlloc(MemPtr &, size_t)
{
    return false;
}

// Moves the end of the stream to 'left' bytes before the end of the last segment, so that the
// next packet longer than that needs a segment.
void nearSegmentEnd(CEventMngr &ev, uint32_t left)
{
    ev.curLength = ev.topEventPos = ev.limitLen - left;
}

TEST(EventRecorder, AFailedStatusWriteLeavesTheStreamAndCacheAndStopsRecording)
{
    RecorderRig rig;
    rig.recordOpening();
    rig.paper().m_canvascolor = 0x123456;
    nearSegmentEnd(rig.ev(), 3); // the 6-byte status 2 does not fit
    const uint32_t at = rig.ev().curLength;
    SEvPaperColor cached;
    ASSERT_TRUE(rig.ev().getStatusValue(enbPaperColor, cached));
    const fptrEventSegAlloc prev = setEventSegmentAllocator(failingSegmentAlloc);
    EXPECT_FALSE(rig.ev().pushEventPaperColor(0x123456));
    EXPECT_FALSE(rig.ev().pushEventPaperColor(0x123456)); // stopped: writes nothing
    setEventSegmentAllocator(prev);
    EXPECT_EQ(rig.ev().curLength, at);
    EXPECT_EQ(rig.ev().segmentCount(), 1u);
    EXPECT_EQ(rig.ev().curStatus, eEvStat::esNothing);
    SEvPaperColor after;
    ASSERT_TRUE(rig.ev().getStatusValue(enbPaperColor, after));
    EXPECT_EQ(std::memcmp(&after, &cached, sizeof after), 0); // the old colour is still cached
    ASSERT_EQ(rig.messages.warnings.size(), 1);
    EXPECT_EQ(rig.messages.warnings[0],
              QString::fromUtf16(
                  u"イベント記録中に例外が発生しました!\r以降のイベント記録は停止します..."));
    // Were recording to go on, the colour would be written again.
    rig.ev().curStatus = eEvStat::esRecording;
    ASSERT_TRUE(rig.ev().pushEventPaperColor(0x123456));
    EXPECT_EQ(rig.count({0, 2}, at), 1);
}

bool throwingSegmentAlloc(MemPtr &, size_t)
{
    throw std::bad_alloc();
}

TEST(EventRecorder, AFailedCommandWriteDropsThePartialPacket)
{
    for (fptrEventSegAlloc failing : {&failingSegmentAlloc, &throwingSegmentAlloc}) {
        SCOPED_TRACE(failing == &failingSegmentAlloc ? "no memory" : "exception");
        RecorderRig rig;
        rig.recordOpening();
        ASSERT_TRUE(rig.ev().pushEventLayerCmd(1, 0, 2)); // every status is now cached
        const uint32_t events = rig.ev().eventCnt;
        // The target status (6 bytes) fits, the command (6 bytes) does not.
        nearSegmentEnd(rig.ev(), 9);
        const uint32_t at = rig.ev().curLength;
        const fptrEventSegAlloc prev = setEventSegmentAllocator(failing);
        EXPECT_FALSE(rig.ev().pushEventLayerCmd(1, 0, 2));
        setEventSegmentAllocator(prev);
        EXPECT_EQ(rig.headers(at), (std::vector<H>{{0, 8}})); // the status before it stays
        EXPECT_EQ(rig.ev().curLength, at + 6);
        EXPECT_EQ(rig.ev().topEventPos, at);
        EXPECT_EQ(rig.ev().eventCnt, events);
        EXPECT_FALSE(rig.ev().isRecording());
        EXPECT_EQ(rig.messages.warnings.size(), 1);
    }
}

TEST(EventRecorder, RefusedCodesWriteNothingAndRecordingGoesOn)
{
    RecorderRig rig;
    rig.recordOpening();
    const std::vector<uint8_t> before = rig.bytes();
    TChannel ch(4, 4);
    ch.PixelFill(255);
    EXPECT_FALSE(rig.ev().pushEventLayerCmd(0, 1, 6));
    EXPECT_FALSE(rig.ev().pushEventLayerCmdEx(0, 1, 0, 0, 11));
    EXPECT_FALSE(rig.ev().pushEventAlphaEx(0, 0, ch, {}, {}, {4, 4}, 0, 0, 0, 0, 0));
    EXPECT_FALSE(rig.ev().pushEventAlpha(0, 0, ch, {}, 0, 0, 0, 0, 2));
    EXPECT_FALSE(rig.ev().pushEventSelectCmd(0, 0, 12));
    EXPECT_FALSE(rig.ev().pushEventGlobalCmd(1));
    EXPECT_FALSE(rig.ev().pushEventFilter0(0, 0, 2));
    EXPECT_FALSE(rig.ev().pushEventFillCmd(0, {}, 0, 0, 0, 0, 6, 0));
    EXPECT_FALSE(rig.ev().pushEventLayerFreeTransform({}, {}, {}, {}, false, 58));
    TChannel empty(4, 4);
    empty.PixelFill(0);
    EXPECT_FALSE(rig.ev().pushEventAlpha(0, 0, empty, {}, 0, 0, 0, 0, 0)); // nothing covered
    const std::vector<uint8_t> colourMask(28, 1);
    EXPECT_FALSE(rig.ev().pushEventAlphaColorRange(0, 0, colourMask, empty, 0)); // not even 136
    EXPECT_EQ(rig.bytes(), before);
    EXPECT_TRUE(rig.ev().isRecording());
    EXPECT_TRUE(rig.messages.warnings.isEmpty());
}

TEST(EventRecorder, NotRecordingWritesNothing)
{
    RecorderRig rig;
    rig.ev().stopRecording();
    EXPECT_FALSE(rig.ev().isRecording());
    // These four answer true, as a document not recording expects of them.
    EXPECT_TRUE(rig.ev().pushEventBegin());
    EXPECT_TRUE(rig.ev().pushEventCreatePaper(1, 1, 1, 1));
    EXPECT_TRUE(rig.ev().pushEventCreatePaperEx(1, 1, 1, 1, 72, true, true));
    EXPECT_TRUE(rig.ev().pushEventLayerLink(64, 0, 1));
    EXPECT_FALSE(rig.ev().pushEventPaperColor(1));
    EXPECT_FALSE(rig.ev().pushEventStrokeBegin(1, 1, 1));
    EXPECT_TRUE(rig.ev().writeBasicStatus());
    EXPECT_EQ(rig.ev().curLength, 0u);
}

// ---- The end packet, the guard and withdrawing ----

TEST(EventRecorder, RemovingTheEndPacketRestoresTheStream)
{
    RecorderRig rig;
    rig.recordOpening();
    ASSERT_TRUE(rig.recordStroke(3));
    const std::vector<uint8_t> before = rig.bytes();
    const uint32_t events = rig.ev().eventCnt;
    EXPECT_FALSE(rig.ev().removeEventFin()); // no end packet yet
    ASSERT_TRUE(rig.ev().pushEventFin());
    EXPECT_EQ(rig.ev().curStatus, eEvStat::esEnd);
    EXPECT_FALSE(rig.ev().pushEventPaperColor(1)); // ended: nothing records
    ASSERT_TRUE(rig.ev().removeEventFin());
    EXPECT_EQ(rig.bytes(), before);
    EXPECT_EQ(rig.ev().eventCnt, events);
    EXPECT_EQ(rig.ev().curStatus, eEvStat::esRecording);
    EXPECT_FALSE(rig.ev().removeEventFin());
}

// What a guard must put back.
struct RecorderState
{
    std::vector<uint8_t> bytes;
    uint32_t curLength, topEventPos, eventCnt;
    int32_t backCnt, foreCnt;
    uint32_t top;
    SEvEnbSet enb;
    std::array<std::vector<uint8_t>, kEvValueCount> values;
    int32_t tones, nibs;

    static RecorderState of(RecorderRig &rig)
    {
        CEventMngr &ev = rig.ev();
        return {rig.bytes(),
                ev.curLength,
                ev.topEventPos,
                ev.eventCnt,
                ev.evTopTable.backCnt,
                ev.evTopTable.foreCnt,
                ev.evTopTable.getTopValue(),
                ev.evEnbStat,
                ev.statusValues,
                ev.mapToneObj.getCount(),
                ev.mapPenShapeObj.getCount()};
    }
    friend bool operator==(const RecorderState &, const RecorderState &) = default;
};

TEST(EventRecorder, AnUncommittedGuardWithdrawsACommandAndAStroke)
{
    for (int overStroke = 0; overStroke < 2; ++overStroke) {
        SCOPED_TRACE(overStroke);
        RecorderRig rig;
        RecorderRig reference;
        for (RecorderRig *r : {&rig, &reference}) {
            r->stroke.m_bUseTone = true; // the failed operation defines the tone
            r->useImageNib();            // and the nib
            r->recordOpening();
            r->stroke.m_bUseTone = false;
        }
        const RecorderState before = RecorderState::of(rig);
        {
            CEventRecordGuard guard(rig.ev());
            rig.stroke.m_bUseTone = true;
            rig.paper().m_canvascolor = 0x445566;
            if (overStroke)
                ASSERT_TRUE(rig.recordStroke(20));
            else
                ASSERT_TRUE(rig.ev().pushEventPaperColor(0x445566));
            EXPECT_NE(RecorderState::of(rig), before);
            // The change failed: no commit.
        }
        EXPECT_EQ(RecorderState::of(rig), before);
        rig.stroke.m_bUseTone = false;
        rig.paper().m_canvascolor = 0xFFFFFF;
        // The next event is written as if nothing had happened.
        ASSERT_TRUE(rig.recordStroke(2));
        ASSERT_TRUE(reference.recordStroke(2));
        EXPECT_EQ(rig.bytes(), reference.bytes());
    }
}

TEST(EventRecorder, ACommittedGuardKeepsTheEvent)
{
    RecorderRig rig;
    rig.recordOpening();
    const uint32_t events = rig.ev().eventCnt;
    {
        CEventRecordGuard guard(rig.ev());
        ASSERT_TRUE(rig.ev().pushEventLayerCmd(1, 0, 2));
        guard.commit();
    }
    EXPECT_EQ(rig.ev().eventCnt, events + 1);
    EXPECT_EQ(rig.headers().back(), (H{4, 2}));
}

TEST(EventRecorder, WithdrawingTheLastEventRestoresTheStream)
{
    RecorderRig rig;
    rig.recordOpening();
    const RecorderState before = RecorderState::of(rig);
    rig.paper().m_canvascolor = 0x010203;
    ASSERT_TRUE(rig.ev().pushEventPaperColor(0x010203));
    ASSERT_TRUE(rig.ev().withdrawLastEvent());
    const RecorderState after = RecorderState::of(rig);
    EXPECT_EQ(after.bytes, before.bytes);
    EXPECT_EQ(after.topEventPos, before.topEventPos);
    EXPECT_EQ(after.eventCnt, before.eventCnt);
    EXPECT_EQ(after.backCnt, before.backCnt);
    EXPECT_EQ(after.foreCnt, before.foreCnt);
    EXPECT_EQ(after.top, before.top);
    EXPECT_FALSE(rig.ev().evEnbStat.has(enbPaperColor)); // the colour is written again next
    ASSERT_TRUE(rig.ev().pushEventPaperColor(0x010203));
    EXPECT_EQ(rig.count({0, 2}, before.curLength), 1);
}

// ---- Event undo and redo ----

TEST(EventRecorder, UndoAndRedoMoveTheEndOfTheStream)
{
    RecorderRig rig;
    rig.recordOpening();
    const uint32_t endA = rig.ev().topEventPos;
    rig.paper().m_canvascolor = 0x0A0B0C;
    ASSERT_TRUE(rig.ev().pushEventPaperColor(0x0A0B0C));
    const uint32_t endB = rig.ev().topEventPos;
    const uint32_t events = rig.ev().eventCnt;
    EXPECT_EQ(rig.ev().getRedoCnt(), 0);

    ASSERT_TRUE(rig.ev().undoEvent());
    EXPECT_EQ(rig.ev().topEventPos, endA);
    EXPECT_EQ(rig.ev().curLength, endA);
    EXPECT_EQ(rig.ev().eventCnt, events - 1);
    EXPECT_EQ(rig.ev().getRedoCnt(), 1);
    EXPECT_FALSE(rig.ev().evEnbStat.has(enbPaperColor));

    ASSERT_TRUE(rig.ev().redoEvent());
    EXPECT_EQ(rig.ev().topEventPos, endB);
    EXPECT_EQ(rig.ev().eventCnt, events);
    EXPECT_EQ(rig.ev().getRedoCnt(), 0);
    EXPECT_FALSE(rig.ev().redoEvent());

    // Undone again and replaced: the undone colour status is written again.
    ASSERT_TRUE(rig.ev().undoEvent());
    ASSERT_TRUE(rig.ev().clearRedo());
    ASSERT_TRUE(rig.ev().pushEventPaperColor(0x0A0B0C));
    EXPECT_EQ(rig.count({0, 2}, endA), 1);
    EXPECT_EQ(rig.ev().topEventPos, endB);
}

TEST(EventRecorder, AnEventThatCannotBeWalkedIsNotUndone)
{
    RecorderRig rig;
    rig.recordOpening();
    const uint32_t start = rig.ev().topEventPos;
    rig.paper().m_canvascolor = 0x0A0B0C;
    ASSERT_TRUE(rig.ev().pushEventPaperColor(0x0A0B0C)); // 0/2, 0/8, 2/1
    const RecorderState before = RecorderState::of(rig);
    const uint8_t unknown = 1; // status code 1 is not in the catalogue
    ASSERT_EQ(rig.ev().writeAt(start + 1, &unknown, 1), 1u);
    EXPECT_FALSE(rig.ev().undoEvent());
    const RecorderState after = RecorderState::of(rig);
    EXPECT_EQ(after.topEventPos, before.topEventPos);
    EXPECT_EQ(after.eventCnt, before.eventCnt);
    EXPECT_EQ(after.backCnt, before.backCnt);
    EXPECT_EQ(after.foreCnt, before.foreCnt);
    EXPECT_EQ(after.enb, before.enb);
    const uint8_t canvasColour = 2;
    ASSERT_EQ(rig.ev().writeAt(start + 1, &canvasColour, 1), 1u);
    EXPECT_TRUE(rig.ev().undoEvent());
    EXPECT_EQ(rig.ev().topEventPos, start);
}

TEST(EventRecorder, TheRingKeepsUndoMaxPlus34Places)
{
    struct Case
    {
        int32_t undoMax;
        int32_t places;
    };
    for (const Case c : {Case{2, 36}, Case{-40, 8}}) {
        SCOPED_TRACE(c.undoMax);
        RecorderRig rig(c.undoMax);
        EXPECT_EQ(rig.ev().evTopTable.backMax, c.places);
        rig.recordOpening();
        for (int i = 0; i < c.places + 5; ++i)
            ASSERT_TRUE(rig.ev().pushEventLayerCmd(1, 0, 2));
        EXPECT_EQ(rig.ev().getUndoCnt(), c.places);
        int undone = 0;
        while (rig.ev().undoEvent())
            ++undone;
        EXPECT_EQ(undone, c.places - 1);
        EXPECT_EQ(rig.ev().eventCnt, uint32_t(c.places + 7 - undone));
    }
}

TEST(EventRecorder, ChangingTheRingSizeKeepsTheNewestPlaces)
{
    RecorderRig rig;
    rig.recordOpening();
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(rig.ev().pushEventLayerCmd(1, 0, 2));
    const uint32_t newest = rig.ev().evTopTable.getTopValue();
    ASSERT_TRUE(rig.ev().changeBufSize(3, 3));
    EXPECT_EQ(rig.ev().getUndoCnt(), 3);
    EXPECT_EQ(rig.ev().evTopTable.getTopValue(), newest);
    const uint32_t end = rig.ev().topEventPos;
    ASSERT_TRUE(rig.ev().undoEvent());
    EXPECT_EQ(rig.ev().topEventPos, newest);
    ASSERT_TRUE(rig.ev().redoEvent());
    EXPECT_EQ(rig.ev().topEventPos, end);
    EXPECT_FALSE(rig.ev().changeBufSize(0, 3));
}

// ---- Continuing a recording ----

TEST(EventRecorder, ContinuingFromAReplayCutsAtThePlayPosition)
{
    RecorderRig rig;
    rig.recordOpening();
    const uint32_t cut = rig.ev().topEventPos;
    const uint32_t played = rig.ev().eventCnt;
    ASSERT_TRUE(rig.recordStroke(4));
    ASSERT_TRUE(rig.ev().createPlayObjects());
    rig.ev().curStatus = eEvStat::esPlaying;
    rig.ev().evEnbStat.add(enbPlaying);
    rig.ev().playTopPos = rig.ev().playEventTop = cut;
    rig.ev().playEventCnt = played;
    ASSERT_TRUE(rig.ev().startRecordingContinue(false));
    EXPECT_EQ(rig.ev().curStatus, eEvStat::esRecording);
    EXPECT_EQ(rig.ev().curLength, cut);
    EXPECT_EQ(rig.ev().eventCnt, played);
    EXPECT_TRUE(rig.ev().fileLoaded);
    EXPECT_FALSE(rig.ev().hasPlayObjects());
    EXPECT_FALSE(rig.ev().evEnbStat.has(enbPaperColor)); // every status is written again
    ASSERT_TRUE(rig.ev().pushEventLayerCmd(1, 0, 2));
    EXPECT_EQ(rig.count({0, 2}, cut), 1);
}

TEST(EventRecorder, ContinuingAfterALoadAppendsToTheLoadedEvents)
{
    RecorderRig source;
    source.recordOpening();
    ASSERT_TRUE(source.recordStroke(2));
    QByteArray data;
    {
        QBuffer buf(&data);
        buf.open(QIODevice::WriteOnly);
        source.ev().saveDataAll(buf);
    }
    RecorderRig rig;
    CEventMngr &ev = rig.ev();
    ev.stopRecording();
    EXPECT_FALSE(ev.startRecordingContinue(false)); // neither ended nor playing
    QBuffer in(&data);
    in.open(QIODevice::ReadOnly);
    ASSERT_EQ(ev.loadData(in, uint32_t(data.size()), source.ev().eventCnt), uint32_t(data.size()));
    ASSERT_TRUE(ev.startRecordingContinue(true));
    EXPECT_TRUE(ev.isRecording());
    ASSERT_TRUE(ev.pushEventLayerCmd(1, 0, 2));
    EXPECT_EQ(ev.eventCnt, source.ev().eventCnt + 1);
    EXPECT_EQ(rig.headers(uint32_t(data.size())).front(), (H{0, 0})); // statuses written anew
    ASSERT_TRUE(ev.undoEvent());
    EXPECT_EQ(ev.curLength, uint32_t(data.size()));
}

TEST(EventRecorder, ContinuingAfterTheEndRemovesTheEndPacket)
{
    RecorderRig rig;
    rig.recordOpening();
    const uint32_t end = rig.ev().curLength;
    ASSERT_TRUE(rig.ev().pushEventFin());
    ASSERT_TRUE(rig.ev().startRecordingContinue(false));
    EXPECT_EQ(rig.ev().curLength, end);
    EXPECT_TRUE(rig.ev().isRecording());
}

// ---- Images and coverage ----

TEST(EventRecorder, AnImagePacketCarriesItsHeaderNameAndTopDownRows)
{
    RecorderRig rig;
    rig.recordOpening();
    TMTC img(3, 2);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            img.seek32(x, y)->all = uint32_t(0x01000000 * (y + 1) + x);
    const SOlyHeader hdr = makeOlyHeader(*rig.paper().getLayerData(1));
    const QString name = QStringLiteral("ab");
    const uint32_t from = rig.ev().curLength;
    ASSERT_TRUE(rig.ev().pushEventImage(1, img, &hdr, &name, 4));
    const std::vector<uint8_t> b = rig.body({12, 4}, from);
    SEvImageDesc d;
    ASSERT_TRUE(readEventRecord(b, d));
    EXPECT_EQ(valueOf(d.width), 3u);
    EXPECT_EQ(valueOf(d.height), 2u);
    EXPECT_EQ(valueOf(d.hasHeader), 1);
    EXPECT_EQ(valueOf(d.nameLen), 6);
    EXPECT_EQ(valueOf(d.dataBytes), 24u);
    EXPECT_EQ(valueOf(d.total), 72u + 6 + 24);
    EXPECT_EQ(b.size(), sizeof d + valueOf(d.total));
    EXPECT_EQ(std::memcmp(b.data() + sizeof d, &hdr, sizeof hdr), 0);
    uint32_t firstOfRow1;
    std::memcpy(&firstOfRow1, b.data() + sizeof d + 72 + 6 + 12, 4);
    EXPECT_EQ(firstOfRow1, 0x02000000u);
    EXPECT_FALSE(rig.ev().evEnbStat.has(enbTrgtObj));
}

TEST(EventRecorder, ABottomUpImageIsWrittenTopDownAndLeftAsItWas)
{
    RecorderRig rig;
    rig.recordOpening();
    TTC img;
    ASSERT_TRUE(img.Resize(2, 3));
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 2; ++x)
            img.seek32(x, y)->all = uint32_t(10 * y + x);
    const std::vector<uint8_t> pixels(img.buffer(), img.buffer() + img.getImageDataBytes());
    const uint32_t from = rig.ev().curLength;
    ASSERT_TRUE(rig.ev().pushEventImage(0, img, nullptr, nullptr, 5));
    const std::vector<uint8_t> b = rig.body({12, 5}, from);
    ASSERT_EQ(b.size(), sizeof(SEvImageDesc) + 24);
    for (uint32_t i = 0; i < 6; ++i) {
        uint32_t v;
        std::memcpy(&v, b.data() + sizeof(SEvImageDesc) + 4 * i, 4);
        EXPECT_EQ(v, 10 * (i / 2) + i % 2);
    }
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), img.buffer()));
}

TEST(EventRecorder, CoverageIsTheBoundingBoxOfTheNonZeroBytes)
{
    RecorderRig rig;
    rig.recordOpening();
    TChannel ch(20, 10);
    ch.PixelFill(0);
    *ch.seek8(3, 2) = 9;
    *ch.seek8(7, 5) = 200;
    const uint32_t from = rig.ev().curLength;
    ASSERT_TRUE(rig.ev().pushEventAlpha(1, 0, ch, {4, 4}, 0, 1, 2, 3, 0));
    const std::vector<uint8_t> b = rig.body({13, 0}, from);
    SEvAlpha a;
    ASSERT_TRUE(readEventRecord(b, a));
    EXPECT_EQ(valueOf(a.box), (sBox{3, 2, 5, 4}));
    EXPECT_EQ(valueOf(a.bytes), 20u);
    EXPECT_EQ(valueOf(a.w), 64);
    EXPECT_EQ(a.padded % 2, 0u);
    EXPECT_EQ(b.size(), sizeof a + valueOf(a.padded));
    std::vector<uint8_t> raw(a.bytes);
    ASSERT_EQ(codec::codecDecompress(std::span(b).subspan(sizeof a, a.packed), raw),
              codec::CodecStatus::Nothing);
    EXPECT_EQ(raw[0], 9);           // (3, 2): the box's first row, top-down
    EXPECT_EQ(raw[3 * 5 + 4], 200); // (7, 5)
}

// ---- Layer attributes, text and the floor filter ----

TEST(EventRecorder, LayerAttributePacketsCarryTheLayerWithTheChangeApplied)
{
    RecorderRig rig;
    rig.recordOpening();
    CLayerData &ld = *rig.paper().getLayerData(1);
    ld.mode = TLayerMode::LM_SCR;
    ld.trans = 200;
    ld.visible = true;
    ld.maskProtected = false;
    ld.ditherEnable = true;
    struct Case
    {
        const char *what;
        std::function<bool(CEventMngr &)> push;
        H hdr;
        SEvLayerAttr expect;
    };
    const Case cases[] = {
        {"mode",
         [](CEventMngr &e) { return e.pushEventLayerMode(1, 8); },
         {4, 16},
         {1, 8, 200, 0x11}},
        {"opacity",
         [](CEventMngr &e) { return e.pushEventLayerTrans(1, 9); },
         {4, 17},
         {1, 4, 9, 0x11}},
        {"hidden",
         [](CEventMngr &e) { return e.pushEventLayerVisible(1, false); },
         {4, 18},
         {1, 4, 200, 0x10}},
        {"protected",
         [](CEventMngr &e) { return e.pushEventLayerMaskProtected(1, true); },
         {4, 20},
         {1, 4, 200, 0x13}},
        {"clipped",
         [](CEventMngr &e) { return e.pushEventLayerClipping(1, true); },
         {4, 52},
         {1, 4, 200, 0x15}},
        {"unclipped",
         [](CEventMngr &e) { return e.pushEventLayerClipping(1, false); },
         {4, 53},
         {1, 4, 200, 0x11}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const uint32_t from = rig.ev().curLength;
        ASSERT_TRUE(c.push(rig.ev()));
        const std::vector<uint8_t> b = rig.body(c.hdr, from);
        ASSERT_EQ(b.size(), sizeof(SEvLayerAttr));
        EXPECT_EQ(std::memcmp(b.data(), &c.expect, sizeof c.expect), 0);
    }
    EXPECT_FALSE(rig.ev().pushEventLayerMode(7, 0)); // no such layer
}

TEST(EventRecorder, TextWritesItsFontAndTextEveryTime)
{
    RecorderRig rig;
    rig.recordOpening();
    TChannel ch(8, 8);
    ch.PixelFill(0);
    *ch.seek8(2, 2) = 255;
    LOGFONTW lf;
    lf.lfHeight = -12;
    lf.lfFaceName[0] = u'A';
    for (int i = 0; i < 2; ++i) {
        const uint32_t from = rig.ev().curLength;
        ASSERT_TRUE(
            rig.ev().pushEventAlphaFont(1, 0, ch, {2, 2}, 0, QStringLiteral("あい"), lf, 3, 4, 16));
        const std::vector<H> hs = rig.headers(from);
        ASSERT_GE(hs.size(), 4u);
        EXPECT_EQ(hs[0], (H{0, 34}));
        EXPECT_EQ(hs[1], (H{0, 33}));
        EXPECT_EQ(hs.back(), (H{13, 16}));
        EXPECT_EQ(rig.body({0, 33}, from),
                  (std::vector<uint8_t>{6, 0, 0x42, 0x30, 0x44, 0x30, 0, 0}));
    }
    EXPECT_FALSE(rig.ev().pushEventAlphaFont(1, 0, ch, {}, 0, QString(), lf, 0, 0, 18));
}

TEST(EventRecorder, TheFloorFilterWritesItsTexturesFirst)
{
    RecorderRig rig;
    rig.recordOpening();
    TMTC floor(2, 2);
    floor.PixelFill(0x11223344);
    const std::vector<uint8_t> param(63, 7);
    const uint32_t from = rig.ev().curLength;
    ASSERT_TRUE(rig.ev().pushEventFilterFloor(1, 0, param, &floor, QStringLiteral("f.png"), 72,
                                              nullptr, QString(), 300));
    const std::vector<H> hs = rig.headers(from);
    ASSERT_GE(hs.size(), 2u);
    EXPECT_EQ(hs[hs.size() - 2], (H{0, 128}));
    EXPECT_EQ(hs.back(), (H{38, 99}));
    EXPECT_EQ(rig.count({0, 129}, from), 0);
    const std::vector<uint8_t> tex = rig.body({0, 128}, from);
    SEvImageDesc d;
    ASSERT_TRUE(readEventRecord(tex, d));
    EXPECT_EQ(valueOf(d.nameLen), 12); // "f.png" and its terminator
    EXPECT_EQ(valueOf(d.total), 12u + 16);
    const std::vector<uint8_t> b = rig.body({38, 99}, from);
    SEvFilterComplex fc;
    ASSERT_TRUE(readEventRecord(b, fc));
    EXPECT_EQ(valueOf(fc.allLen), 63);
    EXPECT_EQ(valueOf(fc.data0.all), int32_t(72 | (300 << 16)));
    EXPECT_EQ(b.size(), sizeof fc + 63);
    EXPECT_EQ(rig.ev().topEventPos, rig.ev().curLength);
}

} // namespace
