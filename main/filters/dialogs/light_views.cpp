#include "filters/dialogs/light_views.h"

#include "core/scale/scale_canvas.h"
#include "filters/algorithms/light_models.h"
#include "filters/algorithms/lighting_filter.h"
#include "filters/core/filter_core.h"
#include "filters/core/filter_host.h"
#include "ui/graphics/appearance.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
constexpr double kPi = 3.14159265358979323846;

float radians(double degrees)
{
    return float(degrees * kPi / 180.0);
}

double degrees(double radians)
{
    return radians * 180.0 / kPi;
}

// Folded into -180..180.
double fold180(double a)
{
    while (a > 180)
        a -= 360;
    while (a < -180)
        a += 360;
    return a;
}

int32_t truncHalf(float v)
{
    return int32_t(std::trunc(double(v) + 0.5));
}

uint8_t channel(int32_t v)
{
    return uint8_t(std::clamp(v, 0, 255));
}

TColor32 rgb(uint32_t bgra)
{
    return TColor32{.bgra = bgra};
}

const TColor32 kRingDark = rgb(0xFF000000u);
const TColor32 kRingLight = rgb(0xFFFFFFFFu);

// A ring of the given diameter centred on c, dark under light so it shows on any picture.
void ring(TMemoryGraphic &g, TPointSingle c, int32_t diameter)
{
    const sPos p{int32_t(std::lround(c.x - diameter / 2.0f)),
                 int32_t(std::lround(c.y - diameter / 2.0f))};
    g.DrawCircle(p, diameter, 2.0f, kRingDark, blendNormal, blendNormal);
    g.DrawCircle({p.x + 1, p.y + 1}, diameter - 2, 1.0f, kRingLight, blendNormal, blendNormal);
}

void dot(TMemoryGraphic &g, TPointSingle c)
{
    g.FillCircle(c, 2.5f, kRingDark, blendNormal, blendNormal);
    g.FillCircle(c, 1.5f, kRingLight, blendNormal, blendNormal);
}

void line(TMemoryGraphic &g, TPointSingle a, TPointSingle b)
{
    g.DrawLine(a, b, kRingLight, blendNormal, blendNormal);
}

TPointSingle plus(TPointSingle a, TPointSingle b)
{
    return {a.x + b.x, a.y + b.y};
}

void frame(TMemoryGraphic &g)
{
    const sRect r{0, 0, g.Width(), g.Height()};
    g.DrawRectangle(r, 1, clBtnShadow32(), clBtnHighlight32(), blendCopy, blendCopy);
    g.DrawRectangle({1, 1, r.x1 - 1, r.y1 - 1}, 1, cl3DDkShadow32(), cl3DLight32(), blendCopy,
                    blendCopy);
}
} // namespace

SFltLight makePreviewLight(int32_t kind, TColor32 colour, float intensity, float range, float posx,
                           float posy, float z, float heading, float pitch, float diffuse)
{
    SFltLight l;
    initFltLight(l);
    l.kind = kind;
    l.power = truncHalf(intensity);
    l.color.all = colour.bgra;
    l.color.A = 255;
    l.range = truncHalf(range);
    l.posx = posx;
    l.posy = posy;
    l.posz = truncHalf(z);
    l.theta = radians(-double(heading));
    l.phi = radians(pitch);
    l.wide = truncHalf(diffuse);
    return l;
}

// ---------------------------------------------------------------------------------------------
// TLightPreview

TLightPreview::TLightPreview(QWidget *parent) : TGraphicControl(parent)
{
    FImage.SetSize(4, 4);
    FPosImage.SetSize(kGlyphSize, kGlyphSize);
    FWork.SetSize(1, 1);
    FSrcTC.Resize(1, 1);
    FSrcTC.fillAll(0);
}

void TLightPreview::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    FImage.SetSize(std::max(width, 4), std::max(height, 4));
    FTargetPos = {(width - FTargetSize.width()) / 2, (height - FTargetSize.height()) / 2};
    placeLight();
    changed(false);
}

