#include "windows/dock/dock_float.h"

#include "ui/graphics/appearance.h"
#include "windows/dock/dock_drag.h"

#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

// ---------------------------------------------------------------- snapping

namespace {

constexpr int kSnap = 8;

// Edges with exclusive right and bottom, so that windows side by side share an edge value.
int rightOf(const QRect &r) { return r.x() + r.width(); }
int bottomOf(const QRect &r) { return r.y() + r.height(); }

struct Thresholds
{
    int x = kSnap, y = kSnap;
};

void shiftX(QRect &r, int dx, Thresholds &t)
{
    r.translate(dx, 0);
    t.x += dx; // the threshold handed on follows the signed distance moved
}

void shiftY(QRect &r, int dy, Thresholds &t)
{
    r.translate(0, dy);
    t.y += dy;
}

// Same-side snap onto a container (a monitor, the main window's area).
void snapSameSide(QRect &r, const QRect &target, Thresholds &t)
{
    const bool touch = r.x() <= rightOf(target) && target.x() <= rightOf(r) &&
                       r.y() <= bottomOf(target) && target.y() <= bottomOf(r);
    if (!touch)
        return;
    if (std::abs(r.x() - target.x()) <= t.x)
        shiftX(r, target.x() - r.x(), t);
    else if (std::abs(rightOf(r) - rightOf(target)) <= t.x)
        shiftX(r, rightOf(target) - rightOf(r), t);
    if (std::abs(r.y() - target.y()) <= t.y)
        shiftY(r, target.y() - r.y(), t);
    else if (std::abs(bottomOf(r) - bottomOf(target)) <= t.y)
        shiftY(r, bottomOf(target) - bottomOf(r), t);
}

void alignTopOrBottom(QRect &r, const QRect &o, Thresholds &t)
{
    if (std::abs(r.y() - o.y()) <= t.y)
        shiftY(r, o.y() - r.y(), t);
    else if (std::abs(bottomOf(r) - bottomOf(o)) <= t.y)
        shiftY(r, bottomOf(o) - bottomOf(r), t);
}

void alignLeftOrRight(QRect &r, const QRect &o, Thresholds &t)
{
    if (std::abs(r.x() - o.x()) <= t.x)
        shiftX(r, o.x() - r.x(), t);
    else if (std::abs(rightOf(r) - rightOf(o)) <= t.x)
        shiftX(r, rightOf(o) - rightOf(r), t);
}

// Opposite-side snap against another palette window, then the edges along the shared side.
void snapOther(QRect &r, const QRect &o, Thresholds &t)
{
    if (r.x() > rightOf(o) + t.x || rightOf(r) + t.x < o.x() || r.y() > bottomOf(o) + t.y ||
        bottomOf(r) + t.y < o.y())
        return;
    bool sideways = false;
    if (std::abs(r.x() - rightOf(o)) <= t.x) {
        shiftX(r, rightOf(o) - r.x(), t);
        sideways = true;
    } else if (std::abs(rightOf(r) - o.x()) <= t.x) {
        shiftX(r, o.x() - rightOf(r), t);
        sideways = true;
    }
    if (sideways || r.x() == rightOf(o) || rightOf(r) == o.x()) {
        alignTopOrBottom(r, o, t);
        return;
    }
    bool stacked = false;
    if (std::abs(r.y() - bottomOf(o)) <= t.y) {
        shiftY(r, bottomOf(o) - r.y(), t);
        stacked = true;
    } else if (std::abs(bottomOf(r) - o.y()) <= t.y) {
        shiftY(r, o.y() - bottomOf(r), t);
        stacked = true;
    }
    if (stacked || r.y() == bottomOf(o) || bottomOf(r) == o.y())
        alignLeftOrRight(r, o, t);
}

} // namespace

bool snapPaletteRectWorker(QRect &rect, const std::vector<QRect> &monitors, const QRect &mainArea,
                           const std::vector<QRect> &others, int *thresholdX, int *thresholdY)
{
    Thresholds t;
    const Thresholds stage = t;
    for (const QRect &m : monitors) {
        t = stage; // each monitor starts afresh; the last one's thresholds go on
        snapSameSide(rect, m, t);
    }
    if (!mainArea.isEmpty())
        snapSameSide(rect, mainArea, t);
    for (const QRect &o : others)
        snapOther(rect, o, t);
    if (thresholdX)
        *thresholdX = t.x;
    if (thresholdY)
        *thresholdY = t.y;
    return t.x != kSnap || t.y != kSnap;
}

