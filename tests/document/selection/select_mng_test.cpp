// The level-1 selection store: preview sizes, a polygon drawn and disabled again, resizing, and
// its life with the document.
#include "document/files/new_document.h"
#include "document/paper/headless.h"
#include "document/selection/select_mng.h"
#include "document/stroke/paper_stroke.h"
#include "support/live_replay.h"

#include <gtest/gtest.h>

namespace {

bool allBytes(const TChannel &ch, uint8_t v)
{
    for (int32_t y = 0; y < ch.height(); ++y)
        for (int32_t x = 0; x < ch.width(); ++x)
            if (ch.getColor(x, y) != v)
                return false;
    return true;
}

bool allPixels(const TTC &tc, uint32_t v)
{
    for (int32_t y = 0; y < tc.height(); ++y)
        for (int32_t x = 0; x < tc.width(); ++x)
            if (tc.getColor(x, y) != v)
                return false;
    return true;
}

} // namespace

TEST(SelectMng, PreviewSizeKeepsTheSinglePrecisionFactor)
{
    struct Row
    {
        int32_t w, h, pw, ph;
    };
    // 48 / 100 as a float lies just below 0.48: 50 x f truncates to 23.
    const Row rows[] = {{100, 50, 48, 24}, {50, 100, 24, 48}, {1000, 500, 48, 25}, {48, 48, 49, 48}};
    for (const Row &r : rows) {
        SCOPED_TRACE(testing::Message() << r.w << "x" << r.h);
        const sSize s = TSelectMng::previewSize(r.w, r.h);
        EXPECT_EQ(s.x, r.pw);
        EXPECT_EQ(s.y, r.ph);
        TSelectMng mng(r.w, r.h);
        const TSelect sel = mng.Select();
        ASSERT_NE(sel.preview, nullptr);
        EXPECT_EQ(sel.preview->width(), r.pw);
        EXPECT_EQ(sel.preview->height(), r.ph);
        EXPECT_TRUE(sel.disabled);
    }
}

TEST(SelectMng, APolygonSelectsUntilTheSlotIsDisabledAgain)
{
    TSelectMng mng(40, 30);
    const sPos poly[] = {{5, 5}, {30, 5}, {30, 20}, {5, 20}};
    ASSERT_TRUE(mng.EventSelectPoly(0, poly, TBoolMode::BM_EQL));
    TSelect sel = mng.Select();
    EXPECT_FALSE(sel.disabled);
    EXPECT_FALSE(mng.SelectDisabled(0));
    EXPECT_EQ(sel.image->getColor(15, 12), 255);
    EXPECT_EQ(sel.image->getColor(2, 2), 0);
    EXPECT_TRUE(allPixels(*sel.preview, 0xFF000000));
    // The outline is never captured.
    EXPECT_EQ(sel.ants->count(), 0);

    ASSERT_TRUE(mng.EventSelectDisabled(0));
    sel = mng.Select();
    EXPECT_TRUE(sel.disabled);
    EXPECT_TRUE(allBytes(*sel.image, 0));
    EXPECT_TRUE(allPixels(*sel.preview, 0xFFFFFFFF));
}

TEST(SelectMng, RefusesWhatItCannotDraw)
{
    TSelectMng mng(20, 20);
    const sPos line[] = {{1, 1}, {10, 10}};
    const sPos tri[] = {{1, 1}, {10, 1}, {5, 8}};
    EXPECT_FALSE(mng.EventSelectPoly(0, line, TBoolMode::BM_EQL));
    EXPECT_FALSE(mng.EventSelectPoly(1, tri, TBoolMode::BM_EQL)); // no channel in slot 1
    EXPECT_FALSE(mng.EventSelectPoly(32, tri, TBoolMode::BM_EQL));
    EXPECT_FALSE(mng.EventSelectDisabled(-1));
    EXPECT_TRUE(mng.SelectDisabled(0));
}

TEST(SelectMng, ResizeGivesTheActiveSlotANewEmptyChannel)
{
    TSelectMng mng(20, 10);
    const sPos tri[] = {{1, 1}, {18, 1}, {9, 8}};
    ASSERT_TRUE(mng.EventSelectPoly(0, tri, TBoolMode::BM_EQL));
    ASSERT_TRUE(mng.Resize(100, 50));
    const TSelect sel = mng.Select();
    EXPECT_TRUE(sel.disabled);
    EXPECT_EQ(sel.image->width(), 100);
    EXPECT_EQ(sel.image->height(), 50);
    EXPECT_TRUE(allBytes(*sel.image, 0));
    EXPECT_EQ(sel.preview->width(), 48);
    EXPECT_EQ(sel.preview->height(), 24);
    EXPECT_FALSE(mng.Resize(0, 5));
    EXPECT_EQ(mng.width(), 100);
}

TEST(SelectMng, TheLevel1StartMakesTheStoreAndTheCanvasSizeFollows)
{
    CHeadlessPaperApp app;
    HeadlessDocument doc;
    ASSERT_TRUE(doc.paper);
    TPaper &p = *doc.paper;
    ASSERT_TRUE(LayerCreate(p, QStringLiteral("x"), nullptr, 60, 40));
    ASSERT_NE(p.m_select, nullptr);
    EXPECT_EQ(p.m_select->width(), 60);
    changePaperSize(p, nullptr, 30, 70);
    EXPECT_EQ(p.m_select->width(), 30);
    EXPECT_EQ(p.m_select->height(), 70);
    EXPECT_TRUE(p.m_select->SelectDisabled(0));
    // The newer paint levels have no use for it.
    ASSERT_TRUE(changePaintModeQZ1toQZ2(p));
    EXPECT_EQ(p.m_select, nullptr);
}
