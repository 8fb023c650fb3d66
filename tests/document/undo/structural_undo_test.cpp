// Undo and redo of layer-structure and selection-mask operations, pushed directly on a small
// headless document the way the operations push them: every record brings back the exact state
// (the same layer and mask objects where it keeps them), refuses what it cannot apply without
// changing anything, and owns exactly the objects that are out of the document (a wrong rule shows
// as a leak or a double free under AddressSanitizer).
#include "document/undo/undo_stock.h"

#include "core/mask/mask_manager.h"
#include "core/tiles/block_channel.h"
#include "document/paper/layer_manager.h"
#include "document/undo/undo_structure.h"
#include "support/captured_messages.h"
#include "support/paper_fakes.h"
#include "undo_fixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

namespace {

using namespace undo_test;
using enum udCmdName;

struct LayerSnap
{
    const CLayerData *obj;
    int32_t id;
    QString title;
    bool visible;
    bool clip;
    int32_t link;
    int32_t level;
    sPos viewPos;
    std::vector<uint32_t> pixels;
    bool operator==(const LayerSnap &) const = default;
};

void PrintTo(const LayerSnap &l, std::ostream *os)
{
    uint64_t sum = 0;
    for (uint32_t p : l.pixels)
        sum = sum * 31 + p;
    *os << "{" << l.obj << " id " << l.id << " " << l.title.toStdString() << " vis " << l.visible
        << " clip " << l.clip << " link " << l.link << " level " << l.level << " at " << l.viewPos.x
        << "," << l.viewPos.y << " pixels " << sum << "}";
}

struct MaskSnap
{
    const CMaskData *obj;
    int32_t id;
    QString title;
    sPos viewPos;
    std::vector<int32_t> values;
    bool operator==(const MaskSnap &) const = default;
};

struct DocSnap
{
    std::vector<LayerSnap> layers;
    std::vector<MaskSnap> masks;
    int32_t curLayer;
    int32_t curMask;
    bool operator==(const DocSnap &) const = default;
};

// A document of three 40 x 30 layers with different pixels (the middle one hidden) and two masks,
// the second holding a selection; undo limits 100 / 100 / 32.
class StructDoc
{
  public:
    StructDoc()
    {
        ok = doc.paper && setupHeadlessPaper(paper(), {40, 30}, 0xFFFFFF, 3);
        if (!ok)
            return;
        um = paper().undoMngrEx();
        for (int32_t i = 0; i < lm().getLayerCount(); ++i) {
            CLayerData &ld = *lm().getLayer(i);
            ld.imageTC->fillImage({i * 5, i * 3, 9, 7}, 0xFF102030u + uint32_t(i) * 0x111111u);
            ld.visible = i != 1;
        }
        const int32_t m = mm().insertMask(1);
        ok = m == 1 && mm().getMask(0)->createMask(40, 30) && mm().getMask(m)->createMask(40, 30);
        if (ok)
            for (int32_t y = 4; y < 12; ++y)
                for (int32_t x = 6; x < 20; ++x)
                    *mm().getMask(m)->maskTC->seekPixelAddr(x, y, true) = uint8_t(x * 9 + y);
        mm().setCurIndex(0);
    }

    TPaper &paper() { return *doc.paper; }
    CLayerMngr &lm() { return paper().layerMngr(); }
    CMaskMngr &mm() { return paper().maskMngr(); }
    CLayerData &layer(int32_t i) { return *lm().getLayer(i); }
    int32_t id(int32_t i) { return layer(i).uniqueID; }

    bool push(udCmdName cn, int32_t n0, int32_t n1, int32_t n2, int32_t n3,
              const CUndoObj &obj = {}, SUndoExtras &&extras = {})
    {
        return pushUndo(paper(), obj, cn, n0, n1, n2, n3, std::move(extras));
    }
    // Through the layer list's undo dispatch, as the document undoes.
    bool undo(bool redo = false)
    {
        sRect r;
        udUpdateType ut;
        idx = lm().getCurIndex();
        return redo ? lm().doRedo(*um, idx, r, ut) : lm().doUndo(*um, idx, r, ut);
    }
    bool redo() { return undo(true); }
    // Straight on the manager: a failed restore leaves the other records alone.
    bool pop(bool redo = false)
    {
        sBox box;
        idx = lm().getCurIndex();
        return redo ? um->popRedo(idx, nullptr, box) : um->popUndo(idx, nullptr, box);
    }

