// A recording document with a selection: the edit session's four painted layers, and a second
// mask, made current, taken from the transparency of layer 1 (its scattered painted pixels), all
// through recorded operations so that the stream replays onto the plain start.
#pragma once

#include "../edit/edit_rig.h"
#include "document/edit/layer_list_ops.h"
#include "document/edit/layer_undo.h"
#include "document/selection/figure_fill_ops.h"
#include "document/selection/selection_grow.h"
#include "document/selection/selection_ops.h"

struct SelectionSession : EditSession
{
    explicit SelectionSession(uint32_t s) : EditSession(s) {}

    bool start()
    {
        return EditSession::start() &&
               eventSelectFromLayer(paper(), flow(), 1, -1, eMaskLayerConv::mlcMask,
                                    eMaskAddType::matNew, true) &&
               paper().getActiveMaskIndex() == 1 && hasActiveMaskImage(paper());
    }

    // One step of both histories of any edit session.
    static bool undoStepOf(EditSession &s)
    {
        int32_t idx = s.paper().ActiveLayer();
        sRect rect;
        return eventLayerUndo(s.paper(), s.flow(), idx, rect);
    }
    static bool redoStepOf(EditSession &s)
    {
        int32_t idx = s.paper().ActiveLayer();
        sRect rect;
        return eventLayerRedo(s.paper(), s.flow(), idx, rect);
    }

    bool undoStep()
    {
        int32_t idx = paper().ActiveLayer();
        sRect rect;
        return eventLayerUndo(paper(), flow(), idx, rect);
    }
    bool redoStep()
    {
        int32_t idx = paper().ActiveLayer();
        sRect rect;
        return eventLayerRedo(paper(), flow(), idx, rect);
    }
};

// The document's masks as text: count, current index, flags and every mask's title, position,
// size and checksum.
inline QString masksOf(const TPaper &paper)
{
    const QString d = dumpPaperState(paper);
    const qsizetype from = d.indexOf(QStringLiteral("masks count="));
    const qsizetype to = d.indexOf(QStringLiteral("undo undo="));
    return from < 0 ? QString() : d.mid(from, to < 0 ? -1 : to - from);
}
