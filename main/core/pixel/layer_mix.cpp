#include "core/pixel/layer_mix.h"

void mixPixelEx(sBGRA *d, uint32_t s, uint32_t sA, const sTCMixParam &mix) noexcept
{
    const uint32_t e = mul255(s >> 24, sA);
    if ((mix.flags & mtfNopSrcTP) && e == 0)
        return;
    const uint32_t f = d->A;
    const uint32_t u = f + e - mul255(f, e);
    d->A = uint8_t(u);
    if (u == 0)
        return;
    // The colour as a coverage-weighted mean: the blended colour over the share f of the
    // destination, the source alone over the rest. Scaling a colour that was never weighted by
    // coverage (a neutral start colour blended and then multiplied by 255 / u) overshoots.
    sBGRA w{.all = d->all};
    mix.fnPut2(&w, s, e);
    mix.fnPut1(&w, s, (255 - f) * e / u);
    d->all = (w.all & 0x00FFFFFFu) | (u << 24);
}
