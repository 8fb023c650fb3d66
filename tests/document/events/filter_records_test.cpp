// The filter parameter records: their byte layout, initialisers and tests.
#include "document/events/filter_records.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

template <class T> const uint8_t *bytesOf(const T &rec)
{
    return reinterpret_cast<const uint8_t *>(&rec);
}

TEST(FilterRecords, LayoutOfTheRecordedFields)
{
    // The offsets the event stream relies on (the remaining ones are asserted in the header).
    EXPECT_EQ(offsetof(sFltObjComplexHead, data0), 14u);
    EXPECT_EQ(offsetof(sFltObjComplexHead, data7), 42u);
    EXPECT_EQ(offsetof(SFltFloorParam, drawfar), 44u);
    EXPECT_EQ(offsetof(SFltFloorParam, maxfar), 46u);
    EXPECT_EQ(offsetof(SFltFloorParam, resv4), 59u);
    EXPECT_EQ(sizeof(SFltLight), 56u);
    EXPECT_EQ(sizeof(SFltCustom), 108u);
    EXPECT_EQ(sizeof(SFltFloorParam), 63u);
    // The size contract keeps the original's numbers for the records that held references.
    EXPECT_EQ(kFltObjComplexSize, 50);
    EXPECT_EQ(kFltObjGradientMapSize, 14);
    EXPECT_EQ(kFltFloorSize, 87);
}

TEST(FilterRecords, ComplexInitialiserKeepsReservedWordsAndCutsTheLength)
{
    struct Case
    {
        uint16_t count, eachLen, allLen;
    } cases[] = {{1, 108, 108}, {1, 56, 56}, {300, 300, 24464}, {0, 50, 0}};
    for (const Case &c : cases) {
        sFltObjComplex rec;
        std::memset(static_cast<sFltObjComplexHead *>(&rec), 0xAB, sizeof(sFltObjComplexHead));
        const uint8_t block[4] = {1, 2, 3, 4};
        rec.data = block;
        initFltObjComplex(rec, c.count, c.eachLen);
        // Packed fields are copied out before they are compared (no reference binds to them).
        EXPECT_EQ(uint16_t(rec.allLen), c.allLen) << c.count << " x " << c.eachLen;
        EXPECT_EQ(uint16_t(rec.count), c.count);
        EXPECT_EQ(uint16_t(rec.eachLen), c.eachLen);
        EXPECT_EQ(uint32_t(rec.resv0), 0xABABABABu);
        EXPECT_EQ(uint32_t(rec.resv1), 0xABABABABu);
        EXPECT_EQ(int32_t(rec.data0.all), 0);
        EXPECT_EQ(int32_t(rec.data7.all), 0);
        EXPECT_TRUE(rec.data.empty());
    }
}

TEST(FilterRecords, Initialisers)
{
    SFltFloorParam floor;
    std::memset(&floor, 0x5A, sizeof floor);
    initFltFloorParam(floor);
    const uint8_t *b = bytesOf(floor);
    EXPECT_EQ(b[44], 1);
    EXPECT_EQ(b[46], 30);
    EXPECT_EQ(floor.version, 0);
    for (size_t i = 0; i < sizeof floor; ++i) {
        if (i != 44 && i != 46) {
            EXPECT_EQ(b[i], 0) << "byte " << i;
        }
    }

    SFltCustom custom;
    std::memset(&custom, 0x5A, sizeof custom);
    initFltCustom(custom);
    EXPECT_EQ(int32_t(custom.scale), 1);
    EXPECT_EQ(int32_t(custom.offset), 0);
    for (size_t i = 0; i < 100; ++i)
        EXPECT_EQ(bytesOf(custom)[i], 0);

    sFltObjGradientMap map;
    initFltObjGradientMap(map);
    SGradAttr attr;
    initGradAttr(attr);
    EXPECT_EQ(map.crsg, nullptr);
    EXPECT_EQ(map.attr, attr);
    EXPECT_FALSE(map.reverse);
    EXPECT_TRUE(map.protect);

    SFltFloor rec;
    TMTC *someCanvas = reinterpret_cast<TMTC *>(&rec);
    rec.stex[1] = {300, someCanvas, "x.png"};
    initFltFloor(rec);
    EXPECT_EQ(rec.sfloor.maxfar, 30);
    for (const SFltTexture &t : rec.stex) {
        EXPECT_EQ(t.dpi, 0);
        EXPECT_EQ(t.tc, nullptr);
        EXPECT_TRUE(t.path.isEmpty());
    }
}

TEST(FilterRecords, EqualityTests)
{
    SFltLight a, b;
    initFltLight(a);
    initFltLight(b);
    a.posx = b.posx = 0.25f;
    b.resv1 = 7;
    b.resv4 = 9;
    EXPECT_TRUE(equalFltLight(a, b)) << "the reserved words are ignored";
    b.posx = -0.0f;
    a.posx = 0.0f;
    EXPECT_TRUE(equalFltLight(a, b)) << "Singles compare as numbers";
    b.wide = 1;
    EXPECT_FALSE(equalFltLight(a, b));

    sFltObj6 x, y;
    initFltObj6(x);
    initFltObj6(y);
    EXPECT_TRUE(equalFltObj6(x, y));
    y.data5.b3 = 1;
    EXPECT_FALSE(equalFltObj6(x, y));
    sFltObj2 p, q;
    initFltObj2(p);
    initFltObj2(q);
    q.data1._float = -0.0f; // 0x80000000: a different cell
    EXPECT_FALSE(equalFltObj2(p, q));
}

TEST(FilterRecords, TextureSlotTests)
{
    struct Case
    {
        uint8_t enb, type;
        bool ceiling, floor;
    } cases[] = {
        {0, 0, false, false}, {1, 0, false, false}, // ceiling drawn from the layer
        {1, 1, true, false},  {2, 2, false, true},  {3, 3, true, true},
        {2, 1, false, false}, {3, 1, true, false},
    };
    for (const Case &c : cases) {
        SFltFloor rec;
        initFltFloor(rec);
        rec.sfloor.texEnbFlag = c.enb;
        rec.sfloor.texTypeFlag = c.type;
        EXPECT_EQ(isCeilingTexFile(rec), c.ceiling) << int(c.enb) << "/" << int(c.type);
        EXPECT_EQ(isFloorTexFile(rec), c.floor) << int(c.enb) << "/" << int(c.type);
    }
    // One meaning of the slots: slot 0 the ceiling in the low half of data0 and image 128.
    LDATA d0{.all = 0};
    setFloorSlotDpi(d0, kFloorSlotCeiling, 72);
    setFloorSlotDpi(d0, kFloorSlotFloor, 350);
    EXPECT_EQ(d0.all, 350 << 16 | 72);
    EXPECT_EQ(floorSlotDpi(d0, kFloorSlotCeiling), 72);
    EXPECT_EQ(kFloorSlotImageCode[kFloorSlotCeiling], 128);
    EXPECT_EQ(kFloorSlotImageCode[kFloorSlotFloor], 129);
}

} // namespace
