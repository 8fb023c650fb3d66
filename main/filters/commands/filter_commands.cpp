#include "filters/commands/filter_commands.h"

#include "core/image/canvas.h"
#include "document/paper/flow_image.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "filters/commands/filter_algorithms.h"
#include "filters/commands/paper_filter_host.h"
#include "filters/core/filter_core.h"
#include "paint/gradient/gradient_manager.h"
#include "paint/gradient/gradient_set_file.h"
#include "paint/stroke/stroke.h"
#include "platform/desktop/cursor.h"
#include "platform/system/clock.h"

#include <QBuffer>

#include <map>
#include <new>

namespace {
std::map<uint8_t, SFilterModule> &modules()
{
    static std::map<uint8_t, SFilterModule> table;
    return table;
}

SFilterAppHooks &appHooks()
{
    static SFilterAppHooks hooks;
    return hooks;
}

TColor32 toolColor(const std::function<TColor32()> &fn)
{
    TColor32 c{};
    if (fn)
        c = fn();
    c.a = 255;
    return c;
}

enum class eRec : uint8_t
{
    none,
    o2,
    o4,
    o6,
};

struct SCmdSpec
{
    uint8_t code;
    fptrFilter4 fn;
    eRec rec;
    const char *name;
};

// Steps shared by every command: the window's gate, the core on the layer, body with the core;
// exceptions go to the document's handlers and the core is freed on every path.
template <class Body>
bool runCommand(IFilterView *dw, TFlowImage &flow, int32_t idx, fptrFilter4 fn, Body body)
{
    if (!dw || !dw->canAcceptEditCmd(true, false, true))
        return false;
    TPaper *paper = flow.paper();
    if (!paper)
        return false;
    PaperFilterHost host(*paper, flow, dw);
    try {
        CFlt4Core core(host, idx, fn, true);
        if (!core.CheckParams())
            return false;
        return body(core, host);
    } catch (const std::bad_alloc &) {
        if (appHooks().memoryError)
            appHooks().memoryError(*paper);
    } catch (const std::exception &e) {
        if (appHooks().stdError)
            appHooks().stdError(*paper, e);
    }
    return false;
}

// The parameters from the filter's module: its dialog, or its last-used values.
bool fetchParams(uint8_t code, CFlt4Core &core, bool noDialog, SFilterParams &p)
{
    const auto it = modules().find(code);
    if (it == modules().end())
        return false;
    const auto &fn = noDialog ? it->second.makeLastParam : it->second.execDialog;
    return fn && fn(core, p);
}

bool runSpec(const SCmdSpec &s, FilterCommand self, IFilterView *dw, TFlowImage &flow, int32_t idx,
             bool noDialog)
{
    return runCommand(dw, flow, idx, s.fn, [&](CFlt4Core &core, PaperFilterHost &) {
        SFilterParams p;
        if (s.rec != eRec::none && !fetchParams(s.code, core, noDialog, p))
            return false;
        rememberLastFilter(self, QString::fromUtf8(s.name));
        switch (s.rec) {
        case eRec::o2:
            return core.EventFilter(s.code, p.o2);
        case eRec::o4:
            return core.EventFilter(s.code, p.o4);
        case eRec::o6:
            return core.EventFilter(s.code, p.o6);
        case eRec::none:
            break;
        }
        return core.EventFilter(s.code);
    });
}

// Clouds: no dialog; the tool colours, a new seed, the blend mode.
bool runClouds(FilterCommand self, const char *name, uint8_t blend, IFilterView *dw,
               TFlowImage &flow, int32_t idx)
{
    return runCommand(dw, flow, idx, fltClouds, [&](CFlt4Core &core, PaperFilterHost &) {
        sFltObj4 rec;
        initFltObj4(rec);
        rec.data0.all = int32_t(toolForegroundColour().bgra);
        rec.data1.all = int32_t(toolBackgroundColour().bgra);
        rec.data2.all = int32_t(timeGetTime());
        rec.data3.w0 = 256;
        rec.data3.b2 = blend;
        rec.data3.b3 = 255;
        rememberLastFilter(self, QString::fromUtf8(name));
        return core.EventFilter(70, rec);
    });
}
} // namespace

SFilterParams::SFilterParams()
{
    initFltObj2(o2);
    initFltObj4(o4);
    initFltObj6(o6);
    initFltObjComplex(complex, 0, 0);
    initFltLight(light);
    initFltCustom(custom);
    initFltFloor(floor);
    initFltObjGradientMap(gradMap);
}

void registerFilterModule(uint8_t code, SFilterModule module)
{
    if (!module.execDialog && !module.makeLastParam)
        modules().erase(code);
    else
        modules()[code] = std::move(module);
}

void clearFilterModules()
{
    modules().clear();
}

SFilterAppHooks installFilterAppHooks(SFilterAppHooks hooks)
{
    std::swap(appHooks(), hooks);
    return hooks;
}

TColor32 toolForegroundColour()
{
    return toolColor(appHooks().foregroundColor);
}

