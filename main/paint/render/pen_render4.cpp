#include "paint/render/pen_render4.h"

#include "core/tiles/block_layer_image.h"
#include "core/image/canvas.h"
#include "core/image/canvas_draw.h"
#include "core/image/channel.h"
#include "core/base/numeric.h"
#include "paint/presets/pen_presets.h"
#include "paint/render/pen_render_host.h"
#include "paint/stroke/stroke.h"
#include "paint/render/stroke_base_puts.h"
#include "paint/render/stroke_context.h"
#include "paint/stroke/stroke_tables.h"
#include "platform/system/debug_output.h"
#include "platform/desktop/messages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <optional>

namespace {

constexpr int32_t kMapEntries = 2048; // the version-4 fall-off table
constexpr int32_t kOne = 0x10000;
constexpr int32_t kFullAlpha = 255 << 16;
constexpr int32_t kWaterColorPres = 22937; // 0.35 in 16.16

// The programming errors of the renderer (a stroke, nib map or texture that is missing or does
// not fit) end the dab; a developer sees them in the diagnostics.
void assertFailed(const char *what)
{
    debugOut(QStringLiteral("アサートの失敗: %1").arg(QLatin1String(what)));
}

int32_t clampByte(int32_t v)
{
    return std::clamp(v, 0, 255);
}

} // namespace

// ---- names ----------------------------------------------------------------------------------

QString penRender4ModeName(ePenRenderMode mode, bool oneChannel)
{
    static constexpr std::array<const char16_t *, 7> kNames = {
        u"エアーブラシ", u"透明水彩", u"ぼかし", u"消しゴム", u"のばし", u"指先", u"焼き込み"};
    const size_t i = size_t(mode);
    if (i >= kNames.size())
        return {};
    return oneChannel ? QStringLiteral("鉛筆") : QString::fromUtf16(kNames[i]);
}

QString penRender4EffectCaption(int row, int kind)
{
    static constexpr const char16_t *kCaptions[8][3] = {
        {u"effect1", u"effect2", u"effect3"},
        {u"のばし効果", u"ぼかし効果", u"影響距離"},
        {u"ぼかし強度", u"", u""},
        {u"露出量", u"", u""},
        {u"", u"", u""},
        {u"キャンバス色の影響度|最初に触れた色が、どれだけ描画色に影響するか",
         u"周辺色の影響度|描画周囲の色がどれだけ影響するか",
         u"効果の影響距離|選択している色に変化するまでのストローク距離長"},
        {u"ぼかし強度|値が大きいほど強くボカシをかけます", u"", u""},
        {u"露出量|値が大きいほど効果が強くなります", u"", u""},
    };
    if (row < 0 || row >= 8 || kind < 0 || kind >= 3)
        return {};
    return QString::fromUtf16(kCaptions[row][kind]);
}

// ---- construction and settings --------------------------------------------------------------

CPenRender::CPenRender(TStroke *strk)
    : Fstroke(strk), mapObj(std::make_unique<CGradeMapObj>(kMapEntries)),
      shapeMap(std::make_unique<CPenShape>(mapObj.get()))
{
    penColor.fgCol.all = 0x00FFFFFF;
    penColor.bgCol.all = 0;
    initPenParam(penParam, 10);
    penAttrClear(penAttr);
    initPenRenderAttr(renderAttr);
    shapeMap->switchAreaMap(true);
    shapeMap->switchRadiusMap(true);
    shapeMap->switchGradeMap(true);
}

CPenRender::~CPenRender() = default;

TStroke *CPenRender::setStroke(TStroke *strk)
{
    TStroke *old = Fstroke;
    Fstroke = strk;
    return old;
}

IPenRenderPaper *CPenRender::setPaper(IPenRenderPaper *paper)
{
    IPenRenderPaper *old = Fpaper;
    Fpaper = paper;
    return old;
}

void CPenRender::getPenShapeData(SPenShapeData &data) const
{
    data.map = mapObj->mapParam;
    data.param = penParam;
    data.attr = penAttr;
}

bool CPenRender::changePenParam(const SPenParam &prm)
{
    if (penParamEqual(prm, penParam))
        return false;
    penParam = prm;
    return true;
}

bool CPenRender::changePenAttr(const SPenAttr &prm)
{
    if (penAttrEqual(prm, penAttr))
        return false;
    penAttr = prm;
    return true;
}

bool CPenRender::changePenColor(const SPenColor &prm)
{
    if (prm.fgCol.all == penColor.fgCol.all && prm.bgCol.all == penColor.bgCol.all)
        return false;
    penColor = prm;
    return true;
}

