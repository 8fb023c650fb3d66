#include "app/shortcuts/shortcut_table.h"

#include "platform/system/environment.h"
#include "shortcut_test_support.h"

#include <gtest/gtest.h>

#include <set>

using enum TShortCutMainType;
using enum TShortCutSubType;
using enum TToolDetail;

TEST(ShortCutTable, RowsFallIntoTheirGroupAndCategoryByRowNumber)
{
    static_assert(kShortCutRowCount == 245);
    EXPECT_EQ(gShortCutCommands[0].command, 0);
    const struct
    {
        int row;
        TShortCutMainType main;
        TShortCutSubType sub;
    } cases[] = {
        {0, smMenu, sbOther},       {1, smMenu, sbFile},     {17, smMenu, sbFile},
        {18, smMenu, sbEdit},       {174, smMenu, sbWindow}, {175, smMenu, sbHelp},
        {177, smMenu, sbHelp},      {178, smTool, sbPencil}, {184, smTool, sbEraser},
        {210, smTool, sbMagicWand}, {218, smTool, sbZoom},   {219, smTool, sbExchange},
        {220, smEtc, sbOther},      {244, smEtc, sbOther},   {245, smOther, sbOther},
        {-1, smOther, sbOther},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(shortCutMainTypeOfRow(c.row), c.main) << c.row;
        EXPECT_EQ(shortCutSubTypeOfRow(c.row), c.sub) << c.row;
    }
}

TEST(ShortCutTable, CommandsAreUniqueAndLieInTheirGroupsRanges)
{
    std::set<int> seen;
    for (int row = 1; row <= kLastCommandRow; ++row) {
        const int command = gShortCutCommands[size_t(row)].command;
        EXPECT_TRUE(seen.insert(command).second) << "command " << command << " twice";
        EXPECT_EQ(shortCutRowOfCommand(command), row);
        EXPECT_FALSE(shortCutCommandName(row).isEmpty()) << row;
        switch (shortCutMainTypeOfRow(row)) {
        case smMenu:
            EXPECT_LT(command, 512) << row;
            // Each menu's range begins at a multiple of 16.
            if (shortCutSubTypeOfRow(row) != shortCutSubTypeOfRow(row - 1)) {
                EXPECT_EQ(command % 16, 0) << row;
            }
            break;
        case smTool:
            EXPECT_GE(command, 512) << row;
            EXPECT_LE(command, 816) << row;
            break;
        default:
            EXPECT_GE(command, 1280) << row;
            break;
        }
    }
    EXPECT_EQ(shortCutRowOfCommand(0), -1);
    EXPECT_EQ(shortCutRowOfCommand(33), -1);
}

TEST(ShortCutTable, EveryToolDetailHasItsToolsCommand)
{
    const std::array<uint16_t, kToolDetailCount> expected = {
        512, 513, 514, 528, 531, 529, 530, 544, 545, 547, 560, 561, 562, 576,
        592, 608, 577, 593, 624, 640, 625, 641, 656, 657, 658, 659, 672, 673,
        688, 689, 690, 691, 704, 720, 721, 736, 737, 752, 768, 784, 784, 800,
    };
    EXPECT_EQ(gToolDetailCommands, expected);
    EXPECT_EQ(gToolDetailCommands[size_t(tdGrabberRotation)], 784);
    EXPECT_EQ(gToolDetailCommands[size_t(tdSeedEraser)], 531);
    // Each detail's command is a tool row of its kind's category.
    const TToolKind kindOfDetail[kToolDetailCount] = {
        TToolKind::tkPencil,       TToolKind::tkPencil,     TToolKind::tkPencil,
        TToolKind::tkEraser,       TToolKind::tkEraser,     TToolKind::tkEraser,
        TToolKind::tkEraser,       TToolKind::tkWaterColor, TToolKind::tkWaterColor,
        TToolKind::tkWaterColor,   TToolKind::tkAirBrush,   TToolKind::tkAirBrush,
        TToolKind::tkAirBrush,     TToolKind::tkBlurFinger, TToolKind::tkBlurFinger,
        TToolKind::tkBlurFinger,   TToolKind::tkBlurFinger, TToolKind::tkBlurFinger,
        TToolKind::tkBurnDodge,    TToolKind::tkBurnDodge,  TToolKind::tkBurnDodge,
        TToolKind::tkBurnDodge,    TToolKind::tkFillFigure, TToolKind::tkFillFigure,
        TToolKind::tkFillFigure,   TToolKind::tkFillFigure, TToolKind::tkFillGradient,
        TToolKind::tkFillGradient, TToolKind::tkSelect,     TToolKind::tkSelect,
        TToolKind::tkSelect,       TToolKind::tkSelect,     TToolKind::tkMagicWand,
        TToolKind::tkLayerMove,    TToolKind::tkLayerMove,  TToolKind::tkText,
        TToolKind::tkText,         TToolKind::tkTrim,       TToolKind::tkSpuit,
        TToolKind::tkGrabber,      TToolKind::tkGrabber,    TToolKind::tkZoom,
    };
    for (int d = 0; d < kToolDetailCount; ++d) {
        const int row = shortCutRowOfCommand(gToolDetailCommands[size_t(d)]);
        EXPECT_EQ(shortCutMainTypeOfRow(row), smTool) << d;
        EXPECT_EQ(shortCutSubTypeOfRow(row), gToolKindSubTypes[size_t(kindOfDetail[d])]) << d;
    }
}

TEST(ShortCutTable, NamesAreTheProgramsOwn)
{
    const struct
    {
        int command;
        QString name;
    } cases[] = {
        {16, "新規作成"},
        {94, "表示レイヤの結合"},
        {95, "表示レイヤと背景を統合"},
        {257, "ドキュメント - 左右に並べて表示"},
        {258, "ドキュメント - 上下に並べて表示"},
        {1312, "前のドキュメントを選択"},
        {1313, "次のドキュメントを選択"},
        {816, "前景色・背景色の切り替え"},
        {289, gAppTitle + " Online"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(shortCutCommandName(shortCutRowOfCommand(c.command)), c.name) << c.command;
    EXPECT_EQ(shortCutCommandName(0), QString());
    EXPECT_EQ(shortCutCommandName(245), QString());

    EXPECT_EQ(shortCutMainTypeName(smMenu), "メニュー");
    EXPECT_EQ(shortCutMainTypeName(smEtc), "その他");
    EXPECT_EQ(shortCutMainTypeName(smOther), QString());
    EXPECT_EQ(shortCutSubTypeName(sbFile), "ファイル");
    EXPECT_EQ(shortCutSubTypeName(sbWatorColor), "透明水彩グループ");
    EXPECT_EQ(shortCutSubTypeName(sbExchange), "前景色・背景色の切り替え");
    EXPECT_EQ(shortCutSubTypeName(sbOther), QString());
}
