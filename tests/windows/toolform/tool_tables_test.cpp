// The tool window's widget-free parts: the detail switch's memory, the command table, the slider
// curves and what the option view shows.
#include "windows/toolform/option_view_model.h"
#include "windows/toolform/slider_curves.h"
#include "windows/toolform/tool_state.h"
#include "windows/toolform/tool_tables.h"

#include <gtest/gtest.h>

#include <map>

using D = TToolDetail;
using K = TToolKind;

namespace {

// A shortcut table: the letter of each listed detail.
TKeyOfDetail keysOf(std::map<D, char> letters)
{
    return [letters](D d) -> uint32_t {
        auto it = letters.find(d);
        return it == letters.end() ? 0 : uint32_t(it->second);
    };
}

} // namespace

TEST(ToolFormSwitchState, EveryDetailHasItsButtonAndEveryMenuItemItsButtonsKind)
{
    for (const SToolDetailRow &row : toolDetailRows())
    {
        const SToolButtonRow &button = toolButtonRows()[size_t(row.kind)];
        EXPECT_EQ(button.kind, row.kind);
        for (const SToolMenuItem &item : button.menu)
            EXPECT_EQ(toolDetailToToolKind(item.detail), row.kind) << item.caption;
    }
    // Only the select, magic-wand and move families and the view tools go without the opacity.
    EXPECT_TRUE(toolDetailHasOpacity(D::tdFillText));
    EXPECT_FALSE(toolDetailHasOpacity(D::tdSelectText));
    EXPECT_FALSE(toolDetailHasOpacity(D::tdMagicWand));
    EXPECT_EQ(toolDetailToGlyphType(D::tdGrabberRotation), TqZGlyphType::qgDegree);
    EXPECT_EQ(initialLastTools()[size_t(K::tkBlurFinger)], D::tdBlur4);
}

TEST(ToolFormSwitchState, LeavingAndEnteringRememberTheDetailPerButtonPenEndAndLetter)
{
    CToolState s;
    s.FToolMode = D::tdPencil5;
    const auto keys = keysOf({{D::tdPencil5, 'A'}, {D::tdSelectRectangle, 'M'}});
    EXPECT_EQ(s.leave(60, keys), K::tkPencil);
    s.FToolMode = D::tdSelectRectangle;
    s.enter(D::tdSelectRectangle, keys);
    EXPECT_EQ(s.FToolDensities[size_t(K::tkPencil)], 60.0f);
    EXPECT_EQ(s.FLastTool[0], K::tkSelect);
    EXPECT_EQ(s.FLastToolsEx['A' - 'A'], D::tdPencil5);
    EXPECT_EQ(s.FLastToolsEx['M' - 'A'], D::tdSelectRectangle);

    // While the pen end switches, the kind left is the other end's.
    s.FStylus = TStylusSwitch::ssTail;
    s.FPalStat.include(TPaletteState::psStylusSwitchUpdate);
    EXPECT_EQ(s.leave(100, keys), K::tkSelect);
    EXPECT_EQ(s.FLastTools[size_t(K::tkSelect)], D::tdSelectRectangle);
}

TEST(ToolFormSwitchState, CyclingStepsOnlyOnTheCurrentButtonOutsideASwitch)
{
    CToolState s;
    s.FToolMode = D::tdPencil5;
    s.setNextDetails([](K, D d) { return d == D::tdPencil5 ? D::tdPencil4 : d; });
    EXPECT_EQ(s.detailForKind(K::tkPencil, true), D::tdPencil4);
    EXPECT_EQ(s.detailForKind(K::tkPencil, false), D::tdPencil5);
    EXPECT_EQ(s.detailForKind(K::tkEraser, true), D::tdEraser5);
    s.FPalStat.include(TPaletteState::psToolModeUpdate);
    EXPECT_EQ(s.detailForKind(K::tkPencil, true), D::tdPencil5);
    // The fixed next details of the wand and the view tools.
    EXPECT_EQ(s.nextDetailOf(D::tdGrabberRotation), D::tdGrabberPosition);
    EXPECT_EQ(s.nextDetailOf(D::tdZoom), D::tdZoom);
}

