#include "document/undo/undo_manager.h"

#include "document/edit/canvas_undo.h"
#include "document/selection/selection_undo.h"

#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/undo/undo_structure.h"
#include "platform/desktop/messages.h"

#include <algorithm>
#include <new>

const char16_t *const kUndoMemoryMessage = u"メモリ不足によりアンドゥ情報の保存に失敗しました！";

namespace {

using enum udCmdName;
using enum udDataType;

void warnUndoMemory()
{
    showWarning(QString::fromUtf16(kUndoMemoryMessage));
}

CUndoData::SSelectionSide selectionSideOf(const TPaper &paper)
{
    const CMaskMngr &mm = paper.maskMngr();
    return {true, mm.getCurIndex(), paper.bVisMask, paper.bEnbMask, mm.getTotalNum()};
}

// Inserting, removing and making current keep the current index of both sides in their own
// values (their operations push after the index changed); the rest leave it to the side kept.
bool restoresOwnCurrent(udCmdName cn)
{
    return cn == udcnMaskInsert || cn == udcnMaskInsert2 || cn == udcnMaskRemove ||
           cn == udcnMaskActivate;
}

// After a mask record's own restore has put the list back as it was on that side.
void putSelectionSide(TPaper &paper, udCmdName cn, const CUndoData::SSelectionSide &side)
{
    CMaskMngr &mm = paper.maskMngr();
    if (!restoresOwnCurrent(cn)) {
        // Never the index past the end: making that current would append a mask.
        if (mm.chkIndex(side.current))
            mm.setCurIndex(side.current);
        else
            mm.chkCurIndex();
    }
    paper.bVisMask = side.visible;
    paper.bEnbMask = side.enabled;
    mm.resetTotalNum(side.titleNum);
}

bool isValueCmd(udCmdName cn)
{
    return cn >= udcnValuePaperColor && cn <= udcnValueLayerClipping;
}

// A record of the pixels of box of tc (box widened to blocks in place). Throws std::bad_alloc
// when the pixels cannot be kept. A box that does not meet the image keeps nothing.
std::unique_ptr<CUndoData> makeImageRecord(int32_t id, sBox &box, udCmdName cn,
                                           const CBlockVMTC &tc)
{
    auto rec = std::make_unique<CUndoData>(id, box, cn);
    sBox inside = box;
    if (!tc.clipping(inside)) {
        rec->enable = true;
        return rec;
    }
    if (!rec->image->isEnable() || !rec->copy(tc, box))
        throw std::bad_alloc();
    return rec;
}

} // namespace

// ---- CUndoMngr

CUndoMngr::CUndoMngr(int32_t undo, int32_t redo)
    : undoMaxCnt(undo), redoMaxCnt(redo), undoList(undo, false), redoList(redo, false)
{
}

CUndoMngr::~CUndoMngr() = default;

void CUndoMngr::cleanAll()
{
    cleanUndoAll();
    cleanRedoAll();
}

int32_t CUndoMngr::cleanUndoLimit()
{
    int32_t n = 0;
    while (undoList.count() > std::max(undoMaxCnt, 0) && undoList.deleteBottom())
        ++n;
    return n;
}

bool CUndoMngr::copy(const CUndoMngr &src)
{
    if (&src == this)
        return true;
    undoMaxCnt = src.undoMaxCnt;
    redoMaxCnt = src.redoMaxCnt;
    const bool undoOk = undoList.copy(src.undoList);
    const bool redoOk = redoList.copy(src.redoList);
    return undoOk && redoOk;
}

bool CUndoMngr::addUndo(std::unique_ptr<CUndoData> &rec)
{
    return undoList.addTop(rec);
}

bool CUndoMngr::addRedo(std::unique_ptr<CUndoData> &rec)
{
    return redoList.addTop(rec);
}

bool CUndoMngr::storeRecord(std::unique_ptr<CUndoData> &rec)
{
    if (!addUndo(rec))
        return false;
    cleanUndoLimit();
    cleanRedoAll();
    return true;
}

bool CUndoMngr::pushUndo(int32_t idx, int32_t id, const CBlockVMTC &tc, sBox &box)
{
    return pushUndo(idx, id, tc, box, udcnNothing);
}

