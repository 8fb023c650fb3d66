#include "ui/graphics/memory_graphic.h"

#include "core/image/display_canvas.h"
#include "platform/desktop/font.h"
#include "ui/graphics/appearance.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <new>
#include <vector>

namespace {

constexpr int32_t kMaxSide = 32767;

// Two-buffer clipping: a negative position on either side moves the other side with it, then the
// size is cut to what both buffers hold.
bool clipBoth(int32_t &DX, int32_t &DY, int32_t &W, int32_t &H, int32_t &SX, int32_t &SY,
              int32_t DMaxW, int32_t DMaxH, int32_t SMaxW, int32_t SMaxH)
{
    if (DX < 0) {
        SX -= DX;
        W += DX;
        DX = 0;
    }
    if (DY < 0) {
        SY -= DY;
        H += DY;
        DY = 0;
    }
    if (SX < 0) {
        DX -= SX;
        W += SX;
        SX = 0;
    }
    if (SY < 0) {
        DY -= SY;
        H += SY;
        SY = 0;
    }
    W = std::min({W, DMaxW - DX, SMaxW - SX});
    H = std::min({H, DMaxH - DY, SMaxH - SY});
    return W > 0 && H > 0;
}

int qtTextFlags(uint32_t f)
{
    int q = (f & DT_RIGHT) ? Qt::AlignRight : (f & DT_CENTER) ? Qt::AlignHCenter : Qt::AlignLeft;
    q |= (f & DT_BOTTOM) ? Qt::AlignBottom : (f & DT_VCENTER) ? Qt::AlignVCenter : Qt::AlignTop;
    if (f & DT_SINGLELINE)
        q |= Qt::TextSingleLine;
    else if (f & DT_WORDBREAK)
        q |= Qt::TextWordWrap;
    return q;
}

QString elided(const QString &s, const QFontMetrics &fm, uint32_t f, int width)
{
    if (f & DT_END_ELLIPSIS)
        return fm.elidedText(s, Qt::ElideRight, width);
    if (f & DT_PATH_ELLIPSIS)
        return fm.elidedText(s, Qt::ElideMiddle, width);
    return s;
}

} // namespace

TMemoryGraphic::TMemoryGraphic() = default;

TMemoryGraphic::TMemoryGraphic(TColor32 AColor) : FColor(AColor) {}

TMemoryGraphic::TMemoryGraphic(int32_t AWidth, int32_t AHeight)
{
    SetSize(AWidth, AHeight);
}

TMemoryGraphic::TMemoryGraphic(int32_t AWidth, int32_t AHeight, TColor32 AColor) : FColor(AColor)
{
    SetSize(AWidth, AHeight);
}

TMemoryGraphic::~TMemoryGraphic()
{
    DeleteHandles(FImage);
}

void TMemoryGraphic::setWidth(int32_t w)
{
    if (w != FWidth)
        SetSize(w, FHeight);
}

void TMemoryGraphic::setHeight(int32_t h)
{
    if (h != FHeight)
        SetSize(FWidth, h);
}

std::unique_ptr<TColor32[]> TMemoryGraphic::CreateHandles(int32_t W, int32_t H)
{
    if (W < 1 || H < 1 || W > kMaxSide || H > kMaxSide)
        return nullptr;
    return std::unique_ptr<TColor32[]>(new (std::nothrow) TColor32[size_t(W) * size_t(H)]);
}

bool TMemoryGraphic::SetSize(int32_t AWidth, int32_t AHeight, bool)
{
    AWidth = std::max(AWidth, 1);
    AHeight = std::max(AHeight, 1);
    if (AWidth == FWidth && AHeight == FHeight)
        return true;
    DeleteHandles(FImage);
    FImage = CreateHandles(AWidth, AHeight);
    FWidth = AWidth;
    FHeight = AHeight;
    Clear();
    return Prepared();
}

bool TMemoryGraphic::Clear()
{
    return FillRectangle({0, 0, FWidth, FHeight}, FColor, blendCopy, blendCopy);
}

bool TMemoryGraphic::GetContains(int32_t X, int32_t Y) const
{
    return Prepared() && X >= 0 && X < FWidth && Y >= 0 && Y < FHeight;
}

TColor32 TMemoryGraphic::GetPixel(int32_t X, int32_t Y) const
{
    if (!Prepared())
        return clNone32;
    return *Seek(std::clamp(X, 0, FWidth - 1), std::clamp(Y, 0, FHeight - 1));
}

