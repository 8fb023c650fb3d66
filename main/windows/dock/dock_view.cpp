#include "windows/dock/dock_view.h"

#include "core/image/display_canvas.h"
#include "ui/base/popup_menu.h"
#include "ui/graphics/appearance.h"
#include "windows/dock/dock_drag.h"
#include "windows/dock/dock_float.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QPainter>

#include <algorithm>

std::vector<int> layoutDockTabs(const std::vector<int> &widths, const std::vector<bool> &displayed,
                                int paneWidth, int *overflow)
{
    std::vector<int> lefts(widths.size(), 0);
    int x = 4, shown = 0;
    for (size_t i = 0; i < widths.size(); ++i) {
        if (!displayed[i])
            continue;
        lefts[i] = x;
        x += widths[i] - 9; // neighbouring tabs overlap by 9 pixels
        ++shown;
    }
    const int over = x + 30 - paneWidth; // 30 pixels stay free for the arrow
    if (overflow)
        *overflow = over;
    if (over < 0 || shown < 2)
        return lefts;
    const int n = shown - 1;
    int k = 0;
    for (size_t i = 0; i < widths.size(); ++i) {
        if (!displayed[i])
            continue;
        if (k > 0)
            lefts[i] -= int(double(k) * over / n + 0.5);
        ++k;
    }
    return lefts;
}

// ---------------------------------------------------------------- TCustomDockView

TCustomDockView::TCustomDockView(QWidget *parent) : QWidget(parent)
{
    setGeometry(0, 0, 210, 96);
    setMinimumSize(210, 96);
    FImage[tsNone] = std::make_unique<TMemoryGraphic>(18, 18, clNone32);
    FImage[tsActive] = std::make_unique<TMemoryGraphic>(1, 1, clNone32);
    setCaption(QStringLiteral("CustomDockView"));
}

TCustomDockView::~TCustomDockView()
{
    if (FManager)
        FManager->RemoveTab(this);
}

void TCustomDockView::setCaption(const QString &value)
{
    if (value == FCaption)
        return;
    FCaption = value;
    sRect r;
    FImage[tsNone]->DrawTabImage(FCaption, r, DT_CALCRECT | DT_SINGLELINE, tsNone);
    for (TTabState s : {tsNone, tsActive}) {
        FImage[s]->SetSize(r.x1 - r.x0, r.y1 - r.y0);
        FImage[s]->Clear();
        sRect d{0, 0, FImage[s]->Width(), FImage[s]->Height()};
        FImage[s]->DrawTabImage(FCaption, d, DT_SINGLELINE, s);
    }
    if (FManager)
        FManager->UpdateStrip();
}

void TCustomDockView::SetPopupMenu(QMenu *AMenu)
{
    if (AMenu == FPopupMenu)
        return;
    FPopupMenu = AMenu;
    if (FManager)
        FManager->UpdateStrip(); // the arrow is drawn enabled only with a menu
}

int TCustomDockView::GetTabWidth() const
{
    const TMemoryGraphic *g = FImage[FTabState].get();
    return g ? g->Width() : 0;
}

TDockFloatForm *TCustomDockView::DockFloatForm() const
{
    QWidget *p = parentWidget();
    return p ? dynamic_cast<TDockFloatForm *>(p->window()) : nullptr;
}

TDockFloatManager *TCustomDockView::DockFloatManager() const
{
    TDockFloatForm *f = DockFloatForm();
    return f ? f->DockFloatManager() : nullptr;
}

QWidget *TCustomDockView::MainForm() const
{
    TDockFloatManager *m = DockFloatManager();
    return m ? m->MainForm() : nullptr;
}

QWidget *TCustomDockView::ActiveMDIChild() const
{
    TDockFloatManager *m = DockFloatManager();
    return m ? m->ActiveMDIChild() : nullptr;
}

