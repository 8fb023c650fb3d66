// What the two tiled images with a view per block (the layer image and the mask image) share:
// the view class of a block, and a tiled base whose blocks are 2^Shift pixels square, of
// PixelBytes bytes per pixel, each carrying a View over its memory.
#pragma once

#include "core/tiles/block_image.h"
#include "core/image/dib_core.h"

#include <array>
#include <cstdint>
#include <memory>
#include <new>

// The view of one block: a Base (a canvas or a channel) of the block's size whose pixels are the
// block's memory (none while the block is uncommitted), rows through the image's shared row
// table. It owns nothing.
template <class Base> class TBlockView : public Base
{
  public:
    TBlockView(SBlockPack *pack, int32_t *ytbl) : blockPack(pack)
    {
        this->m_tcd.m_dwWidth = pack->size.x;
        this->m_tcd.m_dwHeight = pack->size.y;
        this->m_tcd.m_pTable = ytbl;
        this->m_tcd.m_pBuffer = nullptr;
    }

    // Forgets the pixel pointer, the row table and the size; frees nothing.
    void freeMembers() override { this->m_tcd = TCDataStruct{}; }
    // A view has the block's size for life.
    bool Resize(int32_t, int32_t) override { return false; }
    uint32_t getImageDataBytes() const override { return blockPack->vLength; }
    int32_t getSkipLineSize() const override { return blockPack->size.x; }

    // Points the view at the block's memory.
    void commit(void *ptr) { this->m_tcd.m_pBuffer = static_cast<uint8_t *>(ptr); }
    // Clears the pixel pointer and returns the old one.
    void *decommit()
    {
        void *old = this->m_tcd.m_pBuffer;
        this->m_tcd.m_pBuffer = nullptr;
        return old;
    }

    SBlockPack *blockPack;
};

// The tiled base of an image whose every block carries a View. Blocks are found from pixel
// coordinates with unsigned shifts, so negative coordinates find no block.
template <class View, int32_t Shift, uint32_t PixelBytes> class CBlockViewImage : public CBlockImage
{
  public:
    static constexpr int32_t kShift = Shift;
    static constexpr int32_t kUnit = 1 << Shift;

    bool isEnable() const override { return enable; }

    // Detaches the view, then releases the memory; the caller sets the uniform value.
    bool decommitBlock(SBlockPack &pack) override
    {
        if (pack.commit && pack.obj)
            view(pack).decommit();
        return CBlockImage::decommitBlock(pack);
    }
    // The record of the block holding pixel (x, y); with need it is committed first. nullptr
    // outside the grid.
    SBlockPack *seekBlock(int32_t x, int32_t y, bool need)
    {
        return seekBlockBP(int32_t(uint32_t(x) >> kShift), int32_t(uint32_t(y) >> kShift), need);
    }
    const SBlockPack *seekBlock(int32_t x, int32_t y) const
    {
        return seekBlockBP(int32_t(uint32_t(x) >> kShift), int32_t(uint32_t(y) >> kShift));
    }
    // The view of a block.
    static View &view(const SBlockPack &pack) { return static_cast<View &>(*pack.obj); }

  protected:
    // The geometry and the shared row table; the descendant's constructor builds the blocks.
    CBlockViewImage(int32_t w, int32_t h) : CBlockImage(w, h, PixelBytes, Shift)
    {
        for (int32_t i = 0; i < kUnit; ++i)
            ytblArray[size_t(i)] = i * kUnit * int32_t(PixelBytes);
    }

    // Gives a fresh record the uniform value bg and its view; a record that has one is left.
    bool initView(SBlockPack &pack, uint32_t bg)
    {
        if (pack.obj)
            return true;
        pack.bgCol.all = bg;
        try {
            pack.obj = std::make_unique<View>(&pack, ytblArray.data());
        } catch (const std::bad_alloc &) {
            return false;
        }
        return true;
    }
    // Commits the block holding (x, y) or answers nullptr.
    SBlockPack *needBlock(int32_t x, int32_t y)
    {
        SBlockPack *pack = seekBlock(x, y, false);
        return pack && commitBlock(*pack) ? pack : nullptr;
    }
    // Commits every block under the area; false when one cannot be had.
    bool commitArea(const sBox &area)
    {
        return splitBoxAtBlocks(area, kShift,
                                [this](const sBox &piece) { return needBlock(piece.x, piece.y); });
    }
    // The full square of a block in image pixels (not cut at the image edge).
    static sRect blockSquare(const SBlockPack &pack)
    {
        const int32_t x = pack.bpos.x * kUnit, y = pack.bpos.y * kUnit;
        return {x, y, x + kUnit, y + kUnit};
    }
    // v clamped into 0..n - 1 (edge replication); n > 0.
    static int32_t clampTo(int32_t v, int32_t n) { return v < 0 ? 0 : (v >= n ? n - 1 : v); }

    std::array<int32_t, kUnit> ytblArray{};
};

// Grows r to hold other; any tells whether r holds anything yet and becomes true.
inline void uniteRect(sRect &r, bool &any, const sRect &other)
{
    if (!any)
        r = other;
    else
        rectUnion(r, other);
    any = true;
}
