// The codec's integer map: 32-bit keys to 32-bit values, with the codec's result codes.
#pragma once

#include "platform/codec/codec_status.h"

#include <cstdint>
#include <memory>
#include <unordered_map>

namespace codec {

class CodecIntMap
{
public:
    // Makes a new map into handle. blockSize, the number of entries to allocate at a time, must be
    // positive (Param otherwise, handle left empty); the map grows on its own.
    [[nodiscard]] static CodecStatus create(std::unique_ptr<CodecIntMap> &handle,
                                            int32_t blockSize);

    // True, with the value in val, when key is present; val is untouched otherwise.
    bool lookup(uint32_t key, uint32_t &val) const;
    // Sets or replaces the value of key. NoMemory when the entry cannot be had.
    [[nodiscard]] CodecStatus setAt(uint32_t key, uint32_t val);
    // Removes key. NoData when it is not present.
    [[nodiscard]] CodecStatus removeKey(uint32_t key);
    [[nodiscard]] CodecStatus removeAll();
    [[nodiscard]] CodecStatus getCount(int32_t &count) const;

    // Iteration: a position is the 1-based place of an entry in the map's current order, 0 past the
    // end. A change to the map makes earlier positions meaningless. Each step walks from the first
    // entry, so a whole walk takes time quadratic in the count.
    uint32_t getStartPosition() const;
    // The entry at pos, and pos moved to the next one (0 after the last). Param for a position
    // that names no entry.
    [[nodiscard]] CodecStatus getNextAssoc(uint32_t &pos, uint32_t &key, uint32_t &val) const;

private:
    std::unordered_map<uint32_t, uint32_t> m_map;
};

} // namespace codec
