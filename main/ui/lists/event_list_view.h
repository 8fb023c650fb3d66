// The history panel's list: the operations recorded in the active document, newest last, one
// entry per run of the same operation with its repeat count. The view owns its entries; the user
// can only select them.
#pragma once

#include "core/profile/glyph_types.h"
#include "document/events/event_codes.h"
#include "ui/lists/list_view.h"

#include <memory>
#include <vector>

class TEventItem
{
  public:
    explicit TEventItem(TEventCode ACode);

    TEventCode FCode;
    QString FName;
    TqZGlyphType FGlyph;
    bool FStroke;
    int32_t FCount = 1;
};

class TEventListView : public TqZListView
{
  public:
    static constexpr int kMaxCapacity = 50;

    explicit TEventListView(QWidget *parent = nullptr);
    ~TEventListView() override;

    // Adds one operation, or counts it into the newest entry when it repeats; False when nothing
    // may be listed (CanAppend off, capacity 0).
    bool AppendItem(TEventCode ACode);
    void Clear();

    int Capacity() const { return FCapacity; }
    // Clamped to 0..50; the oldest entries go when fewer are kept.
    void SetCapacity(int Value);
    bool CanAppend() const { return FCanAppend; }
    void SetCanAppend(bool Value) { FCanAppend = Value; }

    const TEventItem *Item(int AIndex) const;
    const TEventItem *LastItem() const { return FLastItem; }

    int GetItemCount() const override { return int(FList.size()); }
    QString GetItemName(int AIndex) const override;
    void DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &ARect, int AIndex,
                         TListViewItemStatus State) override;

  private:
    void RemoveOldest(size_t keep);

    std::vector<std::unique_ptr<TEventItem>> FList;
    int FCapacity = 10;
    TEventItem *FLastItem = nullptr;
    bool FCanAppend = false;
};
