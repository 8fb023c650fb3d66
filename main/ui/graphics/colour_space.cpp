#include "ui/graphics/colour_space.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr long double kTwoPi = 2.0L * std::numbers::pi_v<long double>;
constexpr float kThirdPi = float(std::numbers::pi / 3.0);

// The hue as a position 0..1535 on the 1536-step circle (the product in extended precision).
int32_t huePosition(float H)
{
    if (!std::isfinite(H))
        return 0;
    const long double g = std::trunc(static_cast<long double>(H) * 1536.0L / kTwoPi);
    int32_t r = int32_t(std::fmod(g, 1536.0L));
    return r < 0 ? r + 1536 : r;
}

int32_t nearest(double x)
{
    return int32_t(std::trunc(x + 0.5));
}

float hueOf(float R, float G, float B, float max, float delta)
{
    if (R == max)
        return (G - B) * kThirdPi / delta;
    if (G == max)
        return (B - R + 2 * delta) * kThirdPi / delta;
    return (R - G - 2 * delta) * kThirdPi / delta;
}

} // namespace

void rgbToHSVSingle(float R, float G, float B, float &H, float &S, float &V)
{
    if (R == G && G == B) {
        H = 0;
        S = 0;
        V = R;
        return;
    }
    const float max = std::max({R, G, B});
    const float min = std::min({R, G, B});
    const float delta = max - min;
    V = max;
    S = max != 0 ? delta / max : 0;
    H = hueOf(R, G, B, max, delta);
}

void rgbToHSLSingle(float R, float G, float B, float &H, float &S, float &L)
{
    const float max = std::max({R, G, B});
    const float min = std::min({R, G, B});
    if (max <= 0) {
        H = S = L = 0;
        return;
    }
    if (min >= 1) {
        H = S = 0;
        L = 1;
        return;
    }
    L = (max + min) / 2;
    const float delta = max - min;
    S = L > 0.5f ? delta / (2 - (max + min)) : delta / (max + min);
    H = delta < 0.0001f ? 0 : hueOf(R, G, B, max, delta);
}

void hsvToRGBBytes(float H, float S, float V, uint8_t &R, uint8_t &G, uint8_t &B)
{
    V = std::clamp(V, 0.0f, 1.0f);
    const int32_t v = nearest(double(V) * 255);
    R = G = B = uint8_t(v);
    if (!(S > 0))
        return;
    S = std::min(S, 1.0f);
    const double e = double(V) * double(S);
    const int32_t C = nearest(e * 255);
    const int32_t g = huePosition(H);
    const int32_t k = g % 256;
    const int32_t down = v - nearest((255 - k) * e); // falling edge of the sector
    const int32_t up = v - nearest(k * e);           // rising edge
    int32_t r = v, gr = v, b = v;
    switch (g / 256) {
    case 0:
        gr = down, b = v - C;
        break;
    case 1:
        r = up, b = v - C;
        break;
    case 2:
        r = v - C, b = down;
        break;
    case 3:
        r = v - C, gr = up;
        break;
    case 4:
        r = down, gr = v - C;
        break;
    default:
        gr = v - C, b = up;
        break;
    }
    R = uint8_t(r);
    G = uint8_t(gr);
    B = uint8_t(b);
}

void hsvToRGBSingle(float H, float S, float V, float &R, float &G, float &B)
{
    V = std::clamp(V, 0.0f, 1.0f);
    R = G = B = V;
    if (!(S > 0))
        return;
    S = std::min(S, 1.0f);
    const float e = V * S;
    const int32_t g = huePosition(H);
    const int32_t k = g % 256;
    const float down = V - float(255 - k) * e / 255;
    const float up = V - float(k) * e / 255;
    const float low = V - e;
    switch (g / 256) {
    case 0:
        G = down, B = low;
        break;
    case 1:
        R = up, B = low;
        break;
    case 2:
        R = low, B = down;
        break;
    case 3:
        R = low, G = up;
        break;
    case 4:
        R = down, G = low;
        break;
    default:
        G = low, B = up;
        break;
    }
}

namespace {
float hslChannelValue(int32_t a, float q, float p)
{
    a %= 1536;
    if (a < 0)
        a += 1536;
    const float f = float(a) / 256;
    if (a < 256)
        return p + (q - p) * f;
    if (a < 768)
        return q;
    if (a < 1024)
        return p + (q - p) * (4 - f);
    return p;
}

bool hslBounds(float S, float L, float &q, float &p)
{
    if (!(S > 0))
        return false;
    q = L > 0.5f ? L + S * (1 - L) : L * (1 + S);
    p = 2 * L - q;
    return true;
}

int32_t hueSteps(float H)
{
    if (!std::isfinite(H))
        return 0;
    const long double a = std::trunc(static_cast<long double>(H) * 1536.0L / kTwoPi);
    return int32_t(std::fmod(a, 1536.0L * 1024)); // any whole number of turns is the same hue
}
} // namespace

uint8_t hslChannelByte(int32_t a, float q, float p)
{
    return uint8_t(std::clamp(nearest(double(hslChannelValue(a, q, p)) * 255), 0, 255));
}

float hslChannelSingle(int32_t a, float q, float p)
{
    return std::clamp(hslChannelValue(a, q, p), 0.0f, 1.0f);
}

void hslToRGBBytes(float H, float S, float L, uint8_t &R, uint8_t &G, uint8_t &B)
{
    R = G = B = uint8_t(std::clamp(nearest(double(L) * 255), 0, 255));
    float q, p;
    if (!hslBounds(S, L, q, p))
        return;
    const int32_t a = hueSteps(H);
    R = hslChannelByte(a + 512, q, p);
    G = hslChannelByte(a, q, p);
    B = hslChannelByte(a - 512, q, p);
}

void hslToRGBSingle(float H, float S, float L, float &R, float &G, float &B)
{
    R = G = B = std::clamp(L, 0.0f, 1.0f);
    float q, p;
    if (!hslBounds(S, L, q, p))
        return;
    const int32_t a = hueSteps(H);
    R = hslChannelSingle(a + 512, q, p);
    G = hslChannelSingle(a, q, p);
    B = hslChannelSingle(a - 512, q, p);
}

float evalAirMap(TMapProc Map, float AFlat, float AAdd, float T)
{
    if (T == 0 || AFlat >= 1 || AAdd >= 1)
        return 1;
    float t = T;
    if (AFlat != 0)
        t = std::clamp((T - AFlat) / (1 - AFlat), 0.0f, 1.0f);
    float v = Map ? Map(t) : 1.0f;
    if (AAdd != 0)
        v = AAdd + (1 - AAdd) * v;
    return std::clamp(v, 0.0f, 1.0f);
}
