#include "windows/toolform/tool_tables.h"

#include "paint/brush/paint_modes.h"

namespace {

using D = TToolDetail;
using K = TToolKind;
using G = TqZGlyphType;

constexpr std::array<SToolDetailRow, kToolDetailCount> kDetails = {{
    {D::tdPencil5, K::tkPencil, G::qgPencil5, true},
    {D::tdPencil4, K::tkPencil, G::qgPencil4, true},
    {D::tdPencil1, K::tkPencil, G::qgPencil1, true},
    {D::tdEraser5, K::tkEraser, G::qgEraser5, true},
    {D::tdSeedEraser, K::tkEraser, G::qgSeedEraser, true},
    {D::tdEraser4, K::tkEraser, G::qgEraser4, true},
    {D::tdEraser1, K::tkEraser, G::qgEraser1, true},
    {D::tdWaterColor5, K::tkWaterColor, G::qgWaterColor5, true},
    {D::tdWaterColor4, K::tkWaterColor, G::qgWaterColor4, true},
    {D::tdWaterColor1, K::tkWaterColor, G::qgWaterColor1, true},
    {D::tdAirBrush5, K::tkAirBrush, G::qgAirBrush5, true},
    {D::tdAirBrush4, K::tkAirBrush, G::qgAirBrush4, true},
    {D::tdAirBrush1, K::tkAirBrush, G::qgAirBrush1, true},
    {D::tdBlur4, K::tkBlurFinger, G::qgBlur4, true},
    {D::tdFingerTip4, K::tkBlurFinger, G::qgFingertip4, true},
    {D::tdSpread4, K::tkBlurFinger, G::qgSpread4, true},
    {D::tdBlur1, K::tkBlurFinger, G::qgBlur1, true},
    {D::tdFingerTip1, K::tkBlurFinger, G::qgFingertip1, true},
    {D::tdBurn4, K::tkBurnDodge, G::qgBurn4, true},
    {D::tdDodge4, K::tkBurnDodge, G::qgDodge4, true},
    {D::tdBurn1, K::tkBurnDodge, G::qgBurn1, true},
    {D::tdDodge1, K::tkBurnDodge, G::qgDodge1, true},
    {D::tdFillRectangle, K::tkFillFigure, G::qgFillRectangle, true},
    {D::tdFillEllipse, K::tkFillFigure, G::qgFillEllipse, true},
    {D::tdFillPolygon, K::tkFillFigure, G::qgFillPolygon, true},
    {D::tdFillLasso, K::tkFillFigure, G::qgFillLasso, true},
    {D::tdSeedFill, K::tkFillGradient, G::qgSeedFill, true},
    {D::tdGradient, K::tkFillGradient, G::qgGradient, true},
    {D::tdSelectRectangle, K::tkSelect, G::qgSelectRectangle, false},
    {D::tdSelectEllipse, K::tkSelect, G::qgSelectEllipse, false},
    {D::tdSelectPolygon, K::tkSelect, G::qgSelectPolygon, false},
    {D::tdSelectLasso, K::tkSelect, G::qgSelectLasso, false},
    {D::tdMagicWand, K::tkMagicWand, G::qgMagicWand, false},
    {D::tdLayerMove, K::tkLayerMove, G::qgMoveLayer, false},
    {D::tdLayerMoveWithSelection, K::tkLayerMove, G::qgMoveLayerWithSelection, false},
    {D::tdFillText, K::tkText, G::qgFillText, true},
    {D::tdSelectText, K::tkText, G::qgSelectText, false},
    {D::tdTrim, K::tkTrim, G::qgCrop, false},
    {D::tdSpuit, K::tkSpuit, G::qgSpuit, false},
    {D::tdGrabberPosition, K::tkGrabber, G::qgGrabber, false},
    {D::tdGrabberRotation, K::tkGrabber, G::qgDegree, false},
    {D::tdZoom, K::tkZoom, G::qgZoom, false},
}};

constexpr bool detailsInOrder()
{
    for (int i = 0; i < kToolDetailCount; ++i)
        if (int(kDetails[size_t(i)].detail) != i)
            return false;
    return true;
}
static_assert(detailsInOrder());

constexpr SToolMenuItem kPencilMenu[] = {
    {"鉛筆", D::tdPencil5}, {"-", D::tdPencil5}, {"鉛筆 - 4互換", D::tdPencil4},
    {"-", D::tdPencil5}, {"鉛筆 - 3互換", D::tdPencil1}};
constexpr SToolMenuItem kEraserMenu[] = {{"消しゴム", D::tdEraser5},
                                         {"マジック消しゴム", D::tdSeedEraser},
                                         {"-", D::tdEraser5},
                                         {"消しゴム - 4互換", D::tdEraser4},
                                         {"-", D::tdEraser5},
                                         {"消しゴム - 3互換", D::tdEraser1}};
constexpr SToolMenuItem kWaterColorMenu[] = {
    {"透明水彩", D::tdWaterColor5}, {"-", D::tdWaterColor5},
    {"透明水彩 - 4互換", D::tdWaterColor4}, {"-", D::tdWaterColor5},
    {"透明水彩 - 3互換", D::tdWaterColor1}};
constexpr SToolMenuItem kAirBrushMenu[] = {
    {"エアーブラシ", D::tdAirBrush5}, {"-", D::tdAirBrush5},
    {"エアーブラシ - 4互換", D::tdAirBrush4}, {"-", D::tdAirBrush5},
    {"エアーブラシ - 3互換", D::tdAirBrush1}};
constexpr SToolMenuItem kBlurFingerMenu[] = {
    {"ぼかし", D::tdBlur4},        {"指先", D::tdFingerTip4},
    {"のばし", D::tdSpread4},      {"-", D::tdBlur4},
    {"ぼかし - 3互換", D::tdBlur1}, {"指先 - 3互換", D::tdFingerTip1}};
constexpr SToolMenuItem kBurnDodgeMenu[] = {{"焼き込み", D::tdBurn4},
                                            {"覆い焼き", D::tdDodge4},
                                            {"-", D::tdBurn4},
                                            {"焼き込み - 3互換", D::tdBurn1},
                                            {"覆い焼き - 3互換", D::tdDodge1}};
constexpr SToolMenuItem kFillFigureMenu[] = {{"矩形塗りつぶし", D::tdFillRectangle},
                                             {"楕円塗りつぶし", D::tdFillEllipse},
                                             {"多角形塗りつぶし", D::tdFillPolygon},
                                             {"自由塗りつぶし", D::tdFillLasso}};
constexpr SToolMenuItem kFillGradientMenu[] = {{"塗りつぶし", D::tdSeedFill},
                                               {"グラデーション", D::tdGradient}};
constexpr SToolMenuItem kSelectMenu[] = {{"矩形選択", D::tdSelectRectangle},
                                         {"楕円選択", D::tdSelectEllipse},
                                         {"多角形選択", D::tdSelectPolygon},
                                         {"自由選択", D::tdSelectLasso}};
constexpr SToolMenuItem kLayerMoveMenu[] = {
    {"レイヤ移動", D::tdLayerMove}, {"レイヤ移動(選択範囲追随)", D::tdLayerMoveWithSelection}};
constexpr SToolMenuItem kTextMenu[] = {{"文字描画", D::tdFillText}, {"文字選択", D::tdSelectText}};

const std::array<SToolButtonRow, kToolKindCount> kButtons = {{
    {K::tkPencil, {1, 2, 28, 23}, G::qgPencil5, "鉛筆", kPencilMenu, true},
    {K::tkEraser, {28, 2, 55, 23}, G::qgEraser5, "消しゴム", kEraserMenu, true},
    {K::tkWaterColor, {1, 23, 28, 44}, G::qgWaterColor5, "透明水彩", kWaterColorMenu, true},
    {K::tkAirBrush, {28, 23, 55, 44}, G::qgAirBrush5, "エアーブラシ", kAirBrushMenu, true},
    {K::tkBlurFinger, {1, 44, 28, 65}, G::qgBlur4, "ぼかし / 指先 / のばし", kBlurFingerMenu, true},
    {K::tkBurnDodge, {28, 44, 55, 65}, G::qgBurn4, "焼き込み / 覆い焼き", kBurnDodgeMenu, true},
    {K::tkFillFigure, {1, 71, 28, 92}, G::qgFillRectangle, "図形塗りつぶし", kFillFigureMenu, false},
    {K::tkFillGradient, {28, 71, 55, 92}, G::qgSeedFill, "塗りつぶし / グラデーション",
     kFillGradientMenu, false},
    {K::tkSelect, {1, 92, 28, 113}, G::qgSelectRectangle, "選択", kSelectMenu, false},
    {K::tkMagicWand, {28, 92, 55, 113}, G::qgMagicWand, "自動選択", {}, false},
    {K::tkLayerMove, {1, 113, 28, 134}, G::qgMoveLayer, "レイヤ移動", kLayerMoveMenu, false},
    {K::tkText, {28, 113, 55, 134}, G::qgFillText, "文字", kTextMenu, false},
    {K::tkTrim, {1, 140, 28, 161}, G::qgCrop, "切り抜き", {}, false},
    {K::tkSpuit, {28, 140, 55, 161}, G::qgSpuit, "スポイト", {}, false},
    {K::tkGrabber, {1, 161, 28, 182}, G::qgGrabber, "手のひら", {}, false},
    {K::tkZoom, {28, 161, 55, 182}, G::qgZoom, "ズーム", {}, false},
}};

} // namespace

