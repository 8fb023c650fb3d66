// Palette windows (TDockFloatForm) hold a vertical stack of panes; one TDockFloatManager owns
// every palette window of the application. A palette window is a frameless tool window that
// draws its own caption and resizing frame; its panes and views live on its client widget.
#pragma once

#include "platform/desktop/window_message.h"
#include "ui/forms/base_forms.h"
#include "windows/dock/dock_view.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <vector>

// The snapping worker: rect snapped against the monitors (same side), the main window's document
// area (same side, skipped when empty) and the other palette windows in list order, each stage
// starting from the thresholds the one before handed on (8 and 8 at first). thresholdX and
// thresholdY answer the thresholds handed on; true when one of them is no longer 8. The size of
// rect never changes.
bool snapPaletteRectWorker(QRect &rect, const std::vector<QRect> &monitors, const QRect &mainArea,
                           const std::vector<QRect> &others, int *thresholdX = nullptr,
                           int *thresholdY = nullptr);
// Snaps rect (screen coordinates) like a moving palette window: the monitors, the main window of
// window's manager and its palette windows (without window itself when skip).
bool snapPaletteRect(QRect &rect, const TDockFloatForm *window, bool skip);

class TDockFloatForm : public TBaseForm
{
  public:
    static constexpr int kBorder = 3;   // the resizing frame on every side
    static constexpr int kCaption = 18; // the caption under the top frame

    explicit TDockFloatForm(QWidget *owner = nullptr);
    ~TDockFloatForm() override;

    TDockFloatManager *DockFloatManager() const { return FManager; }
    void setDockFloatManager(TDockFloatManager *m) { FManager = m; }
    // The widget the panes and views are placed on, at the window's client origin.
    QWidget *Client() const { return FClient; }
    // Window minus client.
    QSize FrameSize() const { return {2 * kBorder, 2 * kBorder + kCaption}; }

    bool IsValidIndex(int Index) const;
    int Count() const { return int(FPanes.size()); }
    TDockViewManager *Pane(int Index) const;
    int IndexOf(const TDockViewManager *APane) const;
    int IndexOf(const TCustomDockView *AView) const;

    TDockViewManager *AddPane();
    TDockViewManager *InsertPane(int Index);
    // The pane leaves the window at once and is freed later; the window without panes leaves its
    // manager the same way. Answers the pane's former index, -1 when it was not here.
    int RemovePane(TDockViewManager *APane);
    TCustomDockView *DockView(int Index, TCustomDockView *AView);
    TCustomDockView *UnDockView(TCustomDockView *AView);

    int PointToIndex(QPoint Pos) const;
    // Where a view dragged to Pos (client coordinates) lands: a pane index, a gap before pane k
    // (k + Count), or -1 below the last pane; DockRect answers the band to show, on the screen.
    int CalcDockRect(QRect &DockRect, QPoint Pos, int FrameWidth) const;
    int CalcClientHeight() const;
    void ClearAligns();
    int SetAligns(bool Adjust);
    void AlignPanes(bool Adjust);
    // Shows the window where it was.
    void ShowMM();
    bool Collapsed() const;
    void setCollapsed(bool value);
    bool RestoreVisible() const { return FRestoreVisible; }
    void setRestoreVisible(bool v) { FRestoreVisible = v; }
    void ShowView(TDockViewManager *APane, TCustomDockView *AView);

    int CalcMinClientWidth() const;
    int CalcMaxClientWidth() const { return 0; }
    int CalcMinClientHeight() const;
    int CalcMaxClientHeight() const;
    // The minimum and maximum window size from the panes (WM_GETMINMAXINFO).
    void ApplySizeLimits();

    // ---- drag and dock
    void DockOver(TDockDragObject &source, QPoint screenPos, bool &accept);
    void DockDrop(TDockDragObject &source, QPoint screenPos);

    // ---- moving by the caption (also what a test drives)
    void BeginMove(QPoint cursor);
    void MoveTo(QPoint cursor);
    // The part of the window at a point: 2 the caption, 20 the close box, 0 elsewhere.
    int HitTestNC(QPoint pos) const;

  protected:
    void paintEvent(QPaintEvent *ev) override;
    void resizeEvent(QResizeEvent *ev) override;
    void mousePressEvent(QMouseEvent *ev) override;
    void mouseMoveEvent(QMouseEvent *ev) override;
    void mouseReleaseEvent(QMouseEvent *ev) override;
    void mouseDoubleClickEvent(QMouseEvent *ev) override;
    void wheelEvent(QWheelEvent *ev) override;

  private:
    Qt::Edges FrameEdges(QPoint pos) const;
    void setClientHeight(int h);

    TDockFloatManager *FManager = nullptr;
    std::vector<TDockViewManager *> FPanes; // owned through the client widget
    QPoint FMovingPosition;
    bool FRestoreVisible = false;
    QWidget *FClient = nullptr;
    bool FMoving = false;
    Qt::Edges FSizing;
    QRect FSizeStart;
    QPoint FSizeCursor;
    bool FAligning = false;
};

class TDockFloatManager : public QObject
{
  public:
    // mainForm: the main window (a top-level widget, usually holding the document area).
    explicit TDockFloatManager(QWidget *mainForm);
    ~TDockFloatManager() override;

    TDockFloatForm *AddForm();
    TDockFloatForm *AddForm(TDockFloatForm *AForm);
    // The window leaves the list and is freed later; its former index or -1.
    int RemoveForm(TDockFloatForm *AForm);
    bool RemoveView(TCustomDockView *AView);
    int IndexOf(const TDockFloatForm *AForm) const;
    bool IsValidIndex(int Index) const;
    int Count() const { return int(FForms.size()); }
    TDockFloatForm *Form(int Index) const;
    QWidget *MainForm() const { return FMainForm; }
    // The widget of the main window's active document window, or null.
    QWidget *ActiveMDIChild() const;
    // The main window's document area (else its client) in screen coordinates.
    QRect MainArea() const;

    bool HasWindow(const QWidget *AWnd) const;
    bool Minimized() const { return FMinimized; }
    void setMinimized(bool value);
    void Minimize();
    void Restore();
    void Performs(TMessage &Message);

  private:
    std::vector<QPointer<TDockFloatForm>> FForms;
    bool FMinimized = false;
    QPointer<QWidget> FMainForm;
};
