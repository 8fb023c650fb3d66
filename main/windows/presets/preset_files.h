// Loading and saving a preset set file: by path, or through the kind's file dialog starting at
// the set's last path. A load that succeeded tells the tool window, which refreshes its list of
// that set. The popups and the tool window call the same functions.
#pragma once

#include "windows/presets/preset_kinds.h"

#include <QString>

#include <variant>

class CGradMngr;
class CPenMethodMngr;
class CPenShapeMngr;
class CToneMngr;
class TSwatchMngr;
class TqZListView;

// One of the five preset sets (a null pointer or monostate: none).
using TPresetSetRef = std::variant<std::monostate, CPenMethodMngr *, CPenShapeMngr *,
                                   TSwatchMngr *, CGradMngr *, CToneMngr *>;

// The set a list view shows; none for a list of another kind or without a manager.
TPresetSetRef presetSetOf(const TqZListView &list);

// The file the set was last read from or written to; empty when none.
QString presetSetPath(const TPresetSetRef &manager);
// That file exists.
bool presetSetFileExists(const TPresetSetRef &manager);
// Reads a set file into the manager, replacing or appending; an empty path asks for one in the
// kind's open dialog first (false when cancelled). False, and nothing read, when the manager is
// missing or not of the kind. The managers report their own read errors.
bool loadPresetSet(TPresetKind kind, const TPresetSetRef &manager, const QString &path,
                   bool append);
// An editor's set menu: replace and append ask for a file, revert reads again the file the set
// came from (nothing when it has none). After a load the list shows the appended end, or its
// first item. False when nothing was loaded.
enum class TSetMenuLoad : uint8_t
{
    Replace,
    Append,
    Revert,
};
bool loadPresetSetFromMenu(TPresetKind kind, const TPresetSetRef &manager, TqZListView *list,
                           TSetMenuLoad how);
// Writes the manager's set to a file chosen in the kind's save dialog.
bool savePresetSet(TPresetKind kind, const TPresetSetRef &manager);
