// TGraphicTabControl: a strip of tabs drawn from the appearance manager's tab pictures, the
// active tab on top of its neighbours. Clicks find their tab through a hit map: a picture the
// size of the control in which every tab pixel holds the tab's index (so at most 255 tabs).
#pragma once

#include "ui/base/graphic_control.h"
#include "ui/graphics/memory_graphic.h"

#include <QString>

#include <array>
#include <memory>
#include <vector>

// One tab: its picture in both states, whether it is shown, and its place in the strip.
class TGraphicTabObject
{
  public:
    explicit TGraphicTabObject(const QString &ACaption);

    const TMemoryGraphic &Image(TTabState s) const { return *FImages[s]; }
    bool FDisplay = true;
    int FLeft = 0;

  private:
    std::array<std::unique_ptr<TMemoryGraphic>, 2> FImages;
};

// The lefts of tabs of the given widths (those not displayed keep 0) in a strip control
// wide: 4 pixels in, overlapping by 9, pushed together when the strip is too narrow.
// overflow, when given, receives how far the unsqueezed strip ran over.
std::vector<int> layoutTabLefts(const std::vector<int> &widths, const std::vector<bool> &displayed,
                                int controlWidth, int *overflow = nullptr);

class TGraphicTabControl : public TGraphicControl
{
  public:
    // The hit map holds indexes in a byte.
    static constexpr int kMaxTabs = 255;

    explicit TGraphicTabControl(QWidget *parent = nullptr);

    void SetBounds(int left, int top, int width, int height) override;
    // The size that shows every displayed tab at its place, none pushed over its neighbour: what
    // an owner fits the strip to (fitCaptionWidth) when the place it gives is too narrow.
    QSize sizeHint() const override;

    // Appends a tab and redraws; its index, or -1 when it cannot be added.
    virtual int AddTab(const QString &ACaption);
    // Frees the tab; AIndex, or -1 for an invalid index. Neither redraws nor moves ActiveIndex.
    int RemoveTab(int AIndex);
    bool IsValidIndex(int AIndex) const { return AIndex >= 0 && AIndex < Count(); }
    int Count() const { return int(FItems.size()); }
    const TGraphicTabObject &Tab(int i) const { return *FItems[size_t(i)]; }

    int ActiveIndex() const { return FActiveIndex; }
    void setActiveIndex(int AIndex);
    // The tab under a client point, or -1.
    int TabAt(int X, int Y) const;
    // Lays out and draws the strip again.
    void Redraw();

    const TMemoryGraphic &Image() const { return FImage; }
    TNotifyEvent OnChange;

  protected:
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;

  private:
    // The width of every tab's picture and whether it is shown, in order.
    void TabWidths(std::vector<int> &widths, std::vector<bool> &shown) const;
    void Layout();
    void DrawTab(int index, TTabState state, int top);

    std::vector<std::unique_ptr<TGraphicTabObject>> FItems;
    TMemoryGraphic FImage;
    TMemoryGraphic FTabHit;
    int FActiveIndex = 0;
};
