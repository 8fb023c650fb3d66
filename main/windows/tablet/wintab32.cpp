#include "windows/tablet/wintab32.h"

#include "core/profile/app_profile.h"
#include "platform/system/environment.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

constexpr int32_t kAbsentAxisMax = 0xFFFF;

// Platform versions above 4.00 know the virtual screen of several monitors.
constexpr int32_t kVirtualScreenVersion = 400;

template <typename T> bool resolve(uint32_t lib, const char *name, T &proc)
{
    proc = reinterpret_cast<T>(wintabGetProcAddress(lib, name));
    return proc != nullptr;
}

QRect primaryScreenRect()
{
    const QScreen *screen = qobject_cast<QGuiApplication *>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    const QSize size = screen ? screen->size() : QSize(kDefaultScreenWidth, kDefaultScreenHeight);
    return QRect(QPoint(0, 0), size);
}

// An axis reported with a maximum of 0 (or less) is absent: it divides by 0xFFFF instead.
void takeAxis(int32_t max, int32_t &field, bool &present)
{
    present = max > 0;
    field = present ? max : kAbsentAxisMax;
}

// Before a context is open the maxima are still 0: nothing to divide by, nothing read yet.
float ratio(int32_t value, int32_t max)
{
    return max > 0 ? float(value) / float(max) : 0.0f;
}

// One output coordinate back to the screen: relative to the output origin, scaled from the output
// extent to the system extent, placed at the system origin.
float toScreen(int32_t delta, int32_t sysExt, int32_t outExt, int32_t sysOrg)
{
    if (outExt == 0)
        return float(sysOrg);
    return float((long double)delta * sysExt / outExt + sysOrg);
}

} // namespace

TWinTab32::TWinTab32(bool init, int32_t tp) : m_type(tp)
{
    m_osVer = gAppProfile ? gAppProfile->osVersion : 0;
    if (init)
        initialize();
}

TWinTab32::~TWinTab32()
{
    Close();
    if (m_lib)
        wintabFreeLibrary(m_lib);
}

bool TWinTab32::initialize()
{
    if (m_enabled)
        return true;
    m_lib = wintabLoadLibrary("WinTab32.dll");
    if (!m_lib)
        return false;
    // Calling a function that did not resolve would crash; such a library is no tablet at all.
    m_enabled = resolveFunctions();
    if (!m_enabled) {
        forgetFunctions();
        wintabFreeLibrary(m_lib);
        m_lib = 0;
    }
    return m_enabled;
}

bool TWinTab32::resolveFunctions()
{
    bool all = resolve(m_lib, "WTClose", m_wtClose);
    all = resolve(m_lib, "WTInfoA", m_wtInfo) && all;
    all = resolve(m_lib, "WTOpenA", m_wtOpen) && all;
    all = resolve(m_lib, "WTGetA", m_wtGet) && all;
    all = resolve(m_lib, "WTSetA", m_wtSet) && all;
    all = resolve(m_lib, "WTPacket", m_wtPacket) && all;
    all = resolve(m_lib, "WTPacketsGet", m_wtPacketsGet) && all;
    return resolve(m_lib, "WTEnable", WTEnable) && all;
}

void TWinTab32::forgetFunctions()
{
    m_wtClose = nullptr;
    m_wtInfo = nullptr;
    m_wtOpen = nullptr;
    m_wtGet = nullptr;
    m_wtSet = nullptr;
    m_wtPacket = nullptr;
    m_wtPacketsGet = nullptr;
    WTEnable = nullptr;
}

bool TWinTab32::Open(HWND handle)
{
    if (isOpened())
        return true;
    if (!m_enabled || m_wtInfo(0, 0, nullptr) == 0)
        return false;
    m_hwnd = handle;
    readDeviceMaxima();
    prepareContext(systemArea());
    m_handle = m_wtOpen(handle, &m_logcontext, 1);
    if (m_handle)
        m_wtGet(m_handle, &m_logcontext);
    return m_handle != 0;
}

QRect TWinTab32::systemArea() const
{
    return m_osVer > kVirtualScreenVersion ? wintabVirtualScreen() : primaryScreenRect();
}

void TWinTab32::readDeviceMaxima()
{
    AXIS axis;
    m_wtInfo(WTI_DEVICES, DVC_X, &axis);
    m_maxX = uint32_t(axis.axMax);
    axis = {};
    m_wtInfo(WTI_DEVICES, DVC_Y, &axis);
    m_maxY = uint32_t(axis.axMax);
    axis = {};
    m_wtInfo(WTI_DEVICES, DVC_NPRESSURE, &axis);
    m_maxPressure = axis.axMax;
    AXIS orientation[3] = {};
    m_wtInfo(WTI_DEVICES, DVC_ORIENTATION, orientation);
    takeAxis(orientation[0].axMax, m_maxAzimuth, m_ifAzimuth);
    takeAxis(orientation[1].axMax, m_maxAltitude, m_ifAltitude);
    takeAxis(orientation[2].axMax, m_maxTwist, m_ifTwist);
}

