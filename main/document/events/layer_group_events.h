// Decoding the group-level packets of group 5 (codes 0 and 1): the layer index and the group
// levels of the layers before and after the move, checked against the body before use.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct SGroupLevelTables
{
    uint16_t idx = 0;
    bool in = false; // set by the caller from the code (0: one level in)
    std::vector<uint8_t> before;
    std::vector<uint8_t> after;
};

// body: the 24-byte fixed part and the trailing tables. False unless the element size is 1, the
// table count 2, the total even and equal to 2 x cnt, and the tables lie inside the body.
bool decodeGroupLevelPacket(std::span<const uint8_t> body, SGroupLevelTables &out);
