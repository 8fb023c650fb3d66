#include "document/events/event_manager.h"

#include <QBuffer>
#include <QIODevice>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

std::vector<uint8_t> pattern(size_t n, uint32_t seed = 1)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = uint8_t((i * 131 + seed * 7 + (i >> 8)) & 0xFF);
    return v;
}

std::vector<uint8_t> readAll(const CEventMngr &m)
{
    std::vector<uint8_t> v(m.curLength);
    if (!v.empty()) {
        EXPECT_EQ(m.readDataEx(0, v.data(), m.curLength), m.curLength);
    }
    return v;
}

// A stream of the document's shape with its first segment.
class EventStreamSegments : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_TRUE(m.restart()); }
    CEventMngr m{nullptr, kEventExpectedLen, kEventUnitLen};
};

// Lets a fixed number of segment allocations succeed, then fails every one.
int gAllocationsLeft = 0;
bool countedAlloc(MemPtr &p, size_t size)
{
    if (gAllocationsLeft <= 0)
        return false;
    --gAllocationsLeft;
    return tryGetMem(p, size);
}

class FailingAllocator
{
  public:
    explicit FailingAllocator(int allowed)
    {
        gAllocationsLeft = allowed;
        previous = setEventSegmentAllocator(countedAlloc);
    }
    ~FailingAllocator() { setEventSegmentAllocator(previous); }

  private:
    fptrEventSegAlloc previous;
};

// A device that keeps every write apart and accepts at most `room` bytes.
class RecordingDevice : public QIODevice
{
  public:
    explicit RecordingDevice(qint64 room = INT64_MAX) : room(room) { open(QIODevice::WriteOnly); }
    std::vector<std::vector<uint8_t>> writes;
    std::vector<uint8_t> all;

  protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override
    {
        const qint64 n = std::min(len, room);
        room -= n;
        writes.emplace_back(data, data + n);
        all.insert(all.end(), data, data + n);
        return n;
    }

  private:
    qint64 room;
};

} // namespace

TEST(EventStreamConstruction, ReservesForTheExpectedLengthAndAllocatesNothing)
{
    CEventMngr doc(nullptr, kEventExpectedLen, kEventUnitLen);
    EXPECT_EQ(doc.segmentCapacity(), 16u);
    EXPECT_EQ(doc.segmentCount(), 0u);
    EXPECT_EQ(doc.limitLen, 0u);
    CEventMngr small(nullptr, 1000, kEventUnitLen);
    EXPECT_EQ(small.segmentCapacity(), 10u);
    CEventMngr zeroUnit(nullptr, 1000, 0);
    EXPECT_EQ(zeroUnit.unitLen, 1u);
}

TEST_F(EventStreamSegments, AnAppendEndingAtTheSegmentEndAddsTheNextSegmentFirst)
{
    const auto bytes = pattern(kEventUnitLen);
    ASSERT_EQ(m.writeDataEx(bytes.data(), 65535), 65535u);
    EXPECT_EQ(m.segmentCount(), 1u);
    ASSERT_EQ(m.writeDataEx(bytes.data(), 1), 1u);
    EXPECT_EQ(m.segmentCount(), 2u);
    EXPECT_EQ(m.limitLen, 131072u);
    EXPECT_LT(m.curLength, m.limitLen);

    CEventMngr whole(nullptr, kEventExpectedLen, kEventUnitLen);
    ASSERT_TRUE(whole.restart());
    ASSERT_EQ(whole.writeDataEx(bytes.data(), kEventUnitLen), kEventUnitLen);
    EXPECT_EQ(whole.segmentCount(), 2u);
    EXPECT_EQ(readAll(whole), bytes);
}

TEST_F(EventStreamSegments, AHeaderStraddlingTwoSegmentsReadsBack)
{
    const auto filler = pattern(65535);
    ASSERT_EQ(m.writeDataEx(filler.data(), 65535), 65535u);
    ASSERT_TRUE(m.appendRecord(SEventHdr{2, 8}));
    EXPECT_EQ(m.segment(0).data()[65535], 2);
    EXPECT_EQ(m.segment(1).data()[0], 8);
    SEventHdr hdr;
    ASSERT_TRUE(m.readRecordAt(65535, hdr));
    EXPECT_EQ(hdr, (SEventHdr{2, 8}));
}

