// The filter core: one pixel function bound to one layer for the length of one filter run. The
// core takes a backup of the layer, works out the effect rectangle, runs the pixel function over
// a destination rectangle, keeps the live preview honest by restoring what the last preview
// changed, applies the filter to the whole effect rectangle, refreshes the document, records the
// event and pushes the undo entry. It reaches the document and the window through IFilterHost.
//
// The pixel-function contract (fptrFilter4):
// 1. It answers false and changes nothing unless checkFlt4Params passes and args equals the size
//    constant of its own record (0 for filters without one).
// 2. It writes only pixels of layerTC inside dstRect, each weighted by fnEffectMask, and reads its
//    source from bkupTC or flowTC (or, looking at one pixel at a time, the pixel itself).
// 3. What depends on position (centres, grids, random sequences) comes from maskRect, never from
//    dstRect, so that filtering a part of the effect rectangle gives there what the whole gives.
// 4. It keeps the layer's alpha when layerPrt is set.
// 5. A path that changes no pixel at all (an amount of 0, a turn by a multiple of 360 degrees...)
//    sets unchanged and answers true: the core then records nothing and pushes no undo.
// 6. Untrusted records: a value that would divide by zero, make a loop or buffer unbounded, or a
//    non-finite Single makes the function answer false before any pixel is written.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/blend_modes.h"
#include "document/events/filter_records.h"
#include "filters/core/filter_host.h"

#include <cstdint>
#include <memory>

class CBlockVMTC;
class CMaskData;
class TChannel;
class TMTC;

// The weight 0..255 of layer pixel (x, y) under the selection.
using fptrEffectMaskOnLayer = int32_t (*)(const CMaskData *mask, const sPos *layerPos, int32_t x,
                                          int32_t y);

// The mask value at the document position of the layer pixel; 0 outside the mask image.
int32_t effectMaskOnLayer(const CMaskData *mask, const sPos *layerPos, int32_t x, int32_t y);
// 255 everywhere: a selection without content.
int32_t effectMaskNone(const CMaskData *mask, const sPos *layerPos, int32_t x, int32_t y);

// What a pixel function is given.
struct sFlt4Params
{
    CBlockVMTC *layerTC = nullptr;        // the layer image that is written
    TLayerMode layerMode = TLayerMode::LM_STD;
    sPos layerPos;                        // the layer's viewPos
    bool layerPrt = false;                // the layer keeps its transparency
    const CMaskData *maskData = nullptr;  // the active selection
    sRect maskRect;                       // the effect rectangle, layer coordinates
    const CBlockVMTC *bkupTC = nullptr;   // the untouched backup of the layer
    TMTC *flowTC = nullptr;               // the source: the layer's pixels before the filter
    TChannel *flowCh = nullptr;           // the flow image's alpha channel (scratch)
    sRect dstRect;                        // the pixels to write, inside maskRect
    fptrEffectMaskOnLayer fnEffectMask = nullptr;
    bool unchanged = false;               // set by the function: nothing was changed
    // The weight of layer pixel (x, y).
    int32_t maskWeight(int32_t x, int32_t y) const { return fnEffectMask(maskData, &layerPos, x, y); }
};

// The pixel function: (params, its record or nullptr, the record's size constant). argp points
// at the record's own type: sFltObj2/4/6, sFltObjComplex (with its block), sFltObjGradientMap or
// SFltFloor.
using fptrFilter4 = bool (*)(sFlt4Params &params, const void *argp, int32_t args);

// Everything set, both rectangles with x1 > x0 and y1 > y0 (a rectangle inverted on both axes is
// refused, though its area product is positive), maskRect inside the layer image, dstRect inside
// maskRect, the backup of the layer's size and the flow canvas at least as large.
bool checkFlt4Params(const sFlt4Params &params);

// A new copy of the image in backup; any exception (or a copy that could not be made) gives
// false and leaves backup empty.
bool backupLayerImage(std::unique_ptr<CBlockVMTC> &backup, const CBlockVMTC &image);

