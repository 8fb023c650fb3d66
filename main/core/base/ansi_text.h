// Helpers for 8-bit, zero-terminated text read from palette and setting files. A blank is a space
// or a tab.
#pragma once

#include <QIODevice>

#include <cstdint>

// Moves p past blanks; answers how many were skipped.
int32_t skipSpaces(const char *&p);
inline bool isDigitChar(char c)
{
    return c >= '0' && c <= '9';
}
// Skips blanks, then reads decimal digits into value; used = characters consumed (blanks and
// digits). False, with value unchanged, when no digit follows the blanks (used then counts the
// blanks). A number beyond 32 bits saturates at 4294967295.
bool parseUInt(const char *s, uint32_t &value, int32_t &used);
// Index of the first ch in s, or of the terminator when there is none.
int32_t charIndex(const char *s, char ch);
// Writes s without its terminator; true when every byte was written.
bool streamWriteStr(QIODevice &stream, const char *s);
