#include "core/image/channel.h"
#include "platform/system/file_stream.h"

#include "core/base/numeric.h"
#include "core/base/row_bounds.h"
#include "platform/system/debug_output.h"

#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {
void defaultChannelPut(TChannel &ch, int32_t x, int32_t y, int32_t value, int32_t opacity)
{
    ch.setColor(x, y, value, opacity);
}

fptrChannelPut gChannelPut = defaultChannelPut;

constexpr SignedProductTable makeSignedProductTable()
{
    SignedProductTable t{};
    for (int i = 0; i < 256; ++i) {
        for (int k = 0; k < 128; ++k)
            t[i][k] = int8_t(i * 2 * k / 255);
        for (int j = -128; j <= -1; ++j)
            t[i][256 + j] = int8_t(i * 2 * j / 255); // truncates towards zero
    }
    return t;
}

// Runs of bytes along a line (a row or a column) of a channel, addressed through a stride.
struct Line
{
    uint8_t *p;
    ptrdiff_t step;
    int32_t n;
    uint8_t &operator[](int32_t i) const { return p[i * step]; }
};

// Every maximal run of bytes for which isRun holds: f(first, last) after the run is found.
template <class Pred, class F> void forEachRun(const Line &l, Pred isRun, F f)
{
    int32_t i = 0;
    while (i < l.n) {
        if (!isRun(l[i])) {
            ++i;
            continue;
        }
        const int32_t a = i;
        while (i < l.n && isRun(l[i]))
            ++i;
        f(a, i - 1);
    }
}

// The rows, then the columns of a channel, each as a Line.
template <class F> void forEachRowThenColumn(TChannel &ch, F f)
{
    const int32_t w = ch.width(), h = ch.height();
    for (int32_t y = 0; y < h; ++y)
        f(Line{ch.seek8(0, y), 1, w});
    for (int32_t x = 0; x < w; ++x)
        f(Line{ch.seek8(x, 0), ch.getSkipLineSize(), h});
}

uint8_t raiseRim(uint8_t v)
{
    return v > 212 ? 255 : uint8_t(v + 42);
}

// Squared distance in grid units.
inline int64_t sq(int64_t dx, int64_t dy)
{
    return dx * dx + dy * dy;
}

// Number of the n x n grid points (dx + i, dy + j) strictly inside the squared radius r2.
int32_t gridCoverage(int64_t dx, int64_t dy, int32_t n, int64_t r2)
{
    int32_t c = 0;
    for (int32_t j = 0; j < n; ++j)
        for (int32_t i = 0; i < n; ++i)
            c += sq(dx + i, dy + j) < r2;
    return c;
}

// How a pixel of a disc of five-per-pixel grid units lies: 0 outside, 1 partly, 2 inside.
// Discs of radius 3 or less always count as partly covered.
int32_t discClass(int64_t dx, int64_t dy, int64_t r2, bool small)
{
    if (small)
        return 1;
    const int inside = (sq(dx, dy) < r2) + (sq(dx + 5, dy) < r2) + (sq(dx, dy + 5) < r2) +
                       (sq(dx + 5, dy + 5) < r2);
    return inside == 4 ? 2 : inside == 0 ? 0 : 1;
}

// The pixel range from trunc(a) to trunc(b), cut to [0, limit): writes outside are skipped by
// every put, so the cut changes nothing visible and keeps absurd sizes from looping.
bool cutRange(double a, double b, int32_t limit, int32_t &lo, int32_t &hi)
{
    a = std::trunc(a);
    b = std::trunc(b);
    if (!(a <= b) || b < 0 || a >= limit)
        return false;
    lo = int32_t(std::max(a, 0.0));
    hi = int32_t(std::min(b, double(limit - 1)));
    return true;
}

bool discRange(double c, double r, int32_t limit, int32_t &lo, int32_t &hi)
{
    return cutRange(c - r, c + r, limit, lo, hi);
}

// One crossing of a polygon edge with a sub-sampled scan line.
struct Crossing
{
    float pos;   // mean crossing coordinate along the scan line
    float slope; // |d(along) / d(across)|
    bool flat;   // |dx| >= |dy| of the edge
};

