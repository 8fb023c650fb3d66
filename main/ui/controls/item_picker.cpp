#include "ui/controls/item_picker.h"

#include "ui/base/popup_menu.h"
#include "ui/fields/mouse_gates.h"
#include "ui/graphics/appearance.h"
#include "ui/graphics/glyph_manager.h"

#include <QMenu>
#include <QPainter>

namespace {

bool inRect(const sRect &r, int x, int y)
{
    return x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1;
}

} // namespace

TItemPicker::TItemPicker(QWidget *parent)
    : TGraphicControl(parent), FImage(clBtnFace32()), FWork(clBtnFace32()),
      FEdgeColor(clGrayText32()), FIconGlyph(clWindowText32()), FIconBack(clBtnFace32()),
      FDropGlyph(clWindowText32()), FDropBack(clBtnFace32())
{
    // The hover look follows moves without a button.
    setMouseTracking(true);
}

TItemPicker::~TItemPicker() = default;

void TItemPicker::setPickerType(TItemPickerType value)
{
    FType = value;
    const int W = FImage.Width(), H = FImage.Height();
    int a = 0;
    switch (FType) {
    case ipIcon:
        FDropRect = {W - 1, 1, W - 1, H - 1};
        a = W - 2;
        break;
    case ipDrop:
        FDropRect = {W - 8, 1, W - 1, H - 1};
        a = W - 9;
        break;
    case ipIconDrop:
        FDropRect = {W - 8, 1, W - 1, H - 1};
        a = FMargin ? W - 10 : W - 9;
        break;
    }
    int h = H - 2;
    if (a < 2)
        a = 1;
    if (h < 2)
        h = 1;
    FIconRect = {1, 1, 1 + a, 1 + h};
    if (FMargin) {
        FDropRect = {FDropRect.x0 - 1, FDropRect.y0 + 1, FDropRect.x1 - 1, FDropRect.y1 - 1};
        FIconRect = {FIconRect.x0 + 1, FIconRect.y0 + 1, FIconRect.x1 - 1, FIconRect.y1 - 1};
        a -= 2;
        h -= 2;
    }
    // The memory graphic keeps a floor of 1 x 1.
    FWork.SetSize(a, h);
    DrawWork();
    DrawImages();
}

void TItemPicker::setToolIcon(bool value)
{
    if (value == FToolIcon)
        return;
    FToolIcon = value;
    redraw();
}

void TItemPicker::setMargin(bool value)
{
    if (value == FMargin)
        return;
    FMargin = value;
    setPickerType(FType);
}

void TItemPicker::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    const int w = std::max(this->width(), 1), h = std::max(this->height(), 1);
    if (!FImage.Prepared() || FImage.Width() != w || FImage.Height() != h) {
        FImage.SetSize(w, h);
        setPickerType(FType);
    }
}

void TItemPicker::SetEnabled(bool value)
{
    TGraphicControl::SetEnabled(value);
    redraw();
}

bool TItemPicker::hitTest(QPoint pos) const
{
    return isEnabled() && TGraphicControl::hitTest(pos);
}

template <class F> void TItemPicker::forGroupSiblings(F f)
{
    if (!parentWidget())
        return;
    for (QObject *o : parentWidget()->children()) {
        auto *p = dynamic_cast<TItemPicker *>(o);
        if (p && p != this && p->FGroupIndex == FGroupIndex)
            f(*p);
    }
}

void TItemPicker::setAllowAllUp(bool value)
{
    if (value == FAllowAllUp)
        return;
    FAllowAllUp = value;
    forGroupSiblings([&](TItemPicker &p) { p.FAllowAllUp = value; });
}

void TItemPicker::setGroupIndex(int value)
{
    if (value == FGroupIndex)
        return;
    FGroupIndex = value;
    if (value != 0)
        setDown(false);
}

bool TItemPicker::Down() const
{
    return FGroupIndex != 0 && FDown;
}

