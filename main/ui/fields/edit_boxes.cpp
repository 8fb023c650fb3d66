#include "ui/fields/edit_boxes.h"

#include "platform/desktop/keys.h"
#include "platform/desktop/messages.h"
#include "ui/base/popup_menu.h"
#include "ui/fields/mouse_gates.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QShortcutEvent>
#include <QWheelEvent>

#include <utility>

TCaptureEdit *gCaptureEdit = nullptr;
TCaptureNumEdit *gCaptureNumEdit = nullptr;

// ---- TCustomEditEx

TCustomEditEx::TCustomEditEx(QWidget *parent) : QLineEdit(parent)
{
    setAlignment(taLeftJustify);
}

void TCustomEditEx::setAlignment(TAlignment a)
{
    FAlignment = a;
    const Qt::Alignment h = a == taRightJustify ? Qt::AlignRight
                            : a == taCenter     ? Qt::AlignHCenter
                                                : Qt::AlignLeft;
    QLineEdit::setAlignment(h | Qt::AlignVCenter);
}

void TCustomEditEx::setMaxLength(int n)
{
    QLineEdit::setMaxLength(n > 0 ? n : 32767);
}

void TCustomEditEx::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TCustomEditEx::DoExit()
{
    if (OnExit)
        OnExit(this);
}

void TCustomEditEx::focusInEvent(QFocusEvent *ev)
{
    QLineEdit::focusInEvent(ev);
    if (ev->reason() != Qt::PopupFocusReason)
        DoEnter();
}

bool TCustomEditEx::focusLossKeepsInput(const QFocusEvent *ev) const
{
    // A context menu takes the focus only for a moment.
    return ev->reason() == Qt::PopupFocusReason;
}

void TCustomEditEx::focusOutEvent(QFocusEvent *ev)
{
    if (!focusLossKeepsInput(ev))
        DoExit();
    QLineEdit::focusOutEvent(ev);
}

// ---- TCustomNumEdit

TCustomNumEdit::TCustomNumEdit(QWidget *parent) : TCustomEditEx(parent)
{
    resize(40, height());
    setMaxLength(16);
    setAlignment(taRightJustify);
    connect(this, &QLineEdit::textEdited, this, [this] { Change(); });
    UpdateValues();
}

TCustomNumEdit::~TCustomNumEdit()
{
    rebindNumAssociate(FAssociate, nullptr, this);
}

void TCustomNumEdit::setAssociate(TNumMngr *model)
{
    rebindNumAssociate(FAssociate, model, this);
    UpdateValues();
}

void TCustomNumEdit::setFormatString(const QString &pattern)
{
    if (pattern == FFormatString)
        return;
    FFormatString = pattern;
    UpdateValues();
}

void TCustomNumEdit::UpdateValues()
{
    setText(FAssociate ? formatNumber(FFormatString, FAssociate->Value()) : QStringLiteral("0"));
}

void TCustomNumEdit::StepUp(bool IsShift)
{
    if (!FAssociate)
        return;
    FAssociate->SetString(this, text(), 10);
    FAssociate->Increment(this, IsShift);
}

void TCustomNumEdit::StepDown(bool IsShift)
{
    if (!FAssociate)
        return;
    FAssociate->SetString(this, text(), 10);
    FAssociate->Decrement(this, IsShift);
}

void TCustomNumEdit::Change()
{
    if (FAssociate) {
        float n = 0;
        TNumberOverflow overflow = noOverflow;
        // The other bound controls follow while the user types; this edit keeps the text.
        if (parseNumberText(n, text(), FAssociate->IsSigned(), &overflow)) {
            if (n <= FAssociate->ValueMin())
                n = FAssociate->ValueMin();
            if (n >= FAssociate->ValueMax())
                n = FAssociate->ValueMax();
            FAssociate->SetNumber(this, n);
        } else if (overflow != noOverflow) {
            FAssociate->SetOverflow(this, overflow == overflowLow);
        }
    }
    if (OnChange)
        OnChange(this);
}

void TCustomNumEdit::focusOutEvent(QFocusEvent *ev)
{
    if (FAssociate && !focusLossKeepsInput(ev) &&
        text() != formatNumber(FFormatString, FAssociate->Value()))
        FAssociate->SetString(this, text(), 10);
    TCustomEditEx::focusOutEvent(ev);
}

