// The printer the process prints on and what the program needs to know of it: page and printable
// area in printer pixels, resolution, names, colour mode and orientation.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>

class QPrinter;

enum class TPrinterOrientation : uint8_t
{
    poPortrait,
    poLandscape,
};

// All sizes in printer pixels (device pixels at the printer's resolution).
struct TPrinterInfo
{
    QString DeviceName;
    // Always empty: the platform names no port.
    QString PortName;
    // The paper form (page size name).
    QString FormName;
    // The whole page.
    QSize Physical;
    // The printable area, its top-left measured from the page's top-left corner.
    QRect Printable;
    // Pixels per inch across and down.
    QSize DPI;
    // 1 grey, 2 colour.
    int32_t Color = 0;
    // Not filled.
    int32_t Copies = 0;
    TPrinterOrientation Orientation = TPrinterOrientation::poPortrait;
};

// The platform lists at least one printer.
bool printerInstalled();

// The process's printer: the default one until a printer set-up changes it. Made on first use
// (after the application object) and freed with the application object.
QPrinter &currentPrinter();

// Fills info from printer as it is set up now; false (info untouched) when the printer is not
// usable or reports an empty page.
bool getPrinterInfo(const QPrinter &printer, TPrinterInfo &info);
// The same for the current printer; false when no printer is installed.
bool getPrinterInfo(TPrinterInfo &info);
