#include "ui/forms/base_forms.h"

#include "platform/system/clock.h"
#include "platform/desktop/font.h"
#include "platform/desktop/keys.h"
#include "platform/desktop/messages.h"
#include "ui/graphics/appearance.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include <utility>

// ---- TBaseForm

TBaseForm::TBaseForm(QWidget *owner, Qt::WindowFlags flags) : QDialog(owner, flags)
{
    QFont f = font();
    f.setFamily("MS UI Gothic");
    f.setPixelSize(12);
    pickInterfaceFont(f, SHIFTJIS_CHARSET);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::Window,
                 QColor::fromRgb(clBtnFace32().r, clBtnFace32().g, clBtnFace32().b));
    setPalette(pal);
    setAutoFillBackground(true);
}

void TBaseForm::setClientSize(int width, int height)
{
    resize(width, height);
}

// ---- TDialogBaseForm

TDialogBaseForm::TDialogBaseForm(QWidget *owner)
    : TBaseForm(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::WindowStaysOnTopHint)
{
    setClientSize(320, 80);
    ButtonOK = new QPushButton(QStringLiteral("OK"), this);
    ButtonOK->setGeometry(216, 8, 88, 20);
    ButtonOK->setDefault(true);
    ButtonCancel = new QPushButton(QString::fromUtf8("キャンセル"), this);
    ButtonCancel->setGeometry(216, 40, 88, 20);
    setTabOrder(ButtonOK, ButtonCancel);
    connect(ButtonOK, &QPushButton::clicked, this, [this] {
        ButtonOKClick();
        done(kavrin::mrOk);
    });
    connect(ButtonCancel, &QPushButton::clicked, this, [this] { done(kavrin::mrCancel); });
    setDialogMode(dmOKCancel);
    // Centred on the screen.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TDialogBaseForm::setDialogMode(TDialogMode mode)
{
    if (m_modeSet && mode == FDialogMode)
        return;
    m_modeSet = true;
    FDialogMode = mode;
    // In dmOK the OK button is also the cancel button: Esc closes with OK's result.
    ButtonCancel->setVisible(mode == dmOKCancel);
}

void TDialogBaseForm::reject()
{
    if (FDialogMode == dmOK) {
        ButtonOKClick();
        done(kavrin::mrOk);
    } else {
        done(kavrin::mrCancel);
    }
}

void TDialogBaseForm::ButtonOKClick()
{
    ButtonOK->setFocus();
}

void TDialogBaseForm::resizeEvent(QResizeEvent *ev)
{
    // The buttons keep their distance from the right edge.
    ButtonOK->move(width() - 104, ButtonOK->y());
    ButtonCancel->move(width() - 104, ButtonCancel->y());
    TBaseForm::resizeEvent(ev);
}

// ---- TPopupBaseForm

TPopupBaseForm::TPopupBaseForm(QWidget *owner)
    : TBaseForm(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setClientSize(200, 80);
}

TPopupBaseForm::~TPopupBaseForm()
{
    FDown = false;
    if (FHooked) {
        setApplicationOnMessage(FOldMessage);
        setApplicationOnShortCut(FOldShortCut);
        setApplicationOnDeactivate(FOldDeactivate);
    }
}

void TPopupBaseForm::ShowPopUp(int X, int Y, const sRect *Exclude)
{
    if (FDown)
        return;
    if (FDragClose) {
        FDragging = true;
        getCursorPosInControl(this, FLastPos);
        FLastTime = timeGetTime();
    }
    DoPopupOpen();
    FDown = true;
    FPopupResult = kavrin::mrNone;
    FOldMessage = setApplicationOnMessage([this](TMsg &m, bool &h) { AppMessage(m, h); });
    FOldShortCut = setApplicationOnShortCut([this](TMsg &m, bool &h) { AppShortCut(m, h); });
    FOldDeactivate = setApplicationOnDeactivate([this](QObject *s) { AppDeactivate(s); });
    FHooked = true;
    LoadSettings();
    sRect r{X, Y, X + width(), Y + height()};
    const QPoint cursor = QCursor::pos();
    const sRect monitor = monitorRectNear({cursor.x(), cursor.y()});
    if (Exclude)
        fitRectAvoiding(r, monitor, *Exclude);
    else
        fitRectToMonitor(r, monitor);
    move(r.x0, r.y0);
    show();
    move(r.x0, r.y0);
    FPopupResult = kavrin::mrNone;
}

void TPopupBaseForm::ClosePopup()
{
    if (FHooked) {
        setApplicationOnMessage(std::exchange(FOldMessage, {}));
        setApplicationOnShortCut(std::exchange(FOldShortCut, {}));
        setApplicationOnDeactivate(std::exchange(FOldDeactivate, {}));
        FHooked = false;
    }
    hide();
    FDown = false;
    DoPopupClose();
}

void TPopupBaseForm::closeWithResult(int result)
{
    FPopupResult = result;
    ClosePopup();
}

void TPopupBaseForm::DoPopupOpen()
{
    if (OnPopupOpen)
        OnPopupOpen(this);
}

void TPopupBaseForm::DoPopupClose()
{
    if (OnPopupClose)
        OnPopupClose(this);
}

void TPopupBaseForm::AppDeactivate(QObject *Sender)
{
    FInModal = modalFormShowing();
    if (FInModal)
        return;
    closeWithResult(kavrin::mrOk);
    if (const TNotifyEvent &restored = applicationOnDeactivate())
        restored(Sender);
}

void TPopupBaseForm::AppMessage(TMsg &Msg, bool &)
{
    FInModal = modalFormShowing();
    if (FInModal)
        return;
    switch (Msg.message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (!frameGeometry().contains(Msg.pt))
            closeWithResult(kavrin::mrOk);
        break;
    case WM_LBUTTONUP:
        if (FDragClose && FDragging && uint32_t(timeGetTime() - FLastTime) >= FDragCloseTime)
            closeWithResult(kavrin::mrOk);
        else
            FDragClose = false; // stays off for later openings until a derived popup sets it
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (Msg.wParam == VK_TAB || Msg.wParam == VK_RETURN || Msg.wParam == VK_SPACE)
            closeWithResult(kavrin::mrOk);
        else if (Msg.wParam == VK_ESCAPE)
            closeWithResult(kavrin::mrCancel);
        break;
    default:
        break;
    }
    // The message goes on to its destination: a click outside still reaches what it hit.
}

void TPopupBaseForm::AppShortCut(TMsg &, bool &Handled)
{
    // Qt offers a shortcut before the key message itself: ask about modal windows now rather
    // than trust the answer of the last message.
    FInModal = modalFormShowing();
    Handled = !FInModal;
}

// ---- helpers

bool modalFormShowing()
{
    return QApplication::activeModalWidget() != nullptr;
}

namespace {
ModalRunner &modalRunner()
{
    static ModalRunner runner;
    return runner;
}
} // namespace

ModalRunner installModalRunner(ModalRunner runner)
{
    std::swap(modalRunner(), runner);
    return runner;
}

int doShowModal(QDialog &dialog)
{
    if (modalRunner())
        return modalRunner()(dialog);
    return dialog.exec();
}

sRect monitorRectNear(sPos point)
{
    const QPoint p(point.x, point.y);
    QScreen *best = nullptr;
    qint64 bestDist = -1;
    for (QScreen *s : QGuiApplication::screens()) {
        const QRect g = s->geometry();
        const int dx = p.x() < g.left()    ? g.left() - p.x()
                       : p.x() > g.right() ? p.x() - g.right()
                                           : 0;
        const int dy = p.y() < g.top()      ? g.top() - p.y()
                       : p.y() > g.bottom() ? p.y() - g.bottom()
                                            : 0;
        const qint64 d = qint64(dx) * dx + qint64(dy) * dy;
        if (bestDist < 0 || d < bestDist) {
            best = s;
            bestDist = d;
        }
    }
    if (!best)
        return {0, 0, 1920, 1080};
    const QRect g = best->geometry();
    return {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

bool offsetIntoMonitor(sPos &Offset, const sRect &Rect, const sRect &M)
{
    Offset.x = Rect.x0 < M.x0 ? M.x0 - Rect.x0 : M.x1 < Rect.x1 ? M.x1 - Rect.x1 : 0;
    Offset.y = Rect.y0 < M.y0 ? M.y0 - Rect.y0 : M.y1 < Rect.y1 ? M.y1 - Rect.y1 : 0;
    return Offset.x == 0 && Offset.y == 0;
}

bool fitRectToMonitor(sRect &Rect, const sRect &Monitor)
{
    if (Rect.x1 <= Rect.x0 || Rect.y1 <= Rect.y0)
        return false;
    sPos o;
    if (offsetIntoMonitor(o, Rect, Monitor))
        return true;
    Rect = {Rect.x0 + o.x, Rect.y0 + o.y, Rect.x1 + o.x, Rect.y1 + o.y};
    return true;
}

bool fitRectAvoiding(sRect &Rect, const sRect &Monitor, const sRect &Exclude)
{
    if (!fitRectToMonitor(Rect, Monitor))
        return false;
    const bool overlaps = Rect.x0 < Exclude.x1 && Exclude.x0 < Rect.x1 && Rect.y0 < Exclude.y1 &&
                          Exclude.y0 < Rect.y1;
    if (!overlaps)
        return true;
    const int32_t w = Rect.x1 - Rect.x0, h = Rect.y1 - Rect.y0;
    const sRect tries[4] = {
        {Rect.x0, Exclude.y1, Rect.x0 + w, Exclude.y1 + h}, // below
        {Rect.x0, Exclude.y0 - h, Rect.x0 + w, Exclude.y0}, // above
        {Exclude.x1, Rect.y0, Exclude.x1 + w, Rect.y0 + h}, // right
        {Exclude.x0 - w, Rect.y0, Exclude.x0, Rect.y0 + h}, // left
    };
    sPos o;
    for (const sRect &t : tries) {
        Rect = t;
        if (offsetIntoMonitor(o, Rect, Monitor))
            return true;
    }
    return false;
}
