#include "platform/tablet/wintab.h"

#include "platform/desktop/screen_fit.h"
#include "platform/desktop/window_message.h"
#include "platform/system/environment.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputDevice>
#include <QPointer>
#include <QTabletEvent>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <map>
#include <string>

namespace {

constexpr uint32_t kModuleHandle = 0x7AB00000;
constexpr size_t kQueueLimit = 128;

struct SContext
{
    QPointer<QObject> hwnd;
    LOGCONTEXTA lc;
    bool enabled = true;
    uint32_t nextSerial = 1;
    std::deque<PACKET> queue;
};

// What makes one tablet event differ from another: Qt hands the same event to the window, the
// widget and each parent it propagates to (as copies, without the time stamp), and the filter
// sees every one of those deliveries. Two events alike in all of this say nothing new.
struct SEventKey
{
    int type = 0;
    QPointF global;
    qreal pressure = 0, xTilt = 0, yTilt = 0, rotation = 0;
    int buttons = 0;
    const void *device = nullptr;
    bool operator==(const SEventKey &) const = default;
};

struct SWintabState
{
    SWintabTestSetup setup;
    std::string missing;
    int32_t loads = 0;
    HCTX nextHandle = 1;
    std::map<HCTX, SContext> contexts;
    bool sawStylus = false;
    std::optional<SEventKey> lastEvent;
    QPointer<QObject> filter;
};

SWintabState &state()
{
    static SWintabState s;
    return s;
}

SContext *findContext(HCTX h)
{
    auto it = state().contexts.find(h);
    return it == state().contexts.end() ? nullptr : &it->second;
}

bool isTabletEvent(QEvent::Type t)
{
    return t == QEvent::TabletPress || t == QEvent::TabletMove || t == QEvent::TabletRelease;
}

SEventKey keyOf(const QTabletEvent &ev)
{
    return {int(ev.type()), ev.globalPosition(), ev.pressure(), ev.xTilt(),
            ev.yTilt(), ev.rotation(), int(ev.buttons().toInt()), ev.pointingDevice()};
}

void queuePacket(HCTX handle, SContext &ctx, const QTabletEvent &ev)
{
    PACKET pk = wintabPacketFromEvent(ev, ctx.lc);
    pk.pkContext = handle;
    pk.pkSerialNumber = ctx.nextSerial++;
    if (ctx.nextSerial == 0)
        ctx.nextSerial = 1;
    pk.pkChanged = ctx.lc.lcPktData;
    if (ctx.queue.size() >= kQueueLimit)
        ctx.queue.pop_front();
    ctx.queue.push_back(pk);
    postWindowMessage(ctx.hwnd, ctx.lc.lcMsgBase + WT_PACKET_OFFSET, intptr_t(pk.pkSerialNumber),
                      intptr_t(handle));
}

// Contexts that tell their window about what happens: open, enabled, asking for messages, and
// with a window still there.
template <typename F> void forEachListening(F &&f)
{
    for (auto &[handle, ctx] : state().contexts)
        if (ctx.enabled && (ctx.lc.lcOptions & CXO_MESSAGES) && ctx.hwnd)
            f(handle, ctx);
}

void onTabletEvent(const QTabletEvent &ev)
{
    const SEventKey key = keyOf(ev);
    if (state().lastEvent == key)
        return;
    state().lastEvent = key;
    forEachListening([&](HCTX h, SContext &ctx) { queuePacket(h, ctx, ev); });
}

void onProximity(bool in)
{
    // Low word: the pen entered (1) or left (0) the context; high word: hardware proximity.
    const intptr_t lParam = intptr_t((1u << 16) | (in ? 1u : 0u));
    forEachListening([&](HCTX h, SContext &ctx) {
        postWindowMessage(ctx.hwnd, ctx.lc.lcMsgBase + WT_PROXIMITY_OFFSET, intptr_t(h), lParam);
    });
}

class CTabletFilter : public QObject
{
  public:
    using QObject::QObject;