bool TMemoryGraphic::SetPixel(int32_t X, int32_t Y, TColor32 C)
{
    if (!GetContains(X, Y))
        return false;
    *Seek(X, Y) = C;
    return true;
}

TColor32 *TMemoryGraphic::GetScanLine(int32_t Y) const
{
    return Prepared() && Y >= 0 && Y < FHeight ? Seek(0, Y) : nullptr;
}

QImage TMemoryGraphic::image() const
{
    if (!Prepared())
        return QImage();
    return QImage(reinterpret_cast<uchar *>(FImage.get()), FWidth, FHeight, FWidth * 4,
                  QImage::Format_ARGB32);
}

bool TMemoryGraphic::CalcDrawRect(int32_t &DX, int32_t &DY, int32_t &DW, int32_t &DH, int32_t SX,
                                  int32_t SY, int32_t SW, int32_t SH) const
{
    if (!Prepared())
        return false;
    DX = SX;
    DY = SY;
    DW = SW;
    DH = SH;
    if (DX < 0) {
        DW += DX;
        DX = 0;
    }
    if (DY < 0) {
        DH += DY;
        DY = 0;
    }
    DW = std::min(DW, FWidth - DX);
    DH = std::min(DH, FHeight - DY);
    return DW >= 1 && DH >= 1;
}

bool TMemoryGraphic::CalcDrawRect(int32_t &DX, int32_t &DY, int32_t &DW, int32_t &DH,
                                  const sRect &R) const
{
    return CalcDrawRect(DX, DY, DW, DH, R.x0, R.y0, R.x1 - R.x0, R.y1 - R.y0);
}

bool TMemoryGraphic::CalcDrawRect(int32_t &DX, int32_t &DY, int32_t &DW, int32_t &DH, sPos P0,
                                  sPos P1) const
{
    return CalcDrawRect(DX, DY, DW, DH, std::min(P0.x, P1.x), std::min(P0.y, P1.y),
                        std::abs(P1.x - P0.x), std::abs(P1.y - P0.y));
}

bool TMemoryGraphic::CalcDrawRect(sRect &DRect, const sRect &SRect) const
{
    int32_t x, y, w, h;
    if (!CalcDrawRect(x, y, w, h, SRect))
        return false;
    DRect = {x, y, x + w, y + h};
    return true;
}

bool TMemoryGraphic::Copy(int32_t DX, int32_t DY, int32_t W, int32_t H, const TColor32 *Src,
                          int32_t SX, int32_t SY, int32_t SMaxW, int32_t SMaxH)
{
    if (!Prepared() || !Src || !clipBoth(DX, DY, W, H, SX, SY, FWidth, FHeight, SMaxW, SMaxH))
        return false;
    for (int32_t y = 0; y < H; ++y)
        std::copy_n(Src + SX + size_t(SY + y) * SMaxW, W, Seek(DX, DY + y));
    return true;
}

bool TMemoryGraphic::CopyTo(TColor32 *Dst, int32_t DX, int32_t DY, int32_t W, int32_t H,
                            int32_t DMaxW, int32_t DMaxH, int32_t SX, int32_t SY) const
{
    if (!Prepared() || !Dst || !clipBoth(DX, DY, W, H, SX, SY, DMaxW, DMaxH, FWidth, FHeight))
        return false;
    for (int32_t y = 0; y < H; ++y)
        std::copy_n(Seek(SX, SY + y), W, Dst + DX + size_t(DY + y) * DMaxW);
    return true;
}

bool TMemoryGraphic::BlendImage(int32_t DX, int32_t DY, int32_t W, int32_t H,
                                const TMemoryGraphic &Src, int32_t SX, int32_t SY,
                                TBlendProc BlendRGB, TBlendProc BlendA)
{
    if (!Src.Prepared())
        return false;
    return BlendImage(DX, DY, W, H, Src.FImage.get(), SX, SY, Src.FWidth, Src.FHeight, BlendRGB,
                      BlendA);
}

bool TMemoryGraphic::BlendImage(int32_t DX, int32_t DY, int32_t W, int32_t H, const TColor32 *Ptr,
                                int32_t SX, int32_t SY, int32_t SMaxW, int32_t SMaxH,
                                TBlendProc BlendRGB, TBlendProc BlendA)
{
    if (!Prepared() || !Ptr || !clipBoth(DX, DY, W, H, SX, SY, FWidth, FHeight, SMaxW, SMaxH))
        return false;
    for (int32_t y = 0; y < H; ++y) {
        const TColor32 *s = Ptr + SX + size_t(SY + y) * SMaxW;
        for (int32_t x = 0; x < W; ++x, ++s)
            PutPixel(DX + x, DY + y, *s, byteWeight(s->a), 1.0f, BlendRGB, BlendA);
    }
    return true;
}