    DocSnap snap(bool objects = true)
    {
        DocSnap s{{}, {}, lm().getCurIndex(), mm().getCurIndex()};
        for (int32_t i = 0; i < lm().getLayerCount(); ++i) {
            const CLayerData &ld = layer(i);
            s.layers.push_back({objects ? &ld : nullptr, objects ? ld.uniqueID : 0, ld.title,
                                ld.visible, ld.underLyrClip, ld.linkIndex, ld.groupLevel,
                                ld.viewPos, pixelsOf(*ld.imageTC)});
        }
        for (int32_t i = 0; i < mm().getMaskCount(); ++i) {
            const CMaskData &md = *mm().getMask(i);
            MaskSnap m{
                objects ? &md : nullptr, objects ? md.uniqueID : 0, md.title, md.viewPos, {}};
            for (int32_t y = 0; y < 30; y += 3)
                for (int32_t x = 0; x < 40; x += 2)
                    m.values.push_back(md.getMaskValue(x, y));
            s.masks.push_back(std::move(m));
        }
        return s;
    }

    ScopedUndoMax undoMax{100};
    CapturedMessages messages;
    HeadlessDocument doc;
    CUndoMngrEx *um = nullptr;
    int32_t idx = -1;
    bool ok = false;
};

// A layer of the document's size with a mark of its own.
std::unique_ptr<CLayerData> markedLayer(uint32_t colour)
{
    auto ld = std::make_unique<CLayerData>(0, false);
    if (!ld->createLayer(40, 30, TLayerMode::LM_STD))
        return nullptr;
    ld->imageTC->fillImage({2, 2, 30, 20}, colour);
    ld->visible = true;
    return ld;
}

// ---- every record: the operation as it pushes, then undo, redo, undo again

struct SOperation
{
    const char *name;
    // Changes d as the operation does and pushes its record; false when it could not.
    std::function<bool(StructDoc &d)> run;
    // The record brings back equal layers, not the same objects (whole copies exchanged).
    bool sameObjects = true;
    // The state the operation starts from, made before the first look.
    std::function<void(StructDoc &d)> prepare = [](StructDoc &) {};
};

bool addLayer(StructDoc &d, udCmdName cn)
{
    const int32_t active = d.lm().getCurIndex();
    auto ld = markedLayer(0xFF00FF00u);
    const int32_t at = d.lm().insertLayer(1, ld);
    return at == 1 && d.push(cn, at, d.id(at), active, d.id(active));
}

bool deleteLayer(StructDoc &d)
{
    if (!d.push(udcnComplexDelLayer, 1, d.id(1), d.id(0), 0))
        return false;
    static_cast<void>(d.lm().removeAt(1).release()); // the record keeps it
    return true;
}

bool moveLayer(StructDoc &d)
{
    const int32_t id = d.id(0);
    const int32_t at = d.lm().moveLayer(2, 0);
    return d.push(udcnComplexMoveLayer, 0, at, id, 0);
}

bool mergeDown(StructDoc &d)
{
    if (!d.push(udcnComplexBindLayer, 2, 1, d.id(2), 0))
        return false;
    std::unique_ptr<CLayerData> oldLower;
    if (!d.lm().bindLayer(1, 2, 0, true, &oldLower))
        return false;
    static_cast<void>(oldLower.release());        // the record's
    static_cast<void>(d.lm().popAt(2).release()); // the record's
    d.lm().renumberIndex();
    return true;
}

bool mergeAll(StructDoc &d)
{
    auto saved = std::make_unique<CLayerMngr>(4);
    auto merged = markedLayer(0xFF445566u);
    if (saved->insertAt(0, merged) != 0)
        return false;
    // The merged-away layers keep their indices in the saved list.
    for (int32_t k = 1; k < 3; ++k) {
        std::unique_ptr<CLayerData> ld = d.lm().popAt(1);
        saved->insertAt(k, ld);
    }
    d.lm().swapLayer(0, *saved, 0, false);
    d.lm().chkCurIndex();
    const int32_t id = d.id(0);
    CLayerMngr *raw = saved.release();
    if (d.push(udcnComplexBindAllLayers, 0, id, 0, 0, raw))
        return true;
    delete raw;
    return false;
}

// The layers from..from+n-1 leave into a list; a new marked layer takes their place.
bool bindIntoOne(StructDoc &d, udCmdName cn, int32_t from, int32_t n)
{
    const int32_t asked = cn == udcnComplexBindLayerGroup ? d.id(from) : from;
    auto *list = new TUndoLayerList;
    for (int32_t k = n - 1; k >= 0; --k)
        list->insert(list->begin(), d.lm().popAt(from + k));
    auto merged = markedLayer(0xFF778899u);
    d.lm().insertLayer(from, merged);
    if (d.push(cn, from, n, d.lm().getLayerCount(), asked, list))
        return true;
    delete list;
    return false;
}

void makeClip(StructDoc &d)
{
    d.layer(2).underLyrClip = true;
}

bool releaseClip(StructDoc &d)
{
    if (!d.push(udcnComplexLayerReleaseClippingGroup, 1, 0, d.lm().countClipMember(1), 0))
        return false;
    return d.lm().releaseClipGroup(1);
}

bool replaceLayer(StructDoc &d)
{
    auto copy = std::make_unique<CLayerData>(0, false);
    if (!copy->createLayer(d.layer(1)))
        return false;
    d.layer(1).imageTC->fillImage({0, 0, 40, 30}, 0xFFABCDEFu);
    d.layer(1).viewPos = {3, 4};
    CLayerData *raw = copy.release();
    if (d.push(udcnComplexReplaceLayer, 1, d.id(1), 1, 0, raw))
        return true;
    delete raw;
    return false;
}

bool splitWithMask(StructDoc &d)
{
    SUndoExtras ex;
    CBlockVMTC &img = *d.layer(1).imageTC;
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            ex.bytes.push_back(uint8_t(img.getColor(x, y) >> 24));
    auto nl = markedLayer(0xFF001122u);
    CLayerData *raw = nl.get();
    if (d.lm().insertLayer(2, nl) != 2)
        return false;
    if (!d.layer(1).fillAlpha(0)) // the split takes the selected part's alpha
        return false;
    return d.push(udcnComplexSplitWithMask, 1, d.id(1), 1, 0, raw, std::move(ex));
}

bool groupIn(StructDoc &d)
{
    SUndoExtras ex;
    d.lm().initGroupAry(true);
    ex.tables[0] = d.lm().getGroupAry();
    if (!d.lm().doGroup(2, true, true) || !d.lm().initGroupAry(true))
        return false;
    ex.tables[1] = d.lm().getGroupAry();
    return d.push(udcnComplexLayerGroup, 2, d.id(2), 0, 0, {}, std::move(ex));
}

// Layer 1 heads a group whose member is layer 2.
void makeGroup(StructDoc &d)
{
    d.layer(2).groupLevel = 1;
    d.lm().initGroupAry(true);
}

bool deleteGroupHead(StructDoc &d)
{
    const int32_t members = d.lm().countGroupMember(1, true);
    SUndoExtras ex;
    ex.bytes = d.lm().getGroupAry();
    const int32_t n1 = undoPackHalves(d.id(1), d.id(0));
    const int32_t n2 = undoPackHalves(d.lm().getLayerCount(), members);
    if (!d.push(udcnComplexDelLayerGroup, 1, n1, n2, 0, {}, std::move(ex)))
        return false;
    d.lm().modifyGroup(2, members, -1, true);
    static_cast<void>(d.lm().removeAt(1).release());
    return true;
}

bool deleteGroupLayers(StructDoc &d)
{
    auto *list = new TUndoLayerList;
    for (int32_t k = 0; k < 2; ++k)
        list->push_back(d.lm().popAt(1));
    d.lm().renumberIndex();
    d.lm().chkCurIndex();
    if (d.push(udcnComplexDelGroupLayers, 1, 2, d.lm().getLayerCount(), undoPackHalves(0, d.id(0)),
               list))
        return true;
    delete list;
    return false;
}

void makeGroupUnderATop(StructDoc &d)
{
    auto top = markedLayer(0xFF334455u);
    d.lm().insertLayer(3, top);
    makeGroup(d);
}

bool moveGroup(StructDoc &d)
{
    const int32_t oldLevel = d.layer(1).groupLevel;
    const int32_t at = d.lm().moveLayers(4, 1, 2);
    if (at < 0)
        return false;
    return d.push(udcnComplexMoveLayerGroup, undoPackHalves(1, 4),
                  undoPackHalves(oldLevel, d.layer(at).groupLevel), undoPackHalves(d.id(at), 2),
                  at);
}

bool moveGroupPosition(StructDoc &d)
{
    const sPos ofs{3, -2};
    auto *list = new TUndoLayerList(2);
    d.layer(1).moveParallel(ofs);
    // The member is exchanged for a moved copy; the list keeps the layer as it was.
    auto moved = std::make_unique<CLayerData>(0, false);
    moved->createLayer(d.layer(2));
    moved->viewPos = {7, 7};
    (*list)[1] = d.lm().replaceLayerData(2, moved);
    SUndoExtras ex;
    ex.offset = ofs;
    if (d.push(udcnComplexMoveLayerGroupPos, 1, 2, 0, 0, list, std::move(ex)))
        return true;
    delete list;
    return false;
}

bool link(StructDoc &d)
{
    const int32_t l0 = d.layer(0).linkIndex, l2 = d.layer(2).linkIndex;
    return d.lm().linkLayer(0, 2) && d.push(udcnComplexLinkLayer, 0, l0, 2, l2);
}

bool moveLinked(StructDoc &d)
{
    const sPos ofs{-4, 5};
    for (int32_t i : {0, 2})
        d.layer(i).moveParallel(ofs);
    auto *list = new TUndoLayerList(3);
    SUndoExtras ex;
    ex.offset = ofs;
    if (d.push(udcnComplexMoveLayerLinkPos, 0, 0, 0, 0, list, std::move(ex)))
        return true;
    delete list;
    return false;
}

bool visibility(StructDoc &d, udCmdName cn, const std::function<void(CLayerMngr &)> &change)
{
    if (!d.push(cn, 2, 0, 0, 0))
        return false;
    change(d.lm());
    return true;
}

// ---- masks

bool maskInsert(StructDoc &d, bool kept)
{
    const int32_t before = d.mm().getCurIndex();
    const int32_t at = d.mm().insertMask(1);
    if (at < 0)
        return false;
    d.mm().setCurIndex(at);
    CMaskData *md = d.mm().getMask(at);
    return d.push(kept ? udcnMaskInsert2 : udcnMaskInsert, 0, at, md->uniqueID,
                  undoPackHalves(before, at), kept ? CUndoObj(md) : CUndoObj());
}

bool maskRemove(StructDoc &d)
{
    const int32_t before = d.mm().getCurIndex();
    std::unique_ptr<CMaskData> old;
    if (!d.mm().removeMask(1, old))
        return false;
    const int32_t id = old->uniqueID;
    CMaskData *raw = old.release();
    if (d.push(udcnMaskRemove, 0, 1, id, undoPackHalves(before, d.mm().getCurIndex()), raw))
        return true;
    delete raw;
    return false;
}

bool maskReplace(StructDoc &d)
{
    std::unique_ptr<CMaskData> old;
    if (!d.mm().deleteMask(1, old))
        return false;
    CMaskData *raw = old.release();
    if (d.push(udcnMaskReplace, 0, 1, d.mm().getMask(1)->uniqueID, 0, raw))
        return true;
    delete raw;
    return false;
}

bool maskBind(StructDoc &d)
{
    std::unique_ptr<CMaskData> old;
    if (!d.mm().bindMask(0, 1, old, eMaskAddType::matAdd))
        return false;
    CMaskData *raw = old.release();
    if (d.push(udcnMaskBind, 0, 1, 0, int32_t(eMaskAddType::matAdd), raw))
        return true;
    delete raw;
    return false;
}

bool maskRename(StructDoc &d)
{
    SUndoExtras ex;
    ex.text = {d.mm().getMask(1)->title, QStringLiteral(u"境界")};
    d.mm().getMask(1)->title = ex.text[1];
    return d.push(udcnMaskName, 0, 1, 0, 0, {}, std::move(ex));
}

const SOperation kOperations[] = {
    {"add", [](StructDoc &d) { return addLayer(d, udcnComplexAddLayer); }},
    {"duplicate", [](StructDoc &d) { return addLayer(d, udcnComplexDupLayer); }},
    {"paste", [](StructDoc &d) { return addLayer(d, udcnComplexPasteLayer); }},
    {"delete", deleteLayer},
    {"move in the stack", moveLayer},
    {"merge down", mergeDown},
    {"merge all", mergeAll},
    {"bind a clipping group",
     [](StructDoc &d) { return bindIntoOne(d, udcnComplexLayerBindClippingGroup, 1, 2); }},
    {"bind a layer group",
     [](StructDoc &d) { return bindIntoOne(d, udcnComplexBindLayerGroup, 0, 3); }},
    {"release a clipping group", releaseClip, true, makeClip},
    {"replace a layer", replaceLayer, false},
    {"split with the mask", splitWithMask},
    {"into a group", groupIn},
    {"delete a group head", deleteGroupHead, true, makeGroup},
    {"delete a group's layers", deleteGroupLayers, true, makeGroup},
    {"move a group", moveGroup, true, makeGroupUnderATop},
    {"move a group's position", moveGroupPosition, true, makeGroup},
    {"link", link},
    {"move linked layers", moveLinked, true,
     [](StructDoc &d) { static_cast<void>(d.lm().linkLayer(0, 2)); }},
    {"show only one",
     [](StructDoc &d) {
         return visibility(d, udcnComplexVisOnlyLayer, [](CLayerMngr &l) { l.visOnly(2); });
     }},
    {"show all",
     [](StructDoc &d) {
         return visibility(d, udcnComplexVisAllLayer, [](CLayerMngr &l) { l.visAll(true); });
     }},
    {"flip visibility",
     [](StructDoc &d) {
         return visibility(d, udcnComplexVisFlipLayer, [](CLayerMngr &l) { l.visFlip(); });
     }},
    {"group visibility",
     [](StructDoc &d) {
         return visibility(d, udcnComplexVisLayerGroup,
                           [](CLayerMngr &l) { l.changeVis(1, 2, false); });
     }},
    {"insert a mask", [](StructDoc &d) { return maskInsert(d, false); }},
    {"insert a kept mask", [](StructDoc &d) { return maskInsert(d, true); }},
    {"remove a mask", maskRemove},
    {"replace a mask", maskReplace},
    {"activate a mask",
     [](StructDoc &d) {
         d.mm().setCurIndex(1);
         return d.push(udcnMaskActivate, 0, 1, d.mm().getMask(1)->uniqueID, 0);
     }},
    {"move a mask in the list",
     [](StructDoc &d) {
         return d.mm().moveMask(0, 1) == 0 &&
                d.push(udcnMaskMove, 0, 1, 0, d.mm().getMask(0)->uniqueID);
     }},
    {"invert a mask",
     [](StructDoc &d) {
         return d.mm().invertMask(1) &&
                d.push(udcnMaskInvert, 0, 1, d.mm().getMask(1)->uniqueID, 0);
     }},
    {"move a mask's position",
     [](StructDoc &d) {
         d.mm().getMask(1)->viewPos.x -= 6;
         d.mm().getMask(1)->viewPos.y -= -2;
         return d.push(udcnMaskMovePos, 0, 1, 6, -2);
     }},
    {"bind masks", maskBind},
    {"rename a mask", maskRename},
};

TEST(StructuralUndo, EveryRecordUndoesToTheStateBeforeAndRedoesToTheStateAfter)
{
    // Each record is left once undone and once redone when the document and its histories are
    // freed: what it owns in either state is freed once.
    for (const SOperation &op : kOperations)
        for (bool endRedone : {false, true}) {
            SCOPED_TRACE(op.name);
            StructDoc d;
            ASSERT_TRUE(d.ok);
            op.prepare(d);
            const DocSnap before = d.snap(), beforeContent = d.snap(false);
            ASSERT_TRUE(op.run(d));
            ASSERT_EQ(d.um->getUndoCnt(), 1);
            const DocSnap after = d.snap(), afterContent = d.snap(false);
            ASSERT_NE(afterContent, beforeContent);

            ASSERT_TRUE(d.undo());
            EXPECT_EQ(d.um->getUndoCnt(), 0);
            EXPECT_EQ(d.um->getRedoCnt(), 1);
            if (op.sameObjects) {
                EXPECT_EQ(d.snap().layers, before.layers);
            }
            EXPECT_EQ(d.snap(false).layers, beforeContent.layers);
            EXPECT_EQ(d.snap().masks, before.masks);

            ASSERT_TRUE(d.redo());
            EXPECT_EQ(d.um->getUndoCnt(), 1);
            if (op.sameObjects) {
                EXPECT_EQ(d.snap().layers, after.layers);
            }
            EXPECT_EQ(d.snap(false).layers, afterContent.layers);
            EXPECT_EQ(d.snap().masks, after.masks);

            // Records applied in place come back as themselves: the same again.
            ASSERT_TRUE(d.undo());
            EXPECT_EQ(d.snap(false).layers, beforeContent.layers);
            EXPECT_EQ(d.snap().masks, before.masks);
            if (endRedone) {
                ASSERT_TRUE(d.redo());
                EXPECT_EQ(d.snap(false).layers, afterContent.layers);
            }
            EXPECT_TRUE(d.messages.warnings.isEmpty());
        }
}

TEST(StructuralUndo, AddUndoneTakesTheSameLayerOutAndMakesTheGivenIndexCurrent)
{
    StructDoc d;
    ASSERT_TRUE(d.ok);
    d.lm().setCurIndex(2);
    auto ld = markedLayer(0xFF00FF00u);
    CLayerData *added = ld.get();
    ASSERT_EQ(d.lm().insertLayer(1, ld), 1);
    ASSERT_TRUE(d.push(udcnComplexAddLayer, 1, added->uniqueID, 2, d.id(3)));
    ASSERT_TRUE(d.pop());
    EXPECT_EQ(d.lm().findLayer(added->uniqueID), -1);
    EXPECT_EQ(d.lm().getCurIndex(), 2);
    EXPECT_EQ(d.idx, 2);
    ASSERT_TRUE(d.pop(true));
    EXPECT_EQ(d.lm().getLayer(1), added);
    EXPECT_EQ(d.idx, 1);
}

TEST(StructuralUndo, MergeDownUndoneKeepsTheMergedLayerForTheRedo)
{
    StructDoc d;
    ASSERT_TRUE(d.ok);
    CLayerData *lower = &d.layer(1), *upper = &d.layer(2);
    ASSERT_TRUE(mergeDown(d));
    CLayerData *merged = &d.layer(1);
    ASSERT_NE(merged, lower);
    EXPECT_EQ(merged->uniqueID, lower->uniqueID);

    ASSERT_TRUE(d.pop());
    EXPECT_EQ(d.lm().getLayer(1), lower);
    EXPECT_EQ(d.lm().getLayer(2), upper);
    EXPECT_EQ(d.idx, 2);
    const CUndoData *rec = nullptr;
    ASSERT_TRUE(d.um->getTopRedo(const_cast<CUndoData *&>(rec)));
    EXPECT_EQ(rec->dataObj.layer(), merged);

    ASSERT_TRUE(d.pop(true));
    EXPECT_EQ(d.lm().getLayerCount(), 2);
    EXPECT_EQ(d.lm().getLayer(1), merged);
    EXPECT_EQ(d.idx, 1);
}

TEST(StructuralUndo, ShowOnlyOneUndoneAndRedoneTwice)
{
    StructDoc d;
    ASSERT_TRUE(d.ok);
    const std::vector<bool> before{true, false, true};
    ASSERT_TRUE(d.push(udcnComplexVisOnlyLayer, 1, 0, 0, 0));
    ASSERT_TRUE(d.lm().visOnly(1));
    const auto vis = [&] {
        std::vector<bool> v;
        for (int32_t i = 0; i < 3; ++i)
            v.push_back(d.layer(i).visible);
        return v;
    };
    const std::vector<bool> after = vis();
    EXPECT_EQ(after, (std::vector<bool>{false, true, false}));
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(d.pop());
        EXPECT_EQ(vis(), before);
        ASSERT_TRUE(d.pop(true));
        EXPECT_EQ(vis(), after);
    }
}