bool TLightPreview::Attach(const CFlt4Core &core)
{
    const sRect r = core.maskRect();
    const int32_t sw = r.x1 - r.x0, sh = r.y1 - r.y0;
    const TMTC *flow = core.host() ? core.host()->flowCanvas() : nullptr;
    if (sw <= 0 || sh <= 0 || !flow || r.x0 < 0 || r.y0 < 0 || r.x1 > flow->width() ||
        r.y1 > flow->height())
        return false;
    // The longer side 160, the shorter in proportion.
    const int32_t longer = std::max(sw, sh), shorter = std::min(sw, sh);
    const int32_t s = std::clamp(int32_t(std::trunc(double(shorter) * kThumbMax / longer + 0.5)), 1,
                                 int32_t(kThumbMax));
    const int32_t tw = sw >= sh ? kThumbMax : s, th = sw >= sh ? s : kThumbMax;
    TMTC crop(sw, sh);
    crop.copyAreaNC(*flow, {0, 0}, {r.x0, r.y0, sw, sh});
    if (!FSrcTC.Resize(tw, th) || !scaleCanvasInto(FSrcTC, crop, false, 0))
        return false;
    FTargetSize = {tw, th};
    FWork.SetSize(tw, th);
    FTargetPos = {(width() - tw) / 2, (height() - th) / 2};
    placeLight();
    changed(false);
    return true;
}

void TLightPreview::placeLight()
{
    const QPoint c = centre();
    const int w = FTargetSize.width(), h = FTargetSize.height();
    FPos = {c.x() + std::clamp(int(std::lround(w * FRelativePos.x)), -w, w),
            c.y() + std::clamp(int(std::lround(h * FRelativePos.y)), -h, h)};
}

void TLightPreview::updateHandles()
{
    const double h = radians(-double(FHeading));
    const double tilt = radians(FPitch);
    FAnglePos = {float(std::cos(h) * 24 * std::sin(tilt)),
                 float(std::sin(h) * 24 * std::sin(tilt))};
    const double half = radians(FDiffuse / 2);
    FDiffusePos0 = {float(std::cos(h - half) * 32), float(std::sin(h - half) * 32)};
    FDiffusePos1 = {float(std::cos(h + half) * 32), float(std::sin(h + half) * 32)};
}

