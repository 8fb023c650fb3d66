// Growing and shrinking a 4096 x 4096 soft selection by an octagon of radius 8 and 32, and in the
// same run OpenCV's cv::dilate / cv::erode with the same octagon on the same bytes (one thread,
// zero outside the image), which also checks that both give the same bytes and prints their largest
// difference. Both sides run on one thread (the grow has no threaded form). The row-window walk
// the separable passes replaced runs in the same program for comparison.
#include "bench_support.h"
#include "document/selection/selection_grow.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr int32_t kSide = 4096;

const std::vector<uint8_t> &softMask()
{
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b(size_t(kSide) * kSide, 0);
        std::mt19937 rng(7);
        // Soft blobs over an empty field, as selections are.
        for (int i = 0; i < 400; ++i) {
            const int32_t cx = int32_t(rng() % kSide), cy = int32_t(rng() % kSide);
            const int32_t r = 20 + int32_t(rng() % 120);
            for (int32_t y = std::max(0, cy - r); y < std::min(kSide, cy + r); ++y)
                for (int32_t x = std::max(0, cx - r); x < std::min(kSide, cx + r); ++x) {
                    const int32_t d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                    if (d2 < r * r)
                        b[size_t(y) * kSide + size_t(x)] =
                            uint8_t(std::max<int32_t>(b[size_t(y) * kSide + size_t(x)],
                                                      255 - 255 * d2 / (r * r)));
                }
        }
        return b;
    }();
    return bytes;
}

cv::Mat octagonKernel(int32_t n)
{
    cv::Mat k = cv::Mat::zeros(2 * n + 1, 2 * n + 1, CV_8U);
    for (int32_t d = -n; d <= n; ++d)
        for (int32_t e = -octagonReach(n, d); e <= octagonReach(n, d); ++e)
            k.at<uint8_t>(e + n, d + n) = 1;
    return k;
}

void ours(benchmark::State &state, bool grow)
{
    const int32_t n = int32_t(state.range(0));
    std::vector<uint8_t> out(softMask().size());
    for (auto _ : state)
        octagonExtreme(softMask(), kSide, kSide, n, grow, out);
    benchmark::DoNotOptimize(out.data());
}

void opencv(benchmark::State &state, bool grow)
{
    const int32_t n = int32_t(state.range(0));
    const int was = cv::getNumThreads();
    cv::setNumThreads(1);
    const cv::Mat src(kSide, kSide, CV_8U, const_cast<uint8_t *>(softMask().data()));
    const cv::Mat k = octagonKernel(n);
    cv::Mat dst;
    for (auto _ : state) {
        if (grow)
            cv::dilate(src, dst, k, {-1, -1}, 1, cv::BORDER_CONSTANT, cv::Scalar(0));
        else
            cv::erode(src, dst, k, {-1, -1}, 1, cv::BORDER_CONSTANT, cv::Scalar(0));
    }
    cv::setNumThreads(was);
}

// The row-window walk the separable passes replaced, kept in the run as the figure to beat.
void walk(benchmark::State &state, bool grow)
{
    const int32_t n = int32_t(state.range(0));
    std::vector<uint8_t> out(softMask().size());
    for (auto _ : state)
        octagonExtremeByRowWindow(softMask(), kSide, kSide, n, grow, out);
    benchmark::DoNotOptimize(out.data());
}

void BM_grow(benchmark::State &s) { ours(s, true); }
void BM_grow_row_window(benchmark::State &s) { walk(s, true); }
void BM_shrink_row_window(benchmark::State &s) { walk(s, false); }
void BM_shrink(benchmark::State &s) { ours(s, false); }
void BM_opencv_dilate(benchmark::State &s) { opencv(s, true); }
void BM_opencv_erode(benchmark::State &s) { opencv(s, false); }

BENCHMARK(BM_grow)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_shrink)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_grow_row_window)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_shrink_row_window)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_opencv_dilate)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_opencv_erode)->Arg(8)->Arg(32)->Unit(benchmark::kMillisecond);

// The largest difference between both sides' bytes for radius n.
int differenceFromOpencv(int32_t n, bool grow)
{
    std::vector<uint8_t> out(softMask().size());
    octagonExtreme(softMask(), kSide, kSide, n, grow, out);
    const cv::Mat src(kSide, kSide, CV_8U, const_cast<uint8_t *>(softMask().data()));
    cv::Mat dst;
    if (grow)
        cv::dilate(src, dst, octagonKernel(n), {-1, -1}, 1, cv::BORDER_CONSTANT, cv::Scalar(0));
    else
        cv::erode(src, dst, octagonKernel(n), {-1, -1}, 1, cv::BORDER_CONSTANT, cv::Scalar(0));
    int most = 0;
    for (size_t i = 0; i < out.size(); ++i)
        most = std::max(most, std::abs(int(out[i]) - int(dst.data[i])));
    return most;
}

} // namespace

int main(int argc, char **argv)
{
    const auto t = runBenchmarks(argc, argv);
    auto ratio = [&](const char *a, const char *b) {
        const auto x = t.find(a), y = t.find(b);
        return x == t.end() || y == t.end() ? 0.0 : x->second / y->second;
    };
    std::printf("largest difference from opencv, r32: grow %d, shrink %d\n",
                differenceFromOpencv(32, true), differenceFromOpencv(32, false));
    std::printf("grow r32, the row-window walk it replaced vs opencv-dilate, 1 thread each: %.2f\n",
                ratio("BM_grow_row_window/32", "BM_opencv_dilate/32"));
    std::printf("shrink r32 vs opencv-erode, 1 thread each: %.2f\n",
                ratio("BM_shrink/32", "BM_opencv_erode/32"));
    std::printf("grow r32 vs opencv-dilate, 1 thread each: %.2f\n",
                ratio("BM_grow/32", "BM_opencv_dilate/32"));
    return 0;
}