// Crossings of the scan line at `across` (sampled at across + 0, 0.25, 0.5, 0.75) with every
// edge; rows: along = x, across = y; columns: the reverse.
void collectCrossings(const std::vector<sPos> &pts, int32_t across, bool rows,
                      std::vector<Crossing> &out)
{
    out.clear();
    for (size_t k = 0; k + 1 < pts.size(); ++k) {
        const double a0 = rows ? pts[k].x : pts[k].y, a1 = rows ? pts[k + 1].x : pts[k + 1].y;
        const double c0 = rows ? pts[k].y : pts[k].x, c1 = rows ? pts[k + 1].y : pts[k + 1].x;
        if (c0 == c1)
            continue; // parallel to the scan line: no single crossing
        const double top = std::min(c0, c1), bottom = std::max(c0, c1) - 0.01;
        double sum = 0;
        int n = 0;
        for (int s = 0; s < 4; ++s) {
            const double c = across + s * 0.25;
            if (c >= top && c <= bottom) {
                sum += a0 + (c - c0) * (a1 - a0) / (c1 - c0);
                ++n;
            }
        }
        if (n == 0)
            continue;
        const double da = a1 - a0, dc = c1 - c0;
        const bool flat = rows ? std::fabs(da) >= std::fabs(dc) : std::fabs(dc) >= std::fabs(da);
        out.push_back({float(sum / n), float(std::fabs(da / dc)), flat});
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Crossing &l, const Crossing &r) { return l.pos < r.pos; });
}
} // namespace

constexpr SignedProductTable gSignedProductTable = makeSignedProductTable();

fptrChannelPut setChannelPutProc(fptrChannelPut put)
{
    fptrChannelPut old = gChannelPut;
    gChannelPut = put ? put : defaultChannelPut;
    return old;
}

// ---- TChannel: storage -------------------------------------------------------------------

TChannel::TChannel(int32_t x, int32_t y)
{
    Resize(x, y);
}

TChannel::TChannel(const sSize &sz)
{
    Resize(sz.x, sz.y);
}

TChannel::TChannel(const TChannel &src) : CDibCore()
{
    if (Resize(src.width(), src.height()))
        src.Blt(*this, 0, 0);
}

bool TChannel::Resize(int32_t x, int32_t y)
{
    freeMembers();
    size_t bytes = 0;
    if (imageBytes(x, y, 1, bytes)) {
        std::unique_ptr<uint8_t[]> mem = allocBlock(bytes);
        if (mem || bytes == 0) { // a 0-byte image is empty, not failed
            adoptBuffer(std::move(mem), x, y);
            if (buildRowTable(x, true))
                return true;
        }
    }
    freeMembers();
    debugOut(QStringLiteral("TChannel::Resize: caught an exception!\n"));
    return false;
}

// ---- pixel access --------------------------------------------------------------------------

bool TChannel::setColor(int32_t x, int32_t y, int32_t col, int32_t a)
{
    if (!isEnable() || !ptInSize(x, y, width(), height()))
        return false;
    uint8_t *p = seek8(x, y);
    *p = uint8_t(mix255(uint32_t(col), *p, uint32_t(a)));
    return true;
}

void TChannel::qz11_PixelPut(int32_t x, int32_t y, int32_t color, int32_t alpha)
{
    if (isEnable() && ptInSize(x, y, width(), height()))
        channelPutDiff(*seek8(x, y), color, alpha);
}

uint8_t TChannel::PixelGet(int32_t x, int32_t y) const
{
    if (!isEnable())
        return 0;
    sPos p{x, y};
    posClampToSize(p, FPSZ());
    return *seek8(p.x, p.y);
}

void TChannel::PixelFill(uint8_t color)
{
    if (isEnable())
        std::memset(buffer(), color, getImageDataBytes());
}

// ---- copies --------------------------------------------------------------------------------

bool TChannel::Blt(TChannel &target, int32_t dx, int32_t dy) const
{
    return BltPart(target, {dx, dy}, {0, 0, width(), height()});
}

