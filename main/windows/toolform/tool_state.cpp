#include "windows/toolform/tool_state.h"

std::optional<int> shortcutLetterIndex(uint32_t vkey)
{
    if (vkey >= 'A' && vkey <= 'Z')
        return int(vkey - 'A');
    return std::nullopt;
}

CToolState::CToolState() : FLastTools(initialLastTools())
{
    FToolDensities.fill(100.0f);
    for (int i = 0; i < kToolDetailCount; ++i)
        FNextDetails[size_t(i)] = TToolDetail(i);
}

bool CToolState::switchNeeded(TToolDetail detail) const
{
    return detail != FToolMode && !FPalStat.has(TPaletteState::psToolModeUpdate);
}

void CToolState::remember(TToolDetail detail, const TKeyOfDetail &keyOf)
{
    if (!keyOf)
        return;
    if (auto letter = shortcutLetterIndex(keyOf(detail)))
        FLastToolsEx[size_t(*letter)] = detail;
}

TToolKind CToolState::leave(float opacity, const TKeyOfDetail &keyOf)
{
    TStylusSwitch end = FStylus;
    if (FPalStat.has(TPaletteState::psStylusSwitchUpdate))
        end = end == TStylusSwitch::ssNib ? TStylusSwitch::ssTail : TStylusSwitch::ssNib;
    const TToolKind kind = FLastTool[size_t(end)];
    FLastTools[size_t(kind)] = FToolMode;
    remember(FToolMode, keyOf);
    FToolDensities[size_t(kind)] = opacity;
    return kind;
}

void CToolState::enter(TToolDetail detail, const TKeyOfDetail &keyOf)
{
    const TToolKind kind = toolDetailToToolKind(detail);
    FLastTool[size_t(FStylus)] = kind;
    FLastTools[size_t(kind)] = detail;
    remember(detail, keyOf);
}

TToolDetail CToolState::detailForKind(TToolKind kind, bool cycle) const
{
    const TToolDetail last = FLastTools[size_t(kind)];
    if (cycle && kind == currentKind() && !FPalStat.has(TPaletteState::psToolModeUpdate))
        return nextDetailOf(last);
    return last;
}

TToolDetail CToolState::detailForKey(uint32_t vkey, TToolKind kind, bool cycle) const
{
    const auto letter = shortcutLetterIndex(vkey);
    if (!letter || !FLastToolsEx[size_t(*letter)])
        return detailForKind(kind, cycle);
    const TToolDetail last = *FLastToolsEx[size_t(*letter)];
    if (cycle && kind == currentKind() && !FPalStat.has(TPaletteState::psToolModeUpdate))
        return nextDetailOf(last);
    return last;
}

void CToolState::setLastTools(const TKeyOfDetail &keyOf)
{
    for (int i = 0; i < kToolDetailCount; ++i)
        remember(TToolDetail(i), keyOf);
    remember(TToolDetail::tdGrabberPosition, keyOf);
    remember(FToolMode, keyOf);
}

void CToolState::setNextDetails(const TNextOfDetail &nextOf)
{
    using D = TToolDetail;
    for (int i = 0; i < kToolDetailCount; ++i)
    {
        const D d = D(i);
        FNextDetails[size_t(i)] = nextOf ? nextOf(toolDetailToToolKind(d), d) : d;
    }
    FNextDetails[size_t(D::tdMagicWand)] = D::tdMagicWand;
    FNextDetails[size_t(D::tdGrabberPosition)] = D::tdGrabberPosition;
    FNextDetails[size_t(D::tdGrabberRotation)] = D::tdGrabberPosition;
    FNextDetails[size_t(D::tdZoom)] = D::tdZoom;
}
