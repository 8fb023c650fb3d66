#include "core/profile/tool_kinds.h"

#include <array>

namespace {

using enum TToolDetail;
using enum TToolSubKind;
using enum TPaintMode;
using enum TToolMode;

// A tool detail's row: its engine (when it paints with a brush), the sub-kind it starts with, the
// older tool mode, and its caption with the suffix of an older engine.
struct SToolDetailRow
{
    bool paints;
    TPaintMode paintMode;
    TToolSubKind subKind;
    TToolMode toolMode;
    const char16_t *caption;
    const char16_t *suffix; // nullptr: none
};

constexpr const char16_t *k4 = u"4互換";
constexpr const char16_t *k3 = u"3互換";

constexpr std::array<SToolDetailRow, kToolDetailCount> kToolDetails = {{
    {true, pmPencil5, tskDrawLocus, TOOL_PEN, u"鉛筆", nullptr},
    {true, pmPencil4, tskDrawLocus, TOOL_PEN, u"鉛筆", k4},
    {true, pmPencil1, tskDrawLocus, TOOL_PEN, u"鉛筆", k3},
    {true, pmEraser5, tskDrawLocus, TOOL_PEN, u"消しゴム", nullptr},
    {false, pmPencil1, tskSeedErase, TOOL_PEN, u"マジック消しゴム", nullptr},
    {true, pmEraser4, tskDrawLocus, TOOL_PEN, u"消しゴム", k4},
    {true, pmEraser1, tskDrawLocus, TOOL_PEN, u"消しゴム", k3},
    {true, pmWaterColor5, tskDrawLocus, TOOL_PEN, u"透明水彩", nullptr},
    {true, pmWaterColor4, tskDrawLocus, TOOL_PEN, u"透明水彩", k4},
    {true, pmWaterColor1, tskDrawLocus, TOOL_PEN, u"透明水彩", k3},
    {true, pmAirBrush5, tskDrawLocus, TOOL_PEN, u"エアーブラシ", nullptr},
    {true, pmAirBrush4, tskDrawLocus, TOOL_PEN, u"エアーブラシ", k4},
    {true, pmAirBrush1, tskDrawLocus, TOOL_PEN, u"エアーブラシ", k3},
    {true, pmBlur4, tskDrawLocus, TOOL_PEN, u"ぼかし", nullptr},
    {true, pmFingerTip4, tskDrawLocus, TOOL_PEN, u"指先", nullptr},
    {true, pmSpread4, tskDrawLocus, TOOL_PEN, u"のばし", nullptr},
    {true, pmBlur1, tskDrawLocus, TOOL_PEN, u"ぼかし", k3},
    {true, pmFingerTip1, tskDrawLocus, TOOL_PEN, u"指先", k3},
    {true, pmBurn4, tskDrawLocus, TOOL_PEN, u"焼き込み", nullptr},
    {true, pmDodge4, tskDrawLocus, TOOL_PEN, u"覆い焼き", nullptr},
    {true, pmBurn1, tskDrawLocus, TOOL_PEN, u"焼き込み", k3},
    {true, pmDodge1, tskDrawLocus, TOOL_PEN, u"覆い焼き", k3},
    {false, pmPencil1, tskFillRectangle, TOOL_AREAFILL, u"矩形塗りつぶし", nullptr},
    {false, pmPencil1, tskFillEllipse, TOOL_AREAFILL, u"楕円塗りつぶし", nullptr},
    {false, pmPencil1, tskFillPolygon, TOOL_AREAFILL, u"多角形塗りつぶし", nullptr},
    {false, pmPencil1, tskFillLasso, TOOL_AREAFILL, u"自由塗りつぶし", nullptr},
    {false, pmPencil1, tskSeedFill, TOOL_FILL, u"塗りつぶし", nullptr},
    {false, pmPencil1, tskGradient, TOOL_GRAD, u"グラデーション", nullptr},
    {false, pmPencil1, tskSelectRectangle, TOOL_SELECT, u"矩形選択", nullptr},
    {false, pmPencil1, tskSelectEllipse, TOOL_SELECT, u"楕円選択", nullptr},
    {false, pmPencil1, tskSelectPolygon, TOOL_FREESEL, u"多角形選択", nullptr},
    {false, pmPencil1, tskSelectLasso, TOOL_FREESEL, u"自由選択", nullptr},
    {false, pmPencil1, tskMagicWand, TOOL_WAND, u"自動選択", nullptr},
    {false, pmPencil1, tskLayerDragMove, TOOL_MOVE, u"レイヤ移動", nullptr},
    {false, pmPencil1, tskLayerDragMoveWithSelection, TOOL_MOVE, u"レイヤ移動(選択範囲追随)",
     nullptr},
    {false, pmPencil1, tskFillText, TOOL_TEXT, u"文字描画", nullptr},
    {false, pmPencil1, tskSelectText, TOOL_TEXTSEL, u"文字選択", nullptr},
    {false, pmPencil1, tskTrim, TOOL_CROP, u"切り抜き", nullptr},
    {false, pmPencil1, tskSpuitForeground, TOOL_SPOIT, u"スポイト", nullptr},
    {false, pmPencil1, tskGrabberPosition, TOOL_HAND, u"手のひら", nullptr},
    {false, pmPencil1, tskGrabberRotation, TOOL_ROT, u"手のひら", nullptr},
    {false, pmPencil1, tskZoomIn, TOOL_ZOOMIN, u"ズーム", nullptr},
}};

constexpr std::array<TToolDetail, kPaintModeCount> kPaintModeTools = {
    tdPencil1,    tdEraser1, tdWaterColor1, tdAirBrush1, tdBlur1,   tdBlur1,
    tdFingerTip1, tdBurn1,   tdDodge1,      tdPencil4,   tdEraser4, tdWaterColor4,
    tdAirBrush4,  tdBlur4,   tdFingerTip4,  tdSpread4,   tdBurn4,   tdDodge4,
    tdPencil5,    tdEraser5, tdWaterColor5, tdAirBrush5,
};

struct SGroupPlace
{
    uint8_t group, index;
};

// Palette group and index of every sub-kind. In group 6 the polygon is at 1 and the ellipse at 2,
// as on the palette's buttons, so that the index is the inverse of toolSubKindAt.
constexpr std::array<SGroupPlace, kToolSubKindCount> kSubKindPlaces = {{
    {0, 0},  // tskDrawLocus
    {6, 3},  // tskDrawLine
    {6, 5},  // tskDrawCurve
    {6, 4},  // tskDrawMultiLine
    {6, 0},  // tskDrawRectangle
    {6, 2},  // tskDrawEllipse
    {6, 1},  // tskDrawPolygon
    {3, 2},  // tskChangePenSize
    {5, 3},  // tskGradient
    {7, 0},  // tskFillRectangle
    {7, 2},  // tskFillEllipse
    {7, 1},  // tskFillPolygon
    {7, 3},  // tskFillLasso
    {4, 2},  // tskSeedFill
    {4, 4},  // tskSeedErase
    {8, 0},  // tskSelectRectangle
    {8, 2},  // tskSelectEllipse
    {8, 1},  // tskSelectPolygon
    {8, 3},  // tskSelectLasso
    {5, 1},  // tskSelectDragMove
    {5, 7},  // tskSelectKeyMove
    {5, 9},  // tskTransformSelection
    {5, 10}, // tskTransformLayer
    {5, 11}, // tskTransformSelectionWithLayer
    {4, 3},  // tskMagicWand
    {5, 0},  // tskLayerDragMove
    {5, 6},  // tskLayerKeyMove
    {5, 2},  // tskLayerDragMoveWithSelection
    {5, 8},  // tskLayerKeyMoveWithSelection
    {9, 0},  // tskFillText
    {9, 1},  // tskSelectText
    {5, 4},  // tskTrim
    {2, 0},  // tskSpuitForeground
    {3, 0},  // tskGrabberPosition
    {3, 1},  // tskGrabberRotation
    {1, 0},  // tskZoomIn
    {1, 1},  // tskZoomOut
}};

constexpr std::array<const char16_t *, kSubPaintModeCount> kSubPaintModeCaptions = {
    u"フリーハンド", u"単線描画", u"曲線描画", u"複線描画", u"矩形描画", u"楕円描画", u"多角形描画",
};

const SToolDetailRow *detailRow(TToolDetail detail)
{
    const auto i = static_cast<size_t>(detail);
    return i < kToolDetails.size() ? &kToolDetails[i] : nullptr;
}

const SGroupPlace *placeOf(TToolSubKind kind)
{
    const auto i = static_cast<size_t>(kind);
    return i < kSubKindPlaces.size() ? &kSubKindPlaces[i] : nullptr;
}

// The transform kinds have an index in group 5 but no button of their own.
bool isPalettePosition(TToolSubKind kind)
{
    return kind != tskTransformSelection && kind != tskTransformLayer &&
           kind != tskTransformSelectionWithLayer;
}

bool indexInGroup(int group, int &index, TToolSubKind kind)
{
    const SGroupPlace *place = placeOf(kind);
    if (!place || place->group != group)
        return false;
    index = place->index;
    return true;
}

QString text16(const char16_t *s)
{
    return QString::fromUtf16(s);
}

} // namespace

