// The filter dialog modules plugged into the filter commands: each filter's dialog (execDialog)
// and its last-used values (makeLastParam), by the filter's event code.
#pragma once

#include "filters/commands/filter_commands.h"

#include <type_traits>

// Every module's remembered values back to their defaults, and every module registered with
// the filter commands. Start-up calls it once, after initialiseFilters; tests call it per case.
void initialiseFilterDialogs();

// A module whose record is member Member of SFilterParams; Last takes the core when the record
// needs something of the layer.
template <auto Member, auto Exec, auto Last> SFilterModule dialogModule()
{
    SFilterModule m;
    m.execDialog = [](CFlt4Core &core, SFilterParams &p) { return Exec(p.*Member, core); };
    m.makeLastParam = [](CFlt4Core &core, SFilterParams &p) {
        if constexpr (std::is_invocable_v<decltype(Last), decltype(p.*Member), CFlt4Core &>)
            return Last(p.*Member, core);
        else
            return Last(p.*Member);
    };
    return m;
}