TEST(StructuralUndo, LinkUndoneAndRedoneLeavesBothLinkNumbersAsAfterTheLink)
{
    StructDoc d;
    ASSERT_TRUE(d.ok);
    ASSERT_TRUE(link(d));
    const int32_t n = d.layer(0).linkIndex;
    ASSERT_GT(n, 0);
    ASSERT_TRUE(d.pop());
    EXPECT_EQ(d.layer(0).linkIndex, 0);
    EXPECT_EQ(d.layer(2).linkIndex, 0);
    EXPECT_EQ(d.idx, 0);
    ASSERT_TRUE(d.pop(true));
    EXPECT_EQ(d.layer(0).linkIndex, n);
    EXPECT_EQ(d.layer(2).linkIndex, n);
}

// ---- refusals

TEST(StructuralUndo, KindsWhoseOperationIsNotBuiltAreRefused)
{
    StructDoc d;
    ASSERT_TRUE(d.ok);
    for (udCmdName cn :
         {udcnComplexLayerAndMaskFreeTransform, udcnComplexMoveLayerSelectPos,
          udcnComplexMoveLayerGroupSelPos, udcnComplexMoveLayerLinkSelPos, udcnComplexRot90All,
          udcnComplexResize, udcnComplexReso, udcnComplexCrop, udcnMaskState}) {
        SCOPED_TRACE(cmdNumber(cn));
        EXPECT_FALSE(d.push(cn, 0, d.id(0), 0, 0));
    }
    EXPECT_EQ(d.um->getUndoCnt(), 0);
}

