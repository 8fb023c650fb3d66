// The layer and mask lists of the tool window: the layers (bottom-up, with visibility, link and
// clipping marks, thumbnails, opacity and blend mode) and the selection masks of the document in
// one document window. The views keep no items: they read the document, and every change to it
// is a recorded document operation behind the window's edit gate.
#pragma once

#include "ui/lists/document_list_window.h"
#include "ui/lists/list_view.h"

#include <cstdint>

enum class eMaskAddType : uint8_t;

class CLayerData;
class CMaskData;
class TPaper;

// Shared by both views: the bound window and its document.
class TDocumentListView : public TqZListView
{
  public:
    explicit TDocumentListView(QWidget *parent = nullptr);

    IDocumentListWindow *DrawWindow() const { return FDrawWindow; }
    TPaper *Paper() const { return FPaper; }
    // The thumbnail side of the current cell height; the document keeps its thumbnails so.
    int PreviewMax() const;

    // Unbinds and returns the window (nullptr when none was bound).
    IDocumentListWindow *Detach();

    // Without an open edit gate every item is fixed: no move, insert, delete or edit.
    TListViewItemTypes GetItemType(int AIndex) const override;
    bool CreateItem(bool) override { return false; }
    // Making a layer or mask active is a recorded document operation: the view never changes
    // the selection on its own.
    void SetSelectIndex(int) override {}

    TNotifyEvent OnChangeManager;

  protected:
    // The window's edit gate; closed without a window.
    bool EditGate() const;
    void Bind(IDocumentListWindow *AWindow);
    // Fits a thumbnail of tw x th into the base icon square.
    QSize FitPreview(int AIndex, int tw, int th) const;

    IDocumentListWindow *FDrawWindow = nullptr;
    TPaper *FPaper = nullptr;
};

// The opacity shown under a layer's name: "%1.0f%%" of trans x 100 / 255.
QString layerOpacityText(uint8_t trans);

class TLayerListView : public TDocumentListView
{
  public:
    using TDocumentListView::DuplicateItem;

    explicit TLayerListView(QWidget *parent = nullptr);

    void Attach(IDocumentListWindow *AWindow);
    IDocumentListWindow *Detach();

    CLayerData *GetItemRef(int AIndex) const;
    CLayerData *GetSelectItemRef() const;
    // The nearest visible layer below (above) the selected one, wrapping round.
    void SelectPreviousVisible();
    void SelectNextVisible();

    int GetItemCount() const override;
    QString GetItemName(int AIndex) const override;
    int GetSelectIndex() const override;
    // Makes a valid other layer active, behind the edit gate.
    void SetSelectIndex(int AIndex) override;
    void SetItemName(int AIndex, const QString &Name) override;
    bool DeleteItem(int Dst, bool Updt) override;
    bool MoveItem(int Dst, int Src, bool Updt) override;
    bool DuplicateItem(TListViewCommands *DstView, int Dst, int Src, bool Updt) override;
    bool EditItemValue(int AIndex) override;
    void SetItemSize(QSize ASize) override;
    QSize GetPreviewIconSize(int AIndex) const override;
    uint8_t GetAreaType(int X, int Y) const override;
    TListViewItemStatus GetItemState(int AIndex) const override;

    bool CanMoveItem(int Dst, int Src) const override;
    bool CanAppendItem(const TListViewCommands *SrcView, int Src) const override;
    bool CanInsertItem(int Dst, const TListViewCommands *SrcView, int Src) const override;
    bool CanDeleteItem(int Dst) const override;
    bool CanDuplicateItem(int Dst, const TListViewCommands *SrcView, int Src) const override;

    void DrawItemList(const QRect &ARect, int AIndex, TListViewItemStatus State) override;
    void DrawItemText(const QRect &ARect, int AIndex, TListViewItemStatus State) override;
    void DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &ARect, int AIndex,
                         TListViewItemStatus State) override;

    // Layers in a group: the highest level is above 0.
    bool HasLayerGroup() const;
    // The group's size at idx: the layer and its members.
    int LayerGroupCount(int idx) const;

  protected:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;

  private:
    // After a recorded change of the layer list.
    void AfterListChange(bool Updt);
    // The eye column: Alt shows only this layer (or all again), otherwise toggles it.
    void ClickEye(int AIndex, bool alt);
    // The link column: links or unlinks the layer with the active one.
    void ClickLink(int AIndex);
    // A new selection mask from the layer's transparency; the layer is not selected.
    void SelectFromLayer(int AIndex);
    bool GroupRule(int Dst, int Src) const;
    void ApplyPreviewSize();
    // The eye and mark boxes, indent and clipping mark; answers where the rest of the row starts.
    int DrawMarks(const QRect &ARect, int AIndex);
};

class TMaskListView : public TDocumentListView
{
  public:
    using TDocumentListView::DuplicateItem;

    explicit TMaskListView(QWidget *parent = nullptr);

    void Attach(IDocumentListWindow *AWindow);
    IDocumentListWindow *Detach();

    CMaskData *GetItemRef(int AIndex) const;
    CMaskData *GetSelectItemRef() const;

    int GetItemCount() const override;
    QString GetItemName(int AIndex) const override;
    int GetSelectIndex() const override;
    // Makes a valid other mask current, behind the edit gate.
    void SetSelectIndex(int AIndex) override;
    void SetItemName(int AIndex, const QString &Name) override;
    bool DeleteItem(int Dst, bool Updt) override;
    bool MoveItem(int Dst, int Src, bool Updt) override;
    bool DuplicateItem(TListViewCommands *DstView, int Dst, int Src, bool Updt) override;
    bool EditItemValue(int AIndex) override;
    void SetItemSize(QSize ASize) override;
    QSize GetPreviewIconSize(int AIndex) const override;
    // A modifier press belongs to the view, not to the base handling.
    uint8_t GetAreaType(int X, int Y) const override;

    bool CanMoveItem(int Dst, int Src) const override;
    bool CanAppendItem(const TListViewCommands *SrcView, int Src) const override;
    bool CanInsertItem(int Dst, const TListViewCommands *SrcView, int Src) const override;
    bool CanDeleteItem(int Dst) const override;
    bool CanDuplicateItem(int Dst, const TListViewCommands *SrcView, int Src) const override;

    void DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &ARect, int AIndex,
                         TListViewItemStatus State) override;

  protected:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;

  private:
    void ApplyPreviewSize();
    void AfterListChange(bool Updt);
    // Combines mask AIndex into the current one.
    void BindInto(int AIndex, eMaskAddType mat);
    // The combine menu over a mask other than the current one.
    void ShowBindMenu(int AIndex, int x, int y);

    bool FIgnoreAreaType = false;
};