  protected:
    // Looks only: the events go on to their receivers, so Qt still makes mouse events of them.
    bool eventFilter(QObject *, QEvent *event) override
    {
        const QEvent::Type t = event->type();
        if (isTabletEvent(t)) {
            state().sawStylus = true;
            onTabletEvent(*static_cast<QTabletEvent *>(event));
        } else if (t == QEvent::TabletEnterProximity || t == QEvent::TabletLeaveProximity) {
            state().sawStylus = true;
            onProximity(t == QEvent::TabletEnterProximity);
        }
        return false;
    }
};

void installFilter()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (state().filter || !app)
        return;
    auto *filter = new CTabletFilter(app);
    app->installEventFilter(filter);
    state().filter = filter;
}

bool qtReportsStylus()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return false;
    const auto devices = QInputDevice::devices();
    return std::any_of(devices.begin(), devices.end(), [](const QInputDevice *d) {
        const auto t = d->type();
        return t == QInputDevice::DeviceType::Stylus || t == QInputDevice::DeviceType::Airbrush ||
               t == QInputDevice::DeviceType::Puck;
    });
}

LOGCONTEXTA defaultContext(bool system)
{
    const QRect vs = wintabVirtualScreen();
    LOGCONTEXTA lc;
    std::strncpy(lc.lcName, system ? "Kavrin system context" : "Kavrin context",
                 sizeof lc.lcName - 1);
    lc.lcOptions = system ? CXO_SYSTEM : 0;
    lc.lcMsgBase = WT_DEFBASE;
    lc.lcPktRate = 100;
    lc.lcPktData = PK_ALL;
    lc.lcMoveMask = PK_ALL;
    lc.lcBtnDnMask = lc.lcBtnUpMask = 0xFFFFFFFF;
    lc.lcInExtX = vs.width() * kWintabUnitsPerPixel;
    lc.lcInExtY = vs.height() * kWintabUnitsPerPixel;
    lc.lcOutExtX = vs.width();
    lc.lcOutExtY = vs.height();
    lc.lcSensX = lc.lcSensY = lc.lcSensZ = 0x10000;
    lc.lcSysOrgX = vs.x();
    lc.lcSysOrgY = vs.y();
    lc.lcSysExtX = vs.width();
    lc.lcSysExtY = vs.height();
    lc.lcSysSensX = lc.lcSysSensY = 0x10000;
    return lc;
}

template <typename T> uint32_t answer(const T &value, void *output)
{
    if (output)
        std::memcpy(output, &value, sizeof value);
    return sizeof value;
}

uint32_t deviceInfo(uint32_t index, void *output)
{
    const QRect vs = wintabVirtualScreen();
    const SWintabTestSetup &setup = state().setup;
    switch (index) {
    case DVC_X:
        return answer(AXIS{0, vs.width() * kWintabUnitsPerPixel, 0, 0}, output);
    case DVC_Y:
        return answer(AXIS{0, vs.height() * kWintabUnitsPerPixel, 0, 0}, output);
    case DVC_Z:
        return answer(AXIS{}, output);
    case DVC_NPRESSURE:
        return answer(AXIS{0, setup.pressureMax.value_or(kWintabPressureMax), 0, 0}, output);
    case DVC_TPRESSURE:
        return answer(AXIS{0, kWintabTangentMax, 0, 0}, output);
    case DVC_ORIENTATION: {
        const ORIENTATION m = setup.orientationMax.value_or(
            ORIENTATION{kWintabAzimuthMax, kWintabAltitudeMax, kWintabTwistMax});
        const AXIS axes[3] = {{0, m.orAzimuth, 0, 0}, {0, m.orAltitude, 0, 0}, {0, m.orTwist, 0, 0}};
        return answer(axes, output);
    }
    default:
        return 0;
    }
}

uint32_t WTInfoA(uint32_t category, uint32_t index, void *output)
{
    if (!wintabTabletPresent())
        return 0;
    switch (category) {
    case 0: // is the service there: the size of the largest answer
        return sizeof(LOGCONTEXTA);
    case WTI_DEFCONTEXT:
    case WTI_DEFSYSCTX:
        return index == 0 ? answer(defaultContext(category == WTI_DEFSYSCTX), output) : 0;
    case WTI_DEVICES:
        return deviceInfo(index, output);
    default:
        return 0;
    }
}

