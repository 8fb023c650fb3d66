// The withdraw guard of an operation whose change can fail after it recorded: it remembers the
// stream length, the event count, the event ring, the status cache, the object maps and the
// stroke buffer (and the bytes of undone events that a redo would bring back), and unless commit()
// is called after the change succeeded, puts them all back
// when it goes, so that no packet of a failed change stays and the next event is written as if
// nothing had happened. Over a manager that is not recording it does nothing.
#pragma once

#include "document/events/event_manager.h"

#include <cstdint>
#include <utility>
#include <vector>

class CEventRecordGuard
{
  public:
    explicit CEventRecordGuard(CEventMngr &mngr);
    ~CEventRecordGuard();
    CEventRecordGuard(const CEventRecordGuard &) = delete;
    CEventRecordGuard &operator=(const CEventRecordGuard &) = delete;

    // The change succeeded: what was recorded stays.
    void commit() { m_committed = true; }

  private:
    void restore();

    CEventMngr &m_mngr;
    bool m_armed = false;
    bool m_committed = false;
    uint32_t m_curLength = 0;
    uint32_t m_topEventPos = 0;
    uint32_t m_eventCnt = 0;
    std::vector<uint8_t> m_ring;
    std::vector<uint8_t> m_redoBytes; // the undone events past the stream's end
    int32_t m_backCnt = 0;
    int32_t m_foreCnt = 0;
    std::ptrdiff_t m_top = 0;
    SEvEnbSet m_enb;
    std::array<std::vector<uint8_t>, kEvValueCount> m_values;
    QString m_fontText;
    std::vector<std::pair<uint32_t, uint32_t>> m_toneMap;
    std::vector<std::pair<uint32_t, uint32_t>> m_nibMap;
    CColorSlotGroup m_gradGroup;
    SEvStrokeTarget m_strokeTarget;
    std::array<SEvStrokePoint, 16> m_strokeList{};
    int32_t m_strokeCnt = 0, m_strokeTotalCnt = 0, m_strokePacketCnt = 0;
};
