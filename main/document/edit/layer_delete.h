// Deleting a layer as the layer commands do: a layer that heads a group goes with its group.
#pragma once

#include <cstdint>

class TFlowImage;
class TPaper;

// eventLayerGroupDelete when layer idx heads a group with members, else EventLayerDelete.
bool doLayerDelete(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo);
