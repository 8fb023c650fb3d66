#include "ui/controls/nib_shape_editor.h"

#include "core/image/display_canvas.h"
#include "paint/brush/shape_image_param.h"
#include "platform/desktop/messages.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/label_fields.h"
#include "ui/fields/mouse_gates.h"
#include "ui/fields/num_mngr.h"
#include "ui/graphics/appearance.h"

#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <numbers>

float aspectRotationRadiusStep(float r, int dx)
{
    const float d = float(dx);
    if (r < 2)
        return r + d / 10;
    if (r < 5)
        return r + d / 5;
    if (r < 10)
        return r + d / 2;
    if (r < 20)
        return r + d;
    if (r < 50)
        return r + 2 * d;
    return r + 5 * d;
}

float aspectRotationScaleStep(float s, int dx)
{
    if (s < 100)
        return aspectRotationRadiusStep(s, dx);
    return s + 10 * float(dx);
}

bool aspectRotationHandleHit(TPointSingle H, QPoint P)
{
    const int x = int(std::trunc(H.x + 0.5f)), y = int(std::trunc(H.y + 0.5f));
    return P.x() >= x - 4 && P.x() <= x + 4 && P.y() >= y - 4 && P.y() <= y + 4;
}

void aspectRotationDial(double px, double py, double R, bool stepped, double &aspect,
                        double &rotation)
{
    aspect = R > 0 ? std::clamp(100 - std::hypot(px, py) / R * 100, 0.0, 99.0) : 0;
    if (stepped)
        aspect = double(int(std::trunc(aspect + 0.5)) / 5 * 5);
    rotation = std::atan2(py, px) * 180 / std::numbers::pi;
    rotation = rotation > -90 ? rotation - 90 : rotation + 270;
    if (stepped)
        rotation = double(int(std::trunc(rotation + 0.5)) / 15 * 15);
}

namespace {

const char *partHint(TAspectRotationPart p)
{
    switch (p) {
    case arPreview:
        return "|ダブルクリック: 扁平率と回転角をリセット";
    case arRadius:
        return "最大半径|左方向にドラッグ: 最大半径を減少, 右方向にドラッグ: 最大半径を増加";
    case arShapeScale:
        return "拡大縮小率|左方向にドラッグ: 拡大縮小率を減少, 右方向にドラッグ: 拡大縮小率を増加";
    case arMinRadius:
        return "最小半径|左方向にドラッグ: 最小半径を減少, 右方向にドラッグ: 最小半径を増加, "
               "Shift + ドラッグ: アジャスト";
    case arAspectRotation:
        return "扁平率と回転角|ドラッグ: 扁平率と回転角を変更, Ctrl + ドラッグ: 扁平率のみ変更, "
               "Alt + ドラッグ: 回転角のみ変更, Shift + ドラッグ: アジャスト";
    case arGradient:
        return "表示切替|クリック: 最大・最小半径表示とマッピング表示を切り替え";
    case arDrop:
        return "ペン先リスト|クリック: ペン先リストを表示";
    case arAspectLabel:
        return "扁平率|扁平率を変更";
    case arRotationLabel:
        return "回転角|回転角を変更";
    default:
        return "";
    }
}

int measure(const QString &text, const QFont &font, int w, int h)
{
    TMemoryGraphic g(1, 1);
    sRect r{0, 0, w, h};
    g.DrawText(text, r, font, clBlack32, DT_CALCRECT | DT_SINGLELINE);
    return r.x1 - r.x0;
}

} // namespace

