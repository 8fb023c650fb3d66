#include "document/edit/image_commands.h"

#include "core/image/canvas.h"
#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "document/edit/edit_ops.h"
#include "document/edit/geometry_layers.h"
#include "document/edit/layer_geometry.h"
#include "document/edit/layer_list_ops.h"
#include "document/edit/masked_area.h"
#include "document/events/event_record_guard.h"
#include "document/files/new_document.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/undo/undo_stock.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "platform/desktop/messages.h"

#include <bit>
#include <functional>
#include <new>
#include <vector>

const char16_t *const kLayerCommandFailedMessage = u"Failed to execute layer command!";

namespace {

using enum udCmdName;

bool isOneLayerKind(udCmdName cn)
{
    return cn == udcnCmdFlipLR || cn == udcnCmdFlipTB || cn == udcnCmdNot || cn == udcnCmdRot180;
}

bool isSeveralLayerKind(udCmdName cn)
{
    return cn == udcnCmdVisFlipLR || cn == udcnCmdVisFlipTB || cn == udcnCmdVisNot ||
           cn == udcnCmdVisRot180;
}

// The one-layer kind a several-layer kind acts as.
udCmdName oneLayerKind(udCmdName cn)
{
    return isSeveralLayerKind(cn) ? udCmdName(int(cn) - 5) : cn;
}

// The packet codes by kind, in the order left-right, top-bottom, invert, half turn.
uint8_t codeOf(udCmdName cn, uint8_t flipLR, uint8_t flipTB, uint8_t invert, uint8_t half)
{
    switch (oneLayerKind(cn)) {
    case udcnCmdFlipLR:
        return flipLR;
    case udcnCmdFlipTB:
        return flipTB;
    case udcnCmdNot:
        return invert;
    default:
        return half;
    }
}

// A scaled layer is at most as large as a paper may be: the sizes come from outside too.
bool zoomSideOk(int32_t v)
{
    return v >= 1 && v <= kMaxPaperSide;
}

void warnCommandFailed()
{
    showWarning(QString::fromUtf16(kLayerCommandFailedMessage));
}

void keepUndo(TPaper &paper, bool pushed)
{
    if (!pushed)
        disposeUndoAll(paper);
}

// The work image bound to layer idx (reloaded with force).
void bindFlow(TPaper &paper, TFlowImage *flow, int32_t idx, bool force)
{
    if ((flow = flowOrOwner(paper, flow)))
        paper.setFlow(*flow, idx, force);
}

// After a whole-layer change: modified, recomposed, previews, work image reloaded.
void afterLayerChange(TPaper &paper, TFlowImage *flow, int32_t idx)
{
    paper.setModified(true);
    UpdateVRAM(paper, true, true);
    PreviewRefresh(paper, false, idx, paper.m_paperSize);
    bindFlow(paper, flow, idx, true);
}

// The box of layer ld's image as a canvas of its own.
bool boxToCanvas(const CBlockVMTC &img, const sBox &box, TMTC &tc)
{
    if (!tc.Resize(box.w, box.h))
        return false;
    for (int32_t y = 0; y < box.h; ++y) {
        sBGRA *d = tc.seek32(0, y);
        for (int32_t x = 0; x < box.w; ++x)
            d[x].all = img.getColor(box.x + x, box.y + y);
    }
    return true;
}

bool transformCanvas(TMTC &tc, udCmdName cn)
{
    sBox all = boxFromSize(tc.FPSZ());
    switch (cn) {
    case udcnCmdFlipLR:
        return tc.flipLR(all);
    case udcnCmdFlipTB:
        return tc.flipTB(all);
    case udcnCmdNot:
        return tc.effectXor(all, 0x00FFFFFF);
    case udcnCmdRot180:
        return tc.rot180(all);
    default:
        return false;
    }
}

using LayerBuilder = std::function<std::unique_ptr<CLayerData>(const sSize &, const CLayerData &)>;

// Puts a turned or scaled copy of layer idx in its place; the record keeps the old layer.
bool replaceLayerBy(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo,
                    const std::function<bool(CEventMngr &)> &record, const LayerBuilder &build)
{
    CLayerData *ld = paper.getLayerData(idx);
    if (!ld)
        return false;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] { return record(paper.eventMngr()); }))
        return false;
    std::unique_ptr<CLayerData> nl = build(paper.m_paperSize, *ld);
    if (!nl)
        return false;
    replaceWithFittedLayer(paper.m_paperSize, nl);
    CLayerMngr &lmg = paper.layerMngr();
    std::unique_ptr<CLayerData> old = lmg.replaceLayerData(idx, nl);
    if (!old)
        return false;
    guard.commit();
    if (undo) {
        // n2 stands for the document: the record only needs it to be there.
        if (pushUndo(paper, CUndoObj(old.get()), udcnComplexReplaceLayer, idx, lmg.index2id(idx),
                     1, 0))
            static_cast<void>(old.release());
        else
            disposeUndoAll(paper);
    }
    paper.setModified(true);
    bindFlow(paper, flow, idx, true);
    dispatchView(paper, idx);
    return true;
}

