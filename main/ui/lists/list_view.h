// The owner-drawn item list every list of the program derives from. It keeps
// no items: a subclass answers the count, names, restrictions and icons and
// carries out the item primitives; layout comes from TListGeometry and the
// generic commands and rules from TListViewCommands.
#pragma once

#include "ui/base/graphic_control.h"
#include "ui/graphics/memory_graphic.h"
#include "ui/lists/list_commands.h"
#include "ui/lists/list_geometry.h"
#include "ui/lists/list_hooks.h"

#include <QFont>
#include <QPointer>
#include <QScrollBar>
#include <QString>

#include <array>

class QScrollBar;
class QTimer;

class TqZListView : public TGraphicControl, public TListViewCommands
{
  public:
    explicit TqZListView(QWidget *parent = nullptr);
    ~TqZListView() override;

    void SetBounds(int left, int top, int width, int height) override;

    TListViewType ListType() const { return FType; }
    void SetListType(TListViewType AType);
    TListViewDirection Direction() const { return FDirection; }
    void SetDirection(TListViewDirection ADirection);
    TListViewTypes SupportType() const { return FSupportTypes; }
    virtual void SetSupportCommand(TListViewCommandTypes ACommand);
    virtual bool Modified() const { return FModified; }
    virtual void SetModified(bool Value);
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    int ItemCount() const { return GetItemCount(); }
    int SelectIndex() const { return GetSelectIndex(); }
    void SetSelectIndex(int AIndex) override { TListViewCommands::SetSelectIndex(AIndex); }
    int GetSelectIndex() const override;

