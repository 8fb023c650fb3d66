// Every pixel function by name, with the size of its parameter record: what the filter lab, the
// record fuzzer and the benchmarks walk. Each family of algorithms lists its own functions in its
// own group, so a family is added without touching the others.
#pragma once

#include "filters/core/filter_core.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

struct SFilterCatalogueEntry
{
    const char *name;   // the pixel function's name ("fltBlur")
    fptrFilter4 fn;     // the function itself
    int32_t recordSize; // the args it accepts: the byte size of its record (0: none)
};

// Blurs, median, sharpen, edges, emboss, colour and tone adjustments.
std::span<const SFilterCatalogueEntry> filterCatalogueAdjustments();
// Geometric distortions, generators, noise, diffuse, mosaic, halftone, custom kernel.
std::span<const SFilterCatalogueEntry> filterCatalogueDistortions();
// Lighting, floor and infinite plane, and the generation-2 algorithms.
std::span<const SFilterCatalogueEntry> filterCatalogueLighting();

// All groups in the order above.
std::vector<SFilterCatalogueEntry> filterCatalogue();
// The entry of that name, or nullptr.
const SFilterCatalogueEntry *findFilterEntry(std::string_view name);