// After a filter has changed layer idx: the window marked modified, the layer's thumbnail, the
// flow image refreshed from the layer, the effect rectangle repainted, the tool views updated.
void refreshAfterFilter(IFilterHost &host, int32_t idx);

class CFlt4Core
{
  public:
    CFlt4Core();
    // The core for layer idx of the host's document; callers ask CheckParams.
    CFlt4Core(IFilterHost &host, int32_t idx, fptrFilter4 fn, bool undo);
    CFlt4Core(const CFlt4Core &) = delete;
    CFlt4Core &operator=(const CFlt4Core &) = delete;
    // Frees the backup if the core still owns it.
    ~CFlt4Core();

    void InitParams();
    // Binds the layer, the active mask and the effect rectangle, attaches fn, takes the backup.
    // False for a bad layer, an empty selection or one that misses the layer, or a backup that
    // could not be made.
    bool SetParams(IFilterHost &host, int32_t idx, fptrFilter4 fn, bool undo);
    bool CheckParams() const;
    void AttachFilter(fptrFilter4 fn) { fnFilter = fn; }

    // The pixel function over the effect rectangle, cut to viewRect (layer coordinates) when
    // given.
    bool Filter(const void *argp, int32_t args, const sRect *viewRect);
    // The live preview over the part of the effect rectangle the window shows.
    bool Updates(const void *argp, int32_t args);
    void AddDirtyRect(const sRect &rect);
    // Copies the backup back over what previews changed; out receives that rectangle in document
    // coordinates. False, nothing done, when no preview is pending.
    bool Recovery(sRect *out);
    // Recovery, then repaints the restored rectangle when updt is set.
    bool Revert(bool updt);

    // The apply over the whole effect rectangle, then refresh, event and undo (with Push).
    bool EventFilter(uint8_t code);
    bool EventFilter(uint8_t code, const sFltObj2 &rec);
    bool EventFilter(uint8_t code, const sFltObj4 &rec);
    bool EventFilter(uint8_t code, const sFltObj6 &rec);
    bool EventFilter(uint8_t code, const sFltObjComplex &rec);
    bool EventFilter(uint8_t code, const SFltFloor &rec);

    void PushEvent(uint8_t code);
    void PushEvent(uint8_t code, const sFltObj2 &rec);
    void PushEvent(uint8_t code, const sFltObj4 &rec);
    void PushEvent(uint8_t code, const sFltObj6 &rec);
    void PushEvent(uint8_t code, const sFltObjComplex &rec);
    void PushEvent(uint8_t code, const SFltFloor &rec);
    // Hands the backup to the undo entry; the core keeps it when the push fails.
    bool PushUndo();

    // Record the event and push undo after applying.
    bool Push = true;

    IFilterHost *host() const { return FHost; }
    int32_t layerIndex() const { return FLayerIndex; }
    const SFilterLayerView &layerView() const { return FLayer; }
    CMaskData *maskData() const { return FMaskData; }
    const sRect &maskRect() const { return FMaskRect; }
    const CBlockVMTC *backup() const { return FBkupTC.get(); }
    bool isDirty() const { return FDirty; }
    const sRect &dirtyRect() const { return DirtyRect; }

  private:
    // Fills params (false when CheckParams fails).
    bool buildFlt4Params(sFlt4Params &params, const sRect *viewRect) const;
    // Builds the params and runs the pixel function; params tells whether anything changed.
    bool run(sFlt4Params &params, const void *argp, int32_t args, const sRect *viewRect);
    // The apply shared by the overloads: push(this) records the event.
    template <class Push> bool apply(const void *argp, int32_t args, Push push);

    IFilterHost *FHost = nullptr;
    int32_t FLayerIndex = -1;
    SFilterLayerView FLayer;
    CMaskData *FMaskData = nullptr;
    sRect FMaskRect;
    std::unique_ptr<CBlockVMTC> FBkupTC;
    bool FDirty = false;
    sRect DirtyRect;
    fptrFilter4 fnFilter = nullptr;
};
