#include "filters/commands/filter_replay_rows.h"

#include "core/image/canvas.h"
#include "core/scale/scale_canvas.h"
#include "document/events/event_manager.h"
#include "document/events/event_replay.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/selection/effect_rect.h"
#include "filters/commands/older_filter_commands.h"
#include "filters/commands/replay_entries.h"
#include "paint/gradient/gradient_set_file.h"
#include "paint/gradient/gradient_stops.h"
#include "platform/desktop/messages.h"

#include <QBuffer>

#include <bit>
#include <cstring>

namespace {
// The side of the texture a floor slot drawn from the layer is made with.
constexpr int32_t kFloorLayerTextureSize = 256;
// Lights of the older lighting filter one packet may carry.
constexpr int32_t kMaxOlderLights = 16;

// What a row hands its entry: the bound flow image, the layer and its cells.
struct SFilterPacket
{
    CEventMngr *mngr = nullptr;
    TPaper *paper = nullptr;
    TFlowImage *flow = nullptr;
    int32_t idx = 0;
    bool protect = false;
    std::array<LDATA, 6> d{};
    // Group 38: the head and the block after it.
    SEvFilterComplex fc{};
    std::span<const uint8_t> block;
};

using FilterRow = bool (*)(SFilterPacket &p, FilterBackup &backup);

// Reads the layer and cells of a packet of group g and binds the flow image; false for a body
// too short for the group, a bad layer or a document without flow image.
bool readPacket(CEventMngr &mngr, TPaper &paper, uint8_t g, std::span<const uint8_t> body,
                SFilterPacket &p)
{
    p.mngr = &mngr;
    p.paper = &paper;
    size_t cells = 0;
    if (g == 38) {
        if (body.size() < sizeof(SEvFilterComplex))
            return false;
        std::memcpy(&p.fc, body.data(), sizeof(SEvFilterComplex));
        p.block = body.subspan(sizeof(SEvFilterComplex));
        if (p.block.size() < p.fc.allLen)
            return false;
        p.block = p.block.first(p.fc.allLen);
        p.idx = p.fc.layer;
    } else {
        cells = g == 33 ? 2 : g == 34 ? 4 : g == 35 ? 6 : 0;
        if (body.size() < 4 + 4 * cells)
            return false;
        uint16_t idx;
        std::memcpy(&idx, body.data(), 2);
        p.idx = idx;
        std::memcpy(p.d.data(), body.data() + 4, 4 * cells);
    }
    CLayerData *ld = paper.getLayerData(p.idx);
    p.flow = paper.getActiveFlow();
    if (!ld || !p.flow)
        return false;
    // Loaded only when it holds another layer (or nothing valid).
    paper.setFlow(*p.flow, p.idx, false);
    if (p.flow->layerIdx() != p.idx)
        return false;
    p.protect = mngr.getRecordedVersion() >= 207 && ld->maskProtected;
    return true;
}

void reg(uint8_t g, uint8_t code, const char *name, FilterRow row)
{
    registerEventReplay(
        g, code, QString::fromLatin1(name),
        [g, row](CEventMngr &mngr, TPaper &paper, uint8_t, std::span<const uint8_t> body) {
            SFilterPacket p;
            if (!readPacket(mngr, paper, g, body, p))
                return false;
            FilterBackup backup;
            return row(p, backup);
        });
}

float single(LDATA d)
{
    return std::bit_cast<float>(d.all);
}

#define ARGS nullptr, *p.flow, p.idx, b
#define ROW(body) [](SFilterPacket &p, FilterBackup &b) -> bool { return body; }

template <class Rec> const Rec *cellsAs(const SFilterPacket &p)
{
    static_assert(sizeof(Rec) <= sizeof(p.d));
    return reinterpret_cast<const Rec *>(p.d.data());
}

bool gradientMapRow(SFilterPacket &p, FilterBackup &b)
{
    QByteArray bytes(reinterpret_cast<const char *>(p.block.data()), qsizetype(p.block.size()));
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    CColorSlotGroup crsg;
    SGradAttr attr;
    initGradAttr(attr);
    if (readGradChunk(stream, crsg, attr) != 0)
        return false;
    return eventFilterGradientMap(ARGS, false, &crsg, attr, p.fc.data1.b0 != 0, p.protect);
}

bool customRow(SFilterPacket &p, FilterBackup &b)
{
    if (p.fc.count != 1 || p.fc.eachLen != sizeof(SFltCustom) ||
        p.block.size() != sizeof(SFltCustom))
        return false;
    SFltCustom c;
    std::memcpy(&c, p.block.data(), sizeof c);
    return eventFilterCustom(ARGS, false, &c);
}

bool lightingRow(SFilterPacket &p, FilterBackup &b)
{
    sFltObjComplex rec;
    static_cast<sFltObjComplexHead &>(rec) = {};
    rec.allLen = p.fc.allLen;
    rec.count = p.fc.count;
    rec.eachLen = p.fc.eachLen;
    rec.data0.all = p.fc.data0.all;
    rec.data1.all = p.fc.data1.all;
    rec.data2.all = p.fc.data2.all;
    rec.data3.all = p.fc.data3.all;
    rec.data4.all = p.fc.data4.all;
    rec.data5.all = p.fc.data5.all;
    rec.data6.all = p.fc.data6.all;
    rec.data7.all = p.fc.data7.all;
    rec.data = p.block;
    return eventFilterLighting(ARGS, false, &rec);
}

// The older lighting: 1..16 lights of 56 bytes each, all handed on.
bool olderLightingRow(SFilterPacket &p, FilterBackup &b)
{
    const int32_t count = p.fc.count;
    if (count < 1 || count > kMaxOlderLights || p.fc.eachLen != sizeof(SFltLight) ||
        p.block.size() != size_t(count) * sizeof(SFltLight))
        return false;
    std::vector<SFltLight> lights;
    lights.resize(size_t(count));
    std::memcpy(lights.data(), p.block.data(), p.block.size());
    return orgEventFilterLighting(ARGS, lights.data(), count, p.fc.data0.all, p.fc.data1.all,
                                  false);
}

bool tilesRow(SFilterPacket &p, FilterBackup &b)
{
    const int32_t tiles[6] = {p.d[0].b0, p.d[0].b1, p.d[0].w1, p.d[1].all, p.d[2].all, p.d[3].all};
    return orgEventFilterTiles(ARGS, tiles, false);
}

SOrgCloudsRecord olderClouds(const SFilterPacket &p)
{
    SOrgCloudsRecord c;
    c.clouds.fore = std::bit_cast<sBGRA>(p.d[0].all);
    c.clouds.back = std::bit_cast<sBGRA>(p.d[1].all);
    c.clouds.seed = uint32_t(p.d[2].all);
    c.clouds.tileW = p.d[3].w0;
    c.clouds.tileH = p.d[3].w1;
    return c;
}

bool cloudsRocksRow(SFilterPacket &p, FilterBackup &b)
{
    SOrgCloudsRecord c = olderClouds(p);
    c.clouds.amplitude = p.d[4].all;
    return orgEventFilterCloudsRocks(ARGS, &c, false);
}

bool cloudsRocks2Row(SFilterPacket &p, FilterBackup &b)
{
    SOrgCloudsRecord c = olderClouds(p);
    c.clouds.amplitude = p.d[4].w0;
    c.threshold = p.d[4].w1;
    return orgEventFilterCloudsRocks2(ARGS, &c, c.threshold, false);
}
// A floor slot drawn from the layer: the effect rectangle of the flow image area-averaged into
// 256 x 256, as the floor dialog makes it.
std::unique_ptr<TMTC> layerFloorTexture(const SFilterPacket &p)
{
    const CLayerData *ld = p.paper->getLayerData(p.idx);
    sRect r;
    if (!ld || !getEffectRect(ld->imageTC.get(), ld->viewPos, p.paper->getActiveMaskData(), r))
        return nullptr;
    const sBox box{r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0};
    const TMTC &src = p.flow->image();
    if (box.w <= 0 || box.h <= 0 || r.x1 > src.width() || r.y1 > src.height())
        return nullptr;
    TMTC crop(box.w, box.h);
    crop.copyAreaNC(src, {0, 0}, box);
    auto tex = std::make_unique<TMTC>(kFloorLayerTextureSize, kFloorLayerTextureSize);
    if (!scaleCanvasInto(*tex, crop, false, 0))
        return nullptr;
    return tex;
}

// What stands in for a file texture the recording lacks: the layer's effect rectangle as the
// dialog draws a slot from the layer when the record keeps the layer's picture, else a copy of
// the whole layer.
std::unique_ptr<TMTC> missingFloorTexture(const SFilterPacket &p, bool keepPicture)
{
    if (keepPicture)
        return layerFloorTexture(p);
    auto tex = std::make_unique<TMTC>(p.flow->image());
    if (!tex->isEnable())
        return nullptr;
    return tex;
}

// The floor: file textures from the status images played before it (128 slot 0, 129 slot 1)
// with their dpi from data0; from version 1 on, a slot drawn from the layer is built from the
// layer whatever the player holds, so a replay equals the live run; the older floor (version 0)
// takes what the recording carried for both slots. A file texture the recording lacks is
// replaced (the user is told once) instead of failing the replay. The played images belong to
// this packet alone: they are freed on every path, so a later floor never takes them.
bool floorRow(SFilterPacket &p, FilterBackup &b)
{
    struct PlayedImages
    {
        CEventMngr &mngr;
        ~PlayedImages()
        {
            mngr.playTC0.reset();
            mngr.playTC1.reset();
        }
    } played_{*p.mngr};
    if (p.fc.count != 1 || p.fc.eachLen != sizeof(SFltFloorParam) ||
        p.block.size() != sizeof(SFltFloorParam))
        return false;
    SFltFloor floor;
    initFltFloor(floor);
    std::memcpy(&floor.sfloor, p.block.data(), sizeof(SFltFloorParam));
    const SFltFloorParam &f = floor.sfloor;
    TMTC *played[2] = {p.mngr->playTC0.get(), p.mngr->playTC1.get()};
    std::array<std::unique_ptr<TMTC>, 2> made;
    bool missing = false;
    for (int32_t slot = 0; slot < 2; ++slot) {
        SFltTexture &tex = floor.stex[size_t(slot)];
        if (isFloorSlotFile(f, slot)) {
            if (played[slot]) {
                tex.tc = played[slot];
                LDATA dpis;
                dpis.all = p.fc.data0.all;
                tex.dpi = floorSlotDpi(dpis, slot);
                continue;
            }
            missing = true;
            made[size_t(slot)] = missingFloorTexture(p, f.useOrgPic != 0);
        } else if (f.version == 0) {
            tex.tc = played[slot];
            continue;
        } else if (f.texEnbFlag & (1 << slot)) {
            made[size_t(slot)] = layerFloorTexture(p);
        } else {
            continue;
        }
        if (!made[size_t(slot)])
            return false;
        tex.tc = made[size_t(slot)].get();
        tex.dpi = p.paper->m_paperDPI;
    }
    if (missing)
        showWarning(QString::fromUtf8("再生に必要な画像オブジェクトが不足しています! (%1, %2)")
                        .arg(38)
                        .arg(40));
    return orgEventFilterFloor(ARGS, &floor, false);
}
} // namespace