TEST(ToolFormSwitchState, ASharedLetterGoesToTheGrabberThenTheCurrentDetail)
{
    CToolState s;
    const auto keys = keysOf({{D::tdPencil5, 'H'}, {D::tdGrabberPosition, 'H'},
                              {D::tdGrabberRotation, 'H'}, {D::tdZoom, 'Z'}});
    s.FToolMode = D::tdPencil4; // has no letter: the grabber keeps H
    s.setLastTools(keys);
    EXPECT_EQ(s.FLastToolsEx['H' - 'A'], D::tdGrabberPosition);
    s.FToolMode = D::tdPencil5;
    s.setLastTools(keys);
    EXPECT_EQ(s.FLastToolsEx['H' - 'A'], D::tdPencil5);
    EXPECT_EQ(s.detailForKey('Z', K::tkZoom, false), D::tdZoom);
    // No letter, or a letter never chosen: the button's last detail.
    EXPECT_EQ(s.detailForKey('Q', K::tkEraser, false), D::tdEraser5);
    EXPECT_EQ(s.detailForKey('5', K::tkAirBrush, false), D::tdAirBrush5);
}

TEST(ToolFormSwitchState, TheGuardExcludesItsStateOnEveryWayOut)
{
    TPaletteStatus st;
    try
    {
        CPaletteGuard g(st, TPaletteState::psChangeToolMode);
        EXPECT_TRUE(st.has(TPaletteState::psChangeToolMode));
        throw 1;
    }
    catch (int)
    {
    }
    EXPECT_TRUE(st.empty());
    st.include(TPaletteState::psChangeToolMode); // bit 32: the set is wider than 32 bits
    EXPECT_EQ(st.bits(), uint64_t(1) << 32);
}

TEST(ToolFormKeysTable, CommandsMapOntoTheirButtonsAndActions)
{
    struct Case
    {
        int32_t command;
        TToolKeyAction action;
        K kind;
        int32_t value;
    };
    const Case cases[] = {
        {512, TToolKeyAction::SelectTool, K::tkPencil, 0},
        {547, TToolKeyAction::SelectTool, K::tkWaterColor, 0},
        {608, TToolKeyAction::SelectTool, K::tkBlurFinger, 0},
        {800, TToolKeyAction::SelectTool, K::tkZoom, 0},
        {1344, TToolKeyAction::ToolDensity, K::tkPencil, 10},
        {1353, TToolKeyAction::ToolDensity, K::tkPencil, 100},
        {1354, TToolKeyAction::BrushStep, K::tkPencil, -1},
        {816, TToolKeyAction::ExchangeColors, K::tkPencil, 0},
        {1361, TToolKeyAction::LayerDown, K::tkPencil, 0},
    };
    for (const Case &c : cases)
    {
        const SToolKeyCommand k = toolKeyCommand(c.command);
        EXPECT_EQ(k.action, c.action) << c.command;
        EXPECT_EQ(k.kind, c.kind) << c.command;
        EXPECT_EQ(k.value, c.value) << c.command;
    }
    // Gaps inside a tool's block and commands the tool window does not know.
    for (int32_t none : {515, 546, 1358, 1364, 100})
        EXPECT_EQ(toolKeyCommand(none).action, TToolKeyAction::None) << none;
}

TEST(ToolFormBindingCurves, TheCurvesKeepTheirFixedPointsAndInvertEachOther)
{
    // Radius 100 over 0.1..200 sits at 0.90036 of the slider.
    EXPECT_NEAR(radiusInFilter((100 - 0.1f) / 199.9f), 0.90036f, 1e-5);
    // 100 % of an image nib sits in the middle for both ranges the field takes.
    for (float lo : {1.0f, 13.0f})
        EXPECT_NEAR(shapeScaleInFilter((100 - lo) / (500 - lo), lo, 500), 0.5f, 1e-6) << lo;
    // A range without 100 % inside stays linear (no division by zero).
    EXPECT_FLOAT_EQ(shapeScaleInFilter(0.3f, 100, 500), 0.3f);
    EXPECT_FLOAT_EQ(shapeScaleInFilter(0.3f, 100, 100), 0.3f);
    for (float p : {0.0f, 0.1f, 0.37f, 0.5f, 0.8f, 1.0f})
    {
        EXPECT_NEAR(radiusOutFilter(radiusInFilter(p)), p, 1e-5) << p;
        EXPECT_NEAR(shapeScaleOutFilter(shapeScaleInFilter(p, 13, 500), 13, 500), p, 1e-5) << p;
    }
    EXPECT_FLOAT_EQ(radiusInFilter(-1), 0);
    EXPECT_FLOAT_EQ(radiusInFilter(2), 1);
}

