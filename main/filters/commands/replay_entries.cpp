#include "filters/commands/replay_entries.h"

#include "document/paper/flow_image.h"
#include "document/paper/paper.h"
#include "filters/commands/filter_algorithms.h"
#include "filters/commands/paper_filter_host.h"
#include "filters/core/filter_core.h"
#include "paint/stroke/stroke.h"
#include "platform/desktop/cursor.h"

namespace {
// The core on the layer with the given undo flag, then apply(core). Exceptions pass.
template <class Apply>
bool replayWith(IFilterView *dw, TFlowImage &flow, int32_t idx, fptrFilter4 fn, bool undo,
                Apply apply)
{
    TPaper *paper = flow.paper();
    if (!paper)
        return false;
    PaperFilterHost host(*paper, flow, dw);
    CFlt4Core core(host, idx, fn, undo);
    if (!core.CheckParams())
        return false;
    return apply(core, host);
}

bool replay0(IFilterView *dw, TFlowImage &flow, int32_t idx, fptrFilter4 fn, bool undo,
             uint8_t code)
{
    return replayWith(dw, flow, idx, fn, undo,
                      [&](CFlt4Core &core, PaperFilterHost &) { return core.EventFilter(code); });
}

template <class Rec>
bool replayRec(IFilterView *dw, TFlowImage &flow, int32_t idx, fptrFilter4 fn, bool undo,
               uint8_t code, const Rec *rec)
{
    if (!rec)
        return false;
    return replayWith(dw, flow, idx, fn, undo, [&](CFlt4Core &core, PaperFilterHost &) {
        return core.EventFilter(code, *rec);
    });
}

sFltObj2 obj2()
{
    sFltObj2 r;
    initFltObj2(r);
    return r;
}
sFltObj4 obj4()
{
    sFltObj4 r;
    initFltObj4(r);
    return r;
}
sFltObj6 obj6()
{
    sFltObj6 r;
    initFltObj6(r);
    return r;
}

// Run and refresh only (the floor): nothing is recorded.
bool runAndRefresh(IFilterView *dw, TFlowImage &flow, int32_t idx, fptrFilter4 fn, const void *argp,
                   int32_t args)
{
    return replayWith(dw, flow, idx, fn, false, [&](CFlt4Core &core, PaperFilterHost &host) {
        WaitCursor wait;
        if (!core.Filter(argp, args, nullptr))
            return false;
        refreshAfterFilter(host, idx);
        return true;
    });
}
} // namespace

#define KAVRIN_REPLAY_ARGS dw, flow, idx

bool eventFilterGrayscale(KAVRIN_REPLAY_HEAD, bool undo)
{
    return replay0(KAVRIN_REPLAY_ARGS, fltGrayscale, undo, 87);
}
bool eventFilterInvert(KAVRIN_REPLAY_HEAD, bool undo)
{
    return replay0(KAVRIN_REPLAY_ARGS, fltInvert, undo, 81);
}
bool eventFilterFlipHorizontal(KAVRIN_REPLAY_HEAD, bool undo)
{
    return replay0(KAVRIN_REPLAY_ARGS, fltFlipHorizontal, undo, 82);
}
bool eventFilterFlipVertical(KAVRIN_REPLAY_HEAD, bool undo)
{
    return replay0(KAVRIN_REPLAY_ARGS, fltFlipVertical, undo, 83);
}
bool eventFilterRotate180(KAVRIN_REPLAY_HEAD, bool undo)
{
    return replay0(KAVRIN_REPLAY_ARGS, fltRotate180, undo, 84);
}
bool eventFilterFindEdges(KAVRIN_REPLAY_HEAD, bool undo)
{
    return replay0(KAVRIN_REPLAY_ARGS, fltFindEdges, undo, 53);
}
bool eventFilterSolarize(KAVRIN_REPLAY_HEAD, bool undo)
{
    return replay0(KAVRIN_REPLAY_ARGS, fltSolarize, undo, 56);
}

