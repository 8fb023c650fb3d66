// Undo as the document, its layer list and its layers use it: the layers' own history of level-1
// documents, the layer list's undo dispatch, the document's undo stocking and its manager.
#include "document/undo/undo_stock.h"

#include "core/image/canvas.h"
#include "document/paper/headless.h"
#include "document/paper/layer_manager.h"
#include "platform/system/debug_output.h"
#include "support/captured_messages.h"
#include "support/paper_fakes.h"
#include "undo_fixtures.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

using namespace undo_test;
using enum udCmdName;

const QString kUndoFailed =
    QStringLiteral(u"アンドゥに失敗しました!\rすべてのアンドゥはクリアされます!");

TEST(UndoLayerHistory, APartOfALevelOneLayerUndoRedoRestoresPixelsAndReportsTheBox)
{
    auto layer = patternLayer(48, 40, true);
    ASSERT_TRUE(layer->hasUndo());
    EXPECT_FALSE(layer->canUndo());
    const std::vector<uint32_t> before = pixelsOf(*layer->imageTC);
    sBox box{5, 35, 10, 4};
    ASSERT_TRUE(layer->pushImagePart(box));
    EXPECT_EQ(box, (sBox{0, 32, 32, 32}));
    layer->imageTC->fillImage({5, 35, 10, 4}, 0xABCDEF);
    const std::vector<uint32_t> after = pixelsOf(*layer->imageTC);
    EXPECT_GT(layer->calcUndoMemSize(), 0u);

    TMTC view;
    ASSERT_TRUE(view.Resize(48, 40));
    view.PixelFill(0);
    sRect r;
    ASSERT_TRUE(layer->doUndo(&view, r));
    EXPECT_EQ(r, (sRect{0, 32, 32, 64}));
    EXPECT_EQ(pixelsOf(*layer->imageTC), before);
    EXPECT_EQ(view.PixelGet(6, 36), patternPixel(6, 36)); // the box reached the view
    EXPECT_EQ(view.PixelGet(6, 20), 0u);                  // nothing else did
    EXPECT_TRUE(layer->canRedo());

    ASSERT_TRUE(layer->doRedo(nullptr, r));
    EXPECT_EQ(pixelsOf(*layer->imageTC), after);
    EXPECT_FALSE(layer->doRedo(nullptr, r));

    // Eight steps are kept.
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(layer->pushImageAll());
    EXPECT_EQ(layer->undoMngr->getUndoCnt(), 8);

    // A copy of the layer takes its history; a layer without one keeps none.
    auto copy = std::make_unique<CLayerData>(0, true);
    ASSERT_TRUE(copy->createLayer(*layer));
    EXPECT_EQ(copy->undoMngr->getUndoCnt(), 8);
    auto plain = std::make_unique<CLayerData>(0, false);
    ASSERT_TRUE(plain->createLayer(*layer));
    EXPECT_FALSE(plain->hasUndo());
    EXPECT_FALSE(plain->pushImageAll());
    // A resized copy keeps a history of its own, empty.
    auto resized = layer->createResizeLayer({64, 64}, {0, 0});
    ASSERT_NE(resized, nullptr);
    EXPECT_TRUE(resized->hasUndo());
    EXPECT_FALSE(resized->canUndo());

    layer->disposeUndo();
    EXPECT_FALSE(layer->canUndo());
    layer->freeUndo();
    EXPECT_FALSE(layer->hasUndo());
    EXPECT_FALSE(layer->doUndo(nullptr, r));
}

// A document of two 40 x 30 layers with a document-wide manager of limits 100 / 100 / 32.
class UndoDocument : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NE(doc.paper, nullptr);
        ASSERT_TRUE(setupHeadlessPaper(paper(), {40, 30}, 0xFFFFFF, 2));
        um = paper().undoMngrEx();
        ASSERT_NE(um, nullptr);
    }
    TPaper &paper() { return *doc.paper; }
    CLayerMngr &layers() { return paper().layerMngr(); }
    bool undo(int32_t &idx, sRect &r, udUpdateType &ut, bool redo = false)
    {
        return redo ? layers().doRedo(*um, idx, r, ut) : layers().doUndo(*um, idx, r, ut);
    }

    ScopedUndoMax undoMax{100};
    CapturedMessages messages;
    HeadlessDocument doc;
    CUndoMngrEx *um = nullptr;
};

