// The four colour pickers over one base: the square-and-bar picker TColorPicker, the hue-ring
// pickers TTriangleColorPicker (ring with a saturation-value square or a saturation-lightness
// triangle) and TCircleColorPicker (colour wheel and bar), and the three-slider picker
// TSliderColorPicker. Each shows the colour of the TColorManager it owns in one space, changes
// it by presses and drags, and reports changes through OnChange. switchColorPickerKind puts a
// picker of another kind in the place of one, keeping its colour and wiring.
//
// Each picker draws its field into a work picture when the size, space, slider option or colour
// changes (RebuildImage); a paint copies it into the display picture, lays the markers over it
// and shows that at FMargin.
#pragma once

#include "ui/base/graphic_control.h"
#include "ui/colour/colour_model.h"
#include "ui/colour/colour_picking.h"
#include "ui/graphics/memory_graphic.h"

#include <QImage>

#include <functional>
#include <memory>

class QMenu;

// (Sender, MousePos, Handled): a context menu is asked for; Handled stops the popup menu.
using TContextPopupEvent = std::function<void(QObject *Sender, QPoint MousePos, bool &Handled)>;

class TCustomColorPicker : public TGraphicControl
{
  public:
    explicit TCustomColorPicker(QWidget *parent = nullptr);
    ~TCustomColorPicker() override;

    void SetBounds(int left, int top, int width, int height) override;

    // Takes ownership of AManager (the current one is freed).
    void AttachManager(std::unique_ptr<TColorManager> AManager);
    // Gives the manager to the caller; the picker is then without one and shows black.
    std::unique_ptr<TColorManager> DetachManager();
    TColorManager *Manager() const { return FManager.get(); }

    virtual void RebuildImage() {}
    virtual TColorPickerSpaces SupportSpaces() const { return 0; }
    TColorPickerSpace ColorSpace() const { return FType; }
    // Nothing for the same or an unsupported space.
    virtual void setColorSpace(TColorPickerSpace Value);
    bool SliderColorChange() const { return FSliderColorChange; }
    virtual void setSliderColorChange(bool Value);
    virtual TColorPickerValue Colors() const;
    virtual void setColors(const TColorPickerValue &Value);

    // The picture as painted: the work picture with the markers, without the margin.
    QImage DisplayImage();
    sPos Margin() const { return FMargin; }
    TMemoryGraphic &Work() { return FWork; }

    QMenu *PopupMenu = nullptr;
    TContextPopupEvent OnContextPopup;
    TNotifyEvent OnChange;

  protected:
    void Change();
    // The immediate repaint of the control when it is shown.
    void PaintNow();
    // Rebuild and repaint after a pick, whatever it changed.
    void Picked();
    // Sizes both pictures to w x h: the same size clears the work picture.
    bool PreparePictures(int32_t w, int32_t h);
    // Copies the work picture into the display picture and lays the markers over it.
    virtual bool ComposeDisplay();
    void BlendMarker(sPos P);
    void Paint(QPainter &painter) override;
    void contextMenuEvent(QContextMenuEvent *ev) override;
    // The family triple of the current colour in the picker's space.
    void Components(float C[3]) const;
    // Writes the triple through the manager; true when the colour changed.
    bool ApplyComponents(const float C[3]);

    TColorPickerSpace FType = cpRGB;
    std::unique_ptr<TColorManager> FManager;
    TMemoryGraphic *FPos = nullptr; // shared marker, never freed here
    bool FSliderColorChange = true;
    TMemoryGraphic FImage;
    TMemoryGraphic FWork;
    sPos FMargin;
};

enum TColorPickerPart : uint8_t
{
    cpNone,
    cpSquare,
    cpBar,
};

class TColorPicker : public TCustomColorPicker
{
  public:
    explicit TColorPicker(QWidget *parent = nullptr);
    void RebuildImage() override;
    TColorPickerSpaces SupportSpaces() const override { return kAllColorPickerSpaces; }
    void setSliderColorChange(bool Value) override;
    void setColors(const TColorPickerValue &Value) override;

