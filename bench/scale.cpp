// The area-average scaler reducing a 4096 x 4096 canvas to 1000 x 1000 (CScaleImageTMTC, plain
// and alpha-weighted), and in the same run OpenCV's cv::resize with INTER_AREA on the same pixels,
// each on one thread and on all ("/all-threads"). The line before the last gives the largest
// channel difference between the two results; the last the time of the plain scale over
// OpenCV's, all threads against all threads (the line before, one against one).
#include "core/image/canvas.h"
#include "core/scale/scale_image.h"
#include "core/tiles/work_threads.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>
#include <opencv2/imgproc.hpp>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <utility>
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

// threads: 1, or 0 for every core (the work threads of core/tiles/work_threads.h; OpenCV's own).
void bmScale(benchmark::State &state, int threads)
{
    setWorkThreads(threads);
    Images &im = images();
    CScaleImageTMTC scaler(&im.src, &im.dst);
    for (auto _ : state) {
        if (!scaler.scale({0, 0, kSrcSide, kSrcSide}, {0, 0, kDstSide, kDstSide}))
            state.SkipWithError("scale failed");
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kSrcSide * kSrcSide);
}

void bmScale2(benchmark::State &state, int threads)
{
    setWorkThreads(threads);
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

void bmOpenCvArea(benchmark::State &state, int threads)
{
    const int was = cv::getNumThreads();
    cv::setNumThreads(threads == 1 ? 1 : -1);
    Images &im = images();
    const cv::Mat src = im.srcMat();
    for (auto _ : state) {
        cv::resize(src, im.cvDst, cv::Size(kDstSide, kDstSide), 0, 0, cv::INTER_AREA);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kSrcSide * kSrcSide);
    cv::setNumThreads(was);
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
    for (const auto &[suffix, threads] : {std::pair{"", 1}, std::pair{"/all-threads", 0}}) {
        const std::string s = suffix;
        benchmark::RegisterBenchmark(("scale/4096-to-1000" + s).c_str(), bmScale, threads)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("scale2/4096-to-1000" + s).c_str(), bmScale2, threads)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("opencv-area/4096-to-1000" + s).c_str(), bmOpenCvArea,
                                     threads)
            ->Unit(benchmark::kMillisecond);
    }

    const std::map<std::string, double> seconds = runBenchmarks(argc, argv);

    const auto ours1 = seconds.find("scale/4096-to-1000");
    const auto opencv1 = seconds.find("opencv-area/4096-to-1000");
    const auto ours = seconds.find("scale/4096-to-1000/all-threads");
    const auto opencv = seconds.find("opencv-area/4096-to-1000/all-threads");
    if (ours == seconds.end() || opencv == seconds.end() || opencv->second <= 0 ||
        ours1 == seconds.end() || opencv1 == seconds.end() || opencv1->second <= 0)
        return 1;
    std::printf("on one thread: scale vs opencv-area %.2f\n", ours1->second / opencv1->second);
    std::printf("largest channel difference vs opencv-area: %d\n",
                largestDifference(images().dst, images().cvDst));
    std::printf("scale vs opencv-area: %.2f\n", ours->second / opencv->second);
    return 0;
}
