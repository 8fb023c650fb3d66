#include "document/undo/undo_structure.h"

#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/undo/undo_manager.h"

#include <algorithm>
#include <cstring>

namespace {

using enum udCmdName;

// ---- small pieces shared by the records

// A layer the record held goes into the list at i (room reserved before): the list owns it.
int32_t putIn(CLayerMngr &lm, int32_t i, CLayerData *ld)
{
    std::unique_ptr<CLayerData> p(ld);
    const int32_t r = lm.insertLayer(i, p);
    if (r < 0)
        static_cast<void>(p.release()); // still the record's
    return r;
}

// Layer i leaves the list; the record holds it from now on (by its command's rule).
CLayerData *takeOut(CLayerMngr &lm, int32_t i)
{
    return lm.removeAt(i).release();
}

// The layer now at a valid index goes out and ld comes in; answers the layer that went.
CLayerData *exchange(CLayerMngr &lm, int32_t i, CLayerData *ld)
{
    std::unique_ptr<CLayerData> in(ld);
    return lm.replaceLayerData(i, in).release();
}

bool absent(const CLayerMngr &lm, int32_t id)
{
    return lm.findLayer(id) < 0;
}

bool canInsertAt(const CLayerMngr &lm, int32_t i)
{
    return i >= 0 && i <= lm.getLayerCount();
}

// The layers of a kept list, all there and none of them in the document.
bool listFits(const CLayerMngr &lm, const TUndoLayerList *list, int32_t n)
{
    if (!list || n <= 0 || list->size() != size_t(n))
        return false;
    return std::all_of(list->begin(), list->end(),
                       [&](const auto &ld) { return ld && absent(lm, ld->uniqueID); });
}

void keepBox(CUndoData &rec, const CLayerData &ld)
{
    rec.setBox(ld.imageBox());
}

// After the group and list records: the record's box is the whole image of the layer at idx.
void boxOfLayerAt(CUndoData &rec, const CLayerMngr &lm, int32_t idx, sBox &box)
{
    if (const CLayerData *ld = lm.getLayer(idx))
        rec.setBox({0, 0, ld->imageBox().w, ld->imageBox().h});
    box = rec.getBox();
}

// The whole id of the layer at i when its low 16 bits are the half the operation packed.
bool wholeIdAt(const CLayerMngr &lm, int32_t i, int32_t half, int32_t &id)
{
    const CLayerData *ld = lm.getLayer(i);
    if (!ld || undoLowHalf(ld->uniqueID) != undoLowHalf(half))
        return false;
    id = ld->uniqueID;
    return true;
}

// ---- making the records

bool makeListBind(CUndoData &r, CLayerMngr &lm, TUndoLayerList *list, int32_t n0, int32_t n1,
                  int32_t n2, int32_t n3)
{
    const CLayerData *merged = lm.getLayer(n0);
    if (!merged || !listFits(lm, list, n1))
        return false;
    r.layerIdx = n0;
    keepBox(r, *merged);
    r.layerID = n3;
    r.dataVal0 = n1;
    r.dataVal1 = n2;
    r.dataObj = list;
    return true;
}

bool makeMergeDown(CUndoData &r, CLayerMngr &lm, int32_t n0, int32_t n1, int32_t n2)
{
    CLayerData *upper = lm.getLayer(n0);
    CLayerData *lower = lm.getLayer(n1);
    // The packing keeps both indices in 16 bits; the lower layer is the one below.
    if (!upper || !lower || upper->uniqueID != n2 || n1 != n0 - 1 || n0 > 0xFFFF)
        return false;
    r.layerID = n2;
    keepBox(r, *upper);
    r.dataVal0 = undoPackHalves(n0, n1);
    r.dataVal1 = lower->uniqueID;
    r.dataLayer2 = upper;
    r.dataObj = lower;
    return true;
}

bool makeMergeAll(CUndoData &r, CLayerMngr &lm, CLayerMngr *saved, int32_t n0, int32_t n1)
{
    const int32_t i = lm.findLayer(n1);
    if (!saved || saved->getLayerCount() < 1 || i < 0)
        return false;
    r.layerID = n1;
    keepBox(r, *lm.getLayer(i));
    r.dataVal0 = n0;
    r.dataVal1 = 0;
    r.dataObj = saved;
    return true;
}

bool makeSplit(CUndoData &r, CLayerMngr &lm, CLayerData *nl, int32_t n0, int32_t n1, int32_t n2,
               SUndoExtras &extras)
{
    const int32_t si = lm.findLayer(n1);
    const CLayerData *src = lm.getLayer(si);
    if (!nl || !src || !src->imageTC || lm.getLayer(lm.findLayer(nl->uniqueID)) != nl)
        return false;
    const size_t area = size_t(src->imageTC->width()) * size_t(src->imageTC->height());
    if (extras.bytes.size() != area)
        return false;
    r.layerIdx = n0;
    r.layerID = n1;
    keepBox(r, *src);
    r.dataVal0 = nl->index;
    r.dataVal1 = n2;
    r.dataObj = nl;
    r.dataIds = {nl->uniqueID};
    r.dataBytes = std::move(extras.bytes);
    return true;
}

bool makeVisibility(CUndoData &r, CLayerMngr &lm, int32_t n0, int32_t n1, int32_t n2)
{
    const CLayerData *ld = lm.getLayer(n0);
    if (!ld || !lm.makeVisBackup(r.dataBytes))
        return false;
    r.layerID = ld->uniqueID;
    keepBox(r, *ld);
    r.dataVal0 = n0;
    r.dataVal1 = lm.getLayerCount();
    r.dataVal2 = n1;
    r.dataVal3 = n2;
    return true;
}

bool fillComplex(CUndoData &r, CLayerMngr &lm, const CUndoObj &obj, udCmdName cn, int32_t n0,
                 int32_t n1, int32_t n2, int32_t n3, SUndoExtras &extras)
{
    int32_t id = 0;
    switch (cn) {
    case udcnComplexLayerBindClippingGroup:
    case udcnComplexBindLayerGroup:
        return makeListBind(r, lm, obj.layerList(), n0, n1, n2, n3);
    case udcnComplexLayerReleaseClippingGroup:
        if (!lm.getLayer(n0))
            return false;
        r.layerIdx = n0;
        keepBox(r, *lm.getLayer(n0));
        r.layerID = n3;
        r.dataVal0 = n1;
        r.dataVal1 = n2;
        r.dataVal2 = n3;
        return true;
    case udcnComplexAddLayer:
    case udcnComplexDupLayer:
    case udcnComplexPasteLayer:
    case udcnComplexDelLayer: {
        CLayerData *ld = lm.getLayer(lm.findLayer(n1));
        if (!ld)
            return false;
        r.layerID = n1;
        keepBox(r, *ld);
        r.dataVal0 = n0;
        r.dataVal1 = n2;
        r.dataVal2 = cn == udcnComplexDelLayer ? 0 : n3;
        r.dataObj = ld;
        return true;
    }
    case udcnComplexMoveLayer:
        if (lm.findLayer(n2) < 0)
            return false;
        r.layerID = n2;
        keepBox(r, *lm.getLayer(lm.findLayer(n2)));
        r.dataVal0 = n0;
        r.dataVal1 = n1;
        return true;
    case udcnComplexBindLayer:
        return makeMergeDown(r, lm, n0, n1, n2);
    case udcnComplexBindAllLayers:
        return makeMergeAll(r, lm, obj.layerMngr(), n0, n1);
    case udcnComplexMoveLayerPos:
    case udcnComplexReplaceLayer:
        if (!obj.layer() || lm.findLayer(n1) < 0)
            return false;
        r.layerID = n1;
        keepBox(r, *lm.getLayer(lm.findLayer(n1)));
        r.dataVal0 = n0;
        r.dataVal1 = n2;
        r.dataObj = obj.layer();
        return true;
    case udcnComplexSplitWithMask:
        return makeSplit(r, lm, obj.layer(), n0, n1, n2, extras);
    case udcnComplexLayerGroup:
        if (lm.findLayer(n1) < 0 || extras.tables[0].empty() || extras.tables[1].empty())
            return false;
        r.layerIdx = n0;
        r.layerID = n1;
        keepBox(r, *lm.getLayer(lm.findLayer(n1)));
        r.dataVal0 = lm.getLayerCount();
        r.dataTables = std::move(extras.tables);
        return true;
    case udcnComplexDelLayerGroup:
        // Pushed while the head is still in the list: its whole id is read there.
        if (!wholeIdAt(lm, n0, n1, id))
            return false;
        r.layerIdx = n0;
        r.layerID = id;
        keepBox(r, *lm.getLayer(n0));
        r.dataVal0 = undoHighHalf(n1);
        r.dataVal1 = undoLowHalf(n2);
        r.dataVal2 = undoHighHalf(n2);
        r.dataObj = lm.getLayer(n0);
        r.dataBytes = std::move(extras.bytes);
        return true;
    case udcnComplexDelGroupLayers:
        if (!listFits(lm, obj.layerList(), n1) ||
            !wholeIdAt(lm, undoLowHalf(n3), undoHighHalf(n3), id))
            return false;
        r.layerIdx = undoLowHalf(n3);
        r.layerID = id;
        keepBox(r, *lm.getLayer(r.layerIdx));
        r.dataVal0 = n0;
        r.dataVal1 = n1;
        r.dataVal2 = n2;
        r.dataObj = obj.layerList();
        return true;
    case udcnComplexMoveLayerGroup:
        // The group is at its new index n3 when the move is pushed.
        if (!wholeIdAt(lm, n3, n2, id))
            return false;
        r.layerIdx = undoLowHalf(n0);
        r.dataVal0 = undoHighHalf(n0);
        r.layerID = id;
        keepBox(r, *lm.getLayer(n3));
        r.dataVal1 = n1;
        r.dataVal2 = undoHighHalf(n2);
        r.dataVal3 = n3;
        return true;
    case udcnComplexMoveLayerGroupPos:
    case udcnComplexMoveLayerGroupSelPos: {
        TUndoLayerList *list = obj.layerList();
        const CLayerData *ld = lm.getLayer(n0);
        if (!list || !ld || n1 <= 0 || list->size() != size_t(n1) || n0 + n1 > lm.getLayerCount())
            return false;
        r.layerIdx = n0;
        r.layerID = ld->uniqueID;
        keepBox(r, *ld);
        r.dataVal0 = n1;
        r.dataVal1 = extras.offset.x;
        r.dataVal2 = extras.offset.y;
        r.dataVal3 = n3;
        r.dataObj = list;
        return true;
    }
    case udcnComplexLinkLayer: {
        const CLayerData *p = lm.getLayer(n0), *s = lm.getLayer(n2);
        if (!p || !s || n1 < 0 || n3 < 0)
            return false;
        r.layerIdx = n0;
        r.layerID = p->uniqueID;
        keepBox(r, *p);
        r.setAttr(true, p->uniqueID, udDataType::uddtComplex, cn, n0, n1, n2, n3);
        r.dataIds = {p->uniqueID, s->uniqueID};
        return true;
    }
    case udcnComplexMoveLayerLinkPos:
    case udcnComplexMoveLayerLinkSelPos: {
        TUndoLayerList *list = obj.layerList();
        const CLayerData *ld = lm.getLayer(n0);
        if (!list || !ld || list->size() != size_t(lm.getLayerCount()))
            return false;
        r.layerIdx = n0;
        r.layerID = ld->uniqueID;
        keepBox(r, *ld);
        r.dataVal0 = extras.offset.x;
        r.dataVal1 = extras.offset.y;
        r.dataVal2 = n2;
        r.dataObj = list;
        return true;
    }
    case udcnComplexVisOnlyLayer:
    case udcnComplexVisAllLayer:
    case udcnComplexVisFlipLayer:
    case udcnComplexVisLayerGroup:
        return makeVisibility(r, lm, n0, n1, n2);
    default:
        // Not a complex command, or one whose restore needs an operation not built.
        return false;
    }
}

// ---- applying the records

struct SRestore
{
    CUndoData &rec;
    CLayerMngr &lm;
    int32_t &idx;
    sBox &box;
    bool redo() const { return rec.bNowRedo; }
    void flip() { rec.bNowRedo = !rec.bNowRedo; }
    void recordBox() { box = rec.getBox(); }
};

// 28, 45: undo puts the merged layers back under the merged one and keeps the merged one; redo
// the other way round.
bool restoreListBind(SRestore &s)
{
    TUndoLayerList *list = s.rec.dataObj.layerList();
    const int32_t base = s.rec.layerIdx, n = s.rec.dataVal0;
    if (!list || n <= 0)
        return false;
    if (!s.redo()) {
        if (!listFits(s.lm, list, n) || !s.lm.chkIndex(base) || !s.lm.reserve(n))
            return false;
        for (int32_t k = 0; k < n; ++k)
            putIn(s.lm, base + k, (*list)[size_t(k)].release());
        CLayerData *merged = takeOut(s.lm, base + n);
        list->clear();
        list->emplace_back(merged); // the list had room for n >= 1
    } else {
        if (!listFits(s.lm, list, 1) || !canInsertAt(s.lm, base) ||
            base + n > s.lm.getLayerCount() || !s.lm.reserve(1))
            return false;
        list->reserve(size_t(n));
        CLayerData *merged = (*list)[0].release();
        list->clear();
        putIn(s.lm, base, merged);
        for (int32_t k = 0; k < n; ++k)
            list->emplace_back(takeOut(s.lm, base + 1));
    }
    s.lm.chkCurIndex();
    s.flip();
    boxOfLayerAt(s.rec, s.lm, s.idx, s.box);
    return true;
}

// 29: the members' clip flags come back (undo) or go again (redo). The base gets back the flag
// it had (undo); after the release it has none (redo): only a bottom layer can be a flagged
// base, and releasing clears its flag.
bool restoreReleaseClip(SRestore &s)
{
    const int32_t base = s.rec.layerIdx, n = s.rec.dataVal1;
    if (!s.lm.chkIndex(base) || n < 0 || base + n > s.lm.getMaxIndex())
        return false;
    s.lm.getLayer(base)->ChangeUnderLyrClip(!s.redo() && s.rec.dataVal0 != 0);
    for (int32_t k = 1; k <= n; ++k)
        s.lm.getLayer(base + k)->ChangeUnderLyrClip(!s.redo());
    s.lm.chkCurIndex();
    s.lm.renumberIndex();
    s.flip();
    boxOfLayerAt(s.rec, s.lm, s.idx, s.box);
    return true;
}

// 32, 34, 35: the new layer leaves (undo) and comes back (redo) as the same object.
bool restoreAdd(SRestore &s)
{
    CLayerData *ld = s.rec.dataObj.layer();
    if (!ld)
        return false;
    if (!s.redo()) {
        const int32_t i = s.lm.findLayer(s.rec.layerID);
        const int32_t cur = s.rec.dataVal1;
        if (i < 0 || s.lm.getLayer(i) != ld || cur < 0 || cur >= s.lm.getLayerCount() - 1)
            return false;
        takeOut(s.lm, i);
        s.lm.setCurIndex(cur);
        s.idx = s.lm.getCurIndex();
    } else {
        if (!absent(s.lm, s.rec.layerID) || !canInsertAt(s.lm, s.rec.dataVal0) || !s.lm.reserve(1))
            return false;
        s.idx = putIn(s.lm, s.rec.dataVal0, ld);
    }
    s.flip();
    s.recordBox();
    return true;
}

// 33: the deleted layer comes back (undo) and leaves again (redo).
bool restoreDelete(SRestore &s)
{
    CLayerData *ld = s.rec.dataObj.layer();
    if (!ld)
        return false;
    if (!s.redo()) {
        if (!absent(s.lm, s.rec.layerID) || !canInsertAt(s.lm, s.rec.dataVal0) || !s.lm.reserve(1))
            return false;
        s.idx = putIn(s.lm, s.rec.dataVal0, ld);
    } else {
        const int32_t i = s.lm.findLayer(s.rec.layerID);
        if (i < 0 || s.lm.getLayer(i) != ld)
            return false;
        takeOut(s.lm, i);
        s.idx = s.lm.getCurIndex();
    }
    s.flip();
    s.recordBox();
    return true;
}

// 36: the layer now at dataVal1 goes to dataVal0; the two exchange for the next time.
bool restoreMove(SRestore &s)
{
    const int32_t from = s.rec.dataVal1, to = s.rec.dataVal0;
    const CLayerData *ld = s.lm.getLayer(from);
    if (!ld || ld->uniqueID != s.rec.layerID || to == from || !s.lm.chkIndex(to))
        return false;
    s.idx = s.lm.moveLayer(to, from);
    s.rec.swapValue01();
    s.recordBox();
    return true;
}

// 37: undo puts the upper layer back and the lower one in place of the merged one, which the
// record keeps; redo puts the merged one back and takes the upper one out again.
bool restoreMergeDown(SRestore &s)
{
    const int32_t upperAt = undoLowHalf(s.rec.dataVal0), lowerAt = undoHighHalf(s.rec.dataVal0);
    CLayerData *other = s.rec.dataObj.layer();
    CLayerData *upper = s.rec.dataLayer2;
    const CLayerData *below = s.lm.getLayer(lowerAt);
    if (!other || !upper || !below || below->uniqueID != s.rec.dataVal1 || upperAt != lowerAt + 1)
        return false;
    if (!s.redo()) {
        if (!absent(s.lm, s.rec.layerID) || !canInsertAt(s.lm, upperAt) || !s.lm.reserve(1))
            return false;
        const int32_t at = putIn(s.lm, upperAt, upper);
        s.rec.dataObj = exchange(s.lm, lowerAt, other);
        s.rec.dataVal0 = undoPackHalves(at, lowerAt);
        s.rec.bNowRedo = true;
        s.idx = at;
    } else {
        const CLayerData *now = s.lm.getLayer(upperAt);
        if (now != upper || now->uniqueID != s.rec.layerID)
            return false;
        takeOut(s.lm, upperAt); // it stays in dataLayer2
        s.rec.dataObj = exchange(s.lm, lowerAt, other);
        s.rec.bNowRedo = false;
        s.idx = s.lm.findLayer(s.rec.dataVal1);
    }
    s.recordBox();
    return true;
}

// 38: undo puts the saved bottom layer and the merged-away layers back (they stay listed in the
// saved manager too, unowned there: see undoOwnership); redo takes them out again.
bool restoreMergeAll(SRestore &s)
{
    CLayerMngr *saved = s.rec.dataObj.layerMngr();
    if (!saved || saved->getLayerCount() < 1 || !s.lm.chkIndex(0))
        return false;
    const int32_t n = saved->getLayerCount();
    if (s.rec.dataVal1 == 0) {
        if (s.lm.getLayer(0)->uniqueID != s.rec.layerID)
            return false;
        // Each goes back at its own index, from the lowest up; every one must land in the list.
        std::vector<int32_t> at;
        at.reserve(size_t(n));
        int32_t count = s.lm.getLayerCount();
        for (int32_t k = 1; k < n; ++k, ++count) {
            const CLayerData *ld = saved->getLayer(k);
            if (!absent(s.lm, ld->uniqueID) || ld->index < 0 || ld->index > count)
                return false;
            at.push_back(ld->index);
        }
        if (!s.lm.reserve(n - 1))
            return false;
        s.lm.swapLayer(0, *saved, 0, false);
        for (int32_t k = 1; k < n; ++k)
            putIn(s.lm, at[size_t(k - 1)], saved->getLayer(k));
        s.rec.dataVal1 = 1;
    } else {
        if (saved->getLayer(0)->uniqueID != s.rec.layerID)
            return false;
        for (int32_t k = 1; k < n; ++k) {
            const CLayerData *ld = saved->getLayer(k);
            if (s.lm.getLayer(s.lm.findLayer(ld->uniqueID)) != ld)
                return false;
        }
        s.lm.swapLayer(0, *saved, 0, false);
        for (int32_t k = n - 1; k >= 1; --k)
            static_cast<void>(takeOut(s.lm, s.lm.findLayer(saved->getLayer(k)->uniqueID)));
        s.rec.dataVal1 = 0;
        s.idx = 0;
    }
    s.lm.chkCurIndex();
    s.lm.renumberIndex();
    s.recordBox();
    return true;
}

// 39, 41: the kept whole copy and the document's layer exchange; the same record serves both
// ways.
bool restoreReplace(SRestore &s)
{
    CLayerData *in = s.rec.dataObj.layer();
    const int32_t i = s.lm.findLayer(s.rec.layerID);
    if (s.rec.dataVal1 == 0 || !in || i < 0)
        return false;
    const int32_t clash = s.lm.findLayer(in->uniqueID);
    if (clash >= 0 && clash != i)
        return false;
    s.box = in->imageBox();
    s.rec.layerID = in->uniqueID;
    CLayerData *out = exchange(s.lm, i, in);
    s.rec.setBox({0, 0, out->imageBox().w, out->imageBox().h});
    s.rec.dataVal2 = ~s.rec.dataVal2;
    s.rec.dataObj = out;
    s.idx = i;
    return true;
}

// The saved alpha bytes and the alpha of the layer exchange; false, nothing changed, when they
// cannot.
bool swapAlpha(CUndoData &rec, CLayerData &ld)
{
    if (!ld.imageTC)
        return false;
    const int32_t w = ld.imageTC->width(), h = ld.imageTC->height();
    sByteImage img;
    if (rec.dataBytes.size() != size_t(w) * size_t(h) || rec.dataBytes.empty() ||
        !byteImageAlloc(img, w, h))
        return false;
    std::memcpy(img.data.get(), rec.dataBytes.data(), rec.dataBytes.size());
    if (!byteImageSwapAlpha(img, *ld.imageTC))
        return false;
    std::memcpy(rec.dataBytes.data(), img.data.get(), rec.dataBytes.size());
    ld.updatePreview();
    return true;
}

// 42: the layer split off leaves (undo) or comes back (redo); the source's alpha is exchanged.
bool restoreSplit(SRestore &s)
{
    CLayerData *nl = s.rec.dataObj.layer();
    CLayerData *src = s.lm.getLayer(s.lm.findLayer(s.rec.layerID));
    if (!nl || !src || s.rec.dataIds.size() != 1)
        return false;
    const int32_t newId = s.rec.dataIds[0];
    if (!s.redo()) {
        const int32_t j = s.lm.findLayer(newId);
        if (s.lm.getLayer(j) != nl || !swapAlpha(s.rec, *src))
            return false;
        takeOut(s.lm, j);
        s.idx = s.lm.findLayer(s.rec.layerID);
    } else {
        if (!absent(s.lm, newId) || !canInsertAt(s.lm, s.rec.dataVal0) || !s.lm.reserve(1) ||
            !swapAlpha(s.rec, *src))
            return false;
        s.idx = putIn(s.lm, s.rec.dataVal0, nl);
    }
    s.flip();
    s.recordBox();
    return true;
}

// 43: the group levels of the table before (undo) or after (redo).
bool restoreGroupLevels(SRestore &s)
{
    const std::vector<uint8_t> &tbl = s.rec.dataTables[s.redo() ? 1 : 0];
    if (absent(s.lm, s.rec.layerID) ||
        !s.lm.changeGroupLevel(tbl, 0, std::min(s.rec.dataVal0, s.lm.getLayerCount())))
        return false;
    s.lm.initGroupAry(true);
    s.flip();
    s.recordBox();
    return true;
}

// 44: the deleted group head comes back over its members (undo) or leaves again (redo).
bool restoreDeleteHead(SRestore &s)
{
    CLayerData *head = s.rec.dataObj.layer();
    const int32_t members = s.rec.dataVal2;
    if (!head)
        return false;
    if (!s.redo()) {
        if (!absent(s.lm, s.rec.layerID) || !canInsertAt(s.lm, s.rec.layerIdx) || !s.lm.reserve(1))
            return false;
        const int32_t at = putIn(s.lm, s.rec.layerIdx, head);
        s.lm.modifyGroup(at + 1, members, 1, true);
        s.idx = at;
    } else {
        const int32_t i = s.lm.findLayer(s.rec.layerID);
        if (i < 0 || s.lm.getLayer(i) != head)
            return false;
        s.lm.modifyGroup(i + 1, members, -1, true);
        takeOut(s.lm, i);
        s.lm.initGroupAry(true);
        s.idx = s.lm.getCurIndex();
    }
    s.flip();
    s.recordBox();
    return true;
}

// 46: the group's layers come back (undo) or leave again (redo).
bool restoreDeleteGroup(SRestore &s)
{
    TUndoLayerList *list = s.rec.dataObj.layerList();
    const int32_t first = s.rec.dataVal0, n = s.rec.dataVal1;
    const int32_t keeper = s.lm.findLayer(s.rec.layerID);
    if (!list || n <= 0 || keeper < 0)
        return false;
    if (!s.redo()) {
        if (!listFits(s.lm, list, n) || !canInsertAt(s.lm, first) || !s.lm.reserve(n))
            return false;
        for (int32_t k = 0; k < n; ++k)
            putIn(s.lm, first + k, (*list)[size_t(k)].release());
        list->clear();
        s.idx = first;
    } else {
        if (!list->empty() || first < 0 || first + n > s.lm.getLayerCount() ||
            (keeper >= first && keeper < first + n))
            return false;
        list->reserve(size_t(n));
        for (int32_t k = 0; k < n; ++k)
            list->emplace_back(takeOut(s.lm, first));
        s.idx = s.rec.layerIdx;
    }
    s.lm.initGroupAry(true);
    s.flip();
    boxOfLayerAt(s.rec, s.lm, s.idx, s.box);
    return true;
}

// Where moveLayers puts a block moved from src to dst.
int32_t movedTo(int32_t dst, int32_t src, int32_t cnt)
{
    return dst < src ? dst : dst - cnt;
}

// 47: the group moves back to layerIdx (undo), its old level restored, or again to its new place
// (redo).
bool restoreMoveGroup(SRestore &s)
{
    const int32_t orig = s.rec.layerIdx, dst = s.rec.dataVal0, cnt = s.rec.dataVal2;
    const int32_t now = s.rec.dataVal3;
    const int32_t from = s.redo() ? orig : now;
    const int32_t to = s.redo() ? dst : now + orig - dst + cnt;
    const int32_t expect = s.redo() ? now : orig;
    const CLayerData *head = s.lm.getLayer(from);
    if (!head || head->uniqueID != s.rec.layerID || !s.lm.canMoveLayers(to, from, cnt, true) ||
        movedTo(to, from, cnt) != expect)
        return false;
    const int32_t a = s.lm.moveLayers(to, from, cnt);
    if (a < 0)
        return false; // nothing moved
    if (!s.redo()) {
        const int32_t d = undoLowHalf(s.rec.dataVal1) - s.lm.getLayer(a)->groupLevel;
        if (d != 0) {
            for (int32_t k = 0; k < cnt; ++k)
                s.lm.getLayer(a + k)->addGroupLevel(d);
            s.lm.initGroupAry(true);
        }
    } else {
        s.idx = a;
    }
    s.flip();
    s.recordBox();
    return true;
}

// 48, 51: each kept layer and the document's layer exchange; the other layers of the move go
// back (undo) or again (redo) by the offset.
bool restoreMovePositions(SRestore &s, bool linked)
{
    TUndoLayerList *list = s.rec.dataObj.layerList();
    const int32_t at = s.rec.layerIdx;
    const int32_t n = linked ? s.lm.getLayerCount() : s.rec.dataVal0;
    const CLayerData *ld = s.lm.getLayer(at);
    if (!list || !ld || ld->uniqueID != s.rec.layerID || n <= 0 || list->size() != size_t(n) ||
        (!linked && at + n > s.lm.getLayerCount()))
        return false;
    for (int32_t i = 0; i < n; ++i) {
        const CLayerData *e = (*list)[size_t(i)].get();
        const int32_t target = e ? (linked ? e->index : at + i) : 0;
        if (e && (!s.lm.chkIndex(target) ||
                  (!absent(s.lm, e->uniqueID) && s.lm.getLayer(target)->uniqueID != e->uniqueID)))
            return false;
    }
    const sPos d =
        linked ? sPos{s.rec.dataVal0, s.rec.dataVal1} : sPos{s.rec.dataVal1, s.rec.dataVal2};
    const sPos ofs = s.redo() ? d : sPos{-d.x, -d.y};
    for (int32_t i = 0; i < n; ++i) {
        std::unique_ptr<CLayerData> &e = (*list)[size_t(i)];
        if (e) {
            const int32_t target = linked ? e->index : at + i;
            e.reset(exchange(s.lm, target, e.release()));
        } else if (!linked || i == at || s.lm.isLinked(at, i)) {
            s.lm.getLayer(linked ? i : at + i)->moveParallel(ofs);
        }
    }
    // An exchanged layer may carry another id: the next restore looks for this one.
    s.rec.layerID = s.lm.getLayer(at)->uniqueID;
    s.idx = at;
    s.flip();
    boxOfLayerAt(s.rec, s.lm, s.idx, s.box);
    return true;
}

// 50: both link numbers exchange with the kept ones.
bool restoreLink(SRestore &s)
{
    CLayerData *p = s.lm.getLayer(s.rec.dataVal0);
    CLayerData *q = s.lm.getLayer(s.rec.dataVal2);
    if (!p || !q || s.rec.dataIds.size() != 2 || p->uniqueID != s.rec.dataIds[0] ||
        q->uniqueID != s.rec.dataIds[1] || s.rec.dataVal1 < 0 || s.rec.dataVal3 < 0)
        return false;
    std::swap(p->linkIndex, s.rec.dataVal1);
    std::swap(q->linkIndex, s.rec.dataVal3);
    s.idx = s.rec.dataVal0;
    return true;
}

// 53-56: every layer's visibility exchanges with the kept byte.
bool restoreVisibility(SRestore &s)
{
    const int32_t n = s.rec.dataVal1;
    if (absent(s.lm, s.rec.layerID) || n < 0 || n > s.lm.getLayerCount() ||
        s.rec.dataBytes.size() != size_t(n))
        return false;
    for (int32_t i = 0; i < n; ++i) {
        CLayerData &ld = *s.lm.getLayer(i);
        const bool was = ld.visible;
        ld.visible = s.rec.dataBytes[size_t(i)] != 0;
        s.rec.dataBytes[size_t(i)] = was ? 1 : 0;
    }
    s.recordBox();
    return true;
}

} // namespace

