// The program's spine: the command line parsed first, the display platform chosen, the Qt
// application made, the render settings applied, the unknown switches reported, the single
// instance checked, every library initialised in chain order, and then either the headless render
// job or the main window's message loop; the profile saved at the end of an ordinary run only.
#pragma once

#include "app/startup/command_line.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

// Makes the main window of an ordinary start (shown by the caller); null when there is none.
using MainFormFactory = std::function<std::unique_ptr<QWidget>(const SCommandLine &cmd)>;

// The whole run; answers the process's exit status. An ordinary start without a main window
// factory (or whose factory makes none) ends after the instance check with status 1 and a line on
// standard error; a start that handed its files to the running instance ends with 0.
int runProgram(int argc, char **argv, const MainFormFactory &createMainForm);

// With QT_QPA_PLATFORM unset: a render (not a viewer) always draws off screen, so a stale DISPLAY
// cannot end a job; any other start only when there is no display at all.
void chooseDisplayPlatform(const SCommandLine &cmd);

// Every library's start-up call in chain order: profile, key state, user interface, file dialogs,
// pen set files, document, event replay, filters with their dialogs and replay entries, windows,
// preset hooks. Needs the Qt application.
void initialiseLibraries();

// Loads the profile (always true).
bool startApplication();
// Loads the profile from a copy of the store: the job reads the user's settings but never writes
// the store, which parallel renders would race on.
bool startRenderApplication();
// Saves the profile; false when the store could not be written.
bool finishApplication();