void TCustomNumEdit::keyPressEvent(QKeyEvent *ev)
{
    const bool shift = ev->modifiers() & Qt::ShiftModifier;
    if (ev->key() == Qt::Key_Up)
        StepUp(shift);
    else if (ev->key() == Qt::Key_Down)
        StepDown(shift);
    if (ev->matches(QKeySequence::Paste)) {
        TCustomEditEx::keyPressEvent(ev);
        afterPaste();
        return;
    }
    if (ev->matches(QKeySequence::Cut)) {
        TCustomEditEx::keyPressEvent(ev);
        afterCut();
        return;
    }
    // The keystroke filter: control characters pass, others only when they can be part of a
    // number; a second separator never.
    const QString t = ev->text();
    if (!t.isEmpty() && t.front() >= u' ') {
        const QChar c = t.front();
        const QChar sep = decimalSeparator();
        if (!isNumberChar(c, allowMinus(), true) || (c == sep && text().contains(sep))) {
            ev->accept();
            return;
        }
    }
    TCustomEditEx::keyPressEvent(ev);
}

void TCustomNumEdit::wheelEvent(QWheelEvent *ev)
{
    if (!FAssociate) {
        ev->ignore();
        return;
    }
    // One step per notch (120 units), however the units arrive; some desktops turn Shift+wheel
    // into a horizontal turn.
    const QPoint d = ev->angleDelta();
    FWheelDelta += d.y() != 0 ? d.y() : d.x();
    const bool shift = ev->modifiers() & Qt::ShiftModifier;
    while (FWheelDelta >= 120) {
        FWheelDelta -= 120;
        StepUp(shift);
    }
    while (FWheelDelta <= -120) {
        FWheelDelta += 120;
        StepDown(shift);
    }
    ev->accept();
}

void TCustomNumEdit::contextMenuEvent(QContextMenuEvent *ev)
{
    // The edit box's own menu, built here so that paste and cut are known to be followed by
    // their commits.
    QMenu menu(this);
    const auto add = [&](const char *caption, const char *name, bool enabled, auto slot) {
        QAction *a = menu.addAction(QCoreApplication::translate("QLineEdit", caption));
        a->setObjectName(QString::fromLatin1(name));
        a->setEnabled(enabled);
        connect(a, &QAction::triggered, this, slot);
    };
    const bool writable = !isReadOnly();
    const bool selected = hasSelectedText();
    add("&Undo", "edit-undo", writable && isUndoAvailable(), [this] { undo(); });
    add("&Redo", "edit-redo", writable && isRedoAvailable(), [this] { redo(); });
    menu.addSeparator();
    add("Cu&t", "edit-cut", writable && selected, [this] {
        cut();
        afterCut();
    });
    add("&Copy", "edit-copy", selected, [this] { copy(); });
    add("&Paste", "edit-paste", writable, [this] {
        paste();
        afterPaste();
    });
    add("Delete", "edit-delete", writable && selected, [this] { del(); });
    menu.addSeparator();
    add("Select All", "select-all", !text().isEmpty(), [this] { selectAll(); });
    execPopupMenu(menu, ev->globalPos());
}

void TCustomNumEdit::afterPaste()
{
    if (FAssociate)
        FAssociate->SetString(this, text(), 10);
}

void TCustomNumEdit::afterCut()
{
    // Any cut, even of a part of the text, returns the value to its default.
    if (FAssociate)
        FAssociate->Reset(this);
}

// ---- the capture of an in-place edit

void TEditCapture::enter(const std::function<void()> &inheritedEnter)
{
    if (FDown)
        return;
    FDown = true;
    if (m_numeric)
        FEditResult = 0;
    inheritedEnter();
    FOldMessage = setApplicationOnMessage([this](TMsg &m, bool &h) { message(m, h); });
    FOldShortCut = setApplicationOnShortCut([this](TMsg &m, bool &h) { shortCut(m, h); });
    FOldDeactivate = setApplicationOnDeactivate([this](QObject *s) { deactivate(s); });
}

void TEditCapture::exit(const std::function<void()> &inheritedExit)
{
    if (!FDown)
        return;
    FDown = false;
    inheritedExit();
    setApplicationOnMessage(std::exchange(FOldMessage, {}));
    setApplicationOnShortCut(std::exchange(FOldShortCut, {}));
    setApplicationOnDeactivate(std::exchange(FOldDeactivate, {}));
}

void TEditCapture::finish(int result)
{
    FEditResult = result;
    if (auto *e = dynamic_cast<TCustomEditEx *>(m_editor))
        e->DoExit();
}