TEST_F(UndoDocument, TheDocumentMakesItsManagerFromThePreference)
{
    EXPECT_EQ(um->getUndoMaxCnt(), 100);
    EXPECT_EQ(um->getRedoMaxCnt(), 100);
    EXPECT_EQ(um->getAutoExtCnt(), 32);
    EXPECT_EQ(um->getOwnerPaper(), &paper());
    EXPECT_EQ(um->getOwnerObj(), &layers());
    EXPECT_TRUE(isUsingNewUndo(paper()));
    EXPECT_TRUE(isUndoEnable(paper()));

    paper().freeUndoMngrEx();
    EXPECT_FALSE(isUsingNewUndo(paper()));
    EXPECT_FALSE(isUndoEnable(paper()));
    // Making it again drops the layers' own histories.
    layers().getLayer(1)->undoMngr = std::make_unique<CUndoMngr>(8, 8);
    EXPECT_TRUE(layers().hasUndoMngr());
    ASSERT_TRUE(paper().createUndoMngrEx());
    EXPECT_FALSE(layers().hasUndoMngr());
}

TEST_F(UndoDocument, StockingAPartUndoRedoThroughTheLayerList)
{
    CLayerData &ld = *layers().getLayer(1);
    ld.imageTC->fillImage({0, 0, 40, 30}, 0x112233);
    const std::vector<uint32_t> before = pixelsOf(*ld.imageTC);
    ASSERT_TRUE(UndoStockPart(paper(), 1, 35, 2, 4, 4, udcnImageStroke));
    ld.imageTC->fillImage({35, 2, 4, 4}, 0x445566);
    const std::vector<uint32_t> after = pixelsOf(*ld.imageTC);
    EXPECT_EQ(dumpPaperState(paper()).section(QLatin1Char('\n'), -2, -2),
              QStringLiteral("undo undo=1 redo=0"));

    int32_t idx = -1;
    sRect r;
    udUpdateType ut;
    ASSERT_TRUE(undo(idx, r, ut));
    EXPECT_EQ(idx, 1);
    EXPECT_EQ(r, (sRect{32, 0, 64, 32}));
    EXPECT_TRUE(ut.empty());
    EXPECT_EQ(pixelsOf(*ld.imageTC), before);
    EXPECT_EQ(dumpPaperState(paper()).section(QLatin1Char('\n'), -2, -2),
              QStringLiteral("undo undo=0 redo=1"));
    ASSERT_TRUE(undo(idx, r, ut, true));
    EXPECT_EQ(pixelsOf(*ld.imageTC), after);
    EXPECT_TRUE(messages.warnings.isEmpty());
}

TEST_F(UndoDocument, TheFivePushesAndTheStockForms)
{
    CLayerData &ld = *layers().getLayer(0);
    EXPECT_TRUE(pushUndo(paper(), 0, udcnImageAll));
    EXPECT_FALSE(pushUndo(paper(), 2, udcnImageAll));
    EXPECT_TRUE(pushUndo(paper(), ld, udcnImageFilter));
    sBox box{1, 1, 2, 2};
    EXPECT_TRUE(pushUndo(paper(), ld, box, udcnImageFont));
    EXPECT_EQ(box, (sBox{0, 0, 32, 32}));
    EXPECT_TRUE(pushUndo(paper(), ld, 100, 0, udcnValueLayerTrans));
    EXPECT_TRUE(pushUndo(paper(), &paper(), udcnValuePaperColor, 0x00FF00, 0, 0, 0));
    EXPECT_TRUE(UndoStock(paper(), 1, udcnImageAll));
    EXPECT_TRUE(orgUndoStock(paper(), 1));
    EXPECT_TRUE(orgUndoStockPart(paper(), 1, 0, 0, 3, 3));
    EXPECT_FALSE(orgUndoStock(paper(), -1));
    EXPECT_EQ(um->getUndoCnt(), 8);
    EXPECT_EQ(um->getUndoList().getAt(0)->cmdName, udcnImageBox);
    EXPECT_EQ(um->getUndoList().getAt(2)->cmdName, udcnImageAll);
}

