#include "ui/controls/gradient_stops_edit.h"

#include <algorithm>
#include <cmath>

namespace {

TColorPickerValue rgbValue(float r, float g, float b)
{
    TColorPickerValue v{};
    v.space = cpRGB;
    v.rgb = {r, g, b};
    return v;
}

uint8_t toByte(float c)
{
    return uint8_t(std::clamp(std::trunc(c * 255 + 0.5f), 0.0f, 255.0f));
}

int32_t fixed16(float p)
{
    return int32_t(std::trunc(double(p) * 65536 + 0.5));
}

} // namespace

// ---- TGradientEditPos

TGradientEditPos::TGradientEditPos(float APosition)
    : FPosition(APosition), FColor(rgbValue(0, 0, 0))
{
}

TGradientEditPos::TGradientEditPos(float APosition, TGradientEditPosType AType,
                                   const TColorPickerValue &AColor, float AOpaque)
    : FPosition(APosition), FType(AType), FColor(AColor), FOpaque(AOpaque)
{
}

TGradientEditPos::TGradientEditPos(const sCRSlot &AValue) : FColor(rgbValue(0, 0, 0))
{
    SetColorSlot(AValue);
}

void TGradientEditPos::SetColorSlot(const sCRSlot &AValue)
{
    if (!isSlotEnabled(AValue))
        return;
    FPosition = float(AValue.left) / 65536;
    FType = AValue.col.A == 0 ? gepForeground : AValue.col.A == 1 ? gepBackground : gepCustom;
    FColor = rgbValue(AValue.col.R / 255.0f, AValue.col.G / 255.0f, AValue.col.B / 255.0f);
    FOpaque = AValue.opaque / 255.0f;
    FUnionRight = AValue.union_ == 0;
}

void TGradientEditPos::GetColorSlot(sCRSlot &AValue, int32_t AId, float ANext) const
{
    AValue.id = AId;
    AValue.left = fixed16(FPosition);
    AValue.width = fixed16(ANext) - AValue.left;
    AValue.rate = 0x10000;
    AValue.col.R = toByte(FColor.rgb.r);
    AValue.col.G = toByte(FColor.rgb.g);
    AValue.col.B = toByte(FColor.rgb.b);
    AValue.col.A = FType == gepForeground ? 0 : FType == gepBackground ? 1 : 255;
    AValue.opaque = toByte(FOpaque);
    AValue.union_ = FUnionRight ? 0 : 1;
    AValue.used = 1;
    AValue.enable = 1;
}

// ---- TGradientStops

TGradientStops::TGradientStops()
    : Foreground(rgbValue(0, 0, 0)), Background(rgbValue(1, 1, 1)),
      FFirstPos(std::make_unique<TGradientEditPos>(0, gepCustom, Foreground, 1)),
      FLastPos(std::make_unique<TGradientEditPos>(1, gepCustom, Background, 1))
{
}

TGradientStops::~TGradientStops() = default;

void TGradientStops::changed(bool notify)
{
    if (OnChanged)
        OnChanged(notify);
}

TGradientEditPos *TGradientStops::GetStop(int AIndex) const
{
    if (!IsValidIndex(AIndex))
        return nullptr;
    if (AIndex == 0)
        return FFirstPos.get();
    if (AIndex == Count() - 1)
        return FLastPos.get();
    return FList[size_t(AIndex - 1)].get();
}

TColorPickerValue TGradientStops::shownColor(int AIndex) const
{
    const TGradientEditPos *s = GetStop(AIndex);
    if (!s)
        return {};
    return s->FType == gepForeground   ? Foreground
           : s->FType == gepBackground ? Background
                                       : s->FColor;
}

void TGradientStops::setSelectIndex(int AIndex)
{
    if (!IsValidIndex(AIndex))
        return;
    if (AIndex > 0 && GetStop(AIndex - 1)->FUnionRight)
        --AIndex;
    FSelectIndex = AIndex;
    changed();
}

bool TGradientStops::GetPosition(float &AValue, int AIndex) const
{
    const TGradientEditPos *s = GetStop(valid(AIndex));
    if (s)
        AValue = s->FPosition;
    return s;
}

bool TGradientStops::GetType(TGradientEditPosType &AValue, int AIndex) const
{
    const TGradientEditPos *s = GetStop(valid(AIndex));
    if (s)
        AValue = s->FType;
    return s;
}

bool TGradientStops::GetColor(TColorPickerValue &AValue, int AIndex) const
{
    const TGradientEditPos *s = GetStop(valid(AIndex));
    if (s)
        AValue = s->FColor;
    return s;
}

bool TGradientStops::GetOpaque(float &AValue, int AIndex) const
{
    const TGradientEditPos *s = GetStop(valid(AIndex));
    if (s)
        AValue = s->FOpaque;
    return s;
}

bool TGradientStops::CanMove(int AIndex) const
{
    return AIndex > 0 && AIndex < Count() - 1;
}

