// A 4096 x 4096 layer turned by 30 degrees (makeRotatedLayer, bilinear in 16.16) against OpenCV's
// cv::warpAffine with INTER_LINEAR on the same pixels, and the layer halved by the alpha-weighted
// area average (makeZoomedLayer2) against cv::resize with INTER_AREA; both sides on one thread,
// then both on all threads. The halved pictures are compared and their largest channel difference
// printed (ours weights colours by alpha, OpenCV's does not: they differ where alpha changes). The
// last line gives the time of the layer rotation over OpenCV's warp, one thread each.
#include "core/tiles/block_layer_image.h"
#include "core/tiles/work_threads.h"
#include "document/edit/layer_geometry.h"
#include "document/paper/document_init.h"
#include "document/paper/layer_data.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <utility>

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

// Both sides' thread count for a run (0: all).
struct Threads
{
    explicit Threads(int64_t n) : was(cv::getNumThreads())
    {
        setWorkThreads(int(n));
        cv::setNumThreads(workThreads());
    }
    ~Threads()
    {
        setWorkThreads(0);
        cv::setNumThreads(was);
    }
    int was;
};

void bmRotateLayer(benchmark::State &state)
{
    const Threads threads(state.range(0));
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
    const Threads threads(state.range(0));
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
}

void bmHalveLayer(benchmark::State &state)
{
    const Threads threads(state.range(0));
    Source &s = source();
    for (auto _ : state) {
        auto out = makeZoomedLayer2({kSide / 2, kSide / 2}, *s.layer, kSide / 2, kSide / 2);
        if (!out)
            state.SkipWithError("halving failed");
        benchmark::DoNotOptimize(out.get());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kSide * kSide);
}

// The scaler's walk the exact halving replaced (one thread: it has no threaded form).
void bmHalveLayerWalk(benchmark::State &state)
{
    Source &s = source();
    for (auto _ : state) {
        auto out = makeZoomedLayerByWalk({kSide / 2, kSide / 2}, *s.layer, kSide / 2, kSide / 2,
                                         true);
        if (!out)
            state.SkipWithError("halving failed");
        benchmark::DoNotOptimize(out.get());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kSide * kSide);
}

void bmOpenCvArea(benchmark::State &state)
{
    const Threads threads(state.range(0));
    Source &s = source();
    cv::Mat out;
    for (auto _ : state) {
        cv::resize(s.mat, out, cv::Size(kSide / 2, kSide / 2), 0, 0, cv::INTER_AREA);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kSide * kSide);
}

// The largest difference of one channel between our halved layer and OpenCV's.
int halvedDifference()
{
    Source &s = source();
    auto ours = makeZoomedLayer2({kSide / 2, kSide / 2}, *s.layer, kSide / 2, kSide / 2);
    cv::Mat theirs;
    cv::resize(s.mat, theirs, cv::Size(kSide / 2, kSide / 2), 0, 0, cv::INTER_AREA);
    if (!ours)
        return -1;
    int most = 0;
    for (int y = 0; y < kSide / 2; ++y) {
        const uint8_t *row = theirs.ptr<uint8_t>(y);
        for (int x = 0; x < kSide / 2; ++x) {
            const sBGRA p{.all = ours->imageTC->getColor(x, y)};
            const uint8_t mine[4] = {p.B, p.G, p.R, p.A};
            for (int c = 0; c < 4; ++c)
                most = std::max(most, std::abs(int(mine[c]) - int(row[4 * x + c])));
        }
    }
    return most;
}

