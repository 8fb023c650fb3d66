#include "core/base/ansi_text.h"

#include <algorithm>
#include <cstring>

int32_t skipSpaces(const char *&p)
{
    int32_t n = 0;
    while (p[n] == ' ' || p[n] == '\t')
        ++n;
    p += n;
    return n;
}

bool parseUInt(const char *s, uint32_t &value, int32_t &used)
{
    const char *p = s;
    used = skipSpaces(p);
    if (!isDigitChar(*p))
        return false;
    uint64_t v = 0;
    while (isDigitChar(*p)) {
        v = std::min<uint64_t>(v * 10 + uint64_t(*p - '0'), UINT32_MAX);
        ++p;
    }
    value = uint32_t(v);
    used = int32_t(p - s);
    return true;
}

int32_t charIndex(const char *s, char ch)
{
    int32_t i = 0;
    while (s[i] != 0 && s[i] != ch)
        ++i;
    return i;
}

bool streamWriteStr(QIODevice &stream, const char *s)
{
    const qint64 len = qint64(std::strlen(s));
    return len == 0 || stream.write(s, len) == len;
}