TEST_F(EventStreamSegments, RefusesWritesLongerThanASegmentOrLeavingAGap)
{
    const auto bytes = pattern(kEventUnitLen + 1);
    ASSERT_EQ(m.writeDataEx(bytes.data(), 10), 10u);
    EXPECT_EQ(m.writeAt(0, bytes.data(), kEventUnitLen + 1), 0u);
    EXPECT_EQ(m.writeAt(11, bytes.data(), 4), 0u);
    EXPECT_EQ(m.writeAt(10, bytes.data(), 0), 0u);
    EXPECT_EQ(m.curLength, 10u);
    EXPECT_EQ(m.segmentCount(), 1u);
    // Inside the written bytes a write replaces them and leaves the length alone.
    const uint8_t two[] = {0xAA, 0xBB};
    EXPECT_EQ(m.writeDataEx(4, two, 2), 2u);
    EXPECT_EQ(m.curLength, 10u);
    EXPECT_EQ(readAll(m)[5], 0xBB);
}

TEST_F(EventStreamSegments, ReadsOutsideTheWrittenBytesGiveNothing)
{
    const auto bytes = pattern(100);
    ASSERT_EQ(m.writeDataEx(bytes.data(), 100), 100u);
    struct Case
    {
        uint32_t ofs, len, expected;
    };
    const Case cases[] = {
        {0, 100, 100},         {99, 1, 1}, {99, 2, 0},
        {100, 1, 0},           {0, 0, 0},  {0xFFFFFFFF, 2, 0}, // wraps to 1 in 32 bits
        {0xFFFFFFF0, 0x20, 0},                                 // wraps to 16
        {50, 0xFFFFFFF0, 0},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> dst(std::min<uint32_t>(c.len, 200), 0xEE);
        const uint32_t got =
            c.len <= 200 ? m.readAt(c.ofs, dst.data(), c.len) : m.readAt(c.ofs, nullptr, c.len);
        EXPECT_EQ(got, c.expected) << c.ofs << "+" << c.len;
        if (c.expected == 0 && !dst.empty()) {
            EXPECT_EQ(dst[0], 0xEE);
        }
    }
}

TEST_F(EventStreamSegments, WritesAndReadsARunLongerThanASegment)
{
    const auto bytes = pattern(200 * 1024, 3);
    ASSERT_EQ(m.writeDataEx(bytes.data(), uint32_t(bytes.size())), bytes.size());
    EXPECT_EQ(m.curLength, 204800u);
    EXPECT_EQ(m.segmentCount(), 4u);
    EXPECT_EQ(readAll(m), bytes);
    // A run across three segment borders, read in one call.
    std::vector<uint8_t> mid(150000);
    ASSERT_EQ(m.readAt(1000, mid.data(), 150000), 150000u);
    EXPECT_TRUE(std::equal(mid.begin(), mid.end(), bytes.begin() + 1000));
}

TEST_F(EventStreamSegments, AFailedAllocationAnswersAShortCount)
{
    const auto bytes = pattern(200000);
    {
        FailingAllocator failing(1); // the second segment, then no more
        ASSERT_EQ(m.writeDataEx(bytes.data(), 200000), 65536u);
    }
    EXPECT_EQ(m.curLength, 65536u);
    EXPECT_EQ(m.segmentCount(), 2u);
    EXPECT_EQ(readAll(m), std::vector<uint8_t>(bytes.begin(), bytes.begin() + 65536));

    FailingAllocator none(0);
    CEventMngr fresh(nullptr, kEventExpectedLen, kEventUnitLen);
    EXPECT_FALSE(fresh.restart());
    EXPECT_EQ(fresh.segmentCount(), 0u);
    EXPECT_EQ(fresh.writeDataEx(bytes.data(), 10), 0u);
    EXPECT_EQ(fresh.curLength, 0u);
}

TEST(EventStreamBound, AStreamHoldsAtMost65535Segments)
{
    CEventMngr m(nullptr, 0, 16);
    ASSERT_TRUE(m.restart());
    const auto bytes = pattern(4096);
    uint32_t total = 0;
    for (;;) {
        const uint32_t n = m.writeDataEx(bytes.data(), uint32_t(bytes.size()));
        total += n;
        if (n < bytes.size())
            break;
    }
    EXPECT_EQ(m.segmentCount(), kEventMaxSegments);
    EXPECT_EQ(m.limitLen, 65535u * 16u);
    // The last segment is never filled completely: one byte short of it is the end.
    while (m.writeDataEx(bytes.data(), 1) == 1)
        ++total;
    EXPECT_EQ(m.curLength, m.limitLen - 1);
    EXPECT_EQ(total, m.curLength);
    EXPECT_EQ(m.segmentCount(), kEventMaxSegments);
    uint8_t b = 0;
    ASSERT_EQ(m.readAt(1048000, &b, 1), 1u);
    EXPECT_EQ(b, bytes[1048000 % 4096]);
}

