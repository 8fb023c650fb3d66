#include "ui/views/loupe.h"

#include "core/pixel/pixel.h"
#include "ui/graphics/appearance.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr uint32_t kEmptyLoupe = 0x00CCCCCC;
constexpr uint32_t kCheckLight = 0xC8C8C8, kCheckDark = 0xE0E0E0;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int32_t kCheckCell = 8;
constexpr int32_t kCrossAlpha = 128;

} // namespace

TLoupeControl::TLoupeControl(QWidget *parent) : TGraphicControl(parent), FImage(true) {}

TLoupeControl::~TLoupeControl() = default;

void TLoupeControl::SetBounds(int left, int top, int width, int height)
{
    if (geometry() == QRect(left, top, width, height) && FImage.isEnable())
        return;
    FImage.Resize(width < 5 ? 4 : width, height < 5 ? 4 : height);
    TGraphicControl::SetBounds(left, top, width, height);
    ClearImage();
}

void TLoupeControl::SetMagnification(float Value)
{
    if (Value == FMagnification)
        return;
    FMagnification = Value;
    ClearImage();
}

void TLoupeControl::SetGrid(bool Value)
{
    if (Value == FGrid)
        return;
    FGrid = Value;
    ClearImage();
}

void TLoupeControl::SetBGStatus(bool visCanvasColor, bool visCheckerboard)
{
    FBackground = visCanvasColor ? lbCanvas : visCheckerboard ? lbTransparent : lbNone;
}

void TLoupeControl::ClearImage()
{
    if (!FImage.isEnable())
        return;
    FImage.fillAll(kEmptyLoupe);
    FImage.drawEdge(clBtnShadow32().bgra, clBtnHighlight32().bgra, 255);
    FImage.drawFrame(sRect{1, 1, FImage.width() - 1, FImage.height() - 1},
                     clWindowFrame32().bgra);
    if (FGrid)
        DrawCrosshair();
    update();
}

void TLoupeControl::DrawImages(const TMTC &ATC, int32_t X, int32_t Y, float ARot)
{
    if (!FImage.isEnable())
        return;
    const sBox box{2, 2, width() - 4, height() - 4};
    ATC.BltRotationPart(FImage, sPos{X, Y}, box, ARot, FMagnification);
    sRect r{box.x, box.y, box.x + box.w, box.y + box.h};
    switch (FBackground) {
    case lbTransparent:
        FImage.mixInvCheckBoard(r, sPos{0, 0}, sSize{kCheckCell, kCheckCell}, kCheckLight,
                                kCheckDark);
        break;
    case lbNone:
        FImage.mixInvFill(r, kWhite);
        break;
    case lbCanvas:
        break;
    }
    if (FGrid)
        DrawCrosshair();
    update();
}

// Strongest at the edges, gone at the centre pixel, which stays readable.
void TLoupeControl::DrawCrosshair()
{
    const int32_t w = width(), h = height();
    const int32_t cx = w / 2, cy = h / 2;
    constexpr uint32_t black = 0;
    FImage.drawLine(cx, 2, kCrossAlpha, cx, cy, 0, black, pixelPutAlpha);
    FImage.drawLine(2, cy, kCrossAlpha, cx, cy, 0, black, pixelPutAlpha);
    FImage.drawLine(cx, cy, 0, cx, h - 4, kCrossAlpha, black, pixelPutAlpha);
    FImage.drawLine(cx, cy, 0, w - 4, cy, kCrossAlpha, black, pixelPutAlpha);
}

void TLoupeControl::Paint(QPainter &painter)
{
    if (isVisible() && parentWidget() && FImage.isEnable())
        FImage.Flip2HDC(painter, 0, 0);
}
