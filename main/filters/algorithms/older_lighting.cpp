#include "filters/algorithms/older_lighting.h"

#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

double spotProfile(double t)
{
    if (t < 0.9)
        return 1 - (t / 0.9) * 0.2;
    if (t < 0.95)
        return 0.8 - ((t - 0.9) / 0.05) * 0.6;
    return 0.2 - ((t - 0.95) / 0.05) * 0.2;
}

uint32_t clampChannel(double v)
{
    return v > 0 ? uint32_t(std::min(v, 255.0)) : 0; // NaN gives 0
}

} // namespace

void TLight::setParam(const SFltLight &param, int32_t w, int32_t h)
{
    const double M = std::max(w, h);
    m_kind = eFltLightKind(param.kind);
    m_r = (param.color.R / 2.0 + 128) * param.power / 100;
    m_g = (param.color.G / 2.0 + 128) * param.power / 100;
    m_b = (param.color.B / 2.0 + 128) * param.power / 100;
    m_wide = 1 - param.wide / 100.0;
    m_range = M * param.range / 100;
    m_x = double(w) * param.posx;
    m_y = double(h) * param.posy;
    m_z = M * param.posz / 100;
    setDirection(param);
}

void TLight::setDirection(const SFltLight &param)
{
    TVector3 v(0, 0, -1);
    if (param.kind != flkPoint) {
        v.RotateArroundY(param.phi);
        // A negative tilt turns the other way round, which gives the positive tilt's axis.
        v.RotateArroundZ(param.phi < 0 ? param.theta - kPi : param.theta);
    } else {
        v.RotateArroundY(0);
        v.RotateArroundZ(0);
    }
    v.SetSize(m_z);
    m_pos.Sets(float(m_x), float(m_y), float(m_z));
    v.SetSize(1);
    m_dir = v;
}

void TLighting::ClearLight()
{
    m_lightnum = 0;
    m_LightList.clear();
}

void TLighting::AddLight(const SFltLight &param, int32_t w, int32_t h)
{
    if (m_lightnum >= kMaxLights)
        return;
    auto light = std::make_unique<TLight>();
    light->setParam(param, w, h);
    m_LightList.push_back(std::move(light));
    ++m_lightnum;
}

void TLighting::SetAmb(sBGRA color, int32_t bright)
{
    m_ambB = double(bright) * color.B / 100 - 255;
    m_ambG = double(bright) * color.G / 100 - 255;
    m_ambR = double(bright) * color.R / 100 - 255;
}

uint32_t TLighting::lightPixel(uint32_t src, int32_t x, int32_t y) const
{
    const sBGRA s{.all = src};
    double b = s.B, g = s.G, r = s.R;
    const TVector3 here(float(x), float(y), 0);
    for (const auto &l : m_LightList) {
        const double d = here.Distance(l->m_pos);
        double f;
        if (l->m_kind == flkPoint) {
            if (d == 0) {
                b += l->m_b;
                g += l->m_g;
                r += l->m_r;
                break;
            }
            if (d >= l->m_range)
                break;
            const double c = std::cos(d / l->m_range * kPi / 2);
            f = c * c;
        } else if (l->m_kind == flkWarm || l->m_kind == flkSpot) {
            if (d == 0 || d >= l->m_range)
                break;
            TVector3 u = l->m_pos;
            u.Sub(here);
            u.SetSize(1);
            const double p = l->m_dir.DotProduct(u);
            if (p >= -l->m_wide || l->m_wide >= 1)
                break;
            const double t = (1 - std::fabs(p)) / (1 - l->m_wide);
            const double fall = std::cos(d / l->m_range * kPi / 2);
            f = l->m_kind == flkWarm ? std::pow(std::max(1 - t * t, 0.0), 1.2) * fall
                                     : spotProfile(t) * fall;
        } else {
            continue;
        }
        b += l->m_b * f;
        g += l->m_g * f;
        r += l->m_r * f;
    }
    return 0xFF000000u | clampChannel(r + m_ambR) << 16 | clampChannel(g + m_ambG) << 8 |
           clampChannel(b + m_ambB);
}

bool TLighting::Rendering(const CBlockVMTC *src, CBlockVMTC *dest, const CMaskData *mask,
                          sPos ofspos, bool, const sRect &) const
{
    if (!src || !dest || dest->width() < src->width() || dest->height() < src->height())
        return false;
    const bool useMask = CMaskData::hasMask(mask);
    for (int32_t y = 0; y < src->height(); ++y)
        for (int32_t x = 0; x < src->width(); ++x) {
            const uint32_t a = useMask ? mask->effectMask(x + ofspos.x, y + ofspos.y, 255) : 255;
            if (a == 0)
                continue;
            sBGRA *px = dest->seekPixelNC(x, y);
            if (!px)
                return false;
            pixelPutAlpha(px, lightPixel(src->getColor(x, y), x, y), a);
        }
    return true;
}