// ---- the moves that carry a selection mask along (40, 49, 52)

namespace {

// What moveSelect does without the ants: the mask's view position lowered by ofs, its preview
// redrawn.
void shiftMask(CMaskMngr &mm, CMaskData &md, const sPos &ofs)
{
    md.viewPos.x -= ofs.x;
    md.viewPos.y -= ofs.y;
    mm.updatePreview(&md);
}

// The mask a record names by index and whole id, when it is there and holds a selection.
CMaskData *recordMask(CMaskMngr &mm, int32_t idx, int32_t id)
{
    CMaskData *md = mm.getMask(idx);
    return md && md->uniqueID == id && CMaskData::hasMask(md) ? md : nullptr;
}

// 40: the layer and its kept copy exchange as in 39, the mask moves back (undo) or again (redo).
bool restoreMoveWithSelect(SRestore &s, CMaskMngr &mm)
{
    CLayerData *in = s.rec.dataObj.layer();
    const int32_t i = s.lm.findLayer(s.rec.layerID);
    if (!in || i < 0 || s.rec.dataIds.size() != 1)
        return false;
    const int32_t clash = s.lm.findLayer(in->uniqueID);
    CMaskData *md = recordMask(mm, undoLowHalf(s.rec.dataVal1), s.rec.dataIds[0]);
    if ((clash >= 0 && clash != i) || !md)
        return false;
    const sPos d{s.rec.dataVal2, s.rec.dataVal3};
    s.box = in->imageBox();
    s.rec.layerID = in->uniqueID;
    CLayerData *out = exchange(s.lm, i, in);
    s.rec.setBox({0, 0, out->imageBox().w, out->imageBox().h});
    s.rec.dataObj = out;
    shiftMask(mm, *md, s.redo() ? d : sPos{-d.x, -d.y});
    s.idx = i;
    s.flip();
    return true;
}

} // namespace