bool eventFilterAlphaViaDensity(KAVRIN_REPLAY_HEAD, bool undo)
{
    TPaper *paper = flow.paper();
    const TStroke *stroke = paper ? paper->getActiveStroke() : nullptr;
    const int32_t color = stroke ? int32_t(stroke->strokeDrawColor()) : 0;
    return eventFilterAlphaViaDensity2(KAVRIN_REPLAY_ARGS, backup, color, false, undo);
}

bool eventFilterSharpen(KAVRIN_REPLAY_HEAD, bool undo, bool)
{
    return replay0(KAVRIN_REPLAY_ARGS, fltSharpen, undo, 12);
}
bool eventFilterSharpenMore(KAVRIN_REPLAY_HEAD, bool undo, bool)
{
    return replay0(KAVRIN_REPLAY_ARGS, fltSharpenMore, undo, 13);
}

bool eventFilterBlur(KAVRIN_REPLAY_HEAD, bool undo, bool current, bool)
{
    return current ? replay0(KAVRIN_REPLAY_ARGS, fltBlur2, undo, 64)
                   : replay0(KAVRIN_REPLAY_ARGS, fltBlur, undo, 0);
}
bool eventFilterBlurMore(KAVRIN_REPLAY_HEAD, bool undo, bool current, bool)
{
    return current ? replay0(KAVRIN_REPLAY_ARGS, fltBlurMore2, undo, 65)
                   : replay0(KAVRIN_REPLAY_ARGS, fltBlurMore, undo, 1);
}

bool eventFilterBrightnessContrast(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, bool d2)
{
    sFltObj4 r = obj4();
    r.data0.all = d0;
    r.data1.all = d1;
    r.data2.b0 = d2 ? 1 : 0;
    return replayRec(KAVRIN_REPLAY_ARGS, fltBrightnessContrast, undo, 62, &r);
}

bool eventFilterColorBalance(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, int32_t d2)
{
    sFltObj4 r = obj4();
    r.data0.all = d0;
    r.data1.all = d1;
    r.data2.all = d2;
    return replayRec(KAVRIN_REPLAY_ARGS, fltColorBalance, undo, 24, &r);
}

bool eventFilterHueSaturation(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, int32_t d2,
                              bool b0, bool b1)
{
    sFltObj4 r = obj4();
    r.data0.all = d0;
    r.data1.all = d1;
    r.data2.all = d2;
    r.data3.b0 = b0 ? 1 : 0;
    r.data3.b1 = b1 ? 1 : 0;
    return replayRec(KAVRIN_REPLAY_ARGS, fltHueSaturation, undo, 61, &r);
}

bool eventFilterLevels(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, int32_t d2,
                       int32_t d3, int32_t d4, bool b)
{
    sFltObj6 r = obj6();
    r.data0.all = d0;
    r.data1.all = d1;
    r.data2.all = d2;
    r.data3.all = d3;
    r.data4.all = d4;
    r.data5.b0 = b ? 1 : 0;
    return replayRec(KAVRIN_REPLAY_ARGS, fltLevels, undo, 60, &r);
}

bool eventFilterPosterize(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0)
{
    sFltObj2 r = obj2();
    r.data0.all = d0;
    return replayRec(KAVRIN_REPLAY_ARGS, fltPosterize, undo, 27, &r);
}

bool eventFilterSharpenCustom(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0)
{
    sFltObj2 r = obj2();
    r.data0.all = d0;
    return replayRec(KAVRIN_REPLAY_ARGS, fltSharpenCustom, undo, 14, &r);
}

bool eventFilterMosaic(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, bool protect)
{
    sFltObj2 r = obj2();
    r.data0.all = d0;
    r.data1.b0 = protect ? 1 : 0;
    return replayRec(KAVRIN_REPLAY_ARGS, fltMosaic, undo, 26, &r);
}

bool eventFilterMotionBlur(KAVRIN_REPLAY_HEAD, bool undo, uint8_t b0, uint8_t b1, int16_t angle,
                           int32_t d1, bool)
{
    sFltObj2 r = obj2();
    r.data0.b0 = b0;
    r.data0.b1 = b1;
    if (b1 != 0)
        r.data0.s1 = angle;
    else
        r.data1.all = d1;
    return replayRec(KAVRIN_REPLAY_ARGS, fltMotionBlur, undo, 4, &r);
}

