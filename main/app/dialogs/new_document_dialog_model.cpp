#include "app/dialogs/new_document_dialog_model.h"

#include "platform/system/regex.h"
#include "ui/fields/num_mngr.h"

#include <algorithm>
#include <cmath>

namespace {

QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

struct SSizeTypeRow
{
    const char *name;
    SDocumentSizeType size;
};

constexpr SDocumentSizeType px(float w, float h)
{
    return {utpixel, 72, w, h};
}
constexpr SDocumentSizeType mm(float w, float h)
{
    return {utmm, 150, w, h};
}
constexpr SDocumentSizeType inch(float w, float h)
{
    return {utinch, 150, w, h};
}

// The 40 types in list order; the user sizes' rows stand in for slots that live in the profile.
const SSizeTypeRow kSizeTypes[kDocumentSizeTypeCount] = {
    {"カスタム", px(512, 512)},
    {"1", px(512, 512)},
    {"2", px(512, 512)},
    {"3", px(512, 512)},
    {"4", px(512, 512)},
    {"5", px(512, 512)},
    {"QVGA", px(320, 240)},
    {"VGA", px(640, 480)},
    {"SVGA", px(800, 600)},
    {"XGA", px(1024, 768)},
    {"SXGA", px(1280, 1024)},
    {"UXGA", px(1600, 1200)},
    {"A6", mm(148, 105)},
    {"A5", mm(210, 148)},
    {"A4", mm(297, 210)},
    {"B6", mm(176, 125)},
    {"B5", mm(250, 176)},
    {"B4", mm(353, 250)},
    {"B6 JIS", mm(182, 128)},
    {"B5 JIS", mm(257, 182)},
    {"B4 JIS", mm(364, 257)},
    {"F0", mm(180, 140)},
    {"F2", mm(240, 190)},
    {"F4", mm(333, 242)},
    {"M0", mm(180, 120)},
    {"M2", mm(240, 160)},
    {"M4", mm(333, 220)},
    {"P0", mm(180, 100)},
    {"P2", mm(240, 140)},
    {"P4", mm(333, 190)},
    {"官製はがき", mm(148, 100)},
    {"レターサイズ", inch(11, 8.5f)},
    {"リーガルサイズ", inch(14, 8.5f)},
    {"L判", mm(127, 89)},
    {"キャビネ", mm(165, 120)},
    {"2L判", mm(178, 127)},
    {"八切り", inch(8, 6)},
    {"六切り", inch(10, 8)},
    {"四切り", inch(12, 10)},
    {"大四切り", inch(14, 11)},
};

// How many types each group holds, in list order.
constexpr std::array<int, kDocumentSizeGroupCount> kGroupSizes = {1, 5, 6, 3, 3, 3, 3, 3, 3, 3, 7};

std::array<int, kDocumentSizeGroupCount> buildGroupStarts()
{
    std::array<int, kDocumentSizeGroupCount> starts{};
    for (int g = 1; g < kDocumentSizeGroupCount; ++g)
        starts[size_t(g)] = starts[size_t(g - 1)] + kGroupSizes[size_t(g - 1)] + 1;
    return starts;
}

int32_t roundHalfUp(long double v)
{
    return int32_t(std::trunc(v + 0.5L));
}

// The characters a file name may not hold, as one bracket expression.
const TRegExpr &refusedFileNameChars()
{
    static const TRegExpr re(QStringLiteral("[\\\\\\/\\:\\*\\?\\\"\\<\\>\\|]"));
    return re;
}

} // namespace

const SDocumentSizeType &documentSizeType(int type)
{
    return kSizeTypes[std::clamp(type, 0, kDocumentSizeTypeCount - 1)].size;
}

QString documentSizeName(int type)
{
    if (type < 0 || type >= kDocumentSizeTypeCount)
        return {};
    return u8(kSizeTypes[type].name);
}

const std::array<int, kDocumentSizeGroupCount> &documentSizeGroupStarts()
{
    static const std::array<int, kDocumentSizeGroupCount> starts = buildGroupStarts();
    return starts;
}