bool severalLayerCmd(TPaper &paper, TFlowImage *flow, udCmdName cn, bool visibleOnly, bool undo)
{
    CLayerData *act = paper.getActiveLayerData();
    if (!isSeveralLayerKind(cn) || !act)
        return false;
    const uint8_t code = visibleOnly ? codeOf(cn, 16, 17, 19, 18) : codeOf(cn, 32, 33, 35, 34);
    std::vector<CLayerData *> targets;
    for (int32_t i = 0; i < paper.getLayerCount(); ++i)
        if (CLayerData *ld = paper.getLayerData(i); !visibleOnly || ld->visible)
            targets.push_back(ld);
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo,
                     [&] { return paper.eventMngr().pushEventGlobalCmd(code); }))
        return false;
    guard.commit();
    if (undo) {
        SUndoExtras extras;
        for (const CLayerData *ld : targets)
            extras.ids.push_back(ld->uniqueID);
        sBox box = act->imageBox();
        keepUndo(paper, pushUndo(paper, *act, box, cn, std::move(extras)));
    }
    bool ok = true;
    for (CLayerData *ld : targets) {
        ok = applyLayerCmd(*ld, cn, *ld->imageTC, ld->imageBox()) && ok;
        ld->updatePreview();
    }
    paper.setModified(true);
    UpdateVRAM(paper, true, true);
    EventLayerActive(paper, flow, paper.ActiveLayer(), true);
    return ok;
}

// Layer ld turned by a quarter: its new image (iw x ih -> ih x iw), view position and size.
struct STurned
{
    CLayerData *ld;
    std::unique_ptr<CBlockVMTC> image;
    sPos viewPos;
};

bool turnLayer(STurned &t, const sSize &S, bool right)
{
    const CBlockVMTC &img = *t.ld->imageTC;
    t.image = std::make_unique<CBlockVMTC>(img.height(), img.width());
    if (!t.image->isEnable() || !img.rot90({0, 0}, *t.image, right))
        return false;
    t.image->shrinkMemory();
    const sPos vp = t.ld->viewPos;
    t.viewPos = right ? sPos{img.height() - (vp.y + S.y), vp.x}
                      : sPos{vp.y, img.width() - (vp.x + S.x)};
    return true;
}

} // namespace

// ---- one layer, whole image

bool eventLayerCmd(TPaper &paper, TFlowImage *flow, int32_t index, udCmdName cn, bool undo)
{
    CLayerData *ld = paper.getLayerData(index);
    cn = oneLayerKind(cn);
    if (!ld || !isOneLayerKind(cn))
        return false;
    bindFlow(paper, flow, index, false);
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventLayerCmd(index, index, codeOf(cn, 32, 33, 35, 34));
        }))
        return false;
    if (!applyLayerCmd(*ld, cn, *ld->imageTC, ld->imageBox())) {
        warnCommandFailed();
        return false;
    }
    guard.commit();
    if (undo)
        keepUndo(paper, UndoStock(paper, index, cn));
    afterLayerChange(paper, flow, index);
    return true;
}

bool orgEventLayerUpsideDown(TPaper &paper, TFlowImage *flow, int32_t index, bool undo)
{
    return eventLayerCmd(paper, flow, index, udcnCmdFlipTB, undo);
}

bool orgEventLayerMirror(TPaper &paper, TFlowImage *flow, int32_t index, bool undo)
{
    return eventLayerCmd(paper, flow, index, udcnCmdFlipLR, undo);
}