bool snapPaletteRect(QRect &rect, const TDockFloatForm *window, bool skip)
{
    std::vector<QRect> monitors, others;
    for (const QScreen *s : QGuiApplication::screens())
        monitors.push_back(s->geometry());
    QRect mainArea;
    if (const TDockFloatManager *m = window ? window->DockFloatManager() : nullptr) {
        mainArea = m->MainArea();
        for (int i = 0; i < m->Count(); ++i) {
            const TDockFloatForm *f = m->Form(i);
            if (f && f->isVisible() && !(skip && f == window))
                others.push_back(f->geometry());
        }
    }
    return snapPaletteRectWorker(rect, monitors, mainArea, others);
}

// ---------------------------------------------------------------- TDockFloatForm

TDockFloatForm::TDockFloatForm(QWidget *owner)
    : TBaseForm(owner, Qt::Tool | Qt::FramelessWindowHint)
{
    setMouseTracking(true);
    FClient = new QWidget(this);
    resize(216, 19 + 96 + FrameSize().height());
}

TDockFloatForm::~TDockFloatForm()
{
    for (TDockViewManager *p : FPanes)
        p->DetachAll();
    FPanes.clear();
}

bool TDockFloatForm::IsValidIndex(int Index) const
{
    return Index >= 0 && Index < Count() && FPanes[size_t(Index)];
}

TDockViewManager *TDockFloatForm::Pane(int Index) const
{
    return IsValidIndex(Index) ? FPanes[size_t(Index)] : nullptr;
}

int TDockFloatForm::IndexOf(const TDockViewManager *APane) const
{
    const auto it = std::find(FPanes.begin(), FPanes.end(), APane);
    return it == FPanes.end() ? -1 : int(it - FPanes.begin());
}

int TDockFloatForm::IndexOf(const TCustomDockView *AView) const
{
    return AView ? IndexOf(AView->DockViewManager()) : -1;
}

TDockViewManager *TDockFloatForm::AddPane()
{
    return InsertPane(-1);
}

TDockViewManager *TDockFloatForm::InsertPane(int Index)
{
    if (Index < 0 || Index >= Count())
        Index = Count();
    auto *pane = new TDockViewManager(FClient);
    FPanes.insert(FPanes.begin() + Index, pane);
    pane->show();
    AlignPanes(false);
    return pane;
}

int TDockFloatForm::RemovePane(TDockViewManager *APane)
{
    const int index = IndexOf(APane);
    if (index < 0)
        return -1;
    FPanes.erase(FPanes.begin() + index);
    APane->hide();
    // The pane may be running a handler of its own (a drag that emptied it): freed afterwards.
    APane->deleteLater();
    if (!FPanes.empty())
        AlignPanes(true);
    else if (FManager)
        FManager->RemoveForm(this);
    else
        deleteLater();
    return index;
}

TCustomDockView *TDockFloatForm::DockView(int Index, TCustomDockView *AView)
{
    TDockViewManager *pane = IsValidIndex(Index) ? Pane(Index) : AddPane();
    if (!pane || !AView || pane->AddTab(AView) < 0)
        return nullptr;
    return AView;
}

TCustomDockView *TDockFloatForm::UnDockView(TCustomDockView *AView)
{
    TDockViewManager *pane = Pane(IndexOf(AView));
    if (!pane)
        return nullptr;
    ClearAligns();
    pane->RemoveTab(AView);
    return AView;
}

int TDockFloatForm::PointToIndex(QPoint Pos) const
{
    int top = 0;
    for (int i = 0; i < Count(); ++i) {
        top += FPanes[size_t(i)]->GetPaneHeight();
        if (Pos.y() < top)
            return i;
    }
    return -1;
}

