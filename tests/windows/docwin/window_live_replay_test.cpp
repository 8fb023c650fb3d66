// Live == replay at the document window: input scripts drawn on a recording window rebuild the
// same document when their recording is replayed into fresh windows; and the same gestures made
// by QTest on the window's widget record the same bytes as their script on a headless window.
#include "docwin_fixture.h"

#include "document/events/event_manager.h"
#include "paint/brush/pen_records.h"
#include "platform/desktop/keys.h"
#include "platform/tablet/wintab.h"
#include "support/window_live_replay.h"
#include "platform/desktop/window_message.h"
#include "windows/docwin/draw_window_widget.h"
#include "windows/docwin/input_script.h"
#include "windows/tablet/wintab32.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointingDevice>
#include <QStringList>
#include <QTabletEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr sSize kCanvas{240, 180};
constexpr sSize kClient{320, 240};

// The pencil every case draws with, and the profile switches the gestures need.
struct WindowLiveReplay : DocWinFixture
{
    WindowLiveReplay()
    {
        TStroke &st = app.stroke;
        st.SetDrawMode(TDrawMode::DM_PEN);
        st.SetDrawColor(0xFF203040u);
        st.SetPenWidth(6.0f);
        st.SetPenIfSize(true);
        st.SetPenIfTrans(true);
        SPenParam prm;
        initPenParam(prm, 3.0f);
        app.render4.changePenParam(prm);
        app.render5.changePenParam(prm);
        // The preferences' default undo depth (a profile never loaded has none).
        prof().undoMax = 100;
        prof().useAutoScroll = true;
        prof().DrawToolMode = true;
    }
    ~WindowLiveReplay() override
    {
        resetKeyState();
        resetWintab();
    }

    // A test tablet whose context's messages reach the active window.
    void withTablet()
    {
        SWintabTestSetup setup;
        setup.present = true;
        setWintabTestSetup(setup);
        main().tab = std::make_shared<TWinTab32>(true, 1);
        ASSERT_TRUE(tabletTarget.open());
    }

    LiveReplayApp app;
    CHeadlessTabletTarget tabletTarget;
};

bool start(TDrawWindow &w, uint32_t)
{
    return window_live_replay::plainStart(w, kCanvas, 2, kClient);
}

QString line(const char *format, auto... values)
{
    return QString::asprintf(format, values...) + u'\n';
}

// A mouse stroke of n points at random places of the client area (mods on every move).
QString mouseStroke(std::mt19937 &rng, int n, const char *mods = "")
{
    const auto x = [&] { return int(rng() % uint32_t(kClient.x)); };
    const auto y = [&] { return int(rng() % uint32_t(kClient.y)); };
    QString s = line("press L %d %d", x(), y());
    int px = 0, py = 0;
    for (int i = 0; i < n; ++i) {
        px = x();
        py = y();
        s += line("move %d %d %s", px, py, mods);
    }
    return s + line("release L %d %d", px, py);
}

struct ViewCase
{
    const char *name;
    const char *steps;
};

// Zooms the thinning of every level depends on, a turned view and a mirrored one.
const ViewCase kViews[] = {
    {"1:1", ""},
    {"1:4", "zoom 1:4\n"},
    {"1:2 mirrored", "zoom 1:2\nmirror\n"},
    {"2:1 turned", "zoom 2:1\nrotate 30\n"},
    {"4:1", "zoom 4:1\n"},
    {"8:1 turned and mirrored", "zoom 8:1\nrotate -75.5\nmirror\n"},
};

TEST_F(WindowLiveReplay, MouseStrokesAtEachLevelUnderZoomsRotationAndMirroring)
{
    for (const char *level : {"5", "4", "2"})
        for (const ViewCase &v : kViews)
            for (uint32_t seed = 1; seed <= uint32_t(liveReplayIterations(2)); ++seed) {
                SCOPED_TRACE(std::string("level ") + level + ", " + v.name);
                std::mt19937 rng(seed);
                QString script = line("level %s", level) + QString::fromUtf8(v.steps);
                for (int k = 0; k < 3; ++k)
                    script += mouseStroke(rng, 12 + int(rng() % 30));
                expectWindowLiveEqualsReplay(start, script, seed);
            }
}