namespace {
sFltObj2 polar(uint8_t b0, uint8_t protect)
{
    sFltObj2 r = obj2();
    r.data0.b0 = b0;
    r.data0.b1 = protect;
    return r;
}
sFltObj2 rotate(int32_t d0, uint8_t protect, uint8_t b1)
{
    sFltObj2 r = obj2();
    r.data0.all = d0;
    r.data1.b0 = protect;
    r.data1.b1 = b1;
    return r;
}
sFltObj4 scale(int32_t d0, int32_t d1, uint8_t protect, uint8_t b1)
{
    sFltObj4 r = obj4();
    r.data0.all = d0;
    r.data1.all = d1;
    r.data2.b0 = protect;
    r.data2.b1 = b1;
    return r;
}
} // namespace

bool eventFilterPolarCoordinates(KAVRIN_REPLAY_HEAD, bool undo, uint8_t b0, uint8_t protect)
{
    const sFltObj2 r = polar(b0, protect);
    return replayRec(KAVRIN_REPLAY_ARGS, fltPolarCoordinates, undo, 55, &r);
}
bool eventFilterPolarCoordinates2(KAVRIN_REPLAY_HEAD, bool undo, uint8_t b0, uint8_t protect)
{
    const sFltObj2 r = polar(b0, protect);
    return replayRec(KAVRIN_REPLAY_ARGS, fltPolarCoordinates2, undo, 98, &r);
}
bool eventFilterRotate(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, uint8_t protect, uint8_t b1)
{
    const sFltObj2 r = rotate(d0, protect, b1);
    return replayRec(KAVRIN_REPLAY_ARGS, fltRotate, undo, 58, &r);
}
bool eventFilterRotate2(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, uint8_t protect, uint8_t b1)
{
    const sFltObj2 r = rotate(d0, protect, b1);
    return replayRec(KAVRIN_REPLAY_ARGS, fltRotate2, undo, 97, &r);
}
bool eventFilterScale(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, uint8_t protect,
                      uint8_t b1)
{
    const sFltObj4 r = scale(d0, d1, protect, b1);
    return replayRec(KAVRIN_REPLAY_ARGS, fltScale, undo, 57, &r);
}
bool eventFilterScale2(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, uint8_t protect,
                       uint8_t b1)
{
    const sFltObj4 r = scale(d0, d1, protect, b1);
    return replayRec(KAVRIN_REPLAY_ARGS, fltScale2, undo, 96, &r);
}

bool eventFilterNoise(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, bool b, int32_t d2)
{
    sFltObj4 r = obj4();
    r.data0.all = d0;
    r.data1.all = b ? 1 : 0;
    r.data2.all = d2;
    return replayRec(KAVRIN_REPLAY_ARGS, fltNoise, undo, 25, &r);
}

bool eventFilterColorHalftone(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, int32_t d2,
                              int32_t d3)
{
    sFltObj4 r = obj4();
    r.data0.all = d0;
    r.data1.all = d1;
    r.data2.all = d2;
    r.data3.all = d3;
    return replayRec(KAVRIN_REPLAY_ARGS, fltColorHalftone, undo, 48, &r);
}

bool eventFilterEmboss(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, int32_t d2)
{
    sFltObj4 r = obj4();
    r.data0.all = d0;
    r.data1.all = d1;
    r.data2.all = d2;
    return replayRec(KAVRIN_REPLAY_ARGS, fltEmboss, undo, 50, &r);
}

bool eventFilterDiffuse(KAVRIN_REPLAY_HEAD, bool undo, int32_t d0, int32_t d1, int32_t d2, bool b0,
                        bool b1, uint8_t protect)
{
    sFltObj4 r = obj4();
    r.data0.all = d0;
    r.data1.all = d1;
    r.data2.all = d2;
    r.data3.b0 = b0 ? 1 : 0;
    r.data3.b1 = b1 ? 1 : 0;
    r.data3.b2 = protect;
    return replayRec(KAVRIN_REPLAY_ARGS, fltDiffuse, undo, 59, &r);
}

