#include "ui/lists/layer_list_views.h"

#include "core/image/display_canvas.h"
#include "core/mask/mask_manager.h"
#include "document/edit/edit_ops.h"
#include "document/edit/layer_attr.h"
#include "document/edit/layer_group_ops.h"
#include "document/edit/layer_list_ops.h"
#include "document/paper/layer_blend_table.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/selection/selection_ops.h"
#include "ui/base/popup_menu.h"
#include "ui/graphics/appearance.h"
#include "platform/desktop/cursor.h"
#include "ui/graphics/glyph_manager.h"

#include <algorithm>

namespace {

sRect toS(const QRect &r)
{
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// The point beyond which a press on a layer row belongs to the row, not to its marks.
constexpr int kMarkColumnsRight = 34;
constexpr uint8_t kAreaMarks = kAreaCustom;
constexpr int kOpacityLine = 14;
constexpr int kEyeColumnRight = 16;

// Copies the whole of a 32-bit canvas (alpha included) to (x, y) of the picture, clipped.
void copyCanvas(TMemoryGraphic &dst, int x, int y, int w, int h, const TMTC &src)
{
    if (!src.isEnable())
        return;
    const auto *pixels = reinterpret_cast<const TColor32 *>(src.seek32(0, 0));
    if (src.getSkipLineSize() != src.width()) {
        // Bottom-up rows: row by row.
        for (int j = 0; j < std::min(h, src.height()); ++j)
            dst.Copy(x, y + j, std::min(w, src.width()), 1,
                     reinterpret_cast<const TColor32 *>(src.seek32(0, j)), 0, 0, src.width(), 1);
        return;
    }
    dst.Copy(x, y, std::min(w, src.width()), std::min(h, src.height()), pixels, 0, 0, src.width(),
             src.height());
}

void copyCentred(TMemoryGraphic &dst, const TMemoryGraphic *img, int x, const QRect &row)
{
    if (!img || !img->Prepared())
        return;
    dst.Copy(x, row.top() + (row.height() - img->Height()) / 2, img->Width(), img->Height(),
             img->GetScanLine(0), 0, 0, img->Width(), img->Height());
}

void blendCentred(TMemoryGraphic &dst, const TMemoryGraphic *img, int x, const QRect &row,
                  TBlendProc rgb)
{
    if (!img || !img->Prepared())
        return;
    dst.BlendImage(x, row.top() + (row.height() - img->Height()) / 2, img->Width(), img->Height(),
                   *img, 0, 0, rgb, blendKeep);
}

// A raised box: highlight top and left, shadow bottom and right, face inside.
void raisedBox(TMemoryGraphic &g, const QRect &r)
{
    g.FillRectangle(toS(r), clBtnFace32(), blendCopy, blendCopy);
    g.DrawRectangle(toS(r), 1, clBtnHighlight32(), clBtnShadow32(), blendCopy, blendCopy);
}

void verticalLine(TMemoryGraphic &g, int x, const QRect &row)
{
    g.FillRectangle({x, row.top(), x + 1, row.top() + row.height()}, clWindowFrame32(), blendCopy,
                    blendCopy);
}

} // namespace

QString layerOpacityText(uint8_t trans)
{
    return QString::asprintf("%1.0f%%", double(trans) * 100.0 / 255.0);
}

// ---- shared

TDocumentListView::TDocumentListView(QWidget *parent) : TqZListView(parent) {}

int TDocumentListView::PreviewMax() const
{
    return TListGeometry::PreviewIconSide(GetItemSize().height(), FPadding, FBorder);
}

bool TDocumentListView::EditGate() const
{
    return FDrawWindow && FPaper && FDrawWindow->canAcceptEditCmd(false, false, true);
}

TListViewItemTypes TDocumentListView::GetItemType(int) const
{
    if (EditGate())
        return {};
    return {lviFixedIndex, lviFixedName, lviFixedValue};
}

void TDocumentListView::Bind(IDocumentListWindow *AWindow)
{
    FDrawWindow = AWindow;
    FPaper = AWindow ? AWindow->paper() : nullptr;
    if (FSupportCommand.contains(lvcSelect))
        FLastIndex = GetSelectIndex();
    else
        FLastIndex = IsValidIndex(0) ? 0 : -1;
}

IDocumentListWindow *TDocumentListView::Detach()
{
    IDocumentListWindow *old = FDrawWindow;
    FDrawWindow = nullptr;
    FPaper = nullptr;
    FLastIndex = -1;
    return old;
}

QSize TDocumentListView::FitPreview(int AIndex, int tw, int th) const
{
    QSize s = TqZListView::GetPreviewIconSize(AIndex);
    if (tw <= 0 || th <= 0)
        return s;
    const int side = s.width();
    if (tw > th)
        s.setHeight(th * side / tw);
    else if (th > tw)
        s.setWidth(tw * side / th);
    return s;
}

// ---- layers

TLayerListView::TLayerListView(QWidget *parent) : TDocumentListView(parent)
{
    FSupportTypes = {lvListS, lvListM, lvListL, lvText};
    FUseCheckBoard = true;
    SetDirection(lvdBottomUp);
    SetListType(lvListM);
}

void TLayerListView::Attach(IDocumentListWindow *AWindow)
{
    Bind(AWindow);
    if (FSupportCommand.contains(lvcSelect))
        SelectItem(GetSelectIndex(), true);
    if (FPaper)
        ApplyPreviewSize();
    UpdateDisplayPosition(true);
    DrawButton();
    UpdateScrollBar(FLastIndex);
    if (OnChangeManager)
        OnChangeManager(this);
}

IDocumentListWindow *TLayerListView::Detach()
{
    IDocumentListWindow *old = TDocumentListView::Detach();
    UpdateScrollBar(-1);
    DrawButton();
    UpdateDisplayPosition(true);
    return old;
}

CLayerData *TLayerListView::GetItemRef(int AIndex) const
{
    return FPaper && IsValidIndex(AIndex) ? FPaper->getLayerData(AIndex) : nullptr;
}

CLayerData *TLayerListView::GetSelectItemRef() const
{
    return FPaper ? FPaper->getActiveLayerData() : nullptr;
}

int TLayerListView::GetItemCount() const
{
    return FPaper ? FPaper->getLayerCount() : 0;
}

QString TLayerListView::GetItemName(int AIndex) const
{
    const CLayerData *l = GetItemRef(AIndex);
    return l ? l->title : QString();
}

int TLayerListView::GetSelectIndex() const
{
    return FPaper && FSupportCommand.contains(lvcSelect) ? FPaper->ActiveLayer() : -1;
}

void TLayerListView::SelectPreviousVisible()
{
    const int sel = GetSelectIndex();
    const auto visible = [this](int i) { return GetItemRef(i) && GetItemRef(i)->visible; };
    for (int i = sel - 1; i >= 0; --i)
        if (visible(i))
            return void(SelectItem(i, true));
    for (int i = GetItemCount() - 1; i >= sel && i >= 0; --i)
        if (visible(i))
            return void(SelectItem(i, true));
}

void TLayerListView::SelectNextVisible()
{
    const int sel = GetSelectIndex();
    const auto visible = [this](int i) { return GetItemRef(i) && GetItemRef(i)->visible; };
    for (int i = sel + 1; i < GetItemCount(); ++i)
        if (visible(i))
            return void(SelectItem(i, true));
    for (int i = 0; i <= sel; ++i)
        if (visible(i))
            return void(SelectItem(i, true));
}

void TLayerListView::SetSelectIndex(int AIndex)
{
    if (FDrawWindow && FDrawWindow->isKeyOnly())
        FDrawWindow->updateEventProcs(true);
    if (!IsValidIndex(AIndex) || AIndex == GetSelectIndex() ||
        !FSupportCommand.contains(lvcSelect) || !EditGate())
        return;
    EventLayerActive(*FPaper, FDrawWindow->flowImage(), AIndex);
    FDrawWindow->refreshAfterEvent(false, false, false);
    FLastIndex = AIndex;
    DoChange();
}

void TLayerListView::SetItemName(int AIndex, const QString &Name)
{
    if (!IsValidIndex(AIndex) || Name == GetItemName(AIndex) || !EditGate())
        return;
    if (!eventLayerName(*FPaper, FDrawWindow->flowImage(), AIndex, Name, true))
        return;
    FDrawWindow->refreshAfterEvent(false, false, false);
    SetModified(true);
    DoChange();
}

void TLayerListView::AfterListChange(bool Updt)
{
    FDrawWindow->refreshAfterEvent(false, true, true);
    SetModified(true);
    DoChange();
    if (Updt)
        UpdateDisplayPosition(true);
}

bool TLayerListView::DeleteItem(int Dst, bool Updt)
{
    if (!CanDeleteItem(Dst))
        return false;
    if (!EventLayerDelete(*FPaper, FDrawWindow->flowImage(), Dst, true))
        return false;
    AfterListChange(Updt);
    return true;
}

// Dst is an insertion position (before the layer Dst; the count for the top).
bool TLayerListView::MoveItem(int Dst, int Src, bool Updt)
{
    if (!IsValidIndex(Src))
        return false;
    if (!IsValidIndex(Dst))
        Dst = GetItemCount();
    if (!CanMoveItem(Dst, Src))
        return false;
    if (HasLayerGroup()) {
        // A group head takes its members along; the document takes the insertion position.
        if (!eventLayerGroupInsert(*FPaper, FDrawWindow->flowImage(), Src,
                                   getLayerGroupCount(*FPaper, Src), Dst, true))
            return false;
    } else {
        // The document takes the layer's index after the move.
        const int to = Dst > Src ? Dst - 1 : Dst;
        if (!EventLayerInsert(*FPaper, FDrawWindow->flowImage(), Src, to, true))
            return false;
    }
    AfterListChange(Updt);
    return true;
}

bool TLayerListView::DuplicateItem(TListViewCommands *DstView, int Dst, int Src, bool Updt)
{
    if (!DstView || !DstView->CanDuplicateItem(Dst, this, Src))
        return false;
    if (!IsValidIndex(Dst))
        Dst = GetItemCount();
    // The copy lands above its original; elsewhere it is moved there.
    if (!eventLayerCopy(*FPaper, FDrawWindow->flowImage(), Src, true))
        return false;
    if (Dst != Src + 1)
        MoveItem(Dst, Src + 1, false);
    AfterListChange(Updt);
    return true;
}

bool TLayerListView::EditItemValue(int)
{
    if (!EditGate())
        return false;
    FDrawWindow->doLayerInfoWin();
    return true;
}

void TLayerListView::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                               bool dbl)
{
    // The layer under the press, as it was: a Ctrl press may have deleted it (lvcDelete).
    const int index = GetIndexAt(x, y);
    const auto idAt = [this](int i) {
        const CLayerData *l = GetItemRef(i);
        return l ? l->uniqueID : -1;
    };
    const int32_t pressed = idAt(index);
    TDocumentListView::MouseDown(button, shift, x, y, dbl);
    if (button != Qt::LeftButton || dbl || !EditGate() || pressed < 0 || idAt(index) != pressed)
        return;
    if (GetAreaType(x, y) == kAreaMarks) {
        WaitCursor busy;
        if (x <= kEyeColumnRight)
            ClickEye(index, shift & Qt::AltModifier);
        else
            ClickLink(index);
    } else if (shift & Qt::ControlModifier) {
        WaitCursor busy;
        SelectFromLayer(index);
    }
}

