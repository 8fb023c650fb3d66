// Loading and saving the preset set files behind a list: by path, or through the kind's file
// dialog starting at the set's last path. A load that succeeded tells the tool window, which
// refreshes its list of that set.
#pragma once

#include "windows/presets/preset_kinds.h"

#include <QString>

class TqZListView;

// The set file the list's collection was last read from or written to; empty when none.
QString presetSetPath(const TqZListView &list);
// That file exists.
bool presetSetFileExists(const TqZListView &list);
// Reads a set into the list's collection, replacing or appending; an empty path asks for one
// first (false when cancelled). The managers report their own errors.
bool loadPresetSet(TPresetKind kind, TqZListView &list, const QString &path, bool append);
// Writes the list's collection to a file chosen in the save dialog.
bool savePresetSet(TPresetKind kind, TqZListView &list);
