// One-pixel moves by the arrow keys.
#pragma once

#include "core/base/geometry.h"
#include "platform/desktop/keys.h"

// VK_LEFT gives (-1, 0), VK_UP (0, -1), VK_RIGHT (1, 0), VK_DOWN (0, 1), written to *p when p is
// given; false (p untouched) for any other key.
inline bool arrowKeyDelta(int32_t key, sPos *p)
{
    sPos d;
    switch (key) {
    case VK_LEFT:
        d = {-1, 0};
        break;
    case VK_UP:
        d = {0, -1};
        break;
    case VK_RIGHT:
        d = {1, 0};
        break;
    case VK_DOWN:
        d = {0, 1};
        break;
    default:
        return false;
    }
    if (p)
        *p = d;
    return true;
}
