// The edit boxes: TCustomEditEx (a line edit with the program's alignment and maximum length),
// TCustomNumEdit / TNumEdit (shows and edits a TNumMngr through a printf pattern, with arrow
// keys, wheel and a keystroke filter) and the in-place editors TCaptureEdit and
// TCaptureNumEdit. While an in-place editor edits it holds the application's message, shortcut
// and deactivation handlers: Tab, Enter or Space end the edit with mrOk, Esc with mrCancel, a
// press outside the editor ends it with mrOk and is swallowed, shortcuts with Ctrl or Alt are
// swallowed, and leaving the application ends it with mrOk. The label fields share one hidden
// instance of each (gCaptureEdit, gCaptureNumEdit), made and freed with the interface's state.
#pragma once

#include "ui/base/app_hooks.h"
#include "ui/fields/num_mngr.h"

#include <QLineEdit>
#include <QPointer>

#include <cstdint>

enum TAlignment : uint8_t
{
    taLeftJustify,
    taRightJustify,
    taCenter,
};

class TCustomEditEx : public QLineEdit
{
  public:
    explicit TCustomEditEx(QWidget *parent = nullptr);

    // Right-to-left layouts exchange left and right, as Qt's alignment does.
    TAlignment Alignment() const { return FAlignment; }
    void setAlignment(TAlignment a);
    TAlignment GetControlsAlignment() const { return FAlignment; }
    // 0: no limit.
    void setMaxLength(int n);

    // The start and end of input in the editor (the focus came or went).
    virtual void DoEnter();
    virtual void DoExit();

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

  protected:
    void focusInEvent(QFocusEvent *ev) override;
    void focusOutEvent(QFocusEvent *ev) override;
    // Whether this loss of the focus leaves the input running: a context menu's, and for an
    // in-place editor a press elsewhere, which Qt gives the focus to before the application's
    // message hook sees the press (the hook then ends the edit with its result).
    virtual bool focusLossKeepsInput(const QFocusEvent *ev) const;

  private:
    TAlignment FAlignment = taLeftJustify;
};

class TCustomNumEdit : public TCustomEditEx, public INumAssociate
{
  public:
    explicit TCustomNumEdit(QWidget *parent = nullptr);
    ~TCustomNumEdit() override;

    TNumMngr *Associate() const { return FAssociate; }
    void setAssociate(TNumMngr *model);
    QString FormatString() const { return FFormatString; }
    void setFormatString(const QString &pattern);

    // The text becomes the model's value through the pattern; "0" when unbound.
    void UpdateValues() override;
    void DetachAssociate() override { setAssociate(nullptr); }
    // Commit typed text, then one step (ten with Shift).
    void StepUp(bool IsShift);
    void StepDown(bool IsShift);

    // Fired after every change of the text by the user.
    TNotifyEvent OnChange;

  protected:
    // The user changed the text: a number in it goes to the model live, clamped.
    virtual void Change();
    // CM_EXIT: commits text that differs from the value's before the focus goes.
    void focusOutEvent(QFocusEvent *ev) override;
    void keyPressEvent(QKeyEvent *ev) override;
    void wheelEvent(QWheelEvent *ev) override;
    void contextMenuEvent(QContextMenuEvent *ev) override;

    void afterPaste();
    void afterCut();

  private:
    bool allowMinus() const { return !FAssociate || FAssociate->IsSigned(); }

    QString FFormatString = QStringLiteral("%1.0f");
    QPointer<TNumMngr> FAssociate;
    int FWheelDelta = 0; // wheel units not yet turned into steps
};

class TNumEdit : public TCustomNumEdit
{
  public:
    using TCustomNumEdit::TCustomNumEdit;
};

// The capture of the application's handlers during an in-place edit, shared by both editors.
class TEditCapture
{
  public:
    explicit TEditCapture(QLineEdit *editor, bool numeric) : m_editor(editor), m_numeric(numeric) {}
    // Whether the editor holds the handlers.
    bool down() const { return FDown; }
    int FEditResult = 0;

    // Starts the edit (nothing when one runs): inheritedEnter, then the hooks.
    void enter(const std::function<void()> &inheritedEnter);
    // Ends the edit (nothing when none runs): inheritedExit, then the old handlers return.
    void exit(const std::function<void()> &inheritedExit);

  private:
    void message(TMsg &Msg, bool &Handled);
    void shortCut(TMsg &Msg, bool &Handled);
    void deactivate(QObject *Sender);
    void finish(int result);

    QLineEdit *m_editor;
    bool m_numeric;
    bool FDown = false;
    std::function<void()> m_inheritedExit;
    TMessageEvent FOldMessage;
    TShortCutEvent FOldShortCut;
    TNotifyEvent FOldDeactivate;
};

class TCaptureEdit : public TCustomEditEx
{
  public:
    explicit TCaptureEdit(QWidget *parent = nullptr);
    ~TCaptureEdit() override;

    void DoEnter() override;
    void DoExit() override;
    // How the last edit ended: kavrin::mrOk, kavrin::mrCancel or 0.
    int EditResult() const { return FCapture.FEditResult; }
    bool Editing() const { return FCapture.down(); }

  protected:
    bool focusLossKeepsInput(const QFocusEvent *ev) const override;
    void enterEvent(QEnterEvent *ev) override;
    void leaveEvent(QEvent *ev) override;

  private:
    TEditCapture FCapture;
};

class TCaptureNumEdit : public TCustomNumEdit
{
  public:
    explicit TCaptureNumEdit(QWidget *parent = nullptr);
    ~TCaptureNumEdit() override;

    void DoEnter() override;
    void DoExit() override;
    int EditResult() const { return FCapture.FEditResult; }
    bool Editing() const { return FCapture.down(); }

  protected:
    bool focusLossKeepsInput(const QFocusEvent *ev) const override;
    void enterEvent(QEnterEvent *ev) override;
    void leaveEvent(QEvent *ev) override;

  private:
    TEditCapture FCapture;
};

// The shared in-place editors (hidden, no parent) between createCaptureEdits and
// freeCaptureEdits; initialiseUserInterface and finaliseUserInterface call these.
extern TCaptureEdit *gCaptureEdit;
extern TCaptureNumEdit *gCaptureNumEdit;
void createCaptureEdits();
void freeCaptureEdits();
