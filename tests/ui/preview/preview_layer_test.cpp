// The colour-range dialog's source view: its picture under the source combo box, and the two
// sources it shows in paper coordinates.
#include "document/paper/headless.h"
#include "document/paper/paper.h"
#include "document/view/composition.h"
#include "support/paper_fakes.h"
#include "ui/preview/preview_layer.h"

#include <QComboBox>

#include <gtest/gtest.h>

TEST(PreviewLayer, ShowsTheActiveLayerOrTheOpaqueDisplayImage)
{
    HeadlessDocument doc;
    ASSERT_TRUE(doc.paper && setupHeadlessPaper(*doc.paper, {40, 30}, 0xFFFFFF, 1));
    doc.flow().image().PixelFill(0);
    doc.flow().image().seek32(3, 2)->all = 0xFF123456u;
    UpdateVRAM(*doc.paper, false, true);
    TPreviewLayer view;
    EXPECT_EQ(view.PaintBox1->geometry(), QRect(0, 26, 192, 244 - 48));
    EXPECT_EQ(view.ComboBox1->count(), 2);
    ASSERT_TRUE(view.Attach(&doc.owner, &doc.flow(), 0));
    EXPECT_EQ(view.SrcWidth(), 40);
    EXPECT_EQ(view.SrcHeight(), 30);
    const int32_t l = view.DstLeft(), t = view.DstTop();
    EXPECT_EQ(view.ViewTC().getColor(l + 3, t + 2), 0xFF123456u);
    EXPECT_EQ(view.ViewTC().getColor(l, t), 0xFFE0E0E0u) << "transparent: the checkerboard";
    // The display image, with the canvas colour shown, is opaque whatever its alpha.
    view.ComboBox1->setCurrentIndex(1);
    EXPECT_EQ(view.FDisp(), 1);
    EXPECT_EQ(view.ViewTC().getColor(l, t), 0xFFFFFFFFu);
}
