#include "core/profile/tool_kinds.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using enum TToolDetail;
using enum TToolSubKind;
using enum TPaintMode;
using enum TToolMode;

TToolDetail detailAt(int i)
{
    return static_cast<TToolDetail>(i);
}

// The palette as its buttons are laid out: per group, the sub-kind of every position in order;
// tskNone marks an empty position.
const std::vector<std::vector<TToolSubKind>> kPalette = {
    {tskDrawLocus},
    {tskZoomIn, tskZoomOut},
    {tskSpuitForeground},
    {tskGrabberPosition, tskGrabberRotation, tskChangePenSize},
    {tskNone, tskNone, tskSeedFill, tskMagicWand, tskSeedErase},
    {tskLayerDragMove, tskSelectDragMove, tskLayerDragMoveWithSelection, tskGradient, tskTrim,
     tskNone, tskLayerKeyMove, tskSelectKeyMove, tskLayerKeyMoveWithSelection},
    {tskDrawRectangle, tskDrawPolygon, tskDrawEllipse, tskDrawLine, tskDrawMultiLine, tskDrawCurve},
    {tskFillRectangle, tskFillPolygon, tskFillEllipse, tskFillLasso},
    {tskSelectRectangle, tskSelectPolygon, tskSelectEllipse, tskSelectLasso},
    {tskFillText, tskSelectText},
};

} // namespace

TEST(ToolKinds, PaletteLayoutAndItsInverse)
{
    for (int g = 0; g < kToolGroupCount; ++g) {
        for (int pos = 0; pos < kToolGroupPositions; ++pos) {
            const auto &row = kPalette[g];
            const TToolSubKind want = pos < int(row.size()) ? row[pos] : tskNone;
            const TToolSubKind got = toolSubKindAt(g, pos);
            EXPECT_EQ(got, want) << "group " << g << " position " << pos;
            if (got != tskNone) {
                EXPECT_EQ(toolSubKindGroup(got), g);
                EXPECT_EQ(toolSubKindIndex(got), pos);
            }
        }
    }
    EXPECT_EQ(toolSubKindAt(4, 0), tskNone);
    EXPECT_EQ(toolSubKindAt(5, 9), tskNone);
    EXPECT_EQ(toolSubKindAt(-1, 0), tskNone);
    EXPECT_EQ(toolSubKindAt(10, 0), tskNone);
    // The transform kinds have indices in group 5 but no button.
    EXPECT_EQ(toolSubKindGroup(tskTransformSelection), 5);
    EXPECT_EQ(toolSubKindIndex(tskTransformSelection), 9);
    EXPECT_EQ(toolSubKindIndex(tskTransformSelectionWithLayer), 11);
    EXPECT_EQ(toolSubKindGroup(tskNone), 255);
    EXPECT_EQ(toolSubKindIndex(static_cast<TToolSubKind>(37)), 255);
}

TEST(ToolKinds, PositionInsideOneGroup)
{
    using IndexFn = bool (*)(int &, TToolSubKind);
    struct Case
    {
        const char *fn;
        IndexFn index;
        TToolSubKind kind;
        int want; // -1: not in the group
    };
    const Case cases[] = {
        {"figureDraw", figureDrawIndex, tskDrawRectangle, 0},
        {"figureDraw", figureDrawIndex, tskDrawPolygon, 1},
        {"figureDraw", figureDrawIndex, tskDrawEllipse, 2},
        {"figureDraw", figureDrawIndex, tskDrawCurve, 5},
        {"figureDraw", figureDrawIndex, tskDrawLocus, -1},
        {"seedTool", seedToolIndex, tskSeedFill, 2},
        {"seedTool", seedToolIndex, tskMagicWand, 3},
        {"seedTool", seedToolIndex, tskSeedErase, 4},
        {"seedTool", seedToolIndex, tskFillLasso, -1},
        {"moveTool", moveToolIndex, tskGradient, 3},
        {"moveTool", moveToolIndex, tskTrim, 4},
        {"moveTool", moveToolIndex, tskLayerKeyMoveWithSelection, 8},
        {"moveTool", moveToolIndex, tskTransformLayer, 10},
        {"moveTool", moveToolIndex, tskZoomIn, -1},
        {"figureFill", figureFillIndex, tskFillPolygon, 1},
        {"figureFill", figureFillIndex, tskFillEllipse, 2},
        {"figureFill", figureFillIndex, tskSelectEllipse, -1},
        {"selectShape", selectShapeIndex, tskSelectPolygon, 1},
        {"selectShape", selectShapeIndex, tskSelectLasso, 3},
        {"selectShape", selectShapeIndex, tskFillRectangle, -1},
        {"grabberTool", grabberToolIndex, tskChangePenSize, 2},
        {"grabberTool", grabberToolIndex, tskGrabberRotation, 1},
        {"grabberTool", grabberToolIndex, tskNone, -1},
    };
    for (const Case &c : cases) {
        int index = 77;
        const bool found = c.index(index, c.kind);
        EXPECT_EQ(found, c.want >= 0) << c.fn << " " << int(c.kind);
        EXPECT_EQ(index, c.want >= 0 ? c.want : 77) << c.fn << " " << int(c.kind);
    }
}

TEST(ToolKinds, GroupsThatAlterTheDocument)
{
    const bool alters[kToolGroupCount] = {true, false, false, false, true,
                                          true, true,  true,  true,  true};
    for (int g = 0; g < kToolGroupCount; ++g)
        EXPECT_EQ(groupAltersDocument(g), alters[g]) << g;
    EXPECT_FALSE(groupAltersDocument(-1));
    EXPECT_FALSE(groupAltersDocument(10));
}

