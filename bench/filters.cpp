// The filters on one 4000 x 3000 picture, held as a layer (with its flow canvas) and as a cv::Mat
// of the same pixels, in the same run: the kernel blurs against cv::blur, the custom sharpen and
// the emboss against cv::filter2D with the same (or a relief) kernel and the same border (the
// edge pixels repeated), the median against cv::medianBlur, the Gaussian against
// cv::GaussianBlur; the resampling filters against cv::resize and cv::warpAffine (scale50:
// fltScale2 to half size, which writes the whole 4000 x 3000 layer, vs INTER_AREA writing
// 2000 x 1500 pixels; scale200: fltScale2 to double size vs INTER_LINEAR of the middle quarter,
// both writing 4000 x 3000 pixels; rotate30: fltRotate2 by 30 degrees vs an INTER_LINEAR warp
// about the centre); Find Edges and Invert, which have no OpenCV peer, against their reference
// and memcpy only. Both sides run on one thread and on all threads (OpenCV's count set per run).
// A filter with a plain reference is also timed against it, and every filter against a memcpy of
// the picture (the floor of any filter). The filters without an OpenCV peer (motion and radial
// blur, hue/saturation, noise, diffuse, mosaic, wave, twirl, polar coordinates, the generators
// and lighting) run against their serial reference and memcpy; every filter also runs as the
// live preview does, on a 1600 x 1000 view in the middle of the effect rectangle.
//
// After the table, per filter: "<what> vs opencv (one thread): R" and "(all threads): R" (our
// time over OpenCV's), "<what> vs reference: R" (our all-thread time over the reference's) and
// "<what> vs memcpy: R"; the largest interior channel difference of the Gaussian; last the
// geometric mean of the one-thread ratios, "filters vs opencv (one thread): R". Each filter's
// line "<what> ms (...)" gives its one-thread, all-thread, reference and preview times.
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "core/tiles/work_threads.h"
#include "filters/algorithms/adjustment_filters.h"
#include "filters/algorithms/blur_filters.h"
#include "filters/algorithms/distortion_filters.h"
#include "filters/algorithms/generator_filters.h"
#include "filters/algorithms/lighting_filter.h"
#include "filters/algorithms/median_filter.h"
#include "filters/algorithms/sharpen_filters.h"
#include "filters/algorithms/texture_filters.h"
#include "filters/core/filter_core.h"
#include "filters/core/gauss_kernels.h"
#include "filters/core/pixel_mechanics.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kW = 4000, kH = 3000;
constexpr float kGaussSigma = 10.0f;

// An opaque picture of smooth gradients with noise, so that the alpha-weighted filters and
// OpenCV's plain ones compute the same thing.
struct Picture
{
    TMTC pic{kW, kH};
    CBlockVMTC layer{kW, kH};
    CBlockVMTC backup{kW, kH};
    TMTC flow{kW, kH};
    TChannel flowCh;
    CMaskData noMask{0};
    cv::Mat out;

    Picture()
    {
        initialiseFilters();
        std::mt19937 rng(7);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                sBGRA *p = pic.seek32(x, y);
                const uint32_t n = rng() & 31;
                p->B = uint8_t((x >> 4) + n), p->G = uint8_t((y >> 4) + n);
                p->R = uint8_t(((x + y) >> 5) + n), p->A = 255;
            }
        flow.copyImage(pic);
        flowCh.Resize(kW, kH);
        reset();
        backup.copyArea(layer);
    }
    void reset() { layer.bltFrom(pic, sPos{0, 0}, sBox{0, 0, kW, kH}, 255); }
    cv::Mat mat() const { return cv::Mat(kH, kW, CV_8UC4, pic.buffer()); }
    sFlt4Params params()
    {
        sFlt4Params p;
        p.layerTC = &layer;
        p.maskData = &noMask;
        p.maskRect = p.dstRect = {0, 0, kW, kH};
        p.bkupTC = &backup;
        p.flowTC = &flow;
        p.flowCh = &flowCh;
        p.fnEffectMask = effectMaskNone;
        return p;
    }
};

