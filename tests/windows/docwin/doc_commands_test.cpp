// The document window's document and layer commands: the edit gate each one asks, the canvas
// size anchors, a resolution change of the DPI only, the refused commands, clearing the selected
// part of a layer, the layer properties' events and deleting a group.
#include "document/edit/canvas_ops.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/selection/select_delete.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "paint/stroke/stroke.h"
#include "windows/render_settings.h"

#include "doc_commands_fixture.h"

#include <functional>
#include <string>

namespace {

struct DocCommands : DocCmdFixture
{
};

// The states a command can meet, each set on a fresh window.
struct SState
{
    const char *name;
    std::function<void(TDrawWindow &)> set;
};

const SState kStates[] = {
    {"idle", [](TDrawWindow &) {}},
    {"render mode", [](TDrawWindow &) { gRenderMode = true; }},
    {"replay playing", [](TDrawWindow &w) { w.m_eventPlaying = true; }},
    {"replay paused",
     [](TDrawWindow &w) {
         w.m_eventPlaying = true;
         w.m_eventPaused = true;
     }},
    {"stroke", [](TDrawWindow &w) { w.setNowStroking(true); }},
    {"key only", [](TDrawWindow &w) { w.drawState.set(BDrawStateBit::stKeyOnly); }},
};

TEST_F(DocCommands, EachGateKindRefusesWhereItsGateSays)
{
    struct SCommand
    {
        const char *name;
        std::function<bool(TDrawWindow &)> run;
        // Allowed in the states above, in their order.
        std::array<bool, 6> allowed;
    };
    const std::array<bool, 6> editGate{true, false, false, false, false, false};
    const std::array<bool, 6> always{true, true, true, true, true, true};
    const SCommand commands[] = {
        // (false, false, true)
        {"deleteCurLayer", [](TDrawWindow &w) { return w.deleteCurLayer(); }, editGate},
        {"duplicateLayer", [](TDrawWindow &w) { return w.duplicateLayer(); }, editGate},
        {"doPaperCmd", [](TDrawWindow &w) { return w.doPaperCmd(ePaperCmd::cmdFlipTB, false); },
         editGate},
        {"bindLayerLower",
         [](TDrawWindow &w) {
             EventLayerActive(*w.paper, w.flow(), 1);
             return w.bindLayerLower(0);
         },
         editGate},
        // (true, false, true)
        {"doLayerCmd", [](TDrawWindow &w) { return w.doLayerCmd(ePaperCmd::cmdNeg); }, editGate},
        {"fillLayerMask", [](TDrawWindow &w) { return w.fillLayerMask(0x80); }, editGate},
        {"recorded fill",
         [](TDrawWindow &w) { return w.doSelectFill(0, 0xFF0000FF, true, true); }, editGate},
        // No window gate: only the document's own test.
        {"createLayer", [](TDrawWindow &w) { return w.createLayer(TLayerMode::LM_STD); }, always},
        {"replayed fill",
         [](TDrawWindow &w) { return w.doSelectFill(0, 0xFF0000FF, false, false); }, always},
    };
    for (const SCommand &c : commands) {
        for (size_t s = 0; s < std::size(kStates); ++s) {
            SCOPED_TRACE(std::string(c.name) + " in " + kStates[s].name);
            gRenderMode = false;
            auto w = recordingWindow({32, 24}, 2);
            ASSERT_TRUE(w);
            const int32_t layers = w->paper->getLayerCount();
            kStates[s].set(*w);
            EXPECT_EQ(c.run(*w), c.allowed[s]);
            if (!c.allowed[s]) {
                EXPECT_EQ(w->paper->getLayerCount(), layers);
            }
        }
    }
}

TEST_F(DocCommands, CanvasSizeAnchorsOfTheDialogBecomeTheDocumentsAnchors)
{
    struct SCase
    {
        int32_t anchor;
        pgType expected;
        sPos movedTo; // where the old top-left pixel lands in 64 + 20 x 48 + 10
    };
    const SCase cases[] = {
        {8, pgType::pgtBR, {20, 10}}, // bottom-right
        {1, pgType::pgtT, {10, 0}},   // top-middle
        {3, pgType::pgtL, {0, 5}},    // left-middle
        {0, pgType::pgtTL, {0, 0}},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.anchor);
        auto w = recordingWindow();
        ASSERT_TRUE(w);
        w->paper->getLayerData(0)->imageTC->setPixel(0, 0, 0xFF0000FF);
        main().sizeAnswer = SImageSizeValue{84, 58, c.anchor};
        EXPECT_TRUE(w->resizePaper());
        EXPECT_EQ(main().proposedSize.Anchor, 4);
        EXPECT_EQ(w->paper->m_paperSize, (sSize{84, 58}));
        sPos expected;
        anchorOffset({84, 58}, {64, 48}, expected, int32_t(c.expected));
        EXPECT_EQ(expected, c.movedTo);
        EXPECT_EQ(pixel(*w->paper, 0, c.movedTo.x, c.movedTo.y), 0xFF0000FFu);
    }
}

