#include "windows/presets/preset_kinds.h"

#include "paint/brush/shape_image_param.h"

#include <algorithm>
#include <cmath>

namespace {

QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

// "pattern" with %s replaced by word, then by tail.
QString formatCaption(const char *pattern, const char *word, const char *tail)
{
    QString s = u8(pattern);
    const QString w = u8(word);
    const qsizetype first = s.indexOf(QLatin1String("%s"));
    s.replace(first, 2, w);
    const qsizetype second = s.indexOf(QLatin1String("%s"), first + w.size());
    if (second >= 0)
        s.replace(second, 2, u8(tail));
    return s;
}

} // namespace

const SPresetKindInfo &presetKindInfo(TPresetKind kind)
{
    static const SPresetKindInfo table[] = {
        {"ブラシ", "ブラシ集", true, true, false, lvListS},
        {"ペン先", "ペン先集", true, true, false, lvIconM},
        {"色", "色見本", true, false, false, lvIconS},
        {"グラデーション", "グラデーション集", true, true, true, lvIconM},
        {"トーン", "トーン集", true, true, true, lvIconM},
        {"アイテム", "セット", false, false, false, lvIconM},
    };
    return table[size_t(kind)];
}

std::array<SPresetMenuState, kPresetMenuEntryCount> presetMenuState(const SPresetMenuInput &in)
{
    using E = TPresetMenuEntry;
    std::array<SPresetMenuState, kPresetMenuEntryCount> m{};
    auto at = [&m](E e) -> SPresetMenuState & { return m[size_t(e)]; };
    const SPresetKindInfo &k = presetKindInfo(in.kind);

    at(E::ItemAppend) = {formatCaption("新規%s(&N)%s", k.itemWord, "..."), true, in.canPut};
    at(E::ItemDuplicate) = {formatCaption("%sを複製(&D)%s", k.itemWord, ""), true, in.canDuplicate};
    at(E::ItemDelete) = {formatCaption("%sを削除(&R)%s", k.itemWord, "..."), true, in.canDelete};
    at(E::ItemEdit) = {formatCaption("%sを編集(&E)%s", k.itemWord, "..."), true, in.canEdit};
    at(E::DispAll) = {{}, in.useDispAll, true, in.dispAll};
    for (size_t i = 0; i < kDispEntryTypes.size(); ++i) {
        const TListViewType t = kDispEntryTypes[i];
        m[size_t(E::DispText) + i] = {{}, in.supported.contains(t), true, in.listType == t};
    }
    for (int i = 0; i < 4; ++i)
        m[size_t(E::PreviewHide) + size_t(i)] = {{}, in.supportPreview, true, int(in.preview) == i};
    at(E::SetRevert) = {formatCaption("%sを復帰(&V)%s", k.setWord, "..."), true,
                        in.setFileExists && in.modified};
    at(E::SetAppend) = {formatCaption("%sを追加(&A)%s", k.setWord, "..."), true, in.canAppend};
    at(E::SetSave) = {formatCaption("%sを保存(&S)%s", k.setWord, "..."), true, true};
    at(E::SetOpen) = {formatCaption("%sを置き換え(&O)%s", k.setWord, "..."), true, true};
    return m;
}

QString presetDeleteQuestion(TPresetKind kind)
{
    return formatCaption("選択された%sを削除してよろしいですか？", presetKindInfo(kind).itemWord, "");
}

int previewPixelHeight(TPopupPreviewHeight h)
{
    static const int heights[] = {-4, 48, 96, 192};
    return heights[std::min<size_t>(h, 3)];
}

int previewHeightDelta(TPopupPreviewHeight from, TPopupPreviewHeight to)
{
    return previewPixelHeight(from) - previewPixelHeight(to);
}

bool previewHeightFromProfile(int32_t stored, TPopupPreviewHeight &out)
{
    if (stored < 0 || stored > 3)
        return false;
    out = TPopupPreviewHeight(stored);
    return true;
}

int storedClientExtent(int32_t stored, int built, int minimum)
{
    if (stored == -1)
        return built;
    return std::max<int>(stored, minimum);
}

SToneScaleRange toneScaleRange(int32_t zoomMin, int32_t zoomMax)
{
    return {std::min(zoomMin, 100), std::clamp(zoomMax, 100, 200)};
}

SGradButtons gradButtonsFromAttr(const SGradAttr &attr, bool usingSpecial)
{
    SGradButtons b;
    b.repCount = attr.gradRepCnt;
    b.infinite = attr.gradRep == grEndless;
    b.line = attr.gradType == gtLinear;
    b.radial = attr.gradType == gtRot;
    b.circle = attr.gradType == gtGrade;
    b.ret = attr.gradMap == gmReturn;
    b.remindEnabled = !usingSpecial;
    b.remind = b.remindEnabled && attr.enbAttr;
    return b;
}

SGradAttr gradAttrFromButtons(const SGradButtons &b)
{
    SGradAttr a;
    a.enbAttr = b.remind;
    a.gradRepCnt = b.repCount;
    a.gradRep = b.infinite ? grEndless : grTimes;
    a.gradType = b.line ? gtLinear : b.radial ? gtRot : b.circle ? gtGrade : gtMaxNum;
    a.gradMap = b.ret ? gmReturn : gmNormal;
    return a;
}

float numAspectFromAspect(float aspect)
{
    return 100.0f - 100.0f * aspect;
}

float aspectFromNumAspect(float num)
{
    return (100.0f - num) / 100.0f;
}

float nibRadiusInFilter(float position)
{
    const double p = std::clamp(double(position), 0.0, 1.0);
    const double r = 0.1 + 199.9 * p;
    return float((1800.0 * r - 180.0) / (1601.0 * r + 39620.0));
}

float nibRadiusOutFilter(float position)
{
    const double p = std::clamp(double(position), 0.0, 1.0);
    const double r = (39620.0 * p + 180.0) / (1800.0 - 1601.0 * p);
    return float((r - 0.1) / 199.9);
}

SScaleRange nibScaleRangePercent(float scaleMin, float scaleMax)
{
    // long double: 512/200 as a Single lies just below 2.56, and its product must stay below 256.
    return {int32_t(std::ceil(100.0L * (long double)scaleMin)),
            int32_t(std::floor(100.0L * (long double)scaleMax))};
}

SScaleRange nibScaleRangePercent(const sSize &imageSize)
{
    float lo = 1, hi = 1;
    getShapeImageScaleRange(lo, hi, imageSize);
    return nibScaleRangePercent(lo, hi);
}
