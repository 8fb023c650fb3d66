// PSD files. Reading the merged picture of a PSD file is not built yet: both readers answer
// NoSupport, so that callers fall back as they do for any file the codec cannot read.
#pragma once

#include "platform/codec/dib.h"

#include <QString>

namespace codec {

// The merged picture of the PSD file at path, as a DIB.
[[nodiscard]] CodecStatus psdGetImage(const QString &path, CodecImage &out);
// The same, with the document's width and height.
[[nodiscard]] CodecStatus psdGetImage(const QString &path, CodecImage &out, int32_t &docWidth,
                                      int32_t &docHeight);

} // namespace codec
