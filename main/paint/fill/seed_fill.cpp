#include "paint/fill/seed_fill.h"

#include "core/tiles/block_channel.h"
#include "core/image/canvas.h"
#include "core/image/channel.h"

#include <algorithm>

QString seedFillTooComplexMessage()
{
    return QStringLiteral("領域が複雑すぎます！");
}

// ---------------------------------------------------------------------------------------------
// CSeedFillCore

CSeedFillCore::CSeedFillCore(int32_t max, const sRect &rect)
    : CDynStack(int32_t(sizeof(sPos)), max), clipRect(rect)
{
}

bool CSeedFillCore::withinLimit(int32_t x, int32_t y) const
{
    return uint32_t(limitVal) >= colorDistance(x, y);
}

int32_t CSeedFillCore::extendSpan(const sPos &seed, sRange &span)
{
    if (isFilled(seed.x, seed.y) || !withinLimit(seed.x, seed.y))
        return 0;
    span = {seed.x, seed.x};
    while (span.max + 1 < clipRect.x1 && fillable(span.max + 1, seed.y))
        ++span.max;
    while (span.min - 1 >= clipRect.x0 && fillable(span.min - 1, seed.y))
        --span.min;
    return span.max - span.min + 1;
}

void CSeedFillCore::pushRowSeeds(int32_t y, const sRange &span)
{
    if (!rectContainsPoint(clipRect, {span.min, y}))
        return;
    bool inRun = false;
    for (int32_t x = span.min; x <= span.max; ++x) {
        const bool f = fillable(x, y);
        if (f && !inRun) {
            const sPos seed{x, y};
            push(&seed);
        }
        inRun = f;
    }
}

bool CSeedFillCore::takeKeyColor(const sPos &)
{
    return true;
}

bool CSeedFillCore::start(const sPos &pos, int32_t val)
{
    if (val > 0)
        limitVal = val;
    if (!resetStack() || !rectContainsPoint(clipRect, pos))
        return false;
    takeKeyColor(pos);
    push(&pos);
    sPos seed;
    while (!overflow && unshift(&seed)) {
        sRange span;
        if (extendSpan(seed, span) < 1)
            continue;
        fillSpan(span.min, seed.y, span.max - span.min + 1);
        pushRowSeeds(seed.y - 1, span);
        pushRowSeeds(seed.y + 1, span);
    }
    return overflow ? true : finishFill();
}

// ---------------------------------------------------------------------------------------------
// CSeedFillTC

CSeedFillTC::CSeedFillTC(int32_t max, const TMTC &tc, TChannel &ch, const sRect &rect)
    : CSeedFillCore(max, rect), imageTC(&tc), maskTC(&ch)
{
    // Every pixel the fill reaches must exist in the image and in the output.
    if (!rectIntersect(clipRect, rectFromSize(tc.FPSZ())) ||
        !rectIntersect(clipRect, rectFromSize(ch.FPSZ())) || !tc.isEnable() || !ch.isEnable())
        clipRect = {};
}

sBGRA CSeedFillTC::pixelAt(int32_t x, int32_t y) const
{
    return *imageTC->seek32(x, y);
}

bool CSeedFillTC::isFilled(int32_t x, int32_t y) const
{
    return maskTC->getColor(x, y) != 0;
}

void CSeedFillTC::fillSpan(int32_t x, int32_t y, int32_t n)
{
    uint8_t *dst = maskTC->seek8(x, y);
    for (int32_t i = 0; i < n; ++i) {
        const int64_t d = colorDistance(x + i, y);
        const int64_t v = (limitVal - d) * 255 / limitVal;
        // A filled pixel is never 0: the fill tells filled pixels by their non-zero bytes.
        dst[i] = uint8_t(v < 2 ? 1 : v);
    }
}

uint32_t CSeedFillTC::colorDistance(int32_t x, int32_t y) const
{
    return colorDistSq(keyColor.all, pixelAt(x, y).all);
}

bool CSeedFillTC::finishFill()
{
    if (useAntiAlias)
        maskTC->makeInflateAA(255);
    else
        maskTC->makeInflateNA(255);
    sRect r;
    return maskTC->findRect(r);
}

bool CSeedFillTC::takeKeyColor(const sPos &pos)
{
    keyColor = pixelAt(pos.x, pos.y);
    return true;
}

// ---------------------------------------------------------------------------------------------
// CSeedFillTCWithAlpha

CSeedFillTCWithAlpha::CSeedFillTCWithAlpha(int32_t max, const TMTC &tc, TChannel &ch,
                                           const sRect &rect)
    : CSeedFillTC(max, tc, ch, rect)
{
}

bool CSeedFillTCWithAlpha::takeKeyColor(const sPos &pos)
{
    const sBGRA key = pixelAt(pos.x, pos.y);
    keyColor = key;
    bAlpha = key.A == 0;
    if (!bAlpha) {
        if (pixelLuma(key) > 128)
            bgColor.all = 0;
        keyColor = bgColor;
        pixelPutAlpha(&keyColor, key.all, key.A);
    }
    return true;
}

uint32_t CSeedFillTCWithAlpha::colorDistance(int32_t x, int32_t y) const
{
    const sBGRA p = pixelAt(x, y);
    const uint32_t a = p.A;
    if (bAlpha)
        return 2 * a * a;
    if (a == 0)
        return 0x30000;
    if (a == 255)
        return colorDistSq(keyColor.all, p.all);
    sBGRA over = bgColor;
    pixelPutAlpha(&over, p.all, a);
    return colorDistSq(keyColor.all, over.all);
}

// ---------------------------------------------------------------------------------------------
// CSeedFillTCWithMask

CSeedFillTCWithMask::CSeedFillTCWithMask(int32_t max, const TMTC &tc, TChannel &ch,
                                         const sRect &rect, sPos ofs, const CBlockVCH &sel)
    : CSeedFillTCWithAlpha(max, tc, ch, rect), selectOfs(ofs), selectTC(&sel)
{
}

bool CSeedFillTCWithMask::isFilled(int32_t x, int32_t y) const
{
    return CSeedFillTC::isFilled(x, y) ||
           selectTC->pixelGet2(x + selectOfs.x, y + selectOfs.y) == 0;
}
