#include "paint/stroke/stroke.h"

#include "core/pixel/blend_modes.h"
#include "core/image/channel.h"
#include "core/base/numeric.h"
#include "paint/presets/pen_slots.h"
#include "paint/stroke/stroke_tables.h"
#include "platform/system/registry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

SStrokeDocumentHooks gDocumentHooks;

// Which settings apply to a draw mode, one row per TDrawMode.
struct SDrawModeSettings
{
    float spacing; // the mode's fixed dab spacing; 0 = the stroke's own
    bool min, ifSize, ifTrans, ifEdge, effect, env, speed, tone, gradation;
};

constexpr SDrawModeSettings kModeSettings[] = {
    {1.0f / 6, true, true, true, false, false, false, false, true, true},   // DM_PEN
    {1.0f / 12, true, true, true, true, true, true, true, true, true},      // DM_WC
    {0.25f, true, true, false, false, true, false, false, true, false},     // DM_BLUR
    {0.25f, true, true, true, true, false, false, false, false, false},     // DM_ERASE
    {0.25f, false, false, false, false, false, false, false, false, false}, // DM_BLUR2
    {0, true, true, true, false, true, false, false, true, true},           // DM_AIRBRUSH
    {0, true, true, true, false, true, false, false, true, false},          // DM_RUBPEN
    {0, true, true, true, false, true, true, false, true, false},           // DM_DARKEN
    {0, true, true, true, false, true, true, false, true, false},           // DM_LIGHTEN
};
static_assert(std::size(kModeSettings) == size_t(TDrawMode::DM_MAX_NUM));

// The row of a draw mode; a mode outside the table supports nothing and has no fixed spacing.
const SDrawModeSettings &modeSettings(TDrawMode dm)
{
    static constexpr SDrawModeSettings kNone{};
    const size_t i = size_t(dm);
    return i < std::size(kModeSettings) ? kModeSettings[i] : kNone;
}

// Trunc toward zero into an Integer, saturating (NaN gives 0).
int32_t truncToInt(long double v)
{
    if (!(v > -2147483649.0L))
        return v != v ? 0 : std::numeric_limits<int32_t>::min();
    if (v >= 2147483648.0L)
        return std::numeric_limits<int32_t>::max();
    return int32_t(v);
}

// Clears bit 0: rounds down to even, for negative values too.
int32_t evenDown(int32_t v)
{
    return int32_t(uint32_t(v) & ~1u);
}

int32_t floorToInt(float v)
{
    return truncToInt(std::floor((long double)v));
}

int32_t ceilToInt(float v)
{
    return truncToInt(std::ceil((long double)v));
}

void rangeToBox(const SUpdateRange &r, sBox &box)
{
    box.x = evenDown(floorToInt(r.x0));
    box.w = evenDown(ceilToInt(r.x1) + 1) - box.x;
    box.y = evenDown(floorToInt(r.y0));
    box.h = evenDown(ceilToInt(r.y1) + 1) - box.y;
}

// Grows r outwards to the square of half side a around (x, y).
void rangeAddSquare(SUpdateRange &r, float x, float y, float a)
{
    r.x0 = std::min(r.x0, x - a);
    r.x1 = std::max(r.x1, x + a);
    r.y0 = std::min(r.y0, y - a);
    r.y1 = std::max(r.y1, y + a);
}

std::optional<float> readFinite(const CRegKey &key, const QString &name)
{
    const std::optional<float> v = key.readSingle(name);
    if (v && std::isfinite(*v)) {
        return v;
    }
    return std::nullopt;
}

} // namespace

SStrokeDocumentHooks installStrokeDocumentHooks(SStrokeDocumentHooks hooks)
{
    std::swap(gDocumentHooks, hooks);
    return hooks;
}

TStroke::TStroke(int32_t ver) : m_versionID(ver)
{
    setOpaque(1);
}

TStroke::~TStroke() = default;

// ---- colours, layer, opacity, switches ------------------------------------------------------

void TStroke::SetDrawColor(uint32_t color)
{
    if (m_drawColor != color) {
        m_changed = true;
    }
    m_drawColor = color;
}

void TStroke::SetDrawLayer(int32_t index)
{
    m_drawLayer = index;
}

void TStroke::setFgCol(uint32_t cc)
{
    m_drawColor = cc;
}

void TStroke::setBgCol(uint32_t cc)
{
    m_bgCol = cc;
}

void TStroke::setOpaque(float v)
{
    m_opaque = clampSingle(v, 0.01f, 1.0f);
}