TColor32 toolBackgroundColour()
{
    return toolColor(appHooks().backgroundColor);
}

// The commands that follow the common pattern: name, code, pixel function, record, the name
// remembered for repeat.
#define KAVRIN_FILTER_COMMANDS(X)                                                                  \
    X(Grayscale, 87, fltGrayscale, none, "グレースケール")                                         \
    X(Invert, 81, fltInvert, none, "色調反転")                                                     \
    X(FlipHorizontal, 82, fltFlipHorizontal, none, "左右反転")                                     \
    X(FlipVertical, 83, fltFlipVertical, none, "上下反転")                                         \
    X(Rotate180, 84, fltRotate180, none, "180°回転")                                               \
    X(Blur, 64, fltBlur2, none, "ぼかし")                                                          \
    X(BlurMore, 65, fltBlurMore2, none, "ぼかし(強)")                                              \
    X(Sharpen, 12, fltSharpen, none, "シャープ")                                                   \
    X(SharpenMore, 13, fltSharpenMore, none, "シャープ(強)")                                       \
    X(FindEdges, 53, fltFindEdges, none, "輪郭検出")                                               \
    X(Solarize, 56, fltSolarize, none, "ソラリゼーション")                                         \
    X(BrightnessContrast, 62, fltBrightnessContrast, o4, "明るさ・コントラスト")                   \
    X(ColorBalance, 24, fltColorBalance, o4, "カラーバランス")                                     \
    X(HueSaturation, 61, fltHueSaturation, o4, "色相・彩度")                                       \
    X(Levels, 60, fltLevels, o6, "レベル補正")                                                     \
    X(Posterize, 27, fltPosterize, o2, "ポスタリゼーション")                                       \
    X(Binarize, 49, fltBinarize, o2, "モノクロ2階調")                                              \
    X(RadialBlur, 66, fltRadialBlur, o2, "ぼかし(ズーム)")                                         \
    X(MotionBlur, 4, fltMotionBlur, o2, "ぼかし(移動)")                                            \
    X(GaussianBlur, 67, fltGaussianBlur, o2, "ぼかし(ガウス)")                                     \
    X(Median, 86, fltMedian, o2, "明るさの中間値")                                                 \
    X(SharpenCustom, 14, fltSharpenCustom, o2, "シャープ(カスタム)")                               \
    X(Mosaic, 26, fltMosaic, o2, "モザイク")                                                       \
    X(Noise, 25, fltNoise, o4, "ノイズ")                                                           \
    X(Diffuse, 59, fltDiffuse, o4, "拡散")                                                         \
    X(Emboss, 50, fltEmboss, o4, "エンボス")                                                       \
    X(ColorHalftone, 48, fltColorHalftone, o4, "カラーハーフトーン")                               \
    X(PolarCoordinates, 98, fltPolarCoordinates2, o2, "極座標")                                    \
    X(Rotate, 97, fltRotate2, o2, "回転")                                                          \
    X(Scale, 96, fltScale2, o4, "拡大縮小")                                                        \
    X(Wave, 85, fltWave3, o2, "波")                                                                \
    X(Twirl, 68, fltTwirl, o2, "渦巻き")                                                           \
    X(Tiles, 73, fltTiles, o4, "タイル")                                                           \
    X(Plasma, 71, fltPlasma, o4, "プラズマ")                                                       \
    X(CloudsRocks, 72, fltCloudsRocks, o6, "雲模様・岩模様")