bool CPenRender::changeGradeParam(const SGradeMapParam &prm)
{
    if (!mapObj->setParam(prm))
        return false;
    shapeMap->updateGradeMap();
    return true;
}

bool CPenRender::setPenShapeData(const SPenShapeData &data)
{
    const bool map = changeGradeParam(data.map);
    const bool prm = changePenParam(data.param);
    const bool atr = changePenAttr(data.attr);
    return map || prm || atr;
}

void CPenRender::setPenShapeObj(CPenShapeObj *obj, bool map, bool prm, bool atr)
{
    if (obj && obj->hasImage()) {
        shapeObj = obj;
        bShapeImg = true;
        shapeMap->buildImage(obj, true);
    } else {
        shapeObj = nullptr;
        bShapeImg = false;
        shapeImgR = 0;
    }
    if (!obj)
        return;
    if (prm)
        changePenParam(obj->penParam);
    if (atr)
        changePenAttr(obj->penAttr);
    if (map)
        changeGradeParam(obj->gradMap);
}

bool CPenRender::changeMode(uint8_t ren, uint8_t shp, int32_t sub, uint8_t rentype)
{
    return penRenderAttrSetMode(renderAttr, ren, shp, sub, rentype);
}

bool CPenRender::changeRenderMode(const SPenRenderAttr &attr)
{
    return changeMode(uint8_t(attr.renderMode), uint8_t(attr.shapeMode), attr.subRenderMode,
                      attr.renderType);
}

bool CPenRender::changeRenderParam(const SPenRenderAttr &attr, int32_t f)
{
    return penRenderAttrSetParams(renderAttr, attr, f);
}

bool CPenRender::changeRenderAttr(const SPenRenderAttr &attr, int32_t f)
{
    const bool mode = changeRenderMode(attr);
    const bool param = changeRenderParam(attr, f);
    return mode || param;
}

bool CPenRender::updatePenColor()
{
    if (!Fstroke) {
        assertFailed("updatePenColor without a stroke");
        return false;
    }
    penColor.fgCol.all = Fstroke->m_drawColor;
    penColor.bgCol.all = Fstroke->m_bgCol;
    return true;
}

bool CPenRender::isEnbRender1() const
{
    return (renderAttr.renderType & kRenderTypeOneChannel) != 0;
}

bool CPenRender::protectsTransparency() const
{
    return Fstroke && Fstroke->m_bProtectMask;
}

// ---- sizes ----------------------------------------------------------------------------------

float CPenRender::getPenRadius() const
{
    if (usesImageNib())
        return float(shapeImgR);
    return float(penParam.radius) / 100.0f;
}

float CPenRender::getPenMinRadius(float r) const
{
    if (usesImageNib()) {
        const int32_t lo = shapeObj->zoomRng.min;
        return float(lo + (penParam.radiusMin / 10) * (shapeObj->zoomRate - lo) / 100);
    }
    return (float(penParam.radiusMin) / 1000.0f) * r;
}

float CPenRender::calcPenSpacing(float r, float spc) const
{
    if (usesImageNib())
        return float(spc * (shapeObj->imageRadius * (long double)shapeObj->zoomRate * 0.01L));
    // A Single product: a spacing of 0.1 at radius 20 is 2 exactly, and its ceiling 2.
    return spc * r;
}

void CPenRender::calcEffectivePenSize(float r, sSize &sz) const
{
    if (usesImageNib()) {
        sz = {fixCeil(shapeMap->szR.x), fixCeil(shapeMap->szR.y)};
        return;
    }
    const int32_t c = r > 0 ? int32_t(std::ceil(std::min(r, 1e9f))) : 0;
    sz = {c, c};
}

// ---- the stroke -----------------------------------------------------------------------------

void CPenRender::startRender(TMTC &dst, float x, float y, float p)
{
    shapeImgR = usesImageNib() ? shapeObj->zoomRate : 0;
    switch (renderAttr.renderMode) {
    case ePenRenderMode::PRMODE_WC:
        startWaterColor(dst, x, y);
        break;
    case ePenRenderMode::PRMODE_Blur:
        growBlurSums(size_t(std::max(penParam.radius / 100, 0)) + 1);
        break;
    case ePenRenderMode::PRMODE_RubSingle:
    case ePenRenderMode::PRMODE_RubDouble:
        if (Fstroke)
            Fstroke->initRubPen(dst, x, y, p, getPenRadius());
        break;
    case ePenRenderMode::PRMODE_GammaL: {
        // Burn (sub mode 0) darkens with an exponent above 1, dodge lightens with its inverse.
        const long double e = 1 + 0.002L * effect(0);
        makePowerCurveTable(gPowerCurveTable, float(renderAttr.subRenderMode == 0 ? e : 1 / e));
        break;
    }
    default:
        break;
    }
}

