// The built-in icons of the brush methods: nine 32 × 32 pictures (slots 0 pencil, 1 watercolour,
// 2 blur, 3 eraser, 4 the blur picture again, 5 airbrush, 6 finger tip, 7 burn, 8 dodge) and the
// spread tool's picture. The store is process-wide, filled by initialiseMethodIcons() before any
// window exists and emptied by finaliseMethodIcons(); it owns the pictures.
#pragma once

#include "core/profile/tool_kinds.h"

class TMTC;

// Decodes the pictures (again, when already filled). A picture that cannot be decoded leaves an
// empty canvas in its slot.
void initialiseMethodIcons();
void finaliseMethodIcons();

// The icon of a paint mode, owned by the store; nil for a value outside the modes or before the
// store is filled.
const TMTC *getPaintModeIcon(TPaintMode mode);