bool CUndoMngr::pushUndo(int32_t idx, int32_t id, const CBlockVMTC &tc, sBox &box, udCmdName cn)
{
    if (!isUndoEnable())
        return false;
    try {
        std::unique_ptr<CUndoData> rec = makeImageRecord(id, box, cn, tc);
        rec->layerIdx = idx;
        if (storeRecord(rec))
            return true;
    } catch (const std::bad_alloc &) {
    }
    warnUndoMemory();
    return false;
}

void CUndoMngr::loseOtherList(bool redo)
{
    listOf(redo).deleteAll();
    m_otherListLost = true;
    warnUndoMemory();
}

bool CUndoMngr::popImage(bool redo, CBlockVMTC &tc, sBox &box)
{
    m_otherListLost = false;
    std::unique_ptr<CUndoData> rec = listOf(redo).popAt(0);
    if (!rec)
        return false;
    rec->getBox(box);
    // The inverse is made before the pixels go back: it holds the present ones.
    std::unique_ptr<CUndoData> inv;
    try {
        sBox b = box;
        inv = makeImageRecord(rec->layerID, b, rec->cmdName, tc);
        inv->layerIdx = rec->layerIdx;
    } catch (const std::bad_alloc &) {
        inv.reset();
    }
    rec->copyTo(tc);
    rec.reset();
    if (!inv || !addTo(!redo, inv))
        loseOtherList(!redo);
    return true;
}

bool CUndoMngr::popUndo(CBlockVMTC &tc, sBox &box)
{
    return popImage(false, tc, box);
}

bool CUndoMngr::popRedo(CBlockVMTC &tc, sBox &box)
{
    return popImage(true, tc, box);
}

uint64_t CUndoMngr::getUsedMemSize() const
{
    return undoList.getUsedMemSize() + redoList.getUsedMemSize();
}

// ---- CUndoMngrEx

CUndoMngrEx::CUndoMngrEx(TPaper *pp, CLayerMngr *obj, int32_t undo, int32_t redo, int32_t ext)
    : CUndoMngr(undo, redo), ownerPaper(pp), ownerObj(obj), autoExtCnt(ext)
{
    undoList.bCanExtend = true;
    redoList.bCanExtend = true;
}

CLayerMngr *CUndoMngrEx::replaceOwner(CLayerMngr *obj)
{
    std::swap(ownerObj, obj);
    return obj;
}

bool CUndoMngrEx::copy(const CUndoMngr &src)
{
    const bool ok = CUndoMngr::copy(src);
    if (const auto *ex = dynamic_cast<const CUndoMngrEx *>(&src))
        ownerObj = ex->ownerObj;
    return ok;
}

int32_t CUndoMngrEx::cleanUndoLimit()
{
    int32_t n = 0;
    while (undoList.count() > std::max(undoMaxCnt, 0) + autoExtCnt && undoList.deleteBottom())
        ++n;
    return n;
}

bool CUndoMngrEx::changeLimit(int32_t undo, int32_t redo)
{
    if (undo <= 0)
        undo = redo = 0;
    redo = std::clamp(redo, 0, undo);
    bool changed = false;
    const auto evictHeavy = [](CUndoList &list, int32_t limit) {
        while (list.countHeavy() > limit && list.deleteBottom()) {
        }
    };
    if (undo != undoMaxCnt) {
        undoMaxCnt = undo;
        evictHeavy(undoList, undo);
        changed = true;
    }
    if (redo != redoMaxCnt) {
        redoMaxCnt = redo;
        evictHeavy(redoList, redo);
        changed = true;
    }
    // Light records are held to the limit plus the extension, as every push holds them: the
    // event ring follows the new limit with as many places.
    cleanUndoLimit();
    trimRedo();
    return changed;
}

bool CUndoMngrEx::addLimited(CUndoList &list, int32_t limit, std::unique_ptr<CUndoData> &rec)
{
    if (list.bCanExtend)
        while (!list.empty() && list.countHeavy() >= limit)
            list.deleteBottom();
    return list.addTop(rec);
}

