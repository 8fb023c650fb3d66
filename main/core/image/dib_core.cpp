#include "core/image/dib_core.h"

#include "core/base/numeric.h"

#include <cmath>
#include <limits>
#include <new>

int32_t dpiToPelsPerMeter(int32_t dpi)
{
    // Extended-precision division in the original; double is exact enough for any dpi.
    return int32_t(std::trunc(double(dpi) * 100.0 / 2.54));
}

void CDibCore::freeMembers()
{
    m_bufferMem.reset();
    m_tableMem.reset();
    m_tcd = TCDataStruct{};
}

bool CDibCore::isEnable() const
{
    return m_tcd.m_pBuffer != nullptr && m_tcd.m_pTable != nullptr;
}

void *CDibCore::seekInside(int32_t x, int32_t y) const
{
    if (!isEnable())
        return nullptr;
    return seek(clampInt(x, 0, width() - 1), clampInt(y, 0, height() - 1));
}

bool CDibCore::clipping(sRect &r) const
{
    return rectClipToSize(r, FPSZ());
}

bool CDibCore::clipping(sBox &box) const
{
    return boxClipToSize(box, FPSZ());
}

bool CDibCore::getBox(sBox &box) const
{
    box = {0, 0, width(), height()};
    return isEnable();
}

static uint32_t fillInfoHeader(tagBITMAPINFOHEADER &info, int32_t w, int32_t h, uint16_t bits,
                               uint32_t rowBytes, int32_t dpi)
{
    info = tagBITMAPINFOHEADER{};
    info.biSize = sizeof(tagBITMAPINFOHEADER);
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = bits;
    info.biCompression = BI_RGB;
    info.biSizeImage = rowBytes * uint32_t(h);
    info.biXPelsPerMeter = dpiToPelsPerMeter(dpi);
    info.biYPelsPerMeter = info.biXPelsPerMeter;
    return rowBytes;
}

uint32_t CDibCore::setupInfoHeader8(tagBITMAPINFOHEADER &info, uint32_t col, int32_t dpi) const
{
    const uint32_t row = (uint32_t(width()) + 3) & ~3u;
    fillInfoHeader(info, width(), height(), 8, row, dpi);
    info.biClrUsed = col;
    return row;
}

uint32_t CDibCore::setupInfoHeader24(tagBITMAPINFOHEADER &info, int32_t dpi) const
{
    return fillInfoHeader(info, width(), height(), 24, (uint32_t(width()) * 3 + 3) & ~3u, dpi);
}

uint32_t CDibCore::setupInfoHeader32(tagBITMAPINFOHEADER &info, int32_t dpi) const
{
    return fillInfoHeader(info, width(), height(), 32, uint32_t(width()) * 4, dpi);
}

bool CDibCore::imageBytes(int32_t x, int32_t y, uint32_t bpp, size_t &bytes)
{
    if (x < 0 || y < 0)
        return false;
    const uint64_t n = uint64_t(x) * uint64_t(y) * bpp;
    if (n > uint64_t(std::numeric_limits<int32_t>::max()))
        return false;
    bytes = size_t(n);
    return true;
}

std::unique_ptr<uint8_t[]> CDibCore::allocBlock(size_t bytes)
{
    if (bytes == 0)
        return nullptr;
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[bytes]);
}

void CDibCore::adoptBuffer(std::unique_ptr<uint8_t[]> mem, int32_t x, int32_t y)
{
    m_bufferMem = std::move(mem);
    m_tcd.m_pBuffer = m_bufferMem.get();
    m_tcd.m_dwWidth = x;
    m_tcd.m_dwHeight = y;
}

std::unique_ptr<uint8_t[]> CDibCore::releaseBuffer()
{
    m_tcd.m_pBuffer = nullptr;
    return std::move(m_bufferMem);
}

bool CDibCore::buildRowTable(int32_t rowBytes, bool bottomUp)
{
    const int32_t h = m_tcd.m_dwHeight;
    m_tableMem.reset();
    m_tcd.m_pTable = nullptr;
    if (h <= 0)
        return true;
    m_tableMem.reset(new (std::nothrow) int32_t[size_t(h)]);
    if (!m_tableMem)
        return false;
    for (int32_t y = 0; y < h; ++y)
        m_tableMem[y] = (bottomUp ? h - 1 - y : y) * rowBytes;
    m_tcd.m_pTable = m_tableMem.get();
    return true;
}

bool dibIsEnable(const CDibCore *image)
{
    return image != nullptr && image->isEnable();
}

namespace {
// One axis of clipBlt: an origin o with length len, clipped to [0, limit), moving the partner
// origin p by what is cut from the front. 64-bit arithmetic so that extreme boxes cannot wrap.
bool clipAxis(int32_t limit, int32_t &o, int32_t &p, int32_t &len)
{
    int64_t o64 = o, p64 = p, l64 = len;
    if (o64 >= limit || o64 + l64 <= 0)
        return false;
    if (o64 < 0) {
        l64 += o64;
        p64 -= o64;
        o64 = 0;
    }
    if (o64 + l64 > limit)
        l64 = limit - o64;
    if (l64 <= 0 || p64 > std::numeric_limits<int32_t>::max())
        return false;
    o = int32_t(o64);
    p = int32_t(p64);
    len = int32_t(l64);
    return true;
}
} // namespace

bool clipBlt(const sSize &dstSize, const sSize &srcSize, sPos &dpos, sBox &box)
{
    return clipAxis(srcSize.x, box.x, dpos.x, box.w) && clipAxis(srcSize.y, box.y, dpos.y, box.h) &&
           clipAxis(dstSize.x, dpos.x, box.x, box.w) && clipAxis(dstSize.y, dpos.y, box.y, box.h);
}
