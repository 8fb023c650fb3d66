#include "document/selection/colour_range.h"

#include "core/image/channel.h"
#include "core/image/display_canvas.h"
#include "core/mask/mask_manager.h"
#include "core/pixel/blend_modes.h"
#include "core/pixel/pixel.h"
#include "core/tiles/block_layer_image.h"
#include "document/edit/edit_ops.h"
#include "document/events/event_manager.h"
#include "document/events/event_packets.h"
#include "document/events/event_record_guard.h"
#include "document/events/event_replay.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/selection/effect_rect.h"
#include "document/selection/selection_ops.h"
#include "document/view/composition.h"
#include "paint/stroke/stroke.h"
#include "platform/codec/block_compress.h"
#include "platform/desktop/cursor.h"
#include "platform/desktop/messages.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

uint32_t colorRangeFalloff(uint32_t d, uint32_t T)
{
    if (T == 0)
        return d == 0 ? 255 : 0;
    const float x = 1.5f - float(d) / float(T);
    if (x <= 0)
        return 0;
    if (x < 0.5f)
        return uint32_t(std::trunc(512.0f * x));
    return 255;
}

std::vector<uint8_t> packColorRange(const SColorMask &param, std::span<const SPicCol> pcol)
{
    std::vector<uint8_t> out(sizeof param + pcol.size() * sizeof(SPicCol));
    std::memcpy(out.data(), &param, sizeof param);
    if (!pcol.empty())
        std::memcpy(out.data() + sizeof param, pcol.data(), pcol.size() * sizeof(SPicCol));
    return out;
}

bool unpackColorRange(std::span<const uint8_t> bytes, SColorMask &param,
                      std::vector<SPicCol> &pcol)
{
    if (bytes.size() < sizeof param)
        return false;
    SColorMask p;
    std::memcpy(&p, bytes.data(), sizeof p);
    if (p.cnt < 0 || p.cnt > kColorRangeMaxPicks ||
        bytes.size() != sizeof p + size_t(p.cnt) * sizeof(SPicCol))
        return false;
    pcol.resize(size_t(p.cnt));
    if (p.cnt > 0)
        std::memcpy(pcol.data(), bytes.data() + sizeof p, size_t(p.cnt) * sizeof(SPicCol));
    param = p;
    return true;
}

// ---- rendering

void CColorMask::setParam(const SColorMask &param, const CBlockVMTC *src, TChannel *dest,
                          const CMaskData *mask, const sPos &ofsPos)
{
    m_mode = param.mode;
    m_src = src;
    m_dest = dest;
    m_mask = mask;
    m_mofs = ofsPos;
}

bool CColorMask::Rendering(std::span<const SPicCol> pcol)
{
    m_selectCnt = m_lowCnt = m_highCnt = 0;
    if (!m_src || !m_dest)
        return true;
    const CBlockVCH *limit = CMaskData::hasMask(m_mask) ? m_mask->maskTC.get() : nullptr;
    const int32_t w = std::min(m_src->width(), m_dest->width());
    const int32_t h = std::min(m_src->height(), m_dest->height());
    for (int32_t y = 0; y < h; ++y) {
        uint8_t *row = m_dest->seek8(0, y);
        for (int32_t x = 0; x < w; ++x) {
            if (limit && limit->pixelGet2(x + m_mofs.x, y + m_mofs.y) == 0)
                continue;
            const uint32_t px = m_src->getColor(x, y);
            const uint32_t a = px >> 24;
            if (a <= 1) {
                ++m_lowCnt;
                continue;
            }
            int32_t c = row[x];
            for (const SPicCol &p : pcol) {
                const uint32_t T = 2u * uint32_t(p.range) * uint32_t(p.range);
                uint32_t v = colorRangeFalloff(colorDistSq(p.col, px), T);
                // A see-through pixel is taken more readily.
                if (v > 0 && v < 255 && a < 255)
                    v = std::min<uint32_t>(255, v + v * (255 - a) / 255);
                c = p.sign ? std::min(255, c + int32_t(v)) : std::max(0, c - int32_t(v));
            }
            row[x] = uint8_t(c);
            if (c > 1)
                ++m_selectCnt;
            else
                ++m_lowCnt;
            if (c == 255)
                ++m_highCnt;
        }
    }
    return true;
}

