// The bases of every form: TBaseForm (the interface font and face colour), TDialogBaseForm (the
// modal OK/Cancel dialog, 320 x 80 with its buttons at the right) and TPopupBaseForm (the
// borderless popup under a button that closes itself on a click outside, on Tab, Enter, Space or
// Esc, or when the application loses the focus). Modal results stay the program's numbers
// (kavrin::mrOk 1, kavrin::mrCancel 2), given to done().
#pragma once

#include "core/base/geometry.h"
#include "ui/base/app_hooks.h"

#include <QDialog>
#include <QPoint>
#include <QRect>

#include <cstdint>
#include <functional>

class QPushButton;

class TBaseForm : public QDialog
{
  public:
    explicit TBaseForm(QWidget *owner = nullptr, Qt::WindowFlags flags = {});
    // The form's client size, as the layouts give it.
    void setClientSize(int width, int height);
};

enum TDialogMode : uint8_t
{
    dmOK,
    dmOKCancel,
};

class TDialogBaseForm : public TBaseForm
{
  public:
    explicit TDialogBaseForm(QWidget *owner = nullptr);

    TDialogMode DialogMode() const { return FDialogMode; }
    void setDialogMode(TDialogMode mode);

    QPushButton *ButtonOK = nullptr;
    QPushButton *ButtonCancel = nullptr;

    // Esc and closing the window: the cancel button's result (OK's in dmOK).
    void reject() override;

  protected:
    // Moves the focus to OK, so that an edit with pending input commits it.
    virtual void ButtonOKClick();
    void resizeEvent(QResizeEvent *ev) override;

  private:
    bool m_modeSet = false; // the mode starts as none, so the first setting always applies
    TDialogMode FDialogMode = dmOK;
};

class TPopupBaseForm : public TBaseForm
{
  public:
    explicit TPopupBaseForm(QWidget *owner = nullptr);
    ~TPopupBaseForm() override;

    bool Down() const { return FDown; }
    int PopupResult() const { return FPopupResult; }
    TNotifyEvent OnPopupOpen;
    TNotifyEvent OnPopupClose;

    // Opens at (X, Y) (screen, top-left), kept on the monitor and off Exclude when given.
    virtual void ShowPopUp(int X, int Y, const sRect *Exclude);
    virtual void LoadSettings() {}
    virtual void SaveSettings() {}
    virtual void ClosePopup();
    void closeWithResult(int result);

    // Drag-close: a left release at least FDragCloseTime ms after opening closes the popup.
    bool dragClose() const { return FDragClose; }
    void setDragClose(bool on) { FDragClose = on; }
    uint32_t dragCloseTime() const { return FDragCloseTime; }
    void setDragCloseTime(uint32_t ms) { FDragCloseTime = ms; }

  protected:
    virtual void DoPopupOpen();
    virtual void DoPopupClose();
    virtual void AppDeactivate(QObject *Sender);
    virtual void AppMessage(TMsg &Msg, bool &Handled);
    virtual void AppShortCut(TMsg &Msg, bool &Handled);

  private:
    bool FInModal = false;
    int FPopupResult = 0;
    bool FDown = false;
    bool FDragClose = false;
    bool FDragging = false;
    uint32_t FDragCloseTime = 1000;
    QPoint FLastPos;
    uint32_t FLastTime = 0xFFFFFFFFu;
    TNotifyEvent FOldDeactivate;
    TMessageEvent FOldMessage;
    TShortCutEvent FOldShortCut;
    bool FHooked = false;
};

// A modal window is showing.
bool modalFormShowing();

// Shows a dialog modally and answers its modal result (kavrin::mrOk, kavrin::mrCancel). The main
// window installs its own runner; without one the dialog runs its own event loop. Tests install a
// runner that drives the dialog instead.
using ModalRunner = std::function<int(QDialog &dialog)>;
// Installs the runner (empty: the default) and answers the previous one.
ModalRunner installModalRunner(ModalRunner runner);
int doShowModal(QDialog &dialog);

// The full rectangle of the screen nearest to point (the virtual screen's first screen without
// one); what the fitting functions below take as their monitor.
sRect monitorRectNear(sPos point);
// The move that brings Rect inside Monitor on each axis where it sticks out (0 where it fits or
// is larger than the monitor); true when no move is needed.
bool offsetIntoMonitor(sPos &Offset, const sRect &Rect, const sRect &Monitor);
// Moves Rect inside Monitor; false for an empty rectangle.
bool fitRectToMonitor(sRect &Rect, const sRect &Monitor);
// Fits Rect, then, when it overlaps Exclude, tries below, above, right of and left of it, keeping
// the first place that lies inside; false (left of it) when none does.
bool fitRectAvoiding(sRect &Rect, const sRect &Monitor, const sRect &Exclude);
