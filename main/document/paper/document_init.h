// The process-wide set-up of the document library: start-up and tests call it once the Qt
// application object exists.
#pragma once

// Installs the document's answers into the libraries below: the layer-mode names of the blend
// table for the painting library's blend-mode names.
void initialiseDocument();
