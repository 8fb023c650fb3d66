// The brush's density fall-off: a control that shows the curve's profile with a cross-hair at
// (Flat, Add) that the user drags, and the picker that shows the current curve and pops up one
// button per curve with, for the newer brushes, the control and fields for Flat and Add.
#pragma once

#include "paint/brush/paint_modes.h"
#include "ui/controls/item_picker.h"

#include <array>

class TNumMngr;
class TNumLabelEdit;
class TPopupBaseForm;
class TqZGlyphLabel;

// The press mapping of a W x H control: the inverse of where the cross-hair is drawn, so the
// line lands under the pointer. Both clamp into 0..1.
float airMapFlatAt(int X, int W);
float airMapAddAt(int Y, int H);
// Where the cross-hair of (Flat, Add) is drawn.
int airMapFlatX(float Flat, int W);
int airMapAddY(float Add, int H);

class TAirMapControl : public TGraphicControl
{
  public:
    explicit TAirMapControl(QWidget *parent = nullptr);
    ~TAirMapControl() override;

    void SetBounds(int left, int top, int width, int height) override;
    void SetParams(TPaintAirMap AMap, float AFlat, float AAdd);

    TPaintAirMap AirMap() const { return FAirMap; }
    void setAirMap(TPaintAirMap v);
    float Flat() const { return FFlat; }
    void setFlat(float v);
    float Add() const { return FAdd; }
    void setAdd(float v);
    bool ReadOnly() const { return FReadOnly; }
    virtual void setReadOnly(bool v);
    bool Dragging() const { return FDragging; }
    const TMemoryGraphic &image() const { return FImage; }
    // Sets the values without an event and redraws (the picker's popup opening).
    void setQuietly(TPaintAirMap AMap, float AFlat, float AAdd);

    TNotifyEvent OnChange;

  protected:
    virtual void DoChange();
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

  private:
    void redrawImage();
    void dragTo(int x, int y);

    TMemoryGraphic FImage;
    TPaintAirMap FAirMap = TPaintAirMap::pamLinear;
    float FFlat = 0;
    float FAdd = 0;
    bool FDragging = false;
    bool FReadOnly = false;
};

class TAirMapDropDown : public TItemPicker
{
  public:
    explicit TAirMapDropDown(QWidget *parent = nullptr);
    ~TAirMapDropDown() override;

    TPaintAirMapType AirMapType() const { return FAirMapType; }
    void setAirMapType(TPaintAirMapType v);
    TPaintAirMap AirMap() const { return FAirMap; }
    void setAirMap(TPaintAirMap v);
    // 0..100.
    float Flat() const;
    void setFlat(float v);
    float Add() const;
    void setAdd(float v);

    // The popup while it is open (null otherwise) and its parts, for the owner and tests.
    TPopupBaseForm *PopupForm() const { return FPopupForm; }
    TAirMapControl *AirMapControl() const { return FAirMapControl; }
    TNumLabelEdit *EdtFlat() const { return FEdtFlat; }
    TNumLabelEdit *EdtAdd() const { return FEdtAdd; }
    TNumMngr *NumFlat() const { return FNumFlat; }
    TNumMngr *NumAdd() const { return FNumAdd; }
    // The popup's button of a curve, or null.
    TItemButton *CurveButton(TPaintAirMap curve) const;

  protected:
    bool DoPopup(int Index) override;
    int GetItemIndex() override;
    void DrawWork() override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;

    bool CreatePopup();
    void ParameterChange(QObject *Sender);
    void DrawAirMapButton(QObject *Sender, TMemoryGraphic &AImage);
    void PopupFormOpen(QObject *Sender);
    void PopupFormClose(QObject *Sender);
    bool FreePopup();

  private:
    std::array<TItemButton **, 7> buttons();
    TItemButton *makeButton(TPaintAirMap curve, int x);

    TPaintAirMapType FAirMapType = TPaintAirMapType::pamt4;
    TPaintAirMap FAirMap = TPaintAirMap::pamLinear;
    TPaintAirMap FOldAirMap = TPaintAirMap::pamLinear;
    float FOldFlat = 0, FOldAdd = 0;
    TPopupBaseForm *FPopupForm = nullptr;
    bool FParameterUpdate = false;
    TItemButton *FBtnLinear = nullptr, *FBtnGamma = nullptr, *FBtnFlat = nullptr,
                *FBtnCircle = nullptr, *FBtnSquare = nullptr, *FBtnRound = nullptr,
                *FBtnPinTop = nullptr;
    TNumMngr *FNumFlat = nullptr;
    TNumMngr *FNumAdd = nullptr;
    TqZGlyphLabel *FLblFlat = nullptr;
    TNumLabelEdit *FEdtFlat = nullptr;
    TqZGlyphLabel *FLblAdd = nullptr;
    TNumLabelEdit *FEdtAdd = nullptr;
    TAirMapControl *FAirMapControl = nullptr;
};