void CPenRender::endRender()
{
    if (usesImageNib())
        shapeObj->changeZoom(shapeImgR);
}

void CPenRender::setBlurParam(const CBlockVMTC *img, float r)
{
    blurLen = roundToInt32((long double)effect(0) * r / 100);
    refImage = img;
}

// ---- one dab --------------------------------------------------------------------------------

bool CPenRender::setRenderParam(const CDibCore &target, const SStrokeData &locus, uint32_t col,
                                float hy, float hx)
{
    if (!(locus.p > 0))
        return false;
    renderParam.pos = {floatToFix(locus.x), floatToFix(locus.y)};
    renderParam.pres = floatToFix(locus.p);
    renderParam.sizeR = {floatToFix(std::max(hx, 0.1f)), floatToFix(std::max(hy, 0.1f))};
    renderParam.color.all = col;
    const sFXPos &p = renderParam.pos;
    const sFXSize &s = renderParam.sizeR;
    const sRect whole{fixFloor(p.x - s.x), fixFloor(p.y - s.y), fixCeil(p.x + s.x),
                      fixCeil(p.y + s.y)};
    renderParam.rect = whole;
    if (!target.clipping(renderParam.rect))
        return false;
    renderParam.ofs = {renderParam.rect.x0 - whole.x0, renderParam.rect.y0 - whole.y0};
    return true;
}

bool CPenRender::makeShape()
{
    const int32_t flat = penParamGetFlatPercent(penParam);
    const int32_t deg = penParamGetDegreeInt(penParam);
    const bool realTime = renderAttr.shapeMode != ePenShapeMode::PSMODE_Std;
    const sFXPos &p = renderParam.pos;
    const int32_t r = renderParam.sizeR.x;
    bool ok;
    if (flat == 100)
        ok = realTime ? shapeMap->makeCircleMap(p.x, p.y, r, bShapeDirX) : shapeMap->buildRound(r);
    else
        ok = realTime ? shapeMap->makeEllipseMap(p.x, p.y, r, flat, -deg, bShapeDirX)
                      : shapeMap->buildEllipse(r, flat, -deg);
    if (!ok)
        assertFailed("nib map");
    return ok;
}

bool CPenRender::prepareShape(float r)
{
    if (!usesImageNib())
        return makeShape();
    shapeObj->changeZoom(int32_t(std::trunc(r + 0.5f)));
    return shapeMap->buildImage(shapeObj, false);
}

bool CPenRender::prepareDab(const CDibCore &target, const SStrokeData &locus, float r, uint32_t col)
{
    if (usesImageNib()) {
        if (!prepareShape(r))
            return false;
        return setRenderParam(target, locus, col, float(shapeMap->szR.y / 65536.0L),
                              float(shapeMap->szR.x / 65536.0L));
    }
    return setRenderParam(target, locus, col, r, r) && prepareShape(r);
}

bool CPenRender::render(TMTC &tc, const SStrokeData &locus, float r, uint32_t col)
{
    if (!tc.isEnable() || !prepareDab(tc, locus, r, col))
        return false;
    switch (renderAttr.renderMode) {
    case ePenRenderMode::PRMODE_Std:
        plainDab(tc);
        break;
    case ePenRenderMode::PRMODE_WC:
        waterColorDab(tc);
        break;
    case ePenRenderMode::PRMODE_Blur:
        blurDab(tc);
        break;
    case ePenRenderMode::PRMODE_Erase:
        eraseDab(tc);
        break;
    case ePenRenderMode::PRMODE_RubSingle:
        spreadDab(tc, locus, r);
        break;
    case ePenRenderMode::PRMODE_RubDouble:
        fingerTipDab(tc, locus, r);
        break;
    case ePenRenderMode::PRMODE_GammaL:
        gammaDab(tc);
        break;
    default:
        return false;
    }
    return true;
}

bool CPenRender::render1(TChannel &ch, const SStrokeData &locus, float r, uint32_t col)
{
    if (!ch.isEnable() || !prepareDab(ch, locus, r, col))
        return false;
    plainDab(ch);
    return true;
}