bool groupAltersDocument(int group)
{
    return group == 0 || (group >= 4 && group <= 9);
}

TToolDetail paintModeToToolDetail(TPaintMode mode)
{
    const auto i = static_cast<size_t>(mode);
    return i < kPaintModeTools.size() ? kPaintModeTools[i] : static_cast<TToolDetail>(255);
}

TToolSubKind subPaintModeToToolSubKind(TSubPaintMode mode)
{
    const auto i = static_cast<int>(mode);
    return i < kSubPaintModeCount ? static_cast<TToolSubKind>(i) : tskNone;
}

bool toolDetailToPaintMode(TToolDetail detail, TPaintMode &mode)
{
    const SToolDetailRow *row = detailRow(detail);
    if (!row || !row->paints)
        return false;
    mode = row->paintMode;
    return true;
}

TToolSubKind toolDetailToToolSubKind(TToolDetail detail)
{
    const SToolDetailRow *row = detailRow(detail);
    return row ? row->subKind : tskNone;
}

TToolMode toolDetailToToolMode(TToolDetail detail)
{
    const SToolDetailRow *row = detailRow(detail);
    return row ? row->toolMode : static_cast<TToolMode>(255);
}

int toolSubKindGroup(TToolSubKind kind)
{
    const SGroupPlace *place = placeOf(kind);
    return place ? place->group : 255;
}

