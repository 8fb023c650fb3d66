#include "document/stroke/stroke_pixel_procs.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "core/pixel/blend_modes.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/stroke/paper_stroke.h"
#include "paint/render/stroke_context.h"
#include "paint/stroke/stroke.h"
#include "paint/stroke/stroke_tables.h"
#include "paint/tone/tone_manager.h"

namespace {

IPaperOwner *gCurrentOwner = nullptr;

// The mask's effect at a layer position (nothing masks without a current mask).
uint32_t maskEffect(int32_t x, int32_t y, uint32_t a)
{
    return gCurrentMask ? gCurrentMask->effectMask(x + gMaskOffset.x, y + gMaskOffset.y, a) : a;
}

uint32_t toneEffect(int32_t x, int32_t y, uint32_t a)
{
    return gCurrentToneMngr ? gCurrentToneMngr->effectScreenTone(x, y, uint8_t(std::min(a, 255u)))
                            : a;
}

// The document gradient's colour at (x, y) in pixel byte order; a white without a document.
sBGRA gradColourAt(int32_t x, int32_t y)
{
    TPaper *paper = currentDrawPaper();
    if (!paper)
        return sBGRA{.all = 0xFFFFFFFF};
    const sRGBA c = calcGradColor(*paper, sPos{x, y});
    return sBGRA{{c.B, c.G, c.R, c.A}};
}

// The position puts with the drawing primitives' argument order.
void channelPutAdapter(TChannel &ch, int32_t x, int32_t y, int32_t value, int32_t opacity)
{
    channelPutAt(ch, x, y, uint32_t(std::clamp(opacity, 0, 255)), uint32_t(value));
}

void canvasPutAdapter(TMTC &tc, int32_t x, int32_t y, uint32_t col, int32_t a)
{
    pixelPutAt(tc, x, y, uint32_t(std::clamp(a, 0, 255)), col);
}

} // namespace

void initialiseDocumentStrokes()
{
    initStrokePixelProcs();
    buildPercentTables();
    SStrokeDocumentHooks hooks;
    hooks.selectStrokePutProcs = [](TStroke &stroke) { selectStrokePutProcs(stroke); };
    hooks.strokeWindowUsesOldDrawProc = [] {
        const TPaper *paper = currentDrawPaper();
        return paper && paper->m_fnDraw == eDrawProc::Draw1;
    };
    installStrokeDocumentHooks(std::move(hooks));
}

void setCurrentDrawWindow(IPaperOwner *window)
{
    gCurrentOwner = window;
    gCurrentDrawWindow = nullptr;
    refreshMaskGlobals();
}

IPaperOwner *currentDrawOwner()
{
    return gCurrentOwner;
}

TPaper *currentDrawPaper()
{
    if (!gCurrentOwner)
        return nullptr;
    TFlowImage *flow = gCurrentOwner->flow();
    return flow ? flow->paper() : nullptr;
}

void refreshMaskGlobals()
{
    TPaper *paper = currentDrawPaper();
    gCurrentToneMngr = appMainToneMngrFor(paper);
    gCurrentMask = nullptr;
    gMaskOffset = {0, 0};
    if (!paper || !paper->bEnbMask)
        return;
    gCurrentMask = paper->getActiveMaskData();
    if (CMaskData::hasMask(gCurrentMask)) {
        const CLayerData *ld = paper->getActiveLayerData();
        const sPos lv = ld ? ld->viewPos : sPos{0, 0};
        gMaskOffset = {gCurrentMask->viewPos.x - lv.x, gCurrentMask->viewPos.y - lv.y};
    }
}

void setPutProcs()
{
    setCanvasPutProc(canvasPutAdapter);
    setChannelPutProc(channelPutAdapter);
}

void selectStrokePutProcs(TStroke &stroke)
{
    refreshMaskGlobals();
    setStrokeAirMap(&stroke, stroke.m_abMap, false);
    if (gStrokeProcsLocked)
        return;
    struct SRow
    {
        fptrStrokePutCh ch;
        fptrStrokePutTC tc;
    };
    // Indexed by mask × 4 + tone × 2 + gradient.
    static constexpr SRow kRows[8] = {
        {channelPutPlain, pixelPutPlain},
        {channelPutPlain, pixelPutGradient},
        {channelPutToned, pixelPutToned},
        {channelPutToned, pixelPutTonedGradient},
        {channelPutMasked, pixelPutMasked},
        {channelPutMasked, pixelPutMaskedGradient},
        {channelPutMaskedToned, pixelPutMaskedToned},
        {channelPutMaskedToned, pixelPutMaskedTonedGradient},
    };
    const int row = (CMaskData::hasMask(gCurrentMask) ? 4 : 0) + (stroke.m_bUseTone ? 2 : 0) +
                    (stroke.m_bUseGradation ? 1 : 0);
    gChannelPutAt = kRows[row].ch;
    gCanvasPutAt = kRows[row].tc;
    setPutProcs();
    gStrokeColorPut = stroke.m_bProtectMask ? pixelPutAlpha : pixelPutOver;
}

