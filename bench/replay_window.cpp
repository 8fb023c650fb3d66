// Replaying a recording through a document window: 200 version-5 strokes of 100 points (radius
// 8) drawn live on a headless 1024 x 1024 window whose document records them from its creation,
// exported as an event file, then the file opened in a fresh headless window and stepped to its
// end as the main window's timer steps it (unpaced). The last line gives the replay's time over
// the live drawing's.
#include "core/profile/app_profile.h"
#include "document/events/event_file.h"
#include "document/events/event_manager.h"
#include "document/events/event_replay.h"
#include "document/files/new_document.h"
#include "document/paper/document_init.h"
#include "document/paper/flow_image.h"
#include "document/paper/headless_app.h"
#include "document/paper/paper.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "paint/brush/pen_records.h"
#include "windows/docwin/draw_window.h"
#include "windows/render_settings.h"
#include "windows/shell_host.h"

#include "bench_support.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr int kSide = 1024, kStrokes = 200, kPoints = 100;

struct Point
{
    float x, y, p;
};

std::vector<std::vector<Point>> strokes()
{
    std::mt19937 rng(5);
    std::vector<std::vector<Point>> all(kStrokes);
    for (auto &s : all) {
        const float x0 = float(rng() % 900) + 60, y0 = float(rng() % 900) + 60;
        const float dx = float(int(rng() % 9) - 4), dy = float(int(rng() % 9) - 4);
        for (int i = 0; i < kPoints; ++i)
            s.push_back({x0 + dx * i, y0 + dy * i + 20 * std::sin(i * 0.2f),
                         0.5f + 0.5f * std::sin(float(i) / kPoints * 3.1415926f)});
    }
    return all;
}

void setBrush(CHeadlessPaperApp &app)
{
    app.stroke.SetDrawColor(0xFF1E3C78);
    SPenParam prm;
    initPenParam(prm, 8.0f);
    app.render5.changePenParam(prm);
    SPenRenderAttr attr;
    initPenRenderAttr(attr);
    attr.renderType = kRenderTypeVersion5;
    app.render5.changeRenderAttr(attr, 7);
}

// A window over a document made as the program makes one, recording from its creation.
std::unique_ptr<TDrawWindow> createdWindow()
{
    auto w = TDrawWindow::Create();
    if (!w)
        std::abort();
    setCurrentDrawWindow(w.get());
    TPaper &pa = *w->paper;
    if (!pa.eventMngr().startRecording(appMainStroke(), appMainToneMngrFor(&pa), 64, 64) ||
        !EventEditCreate(pa, QStringLiteral("bench"), w->flow(), kSide, kSide, 72, false, false) ||
        !startPaintModeQZ5(pa))
        std::abort();
    w->FormResize({kSide, kSide});
    return w;
}

// The strokes drawn live on the window's document, recording as the window draws them.
void drawLive(CHeadlessPaperApp &app, TDrawWindow &w, const std::vector<std::vector<Point>> &all)
{
    TPaper &pa = *w.paper;
    TFlowImage &flow = *w.flow();
    app.stroke.SetDrawLayer(pa.ActiveLayer());
    for (const auto &s : all) {
        if (!eventStrokeBegin5(pa, flow, app.stroke, s[0].x, s[0].y, s[0].p, true))
            std::abort();
        for (size_t i = 1; i < s.size(); ++i)
            eventStrokeAdd5(pa, flow, app.stroke, s[i].x, s[i].y, s[i].p, &w, true);
        sBox box;
        if (!eventStrokeEnd5(pa, flow, app.stroke, &w, box, true))
            std::abort();
    }
}

void bmLive(benchmark::State &state)
{
    CHeadlessPaperApp app;
    setBrush(app);
    const auto all = strokes();
    for (auto _ : state) {
        auto w = createdWindow();
        drawLive(app, *w, all);
        setCurrentDrawWindow(nullptr);
        benchmark::ClobberMemory();
    }
}

void bmWindowReplay(benchmark::State &state)
{
    CHeadlessPaperApp app;
    setBrush(app);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("strokes.qe5"));
    {
        auto w = createdWindow();
        drawLive(app, *w, strokes());
        if (!exportEventFile(file, *w->paper, true, -1, -1, true))
            std::abort();
        setCurrentDrawWindow(nullptr);
    }
    gAppProfile->eventWait = 0;
    for (auto _ : state) {
        auto w = TDrawWindow::Create();
        if (!w || !w->openQES(file)) {
            state.SkipWithError("the recording did not open");
            break;
        }
        int steps = 0;
        while (w->m_eventPlaying && steps < 10000000) {
            if (w->playEventQES() == eEvPlayStat::epsError) {
                state.SkipWithError("a replay step failed");
                break;
            }
            ++steps;
        }
        if (steps < kStrokes) {
            state.SkipWithError("the recording did not replay");
            break;
        }
        setCurrentDrawWindow(nullptr);
        benchmark::ClobberMemory();
    }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    initialiseDocument();
    initialiseEventReplay();
    initialiseWindows();
    resetRenderSettings();
    benchmark::RegisterBenchmark("window/live", bmLive)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("window/replay", bmWindowReplay)->Unit(benchmark::kMillisecond);
    auto t = runBenchmarks(argc, argv);
    for (const char *n : {"window/live", "window/replay"})
        if (t.find(n) == t.end() || t[n] <= 0)
            return 1;
    std::printf("window replay vs live: %.2f\n", t["window/replay"] / t["window/live"]);
    return 0;
}