TEST_F(UndoDocument, WithoutTheManagerTheLayersKeepTheirOwnHistory)
{
    paper().freeUndoMngrEx();
    const int32_t idx = layers().addLayer(40, 30, TLayerMode::LM_STD, true, 255, true);
    ASSERT_GE(idx, 0);
    CLayerData &ld = *layers().getLayer(idx);
    ASSERT_TRUE(ld.hasUndo());
    ld.imageTC->setPixel(2, 2, 0xFF102030);
    EXPECT_FALSE(pushUndo(paper(), idx, udcnImageAll));
    EXPECT_FALSE(pushUndo(paper(), ld, 1, 2, udcnValueLayerTrans));
    EXPECT_FALSE(pushUndo(paper(), &ld, udcnComplexAddLayer, 0, 0, 0, 0));
    EXPECT_FALSE(ld.canUndo());
    EXPECT_TRUE(UndoStock(paper(), idx, udcnImageAll));
    EXPECT_TRUE(orgUndoStockPart(paper(), idx, 1, 1, 5, 5));
    EXPECT_EQ(ld.undoMngr->getUndoCnt(), 2);
    EXPECT_GT(layers().calcUndoMemSize(), 0u);
    // A layer without a history of its own stocks nothing.
    EXPECT_FALSE(UndoStock(paper(), 0, udcnImageAll));
    EXPECT_EQ(dumpPaperState(paper()).section(QLatin1Char('\n'), -2, -2),
              QStringLiteral("undo undo=0 redo=0"));
}

TEST(UndoDocumentLimits, AnUndoLimitOfZeroStocksNothing)
{
    ScopedUndoMax undoMax(0);
    HeadlessDocument doc;
    ASSERT_TRUE(setupHeadlessPaper(*doc.paper, {8, 8}, 0xFFFFFF, 1));
    EXPECT_TRUE(isUsingNewUndo(*doc.paper));
    EXPECT_FALSE(isUndoEnable(*doc.paper));
    EXPECT_FALSE(UndoStock(*doc.paper, 0, udcnImageAll));
    EXPECT_EQ(doc.paper->undoMngrEx()->getUndoCnt(), 0);
}

TEST_F(UndoDocument, ARecordOfADeletedLayerIsDroppedWithoutAMessage)
{
    ASSERT_TRUE(UndoStock(paper(), 1, udcnImageAll));
    ASSERT_TRUE(UndoStock(paper(), 0, udcnImageAll));
    std::unique_ptr<CLayerData> gone = layers().removeAt(0);
    int32_t idx = 5;
    sRect r{1, 2, 3, 4};
    udUpdateType ut;
    EXPECT_FALSE(undo(idx, r, ut));
    EXPECT_EQ(idx, -1);
    EXPECT_EQ(r, (sRect{1, 2, 3, 4}));
    EXPECT_EQ(um->getUndoCnt(), 1);
    EXPECT_TRUE(messages.warnings.isEmpty());
    // The rest of the history still applies.
    EXPECT_TRUE(undo(idx, r, ut));
    EXPECT_EQ(idx, 0);
}

