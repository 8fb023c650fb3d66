#include "windows/presets/editor_models.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "paint/brush/paint_modes.h"

#include <algorithm>
#include <cmath>

// Brush editor

bool isNibEditorType(TBrushEditorType type)
{
    return type == TBrushEditorType::beCreatePenNib || type == TBrushEditorType::beEditPenNib;
}

namespace {

struct STypeList
{
    TPaintMode first;
    int count;
};

constexpr STypeList typeList(TBrushTypeList list)
{
    return list == TBrushTypeList::PM4 ? STypeList{TPaintMode::pmPencil4, kPM4TypeCount}
                                       : STypeList{TPaintMode::pmPencil5, kPM5TypeCount};
}

} // namespace

bool CurrentPaintMode(TBrushTypeList list, int item, TPaintMode &mode)
{
    const STypeList l = typeList(list);
    if (item < 0 || item >= l.count)
        return false;
    mode = TPaintMode(int(l.first) + item);
    return true;
}

bool paintModeTypeItem(TPaintMode mode, TBrushTypeList &list, int &item)
{
    for (TBrushTypeList candidate : {TBrushTypeList::PM4, TBrushTypeList::PM5}) {
        const STypeList l = typeList(candidate);
        const int i = int(mode) - int(l.first);
        if (i >= 0 && i < l.count) {
            list = candidate;
            item = i;
            return true;
        }
    }
    return false;
}

std::array<bool, 3> supportedEffects(TPaintMode mode)
{
    const TPaintParamTypes s = getSupportParams(mode);
    return {s.contains(TPaintParamType::ppEffect1), s.contains(TPaintParamType::ppEffect2),
            s.contains(TPaintParamType::ppEffect3)};
}

int32_t smoothLevelFromNumber(float value)
{
    return int32_t(std::lrint(value));
}

// Screentone editor

namespace {

// The drawn tile's default spacing, shown for a tone that has no line count.
constexpr float kDefaultLineWidth = 8;
// The tone editor stores every spacing at this many lines per inch.
constexpr float kToneEditorLines = 40;

} // namespace

float toneLineWidth(const SToneAttr &attr)
{
    return attr.line == 0 ? kDefaultLineWidth : attr.dpi / attr.line;
}

SToneAttr toneAttrFromControls(const SToneControls &c)
{
    SToneAttr a;
    a.pattern = c.pattern;
    a.dpi = c.lineWidth * kToneEditorLines;
    a.line = kToneEditorLines;
    a.percent = c.density;
    a.degree = c.degree;
    a.band = int32_t(std::trunc(c.blur + 0.5f));
    a.genName = c.autoName;
    a.name = c.name;
    return a;
}

QString toneAutoName(const SToneControls &c)
{
    // asprintf formats in the C locale: "." whatever the user's locale says.
    return QStringLiteral("%1 %2px %3%4 %5, %6%")
        .arg(getTonePatTypeName(c.pattern), QString::asprintf("%1.4g", double(c.lineWidth)))
        .arg(int(std::trunc(c.degree)))
        .arg(QStringLiteral(u"°"))
        .arg(int(std::trunc(c.density)))
        .arg(int(std::trunc(c.blur)));
}

SPatternImageFit patternImageFit(sSize tile, sSize box)
{
    SPatternImageFit f;
    const int32_t w = tile.x, h = tile.y, W = box.x, H = box.y;
    if (w <= 0 || h <= 0 || W <= 0 || H <= 0)
        return f;
    int32_t dw = w, dh = h;
    if (w > W || h > H) {
        // 64-bit products: a long tile times a wide box passes 2^31.
        if (int64_t(W) * h < int64_t(H) * w) {
            dw = W;
            dh = int32_t(int64_t(W) * h / w);
        } else {
            dw = int32_t(int64_t(H) * w / h);
            dh = H;
        }
        // A very long tile would round its short side to nothing and divide by it below.
        dw = std::max(dw, 1);
        dh = std::max(dh, 1);
    }
    f.drawn = {(W - dw) / 2, (H - dh) / 2, dw, dh};
    f.sx = int32_t(int64_t(w) * 1024 / dw);
    f.sy = int32_t(int64_t(h) * 1024 / dh);
    return f;
}