Picture &picture()
{
    static Picture pic;
    return pic;
}

struct Ours
{
    fptrFilter4 fn;
    sFltObj2 rec2{};
    sFltObj4 rec4{};
    sFltObj6 rec6{};
    sFltObjComplex complex{};
    std::shared_ptr<std::vector<uint8_t>> block{}; // what complex.data refers to
    int32_t size = 0;
    const void *argp() const
    {
        switch (size) {
        case kFltObj2Size:
            return &rec2;
        case kFltObj4Size:
            return &rec4;
        case kFltObj6Size:
            return &rec6;
        case kFltObjComplexSize:
            return &complex;
        default:
            return nullptr;
        }
    }
};

// The live preview's part: a 1600 x 1000 view in the middle of the effect rectangle.
constexpr sRect kView{(kW - 1600) / 2, (kH - 1000) / 2, (kW + 1600) / 2, (kH + 1000) / 2};

void runOurs(benchmark::State &state, const Ours &o, int threads, bool view = false)
{
    Picture &pic = picture();
    setWorkThreads(threads);
    for (auto _ : state) {
        sFlt4Params p = pic.params();
        if (view)
            p.dstRect = kView;
        if (!o.fn(p, o.argp(), o.size))
            state.SkipWithError("the filter refused");
        benchmark::ClobberMemory();
    }
    setWorkThreads(0);
    pic.reset();
}

// The floor of any filter: every pixel of the picture read and written once.
void runMemcpy(benchmark::State &state)
{
    Picture &pic = picture();
    std::vector<uint8_t> to(size_t(kW) * kH * 4);
    for (auto _ : state) {
        std::memcpy(to.data(), pic.pic.buffer(), to.size());
        benchmark::ClobberMemory();
    }
}

void runOpenCv(benchmark::State &state, const std::function<void(const cv::Mat &, cv::Mat &)> &f,
               int threads)
{
    Picture &pic = picture();
    const int before = cv::getNumThreads();
    cv::setNumThreads(threads > 0 ? threads : -1);
    const cv::Mat src = pic.mat();
    for (auto _ : state) {
        f(src, pic.out);
        benchmark::ClobberMemory();
    }
    cv::setNumThreads(before);
}

// The median over four separate channels (OpenCV's large apertures take one channel).
void medianPerChannel(const cv::Mat &src, cv::Mat &dst, int k)
{
    std::vector<cv::Mat> ch;
    cv::split(src, ch);
    for (cv::Mat &c : ch)
        cv::medianBlur(c, c, k);
    cv::merge(ch, dst);
}

int32_t gaussRadius()
{
    std::vector<int32_t> hk(kW), vk(kH);
    int32_t rx = 0, ry = 0;
    makeGaussKernels(hk, vk, kW, kGaussSigma, kH, rx, ry);
    return rx;
}

struct Pair
{
    std::string what;
    Ours ours;
    std::function<void(const cv::Mat &, cv::Mat &)> opencv; // empty: no OpenCV equivalent
    fptrFilter4 reference = nullptr; // the plain form the fast path is held to, if any
};

