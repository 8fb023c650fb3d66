// Replaying a recording: 200 version-5 strokes of 100 points each (radius 8 and 32, normal method)
// recorded on a headless 1024 x 1024 one-layer document, then played from memory onto a second
// document as the event player plays a file; in the same run libmypaint draws the same points
// (same radius and spacing, one OpenMP thread). The last line gives the replay's radius-8 time
// over libmypaint's.
#include "document/events/event_file.h"
#include "document/events/event_manager.h"
#include "document/events/event_replay.h"
#include "document/paper/document_init.h"
#include "document/paper/flow_image.h"
#include "document/paper/headless.h"
#include "document/paper/headless_app.h"
#include "document/paper/headless_owner.h"
#include "document/paper/paper.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "document/view/composition.h"
#include "paint/brush/pen_records.h"

#include "bench_support.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include "mypaint_peer.h"

#include <mypaint-brush.h>
#include <mypaint-fixed-tiled-surface.h>
#include <omp.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 1024, kStrokes = 200, kPoints = 100;

struct Point
{
    float x, y, p;
};

// 200 wavy strokes across the paper, the same for every run.
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

// A headless document painting at level 5 with the application's brush.
struct Document
{
    explicit Document(CHeadlessPaperApp &app)
    {
        owner.client = {kSide, kSide};
        paper = TPaper::Create(&owner);
        if (!paper)
            std::abort();
        owner.attach(*paper);
        if (!setupHeadlessPaper(*paper, {kSide, kSide}, 0xFFFFFF, 1))
            std::abort();
        setCurrentDrawWindow(&owner);
        if (!startPaintModeQZ5(*paper))
            std::abort();
        UpdateVRAM(*paper, false, true);
        app.stroke.SetDrawLayer(paper->ActiveLayer());
    }
    ~Document()
    {
        setCurrentDrawWindow(nullptr);
        owner.detach();
    }
    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper;
};

void setBrush(CHeadlessPaperApp &app, float radius)
{
    app.stroke.SetDrawColor(0xFF1E3C78);
    SPenParam prm;
    initPenParam(prm, radius);
    app.render5.changePenParam(prm);
    SPenRenderAttr attr;
    initPenRenderAttr(attr);
    attr.renderType = kRenderTypeVersion5;
    app.render5.changeRenderAttr(attr, 7);
}

// The recorded stream of the strokes and its event count (strokes record with undo on, as the
// window draws them).
std::vector<uint8_t> record(CHeadlessPaperApp &app, const std::vector<std::vector<Point>> &all,
                            uint32_t &events, std::string *eventFile = nullptr)
{
    Document doc(app);
    TPaper &pa = *doc.paper;
    CEventMngr &ev = pa.eventMngr();
    if (!ev.startRecording(appMainStroke(), appMainToneMngrFor(&pa), 64, 64))
        std::abort();
    TFlowImage &flow = *doc.owner.flow();
    for (const auto &s : all) {
        if (!eventStrokeBegin5(pa, flow, app.stroke, s[0].x, s[0].y, s[0].p, true))
            std::abort();
        for (size_t i = 1; i < s.size(); ++i)
            eventStrokeAdd5(pa, flow, app.stroke, s[i].x, s[i].y, s[i].p, &doc.owner, true);
        sBox box;
        if (!eventStrokeEnd5(pa, flow, app.stroke, &doc.owner, box, true))
            std::abort();
    }
    std::vector<uint8_t> bytes(ev.topEventPos);
    ev.readDataEx(0, bytes.data(), ev.topEventPos);
    events = ev.eventCnt;
    if (eventFile) {
        // The event file of the strokes, written and opened under a progress window.
        QTemporaryDir dir;
        const QString path = dir.filePath("strokes.qe5");
        int saveSteps = 0, openSteps = 0;
        const double save = longestProgressGap(
            [&] { exportEventFile(path, pa, true, -1, -1, true); }, saveSteps);
        Document other(app);
        const double open = longestProgressGap(
            [&] { loadEventFile(path, *other.paper); }, openSteps);
        eventFile->assign(QString("event file of %1 events (%2 bytes): save %3 steps, longest gap "
                                  "%4 s; open %5 steps, longest gap %6 s")
                              .arg(events)
                              .arg(QFileInfo(path).size())
                              .arg(saveSteps)
                              .arg(save, 0, 'f', 2)
                              .arg(openSteps)
                              .arg(open, 0, 'f', 2)
                              .toStdString());
    }
    return bytes;
}

