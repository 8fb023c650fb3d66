#include "core/image/display_canvas.h"

#include "platform/system/debug_output.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cstring>

namespace {
// The ternary raster operation `code` (its truth table over pattern, source and destination,
// bit (p << 2 | s << 1 | d)) on whole 32-bit values.
uint32_t rop3(uint8_t code, uint32_t p, uint32_t s, uint32_t d)
{
    uint32_t r = 0;
    for (int i = 0; i < 8; ++i)
        if (code >> i & 1)
            r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    return r;
}

// The drawing colour of an sBGRA value (its layout is that of QRgb); alpha is not used.
QColor drawColour(uint32_t col)
{
    return QColor(QRgb(col | 0xFF000000u));
}

int textFlags(uint32_t frmt)
{
    int f = (frmt & DT_RIGHT)    ? Qt::AlignRight
            : (frmt & DT_CENTER) ? Qt::AlignHCenter
                                 : Qt::AlignLeft;
    f |= (frmt & DT_BOTTOM)    ? Qt::AlignBottom
         : (frmt & DT_VCENTER) ? Qt::AlignVCenter
                               : Qt::AlignTop;
    if (frmt & DT_SINGLELINE)
        f |= Qt::TextSingleLine;
    else if (frmt & DT_WORDBREAK)
        f |= Qt::TextWordWrap;
    if (frmt & DT_NOCLIP)
        f |= Qt::TextDontClip;
    return f;
}
} // namespace

TTC::TTC(bool makeDC) : m_makeDC(makeDC) {}

TTC::TTC(const sSize &sz, bool mk) : m_makeDC(mk)
{
    Resize(sz.x, sz.y);
}

TTC::TTC(int32_t x, int32_t y, bool mk) : m_makeDC(mk)
{
    Resize(x, y);
}

TTC::~TTC()
{
    freeMembers();
}

void TTC::freeMembers()
{
    m_hasDC = false;
    TMTC::freeMembers();
}

bool TTC::Resize(int32_t x, int32_t y)
{
    if (x == width() && y == height())
        return true;
    freeMembers();
    x = x < 2 ? 1 : x;
    y = y < 2 ? 1 : y;
    size_t bytes = 0;
    if (imageBytes(x, y, 4, bytes)) {
        // Cleared, as the pixels of a new device-independent bitmap are.
        std::unique_ptr<uint8_t[]> mem(new (std::nothrow) uint8_t[bytes]());
        if (mem) {
            adoptBuffer(std::move(mem), x, y);
            if (buildRowTable(x * 4, true)) {
                m_hasDC = m_makeDC;
                return true;
            }
        }
    }
    freeMembers();
    debugOut(QStringLiteral("TTC::Resize: caught an exception!\n"));
    return false;
}

bool TTC::makeDC(int32_t w, int32_t h)
{
    if (isEnable() && m_hasDC && w == width() && h == height())
        return true;
    freeMembers();
    m_makeDC = true;
    return Resize(w, h);
}

// ---- presenting ----------------------------------------------------------------------------

QImage TTC::presentImage() const
{
    if (!isEnable())
        return {};
    QImage img(width(), height(), QImage::Format_RGB32);
    for (int32_t y = 0; y < height(); ++y) {
        auto *d = reinterpret_cast<uint32_t *>(img.scanLine(y));
        const sBGRA *s = seek32(0, y);
        for (int32_t x = 0; x < width(); ++x)
            d[x] = s[x].all | 0xFF000000u;
    }
    return img;
}

void TTC::Flip2HDC(QPainter &dc, int32_t x, int32_t y) const
{
    if (!m_hasDC || !isEnable())
        return;
    dc.save();
    dc.setCompositionMode(QPainter::CompositionMode_Source);
    dc.drawImage(x, y, presentImage());
    dc.restore();
}

void TTC::Flip2HWND(QPaintDevice &hw, int32_t x, int32_t y, bool autosize) const
{
    if (!m_hasDC || !isEnable())
        return;
    QPainter p(&hw);
    if (!p.isActive())
        return;
    p.setCompositionMode(QPainter::CompositionMode_Source);
    const QImage img = presentImage();
    if (!autosize)
        p.drawImage(x, y, img);
    else if (hw.width() == width() && hw.height() == height())
        p.drawImage(0, 0, img);
    else
        p.drawImage(QRect(0, 0, hw.width(), hw.height()), img); // nearest neighbour
}

