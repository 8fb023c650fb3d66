// The preview frame: the zoom bar's mapping, the fit zoom, panning at the layer's edges and the
// picture it draws.
#include "document/paper/headless.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "support/paper_fakes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"
#include "ui/preview/preview_frame.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(PreviewFrame, ZoomBarMapsMinimumCentreAndMaximum)
{
    const float mn = 0.1f, mx = 16;
    EXPECT_EQ(previewTrackOutFilter(mn, mx, 0), 0.0f);
    EXPECT_FLOAT_EQ(previewTrackOutFilter(mn, mx, 1), 1.0f);
    // The middle of the bar is 100 %: p = (1 - mn) / (mx - mn).
    const float p = previewTrackOutFilter(mn, mx, 0.5f);
    EXPECT_NEAR(p, 0.0566, 1e-4);
    EXPECT_NEAR(mn + (mx - mn) * p, 1.0f, 1e-5);
    for (float t : {0.0f, 0.1f, 0.25f, 0.5f, 0.8f, 1.0f})
        EXPECT_NEAR(previewTrackInFilter(mn, mx, previewTrackOutFilter(mn, mx, t)), t, 1e-5) << t;
    // Clamped; linear when the minimum is 100 %.
    EXPECT_EQ(previewTrackOutFilter(mn, mx, 2), previewTrackOutFilter(mn, mx, 1));
    EXPECT_EQ(previewTrackInFilter(1, mx, 0.3f), 0.3f);
}

namespace {

struct Frame
{
    Frame(int32_t w, int32_t h, sRect effect = {}) : canvas(w, h)
    {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                canvas.seek32(x, y)->all = 0xFF000000u | uint32_t(x << 8 | (y & 0xFF));
        SPreviewSource s;
        s.canvas = &canvas;
        s.layerSize = {w, h};
        s.effectRect = effect.x1 > effect.x0 ? effect : sRect{0, 0, w, h};
        attached = frame.AttachSource(s);
    }
    TMTC canvas;
    TPreviewFrame frame;
    bool attached = false;
};

} // namespace

TEST(PreviewFrame, ALayerSmallerThanTheViewZoomsNoLowerThan100)
{
    Frame f(50, 40);
    ASSERT_TRUE(f.attached);
    EXPECT_EQ(f.frame.Num1->ValueMin(), 100.0f);
    EXPECT_FALSE(f.frame.Track1->CenterLine());
    EXPECT_EQ(f.frame.DstWidth(), 50);
    EXPECT_EQ(f.frame.SrcAdjWidth(), 50);
    EXPECT_EQ(f.frame.DstLeft(), (208 - 50) / 2);
    // The image is centred on the checkerboard, inside a frame.
    const TMTC &v = f.frame.ViewTC();
    EXPECT_EQ(v.getColor(f.frame.DstLeft() + 3, f.frame.DstTop() + 2), f.canvas.getColor(3, 2));
    EXPECT_EQ(v.getColor(f.frame.DstLeft() - 1, 100) & 0xFFFFFFu,
              v.getColor(f.frame.DstLeft() - 1, 101) & 0xFFFFFFu);
}

TEST(PreviewFrame, ALayerTenTimesTheShownWidthZoomsDownTo10Percent)
{
    Frame f(2060, 1000);
    ASSERT_TRUE(f.attached);
    EXPECT_FLOAT_EQ(f.frame.Num1->ValueMin(), 10.0f);
    EXPECT_TRUE(f.frame.Track1->CenterLine());
    // The bar's left end is the minimum, its centre 100 %, its right end 1600 %.
    const auto barAt = [&](float zoom) {
        f.frame.Num1->setValue(zoom);
        return f.frame.Track1->StoredPosition();
    };
    EXPECT_NEAR(barAt(100), 0.5f, 1e-5);
    EXPECT_NEAR(barAt(10), 0.0f, 1e-6);
    EXPECT_NEAR(barAt(1600), 1.0f, 1e-6);
    // At the minimum the whole width shows.
    barAt(10);
    EXPECT_EQ(f.frame.DstWidth(), 206);
    EXPECT_EQ(f.frame.SrcAdjWidth(), 2060);
}