// A manager that stores hand-made records, as a later operation would push them.
class StoringUndoMngr : public CUndoMngrEx
{
  public:
    explicit StoringUndoMngr(TPaper &paper) : CUndoMngrEx(&paper, &paper.layerMngr(), 100, 100, 32)
    {
    }
    bool store(udDataType dt, udCmdName cn, int32_t id)
    {
        auto rec = std::make_unique<CUndoData>(id);
        rec->setAttr(true, id, dt, cn, 0, 0, 0, 0);
        return storeRecord(rec);
    }
};

TEST(StructuralUndo, ARecordOfAKindWhoseOperationIsNotBuiltIsDroppedUnapplied)
{
    StructDoc d;
    ASSERT_TRUE(d.ok);
    StoringUndoMngr um(d.paper());
    const DocSnap before = d.snap();
    for (udCmdName cn : {udcnComplexLayerAndMaskFreeTransform, udcnMaskState}) {
        SCOPED_TRACE(cmdNumber(cn));
        ASSERT_TRUE(um.store(getUndoCmdDataType(cn), cn, d.id(0)));
        int32_t idx = 0;
        sBox box;
        EXPECT_FALSE(um.popUndo(idx, &d.layer(0), box));
        EXPECT_EQ(um.getUndoCnt(), 0);
        EXPECT_EQ(um.getRedoCnt(), 0);
    }
    EXPECT_EQ(d.snap(), before);
}

