#include "document/undo/undo_stock.h"

#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"

bool isUsingNewUndo(const TPaper &paper)
{
    return paper.undoMngrEx() != nullptr;
}

bool isUndoEnable(const TPaper &paper)
{
    return paper.undoMngrEx() && paper.undoMngrEx()->isUndoEnable();
}

bool pushUndo(TPaper &paper, int32_t idx, udCmdName cn)
{
    CLayerData *ld = paper.getLayerData(idx);
    return ld && pushUndo(paper, *ld, cn);
}

bool pushUndo(TPaper &paper, CLayerData &ld, udCmdName cn)
{
    sBox box = ld.imageBox();
    return pushUndo(paper, ld, box, cn);
}

bool pushUndo(TPaper &paper, CLayerData &ld, sBox &box, udCmdName cn, SUndoExtras &&extras)
{
    CUndoMngrEx *um = paper.undoMngrEx();
    return um && um->pushUndo(&ld, box, cn, std::move(extras));
}

bool pushUndo(TPaper &paper, CLayerData &ld, int32_t v1, int32_t v2, udCmdName cn,
              SUndoExtras &&extras)
{
    CUndoMngrEx *um = paper.undoMngrEx();
    return um && um->pushUndo(&ld, v1, v2, cn, std::move(extras));
}

bool pushUndo(TPaper &paper, const CUndoObj &obj, udCmdName cn, int32_t n0, int32_t n1, int32_t n2,
              int32_t n3, SUndoExtras &&extras)
{
    CUndoMngrEx *um = paper.undoMngrEx();
    return um && um->pushUndo(obj, cn, n0, n1, n2, n3, std::move(extras));
}

bool UndoStock(TPaper &paper, int32_t index, udCmdName udcn)
{
    CLayerData *ld = paper.getLayerData(index);
    if (!ld)
        return false;
    return isUsingNewUndo(paper) ? pushUndo(paper, *ld, udcn) : ld->pushImageAll();
}

bool undoStockPart(TPaper &paper, int32_t index, sBox &box, udCmdName udcn)
{
    CLayerData *ld = paper.getLayerData(index);
    if (!ld)
        return false;
    return isUsingNewUndo(paper) ? pushUndo(paper, *ld, box, udcn) : ld->pushImagePart(box);
}

bool UndoStockPart(TPaper &paper, int32_t index, int32_t x, int32_t y, int32_t w, int32_t h,
                   udCmdName udcn)
{
    sBox box{x, y, w, h};
    return undoStockPart(paper, index, box, udcn);
}

bool orgUndoStock(TPaper &paper, int32_t index)
{
    return UndoStock(paper, index, udCmdName::udcnImageBox);
}

bool orgUndoStockPart(TPaper &paper, int32_t index, int32_t x, int32_t y, int32_t w, int32_t h)
{
    return UndoStockPart(paper, index, x, y, w, h, udCmdName::udcnImageBox);
}
