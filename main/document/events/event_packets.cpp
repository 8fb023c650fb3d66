#include "document/events/event_packets.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

// The catalogue states the stored sizes as numbers, apart from the record structs, so that a record
// whose layout drifts from its row is caught (the tests compare the two).
namespace {

constexpr SPacketLayout fixedBody(int32_t size)
{
    return {size, TPacketCount::None, 0, 1};
}
constexpr SPacketLayout countU16(int32_t size, uint8_t ofs, uint8_t mult = 1)
{
    return {size, TPacketCount::U16, ofs, mult};
}
constexpr SPacketLayout countU32(int32_t size, uint8_t ofs)
{
    return {size, TPacketCount::U32, ofs, 1};
}
constexpr SPacketLayout kInvalid{};

bool listed(uint8_t code, std::initializer_list<uint8_t> codes)
{
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

SPacketLayout statusLayout(uint8_t code)
{
    switch (code) {
    case 0:
        return fixedBody(12);
    case 2:
        return fixedBody(4);
    case 3:
        return fixedBody(4);
    case 4:
        return fixedBody(16);
    case 5:
        return fixedBody(12);
    case 8:
        return fixedBody(4);
    case 12:
        return fixedBody(2);
    case 13:
        return fixedBody(2);
    case 16:
        return fixedBody(8);
    case 17:
        return fixedBody(8);
    case 18:
        return fixedBody(22);
    case 32:
        return fixedBody(68);
    case 33:
        return countU16(2, 0); // text for the next text packet
    case 34:
        return fixedBody(100);
    case 36:
        return countU32(160, 156);
    case 37:
        return fixedBody(20);
    case 40:
        return countU16(12, 6); // slotlen: the stops' bytes
    case 44:
    case 74:
        return countU32(40, 36);
    case 45:
    case 75:
        return fixedBody(24);
    case 48:
    case 64:
        return fixedBody(8);
    case 50:
    case 65:
        return fixedBody(8);
    case 52:
    case 66:
        return fixedBody(12);
    case 53:
    case 67:
        return fixedBody(12);
    case 56:
    case 68:
        return fixedBody(8);
    case 57:
    case 69:
        return fixedBody(16);
    case 58:
    case 70:
        return fixedBody(4);
    case 60:
        return fixedBody(16);
    case 71:
        return fixedBody(32);
    case 128:
    case 129:
        return countU32(22, 12);
    case 136:
        return countU32(4, 0); // colour-range parameters
    default:
        return kInvalid;
    }
}

SPacketLayout documentLayout(uint8_t code)
{
    switch (code) {
    case 0:
        return fixedBody(16);
    case 1:
        return fixedBody(4);
    case 2:
        return fixedBody(10);
    case 3:
    case 9:
    case 12:
        return fixedBody(10);
    case 6:
        return fixedBody(18);
    case 8:
        return fixedBody(28);
    case 10:
        return fixedBody(12);
    case 11:
        return fixedBody(20);
    case 24:
    case 25:
    case 26:
        return fixedBody(4);
    case 4:
    case 5:
    case 7:
    case 16:
    case 17:
    case 18:
    case 19:
    case 32:
    case 33:
    case 34:
    case 35:
    case 254:
    case 255:
        return fixedBody(0);
    default:
        return kInvalid;
    }
}

SPacketLayout layerLayout(uint8_t code)
{
    if (listed(code, {1, 2, 3, 4, 5, 8, 9, 24, 25, 32, 33, 34, 35, 36, 37, 64, 65}))
        return fixedBody(4);
    if (listed(code, {10, 38, 39, 40, 41, 48, 49, 50, 51, 54, 55}))
        return fixedBody(12);
    if (listed(code, {16, 17, 18, 20, 52, 53}))
        return fixedBody(6);
    switch (code) {
    case 0:
        return fixedBody(14);
    case 6:
    case 66:
        return fixedBody(12);
    case 7:
        return fixedBody(12);
    case 11:
    case 14:
        return countU16(42, 40);
    case 12:
    case 67:
        return fixedBody(20);
    case 13:
        return fixedBody(20);
    case 19:
    case 26:
        return countU16(4, 2);
    case 21:
        return fixedBody(18);
    case 56:
    case 57:
        return fixedBody(34);
    default:
        return kInvalid;
    }
}

SPacketLayout groupLayout(uint8_t code)
{
    if (code == 0 || code == 1)
        return countU32(24, 12);
    if (listed(code, {8, 11, 12, 13, 16}))
        return fixedBody(12);
    if (code == 9 || code == 10)
        return fixedBody(20);
    return kInvalid;
}

SPacketLayout fillLayout(uint8_t code)
{
    if (listed(code, {0, 1, 2, 3, 5, 6}))
        return fixedBody(22);
    if (code == 4)
        return countU16(4, 2, 8);
    if (code >= 7 && code <= 9)
        return fixedBody(16);
    return kInvalid;
}

SPacketLayout maskLayout(uint8_t code)
{
    if (listed(code, {0, 1, 2, 3, 4, 5, 6, 11, 20, 21}))
        return fixedBody(4);
    if (listed(code, {7, 8, 9, 10, 13, 14, 22, 24, 25, 26}))
        return fixedBody(12);
    switch (code) {
    case 12:
    case 15:
        return countU16(4, 2);
    case 16:
    case 17:
    case 19:
        return fixedBody(22);
    case 18:
        return countU16(8, 6, 8);
    case 32:
        return fixedBody(34);
    default:
        return kInvalid;
    }
}

SPacketLayout coverageLayout(uint8_t code)
{
    if (listed(code, {0, 1, 4, 16, 17, 32}))
        return countU32(54, 42);
    if (listed(code, {2, 3, 5}))
        return countU32(72, 60);
    return kInvalid;
}

// The filter codes of each fixed filter group; group 38 takes any code.
SPacketLayout filterLayout(uint8_t group, uint8_t code)
{
    switch (group) {
    case 32:
        if (listed(code, {0, 1, 8, 9, 12, 13, 20, 52, 53, 56, 64, 65, 81, 82, 83, 84, 87}))
            return fixedBody(4);
        break;
    case 33:
        if (listed(code, {2,  4,  10, 14, 18, 21, 22, 23, 26, 27, 32, 34, 49,
                          55, 58, 63, 66, 67, 68, 69, 80, 85, 86, 97, 98}))
            return fixedBody(12);
        break;
    case 34:
        if (listed(code, {3, 17, 19, 24, 25, 33, 36, 48, 50, 57, 59, 61, 62, 70, 71, 73, 96}))
            return fixedBody(20);
        break;
    case 35:
        if (listed(code, {16, 35, 37, 38, 60, 72}))
            return fixedBody(28);
        break;
    case 38:
        return countU16(50, 4);
    }
    return kInvalid;
}

} // namespace

SPacketLayout packetLayout(SEventHdr hdr)
{
    const uint8_t code = hdr.code;
    switch (hdr.group) {
    case 0:
        return statusLayout(code);
    case 1:
        return countU32(4, 0); // information: any code, skipped by its length
    case 2:
        return documentLayout(code);
    case 4:
        return layerLayout(code);
    case 5:
        return groupLayout(code);
    case 6:
        return fillLayout(code);
    case 10:
        return maskLayout(code);
    case 12:
        return code <= 5 ? countU32(22, 12) : kInvalid;
    case 13:
        return coverageLayout(code);
    case 16:
    case 20:
    case 21:
    case 22:
    case 23:
    case 24:
    case 48:
    case 49:
    case 80:
    case 81:
        return code == 0 ? fixedBody(4) : kInvalid;
    // Points: 12 x code bytes without a range check (the player takes 1-16).
    case 17:
    case 18:
        return {0, TPacketCount::Code, 0, 12};
    case 32:
    case 33:
    case 34:
    case 35:
    case 38:
        return filterLayout(hdr.group, code);
    default:
        return kInvalid;
    }
}

int64_t packetBodyLength(SEventHdr hdr, std::span<const uint8_t> fixedPart)
{
    const SPacketLayout row = packetLayout(hdr);
    if (!row.isValid())
        return -1;
    switch (row.count) {
    case TPacketCount::None:
        return row.fixed;
    case TPacketCount::Code:
        return int64_t(row.fixed) + int64_t(hdr.code) * row.mult;
    case TPacketCount::U16:
    case TPacketCount::U32:
        break;
    }
    // The count lies inside the fixed part, and the whole fixed part must have been written.
    if (fixedPart.size() < size_t(row.fixed))
        return -1;
    uint32_t count = 0;
    if (row.count == TPacketCount::U16) {
        uint16_t v = 0;
        if (!readEventU16(fixedPart, row.countOfs, v))
            return -1;
        count = v;
    } else if (!readEventU32(fixedPart, row.countOfs, count)) {
        return -1;
    }
    return int64_t(row.fixed) + int64_t(count) * row.mult;
}

SEventWalkResult walkEventBytes(std::span<const uint8_t> data, const fptrEventPacketVisit &visit)
{
    const uint32_t to = uint32_t(std::min<size_t>(data.size(), UINT32_MAX));
    auto readHdr = [&](uint32_t pos, SEventHdr &hdr) {
        return readEventRecord(data.subspan(pos, to - pos), hdr);
    };
    auto bodyLength = [&](SEventHdr hdr, uint32_t ofs) {
        return packetBodyLength(hdr, data.subspan(ofs, to - ofs));
    };
    return walkEventPackets(0, to, readHdr, bodyLength, visit);
}

bool readEventU16(std::span<const uint8_t> src, size_t ofs, uint16_t &v)
{
    if (ofs > src.size() || src.size() - ofs < 2)
        return false;
    std::memcpy(&v, src.data() + ofs, 2);
    return true;
}

bool readEventU32(std::span<const uint8_t> src, size_t ofs, uint32_t &v)
{
    if (ofs > src.size() || src.size() - ofs < 4)
        return false;
    std::memcpy(&v, src.data() + ofs, 4);
    return true;
}
