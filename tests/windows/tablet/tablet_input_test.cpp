// Tablet input: synthetic QTabletEvents become the packets and window messages of an open
// context, and TWinTab32 reads them back as screen positions and normalised axes.
#include "core/profile/app_profile.h"
#include "document/paper/document_init.h"
#include "document/paper/headless.h"
#include "document/paper/headless_app.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/stroke/paper_stroke.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "paint/brush/pen_records.h"
#include "paint/stroke/stroke_placement.h"
#include "windows/docwin/draw_window_widget.h"
#include "windows/render_settings.h"
#include "windows/shell_host.h"
#include "platform/desktop/window_message.h"
#include "platform/tablet/wintab.h"
#include "windows/tablet/wintab32.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointingDevice>
#include <QTabletEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// The main window's part: it receives the context's messages.
class CMessageSink : public QObject
{
  public:
    std::vector<TMessage> messages;

  protected:
    bool event(QEvent *e) override
    {
        if (e->type() != TWindowMessageEvent::eventType())
            return QObject::event(e);
        messages.push_back(static_cast<TWindowMessageEvent *>(e)->message());
        return true;
    }
};

// A widget that lets tablet events pass on to its parent, as one that does not draw would.
class CPassingWidget : public QWidget
{
  public:
    using QWidget::QWidget;
    int seen = 0;

  protected:
    void tabletEvent(QTabletEvent *e) override
    {
        ++seen;
        e->ignore();
    }
};

struct SPen
{
    QPointF global;
    qreal pressure = 0.5;
    float xTilt = 0, yTilt = 0;
    qreal rotation = 0;
    bool eraser = false;
    QEvent::Type type = QEvent::TabletMove;
    Qt::MouseButtons buttons = Qt::LeftButton;
};

struct TabletInput : ::testing::Test
{
    QPointingDevice pen{"test pen",     1, QInputDevice::DeviceType::Stylus,
                        QPointingDevice::PointerType::Pen,
                        QInputDevice::Capability::Position | QInputDevice::Capability::Pressure,
                        1,              3};
    QPointingDevice eraser{"test eraser", 2, QInputDevice::DeviceType::Stylus,
                           QPointingDevice::PointerType::Eraser,
                           QInputDevice::Capability::Position | QInputDevice::Capability::Pressure,
                           1,             3};
    CMessageSink sink;
    quint64 clock = 0;

    TabletInput()
    {
        initialiseAppProfile();
        resetWintab();
        setup({});
    }
    ~TabletInput() override { resetWintab(); }

    static void setup(SWintabTestSetup s, QRect screen = QRect(0, 0, 1920, 1080))
    {
        if (!s.present)
            s.present = true;
        s.virtualScreen = screen;
        setWintabTestSetup(s);
    }

    std::unique_ptr<TWinTab32> openTablet()
    {
        auto tab = std::make_unique<TWinTab32>(true, 1);
        tab->m_osVer = 601;
        EXPECT_TRUE(tab->Open(&sink));
        return tab;
    }

    void send(const SPen &p, QObject *to = nullptr)
    {
        const Qt::MouseButton button = p.type == QEvent::TabletMove ? Qt::NoButton : Qt::LeftButton;
        QTabletEvent ev(p.type, p.eraser ? &eraser : &pen, p.global, p.global, p.pressure, p.xTilt,
                        p.yTilt, 0, p.rotation, 0, Qt::NoModifier, button, p.buttons);
        ev.setTimestamp(++clock);
        QCoreApplication::sendEvent(to ? to : &sink, &ev);
    }

    void sendProximity(bool in)
    {
        QTabletEvent ev(in ? QEvent::TabletEnterProximity : QEvent::TabletLeaveProximity, &pen,
                        {}, {}, 0, 0, 0, 0, 0, 0, Qt::NoModifier, Qt::NoButton, Qt::NoButton);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &ev);
    }

    std::vector<TMessage> takeMessages()
    {
        QCoreApplication::sendPostedEvents(&sink);
        return std::exchange(sink.messages, {});
    }

    // The packet of one pen event as the main window reads it.
    void readPen(TWinTab32 &tab, const SPen &p)
    {
        send(p);
        const auto msgs = takeMessages();
        ASSERT_EQ(msgs.size(), 1u);
        bool bget = false;
        EXPECT_TRUE(tab.GetPacket(msgs[0], bget));
        EXPECT_TRUE(bget);
    }
};