bool CUndoMngrEx::addUndo(std::unique_ptr<CUndoData> &rec)
{
    if (!addLimited(undoList, undoMaxCnt, rec))
        return false;
    // A redo coming back after the limit was lowered must not carry the list past it either.
    cleanUndoLimit();
    return true;
}

bool CUndoMngrEx::addRedo(std::unique_ptr<CUndoData> &rec)
{
    if (!addLimited(redoList, redoMaxCnt, rec))
        return false;
    trimRedo();
    return true;
}

void CUndoMngrEx::trimRedo()
{
    while (redoList.count() > std::max(redoMaxCnt, 0) + autoExtCnt && redoList.deleteBottom()) {
    }
}

bool CUndoMngrEx::getTopUndo(CUndoData *&undo) const
{
    undo = undoList.getAt(0);
    return undo != nullptr;
}

bool CUndoMngrEx::getTopRedo(CUndoData *&redo) const
{
    redo = redoList.getAt(0);
    return redo != nullptr;
}

int32_t CUndoMngrEx::getTopUndoLayerID() const
{
    const CUndoData *u = undoList.getAt(0);
    return u ? u->layerID : -1;
}

int32_t CUndoMngrEx::getTopRedoLayerID() const
{
    const CUndoData *u = redoList.getAt(0);
    return u ? u->layerID : -1;
}

// ---- pushes

bool CUndoMngrEx::finishPush(std::unique_ptr<CUndoData> &rec)
{
    if (storeRecord(rec))
        return true;
    // Nothing was handed over: the caller keeps its objects.
    rec->dataObj.clear();
    rec->dataLayer2 = nullptr;
    rec->dataMasks = nullptr;
    rec.reset();
    warnUndoMemory();
    return false;
}

bool CUndoMngrEx::pushUndo(const CUndoObj &obj, sBox &box, udCmdName cn, SUndoExtras &&extras)
{
    CLayerData *ld = obj.layer();
    if (!isUndoEnable() || !ld || !ld->imageTC)
        return false;
    switch (getUndoCmdDataType(cn)) {
    case uddtImage:
        return CUndoMngr::pushUndo(ld->index, ld->uniqueID, *ld->imageTC, box, cn);
    case uddtAlpha:
        return pushAlpha(*ld, box, cn);
    case uddtCmd:
        return pushCmd(*ld, box, cn, extras);
    default:
        return false;
    }
}

bool CUndoMngrEx::pushAlpha(CLayerData &ld, sBox &box, udCmdName cn)
{
    try {
        auto rec = std::make_unique<CUndoData>(ld.uniqueID);
        // A box whose alpha cannot be taken gives no record.
        if (!rec->setAlpha(ld.uniqueID, *ld.imageTC, box, cn))
            return false;
        return finishPush(rec);
    } catch (const std::bad_alloc &) {
        warnUndoMemory();
        return false;
    }
}

bool CUndoMngrEx::pushCmd(CLayerData &ld, const sBox &box, udCmdName cn, SUndoExtras &extras)
{
    try {
        auto rec = std::make_unique<CUndoData>(ld.uniqueID);
        rec->setCmd(ld.uniqueID, box, cn);
        rec->dataIds = std::move(extras.ids);
        rec->dataObj = &ld;
        if (finishPush(rec))
            return true;
    } catch (const std::bad_alloc &) {
        warnUndoMemory();
    }
    return false;
}

bool CUndoMngrEx::pushUndo(const CUndoObj &obj, int32_t val1, int32_t val2, udCmdName cn,
                           SUndoExtras &&extras)
{
    return pushValue(obj, val1, val2, cn, extras);
}