    // Drawing.
    virtual void DrawItems();
    virtual void DrawItemsNormal();
    virtual void DrawItemsDrop();
    virtual void DrawItemNormal(int AIndex, TListViewItemStatus State);
    virtual void DrawItemDrop(int AIndex, const QRect &ARect, TListViewItemStatus State);
    virtual void DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &ARect, int AIndex,
                                 TListViewItemStatus State);
    virtual void DrawDragPos(int AIndex);
    virtual void DrawItemIcon(const QRect &ARect, int AIndex, TListViewItemStatus State);
    virtual void DrawItemList(const QRect &ARect, int AIndex, TListViewItemStatus State);
    virtual void DrawItemText(const QRect &ARect, int AIndex, TListViewItemStatus State);

    virtual void UpdateHint(int X, int Y);
    virtual void UpdateScrollBar(int AIndex);
    virtual void UpdateScrollBar();
    virtual void SetItemCount(int) {}
    virtual uint8_t GetAreaType(int X, int Y) const;
    virtual int GetIndexAt(int X, int Y) const;
    virtual int GetIndexAtNormal(int X, int Y) const;
    virtual int GetIndexAtDrop(int X, int Y) const;
    virtual int GetDropIndexAt(int X, int Y);
    virtual TListViewItemStatus GetItemState(int AIndex) const;
    virtual QString GetItemName(int) const { return {}; }
    virtual void SetItemName(int, const QString &) {}
    virtual QRect GetItemRect(int AIndex) const;
    virtual QRect GetItemRectNormal(int AIndex) const;
    virtual QRect GetItemRectDrop(int AIndex) const;
    virtual QSize GetPreviewIconSize(int AIndex) const;
    virtual bool IsDisplayedIndex(int AIndex) const;
    virtual QSize GetItemSize() const;
    virtual void SetItemSize(QSize ASize);
    void SetItemWidth(int W) { SetItemSize(QSize(W, GetItemSize().height())); }
    void SetItemHeight(int H) { SetItemSize(QSize(GetItemSize().width(), H)); }
    virtual QRect GetItemNameRect(int AIndex) const;
    virtual bool EditItemName(int) { return false; }
    virtual bool EditItemValue(int) { return false; }
    virtual int GetDropCapacity() const { return Geometry().DropCapacity(); }
    virtual int GetDropDisplayCount() const { return Geometry().DropDisplayCount(FDisplayFirst); }
    virtual int GetDropDisplayLast() const { return Geometry().DropDisplayLast(FDisplayFirst); }
    void DoChange() override;
    void UpdateDisplayPosition(bool Force) override;
    void UpdateDisplayFirst(int AIndex, bool Updt);

    // The mouse wheel at a screen point: one row up or down.
    bool Scroll(Qt::KeyboardModifiers Shift, int WheelDelta, QPoint MousePos);
    // One tick of the drag auto-scroll with the pointer at a control point.
    void AutoScrollTick(QPoint pos);

    // Layout state, for owners and tests.
    TListGeometry Geometry() const;
    QRect InnerRect() const { return FInnerRect; }
    int FirstRow() const { return FScroll.Position; }
    void SetFirstRow(int ARow);
    int DisplayFirst() const { return FDisplayFirst; }
    bool ScrollEnabled() const { return FScroll.Enabled; }
    QScrollBar *VertScroll() const { return FVertScroll; }
    QTimer *ScrollTimer() const { return FScrollTimer; }
    const TMemoryGraphic &Image() const { return FImage; }

    // The drop-down popup: a preset view makes one through the installed factories and answers
    // True; the base makes none.
    virtual bool CreatePopupForm() { return false; }
    virtual bool DestroyPopupForm() { return false; }
    virtual void PopupFormOpen(QObject *Sender);
    virtual void PopupListChange(QObject *Sender);
    virtual void PopupListModified(QObject *Sender);
    virtual void PopupFormClose(QObject *Sender);
    IListPopup *PopupForm() const { return FPopupForm; }
    // The index the popup's OldIndex restores after a cancel.
    virtual int PopupOldIndex() const { return FPopupForm ? FPopupForm->OldIndex() : -1; }

    // Hover states of the strip arrows and the check box.
    void MouseEnter() override;
    void MouseLeave() override;
    TGlyphState LeftArrowState() const { return FLeftArrowState; }
    TGlyphState RightArrowState() const { return FRightArrowState; }
    TGlyphState CheckState() const { return FCheckState; }

    // Dropping from the drag manager.
    void DragOver(QObject *source, QPoint pos, bool &accept) override;
    void DragDrop(QObject *source, QPoint pos) override;
    void SetDragging(bool Value);
    bool Dragging() const { return FDragging; }
    int DropIndex() const { return FDropIndex; }
    bool LastAccept() const { return FLastAccept; }

    TNotifyEvent OnChange;
    TNotifyEvent OnModified;
    TNotifyEvent OnStartDrag;
    std::function<void(QObject *sender, QObject *target)> OnEndDrag;

  protected:
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    bool hitTest(QPoint pos) const override;
    bool event(QEvent *ev) override;
    // Applies the scroll state to the platform scroll bar.
    void ApplyScroll();
    void DrawButton();
    void PlaceCheckRect();
    void UpdateHoverStates(int x, int y);
    // Hands the popup made by CreatePopupForm its events and shows it under the control.
    void ShowPopupForm();
    int CurrentIndex() const;
    void PutCell(const QRect &ARect); // FWork into FImage, over the checker board when asked

    QRect FInnerRect;
    QRect FCheckRect;
    TMemoryGraphic FImage;
    TMemoryGraphic FWork;
    TMemoryGraphic FButton;
    IListPopup *FPopupForm = nullptr;
    QPointer<QScrollBar> FVertScroll; // lives on the parent, which may free it first
    QTimer *FScrollTimer = nullptr;
    TListViewTypes FSupportTypes;
    TListViewType FType = lvIconM;
    TListViewDirection FDirection = lvdTopDown;
    std::array<QSize, kListViewTypeCount> FItemSizes;
    bool FPadding = false;
    bool FBorder = false;
    bool FModified = false;
    bool FChecked = false;
    bool FDown = false;
    bool FDragging = false;
    bool FDragScrollbar = false;
    int FDropIndex = -1;
    int FHintIndex = -1;
    int FDisplayFirst = 0;
    TGlyphState FLeftArrowState = gsNone;
    TGlyphState FRightArrowState = gsNone;
    TGlyphState FCheckState = gsNone;
    QPoint FLastPos{65536, 65536};
    bool FLastAccept = false;
    bool FUseCheckBoard = false;
    TColor32 FCheckColor1;
    TColor32 FCheckColor2;
    QSize FCheckSize{4, 4};
    QFont FFont;
    TListGeometry::ScrollState FScroll;
    bool FApplying = false;
};