void bmReplay(benchmark::State &state, float radius)
{
    CHeadlessPaperApp app;
    setBrush(app, radius);
    const auto all = strokes();
    uint32_t events = 0;
    const std::vector<uint8_t> bytes = record(app, all, events);
    Document doc(app);
    CEventMngr &ev = doc.paper->eventMngr();
    for (auto _ : state) {
        if (!ev.restart() || ev.writeDataEx(bytes.data(), uint32_t(bytes.size())) != bytes.size())
            std::abort();
        ev.setupPlayPos(uint32_t(bytes.size()), events);
        doc.owner.eventPlaying = true;
        if (ev.beginPlaying(false) != eEvStartStat::ersOK)
            std::abort();
        int steps = 0;
        while (ev.playTopPos < ev.topEventPos || ev.evEnbStat.has(enbPlayStroke)) {
            const eEvPlayStat r = ev.playEventSingle();
            if (r == eEvPlayStat::epsEnd)
                break;
            if (r != eEvPlayStat::epsContinue) {
                std::fprintf(stderr, "step %d: %s\n", steps, qPrintable(ev.playError));
                state.SkipWithError("a replay step failed");
                break;
            }
            ++steps;
        }
        doc.owner.eventPlaying = false;
        if (steps < kStrokes) {
            std::fprintf(stderr, "%zu bytes, %u events, %d steps\n", bytes.size(), events, steps);
            state.SkipWithError("the recording did not replay");
            break;
        }
        benchmark::ClobberMemory();
    }
}

void bmMyPaint(benchmark::State &state, float radius)
{
    omp_set_num_threads(1);
    MyPaintFixedTiledSurface *fixed = mypaint_fixed_tiled_surface_new(kSide, kSide);
    MyPaintSurface *surface = mypaint_fixed_tiled_surface_interface(fixed);
    MyPaintBrush *brush = newPeerBrush(radius);
    const auto all = strokes();
    for (auto _ : state) {
        for (const auto &s : all) {
            mypaint_brush_reset(brush);
            mypaint_brush_new_stroke(brush);
            mypaint_surface_begin_atomic(surface);
            for (const Point &pt : s)
                mypaint_brush_stroke_to(brush, surface, pt.x, pt.y, pt.p, 0, 0, 0.005);
            mypaint_brush_stroke_to(brush, surface, s.back().x, s.back().y, 0, 0, 0, 0.005);
            MyPaintRectangle roi;
            mypaint_surface_end_atomic(surface, &roi);
        }
        benchmark::ClobberMemory();
    }
    mypaint_brush_unref(brush);
    mypaint_surface_unref(surface);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication qapp(argc, argv);
    initialiseDocument();
    initialiseEventReplay();
    auto reg = [](const char *name, auto fn, float r) {
        benchmark::RegisterBenchmark(name, fn, r)->Unit(benchmark::kMillisecond);
    };
    reg("replay/r8", bmReplay, 8.0f);
    reg("replay/r32", bmReplay, 32.0f);
    reg("libmypaint/r8", bmMyPaint, 8.0f);
    reg("libmypaint/r32", bmMyPaint, 32.0f);
    auto t = runBenchmarks(argc, argv);
    for (const char *n : {"replay/r8", "replay/r32", "libmypaint/r8", "libmypaint/r32"})
        if (t.find(n) == t.end() || t[n] <= 0)
            return 1;
    {
        // The progress window of the event file's save and open must move at least once a
        // second.
        CHeadlessPaperApp app;
        setBrush(app, 32.0f);
        uint32_t events = 0;
        std::string line;
        record(app, strokes(), events, &line);
        std::printf("progress: %s\n", line.c_str());
    }
    std::printf("replay r32 vs libmypaint: %.2f\n", t["replay/r32"] / t["libmypaint/r32"]);
    std::printf("replay vs libmypaint: %.2f\n", t["replay/r8"] / t["libmypaint/r8"]);
    return 0;
}