bool CUndoMngrEx::pushValue(const CUndoObj &obj, int32_t val1, int32_t val2, udCmdName cn,
                            SUndoExtras &extras)
{
    if (!isUndoEnable() || !isValueCmd(cn) || obj.empty())
        return false;
    try {
        auto rec = std::make_unique<CUndoData>(-1);
        if (cn == udcnValuePaperColor) {
            TPaper *pp = obj.paper();
            if (!pp)
                return false;
            rec->setValue(pp->layerMngr().index2id(pp->ActiveLayer()), cn,
                          int32_t(pp->m_canvascolor), val1, val2, 0);
            rec->dataObj = pp;
            return finishPush(rec);
        }
        CLayerData *ld = obj.layer();
        if (!ld)
            return false;
        int32_t v0 = 0, v3 = 0;
        switch (cn) {
        case udcnValueLayerTrans:
        case udcnValueLayerGroupTrans:
            v0 = ld->trans;
            break;
        case udcnValueLayerDither:
            v0 = int32_t(ld->ditherEnable ? 1 : 0) | int32_t(ld->dither) << 8;
            break;
        case udcnValueLayerMode:
            v0 = int32_t(ld->mode);
            break;
        case udcnValueLayerVisible:
            v0 = ld->visible ? 1 : 0;
            break;
        case udcnValueLayerPos:
            v0 = ld->index;
            break;
        case udcnValueLayerSelectPos: {
            CMaskData *md = ownerPaper ? ownerPaper->getActiveMaskData() : nullptr;
            if (!md)
                return false;
            v0 = undoPackHalves(ld->index, ld->uniqueID);
            v3 = undoPackHalves(md->index, md->uniqueID);
            // The halves would cut ids past 65535: the restore checks the whole ones.
            rec->dataIds = {ld->uniqueID, md->uniqueID};
            break;
        }
        case udcnValueLayerName:
            rec->setValue(ld->uniqueID, cn, 0, 0, 0, 0);
            rec->dataText = std::move(extras.text);
            return finishPush(rec);
        case udcnValueLayerMaskProtected:
            v0 = ld->maskProtected ? 1 : 0;
            break;
        case udcnValueLayerClipping:
            v0 = ld->getUnderLyrClip() ? 1 : 0;
            break;
        default:
            return false;
        }
        rec->setValue(ld->uniqueID, cn, v0, val1, val2, v3);
        return finishPush(rec);
    } catch (const std::bad_alloc &) {
        warnUndoMemory();
        return false;
    }
}

bool CUndoMngrEx::pushUndo(const CUndoObj &obj, udCmdName cn, int32_t n0, int32_t n1, int32_t n2,
                           int32_t n3, SUndoExtras &&extras)
{
    if (!isUndoEnable())
        return false;
    switch (getUndoCmdDataType(cn)) {
    case uddtImage:
        return pushImage(cn, n0, n1, extras);
    case uddtValue:
        return pushValue(obj, n0, n1, cn, extras);
    case uddtComplex:
    case uddtMask:
        return pushStructure(obj, cn, n0, n1, n2, n3, extras);
    default:
        return false;
    }
}

bool CUndoMngrEx::pushStructure(const CUndoObj &obj, udCmdName cn, int32_t n0, int32_t n1,
                                int32_t n2, int32_t n3, SUndoExtras &extras)
{
    if (!ownerObj)
        return false;
    try {
        std::unique_ptr<CUndoData> rec;
        if (isCanvasUndoCommand(cn))
            rec = ownerPaper ? makeCanvasRecord(*ownerPaper, obj, cn, n0, n1, n2, n3, extras)
                             : nullptr;
        else if (isSelectMoveUndoCommand(cn))
            rec = ownerPaper ? makeSelectMoveRecord(*ownerObj, ownerPaper->maskMngr(), obj, cn, n0,
                                                    n1, n2, n3, extras)
                             : nullptr;
        else if (isSelectionUndoCommand(cn))
            rec = ownerPaper ? makeSelectionRecord(*ownerPaper, obj, cn, n0, n1, n2, n3) : nullptr;
        else if (getUndoCmdDataType(cn) == uddtComplex)
            rec = makeComplexRecord(*ownerObj, obj, cn, n0, n1, n2, n3, extras);
        else if (ownerPaper) {
            rec =
                makeMaskRecord(*ownerObj, ownerPaper->maskMngr(), obj, cn, n0, n1, n2, n3, extras);
            if (rec) {
                // Pushed before the operation switches the selection on or makes a mask
                // current, so this is the selection the undo gives back.
                rec->selectionSide = selectionSideOf(*ownerPaper);
                if (extras.maskTitleNum >= 0)
                    rec->selectionSide.titleNum = extras.maskTitleNum;
            }
        }
        // A command outside the tables, or an object that is not there, stores nothing.
        return rec && finishPush(rec);
    } catch (const std::bad_alloc &) {
        warnUndoMemory();
        return false;
    }
}

