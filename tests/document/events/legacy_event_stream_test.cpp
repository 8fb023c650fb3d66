#include "document/events/legacy_event_stream.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>

namespace {

using namespace legacy_event;

// Builds a stream in a memory, little-endian as stored.
struct StreamBuilder
{
    TMyMemory mem{64};
    StreamBuilder &w(uint16_t v)
    {
        mem.WriteWORD(v);
        return *this;
    }
    StreamBuilder &b(uint8_t v)
    {
        mem.WriteBYTE(v);
        return *this;
    }
    StreamBuilder &s(int16_t v)
    {
        mem.WriteSmall(v);
        return *this;
    }
    StreamBuilder &create(uint16_t wd, uint16_t ht) { return w(kEditCreate).w(wd).w(ht); }
    // A stroke's parameter block: layer, colour bytes, flags, six words.
    StreamBuilder &param(uint8_t layer)
    {
        b(layer).b(0x12).b(0x34).b(0x56).b(0x05);
        for (uint16_t v : {256, 512, 768, 1024, 1280, 1536})
            w(v);
        return *this;
    }
    StreamBuilder &end() { return w(kEnd); }
};

TEST(LegacyEventStream, CreateAndEndValidates)
{
    StreamBuilder sb;
    sb.create(640, 480).end();
    TEventPacket ev;
    TEventChecker check;
    ASSERT_TRUE(ev.LoadFromMemory(sb.mem, check));
    EXPECT_EQ(ev.eventNum(), 2);
    EXPECT_EQ(check.m_maxX, 640);
    EXPECT_EQ(check.m_maxY, 480);
    EXPECT_EQ(check.m_criticalEvent, 2);
    EXPECT_EQ(ev.memory().position(), 0);
    EXPECT_EQ(ev.memory().writed(), 8);
}

TEST(LegacyEventStream, MaximaAndCriticalCountFollowTheInstructions)
{
    StreamBuilder sb;
    sb.create(100, 50).w(kEditResize).w(300).w(20).b(4);
    sb.w(kLayerActive).b(0).w(kLayerTrans).b(0).b(9).w(kLayerClear).b(0);
    sb.w(kEditReso).w(10).w(700).end();
    TEventPacket ev;
    TEventChecker check;
    ASSERT_TRUE(ev.LoadFromMemory(sb.mem, check));
    EXPECT_EQ(check.m_maxX, 300);
    EXPECT_EQ(check.m_maxY, 700);
    EXPECT_EQ(check.m_criticalEvent, 5); // 512, 514, 292, 515, end
    EXPECT_EQ(ev.eventNum(), 7);
}

TEST(LegacyEventStream, RefusedStreamsLeaveTheStreamAsItWas)
{
    struct Case
    {
        const char *name;
        std::function<void(StreamBuilder &)> build;
    };
    const Case cases[] = {
        {"first is 273", [](StreamBuilder &s) { s.w(kLayerActive).b(0).end(); }},
        {"first is 515", [](StreamBuilder &s) { s.w(kEditReso).w(1).w(1).end(); }},
        {"no end code", [](StreamBuilder &s) { s.create(10, 10).w(kLayerClear).b(0); }},
        {"unknown code", [](StreamBuilder &s) { s.create(10, 10).w(300).end(); }},
        {"short operands", [](StreamBuilder &s) { s.create(10, 10).w(kLayerMove).b(0).s(1); }},
        {"stroke points missing",
         [](StreamBuilder &s) { s.create(10, 10).w(0).param(0).s(1).s(2).s(3).w(2).s(1); }},
        {"negative 297 count",
         [](StreamBuilder &s) { s.create(10, 10).w(kLayerPolyCut).b(0).s(-1).end(); }},
        {"304 count past the end",
         [](StreamBuilder &s) {
             s.create(10, 10).w(kLayerPolyFill).b(0).b(1).b(2).b(3).s(2).s(0).s(0).end();
         }},
        {"empty", [](StreamBuilder &) {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TEventPacket ev;
        StreamBuilder good;
        good.create(7, 8).end();
        TEventChecker check;
        ASSERT_TRUE(ev.LoadFromMemory(good.mem, check));
        StreamBuilder bad;
        c.build(bad);
        EXPECT_FALSE(ev.LoadFromMemory(bad.mem, check));
        EXPECT_EQ(ev.eventNum(), 2);
        ASSERT_EQ(ev.memory().writed(), 8);
        EXPECT_EQ(ev.memory().BeginBuffer()[2], 7);
    }
}

TEST(LegacyEventStream, StrokeReplaysOneBeginAndThreePoints)
{
    StreamBuilder sb;
    sb.create(64, 64);
    const int32_t before = sb.mem.writed();
    sb.w(2).param(3).s(10).s(-20).s(512).w(3);
    for (int16_t i = 1; i <= 3; ++i)
        sb.s(i).s(int16_t(i * 2)).s(1024);
    EXPECT_EQ(sb.mem.writed() - before, 2 + 25 + 18);
    sb.end();
    TEventPacket ev;
    TEventChecker check;
    ASSERT_TRUE(ev.LoadFromMemory(sb.mem, check));
    EXPECT_EQ(check.m_criticalEvent, 2); // strokes are not critical

    int32_t w, h;
    ASSERT_EQ(ev.PopInstruction(), kEditCreate);
    ev.PopEventEditCreate(w, h);
    ASSERT_EQ(ev.PopInstruction(), 2);
    SLegacyStrokeParam prm;
    int32_t x, y;
    float p;
    ev.PopEventStrokeBegin(prm, x, y, p);
    EXPECT_EQ(prm.layer, 3);
    EXPECT_EQ(prm.color, 0x123456u);
    EXPECT_TRUE(prm.ifSize);
    EXPECT_FALSE(prm.ifTrans);
    EXPECT_TRUE(prm.ifEdge);
    EXPECT_FLOAT_EQ(prm.penMin, 1.0f);
    EXPECT_FLOAT_EQ(prm.speed, 6.0f);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, -20);
    EXPECT_FLOAT_EQ(p, 0.5f);
    EXPECT_TRUE(ev.isStroking());
    EXPECT_FALSE(ev.PopEventStroke(x, y, p));
    EXPECT_FALSE(ev.PopEventStroke(x, y, p));
    EXPECT_TRUE(ev.PopEventStroke(x, y, p));
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 6);
    EXPECT_FALSE(ev.isStroking());
    EXPECT_EQ(ev.PopInstruction(), kEnd);
}

TEST(LegacyEventStream, ZeroPointStrokeHandsOutNothing)
{
    StreamBuilder sb;
    sb.create(8, 8).w(0).param(0).s(1).s(1).s(0).w(0).end();
    TEventPacket ev;
    TEventChecker check;
    ASSERT_TRUE(ev.LoadFromMemory(sb.mem, check));
    ev.PopInstruction();
    int32_t x, y;
    ev.PopEventEditCreate(x, y);
    ev.PopInstruction();
    SLegacyStrokeParam prm;
    float p;
    ev.PopEventStrokeBegin(prm, x, y, p);
    EXPECT_FALSE(ev.isStroking());
    EXPECT_TRUE(ev.PopEventStroke(x, y, p));
    EXPECT_EQ(ev.PopInstruction(), kEnd); // nothing read past the stroke's operands
}

TEST(LegacyEventStream, AppendAfterAddModeOverwritesTheEndCode)
{
    StreamBuilder sb;
    sb.create(20, 20).end();
    TEventPacket ev;
    TEventChecker check;
    ASSERT_TRUE(ev.LoadFromMemory(sb.mem, check));
    ASSERT_TRUE(ev.AddModeProcedure());
    EXPECT_EQ(ev.memory().writed(), 8 - 2);
    ev.memory().WriteWORD(kLayerClear);
    ev.memory().WriteBYTE(0);
    ev.PushEventFin();
    const uint8_t want[] = {0x00, 0x02, 20, 0, 20, 0, 0x24, 0x01, 0, 0xFF, 0xFF};
    ASSERT_EQ(ev.memory().writed(), int32_t(sizeof want));
    EXPECT_EQ(0, std::memcmp(ev.memory().BeginBuffer(), want, sizeof want));
    EXPECT_FALSE(TEventPacket().AddModeProcedure()); // nothing to reopen
}

TEST(LegacyEventStream, SaveToFileWritesTheLoadedBytes)
{
    QTemporaryDir dir;
    StreamBuilder sb;
    sb.create(30, 40).w(kLayerPolyFill).b(1).b(2).b(3).b(4).s(2).s(5).s(6).s(7).s(8);
    sb.w(kEditPC).b(1).b(2).b(3).end();
    const QString src = dir.filePath("in.wpe");
    ASSERT_TRUE(sb.mem.SaveToFile(src));
    TEventPacket ev;
    TEventChecker check;
    ASSERT_TRUE(ev.LoadFromFile(src, check));
    const QString out = dir.filePath("out.wpe");
    ASSERT_TRUE(ev.SaveToFile(out));
    QFile a(src), b(out);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());