TEST_F(DocCommands, ACancelledCanvasSizeChangesNothing)
{
    auto w = recordingWindow();
    ASSERT_TRUE(w);
    const uint32_t events = w->paper->eventMngr().eventCnt;
    EXPECT_FALSE(w->resizePaper());
    EXPECT_FALSE(w->changeReso());
    EXPECT_EQ(w->paper->m_paperSize, (sSize{64, 48}));
    EXPECT_EQ(w->paper->eventMngr().eventCnt, events);
}

TEST_F(DocCommands, AResolutionOfTheDpiOnlyChangesNoPixelRecordsNothingAndMarksModified)
{
    auto w = recordingWindow();
    ASSERT_TRUE(w);
    w->paper->getLayerData(0)->imageTC->setPixel(3, 3, 0xFF123456);
    const uint32_t events = w->paper->eventMngr().eventCnt;
    main().resoAnswer = SResolutionValue{64, 48, 300};
    EXPECT_TRUE(w->changeReso());
    EXPECT_EQ(main().proposedResoMode, 0);
    EXPECT_EQ(w->paper->m_paperDPI, 300);
    EXPECT_EQ(w->paper->m_paperSize, (sSize{64, 48}));
    EXPECT_EQ(pixel(*w->paper, 0, 3, 3), 0xFF123456u);
    EXPECT_EQ(w->paper->eventMngr().eventCnt, events);
    EXPECT_TRUE(w->isModified());

    // A new pixel size resamples and records.
    main().resoAnswer = SResolutionValue{32, 24, 300};
    EXPECT_TRUE(w->changeReso());
    EXPECT_EQ(w->paper->m_paperSize, (sSize{32, 24}));
    EXPECT_EQ(codesSince(*w->paper, 0).size(), 1u);
}

