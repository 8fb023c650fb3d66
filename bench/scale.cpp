// The area-average scaler reducing a 4096 x 4096 canvas to 1000 x 1000 (CScaleImageTMTC, plain
// and alpha-weighted), and in the same run OpenCV's cv::resize with INTER_AREA on the same pixels.
// The line before the last gives the largest channel difference between the two results; the last
// the time of the plain scale over OpenCV's.
#include "core/image/canvas.h"
#include "core/scale/scale_image.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgproc.hpp>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kSrcSide = 4096;
constexpr int kDstSide = 1000;

struct Images
{
    TMTC src{kSrcSide, kSrcSide};
    TMTC dst{kDstSide, kDstSide};
    cv::Mat cvDst;

    Images()
    {
        // Smooth gradients with noise: neither uniform (which any scaler does well) nor random.
        std::mt19937 rng(7);
        for (int y = 0; y < kSrcSide; ++y)
            for (int x = 0; x < kSrcSide; ++x) {
                sBGRA *p = src.seek32(x, y);
                const uint32_t n = rng() & 15;
                p->B = uint8_t((x >> 4) + n), p->G = uint8_t((y >> 4) + n);
                p->R = uint8_t(((x + y) >> 5) + n), p->A = uint8_t(255 - (x >> 5));
            }
    }
    cv::Mat srcMat() const { return cv::Mat(kSrcSide, kSrcSide, CV_8UC4, src.buffer()); }
};

Images &images()
{
    static Images im;
    return im;
}

void bmScale(benchmark::State &state)
{
    Images &im = images();
    CScaleImageTMTC scaler(&im.src, &im.dst);
    for (auto _ : state) {
        if (!scaler.scale({0, 0, kSrcSide, kSrcSide}, {0, 0, kDstSide, kDstSide}))
            state.SkipWithError("scale failed");
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kSrcSide * kSrcSide);
}

void bmScale2(benchmark::State &state)
{
    Images &im = images();
    TMTC dst(kDstSide, kDstSide);
    CScaleImageTMTC scaler(&im.src, &dst);
    for (auto _ : state) {
        if (!scaler.scale2({0, 0, kSrcSide, kSrcSide}, {0, 0, kDstSide, kDstSide}))
            state.SkipWithError("scale2 failed");
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kSrcSide * kSrcSide);
}

void bmOpenCvArea(benchmark::State &state)
{
    Images &im = images();
    const cv::Mat src = im.srcMat();
    for (auto _ : state) {
        cv::resize(src, im.cvDst, cv::Size(kDstSide, kDstSide), 0, 0, cv::INTER_AREA);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kSrcSide * kSrcSide);
}

int largestDifference(const TMTC &ours, const cv::Mat &theirs)
{
    if (theirs.rows != kDstSide || theirs.cols != kDstSide)
        return 256;
    int worst = 0;
    for (int y = 0; y < kDstSide; ++y) {
        const uint8_t *a = reinterpret_cast<const uint8_t *>(ours.seek32(0, y));
        const uint8_t *b = theirs.ptr<uint8_t>(y);
        for (int i = 0; i < kDstSide * 4; ++i)
            worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
    }
    return worst;
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::RegisterBenchmark("scale/4096-to-1000", bmScale)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("scale2/4096-to-1000", bmScale2)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("opencv-area/4096-to-1000", bmOpenCvArea)
        ->Unit(benchmark::kMillisecond);

    const std::map<std::string, double> seconds = runBenchmarks(argc, argv);

    const auto ours = seconds.find("scale/4096-to-1000");
    const auto opencv = seconds.find("opencv-area/4096-to-1000");
    if (ours == seconds.end() || opencv == seconds.end() || opencv->second <= 0)
        return 1;
    std::printf("largest channel difference vs opencv-area: %d\n",
                largestDifference(images().dst, images().cvDst));
    std::printf("scale vs opencv-area: %.2f\n", ours->second / opencv->second);
    return 0;
}
