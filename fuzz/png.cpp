// Fuzz target of the PNG reader: any bytes, read as a PNG file from memory.
#include "platform/codec/png_codec.h"

#include "image_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return fuzzImageReader(data, size, codec::pngReadImage);
}