void TLayerListView::ClickLink(int AIndex)
{
    const int active = FPaper->ActiveLayer();
    if (AIndex == active)
        return;
    if (eventLayerLink(*FPaper, active, AIndex, true))
        FDrawWindow->refreshAfterEvent(false, false, false);
}

void TLayerListView::SelectFromLayer(int AIndex)
{
    if (eventSelectFromLayer(*FPaper, FDrawWindow->flowImage(), AIndex, -1,
                             eMaskLayerConv::mlcMask, eMaskAddType::matNew, true))
        FDrawWindow->refreshAfterEvent(false, true, true);
}

void TLayerListView::ClickEye(int AIndex, bool alt)
{
    const CLayerData *l = GetItemRef(AIndex);
    if (!l)
        return;
    if (alt && l->visible) {
        if (getVisibleLayerCount(*FPaper) == 1)
            FDrawWindow->doLayerVisAll(true);
        else if (eventLayerVisOnly(*FPaper, AIndex, true))
            FDrawWindow->refreshAfterEvent(false, true, true);
        return;
    }
    if (doLayerVisible(*FPaper, AIndex, !l->visible, true))
        FDrawWindow->refreshAfterEvent(false, false, true);
}

bool TLayerListView::HasLayerGroup() const
{
    return FPaper && FPaper->layerMngr().getMaxGroupLevel() > 0;
}