bool TMemoryGraphic::FillRectangle(const sRect &ARect, TColor32 AColor, TBlendProc BlendRGB,
                                   TBlendProc BlendA)
{
    int32_t DX, DY, DW, DH;
    if (!CalcDrawRect(DX, DY, DW, DH, ARect))
        return false;
    const float w = byteWeight(AColor.a);
    for (int32_t y = DY; y < DY + DH; ++y)
        for (int32_t x = DX; x < DX + DW; ++x)
            PutPixel(x, y, AColor, w, 1.0f, BlendRGB, BlendA);
    return true;
}

bool TMemoryGraphic::FillRectangle(const sRect &ARect, TColor32 C0, TColor32 C1,
                                   TAppearanceDirection Dir, TBlendProc BlendRGB, TBlendProc BlendA)
{
    int32_t DX, DY, DW, DH;
    if (!CalcDrawRect(DX, DY, DW, DH, ARect))
        return false;
    const bool reversed = Dir == adBottomTop || Dir == adRightLeft;
    const TColor32 first = reversed ? C1 : C0;
    const TColor32 second = reversed ? C0 : C1;
    const bool vertical = Dir == adTopBottom || Dir == adBottomTop;
    const int32_t n = vertical ? DH : DW;
    const float s = n < 2 ? 1.0f : float(1.0 / double(n - 1));
    auto colourAt = [&](int32_t i) { return lerpColor32(first, second, float(double(i) * s)); };
    if (vertical) {
        for (int32_t y = 0; y < DH; ++y) {
            const TColor32 c = colourAt(y);
            const float w = byteWeight(c.a);
            for (int32_t x = DX; x < DX + DW; ++x)
                PutPixel(x, DY + y, c, w, 1.0f, BlendRGB, BlendA);
        }
        return true;
    }
    std::vector<TColor32> row;
    try {
        row.resize(size_t(n));
    } catch (const std::bad_alloc &) {
        return false;
    }
    for (int32_t i = 0; i < n; ++i)
        row[size_t(i)] = colourAt(i);
    for (int32_t y = DY; y < DY + DH; ++y)
        for (int32_t x = 0; x < DW; ++x)
            PutPixel(DX + x, y, row[size_t(x)], byteWeight(row[size_t(x)].a), 1.0f, BlendRGB,
                     BlendA);
    return true;
}

bool TMemoryGraphic::FillRectangle(const sRect &ARect, TColor32 C0, TColor32 C1, TColor32 C2,
                                   TColor32 C3, TBlendProc BlendRGB, TBlendProc BlendA)
{
    int32_t DX, DY, DW, DH;
    if (!CalcDrawRect(DX, DY, DW, DH, ARect))
        return false;
    const float sv = DH == 1 ? 0.0f : float(1.0 / double(DH - 1));
    const float sh = DW == 1 ? 0.0f : float(1.0 / double(DW - 1));
    for (int32_t k = 0; k < DH; ++k) {
        const float tk = float(double(k) * sv);
        const TColor32 left = lerpColor32(C0, C3, tk);
        const TColor32 right = lerpColor32(C1, C2, tk);
        for (int32_t j = 0; j < DW; ++j) {
            const TColor32 c = lerpColor32(left, right, float(double(j) * sh));
            PutPixel(DX + j, DY + k, c, byteWeight(c.a), 1.0f, BlendRGB, BlendA);
        }
    }
    return true;
}

bool TMemoryGraphic::FillCheckBoard(const sRect &ARect, sSize ASize, TColor32 ACol1, TColor32 ACol2,
                                    TBlendProc BlendRGB, TBlendProc BlendA)
{
    int32_t DX, DY, DW, DH;
    if (ASize.x < 1 || ASize.y < 1 || !CalcDrawRect(DX, DY, DW, DH, ARect))
        return false;
    for (int32_t k = 0; k < DH; ++k) {
        const bool firstRow = k % (2 * ASize.y) < ASize.y;
        for (int32_t j = 0; j < DW; ++j) {
            const bool firstCol = j % (2 * ASize.x) < ASize.x;
            const TColor32 c = firstRow == firstCol ? ACol1 : ACol2;
            PutPixel(DX + j, DY + k, c, byteWeight(c.a), 1.0f, BlendRGB, BlendA);
        }
    }
    return true;
}