bool TGradientStops::GetSibling(TGradientEditPos *&ALeft, TGradientEditPos *&ARight,
                                TGradientEditPos *&AUnion, int AIndex) const
{
    const int i = valid(AIndex);
    TGradientEditPos *s = GetStop(i);
    if (!s)
        return false;
    ALeft = GetStop(i - 1);
    ARight = GetStop(i + 1);
    AUnion = nullptr;
    if (s->FUnionRight) {
        AUnion = ARight;
        ARight = GetStop(i + 2);
    } else if (ALeft && ALeft->FUnionRight) {
        AUnion = ALeft;
        ALeft = GetStop(i - 2);
    }
    return true;
}

bool TGradientStops::GetRange(float &AMin, float &AMax, int AIndex) const
{
    TGradientEditPos *l, *r, *u;
    if (!GetSibling(l, r, u, AIndex))
        return false;
    const float own = GetStop(valid(AIndex))->FPosition;
    AMin = l ? l->FPosition : own;
    AMax = r ? r->FPosition : own;
    return true;
}

bool TGradientStops::SetPosition(float AValue, int AIndex)
{
    const int i = valid(AIndex);
    if (!CanMove(i))
        return false;
    TGradientEditPos *l, *r, *u;
    GetSibling(l, r, u, i);
    float v = AValue;
    if (l && !(v > l->FPosition))
        v = l->FPosition;
    if (r && v >= r->FPosition)
        v = r->FPosition;
    GetStop(i)->FPosition = v;
    if (u)
        u->FPosition = v;
    changed();
    return true;
}

bool TGradientStops::MoveCenter(int AIndex)
{
    const int i = valid(AIndex);
    if (!CanMove(i))
        return false;
    TGradientEditPos *l, *r, *u;
    GetSibling(l, r, u, i);
    const float v = (l->FPosition + r->FPosition) / 2;
    GetStop(i)->FPosition = v;
    if (u)
        u->FPosition = v;
    changed();
    return true;
}

bool TGradientStops::SetType(TGradientEditPosType AValue, int AIndex)
{
    TGradientEditPos *s = GetStop(valid(AIndex));
    if (!s)
        return false;
    if (s->FType == AValue)
        return true;
    s->FType = AValue;
    if (AValue == gepForeground)
        s->FColor = Foreground;
    else if (AValue == gepBackground)
        s->FColor = Background;
    changed();
    return true;
}

bool TGradientStops::SetColor(const TColorPickerValue &AValue, int AIndex)
{
    TGradientEditPos *s = GetStop(valid(AIndex));
    if (!s || s->FType != gepCustom)
        return false;
    s->FColor = AValue;
    changed();
    return true;
}

bool TGradientStops::SetOpaque(float AValue, int AIndex)
{
    TGradientEditPos *s = GetStop(valid(AIndex));
    if (!s)
        return false;
    if (s->FOpaque != AValue) {
        s->FOpaque = AValue;
        changed();
    }
    return true;
}

bool TGradientStops::CanUnionRight(int AIndex) const
{
    if (!(AIndex > 0 && AIndex < Count() - 2))
        return false;
    for (int i = AIndex - 1; i <= AIndex + 1; ++i)
        if (GetStop(i)->FUnionRight)
            return false;
    return true;
}

bool TGradientStops::UnionLeft(int AIndex)
{
    const int i = valid(AIndex);
    if (!CanUnionLeft(i))
        return false;
    TGradientEditPos *l = GetStop(i - 1);
    GetStop(i)->FPosition = l->FPosition;
    l->FUnionRight = true;
    FSelectIndex = std::max(FSelectIndex - 1, 0);
    changed();
    return true;
}

bool TGradientStops::UnionRight(int AIndex)
{
    const int i = valid(AIndex);
    if (!CanUnionRight(i))
        return false;
    TGradientEditPos *s = GetStop(i);
    s->FPosition = GetStop(i + 1)->FPosition;
    s->FUnionRight = true;
    changed();
    return true;
}

TGradientEditUnion TGradientStops::GetUnion(int AIndex) const
{
    const int i = valid(AIndex);
    if (i <= 0 || i >= Count() - 1)
        return geuNone;
    if (GetStop(i)->FUnionRight)
        return geuRight;
    if (GetStop(i - 1)->FUnionRight)
        return geuLeft;
    return geuNone;
}

bool TGradientStops::DisUnion(int AIndex)
{
    const int i = valid(AIndex);
    TGradientEditPos *s = GetStop(i);
    if (!s)
        return false;
    s->FUnionRight = false;
    if (TGradientEditPos *l = GetStop(i - 1))
        l->FUnionRight = false;
    changed();
    return true;
}

bool TGradientStops::CanSplit(int AIndex, int ACount) const
{
    return AIndex >= 0 && AIndex < Count() - 1 && ACount >= 1 && Count() + ACount <= FCapacity;
}

bool TGradientStops::Split(int AIndex, int ACount)
{
    if (!CanSplit(AIndex, ACount))
        return false;
    const TGradientEditPos *s = GetStop(AIndex);
    const int next = s->FUnionRight ? AIndex + 2 : AIndex + 1;
    const TGradientEditPos *n = GetStop(next);
    if (!n)
        return false;
    const float p0 = s->FPosition, p1 = n->FPosition;
    for (int k = 1; k < ACount; ++k)
        AddStop(false, p0 + (p1 - p0) * float(k) / float(ACount));
    changed();
    return true;
}

