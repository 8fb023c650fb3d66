#include "document/paper/paper.h"

#include "core/profile/app_profile.h"
#include "core/scale/scale_image.h"
#include "document/events/event_manager.h"
#include "document/events/event_record_guard.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper_host.h"
#include "document/selection/select_mng.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "document/transform/select_transform.h"
#include "document/undo/undo_manager.h"
#include "document/view/composition.h"
#include "paint/gradient/gradation.h"
#include "paint/gradient/gradient_stops.h"
#include "paint/stroke/stroke_placement.h"
#include "paint/stroke/stroke_placement4.h"
#include "platform/desktop/cursor.h"
#include "platform/system/debug_output.h"

#include <QFileInfo>

#include <algorithm>
#include <new>

namespace {

PaperPartFault gPaperPartFault;

constexpr int32_t kLayerListCapacity = 24;
constexpr int32_t kMaskListCapacity = 16;
constexpr int32_t kUndoAutoExtCnt = 32;

// Makes one manager: a failure (or an injected one) writes the debugger line and answers nullptr.
template <class T, class Make>
std::unique_ptr<T> makePart(ePaperPart part, const char *failLine, Make make)
{
    try {
        if (gPaperPartFault && gPaperPartFault(part))
            throw std::bad_alloc();
        return make();
    } catch (const std::exception &) {
        debugOut(QString::fromLatin1(failLine));
        return nullptr;
    }
}

bool titleFullpath()
{
    return gAppProfile && gAppProfile->titleFullpath;
}

} // namespace

PaperPartFault setPaperPartFault(PaperPartFault fault)
{
    std::swap(gPaperPartFault, fault);
    return fault;
}

std::unique_ptr<TPaper> TPaper::Create(IPaperOwner *dw)
{
    std::unique_ptr<TPaper> paper(new TPaper(dw));
    if (!paper->construct())
        return nullptr;
    return paper;
}

TPaper::TPaper(IPaperOwner *dw) : m_ownerDW(dw) {}

void TPaper::holdGradGroup(const CColorSlotGroup &group)
{
    if (!m_grad || &group == m_gradGroup.get())
        return;
    auto copy = std::make_unique<CColorSlotGroup>(group);
    m_grad->setGradGroup(copy.get());
    m_gradGroup = std::move(copy);
}

bool TPaper::construct()
{
    // Steps 1, 2 and 4 are the member initialisers: no managers, the level-2 draw procedure and
    // paint level, no size or DPI, zoom 1/1, the canvas colour white and shown, normal mode.
    m_grad = std::make_unique<CGradation>(appSelectedColorSlotGroup());
    m_vram = std::make_unique<TTC>();
    m_rotation = std::make_unique<TTC>();
    m_mixTC = std::make_unique<TTC>();
    m_rotScaler = std::make_unique<CScaleImageTMTC>(m_vram.get(), m_rotation.get());
    m_preview = std::make_unique<TMTC>();
    m_clipTempTC = std::make_unique<TMTC>();
    for (auto &cache : m_zoomCaches)
        cache = std::make_unique<TMTC>();
    m_layerMngr = std::make_unique<CLayerMngr>(kLayerListCapacity);
    m_maskMngr = makePart<CMaskMngr>(ePaperPart::maskMngr, "failed to create maskMngr!", [this] {
        return std::make_unique<CMaskMngr>(this, kMaskListCapacity);
    });
    if (!m_maskMngr || !createUndoMngrEx())
        return false;
    m_eventMngr =
        makePart<CEventMngr>(ePaperPart::eventMngr, "failed to create eventMngr!", [this] {
            return std::make_unique<CEventMngr>(this, kEventExpectedLen, kEventUnitLen);
        });
    if (!m_eventMngr)
        return false;
    // The event undo ring keeps 34 more places than the document's undo history.
    const int32_t undoMax = gAppProfile ? gAppProfile->undoMax : 0;
    const int32_t n = std::max(undoMax + 34, 8);
    if (!m_eventMngr->startRecording(appMainStroke(), appMainToneMngrFor(this), n, n))
        debugOut(QStringLiteral("failed to start event recording!"));
    dispatchGradType(*this);
    return true;
}

