#include "ui/lists/event_list_view.h"

#include "ui/graphics/glyph_manager.h"

#include <algorithm>

TEventItem::TEventItem(TEventCode ACode)
    : FCode(ACode),
      FName(getEventCodeName(ACode)),
      FGlyph(getEventCodeGlyph(ACode)),
      FStroke(ACode == TEventCode::ecLayer_Draw_Stroke)
{
}

TEventListView::TEventListView(QWidget *parent) : TqZListView(parent)
{
    FSupportTypes = {lvListS, lvListM, lvListL, lvText};
    FItemSizes[lvListS] = QSize(20, 20);
    FItemSizes[lvListM] = QSize(24, 24);
    FItemSizes[lvListL] = QSize(32, 32);
    FItemSizes[lvText] = QSize(20, 20);
    // Set directly, not through SetSupportCommand: the cells keep no border or padding, so the
    // icon fills the row height.
    FSupportCommand = {lvcSelect};
    SetListType(lvListM);
}

TEventListView::~TEventListView() = default;

const TEventItem *TEventListView::Item(int AIndex) const
{
    return IsValidIndex(AIndex) ? FList[size_t(AIndex)].get() : nullptr;
}

void TEventListView::RemoveOldest(size_t keep)
{
    if (FList.size() <= keep)
        return;
    const auto last = FList.end() - std::ptrdiff_t(keep);
    if (std::any_of(FList.begin(), last, [this](const auto &e) { return e.get() == FLastItem; }))
        FLastItem = nullptr;
    FList.erase(FList.begin(), last);
}

bool TEventListView::AppendItem(TEventCode ACode)
{
    if (!FCanAppend || FCapacity <= 0)
        return false;
    using E = TEventCode;
    if (ACode == E::ecNop || ACode == E::ecEvent_Undo || ACode == E::ecLayer_Property_Activate ||
        ACode == E::ecMask_Property_Activate)
        return true;
    if (FLastItem && FLastItem->FStroke && ACode == E::ecLayer_Draw_Stroke) {
        // A long run of strokes redraws the panel only every tenth stroke.
        if (++FLastItem->FCount % 10 == 0)
            UpdateDisplayPosition(true);
        return true;
    }
    if (FLastItem && FLastItem->FCode == ACode) {
        ++FLastItem->FCount;
        UpdateDisplayPosition(true);
        return true;
    }
    auto item = std::make_unique<TEventItem>(ACode);
    RemoveOldest(size_t(FCapacity - 1));
    FList.push_back(std::move(item));
    FLastItem = FList.back().get();
    SelectItem(int(FList.size()) - 1, true);
    return true;
}

void TEventListView::Clear()
{
    FList.clear();
    FLastItem = nullptr;
    UpdateDisplayPosition(true);
}

void TEventListView::SetCapacity(int Value)
{
    Value = std::clamp(Value, 0, kMaxCapacity);
    if (Value == FCapacity)
        return;
    RemoveOldest(size_t(Value));
    FCapacity = Value;
    if (!FList.empty()) {
        SelectItem(int(FList.size()) - 1, true);
    } else {
        DrawItems();
        UpdateDisplayPosition(true);
    }
}

QString TEventListView::GetItemName(int AIndex) const
{
    const TEventItem *e = Item(AIndex);
    if (!e)
        return {};
    if (e->FCount < 2)
        return e->FName;
    return QStringLiteral("%1 %2 %3").arg(e->FName, QStringLiteral("×")).arg(e->FCount);
}

void TEventListView::DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &ARect, int AIndex,
                                     TListViewItemStatus)
{
    const TEventItem *e = Item(AIndex);
    if (!e || !gGlyphManager)
        return;
    const TMemoryGraphic *glyph = gGlyphManager->GetGlyphs(e->FGlyph, gsNone);
    if (!glyph || !glyph->Prepared())
        return;
    // Centred; a smaller icon shows the glyph's middle.
    const QRect placed(ARect.left() + (ARect.width() - glyph->Width()) / 2,
                       ARect.top() + (ARect.height() - glyph->Height()) / 2, glyph->Width(),
                       glyph->Height());
    const QRect shown = placed & ARect;
    if (shown.isEmpty())
        return;
    AImage.BlendImage(shown.left(), shown.top(), shown.width(), shown.height(), *glyph,
                      shown.left() - placed.left(), shown.top() - placed.top(), blendNormal,
                      blendKeep);
}