void TLightPreview::drawLit()
{
    const int32_t w = FTargetSize.width(), h = FTargetSize.height();
    FWork.FillCheckBoard({0, 0, w, h}, {4, 4}, rgb(0xFFFFFFFFu), rgb(0xFFCCCCCCu), blendCopy,
                         blendCopy);
    const SFltLight light = makePreviewLight(
        FKind, FSourceColor, FIntensity, FRange, float(FPos.x() - FTargetPos.x()) / float(w),
        float(FPos.y() - FTargetPos.y()) / float(h), FZ, FHeading, FPitch, FDiffuse);
    const std::unique_ptr<TLight4> model = createLightModel(light, w, h);
    const int32_t lightness = truncHalf(FLightness);
    const int32_t ambR = lightingAmbient(FAmbientColor.r, lightness);
    const int32_t ambG = lightingAmbient(FAmbientColor.g, lightness);
    const int32_t ambB = lightingAmbient(FAmbientColor.b, lightness);
    std::vector<TColor32> lit(size_t(w) * size_t(h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const sBGRA s{.all = FSrcTC.getColor(x, y)};
            TColor32 &c = lit[size_t(y) * size_t(w) + size_t(x)];
            c.bgra = s.all;
            // Without a model the filter leaves the layer as it is.
            if (!model)
                continue;
            int32_t R, G, B;
            model->CalcPixel(R, G, B, x, y);
            c.r = channel(s.R + R + ambR);
            c.g = channel(s.G + G + ambG);
            c.b = channel(s.B + B + ambB);
        }
    // Over the opaque checkerboard, which stays opaque.
    FWork.BlendImage(0, 0, w, h, lit.data(), 0, 0, w, h, blendNormal, blendKeep);
}

void TLightPreview::drawGlyph()
{
    FPosImage.Clear();
    const TPointSingle c{kGlyphSize / 2.0f, kGlyphSize / 2.0f};
    ring(FPosImage, c, 65);
    if (FKind != 0) {
        ring(FPosImage, c, 49);
        line(FPosImage, c, plus(c, FDiffusePos0));
        line(FPosImage, c, plus(c, FDiffusePos1));
        dot(FPosImage, plus(c, FDiffusePos0));
        dot(FPosImage, plus(c, FDiffusePos1));
        dot(FPosImage, plus(c, FAnglePos));
    }
    dot(FPosImage, c);
}

void TLightPreview::DrawImages()
{
    if (!FImage.Prepared())
        return;
    FImage.Clear();
    FImage.BlendImage(FTargetPos.x(), FTargetPos.y(), FWork.Width(), FWork.Height(), FWork, 0, 0,
                      blendNormal, blendNormal);
    FImage.BlendImage(FPos.x() - 34, FPos.y() - 34, kGlyphSize, kGlyphSize, FPosImage, 0, 0,
                      blendNormal, blendNormal);
    frame(FImage);
    update();
}

void TLightPreview::changed(bool notify)
{
    updateHandles();
    drawLit();
    drawGlyph();
    DrawImages();
    if (notify && OnChange)
        OnChange(this);
}

void TLightPreview::SetParams(const SFltLight &light, TColor32 ambient, int32_t lightness,
                              bool update)
{
    FKind = light.kind;
    FRelativePos = {std::clamp(light.posx - 0.5f, -1.5f, 1.5f),
                    std::clamp(light.posy - 0.5f, -1.5f, 1.5f)};
    FZ = float(light.posz);
    FHeading = float(-degrees(light.theta));
    FPitch = float(degrees(light.phi));
    FDiffuse = float(light.wide);
    FSourceColor.bgra = light.color.all;
    FIntensity = float(light.power);
    FRange = float(light.range);
    FAmbientColor = ambient;
    FLightness = float(lightness);
    placeLight();
    changed(update);
}

TLightPreviewPart TLightPreview::HitTest(int x, int y) const
{
    if (FKind == 0)
        return lppPos;
    const double r = std::hypot(double(x - FPos.x()), double(y - FPos.y()));
    if (r <= 4)
        return lppPos;
    if (r <= 28)
        return lppAngle;
    if (r <= 36)
        return lppDiffuse;
    return lppPos; // the light jumps to the pointer
}

void TLightPreview::setKind(int32_t kind)
{
    if (kind == FKind)
        return;
    FKind = kind;
    changed(true);
}

void TLightPreview::setX(float v)
{
    FRelativePos.x = std::clamp(v, -1.5f, 1.5f);
    placeLight();
    changed(false);
}

void TLightPreview::setY(float v)
{
    FRelativePos.y = std::clamp(v, -1.5f, 1.5f);
    placeLight();
    changed(false);
}

void TLightPreview::setHeading(float v)
{
    if (v == FHeading)
        return;
    FHeading = v;
    changed(true);
}

void TLightPreview::setPitch(float v)
{
    v = std::clamp(v, 0.0f, 90.0f);
    if (v == FPitch)
        return;
    FPitch = v;
    changed(true);
}

void TLightPreview::setDiffuse(float v)
{
    v = std::clamp(v, 3.0f, 180.0f);
    if (v == FDiffuse)
        return;
    FDiffuse = v;
    changed(true);
}

void TLightPreview::setZ(float v)
{
    FZ = v;
    changed(false);
}

void TLightPreview::setSourceColor(TColor32 c)
{
    FSourceColor = c;
    changed(false);
}

void TLightPreview::setIntensity(float v)
{
    FIntensity = v;
    changed(false);
}

void TLightPreview::setRange(float v)
{
    FRange = v;
    changed(false);
}

void TLightPreview::setAmbientColor(TColor32 c)
{
    FAmbientColor = c;
    changed(false);
}

void TLightPreview::setLightness(float v)
{
    FLightness = v;
    changed(false);
}

void TLightPreview::Paint(QPainter &painter)
{
    if (FImage.Prepared())
        FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
}

void TLightPreview::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                              bool)
{
    if (button != Qt::LeftButton || !isVisible() || !isEnabled())
        return;
    FDragPart = HitTest(x, y);
    MouseMove(Qt::LeftButton, shift, x, y);
}

