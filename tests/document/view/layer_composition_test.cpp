#include "document/view/composition.h"

#include "core/pixel/pixel.h"
#include "document/paper/layer_blend_table.h"
#include "document/view/zoom_cache.h"
#include "paint/render/legacy_dabs.h"
#include "support/fixed_clock.h"
#include "view_test_support.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

namespace {

using enum TLayerMode;

constexpr uint32_t kComposeVersion = 0x30003;

uint32_t layerPixel(const CLayerData &ld, int32_t x, int32_t y)
{
    return ld.imageTC->getColor2(x + ld.viewPos.x, y + ld.viewPos.y);
}

bool drawn(const CLayerData &ld)
{
    return ld.visible && ld.trans > 0;
}

// The composition written straight from its definition, pixel by pixel: the group table, the
// clipping group composed first, the layer's put over the canvas colour, or the mixing rule
// (special pairs, else mixPixelEx with mtfNopSrcTP) over transparency. before is the display
// image before the composition (its alpha stays under the canvas colour).
void referenceComposition(const TPaper &p, const TMTC &before, TMTC &out)
{
    out.Resize(before.width(), before.height());
    const CLayerMngr &lm = p.layerMngr();
    for (int32_t y = 0; y < out.height(); ++y)
        for (int32_t x = 0; x < out.width(); ++x) {
            sBGRA px{.all = before.getColor(x, y)};
            px.all = p.bVisCanvasCol ? (px.all & 0xFF000000) | p.m_canvascolor : 0x00FFFFFF;
            std::array<uint8_t, 255> tbl{};
            for (int32_t i = 0; i <= p.MaxLayer();) {
                const CLayerData &L = *p.getLayerData(i);
                const int32_t n = lm.countClipMember(i);
                tbl[size_t(L.groupLevel)] = L.trans;
                uint32_t e = 0;
                if (L.visible) {
                    e = L.trans;
                    for (int32_t lv = L.groupLevel - 1; lv >= 0; --lv)
                        e = mul255(e, tbl[size_t(lv)]);
                }
                if (e != 0) {
                    uint32_t s = layerPixel(L, x, y);
                    bool anyMember = false;
                    for (int32_t k = 1; k <= n; ++k)
                        anyMember = anyMember || drawn(*p.getLayerData(i + k));
                    if (n > 0 && drawn(L) && anyMember) {
                        sBGRA c{.all = s};
                        for (int32_t k = 1; k <= n; ++k) {
                            const CLayerData &M = *p.getLayerData(i + k);
                            if (drawn(M))
                                getLayerParam(M.mode)->fnPutA(&c, layerPixel(M, x, y), M.trans);
                        }
                        s = c.all;
                    }
                    if (p.bVisCanvasCol) {
                        getLayerParam(L.mode)->fnPutA(&px, s, e);
                    } else if (auto fn = findSpecialMergeProc(LM_STD, L.mode, kComposeVersion)) {
                        fn(&px, s, e);
                    } else {
                        sTCMixParam mix;
                        makeLayerMixParam(LM_STD, L.mode, true, mix);
                        EXPECT_TRUE(mix.flags & mtfNopSrcTP);
                        mixPixelEx(&px, s, e, mix);
                    }
                }
                i += n + 1;
            }
            out.seek32(x, y)->all = px.all;
        }
}

// A random document of 22 layers, one of each mode in shuffled order, with varied opacities,
// hidden layers, groups whose heads have opacity 0, 128 or 255 (visible or not), clipping groups
// (the bottom layer clipped now and then), and layers larger than the paper at view positions.
void buildRandomDocument(ViewDocument &doc, std::mt19937 &rng)
{
    TPaper &p = doc.p();
    std::vector<int32_t> modes(static_cast<size_t>(LM_MAX_NUM));
    std::iota(modes.begin(), modes.end(), 0);
    std::shuffle(modes.begin(), modes.end(), rng);
    std::uniform_int_distribution<int32_t> pct(0, 99);
    std::uniform_int_distribution<int32_t> byte(0, 255);
    int32_t level = 0;
    for (int32_t i = 0; i <= p.MaxLayer(); ++i) {
        CLayerData &ld = doc.layer(i);
        ld.mode = TLayerMode(modes[size_t(i)]);
        const int32_t r = pct(rng);
        ld.trans = uint8_t(r < 40 ? 255 : r < 50 ? 0 : byte(rng));
        ld.visible = pct(rng) >= 15;
        ld.underLyrClip = pct(rng) < 25;
        if (pct(rng) < 35) {
            // A layer larger than the paper, seen from a view position inside it.
            const sSize big{p.m_paperSize.x + 37, p.m_paperSize.y + 21};
            auto img = std::make_unique<CBlockVMTC>(big.x, big.y);
            ld.replaceImage(std::move(img));
            ld.viewPos = {std::uniform_int_distribution<int32_t>(0, 37)(rng),
                          std::uniform_int_distribution<int32_t>(0, 21)(rng)};
        }
        paintRandom(*ld.imageTC, rng);
        // Group levels walk up by one (a new group under the layer before, its head) or down.
        const int32_t step = pct(rng);
        if (step < 30 && level < 3 && i > 0) {
            CLayerData &head = doc.layer(i - 1);
            static constexpr uint8_t kHeadTrans[] = {0, 128, 255};
            head.trans = kHeadTrans[std::uniform_int_distribution<int32_t>(0, 2)(rng)];
            ++level;
        } else if (step < 50 && level > 0) {
            level = std::uniform_int_distribution<int32_t>(0, level - 1)(rng);
        }
        ld.setGroupLevel(level);
    }
}

class LayerComposition : public testing::TestWithParam<uint32_t>
{
};

TEST_P(LayerComposition, RandomDocumentsEqualThePerPixelReference)
{
    const uint32_t seed = GetParam();
    SCOPED_TRACE(testing::Message() << "seed " << seed << " (KAVRIN_SEED repeats it)");
    std::mt19937 rng(seed);
    ViewDocument doc(70, 45, 22, 0xF0E8D0);
    ASSERT_TRUE(doc.ok);
    buildRandomDocument(doc, rng);
    for (const bool shown : {true, false}) {
        SCOPED_TRACE(shown ? "canvas colour shown" : "canvas colour hidden");
        doc.p().bVisCanvasCol = shown;
        const TMTC before(doc.p().vram());
        UpdateVRAM(doc.p(), false, false);
        TMTC expected;
        referenceComposition(doc.p(), before, expected);
        EXPECT_EQ(firstDifference(doc.p().vram(), expected), QString());
    }
}

TEST_P(LayerComposition, BoxesEqualTheSameBoxesOfAWholeComposition)
{
    const uint32_t seed = GetParam();
    SCOPED_TRACE(testing::Message() << "seed " << seed << " (KAVRIN_SEED repeats it)");
    std::mt19937 rng(seed);
    ViewDocument doc(70, 45, 22);
    ASSERT_TRUE(doc.ok);
    buildRandomDocument(doc, rng);
    for (const bool shown : {true, false}) {
        doc.p().bVisCanvasCol = shown;
        UpdateVRAM(doc.p(), false, false);
        const TMTC whole(doc.p().vram());
        // Garbage in the colour bytes (the opaque composition keeps the display image's alpha).
        sBox all{0, 0, 70, 45};
        doc.p().vram().effectXor(all, 0x00A5C3E1);
        std::uniform_int_distribution<int32_t> px(-10, 75), py(-10, 50), side(1, 40);
        for (int32_t k = 0; k < 12; ++k) {
            const sBox box{px(rng), py(rng), side(rng), side(rng)};
            UpdateVRAMPart(doc.p(), box, false, false);
            sBox b = box;
            if (!boxClipToSize(b, {70, 45}))
                continue;
            EXPECT_EQ(firstDifference(doc.p().vram(), b, whole, b.pos()), QString())
                << "box " << box.x << "," << box.y << " " << box.w << "x" << box.h;
        }
    }
}

TEST_P(LayerComposition, StrokeStepsEqualADocumentWhoseLayerHoldsTheFlowImage)
{
    const uint32_t seed = GetParam();
    SCOPED_TRACE(testing::Message() << "seed " << seed << " (KAVRIN_SEED repeats it)");
    std::mt19937 rng(seed);
    ViewDocument doc(70, 45, 22);
    ASSERT_TRUE(doc.ok);
    buildRandomDocument(doc, rng);
    TPaper &p = doc.p();
    for (int32_t act = 0; act <= p.MaxLayer(); act += 3) {
        SCOPED_TRACE(testing::Message() << "active layer " << act);
        ASSERT_TRUE(p.setFlow(doc.flow(), act, true));
        // The stroke paints into the flow image only.
        TMTC &flowImg = doc.flow().image();
        const CLayerData &ld = doc.layer(act);
        for (int32_t k = 0; k < 200; ++k) {
            const int32_t x = std::uniform_int_distribution<int32_t>(0, ld.imageTC->width() - 1)(rng);
            const int32_t y =
                std::uniform_int_distribution<int32_t>(0, ld.imageTC->height() - 1)(rng);
            flowImg.seek32(x, y)->all = std::uniform_int_distribution<uint32_t>()(rng);
        }
        const sBox box{5, 3, 50, 37};
        for (const bool shown : {true, false}) {
            p.bVisCanvasCol = shown;
            if (shown)
                composeStrokeOpaque(p, doc.flow(), box, act);
            else
                composeStrokeTransparent(p, doc.flow(), box, act);
            const TMTC stroke(p.vram());
            // The same document with the flow image put into the layer.
            auto saved = std::make_unique<CBlockVMTC>(*ld.imageTC);
            doc.layer(act).imageTC->bltFrom(flowImg, {0, 0}, ld.imageBox(), 255);
            doc.layer(act).imageTC->setupTraceRect();
            UpdateVRAMPart(p, box, false, false);
            EXPECT_EQ(firstDifference(p.vram(), box, stroke, box.pos()), QString())
                << (shown ? "opaque" : "transparent");
            doc.layer(act).replaceImage(std::move(saved));
        }
    }
}

// The last seed comes from KAVRIN_SEED when it is set, so that a failing run can be repeated
// with the seed its message printed.
uint32_t chosenSeed()
{
    const QByteArray env = qgetenv("KAVRIN_SEED");
    bool ok = false;
    const uint32_t seed = env.toUInt(&ok);
    return ok ? seed : 20261210u;
}

INSTANTIATE_TEST_SUITE_P(Seeds, LayerComposition,
                         testing::Values(1u, 2u, 3u, 17u, 4242u, 90001u, chosenSeed()),
                         [](const testing::TestParamInfo<uint32_t> &i) {
                             return "Seed" + std::to_string(i.index);
                         });

// ---- groups, clipping and the edge cases

struct GroupCase
{
    const char *name;
    uint8_t headTrans;
    bool headVisible;
    uint8_t memberTrans;
    uint8_t expected; // the member's effective opacity
};

void PrintTo(const GroupCase &c, std::ostream *os)
{
    *os << c.name;
}

class LayerGroupTable : public testing::TestWithParam<GroupCase>
{
};

TEST_P(LayerGroupTable, GroupHeadsMultiplyTheirOpacityIn)
{
    const GroupCase &c = GetParam();
    ViewDocument doc(8, 8, 3);
    ASSERT_TRUE(doc.ok);
    doc.layer(0).trans = c.headTrans;
    doc.layer(0).visible = c.headVisible;
    for (int32_t i : {1, 2}) {
        doc.layer(i).setGroupLevel(1);
        doc.layer(i).trans = c.memberTrans;
    }
    tblLyrGrpAttr tbl{};
    EXPECT_EQ(updtGrpLyrTbl(doc.p(), 0, tbl), c.headVisible ? c.headTrans : 0);
    // An invisible head is entered all the same.
    EXPECT_EQ(tbl[0].trans, c.headTrans);
    EXPECT_EQ(updtGrpLyrTbl(doc.p(), 1, tbl), c.expected);
    EXPECT_EQ(updtGrpLyrTbl(doc.p(), 2, tbl), c.expected);
    EXPECT_EQ(tbl[1].index, 2);
    EXPECT_EQ(tbl[1].group, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Heads, LayerGroupTable,
    testing::Values(GroupCase{"HeadOfOpacity0HidesItsMembers", 0, true, 255, 0},
                    GroupCase{"InvisibleHeadOf255KeepsTheMembersOwnOpacity", 255, false, 200, 200},
                    GroupCase{"HeadOf128Halves", 128, true, 200, uint8_t(mul255(200, 128))},
                    GroupCase{"InvisibleHeadOf128StillMultiplies", 128, false, 255, 128}),
    [](const testing::TestParamInfo<GroupCase> &i) { return std::string(i.param.name); });

// A two-layer document: a grey bottom layer and a red square on layer 1.
void paintTwoLayers(ViewDocument &doc)
{
    doc.layer(0).imageTC->PixelFill(0xFF808080);
    for (int32_t y = 2; y < 6; ++y)
        for (int32_t x = 2; x < 6; ++x)
            doc.layer(1).imageTC->setPixel(x, y, 0xFFFF0000);
    doc.layer(1).imageTC->setupTraceRect();
}

TEST(LayerCompositionEdges, AHeadOfOpacity0HidesItsMembersInBothCompositions)
{
    ViewDocument doc(8, 8, 3);
    ASSERT_TRUE(doc.ok);
    paintTwoLayers(doc);
    // Layer 1 (the head) draws nothing itself; layer 2 in its group holds a blue square.
    doc.layer(1).imageTC->PixelFill(0x00FFFFFF);
    doc.layer(1).trans = 0;
    doc.layer(2).setGroupLevel(1);
    doc.layer(2).imageTC->setPixel(4, 4, 0xFF0000FF);
    for (const bool shown : {true, false}) {
        doc.p().bVisCanvasCol = shown;
        UpdateVRAM(doc.p(), false, false);
        EXPECT_EQ(doc.p().vram().getColor(4, 4) & 0xFFFFFF, 0x808080u);
    }
}

TEST(LayerCompositionEdges, AClippingBaseWithOnlyHiddenMembersIsAnOrdinaryLayer)
{
    ViewDocument doc(8, 8, 3);
    ASSERT_TRUE(doc.ok);
    paintTwoLayers(doc);
    doc.layer(2).underLyrClip = true;
    doc.layer(2).visible = false;
    doc.layer(2).imageTC->PixelFill(0xFF00FF00);
    EXPECT_FALSE(updateClippingImage(doc.p(), 1, {0, 0, 8, 8}));
    UpdateVRAM(doc.p(), false, false);
    EXPECT_EQ(doc.p().vram().getColor(3, 3) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(doc.p().vram().getColor(0, 0) & 0xFFFFFF, 0x808080u);
    // Made visible, the member shows only where the base has alpha.
    doc.layer(2).visible = true;
    EXPECT_TRUE(updateClippingImage(doc.p(), 1, {0, 0, 8, 8}));
    UpdateVRAM(doc.p(), false, false);
    EXPECT_EQ(doc.p().vram().getColor(3, 3) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(doc.p().vram().getColor(0, 0) & 0xFFFFFF, 0x808080u);
}

TEST(LayerCompositionEdges, AClippedBottomLayerIsDrawnAsABase)
{
    ViewDocument doc(8, 8, 2);
    ASSERT_TRUE(doc.ok);
    paintTwoLayers(doc);
    doc.layer(0).underLyrClip = true;
    UpdateVRAM(doc.p(), false, false);
    EXPECT_EQ(doc.p().vram().getColor(0, 0) & 0xFFFFFF, 0x808080u);
    EXPECT_EQ(doc.p().vram().getColor(3, 3) & 0xFFFFFF, 0xFF0000u);
}

TEST(LayerCompositionEdges, AnEmptyDocumentWithTheCanvasHiddenIsTransparentWhite)
{
    ViewDocument doc(40, 33, 1);
    ASSERT_TRUE(doc.ok);
    doc.p().bVisCanvasCol = false;
    doc.p().vram().PixelFill(0x12345678);
    UpdateVRAM(doc.p(), false, false);
    TMTC expected(40, 33);
    expected.PixelFill(0x00FFFFFF);
    EXPECT_EQ(firstDifference(doc.p().vram(), expected), QString());
}

TEST(LayerCompositionEdges, BoxesBeyondTheDisplayImageAreClipped)
{
    ViewDocument doc(20, 10, 1);
    ASSERT_TRUE(doc.ok);
    UpdateVRAMPart(doc.p(), {-50, -50, 400, 400}, true, true);
    UpdateVRAMPart(doc.p(), {25, 0, 10, 10}, true, true);
    UpdateVRAMPart(doc.p(), {5, 5, -3, 4}, true, true);
    EXPECT_EQ(doc.p().vram().getColor(19, 9) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(LayerCompositionEdges, TheCanvasColourOverTheDisplayImageKeepsItsAlpha)
{
    ViewDocument doc(4, 4, 1, 0x102030);
    ASSERT_TRUE(doc.ok);
    doc.p().vram().PixelFill(0x7F000000);
    fillCanvasColor(doc.p(), doc.p().vram(), {0, 0, 2, 2});
    EXPECT_EQ(doc.p().vram().getColor(1, 1), 0x7F102030u);
    EXPECT_EQ(doc.p().vram().getColor(2, 2), 0x7F000000u);
    doc.p().bVisCanvasCol = false;
    fillCanvasColor(doc.p(), doc.p().vram(), {0, 0, 2, 2});
    EXPECT_EQ(doc.p().vram().getColor(1, 1), 0x00FFFFFFu);
}

// ---- the level-1 blits and the dither

TEST(LayerCompositionOldLevel, Level1DocumentsGoThroughTheOlderBlits)
{
    std::mt19937 rng(5);
    ViewDocument doc(45, 40, 4);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    p.m_fnDraw = eDrawProc::Draw1;
    const TLayerMode modes[] = {LM_STD, LM_MUL, LM_ADD, LM_SUB};
    for (int32_t i = 0; i < 4; ++i) {
        doc.layer(i).mode = modes[i];
        doc.layer(i).trans = uint8_t(100 + 50 * i);
        paintRandom(*doc.layer(i).imageTC, rng);
        p.setOldMaskMode(i, modes[i]);
    }
    doc.layer(0).imageTC->fillImageAll(0x00C0C0C0);
    UpdateVRAM(p, false, false);
    // The older pair of each mode over flattened copies of the layers.
    TMTC expected(p.vram());
    sBox all{0, 0, 45, 40};
    expected.maskImage(all, 0x00FFFFFF, p.m_canvascolor);
    for (int32_t i = 0; i < 4; ++i) {
        TMTC flat(45, 40);
        doc.layer(i).imageTC->bltTo(flat, {0, 0}, all, 255, false);
        getOldBltProcs(modes[i]).blt(expected, flat, 0, 0, 45, 40, 0, 0, doc.layer(i).trans);
    }
    EXPECT_EQ(firstDifference(p.vram(), expected), QString());
}

TEST(LayerCompositionOldLevel, OldBlendPartDrawsOnlyTheFourOldModes)
{
    TMTC src(4, 4), dst(4, 4);
    src.PixelFill(0xFF204060);
    for (const TLayerMode m : {LM_SCR, LM_OVLY}) {
        dst.PixelFill(0xFF808080);
        EXPECT_FALSE(oldBlendPart(dst, src, {0, 0}, 255, m, {0, 0, 4, 4}));
        EXPECT_EQ(dst.getColor(1, 1), 0xFF808080u);
    }
    dst.PixelFill(0xFF808080);
    EXPECT_TRUE(oldBlendPart(dst, src, {0, 0}, 255, LM_STD, {0, 0, 4, 4}));
    EXPECT_EQ(dst.getColor(1, 1) & 0xFFFFFF, 0x204060u);
}

TEST(LayerCompositionDither, BoxesInsideOneBlockFollowTheStoredAndTheClockSeededGenerators)
{
    ScopedFixedClock clock(123456);
    ViewDocument doc(64, 64, 3);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    doc.layer(0).imageTC->PixelFill(0xFF000000);
    // Layer 1 dithers with its stored generator; layer 2 is clipped onto a base that dithers
    // nothing, so its own dither is seeded from the clock.
    CLayerData &d1 = doc.layer(1);
    d1.imageTC->PixelFill(0xFFFFFFFF);
    d1.imageTC->setPixel(40, 40, 0xFFFFFFFF); // one committed block
    d1.ditherEnable = true;
    d1.dither = 128;
    d1.setDitherState(777);
    const SRand stored = d1.dizRand;
    const sBox box{34, 35, 20, 9}; // inside block (1, 1)
    UpdateVRAMPart(p, box, false, false);
    const TMTC first(p.vram());
    // The reference: the put armed with a copy of the stored generator, row by row.
    TMTC expected(p.vram());
    {
        sBox b = box;
        expected.maskImage(b, 0x00FFFFFF, p.m_canvascolor);
        for (int32_t y = box.y; y < box.y + box.h; ++y)
            for (int32_t x = box.x; x < box.x + box.w; ++x)
                pixelPutSrcAlpha(expected.seek32(x, y), 0xFF000000, 255);
        setRandomPut(getLayerParam(LM_STD)->fnPutA, stored, 128);
        for (int32_t y = box.y; y < box.y + box.h; ++y)
            for (int32_t x = box.x; x < box.x + box.w; ++x)
                pixelPutRandom(expected.seek32(x, y), 0xFFFFFFFF, 255);
    }
    EXPECT_EQ(firstDifference(p.vram(), box, expected, box.pos()), QString());
    // The layer's generator is not advanced: the same box draws the same pattern again.
    EXPECT_EQ(d1.dizRand.cnt, stored.cnt);
    UpdateVRAMPart(p, box, false, false);
    EXPECT_EQ(firstDifference(p.vram(), first), QString());

    // A dithering clipped member: its pattern follows the clock.
    d1.ditherEnable = false;
    d1.imageTC->PixelFill(0xFF0000FF);
    CLayerData &m = doc.layer(2);
    m.underLyrClip = true;
    m.imageTC->PixelFill(0xFFFF0000);
    m.imageTC->setPixel(40, 40, 0xFFFF0000);
    m.ditherEnable = true;
    m.dither = 100;
    UpdateVRAMPart(p, box, false, false);
    const TMTC atClock(p.vram());
    TMTC clipRef(64, 64);
    {
        clipRef.PixelFill(0xFF0000FF);
        SRand r;
        randInit(r, 123456, 0, 255);
        setRandomPut(getLayerParam(LM_STD)->fnPutA, r, 100);
        for (int32_t y = box.y; y < box.y + box.h; ++y)
            for (int32_t x = box.x; x < box.x + box.w; ++x)
                pixelPutRandom(clipRef.seek32(x, y), 0xFFFF0000, 255);
    }
    for (int32_t y = box.y; y < box.y + box.h; ++y)
        for (int32_t x = box.x; x < box.x + box.w; ++x)
            ASSERT_EQ(atClock.getColor(x, y) & 0xFFFFFF, clipRef.getColor(x, y) & 0xFFFFFF)
                << x << "," << y;
    UpdateVRAMPart(p, box, false, false);
    EXPECT_EQ(firstDifference(p.vram(), atClock), QString());
    clock.set(98765);
    UpdateVRAMPart(p, box, false, false);
    EXPECT_NE(firstDifference(p.vram(), atClock), QString());
}

// ---- recompose, repaint and refresh

TEST(LayerCompositionDispatch, DispatchViewFastRecomposesOnlyTracedRectangles)
{
    ViewDocument doc(128, 96, 2);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    p.layerMngr().setCurIndex(0);
    CLayerData &ld = doc.layer(1);
    ld.viewPos = {0, 0};
    ld.imageTC->setPixel(70, 40, 0xFF00FF00); // block (2, 1): paper 64..95 x 32..63
    UpdateVRAM(p, false, false);
    p.vram().PixelFill(0xFF123456);
    int32_t rows = 0;
    SPaperAppHooks hooks;
    hooks.refreshLayerRow = [&rows](TPaper &, int32_t idx) { rows += idx == 1; };
    const SPaperAppHooks old = installPaperAppHooks(hooks);
    dispatchViewFast(p, 1, nullptr, false);
    installPaperAppHooks(old);
    EXPECT_EQ(p.vram().getColor(70, 40) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(p.vram().getColor(64, 32) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(p.vram().getColor(63, 40), 0xFF123456u);
    EXPECT_EQ(p.vram().getColor(70, 64), 0xFF123456u);
    EXPECT_EQ(rows, 1) << "the row of a layer that is not the active one";
    // With a rectangle, only its part of the trace.
    p.vram().PixelFill(0xFF123456);
    const sRect r{60, 30, 70, 41};
    dispatchViewFast(p, 1, &r, true);
    EXPECT_EQ(p.vram().getColor(69, 40) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(p.vram().getColor(70, 40), 0xFF123456u);
    EXPECT_EQ(p.vram().getColor(64, 29), 0xFF123456u);
    EXPECT_GE(doc.owner.paintedRects.size(), 1u);
}

TEST(LayerCompositionDispatch, HidingTheCanvasColourRecomposesTheView)
{
    ViewDocument doc(16, 16, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    UpdateVRAM(p, false, false);
    EXPECT_EQ(p.vram().getColor(3, 3) & 0xFFFFFF, 0xFFFFFFu);
    ASSERT_TRUE(p.switchVisCanvasColor(false));
    EXPECT_EQ(p.vram().getColor(3, 3), 0x00FFFFFFu);
    EXPECT_EQ(p.zoomCache(1).getColor(1, 1) >> 24, 0u);
}

} // namespace
