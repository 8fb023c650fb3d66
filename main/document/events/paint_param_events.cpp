// Paint parameters in the event stream: the version-4 and version-5 pen sets, image nibs,
// screentones and gradient stops, written as status packets before the operations that paint,
// and their replay into the replay objects. Every replayed body is checked before anything
// changes.
#include "document/events/event_manager.h"

#include "core/codec/image_codec.h"
#include "core/image/channel.h"
#include "document/paper/paper.h"
#include "paint/gradient/gradient_manager.h"
#include "paint/presets/pen_presets.h"
#include "paint/render/pen_render4.h"
#include "paint/render/pen_render5.h"
#include "paint/stroke/stroke.h"
#include "paint/stroke/stroke_placement.h"
#include "paint/stroke/stroke_placement4.h"
#include "paint/tone/tone_manager.h"
#include "paint/tone/tone_set_file.h"
#include "platform/codec/block_compress.h"

#include <QStringEncoder>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

// The pen records of one set, taken from a renderer.
struct SPenSetValues
{
    SEvPen4Map map;
    SEvPen4Color color;
    SEvPen4Param param;
    SEvPen4Attr attr;
    SEvPen4RenderMode mode;
    SEvPen4RenderParam rparam;
    SEvPen4RenderOpt opt;
};

namespace {

// The largest side of a recorded nib or tone image.
constexpr int32_t kMaxImageSide = 10000;

uint32_t evenUp(uint32_t n)
{
    return n + (n & 1);
}

template <class T> bool readBody(std::span<const uint8_t> body, T &rec)
{
    return readEventRecord(body, rec);
}

void fillPenSet(SPenSetValues &v, const SGradeMapParam &gm, const SPenColor &pc,
                const SPenParam &pp, const SPenAttr &pa, const SPenRenderAttr &ra,
                const CPenShapeObj *nib, const TStroke *strk)
{
    v.map.mapType = uint16_t(gm.mapType);
    v.map.flatRate = uint16_t(gm.flatRate);
    v.map.addRate = uint16_t(gm.addRate);
    v.color.fgCol = pc.fgCol.all;
    v.color.bgCol = pc.bgCol.all;
    v.param.radius = uint16_t(pp.radius);
    v.param.radiusMin = uint16_t(pp.radiusMin);
    v.param.flatRate = uint16_t(pp.flatRate);
    v.param.degree = uint16_t(pp.degree);
    v.param.shapeType = nib ? uint8_t(nib->shapeType) : 0;
    v.attr.antiOff = pa.antiOff;
    v.mode.flags = ra.renderType;
    v.mode.renderMode = uint8_t(ra.renderMode);
    v.mode.subRenderMode = ra.subRenderMode;
    v.mode.shapeMode = uint8_t(ra.shapeMode);
    v.rparam.param1 = uint32_t(ra.param1.all);
    v.rparam.param2 = uint32_t(ra.param2.all);
    v.rparam.param3 = uint32_t(ra.param3.all);
    v.opt.flags =
        uint16_t(((strk && strk->m_bUseGradation) ? 1 : 0) | ((strk && strk->m_bUseTone) ? 2 : 0));
}

void strokeRecord(const SStrokeParam &sp, SEvPen4StrokeParam &r)
{
    r.flags = uint16_t((sp.enbPrsRadius ? 1 : 0) | (sp.enbPrsOpaque ? 2 : 0));
    r.opaque = uint16_t(sp.opaque);
    r.prsGamma = uint16_t(sp.prsGamma);
    r.spacing = uint16_t(sp.spacing);
    r.everyFreqR = uint16_t(sp.everyFreqR);
    r.highDensityR = uint16_t(sp.highDensityR);
}

void strokeRecord(const SStrokeParam &sp, SEvPen5StrokeParam &r)
{
    r.flags = uint16_t((sp.enbPrsRadius ? 1 : 0) | (sp.enbPrsOpaque ? 2 : 0));
    r.opaque = uint16_t(sp.opaque);
    r.version = uint16_t(sp.strokeVersion);
    r.prsGamma = uint16_t(sp.prsGamma);
    r.spacing = uint16_t(sp.spacing);
    r.everyFreqR = uint16_t(sp.everyFreqR);
    r.highDensityR = uint16_t(sp.highDensityR);
    r.smooth = uint8_t(sp.smooth);
    r.interpolateType = uint8_t(sp.interpolateType);
}

// A name as at most 64 bytes of Shift_JIS, cut at a character boundary.
QByteArray toneNameBytes(const QString &name)
{
    QByteArray out;
    QStringEncoder enc("Shift_JIS");
    for (qsizetype i = 0; i < name.size();) {
        const qsizetype n = name.at(i).isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
        const QByteArray ch = enc.encode(QStringView(name).mid(i, n));
        if (out.size() + ch.size() > 64)
            break;
        out += ch;
        i += n;
    }
    return out;
}

QString toneNameFromBytes(const char *p, int32_t len)
{
    QStringDecoder dec("Shift_JIS");
    return dec.decode(QByteArrayView(p, std::clamp(len, 0, 64)));
}

// Compresses a channel's pixel block; false when the codec fails.
bool compressChannel(const TChannel &ch, std::vector<uint8_t> &packed, uint32_t &packedLen)
{
    try {
        packed.assign(65536, 0);
    } catch (const std::bad_alloc &) {
        return false;
    }
    const int32_t n = compressToMemory(ch.buffer(), ch.getImageDataBytes(), packed);
    if (n <= 0)
        return false;
    packedLen = uint32_t(n);
    packed.resize(evenUp(packedLen), 0);
    return true;
}

// Unpacks bytes of a recorded image of w x h into a new channel; nullptr when the sizes or the
// data are not right.
std::unique_ptr<TChannel> unpackChannel(int32_t w, int32_t h, uint32_t bytes, uint32_t packed,
                                        uint32_t padded, std::span<const uint8_t> data)
{
    if (w < 1 || h < 1 || w > kMaxImageSide || h > kMaxImageSide)
        return nullptr;
    const uint64_t need = uint64_t(w) * uint64_t(h);
    // The count must cover the image, and a compressed block cannot hold more than about a
    // thousand times its size: a larger count is a lie that would only make us allocate.
    if (bytes < need || uint64_t(bytes) > uint64_t(packed) * 1100 + 1024 || packed > padded ||
        padded != evenUp(packed) || data.size() < padded)
        return nullptr;
    std::vector<uint8_t> raw;
    try {
        raw.resize(bytes);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
    if (codec::codecDecompress(data.first(packed), raw) != codec::CodecStatus::Nothing)
        return nullptr;
    auto ch = std::make_unique<TChannel>(w, h);
    if (!dibIsEnable(ch.get()))
        return nullptr;
    std::memcpy(ch->buffer(), raw.data(), size_t(need));
    return ch;
}

} // namespace

// ---- Recording ----

bool CEventMngr::writePenShape(int ver)
{
    const bool v4 = ver == 4;
    // The nib follows the pen parameters of its set.
    if (!evEnbStat.has(v4 ? enbPen4Param : enbPen5Param))
        return false;
    const CPenShapeObj *nib = m_owner ? m_owner->GetActivePenShapeObj() : nullptr;
    if (!nib || !nib->enable || !nib->hasImage())
        return true;
    const TChannel &img = *nib->shapeCH;
    SEvPen4ShapeID idrec;
    idrec.zoom = uint16_t(nib->zoomRate);
    idrec.imgSize = {img.width(), img.height()};
    const bEvEnbF e = v4 ? enbPen4ShapeID : enbPen5ShapeID;
    // An id names the image it was first recorded with: a nib whose id stood for another image
    // (ids read from nib files, an image changed in place) is defined again under a free id.
    if (findRecordedNib(uint32_t(nib->id()), img, idrec.serial))
        return writeStatusIfChanged(v4 ? 45 : 75, &idrec, sizeof idrec, e) != 2;

    SEvPenShapeHeader h;
    h.serial = idrec.serial;
    h.zoomRate = uint16_t(nib->zoomRate);
    h.zoomMin = uint16_t(nib->zoomRng.min);
    h.zoomMax = uint16_t(nib->zoomRng.max);
    h.width = img.width();
    h.height = img.height();
    h.bytes = img.getImageDataBytes();
    std::vector<uint8_t> packed;
    if (!compressChannel(img, packed, h.packed))
        return recordingFailed(); // the stroke would replay with another nib
    h.padded = uint32_t(packed.size());
    const uint32_t at = curLength;
    if (!writePacket({0, uint8_t(v4 ? 44 : 74)}, &h, sizeof h, packed.data(), h.padded))
        return false;
    mapPenShapeObj.setAt(idrec.serial, at);
    storeStatusValue(e, &idrec, sizeof idrec);
    return true;
}

bool CEventMngr::findRecordedNib(uint32_t id, const TChannel &img, uint32_t &serial)
{
    uint32_t ofs = 0;
    serial = id;
    if (!mapPenShapeObj.lookup(id, ofs))
        return false;
    if (isRecordedNibImage(ofs, img))
        return true;
    uint32_t pos = mapPenShapeObj.getStartPosition();
    while (pos != 0) {
        uint32_t k = 0;
        if (!mapPenShapeObj.getNextAssoc(pos, k, ofs))
            break;
        if (k != id && isRecordedNibImage(ofs, img)) {
            serial = k;
            return true;
        }
    }
    // The map holds a few ids: a free one follows soon.
    while (mapPenShapeObj.lookup(serial, ofs))
        ++serial;
    return false;
}

bool CEventMngr::isRecordedNibImage(uint32_t ofs, const TChannel &img) const
{
    SEvPenShapeHeader h;
    if (!readRecordAt(ofs + 2, h) || h.width != img.width() || h.height != img.height() ||
        h.packed > h.padded)
        return false;
    const size_t need = size_t(img.width()) * size_t(img.height());
    if (h.bytes < need || h.bytes != uint32_t(img.getImageDataBytes()))
        return false;
    std::vector<uint8_t> packed, raw;
    try {
        packed.resize(h.packed);
        raw.resize(h.bytes);
    } catch (const std::bad_alloc &) {
        return false;
    }
    return readDataEx(ofs + 2 + uint32_t(sizeof h), packed.data(), h.packed) == h.packed &&
           codec::codecDecompress(packed, raw) == codec::CodecStatus::Nothing &&
           std::memcmp(raw.data(), img.buffer(), need) == 0;
}

bool CEventMngr::writePen4Status()
{
    if (!canRecord())
        return true;
    SGradeMapParam gm;
    SPenColor pc;
    SPenParam pp;
    SPenAttr pa;
    SPenRenderAttr ra;
    if (const CPenRender *r = m_owner ? m_owner->getActivePenRender() : nullptr) {
        r->getGradeParam(gm);
        r->getPenColor(pc);
        r->getPenParam(pp);
        r->getPenAttr(pa);
        r->getRenderAttr(ra);
    }
    SPenSetValues v;
    fillPenSet(v, gm, pc, pp, pa, ra, m_owner ? m_owner->GetActivePenShapeObj() : nullptr,
               ownerStroke);
    SEvPen4StrokeParam sr;
    if (const CStrokeMngr *sm = m_owner ? m_owner->strokeMngr4() : nullptr) {
        SStrokeParam sp;
        sm->getParam(sp);
        strokeRecord(sp, sr);
    }
    return writePenSetStatuses(4, v, &sr, sizeof sr);
}

bool CEventMngr::writePen5Status()
{
    if (!canRecord())
        return true;
    SGradeMapParam gm;
    SPenColor pc;
    SPenParam pp;
    SPenAttr pa;
    SPenRenderAttr ra;
    if (const CPenRender5 *r = m_owner ? m_owner->getActivePenRender5() : nullptr) {
        gm = r->gradeMap().param();
        pc = r->penColor();
        pp = r->penParam();
        pa = r->penAttr();
        ra = r->renderAttr();
    }
    SPenSetValues v;
    fillPenSet(v, gm, pc, pp, pa, ra, m_owner ? m_owner->GetActivePenShapeObj() : nullptr,
               ownerStroke);
    SEvPen5StrokeParam sr;
    if (const CStrokeMngr5 *sm = m_owner ? m_owner->strokeMngr5() : nullptr) {
        SStrokeParam sp;
        sm->getParam(sp);
        strokeRecord(sp, sr);
    }
    return writePenSetStatuses(5, v, &sr, sizeof sr);
}

bool CEventMngr::writePenSetStatuses(int ver, const SPenSetValues &v, const void *stroke,
                                     uint32_t strokeSize)
{
    // Both sets write the same records in the same order, each with its own codes; their
    // elements run in that order from the set's first (the nib's between attributes and mode).
    static constexpr uint8_t kCodes4[] = {48, 50, 52, 53, 56, 57, 58, 60};
    static constexpr uint8_t kCodes5[] = {64, 65, 66, 67, 68, 69, 70, 71};
    const uint8_t *codes = ver == 4 ? kCodes4 : kCodes5;
    const int first = ver == 4 ? enbPen4Map : enbPen5Map;
    const struct
    {
        const void *rec;
        uint32_t size;
    } recs[] = {{&v.map, sizeof v.map},   {&v.color, sizeof v.color},   {&v.param, sizeof v.param},
                {&v.attr, sizeof v.attr}, {&v.mode, sizeof v.mode},     {&v.rparam, sizeof v.rparam},
                {&v.opt, sizeof v.opt},   {stroke, strokeSize}};
    for (int k = 0; k < 8; ++k) {
        if (k == 4 && !writePenShape(ver))
            return false;
        const auto e = bEvEnbF(first + k + (k >= 4 ? 1 : 0));
        if (writeStatusIfChanged(codes[k], recs[k].rec, recs[k].size, e) == 2)
            return false;
    }
    return true;
}

int CEventMngr::writeToneStatus()
{
    if (!canRecord())
        return 0;
    // The tone follows the flags that say it is in use.
    if (!evEnbStat.has(enbEvFlags))
        return 2;
    CPatObj *pat = ownerToneMngr ? ownerToneMngr->getCurPat() : nullptr;
    if (!pat)
        return 0;
    const auto *plain = dynamic_cast<const CPat8 *>(pat);
    const auto *tone = dynamic_cast<const CPat8Tone *>(pat);
    if (!plain)
        return 2;
    SEvToneID id;
    id.serial = uint32_t(pat->id());
    id.objType = uint8_t(pat->objType);
    id.flags = uint8_t((plain->Fnega ? 1 : 0) | (tone ? 2 : 0));
    id.d = tone && tone->maker() ? tone->maker()->d : 0;
    id.zoom = uint16_t(pat->zoom);
    id.ofs = pat->ofs;
    uint32_t ofs = 0;
    if (mapToneObj.lookup(id.serial, ofs))
        return writeStatusIfChanged(37, &id, sizeof id, enbToneObj);

    SEvToneObjHeader h;
    h.serial = id.serial;
    SPatRecord rec;
    if (tone)
        fillPatToneRecord(rec, *tone);
    else
        fillPatRecord(rec, *plain);
    const QByteArray name = toneNameBytes(pat->name());
    rec.nameLen = uint16_t(name.size());
    const QByteArray recBytes = patRecordBytes(rec);
    std::memcpy(h.pattern, recBytes.constData(), sizeof h.pattern);
    std::memcpy(h.name, name.constData(), size_t(name.size()));
    std::vector<uint8_t> packed;
    if (!tone) {
        const TChannel *ch = plain->channel();
        if (!dibIsEnable(ch))
            return 2;
        h.bytes = ch->getImageDataBytes();
        if (!compressChannel(*ch, packed, h.packed)) {
            recordingFailed();
            return 2;
        }
        h.padded = uint32_t(packed.size());
    }
    const uint32_t at = curLength;
    if (!writePacket({0, 36}, &h, sizeof h, packed.data(), h.padded))
        return 2;
    mapToneObj.setAt(id.serial, at);
    storeStatusValue(enbToneObj, &id, sizeof id);
    return 1;
}

int CEventMngr::writeGradGroupStatus()
{
    if (!canRecord())
        return 0;
    CGradMngr *gm = appMainGradMngr();
    const CGradObj *g = gm ? gm->getModGrad() : nullptr;
    if (!g)
        return 0;
    const CColorSlotGroup &src = *g->crsg;
    std::unique_ptr<CColorSlotGroup> packedGroup = src.makePacked();
    const CColorSlotGroup &out = packedGroup ? *packedGroup : src;
    const uint8_t *data = nullptr;
    int32_t bytes = 0;
    if (!out.getSlotImage(data, bytes) || bytes <= 0 || bytes > 0xFFFF)
        return 0;
    if (evEnbStat.has(enbGradGroup) && curGradGroup.slotMaxIdx == out.slotMaxIdx) {
        const uint8_t *have = nullptr;
        int32_t haveBytes = 0;
        if (curGradGroup.getSlotImage(have, haveBytes) && haveBytes == bytes &&
            std::memcmp(have, data, size_t(bytes)) == 0)
            return 0;
    }
    SEvGradType t;
    t.kind = g->attr.gradType;
    t.map = g->attr.gradMap;
    t.rep = g->attr.gradRep;
    t.repCnt = uint16_t(g->attr.gradRepCnt);
    t.slotlen = uint16_t(bytes);
    if (!writePacket({0, 40}, &t, sizeof t, data, uint32_t(bytes)))
        return 2;
    curGradGroup = out;
    storeStatusValue(enbGradGroup, &t, sizeof t);
    return 1;
}

// ---- Replay ----

int32_t CEventMngr::getRecordedVersion() const
{
    SEvAppStat st;
    if (!getStatusValue(enbAppStat, st))
        return 200;
    return int32_t(st.verMajor) * 100 + int32_t(st.verMinor);
}

bool CEventMngr::playPaintParamStatus(uint8_t code, std::span<const uint8_t> body)
{
    switch (code) {
    case 36:
        return playToneObj(body);
    case 37:
        return playToneID(body);
    case 40:
        return playGradGroup(body);
    case 44:
        return playPenShapeImage(4, body);
    case 45:
        return playPenShapeID(4, body);
    case 48:
        return playPenMap(4, body);
    case 50:
        return playPenColor(4, body);
    case 52:
        return playPenParam(4, body);
    case 53:
        return playPenAttr(4, body);
    case 56:
        return playRenderMode(4, body);
    case 57:
        return playRenderParam(4, body);
    case 58:
        return playRenderOpt(4, body);
    case 60:
        return playStrokeParam4(body);
    case 64:
        return playPenMap(5, body);
    case 65:
        return playPenColor(5, body);
    case 66:
        return playPenParam(5, body);
    case 67:
        return playPenAttr(5, body);
    case 68:
        return playRenderMode(5, body);
    case 69:
        return playRenderParam(5, body);
    case 70:
        return playRenderOpt(5, body);
    case 71:
        return playStrokeParam5(body);
    case 74:
        return playPenShapeImage(5, body);
    case 75:
        return playPenShapeID(5, body);
    default:
        return false;
    }
}

bool CEventMngr::playPenMap(int ver, std::span<const uint8_t> body)
{
    SEvPen4Map rec;
    if (!hasPlayObjects() || !readBody(body, rec))
        return false;
    SGradeMapParam gm;
    gm.mapType = eGradeMap(uint8_t(rec.mapType));
    gm.flatRate = rec.flatRate;
    gm.addRate = rec.addRate;
    playPenShapeObj->setData(&gm, nullptr, nullptr);
    if (playPenShapeImg)
        playPenShapeImg->setDataOnly(&gm, nullptr, nullptr);
    if (ver == 4)
        playPenRender->changeGradeParam(gm);
    else
        playPenRender5->changeGradeParam(gm);
    storeStatusValue(ver == 4 ? enbPen4Map : enbPen5Map, &rec, sizeof rec);
    playUpdt |= updtPenShpWin;
    return true;
}

bool CEventMngr::playPenColor(int ver, std::span<const uint8_t> body)
{
    SEvPen4Color rec;
    if (!readBody(body, rec))
        return false;
    storeStatusValue(ver == 4 ? enbPen4Color : enbPen5Color, &rec, sizeof rec);
    return true;
}

bool CEventMngr::playPenParam(int ver, std::span<const uint8_t> body)
{
    SEvPen4Param rec;
    if (!hasPlayObjects() || !readBody(body, rec))
        return false;
    // The setters keep the flat rate in 0..1000 and the angle in 0..3599: a larger flat rate
    // stretches the nib's minor axis past its major one, to maps of gigabytes.
    if (rec.flatRate > 1000 || rec.degree > 3599)
        return false;
    SPenParam pp;
    pp.radius = rec.radius;
    pp.flatRate = rec.flatRate;
    pp.degree = rec.degree;
    pp.radiusMin = rec.radiusMin;
    playPenShapeObj->setData(nullptr, &pp, nullptr);
    if (playPenShapeImg)
        playPenShapeImg->setDataOnly(nullptr, &pp, nullptr);
    if (ver == 4)
        playPenRender->changePenParam(pp);
    else
        playPenRender5->changePenParam(pp);
    storeStatusValue(ver == 4 ? enbPen4Param : enbPen5Param, &rec, sizeof rec);
    playUpdt |= updtPenShpWin;
    return true;
}

bool CEventMngr::playPenAttr(int ver, std::span<const uint8_t> body)
{
    SEvPen4Attr rec;
    if (!hasPlayObjects() || !readBody(body, rec))
        return false;
    SPenAttr pa;
    pa.antiOff = rec.antiOff;
    playPenShapeObj->setData(nullptr, nullptr, &pa);
    if (playPenShapeImg)
        playPenShapeImg->setDataOnly(nullptr, nullptr, &pa);
    if (ver == 4)
        playPenRender->changePenAttr(pa);
    else
        playPenRender5->changePenAttr(pa);
    storeStatusValue(ver == 4 ? enbPen4Attr : enbPen5Attr, &rec, sizeof rec);
    playUpdt |= updtPenShpWin;
    return true;
}

bool CEventMngr::playRenderMode(int ver, std::span<const uint8_t> body)
{
    SEvPen4RenderMode rec;
    if (!hasPlayObjects() || !readBody(body, rec))
        return false;
    // Modes outside the renderers' own lists would reach their dab switches unchecked.
    if (rec.renderMode > uint8_t(ePenRenderMode::PRMODE_GammaL) ||
        rec.shapeMode > uint8_t(ePenShapeMode::PSMODE_RealTimeXY))
        return false;
    SPenRenderAttr ra;
    ra.renderMode = ePenRenderMode(rec.renderMode);
    ra.subRenderMode = rec.subRenderMode;
    ra.shapeMode = ePenShapeMode(rec.shapeMode);
    ra.renderType = rec.flags;
    if (ver == 4)
        playPenRender->changeRenderMode(ra);
    else
        playPenRender5->changeRenderMode(ra);
    storeStatusValue(ver == 4 ? enbPen4RenderMode : enbPen5RenderMode, &rec, sizeof rec);
    playUpdt |= updtPenMtdWin;
    return true;
}

bool CEventMngr::playRenderParam(int ver, std::span<const uint8_t> body)
{
    SEvPen4RenderParam rec;
    if (!hasPlayObjects() || !readBody(body, rec))
        return false;
    SPenRenderAttr ra;
    ra.param1.all = int32_t(rec.param1);
    ra.param2.all = int32_t(rec.param2);
    ra.param3.all = int32_t(rec.param3);
    if (ver == 4)
        playPenRender->changeRenderParam(ra, 7);
    else
        playPenRender5->changeRenderParam(ra, 7);
    storeStatusValue(ver == 4 ? enbPen4RenderParam : enbPen5RenderParam, &rec, sizeof rec);
    playUpdt |= updtPenMtdWin;
    return true;
}

bool CEventMngr::playRenderOpt(int ver, std::span<const uint8_t> body)
{
    SEvPen4RenderOpt rec;
    if (!readBody(body, rec))
        return false;
    storeStatusValue(ver == 4 ? enbPen4RenderOpt : enbPen5RenderOpt, &rec, sizeof rec);
    playUpdt |= updtPenMtdWin;
    return true;
}

bool CEventMngr::playStrokeParam4(std::span<const uint8_t> body)
{
    SEvPen4StrokeParam rec;
    if (!readBody(body, rec))
        return false;
    if (CStrokeMngr *sm = m_owner ? m_owner->strokeMngr4() : nullptr) {
        SStrokeParam sp;
        sm->getParam(sp);
        sp.enbPrsRadius = (rec.flags & 1) != 0;
        sp.enbPrsOpaque = (rec.flags & 2) != 0;
        sp.opaque = rec.opaque;
        sp.prsGamma = rec.prsGamma;
        sp.spacing = rec.spacing;
        sp.everyFreqR = rec.everyFreqR;
        sp.highDensityR = rec.highDensityR;
        sm->setParam(sp);
    }
    storeStatusValue(enbPen4StrokeParam, &rec, sizeof rec);
    playUpdt |= updtPenMtdWin;
    return true;
}

bool CEventMngr::playStrokeParam5(std::span<const uint8_t> body)
{
    SEvPen5StrokeParam rec;
    if (!readBody(body, rec) || rec.interpolateType > uint8_t(eInterpolateType::iptBSpline))
        return false;
    if (CStrokeMngr5 *sm = m_owner ? m_owner->strokeMngr5() : nullptr) {
        SStrokeParam sp;
        sm->getParam(sp);
        sp.enbPrsRadius = (rec.flags & 1) != 0;
        sp.enbPrsOpaque = (rec.flags & 2) != 0;
        sp.opaque = rec.opaque;
        sp.strokeVersion = rec.version;
        sp.prsGamma = rec.prsGamma;
        sp.spacing = rec.spacing;
        sp.everyFreqR = rec.everyFreqR;
        sp.highDensityR = rec.highDensityR;
        sp.smooth = rec.smooth;
        sp.interpolateType = eInterpolateType(rec.interpolateType);
        sm->setParam(sp);
    }
    storeStatusValue(enbPen5StrokeParam, &rec, sizeof rec);
    playUpdt |= updtPenMtdWin;
    return true;
}

namespace {
// The image nib in use: a copy of the replay nib carrying the image, zoom and id.
std::unique_ptr<CPenShapeObj> makeImageNib(const CPenShapeObj &base, const TChannel &img,
                                           int32_t zoom, uint32_t serial)
{
    auto nib = std::make_unique<CPenShapeObj>();
    if (base.enable)
        nib->copy(base);
    if (!nib->setImage(img, false))
        return nullptr;
    nib->changeZoom(zoom);
    nib->setID(int32_t(serial));
    return nib;
}
} // namespace

bool CEventMngr::playPenShapeImage(int ver, std::span<const uint8_t> body)
{
    SEvPenShapeHeader h;
    uint32_t known = 0;
    if (!hasPlayObjects() || !readBody(body, h) || mapPenShapeObj.lookup(h.serial, known))
        return false;
    std::unique_ptr<TChannel> ch =
        unpackChannel(h.width, h.height, h.bytes, h.packed, h.padded, body.subspan(sizeof h));
    if (!ch)
        return false;
    std::unique_ptr<CPenShapeObj> nib = makeImageNib(*playPenShapeObj, *ch, h.zoomRate, h.serial);
    if (!nib)
        return false;
    const uint32_t index = uint32_t(playPenShapeList.size());
    if (!mapPenShapeObj.setAt(h.serial, index))
        return false;
    playPenShapeList.push_back(std::move(ch));
    playPenShapeImg = std::move(nib);
    SEvPen4ShapeID idrec;
    idrec.serial = h.serial;
    idrec.zoom = h.zoomRate;
    idrec.imgSize = {h.width, h.height};
    storeStatusValue(ver == 4 ? enbPen4ShapeID : enbPen5ShapeID, &idrec, sizeof idrec);
    playUpdt |= updtPenShpWin;
    return true;
}

bool CEventMngr::playPenShapeID(int ver, std::span<const uint8_t> body)
{
    SEvPen4ShapeID rec;
    uint32_t index = 0;
    if (!hasPlayObjects() || !readBody(body, rec) || !mapPenShapeObj.lookup(rec.serial, index) ||
        index >= playPenShapeList.size() || !playPenShapeList[index])
        return false;
    std::unique_ptr<CPenShapeObj> nib =
        makeImageNib(*playPenShapeObj, *playPenShapeList[index], rec.zoom, rec.serial);
    if (!nib)
        return false;
    playPenShapeImg = std::move(nib);
    storeStatusValue(ver == 4 ? enbPen4ShapeID : enbPen5ShapeID, &rec, sizeof rec);
    playUpdt |= updtPenShpWin;
    return true;
}

bool CEventMngr::playToneObj(std::span<const uint8_t> body)
{
    SEvToneObjHeader h;
    uint32_t known = 0;
    if (!hasPlayObjects() || !readBody(body, h) || mapToneObj.lookup(h.serial, known))
        return false;
    const SPatRecord rec = patRecordFromBytes(h.pattern);
    if (rec.bpp != 8 || rec.kind > 1)
        return false;
    std::unique_ptr<TChannel> ch;
    if (h.padded > 0) {
        ch = unpackChannel(rec.width, rec.height, h.bytes, h.packed, h.padded,
                           body.subspan(sizeof h));
        if (!ch)
            return false;
    }
    const QString name = toneNameFromBytes(h.name, rec.nameLen);
    const sPos ofs{rec.ofsX, rec.ofsY};
    CToneMngr &tm = *playToneMngr;
    int32_t idx = -1;
    if (rec.kind == 0) {
        if (!ch)
            return false; // a plain pattern is its pixels
        idx = tm.appendPattern(*ch, 100, &ofs);
    } else {
        SToneAttr attr;
        initToneAttr(attr);
        readPatToneAttr(rec, attr);
        attr.name = name;
        if (!isToneAttrUsable(attr))
            return false;
        idx = tm.appendTone(attr, true, ch.get());
    }
    auto *pat = dynamic_cast<CPat8 *>(tm.getPattern(idx));
    if (!pat)
        return false;
    pat->ofs = ofs;
    pat->zoom = clampPatternZoom(*pat, rec.zoom);
    pat->setName(name);
    pat->Fnega = (rec.flags & kPatRecNegative) != 0;
    if (!mapToneObj.setAt(h.serial, uint32_t(idx))) {
        tm.deletePattern(idx);
        return false;
    }
    tm.setCurPat(idx);
    SEvToneID id;
    id.serial = h.serial;
    id.objType = uint8_t(rec.kind);
    id.flags = uint8_t((pat->Fnega ? 1 : 0) | (rec.kind == 1 ? 2 : 0));
    if (const auto *tone = dynamic_cast<const CPat8Tone *>(pat); tone && tone->maker())
        id.d = tone->maker()->d;
    id.zoom = uint16_t(pat->zoom);
    id.ofs = ofs;
    storeStatusValue(enbToneObj, &id, sizeof id);
    return true;
}

bool CEventMngr::playToneID(std::span<const uint8_t> body)
{
    SEvToneID rec;
    uint32_t idx = 0;
    if (!hasPlayObjects() || !readBody(body, rec) || !mapToneObj.lookup(rec.serial, idx))
        return false;
    auto *pat = dynamic_cast<CPat8 *>(playToneMngr->getPattern(int32_t(idx)));
    if (!pat)
        return false;
    const int32_t zoom = clampPatternZoom(*pat, rec.zoom);
    // The working copy is rebuilt only when the pattern or its zoom changes: every stroke with a
    // screentone selects it again, and building a screentone is slow.
    const bool rebuild = playToneMngr->getPatIdx() != int32_t(idx) || pat->zoom != zoom ||
                         !playToneMngr->getModPat();
    pat->ofs = rec.ofs;
    pat->zoom = zoom;
    pat->Fnega = (rec.flags & 1) != 0;
    if (rebuild)
        playToneMngr->setCurPat(int32_t(idx));
    else
        playToneMngr->updateModifiedPatParam();
    storeStatusValue(enbToneObj, &rec, sizeof rec);
    return true;
}

bool CEventMngr::playGradGroup(std::span<const uint8_t> body)
{
    SEvGradType t;
    if (!readBody(body, t))
        return false;
    const uint32_t len = t.slotlen;
    if (len == 0 || len % sizeof(sCRSlot) != 0 || len / sizeof(sCRSlot) > uint32_t(kCrsMaxSlots) ||
        body.size() < sizeof t + len)
        return false;
    CColorSlotGroup group(16);
    const uint8_t *p = body.data() + sizeof t;
    for (uint32_t i = 0; i < len / sizeof(sCRSlot); ++i) {
        sCRSlot s;
        std::memcpy(&s, p + i * sizeof(sCRSlot), sizeof s);
        if (!group.setColor(int32_t(i), s))
            return false;
    }
    group.refresh();
    curGradGroup = std::move(group);
    storeStatusValue(enbGradGroup, &t, sizeof t);
    return true;
}

CPenShapeObj *CEventMngr::getPlayPenShapeObj() const
{
    if (!playPenShapeObj)
        return nullptr;
    SEvPen4Param prm;
    bool shaped = false;
    if (m_owner && m_owner->actPaintLevel == ePaintLevel::PAINT_LEVEL_qZ4)
        shaped = getStatusValue(enbPen4Param, prm) && prm.shapeType != 0;
    else if (m_owner && m_owner->actPaintLevel == ePaintLevel::PAINT_LEVEL_qZ5)
        shaped = getStatusValue(enbPen5Param, prm) && prm.shapeType != 0;
    if (shaped && playPenShapeImg && playPenShapeImg->enable && playPenShapeImg->hasImage())
        return playPenShapeImg.get();
    return playPenShapeObj.get();
}

const CColorSlotGroup *CEventMngr::getPlayGradGroup()
{
    const int32_t ver = getRecordedVersion();
    if ((ver < 282 || ver == 298 || ver == 299) && playStroke) {
        // Older recordings painted gradients from the background to the drawing colour.
        auto swapRB = [](uint32_t c) {
            sRGBA out;
            out.R = uint8_t(c >> 16);
            out.G = uint8_t(c >> 8);
            out.B = uint8_t(c);
            out.A = kCrsKindOwn;
            return out;
        };
        curGradGroup.reset(16);
        curGradGroup.setColor(0, swapRB(playStroke->m_bgCol), 0x10000, 255);
        curGradGroup.setColor(1, swapRB(playStroke->m_drawColor), 0x10000, 255);
        curGradGroup.refresh();
    }
    return &curGradGroup;
}

const CColorSlotGroup *CEventMngr::playedColorSlotGroup() const
{
    return const_cast<CEventMngr *>(this)->getPlayGradGroup();
}

void CEventMngr::GetPaintParam()
{
    if (!m_owner || !hasPlayObjects())
        return;
    const ePaintLevel level = m_owner->actPaintLevel;
    SPlayPenMtd v;
    SStrokeParam sp;
    if (level == ePaintLevel::PAINT_LEVEL_qZ4) {
        playPenRender->getGradeParam(v.gradeMap);
        playPenRender->getRenderAttr(v.renderAttr);
        if (const CStrokeMngr *sm = m_owner->strokeMngr4())
            sm->getParam(sp);
    } else if (level == ePaintLevel::PAINT_LEVEL_qZ5) {
        // The display reads the version-5 curve where it reads the version-4 one.
        v.gradeMap = playPenRender5->gradeMap().param();
        v.renderAttr = playPenRender5->renderAttr();
        if (const CStrokeMngr5 *sm = m_owner->strokeMngr5())
            sm->getParam(sp);
    } else {
        return;
    }
    v.shape = getPlayPenShapeObj();
    v.strokeParam = sp;
    v.useGrad = playStroke->m_bUseGradation;
    v.useTone = playStroke->m_bUseTone;
    appSetPlayPenMtd(v);
}
