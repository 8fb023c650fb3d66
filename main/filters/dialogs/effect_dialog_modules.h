// The radial blur, distortion, generator, floor and lighting dialog modules plugged into the
// filter commands by event code.
#pragma once

// Their remembered values back to the defaults, and each module registered with the filter
// commands. Start-up calls it once beside initialiseFilterDialogs; tests call it per case.
void initialiseEffectDialogs();
