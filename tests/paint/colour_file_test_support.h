// Builders shared by the tests of the colour files (palettes, swatches, gradient sets).
#pragma once

#include "core/pixel/pixel.h"

#include <QByteArray>

#include <cstdint>
#include <initializer_list>

// The bytes of the given values, each cut to a byte.
inline QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values) {
        b.append(char(v));
    }
    return b;
}

// A TColor32 with the given red, green, blue and fourth byte.
inline TColor32 bgra(int r, int g, int b, int fourth = 0)
{
    TColor32 c;
    c.r = uint8_t(r);
    c.g = uint8_t(g);
    c.b = uint8_t(b);
    c.a = uint8_t(fourth);
    return c;
}
