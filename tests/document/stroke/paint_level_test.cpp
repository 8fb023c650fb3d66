// Paint levels of a document: switching, the version-5 managers' lifecycle, converting a level-1
// document, and the document gradient.
#include "stroke_rig.h"

#include "core/base/numeric.h"
#include "document/events/event_manager.h"
#include "document/paper/layer_manager.h"
#include "paint/gradient/gradation.h"
#include "paint/gradient/gradient_manager.h"

#include <gtest/gtest.h>

namespace {

using namespace stroke_test;

// A plain new document: level 2, no managers.
struct NewDoc
{
    NewDoc() { ok = doc.paper && setupHeadlessPaper(*doc.paper, {32, 24}, 0xFFFFFF, 2); }
    TPaper &paper() { return *doc.paper; }
    undo_test::ScopedUndoMax undoMax{50};
    TStroke stroke{5};
    CPenRender render4{&stroke};
    CPenRender5 render5{&stroke};
    ScopedPaperAppHooks hooks{&stroke, &render4, &render5, nullptr, nullptr};
    HeadlessDocument doc;
    bool ok = false;
};

TEST(PaintLevel, ALevelAboveTheMaximumIsRefused)
{
    NewDoc d;
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.paper().maxPaintLevel, ePaintLevel::PAINT_LEVEL_qZ2);
    EXPECT_FALSE(switchPaintLevel(d.paper(), ePaintLevel::PAINT_LEVEL_qZ5));
    EXPECT_FALSE(switchPaintLevel(d.paper(), ePaintLevel::PAINT_LEVEL_qZ1));
    EXPECT_EQ(d.paper().m_fnDraw, eDrawProc::Draw2);
    EXPECT_EQ(d.paper().actPaintLevel, ePaintLevel::PAINT_LEVEL_qZ2);
    EXPECT_TRUE(switchPaintLevel(d.paper(), ePaintLevel::PAINT_LEVEL_qZ2));
}

TEST(PaintLevel, StartAndCloseTheVersionFiveMode)
{
    NewDoc d;
    ASSERT_TRUE(d.ok);
    SPaperAppHooks h = installPaperAppHooks({});
    SPaperAppHooks withLevel = h;
    withLevel.mainPaintLevel = [] { return ePaintLevel::PAINT_LEVEL_qZ4; };
    installPaperAppHooks(withLevel);

    ASSERT_TRUE(startPaintModeQZ5(d.paper()));
    EXPECT_EQ(d.paper().maxPaintLevel, ePaintLevel::PAINT_LEVEL_qZ5);
    EXPECT_EQ(d.paper().actPaintLevel, ePaintLevel::PAINT_LEVEL_qZ4);
    EXPECT_EQ(d.paper().m_fnDraw, eDrawProc::Draw4);
    EXPECT_EQ(d.paper().strokeMngr, eActiveStrokeMngr::mngr4);
    EXPECT_EQ(d.paper().eventMngr().ownerStrokeMngr, int(eActiveStrokeMngr::mngr4));
    ASSERT_NE(d.paper().strokeMngr5(), nullptr);
    EXPECT_EQ(d.paper().strokeMngr5()->getStroke(), &d.stroke);
    EXPECT_EQ(d.paper().strokeMngr4()->getRender(), &d.render4);
    CStrokeMngr5 *m5 = d.paper().strokeMngr5();
    EXPECT_TRUE(startPaintModeQZ5(d.paper())); // already there: nothing made again
    EXPECT_EQ(d.paper().strokeMngr5(), m5);
    EXPECT_TRUE(switchPaintLevel(d.paper(), ePaintLevel::PAINT_LEVEL_qZ5));
    EXPECT_EQ(d.paper().strokeMngr, eActiveStrokeMngr::mngr5);

    resetStrokeManagers(d.paper());
    EXPECT_EQ(d.paper().strokeMngr5()->getRender(), nullptr);
    EXPECT_EQ(d.paper().strokeMngr4()->getStroke(), nullptr);
    setActiveObject(d.paper());
    EXPECT_EQ(d.paper().strokeMngr5()->getRender(), &d.render5);
    EXPECT_EQ(d.paper().strokeMngr4()->getStroke(), &d.stroke);

    closePaintModeQZ5(d.paper());
    EXPECT_EQ(d.paper().strokeMngr4(), nullptr);
    EXPECT_EQ(d.paper().strokeMngr5(), nullptr);
    EXPECT_EQ(d.paper().strokeMngr, eActiveStrokeMngr::none);
    EXPECT_EQ(d.paper().maxPaintLevel, ePaintLevel::PAINT_LEVEL_qZ2);
    EXPECT_EQ(d.paper().actPaintLevel, ePaintLevel::PAINT_LEVEL_qZ2);
    EXPECT_EQ(d.paper().m_fnDraw, eDrawProc::Draw2);
    installPaperAppHooks(h);
}