bool eventFilterBinarize(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj2 *rec)
{
    return replayRec(KAVRIN_REPLAY_ARGS, fltBinarize, undo, 49, rec);
}
bool eventFilterRadialBlur(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj2 *rec)
{
    return replayRec(KAVRIN_REPLAY_ARGS, fltRadialBlur, undo, 66, rec);
}
bool eventFilterGaussianBlur(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj2 *rec)
{
    return replayRec(KAVRIN_REPLAY_ARGS, fltGaussianBlur, undo, 67, rec);
}
bool eventFilterMedian(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj2 *rec)
{
    return replayRec(KAVRIN_REPLAY_ARGS, fltMedian, undo, 86, rec);
}
bool eventFilterTwirl(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj2 *rec)
{
    return replayRec(KAVRIN_REPLAY_ARGS, fltTwirl, undo, 68, rec);
}
bool eventFilterTiles(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj4 *rec)
{
    return replayRec(KAVRIN_REPLAY_ARGS, fltTiles, undo, 73, rec);
}
bool eventFilterClouds(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj4 *rec)
{
    return replayRec(KAVRIN_REPLAY_ARGS, fltClouds, undo, 70, rec);
}
bool eventFilterPlasma(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj4 *rec)
{
    return replayRec(KAVRIN_REPLAY_ARGS, fltPlasma, undo, 71, rec);
}
bool eventFilterCloudsRocks(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj6 *rec)
{
    return replayRec(KAVRIN_REPLAY_ARGS, fltCloudsRocks, undo, 72, rec);
}

bool eventFilterWave(KAVRIN_REPLAY_HEAD, bool undo, const sFltObj2 *rec, int32_t variant)
{
    if (variant == 0)
        return replayRec(KAVRIN_REPLAY_ARGS, fltWave, undo, 69, rec);
    if (variant == 1)
        return replayRec(KAVRIN_REPLAY_ARGS, fltWave2, undo, 80, rec);
    return replayRec(KAVRIN_REPLAY_ARGS, fltWave3, undo, 85, rec);
}

bool eventFilterCustom(KAVRIN_REPLAY_HEAD, bool undo, const SFltCustom *custom)
{
    if (!custom)
        return false;
    sFltObjComplex r;
    initFltObjComplex(r, 1, sizeof(SFltCustom));
    r.data = std::span(reinterpret_cast<const uint8_t *>(custom), sizeof(SFltCustom));
    return replayRec(KAVRIN_REPLAY_ARGS, fltCustom, undo, 51, &r);
}

bool eventFilterLighting(KAVRIN_REPLAY_HEAD, bool undo, const sFltObjComplex *complex)
{
    return replayRec(KAVRIN_REPLAY_ARGS, fltLighting, undo, 74, complex);
}

bool eventFilterGradientMap(KAVRIN_REPLAY_HEAD, bool, const CColorSlotGroup *crsg,
                            const SGradAttr &attr, bool reverse, bool protect)
{
    if (!crsg)
        return false;
    sFltObjGradientMap r;
    initFltObjGradientMap(r);
    r.crsg = crsg;
    r.attr = attr;
    r.reverse = reverse;
    r.protect = protect;
    return runAndRefresh(KAVRIN_REPLAY_ARGS, fltGradientMap, &r, kFltObjGradientMapSize);
}

bool eventFilterAlphaViaDensity2(KAVRIN_REPLAY_HEAD, int32_t color, bool flag, bool undo)
{
    sFltObj2 r = obj2();
    r.data0.all = color;
    r.data1.b0 = flag ? 1 : 0;
    return replayRec(KAVRIN_REPLAY_ARGS, fltAlphaViaDensity, undo, 63, &r);
}

bool eventFilterFloor(KAVRIN_REPLAY_HEAD, bool, const SFltFloor *floor)
{
    return floor && runAndRefresh(KAVRIN_REPLAY_ARGS, fltFloor, floor, kFltFloorSize);
}

bool eventFilterFloor2(KAVRIN_REPLAY_HEAD, bool, const SFltFloor *floor)
{
    return floor && runAndRefresh(KAVRIN_REPLAY_ARGS, fltFloor2, floor, kFltFloorSize);
}