bool TStroke::switchScreenTone(bool sw, bool updt)
{
    const bool changed = setBool(m_bUseTone, sw);
    if (updt && gDocumentHooks.selectStrokePutProcs) {
        gDocumentHooks.selectStrokePutProcs(*this);
    }
    return changed;
}

bool TStroke::switchGradation(bool sw, bool updt)
{
    const bool changed = setBool(m_bUseGradation, sw);
    if (updt && gDocumentHooks.selectStrokePutProcs) {
        gDocumentHooks.selectStrokePutProcs(*this);
    }
    return changed;
}

bool TStroke::switchMaskProtection(bool sw, bool updt)
{
    const bool changed = m_bProtectMask != sw;
    m_bProtectMask = sw;
    if (updt && gDocumentHooks.selectStrokePutProcs) {
        gDocumentHooks.selectStrokePutProcs(*this);
    }
    return changed;
}

bool TStroke::isScreenToneSupported() const
{
    return modeSettings(m_drawMode).tone;
}

bool TStroke::isGradationSupported() const
{
    return modeSettings(m_drawMode).gradation;
}

float TStroke::getOpaque() const
{
    const auto &oldProc = gDocumentHooks.strokeWindowUsesOldDrawProc;
    return oldProc && oldProc() ? 1.0f : m_opaque;
}

uint32_t TStroke::OpaqueDWORD() const
{
    const auto &oldProc = gDocumentHooks.strokeWindowUsesOldDrawProc;
    if (oldProc && oldProc()) {
        return 255;
    }
    return uint32_t(std::clamp(truncToInt((long double)m_opaque * 255), 0, 255));
}

// ---- pen settings ---------------------------------------------------------------------------

bool TStroke::setFloat(float &field, float v)
{
    const bool changed = field != v;
    if (changed) {
        m_changed = true;
    }
    field = v;
    return changed;
}

bool TStroke::setBool(bool &field, bool v)
{
    const bool changed = field != v;
    if (changed) {
        m_changed = true;
    }
    field = v;
    return changed;
}

void TStroke::SetPenMin(float size)
{
    setFloat(m_penMin, size);
}

void TStroke::SetPenEffect(float v)
{
    setFloat(m_penEffect, v);
}

void TStroke::SetPenEnv(float v)
{
    setFloat(m_penEnv, v);
}

void TStroke::SetPenSpeed(float v)
{
    setFloat(m_penSpeed, v);
}

void TStroke::SetPenWidth(float width)
{
    setFloat(m_penWidth, width);
    m_penWidth = clampSingle(m_penWidth, 0.1f, 500.0f);
}

void TStroke::SetPenGamma(float gamma)
{
    if (m_penGamma != gamma) {
        m_penGamma = clampSingle(gamma, 0.01f, 6.0f);
        m_changed = true;
    }
}

void TStroke::SetPenMinAdd(float add)
{
    m_penMin = clampSingle(m_penMin + add, 0, 100);
}

void TStroke::SetPenEffectAdd(float add)
{
    m_penEffect = clampSingle(m_penEffect + add, 0, 100);
}

void TStroke::SetPenEnvAdd(float add)
{
    m_penEnv = clampSingle(m_penEnv + add, 0, 100);
}

void TStroke::SetPenSpeedAdd(float add)
{
    m_penSpeed = clampSingle(m_penSpeed + add, 0, 100);
}

void TStroke::SetPenWidthAdd(float add)
{
    m_penWidth = clampSingle(m_penWidth + add, 0.1f, 500.0f);
}

void TStroke::SetDrawMode(TDrawMode dm)
{
    if (m_drawMode != dm) {
        m_changed = true;
    }
    m_drawMode = dm;
}

void TStroke::SetPenIfSize(bool v)
{
    setBool(m_penIfSize, v);
}

void TStroke::SetPenIfTrans(bool v)
{
    setBool(m_penIfTrans, v);
}

void TStroke::SetPenIfEdge(bool v)
{
    setBool(m_penIfEdge, v);
}

bool TStroke::IfPenMinEnabled() const
{
    return modeSettings(m_drawMode).min;
}

bool TStroke::IfPenIfSizeEnabled() const
{
    return modeSettings(m_drawMode).ifSize;
}

bool TStroke::IfPenIfTransEnabled() const
{
    return modeSettings(m_drawMode).ifTrans;
}

bool TStroke::IfPenIfEdgeEnabled() const
{
    return modeSettings(m_drawMode).ifEdge;
}

