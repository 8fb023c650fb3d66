#include "ui/fields/tab_strip.h"

#include "core/image/display_canvas.h"
#include "ui/fields/mouse_gates.h"
#include "ui/graphics/appearance.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

TGraphicTabObject::TGraphicTabObject(const QString &ACaption)
{
    for (TTabState s : {tsNone, tsActive}) {
        auto g = std::make_unique<TMemoryGraphic>(1, 1, clNone32);
        sRect r;
        g->DrawTabImage(ACaption, r, DT_CALCRECT | DT_SINGLELINE, s);
        g->SetSize(r.x1 - r.x0, r.y1 - r.y0);
        r = {0, 0, g->Width(), g->Height()};
        g->DrawTabImage(ACaption, r, DT_SINGLELINE, s);
        FImages[s] = std::move(g);
    }
}

std::vector<int> layoutTabLefts(const std::vector<int> &widths, const std::vector<bool> &displayed,
                                int controlWidth, int *overflow)
{
    const size_t n = widths.size();
    std::vector<int> lefts(n, 0);
    int x = 4;
    for (size_t i = 0; i < n; ++i) {
        if (!displayed[i])
            continue;
        lefts[i] = x;
        x += widths[i] - 9; // neighbours overlap by 9 pixels
    }
    const int over = x + 38 - controlWidth;
    if (overflow)
        *overflow = over;
    if (over < 0 || n < 2)
        return lefts;
    const double share = double(over) / double(n - 1);
    int c = 0;
    for (size_t i = 1; i < n; ++i) {
        if (!displayed[i])
            continue;
        ++c;
        lefts[i] -= int(std::trunc(c * share + 0.5));
    }
    return lefts;
}

TGraphicTabControl::TGraphicTabControl(QWidget *parent)
    : TGraphicControl(parent), FImage(clBtnFace32()), FTabHit(clNone32)
{
}

void TGraphicTabControl::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    FImage.SetSize(width, height);
    FTabHit.SetSize(width, height);
    Redraw();
}

QSize TGraphicTabControl::sizeHint() const
{
    std::vector<int> widths;
    std::vector<bool> shown;
    TabWidths(widths, shown);
    // In a strip of no width the overflow is the width the tabs need.
    int need = 0;
    layoutTabLefts(widths, shown, 0, &need);
    const int tabHeight = FItems.empty() ? 18 : FItems[0]->Image(tsNone).Height();
    return {need, tabHeight + 1};
}

int TGraphicTabControl::AddTab(const QString &ACaption)
{
    if (Count() >= kMaxTabs)
        return -1;
    FItems.push_back(std::make_unique<TGraphicTabObject>(ACaption));
    Redraw();
    return Count() - 1;
}

int TGraphicTabControl::RemoveTab(int AIndex)
{
    if (!IsValidIndex(AIndex))
        return -1;
    FItems.erase(FItems.begin() + AIndex);
    return AIndex;
}

void TGraphicTabControl::setActiveIndex(int AIndex)
{
    if (AIndex == FActiveIndex)
        return;
    FActiveIndex = AIndex;
    Redraw();
    if (OnChange)
        OnChange(this);
}

void TGraphicTabControl::TabWidths(std::vector<int> &widths, std::vector<bool> &shown) const
{
    for (const auto &t : FItems) {
        widths.push_back(t->Image(tsNone).Width());
        shown.push_back(t->FDisplay);
    }
}

void TGraphicTabControl::Layout()
{
    std::vector<int> widths;
    std::vector<bool> shown;
    TabWidths(widths, shown);
    const std::vector<int> lefts = layoutTabLefts(widths, shown, width());
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i]->FDisplay)
            FItems[i]->FLeft = lefts[i];
}

void TGraphicTabControl::DrawTab(int index, TTabState state, int top)
{
    const TGraphicTabObject &t = *FItems[size_t(index)];
    const TMemoryGraphic &img = t.Image(state);
    FImage.BlendImage(t.FLeft, top, img.Width(), img.Height(), img, 0, 0, blendNormal, blendKeep);
    // Later tabs (nearer the active one) win where tabs overlap.
    const uint8_t id = uint8_t(index);
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x) {
            const int hx = t.FLeft + x, hy = top + y;
            if (img.Seek(x, y)->a != 0 && FTabHit.GetContains(hx, hy))
                *FTabHit.Seek(hx, hy) = makeColor32(id, id, id, 255);
        }
}

void TGraphicTabControl::Redraw()
{
    if (!FImage.Prepared() || !FTabHit.Prepared())
        return;
    FTabHit.setColor(clNone32);
    FTabHit.Clear();
    FImage.setColor(clBtnFace32());
    FImage.Clear();
    sRect r{0, 0, width(), height()};
    if (!FItems.empty())
        r.y1 = r.y0 + FItems[0]->Image(tsNone).Height() + 1;
    FImage.DrawRectangle(r, 1, clBtnShadow32(), clBtnHighlight32(), blendCopy, blendKeep);
    FImage.DrawRectangle({r.x0 + 1, r.y0 + 1, r.x1 - 1, r.y1 - 1}, 1, clWindowFrame32(), blendCopy,
                         blendKeep);
    if (IsValidIndex(FActiveIndex)) {
        Layout();
        const int top = r.y0 + 1;
        for (int i = 0; i < FActiveIndex; ++i)
            if (FItems[size_t(i)]->FDisplay)
                DrawTab(i, tsNone, top);
        for (int i = Count() - 1; i > FActiveIndex; --i)
            if (FItems[size_t(i)]->FDisplay)
                DrawTab(i, tsNone, top);
        if (FItems[size_t(FActiveIndex)]->FDisplay)
            DrawTab(FActiveIndex, tsActive, top);
    }
    update();
}

int TGraphicTabControl::TabAt(int X, int Y) const
{
    if (!FTabHit.Prepared())
        return -1;
    const TColor32 c = FTabHit.GetPixel(X, Y); // clamped into the map
    return c.a == 0 ? -1 : c.r;
}

void TGraphicTabControl::Paint(QPainter &painter)
{
    if (isVisible() && FImage.Prepared())
        FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
}

void TGraphicTabControl::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y,
                                   bool)
{
    if (button != Qt::LeftButton || !acceptMouseDown(this))
        return;
    const int i = TabAt(x, y);
    if (i >= 0)
        setActiveIndex(i);
}