bool isSelectMoveUndoCommand(udCmdName cn)
{
    return cn == udcnComplexMoveLayerSelectPos || cn == udcnComplexMoveLayerGroupSelPos ||
           cn == udcnComplexMoveLayerLinkSelPos;
}

std::unique_ptr<CUndoData> makeSelectMoveRecord(CLayerMngr &lm, CMaskMngr &mm,
                                                const CUndoObj &obj, udCmdName cn, int32_t n0,
                                                int32_t n1, int32_t n2, int32_t n3,
                                                SUndoExtras &extras)
{
    if (cn != udcnComplexMoveLayerSelectPos) {
        // 49 and 52 are 48 and 51 with the mask index in n3 (49) or n2 (52).
        const int32_t midx = cn == udcnComplexMoveLayerGroupSelPos ? n3 : n2;
        const CMaskData *md = mm.getMask(midx);
        if (!CMaskData::hasMask(md))
            return nullptr;
        std::unique_ptr<CUndoData> rec = makeComplexRecord(lm, obj, cn, n0, n1, n2, n3, extras);
        if (rec)
            rec->dataIds = {md->uniqueID};
        return rec;
    }
    // 40: the index and the mask index with the low halves of the new layer's and the mask's
    // ids; the whole ids are read here, where both are still there.
    int32_t id = 0;
    const CMaskData *md = mm.getMask(undoLowHalf(n1));
    if (!obj.layer() || !wholeIdAt(lm, undoLowHalf(n0), undoHighHalf(n0), id) ||
        !CMaskData::hasMask(md) || undoLowHalf(md->uniqueID) != undoHighHalf(n1))
        return nullptr;
    auto rec = std::make_unique<CUndoData>(-1);
    rec->setAttr(true, -1, udDataType::uddtComplex, cn, 0, 0, 0, 0);
    rec->layerIdx = undoLowHalf(n0);
    rec->layerID = id;
    keepBox(*rec, *lm.getLayer(rec->layerIdx));
    rec->dataVal0 = n0;
    rec->dataVal1 = n1;
    rec->dataVal2 = n2;
    rec->dataVal3 = n3;
    rec->dataIds = {md->uniqueID};
    rec->dataObj = obj.layer();
    return rec;
}

