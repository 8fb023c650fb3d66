// The drawing surface of every owner-drawn control: a 32-bit picture in our own pixel memory
// (B, G, R, A per pixel, rows top-down, stride exactly the width) that the program writes
// directly and copies to the screen in one transfer. Alpha 255 is opaque.
//
// Every drawing call clips its rectangle to the picture first (CalcDrawRect) and answers false,
// changing nothing, when nothing is left or the picture is not Prepared. A pixel is "put" with a
// colour C, a colour weight w and an alpha weight v as follows: r, g, b (in this order) :=
// BlendRGB(channel, C's channel, w), then a := BlendA(a, C.a, v); unless a call says otherwise
// w = C.a / 255 and v = 1. Shapes give a coverage t instead: t >= 1 puts with w = C.a / 255 and
// v = 1, 0 < t < 1 with w = t * C.a / 255 and v = t, t <= 0 leaves the pixel.
//
// Rectangles are sRect (left, top, right, bottom; right and bottom exclusive).
#pragma once

#include "core/base/geometry.h"
#include "core/image/dib_core.h"
#include "ui/graphics/colour32.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

class QPainter;

// Text flag of DrawText: measure only.
constexpr uint32_t DT_CALCRECT = 0x0400;

class TMemoryGraphic
{
  public:
    // No pixels, size 0 x 0, background white with alpha 0.
    TMemoryGraphic();
    explicit TMemoryGraphic(TColor32 AColor);
    // With pixels, cleared to the background.
    TMemoryGraphic(int32_t AWidth, int32_t AHeight);
    TMemoryGraphic(int32_t AWidth, int32_t AHeight, TColor32 AColor);
    ~TMemoryGraphic();
    TMemoryGraphic(const TMemoryGraphic &) = delete;
    TMemoryGraphic &operator=(const TMemoryGraphic &) = delete;

    TColor32 Color() const { return FColor; }
    void setColor(TColor32 c) { FColor = c; }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    void setWidth(int32_t w);
    void setHeight(int32_t h);
    bool Prepared() const { return FImage && FWidth > 0 && FHeight > 0; }

    // Sides below 1 become 1. The same size keeps the pixels (true); a new size gets new pixels
    // cleared to the background (the old content is never kept, whatever ImageCopy says). Sides
    // over 32767, or no memory, leave the picture not Prepared (false).
    bool SetSize(int32_t AWidth, int32_t AHeight, bool ImageCopy = false);
    bool Clear();

    // ---- pixels
    // Pixel (X, Y); no check.
    TColor32 *Seek(int32_t X, int32_t Y) const { return FImage.get() + X + Y * FWidth; }
    bool GetContains(int32_t X, int32_t Y) const;
    // 0 when not Prepared; otherwise (X, Y) clamped into the picture.
    TColor32 GetPixel(int32_t X, int32_t Y) const;
    bool SetPixel(int32_t X, int32_t Y, TColor32 C);
    TColor32 *GetScanLine(int32_t Y) const;
    // A view of the pixels (ARGB32, no copy); null when not Prepared. Valid until the next
    // SetSize.
    QImage image() const;

    // ---- clipping
    bool CalcDrawRect(int32_t &DX, int32_t &DY, int32_t &DW, int32_t &DH, int32_t SX, int32_t SY,
                      int32_t SW, int32_t SH) const;
    bool CalcDrawRect(int32_t &DX, int32_t &DY, int32_t &DW, int32_t &DH, const sRect &R) const;
    bool CalcDrawRect(int32_t &DX, int32_t &DY, int32_t &DW, int32_t &DH, sPos P0, sPos P1) const;
    bool CalcDrawRect(sRect &DRect, const sRect &SRect) const;

    // ---- transfers (two-buffer clipping moves both sides together)
    bool Copy(int32_t DX, int32_t DY, int32_t W, int32_t H, const TColor32 *Src, int32_t SX,
              int32_t SY, int32_t SMaxW, int32_t SMaxH);
    bool CopyTo(TColor32 *Dst, int32_t DX, int32_t DY, int32_t W, int32_t H, int32_t DMaxW,
                int32_t DMaxH, int32_t SX, int32_t SY) const;
    // Each source pixel S put with colour weight S.a / 255 and alpha weight 1.
    bool BlendImage(int32_t DX, int32_t DY, int32_t W, int32_t H, const TMemoryGraphic &Src,
                    int32_t SX, int32_t SY, TBlendProc BlendRGB, TBlendProc BlendA);
    bool BlendImage(int32_t DX, int32_t DY, int32_t W, int32_t H, const TColor32 *Ptr, int32_t SX,
                    int32_t SY, int32_t SMaxW, int32_t SMaxH, TBlendProc BlendRGB,
                    TBlendProc BlendA);

