// Anti-aliased figure edges against what lies around and below them. A figure fill puts its colour
// at each pixel's coverage by source-over: onto a transparent pixel the colour is taken whole and
// only the alpha carries the coverage, whatever colour bytes the transparent pixel held; onto an
// opaque pixel the two colours mix. So an edge is never darker than both colours it separates,
// unless something dark lies below it: the selection session's dark pixels are the opaque black of
// its bottom layer (a gradient fill whose stop group is empty) showing through edge pixels that a
// bucket fill without anti-aliasing leaves partly covered.
#include "../edit/edit_rig.h"
#include "core/pixel/pixel.h"
#include "core/profile/app_profile.h"
#include "document/edit/layer_list_ops.h"
#include "document/files/new_document.h"
#include "document/paper/layer_data.h"
#include "document/selection/figure_fill_ops.h"
#include "document/selection/seed_fill_ops.h"
#include "document/stroke/paper_stroke.h"
#include "document/view/composition.h"
#include "paint/gradient/gradient_stops.h"
#include "paint/stroke/stroke.h"

#include "support/event_goldens.h"
#include "support/live_replay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int32_t kW = 40, kH = 32;
constexpr uint32_t kRed = 0xFFC04020, kBlue = 0xFF3060C0, kPurple = 0xFF802080;

uint32_t channel(uint32_t c, int i)
{
    return (c >> (8 * i)) & 0xFF;
}

bool between(uint32_t v, uint32_t a, uint32_t b)
{
    for (int i = 0; i < 3; ++i)
        if (channel(v, i) < std::min(channel(a, i), channel(b, i)) ||
            channel(v, i) > std::max(channel(a, i), channel(b, i)))
            return false;
    return true;
}

// A white canvas, a transparent bottom layer and, active above it, a transparent layer whose
// pixels hold the colour bytes clear.
struct FringeDoc
{
    HeadlessDocument doc;

    bool start(uint32_t clear)
    {
        TPaper &p = *doc.paper;
        setCurrentDrawWindow(&doc.owner);
        return eventEditCreate(p, QString(), nullptr, kW, kH, kW, kH, 72, false, true) &&
               eventLayerAddEx(p, nullptr, 1, kW, kH, TLayerMode::LM_STD, 255, clear,
                               QStringLiteral("上"), true, true);
    }
    ~FringeDoc() { setCurrentDrawWindow(nullptr); }

    TPaper &paper() { return *doc.paper; }
    const CBlockVMTC &layer(int32_t i) { return *doc.paper->getLayerData(i)->imageTC; }
    void colour(uint32_t c) { doc.paper->getActiveStroke()->m_drawColor = c; }
    uint32_t shown(int32_t x, int32_t y)
    {
        UpdateVRAM(*doc.paper, false, true);
        return doc.paper->vram().getColor(x, y) & 0xFFFFFF;
    }
};

using Figure = std::function<bool(TPaper &)>;

struct SFigureCase
{
    const char *name;
    Figure fill;
};

const SFigureCase kFigures[] = {
    {"rectangle",
     [](TPaper &p) {
         return eventFillRect(p, nullptr, 1, {3.5f, 4.25f}, {30.5f, 20.75f}, true, true);
     }},
    {"triangle",
     [](TPaper &p) {
         const sFPos tri[] = {{20, 1}, {38, 12}, {6, 30}};
         return eventFillPolygon(p, nullptr, 1, tri, true);
     }},
    {"ellipse",
     [](TPaper &p) {
         return eventFillEllipse(p, nullptr, 1, 1, {5, 3}, {33, 29}, true);
     }},
};

} // namespace