bool CUndoMngrEx::pushImage(udCmdName cn, int32_t idx, int32_t id, SUndoExtras &extras)
{
    if (!extras.image || !extras.image->isEnable())
        return false;
    try {
        auto rec = std::make_unique<CUndoData>(id);
        const sBox whole{0, 0, extras.image->width(), extras.image->height()};
        rec->setImage(idx, id, std::move(extras.image), whole, cn);
        if (storeRecord(rec))
            return true;
        extras.image = std::move(rec->image);
    } catch (const std::bad_alloc &) {
    }
    warnUndoMemory();
    return false;
}

// ---- pops

bool CUndoMngrEx::popUndo(int32_t &idx, CLayerData *obj, sBox &box)
{
    return popTop(false, idx, obj, box);
}

bool CUndoMngrEx::popRedo(int32_t &idx, CLayerData *obj, sBox &box)
{
    return popTop(true, idx, obj, box);
}

void CUndoMngrEx::passOn(bool redo)
{
    std::unique_ptr<CUndoData> rec = listOf(redo).popAt(0);
    if (!addTo(!redo, rec)) {
        // The record was applied and is now in a consistent state: it can go.
        rec.reset();
        loseOtherList(!redo);
    }
}

bool CUndoMngrEx::popTop(bool redo, int32_t &idx, CLayerData *obj, sBox &box)
{
    m_otherListLost = false;
    const CUndoData *top = listOf(redo).getAt(0);
    if (!top)
        return false;
    switch (top->dataType) {
    case uddtImage:
        // Without the layer nothing happens.
        return obj && obj->imageTC && popImage(redo, *obj->imageTC, box);
    case uddtAlpha:
        return obj && popAlpha(redo, *obj, box);
    case uddtCmd:
        return obj && popCmd(redo, *obj, box);
    case uddtValue:
        return obj && restoreValue(redo, *obj, box);
    case uddtComplex:
    case uddtMask:
        return restoreStructure(redo, idx, box);
    default:
        // A kind whose restore is not built: the record is dropped.
        listOf(redo).deleteAt(0);
        return false;
    }
}

bool CUndoMngrEx::restoreStructure(bool redo, int32_t &idx, sBox &box)
{
    CUndoData &rec = *listOf(redo).getAt(0);
    bool ok = false;
    try {
        if (ownerPaper && isCanvasUndoCommand(rec.cmdName))
            ok = restoreCanvasRecord(rec, *ownerPaper, idx, box);
        else if (ownerObj && ownerPaper && isSelectMoveUndoCommand(rec.cmdName))
            ok = restoreSelectMoveRecord(rec, *ownerObj, ownerPaper->maskMngr(), idx, box);
        else if (ownerPaper && isSelectionUndoCommand(rec.cmdName))
            ok = restoreSelectionRecord(rec, *ownerPaper, idx, box);
        else if (ownerObj && rec.dataType == uddtComplex)
            ok = restoreComplexRecord(rec, *ownerObj, idx, box);
        else if (ownerObj && ownerPaper && rec.dataType == uddtMask) {
            const CUndoData::SSelectionSide now = selectionSideOf(*ownerPaper);
            ok = restoreMaskRecord(rec, *ownerObj, ownerPaper->maskMngr(), idx, box);
            if (ok && rec.selectionSide.kept) {
                putSelectionSide(*ownerPaper, rec.cmdName, rec.selectionSide);
                rec.selectionSide = now;
            }
        }
    } catch (const std::bad_alloc &) {
        // Only the room a restore reserves before it changes anything can run out.
        ok = false;
    }
    if (!ok) {
        // Nothing was changed; the record cannot be applied and goes.
        listOf(redo).deleteAt(0);
        return false;
    }
    passOn(redo);
    return true;
}