TEST_F(EventStreamSegments, ShrinkBufferKeepsTheSegmentHoldingTheEnd)
{
    const auto bytes = pattern(200000);
    ASSERT_EQ(m.writeDataEx(bytes.data(), 200000), 200000u);
    EXPECT_FALSE(m.shrinkBuffer());
    m.setupPlayPos(70000, 1);
    EXPECT_TRUE(m.shrinkBuffer());
    EXPECT_EQ(m.segmentCount(), 2u);
    EXPECT_EQ(m.limitLen, 131072u);
    EXPECT_FALSE(m.shrinkBuffer());
    EXPECT_EQ(readAll(m), std::vector<uint8_t>(bytes.begin(), bytes.begin() + 70000));
}

TEST_F(EventStreamSegments, SetupPlayPosNeverMovesTheEndPastTheWrittenBytes)
{
    const auto bytes = pattern(100);
    ASSERT_EQ(m.writeDataEx(bytes.data(), 100), 100u);
    m.playTopPos = m.playEventTop = m.playEventCnt = 9;
    m.setupPlayPos(500, 3);
    EXPECT_EQ(m.curLength, 100u);
    EXPECT_EQ(m.topEventPos, 100u);
    EXPECT_EQ(m.eventCnt, 3u);
    EXPECT_EQ(m.playTopPos + m.playEventTop + m.playEventCnt, 0u);
}

TEST_F(EventStreamSegments, DataSegmentCountRoundsTheCompleteEventsUp)
{
    const auto bytes = pattern(70000);
    ASSERT_EQ(m.writeDataEx(bytes.data(), 70000), 70000u);
    for (auto [top, segs] : {std::pair{0u, 0u}, {1u, 1u}, {65536u, 1u}, {65537u, 2u}}) {
        m.topEventPos = top;
        EXPECT_EQ(m.getDataSegCount(), segs) << top;
    }
}

TEST_F(EventStreamSegments, SaveDataNeverCrossesASegment)
{
    const auto bytes = pattern(200000, 5);
    ASSERT_EQ(m.writeDataEx(bytes.data(), 200000), 200000u);
    RecordingDevice dev;
    EXPECT_EQ(m.saveData(dev, 1000, 150000), 150000);
    EXPECT_TRUE(std::equal(dev.all.begin(), dev.all.end(), bytes.begin() + 1000));
    ASSERT_EQ(dev.all.size(), 150000u);
    uint32_t at = 1000;
    for (const auto &w : dev.writes) {
        EXPECT_EQ(at / kEventUnitLen, (at + uint32_t(w.size()) - 1) / kEventUnitLen) << at;
        at += uint32_t(w.size());
    }
    EXPECT_EQ(dev.writes.size(), 3u);

    // Cut at curLength, and a device that fills up stops the save.
    RecordingDevice tail;
    EXPECT_EQ(m.saveData(tail, 199990, 100), 10);
    RecordingDevice full(70000);
    EXPECT_EQ(m.saveData(full, 0, 200000), 70000);
}

TEST_F(EventStreamSegments, SaveDataAllStopsAtTheEventUnderConstruction)
{
    const auto bytes = pattern(100);
    ASSERT_EQ(m.writeDataEx(bytes.data(), 100), 100u);
    m.topEventPos = 60; // a stroke is open from 60 on
    RecordingDevice dev;
    EXPECT_EQ(m.saveDataAll(dev), 60);
    EXPECT_EQ(dev.all, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 60));
}

TEST_F(EventStreamSegments, LoadDataEmptiesFirstAndAnswersWhatItLoaded)
{
    const auto old = pattern(150000, 8);
    ASSERT_EQ(m.writeDataEx(old.data(), 150000), 150000u);
    m.eventCnt = 40;
    m.playTopPos = 12;

    QByteArray data(reinterpret_cast<const char *>(pattern(1000, 9).data()), 1000);
    QBuffer shortDevice(&data);
    ASSERT_TRUE(shortDevice.open(QIODevice::ReadOnly));
    EXPECT_EQ(m.loadData(shortDevice, 5000, 7), 1000u);
    EXPECT_EQ(m.curLength, 1000u);
    EXPECT_EQ(m.topEventPos, 1000u);
    EXPECT_EQ(m.eventCnt, 7u);
    EXPECT_EQ(m.playTopPos, 0u);
    EXPECT_EQ(m.segmentCount(), 1u);
    EXPECT_EQ(readAll(m), pattern(1000, 9));

    const auto big = pattern(200000, 4);
    QByteArray bigData(reinterpret_cast<const char *>(big.data()), int(big.size()));
    QBuffer device(&bigData);
    ASSERT_TRUE(device.open(QIODevice::ReadOnly));
    EXPECT_EQ(m.loadData(device, 200000, 2), 200000u);
    EXPECT_EQ(readAll(m), big);
}