    TEventChecker none;
    EXPECT_FALSE(ev.LoadFromFile(dir.filePath("missing.wpe"), none));
}

TEST(LegacyEventStream, SaveOfAnUnclosedStreamFailsAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("out.wpe");
    {
        QFile f(out);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    TEventPacket ev;
    ev.memory().WriteWORD(kEditCreate);
    ev.memory().WriteWORD(1);
    ev.memory().WriteWORD(1); // no end code
    EXPECT_FALSE(ev.SaveToFile(out));
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("old"));
}

TEST(LegacyEventStream, MemoryPatchesReadsAndBounds)
{
    TMyMemory m(4);
    ASSERT_TRUE(m.WriteDWORD(0x11223344));
    ASSERT_TRUE(m.WriteWORD(0xBEEF, -2));
    EXPECT_EQ(m.writed(), 4);
    EXPECT_EQ(m.ReadDWORD(), 0xBEEF3344u);
    // At the end: a read answers 0 and the position stays.
    EXPECT_EQ(m.ReadBYTE(), 0);
    EXPECT_EQ(m.position(), 4);
    EXPECT_FALSE(m.WriteWORD(1, -5)); // before the start
    EXPECT_FALSE(m.Seek(1));
    EXPECT_FALSE(m.Seek(-5));
    EXPECT_TRUE(m.Seek(-4));
    EXPECT_EQ(m.ReadSmall(2), int16_t(0xBEEF)); // index reads leave the position
    EXPECT_EQ(m.position(), 0);
    EXPECT_FALSE(m.AllocateBuffer(-1));
    EXPECT_FALSE(m.AllocateBuffer(std::numeric_limits<int32_t>::max()));
    uint8_t buf[8];
    EXPECT_FALSE(m.ReadToBuffer(buf, 5));
    EXPECT_TRUE(m.ReadToBuffer(buf, 4));
    EXPECT_TRUE(m.WritedSeek(-3));
    EXPECT_EQ(m.position(), 1); // follows the written length down
    EXPECT_FALSE(m.WritedSeek(-2));
}