bool restoreSelectMoveRecord(CUndoData &rec, CLayerMngr &lm, CMaskMngr &mm, int32_t &idx,
                             sBox &box)
{
    SRestore s{rec, lm, idx, box};
    if (rec.cmdName == udcnComplexMoveLayerSelectPos)
        return restoreMoveWithSelect(s, mm);
    const bool group = rec.cmdName == udcnComplexMoveLayerGroupSelPos;
    if (rec.dataIds.size() != 1 || (!group && rec.cmdName != udcnComplexMoveLayerLinkSelPos))
        return false;
    CMaskData *md = recordMask(mm, group ? rec.dataVal3 : rec.dataVal2, rec.dataIds[0]);
    if (!md)
        return false;
    const bool redo = rec.bNowRedo;
    if (!restoreMovePositions(s, !group))
        return false;
    const sPos d = group ? sPos{rec.dataVal1, rec.dataVal2} : sPos{rec.dataVal0, rec.dataVal1};
    shiftMask(mm, *md, redo ? d : sPos{-d.x, -d.y});
    return true;
}

int32_t undoLowHalf(int32_t v)
{
    return int32_t(uint32_t(v) & 0xFFFFu);
}

int32_t undoHighHalf(int32_t v)
{
    return int32_t(uint32_t(v) >> 16);
}

