#include "document/undo/undo_manager.h"

#include "core/mask/mask_manager.h"
#include "document/paper/headless.h"
#include "document/paper/layer_manager.h"
#include "support/block_memory.h"
#include "support/captured_messages.h"
#include "support/paper_fakes.h"
#include "undo_fixtures.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace undo_test;
using enum udCmdName;

// The document-wide manager with its store exposed, to put records of any kind in.
class TestUndoMngr : public CUndoMngrEx
{
  public:
    TestUndoMngr(int32_t undo, int32_t redo) : CUndoMngrEx(nullptr, nullptr, undo, redo, 32) {}
    using CUndoMngr::storeRecord;
    bool store(udDataType dt, udCmdName cn, int32_t id)
    {
        auto rec = std::make_unique<CUndoData>(id);
        rec->setAttr(true, id, dt, cn, 0, 0, 0, 0);
        return storeRecord(rec);
    }
};

TEST(UndoList, ALimitOfTwoHoldsFourRecordsBeforeTheOldestGoes)
{
    CUndoList list(2, false);
    EXPECT_EQ(list.capacity(), 4);
    for (int32_t id = 1; id <= 5; ++id) {
        auto rec = std::make_unique<CUndoData>(id);
        ASSERT_TRUE(list.addTop(rec));
        EXPECT_EQ(rec, nullptr);
    }
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.getAt(0)->layerID, 5);
    EXPECT_EQ(list.getAt(3)->layerID, 2);
    EXPECT_EQ(list.getAt(4), nullptr);
    EXPECT_EQ(list.popAt(-1), nullptr);
    EXPECT_FALSE(list.deleteAt(4));
    std::unique_ptr<CUndoData> top = list.popAt(0);
    EXPECT_EQ(top->layerID, 5);
    EXPECT_EQ(list.deleteAll(), 3);
    EXPECT_TRUE(list.empty());

    CUndoList extendable(2, true);
    for (int32_t id = 1; id <= 6; ++id) {
        auto rec = std::make_unique<CUndoData>(id);
        extendable.addTop(rec);
    }
    EXPECT_EQ(extendable.count(), 6);
}

TEST(UndoList, ACopyTakesTheLimitsAndCopiesEachRecordInOrder)
{
    CUndoList src(10, true);
    for (int32_t id = 1; id <= 3; ++id) {
        auto rec = std::make_unique<CUndoData>(id);
        src.addTop(rec);
    }
    CUndoList dst(2, false);
    auto old = std::make_unique<CUndoData>(99);
    dst.addTop(old);
    ASSERT_TRUE(dst.copy(src));
    EXPECT_EQ(dst.capacity(), 10);
    EXPECT_TRUE(dst.bCanExtend);
    ASSERT_EQ(dst.count(), 3);
    EXPECT_EQ(dst.getAt(0)->layerID, 3);
    EXPECT_EQ(dst.getAt(2)->layerID, 1);
    EXPECT_NE(dst.getAt(0), src.getAt(0));
}

// Limits 100 and 32, a small layer to push from.
class UndoManager : public testing::Test
{
  protected:
    UndoManager() : um(100, 100), layer(patternLayer(8, 8)) {}

    void pushLight(int n)
    {
        for (int i = 0; i < n; ++i)
            ASSERT_TRUE(um.pushUndo(layer.get(), i & 0xFF, 0, udcnValueLayerTrans));
    }
    void pushHeavy(int n)
    {
        for (int i = 0; i < n; ++i) {
            sBox box{0, 0, 8, 8};
            ASSERT_TRUE(um.pushUndo(layer.get(), box, udcnImageBox));
        }
    }

    CapturedMessages messages;
    TestUndoMngr um;
    std::unique_ptr<CLayerData> layer;
};

TEST_F(UndoManager, LightRecordsRideAlongUpToTheExtension)
{
    pushLight(150);
    EXPECT_EQ(um.getUndoCnt(), 132);
    EXPECT_EQ(um.getUndoList().countHeavy(), 0);
}

TEST_F(UndoManager, HeavyRecordsAreHeldToTheLimit)
{
    pushHeavy(150);
    EXPECT_EQ(um.getUndoCnt(), 100);
    EXPECT_EQ(um.getUndoList().countHeavy(), 100);
}

