#include "document/events/filter_records.h"

#include <cstring>

void initFltObj2(sFltObj2 &rec)
{
    std::memset(&rec, 0, sizeof rec);
}

void initFltObj4(sFltObj4 &rec)
{
    std::memset(&rec, 0, sizeof rec);
}

void initFltObj6(sFltObj6 &rec)
{
    std::memset(&rec, 0, sizeof rec);
}

void initFltObjComplex(sFltObjComplex &rec, uint16_t count, uint16_t eachLen)
{
    rec.count = count;
    rec.eachLen = eachLen;
    rec.allLen = uint16_t(uint32_t(count) * eachLen);
    rec.data0.all = rec.data1.all = rec.data2.all = rec.data3.all = 0;
    rec.data4.all = rec.data5.all = rec.data6.all = rec.data7.all = 0;
    rec.data = {};
}

void initFltObjGradientMap(sFltObjGradientMap &rec)
{
    rec.crsg = nullptr;
    initGradAttr(rec.attr);
    rec.reverse = false;
    rec.protect = true;
}

void initFltCustom(SFltCustom &rec)
{
    std::memset(&rec, 0, sizeof rec);
    rec.scale = 1;
    rec.offset = 0;
}

void initFltLight(SFltLight &rec)
{
    std::memset(&rec, 0, sizeof rec);
}

void initFltTexture(SFltTexture &tex)
{
    tex.dpi = 0;
    tex.tc = nullptr;
    tex.path.clear();
}

void initFltFloorParam(SFltFloorParam &rec)
{
    std::memset(&rec, 0, sizeof rec);
    rec.maxfar = 30;
    rec.drawfar = 1;
}

void initFltFloor(SFltFloor &rec)
{
    initFltFloorParam(rec.sfloor);
    for (SFltTexture &tex : rec.stex)
        initFltTexture(tex);
}

bool equalFltObj2(const sFltObj2 &a, const sFltObj2 &b)
{
    return a.data0.all == b.data0.all && a.data1.all == b.data1.all;
}

bool equalFltObj4(const sFltObj4 &a, const sFltObj4 &b)
{
    return a.data0.all == b.data0.all && a.data1.all == b.data1.all &&
           a.data2.all == b.data2.all && a.data3.all == b.data3.all;
}

bool equalFltObj6(const sFltObj6 &a, const sFltObj6 &b)
{
    return a.data0.all == b.data0.all && a.data1.all == b.data1.all &&
           a.data2.all == b.data2.all && a.data3.all == b.data3.all &&
           a.data4.all == b.data4.all && a.data5.all == b.data5.all;
}

bool equalFltLight(const SFltLight &a, const SFltLight &b)
{
    return a.kind == b.kind && a.power == b.power && a.color.all == b.color.all &&
           a.range == b.range && a.posx == b.posx && a.posy == b.posy && a.posz == b.posz &&
           a.theta == b.theta && a.phi == b.phi && a.wide == b.wide;
}

bool isFloorSlotFile(const SFltFloorParam &rec, int32_t slot)
{
    if (slot != kFloorSlotCeiling && slot != kFloorSlotFloor)
        return false;
    const uint8_t bit = uint8_t(1u << slot);
    return (rec.texEnbFlag & bit) != 0 && (rec.texTypeFlag & bit) != 0;
}

bool isCeilingTexFile(const SFltFloorParam &rec)
{
    return isFloorSlotFile(rec, kFloorSlotCeiling);
}

bool isCeilingTexFile(const SFltFloor &rec)
{
    return isCeilingTexFile(rec.sfloor);
}

bool isFloorTexFile(const SFltFloorParam &rec)
{
    return isFloorSlotFile(rec, kFloorSlotFloor);
}

bool isFloorTexFile(const SFltFloor &rec)
{
    return isFloorTexFile(rec.sfloor);
}