TEST(PaintLevel, ConvertingALevelOneDocument)
{
    NewDoc d;
    ASSERT_TRUE(d.ok);
    setDrawProcLevel1(d.paper());
    EXPECT_EQ(d.paper().undoMngrEx(), nullptr);
    EXPECT_FALSE(d.paper().isDrawProcNew());
    d.paper().getLayerData(1)->fillAlpha(40);

    ASSERT_TRUE(changePaintModeQZ1toQZ2(d.paper()));
    EXPECT_NE(d.paper().undoMngrEx(), nullptr);
    EXPECT_FALSE(d.paper().layerMngr().hasUndoMngr());
    for (int32_t i = 0; i < 2; ++i) {
        const CBlockVMTC &img = *d.paper().getLayerData(i)->imageTC;
        for (int32_t y = 0; y < img.height(); ++y)
            for (int32_t x = 0; x < img.width(); ++x)
                ASSERT_EQ(img.getColor(x, y) >> 24, 255u) << i;
    }
    EXPECT_EQ(d.doc.owner.clearFlowAlphaCount, 1);
    EXPECT_EQ(d.doc.flow().image().getColor(3, 3) >> 24, 255u);
    // Both levels at 2, then the version-5 mode at the main window's level.
    EXPECT_EQ(d.paper().maxPaintLevel, ePaintLevel::PAINT_LEVEL_qZ5);
    EXPECT_EQ(d.paper().actPaintLevel, ePaintLevel::PAINT_LEVEL_qZ5);
    EXPECT_EQ(d.paper().m_fnDraw, eDrawProc::Draw5);
}

TEST(PaintLevel, TheDocumentGradientIsTheEvaluators)
{
    NewDoc d;
    ASSERT_TRUE(d.ok);
    CGradMngr grads;
    grads.appendGrad(sRGBA{{200, 10, 0, kCrsKindOwn}}, sRGBA{{0, 90, 250, kCrsKindOwn}});
    grads.setCurGrad(0);
    SPaperAppHooks h = installPaperAppHooks({});
    SPaperAppHooks with = h;
    with.mainGradMngr = [&] { return &grads; };
    installPaperAppHooks(with);

    struct Case
    {
        int32_t gt, gm, gr, rep;
    };
    for (const Case &c : {Case{0, 0, 0, 1}, Case{1, 1, 1, 3}, Case{2, 0, 0, 2}}) {
        ASSERT_TRUE(setGradType(d.paper(), c.gt, c.gm, c.gr, c.rep));
        setGradation(d.paper(), sFPos{3.5f, 4.25f}, sFPos{40.75f, 20});
        CGradation ref(grads.getModGrad()->crsg.get());
        ref.setGradType(c.gt, c.gm, c.gr, c.rep);
        ref.setPos(sFXPos{floatToFix(3.5f), floatToFix(4.25f)},
                   sFXPos{floatToFix(40.75f), floatToFix(20)});
        sFXPos p0, p1;
        getGradationFX(d.paper(), p0, p1);
        EXPECT_EQ(p0, (sFXPos{floatToFix(3.5f), floatToFix(4.25f)}));
        SGradAttr attr;
        getGradType(d.paper(), attr);
        EXPECT_EQ(attr.gradType, c.gt);
        for (int32_t y = 0; y < 24; y += 5)
            for (int32_t x = 0; x < 48; x += 3)
                ASSERT_EQ(calcGradColor(d.paper(), sPos{x, y}).all, ref.getColor(sPos{x, y}).all);
    }
    // Integer points go into 16.16.
    setGradation(d.paper(), sPos{2, 3}, sPos{10, -4});
    sFXPos p0, p1;
    getGradationFX(d.paper(), p0, p1);
    EXPECT_EQ(p0, (sFXPos{2 << 16, 3 << 16}));
    EXPECT_EQ(p1, (sFXPos{10 << 16, -(4 << 16)}));
    // The default type: linear, normal map, by count, 1.
    ASSERT_TRUE(dispatchDefaultGradType(d.paper()));
    SGradAttr attr;
    getGradType(d.paper(), attr);
    EXPECT_EQ(attr.gradType, gtLinear);
    EXPECT_EQ(attr.gradRepCnt, 1);
    installPaperAppHooks(h);
}

} // namespace

namespace {

// Continuing to record after a replay leaves the managers without the replay's stroke and
// renderers, which the recorder frees.
TEST(PaintLevel, ContinuingTheRecordingDropsTheManagersObjects)
{
    NewDoc d;
    ASSERT_TRUE(d.ok);
    ASSERT_TRUE(startPaintModeQZ5(d.paper()));
    ASSERT_EQ(d.paper().strokeMngr5()->getRender(), &d.render5);
    d.paper().eventMngr().stopRecording();
    ASSERT_TRUE(d.paper().eventMngr().startRecordingContinue(true));
    EXPECT_EQ(d.paper().strokeMngr5()->getRender(), nullptr);
    EXPECT_EQ(d.paper().strokeMngr5()->getStroke(), nullptr);
    EXPECT_EQ(d.paper().strokeMngr4()->getRender(), nullptr);
    EXPECT_EQ(d.paper().eventMngr().ownerStrokeMngr, int(eActiveStrokeMngr::mngr5));
}

} // namespace