int documentSizeTypeOfItem(int item)
{
    if (item < 0 || item >= kDocumentSizeItemCount)
        return -1;
    const auto &starts = documentSizeGroupStarts();
    int type = 0;
    for (int g = 0; g < kDocumentSizeGroupCount; ++g) {
        const int start = starts[size_t(g)];
        const int size = kGroupSizes[size_t(g)];
        if (item < start + size)
            return item >= start ? type + (item - start) : -1;
        type += size;
    }
    return -1;
}

int documentSizeItemOfType(int type)
{
    if (type < 0 || type >= kDocumentSizeTypeCount)
        return -1;
    const auto &starts = documentSizeGroupStarts();
    for (int g = 0; g < kDocumentSizeGroupCount; ++g) {
        if (type < kGroupSizes[size_t(g)])
            return starts[size_t(g)] + type;
        type -= kGroupSizes[size_t(g)];
    }
    return -1;
}

bool isFixedSizeType(int type)
{
    return type >= kFirstFixedSizeType && type < kDocumentSizeTypeCount;
}

bool isUserSizeType(int type)
{
    return type >= kFirstUserSizeType && type < kFirstUserSizeType + kUserSizeCount;
}

sPaperPreset checkedUserSize(const sPaperPreset &stored)
{
    const int32_t unit = stored.unit & 0xFF;
    auto side = [](float v) { return std::isfinite(v) && v > 0; };
    if (unit <= utmm && stored.dpi >= 72 && stored.dpi <= 600 && side(stored.w) && side(stored.h))
        return sPaperPreset{unit, stored.dpi, stored.w, stored.h, stored.transparent};
    return sPaperPreset{utpixel, 72, 512, 512, false};
}

bool isRefusedFileNameChar(QChar ch)
{
    return refusedFileNameChars().Exec(QString(ch));
}

QString withoutRefusedFileNameChars(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar ch : text)
        if (!isRefusedFileNameChar(ch))
            out += ch;
    return out;
}

// ---- CNewDocumentModel

namespace {

TNumMngr *sideModel(QObject *owner, float lo, float hi, float value)
{
    auto *num = new TNumMngr(owner);
    num->beginLoading();
    num->setValueMin(lo);
    num->setValueMax(hi);
    num->setValue(value);
    num->endLoading();
    return num;
}

// Range and value in one step, the value kept inside (the two bounds may both move past it).
void setRange(TNumMngr &num, float lo, float hi)
{
    num.SetValues(nullptr, num.Value(), lo, hi);
}

} // namespace

CNewDocumentModel::CNewDocumentModel(QObject *owner)
{
    NumWidth = sideModel(owner, kMinImageSide, kMaxImageSide, 512);
    NumHeight = sideModel(owner, kMinImageSide, kMaxImageSide, 512);
    NumResolution = sideModel(owner, kMinResolution, kMaxResolution, 72);
    NumWidth->OnChange = [this](QObject *) { SizeChange(TSizeSender::Width); };
    NumHeight->OnChange = [this](QObject *) { SizeChange(TSizeSender::Height); };
    NumResolution->OnChange = [this](QObject *) { SizeChange(TSizeSender::Resolution); };
    for (sPaperPreset &slot : FUserSettings)
        slot = checkedUserSize(sPaperPreset{});
}

void CNewDocumentModel::start(const TUserSizes &stored, sSize clipSize)
{
    for (size_t i = 0; i < FUserSettings.size(); ++i)
        FUserSettings[i] = checkedUserSize(stored[i]);
    if (clipSize.x > 0 && clipSize.y > 0) {
        // The picture's size on the custom type; each number re-matches the presets.
        NumWidth->setValue(float(clipSize.x));
        NumHeight->setValue(float(clipSize.y));
    } else {
        selectItem(documentSizeItemOfType(kFirstUserSizeType));
    }
    if (OnChanged)
        OnChanged();
}

void CNewDocumentModel::selectItem(int item)
{
    if (item == FTypeIndex || item < 0 || item >= kDocumentSizeItemCount)
        return;
    if (documentSizeTypeOfItem(item) < 0)
        item += item < FTypeIndex ? -1 : 1;
    if (item == FTypeIndex)
        return;
    FTypeIndex = item;
    SizeChange(TSizeSender::List);
}

