#include "filters/algorithms/lighting_fuzz_support.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "document/selection/effect_rect.h"
#include "filters/algorithms/floor_filter.h"
#include "filters/algorithms/gen2_filters.h"
#include "filters/algorithms/lighting_filter.h"

#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Reads the bytes in order; past the end everything is 0.
class ByteReader
{
  public:
    ByteReader(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    void read(void *dst, size_t n)
    {
        auto *out = static_cast<uint8_t *>(dst);
        for (size_t i = 0; i < n; ++i)
            out[i] = m_pos < m_size ? m_data[m_pos++] : 0;
    }
    uint8_t u8()
    {
        uint8_t v;
        read(&v, 1);
        return v;
    }
    uint32_t u32()
    {
        uint32_t v;
        read(&v, 4);
        return v;
    }
    float f32()
    {
        float v;
        read(&v, 4);
        return v;
    }

  private:
    const uint8_t *m_data;
    size_t m_size, m_pos = 0;
};

// Pixels from a generator seeded by the bytes (the bytes themselves are kept for the values).
void fillPixels(CBlockVMTC &img, uint32_t seed)
{
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x) {
            seed = seed * 134775813u + 1u;
            img.setPixel(x, y, seed);
        }
}

std::unique_ptr<TMTC> texture(ByteReader &in)
{
    const uint8_t kind = in.u8();
    if (kind % 4 == 0)
        return nullptr;
    auto tc = std::make_unique<TMTC>(1 + in.u8() % 40, 1 + in.u8() % 40);
    uint32_t seed = in.u32();
    for (int32_t y = 0; y < tc->height(); ++y)
        for (int32_t x = 0; x < tc->width(); ++x) {
            seed = seed * 134775813u + 1u;
            tc->seek32(x, y)->all = seed;
        }
    return tc;
}

struct SFuzzDocument
{
    std::unique_ptr<CBlockVMTC> layer, backup;
    std::unique_ptr<CMaskData> mask;
    sPos layerPos;
    bool prt = false;
};

SFuzzDocument makeDocument(ByteReader &in)
{
    SFuzzDocument d;
    const int32_t w = 1 + in.u8() % 48, h = 1 + in.u8() % 48;
    d.layer = std::make_unique<CBlockVMTC>(w, h);
    fillPixels(*d.layer, in.u32());
    d.backup = std::make_unique<CBlockVMTC>(*d.layer);
    d.layerPos = {int8_t(in.u8()) % 8, int8_t(in.u8()) % 8};
    d.prt = in.u8() & 1;
    if (in.u8() & 1) {
        const int32_t mw = 1 + in.u8() % 56, mh = 1 + in.u8() % 56;
        d.mask = std::make_unique<CMaskData>(0, mw, mh);
        d.mask->viewPos = {int8_t(in.u8()) % 8, int8_t(in.u8()) % 8};
        sRect r{in.u8() % mw, in.u8() % mh, 0, 0};
        r.x1 = r.x0 + 1 + in.u8() % mw;
        r.y1 = r.y0 + 1 + in.u8() % mh;
        d.mask->maskTC->fillArea(r, uint8_t(1 + in.u8() % 255));
    } else {
        d.mask = std::make_unique<CMaskData>(0);
    }
    return d;
}

// The current pixel functions over the document, on a part of the effect rectangle.
void runPixelFunction(ByteReader &in, SFuzzDocument &d, fptrFilter4 fn, const void *rec,
                      int32_t args)
{
    sFlt4Params p;
    if (!getEffectRect(d.layer.get(), d.layerPos, d.mask.get(), p.maskRect))
        return;
    TMTC flow(d.layer->width(), d.layer->height());
    d.layer->bltTo(flow, {0, 0}, boxFromSize(d.layer->FPSZ()), 255, false);
    TChannel flowCh(d.layer->width(), d.layer->height());
    p.layerTC = d.layer.get();
    p.layerPos = d.layerPos;
    p.layerPrt = d.prt;
    p.maskData = d.mask.get();
    p.bkupTC = d.backup.get();
    p.flowTC = &flow;
    p.flowCh = &flowCh;
    p.fnEffectMask = CMaskData::hasMask(d.mask.get()) ? effectMaskOnLayer : effectMaskNone;
    p.dstRect = p.maskRect;
    if (in.u8() & 1) {
        const sRect &m = p.maskRect;
        p.dstRect.x0 = m.x0 + in.u8() % (m.x1 - m.x0);
        p.dstRect.y0 = m.y0 + in.u8() % (m.y1 - m.y0);
        p.dstRect.x1 = p.dstRect.x0 + 1 + in.u8() % (m.x1 - p.dstRect.x0);
        p.dstRect.y1 = p.dstRect.y0 + 1 + in.u8() % (m.y1 - p.dstRect.y0);
    }
    (void)fn(p, rec, args);
}

