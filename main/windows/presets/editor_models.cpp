#include "windows/presets/editor_models.h"

#include "paint/brush/paint_modes.h"

#include <cmath>

// Brush editor

bool isNibEditorType(TBrushEditorType type)
{
    return type == TBrushEditorType::beCreatePenNib || type == TBrushEditorType::beEditPenNib;
}

namespace {

struct STypeList
{
    TPaintMode first;
    int count;
};

constexpr STypeList typeList(TBrushTypeList list)
{
    return list == TBrushTypeList::PM4 ? STypeList{TPaintMode::pmPencil4, kPM4TypeCount}
                                       : STypeList{TPaintMode::pmPencil5, kPM5TypeCount};
}

} // namespace

bool CurrentPaintMode(TBrushTypeList list, int item, TPaintMode &mode)
{
    const STypeList l = typeList(list);
    if (item < 0 || item >= l.count)
        return false;
    mode = TPaintMode(int(l.first) + item);
    return true;
}

bool paintModeTypeItem(TPaintMode mode, TBrushTypeList &list, int &item)
{
    for (TBrushTypeList candidate : {TBrushTypeList::PM4, TBrushTypeList::PM5}) {
        const STypeList l = typeList(candidate);
        const int i = int(mode) - int(l.first);
        if (i >= 0 && i < l.count) {
            list = candidate;
            item = i;
            return true;
        }
    }
    return false;
}

std::array<bool, 3> supportedEffects(TPaintMode mode)
{
    const TPaintParamTypes s = getSupportParams(mode);
    return {s.contains(TPaintParamType::ppEffect1), s.contains(TPaintParamType::ppEffect2),
            s.contains(TPaintParamType::ppEffect3)};
}

int32_t smoothLevelFromNumber(float value)
{
    return int32_t(std::lrint(value));
}
