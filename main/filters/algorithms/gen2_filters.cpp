#include "filters/algorithms/gen2_filters.h"

#include "core/base/numeric.h"
#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "core/pixel/blend_modes.h"
#include "core/tiles/block_layer_image.h"
#include "document/selection/effect_rect.h"
#include "filters/algorithms/infinite_plane.h"
#include "filters/algorithms/older_lighting.h"
#include "filters/algorithms/vector_maths.h"
#include "filters/core/gauss_kernels.h"
#include "paint/render/stroke_base_puts.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>
#include <vector>

SRand gFlt2Rand;

namespace {

// ---------------------------------------------------------------------------------------------
// The entry frame

struct SGen2Frame
{
    const CBlockVMTC &src;
    CBlockVMTC &dst;
    const CMaskData *mask;
    bool useMask;
    sPos ofs;
    sRect rect;
    bool prt;

    uint32_t maskValue(int32_t x, int32_t y) const
    {
        return useMask ? mask->effectMask(x + ofs.x, y + ofs.y, 255) : 255;
    }
    int32_t W() const { return dst.width(); }
    int32_t H() const { return dst.height(); }
    bool inside(int32_t x, int32_t y) const { return x >= 0 && x < W() && y >= 0 && y < H(); }
    bool copyBackup() const { return dst.copyArea(src); }
};

std::optional<SGen2Frame> gen2Frame(const CBlockVMTC &backup, const SFilterLayerView &layer,
                                    const CMaskData *mask)
{
    if (!layer.image || backup.FPSZ() != layer.image->FPSZ())
        return std::nullopt;
    sRect rect;
    if (!getEffectRect(layer.image, layer.viewPos, mask, rect))
        return std::nullopt;
    const sPos ofs = mask ? sPos{int32_t(uint32_t(mask->viewPos.x) - uint32_t(layer.viewPos.x)),
                                 int32_t(uint32_t(mask->viewPos.y) - uint32_t(layer.viewPos.y))}
                          : sPos{0, 0};
    return SGen2Frame{backup, *layer.image,       mask, CMaskData::hasMask(mask), ofs,
                      rect,   layer.maskProtected};
}

// The low 32 bits of Trunc, as an Integer receives the 64-bit result.
int32_t truncLow32(long double v)
{
    if (!std::isfinite(v) || std::fabs(v) >= 9.2e18L)
        return 0;
    return int32_t(uint32_t(uint64_t(int64_t(v))));
}

int32_t addWrap(int32_t a, int32_t b)
{
    return int32_t(uint32_t(a) + uint32_t(b));
}

// Every pixel of the rectangle with a non-zero mask value, rows outer.
template <class F> bool forRect(const SGen2Frame &f, F fn)
{
    for (int32_t y = f.rect.y0; y < f.rect.y1; ++y)
        for (int32_t x = f.rect.x0; x < f.rect.x1; ++x) {
            const uint32_t m = f.maskValue(x, y);
            if (m == 0)
                continue;
            sBGRA *px = f.dst.seekPixelNC(x, y);
            if (!px)
                return false;
            fn(x, y, *px, m);
        }
    return true;
}

// The wave's and the twist's put: into a protected layer by the mask value, otherwise the sample
// replaces the pixel, alpha included, whatever the mask value.
void putDistorted(const SGen2Frame &f, sBGRA &px, uint32_t c, uint32_t m)
{
    if (f.prt)
        pixelPutAlpha(&px, c, m);
    else
        px.all = c;
}

// ---------------------------------------------------------------------------------------------
// Gaussian blur

// The sums of one tap run.
struct SBlurSum
{
    double Sw = 0, Swa = 0, Sa = 0;
    double Swac[3] = {0, 0, 0};
    int32_t n = 0;

