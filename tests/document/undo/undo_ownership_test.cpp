// Which objects a structural or mask record frees when it is destroyed, for every command in both
// states. Each record gets the kind of object its command keeps (a layer where it keeps none, to
// show that nothing else is freed); what it must not free the test frees itself, so a wrong rule
// shows as a count here and as a leak or double free under AddressSanitizer.
#include "document/undo/undo_data.h"

#include "core/mask/mask_manager.h"
#include "document/paper/layer_manager.h"
#include "support/paper_fakes.h"
#include "undo_fixtures.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace undo_test;
using enum udCmdName;

enum class eSlot
{
    layer,
    layerList,
    layerMngr,
    mask,
};

eSlot slotOf(udCmdName cn)
{
    switch (cn) {
    case udcnComplexLayerBindClippingGroup:
    case udcnComplexBindLayerGroup:
    case udcnComplexDelGroupLayers:
    case udcnComplexMoveLayerGroupPos:
    case udcnComplexMoveLayerGroupSelPos:
    case udcnComplexMoveLayerLinkPos:
    case udcnComplexMoveLayerLinkSelPos:
        return eSlot::layerList;
    case udcnComplexBindAllLayers:
    case udcnComplexResize:
    case udcnComplexReso:
    case udcnComplexCrop:
        return eSlot::layerMngr;
    case udcnComplexLayerAndMaskFreeTransform:
        return eSlot::mask;
    default:
        return cn >= udcnMaskInsert ? eSlot::mask : eSlot::layer;
    }
}

// The destruction list of the records, as the operations rely on it.
bool objFreed(udCmdName cn, bool nowRedo)
{
    static const std::set<int32_t> always{28, 31, 37, 38, 39, 40, 41, 45, 46, 48,
                                          49, 51, 52, 58, 59, 60, 61, 63, 64, 70};
    static const std::set<int32_t> whileRedo{32, 34, 35, 42, 62};
    static const std::set<int32_t> whileUndo{33, 44};
    const int32_t n = cmdNumber(cn);
    return always.count(n) || (nowRedo && whileRedo.count(n)) || (!nowRedo && whileUndo.count(n));
}

struct Held
{
    CLayerData *layer = nullptr;
    TUndoLayerList *list = nullptr;
    CLayerMngr *mngr = nullptr;
    CMaskData *mask = nullptr;
};

CLayerData *newLayer()
{
    auto *ld = new CountedLayer;
    ld->createLayer(4, 4, TLayerMode::LM_STD);
    return ld;
}

CMaskData *newMask()
{
    auto *md = new CMaskData(0);
    md->maskTC = std::make_unique<CountedMaskImage>();
    return md;
}

// A layer manager of three counted layers.
CLayerMngr *newLayerMngr(std::vector<CLayerData *> &layers)
{
    auto *mngr = new CLayerMngr(4);
    for (int i = 0; i < 3; ++i) {
        std::unique_ptr<CLayerData> ld(newLayer());
        layers.push_back(ld.get());
        mngr->insertLayer(i, ld);
    }
    return mngr;
}

class UndoOwnership : public testing::Test
{
  protected:
    void SetUp() override
    {
        destroyedLayers() = 0;
        destroyedMasks() = 0;
    }
};