int TLayerListView::LayerGroupCount(int idx) const
{
    if (!FPaper)
        return 0;
    return std::max(FPaper->layerMngr().countGroupMember(idx, true), 0) + 1;
}

void TLayerListView::SetItemSize(QSize ASize)
{
    TqZListView::SetItemSize(ASize);
    if (FPaper && FType != lvText)
        ApplyPreviewSize();
}

// The document keeps its layer thumbnails at the side the rows show.
void TLayerListView::ApplyPreviewSize()
{
    const int side = PreviewMax();
    CLayerMngr &layers = FPaper->layerMngr();
    if (layers.getPreviewSize() == sSize{side, side})
        return;
    setLayerPreviewMax(side);
    layers.setPreviewSize({side, side});
    for (int i = 0; i < layers.getLayerCount(); ++i) {
        layers.resizeLayerPreview(i, side, side);
        if (CLayerData *l = layers.getLayer(i))
            l->updatePreview();
    }
    UpdateDisplayPosition(true);
}

QSize TLayerListView::GetPreviewIconSize(int AIndex) const
{
    const CLayerData *l = GetItemRef(AIndex);
    if (!l || !l->previewTC)
        return TqZListView::GetPreviewIconSize(AIndex);
    return FitPreview(AIndex, l->previewTC->width(), l->previewTC->height());
}

