#include "document/undo/undo_data.h"

#include "core/mask/mask_manager.h"
#include "document/paper/layer_manager.h"
#include "platform/system/debug_output.h"
#include "support/block_memory.h"
#include "support/captured_messages.h"
#include "undo_fixtures.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <functional>

namespace {

using namespace undo_test;
using enum udCmdName;
using enum udUpdateFlag;

TEST(UndoRecord, TheBoxIsWidenedToWholeBlocksInTheRecordAndTheCallersBox)
{
    struct Case
    {
        sBox in, out;
    };
    for (const Case c :
         {Case{{5, 40, 10, 10}, {0, 32, 32, 32}}, Case{{31, 31, 2, 2}, {0, 0, 64, 64}},
          Case{{64, 0, 32, 33}, {64, 0, 32, 64}}, Case{{-3, 0, 3, 1}, {-32, 0, 32, 32}}}) {
        sBox box = c.in;
        CUndoData rec(7, box, udcnImageBox);
        EXPECT_EQ(box, c.out);
        EXPECT_EQ(rec.pos, c.out.pos());
        EXPECT_EQ(rec.size, c.out.size());
        ASSERT_TRUE(rec.hasImage());
        EXPECT_EQ(rec.image->FPSZ(), c.out.size());
        EXPECT_EQ(rec.layerID, 7);
        EXPECT_EQ(rec.layerIdx, -1);
        EXPECT_EQ(rec.dataType, udDataType::uddtImage);
        EXPECT_FALSE(rec.enable);
    }
}

TEST(UndoRecord, GetBoxReportsTheImageSizeOverTheStoredSize)
{
    CUndoData rec(1);
    rec.setBox({3, 4, 5, 6});
    EXPECT_EQ(rec.getBox(), (sBox{3, 4, 5, 6}));
    rec.setImage(std::make_unique<CBlockVMTC>(32, 64));
    EXPECT_EQ(rec.getBox(), (sBox{3, 4, 32, 64}));
}

// A layer image larger than its paper, so that the flips move the view position.
class UndoRecordCmd : public testing::Test
{
  protected:
    static constexpr int32_t W = 40, H = 24;
    void SetUp() override
    {
        layer = patternLayer(W, H);
        ASSERT_NE(layer, nullptr);
        layer->viewPos = {3, 1};
        layer->viewSize = {30, 20};
    }
    std::unique_ptr<CLayerData> layer;
};

TEST_F(UndoRecordCmd, EachPixelCommandIsItsOwnInverse)
{
    struct Case
    {
        udCmdName cn;
        std::function<uint32_t(int32_t, int32_t)> once;
        sPos viewPos;
    };
    const auto flipX = [](int32_t x, int32_t y) { return patternPixel(W - 1 - x, y); };
    const auto flipY = [](int32_t x, int32_t y) { return patternPixel(x, H - 1 - y); };
    const auto turn = [](int32_t x, int32_t y) { return patternPixel(W - 1 - x, H - 1 - y); };
    const auto inv = [](int32_t x, int32_t y) { return patternPixel(x, y) ^ 0x00FFFFFFu; };
    const auto invA = [](int32_t x, int32_t y) { return patternPixel(x, y) ^ 0xFF000000u; };
    const std::vector<Case> cases{
        {udcnCmdFlipLR, flipX, {7, 1}},    {udcnCmdFlipTB, flipY, {3, 3}},
        {udcnCmdRot180, turn, {7, 3}},     {udcnCmdNot, inv, {3, 1}},
        {udcnCmdNotAlpha, invA, {3, 1}},   {udcnCmdVisFlipLR, flipX, {7, 1}},
        {udcnCmdVisFlipTB, flipY, {3, 3}}, {udcnCmdVisNot, inv, {3, 1}},
        {udcnCmdVisRot180, turn, {7, 3}},
    };
    const std::vector<uint32_t> before = pixelsOf(*layer->imageTC);
    for (const Case &c : cases) {
        SCOPED_TRACE(cmdNumber(c.cn));
        CUndoData rec(layer->uniqueID);
        rec.setCmd(layer->uniqueID, layer->imageBox(), c.cn);
        ASSERT_TRUE(rec.doCmd(*layer));
        EXPECT_EQ(layer->viewPos, c.viewPos);
        bool same = true;
        for (int32_t y = 0; y < H; ++y)
            for (int32_t x = 0; x < W; ++x)
                same = same && layer->imageTC->getColor(x, y) == c.once(x, y);
        EXPECT_TRUE(same);
        ASSERT_TRUE(rec.doCmd(*layer));
        EXPECT_EQ(layer->viewPos, (sPos{3, 1}));
        EXPECT_EQ(pixelsOf(*layer->imageTC), before);
    }
}

TEST_F(UndoRecordCmd, OnlyCommandRecordsApplyAndOnlyPixelCommandsExist)
{
    const std::vector<uint32_t> before = pixelsOf(*layer->imageTC);
    CUndoData value(layer->uniqueID);
    value.setValue(layer->uniqueID, udcnValueLayerTrans, 1, 2, 0, 0);
    EXPECT_FALSE(value.doCmd(*layer));
    CUndoData image(layer->uniqueID);
    EXPECT_FALSE(image.doCmd(*layer));
    EXPECT_FALSE(applyLayerCmd(*layer, udcnImageBox, *layer->imageTC, layer->imageBox()));
    EXPECT_FALSE(applyLayerCmd(*layer, udcnAlphaFill, *layer->imageTC, layer->imageBox()));
    EXPECT_EQ(pixelsOf(*layer->imageTC), before);
    EXPECT_EQ(layer->viewPos, (sPos{3, 1}));
}

TEST(UndoRecord, AWholeImageCommandTurnsOnlyTheLayersItRecorded)
{
    CLayerMngr mngr(4);
    std::vector<int32_t> ids;
    for (int i = 0; i < 3; ++i) {
        auto ld = patternLayer(8, 8);
        ids.push_back(ld->uniqueID);
        ASSERT_EQ(mngr.insertLayer(i, ld), i);
    }
    const std::vector<uint32_t> plain = pixelsOf(*mngr.getLayer(0)->imageTC);
    CUndoData rec(ids[0]);
    rec.setCmd(ids[0], {0, 0, 8, 8}, udcnCmdVisNot);
    rec.dataIds = {ids[0], ids[2]};
    ASSERT_TRUE(rec.doCmd(mngr));
    EXPECT_NE(pixelsOf(*mngr.getLayer(0)->imageTC), plain);
    EXPECT_EQ(pixelsOf(*mngr.getLayer(1)->imageTC), plain);
    EXPECT_NE(pixelsOf(*mngr.getLayer(2)->imageTC), plain);
    EXPECT_EQ(mngr.getLayer(0)->imageTC->getColor(2, 3), patternPixel(2, 3) ^ 0x00FFFFFFu);

    // A record that kept no ids turns every layer.
    rec.dataIds.clear();
    ASSERT_TRUE(rec.doCmd(mngr));
    EXPECT_EQ(pixelsOf(*mngr.getLayer(0)->imageTC), plain);
    EXPECT_NE(pixelsOf(*mngr.getLayer(1)->imageTC), plain);
    EXPECT_EQ(pixelsOf(*mngr.getLayer(2)->imageTC), plain);

    CUndoData value(ids[0]);
    value.setValue(ids[0], udcnValueLayerVisible, 0, 1, 0, 0);
    EXPECT_FALSE(value.doCmd(mngr));
}

TEST(UndoRecord, UpdateSetsAndWeightFollowTheCommandTable)
{
    EXPECT_TRUE(getUndoCmdUpdateType(udcnComplexLayerBindClippingGroup).has(udutHeavy));
    EXPECT_FALSE(getUndoCmdUpdateType(udcnComplexLayerReleaseClippingGroup).has(udutHeavy));
    EXPECT_TRUE(getUndoCmdUpdateType(udcnComplexLayerReleaseClippingGroup).has(udutPtr));
    EXPECT_EQ(getUndoCmdUpdateType(udcnValueLayerTrans),
              (udUpdateType{udutAll, udutNoRefreshFlow, udutChgLayerView}));
    EXPECT_EQ(getUndoCmdUpdateType(udcnComplexResize).bits(), 0x0017);
    EXPECT_EQ(getUndoCmdDataType(udcnComplexLayerFreeTransform), udDataType::uddtImage);
    EXPECT_EQ(getUndoCmdDataType(udcnMaskName), udDataType::uddtMask);
    EXPECT_EQ(getUndoCmdDataType(udCmdName::udcnMaxNum), udDataType::uddtNothing);

    CUndoData light(1);
    light.setAttr(true, 1, udDataType::uddtComplex, udcnComplexLayerReleaseClippingGroup, 0, 0, 0,
                  0);
    EXPECT_FALSE(light.isHeavy());
    CUndoData heavy(1);
    heavy.setAttr(true, 1, udDataType::uddtComplex, udcnComplexLayerBindClippingGroup, 0, 0, 0, 0);
    EXPECT_TRUE(heavy.isHeavy());
    light.setImage(std::make_unique<CBlockVMTC>(4, 4));
    EXPECT_TRUE(light.isHeavy());
}

// The objects a record refers to stay the test's: they leave the record before it dies.
void release(CUndoData &rec)
{
    rec.dataObj.clear();
    rec.dataLayer2 = nullptr;
    rec.dataMasks = nullptr;
}

TEST(UndoRecord, UsedMemoryIsCountedByKind)
{
    auto layer = patternLayer(64, 32); // two committed blocks
    auto other = patternLayer(32, 32); // one
    const uint64_t layerMem = layer->calcMemSize(), otherMem = other->calcMemSize();
    ASSERT_GT(layerMem, 2u * 4096u);

    sBox box{0, 0, 40, 10};
    CUndoData image(1, box, udcnImageBox);
    EXPECT_EQ(image.getUsedMemSize(), 0u); // not enabled yet
    ASSERT_TRUE(image.copy(*layer->imageTC, box));
    EXPECT_EQ(image.getUsedMemSize(), 2u * 4096u);

    CUndoData alpha(1);
    sBox abox{1, 1, 10, 5};
    ASSERT_TRUE(alpha.setAlpha(1, *layer->imageTC, abox, udcnAlphaFill));
    EXPECT_EQ(alpha.getUsedMemSize(), 50u);

    CUndoData value(1);
    value.setValue(1, udcnValueLayerTrans, 1, 2, 0, 0);
    EXPECT_EQ(value.getUsedMemSize(), 0u);

    struct Case
    {
        udCmdName cn;
        bool nowRedo;
        int32_t val1;
        uint64_t expected;
    };
    CLayerMngr saved(4);
    {
        auto copy = patternLayer(64, 32);
        saved.insertLayer(0, copy);
    }
    const uint64_t savedMem = saved.getLayer(0)->calcMemSize();
    CMaskMngr masks(nullptr, 2);
    const std::vector<Case> cases{
        {udcnComplexAddLayer, false, 0, 0},
        {udcnComplexAddLayer, true, 0, layerMem},
        {udcnComplexDelLayer, false, 0, layerMem},
        {udcnComplexDelLayer, true, 0, 0},
        {udcnComplexReplaceLayer, true, 0, layerMem},
        {udcnComplexBindLayer, false, 0, layerMem + otherMem},
        {udcnComplexBindLayer, true, 0, layerMem},
        {udcnComplexSplitWithMask, false, 0, 64u * 32u},
        {udcnComplexSplitWithMask, true, 0, layerMem + 64u * 32u},
        {udcnComplexLinkLayer, false, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(cmdNumber(c.cn));
        CUndoData rec(1);
        rec.setAttr(true, 1, udDataType::uddtComplex, c.cn, 0, c.val1, 0, 0);
        rec.bNowRedo = c.nowRedo;
        rec.dataObj = layer.get();
        rec.dataLayer2 = other.get();
        EXPECT_EQ(rec.getUsedMemSize(), c.expected);
        release(rec);
    }
    for (const Case &c :
         {Case{udcnComplexBindAllLayers, false, 0, savedMem},
          Case{udcnComplexBindAllLayers, false, 1, 0}, Case{udcnComplexCrop, true, 0, savedMem},
          Case{udcnComplexReso, false, 0, savedMem + masks.calcMemSize()}}) {
        SCOPED_TRACE(cmdNumber(c.cn));
        CUndoData rec(1);
        rec.setAttr(true, 1, udDataType::uddtComplex, c.cn, 0, c.val1, 0, 0);
        rec.dataObj = &saved;
        rec.dataMasks = &masks;
        EXPECT_EQ(rec.getUsedMemSize(), c.expected);
        release(rec);
    }

    TUndoLayerList list;
    list.push_back(patternLayer(64, 32));
    list.push_back(nullptr); // entries may be empty
    list.push_back(patternLayer(32, 32));
    CUndoData bind(1);
    bind.setAttr(true, 1, udDataType::uddtComplex, udcnComplexBindLayerGroup, 0, 0, 0, 0);
    bind.dataObj = &list;
    EXPECT_EQ(bind.getUsedMemSize(), layerMem + otherMem);
    release(bind);

    CMaskData mask(0, 100, 100);
    mask.maskTC->setPixel(1, 1, 200);
    ASSERT_GT(mask.calcMemSize(), 0u);
    CUndoData kept(1);
    kept.setAttr(true, 1, udDataType::uddtMask, udcnMaskInsert2, 0, 0, 0, 0);
    EXPECT_EQ(kept.getUsedMemSize(), 0u);
    kept.dataObj = &mask;
    EXPECT_EQ(kept.getUsedMemSize(), mask.calcMemSize());
    release(kept);
}

TEST(UndoRecord, ACopyOwnsItsOwnImagesAndBytes)
{
    auto layer = patternLayer(40, 40);
    sBox box{0, 0, 40, 40};
    auto src = std::make_unique<CUndoData>(5, box, udcnImageStroke);
    ASSERT_TRUE(src->copy(*layer->imageTC, box));
    src->dataBytes = {1, 2, 3};
    src->dataVal2 = 9;
    src->bNowRedo = true;
    src->layerIdx = 4;
    src->dataText = {QStringLiteral("a"), QStringLiteral("b")};
    src->dataIds = {70000};

    CUndoData copy(*src);
    src.reset();
    EXPECT_TRUE(copy.enable);
    EXPECT_FALSE(copy.bNowRedo);
    EXPECT_EQ(copy.layerIdx, -1);
    EXPECT_EQ(copy.layerID, 5);
    EXPECT_EQ(copy.cmdName, udcnImageStroke);
    EXPECT_EQ(copy.dataBytes, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(copy.dataVal2, 9);
    EXPECT_EQ(copy.dataText[1], QStringLiteral("b"));
    EXPECT_EQ(copy.dataIds, std::vector<int32_t>{70000});
    EXPECT_TRUE(copy.dataObj.empty());
    ASSERT_TRUE(copy.hasImage());
    EXPECT_EQ(copy.image->getColor(39, 39), patternPixel(39, 39));
}

TEST(UndoRecord, MakeImageOutOfMemoryWritesTheDebugLine)
{
    auto layer = patternLayer(40, 40);
    QStringList lines;
    DebugSink previous = setDebugSink([&](const QString &t) { lines << t; });
    CapturedMessages messages;
    CUndoData rec(1);
    {
        ScopedBlockMemoryLimit limit(0);
        EXPECT_FALSE(rec.makeImage(10, 10, *layer->imageTC, {5, 5, 10, 10}));
        EXPECT_FALSE(rec.makeOptImage(10, 10, *layer->imageTC, {5, 5, 10, 10}));
    }
    EXPECT_FALSE(rec.enable);
    EXPECT_FALSE(rec.hasImage());
    EXPECT_EQ(lines, QStringList({QStringLiteral("CUndoData::makeImage: out of memory!"),
                                  QStringLiteral("CUndoData::makeImage: out of memory!")}));
    ASSERT_TRUE(rec.makeImage(10, 10, *layer->imageTC, {5, 5, 10, 10}));
    EXPECT_TRUE(rec.enable);
    EXPECT_EQ(rec.image->getColor(0, 0), patternPixel(5, 5));
    EXPECT_EQ(rec.image->getColor(9, 9), patternPixel(14, 14));
    setDebugSink(previous);
}

} // namespace
