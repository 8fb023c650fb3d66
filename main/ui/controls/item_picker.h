// The owner-drawn picker button of the tool window and the brush editors: a framed icon area,
// an optional drop arrow at the right, a hover look, radio groups among pickers of one parent
// and a popup hook for derived pickers. Everything is drawn into two pictures: the whole
// control (FImage) and the icon area's content (FWork), which is blended into the first.
#pragma once

#include "core/profile/glyph_types.h"
#include "ui/base/graphic_control.h"
#include "ui/graphics/memory_graphic.h"

#include <functional>

class QMenu;

enum TItemPickerType
{
    ipIcon,
    ipDrop,
    ipIconDrop
};
enum TItemPickerPart
{
    ippOuter,
    ippInner,
    ippIcon,
    ippDrop
};

// A set of TItemPickerPart.
struct TItemPickerParts
{
    unsigned bits = 0;
    bool has(TItemPickerPart p) const { return bits & (1u << p); }
    void add(TItemPickerPart p) { bits |= 1u << p; }
    bool empty() const { return bits == 0; }
    bool operator==(const TItemPickerParts &) const = default;
};

using TMemoryGraphicDrawEvent = std::function<void(QObject *sender, TMemoryGraphic &AImage)>;

class TItemPicker : public TGraphicControl
{
  public:
    explicit TItemPicker(QWidget *parent = nullptr);
    ~TItemPicker() override;

    void SetBounds(int left, int top, int width, int height) override;
    void SetEnabled(bool value) override;
    bool hitTest(QPoint pos) const override;
    void MouseEnter() override;
    void MouseLeave() override;

    TItemPickerType PickerType() const { return FType; }
    // Lays the areas out again even when the type is unchanged.
    void setPickerType(TItemPickerType value);
    bool ToolIcon() const { return FToolIcon; }
    void setToolIcon(bool value);
    bool Margin() const { return FMargin; }
    void setMargin(bool value);
    bool AllowAllUp() const { return FAllowAllUp; }
    virtual void setAllowAllUp(bool value);
    int GroupIndex() const { return FGroupIndex; }
    virtual void setGroupIndex(int value);
    virtual bool Down() const;
    virtual void setDown(bool value);
    bool ReadOnly() const { return FReadOnly; }
    virtual void setReadOnly(bool value);
    TItemPickerParts Hover() const { return FHover; }
    bool Popup() const { return FPopup; }

    sRect IconRect() const { return FIconRect; }
    sRect DropRect() const { return FDropRect; }
    const TMemoryGraphic &image() const { return FImage; }
    const TMemoryGraphic &work() const { return FWork; }
    TColor32 EdgeColor() const { return FEdgeColor; }
    TColor32 IconGlyph() const { return FIconGlyph; }
    TColor32 IconBack() const { return FIconBack; }

    TItemPickerPart GetAreaType(int X, int Y) const;

    // Ends a popup opened by DoPopup: the hover look follows the cursor again.
    virtual void PopupClosed();

    // Not owned; shown by pickers that pop up a menu.
    QMenu *PopupMenu = nullptr;
    std::function<void(QObject *sender, Qt::MouseButton, Qt::KeyboardModifiers, int, int)>
        OnMouseDown;
    TMemoryGraphicDrawEvent OnOwnerDraw;
    TNotifyEvent OnDown;
    TNotifyEvent OnChange;

  protected:
    virtual void UpdateColors();
    virtual void DrawImages();
    // Opens the picker's popup; answers whether it stays open.
    virtual bool DoPopup(int Index);
    virtual int GetItemIndex();
    virtual void DrawWork();

    void DoDown();
    void DoOwnerDraw();
    void DoChange();
    void redraw(); // UpdateColors, DrawWork, DrawImages

    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;

    TMemoryGraphic FImage;
    TMemoryGraphic FWork;
    TItemPickerType FType = ipIcon;
    bool FToolIcon = false;
    bool FAllowAllUp = false;
    int FGroupIndex = 0;
    bool FDown = false;
    bool FUpdateDown = false;
    sRect FIconRect{};
    sRect FDropRect{};
    bool FMargin = false;
    bool FPopup = false;
    TItemPickerParts FHover;
    TColor32 FEdgeColor, FIconGlyph, FIconBack, FDropGlyph, FDropBack;
    bool FReadOnly = false;

  private:
    void hoverAt(int x, int y);
    template <class F> void forGroupSiblings(F f);
};

// A plain picker whose icon the owner draws through OnOwnerDraw.
class TItemButton : public TItemPicker
{
  public:
    using TItemPicker::TItemPicker;
};

// A picker showing one built-in glyph, in tool-icon style.
class TqZGlyphButton : public TItemPicker
{
  public:
    explicit TqZGlyphButton(QWidget *parent = nullptr);

    TqZGlyphType GlyphType() const { return FGlyphType; }
    void setGlyphType(TqZGlyphType value);
    const TMemoryGraphic *GlyphImage() const { return FGlyphImage; }

  protected:
    void UpdateColors() override;
    bool DoPopup(int Index) override;
    void DrawWork() override;

  private:
    TqZGlyphType FGlyphType = TqZGlyphType::qgPencil4;
    const TMemoryGraphic *FGlyphImage = nullptr;
};
