// The interface's memory graphic on a 512 x 512 picture: BlendImage of a translucent picture and a
// translucent FillRectangle, both through blendNormal, against QPainter's source-over drawing the
// same pixels. The last line compares BlendImage with QPainter's drawImage.
#include "ui/graphics/colour32.h"
#include "ui/graphics/memory_graphic.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <cstdio>
#include <random>

namespace {

constexpr int kSide = 512;

struct Pictures
{
    TMemoryGraphic dst, src;
    QImage qdst, qsrc;

    Pictures() : qdst(kSide, kSide, QImage::Format_ARGB32_Premultiplied),
                 qsrc(kSide, kSide, QImage::Format_ARGB32)
    {
        dst.SetSize(kSide, kSide);
        src.SetSize(kSide, kSide);
        std::mt19937 rng(1);
        for (int y = 0; y < kSide; ++y) {
            TColor32 *d = dst.GetScanLine(y), *s = src.GetScanLine(y);
            auto *qd = reinterpret_cast<uint32_t *>(qdst.scanLine(y));
            auto *qs = reinterpret_cast<uint32_t *>(qsrc.scanLine(y));
            for (int x = 0; x < kSide; ++x) {
                const uint32_t under = uint32_t(rng()) | 0xFF000000u, over = uint32_t(rng());
                d[x].bgra = under;
                s[x].bgra = over;
                qd[x] = under;
                qs[x] = over;
            }
        }
        // QPainter draws from premultiplied pixels; converting once keeps that out of the loop.
        qsrc = qsrc.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
};

Pictures &pictures()
{
    static Pictures p;
    return p;
}

void bmBlendImage(benchmark::State &state)
{
    Pictures &p = pictures();
    for (auto _ : state) {
        p.dst.BlendImage(0, 0, kSide, kSide, p.src, 0, 0, blendNormal, blendNormal);
        benchmark::DoNotOptimize(p.dst.GetScanLine(0));
    }
}

void bmFill(benchmark::State &state)
{
    Pictures &p = pictures();
    TColor32 c;
    c.bgra = 0x80336699u;
    for (auto _ : state) {
        p.dst.FillRectangle({0, 0, kSide, kSide}, c, blendNormal, blendNormal);
        benchmark::DoNotOptimize(p.dst.GetScanLine(0));
    }
}

void bmPainterImage(benchmark::State &state)
{
    Pictures &p = pictures();
    for (auto _ : state) {
        QPainter painter(&p.qdst);
        painter.drawImage(0, 0, p.qsrc);
        painter.end();
        benchmark::DoNotOptimize(p.qdst.constBits());
    }
}

void bmPainterFill(benchmark::State &state)
{
    Pictures &p = pictures();
    for (auto _ : state) {
        QPainter painter(&p.qdst);
        painter.fillRect(0, 0, kSide, kSide, QColor(0x66, 0x99, 0x33, 0x80));
        painter.end();
        benchmark::DoNotOptimize(p.qdst.constBits());
    }
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::RegisterBenchmark("BlendImage", bmBlendImage)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("FillRectangle", bmFill)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("QPainter/drawImage", bmPainterImage)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("QPainter/fillRect", bmPainterFill)->Unit(benchmark::kMicrosecond);
    std::map<std::string, double> t = runBenchmarks(argc, argv);
    for (const char *n : {"BlendImage", "FillRectangle", "QPainter/drawImage", "QPainter/fillRect"})
        if (t.find(n) == t.end() || t[n] <= 0)
            return 1;
    std::printf("FillRectangle vs QPainter: %.2f\n", t["FillRectangle"] / t["QPainter/fillRect"]);
    std::printf("BlendImage vs QPainter: %.2f\n", t["BlendImage"] / t["QPainter/drawImage"]);
    return 0;
}
