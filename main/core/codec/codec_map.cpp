#include "core/codec/codec_map.h"

#include "platform/codec/int_map.h"

CMapDD::CMapDD(int32_t nBlockSize)
{
    lastErr = toMopixDllErr(codec::CodecIntMap::create(handle, nBlockSize));
}

CMapDD::~CMapDD() = default;

bool CMapDD::record(codec::CodecStatus s)
{
    lastErr = toMopixDllErr(s);
    return s == codec::CodecStatus::Nothing;
}

bool CMapDD::isValid() const { return handle != nullptr; }

bool CMapDD::lookup(uint32_t key, uint32_t &val) const { return handle && handle->lookup(key, val); }

bool CMapDD::setAt(uint32_t key, uint32_t val)
{
    return record(handle ? handle->setAt(key, val) : codec::CodecStatus::Handle);
}

bool CMapDD::removeKey(uint32_t key)
{
    return record(handle ? handle->removeKey(key) : codec::CodecStatus::Handle);
}

bool CMapDD::removeAll()
{
    return record(handle ? handle->removeAll() : codec::CodecStatus::Handle);
}

int32_t CMapDD::getCount()
{
    int32_t count = 0;
    record(handle ? handle->getCount(count) : codec::CodecStatus::Handle);
    return count;
}

uint32_t CMapDD::getStartPosition() const { return handle ? handle->getStartPosition() : 0; }

bool CMapDD::getNextAssoc(uint32_t &pos, uint32_t &key, uint32_t &val)
{
    return record(handle ? handle->getNextAssoc(pos, key, val) : codec::CodecStatus::Handle);
}