void TWinTab32::prepareContext(const QRect &system)
{
    m_logcontext = {};
    m_wtInfo(WTI_DEFSYSCTX, 0, &m_logcontext);
    LOGCONTEXTA &lc = m_logcontext;
    lc.lcMsgBase = WT_DEFBASE;
    lc.lcPktData = PK_ALL;
    lc.lcPktMode = 0;
    lc.lcMoveMask = PK_ALL;
    lc.lcBtnUpMask = lc.lcBtnDnMask;
    lc.lcOptions |= CXO_SYSTEM | CXO_MESSAGES;
    lc.lcOutOrgX = lc.lcOutOrgY = 0;
    // The negative Y extent puts the output origin at the top.
    lc.lcOutExtX = lc.lcInExtX;
    lc.lcOutExtY = -lc.lcInExtY;
    lc.lcSysOrgX = system.x();
    lc.lcSysOrgY = system.y();
    lc.lcSysExtX = system.width();
    lc.lcSysExtY = system.height();
}

void TWinTab32::Close()
{
    if (isOpened())
        m_wtClose(m_handle);
    m_handle = 0;
    // The leaving message goes to a closed context, so the pen would stay in range for good and
    // the mouse would never draw again.
    m_recognition = false;
}

bool TWinTab32::GetPacket(const TMessage &Msg, bool &bget)
{
    bget = false;
    if (!isOpened())
        return false;
    bool handled = false;
    if (Msg.msg == m_logcontext.lcMsgBase + WT_PACKET_OFFSET) {
        PACKET pk;
        bget = m_wtPacket(HCTX(Msg.lParam), uint32_t(Msg.wParam), &pk) != 0;
        if (bget)
            readPacket(pk);
        handled = true;
    } else if (Msg.msg == m_logcontext.lcMsgBase + WT_PROXIMITY_OFFSET) {
        m_recognition = (Msg.lParam & 0xFFFF) != 0;
        handled = true;
    }
    if (m_type == 0)
        m_wtPacketsGet(m_handle, 1, nullptr);
    return handled;
}

void TWinTab32::readPacket(const PACKET &pk)
{
    const LOGCONTEXTA &lc = m_logcontext;
    // Relative to the output origin (not the system one): a monitor left of the first has a
    // negative system origin, and the packet's place in the output area starts at 0.
    m_packet.X = toScreen(pk.pkX - lc.lcOutOrgX, lc.lcSysExtX, lc.lcOutExtX, lc.lcSysOrgX);
    m_packet.Y = toScreen(lc.lcOutOrgY - pk.pkY, lc.lcSysExtY, lc.lcOutExtY, lc.lcSysOrgY);
    m_packet.Pressure = int32_t(pk.pkNormalPressure);
    m_packet.Twist = pk.pkOrientation.orTwist;
    m_packet.Altitude = pk.pkOrientation.orAltitude;
    m_packet.Azimuth = pk.pkOrientation.orAzimuth;
    m_packet.Buttons = pk.pkButtons;
}

bool TWinTab32::flushPackets()
{
    if (isOpened())
        while (m_wtPacketsGet(m_handle, 1, nullptr) > 0) {
        }
    return isOpened();
}

template <typename F> bool TWinTab32::editContext(F &&change)
{
    if (!isOpened())
        return false;
    LOGCONTEXTA lc;
    if (!m_wtGet(m_handle, &lc))
        return false;
    change(lc);
    if (!m_wtSet(m_handle, &lc))
        return false;
    m_logcontext = lc;
    return true;
}

bool TWinTab32::setSysOrg(int32_t x, int32_t y)
{
    return editContext([&](LOGCONTEXTA &lc) {
        lc.lcOutOrgX = lc.lcSysOrgX = x;
        lc.lcOutOrgY = lc.lcSysOrgY = y;
    });
}

bool TWinTab32::setTrackingRelative(bool sw)
{
    return editContext([&](LOGCONTEXTA &lc) { lc.lcSysMode = sw ? 1 : 0; });
}

float TWinTab32::Pressure() const
{
    return m_maxPressure > 0 ? ratio(m_packet.Pressure, m_maxPressure) : 1.0f;
}

float TWinTab32::Twist() const
{
    return ratio(m_packet.Twist, m_maxTwist);
}

float TWinTab32::Altitude() const
{
    return ratio(m_packet.Altitude, m_maxAltitude);
}

float TWinTab32::Azimuth() const
{
    return ratio(m_packet.Azimuth, m_maxAzimuth);
}