// Every engine has one tool, and every painting tool one engine; pmBlur2 borrows tdBlur1's.
TEST(ToolKinds, PaintModesAndToolDetailsMapBothWays)
{
    int painting = 0;
    for (int i = 0; i < kToolDetailCount; ++i) {
        TPaintMode mode = pmDodge4;
        if (!toolDetailToPaintMode(detailAt(i), mode)) {
            EXPECT_EQ(mode, pmDodge4) << "mode left unchanged, detail " << i;
            continue;
        }
        ++painting;
        EXPECT_EQ(paintModeToToolDetail(mode), detailAt(i)) << i;
        EXPECT_EQ(toolDetailToToolSubKind(detailAt(i)), tskDrawLocus) << i;
        EXPECT_EQ(toolDetailToToolMode(detailAt(i)), TOOL_PEN) << i;
    }
    EXPECT_EQ(painting, 21);
    for (int m = 0; m < kPaintModeCount; ++m) {
        const auto mode = static_cast<TPaintMode>(m);
        TPaintMode back = pmPencil1;
        ASSERT_TRUE(toolDetailToPaintMode(paintModeToToolDetail(mode), back)) << m;
        EXPECT_EQ(back, mode == pmBlur2 ? pmBlur1 : mode) << m;
    }
    TPaintMode mode = pmPencil5;
    for (TToolDetail none : {tdSeedEraser, tdGradient, tdZoom, detailAt(42)})
        EXPECT_FALSE(toolDetailToPaintMode(none, mode)) << int(none);
    EXPECT_TRUE(toolDetailToPaintMode(tdBlur1, mode));
    EXPECT_EQ(mode, pmBlur1);
    EXPECT_EQ(paintModeToToolDetail(pmBlur2), tdBlur1);
    EXPECT_EQ(paintModeToToolDetail(pmSpread4), tdSpread4);
    EXPECT_EQ(int(paintModeToToolDetail(static_cast<TPaintMode>(22))), 255);
}

TEST(ToolKinds, ToolsThatDoNotPaintStartOnTheirOwnSubKindAndMode)
{
    struct Case
    {
        TToolDetail detail;
        TToolSubKind kind;
        TToolMode mode;
    };
    const Case cases[] = {
        {tdSeedEraser, tskSeedErase, TOOL_PEN},
        {tdFillEllipse, tskFillEllipse, TOOL_AREAFILL},
        {tdSeedFill, tskSeedFill, TOOL_FILL},
        {tdGradient, tskGradient, TOOL_GRAD},
        {tdSelectEllipse, tskSelectEllipse, TOOL_SELECT},
        {tdSelectPolygon, tskSelectPolygon, TOOL_FREESEL},
        {tdMagicWand, tskMagicWand, TOOL_WAND},
        {tdLayerMoveWithSelection, tskLayerDragMoveWithSelection, TOOL_MOVE},
        {tdSelectText, tskSelectText, TOOL_TEXTSEL},
        {tdTrim, tskTrim, TOOL_CROP},
        {tdSpuit, tskSpuitForeground, TOOL_SPOIT},
        {tdGrabberPosition, tskGrabberPosition, TOOL_HAND},
        {tdGrabberRotation, tskGrabberRotation, TOOL_ROT},
        {tdZoom, tskZoomIn, TOOL_ZOOMIN},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(toolDetailToToolSubKind(c.detail), c.kind) << int(c.detail);
        EXPECT_EQ(toolDetailToToolMode(c.detail), c.mode) << int(c.detail);
    }
    EXPECT_EQ(toolDetailToToolSubKind(detailAt(42)), tskNone);
    EXPECT_EQ(int(toolDetailToToolMode(detailAt(255))), 255);
}

TEST(ToolKinds, SubPaintModesShareTheSubKindNumbers)
{
    for (int i = 0; i < kSubPaintModeCount; ++i)
        EXPECT_EQ(int(subPaintModeToToolSubKind(static_cast<TSubPaintMode>(i))), i);
    EXPECT_EQ(subPaintModeToToolSubKind(TSubPaintMode::spmDrawPolygon), tskDrawPolygon);
    EXPECT_EQ(subPaintModeToToolSubKind(static_cast<TSubPaintMode>(7)), tskNone);
}

TEST(ToolKinds, Captions)
{
    struct Case
    {
        TToolDetail detail;
        const char *caption;
    };
    const Case cases[] = {
        {tdPencil5, "鉛筆"},
        {tdPencil4, "鉛筆 - 4互換"},
        {tdEraser1, "消しゴム - 3互換"},
        {tdBlur4, "ぼかし"},
        {tdBlur1, "ぼかし - 3互換"},
        {tdDodge1, "覆い焼き - 3互換"},
        {tdLayerMoveWithSelection, "レイヤ移動(選択範囲追随)"},
        {tdGrabberPosition, "手のひら"},
        {tdGrabberRotation, "手のひら"},
        {tdZoom, "ズーム"},
    };
    for (const Case &c : cases) {
        QString text;
        toolDetailCaption(c.detail, text);
        EXPECT_EQ(text, QString::fromUtf8(c.caption)) << int(c.detail);
    }
    const char *const subModes[kSubPaintModeCount] = {
        "フリーハンド", "単線描画", "曲線描画", "複線描画", "矩形描画", "楕円描画", "多角形描画",
    };
    for (int i = 0; i < kSubPaintModeCount; ++i) {
        QString text;
        subPaintModeCaption(static_cast<TSubPaintMode>(i), text);
        EXPECT_EQ(text, QString::fromUtf8(subModes[i])) << i;
    }
    QString kept = QStringLiteral("kept");
    subPaintModeCaption(static_cast<TSubPaintMode>(7), kept);
    toolDetailCaption(detailAt(42), kept);
    EXPECT_EQ(kept, QStringLiteral("kept"));
}