TEST(StructuralUndo, PushesNamingWhatIsNotThereStoreNothing)
{
    StructDoc d;
    ASSERT_TRUE(d.ok);
    const int32_t gone = d.id(2) + 1000;
    EXPECT_FALSE(d.push(udcnComplexAddLayer, 1, gone, 0, d.id(0)));
    EXPECT_FALSE(d.push(udcnComplexDelLayer, 1, gone, d.id(0), 0));
    EXPECT_FALSE(d.push(udcnComplexMoveLayer, 0, 1, gone, 0));
    EXPECT_FALSE(d.push(udcnComplexVisOnlyLayer, 7, 0, 0, 0));
    EXPECT_FALSE(d.push(udcnComplexLinkLayer, 0, 0, 9, 0));
    EXPECT_FALSE(d.push(udcnMaskActivate, 0, 1, d.mm().getMask(0)->uniqueID, 0));
    EXPECT_FALSE(d.push(udcnMaskInvert, 0, 5, 0, 0));
    // A list that does not hold the count it is said to: the caller keeps it.
    TUndoLayerList list;
    list.push_back(markedLayer(0xFF000001u));
    EXPECT_FALSE(d.push(udcnComplexDelGroupLayers, 1, 2, 3, 0, &list));
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(d.um->getUndoCnt(), 0);
}