const std::array<SToolDetailRow, kToolDetailCount> &toolDetailRows()
{
    return kDetails;
}

TToolKind toolDetailToToolKind(TToolDetail detail)
{
    return int(detail) < kToolDetailCount ? kDetails[size_t(detail)].kind : TToolKind::tkPencil;
}

bool toolDetailHasOpacity(TToolDetail detail)
{
    return int(detail) < kToolDetailCount && kDetails[size_t(detail)].opacity;
}

std::array<TToolDetail, kToolKindCount> initialLastTools()
{
    return {D::tdPencil5,       D::tdEraser5,   D::tdWaterColor5,     D::tdAirBrush5,
            D::tdBlur4,         D::tdBurn4,     D::tdFillRectangle,   D::tdSeedFill,
            D::tdSelectRectangle, D::tdMagicWand, D::tdLayerMove,    D::tdFillText,
            D::tdTrim,          D::tdSpuit,     D::tdGrabberPosition, D::tdZoom};
}

const std::array<SToolButtonRow, kToolKindCount> &toolButtonRows()
{
    return kButtons;
}

bool isMenuSeparator(const SToolMenuItem &item)
{
    return item.caption[0] == '-' && item.caption[1] == 0;
}

SToolKeyCommand toolKeyCommand(int32_t command)
{
    using A = TToolKeyAction;
    struct SToolRange
    {
        int32_t first, last;
        K kind;
    };
    // Tool commands come in blocks of 16 with the variant in the low bits; only the listed
    // variants belong to the tool window.
    static constexpr SToolRange kToolCommands[] = {
        {512, 514, K::tkPencil},       {528, 531, K::tkEraser},     {544, 545, K::tkWaterColor},
        {547, 547, K::tkWaterColor},   {560, 562, K::tkAirBrush},   {576, 577, K::tkBlurFinger},
        {592, 593, K::tkBlurFinger},   {608, 608, K::tkBlurFinger}, {624, 625, K::tkBurnDodge},
        {640, 641, K::tkBurnDodge},    {656, 659, K::tkFillFigure}, {672, 673, K::tkFillGradient},
        {688, 691, K::tkSelect},       {704, 704, K::tkMagicWand},  {720, 721, K::tkLayerMove},
        {736, 737, K::tkText},         {752, 752, K::tkTrim},       {768, 768, K::tkSpuit},
        {784, 784, K::tkGrabber},      {800, 800, K::tkZoom},
    };
    for (const SToolRange &r : kToolCommands)
        if (command >= r.first && command <= r.last)
            return {A::SelectTool, r.kind, 0};
    if (command == 816)
        return {A::ExchangeColors};
    if (command >= 1344 && command <= 1353)
        return {A::ToolDensity, K::tkPencil, (command - 1343) * 10};
    switch (command)
    {
    case 1354: return {A::BrushStep, K::tkPencil, -1};
    case 1355: return {A::BrushStep, K::tkPencil, 1};
    case 1356: return {A::NibSizeNext};
    case 1357: return {A::NibSizePrev};
    case 1360: return {A::LayerUp};
    case 1361: return {A::LayerDown};
    case 1362: return {A::SelectLayerAbove};
    case 1363: return {A::SelectLayerBelow};
    default: return {};
    }
}

