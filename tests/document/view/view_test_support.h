// Headless documents for the view tests: a document of plain layers sized by setupHeadlessPaper,
// random layer content, and pixel comparisons that name the first differing pixel.
#pragma once

#include "core/base/numeric.h"
#include "core/image/canvas.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "support/paper_fakes.h"

#include <gtest/gtest.h>

#include <QString>

#include <cstdint>
#include <ostream>
#include <random>

inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

// A ready document of layers plain standard layers on a w x h paper.
struct ViewDocument : HeadlessDocument
{
    ViewDocument(int32_t w, int32_t h, int32_t layers, uint32_t canvas = 0xFFFFFF)
    {
        ok = paper && setupHeadlessPaper(*paper, {w, h}, canvas, layers);
    }
    TPaper &p() { return *paper; }
    CLayerData &layer(int32_t i) { return *paper->getLayerData(i); }
    bool ok = false;
};

// Empty when the boxes of a and b (each at its own position) are equal byte for byte, else the
// first differing pixel.
inline QString firstDifference(const TMTC &a, const sBox &boxA, const TMTC &b, const sPos &posB)
{
    for (int32_t y = 0; y < boxA.h; ++y)
        for (int32_t x = 0; x < boxA.w; ++x) {
            const uint32_t ca = a.getColor(boxA.x + x, boxA.y + y);
            const uint32_t cb = b.getColor(posB.x + x, posB.y + y);
            if (ca != cb)
                return QStringLiteral("(%1, %2): %3 vs %4")
                    .arg(boxA.x + x)
                    .arg(boxA.y + y)
                    .arg(ca, 8, 16, QLatin1Char('0'))
                    .arg(cb, 8, 16, QLatin1Char('0'));
        }
    return {};
}

inline QString firstDifference(const TMTC &a, const TMTC &b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return QStringLiteral("sizes differ");
    return firstDifference(a, {0, 0, a.width(), a.height()}, b, {0, 0});
}

// Random content: a few filled rectangles, scattered pixels of any alpha, and now and then a
// whole uniform colour (uncommitted blocks of a visible colour).
inline void paintRandom(CBlockVMTC &img, std::mt19937 &rng)
{
    std::uniform_int_distribution<uint32_t> colour(0, 0xFFFFFFFF);
    std::uniform_int_distribution<int32_t> coin(0, 3);
    if (coin(rng) == 0)
        img.PixelFill(colour(rng) | 0x40000000);
    const int32_t rects = 1 + coin(rng);
    for (int32_t k = 0; k < rects; ++k) {
        std::uniform_int_distribution<int32_t> px(0, img.width() - 1), py(0, img.height() - 1);
        const int32_t x0 = px(rng), y0 = py(rng);
        const int32_t x1 = std::min(img.width(), x0 + 1 + px(rng) / 2);
        const int32_t y1 = std::min(img.height(), y0 + 1 + py(rng) / 2);
        const uint32_t c = colour(rng);
        for (int32_t y = y0; y < y1; ++y)
            for (int32_t x = x0; x < x1; ++x)
                img.setPixel(x, y, (x + y) % 5 == 0 ? colour(rng) : c);
    }
    img.setupTraceRect();
}