bool TChannel::BltPart(TChannel &target, sPos dpos, sBox box) const
{
    if (!isEnable() || !target.isEnable() || !clipBlt(target.FPSZ(), FPSZ(), dpos, box))
        return false;
    for (int32_t j = 0; j < box.h; ++j)
        std::memmove(target.seek8(dpos.x, dpos.y + j), seek8(box.x, box.y + j), size_t(box.w));
    return true;
}

bool TChannel::bltEx(const TChannel &src, sPos dpos, sBox box, fptrMixPixel1 fnPut)
{
    if (!isEnable() || !src.isEnable() || !clipBlt(FPSZ(), src.FPSZ(), dpos, box))
        return false;
    for (int32_t j = 0; j < box.h; ++j) {
        uint8_t *d = seek8(dpos.x, dpos.y + j);
        const uint8_t *s = src.seek8(box.x, box.y + j);
        for (int32_t i = 0; i < box.w; ++i)
            fnPut(d + i, s[i]);
    }
    return true;
}

// ---- fills and effects ---------------------------------------------------------------------

bool TChannel::fillBox(sBox &box, uint8_t alpha)
{
    if (!isEnable() || !clipping(box))
        return false;
    for (int32_t j = 0; j < box.h; ++j)
        std::memset(seek8(box.x, box.y + j), alpha, size_t(box.w));
    return true;
}

bool TChannel::fillBox(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t alpha)
{
    sBox box{x, y, w, h};
    return fillBox(box, alpha);
}

bool TChannel::fillEx(sBox &box, uint8_t a, fptrMixPixel1 fnPut)
{
    if (!isEnable() || !clipping(box))
        return false;
    for (int32_t j = 0; j < box.h; ++j) {
        uint8_t *d = seek8(box.x, box.y + j);
        for (int32_t i = 0; i < box.w; ++i)
            fnPut(d + i, a);
    }
    return true;
}

bool TChannel::effectXor(sBox &box, uint8_t mask)
{
    if (!isEnable() || !clipping(box))
        return false;
    for (int32_t j = 0; j < box.h; ++j) {
        uint8_t *d = seek8(box.x, box.y + j);
        for (int32_t i = 0; i < box.w; ++i)
            d[i] ^= mask;
    }
    return true;
}

void TChannel::effectXorAll(uint8_t mask)
{
    if (!isEnable())
        return;
    uint8_t *d = buffer();
    for (uint32_t i = 0, n = getImageDataBytes(); i < n; ++i)
        d[i] ^= mask;
}

bool TChannel::findRect(sRect &r) const
{
    // The bounding box of the non-zero bytes: the same rectangle as the column-then-row scans.
    const auto row = [this](int32_t y) { return seek8(0, y); };
    const auto empty = [](uint8_t v) { return v == 0; };
    return isEnable() && findRowsRect(width(), height(), row, empty, r);
}

void TChannel::modifyEdge(sBox box, fptrModifyPixel1 fnModify)
{
    if (!isEnable() || !clipping(box))
        return;
    const int32_t w = width(), h = height();
    for (int32_t y = box.y; y < box.y + box.h; ++y) {
        for (int32_t x = box.x; x < box.x + box.w; ++x) {
            uint8_t *p = seek8(x, y);
            if (*p == 0)
                continue;
            const bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1 ||
                              *seek8(x - 1, y) == 0 || *seek8(x + 1, y) == 0 ||
                              *seek8(x, y - 1) == 0 || *seek8(x, y + 1) == 0;
            fnModify(p, edge);
        }
    }
}

// ---- growth --------------------------------------------------------------------------------

void TChannel::makeInflateNA(uint8_t vIn)
{
    if (!isEnable())
        return;
    uint8_t *d = buffer();
    for (uint32_t i = 0, n = getImageDataBytes(); i < n; ++i)
        if (d[i] != 0)
            d[i] = vIn;
}