bool CPenRender::renderPen1(TChannel &ch, const SStrokeData &locus, float r, uint32_t col)
{
    const ePenShapeMode saved = renderAttr.shapeMode;
    renderAttr.shapeMode = ePenShapeMode::PSMODE_RealTimeXY;
    bool painted = false;
    // Small dabs are drawn by rows and again by columns, so that thin lines keep their weight in
    // both directions.
    if (r >= 0.5f && r < 3.0f) {
        bShapeDirX = true;
        painted = render1(ch, locus, r, col);
        bShapeDirX = false;
    }
    painted = render1(ch, locus, r, col) || painted;
    renderAttr.shapeMode = saved;
    return painted;
}

// ---- dabs -----------------------------------------------------------------------------------

int32_t CPenRender::nibValue(int32_t i, int32_t j) const
{
    // The pixel centre relative to the dab position.
    const int32_t dx = (i << 16) - renderParam.pos.x + 0x8000;
    const int32_t dy = (j << 16) - renderParam.pos.y + 0x8000;
    const int32_t v = shapeMap->getValueCenter(dx, dy);
    if (penAttrIsAntiOff(penAttr))
        return v < 1 ? 0 : kFullAlpha;
    return v;
}

uint32_t CPenRender::dabAlpha(int32_t i, int32_t j) const
{
    const int32_t e = fixMul(nibValue(i, j), renderParam.pres);
    return uint32_t(clampByte(e >> 16));
}

void CPenRender::plainDab(TMTC &tc)
{
    const sRect &rc = renderParam.rect;
    for (int32_t j = rc.y0; j < rc.y1; ++j)
        for (int32_t i = rc.x0; i < rc.x1; ++i) {
            const uint32_t a = dabAlpha(i, j);
            if (a >= 1)
                gCanvasPutAt(tc.seek32(i, j), i, j, a, renderParam.color.all);
        }
}

void CPenRender::plainDab(TChannel &ch)
{
    const sRect &rc = renderParam.rect;
    for (int32_t j = rc.y0; j < rc.y1; ++j)
        for (int32_t i = rc.x0; i < rc.x1; ++i) {
            const uint32_t a = dabAlpha(i, j);
            if (a >= 1)
                gChannelPutAt(ch.seek8(i, j), i, j, a, renderParam.color.all);
        }
}

void CPenRender::eraseDab(TMTC &tc)
{
    const TLayerMode mode = Fpaper ? Fpaper->strokeLayerMode() : TLayerMode::LM_STD;
    // Without transparency protection the eraser lowers alpha, for this dab only.
    std::optional<StrokeColorPutSwap> swap;
    if (!protectsTransparency())
        swap.emplace(pixelEraseAlpha);
    renderParam.color.all = getLayerModeBgColor(mode).value_or(0);
    plainDab(tc);
}

void CPenRender::gammaDab(TMTC &tc)
{
    StrokeColorPutSwap swap(pixelPutLightnessCurve);
    plainDab(tc);
}

// ---- watercolour ----------------------------------------------------------------------------

void CPenRender::startWaterColor(const TMTC &dst, float x, float y)
{
    if (!Fstroke || !dst.isEnable())
        return;
    SWaterColorWork &wc = Fstroke->m_wcWork;
    const int32_t x0 = int32_t(std::trunc(std::clamp(x, -1e9f, 1e9f)));
    const int32_t y0 = int32_t(std::trunc(std::clamp(y, -1e9f, 1e9f)));
    uint32_t sumR = 0, sumG = 0, sumB = 0;
    for (int32_t i = 0; i <= 10; ++i)
        for (int32_t j = 0; j <= 10; ++j)
            dst.PixelGetAdd(x0 + j - 5, y0 + i - 5, sumR, sumG, sumB);
    wc.firstCol.B = uint8_t(sumB / 121);
    wc.firstCol.G = uint8_t(sumG / 121);
    wc.firstCol.R = uint8_t(sumR / 121);
    wc.penCol.r = float(wc.firstCol.R);
    wc.penCol.g = float(wc.firstCol.G);
    wc.penCol.b = float(wc.firstCol.B);
    wc.blendCol[0] = wc.firstCol;
    // Effect 1 is the share of the picked-up colour kept at the start.
    const int32_t kept = clampByte(int32_t(effect(0)) * 255 / 100);
    pixelPutAlpha(&wc.blendCol[0], penColor.fgCol.all, uint32_t(255 - kept));
}