void installFilterReplayEntries()
{
    // ---- current filters
    reg(32, 87, "grayscale", ROW(eventFilterGrayscale(ARGS, false)));
    reg(32, 81, "invert", ROW(eventFilterInvert(ARGS, false)));
    reg(32, 82, "flip horizontal", ROW(eventFilterFlipHorizontal(ARGS, false)));
    reg(32, 83, "flip vertical", ROW(eventFilterFlipVertical(ARGS, false)));
    reg(32, 84, "rotate 180", ROW(eventFilterRotate180(ARGS, false)));
    reg(32, 53, "find edges", ROW(eventFilterFindEdges(ARGS, false)));
    reg(32, 56, "solarize", ROW(eventFilterSolarize(ARGS, false)));
    reg(32, 52, "alpha via density", ROW(eventFilterAlphaViaDensity(ARGS, false)));
    reg(32, 12, "sharpen", ROW(eventFilterSharpen(ARGS, false, p.protect)));
    reg(32, 13, "sharpen more", ROW(eventFilterSharpenMore(ARGS, false, p.protect)));
    reg(32, 64, "blur", ROW(eventFilterBlur(ARGS, false, true, p.protect)));
    reg(32, 65, "blur more", ROW(eventFilterBlurMore(ARGS, false, true, p.protect)));
    reg(32, 0, "blur (first)", ROW(orgEventFilterBlur(ARGS, false, p.protect)));
    reg(32, 1, "blur more (first)", ROW(orgEventFilterBlurMore(ARGS, false, p.protect)));
    reg(34, 62, "brightness contrast",
        ROW(eventFilterBrightnessContrast(ARGS, false, p.d[0].all, p.d[1].all, p.d[2].b0 != 0)));
    reg(34, 24, "colour balance",
        ROW(eventFilterColorBalance(ARGS, false, p.d[0].all, p.d[1].all, p.d[2].all)));
    reg(34, 17, "colour balance (gamma)",
        ROW(orgEventFilterColorBalance(ARGS, false, p.d[0].all, p.d[1].all, p.d[2].all)));
    reg(34, 61, "hue saturation",
        ROW(eventFilterHueSaturation(ARGS, false, p.d[0].all, p.d[1].all, p.d[2].all,
                                     p.d[3].b0 != 0, p.d[3].b1 != 0)));
    reg(35, 60, "levels",
        ROW(eventFilterLevels(ARGS, false, p.d[0].all, p.d[1].all, p.d[2].all, p.d[3].all,
                              p.d[4].all, p.d[5].b0 != 0)));
    reg(33, 27, "posterize", ROW(eventFilterPosterize(ARGS, false, p.d[0].all)));
    reg(33, 14, "sharpen custom", ROW(eventFilterSharpenCustom(ARGS, false, p.d[0].all)));
    reg(33, 26, "mosaic", ROW(eventFilterMosaic(ARGS, false, p.d[0].all, p.protect)));
    // The whole signed angle of bytes 2-3.
    reg(33, 4, "motion blur",
        ROW(eventFilterMotionBlur(ARGS, false, p.d[0].b0, p.d[0].b1, p.d[0].s1, p.d[1].all,
                                  p.protect)));
    reg(33, 55, "polar coordinates",
        ROW(eventFilterPolarCoordinates(ARGS, false, p.d[0].b0, p.protect ? 1 : 0)));
    reg(33, 98, "polar coordinates 2",
        ROW(eventFilterPolarCoordinates2(ARGS, false, p.d[0].b0, p.protect ? 1 : 0)));
    reg(33, 58, "rotate",
        ROW(eventFilterRotate(ARGS, false, p.d[0].all, p.protect ? 1 : 0, p.d[1].b1)));
    reg(33, 97, "rotate 2",
        ROW(eventFilterRotate2(ARGS, false, p.d[0].all, p.protect ? 1 : 0, p.d[1].b1)));
    reg(34, 57, "scale",
        ROW(eventFilterScale(ARGS, false, p.d[0].all, p.d[1].all, p.protect ? 1 : 0, p.d[2].b1)));
    reg(34, 96, "scale 2",
        ROW(eventFilterScale2(ARGS, false, p.d[0].all, p.d[1].all, p.protect ? 1 : 0, p.d[2].b1)));
    reg(34, 25, "noise",
        ROW(eventFilterNoise(ARGS, false, p.d[0].all, p.d[1].all != 0, p.d[2].all)));
    reg(34, 48, "colour halftone",
        ROW(eventFilterColorHalftone(ARGS, false, p.d[0].all, p.d[1].all, p.d[2].all, p.d[3].all)));
    reg(34, 50, "emboss", ROW(eventFilterEmboss(ARGS, false, p.d[0].all, p.d[1].all, p.d[2].all)));
    reg(34, 59, "diffuse",
        ROW(eventFilterDiffuse(ARGS, false, p.d[0].all, p.d[1].all, p.d[2].all, p.d[3].b0 != 0,
                               p.d[3].b1 != 0, p.protect ? 1 : 0)));
    reg(33, 49, "binarize", ROW(eventFilterBinarize(ARGS, false, cellsAs<sFltObj2>(p))));
    reg(33, 66, "radial blur", ROW(eventFilterRadialBlur(ARGS, false, cellsAs<sFltObj2>(p))));
    reg(33, 67, "gaussian blur", ROW(eventFilterGaussianBlur(ARGS, false, cellsAs<sFltObj2>(p))));
    reg(33, 86, "median", ROW(eventFilterMedian(ARGS, false, cellsAs<sFltObj2>(p))));
    reg(33, 68, "twirl", ROW(eventFilterTwirl(ARGS, false, cellsAs<sFltObj2>(p))));
    reg(34, 73, "tiles", ROW(eventFilterTiles(ARGS, false, cellsAs<sFltObj4>(p))));
    reg(34, 70, "clouds", ROW(eventFilterClouds(ARGS, false, cellsAs<sFltObj4>(p))));
    reg(34, 71, "plasma", ROW(eventFilterPlasma(ARGS, false, cellsAs<sFltObj4>(p))));
    reg(35, 72, "clouds rocks", ROW(eventFilterCloudsRocks(ARGS, false, cellsAs<sFltObj6>(p))));
    reg(33, 69, "wave (first)", ROW(eventFilterWave(ARGS, false, cellsAs<sFltObj2>(p), 0)));
    reg(33, 80, "wave (second)", ROW(eventFilterWave(ARGS, false, cellsAs<sFltObj2>(p), 1)));
    reg(33, 85, "wave", ROW(eventFilterWave(ARGS, false, cellsAs<sFltObj2>(p), 2)));
    reg(33, 63, "alpha via density 2",
        ROW(eventFilterAlphaViaDensity2(ARGS, p.d[0].all, p.d[1].b0 != 0, false)));
    reg(38, 51, "custom", customRow);
    reg(38, 74, "lighting", lightingRow);
    reg(38, 54, "gradient map", gradientMapRow);

    // ---- first generation
    reg(32, 8, "sharpen (gen 1)", ROW(orgEventFilterSharpen(ARGS, false)));
    reg(32, 9, "sharpen more (gen 1)", ROW(orgEventFilterSharpenMore(ARGS, false)));
    reg(32, 20, "grayscale (gen 1)", ROW(orgEventFilterGrayscale(ARGS, false)));
    reg(35, 16, "levels (gen 1)",
        ROW(orgEventFilterLevels(ARGS, false, p.d[0].all, p.d[1].all, p.d[2].all, p.d[3].all,
                                 p.d[4].all)));
    reg(33, 18, "brightness contrast (gen 1)",
        ROW(orgEventFilterBrightnessContrast(ARGS, false, p.d[0].all, p.d[1].all)));
    reg(34, 19, "hue saturation (gen 1)",
        ROW(orgEventFilterHueSaturation(ARGS, false, p.d[0].all, p.d[1].all, p.d[2].all)));
    reg(33, 21, "posterize (gen 1)", ROW(orgEventFilterPosterize(ARGS, false, p.d[0].all)));
    reg(33, 22, "noise (gen 1)", ROW(orgEventFilterNoise(ARGS, false, p.d[0].b0, p.d[1].all)));
    reg(33, 23, "mosaic (gen 1)",
        ROW(orgEventFilterMosaic(ARGS, false, p.d[0].all, p.protect ? 1 : 0)));
    reg(33, 2, "motion blur (gen 1)",
        ROW(orgEventFilterMotionBlur(ARGS, false, p.d[0].all, single(p.d[1]), p.protect ? 1 : 0)));
    reg(34, 3, "radial blur (gen 1)",
        ROW(orgEventFilterRadialBlur(ARGS, false, p.d[0].all, p.d[1].all, p.d[2].all,
                                     p.protect ? 1 : 0)));

    // ---- second generation
    reg(33, 10, "sharpen custom (gen 2)",
        ROW(orgEventFilterSharpenCustom(ARGS, single(p.d[0]), false)));
    reg(33, 32, "gaussian blur (gen 2)",
        ROW(orgEventFilterGaussianBlur(ARGS, single(p.d[0]), false)));
    reg(34, 33, "twist (gen 2)",
        ROW(orgEventFilterTwist(ARGS, single(p.d[0]), p.d[1].b0, single(p.d[2]), single(p.d[3]),
                                false)));
    reg(33, 34, "emboss (gen 2)",
        ROW(orgEventFilterEmboss(ARGS, single(p.d[0]), single(p.d[1]), false)));
    reg(35, 35, "wave (gen 2)",
        ROW(orgEventFilterWave(ARGS, single(p.d[0]), single(p.d[1]), single(p.d[2]), single(p.d[3]),
                               single(p.d[4]), false)));
    reg(34, 36, "tiles (gen 2)", tilesRow);
    reg(35, 37, "clouds rocks (gen 2)", cloudsRocksRow);
    reg(35, 38, "clouds rocks 2 (gen 2)", cloudsRocks2Row);
    reg(38, 39, "lighting (gen 2)", olderLightingRow);

    reg(38, 40, "floor (gen 2)", floorRow);
    reg(38, 99, "floor", floorRow);
}
