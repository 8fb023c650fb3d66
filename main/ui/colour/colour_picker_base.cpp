// The picker base, the square-and-bar picker and the switch between picker kinds.
#include "ui/base/popup_menu.h"
#include "ui/colour/colour_pickers.h"
#include "ui/graphics/appearance.h"

#include <QContextMenuEvent>
#include <QPainter>

#include <numbers>

namespace {

sRect grown(const sRect &r, int32_t n)
{
    return {r.x0 - n, r.y0 - n, r.x1 + n, r.y1 + n};
}

} // namespace

void drawPickerFrames(TMemoryGraphic &g, const sRect &area)
{
    g.DrawRectangle(grown(area, 1), 1, clWindowFrame32(), blendCopy, blendKeep);
    g.DrawRectangle(grown(area, 2), 1, clBtnShadow32(), clBtnHighlight32(), blendCopy, blendKeep);
}

// ---- TCustomColorPicker

TCustomColorPicker::TCustomColorPicker(QWidget *parent)
    : TGraphicControl(parent), FManager(std::make_unique<TColorManager>()), FImage(clBtnFace32()),
      FWork(clBtnFace32())
{
    if (gAppearanceManager)
        FPos = gAppearanceManager->GetPosImage(0);
}

TCustomColorPicker::~TCustomColorPicker()
{
    OnChange = nullptr;
}

void TCustomColorPicker::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    RebuildImage();
}

void TCustomColorPicker::AttachManager(std::unique_ptr<TColorManager> AManager)
{
    FManager = std::move(AManager);
}

std::unique_ptr<TColorManager> TCustomColorPicker::DetachManager()
{
    return std::move(FManager);
}

void TCustomColorPicker::setColorSpace(TColorPickerSpace Value)
{
    if (Value == FType || !spaceIn(Value, SupportSpaces()))
        return;
    if (FManager) {
        TColorPickerValue v = FManager->Colors();
        v.space = Value;
        FManager->setColors(v);
    }
    FType = Value;
    RebuildImage();
    PaintNow();
}

void TCustomColorPicker::setSliderColorChange(bool Value)
{
    FSliderColorChange = Value;
}

TColorPickerValue TCustomColorPicker::Colors() const
{
    return FManager ? FManager->Colors() : TColorPickerValue{};
}

void TCustomColorPicker::setColors(const TColorPickerValue &Value)
{
    if (!FManager)
        return;
    const int difference = compareColorPickerValues(Value, FManager->Colors());
    if (difference == 0)
        return;
    FManager->setColors(Value);
    if (difference == 2) {
        RebuildImage();
        PaintNow();
    }
    Change();
}

QImage TCustomColorPicker::DisplayImage()
{
    if (!ComposeDisplay())
        return {};
    return FImage.image().copy();
}

void TCustomColorPicker::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomColorPicker::PaintNow()
{
    if (parentWidget() && isVisible())
        repaint();
}

void TCustomColorPicker::Picked()
{
    Change();
    RebuildImage();
    PaintNow();
}

bool TCustomColorPicker::PreparePictures(int32_t w, int32_t h)
{
    if (FWork.Width() == w && FWork.Height() == h && FWork.Prepared())
        return FWork.Clear() && FImage.SetSize(w, h);
    return FWork.SetSize(w, h) && FImage.SetSize(w, h);
}

bool TCustomColorPicker::ComposeDisplay()
{
    if (!FWork.Prepared() || !FImage.SetSize(FWork.Width(), FWork.Height()))
        return false;
    FImage.BlendImage(0, 0, FWork.Width(), FWork.Height(), FWork, 0, 0, blendCopy, blendKeep);
    return true;
}

void TCustomColorPicker::BlendMarker(sPos P)
{
    if (FPos)
        FImage.BlendImage(P.x, P.y, FPos->Width(), FPos->Height(), *FPos, 0, 0, blendNormal,
                          blendKeep);
}

void TCustomColorPicker::Paint(QPainter &painter)
{
    if (!parentWidget() || !isVisible())
        return;
    // The margin beside a centred picture shows the face colour.
    const TColor32 face = clBtnFace32();
    painter.fillRect(rect(), QColor(face.r, face.g, face.b));
    if (ComposeDisplay())
        FImage.Draw(painter, FMargin.x, FMargin.y, FImage.Width(), FImage.Height(), 0, 0);
}

void TCustomColorPicker::contextMenuEvent(QContextMenuEvent *ev)
{
    bool handled = false;
    if (OnContextPopup)
        OnContextPopup(this, ev->pos(), handled);
    if (!handled && PopupMenu)
        execPopupMenu(*PopupMenu, ev->globalPos());
}

void TCustomColorPicker::Components(float C[3]) const
{
    familyComponents(Colors(), spaceFamily(FType), C);
}