bool TMemoryGraphic::DrawRectangle(const sRect &ARect, int32_t EdgeWidth, TColor32 AColor,
                                   TBlendProc BlendRGB, TBlendProc BlendA)
{
    int32_t DX, DY, DW, DH;
    if (!CalcDrawRect(DX, DY, DW, DH, ARect) || DW < EdgeWidth || DH < EdgeWidth)
        return false;
    // The four-colour drawing below checks 2E; the one-colour frame only needs E.
    const int32_t E = EdgeWidth;
    const float w = byteWeight(AColor.a);
    auto fill = [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        for (int32_t y = std::max(y0, DY); y <= std::min(y1, DY + DH - 1); ++y)
            for (int32_t x = std::max(x0, DX); x <= std::min(x1, DX + DW - 1); ++x)
                PutPixel(x, y, AColor, w, 1.0f, BlendRGB, BlendA);
    };
    if (DW >= 2) {
        fill(DX, DY, DX + DW - 2, DY + E - 1);
        fill(DX + 1, DY + DH - E, DX + DW - 1, DY + DH - 1);
    }
    if (DH >= 2) {
        fill(DX, DY + 1, DX + E - 1, DY + DH - 1);
        fill(DX + DW - E, DY, DX + DW - 1, DY + DH - 2);
    }
    return true;
}

bool TMemoryGraphic::DrawRectangle(const sRect &ARect, int32_t EdgeWidth, TColor32 CTopLeft,
                                   TColor32 CBottomRight, TBlendProc BlendRGB, TBlendProc BlendA)
{
    return DrawRectangle(ARect, EdgeWidth, CTopLeft, CTopLeft, CBottomRight, CBottomRight, BlendRGB,
                         BlendA);
}

bool TMemoryGraphic::DrawRectangle(const sRect &ARect, int32_t EdgeWidth, TColor32 CLeft,
                                   TColor32 CTop, TColor32 CRight, TColor32 CBottom,
                                   TBlendProc BlendRGB, TBlendProc BlendA)
{
    int32_t DX, DY, DW, DH;
    const int32_t E = EdgeWidth;
    if (!CalcDrawRect(DX, DY, DW, DH, ARect) || DW < 2 * E || DH < 2 * E)
        return false;
    auto fill = [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1, TColor32 c) {
        const float w = byteWeight(c.a);
        for (int32_t y = std::max(y0, DY); y <= std::min(y1, DY + DH - 1); ++y)
            for (int32_t x = std::max(x0, DX); x <= std::min(x1, DX + DW - 1); ++x)
                PutPixel(x, y, c, w, 1.0f, BlendRGB, BlendA);
    };
    if (DW >= 2) {
        fill(DX, DY, DX + DW - 2, DY + E - 1, CTop);
        fill(DX + 1, DY + DH - E, DX + DW - 1, DY + DH - 1, CBottom);
    }
    if (DH >= 2) {
        fill(DX, DY + 1, DX + E - 1, DY + DH - 1, CLeft);
        fill(DX + DW - E, DY, DX + DW - 1, DY + DH - 2, CRight);
    }
    return true;
}

bool TMemoryGraphic::DrawRoundRectangle(const sRect &ARect, int32_t EdgeWidth, TColor32 AColor,
                                        TBlendProc BlendRGB, TBlendProc BlendA)
{
    int32_t DX, DY, DW, DH;
    if (!CalcDrawRect(DX, DY, DW, DH, ARect))
        return false;
    const int32_t E = EdgeWidth;
    const float w = byteWeight(AColor.a);
    auto fill = [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        for (int32_t y = std::max(y0, DY); y <= std::min(y1, DY + DH - 1); ++y)
            for (int32_t x = std::max(x0, DX); x <= std::min(x1, DX + DW - 1); ++x)
                PutPixel(x, y, AColor, w, 1.0f, BlendRGB, BlendA);
    };
    if (DW > 4) {
        fill(DX + 2, DY, DX + DW - 3, DY + E - 1);
        fill(DX + 2, DY + DH - E, DX + DW - 3, DY + DH - 1);
    }
    if (DH > 4) {
        fill(DX, DY + 2, DX + E - 1, DY + DH - 3);
        fill(DX + DW - E, DY + 2, DX + DW - 1, DY + DH - 3);
    }
    // The corners of the whole picture get half-weight pixels (the frame is drawn over all of it).
    const int32_t W = FWidth, H = FHeight;
    const sPos corners[12] = {{0, 1},     {1, 0},         {1, 1},         {0, H - 2},
                              {1, H - 1}, {1, H - 2},     {W - 2, 0},     {W - 1, 1},
                              {W - 2, 1}, {W - 1, H - 2}, {W - 2, H - 1}, {W - 2, H - 2}};
    for (const sPos &p : corners)
        if (GetContains(p.x, p.y))
            PutPixel(p.x, p.y, AColor, 0.5f, 1.0f, BlendRGB, BlendA);
    return true;
}

