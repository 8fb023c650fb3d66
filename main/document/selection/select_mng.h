// The selection store of documents made by a version-1.1 event stream: 32 slots, each an 8-bit
// channel of the document size with a small preview and a marching-ants outline. The replay of
// that format draws a polygon into the active slot, paints through it and disables the slot
// again. Documents made any other way keep their selections in the mask list instead.
#pragma once

#include "core/base/geometry.h"
#include "core/image/channel.h"
#include "core/image/display_canvas.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// How a new shape would combine with a slot; every shape replaces the slot whatever the mode.
enum class TBoolMode : uint8_t
{
    BM_EQL,
    BM_ADD,
    BM_SUB,
    BM_XOR,
    BM_AND,
};

struct TAntsBuf
{
    int32_t x = 0;
    int32_t y = 0;
    bool ifRow = false;
};

// The marching-ants outline of a slot. The outline is never captured in this program, so it stays
// empty and nothing draws it.
class TAnts
{
  public:
    TAnts() = default;
    TAnts(const TAnts &) = delete;
    TAnts &operator=(const TAnts &) = delete;

    // Takes a channel to outline; leaves the outline empty.
    void GetRegion(const TChannel &ch);
    int32_t count() const { return m_bufnum; }

    int32_t m_bufnum = 0;
    std::vector<TAntsBuf> m_antbuf;
    int32_t m_limitx = 0, m_limity = 0;
    int32_t m_ofsx = 0, m_ofsy = 0;
    float m_rot = 0;
    float m_mul = 1;
};

// One slot. The store owns the objects; Select() hands out borrowed pointers.
struct TSelect
{
    TChannel *image = nullptr;
    TTC *preview = nullptr;
    TAnts *ants = nullptr;
    bool disabled = true;
};

class TSelectMng
{
  public:
    static constexpr int32_t kSlotCount = 32;
    static constexpr int32_t kPreviewEdge = 48;

    // Slot 0 gets a channel of the document size (all 0), a white preview and is disabled.
    // Throws std::bad_alloc when they cannot be made.
    TSelectMng(int32_t width, int32_t height);
    TSelectMng(const TSelectMng &) = delete;
    TSelectMng &operator=(const TSelectMng &) = delete;

    // The preview size for a document of w x h: the long side 48, the short side
    // trunc(short * f) + 1 with f = 48 / long held in single precision.
    static sSize previewSize(int32_t w, int32_t h);

    // New document size: the channels of slots 0 .. active resized, then the active slot gets a
    // new channel, outline and preview and is disabled. False when memory runs out.
    bool Resize(int32_t width, int32_t height);
    // True for a slot without a selection; a slot index outside 0..31 answers true.
    bool SelectDisabled(int32_t index) const;
    // Draws the closed polygon (255 inside) into the slot, which then holds a selection. False
    // for a slot without a channel, fewer than 3 points or when memory runs out.
    bool EventSelectPoly(int32_t index, std::span<const sPos> points, TBoolMode bm);
    // The active slot.
    TSelect Select() const;
    // The slot holds no selection again: its channel all 0, its preview white.
    bool EventSelectDisabled(int32_t index);

    int32_t width() const { return m_width; }
    int32_t height() const { return m_height; }
    int32_t activeSelect() const { return int32_t(m_activeSelect); }
    int32_t maxSelect() const { return int32_t(m_maxSelect); }
    // The slot's parts (nullptr where missing; a bad index gives nullptr).
    const TChannel *slotImage(int32_t index) const;
    const TTC *slotPreview(int32_t index) const;

  private:
    struct Slot
    {
        std::unique_ptr<TChannel> image;
        std::unique_ptr<TTC> preview;
        std::unique_ptr<TAnts> ants = std::make_unique<TAnts>();
        bool disabled = true;
    };
    // A fresh channel, outline and white preview for the document size; the slot disabled.
    void initSlot(Slot &s) const;
    bool slotOk(int32_t index) const { return index >= 0 && index < kSlotCount; }

    int32_t m_width;
    int32_t m_height;
    uint32_t m_maxSelect = 0;
    uint32_t m_activeSelect = 0;
    std::array<Slot, kSlotCount> m_select;
};
