// Fuzz target of the BMP reader: any bytes, read as a BMP file from memory.
#include "platform/codec/bmp_codec.h"

#include "image_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return fuzzImageReader(data, size, codec::bmpReadImage);
}
