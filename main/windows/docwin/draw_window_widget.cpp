#include "windows/docwin/draw_window_widget.h"

#include "core/profile/app_profile.h"
#include "platform/desktop/keys.h"
#include "platform/desktop/window_message.h"
#include "windows/shell_host.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSizeGrip>
#include <QStyle>
#include <QWheelEvent>
#include <QWindowStateChangeEvent>

namespace {

TScrollCode scrollCodeOf(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        return TScrollCode::scLineDown;
    case QAbstractSlider::SliderSingleStepSub:
        return TScrollCode::scLineUp;
    case QAbstractSlider::SliderPageStepAdd:
        return TScrollCode::scPageDown;
    case QAbstractSlider::SliderPageStepSub:
        return TScrollCode::scPageUp;
    case QAbstractSlider::SliderToMinimum:
        return TScrollCode::scTop;
    case QAbstractSlider::SliderToMaximum:
        return TScrollCode::scBottom;
    default:
        return TScrollCode::scTrack;
    }
}

QRect qrect(const sRect &r)
{
    return QRect(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
}

} // namespace

CDrawWindowWidget::CDrawWindowWidget(std::unique_ptr<TDrawWindow> window, QWidget *parent)
    : QWidget(parent), m_window(std::move(window))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // Held keys are asked of the key table (Space, Shift, Ctrl, Alt while drawing).
    initialiseKeyState();
    m_hbar = new QScrollBar(Qt::Horizontal, this);
    m_vbar = new QScrollBar(Qt::Vertical, this);
    m_grip = new QSizeGrip(this);
    for (QScrollBar *bar : {m_hbar, m_vbar}) {
        bar->setFocusPolicy(Qt::NoFocus);
        bar->hide();
    }
    m_grip->hide();
    const int thick = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    m_window->ScrollBar1.thickness = thick;
    m_window->ScrollBar2.thickness = thick;
    connect(m_hbar, &QScrollBar::actionTriggered, this, [this](int a) { barAction(true, a); });
    connect(m_vbar, &QScrollBar::actionTriggered, this, [this](int a) { barAction(false, a); });
    connect(m_hbar, &QScrollBar::sliderReleased, this, [this] {
        m_window->ScrollBar1Scroll(TScrollCode::scPosition, m_hbar->value());
    });
    connect(m_vbar, &QScrollBar::sliderReleased, this, [this] {
        m_window->ScrollBar2Scroll(TScrollCode::scPosition, m_vbar->value());
    });
    m_autoScroll.setInterval(m_window->TimerAutoScroll.Interval);
    connect(&m_autoScroll, &QTimer::timeout, this, [this] {
        m_window->TimerAutoScroll.fire();
        followTimers();
    });
    m_window->onInvalidate = [this] { update(); };
    m_window->onSurfacePainted = [this](const sRect &r) { repaint(qrect(r)); };
    m_window->onScrollBarsChanged = [this] { followScrollBars(); };
    m_window->onPlacementChanged = [this] { followPlacement(); };
    m_window->onBeepRefused = [] { QApplication::beep(); };
    m_window->onScreenOrigin = [this] {
        const QPoint o = mapToGlobal(QPoint(0, 0));
        return sPos{o.x(), o.y()};
    };
}

CDrawWindowWidget::~CDrawWindowWidget()
{
    m_window->onInvalidate = nullptr;
    m_window->onSurfacePainted = nullptr;
    m_window->onScrollBarsChanged = nullptr;
    m_window->onPlacementChanged = nullptr;
    m_window->onScreenOrigin = nullptr;
    m_window->onBeepRefused = nullptr;
    if (m_active)
        m_window->FormDeactivate();
}

CDrawWindowWidget *CDrawWindowWidget::openIn(QMdiArea &area, std::unique_ptr<TDrawWindow> window)
{
    auto *widget = new CDrawWindowWidget(std::move(window));
    QMdiSubWindow *sub = area.addSubWindow(widget);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    widget->attachTo(sub);
    QObject::connect(&area, &QMdiArea::subWindowActivated, widget,
                     [widget](QMdiSubWindow *w) { widget->setActive(w == widget->subWindow()); });
    widget->followPlacement();
    sub->show();
    return widget;
}