TEST_F(UndoManager, AHeavyPushAtTheLimitDropsOldestRecordsUntilOneHeavyIsGone)
{
    pushLight(2);
    pushHeavy(100);
    ASSERT_EQ(um.getUndoCnt(), 102);
    const CUndoData *secondHeavy = um.getUndoList().getAt(98);
    ASSERT_TRUE(secondHeavy->isHeavy());
    pushHeavy(1);
    EXPECT_EQ(um.getUndoCnt(), 100);
    EXPECT_EQ(um.getUndoList().countHeavy(), 100);
    EXPECT_EQ(um.getUndoList().getAt(99), secondHeavy);
}

TEST_F(UndoManager, EveryStoreTrimsLightRecordsOfAnyKind)
{
    for (int i = 0; i < 150; ++i)
        ASSERT_TRUE(um.store(udDataType::uddtMask, udcnMaskActivate, i));
    EXPECT_EQ(um.getUndoCnt(), 132);
    EXPECT_EQ(um.getUndoList().getAt(131)->layerID, 18);
}

TEST_F(UndoManager, APushAfterAnUndoEmptiesTheRedoList)
{
    pushLight(3);
    int32_t idx = 0;
    sBox box;
    ASSERT_TRUE(um.popUndo(idx, layer.get(), box));
    ASSERT_TRUE(um.popUndo(idx, layer.get(), box));
    EXPECT_EQ(um.getRedoCnt(), 2);
    pushHeavy(1);
    EXPECT_EQ(um.getRedoCnt(), 0);
    EXPECT_EQ(um.getUndoCnt(), 2);
}

TEST_F(UndoManager, ChangeLimitNormalisesAndEvicts)
{
    EXPECT_TRUE(um.changeLimit(0, 5));
    EXPECT_EQ(um.getUndoMaxCnt(), 0);
    EXPECT_EQ(um.getRedoMaxCnt(), 0);
    EXPECT_FALSE(um.isUndoEnable());
    EXPECT_FALSE(um.pushUndo(layer.get(), 1, 0, udcnValueLayerTrans));
    EXPECT_TRUE(um.changeLimit(10, 20));
    EXPECT_EQ(um.getUndoMaxCnt(), 10);
    EXPECT_EQ(um.getRedoMaxCnt(), 10);
    EXPECT_FALSE(um.changeLimit(10, 10));

    EXPECT_TRUE(um.changeLimit(100, 100));
    pushHeavy(50);
    pushLight(30);
    EXPECT_TRUE(um.changeLimit(20, 20));
    EXPECT_EQ(um.getUndoList().countHeavy(), 20);
    // The light records are trimmed to the limit plus the extension, the newest kept.
    EXPECT_EQ(um.getUndoCnt(), 50);
    EXPECT_FALSE(um.getUndoList().getAt(0)->isHeavy());
}

TEST_F(UndoManager, AnEmptyManagerHasNoTopLayer)
{
    EXPECT_EQ(um.getTopUndoLayerID(), -1);
    EXPECT_EQ(um.getTopRedoLayerID(), -1);
    CUndoData other(5);
    CUndoData *top = &other;
    EXPECT_FALSE(um.getTopUndo(top));
    EXPECT_EQ(top, nullptr);
    EXPECT_FALSE(um.popUndo());
    pushLight(1);
    EXPECT_EQ(um.getTopUndoLayerID(), layer->uniqueID);
    EXPECT_TRUE(um.popUndo());
    EXPECT_EQ(um.getUndoCnt(), 0);
}

TEST_F(UndoManager, ImageUndoRedoGivesThePixelsBackBothWays)
{
    const std::vector<uint32_t> before = pixelsOf(*layer->imageTC);
    sBox box{1, 1, 3, 3};
    ASSERT_TRUE(um.pushUndo(layer.get(), box, udcnImageStroke));
    EXPECT_EQ(box, (sBox{0, 0, 32, 32}));
    layer->imageTC->fillImage({1, 1, 3, 3}, 0x123456);
    const std::vector<uint32_t> after = pixelsOf(*layer->imageTC);

    int32_t idx = 0;
    sBox changed;
    ASSERT_TRUE(um.popUndo(idx, layer.get(), changed));
    EXPECT_EQ(changed, (sBox{0, 0, 32, 32}));
    EXPECT_EQ(pixelsOf(*layer->imageTC), before);
    EXPECT_EQ(um.getUndoCnt(), 0);
    ASSERT_EQ(um.getRedoCnt(), 1);
    EXPECT_EQ(um.getTopRedoLayerID(), layer->uniqueID);

    ASSERT_TRUE(um.popRedo(idx, layer.get(), changed));
    EXPECT_EQ(pixelsOf(*layer->imageTC), after);
    EXPECT_EQ(um.getUndoCnt(), 1);
    EXPECT_EQ(um.getRedoCnt(), 0);
    EXPECT_FALSE(um.otherListLost());
    EXPECT_TRUE(messages.warnings.isEmpty());
}