void TItemPicker::setDown(bool value)
{
    if (FUpdateDown)
        return;
    FUpdateDown = true;
    if (value == FDown) {
        DoDown();
    } else {
        FDown = FGroupIndex != 0 ? value : false;
        if (FDown && FGroupIndex != 0)
            forGroupSiblings([](TItemPicker &p) {
                p.FDown = false;
                p.redraw();
            });
        redraw();
        DoDown();
    }
    FUpdateDown = false;
}

void TItemPicker::setReadOnly(bool value)
{
    if (value == FReadOnly)
        return;
    FReadOnly = value;
    setNoStdEvents(value);
}

TItemPickerPart TItemPicker::GetAreaType(int X, int Y) const
{
    if (inRect(FIconRect, X, Y))
        return ippIcon;
    if (inRect(FDropRect, X, Y))
        return ippDrop;
    if (X >= 0 && Y >= 0 && X < width() && Y < height())
        return ippInner;
    return ippOuter;
}

void TItemPicker::UpdateColors()
{
    if (Down() || FPopup) {
        FEdgeColor = clHighlight32();
        FIconGlyph = FDropGlyph = clWindowText32();
        FIconBack = FDropBack = clWindow32();
        return;
    }
    FEdgeColor = FToolIcon ? clBtnFace32() : clGrayText32();
    if (!isEnabled()) {
        FIconGlyph = FDropGlyph = clGrayText32();
        FIconBack = FDropBack = clBtnFace32();
        return;
    }
    if (FHover.has(ippIcon) || FHover.has(ippDrop))
        FEdgeColor = FToolIcon ? clGrayText32() : clHighlight32();
    const auto part = [&](TItemPickerPart p, TColor32 &ink, TColor32 &back) {
        ink = FHover.has(p) ? clHighlight32() : clWindowText32();
        back = FHover.has(p) ? clHighlightText32() : clBtnFace32();
    };
    part(ippIcon, FIconGlyph, FIconBack);
    part(ippDrop, FDropGlyph, FDropBack);
}

void TItemPicker::DrawWork()
{
    FWork.setColor(FIconBack);
    DoOwnerDraw();
}

void TItemPicker::DrawImages()
{
    const int W = FImage.Width(), H = FImage.Height();
    FImage.Clear();
    if (FMargin)
        FImage.FillRectangle({1, 1, W - 1, H - 1}, clWindow32(), blendCopy, blendCopy);
    FImage.FillRectangle(FIconRect, FIconBack, blendCopy, blendKeep);
    if (FType != ipIcon) {
        FImage.FillRectangle(FDropRect, FDropBack, blendCopy, blendKeep);
        const int m = H / 2, r = FDropRect.x1;
        for (int x = r - 6; x <= r - 2; ++x)
            FImage.SetPixel(x, m - 1, FDropGlyph);
        for (int x = r - 5; x <= r - 3; ++x)
            FImage.SetPixel(x, m, FDropGlyph);
        FImage.SetPixel(r - 4, m + 1, FDropGlyph);
    }
    const int o = FMargin ? 2 : 1;
    FImage.BlendImage(o, o, FWork.Width(), FWork.Height(), FWork, 0, 0, blendNormal, blendKeep);
    if (FToolIcon)
        FImage.DrawRoundRectangle({0, 0, W, H}, 1, FEdgeColor, blendNormal, blendCopy);
    else
        FImage.DrawRectangle({0, 0, W, H}, 1, FEdgeColor, blendCopy, blendCopy);
    if (parentWidget())
        update();
}

void TItemPicker::redraw()
{
    UpdateColors();
    DrawWork();
    DrawImages();
}

void TItemPicker::DoDown()
{
    if (OnDown)
        OnDown(this);
}

void TItemPicker::DoOwnerDraw()
{
    if (OnOwnerDraw)
        OnOwnerDraw(this, FWork);
}