TEST(PreviewFrame, PanningStopsAtTheLayerEdges)
{
    Frame f(400, 300, {0, 0, 10, 10});
    ASSERT_TRUE(f.attached);
    ASSERT_EQ(f.frame.SrcAdjWidth(), 206);
    EXPECT_EQ(f.frame.SrcLeft(), 0) << "centred on the effect rectangle, clamped";
    f.frame.PaintBox1MouseDown(Qt::LeftButton, 100, 100);
    // Dragging right moves the anchor left: already at 0, it stays.
    f.frame.PaintBox1MouseMove(Qt::LeftButton, 150, 100);
    EXPECT_EQ(f.frame.SrcLeft(), 0);
    EXPECT_TRUE(f.frame.Drag);
    // Dragging far left stops at SrcWidth - SrcAdjWidth.
    f.frame.PaintBox1MouseMove(Qt::LeftButton, -500, 100);
    EXPECT_EQ(f.frame.SrcLeft(), 400 - 206);
    // Further left: no movement; back right by 10 moves from the edge at once.
    f.frame.PaintBox1MouseMove(Qt::LeftButton, -600, 100);
    EXPECT_EQ(f.frame.SrcLeft(), 400 - 206);
    f.frame.PaintBox1MouseMove(Qt::LeftButton, -490, 100);
    EXPECT_EQ(f.frame.SrcLeft(), 400 - 206 - 10);
    f.frame.PaintBox1MouseUp();
    EXPECT_FALSE(f.frame.Drag);
    EXPECT_EQ(f.frame.ViewTC().getColor(f.frame.DstLeft(), f.frame.DstTop()),
              f.canvas.getColor(f.frame.SrcLeft(), f.frame.SrcTop()));
}

TEST(PreviewFrame, ZoomingKeepsTheCentre)
{
    Frame f(1000, 1000, {400, 400, 600, 600});
    ASSERT_TRUE(f.attached);
    const int32_t centre = f.frame.SrcLeft() + f.frame.SrcAdjWidth() / 2;
    EXPECT_EQ(centre, 500);
    f.frame.Num1->setValue(200);
    EXPECT_EQ(f.frame.SrcAdjWidth(), 103);
    EXPECT_NEAR(f.frame.SrcLeft() + f.frame.SrcAdjWidth() / 2, 500, 1);
}

TEST(PreviewFrame, AttachesToADocumentWindowsLayer)
{
    HeadlessDocument doc;
    ASSERT_TRUE(doc.paper && setupHeadlessPaper(*doc.paper, {40, 30}, 0xFFFFFF, 1));
    doc.owner.smoothZoom = true;
    doc.flow().image().seek32(0, 0)->all = 0xFF123456u;
    TPreviewFrame frame;
    EXPECT_FALSE(frame.Attach(nullptr, &doc.flow(), 0));
    EXPECT_FALSE(frame.Attach(&doc.owner, &doc.flow(), 5));
    ASSERT_TRUE(frame.Attach(&doc.owner, &doc.flow(), 0));
    EXPECT_EQ(frame.SrcWidth(), doc.paper->getLayerData(0)->imageTC->width());
    EXPECT_EQ(frame.Num1->ValueMin(), 100.0f);
    // Shown at 100 %: the area-average scaler copies the pixel.
    EXPECT_EQ(frame.ViewTC().getColor(frame.DstLeft(), frame.DstTop()), 0xFF123456u);
    // Transparent pixels show the 8 x 8 checkerboard.
    EXPECT_EQ(frame.ViewTC().getColor(frame.DstLeft() + 7, frame.DstTop()), 0xFFE0E0E0u);
    EXPECT_EQ(frame.ViewTC().getColor(frame.DstLeft() + 8, frame.DstTop()), 0xFFC8C8C8u);
}

TEST(PreviewFrame, BoundsGiveThePaintBoxAllButTheZoomBar)
{
    Frame f(1000, 800);
    f.frame.SetBounds(0, 0, 300, 322);
    EXPECT_EQ(f.frame.PaintBox1->size(), QSize(300, 300));
    EXPECT_EQ(f.frame.ViewTC().width(), 300);
    EXPECT_EQ(f.frame.DstWidth(), 298);
    EXPECT_EQ(f.frame.DstHeight(), 298);
    f.frame.SetBounds(0, 0, 10, 10);
    EXPECT_EQ(f.frame.ViewTC().width(), 10);
    EXPECT_EQ(f.frame.ViewTC().height(), 1) << "at least one pixel";
    EXPECT_EQ(f.frame.DstHeight(), 1);
}