void TCustomDockView::applyVisibility()
{
    setVisible(FTabState == tsActive && FDisplay && !FCollapsed);
}

void TCustomDockView::setTabState(TTabState value)
{
    FTabState = value;
    if (value == tsNone) {
        hide();
        return;
    }
    if (FManager)
        FManager->show();
    FCollapsed = false;
    applyVisibility();
}

void TCustomDockView::setCollapsed(bool value)
{
    if (value == FCollapsed)
        return;
    FCollapsed = value;
    if (FTabState == tsNone)
        hide();
    else
        applyVisibility();
}

TDockViewDisplayState TCustomDockView::DisplayState() const
{
    const QWidget *p = parentWidget();
    if (!p || !p->isVisible())
        return ddsParentHide;
    if (FCollapsed)
        return ddsCollapsed;
    return isHidden() ? ddsNotActive : ddsDisplay;
}

void TCustomDockView::setDisplay(bool value)
{
    if (value) {
        FDisplay = true;
        if (TDockFloatForm *f = DockFloatForm(); f && FManager)
            f->ShowView(FManager, this);
        return;
    }
    FDisplay = false;
    TDockViewManager *pane = FManager;
    if (!pane) {
        hide();
        return;
    }
    const int active = pane->ActiveIndex();
    const TCustomDockView *activeView = pane->View(active);
    if (activeView && activeView->Display()) {
        // An inactive tab was withdrawn: the active one stays; only the strip changes.
        pane->UpdateStrip();
    } else {
        int next = -1;
        for (int i = active + 1; i < pane->Count() && next < 0; ++i)
            if (pane->View(i)->Display())
                next = i;
        for (int i = active - 1; i >= 0 && next < 0; --i)
            if (pane->View(i)->Display())
                next = i;
        if (next >= 0) {
            pane->setActiveIndex(next);
        } else if (TDockFloatForm *f = DockFloatForm(); f && f->Count() == 1) {
            f->hide();
        } else {
            pane->setCollapsed(true);
        }
    }
    if (TCustomDockView *a = pane->ActiveView(); a && !a->Display())
        a->FDisplay = true;
}

void TCustomDockView::setManager(TDockViewManager *pane)
{
    FManager = pane;
    setParent(pane ? pane->parentWidget() : nullptr);
}

void TCustomDockView::Paint() {}

void TCustomDockView::PaintHook()
{
    if (OnPaint)
        OnPaint(this);
}

void TCustomDockView::paintEvent(QPaintEvent *)
{
    Paint();
    PaintHook();
}

bool TCustomDockView::event(QEvent *ev)
{
    if (ev->type() == TWindowMessageEvent::eventType()) {
        WndProc(static_cast<TWindowMessageEvent *>(ev)->message());
        return true;
    }
    return QWidget::event(ev);
}

void TCustomDockView::WndProc(TMessage &message)
{
    message.result = 0;
}

void TCustomDockView::DragCanceled()
{
    if (FManager)
        FManager->setDragPart(dtspNone);
}

void TCustomDockView::DockTrackNoTarget(TDockDragObject &source, QPoint pos)
{
    QRect frame(source.FloatTopLeft(pos), QSize(width(), height() + TDockFloatForm::kCaption));
    frame.adjust(-TDockFloatForm::kBorder, -TDockFloatForm::kBorder, TDockFloatForm::kBorder,
                 TDockFloatForm::kBorder);
    snapPaletteRect(frame, DockFloatForm(), false);
    source.setDockRect(frame);
}

intptr_t TCustomDockView::CMFloat(TDockDragObject &source)
{
    TDockFloatManager *m = DockFloatManager();
    TDockFloatForm *form = m ? m->AddForm() : nullptr;
    if (!form)
        return 0;
    form->setGeometry(source.DockRect());
    source.setTarget(form);
    return 0;
}