int TDockFloatForm::CalcDockRect(QRect &DockRect, QPoint Pos, int) const
{
    if (FPanes.empty())
        return -1;
    int y = Pos.y(), result = -1;
    for (int i = 0; i < Count() && result == -1; ++i) {
        const int h = FPanes[size_t(i)]->GetPaneHeight();
        if (y <= 3 || (y <= 7 && i > 0))
            result = i + Count(); // the gap before pane i
        else if (y < h - 4)
            result = i;
        else
            y -= h;
    }
    QRect r;
    if (result < 0)
        r = FPanes.back()->GetDockRect(1);
    else if (result < Count())
        r = FPanes[size_t(result)]->GetDockRect(0);
    else
        r = FPanes[size_t(result - Count())]->GetDockRect(-1);
    DockRect = QRect(FClient->mapToGlobal(r.topLeft()), r.size());
    return result;
}

int TDockFloatForm::CalcClientHeight() const
{
    int h = 0;
    for (const TDockViewManager *p : FPanes)
        h += p->GetPaneHeight();
    return h;
}

void TDockFloatForm::ClearAligns()
{
    for (int i = Count() - 1; i >= 0; --i) {
        TDockViewManager *p = FPanes[size_t(i)];
        p->ClearAlign();
        p->setFirst(i == 0);
        p->setLast(i == Count() - 1);
    }
}

void TDockFloatForm::setClientHeight(int h)
{
    const bool was = FAligning;
    FAligning = true; // the resize below must not place the panes again
    ApplySizeLimits();
    resize(width(), h + FrameSize().height());
    FClient->setGeometry(kBorder, kBorder + kCaption, width() - 2 * kBorder,
                         height() - FrameSize().height());
    FAligning = was;
}

int TDockFloatForm::SetAligns(bool Adjust)
{
    const int clientHeight = CalcClientHeight();
    // A hidden window gets no resize events: its client follows its size here.
    FClient->setGeometry(kBorder, kBorder + kCaption, width() - 2 * kBorder,
                         height() - FrameSize().height());
    if (Adjust)
        setClientHeight(clientHeight);
    int top = 0;
    for (TDockViewManager *p : FPanes)
        if (!p->isHidden())
            top = p->PlaceAt(top, FClient->width(), FClient->height());
    if (Adjust)
        setClientHeight(CalcClientHeight());
    ApplySizeLimits();
    return top;
}

void TDockFloatForm::AlignPanes(bool Adjust)
{
    ClearAligns();
    SetAligns(Adjust);
}

void TDockFloatForm::ShowMM()
{
    const QRect bounds = geometry();
    show();
    setGeometry(bounds);
}

bool TDockFloatForm::Collapsed() const
{
    return std::all_of(FPanes.begin(), FPanes.end(),
                       [](const TDockViewManager *p) { return p->Collapsed(); });
}

void TDockFloatForm::setCollapsed(bool value)
{
    if (value == Collapsed() || FPanes.empty())
        return;
    ClearAligns();
    for (TDockViewManager *p : FPanes)
        for (int i = 0; i < p->Count(); ++i)
            p->View(i)->setCollapsed(value);
    AlignPanes(true);
}

void TDockFloatForm::ShowView(TDockViewManager *APane, TCustomDockView *AView)
{
    if (IndexOf(APane) < 0)
        return;
    ClearAligns();
    APane->show();
    APane->setActiveIndex(APane->IndexOf(AView));
    ShowMM();
}

int TDockFloatForm::CalcMinClientWidth() const
{
    int w = 0;
    for (const TDockViewManager *p : FPanes)
        w = std::max(w, p->GetMinPaneWidth());
    return w;
}

int TDockFloatForm::CalcMinClientHeight() const
{
    if (FPanes.empty())
        return 0;
    int h = FPanes.back()->GetMinPaneHeight();
    for (size_t i = 0; i + 1 < FPanes.size(); ++i)
        h += FPanes[i]->GetPaneHeight();
    return h;
}

int TDockFloatForm::CalcMaxClientHeight() const
{
    if (FPanes.empty() || FPanes.back()->GetMaxPaneHeight() == 0)
        return 0;
    int h = FPanes.back()->GetMaxPaneHeight();
    for (size_t i = 0; i + 1 < FPanes.size(); ++i)
        h += FPanes[i]->GetPaneHeight();
    return h;
}