TEST_F(UndoDocument, AFailingUndoWarnsAndClearsBothLists)
{
    CLayerData &ld = *layers().getLayer(1);
    ASSERT_TRUE(pushUndo(paper(), ld, 2, 3, udcnValueLayerSelectPos));
    ASSERT_TRUE(pushUndo(paper(), ld, 9, 0, udcnValueLayerTrans));
    int32_t idx = 0;
    sRect r;
    udUpdateType ut;
    ASSERT_TRUE(undo(idx, r, ut));
    ASSERT_EQ(um->getRedoCnt(), 1);
    // The mask the record moved is no longer there.
    CMaskData &mask = *paper().getActiveMaskData();
    mask.setUniqueID(mask.uniqueID + 1);
    EXPECT_FALSE(undo(idx, r, ut));
    EXPECT_EQ(messages.warnings, QStringList{kUndoFailed});
    EXPECT_EQ(um->getUndoCnt(), 0);
    EXPECT_EQ(um->getRedoCnt(), 0);

    // A failing redo clears them too, without the message.
    messages.clear();
    mask.setUniqueID(mask.uniqueID - 1);
    ASSERT_TRUE(pushUndo(paper(), ld, 9, 0, udcnValueLayerTrans));
    ASSERT_TRUE(pushUndo(paper(), ld, 2, 3, udcnValueLayerSelectPos));
    ASSERT_TRUE(undo(idx, r, ut));
    mask.setUniqueID(mask.uniqueID + 1);
    EXPECT_FALSE(undo(idx, r, ut, true));
    EXPECT_TRUE(messages.warnings.isEmpty());
    EXPECT_EQ(um->getUndoCnt(), 0);
    EXPECT_EQ(um->getRedoCnt(), 0);
}

TEST_F(UndoDocument, AWholeImageCommandUndoRedoTurnsTheLayersItTurned)
{
    const int32_t hidden = layers().addLayer(40, 30, TLayerMode::LM_STD, false, 255, false);
    ASSERT_EQ(hidden, 2);
    for (int32_t i = 0; i < 3; ++i) {
        CBlockVMTC &img = *layers().getLayer(i)->imageTC;
        img.fillImage({0, 0, 40, 30}, 0x203040u + uint32_t(i));
        img.setPixel(3, 1, 0xFF000000u);
    }
    std::vector<std::vector<uint32_t>> before;
    for (int32_t i = 0; i < 3; ++i)
        before.push_back(pixelsOf(*layers().getLayer(i)->imageTC));

    // The command turns the visible layers only; the record names them.
    SUndoExtras extras;
    for (int32_t i = 0; i < 2; ++i) {
        CLayerData &ld = *layers().getLayer(i);
        extras.ids.push_back(ld.uniqueID);
        ASSERT_TRUE(applyLayerCmd(ld, udcnCmdVisFlipTB, *ld.imageTC, ld.imageBox()));
    }
    CLayerData &active = *layers().getLayer(0);
    sBox box = active.imageBox();
    ASSERT_TRUE(pushUndo(paper(), active, box, udcnCmdVisFlipTB, std::move(extras)));
    std::vector<std::vector<uint32_t>> after;
    for (int32_t i = 0; i < 3; ++i)
        after.push_back(pixelsOf(*layers().getLayer(i)->imageTC));

    int32_t idx = 0;
    sRect r;
    udUpdateType ut;
    ASSERT_TRUE(undo(idx, r, ut));
    EXPECT_TRUE(ut.has(udUpdateFlag::udutAll));
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(pixelsOf(*layers().getLayer(i)->imageTC), before[size_t(i)]) << i;
    ASSERT_TRUE(undo(idx, r, ut, true));
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(pixelsOf(*layers().getLayer(i)->imageTC), after[size_t(i)]) << i;
}

TEST(UndoDocumentCreation, AManagerThatCannotBeMadeFailsTheDocument)
{
    QStringList lines;
    DebugSink previousSink = setDebugSink([&](const QString &t) { lines << t; });
    PaperPartFault previous =
        setPaperPartFault([](ePaperPart p) { return p == ePaperPart::undoMngrEx; });
    CHeadlessPaperOwner owner;
    EXPECT_EQ(TPaper::Create(&owner), nullptr);
    setPaperPartFault(previous);
    setDebugSink(previousSink);
    EXPECT_EQ(lines, QStringList{QStringLiteral("failed to create undoMngrEx!")});
}

} // namespace
