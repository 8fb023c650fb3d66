// Replay of the events of the first and second filter generations. Each entry backs up the layer
// (or uses the backup it is given), runs the generation's algorithm, refreshes the document and,
// when record is set, records the event again and pushes undo. Two entries only forward to the
// current replay entries, and the floor chooses by its record's version.
#pragma once

#include "filters/algorithms/gen2_filters.h"
#include "filters/commands/replay_entries.h"

// The clouds record of the second generation; the rocks read the threshold Word after it.
struct SOrgCloudsRecord
{
    SOrgClouds clouds;
    uint16_t threshold = 0;
};

// ---- generation 1
bool orgEventFilterBlur(KAVRIN_REPLAY_HEAD, bool undo, bool protect);
bool orgEventFilterBlurMore(KAVRIN_REPLAY_HEAD, bool undo, bool protect);
bool orgEventFilterSharpen(KAVRIN_REPLAY_HEAD, bool record);
bool orgEventFilterSharpenMore(KAVRIN_REPLAY_HEAD, bool record);
bool orgEventFilterGrayscale(KAVRIN_REPLAY_HEAD, bool record);
bool orgEventFilterLevels(KAVRIN_REPLAY_HEAD, bool record, int32_t d0, int32_t d1, int32_t d2,
                          int32_t d3, int32_t d4);
// Codes 17 and 24: the current colour balance (recorded as 24).
bool orgEventFilterColorBalance(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, int32_t d2);
bool orgEventFilterBrightnessContrast(KAVRIN_REPLAY_HEAD, bool record, int32_t d0, int32_t d1);
bool orgEventFilterHueSaturation(KAVRIN_REPLAY_HEAD, bool record, int32_t d0, int32_t d1,
                                 int32_t d2);
bool orgEventFilterPosterize(KAVRIN_REPLAY_HEAD, bool record, int32_t d0);
bool orgEventFilterNoise(KAVRIN_REPLAY_HEAD, bool record, uint8_t d0, int32_t d1);
bool orgEventFilterMosaic(KAVRIN_REPLAY_HEAD, bool record, int32_t d0, uint8_t protect);
bool orgEventFilterMotionBlur(KAVRIN_REPLAY_HEAD, bool record, int32_t d0, float d1,
                              uint8_t protect);
bool orgEventFilterRadialBlur(KAVRIN_REPLAY_HEAD, bool record, int32_t d0, int32_t d1, int32_t d2,
                              uint8_t protect);

// ---- generation 2 (record last)
bool orgEventFilterSharpenCustom(KAVRIN_REPLAY_HEAD, float amount, bool record);
bool orgEventFilterGaussianBlur(KAVRIN_REPLAY_HEAD, float radius, bool record);
bool orgEventFilterTwist(KAVRIN_REPLAY_HEAD, float angle, uint8_t insideCircle, float xFraction,
                         float yFraction, bool record);
bool orgEventFilterEmboss(KAVRIN_REPLAY_HEAD, float angle, float distance, bool record);
bool orgEventFilterWave(KAVRIN_REPLAY_HEAD, float hAmplitude, float vAmplitude, float hFrequency,
                        float vFrequency, float phase, bool record);
// tiles: number of colours, shape, size, colours 0-2.
bool orgEventFilterTiles(KAVRIN_REPLAY_HEAD, const int32_t *tiles, bool record);
bool orgEventFilterCloudsRocks(KAVRIN_REPLAY_HEAD, const SOrgCloudsRecord *clouds, bool record);
bool orgEventFilterCloudsRocks2(KAVRIN_REPLAY_HEAD, const SOrgCloudsRecord *clouds,
                                int32_t threshold, bool record);
bool orgEventFilterLighting(KAVRIN_REPLAY_HEAD, const SFltLight *lights, int32_t count,
                            int32_t ambientColor, int32_t ambientBright, bool record);
// Version 0: the older floor (recorded again as 99 with version 0); 1 and 2: eventFilterFloor;
// 3 and later: eventFilterFloor2.
bool orgEventFilterFloor(KAVRIN_REPLAY_HEAD, const SFltFloor *floor, bool record);
