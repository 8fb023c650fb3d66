// The vocabulary of tools shared by the tool palette, the document window's pointer handling, the
// stroke engine and the event recorder: the palette family of a tool (TToolKind), the concrete
// tool and its engine generation (TToolDetail), what a drag of it does (TToolSubKind, in ten
// palette button groups), the brush engine that paints (TPaintMode), the drawing sub-mode of a
// painting tool (TSubPaintMode), the stylus end (TStylusSwitch) and the shell's older tool modes
// (TToolMode). Every enumeration is one byte; its numbers are stored in events and the profile.
//
// All maps are table lookups. A value outside a map's domain answers false, or 255 where the
// result is an enumeration or a number.
#pragma once

#include <QString>

#include <cstdint>

enum class TStylusSwitch : uint8_t
{
    ssNib = 0,
    ssTail = 1,
};

enum class TToolKind : uint8_t
{
    tkPencil = 0,
    tkEraser = 1,
    tkWaterColor = 2,
    tkAirBrush = 3,
    tkBlurFinger = 4,
    tkBurnDodge = 5,
    tkFillFigure = 6,
    tkFillGradient = 7,
    tkSelect = 8,
    tkMagicWand = 9,
    tkLayerMove = 10,
    tkText = 11,
    tkTrim = 12,
    tkSpuit = 13,
    tkGrabber = 14,
    tkZoom = 15,
};
inline constexpr int kToolKindCount = 16;

enum class TSubPaintMode : uint8_t
{
    spmDrawLocus = 0,
    spmDrawLine = 1,
    spmDrawCurve = 2,
    spmDrawMultiLine = 3,
    spmDrawRectangle = 4,
    spmDrawEllipse = 5,
    spmDrawPolygon = 6,
};
inline constexpr int kSubPaintModeCount = 7;

// The digit names the engine generation: 5 the newest, 4 the version-4 engine, 1 the oldest.
enum class TToolDetail : uint8_t
{
    tdPencil5 = 0,
    tdPencil4 = 1,
    tdPencil1 = 2,
    tdEraser5 = 3,
    tdSeedEraser = 4,
    tdEraser4 = 5,
    tdEraser1 = 6,
    tdWaterColor5 = 7,
    tdWaterColor4 = 8,
    tdWaterColor1 = 9,
    tdAirBrush5 = 10,
    tdAirBrush4 = 11,
    tdAirBrush1 = 12,
    tdBlur4 = 13,
    tdFingerTip4 = 14,
    tdSpread4 = 15,
    tdBlur1 = 16,
    tdFingerTip1 = 17,
    tdBurn4 = 18,
    tdDodge4 = 19,
    tdBurn1 = 20,
    tdDodge1 = 21,
    tdFillRectangle = 22,
    tdFillEllipse = 23,
    tdFillPolygon = 24,
    tdFillLasso = 25,
    tdSeedFill = 26,
    tdGradient = 27,
    tdSelectRectangle = 28,
    tdSelectEllipse = 29,
    tdSelectPolygon = 30,
    tdSelectLasso = 31,
    tdMagicWand = 32,
    tdLayerMove = 33,
    tdLayerMoveWithSelection = 34,
    tdFillText = 35,
    tdSelectText = 36,
    tdTrim = 37,
    tdSpuit = 38,
    tdGrabberPosition = 39,
    tdGrabberRotation = 40,
    tdZoom = 41,
};
inline constexpr int kToolDetailCount = 42;

// tskNone (255) marks an empty palette position and every out-of-domain answer.
enum class TToolSubKind : uint8_t
{
    tskDrawLocus = 0,
    tskDrawLine = 1,
    tskDrawCurve = 2,
    tskDrawMultiLine = 3,
    tskDrawRectangle = 4,
    tskDrawEllipse = 5,
    tskDrawPolygon = 6,
    tskChangePenSize = 7,
    tskGradient = 8,
    tskFillRectangle = 9,
    tskFillEllipse = 10,
    tskFillPolygon = 11,
    tskFillLasso = 12,
    tskSeedFill = 13,
    tskSeedErase = 14,
    tskSelectRectangle = 15,
    tskSelectEllipse = 16,
    tskSelectPolygon = 17,
    tskSelectLasso = 18,
    tskSelectDragMove = 19,
    tskSelectKeyMove = 20,
    tskTransformSelection = 21,
    tskTransformLayer = 22,
    tskTransformSelectionWithLayer = 23,
    tskMagicWand = 24,
    tskLayerDragMove = 25,
    tskLayerKeyMove = 26,
    tskLayerDragMoveWithSelection = 27,
    tskLayerKeyMoveWithSelection = 28,
    tskFillText = 29,
    tskSelectText = 30,
    tskTrim = 31,
    tskSpuitForeground = 32,
    tskGrabberPosition = 33,
    tskGrabberRotation = 34,
    tskZoomIn = 35,
    tskZoomOut = 36,
    tskNone = 255,
};
inline constexpr int kToolSubKindCount = 37;

