// Fuzz target of the clipboard parsers: any bytes, read as the bitmap (with and without keeping
// alpha), as a layer attribute block and as a clip box. A picture handed out must have the size
// its header reports, or the target aborts.
#include "core/image/canvas.h"
#include "document/files/clipboard_data.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    SClipDibInfo info;
    const bool hasInfo = readClipboardDibInfo(bytes, info);
    for (const bool keepAlpha : {false, true}) {
        const std::unique_ptr<TMTC> image = clipboardBitmapToImage(bytes, keepAlpha);
        if (!image)
            continue;
        if (!hasInfo || image->width() != info.width || image->height() != info.height)
            std::abort();
        // Every pixel must be readable: touch the last one.
        (void)image->getColor(image->width() - 1, image->height() - 1);
    }
    SClipLayerAttr attr;
    if (parseLayerAttrData(bytes, attr) && size_t(attr.title.size()) * 2 + 80 > size)
        std::abort();
    sBox box;
    (void)parseClipBoxData(bytes, box);
    return 0;
}