// A record whose layer or mask is no longer what it names: the restore changes nothing and the
// record goes, the older records stay.
struct SBrokenRestore
{
    const char *name;
    std::function<bool(StructDoc &d)> run;
    std::function<void(StructDoc &d)> spoil;
};

const SBrokenRestore kBroken[] = {
    {"added layer gone", [](StructDoc &d) { return addLayer(d, udcnComplexAddLayer); },
     [](StructDoc &d) { d.lm().deleteLayer(1); }},
    {"moved layer gone", moveLayer, [](StructDoc &d) { d.lm().deleteLayer(2); }},
    {"merged layer replaced", mergeDown,
     [](StructDoc &d) {
         auto other = markedLayer(0xFF123456u);
         d.lm().replaceLayerData(1, other);
     }},
    {"layer to make active gone",
     [](StructDoc &d) {
         makeGroup(d);
         return deleteGroupLayers(d);
     },
     [](StructDoc &d) { d.lm().deleteLayer(0); }},
    {"inserted mask with another id", [](StructDoc &d) { return maskInsert(d, false); },
     [](StructDoc &d) {
         std::unique_ptr<CMaskData> md;
         d.mm().removeMask(1, md);
         d.mm().insertMask(1);
     }},
    {"inverted mask with another id",
     [](StructDoc &d) {
         return d.mm().invertMask(1) &&
                d.push(udcnMaskInvert, 0, 1, d.mm().getMask(1)->uniqueID, 0);
     },
     [](StructDoc &d) { d.mm().moveMask(0, 1); }},
    {"renamed mask gone", maskRename,
     [](StructDoc &d) {
         std::unique_ptr<CMaskData> md;
         d.mm().removeMask(1, md);
     }},
};