TEST(ToolFormTransformCurve, TheScaleSliderHasHundredPercentInTheMiddle)
{
    // Positions are linear over 0..1600 %.
    EXPECT_FLOAT_EQ(transformScaleInFilter(100.0f / 1600), 0.5f);
    EXPECT_FLOAT_EQ(transformScaleOutFilter(0.5f) * 1600, 100.0f);
    EXPECT_FLOAT_EQ(transformScaleOutFilter(0) * 1600, 6.25f);
    EXPECT_FLOAT_EQ(transformScaleOutFilter(1) * 1600, 1600.0f);
    // 0 % cannot be shown below the 6.25 % end.
    EXPECT_FLOAT_EQ(transformScaleInFilter(0), 0);
    for (float v : {6.25f, 50.0f, 100.0f, 400.0f, 1600.0f})
        EXPECT_NEAR(transformScaleOutFilter(transformScaleInFilter(v / 1600)) * 1600, v, 1e-3) << v;
}

TEST(ToolFormOptionsModel, TheMatrixOfDetailsAndTransform)
{
    SOptionViewInput in;
    in.support = getSupportParams(TPaintMode::pmPencil5);
    in.brushLevel = TPaintLevel::pl5;
    in.canAppend = true;
    SOptionViewState s = optionViewState(in);
    EXPECT_TRUE(s.opacity && s.name && s.nameEditable && s.brushDropDown && s.qz5Options);
    EXPECT_TRUE(s.newEnabled && !s.deleteEnabled);
    EXPECT_EQ(s.radiusUnit, QStringLiteral("px"));
    EXPECT_EQ(s.caption, QStringLiteral("鉛筆"));
    EXPECT_TRUE(s.popOption);
    EXPECT_EQ(s.opacityPlace, TOpacityPlace::TopRight);

    // A nib image shows the scale field in percent instead of the radius.
    in.shapeImage = true;
    s = optionViewState(in);
    EXPECT_TRUE(s.shapeScaleField && !s.radiusField);
    EXPECT_EQ(s.radiusUnit, QStringLiteral("%"));

    // A free transform leaves only its rows, and names the view after itself.
    in.freeTransform = true;
    s = optionViewState(in);
    EXPECT_TRUE(s.transformRows && s.othersDisabled);
    EXPECT_FALSE(s.opacity || s.name || s.brushDropDown || s.antiAlias || s.aspectRotation);
    EXPECT_EQ(s.caption, QStringLiteral("自由変形"));
}

TEST(ToolFormOptionsModel, EachToolClassShowsItsOwnRows)
{
    struct Case
    {
        D detail;
        bool opacity, tolerance, gradient, moveOK, squareCenter, popOption, qz5;
    };
    const Case cases[] = {
        {D::tdSeedFill, true, true, false, false, false, false, false},
        {D::tdMagicWand, false, true, false, false, false, false, false},
        {D::tdGradient, true, false, true, false, false, true, false},
        {D::tdSelectEllipse, false, false, false, true, true, false, false},
        {D::tdFillRectangle, true, false, false, false, true, false, false},
        {D::tdLayerMove, false, false, false, true, false, false, false},
        {D::tdPencil4, false, false, false, false, false, true, false},
        {D::tdPencil1, false, false, false, false, false, false, false},
    };
    for (const Case &c : cases)
    {
        SOptionViewInput in;
        in.detail = c.detail;
        const SOptionViewState s = optionViewState(in);
        EXPECT_EQ(s.opacity, c.opacity) << int(c.detail);
        EXPECT_EQ(s.tolerance, c.tolerance) << int(c.detail);
        EXPECT_EQ(s.gradientControls, c.gradient) << int(c.detail);
        EXPECT_EQ(s.moveOK, c.moveOK) << int(c.detail);
        EXPECT_EQ(s.squareCenter, c.squareCenter) << int(c.detail);
        EXPECT_EQ(s.popOption, c.popOption) << int(c.detail);
        EXPECT_EQ(s.qz5Options, c.qz5) << int(c.detail);
    }
}

TEST(ToolFormOptionsModel, ALegacyBrushHasAReadOnlyNameAndNoItemButtons)
{
    SOptionViewInput in;
    in.detail = D::tdPencil1;
    in.brushLevel = TPaintLevel::pl1;
    in.support = getSupportParams(TPaintMode::pmPencil1);
    const SOptionViewState s = optionViewState(in);
    EXPECT_TRUE(s.name);
    EXPECT_FALSE(s.nameEditable);
    EXPECT_FALSE(s.itemButtons);
    EXPECT_FALSE(s.qz5Options);
}
