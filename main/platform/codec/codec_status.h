// Result codes of the image codec library. Every codec call answers one of these; 0 is success.
// The numbering is fixed: the program's binding exposes the same values as MopixDllErr, and the
// three unused slots (10, 11, 19) keep the later codes in place.
#pragma once

#include <cstdint>

namespace codec {

enum class CodecStatus : uint8_t
{
    Nothing = 0,            // success
    Failed = 1,             // not a file of this format, or a malformed header
    NoSupport = 2,          // a kind of file or operation the library does not handle
    NoMemory = 3,           // an allocation failed
    Setup = 4,              // a decoder or encoder could not be set up
    Handle = 5,             // an invalid handle
    Param = 6,              // an invalid argument
    Range = 7,              // a size outside what the library accepts (over 10000 x 10000)
    Exception = 8,          // an exception was caught
    ExceptionSomething = 9, // an unknown exception was caught
    NoUse10 = 10,
    NoUse11 = 11,
    ColorMode = 12, // a pixel depth or colour model the library does not handle
    Compress = 13,  // compression failed
    NoData = 14,    // nothing to work on (an absent key, an empty image)
    Extract = 15,   // compressed or encoded data is corrupt
    FileOpen = 16,  // the file cannot be opened or created
    FileRead = 17,  // the file is shorter than its contents say
    FileWrite = 18, // a write was incomplete
    NoUse19 = 19,
    UserBreak = 20,
    UserData = 21,
};

inline constexpr bool succeeded(CodecStatus s) { return s == CodecStatus::Nothing; }

} // namespace codec