bool CUndoMngrEx::popAlpha(bool redo, CLayerData &ld, sBox &box)
{
    if (!ld.imageTC)
        return false;
    std::unique_ptr<CUndoData> rec = listOf(redo).popAt(0);
    box = {rec->pos.x, rec->pos.y, rec->size.x, rec->size.y};
    std::unique_ptr<CUndoData> inv;
    try {
        inv = std::make_unique<CUndoData>(rec->layerID);
        sBox b = box;
        if (!inv->setAlpha(rec->layerID, *ld.imageTC, b, rec->cmdName))
            inv.reset();
    } catch (const std::bad_alloc &) {
        inv.reset();
    }
    const bool ok = rec->doAlpha(*ld.imageTC);
    rec.reset();
    if (!inv || !addTo(!redo, inv))
        loseOtherList(!redo);
    return ok;
}

bool CUndoMngrEx::popCmd(bool redo, CLayerData &ld, sBox &box)
{
    CUndoData &rec = *listOf(redo).getAt(0);
    box = rec.getBox();
    bool ok;
    if (rec.cmdName >= udcnCmdVisFlipLR && rec.cmdName <= udcnCmdVisRot180)
        ok = ownerObj && rec.doCmd(*ownerObj);
    else
        ok = rec.doCmd(ld);
    if (!ok) {
        listOf(redo).deleteAt(0);
        return false;
    }
    // Each command is its own inverse: the same record goes to the other list.
    passOn(redo);
    return true;
}

bool CUndoMngrEx::restoreValue(bool redo, CLayerData &ld, sBox &box)
{
    CUndoData &rec = *listOf(redo).getAt(0);
    if (rec.dataType != uddtValue || !isValueCmd(rec.cmdName) || !applyValue(rec, ld)) {
        listOf(redo).deleteAt(0);
        return false;
    }
    rec.bNowRedo = !rec.bNowRedo;
    box = ld.imageBox();
    passOn(redo);
    return true;
}

bool CUndoMngrEx::applyValue(CUndoData &rec, CLayerData &ld)
{
    const uint8_t byte0 = uint8_t(rec.dataVal0);
    switch (rec.cmdName) {
    case udcnValuePaperColor: {
        TPaper *pp = rec.dataObj.paper();
        if (!pp)
            return false;
        // Setting the canvas colour is all that changing the paper colour does.
        pp->m_canvascolor = uint32_t(rec.dataVal0);
        break;
    }
    case udcnValueLayerTrans:
    case udcnValueLayerGroupTrans:
        ld.trans = byte0;
        break;
    case udcnValueLayerDither:
        ld.ditherEnable = byte0 != 0;
        ld.dither = uint8_t(uint32_t(rec.dataVal0) >> 8);
        break;
    case udcnValueLayerMode:
        if (byte0 >= uint8_t(TLayerMode::LM_MAX_NUM))
            return false;
        ld.mode = TLayerMode(byte0);
        break;
    case udcnValueLayerVisible:
        ld.visible = rec.dataVal0 != 0;
        break;
    case udcnValueLayerPos:
        std::swap(ld.viewPos.x, rec.dataVal1);
        std::swap(ld.viewPos.y, rec.dataVal2);
        return true;
    case udcnValueLayerSelectPos: {
        CMaskMngr *mm = ownerPaper ? &ownerPaper->maskMngr() : nullptr;
        CMaskData *md = mm ? mm->getMask(undoLowHalf(rec.dataVal3)) : nullptr;
        if (rec.dataIds.size() != 2 || ld.uniqueID != rec.dataIds[0] || !md ||
            md->uniqueID != rec.dataIds[1])
            return false;
        // An undo puts the offset back, a redo moves again.
        const int32_t s = rec.bNowRedo ? -1 : 1;
        ld.viewPos.x += s * rec.dataVal1;
        ld.viewPos.y += s * rec.dataVal2;
        md->viewPos.x += s * rec.dataVal1;
        md->viewPos.y += s * rec.dataVal2;
        mm->updatePreview(md);
        return true;
    }
    case udcnValueLayerName:
        ld.title = rec.dataText[0];
        std::swap(rec.dataText[0], rec.dataText[1]);
        return true;
    case udcnValueLayerMaskProtected:
        ld.maskProtected = rec.dataVal0 != 0;
        break;
    case udcnValueLayerClipping:
        ld.ChangeUnderLyrClip(rec.dataVal0 != 0);
        break;
    default:
        return false;
    }
    rec.swapValue01();
    return true;
}