void TChannel::makeInflate(uint8_t vIn, uint8_t vEdge)
{
    if (!isEnable())
        return;
    makeInflateNA(vIn);
    forEachRowThenColumn(*this, [vEdge](const Line &l) {
        forEachRun(
            l, [](uint8_t v) { return v == 0; },
            [&](int32_t a, int32_t b) {
                if (a > 0)
                    l[a] = vEdge;
                if (b < l.n - 1)
                    l[b] = vEdge;
            });
    });
}

void TChannel::makeInflateAA(uint8_t vIn)
{
    if (!isEnable())
        return;
    makeInflate(vIn, 42);
    forEachRowThenColumn(*this, [vIn](const Line &l) {
        forEachRun(
            l, [vIn](uint8_t v) { return v != vIn; },
            [&](int32_t a, int32_t b) {
                if (a > 0)
                    l[a] = raiseRim(l[a]);
                if (b < l.n - 1)
                    l[b] = raiseRim(l[b]);
            });
    });
}

// ---- file ----------------------------------------------------------------------------------

bool TChannel::save(const QString &path, int32_t dpi) const
{
    if (!isEnable() && getImageDataBytes() != 0)
        return false;
    tagBITMAPINFOHEADER info;
    const uint32_t row = setupInfoHeader8(info, 256, dpi);
    constexpr uint32_t headBytes = 14 + 40 + 256 * 4;
    tagBITMAPFILEHEADER file;
    file.bfType = BMP_FILE_TAG;
    file.bfSize = headBytes + row * uint32_t(height());
    file.bfOffBits = headBytes;

    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    bool ok = f.write(reinterpret_cast<const char *>(&file), sizeof file) == sizeof file &&
              f.write(reinterpret_cast<const char *>(&info), sizeof info) == sizeof info;
    uint8_t palette[256 * 4];
    for (int i = 0; i < 256; ++i) {
        palette[i * 4] = palette[i * 4 + 1] = palette[i * 4 + 2] = uint8_t(i);
        palette[i * 4 + 3] = 0;
    }
    ok = ok && f.write(reinterpret_cast<const char *>(palette), sizeof palette) == sizeof palette;
    std::vector<char> line(row, 0);
    for (int32_t y = height() - 1; ok && y >= 0; --y) {
        std::memcpy(line.data(), seek8(0, y), size_t(width()));
        ok = f.write(line.data(), qint64(row)) == qint64(row);
    }
    if (!ok) {
        f.cancelWriting();
        return false;
    }
    return commitSaveFile(f);
}

// ---- drawing -------------------------------------------------------------------------------

void TChannel::drawPattern(int32_t ofsX, int32_t ofsY, int32_t w, int32_t h, int32_t pitX,
                           int32_t pitY, float r)
{
    if (pitX <= 0 || pitY <= 0)
        return; // a zero step would never end
    w = clampInt(w, 2, width());
    h = clampInt(h, 2, height());
    for (int32_t y = ofsY; y <= h; y += pitY)
        for (int32_t x = ofsX; x <= w; x += pitX)
            exDrawCircle8(float(x), float(y), r, 255, 1.0f, true, false);
}

void TChannel::exDrawCircle8(float mx, float my, float r, int32_t color, float alpha,
                             bool antialias, bool ifAboveOnly)
{
    int32_t x0, x1, y0, y1;
    if (!(r > 0) || !isEnable() || !discRange(mx, r, width(), x0, x1) ||
        !discRange(my, r, height(), y0, y1))
        return;
    // Fifths of a pixel; products of Singles by 5 are exact in double, as in extended.
    const int64_t r5 = int64_t(std::trunc(double(r) * 5));
    const int64_t r2 = r5 * r5;
    const int64_t cx = int64_t(std::trunc(double(mx) * 5)),
                  cy = int64_t(std::trunc(double(my) * 5));
    const int32_t full = int32_t(std::trunc(double(alpha) * 255));
    const int32_t raise = int32_t(std::trunc(double(color) * alpha));
    const bool small = r <= 3;
    for (int32_t v = y0; v <= y1; ++v) {
        for (int32_t u = x0; u <= x1; ++u) {
            const int64_t dx = 5 * int64_t(u) - cx, dy = 5 * int64_t(v) - cy;
            const int32_t cls = discClass(dx, dy, r2, small);
            if (cls == 0)
                continue;
            if (cls == 2) {
                if (!ifAboveOnly)
                    gChannelPut(*this, u, v, color, full);
                else if (getColor(u, v) < raise)
                    gChannelPut(*this, u, v, raise, 255);
            } else if (!antialias) {
                gChannelPut(*this, u, v, color, full);
            } else {
                const int32_t a = full * gridCoverage(dx, dy, 5, r2) / 25;
                if (!ifAboveOnly)
                    gChannelPut(*this, u, v, color, a);
                else if (getColor(u, v) < a)
                    gChannelPut(*this, u, v, a, 255);
            }
        }
    }
}