void CNewDocumentModel::setVertical(bool vertical)
{
    if (vertical == FVertical)
        return;
    FVertical = vertical;
    SizeChange(TSizeSender::Orientation);
}

void CNewDocumentModel::setWidthUnit(TUnitType unit)
{
    if (unit == FWidthList || unit > utmm)
        return;
    FWidthList = unit;
    SizeChange(TSizeSender::WidthUnit);
}

void CNewDocumentModel::setHeightUnit(TUnitType unit)
{
    if (unit == FHeightList || unit > utmm)
        return;
    FHeightList = unit;
    SizeChange(TSizeSender::HeightUnit);
}

void CNewDocumentModel::setTransparent(bool transparent)
{
    if (transparent == FTransparent)
        return;
    FTransparent = transparent;
    SizeChange(TSizeSender::Background);
}

QString CNewDocumentModel::formatOf(TUnitType unit)
{
    return unit == utpixel ? QStringLiteral("%1.0f") : QStringLiteral("%1.6g");
}

int32_t CNewDocumentModel::toPixels(float v, TUnitType unit) const
{
    return roundHalfUp(convertUnitValue(unit, utpixel, v, NumResolution->Value()));
}

int32_t CNewDocumentModel::widthPixels() const
{
    return toPixels(FWidth, FWidthUnitIndex);
}

int32_t CNewDocumentModel::heightPixels() const
{
    return toPixels(FHeight, FHeightUnitIndex);
}

QString CNewDocumentModel::imageCaption() const
{
    return u8("画像サイズ ( %1 × %2 px )").arg(widthPixels()).arg(heightPixels());
}

TNewDocumentValue CNewDocumentModel::result(const QString &name) const
{
    TNewDocumentValue v;
    v.Name = name;
    v.Width = widthPixels();
    v.Height = heightPixels();
    v.DPI = roundHalfUp(NumResolution->Value());
    v.Transparent = FTransparent;
    return v;
}

void CNewDocumentModel::takeType(int type)
{
    SDocumentSizeType size = documentSizeType(type);
    if (isUserSizeType(type)) {
        const sPaperPreset &user = FUserSettings[size_t(type - kFirstUserSizeType)];
        size = SDocumentSizeType{TUnitType(user.unit & 0xFF), user.dpi, user.w, user.h};
        FTransparent = user.transparent;
    }
    FWidthList = FHeightList = FWidthUnitIndex = FHeightUnitIndex = size.unit;
    // The new resolution before the side ranges that depend on it; its own range follows below.
    NumResolution->SetValues(nullptr, float(size.dpi), kMinResolution, kMaxResolution);
    setSideRanges(size.unit, size.unit);
    if (isFixedSizeType(type) && FVertical)
        std::swap(size.w, size.h);
    FWidth = size.w;
    FHeight = size.h;
    NumWidth->setValue(size.w);
    NumHeight->setValue(size.h);
}

void CNewDocumentModel::setSideRanges(TUnitType wUnit, TUnitType hUnit)
{
    const float dpi = NumResolution->Value();
    float lo = 0, hi = 0;
    pixelRangeInUnit(lo, hi, wUnit, dpi);
    setRange(*NumWidth, lo, hi);
    pixelRangeInUnit(lo, hi, hUnit, dpi);
    setRange(*NumHeight, lo, hi);
}

void CNewDocumentModel::setResolutionRange()
{
    const float dpi = NumResolution->Value();
    const float w = convertUnitValue(FWidthList, utinch, NumWidth->Value(), dpi);
    const float h = convertUnitValue(FHeightList, utinch, NumHeight->Value(), dpi);
    float lo = 0, hi = 0;
    resolutionRange(lo, hi, std::max(w, h));
    setRange(*NumResolution, lo, hi);
}

