#include "paint/tone/tone_maker.h"

#include "core/image/channel.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <new>

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;
constexpr float kMinPitch = 3;
constexpr float kMaxPitch = 128;
// Requests far beyond either end can never fit (the fitted pitch stays within a pixel of the
// request): refused before any arithmetic on them.
constexpr float kMinRequestPitch = 1;
constexpr float kMaxRequestPitch = 1024;
// The super-cell search stops where n cells would exceed this many pixels.
constexpr long double kMaxSuperCell = 512;
constexpr long double kGoodFitError = 0.05L;

// trunc, less 1 when the value is negative: an exact negative whole number steps down one too.
// (The conversion itself truncates; it runs once or twice per tile pixel, where a call of the
// library's long double trunc would cost more than the rest of the pixel's arithmetic.)
int64_t cellIndex(long double v)
{
    const int64_t i = int64_t(v);
    return v < 0 ? i - 1 : i;
}

// A float's bits as a key whose unsigned order is the float order (-0 just before +0; the
// values sorted are never NaN).
uint32_t floatSortKey(float v)
{
    const uint32_t bits = std::bit_cast<uint32_t>(v);
    return (bits & 0x80000000u) ? ~bits : bits | 0x80000000u;
}

float floatOfSortKey(uint32_t key)
{
    return std::bit_cast<float>((key & 0x80000000u) ? key & 0x7FFFFFFFu : ~key);
}

// Sorts the sort keys of the values into keys, ascending: a radix sort, three passes of 11 bits,
// whose counts are all taken in one pass. The tile holds up to half a million thresholds, which a
// comparison sort orders several times slower. work is the sort's scratch; both buffers are the
// caller's so that building tone after tone reuses their pages.
void sortKeysOf(const std::vector<float> &values, std::vector<uint32_t> &keys,
                std::vector<uint32_t> &work)
{
    constexpr int kBits = 11;
    constexpr int kPasses = 3;
    constexpr uint32_t kBuckets = 1u << kBits;
    const size_t n = values.size();
    keys.resize(n);
    work.resize(n);
    std::array<size_t, size_t(kPasses) * kBuckets> starts{};
    for (size_t i = 0; i < n; ++i) {
        const uint32_t k = floatSortKey(values[i]);
        keys[i] = k;
        for (int pass = 0; pass < kPasses; ++pass) {
            ++starts[size_t(pass) * kBuckets + ((k >> (pass * kBits)) & (kBuckets - 1))];
        }
    }
    uint32_t *from = keys.data(), *to = work.data();
    for (int pass = 0; pass < kPasses; ++pass) {
        size_t *start = starts.data() + size_t(pass) * kBuckets;
        size_t sum = 0;
        for (uint32_t b = 0; b < kBuckets; ++b) {
            const size_t count = start[b];
            start[b] = sum;
            sum += count;
        }
        for (size_t i = 0; i < n; ++i) {
            to[start[(from[i] >> (pass * kBits)) & (kBuckets - 1)]++] = from[i];
        }
        std::swap(from, to);
    }
    if (from != keys.data()) {
        std::copy(from, from + n, keys.data());
    }
}

// Distance of |x| to its nearest whole number.
long double fitError(long double x)
{
    const long double a = std::fabs(x);
    return std::fabs(a - std::nearbyint(a));
}

// The dot shape s(U, V) at (U, V) in -1..1, the place inside the cell.
long double shapeValue(eTonePatType type, long double u, long double v)
{
    const long double a = std::fabs(u), b = std::fabs(v);
    switch (type) {
    case tptRound:
        return a + b > 1 ? (a - 1) * (a - 1) + (b - 1) * (b - 1) - 1 : 1 - u * u - v * v;
    case tptSimpleDot:
        return 1 - u * u - v * v;
    case tptCosDot:
        return (std::cos(kPi * u) + std::cos(kPi * v)) / 2;
    case tptLine:
        return -b;
    case tptLineX:
        return u;
    case tptLineY:
        return v;
    case tptSquare:
        return -std::max(a, b);
    case tptCross:
        return -std::min(a, b);
    case tptDiamond:
        if (a + b <= 0.75L) {
            return 1 - u * u - v * v;
        }
        if (a + b <= 1.23L) {
            return 1 - (b + 0.85L * a);
        }
        return (a - 1) * (a - 1) + (b - 1) * (b - 1) - 1;
    case tptRhomboid:
    default:
        return (0.9L * a + b) / 2;
    }
}

