#include "ui/graphics/glyph_manager.h"

#include "core/image/canvas.h"
#include "ui/graphics/appearance.h"
#include "ui/graphics/glyph_strip.h"

#include <QPainter>

TqZGlyphManager *gGlyphManager = nullptr;

TqZGlyphManager::TqZGlyphManager() : TqZGlyphManager(builtinGlyphStrip()) {}

TqZGlyphManager::TqZGlyphManager(const QByteArray &strip)
{
    FGlyphs.reserve(size_t(3 * kGlyphTypeCount));
    for (int g = 0; g < kGlyphTypeCount; ++g)
        for (int s = 0; s < kGlyphStateCount; ++s)
            FGlyphs.push_back(std::make_unique<TMemoryGraphic>(
                kGlyphSize, kGlyphSize, s == gsDisabled ? clGrayText32() : clBtnFaceClear32()));
    tint(strip);
}

TqZGlyphManager::~TqZGlyphManager() = default;

TGraphicGlyphSet TqZGlyphManager::GetGlyphSet(TqZGlyphType AIndex) const
{
    return {GetGlyphs(AIndex, gsNone), GetGlyphs(AIndex, gsActive), GetGlyphs(AIndex, gsDisabled)};
}

void TqZGlyphManager::tint(const QByteArray &strip)
{
    TMTC canvas;
    if (!canvas.loadBitmap(strip.constData(), size_t(strip.size()), nullptr) ||
        canvas.width() < kGlyphSize)
        return;
    // Background and ink of each state.
    const TColor32 paper[3] = {clWindow32(), clHighlightText32(), clBtnFace32()};
    const TColor32 ink[3] = {clWindowText32(), clHighlight32(), clGrayText32()};
    const int32_t height = canvas.height();
    const int glyphs = std::min(kGlyphTypeCount, int(height / kGlyphSize));
    for (int g = 0; g < glyphs; ++g)
        for (int32_t y = 0; y < kGlyphSize; ++y) {
            // The file's rows come bottom first: picture row r is canvas row height - 1 - r.
            const int32_t r = g * kGlyphSize + y;
            const sBGRA *src = canvas.seek32(0, height - 1 - r);
            for (int32_t x = 0; x < kGlyphSize; ++x) {
                const float k = byteWeight(255u - src[x].G);
                for (int s = 0; s < kGlyphStateCount; ++s) {
                    TColor32 &p = *FGlyphs[size_t(3 * g + s)]->Seek(x, y);
                    p.r = blendNormal(paper[s].r, ink[s].r, k);
                    p.g = blendNormal(paper[s].g, ink[s].g, k);
                    p.b = blendNormal(paper[s].b, ink[s].b, k);
                    p.a = src[x].R;
                }
            }
        }
}

TqZGlyphType paintModeToGlyphType(TPaintMode mode)
{
    using G = TqZGlyphType;
    static constexpr G table[kPaintModeCount] = {
        G::qgPencil1,     G::qgEraser1,     G::qgWaterColor1, G::qgAirBrush1, G::qgBlur1,
        G::qgBlur1,       G::qgFingertip1,  G::qgBurn1,       G::qgDodge1,    G::qgPencil4,
        G::qgEraser4,     G::qgWaterColor4, G::qgAirBrush4,   G::qgBlur4,     G::qgFingertip4,
        G::qgSpread4,     G::qgBurn4,       G::qgDodge4,      G::qgPencil5,   G::qgEraser5,
        G::qgWaterColor5, G::qgAirBrush5};
    const int i = int(mode);
    return i < kPaintModeCount ? table[i] : G::qgPencil1;
}

TqZGlyphType toolDetailToGlyphType(TToolDetail tool)
{
    using G = TqZGlyphType;
    static constexpr G table[kToolDetailCount] = {G::qgPencil5,
                                                  G::qgPencil4,
                                                  G::qgPencil1,
                                                  G::qgEraser5,
                                                  G::qgSeedEraser,
                                                  G::qgEraser4,
                                                  G::qgEraser1,
                                                  G::qgWaterColor5,
                                                  G::qgWaterColor4,
                                                  G::qgWaterColor1,
                                                  G::qgAirBrush5,
                                                  G::qgAirBrush4,
                                                  G::qgAirBrush1,
                                                  G::qgBlur4,
                                                  G::qgFingertip4,
                                                  G::qgSpread4,
                                                  G::qgBlur1,
                                                  G::qgFingertip1,
                                                  G::qgBurn4,
                                                  G::qgDodge4,
                                                  G::qgBurn1,
                                                  G::qgDodge1,
                                                  G::qgFillRectangle,
                                                  G::qgFillEllipse,
                                                  G::qgFillPolygon,
                                                  G::qgFillLasso,
                                                  G::qgSeedFill,
                                                  G::qgGradient,
                                                  G::qgSelectRectangle,
                                                  G::qgSelectEllipse,
                                                  G::qgSelectPolygon,
                                                  G::qgSelectLasso,
                                                  G::qgMagicWand,
                                                  G::qgMoveLayer,
                                                  G::qgMoveLayerWithSelection,
                                                  G::qgFillText,
                                                  G::qgSelectText,
                                                  G::qgCrop,
                                                  G::qgSpuit,
                                                  G::qgGrabber,
                                                  G::qgDegree,
                                                  G::qgZoom};
    const int i = int(tool);
    return i < kToolDetailCount ? table[i] : G::qgPencil5;
}

// ---- TqZGlyphLabel

TqZGlyphLabel::TqZGlyphLabel(QWidget *parent) : TGraphicControl(parent)
{
    takeImage();
}

TqZGlyphLabel::~TqZGlyphLabel() = default;

void TqZGlyphLabel::takeImage()
{
    FImageRef = gGlyphManager ? gGlyphManager->GetGlyphs(FType, isEnabled() ? gsNone : gsDisabled)
                              : nullptr;
}

void TqZGlyphLabel::setGlyphType(TqZGlyphType value)
{
    if (value == FType)
        return;
    FType = value;
    takeImage();
    update();
}

void TqZGlyphLabel::setReadOnly(bool value)
{
    FReadOnly = value;
    setNoStdEvents(value || !isEnabled());
}

void TqZGlyphLabel::SetEnabled(bool value)
{
    setEnabled(value);
    takeImage();
    TGraphicControl::SetEnabled(value);
}

void TqZGlyphLabel::Paint(QPainter &painter)
{
    if (!FImageRef || !isVisible() || !parentWidget())
        return;
    FImageRef->Draw(painter, (width() - kGlyphSize) / 2, (height() - kGlyphSize) / 2, kGlyphSize,
                    kGlyphSize, 0, 0, blendNormal, blendKeep);
}

void TqZGlyphLabel::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int, bool dbl)
{
    if (button != Qt::LeftButton || dbl || FReadOnly)
        return;
    FLastX = x;
    FDragging = true;
    if (OnBeginDrag)
        OnBeginDrag(this, FStartPosition);
    FPosition = FStartPosition;
}

void TqZGlyphLabel::MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int)
{
    if (!FDragging)
        return;
    FPosition = float(x - FLastX) / 100 + FStartPosition;
    if (OnDrag)
        OnDrag(this, FPosition);
}

void TqZGlyphLabel::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int)
{
    if (button != Qt::LeftButton || !FDragging)
        return;
    FDragging = false;
    FPosition = float(x - FLastX) / 100 + FStartPosition;
    if (OnEndDrag)
        OnEndDrag(this, FPosition);
}