TEST(StructuralUndo, AFailingRestoreChangesNothingAndDropsOnlyItsRecord)
{
    for (const SBrokenRestore &c : kBroken) {
        SCOPED_TRACE(c.name);
        StructDoc d;
        ASSERT_TRUE(d.ok);
        ASSERT_TRUE(d.push(udcnValueLayerTrans, 0, 0, 0, 0, &d.layer(0)));
        ASSERT_TRUE(c.run(d));
        c.spoil(d);
        const DocSnap spoilt = d.snap();
        EXPECT_FALSE(d.pop());
        EXPECT_EQ(d.snap(), spoilt);
        EXPECT_EQ(d.um->getUndoCnt(), 1);
        EXPECT_EQ(d.um->getRedoCnt(), 0);
        EXPECT_EQ(d.um->getUndoList().getAt(0)->cmdName, udcnValueLayerTrans);
    }
}

TEST(StructuralUndo, ARefusedRedoChangesNothingAndDropsTheRecord)
{
    StructDoc d;
    ASSERT_TRUE(d.ok);
    ASSERT_TRUE(addLayer(d, udcnComplexAddLayer));
    ASSERT_TRUE(d.pop());
    // Another layer now carries the id of the one the redo would put back.
    const CUndoData *rec = d.um->getRedoList().getAt(0);
    ASSERT_NE(rec, nullptr);
    d.layer(0).setUniqueID(rec->layerID);
    const DocSnap before = d.snap();
    EXPECT_FALSE(d.pop(true));
    EXPECT_EQ(d.snap(), before);
    EXPECT_EQ(d.um->getRedoCnt(), 0);
}

