// A 4096 x 4096 layer turned by 30 degrees (makeRotatedLayer, bilinear in 16.16) against OpenCV's
// cv::warpAffine with INTER_LINEAR on the same pixels, and the layer halved by the alpha-weighted
// area average (makeZoomedLayer2) against cv::resize with INTER_AREA, all on one thread. The last
// line gives the time of the layer rotation over OpenCV's warp.
#include "core/tiles/block_layer_image.h"
#include "core/tiles/work_threads.h"
#include "document/edit/layer_geometry.h"
#include "document/paper/document_init.h"
#include "document/paper/layer_data.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>

namespace {

constexpr int kSide = 4096;
constexpr float kDegrees = 30.0f;

struct Source
{
    std::unique_ptr<CLayerData> layer;
    cv::Mat mat = cv::Mat(kSide, kSide, CV_8UC4);

    Source()
    {
        initialiseDocument();
        layer = std::make_unique<CLayerData>(0, false);
        if (!layer->createLayer(kSide, kSide, TLayerMode::LM_STD))
            std::abort();
        // Smooth gradients with noise: neither uniform blocks nor random pixels.
        std::mt19937 rng(11);
        for (int y = 0; y < kSide; ++y) {
            uint8_t *row = mat.ptr<uint8_t>(y);
            for (int x = 0; x < kSide; ++x) {
                const uint32_t n = rng() & 15;
                sBGRA p;
                p.B = uint8_t((x >> 4) + n), p.G = uint8_t((y >> 4) + n);
                p.R = uint8_t(((x + y) >> 5) + n), p.A = uint8_t(255 - (x >> 5));
                layer->imageTC->setPixel(x, y, p.all);
                row[4 * x] = p.B, row[4 * x + 1] = p.G, row[4 * x + 2] = p.R, row[4 * x + 3] = p.A;
            }
        }
    }
};

Source &source()
{
    static Source s;
    return s;
}

void bmRotateLayer(benchmark::State &state)
{
    setWorkThreads(1);
    Source &s = source();
    for (auto _ : state) {
        auto out = makeRotatedLayer({kSide, kSide}, *s.layer, kDegrees);
        if (!out)
            state.SkipWithError("rotation failed");
        benchmark::DoNotOptimize(out.get());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kSide * kSide);
}

void bmOpenCvWarp(benchmark::State &state)
{
    const int was = cv::getNumThreads();
    cv::setNumThreads(1);
    Source &s = source();
    // The same turn about the same centre, into an image large enough for the turned square.
    const int side = int(std::ceil(kSide * (std::cos(M_PI / 6) + std::sin(M_PI / 6))));
    cv::Mat rot = cv::getRotationMatrix2D(cv::Point2f(kSide / 2.0f, kSide / 2.0f), -kDegrees, 1.0);
    rot.at<double>(0, 2) += (side - kSide) / 2.0;
    rot.at<double>(1, 2) += (side - kSide) / 2.0;
    cv::Mat out;
    for (auto _ : state) {
        cv::warpAffine(s.mat, out, rot, cv::Size(side, side), cv::INTER_LINEAR,
                       cv::BORDER_CONSTANT, cv::Scalar(255, 255, 255, 0));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kSide * kSide);
    cv::setNumThreads(was);
}

void bmHalveLayer(benchmark::State &state)
{
    setWorkThreads(1);
    Source &s = source();
    for (auto _ : state) {
        auto out = makeZoomedLayer2({kSide / 2, kSide / 2}, *s.layer, kSide / 2, kSide / 2);
        if (!out)
            state.SkipWithError("halving failed");
        benchmark::DoNotOptimize(out.get());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kSide * kSide);
}

void bmOpenCvArea(benchmark::State &state)
{
    const int was = cv::getNumThreads();
    cv::setNumThreads(1);
    Source &s = source();
    cv::Mat out;
    for (auto _ : state) {
        cv::resize(s.mat, out, cv::Size(kSide / 2, kSide / 2), 0, 0, cv::INTER_AREA);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kSide * kSide);
    cv::setNumThreads(was);
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::RegisterBenchmark("rotate-layer/4096-at-30", bmRotateLayer)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("opencv-warpaffine/4096-at-30", bmOpenCvWarp)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("halve-layer-hq2/4096", bmHalveLayer)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("opencv-area/4096-to-2048", bmOpenCvArea)
        ->Unit(benchmark::kMillisecond);

    const std::map<std::string, double> seconds = runBenchmarks(argc, argv);
    const auto halve = seconds.find("halve-layer-hq2/4096");
    const auto area = seconds.find("opencv-area/4096-to-2048");
    const auto ours = seconds.find("rotate-layer/4096-at-30");
    const auto warp = seconds.find("opencv-warpaffine/4096-at-30");
    if (ours == seconds.end() || warp == seconds.end() || warp->second <= 0 ||
        halve == seconds.end() || area == seconds.end() || area->second <= 0)
        return 1;
    std::printf("halve layer hq2 vs opencv-area: %.2f\n", halve->second / area->second);
    std::printf("rotate layer vs opencv-warpaffine: %.2f\n", ours->second / warp->second);
    return 0;
}
