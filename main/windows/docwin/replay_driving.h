// Driving a document window's replay by a timer: each tick runs one step and re-arms the timer
// with the time left until the next step is due, so a paced replay never spins and an unpaced
// one (a render) runs step after step.
#pragma once

#include "document/events/event_recorder_types.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <functional>

class TDrawWindow;

class CReplayDriver : public QObject
{
  public:
    using Step = std::function<eEvPlayStat()>;
    // The window's own step by its replay type (playEventQES or playEventWPE).
    explicit CReplayDriver(TDrawWindow &window, QObject *parent = nullptr);
    // Another step (the main window's, which also updates its own displays).
    CReplayDriver(TDrawWindow &window, Step step, QObject *parent = nullptr);

    void start();
    void stop();
    bool isRunning() const { return m_running; }
    // Called once when the window stops playing.
    std::function<void()> onFinished;
    // Steps run so far.
    uint64_t steps() const { return m_steps; }

    // A step that waits with nothing due (a paused replay) is tried again after this many ms.
    static constexpr uint32_t kIdleRetryMs = 20;

  private:
    void tick();

    TDrawWindow &m_window;
    Step m_step;
    QTimer m_timer;
    bool m_running = false;
    uint64_t m_steps = 0;
};