uint8_t TLayerListView::GetAreaType(int X, int Y) const
{
    const uint8_t area = TqZListView::GetAreaType(X, Y);
    return area == kAreaItem && X <= kMarkColumnsRight ? kAreaMarks : area;
}

TListViewItemStatus TLayerListView::GetItemState(int AIndex) const
{
    TListViewItemStatus s = TqZListView::GetItemState(AIndex);
    // The members of a pressed group head go with it.
    if ((FDown || FDragging) && IsValidIndex(FLastIndex) && HasLayerGroup() &&
        AIndex > FLastIndex && AIndex < FLastIndex + LayerGroupCount(FLastIndex))
        s.insert(lviDragTarget);
    return s;
}

// A group is never dropped inside itself.
bool TLayerListView::GroupRule(int Dst, int Src) const
{
    if (!HasLayerGroup())
        return true;
    Dst = NormalDst(Dst);
    return Dst < Src || Dst > Src + LayerGroupCount(Src);
}

bool TLayerListView::CanMoveItem(int Dst, int Src) const
{
    return TqZListView::CanMoveItem(Dst, Src) && EditGate() && GroupRule(Dst, Src);
}

bool TLayerListView::CanAppendItem(const TListViewCommands *SrcView, int Src) const
{
    return TqZListView::CanAppendItem(SrcView, Src) && EditGate();
}

bool TLayerListView::CanInsertItem(int Dst, const TListViewCommands *SrcView, int Src) const
{
    return TqZListView::CanInsertItem(Dst, SrcView, Src) && SrcView == this && EditGate() &&
           GroupRule(Dst, Src);
}