void CPenRender::waterColorDab(TMTC &tc)
{
    if (!Fstroke) {
        plainDab(tc);
        return;
    }
    SWaterColorWork &wc = Fstroke->m_wcWork;
    // The dab colour comes in over effect 3 diameters of the stroke.
    const float reach = float(effect(2)) * (float(penParam.radius) / 100.0f) * 2.0f;
    int32_t k = kOne;
    if (reach != 0)
        k = std::min(floatToFix(Fstroke->m_penProgress / reach), kOne);
    wc.blendCol[1] = wc.blendCol[0];
    pixelPutAlpha(&wc.blendCol[1], renderParam.color.all, uint32_t(std::max(k, 0) * 255) >> 16);

    // Four canvas pixels just inside the dab's rim, one unit past each edge's position.
    const sFXPos &p = renderParam.pos;
    const sFXSize &s = renderParam.sizeR;
    const sFXPos at[4] = {
        {p.x, p.y - s.y + 1}, {p.x, p.y + s.y + 1}, {p.x - s.x + 1, p.y}, {p.x + s.x + 1, p.y}};
    sdRGBA sum{};
    for (const sFXPos &q : at)
        tc.sumPixel(q.x / kOne, q.y / kOne, sum);
    const uint32_t sample[3] = {sum.r / 4, sum.g / 4, sum.b / 4};

    // The running colour moves towards the samples by at most effect 2 / 10 per dab.
    const int32_t m = effect(1);
    const int32_t step = (m << 16) / 10;
    float *chan[3] = {&wc.penCol.r, &wc.penCol.g, &wc.penCol.b};
    for (int c = 0; c < 3; ++c) {
        const int32_t cur = floatToFix(*chan[c]), target = int32_t(sample[c]) << 16;
        const int32_t next = std::abs(target - cur) <= step ? target
                             : target > cur                 ? cur + step
                                                            : cur - step;
        *chan[c] = float(next / 65536.0L);
    }
    sBGRA pen{};
    pen.R = uint8_t(clampByte(int32_t(wc.penCol.r)));
    pen.G = uint8_t(clampByte(int32_t(wc.penCol.g)));
    pen.B = uint8_t(clampByte(int32_t(wc.penCol.b)));
    const long double blur = std::trunc(m * 2.55L);
    pixelPutAlpha(&wc.blendCol[1], pen.all, uint32_t(std::min(blur, 255.0L)));

    // The paint goes on at 35 % of the dab's opacity, or of the stroke's when pressure does not
    // change the opacity.
    const int32_t base =
        Fstroke->m_penIfTrans ? renderParam.pres : floatToFix(Fstroke->getOpaque());
    renderParam.pres = fixMul(base, kWaterColorPres);
    renderParam.color = wc.blendCol[1];
    plainDab(tc);
}

// ---- blur -----------------------------------------------------------------------------------

bool CPenRender::growBlurSums(size_t n)
{
    if (sumAry.size() >= n)
        return true;
    try {
        sumAry.resize(n);
    } catch (const std::bad_alloc &) {
        return false;
    } catch (const std::length_error &) {
        return false;
    }
    return true;
}

namespace {

// One column of the blur window: rows y - l .. y + l of column x, each channel weighted by its
// pixel's alpha (mul255) or plain.
template <class Column>
Column blurColumn(const CBlockVMTC &img, int32_t x, int32_t y, int32_t l, bool weighted,
                  uint32_t &lastAlpha)
{
    Column c;
    for (int32_t j = y - l; j <= y + l; ++j) {
        const sBGRA p{.all = img.PixelGet(x, j)};
        lastAlpha = p.A;
        if (weighted) {
            c.b += mul255(p.B, p.A), c.g += mul255(p.G, p.A), c.r += mul255(p.R, p.A);
            c.a += p.A;
        } else {
            c.b += p.B, c.g += p.G, c.r += p.R;
        }
    }
    return c;
}

} // namespace

