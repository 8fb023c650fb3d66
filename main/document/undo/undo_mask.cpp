#include "document/undo/undo_structure.h"

#include "core/mask/mask_manager.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/undo/undo_manager.h"

namespace {

using enum udCmdName;

// The mask at i when it carries id, else nullptr.
CMaskData *maskWithId(const CMaskMngr &mm, int32_t i, int32_t id)
{
    CMaskData *md = mm.getMask(i);
    return md && md->uniqueID == id ? md : nullptr;
}

bool hasMaskId(const CMaskMngr &mm, int32_t id)
{
    for (int32_t i = 0; i < mm.getMaskCount(); ++i)
        if (mm.getMask(i)->uniqueID == id)
            return true;
    return false;
}

// A current index packed in a 16-bit half: 0xFFFF is -1 (no current mask).
int32_t halfIndex(int32_t half)
{
    return int32_t(int16_t(uint16_t(half)));
}

// Whether cur can become the current index of a list of count masks (-1: left as the list
// fixes it).
bool currentFits(int32_t cur, int32_t count)
{
    return cur < count && cur >= -1;
}

void makeCurrent(CMaskMngr &mm, int32_t cur)
{
    if (cur >= 0)
        mm.setCurIndex(cur);
    else
        mm.chkCurIndex();
}

bool fillMask(CUndoData &r, CMaskMngr &mm, const CUndoObj &obj, udCmdName cn, int32_t n1,
              int32_t n2, int32_t n3, SUndoExtras &extras)
{
    CMaskData *given = obj.mask();
    r.setAttr(true, r.layerID, udDataType::uddtMask, cn, n1, n2, n3, 0);
    switch (cn) {
    case udcnMaskInsert:
    case udcnMaskActivate:
    case udcnMaskInvert:
        return maskWithId(mm, n1, n2) != nullptr;
    case udcnMaskInsert2:
        if (!given || mm.getMask(n1) != given || given->uniqueID != n2)
            return false;
        r.dataObj = given;
        return true;
    case udcnMaskRemove:
        if (!given || given->uniqueID != n2 || hasMaskId(mm, n2))
            return false;
        r.dataObj = given;
        return true;
    case udcnMaskReplace:
        if (!given || !maskWithId(mm, n1, n2) || hasMaskId(mm, given->uniqueID))
            return false;
        r.dataObj = given;
        return true;
    case udcnMaskMove:
        return maskWithId(mm, n2, n3) != nullptr && mm.chkIndex(n1) && n1 != n2;
    case udcnMaskMovePos:
        if (!mm.getMask(n1))
            return false;
        r.dataVal1 = mm.getMask(n1)->uniqueID;
        r.dataVal2 = n2;
        r.dataVal3 = n3;
        return true;
    case udcnMaskBind: {
        const CMaskData *src = mm.getMask(n1), *dst = mm.getMask(n2);
        if (!given || !src || !dst || hasMaskId(mm, given->uniqueID))
            return false;
        r.dataVal2 = undoPackHalves(src->uniqueID, given->uniqueID);
        r.dataVal3 = n3;
        // The halves cut ids past 65535: the restore checks the whole ones.
        r.dataIds = {dst->uniqueID, given->uniqueID};
        r.dataObj = given;
        return true;
    }
    case udcnMaskName:
        if (!mm.getMask(n1))
            return false;
        r.dataVal1 = r.dataVal2 = 0;
        r.dataText = std::move(extras.text);
        r.dataIds = {mm.getMask(n1)->uniqueID};
        return true;
    default:
        // Not a mask command, or the selection state whose restore is not built.
        return false;
    }
}

// ---- applying the records

struct SMaskRestore
{
    CUndoData &rec;
    CMaskMngr &mm;
    bool redo() const { return rec.bNowRedo; }
};

// 61, 62: the inserted mask leaves (undo) and comes back (redo). 61 owns it while it is out;
// 62 holds it throughout.
bool restoreInsert(SMaskRestore &s, bool kept)
{
    const int32_t at = s.rec.dataVal0;
    if (!s.redo()) {
        CMaskData *md = maskWithId(s.mm, at, s.rec.dataVal1);
        const int32_t cur = halfIndex(undoLowHalf(s.rec.dataVal2));
        if (!md || (kept && md != s.rec.dataObj.mask()) ||
            !currentFits(cur, s.mm.getMaskCount() - 1))
            return false;
        std::unique_ptr<CMaskData> out;
        s.mm.removeMask(at, out);
        s.rec.dataObj = out.release();
        makeCurrent(s.mm, cur);
    } else {
        CMaskData *md = s.rec.dataObj.mask();
        const int32_t cur = halfIndex(undoHighHalf(s.rec.dataVal2));
        if (!md || md->uniqueID != s.rec.dataVal1 || hasMaskId(s.mm, md->uniqueID) || at < 0 ||
            at > s.mm.getMaskCount() || !currentFits(cur, s.mm.getMaskCount() + 1) ||
            !s.mm.reserve(1))
            return false;
        std::unique_ptr<CMaskData> in(md);
        s.mm.insertAt(at, in);
        s.mm.renumberIndex();
        makeCurrent(s.mm, cur);
        if (!kept)
            s.rec.dataObj.clear(); // the list has it now
    }
    return true;
}

// 63: the removed mask comes back (undo) and leaves again (redo).
bool restoreRemove(SMaskRestore &s)
{
    const int32_t at = s.rec.dataVal0;
    if (!s.redo()) {
        CMaskData *md = s.rec.dataObj.mask();
        const int32_t cur = halfIndex(undoLowHalf(s.rec.dataVal2));
        if (!md || hasMaskId(s.mm, md->uniqueID) || at < 0 || at > s.mm.getMaskCount() ||
            !currentFits(cur, s.mm.getMaskCount() + 1) || !s.mm.reserve(1))
            return false;
        std::unique_ptr<CMaskData> in(md);
        s.mm.insertAt(at, in);
        s.mm.renumberIndex();
        makeCurrent(s.mm, cur);
        s.rec.dataObj.clear();
    } else {
        const int32_t cur = halfIndex(undoHighHalf(s.rec.dataVal2));
        if (!maskWithId(s.mm, at, s.rec.dataVal1) || !currentFits(cur, s.mm.getMaskCount() - 1))
            return false;
        std::unique_ptr<CMaskData> out;
        s.mm.removeMask(at, out);
        s.rec.dataObj = out.release();
        makeCurrent(s.mm, cur);
    }
    return true;
}

// 64, 70: the kept mask and the mask at the index exchange; the id kept for the check follows.
bool restoreExchange(SMaskRestore &s, int32_t at, int32_t &idNow, int32_t *idKept)
{
    CMaskData *md = s.rec.dataObj.mask();
    if (!md || !maskWithId(s.mm, at, idNow) || hasMaskId(s.mm, md->uniqueID))
        return false;
    std::unique_ptr<CMaskData> out = s.mm.replaceAt(at, std::unique_ptr<CMaskData>(md));
    s.mm.renumberIndex();
    if (idKept)
        *idKept = out->uniqueID;
    s.rec.dataObj = out.release();
    idNow = s.mm.getMask(at)->uniqueID;
    return true;
}

bool restoreMaskCmd(SMaskRestore &s)
{
    CUndoData &r = s.rec;
    switch (r.cmdName) {
    case udcnMaskInsert:
        return restoreInsert(s, false);
    case udcnMaskInsert2:
        return restoreInsert(s, true);
    case udcnMaskRemove:
        return restoreRemove(s);
    case udcnMaskReplace:
        return restoreExchange(s, r.dataVal0, r.dataVal1, nullptr);
    case udcnMaskBind:
        return r.dataIds.size() == 2 && restoreExchange(s, r.dataVal1, r.dataIds[0], &r.dataIds[1]);
    case udcnMaskActivate: {
        const int32_t cur = s.redo() ? r.dataVal0 : r.dataVal2;
        if (!maskWithId(s.mm, r.dataVal0, r.dataVal1) || !s.mm.chkIndex(cur))
            return false;
        s.mm.setCurIndex(cur);
        return true;
    }
    case udcnMaskMove: {
        const int32_t from = s.redo() ? r.dataVal0 : r.dataVal1;
        const int32_t to = s.redo() ? r.dataVal1 : r.dataVal0;
        if (!maskWithId(s.mm, from, r.dataVal2) || !s.mm.chkIndex(to) || from == to)
            return false;
        s.mm.moveMask(to, from);
        s.mm.setCurIndex(to);
        return true;
    }
    case udcnMaskInvert: {
        CMaskData *md = maskWithId(s.mm, r.dataVal0, r.dataVal1);
        if (!CMaskData::hasMask(md) || !s.mm.invertMask(r.dataVal0))
            return false;
        s.mm.updatePreview(md);
        return true;
    }
    case udcnMaskMovePos: {
        CMaskData *md = maskWithId(s.mm, r.dataVal0, r.dataVal1);
        if (!md)
            return false;
        // The operation lowered the position by the offset: undo adds it back.
        const int32_t sign = s.redo() ? -1 : 1;
        md->viewPos.x += sign * r.dataVal2;
        md->viewPos.y += sign * r.dataVal3;
        s.mm.updatePreview(md);
        return true;
    }
    case udcnMaskName: {
        CMaskData *md =
            r.dataIds.size() == 1 ? maskWithId(s.mm, r.dataVal0, r.dataIds[0]) : nullptr;
        if (!md)
            return false;
        md->title = r.dataText[s.redo() ? 1 : 0];
        return true;
    }
    default:
        return false;
    }
}

} // namespace

std::unique_ptr<CUndoData> makeMaskRecord(CLayerMngr &lm, CMaskMngr &mm, const CUndoObj &obj,
                                          udCmdName cn, int32_t n0, int32_t n1, int32_t n2,
                                          int32_t n3, SUndoExtras &extras)
{
    auto rec = std::make_unique<CUndoData>(-1);
    rec->layerIdx = n0;
    if (const CLayerData *ld = lm.getLayer(n0)) {
        rec->layerID = ld->uniqueID;
        rec->setBox(ld->imageBox());
    }
    if (!fillMask(*rec, mm, obj, cn, n1, n2, n3, extras)) {
        rec->dataObj.clear();
        return nullptr;
    }
    return rec;
}

bool restoreMaskRecord(CUndoData &rec, CLayerMngr &lm, CMaskMngr &mm, int32_t idx, sBox &box)
{
    SMaskRestore s{rec, mm};
    if (!restoreMaskCmd(s))
        return false;
    rec.bNowRedo = !rec.bNowRedo;
    if (const CLayerData *ld = lm.getLayer(idx))
        box = ld->imageBox();
    else
        box = rec.getBox();
    return true;
}