// A pen stroke: proximity in, a pressure curve along a path with fractions, lifted.
QString penStroke(std::mt19937 &rng, int n, bool eraser)
{
    QString s;
    const double x0 = rng() % 200 + 20, y0 = rng() % 150 + 20;
    const double phase = double(rng() % 100) / 10.0;
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / double(n - 1);
        // Rises, wavers and falls, never reaching 0 before the lift.
        const double p = std::clamp(std::sin(t * 3.14159) * (0.7 + 0.3 * std::sin(t * 9 + phase)),
                                    0.02, 1.0);
        s += line("tablet %.3f %.3f %.4f%s", x0 + 90 * t + double(rng() % 64) / 64.0,
                  y0 + 40 * std::sin(t * 5 + phase) + double(rng() % 64) / 64.0, p,
                  eraser ? " eraser" : "");
    }
    return s + line("tablet %.3f %.3f 0", x0 + 90, y0);
}

TEST_F(WindowLiveReplay, TabletStrokesWithPressureCurvesAndProximityChanges)
{
    withTablet();
    for (const char *level : {"5", "4", "2"})
        for (uint32_t seed = 1; seed <= uint32_t(liveReplayIterations(3)); ++seed) {
            SCOPED_TRACE(std::string("level ") + level);
            std::mt19937 rng(seed);
            QString script = line("level %s", level) + QStringLiteral("zoom 2:1\nproximity in\n");
            script += penStroke(rng, 40, false);
            // The mouse is ignored while the pen is in range...
            script += mouseStroke(rng, 10);
            script += penStroke(rng, 25, seed % 2 == 0);
            // ...and draws again once it has left.
            script += QStringLiteral("proximity out\n") + mouseStroke(rng, 10);
            script += QStringLiteral("proximity in\n") + penStroke(rng, 30, false);
            expectWindowLiveEqualsReplay(start, script, seed);
        }
}

TEST_F(WindowLiveReplay, SpaceRefusesPencilPointsAndAPressWithSpaceDrawsNothing)
{
    for (uint32_t seed = 1; seed <= uint32_t(liveReplayIterations(3)); ++seed) {
        std::mt19937 rng(seed);
        QString script = mouseStroke(rng, 20);
        // Points with Space held mid-stroke are refused; the stroke goes on after them.
        script += QStringLiteral("press L 40 40\nmove 60 50\nmove 80 60 space\nmove 100 70 space\n"
                                 "move 120 80\nrelease L 120 80\n");
        // Space held from the press on: a view drag, not a stroke.
        script += QStringLiteral("key down Space\npress L 100 100\nmove 140 120\n"
                                 "release L 140 120\nkey up Space\n");
        script += mouseStroke(rng, 20);
        uint32_t events = 0;
        expectWindowLiveEqualsReplay(start, script, seed, &events);
        // The two random strokes and the one Space interrupted; the view drag drew nothing.
        EXPECT_EQ(events, 3u);
    }
}

TEST_F(WindowLiveReplay, AStrokePastThePointLimitEndsAndTheDragBeginsAnother)
{
    QString script = QStringLiteral("press L 60 50\n");
    // Past 60001 points the stroke ends and the next point begins a new one, all on the canvas.
    QStringList moves;
    for (int i = 0; i < 60050; ++i)
        moves << QStringLiteral("move %1 %2").arg(60 + (i / 200) % 150).arg(50 + i % 100);
    script += moves.join(u'\n') + QStringLiteral("\nrelease L 90 90\n");
    uint32_t events = 0;
    expectWindowLiveEqualsReplay(start, script, 1, &events);
    EXPECT_EQ(events, 2u);
}