    void add(float w, uint32_t pixel)
    {
        const sBGRA p{.all = pixel};
        const long double wa = (long double)w * p.A;
        Sw = double(Sw + (long double)w);
        Swa = double(Swa + wa);
        Swac[0] = double(Swac[0] + wa * p.B);
        Swac[1] = double(Swac[1] + wa * p.G);
        Swac[2] = double(Swac[2] + wa * p.R);
        Sa += p.A;
        ++n;
    }
    // alpha the plain mean of the tap alphas, colour weighted by alpha and kernel.
    bool finish(uint32_t &out) const
    {
        if (Sw == 0 || Sa == 0 || n == 0 || Swa == 0)
            return false;
        const auto byte = [](double v) { return v > 0 ? uint32_t(std::min(v, 255.0)) : 0u; };
        out = byte(Sa / n) << 24 | byte(Swac[2] / Swa) << 16 | byte(Swac[1] / Swa) << 8 |
              byte(Swac[0] / Swa);
        return true;
    }
};

void putBlurred(const SGen2Frame &f, sBGRA &px, uint32_t c, uint32_t m)
{
    if (f.prt)
        pixelPutAlpha(&px, c, m);
    else
        pixelPutWithAlpha(&px, c, m);
}

struct SBlurKernels
{
    std::vector<float> hk, vk;
    int32_t rh = 0, rv = 0;
};

bool blurKernels(SBlurKernels &k, int32_t W, int32_t H, float radius)
{
    try {
        k.hk.resize(size_t(W));
        k.vk.resize(size_t(H));
    } catch (const std::bad_alloc &) {
        return false;
    }
    return makeGaussKernelsF(k.hk, k.vk, W, std::fabs(double(radius)), H, k.rh, k.rv);
}

// Steps 1 and 2 shared by both forms: 0 the blur runs, 1 copied (true), -1 refused.
int32_t blurPrologue(const SGen2Frame &f, float radius, SBlurKernels &k)
{
    if (std::isnan(radius))
        return -1;
    if (radius <= 0)
        return f.copyBackup() ? 1 : -1;
    return blurKernels(k, f.W(), f.H(), radius) ? 0 : -1;
}

bool gaussianReference(const SGen2Frame &f, float radius)
{
    SBlurKernels k;
    if (const int32_t pre = blurPrologue(f, radius, k); pre != 0)
        return pre > 0;
    const int32_t W = f.W(), H = f.H();
    const sRect &r = f.rect;
    CBlockVMTC inter(r.x1, r.y1); // transparent white
    if (!inter.isEnable())
        return false;
    for (int32_t x = r.x0; x < r.x1; ++x)
        for (int32_t y = r.y0; y < r.y1; ++y) {
            SBlurSum s;
            for (int32_t t = -k.rv; t <= k.rv; ++t) {
                const int32_t sy = y + t, ki = t + H / 2;
                if (sy < 0 || sy >= H || ki < 0 || ki >= H)
                    continue;
                s.add(k.vk[size_t(ki)], f.src.getColor(x, sy));
            }
            uint32_t c;
            if (s.finish(c) && !inter.setPixel(x, y, c))
                return false;
        }
    return forRect(f, [&](int32_t x, int32_t y, sBGRA &px, uint32_t m) {
        SBlurSum s;
        for (int32_t t = -k.rh; t <= k.rh; ++t) {
            const int32_t sx = x + t, ki = t + W / 2;
            if (ki < 0 || ki >= W || sx < 0 || sx >= inter.width())
                continue;
            s.add(k.hk[size_t(ki)], inter.getColor(sx, y));
        }
        uint32_t c;
        if (s.finish(c))
            putBlurred(f, px, c, m);
    });
}

// The same passes over plain buffers: the source rows the vertical taps can reach are read once,
// and the intermediate holds only the rectangle (left of it, it is never written: transparent).
bool gaussianFast(const SGen2Frame &f, float radius)
{
    SBlurKernels k;
    if (const int32_t pre = blurPrologue(f, radius, k); pre != 0)
        return pre > 0;
    const int32_t W = f.W(), H = f.H();
    const sRect &r = f.rect;
    const int32_t w = r.x1 - r.x0, h = r.y1 - r.y0;
    const int32_t sy0 = std::max(0, r.y0 - k.rv), sy1 = std::min(H, r.y1 + k.rv);
    std::vector<uint32_t> src, inter;
    try {
        src.resize(size_t(w) * size_t(sy1 - sy0));
        inter.assign(size_t(w) * size_t(h), 0x00FFFFFFu);
    } catch (const std::bad_alloc &) {
        return false;
    }
    for (int32_t y = sy0; y < sy1; ++y)
        for (int32_t x = r.x0; x < r.x1; ++x)
            src[size_t(y - sy0) * size_t(w) + size_t(x - r.x0)] = f.src.getColor(x, y);
    // The taps of a row y are the kernel indices t + H div 2 in [0, H) whose rows are in [0, H).
    for (int32_t y = r.y0; y < r.y1; ++y) {
        const int32_t t0 = std::max({-k.rv, -y, -(H / 2)});
        const int32_t t1 = std::min({k.rv, H - 1 - y, H - 1 - H / 2});
        for (int32_t x = 0; x < w; ++x) {
            SBlurSum s;
            for (int32_t t = t0; t <= t1; ++t)
                s.add(k.vk[size_t(t + H / 2)], src[size_t(y + t - sy0) * size_t(w) + size_t(x)]);
            uint32_t c;
            if (s.finish(c))
                inter[size_t(y - r.y0) * size_t(w) + size_t(x)] = c;
        }
    }
    return forRect(f, [&](int32_t x, int32_t y, sBGRA &px, uint32_t m) {
        const uint32_t *row = &inter[size_t(y - r.y0) * size_t(w)];
        const int32_t t0 = std::max({-k.rh, -x, -(W / 2)});
        const int32_t t1 = std::min({k.rh, r.x1 - 1 - x, W - 1 - W / 2});
        SBlurSum s;
        for (int32_t t = t0; t <= t1; ++t) {
            const int32_t sx = x + t;
            s.add(k.hk[size_t(t + W / 2)], sx < r.x0 ? 0x00FFFFFFu : row[sx - r.x0]);
        }
        uint32_t c;
        if (s.finish(c))
            putBlurred(f, px, c, m);
    });
}

// ---------------------------------------------------------------------------------------------
// Tiles

// A tile's opacity map: size x size of 255 for squares, a triangle channel otherwise.
struct STileMask
{
    const TChannel *ch = nullptr;
    int32_t w = 0, h = 0;
    uint8_t at(int32_t x, int32_t y) const { return ch ? ch->getColor(x, y) : 255; }
};

bool drawTile(const SGen2Frame &f, const STileMask &tm, int32_t left, int32_t top, sBGRA col)
{
    const fptrPixelPut4core put = f.prt ? pixelPutSrcAlpha : pixelPutOver;
    // Only the part of the tile inside the image is visited.
    const int32_t mx0 = std::max(0, -left), my0 = std::max(0, -top);
    const int32_t mx1 = int32_t(std::min<int64_t>(tm.w, int64_t(f.W()) - left));
    const int32_t my1 = int32_t(std::min<int64_t>(tm.h, int64_t(f.H()) - top));
    for (int32_t my = my0; my < my1; ++my)
        for (int32_t mx = mx0; mx < mx1; ++mx) {
            const uint8_t v = tm.at(mx, my);
            const int32_t x = left + mx, y = top + my;
            if (v == 0 || f.maskValue(x, y) == 0)
                continue;
            sBGRA *px = f.dst.seekPixelNC(x, y);
            if (!px)
                return false;
            put(px, col.all, std::min<uint32_t>(v, col.A));
        }
    return true;
}

int32_t ceilDiv(int32_t a, int32_t b)
{
    return int32_t(std::ceil(double(a) / b));
}

bool drawSquareTiles(const SGen2Frame &f, const SOrgTiles &t)
{
    const STileMask tm{nullptr, t.size, t.size};
    const int32_t cols = ceilDiv(f.rect.x1, t.size), rows = ceilDiv(f.rect.y1, t.size);
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < cols; ++c) {
            const int64_t left = f.rect.x0 + int64_t(c) * t.size;
            const int64_t top = f.rect.y0 + int64_t(r) * t.size;
            if (left >= f.W() || top >= f.H())
                continue;
            if (!drawTile(f, tm, int32_t(left), int32_t(top), t.colors[size_t((r + c) % t.count)]))
                return false;
        }
    return true;
}