void CNewDocumentModel::SizeChange(TSizeSender sender)
{
    const int t = type();
    if (FDocumentSizeChanging || t < 0 || t >= kDocumentSizeTypeCount)
        return;
    FDocumentSizeChanging = true;
    const bool byList = sender == TSizeSender::List || sender == TSizeSender::Orientation;
    if (byList) {
        if (t != kCustomSizeType)
            takeType(t);
    } else {
        setSideRanges(FWidthList, FHeightList);
    }
    switch (sender) {
    case TSizeSender::Resolution:
        FWidth = NumWidth->Value();
        FHeight = NumHeight->Value();
        FWidthUnitIndex = FWidthList;
        FHeightUnitIndex = FHeightList;
        break;
    case TSizeSender::Width:
        FWidth = NumWidth->Value();
        FWidthUnitIndex = FWidthList;
        break;
    case TSizeSender::Height:
        FHeight = NumHeight->Value();
        FHeightUnitIndex = FHeightList;
        break;
    case TSizeSender::WidthUnit:
        // The stored length stays as typed, so switching back shows the typed number again.
        NumWidth->setValue(
            convertUnitValue(FWidthUnitIndex, FWidthList, FWidth, NumResolution->Value()));
        break;
    case TSizeSender::HeightUnit:
        NumHeight->setValue(
            convertUnitValue(FHeightUnitIndex, FHeightList, FHeight, NumResolution->Value()));
        break;
    default:
        break;
    }
    // After a unit list's number is in its new unit: the range of step 3 may have clamped the
    // number still holding the old unit's value, and a resolution range taken from that would
    // pin the resolution.
    setResolutionRange();
    if (sender != TSizeSender::List && (type() == kCustomSizeType || isFixedSizeType(type())))
        rematch();
    FOrientationEnabled = isFixedSizeType(type());
    updateUserSize();
    FDocumentSizeChanging = false;
    if (OnChanged)
        OnChanged();
}

bool CNewDocumentModel::matches(int t, float a, TUnitType ua, float b, TUnitType ub) const
{
    const SDocumentSizeType &p = documentSizeType(t);
    const float dpi = NumResolution->Value();
    // A side in the preset's pixels: through the preset's unit at the current resolution, then
    // to pixels at the preset's resolution (a pixel preset takes the side's pixels directly).
    auto sidePixels = [&](float v, TUnitType u) {
        if (p.unit == utpixel)
            return roundHalfUp(convertUnitValue(u, utpixel, v, dpi));
        const float inPreset = convertUnitValue(u, p.unit, v, dpi);
        return roundHalfUp(convertUnitValue(p.unit, utpixel, inPreset, float(p.dpi)));
    };
    auto presetPixels = [&](float v) {
        return roundHalfUp(convertUnitValue(p.unit, utpixel, v, float(p.dpi)));
    };
    return sidePixels(a, ua) == presetPixels(p.w) && sidePixels(b, ub) == presetPixels(p.h);
}

void CNewDocumentModel::rematch()
{
    for (int t = kFirstFixedSizeType; t < kDocumentSizeTypeCount; ++t) {
        // The swapped orientation first: the preset's width against the height.
        if (matches(t, FHeight, FHeightUnitIndex, FWidth, FWidthUnitIndex)) {
            FTypeIndex = documentSizeItemOfType(t);
            FVertical = true;
            return;
        }
        if (matches(t, FWidth, FWidthUnitIndex, FHeight, FHeightUnitIndex)) {
            FTypeIndex = documentSizeItemOfType(t);
            FVertical = false;
            return;
        }
    }
    FTypeIndex = documentSizeItemOfType(kCustomSizeType);
}

void CNewDocumentModel::updateUserSize()
{
    const int t = type();
    if (!isUserSizeType(t))
        return;
    const float dpi = NumResolution->Value();
    sPaperPreset &slot = FUserSettings[size_t(t - kFirstUserSizeType)];
    slot.unit = FWidthList;
    slot.dpi = roundHalfUp(dpi);
    slot.w = convertUnitValue(FWidthUnitIndex, FWidthList, FWidth, dpi);
    slot.h = convertUnitValue(FHeightUnitIndex, FWidthList, FHeight, dpi);
    slot.transparent = FTransparent;
}