// Over transparent pixels of any colour bytes and over an opaque colour, each figure's edge
// pixels hold the fill colour at a partial alpha, or a mix of the two colours, and the picture
// shows them between the fill colour and what they separate it from.
TEST(NewUserFaultsFringe, FigureEdgesLieBetweenTheColoursTheySeparate)
{
    LiveReplayApp app;
    struct SUnder
    {
        const char *name;
        uint32_t clear; // the layer's clear colour
        uint32_t under; // what the figure is filled onto, 0 for nothing
    };
    const SUnder unders[] = {
        {"transparent black", 0x00000000, 0},
        {"transparent white", 0x00FFFFFF, 0},
        {"transparent green", 0x0000FF00, 0},
        {"opaque blue", 0x00000000, kBlue},
    };
    for (const SFigureCase &fig : kFigures)
        for (const SUnder &u : unders) {
            SCOPED_TRACE(std::string(fig.name) + " onto " + u.name);
            FringeDoc d;
            ASSERT_TRUE(d.start(u.clear));
            if (u.under != 0) {
                d.colour(u.under);
                ASSERT_TRUE(eventFillAll(d.paper(), nullptr, 1, u.under, true, true));
            }
            d.colour(kRed);
            ASSERT_TRUE(fig.fill(d.paper()));
            // The colour the figure's edge separates it from, as the picture shows it.
            const uint32_t other = u.under != 0 ? u.under : 0xFFFFFFFF;
            int edges = 0;
            for (int32_t y = 0; y < kH; ++y)
                for (int32_t x = 0; x < kW; ++x) {
                    const uint32_t px = d.layer(1).getColor(x, y);
                    const uint32_t a = px >> 24;
                    if (u.under == 0 && a == 0)
                        continue;
                    if (u.under == 0)
                        EXPECT_EQ(px & 0xFFFFFF, kRed & 0xFFFFFF) << x << "," << y;
                    else
                        EXPECT_EQ(a, 255u) << x << "," << y;
                    EXPECT_TRUE(between(d.shown(x, y), kRed, other))
                        << x << "," << y << " shows " << std::hex << d.shown(x, y);
                    if (u.under == 0 ? a < 255 : (px != kRed && px != other))
                        ++edges;
                }
            EXPECT_GT(edges, 10) << "the figure has anti-aliased edges";
        }
}

// A bucket fill without anti-aliasing paints only the pixels it marked: it does not spread onto
// pixels a neighbouring figure covers in part, so their partial alpha lets what lies below show
// through. Over an opaque black below, such an edge pixel is the figure's colour darkened by its
// coverage: darker than both the figure and the bucket's colour, as the rules of the fill make it.
TEST(NewUserFaultsFringe, ABucketFillWithoutAntiAliasingLeavesPartlyCoveredEdgesToWhatLiesBelow)
{
    LiveReplayApp app;
    gAppProfile->fillLimit = 30;
    gAppProfile->fillTarget = 0;
    FringeDoc d;
    ASSERT_TRUE(d.start(0x00FFFFFF));
    TPaper &p = d.paper();
    d.colour(0xFF000000);
    ASSERT_TRUE(eventFillAll(p, nullptr, 0, 0xFF000000, true, true));
    d.colour(kRed);
    ASSERT_TRUE(kFigures[1].fill(p));
    std::vector<uint32_t> before(size_t(kW * kH));
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x)
            before[size_t(y * kW + x)] = d.layer(1).getColor(x, y);
    d.colour(kPurple);
    ASSERT_TRUE(eventSeedFill(p, nullptr, 1, {38, 30}, false, false, true));

    int fringe = 0, covered = 0;
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x) {
            const uint32_t was = before[size_t(y * kW + x)], now = d.layer(1).getColor(x, y);
            const uint32_t a = was >> 24, shown = d.shown(x, y);
            if (a == 0 || a == 255)
                continue;
            if (now != was) {
                // Faint enough for the bucket's tolerance: marked and painted over.
                EXPECT_TRUE(between(shown, kRed, kPurple)) << x << "," << y;
                ++covered;
                continue;
            }
            // Left as it was: red over black at alpha a.
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(channel(shown, i), mix255(channel(kRed, i), 0, a)) << x << "," << y;
            if (!between(shown, kRed, kPurple))
                ++fringe;
        }
    EXPECT_GT(covered, 0);
    EXPECT_GT(fringe, 10);
}