void TEditCapture::message(TMsg &Msg, bool &Handled)
{
    if (m_numeric && (FEditResult == kavrin::mrOk || FEditResult == kavrin::mrCancel))
        return;
    switch (Msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (Msg.wParam == VK_TAB || Msg.wParam == VK_RETURN || Msg.wParam == VK_SPACE) {
            Handled = true;
            finish(kavrin::mrOk);
        } else if (Msg.wParam == VK_ESCAPE) {
            Handled = true;
            finish(kavrin::mrCancel);
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        if (!m_editor->rect().contains(m_editor->mapFromGlobal(Msg.pt))) {
            Handled = true;
            finish(kavrin::mrOk);
        }
        break;
    default:
        break;
    }
}

void TEditCapture::shortCut(TMsg &Msg, bool &Handled)
{
    Qt::KeyboardModifiers mods;
    if (Msg.event && Msg.event->type() == QEvent::Shortcut) {
        const QKeySequence k = static_cast<QShortcutEvent *>(Msg.event)->key();
        if (!k.isEmpty())
            mods = k[0].keyboardModifiers();
    }
    if (mods & (Qt::ControlModifier | Qt::AltModifier))
        Handled = true;
}

void TEditCapture::deactivate(QObject *Sender)
{
    finish(kavrin::mrOk);
    // DoExit put the previous handler back: it hears of the deactivation too.
    if (const TNotifyEvent restored = applicationOnDeactivate())
        restored(Sender);
}

// ---- TCaptureEdit

TCaptureEdit::TCaptureEdit(QWidget *parent) : TCustomEditEx(parent), FCapture(this, false) {}

TCaptureEdit::~TCaptureEdit()
{
    DoExit();
}

bool TCaptureEdit::focusLossKeepsInput(const QFocusEvent *ev) const
{
    return TCustomEditEx::focusLossKeepsInput(ev) ||
           (Editing() && ev->reason() == Qt::MouseFocusReason);
}

void TCaptureEdit::DoEnter()
{
    FCapture.enter([this] { TCustomEditEx::DoEnter(); });
}

void TCaptureEdit::DoExit()
{
    FCapture.exit([this] { TCustomEditEx::DoExit(); });
}

void TCaptureEdit::enterEvent(QEnterEvent *ev)
{
    TCustomEditEx::enterEvent(ev);
    if (acceptMouseEnter(this))
        setCursor(Qt::IBeamCursor);
}

void TCaptureEdit::leaveEvent(QEvent *ev)
{
    TCustomEditEx::leaveEvent(ev);
    if (acceptMouseLeave(this))
        setCursor(Qt::ArrowCursor);
}

// ---- TCaptureNumEdit

TCaptureNumEdit::TCaptureNumEdit(QWidget *parent) : TCustomNumEdit(parent), FCapture(this, true) {}

TCaptureNumEdit::~TCaptureNumEdit()
{
    // CM_EXIT: typed text is committed, then the edit ends.
    if (Associate() && text() != formatNumber(FormatString(), Associate()->Value()))
        Associate()->SetString(this, text(), 10);
    DoExit();
}

bool TCaptureNumEdit::focusLossKeepsInput(const QFocusEvent *ev) const
{
    return TCustomNumEdit::focusLossKeepsInput(ev) ||
           (Editing() && ev->reason() == Qt::MouseFocusReason);
}

void TCaptureNumEdit::DoEnter()
{
    FCapture.enter([this] { TCustomNumEdit::DoEnter(); });
}

void TCaptureNumEdit::DoExit()
{
    FCapture.exit([this] { TCustomNumEdit::DoExit(); });
}

void TCaptureNumEdit::enterEvent(QEnterEvent *ev)
{
    TCustomNumEdit::enterEvent(ev);
    if (acceptMouseEnter(this))
        setCursor(Qt::IBeamCursor);
}

void TCaptureNumEdit::leaveEvent(QEvent *ev)
{
    TCustomNumEdit::leaveEvent(ev);
    if (acceptMouseLeave(this))
        setCursor(Qt::ArrowCursor);
}

// ---- the shared editors

void createCaptureEdits()
{
    if (!gCaptureEdit) {
        gCaptureEdit = new TCaptureEdit;
        gCaptureEdit->hide();
    }
    if (!gCaptureNumEdit) {
        gCaptureNumEdit = new TCaptureNumEdit;
        gCaptureNumEdit->hide();
    }
}

void freeCaptureEdits()
{
    delete gCaptureNumEdit;
    gCaptureNumEdit = nullptr;
    delete gCaptureEdit;
    gCaptureEdit = nullptr;
}
