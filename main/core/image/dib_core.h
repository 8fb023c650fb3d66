// The in-memory pixel buffer under every plain image (8-bit channels, 32-bit canvases, display
// canvases): a size, one block of pixel memory and a table of row offsets, plus the BMP header
// records that the image writers and readers share.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// BMP file records, packed little-endian exactly as they stand in a file.
#pragma pack(push, 1)
struct tagBITMAPFILEHEADER
{
    uint16_t bfType = 0;
    uint32_t bfSize = 0;
    uint16_t bfReserved1 = 0;
    uint16_t bfReserved2 = 0;
    uint32_t bfOffBits = 0;
};

struct tagBITMAPINFOHEADER
{
    uint32_t biSize = 0;
    int32_t biWidth = 0;
    int32_t biHeight = 0; // positive: rows stored bottom-up
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
#pragma pack(pop)

static_assert(sizeof(tagBITMAPFILEHEADER) == 14 && sizeof(tagBITMAPINFOHEADER) == 40);
static_assert(std::is_trivially_copyable_v<tagBITMAPINFOHEADER>);

constexpr uint16_t BMP_FILE_TAG = 0x4D42; // "BM"
constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_BITFIELDS = 3;

// Pixels per metre for a resolution in dots per inch: trunc(dpi * 100 / 2.54).
int32_t dpiToPelsPerMeter(int32_t dpi);
// The resolution of a BMP information header in dots per inch: trunc(ppm * 2.54 / 100 + 0.41)
// for the header sizes 40, 108 and 124; 0 for any other header (2835 ppm give 72, 3780 give 96).
int32_t dpiFromInfoHeader(const tagBITMAPINFOHEADER &info);

// The addressing view of an image: pixel (x, y) lies at m_pBuffer + m_pTable[y] + x * bytes per
// pixel. Neither pointer owns.
struct TCDataStruct
{
    int32_t m_dwWidth = 0;
    int32_t m_dwHeight = 0;
    uint8_t *m_pBuffer = nullptr;
    int32_t *m_pTable = nullptr;
};

// The address of a byte pixel; no bounds test (callers clip first).
inline uint8_t *tcdSeek8(const TCDataStruct &d, int32_t x, int32_t y) noexcept
{
    return d.m_pBuffer + d.m_pTable[y] + x;
}

// The address of a 32-bit pixel; no bounds test (callers clip first).
inline sBGRA *tcdSeek32(const TCDataStruct &d, int32_t x, int32_t y) noexcept
{
    return reinterpret_cast<sBGRA *>(d.m_pBuffer + d.m_pTable[y]) + x;
}

// Abstract pixel buffer. An empty image is 0 x 0 with no memory; a usable one (isEnable) has
// both its pixel block and its row table. The row table holds, for every row y, the byte offset of
// the row's first pixel from the start of the block, so that top-down and bottom-up images are
// walked by the same loops.
class CDibCore
{
  public:
    CDibCore() = default;
    virtual ~CDibCore() = default;
    CDibCore(const CDibCore &) = delete;
    CDibCore &operator=(const CDibCore &) = delete;

    // Frees the pixels and the row table; the image becomes 0 x 0.
    virtual void freeMembers();
    void freeImage() { freeMembers(); }
    // Pixel memory and row table both exist.
    virtual bool isEnable() const;

    // Reallocates for x * y pixels; contents are undefined unless the image says otherwise.
    virtual bool Resize(int32_t x, int32_t y) = 0;
    bool Resize(const sSize &sz) { return Resize(sz.x, sz.y); }
    virtual uint32_t getImageDataBytes() const = 0;
    virtual uint32_t getPixelBytes() const = 0;
    // Signed step in pixels from a row to row y + 1: positive when the rows run top-down.
    virtual int32_t getSkipLineSize() const = 0;
    // Address of pixel (x, y); no bounds test.
    virtual void *seek(int32_t x, int32_t y) const = 0;

    bool isTopDown() const { return getSkipLineSize() > 0; }
    // seek with x and y clamped into the image; nullptr when the image is not usable.
    void *seekInside(int32_t x, int32_t y) const;
    // Intersect in place with (0, 0, width, height); true when something remains.
    bool clipping(sRect &r) const;
    bool clipping(sBox &box) const;
    // (0, 0, width, height); answers isEnable.
    bool getBox(sBox &box) const;

    // Fill a BMP information header for this image (positive height: bottom-up rows) and return
    // the size of one row in bytes.
    uint32_t setupInfoHeader8(tagBITMAPINFOHEADER &info, uint32_t col, int32_t dpi) const;
    uint32_t setupInfoHeader24(tagBITMAPINFOHEADER &info, int32_t dpi) const;
    uint32_t setupInfoHeader32(tagBITMAPINFOHEADER &info, int32_t dpi) const;

    int32_t width() const { return m_tcd.m_dwWidth; }
    int32_t height() const { return m_tcd.m_dwHeight; }
    // Width and height as one size record.
    sSize FPSZ() const { return {m_tcd.m_dwWidth, m_tcd.m_dwHeight}; }
    // The addressing view of the first four fields.
    const TCDataStruct &FTCDS() const { return m_tcd; }
    // Start of the pixel block (nullptr when empty). For a bottom-up image this is the last row.
    uint8_t *buffer() const { return m_tcd.m_pBuffer; }
    const int32_t *table() const { return m_tcd.m_pTable; }

  protected:
    // Byte count of x * y pixels of bpp bytes; false for a negative size or one whose byte
    // offsets do not fit the 32-bit row table.
    static bool imageBytes(int32_t x, int32_t y, uint32_t bpp, size_t &bytes);
    // Takes ownership of a pixel block for an image of x * y pixels, already sized by the caller.
    void adoptBuffer(std::unique_ptr<uint8_t[]> mem, int32_t x, int32_t y);
    // Allocates and fills the row table for rows of rowBytes bytes; false when out of memory.
    bool buildRowTable(int32_t rowBytes, bool bottomUp);
    // A new uninitialised block, or nullptr when out of memory (or 0 bytes).
    static std::unique_ptr<uint8_t[]> allocBlock(size_t bytes);
    std::unique_ptr<uint8_t[]> releaseBuffer();

    TCDataStruct m_tcd;

  private:
    std::unique_ptr<uint8_t[]> m_bufferMem;
    std::unique_ptr<int32_t[]> m_tableMem;
};

// The image exists and is usable.
bool dibIsEnable(const CDibCore *image);

// Clips a copy of box (in an image of srcSize) to dpos (in an image of dstSize): first the box
// against the source, then the destination position against the destination, each side moving
// the other. True when something remains.
bool clipBlt(const sSize &dstSize, const sSize &srcSize, sPos &dpos, sBox &box);
