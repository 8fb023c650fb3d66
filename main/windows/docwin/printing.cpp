// TDrawWindow: printing the composed canvas as a block of copies, the print preview dialog, and
// the preview painter that dialog draws with. The headless main window's print dialogs live here
// too, beside what they stand in for.
#include "document/paper/paper.h"
#include "document/view/composition.h"
#include "platform/desktop/cursor.h"
#include "platform/widgets/printing.h"
#include "ui/graphics/memory_graphic.h"
#include "windows/docwin/draw_window.h"
#include "windows/docwin/print_layout.h"
#include "windows/shell_host.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// While it lives the document shows its canvas colour without the background pattern, and the
// display image holds no overlay; its end brings the document's own settings back.
class CPrintCanvas
{
  public:
    explicit CPrintCanvas(TPaper &paper)
        : m_paper(paper), m_colour(paper.bVisCanvasCol), m_pattern(paper.bVisBGPat),
          m_stale(paper.isVramDirty())
    {
        m_paper.switchVisCanvasColor(true, false, true);
        if (m_stale)
            UpdateVRAM(m_paper, false, false);
    }
    ~CPrintCanvas()
    {
        if (m_stale)
            m_paper.drawOptionalImage();
        m_paper.switchVisCanvasColor(m_colour, m_pattern, true);
    }
    CPrintCanvas(const CPrintCanvas &) = delete;
    CPrintCanvas &operator=(const CPrintCanvas &) = delete;

  private:
    TPaper &m_paper;
    bool m_colour, m_pattern, m_stale;
};

// The printer draws from the page's physical corner while it prints, as the layout measures.
class CFullPage
{
  public:
    explicit CFullPage(QPrinter &printer) : m_printer(printer), m_was(printer.fullPage())
    {
        m_printer.setFullPage(true);
    }
    ~CFullPage() { m_printer.setFullPage(m_was); }
    CFullPage(const CFullPage &) = delete;
    CFullPage &operator=(const CFullPage &) = delete;

  private:
    QPrinter &m_printer;
    bool m_was;
};

// For each destination index 0 .. count - 1 the q source indices of its samples: the position
// trunc((i / q + index + offset) * f + 0.5) wrapped into 0 .. size - 1. The positions are never
// negative here (offset >= 0), so the wrap is a plain remainder.
std::vector<int32_t> samplePositions(int32_t count, int32_t offset, long double f, int32_t q,
                                     int32_t size)
{
    std::vector<int32_t> out(size_t(count) * size_t(q));
    for (int32_t k = 0; k < count; ++k)
        for (int32_t i = 0; i < q; ++i) {
            const long double v =
                ((static_cast<long double>(i) / q + (k + offset)) * f + 0.5L);
            out[size_t(k) * size_t(q) + size_t(i)] = int32_t(int64_t(std::trunc(v)) % size);
        }
    return out;
}

} // namespace

bool TDrawWindow::PrintPaper()
{
    QPrinter &printer = currentPrinter();
    if (!mainForm().execPrintDialog(printer))
        return false;
    TPrinterInfo info;
    if (!getPrinterInfo(printer, info))
        return false;
    CPrintCanvas canvas(*paper);
    CFullPage fullPage(printer);
    WaitCursor wait;
    QPainter painter;
    bool printed = false;
    try {
        if (painter.begin(&printer)) {
            printTo(painter, info);
            printed = painter.end();
        }
    } catch (...) {
        printed = false;
    }
    if (!printed) {
        // Nothing half-printed leaves the machine.
        printer.abort();
        if (painter.isActive())
            painter.end();
    }
    return printed;
}

bool TDrawWindow::PrintPreview()
{
    CPrintCanvas canvas(*paper);
    TPrintValue value = FPrintValue;
    const int32_t result = mainForm().runPrintDialog(
        value, paper->m_paperSize, printResolution(paper->m_paperDPI),
        [this](QObject *sender, TMemoryGraphic &image, const sRect &rect, sSize repeat,
               int32_t quality) { DrawPrintFormPreview(sender, image, rect, repeat, quality); });
    if (result != 1 && result != 8)
        return false;
    FPrintValue = value;
    return result == 8 || PrintPaper();
}

