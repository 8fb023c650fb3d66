// The move tool's drags on a 4000 x 3000 document of 16 painted layers in a 1600 x 1000 window:
// one live step of a layer drag (the layers below come from the view cache, the dragged layer
// and those above are composed over them and the view painted at once), and one handle drag of
// a free transform of a 1500 x 1500 part of a layer (press on the corner, drag, release with the
// lifted pixels mapped). Each is timed over 60 steps. The last line sets the mean layer drag
// step against one frame at 60 Hz.
#include "core/image/canvas.h"
#include "core/profile/app_profile.h"
#include "core/profile/tool_kinds.h"
#include "document/edit/edit_ops.h"
#include "document/paper/document_init.h"
#include "document/paper/headless.h"
#include "document/paper/headless_app.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/selection/figure_fill_ops.h"
#include "document/transform/select_transform.h"
#include "document/transform/transform_driving.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "windows/docwin/draw_window.h"
#include "windows/render_settings.h"
#include "windows/shell_host.h"

#include "bench_layers.h"
#include "bench_support.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int32_t kW = 4000, kH = 3000, kLayers = 16;
constexpr int32_t kClientW = 1600, kClientH = 1000;
constexpr int32_t kSteps = 60;
constexpr int32_t kActive = 8;
constexpr int32_t kTransformSide = 1500;

// The document and its window, made once, the window bound to the headless tool window.
struct Scene
{
    Scene()
    {
        initialiseDocument();
        initialiseWindows();
        gAppProfile->undoMax = 10;
        window = TDrawWindow::Create();
        TPaper &p = *window->paper;
        if (!setupHeadlessPaper(p, {kW, kH}, 0xFFFFFF, kLayers))
            std::abort();
        paintBenchLayers(p, kW, kH, kLayers, {0x13579BDF, 2, 131, 80});
        UpdateVRAM(p, true, true);
        window->FormResize({kClientW, kClientH});
        window->changeZoom(1, 1, false);
        if (!setActiveLayer(p, window->flowImage.get(), kActive))
            std::abort();
        CHeadlessMainForm &main = headlessMainForm();
        main.active = window.get();
        main.tool.setWindow(window.get());
        window->FormActivate();
    }

    CHeadlessPaperApp hooks;
    std::unique_ptr<TDrawWindow> window;
};

Scene *gScene = nullptr;

void bmLayerDragStep(benchmark::State &state)
{
    TDrawWindow &w = *gScene->window;
    mainForm().toolForm().ChangeToolSubMode(TToolSubKind::tskLayerDragMove, true);
    const sPos from{kClientW / 2, kClientH / 2};
    w.FormMouseDown(TMouseButton::mbLeft, TShiftState::ssLeft, from.x, from.y);
    if (!w.vramCache.cached)
        state.SkipWithError("no view cache");
    int32_t i = 0;
    for (auto _ : state) {
        ++i;
        w.FormMouseMove(TShiftState::ssLeft, from.x + 3 * i, from.y + 2 * i);
        benchmark::DoNotOptimize(w.viewSurface()->seek32(0, 0));
    }
    // Back where it started: nothing is recorded.
    w.FormMouseUp(TMouseButton::mbLeft, TShiftState::ssLeft, from.x, from.y);
}

void bmTransformHandleDrag(benchmark::State &state)
{
    TDrawWindow &w = *gScene->window;
    TPaper &p = *w.paper;
    const int32_t x0 = (kW - kTransformSide) / 2, y0 = (kH - kTransformSide) / 2;
    if (!eventSelectRect(p, w.flowImage.get(), kActive, {float(x0), float(y0)},
                         {float(x0 + kTransformSide), float(y0 + kTransformSide)},
                         eMaskAddType::matNew, false) ||
        !doLayerTransform(p) || !p.FFreeTransformer) {
        state.SkipWithError("the transform could not start");
        return;
    }
    w.buildViewCache();
    TSelectTransform &t = *p.FFreeTransformer;
    int32_t sign = 1;
    for (auto _ : state) {
        // The bottom-right corner where the frame has it now, on the screen.
        const sFPos m = convToViewPos(p, t.getMarkerPoints(2));
        const sPos at{int32_t(m.x), int32_t(m.y)};
        doTransformDragStart(p, at);
        if (t.FMarkerTypeNow != 2) {
            state.SkipWithError("the corner handle was not hit");
            break;
        }
        const sPos to{at.x + 4 * sign, at.y + 3 * sign};
        doTransformDrag(p, to, to.x - at.x, to.y - at.y);
        doTransformDragEnd(p);
        sign = -sign;
    }
    doTransformEnd(p, false);
    w.releaseViewCache();
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    Scene scene;
    gScene = &scene;
    benchmark::RegisterBenchmark("layer drag step", bmLayerDragStep)
        ->Iterations(kSteps)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("transform handle drag", bmTransformHandleDrag)
        ->Iterations(kSteps)
        ->Unit(benchmark::kMillisecond);
    std::map<std::string, double> t = runBenchmarks(argc, argv);
    const double step = t["layer drag step/iterations:60"];
    if (step <= 0)
        return 1;
    std::printf("transform handle drag: %.2f ms\n", t["transform handle drag/iterations:60"]);
    std::printf("layer drag step vs 60 Hz frame: %.2f\n", step / (1000.0 / 60.0));
    return 0;
}