void TDockFloatForm::ApplySizeLimits()
{
    const QSize frame = FrameSize();
    QSize minSize(frame), maxSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (!FPanes.empty()) {
        minSize = QSize(std::max(frame.width(), CalcMinClientWidth() + frame.width()),
                        std::max(frame.height(), CalcMinClientHeight() + frame.height()));
        // A maximum counts only when it leaves room for a client.
        const int maxW = CalcMaxClientWidth() + frame.width();
        const int maxH = CalcMaxClientHeight() + frame.height();
        if (maxW > frame.width())
            maxSize.setWidth(maxW);
        if (maxH > frame.height())
            maxSize.setHeight(maxH);
    }
    const bool was = FAligning;
    FAligning = true;
    setMinimumSize(minSize);
    setMaximumSize(maxSize.expandedTo(minSize));
    FAligning = was;
}

void TDockFloatForm::resizeEvent(QResizeEvent *ev)
{
    TBaseForm::resizeEvent(ev);
    FClient->setGeometry(kBorder, kBorder + kCaption, width() - 2 * kBorder,
                         height() - FrameSize().height());
    if (!FAligning) {
        FAligning = true;
        SetAligns(false);
        FAligning = false;
    }
}

int TDockFloatForm::HitTestNC(QPoint pos) const
{
    const QRect caption(kBorder, kBorder, width() - 2 * kBorder, kCaption);
    if (!caption.contains(pos))
        return 0;
    return pos.x() >= caption.right() - kCaption ? 20 : 2;
}

Qt::Edges TDockFloatForm::FrameEdges(QPoint pos) const
{
    Qt::Edges e;
    if (pos.x() < kBorder)
        e |= Qt::LeftEdge;
    if (pos.x() >= width() - kBorder)
        e |= Qt::RightEdge;
    if (pos.y() < kBorder)
        e |= Qt::TopEdge;
    if (pos.y() >= height() - kBorder)
        e |= Qt::BottomEdge;
    return e;
}

void TDockFloatForm::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    auto qc = [](TColor32 c) { return QColor(c.r, c.g, c.b); };
    p.fillRect(rect(), qc(clBtnFace32()));
    p.setPen(qc(clBtnHighlight32()));
    p.drawLine(0, 0, width() - 1, 0);
    p.drawLine(0, 0, 0, height() - 1);
    p.setPen(qc(clWindowFrame32()));
    p.drawLine(width() - 1, 0, width() - 1, height() - 1);
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
    const QRect caption(kBorder, kBorder, width() - 2 * kBorder, kCaption);
    p.fillRect(caption, qc(isActiveWindow() ? clActiveCaption32() : clInactiveCaption32()));
    p.setPen(qc(isActiveWindow() ? clCaptionText32() : clInactiveCaptionText32()));
    p.setFont(font());
    p.drawText(caption.adjusted(4, 0, -kCaption, 0), Qt::AlignVCenter | Qt::AlignLeft,
               windowTitle());
    // The close box: a cross in the caption's right end.
    const QRect box(caption.right() - kCaption + 4, caption.top() + 4, kCaption - 8, kCaption - 8);
    p.drawLine(box.topLeft(), box.bottomRight());
    p.drawLine(box.topRight(), box.bottomLeft());
}

void TDockFloatForm::BeginMove(QPoint cursor)
{
    FMovingPosition = cursor - geometry().topLeft(); // WM_ENTERSIZEMOVE
    FMoving = true;
}

void TDockFloatForm::MoveTo(QPoint cursor)
{
    // WM_MOVING: the rectangle at the cursor minus the press offset, snapped without this window.
    QRect r(cursor - FMovingPosition, size());
    snapPaletteRect(r, this, true);
    move(r.topLeft());
}

void TDockFloatForm::mousePressEvent(QMouseEvent *ev)
{
    if (ev->button() != Qt::LeftButton)
        return TBaseForm::mousePressEvent(ev);
    const QPoint pos = ev->position().toPoint();
    FSizing = FrameEdges(pos);
    if (FSizing) {
        FSizeStart = geometry();
        FSizeCursor = ev->globalPosition().toPoint();
    } else if (HitTestNC(pos) == 2) {
        BeginMove(ev->globalPosition().toPoint());
    }
}

