#include "document/edit/layer_delete.h"

#include "document/edit/layer_group_ops.h"
#include "document/edit/layer_list_ops.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"

bool doLayerDelete(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo)
{
    if (!paper.getLayerData(idx))
        return false;
    if (paper.layerMngr().countGroupMember(idx, true) > 0)
        return eventLayerGroupDelete(paper, flow, idx, undo);
    return EventLayerDelete(paper, flow, idx, undo);
}
