// Discarding the redo history of a document.
#pragma once

class TPaper;

// Empties the document-wide redo list and, while the document records, the recorder's redo.
void disposeRedo(TPaper &paper);
