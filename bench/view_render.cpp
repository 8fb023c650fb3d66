// One step of the document window's view: a 4000 x 3000 document of 20 layers in a 1600 x 1000
// window with smooth zoom, scrolled by (8, 6) and painted at once (the rotation image rebuilt
// where the view needs it), at 1:1, 1:2 and 2:1, each upright and turned 30 degrees. In the same
// run: QPainter drawing the same composite into a 1600 x 1000 image under the same transform
// (smooth, over a grey fill). The last line is the geometric mean of ours over QPainter's.
#include "core/image/canvas.h"
#include "core/profile/app_profile.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/document_init.h"
#include "document/paper/headless.h"
#include "document/paper/headless_app.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/view/composition.h"
#include "windows/docwin/draw_window.h"
#include "windows/render_settings.h"

#include "bench_layers.h"
#include "bench_support.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t kW = 4000, kH = 3000, kLayers = 20;
constexpr int32_t kClientW = 1600, kClientH = 1000;

struct ViewCase
{
    const char *zoomName;
    int32_t num, den;
    float deg;
};

const ViewCase kCases[] = {
    {"1:1", 1, 1, 0}, {"1:1", 1, 1, 30}, {"1:2", 1, 2, 0},
    {"1:2", 1, 2, 30}, {"2:1", 2, 1, 0}, {"2:1", 2, 1, 30},
};

std::string caseName(const char *who, const ViewCase &c)
{
    return std::string(who) + "/" + c.zoomName + "/" + std::to_string(int(c.deg));
}

// The document and its window, made once.
struct Scene
{
    Scene()
    {
        initialiseDocument();
        gAppProfile->useZoomAntialias = true;
        initialiseWindows();
        window = TDrawWindow::Create();
        TPaper &p = *window->paper;
        if (!setupHeadlessPaper(p, {kW, kH}, 0xFFFFFF, kLayers))
            std::abort();
        paintBenchLayers(p, kW, kH, kLayers, {0x2468ACE1, 1, 97, 64});
        for (int32_t i = 0; i < kLayers; ++i)
            p.getLayerData(i)->trans = uint8_t(255 - (i % 4) * 40);
        UpdateVRAM(p, true, true);
        window->FormResize({kClientW, kClientH});
        const TMTC &vram = p.vram();
        if (vram.width() < kW || vram.height() < kH) {
            std::fprintf(stderr, "no display image of %d x %d\n", kW, kH);
            std::abort();
        }
        // The display image may run bottom-up: imageView presents it upright.
        composite = vram.imageView().copy(0, 0, kW, kH).convertToFormat(QImage::Format_RGB32);
        peerTarget = QImage(kClientW, kClientH, QImage::Format_RGB32);
    }

    void setView(const ViewCase &c)
    {
        window->changeZoom(c.num, c.den, false);
        if (c.deg != 0)
            window->dispatchRotate(c.deg, true);
        else if (window->paper->m_degree != 0)
            window->dispatchRotate(0, false);
    }

    CHeadlessPaperApp hooks;
    std::unique_ptr<TDrawWindow> window;
    QImage composite;
    QImage peerTarget;
};

Scene *gScene = nullptr;

void bmOurs(benchmark::State &state, ViewCase c)
{
    gScene->setView(c);
    int32_t sign = 1;
    for (auto _ : state) {
        gScene->window->scrollViewBy(8 * sign, 6 * sign);
        sign = -sign;
        benchmark::DoNotOptimize(gScene->window->viewSurface()->seek32(0, 0));
    }
}

void bmQPainter(benchmark::State &state, ViewCase c)
{
    const float s = float(c.num) / float(c.den);
    float cx = kW / 2.0f, cy = kH / 2.0f;
    int32_t sign = 1;
    for (auto _ : state) {
        cx -= 8.0f * float(sign) / s;
        cy -= 6.0f * float(sign) / s;
        sign = -sign;
        QPainter p(&gScene->peerTarget);
        p.fillRect(gScene->peerTarget.rect(), QColor(0xCC, 0xCC, 0xCC));
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.translate(kClientW / 2.0, kClientH / 2.0);
        p.rotate(double(c.deg));
        p.scale(double(s), double(s));
        p.translate(-double(cx), -double(cy));
        p.drawImage(0, 0, gScene->composite);
        p.end();
        benchmark::DoNotOptimize(gScene->peerTarget.constBits());
    }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    Scene scene;
    gScene = &scene;
    for (const ViewCase &c : kCases) {
        benchmark::RegisterBenchmark(caseName("ours", c).c_str(), bmOurs, c)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(caseName("qpainter", c).c_str(), bmQPainter, c)
            ->Unit(benchmark::kMillisecond);
    }
    std::map<std::string, double> t = runBenchmarks(argc, argv);
    double logSum = 0;
    int n = 0;
    for (const ViewCase &c : kCases) {
        const double ours = t[caseName("ours", c)], peer = t[caseName("qpainter", c)];
        if (ours <= 0 || peer <= 0)
            continue;
        std::printf("%s at %d degrees: ours %.2f ms, qpainter %.2f ms, ratio %.2f\n", c.zoomName,
                    int(c.deg), ours, peer, ours / peer);
        logSum += std::log(ours / peer);
        ++n;
    }
    if (n == 0)
        return 1;
    std::printf("view render vs qpainter: %.2f\n", std::exp(logSum / n));
    return 0;
}
