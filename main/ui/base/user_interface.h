// Start and end of the interface's process-wide state, once the QApplication exists: the system
// colour cache and shared pictures (gSysColor32, gAppearanceManager, gGradMarkerImages), the
// glyphs (gGlyphManager), the menu font of the recent-files list (gMRUMenuCanvas) and the shared
// in-place editors (gCaptureEdit, gCaptureNumEdit). Start-up and the test programs call these;
// finaliseUserInterface frees in the reverse order.
#pragma once

void initialiseUserInterface();
void finaliseUserInterface();