void CPenRender::blurDab(TMTC &tc)
{
    if (!refImage) {
        assertFailed("blur without a layer image");
        return;
    }
    const int32_t l = std::max(blurLen, 1);
    const size_t n = size_t(2 * int64_t(l) + 1);
    if (!growBlurSums(n)) {
        showWarning(QStringLiteral("メモリ不足により%1の実行に失敗しました！")
                        .arg(QStringLiteral("ぼかし")));
        return;
    }
    if (renderParam.pres == 0)
        return;
    // With transparency protected the colour alone is blurred; otherwise alpha is blurred with
    // it and put along with the colour, for this dab only.
    const bool weighted = !protectsTransparency();
    std::optional<StrokeColorPutSwap> swap;
    if (weighted)
        swap.emplace(pixelPutWithAlpha);
    const uint64_t area = uint64_t(n) * n;
    const sRect &rc = renderParam.rect;
    for (int32_t j = rc.y0; j < rc.y1; ++j) {
        bool started = false;
        SBlurColumn total;
        size_t oldest = 0;
        uint32_t lastAlpha = 0;
        for (int32_t i = rc.x0; i < rc.x1; ++i) {
            const uint32_t m = dabAlpha(i, j);
            if (!started) {
                if (m == 0)
                    continue;
                total = {};
                for (size_t k = 0; k < n; ++k) {
                    sumAry[k] = blurColumn<SBlurColumn>(*refImage, i - l + int32_t(k), j, l,
                                                        weighted, lastAlpha);
                    total.b += sumAry[k].b, total.g += sumAry[k].g, total.r += sumAry[k].r;
                    total.a += sumAry[k].a;
                }
                oldest = 0;
                started = true;
            } else {
                SBlurColumn &out = sumAry[oldest];
                total.b -= out.b, total.g -= out.g, total.r -= out.r, total.a -= out.a;
                out = blurColumn<SBlurColumn>(*refImage, i + l, j, l, weighted, lastAlpha);
                total.b += out.b, total.g += out.g, total.r += out.r, total.a += out.a;
                oldest = (oldest + 1) % n;
            }
            sBGRA c{};
            if (weighted) {
                if (total.a == 0)
                    continue;
                c.B = uint8_t(std::min<uint64_t>(total.b * 255 / total.a, 255));
                c.G = uint8_t(std::min<uint64_t>(total.g * 255 / total.a, 255));
                c.R = uint8_t(std::min<uint64_t>(total.r * 255 / total.a, 255));
                c.A = uint8_t(total.a / area);
            } else {
                c.B = uint8_t(total.b / area);
                c.G = uint8_t(total.g / area);
                c.R = uint8_t(total.r / area);
                c.A = uint8_t(lastAlpha);
            }
            gCanvasPutAt(tc.seek32(i, j), i, j, m, c.all);
        }
    }
}

// ---- spread and finger tip ------------------------------------------------------------------

void CPenRender::textureDab(TMTC &tc, const CPenTC &tex)
{
    if (renderParam.pres <= 0 || !tex.isEnable())
        return;
    sSize toff;
    if (!tex.getOffset(toff, renderParam.sizeR))
        return;
    const sPos origin{renderParam.ofs.x + toff.x, renderParam.ofs.y + toff.y};
    if (!ptInSize(origin.x, origin.y, tex.width(), tex.height())) {
        assertFailed("texture offset");
        return;
    }
    const sRect &rc = renderParam.rect;
    if (origin.x + (rc.x1 - rc.x0) > tex.width() || origin.y + (rc.y1 - rc.y0) > tex.height())
        return;
    for (int32_t j = rc.y0; j < rc.y1; ++j) {
        const sBGRA *row = tex.seek32(origin.x, origin.y + (j - rc.y0));
        for (int32_t i = rc.x0; i < rc.x1; ++i) {
            const sBGRA t = row[i - rc.x0];
            const uint32_t c = t.A != 0 ? t.all : renderParam.color.all;
            gCanvasPutAt(tc.seek32(i, j), i, j, dabAlpha(i, j), c);
        }
    }
}

void CPenRender::spreadDab(TMTC &tc, const SStrokeData &locus, float r)
{
    if (!Fstroke) {
        assertFailed("spread without a stroke");
        return;
    }
    {
        std::optional<StrokeColorPutSwap> swap;
        if (!protectsTransparency())
            swap.emplace(pixelPutWithAlpha);
        if (const CPenTC *tex = Fstroke->getPenTC(0))
            textureDab(tc, *tex);
    }
    // The next texture is picked up where this dab went, after its pixels are down.
    Fstroke->nextSingleRubPen(tc, locus.x, locus.y, r);
}

void CPenRender::fingerTipDab(TMTC &tc, const SStrokeData &locus, float r)
{
    if (!Fstroke) {
        assertFailed("finger tip without a stroke");
        return;
    }
    Fstroke->nextDoubleRubPen(tc, locus.x, locus.y, r);
    const CPenTC *tex = Fstroke->getLastPenTC();
    if (!tex)
        return;
    std::optional<StrokeColorPutSwap> swap;
    if (!protectsTransparency())
        swap.emplace(pixelPutWithAlpha);
    textureDab(tc, *tex);
}