int32_t undoPackHalves(int32_t low, int32_t high)
{
    return int32_t((uint32_t(low) & 0xFFFFu) | (uint32_t(high) << 16));
}

std::unique_ptr<CUndoData> makeComplexRecord(CLayerMngr &lm, const CUndoObj &obj, udCmdName cn,
                                             int32_t n0, int32_t n1, int32_t n2, int32_t n3,
                                             SUndoExtras &extras)
{
    auto rec = std::make_unique<CUndoData>(-1);
    rec->setAttr(true, -1, udDataType::uddtComplex, cn, 0, 0, 0, 0);
    if (!fillComplex(*rec, lm, obj, cn, n0, n1, n2, n3, extras)) {
        // Nothing it refers to is its own yet.
        rec->dataObj.clear();
        rec->dataLayer2 = nullptr;
        return nullptr;
    }
    return rec;
}

bool restoreComplexRecord(CUndoData &rec, CLayerMngr &lm, int32_t &idx, sBox &box)
{
    SRestore s{rec, lm, idx, box};
    switch (rec.cmdName) {
    case udcnComplexLayerBindClippingGroup:
    case udcnComplexBindLayerGroup:
        return restoreListBind(s);
    case udcnComplexLayerReleaseClippingGroup:
        return restoreReleaseClip(s);
    case udcnComplexAddLayer:
    case udcnComplexDupLayer:
    case udcnComplexPasteLayer:
        return restoreAdd(s);
    case udcnComplexDelLayer:
        return restoreDelete(s);
    case udcnComplexMoveLayer:
        return restoreMove(s);
    case udcnComplexBindLayer:
        return restoreMergeDown(s);
    case udcnComplexBindAllLayers:
        return restoreMergeAll(s);
    case udcnComplexMoveLayerPos:
    case udcnComplexReplaceLayer:
        return restoreReplace(s);
    case udcnComplexSplitWithMask:
        return restoreSplit(s);
    case udcnComplexLayerGroup:
        return restoreGroupLevels(s);
    case udcnComplexDelLayerGroup:
        return restoreDeleteHead(s);
    case udcnComplexDelGroupLayers:
        return restoreDeleteGroup(s);
    case udcnComplexMoveLayerGroup:
        return restoreMoveGroup(s);
    case udcnComplexMoveLayerGroupPos:
        return restoreMovePositions(s, false);
    case udcnComplexMoveLayerLinkPos:
        return restoreMovePositions(s, true);
    case udcnComplexLinkLayer:
        return restoreLink(s);
    case udcnComplexVisOnlyLayer:
    case udcnComplexVisAllLayer:
    case udcnComplexVisFlipLayer:
    case udcnComplexVisLayerGroup:
        return restoreVisibility(s);
    default:
        return false;
    }
}