// ---- document operations

namespace {

bool picksMatch(const SColorMask &param, std::span<const SPicCol> pcol)
{
    return param.cnt >= 0 && param.cnt <= kColorRangeMaxPicks && size_t(param.cnt) == pcol.size() &&
           param.isVRAM <= 1;
}

// The display image as a tiled source, every pixel opaque.
std::unique_ptr<CBlockVMTC> opaqueDisplayCopy(const TTC &vram)
{
    auto src = std::make_unique<CBlockVMTC>(vram.width(), vram.height());
    if (!src->isEnable())
        return nullptr;
    for (int32_t y = 0; y < vram.height(); ++y)
        for (int32_t x = 0; x < vram.width(); ++x)
            if (!src->setPixel(x, y, vram.getColor(x, y) | 0xFF000000u))
                return nullptr;
    return src;
}

} // namespace

bool renderColorRange(TPaper &paper, const CLayerData &ld, TChannel &dest, const CMaskData *mask,
                      const SColorMask &param, std::span<const SPicCol> pcol, int32_t &count)
{
    if (!picksMatch(param, pcol) || !ld.imageTC)
        return false;
    const bool limited = CMaskData::hasMask(mask);
    try {
        std::unique_ptr<CBlockVMTC> copy;
        const CBlockVMTC *src = ld.imageTC.get();
        sPos ofs;
        if (param.isVRAM) {
            copy = opaqueDisplayCopy(paper.vram());
            if (!copy)
                return false;
            src = copy.get();
            if (limited)
                ofs = mask->viewPos;
        } else {
            sRect eff;
            if (!getEffectRect(ld.imageTC.get(), ld.viewPos, mask, eff))
                return false;
            if (limited)
                ofs = {mask->viewPos.x - ld.viewPos.x, mask->viewPos.y - ld.viewPos.y};
        }
        CColorMask cm;
        cm.setParam(param, src, &dest, limited ? mask : nullptr, ofs);
        cm.Rendering(pcol);
        count = int32_t(cm.m_selectCnt);
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

bool commitColorRange(TPaper &paper, const TChannel &channel, int32_t idx, int32_t maskIdx,
                      const SColorMask &param, std::span<const SPicCol> pcol, bool undo)
{
    CLayerData *ld = paper.getLayerData(idx);
    CMaskMngr &mm = paper.maskMngr();
    if (maskIdx < 0)
        maskIdx = mm.getCurIndex();
    if (!ld || !ld->imageTC || !mm.chkIndex(maskIdx) || !picksMatch(param, pcol))
        return false;
    const sSize sz = param.isVRAM ? sSize{paper.vram().width(), paper.vram().height()}
                                  : sSize{ld->imageTC->width(), ld->imageTC->height()};
    const sPos ofs = param.isVRAM ? sPos{0, 0} : ld->viewPos;
    if (channel.width() < sz.x || channel.height() < sz.y)
        return false;
    std::unique_ptr<CMaskData> old;
    {
        CEventRecordGuard guard(paper.eventMngr());
        if (!recordEvent(paper.eventMngr(), undo, [&] {
                const std::vector<uint8_t> cm = packColorRange(param, pcol);
                return paper.eventMngr().pushEventAlphaColorRange(idx, maskIdx, cm, channel,
                                                                  uint8_t(eMaskAddType::matNew));
            }))
            return false;
        if (!mm.replaceMask(maskIdx, channel, sz, ofs, old, eMaskAddType::matNew))
            return false;
        guard.commit();
    }
    if (undo)
        pushMaskReplace(paper, idx, maskIdx, std::move(old));
    mm.createAnts(paper.m_paperSize, -1);
    updateSelectWindow(paper, maskIdx);
    updateAnts(paper, true, true);
    return true;
}

bool applyColorRange(TPaper &paper, TFlowImage *, int32_t idx, int32_t maskIdx,
                     const SColorMask &param, std::span<const SPicCol> pcol, bool undo)
{
    CLayerData *ld = paper.getLayerData(idx);
    CMaskMngr &mm = paper.maskMngr();
    if (maskIdx < 0)
        maskIdx = mm.getCurIndex();
    if (!ld || !ld->imageTC || !mm.chkIndex(maskIdx) || !picksMatch(param, pcol))
        return false;
    WaitCursor hourglass;
    // A channel covering the layer and the display image, as the work image's would.
    TChannel ch;
    if (!ch.Resize(std::max(ld->imageTC->width(), paper.vram().width()),
                   std::max(ld->imageTC->height(), paper.vram().height())))
        return false;
    ch.PixelFill(0);
    if (param.isVRAM)
        UpdateVRAM(paper, false, true);
    int32_t count = 0;
    if (!renderColorRange(paper, *ld, ch, mm.getMask(maskIdx), param, pcol, count))
        return false;
    if (count == 0)
        return true; // nothing selected: nothing changes
    return commitColorRange(paper, ch, idx, maskIdx, param, pcol, undo);
}

// ---- the dialog's half

SColorRangeSettings &colorRangeSettings()
{
    static SColorRangeSettings settings;
    return settings;
}

CColorPickList::eUpdate CColorPickList::pick(uint32_t col, ePicMode mode, int32_t tolerance)
{
    if ((col >> 24) == 0)
        return eUpdate::none;
    const uint8_t range = uint8_t(std::clamp(tolerance, 1, 255));
    if (mode == ePicMode::modeNomal) {
        m_list.assign(1, SPicCol{col, 1, range, 0});
        return eUpdate::full;
    }
    const uint8_t sign = mode == ePicMode::modePlus ? 1 : 0;
    eUpdate upd = eUpdate::incremental;
    const auto same = std::find_if(m_list.begin(), m_list.end(), [&](const SPicCol &p) {
        return (p.col & 0xFFFFFF) == (col & 0xFFFFFF) && p.sign == sign;
    });
    if (same != m_list.end()) {
        m_list.erase(same);
        upd = eUpdate::full;
    }
    if (int32_t(m_list.size()) >= kColorRangeMaxPicks) {
        showWarning(QStringLiteral("これ以上%1を追加できません！").arg(QStringLiteral("色")));
        return upd == eUpdate::full ? upd : eUpdate::none;
    }
    m_list.push_back(SPicCol{col, sign, range, 0});
    return upd;
}

bool CColorPickList::setLastTolerance(int32_t tolerance)
{
    if (m_list.empty())
        return false;
    m_list.back().range = uint8_t(std::clamp(tolerance, 1, 255));
    return true;
}

void CColorPickList::reset(uint32_t strokeColor, int32_t tolerance)
{
    m_list.assign(1, SPicCol{strokeColor, 1, uint8_t(std::clamp(tolerance, 1, 255)), 0});
}

SColorMask CColorPickList::param(bool isVRAM) const
{
    SColorMask p;
    p.cnt = int32_t(m_list.size());
    p.isVRAM = isVRAM ? 1 : 0;
    return p;
}

sBox colorRangeSourceArea(const TPaper &paper, int32_t idx, bool isVRAM)
{
    const CLayerData *ld = paper.getLayerData(idx);
    const sSize disp = paper.m_paperSize;
    if (!ld || !ld->imageTC)
        return {0, 0, disp.x, disp.y};
    const sPos pos = isVRAM ? sPos{0, 0} : ld->viewPos;
    const sSize size = isVRAM ? disp : sSize{ld->imageTC->width(), ld->imageTC->height()};
    const CMaskData *md = paper.getActiveMaskData();
    sRect eff;
    const bool effOk = getEffectRect(ld->imageTC.get(), ld->viewPos, md, eff);
    if (CMaskData::hasMask(md) && effOk)
        return {std::clamp(pos.x, 0, std::max(0, disp.x - size.x)),
                std::clamp(pos.y, 0, std::max(0, disp.y - size.y)), size.x, size.y};
    if (!effOk)
        return {pos.x, pos.y, size.x, size.y};
    if (isVRAM) // the effect rectangle in paper coordinates
        eff = {eff.x0 - ld->viewPos.x, eff.y0 - ld->viewPos.y, eff.x1 - ld->viewPos.x,
               eff.y1 - ld->viewPos.y};
    const int32_t x0 = std::clamp(eff.x0, pos.x, pos.x + size.x);
    const int32_t y0 = std::clamp(eff.y0, pos.y, pos.y + size.y);
    const int32_t x1 = std::clamp(eff.x1, pos.x, pos.x + size.x);
    const int32_t y1 = std::clamp(eff.y1, pos.y, pos.y + size.y);
    return {x0, y0, x1 - x0, y1 - y0};
}

sSize colorRangePreviewSize(const sSize &area)
{
    constexpr int32_t kEdge = 192;
    if (area.x <= 0 || area.y <= 0)
        return {1, 1};
    if (area.x >= area.y)
        return {kEdge, std::max(1, int32_t(double(area.y) / double(area.x) * kEdge))};
    return {std::max(1, int32_t(double(area.x) / double(area.y) * kEdge)), kEdge};
}

void makeColorRangePreview(const TMTC &source, const TChannel &ch, int32_t display, TMTC &out)
{
    const int32_t w = std::min({source.width(), ch.width(), out.width()});
    const int32_t h = std::min({source.height(), ch.height(), out.height()});
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t s = ch.getColor(x, y);
            if (display == 0) {
                out.seek32(x, y)->all = 0xFF000000u | (s << 16) | (s << 8) | s;
                continue;
            }
            sBGRA *px = out.seek32(x, y);
            px->all = display == 1 ? 0xFFFFFFFFu : 0xFF000000u;
            pixelPutSrcAlpha(px, source.getColor(x, y), s);
        }
}

// ---- replay

namespace {

// 13/32: the recorded coverage committed again with the parameters of the status before it.
bool playColorRange(CEventMngr &mngr, TPaper &paper, uint8_t, std::span<const uint8_t> body)
{
    SEvAlpha a;
    SColorMask param;
    std::vector<SPicCol> pcol;
    uint32_t len = 0;
    const std::vector<uint8_t> &st = mngr.playColorRange;
    if (!readEventRecord(body, a) || st.size() < 4)
        return false;
    std::memcpy(&len, st.data(), 4);
    if (len != st.size() - 4 ||
        !unpackColorRange(std::span<const uint8_t>(st).subspan(4), param, pcol))
        return false;
    const CLayerData *ld = paper.getLayerData(a.idx);
    const int32_t midx = a.midx == 0xFFFF ? -1 : int32_t(a.midx);
    if (!ld || !ld->imageTC || (midx >= 0 && !paper.maskMngr().chkIndex(midx)))
        return false;
    const int32_t w = std::max(ld->imageTC->width(), paper.vram().width());
    const int32_t h = std::max(ld->imageTC->height(), paper.vram().height());
    const sBox b = a.box;
    if (b.x < 0 || b.y < 0 || b.w <= 0 || b.h <= 0 || b.w > w - b.x || b.h > h - b.y ||
        uint64_t(b.w) * uint64_t(b.h) != a.bytes || a.packed > a.padded ||
        sizeof a + size_t(a.padded) != body.size())
        return false;
    std::vector<uint8_t> raw;
    TChannel ch;
    try {
        raw.resize(a.bytes);
        if (!ch.Resize(w, h))
            return false;
    } catch (const std::bad_alloc &) {
        return false;
    }
    if (codec::codecDecompress(body.subspan(sizeof a, a.packed), raw) != codec::CodecStatus::Nothing)
        return false;
    ch.PixelFill(0);
    for (int32_t y = 0; y < b.h; ++y)
        std::memcpy(ch.seek8(b.x, b.y + y), raw.data() + size_t(y) * size_t(b.w), size_t(b.w));
    if (!commitColorRange(paper, ch, a.idx, midx, param, pcol, false))
        return false;
    mngr.playUpdt |= updtRefresh | updtSelectWin;
    return true;
}

} // namespace

void registerColourRangeReplayRows()
{
    registerEventReplay(13, 32, QStringLiteral("colour-range selection"), playColorRange);
}