void TCustomDockView::DoEndDock(QObject *target, QPoint pos)
{
    auto *form = dynamic_cast<TDockFloatForm *>(target);
    if (!form)
        return;
    if (FManager)
        FManager->setDragPart(dtspNone);
    TDockFloatForm *own = DockFloatForm();
    if (form == own && form->Count() == 1 && FManager && FManager->Count() == 1) {
        FManager->setCollapsed(false);
        return;
    }
    QRect ignored;
    const int index = form->CalcDockRect(ignored, pos, 4);
    TDockViewManager *pane = form->Pane(index);
    if (!pane) {
        const int at = index - form->Count();
        pane = form->InsertPane(at >= 0 && at < form->Count() ? at : -1);
    }
    if (!pane)
        return;
    if (pane == FManager) {
        pane->setCollapsed(false);
        return;
    }
    if (own)
        own->UnDockView(this);
    else if (FManager)
        FManager->RemoveTab(this);
    form->DockView(form->IndexOf(pane), this);
    form->ShowView(pane, this);
}

// ---------------------------------------------------------------- TDockViewManager

TDockViewManager::TDockViewManager(QWidget *parent)
    : TGraphicControl(parent), FImage(200, 19, clBtnFace32()), FTabHit(200, 19, clNone32)
{
    setMouseTracking(true); // the arrow lights under the cursor
    setMinimumWidth(200);
    setMinimumHeight(19);
    setMaximumHeight(19);
    SetBounds(0, 0, 200, 19);
}

TDockViewManager::~TDockViewManager()
{
    DetachAll();
}

void TDockViewManager::DetachAll()
{
    // Views and panes die together with their window: the views only forget the pane.
    for (TCustomDockView *v : FTabs)
        v->forgetManager();
    FTabs.clear();
    FActiveIndex = -1;
}

int TDockViewManager::AddTab(TCustomDockView *AView)
{
    return InsertTab(-1, AView);
}

int TDockViewManager::InsertTab(int Index, TCustomDockView *AView)
{
    if (!AView || Count() >= kMaxDockTabs)
        return -1;
    if (Index < 0 || Index >= Count())
        Index = Count();
    FTabs.insert(FTabs.begin() + Index, AView);
    AView->setAlign(daNone);
    AView->setManager(this);
    setActiveIndex(Index);
    return Index;
}

int TDockViewManager::RemoveTab(TCustomDockView *AView)
{
    const int index = IndexOf(AView);
    if (index < 0)
        return -1;
    FTabs.erase(FTabs.begin() + index);
    AView->setManager(nullptr);
    if (!FTabs.empty()) {
        setActiveIndex(std::min(std::max(FActiveIndex, 0), Count() - 1));
    } else {
        FActiveIndex = -1;
        if (TDockFloatForm *f = DockFloatForm())
            f->RemovePane(this);
    }
    return index;
}

int TDockViewManager::IndexOf(const TCustomDockView *AView) const
{
    const auto it = std::find(FTabs.begin(), FTabs.end(), AView);
    return it == FTabs.end() ? -1 : int(it - FTabs.begin());
}

bool TDockViewManager::IsValidIndex(int Index) const
{
    return Index >= 0 && Index < Count() && FTabs[size_t(Index)];
}

TCustomDockView *TDockViewManager::View(int Index) const
{
    return IsValidIndex(Index) ? FTabs[size_t(Index)] : nullptr;
}

TDockFloatForm *TDockViewManager::DockFloatForm() const
{
    QWidget *p = parentWidget();
    return p ? dynamic_cast<TDockFloatForm *>(p->window()) : nullptr;
}

TDockFloatManager *TDockViewManager::DockFloatManager() const
{
    TDockFloatForm *f = DockFloatForm();
    return f ? f->DockFloatManager() : nullptr;
}