bool TCustomColorPicker::ApplyComponents(const float C[3])
{
    if (!FManager)
        return false;
    const TColorPickerValue before = FManager->Colors();
    FManager->SetValues(C[0], C[1], C[2], FType);
    return compareColorPickerValues(before, FManager->Colors()) != 0;
}

// ---- TColorPicker

TColorPicker::TColorPicker(QWidget *parent) : TCustomColorPicker(parent)
{
    FType = cpHSV;
}

void TColorPicker::setSliderColorChange(bool Value)
{
    TCustomColorPicker::setSliderColorChange(Value);
    RebuildImage();
    PaintNow();
}

void TColorPicker::RebuildImage()
{
    FHasPicture = false;
    const int32_t mw = FPos ? FPos->Width() : 11;
    if (!squareBarLayout(width(), height(), mw, FLayout))
        return;
    FMargin = FLayout.margin;
    if (!PreparePictures(FLayout.A, FLayout.A - 18))
        return;
    FHasPicture = true;
    if (spaceFamily(FType) == cfRGB)
        fillRGB();
    else
        fillHSVFamily();
    drawPickerFrames(FWork, FLayout.square);
    drawPickerFrames(FWork, FLayout.bar);
}

void TColorPicker::fillRGB()
{
    const TColor32 c = FManager ? FManager->Color32() : clBlack32;
    const uint8_t R = c.r, G = c.g, B = c.b;
    // The bar's two other components follow the colour, or are 0 for a pure ramp to black.
    const bool scc = FSliderColorChange;
    TColor32 top, bottom, tl, tr, br, bl;
    switch (FType) {
    case cpGRB:
        top = makeColor32(scc ? B : 0, 255, scc ? R : 0, 255);
        bottom = makeColor32(scc ? B : 0, 0, scc ? R : 0, 255);
        tl = makeColor32(255, G, 0, 255), tr = makeColor32(255, G, 255, 255);
        br = makeColor32(0, G, 255, 255), bl = makeColor32(0, G, 0, 255);
        break;
    case cpBRG:
        top = makeColor32(255, scc ? G : 0, scc ? R : 0, 255);
        bottom = makeColor32(0, scc ? G : 0, scc ? R : 0, 255);
        tl = makeColor32(B, 255, 0, 255), tr = makeColor32(B, 255, 255, 255);
        br = makeColor32(B, 0, 255, 255), bl = makeColor32(B, 0, 0, 255);
        break;
    default: // cpRGB
        top = makeColor32(scc ? B : 0, scc ? G : 0, 255, 255);
        bottom = makeColor32(scc ? B : 0, scc ? G : 0, 0, 255);
        tl = makeColor32(255, 0, R, 255), tr = makeColor32(255, 255, R, 255);
        br = makeColor32(0, 255, R, 255), bl = makeColor32(0, 0, R, 255);
        break;
    }
    FWork.FillRectangle(FLayout.bar, top, bottom, adTopBottom, blendNormal, blendKeep);
    FWork.FillRectangle(FLayout.square, tl, tr, br, bl, blendNormal, blendKeep);
}

void TColorPicker::fillHSVFamily()
{
    float c[3];
    Components(c);
    const float h = c[0], s = c[1], v = c[2];
    const bool hsv = spaceFamily(FType) == cfHSV;
    const float full = hsv ? 1.0f : 0.5f;
    const bool scc = FSliderColorChange;
    const sRect &sq = FLayout.square, &bar = FLayout.bar;
    switch (FType) {
    case cpHSV:
    case cpHSL:
        FWork.FillSaturationValueRectangle(sq, h, 1, adLeftRight, adBottomTop, blendNormal,
                                           blendKeep, hsv);
        FWork.FillHueRectangle(bar, 0, scc ? s : 1, scc ? v : full, 1, adBottomTop, blendNormal,
                               blendKeep, hsv);
        break;
    case cpSHV:
    case cpSHL:
        FWork.FillHueValueRectangle(sq, 0, s, 1, adLeftRight, adBottomTop, blendNormal, blendKeep,
                                    hsv);
        FWork.FillSaturationRectangle(bar, h, scc ? v : full, 1, adBottomTop, blendNormal,
                                      blendKeep, hsv);
        break;
    default: // cpVHS, cpLHS
        FWork.FillHueSaturationRectangle(sq, 0, v, 1, adLeftRight, adBottomTop, blendNormal,
                                         blendKeep, hsv);
        FWork.FillValueRectangle(bar, h, scc ? s : 0, 1, adBottomTop, blendNormal, blendKeep, hsv);
        break;
    }
}

bool TColorPicker::ComposeDisplay()
{
    if (!FHasPicture || !TCustomColorPicker::ComposeDisplay())
        return false;
    float c[3];
    Components(c);
    const TSpaceAxes ax = spaceAxes(FType);
    auto fraction = [&](int i) { return isHueComponent(FType, i) ? hueFraction(c[i]) : c[i]; };
    const int32_t w = (FLayout.square.x1 - FLayout.square.x0) - 1;
    BlendMarker(
        {markerOffset(fraction(ax.across), w, false), markerOffset(fraction(ax.up), w, true)});
    const int32_t h = (FLayout.bar.y1 - FLayout.bar.y0) - 1;
    BlendMarker({(FLayout.A - 18) + 3, markerOffset(fraction(ax.bar), h, true)});
    return true;
}

