// Fuzz target of the canvas's own BMP reader: any bytes, read from memory into a canvas and into
// a display canvas (bottom-up rows).
#include "core/image/display_canvas.h"

#include <cstdlib>

namespace
{
void readInto(TMTC &tc, const uint8_t *data, size_t size)
{
    int32_t dpi = 0;
    if (!tc.loadBitmap(data, size, &dpi))
        return;
    // An accepted file gives a usable canvas of a checked size whose every pixel is readable.
    if (!tc.isEnable() || tc.width() <= 0 || tc.height() <= 0 || tc.width() > 10000 ||
        tc.height() > 10000)
        std::abort();
    uint32_t sum = 0;
    for (int32_t y = 0; y < tc.height(); ++y)
        for (int32_t x = 0; x < tc.width(); ++x)
            sum += tc.getColor(x, y);
    if (sum == 0x12345678u && dpi == -12345)
        std::abort(); // keeps the reads
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TMTC tc;
    readInto(tc, data, size);
    TTC display(1, 1, false);
    readInto(display, data, size);
    return 0;
}
