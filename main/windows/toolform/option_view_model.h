// What the option view shows for a tool, free of widgets: the tool's classes, which controls are
// visible and enabled, where the opacity field sits, the view's caption and whether it offers
// its popup menu.
#pragma once

#include "core/profile/tool_kinds.h"
#include "paint/brush/paint_modes.h"

#include <QString>

struct SToolClasses
{
    bool painting = false;  // the detail has a paint mode
    bool gradient = false;
    bool seed = false;      // seed erase, seed fill, magic wand
    bool moveCapable = false; // the four selection shapes and the two layer moves
    bool rectEllipse = false; // the rectangle and ellipse fills and selections
};
SToolClasses classifyTool(TToolDetail detail);

// What the view is shown for.
struct SOptionViewInput
{
    TToolDetail detail = TToolDetail::tdPencil5;
    bool freeTransform = false;
    // The working brush (painting tools).
    TPaintParamTypes support;
    TPaintLevel brushLevel = TPaintLevel::pl5;
    bool shapeImage = false;
    bool brushHasAirMaps = false;
    bool drawToolAutoSave = false;
    // The gradient set's current gradient is the fixed two-colour one.
    bool specialGradient = false;
    // The shown list may add an item / delete its selected one.
    bool canAppend = false;
    bool canDelete = false;
};

enum class TOpacityPlace : uint8_t
{
    TopRight, // painting and gradient tools
    BelowTolerance, // seed tools
    TopLeft,
};

struct SOptionViewState
{
    TOpacityPlace opacityPlace = TOpacityPlace::TopLeft;
    bool opacity = false;
    bool name = false, nameEditable = false;
    bool itemButtons = false, newEnabled = false, deleteEnabled = false;
    bool antiAlias = false;
    bool transformRows = false;
    // Everything but the transform's own controls is disabled.
    bool othersDisabled = false;
    // Painting tools.
    bool brushDropDown = false, subModeDropDown = false;
    bool airMap = false, airMapEnabled = false;
    bool presDensity = false, save = false, saveEnabled = false;
    bool aspectRotation = false, pressureCurve = false, space = false;
    bool effect[3] = {false, false, false};
    bool presSize = false, minRadius = false, radiusLabel = false;
    bool radiusField = false, shapeScaleField = false;
    QString radiusUnit;
    // Gradient tool.
    bool gradientControls = false;
    // Seed tools.
    bool tolerance = false;
    bool moveOK = false;
    bool squareCenter = false;
    // The version-5 stroke options (smoothing and interpolation).
    bool qz5Options = false;
    bool popOption = false;
    QString caption;
};
SOptionViewState optionViewState(const SOptionViewInput &in);
