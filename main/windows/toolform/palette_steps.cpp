#include "windows/toolform/palette_steps.h"

#include "ui/controls/item_picker.h"
#include "ui/fields/num_mngr.h"
#include "windows/docwin/input_script.h"
#include "windows/toolform/tool_form.h"

#include <QPushButton>

#include <array>

namespace {

constexpr std::array<const char *, kToolDetailCount> kDetailNames = {
    "Pencil5",     "Pencil4",       "Pencil1",       "Eraser5",       "SeedEraser",
    "Eraser4",     "Eraser1",       "WaterColor5",   "WaterColor4",   "WaterColor1",
    "AirBrush5",   "AirBrush4",     "AirBrush1",     "Blur4",         "FingerTip4",
    "Spread4",     "Blur1",         "FingerTip1",    "Burn4",         "Dodge4",
    "Burn1",       "Dodge1",        "FillRectangle", "FillEllipse",   "FillPolygon",
    "FillLasso",   "SeedFill",      "Gradient",      "SelectRectangle", "SelectEllipse",
    "SelectPolygon", "SelectLasso", "MagicWand",     "LayerMove",     "LayerMoveWithSelection",
    "FillText",    "SelectText",    "Trim",          "Spuit",         "GrabberPosition",
    "GrabberRotation", "Zoom"};

constexpr std::array<const char *, kToolKindCount> kKindNames = {
    "Pencil", "Eraser", "WaterColor", "AirBrush", "BlurFinger", "BurnDodge", "FillFigure",
    "FillGradient", "Select", "MagicWand", "LayerMove", "Text", "Trim", "Spuit", "Grabber", "Zoom"};

constexpr const char *kModelNames[] = {"ToolDens", "BrushSpace", "NibRadius", "NibShpScl",
                                       "NibMinRad", "SeedRange", "GradRep", "OptDatX",
                                       "OptDatY", "OptScaleW", "OptScaleH", "OptRot",
                                       "OptShrH", "OptShrV"};

constexpr const char *kControlNames[] = {"apply", "cancel", "moveok", "scalefix"};

bool same(QStringView a, const char *b)
{
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

TNumMngr *modelOf(TToolForm &f, QStringView name)
{
    TNumMngr *const models[] = {f.NumToolDens,     f.NumBrushSpace,     f.NumNibRadius,
                                f.NumNibShpScl,    f.NumNibMinRad,      f.NumSeedRange,
                                f.NumGradRep,      f.NumOptDatXRange,   f.NumOptDatYRange,
                                f.NumOptScaleWRange, f.NumOptScaleHRange, f.NumOptRotRange,
                                f.NumOptShrHRange, f.NumOptShrVRange};
    for (size_t i = 0; i < std::size(kModelNames); ++i)
        if (same(name, kModelNames[i]))
            return models[i];
    return nullptr;
}

bool click(TToolForm &f, QStringView name)
{
    if (same(name, "apply"))
        f.BtnTransformApplyClick();
    else if (same(name, "cancel"))
        f.BtnTransformCancelClick();
    else if (same(name, "moveok"))
        f.BtnMoveClick();
    else if (same(name, "scalefix"))
        f.FBtnScaleFix->setDown(!f.FBtnScaleFix->Down());
    else
    {
        for (size_t k = 0; k < kKindNames.size(); ++k)
            if (same(name, kKindNames[k]))
            {
                f.BtnClick(f.FToolButtons[k]);
                return true;
            }
        return false;
    }
    return true;
}

} // namespace

std::optional<TToolDetail> toolDetailFromName(QStringView name)
{
    if (name.startsWith(QLatin1String("td"), Qt::CaseInsensitive))
        name = name.mid(2);
    for (size_t i = 0; i < kDetailNames.size(); ++i)
        if (same(name, kDetailNames[i]))
            return TToolDetail(i);
    return std::nullopt;
}

bool isPaletteModelName(QStringView name)
{
    for (const char *n : kModelNames)
        if (same(name, n))
            return true;
    return false;
}

bool isPaletteControlName(QStringView name)
{
    for (const char *n : kControlNames)
        if (same(name, n))
            return true;
    for (const char *n : kKindNames)
        if (same(name, n))
            return true;
    return false;
}

bool applyPaletteStep(const SInputStep &s)
{
    auto *f = dynamic_cast<TToolForm *>(&mainForm().toolForm());
    if (!f)
        return false;
    switch (ePaletteStep(s.num))
    {
    case ePaletteStep::Detail:
        if (auto d = toolDetailFromName(s.name))
        {
            f->changeToolDetail(*d);
            return true;
        }
        return false;
    case ePaletteStep::Key: {
        Qt::KeyboardModifiers mods;
        if (s.mods & imShift)
            mods |= Qt::ShiftModifier;
        if (s.mods & imCtrl)
            mods |= Qt::ControlModifier;
        if (s.mods & imAlt)
            mods |= Qt::AltModifier;
        f->ProcessKey(uint32_t(s.vk), mods);
        return true;
    }
    case ePaletteStep::Value:
        if (TNumMngr *m = modelOf(*f, s.name))
        {
            m->SetNumber(nullptr, s.degrees);
            return true;
        }
        return false;
    case ePaletteStep::Click:
        return click(*f, s.name);
    }
    return false;
}
