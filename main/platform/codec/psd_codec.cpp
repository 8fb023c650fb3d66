#include "platform/codec/psd_codec.h"

namespace codec {

CodecStatus psdGetImage(const QString &, CodecImage &out)
{
    out = CodecImage{};
    return CodecStatus::NoSupport;
}

CodecStatus psdGetImage(const QString &, CodecImage &out, int32_t &docWidth, int32_t &docHeight)
{
    out = CodecImage{};
    docWidth = 0;
    docHeight = 0;
    return CodecStatus::NoSupport;
}

} // namespace codec