TEST_F(DocCommands, CommandsOfTheWrongFamilyAreRefusedAndChangeNothing)
{
    auto w = recordingWindow();
    ASSERT_TRUE(w);
    w->paper->getLayerData(0)->imageTC->setPixel(0, 0, 0xFF0000FF);
    for (ePaperCmd cmd : {ePaperCmd::cmdFlipTBEx, ePaperCmd::cmdFlipLREx, ePaperCmd::cmdRot180Ex})
        EXPECT_FALSE(w->doPaperCmd(cmd, true));
    for (ePaperCmd cmd : {ePaperCmd::cmdRot90, ePaperCmd::cmdRot270})
        EXPECT_FALSE(w->doLayerCmd(cmd));
    EXPECT_EQ(pixel(*w->paper, 0, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(w->paper->m_paperSize, (sSize{64, 48}));
    EXPECT_TRUE(codesSince(*w->paper, 0).empty());

    // Their own family takes them.
    EXPECT_TRUE(w->doLayerCmd(ePaperCmd::cmdFlipTBEx));
    EXPECT_EQ(pixel(*w->paper, 0, 0, 47), 0xFF0000FFu);
    EXPECT_TRUE(w->doPaperCmd(ePaperCmd::cmdRot90, true));
    EXPECT_EQ(w->paper->m_paperSize, (sSize{48, 64}));
}

TEST_F(DocCommands, ClearingLowersAlphaByTheSelectionsCoverage)
{
    auto w = recordingWindow();
    ASSERT_TRUE(w);
    TPaper &p = *w->paper;
    CBlockVMTC &img = *p.getLayerData(0)->imageTC;
    img.setPixel(1, 1, 0xFF336699); // opaque, half covered
    img.setPixel(2, 1, 0x00336699); // transparent, half covered
    img.setPixel(3, 1, 0xFF336699); // not covered
    img.setPixel(4, 1, 0xFF336699); // fully covered
    select(p, {{1, 1, 128}, {2, 1, 128}, {4, 1, 255}});
    const uint32_t from = p.eventMngr().topEventPos;
    ASSERT_TRUE(w->canDeleteWithSelect());
    EXPECT_TRUE(w->doSelectDelete(0, 0xFFFFFFFF, true, true));
    EXPECT_EQ(sBGRA{.all = pixel(p, 0, 1, 1)}.A, 127);
    EXPECT_EQ(sBGRA{.all = pixel(p, 0, 2, 1)}.A, 0);
    EXPECT_EQ(pixel(p, 0, 3, 1), 0xFF336699u);
    EXPECT_EQ(sBGRA{.all = pixel(p, 0, 4, 1)}.A, 0);
    // One fill command of kind 5 (its colour the clearing colour).
    EXPECT_EQ(packetsSince(p, from), (std::vector<std::pair<int, int>>{{6, 5}}));
}

TEST_F(DocCommands, ClearingPutsTheStrokesPutToneAndHoldBackWhenTheFillFails)
{
    auto w = recordingWindow();
    ASSERT_TRUE(w);
    TPaper &p = *w->paper;
    select(p, {{1, 1, 128}});
    TStroke &stroke = app.stroke;
    stroke.m_bUseTone = true;
    stroke.m_drawColor = 0xFF010203;
    const fptrPixelPut4core put = gStrokeColorPut;
    const uint32_t events = p.eventMngr().eventCnt;
    // Layer 7 does not exist: the fill refuses.
    EXPECT_FALSE(w->doSelectDelete(7, 0xFFFFFFFF, true, true));
    EXPECT_EQ(gStrokeColorPut, put);
    EXPECT_FALSE(gStrokeProcsLocked);
    EXPECT_TRUE(stroke.m_bUseTone);
    EXPECT_EQ(stroke.m_drawColor, 0xFF010203u);
    EXPECT_EQ(p.eventMngr().eventCnt, events);
    // Without a selection, or with masks off, there is nothing to clear.
    p.bEnbMask = false;
    EXPECT_FALSE(w->canDeleteWithSelect());
    EXPECT_FALSE(w->doSelectDelete(0, 0xFFFFFFFF, true, true));
}

TEST_F(DocCommands, LayerPropertiesRecordEachChangeOnceInTheirOrder)
{
    struct SCase
    {
        const char *name;
        std::function<void(TLayerOptionValue &)> edit;
        std::vector<TEventCode> expected;
    };
    const SCase cases[] = {
        {"own name", [](TLayerOptionValue &) {}, {}},
        {"new name", [](TLayerOptionValue &v) { v.Name = QStringLiteral("線画"); },
         {TEventCode::ecLayer_Property_Name}},
        {"opacity and mode",
         [](TLayerOptionValue &v) {
             v.LayerMode = TLayerMode::LM_MUL;
             v.Opaque = 100;
         },
         {TEventCode::ecLayer_Property_Blend_Opacity, TEventCode::ecLayer_Property_Blend_Mode}},
        {"move", [](TLayerOptionValue &v) { v.X = -5; },
         {TEventCode::ecLayer_Property_Offset}},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        auto w = recordingWindow();
        ASSERT_TRUE(w);
        // The dialog is answered with what it was proposed, edited.
        TLayerOptionValue v;
        v.Name = w->paper->getLayerData(0)->title;
        v.Opaque = 255;
        v.DitherDensity = w->paper->getLayerData(0)->layerDither();
        c.edit(v);
        main().layerOptionAnswer = v;
        const uint32_t from = w->paper->eventMngr().topEventPos;
        const QString title = w->paper->getLayerData(0)->title;
        EXPECT_TRUE(w->doLayerInfoWin());
        EXPECT_EQ(main().proposedLayerOption.Name, title);
        EXPECT_EQ(codesSince(*w->paper, from), c.expected);
    }
}

TEST_F(DocCommands, DeletingAGroupHeadGoesThroughTheGroupDelete)
{
    auto w = recordingWindow({32, 24}, 4);
    ASSERT_TRUE(w);
    TPaper &p = *w->paper;
    // Layer 1 heads a group of layers 2 and 3.
    p.getLayerData(2)->setGroupLevel(1);
    p.getLayerData(3)->setGroupLevel(1);
    ASSERT_GT(p.layerMngr().countGroupMember(1, true), 0);
    EventLayerActive(p, w->flow(), 1);
    ASSERT_EQ(p.ActiveLayer(), 1);
    uint32_t from = p.eventMngr().topEventPos;
    EXPECT_TRUE(w->deleteCurLayer());
    // The head goes; its members stay, one level up.
    EXPECT_EQ(p.getLayerCount(), 3);
    EXPECT_EQ(p.getLayerData(1)->groupLevel, 0);
    EXPECT_EQ(p.getLayerData(2)->groupLevel, 0);
    EXPECT_EQ(packetsSince(p, from), (std::vector<std::pair<int, int>>{{5, 8}}));

    // A plain layer goes by the plain delete.
    from = p.eventMngr().topEventPos;
    EXPECT_TRUE(w->deleteCurLayer());
    EXPECT_EQ(p.getLayerCount(), 2);
    const auto plain = packetsSince(p, from);
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_NE(plain[0], (std::pair<int, int>{5, 8}));
}

TEST_F(DocCommands, NewLayerWithTheProposedNameLetsTheDocumentNameIt)
{
    auto w = recordingWindow();
    ASSERT_TRUE(w);
    TNewLayerValue v;
    v.Name = w->paper->layerMngr().getNextCaption();
    v.LayerMode = TLayerMode::LM_STD;
    v.Opaque = 200;
    main().newLayerAnswer = v;
    EXPECT_TRUE(w->createLayerDlg());
    EXPECT_EQ(main().proposedNewLayer.Name, v.Name);
    ASSERT_EQ(w->paper->getLayerCount(), 2);
    EXPECT_EQ(w->paper->ActiveLayer(), 1);
    EXPECT_EQ(w->paper->getLayerData(1)->layerTrans(), 200);
    EXPECT_EQ(w->paper->getLayerData(1)->title, v.Name);
    // Cancel adds nothing.
    main().newLayerAnswer.reset();
    EXPECT_FALSE(w->createLayerDlg());
    EXPECT_EQ(w->paper->getLayerCount(), 2);
}

} // namespace