bool TStroke::IfPenEffectEnabled() const
{
    return modeSettings(m_drawMode).effect;
}

bool TStroke::IfPenEnvEnabled() const
{
    return modeSettings(m_drawMode).env;
}

bool TStroke::IfPenSpeedEnabled() const
{
    return modeSettings(m_drawMode).speed;
}

void TStroke::setPenSpacing(float sp)
{
    m_penSpacing = clampSingle(sp, 0.02f, 2.0f);
}

float TStroke::getPenSpacing() const
{
    const float fixed = modeSettings(m_drawMode).spacing;
    return std::max(fixed > 0 ? fixed : m_penSpacing, 0.02f);
}

float TStroke::GetPenWidth(float p) const
{
    if (!(IfPenIfSizeEnabled() && m_penIfSize)) {
        return m_penWidth;
    }
    const long double wmin = (long double)m_penWidth * m_penMin / 100;
    return float(wmin + p * (m_penWidth - wmin));
}

// ---- sample history and touched area --------------------------------------------------------

void TStroke::getSD(SStrokeData &sd, int32_t idx) const
{
    sd = strokeData[size_t(std::clamp(idx, 0, int32_t(strokeData.size()) - 1))];
}

void TStroke::AddStroke(float x, float y, float p)
{
    std::copy_backward(strokeData.begin(), strokeData.end() - 1, strokeData.end());
    strokeData[0] = {x, y, p};
    if (!m_bRawPoint) {
        const SStrokeData &a = strokeData[0], &b = strokeData[2];
        strokeData[1] = {float(((long double)a.x + b.x) / 2), float(((long double)a.y + b.y) / 2),
                         float(((long double)a.p + b.p) / 2)};
    }
}

void TStroke::setStrokePos(float x1, float y1, float p1, float x2, float y2, float p2)
{
    strokeData[2] = {x1, y1, p1};
    strokeData[1] = {x2, y2, p2};
}

void TStroke::MinimumRectUpdate()
{
    const float a = m_penWidth + 2;
    const SStrokeData &p1 = strokeData[1], &p2 = strokeData[2];
    updtRange = {p1.x - a, p1.x + a, p1.y - a, p1.y + a};
    rangeAddSquare(updtRangeAll, p1.x, p1.y, a);
    rangeAddSquare(updtRange, p2.x, p2.y, a);
    rangeAddSquare(updtRangeAll, p2.x, p2.y, a);
}

void TStroke::GetMinimumMoveRange(sBox &box) const
{
    rangeToBox(updtRange, box);
}

void TStroke::GetMinimumStrokeRange(sBox &box) const
{
    rangeToBox(updtRangeAll, box);
}

// ---- stroke start ---------------------------------------------------------------------------

void TStroke::beginStroke(const IPenRenderPaper *paper, float x, float y)
{
    m_penPutCount = 0;
    m_penCount = 0;
    m_penProgress = 0;
    const TLayerMode lm = paper ? paper->strokeLayerMode() : TLayerMode::LM_STD;
    curLayerBG.all =
        getLayerModeBgColor(lm).value_or(getLayerModeBgColor(TLayerMode::LM_STD).value());
    updtRangeAll = {65535, -65535, 65535, -65535};
    strokeData.fill({x, y, 0});
}

void TStroke::startDrawMode(const TMTC &dst, float x, float y)
{
    switch (m_drawMode) {
    case TDrawMode::DM_WC:
        startWaterColor(dst, x, y);
        break;
    case TDrawMode::DM_RUBPEN:
        initRubPen(dst, x, y, 0, m_penWidth);
        break;
    case TDrawMode::DM_DARKEN:
        makePowerCurveTable(gPowerCurveTable, float(1 + 0.002L * m_penEffect));
        break;
    case TDrawMode::DM_LIGHTEN:
        makePowerCurveTable(gPowerCurveTable, float(1 / (1 + 0.002L * m_penEffect)));
        break;
    default:
        break;
    }
}