int32_t saturate(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
}

} // namespace

QString getTonePatTypeName(int32_t type)
{
    static const char16_t *const names[tptMaxNum] = {
        u"円(網)", u"円(単)",   u"円(Cos)", u"線",     u"線(X)",
        u"線(Y)",  u"スクエア", u"クロス",  u"ダイヤ", u"菱形",
    };
    if (type < 0 || type >= tptMaxNum) {
        return QStringLiteral("???");
    }
    return QString::fromUtf16(names[type]);
}

eTonePatType tonePatTypeOf(int32_t value)
{
    return eTonePatType(std::clamp<int32_t>(value, tptRound, tptMaxNum - 1));
}

void initToneAttr(SToneAttr &attr)
{
    attr = SToneAttr{};
    attr.pattern = 0;
    attr.genName = true;
}

bool isToneAttrUsable(const SToneAttr &attr)
{
    return std::isfinite(attr.dpi) && std::isfinite(attr.line) && attr.dpi > 0 && attr.line > 0 &&
           std::isfinite(attr.percent) && std::isfinite(attr.degree);
}

// A fitted geometry, applied to the maker only when valid.
struct CToneMaker::SGeometry
{
    float d = 0, radian = 0, sn = 0, cn = 0, fa = 0, fb = 0, U = 0, k = 0, trueDeg = 0;
    sFPos cp;
    int32_t A = 0, B = 0, n = 0;
};

CToneMaker::CToneMaker() = default;
CToneMaker::~CToneMaker() = default;

bool CToneMaker::hasTile() const
{
    return tileCH && tileCH->isEnable();
}

bool CToneMaker::fitGeometry(float reqD, float deg, SGeometry &g)
{
    if (!std::isfinite(reqD) || !std::isfinite(deg) || !(reqD >= kMinRequestPitch) ||
        reqD > kMaxRequestPitch) {
        return false;
    }
    const long double rad = (long double)deg * kPi / 180;
    const float fa = float(reqD * std::sin(rad));
    const float fb = float(reqD * std::cos(rad));

    // The multiplier n whose n cells come closest to whole pixels on both axes.
    int32_t n = 1;
    const float longer = std::max(fa, fb);
    if (longer > 0) {
        // A sliver of a side (angles far outside 0..90) would allow countless multipliers.
        const int32_t last = int32_t(std::min(kMaxSuperCell / longer, kMaxSuperCell)) - 1;
        long double bestError = std::numeric_limits<long double>::infinity();
        for (int32_t i = 1; i <= last; ++i) {
            const long double error = fitError((long double)i * fa) + fitError((long double)i * fb);
            if (error < kGoodFitError) {
                n = i;
                break;
            }
            if (error < bestError) { // the earliest on ties
                bestError = error;
                n = i;
            }
        }
    }
    g.n = n;
    g.A = int32_t(std::trunc((long double)n * fa + 0.15L));
    g.B = int32_t(std::trunc((long double)n * fb + 0.15L));
    if (g.A < 0 || g.B < 0) {
        return false; // the fold into the tile only knows the first quadrant
    }

    // Everything again from the whole-pixel side vector.
    g.U = float(std::sqrt((long double)g.A * g.A + (long double)g.B * g.B));
    if (!(g.U > 0)) {
        return false;
    }
    g.sn = float(g.A / (long double)g.U);
    g.cn = float(g.B / (long double)g.U);
    g.d = float(g.U / (long double)n);
    g.fa = float(g.A / (long double)n);
    g.fb = float(g.B / (long double)n);
    g.cp = {float(((long double)g.fa + g.fb) / 2), float(((long double)g.fb - g.fa) / 2)};
    g.k = float((g.B - g.A) / 2); // toward zero
    g.radian = float(std::atan2((long double)g.A, (long double)g.B));
    g.trueDeg = float(std::atan2((long double)g.A, (long double)g.B) * 180 / kPi);
    return g.d >= kMinPitch && g.d <= kMaxPitch && n > 0;
}