TEST_F(WindowLiveReplay, AutoScrollDuringADragMovesTheStrokeWithTheView)
{
    for (const ViewCase &v : {kViews[0], kViews[3], kViews[2]})
        for (uint32_t seed = 1; seed <= uint32_t(liveReplayIterations(2)); ++seed) {
            SCOPED_TRACE(v.name);
            std::mt19937 rng(seed);
            QString script = QString::fromUtf8(v.steps) + QStringLiteral("press L 160 120\n");
            // Out beyond each edge by various amounts, ticking while out there.
            const int outs[][2] = {{-20, 120}, {160, -3}, {339, 120}, {160, 258}, {-40, -40}};
            for (const auto &o : outs) {
                script += line("move %d %d", o[0], o[1]);
                for (uint32_t t = 0; t < 1 + rng() % 3; ++t)
                    script += QStringLiteral("tick\n");
                script += line("move %d %d", int(rng() % 300) + 10, int(rng() % 220) + 10);
            }
            script += QStringLiteral("release L 100 100\ntick\n") + mouseStroke(rng, 10);
            expectWindowLiveEqualsReplay(start, script, seed);
        }
}

TEST_F(WindowLiveReplay, UndoAndRedoBetweenStrokes)
{
    for (uint32_t seed = 1; seed <= uint32_t(liveReplayIterations(3)); ++seed) {
        std::mt19937 rng(seed);
        const QString script = mouseStroke(rng, 15) + mouseStroke(rng, 15) +
                               QStringLiteral("undo\n") + mouseStroke(rng, 15) +
                               QStringLiteral("undo\nundo\nredo\n") + mouseStroke(rng, 15) +
                               QStringLiteral("undo\nredo\n");
        expectWindowLiveEqualsReplay(start, script, seed);
    }
}

// The canvas lies at client (40, 30) - (280, 210): a stroke in the margin above it changes no
// pixel. Undo must then take back the stroke that did.
TEST_F(WindowLiveReplay, UndoAfterAStrokeOffTheCanvasTakesBackTheStrokeOnIt)
{
    for (const char *level : {"5", "4", "2"}) {
        SCOPED_TRACE(std::string("level ") + level);
        std::mt19937 rng(7);
        const QString script = line("level %s", level) + mouseStroke(rng, 20) +
                               QStringLiteral("press L 4 4\nmove 30 10\nmove 300 12\n"
                                              "release L 300 12\nundo\n") +
                               mouseStroke(rng, 10) + QStringLiteral("undo\nredo\n");
        expectWindowLiveEqualsReplay(start, script, 1);
    }
}

TEST_F(WindowLiveReplay, DeleteClearsTheLayerOnceWhateverItsRepeats)
{
    for (uint32_t seed = 1; seed <= uint32_t(liveReplayIterations(2)); ++seed) {
        std::mt19937 rng(seed);
        const QString script = mouseStroke(rng, 20) + mouseStroke(rng, 20) +
                               QStringLiteral("key down Delete\nkey down Delete repeat\n"
                                              "key down Delete repeat\nkey up Delete\n") +
                               mouseStroke(rng, 20) + QStringLiteral("undo\nredo\n");
        uint32_t events = 0;
        expectWindowLiveEqualsReplay(start, script, seed, &events);
        // Three strokes and one clear.
        EXPECT_EQ(events, 4u);
    }
}

TEST_F(WindowLiveReplay, DeactivationMidStrokeEndsItWhereThePointerWas)
{
    for (uint32_t seed = 1; seed <= uint32_t(liveReplayIterations(3)); ++seed) {
        std::mt19937 rng(seed);
        QString script = QStringLiteral("press L 30 30\nmove 60 40\nmove 90 70\n"
                                        "deactivate\nmove 120 90\nrelease L 120 90\n"
                                        "activate\n");
        script += mouseStroke(rng, 20) + QStringLiteral("zoom 1:2\npress L 10 10\nmove 200 20\n"
                                                        "deactivate\nactivate\n");
        script += QStringLiteral("release L 200 20\n") + mouseStroke(rng, 10);
        expectWindowLiveEqualsReplay(start, script, seed);
    }
}

} // namespace

// ---- The widget records what the script records

