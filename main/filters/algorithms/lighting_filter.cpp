#include "filters/algorithms/lighting_filter.h"

#include "filters/algorithms/light_models.h"
#include "filters/core/pixel_mechanics.h"

#include <algorithm>
#include <cstring>

namespace {

uint8_t clampChannel(int32_t v)
{
    return uint8_t(std::clamp(v, 0, 255));
}

// v1 + v2 + v3 in 32 bits wrapping, as the Integer sums of the program do.
int32_t sum3(int32_t a, int32_t b, int32_t c)
{
    return int32_t(uint32_t(a) + uint32_t(b) + uint32_t(c));
}

} // namespace

int32_t lightingAmbient(uint8_t colourByte, int32_t brightness)
{
    return int32_t(uint32_t(colourByte) * uint32_t(brightness)) / 100 - 255;
}

namespace {

bool lightingFilter(sFlt4Params &p, const void *argp, int32_t args, eWalk walk)
{
    if (!checkFilterFrame(p, args, kFltObjComplexSize) || !argp)
        return false;
    const auto &rec = *static_cast<const sFltObjComplex *>(argp);
    // The block is outside data: it must hold the light it is said to hold.
    if (rec.count < 1 || rec.data.size() < sizeof(SFltLight))
        return false;
    SFltLight light;
    std::memcpy(&light, rec.data.data(), sizeof light);

    const sRect &mr = p.maskRect;
    const std::unique_ptr<TLight4> model = createLightModel(light, mr.x1 - mr.x0, mr.y1 - mr.y0);
    if (!model)
        return false;

    const int32_t brightness = rec.data1.all;
    const int32_t ambB = lightingAmbient(rec.data0.b0, brightness);
    const int32_t ambG = lightingAmbient(rec.data0.b1, brightness);
    const int32_t ambR = lightingAmbient(rec.data0.b2, brightness);
    // Neither light nor ambient adds anything: every pixel would be put back as it is.
    if (ambB == 0 && ambG == 0 && ambR == 0 && model->FR == 0 && model->FG == 0 && model->FB == 0) {
        p.unchanged = true;
        return true;
    }

    // The model sees the pixel relative to the effect rectangle, shifted by the layer's position.
    const int32_t ox = p.layerPos.x - mr.x0, oy = p.layerPos.y - mr.y0;
    return walkDstRectAs(walk, p, [&] {
        return [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
            const sBGRA s{.all = p.flowTC->getColor(x, y)};
            int32_t R, G, B;
            model->CalcPixel(R, G, B, x + ox, y + oy);
            sBGRA c = s;
            c.R = clampChannel(sum3(s.R, R, ambR));
            c.G = clampChannel(sum3(s.G, G, ambG));
            c.B = clampChannel(sum3(s.B, B, ambB));
            pixelPutAlpha(&px, c.all, uint32_t(m));
        };
    });
}

} // namespace

bool fltLighting(sFlt4Params &p, const void *argp, int32_t args)
{
    return lightingFilter(p, argp, args, eWalk::Fast);
}

bool fltLightingReference(sFlt4Params &p, const void *argp, int32_t args)
{
    return lightingFilter(p, argp, args, eWalk::Plain);
}