void TDockViewManager::setActiveIndex(int value)
{
    // The saved layout comes from the profile: an index it cannot hold is ignored.
    if (value < -1 || value >= Count())
        return;
    TDockFloatForm *form = DockFloatForm();
    if (form)
        form->ClearAligns();
    for (TCustomDockView *v : FTabs)
        v->hide();
    FActiveIndex = value;
    for (int i = 0; i < Count(); ++i)
        FTabs[size_t(i)]->setTabState(i == value ? tsActive : tsNone);
    if (TCustomDockView *a = ActiveView(); a && !a->Display())
        a->setDisplay(true);
    if (form)
        form->AlignPanes(true);
    UpdateStrip();
}

bool TDockViewManager::Collapsed() const
{
    const TCustomDockView *a = ActiveView();
    return a && a->Collapsed();
}

void TDockViewManager::setCollapsed(bool value)
{
    TDockFloatForm *form = DockFloatForm();
    if (form)
        form->ClearAligns();
    for (TCustomDockView *v : FTabs)
        v->setCollapsed(value);
    if (form)
        form->AlignPanes(true);
}

void TDockViewManager::setFirst(bool value)
{
    if (value == FFirst)
        return;
    FFirst = value;
    setMinimumHeight(StripHeight());
    setMaximumHeight(StripHeight());
    SetBounds(x(), y(), width(), StripHeight());
}

bool TDockViewManager::activeVisible() const
{
    const TCustomDockView *a = ActiveView();
    return a && !a->isHidden();
}

int TDockViewManager::GetPaneHeight() const
{
    const TCustomDockView *a = ActiveView();
    if (!a)
        return 0;
    if (a->Collapsed())
        return StripHeight();
    return StripHeight() + a->height();
}

int TDockViewManager::GetMinPaneWidth() const
{
    if (!activeVisible())
        return minimumWidth();
    return std::max(minimumWidth(), ActiveView()->minimumWidth());
}

int TDockViewManager::GetMaxPaneWidth() const
{
    // Qt's "no limit" is a huge number; the pane reports 0 for it, as the window expects.
    auto limit = [](int w) { return w >= QWIDGETSIZE_MAX ? 0 : w; };
    if (!activeVisible())
        return limit(maximumWidth());
    return limit(std::min(maximumWidth(), ActiveView()->maximumWidth()));
}

int TDockViewManager::GetMinPaneHeight() const
{
    const TCustomDockView *a = ActiveView();
    if (!a || !a->Display())
        return 0;
    if (a->Collapsed())
        return StripHeight();
    return a->minimumHeight() + StripHeight();
}

int TDockViewManager::GetMaxPaneHeight() const
{
    if (!activeVisible())
        return StripHeight();
    const int m = ActiveView()->maximumHeight();
    if (m <= 0 || m >= QWIDGETSIZE_MAX)
        return 0; // no limit
    return m + StripHeight();
}

QRect TDockViewManager::GetDockRect(int Diff) const
{
    const int viewH = activeVisible() ? ActiveView()->height() : 0;
    if (Diff < 0)
        return QRect(x(), y() - (FFirst ? 4 : 2), width(), 8);
    if (Diff == 0) {
        const int top = y() + (FFirst ? 0 : 4);
        return QRect(x(), top, width(), y() + height() + viewH - top);
    }
    return QRect(x(), y() + StripHeight() - 4 + viewH, width(), 8);
}

int TDockViewManager::HitTest(QPoint pos) const
{
    if (!FTabHit.GetContains(pos.x(), pos.y()))
        return -1;
    const TColor32 c = FTabHit.GetPixel(pos.x(), pos.y());
    return c.a ? c.r : -1;
}

QRect TDockViewManager::ArrowRect() const
{
    return QRect(width() - 19, (FFirst ? 0 : 2) + (height() - 15) / 2, 17, 15);
}

void TDockViewManager::ClearAlign()
{
    if (TCustomDockView *a = ActiveView())
        a->setAlign(daTop);
    FAlign = daNone;
}

