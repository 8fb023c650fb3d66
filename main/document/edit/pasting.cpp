#include "document/edit/pasting.h"

#include "core/image/canvas.h"
#include "core/pixel/blend_modes.h"
#include "core/tiles/block_layer_image.h"
#include "document/edit/edit_ops.h"
#include "document/edit/layer_list_ops.h"
#include "document/events/event_record_guard.h"
#include "document/files/clipboard.h"
#include "document/files/new_document.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/undo/undo_manager.h"
#include "document/undo/undo_stock.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

void applyLayerAttr(CLayerData &layer, const SOlyHeader &hdr, const QString *title)
{
    layer.mode = TLayerMode(std::min<uint8_t>(hdr.mode, uint8_t(TLayerMode::LM_PINLIGHT)));
    layer.trans = hdr.trans;
    // Field by field: the header is packed, and a reference to its members may be misaligned.
    layer.viewPos = {hdr.viewPos.x, hdr.viewPos.y};
    if (layer.imageTC)
        layer.imageTC->setInitColor(hdr.bgCol);
    layer.visible = (hdr.flags & kOlyVisible) != 0;
    layer.maskProtected = (hdr.flags & kOlyProtected) != 0;
    if (title)
        layer.title = *title;
    layer.checkViewPos(true);
}

namespace {

// One side of the pasted layer.
int64_t pasteSide(int64_t image, int64_t paper, const SOlyHeader *hdr, int64_t hdrImage,
                  int64_t hdrView)
{
    int64_t side = std::max(image, paper);
    if (!hdr)
        return side;
    const int64_t view = std::max<int64_t>(hdrView, 0);
    if (hdr->flags & kOlyClipboardSize)
        return std::max(side, std::max(hdrImage, view + paper));
    return view + side;
}

} // namespace

bool pasteLayerSize(const sSize &image, const sSize &paper, const SOlyHeader *hdr, sSize &size)
{
    const int64_t w = pasteSide(image.x, paper.x, hdr, hdr ? hdr->imgSize.x : 0,
                                hdr ? hdr->viewPos.x : 0);
    const int64_t h = pasteSide(image.y, paper.y, hdr, hdr ? hdr->imgSize.y : 0,
                                hdr ? hdr->viewPos.y : 0);
    if (w <= 0 || h <= 0 || w > kMaxPaperSide || h > kMaxPaperSide)
        return false;
    size = {int32_t(w), int32_t(h)};
    return true;
}

namespace {

std::optional<QString> fromAnsi(const QByteArray *nam)
{
    if (!nam)
        return std::nullopt;
    QStringDecoder dec("Shift_JIS");
    return QString(dec(*nam));
}

bool pasteNewLayer(TPaper &paper, TFlowImage *flow, const TMTC &tc, const SOlyHeader *hdr,
                   const QString *nam, bool undo, bool onTop, uint8_t code)
{
    sSize size;
    if (!tc.isEnable() || !pasteLayerSize(tc.FPSZ(), paper.m_paperSize, hdr, size) ||
        !CanLayerAdd(paper, -1))
        return false;
    CLayerMngr &lmg = paper.layerMngr();
    const int32_t act = paper.ActiveLayer();
    const int32_t actId = lmg.index2id(act);
    const int32_t totalNum = lmg.getTotalNum();
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventImage(act, tc, hdr, hdr ? nam : nullptr, code);
        }))
        return false;
    const int32_t idx = lmg.addLayerAt(onTop ? lmg.getLayerCount() : act + 1, size.x, size.y,
                                       TLayerMode::LM_STD, false, 255, true);
    CLayerData *ld = lmg.getLayer(idx);
    if (!ld)
        return false;
    lmg.setDefaultCaption(idx, 1);
    ld->viewPos = {0, 0};
    ld->viewSize = paper.m_paperSize;
    ld->resizePreview();
    const sBox box = boxFromSize(tc.FPSZ());
    if (!bltToLayer(paper, idx, tc, {0, 0}, box, 255)) {
        // All or nothing: the half-made layer goes again.
        lmg.deleteLayer(idx);
        lmg.setTotalNum(totalNum);
        lmg.setCurIndex(act);
        return false;
    }
    if (hdr)
        applyLayerAttr(*ld, *hdr, nam);
    guard.commit();
    if (undo && !pushUndo(paper, CUndoObj(), udCmdName::udcnComplexPasteLayer, idx,
                          lmg.index2id(idx), act, actId))
        disposeUndoAll(paper);
    EventLayerActive(paper, flow, idx, true);
    paper.setModified(true);
    UpdateVRAM(paper, true, true);
    PreviewRefresh(paper, false, idx, box);
    if (IPaperOwner *o = paper.owner())
        o->updateLayerView();
    return true;
}

