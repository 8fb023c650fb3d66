#include "document/paper/flow_image.h"

#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "paint/stroke/stroke.h"
#include "support/paper_fakes.h"

#include <gtest/gtest.h>

namespace {

using enum TLayerMode;

// A 16 x 8 document with two layers, the main window's stroke installed.
class FlowImage : public testing::Test
{
  protected:
    FlowImage() : stroke(5), hooks(&stroke, nullptr, nullptr, nullptr, nullptr)
    {
        EXPECT_TRUE(doc.paper != nullptr);
        EXPECT_TRUE(setupHeadlessPaper(*doc.paper, {16, 8}, 0xFFFFFF, 2));
    }

    CLayerData &layer(int32_t i) { return *doc.paper->getLayerData(i); }

    TStroke stroke;
    ScopedPaperAppHooks hooks;
    HeadlessDocument doc;
};

TEST_F(FlowImage, ANewFlowImageHoldsNothing)
{
    TFlowImage flow(doc.paper.get());
    EXPECT_EQ(flow.layerIdx(), -1);
    EXPECT_EQ(flow.imageType(), eFlowImageType::fitEmpty);
    EXPECT_EQ(flow.image().FPSZ(), (sSize{0, 0}));
    EXPECT_EQ(flow.viewPos, (sPos{0, 0}));
}

TEST_F(FlowImage, ASecondLoadOfTheSameLayerCopiesNothingButFollowsTheLayer)
{
    TFlowImage &flow = doc.flow();
    layer(1).imageTC->setPixel(3, 2, 0xFF123456);
    ASSERT_TRUE(doc.paper->setFlow(flow, 1, false));
    EXPECT_EQ(flow.layerIdx(), 1);
    EXPECT_EQ(flow.imageType(), eFlowImageType::fitActiveLayer);
    EXPECT_EQ(flow.image().getColor(3, 2), 0xFF123456u);
    EXPECT_EQ(stroke.m_drawLayer, 1);

    flow.image().seek32(0, 0)->all = 0xFFABCDEF; // work in the flow image
    layer(1).viewPos = {2, 1};
    doc.paper->m_paperSize = {15, 7};
    stroke.m_drawLayer = 0;
    EXPECT_FALSE(doc.paper->setFlow(flow, 1, false));
    EXPECT_EQ(flow.image().getColor(0, 0), 0xFFABCDEFu); // not reloaded
    EXPECT_EQ(flow.viewPos, (sPos{2, 1}));
    EXPECT_EQ(flow.viewSize, (sSize{15, 7}));
    EXPECT_EQ(stroke.m_drawLayer, 1);

    EXPECT_TRUE(doc.paper->setFlow(flow, 1, true)); // force reloads
    EXPECT_EQ(flow.image().getColor(0, 0), 0x00FFFFFFu);
    EXPECT_FALSE(doc.paper->setFlow(flow, 5, true));
}

TEST_F(FlowImage, LargerLayersGrowTheImageAndOnlyAShrinkingFitMakesItSmaller)
{
    TFlowImage &flow = doc.flow();
    flow.alpha().seek8(1, 1)[0] = 9;
    CLayerMngr &list = doc.paper->layerMngr();
    const int32_t big = list.addLayer(40, 20, LM_STD, false, 255, true);
    list.getLayer(big)->imageTC->setPixel(39, 19, 0xFF00FF00);
    ASSERT_TRUE(doc.paper->setFlow(flow, big, false));
    EXPECT_EQ(flow.image().FPSZ(), (sSize{40, 20}));
    EXPECT_EQ(flow.alpha().FPSZ(), (sSize{40, 20}));
    EXPECT_EQ(flow.alpha().getColor(1, 1), 0);
    EXPECT_EQ(flow.image().getColor(39, 19), 0xFF00FF00u);

    ASSERT_TRUE(doc.paper->setFlow(flow, 0, false));
    EXPECT_EQ(flow.image().FPSZ(), (sSize{40, 20})); // kept

    EXPECT_FALSE(flow.changeSize(false)); // already the largest layer's size
    ASSERT_TRUE(list.deleteLayer(big));
    EXPECT_FALSE(flow.changeSize(false)); // never smaller without shrink
    EXPECT_EQ(flow.image().FPSZ(), (sSize{40, 20}));
    ASSERT_TRUE(flow.changeSize(true));
    EXPECT_EQ(flow.image().FPSZ(), (sSize{16, 8}));
    EXPECT_EQ(flow.alpha().FPSZ(), (sSize{16, 8}));
    EXPECT_EQ(flow.imageType(), eFlowImageType::fitEmpty);
    EXPECT_EQ(flow.image().getColor(5, 5), 0x00FFFFFFu);
    EXPECT_EQ(flow.viewPos, (sPos{0, 0}));
    EXPECT_EQ(flow.viewSize, (sSize{16, 8}));
}

TEST_F(FlowImage, ChangeSizeOfALayerlessDocumentAnswersFalse)
{
    HeadlessDocument empty;
    ASSERT_NE(empty.paper, nullptr);
    EXPECT_FALSE(empty.flow().changeSize(true));
    EXPECT_EQ(empty.flow().image().FPSZ(), (sSize{0, 0}));
}

TEST_F(FlowImage, AFailedResizeChangesNothing)
{
    TFlowImage &flow = doc.flow();
    ASSERT_TRUE(doc.paper->setFlow(flow, 1, true));
    flow.image().seek32(2, 2)->all = 0xFF010203;
    // Its flow image would pass the 2^31-byte limit of one canvas.
    CLayerMngr &list = doc.paper->layerMngr();
    const int32_t huge = list.addLayer(24000, 24000, LM_STD, false, 255, true);
    ASSERT_GE(huge, 0);
    stroke.m_drawLayer = 7;
    EXPECT_FALSE(doc.paper->setFlow(flow, huge, false));
    EXPECT_EQ(flow.layerIdx(), 1);
    EXPECT_EQ(flow.imageType(), eFlowImageType::fitActiveLayer);
    EXPECT_EQ(flow.image().FPSZ(), (sSize{16, 8}));
    EXPECT_EQ(flow.alpha().FPSZ(), (sSize{16, 8}));
    EXPECT_EQ(flow.image().getColor(2, 2), 0xFF010203u);
    EXPECT_EQ(stroke.m_drawLayer, 7);

    EXPECT_FALSE(flow.changeSize(false));
    EXPECT_EQ(flow.image().FPSZ(), (sSize{16, 8}));
    EXPECT_EQ(flow.alpha().FPSZ(), (sSize{16, 8}));
    EXPECT_EQ(flow.imageType(), eFlowImageType::fitActiveLayer);
}

} // namespace
