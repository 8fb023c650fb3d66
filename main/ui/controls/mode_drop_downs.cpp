#include "ui/controls/mode_drop_downs.h"

#include "core/image/display_canvas.h"
#include "ui/graphics/appearance.h"
#include "ui/graphics/glyph_manager.h"

#include <algorithm>

std::vector<TPopupMenuEntry> modeMenuEntries(int count, const std::vector<int> &groupStarts,
                                             int current,
                                             const std::function<QString(int)> &caption)
{
    std::vector<TPopupMenuEntry> entries;
    for (int i = 0; i < count; ++i) {
        if (std::find(groupStarts.begin(), groupStarts.end(), i) != groupStarts.end())
            entries.push_back({0, {}, false, true, true});
        entries.push_back({1000 + i, caption(i), i == current, true, false});
    }
    return entries;
}

namespace {

// Runs the menu under the picker; the chosen value, or -1 for none or the current one.
int runModeMenu(TItemPicker *picker, int count, const std::vector<int> &groupStarts, int current,
                const std::function<QString(int)> &caption)
{
    QWidget *owner = picker->parentWidget() ? picker->parentWidget()->window() : nullptr;
    if (!owner)
        return -1;
    const QRect exclude(picker->mapToGlobal(QPoint(0, 0)), picker->size());
    const int c = trackPopupMenu(modeMenuEntries(count, groupStarts, current, caption),
                                 picker->mapToGlobal(QPoint(0, picker->height())), &exclude, owner);
    if (c >= 1000 && c < 1000 + count && c != 1000 + current)
        return c - 1000;
    return -1;
}

// Ends a popup however the menu run ends.
struct TPopupCloser
{
    TItemPicker *picker;
    ~TPopupCloser() { picker->PopupClosed(); }
};

} // namespace

// ---- TSubPaintDropDown

TSubPaintDropDown::TSubPaintDropDown(QWidget *parent) : TItemPicker(parent)
{
    FType = ipDrop;
    FMargin = true;
}

void TSubPaintDropDown::setSubPaintMode(TSubPaintMode value)
{
    if (value == FSubPaintMode)
        return;
    FSubPaintMode = value;
    DrawWork();
    DrawImages();
    DoChange();
}

void TSubPaintDropDown::UpdateColors()
{
    FGlyphState = !isEnabled() ? gsDisabled : FHover.has(ippIcon) ? gsActive : gsNone;
    TItemPicker::UpdateColors();
}

int TSubPaintDropDown::GetItemIndex()
{
    return int(FSubPaintMode);
}

void TSubPaintDropDown::DrawWork()
{
    TItemPicker::DrawWork();
    FWork.Clear();
    const int i = int(FSubPaintMode);
    if (i < 0 || i > 6 || !gGlyphManager)
        return;
    const TMemoryGraphic *g =
        gGlyphManager->GetGlyphs(TqZGlyphType(int(TqZGlyphType::qgDrawLocus) + i), FGlyphState);
    if (!g || !g->Prepared())
        return;
    FWork.BlendImage((FWork.Width() - g->Width()) / 2, (FWork.Height() - g->Height()) / 2,
                     g->Width(), g->Height(), *g, 0, 0, blendNormal, blendKeep);
}

bool TSubPaintDropDown::DoPopup(int Index)
{
    if (!parentWidget() || !parentWidget()->window())
        return false;
    TPopupCloser closer{this};
    const int chosen = runModeMenu(this, 7, {1, 4}, Index, [](int i) {
        QString s;
        subPaintModeCaption(TSubPaintMode(i), s);
        return s;
    });
    if (chosen >= 0)
        setSubPaintMode(TSubPaintMode(chosen));
    return false;
}

// ---- TBlendModeDropDwon

namespace {

QString blendModeName(TBlendMode bm)
{
    QString s;
    getBlendModeName(bm, s);
    return s;
}

} // namespace

TBlendModeDropDwon::TBlendModeDropDwon(QWidget *parent)
    : TItemPicker(parent), FBlendModeName(blendModeName(TBlendMode::bmStandard))
{
    FType = ipDrop;
}

void TBlendModeDropDwon::setBlendMode(TBlendMode value)
{
    if (value == FBlendMode)
        return;
    FBlendMode = value;
    FBlendModeName = blendModeName(value);
    DoChange();
    DrawWork();
    DrawImages();
}

int TBlendModeDropDwon::GetItemIndex()
{
    return int(FBlendMode);
}

void TBlendModeDropDwon::DrawWork()
{
    TItemPicker::DrawWork();
    FWork.Clear();
    sRect r{4, 0, FWork.Width() - 4, FWork.Height()};
    FWork.DrawText(FBlendModeName, r, font(), FIconGlyph,
                   DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
}

bool TBlendModeDropDwon::DoPopup(int Index)
{
    if (!parentWidget() || !parentWidget()->window())
        return false;
    TPopupCloser closer{this};
    const int chosen = runModeMenu(this, kBlendModeCount, {1, 5, 10, 16, 18}, Index,
                                   [](int i) { return blendModeName(TBlendMode(i)); });
    if (chosen >= 0)
        setBlendMode(TBlendMode(chosen));
    return false;
}