bool TLayerListView::CanDeleteItem(int Dst) const
{
    return TqZListView::CanDeleteItem(Dst) && EditGate() && GetItemCount() > 1;
}

bool TLayerListView::CanDuplicateItem(int Dst, const TListViewCommands *SrcView, int Src) const
{
    return TqZListView::CanDuplicateItem(Dst, SrcView, Src) && SrcView == this && EditGate();
}

int TLayerListView::DrawMarks(const QRect &ARect, int AIndex)
{
    const CLayerData *l = GetItemRef(AIndex);
    if (!l || !gAppearanceManager)
        return ARect.left();
    const int active = FPaper->ActiveLayer();
    const TMemoryGraphic *eye = gAppearanceManager->GetEyeImage(l->visible ? 1 : 0, gsNone);
    const TMemoryGraphic *mark =
        AIndex == active ? gAppearanceManager->ActiveImage()
                         : gAppearanceManager->GetLinkImage(
                               FPaper->layerMngr().isLinked(active, AIndex) ? 1 : 0);
    const int ew = eye ? eye->Width() : 13, mw = mark ? mark->Width() : 13;
    const QRect row(ARect.left(), ARect.top(), ARect.width(), ARect.height());

    verticalLine(FWork, ew + 2, row);
    raisedBox(FWork, QRect(0, row.top(), ew + 2, row.height()));
    copyCentred(FWork, eye, 1, row);

    const int line = ew + mw + 6;
    verticalLine(FWork, line, row);
    raisedBox(FWork, QRect(mw + 3, row.top(), line - (mw + 3), row.height()));
    copyCentred(FWork, mark, ew + 4, row);

    int x = line + 9 * l->groupLevel;
    if (l->getUnderLyrClip()) {
        blendCentred(FWork, gAppearanceManager->ClippingImage(), x + 2, row, blendMultiply);
        x += 12;
    }
    return x;
}

void TLayerListView::DrawItemList(const QRect &ARect, int AIndex, TListViewItemStatus State)
{
    const int x = DrawMarks(ARect, AIndex);
    const QRect rest(x, ARect.top(), std::max(ARect.right() + 1 - x, 0), ARect.height());
    TqZListView::DrawItemList(rest, AIndex, State);
}

void TLayerListView::DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &ARect, int AIndex,
                                     TListViewItemStatus)
{
    const CLayerData *l = GetItemRef(AIndex);
    if (!l || !l->previewTC)
        return;
    // Colour and alpha as they are: the checker board shows through when the cell is laid in.
    copyCanvas(AImage, ARect.left(), ARect.top(), ARect.width(), ARect.height(), *l->previewTC);
}

