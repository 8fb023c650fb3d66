#include "ui/controls/airmap_controls.h"

#include "platform/desktop/messages.h"
#include "ui/fields/label_fields.h"
#include "ui/fields/mouse_gates.h"
#include "ui/fields/num_mngr.h"
#include "ui/forms/base_forms.h"
#include "ui/graphics/appearance.h"
#include "ui/graphics/brush_previews.h"
#include "ui/graphics/glyph_manager.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

// ---- mapping

namespace {

float clamp01(long double v)
{
    return float(std::clamp<long double>(v, 0, 1));
}

} // namespace

float airMapFlatAt(int X, int W)
{
    const int span = W - 14;
    if (span <= 0)
        return 0;
    return clamp01(2.0L * (X - 7) / span - 1);
}

float airMapAddAt(int Y, int H)
{
    const int span = H - 14;
    if (span <= 0)
        return 0;
    return clamp01(1 - (long double)(Y - 7) / span);
}

int airMapFlatX(float Flat, int W)
{
    return int(std::trunc((W - 14) * (Flat * 0.5 + 0.5) + 7 + 0.5));
}

int airMapAddY(float Add, int H)
{
    return int(std::trunc((1 - double(Add)) * (H - 14) + 7 + 0.5));
}

// ---- TAirMapControl

TAirMapControl::TAirMapControl(QWidget *parent) : TGraphicControl(parent), FImage(clWindow32()) {}

TAirMapControl::~TAirMapControl() = default;

void TAirMapControl::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    FImage.SetSize(std::max(this->width(), 1), std::max(this->height(), 1));
    redrawImage();
}

void TAirMapControl::SetParams(TPaintAirMap AMap, float AFlat, float AAdd)
{
    if (AMap == FAirMap && AFlat == FFlat && AAdd == FAdd)
        return;
    FAirMap = AMap;
    FFlat = AFlat;
    FAdd = AAdd;
    redrawImage();
    DoChange();
}

void TAirMapControl::setQuietly(TPaintAirMap AMap, float AFlat, float AAdd)
{
    FAirMap = AMap;
    FFlat = AFlat;
    FAdd = AAdd;
    redrawImage();
}

void TAirMapControl::setAirMap(TPaintAirMap v)
{
    if (v != FAirMap)
        SetParams(v, FFlat, FAdd);
}

void TAirMapControl::setFlat(float v)
{
    if (v != FFlat)
        SetParams(FAirMap, v, FAdd);
}

void TAirMapControl::setAdd(float v)
{
    if (v != FAdd)
        SetParams(FAirMap, FFlat, v);
}

void TAirMapControl::setReadOnly(bool v)
{
    if (v == FReadOnly)
        return;
    FReadOnly = v;
    setNoStdEvents(v);
}

void TAirMapControl::DoChange()
{
    if (OnChange)
        OnChange(this);
}

void TAirMapControl::redrawImage()
{
    if (!FImage.Prepared())
        return;
    const int W = FImage.Width(), H = FImage.Height();
    FImage.setColor(clWindow32());
    FImage.Clear();
    FImage.DrawRectangle({0, 0, W, H}, 1, clGrayText32(), blendCopy, blendKeep);
    drawAirMapProfile(FImage, {7, 7, W - 7, H - 7}, FAirMap, FFlat, FAdd, clGrayText32());
    TColor32 c = clHighlight32();
    c.a = 128;
    const int x = airMapFlatX(FFlat, W), y = airMapAddY(FAdd, H);
    FImage.FillRectangle({x, 2, x + 1, H - 2}, c, blendNormal, blendKeep);
    FImage.FillRectangle({2, y, W - 2, y + 1}, c, blendNormal, blendKeep);
    FImage.FillCircle(sPos{x - 2, y - 2}, 5, clHighlight32(), blendNormal, blendKeep);
    FImage.FillCircle(sPos{x - 1, y - 1}, 3, clHighlightText32(), blendNormal, blendKeep);
    if (parentWidget())
        update();
}

