#include "filters/algorithms/adjustment_filters.h"
#include "filters/algorithms/blur_filters.h"
#include "filters/algorithms/filter_catalogue.h"
#include "filters/algorithms/median_filter.h"
#include "filters/algorithms/sharpen_filters.h"

namespace {

const SFilterCatalogueEntry kEntries[] = {
    {"fltBlur", fltBlur, 0},
    {"fltBlur2", fltBlur2, 0},
    {"fltBlurMore", fltBlurMore, 0},
    {"fltBlurMore2", fltBlurMore2, 0},
    {"fltGaussianBlur", fltGaussianBlur, kFltObj2Size},
    {"fltMotionBlur", fltMotionBlur, kFltObj2Size},
    {"fltRadialBlur", fltRadialBlur, kFltObj2Size},
    {"fltMedian", fltMedian, kFltObj2Size},
    {"fltSharpen", fltSharpen, 0},
    {"fltSharpenMore", fltSharpenMore, 0},
    {"fltSharpenCustom", fltSharpenCustom, kFltObj2Size},
    {"fltFindEdges", fltFindEdges, 0},
    {"fltEmboss", fltEmboss, kFltObj4Size},
    {"fltLevels", fltLevels, kFltObj6Size},
    {"fltHueSaturation", fltHueSaturation, kFltObj4Size},
    {"fltBrightnessContrast", fltBrightnessContrast, kFltObj4Size},
    {"fltColorBalance", fltColorBalance, kFltObj4Size},
    {"fltPosterize", fltPosterize, kFltObj2Size},
    {"fltBinarize", fltBinarize, kFltObj2Size},
    {"fltInvert", fltInvert, 0},
    {"fltGrayscale", fltGrayscale, 0},
    {"fltSolarize", fltSolarize, 0},
    {"fltGradientMap", fltGradientMap, kFltObjGradientMapSize},
    {"fltAlphaViaDensity", fltAlphaViaDensity, kFltObj2Size},
};

} // namespace

std::span<const SFilterCatalogueEntry> filterCatalogueAdjustments()
{
    return kEntries;
}
