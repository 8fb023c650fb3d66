// Fuzz target of the PSD codec's handle API over bytes: open, then ask for the document record,
// every layer record, every layer channel, every merged channel and the resources the program
// reads. Nothing may crash, read outside its buffers or hang; what a call hands out must agree
// with the record it came from.
#include "platform/codec/psd_codec.h"

#include <cstdlib>
#include <memory>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace codec;
    std::unique_ptr<CPsdFile> f;
    if (!succeeded(CPsdFile::openBytes(
            QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), f)))
        return 0;
    check(f && f->isReadable());
    SPsdDocInfo doc;
    check(succeeded(f->getDocInfo(doc)));
    check(doc.width >= 1 && doc.width <= 10000 && doc.height >= 1 && doc.height <= 10000);
    SPsdChannelData ch;
    for (int32_t i = 0; i < doc.layerCount; ++i) {
        SPsdLayerInfo info;
        check(succeeded(f->getLayerInfo(i, info)));
        check(info.right >= info.left && info.bottom >= info.top);
        for (int32_t c = 0; c < info.channels; ++c) {
            ch.layerIndex = i;
            ch.channelNumber = c;
            if (succeeded(f->getLayerChannel(ch)))
                check(int64_t(ch.dataBytes) == int64_t(ch.boxW) * ch.boxH &&
                      ch.buffer.size() >= ch.dataBytes);
        }
    }
    for (int32_t c = 0; c < doc.totalChannels; ++c) {
        ch.channelNumber = c;
        if (succeeded(f->getDocChannel(ch)))
            check(ch.boxW == doc.width && ch.buffer.size() >= ch.dataBytes);
    }
    for (uint16_t id : {1005, 1006, 1024, 1045}) {
        std::vector<uint8_t> b(f->getResource(id, {}));
        if (!b.empty())
            check(f->getResource(id, b) == b.size());
    }
    CodecImage img;
    (void)psdReadImage(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), img);
    return 0;
}
