// In-process drag and drop between owner-drawn controls. A drag starts from a
// source control whose button is held; the pointer is followed through the
// source's implicit mouse grab, the target is the topmost visible registered
// control under it, and targets receive DragOver (enter, move, leave) and
// DragDrop. Release drops, Esc cancels.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <functional>
#include <vector>

class TGraphicControl;

enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

class TDragManager : public QObject
{
  public:
    static TDragManager &instance();

    // Targets registered later lie on top of earlier ones.
    void registerTarget(TGraphicControl *target);
    void unregisterTarget(TGraphicControl *target);

    // Starts a drag carrying the source; false while another drag runs.
    bool beginDrag(TGraphicControl *source);
    bool dragging() const { return !m_source.isNull(); }
    TGraphicControl *source() const { return m_source; }
    // The state of the DragOver being delivered.
    TDragState state() const { return m_state; }

    // The pointer moved to a global point (called from the event filter and by tests).
    void moveTo(QPoint global);
    // Drops at a global point, or cancels with no target.
    void drop(QPoint global);
    void cancel();

    // Called when a drag ends: the target it ended on (null when refused or cancelled).
    std::function<void(TGraphicControl *source, TGraphicControl *target)> OnEndDrag;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    TDragManager() = default;
    TGraphicControl *targetAt(QPoint global) const;
    void leaveTarget();
    void finish(TGraphicControl *target);

    std::vector<QPointer<TGraphicControl>> m_targets;
    QPointer<TGraphicControl> m_source;
    QPointer<TGraphicControl> m_over;
    bool m_accepted = false;
    TDragState m_state = dsDragMove;
};
