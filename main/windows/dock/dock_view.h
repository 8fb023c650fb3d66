// Docking views and panes. A palette is a view (TCustomDockView); views stack as tabs in a pane
// (TDockViewManager): an owner-drawn tab strip above the active view. Panes stack vertically in a
// palette window (TDockFloatForm, dock_float.h). Views and panes are children of the window's
// client widget with absolute geometry; the window places them (SetAligns), there are no layouts.
#pragma once

#include "platform/desktop/window_message.h"
#include "ui/base/graphic_control.h"
#include "ui/graphics/memory_graphic.h"

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include <QMenu>
class TDockFloatForm;
class TDockFloatManager;
class TDockDragObject;
class TDockViewManager;

enum TDockViewDisplayState : uint8_t
{
    ddsDisplay,
    ddsNotActive,
    ddsCollapsed,
    ddsParentHide,
};

enum TDockTabSplitterPart : uint8_t
{
    dtspNone,
    dtspTab,
    dtspSplitter,
};

// How the window places an element: not at all, under the one above at its own height, or in
// the height that remains.
enum TDockAlign : uint8_t
{
    daNone,
    daTop,
    daClient,
};

// The message that floats a view released where nothing docks.
constexpr uint32_t CM_FLOAT = 0xB000 + 71;
// The wheel over a palette that no control took, handed to the views and the document window.
constexpr uint32_t CM_MOUSEWHEEL = 45123;

// A pane tells at most this many tabs apart (its hit map keeps the index in one byte).
constexpr int kMaxDockTabs = 256;

// Left edges of the displayed tabs of a strip of paneWidth pixels (withdrawn tabs get 0 and take
// no place): tabs start at 4 and overlap by 9 pixels; when they and 30 free pixels for the arrow
// do not fit, the tabs after the first are pushed left evenly. overflow, when given, answers the
// end position + 30 - paneWidth.
std::vector<int> layoutDockTabs(const std::vector<int> &widths, const std::vector<bool> &displayed,
                                int paneWidth, int *overflow = nullptr);

class TCustomDockView : public QWidget
{
  public:
    explicit TCustomDockView(QWidget *parent = nullptr);
    ~TCustomDockView() override;

    QString Caption() const { return FCaption; }
    void setCaption(const QString &value);
    TTabState TabState() const { return FTabState; }
    void setTabState(TTabState value);
    bool Collapsed() const { return FCollapsed; }
    void setCollapsed(bool value);
    bool Display() const { return FDisplay; }
    void setDisplay(bool value);
    TDockViewDisplayState DisplayState() const;
    TDockViewManager *DockViewManager() const { return FManager; }
    TDockFloatForm *DockFloatForm() const;
    TDockFloatManager *DockFloatManager() const;
    QWidget *MainForm() const;
    QWidget *ActiveMDIChild() const;
    QMenu *PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu *AMenu);

    // Width of the tab picture of the current state, 0 without one.
    int GetTabWidth() const;
    const TMemoryGraphic *TabImage(TTabState s) const { return FImage[s].get(); }
    int TabLeft() const { return FTabLeft; }
    void setTabLeft(int value) { FTabLeft = value; }

    // How the window places the view.
    TDockAlign Align() const { return FAlign; }
    void setAlign(TDockAlign value) { FAlign = value; }
    // The pane and the parent follow each other: the pane's parent (the window's client), or none.
    void setManager(TDockViewManager *pane);
    // Forgets the pane without moving the view (its window is being freed).
    void forgetManager() { FManager = nullptr; }

    // ---- drag and dock (dock_drag.cpp drives these)
    // The drag ended without a drop.
    virtual void DragCanceled();
    // The drag ended over target at (x, y) in the target's client coordinates.
    virtual void DoEndDock(QObject *target, QPoint pos);
    // No window takes the drag: the drag's rectangle becomes the frame of a window holding the
    // view alone, snapped like a moving palette window.
    virtual void DockTrackNoTarget(TDockDragObject &source, QPoint pos);
    // CM_FLOAT: a new palette window from the manager with the drag's rectangle becomes the target.
    intptr_t CMFloat(TDockDragObject &source);

    // Window messages sent to the view (TManager::Performs); the default answers 0.
    virtual void WndProc(TMessage &message);

    std::function<void(QObject *sender)> OnPaint;

  protected:
    virtual void Paint();
    virtual void PaintHook();
    void paintEvent(QPaintEvent *ev) override;
    bool event(QEvent *ev) override;

  private:
    void applyVisibility();

    std::array<std::unique_ptr<TMemoryGraphic>, 2> FImage;
    QString FCaption;
    TDockViewManager *FManager = nullptr;
    int FTabLeft = 0;
    TTabState FTabState = tsNone;
    bool FDisplay = true;
    bool FCollapsed = false;
    TDockAlign FAlign = daNone;
    QPointer<QMenu> FPopupMenu;
};

