// Live == replay: a filter command applied live while recording, and its recorded events played
// by the event player onto the same start (from memory and through an exported file), give the
// same document; undo restores the start exactly; the rows refuse what no recording holds.
#include "core/scale/scale_canvas.h"
#include "document/events/event_replay.h"
#include "document/selection/effect_rect.h"
#include "document/stroke/paper_stroke.h"
#include "filters/commands/filter_cases.h"
#include "filters/commands/filter_command_rig.h"
#include "filters/commands/filter_replay_rows.h"
#include "filters/commands/older_filter_commands.h"
#include "support/captured_messages.h"
#include "support/fixed_clock.h"
#include "support/live_replay.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <random>

namespace {

using H = SEventHdr;
using namespace filter_cases;

// The start: the patterned layer, with a selection, protection, or both.
struct Variant
{
    bool select;
    bool protect;
};

const Variant kVariants[] = {{false, false}, {true, false}, {true, true}, {false, true}};

// The filters' start on a headless document: two layers at the newest paint level, layer 0
// patterned by the seed and loaded into the flow image, with the variant's selection and
// protection. Seed 1 is 64 x 64; other seeds give other small sizes.
bool filterStart(TPaper &paper, const Variant &v, uint32_t seed = 1)
{
    std::mt19937 rng(seed);
    const sSize size =
        seed == 1 ? sSize{64, 64} : sSize{int32_t(24 + rng() % 41), int32_t(24 + rng() % 41)};
    if (!setupHeadlessPaper(paper, size, 0xFFFFFF, 2) || !startPaintModeQZ5(paper))
        return false;
    paintFilterPattern(paper, 0, seed);
    if (v.select && !selectFilterArea(paper, {6, 9, 50, 41}, 200))
        return false;
    paper.getLayerData(0)->maskProtected = v.protect;
    return paper.setFlow(*paper.getActiveFlow(), 0, true);
}

std::vector<uint32_t> layerPixels(const TPaper &paper, int32_t idx = 0)
{
    const CBlockVMTC &img = *paper.getLayerData(idx)->imageTC;
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            out.push_back(img.PixelGet(x, y));
    return out;
}

// The filters' replay entries and rows, a fixed clock for the seeds, the application's painting
// objects with a gradient set for the gradient map, and no module left over.
struct FilterLiveReplayApp
{
    FilterLiveReplayApp()
    {
        initialiseFilters();
        initialiseEventReplay();
        installFilterReplayEntries();
        clearLastFilter();
        clearFilterModules();
        app.grads.appendGrad(sRGBA{{0, 0, 0, kCrsKindOwn}}, sRGBA{{255, 255, 255, kCrsKindOwn}});
        app.grads.setCurGrad(0);
        app.stroke.SetDrawColor(0x00405060);
    }
    ~FilterLiveReplayApp()
    {
        clearFilterModules();
        clearLastFilter();
    }
    LiveReplayApp app;
    ScopedFixedClock clock{5555};
};

TEST(FilterLiveReplay, EveryCurrentFilterReplaysToTheLiveDocument)
{
    FilterLiveReplayApp env;
    for (int seed = 1; seed <= liveReplayIterations(1); ++seed) {
        for (const Variant v : kVariants) {
            for (const FilterCase &c : currentFilterCases()) {
                SCOPED_TRACE(testing::Message()
                             << c.what << " select " << v.select << " protect " << v.protect);
                expectLiveEqualsReplay(
                    [&](TPaper &paper, uint32_t s) { return filterStart(paper, v, s); },
                    [&](TPaper &paper, uint32_t) {
                        FakeFilterView view;
                        FakeModule mod;
                        if (c.fill) {
                            const bool prot = v.protect;
                            mod.fill = [&c, prot](SFilterParams &p) { c.fill(p, prot); };
                            registerFilterModule(c.hdr.code, mod.module());
                        }
                        TFlowImage &flow = *paper.getActiveFlow();
                        const auto start = layerPixels(paper);
                        const bool ok = c.cmd ? c.cmd(&view, flow, 0, true)
                                              : doFilterAlphaViaDensity(&view, flow, 0);
                        clearFilterModules();
                        const bool changed = layerPixels(paper) != start;
                        // On the plain layer every filter of the table changes something.
                        if (!v.select && !v.protect) {
                            EXPECT_TRUE(ok && changed);
                        }
                        // A filter that refuses (protection that differs from its record) or
                        // changes nothing records nothing.
                        EXPECT_EQ(recordedFilterHeaders(paper),
                                  ok && changed ? std::vector<H>{c.hdr} : std::vector<H>{});
                        return true;
                    },
                    uint32_t(seed));
            }
        }
    }
}

TEST(FilterLiveReplay, EveryCurrentFilterUndoesExactly)
{
    initialiseEventReplay();
    installFilterReplayEntries();
    ScopedFixedClock clock(5555);
    for (const Variant v : kVariants) {
        for (const FilterCase &c : currentFilterCases()) {
            SCOPED_TRACE(testing::Message()
                         << c.what << " select " << v.select << " protect " << v.protect);
            FilterCommandRig r;
            r.rig.stroke.SetDrawColor(0x00405060);
            if (v.select)
                r.select({6, 9, 50, 41}, 200);
            r.layer().maskProtected = v.protect;
            FakeModule mod;
            if (c.fill) {
                const bool prot = v.protect;
                mod.fill = [&c, prot](SFilterParams &p) { c.fill(p, prot); };
                registerFilterModule(c.hdr.code, mod.module());
            }
            const auto start = r.pixels();
            const bool ok = c.cmd ? c.cmd(&r.view, r.flow(), 0, true)
                                  : doFilterAlphaViaDensity(&r.view, r.flow(), 0);
            if (!ok || r.pixels() == start) {
                EXPECT_EQ(r.undoCount(), 0);
                continue;
            }
            ASSERT_TRUE(r.undo());
            EXPECT_EQ(r.pixels(), start);
        }
    }
}

TEST(FilterLiveReplay, AnOlderEventRecordedAgainReplaysToTheSameLayer)
{
    FilterLiveReplayApp env;
    struct Case
    {
        H recorded;
        std::function<bool(TFlowImage &, FilterBackup &)> run;
    };
    const Case cases[] = {
        {{33, 21},
         [](TFlowImage &flow, FilterBackup &b) {
             return orgEventFilterPosterize(nullptr, flow, 0, b, true, 4);
         }},
        {{33, 2},
         [](TFlowImage &flow, FilterBackup &b) {
             return orgEventFilterMotionBlur(nullptr, flow, 0, b, true, 6, 0.4f, 0);
         }},
        {{34, 24},
         [](TFlowImage &flow, FilterBackup &b) {
             return orgEventFilterColorBalance(nullptr, flow, 0, b, true, f(1.4f), f(1.0f),
                                               f(0.7f));
         }},
        {{34, 36},
         [](TFlowImage &flow, FilterBackup &b) {
             static const int32_t tiles[6] = {2, 0, 10, int32_t(0xFF0000FF), int32_t(0xFF00FF00),
                                              0};
             return orgEventFilterTiles(nullptr, flow, 0, b, tiles, true);
         }},
        {{35, 35},
         [](TFlowImage &flow, FilterBackup &b) {
             return orgEventFilterWave(nullptr, flow, 0, b, 5, 0, 2, 3, 0.5f, true);
         }},
        {{34, 33},
         [](TFlowImage &flow, FilterBackup &b) {
             return orgEventFilterTwist(nullptr, flow, 0, b, 0.3f, 1, 0.25f, 0.5f, true);
         }},
        // More than one light replays: every light of the block is handed on.
        {{38, 39},
         [](TFlowImage &flow, FilterBackup &b) {
             SFltLight lights[3];
             for (int i = 0; i < 3; ++i) {
                 initFltLight(lights[i]);
                 lights[i].kind = flkPoint;
                 lights[i].power = 50 + 10 * i;
                 lights[i].color.all = 0xFFFFFFFF;
                 lights[i].range = 30;
                 lights[i].posx = 0.2f + 0.3f * float(i);
                 lights[i].posy = 0.5f;
                 lights[i].posz = 20;
             }
             return orgEventFilterLighting(nullptr, flow, 0, b, lights, 3, 0x00FFFFFF, 40, true);
         }},
        // The older floor replays both slots from the textures its event carries: recorded
        // again, it carries them too.
        {{38, 99},
         [](TFlowImage &flow, FilterBackup &b) {
             TMTC floorTex(16, 16), skyTex(16, 16);
             floorTex.PixelFill(0xFF8040C0);
             skyTex.PixelFill(0xFF20A040);
             SFltFloor floor;
             initFltFloor(floor);
             floor.sfloor.y = 40.0f;
             floor.sfloor.eye2scr = 64;
             floor.sfloor.skyheight = 80;
             floor.sfloor.texEnbFlag = 3;
             floor.stex[0].tc = &floorTex;
             floor.stex[1].tc = &skyTex;
             return orgEventFilterFloor(nullptr, flow, 0, b, &floor, true);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.recorded.code));
        expectLiveEqualsReplay(
            [](TPaper &paper, uint32_t) {
                return filterStart(paper, {false, false});
            },
            [&](TPaper &paper, uint32_t) {
                FilterBackup none;
                const auto start = layerPixels(paper);
                if (!c.run(*paper.getActiveFlow(), none))
                    return false;
                EXPECT_NE(layerPixels(paper), start);
                EXPECT_EQ(recordedFilterHeaders(paper), (std::vector<H>{c.recorded}));
                return true;
            });
    }
}

TEST(FilterLiveReplay, TheGradientMapTakesProtectionFromTheLayerNotTheRecord)
{
    initialiseEventReplay();
    installFilterReplayEntries();
    FilterCommandRig r;
    FakeModule mod;
    registerFilterModule(54, mod.module());
    const auto start = r.pixels();
    const uint32_t from = r.mark();
    ASSERT_TRUE(doFilterGradientMap(&r.view, r.flow(), 0, true));
    const auto live = r.pixels();
    EXPECT_NE(live, start);
    std::vector<uint8_t> body = r.rig.body({38, 54}, from);
    ASSERT_GT(body.size(), sizeof(SEvFilterComplex));
    ASSERT_TRUE(r.undo());
    ASSERT_EQ(r.pixels(), start);
    // Byte 1 of data1 claims a protected layer; the layer is not protected.
    body[offsetof(SEvFilterComplex, data1) + 1] = 1;
    EXPECT_TRUE(eventReplayRow({38, 54}).fn(r.rig.ev(), r.paper(), 54, body));
    EXPECT_EQ(r.pixels(), live);
}

// The floor with a file texture in slot 0 and the layer drawn in slot 1: the texture travels as
// status image 128 before the command, the layer's slot is rebuilt at replay.
TEST(FilterLiveReplay, TheFloorReplaysItsFileTextureAndRebuildsTheLayerSlot)
{
    FilterLiveReplayApp env;
    for (const bool select : {false, true}) {
        SCOPED_TRACE(select);
        expectLiveEqualsReplay(
            [&](TPaper &paper, uint32_t) {
                return filterStart(paper, {false, false}) &&
                       (!select || selectFilterArea(paper, {4, 4, 40, 36}));
            },
            [&](TPaper &paper, uint32_t) {
                FakeFilterView view;
                FakeModule mod;
                // The module is the dialog: it fills slot 0 from a file and slot 1 from the
                // layer.
                TFlowImage &flow = *paper.getActiveFlow();
                mod.fill = [&](SFilterParams &p) {
                    ASSERT_TRUE(fillFloorFromFileAndLayer(p, paper, flow));
                };
                registerFilterModule(99, mod.module());
                const auto start = layerPixels(paper);
                const bool ok = doFilterFloor(&view, flow, 0, true);
                clearFilterModules();
                EXPECT_NE(layerPixels(paper), start);
                int textures = 0, layerTextures = 0;
                CEventMngr &ev = paper.eventMngr();
                ev.walkPackets(0, ev.curLength, [&](const SEventPacketInfo &pk) {
                    textures += pk.hdr == H{0, 128} ? 1 : 0;
                    layerTextures += pk.hdr == H{0, 129} ? 1 : 0;
                    return true;
                });
                EXPECT_EQ(textures, 1);
                EXPECT_EQ(layerTextures, 0);
                return ok;
            });
    }
}

// A floor event whose file texture the recording lacks replays with a stand-in and tells the
// user once: the layer's effect rectangle when the record keeps the layer's picture (the texture
// a slot drawn from the layer gets), else a copy of the whole layer. The images played for one
// floor event are never taken by a later one.
TEST(FilterLiveReplay, AFloorFileTextureTheRecordingLacksIsStoodInFor)
{
    initialiseEventReplay();
    installFilterReplayEntries();
    FilterCommandRig r;
    r.select({4, 6, 50, 40});
    FakeModule mod;
    mod.fill = [&](SFilterParams &p) {
        ASSERT_TRUE(fillFloorFromFileAndLayer(p, r.paper(), r.flow()));
    };
    registerFilterModule(99, mod.module());
    const auto start = r.pixels();
    const uint32_t from = r.mark();
    ASSERT_TRUE(doFilterFloor(&r.view, r.flow(), 0, true));
    const std::vector<uint8_t> recorded = r.rig.body({38, 99}, from);
    ASSERT_EQ(recorded.size(), sizeof(SEvFilterComplex) + sizeof(SFltFloorParam));
    ASSERT_TRUE(r.undo());
    ASSERT_EQ(r.pixels(), start);
    CEventMngr &ev = r.rig.ev();
    const int32_t dpi = r.paper().m_paperDPI;
    // The body with its slots' kinds, the keep-picture flag and both dpis the paper's.
    const auto body = [&](uint8_t types, bool keep) {
        std::vector<uint8_t> b = recorded;
        const size_t at = sizeof(SEvFilterComplex);
        b[at + offsetof(SFltFloorParam, texTypeFlag)] = types;
        b[at + offsetof(SFltFloorParam, useOrgPic)] = keep ? 1 : 0;
        const uint32_t dpis = uint32_t(dpi) | uint32_t(dpi) << 16;
        std::memcpy(b.data() + offsetof(SEvFilterComplex, data0), &dpis, 4);
        return b;
    };
    const auto replay = [&](const std::vector<uint8_t> &b) {
        r.setPixels(start);
        EXPECT_TRUE(eventReplayRow({38, 99}).fn(ev, r.paper(), 99, b));
        EXPECT_FALSE(ev.playTC0 || ev.playTC1) << "the played images are freed";
        return r.pixels();
    };
    const QString told =
        QString::fromUtf8("再生に必要な画像オブジェクトが不足しています! (38, 40)");

    // Keep picture: the missing ceiling file gets the texture a slot drawn from the layer gets.
    const auto fromLayer = replay(body(0, true));
    ASSERT_NE(fromLayer, start);
    {
        CapturedMessages msgs;
        EXPECT_EQ(replay(body(1, true)), fromLayer);
        EXPECT_EQ(msgs.warnings, QStringList{told});
    }
    // Otherwise both missing files get a copy of the whole layer, as if the recording had
    // carried that copy for each; one message for the two.
    r.setPixels(start);
    ev.playTC0 = std::make_unique<TMTC>(r.flow().image());
    ev.playTC1 = std::make_unique<TMTC>(r.flow().image());
    const auto carried = replay(body(3, false));
    ASSERT_NE(carried, start);
    {
        CapturedMessages msgs;
        EXPECT_EQ(replay(body(3, false)), carried) << "nothing left over from the last floor";
        EXPECT_EQ(msgs.warnings, QStringList{told});
    }
}

// Recordings before 2.07 replay with protect false: a filter whose record must agree with the
// layer's protection then refuses on a protected layer; from 2.07 on it takes the layer's.
TEST(FilterLiveReplay, ProtectionComesFromTheLayerFromVersion207On)
{
    initialiseEventReplay();
    installFilterReplayEntries();
    FilterCommandRig r;
    r.layer().maskProtected = true;
    FakeModule mod;
    mod.fill = [](SFilterParams &p) {
        p.o2.data0.all = f(25.0f);
        p.o2.data1.b0 = 1;
    };
    registerFilterModule(97, mod.module());
    const auto start = r.pixels();
    const uint32_t from = r.mark();
    ASSERT_TRUE(doFilterRotate(&r.view, r.flow(), 0, true));
    const auto live = r.pixels();
    ASSERT_NE(live, start);
    const std::vector<uint8_t> body = r.rig.body({33, 97}, from);
    ASSERT_TRUE(r.undo());
    auto setVersion = [&](uint16_t major, uint16_t minor) {
        SEvAppStat st;
        st.verMajor = major;
        st.verMinor = minor;
        r.rig.ev().storeStatusValue(enbAppStat, &st, sizeof st);
    };
    setVersion(2, 6);
    EXPECT_FALSE(eventReplayRow({33, 97}).fn(r.rig.ev(), r.paper(), 97, body));
    EXPECT_EQ(r.pixels(), start);
    setVersion(2, 7);
    EXPECT_TRUE(eventReplayRow({33, 97}).fn(r.rig.ev(), r.paper(), 97, body));
    EXPECT_EQ(r.pixels(), live);
}

TEST(FilterLiveReplay, RowsRefuseShortBodiesAndBadLayers)
{
    initialiseEventReplay();
    installFilterReplayEntries();
    FilterCommandRig r;
    const auto start = r.pixels();
    const std::vector<uint8_t> shortBody = {0, 0, 0, 0, 5};
    EXPECT_FALSE(eventReplayRow({33, 27}).fn(r.rig.ev(), r.paper(), 27, shortBody));
    std::vector<uint8_t> badLayer(12, 0);
    badLayer[0] = 9;
    badLayer[4] = 3;
    EXPECT_FALSE(eventReplayRow({33, 27}).fn(r.rig.ev(), r.paper(), 27, badLayer));
    EXPECT_EQ(r.pixels(), start);
}

} // namespace
