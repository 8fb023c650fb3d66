#include "filters/commands/older_filter_commands.h"

#include "core/tiles/block_layer_image.h"
#include "document/paper/flow_image.h"
#include "document/paper/paper.h"
#include "filters/algorithms/gen1_filters.h"
#include "filters/commands/paper_filter_host.h"
#include "filters/core/filter_core.h"
#include "platform/desktop/cursor.h"

#include <bit>
#include <span>

namespace {
enum class eShrink : bool
{
    no,
    yes,
};

// The pattern of every older entry: backup (the given one or a new one), the algorithm, the
// layer's uniform blocks released where asked, refresh; with record the event (push) and undo.
// A backup made here and not taken by undo is freed on every way out.
template <class Algo, class Push>
bool runOlder(IFilterView *dw, TFlowImage &flow, int32_t idx, FilterBackup &backup, bool record,
              eShrink shrink, Algo algo, Push push)
{
    TPaper *paper = flow.paper();
    if (!paper)
        return false;
    PaperFilterHost host(*paper, flow, dw);
    const std::optional<SFilterLayerView> layer = host.layer(idx);
    if (!layer)
        return false;
    FilterBackup own;
    FilterBackup &use = backup ? backup : own;
    if (!backup && !backupLayerImage(own, *layer->image))
        return false;
    WaitCursor wait;
    if (!algo(*use, *layer, host.activeMask()))
        return false;
    if (shrink == eShrink::yes)
        layer->image->shrinkMemory();
    refreshAfterFilter(host, idx);
    if (record) {
        push(host, idx, host.activeMaskIndex());
        host.pushUndo(use, idx, layer->uniqueID);
    }
    return true;
}

LDATA cell(int32_t v)
{
    LDATA d;
    d.all = v;
    return d;
}
LDATA cell(float v)
{
    return cell(std::bit_cast<int32_t>(v));
}

auto push0(uint8_t code)
{
    return
        [code](IFilterHost &h, int32_t idx, int32_t midx) { h.pushEventFilter0(idx, midx, code); };
}
auto push2(uint8_t code, LDATA a, LDATA b)
{
    return [=](IFilterHost &h, int32_t idx, int32_t midx) {
        sFltObj2 r;
        initFltObj2(r);
        r.data0.all = a.all;
        r.data1.all = b.all;
        h.pushEventFilter2(idx, midx, code, r);
    };
}
auto push4(uint8_t code, LDATA a, LDATA b, LDATA c, LDATA d)
{
    return [=](IFilterHost &h, int32_t idx, int32_t midx) {
        sFltObj4 r;
        initFltObj4(r);
        r.data0.all = a.all;
        r.data1.all = b.all;
        r.data2.all = c.all;
        r.data3.all = d.all;
        h.pushEventFilter4(idx, midx, code, r);
    };
}
auto push6(uint8_t code, LDATA a, LDATA b, LDATA c, LDATA d, LDATA e)
{
    return [=](IFilterHost &h, int32_t idx, int32_t midx) {
        sFltObj6 r;
        initFltObj6(r);
        r.data0.all = a.all;
        r.data1.all = b.all;
        r.data2.all = c.all;
        r.data3.all = d.all;
        r.data4.all = e.all;
        h.pushEventFilter6(idx, midx, code, r);
    };
}

using Layer = const SFilterLayerView &;
using Mask = const CMaskData *;
using Src = const CBlockVMTC &;
} // namespace

#define KAVRIN_OLDER_ARGS dw, flow, idx, backup

// ---- generation 1

bool orgEventFilterBlur(KAVRIN_REPLAY_HEAD, bool undo, bool protect)
{
    return eventFilterBlur(KAVRIN_OLDER_ARGS, undo, false, protect);
}

bool orgEventFilterBlurMore(KAVRIN_REPLAY_HEAD, bool undo, bool protect)
{
    return eventFilterBlurMore(KAVRIN_OLDER_ARGS, undo, false, protect);
}

bool orgEventFilterSharpen(KAVRIN_REPLAY_HEAD, bool record)
{
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::no,
        [](Src s, Layer l, Mask m) { return orgFltSharpen(s, l, m); }, push0(8));
}

bool orgEventFilterSharpenMore(KAVRIN_REPLAY_HEAD, bool record)
{
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::no,
        [](Src s, Layer l, Mask m) { return orgFltSharpenMore(s, l, m); }, push0(9));
}

bool orgEventFilterGrayscale(KAVRIN_REPLAY_HEAD, bool record)
{
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::no,
        [](Src, Layer l, Mask m) { return orgFltGrayscale(l, m); }, push0(20));
}

