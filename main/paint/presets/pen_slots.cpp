#include "paint/presets/pen_slots.h"

#include "platform/system/registry.h"

#include <array>
#include <cmath>
#include <optional>

namespace {

constexpr std::array<const char *, 9> kDrawModeKeyNames = {
    "pen", "wc", "blur", "eraser", "blur2", "airbrush", "rubpen", "darken", "lighten"};
static_assert(kDrawModeKeyNames.size() == size_t(TDrawMode::DM_MAX_NUM));

// A floating value that reads back as a finite number; anything else counts as absent.
std::optional<float> readFinite(const CRegKey &reg, const QString &name)
{
    const std::optional<float> v = reg.readSingle(name);
    if (v && std::isfinite(*v)) {
        return v;
    }
    return std::nullopt;
}

} // namespace

QString drawModeKeyName(TDrawMode dm)
{
    const size_t i = size_t(dm);
    return i < kDrawModeKeyNames.size() ? QString::fromLatin1(kDrawModeKeyNames[i]) : QString();
}

bool makePenSettingKey(TDrawMode dm, int32_t n, const QString &root, QString &key)
{
    if (dm > TDrawMode::DM_LIGHTEN) {
        return false;
    }
    key = QStringLiteral("%1\\%2\\%3%4")
              .arg(root, QStringLiteral("penSetting"), drawModeKeyName(dm))
              .arg(n);
    return true;
}

bool makePenSettingRegKey(TDrawMode dm, int32_t n, QString &key)
{
    return makePenSettingKey(dm, n, kRegistryRoot, key);
}

bool initPenParamQZ2(SPenParamQZ2 &rec, TDrawMode dm)
{
    rec = SPenParamQZ2{};
    rec.min = 100;
    rec.width = 1;
    rec.gamma = 1;
    rec.opaque = 1;
    rec.spacing = 0.5f;
    rec.airMap = int32_t(eAirMap::ABMAP_LINEAR);
    switch (TDrawMode(uint8_t(dm) & 0x7F)) {
    case TDrawMode::DM_PEN:
        rec.min = 75;
        rec.ifSize = rec.ifTrans = true;
        return true;
    case TDrawMode::DM_WC:
        rec.min = 33.3f;
        rec.width = 16;
        rec.effect = 65;
        rec.env = 40;
        rec.speed = 30;
        rec.ifSize = rec.ifTrans = true;
        return true;
    case TDrawMode::DM_BLUR:
        rec.width = 12;
        rec.effect = 10;
        return true;
    case TDrawMode::DM_ERASE:
        rec.width = 12;
        rec.ifTrans = rec.ifEdge = true;
        return true;
    case TDrawMode::DM_AIRBRUSH:
        rec.min = 60;
        rec.width = 30;
        rec.spacing = 0.15f;
        rec.opaque = 0.1f;
        rec.ifSize = rec.ifTrans = true;
        return true;
    case TDrawMode::DM_RUBPEN:
        rec.min = 60;
        rec.width = 15;
        rec.spacing = 0.04f;
        rec.opaque = 0.6f;
        rec.ifTrans = true;
        return true;
    case TDrawMode::DM_DARKEN:
    case TDrawMode::DM_LIGHTEN:
        rec.min = 60;
        rec.width = 25;
        rec.spacing = 0.15f;
        rec.opaque = 0.2f;
        rec.effect = 50;
        rec.ifSize = rec.ifTrans = true;
        return true;
    default:
        return false;
    }
}

bool readPenParamQZ2(const CRegKey &reg, SPenParamQZ2 &rec)
{
    const auto mn = readFinite(reg, QStringLiteral("MIN"));
    const auto width = readFinite(reg, QStringLiteral("WIDTH"));
    const auto gamma = readFinite(reg, QStringLiteral("GAMMA"));
    if (!mn || !width || !gamma) {
        return false;
    }
    rec.min = *mn;
    rec.width = *width;
    rec.gamma = *gamma;

    const auto effect = readFinite(reg, QStringLiteral("EFFECT"));
    const auto env = readFinite(reg, QStringLiteral("ENV"));
    const auto speed = readFinite(reg, QStringLiteral("SPEED"));
    if (!effect || !env || !speed) {
        return false;
    }
    rec.effect = *effect;
    rec.env = *env;
    rec.speed = *speed;

    const auto ifSize = reg.readBool(QStringLiteral("ifSIZE"));
    const auto ifTrans = reg.readBool(QStringLiteral("ifTRANSPARENCY"));
    const auto ifEdge = reg.readBool(QStringLiteral("ifEDGE"));
    if (!ifSize || !ifTrans || !ifEdge) {
        return false;
    }
    rec.ifSize = *ifSize;
    rec.ifTrans = *ifTrans;
    rec.ifEdge = *ifEdge;

    const auto useTone = reg.readBool(QStringLiteral("useTone"));
    if (!useTone) {
        return false;
    }
    rec.useTone = *useTone;

    const auto useGrad = reg.readBool(QStringLiteral("useGradation"));
    const auto opaque = readFinite(reg, QStringLiteral("opaque"));
    const auto spacing = readFinite(reg, QStringLiteral("penSpacing"));
    const auto airMap = reg.readInt(QStringLiteral("airMap"));
    if (!useGrad || !opaque || !spacing || !airMap) {
        return false;
    }
    rec.useGrad = *useGrad;
    rec.opaque = *opaque;
    rec.spacing = *spacing;
    rec.airMap = *airMap;
    return true;
}

bool writePenParamQZ2(CRegKey &reg, const SPenParamQZ2 &rec)
{
    bool ok = reg.writeSingle(QStringLiteral("MIN"), rec.min);
    ok = reg.writeSingle(QStringLiteral("WIDTH"), rec.width) && ok;
    ok = reg.writeSingle(QStringLiteral("GAMMA"), rec.gamma) && ok;
    ok = reg.writeSingle(QStringLiteral("EFFECT"), rec.effect) && ok;
    ok = reg.writeSingle(QStringLiteral("ENV"), rec.env) && ok;
    ok = reg.writeSingle(QStringLiteral("SPEED"), rec.speed) && ok;
    ok = reg.writeBool(QStringLiteral("ifSIZE"), rec.ifSize) && ok;
    ok = reg.writeBool(QStringLiteral("ifTRANSPARENCY"), rec.ifTrans) && ok;
    ok = reg.writeBool(QStringLiteral("ifEDGE"), rec.ifEdge) && ok;
    ok = reg.writeBool(QStringLiteral("useTone"), rec.useTone) && ok;
    ok = reg.writeBool(QStringLiteral("useGradation"), rec.useGrad) && ok;
    ok = reg.writeSingle(QStringLiteral("opaque"), rec.opaque) && ok;
    ok = reg.writeSingle(QStringLiteral("penSpacing"), rec.spacing) && ok;
    ok = reg.writeInt(QStringLiteral("airMap"), rec.airMap) && ok;
    return ok;
}