    // ---- rectangles
    bool FillRectangle(const sRect &ARect, TColor32 AColor, TBlendProc BlendRGB, TBlendProc BlendA);
    // Two-colour gradient; Dir names where the first colour starts.
    bool FillRectangle(const sRect &ARect, TColor32 C0, TColor32 C1, TAppearanceDirection Dir,
                       TBlendProc BlendRGB, TBlendProc BlendA);
    // Corners top-left C0, top-right C1, bottom-right C2, bottom-left C3.
    bool FillRectangle(const sRect &ARect, TColor32 C0, TColor32 C1, TColor32 C2, TColor32 C3,
                       TBlendProc BlendRGB, TBlendProc BlendA);
    bool FillCheckBoard(const sRect &ARect, sSize ASize, TColor32 ACol1, TColor32 ACol2,
                        TBlendProc BlendRGB, TBlendProc BlendA);
    bool DrawRectangle(const sRect &ARect, int32_t EdgeWidth, TColor32 AColor, TBlendProc BlendRGB,
                       TBlendProc BlendA);
    bool DrawRectangle(const sRect &ARect, int32_t EdgeWidth, TColor32 CTopLeft,
                       TColor32 CBottomRight, TBlendProc BlendRGB, TBlendProc BlendA);
    bool DrawRectangle(const sRect &ARect, int32_t EdgeWidth, TColor32 CLeft, TColor32 CTop,
                       TColor32 CRight, TColor32 CBottom, TBlendProc BlendRGB, TBlendProc BlendA);
    bool DrawRoundRectangle(const sRect &ARect, int32_t EdgeWidth, TColor32 AColor,
                            TBlendProc BlendRGB, TBlendProc BlendA);

    // ---- text
    // With DT_CALCRECT measures Str and updates ARect. Otherwise draws Str in AColor into ARect
    // (ARect unchanged) by the DT_ flags of core/image/display_canvas.h: the colour channels are
    // blended by the glyphs' coverage, then the alpha of the whole rectangle becomes 255.
    bool DrawText(const QString &Str, sRect &ARect, const QFont &AFont, TColor32 AColor,
                  uint32_t DTFormat);
    // A docking-view tab with its caption at the picture's top-left (18 pixels high), or with
    // DT_CALCRECT its measure.
    bool DrawTabImage(const QString &Str, sRect &ARect, uint32_t DTFormat, TTabState Active);

    // ---- to the screen
    // Plain copy of the region (SX, SY, W, H) to (DX, DY); alpha not shown.
    bool Draw(QPainter &DC, int32_t DX, int32_t DY, int32_t W, int32_t H, int32_t SX,
              int32_t SY) const;
    // Blends the region over what the image shows at (DX, DY), as BlendImage does.
    bool Draw(QImage &DC, int32_t DX, int32_t DY, int32_t W, int32_t H, int32_t SX, int32_t SY,
              TBlendProc BlendRGB, TBlendProc BlendA) const;
    // The same over a painter's device: exact when the device is a 32-bit image; on a widget
    // the region is laid over what the widget shows by its alpha (source over).
    bool Draw(QPainter &DC, int32_t DX, int32_t DY, int32_t W, int32_t H, int32_t SX, int32_t SY,
              TBlendProc BlendRGB, TBlendProc BlendA) const;

    // The header of a W x H top-down 32-bit picture; false when a side is 0.
    static bool GetBitmapInfo(tagBITMAPINFOHEADER &BMI, int32_t W, int32_t H);

    // ---- shapes (memory_graphic_shapes.cpp)
    bool FillCircle(TPointSingle Center, float Radius, TColor32 AColor, TBlendProc BlendRGB,
                    TBlendProc BlendA);
    bool FillCircle(sPos Pos, int32_t Diameter, TColor32 AColor, TBlendProc BlendRGB,
                    TBlendProc BlendA);
    bool DrawCircle(sPos Pos, int32_t Diameter, float EdgeWidth, TColor32 AColor,
                    TBlendProc BlendRGB, TBlendProc BlendA);
    bool FillEllipse(TPointSingle Center, TPointSingle Radius, float Radian, TColor32 AColor,
                     TBlendProc BlendRGB, TBlendProc BlendA);
    bool FillEllipse(TPointSingle Center, TPointSingle Radius, float MinRad, float Radian,
                     TColor32 ACol1, TColor32 ACol2, TBlendProc BlendRGB, TBlendProc BlendA);
    bool GradientEllipse(TPointSingle Center, TPointSingle Radius, float Radian, TColor32 AColor,
                         TBlendProc BlendRGB, TBlendProc BlendA);
    bool GradientEllipse(TPointSingle Center, TPointSingle Radius, float Radian, TColor32 AColor,
                         TMapProc Map, float AFlat, float AAdd, TBlendProc BlendRGB,
                         TBlendProc BlendA);
    bool FillRightTriangle(sPos P0, sPos P1, TColor32 AColor, TBlendProc BlendRGB,
                           TBlendProc BlendA);
    bool FillIsoscelesTriangle(const sRect &ARect, TColor32 AColor, TAppearanceDirection Direction,
                               TBlendProc BlendRGB, TBlendProc BlendA);
    bool FillIsoscelesTriangle(const sRect &ARect, TColor32 C0, TColor32 C1, TColor32 C2,
                               TAppearanceDirection Direction, TBlendProc BlendRGB,
                               TBlendProc BlendA);
    bool DrawLine(TPointSingle Pos0, TPointSingle Pos1, TColor32 AColor, TBlendProc BlendRGB,
                  TBlendProc BlendA);
    bool DrawPolyLine(const TPointSingle *Pos, int32_t Count, TColor32 AColor, TBlendProc BlendRGB,
                      TBlendProc BlendA);

