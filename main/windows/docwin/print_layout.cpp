// The placement of printed copies on the page, in double as the printer pixels are computed.
#include "windows/docwin/print_layout.h"

#include "platform/widgets/printing.h"
#include "ui/base/units.h"

#include <algorithm>
#include <cmath>

namespace {

// A pixel count from a double, kept inside the range a painter's coordinates can take (a stored
// scale far out of range must not overflow the conversion).
int32_t toPixels(double v)
{
    constexpr double kLimit = 1 << 30;
    if (!std::isfinite(v))
        return 0;
    return int32_t(std::clamp(v, -kLimit, kLimit));
}

} // namespace

int32_t printResolution(int32_t documentDpi)
{
    return std::clamp(documentDpi, 72, 600);
}

SPrintLayout printLayout(const TPrintValue &value, const sSize &canvas, int32_t documentDpi,
                         const TPrinterInfo &info)
{
    SPrintLayout out;
    out.dpi = printResolution(documentDpi);
    if (info.DPI.width() <= 0 || info.DPI.height() <= 0)
        return out;
    // The dialog keeps at least one copy each way; a stored zero must not divide.
    const int32_t rx = std::max(value.RepeatX, 1);
    const int32_t ry = std::max(value.RepeatY, 1);
    const double d = out.dpi;
    double cw = 0, ch = 0;
    if (canvas.x > 0 && canvas.y > 0) {
        if (value.Auto) {
            cw = double(info.Printable.width()) / rx;
            ch = double(info.Printable.height()) / ry;
            const double sx = cw / canvas.x, sy = ch / canvas.y;
            if (sx < sy)
                ch = sx * canvas.y;
            else if (sx > sy)
                cw = sy * canvas.x;
        } else {
            cw = double(canvas.x) * info.DPI.width() * double(value.Scale) / d;
            ch = double(canvas.y) * info.DPI.height() * double(value.Scale) / d;
        }
    }
    double ox = 0, oy = 0;
    if (value.Center) {
        // The page's centre, not the printable area's: the page is drawn from its corner.
        ox = (info.Physical.width() - rx * cw) / 2;
        oy = (info.Physical.height() - ry * ch) / 2;
    } else {
        ox = convertUnitValue(utmm, utpixel, value.Left, float(info.DPI.width()));
        oy = convertUnitValue(utmm, utpixel, value.Top, float(info.DPI.height()));
    }
    out.origin = {toPixels(std::floor(ox + 0.5)), toPixels(std::floor(oy + 0.5))};
    out.cell = {toPixels(std::trunc(cw + 0.5)), toPixels(std::trunc(ch + 0.5))};
    return out;
}