void TDockFloatForm::mouseMoveEvent(QMouseEvent *ev)
{
    const QPoint cursor = ev->globalPosition().toPoint();
    if (FMoving) {
        MoveTo(cursor);
    } else if (FSizing) {
        QRect r = FSizeStart;
        const QPoint d = cursor - FSizeCursor;
        if (FSizing & Qt::LeftEdge)
            r.setLeft(std::min(r.left() + d.x(), r.right() - minimumWidth() + 1));
        if (FSizing & Qt::RightEdge)
            r.setRight(r.right() + d.x());
        if (FSizing & Qt::TopEdge)
            r.setTop(std::min(r.top() + d.y(), r.bottom() - minimumHeight() + 1));
        if (FSizing & Qt::BottomEdge)
            r.setBottom(r.bottom() + d.y());
        setGeometry(r);
    } else {
        const Qt::Edges e = FrameEdges(ev->position().toPoint());
        const bool h = e & (Qt::LeftEdge | Qt::RightEdge), v = e & (Qt::TopEdge | Qt::BottomEdge);
        setCursor(h && v ? Qt::SizeFDiagCursor
                  : h    ? Qt::SizeHorCursor
                  : v    ? Qt::SizeVerCursor
                         : Qt::ArrowCursor);
    }
}

void TDockFloatForm::mouseReleaseEvent(QMouseEvent *ev)
{
    if (ev->button() == Qt::LeftButton && !FMoving && !FSizing &&
        HitTestNC(ev->position().toPoint()) == 20)
        hide();
    FMoving = false;
    FSizing = {};
}

void TDockFloatForm::mouseDoubleClickEvent(QMouseEvent *ev)
{
    // WM_NCLBUTTONDBLCLK on the caption folds or unfolds the whole window.
    if (ev->button() == Qt::LeftButton && HitTestNC(ev->position().toPoint()) == 2)
        setCollapsed(!Collapsed());
}

void TDockFloatForm::wheelEvent(QWheelEvent *ev)
{
    // Reaches the window only when no child took it: the views, else the document window, get it.
    if (!FManager)
        return TBaseForm::wheelEvent(ev);
    int keys = 0;
    if (ev->modifiers() & Qt::ShiftModifier)
        keys |= 0x0004;
    if (ev->modifiers() & Qt::ControlModifier)
        keys |= 0x0008;
    if (ev->buttons() & Qt::LeftButton)
        keys |= 0x0001;
    if (ev->buttons() & Qt::RightButton)
        keys |= 0x0002;
    if (ev->buttons() & Qt::MiddleButton)
        keys |= 0x0010;
    const QPoint g = ev->globalPosition().toPoint();
    TMessage m;
    m.msg = CM_MOUSEWHEEL;
    m.wParam = intptr_t(uint32_t(keys & 0xFFFF) | (uint32_t(uint16_t(ev->angleDelta().y())) << 16));
    m.lParam = intptr_t(uint32_t(uint16_t(g.x())) | (uint32_t(uint16_t(g.y())) << 16));
    FManager->Performs(m);
    ev->setAccepted(m.result != 0);
}

void TDockFloatForm::DockOver(TDockDragObject &source, QPoint screenPos, bool &accept)
{
    TCustomDockView *view = source.Control();
    if (!view) {
        accept = false;
        return;
    }
    if (!geometry().contains(screenPos)) {
        accept = false;
        view->DockTrackNoTarget(source, screenPos);
        return;
    }
    accept = view->DockViewManager() != nullptr;
    if (accept) {
        QRect r = source.DockRect();
        CalcDockRect(r, FClient->mapFromGlobal(screenPos), source.FrameWidth());
        source.setDockRect(r);
    }
}

void TDockFloatForm::DockDrop(TDockDragObject &source, QPoint screenPos)
{
    TCustomDockView *view = source.Control();
    if (!view)
        return;
    if (geometry().contains(screenPos)) {
        view->DoEndDock(this, FClient->mapFromGlobal(screenPos));
        return;
    }
    TDockFloatForm *form = FManager ? FManager->AddForm() : nullptr;
    if (!form)
        return;
    form->setGeometry(source.DockRect());
    source.setTarget(form);
    view->DoEndDock(form, QPoint(0, 0));
    form->ShowMM();
}

// ---------------------------------------------------------------- TDockFloatManager

TDockFloatManager::TDockFloatManager(QWidget *mainForm) : QObject(mainForm), FMainForm(mainForm) {}