TPaper::~TPaper()
{
    m_ready = false;
    changeReadyState(false);
    // A stroke left open keeps nothing of the recorder, which goes below.
    m_strokeRecord.reset();
    // A running free transform holds copies of layers and masks of this document.
    FFreeTransformer.reset();
    closePaintModeQZ5(*this);
    // Strokes must not reach a document that is gone.
    if (m_ownerDW && currentDrawOwner() == m_ownerDW)
        setCurrentDrawWindow(nullptr);
    m_grad.reset();
    m_rotScaler.reset();
    m_vram.reset();
    m_rotation.reset();
    m_mixTC.reset();
    m_preview.reset();
    m_clipTempTC.reset();
    for (auto &cache : m_zoomCaches)
        cache.reset();
    m_undoMngrEx.reset();
    m_maskMngr.reset();
    m_layerMngr.reset();
    m_eventMngr.reset();
    strokeMngr = eActiveStrokeMngr::none;
    m_strokeMngr4.reset();
    m_strokeMngr5.reset();
}

bool TPaper::createUndoMngrEx()
{
    const int32_t undoMax = gAppProfile ? gAppProfile->undoMax : 0;
    m_undoMngrEx =
        makePart<CUndoMngrEx>(ePaperPart::undoMngrEx, "failed to create undoMngrEx!", [&] {
            return std::make_unique<CUndoMngrEx>(this, m_layerMngr.get(), undoMax, undoMax,
                                                 kUndoAutoExtCnt);
        });
    if (!m_undoMngrEx)
        return false;
    // The document-wide history replaces the layers' own.
    m_layerMngr->freeUndoMngrAll();
    return true;
}

void TPaper::freeUndoMngrEx()
{
    m_undoMngrEx.reset();
}

void TPaper::setStrokeMngr4(std::unique_ptr<CStrokeMngr> mngr)
{
    m_strokeMngr4 = std::move(mngr);
    if (!m_strokeMngr4 && strokeMngr == eActiveStrokeMngr::mngr4)
        strokeMngr = eActiveStrokeMngr::none;
}

void TPaper::setStrokeMngr5(std::unique_ptr<CStrokeMngr5> mngr)
{
    m_strokeMngr5 = std::move(mngr);
    if (!m_strokeMngr5 && strokeMngr == eActiveStrokeMngr::mngr5)
        strokeMngr = eActiveStrokeMngr::none;
}

// ---- accessors

int32_t TPaper::ActiveLayer() const
{
    return m_layerMngr ? m_layerMngr->getCurIndex() : -1;
}

int32_t TPaper::MaxLayer() const
{
    return getLayerCount() - 1;
}

int32_t TPaper::getLayerCount() const
{
    return m_layerMngr ? m_layerMngr->getLayerCount() : 0;
}

CLayerData *TPaper::getLayerData(int32_t idx) const
{
    return m_layerMngr ? m_layerMngr->getLayer(idx) : nullptr;
}

CLayerData *TPaper::getActiveLayerData() const
{
    return getLayerData(ActiveLayer());
}

int32_t TPaper::getActiveMaskIndex() const
{
    return m_maskMngr ? m_maskMngr->getCurIndex() : -1;
}

CMaskData *TPaper::getActiveMaskData() const
{
    return m_maskMngr ? m_maskMngr->getActiveMask() : nullptr;
}

bool TPaper::getMaxSize(sSize &size) const
{
    const int32_t n = getLayerCount();
    if (n <= 0)
        return false;
    sSize m{0, 0};
    for (int32_t i = 0; i < n; ++i) {
        const CLayerData *ld = getLayerData(i);
        if (ld->imageTC) {
            m.x = std::max(m.x, ld->imageTC->width());
            m.y = std::max(m.y, ld->imageTC->height());
        }
    }
    size = m;
    return true;
}

TFlowImage *TPaper::getActiveFlow() const
{
    return m_ownerDW ? m_ownerDW->flow() : nullptr;
}

bool TPaper::setFlow(TFlowImage &flow, int32_t index, bool force)
{
    CLayerData *ld = getLayerData(index);
    if (!ld || !ld->imageTC)
        return false;
    return flow.SetFlow(index, *ld->imageTC, force);
}

