// The level-2 draw procedure and its dab procedures.
#include "document/stroke/paper_stroke.h"

void Draw2(TPaper &, TFlowImage &, TStroke &) {}
