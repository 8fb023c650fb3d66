// Fuzz target of the JPEG reader: any bytes, read as a JPEG file from memory.
#include "platform/codec/jpeg_codec.h"

#include "image_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return fuzzImageReader(data, size, codec::jpegReadImage);
}
