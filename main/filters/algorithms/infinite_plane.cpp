#include "filters/algorithms/infinite_plane.h"

#include "core/image/canvas.h"
#include "core/mask/mask_manager.h"
#include "core/pixel/blend_modes.h"
#include "core/tiles/block_layer_image.h"
#include "filters/algorithms/floor_filter.h"
#include "filters/core/pixel_toolkit.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

namespace {

constexpr double kFarV = 1073741824.0; // 2^30: a ray parallel to the planes

// The low 32 bits of Trunc, as an Integer argument receives a 64-bit result.
int32_t truncLow32(double v)
{
    if (!std::isfinite(v) || std::fabs(v) >= 9.2e18)
        return 0;
    return int32_t(uint32_t(uint64_t(int64_t(v))));
}

// The distance of a hit from the camera, clamped to [near, far]; a hit that is not a number (an
// infinite ray times zero) lies at far.
double clampedDistance(double du, double dv, uint32_t nearDist, uint32_t farDist)
{
    const double d = std::sqrt(du * du + dv * dv);
    return std::isnan(d) ? double(farDist) : std::clamp(d, double(nearDist), double(farDist));
}

} // namespace

bool CInfinitePlane::Initialize(int32_t width, int32_t height, int32_t maxfar)
{
    if (width < 1 || height < 1 || width == INT32_MAX || height == INT32_MAX)
        return false;
    m_bx = width + 1;
    m_by = height + 1;
    try {
        m_row.assign(size_t(m_bx), SPlanePoint{});
    } catch (const std::bad_alloc &) {
        m_row.clear();
        return false;
    }
    m_maxnear = uint32_t((int64_t(width) + height) / 4);
    const int32_t m = std::max(maxfar, 1);
    const long double nearDist = m_maxnear;
    const long double far =
        std::pow((long double)m / 100, 1.5L) * (200 * nearDist - nearDist) + nearDist;
    // The fog divides by far: a mesh of a few pixels has near 0.
    m_maxfar = uint32_t(std::clamp(far, 1.0L, 4294967295.0L));
    return true;
}

void CInfinitePlane::SetCamera(double mx, double my, double mz, double H, double P, double B)
{
    m_mx = mx;
    m_my = my;
    m_mz = mz;
    m_H = H;
    m_P = P;
    m_B = B;
}

void CInfinitePlane::SetDistCamera(double px, double py, double pz, double length, double H,
                                   double P)
{
    m_H = H;
    m_P = P;
    const double phi = P + std::numbers::pi, theta = H + std::numbers::pi;
    const double k = length * std::cos(phi);
    m_mx = px - std::sin(theta) * k;
    m_my = py - length * std::sin(phi);
    m_mz = pz + k * std::cos(theta);
}

void CInfinitePlane::SetHeadingPitch(double eye2scr, double skyheight, const TMTC *floor,
                                     const TMTC *sky)
{
    m_eye2scr = eye2scr;
    m_skyheight = skyheight;
    m_texture[0] = floor;
    m_texture[1] = sky;
    m_bank = false;
}

void CInfinitePlane::SetHeadingBank(double eye2scr, double skyheight, const TMTC *floor,
                                    const TMTC *sky)
{
    SetHeadingPitch(eye2scr, skyheight, floor, sky);
    m_bank = true;
}

// The hit of a ray with height term t and plane direction (planeU, planeV) before the heading
// turn: for the pitch, planeU is q and planeV is f; for the bank the eye distance takes f's
// place and f' takes q's.
SPlanePoint CInfinitePlane::hitPoint(double t, double a, double b) const
{
    SPlanePoint pt;
    if (t != 0) {
        const double k = ((t > 0 ? m_skyheight : 0) - m_my) / t;
        pt.v = m_mz + (std::sin(m_H) * a + std::cos(m_H) * b) * k;
        pt.u = m_mx + (std::cos(m_H) * a - std::sin(m_H) * b) * k;
    } else {
        pt.u = 0;
        pt.v = kFarV;
    }
    pt.z = clampedDistance(pt.u - m_mx, pt.v - m_mz, m_maxnear, m_maxfar);
    pt.tex = t >= 0 ? 1 : 0;
    if (pt.tex == 1)
        pt.v = -pt.v;
    return pt;
}