TEST_F(UndoManager, AlphaUndoRedoKeepsTheColours)
{
    const std::vector<uint32_t> before = pixelsOf(*layer->imageTC);
    sBox box{2, 2, 4, 3};
    ASSERT_TRUE(um.pushUndo(layer.get(), box, udcnAlphaFill));
    EXPECT_EQ(box, (sBox{2, 2, 4, 3})); // alpha is kept exactly, not by blocks
    EXPECT_TRUE(um.getUndoList().getAt(0)->isHeavy());
    layer->imageTC->setAlpha({2, 2, 4, 3}, 0);
    const std::vector<uint32_t> after = pixelsOf(*layer->imageTC);

    int32_t idx = 0;
    sBox changed;
    ASSERT_TRUE(um.popUndo(idx, layer.get(), changed));
    EXPECT_EQ(changed, (sBox{2, 2, 4, 3}));
    EXPECT_EQ(pixelsOf(*layer->imageTC), before);
    ASSERT_TRUE(um.popRedo(idx, layer.get(), changed));
    EXPECT_EQ(pixelsOf(*layer->imageTC), after);

    sBox outside{20, 20, 4, 4};
    EXPECT_FALSE(um.pushUndo(layer.get(), outside, udcnAlphaFill));
    EXPECT_EQ(um.getUndoCnt(), 1);
}

TEST_F(UndoManager, CommandUndoRedoAppliesTheSameRecordAgain)
{
    const std::vector<uint32_t> before = pixelsOf(*layer->imageTC);
    sBox box = layer->imageBox();
    ASSERT_TRUE(um.pushUndo(layer.get(), box, udcnCmdFlipLR));
    const CUndoData *rec = um.getUndoList().getAt(0);
    EXPECT_FALSE(rec->isHeavy());
    ASSERT_TRUE(applyLayerCmd(*layer, udcnCmdFlipLR, *layer->imageTC, box));
    const std::vector<uint32_t> after = pixelsOf(*layer->imageTC);

    int32_t idx = 0;
    sBox changed;
    ASSERT_TRUE(um.popUndo(idx, layer.get(), changed));
    EXPECT_EQ(changed, layer->imageBox());
    EXPECT_EQ(pixelsOf(*layer->imageTC), before);
    EXPECT_EQ(um.getRedoList().getAt(0), rec);
    ASSERT_TRUE(um.popRedo(idx, layer.get(), changed));
    EXPECT_EQ(pixelsOf(*layer->imageTC), after);
    EXPECT_EQ(um.getUndoList().getAt(0), rec);
}

TEST_F(UndoManager, WithoutADocumentStructuralRecordsAreRefused)
{
    EXPECT_FALSE(um.pushUndo(layer.get(), udcnComplexAddLayer, 0, layer->uniqueID, 0, 0));
    EXPECT_FALSE(um.pushUndo(layer.get(), udcnMaskActivate, 0, 1, 2, 3));
    sBox box{0, 0, 4, 4};
    EXPECT_FALSE(um.pushUndo(layer.get(), box, udcnValueLayerTrans));
    EXPECT_FALSE(um.pushUndo(layer.get(), 1, 2, udcnImageBox));
    EXPECT_EQ(um.getUndoCnt(), 0);

    ASSERT_TRUE(um.store(udDataType::uddtComplex, udcnComplexMoveLayer, layer->uniqueID));
    int32_t idx = 0;
    EXPECT_FALSE(um.popUndo(idx, layer.get(), box));
    EXPECT_EQ(um.getUndoCnt(), 0);
    EXPECT_EQ(um.getRedoCnt(), 0);
}