void CDrawWindowWidget::attachTo(QMdiSubWindow *sub)
{
    m_sub = sub;
    sub->installEventFilter(this);
    // The frame sizes from its corner square only: no Size entry in the system menu.
    if (QMenu *menu = sub->systemMenu()) {
        for (QAction *a : menu->actions())
            if (a->text().remove(QLatin1Char('&')) == QStringLiteral("Size"))
                menu->removeAction(a);
        // While the view may not change, no entry of the menu does anything.
        connect(menu, &QMenu::aboutToShow, this, [this, menu] {
            for (const QPointer<QAction> &a : m_lockedActions)
                if (a)
                    a->setEnabled(true);
            m_lockedActions.clear();
            if (m_window->canChangeView())
                return;
            for (QAction *a : menu->actions())
                if (!a->isSeparator() && a->isEnabled()) {
                    a->setEnabled(false);
                    m_lockedActions.append(a);
                }
        });
    }
}

void CDrawWindowWidget::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    if (active)
        m_window->FormActivate();
    else
        m_window->FormDeactivate();
}

QImage CDrawWindowWidget::surfaceImage() const
{
    TMTC *s = m_window->viewSurface();
    if (!s)
        return {};
    // The surface's alpha means nothing on the screen.
    return QImage(reinterpret_cast<const uchar *>(s->seek32(0, 0)), s->width(), s->height(),
                  s->width() * 4, QImage::Format_RGB32);
}

void CDrawWindowWidget::paintEvent(QPaintEvent *event)
{
    m_window->FormPaint();
    QPainter p(this);
    const QImage img = surfaceImage();
    if (img.isNull()) {
        p.fillRect(event->rect(), QColor(0xCC, 0xCC, 0xCC));
        return;
    }
    p.drawImage(event->rect(), img, event->rect());
}

void CDrawWindowWidget::resizeEvent(QResizeEvent *)
{
    if (m_sub && m_sub->isMinimized())
        return;
    m_window->FormResize({width(), height()});
    followScrollBars();
    update();
}

void CDrawWindowWidget::followScrollBars()
{
    m_syncing = true;
    const auto follow = [](QScrollBar *bar, const CScrollBarModel &m) {
        bar->setGeometry(qrect(m.bounds));
        bar->setRange(0, std::max(0, m.Max - m.PageSize));
        bar->setPageStep(std::max(1, m.PageSize));
        bar->setSingleStep(std::max(1, m.SmallChange));
        bar->setValue(m.Position);
        bar->setVisible(m.Visible);
    };
    follow(m_hbar, m_window->ScrollBar1);
    follow(m_vbar, m_window->ScrollBar2);
    const bool both = m_window->ScrollBar1.Visible && m_window->ScrollBar2.Visible;
    m_grip->setGeometry(width() - m_window->ScrollBar2.thickness,
                        height() - m_window->ScrollBar1.thickness,
                        m_window->ScrollBar2.thickness, m_window->ScrollBar1.thickness);
    m_grip->setVisible(both);
    m_syncing = false;
}

void CDrawWindowWidget::followPlacement()
{
    if (!m_sub)
        return;
    m_sub->setWindowTitle(m_window->Caption);
    if (m_window->placement.state == eWindowState::wsNormal && !m_sub->isMaximized() &&
        !m_sub->isMinimized())
        m_sub->setGeometry(qrect(m_window->placement.bounds));
}

void CDrawWindowWidget::followTimers()
{
    if (m_window->TimerAutoScroll.Enabled && !m_autoScroll.isActive())
        m_autoScroll.start();
    else if (!m_window->TimerAutoScroll.Enabled && m_autoScroll.isActive())
        m_autoScroll.stop();
}

