// Strokes through a headless document at levels 5, 4 and 1, against the document-free stand-ins
// under the conditions where both must agree (no selection, tone or gradient, the layer's
// protection equal to the stroke's); the display after every step; undo and recording.
#include "stroke_rig.h"

#include "document/events/event_manager.h"
#include "document/paper/layer_manager.h"
#include "document/undo/undo_stock.h"
#include "document/view/composition.h"
#include "document/view/zoom_cache.h"
#include "paint/canvas/stroke_canvas.h"
#include "paint/canvas/stroke_canvas_older.h"
#include "support/block_memory.h"

#include <gtest/gtest.h>

namespace {

using namespace stroke_test;

// A pattern both targets start from, so that watercolour and eraser have something to work on.
uint32_t startPixel(int32_t x, int32_t y)
{
    return 0xFF000000u | uint32_t((x * 7) & 0xFF) << 16 | uint32_t((y * 5) & 0xFF) << 8 |
           uint32_t(((x + y) * 3) & 0xFF);
}

void fillBoth(StrokeDoc &d, TMTC &standIn)
{
    CLayerData &ld = *d.paper().getLayerData(0);
    for (int32_t y = 0; y < ld.imageTC->height(); ++y)
        for (int32_t x = 0; x < ld.imageTC->width(); ++x) {
            ld.imageTC->setPixel(x, y, startPixel(x, y));
            standIn.seek32(x, y)->all = startPixel(x, y);
        }
    d.paper().setFlow(d.flow(), 0, true);
}

struct SModeCase
{
    const char *name;
    ePenRenderMode mode;
    uint8_t type;
};
const SModeCase kModes[] = {
    {"normal", ePenRenderMode::PRMODE_Std, 0},
    {"watercolour", ePenRenderMode::PRMODE_WC, 0},
    {"eraser", ePenRenderMode::PRMODE_Erase, 0},
    {"alpha painting", ePenRenderMode::PRMODE_Std, kRenderTypeOneChannel},
};

TEST(DocumentStroke, LevelFiveEqualsTheStandInByteForByte)
{
    std::vector<SStrokeData> pts = sCurve();
    pts[5].p = 0; // samples of pressure 0 inside the stroke
    pts[6].p = 0;
    for (const SModeCase &c : kModes) {
        SCOPED_TRACE(c.name);
        StrokeDoc d;
        ASSERT_TRUE(d.ready);
        d.setRenderMode(c.mode, c.type);
        d.stroke.setOpaque(0.7f);
        CStrokeCanvas canvas(96, 80, 0);
        fillBoth(d, canvas.layer());
        ASSERT_TRUE(d.stroke5(pts));

        CStrokeMngr5 mngr(&d.stroke, &d.render5);
        SStrokeParam sp;
        d.paper().strokeMngr5()->getParam(sp);
        mngr.setParam(sp);
        ASSERT_TRUE(canvas.drawStroke(mngr, d.stroke, pts));
        EXPECT_EQ(layerPixels(d.paper()), imagePixels(canvas.layer()));
        EXPECT_NE(imagePixels(canvas.layer()), [] {
            TMTC img(96, 80);
            for (int32_t y = 0; y < 80; ++y)
                for (int32_t x = 0; x < 96; ++x)
                    img.seek32(x, y)->all = startPixel(x, y);
            return imagePixels(img);
        }());
    }
}

TEST(DocumentStroke, LevelFiveOnALayerBeyondThePaperAtAViewPosition)
{
    StrokeDoc d({64, 48});
    ASSERT_TRUE(d.ready);
    const sPos view{16, 8};
    CLayerData &ld = *d.paper().getLayerData(0);
    ASSERT_TRUE(ld.imageTC->Resize(96, 80));
    ld.viewPos = view;
    CStrokeCanvas canvas(96, 80, 0, view);
    fillBoth(d, canvas.layer());
    const std::vector<SStrokeData> pts = sCurve();
    ASSERT_TRUE(d.stroke5(pts));
    CStrokeMngr5 mngr(&d.stroke, &d.render5);
    SStrokeParam sp;
    d.paper().strokeMngr5()->getParam(sp);
    mngr.setParam(sp);
    ASSERT_TRUE(canvas.drawStroke(mngr, d.stroke, pts));
    EXPECT_EQ(layerPixels(d.paper()), imagePixels(canvas.layer()));
}

TEST(DocumentStroke, LevelFourEqualsTheOlderStandIn)
{
    for (const SModeCase &c : kModes) {
        SCOPED_TRACE(c.name);
        StrokeDoc d;
        ASSERT_TRUE(d.ready);
        ASSERT_TRUE(switchPaintLevel(d.paper(), ePaintLevel::PAINT_LEVEL_qZ4));
        d.setRenderMode(c.mode, c.type);
        d.stroke.setOpaque(0.6f);
        CStrokeCanvasOlder canvas(96, 80, 0);
        fillBoth(d, canvas.layer());
        const std::vector<SStrokeData> pts = sCurve();
        ASSERT_TRUE(d.stroke4(pts));
        CStrokeMngr mngr(&d.stroke, &d.render4);
        ASSERT_TRUE(canvas.drawStroke4(mngr, d.stroke, pts));
        EXPECT_EQ(layerPixels(d.paper()), imagePixels(canvas.layer()));
    }
}

// The oldest procedure paints every stroke fully opaque: a stroke of opacity 0.5 in the document
// equals the stand-in's at 1.0 (the stand-in run while no level-1 window is current).
TEST(DocumentStroke, LevelOneEqualsTheOlderStandInAndPaintsOpaque)
{
    for (TDrawMode mode : {TDrawMode::DM_PEN, TDrawMode::DM_WC, TDrawMode::DM_ERASE}) {
        SCOPED_TRACE(int(mode));
        StrokeDoc d;
        ASSERT_TRUE(d.ready);
        setDrawProcLevel1(d.paper());
        d.stroke.SetDrawMode(mode);
        d.stroke.SetPenWidth(4);
        d.stroke.SetPenIfSize(true);
        CStrokeCanvasOlder canvas(96, 80, 0);
        fillBoth(d, canvas.layer());
        const std::vector<SStrokeData> pts = sCurve();
        d.stroke.setOpaque(0.5f);
        ASSERT_TRUE(d.stroke12(pts));
        EXPECT_EQ(d.paper().undoMngrEx(), nullptr);

        setCurrentDrawWindow(nullptr);
        d.stroke.setOpaque(1.0f);
        ASSERT_TRUE(canvas.drawStroke1(d.stroke, pts));
        EXPECT_EQ(layerPixels(d.paper()), imagePixels(canvas.layer()));
    }
}

// After every step the display image and the zoom caches equal a whole recomposition with the
// flow image as the stroke's layer.
TEST(DocumentStroke, EveryStepShowsWhatAWholeRecompositionShows)
{
    StrokeDoc d({96, 80}, 2);
    ASSERT_TRUE(d.ready);
    d.setRenderMode(ePenRenderMode::PRMODE_Std, kRenderTypeOneChannel);
    const std::vector<SStrokeData> pts = sCurve(12);
    TPaper &paper = d.paper();
    UpdateVRAM(paper, false, true);
    ASSERT_TRUE(eventStrokeBegin5(paper, d.flow(), d.stroke, pts[0].x, pts[0].y, pts[0].p, true));
    for (size_t i = 1; i < pts.size(); ++i) {
        eventStrokeAdd5(paper, d.flow(), d.stroke, pts[i].x, pts[i].y, pts[i].p, &d.doc.owner,
                        true);
        const std::vector<uint32_t> shown = imagePixels(paper.vram());
        std::vector<std::vector<uint32_t>> caches;
        for (int32_t c = 0; c < TPaper::kZoomCacheCount; ++c)
            caches.push_back(imagePixels(paper.zoomCache(c)));
        composeStrokeOpaque(paper, d.flow(), {0, 0, 96, 80}, paper.ActiveLayer());
        updateZoomCache(paper);
        ASSERT_EQ(shown, imagePixels(paper.vram())) << "step " << i;
        for (int32_t c = 0; c < TPaper::kZoomCacheCount; ++c)
            ASSERT_EQ(caches[size_t(c)], imagePixels(paper.zoomCache(c))) << "cache " << c;
    }
    EXPECT_TRUE(d.doc.owner.nowStroking());
    EXPECT_EQ(d.doc.owner.cntStroking(), int32_t(pts.size() - 1));
    sBox box;
    ASSERT_TRUE(eventStrokeEnd5(paper, d.flow(), d.stroke, &d.doc.owner, box, true));
    EXPECT_FALSE(d.doc.owner.nowStroking());
}

// A lifted pen is drawn smooth + 1 times; a negative smoothing never starts a stroke.
TEST(DocumentStroke, APressureZeroPointIsDrawnSmoothPlusOneTimes)
{
    StrokeDoc d;
    ASSERT_TRUE(d.ready);
    SStrokeParam sp;
    d.paper().strokeMngr5()->getParam(sp);
    sp.smooth = 2;
    d.paper().strokeMngr5()->setParam(sp);
    ASSERT_TRUE(eventStrokeBegin5(d.paper(), d.flow(), d.stroke, 10, 10, 1, false));
    eventStrokeAdd5(d.paper(), d.flow(), d.stroke, 30, 12, 1, &d.doc.owner, false);
    const size_t before = d.doc.owner.paintedRects.size();
    eventStrokeAdd5(d.paper(), d.flow(), d.stroke, 40, 14, 0, &d.doc.owner, false);
    EXPECT_EQ(d.doc.owner.paintedRects.size() - before, 3u);
    sBox box;
    EXPECT_TRUE(eventStrokeEnd5(d.paper(), d.flow(), d.stroke, &d.doc.owner, box, false));

    sp.smooth = -1;
    d.paper().strokeMngr5()->setParam(sp);
    const std::vector<uint32_t> pixels = layerPixels(d.paper());
    const uint32_t length = d.paper().eventMngr().curLength;
    EXPECT_FALSE(eventStrokeBegin5(d.paper(), d.flow(), d.stroke, 10, 10, 1, true));
    const size_t painted = d.doc.owner.paintedRects.size();
    eventStrokeAdd5(d.paper(), d.flow(), d.stroke, 40, 14, 0, &d.doc.owner, true);
    EXPECT_EQ(d.doc.owner.paintedRects.size(), painted);
    EXPECT_FALSE(eventStrokeEnd5(d.paper(), d.flow(), d.stroke, &d.doc.owner, box, true));
    EXPECT_EQ(layerPixels(d.paper()), pixels);
    EXPECT_EQ(d.paper().eventMngr().curLength, length);
}

TEST(DocumentStroke, StrokeUndoRedoRestoresThePixelsAndRecordsTheStroke)
{
    StrokeDoc d;
    ASSERT_TRUE(d.ready);
    TPaper &paper = d.paper();
    const std::vector<uint32_t> before = layerPixels(paper);
    const uint32_t events = paper.eventMngr().eventCnt;
    ASSERT_TRUE(d.stroke5(sCurve()));
    const std::vector<uint32_t> after = layerPixels(paper);
    ASSERT_NE(after, before);
    EXPECT_EQ(paper.eventMngr().eventCnt, events + 1);
    ASSERT_TRUE(paper.undoMngrEx()->canUndo());

    int32_t idx = -1;
    sRect r;
    udUpdateType ut;
    ASSERT_TRUE(paper.layerMngr().doUndo(*paper.undoMngrEx(), idx, r, ut));
    EXPECT_EQ(idx, 0);
    EXPECT_EQ(layerPixels(paper), before);
    ASSERT_TRUE(paper.layerMngr().doRedo(*paper.undoMngrEx(), idx, r, ut));
    EXPECT_EQ(layerPixels(paper), after);
}

TEST(DocumentStroke, WithoutUndoNothingIsRecordedOrStocked)
{
    StrokeDoc d;
    ASSERT_TRUE(d.ready);
    TPaper &paper = d.paper();
    const uint32_t length = paper.eventMngr().curLength;
    const std::vector<uint32_t> before = layerPixels(paper);
    ASSERT_TRUE(d.stroke5(sCurve(), false));
    EXPECT_NE(layerPixels(paper), before);
    EXPECT_EQ(paper.eventMngr().curLength, length);
    EXPECT_FALSE(paper.undoMngrEx()->canUndo());
}

// A begin that cannot load its layer records and draws nothing until the next begin.
TEST(DocumentStroke, AFailedBeginRecordsAndDrawsNothing)
{
    StrokeDoc d;
    ASSERT_TRUE(d.ready);
    TPaper &paper = d.paper();
    const uint32_t length = paper.eventMngr().curLength;
    const std::vector<uint32_t> before = layerPixels(paper);
    d.stroke.SetDrawLayer(7);
    EXPECT_FALSE(d.stroke5(sCurve()));
    EXPECT_FALSE(d.stroke12(sCurve()));
    EXPECT_EQ(paper.eventMngr().curLength, length);
    EXPECT_EQ(layerPixels(paper), before);
    EXPECT_FALSE(d.doc.owner.nowStroking());
    d.stroke.SetDrawLayer(0);
    EXPECT_TRUE(d.stroke5(sCurve()));
    EXPECT_GT(paper.eventMngr().curLength, length);
}

// When the flow image cannot be copied into the layer, the stroke's packets are withdrawn, no
// undo record stays, the layer keeps its pixels and nowStroking is cleared.
TEST(DocumentStroke, OutOfMemoryAtTheEndWithdrawsTheStroke)
{
    StrokeDoc d;
    ASSERT_TRUE(d.ready);
    TPaper &paper = d.paper();
    const uint32_t length = paper.eventMngr().curLength;
    const uint32_t events = paper.eventMngr().eventCnt;
    const std::vector<uint32_t> before = layerPixels(paper);
    const std::vector<SStrokeData> pts = sCurve();
    ASSERT_TRUE(eventStrokeBegin5(paper, d.flow(), d.stroke, pts[0].x, pts[0].y, pts[0].p, true));
    for (const SStrokeData &sd : std::span(pts).subspan(1))
        eventStrokeAdd5(paper, d.flow(), d.stroke, sd.x, sd.y, sd.p, &d.doc.owner, true);
    EXPECT_GT(paper.eventMngr().curLength, length);
    sBox box;
    {
        ScopedBlockMemoryLimit none(0);
        EXPECT_FALSE(eventStrokeEnd5(paper, d.flow(), d.stroke, &d.doc.owner, box, true));
    }
    EXPECT_EQ(paper.eventMngr().curLength, length);
    EXPECT_EQ(paper.eventMngr().eventCnt, events);
    EXPECT_EQ(layerPixels(paper), before);
    EXPECT_FALSE(paper.undoMngrEx()->canUndo());
    EXPECT_FALSE(d.doc.owner.nowStroking());
    // Recording goes on: the next stroke is recorded whole.
    ASSERT_TRUE(d.stroke5(pts));
    EXPECT_EQ(paper.eventMngr().eventCnt, events + 1);
}

} // namespace
