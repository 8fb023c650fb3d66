// The resampling filters on a 4000 x 3000 layer against OpenCV on the same pixels:
//   scale50   fltScale2 to half size       vs cv::resize INTER_AREA to 2000 x 1500
//   scale200  fltScale2 to double size     vs cv::resize INTER_LINEAR of the middle 2000 x 1500
//             (both write 4000 x 3000 pixels)
//   rotate30  fltRotate2 by 30 degrees     vs cv::warpAffine INTER_LINEAR about the centre
// After the table, one line per case: "<case> vs opencv: R", R our time over OpenCV's.
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "filters/algorithms/distortion_filters.h"
#include "filters/core/filter_core.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgproc.hpp>

#include <cstdio>
#include <map>
#include <random>
#include <string>

namespace {

constexpr int kW = 4000, kH = 3000;

// The layer, its backup and flow canvas, no selection: what the filter core hands a pixel
// function applied over the whole layer.
struct Layer
{
    CBlockVMTC image{kW, kH};
    TMTC flow{kW, kH};
    TChannel flowAlpha{kW, kH};
    CMaskData noMask{0};
    std::unique_ptr<CBlockVMTC> backup;
    cv::Mat cvDst;

    Layer()
    {
        // Smooth gradients with noise, mostly opaque.
        std::mt19937 rng(11);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                sBGRA *p = flow.seek32(x, y);
                const uint32_t n = rng() & 15;
                p->B = uint8_t((x >> 4) + n), p->G = uint8_t((y >> 4) + n);
                p->R = uint8_t(((x + y) >> 5) + n), p->A = uint8_t(255 - (x >> 6));
                image.setPixel(x, y, p->all);
            }
        backup = std::make_unique<CBlockVMTC>(image);
    }

    sFlt4Params params()
    {
        sFlt4Params p;
        p.layerTC = &image;
        p.maskData = &noMask;
        p.maskRect = p.dstRect = {0, 0, kW, kH};
        p.bkupTC = backup.get();
        p.flowTC = &flow;
        p.flowCh = &flowAlpha;
        p.fnEffectMask = effectMaskNone;
        return p;
    }
    cv::Mat src() const { return cv::Mat(kH, kW, CV_8UC4, flow.buffer()); }
};

Layer &layer()
{
    static Layer l;
    return l;
}

void runOurs(benchmark::State &state, fptrFilter4 fn, const void *rec, int32_t size)
{
    Layer &l = layer();
    for (auto _ : state) {
        sFlt4Params p = l.params();
        if (!fn(p, rec, size))
            state.SkipWithError("the filter refused");
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kW * kH);
}

sFltObj4 scaleRecord(int32_t w, int32_t h)
{
    sFltObj4 r{};
    r.data0.all = w, r.data1.all = h;
    r.data2.b1 = 1; // the current method
    return r;
}

void bmScale50(benchmark::State &state)
{
    const sFltObj4 r = scaleRecord(kW / 2, kH / 2);
    runOurs(state, fltScale2, &r, kFltObj4Size);
}

void bmScale200(benchmark::State &state)
{
    const sFltObj4 r = scaleRecord(kW * 2, kH * 2);
    runOurs(state, fltScale2, &r, kFltObj4Size);
}

void bmRotate30(benchmark::State &state)
{
    sFltObj2 r{};
    r.data0._float = 30;
    r.data1.b1 = 1;
    runOurs(state, fltRotate2, &r, kFltObj2Size);
}

void bmCvScale50(benchmark::State &state)
{
    const cv::Mat src = layer().src();
    for (auto _ : state) {
        cv::resize(src, layer().cvDst, cv::Size(kW / 2, kH / 2), 0, 0, cv::INTER_AREA);
        benchmark::ClobberMemory();
    }
}

void bmCvScale200(benchmark::State &state)
{
    const cv::Mat middle = layer().src()(cv::Rect(kW / 4, kH / 4, kW / 2, kH / 2));
    for (auto _ : state) {
        cv::resize(middle, layer().cvDst, cv::Size(kW, kH), 0, 0, cv::INTER_LINEAR);
        benchmark::ClobberMemory();
    }
}

void bmCvRotate30(benchmark::State &state)
{
    const cv::Mat src = layer().src();
    const cv::Mat m = cv::getRotationMatrix2D(cv::Point2f(kW / 2.0f, kH / 2.0f), 30, 1);
    for (auto _ : state) {
        cv::warpAffine(src, layer().cvDst, m, src.size(), cv::INTER_LINEAR);
        benchmark::ClobberMemory();
    }
}

} // namespace

int main(int argc, char **argv)
{
    const char *cases[] = {"scale50", "scale200", "rotate30"};
    void (*ours[])(benchmark::State &) = {bmScale50, bmScale200, bmRotate30};
    void (*theirs[])(benchmark::State &) = {bmCvScale50, bmCvScale200, bmCvRotate30};
    for (int i = 0; i < 3; ++i) {
        benchmark::RegisterBenchmark((std::string(cases[i]) + "/kavrin").c_str(), ours[i])
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string(cases[i]) + "/opencv").c_str(), theirs[i])
            ->Unit(benchmark::kMillisecond);
    }
    const std::map<std::string, double> seconds = runBenchmarks(argc, argv);
    int status = 0;
    for (const char *c : cases) {
        const auto a = seconds.find(std::string(c) + "/kavrin");
        const auto b = seconds.find(std::string(c) + "/opencv");
        if (a == seconds.end() || b == seconds.end() || b->second <= 0) {
            status = 1;
            continue;
        }
        std::printf("%s vs opencv: %.2f\n", c, a->second / b->second);
    }
    return status;
}
