// The legacy pen slots: five saved pen settings per draw mode of the older engines, each one key
// of the key store (Software\Trevolt\Kavrin5\penSetting\<mode><n>, for example "airbrush3").
//
// Values of a slot: "MIN", "WIDTH", "GAMMA", "EFFECT", "ENV", "SPEED", "opaque", "penSpacing"
// (floating), "ifSIZE", "ifTRANSPARENCY", "ifEDGE", "useTone", "useGradation" (Booleans) and
// "airMap" (integer).
#pragma once

#include "paint/brush/legacy_pen_records.h"

#include <QString>

#include <cstdint>

class CRegKey;

// The key name of a draw mode ("pen", "wc", "blur", "eraser", "blur2", "airbrush", "rubpen",
// "darken", "lighten"); empty above DM_LIGHTEN.
QString drawModeKeyName(TDrawMode dm);
// "<root>\penSetting\<name><n>"; false, key untouched, for a mode above DM_LIGHTEN.
bool makePenSettingKey(TDrawMode dm, int32_t n, const QString &root, QString &key);
// The same under the program's root "Software\Trevolt\Kavrin5".
bool makePenSettingRegKey(TDrawMode dm, int32_t n, QString &key);

// The built-in settings of a draw mode (the low 7 bits of dm select it). False, with the record
// at the common defaults, for DM_BLUR2 and for values above DM_LIGHTEN.
bool initPenParamQZ2(SPenParamQZ2 &rec, TDrawMode dm);
// Reads the record in five groups ("MIN" "WIDTH" "GAMMA"; "EFFECT" "ENV" "SPEED"; "ifSIZE"
// "ifTRANSPARENCY" "ifEDGE"; "useTone"; "useGradation" "opaque" "penSpacing" "airMap"). A group
// is taken only when all its values are present and readable; the first incomplete group ends
// the reading with false, the groups before it kept.
bool readPenParamQZ2(const CRegKey &reg, SPenParamQZ2 &rec);
// Writes all fourteen values; false when the store refuses one.
bool writePenParamQZ2(CRegKey &reg, const SPenParamQZ2 &rec);
