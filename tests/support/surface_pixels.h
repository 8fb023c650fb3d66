// Every pixel of an image (a plain one or a layer's tiled one) or of a document's layer, row by
// row, for before/after comparisons.
#pragma once

#include "document/paper/layer_data.h"
#include "document/paper/paper.h"

#include <cstdint>
#include <vector>

namespace surface_pixels {

template <class Image> std::vector<uint32_t> surfacePixels(const Image &tc)
{
    std::vector<uint32_t> px;
    for (int32_t y = 0; y < tc.height(); ++y)
        for (int32_t x = 0; x < tc.width(); ++x)
            px.push_back(tc.getColor(x, y));
    return px;
}

inline std::vector<uint32_t> layerPixels(const TPaper &paper, int32_t idx)
{
    return surfacePixels(*paper.getLayerData(idx)->imageTC);
}

} // namespace surface_pixels