TAspectRotation::TAspectRotation(QWidget *parent)
    : TGraphicControl(parent), FImage(86, 88, clBtnFace32()),
      FWork(makeColor32(255, 255, 255, 255)), FBodyHeavy(makeColor32(85, 85, 85, 255)),
      FBodyLight(makeColor32(170, 170, 170, 255)), FBorderColor(clHighlightText32()),
      FBorderEdge(clHighlight32())
{
    setMouseTracking(true);
    FAspect = new TNumMngr(this);
    FAspect->SetValues(nullptr, 0, 0, 99);
    FRotation = new TNumMngr(this);
    FRotation->SetValues(nullptr, 0, -999, 999);
    FRotation->SetWraps(nullptr, true, -180, 180);
    FAspect->OnChange = [this](QObject *) { NumChange(); };
    FRotation->OnChange = [this](QObject *) { NumChange(); };
    const int lw = measure(QStringLiteral("-999"), font(), 86, 14);
    FAspectRect = QRect(6, 0, std::max(measure(QStringLiteral("999"), font(), 86, 14), 1), 14);
    FRotationRect = QRect(0, 0, std::max(lw, 1), 14);
    FAspectUnitWidth = measure(FAspectUnit, font(), 86, 12);
    FRotationUnitWidth = measure(FRotationUnit, font(), 86, 12);
}

TAspectRotation::~TAspectRotation()
{
    if (FEdit)
        FEdit->OnExit = {};
    delete FEdit.data();
}

TPointSingle TAspectRotation::centre() const
{
    return {float((width() - 2) / 2.0 + 0.5), float((height() - 17) / 2.0 + 0.5)};
}

float TAspectRotation::dialRadius() const
{
    const TPointSingle c = centre();
    return std::min(c.x, c.y) - 4;
}

void TAspectRotation::SetBounds(int left, int top, int width, int height)
{
    const QSize old = size();
    TGraphicControl::SetBounds(left, top, width, height);
    if (size() == old && FWork.Prepared())
        return;
    const int W = this->width(), H = this->height();
    FImage.SetSize(W, H);
    FWork.SetSize(W - 4, H - 19);
    DrawShape();
    UpdatePoints();
    FPreviewRect = QRect(2, 2, FWork.Width(), FWork.Height());
    FDropArrowRect = QRect(W - 13, H - 28, 11, 11);
    FGradientRect = QRect(2, H - 28, 11, 11);
    FAspectRect.moveTo(6, H - 15);
    FRotationRect.moveTo(FAspectRect.right() + 1 + FAspectUnitWidth + 8, H - 15);
    DrawImages();
}

void TAspectRotation::UpdatePoints()
{
    const TPointSingle c = centre();
    const float R = dialRadius();
    const double rot = double(Rotation()) * std::numbers::pi / 180;
    const auto fill = [&](auto &pts, float a, float b) {
        const float mx = std::max(a, b), mn = std::min(a, b);
        const float s = mx > 0 ? mn / mx : 0;
        const float sx = a <= b ? s : 1, sy = a <= b ? 1 : s;
        const int n = int(pts.size());
        for (int i = 0; i < n; ++i) {
            const double t = 360.0 / (n - 1) * i * std::numbers::pi / 180;
            const double px = std::cos(t) * mx * sx, py = std::sin(t) * mx * sy;
            pts[size_t(i)] = {float(std::cos(rot) * px - std::sin(rot) * py + c.x),
                              float(std::sin(rot) * px + std::cos(rot) * py + c.y)};
        }
    };
    const float a = R, b = R * (100 - Aspect()) / 100;
    fill(FPoints, a, b);
    fill(FMinPoints, a / 2, b / 2);
}

TPointSingle TAspectRotation::handle(int which) const
{
    return which == 0 ? FPoints[0] : which == 1 ? FMinPoints[0] : FPoints[8];
}

float TAspectRotation::Aspect() const
{
    return FAspect->Value();
}

float TAspectRotation::Rotation() const
{
    return FRotation->Value();
}

