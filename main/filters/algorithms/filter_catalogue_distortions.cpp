#include "filters/algorithms/filter_catalogue.h"

namespace {

// Filled as the family's functions are built.
const SFilterCatalogueEntry kEntries[] = {
    {"", nullptr, 0},
};

} // namespace

std::span<const SFilterCatalogueEntry> filterCatalogueDistortions()
{
    return std::span(kEntries).first(0);
}
