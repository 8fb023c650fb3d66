#include "filters/commands/last_filter.h"

namespace {
FilterCommand gLastFilter = nullptr;
QString &lastFilterName()
{
    static QString name;
    return name;
}
} // namespace

void clearLastFilter()
{
    gLastFilter = nullptr;
    lastFilterName().clear();
}

void rememberLastFilter(FilterCommand cmd, const QString &name)
{
    gLastFilter = cmd;
    lastFilterName() = name;
}

void getLastFilterName(QString &name)
{
    name = lastFilterName();
}

bool hasLastFilter()
{
    return gLastFilter != nullptr;
}

bool repeatLastFilter(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog)
{
    return gLastFilter && gLastFilter(dw, flow, idx, noDialog);
}