bool drawTriangleTiles(const SGen2Frame &f, const SOrgTiles &t)
{
    const int32_t half = t.size / 2;
    const long double hfExact = t.size * std::sqrt(3.0L) / 2;
    const int32_t h = std::max(int32_t(hfExact), 1);
    const float hf = float(hfExact);
    TChannel up, down;
    if (!up.Resize(2 * half + 2, h + 2) || !down.Resize(2 * half + 2, h + 2))
        return false;
    up.PixelFill(0);
    down.PixelFill(0);
    const auto corner = [](float x, float y) {
        sPos p = fPosToPos(sFPos{x, y});
        return sPos{p.x + 1, p.y + 1};
    };
    const float s = float(t.size), s2 = float(t.size / 2.0);
    const sPos upPts[3] = {corner(s2, 0), corner(0, hf), corner(s, hf)};
    const sPos downPts[3] = {corner(0, 0), corner(s2, hf), corner(s, 0)};
    up.DrawPolygon(upPts);
    down.DrawPolygon(downPts);
    const STileMask masks[2] = {{&up, up.width(), up.height()},
                                {&down, down.width(), down.height()}};

    const int32_t rows = ceilDiv(f.rect.y1, h);
    int32_t cols = ceilDiv(f.rect.x1, half) + 1;
    const int32_t rowStep = int32_t(hf);
    for (int32_t r = 0; r < rows; ++r) {
        if (r % 2 == 1)
            ++cols;
        const int64_t top = int64_t(r) * rowStep + f.rect.y0 - 1;
        if (top >= f.H())
            break;
        for (int32_t c = 0; c < cols; ++c) {
            int64_t left = int64_t(c) * half + (f.rect.x0 - half) - 1;
            if (r % 2 == 1)
                left -= half;
            if (left >= f.W())
                break;
            if (!drawTile(f, masks[c % 2], int32_t(left), int32_t(top),
                          t.colors[size_t(c % t.count)]))
                return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Clouds and rocks

bool cloudsWorker(const CBlockVMTC &backup, const SFilterLayerView &layer, const CMaskData *mask,
                  int32_t threshold, const SOrgClouds &cl, TChannel &work)
{
    const auto f = gen2Frame(backup, layer, mask);
    if (!f)
        return false;
    if (cl.amplitude <= 0)
        return f->copyBackup();
    const int32_t tw = std::min(cl.tileW, f->W()), th = std::min(cl.tileH, f->H());
    // A tile of no width would make no columns ever end.
    if (tw < 1 || th < 1 || work.width() < tw || work.height() < th)
        return false;
    randInit(gFlt2Rand, cl.seed, 0, 255);
    TChannel acc, grid;
    if (!acc.Resize(tw, th))
        return false;
    acc.PixelFill(128);
    const double A = threshold < 0 ? cl.amplitude / 10.0 : cl.amplitude / 100.0;
    makeCloudTexture(work, acc, grid, tw, th, A);

    const fptrPixelPut4core put = f->prt ? pixelPutAlpha : pixelPutOver;
    const int32_t cols = (f->rect.x1 + tw - 1) / tw, rows = (f->rect.y1 + th - 1) / th;
    for (int32_t r = 0; r < rows; ++r)
        for (int32_t c = 0; c < cols; ++c)
            for (int32_t ty = 0; ty < th; ++ty)
                for (int32_t tx = 0; tx < tw; ++tx) {
                    const int32_t x = c * tw + tx, y = f->rect.y0 + r * th + ty;
                    if (!f->inside(x, y) || f->maskValue(x, y) == 0)
                        continue;
                    const int32_t t = work.getColor(tx, ty);
                    uint32_t opacity = uint32_t(t);
                    if (threshold >= 0) {
                        const int32_t hw = threshold / 2, d = t - 128;
                        opacity = (-hw < d && d < hw) ? uint32_t(std::abs(d) * 255 / hw) : 255;
                    }
                    sBGRA *px = f->dst.seekPixelNC(x, y);
                    if (!px)
                        return false;
                    put(px, cl.back.all, 255);
                    put(px, cl.fore.all, opacity);
                }
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Entries

bool orgFltGaussianBlur(const CBlockVMTC &backup, const SFilterLayerView &layer,
                        const CMaskData *mask, float radius)
{
    const auto f = gen2Frame(backup, layer, mask);
    return f && gaussianFast(*f, radius);
}

bool orgFltGaussianBlurReference(const CBlockVMTC &backup, const SFilterLayerView &layer,
                                 const CMaskData *mask, float radius)
{
    const auto f = gen2Frame(backup, layer, mask);
    return f && gaussianReference(*f, radius);
}

bool orgFltWave(const CBlockVMTC &backup, const SFilterLayerView &layer, const CMaskData *mask,
                float hAmplitude, float vAmplitude, float hFrequency, float vFrequency, float phase)
{
    const auto f = gen2Frame(backup, layer, mask);
    if (!f || !std::isfinite(hAmplitude) || !std::isfinite(vAmplitude) ||
        !std::isfinite(hFrequency) || !std::isfinite(vFrequency) || !std::isfinite(phase))
        return false;
    if (float(hAmplitude * hFrequency) == 0 && float(vAmplitude * vFrequency) == 0)
        return f->copyBackup();
    const int32_t W = f->W(), H = f->H();
    std::vector<int32_t> hcos(static_cast<size_t>(W)), hsin(static_cast<size_t>(W)),
        vcos(static_cast<size_t>(H)), vsin(static_cast<size_t>(H));
    // The constant is 3.14159, not pi: the recorded pictures were made with it.
    const auto table = [&](int32_t n, float amp, float freq, std::vector<int32_t> &tc,
                           std::vector<int32_t> &ts) {
        for (int32_t i = 0; i < n; ++i) {
            const float base = float((long double)i / n * 2 * 3.14159L);
            const float theta = float(((long double)base + phase) * freq);
            tc[size_t(i)] = truncLow32((long double)amp * std::cos((long double)theta) * 65536);
            ts[size_t(i)] = truncLow32((long double)amp * std::sin((long double)theta) * 65536);
        }
    };
    table(W, hAmplitude, hFrequency, hcos, hsin);
    table(H, vAmplitude, vFrequency, vcos, vsin);
    return forRect(*f, [&](int32_t x, int32_t y, sBGRA &px, uint32_t m) {
        const int32_t sx =
            addWrap(addWrap(int32_t(uint32_t(x) << 16), hcos[size_t(x)]), vcos[size_t(y)]);
        const int32_t sy =
            addWrap(addWrap(int32_t(uint32_t(y) << 16), hsin[size_t(x)]), vsin[size_t(y)]);
        putDistorted(*f, px, sampleBilinearBlock(f->src, sx, sy, true), m);
    });
}

bool orgFltTwist(const CBlockVMTC &backup, const SFilterLayerView &layer, const CMaskData *mask,
                 float xFraction, float yFraction, float angle, bool insideCircle)
{
    const auto f = gen2Frame(backup, layer, mask);
    if (!f || !std::isfinite(xFraction) || !std::isfinite(yFraction) || !std::isfinite(angle))
        return false;
    if (angle == 0)
        return f->copyBackup();
    // Pixels outside the twist keep the backup's values.
    if (!f->copyBackup())
        return false;
    const float turn = float((long double)angle * 6.28318L);
    const int64_t W = f->W(), H = f->H();
    const int64_t cx = truncLow32((long double)W * xFraction);
    const int64_t cy = truncLow32((long double)H * yFraction);
    const int64_t bx = 2 * (W / 2 + std::llabs(cx - W / 2));
    const int64_t by = 2 * (H / 2 + std::llabs(cy - H / 2));
    const int64_t half = std::min(bx, by) / 2;
    const long double radius =
        insideCircle ? (long double)half
                     : std::sqrt((bx / 2.0L) * (bx / 2.0L) + (by / 2.0L) * (by / 2.0L));
    return forRect(*f, [&](int32_t x, int32_t y, sBGRA &px, uint32_t m) {
        if (insideCircle && (std::llabs(cx - x) >= half || std::llabs(cy - y) >= half))
            return;
        TVector2 v(float(x - cx), float(y - cy));
        const float D = v.Size();
        if (D >= radius)
            return;
        v.Rotate(float(turn * (1 - D / radius)));
        const int32_t sx = truncLow32(((long double)cx + v.x) * 65536);
        const int32_t sy = truncLow32(((long double)cy + v.y) * 65536);
        putDistorted(*f, px, sampleBilinearBlock(f->src, sx, sy, true), m);
    });
}

bool orgFltEmboss(const CBlockVMTC &backup, const SFilterLayerView &layer, const CMaskData *mask,
                  float distance, float angle)
{
    const auto f = gen2Frame(backup, layer, mask);
    if (!f || !std::isfinite(distance) || !std::isfinite(angle))
        return false;
    if (distance <= 0)
        return f->copyBackup();
    TVector2 d(0, 1);
    d.Rotate(angle);
    d.Mul(distance);
    return forRect(*f, [&](int32_t x, int32_t y, sBGRA &px, uint32_t m) {
        const sBGRA a{.all = sampleBilinearBlock(f->src, truncLow32((x - (long double)d.x) * 65536),
                                                 truncLow32((y - (long double)d.y) * 65536), true)};
        const sBGRA o{.all = sampleBilinearBlock(f->src, truncLow32((x + (long double)d.x) * 65536),
                                                 truncLow32((y + (long double)d.y) * 65536), true)};
        sBGRA c;
        c.B = uint8_t(128 + (a.B - o.B) / 2);
        c.G = uint8_t(128 + (a.G - o.G) / 2);
        c.R = uint8_t(128 + (a.R - o.R) / 2);
        c.A = uint8_t((a.A + o.A) / 2);
        pixelPutAlpha(&px, c.all, m);
    });
}

bool orgFltTiles(const CBlockVMTC &backup, const SFilterLayerView &layer, const CMaskData *mask,
                 const SOrgTiles &tiles)
{
    const auto f = gen2Frame(backup, layer, mask);
    if (!f)
        return false;
    if (tiles.size == 0)
        return f->copyBackup();
    // Counts outside 1..3 would divide by zero or pick a fourth colour; a triangle of size 1 has
    // half 0 (divided by); masks grow with the size squared.
    if (tiles.count < 1 || tiles.count > 3 || tiles.size < 0 || tiles.size > kOrgTileMaxSize)
        return false;
    if (tiles.shape == 0)
        return drawSquareTiles(*f, tiles);
    if (tiles.shape == 1 && tiles.size >= 2)
        return drawTriangleTiles(*f, tiles);
    return false;
}

bool orgFltCloudsRocks(const CBlockVMTC &backup, const SFilterLayerView &layer,
                       const CMaskData *mask, const SOrgClouds &clouds, TChannel &work)
{
    return cloudsWorker(backup, layer, mask, -1, clouds, work);
}

bool orgFltCloudsRocks2(const CBlockVMTC &backup, const SFilterLayerView &layer,
                        const CMaskData *mask, int32_t threshold, const SOrgClouds &clouds,
                        TChannel &work)
{
    return cloudsWorker(backup, layer, mask, threshold, clouds, work);
}

bool orgFltLighting(const CBlockVMTC &backup, const SFilterLayerView &layer, const CMaskData *mask,
                    int32_t bright, sBGRA color, int32_t count, std::span<const SFltLight> lights)
{
    if (!lights.data() || count < 0 || size_t(count) > lights.size())
        return false;
    for (int32_t i = 0; i < count; ++i) {
        const SFltLight &l = lights[size_t(i)];
        if (!std::isfinite(l.posx) || !std::isfinite(l.posy) || !std::isfinite(l.theta) ||
            !std::isfinite(l.phi))
            return false;
    }
    const auto f = gen2Frame(backup, layer, mask);
    if (!f)
        return false;
    TLighting lighting;
    lighting.ClearLight();
    lighting.SetAmb(color, bright);
    for (int32_t i = 0; i < count; ++i)
        lighting.AddLight(lights[size_t(i)], backup.width(), backup.height());
    return lighting.Rendering(&backup, &f->dst, mask, f->ofs, f->prt, f->rect);
}

void makeSharpenCustomKernel(float amount, Kernel3 &k)
{
    const long double a = 1.0L - amount;
    const double c = double(15.9L * a * a * a + 4.1L);
    const Kernel3 raw = {0, -1, 0, -1, c, -1, 0, -1, 0};
    normalizeKernel3(k, raw);
}

bool orgFltSharpenCustom(const CBlockVMTC &backup, const SFilterLayerView &layer,
                         const CMaskData *mask, float amount)
{
    const auto f = gen2Frame(backup, layer, mask);
    if (!f || std::isnan(amount))
        return false;
    if (amount <= 0)
        return true;
    Kernel3 k;
    makeSharpenCustomKernel(amount, k);
    // The whole layer, not only the rectangle, as recorded.
    for (int32_t y = 0; y < f->H(); ++y)
        for (int32_t x = 0; x < f->W(); ++x) {
            const uint32_t m = f->maskValue(x, y);
            if (m == 0)
                continue;
            PixelBlock3 block;
            for (int32_t j = 0; j < 3; ++j)
                for (int32_t i = 0; i < 3; ++i)
                    block[size_t(j * 3 + i)].all = f->src.PixelGet(x + i - 1, y + j - 1);
            sBGRA *px = f->dst.seekPixelNC(x, y);
            if (!px)
                return false;
            pixelPutAlpha(px, applyKernel3(k, block).all, m);
        }
    return true;
}

bool orgFltFloor(const CBlockVMTC &backup, const SFilterLayerView &layer, const CMaskData *mask,
                 const SFltFloor &floor)
{
    const auto f = gen2Frame(backup, layer, mask);
    const SFltFloorParam &fp = floor.sfloor;
    if (!f || !std::isfinite(fp.y) || !std::isfinite(fp.head) || !std::isfinite(fp.pitch) ||
        !std::isfinite(fp.bank))
        return false;
    const TMTC *floorTex = floor.stex[0].tc, *skyTex = floor.stex[1].tc;
    if (!floorTex || !skyTex || !floorTex->isEnable() || !skyTex->isEnable())
        return f->copyBackup();
    CInfinitePlane plane;
    if (!plane.Initialize(f->W(), f->H(), fp.maxfar))
        return false;
    const double m = std::max(f->W(), f->H());
    plane.SetCamera(fp.x * m / 100, fp.y * m / 100, fp.z * m / 100, fp.head, fp.pitch, fp.bank);
    plane.SetHeadingPitch(fp.eye2scr * m / 100, fp.skyheight * m / 100, floorTex, skyTex);
    const int32_t alpha = truncLow32((long double)int32_t(uint32_t(fp.alpha) * 255u) / 100);
    return plane.Rendering(f->dst, fp.farcol.all, alpha, fp.clear != 0, fp.useOrgPic != 0, true,
                           fp.drawfar != 0, mask, f->ofs, f->prt, f->rect);
}

// ---------------------------------------------------------------------------------------------
// Cloud texture

void makeCloudTexture(TChannel &work, TChannel &acc, TChannel &grid, int32_t tw, int32_t th,
                      double A)
{
    struct SOctave
    {
        int32_t q;
        double f;
        bool scaled;
    };
    static constexpr SOctave kOctaves[6] = {{64, 0.5, true},     {32, 1.0 / 3, true},
                                            {16, 0.25, true},    {8, 0.125, true},
                                            {3, 1.0 / 12, true}, {1, 0.125, false}};
    for (const SOctave &o : kOctaves) {
        const int32_t gw = std::max(int32_t(double(tw) / o.q), 1);
        const int32_t gh = std::max(int32_t(double(th) / o.q), 1);
        if (!grid.Resize(gw, gh))
            return;
        for (int32_t y = 0; y < gh; ++y)
            for (int32_t x = 0; x < gw; ++x)
                *grid.seek8(x, y) = uint8_t(randNext(gFlt2Rand));
        upsampleCos(grid, work, tw, th);
        addOctave(work, acc, o.scaled ? A * o.f : o.f);
    }
    gaussBlurChannel(acc, work, true, 1.5);
}

void upsampleCos(const TChannel &grid, TChannel &dst, int32_t w, int32_t h)
{
    static const std::array<uint8_t, 256> cosTab = [] {
        std::array<uint8_t, 256> t{};
        for (int i = 0; i < 256; ++i)
            t[size_t(i)] = uint8_t((1.0L - std::cos(i / 256.0L * 3.1415927L)) * 0.5L * 256);
        return t;
    }();
    const int32_t gw = grid.width(), gh = grid.height();
    if (gw < 1 || gh < 1 || w < 1 || h < 1)
        return;
    w = std::min(w, dst.width());
    h = std::min(h, dst.height());
    const int32_t sx = int32_t(double(gw) / w * 65536), sy = int32_t(double(gh) / h * 65536);
    const auto at = [&](int32_t x, int32_t y) -> uint32_t {
        return grid.getColor(posMod(x, gw), posMod(y, gh));
    };
    int32_t accY = 0;
    for (int32_t y = 0; y < h; ++y, accY += sy) {
        int32_t accX = 0;
        for (int32_t x = 0; x < w; ++x, accX += sx) {
            const uint32_t fx = cosTab[size_t((accX >> 8) & 255)];
            const uint32_t fy = cosTab[size_t((accY >> 8) & 255)];
            const int32_t gx = accX >> 16, gy = accY >> 16;
            const uint32_t top = mix255(at(gx, gy), at(gx + 1, gy), 255 - fx);
            const uint32_t bottom = mix255(at(gx, gy + 1), at(gx + 1, gy + 1), 255 - fx);
            *dst.seek8(x, y) = uint8_t(mix255(bottom, top, fy));
        }
    }
}

void addOctave(const TChannel &oct, TChannel &acc, double a)
{
    const int32_t n = truncLow32((long double)a * 255);
    const int32_t w = std::min(acc.width(), oct.width()), h = std::min(acc.height(), oct.height());
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const int32_t prod = int32_t(uint32_t(n) * uint32_t(int32_t(oct.getColor(x, y)) - 128));
            const long double v = (long double)acc.getColor(x, y) - 128 + prod / 255.0L + 128;
            *acc.seek8(x, y) = uint8_t(std::clamp<long double>(std::trunc(v), 0, 255));
        }
}

namespace {

// One pass of the channel blur: out(x, y) from the taps along (dx, dy).
void channelPass(const TChannel &src, TChannel &dst, const std::vector<float> &k, int32_t r,
                 bool vertical, bool wrap)
{
    const int32_t W = src.width(), H = src.height(), n = vertical ? H : W;
    for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x) {
            double Sw = 0, Swv = 0, Swvv = 0, Sv = 0;
            int32_t taps = 0;
            for (int32_t t = -r; t <= r; ++t) {
                int32_t ki = t + n / 2, p = (vertical ? y : x) + t;
                if (wrap) {
                    ki = posMod(ki, n);
                    p = posMod(p, n);
                } else if (ki < 0 || ki >= n || p < 0 || p >= n) {
                    continue;
                }
                const long double w = k[size_t(ki)];
                const uint32_t v = vertical ? src.getColor(x, p) : src.getColor(p, y);
                Sw = double(Sw + w);
                Swv = double(Swv + w * v);
                Swvv = double(Swvv + w * v * v);
                Sv += v;
                ++taps;
            }
            if (Sw != 0 && Sv != 0 && taps != 0 && Swv != 0)
                *dst.seek8(x, y) = uint8_t(Swvv / Swv > 0 ? std::min(Swvv / Swv, 255.0) : 0.0);
        }
}

} // namespace

void gaussBlurChannel(const TChannel &src, TChannel &dst, bool wrap, double sigma)
{
    if (!(sigma > 0)) {
        src.Blt(dst, 0, 0);
        return;
    }
    const int32_t W = src.width(), H = src.height();
    if (W < 1 || H < 1 || dst.width() < W || dst.height() < H)
        return;
    std::vector<float> hk(static_cast<size_t>(W)), vk(static_cast<size_t>(H));
    int32_t rh = 0, rv = 0;
    if (!makeGaussKernelsF(hk, vk, W, sigma, H, rh, rv))
        return;
    TChannel temp;
    if (!temp.Resize(W, H))
        return;
    temp.PixelFill(0);
    channelPass(src, temp, vk, rv, true, wrap);
    channelPass(temp, dst, hk, rh, false, wrap);
}