// The mean colour of the 11 x 11 pixels around the start point becomes the first and the running
// picked-up colour; the base mixing colour is that, moved towards the draw colour as far as the
// stretch effect lets go of it.
void TStroke::startWaterColor(const TMTC &dst, float x, float y)
{
    if (!dst.isEnable()) {
        return;
    }
    const int32_t cx = truncToInt(x), cy = truncToInt(y);
    uint32_t r = 0, g = 0, b = 0;
    for (int32_t i = 0; i < 11; ++i) {
        const int32_t py =
            clampInt(int32_t(std::clamp<int64_t>(int64_t(cy) + i - 5, INT32_MIN, INT32_MAX)), 0,
                     dst.height() - 1);
        for (int32_t j = 0; j < 11; ++j) {
            const int32_t px =
                clampInt(int32_t(std::clamp<int64_t>(int64_t(cx) + j - 5, INT32_MIN, INT32_MAX)), 0,
                         dst.width() - 1);
            const sBGRA c = *dst.seek32(px, py);
            r += c.R;
            g += c.G;
            b += c.B;
        }
    }
    SWaterColorWork &wc = m_wcWork;
    wc.firstCol.B = uint8_t(b / 121);
    wc.firstCol.G = uint8_t(g / 121);
    wc.firstCol.R = uint8_t(r / 121);
    wc.penCol.r = wc.firstCol.R;
    wc.penCol.g = wc.firstCol.G;
    wc.penCol.b = wc.firstCol.B;
    wc.blendCol[0] = wc.firstCol;
    const int32_t keep = truncToInt((long double)m_penEffect * 255 / 100);
    pixelPutDiff(&wc.blendCol[0], m_drawColor, uint32_t(std::clamp(255 - keep, 0, 255)));
}

void TStroke::InitBeginStrokeOld(const IPenRenderPaper *paper, float x, float y, float,
                                 const TMTC &dst)
{
    beginStroke(paper, x, y);
    startDrawMode(dst, x, y);
}

void TStroke::initBeginStroke(const IPenRenderPaper *paper, const TMTC &image, const sPos &viewPos,
                              float x, float y, float)
{
    beginStroke(paper, x, y);
    startDrawMode(image, x + float(viewPos.x), y + float(viewPos.y));
}

// ---- finger-tip textures --------------------------------------------------------------------

void TStroke::initRubPen(const TMTC &dst, float x, float y, float, float r)
{
    actPenTC = 0;
    lastPos = {truncToInt(x), truncToInt(y)};
    penTC[0].clear();
    penTC[1].clear();
    penTC[0].init(dst, x, y, r);
}

bool TStroke::nextSingleRubPen(const TMTC &dst, float x, float y, float r)
{
    const sPos pos{truncToInt(x), truncToInt(y)};
    if (pos == lastPos) {
        return false;
    }
    lastPos = pos;
    actPenTC = 1;
    penTC[0].init(dst, x, y, r);
    return true;
}

bool TStroke::nextDoubleRubPen(const TMTC &dst, float x, float y, float r)
{
    const sPos pos{truncToInt(x), truncToInt(y)};
    if (pos == lastPos) {
        return false;
    }
    lastPos = pos;
    actPenTC = actPenTC < INT32_MAX ? actPenTC + 1 : 2;
    penTC[size_t(actPenTC % 2)].init(dst, x, y, r);
    return true;
}

CPenTC *TStroke::getPenTC(int32_t idx)
{
    return idx == 0 || idx == 1 ? &penTC[size_t(idx)] : nullptr;
}

CPenTC *TStroke::getLastPenTC()
{
    if (actPenTC < 1) {
        return nullptr;
    }
    return &penTC[size_t((actPenTC + 1) % 2)];
}

// ---- built-in and legacy pen settings -------------------------------------------------------