void TColorPicker::setColors(const TColorPickerValue &Value)
{
    TCustomColorPicker::setColors(Value);
    if (!FManager)
        return;
    // The bar value, then the square's two, go through as picks of the stored colour would.
    for (int step = 0; step < 2; ++step) {
        float c[3];
        Components(c);
        ApplyComponents(c);
        Picked();
    }
    PaintNow();
}

void TColorPicker::SquarePick(int x, int y)
{
    float c[3];
    Components(c);
    const TSpaceAxes ax = spaceAxes(FType);
    float across, up;
    squarePick(FLayout.square, x, y, isHueComponent(FType, ax.across), across, up);
    c[ax.across] = across;
    c[ax.up] = up;
    ApplyComponents(c);
    Picked();
}

void TColorPicker::BarPick(int y)
{
    float c[3];
    Components(c);
    const TSpaceAxes ax = spaceAxes(FType);
    c[ax.bar] = barPick(FLayout.bar, y, isHueComponent(FType, ax.bar));
    ApplyComponents(c);
    Picked();
}

void TColorPicker::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y, bool)
{
    if (button != Qt::LeftButton || !FHasPicture)
        return;
    const int px = x - FMargin.x, py = y - FMargin.y;
    auto inside = [&](const sRect &r) {
        return px >= r.x0 && px < r.x1 && py >= r.y0 && py < r.y1;
    };
    if (inside(FLayout.square)) {
        FDragPart = cpSquare;
        SquarePick(px, py);
    } else if (inside(FLayout.bar)) {
        FDragPart = cpBar;
        BarPick(py);
    } else {
        FDragPart = cpNone;
    }
}

void TColorPicker::MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)
{
    if (FDragPart == cpSquare)
        SquarePick(x - FMargin.x, y - FMargin.y);
    else if (FDragPart == cpBar)
        BarPick(y - FMargin.y);
}

void TColorPicker::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    if (button == Qt::LeftButton)
        FDragPart = cpNone;
}

// ---- kinds and switching

int GetPickerKind(const TCustomColorPicker *Picker)
{
    if (dynamic_cast<const TSliderColorPicker *>(Picker))
        return 1;
    if (dynamic_cast<const TTriangleColorPicker *>(Picker))
        return 2;
    if (dynamic_cast<const TCircleColorPicker *>(Picker))
        return 3;
    return 0;
}

namespace {

std::unique_ptr<TCustomColorPicker> newPickerOfKind(uint8_t kind)
{
    switch (kind) {
    case 0:
        return std::make_unique<TColorPicker>();
    case 1:
        return std::make_unique<TSliderColorPicker>();
    case 2:
        return std::make_unique<TTriangleColorPicker>();
    case 3:
        return std::make_unique<TCircleColorPicker>();
    default:
        return nullptr;
    }
}

} // namespace

bool switchColorPickerKind(TCustomColorPicker *&Picker, uint8_t AKind, uint8_t ASpace)
{
    if (!Picker)
        return false;
    if (GetPickerKind(Picker) == AKind)
        return true;
    TCustomColorPicker *old = Picker;
    QWidget *parent = old->parentWidget();
    std::unique_ptr<TCustomColorPicker> fresh;
    try {
        fresh = newPickerOfKind(AKind);
        if (!fresh)
            return false;
        fresh->hide();
        fresh->setParent(parent);
        old->hide();
        fresh->AttachManager(old->DetachManager());
        if (ASpace < kColorPickerSpaceCount &&
            spaceIn(TColorPickerSpace(ASpace), fresh->SupportSpaces()))
            fresh->setColorSpace(TColorPickerSpace(ASpace));
        fresh->setSliderColorChange(old->SliderColorChange());
        const QRect g = old->geometry();
        fresh->SetBounds(g.x(), g.y(), g.width(), g.height());
        fresh->PopupMenu = old->PopupMenu;
        fresh->OnClick = old->OnClick;
        fresh->OnChange = old->OnChange;
        fresh->OnContextPopup = old->OnContextPopup;
    } catch (...) {
        // The old picker takes its colour back and stays in place.
        if (fresh && fresh->Manager() && !old->Manager())
            old->AttachManager(fresh->DetachManager());
        fresh.reset();
        old->show();
        return false;
    }
    // The old picker may be on the call stack (a switch made from its own event): it leaves
    // the window now and is deleted once control is back in the event loop.
    old->OnChange = nullptr;
    old->setParent(nullptr);
    old->deleteLater();
    Picker = fresh.release();
    Picker->show();
    return true;
}