void CDrawWindowWidget::barAction(bool horizontal, int action)
{
    if (m_syncing)
        return;
    QScrollBar *bar = horizontal ? m_hbar : m_vbar;
    const TScrollCode code = scrollCodeOf(action);
    if (horizontal)
        m_window->ScrollBar1Scroll(code, bar->sliderPosition());
    else
        m_window->ScrollBar2Scroll(code, bar->sliderPosition());
    followScrollBars();
}

bool CDrawWindowWidget::ghostFollowsPointer() const
{
    const TToolSubKind kind = mainForm().toolForm().FToolSubMode();
    return (kind == TToolSubKind::tskDrawLocus && gAppProfile->BrushGhost) ||
           kind == TToolSubKind::tskChangePenSize;
}

TShiftState CDrawWindowWidget::shiftStateOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons)
{
    uint8_t b = 0;
    if (mods & Qt::ShiftModifier)
        b |= TShiftState::ssShift;
    if (mods & Qt::AltModifier)
        b |= TShiftState::ssAlt;
    if (mods & Qt::ControlModifier)
        b |= TShiftState::ssCtrl;
    if (buttons & Qt::LeftButton)
        b |= TShiftState::ssLeft;
    if (buttons & Qt::RightButton)
        b |= TShiftState::ssRight;
    if (buttons & Qt::MiddleButton)
        b |= TShiftState::ssMiddle;
    return TShiftState(b);
}

namespace {

bool buttonOf(Qt::MouseButton qb, TMouseButton &button)
{
    switch (qb) {
    case Qt::LeftButton:
        button = TMouseButton::mbLeft;
        return true;
    case Qt::RightButton:
        button = TMouseButton::mbRight;
        return true;
    case Qt::MiddleButton:
        button = TMouseButton::mbMiddle;
        return true;
    default:
        return false;
    }
}

} // namespace

void CDrawWindowWidget::pressed(QMouseEvent *event, bool dbl)
{
    const QPoint p = event->position().toPoint();
    TMouseButton button;
    if (!buttonOf(event->button(), button))
        return;
    TShiftState shift = shiftStateOf(event->modifiers(), event->buttons());
    if (dbl)
        shift = shift.with(TShiftState::ssDouble);
    if (event->button() == Qt::LeftButton &&
        mainForm().toolForm().FToolSubMode() == TToolSubKind::tskDrawLocus &&
        gAppProfile->BrushGhost)
        m_window->DrawBrushGhost(p.x(), p.y(), true);
    m_window->FormMouseDown(button, shift, p.x(), p.y());
    followTimers();
}

void CDrawWindowWidget::mousePressEvent(QMouseEvent *event)
{
    pressed(event, false);
}

void CDrawWindowWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    pressed(event, true);
}

void CDrawWindowWidget::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    TMouseButton button;
    if (buttonOf(event->button(), button))
        m_window->FormMouseUp(button, shiftStateOf(event->modifiers(), event->buttons()), p.x(),
                              p.y());
    if (event->button() == Qt::LeftButton) {
        if (mainForm().toolForm().FToolSubMode() == TToolSubKind::tskDrawLocus &&
            gAppProfile->BrushGhost)
            m_window->DrawBrushGhost(p.x(), p.y(), true);
        else
            m_window->EraseBrushGhost();
    }
    followTimers();
}

void CDrawWindowWidget::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    m_window->cursorInside = true;
    m_window->FormMouseMove(shiftStateOf(event->modifiers(), event->buttons()), p.x(), p.y());
    if (ghostFollowsPointer())
        m_window->DrawBrushGhost(p.x(), p.y(), true);
    followTimers();
}

void CDrawWindowWidget::wheelEvent(QWheelEvent *event)
{
    // The main window gets the wheel first and hands it back; modifier keys change nothing.
    mainForm().forwardMouseWheel(event->angleDelta().y(),
                                 (event->buttons() & Qt::LeftButton) != 0);
    followScrollBars();
    event->accept();
}