bool TMemoryGraphic::DrawText(const QString &Str, sRect &ARect, const QFont &AFont, TColor32 AColor,
                              uint32_t DTFormat)
{
    if (!Prepared())
        return false;
    const QFontMetrics fm(AFont);
    if (DTFormat & DT_CALCRECT) {
        const bool wrap = (DTFormat & DT_WORDBREAK) && !(DTFormat & DT_SINGLELINE);
        const int width = wrap ? std::max(ARect.x1 - ARect.x0, 1) : 1 << 20;
        const QRect r = (DTFormat & DT_SINGLELINE)
                            ? QRect(0, 0, fm.horizontalAdvance(Str), fm.height())
                            : fm.boundingRect(QRect(0, 0, width, 1 << 20),
                                              qtTextFlags(DTFormat & ~(DT_RIGHT | DT_CENTER |
                                                                       DT_VCENTER | DT_BOTTOM)),
                                              Str);
        ARect.x1 = ARect.x0 + r.width();
        ARect.y1 = ARect.y0 + r.height();
        return r.height() > 0;
    }
    const sRect box = ARect; // the caller's rectangle stays as it was
    const int32_t bw = box.x1 - box.x0, bh = box.y1 - box.y0;
    // The glyphs' coverage, white on transparent over the whole picture.
    QImage mask(FWidth, FHeight, QImage::Format_ARGB32_Premultiplied);
    if (mask.isNull())
        return false;
    mask.fill(Qt::transparent);
    {
        QPainter p(&mask);
        p.setFont(AFont);
        p.setPen(Qt::white);
        if (!(DTFormat & DT_NOCLIP))
            p.setClipRect(QRect(box.x0, box.y0, std::max(bw, 0), std::max(bh, 0)));
        p.drawText(QRect(box.x0, box.y0, bw, bh), qtTextFlags(DTFormat),
                   elided(Str, fm, DTFormat, bw));
    }
    for (int32_t y = 0; y < FHeight; ++y) {
        const QRgb *m = reinterpret_cast<const QRgb *>(mask.constScanLine(y));
        for (int32_t x = 0; x < FWidth; ++x)
            if (const int cov = qAlpha(m[x]))
                PutPixel(x, y, AColor, byteWeight(uint32_t(cov)), 0.0f, blendNormal, blendKeep);
    }
    FillRectangle(box, clWhite32, blendKeep, blendCopy);
    return true;
}

bool TMemoryGraphic::DrawTabImage(const QString &Str, sRect &ARect, uint32_t DTFormat,
                                  TTabState Active)
{
    QFont font;
    pickInterfaceFont(font, SHIFTJIS_CHARSET);
    if (DTFormat & DT_CALCRECT) {
        ARect = {0, 0, 1, 1};
        const bool ok = DrawText(Str, ARect, font, clWindowText32(), DTFormat);
        ARect.y1 = 18;
        ARect.x1 += 21;
        return ok;
    }
    sRect r;
    if (!CalcDrawRect(r, ARect))
        return false;
    ARect = r;
    ARect.y1 = ARect.y0 + 18;
    const int32_t right = ARect.x1;
    for (int32_t row = 0; row < 18; ++row) {
        const TColor32 c = row == 0                         ? clWindowFrame32()
                           : row == 1 && Active == tsActive ? clBtnHighlight32()
                                                            : clBtnFace32();
        if (!FillRectangle({9, row, right - 1, row + 1}, c, blendCopy, blendCopy))
            return false;
    }
    sRect caption{11, 2, right - 2, 17};
    if (!DrawText(Str, caption, font, clWindowText32(), DTFormat))
        return false;
    const TMemoryGraphic *tab =
        gAppearanceManager ? gAppearanceManager->GetTabImage(Active) : nullptr;
    if (!tab || !BlendImage(0, 0, 9, 18, *tab, 0, 0, blendCopy, blendCopy) ||
        !BlendImage(right - 9, 0, 9, 18, *tab, 9, 0, blendCopy, blendCopy))
        return false;
    if (Active != tsActive) {
        if (!FillRectangle({9, 17, right - 1, 18}, clBtnHighlight32(), blendCopy, blendCopy) ||
            !FillRectangle({9, 16, right - 1, 17}, clWindowFrame32(), blendCopy, blendCopy))
            return false;
    }
    return true;
}