void TLightPreview::MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)
{
    if (FDragPart == lppNull || !isVisible() || !isEnabled())
        return;
    switch (FDragPart) {
    case lppPos: {
        const QPoint c = centre();
        const int w = FTargetSize.width(), h = FTargetSize.height();
        FPos = {std::clamp(x, c.x() - w, c.x() + w), std::clamp(y, c.y() - h, c.y() + h)};
        FRelativePos = {std::clamp(float(x - c.x()) / float(w), -1.5f, 1.5f),
                        std::clamp(float(y - c.y()) / float(h), -1.5f, 1.5f)};
        break;
    }
    case lppAngle: {
        const double dx = x - FPos.x() + 1, dy = FPos.y() - y - 1;
        FHeading = float(degrees(std::atan2(dy, dx)));
        const double r = std::min(std::hypot(dx, dy), 24.0);
        FPitch = std::clamp(float(90 - degrees(std::acos(r / 24))), 0.0f, 90.0f);
        break;
    }
    case lppDiffuse: {
        const double a = degrees(std::atan2(double(FPos.y() - y), double(x - FPos.x())));
        FDiffuse = std::clamp(float(std::fabs(fold180(FHeading - a)) * 2), 3.0f, 180.0f);
        break;
    }
    case lppNull:
        return;
    }
    changed(true);
}

void TLightPreview::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    if (button == Qt::LeftButton)
        FDragPart = lppNull;
}

// ---------------------------------------------------------------------------------------------
// TLightControl

TLightControl::TLightControl(QWidget *parent) : TGraphicControl(parent)
{
    FImage.SetSize(4, 4);
    FWork.SetSize(1, 1);
}

void TLightControl::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    FImage.SetSize(std::max(width, 4), std::max(height, 4));
    FWork.SetSize(std::max(width - 4, 1), std::max(height - 4, 1));
    FInnerTop = 38;
    FInnerHeight = height - 76;
    updateHandles();
    drawLit();
    drawImage();
}

void TLightControl::updateHandles()
{
    FDistancePos = {width() / 2,
                    int(std::trunc((1 - FDistance) * float(FInnerHeight) + float(FInnerTop)))};
    const double p = radians(FPitch), half = radians(FDiffuse / 2);
    FPitchPos = {float(std::sin(p) * 24.5), float(std::cos(p) * 24.5)};
    FDiffusePos0 = {float(std::sin(p - half) * 32.5), float(std::cos(p - half) * 32.5)};
    FDiffusePos1 = {float(std::sin(p + half) * 32.5), float(std::cos(p + half) * 32.5)};
}

void TLightControl::drawLit()
{
    FWork.FillRectangle({0, 0, FWork.Width(), FWork.Height()}, rgb(0xFF000000u), blendCopy,
                        blendCopy);
    const int32_t h = FInnerHeight / 3;
    if (h <= 0)
        return;
    // A white light lying in the picture plane, its axis turned by the tilt, placed at the
    // handle.
    const SFltLight light = makePreviewLight(
        FKind, rgb(0xFFFFFFFFu), float(std::trunc(FIntensity * 100 + 0.5f)),
        float(std::trunc(FRange * 100 + 0.5f)), float(FDistancePos.x() - 2) / float(h),
        float(FDistancePos.y() - 2) / float(h), 0, FPitch - 90, 90, FDiffuse);
    const std::unique_ptr<TLight4> model = createLightModel(light, h, h);
    if (!model)
        return;
    for (int32_t y = 0; y < FWork.Height(); ++y)
        for (int32_t x = 0; x < FWork.Width(); ++x) {
            int32_t R, G, B;
            model->CalcPixel(R, G, B, x, y);
            TColor32 *c = FWork.Seek(x, y);
            c->r = channel(c->r + R / 2);
            c->g = channel(c->g + G / 2);
            c->b = channel(c->b + B / 2);
        }
}