void TAspectRotation::SetParams(float ARadius, float AMinRadius, float AAspect, float ARotation,
                                float AFlat, float AAdd, bool AAntiAlias)
{
    ARadius = std::min(std::max(ARadius, 0.1f), FMaxRadius);
    AMinRadius = std::clamp(AMinRadius, 1.0f, 100.0f);
    AAspect = std::clamp(AAspect, 0.0f, 99.0f);
    if (std::isfinite(ARotation)) {
        ARotation = std::fmod(ARotation, 360.0f);
        while (ARotation >= 180)
            ARotation -= 360;
        while (ARotation < -180)
            ARotation += 360;
    } else {
        ARotation = 0;
    }
    AFlat = std::clamp(AFlat, 0.0f, 100.0f);
    AAdd = std::clamp(AAdd, 0.0f, 100.0f);

    bool changed = false, shape = false;
    const auto store = [&](float &field, float v) {
        if (field != v) {
            field = v;
            changed = true;
        }
    };
    store(FRadius, ARadius);
    store(FMinRadius, AMinRadius);
    store(FFlat, AFlat);
    store(FAdd, AAdd);
    if (FAntiAlias != AAntiAlias) {
        FAntiAlias = AAntiAlias;
        changed = true;
    }
    // The models notify NumChange; hold it back so this call notifies once.
    const TNotifyEvent a = std::exchange(FAspect->OnChange, nullptr);
    const TNotifyEvent r = std::exchange(FRotation->OnChange, nullptr);
    if (Aspect() != AAspect) {
        FAspect->setValue(AAspect);
        shape = true;
    }
    if (Rotation() != ARotation) {
        FRotation->setValue(ARotation);
        shape = true;
    }
    FAspect->OnChange = a;
    FRotation->OnChange = r;
    if (shape)
        UpdatePoints();
    if (changed || shape || FUseShapeImage) {
        DoChange();
        DrawShape();
        DrawImages();
    }
}

void TAspectRotation::setRadius(float v)
{
    SetParams(v, FMinRadius, Aspect(), Rotation(), FFlat, FAdd, FAntiAlias);
}
void TAspectRotation::setMinRadius(float v)
{
    SetParams(FRadius, v, Aspect(), Rotation(), FFlat, FAdd, FAntiAlias);
}
void TAspectRotation::setAspect(float v)
{
    SetParams(FRadius, FMinRadius, v, Rotation(), FFlat, FAdd, FAntiAlias);
}
void TAspectRotation::setRotation(float v)
{
    SetParams(FRadius, FMinRadius, Aspect(), v, FFlat, FAdd, FAntiAlias);
}
void TAspectRotation::setFlat(float v)
{
    SetParams(FRadius, FMinRadius, Aspect(), Rotation(), v, FAdd, FAntiAlias);
}
void TAspectRotation::setAdd(float v)
{
    SetParams(FRadius, FMinRadius, Aspect(), Rotation(), FFlat, v, FAntiAlias);
}
void TAspectRotation::setAntiAlias(bool v)
{
    SetParams(FRadius, FMinRadius, Aspect(), Rotation(), FFlat, FAdd, v);
}
void TAspectRotation::SetAspectRotation(float AAspect, float ARotation)
{
    SetParams(FRadius, FMinRadius, AAspect, ARotation, FFlat, FAdd, FAntiAlias);
}

void TAspectRotation::setMaxRadius(float v)
{
    FMaxRadius = std::clamp(v, 0.1f, 500.0f);
}

void TAspectRotation::SetShapeImage(bool AUseShapeImage, sSize AShapeSize, float AShapeScale)
{
    FUseShapeImage = AUseShapeImage;
    if (AUseShapeImage) {
        FShapeSize = AShapeSize;
        FShapeScale = AShapeScale;
    } else {
        FShapeSize = {0, 0};
        FShapeScale = 100;
    }
    QPoint p;
    getCursorPosInControl(this, p);
    hoverUpdate(p);
    DoChange();
}

void TAspectRotation::setShapeScale(float v)
{
    float lo = 0, hi = 0;
    getShapeImageScaleRange(lo, hi, FShapeSize);
    v = std::clamp(v, lo * 100, std::max(lo, hi) * 100);
    if (v == FShapeScale)
        return;
    FShapeScale = v;
    DoChange();
    DrawShape();
    DrawImages();
}

