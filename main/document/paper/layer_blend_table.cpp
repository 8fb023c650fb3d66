#include "document/paper/layer_blend_table.h"

#include "core/image/canvas.h"
#include "paint/render/legacy_dabs.h"

#include <algorithm>
#include <array>

namespace {

using enum TLayerMode;

constexpr size_t kModeCount = size_t(LM_MAX_NUM);

// The display names, in the order of the stored mode numbers.
const std::array<const char16_t *, kModeCount> kModeNames = {
    u"乗算",           u"加算",         u"減算",         u"標準",       u"スクリーン",
    u"オーバーレイ",   u"ハードライト", u"ソフトライト", u"差の絶対値", u"除外",
    u"比較(暗)",       u"比較(明)",     u"焼き込み",     u"覆い焼き",   u"色相",
    u"彩度",           u"カラー",       u"輝度",         u"減算(ネガ)", u"リニアライト",
    u"ビビッドライト", u"ピンライト",
};

// Built once from the core's per-mode table: the colours and puts live there only.
const std::array<SLayerParam, kModeCount> &layerParams()
{
    static const std::array<SLayerParam, kModeCount> table = [] {
        std::array<SLayerParam, kModeCount> t{};
        for (size_t i = 0; i < kModeCount; ++i) {
            const SBlendModeRow *row = getBlendModeRow(TLayerMode(i));
            t[i] = SLayerParam{row->mode,  QString::fromUtf16(kModeNames[i]),
                               row->bg,    row->fnPutA,
                               row->fnPut, row->c0,
                               row->flags};
        }
        return t;
    }();
    return table;
}

struct SSpecialPair
{
    TLayerMode lower, upper;
    fptrPixelPut4core fn;
};

// Searched in order; a merge version searches only the first rows (specialPairRowCount).
const std::array<SSpecialPair, 6> kSpecialPairs = {{
    {LM_MUL, LM_MUL, pixelMergeMul},
    {LM_SUB, LM_SUB, pixelMergeAdd},
    {LM_STD, LM_MUL, pixelMergeMul},
    {LM_MUL, LM_STD, pixelMergeStd},
    {LM_STD, LM_STD, pixelMergeStd},
    {LM_ADD, LM_ADD, pixelMergeAdd},
}};

} // namespace

const SLayerParam *getLayerParam(uint32_t mode)
{
    const uint32_t m = mode & 0x7F;
    if (m >= kModeCount)
        return nullptr;
    return &layerParams()[m];
}

void getLayerModeName(TLayerMode mode, QString &name)
{
    if (const SLayerParam *p = getLayerParam(mode))
        name = p->name;
}

QString getLayerModeName(TLayerMode mode)
{
    QString name;
    getLayerModeName(mode, name);
    return name;
}

void fillModeBgColor(TMTC &tc, TLayerMode mode)
{
    const SLayerParam *p = getLayerParam(mode);
    sBox box;
    if (!p || !tc.getBox(box))
        return;
    tc.maskImage(box, 0x00FFFFFF, p->bg.all);
}

SOldBltProcs getOldBltProcs(TLayerMode mode)
{
    switch (TLayerMode(uint32_t(mode) & 0x7F)) {
    case LM_MUL:
        return {bltPartMul, pixelPutMulA};
    case LM_ADD:
        return {bltPartAdd, pixelPutAddA};
    case LM_SUB:
        return {bltPartSub, pixelPutSubA};
    default:
        return {bltPartNormal, pixelPutSrcAlpha};
    }
}

fptrPixelPut4core getLayerMergeProc(TLayerMode mode)
{
    const SBlendModeRow *row = getBlendModeRow(mode);
    if (!row)
        return nullptr;
    // The core row's onto-transparent put is the merge: pixelMergeMul for multiply,
    // pixelMergeAdd for add and subtract, pixelMergeStd for the standard mode.
    return row->fnPutOnTP;
}

int32_t specialPairRowCount(uint32_t ver)
{
    static constexpr std::array<int32_t, 4> kRows = {2, 2, 4, 6};
    const uint32_t v = ver & 0xFFFF;
    return v < kRows.size() ? kRows[v] : -1;
}

fptrPixelPut4core findSpecialMergeProc(TLayerMode lower, TLayerMode upper, uint32_t ver)
{
    const int32_t rows = specialPairRowCount(ver);
    for (int32_t i = 0; i < rows; ++i) {
        const SSpecialPair &p = kSpecialPairs[size_t(i)];
        if (p.lower == lower && p.upper == upper)
            return p.fn;
    }
    return nullptr;
}

bool makeLayerMixParam(TLayerMode lower, TLayerMode upper, bool nopSrcTP, sTCMixParam &mix)
{
    const SLayerParam *lo = getLayerParam(lower);
    const SLayerParam *up = getLayerParam(upper);
    if (!lo || !up)
        return false;
    mix.c0.all = std::max(lo->c0.all, up->c0.all);
    mix.flags = bsMixTypeFlag(up->flags | (nopSrcTP ? mtfNopSrcTP : 0));
    mix.fnPut1 = lo->fnPut;
    mix.fnPut2 = up->fnPut;
    return true;
}