bool orgEventFilterLevels(KAVRIN_REPLAY_HEAD, bool record, int32_t d0, int32_t d1, int32_t d2,
                          int32_t d3, int32_t d4)
{
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::no,
        [&](Src, Layer l, Mask m) { return orgFltLevels(l, m, d0, d1, d2, d3, d4); },
        push6(16, cell(d0), cell(d1), cell(d2), cell(d3), cell(d4)));
}

bool orgEventFilterColorBalance(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, int32_t d2)
{
    return eventFilterColorBalance(KAVRIN_OLDER_ARGS, undo, d0, d1, d2);
}

bool orgEventFilterBrightnessContrast(KAVRIN_REPLAY_HEAD, bool record, int32_t d0, int32_t d1)
{
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::no,
        [&](Src, Layer l, Mask m) { return orgFltBrightnessContrast(l, m, d0, d1); },
        push2(18, cell(d0), cell(d1)));
}

bool orgEventFilterHueSaturation(KAVRIN_REPLAY_HEAD, bool record, int32_t d0, int32_t d1,
                                 int32_t d2)
{
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::no,
        [&](Src, Layer l, Mask m) { return orgFltHueSaturation(l, m, d0, d1, d2); },
        push4(19, cell(d0), cell(d1), cell(d2), cell(0)));
}

bool orgEventFilterPosterize(KAVRIN_REPLAY_HEAD, bool record, int32_t d0)
{
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::yes,
        [&](Src, Layer l, Mask m) { return orgFltPosterize(l, m, d0); },
        push2(21, cell(d0), cell(0)));
}

bool orgEventFilterNoise(KAVRIN_REPLAY_HEAD, bool record, uint8_t d0, int32_t d1)
{
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::no,
        [&](Src s, Layer l, Mask m) { return orgFltNoise(s, l, m, d1, d0 != 0, 0); },
        push2(22, cell(int32_t(d0)), cell(d1)));
}

bool orgEventFilterMosaic(KAVRIN_REPLAY_HEAD, bool record, int32_t d0, uint8_t protect)
{
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::yes,
        [&](Src s, Layer l, Mask m) { return orgFltMosaic(s, l, m, d0, protect != 0); },
        push2(23, cell(d0), cell(int32_t(protect))));
}

bool orgEventFilterMotionBlur(KAVRIN_REPLAY_HEAD, bool record, int32_t d0, float d1,
                              uint8_t protect)
{
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::yes,
        [&](Src s, Layer l, Mask m) {
            return orgFltMotionBlur(s, l, m, float(d0), d1, protect != 0);
        },
        push2(2, cell(d0), cell(d1)));
}

bool orgEventFilterRadialBlur(KAVRIN_REPLAY_HEAD, bool record, int32_t d0, int32_t d1, int32_t d2,
                              uint8_t protect)
{
    // Cell 3 carries the layer's transparency protection as it is now.
    LDATA c3 = cell(0);
    if (TPaper *paper = flow.paper()) {
        PaperFilterHost host(*paper, flow, dw);
        if (const auto l = host.layer(idx))
            c3.b0 = l->maskProtected ? 1 : 0;
    }
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::yes,
        [&](Src s, Layer l, Mask m) {
            return orgFltRadialBlur(s, l, m, float(d0), d1, d2, protect != 0);
        },
        push4(3, cell(d0), cell(d1), cell(d2), c3));
}

// ---- generation 2

bool orgEventFilterSharpenCustom(KAVRIN_REPLAY_HEAD, float amount, bool record)
{
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::no,
        [&](Src s, Layer l, Mask m) { return orgFltSharpenCustom(s, l, m, amount); },
        push2(10, cell(amount), cell(0)));
}

bool orgEventFilterGaussianBlur(KAVRIN_REPLAY_HEAD, float radius, bool record)
{
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::yes,
        [&](Src s, Layer l, Mask m) { return orgFltGaussianBlur(s, l, m, radius); },
        push2(32, cell(radius), cell(0)));
}

bool orgEventFilterTwist(KAVRIN_REPLAY_HEAD, float angle, uint8_t insideCircle, float xFraction,
                         float yFraction, bool record)
{
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::no,
        [&](Src s, Layer l, Mask m) {
            return orgFltTwist(s, l, m, xFraction, yFraction, angle, insideCircle != 0);
        },
        push4(33, cell(angle), cell(int32_t(insideCircle)), cell(xFraction), cell(yFraction)));
}

bool orgEventFilterEmboss(KAVRIN_REPLAY_HEAD, float angle, float distance, bool record)
{
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::yes,
        [&](Src s, Layer l, Mask m) { return orgFltEmboss(s, l, m, distance, angle); },
        push2(34, cell(angle), cell(distance)));
}

