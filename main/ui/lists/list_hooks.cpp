#include "ui/lists/list_hooks.h"

TListViewHooks &listViewHooks()
{
    static TListViewHooks hooks;
    return hooks;
}