int32_t standardToolCursor(TToolSubKind kind)
{
    using S = TToolSubKind;
    switch (kind)
    {
    case S::tskSeedFill: return 21;
    case S::tskSeedErase: return 13;
    case S::tskMagicWand: return 22;
    case S::tskLayerDragMove:
    case S::tskLayerKeyMove:
    case S::tskLayerDragMoveWithSelection:
    case S::tskLayerKeyMoveWithSelection: return 26;
    case S::tskFillText:
    case S::tskSelectText: return 27;
    case S::tskSpuitForeground: return 28;
    case S::tskGrabberPosition:
    case S::tskGrabberRotation: return 31;
    case S::tskZoomIn: return 32;
    case S::tskZoomOut: return 33;
    default: return 5;
    }
}

int32_t standardBrushCursor(TPaintMode mode)
{
    using P = TPaintMode;
    switch (mode)
    {
    case P::pmPencil1: case P::pmPencil4: case P::pmPencil5: return 12;
    case P::pmEraser1: case P::pmEraser4: case P::pmEraser5: return 13;
    case P::pmWaterColor1: case P::pmWaterColor4: case P::pmWaterColor5: return 14;
    case P::pmAirBrush1: case P::pmAirBrush4: case P::pmAirBrush5: return 15;
    case P::pmBlur1: case P::pmBlur2: case P::pmBlur4: return 16;
    case P::pmFingerTip1: case P::pmFingerTip4: return 17;
    case P::pmSpread4: return 18;
    case P::pmBurn1: case P::pmBurn4: return 19;
    case P::pmDodge1: case P::pmDodge4: return 20;
    }
    return 12;
}
