// The dialog rig with the radial blur, distortion, generator, floor and lighting modules at
// their defaults, and the tool window's colours for the generator dialogs.
#pragma once

#include "filters/commands/filter_commands.h"
#include "filters/dialogs/dialog_test_support.h"
#include "filters/dialogs/effect_dialog_modules.h"

namespace dialogtest {

struct EffectRig : DialogRig
{
    explicit EffectRig(int32_t w = 24, int32_t h = 16) : DialogRig(countingFilter, w, h)
    {
        initialiseEffectDialogs();
    }
};

// The tool window's foreground and background colours for the guard's lifetime.
class ScopedToolColours
{
  public:
    ScopedToolColours(uint32_t fg, uint32_t bg)
    {
        SFilterAppHooks h;
        h.foregroundColor = [fg] { return TColor32{.bgra = fg}; };
        h.backgroundColor = [bg] { return TColor32{.bgra = bg}; };
        m_previous = installFilterAppHooks(h);
    }
    ~ScopedToolColours() { installFilterAppHooks(m_previous); }

  private:
    SFilterAppHooks m_previous;
};

} // namespace dialogtest