TDockFloatManager::~TDockFloatManager()
{
    for (const QPointer<TDockFloatForm> &f : FForms)
        delete f.data();
}

TDockFloatForm *TDockFloatManager::AddForm()
{
    auto *form = new TDockFloatForm(FMainForm);
    if (!AddForm(form)) {
        delete form;
        return nullptr;
    }
    return form;
}

TDockFloatForm *TDockFloatManager::AddForm(TDockFloatForm *AForm)
{
    if (!AForm || IndexOf(AForm) >= 0)
        return nullptr;
    FForms.emplace_back(AForm);
    AForm->setDockFloatManager(this);
    return AForm;
}

int TDockFloatManager::RemoveForm(TDockFloatForm *AForm)
{
    const int index = IndexOf(AForm);
    if (index < 0)
        return -1;
    FForms.erase(FForms.begin() + index);
    AForm->hide();
    // The window may be running a handler of its own (the drag that emptied it).
    AForm->deleteLater();
    return index;
}

bool TDockFloatManager::RemoveView(TCustomDockView *AView)
{
    TDockFloatForm *f = AView ? AView->DockFloatForm() : nullptr;
    return f && IndexOf(f) >= 0 && f->UnDockView(AView);
}

int TDockFloatManager::IndexOf(const TDockFloatForm *AForm) const
{
    for (size_t i = 0; i < FForms.size(); ++i)
        if (FForms[i] == AForm)
            return int(i);
    return -1;
}

bool TDockFloatManager::IsValidIndex(int Index) const
{
    return Index >= 0 && Index < Count() && FForms[size_t(Index)];
}

TDockFloatForm *TDockFloatManager::Form(int Index) const
{
    return IsValidIndex(Index) ? FForms[size_t(Index)].data() : nullptr;
}

QWidget *TDockFloatManager::ActiveMDIChild() const
{
    const QMdiArea *area = FMainForm ? FMainForm->findChild<QMdiArea *>() : nullptr;
    if (!area)
        return nullptr;
    const QMdiSubWindow *sub = area->activeSubWindow();
    if (!sub)
        sub = area->currentSubWindow();
    return sub ? sub->widget() : nullptr;
}

QRect TDockFloatManager::MainArea() const
{
    if (!FMainForm)
        return {};
    const QWidget *area = FMainForm->findChild<QMdiArea *>();
    if (area)
        area = static_cast<const QMdiArea *>(area)->viewport();
    else
        area = FMainForm;
    return QRect(area->mapToGlobal(QPoint(0, 0)), area->size());
}

bool TDockFloatManager::HasWindow(const QWidget *AWnd) const
{
    if (!AWnd)
        return false;
    const QWidget *top = AWnd->window();
    for (const QPointer<TDockFloatForm> &f : FForms)
        if (f && f->windowHandle() && f == top)
            return true;
    return false;
}

void TDockFloatManager::setMinimized(bool value)
{
    value ? Minimize() : Restore();
}

void TDockFloatManager::Minimize()
{
    for (const QPointer<TDockFloatForm> &f : FForms) {
        if (!f || !f->windowHandle())
            continue;
        // Minimised again: only a window shown since keeps its visibility for the restore.
        if (!FMinimized || f->isVisible())
            f->setRestoreVisible(f->isVisible());
        f->hide();
    }
    FMinimized = true;
}

void TDockFloatManager::Restore()
{
    for (const QPointer<TDockFloatForm> &f : FForms)
        if (f && f->windowHandle() && f->RestoreVisible())
            f->ShowMM();
    FMinimized = false;
    if (FMainForm)
        FMainForm->activateWindow();
}

void TDockFloatManager::Performs(TMessage &Message)
{
    for (const QPointer<TDockFloatForm> &f : FForms) {
        if (!f || !f->windowHandle())
            continue;
        for (int p = 0; p < f->Count(); ++p) {
            const TDockViewManager *pane = f->Pane(p);
            for (int v = 0; v < pane->Count(); ++v) {
                TCustomDockView *view = pane->View(v);
                if (!view->windowHandle() && !view->window()->windowHandle())
                    continue;
                Message.result = 0;
                if (sendWindowMessage(view, Message) != 0)
                    return;
            }
        }
    }
    if (QWidget *doc = ActiveMDIChild())
        sendWindowMessage(doc, Message);
}