void TLayerListView::DrawItemText(const QRect &ARect, int AIndex, TListViewItemStatus State)
{
    const CLayerData *l = GetItemRef(AIndex);
    if (!l)
        return;
    const bool selected = State.contains(lviSelect);
    const TColor32 text = selected ? clHighlightText32() : clWindowText32();
    const TGlyphState glyphState = selected ? gsNone : gsDisabled;
    QRect t = ARect;

    if (FType == lvText && gAppearanceManager) {
        const int active = FPaper->ActiveLayer();
        const TMemoryGraphic *eye = gAppearanceManager->GetEyeImage(l->visible ? 1 : 0, gsNone);
        const TMemoryGraphic *mark =
            AIndex == active ? gAppearanceManager->ActiveImage()
                             : gAppearanceManager->GetLinkImage(
                                   FPaper->layerMngr().isLinked(active, AIndex) ? 1 : 0);
        blendCentred(FWork, eye, t.left() + 1, t, blendNormal);
        t.setLeft(t.left() + (eye ? eye->Width() : 13) + 2);
        blendCentred(FWork, mark, t.left() + 1, t, blendNormal);
        t.setLeft(t.left() + (mark ? mark->Width() : 13) + 2);
        t.setLeft(t.left() + 8 * l->groupLevel);
        if (l->getUnderLyrClip()) {
            blendCentred(FWork, gAppearanceManager->ClippingImage(), t.left() + 2, t,
                         blendMultiply);
            t.setLeft(t.left() + 11);
        }
    }

    t.adjust(3, 0, -3, 0);
    // The protection and oversize marks: the 16 x 16 middle of their glyphs at the right end.
    const auto rightMark = [&](TqZGlyphType type) {
        const TMemoryGraphic *g = gGlyphManager ? gGlyphManager->GetGlyphs(type, glyphState) : nullptr;
        if (g && g->Prepared())
            FWork.BlendImage(t.right() + 1 - 16, t.top() + (t.height() - 16) / 2, 16, 16, *g, 4, 4,
                             blendNormal, blendKeep);
        t.setRight(t.right() - 16);
    };
    if (l->maskProtected)
        rightMark(TqZGlyphType::qgProtectAlpha);
    if (l->hasExtendSize())
        rightMark(TqZGlyphType::qgExtend);

    const uint32_t oneLine = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
    if (FType == lvListS || FType == lvText) {
        sRect r = toS(t);
        FWork.DrawText(l->title, r, FFont, text, oneLine);
        return;
    }
    sRect title = toS(t.adjusted(0, 0, 0, -kOpacityLine));
    FWork.DrawText(l->title, title, FFont, text, oneLine);
    const int lineTop = t.bottom() + 1 - kOpacityLine;
    sRect measure{0, 0, 0, 0};
    FWork.DrawText(QStringLiteral("199%"), measure, FFont, text, DT_SINGLELINE | DT_CALCRECT);
    const int ow = measure.x1 - measure.x0;
    sRect opacity{t.left(), lineTop, t.left() + ow, lineTop + kOpacityLine};
    FWork.DrawText(layerOpacityText(l->trans), opacity, FFont, text, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    sRect mode{opacity.x1 + 4, lineTop, t.right() + 1, lineTop + kOpacityLine};
    FWork.DrawText(getLayerModeName(l->mode), mode, FFont, text, oneLine);
}

// ---- masks

TMaskListView::TMaskListView(QWidget *parent) : TDocumentListView(parent)
{
    FSupportTypes = {lvIconS, lvIconM, lvIconL, lvListS, lvListM, lvListL, lvText};
    SetListType(lvListM);
}

void TMaskListView::Attach(IDocumentListWindow *AWindow)
{
    Bind(AWindow);
    DrawButton();
    UpdateDisplayPosition(true);
    if (OnChangeManager)
        OnChangeManager(this);
}

IDocumentListWindow *TMaskListView::Detach()
{
    IDocumentListWindow *old = TDocumentListView::Detach();
    UpdateDisplayPosition(true);
    DrawButton();
    return old;
}

CMaskData *TMaskListView::GetItemRef(int AIndex) const
{
    return FPaper && IsValidIndex(AIndex) ? FPaper->maskMngr().getMask(AIndex) : nullptr;
}

CMaskData *TMaskListView::GetSelectItemRef() const
{
    return FPaper ? FPaper->maskMngr().getActiveMask() : nullptr;
}

int TMaskListView::GetItemCount() const
{
    return FPaper ? FPaper->maskMngr().getMaskCount() : 0;
}

QString TMaskListView::GetItemName(int AIndex) const
{
    const CMaskData *m = GetItemRef(AIndex);
    return m ? m->title : QString();
}

int TMaskListView::GetSelectIndex() const
{
    return FPaper && FSupportCommand.contains(lvcSelect) ? FPaper->getActiveMaskIndex() : -1;
}

// Only a valid index with the gate open: during a replay nothing may be recorded, and the mask
// count would append an empty mask.
void TMaskListView::SetSelectIndex(int AIndex)
{
    if (AIndex == GetSelectIndex() || !FSupportCommand.contains(lvcSelect))
        return;
    if (FDrawWindow && FDrawWindow->isKeyOnly())
        FDrawWindow->updateEventProcs(true);
    if (!IsValidIndex(AIndex) || !EditGate())
        return;
    eventSelectActivate(*FPaper, FDrawWindow->flowImage(), FPaper->ActiveLayer(), AIndex, true);
    FDrawWindow->refreshAfterEvent(false, false, false);
    FLastIndex = AIndex;
    DoChange();
}

void TMaskListView::SetItemName(int AIndex, const QString &Name)
{
    if (!IsValidIndex(AIndex) || Name == GetItemName(AIndex) || !EditGate())
        return;
    if (!eventSelectName(*FPaper, FDrawWindow->flowImage(), FPaper->ActiveLayer(), AIndex, Name,
                         true))
        return;
    FDrawWindow->refreshAfterEvent(false, false, false);
    SetModified(true);
    DoChange();
}

void TMaskListView::AfterListChange(bool Updt)
{
    FDrawWindow->refreshAfterEvent(false, true, true);
    SetModified(true);
    DoChange();
    if (Updt)
        UpdateDisplayPosition(true);
}

bool TMaskListView::DeleteItem(int Dst, bool Updt)
{
    if (!CanDeleteItem(Dst))
        return false;
    if (!eventSelectRemove(*FPaper, FDrawWindow->flowImage(), FPaper->ActiveLayer(), Dst, true))
        return false;
    AfterListChange(Updt);
    return true;
}

// Dst is an insertion position, as for layers.
bool TMaskListView::MoveItem(int Dst, int Src, bool Updt)
{
    if (!IsValidIndex(Src))
        return false;
    if (!IsValidIndex(Dst))
        Dst = GetItemCount();
    if (!CanMoveItem(Dst, Src))
        return false;
    const int to = Dst > Src ? Dst - 1 : Dst;
    if (!eventSelectMove(*FPaper, FDrawWindow->flowImage(), FPaper->ActiveLayer(), to, Src, true))
        return false;
    AfterListChange(Updt);
    return true;
}

bool TMaskListView::DuplicateItem(TListViewCommands *DstView, int Dst, int Src, bool Updt)
{
    if (!DstView || !DstView->CanDuplicateItem(Dst, this, Src))
        return false;
    if (!IsValidIndex(Dst))
        Dst = GetItemCount();
    if (!eventSelectDuplicate(*FPaper, FDrawWindow->flowImage(), FPaper->ActiveLayer(), Src, true))
        return false;
    if (Dst != Src + 1)
        MoveItem(Dst, Src + 1, false);
    AfterListChange(Updt);
    return true;
}

bool TMaskListView::EditItemValue(int)
{
    if (!EditGate() || !GetSelectItemRef())
        return false;
    FDrawWindow->DoMaskInfoWin();
    return true;
}

uint8_t TMaskListView::GetAreaType(int X, int Y) const
{
    return FIgnoreAreaType ? uint8_t(kAreaCustom) : TDocumentListView::GetAreaType(X, Y);
}

void TMaskListView::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                              bool dbl)
{
    const int index = GetIndexAt(x, y);
    const Qt::KeyboardModifiers keys =
        shift & (Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier);
    if (button == Qt::LeftButton && !dbl && keys && IsValidIndex(index) && EditGate()) {
        // The press neither selects nor runs the base item commands: it combines masks.
        FIgnoreAreaType = true;
        TDocumentListView::MouseDown(button, shift, x, y, dbl);
        FIgnoreAreaType = false;
        const bool sh = keys & Qt::ShiftModifier, alt = keys & Qt::AltModifier;
        const eMaskAddType mat = sh && alt ? eMaskAddType::matAnd
                                 : sh      ? eMaskAddType::matAdd
                                 : alt     ? eMaskAddType::matSub
                                           : eMaskAddType::matNew;
        BindInto(index, mat);
        return;
    }
    TDocumentListView::MouseDown(button, shift, x, y, dbl);
    if (button == Qt::RightButton && parentWidget() && EditGate() && IsValidIndex(index) &&
        index != FPaper->getActiveMaskIndex())
        ShowBindMenu(index, x, y);
}

