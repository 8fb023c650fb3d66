// What the preset editors decide without a widget: the brush editor's kinds and the brush
// frame's type drop-downs, the stroke options' smoothing level, and the tone and gradient
// editors' arithmetic. The dialogs are thin layers over these.
#pragma once

#include "core/base/geometry.h"
#include "core/profile/tool_kinds.h"
#include "paint/gradient/gradient_stops.h"
#include "paint/tone/tone_maker.h"
#include "ui/controls/gradient_stops_edit.h"

#include <QString>

#include <array>
#include <cstdint>

class TChannel;
class TMTC;

// Brush editor

// What the brush editor is opened for. The create kinds are edited exactly like the edit kinds:
// no procedure sets them, and a dialog without a list would have nothing to apply to.
enum class TBrushEditorType : uint8_t
{
    beCreatePenMtd,
    beCreatePenNib,
    beEditPenMtd,
    beEditPenNib,
};
// The nib kinds (a nib list, the nib frame alone); the others edit brushes.
bool isNibEditorType(TBrushEditorType type);

// The brush frame's two type drop-downs: the nine version-4 modes from pmPencil4 and the four
// version-5 modes from pmPencil5, in the modes' order.
enum class TBrushTypeList : uint8_t
{
    PM4,
    PM5,
};
inline constexpr int kPM4TypeCount = 9;
inline constexpr int kPM5TypeCount = 4;
// The mode an item of a drop-down names; false for an item outside the drop-down.
bool CurrentPaintMode(TBrushTypeList list, int item, TPaintMode &mode);
// The drop-down and item that show a mode; false for the modes of the older engines, which
// neither drop-down offers.
bool paintModeTypeItem(TPaintMode mode, TBrushTypeList &list, int &item);
// Whether the mode uses each of its three effect values.
std::array<bool, 3> supportedEffects(TPaintMode mode);
// The stroke options' smoothing level from its number field: rounded half to even (2.5 is 2,
// 3.5 is 4), as every rounding of a user value here.
int32_t smoothLevelFromNumber(float value);


// Screentone editor

// What the pattern controls of the screentone editor hold.
struct SToneControls
{
    int32_t pattern = tptRound; // the shape drop-down's index
    float lineWidth = 8;        // line spacing in pixels
    float density = 10;         // percent
    float degree = 0;
    float blur = 10; // percent
    bool autoName = true;
    QString name;
};

// The line spacing a screentone shows: its pitch dpi / line; the default 8 for a line of 0.
float toneLineWidth(const SToneAttr &attr);
// The attribute the controls build: the spacing as dpi at 40 lines (so dpi / line is the spacing
// again), the blur rounded to whole steps.
SToneAttr toneAttrFromControls(const SToneControls &c);
// The generated name "<shape> <spacing>px <angle>° <density>, <blur>%" with whole angle, density
// and blur. The spacing always uses "." as the decimal separator: names go into set files.
QString toneAutoName(const SToneControls &c);

// Where a tile of the given size is drawn in a box: its own size when it fits, else scaled down
// to the box keeping its proportions (at least one pixel each way), centred. sx and sy are the
// tile pixels per drawn pixel in 1/1024.
struct SPatternImageFit
{
    sBox drawn;
    int32_t sx = 0, sy = 0;
};
SPatternImageFit patternImageFit(sSize tile, sSize box);
// Draws the tile into the fitted area of work: each pixel the inverted mean of a 4 x 4 grid of
// tile samples, grey and opaque. The rest of work is left alone. False for an empty tile or work.
bool showPatternImage(TMTC &work, const TChannel &tile);

// Gradient editor

// What the attribute controls of the gradient editor hold.
struct SGradAttrControls
{
    bool unique = false; // the gradient's own attribute is in force
    int type = 0;        // the shape drop-down's index
    bool around = false, infinity = false;
    float repeat = 1;
};
SGradAttr gradAttrFromControls(const SGradAttrControls &c);
SGradAttrControls gradControlsFromAttr(const SGradAttr &a);

// The colour copy and exchange commands: from the stop before, from the stop after, and the same
// two for the right stop of a joined pair.
enum class TGradColorMove : uint8_t { Left1, Right1, Left2, Right2 };
struct SGradColorMove
{
    int dst = -1, src = -1;
    friend bool operator==(const SGradColorMove &, const SGradColorMove &) = default;
};
// The stops a command moves a colour between, for the selected stop and its union state. A right
// partner of a pair acts as its left partner. The indices may lie outside the stops: the stop
// editor refuses those.
SGradColorMove gradColorMove(TGradColorMove move, int selected, TGradientEditUnion selectedUnion);

// Which stop the control-point and joined-point groups show and which of their controls are
// enabled.
struct SGradStopControls
{
    int stop = -1;           // the stop the control-point group shows (a pair's left partner)
    bool valid = false;      // it exists
    bool joined = false;     // it is joined to the next stop (which the joined-point group shows)
    bool position = false;   // position field and "move to centre": not the first or last stop
    bool leftColor = false;  // type buttons, opacity
    bool leftCell = false;   // the colour cell: a stop of its own colour
    bool unionLeft = false, unionRight = false;
    bool joinedGroup = false;
    bool rightCell = false;
    friend bool operator==(const SGradStopControls &, const SGradStopControls &) = default;
};
SGradStopControls gradStopControls(const TGradientStops &stops);