HCTX WTOpenA(HWND hwnd, LOGCONTEXTA *lc, int32_t enable)
{
    if (!hwnd || !lc || !wintabTabletPresent())
        return 0;
    SWintabState &s = state();
    const HCTX handle = s.nextHandle++;
    if (s.nextHandle == 0)
        s.nextHandle = 1;
    SContext &ctx = s.contexts[handle];
    ctx.hwnd = hwnd;
    ctx.lc = *lc;
    ctx.enabled = enable != 0;
    return handle;
}

int32_t WTClose(HCTX h)
{
    return state().contexts.erase(h) ? 1 : 0;
}

int32_t WTGetA(HCTX h, LOGCONTEXTA *lc)
{
    const SContext *ctx = findContext(h);
    if (!ctx || !lc)
        return 0;
    *lc = ctx->lc;
    return 1;
}

int32_t WTSetA(HCTX h, LOGCONTEXTA *lc)
{
    SContext *ctx = findContext(h);
    if (!ctx || !lc)
        return 0;
    ctx->lc = *lc;
    return 1;
}

int32_t WTPacket(HCTX h, uint32_t serial, void *packet)
{
    SContext *ctx = findContext(h);
    if (!ctx)
        return 0;
    auto it = std::find_if(ctx->queue.begin(), ctx->queue.end(),
                           [&](const PACKET &p) { return p.pkSerialNumber == serial; });
    if (it == ctx->queue.end())
        return 0;
    if (packet)
        std::memcpy(packet, &*it, sizeof(PACKET));
    ctx->queue.erase(ctx->queue.begin(), it + 1);
    return 1;
}

int32_t WTPacketsGet(HCTX h, int32_t maxPackets, void *packets)
{
    SContext *ctx = findContext(h);
    if (!ctx || maxPackets <= 0)
        return 0;
    const size_t n = std::min(size_t(maxPackets), ctx->queue.size());
    auto *out = static_cast<PACKET *>(packets);
    for (size_t i = 0; i < n; ++i) {
        if (out)
            out[i] = ctx->queue.front();
        ctx->queue.pop_front();
    }
    return int32_t(n);
}

int32_t WTEnable(HCTX h, int32_t enable)
{
    SContext *ctx = findContext(h);
    if (!ctx)
        return 0;
    ctx->enabled = enable != 0;
    return 1;
}

struct SNamedProc
{
    const char *name;
    FARPROC proc;
};

const SNamedProc kProcs[] = {
    {"WTClose", reinterpret_cast<FARPROC>(&WTClose)},
    {"WTInfoA", reinterpret_cast<FARPROC>(&WTInfoA)},
    {"WTOpenA", reinterpret_cast<FARPROC>(&WTOpenA)},
    {"WTGetA", reinterpret_cast<FARPROC>(&WTGetA)},
    {"WTSetA", reinterpret_cast<FARPROC>(&WTSetA)},
    {"WTPacket", reinterpret_cast<FARPROC>(&WTPacket)},
    {"WTPacketsGet", reinterpret_cast<FARPROC>(&WTPacketsGet)},
    {"WTEnable", reinterpret_cast<FARPROC>(&WTEnable)},
};

bool listedMissing(const char *name)
{
    const QStringList missing = QString::fromStdString(state().missing).split(u',');
    return missing.contains(QString::fromLatin1(name));
}

// Degrees into tenths in [0, 3600).
int32_t tenthsOfTurn(long double degrees)
{
    const long r = std::lrint(degrees * 10.0L) % 3600;
    return int32_t(r < 0 ? r + 3600 : r);
}

// Qt gives the pen's lean as two tilts from the vertical (x to the right, y toward the user);
// Wintab as the compass direction it leans to (clockwise from the top) and its height over the
// tablet's plane.
void orientationOf(const QTabletEvent &ev, ORIENTATION &o)
{
    constexpr long double rad = 3.14159265358979323846264338327950288L / 180.0L;
    const long double vx = std::tan(ev.xTilt() * rad);
    const long double vy = std::tan(ev.yTilt() * rad);
    o.orAzimuth = (vx == 0 && vy == 0) ? 0 : tenthsOfTurn(std::atan2(vx, -vy) / rad);
    o.orAltitude = int32_t(std::lrint(std::atan2(1.0L, std::hypot(vx, vy)) / rad * 10.0L));
    if (ev.pointerType() == QPointingDevice::PointerType::Eraser)
        o.orAltitude = -o.orAltitude;
    o.orTwist = tenthsOfTurn(ev.rotation());
}