void TChannel::qz11_DrawCircle(float mx, float my, float r, int32_t color, float alpha,
                               bool ifAboveOnly, bool doSmooth)
{
    int32_t x0, x1, y0, y1;
    if (!(r > 0) || !isEnable() || !discRange(mx, r, width(), x0, x1) ||
        !discRange(my, r, height(), y0, y1))
        return;
    const int64_t r5 = int64_t(std::trunc(double(r) * 5));
    const int64_t r2 = r5 * r5;
    const int64_t cx = int64_t(std::trunc(double(mx) * 5)),
                  cy = int64_t(std::trunc(double(my) * 5));
    const int64_t m = int64_t(std::trunc(double(color) * alpha));
    const bool small = r <= 3;
    for (int32_t v = y0; v <= y1; ++v) {
        for (int32_t u = x0; u <= x1; ++u) {
            const int64_t dx = 5 * int64_t(u) - cx, dy = 5 * int64_t(v) - cy;
            const int32_t cls = discClass(dx, dy, r2, small);
            if (cls == 0)
                continue;
            // The fade of a smooth disc: 255 at the centre, 0 at the rim (no rim: nothing).
            const int64_t fade = r2 > 0 ? std::max<int64_t>(0, 255 - sq(dx, dy) * 255 / r2) : 0;
            if (cls == 2) {
                const int64_t a = doSmooth ? m * fade / 256 : m;
                if (!ifAboveOnly || getColor(u, v) < a)
                    qz11_PixelPut(u, v, int32_t(a), 255);
                continue;
            }
            const int64_t c = gridCoverage(dx, dy, 5, r2);
            const int64_t b = doSmooth ? m * fade * c / 6400 : m * c / 25;
            if (!ifAboveOnly)
                qz11_PixelPut(u, v, color, int32_t(std::clamp<int64_t>(b, 0, 255)));
            else if (getColor(u, v) < b)
                qz11_PixelPut(u, v, int32_t(b), 255);
        }
    }
}

namespace {
// The value of pixel `pos` of an anti-aliased span in 1/64 pixel: value where the pixel lies
// wholly inside, else value scaled by the number of its 64 sub-positions inside.
int32_t spanPixelValue(int32_t pos, int64_t centre, int64_t half, int32_t value)
{
    const int64_t e = centre - 64 * int64_t(pos);
    if (std::llabs(e) + 64 < half)
        return value;
    int32_t k = 0;
    for (int32_t i = 0; i < 64; ++i)
        k += std::llabs(64 * int64_t(pos) + i - centre) < half;
    return value * k / 64;
}

// The anti-aliased span from a1 to a2 along an axis of n pixels: put(pos, value) for every pixel
// of the span widened by one on each side and cut to the axis, value from color * alpha.
template <class Put>
void forAntiSpan(float a1, float a2, int32_t n, int32_t color, float alpha, Put put)
{
    int32_t lo, hi;
    if (!cutRange(double(a1) - 1, double(a2) + 1, n, lo, hi))
        return;
    const int64_t half = int64_t(std::trunc((double(a2) - a1) / 2 * 64));
    const int64_t centre = int64_t(std::trunc((double(a1) + a2) / 2 * 64));
    const int32_t value = int32_t(std::trunc(double(color) * alpha)) & 255;
    for (int32_t pos = lo; pos <= hi; ++pos)
        put(pos, spanPixelValue(pos, centre, half, value));
}
} // namespace