    // ---- colour fields (memory_graphic_fields.cpp). HSV selects HSV (true) or HSL (false; V is
    // then the lightness); D is the opacity.
    bool FillHueRectangle(const sRect &ARect, float H, float S, float V, float D,
                          TAppearanceDirection Dir, TBlendProc BlendRGB, TBlendProc BlendA,
                          bool HSV);
    bool FillSaturationRectangle(const sRect &ARect, float H, float V, float D,
                                 TAppearanceDirection Dir, TBlendProc BlendRGB, TBlendProc BlendA,
                                 bool HSV);
    bool FillValueRectangle(const sRect &ARect, float H, float S, float D, TAppearanceDirection Dir,
                            TBlendProc BlendRGB, TBlendProc BlendA, bool HSV);
    bool FillHueValueRectangle(const sRect &ARect, float H, float S, float D,
                               TAppearanceDirection DirH, TAppearanceDirection DirV,
                               TBlendProc BlendRGB, TBlendProc BlendA, bool HSV);
    bool FillHueSaturationRectangle(const sRect &ARect, float H, float V, float D,
                                    TAppearanceDirection DirH, TAppearanceDirection DirS,
                                    TBlendProc BlendRGB, TBlendProc BlendA, bool HSV);
    bool FillSaturationValueRectangle(const sRect &ARect, float H, float D,
                                      TAppearanceDirection DirS, TAppearanceDirection DirV,
                                      TBlendProc BlendRGB, TBlendProc BlendA, bool HSV);
    bool FillHueCircle(sPos Pos, int32_t Diameter, float H, float S, float V, float D,
                       TBlendProc BlendRGB, TBlendProc BlendA, bool HSV);
    bool FillHueSaturationCircle(sPos Pos, int32_t Diameter, float H, float V, float D,
                                 TBlendProc BlendRGB, TBlendProc BlendA, bool HSV);
    bool FillHueValueCircle(sPos Pos, int32_t Diameter, float H, float S, float D,
                            TBlendProc BlendRGB, TBlendProc BlendA, bool HSV);
    bool DrawHueCircle(sPos Pos, int32_t Diameter, float EdgeWidth, float H, float S, float V,
                       float D, TBlendProc BlendRGB, TBlendProc BlendA, bool HSV);

    // Puts C into pixel (X, Y) (which must lie inside) with colour weight W and alpha weight V.
    void PutPixel(int32_t X, int32_t Y, TColor32 C, float W, float V, TBlendProc BlendRGB,
                  TBlendProc BlendA)
    {
        TColor32 &p = *Seek(X, Y);
        p.r = BlendRGB(p.r, C.r, W);
        p.g = BlendRGB(p.g, C.g, W);
        p.b = BlendRGB(p.b, C.b, W);
        p.a = BlendA(p.a, C.a, V);
    }
    // Puts C with coverage t (see the top of this file).
    void PutCoverage(int32_t X, int32_t Y, TColor32 C, double t, TBlendProc BlendRGB,
                     TBlendProc BlendA);

  protected:
    // Our allocation in place of the platform bitmap: W x H pixels, or null.
    static std::unique_ptr<TColor32[]> CreateHandles(int32_t W, int32_t H);
    static void DeleteHandles(std::unique_ptr<TColor32[]> &pixels) { pixels.reset(); }

  private:
    bool squareBox(sPos Pos, int32_t Diameter, int32_t &DX, int32_t &DY, int32_t &n) const;
    bool fillField(const sRect &ARect, TAppearanceDirection DirA, TAppearanceDirection DirB,
                   int kind, float H, float S, float V, float D, TBlendProc BlendRGB,
                   TBlendProc BlendA, bool HSV);
    bool fillCircleField(sPos Pos, int32_t Diameter, float EdgeWidth, int kind, float H, float S,
                         float V, float D, TBlendProc BlendRGB, TBlendProc BlendA, bool HSV);

    std::unique_ptr<TColor32[]> FImage;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
    TColor32 FColor = clWhiteNone32;
};

// The three images of one glyph, indexed by TGlyphState (not owned).
using TGraphicGlyphSet = std::array<TMemoryGraphic *, kGlyphStateCount>;