bool TMemoryGraphic::Draw(QPainter &DC, int32_t DX, int32_t DY, int32_t W, int32_t H, int32_t SX,
                          int32_t SY) const
{
    if (!Prepared() || W <= 0 || H <= 0)
        return false;
    // Only the region is converted; the colour bytes stay as they are, alpha is not shown.
    const QImage region = image().copy(QRect(SX, SY, W, H)).convertToFormat(QImage::Format_RGB32);
    DC.drawImage(QRect(DX, DY, W, H), region);
    return true;
}

bool TMemoryGraphic::Draw(QImage &DC, int32_t DX, int32_t DY, int32_t W, int32_t H, int32_t SX,
                          int32_t SY, TBlendProc BlendRGB, TBlendProc BlendA) const
{
    if (!Prepared() || DC.isNull() || W <= 0 || H <= 0)
        return false;
    const QImage::Format format = DC.format();
    if (format != QImage::Format_ARGB32 && format != QImage::Format_RGB32)
        return false;
    // The destination area into a temporary, the region blended onto it, and back.
    TMemoryGraphic temp(W, H, clNone32);
    if (!temp.Prepared())
        return false;
    QImage tempView = temp.image();
    {
        int32_t dx = 0, dy = 0, w = W, h = H, sx = DX, sy = DY;
        if (clipBoth(dx, dy, w, h, sx, sy, W, H, DC.width(), DC.height()))
            for (int32_t y = 0; y < h; ++y)
                std::memcpy(tempView.scanLine(dy + y) + dx * 4, DC.constScanLine(sy + y) + sx * 4,
                            size_t(w) * 4);
    }
    temp.BlendImage(0, 0, W, H, *this, SX, SY, BlendRGB, BlendA);
    int32_t dx = DX, dy = DY, w = W, h = H, sx = 0, sy = 0;
    if (!clipBoth(dx, dy, w, h, sx, sy, DC.width(), DC.height(), W, H))
        return false;
    for (int32_t y = 0; y < h; ++y) {
        uchar *d = DC.scanLine(dy + y) + dx * 4;
        std::memcpy(d, tempView.constScanLine(sy + y) + sx * 4, size_t(w) * 4);
        if (format == QImage::Format_RGB32)
            for (int32_t x = 0; x < w; ++x)
                d[x * 4 + 3] = 0xFF;
    }
    return true;
}

bool TMemoryGraphic::Draw(QPainter &DC, int32_t DX, int32_t DY, int32_t W, int32_t H, int32_t SX,
                          int32_t SY, TBlendProc BlendRGB, TBlendProc BlendA) const
{
    if (!Prepared() || W <= 0 || H <= 0)
        return false;
    QPaintDevice *dev = DC.device();
    if (dev && dev->devType() == QInternal::Image && DC.deviceTransform().isIdentity()) {
        QImage &img = *static_cast<QImage *>(dev);
        if (img.format() == QImage::Format_ARGB32 || img.format() == QImage::Format_RGB32)
            return Draw(img, DX, DY, W, H, SX, SY, BlendRGB, BlendA);
    }
    DC.drawImage(QRect(DX, DY, W, H), image(), QRect(SX, SY, W, H));
    return true;
}

bool TMemoryGraphic::GetBitmapInfo(tagBITMAPINFOHEADER &BMI, int32_t W, int32_t H)
{
    BMI = tagBITMAPINFOHEADER{};
    BMI.biSize = 40;
    BMI.biWidth = W;
    BMI.biHeight = -H; // top-down rows
    BMI.biPlanes = 1;
    BMI.biBitCount = 32;
    BMI.biCompression = BI_RGB;
    BMI.biSizeImage = uint32_t(W) * uint32_t(H) * 4;
    return W != 0 && H != 0;
}