TEST_F(TabletInput, PacketsComeBackAsScreenPixelsWithFraction)
{
    struct Case
    {
        const char *name;
        QRect screen;
        QPointF pen;
        bool editOutput;  // output extent (40000, -25000) as another program might set it
        QPoint sysOrg;    // setSysOrg when not (0, 0)
        QPointF expected; // screen position read back
    };
    const Case cases[] = {
        {"output extent 40000 x -25000", {0, 0, 1920, 1080}, {960, 540}, true, {}, {960, 540}},
        // A monitor left of the first: negative X before any setSysOrg.
        {"monitor on the left", {-1920, 0, 3840, 1080}, {-960.25, 540.5}, false, {}, {-960.25, 540.5}},
        {"after setSysOrg", {0, 0, 1920, 1080}, {300.5, 200.75}, false, {100, 50}, {300.5, 200.75}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        resetWintab();
        setup({}, c.screen);
        auto tab = openTablet();
        if (c.editOutput) {
            tab->m_logcontext.lcOutExtX = 40000;
            tab->m_logcontext.lcOutExtY = -25000;
            ASSERT_TRUE(tab->m_wtSet(tab->m_handle, &tab->m_logcontext));
        }
        if (!c.sysOrg.isNull()) {
            ASSERT_TRUE(tab->setSysOrg(c.sysOrg.x(), c.sysOrg.y()));
        }
        send({c.pen});
        const auto msgs = takeMessages();
        ASSERT_EQ(msgs.size(), 1u);
        EXPECT_EQ(msgs[0].msg, 0x7FF0u);
        EXPECT_EQ(HCTX(msgs[0].lParam), tab->m_handle);
        bool bget = false;
        ASSERT_TRUE(tab->GetPacket(msgs[0], bget));
        ASSERT_TRUE(bget);
        EXPECT_EQ(tab->m_packet.X, float(c.expected.x()));
        EXPECT_EQ(tab->m_packet.Y, float(c.expected.y()));
        // The same serial is gone once fetched.
        EXPECT_TRUE(tab->GetPacket(msgs[0], bget));
        EXPECT_FALSE(bget);
    }
}

TEST_F(TabletInput, AnEventIsQueuedInOneSixtyFourthPixelsWithYDown)
{
    auto tab = openTablet();
    EXPECT_EQ(tab->m_logcontext.lcOutExtX, 1920 * 64);
    EXPECT_EQ(tab->m_logcontext.lcOutExtY, -1080 * 64);
    tab->m_logcontext.lcOutExtX = 40000;
    tab->m_logcontext.lcOutExtY = -25000;
    const PACKET pk = wintabPacketFromEvent(
        QTabletEvent(QEvent::TabletMove, &pen, {}, {960, 540}, 1, 0, 0, 0, 0, 0, Qt::NoModifier,
                     Qt::NoButton, Qt::LeftButton),
        tab->m_logcontext);
    EXPECT_EQ(pk.pkX, 20000);
    EXPECT_EQ(pk.pkY, 12500);
    // A positive output extent counts from the bottom instead.
    tab->m_logcontext.lcOutExtY = 25000;
    const PACKET up = wintabPacketFromEvent(
        QTabletEvent(QEvent::TabletMove, &pen, {}, {960, 270}, 1, 0, 0, 0, 0, 0, Qt::NoModifier,
                     Qt::NoButton, Qt::LeftButton),
        tab->m_logcontext);
    EXPECT_EQ(up.pkY, 18750);
}

TEST_F(TabletInput, PressureTiltRotationAndTheEraserBecomeTheAxes)
{
    struct Case
    {
        const char *name;
        SPen pen;
        int32_t pressure, azimuth, altitude, twist;
        uint32_t buttons;
    };
    const Case cases[] = {
        {"upright", {{10, 10}, 0.5}, 32768, 0, 900, 0, 1},
        {"leaning right", {{10, 10}, 1.0, 45, 0}, 65535, 900, 450, 0, 1},
        {"leaning to the top", {{10, 10}, 0.25, 0, -45}, 16384, 0, 450, 0, 1},
        {"leaning to the user", {{10, 10}, 0.25, 0, 45}, 16384, 1800, 450, 0, 1},
        {"leaning left, turned", {{10, 10}, 0.25, -45, 0, -90}, 16384, 2700, 450, 2700, 1},
        {"eraser end", {{10, 10}, 0.5, 0, 0, 0, true}, 32768, 0, -900, 0, 1},
        {"hovering, barrel button", {{10, 10}, 0, 0, 0, 0, false, QEvent::TabletMove, Qt::RightButton},
         0, 0, 900, 0, 2},
        {"tip lifted", {{10, 10}, 0.3, 0, 0, 0, false, QEvent::TabletRelease, Qt::NoButton}, 0, 0,
         900, 0, 0},
    };
    auto tab = openTablet();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        readPen(*tab, c.pen);
        EXPECT_EQ(tab->m_packet.Pressure, c.pressure);
        EXPECT_EQ(tab->m_packet.Azimuth, c.azimuth);
        EXPECT_EQ(tab->m_packet.Altitude, c.altitude);
        EXPECT_EQ(tab->m_packet.Twist, c.twist);
        EXPECT_EQ(tab->m_packet.Buttons, c.buttons);
        EXPECT_FLOAT_EQ(tab->Pressure(), float(c.pressure) / 65535.0f);
        EXPECT_FLOAT_EQ(tab->Altitude(), float(c.altitude) / 900.0f);
    }
}