void CToneMaker::applyGeometry(const SGeometry &g)
{
    d = g.d;
    radian = g.radian;
    sn = g.sn;
    cn = g.cn;
    fa = g.fa;
    fb = g.fb;
    cp = g.cp;
    U = g.U;
    A = g.A;
    B = g.B;
    n = g.n;
    k = g.k;
    trueDeg = g.trueDeg;
}

bool CToneMaker::buildTone(int32_t pat, float _d, float deg, float per, int32_t ba)
{
    if (!std::isfinite(per)) {
        return false;
    }
    bool geometryChanged = false;
    if (!hasGeometry || _d != reqD || deg != degree) {
        SGeometry g;
        if (!fitGeometry(_d, deg, g)) {
            return false;
        }
        auto tile = std::make_unique<TChannel>();
        if (!tile->Resize(g.A + g.B, std::max(g.A, g.B))) {
            return false;
        }
        try {
            valAry.assign(size_t(tile->width()) * size_t(tile->height()), 0.0f);
        } catch (const std::bad_alloc &) {
            return false;
        }
        applyGeometry(g);
        tileCH = std::move(tile);
        reqD = _d;
        degree = deg;
        hasGeometry = true;
        geometryChanged = true;
    }
    percent = std::clamp(per, 0.0f, 100.0f);
    patType = tonePatTypeOf(pat);
    band = ba;
    if (geometryChanged || !mapValid || mapType != patType) {
        buildThresholdMap();
    }
    writeTile();
    return true;
}

void CToneMaker::buildThresholdMap()
{
    const int32_t w = tileCH->width(), h = tileCH->height();
    // The column products are the same on every row: taken once, they round exactly as they
    // would inside the loop.
    std::vector<long double> cnX(static_cast<size_t>(w)), snX(static_cast<size_t>(w));
    for (int32_t c = 0; c < w; ++c) {
        const long double x = c + 0.5L;
        cnX[size_t(c)] = cn * x;
        snX[size_t(c)] = sn * x;
    }
    for (int32_t r = 0; r < h; ++r) {
        const long double y = r + (long double)k + 0.5L;
        const long double snY = sn * y, cnY = cn * y;
        for (int32_t c = 0; c < w; ++c) {
            const long double u = (cnX[size_t(c)] - snY) / d;
            const long double v = (snX[size_t(c)] + cnY) / d;
            const long double cu = 2 * (u - cellIndex(u)) - 1;
            const long double cv = 2 * (v - cellIndex(v)) - 1;
            valAry[size_t(r) * size_t(w) + size_t(c)] = float(-shapeValue(patType, cu, cv));
        }
    }
    // The running maximum starts at 0 and the minimum at 10000; a value that raises the maximum
    // is not tested against the minimum. Any affine map keeps the ranks, and only ranks decide
    // the tile, so this only sets the scale.
    float maxV = 0, minV = 10000;
    for (const float v : valAry) {
        if (v > maxV) {
            maxV = v;
        } else if (v < minV) {
            minV = v;
        }
    }
    const long double span = (long double)maxV - minV;
    for (float &v : valAry) {
        v = span > 0 ? float((v - (long double)minV) / span) : 0.0f; // a flat map has one rank
    }
    buildPercentTable();
    mapType = patType;
    mapValid = true;
}

