// Small fixtures for the image tests: canvases and channels built from and compared against
// literal pixel tables, and byte-level reading of written files.
#pragma once

#include "core/image/canvas.h"
#include "core/image/channel.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <csignal>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include <sys/resource.h>

// A canvas of w x h whose pixel i (row-major from the top left) is 0xAARRGGBB of `pixels`.
inline void fillCanvas(TMTC &tc, int32_t w, int32_t h, const std::vector<uint32_t> &pixels)
{
    tc.Resize(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            tc.seek32(x, y)->all = pixels[size_t(y * w + x)];
}

// Each canvas pixel numbered: A = 0xFF, R = x, G = y, B = 7 * x + y.
inline void numberCanvas(TMTC &tc, int32_t w, int32_t h)
{
    tc.Resize(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            tc.seek32(x, y)->all =
                0xFF000000u | uint32_t(x) << 16 | uint32_t(y) << 8 | uint32_t((7 * x + y) & 0xFF);
}

inline std::vector<uint32_t> canvasPixels(const TMTC &tc)
{
    std::vector<uint32_t> v;
    for (int32_t y = 0; y < tc.height(); ++y)
        for (int32_t x = 0; x < tc.width(); ++x)
            v.push_back(tc.getColor(x, y));
    return v;
}

// A channel from rows of equal length; each character is one byte: '.' 0, '#' 255, digits
// 1..9 as 28 * d.
inline void drawMask(TChannel &ch, std::initializer_list<const char *> rows)
{
    const int32_t h = int32_t(rows.size()), w = int32_t(std::strlen(*rows.begin()));
    ch.Resize(w, h);
    int32_t y = 0;
    for (const char *r : rows) {
        for (int32_t x = 0; x < w; ++x) {
            const char c = r[x];
            *ch.seek8(x, y) = c == '.' ? 0 : c == '#' ? 255 : uint8_t(28 * (c - '0'));
        }
        ++y;
    }
}

// The channel as rows of text: '.' for 0, '#' for 255, else the value in hex per byte pair
// separated by spaces (so that golden masks of anti-aliased edges stay readable).
inline std::vector<std::string> channelRows(const TChannel &ch)
{
    std::vector<std::string> rows;
    static const char *hex = "0123456789ABCDEF";
    for (int32_t y = 0; y < ch.height(); ++y) {
        std::string r;
        for (int32_t x = 0; x < ch.width(); ++x) {
            const uint8_t v = ch.getColor(x, y);
            if (x)
                r += ' ';
            if (v == 0)
                r += "..";
            else if (v == 255)
                r += "##";
            else {
                r += hex[v >> 4];
                r += hex[v & 15];
            }
        }
        rows.push_back(r);
    }
    return rows;
}

// While it lives, files cannot grow past `bytes`: writes beyond come back short, as on a full
// disk.
class FileSizeLimit
{
  public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_old;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

  private:
    rlimit m_old{};
    void (*m_handler)(int) = nullptr;
};

inline QByteArray readFileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline uint32_t le32(const QByteArray &b, int at)
{
    uint32_t v;
    std::memcpy(&v, b.constData() + at, 4);
    return v;
}

inline uint16_t le16(const QByteArray &b, int at)
{
    uint16_t v;
    std::memcpy(&v, b.constData() + at, 2);
    return v;
}