TEST_F(UndoOwnership, ADestroyedRecordFreesExactlyWhatItsCommandOwns)
{
    HeadlessDocument doc;
    ASSERT_NE(doc.paper, nullptr);
    for (int32_t n = cmdNumber(udcnComplexLayerBindClippingGroup); n < kUndoCmdCount; ++n) {
        udCmdName cn;
        ASSERT_TRUE(toUndoCmd(n, cn));
        for (const bool nowRedo : {false, true}) {
            for (const int32_t val1 : {0, 1}) {
                if (val1 == 1 && cn != udcnComplexBindAllLayers)
                    continue;
                SCOPED_TRACE(testing::Message()
                             << "command " << n << " redo " << nowRedo << " val1 " << val1);
                SetUp();
                auto rec = std::make_unique<CUndoData>(1);
                rec->setAttr(true, 1, getUndoCmdDataType(cn), cn, 0, val1, 0, 0);
                rec->bNowRedo = nowRedo;
                rec->dataPaper = doc.paper.get();
                // The second layer and the mask manager are kept only by 37 and 59; every
                // record gets them to show that no other frees them.
                CLayerData *layer2 = newLayer();
                rec->dataLayer2 = layer2;
                auto *masks = new CMaskMngr(nullptr, 2);
                std::unique_ptr<CMaskData> extraMask(newMask());
                masks->insertAt(1, extraMask);
                rec->dataMasks = masks;

                std::vector<CLayerData *> layers;
                int layersInObj = 0, masksInObj = 0;
                Held held;
                switch (slotOf(cn)) {
                case eSlot::layer:
                    held.layer = newLayer();
                    rec->dataObj = held.layer;
                    layersInObj = 1;
                    break;
                case eSlot::layerList:
                    held.list = new TUndoLayerList;
                    held.list->emplace_back(newLayer());
                    held.list->emplace_back(nullptr);
                    held.list->emplace_back(newLayer());
                    rec->dataObj = held.list;
                    layersInObj = 2;
                    break;
                case eSlot::layerMngr:
                    held.mngr = newLayerMngr(layers);
                    rec->dataObj = held.mngr;
                    layersInObj = 3;
                    break;
                case eSlot::mask:
                    held.mask = newMask();
                    rec->dataObj = held.mask;
                    masksInObj = 1;
                    break;
                }

                const bool freed = objFreed(cn, nowRedo);
                const bool shared = cn == udcnComplexBindAllLayers && val1 != 0;
                const bool layer2Freed = cn == udcnComplexBindLayer && !nowRedo;
                const bool masksFreed = cn == udcnComplexReso;
                rec.reset();

                int expectLayers = freed ? layersInObj : 0;
                if (shared)
                    expectLayers = 1; // the saved manager's first layer only
                expectLayers += layer2Freed ? 1 : 0;
                EXPECT_EQ(destroyedLayers(), expectLayers);
                EXPECT_EQ(destroyedMasks(), (freed ? masksInObj : 0) + (masksFreed ? 1 : 0));

                // What the record did not free is the document's: free it here.
                if (!freed) {
                    delete held.layer;
                    delete held.list;
                    delete held.mngr;
                    delete held.mask;
                }
                if (shared)
                    for (size_t i = 1; i < layers.size(); ++i)
                        delete layers[i];
                if (!layer2Freed)
                    delete layer2;
                if (!masksFreed)
                    delete masks;
            }
        }
    }
}

TEST_F(UndoOwnership, ADeleteLayerRecordFreesItsLayerOnlyWhileNotUndone)
{
    auto *layer = newLayer();
    {
        CUndoData rec(layer->uniqueID);
        rec.setAttr(true, layer->uniqueID, udDataType::uddtComplex, udcnComplexDelLayer, 0, 0, 0,
                    0);
        rec.dataObj = layer;
    }
    EXPECT_EQ(destroyedLayers(), 1);

    destroyedLayers() = 0;
    layer = newLayer();
    {
        CUndoData rec(layer->uniqueID);
        rec.setAttr(true, layer->uniqueID, udDataType::uddtComplex, udcnComplexDelLayer, 0, 0, 0,
                    0);
        rec.dataObj = layer;
        rec.bNowRedo = true; // undone: the layer is back in the document
    }
    EXPECT_EQ(destroyedLayers(), 0);
    delete layer;
}

TEST_F(UndoOwnership, ValueAndImageRecordsNeverFreeTheirObject)
{
    HeadlessDocument doc;
    auto *layer = newLayer();
    {
        CUndoData paperColour(1);
        paperColour.setValue(1, udcnValuePaperColor, 0, 0, 0, 0);
        paperColour.dataObj = doc.paper.get();
        CUndoData cmd(1);
        cmd.setCmd(1, {0, 0, 4, 4}, udcnCmdFlipLR);
        cmd.dataObj = layer;
        cmd.bNowRedo = true;
    }
    EXPECT_EQ(destroyedLayers(), 0);
    delete layer;
}

} // namespace