void CDrawWindowWidget::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
        m_window->spaceHeld = true;
    const int32_t vk = vkFromQtKey(event->key(), event->modifiers());
    if (vk == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    // Bit 30 of the key data: the key was down before (an auto-repeat).
    const uint32_t data = event->isAutoRepeat() ? 1u << 30 : 0u;
    // Alt combinations and F10 arrive as system keys.
    if ((event->modifiers() & Qt::AltModifier) || vk == VK_F1 + 9)
        m_window->sysKeyDownMessage(uint32_t(vk), data);
    else
        m_window->keyDownMessage(uint32_t(vk), data);
    followTimers();
    event->accept();
}

void CDrawWindowWidget::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
        m_window->spaceHeld = false;
    const int32_t vk = vkFromQtKey(event->key(), event->modifiers());
    if (vk == 0) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    if (event->modifiers() & Qt::AltModifier)
        m_window->sysKeyUpMessage(uint32_t(vk), 3u << 30);
    else
        m_window->FormKeyUp(uint32_t(vk), shiftStateOf(event->modifiers(), Qt::NoButton));
    event->accept();
}

void CDrawWindowWidget::focusInEvent(QFocusEvent *event)
{
    m_window->m_hasFocus = true;
    QWidget::focusInEvent(event);
}

void CDrawWindowWidget::focusOutEvent(QFocusEvent *event)
{
    m_window->m_hasFocus = false;
    QWidget::focusOutEvent(event);
}

bool CDrawWindowWidget::event(QEvent *event)
{
    // The tablet context's messages, when this window is the one the context was opened for.
    if (event->type() == TWindowMessageEvent::eventType()) {
        auto *message = static_cast<TWindowMessageEvent *>(event);
        m_window->tabletMessage(message->message());
        followTimers();
        return true;
    }
    return QWidget::event(event);
}

void CDrawWindowWidget::leaveEvent(QEvent *)
{
    m_window->cursorInside = false;
    mainForm().toolForm().clearInformationView();
    m_window->EraseBrushGhost();
}

bool CDrawWindowWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_sub && filterSubWindow(event))
        return true;
    return QWidget::eventFilter(watched, event);
}

// The sub-window's frame and system commands: nothing passes while the view may not change.
bool CDrawWindowWidget::filterSubWindow(QEvent *event)
{
    const bool locked = !m_window->canChangeView();
    switch (event->type()) {
    case QEvent::Close:
        if (!m_window->FormCloseQuery()) {
            event->ignore();
            return true;
        }
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
        if (locked)
            return true;
        m_frameDrag = true;
        m_window->m_bSizeMove = true;
        return false;
    case QEvent::MouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonRelease:
        if (m_frameDrag) {
            m_frameDrag = false;
            m_window->m_bSizeMove = false;
            m_window->UpdateControls();
        }
        return false;
    case QEvent::NonClientAreaMouseMove:
    case QEvent::Leave:
        mainForm().toolForm().clearInformationView();
        m_window->EraseBrushGhost();
        return false;
    case QEvent::WindowStateChange: {
        const auto *change = static_cast<QWindowStateChangeEvent *>(event);
        const Qt::WindowStates now = m_sub->windowState();
        if (locked) {
            // The command came through anyway (a title-bar button): undo it.
            if (now != change->oldState())
                QTimer::singleShot(0, m_sub, [sub = m_sub, old = change->oldState()] {
                    if (sub)
                        sub->setWindowState(old);
                });
            return true;
        }
        if (now & Qt::WindowMaximized)
            gAppProfile->childWinMax = true;
        else if (!(now & Qt::WindowMinimized) && (change->oldState() & Qt::WindowMaximized))
            gAppProfile->childWinMax = false;
        m_window->placement.state = (now & Qt::WindowMinimized)   ? eWindowState::wsMinimized
                                    : (now & Qt::WindowMaximized) ? eWindowState::wsMaximized
                                                                  : eWindowState::wsNormal;
        return false;
    }
    default:
        return false;
    }
}