TEST(LegacyEventStream, MemoryProgressAndStreamSize)
{
    TMyMemory m(16);
    EXPECT_FLOAT_EQ(m.Progress(), 100.0f);
    ASSERT_TRUE(m.SetStreamSize(8));
    EXPECT_EQ(m.ReadDWORD(4), 0u); // zero-filled
    EXPECT_FLOAT_EQ(m.Progress(), 0.0f);
    m.ReadWORD();
    EXPECT_FLOAT_EQ(m.Progress(), 25.0f);
    EXPECT_FALSE(m.SetStreamSize(-1));
    EXPECT_EQ(m.writed(), 8);
}

TEST(LegacyEventStream, FileReportsShortReadsAndWritesOnlyOnClose)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("f.bin");
    TMyFile w;
    ASSERT_TRUE(w.OpenWrite(path));
    EXPECT_TRUE(w.WriteWORD(0x0201));
    EXPECT_TRUE(w.WriteDWORD(0x06050403));
    EXPECT_FALSE(QFile::exists(path)); // not until Close
    EXPECT_TRUE(w.Close());
    TMyFile r;
    ASSERT_TRUE(r.OpenRead(path));
    EXPECT_EQ(r.ReadBYTE(), 1);
    EXPECT_TRUE(r.Seek(1));
    EXPECT_EQ(r.ReadDWORD(), 0x06050403u);
    EXPECT_FALSE(r.failed());
    EXPECT_EQ(r.ReadWORD(), 0);
    EXPECT_TRUE(r.failed());
    EXPECT_FALSE(r.Seek(1));
    EXPECT_FALSE(TMyFile().OpenRead(dir.filePath("missing")));
}

} // namespace
