#include "filters/algorithms/filter_catalogue.h"

std::vector<SFilterCatalogueEntry> filterCatalogue()
{
    std::vector<SFilterCatalogueEntry> all;
    for (auto group : {filterCatalogueAdjustments(), filterCatalogueDistortions(),
                       filterCatalogueLighting()})
        all.insert(all.end(), group.begin(), group.end());
    return all;
}

const SFilterCatalogueEntry *findFilterEntry(std::string_view name)
{
    for (auto group : {filterCatalogueAdjustments(), filterCatalogueDistortions(),
                       filterCatalogueLighting()})
        for (const SFilterCatalogueEntry &e : group)
            if (name == e.name)
                return &e;
    return nullptr;
}