std::vector<Pair> pairs()
{
    Ours blur{fltBlur}, blurMore{fltBlurMore}, sharpen{fltSharpenCustom}, emboss{fltEmboss},
        med2{fltMedian}, med8{fltMedian}, gauss{fltGaussianBlur};
    sharpen.rec2.data0._float = 0.3f, sharpen.size = kFltObj2Size;
    emboss.rec4.data0.all = 45, emboss.rec4.data1._float = 2.0f, emboss.rec4.data2.all = 100;
    emboss.size = kFltObj4Size;
    med2.rec2.data0.b0 = 2, med2.size = kFltObj2Size;
    med8.rec2.data0.b0 = 8, med8.size = kFltObj2Size;
    gauss.rec2.data0._float = kGaussSigma, gauss.size = kFltObj2Size;
    int32_t k = 0;
    customSharpenStrength(0.3f, k);
    // Ours divides by the kernel's sum; filter2D does not.
    const float s = float(999 - 4 * k);
    const cv::Mat sharpenKernel =
        (cv::Mat_<float>(3, 3) << 0, -k / s, 0, -k / s, 999 / s, -k / s, 0, -k / s, 0);
    const cv::Mat relief = (cv::Mat_<float>(3, 3) << -1, -1, 0, -1, 0, 1, 0, 1, 1);
    const int ksize = 2 * gaussRadius() + 1;
    Ours scale50{fltScale2}, scale200{fltScale2}, rotate30{fltRotate2};
    scale50.rec4.data0.all = kW / 2, scale50.rec4.data1.all = kH / 2;
    scale200.rec4.data0.all = kW * 2, scale200.rec4.data1.all = kH * 2;
    scale50.rec4.data2.b1 = scale200.rec4.data2.b1 = 1; // the current method
    scale50.size = scale200.size = kFltObj4Size;
    rotate30.rec2.data0._float = 30, rotate30.rec2.data1.b1 = 1, rotate30.size = kFltObj2Size;
    const cv::Mat turn = cv::getRotationMatrix2D(cv::Point2f(kW / 2.0f, kH / 2.0f), 30, 1);
    // The filters without an OpenCV peer, at settings from the middle of their dialogs.
    Ours motion{fltMotionBlur}, radial{fltRadialBlur}, hueSat{fltHueSaturation}, noise{fltNoise},
        diffuse{fltDiffuse}, wave{fltWave2}, twirl{fltTwirl}, polar{fltPolarCoordinates2},
        clouds{fltClouds}, plasma{fltPlasma}, rocks{fltCloudsRocks}, tiles{fltTiles},
        lighting{fltLighting}, mosaic{fltMosaic};
    mosaic.rec2.data0.all = 8, mosaic.size = kFltObj2Size;
    motion.rec2.data0.b0 = 20, motion.rec2.data0.b1 = 1, motion.rec2.data0.s1 = 30;
    radial.rec2.data1.b0 = 20;
    hueSat.rec4.data0.all = 40, hueSat.rec4.data1.all = 20, hueSat.rec4.data2.all = 10;
    noise.rec4.data0.all = 40, noise.rec4.data2.all = 7;
    diffuse.rec4.data0.all = 5, diffuse.rec4.data2.all = 7;
    wave.rec2.data0.all = 0x0A0A0505, wave.rec2.data1._float = 1.0f;
    twirl.rec2.data0.s0 = 90;
    motion.size = radial.size = wave.size = twirl.size = polar.size = kFltObj2Size;
    hueSat.size = noise.size = diffuse.size = clouds.size = plasma.size = tiles.size = kFltObj4Size;
    clouds.rec4.data0.all = int32_t(0xFF000000u), clouds.rec4.data1.all = -1;
    clouds.rec4.data2.all = 7, clouds.rec4.data3.w0 = 256, clouds.rec4.data3.b3 = 255;
    plasma.rec4.data0.all = 7, plasma.rec4.data1.w1 = 256, plasma.rec4.data2.b1 = 255;
    rocks.rec6.data0.all = int32_t(0xFF000000u), rocks.rec6.data1.all = -1;
    rocks.rec6.data2.all = 7, rocks.rec6.data3.w0 = 512, rocks.rec6.data3.w1 = 512;
    rocks.rec6.data4.w0 = 250, rocks.size = kFltObj6Size;
    tiles.rec4.data0.b0 = 0, tiles.rec4.data0.b1 = 1, tiles.rec4.data0.w1 = 40;
    tiles.rec4.data1.all = int32_t(0xFFFF0000u), tiles.rec4.data2.all = int32_t(0x8000FF00u);
    tiles.rec4.data3.all = int32_t(0xFF0000FFu);
    SFltLight light;
    initFltLight(light);
    light.kind = flkSpot, light.power = 100, light.color.all = 0x00FFFFFF, light.range = 100;
    light.posx = 0.3f, light.posy = 0.4f, light.posz = 50, light.theta = 30, light.phi = 45;
    light.wide = 40;
    lighting.block = std::make_shared<std::vector<uint8_t>>(sizeof light);
    std::memcpy(lighting.block->data(), &light, sizeof light);
    initFltObjComplex(lighting.complex, 1, sizeof light);
    lighting.complex.data0.all = 0x00404040, lighting.complex.data1.all = 100;
    lighting.complex.data = *lighting.block;
    lighting.size = kFltObjComplexSize;
    return {
        {"blur3", blur, [](const cv::Mat &a, cv::Mat &b) { cv::blur(a, b, cv::Size(3, 3)); }},
        {"blurmore5", blurMore, [](const cv::Mat &a, cv::Mat &b) { cv::blur(a, b, cv::Size(5, 5)); }},
        {"sharpen", sharpen,
         [sharpenKernel](const cv::Mat &a, cv::Mat &b) { cv::filter2D(a, b, -1, sharpenKernel); }},
        {"emboss", emboss,
         [relief](const cv::Mat &a, cv::Mat &b) {
             cv::filter2D(a, b, -1, relief, cv::Point(-1, -1), 127, cv::BORDER_REPLICATE);
         },
         fltEmbossReference},
        {"median r2", med2, [](const cv::Mat &a, cv::Mat &b) { medianPerChannel(a, b, 5); }},
        {"median r8", med8, [](const cv::Mat &a, cv::Mat &b) { medianPerChannel(a, b, 17); }},
        {"scale50", scale50,
         [](const cv::Mat &a, cv::Mat &b) {
             cv::resize(a, b, cv::Size(kW / 2, kH / 2), 0, 0, cv::INTER_AREA);
         }},
        {"scale200", scale200,
         [](const cv::Mat &a, cv::Mat &b) {
             cv::resize(a(cv::Rect(kW / 4, kH / 4, kW / 2, kH / 2)), b, cv::Size(kW, kH), 0, 0,
                        cv::INTER_LINEAR);
         }},
        {"rotate30", rotate30,
         [turn](const cv::Mat &a, cv::Mat &b) {
             cv::warpAffine(a, b, turn, a.size(), cv::INTER_LINEAR);
         }},
        {"find edges", Ours{fltFindEdges}, {}, fltFindEdgesReference},
        {"invert", Ours{fltInvert}, {}},
        {"gaussian r10", gauss,
         [ksize](const cv::Mat &a, cv::Mat &b) {
             cv::GaussianBlur(a, b, cv::Size(ksize, ksize), kGaussSigma, kGaussSigma,
                              cv::BORDER_REPLICATE);
         }},
        {"motion blur 20", motion, {}, fltMotionBlurReference},
        {"radial blur 20", radial, {}, fltRadialBlurReference},
        {"hue/saturation", hueSat, {}, fltHueSaturationReference},
        {"noise", noise, {}, fltNoiseReference},
        {"diffuse", diffuse, {}, fltDiffuseReference},
        {"mosaic 8", mosaic, {}, fltMosaicReference},
        {"wave", wave, {}, [](sFlt4Params &p, const void *a, int32_t n) { return fltWaveReference(p, a, n, 1); }},
        {"twirl", twirl, {}, fltTwirlReference},
        {"polar", polar, {}, fltPolarCoordinates2Reference},
        {"clouds", clouds, {}, fltCloudsReference},
        {"plasma", plasma, {}, fltPlasmaReference},
        {"clouds and rocks", rocks, {}, fltCloudsRocksReference},
        {"tiles", tiles, {}, fltTilesReference},
        {"lighting", lighting, {}, fltLightingReference},
    };
}

