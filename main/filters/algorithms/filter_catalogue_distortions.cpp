#include "filters/algorithms/filter_catalogue.h"

#include "filters/algorithms/distortion_filters.h"
#include "filters/algorithms/generator_filters.h"
#include "filters/algorithms/texture_filters.h"

namespace {

const SFilterCatalogueEntry kEntries[] = {
    {"fltWave", fltWave, kFltObj2Size},
    {"fltWave2", fltWave2, kFltObj2Size},
    {"fltWave3", fltWave3, kFltObj2Size},
    {"fltTwirl", fltTwirl, kFltObj2Size},
    {"fltPolarCoordinates", fltPolarCoordinates, kFltObj2Size},
    {"fltPolarCoordinates2", fltPolarCoordinates2, kFltObj2Size},
    {"fltRotate", fltRotate, kFltObj2Size},
    {"fltRotate2", fltRotate2, kFltObj2Size},
    {"fltScale", fltScale, kFltObj4Size},
    {"fltScale2", fltScale2, kFltObj4Size},
    {"fltFlipHorizontal", fltFlipHorizontal, 0},
    {"fltFlipVertical", fltFlipVertical, 0},
    {"fltRotate180", fltRotate180, 0},
    {"fltClouds", fltClouds, kFltObj4Size},
    {"fltPlasma", fltPlasma, kFltObj4Size},
    {"fltCloudsRocks", fltCloudsRocks, kFltObj6Size},
    {"fltTiles", fltTiles, kFltObj4Size},
    {"fltNoise", fltNoise, kFltObj4Size},
    {"fltDiffuse", fltDiffuse, kFltObj4Size},
    {"fltMosaic", fltMosaic, kFltObj2Size},
    {"fltColorHalftone", fltColorHalftone, kFltObj4Size},
    {"fltCustom", fltCustom, kFltObjComplexSize},
};

} // namespace

std::span<const SFilterCatalogueEntry> filterCatalogueDistortions()
{
    return kEntries;
}