void TDrawWindow::printTo(QPainter &painter, const TPrinterInfo &info)
{
    const SPrintLayout layout = printLayout(FPrintValue, paper->m_paperSize, paper->m_paperDPI,
                                            info);
    const TMTC &display = paper->vram();
    const int32_t w = display.width(), h = display.height();
    if (layout.cell.x <= 0 || layout.cell.y <= 0 || w <= 0 || h <= 0)
        return;
    // The colours only, as a plain copy: hidden-canvas transparency must not reach the paper.
    // A display kept bottom-up is shown through its memory as it lies, turned upright by the
    // painter, so that no copy of a large canvas is made.
    const bool bottomUp = display.getSkipLineSize() < 0;
    const QImage source(reinterpret_cast<const uchar *>(display.seek32(0, bottomUp ? h - 1 : 0)),
                        w, h, w * 4, QImage::Format_RGB32);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const int32_t rx = std::max(FPrintValue.RepeatX, 1), ry = std::max(FPrintValue.RepeatY, 1);
    for (int32_t row = ry - 1; row >= 0; --row)
        for (int32_t col = rx - 1; col >= 0; --col) {
            const int32_t x = layout.origin.x + col * layout.cell.x;
            const int32_t y = layout.origin.y + row * layout.cell.y;
            if (!bottomUp) {
                painter.drawImage(QRect(x, y, layout.cell.x, layout.cell.y), source);
                continue;
            }
            painter.save();
            painter.translate(x, y + layout.cell.y);
            painter.scale(1, -1);
            painter.drawImage(QRect(0, 0, layout.cell.x, layout.cell.y), source);
            painter.restore();
        }
    painter.restore();
}

void TDrawWindow::DrawPrintFormPreview(QObject *, TMemoryGraphic &AImage, const sRect &ARect,
                                       sSize ARepeat, int32_t AQuality)
{
    const TMTC &display = paper->vram();
    const int32_t dw = display.width(), dh = display.height();
    const int32_t rw = ARect.x1 - ARect.x0, rh = ARect.y1 - ARect.y0;
    if (!AImage.Prepared() || dw <= 0 || dh <= 0 || rw <= 0 || rh <= 0 || AQuality < 1 ||
        ARepeat.x < 1 || ARepeat.y < 1)
        return;
    // Only the rectangle's part inside the picture; a rectangle beside it paints nothing.
    const int32_t x0 = std::max(ARect.x0, 0), x1 = std::min(ARect.x1, AImage.Width());
    const int32_t y0 = std::max(ARect.y0, 0), y1 = std::min(ARect.y1, AImage.Height());
    if (x0 >= x1 || y0 >= y1)
        return;
    const int32_t q = AQuality;
    const long double fx = static_cast<long double>(ARepeat.x) * dw / rw;
    const long double fy = static_cast<long double>(ARepeat.y) * dh / rh;
    const std::vector<int32_t> cols = samplePositions(x1 - x0, x0 - ARect.x0, fx, q, dw);
    const std::vector<int32_t> rows = samplePositions(y1 - y0, y0 - ARect.y0, fy, q, dh);
    const uint64_t n = uint64_t(q) * uint64_t(q);
    for (int32_t y = y0; y < y1; ++y) {
        const int32_t *ry = &rows[size_t(y - y0) * size_t(q)];
        TColor32 *dst = AImage.Seek(x0, y);
        for (int32_t x = x0; x < x1; ++x, ++dst) {
            const int32_t *cx = &cols[size_t(x - x0) * size_t(q)];
            uint64_t b = 0, g = 0, r = 0;
            for (int32_t j = 0; j < q; ++j)
                for (int32_t i = 0; i < q; ++i) {
                    const sBGRA *s = display.seek32(cx[i], ry[j]);
                    b += s->B;
                    g += s->G;
                    r += s->R;
                }
            dst->b = uint8_t(b / n);
            dst->g = uint8_t(g / n);
            dst->r = uint8_t(r / n);
            dst->a = 255;
        }
    }
}

// ---- the headless main window's print dialogs

bool CHeadlessMainForm::execPrintDialog(QPrinter &printer)
{
    dialogCalls.emplace_back("execPrintDialog");
    if (!printTarget)
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(printPageSize));
    printer.setResolution(printResolutionDpi);
    printer.setOutputFileName(*printTarget);
    return true;
}

int32_t CHeadlessMainForm::runPrintDialog(TPrintValue &value, const sSize &size, int32_t ppi,
                                          const TFormPrintDrawEvent &onDrawWork)
{
    dialogCalls.emplace_back("runPrintDialog");
    proposedPrintValue = value;
    proposedPrintSize = size;
    proposedPrintPpi = ppi;
    proposedPrintDraw = onDrawWork;
    if ((printDialogResult == 1 || printDialogResult == 8) && printPlacement)
        value = *printPlacement;
    return printDialogResult;
}
