#include "document/view/outside_picture.h"

#include "core/image/canvas.h"
#include "core/pixel/pixel.h"
#include "document/paper/paper.h"
#include "document/view/composition.h"

#include <cstring>

bool composeOutsidePicture(TPaper &paper, TMTC &out)
{
    const TMTC &view = paper.vram();
    if (!view.isEnable() || !out.Resize(view.width(), view.height()))
        return false;
    UpdateVRAM(paper, false, false);
    const bool opaque = paper.bVisCanvasCol;
    const size_t rowBytes = size_t(view.width()) * 4;
    for (int32_t y = 0; y < view.height(); ++y) {
        sBGRA *row = out.seek32(0, y);
        std::memcpy(row, view.seek32(0, y), rowBytes);
        if (opaque)
            for (int32_t x = 0; x < view.width(); ++x)
                row[x].A = 255;
    }
    return true;
}
