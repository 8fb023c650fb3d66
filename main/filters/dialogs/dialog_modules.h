// The filter dialog modules plugged into the filter commands: each filter's dialog (execDialog)
// and its last-used values (makeLastParam), by the filter's event code.
#pragma once

// Every module's remembered values back to their defaults, and every module registered with
// the filter commands. Start-up calls it once, after initialiseFilters; tests call it per case.
void initialiseFilterDialogs();