namespace {

// One gesture step, made both as a script line and as Qt events on the widget.
struct Gesture
{
    enum Kind
    {
        Press,
        Move,
        Release,
        PenIn,
        Pen,
        PenOut,
    } kind;
    double x = 0, y = 0;
    double pressure = 0;
};

// The script of the gestures on a window whose client origin is at origin on the screen.
QString scriptOf(const std::vector<Gesture> &gestures, sPos origin)
{
    QString s;
    for (const Gesture &g : gestures)
        switch (g.kind) {
        case Gesture::Press:
            s += line("press L %d %d", int(g.x), int(g.y));
            break;
        case Gesture::Move:
            s += line("move %d %d", int(g.x), int(g.y));
            break;
        case Gesture::Release:
            s += line("release L %d %d", int(g.x), int(g.y));
            break;
        case Gesture::PenIn:
            s += QStringLiteral("proximity in\n");
            break;
        case Gesture::PenOut:
            s += QStringLiteral("proximity out\n");
            break;
        case Gesture::Pen:
            s += line("tablet %.6f %.6f %.3f", g.x + origin.x, g.y + origin.y, g.pressure);
            break;
        }
    return s;
}

// Mouse strokes, and pen strokes whose positions have fractions and whose pressure rises and
// falls; the mouse is ignored while the pen is in range. Pen positions are 64ths of a pixel and
// pressures thousandths, so that the script's text holds them exactly.
std::vector<Gesture> gesturesFor(uint32_t seed)
{
    std::mt19937 rng(seed);
    std::vector<Gesture> g;
    const auto mouse = [&](int n) {
        double x = 40 + rng() % 200, y = 40 + rng() % 140;
        g.push_back({Gesture::Press, x, y});
        for (int i = 0; i < n; ++i) {
            x = 20 + rng() % 260;
            y = 20 + rng() % 180;
            g.push_back({Gesture::Move, x, y});
        }
        g.push_back({Gesture::Release, x, y});
    };
    const auto pen = [&](int n) {
        const double x0 = 30 + rng() % 150, y0 = 30 + rng() % 120;
        for (int i = 0; i < n; ++i) {
            const double t = double(i) / double(n);
            const auto at = [&](double v) { return std::floor(v * 64 + rng() % 64) / 64; };
            g.push_back({Gesture::Pen, at(x0 + 100 * t), at(y0 + 30 * std::sin(6 * t)),
                         std::round(50 + 900 * std::sin(3.14159 * t)) / 1000});
        }
        g.push_back({Gesture::Pen, x0 + 100, y0, 0});
    };
    mouse(25);
    g.push_back({Gesture::PenIn});
    pen(30);
    mouse(8);
    pen(20);
    g.push_back({Gesture::PenOut});
    mouse(15);
    return g;
}

struct WindowLiveReplayWidget : WindowLiveReplay
{
    QPointingDevice pen{"widget test pen",
                        0x5C0010,
                        QInputDevice::DeviceType::Stylus,
                        QPointingDevice::PointerType::Pen,
                        QInputDevice::Capability::Position | QInputDevice::Capability::Pressure,
                        1,
                        3};

    void play(CDrawWindowWidget &widget, const std::vector<Gesture> &gestures)
    {
        for (const Gesture &g : gestures) {
            const QPoint at(int(g.x), int(g.y));
            switch (g.kind) {
            case Gesture::Press:
                QTest::mousePress(&widget, Qt::LeftButton, Qt::NoModifier, at);
                break;
            case Gesture::Move:
                QTest::mouseMove(&widget, at);
                break;
            case Gesture::Release:
                QTest::mouseRelease(&widget, Qt::LeftButton, Qt::NoModifier, at);
                break;
            case Gesture::PenIn:
            case Gesture::PenOut: {
                QTabletEvent e(g.kind == Gesture::PenIn ? QEvent::TabletEnterProximity
                                                        : QEvent::TabletLeaveProximity,
                               &pen, QPointF(), QPointF(), 0, 0, 0, 0, 0, 0, Qt::NoModifier,
                               Qt::NoButton, Qt::NoButton);
                QCoreApplication::sendEvent(qApp, &e);
                break;
            }
            case Gesture::Pen: {
                const QPointF local(g.x, g.y);
                const bool up = g.pressure == 0;
                QTabletEvent e(up ? QEvent::TabletRelease : QEvent::TabletMove, &pen, local,
                               widget.mapToGlobal(local), g.pressure, 0, 0, 0, 0, 0,
                               Qt::NoModifier, Qt::LeftButton,
                               up ? Qt::NoButton : Qt::LeftButton);
                QCoreApplication::sendEvent(&widget, &e);
                break;
            }
            }
            // The context's messages arrive as the event loop turns.
            QCoreApplication::sendPostedEvents(&widget, TWindowMessageEvent::eventType());
        }
    }

