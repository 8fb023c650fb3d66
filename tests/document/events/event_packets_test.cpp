#include "document/events/event_manager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

std::vector<uint8_t> bytesOf(std::initializer_list<int> list)
{
    return std::vector<uint8_t>(list.begin(), list.end());
}

// A packet's bytes: header, the fixed part (zero apart from the count), the trailing bytes.
std::vector<uint8_t> packet(SEventHdr hdr, std::vector<uint8_t> fixed, uint32_t extra = 0)
{
    std::vector<uint8_t> v(2 + fixed.size() + extra, 0x5A);
    v[0] = hdr.group;
    v[1] = hdr.code;
    std::copy(fixed.begin(), fixed.end(), v.begin() + 2);
    return v;
}

std::vector<uint8_t> fixedWithCount(size_t size, size_t ofs, uint32_t count, int width)
{
    std::vector<uint8_t> v(size, 0);
    std::memcpy(v.data() + ofs, &count, size_t(width));
    return v;
}

struct LengthCase
{
    SEventHdr hdr;
    std::vector<uint8_t> fixed; // what follows the header in the stream
    int64_t expected;
};

std::vector<LengthCase> lengthCases()
{
    return {
        {{0, 0}, {}, 12},
        {{0, 36}, fixedWithCount(160, 156, 100, 4), 260},
        {{2, 8}, {}, 28},
        {{4, 14}, fixedWithCount(42, 40, 10, 2), 52},
        {{17, 16}, {}, 192},
        {{17, 0}, {}, 0},
        {{38, 200}, fixedWithCount(50, 4, 10, 2), 60},
        {{6, 4}, fixedWithCount(4, 2, 3, 2), 28},   // three sFPos
        {{10, 18}, fixedWithCount(8, 6, 2, 2), 24}, // two sFPos
        {{1, 99}, fixedWithCount(4, 0, 0xFFFFFFFF, 4), 4 + int64_t(0xFFFFFFFF)},
        {{0, 1}, {}, -1},
        {{3, 0}, {}, -1},
        {{48, 1}, {}, -1},
        {{32, 2}, {}, -1},
        {{0, 36}, std::vector<uint8_t>(159, 0), -1}, // the fixed part is cut
        {{13, 2}, std::vector<uint8_t>(71, 0), -1},
    };
}

} // namespace

TEST(EventStreamLengths, PacketBodyLengthFollowsTheCatalogue)
{
    for (const LengthCase &c : lengthCases()) {
        EXPECT_EQ(packetBodyLength(c.hdr, c.fixed), c.expected)
            << int(c.hdr.group) << "/" << int(c.hdr.code);
        // In the stream the fixed part must lie inside the written bytes.
        CEventMngr m(nullptr, kEventExpectedLen, kEventUnitLen);
        ASSERT_TRUE(m.restart());
        ASSERT_TRUE(m.appendRecord(c.hdr));
        if (!c.fixed.empty()) {
            ASSERT_EQ(m.writeDataEx(c.fixed.data(), uint32_t(c.fixed.size())), c.fixed.size());
        }
        EXPECT_EQ(m.packetBodyLength(c.hdr, 2), c.expected)
            << int(c.hdr.group) << "/" << int(c.hdr.code);
    }
}

