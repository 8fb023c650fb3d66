// The bounding rectangle of the non-empty pixels of an image reached row by row; shared by the
// canvas, the channel and the tiled images (per block).
#pragma once

#include "core/base/geometry.h"

#include <algorithm>
#include <cstdint>

// The bounding rectangle (right and bottom exclusive) of the pixels of a w x h image that are not
// empty: rowAt(y) gives the first pixel of row y, isEmpty(pixel) tells an empty one. False, r
// untouched, when every pixel is empty.
template <class RowAt, class IsEmpty>
bool findRowsRect(int32_t w, int32_t h, RowAt rowAt, IsEmpty isEmpty, sRect &r)
{
    bool found = false;
    sRect b{};
    for (int32_t y = 0; y < h; ++y) {
        const auto *row = rowAt(y);
        int32_t x0 = 0;
        while (x0 < w && isEmpty(row[x0]))
            ++x0;
        if (x0 == w)
            continue;
        int32_t x1 = w;
        while (isEmpty(row[x1 - 1]))
            --x1;
        if (!found) {
            b = {x0, y, x1, y + 1};
            found = true;
        }
        b.x0 = std::min(b.x0, x0);
        b.x1 = std::max(b.x1, x1);
        b.y1 = y + 1;
    }
    if (found)
        r = b;
    return found;
}