void TAspectRotation::setGradient(bool v)
{
    if (v == FGradient)
        return;
    FGradient = v;
    DrawShape();
    DrawImages();
}

void TAspectRotation::setDisplayScale(float v)
{
    if (v == FDisplayScale)
        return;
    FDisplayScale = v;
    DrawShape();
    DrawImages();
}

void TAspectRotation::setBodyHeavy(TColor32 v)
{
    if (v.bgra == FBodyHeavy.bgra)
        return;
    FBodyHeavy = v;
    DrawShape();
    DrawImages();
}

void TAspectRotation::setBodyLight(TColor32 v)
{
    if (v.bgra == FBodyLight.bgra)
        return;
    FBodyLight = v;
    DrawShape();
    DrawImages();
}

void TAspectRotation::setBorderColor(TColor32 v)
{
    if (v.bgra == FBorderColor.bgra)
        return;
    FBorderColor = v;
    DrawImages();
}

void TAspectRotation::setAspectUnit(const QString &v)
{
    if (v == FAspectUnit)
        return;
    FAspectUnit = v;
    FAspectUnitWidth = measure(v, font(), 86, 12);
    FRotationRect.moveLeft(FAspectRect.right() + 1 + FAspectUnitWidth + 8);
    DrawImages();
}

void TAspectRotation::setRotationUnit(const QString &v)
{
    if (v == FRotationUnit)
        return;
    FRotationUnit = v;
    FRotationUnitWidth = measure(v, font(), 86, 12);
    DrawImages();
}

void TAspectRotation::setSupportDrop(bool v)
{
    if (v == FSupportDrop)
        return;
    FSupportDrop = v;
    DrawImages();
}

void TAspectRotation::setSupportAspect(bool v)
{
    if (v == FSupportAspect)
        return;
    FSupportAspect = v;
    DrawImages();
}

void TAspectRotation::setReadOnly(bool v)
{
    FReadOnly = v;
    setNoStdEvents(v);
}

void TAspectRotation::DoChange()
{
    if (OnChange)
        OnChange(this);
}

void TAspectRotation::NumChange()
{
    UpdatePoints();
    DoChange();
    DrawShape();
    DrawImages();
}

void TAspectRotation::DrawShape()
{
    if (!FWork.Prepared())
        return;
    FWork.setColor(makeColor32(255, 255, 255, 255));
    FWork.Clear();
    if (OnDrawPreview)
        OnDrawPreview(this);
}

