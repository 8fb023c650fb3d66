// The tablet library in process: the Wintab interface the program reads pens through, served from
// Qt's tablet events. An event filter on the application object turns every QTabletEvent into the
// packet an open context queues (output units of 1/64 pixel over the virtual screen, Y down, in
// the default context; pressure 0..65535; azimuth and twist 0..3600 and altitude 0..900 in tenths
// of a degree, the altitude negative for the eraser end) and posts the context's WT_PACKET and
// WT_PROXIMITY window messages to the context's window. The events themselves stay with Qt, so
// the mouse events it makes of them still come.
//
// The queue behaves as Wintab's: 128 packets at most (the oldest goes when a new one arrives),
// fetching a serial number removes that packet and all older ones, taking removes the oldest.
// A tablet is present when Qt reports a stylus (or a tablet event arrives), or when a test says so.
// Everything runs on the user-interface thread.
#pragma once

#include <QRect>

#include <cstdint>
#include <optional>

class QObject;
class QTabletEvent;

using HCTX = uint32_t;
using HWND = QObject *;
using WTPKT = uint32_t;
using FIX32 = uint32_t;
// A function of the library as its name resolves (cast to its own type before calling).
using FARPROC = void (*)();

// The message base the program asks for and the messages relative to it.
constexpr uint32_t WT_DEFBASE = 0x7FF0;
constexpr uint32_t WT_PACKET_OFFSET = 0, WT_PROXIMITY_OFFSET = 5;
constexpr uint32_t WT_PACKET = WT_DEFBASE + WT_PACKET_OFFSET;
constexpr uint32_t WT_PROXIMITY = WT_DEFBASE + WT_PROXIMITY_OFFSET;

// Information categories and indexes of WTInfoA.
constexpr uint32_t WTI_DEFCONTEXT = 3, WTI_DEFSYSCTX = 4, WTI_DEVICES = 100;
constexpr uint32_t DVC_X = 12, DVC_Y = 13, DVC_Z = 14, DVC_NPRESSURE = 15, DVC_TPRESSURE = 16;
constexpr uint32_t DVC_ORIENTATION = 17;

// Packet fields (lcPktData, lcMoveMask, pkChanged).
constexpr WTPKT PK_CONTEXT = 0x0001, PK_STATUS = 0x0002, PK_TIME = 0x0004, PK_CHANGED = 0x0008;
constexpr WTPKT PK_SERIAL_NUMBER = 0x0010, PK_CURSOR = 0x0020, PK_BUTTONS = 0x0040;
constexpr WTPKT PK_X = 0x0080, PK_Y = 0x0100, PK_Z = 0x0200, PK_NORMAL_PRESSURE = 0x0400;
constexpr WTPKT PK_TANGENT_PRESSURE = 0x0800, PK_ORIENTATION = 0x1000;
constexpr WTPKT PK_ALL = 0x1FFF;

// Context options (lcOptions) and packet status bits (pkStatus).
constexpr uint32_t CXO_SYSTEM = 0x0001, CXO_PEN = 0x0002, CXO_MESSAGES = 0x0004;
constexpr uint32_t TPS_PROXIMITY = 0x0001, TPS_INVERT = 0x0010;

// Cursor numbers of pkCursor: the pen's tip and its eraser end.
constexpr uint32_t kCursorPuck = 0, kCursorPen = 1, kCursorEraser = 2;

// Maxima of the axes this library reports.
constexpr int32_t kWintabPressureMax = 65535, kWintabTangentMax = 1023;
constexpr int32_t kWintabAzimuthMax = 3600, kWintabAltitudeMax = 900, kWintabTwistMax = 3600;
// Input units per screen pixel.
constexpr int32_t kWintabUnitsPerPixel = 64;

struct AXIS
{
    int32_t axMin = 0;
    int32_t axMax = 0;
    uint32_t axUnits = 0;
    FIX32 axResolution = 0;
};

struct ORIENTATION
{
    int32_t orAzimuth = 0;
    int32_t orAltitude = 0;
    int32_t orTwist = 0;
};