uint32_t scaleUnit(qreal v, int32_t max)
{
    return uint32_t(std::lrint(std::clamp<long double>(v, 0, 1) * max));
}

// The screen position's place along one axis of the output area.
int32_t outputCoordinate(long double fraction, int32_t org, int32_t ext)
{
    return org + int32_t(std::llrint(fraction * ext));
}

} // namespace

uint32_t wintabLoadLibrary(const char *name)
{
    if (!name || QString::fromLatin1(name).compare(u"WinTab32.dll", Qt::CaseInsensitive) != 0)
        return 0;
    ++state().loads;
    installFilter();
    return kModuleHandle;
}

void wintabFreeLibrary(uint32_t module)
{
    if (module == kModuleHandle && state().loads > 0)
        --state().loads;
}

FARPROC wintabGetProcAddress(uint32_t module, const char *name)
{
    if (module != kModuleHandle || state().loads <= 0 || !name || listedMissing(name))
        return nullptr;
    for (const SNamedProc &p : kProcs)
        if (std::strcmp(p.name, name) == 0)
            return p.proc;
    return nullptr;
}

bool wintabTabletPresent()
{
    const SWintabState &s = state();
    if (s.setup.present)
        return *s.setup.present;
    return s.sawStylus || qtReportsStylus();
}

PACKET wintabPacketFromEvent(const QTabletEvent &ev, const LOGCONTEXTA &lc)
{
    PACKET pk;
    const bool eraser = ev.pointerType() == QPointingDevice::PointerType::Eraser;
    pk.pkStatus = eraser ? TPS_INVERT : 0;
    pk.pkTime = uint32_t(ev.timestamp());
    pk.pkCursor = eraser ? kCursorEraser
                  : ev.pointerType() == QPointingDevice::PointerType::Pen ? kCursorPen
                                                                           : kCursorPuck;
    // Tip, barrel and second barrel button as bits 0, 1, 2.
    pk.pkButtons = uint32_t(ev.buttons().toInt()) & 7u;
    if (lc.lcSysExtX > 0 && lc.lcSysExtY > 0) {
        const QPointF g = ev.globalPosition();
        const long double fx = (g.x() - lc.lcSysOrgX) / (long double)lc.lcSysExtX;
        const long double fy = (g.y() - lc.lcSysOrgY) / (long double)lc.lcSysExtY;
        pk.pkX = outputCoordinate(fx, lc.lcOutOrgX, lc.lcOutExtX);
        // A negative output extent puts the origin at the top, so Y grows downward.
        pk.pkY = lc.lcOutExtY < 0 ? outputCoordinate(fy, lc.lcOutOrgY, -lc.lcOutExtY)
                                  : outputCoordinate(1.0L - fy, lc.lcOutOrgY, lc.lcOutExtY);
    }
    pk.pkZ = int32_t(std::lrint(ev.z()));
    // Lifting the tip ends the touch: its release carries no pressure.
    const bool tipUp = ev.type() == QEvent::TabletRelease && ev.button() == Qt::LeftButton;
    pk.pkNormalPressure = tipUp ? 0 : scaleUnit(ev.pressure(), kWintabPressureMax);
    pk.pkTangentPressure = scaleUnit((ev.tangentialPressure() + 1) / 2, kWintabTangentMax);
    orientationOf(ev, pk.pkOrientation);
    return pk;
}

void setWintabTestSetup(const SWintabTestSetup &setup)
{
    state().setup = setup;
    state().missing = setup.missingFunctions ? setup.missingFunctions : "";
    state().setup.missingFunctions = "";
}

void resetWintab()
{
    SWintabState &s = state();
    s.setup = {};
    s.missing.clear();
    s.contexts.clear();
    s.sawStylus = false;
    s.lastEvent.reset();
}

QRect wintabVirtualScreen()
{
    if (state().setup.virtualScreen)
        return *state().setup.virtualScreen;
    const QRect vs = virtualScreenRect();
    return vs.isEmpty() ? QRect(0, 0, kDefaultScreenWidth, kDefaultScreenHeight) : vs;
}

int32_t wintabQueueLength(HCTX context)
{
    const SContext *ctx = findContext(context);
    return ctx ? int32_t(ctx->queue.size()) : 0;
}