void TAirMapControl::Paint(QPainter &painter)
{
    if (isVisible())
        FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
}

void TAirMapControl::dragTo(int x, int y)
{
    FFlat = airMapFlatAt(x, width());
    FAdd = airMapAddAt(y, height());
    redrawImage();
    DoChange();
}

void TAirMapControl::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                               bool dbl)
{
    TGraphicControl::MouseDown(button, shift, x, y, dbl);
    if (button != Qt::LeftButton || !acceptMouseDown(this))
        return;
    FDragging = x >= 2 && y >= 2 && x < width() - 2 && y < height() - 2;
    if (FDragging)
        dragTo(x, y);
}

void TAirMapControl::MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y)
{
    TGraphicControl::MouseMove(buttons, shift, x, y);
    if (FDragging && acceptMouseMove(this))
        dragTo(x, y);
}

void TAirMapControl::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    if (button == Qt::LeftButton)
        FDragging = false;
    TGraphicControl::MouseUp(button, shift, x, y);
}

// ---- TAirMapDropDown

namespace {

TNumMngr *makePercentModel(QObject *owner)
{
    auto *m = new TNumMngr(owner);
    m->SetValues(nullptr, 0, 0, 100);
    m->setValueDefault(0);
    m->Amount = 1;
    return m;
}

} // namespace

TAirMapDropDown::TAirMapDropDown(QWidget *parent) : TItemPicker(parent)
{
    FMargin = true;
    setPickerType(ipDrop);
    FNumFlat = makePercentModel(this);
    FNumAdd = makePercentModel(this);
}

TAirMapDropDown::~TAirMapDropDown()
{
    FreePopup();
}

std::array<TItemButton **, 7> TAirMapDropDown::buttons()
{
    // In the order of TPaintAirMap.
    return {&FBtnLinear, &FBtnGamma, &FBtnFlat, &FBtnCircle, &FBtnSquare, &FBtnRound, &FBtnPinTop};
}

TItemButton *TAirMapDropDown::CurveButton(TPaintAirMap curve) const
{
    const size_t i = size_t(curve);
    auto self = const_cast<TAirMapDropDown *>(this);
    return i < 7 ? *self->buttons()[i] : nullptr;
}

void TAirMapDropDown::setAirMapType(TPaintAirMapType v)
{
    if (v == FAirMapType)
        return;
    FAirMapType = v;
    FAirMap = TPaintAirMap::pamNo;
    FNumFlat->SetNumber(nullptr, 0);
    FNumAdd->SetNumber(nullptr, 0);
    setPickerType(v == TPaintAirMapType::pamtNo ? ipIcon : ipDrop);
}

void TAirMapDropDown::setAirMap(TPaintAirMap v)
{
    if (v == FAirMap)
        return;
    FAirMap = v;
    DrawWork();
    DrawImages();
    DoChange();
}

float TAirMapDropDown::Flat() const
{
    return FNumFlat->Value();
}

void TAirMapDropDown::setFlat(float v)
{
    if (v == FNumFlat->Value())
        return;
    FNumFlat->setValue(v);
    DrawWork();
    DrawImages();
    DoChange();
}

float TAirMapDropDown::Add() const
{
    return FNumAdd->Value();
}

void TAirMapDropDown::setAdd(float v)
{
    if (v == FNumAdd->Value())
        return;
    FNumAdd->setValue(v);
    DrawWork();
    DrawImages();
    DoChange();
}

int TAirMapDropDown::GetItemIndex()
{
    return int(FAirMap);
}

void TAirMapDropDown::DrawWork()
{
    TItemPicker::DrawWork();
    FWork.Clear();
    const sRect r{2, 2, FWork.Width() - 2, FWork.Height() - 2};
    if (r.x1 > r.x0 && r.y1 > r.y0)
        drawAirMapProfile(FWork, r, FAirMap, Flat() / 100, Add() / 100, FIconGlyph);
}