void TAspectRotation::DrawImages()
{
    if (!FImage.Prepared())
        return;
    const int W = FImage.Width(), H = FImage.Height();
    FImage.Clear();
    FImage.DrawRectangle({0, 0, W, H}, 1, clGrayText32(), blendCopy, blendCopy);
    FImage.FillRectangle({1, 1, W - 1, H - 1}, clWindow32(), blendCopy, blendCopy);
    FImage.FillRectangle({2, H - 16, W - 2, H - 2}, clBtnFace32(), blendCopy, blendCopy);
    const TColor32 ink = FSupportAspect ? clWindowText32() : clGrayText32();
    const auto label = [&](const QRect &r, float v, const QString &unit, int unitWidth) {
        sRect s{r.left(), r.top(), r.right() + 1 + unitWidth, r.bottom() + 1};
        FImage.DrawText(QString::asprintf("%1.0f", double(v)) + unit, s, font(), ink,
                        DT_RIGHT | DT_SINGLELINE);
    };
    label(FAspectRect, Aspect(), FAspectUnit, FAspectUnitWidth);
    label(FRotationRect, Rotation(), FRotationUnit, FRotationUnitWidth);
    FImage.Copy(2, 2, FWork.Width(), FWork.Height(), FWork.Seek(0, 0), 0, 0, FWork.Width(),
                FWork.Height());
    if (FHover || FDragPart != arNone) {
        TColor32 edge = FBorderEdge;
        edge.a = 128;
        FImage.DrawPolyLine(FPoints.data(), int(FPoints.size()), edge, blendNormal, blendKeep);
        FImage.DrawLine(FMinPoints[0], FPoints[0], edge, blendNormal, blendKeep);
        const auto knob = [&](TPointSingle p) {
            FImage.FillCircle(p, 2.25f, FBorderEdge, blendNormal, blendKeep);
            FImage.FillCircle(p, 1.25f, FBorderColor, blendNormal, blendKeep);
        };
        knob(FPoints[0]);
        knob(FMinPoints[0]);
        if (FSupportAspect)
            knob(FPoints[8]);
    }
    if (gAppearanceManager) {
        const auto glyph = [&](int kind, TGlyphState s, const QRect &r) {
            if (const TMemoryGraphic *g = gAppearanceManager->GetArrowImage(kind, s))
                FImage.BlendImage(r.left(), r.top(), 11, 11, *g, 0, 0, blendNormal, blendKeep);
        };
        if (FSupportDrop)
            glyph(1, FDropArrowState, FDropArrowRect);
        glyph(5, FGradientState, FGradientRect);
    }
    if (parentWidget())
        update();
}

void TAspectRotation::Paint(QPainter &painter)
{
    if (parentWidget() && isVisible())
        FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
}

bool TAspectRotation::hitTest(QPoint pos) const
{
    return isEnabled() && GetAreaType(pos) != arNone;
}

TAspectRotationPart TAspectRotation::GetAreaType(QPoint Pos) const
{
    if (aspectRotationHandleHit(FPoints[0], Pos))
        return FUseShapeImage ? arShapeScale : arRadius;
    if (aspectRotationHandleHit(FMinPoints[0], Pos))
        return arMinRadius;
    if (FSupportAspect && aspectRotationHandleHit(FPoints[8], Pos))
        return arAspectRotation;
    if (FSupportDrop && FDropArrowRect.contains(Pos))
        return arDrop;
    if (!FUseShapeImage && FGradientRect.contains(Pos))
        return arGradient;
    if (FSupportAspect && FAspectRect.contains(Pos))
        return arAspectLabel;
    if (FSupportAspect && FRotationRect.contains(Pos))
        return arRotationLabel;
    if (FPreviewRect.contains(Pos))
        return arPreview;
    return arNone;
}

void TAspectRotation::hoverUpdate(QPoint p)
{
    const TAspectRotationPart part = FDragPart != arNone ? FDragPart : GetAreaType(p);
    if (part == arNone) {
        setHint(QString());
        FHintArea = arNone;
    } else if (part != FHintArea || hint().isEmpty()) {
        FHintArea = part;
        QToolTip::hideText();
        setHint(QString::fromUtf8(partHint(part)));
    }
    switch (part) {
    case arRadius:
    case arMinRadius:
    case arAspectRotation:
        setCursor(Qt::PointingHandCursor);
        break;
    case arAspectLabel:
    case arRotationLabel:
        setCursor(Qt::IBeamCursor);
        break;
    default:
        setCursor(Qt::ArrowCursor);
        break;
    }
    const TGlyphState drop = part == arDrop ? gsActive : gsNone;
    const TGlyphState grad = FUseShapeImage ? gsDisabled : part == arGradient ? gsActive : gsNone;
    if (drop != FDropArrowState || grad != FGradientState) {
        FDropArrowState = drop;
        FGradientState = grad;
        DrawImages();
    }
}

void TAspectRotation::MouseEnter()
{
    TGraphicControl::MouseEnter();
    if (acceptMouseEnter(this)) {
        FHover = true;
        DrawImages();
    }
}

