#include "filters/algorithms/filter_catalogue.h"

#include "filters/algorithms/floor_filter.h"
#include "filters/algorithms/lighting_filter.h"

namespace {

const SFilterCatalogueEntry kEntries[] = {
    {"fltLighting", fltLighting, kFltObjComplexSize},
    {"fltFloor", fltFloor, kFltFloorSize},
    {"fltFloor2", fltFloor2, kFltFloorSize},
};

} // namespace

std::span<const SFilterCatalogueEntry> filterCatalogueLighting()
{
    return kEntries;
}
