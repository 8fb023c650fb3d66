#include "document/selection/selection_undo.h"

#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/selection/selection_ops.h"
#include "document/undo/undo_structure.h"

#include <utility>

namespace {

using enum udCmdName;

bool maskIdFree(const CMaskMngr &mm, int32_t id)
{
    for (int32_t i = 0; i < mm.getMaskCount(); ++i)
        if (mm.getMask(i)->uniqueID == id)
            return false;
    return true;
}

// 31: the layer's pixels and the mask at the index are exchanged with the record's.
bool restoreTransform(CUndoData &rec, TPaper &paper)
{
    CLayerData *ld = paper.getLayerData(rec.layerIdx);
    CMaskMngr &mm = paper.maskMngr();
    CMaskData *kept = rec.dataObj.mask();
    if (!ld || !ld->imageTC || ld->uniqueID != rec.layerID || !rec.image || !kept ||
        !mm.chkIndex(rec.dataVal0) || !maskIdFree(mm, kept->uniqueID) ||
        rec.image->width() != ld->imageTC->width() || rec.image->height() != ld->imageTC->height())
        return false;
    // The layer's pixels now are taken before the kept ones go in.
    CUndoData now(-1);
    const sBox box{0, 0, ld->imageTC->width(), ld->imageTC->height()};
    if (!now.makeImage(box.w, box.h, *ld->imageTC, box) || !rec.copyTo(*ld->imageTC))
        return false;
    rec.image = std::move(now.image);
    std::unique_ptr<CMaskData> out = mm.replaceAt(rec.dataVal0, std::unique_ptr<CMaskData>(kept));
    mm.renumberIndex();
    rec.dataObj = out.release();
    ld->updatePreview();
    updateAnts(paper, paper.bEnbMask, paper.bVisMask);
    return true;
}

// 69: the selection enabled and shown as the state kept says; the two states change places.
bool restoreState(CUndoData &rec, TPaper &paper)
{
    const int32_t state = rec.dataVal0;
    eventMaskEnable(paper, undoHighHalf(state) != 0, false);
    eventMaskVisible(paper, undoLowHalf(state) != 0, false);
    updateAnts(paper, paper.bEnbMask, paper.bVisMask);
    rec.swapValue01();
    return true;
}

} // namespace

bool isSelectionUndoCommand(udCmdName cn)
{
    return cn == udcnComplexLayerAndMaskFreeTransform || cn == udcnMaskState;
}

std::unique_ptr<CUndoData> makeSelectionRecord(TPaper &paper, const CUndoObj &obj, udCmdName cn,
                                               int32_t n0, int32_t n1, int32_t n2, int32_t n3)
{
    const CLayerData *ld = paper.getLayerData(n0);
    auto rec = std::make_unique<CUndoData>(ld ? ld->uniqueID : -1);
    rec->layerIdx = n0;
    if (cn == udcnMaskState) {
        if (!paper.maskMngr().chkIndex(n1))
            return nullptr;
        rec->setAttr(true, ld ? ld->uniqueID : -1, udDataType::uddtMask, cn, n2, n3, n1, 0);
        if (ld)
            rec->setBox(ld->imageBox());
        return rec;
    }
    CMaskData *md = obj.mask();
    if (cn != udcnComplexLayerAndMaskFreeTransform || !ld || !ld->imageTC || !md ||
        !paper.maskMngr().chkIndex(n1) || !maskIdFree(paper.maskMngr(), md->uniqueID))
        return nullptr;
    const sBox box = ld->imageBox();
    if (!rec->makeImage(box.w, box.h, *ld->imageTC, {0, 0, box.w, box.h}))
        return nullptr;
    const int32_t layerId = ld->uniqueID;
    rec->dataType = udDataType::uddtComplex;
    rec->cmdName = cn;
    rec->layerID = layerId;
    rec->layerIdx = n0;
    rec->dataVal0 = n1;
    rec->dataVal1 = n2;
    rec->dataVal2 = n3;
    rec->setPos(0, 0);
    rec->dataObj = md;
    return rec;
}

bool restoreSelectionRecord(CUndoData &rec, TPaper &paper, int32_t &idx, sBox &box)
{
    bool ok = false;
    if (rec.cmdName == udcnComplexLayerAndMaskFreeTransform)
        ok = restoreTransform(rec, paper);
    else if (rec.cmdName == udcnMaskState)
        ok = restoreState(rec, paper);
    if (!ok)
        return false;
    rec.bNowRedo = !rec.bNowRedo;
    if (const CLayerData *ld = paper.getLayerData(rec.layerIdx))
        box = ld->imageBox();
    else
        box = boxFromSize(paper.m_paperSize);
    (void)idx;
    return true;
}