    const sRect &SquareRect() const { return FLayout.square; }
    const sRect &BarRect() const { return FLayout.bar; }

  protected:
    bool ComposeDisplay() override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

  private:
    void fillRGB();
    void fillHSVFamily();
    void SquarePick(int x, int y);
    void BarPick(int y);

    TSquareBarLayout FLayout;
    bool FHasPicture = false;
    TColorPickerPart FDragPart = cpNone;
};

class TTriangleColorPicker : public TCustomColorPicker
{
  public:
    explicit TTriangleColorPicker(QWidget *parent = nullptr);
    void RebuildImage() override;
    TColorPickerSpaces SupportSpaces() const override { return spaceBit(cpHSV) | spaceBit(cpHSL); }
    void setSliderColorChange(bool Value) override;
    void setColors(const TColorPickerValue &Value) override;
    const sRect &AreaRect() const { return FLayout.area; }

  protected:
    bool ComposeDisplay() override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

  private:
    void HuePick(int x, int y);
    void AreaPick(int x, int y);

    TTriangleLayout FLayout;
    bool FHasPicture = false;
    TTriangleColorPickerPart FDragPart = tcpNone;
};

enum TCircleColorPickerPart : uint8_t
{
    ccpNone,
    ccpCircle,
    ccpBar,
};

class TCircleColorPicker : public TCustomColorPicker
{
  public:
    explicit TCircleColorPicker(QWidget *parent = nullptr);
    void RebuildImage() override;
    TColorPickerSpaces SupportSpaces() const override
    {
        return spaceBit(cpSHV) | spaceBit(cpVHS) | spaceBit(cpSHL) | spaceBit(cpLHS);
    }
    void setSliderColorChange(bool Value) override;
    void setColors(const TColorPickerValue &Value) override;
    const sRect &CircleRect() const { return FLayout.circle; }
    const sRect &BarRect() const { return FLayout.bar; }

  protected:
    bool ComposeDisplay() override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

  private:
    void WheelPick(int x, int y);
    void BarPick(int y);

    TCircleLayout FLayout;
    bool FHasPicture = false;
    TCircleColorPickerPart FDragPart = ccpNone;
};

class TSliderColorPicker : public TCustomColorPicker
{
  public:
    explicit TSliderColorPicker(QWidget *parent = nullptr);
    void RebuildImage() override;
    TColorPickerSpaces SupportSpaces() const override
    {
        return spaceBit(cpRGB) | spaceBit(cpHSV) | spaceBit(cpHSL);
    }
    void setSliderColorChange(bool Value) override;
    void setColors(const TColorPickerValue &Value) override;
    const sRect &BarRect(int i) const { return FLayout.bars[i]; }
    const sRect &AreaRect() const { return FLayout.area; }
    // The marker of slider i, in picture coordinates.
    sPos SliderMarkerPos(int i) const;

  protected:
    bool ComposeDisplay() override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

  private:
    void PickAt(int index, int x, int y);

    TSliderLayout FLayout;
    int FBarSpacing = kSliderBarSpacing;
    int FDragIndex = -1;
};

// Frames an area of a picker's picture: the window frame one pixel outside it and a sunken edge
// two pixels outside (colours copied, alpha kept).
void drawPickerFrames(TMemoryGraphic &g, const sRect &area);

// 0 TColorPicker, 1 TSliderColorPicker, 2 TTriangleColorPicker, 3 TCircleColorPicker, 0 for
// anything else.
int GetPickerKind(const TCustomColorPicker *Picker);
// Puts a picker of kind AKind (0..3) in Picker's place with its parent, colour, space ASpace
// (when the kind supports it), bounds, menu and events; the old picker is hidden, unparented and
// deleted once control returns to the event loop. True when Picker already has the kind; false,
// with the old picker kept, for an unknown kind or any failure.
bool switchColorPickerKind(TCustomColorPicker *&Picker, uint8_t AKind, uint8_t ASpace);
