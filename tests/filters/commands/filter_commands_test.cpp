#include "filters/commands/filter_commands.h"

#include "filters/commands/filter_command_rig.h"
#include "filters/commands/last_filter.h"
#include "filters/commands/replay_entries.h"
#include "support/fixed_clock.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace {

using H = SEventHdr;

// ---- The common pattern

TEST(FilterCommands, AppliesRecordsOneEventAndOneUndoAndIsRemembered)
{
    struct Case
    {
        FilterCommand cmd;
        uint8_t code;
        uint8_t group;
        std::function<void(SFilterParams &)> fill;
        const char *name;
    };
    const Case cases[] = {
        {doFilterInvert, 81, 32, nullptr, "色調反転"},
        {doFilterPosterize, 27, 33, [](SFilterParams &p) { p.o2.data0.all = 3; },
         "ポスタリゼーション"},
        {doFilterBrightnessContrast, 62, 34,
         [](SFilterParams &p) {
             p.o4.data0.all = 40;
             p.o4.data1.all = 20;
         },
         "明るさ・コントラスト"},
        {doFilterLevels, 60, 35,
         [](SFilterParams &p) {
             p.o6.data0.all = 0x10101010;
             p.o6.data1.all = 0x32323232;
             p.o6.data2.all = int32_t(0xE0E0E0E0);
             p.o6.data3.all = 0;
             p.o6.data4.all = -1;
         },
         "レベル補正"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        FilterCommandRig r;
        FakeModule mod;
        mod.fill = c.fill;
        registerFilterModule(c.code, mod.module());
        const auto before = r.pixels();
        const uint32_t from = r.mark();
        ASSERT_TRUE(c.cmd(&r.view, r.flow(), 0, false));
        EXPECT_NE(r.pixels(), before);
        EXPECT_EQ(r.filterHeaders(from), (std::vector<H>{{c.group, c.code}}));
        EXPECT_EQ(r.undoCount(), 1);
        EXPECT_GE(r.view.modifiedCalls, 1);
        QString name;
        getLastFilterName(name);
        EXPECT_EQ(name, QString::fromUtf8(c.name));
        EXPECT_EQ(filterCommandName(c.cmd), name);
        EXPECT_EQ(mod.dialogs + mod.lasts, c.fill ? 1 : 0);
    }
}

TEST(FilterCommands, RefusedCommandsLeaveEverythingAsItWas)
{
    struct Case
    {
        const char *what;
        std::function<bool(FilterCommandRig &, FakeModule &)> run;
    };
    const Case cases[] = {
        {"no window", [](FilterCommandRig &r,
                         FakeModule &) { return doFilterInvert(nullptr, r.flow(), 0, false); }},
        {"window refuses",
         [](FilterCommandRig &r, FakeModule &) {
             r.view.accept = false;
             return doFilterInvert(&r.view, r.flow(), 0, false);
         }},
        {"no module", [](FilterCommandRig &r,
                         FakeModule &) { return doFilterMosaic(&r.view, r.flow(), 0, true); }},
        {"cancel",
         [](FilterCommandRig &r, FakeModule &m) {
             m.ok = false;
             registerFilterModule(27, m.module());
             return doFilterPosterize(&r.view, r.flow(), 0, false);
         }},
        {"selection outside the layer",
         [](FilterCommandRig &r, FakeModule &m) {
             registerFilterModule(27, m.module());
             r.select({70, 70, 80, 80}); // the document is 64 x 64
             return doFilterPosterize(&r.view, r.flow(), 0, false);
         }},
        {"bad layer", [](FilterCommandRig &r,
                         FakeModule &) { return doFilterInvert(&r.view, r.flow(), 7, false); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FilterCommandRig r;
        FakeModule mod;
        mod.fill = [](SFilterParams &p) { p.o2.data0.all = 3; };
        const auto before = r.pixels();
        const uint32_t from = r.mark();
        EXPECT_FALSE(c.run(r, mod));
        EXPECT_EQ(r.pixels(), before);
        EXPECT_TRUE(r.filterHeaders(from).empty());
        EXPECT_EQ(r.undoCount(), 0);
        EXPECT_FALSE(hasLastFilter());
    }
}

TEST(FilterCommands, ExceptionsReachTheDocumentsHandlers)
{
    FilterCommandRig r;
    int memory = 0, other = 0;
    SFilterAppHooks hooks;
    hooks.memoryError = [&](TPaper &) { ++memory; };
    hooks.stdError = [&](TPaper &, const std::exception &) { ++other; };
    installFilterAppHooks(hooks);
    SFilterModule m;
    m.makeLastParam = [](CFlt4Core &, SFilterParams &) -> bool { throw std::bad_alloc(); };
    registerFilterModule(26, m);
    EXPECT_FALSE(doFilterMosaic(&r.view, r.flow(), 0, true));
    m.makeLastParam = [](CFlt4Core &, SFilterParams &) -> bool { throw std::runtime_error("x"); };
    registerFilterModule(26, m);
    EXPECT_FALSE(doFilterMosaic(&r.view, r.flow(), 0, true));
    EXPECT_EQ(memory, 1);
    EXPECT_EQ(other, 1);
    EXPECT_EQ(r.undoCount(), 0);
}

// ---- Departures

TEST(FilterCommands, CloudsTakeTheToolColoursANewSeedAndTheirBlendMode)
{
    for (const bool second : {false, true}) {
        FilterCommandRig r;
        ScopedFixedClock clock(123456);
        SFilterAppHooks hooks;
        hooks.foregroundColor = [] { return TColor32{{0x10, 0x20, 0x30, 0x00}}; };
        hooks.backgroundColor = [] { return TColor32{{0xA0, 0xB0, 0xC0, 0x40}}; };
        installFilterAppHooks(hooks);
        const uint32_t from = r.mark();
        ASSERT_TRUE((second ? doFilterClouds2 : doFilterClouds)(&r.view, r.flow(), 0, false));
        const auto c = r.cells({34, 70}, from);
        ASSERT_EQ(c.size(), 4u);
        EXPECT_EQ(uint32_t(c[0].all), 0xFF302010u);
        EXPECT_EQ(uint32_t(c[1].all), 0xFFC0B0A0u);
        EXPECT_EQ(c[2].all, 123456);
        EXPECT_EQ(uint32_t(c[3].all), second ? 0xFF100100u : 0xFF000100u);
        QString name;
        getLastFilterName(name);
        EXPECT_EQ(name, QString::fromUtf8(second ? "雲模様2" : "雲模様"));
    }
}

TEST(FilterCommands, AlphaViaDensityTakesTheStrokeColourAndIsNotRemembered)
{
    FilterCommandRig r;
    r.rig.stroke.SetDrawColor(0x00204060);
    const uint32_t from = r.mark();
    ASSERT_TRUE(doFilterAlphaViaDensity(&r.view, r.flow(), 0));
    const auto c = r.cells({33, 63}, from);
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[0].all, 0x00204060);
    EXPECT_EQ(c[1].all, 1);
    EXPECT_FALSE(hasLastFilter());
}

TEST(FilterCommands, CustomRecordsOneKernelBlock)
{
    FilterCommandRig r;
    FakeModule custom;
    custom.fill = [](SFilterParams &p) {
        p.custom.matrix.fill(0);
        p.custom.matrix[12] = 2;
        p.custom.scale = 1;
        p.custom.offset = 5;
    };
    registerFilterModule(51, custom.module());
    uint32_t from = r.mark();
    ASSERT_TRUE(doFilterCustom(&r.view, r.flow(), 0, true));
    std::vector<uint8_t> body = r.rig.body({38, 51}, from);
    ASSERT_EQ(body.size(), sizeof(SEvFilterComplex) + sizeof(SFltCustom));
    SEvFilterComplex fc;
    std::memcpy(&fc, body.data(), sizeof fc);
    EXPECT_EQ(fc.count, 1);
    EXPECT_EQ(fc.eachLen, 108);
    EXPECT_EQ(fc.allLen, 108);
}

// ---- Repeat

TEST(FilterCommands, RepeatRunsTheLastCommandWithOrWithoutItsDialog)
{
    FilterCommandRig r;
    EXPECT_FALSE(hasLastFilter());
    EXPECT_FALSE(repeatLastFilter(&r.view, r.flow(), 0, true));
    FakeModule mod;
    mod.fill = [](SFilterParams &p) { p.o2.data0.all = 4; };
    registerFilterModule(26, mod.module());
    ASSERT_TRUE(doFilterMosaic(&r.view, r.flow(), 0, false));
    EXPECT_EQ(mod.dialogs, 1);
    ASSERT_TRUE(hasLastFilter());
    ASSERT_TRUE(repeatLastFilter(&r.view, r.flow(), 0, false)); // Alt held: the dialog again
    EXPECT_EQ(mod.dialogs, 2);
    ASSERT_TRUE(repeatLastFilter(&r.view, r.flow(), 0, true));
    EXPECT_EQ(mod.lasts, 1);
    EXPECT_EQ(r.undoCount(), 3);
    clearLastFilter();
    EXPECT_FALSE(hasLastFilter());
}

TEST(FilterCommands, RepeatedNoiseTakesANewSeedWhileTheReplayGivesTheRecordedOne)
{
    FilterCommandRig r;
    ScopedFixedClock clock(1000);
    FakeModule mod;
    // The module's last values take the clock as the seed, as the noise dialog unit does.
    mod.fill = [](SFilterParams &p) {
        p.o4.data0.all = 60;
        p.o4.data1.all = 0;
        p.o4.data2.all = int32_t(timeGetTime());
    };
    registerFilterModule(25, mod.module());
    const auto start = r.pixels();
    ASSERT_TRUE(doFilterNoise(&r.view, r.flow(), 0, true));
    const auto first = r.pixels();
    ASSERT_TRUE(r.undo());
    clock.advance(7);
    ASSERT_TRUE(repeatLastFilter(&r.view, r.flow(), 0, true));
    EXPECT_NE(r.pixels(), first);
    ASSERT_TRUE(r.undo());
    EXPECT_EQ(r.pixels(), start);
    FilterBackup none;
    ASSERT_TRUE(eventFilterNoise(nullptr, r.flow(), 0, none, false, 60, false, 1000));
    EXPECT_EQ(r.pixels(), first);
}

TEST(FilterCommands, UndoRedoRestoresTheExactLayer)
{
    FilterCommandRig r;
    FakeModule mod;
    mod.fill = [](SFilterParams &p) { p.o2.data0.all = 2; };
    registerFilterModule(27, mod.module());
    r.select({5, 7, 40, 30}, 180);
    const auto before = r.pixels();
    ASSERT_TRUE(doFilterPosterize(&r.view, r.flow(), 0, true));
    const auto after = r.pixels();
    ASSERT_NE(after, before);
    ASSERT_TRUE(r.undo());
    EXPECT_EQ(r.pixels(), before);
    int32_t idx = 0;
    sBox box;
    ASSERT_TRUE(r.paper().undoMngrEx()->popRedo(idx, &r.layer(), box));
    EXPECT_EQ(r.pixels(), after);
}

} // namespace
