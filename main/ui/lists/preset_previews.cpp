#include "ui/lists/preset_previews.h"

#include "core/base/geometry.h"
#include "core/image/channel.h"
#include "core/scale/scale_image.h"
#include "paint/gradient/gradation.h"
#include "paint/tone/pattern_tiles.h"
#include "paint/tone/tone_maker.h"
#include "ui/graphics/appearance.h"
#include "ui/graphics/brush_previews.h"
#include "ui/lists/tone_list_view.h"

#include <QPainter>

#include <algorithm>
#include <cstdint>

namespace {

sRect toS(const QRect &r)
{
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// Larger tiles are not worth a preview: they would only cost memory.
constexpr int64_t kMaxTileSide = 8192;

int32_t wrap(int32_t v, int32_t n)
{
    const int32_t m = v % n;
    return m < 0 ? m + n : m;
}

uint32_t greyPixel(uint32_t g)
{
    return 0xFF000000u | (g << 16) | (g << 8) | g;
}

} // namespace

// ---- TPresetPreview

TPresetPreview::TPresetPreview(QWidget *parent)
    : TGraphicControl(parent),
      FImage(clBtnFace32()),
      FWork(clWindow32()),
      FCheckColor1(makeColor32(255, 255, 255, 255)),
      FCheckColor2(makeColor32(204, 204, 204, 255))
{
    setNoStdEvents(true);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

TPresetPreview::~TPresetPreview() = default;

void TPresetPreview::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    if (FImage.Prepared() && FImage.Width() == width && FImage.Height() == height)
        return;
    FImage.SetSize(std::max(width, 1), std::max(height, 1));
    FWork.SetSize(std::max(width - 4, 1), std::max(height - 4, 1));
    FPreviewRect = QRect(QPoint(2, 2), QPoint(width - 2 - 1, height - 2 - 1));
    Redraw();
}

void TPresetPreview::Redraw()
{
    if (FWork.Prepared())
        DrawPreview();
    if (FImage.Prepared())
        DrawImages();
}

void TPresetPreview::DrawPreview()
{
    FWork.Clear();
}

void TPresetPreview::DrawImages()
{
    ++FDrawCount;
    FImage.Clear();
    const int w = FImage.Width(), h = FImage.Height();
    FImage.DrawRectangle({0, 0, w, h}, 1, clBtnShadow32(), blendCopy, blendKeep);
    FImage.DrawRectangle({1, 1, w - 1, h - 1}, 1, clWindow32(), blendCopy, blendKeep);
    // A control of 4 pixels or less shows its frames only.
    if (FPreviewRect.width() > 0 && FPreviewRect.height() > 0) {
        const QRect r = FPreviewRect;
        if (FUseCheckBoard) {
            FImage.FillCheckBoard(toS(r), {FCheckSize.width(), FCheckSize.height()}, FCheckColor1,
                                  FCheckColor2, blendCopy, blendCopy);
            FImage.BlendImage(r.left(), r.top(), r.width(), r.height(), FWork, 0, 0, blendNormal,
                              blendKeep);
        } else {
            FImage.Copy(r.left(), r.top(), r.width(), r.height(), FWork.Seek(0, 0), 0, 0,
                        FWork.Width(), FWork.Height());
        }
    }
    update();
}

void TPresetPreview::Paint(QPainter &painter)
{
    if (isVisible() && parentWidget() && FImage.Prepared())
        FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
}

// ---- TPenNibPreview

TPenNibPreview::TPenNibPreview(QWidget *parent) : TPresetPreview(parent)
{
    initShapeImageParam(FShapeImageParam);
}

void TPenNibPreview::SetShapeImageParam(const TShapeImageParam &AShapeImageParam)
{
    FShapeImageParam = AShapeImageParam;
    // The image is copied: the nib it came from may go first.
    const sSize size = AShapeImageParam.ShapeImageSize;
    if (AShapeImageParam.ShapeImage && size.x > 0 && size.y > 0) {
        auto copy = std::make_shared<std::vector<uint8_t>>(
            AShapeImageParam.ShapeImage,
            AShapeImageParam.ShapeImage + size_t(size.x) * size_t(size.y));
        FShapeImageParam.ShapeImage = copy->data();
        FShapeImageParam.ShapeImageCopy = std::move(copy);
    } else {
        FShapeImageParam.ShapeImage = nullptr;
        FShapeImageParam.ShapeImageCopy.reset();
    }
    Redraw();
}

void TPenNibPreview::DrawPreview()
{
    drawBrushShape(FWork, FShapeImageParam, clWindowText32(), clWindowText32(), true, 1.0f);
}

// ---- TSwatchPreview

TSwatchPreview::TSwatchPreview(QWidget *parent) : TPresetPreview(parent), FColor(clWhite32) {}

void TSwatchPreview::SetColor(TColor32 AColor)
{
    FColor = AColor;
    FColor.a = 255;
    Redraw();
}

void TSwatchPreview::DrawPreview()
{
    FWork.setColor(FColor);
    FWork.Clear();
}

// ---- TGradientPreview

TGradientPreview::TGradientPreview(QWidget *parent) : TPresetPreview(parent)
{
    initGradAttr(FGradAttr);
    FUseCheckBoard = true;
}

TGradientPreview::~TGradientPreview() = default;

void TGradientPreview::SetGradient(const CGradObj *AGradient, const SGradAttr &Attr)
{
    FGradObj = AGradient ? std::make_unique<CGradObj>(*AGradient) : nullptr;
    FGradAttr = Attr;
    Redraw();
}

void TGradientPreview::DrawPreview()
{
    FWork.Clear();
    const int w = FWork.Width(), h = FWork.Height();
    if (!FMTC.Resize(w, h))
        return;
    if (!FGradObj || !drawGradObjPreview(FMTC, *FGradObj, FGradAttr))
        FMTC.fillAll(0); // transparent: the checker board shows
    FWork.Copy(0, 0, w, h, reinterpret_cast<const TColor32 *>(FMTC.seek32(0, 0)), 0, 0, w, h);
}

// ---- TTonePreview

TTonePreview::TTonePreview(QWidget *parent)
    : TPresetPreview(parent), FToneMaker(std::make_unique<CToneMaker>())
{
}

TTonePreview::~TTonePreview() = default;

void TTonePreview::SetTone(const CPat8 *ATone)
{
    FToneObj = ATone ? copyPatternTile(*ATone) : nullptr;
    Redraw();
}

bool TTonePreview::DrawScreenTone()
{
    const auto &tone = static_cast<const CPat8Tone &>(*FToneObj);
    const SToneAttr &a = tone.toneAttr;
    // A ruling of 0 or less has no screen to show.
    if (!(a.line > 0))
        return false;
    const float pitch = float(tone.zoom) * a.dpi / (a.line * 100.0f);
    if (!FToneMaker->buildTone(a.pattern, pitch, a.degree, a.percent, a.band))
        return false;
    for (int32_t y = 0; y < FMTC.height(); ++y)
        for (int32_t x = 0; x < FMTC.width(); ++x) {
            const uint32_t v = FToneMaker->getTone(x - tone.ofs.x, y - tone.ofs.y) & 0xFF;
            FMTC.seek32(x, y)->all = greyPixel(tone.Fnega ? v : 255 - v);
        }
    return true;
}

bool TTonePreview::DrawPattern()
{
    const CPat8 &pat = *FToneObj;
    const TChannel *src = pat.channel();
    if (!src || !src->isEnable())
        return false;
    const int64_t w = int64_t(src->width()) * pat.zoom / 100;
    const int64_t h = int64_t(src->height()) * pat.zoom / 100;
    // A zoom that leaves no pixel (or far too many) shows white.
    if (w <= 0 || h <= 0 || w > kMaxTileSide || h > kMaxTileSide)
        return false;
    TChannel scaled{int32_t(w), int32_t(h)};
    if (!scaled.isEnable())
        return false;
    const sSize to{int32_t(w), int32_t(h)};
    if (to == src->FPSZ()) {
        for (int32_t y = 0; y < to.y; ++y)
            std::copy_n(src->seek8(0, y), to.x, scaled.seek8(0, y));
    } else {
        CScaleImageCH scaler(src, &scaled);
        scaler.scale(boxFromSize(src->FPSZ()), boxFromSize(to));
    }
    for (int32_t y = 0; y < FMTC.height(); ++y)
        for (int32_t x = 0; x < FMTC.width(); ++x) {
            const uint32_t v = *scaled.seek8(wrap(x - pat.ofs.x, to.x), wrap(y - pat.ofs.y, to.y));
            FMTC.seek32(x, y)->all = greyPixel(pat.Fnega ? v : 255 - v);
        }
    return true;
}

void TTonePreview::DrawPreview()
{
    FWork.Clear();
    const int w = FWork.Width(), h = FWork.Height();
    if (!FMTC.Resize(w, h))
        return;
    bool drawn = false;
    if (FToneObj)
        drawn = dynamic_cast<const CPat8Tone *>(FToneObj.get()) ? DrawScreenTone() : DrawPattern();
    if (!drawn)
        FMTC.fillAll(0xFFFFFFFFu);
    FWork.BlendImage(0, 0, w, h, reinterpret_cast<const TColor32 *>(FMTC.seek32(0, 0)), 0, 0, w, h,
                     blendMultiply, blendKeep);
}