TEST_F(UndoManager, TheImageFormTakesItsImageOnlyWhenItStores)
{
    SUndoExtras extras;
    extras.image = std::make_unique<CBlockVMTC>(*layer->imageTC);
    CBlockVMTC *img = extras.image.get();
    ASSERT_TRUE(um.pushUndo(nullptr, udcnComplexLayerFreeTransform, 3, layer->uniqueID, 0, 0,
                            std::move(extras)));
    const CUndoData *rec = um.getUndoList().getAt(0);
    EXPECT_EQ(rec->image.get(), img);
    EXPECT_EQ(rec->layerIdx, 3);
    EXPECT_EQ(rec->getBox(), (sBox{0, 0, 8, 8}));

    um.changeLimit(0, 0);
    SUndoExtras refused;
    refused.image = std::make_unique<CBlockVMTC>(4, 4);
    EXPECT_FALSE(um.pushUndo(nullptr, udcnImageBox, 0, 1, 0, 0, std::move(refused)));
    EXPECT_NE(refused.image, nullptr);
}

TEST_F(UndoManager, OutOfMemoryPushWarnsAndStoresNothing)
{
    pushLight(1);
    {
        ScopedBlockMemoryLimit limit(0);
        sBox box{0, 0, 8, 8};
        EXPECT_FALSE(um.pushUndo(layer.get(), box, udcnImageBox));
    }
    EXPECT_EQ(um.getUndoCnt(), 1);
    EXPECT_TRUE(messages.warnings.contains(QString::fromUtf16(kUndoMemoryMessage)));
}

TEST_F(UndoManager, OutOfMemoryInverseStillRestoresEmptiesTheOtherListAndReportsIt)
{
    const std::vector<uint32_t> before = pixelsOf(*layer->imageTC);
    pushHeavy(1);
    layer->imageTC->fillImage({0, 0, 8, 8}, 0x00FF00);
    pushHeavy(1);
    layer->imageTC->fillImage({0, 0, 8, 8}, 0x0000FF);
    int32_t idx = 0;
    sBox box;
    ASSERT_TRUE(um.popUndo(idx, layer.get(), box));
    ASSERT_EQ(um.getRedoCnt(), 1);
    {
        ScopedBlockMemoryLimit limit(0);
        EXPECT_TRUE(um.popUndo(idx, layer.get(), box));
    }
    EXPECT_TRUE(um.otherListLost());
    EXPECT_EQ(pixelsOf(*layer->imageTC), before);
    EXPECT_EQ(um.getUndoCnt(), 0);
    EXPECT_EQ(um.getRedoCnt(), 0);
    EXPECT_TRUE(messages.warnings.contains(QString::fromUtf16(kUndoMemoryMessage)));
}

// Value records of a document whose unique ids do not fit in 16 bits.
class UndoValues : public testing::Test
{
  protected:
    void SetUp() override
    {
        previousLayerId = resetLayerUniqueID(70000);
        previousMaskId = resetMaskUniqueID(70000);
        doc = std::make_unique<HeadlessDocument>();
        ASSERT_NE(doc->paper, nullptr);
        ASSERT_TRUE(setupHeadlessPaper(paper(), {40, 30}, 0xFFFFFF, 2));
        um = paper().undoMngrEx();
        ASSERT_NE(um, nullptr);
        ld = paper().getLayerData(1);
        ASSERT_GT(ld->uniqueID, 65535);
        ASSERT_GT(paper().getActiveMaskData()->uniqueID, 65535);
    }
    void TearDown() override
    {
        doc.reset();
        resetLayerUniqueID(previousLayerId);
        resetMaskUniqueID(previousMaskId);
    }
    TPaper &paper() { return *doc->paper; }
    // The document as text without the undo counts.
    QString state()
    {
        QString s = dumpPaperState(paper());
        return s.left(s.lastIndexOf(QStringLiteral("undo ")));
    }
    bool undo(bool redo = false)
    {
        int32_t idx = 0;
        sRect r;
        udUpdateType ut;
        return redo ? paper().layerMngr().doRedo(*um, idx, r, ut)
                    : paper().layerMngr().doUndo(*um, idx, r, ut);
    }

    ScopedUndoMax undoMax{100};
    CapturedMessages messages;
    int32_t previousLayerId = 0, previousMaskId = 0;
    std::unique_ptr<HeadlessDocument> doc;
    CUndoMngrEx *um = nullptr;
    CLayerData *ld = nullptr;
};