int toolSubKindIndex(TToolSubKind kind)
{
    const SGroupPlace *place = placeOf(kind);
    return place ? place->index : 255;
}

TToolSubKind toolSubKindAt(int group, int position)
{
    for (size_t i = 0; i < kSubKindPlaces.size(); ++i) {
        const auto kind = static_cast<TToolSubKind>(i);
        const SGroupPlace &place = kSubKindPlaces[i];
        if (place.group == group && place.index == position && isPalettePosition(kind))
            return kind;
    }
    return tskNone;
}

bool figureDrawIndex(int &index, TToolSubKind kind)
{
    return indexInGroup(6, index, kind);
}

bool seedToolIndex(int &index, TToolSubKind kind)
{
    return indexInGroup(4, index, kind);
}

bool moveToolIndex(int &index, TToolSubKind kind)
{
    return indexInGroup(5, index, kind);
}

bool figureFillIndex(int &index, TToolSubKind kind)
{
    return indexInGroup(7, index, kind);
}

bool selectShapeIndex(int &index, TToolSubKind kind)
{
    return indexInGroup(8, index, kind);
}

bool grabberToolIndex(int &index, TToolSubKind kind)
{
    return indexInGroup(3, index, kind);
}

void toolDetailCaption(TToolDetail detail, QString &text)
{
    const SToolDetailRow *row = detailRow(detail);
    if (!row)
        return;
    text = text16(row->caption);
    if (row->suffix)
        text += QStringLiteral(" - ") + text16(row->suffix);
}

void subPaintModeCaption(TSubPaintMode mode, QString &text)
{
    const auto i = static_cast<size_t>(mode);
    if (i < kSubPaintModeCaptions.size())
        text = text16(kSubPaintModeCaptions[i]);
}