bool orgEventLayerNegaposi(TPaper &paper, TFlowImage *flow, int32_t index, bool undo)
{
    return eventLayerCmd(paper, flow, index, udcnCmdNot, undo);
}

bool orgEventLayer180(TPaper &paper, TFlowImage *flow, int32_t index, bool undo)
{
    return eventLayerCmd(paper, flow, index, udcnCmdRot180, undo);
}

// ---- one layer, inside the selection

bool eventLayerCmdEx(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, udCmdName cn,
                     bool noprt, bool undo)
{
    CLayerData *ld = paper.getLayerData(idx);
    cn = oneLayerKind(cn);
    if (!ld || !isOneLayerKind(cn))
        return false;
    const CMaskData *md = paper.maskMngr().getMask(midx < 0 ? paper.maskMngr().getCurIndex() : midx);
    sRect sel;
    if (!CMaskData::hasMask(md) || !md->getMaskEnbRect(sel))
        return eventLayerCmd(paper, flow, idx, cn, undo);
    bindFlow(paper, flow, idx, false);
    sBox box = rectToBox(sel);
    boxOffset(box, ld->viewPos.x, ld->viewPos.y);
    TMTC tc;
    // The blocks under the box are had first: the write-back through the mask then cannot stop
    // part-way, after the record and the undo stock.
    if (!boxClipToSize(box, ld->imageTC->FPSZ()) || !boxToCanvas(*ld->imageTC, box, tc) ||
        !transformCanvas(tc, cn) || !commitLayerArea(*ld->imageTC, box)) {
        warnCommandFailed();
        return false;
    }
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventLayerCmdEx(idx, midx, noprt ? 1 : 0, 0,
                                                         codeOf(cn, 48, 49, 51, 50));
        }))
        return false;
    if (undo) {
        sBox stocked = box;
        keepUndo(paper, undoStockPart(paper, idx, stocked, udcnImageBox));
    }
    const sBox whole = boxFromSize(tc.FPSZ());
    const bool ok = noprt ? pasteThroughMask(*ld, tc, box.pos(), md, whole)
                          : pasteThroughMaskKeepAlpha(*ld, tc, box.pos(), md, whole);
    if (ok) {
        guard.commit();
    } else if (undo && paper.undoMngrEx()) {
        // The stocked record would undo a change that was not made (its event goes with the
        // guard).
        paper.undoMngrEx()->popUndo();
    }
    bindFlow(paper, flow, idx, true);
    paper.setModified(true);
    dispatchView(paper, idx);
    return ok;
}

bool eventLayerFlipLR(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo)
{
    return eventLayerCmdEx(paper, flow, idx, -1, udcnCmdFlipLR, !isLayerMaskProtected(paper, idx),
                           undo);
}

bool eventLayerFlipTB(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo)
{
    return eventLayerCmdEx(paper, flow, idx, -1, udcnCmdFlipTB, !isLayerMaskProtected(paper, idx),
                           undo);
}

bool eventLayerNega(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo)
{
    return eventLayerCmdEx(paper, flow, idx, -1, udcnCmdNot, !isLayerMaskProtected(paper, idx),
                           undo);
}

bool eventLayerRot180(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo)
{
    return eventLayerCmdEx(paper, flow, idx, -1, udcnCmdRot180, !isLayerMaskProtected(paper, idx),
                           undo);
}

// ---- one layer replaced

bool eventLayerRotate90(TPaper &paper, TFlowImage *flow, int32_t idx, bool right, bool undo)
{
    return replaceLayerBy(
        paper, flow, idx, undo,
        [&](CEventMngr &ev) { return ev.pushEventLayerCmd(idx, 0, right ? 36 : 37); },
        [&](const sSize &S, const CLayerData &ld) { return makeRotated90Layer(S, ld, right); });
}

bool eventLayerRotate(TPaper &paper, TFlowImage *flow, int32_t idx, float deg, bool undo)
{
    return replaceLayerBy(
        paper, flow, idx, undo,
        [&](CEventMngr &ev) {
            return ev.pushEventLayerCmdEx(idx, 0, std::bit_cast<uint32_t>(deg), 0, 38);
        },
        [&](const sSize &S, const CLayerData &ld) { return makeRotatedLayer(S, ld, deg); });
}

