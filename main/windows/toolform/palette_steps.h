// Input-script steps on the tool window the main window answers: a tool detail chosen, a key
// routed to it, a value typed into one of its fields, a button of it clicked.
#pragma once

#include "core/profile/tool_kinds.h"

#include <QStringView>

#include <optional>

struct SInputStep;

enum class ePaletteStep : int32_t
{
    Detail,
    Key,
    Value,
    Click,
};

// "Pencil5" or "tdPencil5", any case.
std::optional<TToolDetail> toolDetailFromName(QStringView name);
// The value models a script may type into ("ToolDens", "NibRadius", "OptScaleW", ...).
bool isPaletteModelName(QStringView name);
// The buttons a script may click: "apply", "cancel", "moveok", "scalefix" and the tool buttons
// by kind ("Pencil", "Eraser", ... any case).
bool isPaletteControlName(QStringView name);
// False when no tool window answers, or the step could not be applied.
bool applyPaletteStep(const SInputStep &step);