void TAirMapDropDown::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                                bool dbl)
{
    TItemPicker::MouseDown(button, shift, x, y, dbl);
    if (button == Qt::LeftButton && FAirMapType == TPaintAirMapType::pamtNo &&
        acceptMouseDown(this))
        setAirMap(FAirMap == TPaintAirMap::pamFlat ? TPaintAirMap::pamCircle
                                                   : TPaintAirMap::pamFlat);
}

bool TAirMapDropDown::DoPopup(int)
{
    if (!CreatePopup())
        return false;
    FPopupForm->OnPopupOpen = [this](QObject *s) { PopupFormOpen(s); };
    FPopupForm->OnPopupClose = [this](QObject *s) { PopupFormClose(s); };
    const QPoint at = mapToGlobal(QPoint(0, height()));
    const QPoint tl = mapToGlobal(QPoint(0, 0));
    const sRect exclude{tl.x(), tl.y(), tl.x() + width(), tl.y() + height()};
    FPopupForm->ShowPopUp(at.x(), at.y(), &exclude);
    return true;
}

TItemButton *TAirMapDropDown::makeButton(TPaintAirMap curve, int x)
{
    auto *b = new TItemButton(FPopupForm);
    b->SetBounds(x, 2, 28, 28);
    b->setGroupIndex(1);
    b->OnDown = [this](QObject *s) { ParameterChange(s); };
    b->OnOwnerDraw = [this](QObject *s, TMemoryGraphic &g) { DrawAirMapButton(s, g); };
    b->setPickerType(ipIcon); // draws the curve now that the handler is set
    *buttons()[size_t(curve)] = b;
    return b;
}

bool TAirMapDropDown::CreatePopup()
{
    if (FPopupForm)
        return false;
    FPopupForm = new TPopupBaseForm(this);
    using P = TPaintAirMap;
    switch (FAirMapType) {
    case TPaintAirMapType::pamt2: {
        FPopupForm->setClientSize(152, 32);
        const P order[] = {P::pamPinTop, P::pamRoundTop, P::pamLinear, P::pamCircle, P::pamFlat};
        for (int i = 0; i < 5; ++i)
            makeButton(order[i], 2 + 30 * i);
        break;
    }
    case TPaintAirMapType::pamt4: {
        FPopupForm->setClientSize(182, 130);
        const P order[] = {P::pamPinTop, P::pamGamma,  P::pamRoundTop,
                           P::pamLinear, P::pamSquare, P::pamCircle};
        for (int i = 0; i < 6; ++i)
            makeButton(order[i], 2 + 30 * i);
        FAirMapControl = new TAirMapControl(FPopupForm);
        FAirMapControl->SetBounds(2, 32, 98, 96);
        FAirMapControl->OnChange = [this](QObject *s) { ParameterChange(s); };
        FLblFlat = new TqZGlyphLabel(FPopupForm);
        FLblFlat->setGlyphType(TqZGlyphType::qgFlat);
        FLblFlat->SetBounds(131, 36, 16, 16);
        FEdtFlat = new TNumLabelEdit(FPopupForm);
        FEdtFlat->SetBounds(151, 36, 28, 16);
        FEdtFlat->setAssociate(FNumFlat);
        FLblAdd = new TqZGlyphLabel(FPopupForm);
        FLblAdd->setGlyphType(TqZGlyphType::qgAdd);
        FLblAdd->SetBounds(131, 54, 16, 16);
        FEdtAdd = new TNumLabelEdit(FPopupForm);
        FEdtAdd->SetBounds(151, 54, 28, 16);
        FEdtAdd->setAssociate(FNumAdd);
        FNumFlat->OnChange = [this](QObject *) { ParameterChange(FNumFlat); };
        FNumAdd->OnChange = [this](QObject *) { ParameterChange(FNumAdd); };
        ParameterChange(FNumFlat);
        ParameterChange(FNumAdd);
        break;
    }
    case TPaintAirMapType::pamtNo:
        break;
    }
    return true;
}