void TChannel::qz61DrawAntiXLine(float x1, float x2, int32_t y, int32_t color, float alpha,
                                 bool ifAboveOnly)
{
    if (!isEnable() || y < 0 || y >= height())
        return;
    forAntiSpan(x1, x2, width(), color, alpha, [&](int32_t x, int32_t v) {
        if (!ifAboveOnly || getColor(x, y) < v)
            qz11_PixelPut(x, y, v, 255);
    });
}

void TChannel::qz61DrawAntiYLine(float y1, float y2, int32_t x, int32_t color, float alpha,
                                 bool ifAboveOnly)
{
    if (!isEnable() || x < 0 || x >= width())
        return;
    forAntiSpan(y1, y2, height(), color, alpha, [&](int32_t y, int32_t v) {
        if (!ifAboveOnly || getColor(x, y) < v)
            qz11_PixelPut(x, y, v, 255);
    });
}

void TChannel::DrawPolyRect(std::span<const sPos> p)
{
    if (!isEnable())
        return;
    std::vector<sPos> pts(p.begin(), p.end());
    // Repeated consecutive points would make edges of no length.
    for (size_t k = 0; k + 1 < pts.size();) {
        if (pts[k] == pts[k + 1])
            pts.erase(pts.begin() + ptrdiff_t(k));
        else
            ++k;
    }
    if (pts.size() < 4)
        return; // fewer than three corners plus the closing point
    sRect bb{pts[0].x, pts[0].y, pts[0].x, pts[0].y};
    for (const sPos &q : pts) {
        bb.x0 = std::min(bb.x0, q.x);
        bb.y0 = std::min(bb.y0, q.y);
        bb.x1 = std::max(bb.x1, q.x);
        bb.y1 = std::max(bb.y1, q.y);
    }
    bb = {std::max(bb.x0, 0), std::max(bb.y0, 0), std::min(bb.x1, width() - 1),
          std::min(bb.y1, height() - 1)};

    // Both passes only raise pixels, so together they give the polygon with edges anti-aliased
    // along both axes. A crossing of a shallow edge is pulled inwards by half its slope.
    std::vector<Crossing> cs;
    for (int32_t y = bb.y0; y <= bb.y1; ++y) {
        collectCrossings(pts, y, true, cs);
        for (size_t k = 0; k + 1 < cs.size(); k += 2) {
            float left = std::max(cs[k].pos, 0.0f), right = std::min(cs[k + 1].pos, float(width()));
            if (cs[k].flat)
                left += cs[k].slope / 2;
            if (cs[k + 1].flat)
                right -= cs[k + 1].slope / 2;
            if (right > left)
                qz61DrawAntiXLine(left, right, y, 255, 1.0f, true);
        }
    }
    for (int32_t x = bb.x0; x <= bb.x1; ++x) {
        collectCrossings(pts, x, false, cs);
        for (size_t k = 0; k + 1 < cs.size(); k += 2) {
            float top = std::max(cs[k].pos, 0.0f),
                  bottom = std::min(cs[k + 1].pos, float(height()));
            if (!cs[k].flat)
                top += cs[k].slope / 2;
            if (!cs[k + 1].flat)
                bottom -= cs[k + 1].slope / 2;
            if (bottom > top)
                qz61DrawAntiYLine(top, bottom, x, 255, 1.0f, true);
        }
    }
}

void TChannel::DrawPolygon(std::span<const sPos> p)
{
    if (p.empty())
        return;
    std::vector<sPos> closed(p.begin(), p.end());
    closed.push_back(p.front());
    DrawPolyRect(closed);
}