bool eventLayerRotate2(TPaper &paper, TFlowImage *flow, int32_t idx, float deg, bool undo)
{
    return replaceLayerBy(
        paper, flow, idx, undo,
        [&](CEventMngr &ev) {
            return ev.pushEventLayerCmdEx(idx, 0, std::bit_cast<uint32_t>(deg), 0, 40);
        },
        [&](const sSize &S, const CLayerData &ld) { return makeRotatedLayer2(S, ld, deg); });
}

bool eventLayerZoom(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t w, int32_t h, bool undo)
{
    if (!zoomSideOk(w) || !zoomSideOk(h))
        return false;
    return replaceLayerBy(
        paper, flow, idx, undo,
        [&](CEventMngr &ev) { return ev.pushEventLayerCmdEx(idx, 0, uint32_t(w), uint32_t(h), 39); },
        [&](const sSize &S, const CLayerData &ld) { return makeZoomedLayer(S, ld, w, h); });
}

bool eventLayerZoom2(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t w, int32_t h,
                     bool undo)
{
    if (!zoomSideOk(w) || !zoomSideOk(h))
        return false;
    return replaceLayerBy(
        paper, flow, idx, undo,
        [&](CEventMngr &ev) { return ev.pushEventLayerCmdEx(idx, 0, uint32_t(w), uint32_t(h), 41); },
        [&](const sSize &S, const CLayerData &ld) { return makeZoomedLayer2(S, ld, w, h); });
}

// ---- several layers

bool eventVisLayerCmd(TPaper &paper, TFlowImage *flow, udCmdName cn, bool undo)
{
    return severalLayerCmd(paper, flow, cn, true, undo);
}

bool eventAllLayerCmd(TPaper &paper, TFlowImage *flow, udCmdName cn, bool undo)
{
    return severalLayerCmd(paper, flow, cn, false, undo);
}

bool EventEditUpsideDown(TPaper &paper, TFlowImage *flow, bool all)
{
    return severalLayerCmd(paper, flow, udcnCmdVisFlipTB, !all, true);
}

bool EventEditMirror(TPaper &paper, TFlowImage *flow, bool all)
{
    return severalLayerCmd(paper, flow, udcnCmdVisFlipLR, !all, true);
}

bool EventEditNegaPosi(TPaper &paper, TFlowImage *flow, bool all)
{
    return severalLayerCmd(paper, flow, udcnCmdVisNot, !all, true);
}

bool EventEdit180(TPaper &paper, TFlowImage *flow, bool all)
{
    return severalLayerCmd(paper, flow, udcnCmdVisRot180, !all, true);
}

// ---- the whole image turned

bool doRot90(TPaper &paper, bool right)
{
    const QString what = QStringLiteral("回転");
    const sSize S = paper.m_paperSize;
    std::vector<STurned> turned;
    try {
        for (int32_t i = 0; i < paper.getLayerCount(); ++i) {
            turned.push_back({paper.getLayerData(i), nullptr, {}});
            if (!turnLayer(turned.back(), S, right)) {
                showWarning(memoryFailureMessage(what));
                return false;
            }
        }
    } catch (const std::bad_alloc &) {
        showWarning(memoryFailureMessage(what));
        return false;
    } catch (const std::exception &) {
        showWarning(exceptionFailureMessage(what));
        return false;
    }
    // Every new image exists: nothing below can fail part-way.
    for (STurned &t : turned) {
        t.ld->replaceImage(std::move(t.image));
        t.ld->viewPos = t.viewPos;
        t.ld->viewSize = {S.y, S.x};
        t.ld->resizePreview();
        t.ld->updatePreview();
    }
    changePaperSize(paper, nullptr, S.y, S.x);
    return true;
}

bool EventEditRotate(TPaper &paper, TFlowImage *flow, bool right, bool undo)
{
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo,
                     [&] { return paper.eventMngr().pushEventGlobalCmd(right ? 4 : 5); }))
        return false;
    if (!doRot90(paper, right))
        return false;
    guard.commit();
    if (undo)
        keepUndo(paper, pushUndo(paper, CUndoObj(&paper), udcnComplexRot90All, paper.ActiveLayer(),
                                 right ? 1 : 0, 0, 0));
    paper.setModified(true);
    UpdateVRAM(paper, true, true);
    EventLayerActive(paper, flow, paper.ActiveLayer(), true);
    return true;
}