void TLightControl::drawImage()
{
    if (!FImage.Prepared())
        return;
    FImage.Clear();
    FImage.BlendImage(2, 2, FWork.Width(), FWork.Height(), FWork, 0, 0, blendNormal, blendNormal);
    const int floorY = FInnerTop + FInnerHeight;
    FImage.FillRectangle({10, floorY, width() - 10, floorY + 1}, clBtnShadow32(), blendCopy,
                         blendCopy);
    FImage.FillRectangle({width() / 2, FInnerTop, width() / 2 + 1, floorY}, clBtnShadow32(),
                         blendCopy, blendCopy);
    frame(FImage);
    const TPointSingle c{float(FDistancePos.x()), float(FDistancePos.y())};
    ring(FImage, c, 65);
    if (FKind != 0) {
        ring(FImage, c, 49);
        line(FImage, c, plus(c, FDiffusePos0));
        line(FImage, c, plus(c, FDiffusePos1));
        dot(FImage, plus(c, FPitchPos));
        dot(FImage, plus(c, FDiffusePos0));
        dot(FImage, plus(c, FDiffusePos1));
    }
    dot(FImage, c);
    update();
}

void TLightControl::SetParams(float distance, float intensity, float range, float pitch,
                              float diffuse)
{
    if (FKind == 0)
        pitch = diffuse = 0;
    if (distance == FDistance && intensity == FIntensity && range == FRange && pitch == FPitch &&
        diffuse == FDiffuse)
        return;
    FDistance = distance;
    FIntensity = intensity;
    FRange = range;
    FPitch = pitch;
    FDiffuse = diffuse;
    updateHandles();
    if (OnChange)
        OnChange(this);
    drawLit();
    drawImage();
}

void TLightControl::setKind(int32_t kind)
{
    FKind = kind;
    updateHandles();
    drawImage();
}

TLightControlPart TLightControl::HitTest(int x, int y) const
{
    if (FKind == 0)
        return lcpDistance;
    const double r = std::hypot(double(x - FDistancePos.x()), double(y - FDistancePos.y()));
    if (r <= 4)
        return lcpDistance;
    if (std::fabs(r - 24) <= 4)
        return lcpPitch;
    if (std::fabs(r - 32) <= 4)
        return lcpDiffuse;
    return lcpDistance;
}

void TLightControl::Paint(QPainter &painter)
{
    if (FImage.Prepared())
        FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
}

void TLightControl::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                              bool)
{
    if (button != Qt::LeftButton || !isVisible() || !isEnabled())
        return;
    FDragPart = HitTest(x, y);
    MouseMove(Qt::LeftButton, shift, x, y);
}

void TLightControl::MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)
{
    if (FDragPart == lcpNull || !isVisible() || !isEnabled() || FInnerHeight <= 0)
        return;
    const double angle =
        degrees(std::atan2(-double(y - FDistancePos.y()), double(x - FDistancePos.x())));
    switch (FDragPart) {
    case lcpDistance:
        setDistance(
            std::clamp(float(FInnerHeight + FInnerTop - y) / float(FInnerHeight), 0.0f, 1.0f));
        break;
    case lcpPitch: {
        double a = angle + 90;
        if (a > 180)
            a -= 360;
        setPitch(std::clamp(float(a), 0.0f, 90.0f));
        break;
    }
    case lcpDiffuse:
        setDiffuse(std::clamp(float(std::fabs(fold180(FPitch - angle + 270)) * 2), 3.0f, 180.0f));
        break;
    case lcpNull:
        break;
    }
}

void TLightControl::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    if (button == Qt::LeftButton)
        FDragPart = lcpNull;
}
