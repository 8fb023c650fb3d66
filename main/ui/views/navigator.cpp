#include "ui/views/navigator.h"

#include "core/profile/app_profile.h"
#include "document/view/view_geometry.h"
#include "ui/fields/mouse_gates.h"
#include "ui/graphics/appearance.h"

#include <QEvent>
#include <QImage>
#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

sRect toS(const QRect &r)
{
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

struct PartPlace
{
    TGrabberControlPart part;
    QRect rect;
    int arrowKind; // the appearance manager's arrow picture; 0 for dial and slider
};

// Rectangles as left, top, right, bottom (right and bottom exclusive).
constexpr QRect ltrb(int l, int t, int r, int b)
{
    return QRect(l, t, r - l, b - t);
}

const PartPlace kParts[] = {
    {gcRotation, ltrb(14, 14, 115, 115), 0},      {gcScale, ltrb(14, 133, 115, 144), 0},
    {gcButton000, ltrb(118, 59, 129, 70), 7},     {gcButton090, ltrb(59, 118, 70, 129), 8},
    {gcButton180, ltrb(0, 59, 11, 70), 9},        {gcButton270, ltrb(59, 0, 70, 11), 10},
    {gcButtonZoomIn, ltrb(118, 133, 129, 144), 11}, {gcButtonZoomOut, ltrb(0, 133, 11, 144), 12},
};

const PartPlace &place(TGrabberControlPart p)
{
    for (const PartPlace &pp : kParts)
        if (pp.part == p)
            return pp;
    return kParts[0];
}

constexpr int kDialCentre = 64;
constexpr int kDialHalf = 50; // half the dial's width, whole pixels
constexpr int kRingWidth = 13;

float fractionValue(const TFraction &f)
{
    return float(f.Numerator) / float(f.Denominator);
}

QString hintText(TGrabberControlPart part, bool reverse)
{
    const QString reset = QString::fromUtf8("角度をリセット|クリック: 書類の表示角度をリセット");
    const QString half = QString::fromUtf8("180° 回転|クリック: 書類を 180° 回転");
    switch (part) {
    case gcRotation:
        return QString::fromUtf8(
            "表示回転|ドラッグ: 書類の表示角度を変更, Shift + ドラッグ: アジャスト");
    case gcScale:
        return QString::fromUtf8(
            "表示倍率|ドラッグ: 書類の表示倍率を変更, Shift + ドラッグ: アジャスト");
    case gcButton000:
        return reverse ? half : reset;
    case gcButton090:
        return QString::fromUtf8("90° 回転|クリック: 書類を時計回りに 90° 回転");
    case gcButton180:
        return reverse ? reset : half;
    case gcButton270:
        return QString::fromUtf8("-90° 回転|クリック: 書類を反時計回りに 90° 回転");
    case gcButtonZoomIn:
        return QString::fromUtf8("拡大表示|クリック: 書類を一段階拡大表示");
    case gcButtonZoomOut:
        return QString::fromUtf8("縮小表示|クリック: 書類を一段階縮小表示");
    case gcNone:
        break;
    }
    return {};
}

} // namespace

float snapGrabberAngle(float degrees)
{
    const float steps = std::trunc(std::fabs(degrees) / 15 + 0.5f);
    return std::copysign(steps * 15, degrees);
}

float grabberSliderScale(float t)
{
    const float f = 15 * std::clamp(t, 0.0f, 1.0f);
    return (f + 1) / (16 - f);
}

float snapGrabberScale(float s)
{
    const float up = fractionValue(
        zoomFractionUp({int32_t(std::floor(double(s) * 10000)) - 1, 10000}));
    const float down = fractionValue(
        zoomFractionDown({int32_t(std::ceil(double(s) * 10000)) + 1, 10000}));
    return 2 * s >= up + down ? up : down;
}

TGrabberControl::TGrabberControl(QWidget *parent)
    : TGraphicControl(parent), FImage(kWidth, kHeight, clNone32)
{
    TGraphicControl::SetBounds(0, 0, kWidth, kHeight);
    setMouseTracking(true); // the parts light up under the pointer
    DrawImages();
}

TGrabberControl::~TGrabberControl() = default;

void TGrabberControl::SetBounds(int left, int top, int, int)
{
    TGraphicControl::SetBounds(left, top, kWidth, kHeight);
}

QRect TGrabberControl::PartRect(TGrabberControlPart APart)
{
    return APart == gcNone ? QRect() : place(APart).rect;
}

void TGrabberControl::Invalidate()
{
    if (QWidget *p = parentWidget())
        p->update(geometry());
    update();
}