bool showPatternImage(TMTC &work, const TChannel &tile)
{
    const sSize size{tile.width(), tile.height()};
    const SPatternImageFit f = patternImageFit(size, {work.width(), work.height()});
    if (f.drawn.w <= 0 || f.drawn.h <= 0 || !tile.isEnable() || !work.isEnable())
        return false;
    const int32_t qx = f.sx / 4, qy = f.sy / 4;
    for (int32_t b = 0; b < f.drawn.h; ++b) {
        sBGRA *d = work.seek32(f.drawn.x, f.drawn.y + b);
        for (int32_t c = 0; c < f.drawn.w; ++c) {
            uint32_t sum = 0;
            for (int32_t i = 0; i < 4; ++i) {
                const int32_t y = std::clamp(int32_t((int64_t(f.sy) * b + qy * i) >> 10), 0, size.y - 1);
                for (int32_t j = 0; j < 4; ++j) {
                    const int32_t x =
                        std::clamp(int32_t((int64_t(f.sx) * c + qx * j) >> 10), 0, size.x - 1);
                    sum += tile.getColor(x, y);
                }
            }
            const uint8_t v = uint8_t(255 - (sum >> 4));
            d[c].B = d[c].G = d[c].R = v;
            d[c].A = 255;
        }
    }
    return true;
}

// Gradient editor

SGradAttr gradAttrFromControls(const SGradAttrControls &c)
{
    SGradAttr a;
    a.enbAttr = c.unique;
    a.gradType = uint8_t(std::clamp(c.type, 0, int(gtMaxNum) - 1));
    a.gradMap = c.around ? gmReturn : gmNormal;
    a.gradRep = c.infinity ? grEndless : grTimes;
    a.gradRepCnt = int32_t(std::trunc(c.repeat + 0.5f));
    return a;
}

SGradAttrControls gradControlsFromAttr(const SGradAttr &a)
{
    SGradAttrControls c;
    c.unique = a.enbAttr;
    c.type = a.gradType;
    c.around = a.gradMap == gmReturn;
    c.infinity = a.gradRep == grEndless;
    c.repeat = float(a.gradRepCnt);
    return c;
}

SGradColorMove gradColorMove(TGradColorMove move, int selected, TGradientEditUnion selectedUnion)
{
    const int d = selectedUnion == geuLeft ? selected - 1 : selected;
    const bool joined = selectedUnion != geuNone;
    switch (move) {
    case TGradColorMove::Left1:
        return {d, d - 1};
    case TGradColorMove::Right1:
        return {d, joined ? d + 2 : d + 1};
    case TGradColorMove::Left2:
        return {d + 1, d - 1};
    case TGradColorMove::Right2:
        return {d + 1, d + 2};
    }
    return {};
}

SGradStopControls gradStopControls(const TGradientStops &stops)
{
    SGradStopControls c;
    const int sel = stops.SelectIndex();
    c.stop = stops.IsValidIndex(sel) && stops.GetUnion(sel) == geuLeft ? sel - 1 : sel;
    c.valid = stops.IsValidIndex(c.stop);
    if (!c.valid)
        return c;
    const bool atEnd = c.stop == 0 || c.stop == stops.Count() - 1;
    c.joined = stops.GetUnion(c.stop) == geuRight;
    c.position = !atEnd;
    c.leftColor = true;
    TGradientEditPosType type = gepCustom;
    stops.GetType(type, c.stop);
    c.leftCell = type == gepCustom;
    c.unionLeft = stops.CanUnionLeft(c.stop);
    c.unionRight = stops.CanUnionRight(c.stop);
    c.joinedGroup = c.joined;
    if (c.joined) {
        TGradientEditPosType right = gepCustom;
        stops.GetType(right, c.stop + 1);
        c.rightCell = right == gepCustom;
    }
    return c;
}
