// TDrawWindow: Copy and Paste. Every copy makes this program the clipboard's owner; a copy over
// the program's own earlier one does not empty the clipboard but announces the private formats it
// does not supply without data, which blanks their old values.
#include "windows/docwin/draw_window.h"

#include "core/mask/mask_manager.h"
#include "document/edit/edit_ops.h"
#include "document/edit/masked_area.h"
#include "document/edit/pasting.h"
#include "document/files/clipboard.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/view/composition.h"
#include "platform/desktop/clipboard.h"
#include "platform/desktop/cursor.h"
#include "platform/desktop/messages.h"
#include "windows/docwin/saving.h"

namespace {

// Empties the clipboard unless this program owns it; answers whether it was emptied.
bool takeClipboard()
{
    if (clipboardOwned())
        return false;
    clipboardEmpty(false);
    return true;
}

} // namespace

bool TDrawWindow::isMaskEnable(int32_t midx) const
{
    if (!paper->bEnbMask)
        return false;
    CMaskMngr &mm = paper->maskMngr();
    const CMaskData *md = midx < 0 ? paper->getActiveMaskData() : mm.getMask(midx);
    return CMaskData::hasMask(md);
}

bool TDrawWindow::copyVramToClipboard()
{
    WaitCursor hourglass;
    const CExportCanvas canvas(*paper);
    const bool emptied = takeClipboard();
    if (!emptied)
        clipboardPromiseLayerAttr();
    TTC &vram = paper->vram();
    sBox box{0, 0, paper->m_paperSize.x, paper->m_paperSize.y};
    if (!isMaskEnable(-1)) {
        if (!emptied)
            clipboardPromiseClipBox();
        return copyImageToClipboard24(vram, box);
    }
    // The alpha steps work on a copy: the display image stays as composed.
    TMTC image(vram);
    if (image.width() != vram.width() || image.height() != vram.height())
        return false;
    const CMaskData *md = paper->getActiveMaskData();
    sRect r;
    sBox clip;
    if (md->getMaskEnbRect(r)) {
        clip = rectToBox(r);
        if (!boxClipToSize(clip, paper->m_paperSize))
            clip = sBox{};
    }
    if (clip.w > 0 && clip.h > 0) {
        putClipBoxToClipboard(clip);
        image.setAlphaPart(clip, 255);
    } else {
        if (!emptied)
            clipboardPromiseClipBox();
        image.setAlphaAll(255);
    }
    md->effectTo(image);
    return copyImageToClipboard32(image, box);
}

bool TDrawWindow::copyLayerToClipboard(int32_t idx)
{
    if (idx < 0)
        idx = paper->ActiveLayer();
    if (isMaskEnable(-1))
        return copyLayerToClipboardWithMask(idx, -1, nullptr);
    const CLayerData *ld = paper->getLayerData(idx);
    if (!ld || !ld->imageTC)
        return false;
    WaitCursor hourglass;
    if (!takeClipboard())
        clipboardPromiseClipBox();
    putLayerAttrToClipboard(*ld);
    TFlowImage *flow = flowImage.get();
    RefreshFlow(*paper, flow, idx, false);
    const bool ok = copyImageToClipboard32(
        flow->image(), sBox{0, 0, ld->imageTC->width(), ld->imageTC->height()});
    // The work image holds the active layer again, so that the next stroke starts from it.
    RefreshFlow(*paper, flow, paper->ActiveLayer(), false);
    return ok;
}

bool TDrawWindow::copyLayerToClipboardWithMask(int32_t idx, int32_t midx,
                                               std::unique_ptr<CLayerData> *newld)
{
    if (!isMaskEnable(midx))
        return false;
    if (idx < 0)
        idx = paper->ActiveLayer();
    const CLayerData *ld = paper->getLayerData(idx);
    const CMaskData *md =
        midx < 0 ? paper->getActiveMaskData() : paper->maskMngr().getMask(midx);
    if (!ld || !ld->imageTC || !md)
        return false;
    WaitCursor hourglass;
    std::unique_ptr<CLayerData> copy = createMaskedLayerCopy(*ld, md);
    if (!copy)
        return false;
    TFlowImage *flow = flowImage.get();
    const bool emptied = takeClipboard();
    putLayerAttrToClipboard(*ld);
    sRect mr;
    sBox clip;
    if (md->getMaskEnbRect(mr) && rectIntersect(mr, ld->getLayerRect()))
        clip = rectToBox(mr);
    if (clip.w > 0 && clip.h > 0)
        putClipBoxToClipboard(clip);
    else if (!emptied)
        clipboardPromiseClipBox();
    bool ok = false;
    const int32_t w = ld->imageTC->width(), h = ld->imageTC->height();
    if (flow->image().width() >= w && flow->image().height() >= h) {
        flow->image().PixelFill(0);
        copy->imageTC->bltTo(flow->image(), 0, 0, 255, false);
        ok = copyImageToClipboard32(flow->image(), sBox{0, 0, w, h});
    }
    if (ok && newld)
        *newld = std::move(copy);
    RefreshFlow(*paper, flow, paper->ActiveLayer(), false);
    return ok;
}

bool TDrawWindow::pasteStd()
{
    std::unique_ptr<TMTC> image = getClipboardImage();
    if (!image) {
        showWarning(QStringLiteral("ビットマップデータがクリップボードにありません!"));
        return false;
    }
    const bool ok = eventLayerPaste(*paper, flowImage.get(), paper->ActiveLayer(), *image,
                                    nullptr, nullptr, true);
    updateCaption(false);
    UpdateView(true);
    return ok;
}