// The largest channel difference between our Gaussian and OpenCV's, away from the borders.
int gaussianDifference()
{
    Picture &pic = picture();
    pic.reset();
    sFlt4Params p = pic.params();
    sFltObj2 rec{};
    rec.data0._float = kGaussSigma;
    if (!fltGaussianBlur(p, &rec, kFltObj2Size))
        return 256;
    const int32_t r = gaussRadius();
    cv::Mat theirs;
    cv::GaussianBlur(pic.mat(), theirs, cv::Size(2 * r + 1, 2 * r + 1), kGaussSigma, kGaussSigma,
                     cv::BORDER_REPLICATE);
    int worst = 0;
    for (int y = r; y < kH - r; ++y) {
        const uint8_t *b = theirs.ptr<uint8_t>(y);
        for (int x = r; x < kW - r; ++x) {
            const sBGRA c{.all = pic.layer.getColor(x, y)};
            const uint8_t ours[4] = {c.B, c.G, c.R, c.A};
            for (int i = 0; i < 4; ++i)
                worst = std::max(worst, std::abs(int(ours[i]) - int(b[x * 4 + i])));
        }
    }
    pic.reset();
    return worst;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<Pair> all = pairs();
    const auto add = [](const std::string &name, std::function<void(benchmark::State &)> f) {
        benchmark::RegisterBenchmark(name.c_str(), f)->Unit(benchmark::kMillisecond);
    };
    for (const Pair &pr : all) {
        add("ours-1thread/" + pr.what, [o = pr.ours](benchmark::State &s) { runOurs(s, o, 1); });
        add("ours/" + pr.what, [o = pr.ours](benchmark::State &s) { runOurs(s, o, 0); });
        add("preview/" + pr.what, [o = pr.ours](benchmark::State &s) { runOurs(s, o, 0, true); });
        if (pr.opencv) {
            add("opencv-1thread/" + pr.what, [f = pr.opencv](benchmark::State &s) { runOpenCv(s, f, 1); });
            add("opencv/" + pr.what, [f = pr.opencv](benchmark::State &s) { runOpenCv(s, f, 0); });
        }
        if (pr.reference) {
            Ours ref = pr.ours;
            ref.fn = pr.reference;
            add("reference/" + pr.what, [ref](benchmark::State &s) { runOurs(s, ref, 1); });
        }
    }
    add("memcpy", runMemcpy);
    const std::map<std::string, double> seconds = runBenchmarks(argc, argv);
    const auto ratio = [&](const std::string &ours, const std::string &other) {
        const auto o = seconds.find(ours), c = seconds.find(other);
        return o == seconds.end() || c == seconds.end() || c->second <= 0 ? -1.0 : o->second / c->second;
    };
    double logSum = 0;
    int counted = 0;
    for (const Pair &pr : all) {
        const std::string &w = pr.what;
        const double one = pr.opencv ? ratio("ours-1thread/" + w, "opencv-1thread/" + w) : -1.0;
        if (pr.opencv) {
            std::printf("%s vs opencv (one thread): %.2f\n", w.c_str(), one);
            std::printf("%s vs opencv (all threads): %.2f\n", w.c_str(),
                        ratio("ours/" + w, "opencv/" + w));
        }
        if (pr.reference)
            std::printf("%s vs reference: %.3f\n", w.c_str(), ratio("ours/" + w, "reference/" + w));
        std::printf("%s vs memcpy: %.2f\n", w.c_str(), ratio("ours/" + w, "memcpy"));
        if (seconds.find("ours/" + w) == seconds.end())
            continue; // left out by the command line's filter
        const auto ms = [&](const std::string &name) {
            const auto it = seconds.find(name);
            return it == seconds.end() ? -1.0 : it->second; // the benchmarks' unit is ms
        };
        std::printf("%s ms (one thread, all threads, reference, 1600 x 1000 preview): %.0f %.0f %.0f %.1f\n",
                    w.c_str(), ms("ours-1thread/" + w), ms("ours/" + w), ms("reference/" + w),
                    ms("preview/" + w));
        if (one > 0)
            logSum += std::log(one), ++counted;
    }
    std::printf("largest interior channel difference of the gaussian: %d\n", gaussianDifference());
    std::printf("filters vs opencv (one thread): %.2f\n", counted ? std::exp(logSum / counted) : -1.0);
    return 0;
}
