// The filter commands of the menus: each checks the document window, binds a filter core to the
// layer, takes its parameters from the filter's dialog (or its last-used values), remembers itself
// as the filter to repeat, applies, records the event and pushes the undo entry.
//
// The dialogs live above this library: each filter's dialog unit registers a module here. A
// filter whose module is not registered is refused like an unknown command: nothing is applied,
// remembered, recorded or pushed.
#pragma once

#include "core/pixel/pixel.h"
#include "document/events/filter_records.h"
#include "filters/commands/last_filter.h"

#include <exception>
#include <functional>

class CFlt4Core;
class TPaper;

// The parameters a filter module hands back; each filter reads only its own record.
struct SFilterParams
{
    SFilterParams();
    sFltObj2 o2{};
    sFltObj4 o4{};
    sFltObj6 o6{};
    // The lighting filter's data0 and data1 (ambient colour and brightness) and its light.
    sFltObjComplex complex{};
    SFltLight light{};
    SFltCustom custom{};
    // The floor: the command initialises it and makes the two texture canvases first.
    SFltFloor floor{};
    sFltObjGradientMap gradMap{};
};

// A filter's dialog unit: the dialog attached to the core (false: Cancel or a failed attach) and
// the last-used values (false: none to give).
struct SFilterModule
{
    std::function<bool(CFlt4Core &core, SFilterParams &p)> execDialog;
    std::function<bool(CFlt4Core &core, SFilterParams &p)> makeLastParam;
};

// Registers the module of the filter whose current event code is code (replacing one already
// there); an empty module removes it.
void registerFilterModule(uint8_t code, SFilterModule module);
// Removes every module.
void clearFilterModules();

// What the filters take from the main and tool windows. An empty member answers black (colours)
// or does nothing (errors).
struct SFilterAppHooks
{
    // The tool window's current colours, alpha 255.
    std::function<TColor32()> foregroundColor;
    std::function<TColor32()> backgroundColor;
    // The document's handler of a failed allocation (it discards undo and warns) and of any
    // other exception.
    std::function<void(TPaper &paper)> memoryError;
    std::function<void(TPaper &paper, const std::exception &e)> stdError;
};
// Installs the hooks and returns the previous ones.
SFilterAppHooks installFilterAppHooks(SFilterAppHooks hooks);
// The tool window's colours as the filters see them (alpha 255; black without a tool window).
TColor32 toolForegroundColour();
TColor32 toolBackgroundColour();

// The command name remembered for repeat (as the menu shows it) of each command; empty for a
// command that is not remembered.
QString filterCommandName(FilterCommand cmd);

bool doFilterGrayscale(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterInvert(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterFlipHorizontal(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterFlipVertical(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterRotate180(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterBlur(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterBlurMore(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterSharpen(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterSharpenMore(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterFindEdges(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterSolarize(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterBrightnessContrast(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterColorBalance(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterHueSaturation(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterLevels(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterPosterize(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterBinarize(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterGradientMap(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterRadialBlur(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterMotionBlur(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterGaussianBlur(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterMedian(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterSharpenCustom(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterMosaic(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterNoise(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterDiffuse(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterEmboss(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterColorHalftone(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterCustom(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterLighting(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterPolarCoordinates(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterRotate(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterScale(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterWave(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterTwirl(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterFloor(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterTiles(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterClouds(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterClouds2(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterPlasma(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
bool doFilterCloudsRocks(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog);
// The Edit menu's alpha from density: no dialog, never remembered.
bool doFilterAlphaViaDensity(IFilterView *dw, TFlowImage &flow, int32_t idx);
