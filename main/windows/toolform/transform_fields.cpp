// The free transform's fields: typing changes the frame, the frame's changes write the fields.
#include "windows/toolform/tool_form.h"

#include <QPushButton>
#include "ui/lists/pen_nib_list_view.h"
#include "ui/graphics/glyph_manager.h"
#include "ui/fields/edit_boxes.h"

#include "core/profile/app_profile.h"
#include "document/paper/paper.h"
#include "document/transform/select_transform.h"
#include "ui/controls/item_picker.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/popup_sliders.h"
#include "windows/docwin/draw_window.h"
#include "windows/toolform/slider_curves.h"

#include <QCheckBox>

#include <numbers>

namespace {

constexpr float kDegToRad = std::numbers::pi_v<float> / 180.0f;

} // namespace

void TToolForm::TransformParamChange(QObject *Sender)
{
    if (!FWindow || FIsPlay || FState.FPalStat.has(TPaletteState::psOptionUpdate))
        return;
    TSelectTransform *t = transformer();
    if (!t)
        return;
    const float angle = NumOptRotRange->Value() * kDegToRad;
    if (Sender == NumOptDatXRange)
        t->changeTransformParam(kTransDatum, NumOptDatXRange->Value(),
                                t->getMarkerPoints(kMarkerCentre).y, angle);
    else if (Sender == NumOptDatYRange)
        t->changeTransformParam(kTransDatum, t->getMarkerPoints(kMarkerCentre).x,
                                NumOptDatYRange->Value(), angle);
    else if (Sender == NumOptScaleWRange)
        scaleChange(true);
    else if (Sender == NumOptScaleHRange)
        scaleChange(false);
    else if (Sender == NumOptRotRange)
        t->changeTransformParam(kTransRotate, 0, 0, angle);
    else if (Sender == NumOptShrHRange)
        t->changeTransformParam(kTransShear, NumOptShrHRange->Value() * kDegToRad,
                                t->FDistortionV, angle);
    else if (Sender == NumOptShrVRange)
        t->changeTransformParam(kTransShear, t->FDistortionH,
                                NumOptShrVRange->Value() * kDegToRad, angle);
}

// One side's scale typed: with the lock the other side follows (its own change then does the
// work); a zero scale becomes 0.1 % first, whose change then reaches the frame.
void TToolForm::scaleChange(bool width)
{
    TNumMngr *own = width ? NumOptScaleWRange : NumOptScaleHRange;
    TNumMngr *other = width ? NumOptScaleHRange : NumOptScaleWRange;
    const float v = own->Value();
    if (v == 0.0f)
    {
        own->SetNumber(nullptr, 0.1f);
        return;
    }
    float o = other->Value();
    if (FBtnScaleFix->Down())
    {
        if (o != v)
        {
            // The other side's change event must not reach the frame on its own: the lock moves
            // both sides in one step.
            CPaletteGuard guard(FState.FPalStat, TPaletteState::psOptionUpdate);
            other->SetNumber(nullptr, v);
        }
        o = v;
    }
    const float angle = NumOptRotRange->Value() * kDegToRad;
    TSelectTransform *t = transformer();
    if (width)
        t->changeTransformParam(kTransHandle, v, o, angle);
    else
        t->changeTransformParam(kTransHandle, o, v, angle);
}

void TToolForm::OptScaleInFilter(QObject *, float &APosition)
{
    APosition = transformScaleInFilter(APosition);
}

void TToolForm::OptScaleOutFilter(QObject *, float &APosition)
{
    APosition = transformScaleOutFilter(APosition);
}

void TToolForm::OptTransEditEnd(QObject *Sender)
{
    TSelectTransform *t = transformer();
    if (!t)
        return;
    t->saveTransStartPoints();
    if (Sender == EdtOptScaleWRange)
        t->FScaleW = NumOptScaleWRange->Value();
    else if (Sender == EdtOptScaleHRange)
        t->FScaleH = NumOptScaleHRange->Value();
    else if (Sender == EdtOptRotRange)
        t->FLastOptAngle = NumOptRotRange->Value() * kDegToRad;
}

void TToolForm::BtnTransformApplyClick()
{
    if (FWindow && freeTransformRunning())
        FWindow->transformEnd(true);
    // The document re-lays the view while its transformer still exists: once more without it.
    UpdateOptionView(true);
}

void TToolForm::BtnTransformCancelClick()
{
    if (FWindow && freeTransformRunning())
        FWindow->transformEnd(false);
    UpdateOptionView(true);
}

void TToolForm::BtnMoveClick()
{
    if (FWindow)
        FWindow->stopCurrentEvent();
}

void TToolForm::CheckCenterClick()
{
    if (!gAppProfile)
        return;
    using D = TToolDetail;
    const D t = FState.FToolMode;
    if (t == D::tdFillRectangle || t == D::tdFillEllipse)
        gAppProfile->fillCenter = CheckCenter->isChecked();
    else if (t == D::tdSelectRectangle || t == D::tdSelectEllipse)
        gAppProfile->selectCenter = CheckCenter->isChecked();
}

void TToolForm::CheckAspectRockClick()
{
    if (!gAppProfile)
        return;
    using D = TToolDetail;
    const D t = FState.FToolMode;
    if (t == D::tdFillRectangle || t == D::tdFillEllipse)
        gAppProfile->fillAspectRock = CheckAspectRock->isChecked();
    else if (t == D::tdSelectRectangle || t == D::tdSelectEllipse)
        gAppProfile->selectAspectRock = CheckAspectRock->isChecked();
}

// ---- the document writes the fields; none of these writes goes back to the frame

void TToolForm::setTransPopup(const sSize &size)
{
    CPaletteGuard guard(FState.FPalStat, TPaletteState::psOptionUpdate);
    auto fit = [](TNumMngr *m, int32_t extent) {
        const float half = float(extent / 2);
        const float lo = -half, hi = float(extent) + half;
        m->SetValues(nullptr, half, lo, hi);
        m->SetWraps(nullptr, m->WrapAround(), lo, hi);
        m->setValueCenter(half);
        m->setValueDefault(half);
    };
    fit(NumOptDatXRange, size.x);
    fit(NumOptDatYRange, size.y);
}

void TToolForm::setTransScale(float w, float h)
{
    CPaletteGuard guard(FState.FPalStat, TPaletteState::psOptionUpdate);
    NumOptScaleWRange->SetNumber(nullptr, w);
    NumOptScaleHRange->SetNumber(nullptr, h);
}

void TToolForm::setTransAngle(float angle)
{
    CPaletteGuard guard(FState.FPalStat, TPaletteState::psOptionUpdate);
    NumOptRotRange->SetNumber(nullptr, angle);
}

void TToolForm::setTransDat(float dx, float dy)
{
    CPaletteGuard guard(FState.FPalStat, TPaletteState::psOptionUpdate);
    NumOptDatXRange->SetNumber(nullptr, dx);
    NumOptDatYRange->SetNumber(nullptr, dy);
}

void TToolForm::setTransDist(float h, float v)
{
    CPaletteGuard guard(FState.FPalStat, TPaletteState::psOptionUpdate);
    NumOptShrHRange->SetNumber(nullptr, h);
    NumOptShrVRange->SetNumber(nullptr, v);
}