bool pasteIntoLayer(TPaper &paper, TFlowImage *flow, int32_t idx, const TMTC &tc,
                    const SOlyHeader *hdr, const QString *name, bool undo, uint8_t code)
{
    CLayerData *ld = paper.getLayerData(idx);
    if (!ld || !tc.isEnable())
        return false;
    const sBox box{0, 0, std::min(tc.width(), ld->imageTC->width()),
                   std::min(tc.height(), ld->imageTC->height())};
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventImage(idx, tc, hdr, hdr ? name : nullptr, code);
        }))
        return false;
    if (undo) {
        sBox stocked = box;
        if (!undoStockPart(paper, idx, stocked, udCmdName::udcnImagePaste))
            disposeUndoAll(paper);
    }
    if (!bltToLayer(paper, idx, tc, {0, 0}, box, 255)) {
        // The stocked record would undo a change that was not made.
        if (undo && paper.undoMngrEx())
            paper.undoMngrEx()->popUndo();
        return false;
    }
    if (hdr)
        applyLayerAttr(*ld, *hdr, name);
    guard.commit();
    paper.setModified(true);
    UpdateVRAM(paper, true, true);
    PreviewRefresh(paper, false, idx, box);
    if ((flow = flowOrOwner(paper, flow)))
        paper.setFlow(*flow, idx, true);
    return true;
}

} // namespace

bool eventPasteNewLayer(TPaper &paper, TFlowImage *flow, bool undo)
{
    const std::unique_ptr<TMTC> tc = getClipboardImage();
    if (!tc)
        return false;
    SOlyHeader hdr;
    QString title;
    if (getLayerAttrFromClipboard(hdr, title))
        return eventPasteNewLayer(paper, flow, *tc, &hdr, &title, undo);
    return eventPasteNewLayer(paper, flow, *tc, nullptr, nullptr, undo);
}

bool eventPasteNewLayer(TPaper &paper, TFlowImage *flow, const TMTC &tc, const SOlyHeader *hdr,
                        const QString *nam, bool undo)
{
    return pasteNewLayer(paper, flow, tc, hdr, nam, undo, false, 4);
}

bool eventPasteNewLayerA(TPaper &paper, TFlowImage *flow, const TMTC &tc, const SOlyHeader *hdr,
                         const QByteArray *nam, bool undo)
{
    const std::optional<QString> name = fromAnsi(nam);
    return pasteNewLayer(paper, flow, tc, hdr, name ? &*name : nullptr, undo, true, 1);
}

bool eventLayerPaste(TPaper &paper, TFlowImage *flow, int32_t idx, const TMTC &tc,
                     const SOlyHeader *hdr, const QString *name, bool undo)
{
    return pasteIntoLayer(paper, flow, idx, tc, hdr, name, undo, 3);
}

bool eventLayerPasteA(TPaper &paper, TFlowImage *flow, int32_t idx, const TMTC &tc,
                      const SOlyHeader *hdr, const QByteArray *name, bool undo)
{
    const std::optional<QString> text = fromAnsi(name);
    return pasteIntoLayer(paper, flow, idx, tc, hdr, text ? &*text : nullptr, undo, 0);
}
