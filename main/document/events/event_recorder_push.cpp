// The recording operations of CEventMngr: one push per document operation, each writing its
// status set, its command packet (with any trailing data) and ending the event. Pushes refuse
// codes outside their own list (false, nothing written, recording goes on).
#include "document/events/event_manager.h"

#include "core/codec/image_codec.h"
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "format/layer_header.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"

#include <algorithm>
#include <initializer_list>
#include <new>

namespace {

enum eStatusSet
{
    kSetNone = 0,
    kSetControl = 1,
    kSetBasic = 2,
    kSetAll = 3,
};

bool listed(uint8_t code, std::initializer_list<uint8_t> codes)
{
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

uint16_t index16(int32_t i)
{
    return uint16_t(uint32_t(i));
}

// A name as the newer packets carry it: UTF-16 with its terminator.
std::vector<uint8_t> utf16WithTerminator(const QString &s)
{
    std::vector<uint8_t> out(size_t(s.size() + 1) * 2, 0);
    std::memcpy(out.data(), s.utf16(), size_t(s.size()) * 2);
    return out;
}

// Layer attribute flags of the 4/16-21, 52, 53 packets.
uint16_t layerAttrFlags(const CLayerData &ld)
{
    uint16_t f = 0;
    if (ld.visible)
        f |= 1;
    if (ld.maskProtected)
        f |= 2;
    if (ld.underLyrClip)
        f |= 4;
    if (ld.ditherEnable)
        f |= 0x10;
    return f;
}

uint32_t evenUp(uint32_t n)
{
    return n + (n & 1);
}

} // namespace

bool CEventMngr::pushCommand(uint8_t grp, uint8_t code, const void *body, uint32_t len, int set,
                             bool dropTarget, const void *extra, uint32_t extraLen)
{
    if (!canRecord())
        return false;
    if (!writeStatusSet(set) || !writePacket({grp, code}, body, len, extra, extraLen) ||
        !endEvent())
        return false;
    if (dropTarget)
        evEnbStat.remove(enbTrgtObj);
    return true;
}

// ---- Document ----

bool CEventMngr::pushEventBegin()
{
    if (!canRecord())
        return true;
    if (!writeBasicStatus() || !writeInfoAll() || !writePacket({2, 254}, nullptr, 0) || !endEvent())
        return false;
    mapToneObj.removeAll();
    mapPenShapeObj.removeAll();
    return true;
}

bool CEventMngr::pushEventCreatePaper(int32_t pw, int32_t ph, int32_t lw, int32_t lh)
{
    if (!canRecord())
        return true;
    const SEvCanvasCreate b{pw, ph, lw, lh};
    return pushCommand(2, 0, &b, sizeof b, kSetControl, false);
}

bool CEventMngr::pushEventCreatePaperEx(int32_t pw, int32_t ph, int32_t lw, int32_t lh, int32_t dpi,
                                        bool ctp, bool ltp)
{
    if (!canRecord())
        return true;
    SEvCanvasCreate2 b;
    b.pw = pw;
    b.ph = ph;
    b.lw = lw;
    b.lh = lh;
    b.dpi = dpi;
    b.ctp = canvasFlagByte(ctp);
    b.ltp = canvasFlagByte(ltp);
    return pushCommand(2, 8, &b, sizeof b, kSetControl, false);
}

bool CEventMngr::pushEventPaperColor(uint32_t col)
{
    const SEvCanvasColor b{col};
    return pushCommand(2, 1, &b, sizeof b, kSetBasic, false);
}

bool CEventMngr::pushEventResize(int32_t w, int32_t h, uint8_t place, uint8_t ver)
{
    SEvCanvasSize b;
    b.place = place;
    b.ver = ver;
    b.w = w;
    b.h = h;
    return pushCommand(2, 2, &b, sizeof b, kSetBasic, false);
}

namespace {
SEvCanvasResolution resolutionBody(int32_t w, int32_t h, uint16_t ver)
{
    SEvCanvasResolution b;
    b.ver = ver;
    b.w = w;
    b.h = h;
    return b;
}
} // namespace

bool CEventMngr::pushEventResolutionOld(int32_t w, int32_t h, uint16_t ver)
{
    const SEvCanvasResolution b = resolutionBody(w, h, ver);
    return pushCommand(2, 3, &b, sizeof b, kSetBasic, false);
}

bool CEventMngr::pushEventResolutionHQ(int32_t w, int32_t h, uint16_t ver)
{
    const SEvCanvasResolution b = resolutionBody(w, h, ver);
    return pushCommand(2, 9, &b, sizeof b, kSetBasic, false);
}

bool CEventMngr::pushEventResolutionHQ2(int32_t w, int32_t h, uint16_t ver)
{
    const SEvCanvasResolution b = resolutionBody(w, h, ver);
    return pushCommand(2, 12, &b, sizeof b, kSetBasic, false);
}

bool CEventMngr::pushEventGlobalCmd(uint8_t code)
{
    if (!listed(code, {4, 5, 7, 16, 17, 18, 19, 32, 33, 34, 35}))
        return false;
    return pushCommand(2, code, nullptr, 0, kSetBasic, false);
}

bool CEventMngr::pushEventGlobalData2(uint8_t code, int32_t idx, uint16_t d0, uint32_t d1,
                                      uint32_t d2)
{
    if (code != 10)
        return false;
    const SEvIdxData b{index16(idx), d0, d1, d2};
    return pushCommand(2, code, &b, sizeof b, kSetBasic, false);
}

bool CEventMngr::pushEventGlobalVis(int32_t idx, uint16_t dt, uint8_t code)
{
    if (code < 24 || code > 26)
        return false;
    const SEvIdxPair b{index16(idx), dt};
    return pushCommand(2, code, &b, sizeof b, kSetBasic, true);
}

bool CEventMngr::pushEventCrop(int32_t idx, const sBox &bx)
{
    SEvCanvasCrop b;
    b.idx = index16(idx);
    b.box = bx;
    return pushCommand(2, 6, &b, sizeof b, kSetBasic, false);
}

bool CEventMngr::pushEventCropEx(int32_t idx, const sBox &bx, uint16_t ver)
{
    SEvCanvasCropEx b;
    b.idx = index16(idx);
    b.ver = ver;
    b.box = bx;
    return pushCommand(2, 11, &b, sizeof b, kSetBasic, false);
}

// ---- Layers ----

bool CEventMngr::pushEventLayerCreate(int32_t idx, int32_t w, int32_t h, uint8_t lm, uint8_t trn,
                                      bool vis, bool prt)
{
    SEvLayerCreate b;
    b.idx = index16(idx);
    b.w = w;
    b.h = h;
    b.lm = lm;
    b.trn = trn;
    b.flags = uint16_t((vis ? 1 : 0) | (prt ? 2 : 0));
    return pushCommand(4, 0, &b, sizeof b, kSetBasic, true);
}

bool CEventMngr::pushEventLayerCreateEx(int32_t idx, int32_t w, int32_t h, uint8_t lm, uint8_t trn,
                                        uint32_t col, const QString &str, bool vis, bool prt)
{
    const std::vector<uint8_t> name = utf16WithTerminator(str);
    if (name.size() > 0xFFFF)
        return false;
    SEvLayerCreateEx b;
    b.idx = index16(idx);
    b.w = w;
    b.h = h;
    b.lm = lm;
    b.trn = trn;
    b.flags = uint16_t((vis ? 1 : 0) | (prt ? 2 : 0));
    b.col = col;
    b.nameLen = uint16_t(name.size());
    return pushCommand(4, 14, &b, sizeof b, kSetBasic, true, name.data(), uint32_t(name.size()));
}

namespace {
// The layer's attributes now, as the attribute packets carry them.
bool layerAttrBody(const TPaper *paper, int32_t idx, SEvLayerAttr &b)
{
    const CLayerData *ld = paper ? paper->getLayerData(idx) : nullptr;
    if (!ld)
        return false;
    b.idx = index16(idx);
    b.mode = uint8_t(ld->mode);
    b.trans = ld->trans;
    b.flags = layerAttrFlags(*ld);
    return true;
}
} // namespace

bool CEventMngr::pushEventLayerMode(int32_t idx, uint8_t lm)
{
    SEvLayerAttr b;
    if (!canRecord() || !layerAttrBody(m_owner, idx, b))
        return false;
    b.mode = lm;
    return pushCommand(4, 16, &b, sizeof b, kSetBasic, false);
}

bool CEventMngr::pushEventLayerTrans(int32_t idx, uint8_t trans)
{
    SEvLayerAttr b;
    if (!canRecord() || !layerAttrBody(m_owner, idx, b))
        return false;
    b.trans = trans;
    return pushCommand(4, 17, &b, sizeof b, kSetBasic, false);
}

// A layer attribute packet with one flag bit set or cleared.
bool CEventMngr::pushLayerAttrFlag(int32_t idx, uint16_t bit, bool on, uint8_t code,
                                   bool dropTarget)
{
    SEvLayerAttr b;
    if (!canRecord() || !layerAttrBody(m_owner, idx, b))
        return false;
    b.flags = uint16_t((b.flags & ~bit) | (on ? bit : 0u));
    return pushCommand(4, code, &b, sizeof b, kSetBasic, dropTarget);
}

bool CEventMngr::pushEventLayerVisible(int32_t idx, bool vis)
{
    return pushLayerAttrFlag(idx, 1u, vis, 18, true);
}

bool CEventMngr::pushEventLayerMaskProtected(int32_t idx, bool sw)
{
    return pushLayerAttrFlag(idx, 2u, sw, 20, false);
}

bool CEventMngr::pushEventLayerClipping(int32_t idx, bool clip)
{
    return pushLayerAttrFlag(idx, 4u, clip, clip ? 52 : 53, true);
}

bool CEventMngr::pushEventLayerDither(int32_t idx, bool enb, uint8_t diz, uint32_t val)
{
    SEvLayerDither b;
    if (!canRecord() || !layerAttrBody(m_owner, idx, b.attr))
        return false;
    b.attr.flags = uint16_t((b.attr.flags & ~0x10u) | (enb ? 0x10u : 0u));
    b.dither = diz;
    b.randState = val;
    return pushCommand(4, 21, &b, sizeof b, kSetBasic, false);
}

bool CEventMngr::pushEventLayerCmd(int32_t idx0, int32_t idx1, uint8_t code)
{
    if (!listed(code, {1, 2, 3, 4, 5, 8, 9, 24, 25, 32, 33, 34, 35, 36, 37}))
        return false;
    const SEvIdxPair b{index16(idx0), index16(idx1)};
    return pushCommand(4, code, &b, sizeof b, kSetBasic, listed(code, {1, 3, 4, 5}));
}

bool CEventMngr::pushEventLayerCmdEx(int32_t idx0, int32_t idx1, uint32_t param0, uint32_t param1,
                                     uint8_t code)
{
    if (!listed(code, {10, 38, 39, 40, 41, 48, 49, 50, 51}))
        return false;
    const SEvIdxData b{index16(idx0), index16(idx1), param0, param1};
    return pushCommand(4, code, &b, sizeof b, kSetBasic, code == 10);
}

bool CEventMngr::pushEventLayerMove(int32_t idx, int32_t dx, int32_t dy)
{
    SEvLayerMove b;
    b.idx = index16(idx);
    b.ofs = {dx, dy};
    return pushCommand(4, 6, &b, sizeof b, kSetBasic, false);
}

bool CEventMngr::pushEventLayerMoveEx(int32_t idx, uint8_t f, int32_t dx, int32_t dy, uint8_t ver)
{
    SEvLayerMoveEx b;
    b.idx = index16(idx);
    b.f = f;
    b.ver = ver;
    b.ofs = {dx, dy};
    return pushCommand(4, 7, &b, sizeof b, kSetBasic, false);
}

bool CEventMngr::pushEventLayerSelectMove(int32_t idx, int32_t midx, const sPos &ofs)
{
    SEvLayerMoveSel b;
    b.idx = index16(idx);
    b.midx = index16(midx);
    b.ofs = ofs;
    return pushCommand(4, 12, &b, sizeof b, kSetBasic, false);
}

bool CEventMngr::pushEventLayerSelectMoveEx(int32_t idx, int32_t midx, uint16_t t, const sPos &ofs)
{
    SEvLayerMoveSelEx b;
    b.idx = index16(idx);
    b.midx = index16(midx);
    b.ofs = ofs;
    b.t = t;
    return pushCommand(4, 13, &b, sizeof b, kSetBasic, false);
}

bool CEventMngr::pushEventObjName(uint8_t grp, uint8_t code, int32_t idx, const QString &name)
{
    const SPacketLayout row = packetLayout({grp, code});
    if (row.fixed != 4 || row.count != TPacketCount::U16 || row.countOfs != 2)
        return false;
    const std::vector<uint8_t> text = utf16WithTerminator(name);
    if (text.size() > 0xFFFF)
        return false;
    const SEvNameHead b{index16(idx), uint16_t(text.size())};
    return pushCommand(grp, code, &b, sizeof b, kSetBasic, false, text.data(),
                       uint32_t(text.size()));
}

bool CEventMngr::pushEventLayerName(int32_t idx, const QString &name)
{
    return pushEventObjName(4, 26, idx, name);
}

bool CEventMngr::pushEventLayerClippingGroupData(uint8_t code, int32_t idx, uint16_t d0,
                                                 uint32_t d1, uint32_t d2)
{
    if (code != 54 && code != 55)
        return false;
    const SEvIdxData b{index16(idx), d0, d1, d2};
    return pushCommand(4, code, &b, sizeof b, kSetBasic, false);
}

bool CEventMngr::pushEventLayerLink(uint8_t code, int32_t idx, int32_t dst)
{
    if (!canRecord())
        return true;
    if (code != 64 && code != 65)
        return false;
    const SEvIdxPair b{index16(idx), index16(dst)};
    return pushCommand(4, code, &b, sizeof b, kSetNone, false);
}

bool CEventMngr::pushEventLayerLinkMove(int32_t idx, const sPos &ofs)
{
    SEvLayerMove b;
    b.idx = index16(idx);
    b.ofs = ofs;
    return pushCommand(4, 66, &b, sizeof b, kSetBasic, false);
}

bool CEventMngr::pushEventLayerLinkSelectMove(int32_t idx, int32_t midx, const sPos &ofs)
{
    SEvLayerMoveSel b;
    b.idx = index16(idx);
    b.midx = index16(midx);
    b.ofs = ofs;
    return pushCommand(4, 67, &b, sizeof b, kSetBasic, false);
}

namespace {
SEvFreeTransform freeTransformBody(sFPos a, sFPos b, sFPos c, sFPos d, bool simple)
{
    SEvFreeTransform t;
    t.topLeft = a;
    t.topRight = b;
    t.bottomRight = c;
    t.bottomLeft = d;
    t.simple = simple ? 1 : 0;
    return t;
}
} // namespace

bool CEventMngr::pushEventLayerFreeTransform(sFPos toplft, sFPos toprht, sFPos btmrht, sFPos btmlft,
                                             bool simple, uint8_t code)
{
    if (code != 56 && code != 57)
        return false;
    const SEvFreeTransform b = freeTransformBody(toplft, toprht, btmrht, btmlft, simple);
    return pushCommand(4, code, &b, sizeof b, kSetBasic, false);
}

// ---- Images ----

bool CEventMngr::pushEventImage(int32_t idx, const CDibCore &tc, const SOlyHeader *lyr,
                                const QString *nam, uint8_t code)
{
    return pushEventImagePacket(idx, tc, lyr, nam, 12, code);
}

bool CEventMngr::pushEventImagePacket(int32_t idx, const CDibCore &tc, const SOlyHeader *lyr,
                                      const QString *nam, uint8_t grp, uint8_t code)
{
    if (!canRecord())
        return false;
    const bool isImage = grp == 12 && code <= 5;
    const bool isTexture = grp == 0 && (code == 128 || code == 129);
    if ((!isImage && !isTexture) || !dibIsEnable(&tc) || tc.getPixelBytes() != 4)
        return false;
    const std::vector<uint8_t> name =
        nam && !nam->isEmpty() ? utf16WithTerminator(*nam) : std::vector<uint8_t>{};
    const uint64_t dataBytes = uint64_t(tc.width()) * uint64_t(tc.height()) * 4;
    const uint64_t total = uint64_t(lyr ? sizeof(SOlyHeader) : 0) + name.size() + dataBytes;
    if (name.size() > 0xFFFF || total + 1 > UINT32_MAX)
        return false;
    SEvImageDesc d;
    d.idx = index16(idx);
    d.width = uint32_t(tc.width());
    d.height = uint32_t(tc.height());
    d.bpp = 32;
    d.hasHeader = lyr ? 1 : 0;
    d.total = evenUp(uint32_t(total));
    d.nameLen = uint16_t(name.size());
    d.dataBytes = uint32_t(dataBytes);
    if (isImage && !writeBasicStatus())
        return false;
    const uint32_t rowBytes = uint32_t(tc.width()) * 4;
    const bool ok = writePacketWith({grp, code}, [&] {
        if (!appendBytes(&d, sizeof d) || (lyr && !appendBytes(lyr, sizeof *lyr)) ||
            !appendBytes(name.data(), uint32_t(name.size())))
            return false;
        // Rows top-down, whatever the image's own order; the image is not touched.
        for (int32_t y = 0; y < tc.height(); ++y) {
            if (!appendBytes(tc.seek(0, y), rowBytes))
                return false;
        }
        const uint8_t zero = 0;
        return d.total == total || appendBytes(&zero, 1);
    });
    if (!ok || !isImage)
        return ok;
    if (!endEvent())
        return false;
    evEnbStat.remove(enbTrgtObj);
    return true;
}

// ---- Coverage ----

bool CEventMngr::writeCoverage(uint8_t code, const TChannel &ch, void *head, uint32_t headLen,
                               uint32_t boxOfs)
{
    sRect r;
    if (!dibIsEnable(&ch) || !ch.findRect(r))
        return false; // nothing covered: nothing recorded
    const sBox box{r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0};
    const uint32_t bytes = uint32_t(box.w) * uint32_t(box.h);
    std::vector<uint8_t> raw, packed;
    try {
        raw.resize(bytes);
        packed.resize(65536);
    } catch (const std::bad_alloc &) {
        return recordingFailed(); // the operation would go unrecorded
    }
    for (int32_t y = 0; y < box.h; ++y)
        std::memcpy(raw.data() + size_t(y) * size_t(box.w), ch.seek8(box.x, box.y + y),
                    size_t(box.w));
    const int32_t n = compressToMemory(raw.data(), bytes, packed);
    if (n <= 0)
        return false;
    packed.resize(evenUp(uint32_t(n)), 0);
    // box, padded, bytes, packed sit at the end of both fixed parts.
    auto *h = static_cast<uint8_t *>(head);
    const uint32_t padded = uint32_t(packed.size());
    const uint32_t packedLen = uint32_t(n);
    std::memcpy(h + boxOfs, &box, sizeof box);
    std::memcpy(h + boxOfs + 16, &padded, 4);
    std::memcpy(h + boxOfs + 20, &bytes, 4);
    std::memcpy(h + boxOfs + 24, &packedLen, 4);
    return pushCommand(13, code, head, headLen, kSetAll, true, packed.data(), padded);
}

bool CEventMngr::pushEventAlpha(int32_t idx, int32_t midx, const TChannel &ch, const sPos &seedpos,
                                uint8_t mt, uint8_t op0, uint16_t op1, uint8_t op2, uint8_t code)
{
    if (!canRecord() || !listed(code, {0, 1, 4, 16, 17, 32}))
        return false;
    SEvAlpha b;
    b.idx = index16(idx);
    b.midx = index16(midx);
    const CLayerData *ld = m_owner ? m_owner->getLayerData(idx) : nullptr;
    if (ld && ld->imageTC) {
        b.w = ld->imageTC->width();
        b.h = ld->imageTC->height();
    }
    b.seed = seedpos;
    b.kind = code == 1 ? 1 : code == 16 ? 2 : code == 17 ? 3 : code == 32 ? 6 : 0;
    b.mt = mt;
    b.op0 = op0;
    b.op1 = op1;
    b.op2 = op2;
    return writeCoverage(code, ch, &b, sizeof b, offsetof(SEvAlpha, box));
}

bool CEventMngr::pushEventAlphaEx(int32_t idx, int32_t midx, const TChannel &ch,
                                  const sPos &seedpos, const sPos &ofspos, const sSize &sz,
                                  uint8_t mt, uint8_t op0, uint16_t op1, uint8_t op2, uint8_t code)
{
    if (!canRecord() || !listed(code, {2, 3, 5}))
        return false;
    SEvAlphaEx b;
    b.idx = index16(idx);
    b.midx = index16(midx);
    b.w = sz.x;
    b.h = sz.y;
    b.ofs = ofspos;
    b.seed = seedpos;
    b.kind = code == 3 ? 5 : 4;
    b.mt = mt;
    b.op0 = op0;
    b.op1 = op1;
    b.op2 = op2;
    return writeCoverage(code, ch, &b, sizeof b, offsetof(SEvAlphaEx, box));
}

bool CEventMngr::pushEventAlphaFont(int32_t idx, int32_t midx, const TChannel &ch,
                                    const sPos &seedpos, uint8_t mt, const QString &text,
                                    const LOGFONTW &lf, int32_t spac, int32_t lead, uint8_t code)
{
    if (!canRecord() || (code != 16 && code != 17))
        return false;
    if (!writeFontAttr(lf, spac, lead) || !writeFontText(text))
        return false;
    return pushEventAlpha(idx, midx, ch, seedpos, mt, 0, 0, 0, code);
}

bool CEventMngr::pushEventAlphaColorRange(int32_t idx, int32_t midx, std::span<const uint8_t> cm,
                                          const TChannel &ch, uint8_t mt)
{
    sRect covered;
    // Nothing covered records nothing: the parameters would otherwise be left to the next event.
    if (!canRecord() || cm.size() > UINT32_MAX - 8 || !dibIsEnable(&ch) || !ch.findRect(covered))
        return false;
    const uint32_t len = uint32_t(cm.size());
    if (!writePacket({0, 136}, &len, sizeof len, cm.data(), len))
        return false;
    return pushEventAlpha(idx, midx, ch, sPos{}, mt, 0, 0, 0, 32);
}

// ---- Fills and selections ----

bool CEventMngr::pushEventFillCmd(int32_t idx, const sPos &seedpos, uint8_t op0, uint8_t op1,
                                  uint8_t op2, uint8_t op3, uint8_t code, int32_t)
{
    if (code < 7 || code > 9)
        return false;
    SEvFloodFill b;
    b.idx = index16(idx);
    b.seed = seedpos;
    b.target = op0;
    b.limit = op1;
    b.anti = op2;
    b.mat = op3;
    return pushCommand(6, code, &b, sizeof b, kSetAll, false);
}

bool CEventMngr::pushEventFillCmd(int32_t idx, uint32_t col, sFPos p0, sFPos p1, uint8_t code)
{
    if (!canRecord() || !listed(code, {0, 1, 2, 3, 5, 6}))
        return false;
    // A gradient fill replays with the stops in force, whether the pen uses them or not.
    if (code == 2 && writeGradGroupStatus() == 2)
        return false;
    SEvFillFigure b;
    b.idx = index16(idx);
    b.colour = col;
    b.p0 = p0;
    b.p1 = p1;
    return pushCommand(6, code, &b, sizeof b, kSetAll, false);
}

bool CEventMngr::pushEventFillPoly(int32_t idx, int32_t cnt, const sFPos *list)
{
    if (cnt < 0 || cnt > 0xFFFF || (cnt > 0 && !list))
        return false;
    const SEvPolygonHead b{index16(idx), uint16_t(cnt)};
    return pushCommand(6, 4, &b, sizeof b, kSetAll, false, list, uint32_t(cnt) * 8);
}

bool CEventMngr::pushEventSelectDrawCmd(int32_t idx, int32_t midx, sFPos p0, sFPos p1, uint8_t mat,
                                        uint8_t code)
{
    if (!listed(code, {16, 17, 19}))
        return false;
    SEvMaskFigure b;
    b.idx = index16(idx);
    b.midx = index16(midx);
    b.mat = mat;
    b.p0 = p0;
    b.p1 = p1;
    return pushCommand(10, code, &b, sizeof b, kSetBasic, false);
}

bool CEventMngr::pushEventSelectPoly(int32_t idx, int32_t midx, int32_t cnt, const sFPos *list,
                                     uint8_t mat)
{
    if (cnt < 0 || cnt > 0xFFFF || (cnt > 0 && !list))
        return false;
    SEvMaskPolygonHead b;
    b.idx = index16(idx);
    b.midx = index16(midx);
    b.mat = mat;
    b.cnt = uint16_t(cnt);
    return pushCommand(10, 18, &b, sizeof b, kSetBasic, false, list, uint32_t(cnt) * 8);
}

bool CEventMngr::pushEventSelectCmd(int32_t idx, int32_t midx, uint8_t code)
{
    if (!listed(code, {0, 1, 2, 3, 4, 5, 6, 11, 20, 21}))
        return false;
    const SEvIdxPair b{index16(idx), index16(midx)};
    return pushCommand(10, code, &b, sizeof b, kSetBasic, listed(code, {0, 2, 4, 5, 11}));
}

bool CEventMngr::pushEventSelectCmdData2(int32_t idx, int32_t midx, uint32_t d0, uint32_t d1,
                                         uint8_t code)
{
    if (!listed(code, {7, 8, 9, 10, 13, 14, 22, 24, 25, 26}))
        return false;
    const SEvIdxData b{index16(idx), index16(midx), d0, d1};
    return pushCommand(10, code, &b, sizeof b, kSetBasic, listed(code, {7, 9, 22, 24}));
}

bool CEventMngr::pushEventSelectName(int32_t idx, const QString &name)
{
    return pushEventObjName(10, 15, idx, name);
}

bool CEventMngr::pushEventSelectFreeTransform(sFPos toplft, sFPos toprht, sFPos btmrht,
                                              sFPos btmlft, bool simple, uint8_t code)
{
    if (code != 32)
        return false;
    const SEvFreeTransform b = freeTransformBody(toplft, toprht, btmrht, btmlft, simple);
    return pushCommand(10, code, &b, sizeof b, kSetBasic, false);
}

// ---- Filters ----

bool CEventMngr::pushEventFilter0(int32_t idx, int32_t midx, uint8_t code)
{
    if (!packetLayout({32, code}).isValid())
        return false;
    const SEvIdxPair b{index16(idx), index16(midx)};
    return pushCommand(32, code, &b, sizeof b, kSetAll, false);
}

bool CEventMngr::pushEventFilter2(int32_t idx, int32_t midx, LDATA d0, LDATA d1, uint8_t code)
{
    if (!packetLayout({33, code}).isValid())
        return false;
    SEvFilter2 b;
    b.idx = index16(idx);
    b.midx = index16(midx);
    b.d[0] = d0;
    b.d[1] = d1;
    return pushCommand(33, code, &b, sizeof b, kSetAll, false);
}

bool CEventMngr::pushEventFilter4(int32_t idx, int32_t midx, const LDATA *d, uint8_t code)
{
    if (!d || !packetLayout({34, code}).isValid())
        return false;
    SEvFilter4 b;
    b.idx = index16(idx);
    b.midx = index16(midx);
    std::memcpy(b.d, d, sizeof b.d);
    return pushCommand(34, code, &b, sizeof b, kSetAll, false);
}

bool CEventMngr::pushEventFilter6(int32_t idx, int32_t midx, const LDATA *d, uint8_t code)
{
    if (!d || !packetLayout({35, code}).isValid())
        return false;
    SEvFilter6 b;
    b.idx = index16(idx);
    b.midx = index16(midx);
    std::memcpy(b.d, d, sizeof b.d);
    return pushCommand(35, code, &b, sizeof b, kSetAll, false);
}

bool CEventMngr::pushEventFilterComplex(uint8_t code, const SEvFilterComplex &fc,
                                        std::span<const uint8_t> data)
{
    if (!listed(code, {39, 51, 54, 74}) || data.size() > 0xFFFF)
        return false;
    SEvFilterComplex b = fc;
    b.allLen = uint16_t(data.size());
    return pushCommand(38, code, &b, sizeof b, kSetAll, false, data.data(), uint32_t(data.size()));
}

bool CEventMngr::pushEventFilterFloor(int32_t idx, int32_t midx, std::span<const uint8_t> param63,
                                      const TMTC *floorTex, const QString &floorPath,
                                      uint16_t floorDpi, const TMTC *ceilTex,
                                      const QString &ceilPath, uint16_t ceilDpi)
{
    if (!canRecord() || param63.size() != 63)
        return false;
    if (!writeAllStatus())
        return false;
    if (floorTex && !pushEventImagePacket(idx, *floorTex, nullptr, &floorPath, 0, 128))
        return false;
    if (ceilTex && !pushEventImagePacket(idx, *ceilTex, nullptr, &ceilPath, 0, 129))
        return false;
    SEvFilterComplex b;
    b.layer = index16(idx);
    b.select = index16(midx);
    b.allLen = 63;
    b.count = 1;
    b.eachLen = 63;
    b.data0.all = int32_t(uint32_t(floorDpi) | (uint32_t(ceilDpi) << 16));
    return pushCommand(38, 99, &b, sizeof b, kSetNone, false, param63.data(), 63);
}