TEST(EventStreamLengths, EveryRecordHasTheSizeOfItsRow)
{
    struct Row
    {
        SEventHdr hdr;
        size_t size;
    };
    const Row rows[] = {
        {{0, 0}, sizeof(SEvAppStat)},
        {{0, 2}, sizeof(SEvPaperColor)},
        {{0, 3}, sizeof(SEvBgColor)},
        {{0, 4}, sizeof(SEvGradPos)},
        {{0, 5}, sizeof(SEvGradType)},
        {{0, 8}, sizeof(SEvTrgtObj)},
        {{0, 12}, sizeof(SEvFlags)},
        {{0, 13}, sizeof(SEvPenFlags)},
        {{0, 16}, sizeof(SEvPenAttr)},
        {{0, 17}, sizeof(SEvPenSize)},
        {{0, 18}, sizeof(SEvPenEffect)},
        {{0, 32}, sizeof(SEvFontAttrA)},
        {{0, 34}, sizeof(SEvFontAttr)},
        {{0, 36}, sizeof(SEvToneObjHeader)},
        {{0, 37}, sizeof(SEvToneID)},
        {{0, 40}, sizeof(SEvGradType)},
        {{0, 44}, sizeof(SEvPenShapeHeader)},
        {{0, 45}, sizeof(SEvPen4ShapeID)},
        {{0, 48}, sizeof(SEvPen4Map)},
        {{0, 50}, sizeof(SEvPen4Color)},
        {{0, 52}, sizeof(SEvPen4Param)},
        {{0, 53}, sizeof(SEvPen4Attr)},
        {{0, 56}, sizeof(SEvPen4RenderMode)},
        {{0, 57}, sizeof(SEvPen4RenderParam)},
        {{0, 58}, sizeof(SEvPen4RenderOpt)},
        {{0, 60}, sizeof(SEvPen4StrokeParam)},
        {{0, 64}, sizeof(SEvPen5Map)},
        {{0, 65}, sizeof(SEvPen5Color)},
        {{0, 66}, sizeof(SEvPen5Param)},
        {{0, 67}, sizeof(SEvPen5Attr)},
        {{0, 68}, sizeof(SEvPen5RenderMode)},
        {{0, 69}, sizeof(SEvPen5RenderParam)},
        {{0, 70}, sizeof(SEvPen5RenderOpt)},
        {{0, 71}, sizeof(SEvPen5StrokeParam)},
        {{0, 74}, sizeof(SEvPenShapeHeader)},
        {{0, 75}, sizeof(SEvPen5ShapeID)},
        {{0, 128}, sizeof(SEvImageDesc)},
        {{2, 0}, sizeof(SEvCanvasCreate)},
        {{2, 1}, sizeof(SEvCanvasColor)},
        {{2, 2}, sizeof(SEvCanvasSize)},
        {{2, 12}, sizeof(SEvCanvasResolution)},
        {{2, 6}, sizeof(SEvCanvasCrop)},
        {{2, 8}, sizeof(SEvCanvasCreate2)},
        {{2, 10}, sizeof(SEvIdxData)},
        {{2, 11}, sizeof(SEvCanvasCropEx)},
        {{2, 25}, sizeof(SEvIdxPair)},
        {{4, 0}, sizeof(SEvLayerCreate)},
        {{4, 14}, sizeof(SEvLayerCreateEx)},
        {{4, 6}, sizeof(SEvLayerMove)},
        {{4, 7}, sizeof(SEvLayerMoveEx)},
        {{4, 12}, sizeof(SEvLayerMoveSel)},
        {{4, 13}, sizeof(SEvLayerMoveSelEx)},
        {{4, 16}, sizeof(SEvLayerAttr)},
        {{4, 21}, sizeof(SEvLayerDither)},
        {{4, 26}, sizeof(SEvNameHead)},
        {{4, 56}, sizeof(SEvFreeTransform)},
        {{5, 0}, sizeof(SEvLinkLevel)},
        {{5, 9}, sizeof(SEvGroupMove)},
        {{6, 2}, sizeof(SEvFillFigure)},
        {{6, 4}, sizeof(SEvPolygonHead)},
        {{6, 7}, sizeof(SEvFloodFill)},
        {{10, 16}, sizeof(SEvMaskFigure)},
        {{10, 18}, sizeof(SEvMaskPolygonHead)},
        {{10, 32}, sizeof(SEvFreeTransform)},
        {{12, 3}, sizeof(SEvImageDesc)},
        {{13, 0}, sizeof(SEvAlpha)},
        {{13, 5}, sizeof(SEvAlphaEx)},
        {{80, 0}, sizeof(SEvStrokeTarget)},
        {{18, 1}, sizeof(SEvStrokePoint)},
        {{32, 0}, sizeof(SEvIdxPair)},
        {{33, 2}, sizeof(SEvFilter2)},
        {{34, 3}, sizeof(SEvFilter4)},
        {{35, 16}, sizeof(SEvFilter6)},
        {{38, 99}, sizeof(SEvFilterComplex)},
    };
    for (const Row &r : rows) {
        const SPacketLayout row = packetLayout(r.hdr);
        const size_t fixed = row.count == TPacketCount::Code ? row.mult : size_t(row.fixed);
        EXPECT_EQ(fixed, r.size) << int(r.hdr.group) << "/" << int(r.hdr.code);
    }
}

// The first events of a recording and a one-point stroke, as they lie in a file.
class EventStreamGolden : public ::testing::Test
{
  protected:
    const std::vector<uint8_t> golden = bytesOf({
        0x00, 0x00, 0x05, 0x00, 0x68, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 0/0
        0x02, 0x08, 0x80, 0x02, 0x00, 0x00, 0xE0, 0x01, 0x00, 0x00, 0x80, 0x02, 0x00, 0x00, // 2/8
        0xE0, 0x01, 0x00, 0x00, 0x5E, 0x01, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00,                                                                         //
        0x02, 0xFE,                                                                         // 2/254
        0x50, 0x00, 0x00, 0x00, 0xFF, 0xFF,                                                 // 80/0
        0x12, 0x01, 0x00, 0x00, 0x28, 0x41, 0x00, 0x00, 0xA0, 0x41, 0x00, 0x00, 0x00, 0x3F, // 18/1
        0x02, 0xFF,                                                                         // 2/255
    });
};