void TStroke::initPenSetting(TDrawMode dm)
{
    SetPenMin(0);
    SetPenWidth(0);
    SetPenEffect(0);
    SetPenEnv(0);
    SetPenSpeed(0);
    SetPenIfSize(false);
    SetPenIfTrans(false);
    SetPenIfEdge(false);
    SetPenGamma(1);
    switchScreenTone(false, true);
    switchGradation(false, true);
    setOpaque(1);
    setPenSpacing(0.5f);

    struct SBuiltIn
    {
        float min, width, effect, env, speed, spacing, opacity;
        bool ifSize, ifTrans, ifEdge;
        int airMap; // -1: none
    };
    static constexpr SBuiltIn kBuiltIn[] = {
        {75, 1, 0, 0, 0, 0.5f, 1, true, true, false, -1},        // DM_PEN
        {33.3f, 16, 65, 40, 30, 0.5f, 1, true, true, false, -1}, // DM_WC
        {100, 12, 10, 0, 0, 0.5f, 1, false, false, false, -1},   // DM_BLUR
        {100, 12, 0, 0, 0, 0.5f, 1, false, true, true, -1},      // DM_ERASE
        {0, 0, 0, 0, 0, 0.5f, 1, false, false, false, -1},       // DM_BLUR2
        {60, 30, 0, 0, 0, 0.15f, 0.1f, true, true, false, int(eAirMap::ABMAP_LINEAR)},
        {60, 15, 0, 0, 0, 0.04f, 0.6f, false, true, false, int(eAirMap::ABMAP_LINEAR)},
        {60, 25, 50, 0, 0, 0.15f, 0.2f, true, true, false, int(eAirMap::ABMAP_CIRCLE)},
        {60, 25, 50, 0, 0, 0.15f, 0.2f, true, true, false, int(eAirMap::ABMAP_CIRCLE)},
    };
    static_assert(std::size(kBuiltIn) == size_t(TDrawMode::DM_MAX_NUM));
    if (size_t(dm) >= std::size(kBuiltIn)) {
        return;
    }
    const SBuiltIn &b = kBuiltIn[size_t(dm)];
    SetPenMin(b.min);
    SetPenWidth(b.width);
    SetPenEffect(b.effect);
    SetPenEnv(b.env);
    SetPenSpeed(b.speed);
    setPenSpacing(b.spacing);
    setOpaque(b.opacity);
    SetPenIfSize(b.ifSize);
    SetPenIfTrans(b.ifTrans);
    SetPenIfEdge(b.ifEdge);
    if (b.airMap >= 0) {
        setStrokeAirMap(this, eAirMap(b.airMap), false);
    }
}

bool TStroke::LoadPenSetting(TDrawMode dm, int32_t index, bool updt)
{
    if (updt) {
        initPenSetting(dm);
    }
    QString path;
    if (!makePenSettingRegKey(dm, index, path)) {
        return false;
    }
    CRegistry store;
    std::optional<CRegKey> key = store.openKey(path, true);
    if (!key) {
        return false;
    }
    const auto single = [&](const char *name, auto apply) {
        if (const std::optional<float> v = readFinite(*key, QString::fromLatin1(name))) {
            apply(*v);
        }
    };
    const auto boolean = [&](const char *name, auto apply) {
        if (const std::optional<bool> v = key->readBool(QString::fromLatin1(name))) {
            apply(*v);
        }
    };
    single("MIN", [&](float v) { SetPenMin(v); });
    single("WIDTH", [&](float v) { SetPenWidth(v); });
    // Stored straight into the field (no changed flag), kept inside the field's range.
    single("GAMMA", [&](float v) { m_penGamma = clampSingle(v, 0.01f, 6.0f); });
    single("EFFECT", [&](float v) { SetPenEffect(v); });
    single("ENV", [&](float v) { SetPenEnv(v); });
    single("SPEED", [&](float v) { SetPenSpeed(v); });
    boolean("ifSIZE", [&](bool v) { SetPenIfSize(v); });
    boolean("ifTRANSPARENCY", [&](bool v) { SetPenIfTrans(v); });
    boolean("ifEDGE", [&](bool v) { SetPenIfEdge(v); });
    boolean("useTone", [&](bool v) { switchScreenTone(v, updt); });
    boolean("useGradation", [&](bool v) { switchGradation(v, updt); });
    single("opaque", [&](float v) { setOpaque(v); });
    single("penSpacing", [&](float v) { setPenSpacing(v); });
    const std::optional<int32_t> map = key->readInt(QStringLiteral("airMap"));
    if (map && *map >= 0 && *map < int32_t(eAirMap::ABMAP_MAX_NUM)) {
        m_abMap = eAirMap(*map);
        if (updt) {
            setStrokeAirMap(this, m_abMap, true);
        }
    }
    return true;
}

bool TStroke::SavePenSetting(TDrawMode dm, int32_t index)
{
    QString path;
    if (!makePenSettingRegKey(dm, index, path)) {
        return false;
    }
    CRegistry store;
    std::optional<CRegKey> key = store.openKey(path, true);
    if (!key) {
        return false;
    }
    SPenParamQZ2 rec;
    rec.min = m_penMin;
    rec.width = m_penWidth;
    rec.gamma = m_penGamma;
    rec.effect = m_penEffect;
    rec.env = m_penEnv;
    rec.speed = m_penSpeed;
    rec.ifSize = m_penIfSize;
    rec.ifTrans = m_penIfTrans;
    rec.ifEdge = m_penIfEdge;
    rec.useTone = m_bUseTone;
    rec.useGrad = m_bUseGradation;
    rec.opaque = getOpaque();
    rec.spacing = getPenSpacing();
    rec.airMap = int32_t(m_abMap);
    return writePenParamQZ2(*key, rec) && store.flush();
}