// The largest difference of one channel between our turned layer and OpenCV's warp, over the
// disc about the paper's centre whose source lies wholly inside the layer (the edges differ by
// design: ours reads the layer's outside colour there), and the share of channels that differ by
// more than 1. Ours turns with the rule's fixed point, whose sine and cosine keep 8 fractional bits
// (a product of (value >> 8) and (factor >> 8)): away from the centre its positions drift from the
// exact turn by up to a few pixels, so over noisy pixels most channels differ.
std::pair<int, double> rotatedDifference()
{
    Source &s = source();
    auto ours = makeRotatedLayer({kSide, kSide}, *s.layer, kDegrees);
    if (!ours)
        return {-1, 0};
    const int side = int(std::ceil(kSide * (std::cos(M_PI / 6) + std::sin(M_PI / 6))));
    // OpenCV puts pixel centres on whole coordinates, ours half a pixel in: the paper's centre is
    // OpenCV's (kSide / 2 - 0.5) on both axes.
    const float c = kSide / 2.0f - 0.5f;
    cv::Mat rot = cv::getRotationMatrix2D(cv::Point2f(c, c), -kDegrees, 1.0);
    const int off = (side - kSide) / 2;
    rot.at<double>(0, 2) += (side - kSide) / 2.0;
    rot.at<double>(1, 2) += (side - kSide) / 2.0;
    cv::Mat theirs;
    cv::warpAffine(s.mat, theirs, rot, cv::Size(side, side), cv::INTER_LINEAR,
                   cv::BORDER_CONSTANT, cv::Scalar(255, 255, 255, 0));
    const int64_t r = kSide / 2 - 4;
    int most = 0;
    int64_t over1 = 0, all = 0;
    for (int y = 0; y < kSide; ++y) {
        const uint8_t *row = theirs.ptr<uint8_t>(y + off);
        for (int x = 0; x < kSide; ++x) {
            const int64_t dx = x - kSide / 2, dy = y - kSide / 2;
            if (dx * dx + dy * dy > r * r)
                continue;
            const sBGRA p{.all = ours->imageTC->getColor2(x + ours->viewPos.x, y + ours->viewPos.y)};
            const uint8_t mine[4] = {p.B, p.G, p.R, p.A};
            for (int c = 0; c < 4; ++c) {
                const int d = std::abs(int(mine[c]) - int(row[4 * (x + off) + c]));
                most = std::max(most, d);
                over1 += d > 1;
                ++all;
            }
        }
    }
    return {most, all ? 100.0 * double(over1) / double(all) : 0.0};
}

} // namespace

int main(int argc, char **argv)
{
    const int all = workThreads();
    const std::pair<const char *, void (*)(benchmark::State &)> runs[] = {
        {"rotate-layer/4096-at-30", bmRotateLayer},
        {"opencv-warpaffine/4096-at-30", bmOpenCvWarp},
        {"halve-layer-hq2/4096", bmHalveLayer},
        {"opencv-area/4096-to-2048", bmOpenCvArea}};
    for (const auto &[name, fn] : runs)
        benchmark::RegisterBenchmark(name, fn)->Arg(1)->Arg(all)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("halve-layer-hq2-walk/4096", bmHalveLayerWalk)
        ->Unit(benchmark::kMillisecond);
    std::map<std::string, double> t = runBenchmarks(argc, argv);
    const std::string one = "/1", many = "/" + std::to_string(all);
    for (const auto &[name, fn] : runs)
        if (t[name + one] <= 0 || t[name + many] <= 0)
            return 1;
    std::printf("(all = %d threads)\n", all);
    std::printf("halved pictures, largest channel difference from opencv-area: %d\n",
                halvedDifference());
    const auto [rotMost, rotShare] = rotatedDifference();
    std::printf("turned pictures inside the turned square, largest channel difference from "
                "opencv-warpaffine: %d (channels differing by more than 1: %.3f%%)\n",
                rotMost, rotShare);
    std::printf("halve layer hq2, the scaler's walk it replaced vs opencv-area, 1 thread each: "
                "%.2f\n",
                t["halve-layer-hq2-walk/4096"] / t["opencv-area/4096-to-2048" + one]);
    for (const std::string &n : {many, one}) {
        const char *what = n == one ? "1 thread each" : "all threads each";
        std::printf("halve layer hq2 vs opencv-area, %s: %.2f\n", what,
                    t["halve-layer-hq2/4096" + n] / t["opencv-area/4096-to-2048" + n]);
    }
    std::printf("rotate layer vs opencv-warpaffine, all threads each: %.2f\n",
                t["rotate-layer/4096-at-30" + many] / t["opencv-warpaffine/4096-at-30" + many]);
    std::printf("rotate layer vs opencv-warpaffine, 1 thread each: %.2f\n",
                t["rotate-layer/4096-at-30" + one] / t["opencv-warpaffine/4096-at-30" + one]);
    return 0;
}