int TDockViewManager::PlaceAt(int top, int clientWidth, int clientHeight)
{
    const bool viewShown = activeVisible();
    FAlign = FLast && !viewShown ? daClient : daTop;
    // The strip keeps its own height even as the client element: its limits are 19 or 23.
    SetBounds(0, top, clientWidth, StripHeight());
    int next = top + StripHeight();
    if (!viewShown)
        return FLast ? std::max(next, clientHeight) : next;
    TCustomDockView *a = ActiveView();
    a->setAlign(FLast ? daClient : daTop);
    int h = a->height();
    if (FLast)
        h = std::clamp(clientHeight - next, a->minimumHeight(), a->maximumHeight());
    a->setGeometry(0, next, clientWidth, h);
    return next + a->height();
}

void TDockViewManager::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    UpdateStrip();
}

void TDockViewManager::LayoutTabs()
{
    std::vector<int> widths, lefts;
    std::vector<bool> shown;
    for (const TCustomDockView *v : FTabs) {
        widths.push_back(v->GetTabWidth());
        shown.push_back(v->Display());
    }
    lefts = layoutDockTabs(widths, shown, width());
    for (size_t i = 0; i < FTabs.size(); ++i)
        FTabs[i]->setTabLeft(lefts[i]);
}

void TDockViewManager::UpdateStrip()
{
    LayoutTabs();
    DrawStrip();
    update();
}

void TDockViewManager::DrawTab(int index, int top)
{
    const TCustomDockView *v = FTabs[size_t(index)];
    const TMemoryGraphic *img = v->TabImage(v->TabState());
    if (!img || !img->Prepared())
        return;
    FImage.BlendImage(v->TabLeft(), top, img->Width(), img->Height(), *img, 0, 0, blendNormal,
                      blendKeep);
    // Only the index's byte tells tabs apart: at most 256 (InsertTab refuses more).
    const uint8_t b = uint8_t(index);
    for (int y = 0; y < img->Height(); ++y)
        for (int x = 0; x < img->Width(); ++x)
            if (img->GetPixel(x, y).a != 0)
                FTabHit.SetPixel(v->TabLeft() + x, top + y, makeColor32(b, b, b, 255));
}

void TDockViewManager::DrawStrip()
{
    const int w = width(), h = height();
    FTabHit.SetSize(w, h);
    FImage.SetSize(w, h);
    FTabHit.setColor(clNone32);
    FTabHit.Clear();
    FImage.setColor(clBtnFace32());
    FImage.Clear();
    int frameTop = 0;
    if (!FFirst) {
        FImage.FillRectangle({0, 1, w, 2}, clBtnShadow32(), blendCopy, blendCopy);
        FImage.FillRectangle({0, 2, w, 3}, clBtnHighlight32(), blendCopy, blendCopy);
        frameTop = 4;
    }
    FImage.DrawRectangle({0, frameTop, w, h}, 1, clBtnShadow32(), clBtnHighlight32(), blendCopy,
                         blendCopy);
    FImage.DrawRectangle({1, frameTop + 1, w - 1, h - 1}, 1, clWindowFrame32(), blendCopy,
                         blendCopy);
    if (IsValidIndex(FActiveIndex)) {
        const int top = frameTop + 1;
        for (int i = 0; i < FActiveIndex; ++i)
            if (FTabs[size_t(i)]->Display())
                DrawTab(i, top);
        for (int i = Count() - 1; i > FActiveIndex; --i)
            if (FTabs[size_t(i)]->Display())
                DrawTab(i, top);
        DrawTab(FActiveIndex, top);
    }
    const TCustomDockView *a = ActiveView();
    const TGlyphState s = a && a->PopupMenu() ? FArrowState : gsDisabled;
    if (const TMemoryGraphic *arrow = gAppearanceManager ? gAppearanceManager->GetMenuImage(s)
                                                         : nullptr) {
        const int y = frameTop + (h - frameTop - arrow->Height()) / 2;
        FImage.BlendImage(w - 19, y, arrow->Width(), arrow->Height(), *arrow, 0, 0, blendNormal,
                          blendKeep);
    }
}