    static std::vector<uint8_t> recording(TDrawWindow &w)
    {
        const CEventMngr &ev = w.paper->eventMngr();
        return window_live_replay::recordedBytes(ev, ev.topEventPos);
    }
};

TEST_F(WindowLiveReplayWidget, MouseAndPenOnTheWidgetRecordWhatTheirScriptRecords)
{
    using namespace window_live_replay;
    SWintabTestSetup setup;
    setup.present = true;
    setup.virtualScreen = QRect(0, 0, 1920, 1080);
    setWintabTestSetup(setup);
    main().tab = std::make_shared<TWinTab32>(true, 1);
    QMdiArea area;
    area.resize(700, 500);
    area.show();
    for (uint32_t seed = 1; seed <= uint32_t(liveReplayIterations(2)); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const std::vector<Gesture> gestures = gesturesFor(seed);
        // The widget's window first: the headless one copies its client size and view.
        std::unique_ptr<TDrawWindow> made = window_live_replay::makeWindow(start, seed);
        ASSERT_TRUE(made);
        CDrawWindowWidget *widget = CDrawWindowWidget::openIn(area, std::move(made));
        area.setActiveSubWindow(widget->subWindow());
        QCoreApplication::processEvents();
        TDrawWindow &shown = widget->window();
        std::unique_ptr<TDrawWindow> headless = window_live_replay::makeWindow(start, seed);
        ASSERT_TRUE(headless);
        headless->FormResize(shown.clnSize);
        headless->ScrollBar1.setPosition(shown.ScrollBar1.Position);
        headless->ScrollBar2.setPosition(shown.ScrollBar2.Position);
        headless->scrollViewTo(shown.ScrollBar1.Position, shown.ScrollBar2.Position);
        for (const sPos &p : {sPos{0, 0}, sPos{123, 45}, sPos{300, 200}}) {
            sFPos a, b;
            shown.convToCanvasPos(a, p);
            headless->convToCanvasPos(b, p);
            ASSERT_EQ(a.x, b.x);
            ASSERT_EQ(a.y, b.y);
        }

        makeCurrent(shown);
        main().tab->Close();
        ASSERT_TRUE(main().tab->Open(widget));
        ASSERT_TRUE(shown.paper->eventMngr().startRecording(
            appMainStroke(), appMainToneMngrFor(shown.paper.get()), 64, 64));
        play(*widget, gestures);
        const std::vector<uint8_t> fromWidget = recording(shown);

        makeCurrent(*headless);
        main().tab->Close();
        ASSERT_TRUE(tabletTarget.open());
        ASSERT_TRUE(headless->paper->eventMngr().startRecording(
            appMainStroke(), appMainToneMngrFor(headless->paper.get()), 64, 64));
        std::vector<SInputStep> steps;
        QString error;
        // The pen's screen positions become client ones by the same origin.
        const sPos origin = shown.clientScreenOrigin();
        headless->onScreenOrigin = [origin] { return origin; };
        ASSERT_TRUE(parseInputScript(scriptOf(gestures, origin), steps, error))
            << error.toStdString();
        ASSERT_TRUE(applyScript(*headless, steps));
        const std::vector<uint8_t> fromScript = recording(*headless);

        // Four strokes: the mouse stroke in the pen's range is ignored.
        EXPECT_EQ(shown.paper->eventMngr().eventCnt, 4u);
        EXPECT_EQ(fromWidget.size(), fromScript.size());
        const auto [a, b] = std::mismatch(fromWidget.begin(), fromWidget.end(), fromScript.begin(),
                                          fromScript.end());
        EXPECT_TRUE(a == fromWidget.end() && b == fromScript.end())
            << "the recordings differ from byte " << (a - fromWidget.begin());
        EXPECT_EQ(documentDifference(shown, *headless), "");
        main().tab->Close();
        setCurrentDrawWindow(nullptr);
        headlessMainForm().active = nullptr;
        mainForm().toolForm().setWindow(nullptr);
        delete widget->subWindow();
        resetKeyState();
    }
}

} // namespace