void TItemPicker::DoChange()
{
    if (OnChange)
        OnChange(this);
}

bool TItemPicker::DoPopup(int)
{
    return FType != ipIcon;
}

int TItemPicker::GetItemIndex()
{
    return -1;
}

void TItemPicker::PopupClosed()
{
    FPopup = false;
    QPoint p;
    getCursorPosInControl(this, p);
    if (rect().contains(p))
        MouseEnter();
    else
        MouseLeave();
}

void TItemPicker::Paint(QPainter &painter)
{
    if (isVisible() && parentWidget())
        FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
}

void TItemPicker::hoverAt(int x, int y)
{
    const TItemPickerPart area = GetAreaType(x, y);
    FHover = {};
    if (area == ippIcon || area == ippDrop) {
        if (FType == ipDrop) {
            FHover.add(ippIcon);
            FHover.add(ippDrop);
        } else if (FType == ipIcon) {
            FHover.add(ippIcon);
        } else {
            FHover.add(area);
        }
    }
    redraw();
}

void TItemPicker::MouseEnter()
{
    TGraphicControl::MouseEnter();
    if (!acceptMouseEnter(this))
        return;
    QPoint p;
    getCursorPosInControl(this, p);
    hoverAt(p.x(), p.y());
}

void TItemPicker::MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y)
{
    TGraphicControl::MouseMove(buttons, shift, x, y);
    if (acceptMouseMove(this))
        hoverAt(x, y);
}

void TItemPicker::MouseLeave()
{
    TGraphicControl::MouseLeave();
    if (!acceptMouseLeave(this))
        return;
    FHover = {};
    redraw();
}

void TItemPicker::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                            bool dbl)
{
    TGraphicControl::MouseDown(button, shift, x, y, dbl);
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
    if (button != Qt::LeftButton || !acceptMouseDown(this))
        return;
    if (FGroupIndex != 0)
        setDown(FAllowAllUp ? !FDown : true);
    const TItemPickerPart area = GetAreaType(x, y);
    if (area == ippDrop || (area == ippIcon && FType == ipDrop)) {
        FPopup = DoPopup(GetItemIndex());
        redraw();
    }
}

// ---- TqZGlyphButton

TqZGlyphButton::TqZGlyphButton(QWidget *parent) : TItemPicker(parent)
{
    FToolIcon = true;
    FGlyphImage = gGlyphManager ? gGlyphManager->GetGlyphs(FGlyphType, gsNone) : nullptr;
}

void TqZGlyphButton::setGlyphType(TqZGlyphType value)
{
    if (value == FGlyphType)
        return;
    FGlyphType = value;
    redraw();
}

void TqZGlyphButton::UpdateColors()
{
    const TGlyphState state = !isEnabled() ? gsDisabled : FHover.has(ippIcon) ? gsActive : gsNone;
    FGlyphImage = gGlyphManager ? gGlyphManager->GetGlyphs(FGlyphType, state) : nullptr;
    TItemPicker::UpdateColors();
}

void TqZGlyphButton::DrawWork()
{
    TItemPicker::DrawWork();
    FWork.Clear();
    if (!FGlyphImage)
        return;
    const int gw = FGlyphImage->Width(), gh = FGlyphImage->Height();
    FWork.BlendImage((FWork.Width() - gw) / 2, (FWork.Height() - gh) / 2, gw, gh, *FGlyphImage, 0,
                     0, blendNormal, blendKeep);
}

bool TqZGlyphButton::DoPopup(int)
{
    if (FType == ipIcon || !PopupMenu)
        return false;
    const QPoint at = mapToGlobal(QPoint(0, height()));
    FPopup = true;
    if (OnClick)
        OnClick(this);
    // PopupClosed runs however the menu ends.
    struct Closer
    {
        TqZGlyphButton *b;
        ~Closer() { b->PopupClosed(); }
    } closer{this};
    execPopupMenu(*PopupMenu, at);
    return false;
}