// The brush engines by generation.
enum class TPaintMode : uint8_t
{
    pmPencil1 = 0,
    pmEraser1 = 1,
    pmWaterColor1 = 2,
    pmAirBrush1 = 3,
    pmBlur1 = 4,
    pmBlur2 = 5,
    pmFingerTip1 = 6,
    pmBurn1 = 7,
    pmDodge1 = 8,
    pmPencil4 = 9,
    pmEraser4 = 10,
    pmWaterColor4 = 11,
    pmAirBrush4 = 12,
    pmBlur4 = 13,
    pmFingerTip4 = 14,
    pmSpread4 = 15,
    pmBurn4 = 16,
    pmDodge4 = 17,
    pmPencil5 = 18,
    pmEraser5 = 19,
    pmWaterColor5 = 20,
    pmAirBrush5 = 21,
};
inline constexpr int kPaintModeCount = 22;

// The shell's older tool modes (per-tool opacity, cursors).
enum class TToolMode : uint8_t
{
    TOOL_PEN = 0,
    TOOL_ROT = 1,
    TOOL_HAND = 2,
    TOOL_DELETE = 3,
    TOOL_FILL = 4,
    TOOL_ZOOMIN = 5,
    TOOL_ZOOMOUT = 6,
    TOOL_CUT = 7,
    TOOL_MOVE = 8,
    TOOL_SPOIT = 9,
    TOOL_DRAW = 10,
    TOOL_AREAFILL = 11,
    TOOL_LINE = 12,
    TOOL_FREELINE = 13,
    TOOL_TEXT = 14,
    TOOL_TEXTSEL = 15,
    TOOL_SELECT = 16,
    TOOL_FREESEL = 17,
    TOOL_WAND = 18,
    TOOL_GRAD = 19,
    TOOL_CROP = 20,
    TOOL_MAX_NUM = 21,
};

// Palette button groups of TToolSubKind: 0 locus drawing, 1 zoom, 2 colour pick, 3 grabbers and
// pen size, 4 seed fill, seed erase and magic wand, 5 moves, transforms, gradient and trim,
// 6 figure drawing, 7 figure fills, 8 selection shapes, 9 text.
inline constexpr int kToolGroupCount = 10;
// Positions per group that toolSubKindAt answers for (0 .. kToolGroupPositions - 1).
inline constexpr int kToolGroupPositions = 12;

// True for the groups whose tools change the document (0 and 4 to 9): such a tool is refused
// while an event replay runs. False for 1, 2, 3 and any other number.
bool groupAltersDocument(int group);

// The tool of a brush engine; pmBlur2 has no tool of its own and gives tdBlur1.
TToolDetail paintModeToToolDetail(TPaintMode mode);
// tskDrawLocus .. tskDrawPolygon, the sub-kind of the same number.
TToolSubKind subPaintModeToToolSubKind(TSubPaintMode mode);
// True and the engine for the 21 painting details; false, and mode unchanged, for tdSeedEraser
// and every tool that does not paint with a brush.
bool toolDetailToPaintMode(TToolDetail detail, TPaintMode &mode);
// The sub-kind a tool starts with (tskDrawLocus for every painting tool).
TToolSubKind toolDetailToToolSubKind(TToolDetail detail);
TToolMode toolDetailToToolMode(TToolDetail detail);

// The palette group (0..9) of a sub-kind, and its index inside the group. The index is the
// inverse of toolSubKindAt for every palette position; the transform kinds of group 5 have the
// indices 9 to 11, which are no palette positions.
int toolSubKindGroup(TToolSubKind kind);
int toolSubKindIndex(TToolSubKind kind);
// The sub-kind on a palette position, tskNone for an empty position.
TToolSubKind toolSubKindAt(int group, int position);

// Position of a sub-kind within one group: true and the index when the kind belongs to that
// group, false (index unchanged) otherwise.
bool figureDrawIndex(int &index, TToolSubKind kind);  // group 6
bool seedToolIndex(int &index, TToolSubKind kind);    // group 4
bool moveToolIndex(int &index, TToolSubKind kind);    // group 5
bool figureFillIndex(int &index, TToolSubKind kind);  // group 7
bool selectShapeIndex(int &index, TToolSubKind kind); // group 8
bool grabberToolIndex(int &index, TToolSubKind kind); // group 3

// The tool's display name; an older engine's suffix is joined with " - " ("鉛筆 - 4互換"). The
// text is left unchanged for a value outside the enumeration.
void toolDetailCaption(TToolDetail detail, QString &text);
// The caption of a drawing sub-mode ("フリーハンド", ...); the text is left unchanged for any
// other value.
void subPaintModeCaption(TSubPaintMode mode, QString &text);
