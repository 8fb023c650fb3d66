// The product's names and version: message-box captions, the main window's caption, the about box
// and the file-type descriptions of the open and save dialogs.
#pragma once

#include <QString>

#include <cstdint>

inline constexpr int32_t kVersionMajor = 5;
inline constexpr int32_t kVersionMinor = 1;
inline constexpr int32_t kVersionRelease = 4;

// The product name the open and save dialogs describe the program's file types with.
extern QString gAppFileTypeName;

// Sets gAppTitle and gAppFileTypeName to the product name "Kavrin".
void initialiseProductNames();

// "major.minor.release" with the release in two digits: 5, 1, 4 give "5.1.04".
QString makeVersionText(int32_t major = kVersionMajor, int32_t minor = kVersionMinor,
                        int32_t release = kVersionRelease);