TEST_F(EventStreamGolden, TheWritersProduceItByteForByte)
{
    CEventMngr m(nullptr, kEventExpectedLen, kEventUnitLen);
    ASSERT_TRUE(m.restart());
    SEvAppStat app;
    app.verMajor = 5;
    app.verMinor = 104;
    SEvCanvasCreate2 canvas;
    canvas.pw = canvas.lw = 640;
    canvas.ph = canvas.lh = 480;
    canvas.dpi = 350;
    canvas.ctp = canvasFlagByte(false);
    canvas.ltp = canvasFlagByte(true);
    SEvStrokeTarget target;
    target.select = 0xFFFF;
    const SEvStrokePoint point{10.5f, 20.0f, 0.5f};
    ASSERT_TRUE(m.appendRecord(SEventHdr{0, 0}) && m.appendRecord(app));
    ASSERT_TRUE(m.appendRecord(SEventHdr{2, 8}) && m.appendRecord(canvas));
    ASSERT_TRUE(m.appendRecord(SEventHdr{2, 254}));
    ASSERT_TRUE(m.appendRecord(SEventHdr{80, 0}) && m.appendRecord(target));
    ASSERT_TRUE(m.appendRecord(SEventHdr{18, 1}) && m.appendRecord(point));
    ASSERT_TRUE(m.appendRecord(SEventHdr{2, 255}));
    std::vector<uint8_t> out(m.curLength);
    ASSERT_EQ(m.readAt(0, out.data(), m.curLength), 68u);
    EXPECT_EQ(out, golden);
}

TEST_F(EventStreamGolden, WalksAndDecodes)
{
    struct Seen
    {
        uint32_t pos;
        SEventHdr hdr;
        uint32_t len;
        bool operator==(const Seen &) const = default;
    };
    const std::vector<Seen> expected = {{0, {0, 0}, 12},  {14, {2, 8}, 28},  {44, {2, 254}, 0},
                                        {46, {80, 0}, 4}, {52, {18, 1}, 12}, {66, {2, 255}, 0}};

    CEventMngr m(nullptr, kEventExpectedLen, kEventUnitLen);
    ASSERT_TRUE(m.restart());
    ASSERT_EQ(m.writeDataEx(golden.data(), 68), 68u);
    std::vector<Seen> inStream, inBytes;
    const SEventWalkResult r = m.walkPackets(0, m.curLength, [&](const SEventPacketInfo &p) {
        inStream.push_back({p.pos, p.hdr, p.bodyLen});
        return true;
    });
    EXPECT_EQ(r.end, TEventWalkEnd::Clean);
    EXPECT_EQ(r.offset, 68u);
    EXPECT_EQ(r.packets, 6u);
    EXPECT_EQ(inStream, expected);
    walkEventBytes(golden, [&](const SEventPacketInfo &p) {
        inBytes.push_back({p.pos, p.hdr, p.bodyLen});
        return true;
    });
    EXPECT_EQ(inBytes, expected);

    SEvAppStat app;
    ASSERT_TRUE(m.readRecordAt(2, app));
    EXPECT_EQ(app.verMajor, 5);
    EXPECT_EQ(app.verMinor, 104);
    EXPECT_EQ(app.extFlags, 0);
    SEvCanvasCreate2 canvas;
    ASSERT_TRUE(m.readRecordAt(16, canvas));
    EXPECT_EQ(canvas.pw, 640);
    EXPECT_EQ(canvas.ph, 480);
    EXPECT_EQ(canvas.dpi, 350);
    EXPECT_FALSE(canvasFlagSet(canvas.ctp));
    EXPECT_TRUE(canvasFlagSet(canvas.ltp));
    SEvStrokeTarget target;
    ASSERT_TRUE(m.readRecordAt(48, target));
    EXPECT_EQ(target.layer, 0);
    EXPECT_EQ(target.select, 0xFFFF);
    SEvStrokePoint point;
    ASSERT_TRUE(readEventRecord(std::span(golden).subspan(54), point));
    EXPECT_EQ(point.x, 10.5f);
    EXPECT_EQ(point.y, 20.0f);
    EXPECT_EQ(point.p, 0.5f);
    // A span one byte short of the record gives nothing.
    EXPECT_FALSE(readEventRecord(std::span(golden).subspan(57), point));
    EXPECT_FALSE(m.readRecordAt(58, point));
}

