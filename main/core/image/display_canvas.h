// The display canvas: a 32-bit canvas whose rows run bottom-up, as in a device-independent
// bitmap, so that documents, previews and owner-drawn controls compose into it and present it
// with one blit. It may carry a "device context": the ability to draw frames, polygons and text
// into the same pixels (done with QPainter), and to present them.
#pragma once

#include "core/image/canvas.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <span>

class QPainter;
class QPaintDevice;

// Raster operations of copy (the low byte of each code's high word is the operation's truth
// table over pattern, source and destination).
constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t SRCPAINT = 0x00EE0086;
constexpr uint32_t SRCAND = 0x008800C6;
constexpr uint32_t SRCINVERT = 0x00660046;
constexpr uint32_t NOTSRCCOPY = 0x00330008;
constexpr uint32_t DSTINVERT = 0x00550009;

// Text layout flags of drawText, with the numbers the program stores.
constexpr uint32_t DT_LEFT = 0x0000;
constexpr uint32_t DT_CENTER = 0x0001;
constexpr uint32_t DT_RIGHT = 0x0002;
constexpr uint32_t DT_VCENTER = 0x0004;
constexpr uint32_t DT_BOTTOM = 0x0008;
constexpr uint32_t DT_WORDBREAK = 0x0010;
constexpr uint32_t DT_SINGLELINE = 0x0020;
constexpr uint32_t DT_NOCLIP = 0x0100;
constexpr uint32_t DT_PATH_ELLIPSIS = 0x4000;
constexpr uint32_t DT_END_ELLIPSIS = 0x8000;

// A TMTC whose rows are stored bottom-up: row y starts (height - 1 - y) * width * 4 bytes into
// the block, getSkipLineSize is -width. The pixels are cleared to 0 on allocation.
class TTC : public TMTC
{
  public:
    // An empty canvas that will make its device context (or not, with makeDC false).
    TTC() = default;
    explicit TTC(bool makeDC);
    TTC(const sSize &sz, bool mk);
    TTC(int32_t x, int32_t y, bool mk);
    ~TTC() override;

    void freeMembers() override;
    using TMTC::Resize;
    // Same size as now: true at once. Otherwise rebuilt at x by y (sides below 2 become 1),
    // with its device context when it makes one. False when the pixels cannot be made.
    bool Resize(int32_t x, int32_t y) override;
    int32_t getSkipLineSize() const override { return -width(); }

    // True at once when usable with a device context of this size; otherwise everything is
    // rebuilt with a device context.
    bool makeDC(int32_t w, int32_t h);
    bool hasDC() const { return m_hasDC; }

    // ---- presenting (all need the device context; alpha is not shown)
    // Onto a window, a paint box or an image: with autosize the whole canvas at (0, 0),
    // stretched over the target when the sizes differ; without it at (x, y), 1:1.
    void Flip2HWND(QPaintDevice &hw, int32_t x, int32_t y, bool autosize) const;
    void Flip2IMAGE(QImage &image, int32_t x, int32_t y, bool autosize) const;
    // The whole canvas at (x, y), 1:1.
    void Flip2HDC(QPainter &dc, int32_t x, int32_t y) const;
    void Flip2Canvas(QPainter &cnvs, int32_t x, int32_t y) const { Flip2HDC(cnvs, x, y); }
    // The canvas as it is presented: upright (pixel (0, 0) at the top left), opaque.
    QImage presentImage() const;

    // ---- drawing through the device context (colours are sBGRA values; alpha not used)
    // The whole of img at (x, y) combined with the pixels by the raster operation rop.
    void copy(const QImage &img, int32_t x, int32_t y, uint32_t rop);
    void copy(const QImage &img, const sPos &pos, uint32_t rop) { copy(img, pos.x, pos.y, rop); }
    // A one-pixel frame on the inside of the rectangle.
    void drawFrame(const sRect &r, uint32_t col);
    void drawFrame(const sBox &box, uint32_t col);
    // The filled triangle of three points, outline included.
    void fillTriangle(std::span<const sPos, 3> pos, uint32_t color);
    // str in black on a transparent background inside box, laid out by the DT_ flags (0: right
    // aligned, vertically centred, one line, cut with an ellipsis at the end).
    void drawText(const QFont &font, const sBox &box, const QString &str, uint32_t frmt);
    // Runs draw with a painter in canvas coordinates over the area (clipped to the canvas), as
    // other code draws on the device context. False without a device context or area.
    bool paint(const sBox &area, const std::function<void(QPainter &)> &draw);

  private:
    bool m_hasDC = false;
    bool m_makeDC = true; // whether Resize makes the device context
};