void TChannel::DrawNLine(float x1, float y1, float x2, float y2, float n, int32_t color)
{
    (void)color; // the fill value is always 255
    const double half = double(n) / 2;
    const double dx = double(x2) - x1, dy = double(y2) - y1;
    const double len = std::sqrt(dx * dx + dy * dy);
    const double ax = len > 0 ? -dy / len * half : 0, ay = len > 0 ? dx / len * half : 0;
    auto corner = [](double x, double y) {
        return sPos{int32_t(std::trunc(x)), int32_t(std::trunc(y))};
    };
    const sPos poly[5] = {corner(x1 + ax, y1 + ay), corner(x2 + ax, y2 + ay),
                          corner(x2 - ax, y2 - ay), corner(x1 - ax, y1 - ay),
                          corner(x1 + ax, y1 + ay)};
    DrawPolyRect(poly);
}

// ---- byte images ---------------------------------------------------------------------------

void byteImageInit(sByteImage &img)
{
    byteImageFree(img);
}

void byteImageFree(sByteImage &img)
{
    img.data.reset();
    img.w = img.h = 0;
}

bool byteImageAlloc(sByteImage &img, int32_t w, int32_t h)
{
    if (img.data && img.w == w && img.h == h)
        return true;
    byteImageFree(img);
    if (w < 0 || h < 0)
        return false;
    const size_t n = size_t(w) * size_t(h);
    if (n > 0) {
        img.data.reset(new (std::nothrow) uint8_t[n]);
        if (!img.data)
            return false;
    }
    img.w = w;
    img.h = h;
    return true;
}

bool byteImageHasData(const sByteImage &img)
{
    return img.data != nullptr;
}

uint32_t byteImageBytes(const sByteImage &img)
{
    return img.data ? uint32_t(img.w) * uint32_t(img.h) : 0;
}

void byteImageAttach(sByteImage &img, std::unique_ptr<uint8_t[]> data, const sSize &sz)
{
    byteImageFree(img);
    img.data = std::move(data);
    img.w = sz.x;
    img.h = sz.y;
}

std::unique_ptr<uint8_t[]> byteImageDetach(sByteImage &img)
{
    img.w = img.h = 0;
    return std::move(img.data);
}

bool byteImageFromChannel(sByteImage &img, const TChannel &ch, sBox box)
{
    if (!ch.isEnable() || !ch.clipping(box) || !byteImageAlloc(img, box.w, box.h))
        return false;
    for (int32_t j = 0; j < box.h; ++j)
        std::memcpy(byteImagePixel(img, 0, j), ch.seek8(box.x, box.y + j), size_t(box.w));
    return true;
}

bool byteImageToChannel(const sByteImage &img, TChannel &ch, const sBox &box)
{
    sPos dpos = box.pos();
    sBox src{0, 0, img.w, img.h};
    if (!img.data || !ch.isEnable() || !clipBlt(ch.FPSZ(), {img.w, img.h}, dpos, src))
        return false;
    for (int32_t j = 0; j < src.h; ++j)
        std::memcpy(ch.seek8(dpos.x, dpos.y + j), byteImagePixel(img, src.x, src.y + j),
                    size_t(src.w));
    return true;
}

// ---- puts of the oldest engine -------------------------------------------------------------

void channelPutDiff(uint8_t &pixel, int32_t color, int32_t opacity)
{
    if (opacity <= 0)
        return;
    if (opacity >= 255) {
        pixel = uint8_t(color);
        return;
    }
    const uint8_t d = uint8_t((uint8_t(color) >> 1) - (pixel >> 1));
    pixel = uint8_t(pixel + gSignedProductTable[opacity][d]);
}

void pixelPutDiff(sBGRA *dst, uint32_t col, uint32_t a)
{
    if (a == 0)
        return;
    const sBGRA c{.all = col};
    if (a >= 255) {
        dst->B = c.B;
        dst->G = c.G;
        dst->R = c.R;
        return;
    }
    const auto &row = gSignedProductTable[a];
    auto put = [&row](uint8_t &d, uint8_t s) {
        d = uint8_t(d + row[uint8_t((s >> 1) - (d >> 1))]);
    };
    put(dst->B, c.B);
    put(dst->G, c.G);
    put(dst->R, c.R);
}

void fillInteriorPixel(uint8_t *pixel, bool isEdge)
{
    if (!isEdge)
        *pixel = 255;
}