void prepareStrokeForPaper(TStroke &stroke, TPaper *paper)
{
    selectStrokePutProcs(stroke);
    if (!paper)
        return;
    if (paper->getLayerCount() > 0) {
        if (const CLayerData *ld = paper->getActiveLayerData())
            stroke.switchMaskProtection(ld->maskProtected, true);
    }
    if (paper->isEventPlaying() && paper->m_fnDraw == eDrawProc::Draw1)
        gStrokeColorPut = pixelPutAlpha;
    // A live gradient stroke paints with the working gradient, whose stops the recorder writes
    // for it, not with a group bound earlier: when the document was made (before the gradient
    // set had a working gradient) or by a replay into this document.
    if (stroke.m_bUseGradation && !paper->isEventPlaying())
        bindCurGradColorGroup(*paper);
}

void resetStrokePipeline(TStroke &stroke)
{
    setStrokeAirMap(&stroke, stroke.m_abMap, true);
    prepareStrokeForPaper(stroke, nullptr);
}

void channelPutAt(TChannel &ch, int32_t x, int32_t y, uint32_t opacity, uint32_t value)
{
    if (!ch.isEnable() || x < 0 || y < 0 || x >= ch.width() || y >= ch.height())
        return;
    gChannelPutAt(ch.seek8(x, y), x, y, opacity, value);
}

void pixelPutAt(TMTC &tc, int32_t x, int32_t y, uint32_t opacity, uint32_t colour)
{
    if (!tc.isEnable() || x < 0 || y < 0 || x >= tc.width() || y >= tc.height())
        return;
    gCanvasPutAt(tc.seek32(x, y), x, y, opacity, colour);
}

void channelPutMasked(uint8_t *pixel, int32_t x, int32_t y, uint32_t alpha, uint32_t value) noexcept
{
    const uint32_t a = maskEffect(x, y, alpha);
    if (a != 0)
        gChannelValuePut(pixel, value, a);
}

void channelPutToned(uint8_t *pixel, int32_t x, int32_t y, uint32_t alpha, uint32_t value) noexcept
{
    const uint32_t a = toneEffect(x, y, alpha);
    if (a != 0)
        gChannelValuePut(pixel, value, a);
}

void channelPutMaskedToned(uint8_t *pixel, int32_t x, int32_t y, uint32_t alpha,
                           uint32_t value) noexcept
{
    uint32_t a = maskEffect(x, y, alpha);
    if (a != 0)
        a = toneEffect(x, y, a);
    if (a != 0)
        gChannelValuePut(pixel, value, a);
}

void pixelPutMasked(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha, uint32_t colour) noexcept
{
    const uint32_t a = maskEffect(x, y, alpha);
    if (a != 0)
        gStrokeColorPut(pixel, colour, a);
}

void pixelPutToned(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha, uint32_t colour) noexcept
{
    const uint32_t a = toneEffect(x, y, alpha);
    if (a != 0)
        gStrokeColorPut(pixel, colour, a);
}

void pixelPutGradient(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha, uint32_t) noexcept
{
    const sBGRA c = gradColourAt(x, y);
    gStrokeColorPut(pixel, c.all, mul255(std::min(alpha, 255u), c.A));
}

void pixelPutTonedGradient(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha, uint32_t) noexcept
{
    const uint32_t a = toneEffect(x, y, alpha);
    if (a != 0)
        gStrokeColorPut(pixel, gradColourAt(x, y).all, a);
}

void pixelPutMaskedGradient(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha,
                            uint32_t colour) noexcept
{
    const uint32_t a = maskEffect(x, y, alpha);
    if (a != 0)
        pixelPutGradient(pixel, x, y, a, colour);
}

void pixelPutMaskedToned(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha,
                         uint32_t colour) noexcept
{
    const uint32_t a = maskEffect(x, y, alpha);
    if (a != 0)
        pixelPutToned(pixel, x, y, a, colour);
}

void pixelPutMaskedTonedGradient(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha,
                                 uint32_t colour) noexcept
{
    const uint32_t a = maskEffect(x, y, alpha);
    if (a != 0)
        pixelPutTonedGradient(pixel, x, y, a, colour);
}