void TGrabberControl::SetScale(float Value)
{
    if (Value == FScale)
        return;
    FScale = Value;
    if (OnChange)
        OnChange(this);
    Invalidate();
}

void TGrabberControl::SetRotation(float Value)
{
    while (Value >= 180)
        Value -= 360;
    while (Value < -180)
        Value += 360;
    if (Value == FRotation)
        return;
    FRotation = Value;
    if (OnChange)
        OnChange(this);
    Invalidate();
}

TGrabberControlPart TGrabberControl::GetAreaType(int X, int Y) const
{
    static constexpr TGrabberControlPart buttons[] = {gcButton000, gcButton090, gcButton180,
                                                       gcButton270, gcButtonZoomOut,
                                                       gcButtonZoomIn};
    for (TGrabberControlPart b : buttons)
        if (place(b).rect.contains(X, Y))
            return b;
    if (place(gcScale).rect.contains(X, Y))
        return gcScale;
    const int d2 = (X - kDialCentre) * (X - kDialCentre) + (Y - kDialCentre) * (Y - kDialCentre);
    const int inner = kDialHalf - kRingWidth;
    if (inner * inner <= d2 && d2 <= kDialHalf * kDialHalf)
        return gcRotation;
    return gcNone;
}

void TGrabberControl::DrawPart(TGrabberControlPart APart, bool Active)
{
    const TColor32 state = Active ? clHighlightHalf32() : clGrayTextHalf32();
    const QRect r = place(APart).rect;
    // The picture is transparent: colours are written as they are, coverage goes into alpha.
    switch (APart) {
    case gcRotation: {
        const sRect grown = toS(r.adjusted(-2, -2, 2, 2));
        FImage.FillRectangle(grown, clNone32, blendKeep, blendCopy);
        FImage.DrawCircle(sPos{12, 12}, 105, 1, clBtnFace32(), blendCopy, blendNormal);
        FImage.DrawCircle(sPos{28, 28}, 73, 1, clBtnFace32(), blendCopy, blendNormal);
        FImage.DrawCircle(sPos{14, 14}, 101, kRingWidth, state, blendCopy, blendNormal);
        break;
    }
    case gcScale:
        FImage.FillRectangle(toS(r), state, blendCopy, blendCopy);
        FImage.DrawRectangle(toS(r.adjusted(-2, -2, 2, 2)), 1, clBtnFace32(), blendCopy,
                             blendCopy);
        break;
    case gcNone:
        break;
    default: {
        if (!gAppearanceManager)
            break;
        const TMemoryGraphic *arrow =
            gAppearanceManager->GetArrowImage(place(APart).arrowKind, Active ? gsActive : gsNone);
        if (arrow && arrow->Prepared())
            FImage.Copy(r.left(), r.top(), arrow->Width(), arrow->Height(),
                        arrow->GetScanLine(0), 0, 0, arrow->Width(), arrow->Height());
        break;
    }
    }
}

void TGrabberControl::DrawImages()
{
    FImage.Clear();
    for (const PartPlace &pp : kParts)
        DrawPart(pp.part, false);
}

void TGrabberControl::SetActivePart(TGrabberControlPart APart)
{
    if (APart == FActivePart)
        return;
    if (FActivePart != gcNone)
        DrawPart(FActivePart, false);
    FActivePart = APart;
    if (APart != gcNone)
        DrawPart(APart, true);
    Invalidate();
}

void TGrabberControl::PaintTo(QImage &surface, int X, int Y) const
{
    FImage.Draw(surface, X, Y, FImage.Width(), FImage.Height(), 0, 0, blendNormal, blendKeep);
    const TMemoryGraphic *knob = gAppearanceManager ? gAppearanceManager->GetPosImage(0) : nullptr;
    if (!knob || !knob->Prepared())
        return;
    const double theta = double(FRotation) * std::numbers::pi / 180;
    const int s = FIsReverse ? -1 : 1;
    const int kx = X + 59 + s * int(std::trunc(45 * std::cos(theta)));
    const int ky = Y + 59 + int(std::trunc(45 * std::sin(theta)));
    knob->Draw(surface, kx, ky, knob->Width(), knob->Height(), 0, 0, blendNormal, blendKeep);
    // t is 0 at 1/16, 0.5 at 1 and 1 at 16.
    const double t = (16.0 * FScale - 1) / (15.0 * FScale + 15);
    const int zx = X + 14 + int(std::trunc(90 * t + 0.5));
    knob->Draw(surface, zx, Y + 133, knob->Width(), knob->Height(), 0, 0, blendNormal, blendKeep);
}

