// The render-mode settings: the command line writes them, the render end of a replay reads them.
#pragma once

#include <QString>

#include <cstdint>

// The program replays an event file with no display and exits.
extern bool gRenderMode;
// The program shows a replay only (viewer).
extern bool gViewerMode;
// The folder the rendered pictures, the count text and the events go to.
extern QString gRenderOutDir;
extern bool gRenderBmp;
extern bool gRenderJpeg;
extern int32_t gRenderJpegQuality; // 75 until set
extern bool gRenderPng;
extern bool gRenderTxt;
// The viewer's wait between steps in milliseconds.
extern int32_t gViewerWait;
// The local socket the result code goes to (-w NAME); empty: none.
extern QString gNotifySocket;

// Every setting back to its start value.
void resetRenderSettings();

// The process-wide state of the document windows: the untitled count, the cascade counter and
// the view background colour (0x808080 until a window takes 0xCCCCCC from its brush). Start-up
// and tests call it; a second call starts over.
void initialiseWindows();
