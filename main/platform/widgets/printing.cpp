// The process's printer and its facts, through Qt Print Support.
#include "platform/widgets/printing.h"

#include <QCoreApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace {

QPrinter *gCurrentPrinter = nullptr;

void freeCurrentPrinter()
{
    delete gCurrentPrinter;
    gCurrentPrinter = nullptr;
}

} // namespace

bool printerInstalled()
{
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

QPrinter &currentPrinter()
{
    if (!gCurrentPrinter) {
        // Printer pixels are the printer's own, not the screen's.
        gCurrentPrinter = new QPrinter(QPrinter::HighResolution);
        // The print engine's plugin goes with the application object: the printer must go
        // before it.
        qAddPostRoutine(freeCurrentPrinter);
    }
    return *gCurrentPrinter;
}

bool getPrinterInfo(const QPrinter &printer, TPrinterInfo &info)
{
    if (!printer.isValid())
        return false;
    const int res = printer.resolution();
    if (res <= 0)
        return false;
    const QPageLayout layout = printer.pageLayout();
    const QRect full = layout.fullRectPixels(res);
    if (full.isEmpty())
        return false;
    // The margins are the printer's unprintable edges; the layout's paint rectangle would lose
    // them once the printer draws from the page's corner (full-page mode).
    const QMargins m = layout.marginsPixels(res);
    TPrinterInfo r;
    r.DeviceName = printer.printerName();
    r.FormName = layout.pageSize().name();
    r.Physical = full.size();
    r.Printable = QRect(m.left(), m.top(), std::max(full.width() - m.left() - m.right(), 0),
                        std::max(full.height() - m.top() - m.bottom(), 0));
    r.DPI = QSize(res, res);
    r.Color = printer.colorMode() == QPrinter::Color ? 2 : 1;
    r.Orientation = layout.orientation() == QPageLayout::Landscape
                        ? TPrinterOrientation::poLandscape
                        : TPrinterOrientation::poPortrait;
    info = r;
    return true;
}

bool getPrinterInfo(TPrinterInfo &info)
{
    if (!printerInstalled())
        return false;
    return getPrinterInfo(currentPrinter(), info);
}
