// The replay entries of the current filters: the event player calls them with the recorded values
// in the order below; each rebuilds the parameter record and applies it without a dialog. With
// undo set an entry also records the event and pushes undo, as a command does. "protect" is the
// layer's transparency protection as the player finds it (false for old recordings), never the
// recorded byte. dw may be nullptr (a replay without a window).
#pragma once

#include "document/events/filter_records.h"

#include <cstdint>
#include <memory>

class CBlockVMTC;
class CColorSlotGroup;
class IFilterView;
class TFlowImage;
struct SGradAttr;

// The backup holder of the replay entries (the current ones do not use it).
using FilterBackup = std::unique_ptr<CBlockVMTC>;

#define KAVRIN_REPLAY_HEAD                                                                         \
    IFilterView *dw, TFlowImage &flow, int32_t idx, [[maybe_unused]] FilterBackup &backup

bool eventFilterGrayscale(KAVRIN_REPLAY_HEAD, bool undo);
bool eventFilterInvert(KAVRIN_REPLAY_HEAD, bool undo);
bool eventFilterFlipHorizontal(KAVRIN_REPLAY_HEAD, bool undo);
bool eventFilterFlipVertical(KAVRIN_REPLAY_HEAD, bool undo);
bool eventFilterRotate180(KAVRIN_REPLAY_HEAD, bool undo);
bool eventFilterFindEdges(KAVRIN_REPLAY_HEAD, bool undo);
bool eventFilterSolarize(KAVRIN_REPLAY_HEAD, bool undo);
// Code 52: the drawing colour of the document's active stroke now, flag false.
bool eventFilterAlphaViaDensity(KAVRIN_REPLAY_HEAD, bool undo);
bool eventFilterSharpen(KAVRIN_REPLAY_HEAD, bool undo, bool protect);
bool eventFilterSharpenMore(KAVRIN_REPLAY_HEAD, bool undo, bool protect);
// current: the newer function and code 64 (65); else the first version and code 0 (1).
bool eventFilterBlur(KAVRIN_REPLAY_HEAD, bool undo, bool current, bool protect);
bool eventFilterBlurMore(KAVRIN_REPLAY_HEAD, bool undo, bool current, bool protect);
bool eventFilterBrightnessContrast(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, bool d2);
bool eventFilterColorBalance(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, int32_t d2);
bool eventFilterHueSaturation(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, int32_t d2,
                              bool b0, bool b1);
bool eventFilterLevels(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, int32_t d2,
                       int32_t d3, int32_t d4, bool b);
bool eventFilterPosterize(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0);
bool eventFilterSharpenCustom(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0);
bool eventFilterMosaic(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, bool protect);
// The angle is the whole signed 16 bits of data0 bytes 2-3 (used when b1 is not 0).
bool eventFilterMotionBlur(KAVRIN_REPLAY_HEAD, bool undo, uint8_t b0, uint8_t b1, int16_t angle,
                           int32_t d1, bool protect);
bool eventFilterPolarCoordinates(KAVRIN_REPLAY_HEAD, bool undo, uint8_t b0, uint8_t protect);
bool eventFilterPolarCoordinates2(KAVRIN_REPLAY_HEAD, bool undo, uint8_t b0, uint8_t protect);
bool eventFilterRotate(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, uint8_t protect, uint8_t b1);
bool eventFilterRotate2(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, uint8_t protect, uint8_t b1);
bool eventFilterScale(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, uint8_t protect,
                      uint8_t b1);
bool eventFilterScale2(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, uint8_t protect,
                       uint8_t b1);
bool eventFilterNoise(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, bool b, int32_t d2);
bool eventFilterColorHalftone(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, int32_t d2,
                              int32_t d3);
bool eventFilterEmboss(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, int32_t d2);
bool eventFilterDiffuse(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, int32_t d2, bool b0,
                        bool b1, uint8_t protect);
bool eventFilterBinarize(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj2 *rec);
bool eventFilterRadialBlur(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj2 *rec);
bool eventFilterGaussianBlur(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj2 *rec);
bool eventFilterMedian(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj2 *rec);
bool eventFilterTwirl(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj2 *rec);
bool eventFilterTiles(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj4 *rec);
bool eventFilterClouds(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj4 *rec);
bool eventFilterPlasma(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj4 *rec);
bool eventFilterCloudsRocks(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj6 *rec);
// variant 0: the first wave and code 69, 1: the second and code 80, other: the newest and 85.
bool eventFilterWave(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj2 *rec, int32_t variant);
bool eventFilterCustom(KAVRIN_REPLAY_HEAD, bool undo, const SFltCustom *custom);
// The record carries its lights in its block.
bool eventFilterLighting(KAVRIN_REPLAY_HEAD, bool undo, const sFltObjComplex *complex);
// Runs and refreshes; records nothing whatever undo says.
bool eventFilterGradientMap(KAVRIN_REPLAY_HEAD, bool undo, const CColorSlotGroup *crsg,
                            const SGradAttr &attr, bool reverse, bool protect);
bool eventFilterAlphaViaDensity2(KAVRIN_REPLAY_HEAD, int32_t color, bool flag, bool undo);
// Run and refresh only: nothing recorded.
bool eventFilterFloor(KAVRIN_REPLAY_HEAD, bool undo, const SFltFloor *floor);
bool eventFilterFloor2(KAVRIN_REPLAY_HEAD, bool undo, const SFltFloor *floor);