bool TGradientStops::CopyColor(int Dst, int Src)
{
    TGradientEditPos *d = GetStop(Dst), *s = GetStop(Src);
    if (!d || !s)
        return false;
    d->FType = s->FType;
    d->FColor = s->FColor;
    d->FOpaque = s->FOpaque;
    changed();
    return true;
}

bool TGradientStops::ExchangeColor(int Dst, int Src)
{
    TGradientEditPos *d = GetStop(Dst), *s = GetStop(Src);
    if (!d || !s)
        return false;
    std::swap(d->FType, s->FType);
    std::swap(d->FColor, s->FColor);
    std::swap(d->FOpaque, s->FOpaque);
    changed();
    return true;
}

bool TGradientStops::FlipPosition()
{
    if (Count() <= 1)
        return false;
    std::swap(FFirstPos, FLastPos);
    FFirstPos->FPosition = 0;
    FLastPos->FPosition = 1;
    std::reverse(FList.begin(), FList.end());
    for (auto &s : FList)
        s->FPosition = 1 - s->FPosition;
    // A pair's mark sits on its left stop: after mirroring that is the other one.
    for (int i = 0; i <= Count() - 3; ++i)
        GetStop(i)->FUnionRight = GetStop(i + 1)->FUnionRight;
    GetStop(Count() - 2)->FUnionRight = false;
    FLastPos->FUnionRight = false;
    int sel = Count() - 1 - FSelectIndex;
    if (sel > 0 && GetStop(sel - 1)->FUnionRight)
        --sel;
    FSelectIndex = sel;
    changed();
    return true;
}

int TGradientStops::AddStop(bool Select, float APosition)
{
    if (!(APosition >= 0 && APosition <= 1))
        return -1;
    int v = Count() - 1;
    for (int i = 1; i < Count() - 1; ++i)
        if (GetStop(i)->FPosition >= APosition) {
            v = i;
            break;
        }
    const TGradientEditPos *a = GetStop(v - 1), *b = GetStop(v);
    const float span = b->FPosition - a->FPosition;
    const float t = span <= 1.1920929e-7f ? 0.5f : (APosition - a->FPosition) / span;
    std::unique_ptr<TGradientEditPos> n;
    const float opaque = a->FOpaque + (b->FOpaque - a->FOpaque) * t;
    if (a->FType == b->FType && a->FType != gepCustom) {
        n = std::make_unique<TGradientEditPos>(
            APosition, a->FType, a->FType == gepForeground ? Foreground : Background, opaque);
    } else {
        const auto mix = [t](float x, float y) { return x + (y - x) * t; };
        n = std::make_unique<TGradientEditPos>(APosition, gepCustom,
                                               rgbValue(mix(a->FColor.rgb.r, b->FColor.rgb.r),
                                                        mix(a->FColor.rgb.g, b->FColor.rgb.g),
                                                        mix(a->FColor.rgb.b, b->FColor.rgb.b)),
                                               opaque);
    }
    FList.insert(FList.begin() + (v - 1), std::move(n));
    changed(false);
    if (Select)
        setSelectIndex(v);
    return v;
}

bool TGradientStops::DeleteStop(int AIndex)
{
    int i = valid(AIndex);
    if (!CanMove(i))
        return false;
    if (GetStop(i)->FUnionRight && CanMove(i + 1))
        FList.erase(FList.begin() + i); // the partner, list item i
    else if (GetStop(i - 1)->FUnionRight && CanMove(i - 1)) {
        FList.erase(FList.begin() + (i - 2));
        --i;
    }
    FList.erase(FList.begin() + (i - 1));
    FSelectIndex = std::max(i - 1, 0);
    changed();
    return true;
}

bool TGradientStops::GetColorSlotGroup(CColorSlotGroup &AGroup) const
{
    CColorSlotGroup g;
    sCRSlot s{};
    for (int i = 0; i < Count() - 1; ++i) {
        GetStop(i)->GetColorSlot(s, i, GetStop(i + 1)->FPosition);
        g.setColor(i, s);
    }
    GetStop(Count() - 1)->GetColorSlot(s, Count() - 1, 0);
    g.setColor(Count() - 1, s);
    g.refresh();
    g.setName(AGroup.name);
    return g.CopyAll(AGroup);
}

void TGradientStops::SetColorSlotGroup(const CColorSlotGroup &AGroup)
{
    FSelectIndex = 0;
    if (const sCRSlot *s = AGroup.getSlot(0))
        FFirstPos->SetColorSlot(*s);
    FList.clear();
    for (int i = 1; i < AGroup.endIdx; ++i)
        if (const sCRSlot *s = AGroup.getSlot(i); s && isSlotEnabled(*s))
            FList.push_back(std::make_unique<TGradientEditPos>(*s));
    if (AGroup.endIdx > 0)
        if (const sCRSlot *s = AGroup.getSlot(AGroup.endIdx))
            FLastPos->SetColorSlot(*s);
    changed();
}