TEST_F(TabletInput, ProximityMessagesSetRecognitionAndCloseClearsIt)
{
    auto tab = openTablet();
    bool bget = true;
    sendProximity(true);
    auto msgs = takeMessages();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].msg, 0x7FF5u);
    EXPECT_EQ(msgs[0].lParam & 0xFFFF, 1);
    EXPECT_TRUE(tab->GetPacket(msgs[0], bget));
    EXPECT_FALSE(bget);
    EXPECT_TRUE(tab->m_recognition);

    sendProximity(false);
    msgs = takeMessages();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].lParam & 0xFFFF, 0);
    EXPECT_TRUE(tab->GetPacket(msgs[0], bget));
    EXPECT_FALSE(bget);
    EXPECT_FALSE(tab->m_recognition);

    // Closed while the pen is in range: its leaving is never told, so closing forgets it.
    sendProximity(true);
    tab->GetPacket(takeMessages().at(0), bget);
    ASSERT_TRUE(tab->m_recognition);
    tab->Close();
    EXPECT_FALSE(tab->m_recognition);
    EXPECT_FALSE(tab->GetPacket({0x7FF5, 0, 1, 0}, bget));
}

TEST_F(TabletInput, AbsentAxesDivideBy0xFFFFAndNoPressureAxisReadsFull)
{
    SWintabTestSetup noTilt;
    noTilt.orientationMax = ORIENTATION{0, 0, 3600};
    noTilt.pressureMax = 0;
    setup(noTilt);
    auto tab = openTablet();
    EXPECT_EQ(tab->m_maxAzimuth, 0xFFFF);
    EXPECT_EQ(tab->m_maxAltitude, 0xFFFF);
    EXPECT_EQ(tab->m_maxTwist, 3600);
    EXPECT_FALSE(tab->m_ifAzimuth);
    EXPECT_FALSE(tab->m_ifAltitude);
    EXPECT_TRUE(tab->m_ifTwist);
    readPen(*tab, {{10, 10}, 0.5, 45, 0});
    EXPECT_FLOAT_EQ(tab->Altitude(), 450.0f / 0xFFFF);
    EXPECT_EQ(tab->Pressure(), 1.0f);
}

