#include "document/selection/mask_preview.h"

#include "core/mask/mask_manager.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"

void updateMaskPreview(TPaper &paper)
{
    paper.maskMngr().updatePreviewAll();
    if (IPaperOwner *o = paper.owner())
        o->updateMaskView();
}