void TMaskListView::BindInto(int AIndex, eMaskAddType mat)
{
    if (eventSelectBind(*FPaper, FDrawWindow->flowImage(), FPaper->ActiveLayer(),
                        FPaper->getActiveMaskIndex(), AIndex, mat, true))
        AfterListChange(false);
}

void TMaskListView::ShowBindMenu(int AIndex, int x, int y)
{
    constexpr int kFirstId = 1000;
    std::vector<TPopupMenuEntry> entries;
    for (int i = 0; i < kMaskAddTypeCount; ++i)
        entries.push_back({kFirstId + i, maskAddTypeCaption(eMaskAddType(i))});
    const int id = trackPopupMenu(entries, mapToGlobal(QPoint(x, y)), nullptr, parentWidget());
    // The document may have changed while the menu was open.
    if (id < kFirstId || id >= kFirstId + kMaskAddTypeCount || !EditGate() ||
        !IsValidIndex(AIndex))
        return;
    BindInto(AIndex, eMaskAddType(id - kFirstId));
}

void TMaskListView::SetItemSize(QSize ASize)
{
    const int before = PreviewMax();
    TqZListView::SetItemSize(ASize);
    if (FPaper && PreviewMax() != before)
        ApplyPreviewSize();
}

void TMaskListView::ApplyPreviewSize()
{
    const int side = PreviewMax();
    setMaskPreviewMax(side);
    const sSize paper = FPaper->maskPaperSize();
    CMaskMngr &masks = FPaper->maskMngr();
    for (int i = 0; i < masks.getMaskCount(); ++i)
        if (CMaskData *m = masks.getMask(i))
            m->makePreview(paper.x, paper.y, side, side);
    UpdateDisplayPosition(true);
}

