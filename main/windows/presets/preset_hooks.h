// Fills the list views' hook table with the preset popups and the editors. Start-up
// and the window tests call it once before a list view opens a popup.
#pragma once

void installPresetHooks();
