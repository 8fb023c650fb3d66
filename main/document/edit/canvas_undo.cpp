#include "document/edit/canvas_undo.h"

#include "core/mask/mask_manager.h"
#include "document/edit/canvas_ops.h"
#include "document/edit/image_commands.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/undo/undo_manager.h"

namespace {

using enum udCmdName;

// Exchanges the record's layer list (and mask list, when it keeps one) with the document's; the
// paper takes the size of the list coming in.
bool swapLists(CUndoData &rec, TPaper &paper)
{
    CLayerMngr *in = rec.dataObj.layerMngr();
    if (!in)
        return false;
    const sSize size = in->getPaperSize();
    std::unique_ptr<CLayerMngr> out = replaceLayerMngr(paper, size.x, size.y,
                                                       std::unique_ptr<CLayerMngr>(in));
    rec.dataObj = out.release();
    if (rec.dataMasks) {
        std::unique_ptr<CMaskMngr> masks =
            replaceMaskMngr(paper, size.x, size.y, std::unique_ptr<CMaskMngr>(rec.dataMasks));
        rec.dataMasks = masks.release();
    }
    return true;
}

sBox wholePaper(const TPaper &paper)
{
    return boxFromSize(paper.m_paperSize);
}

bool restoreTurn(CUndoData &rec, TPaper &paper)
{
    // Undo turns the other way.
    const bool right = (rec.dataVal1 != 0) != !rec.bNowRedo;
    return doRot90(paper, right);
}

bool restoreResize(CUndoData &rec, TPaper &paper)
{
    CLayerMngr *kept = rec.dataObj.layerMngr();
    if (!kept)
        return false;
    // The old paper is the kept list's while undoing, the document's while redoing.
    const sSize oldSize = rec.bNowRedo ? paper.m_paperSize : kept->getPaperSize();
    sPos offset;
    anchorOffset({rec.dataVal1, rec.dataVal2}, oldSize, offset, rec.dataVal3);
    if (!swapLists(rec, paper))
        return false;
    moveMask(paper, rec.bNowRedo ? offset : sPos{-offset.x, -offset.y});
    return true;
}

bool restoreCrop(CUndoData &rec, TPaper &paper)
{
    const sPos origin = rec.pos;
    if (!swapLists(rec, paper))
        return false;
    moveMask(paper, rec.bNowRedo ? sPos{-origin.x, -origin.y} : origin);
    return true;
}

} // namespace

bool isCanvasUndoCommand(udCmdName cn)
{
    return cn == udcnComplexRot90All || cn == udcnComplexResize || cn == udcnComplexReso ||
           cn == udcnComplexCrop;
}

std::unique_ptr<CUndoData> makeCanvasRecord(TPaper &paper, const CUndoObj &obj, udCmdName cn,
                                            int32_t n0, int32_t n1, int32_t n2, int32_t n3,
                                            SUndoExtras &extras)
{
    if (!isCanvasUndoCommand(cn))
        return nullptr;
    if (cn == udcnComplexRot90All ? obj.paper() != &paper : obj.layerMngr() == nullptr)
        return nullptr;
    auto rec = std::make_unique<CUndoData>(-1);
    rec->setAttr(true, -1, udDataType::uddtComplex, cn, n0, n1, n2, n3);
    rec->dataObj = obj;
    if (cn == udcnComplexReso) {
        rec->dataMasks = extras.masks;
        extras.masks = nullptr;
    }
    if (cn == udcnComplexCrop)
        rec->setBox({extras.offset.x, extras.offset.y, n1, n2});
    return rec;
}

bool restoreCanvasRecord(CUndoData &rec, TPaper &paper, int32_t &idx, sBox &box)
{
    bool ok;
    switch (rec.cmdName) {
    case udcnComplexRot90All:
        ok = restoreTurn(rec, paper);
        break;
    case udcnComplexResize:
        ok = restoreResize(rec, paper);
        break;
    case udcnComplexReso:
        ok = swapLists(rec, paper);
        break;
    case udcnComplexCrop:
        ok = restoreCrop(rec, paper);
        break;
    default:
        ok = false;
    }
    if (!ok)
        return false;
    rec.bNowRedo = !rec.bNowRedo;
    idx = paper.layerMngr().getCurIndex();
    box = wholePaper(paper);
    return true;
}
