#include "paint/stroke_param.h"

void strokeParamInit(SStrokeParam &p)
{
    p = SStrokeParam{};
}
