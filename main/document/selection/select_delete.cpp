#include "document/selection/select_delete.h"

#include "document/events/event_manager.h"
#include "document/events/event_packets.h"
#include "document/events/event_replay.h"
#include "document/paper/paper.h"
#include "document/selection/figure_fill_ops.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "paint/render/stroke_context.h"
#include "paint/stroke/stroke.h"

#include <algorithm>

namespace {

// The put the clearing put mixes the colour with: the chain's colour put before the swap.
fptrPixelPut4core gClearBasePut = nullptr;

// Puts the stroke's tone switch and opacity, the hold and the put slots back when the clear ends,
// however it ends: the procedures chosen for the clear are not left to the next stroke.
class CClearScope
{
  public:
    explicit CClearScope(TStroke &stroke)
        : m_stroke(stroke), m_tone(stroke.m_bUseTone), m_opaque(stroke.m_opaque),
          m_locked(gStrokeProcsLocked), m_base(gClearBasePut), m_colour(gStrokeColorPut),
          m_ch(gChannelPutAt), m_tc(gCanvasPutAt)
    {
    }
    ~CClearScope()
    {
        m_stroke.m_bUseTone = m_tone;
        m_stroke.m_opaque = m_opaque;
        gStrokeProcsLocked = m_locked;
        gClearBasePut = m_base;
        gStrokeColorPut = m_colour;
        gChannelPutAt = m_ch;
        gCanvasPutAt = m_tc;
    }
    CClearScope(const CClearScope &) = delete;
    CClearScope &operator=(const CClearScope &) = delete;

  private:
    TStroke &m_stroke;
    bool m_tone;
    float m_opaque;
    bool m_locked;
    fptrPixelPut4core m_base;
    fptrPixelPut4core m_colour;
    fptrStrokePutCh m_ch;
    fptrStrokePutTC m_tc;
};

bool playSelectDelete(CEventMngr &mngr, TPaper &paper, uint8_t, std::span<const uint8_t> body)
{
    SEvFillFigure b;
    if (!readEventRecord(body, b))
        return false;
    // The packet's fields are packed: copied out before use.
    const int32_t idx = b.idx;
    const uint32_t colour = b.colour;
    if (idx > paper.MaxLayer() || !doSelectDelete(paper, nullptr, idx, colour, false))
        return false;
    mngr.playUpdt |= updtRefresh;
    return true;
}

} // namespace

void clearSelectionPut(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    if (a == 0)
        return;
    const uint8_t was = dst->A;
    if (gClearBasePut)
        gClearBasePut(dst, col, a);
    dst->A = was == 0 ? 0 : uint8_t(mul255(dst->A, 255 - std::min(a, 255u)));
}

bool doSelectDelete(TPaper &paper, TFlowImage *flow, int32_t idx, uint32_t color, bool undo)
{
    TStroke *stroke = paper.getActiveStroke();
    if (!stroke)
        return false;
    const CClearScope scope(*stroke);
    // The tone goes off before the procedures are chosen: a clear is never toned. Full opacity,
    // so that the put sees the selection's own coverage.
    stroke->m_bUseTone = false;
    stroke->m_opaque = 1.0f;
    gStrokeProcsLocked = false;
    selectStrokePutProcs(*stroke);
    gClearBasePut = gStrokeColorPut;
    const StrokeColorPutSwap swap(clearSelectionPut);
    gStrokeProcsLocked = true;
    return eventFillAll(paper, flow, idx, color, undo, false);
}

void registerSelectDeleteReplayRow()
{
    registerEventReplay(6, 5, QStringLiteral("clear selection"), playSelectDelete);
}