// A gradient's colour at a position where fewer than two stops are enabled is the colour of slot
// 0, and an empty slot is opaque black: a gradient fill with a stop group that holds no stop (as
// the headless application's selected group) paints the layer opaque black. With two stops the
// same fill paints the gradient.
TEST(NewUserFaultsFringe, AGradientFillWithoutStopsPaintsOpaqueBlack)
{
    for (const bool stops : {false, true}) {
        SCOPED_TRACE(stops ? "two stops" : "no stop");
        LiveReplayApp app;
        if (stops) {
            ASSERT_TRUE(app.colors.setColor(0, makeRGBA(0xFF, 0xFF, 0x00, kCrsKindOwn), 1, 255));
            ASSERT_TRUE(app.colors.setColor(1, makeRGBA(0x00, 0x00, 0xFF, kCrsKindOwn), 1, 255));
            ASSERT_TRUE(app.colors.refresh());
        }
        FringeDoc d;
        ASSERT_TRUE(d.start(0x00FFFFFF));
        ASSERT_TRUE(eventLayerGradation(d.paper(), nullptr, 0, {0, 0}, {kW, 0}, false, true));
        int black = 0, opaque = 0;
        for (int32_t y = 0; y < kH; ++y)
            for (int32_t x = 0; x < kW; ++x) {
                black += d.layer(0).getColor(x, y) == 0xFF000000 ? 1 : 0;
                opaque += d.layer(0).getColor(x, y) >> 24 == 255 ? 1 : 0;
            }
        EXPECT_EQ(opaque, kW * kH);
        EXPECT_EQ(black, stops ? 0 : kW * kH);
        if (stops) {
            EXPECT_EQ(d.layer(0).getColor(0, 5), 0xFFFFFF00u);
            EXPECT_GT(d.layer(0).getColor(kW - 1, 5) & 0xFF, 0xF0u);
        }
    }
}

// The recorded selection session, replayed: each dark pixel the picture shows lies over the
// bottom layer's opaque black, under layers that are transparent there or hold the triangle's red
// at a partial alpha (no fill mixed a transparent pixel's colour bytes into it), and is their
// source-over.
TEST(NewUserFaultsFringe, TheSelectionSessionDarkensOnlyWhereBlackLiesBelow)
{
    LiveReplayApp app;
    const ScopedUndoMax limit(20);
    gAppProfile->fillLimit = 30;
    gAppProfile->wandLimit = 30;
    HeadlessDocument doc;
    event_goldens::playEventFile(
        doc, QStringLiteral(KAVRIN_TEST_DATA "/events/selection-session.qe5"), nullptr);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    doc.owner.eventPlaying = false;
    UpdateVRAM(*doc.paper, false, true);
    TPaper &p = *doc.paper;
    ASSERT_EQ(p.getLayerCount(), 3);

    struct SDark
    {
        int32_t x, y;
        uint32_t shown;
    };
    const SDark darks[] = {{22, 1, 0x000000},
                           {1, 22, 0x000000},
                           {32, 36, 0x000000},
                           {35, 44, 0x270D06},
                           {45, 36, 0x5F1F0F}};
    for (const SDark &k : darks) {
        SCOPED_TRACE(std::to_string(k.x) + "," + std::to_string(k.y));
        EXPECT_EQ(p.vram().getColor(k.x, k.y) & 0xFFFFFF, k.shown);
        EXPECT_EQ(p.getLayerData(0)->imageTC->getColor(k.x, k.y), 0xFF000000u);
        uint32_t shown = 0;
        for (int32_t i = 1; i < 3; ++i) {
            const uint32_t px = p.getLayerData(i)->imageTC->getColor(k.x, k.y);
            const uint32_t a = px >> 24;
            if (a == 0)
                continue;
            EXPECT_EQ(px & 0xFFFFFF, kRed & 0xFFFFFF);
            shown = mix255(channel(kRed, 2), 0, a) << 16 | mix255(channel(kRed, 1), 0, a) << 8 |
                    mix255(channel(kRed, 0), 0, a);
        }
        EXPECT_EQ(shown, k.shown);
    }
}