TEST(EventStreamWalker, StopsAtTheBrokenPacket)
{
    const auto good = packet({2, 254}, {});                       // 2 bytes
    const auto stroke = packet({80, 0}, std::vector<uint8_t>(4)); // 6 bytes
    struct Case
    {
        const char *what;
        std::vector<uint8_t> tail;
        uint32_t packets;
    };
    const Case cases[] = {
        {"invalid header", packet({3, 0}, {}), 2},
        {"cut fixed part", packet({2, 8}, std::vector<uint8_t>(27)), 2},
        {"cut variable head", packet({0, 36}, std::vector<uint8_t>(100)), 2},
        {"count past the end", packet({1, 17}, fixedWithCount(4, 0, 17, 4), 16), 2},
        {"points past the end", packet({17, 3}, std::vector<uint8_t>(35)), 2},
        {"cut header", bytesOf({2}), 2},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> data = good;
        data.insert(data.end(), stroke.begin(), stroke.end());
        data.insert(data.end(), c.tail.begin(), c.tail.end());
        const SEventWalkResult r = walkEventBytes(data, {});
        EXPECT_EQ(r.end, TEventWalkEnd::Corrupt) << c.what;
        EXPECT_EQ(r.offset, 8u) << c.what;
        EXPECT_EQ(r.packets, c.packets) << c.what;

        CEventMngr m(nullptr, kEventExpectedLen, kEventUnitLen);
        ASSERT_TRUE(m.restart());
        ASSERT_EQ(m.writeDataEx(data.data(), uint32_t(data.size())), data.size());
        const SEventWalkResult s = m.walkPackets(0, m.curLength, {});
        EXPECT_EQ(s.end, TEventWalkEnd::Corrupt) << c.what;
        EXPECT_EQ(s.offset, 8u) << c.what;
    }
    // A visitor that asks to stop is told apart from a corrupt stream.
    const SEventWalkResult stopped =
        walkEventBytes(good, [](const SEventPacketInfo &) { return false; });
    EXPECT_EQ(stopped.end, TEventWalkEnd::Stopped);
    EXPECT_EQ(stopped.offset, 0u);
}

// Random valid packets of every header the catalogue lists, with random trailing counts, written
// and walked back: the walk finds each packet where it was written, also across segment borders.
TEST(EventStreamWalker, WalksBackTenThousandRandomPackets)
{
    std::vector<SEventHdr> headers;
    for (int g = 0; g < 256; ++g)
        for (int c = 0; c < 256; ++c)
            if (packetLayout({uint8_t(g), uint8_t(c)}).isValid())
                headers.push_back({uint8_t(g), uint8_t(c)});
    ASSERT_GT(headers.size(), 256u * 3); // groups 1, 17, 18 take every code

    const unsigned seed = 20240611;
    std::mt19937 rng(seed);
    CEventMngr m(nullptr, kEventExpectedLen, kEventUnitLen);
    ASSERT_TRUE(m.restart());
    struct Written
    {
        uint32_t pos;
        SEventHdr hdr;
        uint32_t len;
    };
    std::vector<Written> written;
    for (int i = 0; i < 10000; ++i) {
        const SEventHdr hdr = headers[rng() % headers.size()];
        const SPacketLayout row = packetLayout(hdr);
        std::vector<uint8_t> fixed(size_t(row.fixed));
        for (uint8_t &b : fixed)
            b = uint8_t(rng());
        const uint32_t count = rng() % 300;
        if (row.count == TPacketCount::U16 || row.count == TPacketCount::U32)
            std::memcpy(fixed.data() + row.countOfs, &count,
                        row.count == TPacketCount::U16 ? 2 : 4);
        const int64_t len = packetBodyLength(hdr, fixed);
        ASSERT_GE(len, row.fixed);
        std::vector<uint8_t> bytes = packet(hdr, fixed, uint32_t(len - row.fixed));
        written.push_back({m.curLength, hdr, uint32_t(len)});
        ASSERT_EQ(m.writeDataEx(bytes.data(), uint32_t(bytes.size())), bytes.size());
    }
    ASSERT_GT(m.segmentCount(), 2u);
    size_t k = 0;
    const SEventWalkResult r = m.walkPackets(0, m.curLength, [&](const SEventPacketInfo &p) {
        EXPECT_LT(k, written.size());
        if (k >= written.size())
            return false;
        EXPECT_EQ(p.pos, written[k].pos) << "packet " << k << " seed " << seed;
        EXPECT_EQ(p.hdr, written[k].hdr) << "packet " << k << " seed " << seed;
        EXPECT_EQ(p.bodyLen, written[k].len) << "packet " << k << " seed " << seed;
        ++k;
        return true;
    });
    EXPECT_EQ(r.end, TEventWalkEnd::Clean);
    EXPECT_EQ(r.packets, 10000u);
    EXPECT_EQ(k, 10000u);
}