bool TPaper::isEventPlaying() const
{
    return m_ownerDW && m_ownerDW->isEventPlaying();
}

CPenShapeObj *TPaper::GetActivePenShapeObj() const
{
    if (isEventPlaying() && m_playback)
        return m_playback->playedPenShape();
    return appSelectedPenShape();
}

CPenRender *TPaper::getActivePenRender() const
{
    if (isEventPlaying() && m_playback)
        return m_playback->playedPenRender();
    return appMainPenRender();
}

CPenRender5 *TPaper::getActivePenRender5() const
{
    if (isEventPlaying() && m_playback)
        return m_playback->playedPenRender5();
    return appMainPenRender5();
}

TStroke *TPaper::getActiveStroke() const
{
    if (isEventPlaying() && m_playback)
        return m_playback->playedStroke();
    return appMainStroke();
}

const CColorSlotGroup *TPaper::getActiveColorSlotGroup() const
{
    if (isEventPlaying() && m_playback)
        return m_playback->playedColorSlotGroup();
    return appSelectedColorSlotGroup();
}

// ---- modified state and readiness

std::unique_ptr<CLayerMngr> TPaper::swapLayerMngr(std::unique_ptr<CLayerMngr> mngr)
{
    if (mngr)
        std::swap(m_layerMngr, mngr);
    return mngr;
}

std::unique_ptr<CMaskMngr> TPaper::swapMaskMngr(std::unique_ptr<CMaskMngr> mngr)
{
    if (mngr)
        std::swap(m_maskMngr, mngr);
    return mngr;
}

void TPaper::setModified(bool sw)
{
    if (m_ownerDW)
        m_ownerDW->setModified(sw);
}

void TPaper::changeReadyState(bool ready)
{
    if (FOnChangeReadyState)
        FOnChangeReadyState(*this, ready);
}

QString TPaper::GetCaption() const
{
    const QString name = titleFullpath() ? m_filename : QFileInfo(m_filename).fileName();
    if (m_paperMode == TPaperMode::PM_NETWORK) {
        const QString prefix = QStringLiteral(u"ネットワーク") + QLatin1Char(' ');
        return QStringLiteral("%1( %2 )").arg(name, prefix);
    }
    return name;
}

// ---- canvas colour display

bool TPaper::switchVisCanvasColor(bool sw, bool bg, bool updt)
{
    if (m_canvascolor != 0xFFFFFF)
        return false;
    if (sw == bVisCanvasCol && bg == bVisBGPat)
        return false;
    bVisCanvasCol = sw;
    bVisBGPat = bg;
    if (updt) {
        WaitCursor wait;
        dispatchView(*this, ActiveLayer());
    }
    return true;
}

// ---- grid

void TPaper::SetGrid(bool vis, int32_t w, int32_t h, bool)
{
    m_visGrid = vis;
    m_gridSize = {w < 3 ? 2 : w, h < 3 ? 2 : h};
    WaitCursor wait;
    if (m_ownerDW)
        m_ownerDW->invalidate(false);
}

void TPaper::dispatchGridSize(bool mk)
{
    const sSize sz = gAppProfile ? gAppProfile->gridSize : m_gridSize;
    SetGrid(m_visGrid, sz.x, sz.y, mk);
}

void TPaper::drawOptionalImage(const sBox &) {}

void TPaper::drawOptionalImage()
{
    drawOptionalImage(sBox{0, 0, m_paperSize.x, m_paperSize.y});
    if (m_ownerDW)
        m_ownerDW->invalidate(false);
}

// ---- old mask mode

void TPaper::setOldMaskMode(int32_t idx, TLayerMode lm)
{
    using enum TLayerMode;
    if (lm != LM_MUL && lm != LM_ADD && lm != LM_SUB)
        return;
    if (CLayerData *ld = getLayerData(idx))
        ld->fillAlpha(255);
}

bool TPaper::chkOldMaskMode(int32_t idx, TLayerMode lm)
{
    if (isDrawProcNew())
        return false;
    setOldMaskMode(idx, lm);
    return true;
}