SPlanePoint CInfinitePlane::meshPointPlain(int32_t i, int32_t j) const
{
    const double r = j - m_by / 2.0, q = i - m_bx / 2.0;
    if (!m_bank) {
        const double t = std::cos(m_P) * r - m_eye2scr * std::sin(m_P);
        const double f = std::sin(m_P) * r + m_eye2scr * std::cos(m_P);
        return hitPoint(t, q, f);
    }
    const double sB = std::sin(m_B), cB = std::cos(m_B);
    const double t = sB * q + cB * r;
    const double f2 = cB * q - sB * r;
    return hitPoint(t, f2, m_eye2scr);
}

void CInfinitePlane::meshRow(int32_t j, std::span<SPlanePoint> row) const
{
    const double r = j - m_by / 2.0;
    const double sH = std::sin(m_H), cH = std::cos(m_H);
    const double hsky = m_skyheight - m_my, hfloor = 0 - m_my;
    // The terms of one ray that do not change along the row.
    double t0, f0, dt, df;
    if (!m_bank) {
        t0 = std::cos(m_P) * r - m_eye2scr * std::sin(m_P);
        f0 = std::sin(m_P) * r + m_eye2scr * std::cos(m_P);
        dt = df = 0;
    } else {
        const double sB = std::sin(m_B), cB = std::cos(m_B);
        t0 = cB * r;  // t = sB q + cB r
        f0 = -sB * r; // f' = cB q - sB r
        dt = sB;
        df = cB;
    }
    const size_t n = std::min(row.size(), size_t(m_bx));
    for (size_t idx = 0; idx < n; ++idx) {
        const double q = int32_t(idx) - m_bx / 2.0;
        double t, a, b;
        if (!m_bank) {
            t = t0;
            a = q;
            b = f0;
        } else {
            t = dt * q + t0;
            a = df * q + f0;
            b = m_eye2scr;
        }
        SPlanePoint &pt = row[idx];
        if (t != 0) {
            const double k = (t > 0 ? hsky : hfloor) / t;
            pt.v = m_mz + (sH * a + cH * b) * k;
            pt.u = m_mx + (cH * a - sH * b) * k;
        } else {
            pt.u = 0;
            pt.v = kFarV;
        }
        pt.z = clampedDistance(pt.u - m_mx, pt.v - m_mz, m_maxnear, m_maxfar);
        pt.tex = t >= 0 ? 1 : 0;
        if (pt.tex == 1)
            pt.v = -pt.v;
    }
}

bool CInfinitePlane::Rendering(CBlockVMTC &dest, uint32_t farColor, int32_t alpha, bool clear,
                               bool useOrgPic, bool, bool drawfar, const CMaskData *mask,
                               sPos ofspos, bool prt, const sRect &)
{
    if (m_row.size() != size_t(m_bx) || m_bx < 2 || m_by < 2)
        return false;
    const bool useMask = CMaskData::hasMask(mask);
    const fptrPixelPut4core put = floorPut(clear, prt, useOrgPic);
    const int64_t maxfar = m_maxfar;
    for (int32_t j = 0; j < m_by - 1; ++j) {
        meshRow(j, m_row);
        const bool farRow = !drawfar && !(double(m_maxfar) > m_row[0].z);
        for (int32_t i = 0; i < m_bx - 1; ++i) {
            const uint32_t weight =
                useMask ? mask->effectMask(i + ofspos.x, j + ofspos.y, 255) : 255;
            if (weight == 0)
                continue;
            const SPlanePoint &pt = m_row[size_t(i)];
            // The distance is at most far, so its 16.16 value fits 64 bits.
            const int64_t D = int64_t(pt.z * 65536);
            int64_t fog, opacity;
            uint32_t colour;
            if (farRow) {
                // As recorded: far is compared with the 16.16 distance here.
                fog = maxfar > D ? (D >> 16) * 255 / maxfar : 255;
                opacity = 255 - fog;
                colour = 0x00FFFFFF;
            } else {
                fog = (D >> 16) < maxfar ? (D >> 16) * 255 / maxfar : 255;
                opacity = int64_t(alpha) + 255 - fog;
                const TMTC *tex = m_texture[pt.tex];
                colour = tex ? sampleBilinearCanvas(*tex, truncLow32(pt.u * 65536),
                                                    truncLow32(pt.v * 65536), true)
                             : 0;
                if (!clear) {
                    sBGRA c{.all = colour};
                    pixelPutOver(&c, farColor, uint32_t(fog));
                    colour = c.all;
                }
            }
            sBGRA *px = dest.seekPixel(i, j);
            if (!px)
                return false;
            // A negative opacity would reach the put as a huge unsigned one.
            put(px, colour,
                uint32_t(std::clamp<int64_t>(std::min<int64_t>(opacity, weight), 0, 255)));
        }
    }
    return true;
}
