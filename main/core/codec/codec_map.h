// CMapDD: the codec's integer map (32-bit keys to 32-bit values) as the event recorder uses it to
// remember which screentones and nib shapes it has already written.
#pragma once

#include "core/codec/image_codec.h"

#include <cstdint>
#include <memory>

namespace codec {
class CodecIntMap;
}

class CMapDD
{
public:
    // Makes the map; nBlockSize must be positive (the event recorder passes 10). When the map
    // cannot be made, isValid() is false, lastErr says why and every call fails.
    explicit CMapDD(int32_t nBlockSize);
    ~CMapDD();
    CMapDD(const CMapDD &) = delete;
    CMapDD &operator=(const CMapDD &) = delete;

    bool isValid() const;
    // True, with the value in val, when key is present. lastErr is not touched.
    bool lookup(uint32_t key, uint32_t &val) const;
    // These set lastErr and answer whether it is MOPIXDLLERR_NOTHING. Removing an absent key fails
    // with MOPIXDLLERR_NO_DATA.
    bool setAt(uint32_t key, uint32_t val);
    bool removeKey(uint32_t key);
    bool removeAll();
    // The number of entries (0 for an invalid map); sets lastErr.
    int32_t getCount();
    // Iteration (nothing in the program walks a map): the first position, 0 for none, and the entry
    // at pos with pos moved on (0 after the last).
    uint32_t getStartPosition() const;
    bool getNextAssoc(uint32_t &pos, uint32_t &key, uint32_t &val);

    // The map itself; empty until made.
    std::unique_ptr<codec::CodecIntMap> handle;
    // The code of the last call that reports one.
    MopixDllErr lastErr = MOPIXDLLERR_NOTHING;

private:
    bool record(codec::CodecStatus s);
};