bool orgEventFilterWave(KAVRIN_REPLAY_HEAD, float hAmplitude, float vAmplitude, float hFrequency,
                        float vFrequency, float phase, bool record)
{
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::no,
        [&](Src s, Layer l, Mask m) {
            return orgFltWave(s, l, m, hAmplitude, vAmplitude, hFrequency, vFrequency, phase);
        },
        push6(35, cell(hAmplitude), cell(vAmplitude), cell(hFrequency), cell(vFrequency),
              cell(phase)));
}

bool orgEventFilterTiles(KAVRIN_REPLAY_HEAD, const int32_t *tiles, bool record)
{
    if (!tiles)
        return false;
    SOrgTiles t;
    t.count = tiles[0];
    t.shape = tiles[1];
    t.size = tiles[2];
    for (size_t i = 0; i < 3; ++i)
        t.colors[i] = std::bit_cast<sBGRA>(tiles[3 + i]);
    LDATA c0 = cell(0);
    c0.b0 = uint8_t(t.count);
    c0.b1 = uint8_t(t.shape);
    c0.w1 = uint16_t(t.size);
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::yes,
        [&](Src s, Layer l, Mask m) { return orgFltTiles(s, l, m, t); },
        push4(36, c0, cell(tiles[3]), cell(tiles[4]), cell(tiles[5])));
}

namespace {
LDATA cloudsTileCell(const SOrgClouds &c)
{
    LDATA d = cell(0);
    d.w0 = uint16_t(c.tileW);
    d.w1 = uint16_t(c.tileH);
    return d;
}
} // namespace

bool orgEventFilterCloudsRocks(KAVRIN_REPLAY_HEAD, const SOrgCloudsRecord *clouds, bool record)
{
    if (!clouds)
        return false;
    const SOrgClouds &c = clouds->clouds;
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::yes,
        [&](Src s, Layer l, Mask m) { return orgFltCloudsRocks(s, l, m, c, flow.alpha()); },
        push6(37, cell(std::bit_cast<int32_t>(c.fore)), cell(std::bit_cast<int32_t>(c.back)),
              cell(int32_t(c.seed)), cloudsTileCell(c), cell(c.amplitude)));
}

bool orgEventFilterCloudsRocks2(KAVRIN_REPLAY_HEAD, const SOrgCloudsRecord *clouds,
                                int32_t threshold, bool record)
{
    if (!clouds)
        return false;
    const SOrgClouds &c = clouds->clouds;
    LDATA c4 = cell(0);
    c4.w0 = uint16_t(c.amplitude);
    c4.w1 = clouds->threshold;
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::yes,
        [&](Src s, Layer l, Mask m) {
            return orgFltCloudsRocks2(s, l, m, threshold, c, flow.alpha());
        },
        push6(38, cell(std::bit_cast<int32_t>(c.fore)), cell(std::bit_cast<int32_t>(c.back)),
              cell(int32_t(c.seed)), cloudsTileCell(c), c4));
}

bool orgEventFilterLighting(KAVRIN_REPLAY_HEAD, const SFltLight *lights, int32_t count,
                            int32_t ambientColor, int32_t ambientBright, bool record)
{
    if (!lights || count < 0 || count > 0xFFFF / int32_t(sizeof(SFltLight)))
        return false;
    const std::span<const SFltLight> list(lights, size_t(count));
    auto push = [&](IFilterHost &h, int32_t i, int32_t midx) {
        sFltObjComplex r;
        initFltObjComplex(r, uint16_t(count), sizeof(SFltLight));
        r.data0.all = ambientColor;
        r.data1.all = ambientBright;
        r.data = std::span(reinterpret_cast<const uint8_t *>(lights), list.size_bytes());
        h.pushEventFilterComplex(i, midx, 39, r);
    };
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::no,
        [&](Src s, Layer l, Mask m) {
            return orgFltLighting(s, l, m, ambientBright, std::bit_cast<sBGRA>(ambientColor), count,
                                  list);
        },
        push);
}

bool orgEventFilterFloor(KAVRIN_REPLAY_HEAD, const SFltFloor *floor, bool record)
{
    if (!floor)
        return false;
    if (floor->sfloor.version >= 3)
        return eventFilterFloor2(KAVRIN_OLDER_ARGS, record, floor);
    if (floor->sfloor.version >= 1)
        return eventFilterFloor(KAVRIN_OLDER_ARGS, record, floor);
    return runOlder(
        KAVRIN_OLDER_ARGS, record, eShrink::no,
        [&](Src s, Layer l, Mask m) { return orgFltFloor(s, l, m, *floor); },
        [&](IFilterHost &h, int32_t i, int32_t midx) { h.pushEventFilterFloor(i, midx, *floor); });
}