void CToneMaker::buildPercentTable()
{
    sortKeysOf(valAry, sortKeys, sortWork);
    const std::vector<uint32_t> &sorted = sortKeys;
    const int64_t count = int64_t(sorted.size());
    // -0 and +0 have keys of their own but are the same threshold: equal runs compare as floats.
    const auto floatLess = [](uint32_t a, uint32_t b) {
        return floatOfSortKey(a) < floatOfSortKey(b);
    };
    for (int32_t i = 0; i <= 100; ++i) {
        SToneMapEntry &e = mapTbl[size_t(i)];
        e.percent = i;
        const uint32_t key = sorted[size_t(std::min(count * i / 100, count - 1))];
        e.value = floatOfSortKey(key);
        const auto same = std::equal_range(sorted.begin(), sorted.end(), key, floatLess);
        e.num = int32_t(same.second - same.first);
    }
    for (int32_t i = 0; i <= 100; ++i) {
        SToneMapEntry &e = mapTbl[size_t(i)];
        e.back = 0;
        while (e.back < i && mapTbl[size_t(i - e.back - 1)].value == e.value) {
            ++e.back;
        }
        e.fwd = 0;
        while (e.fwd < 100 - i && mapTbl[size_t(i + e.fwd + 1)].value == e.value) {
            ++e.fwd;
        }
    }
}

void CToneMaker::writeTile()
{
    const int32_t p = int32_t(percent);
    const SToneMapEntry &at = mapTbl[size_t(p)];
    const int32_t lower = p - std::min(std::max(at.back, band), p);
    const int32_t upper = p + std::min(std::max(band, at.fwd), 100 - p);
    limitL = mapTbl[size_t(lower)].value;
    limitR = mapTbl[size_t(upper)].value;
    range = limitR - limitL;
    const int32_t w = tileCH->width(), h = tileCH->height();
    for (int32_t r = 0; r < h; ++r) {
        uint8_t *row = tileCH->seek8(0, r);
        for (int32_t c = 0; c < w; ++c) {
            const float t = valAry[size_t(r) * size_t(w) + size_t(c)];
            if (t <= limitL) {
                row[c] = 0;
            } else if (t >= limitR) {
                row[c] = 255;
            } else { // limitL < t < limitR, so range > 0
                row[c] = uint8_t(int32_t(((long double)t - limitL) * 255 / range)); // truncated
            }
        }
    }
}

uint32_t CToneMaker::getTone(int32_t x, int32_t y) const
{
    if (!hasTile()) {
        return 0;
    }
    const long double px = x + 0.5L, py = y + 0.5L;
    const long double e = (px * cn - py * sn) / U;
    const long double f = (px * sn + py * cn) / U;
    const int64_t i = cellIndex(e), j = cellIndex(f);
    // The super-cell that holds the pixel, and the pixel's offset from its origin.
    int64_t a = int64_t(x) - (i * B + j * A);
    int64_t c = int64_t(y) - (-i * A + j * B) - int64_t(k);
    // Fold the offset into the tile, whose rows start k below the super-cell's origin.
    if (c < 0) {
        if (a < B) {
            if (B < -c) {
                a += A - B, c += A + B;
            } else {
                a += A, c += B;
            }
        } else if (A < -c) {
            a += A - B, c += A + B;
        } else {
            a -= B, c += A;
        }
    } else if (a >= A && c >= B) {
        a -= A, c -= B;
    } else if (a < A && c >= A) {
        a += B, c -= A;
    }
    return 255u - tileCH->PixelGet(saturate(a), saturate(c));
}

bool CToneMaker::fill(TChannel &ch, int32_t dx, int32_t dy) const
{
    for (int32_t y = 0; y < ch.height(); ++y) {
        uint8_t *row = ch.seek8(0, y);
        for (int32_t x = 0; x < ch.width(); ++x) {
            row[x] = uint8_t(getTone(saturate(int64_t(dx) + x), saturate(int64_t(dy) + y)));
        }
    }
    return true;
}