// ---- whole ids

TEST(StructuralUndo, IdsPastSixteenBitsAreNotTakenForTheirLowHalf)
{
    StructDoc d;
    ASSERT_TRUE(d.ok);
    // Layer 0 carries k, the group head (layer 1) carries 65536 + k.
    const int32_t k = 7;
    d.layer(0).setUniqueID(k);
    d.layer(1).setUniqueID(65536 + k);
    CLayerData *head = &d.layer(1), *bottom = &d.layer(0);
    makeGroup(d);
    ASSERT_TRUE(deleteGroupHead(d));
    EXPECT_EQ(d.um->getUndoList().getAt(0)->layerID, 65536 + k);
    ASSERT_TRUE(d.pop());
    EXPECT_EQ(d.lm().getLayer(1), head);
    EXPECT_EQ(d.lm().getLayer(0), bottom);
    EXPECT_EQ(d.layer(2).groupLevel, 1);
    ASSERT_TRUE(d.pop(true));
    EXPECT_EQ(d.lm().getLayer(0), bottom);
    EXPECT_EQ(d.lm().findLayer(65536 + k), -1);

    // A packed half that does not match the layer at the index is refused.
    EXPECT_FALSE(d.push(udcnComplexDelLayerGroup, 0, k + 1, 1, 0));

    // Deleting the layer of id k does not find the one of 65536 + k, and the other way round.
    StructDoc e;
    ASSERT_TRUE(e.ok);
    e.layer(1).setUniqueID(k);
    e.layer(2).setUniqueID(65536 + k);
    CLayerData *high = &e.layer(2);
    ASSERT_TRUE(e.push(udcnComplexDelLayer, 2, 65536 + k, e.id(0), 0));
    static_cast<void>(e.lm().removeAt(2).release());
    ASSERT_TRUE(e.pop());
    EXPECT_EQ(e.lm().getLayer(2), high);
    EXPECT_EQ(e.layer(1).uniqueID, k);
}

// ---- trimming and ownership

TEST(StructuralUndo, MaskPushesAreTrimmedLikeEveryPush)
{
    StructDoc d;
    ASSERT_TRUE(d.ok);
    const int32_t id = d.mm().getMask(1)->uniqueID;
    for (int i = 0; i < 150; ++i)
        ASSERT_TRUE(d.push(udcnMaskActivate, 0, 1, id, 0));
    EXPECT_EQ(d.um->getUndoCnt(), 132);
}

TEST(StructuralUndo, ALayerOutOfTheDocumentIsFreedByTheRecordThatHoldsItOnly)
{
    destroyedLayers() = 0;
    {
        StructDoc d;
        ASSERT_TRUE(d.ok);
        auto counted = std::make_unique<CountedLayer>();
        ASSERT_TRUE(counted->createLayer(40, 30, TLayerMode::LM_STD));
        const int32_t id = counted->uniqueID;
        std::unique_ptr<CLayerData> ld = std::move(counted);
        ASSERT_EQ(d.lm().insertLayer(3, ld), 3);
        ASSERT_TRUE(d.push(udcnComplexAddLayer, 3, id, 0, d.id(0)));
        ASSERT_TRUE(d.pop()); // the record holds it now
        EXPECT_EQ(destroyedLayers(), 0);
        ASSERT_TRUE(d.push(udcnComplexVisFlipLayer, 0, 0, 0, 0)); // clears the redo list
        EXPECT_EQ(destroyedLayers(), 1);

        // Deleted, undone (back in the document), then the history cleared: the document keeps
        // it.
        auto second = std::make_unique<CountedLayer>();
        ASSERT_TRUE(second->createLayer(40, 30, TLayerMode::LM_STD));
        const int32_t id2 = second->uniqueID;
        ld = std::move(second);
        ASSERT_EQ(d.lm().insertLayer(3, ld), 3);
        ASSERT_TRUE(d.push(udcnComplexDelLayer, 3, id2, d.id(0), 0));
        static_cast<void>(d.lm().removeAt(3).release());
        ASSERT_TRUE(d.pop());
        d.um->cleanAll();
        EXPECT_EQ(destroyedLayers(), 1);
        EXPECT_EQ(d.lm().findLayer(id2), 3);
    }
    EXPECT_EQ(destroyedLayers(), 2);
}

} // namespace