void TDockViewManager::Paint(QPainter &painter)
{
    if (parentWidget() && isVisible())
        FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
}

void TDockViewManager::setArrowState(TGlyphState value)
{
    if (value == FArrowState)
        return;
    FArrowState = value;
    DrawStrip();
    update();
}

void TDockViewManager::PressArrow()
{
    TCustomDockView *a = ActiveView();
    FArrowState = gsActive;
    DrawStrip();
    repaint();
    const QRect r = ArrowRect();
    execPopupMenu(*a->PopupMenu(), mapToGlobal(QPoint(r.left(), height())));
    FArrowState = r.contains(mapFromGlobal(QCursor::pos())) ? gsActive : gsNone;
    DrawStrip();
    update();
}

void TDockViewManager::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y,
                                 bool dbl)
{
    if (button != Qt::LeftButton || !isEnabled())
        return;
    FLButtonDownPos = QPoint(x, y);
    if (dbl) {
        if (HitTest(QPoint(x, y)) >= 0)
            setCollapsed(!Collapsed());
        return;
    }
    const TCustomDockView *a = ActiveView();
    if (ArrowRect().contains(x, y) && a && a->PopupMenu()) {
        PressArrow();
    } else if (FFirst || y > 3) {
        const int hit = HitTest(QPoint(x, y));
        if (hit >= 0) {
            FDragPart = dtspTab;
            if (hit != FActiveIndex)
                setActiveIndex(hit);
        }
    } else {
        FDragPart = dtspSplitter;
    }
}

void TDockViewManager::DragSplitter(int y)
{
    TDockFloatForm *form = DockFloatForm();
    if (!form)
        return;
    TCustomDockView *above = nullptr;
    for (int i = form->IndexOf(this) - 1; i >= 0 && !above; --i) {
        TCustomDockView *a = form->Pane(i)->ActiveView();
        if (a && a->Display() && !a->Collapsed())
            above = a;
    }
    if (!above)
        return;
    form->ClearAligns();
    above->resize(above->width(), above->height() + y - FLButtonDownPos.y());
    form->AlignPanes(true);
    form->update();
}

void TDockViewManager::MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)
{
    if (FDrag) {
        FDrag->Move(mapToGlobal(QPoint(x, y)));
        return;
    }
    if (FDragPart == dtspTab) {
        const int d = QApplication::startDragDistance();
        TCustomDockView *a = ActiveView();
        if (a && (std::abs(x - FLButtonDownPos.x()) > d || std::abs(y - FLButtonDownPos.y()) > d)) {
            // The press point keeps the cursor's offset inside the dragged frame.
            FDrag = std::make_unique<TDockDragObject>(a, this, mapToGlobal(FLButtonDownPos));
            FDrag->Move(mapToGlobal(QPoint(x, y)));
            return;
        }
    } else if (FDragPart == dtspSplitter) {
        DragSplitter(y);
    }
    setArrowState(ArrowRect().contains(x, y) ? gsActive : gsNone);
}

void TDockViewManager::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y)
{
    if (button != Qt::LeftButton)
        return;
    FDragPart = dtspNone;
    if (FDrag) {
        // The drop may empty and remove this pane; it is freed only after this handler.
        std::unique_ptr<TDockDragObject> drag = std::move(FDrag);
        if (!drag->Finished())
            drag->Drop(mapToGlobal(QPoint(x, y)));
    }
}

void TDockViewManager::MouseEnter()
{
    TGraphicControl::MouseEnter();
    setArrowState(ArrowRect().contains(mapFromGlobal(QCursor::pos())) ? gsActive : gsNone);
}

void TDockViewManager::MouseLeave()
{
    TGraphicControl::MouseLeave();
    setArrowState(gsNone);
}
