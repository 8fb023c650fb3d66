// Fuzz target of the palette readers: any bytes, read as a binary palette, a text colour set and
// an Adobe swatch file. What a reader hands out must agree with its answer and its layout be
// clamped, and a palette written back must read back the same.
#include "paint/palette/palette_files.h"
#include "platform/desktop/messages.h"

#include <QBuffer>

#include <cstdlib>

namespace {

template <class Reader> int32_t readWith(const QByteArray &bytes, SPaletteData &out, Reader read)
{
    QByteArray copy = bytes;
    QBuffer stream(&copy);
    stream.open(QIODevice::ReadOnly);
    return read(stream, out);
}

void checkRead(int32_t n, const SPaletteData &out)
{
    if (n < -1 || (n >= 0 && size_t(n) != out.colors.size())) {
        std::abort();
    }
    if (out.hasLayout) {
        const SPaletteLayout &l = out.layout;
        if (l.itemSize.x < 8 || l.itemSize.x > 64 || l.itemSize.y < 8 || l.itemSize.y > 64 ||
            l.repeatSize.x < 1 || l.repeatSize.x > 64 || l.repeatSize.y < 1 ||
            l.repeatSize.y > 64) {
            std::abort();
        }
    }
}

bool sameRgb(const std::vector<TColor32> &a, const std::vector<TColor32> &b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].r != b[i].r || a[i].g != b[i].g || a[i].b != b[i].b) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool silent = [] {
        kavrin::MessageHandlers quiet;
        quiet.warning = [](const QString &) {};
        quiet.warningEx = [](const QString &, void *, const QString &) {};
        kavrin::installMessageHandlers(quiet);
        return true;
    }();
    (void)silent;

    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    SPaletteData binary;
    const int32_t nb = readWith(bytes, binary, readBinaryPalette);
    checkRead(nb, binary);
    if (nb > int64_t(size / 4) || (nb > 0 && binary.announced < nb)) {
        std::abort(); // never more colours than the bytes hold
    }

    SPaletteData text;
    checkRead(readTextPalette(bytes, text), text);
    if (!text.colors.empty()) {
        QByteArray written;
        QBuffer out(&written);
        out.open(QIODevice::WriteOnly);
        SPaletteData back;
        if (!writeTextPalette(out, text.colors, text.layout, size % 2 == 0) ||
            readTextPalette(written, back) != int32_t(text.colors.size()) ||
            !sameRgb(back.colors, text.colors)) {
            std::abort();
        }
    }

    SPaletteData adobe;
    const int32_t na = readWith(bytes, adobe, readAdobePalette);
    checkRead(na, adobe);
    if (na > 0) {
        QByteArray written;
        QBuffer out(&written);
        out.open(QIODevice::WriteOnly);
        SPaletteData back;
        if (!writeAdobePalette(out, adobe.colors) ||
            readWith(written, back, readAdobePalette) != na ||
            !sameRgb(back.colors, adobe.colors)) {
            std::abort();
        }
    }
    return 0;
}
