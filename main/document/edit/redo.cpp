#include "document/edit/redo.h"

#include "document/events/event_manager.h"
#include "document/paper/paper.h"
#include "document/undo/undo_manager.h"

void disposeRedo(TPaper &paper)
{
    if (CUndoMngrEx *undo = paper.undoMngrEx())
        undo->cleanRedoAll();
    if (paper.eventMngr().isRecording())
        paper.eventMngr().clearRedo();
}