// A logical context in its ANSI form.
struct LOGCONTEXTA
{
    char lcName[40] = {};
    uint32_t lcOptions = 0;
    uint32_t lcStatus = 0;
    uint32_t lcLocks = 0;
    uint32_t lcMsgBase = 0;
    uint32_t lcDevice = 0;
    uint32_t lcPktRate = 0;
    WTPKT lcPktData = 0;
    WTPKT lcPktMode = 0;
    WTPKT lcMoveMask = 0;
    uint32_t lcBtnDnMask = 0;
    uint32_t lcBtnUpMask = 0;
    int32_t lcInOrgX = 0, lcInOrgY = 0, lcInOrgZ = 0;
    int32_t lcInExtX = 0, lcInExtY = 0, lcInExtZ = 0;
    int32_t lcOutOrgX = 0, lcOutOrgY = 0, lcOutOrgZ = 0;
    int32_t lcOutExtX = 0, lcOutExtY = 0, lcOutExtZ = 0;
    FIX32 lcSensX = 0, lcSensY = 0, lcSensZ = 0;
    int32_t lcSysMode = 0; // BOOL: relative system-cursor tracking
    int32_t lcSysOrgX = 0, lcSysOrgY = 0;
    int32_t lcSysExtX = 0, lcSysExtY = 0;
    FIX32 lcSysSensX = 0, lcSysSensY = 0;
};

// The packet of all thirteen fields (PK_ALL), 32 bits each, in Wintab's order.
struct PACKET
{
    HCTX pkContext = 0;
    uint32_t pkStatus = 0;
    uint32_t pkTime = 0;
    WTPKT pkChanged = 0;
    uint32_t pkSerialNumber = 0;
    uint32_t pkCursor = 0;
    uint32_t pkButtons = 0;
    int32_t pkX = 0, pkY = 0, pkZ = 0;
    uint32_t pkNormalPressure = 0;
    uint32_t pkTangentPressure = 0;
    ORIENTATION pkOrientation;
};
static_assert(sizeof(PACKET) == 60, "a full packet is 60 bytes");

// The library's functions, as their names resolve.
using WTCLOSE = int32_t (*)(HCTX);
using WTINFOA = uint32_t (*)(uint32_t category, uint32_t index, void *output);
using WTOPENA = HCTX (*)(HWND, LOGCONTEXTA *, int32_t enable);
using WTGETA = int32_t (*)(HCTX, LOGCONTEXTA *);
using WTSETA = int32_t (*)(HCTX, LOGCONTEXTA *);
using WTPACKET = int32_t (*)(HCTX, uint32_t serial, void *packet);
using WTPACKETSGET = int32_t (*)(HCTX, int32_t maxPackets, void *packets);
using WTENABLE = int32_t (*)(HCTX, int32_t enable);

// Loading: the module handle of the named library ("WinTab32.dll"), 0 for any other name. Each
// load is matched by a free; the event filter is installed with the first load.
uint32_t wintabLoadLibrary(const char *name);
void wintabFreeLibrary(uint32_t module);
// The function of that name, null for a name the library lacks (or a module it did not give).
FARPROC wintabGetProcAddress(uint32_t module, const char *name);

// Whether a tablet is present now.
bool wintabTabletPresent();

// The packet an open context with this setting would queue for the event (context, serial number
// and changed fields left 0). Positions map from the virtual screen through the system area to
// the output area; a negative output extent counts from the top.
PACKET wintabPacketFromEvent(const QTabletEvent &event, const LOGCONTEXTA &context);

// Test controls. `present` overrides the stylus Qt reports; `virtualScreen` the screens' union;
// a name in `missingFunctions` (comma separated) does not resolve; `axisMax` overrides the
// maxima reported for DVC_ORIENTATION (azimuth, altitude, twist) and `pressureMax` DVC_NPRESSURE.
struct SWintabTestSetup
{
    std::optional<bool> present;
    std::optional<QRect> virtualScreen;
    const char *missingFunctions = "";
    std::optional<ORIENTATION> orientationMax;
    std::optional<int32_t> pressureMax;
};
void setWintabTestSetup(const SWintabTestSetup &setup);
// Back to the real state: no overrides; every context closed, every queue empty.
void resetWintab();
// The virtual screen the library maps over (the override when set).
QRect wintabVirtualScreen();
// Packets waiting in an open context's queue (0 for a closed one).
int32_t wintabQueueLength(HCTX context);
