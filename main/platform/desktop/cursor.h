// The application-wide cursor shown during long operations. setStdCursor puts a standard shape
// over every window and hands back what was there before, which the caller restores with
// restoreCursor on every way out; WaitCursor does both for one scope.
#pragma once

#include <Qt>

#include <optional>

// The application-wide cursor in force before a change: a shape, or none (each window shows its
// own cursor).
using SavedCursor = std::optional<Qt::CursorShape>;

// Shows shape over every window; answers the previous application-wide cursor. Does nothing
// (and answers none) without a GUI application.
SavedCursor setStdCursor(Qt::CursorShape shape);
// setStdCursor with the busy shape; called around every long operation.
SavedCursor setWaitCursor();
// Puts back what setStdCursor answered.
void restoreCursor(const SavedCursor &previous);

// The busy cursor for the lifetime of the guard, restored on every way out.
class WaitCursor
{
  public:
    WaitCursor() : m_previous(setWaitCursor()) {}
    ~WaitCursor() { restoreCursor(m_previous); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;

  private:
    SavedCursor m_previous;
};
