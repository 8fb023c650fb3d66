#include "filters/core/filter_core.h"

#include "core/image/canvas.h"
#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "document/selection/effect_rect.h"
#include "platform/desktop/cursor.h"

#include <exception>

// ---------------------------------------------------------------------------------------------
// Selection weights and the check

int32_t effectMaskOnLayer(const CMaskData *mask, const sPos *layerPos, int32_t x, int32_t y)
{
    // getMaskValue answers -1 outside the mask image: there the pixel is not selected.
    const int32_t v = mask->getMaskValue(x - layerPos->x, y - layerPos->y);
    return v < 0 ? 0 : v;
}

int32_t effectMaskNone(const CMaskData *, const sPos *, int32_t, int32_t)
{
    return 255;
}

namespace {

bool hasArea(const sRect &r)
{
    return r.x1 > r.x0 && r.y1 > r.y0;
}

bool rectInside(const sRect &inner, const sRect &outer)
{
    return inner.x0 >= outer.x0 && inner.y0 >= outer.y0 && inner.x1 <= outer.x1 &&
           inner.y1 <= outer.y1;
}

} // namespace

bool checkFlt4Params(const sFlt4Params &p)
{
    if (!p.layerTC || !p.maskData || !p.bkupTC || !p.flowTC || !p.flowCh || !p.fnEffectMask)
        return false;
    if (!hasArea(p.maskRect) || !hasArea(p.dstRect))
        return false;
    const sSize size = p.layerTC->FPSZ();
    return rectInside(p.maskRect, rectFromSize(size)) && rectInside(p.dstRect, p.maskRect) &&
           p.bkupTC->FPSZ() == size && p.flowTC->width() >= size.x &&
           p.flowTC->height() >= size.y;
}

bool backupLayerImage(std::unique_ptr<CBlockVMTC> &backup, const CBlockVMTC &image)
{
    backup.reset();
    try {
        auto copy = std::make_unique<CBlockVMTC>(image);
        if (!copy->isEnable())
            return false;
        backup = std::move(copy);
        return true;
    } catch (...) {
        return false;
    }
}

void refreshAfterFilter(IFilterHost &host, int32_t idx)
{
    host.setModified(true);
    host.updatePreview(idx);
    host.refreshFlow(idx);
    if (const auto ld = host.layer(idx)) {
        sRect r;
        if (getEffectViewRect(ld->image, ld->viewPos, host.activeMask(), r))
            host.dispatchViewFast(idx, &r, true);
    }
    host.updateToolViews();
}

// ---------------------------------------------------------------------------------------------
// CFlt4Core: set-up

CFlt4Core::CFlt4Core()
{
    InitParams();
}

CFlt4Core::CFlt4Core(IFilterHost &host, int32_t idx, fptrFilter4 fn, bool undo)
{
    InitParams();
    SetParams(host, idx, fn, undo);
}

CFlt4Core::~CFlt4Core() = default;

void CFlt4Core::InitParams()
{
    FHost = nullptr;
    FLayerIndex = -1;
    FLayer = {};
    FMaskData = nullptr;
    FMaskRect = {};
    FBkupTC.reset();
    Push = true;
    FDirty = false;
    DirtyRect = {};
    fnFilter = nullptr;
}

bool CFlt4Core::SetParams(IFilterHost &host, int32_t idx, fptrFilter4 fn, bool undo)
{
    FHost = &host;
    FLayerIndex = idx;
    const auto ld = host.layer(idx);
    if (!ld || !ld->image)
        return false;
    FLayer = *ld;
    FMaskData = host.activeMask();
    if (!getEffectRect(FLayer.image, FLayer.viewPos, FMaskData, FMaskRect))
        return false;
    AttachFilter(fn);
    Push = undo;
    if (!backupLayerImage(FBkupTC, *FLayer.image))
        return false;
    return CheckParams();
}

bool CFlt4Core::CheckParams() const
{
    return FHost && FLayer.image && FMaskData && fnFilter && FBkupTC && FLayerIndex >= 0;
}

// ---------------------------------------------------------------------------------------------
// Running the pixel function

bool CFlt4Core::buildFlt4Params(sFlt4Params &p, const sRect *viewRect) const
{
    if (!CheckParams())
        return false;
    p.layerTC = FLayer.image;
    p.layerMode = FLayer.mode;
    p.layerPos = FLayer.viewPos;
    p.layerPrt = FLayer.maskProtected;
    p.maskData = FMaskData;
    p.maskRect = FMaskRect;
    p.bkupTC = FBkupTC.get();
    p.flowTC = FHost->flowCanvas();
    p.flowCh = FHost->flowAlpha();
    p.dstRect = FMaskRect;
    // A view that misses the effect rectangle leaves nothing to write (the intersection may
    // leave the rectangle half clipped when it fails).
    if (viewRect && !rectIntersect(p.dstRect, *viewRect))
        p.dstRect = {};
    p.fnEffectMask = CMaskData::hasMask(FMaskData) ? effectMaskOnLayer : effectMaskNone;
    p.unchanged = false;
    return true;
}

bool CFlt4Core::run(sFlt4Params &params, const void *argp, int32_t args, const sRect *viewRect)
{
    return buildFlt4Params(params, viewRect) && fnFilter(params, argp, args);
}

bool CFlt4Core::Filter(const void *argp, int32_t args, const sRect *viewRect)
{
    sFlt4Params params;
    return run(params, argp, args, viewRect);
}

// ---------------------------------------------------------------------------------------------
// Preview

