// What the layer and mask lists need of the document window they show: its document and flow
// image, its edit gate, its refresh after an edit, its key-only input state and the few layer
// and mask commands that live in the window. The document window implements it; tests implement
// it over a real document.
#pragma once

class TFlowImage;
class TPaper;

class IDocumentListWindow
{
  public:
    virtual ~IDocumentListWindow() = default;

    virtual TPaper *paper() const = 0;
    virtual TFlowImage *flowImage() const = 0;
    // The window takes edit commands now; it refuses silently (a replay plays, a drag runs).
    virtual bool canAcceptEditCmd(bool netOK, bool playOK, bool needPause) = 0;
    // After a recorded edit: the view, the navigator and the lists follow.
    virtual void refreshAfterEvent(bool a, bool b, bool c) = 0;
    // The window waits for a key only (its stKeyOnly input state); updateEventProcs(true) ends it.
    virtual bool isKeyOnly() const = 0;
    virtual void updateEventProcs(bool force) = 0;
    // Shows (or hides) every layer, recorded.
    virtual bool doLayerVisAll(bool vis) = 0;
    // The layer and mask property dialogs.
    virtual void doLayerInfoWin() = 0;
    virtual void DoMaskInfoWin() = 0;
};