void TAspectRotation::MouseLeave()
{
    TGraphicControl::MouseLeave();
    if (acceptMouseLeave(this)) {
        FHover = false;
        hoverUpdate(QPoint(-100, -100));
        DrawImages();
    }
}

void TAspectRotation::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                                bool dbl)
{
    TGraphicControl::MouseDown(button, shift, x, y, dbl);
    if (button != Qt::LeftButton)
        return;
    if (dbl) {
        if (!FReadOnly && FPreviewRect.contains(x, y) && GetAreaType({x, y}) == arPreview) {
            setRotation(0);
            setAspect(0);
        }
        return;
    }
    if (!acceptMouseDown(this))
        return;
    FLastPos = QPoint(x, y);
    FDragPart = GetAreaType(FLastPos);
    switch (FDragPart) {
    case arDrop:
        if (!FPopupForm && OnShowPopupForm) {
            const QPoint at = mapToGlobal(QPoint(0, height() - 16));
            OnShowPopupForm(this, at.x(), at.y());
        }
        break;
    case arGradient:
        setGradient(!FGradient);
        break;
    case arAspectLabel:
    case arRotationLabel:
        openEditor(FDragPart);
        break;
    default:
        break;
    }
}

void TAspectRotation::openEditor(TAspectRotationPart part)
{
    if (FEdit)
        return;
    FEditModel = part == arAspectLabel ? FAspect : FRotation;
    FOldValue = FEditModel->Value();
    auto *e = new TCaptureNumEdit(this);
    FEdit = e;
    e->setFormatString(QStringLiteral("%1.0f"));
    e->setAssociate(FEditModel);
    const QRect r = (part == arAspectLabel ? FAspectRect : FRotationRect).translated(pos());
    placeInPlaceEditor(e, parentWidget(), r, false, font(), 16,
                       QString::asprintf("%1.0f", double(FEditModel->Value())),
                       [this](QObject *) { EditExit(); });
}

void TAspectRotation::EditExit()
{
    TCaptureNumEdit *e = FEdit;
    if (!e)
        return;
    if (e->EditResult() == kavrin::mrOk)
        FEditModel->SetString(this, e->text(), 10);
    else
        FEditModel->setValue(FOldValue);
    e->OnExit = {};
    e->setAssociate(nullptr);
    e->hide();
    FEdit = nullptr;
    // The editor is still inside its own exit notification.
    e->deleteLater();
}

void TAspectRotation::MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y)
{
    TGraphicControl::MouseMove(buttons, shift, x, y);
    if (!acceptMouseMove(this))
        return;
    const int dx = x - FLastPos.x();
    FLastPos = QPoint(x, y);
    const bool stepped = shift & Qt::ShiftModifier;
    switch (FDragPart) {
    case arRadius:
        setRadius(aspectRotationRadiusStep(FRadius, dx));
        return;
    case arShapeScale:
        setShapeScale(aspectRotationScaleStep(FShapeScale, dx));
        return;
    case arMinRadius:
        setMinRadius(stepped ? float((int(std::trunc(FMinRadius + 0.5f)) / 5 + dx) * 5)
                             : FMinRadius + float(dx));
        return;
    case arAspectRotation: {
        const TPointSingle c = centre();
        double aspect = 0, rot = 0;
        aspectRotationDial(x - c.x, y - c.y, dialRadius(), stepped, aspect, rot);
        if (shift & Qt::ControlModifier)
            setAspect(float(aspect));
        else if (shift & Qt::AltModifier)
            setRotation(float(rot));
        else
            SetAspectRotation(float(aspect), float(rot));
        return;
    }
    default:
        break;
    }
    if (!FHover) {
        FHover = true;
        DrawImages();
    }
    hoverUpdate(QPoint(x, y));
}

void TAspectRotation::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    TGraphicControl::MouseUp(button, shift, x, y);
    if (FReadOnly || button != Qt::LeftButton)
        return;
    hoverUpdate(QPoint(x, y));
    FDragPart = arNone;
    DrawImages();
}
