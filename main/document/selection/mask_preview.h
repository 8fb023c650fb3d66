// The previews of a document's selection masks.
#pragma once

class TPaper;

// Redraws the preview of every mask and the tool window's mask panel.
void updateMaskPreview(TPaper &paper);