TEST_F(TabletInput, TheQueueKeeps128AndFetchingASerialDropsItAndAllOlder)
{
    auto tab = openTablet();
    for (int i = 0; i < 130; ++i)
        send({{10.0 + i, 10}});
    auto msgs = takeMessages();
    ASSERT_EQ(msgs.size(), 130u);
    EXPECT_EQ(wintabQueueLength(tab->m_handle), 128);
    bool bget = true;
    // The two oldest went when the queue was full.
    EXPECT_TRUE(tab->GetPacket(msgs[1], bget));
    EXPECT_FALSE(bget);
    EXPECT_TRUE(tab->GetPacket(msgs[9], bget));
    EXPECT_TRUE(bget);
    EXPECT_EQ(tab->m_packet.X, 19.0f);
    EXPECT_EQ(wintabQueueLength(tab->m_handle), 120);
    EXPECT_TRUE(tab->flushPackets());
    EXPECT_EQ(wintabQueueLength(tab->m_handle), 0);
}

TEST_F(TabletInput, TypeZeroTakesOnePacketOnEveryCall)
{
    auto tab = std::make_unique<TWinTab32>(true, 0);
    tab->m_osVer = 601;
    ASSERT_TRUE(tab->Open(&sink));
    for (int i = 0; i < 3; ++i)
        send({{10.0 + i, 10}});
    const auto msgs = takeMessages();
    bool bget = false;
    // A message of no concern still takes one.
    EXPECT_FALSE(tab->GetPacket({0x0200, 0, 0, 0}, bget));
    EXPECT_EQ(wintabQueueLength(tab->m_handle), 2);
    // Fetching the second drops the first two, then the call takes the third.
    EXPECT_TRUE(tab->GetPacket(msgs[1], bget));
    EXPECT_TRUE(bget);
    EXPECT_EQ(wintabQueueLength(tab->m_handle), 0);
}

TEST_F(TabletInput, OpenTwiceOpensOneContext)
{
    auto tab = openTablet();
    const uint32_t first = tab->m_handle;
    EXPECT_TRUE(tab->Open(&sink));
    EXPECT_EQ(tab->m_handle, first);
    send({{10, 10}});
    EXPECT_EQ(takeMessages().size(), 1u);
    // Closed and opened again, the context is a new one.
    tab->Close();
    EXPECT_FALSE(tab->isOpened());
    EXPECT_TRUE(tab->Open(&sink));
    send({{10, 10}, 0.7});
    EXPECT_EQ(takeMessages().size(), 1u);
}

