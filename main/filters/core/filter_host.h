// What the filter core needs of the document and of its window. The filters never include the
// document or window classes: the command layer installs an implementation over the real
// document (and, when there is one, its window); tests use a fake.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/blend_modes.h"
#include "document/events/filter_records.h"

#include <cstdint>
#include <memory>
#include <optional>

class CBlockVMTC;
class CMaskData;
class TChannel;
class TMTC;

// The layer as the filters see it.
struct SFilterLayerView
{
    CBlockVMTC *image = nullptr; // the layer's pixels, written by the filter; not owned
    TLayerMode mode = TLayerMode::LM_STD;
    sPos viewPos;               // layer pixel = document position + viewPos
    bool maskProtected = false; // the layer keeps its transparency
    int32_t uniqueID = 0;       // what the undo entry names the layer by
};

class IFilterHost
{
  public:
    virtual ~IFilterHost() = default;

    // ---- the document
    // The layer at idx; nothing for a bad index.
    virtual std::optional<SFilterLayerView> layer(int32_t idx) = 0;
    // The active selection mask (possibly without image) and its index; nullptr when the
    // document has none.
    virtual CMaskData *activeMask() = 0;
    virtual int32_t activeMaskIndex() = 0;
    // The flow image's canvas (the layer's pixels before the filter, at least the layer's size)
    // and its alpha channel.
    virtual TMTC *flowCanvas() = 0;
    virtual TChannel *flowAlpha() = 0;
    // Pushes the filter's undo entry (udcnImageFilter, n0 idx, n1 uid). On true the entry has
    // taken the backup out of the pointer; on false the pointer still holds it.
    virtual bool pushUndo(std::unique_ptr<CBlockVMTC> &backup, int32_t idx, int32_t uid) = 0;
    // Records one filter event (the recorder refuses codes outside the record's group).
    virtual void pushEventFilter0(int32_t idx, int32_t midx, uint8_t code) = 0;
    virtual void pushEventFilter2(int32_t idx, int32_t midx, uint8_t code, const sFltObj2 &rec) = 0;
    virtual void pushEventFilter4(int32_t idx, int32_t midx, uint8_t code, const sFltObj4 &rec) = 0;
    virtual void pushEventFilter6(int32_t idx, int32_t midx, uint8_t code, const sFltObj6 &rec) = 0;
    // The packet header is made with layer idx, mask midx, the record's eachLen and count, and
    // its eight cells; the packet's data is the record's block.
    virtual void pushEventFilterComplex(int32_t idx, int32_t midx, uint8_t code,
                                        const sFltObjComplex &rec) = 0;
    // The file textures as image packets, then the floor parameters.
    virtual void pushEventFilterFloor(int32_t idx, int32_t midx, const SFltFloor &rec) = 0;
    // The layer's thumbnail.
    virtual void updatePreview(int32_t idx) = 0;
    // Copies the layer into the flow image (opacity 255) and clears the flow's alpha.
    virtual void refreshFlow(int32_t idx) = 0;
    // Recomposes and repaints the layer inside r (document coordinates; nullptr: all); prv also
    // refreshes the previews there.
    virtual void dispatchViewFast(int32_t idx, const sRect *r, bool prv) = 0;

    // ---- the window (absent in a headless replay)
    // The part of the document the window shows; false without a window.
    virtual bool viewRect(sRect &r) = 0;
    virtual void setModified(bool modified) = 0;
    // The tool window's navigator and layer views.
    virtual void updateToolViews() = 0;
};