void TGrabberControl::Paint(QPainter &) {}

bool TGrabberControl::hitTest(QPoint pos) const
{
    // No hit outside the parts: a click there reaches what lies below.
    return GetAreaType(pos.x(), pos.y()) != gcNone;
}

bool TGrabberControl::event(QEvent *ev)
{
    switch (ev->type()) {
    case QEvent::MouseMove: {
        // A move over no part goes to the parent; the highlight and the hint leave with it.
        const QPoint p = static_cast<QMouseEvent *>(ev)->position().toPoint();
        if (FDragPart == gcNone && GetAreaType(p.x(), p.y()) == gcNone) {
            SetActivePart(gcNone);
            UpdateHint(p.x(), p.y());
        }
        break;
    }
    case QEvent::Show:
    case QEvent::Hide:
        if (QWidget *p = parentWidget())
            p->repaint(geometry());
        break;
    default:
        break;
    }
    return TGraphicControl::event(ev);
}

void TGrabberControl::MouseLeave()
{
    TGraphicControl::MouseLeave();
    if (FDragPart == gcNone)
        SetActivePart(gcNone);
}

void TGrabberControl::UpdateHint(int X, int Y)
{
    const TGrabberControlPart part = FActivePart != gcNone ? FActivePart : GetAreaType(X, Y);
    if (part == gcNone) {
        FHintPart = gcNone;
        setHint(QString());
        return;
    }
    if (part == FHintPart && !hint().isEmpty())
        return;
    FHintPart = part;
    QToolTip::hideText();
    setHint(hintText(part, FIsReverse));
}

void TGrabberControl::DragTo(int X, int Y, bool adjust)
{
    if (FDragPart == gcRotation) {
        int x = X - 14;
        if (FIsReverse)
            x = 101 - x;
        const float y = float(Y - 14), c = 50.5f;
        float angle = float(std::atan2(y - c, float(x) - c) * 180 / std::numbers::pi);
        if (adjust)
            angle = snapGrabberAngle(angle);
        SetRotation(angle);
    } else if (FDragPart == gcScale) {
        float s = grabberSliderScale(float(X - 20) / 90);
        if (adjust)
            s = snapGrabberScale(s);
        SetScale(s);
    }
}

void TGrabberControl::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                                bool dbl)
{
    TGraphicControl::MouseDown(button, shift, x, y, dbl);
    if (button != Qt::LeftButton || !acceptMouseDown(this))
        return;
    FDragPart = GetAreaType(x, y);
    if (FDragPart == gcNone)
        return;
    if (FDragPart == gcRotation || FDragPart == gcScale) {
        if (OnGrabberEnter)
            OnGrabberEnter(this);
        MouseMove(Qt::LeftButton, shift, x, y);
    }
    FLastPos = QPoint(x, y);
}

void TGrabberControl::MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x,
                                int y)
{
    TGraphicControl::MouseMove(buttons, shift, x, y);
    if (!acceptMouseMove(this))
        return;
    UpdateHint(x, y);
    bool adjust = shift & Qt::ShiftModifier;
    if (gAppProfile && gAppProfile->ForceDispParam)
        adjust = !adjust;
    if (FDragPart == gcRotation || FDragPart == gcScale)
        DragTo(x, y, adjust);
    else if (FDragPart == gcNone)
        SetActivePart(GetAreaType(x, y));
}

void TGrabberControl::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    if (button == Qt::LeftButton) {
        // The buttons act on release wherever the pointer then is.
        switch (FDragPart) {
        case gcRotation:
        case gcScale:
            if (OnGrabberExit)
                OnGrabberExit(this);
            break;
        case gcButton000:
            SetRotation(FIsReverse ? -180 : 0);
            break;
        case gcButton090:
            SetRotation(90);
            break;
        case gcButton180:
            SetRotation(FIsReverse ? 0 : -180);
            break;
        case gcButton270:
            SetRotation(-90);
            break;
        case gcButtonZoomIn:
            SetScale(fractionValue(
                zoomFractionUp({int32_t(std::ceil(double(FScale) * 10000)) + 1, 10000})));
            break;
        case gcButtonZoomOut:
            SetScale(fractionValue(
                zoomFractionDown({int32_t(std::floor(double(FScale) * 10000)) - 1, 10000})));
            break;
        case gcNone:
            break;
        }
        FDragPart = gcNone;
        SetActivePart(GetAreaType(x, y));
    }
    TGraphicControl::MouseUp(button, shift, x, y);
}
