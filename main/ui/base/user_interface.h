// Start and end of the interface's process-wide state, once the QApplication exists: the system
// colour cache and shared pictures (gSysColor32, gAppearanceManager, gGradMarkerImages), the
// glyphs (gGlyphManager) and the menu font of the recent-files list (gMRUMenuCanvas). Start-up
// and the test programs call these; finaliseUserInterface frees in the reverse order.
#pragma once

void initialiseUserInterface();
void finaliseUserInterface();