void CFlt4Core::AddDirtyRect(const sRect &rect)
{
    if (FDirty) {
        rectUnion(DirtyRect, rect);
        FDirty = hasArea(DirtyRect);
    } else {
        DirtyRect = rect;
        FDirty = true;
    }
}

bool CFlt4Core::Recovery(sRect *out)
{
    if (!FDirty)
        return false;
    if (FLayer.image && FBkupTC)
        FLayer.image->copyArea(*FBkupTC, DirtyRect.p0(), rectToBox(DirtyRect));
    if (out) {
        *out = DirtyRect;
        rectOffset(*out, -FLayer.viewPos.x, -FLayer.viewPos.y);
    }
    DirtyRect = {};
    FDirty = false;
    return true;
}

bool CFlt4Core::Revert(bool updt)
{
    sRect r;
    if (!Recovery(&r))
        return false;
    if (updt && FHost)
        FHost->dispatchViewFast(FLayerIndex, &r, false);
    return true;
}

bool CFlt4Core::Updates(const void *argp, int32_t args)
{
    WaitCursor wait;
    sRect restored;
    const bool wasRestored = Recovery(&restored);
    // A refused preview still repaints what was just put back, or the window would go on
    // showing the previous preview over a layer that no longer holds it.
    const auto refuse = [&] {
        if (wasRestored && FHost)
            FHost->dispatchViewFast(FLayerIndex, &restored, false);
        return false;
    };
    sRect view;
    if (!CheckParams() || !FHost->viewRect(view))
        return refuse();
    sRect r = view;
    rectOffset(r, FLayer.viewPos.x, FLayer.viewPos.y);
    if (!Filter(argp, args, &r))
        return refuse();
    AddDirtyRect(r);
    rectOffset(r, -FLayer.viewPos.x, -FLayer.viewPos.y);
    if (rectIntersect(r, view))
        FHost->dispatchViewFast(FLayerIndex, &r, false);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Apply, event and undo

template <class PushFn> bool CFlt4Core::apply(const void *argp, int32_t args, PushFn push)
{
    WaitCursor wait;
    sFlt4Params params;
    if (!run(params, argp, args, nullptr))
        return false;
    // A filter that changed nothing records no event and pushes no undo.
    if (params.unchanged)
        return true;
    refreshAfterFilter(*FHost, FLayerIndex);
    if (Push) {
        // The event goes first: if undo is off and the push fails, the layer stays filtered and
        // a replay must reproduce that change.
        push();
        PushUndo();
    }
    return true;
}

bool CFlt4Core::EventFilter(uint8_t code)
{
    return apply(nullptr, 0, [&] { PushEvent(code); });
}

bool CFlt4Core::EventFilter(uint8_t code, const sFltObj2 &rec)
{
    return apply(&rec, kFltObj2Size, [&] { PushEvent(code, rec); });
}

bool CFlt4Core::EventFilter(uint8_t code, const sFltObj4 &rec)
{
    return apply(&rec, kFltObj4Size, [&] { PushEvent(code, rec); });
}

bool CFlt4Core::EventFilter(uint8_t code, const sFltObj6 &rec)
{
    return apply(&rec, kFltObj6Size, [&] { PushEvent(code, rec); });
}

bool CFlt4Core::EventFilter(uint8_t code, const sFltObjComplex &rec)
{
    // The event carries count x eachLen bytes of the block: a shorter block cannot be recorded.
    if (rec.data.size() < size_t(uint16_t(uint32_t(rec.count) * rec.eachLen)))
        return false;
    return apply(&rec, kFltObjComplexSize, [&] { PushEvent(code, rec); });
}

bool CFlt4Core::EventFilter(uint8_t code, const SFltFloor &rec)
{
    return apply(&rec, kFltFloorSize, [&] { PushEvent(code, rec); });
}

void CFlt4Core::PushEvent(uint8_t code)
{
    if (FHost)
        FHost->pushEventFilter0(FLayerIndex, FHost->activeMaskIndex(), code);
}

void CFlt4Core::PushEvent(uint8_t code, const sFltObj2 &rec)
{
    if (FHost)
        FHost->pushEventFilter2(FLayerIndex, FHost->activeMaskIndex(), code, rec);
}

void CFlt4Core::PushEvent(uint8_t code, const sFltObj4 &rec)
{
    if (FHost)
        FHost->pushEventFilter4(FLayerIndex, FHost->activeMaskIndex(), code, rec);
}

void CFlt4Core::PushEvent(uint8_t code, const sFltObj6 &rec)
{
    if (FHost)
        FHost->pushEventFilter6(FLayerIndex, FHost->activeMaskIndex(), code, rec);
}

void CFlt4Core::PushEvent(uint8_t code, const sFltObjComplex &rec)
{
    if (FHost)
        FHost->pushEventFilterComplex(FLayerIndex, FHost->activeMaskIndex(), code, rec);
}

void CFlt4Core::PushEvent(uint8_t, const SFltFloor &rec)
{
    // The floor's code is the recorder's own.
    if (FHost)
        FHost->pushEventFilterFloor(FLayerIndex, FHost->activeMaskIndex(), rec);
}

bool CFlt4Core::PushUndo()
{
    if (!FHost || !FBkupTC)
        return false;
    std::unique_ptr<CBlockVMTC> backup = std::move(FBkupTC);
    if (FHost->pushUndo(backup, FLayerIndex, FLayer.uniqueID))
        return true;
    FBkupTC = std::move(backup);
    return false;
}