void TAirMapDropDown::ParameterChange(QObject *Sender)
{
    if (FParameterUpdate || !Sender || !FPopupForm)
        return;
    FParameterUpdate = true;
    for (size_t i = 0; i < 7; ++i)
        if (Sender == *buttons()[i]) {
            FAirMap = TPaintAirMap(i);
            if (FAirMapControl)
                FAirMapControl->setAirMap(FAirMap);
        }
    if (FAirMapControl) {
        if (Sender == FNumFlat)
            FAirMapControl->setFlat(FNumFlat->Value() / 100);
        else if (Sender == FNumAdd)
            FAirMapControl->setAdd(FNumAdd->Value() / 100);
        else if (Sender == FAirMapControl) {
            FNumFlat->setValue(FNumFlat->ValueMin() +
                               (FNumFlat->ValueMax() - FNumFlat->ValueMin()) *
                                   FAirMapControl->Flat());
            FNumAdd->setValue(FNumAdd->ValueMin() +
                              (FNumAdd->ValueMax() - FNumAdd->ValueMin()) * FAirMapControl->Add());
        }
    }
    FParameterUpdate = false;
    for (TItemButton **b : buttons())
        if (*b)
            (*b)->setPickerType((*b)->PickerType()); // DrawWork, DrawImages
    DrawWork();
    DrawImages();
    DoChange();
}

void TAirMapDropDown::DrawAirMapButton(QObject *Sender, TMemoryGraphic &AImage)
{
    auto *b = static_cast<TItemButton *>(Sender);
    TPaintAirMap curve = TPaintAirMap::pamNo;
    for (size_t i = 0; i < 7; ++i)
        if (*buttons()[i] == b)
            curve = TPaintAirMap(i);
    AImage.Clear();
    const TColor32 ink = !b->isEnabled()           ? clGrayText32()
                         : b->Hover().has(ippIcon) ? clHighlight32()
                                                   : clWindowText32();
    drawAirMapProfile(AImage, {2, 2, AImage.Width() - 2, AImage.Height() - 2}, curve, 0, 0, ink);
}

void TAirMapDropDown::PopupFormOpen(QObject *)
{
    FOldAirMap = FAirMap;
    FOldFlat = Flat();
    FOldAdd = Add();
    if (TItemButton *b = CurveButton(FAirMap))
        b->setDown(true);
    if (FAirMapControl)
        FAirMapControl->setQuietly(
            FAirMap, FNumFlat->Value() / (FNumFlat->ValueMax() - FNumFlat->ValueMin()),
            FNumAdd->Value() / (FNumAdd->ValueMax() - FNumAdd->ValueMin()));
}

void TAirMapDropDown::PopupFormClose(QObject *)
{
    if (FPopupForm && FPopupForm->PopupResult() != kavrin::mrOk) {
        FAirMap = FOldAirMap;
        setFlat(FOldFlat);
        setAdd(FOldAdd);
    }
    FreePopup();
    PopupClosed();
}

bool TAirMapDropDown::FreePopup()
{
    if (!FPopupForm)
        return false;
    FNumFlat->OnChange = nullptr;
    FNumAdd->OnChange = nullptr;
    if (FEdtFlat)
        FEdtFlat->setAssociate(nullptr);
    if (FEdtAdd)
        FEdtAdd->setAssociate(nullptr);
    if (FAirMapControl)
        FAirMapControl->OnChange = nullptr;
    for (TItemButton **b : buttons())
        if (*b) {
            (*b)->OnDown = nullptr;
            (*b)->OnOwnerDraw = nullptr;
            *b = nullptr;
        }
    FAirMapControl = nullptr;
    FEdtFlat = FEdtAdd = nullptr;
    FLblFlat = FLblAdd = nullptr;
    // The popup may still be inside its own close notification: delete it (and the controls it
    // holds) once that has returned.
    FPopupForm->OnPopupOpen = nullptr;
    FPopupForm->OnPopupClose = nullptr;
    FPopupForm->deleteLater();
    FPopupForm = nullptr;
    return true;
}
