// TWinTab32: pen position, pressure and orientation from a pressure-sensitive tablet through the
// Wintab interface (platform/tablet). One object per process, made by the main window at start.
// Without the library, or without a tablet, every call answers false or does nothing and the
// program draws with the mouse alone. The main window opens a context for its own window while
// the application is active and hands every message to GetPacket while one is open.
#pragma once

#include "platform/desktop/window_message.h"
#include "platform/tablet/wintab.h"

#include <cstdint>

// The last packet read. X and Y are screen pixels with fraction; the axes are raw device units.
struct TTabletPacket
{
    float X = 0;
    float Y = 0;
    float Z = 0; // not filled
    int32_t Pressure = 0;
    int32_t Twist = 0;
    int32_t Altitude = 0;
    int32_t Azimuth = 0;
    uint32_t Buttons = 0;
};

class TWinTab32
{
  public:
    // Disabled and without the library; with init, loads it at once (initialize).
    TWinTab32(bool init, int32_t tp);
    // Closes the context and frees the library.
    virtual ~TWinTab32();
    TWinTab32(const TWinTab32 &) = delete;
    TWinTab32 &operator=(const TWinTab32 &) = delete;

    // Loads the library and resolves its eight functions when not enabled yet. Enabled only when
    // every one resolves: a library without one of them is left unloaded. Whether enabled now.
    bool initialize();
    bool isEnable() const { return m_enabled; }
    bool isOpened() const { return m_enabled && m_handle != 0; }
    // Opens a context for handle over the whole virtual screen; true when one is open afterwards
    // (also when it was open before: a second call opens no other).
    bool Open(HWND handle);
    // Closes an open context and forgets its handle; the pen counts as out of proximity, since
    // no message will say when it leaves.
    void Close();
    // Reads a WT_PACKET or WT_PROXIMITY message of this context's message base; false for any
    // other message. bget: a packet was found and is now in m_packet. With type 0 every call
    // also takes one packet out of the queue, so that it never fills.
    bool GetPacket(const TMessage &Msg, bool &bget);
    // Empties the context's queue one packet at a time; whether a context is open.
    bool flushPackets();
    // Sets the context's output origin and system origin both to (x, y).
    bool setSysOrg(int32_t x, int32_t y);
    // System-cursor tracking relative (sw) or absolute.
    bool setTrackingRelative(bool sw);

    // The last packet's axes over their maxima; pressure runs from 0 to 1, altitude is negative
    // for the eraser end. A device without a pressure axis reads full pressure.
    float Pressure() const;
    float Twist() const;
    float Altitude() const;
    float Azimuth() const;

    int32_t m_osVer = 0;
    int32_t m_type = 0;
    bool m_enabled = false;
    uint32_t m_lib = 0;
    HWND m_hwnd = nullptr;
    uint32_t m_handle = 0;
    TTabletPacket m_packet;
    bool m_recognition = false;
    LOGCONTEXTA m_logcontext;
    int32_t m_maxPressure = 0, m_maxTwist = 0, m_maxAltitude = 0, m_maxAzimuth = 0;
    uint32_t m_maxX = 0, m_maxY = 0;
    bool m_ifTwist = false, m_ifAltitude = false, m_ifAzimuth = false;
    WTCLOSE m_wtClose = nullptr;
    WTINFOA m_wtInfo = nullptr;
    WTOPENA m_wtOpen = nullptr;
    WTGETA m_wtGet = nullptr;
    WTSETA m_wtSet = nullptr;
    WTPACKET m_wtPacket = nullptr;
    WTPACKETSGET m_wtPacketsGet = nullptr;
    WTENABLE WTEnable = nullptr;

  private:
    bool resolveFunctions();
    void forgetFunctions();
    void readDeviceMaxima();
    void prepareContext(const QRect &system);
    QRect systemArea() const;
    void readPacket(const PACKET &pk);
    // Reads the open context, lets change edit it, writes it back; true when both calls succeed.
    template <typename F> bool editContext(F &&change);
};