void runLighting(ByteReader &in, SFuzzDocument &d)
{
    std::vector<uint8_t> block(in.u8() % 120);
    in.read(block.data(), block.size());
    sFltObjComplex rec;
    initFltObjComplex(rec, uint16_t(in.u8() % 3), uint16_t(in.u8()));
    rec.data0.all = int32_t(in.u32());
    rec.data1.all = int32_t(in.u32());
    rec.data = block;
    runPixelFunction(in, d, fltLighting, &rec, kFltObjComplexSize);
}

void readFloor(ByteReader &in, SFltFloor &rec, std::array<std::unique_ptr<TMTC>, 2> &tex)
{
    initFltFloor(rec);
    in.read(&rec.sfloor, sizeof rec.sfloor);
    for (size_t i = 0; i < 2; ++i) {
        tex[i] = texture(in);
        rec.stex[i].tc = tex[i].get();
    }
}

void runFloor(ByteReader &in, SFuzzDocument &d, bool newest)
{
    SFltFloor rec;
    std::array<std::unique_ptr<TMTC>, 2> tex;
    readFloor(in, rec, tex);
    runPixelFunction(in, d, newest ? fltFloor2 : fltFloor, &rec, kFltFloorSize);
}

void runGen2(int which, ByteReader &in, SFuzzDocument &d)
{
    SFilterLayerView view;
    view.image = d.layer.get();
    view.viewPos = d.layerPos;
    view.maskProtected = d.prt;
    const CBlockVMTC &b = *d.backup;
    const CMaskData *m = d.mask.get();
    switch (which) {
    case 0:
        (void)orgFltGaussianBlur(b, view, m, in.f32());
        break;
    case 1:
        (void)orgFltGaussianBlurReference(b, view, m, in.f32());
        break;
    case 2: {
        const float x = in.f32(), y = in.f32(), a = in.f32();
        (void)orgFltTwist(b, view, m, x, y, a, in.u8() & 1);
        break;
    }
    case 3: {
        const float dist = in.f32();
        (void)orgFltEmboss(b, view, m, dist, in.f32());
        break;
    }
    case 4: {
        float v[5];
        for (float &f : v)
            f = in.f32();
        (void)orgFltWave(b, view, m, v[0], v[1], v[2], v[3], v[4]);
        break;
    }
    case 5: {
        SOrgTiles t;
        t.count = int32_t(in.u32());
        t.shape = int32_t(in.u8() % 3);
        t.size = int32_t(in.u32() % 2048); // larger sizes only cost time
        for (sBGRA &c : t.colors)
            c.all = in.u32();
        (void)orgFltTiles(b, view, m, t);
        break;
    }
    case 6:
    case 7: {
        SOrgClouds c;
        c.fore.all = in.u32();
        c.back.all = in.u32();
        c.seed = in.u32();
        c.amplitude = int32_t(in.u32());
        c.tileW = int32_t(in.u32());
        c.tileH = int32_t(in.u32());
        TChannel work(d.layer->width(), d.layer->height());
        if (which == 6)
            (void)orgFltCloudsRocks(b, view, m, c, work);
        else
            (void)orgFltCloudsRocks2(b, view, m, int32_t(in.u32()), c, work);
        break;
    }
    case 8: {
        std::vector<SFltLight> lights(in.u8() % 20);
        in.read(lights.data(), lights.size() * sizeof(SFltLight));
        const int32_t count = int32_t(int8_t(in.u8()));
        const int32_t bright = int32_t(in.u32());
        (void)orgFltLighting(b, view, m, bright, sBGRA{.all = in.u32()}, count, lights);
        break;
    }
    case 9:
        (void)orgFltSharpenCustom(b, view, m, in.f32());
        break;
    default: {
        SFltFloor rec;
        std::array<std::unique_ptr<TMTC>, 2> tex;
        readFloor(in, rec, tex);
        (void)orgFltFloor(b, view, m, rec);
        break;
    }
    }
}

} // namespace

void runLightingFamilyOnBytes(const uint8_t *data, size_t size)
{
    ByteReader in(data, size);
    const int which = in.u8() % kLightingFamilyFunctions;
    SFuzzDocument d = makeDocument(in);
    switch (which) {
    case 0:
        runLighting(in, d);
        break;
    case 1:
    case 2:
        runFloor(in, d, which == 2);
        break;
    default:
        runGen2(which - 3, in, d);
        break;
    }
}
