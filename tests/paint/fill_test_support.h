// Fixtures of the fill tests: images drawn as rows of letters, channels read back as rows.
#pragma once

#include "core/image/canvas.h"
#include "core/image/channel.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

// An image whose pixel (x, y) has the colour of letter rows[y][x].
struct RowImage : TMTC
{
    RowImage(const std::vector<std::string> &rows, const std::map<char, uint32_t> &colours)
        : TMTC(int32_t(rows.at(0).size()), int32_t(rows.size()))
    {
        for (int32_t y = 0; y < height(); ++y)
            for (int32_t x = 0; x < width(); ++x)
                seek32(x, y)->all = colours.at(rows[y][x]);
    }
};

// A channel cleared to 0.
struct ClearChannel : TChannel
{
    ClearChannel(int32_t w, int32_t h) : TChannel(w, h) { PixelFill(0); }
};

// The channel as rows of '#' (255), '.' (0) and '+' (anything between).
inline std::vector<std::string> coverageRows(const TChannel &ch)
{
    std::vector<std::string> rows;
    for (int32_t y = 0; y < ch.height(); ++y) {
        std::string r;
        for (int32_t x = 0; x < ch.width(); ++x) {
            const uint8_t v = ch.getColor(x, y);
            r += v == 255 ? '#' : v == 0 ? '.' : '+';
        }
        rows.push_back(r);
    }
    return rows;
}

// The channel's bytes, one vector per row.
inline std::vector<std::vector<int>> channelValues(const TChannel &ch)
{
    std::vector<std::vector<int>> rows(size_t(ch.height()));
    for (int32_t y = 0; y < ch.height(); ++y)
        for (int32_t x = 0; x < ch.width(); ++x)
            rows[size_t(y)].push_back(ch.getColor(x, y));
    return rows;
}