TEST_F(UndoValues, EachValueCommandUndoRedoRestoresBothStates)
{
    struct Case
    {
        udCmdName cn;
        int32_t val1, val2;
        std::function<void(TPaper &, CLayerData &)> change;
        bool onPaper = false;
    };
    const std::vector<Case> cases{
        {udcnValuePaperColor, 0x102030, 0,
         [](TPaper &p, CLayerData &) { p.m_canvascolor = 0x102030; }, true},
        {udcnValueLayerTrans, 90, 0, [](TPaper &, CLayerData &l) { l.trans = 90; }},
        {udcnValueLayerGroupTrans, 7, 0, [](TPaper &, CLayerData &l) { l.trans = 7; }},
        {udcnValueLayerDither, 1 | 40 << 8, 0,
         [](TPaper &, CLayerData &l) {
             l.ditherEnable = true;
             l.dither = 40;
         }},
        {udcnValueLayerMode, int32_t(TLayerMode::LM_SCR), 0,
         [](TPaper &, CLayerData &l) { l.mode = TLayerMode::LM_SCR; }},
        {udcnValueLayerVisible, 0, 0, [](TPaper &, CLayerData &l) { l.visible = false; }},
        {udcnValueLayerPos, 0, 0,
         [](TPaper &, CLayerData &l) {
             l.viewPos = {5, -4};
         }},
        {udcnValueLayerSelectPos, 6, -2,
         [](TPaper &p, CLayerData &l) {
             l.viewPos.x -= 6;
             l.viewPos.y += 2;
             p.getActiveMaskData()->viewPos.x -= 6;
             p.getActiveMaskData()->viewPos.y += 2;
         }},
        {udcnValueLayerName, 0, 0,
         [](TPaper &, CLayerData &l) { l.title = QStringLiteral("線画"); }},
        {udcnValueLayerMaskProtected, 1, 0,
         [](TPaper &, CLayerData &l) { l.maskProtected = true; }},
        {udcnValueLayerClipping, 1, 0, [](TPaper &, CLayerData &l) { l.underLyrClip = true; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(cmdNumber(c.cn));
        const QString before = state();
        SUndoExtras extras;
        extras.text = {ld->title, QStringLiteral("線画")};
        const CUndoObj obj = c.onPaper ? CUndoObj(&paper()) : CUndoObj(ld);
        ASSERT_TRUE(um->pushUndo(obj, c.val1, c.val2, c.cn, std::move(extras)));
        c.change(paper(), *ld);
        const QString after = state();
        ASSERT_NE(after, before);
        ASSERT_TRUE(undo());
        EXPECT_EQ(state(), before);
        ASSERT_TRUE(undo(true));
        EXPECT_EQ(state(), after);
        ASSERT_TRUE(undo());
        EXPECT_EQ(state(), before);
        EXPECT_EQ(um->getRedoCnt(), 1);
        um->cleanAll();
    }
    EXPECT_TRUE(messages.warnings.isEmpty());
}

TEST_F(UndoValues, AValueRecordOfAnotherCommandIsNotMade)
{
    EXPECT_FALSE(um->pushUndo(ld, 1, 2, udcnImageBox));
    EXPECT_FALSE(um->pushUndo(ld, 1, 2, udcnComplexMoveLayer));
    EXPECT_FALSE(um->pushUndo(ld, 1, 2, udcnValuePaperColor)); // needs the document
    EXPECT_FALSE(um->pushUndo(nullptr, 1, 2, udcnValueLayerTrans));
    EXPECT_EQ(um->getUndoCnt(), 0);
}

TEST_F(UndoValues, ASelectionOffsetRecordWithAForeignIdFailsAndIsDropped)
{
    const QString before = state();
    // A layer whose id has the same low 16 bits is not the record's layer.
    CLayerData &other = *paper().getLayerData(0);
    other.setUniqueID(ld->uniqueID + 65536);
    ASSERT_TRUE(um->pushUndo(ld, 3, 4, udcnValueLayerSelectPos));
    int32_t idx = 0;
    sBox box;
    EXPECT_FALSE(um->popUndo(idx, &other, box));
    EXPECT_EQ(um->getUndoCnt(), 0);
    EXPECT_EQ(um->getRedoCnt(), 0);

    // Nor is a mask whose id differs from the one moved.
    ASSERT_TRUE(um->pushUndo(ld, 3, 4, udcnValueLayerSelectPos));
    CMaskData &mask = *paper().getActiveMaskData();
    mask.setUniqueID(mask.uniqueID + 65536);
    EXPECT_FALSE(undo());
    EXPECT_EQ(um->getUndoCnt(), 0);
    EXPECT_EQ(state(), before);
}

} // namespace
