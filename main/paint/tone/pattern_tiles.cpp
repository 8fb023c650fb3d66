#include "paint/tone/pattern_tiles.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int32_t gPatternIdCounter = 0;

// v wrapped into 0..n - 1 (n > 0), never negative.
int32_t wrapInto(int64_t v, int32_t n)
{
    const int64_t m = v % n;
    return int32_t(m < 0 ? m + n : m);
}

int32_t truncSaturated(long double v)
{
    if (!(v > std::numeric_limits<int32_t>::min())) {
        return std::numeric_limits<int32_t>::min();
    }
    if (!(v < std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    return int32_t(std::trunc(v));
}

// a + b clamped into the 32-bit range: offsets come from files.
int32_t addSaturated(int32_t a, int64_t b)
{
    return int32_t(std::clamp<int64_t>(int64_t(a) + b, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
}

void setColourFromValue(sBGRA &px, uint32_t value)
{
    px.B = px.G = px.R = uint8_t(255 - value);
}

} // namespace

int32_t newPatternId()
{
    return ++gPatternIdCounter;
}

// ---- CPatObj

CPatObj::CPatObj(int32_t x, int32_t y, int32_t f) : Fid(newPatternId()), size{x, y}, flags(f) {}

CPatObj::CPatObj(const CPatObj &src)
    : enable(src.enable), Fid(newPatternId()), objType(src.objType), ofs(src.ofs), size(src.size),
      zoom(src.zoom), flags(src.flags), Fname(src.Fname)
{
}

CPatObj::~CPatObj() = default;

int32_t CPatObj::setNewID()
{
    const int32_t old = Fid;
    Fid = newPatternId();
    return old;
}

bool CPatObj::setEnable(bool sw)
{
    const bool hasImage = imgObj && imgObj->isEnable();
    if (hasImage) {
        enable = sw;
    }
    return hasImage;
}

sSize CPatObj::getOfsSize() const
{
    return size;
}

sRange CPatObj::getZoomRange() const
{
    const int32_t shorter = std::min(size.x, size.y);
    if (shorter <= 0) {
        return {100, 100}; // nothing to zoom; no division by an empty side
    }
    return {1000 / shorter, 200};
}

void CPatObj::setName(const QString &str)
{
    Fname = str;
}

bool CPatObj::copyImage(const TChannel &)
{
    return false;
}

void CPatObj::drawImage(TMTC &, sBox) const {}

void CPatObj::drawImageRepeat(TMTC &tc, sBox box) const
{
    if (size.x <= 0 || size.y <= 0 || !tc.clipping(box)) {
        return;
    }
    for (int32_t y = box.y; y < box.y + box.h; y += size.y) {
        const int32_t h = std::min(size.y, box.y + box.h - y);
        for (int32_t x = box.x; x < box.x + box.w; x += size.x) {
            drawImage(tc, {x, y, std::min(size.x, box.x + box.w - x), h});
        }
    }
}

void CPatObj::drawPreview(TMTC &tc, sBox box) const
{
    drawImageRepeat(tc, box);
}

void *CPatObj::seekPattern(int32_t x, int32_t y) const
{
    if (size.x <= 0 || size.y <= 0) {
        return nullptr;
    }
    return seek(wrapInto(int64_t(x) + ofs.x, size.x), wrapInto(int64_t(y) + ofs.y, size.y));
}

void CPatObj::nextScreenTone(uint8_t *&dat, int32_t &x) const
{
    ++dat;
    if (++x >= size.x) {
        dat -= x;
        x = 0;
    }
}

// ---- CPat8

CPat8::CPat8(int32_t x, int32_t y, int32_t f)
    : CPatObj(x, y, f), memCH(std::make_unique<TChannel>())
{
    if (x > 0 && y > 0 && memCH->Resize(x, y)) {
        memCH->PixelFill(0);
    }
    imgObj = memCH.get();
}

CPat8::CPat8(const CPat8 &src) : CPatObj(src), memCH(std::make_unique<TChannel>()), Fnega(src.Fnega)
{
    if (src.memCH->isEnable() && memCH->Resize(src.memCH->FPSZ())) {
        src.memCH->Blt(*memCH, 0, 0);
    }
    imgObj = memCH.get();
}

CPat8::~CPat8() = default;

void *CPat8::seek(int32_t x, int32_t y) const
{
    return memCH->seek8(x, y);
}

uint8_t CPat8::getValue(int32_t x, int32_t y) const
{
    // The size and the image agree except for a pattern whose image could not be had.
    if (!memCH->isEnable() || memCH->FPSZ() != size) {
        return 0;
    }
    const uint8_t v = *static_cast<const uint8_t *>(seekPattern(x, y));
    return Fnega ? uint8_t(255 - v) : v;
}

bool CPat8::copyImage(const TChannel &ch)
{
    ch.Blt(*memCH, 0, 0);
    return true;
}

void CPat8::copy(const CPat8 &src)
{
    src.memCH->Blt(*memCH, 0, 0);
}

bool CPat8::update(const TChannel &ch)
{
    const bool resized = memCH->Resize(ch.FPSZ());
    size = memCH->FPSZ();
    if (resized) {
        ch.Blt(*memCH, 0, 0);
    }
    return resized;
}

void CPat8::drawImage(TMTC &tc, sBox box) const
{
    sPos at = box.pos();
    sBox src{0, 0, box.w, box.h};
    if (!memCH->isEnable() || !tc.isEnable() || !clipBlt(tc.FPSZ(), memCH->FPSZ(), at, src)) {
        return;
    }
    for (int32_t j = 0; j < src.h; ++j) {
        sBGRA *d = tc.seek32(at.x, at.y + j);
        const uint8_t *s = memCH->seek8(src.x, src.y + j);
        for (int32_t i = 0; i < src.w; ++i) {
            setColourFromValue(d[i], s[i]);
        }
    }
}

// ---- CPat8Tone

CPat8Tone::CPat8Tone() : CPat8(64, 64, 18)
{
    objType = potTone;
    initToneAttr(toneAttr);
}

CPat8Tone::CPat8Tone(const CPat8Tone &src)
    : CPat8(src), toneAttr(src.toneAttr), ownMaker(src.ownMaker)
{
    if (src.ownMaker) {
        toneMaker = std::make_shared<CToneMaker>();
        if (isToneAttrUsable(toneAttr)) {
            toneMaker->buildTone(toneAttr.pattern, toneAttr.dpi / toneAttr.line, toneAttr.degree,
                                 toneAttr.percent, toneAttr.band);
        }
    } else {
        toneMaker = src.toneMaker;
    }
}

CPat8Tone::~CPat8Tone() = default;

bool CPat8Tone::build(const SToneAttr *attr, std::shared_ptr<CToneMaker> maker, bool mk,
                      const TChannel *ch)
{
    if (!attr) {
        return false;
    }
    if (maker) {
        toneMaker = std::move(maker); // an owned maker goes with the reference it held
        ownMaker = false;
    } else {
        toneMaker = std::make_shared<CToneMaker>();
        ownMaker = true;
    }
    if (!ch || mk) {
        if (!isToneAttrUsable(*attr) ||
            !toneMaker->buildTone(attr->pattern, attr->dpi / attr->line, attr->degree,
                                  attr->percent, attr->band)) {
            return false;
        }
    }
    toneAttr = *attr;
    setEnable(true);
    if (ch) {
        update(*ch);
    } else {
        toneMaker->fill(*memCH, 0, 0);
    }
    return true;
}

sSize CPat8Tone::getOfsSize() const
{
    return enable ? sSize{100, 100} : size;
}

sRange CPat8Tone::getZoomRange() const
{
    if (!isToneAttrUsable(toneAttr)) {
        return {100, 100};
    }
    const long double perPitch = (long double)toneAttr.line * 100 / toneAttr.dpi;
    return {truncSaturated((long double)toneAttr.line * 3.5L * 100 / toneAttr.dpi),
            truncSaturated(perPitch * 127.5L)};
}

void CPat8Tone::setName(const QString &str)
{
    CPat8::setName(str);
    toneAttr.name = str;
}

uint8_t CPat8Tone::getValue(int32_t x, int32_t y) const
{
    if (!toneMaker) {
        return 0;
    }
    const uint32_t v =
        toneMaker->getTone(addSaturated(x, -int64_t(ofs.x)), addSaturated(y, -int64_t(ofs.y)));
    return uint8_t(Fnega ? 255 - v : v);
}

void CPat8Tone::drawImageWithOffset(TMTC &tc, sBox box, int32_t dx, int32_t dy) const
{
    if (!enable || !toneMaker || !tc.clipping(box)) {
        return;
    }
    for (int32_t y = box.y; y < box.y + box.h; ++y) {
        sBGRA *d = tc.seek32(0, y);
        for (int32_t x = box.x; x < box.x + box.w; ++x) {
            setColourFromValue(d[x], toneMaker->getTone(addSaturated(x, dx), addSaturated(y, dy)));
        }
    }
}

void CPat8Tone::drawImage(TMTC &tc, sBox box) const
{
    drawImageWithOffset(tc, box, 0, 0);
}

void CPat8Tone::drawImageRepeat(TMTC &tc, sBox box) const
{
    drawImage(tc, box);
}

void CPat8Tone::drawPreview(TMTC &tc, sBox box) const
{
    const sSize tile = memCH->FPSZ();
    if (!memCH->isEnable() || !tc.clipping(box)) {
        return;
    }
    for (int32_t y = box.y; y < box.y + box.h; y += tile.y) {
        const int32_t h = std::min(tile.y, box.y + box.h - y);
        for (int32_t x = box.x; x < box.x + box.w; x += tile.x) {
            tc.copyArea(*memCH, {x, y}, {0, 0, std::min(tile.x, box.x + box.w - x), h});
        }
    }
    tc.effectXor(box, 0x00FFFFFF);
}

std::unique_ptr<CPat8> makePatternOfTile(const TChannel &ch, int32_t zoom, const sPos *ofs)
{
    if (!ch.isEnable()) {
        return nullptr;
    }
    auto pat = std::make_unique<CPat8>(ch.width(), ch.height(), kPatFlagAlpha);
    if (!pat->channel()->isEnable()) {
        return nullptr;
    }
    pat->copyImage(ch);
    pat->zoom = zoom;
    if (ofs) {
        pat->ofs = *ofs;
    }
    pat->setEnable(true);
    return pat;
}

std::unique_ptr<CPat8Tone> makeScreenTone(const SToneAttr &attr,
                                          const std::shared_ptr<CToneMaker> &maker, bool mk,
                                          const TChannel *ch)
{
    try {
        auto tone = std::make_unique<CPat8Tone>();
        if (!tone->build(&attr, maker, mk, ch)) {
            return nullptr;
        }
        tone->setName(attr.name);
        return tone;
    } catch (...) {
        return nullptr;
    }
}