void TTC::Flip2IMAGE(QImage &image, int32_t x, int32_t y, bool autosize) const
{
    Flip2HWND(image, x, y, autosize);
}

// ---- drawing -------------------------------------------------------------------------------

bool TTC::paint(const sBox &area, const std::function<void(QPainter &)> &draw)
{
    sBox b = area;
    if (!m_hasDC || !isEnable() || !clipping(b))
        return false;
    // The area is drawn upright in a scratch image and copied back, so that the painter's
    // pixel conventions hold exactly on the bottom-up rows.
    QImage tmp(b.w, b.h, QImage::Format_RGB32);
    for (int32_t j = 0; j < b.h; ++j)
        std::memcpy(tmp.scanLine(j), seek32(b.x, b.y + j), size_t(b.w) * 4);
    {
        QPainter p(&tmp);
        p.translate(-b.x, -b.y);
        draw(p);
    }
    for (int32_t j = 0; j < b.h; ++j)
        std::memcpy(seek32(b.x, b.y + j), tmp.constScanLine(j), size_t(b.w) * 4);
    return true;
}

void TTC::copy(const QImage &img, int32_t x, int32_t y, uint32_t rop)
{
    sPos dpos{x, y};
    sBox box{0, 0, img.width(), img.height()};
    if (!m_hasDC || !isEnable() || img.isNull() ||
        !clipBlt(FPSZ(), {img.width(), img.height()}, dpos, box))
        return;
    const QImage src = img.convertToFormat(QImage::Format_ARGB32);
    const uint8_t code = uint8_t(rop >> 16);
    for (int32_t j = 0; j < box.h; ++j) {
        sBGRA *d = seek32(dpos.x, dpos.y + j);
        const auto *s = reinterpret_cast<const uint32_t *>(src.constScanLine(box.y + j)) + box.x;
        for (int32_t i = 0; i < box.w; ++i)
            d[i].all = rop3(code, 0xFFFFFFFFu, s[i], d[i].all); // the default brush is white
    }
}

void TTC::drawFrame(const sRect &r, uint32_t col)
{
    const int32_t w = r.x1 - r.x0, h = r.y1 - r.y0;
    if (w <= 0 || h <= 0)
        return;
    paint(rectToBox(r), [&](QPainter &p) {
        const QColor c = drawColour(col);
        p.fillRect(r.x0, r.y0, w, 1, c);
        p.fillRect(r.x0, r.y1 - 1, w, 1, c);
        p.fillRect(r.x0, r.y0, 1, h, c);
        p.fillRect(r.x1 - 1, r.y0, 1, h, c);
    });
}

void TTC::drawFrame(const sBox &box, uint32_t col)
{
    drawFrame(boxToRect(box), col);
}

void TTC::fillTriangle(std::span<const sPos, 3> pos, uint32_t color)
{
    sRect bb{pos[0].x, pos[0].y, pos[0].x + 1, pos[0].y + 1};
    for (const sPos &q : pos) {
        bb.x0 = std::min(bb.x0, q.x);
        bb.y0 = std::min(bb.y0, q.y);
        bb.x1 = std::max(bb.x1, q.x + 1);
        bb.y1 = std::max(bb.y1, q.y + 1);
    }
    paint(rectToBox(bb), [&](QPainter &p) {
        const QColor c = drawColour(color);
        p.setPen(QPen(c, 0));
        p.setBrush(c);
        const QPoint pts[3] = {{pos[0].x, pos[0].y}, {pos[1].x, pos[1].y}, {pos[2].x, pos[2].y}};
        p.drawPolygon(pts, 3);
    });
}

void TTC::drawText(const QFont &font, const sBox &box, const QString &str, uint32_t frmt)
{
    if (frmt == 0)
        frmt = DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
    paint(box, [&](QPainter &p) {
        p.setFont(font);
        p.setPen(Qt::black);
        QString text = str;
        if (frmt & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS))
            text = QFontMetrics(font).elidedText(
                str, (frmt & DT_END_ELLIPSIS) ? Qt::ElideRight : Qt::ElideMiddle, box.w);
        p.drawText(QRect(box.x, box.y, box.w, box.h), textFlags(frmt), text);
    });
}