class TDockViewManager : public TGraphicControl
{
  public:
    explicit TDockViewManager(QWidget *parent = nullptr);
    ~TDockViewManager() override;

    int AddTab(TCustomDockView *AView);
    // Inserts at a valid index, else appends; the new tab becomes active. -1 when the pane already
    // holds kMaxDockTabs tabs or the view is null.
    int InsertTab(int Index, TCustomDockView *AView);
    // The removed index, -1 when absent. Removing the last tab removes the pane from its window.
    int RemoveTab(TCustomDockView *AView);
    int IndexOf(const TCustomDockView *AView) const;
    bool IsValidIndex(int Index) const;
    int Count() const { return int(FTabs.size()); }
    TCustomDockView *View(int Index) const;
    TCustomDockView *ActiveView() const { return View(FActiveIndex); }

    int ActiveIndex() const { return FActiveIndex; }
    // A write outside -1 .. Count - 1 is ignored.
    void setActiveIndex(int value);
    bool Collapsed() const;
    void setCollapsed(bool value);
    bool First() const { return FFirst; }
    void setFirst(bool value);
    bool Last() const { return FLast; }
    void setLast(bool value) { FLast = value; }
    TDockFloatForm *DockFloatForm() const;
    TDockFloatManager *DockFloatManager() const;
    TDockTabSplitterPart DragPart() const { return FDragPart; }
    void setDragPart(TDockTabSplitterPart value) { FDragPart = value; }
    TGlyphState ArrowState() const { return FArrowState; }

    // 19 for a window's first pane, 23 for the others (their top 4 pixels are the splitter band).
    int StripHeight() const { return FFirst ? 19 : 23; }
    int GetPaneHeight() const;
    int GetMinPaneWidth() const;
    int GetMaxPaneWidth() const;
    int GetMinPaneHeight() const;
    int GetMaxPaneHeight() const;
    // The rectangle shown while a view is dragged over the pane, in the window's client
    // coordinates: a band over the top (diff < 0), the pane (0), a band under it (diff > 0).
    QRect GetDockRect(int Diff) const;

    // The tab index at a point of the strip, -1 for none.
    int HitTest(QPoint pos) const;
    QRect ArrowRect() const;
    const TMemoryGraphic &Image() const { return FImage; }

    // Window placement: puts the pane and its visible active view from top; answers the next top.
    int PlaceAt(int top, int clientWidth, int clientHeight);
    // The active view's alignment := top, the pane's := none.
    void ClearAlign();
    TDockAlign Align() const { return FAlign; }

    // Lets every view forget the pane (the window frees both).
    void DetachAll();
    // Lays out the tabs and redraws the strip; the pane repaints.
    void UpdateStrip();

    void SetBounds(int left, int top, int width, int height) override;
    void MouseEnter() override;
    void MouseLeave() override;

  protected:
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

  private:
    void LayoutTabs();
    void DrawStrip();
    void DrawTab(int index, int top);
    void PressArrow();
    void DragSplitter(int y);
    void setArrowState(TGlyphState value);
    bool activeVisible() const;

    std::vector<TCustomDockView *> FTabs; // not owned
    TMemoryGraphic FImage;
    TMemoryGraphic FTabHit;
    int FActiveIndex = -1;
    bool FFirst = true;
    bool FLast = true;
    TDockTabSplitterPart FDragPart = dtspNone;
    QPoint FLButtonDownPos;
    TGlyphState FArrowState = gsNone;
    TDockAlign FAlign = daNone;
    std::unique_ptr<TDockDragObject> FDrag; // the dock drag this pane started, while it runs
};
