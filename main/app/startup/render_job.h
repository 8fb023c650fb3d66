// Render and viewer mode, the headless main job: the first file on the command line replayed in a
// document window of its own with no main window, its outputs written by the window's render end,
// and the exit status made of the result code. A render has no window at all; a viewer shows the
// window maximised in a frame of its own and paces the replay as the profile says.
#pragma once

#include "app/startup/command_line.h"

#include <cstdint>

// Runs the job for cmd once the libraries are initialised and the render settings applied.
// Answers the exit status: 0 done, 9 an output failed, 10 the replay failed (also a missing
// file, a file that is no event file, a step that raised an exception, or no file at all), 12 the
// event file holds image data. Files after the first are refused with a line on standard error.
int32_t runRenderJob(const SCommandLine &cmd);