#define KAVRIN_DEFINE_COMMAND(Name, code, fn, rec, jname)                                          \
    bool doFilter##Name(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog)             \
    {                                                                                              \
        static const SCmdSpec spec{code, fn, eRec::rec, jname};                                    \
        return runSpec(spec, &doFilter##Name, dw, flow, idx, noDialog);                            \
    }
KAVRIN_FILTER_COMMANDS(KAVRIN_DEFINE_COMMAND)
#undef KAVRIN_DEFINE_COMMAND

namespace {
constexpr const char *kGradientMapName = "グラデーションマップ";
constexpr const char *kCustomName = "カスタム";
constexpr const char *kLightingName = "照明";
constexpr const char *kFloorName = "床";
constexpr const char *kCloudsName = "雲模様";
constexpr const char *kClouds2Name = "雲模様2";
} // namespace

QString filterCommandName(FilterCommand cmd)
{
    struct SName
    {
        FilterCommand cmd;
        const char *name;
    };
#define KAVRIN_NAME_ROW(Name, code, fn, rec, jname) {&doFilter##Name, jname},
    static const SName names[] = {
        KAVRIN_FILTER_COMMANDS(KAVRIN_NAME_ROW){&doFilterGradientMap, kGradientMapName},
        {&doFilterCustom, kCustomName},
        {&doFilterLighting, kLightingName},
        {&doFilterFloor, kFloorName},
        {&doFilterClouds, kCloudsName},
        {&doFilterClouds2, kClouds2Name}};
#undef KAVRIN_NAME_ROW
    for (const SName &n : names)
        if (n.cmd == cmd)
            return QString::fromUtf8(n.name);
    return {};
}

bool doFilterClouds(IFilterView *dw, TFlowImage &flow, int32_t idx, bool)
{
    return runClouds(&doFilterClouds, kCloudsName, 0, dw, flow, idx);
}

bool doFilterClouds2(IFilterView *dw, TFlowImage &flow, int32_t idx, bool)
{
    return runClouds(&doFilterClouds2, kClouds2Name, 16, dw, flow, idx);
}

bool doFilterCustom(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog)
{
    return runCommand(dw, flow, idx, fltCustom, [&](CFlt4Core &core, PaperFilterHost &) {
        SFilterParams p;
        if (!fetchParams(51, core, noDialog, p))
            return false;
        rememberLastFilter(&doFilterCustom, QString::fromUtf8(kCustomName));
        sFltObjComplex rec;
        initFltObjComplex(rec, 1, sizeof(SFltCustom));
        rec.data = std::span(reinterpret_cast<const uint8_t *>(&p.custom), sizeof(SFltCustom));
        return core.EventFilter(51, rec);
    });
}

bool doFilterLighting(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog)
{
    return runCommand(dw, flow, idx, fltLighting, [&](CFlt4Core &core, PaperFilterHost &) {
        SFilterParams p;
        if (!fetchParams(74, core, noDialog, p))
            return false;
        rememberLastFilter(&doFilterLighting, QString::fromUtf8(kLightingName));
        sFltObjComplex rec;
        initFltObjComplex(rec, 1, sizeof(SFltLight));
        rec.data0.all = p.complex.data0.all;
        rec.data1.all = p.complex.data1.all;
        rec.data = std::span(reinterpret_cast<const uint8_t *>(&p.light), sizeof(SFltLight));
        return core.EventFilter(74, rec);
    });
}

bool doFilterFloor(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog)
{
    return runCommand(dw, flow, idx, fltFloor2, [&](CFlt4Core &core, PaperFilterHost &) {
        SFilterParams p;
        // The two texture slots the dialog fills: 0 the ceiling, 1 the floor.
        TMTC ceiling, floor;
        p.floor.stex[kFloorSlotCeiling].tc = &ceiling;
        p.floor.stex[kFloorSlotFloor].tc = &floor;
        if (!fetchParams(99, core, noDialog, p))
            return false;
        rememberLastFilter(&doFilterFloor, QString::fromUtf8(kFloorName));
        return core.EventFilter(99, p.floor);
    });
}

bool doFilterGradientMap(IFilterView *dw, TFlowImage &flow, int32_t idx, bool noDialog)
{
    return runCommand(dw, flow, idx, fltGradientMap, [&](CFlt4Core &core, PaperFilterHost &host) {
        SFilterParams p;
        if (!fetchParams(54, core, noDialog, p))
            return false;
        sFltObjGradientMap &gm = p.gradMap;
        if (noDialog) {
            // The main window's current gradient, the remembered reverse flag (the module's),
            // the layer's protection.
            const CGradMngr *mngr = appMainGradMngr();
            const CGradObj *grad = mngr ? mngr->getActiveGrad() : nullptr;
            if (!grad)
                return false;
            gm.crsg = grad->crsg.get();
            gm.attr = grad->attr;
            gm.protect = core.layerView().maskProtected;
        }
        if (!gm.crsg)
            return false;
        QBuffer stream;
        stream.open(QIODevice::WriteOnly);
        if (writeGradChunk(stream, *gm.crsg, gm.attr) != 0)
            return false;
        const QByteArray &bytes = stream.data();
        // The block's size travels in 16 bits.
        if (bytes.size() > 0xFFFF)
            return false;
        WaitCursor wait;
        if (!core.Filter(&gm, kFltObjGradientMapSize, nullptr))
            return false;
        rememberLastFilter(&doFilterGradientMap, QString::fromUtf8(kGradientMapName));
        refreshAfterFilter(host, idx);
        sFltObjComplex rec;
        initFltObjComplex(rec, 1, uint16_t(bytes.size()));
        rec.data0.all = gm.crsg->slotMaxIdx + 1;
        rec.data1.b0 = gm.reverse ? 1 : 0;
        rec.data1.b1 = gm.protect ? 1 : 0;
        rec.data =
            std::span(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
        core.PushEvent(54, rec);
        core.PushUndo();
        return true;
    });
}

bool doFilterAlphaViaDensity(IFilterView *dw, TFlowImage &flow, int32_t idx)
{
    return runCommand(dw, flow, idx, fltAlphaViaDensity, [&](CFlt4Core &core, PaperFilterHost &) {
        sFltObj2 rec;
        initFltObj2(rec);
        const TStroke *stroke = appMainStroke();
        rec.data0.all = stroke ? int32_t(stroke->strokeDrawColor()) : 0;
        rec.data1.b0 = 1;
        return core.EventFilter(63, rec);
    });
}