TEST_F(TabletInput, WithoutATabletOrAFunctionNothingOpens)
{
    SWintabTestSetup noTablet, noFunction;
    noTablet.present = false;
    noFunction.missingFunctions = "WTPacketsGet";
    struct Case
    {
        const char *name;
        const SWintabTestSetup &setup;
        bool enabled;
    };
    const Case cases[] = {
        {"no tablet", noTablet, true},
        {"a function missing", noFunction, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        setup(c.setup);
        TWinTab32 tab(true, 0);
        EXPECT_EQ(tab.isEnable(), c.enabled);
        EXPECT_FALSE(tab.Open(&sink));
        EXPECT_FALSE(tab.isOpened());
        send({{10, 10}});
        bool bget = true;
        EXPECT_FALSE(tab.GetPacket({0x7FF0, 1, 1, 0}, bget));
        EXPECT_FALSE(bget);
        EXPECT_FALSE(tab.flushPackets());
        EXPECT_FALSE(tab.setSysOrg(0, 0));
        EXPECT_TRUE(takeMessages().empty());
    }
}

TEST_F(TabletInput, ATabletIsThereOnceQtReportsAStylus)
{
    // No override: the offscreen platform knows no stylus until a tablet event arrives.
    SWintabTestSetup real;
    real.virtualScreen = QRect(0, 0, 1920, 1080);
    setWintabTestSetup(real);
    TWinTab32 tab(true, 1);
    tab.m_osVer = 601;
    ASSERT_FALSE(wintabTabletPresent());
    EXPECT_FALSE(tab.Open(&sink));
    send({{10, 10}});
    EXPECT_TRUE(wintabTabletPresent());
    EXPECT_TRUE(tab.Open(&sink));
}

TEST_F(TabletInput, EventsReachTheirWidgetAndMakeOnePacketEach)
{
    auto tab = openTablet();
    QWidget parent;
    auto *child = new CPassingWidget(&parent);
    // The child lets the event on to its parent; the filter sees both deliveries.
    send({{40, 30}, 0.5, 0, 0, 0, false, QEvent::TabletPress}, child);
    send({{41, 30}}, child);
    send({{41, 30}, 0, 0, 0, 0, false, QEvent::TabletRelease, Qt::NoButton}, child);
    EXPECT_EQ(child->seen, 3);
    const auto msgs = takeMessages();
    ASSERT_EQ(msgs.size(), 3u);
    bool bget = false;
    tab->GetPacket(msgs[2], bget);
    EXPECT_TRUE(bget);
    EXPECT_EQ(tab->m_packet.Pressure, 0);
}

TEST_F(TabletInput, SyntheticTabletEventsReachTheWindowWithTheirPressure)
{
    initialiseDocument();
    initialiseWindows();
    headlessMainForm() = CHeadlessMainForm{};
    CHeadlessPaperApp app;
    SPenParam prm;
    initPenParam(prm, 5);
    app.render5.changePenParam(prm);
    app.stroke.SetDrawColor(0xFF204080);
    gAppProfile->DrawToolMode = true;
    auto made = TDrawWindow::Create();
    ASSERT_TRUE(made);
    ASSERT_TRUE(setupHeadlessPaper(*made->paper, {200, 100}, 0xFFFFFF, 1));
    UpdateVRAM(*made->paper, true, true);
    startPaintModeQZ5(*made->paper);
    made->formSizeCorrect(true);
    made->changeZoom(1, 1, false);
    auto area = std::make_unique<QMdiArea>();
    area->resize(800, 600);
    area->show();
    CDrawWindowWidget *widget = CDrawWindowWidget::openIn(*area, std::move(made));
    QCoreApplication::processEvents();
    TDrawWindow &w = widget->window();
    headlessMainForm().tool.setWindow(&w);
    w.FormActivate();
    auto tab = std::make_shared<TWinTab32>(true, 1);
    tab->m_osVer = 601;
    ASSERT_TRUE(tab->Open(widget));
    headlessMainForm().tab = tab;

    // The pen's last sample as the document's stroke took it, and where it should be.
    const auto lastSample = [&] {
        SStrokeData sd;
        EXPECT_TRUE(w.paper->strokeMngr5()->getLast(sd));
        return sd;
    };
    const auto canvasOf = [&](QPointF local) {
        float x = float(local.x()), y = float(local.y());
        CursorCorrection(*w.paper, w.clnSize.x, w.clnSize.y, x, y);
        return sFPos{x, y};
    };
    const auto pen = [&](QPointF local, qreal pressure, QEvent::Type type) {
        SPen p{widget->mapToGlobal(local), pressure};
        p.type = type;
        send(p, widget);
        QCoreApplication::sendPostedEvents(widget);
    };

    const sFPos mid = canvasOf({65, 31});
    const CBlockVMTC &layer = *w.paper->getLayerData(0)->imageTC;
    const uint32_t before = layer.getColor(int32_t(mid.x), int32_t(mid.y));
    ASSERT_GT(mid.x, 0);
    ASSERT_GT(mid.y, 0);
    sendProximity(true);
    QCoreApplication::sendPostedEvents(widget);
    EXPECT_TRUE(tab->m_recognition);
    pen({40.25, 30.5}, 0.5, QEvent::TabletPress);
    ASSERT_TRUE(w.isStrokingNow());
    // Pressure travels in 1/65535 steps.
    EXPECT_NEAR(lastSample().p, 0.5f, 1.0f / 65535);
    pen({90.75, 32.5}, 0.75, QEvent::TabletMove);
    const SStrokeData moved = lastSample();
    EXPECT_NEAR(moved.p, 0.75f, 1.0f / 65535);
    EXPECT_EQ((sFPos{moved.x, moved.y}), canvasOf({90.75, 32.5}));
    // The mouse Qt makes of the pen draws nothing while the pen is in range.
    w.FormMouseMove(TShiftState::ssLeft, 150, 80);
    EXPECT_EQ(lastSample().x, moved.x);
    pen({90.75, 32.5}, 0, QEvent::TabletRelease);
    EXPECT_FALSE(w.isStrokingNow());
    EXPECT_NE(layer.getColor(int32_t(mid.x), int32_t(mid.y)), before);


    area.reset();
    headlessMainForm() = CHeadlessMainForm{};
}

} // namespace