QSize TMaskListView::GetPreviewIconSize(int AIndex) const
{
    const CMaskData *m = GetItemRef(AIndex);
    if (!CMaskData::hasMask(m) || !m->previewTC)
        return TqZListView::GetPreviewIconSize(AIndex);
    return FitPreview(AIndex, m->previewTC->width(), m->previewTC->height());
}

bool TMaskListView::CanMoveItem(int Dst, int Src) const
{
    return TqZListView::CanMoveItem(Dst, Src) && EditGate();
}

bool TMaskListView::CanAppendItem(const TListViewCommands *SrcView, int Src) const
{
    return TqZListView::CanAppendItem(SrcView, Src) && EditGate();
}

bool TMaskListView::CanInsertItem(int Dst, const TListViewCommands *SrcView, int Src) const
{
    return TqZListView::CanInsertItem(Dst, SrcView, Src) && SrcView == this && EditGate();
}

bool TMaskListView::CanDeleteItem(int Dst) const
{
    return TqZListView::CanDeleteItem(Dst) && EditGate() && GetItemCount() > 1;
}

bool TMaskListView::CanDuplicateItem(int Dst, const TListViewCommands *SrcView, int Src) const
{
    return TqZListView::CanDuplicateItem(Dst, SrcView, Src) && SrcView == this && EditGate();
}

void TMaskListView::DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &ARect, int AIndex,
                                    TListViewItemStatus)
{
    const CMaskData *m = GetItemRef(AIndex);
    if (!CMaskData::hasMask(m) || !m->previewTC) {
        AImage.FillRectangle(toS(ARect), clGrayText32(), blendCopy, blendCopy);
        return;
    }
    TMTC icon(ARect.width(), ARect.height());
    if (!icon.isEnable())
        return;
    icon.fillAll(0);
    m->previewTC->bltEx(icon, sPos{0, 0}, sBox{0, 0, m->previewTC->width(), m->previewTC->height()},
                        255);
    copyCanvas(AImage, ARect.left(), ARect.top(), ARect.width(), ARect.height(), icon);
}
